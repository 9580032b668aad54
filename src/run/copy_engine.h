#pragma once
#include "core/copy_times.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/parallel.h"
#include "platform/real_folders.h"
#include "platform/vb.h"
#include "platform/walk_guard.h"
#include "run/copy_step.h"
#include "run/run_log.h"
#include "run/target_folders.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

// The backup run's engine: test write, file count, target folders, the copy rule and
// versioning. It keeps the run's working data and counters; the backup window shows them and
// answers the questions below through RunProgress, so the engine runs without the window.
//
// A run drives it so: resetRun(); provskriv_tillbackupmapp(); räknaallajobbfiler(); then per
// job startJob(), List2 = frmmain.listmappar, skapamappar(), and for each folder index k from
// the last down, unless List3[k].filtered, file_copy(k). Every procedure writes its log lines
// before it returns; a RunError escaping one means a run log could not be written.

// A folder of the current job and where its files go.
struct FolderPair {
    QString source; // source folder, ends in '/'
    QString target; // target folder, ends in '/'; empty for a filtered folder
    // Not copied: removed by a folder filter, or its target is taken by a file that could not
    // be put aside.
    bool filtered = false;
    // The target was made by skapamappar of this run: it holds only what this run put there.
    bool made = false;
};

// The current job's folders (List2), read and changed like a QStringList. The folder loop takes
// folders out from the end of the list towards its start while the missing folders after them
// stay listed; each folder that stays is then moved once, not once for every folder taken out
// before it, so a job naming 100,000 folders costs the same whatever is missing.
class FolderList {
  public:
    FolderList() = default;
    FolderList(const QStringList& folders) : head_(folders) {} // NOLINT: used as a QStringList
    FolderList& operator=(const QStringList& folders);
    operator QStringList() const; // NOLINT
    qsizetype size() const { return head_.size() + tail_.size(); }
    bool isEmpty() const { return size() == 0; }
    void clear();
    const QString& operator[](qsizetype i) const;
    QString& operator[](qsizetype i);
    QString value(qsizetype i) const { return i >= 0 && i < size() ? (*this)[i] : QString(); }
    FolderList& operator<<(const QString& folder);
    void removeAt(qsizetype i);

  private:
    void join();
    QStringList head_;
    QStringList tail_; // the folders after head_, the last one first
};

// What the engine needs from the backup window. Defaults do nothing, so tests implement only
// what they look at.
class RunProgress {
  public:
    virtual ~RunProgress() = default;

    // ---- run state
    virtual bool simulated() const { return false; }     // chkbackupsimulera ticked
    virtual bool windowVisible() const { return false; } // the backup window is shown
    virtual bool mirroring() const { return false; }     // the run's plan mirrors
    // The run was stopped (RunStop): by the user, the program's ending or the scheduler switched off.
    virtual bool cancelled() const { return false; }
    // Stops the run for a full disk.
    virtual void stopRun() {}
    // Lets window messages run (throttled); the cancel flags are tested right after.
    virtual void yield();

    // ---- job list List1 and the current-job record
    virtual int jobCount() const { return 0; }
    virtual QString jobText(int) const { return {}; }
    virtual bool jobSelected(int) const { return false; }
    virtual void setJobSelected(int, bool) {}
    // Makes entry i current in List1 and loads job i into frmmain's current-job record.
    virtual void selectJob(int) {}
    // The text of List1's current entry: the job being run.
    virtual QString jobName() const { return {}; }

    // ---- display
    virtual void clearWindowLog() {}
    // A window-log line: the window adds a line break and the time "hh:mm:ss"; `text` begins
    // with a blank.
    virtual void windowLog(const QString&) {}
    virtual void status(const QString&) {}   // frmmain.lblschema_statuspågår
    virtual void showFile(const QString&) {} // txtfil
    // txtfil for file k of n: fileDisplayText of the values. A window that shows it only now and
    // then may keep the values and make the text when it shows it.
    virtual void showFileOf(int k, int n, const QString& fileName, qint64 bytes);
    virtual void showTargetFolder(const QString&) {} // txtbackup
    // lbl2, lblantalfel, lblantalfelrätt and imgerr from the engine's counters.
    virtual void countersChanged() {}
    // lblprocent1: `steps` of `files` steps of the folder bar; files 0 means the full bar.
    virtual void folderBar(int /*steps*/, int /*files*/) {}
    // lblprocent3 (width, and caption percentText) and frmmain.lblprocent.
    virtual void totalBar(long /*done*/, long /*total*/) {}
    // The tray icon's busy (true) or idle picture.
    virtual void busy(bool) {}
    // The message reporter's line and dialog for an error that stops the run. The backup window
    // writes the line now and keeps the dialog until the run has let go of its files.
    virtual void message(int number, const QString& text, const QString& place);
    // A job the test write refuses ("FEL! Jobbet ..."): the line and the dialog now. The backup
    // window keeps the dialog of a run by hand until the run has let go of its files.
    virtual void refusal(const QString& text, const QString& place);
};

