// Scheduled runs through the real backup window, on real files.
#include "mainwindow/readme_window.h"
#include "run/backup_window.h"
#include "scheduler/host.h"
#include "scheduler/schedule_editor.h"
#include "scheduler/schedule_files.h"
#include "scheduler_fixture.h"

#include "platform/run_lock.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

class ScheduledRunTest : public SchedulerTest {
  protected:
    void SetUp() override {
        SchedulerTest::SetUp();
        src = work("Källa");
        dst = work("Backup");
        testutil::writeFile(src + "/brev.txt", "hej", QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
        testutil::writeFile(dst + src + "/gammal.txt", "kvar");
        testutil::writeJob(group(), testutil::jobOver("Jobb", src, dst));
        prog().form<frmmain>()->cmdload_Click();
    }
    // A second job, "Andra", backing up one file to the same folder.
    frmmain* addSecondJob() {
        testutil::writeFile(work("Andra") + "/b.txt", "b");
        testutil::writeJob(group(), testutil::jobOver("Andra", work("Andra"), dst));
        frmmain* m = prog().form<frmmain>();
        m->cmdload_Click();
        return m;
    }
    // Both jobs scheduled every day, Jobb at `jobb` and Andra at `andra`, and the scheduler switched
    // on at `now` on Wednesday 5 June 2024.
    frmmain* scheduleBoth(const QString& jobb, const QString& andra, QTime now) {
        frmmain* m = addSecondJob();
        JobFiles("Jobb").writeSchedule({1, 0, jobb, "1234567", 0});
        JobFiles("Andra").writeSchedule({1, 0, andra, "1234567", 0});
        prog().clock.setNow(QDateTime(QDate(2024, 6, 5), now));
        m->chkaktiveraschema->setChecked(true);
        return m;
    }
    // Advances the clock five seconds `n` times, ticking Timer3 (when running) and Timer1.
    void tick(int n) {
        for (int i = 0; i < n; ++i) {
            prog().clock.advance(5);
            if (scheduler().Timer3.isActive())
                scheduler().Timer3_Timer();
            scheduler().Timer1_Timer();
        }
    }
    QString src, dst;
};

TEST_F(ScheduledRunTest, ASimulatedMirrorRunSavesItsLeftovers) {
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 1, "22:00", "1111111", 0, 1});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"Jobb"});
    prog().form<frmmain>()->chkaktiveraschema->setChecked(true);
    Scheduler& s = scheduler();
    ASSERT_TRUE(s.Timer1.isActive());
    prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(21, 59, 58)));
    // A simulation ticked by hand in the backup window does not make the scheduled run one.
    prog().form<frmutförbackup>()->chkbackupsimulera->setChecked(true);
    tick(3);
    // The job ran as a scheduled run: the file is copied, the leftover stays, its list is saved.
    EXPECT_EQ(testutil::readBytes(dst + src + "/brev.txt"), QByteArray("hej"));
    EXPECT_TRUE(QFile::exists(dst + src + "/gammal.txt"));
    EXPECT_EQ(JobFiles("Jobb").readLastRun()->kind, "Schemalagd");
    const QStringList lists = QDir(path("Schemasync")).entryList({"*.schemasync"}, QDir::Files);
    ASSERT_EQ(lists.size(), 1);
    EXPECT_EQ(testutil::readLines(path("Schemasync/" + lists[0])), QStringList{dst + src + "/gammal.txt"});
    EXPECT_FALSE(prog().form<frmmain>()->lblstatus2->isHidden());
    EXPECT_FALSE(prog().isLoaded<frmutförbackup>() && prog().loaded<frmutförbackup>()->runGoingOn());
    EXPECT_TRUE(s.Timer1.isActive());
}

TEST_F(ScheduledRunTest, ThePreviousJobNeverRunsAgainInTheNextScheduledRun) {
    scheduleBoth("08:01", "08:00", QTime(7, 59, 55));
    Scheduler& s = scheduler();
    ASSERT_EQ(s.List2.size(), 2);
    QStringList ran;
    s.runner = [&](frmutförbackup& b) {
        for (int i = 0; i < b.List1->count(); ++i)
            if (b.List1->item(i)->isSelected())
                ran << b.List1->item(i)->text();
        b.schema();
    };
    tick(26);
    EXPECT_EQ(ran, (QStringList{"Andra", "Jobb"}));
    EXPECT_TRUE(QFile::exists(dst + work("Andra") + "/b.txt"));
    EXPECT_TRUE(QFile::exists(dst + src + "/brev.txt"));
}

