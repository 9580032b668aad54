#include "run/mirror.h"

#include "core/copy_times.h"
#include "core/module1.h"
#include "core/program.h"
#include "editor/folder_scan.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/presence.h"
#include "platform/vb.h"
#include "run/own_folders.h"
#include "run/target_folders.h"

#include <QLabel>
#include <algorithm>
#include <optional>

using platform::Presence;

namespace {
QString slash(const QString& p) {
    return platform::withTrailingSeparator(p);
}
} // namespace

bool isRunOwnFolder(const QString& folder, const QStringList& mainFolders, const QString& backupFolder,
                    const QString& versionFolder) {
    // Known by identity, and what the run's count already found of the folder is not looked up again.
    return RunOwnFolders::of(mainFolders, backupFolder, versionFolder).contains(folder);
}

bool sourceFolderPresent(const QString& folder) {
    return platform::folderExists(folder) && platform::volumePresentAt(folder);
}

bool sourceFolderPresent(const QString& folder, const platform::OpenedFolder& opened) {
    return opened.exists() && platform::volumePresentAt(folder);
}

bool nearlyEmptyFolder(const QString& folder) {
    if (!platform::listFolders(folder).isEmpty())
        return false;
    const QStringList files = platform::listFileNames(folder);
    return files.isEmpty() || (files.size() == 1 && files.first().startsWith(QLatin1Char('.')));
}

QStringList mountRootsToRemember(const MirrorJob& job, const Mirror& mirror) {
    QStringList out;
    std::optional<QSet<QString>> listed; // made only where a disk lies inside a main folder
    for (const QString& main : job.mainFolders) {
        if (!main.startsWith(QLatin1Char('/')))
            continue;
        const QString at = platform::withoutTrailingSeparator(main);
        const QString resolved = platform::withoutTrailingSeparator(platform::resolvedPath(at));
        for (const QString& mount : platform::mountRootsAtOrBelow(resolved)) {
            const QString folder = at + mount.mid(resolved.size());
            if (!listed)
                listed.emplace(job.folders.begin(), job.folders.end());
            if ((folder == at || listed->contains(folder)) && !out.contains(folder))
                out << folder;
        }
    }
    // One not mounted now is remembered while its disk is missing, until a mirror finds nothing in
    // its backup to keep.
    for (const QString& root : job.mountRoots)
        if (!out.contains(root) && !mirror.releasedMountRoots.contains(root) && !platform::isMountRoot(root))
            out << root;
    return out;
}

void Mirror::resetRun() {
    raderade_mappar = raderade_mappfiler = raderade_enstaka_filer = 0;
    mb_raderat = 0;
    ej_speglat_jobb = false;
    raderade_filer_jobb = 0;
    fel_i_jobbet = false;
    leftovers.clear();
    missingFolders_.clear();
}

QString Mirror::targetRoot(const MirrorJob& job, const QString& mainFolder) {
    return targetFolderFor(mainFolder, job.backupFolder, job.pathType == QLatin1String("1"), mainFolder,
                           job.createMainFolder == QLatin1String("JA"));
}

QString Mirror::sourceFolderFor(const MirrorJob& job, const QString& targetFolder) {
    const QString t = slash(targetFolder);
    const QString b = slash(job.backupFolder);
    QString r = t.startsWith(b) ? t.mid(b.size()) : QString();
    if (job.pathType == QLatin1String("1")) {
        const QString m = job.mainFolders.value(0);
        if (job.createMainFolder == QLatin1String("JA") && !r.isEmpty()) {
            // Drop the main folder's own name that the copy put on top.
            const QString top = platform::lastPiece(platform::withoutTrailingSeparator(m));
            r = r.mid(top.size());
            while (r.startsWith('/'))
                r.remove(0, 1);
        }
        return slash(platform::joinPath(m, r));
    }
    return platform::sourceFromRelativeTarget(job.backupFolder, targetFolder);
}

namespace {

using platform::OwnTree;
using Step = platform::OwnTree::Step;
using Kind = platform::OwnTree::Entry::Kind;

// What a pass compares by name and deletes as a file: files and links (a link is removed as the
// link, whatever it leads to or whether it leads anywhere; one to a folder goes as a folder does).
bool fileLike(const OwnTree::Entry& e) {
    return !e.refused && (e.kind == Kind::File || e.kind == Kind::Link);
}

} // namespace

