#include "run/mirror.h"

#include "core/module1.h"
#include "core/program.h"
#include "editor/folder_scan.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/presence.h"
#include "platform/real_folders.h"
#include "run/own_folders.h"
#include "run/target_folders.h"

#include <QLabel>

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

bool Mirror::protectedPath(const MirrorJob& job, const QString& path) const {
    // The backup folder itself and the job's version folder are never mirrored away, nor the
    // job's own source when it lies inside the backup folder.
    if (platform::withoutTrailingSeparator(path) == platform::withoutTrailingSeparator(job.backupFolder))
        return true;
    const QString backup = platform::withoutTrailingSeparator(job.backupFolder);
    for (const QString& main : job.mainFolders) {
        if (main.trimmed().isEmpty() || !platform::isSameOrBelow(path, main))
            continue;
        // A backup folder kept inside the source holds copies, which are mirrored as usual.
        const bool backupInside =
            platform::isSameOrBelow(backup, main) && backup != platform::withoutTrailingSeparator(main);
        if (!backupInside || !platform::isSameOrBelow(path, backup))
            return true;
    }
    return !job.versionFolder.trimmed().isEmpty() && platform::isSameOrBelow(path, job.versionFolder);
}

bool Mirror::holdsKeptFolder(const MirrorJob& job, const QString& folder) {
    for (const QString& main : job.mainFolders)
        if (!main.trimmed().isEmpty() && platform::isSameOrBelow(main, folder))
            return true;
    return !job.versionFolder.trimmed().isEmpty() && platform::isSameOrBelow(job.versionFolder, folder);
}

bool Mirror::deleteItem(const QString& path, bool folder, bool toTrash) {
    // Only what is known to be gone is skipped; anything else is tried, so a failure is seen.
    if (platform::presenceNoFollow(path) == Presence::Absent)
        return false;
    if (toTrash)
        platform::moveToTrash(path);
    else if (folder)
        platform::removeFolderRecursively(path); // a link is removed as a link
    else
        platform::removeFile(path);
    return true;
}

bool Mirror::holdMainFolder(const MirrorJob& job, const QString& main, const QString& root) {
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
    // A source that emptied at once is far more often a failure than the user's wish.
    bool empty = false;
    try {
        empty = platform::countFiles(main, QStringLiteral("*")) == 0 && platform::listFolders(main).isEmpty();
    } catch (const platform::RunError&) {
        reportHold(QStringLiteral("den inte kunde läsas"), main, root);
        return true;
    }
    if (empty && holdsDeletableFile(job, root)) {
        reportHold(QStringLiteral("den är tom men dess backup innehåller filer"), main, root);
        return true;
    }
    return false;
}

void Mirror::reportHold(const QString& reason, const QString& main, const QString& root) {
    const QString text =
        QStringLiteral("Huvudmappen speglades inte, eftersom ") + reason + QStringLiteral(": ") + main;
    view_.windowLog(QStringLiteral(" FEL! ") + text);
    Module1::logga_meddelande(-1, 0, QStringLiteral("FEL! ") + text, QStringLiteral("Spegling"));
    view_.runLog(QStringLiteral("FEL: ") + text);
    view_.runLog(QStringLiteral("Inget raderades i: ") + platform::withoutTrailingSeparator(root));
    view_.countError();
    fel_i_jobbet = true;
}

bool Mirror::holdsDeletableFile(const MirrorJob& job, const QString& root) const {
    // Walks only as far as the first file; what a pass never touches does not count.
    QStringList folders{platform::withoutTrailingSeparator(root)};
    while (!folders.isEmpty()) {
        const QString folder = folders.takeLast();
        try {
            for (const platform::FileEntry& f : platform::listFiles(folder))
                if (!protectedPath(job, slash(folder) + f.name))
                    return true;
            for (const QString& sub : platform::listFolders(folder)) {
                const QString path = platform::joinPath(folder, sub);
                if (!platform::isLink(path) && !FolderScan::isSystemFolder(path) && !protectedPath(job, path))
                    folders << path;
            }
        } catch (const platform::RunError&) {
            return true; // what cannot be read may hold files
        }
    }
    return false;
}

void Mirror::sync_förbered(const MirrorJob& job, bool mirror, bool simulate, bool toTrash) {
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
    const int n = int(job.mainFolders.size());
    for (int i = 0; i < n; ++i) {
        const QString main = job.mainFolders.at(i);
        view_.setMainFolderCaption(QStringLiteral("Huvudmapp %1 av %2: %3").arg(i + 1).arg(n).arg(main));
        const QString root = targetRoot(job, main);
        if (platform::presence(root) != Presence::Present)
            continue;
        // A link where the main folder's copy should be leads out of the backup: never entered.
        if (!platform::RealFolders(job.backupFolder).isReal(root))
            continue;
        if (holdMainFolder(job, main, root))
            continue;
        labelFolders_ = labelFiles_ = 0;
        view_.setDeletedCounts(0, 0, QString());
        sync(job, root, simulate, toTrash);
    }
    missingFolders_.clear();
    const QString end = simulate ? QStringLiteral(" (%1 filer kan raderas)").arg(raderade_filer_jobb)
                                 : QStringLiteral(" (%1 filer raderades)").arg(raderade_filer_jobb);
    view_.windowLog(QStringLiteral(" Spegling avslutad"));
    log.append(QStringLiteral("Spegling avslutad"));
    view_.appendToWindowLog(end);
    log.appendRaw(end);
}

