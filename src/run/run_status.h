#pragma once
#include <QString>
#include <functional>

class QWidget;

// What the backup run shows in, and asks of, other windows: the main window's status panel,
// tray and system log, the settings, and windows that other areas build. Controls are found by
// their object names, so the run does not depend on how those windows are laid out.
namespace runstatus {

// A program setting: the check box of the settings window with that name is ticked.
bool setting(const char* name);
// The scheduler is switched on (frmmain.chkaktiveraschema).
bool schedulerOn();
// The main window's scheduler panel (frameschema) is visible.
bool schedulerPanelVisible();
// The reminder of jobs not run for a long time is visible.
bool reminderVisible();

// Text of a label or text box of the main window.
void setMainText(const char* name, const QString& text);
void setMainVisible(const char* name, bool visible);
// The main window's copy of the whole-run bar: its width as a share of frameschema.
void setProgressShare(double share);

// A system-log line; the error form also turns the program-log label red.
void systemLog(const QString& text);
void systemLogError(const QString& text);
void markProgramLogRed();
// The separator line, unless the system log already ends with an asterisk.
void systemLogSeparator(bool onlyWhenNeeded);

// Refuses a command that would write the run log or the backup folders while another process
// of this program folder holds the run lock, naming what it does (RunLock::holder).
void refuseWhileLocked(const QString& holder);

enum class Tray { Idle, Running, Error };
void setTray(Tray t);
void setTrayTag(const QString& tag);

// Other windows the run touches.
void stopEditorScan();
// The pause window, shown modally; the scheduler, which owns it, sets the hook.
void showPauseWindow();
std::function<void()>& pauseWindowHook();
void showRunLog(int mode);
void openHelp();

// Places a window that reports on a run over the middle of the backup window, or of the main
// window when the backup window is not shown (a scheduled or command-line run), else the screen.
void centreOverRunWindow(QWidget* w);

} // namespace runstatus
