#pragma once
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

// The restore's run log log.txt and its saved copy in "Sparade loggar". No widgets here.
namespace restorelog {

// The counts that the summary and the saved copy's name report.
struct Totals {
    long files = 0;       // files copied back
    long missing = 0;     // of them, files the original place lacked
    long replaced = 0;    // of them, files that replaced an older original
    double megabytes = 0; // their sizes, bytes / 1000 / 1000
    long errors = 0;
};

// The header: an empty line, "Återställning utförd " with date and time, an empty line, and for
// a job "Filer återställda från jobb " with the job name in capitals.
QStringList headerLines(const QDateTime& start, const QString& jobName);
// The end: two empty lines, the start and end times, the time taken and the summary.
QStringList summaryLines(const QDateTime& start, const QDateTime& end, const Totals& totals);
// A length of time as a time of day, "hh:mm:ss".
QString elapsedText(qint64 seconds);
// The line of a copy whose length differs from its backup copy (without "! " or "FEL! ").
QString sizeErrorText(const QString& target, qint64 targetLength, const QString& backup, qint64 backupLength);
// The saved copy's file name: "log ", the start with '.' for ':', the job or "(manuell)", the
// count and size, " Fel uppstod!" after errors, and ".txt"; the `nth` of one name as
// runlog::nthSavedLogName.
QString savedLogName(const QDateTime& start, const QString& jobName, const Totals& totals, int nth = 1);
// Copies log.txt of the program folder into "Sparade loggar" (created when missing) under that
// name, never replacing a saved log (runlog::saveLogAs). Throws RunError.
QString saveLog(const QString& programFolder, const QDateTime& start, const QString& jobName,
                const Totals& totals);

// log.txt opened once for appending: every line reaches the file as it is written, so the log on
// disk is complete up to the last file handled.
class Appender {
  public:
    explicit Appender(const QString& path);
    // Throws RunError when the line cannot be written.
    void line(const QString& text);
    void lines(const QStringList& texts);

  private:
    void open();
    QFile file_;
};

} // namespace restorelog
