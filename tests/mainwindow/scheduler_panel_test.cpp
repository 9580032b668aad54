// The main window's scheduler panel: switching on and off, the waiting and running views, the
// panel's commands, the finished runs with their saved logs, and opening the schedule editor.
#include "core/error_dialog.h"
#include "core/job_files.h"
#include "mainwindow/main_window.h"
#include "run/backup_window.h"
#include "scheduler/schedule_editor.h"
#include "scheduler/schedule_files.h"
#include "scheduler/scheduler.h"
#include "scheduler/scheduler_fixture.h"
#include "support/accessible.h"
#include "support/fixture.h"
#include "support/qt_print.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTextEdit>
#include <QToolTip>
#include <functional>
#include <vector>

class SchedulerPanel : public SchedulerTest {
  protected:
    void SetUp() override {
        SchedulerTest::SetUp();
        m = prog().form<frmmain>();
    }
    // The view of the panel that lies in front of the other.
    QWidget* front() const {
        const QObjectList& kids = m->frameschemaaktiv->parentWidget()->children();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it)
            if (*it == m->frameschemaaktiv || *it == m->frameschemapågår)
                return static_cast<QWidget*>(*it);
        return nullptr;
    }
    QString log() { return systemLog(); }
    // Switching on is refused with `report` and the box stays unticked.
    void refused(const QString& report) {
        expectReport(report);
        m->chkaktiveraschema->setChecked(true);
        EXPECT_FALSE(m->chkaktiveraschema->isChecked());
    }
    frmmain* m = nullptr;
};

TEST_F(SchedulerPanel, SwitchingOnFillsTheEntriesShowsThePanelAndLocksTheCommands) {
    jobs({"Bilder", "Dokument", "Musik"});
    schedule("Bilder", {1, 1, "22:30", "0200060", 0});
    schedule("Musik", {1, 0, "10:15", "0234560", 1});
    schedule("Dokument", {0, 0, "08:00", "1234567", 0});
    m->chkaktiveraschema->setChecked(true);
    ASSERT_TRUE(m->chkaktiveraschema->isChecked());
    EXPECT_EQ(scheduler().List2, (QStringList{"22:30*1*0*0*0200060", "10:15*0*2*1*0234560"}));
    EXPECT_FALSE(m->frameschema->isHidden());
    EXPECT_EQ(front(), m->frameschemaaktiv);
    EXPECT_FALSE(m->Frame1->isEnabled());
    EXPECT_FALSE(m->findChild<QWidget*>("cmdstartaschema")->isEnabled());
    EXPECT_EQ(m->txtschemavisajobb->toPlainText(), "Följande jobb är schemalagda:\nBilder\nMusik");
    EXPECT_EQ(m->lblschema_status->text(), "Väntar på nästa körning");
    EXPECT_EQ(m->lblschema_nästakörning->text(), "Idag 10:15 [Musik]");
    EXPECT_EQ(m->lblschema_antalschemalagdajobb->text(), "2 st");
    EXPECT_EQ(m->lblschemanedräkning->text(), "2024-06-05 10:15:00");
    EXPECT_EQ(m->lblstatus->text(),
              "Status: Schemakörning aktiv (väntar på nästa körning: Idag 10:15 [Musik])");
    EXPECT_EQ(m->TrayIcon1->toolTip(), "Tamrel Backup (aktiverad)");
    EXPECT_TRUE(log().contains("  Aktiverar schemalagd backup"));
    // The editor's activation box follows the switch; the request it leaves changes nothing.
    EXPECT_TRUE(scheduler().chkaktivera);
    m->Form_Activate();
    EXPECT_TRUE(m->chkaktiveraschema->isChecked());

    m->cmdschema_avaktivera->click();
    EXPECT_FALSE(m->chkaktiveraschema->isChecked());
    EXPECT_TRUE(scheduler().List2.isEmpty());
    EXPECT_TRUE(m->frameschema->isHidden());
    EXPECT_EQ(m->lblstatus->text(), "Status: Redo");
    EXPECT_TRUE(log().contains("  Avaktiverar schemalagd backup"));
    EXPECT_FALSE(scheduler().chkaktivera);
}

