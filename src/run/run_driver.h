#pragma once
#include "core/operations.h"
#include "run/run_plan.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class frmutförbackup;
class MainWindowServices;
struct CurrentJobRecord;
class BackupEngine;
namespace platform {
class OpenedFolder;
}

// A count line as a simulation says it, which copies and saves nothing: "N filer kopierades."
// becomes "N filer skulle kopieras.".
QString simulatedText(const QString& text);

// One whole backup run of the backup window (its cmdkörbackup_Click): run start, per-job pass,
// run end and the window's return to idle. What the run is and has come to is its RunState (the
// plan, why it stopped, the result texts) with the engine's and the mirror's counters; the
// window's controls show them.
class RunDriver {
  public:
    explicit RunDriver(frmutförbackup& window);
    // Runs, unless another operation goes on or another process of the program folder holds the
    // run lock: then the run is refused with a message and counts as failed.
    void run();
    // The run lock's file in the program folder.
    static QString lockFileName();

    // The result text and summary block the run end makes for the result dialog.
    QString resultText() const;
    QString summaryBlock() const;

  private:
    // Phases.
    bool start(); // false: the run ended early
    void earlyEnd(bool noneWritable);
    void refreshFolderStructures();
    bool jobPass(); // false: cancelled
    void folderLoop(const QString& jobName);
    void missingFolder(const QString& path);
    // The job's backup folder is still the one the run's check approved; said and counted if not.
    bool backupFolderStillApproved(int row);
    // A folder of the list that cannot be copied for `logText`'s reason: counted, logged in
    // log_err.txt and the program log. False when the run was stopped meanwhile.
    bool folderError(const QString& jobName, const QString& folder, const QString& logText,
                     const QString& systemLogText);
    // The job's folders without its backup and version folders, which are never copied.
    QStringList foldersToCopy() const;
    // The folders of List2 that the folder loop will find missing.
    QStringList missingFolders() const;
    void jobEnd(int i, const QString& jobName);
    void runEnd();
    void report();
    void errorHandler(int number, const QString& description);

    // Steps that other parts of the run carry out.
    void provskriv_tillbackupmapp();
    void räknaallajobbfiler();
    void skapamappar();
    void file_copy(int k, const platform::OpenedFolder& source);
    // The job's last backup, once its pass is done: a stopped or failed job has none.
    void writeLastRun(const QDateTime& when);
    // The files the run is measured against: all it counted when it stopped before looking at
    // them all.
    long long filesToLookAt() const;
    // The verdict of the summary and what the finished runs' list notes of a stop.
    QString verdict() const;
    // Why the jobs the test write left out could not be written to.
    QString unwritableText(const QString& separator) const;
    const RunPlan& plan() const;

    // The gate and the run lock are held while the run works and writes its logs, never while
    // one of its windows waits for the user.
    enum class Hold { Held, Busy, Locked };
    Hold hold(); // Busy: another operation goes on; Locked: another process runs; nothing held then
    void letGo();
    // The saved log of a simulated run, written once its simulation window has closed.
    void saveAfterSimulation();
    QString saveLog(); // the saved log's path, empty when none was saved

    // Helpers.
    bool cancelled() const; // avbryt_körning first, then schema_avstängt
    bool anySelected() const;
    int selectedCount() const;
    void selectJob(int i);
    void idleState();
    void systemLog(const QString& text);
    void appendLog(const QStringList& lines);
    void setFoldersLeft();

    frmutförbackup& w_;
    MainWindowServices& m_;
    BackupEngine& e_;
    const CurrentJobRecord& job_;
    QString startDate_, startTime_;
    QDateTime startStamp_;  // start date and time as one value
    QDateTime startMoment_; // taken when the test write has passed
    QString simPrefix_;
    int barStep_ = 0;
    int folderBarWidth_ = 0;
    bool handlerUsed_ = false;
    bool counted_ = false; // the run's files were counted to the end
    QList<int> chosen_;    // the jobs chosen, before the test write left any out
    std::optional<Operation> operation_;
    RunLock lock_;
};
