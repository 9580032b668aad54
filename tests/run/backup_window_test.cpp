#include "run/backup_window.h"
#include "support/fixture.h"

#include "flow_support.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "run/leftover_window.h"
#include "run/result_dialogs.h"
#include "run/simulation_window.h"

#include <QComboBox>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest/QTest>

namespace {

class BackupWindow : public ProgramTest {
  protected:
    frmutförbackup* win() { return prog().form<frmutförbackup>(); }
    void fillJobs(const QStringList& names) {
        for (const QString& n : names)
            win()->List1->addItem(n);
    }
    QStringList selected() {
        QStringList s;
        for (int i = 0; i < win()->List1->count(); ++i)
            if (win()->List1->item(i)->isSelected())
                s << QString::number(i);
        return s;
    }
    QString syslog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
    static int tw(int px) { return px * 15; }
};

TEST_F(BackupWindow, SplitKeepsInnerEmptyPartsAndDropsAnEmptyLastPart) {
    using W = frmutförbackup;
    EXPECT_EQ(W::Split("a;b;", ";"), QStringList({"a", "b"}));
    EXPECT_EQ(W::Split(";a", ";"), QStringList({"", "a"}));
    EXPECT_EQ(W::Split("a;;b", ";"), QStringList({"a", "", "b"}));
    EXPECT_EQ(W::Split("abc", ";"), QStringList({"abc"}));
    EXPECT_EQ(W::Split("", ";"), QStringList({""}));
    EXPECT_EQ(W::Split("x y"), QStringList({"x", "y"}));
    EXPECT_EQ(W::Split("a ;; b ;; c", " ;; "), QStringList({"a", "b", "c"}));
}

TEST_F(BackupWindow, CancelButtonsAskAndOnlyYesSetsTheFlags) {
    auto* w = win();
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::No);
    w->cmdavbryt_Click();
    EXPECT_EQ(w->runState().stop, RunStop::None);
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    w->cmdavbryt_Click();
    EXPECT_EQ(w->runState().stop, RunStop::ByUser);
    EXPECT_FALSE(w->runState().mirrorStopped);

    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    w->cmdavbrytsync_Click();
    EXPECT_TRUE(w->runState().mirrorStopped);
}

TEST_F(BackupWindow, TheHiddenCancelLabelAsksOncePerChange) {
    auto* w = win();
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::No);
    w->setLblavbryt("1");
    EXPECT_EQ(w->lblavbryt, ""); // a No empties it, so the next request asks again
    EXPECT_EQ(w->runState().stop, RunStop::None);

    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    w->setLblavbryt("1");
    EXPECT_EQ(w->lblavbryt, "1");
    EXPECT_EQ(w->runState().stop, RunStop::ByUser);
    EXPECT_TRUE(w->runState().mirrorStopped);
    w->setLblavbryt("1"); // no change, no question
}

TEST_F(BackupWindow, MirrorBoxesDriveTheSecondRunButton) {
    auto* w = win();
    w->show();
    EXPECT_FALSE(w->cmdkörbackup2->isVisible());
    EXPECT_FALSE(w->chksyncsimulera->isEnabled());
    // Set from code (scheduler, command line): the click handlers follow.
    w->chksync->setChecked(true);
    EXPECT_TRUE(w->cmdkörbackup2->isVisible());
    w->chksyncsimulera->setChecked(true);
    EXPECT_FALSE(w->cmdkörbackup2->isVisible());
    w->chksyncsimulera->setChecked(false);
    EXPECT_TRUE(w->cmdkörbackup2->isVisible());

    // Unticking unticks and locks the simulation box.
    w->chksync->click();
    EXPECT_FALSE(w->chksync->isChecked());
    EXPECT_FALSE(w->chksyncsimulera->isChecked());
    EXPECT_FALSE(w->chksyncsimulera->isEnabled());
    EXPECT_FALSE(w->cmdkörbackup2->isVisible());
    w->chksync->click();
    EXPECT_TRUE(w->chksyncsimulera->isEnabled());
}

