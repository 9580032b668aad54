#include "platform/walk_guard.h"

#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

bool lessId(const FolderId& a, const FolderId& b) {
    return a.device != b.device ? a.device < b.device : a.inode < b.inode;
}

bool contains(const std::vector<FolderId>& ids, const FolderId& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

FolderId idOf(const struct stat& st) {
    return FolderId{quint64(st.st_dev), quint64(st.st_ino)};
}

// Makes an open folder's entries be read from their start again (`again`: they were read before)
// and clears the inode number its "." gave, `own`. Returns 0 or the errno of a failure.
int fromStart(int fd, bool& again, quint64& own) {
    if (again && ::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    again = true;
    own = 0;
    return 0;
}

// A mount point as /proc/self/mountinfo writes it: blanks, tabs, line breaks and backslashes as
// three octal digits after a backslash.
QString unescapedMountPoint(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int c = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += char(c);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

} // namespace

QStringList mountPoints() {
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4)
            out << unescapedMountPoint(fields[4]);
    }
    return out;
}

// ---- the device of a walk -----------------------------------------------------------------------

SameDevice::SameDevice(const PlacedFolder& root) {
    if (!root.exists())
        return;
    struct statfs fs {};
    if (::statfs(QFile::encodeName(root.path).constData(), &fs) != 0)
        return;
    switch (quint64(fs.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        break;
    default:
        return;
    }
    device_ = root.chain.front().id.device;
    const QString base = withTrailingSeparator(root.path);
    for (const QString& m : mountPoints())
        if (m.startsWith(base, Qt::CaseInsensitive) && m.size() > base.size())
            mounts_ << m.mid(base.size());
    trusted_ = device_ != 0;
}

bool SameDevice::covers(QStringView rest) const {
    if (!trusted_)
        return false;
    for (const QString& m : mounts_)
        if (rest.startsWith(m, Qt::CaseInsensitive) && (rest.size() == m.size() || rest[m.size()] == u'/'))
            return false;
    return true;
}

// ---- the guard ----------------------------------------------------------------------------------

WalkGuard::WalkGuard(const QStringList& sources, const QStringList& leftOut) {
    for (const QString& s : sources) {
        if (!s.startsWith(QLatin1Char('/')))
            continue;
        sources_.push_back(placeFolder(s));
        for (const PlacedFolder::Step& step : sources_.back().chain)
            if (step.id != FolderId{})
                holders_.push_back(step.id);
    }
    std::sort(holders_.begin(), holders_.end(), lessId);
    for (const QString& o : leftOut) {
        if (!o.startsWith(QLatin1Char('/')))
            continue;
        PlacedFolder placed = placeFolder(o);
        if (!placed.exists())
            continue; // nothing can lead into a folder that is not there
        own_.push_back(placed.chain.front().id);
        ownPlaced_.push_back(std::move(placed));
    }
}

WalkGuard::Verdict WalkGuard::plain(const FolderId& id) const {
    if (contains(own_, id))
        return Verdict::Own;
    if (std::binary_search(holders_.begin(), holders_.end(), id, lessId))
        return Verdict::Loop;
    return Verdict::Walk;
}

WalkGuard::Verdict WalkGuard::link(const QString& path, const FolderId& target) const {
    if (plain(target) != Verdict::Walk)
        return Verdict::Loop;
    if (ownPlaced_.empty())
        return Verdict::Walk;
    const PlacedFolder there = placeFolder(path);
    for (const PlacedFolder& own : ownPlaced_) {
        if (!isSameOrInside(there, own))
            continue;
        // A source kept inside the left-out folder is walked all the same.
        for (const PlacedFolder& source : sources_)
            if (isSameOrInside(source, own) && isSameOrInside(there, source))
                return Verdict::Walk;
        return Verdict::Loop;
    }
    return Verdict::Walk;
}

// ---- the opened folder ---------------------------------------------------------------------------

namespace {
constexpr int kWalkOpen = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

bool outOfHandles(int err) {
    return err == EMFILE || err == ENFILE;
}
} // namespace

void WalkHandles::opened(const WalkFolder* f) {
    open_.push_back(f);
    while (open_.size() > limit_ && closeOne(f)) {
    }
}

void WalkHandles::closed(const WalkFolder* f) {
    for (size_t i = open_.size(); i-- > 0;)
        if (open_[i] == f) {
            open_.erase(open_.begin() + qsizetype(i));
            return;
        }
}

bool WalkHandles::closeOne(const WalkFolder* keep) {
    for (size_t i = 0; i < open_.size(); ++i) {
        const WalkFolder* f = open_[i];
        if (f == keep)
            continue;
        open_.erase(open_.begin() + qsizetype(i));
        f->closeForNow();
        return true;
    }
    return false;
}

WalkFolder::WalkFolder(const QString& folder, WalkHandles* handles) : handles_(handles) {
    if (const int fault = faultFor(folder) ? faultFor(folder) : passFault(folder)) {
        error_ = fault;
        return;
    }
    enterFault_ = entryFault(folder);
    fd_ = ::open(QFile::encodeName(withTrailingSeparator(folder)).constData(), kWalkOpen);
    if (fd_ < 0)
        error_ = errno;
}

WalkFolder::WalkFolder(const WalkFolder& parent, const QString& name, const QString& folder)
    : parent_(&parent), handles_(parent.handles_), name_(QFile::encodeName(name)) {
    if (const int fault = faultFor(folder)) {
        error_ = fault;
        return;
    }
    if (parent.enterFault_) {
        error_ = parent.enterFault_;
        return;
    }
    enterFault_ = entryFault(folder);
    const int pfd = parent.handle();
    if (pfd < 0) {
        error_ = parent.error_;
        return;
    }
    fd_ = openFrom(pfd);
}

int WalkFolder::openFrom(int parentFd) const {
    int fd = ::openat(parentFd, name_.constData(), kWalkOpen);
    // Out of handles: those of the folders highest above give way, one at a time.
    while (fd < 0 && outOfHandles(errno) && handles_ && handles_->closeOne(parent_))
        fd = ::openat(parentFd, name_.constData(), kWalkOpen);
    if (fd < 0) {
        error_ = errno;
        return -1;
    }
    error_ = 0;
    if (handles_) {
        fd_ = fd;
        handles_->opened(this);
    }
    return fd;
}

void WalkFolder::closeForNow() const {
    struct stat st {};
    closedId_ = ::fstat(fd_, &st) == 0 ? idOf(st) : FolderId{};
    ::close(fd_);
    fd_ = -1;
    closed_ = true;
}

int WalkFolder::handle() const {
    if (fd_ >= 0 || !closed_ || !parent_)
        return fd_;
    const int pfd = parent_->handle();
    if (pfd < 0) {
        error_ = parent_->error_;
        return -1;
    }
    const int fd = openFrom(pfd);
    if (fd < 0)
        return -1;
    // What stands at its name now must be the folder it was, or the walk would go on elsewhere.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || closedId_ == FolderId{} || idOf(st) != closedId_) {
        handles_->closed(this);
        ::close(fd);
        fd_ = -1;
        error_ = ESTALE;
        return -1;
    }
    closed_ = false;
    read_ = false;
    return fd;
}

