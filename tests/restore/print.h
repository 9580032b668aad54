#pragma once
#include <QString>
#include <ostream>

// Failures show texts as texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
