#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The copies whose modification time the disk did not keep (NFS with root_squash, a FUSE FAT
// driver's rename): such a copy carries the time it was made, which is no time of the file's own.
// Whatever later compares a copy's time with its original (the backup run, the restore, the
// folder synchronisation) asks here what time the copy stands for.
//
// A record is a text file, a line per copy: path, size, the time the copy got and the source's
// time, separated by tabs (the three numbers last, so a tab in a path is read right). Lines are
// appended; a later line for a path replaces the earlier one, and a line whose two times are equal
// drops it. Its users hold the run lock while they write it.
//
// The copies below a folder the program copies into as its own (a backup folder, a synchronised
// folder) are recorded on that disk, in recordName() in that folder, by their path below it: any
// program folder reaching the disk by any path reads them. Other copies (the restore's, back at
// the original place) are recorded in fileName() in the program folder by their whole path, as
// the copies below those folders were before; a copy not found on its disk is looked for there.
class CopyTimes {
  public:
    static QString fileName();   // "ej_bevarade_tider.txt", in the program folder
    static QString recordName(); // ".tamrel_ej_bevarade_tider.txt", on the disk
    // `name` in `folder` is the record kept in `root`: no file of the user's, never copied,
    // restored or mirrored away.
    static bool isRecord(const QString& folder, const QString& name, const QString& root);

    explicit CopyTimes(const QString& programFolder);

    // Reads the record, once per run, restore or synchronisation. A caller that holds the run lock
    // (`mayCompact`) has a record grown long with replaced lines written anew; a reader without it
    // (the restore's scan) leaves the file alone, so no line another process appends is lost. A
    // missing or unreadable record holds nothing.
    void load(bool mayCompact = true);
    bool loaded() const { return loaded_; }
    // The copies below `folder` are recorded in it; its record is read now (or at load()).
    void keepBelow(const QString& folder);
    // The same for the nearest folder from `folder` up, on the same disk, that holds a record:
    // the copies a restore reads from below a backup folder, however deep.
    void keepAbove(const QString& folder);

    // The source's time of the copy the record holds for `path` while the file there is still
    // that copy (this size, this time): the time is one the program wrote itself. Nothing when
    // the file's time is its own.
    std::optional<qint64> recordedSourceTime(const QString& path, qint64 size, qint64 mtime) const;
    // The time the file at `path` stands for: the recorded source time, or its own.
    qint64 standsFor(const QString& path, qint64 size, qint64 mtime) const {
        return recordedSourceTime(path, size, mtime).value_or(mtime);
    }

    // A copy to `path` is in place, `size` bytes with the time `copyTime`, made of a source of the
    // time `sourceTime`; `kept` tells whether the time was kept. Noted, and written by flush().
    void copied(const QString& path, qint64 size, qint64 copyTime, qint64 sourceTime, bool kept);
    // Appends what was noted since the last flush. Throws RunError (the lines stay noted).
    void flush();

  private:
    struct Entry {
        qint64 size = 0;
        qint64 copyTime = 0;
        qint64 sourceTime = 0;
    };
    struct Record {
        QString root; // ends in '/'; empty for the program folder's
        QString file;
        QHash<QString, Entry> entries;
        QStringList pending;
        void load(bool mayCompact);
        void note(const QString& key, qint64 size, qint64 copyTime, qint64 sourceTime, bool kept);
    };
    // The record `path` belongs in (the deepest root holding it), and its key there.
    Record& recordOf(const QString& path, QString& key);
    const Record& recordOf(const QString& path, QString& key) const;
    bool anyEntries() const;

    bool loaded_ = false;
    bool mayCompact_ = true;
    std::vector<Record> records_; // the program folder's first
};

// Whether the disk of a folder keeps the times set on its files, asked of it once and only when a
// copy's time is to be believed: on a disk that keeps none, a copy the record holds nothing for
// carries the time a run wrote it, so neither it nor the file it would replace is newer by it.
class DiskTimes {
  public:
    DiskTimes() = default;
    // `onUnkept` is called once, when the disk is found to keep no times.
    explicit DiskTimes(const QString& folder, std::function<void()> onUnkept = {});

    enum class Trust {
        Time,        // the time of the file is its own, or the one the record holds for it
        SameContent, // no time to go by, and the two files are the same: nothing to do
        Undecided,   // no time to go by, and the files differ: neither may replace the other
    };
    // What the time of the file at `path` (`size` bytes, `mtime`), on this folder's disk, tells
    // against `other`, `otherSize` bytes. Reads nothing from disk while the time is trusted.
    Trust trust(const CopyTimes& times, const QString& path, qint64 size, qint64 mtime, const QString& other,
                qint64 otherSize);

  private:
    QString folder_;
    std::function<void()> onUnkept_;
    std::optional<bool> keeps_;
};
