// The due-time timers with the clock set and a runner that records each scheduled run instead of
// running it: what runs, when, how often, in which order, and what a failure or a switch-off does.
#include "core/operations.h"
#include "mainwindow/settings_window.h"
#include "run/backup_window.h"
#include "scheduler/host.h"
#include "scheduler/reminder_window.h"
#include "scheduler/schedule_editor.h"
#include "scheduler/schedule_files.h"
#include "scheduler_fixture.h"
#include "support/timezone.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace {
struct RecordedRun {
    QDateTime at;
    QStringList jobs; // the selected entries of the backup window's job list
    int listed = 0;   // entries in that list
    bool mirror = false;
    bool simulate = false;
    QString status; // the main status line while it ran
};
} // namespace

class TimerTest : public SchedulerTest {
  protected:
    void SetUp() override {
        SchedulerTest::SetUp();
        Scheduler& s = scheduler();
        s.runner = [this](frmutförbackup& b) {
            RecordedRun r;
            r.at = prog().clock.now();
            r.listed = b.List1->count();
            for (int i = 0; i < b.List1->count(); ++i)
                if (b.List1->item(i)->isSelected())
                    r.jobs << b.List1->item(i)->text();
            r.mirror = b.chksync->isChecked();
            r.simulate = b.chksyncsimulera->isChecked();
            r.status = main()->lblstatus->text();
            runs.push_back(r);
            if (during)
                during(runs.size());
        };
    }
    void commonSetting(const QString& time, const QString& days, const QStringList& chosen, int mirror = 0,
                       int simulate = 0) {
        schedule::writeCommonSetting(path("setup_schema_global.ini"),
                                     {true, mirror, time, days, 0, simulate});
        schedule::writeSelection(path("setup_schema_lista.ini"), chosen);
    }
    void runNow() { schedulerhost::setRunNowTag("1"); }
    void switchOn() { main()->chkaktiveraschema->setChecked(true); }
    void switchOff() { main()->chkaktiveraschema->setChecked(false); }
    bool on() { return main()->chkaktiveraschema->isChecked(); }
    // One tick of each running timer, Timer3 first.
    void tick() {
        Scheduler& s = scheduler();
        if (s.Timer3.isActive())
            s.Timer3_Timer();
        if (s.Timer1.isActive())
            s.Timer1_Timer();
    }
    // Ticks every five seconds of wall time until `seconds` have passed.
    void runFor(int seconds) {
        for (int t = 0; t < seconds; t += 5) {
            prog().clock.advance(5);
            tick();
        }
    }
    void at(const QDate& d, const QTime& t) { prog().clock.setNow(QDateTime(d, t)); }
    frmmain* main() { return prog().form<frmmain>(); }

    std::vector<RecordedRun> runs;
    std::function<void(size_t)> during;
    const QDate wednesday{2024, 6, 5};
    const QDate saturday{2024, 6, 8};
};

TEST_F(TimerTest, ACommonScheduleRunsItsJobsOnceAtItsMinuteOnItsDaysOnly) {
    jobs({"A", "B", "C"});
    commonSetting("10:00", "0111110", {"A", "C"}, 1, 1);
    at(wednesday, QTime(9, 58, 30));
    switchOn();
    ASSERT_TRUE(on());
    EXPECT_TRUE(scheduler().Timer1.isActive());
    EXPECT_FALSE(scheduler().Timer3.isActive());
    EXPECT_EQ(scheduler().dueMoment(), QDateTime(wednesday, QTime(10, 0)));
    runFor(180);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].at.time().toString("HH:mm"), "10:00");
    EXPECT_EQ(runs[0].jobs, (QStringList{"A", "C"}));
    EXPECT_EQ(runs[0].listed, 3);
    EXPECT_TRUE(runs[0].mirror);
    EXPECT_TRUE(runs[0].simulate);
    EXPECT_EQ(runs[0].status, "Status: Schemalagd backup pågår... (gemensam)");
    // After the run the next one is Thursday, and the timer goes on.
    EXPECT_TRUE(scheduler().Timer1.isActive());
    EXPECT_FALSE(scheduler().dueMoment().isValid());
    EXPECT_EQ(main()->lblstatus->text(),
              "Status: Schemakörning aktiv (väntar på nästa gemensamma körning: Torsdag kl. 10:00)");

    // Saturday is not one of its days.
    at(saturday, QTime(9, 59));
    runFor(120);
    EXPECT_EQ(runs.size(), 1u);
    // "Kör nu!" runs at the next tick whatever the day and time.
    runNow();
    scheduler().Timer1_Timer();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].jobs, (QStringList{"A", "C"}));
}