void Mirror::sync(const MirrorJob& job, const QString& targetRoot, bool simulate, bool toTrash) {
    SystemLog& log = program().systemLog();
    const QString mark = simulate ? QStringLiteral(" (simulerad) ") : QString();
    view_.showPanel(true);
    view_.setStatus(QStringLiteral("Laddar mappar från målet..."));
    view_.setCurrentName(targetRoot);
    view_.yield();
    const QString root = platform::withoutTrailingSeparator(targetRoot);

    QStringList folders;
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

    bool opened = false;
    try {
        platform::listFolders(root);
        opened = true;
    } catch (const platform::RunError&) {
    }
    if (!opened) {
        view_.runLog(QStringLiteral("! Mappen kunde inte speglas: ") + root);
        view_.countError();
        view_.windowLog(QStringLiteral(" FEL! Mappen kunde inte speglas: ") + root);
        log.append(QStringLiteral("FEL! Mappen kunde inte speglas: ") + root);
        log.markError();
        fel_i_jobbet = true;
    } else {
        view_.setWorking(true);
        // Folders reached through a link are never entered: their content lies outside the backup.
        QStringList linkFolders;
        FolderScan::Options o;
        o.cancelled = [this] { return view_.cancelled(); };
        o.found = [&](const QString& path, int) {
            for (const QString& l : linkFolders)
                if (platform::isSameOrBelow(path, l) && path != l)
                    return;
            if (path != root && platform::isLink(path))
                linkFolders << path;
            if (!protectedPath(job, path) || path == root)
                folders << path;
        };
        o.progress = [this](int) { view_.yield(); };
        try {
            FolderScan::run(root, o);
        } catch (const platform::RunError& e) {
            handleError(e);
        }
        view_.setWorking(false);
    }
    if (folders.isEmpty()) {
        view_.showPanel(false);
        return;
    }
    view_.setStatus(QString());
    view_.yield();
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
        const QString folder = folders.at(i);
        currentFolder = folder;
        currentPath.clear();
        view_.setCurrentName(folder);
        try {
            const bool linkFolder = folder != root && platform::isLink(folder);
            const QString source = sourceFolderFor(job, folder);
            Presence there = platform::presence(source);
            // A copy of the backup folder or the version folder is no copy of the source.
            if (there == Presence::Present && folder != root &&
                isRunOwnFolder(source, job.mainFolders, job.backupFolder, job.versionFolder))
                there = Presence::Absent;
            if (there == Presence::Unknown)
                platform::throwError(70);
            if (there == Presence::Present && !linkFolder) {
                view_.setStatus(QStringLiteral("Jämför filer..."));
                const std::vector<platform::FileEntry> files = platform::listFiles(folder);
                const double n = double(files.size());
                for (size_t j = 0; j < files.size(); ++j) {
                    const platform::FileEntry& f = files[j];
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
                    if (sf == Presence::Absent) {
                        const QString target = slash(folder) + f.name;
                        currentPath = target;
                        if (protectedPath(job, target))
                            continue;
                        if (simulate) {
                            leftovers << target;
                        } else {
                            view_.setStatus(QStringLiteral("Raderar fil..."));
                            try {
                                if (!deleteItem(target, false, toTrash))
                                    continue;
                            } catch (const platform::RunError& e) {
                                handleError(e);
                                continue;
                            }
                        }
                        mb_raderat += double(f.size) / 1000.0 / 1000.0;
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
            } else if (there == Presence::Absent && folder != root && !protectedPath(job, folder) &&
                       !holdsKeptFolder(job, folder)) {
                const Presence still = platform::presenceNoFollow(folder);
                if (still == Presence::Present) {
                    long fileCount = 0;
                    double mb = 0;
                    if (!linkFolder) {
                        for (const platform::FileEntry& f : platform::listFiles(folder)) {
                            ++fileCount;
                            mb += double(f.size) / 1000.0 / 1000.0;
                        }
                    }
                    bool done = true;
                    if (simulate) {
                        leftovers << slash(folder);
                    } else {
                        view_.setStatus(QStringLiteral("Raderar mapp..."));
                        try {
                            done = deleteItem(folder, true, toTrash);
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
                        ++labelFolders_;
                        ++raderade_mappar;
                        view_.setDeletedCounts(labelFolders_, labelFiles_, mark);
                        view_.runLog(QStringLiteral("- Raderad mapp för spegling: ") + mark + folder);
                    }
                }
            }
            view_.setWorking(false);
            folders.removeAt(i);
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
