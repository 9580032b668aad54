#pragma once
#include <QIcon>
#include <QString>
#include <QStringList>

class QWidget;

// What the windows below the main window ask of it. The main window implements it; without one
// (tests of the lower floors) Program hands out this quiet default, which does nothing and
// answers as an empty main window would.
class MainWindowServices {
  public:
    virtual ~MainWindowServices() = default;

    // ---- the job list (comboinställningar) ----
    virtual int jobCount() const { return 0; }
    virtual QString jobName(int) const { return {}; }
    // The index of the selected job, -1 for none.
    virtual int currentJobIndex() const { return -1; }
    // The selected job's name (the list's text).
    virtual QString currentJobName() const { return {}; }
    // Selects job `index`, which loads it into program().job().
    virtual void selectJob(int) {}
    // Reads the job list of the current group again (cmdload_Click).
    virtual void reloadJobList() {}
    // The reload request (chkload): the list and the job are read again at the next activation.
    virtual void requestReload() {}
    // Selects main folder `index` of the job in the main window's list (-1: none).
    virtual void setMainFolderIndex(int) {}
    // A job of the current group got a new name (the schedule's list of chosen jobs follows it).
    virtual void jobRenamed(const QString&, const QString&) {}
    // Rescans the folder structure of the current job's main folders.
    virtual void uppdatera_huvudmappar() {}

    // ---- Tag: who drives the job editor: "", "1" (folder-structure refresh) or "sync" ----
    virtual QString tag() const { return {}; }
    virtual void setTag(const QString&) {}

    // ---- commands ----
    virtual void knappar_lås() {}
    virtual void knappar_låsupp() {}

    // ---- the scheduler panel and status fields ----
    // The scheduler switch (chkaktiveraschema); switching it runs its click procedure.
    virtual bool schedulerOn() const { return false; }
    virtual void setSchedulerOn(bool) {}
    // A control of the main window found by its name (labels, text boxes, frames of the status
    // and scheduler panels): its text, whether it is shown, showing or hiding it.
    virtual void setFieldText(const QString&, const QString&) {}
    virtual bool fieldVisible(const QString&) const { return false; }
    virtual void setFieldVisible(const QString&, bool) {}
    // The main window's copy of the whole-run bar: its width as a share of frameschema.
    virtual void setProgressShare(double) {}
    // Adds a finished scheduled run to listschemalogg and makes it current; `savedLog` is the
    // saved log the run wrote (empty when it wrote none), which the entry shows.
    virtual void addSchedulerLogEntry(const QString&, const QString& = {}) {}
    // The link "Visa programlogg" of the scheduler panel turns red (an error while scheduling).
    virtual void markSchedulerLogError() {}
    // The last run's line and the button that shows the run log.
    virtual void visa_senaste_backup() {}
    // The link "Det finns filer som kan raderas. Klicka här." (lblstatus2).
    virtual void setLblstatus2Visible(bool) {}
    // Brings a view of the scheduler panel, or the list of scheduled jobs, to the front.
    virtual void raiseField(const QString&) {}
    virtual void setFieldEnabled(const QString&, bool) {}
    // Shows the scheduler panel over the job area (its waiting view in front), or hides it.
    virtual void showSchedulerPanel(bool) {}
    // The "Kör nu!" request (cmdschema_körnu's Tag): not empty while the user asked to run now.
    virtual QString runNowTag() const { return {}; }
    virtual void setRunNowTag(const QString&) {}
    // The scheduled jobs the panel lists (txtschemavisajobb), and how many (its Tag's length).
    virtual void setScheduledJobs(const QStringList&) {}
    virtual int scheduledJobCount() const { return 0; }
    // The schedule editor's activation request (cmdstartaschema's Tag): "1", "0" or "".
    virtual void setActivationRequest(const QString&) {}
    // The job group in use, 0..3.
    virtual int jobGroup() const { return 0; }

    // ---- the notification-area icon ----
    virtual void setTrayPicture(const QIcon&) {}
    virtual QString trayTag() const { return {}; }
    virtual void setTrayTag(const QString&) {}
    virtual void setTrayToolTip(const QString&) {}
    // Shows the icon again with its picture and tooltip.
    virtual void refreshTray() {}

    // ---- the window ----
    // The main window for parenting and centring; nullptr without one.
    virtual QWidget* widget() { return nullptr; }
    // Its icon, which other windows take as theirs.
    virtual QIcon icon() const { return {}; }
    virtual void setCaption(const QString&) {}
    virtual void showWindow() {}
    virtual void hideWindow() {}
    virtual void raiseWindow() {}
};
