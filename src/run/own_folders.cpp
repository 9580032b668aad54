#include "run/own_folders.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <memory>

using platform::WalkGuard;

namespace {

// The last `n` pieces of `path`, joined.
QString lastPieces(const QString& path, qsizetype n) {
    qsizetype at = path.size();
    for (qsizetype i = 0; i < n && at > 0; ++i)
        at = path.lastIndexOf(QLatin1Char('/'), at - 1);
    return path.mid(at + 1);
}

// `path` is `folder` or lies below it; `folder` without a trailing '/' (but "/"). Asked for every
// folder of a job's list, so no text is made.
bool atOrBelow(QStringView path, QStringView folder) {
    if (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    if (!path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder.endsWith(u'/') || path[folder.size()] == u'/';
}

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
            const platform::FolderId mid = main.placed.chain.front().id;
            qsizetype depth = 0;
            while (size_t(depth) < own.placed.chain.size() && !(own.placed.chain[size_t(depth)].id == mid))
                ++depth;
            if (depth > 0 && size_t(depth) < own.placed.chain.size())
                own.names << platform::joinPath(t, lastPieces(own.placed.path, depth));
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
    const Main* found = nullptr;
    for (const Main& m : mains_)
        if (atOrBelow(folder, m.typed) && (!found || m.typed.size() > found->typed.size()))
            found = &m;
    return found;
}

RunOwnFolders::Place RunOwnFolders::placeOf(const QString& folder) const {
    const Main* m = mainOf(folder);
    if (!m)
        return {&anyMain_, nullptr, -1, false};
    const qsizetype f = folder.size() > 1 && folder.endsWith(u'/') ? folder.size() - 1 : folder.size();
    const qsizetype rest = m->typed.endsWith(u'/') ? m->typed.size() : m->typed.size() + 1;
    return {&m->guard, &m->device, rest, f == m->typed.size()};
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
