#include "platform/paths.h"

#include "platform/dir_entries.h"
#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

QString withoutTrailingSeparator(const QString& path) {
    if (path.size() > 1 && path.endsWith('/'))
        return path.left(path.size() - 1);
    return path;
}

QString withTrailingSeparator(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

QString lastPiece(const QString& path) {
    const qsizetype i = path.lastIndexOf('/');
    return i < 0 ? path : path.mid(i + 1);
}

QString parentPath(const QString& path) {
    const qsizetype i = path.lastIndexOf('/');
    if (i < 0)
        return {};
    if (i == 0)
        return QStringLiteral("/");
    return path.left(i);
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    QString n = name;
    while (n.startsWith('/'))
        n.remove(0, 1);
    return withTrailingSeparator(folder) + n;
}

QString fitToBytes(const QString& text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes)
        return text;
    const QString mark = QStringLiteral("…");
    qsizetype room = maxBytes - mark.toUtf8().size();
    qsizetype end = 0;
    while (end < text.size()) {
        // A surrogate pair is one character: it is kept or dropped whole.
        const qsizetype step = text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const qsizetype bytes = text.mid(end, step).toUtf8().size();
        if (bytes > room)
            break;
        room -= bytes;
        end += step;
    }
    return end == 0 && room < 0 ? QString() : text.left(end) + mark;
}

QString relativeTarget(const QString& backupFolder, const QString& sourceFolder) {
    QString src = sourceFolder;
    while (src.startsWith('/'))
        src.remove(0, 1);
    QString t = withTrailingSeparator(backupFolder) + src;
    return withTrailingSeparator(t);
}

QString sourceFromRelativeTarget(const QString& backupFolder, const QString& targetFolder) {
    const QString base = withTrailingSeparator(backupFolder);
    const QString t = withTrailingSeparator(targetFolder);
    if (!t.startsWith(base))
        return {};
    return QStringLiteral("/") + t.mid(base.size());
}

namespace {
QStringList& volumeParents() {
    static QStringList parents;
    return parents;
}
} // namespace

void addVolumeParent(const QString& folder) {
    volumeParents() << withTrailingSeparator(folder);
}
void clearVolumeParents() {
    volumeParents().clear();
}

QString volumeRoot(const QString& path) {
    for (const QString& parent : std::as_const(volumeParents())) { // read by several threads at once
        if (path.startsWith(parent)) {
            const QString rest = path.mid(parent.size());
            const QString name = rest.section('/', 0, 0, QString::SectionSkipEmpty);
            if (!name.isEmpty())
                return parent + name;
        }
    }
    // Most paths lie on "/": they are told by their first piece without cutting the path up.
    qsizetype i = 0;
    while (i < path.size() && path.at(i) == '/')
        ++i;
    const QStringView rest = QStringView(path).mid(i);
    if (!rest.startsWith(QLatin1String("media/")) && !rest.startsWith(QLatin1String("run/")) &&
        !rest.startsWith(QLatin1String("mnt/")))
        return QStringLiteral("/");
    const QStringList parts = path.split('/', Qt::SkipEmptyParts);
    if (parts.size() >= 3 && parts[0] == QLatin1String("media"))
        return QStringLiteral("/media/%1/%2").arg(parts[1], parts[2]);
    if (parts.size() >= 4 && parts[0] == QLatin1String("run") && parts[1] == QLatin1String("media"))
        return QStringLiteral("/run/media/%1/%2").arg(parts[2], parts[3]);
    if (parts.size() >= 2 && parts[0] == QLatin1String("mnt"))
        return QStringLiteral("/mnt/%1").arg(parts[1]);
    return QStringLiteral("/");
}

bool volumeFolderPresent(const QString& root) {
    if (root == QLatin1String("/"))
        return true;
    if (faultFor(root))
        return false;
    const QByteArray r = QFile::encodeName(root);
    struct stat st {};
    if (::stat(r.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    // A mount point lies on another device than its parent folder.
    struct stat parent {};
    if (::stat(QFile::encodeName(parentPath(root)).constData(), &parent) == 0 && parent.st_dev != st.st_dev)
        return true;
    DIR* d = ::opendir(r.constData());
    if (!d)
        return false;
    bool any = false;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))) {
            any = true;
            break;
        }
    }
    ::closedir(d);
    return any;
}

bool volumePresent(const QString& path) {
    return volumeFolderPresent(volumeRoot(path));
}

bool isNetworkPath(const QString& path) {
    if (path.startsWith(QLatin1String("//")))
        return true;
    QString p = path;
    while (!p.isEmpty() && !QFileInfo::exists(p))
        p = parentPath(p);
    if (p.isEmpty())
        return false;
    const QByteArray type = QStorageInfo(p).fileSystemType().toLower();
    return type == "cifs" || type == "smb3" || type == "nfs" || type == "nfs4" || type == "fuse.sshfs" ||
           type == "smbfs";
}

