#include "platform/walk_guard.h"

#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
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

WalkFolder::WalkFolder(const QString& folder) {
    if (const int fault = faultFor(folder)) {
        error_ = fault;
        return;
    }
    fd_ = ::open(QFile::encodeName(withTrailingSeparator(folder)).constData(),
                 O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        error_ = errno;
}

WalkFolder::WalkFolder(const WalkFolder& parent, const QString& name, const QString& folder) {
    if (const int fault = faultFor(folder)) {
        error_ = fault;
        return;
    }
    if (parent.fd_ < 0) {
        error_ = parent.error_;
        return;
    }
    fd_ = ::openat(parent.fd_, QFile::encodeName(name).constData(),
                   O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        error_ = errno;
}

WalkFolder::~WalkFolder() {
    if (fd_ >= 0)
        ::close(fd_);
}

FolderId WalkFolder::id() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return {};
    return idOf(st);
}

std::vector<WalkFolder::Entry> WalkFolder::folders() const {
    if (fd_ < 0)
        throwErrno(error_ == ENOENT ? ENOTDIR : error_); // as listFolderEntries reports it
    std::vector<Entry> found;
    int err = fromStart(fd_, read_, ownInode_);
    if (err == 0)
        err = readOpenFolder(
            fd_,
            [&](int, unsigned char type, const char* n) {
                Entry e;
                struct stat st {};
                if (!isFolderOrLinkToOne(fd_, type, n, e.isLink, st))
                    return;
                if (e.isLink)
                    e.target = idOf(st);
                bool refused = false;
                e.name = decodeName(n, refused);
                found.push_back(std::move(e));
            },
            &ownInode_);
    if (err != 0)
        throwErrno(err);
    sortEntries(found);
    return found;
}

long WalkFolder::countFiles(const QString& pattern,
                            const std::function<void(const QString&, const FolderId&)>& folderLink) const {
    if (fd_ < 0)
        return 0;
    long count = 0;
    int err = fromStart(fd_, read_, ownInode_);
    if (err == 0)
        err = countOpenFolder(fd_, pattern, count, folderLink, &ownInode_);
    return err != 0 ? 0 : count;
}

} // namespace platform
