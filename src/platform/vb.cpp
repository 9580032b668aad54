#include "platform/vb.h"

#include "platform/errors.h"

#include <QLocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace platform {

namespace {

bool isBlank(QChar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Reads characters of a text with the blanks left out, as the run-time's Val saw them.
class BlankSkipper {
  public:
    explicit BlankSkipper(const QString& t) : t_(t) { skip(); }
    bool atEnd() const { return i_ >= t_.size(); }
    QChar peek() const { return atEnd() ? QChar() : t_.at(i_); }
    QChar peekNext() const {
        qsizetype j = i_ + 1;
        while (j < t_.size() && isBlank(t_.at(j)))
            ++j;
        return j < t_.size() ? t_.at(j) : QChar();
    }
    void next() {
        ++i_;
        skip();
    }

  private:
    void skip() {
        while (i_ < t_.size() && isBlank(t_.at(i_)))
            ++i_;
    }
    const QString& t_;
    qsizetype i_ = 0;
};

double radixValue(BlankSkipper& s, int radix) {
    quint64 v = 0;
    int count = 0;
    for (; !s.atEnd(); s.next()) {
        const QChar c = s.peek().toUpper();
        const bool ok = radix == 16 ? (isAsciiDigit(c) || (c >= 'A' && c <= 'F')) : (c >= '0' && c <= '7');
        if (!ok)
            break;
        const int d = isAsciiDigit(c) ? c.unicode() - '0' : c.unicode() - 'A' + 10;
        v = v * quint64(radix) + quint64(d);
        if (++count > 16)
            break;
    }
    // The run-time read &H and &O numbers as 16-bit, or when longer as 32-bit, signed integers.
    if (v <= 0xFFFF && (radix == 16 ? count <= 4 : count <= 6))
        return double(qint16(quint16(v)));
    if (v <= 0xFFFFFFFFull)
        return double(qint32(quint32(v)));
    return double(v);
}

} // namespace

double Val(const QString& text) {
    BlankSkipper s(text);
    if (s.peek() == '&') {
        const QChar k = s.peekNext().toUpper();
        if (k == 'H' || k == 'O') {
            s.next();
            s.next();
            return radixValue(s, k == 'H' ? 16 : 8);
        }
        return 0.0;
    }
    QByteArray num;
    if (s.peek() == '+' || s.peek() == '-') {
        num += char(s.peek().unicode());
        s.next();
    }
    bool digits = false;
    while (!s.atEnd() && isAsciiDigit(s.peek())) {
        num += char(s.peek().unicode());
        digits = true;
        s.next();
    }
    if (s.peek() == '.') {
        num += '.';
        s.next();
        while (!s.atEnd() && isAsciiDigit(s.peek())) {
            num += char(s.peek().unicode());
            digits = true;
            s.next();
        }
    }
    if (!digits)
        return 0.0;
    const QChar e = s.peek().toUpper();
    if (e == 'E' || e == 'D') {
        s.next();
        QByteArray ex = "e";
        if (s.peek() == '+' || s.peek() == '-') {
            ex += char(s.peek().unicode());
            s.next();
        }
        bool expDigits = false;
        while (!s.atEnd() && isAsciiDigit(s.peek())) {
            ex += char(s.peek().unicode());
            expDigits = true;
            s.next();
        }
        if (expDigits)
            num += ex;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    if (!ok)
        return num.startsWith('-') ? -std::numeric_limits<double>::infinity()
                                   : std::numeric_limits<double>::infinity();
    return v;
}

int valInt(const QString& text) {
    const double v = std::trunc(Val(text));
    if (std::isnan(v))
        return 0;
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

long long valRound(const QString& text) {
    const double v = std::nearbyint(Val(text)); // the default rounding mode: halves to even
    if (std::isnan(v))
        return 0;
    if (v >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (v <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(v);
}

namespace {

// The decimal digits of |value| rounded half away from zero to `decimals` places, taken from the
// value's 15 significant digits (as the run-time saw a Double), split at the decimal point.
void roundedDigits(double value, int decimals, QByteArray& whole, QByteArray& fraction) {
    whole.clear();
    fraction.clear();
    const double v = std::fabs(value);
    if (v == 0.0 || !std::isfinite(v)) {
        whole = "0";
        fraction = QByteArray(decimals, '0');
        return;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    // buf: d.dddddddddddddde[+-]xx
    QByteArray digits;
    digits += buf[0];
    digits += QByteArray(buf + 2, 14);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    int intCount = exponent + 1; // digits before the decimal point
    const int keep = intCount + decimals;
    if (keep < 0) { // too small to show even when rounded
        whole = "0";
        fraction = QByteArray(decimals, '0');
        return;
    }
    QByteArray kept;
    {
        kept = digits.left(std::min<int>(keep, int(digits.size())));
        const bool roundUp = keep < digits.size() && digits.at(keep) >= '5';
        if (keep > digits.size())
            kept += QByteArray(keep - int(digits.size()), '0');
        if (roundUp) {
            int i = int(kept.size()) - 1;
            while (i >= 0 && kept[i] == '9') {
                kept[i] = '0';
                --i;
            }
            if (i >= 0)
                kept[i] = char(kept[i] + 1);
            else {
                kept.prepend('1');
                ++intCount;
            }
        }
    }
    // kept holds intCount + decimals digits (or fewer when everything was rounded away).
    if (intCount <= 0) {
        const int zeros = -intCount;
        kept.prepend(QByteArray(zeros, '0'));
        intCount = 0;
    }
    const int total = intCount + decimals;
    if (kept.size() < total)
        kept.prepend(QByteArray(total - int(kept.size()), '0'));
    whole = kept.left(intCount);
    fraction = kept.mid(intCount);
    while (whole.size() > 1 && whole.startsWith('0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = "0";
}

bool isPlaceholder(QChar c) {
    return c == '0' || c == '#';
}

} // namespace

QString Format(double value, const QString& pattern) {
    const QLocale loc;
    // Literal text around the number part.
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (isPlaceholder(pattern.at(i)) || pattern.at(i) == '.') {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return pattern;
    const QString prefix = pattern.left(first);
    const QString suffix = pattern.mid(last + 1);
    const QString body = pattern.mid(first, last - first + 1);

    const qsizetype dot = body.indexOf('.');
    const QString intPart = dot >= 0 ? body.left(dot) : body;
    const QString fracPart = dot >= 0 ? body.mid(dot + 1) : QString();
    const int fracForced = int(fracPart.count('0'));
    const int fracMax = int(fracPart.count('0') + fracPart.count('#'));
    const int intForced = int(intPart.count('0'));
    const bool grouping = intPart.contains(',');

    QByteArray w, f;
    roundedDigits(value, fracMax, w, f);
    const bool nonZero = w != "0" || f.count('0') != f.size();
    QString ip = QString::fromLatin1(w);
    QString fp = QString::fromLatin1(f);
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
    if (value < 0 && nonZero)
        out.prepend('-');
    return prefix + out + suffix;
}

QStringList Split(const QString& text, const QString& separator) {
    if (separator.isEmpty())
        return {text};
    QStringList out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0)
            break;
        out.append(text.mid(from, at - from));
        from = at + separator.size();
    }
    if (from < text.size())
        out.append(text.mid(from));
    if (out.isEmpty())
        out.append(QString());
    return out;
}

QString printNumber(long long value) {
    return (value >= 0 ? QStringLiteral(" ") : QString()) + QString::number(value) + QStringLiteral(" ");
}

double localeNumber(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok)
        throwError(13);
    return v;
}

QString fileCount(long long n, const QString& one, const QString& many) {
    const auto noun = [](const QString& adjective, const QString& word) {
        return adjective.isEmpty() ? word : adjective + QLatin1Char(' ') + word;
    };
    return countText(n, noun(one, QStringLiteral("fil")), noun(many, QStringLiteral("filer")));
}

QString countText(long long n, const QString& one, const QString& many) {
    return QString::number(n) + QLatin1Char(' ') + (n == 1 ? one : many);
}

} // namespace platform
