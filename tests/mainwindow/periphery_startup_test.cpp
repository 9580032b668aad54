// The quick-start chooser and the readme in a real start of the main window, and the settings
// window's and job menu's ways to search and replace, duplicate and export.
#include "core/error_dialog.h"
#include "core/job_files.h"
#include "editor/search_replace_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

class PeripheryStart : public ProgramTest {
  protected:
    // The settings file with line 8 as given (empty: no such line), and the readme marker.
    void settings(const char* line8) {
        QStringList lines;
        for (int i = 0; i < 7; ++i)
            lines << " 0 ";
        if (*line8)
            lines << line8 << " 0 ";
        testutil::writeLines(path("programalternativ.ini"), lines);
        testutil::writeLines(path("readme700.dat"), {""});
    }
    void writeJob(const QString& name) {
        testutil::JobSpec j;
        j.name = name;
        j.folders = j.mainFolders = {work("Källa")};
        j.backupFolder = "/mnt/gammal/Backup";
        testutil::writeJob(path("Listor"), j);
    }
    frmmain* start() {
        frmmain* m = prog().form<frmmain>();
        EXPECT_TRUE(m->load());
        return m;
    }
    // A new start of the program in the same folder; `expect` queues the dialogs it will show.
    frmmain* restart(const std::function<void()>& expect = {}) {
        restartProgram();
        if (expect)
            expect();
        return start();
    }
    void expectReport(const QString& contains) {
        dialogs().expectWindow("frmerror", [contains](QWidget* w) {
            const QString text = static_cast<frmerror*>(w)->lblfel->toPlainText();
            EXPECT_TRUE(text.contains(contains)) << text.toStdString();
        });
    }
};

TEST_F(PeripheryStart, TheEighthSettingsLineDecidesWhetherTheChooserShows) {
    struct Case {
        const char* line8;
        bool shown;
    };
    for (const Case& c : {Case{"", true}, Case{" 0 ", false}, Case{"1", true}}) {
        settings(c.line8);
        frmmain* m = restart();
        EXPECT_EQ(m->framesnabbstart->isVisibleTo(m), c.shown) << "line 8: '" << c.line8 << "'";
        EXPECT_EQ(m->framesnabbstart->geometry(), m->centralWidget()->rect());
    }
    // A first start, without a settings file, shows it.
    QFile::remove(path("programalternativ.ini"));
    frmmain* m = restart([this] { dialogs().expectMessage("första gången", platform::Answer::No); });
    EXPECT_TRUE(m->framesnabbstart->isVisibleTo(m));
}

TEST_F(PeripheryStart, UntickingTheBoxKeepsTheChooserAwayAtTheNextStartUntilTheMenuBringsItBack) {
    settings(" 1 ");
    frmmain* m = start();
    QuickStartPanel* q = m->framesnabbstart;
    ASSERT_TRUE(q->isVisibleTo(m));
    q->chksnabbstart_nästauppstart->click();
    EXPECT_EQ(testutil::readLines(path("programalternativ.ini")).value(7).trimmed(), "0");
    EXPECT_TRUE(m->systemLogText().endsWith("Sparade programinställningar."));
    q->cmdsnabbmain->click();
    EXPECT_FALSE(q->isVisibleTo(m));

    m = restart();
    EXPECT_FALSE(m->framesnabbstart->isVisibleTo(m));
    prog().form<frmsetup>()->mnusnabbstart->trigger();
    EXPECT_TRUE(m->framesnabbstart->isVisibleTo(m));
    // The box shows ticked whatever the setting is.
    EXPECT_TRUE(m->framesnabbstart->chksnabbstart_nästauppstart->isChecked());
    EXPECT_FALSE(prog().settings().chksnabbstart);
}