TEST_F(SchedulerPanel, NothingToRunSwitchesOffWithAMessage) {
    jobs({"A", "B", "C"});
    // Per job: an active job without a day names itself.
    schedule("A", {1, 0, "10:00", "0234560", 0});
    schedule("C", {1, 0, "10:00", "0000000", 0});
    refused("Du har inte valt någon dag att köra schemalagd backup för C\r\nKontrollera dina "
            "inställningar för schemalagd backup.");
    EXPECT_TRUE(scheduler().List2.isEmpty());
    // No active job at all.
    schedule("A", {0, 0, "10:00", "0234560", 0});
    schedule("C", {0, 0, "10:00", "0234560", 0});
    refused("Det finns inget jobb att utföra. Ställ in schemaläggningen först.");
    EXPECT_EQ(m->txtschemavisajobb->toPlainText(), "Följande jobb är schemalagda:");
    // A stored time that cannot be read leaves the job out with one log line.
    schedule("B", {1, 0, "1a:3b", "1234567", 0});
    refused("Det finns inget jobb att utföra.");
    EXPECT_EQ(log().count("FEL! Schematiden 1a:3b för jobbet B kan inte läsas. Jobbet schemaläggs inte."), 1);
    // Common setting with no chosen job, and with no day.
    for (const auto& [days, chosen] : {std::pair{"1111111", "Borta"}, std::pair{"0000000", "A"}}) {
        scheduler().unload();
        schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "10:00", days, 0, 0});
        schedule::writeSelection(path("setup_schema_lista.ini"), {chosen});
        refused("Det finns inget jobb att utföra. Ställ in schemaläggningen först.");
    }
}

TEST_F(SchedulerPanel, TheRunningViewDuringAScheduledRunAndRunNow) {
    jobs({"A", "B"});
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"B"});
    m->chkaktiveraschema->setChecked(true);
    ASSERT_TRUE(m->chkaktiveraschema->isChecked());
    EXPECT_EQ(m->txtschemavisajobb->toPlainText(), "Följande jobb är schemalagda:\nB");
    m->cmdschema_körnu->click();
    EXPECT_EQ(m->cmdschema_körnu_Tag, "1");
    EXPECT_FALSE(m->cmdschema_körnu->isEnabled());
    EXPECT_EQ(m->cmdschema_körnu->text(), "Vänta...");
    int runs = 0;
    scheduler().runner = [&](frmutförbackup&) {
        ++runs;
        EXPECT_EQ(m->lblschemarubrik->text(), "Schemakörning pågår");
        EXPECT_EQ(front(), m->frameschemapågår);
        EXPECT_EQ(m->cmdschema_avaktivera->text(), "Avbryt");
        EXPECT_FALSE(m->cmdschemapaus->isHidden());
        EXPECT_FALSE(m->lblvisabackupfönstret->isHidden());
        EXPECT_TRUE(m->cmdschema_körnu->isHidden());
        EXPECT_EQ(m->cmdschema_körnu_Tag, "");
        // The run writes its progress into the running view.
        m->setFieldText("lblschema_mapp", QString(300, 'x') + "/slut");
        EXPECT_EQ(m->lblschema_mapp->cursorPosition(), 305);
    };
    scheduler().Timer1_Timer();
    EXPECT_EQ(runs, 1);
    // Waiting again: the waiting view in front, the buttons as they were.
    EXPECT_EQ(front(), m->frameschemaaktiv);
    EXPECT_EQ(m->lblschemarubrik->text(), "Schemakörning aktiv");
    EXPECT_EQ(m->cmdschema_avaktivera->text(), "Avaktivera");
    EXPECT_TRUE(m->cmdschemapaus->isHidden());
    EXPECT_EQ(m->cmdschema_körnu->text(), "Kör nu!");
    EXPECT_TRUE(m->cmdschema_körnu->isEnabled());
    EXPECT_FALSE(m->cmdschema_körnu->isHidden());
    EXPECT_EQ(m->lblschema_mapp->text(), "--");
    EXPECT_TRUE(m->chkaktiveraschema->isChecked());

    // The list of scheduled jobs is shown and hidden again.
    m->show();
    m->lblvisaschemajobb_Click();
    EXPECT_FALSE(m->txtschemavisajobb->isHidden());
    EXPECT_EQ(m->lblvisaschemajobb->text(), "Dölj schemalagda jobb");
    // The shown list leaves its link free, so a click can hide it again.
    const QPoint link = m->lblvisaschemajobb->mapTo(m->frameschema, m->lblvisaschemajobb->rect().center());
    EXPECT_EQ(m->frameschema->childAt(link), m->lblvisaschemajobb);
    m->lblvisaschemajobb_Click();
    EXPECT_TRUE(m->txtschemavisajobb->isHidden());
    EXPECT_EQ(m->lblvisaschemajobb->text(), "Visa schemalagda jobb");
}

