#pragma once
#include "core/copy_times.h"
#include "foldersync/sync_logic.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/own_tree.h"
#include "run/run_log.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

enum class CopyDecision; // run/copy_engine.h

// What the synchronisation engine needs of its window. Defaults do nothing, so tests implement
// only what they look at.
class SyncView {
  public:
    virtual ~SyncView() = default;

    // The cancel request (cmdavbryt's Tag "1").
    virtual bool cancelled() const { return false; }
    // Lets window messages run (throttled); the cancel request is tested right after.
    virtual void yield() {}

    // A window-log line: the window adds a line break and the time; `text` begins with a blank.
    virtual void windowLog(const QString&) {}
    virtual void systemLog(const QString&) {}
    // A system-log line that marks an error ("FEL! ...").
    virtual void systemLogError(const QString& text) { systemLog(text); }
    // A plain message through the message reporter (error number 0, shown).
    virtual void report(const QString&) {}
    // Shows everything reported so far now: the engine calls it before other code may write to
    // the same logs.
    virtual void flush() {}

    virtual void info(const QString&) {}                    // lblinfo
    virtual void folderCount(int /*pass*/, int) {}          // lblCount, lblCount2
    virtual void direction(int /*lblsökvägnr*/) {}          // Frame2's caption
    virtual void showFile(const QString&) {}                // txtfil
    virtual void showFolder(const QString&) {}              // txtmapp
    virtual void folderBar(int /*done*/, int /*files*/) {}  // lblprocent1
    virtual void totalBar(long /*done*/, long /*total*/) {} // lblprocent2
    virtual void countersChanged() {}                       // lbl2 and imgerr
    // The tray shows its idle picture (once per file, and when a file's handling failed).
    virtual void trayIdle() {}
};

// What one run is asked to do: the window's fields and the two program settings it reads.
struct SyncRequest {
    QString mapp1;
    QString mapp2;
    QString pattern = QStringLiteral("*.*");
    bool från1 = true;           // chkfrånsökväg1: folder 1 -> folder 2
    bool från2 = true;           // chkfrånsökväg2: folder 2 -> folder 1
    bool simulera = false;       // chksimulera
    bool sizeCheck = false;      // frmsetup.chkfilstorlek
    bool neverShellCopy = false; // frmsetup.chkaldrigapi
};

// The folder synchronisation's engine: folder lists, pairs, count, the folder pass and the copy
// rule. It keeps the run's data; the window shows it through SyncView. A run calls, in order:
// resetRun(), kolla_om_mapparna_finns(), ladda_mappar_sync(), skapa_mappar_sync(),
// räknaallasyncfiler(), loopa_mappar_sync(). Nothing of the user's is ever deleted. A RunError
// escaping a procedure is the run driver's to report.
class SyncEngine {
  public:
    SyncEngine(SyncView& view, const QString& programFolder);

    SyncRequest request;
    synclogic::SyncCounts counts;
    bool imgerr = false;
    long filtotal = 1;   // the run's file total (lblprocent2's tag), at least 1
    int lblsökvägnr = 1; // the direction in progress

    QStringList List1;                      // every folder of folder 1, the folder itself first
    QStringList List2;                      // the same for folder 2
    std::vector<synclogic::SyncPair> List3; // pairs folder 1 -> folder 2, one per List1 entry
    std::vector<synclogic::SyncPair> List4; // pairs folder 2 -> folder 1, one per List2 entry
    std::vector<platform::FileEntry> File1; // the files of the pair being handled
    // The simulation's result: sources and targets at the same index, "+ " before new files.
    QStringList simKällor;
    QStringList simMål;

    // Counters to zero, lists and result emptied, no error mark.
    void resetRun();
    void kolla_om_mapparna_finns();
    void ladda_mappar_sync();
    void skapa_mappar_sync();
    void räknaallasyncfiler();
    void loopa_mappar_sync();
    // The files of File1 for the pair at `index` of the direction's pair list.
    void file_copy_sync(int index);

