#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <ostream>

// Readable values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
    *os << '}';
}
inline void PrintTo(const QDateTime& t, std::ostream* os) {
    *os << t.toString(Qt::ISODate).toStdString();
}