TEST_F(PeripheryStart, TheChooserRunsTheMainWindowsCommandsAndStays) {
    settings(" 1 ");
    writeJob("Hem");
    frmmain* m = start();
    m->show();
    QuickStartPanel* q = m->framesnabbstart;
    q->cmdsnabbbackup->click();
    frmutförbackup* b = prog().form<frmutförbackup>();
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->List1->count(), 1);
    EXPECT_TRUE(q->isVisible());
    // While the backup window is open, a new job and the schedule wait.
    m->Form_Activate();
    EXPECT_FALSE(q->cmdsnabbnytt->isEnabled());
    EXPECT_FALSE(q->cmdsnabbschema->isEnabled());
    EXPECT_TRUE(q->cmdsnabbbackup->isEnabled());
    b->hide();
    m->Form_Activate();
    EXPECT_TRUE(q->cmdsnabbnytt->isEnabled());

    q->lblsnabbinställningar_Click();
    EXPECT_TRUE(prog().form<frmsetup>()->isVisible());
}

TEST_F(PeripheryStart, TheReadmeComesBeforeTheFirstQuestionAndOnlyOnce) {
    testutil::writeFile(path("readme.txt"), "Läs mig");
    testutil::writeFile(path("readme300.dat"), "");
    dialogs().expectWindow("frmreadme", [](QWidget* w) {
        EXPECT_EQ(w->findChild<QPlainTextEdit*>("Text1")->toPlainText(), "Läs mig");
        w->findChild<QPushButton*>("Command1")->click();
    });
    dialogs().expectMessage("första gången", platform::Answer::Yes);
    start();
    EXPECT_TRUE(QFile::exists(path("readme700.dat")));
    EXPECT_FALSE(QFile::exists(path("readme300.dat")));
    restart(); // nothing is shown: no dialog is expected
}

TEST_F(PeripheryStart, SearchAndReplaceFromTheSettingsWindowLoadsTheChangedJob) {
    settings(" 0 ");
    writeJob("Arbete");
    writeJob("Hem");
    frmmain* m = start();
    m->selectJob(1);
    frmsetup* s = prog().form<frmsetup>();
    dialogs().expectWindow("frmsökersätt", [this](QWidget* w) {
        auto* r = static_cast<frmsökersätt*>(w);
        EXPECT_EQ(r->optjobb1->text(), "Markerat jobb (Hem)");
        r->txtsök1->setText("/mnt/gammal");
        r->txtsök2->setText("/media/ny");
        expectReport("Processen slutfördes utan problem.");
        r->cmdkör->click();
        r->cmdavbryt->click();
    });
    s->cmdsökersätt->click();
    EXPECT_EQ(prog().job().txtbackupmapp, "/media/ny/Backup");
    EXPECT_EQ(m->currentJobName(), "Hem");
    EXPECT_EQ(JobFiles(path("Listor"), "Arbete").readBackupFolder(), "/mnt/gammal/Backup");

    // The job menu's entry opens a fresh window.
    dialogs().expectWindow("frmsökersätt", [](QWidget* w) {
        auto* r = static_cast<frmsökersätt*>(w);
        EXPECT_TRUE(r->txtsök1->text().isEmpty());
        EXPECT_TRUE(r->optjobb1->isChecked());
        r->close();
    });
    s->mnusökersätt->trigger();
}

TEST_F(PeripheryStart, TheMenuEntriesAndTheExportButtonReachTheirCommands) {
    settings(" 0 ");
    writeJob("Hem");
    frmmain* m = start();
    frmsetup* s = prog().form<frmsetup>();
    dialogs().expectMessage("kopia av jobbet (Hem)", platform::Answer::Yes);
    expectReport("Ett nytt jobb har skapats med namnet Hem(2)");
    s->mnuduplicera->trigger();
    EXPECT_EQ(m->listinställningar->count(), 2);

    testutil::makeDir(path("Listor2"));
    expectReport("kopierades till gruppen \"Jobbgrupp 2\".");
    s->mnugrupp[1]->trigger();
    EXPECT_TRUE(JobFiles(path("Listor2"), "Hem").exists());

    EXPECT_EQ(s->txtexportmapp->text(), path("Export"));
    dialogs().expectOpenUrl(path("Export/"));
    s->cmdexport->click();
    EXPECT_TRUE(QFile::exists(path("Export/_export_Hem.txt")));
    EXPECT_TRUE(QFile::exists(path("Export/_export_Hem(2).txt")));
}

} // namespace