bool Mirror::keptFolder(const platform::FolderId& id) const {
    return std::find(keptIds_.begin(), keptIds_.end(), id) != keptIds_.end();
}

bool Mirror::toTrash(const OwnTree& tree, const QString& path) {
    // Only what lies whole on the backup folder's own mount goes: a drive or bind mount inside it
    // would go along with it.
    switch (tree.checkWhole(path, [this](const QString& mount) { nameOtherMount(mount); })) {
    case Step::Ok:
        // A link goes as a link, whether it leads anywhere or not: the trash takes no link to nothing.
        if (platform::fileInfo(platform::withoutTrailingSeparator(path)).isLink)
            platform::removeFile(platform::withoutTrailingSeparator(path));
        else
            platform::moveToTrash(path);
        return true;
    case Step::Failed:
        platform::throwErrno(EIO);
    default:
        return false;
    }
}

bool Mirror::holdMainFolder(const OwnTree& tree, const QString& main, const QString& root) {
    // A main folder on a disk that is not there is reported by the copy pass, as the disk.
    if (!platform::volumePresent(main))
        return true;
    const Presence source = platform::presence(main);
    if (source == Presence::Absent) {
        view_.windowLog(QStringLiteral(" FEL: Mappen finns inte på den här datorn och kan inte speglas (") +
                        main + QStringLiteral(")"));
        Module1::logga_meddelande(
            -1, 0, QStringLiteral("FEL! Mappen finns inte på den här datorn och kan inte speglas. ") + main,
            QStringLiteral("Spegling"));
        return true;
    }
    // A source that cannot be read is not a source that is gone.
    if (source == Presence::Unknown) {
        reportHold(QStringLiteral("den inte kunde läsas"), main, root);
        return true;
    }
    // A folder the copy pass cannot find makes everything below the main folder uncertain.
    for (const QString& missing : std::as_const(missingFolders_)) {
        if (platform::isSameOrBelow(missing, main)) {
            reportHold(QStringLiteral("mappar i den saknas"), main, root);
            return true;
        }
    }
    // A source that emptied at once is far more often a failure than the user's wish; a stray
    // hidden file on a bare mount point does not make it less so.
    bool empty = false;
    try {
        empty = nearlyEmptyFolder(main);
    } catch (const platform::RunError&) {
        reportHold(QStringLiteral("den inte kunde läsas"), main, root);
        return true;
    }
    if (empty && holdsDeletableFile(tree, root)) {
        reportHold(QStringLiteral("den är tom men dess backup innehåller filer"), main, root);
        return true;
    }
    return false;
}

void Mirror::reportHold(const QString& reason, const QString& main, const QString& root) {
    reportError(QStringLiteral("Huvudmappen speglades inte, eftersom ") + reason + QStringLiteral(": ") +
                main);
    view_.runLog(QStringLiteral("Inget raderades i: ") + platform::withoutTrailingSeparator(root));
}

void Mirror::reportError(const QString& text) {
    view_.windowLog(QStringLiteral(" FEL! ") + text);
    Module1::logga_meddelande(-1, 0, QStringLiteral("FEL! ") + text, QStringLiteral("Spegling"));
    view_.runLog(QStringLiteral("FEL: ") + text);
    view_.countError();
    fel_i_jobbet = true;
}

void Mirror::nameOtherMount(const QString& path) {
    const QString text = platform::otherMountText(path);
    if (namedMounts.contains(text))
        return;
    namedMounts.insert(text);
    reportError(text);
}

bool Mirror::holdsDeletableFile(const OwnTree& tree, const QString& root) const {
    // Walks only as far as the first file; what a pass never touches does not count.
    QStringList folders{platform::withoutTrailingSeparator(root)};
    while (!folders.isEmpty()) {
        OwnTree::Folder folder;
        const Step step = tree.open(folders.takeLast(), folder);
        if (step == Step::Failed)
            return true; // what cannot be read may hold files
        if (step != Step::Ok || keptFolder(folder.id()))
            continue;
        try {
            const std::vector<OwnTree::Entry> entries = tree.entries(folder);
            for (const OwnTree::Entry& e : entries)
                if (fileLike(e))
                    return true;
            for (const OwnTree::Entry& e : entries) {
                const QString path = folder.path() + QLatin1Char('/') + e.name;
                if (e.kind == Kind::Folder && !e.refused &&
                    !(FolderScan::isSystemFolderName(e.name) && FolderScan::isSystemFolder(path)))
                    folders << path;
            }
        } catch (const platform::RunError&) {
            return true;
        }
    }
    return false;
}