TEST_F(SchedulerPanel, AvbrytAsksTheRunningBackupToStopAndTheSchedulerStaysOn) {
    testutil::writeScheduledJob(path("Listor"), "A");
    m->cmdload_Click();
    m->chkaktiveraschema->setChecked(true);
    m->cmdschema_avaktivera->setText("Avbryt");
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->cmdkörbackup->setEnabled(false); // a run is going on
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    m->cmdschema_avaktivera->click();
    EXPECT_EQ(b->lblavbryt, "1");
    EXPECT_EQ(b->runState().stop, RunStop::ByUser);
    EXPECT_TRUE(m->chkaktiveraschema->isChecked());
    b->cmdkörbackup->setEnabled(true);
}

TEST_F(SchedulerPanel, FinishedRunsShowTheirSavedLogsWithErrorsMarked) {
    const QString saved = path("Sparade loggar/log 2024-06-04 22.00.05 Schemalagd Backup av A. 1 filer av 2 "
                               "kopierades. 0.00 MB. Inga fel.txt");
    testutil::writeLines(saved,
                         {"", "Schemalagd Backup utförd 2024-06-04  22:00:05", "fel: kunde inte kopiera x",
                          "FEL! Ett fel uppstod", "Ett fel uppstod igen"});
    m->addSchedulerLogEntry("2024-06-04 22:00:05 Backup utförd av \"A\". 1 filer av 2 kopierades. ", saved);
    m->addSchedulerLogEntry("2024-06-01 22:00:03 Backup utförd av \"A\". 0 filer av 2 kopierades. ", "");
    m->listschemalogg->setCurrentRow(0);
    m->listschemalogg_Click();
    EXPECT_TRUE(m->txtschemalogg->toPlainText().contains("fel: kunde inte kopiera x"));
    QTextCursor c(m->txtschemalogg->document());
    const QString text = m->txtschemalogg->toPlainText();
    auto boldAt = [&](int pos) {
        c.setPosition(pos + 1);
        return c.charFormat().fontWeight() == QFont::Bold;
    };
    EXPECT_TRUE(boldAt(text.indexOf("fel:")));
    EXPECT_FALSE(boldAt(text.indexOf("Ett fel uppstod"))); // "! " before it
    EXPECT_TRUE(boldAt(text.indexOf("Ett fel uppstod igen")));
    m->listschemalogg->setCurrentRow(1);
    m->listschemalogg_Click();
    EXPECT_EQ(m->txtschemalogg->toPlainText(),
              "Filen kunde inte hittas!\n\n\nNotera att endast de senaste loggarna sparas.");
}

TEST_F(SchedulerPanel, AnEntryWhoseSavedLogIsGoneOpensNoOtherLogOfItsSecond) {
    testutil::writeLines(path("Sparade loggar/log 2024-06-04 22.00.05 Schemalagd Backup av B. 1 filer av 1 "
                              "kopierades. 0.00 MB. Inga fel.txt"),
                         {"", "Schemalagd Backup utförd 2024-06-04  22:00:05", "B"});
    const QString gone = path("Sparade loggar/log 2024-06-04 22.00.05 Schemalagd Backup av A. 1 filer av 1 "
                              "kopierades. 0.00 MB. Inga fel.txt");
    m->addSchedulerLogEntry("2024-06-04 22:00:05 Backup utförd av \"A\". 1 filer av 1 kopierades. ", gone);
    m->listschemalogg_Click();
    EXPECT_EQ(m->txtschemalogg->toPlainText(),
              "Filen kunde inte hittas!\n" + gone + "\n\nNotera att endast de senaste loggarna sparas.");
}

