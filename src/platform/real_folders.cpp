#include "platform/real_folders.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/own_tree.h"
#include "platform/paths.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A folder of another mount below the root is the user's drive or bind mount: nothing is written
// there.
[[noreturn]] void throwOtherMount(const QString& folder) {
    throw RunError{kOtherMount, otherMountText(folder)};
}

// Makes one folder whose parent is known to be real and on the root's mount. False when a real
// folder of that mount was there; empty when the parent is gone.
std::optional<bool> makeOne(const QString& f, const MountKey& rootMount) {
    const QByteArray n = QFile::encodeName(f);
    for (int tries = 0;; ++tries) {
        if (::mkdir(n.constData(), 0777) == 0)
            return true;
        const int e = errno;
        if (e == ENOENT)
            return std::nullopt;
        if (e != EEXIST)
            throwCreationError(e);
        unsigned mode = 0;
        MountKey mount;
        if (!entryMount(f, mode, mount)) {
            if (errno == ENOENT && tries < 3)
                continue; // removed meanwhile (another thread replacing a link)
            throwErrno(errno);
        }
        if (S_ISDIR(mode)) {
            if (!(mount == rootMount))
                throwOtherMount(f);
            return false;
        }
        if (!S_ISLNK(mode) || tries >= 3)
            throwError(76); // a file has the name
        // A link is no folder of the backup: what it leads to is the user's.
        if (::unlink(n.constData()) != 0 && errno != ENOENT)
            throwErrno(errno);
    }
}

std::atomic<quint64> generations{0};

// The last folder this thread found real below a root, and so every folder between it and the
// root. Nothing is locked or stored per folder, which a run of 50,000 folders on a few threads
// would otherwise do 50,000 times.
struct LastReal {
    quint64 generation = 0;
    QString folder;
};
// A few roots at once: the copy from the simulation window goes between the backups of its jobs.
thread_local std::array<LastReal, 4> lastReals;
thread_local size_t nextLastReal = 0;

LastReal& lastRealOf(quint64 generation) {
    for (LastReal& l : lastReals)
        if (l.generation == generation)
            return l;
    LastReal& l = lastReals[nextLastReal];
    nextLastReal = (nextLastReal + 1) % lastReals.size();
    l = LastReal{generation, QString()};
    return l;
}

// The end of what `a` and `b` (neither ending in '/') share whole pieces of: the index of the '/'
// after the last shared piece, or the length of the shorter when it is all shared.
qsizetype sharedEnd(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0, end = 0;
    for (; i < n && a[i] == b[i]; ++i)
        if (a[i] == u'/')
            end = i;
    if (i == n && (a.size() == n || a[n] == u'/') && (b.size() == n || b[n] == u'/'))
        end = n;
    return end;
}

} // namespace

void RealFolders::reset(const QString& root) {
    std::lock_guard lock(mutex_);
    root_ = root.trimmed().isEmpty() ? QString() : withoutTrailingSeparator(root);
    real_.clear();
    rootThere_ = false;
    generation_ = ++generations;
    rootMount_.reset();
}

std::optional<MountKey> RealFolders::rootMount() {
    {
        std::lock_guard lock(mutex_);
        if (rootMount_)
            return rootMount_;
    }
    // The root may itself be reached through a link: its mount is where that leads.
    unsigned mode = 0;
    MountKey mount;
    if (!entryMount(root_ + QStringLiteral("/."), mode, mount) || !S_ISDIR(mode))
        return std::nullopt;
    std::lock_guard lock(mutex_);
    rootMount_ = mount;
    return mount;
}

bool RealFolders::below(const QString& folder) const {
    const QString f = withoutTrailingSeparator(folder);
    return !root_.isEmpty() && f != root_ && isSameOrBelow(f, root_);
}

QStringList RealFolders::unknownPieces(const QString& f) {
    // What this thread last found real holds the folders above it too.
    const LastReal& last = lastRealOf(generation_);
    const qsizetype known = last.folder.isEmpty() ? 0 : sharedEnd(f, last.folder);
    QStringList out;
    std::lock_guard lock(mutex_);
    for (QString p = f; p.size() > root_.size() && p.size() > known && !real_.contains(p); p = parentPath(p))
        out << p;
    return out;
}

void RealFolders::remember(const QString& f) {
    std::lock_guard lock(mutex_);
    real_.insert(f);
}

bool RealFolders::isReal(const QString& folder) {
    const QString f = withoutTrailingSeparator(folder);
    // below(f), without making texts: this is asked once for every folder of a run.
    if (root_.isEmpty() || f.size() <= root_.size() || !f.startsWith(root_) ||
        !(root_.endsWith(u'/') || f[root_.size()] == u'/'))
        return folderExists(f);
    if (faultFor(f))
        return false;
    LastReal& last = lastRealOf(generation_);
    // The pieces below the root (or below what this thread found real last) are looked at in turn.
    const qsizetype rootEnd = root_ == QLatin1String("/") ? 0 : root_.size();
    qsizetype at = last.folder.isEmpty() ? rootEnd : std::max(rootEnd, sharedEnd(f, last.folder));
    if (at >= f.size())
        return true;
    const std::optional<MountKey> rootAt = rootMount();
    if (!rootAt)
        return false;
    while (at < f.size()) {
        qsizetype next = f.indexOf(u'/', at + 1);
        if (next < 0)
            next = f.size();
        unsigned mode = 0;
        MountKey mount;
        if (!entryMount(f.left(next), mode, mount) || !S_ISDIR(mode) || !(mount == *rootAt)) {
            last.folder = at > rootEnd ? f.left(at) : QString();
            return false;
        }
        at = next;
    }
    last.folder = f;
    return true;
}

std::optional<bool> RealFolders::makeOnce(const QString& f) {
    const QStringList pieces = unknownPieces(f);
    if (pieces.isEmpty())
        return false;
    bool rootThere = false;
    {
        std::lock_guard lock(mutex_);
        rootThere = rootThere_;
    }
    if (!rootThere) {
        makeMissingPath(root_);
        std::lock_guard lock(mutex_);
        rootThere_ = true;
    }
    const std::optional<MountKey> rootAt = rootMount();
    if (!rootAt)
        throwErrno(ENOENT);
    bool made = false;
    for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
        checkFault(pieces[i]);
        const std::optional<bool> one = makeOne(pieces[i], *rootAt);
        if (!one)
            return std::nullopt;
        made = made || *one;
        remember(pieces[i]);
    }
    lastRealOf(generation_).folder = f;
    return made;
}

bool RealFolders::make(const QString& folder) {
    const QString f = withoutTrailingSeparator(folder);
    if (!below(f))
        return !folderExists(f) && makeMissingPath(f);
    checkFault(f);
    if (const std::optional<bool> made = makeOnce(f))
        return *made;
    // A folder known to be real was removed meanwhile: look at the whole path again.
    {
        std::lock_guard lock(mutex_);
        real_.clear();
        rootThere_ = false;
        generation_ = ++generations; // what each thread found last is looked at again too
    }
    if (const std::optional<bool> made = makeOnce(f))
        return *made;
    throwErrno(ENOENT);
}

} // namespace platform
