#include "core/backup_folders.h"

#include "core/job_files.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace backupfolders {

QStringList all(const QString& programFolder) {
    QStringList out;
    for (const char* group : {"Listor", "Listor2", "Listor3", "Listor4"}) {
        const QString folder = platform::joinPath(programFolder, QString::fromLatin1(group));
        if (!platform::folderExists(folder))
            continue;
        try {
            for (const QString& name : JobFiles::list(folder)) {
                try {
                    const QString b =
                        platform::withoutTrailingSeparator(JobFiles(folder, name).readBackupFolder());
                    if (!b.isEmpty() && !out.contains(b))
                        out << b;
                } catch (const platform::RunError&) {
                }
            }
        } catch (const platform::RunError&) {
        }
    }
    return out;
}

QString deletionProblem(const QString& entry, const QStringList& folders) {
    if (!entry.startsWith(QLatin1Char('/')))
        return QStringLiteral("sökvägen är inte en hel sökväg");
    const QStringList pieces = entry.mid(1).split(QLatin1Char('/'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString& p = pieces[i];
        // One trailing '/' names the same folder.
        if (p.isEmpty() && i == pieces.size() - 1 && i > 0)
            continue;
        if (p.isEmpty() || p == QLatin1String(".") || p == QLatin1String(".."))
            return QStringLiteral("sökvägen innehåller tomma delar, \".\" eller \"..\"");
    }
    const QString path = platform::withoutTrailingSeparator(entry);
    for (const QString& f : folders) {
        const QString base = platform::withTrailingSeparator(f);
        if (base.size() > 1 && path.startsWith(base) && path.size() > base.size())
            return {};
    }
    return QStringLiteral("sökvägen ligger inte i något jobbs backupmapp");
}

} // namespace backupfolders