TEST_F(TimerTest, RunNowInsideTheScheduledMinuteStartsNoSecondRun) {
    jobs({"A"});
    commonSetting("10:00", "1111111", {"A"});
    at(wednesday, QTime(9, 59, 58));
    switchOn();
    runFor(5); // 10:00:03: the due moment has passed, the next run is tomorrow
    EXPECT_TRUE(runs.empty());
    runNow();
    runFor(5);
    ASSERT_EQ(runs.size(), 1u);
    runFor(60);
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(TimerTest, PerJobEntriesDueTogetherRunOneAfterAnotherLastFirst) {
    jobs({"A", "B", "C"});
    schedule("A", {1, 0, "08:00", "0234560", 0});
    schedule("B", {0, 0, "08:00", "0234560", 0});
    schedule("C", {1, 1, "08:00", "0004000", 1});
    at(wednesday, QTime(7, 59, 50));
    switchOn();
    EXPECT_EQ(scheduler().List2, (QStringList{"08:00*0*0*0*0234560", "08:00*1*2*1*0004000"}));
    EXPECT_TRUE(scheduler().Timer3.isActive());
    runFor(20);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].jobs, QStringList{"C"});
    EXPECT_TRUE(runs[0].mirror);
    EXPECT_TRUE(runs[0].simulate);
    EXPECT_EQ(runs[1].jobs, QStringList{"A"}); // only A: C's selection did not stay
    EXPECT_FALSE(runs[1].mirror);
    for (const RecordedRun& r : runs) {
        EXPECT_EQ(r.listed, 3);
        EXPECT_EQ(r.status, "Status: Schemalagd backup pågår... (1 jobb kvar i kö)");
    }
    EXPECT_TRUE(scheduler().listkö.isEmpty());
    runFor(60);
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(TimerTest, AJobFallingDueDuringARunIsQueuedAndRunsAfterIt) {
    jobs({"A", "B"});
    schedule("A", {1, 0, "08:00", "0234560", 0});
    schedule("B", {1, 0, "08:01", "0234560", 0});
    at(wednesday, QTime(7, 59, 55));
    switchOn();
    during = [this](size_t n) {
        if (n != 1)
            return;
        // The run takes 90 seconds; Timer3 keeps ticking while it yields.
        for (int t = 0; t < 90; t += 5) {
            prog().clock.advance(5);
            scheduler().Timer3_Timer();
        }
    };
    runFor(5);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(scheduler().listkö, QStringList{"08:01*0*1*0*0234560"});
    runFor(5);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].jobs, QStringList{"B"});
    EXPECT_TRUE(scheduler().listkö.isEmpty());
}

TEST_F(TimerTest, SwitchingOffDuringAPassEndsItQuietlyAfterTheCurrentRun) {
    jobs({"A", "B", "C"});
    for (const char* j : {"A", "B", "C"})
        schedule(j, {1, 0, "08:00", "1234567", 0});
    at(wednesday, QTime(7, 59, 55));
    switchOn();
    prog().form<frmschema2>(); // the editor is loaded, as it is while scheduling runs
    during = [this](size_t n) {
        if (n == 1)
            switchOff();
    };
    runFor(30);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_FALSE(on());
    EXPECT_TRUE(scheduler().listkö.isEmpty());
    EXPECT_FALSE(scheduler().Timer1.isActive());
    EXPECT_FALSE(scheduler().Timer3.isActive());
    EXPECT_FALSE(systemLog().contains("Ett fel uppstod"));
    EXPECT_EQ(prog().schema_avstängt, 1);
    EXPECT_TRUE(main()->Frame1->isEnabled()); // the commands are unlocked
}

TEST_F(TimerTest, AFailingQueueEntryIsDroppedAndLaterSchedulesStillRun) {
    jobs({"A", "B"});
    schedule("A", {1, 0, "08:00", "1234567", 0});
    at(wednesday, QTime(7, 59, 55));
    switchOn();
    // An entry whose job is gone, queued last so it runs first.
    scheduler().List2 << "08:00*0*7*0*1234567";
    runFor(10);
    const QString line =
        "Ett fel uppstod under nedräkning för schemaläggaren. Plats: Schema2, timer1. Felkod 9";
    EXPECT_EQ(systemLog().count(line), 1);
    EXPECT_TRUE(scheduler().Timer1.isActive());
    EXPECT_FALSE(scheduler().listkö.contains("08:00*0*7*0*1234567"));
    runFor(30);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].jobs, QStringList{"A"});
    EXPECT_EQ(systemLog().count(line), 1);
    EXPECT_TRUE(on());
}

