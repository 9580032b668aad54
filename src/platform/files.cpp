#include "platform/files.h"

#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QCollator>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

// Decodes a name read from disk. A name that is not valid UTF-8 or holds a control character gets
// '?' in place of the offending characters and is marked refused.
QString decodeName(const char* raw, bool& refused) {
    refused = false;
    const auto* p = reinterpret_cast<const unsigned char*>(raw);
    bool ascii = true;
    qsizetype len = 0;
    for (; p[len]; ++len) {
        if (p[len] >= 0x80)
            ascii = false;
        else if (p[len] < 0x20 || p[len] == 0x7F)
            refused = true;
    }
    QString name;
    if (ascii) {
        name = QString::fromLatin1(raw, len);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        name = utf8.decode(QByteArrayView(raw, len));
        if (utf8.hasError()) {
            refused = true;
            name.replace(QChar(QChar::ReplacementCharacter), QLatin1Char('?'));
        }
    }
    if (refused) {
        for (QChar& c : name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = QLatin1Char('?');
    }
    return name;
}

int entryFault(const QString& folder) {
    return faultsSet() ? faultFor(withoutTrailingSeparator(folder), u"#enter") : 0;
}

int passFault(const QString& path) {
    if (!faultsSet())
        return 0;
    for (QString p = parentPath(withoutTrailingSeparator(path)); !p.isEmpty(); p = parentPath(p)) {
        if (const int e = entryFault(p))
            return e;
        if (p == QLatin1String("/"))
            break;
    }
    return 0;
}

namespace {
// Hands the unreadable entries of a listing to the caller, or throws the first one's errno where
// the caller took none.
void passUnreadable(UnreadableEntries&& found, UnreadableEntries* unreadable) {
    if (unreadable)
        std::move(found.begin(), found.end(), std::back_inserter(*unreadable));
    else if (!found.empty())
        throwErrno(found.front().error);
}
} // namespace

const QCollator& nameCollator() {
    static const QCollator c = [] {
        QCollator c(QLocale(QLocale::Swedish, QLocale::Sweden));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return c;
}

namespace {

QByteArray enc(const QString& p) {
    return QFile::encodeName(p);
}

// Opens a folder for reading its entries: one call, no status read.
int openFolder(const QByteArray& path) {
    return ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
}

// Reads a folder's entries as readOpenFolder does; throws when the folder cannot be read.
int openFolderOrThrow(const QString& folder);
template <typename F> void readEntries(const QString& folder, F&& each) {
    Fd d;
    d.fd = openFolderOrThrow(folder);
    if (const int err = readOpenFolder(d.fd, each))
        throwErrno(err);
}

// The regular files (and links to them) of an open folder whose names `wanted` accepts. Only
// entries that may be such a file have their status read; the folder's entry types tell the rest.
// An entry whose status cannot be read goes to `unreadable` (`fault` as statEntry takes it).
template <typename W>
std::vector<FileEntry> regularFilesOf(int fd, W&& wanted, int fault, UnreadableEntries* unreadable) {
    std::vector<FileEntry> out;
    UnreadableEntries failed;
    const int err = readOpenFolder(fd, [&](int dfd, unsigned char type, const char* n) {
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            return;
        bool refused = false;
        QString name = decodeName(n, refused);
        if (!wanted(name))
            return;
        // Only the entry's status is read: a FIFO or device is never opened.
        struct stat st {};
        if (const int e = statEntry(dfd, n, st, 0, fault)) {
            if (!leadsNowhere(e))
                failed.push_back(UnreadableEntry{std::move(name), e});
            return;
        }
        if (!S_ISREG(st.st_mode))
            return; // a link to something else
        out.push_back(FileEntry{std::move(name), st.st_size, st.st_mtim.tv_sec, refused});
    });
    if (err != 0)
        throwErrno(err);
    sortEntries(out);
    sortEntries(failed);
    passUnreadable(std::move(failed), unreadable);
    return out;
}

// Opens a folder to be read; throws when it cannot be.
int openFolderOrThrow(const QString& folder) {
    checkFault(folder);
    if (const int e = passFault(folder))
        throwErrno(e);
    const int fd = openFolder(enc(withTrailingSeparator(folder)));
    if (fd < 0) {
        const int e = errno;
        throwErrno(e == ENOENT ? ENOTDIR : e); // a missing folder is "path not found"
    }
    return fd;
}

template <typename W>
std::vector<FileEntry> regularFiles(const QString& folder, W&& wanted,
                                    UnreadableEntries* unreadable = nullptr) {
    Fd d;
    d.fd = openFolderOrThrow(folder);
    return regularFilesOf(d.fd, wanted, entryFault(folder), unreadable);
}

// --- patterns ------------------------------------------------------------------------------

bool globMatch(const QChar* n, qsizetype nl, const QChar* p, qsizetype pl) {
    qsizetype ni = 0, pi = 0, starP = -1, starN = 0;
    while (ni < nl) {
        if (pi < pl && (p[pi] == '?' || p[pi] == n[ni])) {
            ++ni;
            ++pi;
        } else if (pi < pl && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (starP >= 0) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < pl && p[pi] == '*')
        ++pi;
    return pi == pl;
}

struct CompiledPattern {
    QString source;
    bool all = false;
    QStringList globs; // case-folded
};

const CompiledPattern& compiled(const QString& pattern) {
    // A few patterns alternate in a run (included types, version types...): keep the last ones,
    // per thread (the run's count lists folders on several).
    thread_local std::array<CompiledPattern, 8> cache;
    thread_local size_t used = 0, next = 0;
    for (size_t i = 0; i < used; ++i)
        if (cache[i].source == pattern)
            return cache[i];
    CompiledPattern c;
    c.source = pattern;
    for (const QString& piece : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString g = piece.trimmed().toCaseFolded();
        if (g.isEmpty())
            continue;
        if (g == QLatin1String("*.*") || g == QLatin1String("*"))
            c.all = true;
        c.globs << g;
        // "name.*" matches "name" too, as the file list box did.
        if (g.endsWith(QLatin1String(".*")) && g.size() > 2)
            c.globs << g.left(g.size() - 2);
    }
    const size_t slot = next;
    next = (next + 1) % cache.size();
    used = std::max(used, slot + 1);
    cache[slot] = std::move(c);
    return cache[slot];
}

// fileInfo of a path already encoded (relative to the folder `dfd`), without the fault hook.
FileInfo infoAt(const QByteArray& path, int dfd = AT_FDCWD) {
    FileInfo fi;
    struct stat st {};
    if (::fstatat(dfd, path.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fi;
    fi.exists = true;
    fi.isLink = S_ISLNK(st.st_mode);
    if (fi.isLink && ::fstatat(dfd, path.constData(), &st, 0) != 0)
        return fi;
    fi.isFile = S_ISREG(st.st_mode);
    fi.isDir = S_ISDIR(st.st_mode);
    fi.size = st.st_size;
    fi.mtime = st.st_mtim.tv_sec;
    fi.mtimeNs = st.st_mtim.tv_nsec;
    fi.device = st.st_dev;
    fi.inode = st.st_ino;
    return fi;
}

} // namespace

FileInfo fileInfo(const QString& path) {
    if (faultFor(path))
        return {};
    return infoAt(enc(path));
}

FileInfo fileInfoIn(int folder, const QString& path) {
    if (folder < 0)
        return fileInfo(path);
    if (faultFor(path))
        return {};
    return infoAt(enc(lastPiece(path)), folder);
}

namespace {
// The kind of what `path` leads to (links followed); 0 when there is nothing.
mode_t followedKind(const QString& path) {
    if (faultFor(path) || passFault(path))
        return 0;
    struct stat st {};
    if (::stat(enc(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & S_IFMT;
}
} // namespace

bool fileExists(const QString& path) {
    return followedKind(path) == S_IFREG;
}
bool folderExists(const QString& path) {
    return followedKind(path) == S_IFDIR;
}

qint64 fileTime(const QString& path) {
    checkFault(path);
    struct stat st {};
    if (::stat(enc(path).constData(), &st) != 0)
        throwErrno(errno);
    return st.st_mtim.tv_sec;
}

qint64 fileSize(const QString& path) {
    checkFault(path);
    struct stat st {};
    if (::stat(enc(path).constData(), &st) != 0)
        throwErrno(errno);
    return st.st_size;
}

FolderId folderId(const QString& path) {
    struct stat st {};
    if (::stat(enc(path).constData(), &st) != 0)
        return {};
    return FolderId{quint64(st.st_dev), quint64(st.st_ino)};
}

namespace {
QHash<QString, QString>& identityStandIns() {
    static QHash<QString, QString> s;
    return s;
}
} // namespace

void standInIdentity(const QString& alias, const QString& folder) {
    if (alias.isEmpty())
        identityStandIns().clear();
    else
        identityStandIns().insert(resolvedPath(alias), folder);
}

namespace {
int& statxFailure() {
    static int err = 0;
    return err;
}

bool nothingThere(int err) {
    return err == ENOENT || err == ENOTDIR;
}
} // namespace

void failStatx(int err) {
    statxFailure() = err;
}

PlacedFolder::Step folderStep(const QString& path) {
    const auto standIn = identityStandIns().constFind(path);
    const bool alias = standIn != identityStandIns().constEnd();
    const QByteArray p = enc(alias ? *standIn : path);
    PlacedFolder::Step step;
    struct statx sx {};
    int sxErr = statxFailure();
    if (sxErr == 0 && ::statx(AT_FDCWD, p.constData(), 0, STATX_INO, &sx) != 0)
        sxErr = errno;
    if (sxErr == 0) {
        step.id = FolderId{quint64(makedev(sx.stx_dev_major, sx.stx_dev_minor)), quint64(sx.stx_ino)};
        step.mountRoot = alias || ((sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                                   (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT));
        return step;
    }
    if (nothingThere(sxErr))
        return step;
    // A C library or a sandbox without statx: the plain status tells the identity, not the mount.
    struct stat st {};
    int err = faultFor(path);
    if (err == 0 && ::stat(p.constData(), &st) != 0)
        err = errno;
    if (err == 0) {
        step.id = FolderId{quint64(st.st_dev), quint64(st.st_ino)};
        step.mountRoot = true;
    } else if (!nothingThere(err)) {
        step.unknown = true;
    }
    return step;
}

PlacedFolder placeFolder(const QString& path) {
    PlacedFolder f;
    f.path = resolvedPath(path);
    QString p = f.path;
    PlacedFolder::Step step = folderStep(p);
    while (step.id == FolderId{} && !step.unknown && p != QLatin1String("/") && !p.isEmpty()) {
        f.missing.prepend(lastPiece(p));
        p = parentPath(p);
        step = folderStep(p);
    }
    // Not even "/" answered, or a folder on the way did not tell what it is: never judged by text.
    if (step.id == FolderId{}) {
        f.unknown = true;
        return f;
    }
    f.chain.push_back(step);
    while (p != QLatin1String("/") && !p.isEmpty()) {
        p = parentPath(p);
        f.chain.push_back(folderStep(p));
        f.unknown = f.unknown || f.chain.back().id == FolderId{};
    }
    return f;
}

bool isSameOrInside(const PlacedFolder& a, const PlacedFolder& b) {
    if (a.unknown || b.unknown)
        return true;
    const FolderId& top = b.chain.front().id;
    if (b.missing.isEmpty())
        return std::any_of(a.chain.begin(), a.chain.end(), [&](const auto& s) { return s.id == top; });
    // A folder not made yet holds only what lies below the same folder by the same new names.
    return a.chain.front().id == top && a.missing.size() >= b.missing.size() &&
           std::equal(b.missing.begin(), b.missing.end(), a.missing.begin());
}

bool lessName(const QString& a, const QString& b) {
    const int c = nameCollator().compare(a, b);
    return c != 0 ? c < 0 : a < b;
}

void sortNames(QStringList& names) {
    if (names.size() < 64) {
        std::sort(names.begin(), names.end(), lessName);
        return;
    }
    std::vector<FileEntry> v;
    v.reserve(names.size());
    for (const QString& n : names)
        v.push_back(FileEntry{n, 0, 0, false});
    sortEntries(v);
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(v[size_t(i)].name);
}

std::vector<FileEntry> listFiles(const QString& folder) {
    return regularFiles(folder, [](const QString&) { return true; });
}

std::vector<FileEntry> listFiles(const QString& folder, const QString& pattern,
                                 UnreadableEntries* unreadable) {
    return regularFiles(
        folder, [&](const QString& name) { return matchesPattern(name, pattern); }, unreadable);
}

QStringList listFileNames(const QString& folder) {
    QStringList names;
    for (const FileEntry& e : listFiles(folder))
        names << e.name;
    return names;
}

bool countedFileName(unsigned char type, const char* n, const QString& pattern) {
    if (!compiled(pattern).all) {
        bool refused = false;
        if (!matchesPattern(decodeName(n, refused), pattern))
            return false;
    }
    // A killed copy's temporary file is never copied, so it is not counted either.
    if (type != DT_LNK && std::strncmp(n, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) == 0) {
        bool refused = false;
        if (isCopyTemporaryName(decodeName(n, refused)))
            return false;
    }
    return true;
}

int countOpenFolder(int fd, const QString& pattern, long& count,
                    const std::function<void(const QString&, const FolderId&)>& folderLink, quint64* own) {
    count = 0;
    return readOpenFolder(
        fd,
        [&](int dfd, unsigned char type, const char* n) {
            if (type != DT_REG) {
                // A link may lead to a file or a folder; an unknown type must be asked for.
                if (type != DT_LNK && type != DT_UNKNOWN)
                    return;
                struct stat st {};
                if (::fstatat(dfd, n, &st, 0) != 0)
                    return;
                if (S_ISDIR(st.st_mode)) {
                    if (!folderLink)
                        return;
                    struct stat self {};
                    if (type == DT_LNK ||
                        (::fstatat(dfd, n, &self, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(self.st_mode))) {
                        bool refused = false;
                        folderLink(decodeName(n, refused), FolderId{quint64(st.st_dev), quint64(st.st_ino)});
                    }
                    return;
                }
                if (!S_ISREG(st.st_mode))
                    return;
            }
            if (countedFileName(type, n, pattern))
                ++count;
        },
        own);
}

long countFiles(const QString& folder, const QString& pattern) {
    Fd d;
    d.fd = openFolderOrThrow(folder);
    long count = 0;
    if (const int err = countOpenFolder(d.fd, pattern, count))
        throwErrno(err);
    return count;
}

OpenedFolder::OpenedFolder(const QString& folder) : folder_(folder) {
    if (const int fault = faultFor(folder)) {
        error_ = fault;
        return;
    }
    if (const int fault = passFault(folder)) {
        error_ = fault; // nor could its status be read
        return;
    }
    fd_ = openFolder(enc(withTrailingSeparator(folder)));
    if (fd_ >= 0) {
        exists_ = true;
        return;
    }
    error_ = errno;
    // Nothing there, or no folder. Otherwise it may be there all the same (no right to read
    // it, no handle left): its status tells.
    if (error_ != ENOENT && error_ != ENOTDIR)
        exists_ = folderExists(folder);
}

OpenedFolder::~OpenedFolder() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::vector<FileEntry> OpenedFolder::files(const QString& pattern, UnreadableEntries* unreadable) const {
    checkFault(folder_);
    if (fd_ < 0)
        throwErrno(error_ == ENOENT ? ENOTDIR : error_); // as listFiles reports it
    return regularFilesOf(
        fd_, [&](const QString& name) { return matchesPattern(name, pattern); }, entryFault(folder_),
        unreadable);
}

FolderLookup::FolderLookup(const QString& folder) : FolderLookup(-1, folder) {}

FolderLookup::FolderLookup(int folderFd, const QString& folder) {
    if (const int fault = faultFor(folder)) {
        error_ = fault;
        return;
    }
    // The caller's handle is read from the start; nothing else reads entries through it, and a
    // name looked up or opened through it does not depend on where its reading stands.
    owned_ = folderFd < 0;
    fd_ = owned_ ? openFolder(enc(withTrailingSeparator(folder)))
                 : (::lseek(folderFd, 0, SEEK_SET) == 0 ? folderFd : -1);
    if (fd_ < 0) {
        error_ = errno == ENOENT || errno == ENOTDIR ? 0 : errno;
        return;
    }
    // Names are kept so that a name the folder lacks costs no lookup on disk, which on a folder
    // being filled is the common case. They lie in one block, looked up by binary search.
    struct Span {
        qsizetype at, length;
        unsigned char type;
    };
    std::vector<Span> spans;
    const int err = readOpenFolder(fd_, [&](int, unsigned char type, const char* n) {
        const qsizetype length = qsizetype(std::strlen(n));
        spans.push_back(Span{names_.size(), length, type});
        names_.append(n, length);
        if (std::strncmp(n, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) == 0) {
            bool refused = false;
            const QString name = decodeName(n, refused);
            if (!refused)
                temporary_ << name;
        }
    });
    if (err != 0) {
        if (owned_)
            ::close(fd_);
        fd_ = -1;
        error_ = err;
        names_.clear();
        temporary_.clear();
        return;
    }
    index_.reserve(spans.size());
    for (const Span& sp : spans)
        index_.push_back(Name{QByteArrayView(names_.constData() + sp.at, sp.length), sp.type});
    std::sort(index_.begin(), index_.end());
}

FolderLookup::~FolderLookup() {
    if (fd_ >= 0 && owned_)
        ::close(fd_);
}

const FolderLookup::Name* FolderLookup::entry(const QByteArray& raw) const {
    if (fd_ < 0)
        return nullptr;
    const Name key{QByteArrayView(raw), DT_UNKNOWN};
    const auto it = std::lower_bound(index_.begin(), index_.end(), key);
    return it != index_.end() && it->name == QByteArrayView(raw) ? &*it : nullptr;
}

bool FolderLookup::find(const QString& name, FileEntry& out) const {
    if (name.isEmpty())
        return false;
    const QByteArray raw = enc(name);
    struct stat st {};
    if (!entry(raw) || ::fstatat(fd_, raw.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
        return false;
    out = FileEntry{name, st.st_size, st.st_mtim.tv_sec, false};
    return true;
}

FolderLookup::Kind FolderLookup::look(const QString& name, FileEntry& out) const {
    if (name.isEmpty())
        return Kind::None;
    const QByteArray raw = enc(name);
    const Name* e = entry(raw);
    if (!e)
        return Kind::None;
    if (e->type == DT_LNK)
        return Kind::Link;
    if (e->type != DT_REG && e->type != DT_UNKNOWN)
        return Kind::None;
    // Read now, not followed: a file replaced by a link since the folder was read is a link.
    struct stat st {};
    if (::fstatat(fd_, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::None;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    if (!S_ISREG(st.st_mode))
        return Kind::None;
    out = FileEntry{name, st.st_size, st.st_mtim.tv_sec, false};
    return Kind::File;
}

QString FolderLookup::otherSpelling(const QString& name) const {
    const QString folded = name.toCaseFolded();
    for (const Name& e : index_) {
        bool refused = false;
        const QString other = decodeName(QByteArray(e.name.data(), e.name.size()).constData(), refused);
        if (!refused && other != name && other.toCaseFolded() == folded)
            return other;
    }
    return QString();
}

std::vector<FolderEntry> listFolderEntries(const QString& folder, UnreadableEntries* unreadable) {
    std::vector<FolderEntry> out;
    UnreadableEntries failed;
    const int fault = entryFault(folder);
    readEntries(folder, [&](int dfd, unsigned char type, const char* n) {
        bool link = false;
        struct stat st {};
        int err = 0;
        bool refused = false;
        if (isFolderOrLinkToOne(dfd, type, n, link, st, err, fault))
            out.push_back(FolderEntry{decodeName(n, refused), link});
        else if (err)
            failed.push_back(UnreadableEntry{decodeName(n, refused), err});
    });
    sortEntries(out);
    sortEntries(failed);
    passUnreadable(std::move(failed), unreadable);
    return out;
}

QStringList listFolders(const QString& folder) {
    QStringList out;
    for (FolderEntry& e : listFolderEntries(folder))
        out << std::move(e.name);
    return out;
}

bool isRefusedName(const QString& path) {
    const QString p = withoutTrailingSeparator(path);
    const QString name = lastPiece(p);
    if (!name.contains(QLatin1Char('?')) || faultFor(p))
        return false;
    struct stat st {};
    if (::lstat(enc(p).constData(), &st) == 0)
        return false; // '?' is an ordinary character of a name that is there as written
    Fd d;
    d.fd = openFolder(enc(withTrailingSeparator(parentPath(p))));
    if (d.fd < 0)
        return false;
    bool found = false;
    readOpenFolder(d.fd, [&](int, unsigned char, const char* n) {
        bool refused = false;
        if (!found && decodeName(n, refused) == name && refused)
            found = true;
    });
    return found;
}

bool matchesPattern(const QString& name, const QString& pattern) {
    const CompiledPattern& c = compiled(pattern);
    if (c.all)
        return true;
    if (c.globs.isEmpty())
        return false;
    const QString n = name.toCaseFolded();
    for (const QString& g : c.globs)
        if (globMatch(n.constData(), n.size(), g.constData(), g.size()))
            return true;
    return false;
}

// --- copying ---------------------------------------------------------------------------------

namespace {

// Sizes each block so that copying it takes about a quarter of a second on the disk at hand: the
// stop, pause and close requests are looked for between blocks, and must be seen within a second
// even on a disk writing a third of a MB a second. It starts small, halves or shrinks to the rate
// measured after a slow block and doubles after a quick one.
class BlockPacer {
  public:
    size_t next(size_t left) {
        started_ = std::chrono::steady_clock::now();
        return size_t(qMin<qint64>(qint64(size_), qint64(left)));
    }
    void took(ssize_t bytes) {
        const auto spent = std::chrono::steady_clock::now() - started_;
        if (spent > kTarget) {
            const double rate = double(bytes) / std::chrono::duration<double>(spent).count();
            size_ = std::clamp(size_t(rate * std::chrono::duration<double>(kTarget).count()), kLeast,
                               size_ / 2 > kLeast ? size_ / 2 : kLeast);
        } else if (spent < kTarget / 4 && size_t(bytes) == size_) {
            size_ = qMin(size_ * 2, kMost);
        }
    }

  private:
    static constexpr size_t kLeast = 64u << 10;
    static constexpr size_t kMost = 1u << 20;
    static constexpr auto kTarget = std::chrono::milliseconds(250);
    size_t size_ = 128u << 10;
    std::chrono::steady_clock::time_point started_;
};

bool rangeNotOffered(int err) {
    return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP || err == EBADF ||
           err == ETXTBSY || err == EPERM;
}

// Copies the bytes [from, to) of `in` to the same place in `out`. Returns 0 or an errno.
int copyRange(int in, int out, off_t from, off_t to, bool& useRange, BlockPacer& pacer, qint64& done,
              const std::function<bool()>& cancelled, const std::function<void(qint64)>& progress,
              bool& wasCancelled) {
    thread_local std::vector<char> buffer(1u << 20);
    while (from < to) {
        ssize_t r = -1;
        const size_t block = pacer.next(size_t(qMin<off_t>(off_t(buffer.size()), to - from)));
        if (useRange) {
            off_t inAt = from, outAt = from;
            r = ::copy_file_range(in, &inAt, out, &outAt, block, 0);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 && !rangeNotOffered(errno))
                return errno;
            if (r <= 0) {
                useRange = false;
                continue;
            }
        } else {
            r = ::pread(in, buffer.data(), block, from);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return errno;
            if (r == 0)
                return 0; // shorter than it was: the caller notices the change
            for (ssize_t off = 0; off < r;) {
                const ssize_t w = ::pwrite(out, buffer.data() + off, size_t(r - off), from + off);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    return errno;
                off += w;
            }
        }
        pacer.took(r);
        from += r;
        done = from;
        if (progress)
            progress(done);
        if (cancelled && cancelled()) {
            wasCancelled = true;
            return 0;
        }
    }
    return 0;
}

// A file with holes (a disk image) is copied by its data only, the holes left unwritten, so the
// copy takes no more room than the original. Returns -1 where the file system cannot tell the
// holes (nothing written yet), else 0 or an errno.
int copyHoles(int in, int out, qint64 size, const std::function<bool()>& cancelled,
              const std::function<void(qint64)>& progress, bool& wasCancelled, qint64& done) {
    bool useRange = true;
    BlockPacer pacer;
    // A hole passed over counts as copied, and a stop is looked for as after any piece.
    const auto passHole = [&](off_t to) {
        done = to;
        if (progress)
            progress(done);
        wasCancelled = cancelled && cancelled();
        return wasCancelled;
    };
    for (off_t at = 0; at < size;) {
        off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            data = size; // a hole to the end
        else if (data < 0)
            return at == 0 && (errno == EINVAL || errno == EOPNOTSUPP) ? -1 : errno;
        if (data > at && passHole(qMin<off_t>(data, size)))
            return 0;
        if (data >= size)
            break;
        const off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            return errno;
        const off_t end = qMin<off_t>(hole, size);
        if (const int e =
                copyRange(in, out, data, end, useRange, pacer, done, cancelled, progress, wasCancelled))
            return e;
        if (wasCancelled || done < end)
            return 0; // stopped, or shorter than it was
        at = end;
    }
    if (::ftruncate(out, size) != 0)
        return errno;
    done = size;
    return 0;
}

// Copies `in` to `out` with copy_file_range (reflinks or in-kernel copies where the
// file system can), falling back to read/write where it cannot. `holes`: the source takes less
// room than its size, and its holes are kept. Returns 0 or an errno.
int copyData(int in, int out, qint64 size, bool holes, const std::function<bool()>& cancelled,
             const std::function<void(qint64)>& progress, bool& wasCancelled, qint64& done) {
    done = 0;
    if (holes && size > 0) {
        if (const int e = copyHoles(in, out, size, cancelled, progress, wasCancelled, done); e >= 0)
            return e;
    }
    // No more than the size read at the start: a file that keeps growing (a log being written)
    // must not keep the copy going; the caller notices the change.
    const bool bounded = size > 0;
    thread_local std::vector<char> buffer(1u << 20);
    BlockPacer pacer;
    auto want = [&] {
        return pacer.next(bounded ? size_t(qMin<qint64>(qint64(buffer.size()), size - done)) : buffer.size());
    };
    bool useRange = bounded;
    while (useRange && done < size) {
        const ssize_t r = ::copy_file_range(in, nullptr, out, nullptr, want(), 0);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            if (rangeNotOffered(errno))
                break; // not offered here: go on with read/write from the same offsets
            return errno;
        }
        if (r == 0)
            break; // end of file, or a file system that copies nothing this way: read/write tells
        pacer.took(r);
        done += r;
        if (progress)
            progress(done);
        if (cancelled && cancelled()) {
            wasCancelled = true;
            return 0;
        }
    }
    for (;;) {
        if (bounded && done >= size)
            return 0;
        const ssize_t r = ::read(in, buffer.data(), want());
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (r == 0)
            return 0;
        ssize_t off = 0;
        while (off < r) {
            const ssize_t w = ::write(out, buffer.data() + off, size_t(r - off));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            off += w;
        }
        pacer.took(r);
        done += r;
        if (progress)
            progress(done);
        if (cancelled && cancelled()) {
            wasCancelled = true;
            return 0;
        }
    }
}

std::function<void(const QString&, const QString&)>& copyHook() {
    static std::function<void(const QString&, const QString&)> hook;
    return hook;
}

std::function<void(const QString&, const QString&)>& swapHook() {
    static std::function<void(const QString&, const QString&)> hook;
    return hook;
}

// The entry of `target`'s folder that a letter-case-folding disk would take for `target`
// (standInCaseFolding); `target` itself where the folder does not fold or holds no other spelling.
// With `inFolder`, the entry's name alone, as it is reached through the folder's handle.
QByteArray foldedTarget(const QString& target, bool inFolder = false) {
    const QString folder = parentPath(target);
    const QString other =
        foldsCaseByStandIn(folder) ? FolderLookup(folder).otherSpelling(lastPiece(target)) : QString();
    if (other.isEmpty())
        return enc(inFolder ? lastPiece(target) : target);
    return enc(inFolder ? other : joinPath(folder, other));
}

bool exchangeUnsupported(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool sameFile(const FileInfo& a, const FileInfo& b) {
    if (!a.exists || !b.exists)
        return a.exists == b.exists;
    return a.isLink == b.isLink && a.isFile == b.isFile && a.size == b.size && a.mtime == b.mtime &&
           a.mtimeNs == b.mtimeNs && a.device == b.device && a.inode == b.inode;
}

constexpr qsizetype kRandomLength = 6;
constexpr qsizetype kCheckLength = 6;

// Six letters or digits computed from the rest of a temporary name.
QString temporaryCheck(QStringView stem) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData("tamrel-backup temporary file\n");
    h.addData(stem.toUtf8());
    const QByteArray digest = h.result();
    QString check;
    for (qsizetype i = 0; i < kCheckLength; ++i)
        check += QLatin1Char("abcdefghijklmnopqrstuvwxyz0123456789"[quint8(digest.at(i)) % 36]);
    return check;
}

bool isAlnum(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}
} // namespace

QString temporaryName(const QString& targetName, const QString& kind) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // Never half a character: the name on disk must read back as the name the check was made of.
    const qsizetype keep = targetName.size() > 40 && targetName.at(39).isHighSurrogate() ? 39 : 40;
    QString stem = QLatin1String(kTemporaryPrefix) + kind + targetName.left(keep) + QLatin1Char('.');
    for (qsizetype i = 0; i < kRandomLength; ++i)
        stem += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
    return stem + temporaryCheck(stem);
}

bool isCopyTemporaryName(const QString& name) {
    const qsizetype prefix = qsizetype(sizeof kTemporaryPrefix - 1);
    const qsizetype tail = kRandomLength + kCheckLength;
    if (!name.startsWith(QLatin1String(kTemporaryPrefix)) || name.size() < prefix + 2 + tail ||
        name.at(name.size() - tail - 1) != QLatin1Char('.'))
        return false;
    for (qsizetype i = name.size() - tail; i < name.size(); ++i)
        if (!isAlnum(name.at(i).unicode()))
            return false;
    const QStringView stem = QStringView(name).left(name.size() - kCheckLength);
    return temporaryCheck(stem) == QStringView(name).right(kCheckLength);
}

void removeLeftoverTemporaries(const QString& folder, const QStringList& names,
                               const std::function<bool(const QString&)>& keep,
                               const std::function<bool(const QString&)>& isLeftover, int folderFd) {
    for (const QString& name : names) {
        if (!isLeftover(name) || (keep && keep(name)))
            continue;
        const QString path = joinPath(folder, name);
        const FileInfo fi = fileInfoIn(folderFd, path);
        if (!fi.isFile || fi.isLink)
            continue;
        try {
            removeFile(path, folderFd);
        } catch (const RunError&) {
        }
    }
}

void setCopyHook(std::function<void(const QString& source, const QString& target)> hook) {
    copyHook() = std::move(hook);
}

void setSwapHook(std::function<void(const QString& source, const QString& target)> hook) {
    swapHook() = std::move(hook);
}

bool timeWithinGrain(qint64 copyTime, qint64 sourceTime) {
    const qint64 d = copyTime - sourceTime;
    return d >= -1 && d <= 2;
}

void copyKeepTime(const QString& source, const QString& target, const std::function<bool()>& cancelled,
                  const std::function<void(qint64)>& progress, CopiedSizes* sizes,
                  const FileInfo* expectedTarget, int targetFolder) {
    checkFault(source);
    checkFault(target);
    Fd in;
    // O_NONBLOCK: opening a FIFO must not hang; it is refused below.
    in.fd = ::open(enc(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in.fd < 0)
        throwErrno(errno);
    struct stat st {};
    if (::fstat(in.fd, &st) != 0)
        throwErrno(errno);
    if (!S_ISREG(st.st_mode))
        throwError(75);
    ::fcntl(in.fd, F_SETFL, 0); // clears O_NONBLOCK, the only status flag opened with
    // A small file is read whole by the default read-ahead.
    if (st.st_size > (1 << 20))
        ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    // Through the target folder's handle, the copy goes into the folder that was checked, whatever
    // its path leads to meanwhile.
    const bool inFolder = targetFolder >= 0;
    const int dfd = inFolder ? targetFolder : AT_FDCWD;
    const QString folder =
        inFolder
            ? QString()
            : withTrailingSeparator(parentPath(target).isEmpty() ? QStringLiteral(".") : parentPath(target));
    QByteArray tmpPath;
    Fd out;
    checkCreateFault(target);
    for (int attempt = 0; out.fd < 0; ++attempt) {
        tmpPath = enc(folder + temporaryName(lastPiece(target)));
        out.fd = ::openat(dfd, tmpPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out.fd < 0 && (errno != EEXIST || attempt == 100)) {
            const int e = errno;
            throwCreationError(e == ENOENT ? ENOTDIR : e); // the target's folder is missing: path not found
        }
    }
    auto discard = [&] {
        if (out.fd >= 0) {
            ::close(out.fd);
            out.fd = -1;
        }
        ::unlinkat(dfd, tmpPath.constData(), 0);
    };
    auto failWith = [&](int err) {
        discard();
        throwErrno(err ? err : EIO);
    };

    bool wasCancelled = false;
    qint64 written = 0;
    const bool holes = qint64(st.st_blocks) * 512 < qint64(st.st_size);
    if (const int e = copyData(in.fd, out.fd, st.st_size, holes, cancelled, progress, wasCancelled, written))
        failWith(e);
    if (wasCancelled) {
        discard();
        throw RunError{0, QStringLiteral("Avbruten")};
    }
    if (copyHook())
        copyHook()(source, target);
    struct stat after {};
    if (::fstat(in.fd, &after) != 0)
        failWith(errno);
    if (after.st_size != st.st_size || !sameTime(after.st_mtim, st.st_mtim)) {
        discard();
        throw RunError{kSourceChanged, QStringLiteral("Källfilen ändrades medan den kopierades")};
    }
    if (const int fault = faultFor(target, u"#write"))
        failWith(fault);
    // Permission bits and times are kept where the target's file system can hold them (a FAT
    // stick cannot keep permission bits, and that must not stop the backup); what time the copy
    // really got is read once it is in place.
    ::fchmod(out.fd, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const int timeFault = faultFor(target, u"#time");
    const bool timeSet = timeFault ? (errno = timeFault, false) : ::futimens(out.fd, times) == 0;
    if (!timeSet && errno != EPERM && errno != EOPNOTSUPP)
        failWith(errno);
    // Closing the copy reports what a network disk could not write. Where the copy takes a
    // target's place in a step that can be taken back (the exchange, or a name where there was
    // none), it stays open across that step, is looked at through its handle once in place, and a
    // close that fails takes the step back. Elsewhere it is closed first, and looked at by name.
    struct stat placed {};
    bool read = false;
    const auto closeCopy = [&] {
        const int closed = ::close(out.fd);
        out.fd = -1;
        if (closed != 0)
            failWith(errno);
    };
    const auto settle = [&](const std::function<void()>& undo) {
        read = sizes && ::fstat(out.fd, &placed) == 0;
        const int closed = ::close(out.fd);
        out.fd = -1;
        if (closed != 0) {
            const int e = errno;
            undo();
            failWith(e);
        }
    };
    const auto targetChanged = [&](bool nameTaken) {
        discard();
        if (sizes)
            sizes->nameTaken = nameTaken;
        throw RunError{kTargetChanged,
                       QStringLiteral("Målfilen ändrades under kopieringen och ersattes inte")};
    };
    const QByteArray targetPath = foldedTarget(target, inFolder);
    const auto renameOver = [&] {
        closeCopy();
        if (::renameat(dfd, tmpPath.constData(), dfd, targetPath.constData()) != 0) {
            const int e = errno;
            discard();
            throwCreationError(e); // the part of a long name the temporary did not carry
        }
        read = sizes && ::fstatat(dfd, targetPath.constData(), &placed, AT_SYMLINK_NOFOLLOW) == 0;
    };
    // Where neither the exchange nor the refusal to replace is offered (a FUSE disk): a look, then
    // the rename. Something found where there was nothing is a name taken there, as above.
    const auto lookThenRename = [&] {
        if (!sameFile(*expectedTarget, fileInfoIn(targetFolder, target)))
            targetChanged(!expectedTarget->exists);
        renameOver();
    };
    const auto exchange = [&] {
        return ::renameat2(dfd, tmpPath.constData(), dfd, targetPath.constData(), RENAME_EXCHANGE);
    };
    if (swapHook())
        swapHook()(source, target);
    if (!expectedTarget) {
        renameOver();
    } else if (!expectedTarget->exists) {
        if (::renameat2(dfd, tmpPath.constData(), dfd, targetPath.constData(), RENAME_NOREPLACE) == 0) {
            settle([&] { ::renameat(dfd, targetPath.constData(), dfd, tmpPath.constData()); });
        } else {
            if (errno == EEXIST)
                targetChanged(true);
            if (!exchangeUnsupported(errno))
                failWith(errno);
            lookThenRename();
        }
    } else if (exchange() == 0) {
        // What came out stood at the target's name: the file decided on, or one saved since.
        if (!sameFile(*expectedTarget, infoAt(tmpPath, dfd))) {
            if (exchange() != 0 && ::renameat(dfd, tmpPath.constData(), dfd, targetPath.constData()) != 0)
                throwErrno(errno); // the saved file is still there, under the temporary name
            targetChanged(false);
        }
        settle([&] { exchange(); });
        ::unlinkat(dfd, tmpPath.constData(), 0); // the old target; should this fail, a later copy removes it
    } else if (errno == ENOENT) {
        targetChanged(false); // gone meanwhile
    } else if (exchangeUnsupported(errno)) {
        lookThenRename();
    } else {
        failWith(errno);
    }
    if (sizes) {
        // Not read: what setting the time said.
        *sizes = CopiedSizes{after.st_size, written, st.st_mtim.tv_sec,
                             read      ? qint64(placed.st_mtim.tv_sec)
                             : timeSet ? qint64(st.st_mtim.tv_sec)
                                       : -1};
        sizes->timeKept = timeWithinGrain(sizes->targetTime, sizes->sourceTime);
    }
}

void placeCopy(const QString& from, const QString& target, CopiedSizes& sizes, const FileInfo& expectedTarget,
               int targetFolder) {
    checkFault(from);
    checkFault(target);
    const bool inFolder = targetFolder >= 0;
    const int dfd = inFolder ? targetFolder : AT_FDCWD;
    const QByteArray fromPath = enc(inFolder ? lastPiece(from) : from);
    const QByteArray targetPath = foldedTarget(target, inFolder);
    const auto changed = [&](bool nameTaken) {
        sizes.nameTaken = nameTaken;
        throw RunError{kTargetChanged,
                       QStringLiteral("Målfilen ändrades under kopieringen och ersattes inte")};
    };
    const auto lookThenRename = [&] {
        if (!sameFile(expectedTarget, fileInfoIn(targetFolder, target)))
            changed(!expectedTarget.exists);
        if (::renameat(dfd, fromPath.constData(), dfd, targetPath.constData()) != 0)
            throwCreationError(errno);
    };
    if (swapHook())
        swapHook()(from, target);
    if (!expectedTarget.exists) {
        if (::renameat2(dfd, fromPath.constData(), dfd, targetPath.constData(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST)
                changed(true);
            if (!exchangeUnsupported(errno))
                throwCreationError(errno);
            lookThenRename();
        }
    } else if (::renameat2(dfd, fromPath.constData(), dfd, targetPath.constData(), RENAME_EXCHANGE) == 0) {
        if (!sameFile(expectedTarget, infoAt(fromPath, dfd))) {
            if (::renameat2(dfd, fromPath.constData(), dfd, targetPath.constData(), RENAME_EXCHANGE) != 0)
                throwErrno(errno); // the saved file is still there, under the copy's name
            changed(false);
        }
        ::unlinkat(dfd, fromPath.constData(), 0); // the old target; should this fail, a later copy removes it
    } else if (const int e = errno; e == ENOENT && infoAt(fromPath, dfd).exists) {
        changed(false); // gone meanwhile
    } else if (exchangeUnsupported(e)) {
        lookThenRename();
    } else {
        throwErrno(e);
    }
    if (faultFor(target, u"#time"))
        ::utimensat(dfd, targetPath.constData(), nullptr, AT_SYMLINK_NOFOLLOW);
    struct stat placed {};
    const bool read =
        ::fstatat(dfd, targetPath.constData(), &placed, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(placed.st_mode);
    sizes.targetTime = read ? qint64(placed.st_mtim.tv_sec) : qint64(-1);
    sizes.timeKept = read && timeWithinGrain(sizes.targetTime, sizes.sourceTime);
}

// --- removing --------------------------------------------------------------------------------

void removeFile(const QString& path, int folder) {
    checkFault(path);
    const int done = folder < 0 ? ::unlink(enc(path).constData())
                                : ::unlinkat(folder, enc(lastPiece(path)).constData(), 0);
    if (done != 0)
        throwErrno(errno);
}

void removeFolder(const QString& path) {
    checkFault(path);
    if (::rmdir(enc(path).constData()) != 0)
        throwErrno(errno);
}

namespace {
// Works on the raw bytes of names, so that names that are not valid UTF-8 go too.
void removeTree(const QByteArray& path) {
    struct stat lst {};
    if (::lstat(path.constData(), &lst) != 0)
        throwErrno(errno);
    if (!S_ISDIR(lst.st_mode)) {
        if (::unlink(path.constData()) != 0)
            throwErrno(errno);
        return;
    }
    DIR* d = ::opendir(path.constData());
    if (!d)
        throwErrno(errno);
    std::vector<QByteArray> children;
    while (dirent* e = ::readdir(d))
        if (!isDotOrDotDot(e->d_name))
            children.emplace_back(e->d_name);
    ::closedir(d);
    for (const QByteArray& c : children)
        removeTree(path + '/' + c);
    if (::rmdir(path.constData()) != 0)
        throwErrno(errno);
}
} // namespace

void removeFolderRecursively(const QString& path) {
    checkFault(path);
    removeTree(enc(withoutTrailingSeparator(path)));
}

void deleteForGood(const QString& path) {
    removeFolderRecursively(path);
}

namespace {
std::function<bool(const QString&, QString*)>& trashMoveHook() {
    static std::function<bool(const QString&, QString*)> hook;
    return hook;
}

// The trash folder `inTrash` went into is the one meant: the home trash, or a trash at the top of
// the disk the item lay on (".Trash-UID", or "UID" in ".Trash"), never a folder Qt falls back to.
bool insideTrashMeant(const QString& inTrash, quint64 device) {
    const QString files = parentPath(inTrash);
    if (lastPiece(files) != QLatin1String("files"))
        return false;
    const QString trash = parentPath(files);
    const FolderId at = folderId(trash);
    if (at.inode == 0)
        return false;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty() && folderId(joinPath(data, QStringLiteral("Trash"))) == at)
        return true;
    if (at.device != device)
        return false;
    const QString uid = QString::number(::getuid());
    QString top;
    if (lastPiece(trash) == QStringLiteral(".Trash-") + uid)
        top = parentPath(trash);
    else if (lastPiece(trash) == uid && lastPiece(parentPath(trash)) == QLatin1String(".Trash"))
        top = parentPath(parentPath(trash));
    else
        return false;
    return top == QLatin1String("/") || folderStep(top).mountRoot;
}

// Takes back a move to the trash: the item to its place (never over anything), its record away;
// with `noTrash`, the folders made for a trash that was none too, when nothing else is in them.
void putBack(const QString& inTrash, const QString& path, bool noTrash) {
    const QString trash = parentPath(parentPath(inTrash));
    if (::renameat2(AT_FDCWD, enc(inTrash).constData(), AT_FDCWD, enc(path).constData(), RENAME_NOREPLACE) !=
        0)
        throwErrno(errno);
    const QString info =
        joinPath(joinPath(trash, QStringLiteral("info")), lastPiece(inTrash) + QStringLiteral(".trashinfo"));
    ::unlink(enc(info).constData());
    if (!noTrash)
        return;
    ::rmdir(enc(joinPath(trash, QStringLiteral("info"))).constData());
    ::rmdir(enc(joinPath(trash, QStringLiteral("files"))).constData());
}
} // namespace

void setTrashMoveHook(std::function<bool(const QString& path, QString* inTrash)> hook) {
    trashMoveHook() = std::move(hook);
}

QString moveToTrash(const QString& path, const FileInfo* expected) {
    checkFault(path);
    const QString p = withoutTrailingSeparator(path);
    struct stat lst {};
    if (::lstat(enc(p).constData(), &lst) != 0)
        throwErrno(errno);
    // Qt would look for a free record name for ever.
    if (enc(lastPiece(p)).size() > kTrashNameMax)
        throw RunError{75, QStringLiteral("Namnet är för långt för papperskorgen")};
    // Without the user's data folder Qt cannot make the home trash and moves the item into
    // "files/" of the current folder instead, where nobody would look for it.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        QDir().mkpath(data);
    QString inTrash;
    if (!(trashMoveHook() ? trashMoveHook()(p, &inTrash) : QFile::moveToTrash(p, &inTrash)))
        throwError(75);
    if (inTrash.isEmpty() || !infoAt(enc(inTrash)).exists)
        throwError(75);
    if (!insideTrashMeant(inTrash, quint64(lst.st_dev))) {
        putBack(inTrash, p, true);
        throw RunError{75, QStringLiteral("Papperskorgen kunde inte användas")};
    }
    if (expected && !sameFile(*expected, infoAt(enc(inTrash)))) {
        putBack(inTrash, p, false);
        throw RunError{kTargetChanged,
                       QStringLiteral("Målfilen ändrades under kopieringen och ersattes inte")};
    }
    // The result is checked: the path must really be gone.
    if (::lstat(enc(p).constData(), &lst) == 0)
        throwError(75);
    return inTrash;
}

int folderWriteError(const QString& folder) {
    const QString dir = withoutTrailingSeparator(folder);
    if (const int fault = faultFor(dir, u"#write"))
        return fault;
    const QByteArray probe = enc(withTrailingSeparator(dir) + temporaryName(QStringLiteral("skrivprov")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    ::close(fd);
    ::unlink(probe.constData());
    return 0;
}

bool keepsTimes(const QString& folder) {
    const QString dir = withoutTrailingSeparator(folder);
    if (faultFor(dir, u"#time"))
        return false;
    const QByteArray probe = enc(withTrailingSeparator(dir) + temporaryName(QStringLiteral("tidsprov")));
    const QByteArray placed = enc(withTrailingSeparator(dir) + temporaryName(QStringLiteral("tidsprov")));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    constexpr time_t kPast = 1'000'000'000; // 2001, never the time of a write
    const struct timespec times[2] = {{kPast, 0}, {kPast, 0}};
    const bool wrote = ::write(fd, "t", 1) == 1;
    const bool set = wrote && ::futimens(fd, times) == 0;
    ::close(fd);
    struct stat st {};
    const bool renamed = ::rename(probe.constData(), placed.constData()) == 0;
    const bool read = ::stat((renamed ? placed : probe).constData(), &st) == 0;
    ::unlink((renamed ? placed : probe).constData());
    if (!wrote || !read)
        return true; // nothing to tell by
    return set && timeWithinGrain(st.st_mtim.tv_sec, kPast);
}

bool sameContent(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(1 << 20);
        if (x.isEmpty() || x != fb.read(1 << 20))
            return false;
    }
    return true;
}

void renamePath(const QString& from, const QString& to) {
    checkFault(from);
    checkFault(to);
    if (::rename(enc(from).constData(), enc(to).constData()) != 0)
        throwErrno(errno);
}

} // namespace platform
