#include "run/target_folders.h"

#include "core/program.h"
#include "platform/files.h"
#include "platform/own_tree.h"
#include "platform/parallel.h"
#include "platform/paths.h"
#include "platform/presence.h"
#include "platform/vb.h"
#include "run/copy_engine.h"

#include <QCheckBox>
#include <algorithm>

using platform::RunError;

QStringList folderFilterPieces(const QString& filterText) {
    return platform::Split(filterText, QStringLiteral(" * "));
}

int matchingFolderFilter(const QString& path, const QStringList& pieces) {
    if (pieces.isEmpty())
        return -1;
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
    // The source has no file of that name any more, so this copy is all that is left of it: kept
    // as a version when versioning takes it, and then gone as a replaced file goes; else it goes
    // to the trash, whatever the settings say of replaced files.
    const platform::FileInfo fi = platform::fileInfo(blocker);
    const long versionsBefore = versioner_totalt;
    if (fi.isFile && !fi.isLink && !keepVersion(blocker, platform::parentPath(sourceOfBlocker)))
        return false;
    const bool versioned = versioner_totalt > versionsBefore;
    try {
        const bool trash = !versioned || program().settings().chkpapperskorg_ersatta;
        if (trash)
            platform::moveToTrash(blocker);
        else
            platform::removeFile(blocker);
        const QString where = versioned && trash
                                  ? QStringLiteral("sparad av versionshantering och flyttad till "
                                                   "papperskorgen")
                              : versioned ? QStringLiteral("sparad av versionshantering")
                                          : QStringLiteral("flyttad till papperskorgen");
        logLine(QStringLiteral("log.txt"),
                QStringLiteral("- Fil ersatt av mapp, ") + where + QStringLiteral(": ") + blocker);
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

namespace {

// What the look at one target folder found, on a thread of its own.
enum class TargetState : unsigned char { NotLooked, There, SourceGone, Made, NotMade, OtherMount };

// Looks at and makes the target folders of a stretch of the job's folders, in their order: each
// target that is missing gets made when its source folder is there. While the targets met are
// there, each is looked at before it is made (an unchanged run reads one status per folder);
// once one was missing, the next ones are made straight away (a first run makes each with one
// call).
struct TargetStretch {
    std::vector<qsizetype> index;
    QStringList sources, targets;
    std::vector<TargetState>* states = nullptr;
    std::vector<QString>* otherMounts = nullptr; // the words naming the mount, per OtherMount state
    platform::RealFolders* folders = nullptr;

    void operator()() const {
        bool making = false;
        for (size_t i = 0; i < index.size(); ++i) {
            TargetState& state = (*states)[size_t(index[i])];
            // A link is no folder of the backup: what it leads to is the user's.
            if (!making && folders->isReal(targets[qsizetype(i)])) {
                state = TargetState::There;
                continue;
            }
            // A source folder that is gone gets no empty target folder: the folder loop
            // reports it as missing, and a job may name many thousands of such folders.
            if (!platform::folderExists(sources[qsizetype(i)])) {
                state = TargetState::SourceGone;
                continue;
            }
            try {
                making = folders->make(targets[qsizetype(i)]);
                state = making ? TargetState::Made : TargetState::There;
            } catch (const RunError& e) {
                // Dealt with in the folders' order afterwards.
                state = e.number == platform::kOtherMount ? TargetState::OtherMount : TargetState::NotMade;
                if (state == TargetState::OtherMount)
                    (*otherMounts)[size_t(index[i])] = e.description;
            }
        }
    }
};

// Folders handed to a thread at a time.
constexpr qsizetype kStretch = 32;

} // namespace

void BackupEngine::otherMountFound(const QString& text) {
    if (otherMountsNamed.contains(text))
        return;
    otherMountsNamed.insert(text);
    countError();
    logLine(QStringLiteral("log.txt"), QStringLiteral("FEL: ") + text);
    progress_.windowLog(QStringLiteral(" FEL! ") + text);
    systemLog(QStringLiteral("FEL! ") + text, true);
}

platform::RealFolders& BackupEngine::backupFolders() {
    const QString backup = platform::withoutTrailingSeparator(program().job().txtbackupmapp);
    if (backupFolders_.root() != backup)
        backupFolders_.reset(backup);
    return backupFolders_;
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
    backupFolders_.reset(backup);
    targetFolder_.reset();
    targetFolders_.reset();
    versionFolders_.reset();
    otherMountsNamed.clear();
    if (simulated)
        simBackupFolders << backup;
    const qsizetype count = List2.size();
    // The target folders are looked at and made by a few threads, a stretch of folders at a
    // time, while this thread goes through the folders as before; it hands out no folder after
    // a cancel, so the folders made are those before it. Whatever went wrong is dealt with
    // afterwards, folder by folder in their order.
    std::vector<TargetState> states(size_t(count), TargetState::NotLooked);
    std::vector<QString> otherMounts(
        static_cast<size_t>(count)); // each written by the one thread of its folder
    {
        platform::TaskPool pool(simulated ? 0 : platform::fileSystemThreads(),
                                2 * platform::fileSystemThreads());
        TargetStretch stretch;
        auto handOut = [&] {
            if (stretch.index.empty())
                return;
            stretch.states = &states;
            stretch.otherMounts = &otherMounts;
            stretch.folders = &backupFolders_;
            pool.submit(std::move(stretch));
            stretch = TargetStretch();
        };
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
            if (simulated)
                continue;
            stretch.index.push_back(qsizetype(List3.size()) - 1);
            stretch.sources << source;
            stretch.targets << target;
            if (qsizetype(stretch.index.size()) >= kStretch)
                handOut();
        }
        handOut();
        pool.wait();
    }

    // Target folders under a file that could not be put aside: reported once, then left out.
    QStringList blocked;
    for (size_t j = 0; j < List3.size(); ++j) {
        FolderPair& pair = List3[j];
        const TargetState state = states[j];
        if (state == TargetState::NotLooked || state == TargetState::SourceGone)
            continue;
        const QString source = List2[qsizetype(j)];
        const QString& target = pair.target;
        if (!blocked.isEmpty() && std::any_of(blocked.begin(), blocked.end(), [&](const QString& b) {
                return platform::isSameOrBelow(target, b);
            })) {
            // Left out, as long as its source is there (a target found there was not asked).
            if (state != TargetState::There || platform::folderExists(source))
                pair.filtered = true;
            continue;
        }
        if (state == TargetState::There)
            continue;
        if (state == TargetState::Made) {
            // Nothing but this run puts anything into a folder it has just made.
            pair.made = true;
            continue;
        }
        if (state == TargetState::OtherMount) {
            // A drive or bind mount at the target or on its way is the user's: nothing of the
            // job is written there, nor below it.
            pair.filtered = true;
            blocked << target;
            otherMountFound(otherMounts[j]);
            continue;
        }
        // A file where the folder must go is the rare reason; only then is it looked for.
        if (!putAsideFileInTheWay(target, backup, source)) {
            pair.filtered = true;
            blocked << target;
            continue;
        }
        try {
            backupFolders_.make(target);
        } catch (const RunError&) {
            // noticed below, as a folder that is not there
        }
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
