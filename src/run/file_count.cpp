#include "core/program.h"
#include "platform/files.h"
#include "platform/parallel.h"
#include "platform/paths.h"
#include "platform/walk_guard.h"
#include "run/copy_engine.h"
#include "run/own_folders.h"
#include "run/target_folders.h"

#include <QSet>

namespace {
// Fewer folders are listed on the calling thread alone.
constexpr qsizetype kFoldersForThreads = 64;

using Verdict = platform::WalkGuard::Verdict;

// What the count saw of one folder of a job's list.
struct Seen {
    long files = 0;
    platform::FolderId id;
    QStringList loops; // links in it that lead back above the source or into a left-out folder
};

// `folder` or a folder above it, down to its main folder, is in `out` (all by text).
bool underLeftOut(const QString& folder, const QSet<QString>& out, const RunOwnFolders& own) {
    for (QString f = folder; !f.isEmpty(); f = platform::parentPath(f)) {
        if (out.contains(f))
            return true;
        if (own.isMainFolder(f) || f == QLatin1String("/"))
            return false;
    }
    return false;
}
} // namespace

void BackupEngine::räknaallajobbfiler() {
    const CurrentJobRecord& m = program().job();
    systemLog(QStringLiteral("Räknar alla filer som kommer ingå i körningen..."), false);
    progress_.windowLog(QStringLiteral(" Räknar alla filer som kommer ingå i körningen..."));
    // What an earlier run learnt of the folders may no longer hold.
    RunOwnFolders::forgetAll();
    QSet<QString> named; // the loops named in log.txt, each once per run
    long count = 0;
    const int jobs = progress_.jobCount();
    for (int i = 0; i < jobs; ++i) {
        progress_.yield();
        if (progress_.cancelled())
            return;
        if (!progress_.jobSelected(i))
            continue;
        progress_.selectJob(i);
        const QStringList pieces = folderFilterPieces(m.txtmappfilter);
        QStringList folders;
        for (const QString& folder : m.listmappar)
            if (matchingFolderFilter(folder, pieces) < 0)
                folders << folder;
        // Each folder is opened once: its identity tells the run's own folders and the loops
        // whatever name the list gives them, and its files are counted from the same handle.
        RunOwnFolders& own = RunOwnFolders::of(m.combomappar, m.txtbackupmapp, m.txtversionmapp);
        std::vector<const platform::WalkGuard*> guards(size_t(folders.size()));
        for (qsizetype k = 0; k < folders.size(); ++k)
            guards[size_t(k)] = &own.guardFor(folders.at(k));
        // The folders are only read, and the sum does not depend on the order: a few threads
        // list them at once, while this one keeps the window alive between its folders.
        std::vector<Seen> seen(size_t(folders.size()));
        const QString pattern = m.txtpattern;
        platform::forEachInParallel(
            folders.size(), folders.size() < kFoldersForThreads ? 1 : platform::fileSystemThreads(),
            [&](qsizetype k) {
                Seen& s = seen[size_t(k)];
                const platform::WalkFolder folder(folders.at(k));
                s.id = folder.id();
                s.files =
                    folder.countFiles(pattern, [&](const QString& name, const platform::FolderId& target) {
                        const QString link = platform::joinPath(folders.at(k), name);
                        if (guards[size_t(k)]->link(link, target) != Verdict::Walk)
                            s.loops << link;
                    });
            },
            [&] { progress_.yield(); });

        QSet<QString> out;
        std::vector<char> loopAt(size_t(folders.size()), 0);
        for (qsizetype k = 0; k < folders.size(); ++k) {
            const Seen& s = seen[size_t(k)];
            const QString& folder = folders.at(k);
            if (s.id != platform::FolderId{} && !own.isMainFolder(folder)) {
                const Verdict v = guards[size_t(k)]->plain(s.id);
                if (v != Verdict::Walk)
                    out.insert(platform::withoutTrailingSeparator(folder));
                loopAt[size_t(k)] = v == Verdict::Loop;
            }
            for (const QString& l : s.loops)
                out.insert(l);
        }
        // A loop is named where the walk meets it, not again for what lies behind it.
        QStringList loops;
        for (qsizetype k = 0; k < folders.size(); ++k) {
            const QString folder = platform::withoutTrailingSeparator(folders.at(k));
            const bool left = !out.isEmpty() && underLeftOut(folder, out, own);
            own.note(folder, left);
            if (!left)
                count += seen[size_t(k)].files;
            if (loopAt[size_t(k)] && !underLeftOut(platform::parentPath(folder), out, own))
                loops << folder;
            if (!left)
                loops << seen[size_t(k)].loops;
        }
        for (const QString& l : std::as_const(loops)) {
            if (named.contains(l))
                continue;
            named.insert(l);
            logLine(
                QStringLiteral("log.txt"),
                QStringLiteral("Länk som inte följdes (den leder tillbaka till källmappen eller ovanför den, "
                               "eller in i backupmappen): ") +
                    l + QStringLiteral(" (Jobb: ") + progress_.jobText(i) + QLatin1Char(')'));
        }
    }
    flushLogs();
    if (count > 0) {
        systemLog(QString::number(count) + QStringLiteral(" filer hittades."), false);
        progress_.windowLog(QStringLiteral(" ") + QString::number(count) +
                            QStringLiteral(" filer hittades."));
    }
    filtotal = count > 0 ? count : 1;
}