WalkFolder::~WalkFolder() {
    if (fd_ >= 0) {
        if (handles_ && parent_)
            handles_->closed(this);
        ::close(fd_);
    }
}

FolderId WalkFolder::id() const {
    if (fd_ < 0 && closed_)
        return closedId_;
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return {};
    return idOf(st);
}

std::vector<WalkFolder::Entry> WalkFolder::folders(UnreadableEntries* unreadable, const QString* pattern,
                                                   long* files) const {
    if (files)
        *files = 0;
    const int fd = handle();
    if (fd < 0)
        throwErrno(error_ == ENOENT ? ENOTDIR : error_); // as listFolderEntries reports it
    std::vector<Entry> found;
    UnreadableEntries failed;
    int err = fromStart(fd, read_, ownInode_);
    if (err == 0)
        err = readOpenFolder(
            fd,
            [&](int, unsigned char type, const char* n) {
                Entry e;
                struct stat st {};
                int statErr = 0;
                bool refused = false;
                if (!isFolderOrLinkToOne(fd, type, n, e.isLink, st, statErr, enterFault_)) {
                    if (statErr)
                        failed.push_back(UnreadableEntry{decodeName(n, refused), statErr});
                    else if (files && (type == DT_REG || S_ISREG(st.st_mode)) &&
                             countedFileName(type, n, *pattern))
                        ++*files;
                    return;
                }
                if (e.isLink)
                    e.target = idOf(st);
                e.name = decodeName(n, refused);
                found.push_back(std::move(e));
            },
            &ownInode_);
    if (err != 0)
        throwErrno(err);
    sortEntries(found);
    if (!failed.empty()) {
        if (!unreadable)
            throwErrno(failed.front().error);
        sortEntries(failed);
        std::move(failed.begin(), failed.end(), std::back_inserter(*unreadable));
    }
    return found;
}

long WalkFolder::countFiles(const QString& pattern,
                            const std::function<void(const QString&, const FolderId&)>& folderLink,
                            int* error) const {
    const int fd = handle();
    int err = fd < 0 ? error_ : fromStart(fd, read_, ownInode_);
    long count = 0;
    if (err == 0)
        err = countOpenFolder(fd, pattern, count, folderLink, &ownInode_);
    if (error)
        *error = err;
    return err != 0 ? 0 : count;
}

} // namespace platform