// An accessibility client ticks "Spegla" as a click does: its simulation box follows.
TEST_F(BackupWindow, MirrorBoxTickedThroughItsAccessibilityActionsUnlocksItsSimulation) {
    auto* w = win();
    w->show();
    QAccessibleActionInterface* box = QAccessible::queryAccessibleInterface(w->chksync)->actionInterface();
    ASSERT_NE(box, nullptr);
    for (const QString& action :
         {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
        SCOPED_TRACE(action.toStdString());
        box->doAction(action);
        ASSERT_TRUE(QTest::qWaitFor([w] { return w->chksync->isChecked(); })); // a press clicks later
        EXPECT_TRUE(w->chksyncsimulera->isEnabled());
        box->doAction(action);
        ASSERT_TRUE(QTest::qWaitFor([w] { return !w->chksync->isChecked(); }));
        EXPECT_FALSE(w->chksyncsimulera->isEnabled());
    }
}

TEST_F(BackupWindow, MirrorWarningCancelStartsNoRun) {
    auto* w = win();
    fillJobs({"A"});
    // The setting that turns the warning off is named by the settings window's page that holds it.
    dialogs().expectMessage("(Du kan stänga av denna varning i Alternativ - Inställningar - Spegling i "
                            "huvudfönstret)",
                            platform::Answer::Cancel);
    w->cmdkörbackup2_Click();
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
}

TEST_F(BackupWindow, PreselectionIsSavedAndAppliedByName) {
    auto* w = win();
    fillJobs({"Bilder", "Dokument", "Bilder", "Musik"});
    w->List1->item(1)->setSelected(true);
    w->List1->item(3)->setSelected(true);
    w->spara_valda_inställningar();
    EXPECT_EQ(testutil::readLines(path("valda_inställningar.ini")), QStringList({"Dokument", "Musik"}));

    testutil::writeLines(path("valda_inställningar.ini"), {"Bilder", "Saknas", "musik"});
    w->Form_Activate(); // adds, never clears; case counts; both "Bilder" entries
    EXPECT_EQ(selected(), QStringList({"0", "1", "2", "3"}));

    w->cmdmarkera2_Click();
    EXPECT_TRUE(selected().isEmpty());
    testutil::writeScheduledJob(path("Listor"), "Schemalagt");
    prog().form<frmmain>()->cmdload_Click();
    prog().form<frmmain>()->chkaktiveraschema->setChecked(true);
    w->Form_Activate(); // the scheduler on: no preselection
    EXPECT_TRUE(selected().isEmpty());
    w->cmdmarkera1_Click();
    EXPECT_EQ(selected().size(), 4);

    // No selection gives an empty file.
    w->cmdmarkera2_Click();
    w->spara_valda_inställningar();
    EXPECT_EQ(testutil::readBytes(path("valda_inställningar.ini")), QByteArray());
}

TEST_F(BackupWindow, AShortGeometryFileAppliesWhatItHasAndLogsTheError) {
    testutil::writeLines(path("setup_windowsize_backup.ini"), {" 9000 "});
    auto* w = win();
    EXPECT_EQ(tw(w->frameGeometry().height()), 9000);
    EXPECT_TRUE(
        syslog().contains("Ett fel uppstod när backupfönstrets storlek och position skulle laddas. Plats: "
                          "Utför backup, open_windowsize. Felkod 62"))
        << syslog().toStdString();
}

TEST_F(BackupWindow, ClosingWritesTheGeometryOnlyInNormalState) {
    auto* w = win();
    w->show();
    w->resize(800, 600);
    ASSERT_TRUE(w->close());
    const QStringList lines = testutil::readLines(path("setup_windowsize_backup.ini"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].trimmed().toInt(), tw(w->frameGeometry().width()));

    QFile::remove(path("setup_windowsize_backup.ini"));
    auto* w2 = prog().form<frmutförbackup>();
    ASSERT_NE(w2, w);
    w2->showMaximized();
    w2->close();
    EXPECT_FALSE(QFile::exists(path("setup_windowsize_backup.ini")));
}

TEST_F(BackupWindow, ClosingDuringARunAsksAndStays) {
    auto* w = win();
    w->show();
    w->cmdkörbackup->setEnabled(false); // a run is going on
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::No);
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(prog().loaded<frmutförbackup>(), w);
    w->cmdkörbackup->setEnabled(true);
}