bool Mirror::holdsJobCopy(const OwnTree& tree, const MirrorJob& job, const QString& root) const {
    QStringList folders{platform::withoutTrailingSeparator(root)};
    while (!folders.isEmpty()) {
        const QString path = folders.takeFirst();
        const QString source = sourceFolderFor(job, path);
        if (!platform::folderExists(source))
            continue; // nothing below it can be a copy
        OwnTree::Folder folder;
        const Step step = tree.open(path, folder);
        if (step == Step::Failed)
            return true; // what cannot be read is not known to be another's
        if (step != Step::Ok || keptFolder(folder.id()))
            continue;
        try {
            const std::vector<OwnTree::Entry> entries = tree.entries(folder);
            for (const OwnTree::Entry& e : entries) {
                if (e.refused || e.kind != Kind::File)
                    continue;
                // By name only: a copy the source has changed since is the job's all the same.
                if (platform::fileInfo(slash(source) + e.name).isFile)
                    return true;
            }
            for (const OwnTree::Entry& e : entries)
                if (e.kind == Kind::Folder && !e.refused)
                    folders << path + QLatin1Char('/') + e.name;
        } catch (const platform::RunError&) {
            return true;
        }
    }
    return false;
}

bool Mirror::holdUnmountedRoots(const OwnTree& tree, const MirrorJob& job, const QString& main,
                                const QString& root) {
    for (const QString& folder : job.mountRoots) {
        if (!platform::isSameOrBelow(folder, main) || platform::isMountRoot(folder))
            continue;
        const QString target = platform::withoutTrailingSeparator(
            targetFolderFor(folder, job.backupFolder, job.pathType == QLatin1String("1"), main,
                            job.createMainFolder == QLatin1String("JA")));
        OwnTree::Folder kept;
        if (tree.open(target, kept) != Step::Ok)
            continue;
        if (!holdsDeletableFile(tree, target)) {
            releasedMountRoots << folder;
            continue;
        }
        reportError(QStringLiteral("Mappen saknas eller är inte ansluten (den var en egen enhet vid jobbets "
                                   "förra körning) och speglades inte: ") +
                    folder);
        view_.runLog(QStringLiteral("Inget raderades i: ") + target);
        if (target == platform::withoutTrailingSeparator(root))
            return true;
        keptIds_.push_back(kept.id());
    }
    return false;
}

std::vector<Mirror::Scanned> Mirror::scan(const OwnTree& tree, OwnTree::Folder root, QStringList& kept) {
    std::vector<Scanned> out;
    auto subfolders = [&](const OwnTree::Folder& f) {
        std::vector<OwnTree::Entry> subs = tree.entries(f);
        // Folders, and links that lead to folders (listed as the folders they stand for).
        auto notFolder = [&](const OwnTree::Entry& e) {
            return e.refused ||
                   (e.kind != Kind::Folder && !(e.kind == Kind::Link && tree.leadsToFolder(f, e.raw)));
        };
        subs.erase(std::remove_if(subs.begin(), subs.end(), notFolder), subs.end());
        OwnTree::sortByName(subs);
        return subs;
    };
    // Depth first, each folder before the folders inside it; one handle is open per level.
    struct Level {
        OwnTree::Folder folder;
        int index = 0;
        std::vector<OwnTree::Entry> subs;
        size_t next = 0;
    };
    std::vector<Level> levels;
    {
        Level first;
        first.subs = subfolders(root); // throws: the root cannot be read
        out.push_back({root.path(), {}, -1, false, false});
        first.folder = std::move(root);
        levels.push_back(std::move(first));
    }
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next >= level.subs.size()) {
            levels.pop_back();
            continue;
        }
        const OwnTree::Entry& e = level.subs[level.next++];
        const QString path = level.folder.path() + QLatin1Char('/') + e.name;
        if (FolderScan::isSystemFolderName(e.name) && FolderScan::isSystemFolder(path))
            continue;
        view_.yield();
        if (e.kind == Kind::Link) {
            // Listed as the folder it stands for, never entered: what it leads to is not the backup's.
            out.push_back({path, e.raw, level.index, false, true});
            continue;
        }
        OwnTree::Folder child;
        const Step step = tree.openIn(level.folder, e.raw, path, child);
        if (step == Step::OtherMount) {
            nameOtherMount(path);
            continue;
        }
        if (step != Step::Ok && step != Step::Failed)
            continue; // gone, or no folder of the backup's any more
        if (step == Step::Ok && keptFolder(child.id())) {
            kept << path;
            continue;
        }
        const int index = int(out.size());
        out.push_back({path, e.raw, level.index, false, false});
        // What a folder that cannot be read holds is unknown, not gone: it and the folders it lies
        // in are kept, and it fails at its turn.
        auto unread = [&] {
            out.back().unread = true;
            kept << path;
        };
        if (step == Step::Failed) {
            unread();
            continue;
        }
        if (view_.cancelled())
            continue;
        Level next;
        try {
            next.subs = subfolders(child);
        } catch (const platform::RunError&) {
            unread();
            continue;
        }
        next.folder = std::move(child);
        next.index = index;
        levels.push_back(std::move(next)); // `level` and `e` are not used after this
    }
    return out;
}

