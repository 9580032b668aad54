#include "core/job_files.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/accessibility.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTextEdit>
#include <cerrno>
#include <functional>

namespace {

testutil::JobSpec job(const QString& name, const QString& backup = QStringLiteral("/mnt/usb/Backup")) {
    testutil::JobSpec j;
    j.name = name;
    j.folders = {"/data/" + name};
    j.mainFolders = {"/data/" + name};
    j.backupFolder = backup;
    return j;
}

QStringList items(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

QStringList items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace

class JobGroupsTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // A settings file keeps the first-run question away.
        QStringList settings(19, QStringLiteral(" 0 "));
        testutil::writeLines(path("programalternativ.ini"), settings);
    }
    // Starts the program over the same program folder again.
    frmmain* restart() {
        restartProgram();
        return start();
    }
    frmmain* start() {
        frmmain* m = prog().form<frmmain>();
        EXPECT_TRUE(m->load());
        m->show();
        return m;
    }
    QString log() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
};

TEST_F(JobGroupsTest, StartsWithTheStoredGroupAndASwitchSurvivesARestart) {
    for (const char* n : {"Musik", "bilder", "Arkiv"})
        testutil::writeJob(path("Listor"), job(n));
    for (const char* n : {"Zebra", "Dokument", "ännu ett"})
        testutil::writeJob(path("Listor2"), job(QString::fromUtf8(n)));
    testutil::writeLines(path("setup_arkivnr.ini"), {"1"});

    frmmain* m = start();
    EXPECT_EQ(items(m->listinställningar), (QStringList{"Dokument", "Zebra", "ännu ett"}));
    EXPECT_EQ(items(m->comboinställningar), items(m->listinställningar));
    EXPECT_EQ(m->lblinställningar->text(), "3 st");
    EXPECT_TRUE(m->optarkiv[1]->isChecked());
    EXPECT_EQ(prog().jobbgruppmapp, path("Listor2"));
    EXPECT_EQ(program().job().txtjobbnamn, "Dokument");
    EXPECT_EQ(m->listinställningar->currentRow(), 0);

    // The user turns the groups on and clicks group 1.
    prog().form<frmsetup>()->chkjobbarkiv->setChecked(true);
    m->optarkiv[0]->click();
    EXPECT_EQ(items(m->listinställningar), (QStringList{"Arkiv", "bilder", "Musik"}));
    EXPECT_EQ(program().job().txtjobbnamn, "Arkiv");
    EXPECT_EQ(program().job().txtbackupmapp, "/mnt/usb/Backup");
    EXPECT_EQ(testutil::readLines(path("setup_arkivnr.ini")), QStringList{"0"});

    m = restart();
    EXPECT_TRUE(m->optarkiv[0]->isChecked());
    EXPECT_EQ(items(m->listinställningar), (QStringList{"Arkiv", "bilder", "Musik"}));

    // Group 3, then groups hidden again: group 3 stays current at the next start.
    testutil::writeJob(path("Listor3"), job("Tre"));
    m->optarkiv[2]->setChecked(true);
    EXPECT_EQ(testutil::readLines(path("setup_arkivnr.ini")), QStringList{"2"});
    m = restart();
    EXPECT_EQ(items(m->listinställningar), QStringList{"Tre"});
    EXPECT_EQ(prog().jobbgruppmapp, path("Listor3"));
}

TEST_F(JobGroupsTest, EmptyGroupsAndWhatTheListLeavesOut) {
    testutil::writeJob(path("Listor"), job("Synlig"));
    testutil::writeJob(path("Listor"), job(".dold"));
    testutil::writeLines(path("Listor/bara.001"), {});
    frmmain* m = start();
    EXPECT_EQ(items(m->listinställningar), QStringList{"Synlig"});

    testutil::makeDir(path("Listor2"));
    m->optarkiv[1]->setChecked(true);
    EXPECT_EQ(m->listinställningar->count(), 0);
    EXPECT_EQ(m->comboinställningar->count(), 0);
    EXPECT_EQ(m->lblinställningar->text(), "0 st");
    EXPECT_EQ(program().job().txtjobbnamn, "");
    EXPECT_EQ(program().job().txtbackupmapp, "");
    EXPECT_EQ(program().job().listmappar, QStringList{});
    EXPECT_EQ(m->txtsammanställning_text->toPlainText(), "");
}

