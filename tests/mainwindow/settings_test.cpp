#include "mainwindow/main_window.h"
#include "mainwindow/old_backup_window.h"
#include "mainwindow/settings_window.h"
#include "platform/accessibility.h"
#include "platform/autostart.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/accessible.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <cerrno>

namespace {

const QStringList kDesign = {" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 1 ", " 1 ", " 0 ", " 0 ",
                             " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 1 ", " 1 ", " 1 "};

QList<bool> values(const frmsetup* s) {
    QList<bool> out;
    for (const QCheckBox* b : s->fileBoxes())
        out << b->isChecked();
    return out;
}

QList<bool> design() {
    QList<bool> out;
    for (const QString& l : kDesign)
        out << (l.trimmed() == "1");
    return out;
}

} // namespace

class SettingsTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(path("Listor"));
    }
    // The settings reader of the start-up, on a fresh main window.
    frmsetup* read() {
        prog().form<frmmain>()->open_setup();
        return prog().form<frmsetup>();
    }
    void restart() { restartProgram(); }
    QString log() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
    QString settingsFile() const { return path("programalternativ.ini"); }
};

TEST_F(SettingsTest, FirstStartAsksAndOnlyAYesWritesTheFiles) {
    dialogs().expectMessage("Detta verkar vara första gången du kör Tamrel Backup.", platform::Answer::No);
    frmsetup* s = read();
    EXPECT_FALSE(platform::fileExists(settingsFile()));
    EXPECT_TRUE(log().endsWith("Läser in inställningar... Inställningsfil saknas.")) << log().toStdString();
    EXPECT_EQ(values(s), design());
    ASSERT_EQ(dialogs().calls().back().kind, platform::Dialogs::Kind::Message);
    EXPECT_TRUE(dialogs().calls().back().text.contains(
        "\nVill du att programmet automatiskt ska söka efter uppdateringar på internet vid start?"));

    restart();
    dialogs().expectMessage("första gången", platform::Answer::Yes);
    read();
    QStringList expected = kDesign;
    expected[0] = " 1 ";
    EXPECT_EQ(testutil::readLines(settingsFile()), expected);
    EXPECT_EQ(testutil::readLines(path("setup_api.ini")), QStringList{" 0 "});
    EXPECT_TRUE(log().endsWith("Sparade programinställningar."));

    // An empty file counts as present: no question, design values.
    testutil::writeLines(settingsFile(), {});
    restart();
    EXPECT_EQ(values(read()), design());
}

TEST_F(SettingsTest, AShortFileSetsItsLinesAndASaveWritesAllNineteen) {
    testutil::writeLines(settingsFile(), QStringList(11, " 1 "));
    // "Starta aktiverad" with nothing scheduled says so and switches off again.
    dialogs().expectWindow("frmerror");
    frmsetup* s = read();
    QList<bool> expected = design();
    for (int i = 0; i < 11; ++i)
        expected[i] = true;
    EXPECT_EQ(values(s), expected);
    s->spara_setup();
    QStringList lines = testutil::readLines(settingsFile());
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines.mid(11), kDesign.mid(11));

    // A 1 written by hand reads the same as the print form; the hidden sound box is a setting too.
    lines[3] = "1";
    testutil::writeLines(settingsFile(), lines);
    restart();
    dialogs().expectWindow("frmerror");
    s = read();
    EXPECT_TRUE(s->chkljud1->isChecked());
    EXPECT_FALSE(s->Frame2->isVisibleTo(s));
}

TEST_F(SettingsTest, ABadValueCostsOnlyItsOwnSetting) {
    QStringList lines = QStringList(19, " 1 ");
    lines[2] = "ja";  // not a number
    lines[9] = " 7 "; // a value a check box does not take
    testutil::writeLines(settingsFile(), lines);
    testutil::writeLines(path("setup_arkivnr.ini"), {"7"});
    testutil::writeLines(path("setup_arkivetiketter.ini"), {"Hemma"});
    testutil::writeLines(path("setup_api.ini"), {"1"});
    frmsetup* s = read();
    frmmain* m = prog().form<frmmain>();

    QList<bool> expected = QList<bool>(19, true);
    expected[2] = false; // design value
    expected[9] = false;
    EXPECT_EQ(values(s), expected);
    EXPECT_TRUE(m->optarkiv[0]->isChecked());
    EXPECT_EQ(prog().jobbgruppmapp, path("Listor"));
    EXPECT_EQ(m->optarkiv[0]->text(), "Hemma");
    EXPECT_TRUE(s->chkaldrigapi->isChecked());
    EXPECT_EQ(log().count("Ett fel uppstod vid inläsning av inställningar: "), 3) << log().toStdString();
    EXPECT_TRUE(log().contains("Ett fel uppstod vid inläsning av inställningar: 13 Typerna matchar inte"));

    // The next save keeps what the user had.
    s->spara_setup();
    QStringList saved = QStringList(19, " 1 ");
    saved[2] = " 0 ";
    saved[9] = " 0 ";
    EXPECT_EQ(testutil::readLines(settingsFile()), saved);
}

