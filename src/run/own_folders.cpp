#include "run/own_folders.h"

#include "core/backup_folders.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <memory>

using platform::WalkGuard;

namespace {

struct Kept {
    QStringList mains;
    QString backup, version;
    std::unique_ptr<RunOwnFolders> own;
};

std::vector<Kept>& kept() {
    static std::vector<Kept> k;
    return k;
}

} // namespace

RunOwnFolders::RunOwnFolders(const QStringList& mainFolders, const QString& backupFolder,
                             const QString& versionFolder)
    : mainTexts_(mainFolders) {
    QStringList ownTexts;
    for (const QString& o : {backupFolder.trimmed(), versionFolder.trimmed()}) {
        if (o.isEmpty())
            continue;
        Own own{o, {}, {o}};
        if (o.startsWith(QLatin1Char('/')))
            own.placed = platform::placeFolder(o);
        own_.push_back(std::move(own));
        ownTexts << o;
    }
    QStringList sources;
    for (const QString& m : mainFolders) {
        const QString t = platform::withoutTrailingSeparator(m.trimmed());
        if (!t.startsWith(QLatin1Char('/')))
            continue;
        Main main{t, platform::placeFolder(t), WalkGuard({t}, ownTexts), {}};
        main.device = platform::SameDevice(main.placed);
        // An own folder inside the main folder, by the name the main folder gives it: a main folder
        // given through a link names the backup folder inside it otherwise than the backup
        // folder's own text does.
        for (Own& own : own_) {
            if (!own.placed.exists() || !main.placed.exists() ||
                !platform::isSameOrInside(own.placed, main.placed))
                continue;
            bool found = false;
            const QString below = backupfolders::piecesBelow(own.placed, main.placed, &found);
            if (found && !below.isEmpty())
                own.names << platform::joinPath(t, below);
        }
        sources << t;
        mains_.push_back(std::move(main));
    }
    anyMain_ = WalkGuard(sources, ownTexts);
}

bool RunOwnFolders::byText(const QString& folder) const {
    for (const Own& own : own_) {
        for (const QString& name : own.names) {
            if (!platform::isSameOrBelow(folder, name))
                continue;
            bool sourceInside = false;
            // A main folder that is the backup folder itself is not kept inside it: its copies would
            // land below it and be copied again, one level deeper, at every run.
            for (const QString& main : mainTexts_)
                sourceInside =
                    sourceInside || (!main.trimmed().isEmpty() && platform::isSameOrBelow(folder, main) &&
                                     platform::isSameOrBelow(main, name) &&
                                     platform::withoutTrailingSeparator(main.trimmed()) !=
                                         platform::withoutTrailingSeparator(name));
            if (!sourceInside)
                return true;
        }
    }
    return false;
}

const RunOwnFolders::Main* RunOwnFolders::mainOf(const QString& folder) const {
    const QStringView f = backupfolders::bare(folder);
    const Main* found = nullptr;
    for (const Main& m : mains_)
        if (backupfolders::atOrBelow(f, m.typed) && (!found || m.typed.size() > found->typed.size()))
            found = &m;
    return found;
}

RunOwnFolders::Place RunOwnFolders::placeOf(const QString& folder) const {
    const Main* m = mainOf(folder);
    if (!m)
        return {&anyMain_, nullptr, -1, false};
    const qsizetype rest = m->typed.endsWith(u'/') ? m->typed.size() : m->typed.size() + 1;
    return {&m->guard, &m->device, rest, backupfolders::bare(folder).size() == m->typed.size()};
}

bool RunOwnFolders::isMainFolder(const QString& folder) const {
    const QString f = platform::withoutTrailingSeparator(folder);
    for (const Main& m : mains_)
        if (m.typed == f)
            return true;
    return false;
}

bool RunOwnFolders::onDisk(const QString& folder, const Main* main) const {
    const platform::FileInfo fi = platform::fileInfo(folder);
    if (!fi.isDir)
        return false;
    const platform::FolderId id{fi.device, fi.inode};
    // A folder below no main folder is placed whole, as a link is.
    if (fi.isLink || !main)
        return (main ? main->guard : anyMain_).link(folder, id) != WalkGuard::Verdict::Walk;
    return main->guard.plain(id) != WalkGuard::Verdict::Walk;
}

void RunOwnFolders::note(const QString& folder, bool leftOut) {
    known_.insert(platform::withoutTrailingSeparator(folder), leftOut);
}

bool RunOwnFolders::contains(const QString& folder) {
    const QString f = platform::withoutTrailingSeparator(folder);
    if (const auto it = known_.constFind(f); it != known_.constEnd())
        return *it;
    bool left = byText(f);
    if (!left) {
        const Main* main = mainOf(f);
        if (!main)
            left = onDisk(f, nullptr);
        else if (f != main->typed)
            left = contains(platform::parentPath(f)) || onDisk(f, main);
    }
    known_.insert(f, left);
    return left;
}

RunOwnFolders& RunOwnFolders::of(const QStringList& mainFolders, const QString& backupFolder,
                                 const QString& versionFolder) {
    for (Kept& k : kept())
        if (k.backup == backupFolder && k.version == versionFolder && k.mains == mainFolders)
            return *k.own;
    kept().push_back({mainFolders, backupFolder, versionFolder,
                      std::make_unique<RunOwnFolders>(mainFolders, backupFolder, versionFolder)});
    return *kept().back().own;
}

void RunOwnFolders::forgetAll() {
    kept().clear();
}
