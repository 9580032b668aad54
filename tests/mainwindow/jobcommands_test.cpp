// The main window's New, Edit and Delete commands.
#include "support/fixture.h"

#include "core/job_files.h"
#include "editor/editor_script.h"
#include "editor/job_editor_window.h"
#include "mainwindow/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

class JobCommandsTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(path("Listor"));
        main = prog().form<frmmain>();
    }
    void writeJob(const QString& name, const QStringList& options = {"NEJ", "NEJ", "0", "NEJ", "NEJ"},
                  const QStringList& versioning = {"NEJ", "", "", "", ""}) {
        testutil::JobSpec j;
        j.name = name;
        j.folders = {work("Källa"), work("Källa/Under")};
        j.mainFolders = {work("Källa")};
        j.backupFolder = work("Backup");
        j.options = options;
        j.versioning = versioning;
        j.filters = {"*.doc;*.xls", "*.tmp", "Thumbs.db", "Temp", "25"};
        j.excluded = {work("Källa/Ut"), work("Källa/Bort")};
        j.programs = {"thunderbird", "notes.txt"};
        testutil::writeJob(path("Listor"), j);
        testutil::makeDir(work("Källa/Under"));
    }
    frmmain* main = nullptr;
};

TEST_F(JobCommandsTest, NewJobIsProposedTheLowestFreeNameInAnEmptyEditor) {
    writeJob(QStringLiteral("Backup 1"));
    writeJob(QStringLiteral("Backup 2"));
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        EXPECT_EQ(e->caption(), QStringLiteral("Nytt jobb"));
        EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Backup 3"));
        EXPECT_TRUE(e->txtnamn->isEnabled());
        EXPECT_FALSE(e->cmdbytnamn->isVisibleTo(e));
        ASSERT_EQ(e->listexfiler->count(), 1);
        EXPECT_EQ(e->listexfiler->item(0)->text(), QStringLiteral("Thumbs.db"));
        EXPECT_EQ(e->combomappar->count(), 0);
        // Leave something behind that the next opening must not see.
        e->combomappar->addItem(QStringLiteral("/kvar"));
        e->cmdstäng->click();
    });
    prog().schema_avstängt = 1;
    main->cmdny_Click();
    EXPECT_EQ(prog().schema_avstängt, 0);
    EXPECT_FALSE(main->chkload);

    QFile::remove(JobFiles(QStringLiteral("Backup 1")).path(0));
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Backup 1"));
        EXPECT_EQ(e->combomappar->count(), 0);
        EXPECT_EQ(e->listexfiler->count(), 1);
    });
    main->cmdny_Click();
    // Whatever way the editor was left, nothing of it stays loaded.
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
}

