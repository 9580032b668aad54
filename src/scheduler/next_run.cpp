#include "scheduler/next_run.h"

#include <algorithm>

namespace schedule {

namespace {

const QString kWaiting = QStringLiteral("Väntar på nästa körning");

// Times compare as "hh:mm" text; a time typed with a point compares as the same time with a colon.
QString comparable(const QString& time) {
    QString t = time;
    return t.replace(QLatin1Char('.'), QLatin1Char(':'));
}

// The due moment of `time` today, in the panel's text and as a moment.
void setDue(NextRunView& v, const QDate& today, const QString& time) {
    const auto t = storedTime(time);
    if (!t)
        return;
    v.dueText = today.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + comparable(time) +
                QStringLiteral(":00");
    v.due = dueMoment(today, *t);
}

void common(const NextRunInput& in, NextRunView& v) {
    const QString T = in.commonTime;
    const QString now = minuteText(in.now);
    const int today = weekday(in.now.date());
    QString dayText;
    auto scan = [&](int from, int to, bool markToday) {
        for (int d = from; d <= to; ++d)
            if (in.commonDays[d]) {
                dayText = markToday && d == today ? QStringLiteral("Idag ") : dayCaption(d);
                return true;
            }
        return false;
    };
    if (comparable(T) > now) {
        if (!scan(today, 7, true))
            scan(1, today, false);
    } else {
        const int next = today == 7 ? 1 : today + 1;
        if (!scan(next, 7, false))
            scan(1, next, false);
    }
    v.status = kWaiting;
    v.count = QString::number(in.selectedJobs) + QStringLiteral(" st");
    if (in.selectedJobs == 0 || !anyDay(in.commonDays) || !storedTime(T)) {
        v.nothingToRun = true;
        return;
    }
    v.statusLine = QStringLiteral("Status: Schemakörning aktiv (väntar på nästa gemensamma körning: ") +
                   dayText + QStringLiteral(" kl. ") + T + QStringLiteral(")");
    v.nextRun = dayText + QStringLiteral(" kl. ") + T;
    if (dayText == QLatin1String("Idag "))
        setDue(v, in.now.date(), T);
}

QString jobName(const NextRunInput& in, int index) {
    return index >= 0 && index < in.jobNames.size() ? in.jobNames[index] : QString();
}

void perJob(const NextRunInput& in, NextRunView& v) {
    const QString now = minuteText(in.now);
    const int today = weekday(in.now.date());
    const QChar todayDigit(u'0' + today);
    QString text;
    QString best = QStringLiteral("99:99");
    v.status = kWaiting;
    v.count = QString::number(in.scheduledJobs) + QStringLiteral(" st");
    for (int p = 0; p < in.entries.size(); ++p) {
        const QString& entry = in.entries[p];
        const QString t = entry.left(5);
        const QString days = entry.right(7);
        if (days.contains(todayDigit) && comparable(t) > now) {
            if (comparable(t) < comparable(best)) {
                best = t;
                const Entry e = Entry::parse(entry);
                text = QStringLiteral("Idag ") + t + QStringLiteral(" [") + jobName(in, e.jobIndex) +
                       QStringLiteral("]");
            }
            continue;
        }
        for (int d = 2; d <= 7; ++d)
            if (days.contains(QChar(u'0' + d)) && today < d)
                v.listsortering << QString::number(d - 1) + comparable(t) + QString::number(p);
        if (days.contains(QLatin1Char('1')))
            v.listsortering << QStringLiteral("7") + comparable(t) + QString::number(p);
    }
    std::sort(v.listsortering.begin(), v.listsortering.end());
    if (text.isEmpty()) {
        if (!v.listsortering.isEmpty()) {
            const QString first = v.listsortering.first();
            const int p = first.mid(6).toInt();
            v.selectedEntry = p;
            static const char* const dayTexts[] = {"",      "Mån ", "Tis ", "Ons ",
                                                   "Tors ", "Fre ", "Lör ", "Sön "};
            const int key = first.left(1).toInt();
            const Entry e = Entry::parse(in.entries[p]);
            text = QString::fromUtf8(dayTexts[key]) + in.entries[p].left(5) + QStringLiteral(" [") +
                   jobName(in, e.jobIndex) + QStringLiteral("]");
        } else {
            text = QStringLiteral("Nästa vecka");
        }
    }
    if (in.entries.isEmpty()) {
        v.nothingToRun = true;
        return;
    }
    v.statusLine =
        QStringLiteral("Status: Schemakörning aktiv (väntar på nästa körning: ") + text + QStringLiteral(")");
    v.nextRun = text;
    if (text.startsWith(QLatin1String("Idag ")))
        setDue(v, in.now.date(), text.mid(5, 5));
}

} // namespace

NextRunView visaväntarnästakörning(const NextRunInput& in) {
    NextRunView v;
    if (!in.schedulerOn)
        return v;
    v.computed = true;
    if (in.common)
        common(in, v);
    else
        perJob(in, v);
    return v;
}

} // namespace schedule
