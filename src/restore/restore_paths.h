#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// Where a backup lies and where its files came from. The job form is the inverse of the backup
// run's target-folder rule, checked against it, so a restore puts every file back in the folder
// the run took it from.
class RestoreMapping {
  public:
    RestoreMapping() = default;
    // A job's main folder, backed up into `backupFolder` with the job's path type. `jobMainFolders`
    // are all the job's main folders in the job's order (the run places every folder by the first).
    static RestoreMapping forJob(const QString& backupFolder, const QString& mainFolder, bool absolute,
                                 bool withMainFolderName, const QStringList& jobMainFolders = {});
    // By hand: the backup folder `restoreFrom` goes back to `restoreTo`; both must be whole paths.
    static RestoreMapping manual(const QString& restoreFrom, const QString& restoreTo);

    bool isJob() const { return job_; }
    bool isValid() const { return !location_.isEmpty() && !original_.isEmpty(); }
    // The folder in the backup that holds the copies, ending in '/'.
    QString location() const { return location_; }
    // The folder the copies go back to, ending in '/'.
    QString original() const { return original_; }
    // The original folder (ending in '/') of `folder`, a folder at or below location(); an empty
    // text when it lies outside location(), would not map back to itself, or holds the copies of
    // another main folder of the job.
    QString originalFolder(const QString& folder) const;

  private:
    bool job_ = false;
    QString location_;
    QString original_;
    // The job's fields, to check a result against the run's own rule.
    QString backupFolder_;
    QString firstMainFolder_; // the run places every folder of the job by the first main folder
    bool absolute_ = false;
    bool withName_ = false;
    // The job's other main folders whose copies lie further down inside location().
    struct Other {
        QString location;
        QString original;
    };
    std::vector<Other> others_;
};

// Why files cannot be restored from `restoreFrom` into `restoreTo`: the same folder, or the
// restore-to folder inside the restore-from folder (links resolved, also for folders not made
// yet), so the restore would write into the backup it reads. Empty when fine.
QString restoreNestingProblem(const QString& restoreFrom, const QString& restoreTo);

// The part of `path` below `base` (no leading '/'; empty for `base` itself), compared by whole
// pieces; false when `path` does not lie at or below `base`.
bool pathBelow(const QString& path, const QString& base, QString* rest = nullptr);

// By hand, the folder to restore to, derived from the backup's main folder and the folder to
// restore from (the relative path type's rule backwards): "/mnt/usb/Backup" and
// "/mnt/usb/Backup/home/anna/Dok" give "/home/anna/Dok". Empty when the second does not lie
// below the first.
QString derivedRestoreTo(const QString& backupRoot, const QString& restoreFrom);

// The warning under the restore-to box, or an empty text: a text that is no whole path (named
// whole), or a path on a volume that is not there (the volume named).
QString restoreDriveWarning(const QString& restoreTo);

// A dated copy that versioning left in a version folder ("rapport[2024-05-01 14;03;27].doc").
bool isDatedVersionCopy(const QString& fileName);