TEST_F(SchedulerPanel, TheSelectedRunIsAlwaysTheOneWhoseLogIsShown) {
    testutil::writeFile(work("A/a.txt"), "a");
    jobs({"A"});
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"A"});
    m->chkaktiveraschema->setChecked(true);
    m->show();
    auto runNow = [&] {
        prog().clock.advance(60);
        m->cmdschema_körnu->click();
        scheduler().Timer1_Timer();
    };
    runNow();
    ASSERT_EQ(m->listschemalogg->count(), 1);
    QListWidget* list = m->listschemalogg;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    const QString first = m->txtschemalogg->toPlainText();
    runNow();
    runNow();
    ASSERT_EQ(list->count(), 3);
    const QString shown = m->txtschemalogg->toPlainText();
    if (list->currentItem()) {
        m->listschemalogg_Click(); // what the selected run's own log is
        EXPECT_EQ(shown, m->txtschemalogg->toPlainText()) << list->currentItem()->text().toStdString();
        EXPECT_NE(shown, first);
    }
    m->hide();
}

TEST_F(SchedulerPanel, TheLastRunLineComesFromTheRunLog) {
    m->visa_senaste_backup();
    EXPECT_EQ(m->Label6->text(), "Senaste Backup:");
    EXPECT_TRUE(m->cmdvisalogg->isHidden());
    testutil::writeLines(path("log.txt"), {"", "Schemalagd Backup utförd 2024-06-04  22:00:05", ""});
    m->visa_senaste_backup();
    EXPECT_EQ(m->Label6->text(), "Senaste Backup: Schemalagd Backup utförd 2024-06-04  22:00:05");
    EXPECT_FALSE(m->cmdvisalogg->isHidden());
    testutil::writeLines(path("log.txt"), {""});
    m->visa_senaste_backup();
    EXPECT_EQ(m->Label6->text(), "");
}

TEST_F(SchedulerPanel, OpeningTheEditorMarksActiveJobsAndReportsADamagedSchedule) {
    jobs({"A", "B", "C"});
    schedule("B", {1, 0, "07:30", "0234560", 0});
    testutil::writeFile(path("Listor/C.006"), QByteArray()); // left empty by an interrupted write
    m->comboinställningar->setCurrentIndex(2);
    EXPECT_EQ(prog().job().txtschema, "Aktiv: NEJ, Spegla: NEJ, Tid: --:--");
    dialogs().expectWindow("frmschema2", [](QWidget* w) {
        auto* e = static_cast<frmschema2*>(w);
        ASSERT_EQ(e->List1->count(), 3);
        EXPECT_EQ(e->List1->item(1)->text(), "*AKTIV* B");
        EXPECT_EQ(e->List1->item(2)->text(), "C");
        EXPECT_EQ(e->List1->currentRow(), 2);
        EXPECT_EQ(e->Frame1->title(), "C");
    });
    QTest::mousePress(m->findChild<QWidget*>("lblschema"), Qt::LeftButton); // the toolbar's label
    EXPECT_TRUE(m->Frame1->isEnabled());
    // A line that is no number stops the opening with a report.
    testutil::writeLines(path("Listor/C.006"), {"ja"});
    expectReport("Ett fel uppstod under inläsning till schemaläggningen.");
    m->cmdstartaschema_Click();
    EXPECT_TRUE(m->Frame1->isEnabled());
    // No job selected: nothing opens.
    m->comboinställningar->setCurrentIndex(-1);
    m->cmdstartaschema_Click();
}

