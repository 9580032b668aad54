#pragma once
// Reading folders by handle: shared by the file listings and the walker below a backup folder.
#include "platform/files.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& o) noexcept : fd(o.fd) { o.fd = -1; }
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            if (fd >= 0)
                ::close(fd);
            fd = o.fd;
            o.fd = -1;
        }
        return *this;
    }
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

inline bool isDotOrDotDot(const char* n) {
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

// Decodes a name read from disk. A name that is not valid UTF-8 or holds a control character gets
// '?' in place of the offending characters and is marked refused.
QString decodeName(const char* raw, bool& refused);

// Reads the entries of an open folder, "." and ".." left out; `each(fd, type, name)` sees every
// other one, with the type the folder tells (DT_UNKNOWN where it tells none). `own`, when given,
// receives the inode number "." tells. Returns 0 or the errno of a read that failed: a listing cut
// short must not pass for a whole one, or mirroring would take the missing names for files the
// source no longer has.
template <typename F> int readOpenFolder(int fd, F&& each, quint64* own = nullptr) {
    alignas(8) char buffer[32 * 1024];
    for (;;) {
        const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += e->d_reclen;
            if (!isDotOrDotDot(e->d_name))
                each(fd, e->d_type, e->d_name);
            else if (own && e->d_name[1] == 0)
                *own = quint64(e->d_ino);
        }
    }
}

// The errno that every look at an entry of `folder` fails with by the fault hook (a folder that can
// be listed but not entered, as mode 644 leaves it: injectFault(folder + "#enter", err)); 0 when
// none is set. Costs nothing while no fault is set.
int entryFault(const QString& folder);
// The same for a folder above `path`: nothing below it can be opened nor looked at by its path.
int passFault(const QString& path);

// fstatat of the entry `name` of the open folder `dfd`; 0 or the errno (`fault` when not 0).
inline int statEntry(int dfd, const char* name, struct stat& st, int flags, int fault = 0) {
    if (fault)
        return fault;
    return ::fstatat(dfd, name, &st, flags) == 0 ? 0 : errno;
}

// A status that failed with `err` only tells that nothing is there: an entry gone since the listing,
// or a link that leads nowhere. Anything else is an entry that could not be read.
inline bool leadsNowhere(int err) {
    return err == ENOENT || err == ENOTDIR || err == ELOOP;
}

// Whether the entry `name` of the open folder `dfd`, of the type the folder told, is a folder or a
// link to one (a dangling link is neither). `link` tells which; for a link, `st` receives the status
// of where it leads. Only links and entries of an unknown type have their status read; `err`
// receives the errno of a status that could not be read (leadsNowhere excepted), else 0.
inline bool isFolderOrLinkToOne(int dfd, unsigned char type, const char* name, bool& link, struct stat& st,
                                int& err, int fault = 0) {
    link = type == DT_LNK;
    err = 0;
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    if (type == DT_UNKNOWN) {
        if (const int e = statEntry(dfd, name, st, AT_SYMLINK_NOFOLLOW, fault)) {
            err = leadsNowhere(e) ? 0 : e;
            return false;
        }
        link = S_ISLNK(st.st_mode);
    }
    if (link) {
        if (const int e = statEntry(dfd, name, st, 0, fault)) {
            err = leadsNowhere(e) ? 0 : e;
            return false;
        }
    }
    return S_ISDIR(st.st_mode);
}

// Whether countFiles(pattern) counts the entry `n` of the type `type` the folder told, once it is
// known to be a regular file or a link to one.
bool countedFileName(unsigned char type, const char* n, const QString& pattern);

// Counts, in an open folder read from where its handle stands, what countFiles counts. Every link
// to a folder met on the way is handed to `folderLink`, when given, with the identity of where it
// leads. `own` as readOpenFolder takes it. Returns 0 or the errno of a read that failed.
int countOpenFolder(int fd, const QString& pattern, long& count,
                    const std::function<void(const QString& name, const FolderId& target)>& folderLink = {},
                    quint64* own = nullptr);

// The collation of lessName.
const QCollator& nameCollator();

// Puts entries (anything with a QString `name`) in the order of sortNames.
template <typename T> void sortEntries(std::vector<T>& v) {
    if (v.size() < 2)
        return;
    if (v.size() < 64) {
        std::sort(v.begin(), v.end(), [](const T& a, const T& b) { return lessName(a.name, b.name); });
        return;
    }
    // Large folders: compare precomputed collation keys instead of collating at every comparison.
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        keys.emplace_back(nameCollator().sortKey(v[i].name), i);
    std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        const int c = a.first.compare(b.first);
        return c != 0 ? c < 0 : v[a.second].name < v[b.second].name;
    });
    std::vector<T> out;
    out.reserve(v.size());
    for (const auto& k : keys)
        out.push_back(std::move(v[k.second]));
    v.swap(out);
}

} // namespace platform