TEST_F(SettingsTest, StoredGroupIsSelectedBeforeTheExtraGroupsAreApplied) {
    QStringList lines = kDesign;
    lines[5] = " 1 "; // chkjobbarkiv
    testutil::writeLines(settingsFile(), lines);
    testutil::writeLines(path("setup_arkivnr.ini"), {"3"});
    testutil::writeJob(path("Listor4"), [] {
        testutil::JobSpec j;
        j.name = "Fyra";
        j.backupFolder = "/b";
        return j;
    }());
    frmsetup* s = read();
    frmmain* m = prog().form<frmmain>();
    EXPECT_TRUE(m->optarkiv[3]->isChecked());
    EXPECT_EQ(program().job().txtjobbnamn, "Fyra");
    EXPECT_TRUE(s->chkjobbarkiv->isChecked());
    EXPECT_TRUE(platform::folderExists(path("Listor2")));
    EXPECT_TRUE(platform::folderExists(path("Listor3")));
    EXPECT_TRUE(m->optarkiv[0]->isVisibleTo(m));
}

TEST_F(SettingsTest, ApiFileOnlyTicksAndEverythingSurvivesARestart) {
    testutil::writeLines(settingsFile(), kDesign);
    testutil::writeLines(path("setup_api.ini"), {"0"});
    frmsetup* s = read();
    s->chkaldrigapi->setChecked(true);
    testutil::writeLines(path("setup_api.ini"), {"0"});
    prog().form<frmmain>()->open_setup();
    EXPECT_TRUE(s->chkaldrigapi->isChecked()); // a 0 never unticks

    const QList<bool> flipped = [&] {
        QList<bool> v = design();
        for (int i = 0; i < v.size(); i += 2)
            v[i] = !v[i];
        return v;
    }();
    for (int i = 0; i < 19; ++i)
        s->fileBoxes()[i]->setChecked(flipped[i]);
    s->chkstartaaktiverad->setChecked(false); // keeps the scheduler out of this test
    QList<bool> want = flipped;
    want[2] = false;
    s->show();
    s->cmdok->click();
    EXPECT_FALSE(s->isVisible());
    EXPECT_TRUE(log().endsWith("Sparade programinställningar."));

    restart();
    s = read();
    EXPECT_EQ(values(s), want);
    EXPECT_TRUE(s->chkaldrigapi->isChecked());

    // Closing through the title bar keeps the window loaded and saves like "&Stäng".
    s->show();
    s->chkvarnasync->setChecked(!s->chkvarnasync->isChecked());
    s->close();
    EXPECT_FALSE(s->isVisible());
    EXPECT_EQ(prog().loaded<frmsetup>(), s);
    EXPECT_EQ(testutil::readLines(settingsFile())[9].trimmed(), s->chkvarnasync->isChecked() ? "1" : "0");
}

TEST_F(SettingsTest, AFailedSaveIsAnErrorAndKeepsTheOldFile) {
    testutil::writeLines(settingsFile(), kDesign);
    frmsetup* s = read();
    s->chkignorerafel->setChecked(true);
    platform::injectFault(settingsFile(), ENOSPC);
    s->spara_setup();
    platform::clearFaults();
    EXPECT_EQ(testutil::readLines(settingsFile()), kDesign);
    EXPECT_FALSE(log().contains("Sparade programinställningar.")) << log().toStdString();
    EXPECT_TRUE(
        log().contains("FEL! Programinställningarna kunde inte sparas i programalternativ.ini. Felkod 61 "
                       "Disken är full."));
    // setup_api.ini was still written.
    EXPECT_EQ(testutil::readLines(path("setup_api.ini")), QStringList{" 0 "});
}

TEST_F(SettingsTest, TheWindowsSectionsMenusAndCaptions) {
    frmsetup* s = prog().form<frmsetup>();
    EXPECT_EQ(s->windowTitle(), "Alternativ");
    QStringList names;
    for (int i = 0; i < s->List1->count(); ++i)
        names << s->List1->item(i)->text();
    EXPECT_EQ(names, (QStringList{"Uppstart", "Utseende", "Papperskorgen", "Spegling", "Schemakörning",
                                  "Avancerat", "Exportera"}));
    auto onTop = [s] {
        const auto all = s->sections();
        int top = -1;
        int best = -1;
        const QObjectList kids = s->children();
        for (int i = 0; i < 7; ++i)
            if (const int at = kids.indexOf(all[i]); at > best) {
                best = at;
                top = i;
            }
        return top;
    };
    EXPECT_EQ(s->List1->currentRow(), 0);
    EXPECT_EQ(onTop(), 0);
    s->List1->setCurrentRow(5);
    EXPECT_EQ(onTop(), 5);
    EXPECT_EQ(s->frameavancerat->title(), "Avancerat");
    for (QGroupBox* f : s->sections())
        EXPECT_EQ(f->geometry(), s->Frame1->geometry());

    EXPECT_EQ(s->cmdok->text(), "&Stäng");
    EXPECT_EQ(s->cmdsökersätt->text(), "Sök && ersätt...");
    EXPECT_EQ(s->txtexportmapp->text(), path("Export"));
    EXPECT_EQ(s->chkschemapopupok->text(), "Visa popup efter lyckad körning");
    const QLabel* info = s->findChild<QLabel*>("chkignorerafel_förklaring");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->text(), "Fel rapporteras då bara i loggen.");
    EXPECT_EQ(s->chkfilstorlek->parentWidget(), s->frameavancerat);
    EXPECT_EQ(s->chkljud2->parentWidget(), s->Frame2);

    EXPECT_TRUE(s->mnukällmapp[0]->isVisible());
    EXPECT_EQ(s->mnukällmapp[0]->text(), "---");
    for (int i = 1; i < 50; ++i) {
        EXPECT_FALSE(s->mnukällmapp[i]->isVisible());
        EXPECT_FALSE(s->mnumålmapp[i]->isVisible());
    }
    EXPECT_EQ(s->mnugrupp[2]->text(), "grupp3");

    // The help link opens the help file.
    testutil::writeFile(path("tamrel_backup.html"), "x");
    dialogs().expectOpenUrl("tamrel_backup.html");
    QTest::mouseClick(s->lblhjälp, Qt::LeftButton);
}

