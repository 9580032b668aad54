#include "run/copy_step.h"

#include "platform/paths.h"

#include <QElapsedTimer>
#include <climits>
#include <memory>

using platform::RunError;

namespace copystep {
namespace {

const platform::FileInfo kNothing{};

struct Refused {
    Outcome outcome;
    RunError error;
};

bool nameTooLong(const QString& target) {
    return platform::lastPiece(target).toUtf8().size() > NAME_MAX || target.toUtf8().size() >= PATH_MAX;
}

Outcome outcomeOf(const RunError& e, const platform::CopiedSizes& sizes, const QString& target,
                  bool replacing) {
    switch (e.number) {
    case 0:
        return Outcome::Stopped;
    case 61:
        return Outcome::DiskFull;
    case platform::kSourceChanged:
        return Outcome::SourceChanged;
    case platform::kTargetChanged:
        return sizes.nameTaken && !replacing ? Outcome::NameTaken : Outcome::TargetChanged;
    case 75:
        return nameTooLong(target) ? Outcome::NameTooLong : Outcome::Failed;
    default:
        return Outcome::Failed;
    }
}

// One try. Where the old copy must go somewhere first (a version, the trash), the new copy is made
// complete beside it, and only then is the old one dealt with and the new one put in its place.
void attempt(const QString& source, const QString& target, const platform::FileInfo& decidedOn,
             const Policy& policy, bool& versioned, platform::CopiedSizes& sizes) {
    const bool aside = decidedOn.exists && (policy.trashReplaced || (policy.keepVersion && !versioned));
    if (!aside) {
        platform::copyKeepTime(source, target, policy.stop, policy.progress, &sizes, &decidedOn,
                               policy.targetFolder);
        return;
    }
    const QString pending =
        platform::joinPath(platform::parentPath(target),
                           platform::temporaryName(platform::lastPiece(target), QStringLiteral("ny-")));
    platform::copyKeepTime(source, pending, policy.stop, policy.progress, &sizes, &kNothing,
                           policy.targetFolder);
    try {
        if (const int fault = platform::faultFor(target, u"#write"))
            platform::throwErrno(fault);
        // A version of a file saved meanwhile does no harm: that file stays, as the steps below see.
        if (policy.keepVersion && !versioned) {
            if (!policy.keepVersion(target))
                throw Refused{Outcome::NotVersioned, {}};
            versioned = true;
        }
        if (policy.trashReplaced) {
            try {
                platform::moveToTrash(target, &decidedOn);
            } catch (const RunError& e) {
                if (e.number == platform::kTargetChanged)
                    throw;
                throw Refused{Outcome::TrashRefused, e};
            }
            // Nothing stands there now; a file saved since is the user's and stays.
            platform::placeCopy(pending, target, sizes, kNothing, policy.targetFolder);
        } else {
            platform::placeCopy(pending, target, sizes, decidedOn, policy.targetFolder);
        }
    } catch (...) {
        try {
            platform::removeFile(pending, policy.targetFolder);
        } catch (const RunError&) {
        }
        throw;
    }
}

} // namespace

std::function<bool()> yieldingStop(std::function<void()> yield, std::function<bool()> stopped) {
    // A short copy costs no round of window messages of its own: the caller's loop has them.
    constexpr qint64 kYieldAfterMs = 100;
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    return [since, yield = std::move(yield), stopped = std::move(stopped)] {
        if (yield && since->elapsed() >= kYieldAfterMs)
            yield();
        return stopped();
    };
}

Result copyFile(const QString& source, const QString& target, const platform::FileInfo& decidedOn,
                const Policy& policy) {
    Result r;
    bool versioned = false;
    for (int round = 0; round < 2; ++round) {
        platform::CopiedSizes sizes;
        try {
            attempt(source, target, decidedOn, policy, versioned, sizes);
            r.outcome = round == 0 ? Outcome::Copied : Outcome::CopiedOnSecondTry;
            r.sizes = sizes;
            return r;
        } catch (const Refused& x) {
            r.outcome = x.outcome;
            r.error = x.error;
            return r;
        } catch (const RunError& e) {
            if (round == 0) {
                r.error = e;
                r.sizes = sizes;
                r.outcome = outcomeOf(e, sizes, target, decidedOn.exists);
            }
            r.triedTwice = round == 1;
            if (round == 1 || !policy.secondTry || r.outcome != Outcome::Failed ||
                (e.number != 70 && e.number != 75))
                return r;
            if (policy.beforeSecondTry)
                policy.beforeSecondTry();
        }
    }
    return r;
}

} // namespace copystep