TEST_F(SchedulerPanel, AnotherJobGroupIsReadAfreshByTheEditor) {
    jobs({"A"});
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
    schedule::writeCommonSetting(path("setup_schema_global2.ini"), {false, 0, "06:00", "1111111", 0, 0});
    prog().form<frmschema2>();
    EXPECT_TRUE(scheduler().common);
    m->optarkiv[1]->setChecked(true);
    EXPECT_FALSE(prog().isLoaded<frmschema2>());
    prog().form<frmschema2>();
    EXPECT_FALSE(scheduler().common);
    EXPECT_EQ(scheduler().combotidglobal, "06:00");
}

// What a panel lies over is out of reach: Tab passes it by and a screen reader is told it is not
// showing. The quick-start chooser and the log panel over the job view, the scheduler panel, the
// log panel over it, and the scheduler panel's view behind the one in front.
TEST_F(SchedulerPanel, WhatAPanelCoversIsOutOfReach) {
    jobs({"A", "B"});
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"B"});
    testutil::showActive(m);
    auto w = [this](const char* name) { return m->findChild<QWidget*>(QString::fromUtf8(name)); };
    const struct {
        const char* what;
        std::function<void()> cover;
        std::vector<const char*> covered, shown;
    } cases[] = {
        {"quick start",
         [&] { m->framesnabbstart->show(); },
         {"listinställningar", "picnytt", "cmdbackupdirekt"},
         {"cmdsnabbnytt"}},
        {"log panel over the job view",
         [&] {
             m->framesnabbstart->hide();
             m->cmdprogramlogg_Click();
         },
         {"listinställningar", "cmdbackupdirekt"},
         {"cmdsyslogg_dölj", "picnytt"}},
        {"scheduler panel",
         [&] {
             m->cmdsyslogg_dölj_Click();
             m->chkaktiveraschema->setChecked(true);
         },
         {"listinställningar", "picnytt", "lblschema_mapp"},
         {"cmdschema_körnu", "lblvisaschemajobb"}},
        {"log panel over the scheduler panel",
         [&] { m->lblschemavisasyslogg_Click(); },
         {"cmdschema_körnu", "lblvisaschemajobb"},
         {"cmdsyslogg_dölj"}},
        {"running view in front",
         [&] {
             m->cmdsyslogg_dölj_Click();
             m->raiseField("frameschemapågår");
         },
         {"lblvisaschemajobb", "listinställningar"},
         {"lblschema_mapp", "cmdschema_körnu"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.cover();
        QSet<QWidget*> reached;
        for (int i = 0; i < 60 && QApplication::focusWidget(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        for (const char* name : c.covered) {
            ASSERT_NE(w(name), nullptr) << name;
            EXPECT_FALSE(reached.contains(w(name))) << name;
            EXPECT_TRUE(QAccessible::queryAccessibleInterface(w(name))->state().invisible) << name;
        }
        for (const char* name : c.shown) {
            ASSERT_NE(w(name), nullptr) << name;
            EXPECT_TRUE(reached.contains(w(name))) << name;
            EXPECT_FALSE(QAccessible::queryAccessibleInterface(w(name))->state().invisible) << name;
        }
    }
    m->hide();
}

// The next run's text longer than the window is wide ends in "…" at the window's edge and is whole
// in its tooltip, as the status line is.
TEST_F(SchedulerPanel, ALongNextRunIsCutAtTheWindowEdgeAndWholeInItsTooltip) {
    jobs({"A"});
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 0, "22:00", "1111111", 0, 0});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"A"});
    m->chkaktiveraschema->setChecked(true);
    ASSERT_TRUE(m->chkaktiveraschema->isChecked());
    testutil::showActive(m);
    m->resize(m->minimumSize());
    QLabel* next = m->lblschema_nästakörning;
    const QString whole = "Idag 22:00 [" + QString(200, 'J') + "]";
    next->setText(whole);
    QCoreApplication::processEvents();
    EXPECT_LE(next->mapTo(m, QPoint(next->width(), 0)).x(), m->width());
    ASSERT_GT(next->fontMetrics().horizontalAdvance(whole), next->contentsRect().width());
    QHelpEvent tip(QEvent::ToolTip, next->rect().center(), next->mapToGlobal(next->rect().center()));
    QApplication::sendEvent(next, &tip);
    EXPECT_EQ(QToolTip::text(), whole);
    QToolTip::hideText();
    m->hide();
}
