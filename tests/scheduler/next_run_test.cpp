// The next-run computation: what the panel shows and when the countdown ends, over the week, around
// midnight, for both modes.
#include "scheduler/next_run.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

namespace {
// A week of June 2024: the 2nd is a Sunday, the 3rd a Monday ... the 8th a Saturday.
QDateTime at(int dayOfJune, const char* time) {
    return QDateTime(QDate(2024, 6, dayOfJune), QTime::fromString(QString::fromLatin1(time), "HH:mm:ss"));
}

schedule::NextRunInput common(const char* time, const char* dayLine, const QDateTime& now, int jobs = 2) {
    schedule::NextRunInput in;
    in.schedulerOn = true;
    in.common = true;
    in.commonTime = QString::fromUtf8(time);
    in.commonDays = schedule::commonDaysFrom(QString::fromLatin1(dayLine));
    in.selectedJobs = jobs;
    in.now = now;
    return in;
}

// `entries` are separated by blanks.
schedule::NextRunInput perJob(const char* entries, const QDateTime& now) {
    schedule::NextRunInput in;
    in.schedulerOn = true;
    in.entries = QString::fromLatin1(entries).split(' ', Qt::SkipEmptyParts);
    in.jobNames = {"Dokument", "Bilder", "Musik", "Mejl"};
    in.scheduledJobs = in.entries.size();
    in.now = now;
    return in;
}
} // namespace

