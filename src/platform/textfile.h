#pragma once
#include <QFile>
#include <QString>
#include <QStringList>

namespace platform {

// Text files of the program: written as UTF-8 without BOM, CR LF after every line (the last
// too); read with CR LF, LF or CR as line ends, as Windows-1252 when the bytes are not UTF-8.
// All functions throw RunError on failure.

QString decodeText(const QByteArray& bytes);
QByteArray encodeLines(const QStringList& lines);

// Every line of the file; an empty file gives no lines. A final line without a line end counts.
QStringList readLines(const QString& path);
// The whole text, decoded, line ends kept as they are.
QString readText(const QString& path);
// The first `count` lines, or fewer when the file has fewer, read from the file's first `maxBytes`
// at most: a line that has not ended by then is left out.
QStringList readFirstLines(const QString& path, int count, qint64 maxBytes = 64 * 1024);
// The last `count` lines (an empty last line counts), read from the file's last 64 KiB at most.
QStringList readLastLines(const QString& path, int count);

// Reads a text file a piece at a time, each piece ending at a line end, so that a large file can
// be shown as it comes in without being held twice.
class TextReader {
  public:
    explicit TextReader(const QString& path);
    // The next piece, decoded, line ends kept: about `bytes` bytes of the file, more when one
    // line is longer. Empty at the end.
    QString next(qsizetype bytes);
    bool atEnd() const { return eof_ && carry_.isEmpty(); }

  private:
    QFile f_;
    QByteArray carry_; // read, but after the last line end
    bool eof_ = false;
    bool first_ = true;
};

// Writes the file whole through QSaveFile: the old file stays intact when the write fails.
void writeLines(const QString& path, const QStringList& lines);
// Writes `text` as it is (no line ends added), whole, through QSaveFile.
void writeText(const QString& path, const QString& text);

// Appends lines (each followed by CR LF); creates the file when missing.
void appendLines(const QString& path, const QStringList& lines);
// Appends text as it is.
void appendText(const QString& path, const QString& text);

} // namespace platform
