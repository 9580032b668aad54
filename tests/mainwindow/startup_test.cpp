#include "core/error_dialog.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <cerrno>

class StartupTest : public ProgramTest {
  protected:
    // The files that keep a first start from asking anything.
    void settled() {
        QStringList settings;
        for (int i = 0; i < 19; ++i)
            settings << " 0 ";
        testutil::writeLines(path("programalternativ.ini"), settings);
        testutil::writeLines(path("setup_api.ini"), {" 0 "});
        testutil::writeLines(path("readme700.dat"), {"1"});
    }
};

TEST_F(StartupTest, FreshFolderGetsListorAndTheStartLine) {
    prog().clock.setNow(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    dialogs().expectMessage("första gången", platform::Answer::No);
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    EXPECT_TRUE(platform::folderExists(path("Listor")));
    const QString log = m->txtsyslogg->toPlainText();
    EXPECT_TRUE(log.startsWith("2026-03-04 05:06:07  Uppstart av Tamrel Backup version 7.0.0"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("Skapade mappen \\Listor"));
    EXPECT_EQ(m->windowTitle(), "Tamrel Backup");
    EXPECT_TRUE(m->TrayIcon1->inTray());
    EXPECT_EQ(m->TrayIcon1->toolTip(), "Tamrel Backup");
    EXPECT_TRUE(m->Timerfönstersize->isActive());
}

TEST_F(StartupTest, AnExistingListorIsNotReported) {
    settled();
    testutil::makeDir(path("Listor"));
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    EXPECT_FALSE(m->systemLogText().contains("Skapade mappen"));
    EXPECT_FALSE(m->lblstatus2->isVisibleTo(m));
}

TEST_F(StartupTest, SavedLeftoverListsShowTheStatusLabel) {
    settled();
    testutil::writeFile(path("Schemasync/2026-01-01.schemasync"), "x");
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    EXPECT_TRUE(m->lblstatus2->isVisibleTo(m));
}

TEST_F(StartupTest, AProgramInTheRootFolderIsRefused) {
    Program root("/");
    setProgram(&root);
    root.dialogs.setScripted(true);
    root.dialogs.expectWindow("frmerror", [](QWidget* w) {
        EXPECT_EQ(static_cast<frmerror*>(w)->lblfel->toPlainText(),
                  "Programmet måste ligga i en egen underkatalog till /.\nProgrammet kommer att avslutas!");
    });
    EXPECT_FALSE(root.form<frmmain>()->load());
    EXPECT_EQ(root.exitStatus, 1);
    EXPECT_TRUE(root.dialogs.verify().isEmpty());
    setProgram(program_.get());
}

// A program installed by root or on a read-only disk: said once, and the optional job file that
// cannot be made keeps its default instead of stopping the job.
TEST_F(StartupTest, AProgramFolderThatCannotBeWrittenIsNamedOnStandardErrorAndTheJobStillRuns) {
    settled();
    testutil::writeFile(work("källa/a.txt"), "a");
    testutil::makeDir(work("backup"));
    testutil::writeJob(path("Listor"), testutil::jobOver("J", work("källa"), work("backup")));
    QFile::remove(path("Listor/J.005"));
    platform::injectFault(path("Listor/J.005"), EROFS);
    platform::injectFault(prog().programFolder() + "#write", EROFS);
    prog().commandLine = "J";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(prog().form<frmmain>()->load());
    const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(err.count("Programmappen " + prog().programFolder() + " är skrivskyddad."), 1)
        << err.toStdString();
    EXPECT_FALSE(err.contains("[75]")) << err.toStdString();
    EXPECT_EQ(prog().exitStatus, 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(work("backup") + work("källa/a.txt")));
}

TEST_F(StartupTest, ShutdownWritesOneBlockEndingTheLogAndSwitchesTheSchedulerOff) {
    settled();
    prog().clock.setNow(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    testutil::writeScheduledJob(path("Listor"), "Schemalagt");
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    m->chkaktiveraschema->setChecked(true);
    m->showMinimized();
    m->Form_Unload();
    EXPECT_FALSE(m->chkaktiveraschema->isChecked());
    EXPECT_FALSE(m->TrayIcon1->inTray());
    // A minimised window leaves the saved geometry alone.
    EXPECT_FALSE(QFileInfo::exists(path("setup_windowsize_main.ini")));
    const QString log = QString::fromUtf8(testutil::readBytes(path("programlogg.txt")));
    EXPECT_TRUE(log.startsWith(platform::dateTimeText(prog().clock.now()) + "  Uppstart"));
    EXPECT_TRUE(log.endsWith("  Avslutar programmet.\r\n\r\n\r\n"));
    EXPECT_EQ(log.count("Uppstart av Tamrel Backup"), 1);
    // A second close does not write a second block.
    m->Form_Unload();
    EXPECT_EQ(QString::fromUtf8(testutil::readBytes(path("programlogg.txt"))), log);
}

TEST_F(StartupTest, ClosingAShownWindowSavesItsGeometry) {
    settled();
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    m->show();
    m->close();
    EXPECT_EQ(testutil::readLines(path("setup_windowsize_main.ini")).size(), 4);
    EXPECT_TRUE(QFileInfo::exists(path("programlogg.txt")));
}

TEST_F(StartupTest, ActivationFollowsTheBackupWindowAndTheSchedulerRequest) {
    settled();
    testutil::writeScheduledJob(path("Listor"), "Schemalagt");
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    m->show();
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->show();
    m->Form_Activate();
    EXPECT_FALSE(m->listinställningar->isEnabled());
    EXPECT_FALSE(m->comboinställningar->isEnabled());
    b->hide();
    m->Form_Activate();
    EXPECT_TRUE(m->listinställningar->isEnabled());
    m->cmdstartaschema_Tag = "1";
    m->Form_Activate();
    EXPECT_TRUE(m->chkaktiveraschema->isChecked());
    EXPECT_EQ(m->cmdstartaschema_Tag, "");
    // While the scheduler is on, the status line is its own.
    m->lblstatus->setText("Status: något");
    m->Form_Activate();
    EXPECT_EQ(m->lblstatus->text(), "Status: något");
    m->cmdstartaschema_Tag = "0";
    m->Form_Activate();
    EXPECT_FALSE(m->chkaktiveraschema->isChecked());
    m->Form_Activate();
    EXPECT_EQ(m->lblstatus->text(), "Status: Redo");
    m->chkload = true;
    m->Form_Activate();
    EXPECT_FALSE(m->chkload);
}

TEST_F(StartupTest, ActivationClosesALeftOverRunPopup) {
    settled();
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    QPointer<QWidget> popup = new QWidget;
    popup->setObjectName("frmbackupfel");
    popup->show();
    m->Form_Activate();
    EXPECT_FALSE(popup && popup->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(popup.isNull());
}

TEST_F(StartupTest, StartMinimisedHidesOnlyAtTheFirstActivation) {
    settled();
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    frmsetup* s = prog().form<frmsetup>();
    s->chkstartaminimerad->setChecked(true);
    s->chkstartaminimerad_Tag.clear();
    m->show();
    m->Form_Activate();
    EXPECT_EQ(s->chkstartaminimerad_Tag, "1");
    EXPECT_TRUE(m->TrayIcon1->inTray());
    // Without a notification area the window is minimised, so it can still be reached.
    if (platform::TrayIcon::available())
        EXPECT_FALSE(m->isVisible());
    else
        EXPECT_TRUE(m->isVisible() && (m->windowState() & Qt::WindowMinimized));
    m->TrayIcon1_MouseDown();
    m->Form_Activate();
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(m->windowState() & Qt::WindowMinimized);
}

TEST_F(StartupTest, AJobSavedElsewhereShowsAtActivationWithTheSelectionKept) {
    settled();
    for (const char* name : {"Alfa", "Beta"}) {
        testutil::JobSpec j;
        j.name = name;
        j.folders = {work("a"), work("b")};
        j.mainFolders = {work("a"), work("b")};
        j.backupFolder = work("backup");
        testutil::writeJob(path("Listor"), j);
    }
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    ASSERT_EQ(m->comboinställningar->count(), 2);
    m->comboinställningar->setCurrentIndex(1);
    m->setCombomapparIndex(1);
    testutil::JobSpec c;
    c.name = "Gamma";
    c.folders = {work("c")};
    c.mainFolders = {work("c")};
    c.backupFolder = work("backup");
    testutil::writeJob(path("Listor"), c);
    m->chkload = true;
    m->Form_Activate();
    EXPECT_FALSE(m->chkload);
    EXPECT_EQ(m->comboinställningar->count(), 3);
    EXPECT_EQ(m->comboinställningar->currentIndex(), 1);
    EXPECT_EQ(program().job().txtjobbnamn, "Beta");
    EXPECT_EQ(m->combomapparIndex(), 1);
}
