#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

// What the folder synchronisation decides and formats, without widgets: the folder-pair
// histories, the pairing of folders, the nesting check, the run log's lines and the saved log's
// name.
namespace synclogic {

// ---- folder-pair histories (setup_synkmappar.ini) -------------------------------------------

constexpr int kSavedEntries = 21;

struct Histories {
    QStringList mapp1; // drop-down list of txtmapp1, newest first
    QStringList mapp2;
};

QString historyFile(const QString& programFolder);
// The two lists as the file holds them; a missing or unreadable file gives what could be read.
// A line that is not whole (a folder name with a line break, written by an earlier version) is
// left out, and with it the second list when it can no longer be told where that one begins.
Histories readHistories(const QString& path);
// The entries of one line: the pieces between "*", empty pieces left out.
QStringList historyEntries(const QString& line);
// False for a folder text the file cannot hold: a "*" or a line break in it would split it.
bool historyCanHold(const QString& text);
// `text` inserted at the top unless an equal entry (letter case included) is already listed or
// the file cannot hold it; an empty text is inserted like any other.
QStringList withEntry(QStringList list, const QString& text);
// The first 21 entries, each followed by "*".
QString historyLine(const QStringList& list);
// Rewrites the file whole; throws RunError.
void writeHistories(const QString& path, const Histories& h);

// ---- folders and pairs ----------------------------------------------------------------------

// One folder pair of a direction: the source folder and its counterpart, both ending in '/'.
struct SyncPair {
    QString source;
    QString target;
    bool linked = false;     // the target is a link to a folder (or lies below one): never followed
    bool walkedBack = false; // the target folder is also walked by the other direction
};

// The counterpart of `folder` (a folder at or below `fromRoot`) below `toRoot`, ending in '/'.
// ("/a/x", "/a", "/b") -> "/b/x/"; a trailing '/' of either root changes nothing.
QString pairTarget(const QString& folder, const QString& fromRoot, const QString& toRoot);

// Why two folders cannot be synchronised with each other: a folder text that is not a whole
// path (it would be made relative to wherever the program was started), or the same folder
// twice, or one inside the other (links resolved, also for folders not created yet). Empty
// when fine; empty texts are the run's own check.
QString pairProblem(const QString& mapp1, const QString& mapp2);

// True for a file type pattern that selects no file at all: empty, or only blanks and ";".
bool patternSelectsNothing(const QString& pattern);

// ---- counters and logs ----------------------------------------------------------------------

struct SyncCounts {
    long antal_kopierade = 0;
    long antal_behandlade = 0;
    long antal_misslyckade = 0;
    long antal_fel_filstorlek = 0;
    long antal_nya = 0;
    long antal_ändrade = 0;
    long antal_skyddade = 0;
    long antal_kopierade_pass = 0;
    // Folders (and entries that may be folders) that could not be read: what lies in them was not
    // synchronised. Errors of the run.
    long antal_olästa_mappar = 0;
    double kopierade_mb = 0;
};

// "Mappsynkronisering utförd yyyy-mm-dd  hh:mm", after "Simulerad " for a simulated run.
QString headerLine(const QDateTime& now, bool simulated = false);
// "kopierades", or for a simulated run, which copies nothing, "skulle kopieras".
QString copiedVerb(bool simulated);
// The summary's two lines: the outcome and the count line.
QStringList summary(const SyncCounts& c, bool cancelled, bool simulated = false);
// What the run driver appends to log.txt at the end: an empty line, the summary, two empty
// lines and the count lines.
QStringList summaryBlock(const SyncCounts& c, bool cancelled, bool simulated = false);
// "N mappar kunde inte läsas", of the folders the run could not read.
QString unreadableText(const SyncCounts& c);
// The system-log and window-log lines at the end of a run.
QString endSystemLine(const SyncCounts& c, bool cancelled, bool simulated);
QString endWindowLine(const SyncCounts& c, bool cancelled, bool simulated);

// The name of the saved copy of the run log; a simulated run's says "Simulerad " before
// "Mappsynkronisering" and "skulle kopieras".
QString savedLogName(const QDateTime& start, long copied, double megabytes, long errors,
                     bool simulated = false);

// Rewrites log.txt with its header (an empty line, the header line, an empty line) and
// log_err.txt with one empty line; a step that fails is passed over.
void startLog(const QString& programFolder, const QDateTime& now, bool simulated = false);
// Copies log.txt into "Sparade loggar" (made when missing) under its saved name, never replacing
// a saved log (runlog::saveLogAs). Returns the saved path; throws RunError.
QString saveLog(const QString& programFolder, const QDateTime& start, long copied, double megabytes,
                long errors, bool simulated = false);

} // namespace synclogic