// ---- deciding and formatting, without files ------------------------------------------------

enum class CopyDecision { New, Replace, Unchanged };
// Newer wins (the restore, the synchronisation): a target is replaced only when the source is
// later by two seconds or more.
CopyDecision decideCopy(bool targetExists, qint64 sourceTime, qint64 targetTime);
// The backup's rule for an existing target: it is replaced when its size is not the source's or
// its time is two seconds or more from the source's, either way. `recordedSourceTime` is the
// source's time the record holds for a copy whose time the disk did not keep (CopyTimes): such a
// copy stands for that time.
CopyDecision decideCopy(qint64 sourceTime, qint64 sourceSize, qint64 targetTime, qint64 targetSize,
                        std::optional<qint64> recordedSourceTime);

// Size in MB: bytes / 1000 / 1000.
double megabytes(qint64 bytes);
using platform::localeNumber;
// Size filter: maxMb not empty, size not 0 and larger than the limit. Throws 13 for a bad limit.
bool excludedBySize(qint64 bytes, const QString& maxMb);
// Type filter on "*.tmp;*.bak": the extension is the text after the last '.' of the whole path.
bool excludedByType(const QString& sourcePath, const QString& excludedTypes);
// Name filter: the file name occurs in the filter text, letter case ignored.
bool excludedByName(const QString& fileName, const QString& excludedNames);
// "k/n name", or "k/n (12,34 MB) name" for files over 5 MB.
QString fileDisplayText(int k, int n, const QString& fileName, qint64 bytes);
// The total bar's caption: done / total in per cent, "0.0" and "%".
QString percentText(long done, long total);
// A temporary file that a copy into a target folder leaves behind when it is killed: the
// temporary file of the copy itself, or a replaced file's new copy waiting for its name.
bool isLeftoverCopyName(const QString& name);

// ---- the engine ------------------------------------------------------------------------------

class BackupEngine {
  public:
    explicit BackupEngine(RunProgress& progress);
    ~BackupEngine();
    BackupEngine(const BackupEngine&) = delete;
    BackupEngine& operator=(const BackupEngine&) = delete;

    // Run totals (reset by resetRun).
    long kopierade_totalt = 0;
    long genomsökta_totalt = 0;
    long nya_totalt = 0;
    long ändrade_totalt = 0;
    long skyddade_totalt = 0;
    long exkluderade_totalt = 0;
    long misslyckade_totalt = 0;
    long fel_filstorlek_totalt = 0;
    double mb_kopierat = 0;
    long versioner_totalt = 0;
    bool versionshantering_använd = false;
    // Job counters (reset by startJob).
    long kopierade_jobb = 0;
    long fel_jobb = 0;
    long versioner_jobb = 0;
    bool fel_i_jobbet = false;
    // lblantalfel's number and imgerr's visibility.
    long antalfel = 0;
    bool imgerr = false;
    // The run's file total (lblprocent3's tag), at least 1.
    long filtotal = 1;

    // The current job's folders and their pairs, at the same index. The per-job pass fills
    // List2 from frmmain.listmappar; skapamappar fills List3 and marks filtered folders in List2
    // with "EXKLUDERAD: ".
    FolderList List2;
    std::vector<FolderPair> List3;
    // Missing drives and backup folders of the run (listsaknadenhet).
    QStringList listsaknadenhet;
    // Why each job the test write left out could not be written to, naming the job and its folder.
    QStringList unwritableJobs;
    // Jobs the test write left out because they must not run at all (runRefusal).
    int refusedJobs = 0;
    // Per job (its row), the backup folder the test write approved: what the job's mirror may
    // delete in, however the folder's text is reached later in the run.
    std::map<int, platform::FolderId> approvedBackupFolders;
    // The folders of another mount below the backup folder named in the current job (as
    // platform::otherMountText words them), each named and counted once.
    QSet<QString> otherMountsNamed;
    // Missing folders of the run (the backup window's hidden listerror shows them at the run end).
    MissingFolderList listerror;
    // Simulation result lists: sources and targets, "+ " before new files.
    QStringList simKällor;
    QStringList simMål;
    // The backup folders of the simulated jobs, one entry per job.
    QStringList simBackupFolders;