TEST_F(SettingsTest, StartWithTheDesktopFollowsTheBox) {
    qputenv("XDG_CONFIG_HOME", work("config").toUtf8());
    testutil::makeDir(work("config"));
    frmsetup* s = prog().form<frmsetup>();
    EXPECT_FALSE(s->chkstartamedwindows->isChecked());
    s->chkstartamedwindows->setChecked(true);
    EXPECT_TRUE(platform::isAutostartEnabled());
    EXPECT_TRUE(log().contains("Lade till ")) << log().toStdString();
    EXPECT_TRUE(log().endsWith(" i Autostart vid inloggning."));

    // A new settings window finds the entry and ticks its box without writing again.
    restart();
    s = prog().form<frmsetup>();
    EXPECT_TRUE(s->chkstartamedwindows->isChecked());
    EXPECT_FALSE(log().contains("Lade till "));
    s->chkstartamedwindows->setChecked(false);
    EXPECT_FALSE(platform::isAutostartEnabled());
    EXPECT_TRUE(log().contains("Tog bort "));
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingsTest, TheMenuEntryForAutomaticUpdatesShowsAndChangesTheSetting) {
    QStringList lines = kDesign;
    lines[0] = " 1 ";
    testutil::writeLines(settingsFile(), lines);
    frmsetup* s = read();
    EXPECT_TRUE(s->mnuuppdateraauto->isChecked());

    s->mnuuppdateraauto->trigger();
    EXPECT_FALSE(s->chkuppdateraauto->isChecked());
    EXPECT_EQ(testutil::readLines(settingsFile()).value(0), " 0 ");
    // The box in the window moves the entry with it.
    s->chkuppdateraauto->setChecked(true);
    EXPECT_TRUE(s->mnuuppdateraauto->isChecked());
}

// Both open centred over the main window, and Escape, wherever the focus is, does what their close
// button does.
TEST_F(SettingsTest, TheSettingsWindowAndTheOldBackupListOpenOverTheMainWindowAndCloseOnEscape) {
    platform::installAccessibility();
    testutil::writeLines(settingsFile(), kDesign);
    frmsetup* s = read();
    frmmain* m = prog().form<frmmain>();
    m->connectMenus();
    // A job last run long ago, so that the old-backup list has something to show.
    testutil::JobSpec j;
    j.name = "Gammal";
    j.backupFolder = "/b";
    testutil::writeJob(path("Listor"), j);
    testutil::writeLines(path("Listor/Gammal.007"), {"2020-01-01 10:00", "Manuell"});
    m->comboinställningar->addItem("Gammal");
    // Away from the screen's centre, so that centred on the screen is not centred over the window.
    m->move(m->screen()->availableGeometry().topLeft());
    m->show();
    const testutil::WindowOpeners windows{
        {"frmsetup",
         [&] {
             s->mnuinställningar->trigger();
             return static_cast<QWidget*>(s);
         }},
        {"frmgammalbackup",
         [&] {
             s->mnuvisagammalbackup->trigger();
             return static_cast<QWidget*>(prog().loaded<frmgammalbackup>());
         }},
    };
    for (const auto& [name, open] : windows) {
        QWidget* w = open();
        ASSERT_TRUE(w && w->isVisible()) << name;
        EXPECT_NEAR(w->frameGeometry().center().x(), m->frameGeometry().center().x(), 2) << name;
        EXPECT_NEAR(w->frameGeometry().center().y(), m->frameGeometry().center().y(), 2) << name;
        w->hide();
    }
    ASSERT_FALSE(log().endsWith("Sparade programinställningar."));
    testutil::expectEscapeClosesFromEveryControl(windows);
    // "&Stäng" saves; so does Escape.
    EXPECT_TRUE(log().endsWith("Sparade programinställningar."));
    m->hide();
}