TEST(NextRun, CommonSettingOverTheWeek) {
    const struct {
        const char* what;
        const char* time;
        const char* days;
        QDateTime now;
        const char* next; // lblschema_nästakörning
        const char* due;  // lblschemanedräkning
    } cases[] = {
        {"later today", "10:00", "0111110", at(3, "09:00:00"), "Idag  kl. 10:00", "2024-06-03 10:00:00"},
        {"a point compares as the same time", "10.30", "1111111", at(3, "10:15:00"), "Idag  kl. 10.30",
         "2024-06-03 10:30:00"},
        {"the current minute counts as passed", "10:00", "0111110", at(3, "10:00:30"), "Tisdag kl. 10:00",
         ""},
        {"later today but today unticked", "10:00", "0010000", at(3, "09:00:00"), "Tisdag kl. 10:00", ""},
        {"today the only day, passed", "10:00", "0010000", at(4, "10:30:00"), "Tisdag kl. 10:00", ""},
        {"Saturday after the time goes to Sunday", "22:00", "1000000", at(8, "23:00:00"), "Söndag kl. 22:00",
         ""},
        {"Friday night, weekdays only", "22:00", "0111110", at(7, "23:30:00"), "Måndag kl. 22:00", ""},
        {"midnight itself has passed", "00:00", "1111111", at(2, "00:00:00"), "Måndag kl. 00:00", ""},
        {"a minute after midnight is today", "00:01", "1111111", at(2, "00:00:10"), "Idag  kl. 00:01",
         "2024-06-02 00:01:00"},
        {"just before midnight", "00:00", "1111111", at(8, "23:59:59"), "Söndag kl. 00:00", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto v = schedule::visaväntarnästakörning(common(c.time, c.days, c.now));
        EXPECT_TRUE(v.computed);
        EXPECT_FALSE(v.nothingToRun);
        EXPECT_EQ(v.nextRun, QString::fromUtf8(c.next));
        EXPECT_EQ(v.dueText, QString::fromLatin1(c.due));
        EXPECT_EQ(v.due.isValid(), *c.due != 0);
        if (v.due.isValid()) {
            EXPECT_EQ(v.due, QDateTime::fromString(QString::fromLatin1(c.due), "yyyy-MM-dd HH:mm:ss"));
        }
        EXPECT_EQ(v.status, "Väntar på nästa körning");
        EXPECT_EQ(v.count, "2 st");
        EXPECT_EQ(v.statusLine, "Status: Schemakörning aktiv (väntar på nästa gemensamma körning: " +
                                    QString::fromUtf8(c.next) + ")");
    }
}

TEST(NextRun, PerJobEntriesOverTheWeek) {
    const struct {
        const char* what;
        const char* entries;
        QDateTime now;
        const char* next;
        const char* due;
        int selected;
    } cases[] = {
        {"the earliest of two later today", "09:00*0*0*0*0234560 08:00*0*1*0*0234560", at(5, "07:00:00"),
         "Idag 08:00 [Bilder]", "2024-06-05 08:00:00", -1},
        {"equal times: the first entry", "08:00*0*2*0*0234560 08:00*0*1*0*0234560", at(5, "07:00:00"),
         "Idag 08:00 [Musik]", "2024-06-05 08:00:00", -1},
        {"Monday only, seen on Wednesday", "08:00*0*0*0*0200000", at(5, "07:00:00"), "Nästa vecka", "", -1},
        {"Sunday, seen on Saturday", "10:00*0*3*0*1000000", at(8, "12:00:00"), "Sön 10:00 [Mejl]", "", 0},
        {"Sunday after its time: next Sunday", "10:00*0*0*0*1000000", at(2, "11:00:00"),
         "Sön 10:00 [Dokument]", "", 0},
        {"a Monday run comes before next Sunday", "10:00*0*0*0*1000000 09:00*0*1*0*0200000",
         at(2, "11:00:00"), "Mån 09:00 [Bilder]", "", 1},
        {"the current minute has passed", "08:00*0*0*0*0004500", at(5, "08:00:00"), "Tors 08:00 [Dokument]",
         "", 0},
        {"later in the week, the earliest day first", "06:00*0*0*0*0000006 23:00*0*1*0*0000500",
         at(5, "23:30:00"), "Tors 23:00 [Bilder]", "", 1},
        {"a point in a stored time", "22.00*0*2*0*1234567", at(3, "21:00:00"), "Idag 22.00 [Musik]",
         "2024-06-03 22:00:00", -1},
        {"days ahead sort as text", "08:00*0*0*0*1000000 09:00*0*1*0*0000060 10:00*0*2*0*0000500",
         at(5, "12:00:00"), "Tors 10:00 [Musik]", "", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto in = perJob(c.entries, c.now);
        const auto v = schedule::visaväntarnästakörning(in);
        EXPECT_FALSE(v.nothingToRun);
        EXPECT_EQ(v.nextRun, QString::fromUtf8(c.next));
        EXPECT_EQ(v.dueText, QString::fromLatin1(c.due));
        EXPECT_EQ(v.selectedEntry, c.selected);
        EXPECT_EQ(v.count, QString::number(in.entries.size()) + " st");
        EXPECT_EQ(v.statusLine,
                  "Status: Schemakörning aktiv (väntar på nästa körning: " + QString::fromUtf8(c.next) + ")");
    }
}

TEST(NextRun, NothingToRunAndSchedulingOff) {
    // No chosen job, no day, a time that is none, no per-job entry.
    for (const auto& in :
         {common("10:00", "1111111", at(3, "09:00:00"), 0), common("10:00", "0000000", at(3, "09:00:00")),
          common("1a:3b", "1111111", at(3, "09:00:00")), common("007:30", "1111111", at(3, "09:00:00")),
          perJob("", at(5, "12:00:00"))})
        EXPECT_TRUE(schedule::visaväntarnästakörning(in).nothingToRun) << in.commonTime.toStdString();
    schedule::NextRunInput off = common("10:00", "1111111", at(3, "09:00:00"));
    off.schedulerOn = false;
    const auto v = schedule::visaväntarnästakörning(off);
    EXPECT_FALSE(v.computed);
    EXPECT_EQ(v.status, "Väntar");
    EXPECT_EQ(v.nextRun, "--");
    EXPECT_EQ(v.count, "--");
    EXPECT_TRUE(v.dueText.isEmpty());
    EXPECT_TRUE(v.statusLine.isEmpty());
}
