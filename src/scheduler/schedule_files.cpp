#include "scheduler/schedule_files.h"

#include "core/program.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <QRegularExpression>

namespace schedule {

int weekday(const QDate& date) {
    return date.dayOfWeek() % 7 + 1; // Qt: Monday 1 .. Sunday 7
}

QString dayCaption(int day) {
    static const char* const names[] = {"Söndag",  "Måndag", "Tisdag", "Onsdag",
                                        "Torsdag", "Fredag", "Lördag"};
    return day >= 1 && day <= 7 ? QString::fromUtf8(names[day - 1]) : QString();
}

// ---- times ---------------------------------------------------------------------------------------

bool timeTextValid(const QString& text) {
    if (text.size() != 5)
        return false;
    for (int i : {0, 1, 3, 4})
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    if (text[2] != QLatin1Char(':') && text[2] != QLatin1Char('.'))
        return false;
    return text.left(2).toInt() <= 23 && text.right(2).toInt() <= 59;
}

QString normalisedTime(const QString& text) {
    return text.left(2) + QLatin1Char(':') + text.right(2);
}

std::optional<QTime> storedTime(const QString& text) {
    const QString t = text.trimmed();
    const int sep = t.indexOf(QRegularExpression(QStringLiteral("[:.]")));
    if (sep < 1 || sep > 2 || t.size() != sep + 3)
        return std::nullopt;
    bool okH = false, okM = false;
    const QString h = t.left(sep), m = t.mid(sep + 1);
    for (const QString& part : {h, m})
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
    const int hour = h.toInt(&okH), minute = m.toInt(&okM);
    if (!okH || !okM || hour > 23 || minute > 59)
        return std::nullopt;
    return QTime(hour, minute);
}

QString minuteText(const QDateTime& t) {
    return t.time().toString(QStringLiteral("HH:mm"));
}

QDateTime dueMoment(const QDate& date, const QTime& time) {
    // The clocks skip at most a few hours; the first minute that exists after the gap is the one
    // at which a skipped time is run.
    for (int m = 0; m < 4 * 60; ++m) {
        const QTime t = time.addSecs(60 * m);
        if (m > 0 && t < time)
            break;
        const QDateTime d(date, t);
        if (d.isValid() && d.time() == t)
            return d;
    }
    return QDateTime(date, time);
}

// ---- day lines -----------------------------------------------------------------------------------

QString commonDaysLine(const Days& days) {
    QString s;
    for (int i = 1; i <= 7; ++i)
        s += days[i] ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

Days commonDaysFrom(const QString& line) {
    const QString l = line.isEmpty() ? QStringLiteral("1111111") : line;
    Days d{};
    for (int i = 1; i <= 7; ++i)
        d[i] = i <= l.size() && l[i - 1] == QLatin1Char('1');
    return d;
}

QString jobDaysLine(const Days& days) {
    QString s;
    for (int i = 1; i <= 7; ++i)
        s += days[i] ? QChar(u'0' + i) : QLatin1Char('0');
    return s;
}

Days jobDaysFrom(const QString& line) {
    Days d{};
    for (int i = 1; i <= 7; ++i)
        d[i] = line.contains(QChar(u'0' + i));
    return d;
}

bool anyDay(const Days& days) {
    for (int i = 1; i <= 7; ++i)
        if (days[i])
            return true;
    return false;
}

// ---- the common setting and the selection --------------------------------------------------------

namespace {
QString groupDigit(int group) {
    return group <= 0 ? QString() : QString::number(group + 1);
}

// A flag or number line: the whole line is the number, blanks around it ignored.
int numberLine(const QString& line) {
    bool ok = false;
    const int n = line.trimmed().toInt(&ok);
    if (!ok)
        platform::throwError(13);
    return n;
}

bool booleanLine(const QString& line) {
    const QString t = line.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (!ok)
        platform::throwError(13);
    return n != 0;
}
} // namespace

QString commonSettingFile(int group) {
    return program().path(QStringLiteral("setup_schema_global") + groupDigit(group) + QStringLiteral(".ini"));
}

QString selectionFile(int group) {
    return program().path(QStringLiteral("setup_schema_lista") + groupDigit(group) + QStringLiteral(".ini"));
}

void writeCommonSetting(const QString& path, const CommonSetting& s) {
    platform::writeLines(path, {s.common ? QStringLiteral("True") : QStringLiteral("False"),
                                platform::printNumber(s.mirror), s.time, s.days,
                                platform::printNumber(s.ignoreErrors), platform::printNumber(s.simulate)});
}

CommonSettingRead readCommonSetting(const QString& path) {
    CommonSettingRead r;
    try {
        const QStringList l = platform::readLines(path);
        auto line = [&](int i) {
            if (i >= l.size())
                platform::throwError(62);
            return l[i];
        };
        r.common = booleanLine(line(0));
        r.mirror = numberLine(line(1));
        r.time = line(2);
        r.days = l.size() > 3 && !l[3].isEmpty() ? l[3] : QStringLiteral("1111111");
        if (l.size() > 5)
            r.simulate = numberLine(l[5]);
    } catch (const platform::RunError& e) {
        r.error = e;
    }
    return r;
}

QStringList readSelection(const QString& path) {
    return platform::readLines(path);
}

void writeSelection(const QString& path, const QStringList& names) {
    platform::writeLines(path, names);
}

void renameInSelection(int group, const QString& oldName, const QString& newName) {
    const QString file = selectionFile(group);
    if (!platform::fileExists(file))
        return;
    QStringList names = readSelection(file);
    bool changed = false;
    for (QString& n : names)
        if (n == oldName) {
            n = newName;
            changed = true;
        }
    if (changed)
        writeSelection(file, names);
}

// ---- per-job schedule entries --------------------------------------------------------------------

QString Entry::text() const {
    const QString star = QStringLiteral("*");
    return time + star + QString::number(mirror) + star + QString::number(jobIndex) + star +
           QString::number(simulate) + star + days;
}

Entry Entry::parse(const QString& text) {
    const QStringList f = platform::Split(text, QStringLiteral("*"));
    if (f.size() < 5)
        platform::throwError(9);
    Entry e;
    e.time = f[0];
    e.mirror = platform::valInt(f[1]);
    e.jobIndex = platform::valInt(f[2]);
    e.simulate = platform::valInt(f[3]);
    e.days = f[4];
    return e;
}

} // namespace schedule
