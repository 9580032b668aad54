#include "core/operations.h"
#include "mainwindow/main_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

class FolderRefresh : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        testutil::makeDir(path("Listor"));
    }
    frmmain* mainWith(const testutil::JobSpec& j) {
        testutil::writeJob(path("Listor"), j);
        frmmain* m = prog().form<frmmain>();
        m->setWindowTitle("Tamrel Backup");
        m->cmdload_Click();
        m->comboinställningar->setCurrentIndex(m->comboinställningar->findText(j.name));
        return m;
    }
    QString syslog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
};

TEST_F(FolderRefresh, RescansEveryMainFolderAndReportsTheCounts) {
    const QString src = work("src");
    testutil::makeDir(src + "/kvar");
    testutil::makeDir(src + "/ny");
    testutil::JobSpec j;
    j.name = "A";
    j.mainFolders = {src};
    j.folders = {src, src + "/borta", src + "/borta/djup", src + "/kvar"};
    j.backupFolder = work("backup");
    testutil::makeDir(j.backupFolder);
    frmmain* m = mainWith(j);
    ASSERT_EQ(program().job().listmappar.size(), 4);

    prog().schema_avstängt = 1;
    dialogs().expectWindow("frmerror"); // "Uppdatering klar." with the counts
    m->uppdatera_huvudmappar();
    EXPECT_EQ(prog().schema_avstängt, 0);
    EXPECT_EQ(testutil::readLines(path("Listor/A.000")), QStringList({src, src + "/kvar", src + "/ny"}));
    EXPECT_EQ(program().job().listmappar.size(), 3); // the record was reloaded from the files just written
    EXPECT_TRUE(m->Tag.isEmpty());
    EXPECT_TRUE(syslog().contains("Uppdaterar mappstruktur för mappen \"" + src + "\"."));
    EXPECT_TRUE(syslog().contains("Uppdatering av mappstruktur klar. Före: 4 mappar. Efter: 3 mappar"));
}

TEST_F(FolderRefresh, AJobWithoutMainFoldersIsLeftAlone) {
    testutil::JobSpec j;
    j.name = "Tom";
    j.backupFolder = work("backup");
    frmmain* m = mainWith(j);
    const QByteArray before = testutil::readBytes(path("Listor/Tom.000"));
    m->uppdatera_huvudmappar(); // no dialog, no save
    EXPECT_EQ(testutil::readBytes(path("Listor/Tom.000")), before);
    EXPECT_FALSE(syslog().contains("Uppdatering av mappstruktur klar"));
}

TEST_F(FolderRefresh, DuringARunTheCaptionKeepsItQuiet) {
    const QString src = work("src");
    testutil::makeDir(src + "/a");
    testutil::JobSpec j;
    j.name = "A";
    j.mainFolders = {src};
    j.folders = {src};
    j.backupFolder = work("backup");
    frmmain* m = mainWith(j);
    m->setWindowTitle("Uppdaterar mappstruktur i A");
    m->uppdatera_huvudmappar(); // no message box
    EXPECT_EQ(testutil::readLines(path("Listor/A.000")), QStringList({src, src + "/a"}));
    EXPECT_FALSE(syslog().contains("Uppdatering av mappstruktur klar"));
}

// The job's own button: every main folder by position, the job saved and reloaded, then the
// counts; with no job selected nothing happens, and a job without main folders is still saved.
TEST_F(FolderRefresh, TheRefreshAllButtonRescansEveryMainFolderAndAlwaysReports) {
    const QString a = work("a"), b = work("b");
    testutil::makeDir(a + "/ny");
    testutil::makeDir(b);
    testutil::JobSpec j;
    j.name = "A";
    j.mainFolders = {a, b};
    j.folders = {a, a + "/borta", b};
    j.backupFolder = work("backup");
    testutil::makeDir(j.backupFolder);
    frmmain* m = mainWith(j);
    m->setWindowTitle("Något annat"); // the button reports whatever the caption says

    dialogs().expectWindow("frmerror"); // "Mappstrukturen har uppdaterats." with the counts
    m->cmduppdateraallt_Click();
    QStringList saved = testutil::readLines(path("Listor/A.000"));
    saved.sort();
    EXPECT_EQ(saved, QStringList({a, a + "/ny", b}));
    EXPECT_EQ(program().job().listmappar.size(), 3);
    EXPECT_TRUE(m->Tag.isEmpty());
    EXPECT_TRUE(m->comboinställningar->isEnabled());
    EXPECT_TRUE(syslog().contains("Uppdaterar mappstruktur för mappen \"" + b + "\"."));
    EXPECT_TRUE(syslog().contains("Uppdatering av mappstruktur klar. Före: 3 mappar. Efter: 3 mappar"));

    m->comboinställningar->setCurrentIndex(-1);
    const QByteArray before = testutil::readBytes(path("Listor/A.000"));
    m->cmduppdateraallt_Click(); // no job: no dialog, no save
    EXPECT_EQ(testutil::readBytes(path("Listor/A.000")), before);
}

// The user's two refresh commands hold the operation gate while they rescan and let it go before
// their closing message; while another operation goes on they are refused and write nothing. The
// backup run's own refresh works under the run's gate.
TEST_F(FolderRefresh, TheUsersRefreshHoldsTheGateAndIsRefusedDuringAnotherOperation) {
    const QString src = work("src");
    testutil::makeDir(src);
    testutil::makeDir(work("backup"));
    frmmain* m = mainWith(testutil::jobOver("A", src, work("backup")));
    QStringList held; // the operation going on at each system-log line
    QObject watch;    // goes before `held`
    QObject::connect(m->txtsyslogg, &QTextEdit::textChanged, &watch,
                     [&] { held << prog().operations().current(); });
    const struct {
        const char* what;
        void (frmmain::*command)();
    } commands[] = {{"cmduppdatera", &frmmain::cmduppdatera_Click},
                    {"cmduppdateraallt", &frmmain::cmduppdateraallt_Click}};
    int made = 0;
    for (const auto& c : commands) {
        SCOPED_TRACE(c.what);
        const QString fresh = src + "/ny" + QString::number(++made);
        testutil::makeDir(fresh);
        const QByteArray before = testutil::readBytes(path("Listor/A.000"));
        {
            Operation other("återställning");
            ASSERT_TRUE(other);
            dialogs().expectWindow("frmerror", [](QWidget* w) {
                EXPECT_TRUE(w->findChild<QPlainTextEdit*>("lblfel")->toPlainText().contains(
                    "en annan åtgärd pågår (återställning)"));
            });
            (m->*c.command)();
            EXPECT_EQ(testutil::readBytes(path("Listor/A.000")), before);
            EXPECT_TRUE(m->comboinställningar->isEnabled());
        }
        held.clear();
        dialogs().expectWindow("frmerror", [&](QWidget*) { EXPECT_FALSE(prog().operations().busy()); });
        (m->*c.command)();
        EXPECT_TRUE(testutil::readLines(path("Listor/A.000")).contains(fresh));
        EXPECT_TRUE(held.contains("uppdatering av mappstrukturen"));
        EXPECT_FALSE(prog().operations().busy());
    }

    testutil::makeDir(src + "/underkörning");
    Operation run("backupkörning");
    m->setWindowTitle("Uppdaterar mappstruktur i A");
    m->uppdatera_huvudmappar();
    EXPECT_TRUE(testutil::readLines(path("Listor/A.000")).contains(src + "/underkörning"));
    EXPECT_EQ(prog().operations().current(), "backupkörning");
}

} // namespace
