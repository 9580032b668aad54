#include "restore/restore_log.h"

#include "core/module1.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/run_log.h"

#include <QTime>
#include <cerrno>

namespace restorelog {

QStringList headerLines(const QDateTime& start, const QString& jobName) {
    QStringList lines{QString(),
                      QStringLiteral("Återställning utförd ") + platform::dateText(start) +
                          QStringLiteral("  ") + start.toString(QStringLiteral("HH:mm")),
                      QString()};
    if (!jobName.isEmpty())
        lines << QStringLiteral("Filer återställda från jobb ") + jobName.toUpper();
    return lines;
}

QString elapsedText(qint64 seconds) {
    return QTime(0, 0).addSecs(int(qMax<qint64>(0, seconds) % 86400)).toString(QStringLiteral("HH:mm:ss"));
}

QStringList summaryLines(const QDateTime& start, const QDateTime& end, const Totals& t) {
    QStringList lines{
        QString(),
        QString(),
        QStringLiteral("Backup startade kl. ") + platform::timeText(start) +
            QStringLiteral(", slutade kl. ") + platform::timeText(end),
        QStringLiteral("Tidsåtgång: ") + elapsedText(start.secsTo(end)),
        QString(),
        QStringLiteral("Sammanställning:"),
        QStringLiteral("  ") + platform::fileCount(t.files) + QStringLiteral(" återställdes totalt"),
        QStringLiteral("  ") + platform::fileCount(t.missing, QStringLiteral("ny"), QStringLiteral("nya")) +
            QStringLiteral(" återställdes"),
        QStringLiteral("  ") +
            platform::fileCount(t.replaced, QStringLiteral("ändrad"), QStringLiteral("ändrade")) +
            QStringLiteral(" återställdes"),
        QStringLiteral("  ") + platform::Format(t.megabytes, QStringLiteral("0.00")) + QStringLiteral(" MB")};
    if (t.errors > 0)
        lines << QStringLiteral("  Fel uppstod under återställningen!");
    return lines;
}

QString sizeErrorText(const QString& target, qint64 targetLength, const QString& backup,
                      qint64 backupLength) {
    return QStringLiteral("Filen kopierades men fick fel storlek: %1 (%2) <--- %3 (%4)")
        .arg(target)
        .arg(targetLength)
        .arg(backup)
        .arg(backupLength);
}

namespace {
QString savedLogNameWith(const QDateTime& start, const QString& job, const Totals& t, int nth) {
    QString name = QStringLiteral("log ") + Module1::ersätt_text(platform::dateTimeText(start),
                                                                 QStringLiteral(":"), QStringLiteral("."));
    if (job.isEmpty())
        name += QStringLiteral(" Återställning (manuell). ");
    else
        name += QStringLiteral(" Återställning från jobb ") + job + QStringLiteral(". ");
    name += platform::fileCount(t.files) + QStringLiteral(" återställdes. ");
    name += platform::Format(t.megabytes, QStringLiteral("0.00")) + QStringLiteral(" MB.");
    if (t.errors > 0)
        name += QStringLiteral(" Fel uppstod!");
    if (!name.endsWith('.'))
        name += '.';
    // A job name never holds '/', but a file name must not either.
    name.replace('/', '-');
    return runlog::nthSavedLogName(name + QStringLiteral("txt"), nth);
}
} // namespace

QString savedLogName(const QDateTime& start, const QString& jobName, const Totals& t, int nth) {
    const QString job = jobName.toUpper();
    const QString name = savedLogNameWith(start, job, t, nth);
    const qsizetype over = name.toUtf8().size() - platform::kLongestFileName;
    if (over <= 0 || job.isEmpty())
        return name;
    // A long job name is cut so that the log can be saved at all.
    return savedLogNameWith(start, platform::fitToBytes(job, int(job.toUtf8().size() - over)), t, nth);
}

QString saveLog(const QString& programFolder, const QDateTime& start, const QString& jobName,
                const Totals& t) {
    return runlog::saveLogAs(programFolder, [&](int nth) { return savedLogName(start, jobName, t, nth); });
}

Appender::Appender(const QString& path) : file_(path) {}

void Appender::open() {
    if (file_.isOpen())
        return;
    platform::checkFault(file_.fileName());
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        platform::throwErrno(EIO);
}

void Appender::lines(const QStringList& texts) {
    open();
    const QByteArray bytes = platform::encodeLines(texts);
    if (file_.write(bytes) != bytes.size())
        platform::throwErrno(EIO);
}

void Appender::line(const QString& text) {
    lines(QStringList{text});
}

} // namespace restorelog
