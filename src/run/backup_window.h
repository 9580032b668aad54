#pragma once
#include "core/run_services.h"
#include "run/run_log.h"
#include "run/run_plan.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <utility>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class Mirror;
class MirrorView;
class BackupEngine;
class RunDriver;
class RunProgress;
class RunView;
class WindowRunProgress;
class WindowRunView;

// A file list box of the window: a folder and the pattern of the files it lists.
struct FileListBox {
    QString Path;
    QString Pattern = QStringLiteral("*.*");
};

// The backup window: the jobs to run, the run buttons and the run's progress. Its run driver runs
// the backups and owns their state; the controls show it and are, for the rest of the program,
// the run's signals: the caption tells who started the run, a disabled cmdkörbackup means a run
// is going on.
class frmutförbackup : public QWidget, public RunServices {
  public:
    frmutförbackup();
    ~frmutförbackup() override;

    // ---- job list and run options ------------------------------------------------------------
    QGroupBox* Frame1 = nullptr;
    QListWidget* List1 = nullptr;           // job names, several markable
    QCheckBox* chkbackupsimulera = nullptr; // "Simulera backup"
    QCheckBox* chksync = nullptr;           // "Spegla"
    QCheckBox* chksyncsimulera = nullptr;   // "Simulera spegling"
    QPushButton* cmdmarkera1 = nullptr;     // "Markera alla"
    QPushButton* cmdmarkera2 = nullptr;     // "Avmarkera alla"

    // ---- buttons of the bottom row ---------------------------------------------------------
    QPushButton* cmdkörbackup = nullptr;  // disabled exactly while a run is going on
    QPushButton* cmdkörbackup2 = nullptr; // run after the mirror warning
    QPushButton* cmdavbryt = nullptr;
    QPushButton* cmdpaus = nullptr;
    QPushButton* Command4 = nullptr; // "Stäng"
    QPushButton* cmdvisalogg = nullptr;
    QLabel* lblhjälp = nullptr;
    QLabel* imgerr = nullptr;      // visible: the run had errors
    QLabel* lblantalfel = nullptr; // the run's error count as text
    QLabel* lbl1 = nullptr;        // start and end time
    QLabel* lbl2 = nullptr;        // copy count and time taken

    // ---- the run's lists, log and bars -------------------------------------------------------
    QGroupBox* Frame2 = nullptr;
    QPlainTextEdit* txtsammanställning = nullptr;
    QListWidget* List2 = nullptr;          // the current job's folders left
    QPlainTextEdit* txtloggtext = nullptr; // the window log
    QLabel* txtmapparkvar = nullptr;
    QLabel* lblantalfelrätt = nullptr;
    QLineEdit* txtfil = nullptr;
    QLineEdit* txtbackup = nullptr;   // the current target folder
    QListWidget* listerror = nullptr; // folders that did not exist during the run
    QLabel* lblsenastkördajobb_namn = nullptr;
    QLabel* lblmapp = nullptr;
    QFrame* Picture1 = nullptr; // job bar
    QFrame* Picture2 = nullptr; // whole-run bar
    QFrame* Picture3 = nullptr; // folder bar
    QLabel* lblprocent1 = nullptr;
    QLabel* lblprocent2 = nullptr;
    QLabel* lblprocent3 = nullptr;
    QLabel* lblprocenttotal = nullptr;
    QLabel* lblprocentjobb = nullptr;
    QLabel* lblprocentmapp = nullptr;
    QString lblprocent3_Tag; // the run's file count, never "0"

    // ---- the mirroring panel -----------------------------------------------------------------
    QGroupBox* frame_sync = nullptr;
    QPushButton* cmdavbrytsync = nullptr;
    QLabel* lblsynctid = nullptr;
    QLabel* lblraderadefiler = nullptr;
    QLabel* lblraderademappar = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblantalmappar = nullptr;
    QLabel* lblinfo = nullptr;
    QLabel* lblpath = nullptr;
    QLineEdit* txtsyncfilmapp = nullptr;
    QFrame* Picture4 = nullptr;
    QFrame* Picture5 = nullptr;
    QLabel* lblprocent22 = nullptr;
    QLabel* lblprocent11 = nullptr;
    QTimer* Timer1 = nullptr; // stopwatch of a mirror pass

    // ---- hidden working data -----------------------------------------------------------------
    QString lblavbryt;             // "1": cancel requested from outside; use setLblavbryt
    QStringList listsyncmappar;    // folders found by the mirror step's scan
    QStringList listsaknadenhet;   // missing-drive and test-write notes of the run
    QStringList List3;             // folder pairs of the current job, as List2
    QStringList listversionsfiler; // working list of the versioning
    FileListBox File1, File2;
    FileListBox filelog{QString(), QStringLiteral("*.txt")};

