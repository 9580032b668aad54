#include "run/target_folders.h"

#include "core/program.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/vb.h"
#include "run/copy_engine.h"

#include <QCheckBox>
#include <algorithm>

using platform::RunError;

QStringList folderFilterPieces(const QString& filterText) {
    return platform::Split(filterText, QStringLiteral(" * "));
}

int matchingFolderFilter(const QString& path, const QStringList& pieces) {
    const QString lower = path.toLower();
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString p = pieces[i].toLower();
        if (!p.isEmpty() && lower.contains(p))
            return int(i);
    }
    return -1;
}

QString targetFolderFor(const QString& source, const QString& backupFolder, bool absolute,
                        const QString& mainFolder, bool withMainFolderName) {
    const QString b = platform::withTrailingSeparator(backupFolder);
    const QString main = platform::withoutTrailingSeparator(mainFolder);
    // A folder outside the main folder cannot be placed below it: it keeps its whole path.
    if (!absolute || main.isEmpty() || !platform::isSameOrBelow(source, main))
        return platform::relativeTarget(b, source);
    QString rest = source.mid(main == QLatin1String("/") ? 0 : main.size());
    while (rest.startsWith('/'))
        rest.remove(0, 1);
    QString t = b;
    const QString name = platform::lastPiece(main);
    if (withMainFolderName && !name.isEmpty())
        t += name + '/';
    t += rest;
    return platform::withTrailingSeparator(t);
}

int MissingFolderList::add(const QString& folder) {
    const QString f = platform::withoutTrailingSeparator(folder);
    int replaced = 0;
    auto drop = [&](std::map<QString, quint64>::iterator it) {
        byOrder_.erase(it->second);
        ++replaced;
        return byPath_.erase(it);
    };
    if (auto it = byPath_.find(f); it != byPath_.end())
        drop(it);
    // The folders below f sort together right after f + "/".
    const QString below = platform::withTrailingSeparator(f);
    for (auto it = byPath_.lower_bound(below); it != byPath_.end() && it->first.startsWith(below);)
        it = drop(it);
    byPath_.emplace(f, next_);
    byOrder_.emplace(next_, folder);
    ++next_;
    return replaced;
}

QStringList MissingFolderList::entries() const {
    QStringList out;
    out.reserve(qsizetype(byOrder_.size()));
    for (const auto& [order, folder] : byOrder_)
        out << folder;
    return out;
}

void MissingFolderList::clear() {
    byPath_.clear();
    byOrder_.clear();
    next_ = 0;
}

bool BackupEngine::putAsideFileInTheWay(const QString& target, const QString& backupFolder,
                                        const QString& source) {
    // Upwards from the target, which could not be made, to the first thing there.
    const QString root = platform::withoutTrailingSeparator(backupFolder);
    QString blocker;
    QString sourceOfBlocker = platform::withoutTrailingSeparator(source);
    for (QString p = platform::withoutTrailingSeparator(target); p.size() > root.size() && p.startsWith(root);
         p = platform::parentPath(p), sourceOfBlocker = platform::parentPath(sourceOfBlocker)) {
        const platform::FileInfo fi = platform::fileInfo(p);
        if (fi.isDir)
            return true;
        if (fi.exists || fi.isLink) {
            blocker = p;
            break;
        }
    }
    if (blocker.isEmpty())
        return true;
    // Put aside as a replaced file is: a version first, then the trash or gone.
    const platform::FileInfo fi = platform::fileInfo(blocker);
    if (fi.isFile && !fi.isLink && !keepVersion(blocker, platform::parentPath(sourceOfBlocker)))
        return false;
    try {
        if (program().settings().chkpapperskorg_ersatta)
            platform::moveToTrash(blocker);
        else
            platform::removeFile(blocker);
        return true;
    } catch (const RunError& e) {
        ++misslyckade_totalt;
        countError();
        const QString text = QStringLiteral("Felkod ") + QString::number(e.number) + ' ' +
                             (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description);
        logLine(QStringLiteral("log_err.txt"), QString());
        logLine(QStringLiteral("log_err.txt"),
                QStringLiteral("FEL: en fil med samma namn som mappen kunde inte flyttas undan. ") + text +
                    QStringLiteral(" (Jobb: ") + progress_.jobName() + ')');
        logLine(QStringLiteral("log_err.txt"),
                QStringLiteral("Från: ") + platform::withTrailingSeparator(source));
        logLine(QStringLiteral("log_err.txt"), QStringLiteral("Till: ") + blocker);
        progress_.windowLog(
            QStringLiteral(" FEL: en fil med samma namn som mappen kunde inte flyttas undan: ") + blocker);
        systemLog(QStringLiteral("FEL! En fil med samma namn som mappen kunde inte flyttas undan: ") +
                      blocker,
                  true);
        return false;
    }
}

