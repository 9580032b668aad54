#pragma once
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

// Writes the file whole through QSaveFile: the old file stays intact when the write fails.
void writeLines(const QString& path, const QStringList& lines);
// Writes `text` as it is (no line ends added), whole, through QSaveFile.
void writeText(const QString& path, const QString& text);

// Appends lines (each followed by CR LF); creates the file when missing.
void appendLines(const QString& path, const QStringList& lines);
// Appends text as it is.
void appendText(const QString& path, const QString& text);

} // namespace platform
