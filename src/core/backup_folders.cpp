#include "core/backup_folders.h"

#include "core/job_files.h"
#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <vector>

namespace backupfolders {

namespace {
// `path` is `folder` or lies below it; both without a trailing '/' but for "/".
bool atOrBelow(QStringView path, QStringView folder) {
    if (!path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder.endsWith(u'/') || path[folder.size()] == u'/';
}
} // namespace

QString backupFolderProblem(const QString& folder, const QStringList& mainFolders, const QStringList& folders,
                            const QString& programFolder) {
    const QString typed = folder.trimmed();
    // Not a whole path names no place; the test write refuses it before anything is written.
    if (!typed.startsWith(QLatin1Char('/')))
        return {};
    const QString b = platform::resolvedPath(typed);
    // "Is or lies above": the other folder is the backup folder or lies below it.
    auto holds = [&b](const QString& other) { return atOrBelow(other, b); };
    if (holds(platform::rootFolder()))
        return QStringLiteral("backupmappen är rotmappen");
    if (holds(platform::homeFolder()))
        return QStringLiteral("backupmappen är hemmappen eller en mapp ovanför den");
    if (holds(platform::resolvedPath(programFolder)))
        return QStringLiteral("backupmappen innehåller programmappen");

    struct Main {
        QString typed, resolved;
    };
    std::vector<Main> mains;
    for (const QString& m : mainFolders)
        if (const QString t = platform::withoutTrailingSeparator(m.trimmed()); t.startsWith(QLatin1Char('/')))
            mains.push_back({t, platform::resolvedPath(t)});
    // A backup folder kept inside a main folder is left out of the copy with all below it; the scan
    // lists those folders all the same, and they are the backup's own.
    for (const Main& m : mains)
        if (m.resolved != b && atOrBelow(b, m.resolved))
            return {};
    for (const Main& m : mains)
        if (holds(m.resolved))
            return QStringLiteral("backupmappen är källmappen %1 eller en mapp ovanför den").arg(m.typed);
    // A folder of the list lies below a main folder: it is where its main folder leads, as typed below
    // it. Only a link inside the tree could lead elsewhere, and that leads into the backup, never
    // makes the backup folder hold the user's other files. One that lies below no main folder is
    // resolved whole.
    for (const QString& f : folders) {
        const QString t = platform::withoutTrailingSeparator(f.trimmed());
        if (t.isEmpty())
            continue;
        QString r;
        for (const Main& m : mains)
            if (atOrBelow(t, m.typed)) {
                r = t.size() == m.typed.size() ? m.resolved
                                               : platform::joinPath(m.resolved, t.mid(m.typed.size()));
                break;
            }
        if (r.isEmpty())
            r = platform::resolvedPath(t);
        if (holds(r))
            return QStringLiteral("backupmappen är källmappen %1 eller en mapp ovanför den").arg(t);
    }
    return {};
}

QString backupFolderProblem(const QString& folder, const QStringList& mainFolders,
                            const QStringList& folders) {
    return backupFolderProblem(folder, mainFolders, folders, program().programFolder());
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
                        !backupFolderProblem(b, job.readMainFolders(), job.readFolders(), programFolder)
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
