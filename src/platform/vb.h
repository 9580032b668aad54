#pragma once
#include <QString>
#include <QStringList>

// The number readers, number formats and text splitter of the original run-time, written once.
namespace platform {

// The number a text begins with, after leading blanks (and tabs); 0 when it begins with no
// number. Accepts a sign, digits, one '.' as decimal point and an exponent, like the run-time.
double Val(const QString& text);

// Format a number with a numeric pattern: "0", "0.00", "#.##", "#,##0", "0.0" ...
// '0' is a forced digit, '#' an optional one; the decimal sign is the default QLocale's.
// "#.##" of 0.5 gives ",5" (no forced leading digit), of 3 gives "3," as the run-time did.
QString Format(double value, const QString& pattern);

// Splits on `separator` (any length); an empty text gives an empty list (the run-time's
// Split gave an array with no elements). Separators are not escaped.
QStringList Split(const QString& text, const QString& separator);

// The run-time's print form of a number written to a file: a blank before a non-negative
// number, a blank after it (" 1 ", "-1 ").
QString printNumber(long long value);

// Whole-number value of a text (Val truncated toward zero, clamped to int).
int valInt(const QString& text);

} // namespace platform
