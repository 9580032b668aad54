#pragma once
#include "core/main_window_services.h"
#include "core/program.h"
#include "mainwindow/quick_start.h"
#include "platform/tray.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTextEdit;
class QTimer;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class frmsetup;

// The main window: the hub of the program. It shows the current-job record and the system log,
// which Program owns, and serves the windows below it through MainWindowServices.
//
// The class is implemented in several files, one per area:
//   main_window.cpp          start-up, activation, shutdown, command-line run
//   main_window_log.cpp      system log, log panel, program log
//   main_window_layout.cpp   layout, geometry file, tray click, button locking
//   main_window_jobs.cpp     job groups, job list, current-job record
//   main_window_commands.cpp commands, toolbar and menus
//   main_window_periphery.cpp quick-start chooser, readme, duplicate/copy/export, search and replace
//   main_window_scheduler.cpp the scheduler panel and the schedule editor's opening
class frmmain : public QMainWindow, public MainWindowServices {
  public:
    frmmain();
    ~frmmain() override;

    // ---- start-up and shutdown -------------------------------------------------------------
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    // Runs Form_Load; returns false when the program is to end (drive root, command-line run).
    bool load();
    bool loadedOk() const { return loaded_; }
    QString Tag; // who drives the job editor: "", "1" (folder-structure refresh) or "sync"
    bool unloading() const { return unloading_; }
    // The program is to end (close box, SIGTERM, SIGHUP): an operation going on is stopped as its
    // cancel does, waiting windows are closed and nothing waits for an answer; the shutdown runs
    // from the event loop once the operation has written its logs. A command-line run, or a
    // start still loading, ends the program itself when it returns.
    void requestEnd();
    bool endRequested() const { return endRequested_; }
    // Hides the window into the notification area, or minimises it where the desktop has none.
    void hideToTray();

    // ---- system log and program log --------------------------------------------------------
    QTextEdit* txtsyslogg = nullptr;
    QLabel* lblprogramlogg = nullptr;
    QLabel* lblschemavisasyslogg = nullptr;
    QLabel* lblstatus = nullptr;
    QLabel* lblstatus2 = nullptr;
    QFrame* framesyslogg = nullptr;
    QLabel* lblsyslogginfo = nullptr;
    QPushButton* cmdsyslogg_fel = nullptr;
    QLabel* lblsyslogg_rödfel = nullptr;
    QLabel* lblsysloggsize = nullptr;
    QLabel* lblsyslogg_radera = nullptr;
    QPushButton* cmdsyslogg_dölj = nullptr;
    QPushButton* cmdsyslogg_loggsize = nullptr;
    QPushButton* cmdsyslogg_sparad_fel = nullptr;
    QTimer* timer_syslogg = nullptr;
    QPushButton* cmdprogramlogg = nullptr;
    QPushButton* cmdvisalogg = nullptr;
    // The system log (program().systemLog()), which txtsyslogg shows.
    void appendSystemLog(const QString& text) { program().systemLog().append(text); }
    void appendSystemLogRaw(const QString& text) { program().systemLog().appendRaw(text); }
    QString systemLogText() const { return program().systemLog().text(); }
    void spara_syslogg();
    void cmdprogramlogg_Click();
    void cmdsyslogg_dölj_Click();
    void timer_syslogg_Timer();
    void cmdsyslogg_fel_Click();
    // The marking on the log viewer's text box, its result into the viewer's label.
    void cmdsyslogg_sparad_fel_Click(QTextEdit* Text1, QLabel* lblsökinfo);
    void cmdsyslogg_loggsize_Click();
    void lblsyslogg_radera_Click();
    // The captions of the two file links; an empty caption hides its link.
    void showLogFileLinks(const QString& size, const QString& empty);
    void lblsysloggsize_MouseUp(Qt::MouseButton button);
    void cmdvisalogg_Click();
    void cmdvisalogg_MouseUp(Qt::MouseButton button);
    void lblstatus2_Click();
    // The saved leftover lists: names of the "*.schemasync" files in the folder Schemasync.
    QStringList file_schemasync() const;
    // Turns the program-log label red (an error line was written).
    void markProgramLogError() { program().systemLog().markError(); }
    // Marks "FEL!" and "Ett fel uppstod" red and bold in `box`; returns the count.
    static int markErrors(QTextEdit* box);
    static QString errorCountText(int count);
    // The size caption of a program log of `bytes` bytes.
    static QString logSizeText(qint64 bytes);
    bool syslogMarked_ = false; // marks are in txtsyslogg; the next append clears them
    // txtsyslogg follows program().systemLog().
    void showSystemLogAppend(const QString& raw);
    void showSystemLogText();

