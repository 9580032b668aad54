#pragma once
#include <QString>

// Starting the program when the user logs in: the XDG autostart file
// <config>/autostart/tamrel-backup.desktop, the config folder taken from QStandardPaths (so
// XDG_CONFIG_HOME moves it).
namespace platform {

// Path of the autostart file.
QString autostartFile();
// The file exists, is not hidden and its Exec names this program's executable.
bool isAutostartEnabled();
// Writes (through QSaveFile) or deletes the file; true when that succeeded. Deleting a missing
// file succeeds.
bool setAutostart(bool enabled);

// The Exec= value for an executable: the path quoted as desktop entries require.
QString desktopExecValue(const QString& executable);
// The program named by an Exec= value (first argument, quoting and escapes undone).
QString desktopExecProgram(const QString& execValue);

} // namespace platform
