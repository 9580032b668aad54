#pragma once
#include "core/copy_times.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "restore/restore_log.h"
#include "restore/restore_paths.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One file the scan found: where it goes back to, the backup copy it comes from and the folder
// it goes into. The wizard's three parallel result lists are the fields of these entries, so
// they can never fall out of step.
struct RestoreEntry {
    QString target;        // the original path (Liståterställtill without its "+ ")
    QString backup;        // the backup copy (Liståterställfrån)
    QString folder;        // the target's folder, ending in '/' (Liståterställmapp)
    bool missing = false;  // the original place lacks the file ("+ ")
    qint64 backupTime = 0; // the backup copy's time when it was found
    // The text shown: "+ " before a missing file.
    QString display() const { return missing ? QStringLiteral("+ ") + target : target; }
};

// What the engine needs from the wizard. The defaults do nothing, so tests implement only what
// they look at.
class RestoreView {
  public:
    virtual ~RestoreView() = default;
    // Lets window messages run (throttled) after the engine's counters changed; the stop request
    // is tested right after.
    virtual void yield() {}
    // The user asked to stop (mappinläsning_avbruten for the listing, avbrottsflagga otherwise).
    virtual bool stopRequested() const { return false; }
    // A system-log line; `error` also turns the program-log label red.
    virtual void systemLog(const QString& /*text*/, bool /*error*/) {}
    // The copy back works on entry `row` now.
    virtual void currentEntry(int /*row*/) {}
    // Entries `first` to `last` of the result are about to leave, and have left (a list model
    // follows).
    virtual void removingEntries(int /*first*/, int /*last*/) {}
    virtual void entriesRemoved() {}
};

// The restore's engine: the backup folder listing, the scan for missing and newer files and the
// copy back with its log. It keeps the folder list and the result in containers; the wizard
// shows them.
class RestoreEngine {
  public:
    RestoreEngine(RestoreView& view, const QString& programFolder, const platform::Clock& clock);

    // ---- the folder listing (List1, lblmappantal)
    QStringList folders; // entry 0 the listed folder with a trailing '/', then every folder below it
    int folderCount = 0; // folders counted by the last listing
    // Folders of the backup (and entries that may be folders) that the last listing or scan could
    // not read, each with why ("Felkod ..."): what lies in them was not looked at. Each has its
    // system-log line; the copy back names them in its log and counts them as errors.
    struct Unreadable {
        QString path;
        QString why;
        bool folder = true; // else a file of a folder that could be read
    };
    // The completion message's words on them ("2 mappar kunde inte läsas"); empty when none.
    QString unreadableText() const;
    std::vector<Unreadable> unreadable;
    // Lists `start` and every folder below it, depth first, each before the folders inside it.
    // Links to folders are neither listed nor entered; with `keep`, only the folders it accepts are
    // listed and counted. A folder that is empty text or does not exist empties the list and
    // returns 0. A stop lets the open levels finish their own list. A folder it cannot read goes to
    // `unreadable`, and the listing goes on with the rest.
    int listFolders(const QString& start, const std::function<bool(const QString&)>& keep = {});

    // ---- the scan (the result lists and their counters)
    std::vector<RestoreEntry> entries;
    long genomsökta_filer = 0;
    long nya_filer = 0;
    long nyare_filer = 0;
    long filräknare = 0;
    double megabyte_summa = 0;
    // Progress of a scan or copy for the wizard's bars (fractions 0..1) and folder box.
    double fileBar = 0;
    double folderBar = 0;
    QString currentFolder;
    // Marked folders that lie outside the mapping's location: skipped, never restored.
    QStringList skippedFolders;
    // Backup copies and folders whose names cannot be restored (not UTF-8, control characters),
    // as shown.
    QStringList refusedNames;

    enum class Outcome { NothingMarked, Done, Stopped, Failed };
    struct Result {
        Outcome outcome = Outcome::Done;
        platform::RunError error; // Failed
    };

