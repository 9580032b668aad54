#include "foldersync/sync_window.h"
#include "support/accessible.h"
#include "support/e2e.h"
#include "sync_support.h"

#include "core/error_dialog.h"
#include "core/operations.h"
#include "foldersync/sync_engine.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/run_lock.h"
#include "run/run_driver.h"
#include "run/simulation_window.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <functional>

using synctest::at;

namespace {

class SyncWindow : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(at());
        a = work("A");
        b = work("B");
    }
    frmmappsync* win() { return prog().form<frmmappsync>(); }
    void folders(const QString& one, const QString& two) {
        win()->txtmapp1->setEditText(one);
        win()->txtmapp2->setEditText(two);
    }
    QString syslog() { return QString(prog().systemLog().text()).replace("\r\n", "\n"); }
    QStringList log() { return testutil::readLines(path("log.txt")); }
    QStringList savedLogs() { return QDir(path("Sparade loggar")).entryList(QDir::Files); }
    // The message reporter's dialog, with a text that contains `contains`.
    void expectReport(const QString& contains) {
        dialogs().expectWindow("frmerror", [contains](QWidget* w) {
            auto* d = static_cast<frmerror*>(w);
            EXPECT_TRUE(d->lblfel->toPlainText().contains(contains))
                << d->lblfel->toPlainText().toStdString();
            d->cmdok->click();
        });
    }
    void expectIdleLook() {
        frmmappsync* w = win();
        EXPECT_TRUE(w->Frame1->isEnabled());
        EXPECT_FALSE(w->framesetup->isHidden());
        EXPECT_TRUE(w->Frame2->isHidden());
        EXPECT_TRUE(w->cmdkör->isEnabled());
        EXPECT_FALSE(w->cmdstäng->isHidden());
        EXPECT_TRUE(w->cmdavbryt->isHidden());
    }
    void drop(QComboBox* field, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        // As the desktop delivers it: the drag enters the field, then the drop follows.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field->lineEdit(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent e(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field->lineEdit(), &e);
    }

    QString a, b;
};

TEST_F(SyncWindow, OpensIdleWithTheNewestPairPreset) {
    testutil::writeLines(path("setup_synkmappar.ini"), {"/ny/a*/gammal/a*", "/ny/b*"});
    frmmappsync* w = win();
    EXPECT_EQ(w->txtmapp1->currentText(), "/ny/a");
    EXPECT_EQ(w->txtmapp1->count(), 2);
    EXPECT_EQ(w->txtmapp2->currentText(), "/ny/b");
    EXPECT_TRUE(w->chkfrånsökväg1->isChecked() && w->chkfrånsökväg2->isChecked());
    EXPECT_FALSE(w->chksimulera->isChecked());
    EXPECT_TRUE(w->Frame3->isHidden());
    expectIdleLook();
}

TEST_F(SyncWindow, EveryControlHasANameInEachLook) {
    platform::installAccessibility();
    frmmappsync* w = win();
    w->show();
    EXPECT_EQ(testutil::unnamedControls(w), QStringList());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w->txtmapp1)->text(QAccessible::Name), "Mapp 1");
    // The running look, and the log view over it.
    w->Frame2->show();
    w->framesetup->hide();
    w->cmdavbryt->show();
    EXPECT_EQ(testutil::unnamedControls(w), QStringList());
    w->Frame3->setGeometry(8, 0, 600, 400);
    w->Frame3->show();
    EXPECT_EQ(testutil::unnamedControls(w), QStringList());
    w->hide();
}

TEST_F(SyncWindow, WithoutADirectionOnlyTheMessageIsShown) {
    testutil::writeLines(path("log.txt"), {"förra körningen"});
    folders(a, b);
    win()->chkfrånsökväg1->setChecked(false);
    win()->chkfrånsökväg2->setChecked(false);
    expectReport("Du måste välja åt vilket håll kopieringen ska ske.");
    win()->cmdkör->click();
    EXPECT_FALSE(QFile::exists(path("setup_synkmappar.ini")));
    EXPECT_EQ(log(), QStringList({"förra körningen"}));
}

