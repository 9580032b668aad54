#include "run/run_log.h"

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace runlog {

QString logPath(const QString& f) {
    return platform::joinPath(f, QStringLiteral("log.txt"));
}
QString errLogPath(const QString& f) {
    return platform::joinPath(f, QStringLiteral("log_err.txt"));
}
QString exLogPath(const QString& f) {
    return platform::joinPath(f, QStringLiteral("log_ex.txt"));
}
QString savedLogFolder(const QString& f) {
    return platform::joinPath(f, QStringLiteral("Sparade loggar"));
}

namespace {
QString headerPrefixes(const RunMode& mode) {
    QString line;
    if (mode.scheduled)
        line += QStringLiteral("Schemalagd ");
    if (mode.simulated)
        line += QStringLiteral("Simulerad ");
    if (mode.commandline)
        line += QStringLiteral("Startkommando-startad ");
    return line;
}
} // namespace

QString headerLine(const RunMode& mode, const QString& startDate, const QString& startTime) {
    return headerPrefixes(mode) + QStringLiteral("Backup utförd ") + startDate + QStringLiteral("  ") +
           startTime;
}

QString stoppedHeaderLine(const RunMode& mode, const QString& startDate, const QString& startTime) {
    return headerPrefixes(mode) + QStringLiteral("Backup avbröts ") + startDate + QLatin1Char(' ') +
           startTime;
}

QString notRunHeaderLine(const RunMode& mode, const QString& startDate, const QString& startTime) {
    return headerPrefixes(mode) + QStringLiteral("Backup kunde inte utföras ") + startDate +
           QStringLiteral("  ") + startTime;
}

void replaceHeader(const QString& folder, const QString& header, const QString& replacement,
                   const QStringList& details) {
    const QString path = logPath(folder);
    const QByteArray head = platform::encodeLines({QString(), header});
    const QByteArray next = platform::encodeLines({QString(), replacement});
    if (details.isEmpty() && head.size() == next.size()) {
        // Written over where it lies: the log may be hundreds of megabytes.
        platform::checkFault(path);
        QFile f(path);
        errno = 0;
        if (!f.open(QIODevice::ReadWrite) || f.read(head.size()) != head)
            return;
        if (!f.seek(0) || f.write(next) != next.size() || !f.flush())
            platform::throwErrno(errno);
        return;
    }
    QStringList lines = platform::readLines(path);
    if (lines.size() < 2 || !lines[0].isEmpty() || lines[1] != header)
        return;
    lines[1] = replacement;
    for (qsizetype i = 0; i < details.size(); ++i)
        lines.insert(2 + i, details[i]);
    platform::writeLines(path, lines);
}

QString refusedClosing() {
    return QStringLiteral("De jobb du valt kunde inte köras. Avslutar körningen.");
}

QString unwritableClosing() {
    return QStringLiteral("De jobb du valt gick inte att skriva till. Avslutar körningen.");
}

QString noJobsClosing() {
    return QStringLiteral("Inga jobb valda för backup. Avslutar körningen.");
}

QString lastRunText(const QStringList& firstLines, const QStringList& lastLines) {
    if (firstLines.size() < 2)
        platform::throwError(62);
    // A start with nothing chosen adds its line to the log before it and does not start anew.
    qsizetype last = lastLines.size() - 1;
    while (last >= 0 && (lastLines[last].isEmpty() || lastLines[last] == noJobsClosing()))
        --last;
    QString header = firstLines[1];
    if (last >= 0 && (lastLines[last] == refusedClosing() || lastLines[last] == unwritableClosing()))
        header.replace(QStringLiteral("Backup utförd "), QStringLiteral("Backup kunde inte utföras "));
    return header;
}

void startLog(const QString& folder, const RunMode& mode, const QString& startDate,
              const QString& startTime) {
    try {
        platform::writeLines(logPath(folder), {QString(), headerLine(mode, startDate, startTime), QString()});
    } catch (const platform::RunError&) {
    }
    try {
        platform::writeLines(errLogPath(folder), {QString()});
    } catch (const platform::RunError&) {
    }
}

void foldExclusions(const QString& folder) {
    const QString ex = exLogPath(folder);
    const QString log = logPath(folder);
    if (!QFileInfo::exists(ex) || !QFileInfo::exists(log))
        return;
    const QStringList lines = platform::readLines(ex);
    if (!lines.isEmpty())
        platform::appendLines(log, lines);
    platform::writeText(ex, QString());
}

bool foldErrors(const QString& folder, const QStringList& listsaknadenhet) {
    const QString log = logPath(folder);
    if (!QFileInfo::exists(log))
        return false;
    if (!listsaknadenhet.isEmpty()) {
        QStringList lines{QString()};
        lines += listsaknadenhet;
        platform::appendLines(log, lines);
    }
    const QString err = errLogPath(folder);
    if (QFileInfo::exists(err)) {
        const QStringList lines = platform::readLines(err);
        if (!lines.isEmpty())
            platform::appendLines(log, lines);
        platform::writeLines(err, {QString()});
    }
    return true;
}

QString driveEntrySystemText(const QString& entry) {
    if (entry.left(4) == QLatin1String("FEL:"))
        return QStringLiteral("FEL! ") + entry.mid(4);
    return entry;
}

namespace {

// More saved logs of one name than runs fit in one second.
constexpr int kMostSavedLogsOfOneName = 1000;

const QString kJobPart = QStringLiteral("Backup av ");
const QString kMirroredJobPart = QStringLiteral("Backup med spegling av ");

// The summary with `job` standing for the job's name in capitals.
QString summaryOf(const SavedLogFacts& f, const QString& job) {
    QString s = f.simulated && f.mirrored ? kMirroredJobPart : kJobPart;
    s += f.jobs == 1 ? job + QStringLiteral(". ") : QString::number(f.jobs) + QStringLiteral(" jobb. ");
    if (f.simulated)
        s.prepend(QStringLiteral("Simulerad "));
    if (f.scheduled)
        s.prepend(QStringLiteral("Schemalagd "));
    if (f.commandline)
        s.prepend(QStringLiteral("Startkommando-startad "));
    if (f.notRun) {
        s += QStringLiteral("Kunde inte utföras. ");
    } else {
        // A simulation copied nothing: its name tells what it would have copied.
        s += platform::fileCount(f.copied) + QStringLiteral(" av ") + QString::number(f.lookedAt) +
             (f.simulated ? QStringLiteral(" skulle kopieras. ") : QStringLiteral(" kopierades. "));
        s += platform::Format(static_cast<float>(f.megabytes), QStringLiteral("0.00")) +
             QStringLiteral(" MB. ");
    }
    const QString errors = QString::number(f.errors) + QStringLiteral(" fel!");
    if (f.stopped)
        s += QStringLiteral("Avbröts") + (f.errors >= 1 ? QStringLiteral(", ") + errors : QString());
    else
        s += f.errors >= 1 ? errors : QStringLiteral("Inga fel");
    // A job name is a file name, but keep a saved log inside its folder whatever it holds.
    s.replace(QLatin1Char('/'), QLatin1Char('-'));
    return s;
}

} // namespace

QString savedLogSummary(const SavedLogFacts& f) {
    return summaryOf(f, f.jobName.toUpper());
}

QString nthSavedLogName(const QString& name, int nth) {
    if (nth <= 1)
        return name;
    const QString ending = QStringLiteral(".txt");
    const qsizetype at = name.endsWith(ending) ? name.size() - ending.size() : name.size();
    return name.left(at) + QLatin1Char('(') + QString::number(nth) + QLatin1Char(')') + name.mid(at);
}

QString savedLogName(const QDateTime& start, const SavedLogFacts& facts, int nth) {
    QString stamp = platform::dateTimeText(start);
    stamp.replace(QLatin1Char(':'), QLatin1Char('.'));
    const auto nameWith = [&](const QString& job) {
        return nthSavedLogName(QStringLiteral("log ") + stamp + QLatin1Char(' ') + summaryOf(facts, job) +
                                   QStringLiteral(".txt"),
                               nth);
    };
    const QString job = facts.jobName.toUpper();
    const QString name = nameWith(job);
    const qsizetype over = name.toUtf8().size() - platform::kLongestFileName;
    if (over <= 0 || facts.jobs != 1)
        return name;
    const int room = int(job.toUtf8().size() - over);
    return nameWith(platform::fitToBytes(job, room));
}

bool savedLogOfJob(const QString& fileName, const QString& jobName) {
    const QString job = jobName.toUpper();
    const qsizetype at = fileName.indexOf(kJobPart);
    if (at < 0)
        return false;
    const QString rest = fileName.mid(at + kJobPart.size());
    if (rest.startsWith(job + QStringLiteral(". ")))
        return true;
    // A cut name: its beginning, then "…".
    const qsizetype cut = rest.indexOf(QStringLiteral("…. "));
    return cut > 0 && job.startsWith(rest.left(cut));
}

QString saveLogAs(const QString& folder, const std::function<QString(int nth)>& nameFor) {
    const QString saved = savedLogFolder(folder);
    if (!platform::folderExists(saved))
        platform::makePath(saved);
    // Jobs whose names differ only in case, two runs in one second, or long names cut alike give
    // one name: the copy goes in only where no file of its name is, as one step.
    const platform::FileInfo none;
    for (int nth = 1;; ++nth) {
        const QString target = platform::joinPath(saved, nameFor(nth));
        // Only spares copying a large log in vain; the placing below is what decides.
        if (nth < kMostSavedLogsOfOneName && platform::fileInfo(target).exists)
            continue;
        try {
            platform::copyKeepTime(logPath(folder), target, {}, {}, nullptr, &none);
            return target;
        } catch (const platform::RunError& e) {
            if (e.number != platform::kTargetChanged || nth == kMostSavedLogsOfOneName)
                throw;
        }
    }
}

QString saveLog(const QString& folder, const QDateTime& start, const SavedLogFacts& facts) {
    return saveLogAs(folder, [&](int nth) { return savedLogName(start, facts, nth); });
}

int pruneSavedLogs(const QString& folder, int keep) {
    const QString saved = savedLogFolder(folder);
    QStringList names;
    for (const QString& n : platform::listFileNames(saved))
        if (platform::matchesPattern(n, QStringLiteral("*.txt")))
            names << n;
    platform::sortNames(names);
    int deleted = 0;
    for (int i = 0; i < names.size() - keep; ++i) {
        platform::removeFile(platform::joinPath(saved, names[i]));
        ++deleted;
    }
    return deleted;
}

QString pruneMessage(int deleted) {
    if (deleted == 1)
        return QStringLiteral("Raderade en gammal loggfil eftersom gränsen på 50 loggfiler är nådd.");
    if (deleted > 1)
        return QStringLiteral("Raderade ") + QString::number(deleted) +
               QStringLiteral(" gamla loggfiler eftersom gränsen på 50 loggfiler är nådd.");
    return {};
}

void PendingLines::add(const QString& file, const QString& line) {
    QString& pending = pending_[file];
    pending += line;
    pending += QStringLiteral("\r\n");
    bytes_ += line.size() + 2;
    if (bytes_ >= 256 * 1024)
        flush();
}

void PendingLines::flush() {
    std::map<QString, QString> pending;
    pending.swap(pending_);
    bytes_ = 0;
    for (const auto& [file, text] : pending)
        if (!text.isEmpty())
            platform::appendText(platform::joinPath(folder_, file), text);
}

void PendingLines::clear() {
    pending_.clear();
    bytes_ = 0;
}

} // namespace runlog
