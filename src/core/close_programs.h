#pragma once
#include <QString>

// Closing a program by its window's title, before a backup or from a test button.
namespace Module3 {
// Asks the window whose title is exactly `titel` to close. When it closed, one line goes to the
// backup window's progress text, the system log and log.txt; when no such window is open,
// nothing happens.
void stäng_programfönster(const QString& titel);
} // namespace Module3

// Ending every process of an executable name.
namespace ModKillApp {
// Ends every process whose executable is named `namn` (whole base name, any letter case);
// reports how many really ended into the same three places. True when any process matched.
bool KillApp(const QString& namn);
} // namespace ModKillApp