TEST_F(SyncWindow, AnEmptyFolderFieldSavesTheHistoriesButStartsNoRun) {
    testutil::writeLines(path("setup_synkmappar.ini"), {"", "/b*"});
    folders(a, "");
    win()->cmdkör->click();
    EXPECT_EQ(testutil::readLines(path("setup_synkmappar.ini")), QStringList({a + "*", "*/b*"}));
    EXPECT_EQ(log(), QStringList({"", "Mappsynkronisering utförd 2024-03-01  12:00", ""}));
    EXPECT_FALSE(syslog().contains("Startade mappsynkronisering."));
    EXPECT_FALSE(QDir(a).exists());
    expectIdleLook();
}

TEST_F(SyncWindow, ARunEndsWithItsSummaryTheLogViewAndASavedCopy) {
    testutil::writeFile(a + "/ett.txt", "1", at(-60));
    testutil::writeFile(b + "/två.txt", "22", at(-60));
    folders(a, b);
    win()->cmdkör->click();

    EXPECT_EQ(testutil::readBytes(b + "/ett.txt"), "1");
    EXPECT_EQ(testutil::readBytes(a + "/två.txt"), "22");
    const QStringList lines = log();
    EXPECT_EQ(lines.mid(0, 5), QStringList({"", "Mappsynkronisering utförd 2024-03-01  12:00", "",
                                            "+ " + b + "/ett.txt", "+ " + a + "/två.txt"}));
    EXPECT_EQ(lines.mid(6),
              QStringList({"", "Mappsynkronisering klar.", "2 filer kopierades.", "", "",
                           "2 filer kopierades totalt", "2 nya filer kopierades (exkl. ev. skyddade filer)",
                           "0 ändrade filer kopierades (exkl. ev. skyddade filer)",
                           "0 skyddade filer kopierades", "  0 filer misslyckades", "0,00 MB"}));
    EXPECT_EQ(savedLogs(),
              QStringList({"log 2024-03-01 12.00.00 Mappsynkronisering. 2 filer kopierades. 0,00 MB.txt"}));
    EXPECT_EQ(testutil::readLines(path("setup_synkmappar.ini")), QStringList({a + "*", b + "*"}));

    frmmappsync* w = win();
    expectIdleLook();
    EXPECT_FALSE(w->Frame3->isHidden());
    EXPECT_EQ(w->Frame3->pos(), QPoint(8, 0));
    EXPECT_TRUE(w->Text1->toPlainText().contains("2 nya filer kopierades"));
    EXPECT_EQ(w->lbl2->text(), "Kopierade filer: 2");
    EXPECT_EQ(w->lblCount->text(), "1 mapp");
    EXPECT_FALSE(w->lblCount2->isHidden());
    // Three files were handled: the copy made into folder 2 is looked at again on the way back.
    EXPECT_EQ(w->lblprocent2->text(), "100,0%");
    EXPECT_TRUE(w->imgerr->isHidden());
    const QString box = w->txtloggtext->toPlainText();
    EXPECT_TRUE(box.startsWith(
        "\n12:00:00 Kontrollerar om mapparna finns.\n12:00:00 Räknar upp mappar som ska köras."));
    EXPECT_TRUE(box.endsWith(
        "\n12:00:00 Mapp 1 <- Mapp 2: 1 kopierad fil.\n12:00:00 Mappsynkronisering klar. 2 filer "
        "kopierades."));
    const QString sys = syslog();
    EXPECT_TRUE(sys.contains(QString(47, '*') + "\n2024-03-01 12:00:00  Startade mappsynkronisering.\n"));
    EXPECT_TRUE(sys.endsWith("Mappsynkronisering klar. 2 filer kopierades.\n2024-03-01 12:00:00  " +
                             QString(47, '*')));

    w->Command1->click();
    EXPECT_TRUE(w->Frame3->isHidden());
}

