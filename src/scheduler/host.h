#pragma once
#include <QString>
#include <QStringList>
#include <array>

// What the scheduler needs of the main window, the current-job record and the program settings.
// Every such use goes through these functions, so the rest of the scheduler knows none of those
// windows.
namespace schedulerhost {

// ---- the main window's job list and the current-job record --------------------------------------
QStringList jobNames();
int currentJobIndex();
// Selects job `index` in the main window, which loads it into the current-job record.
void selectJob(int index);
// The schedule fields of the current-job record.
struct JobSchedule {
    int active = 0;
    int mirror = 0;
    int simulate = 0;
    QString time;
    std::array<bool, 8> days{}; // 1 = Sunday .. 7 = Saturday
};
JobSchedule currentJobSchedule();
// The job group in use, 0..3.
int jobGroup();

// ---- the switch and the requests of the editor -----------------------------------------------------
bool schedulerOn();
// Setting the switch runs the main window's switching on or off.
void setSchedulerOn(bool on);
// The activation request the main window applies at its next activation: "1", "0" or "".
void setActivationRequest(const QString& tag);
// The reload request of the main window's job list.
void requestReload();
// The "Kör nu!" request: non-empty while the user asked to run now.
QString runNowTag();
void setRunNowTag(const QString& tag);
// Number of jobs listed as scheduled in per-job mode.
int scheduledJobCount();

// ---- the scheduler panel ---------------------------------------------------------------------------
// Shows the panel over the job area (its waiting view in front), or hides it.
void showPanel(bool visible);
// Disables or enables the main window's commands.
void lockCommands(bool locked);
// The list of scheduled jobs under its heading; its count is scheduledJobCount().
void setScheduledJobs(const QStringList& names);
void setPanelText(const char* name, const QString& text);
void setPanelVisible(const char* name, bool visible);
void setPanelEnabled(const char* name, bool enabled);
// Brings one of the panel's views, or the list of scheduled jobs, to the front.
void bringToFront(const char* name);
bool panelVisible(const char* name);
// The main status line.
void setStatus(const QString& text);
// The last-run line of the main window.
void showLastRun();
// The main window's link "Det finns filer som kan raderas. Klicka här."
void setSavedListsLinkVisible(bool visible);

// ---- tray, system log, settings ----------------------------------------------------------------------
enum class Tray { Idle, Running, Error };
void setTray(Tray picture);
void setTrayToolTip(const QString& text);
void refreshTray();
QString trayTag();
void systemLog(const QString& text);
// A system-log line that also turns the program-log label red.
void systemLogError(const QString& text);
bool setting(const char* name);

} // namespace schedulerhost
