#include "platform/vb.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace platform {

double Val(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text.at(i) == ' ' || text.at(i) == '\t' || text.at(i) == '\n' || text.at(i) == '\r'))
            ++i;
    };
    skipBlanks();
    QString num;
    if (i < n && (text.at(i) == '+' || text.at(i) == '-')) {
        num += text.at(i);
        ++i;
    }
    bool digits = false;
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            num += c;
            digits = true;
        } else if (c == ' ' || c == '\t') {
            // the run-time skipped blanks inside numbers
        } else
            break;
        ++i;
    }
    if (i < n && text.at(i) == '.') {
        num += '.';
        ++i;
        while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
            num += text.at(i);
            digits = true;
            ++i;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n && (text.at(i) == 'e' || text.at(i) == 'E' || text.at(i) == 'd' || text.at(i) == 'D')) {
        qsizetype j = i + 1;
        QString ex = QStringLiteral("e");
        if (j < n && (text.at(j) == '+' || text.at(j) == '-'))
            ex += text.at(j++);
        bool expDigits = false;
        while (j < n && text.at(j).isDigit() && text.at(j).unicode() < 128) {
            ex += text.at(j++);
            expDigits = true;
        }
        if (expDigits)
            num += ex;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok ? v : 0.0;
}

int valInt(const QString& text) {
    const double v = std::trunc(Val(text));
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

QString Format(double value, const QString& pattern) {
    const QLocale loc;
    const qsizetype dot = pattern.indexOf('.');
    const QString intPart = dot >= 0 ? pattern.left(dot) : pattern;
    const QString fracPart = dot >= 0 ? pattern.mid(dot + 1) : QString();
    const int fracForced = int(fracPart.count('0'));
    const int fracMax = int(fracPart.count('0') + fracPart.count('#'));
    const int intForced = int(intPart.count('0'));
    const bool grouping = intPart.contains(',');

    const bool negative = value < 0;
    QString digits = QString::number(std::fabs(value), 'f', fracMax);
    QString ip = digits, fp;
    if (const qsizetype d = digits.indexOf('.'); d >= 0) {
        ip = digits.left(d);
        fp = digits.mid(d + 1);
    }
    while (fp.size() > fracForced && fp.endsWith('0'))
        fp.chop(1);
    if (ip == QLatin1String("0") && intForced == 0)
        ip.clear();
    while (ip.size() < intForced)
        ip.prepend('0');
    if (grouping && ip.size() > 3) {
        const QString sep = loc.groupSeparator();
        for (qsizetype pos = ip.size() - 3; pos > 0; pos -= 3)
            ip.insert(pos, sep);
    }
    QString out = ip;
    if (dot >= 0)
        out += loc.decimalPoint() + fp;
    if (negative && (out.contains(QRegularExpression(QStringLiteral("[1-9]")))))
        out.prepend('-');
    return out;
}

QStringList Split(const QString& text, const QString& separator) {
    if (text.isEmpty())
        return {};
    if (separator.isEmpty())
        return {text};
    return text.split(separator, Qt::KeepEmptyParts);
}

QString printNumber(long long value) {
    return (value >= 0 ? QStringLiteral(" ") : QString()) + QString::number(value) + QStringLiteral(" ");
}

} // namespace platform