TEST_F(JobGroupsTest, MissingGroupFolderIsMadeOrTheOldJobsAreDropped) {
    testutil::writeJob(path("Listor"), job("Gammal"));
    frmmain* m = start();
    ASSERT_EQ(program().job().txtjobbnamn, "Gammal");

    // The folder of group 2 was removed behind the program's back: switching makes it again.
    m->optarkiv[1]->setChecked(true);
    EXPECT_TRUE(platform::folderExists(path("Listor2")));
    EXPECT_EQ(m->lblinställningar->text(), "0 st");

    // Group 4 cannot be made: no job of the group before stays selectable.
    m->optarkiv[0]->setChecked(true);
    ASSERT_EQ(program().job().txtjobbnamn, "Gammal");
    platform::injectFault(path("Listor4"), EACCES);
    dialogs().expectWindow("frmerror");
    m->optarkiv[3]->setChecked(true);
    EXPECT_EQ(m->comboinställningar->count(), 0);
    EXPECT_EQ(m->listinställningar->count(), 0);
    EXPECT_EQ(program().job().txtjobbnamn, "");
    EXPECT_EQ(m->txtjobbnamn_text->text(), "");
    EXPECT_EQ(program().job().txtbackupmapp, "");
    EXPECT_EQ(m->combomappar_list->count(), 0);
    EXPECT_TRUE(log().contains("Ett fel uppstod under inläsning av jobb.")) << log().toStdString();
}

TEST_F(JobGroupsTest, RenamingAGroup) {
    frmmain* m = start();
    const QString file = path("setup_arkivetiketter.ini");

    dialogs().expectInput("Välj ett nytt namn för denna jobbgrupp", "Jobbgrupp 2"); // unchanged
    m->optarkiv_DblClick(1);
    dialogs().expectInput("Välj ett nytt namn", ""); // cancelled
    m->optarkiv_DblClick(1);
    EXPECT_FALSE(platform::fileExists(file));

    dialogs().expectInput("Välj ett nytt namn", " Familjen ");
    m->optarkiv_DblClick(1);
    EXPECT_EQ(m->optarkiv[1]->text(), " Familjen ");
    EXPECT_EQ(testutil::readLines(file),
              (QStringList{"Jobbgrupp 1", " Familjen ", "Jobbgrupp 3", "Jobbgrupp 4"}));

    // A failed write is reported, and the old file stays whole.
    platform::injectFault(file, ENOSPC);
    dialogs().expectInput("Välj ett nytt namn", "Jobb");
    dialogs().expectWindow("frmerror");
    m->optarkiv_DblClick(0);
    platform::clearFaults();
    EXPECT_EQ(testutil::readLines(file).value(0), "Jobbgrupp 1");
    EXPECT_TRUE(log().contains("Ett fel uppstod då gruppetiketterna skulle sparas.")) << log().toStdString();

    // Two stored captions name groups 1 and 2 at the next start.
    testutil::writeLines(file, {"Mina", "Dina"});
    m = restart();
    EXPECT_EQ(m->optarkiv[0]->text(), "Mina");
    EXPECT_EQ(m->optarkiv[1]->text(), "Dina");
    EXPECT_EQ(m->optarkiv[2]->text(), "Jobbgrupp 3");
}

TEST_F(JobGroupsTest, ExtraGroupsMakeOnlyMissingFoldersAndHideWithoutSwitching) {
    testutil::writeJob(path("Listor3"), job("Kvar"));
    frmmain* m = start();
    frmsetup* s = prog().form<frmsetup>();
    for (QRadioButton* b : m->optarkiv)
        EXPECT_FALSE(b->isVisible());
    s->chkjobbarkiv->setChecked(true);
    EXPECT_TRUE(platform::folderExists(path("Listor2")));
    EXPECT_TRUE(platform::folderExists(path("Listor4")));
    EXPECT_TRUE(platform::fileExists(path("Listor3/Kvar.000")));
    for (QRadioButton* b : m->optarkiv)
        EXPECT_TRUE(b->isVisible());

    m->optarkiv[2]->setChecked(true);
    s->chkjobbarkiv->setChecked(false);
    for (QRadioButton* b : m->optarkiv)
        EXPECT_FALSE(b->isVisible());
    EXPECT_EQ(prog().jobbgruppmapp, path("Listor3"));
    EXPECT_EQ(program().job().txtjobbnamn, "Kvar");
}

