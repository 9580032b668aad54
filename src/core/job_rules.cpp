#include "core/job_rules.h"

#include "core/backup_folders.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

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
    (void)mirroring;
    if (job.absolute && purpose != Purpose::Restore)
        if (const QString why = backupfolders::absoluteJobProblem(job.mainFolders, job.folders);
            !why.isEmpty())
            return refusal(Kind::AbsolutePath, why);
    if (const QString why = backupfolders::backupFolderProblem(
            job.backupFolder, job.mainFolders, job.folders, all.programFolder(),
            {job.absolute, job.createMainFolder, job.versionFolder});
        !why.isEmpty())
        return refusal(Kind::BackupFolder, why);
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
