#include "platform/textfile.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <cerrno>

namespace platform {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        d[i] = (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    }
    return out;
}

int lastErrno(const QFileDevice& f) {
    switch (f.error()) {
    case QFileDevice::NoError:
        return 0;
    case QFileDevice::ResourceError:
        return errno == EDQUOT ? EDQUOT : ENOSPC;
    case QFileDevice::PermissionsError:
        return EACCES;
    default:
        return errno ? errno : EIO;
    }
}

// A file that cannot be opened because its folder is missing is "path not found", as the
// run-time reported it; a missing file in an existing folder is "file not found".
[[noreturn]] void failOpen(const QFileDevice& f) {
    const int e = errno;
    const QString folder = parentPath(f.fileName());
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        throwError(76);
    if (f.error() == QFileDevice::OpenError && !QFileInfo::exists(f.fileName()) && (e == ENOENT || e == 0))
        throwError(53);
    const int le = lastErrno(f);
    throwErrno(e ? e : (le ? le : EIO));
}

[[noreturn]] void fail(const QFileDevice& f) {
    const int e = lastErrno(f);
    throwErrno(e ? e : EIO);
}

void openForRead(QFile& f) {
    checkFault(f.fileName());
    // Only regular files are read: a FIFO would block, a folder has no text.
    const QFileInfo fi(f.fileName());
    if (fi.exists() && !fi.isFile())
        throwError(75);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        failOpen(f);
}

} // namespace

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (s.startsWith(QChar(0xFEFF)))
            s.remove(0, 1);
        return s;
    }
    return decodeCp1252(bytes);
}

QByteArray encodeLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& l : lines) {
        out += l.toUtf8();
        out += "\r\n";
    }
    return out;
}

QStringList readLines(const QString& path) {
    const QString text = readText(path);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(text.mid(start, i - start));
            if (c == '\r' && i + 1 < n && text.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QString readText(const QString& path) {
    QFile f(path);
    openForRead(f);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        fail(f);
    return decodeText(bytes);
}

namespace {
void writeWhole(const QString& path, const QByteArray& bytes) {
    checkFault(path);
    QSaveFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly))
        failOpen(f);
    if (f.write(bytes) != bytes.size())
        fail(f);
    // Test hook: the write fails after the new text went into the temporary file.
    if (const int e = faultFor(path + QStringLiteral("#write"))) {
        f.cancelWriting();
        throwErrno(e);
    }
    if (!f.commit())
        fail(f);
}
} // namespace

void writeText(const QString& path, const QString& text) {
    writeWhole(path, text.toUtf8());
}

void writeLines(const QString& path, const QStringList& lines) {
    writeWhole(path, encodeLines(lines));
}

void appendText(const QString& path, const QString& text) {
    checkFault(path);
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        failOpen(f);
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size())
        fail(f);
    if (!f.flush())
        fail(f);
}

void appendLines(const QString& path, const QStringList& lines) {
    QString text;
    for (const QString& l : lines)
        text += l + QStringLiteral("\r\n");
    appendText(path, text);
}

} // namespace platform
