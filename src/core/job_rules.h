#pragma once
#include "core/job_files.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The rule book of a job's folders: what may be the backup and version folders of a job, given
// every job of the four job groups. The editor's save, search and replace, the run, the saved
// mirror lists, the leftover window and the restore all ask it, so each refuses what the others do.
namespace jobrules {

enum class Purpose { Save, Replace, RunByHand, Scheduled, CommandLine, SavedList, Restore };

struct Problem {
    enum class Kind {
        None,
        AbsolutePath,  // an absolute job whose folders do not all lie in its one main folder
        BackupFolder,  // the backup folder may not be one
        VersionFolder, // the folder of saved file versions may not be one
        SharedTarget,  // its copies land where another job's do
    };
    Kind kind = Kind::None;
    // The end of a sentence ("backupmappen innehåller källmappen … för jobbet ''Foton''"), or empty.
    QString why;
    // A plain run of a job whose copies land where another job's do runs; this names that job.
    QString note;
    bool refused() const { return kind != Kind::None; }
};

// Every job of the groups Listor .. Listor4 of a program folder, read once, its folders placed
// once: a check then costs no file reading and a few identity comparisons per job.
class JobSet {
  public:
    explicit JobSet(const QString& programFolder);
    ~JobSet();
    JobSet(JobSet&&) noexcept;
    JobSet& operator=(JobSet&&) noexcept;

    // The job of the same group and name as it will be written (replaced, or added when new).
    void put(const JobFiles::Job& job);
    const QString& programFolder() const { return programFolder_; }

    struct Placed; // a job with its folders placed
    const std::vector<std::unique_ptr<Placed>>& jobs() const { return jobs_; }

  private:
    QString programFolder_;
    std::vector<std::unique_ptr<Placed>> jobs_;
};

// What is wrong with `job` for `purpose`, given every other job of `all` (a job of the same group
// and name in `all` is taken for this one, as it was before). `mirroring`: a run that mirrors.
// A job whose copies land where another job's do is refused, but for a run that does not mirror
// this job: that run goes on and `note` says so.
Problem jobProblem(const JobFiles::Job& job, Purpose purpose, const JobSet& all, bool mirroring = false);

// The backup folders of every job the rule book lets a saved mirror list delete in, without a
// trailing '/': a list or window that deletes trusts nothing else.
QStringList trustedBackupFolders(const QString& programFolder);

} // namespace jobrules