void BackupEngine::skapamappar() {
    const CurrentJobRecord& m = program().job();
    const ProgramSettings& s = program().settings();
    const bool absolute = m.txtsökvägtyp == QLatin1String("1");
    const QString backup = platform::withTrailingSeparator(m.txtbackupmapp);
    const QString mainFolder = m.combomappar.value(0);
    const bool withName = m.txtabsolutsökväg_huvudmapp == QLatin1String("JA");
    const bool hideFiltered = s.chkdöljfilterilogg;
    const bool simulated = progress_.simulated();
    progress_.status(QStringLiteral("Samlar in sökvägar och skapar backupmappar som behövs..."));
    progress_.yield();
    const QStringList pieces = folderFilterPieces(m.txtmappfilter);

    List3.clear();
    // Target folders under a file that could not be put aside: reported once, then left out.
    QStringList blocked;
    const qsizetype count = List2.size();
    for (qsizetype j = 0; j < count; ++j) {
        progress_.yield();
        if (progress_.cancelled())
            break;
        const QString source = List2[j];
        const int f = matchingFolderFilter(source, pieces);
        if (f >= 0) {
            if (!hideFiltered)
                logLine(QStringLiteral("log.txt"), QStringLiteral("Bortfiltrerad mapp (filter: ") +
                                                       pieces[f] + QStringLiteral("): ") + source);
            List3.push_back(FolderPair{source, QString(), true});
            List2[j] = QStringLiteral("EXKLUDERAD: ") + source;
            continue;
        }
        const QString target = targetFolderFor(source, backup, absolute, mainFolder, withName);
        progress_.showTargetFolder(target);
        List3.push_back(FolderPair{platform::withTrailingSeparator(source), target, false});
        // A source folder that is gone gets no empty target folder: the folder loop reports it
        // as missing, and a job may name many thousands of such folders.
        if (simulated || !platform::folderExists(source))
            continue;
        if (std::any_of(blocked.begin(), blocked.end(),
                        [&](const QString& b) { return platform::isSameOrBelow(target, b); })) {
            List3.back().filtered = true;
            continue;
        }
        auto make = [&] {
            try {
                platform::makePath(target);
                return true;
            } catch (const RunError&) {
                return false; // noticed below, as a folder that is not there
            }
        };
        if (make())
            continue;
        // A file where the folder must go is the rare reason; only then is it looked for.
        if (!putAsideFileInTheWay(target, backup, source)) {
            List3.back().filtered = true;
            blocked << target;
            continue;
        }
        make();
        if (!platform::folderExists(target)) {
            const QString text =
                QStringLiteral("Felkod 53. Sökvägen är för lång, mappen verkar inte ha skapats. (Jobb: ") +
                progress_.jobName() + ')';
            systemLog(QStringLiteral("FEL! ") + text, true);
            countError();
            logLine(QStringLiteral("log_err.txt"), QString());
            logLine(QStringLiteral("log_err.txt"), QStringLiteral("FEL: ") + text);
            logLine(QStringLiteral("log_err.txt"),
                    QStringLiteral("Från: ") + platform::withTrailingSeparator(source));
            logLine(QStringLiteral("log_err.txt"), QStringLiteral("Till: ") + target);
        }
    }
    flushLogs();
}
