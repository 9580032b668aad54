#pragma once
#include <QIcon>
#include <QString>

// What the log viewer, the update window and the about box need of the main window. Kept in one
// place so that the main window can move without touching the windows here.
namespace logview::host {

// Appends a system-log line (line break, date and time, two blanks, the text).
void systemLog(const QString& text);
// The same, and the program-log label turns red: an error was logged.
void systemLogError(const QString& text);
// After a failed run the tray shows its error picture; opening a log puts the normal one back.
void resetTrayError();
// The main window's icon, which these windows take as their own.
QIcon mainIcon();

} // namespace logview::host
