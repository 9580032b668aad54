#include "core/backup_folders.h"
#include "core/program.h"
#include "platform/files.h"
#include "platform/parallel.h"
#include "platform/paths.h"
#include "platform/vb.h"
#include "platform/walk_guard.h"
#include "run/copy_engine.h"
#include "run/own_folders.h"
#include "run/target_folders.h"

#include <QSet>

namespace {
// Fewer folders are listed on the calling thread alone.
constexpr qsizetype kFoldersForThreads = 64;

using Verdict = platform::WalkGuard::Verdict;

using backupfolders::bare;

// `folder` (without a trailing '/') lies below `parent` (by their text).
bool isBelow(QStringView folder, QStringView parent) {
    parent = bare(parent);
    return folder.size() > parent.size() && backupfolders::atOrBelow(folder, parent);
}

// `folder` is `parent`'s folder of that name.
bool isChildOf(QStringView folder, QStringView parent) {
    if (!isBelow(folder, parent))
        return false;
    parent = bare(parent);
    return !folder.mid(parent == u"/" ? 1 : parent.size() + 1).contains(u'/');
}

// One job's list as the count walks it. Each folder is opened once: its files are counted, and its
// identity and its links to folders tell the run's own folders and the loops, whatever name the
// list gives them.
class ListWalk {
  public:
    // `known` tells what was read of a folder already (its files by the pattern counted), if anything.
    ListWalk(const QStringList& folders, RunOwnFolders& own,
             std::function<const platform::FolderFiles*(const QString& folder)> known = {})
        : folders_(folders), own_(own), known_(std::move(known)) {
        places_.reserve(size_t(folders.size()));
        for (const QString& f : folders)
            places_.push_back(own.placeOf(f));
        seen_.resize(size_t(folders.size()));
    }

    // The folders are only read, and the sum does not depend on the order: a few threads list
    // them at once, while this one runs `between` (keeping the window alive) between its folders.
    void read(const QString& pattern, const std::function<void()>& between) {
        platform::forEachInParallel(
            folders_.size(), folders_.size() < kFoldersForThreads ? 1 : platform::fileSystemThreads(),
            [&](qsizetype k) { readOne(k, pattern); }, between);
        identify();
    }

    // Notes in the job's own folders which folders are left out; returns the files of the others.
    // `loops` gets each loop where the walk meets it, not again for what lies behind it.
    long judge(QStringList& loops) {
        QSet<QString> out;
        std::vector<char> loopAt(seen_.size(), 0);
        for (size_t k = 0; k < seen_.size(); ++k) {
            const Seen& s = seen_[k];
            if (s.id != platform::FolderId{} && !places_[k].isMain) {
                const Verdict v = places_[k].guard->plain(s.id);
                if (v != Verdict::Walk)
                    out.insert(platform::withoutTrailingSeparator(folders_.at(qsizetype(k))));
                loopAt[k] = v == Verdict::Loop;
            }
            for (const QString& l : s.loops)
                out.insert(l);
        }
        long files = 0;
        for (size_t k = 0; k < seen_.size(); ++k) {
            const QString folder = platform::withoutTrailingSeparator(folders_.at(qsizetype(k)));
            const bool left = !out.isEmpty() && underLeftOut(folder, out);
            own_.note(folder, left);
            if (loopAt[k] && !underLeftOut(platform::parentPath(folder), out))
                loops << folder;
            if (left)
                continue;
            files += seen_[k].files;
            loops << seen_[k].loops;
        }
        return files;
    }

  private:
    struct Seen {
        long files = 0;
        platform::FolderId id; // read from its handle where its own listing cannot tell it
        quint64 ownInode = 0;  // from its own listing
        QStringList linkNames; // its links to folders
        QStringList loops;     // those that lead back above the source or into a left-out folder
    };

