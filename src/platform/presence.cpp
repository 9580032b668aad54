#include "platform/presence.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace platform {

namespace {
Presence fromErrno(int e) {
    return (e == ENOENT || e == ENOTDIR) ? Presence::Absent : Presence::Unknown;
}

Presence check(const QString& path, bool follow) {
    if (const int f = faultFor(path))
        return fromErrno(f);
    if (!volumePresent(path))
        return Presence::Unknown;
    struct stat st {};
    const QByteArray p = QFile::encodeName(path);
    const int r = follow ? ::stat(p.constData(), &st) : ::lstat(p.constData(), &st);
    return r == 0 ? Presence::Present : fromErrno(errno);
}
} // namespace

Presence presence(const QString& path) {
    return check(path, true);
}

Presence presenceNoFollow(const QString& path) {
    return check(path, false);
}

bool isLink(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace platform
