#pragma once
#include "run/run_log.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// What the run driver shows and asks of the window it runs in. The backup window implements it;
// tests stand in for it. The copy engine's progress (RunProgress) and the mirroring panel
// (MirrorView) go their own ways.
class RunView {
  public:
    virtual ~RunView() = default;

    // ---- what only the window knows
    virtual bool visible() const { return false; }
    // The window shows a run going on (its "Utför!" disabled), also one it did not start.
    virtual bool runGoingOn() const { return false; }
    // Several jobs of the scheduler's common setting run together.
    virtual bool commonSchedule() const { return false; }

    // ---- the job list: entries by row
    virtual int jobCount() const { return 0; }
    virtual QString jobText(int) const { return {}; }
    virtual void setJobText(int, const QString&) {}
    virtual int currentJob() const { return -1; }
    // Makes a row current without changing which rows are marked.
    virtual void setCurrentJob(int) {}

    // ---- the run's controls
    // "Utför!" disabled while a run goes on.
    virtual void showRunGoingOn(bool) {}
    // "Avbryt" and "Paus" shown, "Utför!", "Stäng" and the run options locked; or all back to idle.
    virtual void showRunControls(bool) {}
    // The job summary (outside a run) or the folder list (during one).
    virtual void showJobSummary(bool) {}
    virtual void hideMirrorPanel() {}
    // A cancel asked for from outside before this run is forgotten.
    virtual void clearCancelRequest() {}

    // ---- the window log
    virtual void clearWindowLog() {}
    // A line: the window adds a line break and the time; `text` begins with a blank.
    virtual void windowLog(const QString&) {}
    virtual void appendToWindowLog(const QString&) {}

    // ---- counts, times and results
    // The error count, the error marker and (while followed) the copy count from the engine.
    virtual void showCounters() {}
    // One more error of the run and of the job; the marker too when `showImage`.
    virtual void countError(bool /*showImage*/) {}
    // The copy count shown follows the engine's until the run end writes it.
    virtual void followCopyCount(bool) {}
    // The start and end time line and the copy count and time taken line.
    virtual void showTimes(const QString& /*started*/, const QString& /*copied*/) {}
    virtual void showCopiedAndErrors(const QString&) {}
    virtual void showMissingFolders(const QStringList&) {}
    // The name of the job run last (or, after a scheduled run, what its log entry says of it)
    // and the current job's backup folder.
    virtual void showLastJob(const QString&) {}
    virtual void showBackupFolder(const QString&) {}
    virtual void showFile(const QString&) {}
    virtual void showTargetFolder(const QString&) {}

    // ---- progress
    // Lets window messages run now and then, and shows the run's progress when it is time.
    virtual void yield() {}
    // Shows now what the engine reported since the last refresh.
    virtual void applyProgress() {}
    // The three bars empty (`full` false) or full, the total's caption cleared.
    virtual void showBars(bool /*full*/) {}
    virtual int jobBarWidth() const { return 0; } // the job bar's full width
    virtual void clearJobBar() {}
    virtual void showJobProgress(int /*barWidth*/, int /*foldersLeft*/) {}
    virtual void showFoldersLeft(int) {}
    virtual void clearFoldersLeft() {}
    // The current job's folders from the engine, after skapamappar only their marks, none.
    virtual void showJobFolders() {}
    virtual void showJobFolderMarks() {}
    virtual void clearJobFolders() {}
    virtual void markJobFolder(int) {}
    virtual void removeJobFolder(int) {}
    // The small progress window shown while the backup window is not.
    virtual void showProgressWindow(bool) {}

    // ---- the window's procedures of the run
    virtual void startRunLog(const QString& /*date*/, const QString& /*time*/) {} // tömlogfil
    virtual void saveChosenJobs() {}   // spara_valda_inställningar
    virtual void foldExclusionLog() {} // kopiera_exlog_till_log
    virtual void foldErrorLog() {}     // kopiera_errorlog_till_log
    // spara_loggfil_i_loggmapp: the saved log's path, empty when none was saved.
    virtual QString saveRunLog(const QDateTime& /*start*/, runlog::SavedLogFacts) { return {}; }
    virtual void closeProgramsBefore() {} // stäng_program_före_backup
    virtual void startProgramsAfter() {}  // starta_program_efter_backup
    virtual void prepareMirror() {}       // sync_förbered
    virtual void rememberJobRun() {}
    // The message reporter's line now, its dialog kept for showHeldMessage.
    virtual void holdMessage(int /*number*/, const QString& /*text*/, const QString& /*place*/,
                             const QString& /*description*/ = {}) {}
    virtual void showHeldMessage() {}
    // The result dialog made ready: its error marker, its result text and summary rows.
    virtual void loadResult(bool /*errors*/, bool /*stopped*/, const QString& /*result*/,
                            const QStringList& /*rows*/) {}
    // Result windows; each returns when it is closed.
    virtual void showSchedulePopup(const QString& /*detail*/ = {}) {} // visa_popup_schema
    virtual void showLeftovers(const QDateTime& /*start*/) {}         // visa_syncfilermappar
    virtual void saveLeftoverList(const QDateTime& /*start*/) {}      // spara_syncschemalista_till_fil
    virtual void showSimulation() {}                                  // visa_simulerad_backup
    virtual void showResult() {}                                      // visa_klarbackup
    // The chosen job's summary read again.
    virtual void refreshJobSummary() {}
    // An unattended run leaves no window behind: the result windows and the window go.
    virtual void closeAfterUnattendedRun() {}
};