    // ---- layout, geometry, tray ------------------------------------------------------------
    platform::TrayIcon* TrayIcon1 = nullptr;
    QFrame* picmeny = nullptr;   // the toolbar column
    QFrame* Frame1 = nullptr;    // the main area: job groups, job list, job frame
    QFrame* framejobb = nullptr; // the selected job's details
    QTimer* Timerfönstersize = nullptr;
    QString Timerfönstersize_Tag; // "1": a geometry save is requested
    void open_windowsize_main();
    void spara_windowsize_main();
    void Form_Resize();
    // Places every control for the window's present size.
    void layOutControls();
    void Timerfönstersize_Timer();
    void TrayIcon1_MouseDown();
    void knappar_lås() override;
    void knappar_låsupp() override;
    // Keyboard focus: Tab and Shift+Tab move in reading order among the controls a person can see
    // (not those hidden or lying under a panel). The front panel's first control, or the job list,
    // takes the focus when the focused control goes out of view.
    bool tabStop(const QWidget* w) const;
    bool coveredByPanel(const QWidget* w) const;
    // What a panel covers is hidden, not only drawn over, so neither Tab nor a screen reader
    // reaches it: the toolbar, the job area, a panel under another, the scheduler panel's view
    // behind the one in front. Each comes back as it was when nothing covers it any more.
    void hideCovered();
    // The containers hideCovered hides, each with the control whose place and stacking count.
    std::vector<std::pair<QWidget*, QWidget*>> coverLayers() const;
    // Whether `w` (not null) is one of the containers hideCovered hides and shows again: hidden, it
    // is only covered, not put away.
    bool hiddenWhenCovered(const QWidget* w) const;
    void focusFront();
    void keepFocusInView();
    // The Tab order of the whole window, set once its controls are made.
    void setReadingOrder();

    // ---- job groups, job list and current-job record -----------------------------------------
    QComboBox* comboinställningar = nullptr;  // hidden: the job list, setting its index selects a job
    QListWidget* listinställningar = nullptr; // visible job list
    QListWidget* combomappar_list = nullptr;  // the current job's main folders
    std::array<QRadioButton*, 4> optarkiv{};  // the four job-group buttons
    QLabel* lblinställningar = nullptr;       // number of jobs, "n st"
    QLineEdit* txtarkiv = nullptr;            // "Vald jobbgrupp: " and the group caption
    // Controls that show the current-job record (the record's fields are the data).
    QLineEdit* txtjobbnamn_text = nullptr;        // objectName "txtjobbnamn"
    QListWidget* listmappar_list = nullptr;       // objectName "listmappar"
    QTextEdit* txtsammanställning_text = nullptr; // objectName "txtsammanställning"
    QLabel* lblhuvudmappar_label = nullptr;       // objectName "lblhuvudmappar"
    QLabel* lblallamappar_label = nullptr;        // objectName "lblallamappar"
    QLabel* lblexmappar_label = nullptr;          // objectName "lblexmappar"
    void cmdload_Click();
    void comboinställningar_Click();
    void töm_datafält();
    void optarkiv_Click(int index);
    void optarkiv_DblClick(int index);
    void listinställningar_Click();
    void listinställningar_MouseDown(int button, int x, int y);
    // Shows the number of jobs in the list under it: "n st".
    void showJobCount();
    // Index of the selected main folder (combomappar's ListIndex), -1 for none.
    int combomapparIndex() const;
    void setCombomapparIndex(int i);
    // The index of the current job group (0..3).
    int currentGroup() const;
    // The folder of job group `index` (0..3): Listor, Listor2, Listor3, Listor4.
    QString groupFolder(int index) const;
    // Selects the job `name` in comboinställningar (loading it); when the name is gone, the
    // entry at `fallbackIndex` if there is one; else the first job. Returns the index chosen.
    int selectJob(const QString& name, int fallbackIndex);
    // The reload request: reloads the job list and reselects the job by name and its main folder.
    void reloadJobsKeepingSelection();
    // Puts the record's fields into the controls that show them.
    void showRecord();
    // The current-job record, which Program owns.
    static CurrentJobRecord& record() { return program().job(); }

