#pragma once
// Reading folders by handle: shared by the file listings and the walker below a backup folder.
#include "platform/files.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
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
