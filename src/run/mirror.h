#pragma once
#include "platform/files.h"
#include "platform/own_tree.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// Mirroring: after a pass the backup folder holds no folder and no file that the job's source no
// longer has. Simulated, it only counts and lists what it would delete.

// The job's fields that mirroring reads from the current-job record.
struct MirrorJob {
    QString backupFolder;     // txtbackupmapp
    QStringList mainFolders;  // combomappar
    QString pathType;         // txtsökvägtyp: "1" absolute
    QString createMainFolder; // txtabsolutsökväg_huvudmapp: "JA"/"NEJ"
    QString preventMirror;    // txtsynkroniseraej: "JA"/"NEJ"
    QString versionFolder;    // txtversionmapp: never touched by mirroring
    QStringList folders;      // listmappar: every folder of the job
    // The folders that were the root of a disk of their own at the job's last complete run.
    QStringList mountRoots;
    // The backup folder the run's check approved when the run started; {} takes it as it is.
    platform::FolderId approved;
};

// What the backup window shows of a pass; the engine keeps the data, the view only shows it.
class MirrorView {
  public:
    virtual ~MirrorView() = default;
    virtual void windowLog(const QString& text) = 0;         // a window-log line; text begins with a blank
    virtual void appendToWindowLog(const QString& text) = 0; // appended to the last window-log line
    virtual void runLog(const QString& line) = 0;            // a line of log.txt
    virtual void errorLog(const QStringList& lines) = 0;     // a block of log_err.txt
    virtual void countError() = 0; // one more error of the run and of the job, marker shown
    virtual bool cancelled() = 0;  // the mirroring or the run was cancelled
    virtual void yield() {}        // let pending window events run
    virtual void showPanel(bool) {}
    virtual void setMainFolderCaption(const QString&) {}
    virtual void setStatus(const QString&) {}
    virtual void setCurrentName(const QString&) {}
    virtual void setFoldersLeft(int) {}
    virtual void setDeletedCounts(long folders, long files, const QString& mark) {
        Q_UNUSED(folders);
        Q_UNUSED(files);
        Q_UNUSED(mark);
    }
    virtual void setProgress(double folders, double files) {
        Q_UNUSED(folders);
        Q_UNUSED(files);
    }
    virtual void setWorking(bool) {}
    virtual void setSchedulerStatus(const QString&) {}
};

// The job's backup folder and version folder, and all below them, are never a source: a run
// neither copies them nor keeps their copies when mirroring. A folder of a main folder that lies
// inside one of them (a source kept in the backup folder) is a source all the same.
bool isRunOwnFolder(const QString& folder, const QStringList& mainFolders, const QString& backupFolder,
                    const QString& versionFolder);
// A source folder as the copy pass finds it: it exists and its volume is there (an unplugged
// disk leaves an empty mount folder behind, which is not the disk's content).
bool sourceFolderPresent(const QString& folder);
// The same for a folder the caller has opened.
bool sourceFolderPresent(const QString& folder, const platform::OpenedFolder& opened);
// A source folder that holds nothing, or only one hidden file (what a desktop leaves on a bare mount
// point): where its backup holds files, more likely a disk not mounted than a folder emptied.
// Throws RunError when it cannot be read.
bool nearlyEmptyFolder(const QString& folder);

class Mirror;
// What the job remembers after a complete run: its folders that are the root of a disk of their
// own now, and the remembered ones that are not so now, unless the mirror released them.
QStringList mountRootsToRemember(const MirrorJob& job, const Mirror& mirror);

class Mirror {
  public:
    explicit Mirror(MirrorView& view) : view_(view) {}

    // Run totals, kept over every job of a run.
    long raderade_mappar = 0;
    long raderade_mappfiler = 0;
    long raderade_enstaka_filer = 0;
    double mb_raderat = 0;
    bool ej_speglat_jobb = false;
    // Job level.
    long raderade_filer_jobb = 0;
    bool fel_i_jobbet = false;
    // What a simulated pass would delete: files as full paths, folders ending in '/'.
    QStringList leftovers;
    // The folders of another mount named in the current job (as otherMountText words them): each
    // is named and counted once, also when the target folders named it first.
    QSet<QString> namedMounts;
    // Of the current job: the remembered disk roots not mounted now whose backup holds nothing the
    // mirror could delete (no longer worth remembering), and the main folders whose backup holds
    // none of the job's copies (another disk or another job's backup at the backup folder), which
    // are not copied into.
    QStringList releasedMountRoots;
    QStringList notTheJobs;

    void resetRun();
    // The folders of the current job that the copy pass will report as missing; set by the
    // per-job pass before the job is mirrored. Their main folders are not mirrored.
    void setMissingFolders(const QStringList& folders) { missingFolders_ = folders; }

    // The mirroring of one job: decides whether it is mirrored and runs a pass per main folder
    // whose copy exists in the backup folder.
    void sync_förbered(const MirrorJob& job, bool mirror, bool simulate, bool toTrash);
    // One pass over a target root in the backup folder `tree`.
    void sync(const MirrorJob& job, const platform::OwnTree& tree, const QString& targetRoot, bool simulate,
              bool toTrash);

    // The folder in the backup folder that receives a main folder.
    static QString targetRoot(const MirrorJob& job, const QString& mainFolder);
    // The source folder that a target folder mirrors, ending in '/'.
    static QString sourceFolderFor(const MirrorJob& job, const QString& targetFolder);

  private:
    // A folder of the pass: its path, its name on disk and the folder it lies in (-1: the root).
    struct Scanned {
        QString path;
        QByteArray raw;
        int parent = -1;
        bool unread = false; // its listing failed
        bool link = false;   // a link to a folder: never entered, removed as the link
    };
    // True when the main folder must not be mirrored (reported here or by the copy pass).
    bool holdMainFolder(const platform::OwnTree& tree, const QString& main, const QString& root);
    void reportHold(const QString& reason, const QString& main, const QString& root);
    // A line of the mirror's FEL kind: window log, program log and log.txt, counted.
    void reportError(const QString& text);
    // A folder of another mount, left alone: named and counted once per job.
    void nameOtherMount(const QString& path);
    // The target root holds a file that a pass could delete (links and kept folders aside).
    bool holdsDeletableFile(const platform::OwnTree& tree, const QString& root) const;
    // The target root holds a copy of one of the job's files: a file named as a file its source
    // folder holds. Walks only folders whose source is there, up to the first copy.
    bool holdsJobCopy(const platform::OwnTree& tree, const MirrorJob& job, const QString& root) const;
    // Keeps the backup of each remembered disk root below `main` that is not mounted now; true
    // when that is the main folder itself.
    bool holdUnmountedRoots(const platform::OwnTree& tree, const MirrorJob& job, const QString& main,
                            const QString& root);
    // A folder of the job's own that mirroring never touches: the version folder, or a main
    // folder kept inside the backup folder. Known by what it is, however it is written.
    bool keptFolder(const platform::FolderId& id) const;
    // Lists the target folders below `root`, each before the folders inside it; a kept folder is
    // left out and put into `kept`, a folder of another mount left out and named.
    std::vector<Scanned> scan(const platform::OwnTree& tree, platform::OwnTree::Folder root,
                              QStringList& kept);
    // Sends a file or folder to the trash when it lies whole on the backup folder's mount. True
    // when it went.
    bool toTrash(const platform::OwnTree& tree, const QString& path);

    MirrorView& view_;
    long labelFolders_ = 0;
    long labelFiles_ = 0;
    QStringList missingFolders_;
    std::vector<platform::FolderId> keptIds_; // the current job's kept folders
};