    // ---- settings and quick start -----------------------------------------------------------
    void open_setup();
    void open_setup_snabbstartsväljaren();
    // Without waiting, the readme comes over the shown window and the start goes on.
    void informera_versionen(bool withoutWaiting = false);
    QuickStartPanel* framesnabbstart = nullptr; // the quick-start chooser over the window's contents
    void createQuickStartControls();
    // The job menu's entries and the settings window's buttons of this area.
    void connectPeripheryMenus(frmsetup* s);

    // ---- scheduler panel (main_window_scheduler.cpp) -----------------------------------------
    QCheckBox* chkaktiveraschema = nullptr; // the scheduler switch
    QString cmdstartaschema_Tag;            // requested scheduler state: "1", "0" or ""
    QFrame* frameschema = nullptr;          // the panel over the job area while scheduling is on
    QLabel* lblschemarubrik = nullptr;
    QLabel* Image2 = nullptr;
    QPushButton* cmdschema_körnu = nullptr;
    QString cmdschema_körnu_Tag; // "1": run the scheduled jobs at the next tick
    QPushButton* cmdschemapaus = nullptr;
    QPushButton* cmdschema_avaktivera = nullptr;
    QLabel* lblhjälp2 = nullptr;
    QFrame* frameschemaaktiv = nullptr; // the waiting view
    QLabel* lblschema_status = nullptr;
    QLabel* lblschema_nästakörning = nullptr;
    QLabel* lblschema_antalschemalagdajobb = nullptr;
    QLabel* lblschemanedräkning = nullptr;  // hidden: the due moment of a run later today
    QLabel* lblschemanedräkning2 = nullptr; // the countdown
    QLabel* lblvisaschemajobb = nullptr;
    QString lblvisaschemajobb_Tag;
    QPlainTextEdit* txtschemavisajobb = nullptr; // the scheduled jobs
    QString txtschemavisajobb_Tag;               // one "-" per scheduled job
    QFrame* frameschemapågår = nullptr;          // the running view
    QLabel* lblschema_jobb = nullptr;
    QLabel* lblschema_statuspågår = nullptr;
    QLabel* lblschema_mappar = nullptr;
    QLineEdit* lblschema_mapp = nullptr;
    QLabel* lblschema_fil = nullptr;
    QLabel* lblschema_antalfel = nullptr;
    QLabel* lblschemaavbryt = nullptr;
    QLabel* lblvisabackupfönstret = nullptr;
    QLabel* lblprocent = nullptr;
    QListWidget* listschemalogg = nullptr; // finished scheduled runs
    // The data role of a listschemalogg entry that holds the path of its run's saved log.
    static constexpr int kSavedLogRole = Qt::UserRole;
    QTextEdit* txtschemalogg = nullptr; // the saved log of the run clicked there
    QLabel* Label6 = nullptr;           // the last-run line, "Senaste Backup:"
    void chkaktiveraschema_Click();
    void cmdschema_avaktivera_Click();
    void cmdschema_körnu_Click();
    void cmdschemapaus_Click();
    void lblvisaschemajobb_Click();
    void lblschemavisasyslogg_Click();
    void lblschema_mapp_Change();
    void listschemalogg_Click();
    void visa_senaste_backup() override;

    // ---- old-backup warning ----------------------------------------------------------------
    void varna_gammal_backup();
    void lblgammalbackup_Click();
    QLabel* lblgammalbackup = nullptr; // the notice "Det finns jobb som inte körts på länge. Klicka här."
    QString lblgammalbackup_Tag;       // "1" while a check asked for by the user runs