// Another process's synchronisation holds the program folder when the first job falls due.
TEST_F(ScheduledRunTest, ARunRefusedByAnotherProcesssLockWaitsForNobodyAndTheNextRunStartsAtItsMinute) {
    frmmain* m = scheduleBoth("08:00", "08:01", QTime(7, 59, 55));
    auto other = std::make_unique<platform::FolderLock>(programDir_.path(), OperationGate::runLockFileName());
    ASSERT_EQ(other->tryTake("en mappsynkronisering"), platform::FolderLock::Result::Taken);
    tick(6); // 08:00:25
    other.reset();

    // Refused without a dialog (none is expected): the program log says why and the panel waits.
    EXPECT_FALSE(QFile::exists(dst + src + "/brev.txt"));
    EXPECT_TRUE(systemLog().contains("FEL! En mappsynkronisering pågår redan från den här programmappen. "
                                     "Den här körningen startades inte"))
        << systemLog().toStdString();
    EXPECT_EQ(m->lblschemavisasyslogg->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(m->lblstatus->text().contains("pågår")) << m->lblstatus->text().toStdString();
    EXPECT_TRUE(scheduler().Timer1.isActive());

    tick(12); // 08:01:25
    EXPECT_TRUE(QFile::exists(dst + work("Andra") + "/b.txt"));
    EXPECT_EQ(JobFiles("Andra").readLastRun()->when, "2024-06-05 08:01");
    EXPECT_FALSE(QFile::exists(dst + src + "/brev.txt"));
}

TEST_F(ScheduledRunTest, TheFinishedRunsListNamesTheJobOnlyWhenOneJobRan) {
    frmmain* m = addSecondJob();
    const struct {
        QStringList chosen;
        int day;
        QString entry;
    } cases[] = {{{"Andra", "Jobb"}, 5, " Backup utförd. 2 filer av 2 kopierades. "},
                 {{"Jobb"}, 6, " Backup utförd av \"Jobb\". 0 filer av 1 kopierades. "}};
    for (const auto& c : cases) {
        schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
        schedule::writeSelection(path("setup_schema_lista.ini"), c.chosen);
        prog().clock.setNow(QDateTime(QDate(2024, 6, c.day), QTime(21, 59, 58)));
        m->chkaktiveraschema->setChecked(true);
        tick(3);
        ASSERT_GT(m->listschemalogg->count(), 0);
        EXPECT_EQ(m->listschemalogg->currentItem()->text().mid(19), c.entry)
            << c.chosen.join(",").toStdString();
        m->chkaktiveraschema->setChecked(false);
        scheduler().Timer1_Timer(); // the tick after switching off unloads the editor's settings
    }
}

TEST_F(ScheduledRunTest, TwoJobsDueAtOneMinuteEachShowTheirOwnSavedLog) {
    frmmain* m = scheduleBoth("08:00", "08:00", QTime(7, 59, 58));
    tick(3);
    ASSERT_EQ(m->listschemalogg->count(), 2);
    for (int row = 0; row < 2; ++row) {
        m->listschemalogg->setCurrentRow(row);
        m->listschemalogg_Click();
        const QString entry = m->listschemalogg->item(row)->text();
        const QString job = entry.contains("\"Jobb\"") ? "JOBB" : "ANDRA";
        EXPECT_TRUE(m->txtschemalogg->toPlainText().contains("\n" + job + "\n")) << entry.toStdString();
    }
}

TEST_F(ScheduledRunTest, JobsWhoseNamesDifferInCaseKeepTheirOwnSavedLogsOfOneSecond) {
    for (const QString name : {"Bas", "bas"}) {
        testutil::writeFile(work(name) + "/" + name + ".txt", name.toUtf8());
        testutil::writeJob(group(), testutil::jobOver(name, work(name), dst));
        JobFiles(name).writeSchedule({1, 0, "08:00", "1234567", 0});
    }
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();
    prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(7, 59, 58)));
    m->chkaktiveraschema->setChecked(true);
    tick(3);
    ASSERT_EQ(m->listschemalogg->count(), 2);
    QStringList saved = QDir(path("Sparade loggar")).entryList({"*Backup av BAS*"}, QDir::Files);
    EXPECT_EQ(saved.size(), 2) << saved.join("\n").toStdString();
    for (int row = 0; row < 2; ++row) {
        m->listschemalogg->setCurrentRow(row);
        m->listschemalogg_Click();
        const QString entry = m->listschemalogg->item(row)->text();
        const QString own = entry.contains("\"Bas\"") ? "/Bas/Bas.txt" : "/bas/bas.txt";
        const QString other = entry.contains("\"Bas\"") ? "/bas/bas.txt" : "/Bas/Bas.txt";
        EXPECT_TRUE(m->txtschemalogg->toPlainText().contains(own)) << entry.toStdString();
        EXPECT_FALSE(m->txtschemalogg->toPlainText().contains(other)) << entry.toStdString();
    }
}

