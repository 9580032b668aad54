#pragma once
#include <QString>
#include <QStringList>

// The number readers, number formats and text splitter of the original run-time, written once.
namespace platform {

// The number a text begins with; 0 when it begins with no number. Blanks, tabs and line feeds are
// skipped wherever they stand in the number ("1 2" is 12). Accepts a sign, digits, '.' as the
// decimal point whatever the locale, an exponent (E or D) and the &H / &O prefixes.
// Val("  12abc") = 12, Val("abc") = 0, Val("1.5") = 1.5, Val("1,5") = 1.
double Val(const QString& text);

// Formats a number with a numeric pattern: "0", "000", "0.0", "0.00", "#.##", "#,##0", ...
// '0' is a forced digit, '#' an optional one, ',' in the whole part asks for digit grouping.
// The decimal sign and the group separator are the default QLocale's. Rounding is half away from
// zero on the decimal value. With a Swedish locale: Format(0.5, "#.##") = ",5",
// Format(3, "#.##") = "3,", Format(1234.5, "0.00") = "1234,50". Text before the first and after
// the last placeholder is copied as it stands.
QString Format(double value, const QString& pattern);

// The run-time's text splitter: the pieces between occurrences of `separator` (case-sensitive),
// empty pieces between two separators and before a first one kept; the rest after the last
// separator is added only when it is not empty. An empty text gives one empty piece, so the
// result always has an element 0. The separator must not be empty.
QStringList Split(const QString& text, const QString& separator = QStringLiteral(" "));

// The run-time's print form of a whole number written to a file: a blank before a non-negative
// number, a blank after it (" 1 ", "-1 ").
QString printNumber(long long value);

// A number as the run-time's conversion read it: by the user's locale rules, then by the C rules;
// throws RunError 13 ("type mismatch") when the text is no number.
double localeNumber(const QString& text);

// Whole-number value of a text (Val truncated toward zero, clamped to int).
int valInt(const QString& text);

// Val rounded to the nearest whole number, halves to the even number (the run-time's CLng).
long long valRound(const QString& text);

// A count of files with its noun, and the adjective before it, in the number the count asks for:
// fileCount(1) = "1 fil", fileCount(2) = "2 filer", fileCount(1, "ny", "nya") = "1 ny fil".
QString fileCount(long long n, const QString& one = QString(), const QString& many = QString());

// A count and the words after it in the number the count asks for:
// countText(1, "mapp", "mappar") = "1 mapp", countText(3, "mapp", "mappar") = "3 mappar".
QString countText(long long n, const QString& one, const QString& many);

} // namespace platform
