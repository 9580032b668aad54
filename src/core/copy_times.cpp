#include "core/copy_times.h"

#include "platform/errors.h"
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

CopyTimes::CopyTimes(const QString& programFolder) : path_(platform::joinPath(programFolder, fileName())) {}

void CopyTimes::load(bool mayCompact) {
    loaded_ = true;
    entries_.clear();
    QStringList lines;
    try {
        lines = platform::readLines(path_);
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
            entries_.remove(line.left(a));
        else
            entries_.insert(line.left(a), e);
    }
    // Mostly replaced lines: written anew, so the record grows with the copies it holds only.
    if (mayCompact && lines.size() > 2 * entries_.size() + 100) {
        QStringList whole;
        whole.reserve(entries_.size());
        for (auto it = entries_.cbegin(); it != entries_.cend(); ++it)
            whole << lineOf(it.key(), it->size, it->copyTime, it->sourceTime);
        try {
            platform::writeLines(path_, whole);
        } catch (const platform::RunError&) {
            // The long record still reads the same.
        }
    }
}

std::optional<qint64> CopyTimes::recordedSourceTime(const QString& path, qint64 size, qint64 mtime) const {
    if (entries_.isEmpty())
        return std::nullopt;
    const auto it = entries_.constFind(path);
    if (it == entries_.cend() || it->size != size || it->copyTime != mtime)
        return std::nullopt;
    return it->sourceTime;
}

void CopyTimes::copied(const QString& path, qint64 size, qint64 copyTime, qint64 sourceTime, bool kept) {
    if (kept) {
        if (!entries_.isEmpty() && entries_.remove(path))
            pending_ << lineOf(path, size, sourceTime, sourceTime);
        return;
    }
    entries_.insert(path, Entry{size, copyTime, sourceTime});
    pending_ << lineOf(path, size, copyTime, sourceTime);
}

void CopyTimes::flush() {
    if (pending_.isEmpty())
        return;
    platform::appendLines(path_, pending_);
    pending_.clear();
}