TEST_F(BackupWindow, LayoutKeepsTheMinimumAndSharesTheWidth) {
    auto* w = win();
    w->show();
    w->resize(300, 200);
    EXPECT_GE(tw(w->frameGeometry().width()), 9480 - 15);
    EXPECT_GE(tw(w->frameGeometry().height()), 6915 - 15);

    w->resize(900, 640);
    const int inner = tw(w->width());
    EXPECT_NEAR(tw(w->Frame1->width()), inner / 2.0 - 985, 15);
    EXPECT_NEAR(tw(w->Frame2->width()), tw(w->Frame1->width()) + 1680, 15);
    EXPECT_NEAR(tw(w->Frame2->x()), tw(w->Frame1->width()) + 225, 15);
    EXPECT_EQ(w->cmdkörbackup2->x(), w->cmdkörbackup->x());
    EXPECT_EQ(w->txtloggtext->y(), w->List2->y() + w->List2->height());
    EXPECT_EQ(w->txtsammanställning->geometry(), w->List2->geometry());
    // Bars stack 240 twips apart below the target-folder box.
    EXPECT_EQ(w->Picture1->y() - w->Picture3->y(), 16);
    EXPECT_EQ(w->Picture2->y() - w->Picture1->y(), 16);
    // The bottom row lies below both frames.
    EXPECT_GE(w->cmdkörbackup->y(), w->Frame1->y() + w->Frame1->height())
        << w->frameGeometry().height() << " " << w->height();

    // Before any run the bars are empty; after one they are full; during a run they keep their
    // widths.
    EXPECT_EQ(w->lblprocent2->width(), 0);
    w->cmdkörbackup->setEnabled(false);
    w->lblprocent2->resize(10, w->lblprocent2->height());
    w->resize(1000, 700);
    EXPECT_EQ(w->lblprocent2->width(), 10);
    w->cmdkörbackup->setEnabled(true);
    w->resize(1010, 700);
    EXPECT_EQ(w->lblprocent2->width(), w->List2->width());
    EXPECT_EQ(w->lblprocent3->text(), "");
}

TEST_F(BackupWindow, ARunWithNothingSelectedEndsAtOnceAndSavesALogWithOneError) {
    testutil::writeLines(path("log.txt"), {"", "Backup utförd 2024-01-01  10:00:00"});
    auto* w = win();
    w->show();
    fillJobs({"A", "B"});
    dialogs().expectWindow("frmerror");
    w->cmdkörbackup_Click();
    EXPECT_EQ(testutil::readLines(path("log.txt")),
              QStringList({"", "Backup utförd 2024-01-01  10:00:00",
                           "Inga jobb valda för backup. Avslutar körningen."}));
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    EXPECT_TRUE(w->runHadErrors());
    const QStringList saved = QDir(path("Sparade loggar")).entryList(QDir::Files);
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved[0].endsWith("Backup av 0 jobb. 0 filer av 0 kopierades. 0,00 MB. 1 fel!.txt"));
    EXPECT_TRUE(syslog().endsWith(QString(47, '*')));
}

TEST_F(BackupWindow, ClickingAJobShowsItsSummaryButNotDuringARun) {
    prog().jobbgruppmapp = path("Listor");
    testutil::JobSpec j;
    j.name = "Dokument";
    j.mainFolders = {work("src")};
    j.folders = {work("src")};
    j.backupFolder = work("backup");
    testutil::writeJob(path("Listor"), j);
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();
    auto* w = win();
    fillJobs({"Dokument"});
    w->List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    EXPECT_EQ(m->comboinställningar->currentText(), "Dokument");
    EXPECT_EQ(w->txtsammanställning->toPlainText(), "Dokument\n\n" + program().job().txtsammanställning);
    EXPECT_FALSE(program().job().txtsammanställning.isEmpty());

    w->List1->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    w->cmdkörbackup->setEnabled(false); // a run is going on
    w->List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    EXPECT_EQ(w->txtsammanställning->toPlainText(), "");
    w->cmdkörbackup->setEnabled(true);
}

TEST_F(BackupWindow, Screenshot) {
    auto* w = win();
    fillJobs({"Dokument", "Bilder", "Musik"});
    w->List1->item(0)->setSelected(true);
    w->addLogLine(" Backupkörning startade.");
    w->show();
    w->resize(900, 620);
    QApplication::processEvents();
    const QString out = qEnvironmentVariable("TAMREL_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
        EXPECT_TRUE(w->grab().save(out + "/backup_window.png"));
    }
}

