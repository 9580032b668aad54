#pragma once
#include "core/operations.h"
#include "run/run_log.h"
#include "run/run_plan.h"
#include "run/run_view.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class MainWindowServices;
struct CurrentJobRecord;
class BackupEngine;
class Mirror;
namespace platform {
class OpenedFolder;
}

// A count line as a simulation says it, which copies and saves nothing: "N filer kopierades."
// becomes "N filer skulle kopieras.".
QString simulatedText(const QString& text);
// What the copy count is called: a simulation copies nothing, it counts what would be copied.
QString copiedCountLabel(bool simulated);

// The backup runs of a window (its cmdkörbackup_Click): run start, per-job pass, run end and the
// window's return to idle. The driver owns what a run is and has come to, its RunState (the plan,
// why it stopped, the result texts); the counters are the engine's and the mirror's. The window
// shows them through its RunView.
class RunDriver {
  public:
    RunDriver(RunView& view, BackupEngine& engine, Mirror& mirror);
    // Runs `plan`, unless another operation goes on or another process of the program folder
    // holds the run lock: then the run is refused with a message and counts as failed.
    void run(const RunPlan& plan);
    // A run is still on the stack, its result windows waiting for the user included.
    bool running() const { return running_; }
    // The run going on, or the last one. While it runs, a scheduler switched off and a program
    // asked to end are taken in as its stop when asked for.
    const RunState& state() const;
    // The stop as recorded, without taking in what came from outside since.
    bool stopRecorded() const { return state_.stopped(); }
    // Stops the run for `why`; a run already stopped keeps its first reason.
    void stopRun(RunStop why) { state_.stopBy(why); }
    // Only the mirroring ends.
    void stopMirror() { state_.mirrorStopped = true; }
    // A job the test write refuses leaves the plan for good.
    void dropJob(int row) { state_.plan.drop(row); }
    // The run lock's file in the program folder.
    static QString lockFileName();
    // The run's kind as its logs say it.
    static runlog::RunMode logMode(const RunPlan& plan);

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
    bool cancelled() const; // the run's stop, outside signals taken in
    bool anySelected() const;
    int selectedCount() const;
    void selectJob(int i);
    void idleState();
    void systemLog(const QString& text);
    void appendLog(const QStringList& lines);
    void setFoldersLeft();

    // The main window as it is now.
    static MainWindowServices& mainWindow();
    // What run() starts from: nothing of the run before carries over.
    void reset(const RunPlan& plan);

    RunView& view_;
    BackupEngine& e_;
    Mirror& mi_;
    const CurrentJobRecord& job_;
    mutable RunState state_;
    bool running_ = false;
    // Kept over runs, as the window's hidden label always was.
    QString lastJob_;
    QString timesLine_, copiedLine_;   // what the start and end time lines show
    bool driveMissingHandled_ = false; // a missing drive of the current folder list is said once
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
