#include "core/error_dialog.h"
#include "core/job_files.h"
#include "editor/job_editor_window.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "support/fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cerrno>

class RenameEditor : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        testutil::JobSpec s;
        s.name = "Bilder";
        s.folders = s.mainFolders = QStringList{work("src")};
        s.backupFolder = work("backup");
        testutil::writeJob(prog().jobbgruppmapp, s);
        testutil::writeLines(group("Bilder.006"), {" 1 ", " 0 ", "21:30", "0200060", " 0 "});
        testutil::writeLines(group("Bilder.007"), {"2026-05-07 22:15", "Manuell"});
        testutil::writeLines(group("Bilder.010"), {"okänt innehåll"});
        s.name = "Musik";
        testutil::writeJob(prog().jobbgruppmapp, s);
        e = prog().form<frmaddmapp>();
        e->setCaption("Ändra jobb");
        e->txtnamn->setEditText("Bilder");
        e->txtnamn->setEnabled(false);
    }
    QString group(const QString& file) { return prog().jobbgruppmapp + "/" + file; }
    QStringList groupFiles() { return QDir(prog().jobbgruppmapp).entryList(QDir::Files, QDir::Name); }
    void expectReport(const QString& contains) {
        dialogs().expectWindow("frmerror", [contains](QWidget* w) {
            const QString text = static_cast<frmerror*>(w)->lblfel->toPlainText();
            EXPECT_TRUE(text.contains(contains)) << text.toStdString();
        });
    }
    QStringList files(const QString& name, const QStringList& exts) const {
        QStringList out;
        for (const QString& x : exts)
            out << name + x;
        return out;
    }
    const QStringList all = {".000", ".001", ".002", ".003", ".004", ".005",
                             ".006", ".007", ".008", ".009", ".010"};
    frmaddmapp* e = nullptr;
};

TEST_F(RenameEditor, MovesTheWholeSetAndCarriesTheNewName) {
    const QByteArray old010 = testutil::readBytes(group("Bilder.010"));
    dialogs().expectInput("Välj nytt namn för det här jobbet.", "<Foton>");
    e->cmdbytnamn->click();
    QStringList expected = files("Musik", {".000", ".001", ".002", ".003", ".004", ".005", ".008", ".009"});
    expected += files("«Foton»", all);
    expected.sort();
    EXPECT_EQ(groupFiles(), expected);
    EXPECT_EQ(testutil::readBytes(group("«Foton».010")), old010);
    EXPECT_EQ(e->txtnamn->currentText(), "«Foton»");
    EXPECT_EQ(e->lbljobbnamn->text(), "«Foton»");
    EXPECT_EQ(e->cmdbytnamn_Tag, "1");
}

TEST_F(RenameEditor, RefusedOrCancelledNamesChangeNothing) {
    const QStringList before = groupFiles();
    dialogs().expectInput("Välj nytt namn", "");
    e->cmdbytnamn->click();
    dialogs().expectInput("Välj nytt namn", "Bilder");
    expectReport("Namnet finns redan!");
    e->cmdbytnamn->click();
    dialogs().expectInput("Välj nytt namn", "Musik");
    expectReport("Namnet finns redan!");
    e->cmdbytnamn->click();
    // Not one file name: a separator would put the files elsewhere, a dot would hide the job.
    dialogs().expectInput("Välj nytt namn", "Semester/2024");
    expectReport("Namnet för det här jobbet innehåller ett otillåtet tecken.");
    e->cmdbytnamn->click();
    for (const QString& hidden : {QString(".dold"), QString("..")}) {
        dialogs().expectInput("Välj nytt namn", hidden);
        expectReport("Namnet för det här jobbet får inte börja med en punkt (.), eftersom jobbet då inte "
                     "skulle visas i jobblistan.");
        e->cmdbytnamn->click();
    }
    EXPECT_EQ(groupFiles(), before);
    EXPECT_EQ(e->txtnamn->currentText(), "Bilder");
    EXPECT_TRUE(e->cmdbytnamn_Tag.isEmpty() || e->cmdbytnamn_Tag == "0");
}

TEST_F(RenameEditor, AJobWithoutOptionalFilesIsRenamed) {
    for (const char* ext : {".006", ".007", ".008", ".009", ".010"})
        QFile::remove(group(QString("Bilder") + ext));
    dialogs().expectInput("Välj nytt namn", "Foton 2024");
    e->cmdbytnamn->click();
    EXPECT_TRUE(JobFiles("Foton 2024").exists());
    EXPECT_FALSE(JobFiles("Bilder").exists());
    EXPECT_TRUE(QFile::exists(group("Foton 2024.005")));
    EXPECT_FALSE(QFile::exists(group("Foton 2024.006")));
}

TEST_F(RenameEditor, AFailedCopyLeavesTheOldJobWholeAndNoHalfJob) {
    const QStringList before = groupFiles();
    platform::injectFault(group("Foton.003"), ENOSPC);
    dialogs().expectInput("Välj nytt namn", "Foton");
    expectReport("Jobb, byt namn");
    e->cmdbytnamn->click();
    EXPECT_EQ(groupFiles(), before);
    EXPECT_EQ(e->txtnamn->currentText(), "Bilder");
    EXPECT_NE(e->cmdbytnamn_Tag, "1");
}

TEST_F(RenameEditor, TheMainWindowListShowsTheNewNameSelected) {
    testutil::JobSpec other;
    other.name = "Arkiv";
    other.backupFolder = work("backup");
    testutil::writeJob(prog().jobbgruppmapp, other);
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();
    m->comboinställningar->setCurrentIndex(m->comboinställningar->findText("Bilder"));
    ASSERT_EQ(m->comboinställningar->currentIndex(), 1);

    // The new name sorts last, so the old position would select another job.
    dialogs().expectInput("Välj nytt namn", "Ödemark");
    e->cmdbytnamn->click();
    EXPECT_EQ(m->comboinställningar->currentText(), "Ödemark");
    ASSERT_NE(m->listinställningar->currentItem(), nullptr);
    EXPECT_EQ(m->listinställningar->currentItem()->text(), "Ödemark");
    EXPECT_EQ(program().job().txtjobbnamn, "Ödemark");

    // Cancelling the editor asks for a reload, which keeps the renamed job selected.
    e->cmdstäng_Click();
    EXPECT_TRUE(m->chkload);
    m->Form_Activate();
    EXPECT_EQ(m->comboinställningar->currentText(), "Ödemark");
    EXPECT_EQ(m->listinställningar->currentItem()->text(), "Ödemark");
}
