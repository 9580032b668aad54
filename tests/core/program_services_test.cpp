// What Program hands out to every floor: the system log, the settings' values, and the services
// of the main window and the backup window, quiet while those windows are not there.
#include "core/module1.h"
#include "core/program_settings.h"
#include "support/fake_main_window.h"
#include "support/fixture.h"

#include <QWidget>

class ProgramServices : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
    }
};

TEST_F(ProgramServices, TheSystemLogKeepsCrLfLinesAndTellsItsWatcherOfEveryChange) {
    SystemLog& log = prog().systemLog();
    QStringList seen;
    int replaced = 0;
    QList<bool> marks;
    log.setObserver(
        {[&](const QString& raw) { seen << raw; }, [&] { ++replaced; }, [&](bool on) { marks << on; }});
    log.setText("start");
    log.append("en\nrad");
    log.appendRaw(" (slut)\r");
    EXPECT_EQ(log.text(), "start\r\n2026-05-06 07:08:09  en\r\nrad (slut)\r\n");
    EXPECT_EQ(seen, (QStringList{"\r\n2026-05-06 07:08:09  en\r\nrad", " (slut)\r\n"}));
    EXPECT_EQ(replaced, 1);
    log.markError();
    EXPECT_TRUE(log.errorMarked());
    log.clearErrorMark();
    EXPECT_EQ(marks, (QList<bool>{true, false}));
    log.setObserver({});
}

TEST_F(ProgramServices, WithoutTheWindowsEveryRequestIsQuietAndTheReporterOnlyLogs) {
    MainWindowServices& m = prog().mainWindow();
    m.selectJob(2);
    m.setTag("sync");
    m.requestReload();
    EXPECT_EQ(m.jobCount(), 0);
    EXPECT_EQ(m.currentJobIndex(), -1);
    EXPECT_TRUE(m.tag().isEmpty());
    EXPECT_EQ(m.widget(), nullptr);
    EXPECT_FALSE(prog().run().runGoingOn());
    EXPECT_EQ(prog().run().syncFolders(), nullptr);

    Module1::logga_meddelande(-1, -1, "FEL! Något", "Här");
    EXPECT_EQ(prog().systemLog().text(), "\r\n2026-05-06 07:08:09  FEL! Något. Plats: Här");
    EXPECT_TRUE(prog().systemLog().errorMarked());
}

TEST_F(ProgramServices, AnInstalledMainWindowServesUntilItGoes) {
    {
        FakeMainWindow fake;
        fake.scheduler = true;
        // While scheduling the reporter marks the scheduler panel's link; with no scheduled run
        // going on it still shows its dialogs.
        dialogs().expectWindow("frmerror");
        dialogs().expectWindow("frmerror");
        Module1::logga_meddelande(53, -1, "Ett fel uppstod.", "Test");
        Module1::logga_meddelande(0, -1, "Bara ett meddelande", "Test");
        EXPECT_EQ(fake.schedulerLogMarks, 1);
        EXPECT_EQ(&prog().mainWindow(), &fake);
    }
    EXPECT_FALSE(prog().mainWindow().schedulerOn());
}

TEST_F(ProgramServices, SettingsFilesReadLineByLineAndWriteEveryValue) {
    ProgramSettings s;
    EXPECT_TRUE(s.value("chkfilstorlek"));
    EXPECT_FALSE(s.value("chkpapperskorg_ersatta"));
    EXPECT_FALSE(s.value("nosuchbox"));
    s.chkpapperskorg_ersatta = true;
    s.chkfilstorlek = false;
    s.chkaldrigapi = true;
    programsettings::writeOptions(s, path("programalternativ.ini"));
    programsettings::writeApi(s, path("setup_api.ini"));
    QStringList lines = testutil::readLines(path("programalternativ.ini"));
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[6], " 0 ");
    EXPECT_EQ(lines[11], " 1 ");
    EXPECT_TRUE(programsettings::readApi(path("setup_api.ini")));

    lines[0] = " 1 ";
    lines[1] = "ja";
    lines[2] = "2";
    testutil::writeLines(path("programalternativ.ini"), lines.mid(0, 12));
    ProgramSettings read;
    QList<int> errors;
    programsettings::readOptions(
        path("programalternativ.ini"),
        [&](int i, bool v) { read.*ProgramSettings::fileFields()[i].value = v; },
        [&](const platform::RunError& e) { errors << e.number; });
    EXPECT_EQ(errors, (QList<int>{13, 5}));
    EXPECT_TRUE(read.chkuppdateraauto);
    EXPECT_TRUE(read.chkpapperskorg_ersatta);
    EXPECT_FALSE(read.chkfilstorlek);
    EXPECT_TRUE(read.chkschemapopupok); // beyond the short file: the design value
}