TEST_F(SyncWindow, TheLogViewTakesTheKeyboardAndEnterGivesTheWindowBack) {
    platform::installAccessibility();
    testutil::writeFile(a + "/ett.txt", "1", at(-60));
    testutil::makeDir(b);
    frmmappsync* w = win();
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    folders(a, b);
    w->txtmapp1->setFocus();
    w->cmdkör->click();
    ASSERT_FALSE(w->Frame3->isHidden());
    // The controls under the view cannot be seen, so the keyboard must not stay on them.
    EXPECT_EQ(QApplication::focusWidget(), w->Command1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(w->Frame3->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), w->cmdkör);
    // With the view hidden, Enter in a field presses nothing.
    w->txtmapp1->setFocus();
    QTest::keyClick(w->txtmapp1->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(w->Frame3->isHidden());
    w->hide();
}

// The log view covers the window after a run: what lies beneath is neither reached by Tab (where
// Space would start a run or untick "Simulera" unseen) nor showing for a screen reader.
TEST_F(SyncWindow, WhatTheLogViewCoversIsOutOfReach) {
    platform::installAccessibility();
    testutil::writeFile(a + "/ett.txt", "1", at(-60));
    testutil::makeDir(b);
    frmmappsync* w = win();
    testutil::showActive(w);
    folders(a, b);
    w->cmdkör->click();
    ASSERT_FALSE(w->Frame3->isHidden());
    QSet<QWidget*> reached;
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget();
    }
    for (QWidget* c : QList<QWidget*>{w->cmdkör, w->chksimulera, w->txtmapp1, w->cmdstäng, w->lblhjälp}) {
        SCOPED_TRACE(c->objectName().toStdString());
        EXPECT_FALSE(reached.contains(c));
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(c)->state().invisible);
    }
    EXPECT_TRUE(reached.contains(w->Command1));
    // Once the view is put away, the window is there as it was.
    w->Command1->click();
    expectIdleLook();
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(w->cmdkör)->state().invisible);
    w->hide();
}

TEST_F(SyncWindow, ASimulatedRunShowsWhatCouldBeCopiedAndChangesNothing) {
    testutil::writeFile(a + "/x/ny.txt", "ny", at(-60));
    testutil::writeFile(a + "/ändrad.txt", "ny", at(-10));
    testutil::writeFile(b + "/ändrad.txt", "gammal", at(-60));
    const auto before = synctest::snapshot(work(""));
    folders(a, b);
    win()->chksimulera->setChecked(true);
    dialogs().expectWindow("frmsimuleradbackup", [&](QWidget* widget) {
        auto* s = static_cast<frmsimuleradbackup*>(widget);
        EXPECT_EQ(s->lblinfo->text(), "2 fil(er) kan kopieras. 1 ny(a), 1 ändrad(e).");
        ASSERT_EQ(s->List1->count(), 2);
        EXPECT_EQ(s->List1->item(0)->text(), "+ " + a + "/x/ny.txt");
        EXPECT_EQ(s->List2, QStringList({"+ " + b + "/x/ny.txt", b + "/ändrad.txt"}));
    });
    win()->cmdkör->click();
    EXPECT_EQ(synctest::snapshot(work("")), before);
    EXPECT_FALSE(QDir(b + "/x").exists()); // no counterpart folder in a simulation
    EXPECT_EQ(log().mid(3, 2), QStringList({"+ " + b + "/x/ny.txt", b + "/ändrad.txt"}));
    EXPECT_TRUE(syslog().contains("Startade mappsynkronisering. (Simulerad)"));
    EXPECT_TRUE(syslog().contains("Mappsynkronisering klar. 2 filer skulle kopieras. (simulerad)"));
    ASSERT_EQ(savedLogs().size(), 1);

    // Nothing to copy: no result window.
    testutil::writeFile(b + "/x/ny.txt", "ny", at(-60));
    testutil::writeFile(b + "/ändrad.txt", "ny", at(-10));
    win()->cmdkör->click();
}