    // ---- form variables of the run -------------------------------------------------------------
    // The copy totals, job counters, error count, List2/List3 and the missing-drive notes are
    // kept by the engine (engine()), the mirror's counts by the mirror (mirror()), what the run
    // is and has come to by the driver (runState()); the window shows them.
    // Set by the scheduler before a run of its common setting: the finished runs' list then names
    // no single job when several ran together.
    bool gemensamt_schema = false;

    // Caption: "commandline", "schema" or anything else for a run by hand. During a run, the
    // kind its plan was started with.
    QString caption() const override { return running() ? runState().plan.marker() : windowTitle(); }
    void setCaption(const QString& c) { setWindowTitle(c); }
    bool runGoingOn() const override;
    // A run is still on the stack, its result windows waiting for the user included.
    bool running() const;
    // The running run's plan; outside a run, what the controls would start.
    RunPlan plan() const { return running() ? runState().plan : planFromControls(); }
    // The run going on, or the last one; its stop also takes in a scheduler switched off and a
    // program asked to end.
    const RunState& runState() const;
    // Stops the run for `why`; a run already stopped keeps its first reason.
    void stopRun(RunStop why);
    bool runStopped() const { return runState().stopped(); }
    bool simulating() const;
    // What the floors below ask of the window while it is loaded.
    bool cancelRequested() const override { return lblavbryt == QLatin1String("1"); }
    void appendProgressText(const QString& text) override;
    void setStatusText(const QString& text) override;
    void unreadableSource(const QString& path, const platform::RunError& error) override;
    QString countPattern() const override;
    void sourceFolderRead(const QString& path, platform::FolderFiles&& seen) override;
    QStringList* syncFolders() override { return &listsyncmappar; }
    void setSyncFolderCount(const QString& text) override;
    // During a run the job list and the run options take no input; what the window shows of the
    // run stays readable (the frames are never disabled, which would grey their contents).
    void setRunInputLocked(bool locked);
    // Outside a run the job summary shows where the run shows the folder list.
    void showJobSummary(bool on);
    bool runInputLocked() const { return inputLocked_; }
    // Sets the hidden cancel label; a change runs lblavbryt_Change.
    void setLblavbryt(const QString& text);

    // ---- entry points ------------------------------------------------------------------------
    void commandline();
    void backupdirekt();
    void schema();
    void cmdkörbackup_Click();
    void cmdkörbackup2_Click();
    // Shows the window again, also from a minimise, in front of the others.
    void bringBack();
    // Whether the last run ended with an error (for the command-line exit status).
    bool runHadErrors() const { return runState().hadErrors; }

    // ---- handlers ----------------------------------------------------------------------------
    void cmdavbryt_Click();
    void cmdavbrytsync_Click();
    void lblavbryt_Change();
    void cmdpaus_Click();
    void cmdvisalogg_Click();
    void cmdvisalogg_MouseUp(int button);
    void lblhjälp_Click();
    void cmdmarkera1_Click();
    void cmdmarkera2_Click();
    void chksync_Click();
    void chksync_MouseUp();
    void chksyncsimulera_Click();
    void Command4_Click();
    void listerror_Click();
    void txtloggtext_Change();
    void List1_Click();
    void Timer1_Timer();
    void lblantalfel_Change();
    void lblinfo_Change();
    void lblprocent3_Change();
    void txtbackup_Change();
    void txtfil_Change();

    void Form_Load();
    void Form_Activate();
    // Returns true when the window may unload (Cancel stays False).
    bool Form_Unload();
    void Form_Resize();
    void open_windowsize();
    void spara_windowsize();
    void spara_valda_inställningar();

    // ---- window log ----------------------------------------------------------------------------
    // A window-log line: line break, the time "hh:mm:ss", the text (which begins with a blank).
    void addLogLine(const QString& text);
    // Text added as it is.
    void addLogRaw(const QString& text);
    // Counting an error: fel_i_jobbet, lblantalfel + 1, fel_jobb + 1 and (as a rule) imgerr shown.
    void countError(bool showImage = true);
    void showErrorImage();
    // lblantalfel, imgerr, lbl2 and lblantalfelrätt from the engine's counters.
    void refreshCounters();
    // What the copy count is called: a simulation copies nothing, it counts what would be copied.
    QString copiedCountLabel() const;
    // List2 shows the engine's folders of the current job.
    void showJobFolders();
    // The same after skapamappar, which only marks filtered folders in the list.
    void showJobFolderMarks();
    void removeJobFolder(int k);
    // Makes row k of List2 the current one, with the next refresh of the progress.
    void markJobFolder(int k);

