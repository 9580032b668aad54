#include "core/job_rules.h"

#include "core/backup_folders.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>

namespace jobrules {

using platform::PlacedFolder;

struct JobSet::Placed {
    JobFiles::Job job;
    PlacedFolder backup; // placed only for a whole path
    struct Source {
        QString typed;
        PlacedFolder placed;
    };
    // The main folders, and the folders of the list that do not lie in one by their text (a folder
    // that does is where its main folder's place says).
    std::vector<Source> sources;
    std::vector<PlacedFolder> targets; // where the run puts the copies of each main folder
};

namespace {

bool whole(const QString& path) {
    return path.startsWith(QLatin1Char('/'));
}

std::unique_ptr<JobSet::Placed> place(const JobFiles::Job& job) {
    auto p = std::make_unique<JobSet::Placed>();
    p->job = job;
    QStringList mains;
    for (const QString& m : job.mainFolders)
        if (const QString t = platform::withoutTrailingSeparator(m); whole(t)) {
            mains << t;
            p->sources.push_back({t, platform::placeFolder(t)});
        }
    for (const QString& f : job.folders) {
        const QString t = platform::withoutTrailingSeparator(f);
        if (!whole(t))
            continue;
        bool covered = false;
        for (const QString& m : mains)
            if (backupfolders::atOrBelow(t, m)) {
                QStringView rest = QStringView(t).mid(m.size());
                while (rest.startsWith(u'/'))
                    rest = rest.mid(1);
                covered = backupfolders::plainRest(rest);
                break;
            }
        if (!covered)
            p->sources.push_back({t, platform::placeFolder(t)});
    }
    const QString b = platform::withoutTrailingSeparator(job.backupFolder);
    if (!whole(b))
        return p;
    p->backup = platform::placeFolder(b);
    if (job.absolute) {
        p->targets.push_back(job.createMainFolder && !mains.isEmpty()
                                 ? platform::placeFolder(platform::joinPath(b, platform::lastPiece(mains[0])))
                                 : p->backup);
    } else {
        for (const QString& m : mains)
            p->targets.push_back(
                platform::placeFolder(platform::withoutTrailingSeparator(platform::relativeTarget(b, m))));
    }
    return p;
}

// The groups all lie in the program folder: the group's own name tells them apart, however the
// program folder was written.
bool sameJob(const JobFiles::Job& a, const JobFiles::Job& b) {
    return a.name == b.name && platform::lastPiece(a.group) == platform::lastPiece(b.group);
}

// `a` is `b` or lies inside it. A folder the system does not tell about is compared by its text
// here: it belongs to another job, whose own checks refuse it.
bool within(const PlacedFolder& a, const PlacedFolder& b) {
    if (a.unknown || b.unknown)
        return backupfolders::atOrBelow(a.path, b.path);
    return platform::isSameOrInside(a, b);
}

QString ofJob(const QString& name) {
    return QStringLiteral(" för jobbet ''") + name + QStringLiteral("''");
}

// How `folder` stands to a source folder: "är", "innehåller", "ligger i" (when `insideCounts`), or
// empty when they are apart.
QString relation(const PlacedFolder& folder, const PlacedFolder& source, bool insideCounts) {
    const bool holds = within(source, folder);
    const bool inside = within(folder, source);
    if (holds && inside)
        return QStringLiteral("är");
    if (holds)
        return QStringLiteral("innehåller");
    if (inside && insideCounts)
        return QStringLiteral("ligger i");
    return {};
}

Problem refusal(Problem::Kind kind, const QString& why) {
    return {kind, why, {}};
}

} // namespace

JobSet::JobSet(const QString& programFolder) : programFolder_(programFolder) {
    for (const char* group : {"Listor", "Listor2", "Listor3", "Listor4"}) {
        const QString folder = platform::joinPath(programFolder, QString::fromLatin1(group));
        if (!platform::folderExists(folder))
            continue;
        try {
            for (const QString& name : JobFiles::list(folder)) {
                try {
                    jobs_.push_back(place(JobFiles(folder, name).readJob()));
                } catch (const platform::RunError&) {
                    // A job that cannot be read is refused by its own run; it holds no folder here.
                }
            }
        } catch (const platform::RunError&) {
        }
    }
}

JobSet::~JobSet() = default;
JobSet::JobSet(JobSet&&) noexcept = default;
JobSet& JobSet::operator=(JobSet&&) noexcept = default;

void JobSet::put(const JobFiles::Job& job) {
    for (auto& p : jobs_)
        if (sameJob(p->job, job)) {
            p = place(job);
            return;
        }
    jobs_.push_back(place(job));
}

Problem jobProblem(const JobFiles::Job& job, Purpose purpose, const JobSet& all, bool mirroring) {
    using Kind = Problem::Kind;
    if (job.absolute && purpose != Purpose::Restore)
        if (const QString why = backupfolders::absoluteJobProblem(job.mainFolders, job.folders);
            !why.isEmpty())
            return refusal(Kind::AbsolutePath, why);
    if (const QString why = backupfolders::backupFolderProblem(
            job.backupFolder, job.mainFolders, job.folders, all.programFolder(),
            {job.absolute, job.createMainFolder, job.versionFolder});
        !why.isEmpty())
        return refusal(Kind::BackupFolder, why);
    if (!whole(job.backupFolder))
        return {}; // names no place: the test write refuses it
    const std::unique_ptr<JobSet::Placed> self = place(job);
    const PlacedFolder programFolder = platform::placeFolder(all.programFolder());
    // The program's own files (the job groups, the saved logs) are no backup's.
    if (within(self->backup, programFolder))
        return refusal(Kind::BackupFolder, QStringLiteral("backupmappen ligger i programmappen"));
    // Another job's source in the backup folder, or the backup folder in it: a mirror or a copy
    // of one job would delete or overwrite what the other backs up.
    for (const auto& other : all.jobs()) {
        if (sameJob(other->job, job))
            continue;
        // The other job leaves its own backup folder out of its copy: inside it is not its source.
        const bool inOthersBackup = whole(other->job.backupFolder) && within(self->backup, other->backup);
        for (const JobSet::Placed::Source& s : other->sources)
            if (const QString r =
                    relation(self->backup, s.placed, !(inOthersBackup && within(other->backup, s.placed)));
                !r.isEmpty())
                return refusal(Kind::BackupFolder, QStringLiteral("backupmappen ") + r +
                                                       QStringLiteral(" källmappen ") + s.typed +
                                                       ofJob(other->job.name));
    }
    // Version pruning deletes what looks like a version copy: outside the backup folder only a
    // folder that holds no one's own files may have that done to it.
    if (job.versioning && whole(job.versionFolder)) {
        const PlacedFolder v = platform::placeFolder(platform::withoutTrailingSeparator(job.versionFolder));
        if (!within(v, self->backup)) {
            auto refuseVersion = [](const QString& why) {
                return refusal(Kind::VersionFolder, QStringLiteral("mappen för sparade filer ") + why);
            };
            // A system account whose home is "/" makes no folder a home's by lying in it.
            const QString root = platform::rootFolder();
            for (const QString& home : platform::homeFolders())
                if (const QString r = relation(v, platform::placeFolder(home), home != root); !r.isEmpty())
                    return refuseVersion(r + QStringLiteral(" hemmappen"));
            if (const QString r = relation(v, programFolder, true); !r.isEmpty())
                return refuseVersion(r + QStringLiteral(" programmappen"));
            for (const JobSet::Placed::Source& s : self->sources)
                if (within(s.placed, v))
                    return refuseVersion(QStringLiteral("innehåller källmappen ") + s.typed);
            for (const auto& other : all.jobs())
                if (!sameJob(other->job, job))
                    for (const JobSet::Placed::Source& s : other->sources)
                        if (within(s.placed, v))
                            return refuseVersion(QStringLiteral("innehåller källmappen ") + s.typed +
                                                 ofJob(other->job.name));
        }
    }
    // Copies of two jobs in one folder: each replaces the other's, and each mirror deletes them.
    for (const auto& other : all.jobs()) {
        if (sameJob(other->job, job))
            continue;
        const bool shared =
            std::any_of(self->targets.begin(), self->targets.end(), [&](const PlacedFolder& t) {
                return std::any_of(other->targets.begin(), other->targets.end(),
                                   [&](const PlacedFolder& u) { return within(t, u) || within(u, t); });
            });
        if (!shared)
            continue;
        const bool run =
            purpose == Purpose::RunByHand || purpose == Purpose::Scheduled || purpose == Purpose::CommandLine;
        if (run && !(mirroring && !job.preventMirror))
            return {
                Kind::None,
                {},
                QStringLiteral("OBS: Jobbet ''") + job.name +
                    QStringLiteral("'' delar backup med jobbet ''") + other->job.name +
                    QStringLiteral("'': deras kopior hamnar på samma ställe och kan skriva över varandra.")};
        return refusal(Kind::SharedTarget, QStringLiteral("jobbets kopior hamnar där även jobbet ''") +
                                               other->job.name + QStringLiteral("'' lägger sina"));
    }
    return {};
}

QStringList trustedBackupFolders(const QString& programFolder) {
    const JobSet all(programFolder);
    QStringList out;
    for (const auto& p : all.jobs()) {
        const QString b = platform::withoutTrailingSeparator(p->job.backupFolder);
        if (b.isEmpty() || out.contains(b))
            continue;
        if (!jobProblem(p->job, Purpose::SavedList, all).refused())
            out << b;
    }
    return out;
}

} // namespace jobrules