TEST_F(SyncWindow, NestedFoldersOrARunningBackupAreRefusedBeforeAnythingIsTouched) {
    testutil::writeFile(a + "/f.txt", "f", at(-60));
    folders(a, a + "/kopia");
    expectReport("Mapp 2 ligger i Mapp 1.");
    win()->cmdkör->click();
    EXPECT_EQ(testutil::treeFiles(a), QStringList({"f.txt"}));
    EXPECT_FALSE(QFile::exists(path("setup_synkmappar.ini")));
    EXPECT_FALSE(QFile::exists(path("log.txt")));

    platform::FolderLock backup(programDir_.path(), RunDriver::lockFileName());
    ASSERT_EQ(backup.tryTake(), platform::FolderLock::Result::Taken);
    folders(a, b);
    dialogs().expectMessage("Vill du skapa den nu?", platform::Answer::Yes);
    expectReport("FEL! En annan körning pågår redan från den här programmappen.");
    win()->cmdkör->click();
    EXPECT_FALSE(QDir(b).exists());
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    backup.release();
    dialogs().expectMessage("Vill du skapa den nu?", platform::Answer::Yes);
    win()->cmdkör->click();
    EXPECT_TRUE(QFile::exists(b + "/f.txt"));
}

TEST_F(SyncWindow, AMissingFolderIsMadeOnlyWhenTheUserSaysSo) {
    testutil::writeFile(a + "/f.txt", "f", at(-60));
    const QString typo = work("INTEUSB/B");
    folders(a, typo);
    dialogs().expectMessage("Mappen du valt finns inte.\r\n" + typo + "\r\n\r\nVill du skapa den nu?",
                            platform::Answer::No);
    win()->cmdkör->click();
    EXPECT_FALSE(QDir(work("INTEUSB")).exists());
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    expectIdleLook();

    dialogs().expectMessage("Vill du skapa den nu?", platform::Answer::Yes);
    win()->cmdkör->click();
    EXPECT_TRUE(QFile::exists(typo + "/f.txt"));
}

TEST_F(SyncWindow, AnErrorInAStepStillEndsWithTheSummaryAndTheSavedLog) {
    testutil::writeFile(a + "/sub/f.txt", "f", at(-60));
    testutil::makeDir(b);
    platform::injectFault(b + "/sub/f.txt", ENOSPC); // a full disk ends the folder pass
    folders(a, b);
    expectReport("Utför mappsynkronisering, utför");
    win()->cmdkör->click();

    const QStringList lines = log();
    EXPECT_TRUE(lines.contains("Ett fel uppstod under mappsynkronisering. Felkod 61 " +
                               platform::errorDescription(61) + ". Avbryter mappsynkronisering."));
    EXPECT_TRUE(lines.contains("Mappsynkronisering klar."));
    EXPECT_EQ(savedLogs().size(), 1);
    EXPECT_FALSE(win()->Frame3->isHidden());
    expectIdleLook();
}

