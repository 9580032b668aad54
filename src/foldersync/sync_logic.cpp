#include "foldersync/sync_logic.h"

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/run_log.h"

#include <QFileInfo>

namespace synclogic {

QString historyFile(const QString& programFolder) {
    return platform::joinPath(programFolder, QStringLiteral("setup_synkmappar.ini"));
}

QStringList historyEntries(const QString& line) {
    QStringList out;
    for (const QString& piece : platform::Split(line, QStringLiteral("*")))
        if (!piece.isEmpty())
            out << piece;
    return out;
}

Histories readHistories(const QString& path) {
    Histories h;
    if (!QFileInfo::exists(path))
        return h;
    // Every line written is empty or ends in "*". A line break inside a folder name cuts its
    // line short and makes more than two lines; what follows then belongs to no field.
    const auto whole = [](const QString& line) { return line.isEmpty() || line.endsWith(QLatin1Char('*')); };
    try {
        const QStringList lines = platform::readLines(path);
        if (lines.isEmpty() || !whole(lines.at(0)))
            return h;
        h.mapp1 = historyEntries(lines.at(0));
        if (lines.size() == 2 && whole(lines.at(1)))
            h.mapp2 = historyEntries(lines.at(1));
    } catch (const platform::RunError&) {
        // An unreadable file leaves the histories empty; the window stays usable.
    }
    return h;
}

bool historyCanHold(const QString& text) {
    return !text.contains(QLatin1Char('*')) && !text.contains(QLatin1Char('\r')) &&
           !text.contains(QLatin1Char('\n'));
}

QStringList withEntry(QStringList list, const QString& text) {
    if (historyCanHold(text) && !list.contains(text, Qt::CaseSensitive))
        list.prepend(text);
    return list;
}

QString historyLine(const QStringList& list) {
    QString line;
    for (qsizetype i = 0; i < list.size() && i < kSavedEntries; ++i)
        line += list.at(i) + QLatin1Char('*');
    return line;
}

void writeHistories(const QString& path, const Histories& h) {
    platform::writeLines(path, {historyLine(h.mapp1), historyLine(h.mapp2)});
}

QString pairTarget(const QString& folder, const QString& fromRoot, const QString& toRoot) {
    const QString root = platform::withoutTrailingSeparator(fromRoot);
    QString rest = platform::withoutTrailingSeparator(folder).mid(root.length());
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    const QString target = rest.isEmpty() ? toRoot : platform::joinPath(toRoot, rest);
    return platform::withTrailingSeparator(target);
}

QString pairProblem(const QString& mapp1, const QString& mapp2) {
    if (mapp1.isEmpty() || mapp2.isEmpty())
        return {};
    for (const QString& folder : {mapp1, mapp2})
        if (!folder.startsWith(QLatin1Char('/')))
            return QStringLiteral("Mappen \"") + folder +
                   QStringLiteral("\" är ingen fullständig sökväg. Ange hela sökvägen, från /.");
    // Compared by identity: a second name for a folder (a link, a bind mount) is the same folder.
    const platform::PlacedFolder a = platform::placeFolder(mapp1), b = platform::placeFolder(mapp2);
    const bool bInA = platform::isSameOrInside(b, a), aInB = platform::isSameOrInside(a, b);
    const QString why = QStringLiteral(" En mapp kan inte synkroniseras med en mapp som ligger i den själv.");
    if (aInB && bInA)
        return QStringLiteral("Mapp 1 och Mapp 2 är samma mapp. Välj två olika mappar.");
    if (bInA)
        return QStringLiteral("Mapp 2 ligger i Mapp 1.") + why;
    if (aInB)
        return QStringLiteral("Mapp 1 ligger i Mapp 2.") + why;
    return {};
}

bool patternSelectsNothing(const QString& pattern) {
    for (const QString& piece : pattern.split(QLatin1Char(';')))
        if (!piece.trimmed().isEmpty())
            return false;
    return true;
}

namespace {
QString simulatedPrefix(bool simulated) {
    return simulated ? QStringLiteral("Simulerad ") : QString();
}
} // namespace

QString headerLine(const QDateTime& now, bool simulated) {
    return simulatedPrefix(simulated) + QStringLiteral("Mappsynkronisering utförd ") +
           platform::dateText(now) + QStringLiteral("  ") + now.toString(QStringLiteral("HH:mm"));
}

QString copiedVerb(bool simulated) {
    return simulated ? QStringLiteral("skulle kopieras") : QStringLiteral("kopierades");
}

QStringList summary(const SyncCounts& c, bool cancelled, bool simulated) {
    return {cancelled ? QStringLiteral("Mappsynkronisering avbröts.")
                      : QStringLiteral("Mappsynkronisering klar."),
            platform::fileCount(c.antal_kopierade) + QLatin1Char(' ') + copiedVerb(simulated) +
                QLatin1Char('.')};
}

QStringList summaryBlock(const SyncCounts& c, bool cancelled, bool simulated) {
    const QString verb = QLatin1Char(' ') + copiedVerb(simulated);
    QStringList lines{QString()};
    lines << summary(c, cancelled, simulated) << QString() << QString();
    lines << platform::fileCount(c.antal_kopierade) + verb + QStringLiteral(" totalt")
          << platform::fileCount(c.antal_nya, QStringLiteral("ny"), QStringLiteral("nya")) + verb +
                 QStringLiteral(" (exkl. ev. skyddade filer)")
          << platform::fileCount(c.antal_ändrade, QStringLiteral("ändrad"), QStringLiteral("ändrade")) +
                 verb + QStringLiteral(" (exkl. ev. skyddade filer)")
          << platform::fileCount(c.antal_skyddade, QStringLiteral("skyddad"), QStringLiteral("skyddade")) +
                 verb;
    if (c.antal_fel_filstorlek == 0)
        lines << QStringLiteral("  ") + platform::fileCount(c.antal_misslyckade) +
                     QStringLiteral(" misslyckades");
    else
        lines << QStringLiteral("  ") + platform::fileCount(c.antal_misslyckade + c.antal_fel_filstorlek) +
                     QStringLiteral(" misslyckades, varav ") + QString::number(c.antal_fel_filstorlek) +
                     QStringLiteral(" p.g.a fel filstorlek efter kopiering");
    if (c.antal_olästa_mappar > 0)
        lines << QStringLiteral("  ") + unreadableText(c);
    lines << platform::Format(c.kopierade_mb, QStringLiteral("0.00")) + QStringLiteral(" MB");
    return lines;
}

QString unreadableText(const SyncCounts& c) {
    return platform::countText(c.antal_olästa_mappar, QStringLiteral("mapp kunde inte läsas"),
                               QStringLiteral("mappar kunde inte läsas"));
}

namespace {
QString simulatedMark(bool simulated) {
    return simulated ? QStringLiteral(" (simulerad)") : QString();
}
QString copiedText(const SyncCounts& c, bool simulated) {
    QString text =
        platform::fileCount(c.antal_kopierade) + QLatin1Char(' ') + copiedVerb(simulated) + QLatin1Char('.');
    if (c.antal_olästa_mappar > 0)
        text += QLatin1Char(' ') + unreadableText(c) + QLatin1Char('.');
    return text;
}
} // namespace

QString endSystemLine(const SyncCounts& c, bool cancelled, bool simulated) {
    return (cancelled ? QStringLiteral("Mappsynkronisering avbröts. ")
                      : QStringLiteral("Mappsynkronisering klar. ")) +
           copiedText(c, simulated) + simulatedMark(simulated);
}

QString endWindowLine(const SyncCounts& c, bool cancelled, bool simulated) {
    if (cancelled)
        return QStringLiteral(" Mappsynkroniseringen avbröts.") + simulatedMark(simulated);
    return QStringLiteral(" Mappsynkronisering klar. ") + copiedText(c, simulated) + simulatedMark(simulated);
}

QString savedLogName(const QDateTime& start, long copied, double megabytes, long errors, bool simulated) {
    QString name =
        QStringLiteral("log ") + platform::dateTimeText(start).replace(QLatin1Char(':'), QLatin1Char('.')) +
        QLatin1Char(' ') + simulatedPrefix(simulated) + QStringLiteral("Mappsynkronisering. ") +
        platform::fileCount(copied) + QLatin1Char(' ') + copiedVerb(simulated) + QStringLiteral(". ") +
        platform::Format(megabytes, QStringLiteral("0.00")) + QStringLiteral(" MB.");
    if (errors > 0)
        name += QStringLiteral(" Fel uppstod!");
    if (!name.endsWith(QLatin1Char('.')))
        name += QLatin1Char('.');
    return name + QStringLiteral("txt");
}

void startLog(const QString& programFolder, const QDateTime& now, bool simulated) {
    try {
        platform::writeLines(runlog::logPath(programFolder),
                             {QString(), headerLine(now, simulated), QString()});
    } catch (const platform::RunError&) {
    }
    try {
        platform::writeLines(runlog::errLogPath(programFolder), {QString()});
    } catch (const platform::RunError&) {
    }
}

QString saveLog(const QString& programFolder, const QDateTime& start, long copied, double megabytes,
                long errors, bool simulated) {
    return runlog::saveLogAs(programFolder, [&](int nth) {
        return runlog::nthSavedLogName(savedLogName(start, copied, megabytes, errors, simulated), nth);
    });
}

} // namespace synclogic
