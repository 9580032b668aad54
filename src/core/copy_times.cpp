#include "core/copy_times.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"

namespace {
constexpr QChar kTab = QLatin1Char('\t');

QString lineOf(const QString& path, qint64 size, qint64 copyTime, qint64 sourceTime) {
    return path + kTab + QString::number(size) + kTab + QString::number(copyTime) + kTab +
           QString::number(sourceTime);
}
} // namespace

QString CopyTimes::fileName() {
    return QStringLiteral("ej_bevarade_tider.txt");
}

QString CopyTimes::recordName() {
    return QStringLiteral(".tamrel_ej_bevarade_tider.txt");
}

bool CopyTimes::isRecord(const QString& folder, const QString& name, const QString& root) {
    return name == recordName() &&
           platform::withoutTrailingSeparator(folder) == platform::withoutTrailingSeparator(root);
}

CopyTimes::CopyTimes(const QString& programFolder) {
    records_.push_back(Record{QString(), platform::joinPath(programFolder, fileName()), {}, {}});
}

void CopyTimes::Record::load(bool mayCompact) {
    entries.clear();
    // Below a backup folder nothing is read or written through a link.
    if (!root.isEmpty() && platform::fileInfo(file).isLink)
        return;
    QStringList lines;
    try {
        lines = platform::readLines(file);
    } catch (const platform::RunError&) {
        return;
    }
    for (const QString& line : lines) {
        // The numbers are the last three fields: a tab in the path stays in the path.
        const qsizetype c = line.lastIndexOf(kTab);
        const qsizetype b = c > 0 ? line.lastIndexOf(kTab, c - 1) : -1;
        const qsizetype a = b > 0 ? line.lastIndexOf(kTab, b - 1) : -1;
        if (a <= 0)
            continue;
        bool ok1 = false, ok2 = false, ok3 = false;
        const Entry e{line.mid(a + 1, b - a - 1).toLongLong(&ok1),
                      line.mid(b + 1, c - b - 1).toLongLong(&ok2), line.mid(c + 1).toLongLong(&ok3)};
        if (!ok1 || !ok2 || !ok3)
            continue;
        if (e.copyTime == e.sourceTime)
            entries.remove(line.left(a));
        else
            entries.insert(line.left(a), e);
    }
    // Mostly replaced lines: written anew, so the record grows with the copies it holds only.
    if (mayCompact && lines.size() > 2 * entries.size() + 100) {
        QStringList whole;
        whole.reserve(entries.size());
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            whole << lineOf(it.key(), it->size, it->copyTime, it->sourceTime);
        try {
            platform::writeLines(file, whole);
        } catch (const platform::RunError&) {
            // The long record still reads the same.
        }
    }
}

void CopyTimes::Record::note(const QString& key, qint64 size, qint64 copyTime, qint64 sourceTime, bool kept) {
    if (kept) {
        if (!entries.isEmpty() && entries.remove(key))
            pending << lineOf(key, size, sourceTime, sourceTime);
        return;
    }
    entries.insert(key, Entry{size, copyTime, sourceTime});
    pending << lineOf(key, size, copyTime, sourceTime);
}

void CopyTimes::load(bool mayCompact) {
    loaded_ = true;
    mayCompact_ = mayCompact;
    for (Record& r : records_)
        r.load(mayCompact);
}

void CopyTimes::keepBelow(const QString& folder) {
    if (folder.isEmpty())
        return;
    const QString root = platform::withTrailingSeparator(folder);
    // Asked once per copy by the backup run: the folder asked for last comes first.
    if (records_.back().root == root)
        return;
    for (const Record& r : records_)
        if (r.root == root)
            return;
    records_.push_back(Record{root, root + recordName(), {}, {}});
    if (loaded_)
        records_.back().load(mayCompact_);
}

void CopyTimes::keepAbove(const QString& folder) {
    QString at = platform::withoutTrailingSeparator(folder);
    const platform::FileInfo start = platform::fileInfo(at);
    if (!start.exists)
        return;
    while (!at.isEmpty()) {
        const QString record = platform::joinPath(at, recordName());
        if (platform::fileInfo(record).isFile) {
            keepBelow(at);
            return;
        }
        const QString up = platform::parentPath(at);
        if (up.isEmpty() || up == at || platform::fileInfo(up).device != start.device)
            return;
        at = platform::withoutTrailingSeparator(up);
    }
}

CopyTimes::Record& CopyTimes::recordOf(const QString& path, QString& key) {
    return const_cast<Record&>(std::as_const(*this).recordOf(path, key));
}

const CopyTimes::Record& CopyTimes::recordOf(const QString& path, QString& key) const {
    const Record* best = &records_.front();
    for (const Record& r : records_)
        if (!r.root.isEmpty() && r.root.size() > best->root.size() && path.startsWith(r.root))
            best = &r;
    key = best->root.isEmpty() ? path : path.mid(best->root.size());
    return *best;
}

bool CopyTimes::anyEntries() const {
    for (const Record& r : records_)
        if (!r.entries.isEmpty())
            return true;
    return false;
}

std::optional<qint64> CopyTimes::recordedSourceTime(const QString& path, qint64 size, qint64 mtime) const {
    if (!anyEntries())
        return std::nullopt;
    QString key;
    const Record& r = recordOf(path, key);
    auto it = r.entries.constFind(key);
    // Recorded by a program that kept its record in the program folder only.
    if (it == r.entries.cend() && &r != &records_.front()) {
        const Record& old = records_.front();
        it = old.entries.constFind(path);
        if (it == old.entries.cend())
            return std::nullopt;
    } else if (it == r.entries.cend()) {
        return std::nullopt;
    }
    if (it->size != size || it->copyTime != mtime)
        return std::nullopt;
    return it->sourceTime;
}

void CopyTimes::copied(const QString& path, qint64 size, qint64 copyTime, qint64 sourceTime, bool kept) {
    QString key;
    Record& r = recordOf(path, key);
    r.note(key, size, copyTime, sourceTime, kept);
    // What the program folder held for it no longer stands for this copy.
    if (&r != &records_.front())
        records_.front().note(path, size, sourceTime, sourceTime, true);
}

void CopyTimes::flush() {
    for (Record& r : records_) {
        if (r.pending.isEmpty())
            continue;
        if (!r.root.isEmpty() && platform::fileInfo(r.file).isLink)
            platform::throwError(75);
        platform::appendLines(r.file, r.pending);
        r.pending.clear();
    }
}

DiskTimes::DiskTimes(const QString& folder, std::function<void()> onUnkept)
    : folder_(folder), onUnkept_(std::move(onUnkept)) {}

DiskTimes::Trust DiskTimes::trust(const CopyTimes& times, const QString& path, qint64 size, qint64 mtime,
                                  const QString& other, qint64 otherSize) {
    if (times.recordedSourceTime(path, size, mtime))
        return Trust::Time;
    if (!keeps_) {
        keeps_ = platform::keepsTimes(folder_);
        if (!*keeps_ && onUnkept_)
            onUnkept_();
    }
    if (*keeps_)
        return Trust::Time;
    return size == otherSize && platform::sameContent(path, other) ? Trust::SameContent : Trust::Undecided;
}
