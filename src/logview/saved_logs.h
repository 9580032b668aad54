#pragma once
#include <QString>
#include <QStringList>

// The saved logs of the folder "Sparade loggar" as the log viewer offers them, and the reading of
// a log for showing. Plain functions; no window involved.
namespace savedlogs {

// Added to the last entry of the chooser (the newest log, as names begin with the date).
inline const QString kCurrentSuffix = QStringLiteral(" - Aktuell loggfil");

// The "*.txt" files of "Sparade loggar", in ascending order of name without regard to case.
// Throws RunError when the folder cannot be listed (it is missing, for example).
QStringList listNames(const QString& programFolder);

// An entry's text: the file name without its first four ("log ") and last four (".txt")
// characters. Names shorter than eight characters name no saved log and have no entry.
bool hasEntry(const QString& fileName);
QString entryText(const QString& fileName);

// The chooser's entries for the listed names, the last one with kCurrentSuffix.
QStringList entries(const QStringList& fileNames);

// The full path of the saved log an entry names: "Sparade loggar/log " + entry + ".txt", with
// the suffix of the last entry taken off.
QString pathOf(const QString& programFolder, const QString& entry);

// A log as a text box shows it: the file's text (UTF-8, or Windows-1252 when it is not valid
// UTF-8) with every line end made one line break. Throws RunError.
QString readForShowing(const QString& path);
// The same conversion for a text already read.
QString forShowing(QString text);

} // namespace savedlogs
