#include "core/error_dialog.h"
#include "foldersync/sync_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/old_backup_window.h"
#include "mainwindow/settings_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
void expectErrorDialog(platform::Dialogs& d, const QString& text) {
    d.expectWindow("frmerror", [text](QWidget* w) {
        auto* e = static_cast<frmerror*>(w);
        EXPECT_EQ(e->lblfel->toPlainText(), text);
    });
}
} // namespace

class CommandsTest : public ProgramTest {
  protected:
    void addJobs(const QStringList& names) {
        for (const QString& n : names) {
            testutil::JobSpec j;
            j.name = n;
            j.backupFolder = work("backup");
            j.mainFolders = {"/data/Dokument"};
            testutil::writeJob(path("Listor"), j);
        }
        m()->cmdload_Click();
    }
    frmmain* m() { return prog().form<frmmain>(); }
};

TEST_F(CommandsTest, BackupCommandFillsTheWindowOnceAndRefusesAnEmptyList) {
    m();
    expectErrorDialog(dialogs(), "Det finns inga jobb att utföra!");
    m()->cmdkör_Click();
    EXPECT_FALSE(prog().form<frmutförbackup>()->isVisible());

    addJobs({"Bilder", "Dokument"});
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->List1->addItem("kvar från förr");
    m()->cmdkör_Click();
    ASSERT_EQ(b->List1->count(), 2);
    EXPECT_EQ(b->List1->item(1)->text(), "Dokument");
    EXPECT_TRUE(b->isVisible());
    m()->cmdkör_Click(); // already visible: shown again, nothing added
    EXPECT_EQ(b->List1->count(), 2);
    b->hide();
}

TEST_F(CommandsTest, ToolbarRunsItsCommandsOnThePress) {
    addJobs({"Bilder"});
    auto* pic = m()->findChild<QWidget*>("picutför");
    ASSERT_NE(pic, nullptr);
    QTest::mousePress(pic, Qt::LeftButton);
    EXPECT_TRUE(prog().form<frmutförbackup>()->isVisible());
    prog().form<frmutförbackup>()->hide();
    // The about item's image runs the old-backup check.
    auto* img = m()->findChild<QWidget*>("imgom");
    ASSERT_NE(img, nullptr);
    testutil::writeLines(path("Listor/Bilder.007"), {"2000-01-01 10:00", "Manuell"});
    QTest::mousePress(img, Qt::LeftButton);
    EXPECT_TRUE(m()->lblgammalbackup->isVisibleTo(m()));
}

TEST_F(CommandsTest, TargetFoldersOfMainFoldersForEveryPathType) {
    program().job().txtbackupmapp = "/mnt/usb/Säk";
    program().job().txtsökvägtyp = "0";
    EXPECT_EQ(m()->targetFolderOfMainFolder("/data/Dokument"), "/mnt/usb/Säk/data/Dokument/");
    program().job().txtsökvägtyp = "1";
    program().job().txtabsolutsökväg_huvudmapp = "NEJ";
    EXPECT_EQ(m()->targetFolderOfMainFolder("/data/Foto/2009"), "/mnt/usb/Säk/");
    program().job().txtabsolutsökväg_huvudmapp = "JA";
    EXPECT_EQ(m()->targetFolderOfMainFolder("/data/Foto/2009"), "/mnt/usb/Säk/2009/");
}

TEST_F(CommandsTest, FolderMenuShowsAtMostFiftyPairsAndMissingFoldersAreReported) {
    m();
    QStringList mains;
    for (int i = 0; i < 60; ++i)
        mains << QString("/data/m%1").arg(i);
    program().job().combomappar = mains;
    program().job().txtbackupmapp = "/b";
    m()->showRecord();
    m()->setCombomapparIndex(0);
    m()->cmdöppnamålmapp_Click();
    frmsetup* s = prog().form<frmsetup>();
    EXPECT_EQ(s->mnukällmapp[49]->text(), "/data/m49");
    EXPECT_TRUE(s->mnukällmapp[49]->isVisible());
    EXPECT_EQ(s->mnumålmapp[0]->text(), "/b/data/m0/");

    expectErrorDialog(dialogs(), "Mappen existerar inte.\n/data/m0");
    s->mnukällmapp[0]->trigger();
    testutil::makeDir(work("finns"));
    dialogs().expectOpenUrl(work("finns"));
    m()->openFolder(work("finns"), true);
}

TEST_F(CommandsTest, TestButtonsNeedTheirFile) {
    m();
    dialogs().expectMessage("fil saknas");
    m()->Command1_Click();
    testutil::writeLines(path("_startstopp.txt"), {"Inget sådant fönster", "/usr/bin/true"});
    dialogs().expectStartProgram("/usr/bin/true");
    m()->Command2_Click();
}

TEST_F(CommandsTest, FolderCopyingOpensTheSynchronisationWindowFromButtonAndToolbar) {
    int opened = 0;
    auto expectSync = [&] {
        dialogs().expectWindow("frmmappsync", [&](QWidget* w) {
            ++opened;
            EXPECT_EQ(w->windowTitle(), "Mappkopiering");
            static_cast<frmmappsync*>(w)->cmdstäng->click();
        });
    };
    expectSync();
    m()->findChild<QPushButton*>("cmdsynk")->click();
    EXPECT_FALSE(prog().isLoaded<frmmappsync>()); // closing unloads it: each opening starts afresh
    expectSync();
    QTest::mousePress(m()->findChild<QWidget*>("lblsynk"), Qt::LeftButton);
    EXPECT_EQ(opened, 2);
}
