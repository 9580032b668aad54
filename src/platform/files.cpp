#include "platform/files.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QByteArray enc(const QString& p) { return QFile::encodeName(p); }

const QCollator& collator() {
    static const QCollator c = [] {
        QCollator c(QLocale(QLocale::Swedish, QLocale::Sweden));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    return c;
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileInfo fileInfo(const QString& path) {
    FileInfo fi;
    if (faultFor(path))
        return fi;
    struct stat st {};
    const QByteArray p = enc(path);
    struct stat lst {};
    if (::lstat(p.constData(), &lst) != 0)
        return fi;
    fi.isLink = S_ISLNK(lst.st_mode);
    if (::stat(p.constData(), &st) != 0) {
        fi.exists = fi.isLink;
        return fi;
    }
    fi.exists = true;
    fi.isFile = S_ISREG(st.st_mode);
    fi.isDir = S_ISDIR(st.st_mode);
    fi.size = st.st_size;
    fi.mtime = st.st_mtim.tv_sec;
    return fi;
}

bool fileExists(const QString& path) { return fileInfo(path).isFile; }
bool folderExists(const QString& path) { return fileInfo(path).isDir; }

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

bool lessName(const QString& a, const QString& b) {
    const int c = collator().compare(a, b);
    return c != 0 ? c < 0 : a < b;
}

void sortNames(QStringList& names) { std::sort(names.begin(), names.end(), lessName); }

namespace {
template <typename F>
void walkDir(const QString& folder, F&& each) {
    checkFault(folder);
    const QByteArray base = enc(withTrailingSeparator(folder));
    DIR* d = ::opendir(base.constData());
    if (!d)
        throwErrno(errno);
    const int dfd = ::dirfd(d);
    errno = 0;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        struct stat st {};
        if (::fstatat(dfd, n, &st, 0) != 0)
            continue; // dangling link or vanished entry
        each(QFile::decodeName(n), st);
    }
    ::closedir(d);
}
} // namespace

std::vector<FileEntry> listFiles(const QString& folder) {
    std::vector<FileEntry> out;
    walkDir(folder, [&](const QString& name, const struct stat& st) {
        if (S_ISREG(st.st_mode))
            out.push_back(FileEntry{name, st.st_size, st.st_mtim.tv_sec});
    });
    std::sort(out.begin(), out.end(), [](const FileEntry& a, const FileEntry& b) { return lessName(a.name, b.name); });
    return out;
}

QStringList listFileNames(const QString& folder) {
    QStringList names;
    for (const FileEntry& e : listFiles(folder))
        names << e.name;
    return names;
}

QStringList listFolders(const QString& folder) {
    QStringList out;
    walkDir(folder, [&](const QString& name, const struct stat& st) {
        if (S_ISDIR(st.st_mode))
            out << name;
    });
    sortNames(out);
    return out;
}

bool matchesPattern(const QString& name, const QString& pattern) {
    const QString p = pattern.trimmed();
    if (p.isEmpty())
        return false;
    if (p == QLatin1String("*.*") || p == QLatin1String("*"))
        return true;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p, QRegularExpression::UnanchoredWildcardConversion),
                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression anchored(QRegularExpression::anchoredPattern(re.pattern()),
                                      QRegularExpression::CaseInsensitiveOption);
    return anchored.match(name).hasMatch();
}

void copyKeepTime(const QString& source, const QString& target, const std::function<bool()>& cancelled,
                  const std::function<void(qint64)>& progress) {
    checkFault(source);
    checkFault(target);
    Fd in;
    in.fd = ::open(enc(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        throwErrno(errno);
    struct stat st {};
    if (::fstat(in.fd, &st) != 0)
        throwErrno(errno);
    if (!S_ISREG(st.st_mode))
        throwError(75);

    const QString folder = parentPath(target);
    QByteArray tmpl = enc(withTrailingSeparator(folder) + QStringLiteral(".tamrel-") + lastPiece(target).left(40) +
                          QStringLiteral(".XXXXXX"));
    Fd out;
    out.fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (out.fd < 0)
        throwErrno(errno);
    const QByteArray tmpPath = tmpl;
    auto failWith = [&](int err) {
        ::close(out.fd);
        out.fd = -1;
        ::unlink(tmpPath.constData());
        throwErrno(err);
    };

    static thread_local std::vector<char> buffer(1 << 20);
    qint64 done = 0;
    for (;;) {
        const ssize_t r = ::read(in.fd, buffer.data(), buffer.size());
        if (r < 0) {
            if (errno == EINTR)
                continue;
            failWith(errno);
        }
        if (r == 0)
            break;
        ssize_t off = 0;
        while (off < r) {
            const ssize_t w = ::write(out.fd, buffer.data() + off, size_t(r - off));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                failWith(errno);
            }
            off += w;
        }
        done += r;
        if (progress)
            progress(done);
        if (cancelled && cancelled()) {
            ::close(out.fd);
            out.fd = -1;
            ::unlink(tmpPath.constData());
            throw RunError{0, QStringLiteral("Avbruten")};
        }
    }
    if (const int fault = faultFor(target + QStringLiteral("#write")))
        failWith(fault);
    ::fchmod(out.fd, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.fd, times) != 0)
        failWith(errno);
    if (::close(out.fd) != 0) {
        out.fd = -1;
        const int e = errno;
        ::unlink(tmpPath.constData());
        throwErrno(e);
    }
    out.fd = -1;
    if (::rename(tmpPath.constData(), enc(target).constData()) != 0) {
        const int e = errno;
        ::unlink(tmpPath.constData());
        throwErrno(e);
    }
}

void removeFile(const QString& path) {
    checkFault(path);
    if (::unlink(enc(path).constData()) != 0)
        throwErrno(errno);
}

void removeFolder(const QString& path) {
    checkFault(path);
    if (::rmdir(enc(path).constData()) != 0)
        throwErrno(errno);
}

void removeFolderRecursively(const QString& path) {
    checkFault(path);
    struct stat lst {};
    if (::lstat(enc(path).constData(), &lst) != 0)
        throwErrno(errno);
    if (S_ISLNK(lst.st_mode) || !S_ISDIR(lst.st_mode)) {
        removeFile(path);
        return;
    }
    const QByteArray base = enc(withTrailingSeparator(path));
    DIR* d = ::opendir(base.constData());
    if (!d)
        throwErrno(errno);
    QStringList children;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        children << QFile::decodeName(n);
    }
    ::closedir(d);
    for (const QString& c : children)
        removeFolderRecursively(joinPath(path, c));
    removeFolder(path);
}

void moveToTrash(const QString& path) {
    checkFault(path);
    if (!QFile::moveToTrash(path))
        throwError(75);
}

void renamePath(const QString& from, const QString& to) {
    checkFault(from);
    checkFault(to);
    if (::rename(enc(from).constData(), enc(to).constData()) != 0)
        throwErrno(errno);
}

} // namespace platform