// A folder that cannot be read stops nothing: it is named, counted, said at the end, and the saved
// log's name tells of the error.
TEST_F(SyncWindow, AFolderThatCannotBeReadIsNamedAndTheSavedLogIsMarked) {
    testutil::writeFile(a + "/sub/f.txt", "f", at(-60));
    testutil::writeFile(a + "/g.txt", "g", at(-60));
    testutil::makeDir(b);
    platform::injectFault(a + "/sub", EIO);
    folders(a, b);
    win()->cmdkör->click();

    const QString text = log().join('\n');
    EXPECT_TRUE(text.contains("FEL: mappen kunde inte läsas. Felkod 57 " + platform::errorDescription(57) +
                              " (Jobb: " + a + ")\nFrån: " + a + "/sub\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("  1 mapp kunde inte läsas")) << text.toStdString();
    EXPECT_TRUE(QFile::exists(b + "/g.txt"));
    ASSERT_EQ(savedLogs().size(), 1);
    EXPECT_TRUE(savedLogs().first().endsWith("Fel uppstod!.txt")) << savedLogs().first().toStdString();
}

// During a run the window's close box does what "Avbryt" does: it asks, and the window stays.
TEST_F(SyncWindow, CancellingAsksFirstAndTheRunEndsAsCancelled) {
    frmmappsync* w = win();
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::No);
    w->cmdavbryt_Click();
    EXPECT_EQ(w->cmdavbryt_Tag, "");

    testutil::writeFile(a + "/x/f.txt", "f", at(-60));
    testutil::makeDir(b);
    folders(a, b);
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Avbryt");
        // The question comes while the run lets the window's events through.
        QTimer::singleShot(0, w, [&] {
            EXPECT_FALSE(w->cmdavbryt->isHidden());
            dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
            if (closeBox)
                EXPECT_FALSE(w->close());
            else
                w->cmdavbryt->click();
        });
        w->cmdkör->click();
        EXPECT_TRUE(prog().isLoaded<frmmappsync>());
        EXPECT_EQ(w->cmdavbryt_Tag, "1");
        EXPECT_FALSE(QFile::exists(b + "/x/f.txt"));
        EXPECT_TRUE(log().contains("Mappsynkronisering avbröts."));
        EXPECT_EQ(syslog().count("Mappsynkronisering avbröts. 0 filer kopierades."), closeBox ? 2 : 1);
        EXPECT_TRUE(w->txtloggtext->toPlainText().endsWith(" Mappsynkroniseringen avbröts."));
    }
}

TEST_F(SyncWindow, FoldersComeFromThePickerOrADrop) {
    testutil::makeDir(a);
    testutil::makeDir(b);
    frmmappsync* w = win();
    dialogs().expectFolder(a, "Leta upp mappen du vill synkronisera, och klicka på Välj");
    w->cmdhämtamapp1->click();
    EXPECT_EQ(w->txtmapp1->currentText(), a);
    dialogs().expectFolder(work("saknas"));
    expectReport("Mappen \"" + work("saknas") + "\" finns inte!");
    w->cmdhämtamapp1->click();
    EXPECT_EQ(w->txtmapp1->currentText(), a);

    drop(w->txtmapp2, {QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)});
    EXPECT_EQ(w->txtmapp2->currentText(), b);
    expectReport("Mapp 2, drag n drop");
    drop(w->txtmapp2, {QUrl("https://example.org/x")});
    EXPECT_EQ(w->txtmapp2->currentText(), b);
}

TEST_F(SyncWindow, ALogThatCannotBeSavedIsNotedInTheSystemLog) {
    testutil::makeDir(a);
    testutil::makeDir(b);
    platform::injectFault(path("Sparade loggar"), EIO);
    folders(a, b);
    win()->cmdkör->click();
    EXPECT_TRUE(
        syslog().contains("FEL! Ett fel uppstod under hantering av loggfil. Plats: Mappsynkronisering, spara "
                          "loggfil i loggmapp. Felkod 57 " +
                          platform::errorDescription(57) + "."));
    EXPECT_TRUE(log().contains("Mappsynkronisering klar."));
}

TEST_F(SyncWindow, ARunHoldsTheOperationGateAndWaitsForNoOtherOperation) {
    testutil::writeFile(a + "/ett.txt", "1", at(-60));
    testutil::writeFile(a + "/två.txt", "2", at(-60));
    testutil::makeDir(b);
    folders(a, b);
    {
        Operation other(QStringLiteral("återställning"));
        expectReport(prog().operations().refusalText());
        win()->cmdkör->click();
        EXPECT_FALSE(QFile::exists(path("log.txt")));
        EXPECT_FALSE(QFile::exists(path("setup_synkmappar.ini")));
    }
    // While the run copies, the gate names it, and the program's stop request cancels it.
    QString during;
    platform::setCopyHook([&](const QString&, const QString&) {
        during = prog().operations().current();
        prog().operations().requestStop();
    });
    win()->cmdkör->click();
    platform::setCopyHook({});
    EXPECT_EQ(during, "mappkopiering");
    EXPECT_TRUE(QFile::exists(b + "/ett.txt"));
    EXPECT_FALSE(QFile::exists(b + "/två.txt"));
    EXPECT_TRUE(log().contains("Mappsynkronisering avbröts."));
    EXPECT_FALSE(prog().operations().busy());
}