    void readOne(qsizetype k, const QString& pattern) {
        Seen& s = seen_[size_t(k)];
        const RunOwnFolders::Place& place = places_[size_t(k)];
        const QString& path = folders_.at(k);
        auto seeLink = [&](const QString& name, const platform::FolderId& target) {
            s.linkNames << name;
            const QString link = platform::joinPath(path, name);
            if (place.guard->link(link, target) != Verdict::Walk)
                s.loops << link;
        };
        auto needsId = [&] {
            return !place.isMain && (!place.device || s.ownInode == 0 ||
                                     !place.device->covers(QStringView(path).mid(place.rest)));
        };
        // Read just before by the structure refresh: not read again.
        if (const platform::FolderFiles* read = known_ ? known_(path) : nullptr) {
            s.files = read->files;
            s.ownInode = read->ownInode;
            for (const auto& [name, target] : read->links)
                seeLink(name, target);
            if (needsId())
                s.id = read->id != platform::FolderId{} ? read->id : platform::folderId(path);
            return;
        }
        const platform::WalkFolder folder(path);
        s.files = folder.countFiles(pattern, seeLink);
        s.ownInode = folder.ownInode();
        if (needsId())
            s.id = folder.id();
    }

    // The identity of each folder: from its own listing where no link stands on its way below its
    // main folder, which the listing of the folder above it tells.
    void identify() {
        std::vector<char> behindLink(seen_.size(), 0);
        std::vector<qsizetype> above; // the folders of the list above the one at hand
        for (qsizetype k = 0; k < folders_.size(); ++k) {
            const QStringView f = bare(folders_.at(k));
            while (!above.empty() && !isBelow(f, folders_.at(above.back())))
                above.pop_back();
            above.push_back(k);
            Seen& s = seen_[size_t(k)];
            const RunOwnFolders::Place& place = places_[size_t(k)];
            if (place.isMain)
                continue;
            const qsizetype p = above.size() > 1 && isChildOf(f, folders_.at(above[above.size() - 2]))
                                    ? above[above.size() - 2]
                                    : -1;
            const bool behind = p < 0 || behindLink[size_t(p)] ||
                                seen_[size_t(p)].linkNames.contains(f.mid(f.lastIndexOf(u'/') + 1));
            behindLink[size_t(k)] = behind;
            if (s.id != platform::FolderId{})
                continue;
            if (behind)
                s.id = platform::folderId(folders_.at(k));
            else if (s.ownInode != 0 && place.device)
                s.id = platform::FolderId{place.device->device(), s.ownInode};
        }
    }

    // `folder` or a folder above it, down to its main folder, is in `out` (all by text).
    bool underLeftOut(const QString& folder, const QSet<QString>& out) const {
        for (QString f = folder; !f.isEmpty(); f = platform::parentPath(f)) {
            if (out.contains(f))
                return true;
            if (own_.isMainFolder(f) || f == QLatin1String("/"))
                return false;
        }
        return false;
    }

    const QStringList& folders_;
    RunOwnFolders& own_;
    std::function<const platform::FolderFiles*(const QString&)> known_;
    std::vector<RunOwnFolders::Place> places_;
    std::vector<Seen> seen_;
};
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
        if (progress_.cancelled()) {
            refreshRead_.clear();
            return;
        }
        if (!progress_.jobSelected(i))
            continue;
        progress_.selectJob(i);
        const QStringList pieces = folderFilterPieces(m.txtmappfilter);
        QStringList folders;
        for (const QString& folder : m.listmappar)
            if (matchingFolderFilter(folder, pieces) < 0)
                folders << folder;
        ListWalk walk(folders, RunOwnFolders::of(m.combomappar, m.txtbackupmapp, m.txtversionmapp),
                      [&](const QString& folder) { return refreshRead(folder, m.txtpattern); });
        walk.read(m.txtpattern, [&] { progress_.yield(); });
        QStringList loops;
        count += walk.judge(loops);
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
    refreshRead_.clear();
    flushLogs();
    if (count > 0) {
        systemLog(platform::fileCount(count) + QStringLiteral(" hittades."), false);
        progress_.windowLog(QStringLiteral(" ") + platform::fileCount(count) + QStringLiteral(" hittades."));
    }
    filtotal = count > 0 ? count : 1;
}