TEST_F(ScheduledRunTest, TheCommonRunAndTheEditorFollowTheJobListAfterAJobWasDeleted) {
    for (const char* j : {"A", "B", "C"}) {
        testutil::writeFile(work(j) + "/" + j + ".txt", j);
        testutil::writeJob(group(), testutil::jobOver(j, work(j), dst));
    }
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"B"});
    m->chkaktiveraschema->setChecked(true);
    m->chkaktiveraschema->setChecked(false);
    m->comboinställningar->setCurrentIndex(0);
    dialogs().expectMessage("Vill du ta bort det här jobbet (A)?", platform::Answer::Yes);
    m->cmdtabort_Click();
    ASSERT_FALSE(QFile::exists(path("Listor/A.000")));

    // "Kör nu!" runs the chosen job B, not the job that took its place in the list.
    m->chkaktiveraschema->setChecked(true);
    m->cmdschema_körnu->click();
    scheduler().Timer1_Timer();
    EXPECT_TRUE(QFile::exists(dst + work("B") + "/B.txt"));
    EXPECT_FALSE(QFile::exists(dst + work("C") + "/C.txt"));

    // The editor lists the jobs there are, B still chosen.
    m->chkaktiveraschema->setChecked(false);
    dialogs().expectWindow("frmschema2", [](QWidget* w) {
        auto* e = static_cast<frmschema2*>(w);
        QStringList listed, chosen;
        for (int i = 0; i < e->listglobal->count(); ++i) {
            listed << e->listglobal->item(i)->text();
            if (e->listglobal->item(i)->isSelected())
                chosen << e->listglobal->item(i)->text();
        }
        EXPECT_EQ(listed, (QStringList{"B", "C", "Jobb"}));
        EXPECT_EQ(chosen, QStringList{"B"});
        e->close();
    });
    m->cmdstartaschema_Click();
}

// A start with scheduling on and one job whose filter file was emptied: nobody is asked anything,
// the sound job still runs at its minute, and the broken one is refused at its own and named.
TEST_F(ScheduledRunTest, AJobThatCannotBeReadWaitsForNobodyAtStartAndIsRefusedAtItsMinute) {
    testutil::writeFile(work("Andra") + "/b.txt", "b");
    testutil::writeJob(group(), testutil::jobOver("Andra", work("Andra"), dst));
    testutil::writeFile(group() + "/Andra.003", "");
    JobFiles("Andra").writeSchedule({1, 0, "08:00", "1234567", 0});
    JobFiles("Jobb").writeSchedule({1, 0, "08:01", "1234567", 0});
    QStringList settings(19, " 0 ");
    settings[2] = " 1 "; // "Starta aktiverad"
    testutil::writeLines(path("programalternativ.ini"), settings);
    testutil::writeLines(path("setup_api.ini"), {" 0 "});
    testutil::writeLines(path("readme700.dat"), {""});
    prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(7, 59, 55)));
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load()); // no dialog is expected
    ASSERT_TRUE(m->chkaktiveraschema->isChecked());
    const QString file = group() + "/Andra.003";
    EXPECT_TRUE(systemLog().contains("jobbet Andra skulle läsas (filen " + file + ") [62]"))
        << systemLog().toStdString();
    EXPECT_EQ(m->lblschemavisasyslogg->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    tick(6); // 08:00:25
    const QString refusal = "Jobbet ''Andra'' kördes inte, eftersom jobbets filer inte kunde läsas: " + file;
    EXPECT_TRUE(QString::fromUtf8(bytes("log.txt")).contains(refusal)) << bytes("log.txt").toStdString();
    const QStringList saved = QDir(path("Sparade loggar")).entryList(QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(QString::fromUtf8(bytes("Sparade loggar/" + saved[0])).contains(refusal));
    EXPECT_TRUE(
        systemLog().contains("FEL! Jobbet Andra körs inte, eftersom jobbets filer inte kunde läsas: " + file))
        << systemLog().toStdString();
    EXPECT_EQ(m->trayTag(), "err");
    EXPECT_TRUE(scheduler().Timer1.isActive());

    tick(12); // 08:01:25
    EXPECT_TRUE(QFile::exists(dst + src + "/brev.txt"));
    EXPECT_FALSE(QFile::exists(dst + work("Andra") + "/b.txt"));
}

// A start with scheduling on while this version's readme was not yet shown: the readme waits over
// the main window for the person who comes, and the scheduler runs meanwhile.
TEST_F(ScheduledRunTest, TheReadmeAtAStartWithSchedulingOnHoldsNoScheduledRunUp) {
    JobFiles("Jobb").writeSchedule({1, 0, "08:00", "1234567", 0});
    QStringList settings(19, " 0 ");
    settings[2] = " 1 "; // "Starta aktiverad"
    testutil::writeLines(path("programalternativ.ini"), settings);
    testutil::writeLines(path("setup_api.ini"), {" 0 "});
    testutil::writeFile(path("readme.txt"), "Nytt i 7\r\n");
    prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(7, 59, 55)));
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load()); // no dialog is expected
    ASSERT_TRUE(m->chkaktiveraschema->isChecked());
    QCoreApplication::processEvents();
    auto* readme = static_cast<frmreadme*>(m->findChild<QDialog*>("frmreadme"));
    ASSERT_NE(readme, nullptr);
    EXPECT_TRUE(readme->isVisible());
    EXPECT_FALSE(readme->isModal());
    EXPECT_EQ(testutil::readBytes(path("readme700.dat")), "\r\n");

    tick(6); // 08:00:25
    EXPECT_EQ(testutil::readBytes(dst + src + "/brev.txt"), QByteArray("hej"));
    EXPECT_TRUE(readme->isVisible());
    readme->Command1->click();
}
