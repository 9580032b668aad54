#pragma once
#include <QIcon>
#include <QString>
#include <QStringList>

// What the folder synchronisation needs of the main window, the system log and the program
// settings, in one place.
namespace synchost {

// A system-log line (line break, date and time, two blanks, the text).
void systemLog(const QString& text);
// The same, and the program-log label turns red.
void systemLogError(const QString& text);
// Several lines at once, each already holding its date, time and two blanks before the text.
void systemLogLines(const QStringList& lines);
void markProgramLogRed();
// The tray icon shows the program's idle picture.
void trayIdle();
// "Jämför filstorlek efter kopiering" is ticked.
bool settingSizeCheck();
// "Försök aldrig en andra gång när en fil inte kan kopieras" is ticked.
bool settingNeverShellCopy();
// The main window's icon, which this window takes as its own.
QIcon mainIcon();

} // namespace synchost
