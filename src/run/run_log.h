#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

// The run log family in the program folder: log.txt, its side logs and the saved copies in
// "Sparade loggar". No widgets here; the backup window reports failures and writes its log boxes.
namespace runlog {

// Who started the run, as the backup window's caption and check boxes tell it.
struct RunMode {
    bool scheduled = false;   // caption "schema"
    bool simulated = false;   // chkbackupsimulera ticked
    bool commandline = false; // caption "commandline"
};

QString logPath(const QString& programFolder);        // log.txt
QString errLogPath(const QString& programFolder);     // log_err.txt
QString exLogPath(const QString& programFolder);      // log_ex.txt
QString savedLogFolder(const QString& programFolder); // Sparade loggar

// The header line of log.txt: the prefixes, "Backup utförd ", the date, two blanks, the time.
QString headerLine(const RunMode& mode, const QString& startDate, const QString& startTime);
// The header of a run that was stopped: "Backup avbröts " and one blank before the time, as
// long as the header it replaces, so that a large log is changed where it lies.
QString stoppedHeaderLine(const RunMode& mode, const QString& startDate, const QString& startTime);
// The header of a run that ended before its first job: "Backup kunde inte utföras ".
QString notRunHeaderLine(const RunMode& mode, const QString& startDate, const QString& startTime);
// Replaces log.txt's header line `header` with `replacement`, followed by the lines `details`.
// Nothing when log.txt does not begin with `header`. Throws RunError.
void replaceHeader(const QString& programFolder, const QString& header, const QString& replacement,
                   const QStringList& details = {});

// The closing lines of a run that ended before its first job: every chosen job refused, none
// writable, or none chosen (this one is appended to the previous run's log).
QString refusedClosing();
QString unwritableClosing();
QString noJobsClosing();
// What the main window's last-run line tells of log.txt, given its first lines and its last ones:
// the run's header line, which says "kunde inte utföras" for a run that ended before its first
// job. Throws RunError 62 when the log has no header line.
QString lastRunText(const QStringList& firstLines, const QStringList& lastLines);

// Starts log.txt with its three header lines and leaves log_err.txt holding one empty line.
// A step that fails is passed over.
void startLog(const QString& programFolder, const RunMode& mode, const QString& startDate,
              const QString& startTime);

// Appends log_ex.txt to log.txt and empties it; nothing when either file is missing.
// Throws RunError at the first failure (the side log then keeps its lines).
void foldExclusions(const QString& programFolder);

// Appends the missing-drive entries (after one empty line, when there are any) and then
// log_err.txt to log.txt, and leaves log_err.txt holding one empty line. Nothing at all when
// log.txt is missing; returns false then. Throws RunError at the first failure.
bool foldErrors(const QString& programFolder, const QStringList& listsaknadenhet);

// The system-log text of a missing-drive entry: "FEL:" at its start becomes "FEL! ".
QString driveEntrySystemText(const QString& entry);

// The summary part of a saved log's name, e.g. "Schemalagd Backup av DOKUMENT. 12 filer av 340
// kopierades. 1,25 MB. Inga fel"; a simulation's says "skulle kopieras".
struct SavedLogFacts {
    int jobs = 0;
    QString jobName;
    long long copied = 0;
    long long lookedAt = 0;
    double megabytes = 0;
    long long errors = 0;
    bool simulated = false;   // chkbackupsimulera
    bool scheduled = false;   // the scheduler is switched on, whatever started the run
    bool commandline = false; // caption "commandline"
    // Mirroring deleted for real ("Spegla" without "Simulera spegling"); a simulation says so in
    // its name, since it changed the backup folder.
    bool mirrored = false;
    bool stopped = false; // the run was stopped before it was done: "Avbröts"
    bool notRun = false;  // no job could be run: "Kunde inte utföras" in place of the counts
};
QString savedLogSummary(const SavedLogFacts& facts);
// "log " + the start stamp with '.' for ':' + " " + summary + ".txt". A job name too long for that
// to fit in a file name is cut in the name, ending in "…". The `nth` saved log of one name
// (counted from 1) ends in "(nth)" before ".txt", which sorts it after the ones before it.
QString savedLogName(const QDateTime& start, const SavedLogFacts& facts, int nth = 1);
// Whether a saved log's file name names the one job `jobName`, also where it was cut.
bool savedLogOfJob(const QString& fileName, const QString& jobName);

// `name` (ending in ".txt") as the `nth` saved log of that name: "(nth)" before ".txt" from the
// second on, which sorts it after the ones before it.
QString nthSavedLogName(const QString& name, int nth);
// Copies log.txt into "Sparade loggar" (creating the folder) under `nameFor(1)`. A saved log of
// that name is never replaced: the copy takes the first of `nameFor(2)`, `nameFor(3)`, ... that no
// file has, in one step. Returns the saved path. Throws RunError.
QString saveLogAs(const QString& programFolder, const std::function<QString(int nth)>& nameFor);
// saveLogAs with savedLogName.
QString saveLog(const QString& programFolder, const QDateTime& start, const SavedLogFacts& facts);
// Deletes the first files in name order of "Sparade loggar" until at most `keep` ".txt" files
// are left; returns how many were deleted. Throws RunError.
int pruneSavedLogs(const QString& programFolder, int keep = 50);
// The system-log line after pruning, empty when nothing was deleted.
QString pruneMessage(int deleted);

// Lines for files of the program folder, gathered and appended in one go per file, so a run over
// many files does not open its logs once per line. Flushes by itself past 256 KiB.
class PendingLines {
  public:
    explicit PendingLines(const QString& programFolder) : folder_(programFolder) {}
    // One line of `file` ("log.txt", "log_err.txt", ...); CR LF is added.
    void add(const QString& file, const QString& line);
    // Appends what was gathered; throws RunError (the lines not yet written are dropped).
    void flush();
    void clear();

  private:
    QString folder_;
    std::map<QString, QString> pending_;
    qsizetype bytes_ = 0;
};

} // namespace runlog