    // Zeroes the run totals, job counters and error count; empties the lists. The run start.
    void resetRun();
    // Zeroes the job counters. Every job start.
    void startJob();
    // Counting an error: fel_i_jobbet, lblantalfel + 1, fel_jobb + 1, and imgerr when asked.
    void countError(bool showImage = true);
    // Takes counted errors back (lblantalfel - n, fel_jobb - n).
    void takeBackError(int n = 1);

    // Writes and deletes the test file in every selected job's backup folder; deselects the
    // jobs that fail and notes why in listsaknadenhet.
    void provskriv_tillbackupmapp();
    // Counts the files of every selected job into filtotal.
    void räknaallajobbfiler();
    // Folder filters and target folders of the current job: fills List3 from List2.
    void skapamappar();
    // The copy rule for the folder List2[index] / List3[index].
    void file_copy(int index);
    // The same, listing the source folder from `source`, which the caller opened to see it there.
    void file_copy(int index, const platform::OpenedFolder& source);
    // An entry of a source that could not be read (a folder that cannot be listed, a file whose
    // status cannot be read, one the structure refresh could not list): a "FEL" block naming it
    // (`target` the "Till:" line, when there is one), an error of the job. Each entry once a run.
    void reportUnreadable(const platform::RunError& e, const QString& source, const QString& target = {});
    // Keeps the old target aside before it is replaced. Returns false when no version could be
    // made (the error is reported): the target must then stay in place.
    bool versionshantering(const QString& targetPath, int index);
    // The same, for a file whose source lay in `sourceFolder`.
    bool keepVersion(const QString& targetPath, const QString& sourceFolder);

    // Log lines are gathered and appended in one go; every procedure above flushes before it
    // returns. Throws RunError when a log cannot be written.
    void flushLogs();
    // While held, file_copy leaves its lines gathered for the next call, writing them once they
    // are a second old or many; releasing writes them. The folder loop holds them over a job's
    // folders, so a folder of one file costs no log write of its own. Whoever writes the same
    // logs directly meanwhile flushes first.
    void holdLogs(bool hold);
    // Waits for the copies still going on and does what follows them; whoever goes on with the
    // run without file_copy calls this first and then looks whether the run was stopped.
    void finishCopies() { bookCopies(0); }
    // The batches of new-file copies still in memory, of every engine: none is left once the
    // engines are gone, however many files they copied.
    static qsizetype copyBatchesAlive();

    // What the run's structure refresh read of a source folder: the count takes it for the folder
    // (by its text and pattern) instead of reading the folder again. Forgotten when the count ends.
    void keepRefreshRead(const QString& folder, platform::FolderFiles&& seen);
    // What was kept of `folder` by `pattern`, or nullptr.
    const platform::FolderFiles* refreshRead(const QString& folder, const QString& pattern) const;