    // Log lines are gathered and appended in one go: about a second after the first of them at
    // the latest, and when the folder pass ends. The run driver flushes after an error.
    void flushLogs();
    // The same (or only when due) where nothing may be thrown: inside a copy, whose temporary
    // file would stay, or in a handler that runs while the engine yields. A failure is kept and
    // thrown at the engine's next flush.
    void flushLogsKeepingFailure(bool onlyWhenDue = false);

  private:
    // The target folders, opened through handles from their side's folder: a link or another mount
    // on their way is never passed.
    platform::RootedCursor targetFolders_{platform::TreeCursor::Links::Refuse};
    // The folder the copies of the pair dealt with go into: written through its handle only.
    std::shared_ptr<const platform::OwnTree::Folder> into_;
    int intoFd() const { return into_ ? into_->fd() : -1; }
    // Folders whose names are not text leave the list; on a side the run copies from
    // (`copiedFrom`) each one is an error of the run.
    void passOverRefusedFolders(QStringList& folders, const QString& fromRoot, const QString& toRoot,
                                bool copiedFrom);
    void buildPairs(const QStringList& folders, const QString& fromRoot, const QString& toRoot,
                    const QSet<QString>& scannedTargets, std::vector<synclogic::SyncPair>& out);
    void runDirection(int dir);
    // `source` and `target`: the pair's folders with `f`'s name, made once per file.
    void copyFile(const platform::FileEntry& f, const synclogic::SyncPair& pair, const QString& source,
                  const QString& target, const platform::FolderLookup& lookup);
    // Copies by the decision `d`, made on the target `now` (nothing there for a new file).
    // `again`: the decision was made anew after a name was found taken.
    void copyDecided(const platform::FileEntry& f, const synclogic::SyncPair& pair, const QString& source,
                     const QString& target, CopyDecision d, const platform::FileInfo& now, bool again);
    // A new file's copy found its name taken: by another source file on a disk that ignores letter
    // case (an error, nothing written over), or by a file that came meanwhile (decided on anew).
    void nameTaken(const platform::FileEntry& f, const synclogic::SyncPair& pair, const QString& source,
                   const QString& target, bool again);
    // The time the file stands for: a copy whose time the disk did not keep stands for its source's.
    qint64 standsFor(const QString& path, qint64 size, qint64 mtime) const {
        return copyTimes_.standsFor(path, size, mtime);
    }
    // A decision to replace `target` (`targetSize` bytes) by the newer `source` holds only where the
    // source's time is its own: on a disk that keeps no times, a file the record holds nothing for
    // replaces nothing. The same content is left as it is; other content is an error of the run.
    CopyDecision trustedDecision(CopyDecision d, const platform::FileEntry& f, const QString& source,
                                 const QString& target, qint64 targetSize);
    // After every copy: the record of the time it holds, and an error where that is not the source's.
    void afterCopy(const QString& source, const QString& target, const platform::CopiedSizes& sizes);
    void countCopied(const QString& logText, qint64 bytes);
    // `copied`: the length the copy wrote.
    void sizeCheck(const QString& source, const QString& target, qint64 copied);
    void copyFailed(const platform::RunError& e, const QString& source, const QString& target);
    void failureBlock(const QString& head, const QString& source, const QString& target);
    // A folder that could not be read (listed, or opened): named, and an error of the run.
    void unreadableFolder(const platform::RunError& e, const QString& folder, const QString& target);
    QSet<QString> unreadableNamed_; // the folders unreadableFolder named this run
    void fileDone();
    void logLine(const QString& file, const QString& line);
    // Writes the gathered lines once the first of them is a second old.
    void flushLogsIfDue();
    QString job() const;

    SyncView& view_;
    QString programFolder_;
    runlog::PendingLines pendingLogs_;
    qint64 pendingSince_ = -1; // ms since the epoch of the first line gathered, -1 for none
    std::optional<platform::RunError> logFailure_;
    CopyTimes copyTimes_;    // read at the start of each run
    DiskTimes diskTimes_[2]; // folder 1's and folder 2's, asked anew at each run
    int folderDone_ = 0;
    int folderFiles_ = 0;
    bool triedTwice_ = false; // the copy failing now failed on its second try too
};
