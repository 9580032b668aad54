#include "platform/walk_guard.h"

#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
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

// Reads the entries of an open folder from its start (`again`: it was read before), "." and ".."
// left out but for the inode number "." gives, into `own`. Returns 0 or the errno of a read that
// failed.
template <typename F> int readFolder(int fd, bool& again, quint64& own, F&& each) {
    if (again && ::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    again = true;
    own = 0;
    return readOpenFolder(
        fd, [&](int, unsigned char type, const char* name) { each(type, name); }, &own);
}

// A name read from disk, as the listings of files.h show it.
QString shownName(const char* raw) {
    bool refused = false;
    return decodeName(raw, refused);
}

// "*.*" or "*" among the pieces: every name matches.
bool everyName(const QString& pattern) {
    for (const QString& piece : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString g = piece.trimmed();
        if (g == QLatin1String("*.*") || g == QLatin1String("*"))
            return true;
    }
    return false;
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

// Every mount point of this process, as the kernel names it.
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

} // namespace

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
    const int err = readFolder(fd_, read_, ownInode_, [&](unsigned char type, const char* n) {
        Entry e;
        e.isLink = type == DT_LNK;
        if (type != DT_DIR) {
            if (type != DT_LNK && type != DT_UNKNOWN)
                return;
            struct stat st {};
            if (type == DT_UNKNOWN) {
                if (::fstatat(fd_, n, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    return;
                e.isLink = S_ISLNK(st.st_mode);
            }
            if ((e.isLink && ::fstatat(fd_, n, &st, 0) != 0) || !S_ISDIR(st.st_mode))
                return; // a dangling link, or no folder
            if (e.isLink)
                e.target = idOf(st);
        }
        e.name = shownName(n);
        found.push_back(std::move(e));
    });
    if (err != 0)
        throwErrno(err);
    sortEntries(found);
    return found;
}

long WalkFolder::countFiles(const QString& pattern,
                            const std::function<void(const QString&, const FolderId&)>& folderLink) const {
    if (fd_ < 0)
        return 0;
    const bool all = everyName(pattern);
    long count = 0;
    const int err = readFolder(fd_, read_, ownInode_, [&](unsigned char type, const char* n) {
        if (type != DT_REG) {
            // A link may lead to a file or a folder; an unknown type must be asked for.
            if (type != DT_LNK && type != DT_UNKNOWN)
                return;
            struct stat st {};
            if (::fstatat(fd_, n, &st, 0) != 0)
                return;
            if (S_ISDIR(st.st_mode)) {
                if (!folderLink)
                    return;
                struct stat own {};
                if (type == DT_LNK ||
                    (::fstatat(fd_, n, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode)))
                    folderLink(shownName(n), idOf(st));
                return;
            }
            if (!S_ISREG(st.st_mode))
                return;
        }
        if (!all && !matchesPattern(shownName(n), pattern))
            return;
        // A killed copy's temporary file is never copied, so it is not counted either.
        if (type != DT_LNK && std::strncmp(n, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) == 0 &&
            isCopyTemporaryName(shownName(n)))
            return;
        ++count;
    });
    return err != 0 ? 0 : count;
}

} // namespace platform
