#include "platform/textfile.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <utility>

namespace platform {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes) {
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

namespace {
QString decode(QByteArrayView bytes, bool dropBom) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(bytes);
    if (utf8.hasError()) {
        // Line ends are single bytes in both encodings, so each line is judged on its own.
        s.clear();
        s.reserve(bytes.size());
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = start;
            while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
                ++end;
            while (end < bytes.size() && (bytes[end] == '\r' || bytes[end] == '\n'))
                ++end;
            const QByteArrayView line = bytes.sliced(start, end - start);
            s += line.isValidUtf8() ? QString::fromUtf8(line) : decodeCp1252(line);
            start = end;
        }
    }
    if (dropBom && s.startsWith(QChar(0xFEFF)))
        s.remove(0, 1);
    return s;
}

QStringList splitLines(const QString& text) {
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
} // namespace

QString decodeText(const QByteArray& bytes) {
    return decode(bytes, true);
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
    return splitLines(readText(path));
}

QString readText(const QString& path) {
    QFile f(path);
    openForRead(f);
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        fail(f);
    return decodeText(bytes);
}

QStringList readFirstLines(const QString& path, int count, qint64 maxBytes) {
    QFile f(path);
    openForRead(f);
    QByteArray bytes = f.read(maxBytes);
    if (f.error() != QFileDevice::NoError)
        fail(f);
    // Cut inside the file: a line that has not ended by then is not one of the first lines, and
    // its last character may be cut too.
    if (!f.atEnd()) {
        const qsizetype end = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(end + 1);
    }
    QStringList lines = splitLines(decodeText(bytes));
    if (lines.size() > count)
        lines.resize(count);
    return lines;
}

QStringList readLastLines(const QString& path, int count) {
    QFile f(path);
    openForRead(f);
    const qint64 tail = std::min<qint64>(f.size(), 64 * 1024);
    if (!f.seek(f.size() - tail))
        fail(f);
    QByteArray bytes = f.read(tail);
    if (bytes.size() != tail)
        fail(f);
    // Started inside the file: the first line may be cut, and so may a character.
    if (tail < f.size()) {
        const qsizetype nl = bytes.indexOf('\n');
        bytes = nl < 0 ? QByteArray() : bytes.mid(nl + 1);
    }
    QStringList lines = splitLines(decodeText(bytes));
    if (lines.size() > count)
        lines.remove(0, lines.size() - count);
    return lines;
}

TextReader::TextReader(const QString& path) : f_(path) {
    openForRead(f_);
}

QString TextReader::next(qsizetype bytes) {
    QByteArray buf = std::move(carry_);
    carry_.clear();
    qsizetype cut = 0;
    for (;;) {
        if (!eof_ && buf.size() < bytes) {
            const qsizetype had = buf.size();
            buf.resize(bytes);
            const qint64 got = f_.read(buf.data() + had, bytes - had);
            if (got < 0)
                fail(f_);
            buf.resize(had + got);
            eof_ = got == 0;
            continue;
        }
        if (eof_) {
            cut = buf.size();
            break;
        }
        // After the last line end; a CR at the very end may be the first half of a CR LF.
        qsizetype last = buf.size() - 1;
        if (buf[last] == '\r')
            --last;
        while (last >= 0 && buf[last] != '\n' && buf[last] != '\r')
            --last;
        if (last >= 0) {
            cut = last + 1;
            break;
        }
        // One line longer than the piece: cut it where no character is split.
        cut = buf.size();
        if (buf[cut - 1] == '\r')
            --cut;
        for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(buf[cut - 1]) & 0xC0) == 0x80;
             ++back)
            --cut;
        if (cut > 0 && static_cast<unsigned char>(buf[cut - 1]) >= 0xC0)
            --cut;
        if (cut > 0)
            break;
        bytes = buf.size() + bytes; // nothing whole yet: read further
    }
    carry_ = buf.sliced(cut);
    buf.truncate(cut);
    const bool first = std::exchange(first_, false);
    return decode(buf, first);
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