void Mirror::sync_förbered(const MirrorJob& job, bool mirror, bool simulate, bool toTrash) {
    releasedMountRoots.clear();
    notTheJobs.clear();
    if (job.preventMirror == QLatin1String("JA")) {
        ej_speglat_jobb = true;
        return;
    }
    if (!mirror)
        return;
    SystemLog& log = program().systemLog();
    view_.windowLog(QStringLiteral(" Startar spegling"));
    log.append(QStringLiteral("Startar spegling"));
    view_.setSchedulerStatus(QStringLiteral("Startar spegling"));
    if (simulate) {
        view_.appendToWindowLog(QStringLiteral(" (simulerad)"));
        log.appendRaw(QStringLiteral(" (simulerad)"));
    }
    raderade_filer_jobb = 0;
    // The backup folder is opened once, and must still be the folder the check approved when the
    // run started: one replaced meanwhile (by a link to the home folder) is not touched.
    const OwnTree tree(job.backupFolder, job.approved);
    if (!tree.isOpen() && tree.openError() == ESTALE) {
        reportError(QStringLiteral("Backupmappen är inte längre samma mapp som när körningen startade och "
                                   "speglades inte: ") +
                    platform::withoutTrailingSeparator(job.backupFolder));
    } else {
        // The job's own folders are known by what they are, however their text is written.
        keptIds_.clear();
        const QString version = job.versionFolder.trimmed();
        std::optional<platform::PlacedFolder> versionPlaced;
        if (version.startsWith('/')) {
            keptIds_.push_back(platform::folderId(version));
            versionPlaced = platform::placeFolder(version);
        }
        for (const QString& main : job.mainFolders)
            if (main.trimmed().startsWith('/'))
                keptIds_.push_back(platform::folderId(main.trimmed()));
        keptIds_.erase(std::remove(keptIds_.begin(), keptIds_.end(), platform::FolderId{}), keptIds_.end());

        const int n = int(job.mainFolders.size());
        for (int i = 0; i < n; ++i) {
            const QString main = job.mainFolders.at(i);
            view_.setMainFolderCaption(QStringLiteral("Huvudmapp %1 av %2: %3").arg(i + 1).arg(n).arg(main));
            const QString root = targetRoot(job, main);
            OwnTree::Folder rootFolder;
            QString stoppedAt;
            Step step = Step::Missing;
            if (tree.isOpen())
                step = tree.open(root, rootFolder, nullptr, &stoppedAt);
            else if (tree.openError() != ENOENT)
                step = Step::Failed;
            if (step == Step::OtherMount)
                nameOtherMount(stoppedAt);
            // No copy, or a link where the copy should be (it leads out of the backup): not entered.
            if (step != Step::Ok && step != Step::Failed)
                continue;
            // A copy inside the version folder holds versions, which mirroring never touches.
            if (versionPlaced && platform::isSameOrInside(platform::placeFolder(root), *versionPlaced))
                continue;
            if (holdMainFolder(tree, main, root))
                continue;
            // Another disk mounted at the backup folder, or another job's backup there: none of its
            // files is a copy of this job's, and it is neither mirrored nor copied into. Only the
            // absolute path type mirrors the backup folder's own top; the relative one, a folder
            // named as the whole source path.
            if (job.pathType == QLatin1String("1") && holdsDeletableFile(tree, root) &&
                !holdsJobCopy(tree, job, root)) {
                reportHold(
                    QStringLiteral("dess backup inte innehåller någon av jobbets kopior (en annan disk "
                                   "eller ett annat jobbs backup), och den kopierades inte dit"),
                    main, root);
                notTheJobs << main;
                continue;
            }
            if (holdUnmountedRoots(tree, job, main, root))
                continue;
            labelFolders_ = labelFiles_ = 0;
            view_.setDeletedCounts(0, 0, QString());
            sync(job, tree, root, simulate, toTrash);
        }
    }
    missingFolders_.clear();
    const QString end = QStringLiteral(" (") + platform::fileCount(raderade_filer_jobb) +
                        (simulate ? QStringLiteral(" kan raderas)") : QStringLiteral(" raderades)"));
    view_.windowLog(QStringLiteral(" Spegling avslutad"));
    log.append(QStringLiteral("Spegling avslutad"));
    view_.appendToWindowLog(end);
    log.appendRaw(end);
}