    // Scans the marked folders (marks[i] for folders[i]) from the last to the first for files
    // the original place lacks and, with `newerToo`, files whose backup copy is newer (by two
    // seconds or more; a copy whose time the disk did not keep stands for its source's time).
    // Dated version copies are passed over; names of files and folders that cannot be restored are
    // counted in refusedNames, each with its system-log line. A folder or file that cannot be read
    // goes to `unreadable` (beside what the listing could not read), and the scan goes on with the
    // rest. A stop keeps what was found.
    Result scan(const std::vector<char>& marks, const RestoreMapping& mapping, bool newerToo);

    // ---- the copy back
    struct CopyRun {
        QString jobName;     // the job's name in capitals; empty by hand
        QString restoreFrom; // the system log's "Från " line by hand
    };
    struct CopyResult : Result {
        long marked = 0;
        restorelog::Totals totals;
        QDateTime start;
        QDateTime end;
    };
    // Copies the marked entries (marks[k] for entries[k]) back, from the last to the first, and
    // writes log.txt, its saved copy and the system-log lines. An entry leaves the result once its
    // copy was made (at the next applyRemovals, at the latest when the copy back ends). A target
    // that changed since the scan, a failed copy, a copy onto itself and a copy through or over a
    // link below the original folder are errors that leave their entry; a full disk ends the run.
    // A copy whose time the original's disk did not keep is an error too, and is recorded.
    // The program's own temporary files that killed copies left in the folders copied into are
    // removed.
    CopyResult copyBack(const std::vector<char>& marks, const CopyRun& run);

    // Removes entries (rows in any order) from the result, keeping the view in step: one removal
    // per run of neighbouring rows, so a view (and a screen reader) hears of a batch once.
    void removeEntries(std::vector<int> rows);
    // Removes the entries the copy back going on has copied so far. The view calls it when it
    // refreshes; rows still to come never move, as the copy back works upwards.
    void applyRemovals();

  private:
    void addEntry(const QString& target, const QString& backup, const QString& folder, bool missing,
                  qint64 bytes, qint64 backupTime);
    void removeRange(int first, int last);
    // Copies one entry; returns false when it stays in the result. Throws RunError for a full disk
    // or a log that cannot be written.
    bool copyOne(const RestoreEntry& e, restorelog::Appender& log, restorelog::Totals& totals);
    void notCopied(const QString& target, restorelog::Appender& log, restorelog::Totals& totals,
                   const QString& why = {});
    // The link at or above `folder` and below the original folder (at it, for a job's main
    // folder), or an empty text.
    QString linkAbove(const QString& folder);
    void removeLeftovers(const QString& folder);
    void noteUnreadable(const QString& path, const platform::RunError& e, bool folder = true);
    std::vector<Unreadable> unlisted_; // what the listing could not read

    RestoreView& view_;
    QString programFolder_;
    const platform::Clock& clock_;
    CopyTimes copyTimes_;  // read at the start of each scan and copy back
    QString originalRoot_; // the original folder of the last scan's mapping
    bool jobRoot_ = false; // it is a job's main folder
    // Names of the program's temporary files the scan saw in an original folder, and the backup
    // folder beside it (a name the backup holds is the user's own file).
    struct Leftovers {
        QStringList names;
        QString backupFolder;
    };
    QHash<QString, Leftovers> leftovers_;
    QHash<QString, QString> linkAbove_; // folder without '/' -> the link on its way, per copy back
    QString folderThere_;               // the folder the entry before was copied into
    std::vector<int> copied_;           // rows copied back and still in the result
};

// The entry from `from` on (0 when `from` is negative) whose text contains `text`, letter case
// ignored; -1 when none does. `textAt` gives entry i's text, `yield` runs between entries.
int findEntry(int count, int from, const QString& text, const std::function<QString(int)>& textAt,
              const std::function<void()>& yield = {});