  private:
    void logLine(const QString& file, const QString& line);
    void systemLog(const QString& text, bool error);
    void reportSizeError(const QString& head, const QString& source, qint64 sourceLen, const QString& target,
                         qint64 targetLen);
    void progressUpdate();
    // Puts one copy in place through the copy step; `decidedOn` is the target decided on.
    copystep::Result copyOne(const QString& source, const QString& target, qint64 bytes,
                             const platform::FileInfo& decidedOn, int index);
    // Counts and says what came of a copy of `f` (`replaced`: over an older copy).
    void booked(const copystep::Result& r, const platform::FileEntry& f, const QString& source,
                const QString& target, int index, bool replaced, bool again);
    // The copy rule for one file that passed the filters, given what its target is (`t` for a
    // file). `again`: the target was looked at anew after another file took its name.
    void copyByRule(const platform::FileEntry& f, const QString& source, const QString& target, int index,
                    platform::FolderLookup::Kind kind, const platform::FileEntry& t, bool again = false);
    // A new file's copy found its name taken: by another source file on a disk that ignores letter
    // case (an error, nothing written over), or by a file that came meanwhile (decided on anew).
    void nameTaken(const platform::FileEntry& f, const QString& source, const QString& target, int index,
                   bool again);
    // What follows every copy: the record of the time it holds, and an error where that is not the
    // source's time.
    void afterCopy(const QString& source, const QString& target, const platform::CopiedSizes& sizes);
    CopyTimes& copyTimes();
    // `triedTwice`: the error of a copy that failed on its second try too.
    void handleCopyError(const platform::RunError& e, const QString& source, const QString& target,
                         bool triedTwice = false);
    void countCopied(const QString& mark, const QString& target, qint64 bytes);
    // A file or folder that failed: the error counted, its "FEL" block and lines.
    void failure(const platform::RunError& e, const QString& source, const QString& target);
    // Its lines only, for an error already counted.
    void logFailure(const platform::RunError& e, const QString& source, const QString& target);
    QSet<QString> unreadableNamed_; // the sources reportUnreadable named this run
    QHash<QString, platform::FolderFiles> refreshRead_;
    // Clears the way for a target folder below the backup folder where a file of that name (or
    // of a folder above it) lies, left from a run when the source was a file. False when the file
    // could not be put aside (reported).
    bool putAsideFileInTheWay(const QString& target, const QString& backupFolder, const QString& source);
    // Removes what killed copies left in the target folder, found among the names it read.
    void removeLeftoverCopies(const QString& targetFolder, const platform::FolderLookup& targets,
                              const std::vector<platform::FileEntry>& sources);
    void sizeCheck(const QString& source, const QString& target, const platform::CopiedSizes& sizes);

    RunProgress& progress_;
    runlog::PendingLines pendingLogs_;
    CopyTimes copyTimes_; // read at the run's first look at it
    int folderSteps_ = 0;
    int folderFiles_ = 0;
    // Version names per version folder, kept for one copy call so a folder is listed once.
    QString versionFolderCached_;
    std::set<QString> versionNames_;
    bool versionCacheValid_ = false;
    // The current job's backup folder, whose folders are made and entered never through a link.
    platform::RealFolders backupFolders_;
    platform::RealFolders& backupFolders();
    // The target folders as the copy reaches them: through handles from the backup folder, so a
    // copy goes into the folder that was checked, whatever its path leads to meanwhile.
    platform::RootedCursor targetFolders_{platform::TreeCursor::Links::Replace};
    platform::RootedCursor versionFolders_{platform::TreeCursor::Links::Replace};
    std::shared_ptr<const platform::OwnTree::Folder> targetFolder_; // of the copy dealt with now
    int targetFd() const { return targetFolder_ ? targetFolder_->fd() : -1; }
    // A drive or bind mount met below the backup folder, named once per run.
    void otherMountFound(const QString& text);
    // The pair's target folder opened (made where it went missing, a link in its place replaced);
    // null when it cannot be, said and counted.
    std::shared_ptr<const platform::OwnTree::Folder> openTargetFolder(const FolderPair& pair);
    bool inCopy_ = false; // inside file_copy: logs are flushed once at its end
    bool logsHeld_ = false;
    QElapsedTimer lastFlush_;
    void flushUnlessHeld();

    // While the logs are held (the folder loop), the copy of a new file runs on another thread
    // and the engine goes on with the next files; what follows a copy (counters, log line, size
    // check, error) is done in the files' order, before anything else the engine does.
    struct CopyBatch;
    struct PendingCopy;
    std::deque<PendingCopy> copies_;
    std::shared_ptr<CopyBatch> openBatch_; // the last copies, not handed to a thread yet
    void handOutBatch();
    std::unique_ptr<platform::TaskPool> copyPool_;
    bool booking_ = false;
    qint64 bytesAhead_ = 0;      // the sizes of the copies in copies_
    bool copiesStopped_ = false; // the disk filled up: the copies after that file are undone
    // The run was stopped: the copying threads stop within the file they copy.
    std::shared_ptr<std::atomic<bool>> stopCopies_ = std::make_shared<std::atomic<bool>>(false);
    bool bigCopyWithDialog(qint64 bytes) const;
    // Left out by the size, type or name filter, or not known without an error.
    bool excludedQuietly(const platform::FileEntry& f, const QString& source) const;
    void copyNew(const QString& source, const QString& target, const platform::FileEntry& f, int index);
    // Does what follows the copies that are done, in their order, waiting for them while more
    // than `leave` are left.
    void bookCopies(qsizetype leave = 0);
};
