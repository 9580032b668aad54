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
    platform::FolderId id; // read from its handle where its own listing could not tell it
    quint64 ownInode = 0;  // from its own listing
    QStringList linkNames; // its links to folders
    QStringList loops;     // those that lead back above the source or into a left-out folder
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

// `path` without one trailing '/' (but "/").
QStringView bare(QStringView path) {
    return path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path;
}

// `folder` lies below `parent` (by their text).
bool isBelow(QStringView folder, QStringView parent) {
    parent = bare(parent);
    if (parent == u"/")
        return folder.size() > 1 && folder.startsWith(u'/');
    return folder.size() > parent.size() && folder.startsWith(parent) && folder[parent.size()] == u'/';
}

// `folder` is `parent`'s folder of that name.
bool isChildOf(QStringView folder, QStringView parent) {
    if (!isBelow(folder, parent))
        return false;
    parent = bare(parent);
    return !folder.mid(parent == u"/" ? 1 : parent.size() + 1).contains(u'/');
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
        std::vector<RunOwnFolders::Place> places(size_t(folders.size()));
        for (qsizetype k = 0; k < folders.size(); ++k)
            places[size_t(k)] = own.placeOf(folders.at(k));
        // The folders are only read, and the sum does not depend on the order: a few threads
        // list them at once, while this one keeps the window alive between its folders.
        std::vector<Seen> seen(size_t(folders.size()));
        const QString pattern = m.txtpattern;
        platform::forEachInParallel(
            folders.size(), folders.size() < kFoldersForThreads ? 1 : platform::fileSystemThreads(),
            [&](qsizetype k) {
                Seen& s = seen[size_t(k)];
                const RunOwnFolders::Place& place = places[size_t(k)];
                const platform::WalkFolder folder(folders.at(k));
                s.files =
                    folder.countFiles(pattern, [&](const QString& name, const platform::FolderId& target) {
                        const QString link = platform::joinPath(folders.at(k), name);
                        s.linkNames << name;
                        if (place.guard->link(link, target) != Verdict::Walk)
                            s.loops << link;
                    });
                s.ownInode = folder.ownInode();
                // Where the folder's own listing cannot tell its identity, its handle does.
                if (!place.isMain && (!place.device || s.ownInode == 0 ||
                                      !place.device->covers(QStringView(folders.at(k)).mid(place.rest))))
                    s.id = folder.id();
            },
            [&] { progress_.yield(); });

        // The identity of each folder: from its own listing where no link stands on its way
        // below its main folder (known from the listing of the folder above it).
        std::vector<char> behindLink(size_t(folders.size()), 0);
        std::vector<qsizetype> above; // the folders of the list above the one at hand
        for (qsizetype k = 0; k < folders.size(); ++k) {
            const QString& folder = folders.at(k);
            const QStringView f = bare(folder);
            while (!above.empty() && !isBelow(f, folders.at(above.back())))
                above.pop_back();
            Seen& s = seen[size_t(k)];
            const RunOwnFolders::Place& place = places[size_t(k)];
            if (!place.isMain) {
                const qsizetype p =
                    !above.empty() && isChildOf(f, folders.at(above.back())) ? above.back() : -1;
                const bool behind = p < 0 || behindLink[size_t(p)] ||
                                    seen[size_t(p)].linkNames.contains(f.mid(f.lastIndexOf(u'/') + 1));
                behindLink[size_t(k)] = behind;
                if (s.id == platform::FolderId{} && behind)
                    s.id = platform::folderId(folder);
                else if (s.id == platform::FolderId{} && s.ownInode != 0 && place.device)
                    s.id = platform::FolderId{place.device->device(), s.ownInode};
            }
            above.push_back(k);
        }

        QSet<QString> out;
        std::vector<char> loopAt(size_t(folders.size()), 0);
        for (qsizetype k = 0; k < folders.size(); ++k) {
            const Seen& s = seen[size_t(k)];
            const QString& folder = folders.at(k);
            if (s.id != platform::FolderId{} && !places[size_t(k)].isMain) {
                const Verdict v = places[size_t(k)].guard->plain(s.id);
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
