#include "platform/own_tree.h"

#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/walk_guard.h"

#include <QFile>
#include <QMutex>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace platform {

namespace {

std::function<void(const QString&)>& hook() {
    static std::function<void(const QString&)> h;
    return h;
}

QMutex& standInLock() {
    static QMutex m;
    return m;
}
QSet<QString>& mountStandIns() {
    static QSet<QString> s;
    return s;
}

// Whether any stand-in is set: read by every look at a folder below a backup folder, from several
// threads, so the lock is taken only in the tests that set one.
std::atomic<bool> anyStandIn{false};

bool isStandInMount(const QString& path) {
    if (!anyStandIn.load(std::memory_order_acquire))
        return false;
    QMutexLocker lock(&standInLock());
    return !mountStandIns().isEmpty() && mountStandIns().contains(withoutTrailingSeparator(path));
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

// The pieces of `path` below `root`, or nullopt when it does not lie there.
std::optional<QStringList> piecesBelow(const QString& root, const QString& path) {
    const QString p = withoutTrailingSeparator(path);
    if (p == root)
        return QStringList{};
    const QString prefix = root == QLatin1String("/") ? root : root + QLatin1Char('/');
    if (!p.startsWith(prefix))
        return std::nullopt;
    const QStringList pieces = p.mid(prefix.size()).split(QLatin1Char('/'));
    for (const QString& piece : pieces)
        if (piece.isEmpty() || piece == QLatin1String(".") || piece == QLatin1String(".."))
            return std::nullopt;
    return pieces;
}

OwnTree::Entry::Kind kindOf(unsigned char type, int dfd, const char* name) {
    using Kind = OwnTree::Entry::Kind;
    switch (type) {
    case DT_REG:
        return Kind::File;
    case DT_DIR:
        return Kind::Folder;
    case DT_LNK:
        return Kind::Link;
    case DT_UNKNOWN: {
        struct stat st {};
        if (::fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return Kind::Other;
        if (S_ISREG(st.st_mode))
            return Kind::File;
        if (S_ISDIR(st.st_mode))
            return Kind::Folder;
        if (S_ISLNK(st.st_mode))
            return Kind::Link;
        return Kind::Other;
    }
    default:
        return Kind::Other;
    }
}

} // namespace

namespace {

// The mount and identity of `name` in `dfd` (flags as statx takes them), in one call.
bool placeAt(int dfd, const char* name, int flags, const QString& path, MountKey& key, FolderId* id,
             unsigned* mode) {
    struct statx sx {};
    if (::statx(dfd, name, flags, STATX_BASIC_STATS | STATX_MNT_ID, &sx) == 0) {
        key.device = quint64(makedev(sx.stx_dev_major, sx.stx_dev_minor));
        key.mountId = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0;
        if (id)
            *id = FolderId{key.device, quint64(sx.stx_ino)};
        if (mode)
            *mode = sx.stx_mode;
    } else {
        if (errno != ENOSYS)
            return false;
        struct stat st {};
        if (::fstatat(dfd, name, &st, flags & (AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW)) != 0)
            return false;
        key.device = quint64(st.st_dev);
        key.mountId = 0;
        if (id)
            *id = FolderId{quint64(st.st_dev), quint64(st.st_ino)};
        if (mode)
            *mode = st.st_mode;
    }
    // A stand-in mount is told apart by a mount of its own that no real folder has.
    if (isStandInMount(path))
        key.mountId = ~quint64(0);
    return true;
}

// The mount of an opened folder; {} when it cannot be read. Honours standInMount.
MountKey mountOf(int fd, const QString& path) {
    MountKey key;
    if (!placeAt(fd, "", AT_EMPTY_PATH, path, key, nullptr, nullptr))
        return {};
    return key;
}

} // namespace

bool entryMount(const QString& path, unsigned& mode, MountKey& mount) {
    return placeAt(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW, path, mount, nullptr,
                   &mode);
}

QString otherMountText(const QString& path) {
    return withoutTrailingSeparator(path) + QStringLiteral(" är en annan enhet och lämnades orörd");
}

OwnTree::OwnTree(const QString& root, const FolderId& approved) {
    rootPath_ = withoutTrailingSeparator(root);
    if (rootPath_.isEmpty() || !rootPath_.startsWith(QLatin1Char('/'))) {
        openError_ = ENOENT;
        return;
    }
    if (const int fault = faultFor(rootPath_)) {
        openError_ = fault;
        return;
    }
    root_.fd =
        ::open(QFile::encodeName(rootPath_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (root_.fd < 0) {
        openError_ = errno;
        return;
    }
    struct stat st {};
    if (::fstat(root_.fd, &st) != 0) {
        openError_ = errno;
        root_ = Fd();
        return;
    }
    id_ = FolderId{quint64(st.st_dev), quint64(st.st_ino)};
    if (approved != FolderId{} && approved != id_) {
        openError_ = ESTALE;
        root_ = Fd();
        return;
    }
    mount_ = mountOf(root_.fd, QString()); // the root's own, never a stand-in
}

OwnTree::Step OwnTree::openChild(int parent, const QByteArray& name, const QString& path, Fd& out, int* error,
                                 FolderId* id) const {
    if (hook())
        hook()(path);
    if (const int fault = faultFor(path)) {
        if (error)
            *error = fault;
        return Step::Failed;
    }
    Fd fd(::openat(parent, name.constData(), kFolderFlags));
    if (fd.fd < 0) {
        const int e = errno;
        if (e == ENOENT)
            return Step::Missing;
        if (e == ELOOP)
            return Step::Link;
        if (e == ENOTDIR) {
            struct stat st {};
            if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                return Step::Link;
            return Step::NotFolder;
        }
        if (error)
            *error = e;
        return Step::Failed;
    }
    MountKey key;
    if (!placeAt(fd.fd, "", AT_EMPTY_PATH, path, key, id, nullptr)) {
        if (error)
            *error = errno;
        return Step::Failed;
    }
    if (!(key == mount_))
        return Step::OtherMount;
    out = std::move(fd);
    return Step::Ok;
}

OwnTree::Step OwnTree::open(const QString& path, Folder& out, int* error, QString* stoppedAt) const {
    if (!isOpen()) {
        if (error)
            *error = openError_;
        return Step::Failed;
    }
    const std::optional<QStringList> pieces = piecesBelow(rootPath_, path);
    if (!pieces) {
        if (error)
            *error = EINVAL;
        return Step::Failed;
    }
    Fd current(::fcntl(root_.fd, F_DUPFD_CLOEXEC, 0));
    if (current.fd < 0) {
        if (error)
            *error = errno;
        return Step::Failed;
    }
    QString at = rootPath_;
    FolderId id = id_;
    for (const QString& piece : *pieces) {
        at = joinPath(at, piece);
        Fd next;
        const Step s = openChild(current.fd, QFile::encodeName(piece), at, next, error, &id);
        if (s != Step::Ok) {
            if (stoppedAt)
                *stoppedAt = at;
            return s;
        }
        current = std::move(next);
    }
    out.fd_ = std::move(current);
    out.path_ = withoutTrailingSeparator(path);
    out.id_ = id;
    return Step::Ok;
}

OwnTree::Step OwnTree::openIn(const Folder& parent, const QByteArray& raw, const QString& path, Folder& out,
                              int* error) const {
    Fd fd;
    FolderId id;
    const Step s = openChild(parent.fd(), raw, path, fd, error, &id);
    if (s != Step::Ok)
        return s;
    out.fd_ = std::move(fd);
    out.path_ = path;
    out.id_ = id;
    return Step::Ok;
}

qint64 OwnTree::sizeIn(const Folder& folder, const QByteArray& raw) const {
    struct stat st {};
    if (::fstatat(folder.fd(), raw.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    return qint64(st.st_size);
}

std::vector<OwnTree::Entry> OwnTree::entries(const Folder& folder) const {
    std::vector<Entry> out;
    // From the first entry, should the handle have been read before. The root's handles share one
    // position, which nothing but a listing moves: the tree's own handle is never listed.
    if (::lseek(folder.fd(), 0, SEEK_SET) < 0)
        throwErrno(errno);
    const int err = readOpenFolder(folder.fd(), [&](int dfd, unsigned char type, const char* n) {
        Entry e;
        e.raw = QByteArray(n);
        e.name = decodeName(n, e.refused);
        e.kind = kindOf(type, dfd, n);
        out.push_back(std::move(e));
    });
    if (err != 0)
        throwErrno(err);
    return out;
}

bool OwnTree::leadsToFolder(const Folder& folder, const QByteArray& raw) const {
    struct stat st {};
    return ::fstatat(folder.fd(), raw.constData(), &st, 0) == 0 && S_ISDIR(st.st_mode);
}

bool OwnTree::foldsCase(const Folder& folder) const {
    if (foldsCaseByStandIn(folder.path()))
        return true;
    // One entry whose name has letters tells it: the other spelling is either not there or the entry.
    for (const Entry& e : entries(folder)) {
        if (e.refused)
            continue;
        const QString lower = e.name.toLower();
        const QString other = lower != e.name ? lower : e.name.toUpper();
        if (other == e.name)
            continue;
        struct stat st {
        }, o{};
        return ::fstatat(folder.fd(), e.raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               ::fstatat(folder.fd(), QFile::encodeName(other).constData(), &o, AT_SYMLINK_NOFOLLOW) == 0 &&
               st.st_ino == o.st_ino && st.st_dev == o.st_dev;
    }
    return false;
}

void OwnTree::sortByName(std::vector<Entry>& entries) {
    sortEntries(entries);
}

bool OwnTree::removeAt(int parent, const QByteArray& name, const QString& path,
                       const Removal& removal) const {
    checkFault(path);
    struct stat st {};
    if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        throwErrno(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlinkat(parent, name.constData(), 0) != 0) {
            if (errno == ENOENT)
                return true;
            throwErrno(errno);
        }
        if (removal.removed)
            removal.removed(path, qint64(st.st_size));
        return true;
    }
    Fd folder;
    int error = 0;
    switch (openChild(parent, name, path, folder, &error)) {
    case Step::Ok:
        break;
    case Step::Missing:
        return true;
    case Step::Link: // became a link since the look above: removed as a link, never followed
    case Step::NotFolder:
        return removeAt(parent, name, path, removal);
    case Step::OtherMount:
        if (removal.otherMount)
            removal.otherMount(path);
        return false;
    case Step::Failed:
        throwErrno(error ? error : EIO);
    }
    std::vector<QByteArray> children;
    const int err =
        readOpenFolder(folder.fd, [&](int, unsigned char, const char* n) { children.emplace_back(n); });
    if (err != 0)
        throwErrno(err);
    bool whole = true;
    for (const QByteArray& c : children) {
        if (removal.cancelled && removal.cancelled())
            return false;
        bool refused = false;
        whole =
            removeAt(folder.fd, c, path + QLatin1Char('/') + decodeName(c.constData(), refused), removal) &&
            whole;
    }
    if (!whole)
        return false;
    if (::unlinkat(parent, name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
        throwErrno(errno);
    return true;
}

bool OwnTree::remove(const QString& path, const Removal& removal) const {
    if (!isOpen())
        throwErrno(openError_ == ESTALE ? ENOTDIR : openError_);
    const std::optional<QStringList> pieces = piecesBelow(rootPath_, path);
    if (!pieces || pieces->isEmpty())
        throwError(75); // the root itself, or a path that does not lie below it
    Folder parent;
    int error = 0;
    QString stoppedAt;
    switch (open(parentPath(withoutTrailingSeparator(path)), parent, &error, &stoppedAt)) {
    case Step::Ok:
        break;
    case Step::Missing:
        return true;
    case Step::OtherMount:
        if (removal.otherMount)
            removal.otherMount(stoppedAt);
        return false;
    case Step::Link:
    case Step::NotFolder:
        throwError(76); // nothing below a link is the backup's
    case Step::Failed:
        throwErrno(error ? error : EIO);
    }
    return removeAt(parent.fd(), QFile::encodeName(pieces->last()), withoutTrailingSeparator(path), removal);
}

bool OwnTree::removeIn(const Folder& parent, const QByteArray& raw, const QString& path,
                       const Removal& removal) const {
    return removeAt(parent.fd(), raw, withoutTrailingSeparator(path), removal);
}

OwnTree::Step OwnTree::checkIn(int folder, const QString& path,
                               const std::function<void(const QString&)>& otherMount) const {
    std::vector<QByteArray> subfolders;
    const int err = readOpenFolder(folder, [&](int dfd, unsigned char type, const char* n) {
        if (kindOf(type, dfd, n) == Entry::Kind::Folder)
            subfolders.emplace_back(n);
    });
    if (err != 0)
        return Step::Failed;
    Step result = Step::Ok;
    for (const QByteArray& s : subfolders) {
        bool refused = false;
        const QString sub = path + QLatin1Char('/') + decodeName(s.constData(), refused);
        Fd child;
        const Step step = openChild(folder, s, sub, child, nullptr);
        if (step == Step::OtherMount) {
            if (otherMount)
                otherMount(sub);
            result = Step::OtherMount;
        } else if (step == Step::Ok) {
            const Step inner = checkIn(child.fd, sub, otherMount);
            if (inner != Step::Ok && result == Step::Ok)
                result = inner;
        } else if (step == Step::Failed && result == Step::Ok) {
            result = Step::Failed;
        }
    }
    return result;
}

OwnTree::Step OwnTree::checkWhole(const QString& path,
                                  const std::function<void(const QString&)>& otherMount) const {
    const QString p = withoutTrailingSeparator(path);
    Folder parent;
    QString stoppedAt;
    const Step s = open(parentPath(p), parent, nullptr, &stoppedAt);
    if (s == Step::OtherMount && otherMount)
        otherMount(stoppedAt);
    if (s != Step::Ok)
        return s;
    struct stat st {};
    const QByteArray name = QFile::encodeName(lastPiece(p));
    if (::fstatat(parent.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Step::Missing : Step::Failed;
    if (!S_ISDIR(st.st_mode))
        return Step::Ok;
    Fd folder;
    const Step opened = openChild(parent.fd(), name, p, folder, nullptr);
    if (opened == Step::OtherMount && otherMount)
        otherMount(p);
    if (opened != Step::Ok)
        return opened;
    return checkIn(folder.fd, p, otherMount);
}

std::shared_ptr<const OwnTree::Folder> TreeCursor::open(const QString& path, bool make, OwnTree::Step& step,
                                                        int* error, QString* stoppedAt) {
    using Step = OwnTree::Step;
    step = Step::Failed;
    if (!tree_.isOpen()) {
        if (error)
            *error = tree_.openError_;
        return nullptr;
    }
    const std::optional<QStringList> pieces = piecesBelow(tree_.rootPath_, path);
    if (!pieces) {
        if (error)
            *error = EINVAL;
        return nullptr;
    }
    const QString wanted = withoutTrailingSeparator(path);
    // The deepest folder held that `path` is or lies in; the ones below it are let go.
    qsizetype held = qsizetype(chain_.size());
    while (held > 0 && !isSameOrBelow(wanted, chain_[size_t(held - 1)]->path()))
        --held;
    chain_.resize(size_t(held));
    if (held == 0)
        base_ = 0;
    int current = held > 0 ? chain_.back()->fd() : tree_.root_.fd;
    QString at = held > 0 ? chain_.back()->path() : tree_.rootPath_;
    if (pieces->isEmpty()) {
        auto root = std::make_shared<OwnTree::Folder>();
        root->fd_ = Fd(::fcntl(tree_.root_.fd, F_DUPFD_CLOEXEC, 0));
        if (root->fd_.fd < 0) {
            if (error)
                *error = errno;
            return nullptr;
        }
        root->path_ = tree_.rootPath_;
        root->id_ = tree_.id_;
        step = Step::Ok;
        return root;
    }
    for (qsizetype k = held > 0 ? base_ + held : 0; k < pieces->size(); ++k) {
        const QString& piece = pieces->at(k);
        const QByteArray name = QFile::encodeName(piece);
        at = joinPath(at, piece);
        auto folder = std::make_shared<OwnTree::Folder>();
        Step s = Step::Failed;
        for (int tries = 0;; ++tries) {
            s = tree_.openChild(current, name, at, folder->fd_, error, &folder->id_);
            if (!make || tries == 3 || (s != Step::Missing && (s != Step::Link || links_ != Links::Replace)))
                break;
            // A link is no folder of the backup: what it leads to is the user's, so it goes as a link.
            if (s == Step::Link && ::unlinkat(current, name.constData(), 0) != 0 && errno != ENOENT)
                break;
            if (::mkdirat(current, name.constData(), 0777) != 0 && errno != EEXIST) {
                if (error)
                    *error = errno;
                s = Step::Failed;
                break;
            }
        }
        if (s != Step::Ok) {
            step = s;
            if (stoppedAt)
                *stoppedAt = at;
            return nullptr;
        }
        folder->path_ = at;
        current = folder->fd();
        chain_.push_back(std::move(folder));
    }
    // A deep tree holds only the handles nearest to where the walk is.
    constexpr size_t kHeld = 32;
    if (chain_.size() > kHeld) {
        const size_t drop = chain_.size() - kHeld / 2;
        chain_.erase(chain_.begin(), chain_.begin() + qsizetype(drop));
        base_ += qsizetype(drop);
    }
    step = Step::Ok;
    return chain_.back();
}

std::shared_ptr<const OwnTree::Folder> RootedCursor::open(const QString& root, const QString& folder,
                                                          bool make, RunError& error) {
    const QString r = withoutTrailingSeparator(root);
    if (!cursor_ || root_ != r) {
        cursor_.reset();
        tree_ = std::make_unique<OwnTree>(r);
        cursor_ = std::make_unique<TreeCursor>(*tree_, links_);
        root_ = r;
    }
    using Step = OwnTree::Step;
    Step step = Step::Failed;
    int err = 0;
    QString at;
    auto opened = cursor_->open(folder, make, step, &err, &at);
    if (opened)
        return opened;
    if (step == Step::OtherMount) {
        error = RunError{kOtherMount, otherMountText(at)};
        return nullptr;
    }
    error = runErrorFromErrno(step == Step::Link        ? ELOOP
                              : step == Step::NotFolder ? ENOTDIR
                              : step == Step::Missing   ? ENOENT
                              : err                     ? err
                                                        : EIO);
    return nullptr;
}

void setOwnTreeHook(std::function<void(const QString& path)> h) {
    hook() = std::move(h);
}

void standInMount(const QString& folder) {
    QMutexLocker lock(&standInLock());
    if (folder.isEmpty())
        mountStandIns().clear();
    else
        mountStandIns().insert(withoutTrailingSeparator(folder));
    anyStandIn.store(!mountStandIns().isEmpty(), std::memory_order_release);
}

QStringList mountRootsAtOrBelow(const QString& folder) {
    QStringList out;
    for (const QString& m : mountPoints())
        if (isSameOrBelow(m, folder) && !out.contains(m))
            out << m;
    if (anyStandIn.load(std::memory_order_acquire)) {
        QMutexLocker lock(&standInLock());
        for (const QString& m : std::as_const(mountStandIns()))
            if (isSameOrBelow(m, folder) && !out.contains(m))
                out << m;
    }
    return out;
}

bool isMountRoot(const QString& folder) {
    const QString resolved = withoutTrailingSeparator(resolvedPath(folder));
    return isStandInMount(folder) || isStandInMount(resolved) || mountPoints().contains(resolved);
}

} // namespace platform