TEST_F(JobGroupsTest, SelectingJobsKeepsBothListsTogether) {
    for (const char* n : {"A", "B", "C"})
        testutil::writeJob(path("Listor"), job(n, QStringLiteral("/backup/") + n));
    frmmain* m = start();
    m->listinställningar->setCurrentRow(2);
    EXPECT_EQ(m->comboinställningar->currentIndex(), 2);
    EXPECT_EQ(program().job().txtbackupmapp, "/backup/C");
    // Another window selects through the combo box: the visible list follows.
    m->comboinställningar->setCurrentIndex(1);
    EXPECT_EQ(m->listinställningar->currentRow(), 1);
    EXPECT_EQ(m->txtjobbnamn_text->text(), "B");

    // The right button selects the job under it, so the job menu's commands work on that job.
    frmsetup* s = prog().form<frmsetup>();
    QListWidget* list = m->listinställningar;
    const QPoint third = list->visualItemRect(list->item(2)).center();
    QMouseEvent press(QEvent::MouseButtonPress, third, list->viewport()->mapToGlobal(third), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    EXPECT_EQ(m->comboinställningar->currentIndex(), 2);
    EXPECT_EQ(program().job().txtjobbnamn, "C");
    EXPECT_TRUE(s->mnualternativ->isVisible());
    EXPECT_FALSE(s->mnukopierajobb->menuAction()->isVisible());
    s->mnualternativ->hide();
    s->chkjobbarkiv->setChecked(true);
    m->optarkiv[3]->setText("Pappa");
    m->listinställningar_MouseDown(2, 5, 5);
    EXPECT_TRUE(s->mnukopierajobb->menuAction()->isVisible());
    EXPECT_EQ(s->mnugrupp[3]->text(), "Pappa");
    s->mnualternativ->hide();
}

// The job list's right button opens the options menu, as the toolbar's "Alternativ" does: while it
// is open, a screen reader going down the program's accessibility tree finds it and its commands.
TEST_F(JobGroupsTest, TheOpenOptionsMenuIsInTheAccessibilityTree) {
    platform::installAccessibility();
    testutil::writeJob(path("Listor"), job("A"));
    frmmain* m = start();
    frmsetup* s = prog().form<frmsetup>();
    m->listinställningar_MouseDown(2, 5, 5);
    ASSERT_TRUE(s->mnualternativ->isVisible());
    QStringList found;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* i, int depth) {
        for (int c = 0; c < i->childCount() && depth < 8; ++c)
            if (QAccessibleInterface* child = i->child(c)) {
                if (child->role() == QAccessible::MenuItem && !child->state().invisible)
                    found << child->text(QAccessible::Name);
                walk(child, depth + 1);
            }
    };
    walk(QAccessible::queryAccessibleInterface(qApp), 0);
    for (const char* name :
         {"Inställningar", "Sök och ersätt...", "Duplicera jobb...", "Återställ från backup..."})
        EXPECT_TRUE(found.contains(QString::fromUtf8(name))) << name;
    s->mnualternativ->hide();
}

TEST_F(JobGroupsTest, ReloadReselectsTheJobByName) {
    for (const char* n : {"B", "D"})
        testutil::writeJob(path("Listor"), job(n));
    frmmain* m = start();
    m->comboinställningar->setCurrentIndex(1);
    ASSERT_EQ(program().job().txtjobbnamn, "D");

    // A job added before it moves it down one place; it stays selected and freshly read.
    testutil::writeJob(path("Listor"), job("A"));
    JobFiles("D").writeBackupFolder("/ny");
    m->chkload = true;
    m->Form_Activate();
    EXPECT_FALSE(m->chkload);
    EXPECT_EQ(program().job().txtjobbnamn, "D");
    EXPECT_EQ(m->comboinställningar->currentIndex(), 2);
    EXPECT_EQ(program().job().txtbackupmapp, "/ny");

    // When the job is gone, its place is taken; a place the list no longer has gives the first job.
    m->comboinställningar->setCurrentIndex(1);
    JobFiles("B").remove();
    m->reloadJobsKeepingSelection();
    EXPECT_EQ(program().job().txtjobbnamn, "D");
    JobFiles("D").remove();
    m->reloadJobsKeepingSelection();
    EXPECT_EQ(program().job().txtjobbnamn, "A");
    JobFiles("A").remove();
    m->reloadJobsKeepingSelection();
    EXPECT_EQ(m->comboinställningar->currentIndex(), -1);
    EXPECT_EQ(program().job().txtjobbnamn, "");
}
