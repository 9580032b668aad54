#include "mainwindow/main_window.h"
#include "mainwindow/old_backup_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTextEdit>

TEST(OldBackupAge, CountsCalendarDaysAndIgnoresTheTimeOfDay) {
    EXPECT_EQ(daysSinceLastRun("2024-01-31 23:59", QDate(2024, 3, 2)), 31);
    EXPECT_EQ(daysSinceLastRun("2024-02-01 00:00", QDate(2024, 3, 2)), 30);
    bool ok = true;
    daysSinceLastRun("inte ett datum", QDate(2024, 3, 2), &ok);
    EXPECT_FALSE(ok);
}

class OldBackupTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2024, 3, 2), QTime(0, 1, 0)));
        const QString g = path("Listor");
        for (const char* name : {"Bilder", "Dokument", "Musik", "Nytt"}) {
            testutil::JobSpec j;
            j.name = name;
            j.backupFolder = work("backup");
            testutil::writeJob(g, j);
        }
        testutil::writeLines(g + "/Bilder.007", {"2024-01-31 23:59", "Manuell"});   // 31 days
        testutil::writeLines(g + "/Dokument.007", {"2024-02-01 10:00", "Manuell"}); // 30 days
        testutil::writeLines(g + "/Musik.007", {"2023-12-01 10:00", "Schemalagd"}); // 92 days
        m = prog().form<frmmain>();
        for (const char* name : {"Bilder", "Dokument", "Musik", "Nytt"})
            m->comboinställningar->addItem(name);
    }
    frmmain* m = nullptr;
};

TEST_F(OldBackupTest, StartupCheckLogsOnceAndShowsTheNoticeButNotTheDialog) {
    m->varna_gammal_backup();
    auto* g = prog().loaded<frmgammalbackup>();
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->List1->count(), 2);
    EXPECT_EQ(g->List1->item(0)->text(), "31 dagar sedan (Bilder)");
    EXPECT_EQ(g->List1->item(1)->text(), "92 dagar sedan (Musik)");
    EXPECT_EQ(g->List2, QStringList({"Bilder", "Musik"}));
    EXPECT_FALSE(g->isVisible());
    EXPECT_TRUE(m->lblgammalbackup->isVisibleTo(m));
    const QString log = m->txtsyslogg->toPlainText();
    EXPECT_EQ(log.count("Hittade 2 jobb som inte körts på över 30 dagar."), 1);
}

TEST_F(OldBackupTest, AskedForWithNothingOldShowsTheMessage) {
    testutil::writeLines(path("Listor/Bilder.007"), {"2024-03-01 10:00", "Manuell"});
    testutil::writeLines(path("Listor/Musik.007"), {"", "Manuell"});
    dialogs().expectMessage("Alla dina jobb är körda för mindre än 30 dagar sedan.");
    m->lblgammalbackup_Click();
    EXPECT_FALSE(m->lblgammalbackup->isVisibleTo(m));
    EXPECT_TRUE(m->lblgammalbackup_Tag.isEmpty());
}

TEST_F(OldBackupTest, UnreadableDateStopsTheCheckWithOneErrorLine) {
    testutil::writeLines(path("Listor/Bilder.007"), {"trasigt", "Manuell"});
    m->lblgammalbackup_Click();
    EXPECT_TRUE(m->txtsyslogg->toPlainText().contains(
        "Ett fel uppstod vid inläsning av datum för senaste backup per jobb: 13 "));
    EXPECT_FALSE(prog().form<frmgammalbackup>()->isVisible());
}

TEST_F(OldBackupTest, RunNowFillsTheBackupWindowAfreshAndMarksTheChosenJobs) {
    m->lblgammalbackup_Click();
    frmgammalbackup* g = prog().form<frmgammalbackup>();
    EXPECT_TRUE(g->isVisible());
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->List1->addItem("stale entry");
    g->List1->item(1)->setSelected(true); // Musik
    g->cmdkör_Click();
    ASSERT_EQ(b->List1->count(), 4);
    EXPECT_EQ(b->List1->item(0)->text(), "Bilder");
    EXPECT_FALSE(b->List1->item(0)->isSelected());
    EXPECT_TRUE(b->List1->item(2)->isSelected());
    EXPECT_TRUE(b->isVisible());
    b->hide();
}