    // The window's string splitter: empty parts between delimiters stay, an empty last part is
    // dropped, an empty text gives one empty element.
    static QStringList Split(const QString& text, const QString& delimiter = QStringLiteral(" "));

    // ---- run log procedures --------------------------------------------------------------------
    void tömlogfil(const QString& startDate, const QString& startTime);
    void kopiera_exlog_till_log();
    void kopiera_errorlog_till_log();
    // The run's kind as its logs say it.
    runlog::RunMode runLogMode() const;
    // `facts` of what the run did; the window adds how it was started. Returns the saved log's
    // path, empty when none was saved.
    QString spara_loggfil_i_loggmapp(const QDateTime& start, runlog::SavedLogFacts facts);

    // ---- procedures that later parts of the run fill in ------------------------------------------
    void stäng_program_före_backup();
    void starta_program_efter_backup();
    void sync_förbered();
    // After a job's complete run: what the job remembers for its next run (core/run_memory.h).
    void rememberJobRun();
    // Result windows of the reporting: the popup after a scheduled run, the leftover list, the
    // simulation result window and the result dialog; each returns when its window is closed.
    // `detail`: what failed, when the run can name it.
    void visa_popup_schema(const QString& detail = {});
    void visa_syncfilermappar(const QDateTime& start);
    void spara_syncschemalista_till_fil(const QDateTime& start);
    void visa_simulerad_backup();
    void visa_klarbackup();
    void visa_procent(bool show);
    // The message reporter for the run: the system-log line now; the dialog, when the reporter
    // prepares one, is kept for showHeldMessage, so that nobody waits for it while the run holds
    // the program's files. A later message's text replaces a kept one's.
    void holdMessage(int number, const QString& text, const QString& place, const QString& description = {});
    // A refused job's "FEL!" message: the line now; in a run by hand the dialog too is kept for
    // showHeldMessage, which shows the kept refusals, in order, before the kept message.
    void holdRefusal(const QString& text, const QString& place);
    void showHeldMessage();
    // The mirror engine of this window, kept over the jobs of a run.
    Mirror& mirror();
    // The run driver of this window, kept over its runs.
    RunDriver& driver();
    // The copy engine: test write, counting, target folders, copy rule and versioning.
    BackupEngine& engine();
    // Applies what the engine reported since the last refresh to the controls.
    void applyProgress();
    // What a run shows is brought up to date a few times a second, paced by the program's clock:
    // true when it is time again.
    bool refreshDue();
    // Lets window messages run now and then, and shows the run's progress when it is time.
    void yieldRun();
    // The job bar's width and the number of folders left, shown with the next refresh.
    void showJobProgress(int barWidth, int foldersLeft);
    // "Antal mappar kvar: " here and the folder count in the main window's scheduler panel.
    void showFoldersLeft(int n);
    // Empties List2 (the job's folders).
    void clearJobFolders();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

    friend class WindowRunProgress;
    friend class WindowRunView;

  private:
    // Shows the plain "Utför!" only while the mirror's does not cover it.
    void coverRunButton();
    void createControls();
    RunPlan planFromControls() const;
    // After any end of a run: the window as a new run expects it.
    void endOfRun(RunKind kind);
    // The window is the program's active form: another window of the program has not been
    // active since it last became so. Its own message boxes and other programs do not count.
    bool activeForm_ = false;
    bool inputLocked_ = false;
    bool syncSimEnabledBeforeRun_ = false;
    // Stopwatch of Timer1_Timer.
    bool timerStarted_ = false;
    QDateTime timerStart_;
    QString timerLastJob_;
    bool countersLive_ = false; // lbl2 follows the copy count until the run end writes it
    bool messageHeld_ = false;  // holdMessage prepared the message dialog
    QList<std::pair<QString, QString>> heldRefusals_; // text and place of each kept refusal
    std::unique_ptr<MirrorView> mirrorView_;
    WindowRunProgress& shownProgress();
    QDateTime lastRefresh_; // when the run's progress was last shown
    std::unique_ptr<RunProgress> progress_;
    std::unique_ptr<BackupEngine> engine_;
    std::unique_ptr<Mirror> mirror_;
    // After the engine and the mirror, which it uses: it goes first.
    std::unique_ptr<RunView> runView_;
    std::unique_ptr<RunDriver> driver_;
};