void Mirror::sync(const MirrorJob& job, const OwnTree& tree, const QString& targetRoot, bool simulate,
                  bool toTrash) {
    SystemLog& log = program().systemLog();
    const QString mark = simulate ? QStringLiteral(" (simulerad) ") : QString();
    view_.showPanel(true);
    view_.setStatus(QStringLiteral("Laddar mappar från målet..."));
    view_.setCurrentName(targetRoot);
    view_.yield();
    const QString root = platform::withoutTrailingSeparator(targetRoot);

    QString currentFolder, currentPath;
    auto handleError = [&](const platform::RunError& e) {
        Q_UNUSED(e);
        view_.countError();
        fel_i_jobbet = true;
        const QString text = QStringLiteral("Fel under spegling, i mapp ") + currentFolder +
                             QStringLiteral("  (") + currentPath + ')';
        view_.windowLog(' ' + text);
        log.append(QStringLiteral("FEL! ") + text);
        log.markError();
        view_.errorLog({QString(), text});
    };

    // The target folders, walked through the backup folder's own handles: a link is never
    // followed, a folder of another mount never entered, the job's own folders never listed.
    std::vector<Scanned> folders;
    QStringList kept;
    bool folds = false; // the backup disk ignores letter case
    {
        OwnTree::Folder start;
        QString stoppedAt;
        const Step step = tree.open(root, start, nullptr, &stoppedAt);
        bool opened = false;
        if (step == Step::Ok) {
            view_.setWorking(true);
            try {
                folds = tree.foldsCase(start);
                folders = scan(tree, std::move(start), kept);
                opened = true;
            } catch (const platform::RunError&) {
            }
            view_.setWorking(false);
        } else if (step == Step::OtherMount) {
            nameOtherMount(stoppedAt);
            opened = true;
        } else if (step != Step::Failed) {
            opened = true; // gone, or a link now: nothing of the backup's to mirror
        }
        if (!opened) {
            view_.runLog(QStringLiteral("! Mappen kunde inte speglas: ") + root);
            view_.countError();
            view_.windowLog(QStringLiteral(" FEL! Mappen kunde inte speglas: ") + root);
            log.append(QStringLiteral("FEL! Mappen kunde inte speglas: ") + root);
            log.markError();
            fel_i_jobbet = true;
        }
    }
    if (folders.empty()) {
        view_.showPanel(false);
        return;
    }
    auto holdsKept = [&](const QString& folder) {
        return std::any_of(kept.begin(), kept.end(),
                           [&](const QString& k) { return platform::isSameOrBelow(k, folder); });
    };
    view_.setStatus(QString());
    view_.yield();
    // The folders from the root down to the one handled, open. Each folder is handled before the
    // folder it lies in, so each is opened once.
    std::vector<std::pair<int, OwnTree::Folder>> open;
    auto openFolder = [&](int i, QString& stoppedAt, int& error) {
        std::vector<int> chain; // i and the folders it lies in, up to the root
        for (int j = i; j >= 0; j = folders[size_t(j)].parent)
            chain.push_back(j);
        while (!open.empty() && std::find(chain.begin(), chain.end(), open.back().first) == chain.end())
            open.pop_back();
        for (size_t k = open.size(); k < chain.size(); ++k) {
            const int j = chain[chain.size() - 1 - k];
            const Scanned& s = folders[size_t(j)];
            OwnTree::Folder f;
            stoppedAt = s.path;
            const Step step = open.empty() ? tree.open(s.path, f, &error, &stoppedAt)
                                           : tree.openIn(open.back().second, s.raw, s.path, f, &error);
            if (step != Step::Ok)
                return step;
            open.emplace_back(j, std::move(f));
        }
        return Step::Ok;
    };
    auto removal = [&] {
        OwnTree::Removal r;
        r.removed = [&](const QString& path, qint64 bytes) {
            view_.runLog(QStringLiteral("- Raderad fil för spegling: ") + path);
            currentPath = path;
            ++raderade_mappfiler;
            ++raderade_filer_jobb;
            ++labelFiles_;
            mb_raderat += double(bytes) / 1000.0 / 1000.0;
        };
        r.otherMount = [this](const QString& path) { nameOtherMount(path); };
        return r;
    };

    // On a disk that ignores letter case, a backup entry whose name equals a source entry's but for
    // letter case is that entry's copy (a folder renamed from Bilder to bilder), never a leftover.
    const QString top = sourceFolderFor(job, root);
    auto sameButForCase = [&](const QString& source) {
        QString at = platform::withoutTrailingSeparator(top);
        for (const QString& piece : source.mid(top.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            QString next = platform::joinPath(at, piece);
            if (platform::presenceNoFollow(next) != Presence::Present) {
                const QString other = platform::FolderLookup(at).otherSpelling(piece);
                if (other.isEmpty())
                    return QString();
                next = platform::joinPath(at, other);
            }
            at = next;
        }
        return at;
    };
    // The source folder a target folder mirrors, and whether it is there.
    auto sourceOf = [&](const QString& targetFolder, Presence& there) {
        const QString source = sourceFolderFor(job, targetFolder);
        there = platform::presence(source);
        if (there == Presence::Absent && folds) {
            const QString same = sameButForCase(source);
            if (!same.isEmpty()) {
                there = Presence::Present;
                return slash(same);
            }
        }
        return source;
    };
    // A source folder that is there but nearly empty while its backup holds what it would lose is
    // taken for a disk not mounted at it: nothing below its copy is deleted. Asked only where
    // something would be deleted, once per folder.
    std::vector<signed char> emptied(folders.size(), -1); // -1 not asked yet, 0 no, 1 held
    auto heldAt = [&](int j, const QString& source) {
        if (emptied[size_t(j)] < 0) {
            emptied[size_t(j)] = nearlyEmptyFolder(source) ? 1 : 0;
            if (emptied[size_t(j)]) {
                reportError(QStringLiteral("Mappen saknas eller är inte ansluten (den är tom men dess backup "
                                           "innehåller filer) och speglades inte: ") +
                            platform::withoutTrailingSeparator(source));
                view_.runLog(QStringLiteral("Inget raderades i: ") + folders[size_t(j)].path);
            }
        }
        return emptied[size_t(j)] == 1;
    };
    // For an entry whose source is gone: the nearest folder above it whose source is there decides.
    auto heldAbove = [&](int i) {
        std::vector<int> gone; // folders above whose source is gone too: they share the answer
        auto answer = [&](bool held) {
            for (int g : gone)
                emptied[size_t(g)] = held ? 1 : 0;
            return held;
        };
        for (int j = folders[size_t(i)].parent; j >= 0; j = folders[size_t(j)].parent) {
            if (emptied[size_t(j)] >= 0)
                return answer(emptied[size_t(j)] == 1);
            Presence p = Presence::Unknown;
            const QString source = sourceOf(folders[size_t(j)].path, p);
            if (p == Presence::Unknown)
                platform::throwError(70);
            if (p == Presence::Present)
                return answer(heldAt(j, source));
            gone.push_back(j);
        }
        return answer(false);
    };

    const int total = int(folders.size());
    bool cancelledNow = false;
    for (int i = total - 1; i >= 0; --i) {
        view_.setWorking(true);
        view_.setFoldersLeft(i);
        view_.setStatus(QStringLiteral("Jämför mappar..."));
        view_.yield();
        if (view_.cancelled()) {
            cancelledNow = true;
            break;
        }
        const Scanned& scanned = folders[size_t(i)];
        const QString& folder = scanned.path;
        currentFolder = folder;
        currentPath.clear();
        view_.setCurrentName(folder);
        try {
            if (scanned.unread)
                platform::throwErrno(EIO);
            QString stoppedAt;
            int error = 0;
            const Step step = openFolder(scanned.link ? scanned.parent : i, stoppedAt, error);
            if (step == Step::Failed)
                platform::throwErrno(error ? error : EIO);
            if (step == Step::OtherMount)
                nameOtherMount(stoppedAt);
            if (step != Step::Ok) {
                // Gone, or no folder of the backup's any more: neither counted nor logged.
                view_.setWorking(false);
                view_.setProgress(double(total - i) / total, 0);
                continue;
            }
            // The folder itself, or for a link the folder it stands in.
            const OwnTree::Folder& here = open.back().second;
            Presence there = Presence::Unknown;
            const QString source = sourceOf(folder, there);
            // A copy of the backup folder or the version folder is no copy of the source.
            if (there == Presence::Present && i != 0 &&
                isRunOwnFolder(source, job.mainFolders, job.backupFolder, job.versionFolder))
                there = Presence::Absent;
            if (there == Presence::Unknown)
                platform::throwError(70);
            if (scanned.link) {
                if (there == Presence::Absent && !holdsKept(folder) && !heldAbove(i)) {
                    bool done = false;
                    if (simulate) {
                        leftovers << slash(folder);
                        done = true;
                    } else {
                        view_.setStatus(QStringLiteral("Raderar mapp..."));
                        try {
                            if (toTrash) {
                                done = this->toTrash(tree, folder);
                            } else {
                                OwnTree::Removal r;
                                r.removed = [&](const QString&, qint64) { done = true; };
                                tree.removeIn(here, scanned.raw, folder, r);
                            }
                        } catch (const platform::RunError& e) {
                            handleError(e);
                        }
                    }
                    if (done) {
                        ++labelFolders_;
                        ++raderade_mappar;
                        view_.setDeletedCounts(labelFolders_, labelFiles_, mark);
                        view_.runLog(QStringLiteral("- Raderad mapp för spegling: ") + mark + folder);
                    }
                }
            } else if (there == Presence::Present) {
                view_.setStatus(QStringLiteral("Jämför filer..."));
                std::vector<OwnTree::Entry> files = tree.entries(here);
                // The record of the copies' times is the program's own, not a copy of a source.
                files.erase(std::remove_if(files.begin(), files.end(),
                                           [&](const OwnTree::Entry& e) {
                                               return !fileLike(e) ||
                                                      (e.kind == Kind::Link &&
                                                       tree.leadsToFolder(here, e.raw)) ||
                                                      CopyTimes::isRecord(folder, e.name, job.backupFolder);
                                           }),
                            files.end());
                OwnTree::sortByName(files);
                std::optional<platform::FolderLookup> sourceNames; // read at the first file gone
                bool sourceHolds = false;
                const double n = double(files.size());
                for (size_t j = 0; j < files.size(); ++j) {
                    const OwnTree::Entry& f = files[j];
                    view_.setCurrentName(f.name);
                    view_.yield();
                    if (view_.cancelled()) {
                        cancelledNow = true;
                        break;
                    }
                    currentPath = slash(source) + f.name;
                    Presence sf = platform::presenceNoFollow(currentPath);
                    if (sf == Presence::Unknown)
                        platform::throwError(70);
                    // A file whose source became a folder is a leftover like a file that is gone.
                    if (sf == Presence::Present && platform::folderExists(currentPath))
                        sf = Presence::Absent;
                    if (sf == Presence::Absent && folds) {
                        if (!sourceNames)
                            sourceNames.emplace(source);
                        const QString other = sourceNames->otherSpelling(f.name);
                        if (!other.isEmpty() && !platform::folderExists(slash(source) + other))
                            sf = Presence::Present;
                    }
                    // A file of the source seen here already tells it is not a bare mount point.
                    if (sf == Presence::Present && !f.name.startsWith(QLatin1Char('.')))
                        sourceHolds = true;
                    if (sf == Presence::Absent && !sourceHolds && heldAt(i, source))
                        sf = Presence::Present;
                    if (sf == Presence::Absent) {
                        const QString target = slash(folder) + f.name;
                        currentPath = target;
                        qint64 bytes = 0;
                        if (simulate) {
                            leftovers << target;
                            bytes = tree.sizeIn(here, f.raw);
                        } else {
                            view_.setStatus(QStringLiteral("Raderar fil..."));
                            bool gone = false;
                            try {
                                if (toTrash) {
                                    bytes = tree.sizeIn(here, f.raw);
                                    gone = bytes >= 0 && this->toTrash(tree, target);
                                } else {
                                    OwnTree::Removal r;
                                    r.removed = [&](const QString&, qint64 b) {
                                        gone = true;
                                        bytes = b;
                                    };
                                    r.otherMount = [this](const QString& path) { nameOtherMount(path); };
                                    tree.removeIn(here, f.raw, target, r);
                                }
                            } catch (const platform::RunError& e) {
                                handleError(e);
                                continue;
                            }
                            if (!gone)
                                continue;
                        }
                        mb_raderat += double(std::max<qint64>(bytes, 0)) / 1000.0 / 1000.0;
                        ++raderade_enstaka_filer;
                        ++raderade_filer_jobb;
                        ++labelFiles_;
                        view_.setDeletedCounts(labelFolders_, labelFiles_, mark);
                        view_.runLog(QStringLiteral("- Raderad fil för spegling: ") + mark + target);
                    }
                    view_.setProgress(double(total - i) / total, (j + 1) / n);
                }
                if (cancelledNow)
                    break;
            } else if (there == Presence::Absent && i != 0 && !holdsKept(folder) && !heldAbove(i)) {
                bool done = true;
                if (simulate || toTrash) {
                    long fileCount = 0;
                    double mb = 0;
                    for (const OwnTree::Entry& e : tree.entries(here)) {
                        if (!fileLike(e) || (e.kind == Kind::Link && tree.leadsToFolder(here, e.raw)))
                            continue;
                        ++fileCount;
                        mb += double(std::max<qint64>(tree.sizeIn(here, e.raw), 0)) / 1000.0 / 1000.0;
                    }
                    if (simulate) {
                        leftovers << slash(folder);
                    } else {
                        view_.setStatus(QStringLiteral("Raderar mapp..."));
                        try {
                            done = this->toTrash(tree, folder);
                        } catch (const platform::RunError& e) {
                            handleError(e);
                            done = false;
                        }
                    }
                    if (done) {
                        raderade_mappfiler += fileCount;
                        raderade_filer_jobb += fileCount;
                        mb_raderat += mb;
                        labelFiles_ += fileCount;
                    }
                } else {
                    // Deleted through the handle of the folder it lies in; each file it held is
                    // named as it goes, and a mount inside keeps it (and is named).
                    view_.setStatus(QStringLiteral("Raderar mapp..."));
                    open.pop_back();
                    try {
                        done = tree.removeIn(open.back().second, scanned.raw, folder, removal());
                    } catch (const platform::RunError& e) {
                        handleError(e);
                        done = false;
                    }
                }
                if (done) {
                    ++labelFolders_;
                    ++raderade_mappar;
                    view_.runLog(QStringLiteral("- Raderad mapp för spegling: ") + mark + folder);
                }
                view_.setDeletedCounts(labelFolders_, labelFiles_, mark);
            }
            view_.setWorking(false);
            view_.setProgress(double(total - i) / total, 0);
        } catch (const platform::RunError& e) {
            handleError(e);
        }
    }
    if (!cancelledNow) {
        view_.setStatus(QStringLiteral("Klar"));
        view_.yield();
    }
    view_.setWorking(false);
    view_.showPanel(false);
    view_.yield();
}