TEST_F(SyncWindow, ACommandLineBackupRunsWhileTheSimulationResultWaits) {
    testutil::writeFile(a + "/ny.txt", "ny", at(-60));
    testutil::makeDir(b);
    testutil::writeFile(work("källa") + "/k.txt", "k");
    testutil::makeDir(work("backup"));
    testutil::writeJob(path("Listor"), testutil::jobOver("Jobb", work("källa"), work("backup")));
    folders(a, b);
    win()->chksimulera->setChecked(true);
    dialogs().expectWindow("frmsimuleradbackup", [&](QWidget*) {
        EXPECT_FALSE(prog().operations().busy());
        const testutil::RunResult r = testutil::runProgram(programDir_.path(), {"Jobb"});
        EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    });
    win()->cmdkör->click();
    EXPECT_EQ(testutil::readBytes(work("backup") + work("källa") + "/k.txt"), "k");
}

TEST_F(SyncWindow, AFolderNameTheHistoryCannotHoldIsLeftOutOfIt) {
    const struct {
        QString name;
        bool oldFileReadable; // a line break shows in a file an earlier version wrote, a "*" does not
    } cases[] = {{"A*B", false}, {"A\nB", true}, {"A\r\nB", true}, {"A\rB", true}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString odd = work(c.name);
        const QString file = "f" + QString::number(++n) + ".txt";
        testutil::writeFile(odd + "/" + file, "f", at(-60));
        if (c.oldFileReadable) {
            testutil::writeLines(path("setup_synkmappar.ini"), {odd + "*", b + "*"});
            restartProgram();
            EXPECT_EQ(win()->txtmapp1->count(), 0);
            EXPECT_EQ(win()->txtmapp2->count(), 0);
        }
        QFile::remove(path("setup_synkmappar.ini"));
        restartProgram();
        prog().clock.setNow(at());
        testutil::makeDir(b);
        folders(odd, b);
        win()->chkfrånsökväg2->setChecked(false);
        win()->cmdkör->click();
        EXPECT_TRUE(QFile::exists(b + "/" + file)); // the run itself goes on
        EXPECT_EQ(testutil::readLines(path("setup_synkmappar.ini")), QStringList({"", b + "*"}));
        restartProgram();
        EXPECT_EQ(win()->txtmapp1->currentText(), "");
        EXPECT_EQ(win()->txtmapp2->currentText(), b);
    }
}