bool isSameOrBelow(const QString& path, const QString& folder) {
    // As withoutTrailingSeparator and withTrailingSeparator would have it, without making texts:
    // this is asked for every folder of a run.
    QStringView f(folder), p(path);
    if (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    if (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    if (p == f)
        return true;
    if (f.endsWith(u'/'))
        return p.startsWith(f);
    return p.size() > f.size() && p.startsWith(f) && p[f.size()] == u'/';
}

bool volumePresentAt(const QString& existingPath) {
    const QString root = volumeRoot(existingPath);
    if (root == QLatin1String("/"))
        return true;
    if (faultFor(root))
        return false;
    // A path below the volume folder is an entry of it, which is what the full test looks for.
    if (existingPath.startsWith(root) && existingPath.size() > root.size() + 1 &&
        existingPath.at(root.size()) == '/')
        return true;
    return volumeFolderPresent(root);
}

namespace {

bool isFolder(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes `f` and the parents it lacks: each folder is asked for once, by making it; a parent is
// looked at only when the folder could not be made for want of it. False when `f` was there.
bool makeMissing(const QString& f) {
    checkFault(f);
    checkCreateFault(f);
    const QByteArray p = QFile::encodeName(f);
    if (::mkdir(p.constData(), 0777) == 0)
        return true;
    int e = errno;
    if (e == ENOENT) {
        const QString parent = parentPath(f);
        if (parent.isEmpty() || parent == QLatin1String("/"))
            throwError(76);
        makeMissing(parent);
        if (::mkdir(p.constData(), 0777) == 0)
            return true;
        e = errno;
    }
    if (e == EEXIST) {
        if (isFolder(p))
            return false;
        throwError(76); // a file or a dangling link has the name
    }
    throwCreationError(e);
}

} // namespace

void makePath(const QString& folder) {
    const QString f = withoutTrailingSeparator(folder);
    if (f.isEmpty())
        throwError(76);
    checkFault(f);
    if (isFolder(QFile::encodeName(f)))
        return;
    makeMissingPath(f);
}

bool makeMissingPath(const QString& folder) {
    const QString f = withoutTrailingSeparator(folder);
    if (f.isEmpty())
        throwError(76);
    checkFault(f);
    if (!volumePresent(f))
        throwError(76);
    return makeMissing(f);
}

namespace {
QString& homeStandIn();

QStringList& caseFoldingStandIns() {
    static QStringList s;
    return s;
}

// The spelling `folder`'s listing holds for `name`: the name itself when listed, else the entry
// that differs from it in letter case only, else an empty text.
QString listedSpelling(const QString& folder, const QString& name) {
    const Fd d(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK));
    if (d.fd < 0)
        return {};
    QString other;
    readOpenFolder(d.fd, [&](int, unsigned char, const char* raw) {
        if (other == name)
            return;
        bool refused = false;
        QString n = decodeName(raw, refused);
        // A name that is not text is taken as the path's own texts decode it.
        if (refused)
            n = QFile::decodeName(raw);
        if (n == name)
            other = name;
        else if (other.isEmpty() && n.compare(name, Qt::CaseInsensitive) == 0)
            other = n;
    });
    return other;
}

// `name` with its letters in the other case: all of them, or the ASCII ones only (a disk may fold
// only those).
QStringList otherCases(const QString& name) {
    QString all = name, ascii = name;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        all[i] = c.isUpper() ? c.toLower() : c.toUpper();
        if (c.unicode() < 0x80)
            ascii[i] = all[i];
    }
    QStringList out;
    if (all != name)
        out << all;
    if (ascii != name && ascii != all)
        out << ascii;
    return out;
}

// Looks `piece` up in `folder` as the kernel does (lstat) and gives it the spelling the folder's
// listing holds: a disk that ignores letter case finds a name under any spelling, and some (FUSE
// exFAT, FAT) then give each spelling a number of its own, so only the listed one is the entry's.
// The listing is read only where a lookup in the other case succeeds too.
bool lookUp(const QString& folder, QString& piece, struct stat& st) {
    const bool standIn = foldsCaseByStandIn(folder);
    if (::lstat(QFile::encodeName(joinPath(folder, piece)).constData(), &st) != 0) {
        if (!standIn || errno != ENOENT)
            return false;
        const QString listed = listedSpelling(folder, piece);
        if (listed.isEmpty() || ::lstat(QFile::encodeName(joinPath(folder, listed)).constData(), &st) != 0)
            return false;
        piece = listed;
        return true;
    }
    bool folds = standIn;
    for (const QString& other : otherCases(piece)) {
        struct stat o {};
        if (folds || ::lstat(QFile::encodeName(joinPath(folder, other)).constData(), &o) == 0) {
            folds = true;
            break;
        }
    }
    if (!folds)
        return true; // lookups here tell letter case apart: the name is listed as written
    const QString listed = listedSpelling(folder, piece);
    struct stat l {};
    if (!listed.isEmpty() && listed != piece &&
        ::lstat(QFile::encodeName(joinPath(folder, listed)).constData(), &l) == 0) {
        piece = listed;
        st = l;
    }
    return true;
}
} // namespace

bool foldsCaseByStandIn(const QString& folder) {
    for (const QString& f : std::as_const(caseFoldingStandIns()))
        if (isSameOrBelow(folder, f))
            return true;
    return false;
}

void standInCaseFolding(const QString& folder) {
    if (folder.isEmpty())
        caseFoldingStandIns().clear();
    else
        caseFoldingStandIns() << withoutTrailingSeparator(folder);
}

QString resolvedPath(const QString& path) {
    // Piece by piece, as the kernel walks a path: a link is followed where it stands, so a ".."
    // after it goes up from where the link leads, never from the link's own folder.
    const QString whole = path.startsWith('/') ? path : QDir::currentPath() + '/' + path;
    QStringList todo = whole.split('/', Qt::SkipEmptyParts);
    std::reverse(todo.begin(), todo.end());
    QString head = QStringLiteral("/");
    int missing = 0; // pieces at the end of `head` that do not exist: none of them is a link
    int links = 0;
    while (!todo.isEmpty()) {
        QString piece = todo.takeLast();
        if (piece == QLatin1String("."))
            continue;
        if (piece == QLatin1String("..")) {
            if (missing > 0)
                --missing;
            head = head == QLatin1String("/") ? head : parentPath(head);
            continue;
        }
        if (missing > 0) {
            head = joinPath(head, piece);
            ++missing;
            continue;
        }
        struct stat st {};
        if (!lookUp(head, piece, st)) {
            head = joinPath(head, piece);
            missing = 1;
            continue;
        }
        const QString next = joinPath(head, piece);
        if (S_ISLNK(st.st_mode) && links < 40) {
            ++links;
            const QByteArray n = QFile::encodeName(next);
            QByteArray target(qsizetype(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
            const ssize_t got = ::readlink(n.constData(), target.data(), size_t(target.size()));
            if (got > 0 && got < target.size()) {
                const QString to = QFile::decodeName(target.left(qsizetype(got)));
                QStringList pieces = to.split('/', Qt::SkipEmptyParts);
                std::reverse(pieces.begin(), pieces.end());
                todo << pieces;
                if (to.startsWith('/'))
                    head = QStringLiteral("/");
                continue;
            }
        }
        head = next;
    }
    return head;
}

namespace {
std::optional<QStringList>& passwordHomesStandIn() {
    static std::optional<QStringList> s;
    return s;
}

// Run as root, whatever the program deletes may be any user's: every home of the password database
// that is a folder, and the folder that holds the homes.
QStringList homesOfEveryUser() {
    QStringList raw;
    if (passwordHomesStandIn()) {
        raw = *passwordHomesStandIn();
    } else {
        if (!homeStandIn().isEmpty() || ::geteuid() != 0)
            return {};
        ::setpwent();
        while (const passwd* p = ::getpwent())
            if (p->pw_dir && *p->pw_dir)
                raw << QFile::decodeName(p->pw_dir);
        ::endpwent();
    }
    raw << joinPath(rootFolder(), QStringLiteral("home"));
    raw.removeDuplicates();
    QStringList out;
    for (const QString& h : std::as_const(raw))
        if (h.startsWith('/') && isFolder(QFile::encodeName(h)))
            out << resolvedPath(h);
    return out;
}
} // namespace

QStringList homeFolders() {
    QStringList out;
    if (!homeStandIn().isEmpty()) {
        out << resolvedPath(homeStandIn());
    } else {
        const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
        QByteArray buffer(size > 0 ? qsizetype(size) : 16384, '\0');
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), size_t(buffer.size()), &found) == 0 && found &&
            found->pw_dir && *found->pw_dir)
            out << resolvedPath(QFile::decodeName(found->pw_dir));
        if (const QByteArray home = qgetenv("HOME"); !home.isEmpty())
            out << resolvedPath(QFile::decodeName(home));
    }
    out << homesOfEveryUser();
    out.removeDuplicates();
    return out;
}

void standInPasswordHomes(const QStringList& homes) {
    passwordHomesStandIn() = homes;
}

namespace {
QString& rootStandIn() {
    static QString s;
    return s;
}
QString& homeStandIn() {
    static QString s;
    return s;
}
} // namespace

QString rootFolder() {
    return rootStandIn().isEmpty() ? QStringLiteral("/") : resolvedPath(rootStandIn());
}

QString homeFolder() {
    return resolvedPath(homeStandIn().isEmpty() ? QDir::homePath() : homeStandIn());
}

void standInSystemFolders(const QString& root, const QString& home) {
    rootStandIn() = root;
    homeStandIn() = home;
}

void clearSystemFolderStandIns() {
    standInSystemFolders({}, {});
    passwordHomesStandIn().reset();
    standInCaseFolding({});
}

} // namespace platform