// Whether a picture shows pixels of text: darker (or lighter) than `level` in its middle third.
bool textPixelsInMiddle(const QImage& img, bool dark) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = img.width() / 3; x < img.width() * 2 / 3; ++x) {
            const int g = qGray(img.pixel(x, y));
            if (dark ? g < 90 : g > 170)
                return true;
        }
    return false;
}

TEST_F(BackupWindow, TheRunBarsPercentReadsWhileTheBarIsNarrowAndWhenItIsFull) {
    auto* w = win();
    w->show();
    w->cmdkörbackup->setEnabled(false); // a run is going on: the bars keep their widths
    w->lblprocent3->resize(2, w->lblprocent3->height());
    w->lblprocent3->setText("1,2%");
    w->lblprocent3_Change();
    EXPECT_TRUE(textPixelsInMiddle(w->Picture2->grab().toImage(), true));

    w->lblprocent3->resize(w->Picture2->width(), w->lblprocent3->height());
    w->lblprocent3->setText("100%");
    w->lblprocent3_Change();
    EXPECT_TRUE(textPixelsInMiddle(w->Picture2->grab().toImage(), false));
    w->cmdkörbackup->setEnabled(true);
}

// The name an assistive tool reads for a control: its own, its buddy label's, or its caption.
QString accessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

TEST_F(BackupWindow, EveryControlThatTakesInputHasAName) {
    prog().form<frmmain>();
    const QList<QWidget*> windows{win(),
                                  prog().form<frmklarbackup>(),
                                  prog().form<frmsyncfilermappar>(),
                                  prog().form<frmsimuleradbackup>(),
                                  prog().form<frmbackupfel>(),
                                  prog().form<frmprocent>()};
    for (QWidget* window : windows)
        for (QWidget* c : window->findChildren<QWidget*>())
            if (c->focusPolicy() != Qt::NoFocus) {
                EXPECT_FALSE(accessibleName(c).isEmpty())
                    << window->objectName().toStdString() << " " << c->objectName().toStdString() << " "
                    << c->metaObject()->className();
            }
}

} // namespace

namespace {

void expectCentredOver(const QWidget* w, const QWidget* over) {
    EXPECT_NEAR(w->frameGeometry().center().x(), over->frameGeometry().center().x(), 2)
        << w->objectName().toStdString();
    EXPECT_NEAR(w->frameGeometry().center().y(), over->frameGeometry().center().y(), 2)
        << w->objectName().toStdString();
}

// Runs driven as a user drives them, looked at while they go on and when they end.
class BackupWindowRun : public FlowTest {
  protected:
    // Runs `f` once, at the first moment the run shows itself as going on.
    void duringTheRun(frmutförbackup* w, std::function<void()> f) {
        auto* t = new QTimer(w);
        QObject::connect(t, &QTimer::timeout, t, [t, w, f] {
            if (w->runGoingOn() && w->cmdavbryt->isVisible()) {
                t->stop();
                f();
            }
        });
        t->start(0);
    }
    // The two run lines lie inside the window, clear of every button shown, and show their whole text.
    static void expectRunLinesReadable(frmutförbackup* w) {
        for (QLabel* l : {w->lbl1, w->lbl2}) {
            SCOPED_TRACE(l->objectName().toStdString() + ": " + l->text().toStdString());
            EXPECT_FALSE(l->text().isEmpty());
            EXPECT_TRUE(w->rect().contains(l->geometry()));
            EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text()));
            for (QWidget* b :
                 std::initializer_list<QWidget*>{w->cmdavbryt, w->cmdpaus, w->Command4, w->cmdkörbackup,
                                                 w->cmdkörbackup2, w->cmdvisalogg, w->Frame1, w->Frame2})
                if (b->isVisible()) {
                    EXPECT_FALSE(l->geometry().intersects(b->geometry())) << b->objectName().toStdString();
                }
        }
    }
};