// A simulation copies nothing: every log of it says what would be copied.
TEST_F(SyncWindow, ASimulatedRunIsMarkedSimulatedAndItsLogsSayWhatWouldBeCopied) {
    testutil::writeFile(a + "/ny.txt", "ny", at(-60));
    testutil::makeDir(b);
    folders(a, b);
    win()->chkfrånsökväg1->setChecked(true);
    win()->chkfrånsökväg2->setChecked(true);
    win()->chksimulera->setChecked(true);
    dialogs().expectWindow("frmsimuleradbackup", [](QWidget*) {});
    win()->cmdkör->click();
    EXPECT_EQ(log().mid(0, 3),
              QStringList({"", "Simulerad Mappsynkronisering utförd 2024-03-01  12:00", ""}));
    const QString saved =
        "log 2024-03-01 12.00.00 Simulerad Mappsynkronisering. 1 fil skulle kopieras. 0,00 MB.txt";
    ASSERT_EQ(savedLogs(), QStringList({saved}));
    const struct {
        const char* where;
        QString text;
        QStringList says;
    } logs[] = {
        {"window log",
         win()->txtloggtext->toPlainText(),
         {"Mapp 1 -> Mapp 2: 1 fil skulle kopieras.", "Mapp 1 <- Mapp 2: 0 filer skulle kopieras.",
          "Mappsynkronisering klar. 1 fil skulle kopieras. (simulerad)"}},
        {"log view",
         win()->Text1->toPlainText(),
         {"1 fil skulle kopieras.", "1 ny fil skulle kopieras (exkl. ev. skyddade filer)"}},
        {"log.txt", log().join('\n'), {"1 fil skulle kopieras totalt"}},
        {"saved log",
         testutil::readLines(path("Sparade loggar/" + saved)).join('\n'),
         {"1 fil skulle kopieras.", "0 ändrade filer skulle kopieras (exkl. ev. skyddade filer)"}},
        {"system log", syslog(), {"Mappsynkronisering klar. 1 fil skulle kopieras. (simulerad)"}},
    };
    for (const auto& l : logs) {
        for (const QString& line : l.says)
            EXPECT_TRUE(l.text.contains(line)) << l.where << ": " << l.text.toStdString();
        EXPECT_FALSE(l.text.contains("kopierade") || l.text.contains("kopierades")) << l.where;
    }
}

TEST_F(SyncWindow, AFileTypeThatSelectsNothingIsRefusedBeforeTheRun) {
    testutil::writeFile(a + "/ett.txt", "1", at(-60));
    testutil::makeDir(b);
    folders(a, b);
    for (const char* pattern : {"", "   ", ";", " ; "}) {
        win()->txtpattern->setText(QString::fromUtf8(pattern));
        expectReport("Du måste ange vilken typ av filer som ska kopieras");
        win()->cmdkör->click();
        EXPECT_FALSE(QFile::exists(path("log.txt")));
        EXPECT_FALSE(QFile::exists(path("setup_synkmappar.ini")));
    }
    win()->txtpattern->setText(" *.txt ");
    win()->cmdkör->click();
    EXPECT_EQ(testutil::readBytes(b + "/ett.txt"), "1");
}

// Escape does what the shown button does: "Stäng", "Avbryt" during a run (which asks first), and
// the log view's "OK" while that view covers the window.
TEST_F(SyncWindow, EscapeDoesWhatTheShownCancelOrCloseButtonDoes) {
    platform::installAccessibility();
    testutil::writeFile(a + "/x/f.txt", "f", at(-60));
    testutil::makeDir(b);
    auto escape = [](frmmappsync* w) { testutil::pressKey(w, Qt::Key_Escape); };
    const struct {
        const char* what;
        std::function<void(frmmappsync*)> act;
    } cases[] = {
        {"idle: Stäng",
         [&](frmmappsync* w) {
             w->txtpattern->setFocus();
             escape(w);
             EXPECT_FALSE(prog().isLoaded<frmmappsync>());
         }},
        {"during a run: Avbryt, which asks",
         [&](frmmappsync* w) {
             folders(a, b);
             dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
             QTimer::singleShot(0, w, [&] { escape(w); });
             w->cmdkör->click();
             EXPECT_EQ(w->cmdavbryt_Tag, "1");
             EXPECT_FALSE(QFile::exists(b + "/x/f.txt"));
             EXPECT_TRUE(prog().isLoaded<frmmappsync>());
         }},
        {"over the log view: OK, then Stäng",
         [&](frmmappsync* w) {
             folders(a, b);
             w->cmdkör->click();
             ASSERT_FALSE(w->Frame3->isHidden());
             escape(w);
             EXPECT_TRUE(w->Frame3->isHidden());
             EXPECT_TRUE(prog().isLoaded<frmmappsync>());
             escape(w);
             EXPECT_FALSE(prog().isLoaded<frmmappsync>());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmmappsync* w = win();
        testutil::showActive(w);
        c.act(w);
        if (prog().isLoaded<frmmappsync>()) {
            w->hide();
            prog().unload<frmmappsync>();
        }
    }
}

} // namespace
