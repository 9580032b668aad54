#pragma once
#include <QIcon>
#include <QString>

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
    // Adds a finished scheduled run to listschemalogg and makes it current.
    virtual void addSchedulerLogEntry(const QString&) {}
    // The link "Visa programlogg" of the scheduler panel turns red (an error while scheduling).
    virtual void markSchedulerLogError() {}
    // The last run's line and the button that shows the run log.
    virtual void visa_senaste_backup() {}
    // The link "Det finns filer som kan raderas. Klicka här." (lblstatus2).
    virtual void setLblstatus2Visible(bool) {}

    // ---- the notification-area icon ----
    virtual void setTrayPicture(const QIcon&) {}
    virtual QString trayTag() const { return {}; }
    virtual void setTrayTag(const QString&) {}

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