TEST_F(TimerTest, TheAutumnNightRunsARepeatedMinuteOnce) {
    testutil::TimeZone tz("Europe/Stockholm");
    jobs({"A", "B"});
    schedule("A", {1, 0, "02:30", "1234567", 0});
    // 01:59 summer time, 27 October 2024; the clocks go back from 03:00 to 02:00.
    prog().clock.setNow(QDateTime(QDate(2024, 10, 27), QTime(1, 59)));
    switchOn();
    runFor(2 * 3600);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].jobs, QStringList{"A"});
    EXPECT_EQ(runs[0].at.offsetFromUtc(), 7200); // the first 02:30, summer time
    switchOff();

    // The common setting, the same night.
    runs.clear();
    commonSetting("02:30", "1111111", {"B"});
    scheduler().unload();
    prog().clock.setNow(QDateTime(QDate(2024, 10, 27), QTime(1, 59)));
    prog().clock.advance(0);
    switchOn();
    ASSERT_TRUE(scheduler().common);
    runFor(2 * 3600);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].jobs, QStringList{"B"});
}

TEST_F(TimerTest, TheSpringNightRunsASkippedTimeAtTheFirstTickAfterTheGap) {
    testutil::TimeZone tz("Europe/Stockholm");
    jobs({"A"});
    schedule("A", {1, 0, "02:30", "1234567", 0});
    // 01:58 winter time, 31 March 2024; the clocks go forward from 02:00 to 03:00.
    prog().clock.setNow(QDateTime(QDate(2024, 3, 31), QTime(1, 58)));
    switchOn();
    EXPECT_EQ(main()->lblschema_nästakörning->text(), "Idag 02:30 [A]");
    EXPECT_EQ(main()->lblschemanedräkning->text(), "2024-03-31 02:30:00");
    EXPECT_EQ(scheduler().dueMoment(), QDateTime(QDate(2024, 3, 31), QTime(3, 0)));
    runFor(15 * 60);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].at.time().toString("HH:mm"), "03:00");
}

TEST_F(TimerTest, ADueRunWaitsWhileAnotherRunIsGoingOn) {
    jobs({"A"});
    commonSetting("10:00", "1111111", {"A"});
    at(wednesday, QTime(9, 59, 55));
    switchOn();
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->cmdkörbackup->setEnabled(false); // a run started by hand is going on
    runFor(90);
    EXPECT_TRUE(runs.empty());
    b->cmdkörbackup->setEnabled(true);
    runFor(5);
    ASSERT_EQ(runs.size(), 1u);
    runFor(120);
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(TimerTest, TheReminderOpensOnceAtFifteenMinutesAndClosesItself) {
    jobs({"A"});
    commonSetting("10:00", "1111111", {"A"});
    // With the reminder off the window is loaded for its label but never shown.
    prog().settings().chkschemapåminnelse = false;
    at(wednesday, QTime(9, 45, 5));
    switchOn();
    scheduler().Timer1_Timer(); // the first tick computes afresh
    scheduler().Timer1_Timer();
    ASSERT_TRUE(prog().isLoaded<frmbackuppåminnelse>());
    EXPECT_FALSE(prog().loaded<frmbackuppåminnelse>()->isVisible());
    prog().settings().chkschemapåminnelse = true;
    at(wednesday, QTime(9, 43, 20));
    scheduler().Timer1_Timer();
    EXPECT_EQ(main()->lblschemanedräkning2->text(), "Backup startar om ungefär 17 min");
    EXPECT_FALSE(prog().loaded<frmbackuppåminnelse>()->isVisible());
    runFor(95); // 09:44:55: 16 min
    EXPECT_FALSE(prog().loaded<frmbackuppåminnelse>()->isVisible());
    runFor(10); // 09:45:05
    frmbackuppåminnelse* r = prog().loaded<frmbackuppåminnelse>();
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->isVisible());
    EXPECT_EQ(r->lbltid->text(), "Backup startar om ungefär 15 min");
    // Closed with OK, it does not come back in this countdown; its label is still written.
    r->Command1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    runFor(60);
    r = prog().loaded<frmbackuppåminnelse>();
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->isVisible());
    EXPECT_EQ(r->lbltid->text(), "Backup startar om ungefär 14 min");
    // Ten minutes do not close it; the one-minute text does.
    at(wednesday, QTime(9, 50, 30));
    scheduler().Timer1_Timer();
    EXPECT_TRUE(prog().isLoaded<frmbackuppåminnelse>());
    at(wednesday, QTime(9, 59, 5));
    scheduler().Timer1_Timer();
    EXPECT_FALSE(prog().isLoaded<frmbackuppåminnelse>());
}

