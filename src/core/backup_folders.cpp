#include "core/backup_folders.h"

#include "core/job_files.h"
#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace backupfolders {

QString backupFolderProblem(const QString& folder, const QStringList& sources, const QString& programFolder) {
    const QString typed = folder.trimmed();
    // Not a whole path names no place; the test write refuses it before anything is written.
    if (!typed.startsWith(QLatin1Char('/')))
        return {};
    const QString b = platform::resolvedPath(typed);
    // "Is or lies above": the other folder is the backup folder or lies below it.
    auto holds = [&b](const QString& other) { return platform::isSameOrBelow(other, b); };
    if (holds(platform::rootFolder()))
        return QStringLiteral("backupmappen är rotmappen");
    if (holds(platform::homeFolder()))
        return QStringLiteral("backupmappen är hemmappen eller en mapp ovanför den");
    if (holds(platform::resolvedPath(programFolder)))
        return QStringLiteral("backupmappen innehåller programmappen");
    QStringList typedSources;
    typedSources.reserve(sources.size());
    for (const QString& s : sources)
        typedSources << s.trimmed();
    typedSources.removeAll(QString());
    const QStringList resolved = platform::resolvedPaths(typedSources);
    bool insideSource = false;
    for (const QString& r : resolved)
        insideSource = insideSource || (r != b && platform::isSameOrBelow(b, r));
    // A backup folder kept inside a source is left out of the copy with everything below it; the
    // scan lists those folders all the same, and they are the backup's own.
    if (insideSource)
        return {};
    for (qsizetype i = 0; i < resolved.size(); ++i)
        if (holds(resolved[i]))
            return QStringLiteral("backupmappen är källmappen %1 eller en mapp ovanför den")
                .arg(typedSources[i]);
    return {};
}

QString backupFolderProblem(const QString& folder, const QStringList& sources) {
    return backupFolderProblem(folder, sources, program().programFolder());
}

QStringList all(const QString& programFolder) {
    QStringList out;
    for (const char* group : {"Listor", "Listor2", "Listor3", "Listor4"}) {
        const QString folder = platform::joinPath(programFolder, QString::fromLatin1(group));
        if (!platform::folderExists(folder))
            continue;
        try {
            for (const QString& name : JobFiles::list(folder)) {
                try {
                    const JobFiles job(folder, name);
                    const QString b = platform::withoutTrailingSeparator(job.readBackupFolder());
                    if (b.isEmpty() || out.contains(b) ||
                        !backupFolderProblem(b, job.readMainFolders() + job.readFolders(), programFolder)
                             .isEmpty())
                        continue;
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