TEST_F(BackupWindowRun, DuringARunOnlyTheOptionsAreLockedAndEverythingItShowsReads) {
    for (int i = 0; i < 200; ++i)
        testutil::writeFile(src_ + QStringLiteral("/fil%1.txt").arg(i), "x", old_);
    testutil::writeJob(path("Listor"), job("Andra"));
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    const int other = w->List1->item(0)->isSelected() ? 1 : 0;
    bool looked = false;
    duringTheRun(w, [&] {
        looked = true;
        for (QWidget* c : std::initializer_list<QWidget*>{
                 w->Frame1, w->Frame2, w->List1, w->List2, w->txtloggtext, w->txtmapparkvar,
                 w->lblantalfelrätt, w->txtfil, w->txtbackup, w->lblprocent1, w->lblprocent3,
                 w->lblprocenttotal, w->lbl1, w->lbl2})
            EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
        for (QWidget* c : std::initializer_list<QWidget*>{w->chkbackupsimulera, w->chksync,
                                                          w->chksyncsimulera, w->cmdmarkera1, w->cmdmarkera2})
            EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
        // A press on another job, or a key, changes neither the marks nor the job the run is at.
        const int current = w->List1->currentRow();
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {},
                          w->List1->visualItemRect(w->List1->item(other)).center());
        QTest::keyClick(w->List1, Qt::Key_Down);
        EXPECT_FALSE(w->List1->item(other)->isSelected());
        EXPECT_EQ(w->List1->currentRow(), current);
        expectRunLinesReadable(w);
    });
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    EXPECT_TRUE(looked);
    EXPECT_TRUE(w->lbl1->text().contains(", slutade kl. ")) << w->lbl1->text().toStdString();
    expectRunLinesReadable(w);
    EXPECT_TRUE(w->chksync->isEnabled() && w->cmdmarkera1->isEnabled());
    EXPECT_FALSE(w->chksyncsimulera->isEnabled()); // as before the run: mirroring is not ticked
    QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {},
                      w->List1->visualItemRect(w->List1->item(other)).center());
    EXPECT_TRUE(w->List1->item(other)->isSelected());
}

TEST_F(BackupWindowRun, DuringARunEnterAndEscapeAskToCancelIt) {
    platform::installAccessibility();
    for (int i = 0; i < 200; ++i)
        testutil::writeFile(src_ + QStringLiteral("/fil%1.txt").arg(i), "x", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    bool pressed = false;
    duringTheRun(w, [&] {
        pressed = true;
        QTest::keyClick(w->List1, Qt::Key_Return); // answered No: the run goes on
        QTest::keyClick(w->List1, Qt::Key_Escape);
    });
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::No);
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    ASSERT_TRUE(pressed);
    EXPECT_EQ(log().last(), "  Backupkörningen avbröts av användaren!");
    // Outside a run Enter asks nothing (Escape there closes the window, as "Stäng" does).
    QTest::keyClick(w->List1, Qt::Key_Return);
}

TEST_F(BackupWindowRun, TheResultWindowsOpenOverTheBackupWindow) {
    testutil::writeFile(src_ + "/ny.txt", "ny", old_);
    testutil::writeFile(target("bort.txt"), "bort", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->move(20, 40);
    w->chkbackupsimulera->setChecked(true);
    w->chksync->setChecked(true);
    w->chksyncsimulera->setChecked(true);
    QStringList placed;
    // Shown as the modal show shows it, then closed the way the user closes it.
    auto expectOver = [&](const char* name, std::function<void(QWidget*)> close) {
        dialogs().expectWindow(name, [&, name, close](QWidget* win) {
            win->show();
            expectCentredOver(win, w);
            placed << name;
            close(win);
        });
    };
    expectOver("frmsyncfilermappar",
               [](QWidget* win) { static_cast<frmsyncfilermappar*>(win)->cmdstäng->click(); });
    expectOver("frmsimuleradbackup",
               [](QWidget* win) { static_cast<frmsimuleradbackup*>(win)->cmdstäng->click(); });
    expectOver("frmklarbackup", [](QWidget* win) { static_cast<frmklarbackup*>(win)->Command1->click(); });
    w->cmdkörbackup->click();
    EXPECT_EQ(placed, QStringList({"frmsyncfilermappar", "frmsimuleradbackup", "frmklarbackup"}));

    // Without the backup window (a saved list opened later) the main window is the place.
    w->hide();
    frmmain* m = prog().form<frmmain>();
    m->show();
    m->move(30, 20);
    auto* f = prog().form<frmsyncfilermappar>();
    f->show();
    expectCentredOver(f, m);
    f->cmdstäng->click();
}

} // namespace