TEST_F(TimerTest, AShownReminderClosesWhenTheRunStartsOrSchedulingStops) {
    jobs({"A"});
    commonSetting("10:00", "1111111", {"A"});
    prog().settings().chkschemapåminnelse = true;
    at(wednesday, QTime(9, 45, 10));
    switchOn();
    scheduler().Timer1_Timer();
    ASSERT_TRUE(prog().isLoaded<frmbackuppåminnelse>());
    during = [this](size_t) { EXPECT_FALSE(prog().isLoaded<frmbackuppåminnelse>()); };
    runNow();
    scheduler().Timer1_Timer();
    EXPECT_EQ(runs.size(), 1u);

    at(wednesday, QTime(9, 45, 10));
    scheduler().visaväntarnästakörning();
    scheduler().Timer1_Timer();
    ASSERT_TRUE(prog().isLoaded<frmbackuppåminnelse>());
    switchOff();
    EXPECT_FALSE(prog().isLoaded<frmbackuppåminnelse>());
}

TEST(Countdown, TheCountdownAddsAMinuteAndCountsRealSeconds) {
    const QDateTime due(QDate(2024, 6, 5), QTime(22, 0));
    const struct {
        int secondsLeft;
        const char* text;
    } cases[] = {{59, "Backup startar om ungefär 1 min"},
                 {120, "Backup startar om ungefär 3 min"},
                 {3600 + 5 * 60, "Backup startar om ungefär 1 tim, 6 min"}};
    for (const auto& c : cases)
        EXPECT_EQ(Scheduler::countdownText(due.addSecs(-c.secondsLeft), due), QString::fromUtf8(c.text))
            << c.secondsLeft;
    // Across the autumn change the wall clocks are an hour further apart than the real time.
    testutil::TimeZone tz("Europe/Stockholm");
    const QDateTime before(QDate(2024, 10, 27), QTime(1, 50));
    EXPECT_EQ(Scheduler::countdownText(before, QDateTime(QDate(2024, 10, 27), QTime(3, 0))),
              "Backup startar om ungefär 2 tim, 11 min");
}

TEST_F(TimerTest, QueuedEntriesRunTheJobTheyWereMadeForWhenTheJobListChanged) {
    jobs({"A", "C"});
    schedule("A", {1, 0, "08:00", "1234567", 0});
    schedule("C", {1, 0, "08:00", "1234567", 0});
    at(wednesday, QTime(7, 59, 55));
    switchOn();
    ASSERT_EQ(scheduler().List2, (QStringList{"08:00*0*0*0*1234567", "08:00*0*1*0*1234567"}));
    // Meanwhile A is gone and B has come: the list is B, C.
    for (int n = 0; n <= 9; ++n)
        QFile::remove(path(QString("Listor/A.%1").arg(n, 3, 10, QChar('0'))));
    jobs({"B"});
    runFor(10);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].jobs, QStringList{"C"});
    EXPECT_EQ(systemLog().count("FEL! Det schemalagda jobbet A finns inte längre och körs inte."), 1);
    EXPECT_FALSE(systemLog().contains("Ett fel uppstod"));
    EXPECT_TRUE(scheduler().listkö.isEmpty());
}

TEST_F(TimerTest, RunsFallingDueWhileAnotherOperationGoesOnStartWhenItEnds) {
    jobs({"A"});
    schedule("A", {1, 0, "10:00", "1234567", 0});
    for (const bool common : {true, false}) {
        runs.clear();
        schedule::writeCommonSetting(path("setup_schema_global.ini"), {common, 0, "10:00", "1111111", 0, 0});
        schedule::writeSelection(path("setup_schema_lista.ini"), {"A"});
        scheduler().unload();
        at(wednesday, QTime(9, 59, 55));
        switchOn();
        ASSERT_EQ(scheduler().common, common);
        {
            Operation restore(QStringLiteral("återställning"));
            ASSERT_TRUE(restore);
            runFor(90);
            EXPECT_TRUE(runs.empty()) << common;
        }
        runFor(5);
        ASSERT_EQ(runs.size(), 1u) << common;
        EXPECT_EQ(runs[0].jobs, QStringList{"A"});
        runFor(120);
        EXPECT_EQ(runs.size(), 1u) << common;
        switchOff();
    }
}