    // ---- commands, toolbar and menus --------------------------------------------------------
    void cmdkör_Click();
    void cmdbackupdirekt_Click();
    void cmdåterställ_Click();
    void cmdåterställdenna_Click();
    void cmdsynk_Click();
    void cmdom_Click();
    void lbldonera2_MouseDown();
    void cmdstartaschema_Click();
    void cmdalternativ_Click();
    void cmduppdatera_Click();
    void cmduppdateraallt_Click();
    void cmdöppnamålmapp_Click();
    void lblvisabackupfönstret_Click();
    void mnuöppnamapp_original_Click();
    void mnuöppnamapp_backup_Click();
    void Command1_Click();
    void Command2_Click();
    // The target folder that receives a main folder of the current job.
    QString targetFolderOfMainFolder(const QString& mainFolder) const;
    // Opens a folder in the file manager, or says that it does not exist.
    void openFolder(const QString& folder, bool reportErrors);
    // The settings window's pop-up menu entries lead here.
    void connectMenus();
    bool menusConnected_ = false;
    bool chkload = false; // the reload request of other windows
    void cmdny_Click();
    void cmdändra_Click();
    void cmdtabort_Click();
    void ändra_inställning();

    // ---- folder-structure refresh ------------------------------------------------------------
    void uppdatera_huvudmappar() override;

    // ---- what the windows below ask of the main window ----------------------------------------
    int jobCount() const override;
    QString jobName(int i) const override;
    int currentJobIndex() const override;
    QString currentJobName() const override;
    void selectJob(int i) override;
    void reloadJobList() override { cmdload_Click(); }
    void requestReload() override { chkload = true; }
    void setMainFolderIndex(int i) override { setCombomapparIndex(i); }
    QString tag() const override { return Tag; }
    void setTag(const QString& t) override { Tag = t; }
    bool schedulerOn() const override;
    void setSchedulerOn(bool on) override;
    void setFieldText(const QString& name, const QString& text) override;
    bool fieldVisible(const QString& name) const override;
    void setFieldVisible(const QString& name, bool visible) override;
    void setProgressShare(double share) override;
    void addSchedulerLogEntry(const QString& text, const QString& savedLog = {}) override;
    void markSchedulerLogError() override;
    void setLblstatus2Visible(bool visible) override;
    void setTrayPicture(const QIcon& icon) override;
    QString trayTag() const override;
    void setTrayTag(const QString& tag) override;
    void setTrayToolTip(const QString& text) override;
    void refreshTray() override;
    void raiseField(const QString& name) override;
    void setFieldEnabled(const QString& name, bool enabled) override;
    void showSchedulerPanel(bool visible) override;
    QString runNowTag() const override { return cmdschema_körnu_Tag; }
    void setRunNowTag(const QString& tag) override { cmdschema_körnu_Tag = tag; }
    void setScheduledJobs(const QStringList& names) override;
    int scheduledJobCount() const override { return int(txtschemavisajobb_Tag.size()); }
    void setActivationRequest(const QString& tag) override { cmdstartaschema_Tag = tag; }
    int jobGroup() const override { return currentGroup(); }
    void jobRenamed(const QString& oldName, const QString& newName) override;
    QWidget* widget() override { return this; }
    QIcon icon() const override { return windowIcon(); }
    void setCaption(const QString& caption) override { setWindowTitle(caption); }
    void showWindow() override { show(); }
    void hideWindow() override { hide(); }
    void raiseWindow() override { raise(); }

  protected:
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // Each area creates and places its own controls.
    void createLogControls();
    void createLayoutControls();
    void createJobControls();
    void createSchedulerControls();
    void createCommandControls();
    void createOldBackupControls();
    void commandLineRun();
    // Line 3 of the settings file, "Starta aktiverad", read before the settings are.
    bool schedulingAtStart() const;
    // The shutdown, as soon as nothing runs inside a yield or a modal loop and no operation goes on.
    void endWhenFree();

    bool loaded_ = false;
    bool unloading_ = false;
    bool unloaded_ = false;
    bool inCommandLineRun_ = false;
    bool endRequested_ = false;
    bool laidOut_ = false;
    // Places the job-group buttons in rows across `width`; returns the height of the rows.
    int placeGroupButtons(int width);
    // Places the bottom strip's notices and last-run line from the row at `lineTop` upward, left of
    // `right`; returns the height they take above that row.
    int placeBottomStrip(int lineTop, int right);
    bool groupsLocked_ = false;       // knappar_lås moved the group buttons out of sight
    QWidget* schemaLayer_ = nullptr;  // the scheduler panel's controls
    QWidget* sysloggLayer_ = nullptr; // the log panel's controls
    // The width of the count labels beside the job's lists: their longest text.
    int countLabelsWidth() const;
    // The smallest outer width of the window at which every control fits.
    int smallestOuterWidth() const;
    int minOuterWidth_ = 0;
};