TEST_F(JobCommandsTest, EditCopiesTheRecordIntoTheEditor) {
    writeJob(QStringLiteral("Arbete"), {"JA", "JA", "1", "JA", "JA"}, {"", "jpg;png", "5", "3", work("Ver")});
    editor_script::selectJob(QStringLiteral("Arbete"));
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [&](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        EXPECT_EQ(e->caption(), QStringLiteral("Ändra jobb"));
        EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Arbete"));
        EXPECT_FALSE(e->txtnamn->isEnabled());
        EXPECT_TRUE(e->cmdbytnamn->isVisibleTo(e));
        EXPECT_EQ(e->combomappar->count(), 1);
        EXPECT_EQ(e->combomappar->currentRow(), 0);
        EXPECT_EQ(e->lstFoundFiles->count(), 2);
        EXPECT_EQ(e->lblCount2->text(), QStringLiteral("2"));
        EXPECT_EQ(e->listexmappar, QStringList({work("Källa/Ut"), work("Källa/Bort")}));
        EXPECT_EQ(e->cmdexmappar->text(), QStringLiteral("Exkludera mappar... (2 mappar)"));
        EXPECT_EQ(e->txtbackupmapp->currentText(), work("Backup"));
        EXPECT_EQ(e->txtpattern.text(), QStringLiteral("*.doc;*.xls"));
        EXPECT_EQ(e->txtexpattern.text(), QStringLiteral("*.tmp"));
        EXPECT_EQ(e->txtexfiler.text(), QStringLiteral("Thumbs.db"));
        EXPECT_EQ(e->txtmappfilter.text(), QStringLiteral("Temp"));
        EXPECT_EQ(e->txtexmb->text(), QStringLiteral("25"));
        EXPECT_EQ(e->txtstartstopp_stopp.text(), QStringLiteral("thunderbird"));
        EXPECT_EQ(e->txtstartstopp_start.text(), QStringLiteral("notes.txt"));
        EXPECT_TRUE(e->chkuppdateramappar->isChecked());
        EXPECT_TRUE(e->chksynkroniseraej->isChecked());
        EXPECT_TRUE(e->chkignorerasaknadenhet->isChecked());
        EXPECT_TRUE(e->optsökvägtyp[1]->isChecked());
        EXPECT_TRUE(e->chkabsolutsökväg_huvudmapp->isChecked());
        EXPECT_TRUE(e->chkabsolutsökväg_huvudmapp->isEnabled());
        // An empty versioning line counts as on; only "NEJ" is off.
        EXPECT_TRUE(e->chkversionshantering->isChecked());
        EXPECT_EQ(e->txtversionpattern.text(), QStringLiteral("jpg;png"));
        EXPECT_EQ(e->txtversion_mb->text(), QStringLiteral("5"));
        EXPECT_EQ(e->txtversionmax->text(), QStringLiteral("3"));
        EXPECT_EQ(e->txtversionmapp->text(), work("Ver"));
    });
    main->cmdändra_Click();
}

TEST_F(JobCommandsTest, YesNoFieldsCountAsYesOnlyWhenExactlyJa) {
    writeJob(QStringLiteral("Svag"), {"ja", "", "", "JA ", ""}, {"NEJ", "", "", "", ""});
    editor_script::selectJob(QStringLiteral("Svag"));
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        EXPECT_FALSE(e->chkuppdateramappar->isChecked());
        EXPECT_FALSE(e->chksynkroniseraej->isChecked());
        EXPECT_FALSE(e->chkabsolutsökväg_huvudmapp->isChecked());
        EXPECT_FALSE(e->chkignorerasaknadenhet->isChecked());
        EXPECT_TRUE(e->optsökvägtyp[0]->isChecked());
        EXPECT_FALSE(e->chkversionshantering->isChecked());
    });
    main->cmdändra_Click();
}

TEST_F(JobCommandsTest, EditAndDeleteWithoutASelectedJobDoNothing) {
    main->cmdändra_Click();
    main->cmdtabort_Click();
    main->ändra_inställning();
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
}

TEST_F(JobCommandsTest, DeleteRemovesTheSetButNotTheExtraFileAfterAYes) {
    writeJob(QStringLiteral("Gammal"));
    const JobFiles job(QStringLiteral("Gammal"));
    testutil::writeLines(job.path(7), {"2026-01-01 10:00", "Manuell"});
    testutil::writeLines(job.path(10), {"extra"});
    editor_script::selectJob(job.name());

    dialogs().expectMessage(QStringLiteral("Vill du ta bort det här jobbet (Gammal)?"), platform::Answer::No);
    main->cmdtabort_Click();
    for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10})
        EXPECT_TRUE(job.hasFile(n)) << n;
    EXPECT_EQ(main->comboinställningar->currentText(), job.name());

    dialogs().expectMessage(QStringLiteral("Vill du ta bort det här jobbet (Gammal)?"),
                            platform::Answer::Yes);
    main->cmdtabort_Click();
    for (int n = 0; n <= 9; ++n)
        EXPECT_FALSE(QFile::exists(job.path(n))) << n;
    EXPECT_TRUE(job.hasFile(10));
    EXPECT_TRUE(program().job().txtbackupmapp.isEmpty());
}
