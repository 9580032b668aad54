#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// The copies whose modification time the disk did not keep (NFS with root_squash, a FUSE FAT
// driver's rename): such a copy carries the time it was made, which is no time of the file's own.
// Whatever later compares a copy's time with its original (the backup run, the restore, the
// folder synchronisation) asks here what time the copy stands for.
//
// The record is one text file in the program folder, a line per copy: path, size, the time the
// copy got and the source's time, separated by tabs (the three numbers last, so a tab in a path
// is read right). A path is the copy's full path as the program builds it (absolute, one '/'
// between pieces). Lines are appended; a later line for a path replaces the earlier one, and a
// line whose two times are equal drops it. Its users hold the run lock while they write it.
class CopyTimes {
  public:
    static QString fileName(); // "ej_bevarade_tider.txt"

    explicit CopyTimes(const QString& programFolder);

    // Reads the record, once per run, restore or synchronisation. A caller that holds the run lock
    // (`mayCompact`) has a record grown long with replaced lines written anew; a reader without it
    // (the restore's scan) leaves the file alone, so no line another process appends is lost. A
    // missing or unreadable record holds nothing.
    void load(bool mayCompact = true);
    bool loaded() const { return loaded_; }

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
    QString path_;
    bool loaded_ = false;
    QHash<QString, Entry> entries_;
    QStringList pending_;
};
