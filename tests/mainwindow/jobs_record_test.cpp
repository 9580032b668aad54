#include "core/job_files.h"
#include "mainwindow/main_window.h"
#include "support/fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTextEdit>

// The current-job record as the main window fills it when a job is selected.
class JobRecordTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(path("Listor"));
        prog().clock.setNow(QDateTime(QDate(2026, 5, 10), QTime(12, 0)));
    }
    // Writes one job as saving does, then selects it in a fresh main window.
    frmmain* select(const testutil::JobSpec& job) {
        testutil::writeJob(path("Listor"), job);
        return show(job.name);
    }
    frmmain* show(const QString& name) {
        frmmain* m = prog().form<frmmain>();
        m->cmdload_Click();
        m->comboinställningar->setCurrentIndex(m->comboinställningar->findText(name));
        return m;
    }
    static testutil::JobSpec twoFolders() {
        testutil::JobSpec j;
        j.name = "Två";
        j.mainFolders = {"/home/anna/Data", "/srv/Bilder"};
        j.folders = {"/home/anna/Data", "/home/anna/Data/a", "/srv/Bilder"};
        j.backupFolder = "/mnt/usb/Backup";
        return j;
    }
    static QStringList summary(const frmmain*) { return program().job().txtsammanställning.split('\n'); }
};

TEST_F(JobRecordTest, AJobSavedWithEveryFieldFillsTheRecordAndTheSummary) {
    testutil::JobSpec j = twoFolders();
    j.filters = {"*.doc;*.xls", "*.tmp", "thumbs.db", "cache * tmp", "50"};
    j.options = {"JA", "JA", "0", "NEJ", "JA"};
    j.excluded = {"/srv/Bilder/gammalt"};
    j.programs = {"gedit ;; kate", "firefox"};
    j.versioning = {"JA", "doc", "10", "3", "/mnt/usb/Versioner"};
    testutil::writeJob(path("Listor"), j);
    JobFiles("Två").writeSchedule({1, 1, "21:30", "0200060", 1});
    JobFiles("Två").writeLastRun({"2026-05-07 22:15", "Schemalagd"});
    frmmain* m = select(j);

    EXPECT_EQ(program().job().txtjobbnamn, "Två");
    EXPECT_EQ(program().job().lblschema_jobb, "Två");
    EXPECT_EQ(program().job().listmappar, j.folders);
    EXPECT_EQ(m->combomappar_list->count(), 2);
    EXPECT_EQ(m->combomapparIndex(), 0);
    EXPECT_EQ(program().job().txtexfiler, "thumbs.db");
    EXPECT_EQ(program().job().txtignorerasaknadenhet, "JA");
    EXPECT_EQ(program().job().listexmappar, j.excluded);
    EXPECT_EQ(program().job().txtschema, "Aktiv: JA, Spegla: JA, simulerad. Tid: 21:30");
    EXPECT_EQ(program().job().chkschemadag,
              (std::array<int, 8>{0, 0, 1, 0, 0, 0, 1, 0})); // Monday and Friday
    EXPECT_EQ(program().job().txtlastrun_Tag, "Schemalagd");
    EXPECT_EQ(m->lblhuvudmappar_label->text(), "2 st");
    EXPECT_EQ(m->lblallamappar_label->text(), "3 st");
    EXPECT_EQ(m->lblexmappar_label->text(), "1 exkluderad");
    EXPECT_EQ(summary(m),
              (QStringList{
                  "Backupmapp: /mnt/usb/Backup",
                  "Backup från 2 huvudmappar, totalt 3 mappar",
                  "Backupsökväg: Relativ (utökad)",
                  "Senast körd: 3 dagar sedan (2026-05-07 22:15) Körning: Schemalagd",
                  "Valda filtyper: *.doc;*.xls (Max filstorlek 50 MB)",
                  "Exkluderade filtyper: *.tmp",
                  "Exkluderade filnamn: thumbs.db",
                  "Mappfilter: cache * tmp",
                  "Känn av ändringar i mappstrukturen: JA",
                  "Förhindra spegling: JA",
                  "Schemaläggning: Aktiv: JA, Spegla: JA, simulerad. Tid: 21:30",
                  "Programstängning: gedit ;; kate",
                  "Programstart: firefox",
                  "Versionshantering: JA (/mnt/usb/Versioner) Max filstorlek 10 MB. Filtyper: doc. Max 3 "
                  "sparade filversioner.",
                  "Backup från: /home/anna/Data",
                  "Backup till:    /mnt/usb/Backup/home/anna/Data",
                  "Backup från: /srv/Bilder",
                  "Backup till:    /mnt/usb/Backup/srv/Bilder",
              }));
    EXPECT_EQ(m->txtsammanställning_text->toPlainText(), program().job().txtsammanställning);
}

TEST_F(JobRecordTest, AnOldJobGetsItsMissingFilesAndDefaults) {
    testutil::JobSpec j = twoFolders();
    testutil::writeJob(path("Listor"), j);
    QFile::remove(path("Listor/Två.003"));
    QFile::remove(path("Listor/Två.004"));
    QFile::remove(path("Listor/Två.005"));
    QFile::remove(path("Listor/Två.008"));
    QFile::remove(path("Listor/Två.009"));
    frmmain* m = show("Två");

    EXPECT_EQ(testutil::readLines(path("Listor/Två.003")), QStringList{"*.*"});
    EXPECT_EQ(testutil::readLines(path("Listor/Två.004")), (QStringList{"NEJ", "NEJ", "0", "NEJ"}));
    EXPECT_TRUE(QFile::exists(path("Listor/Två.005")));
    EXPECT_FALSE(QFile::exists(path("Listor/Två.008")));
    EXPECT_FALSE(QFile::exists(path("Listor/Två.009")));
    EXPECT_EQ(program().job().lblmappuppdatering, "");
    EXPECT_EQ(program().job().txtsynkroniseraej, "NEJ");
    EXPECT_EQ(program().job().txtsökvägtyp, "0");
    EXPECT_EQ(program().job().txtschema, "Aktiv: NEJ, Spegla: NEJ, Tid: --:--");
    EXPECT_EQ(program().job().txtversionshantering, "NEJ");
    const QStringList s = summary(m);
    EXPECT_EQ(s[2], "Backupsökväg: Relativ (utökad)");
    EXPECT_EQ(s[3], "Senast körd:  (Okänt)");
    EXPECT_EQ(s[4], "Valda filtyper: *.*");
    EXPECT_EQ(s[7], "Versionshantering: NEJ");
}

TEST_F(JobRecordTest, AbsolutePathTypeShowsOnlyTheFirstMainFolder) {
    testutil::JobSpec j;
    j.name = "Abs";
    j.mainFolders = {"/home/anna/Foto/2009"};
    j.folders = {"/home/anna/Foto/2009"};
    j.backupFolder = "/mnt/usb/Backup/";
    j.options = {"NEJ", "NEJ", "1", "JA", "NEJ"};
    frmmain* m = select(j);
    QStringList s = summary(m);
    EXPECT_EQ(s[1], "Backup från en huvudmapp, totalt en mapp");
    EXPECT_EQ(s[2], "Backupsökväg: Absolut");
    EXPECT_EQ(s.mid(s.size() - 2),
              (QStringList{"Backup från:/home/anna/Foto/2009", "Backup till:    /mnt/usb/Backup/2009"}));

    JobFiles("Abs").writeOptions({"NEJ", "NEJ", "1", "NEJ", "NEJ"});
    m->comboinställningar->setCurrentIndex(-1);
    m->comboinställningar->setCurrentIndex(0);
    s = summary(m);
    EXPECT_EQ(s.mid(s.size() - 2),
              (QStringList{"Backup från: /home/anna/Foto/2009", "Backup till:    /mnt/usb/Backup/"}));
}

TEST_F(JobRecordTest, AFileThatEndsTooSoonStopsTheLoadWhereItIs) {
    testutil::JobSpec j = twoFolders();
    j.programs = {"gedit"}; // .008 needs both lines
    dialogs().expectWindow("frmerror");
    frmmain* m = select(j);
    EXPECT_EQ(program().job().txtjobbnamn, "Två");
    EXPECT_EQ(program().job().txtbackupmapp, "/mnt/usb/Backup"); // read before the error
    EXPECT_EQ(program().job().txtprogramstopp, "");
    EXPECT_EQ(program().job().txtversionshantering, "NEJ");
    EXPECT_EQ(program().job().txtsammanställning, "");
    EXPECT_EQ(program().job().lblhuvudmappar, "0");
    EXPECT_TRUE(m->txtsyslogg->toPlainText().contains("Plats: Main, comboinställningar"));

    // Selecting another job clears what the broken one left.
    testutil::JobSpec other;
    other.name = "Annan";
    other.backupFolder = "/annan";
    select(other);
    EXPECT_EQ(program().job().txtjobbnamn, "Annan");
    EXPECT_EQ(program().job().listmappar, QStringList{});
    EXPECT_EQ(program().job().txtbackupmapp, "/annan");
}

TEST_F(JobRecordTest, ScheduleDaysAndAShortScheduleFile) {
    testutil::JobSpec j = twoFolders();
    testutil::writeJob(path("Listor"), j);
    JobFiles("Två").writeFile(6, {"0", "0", "07:00", "1000060"});
    frmmain* m = select(j);
    EXPECT_EQ(program().job().chkschemadag,
              (std::array<int, 8>{0, 1, 0, 0, 0, 0, 1, 0})); // Sunday and Friday
    EXPECT_EQ(program().job().txtschema, "Aktiv: NEJ, Spegla: NEJ, Tid: 07:00");
    EXPECT_FALSE(program().job().txtsammanställning.contains("Schemaläggning"));

    JobFiles("Två").writeFile(6, {"1", "0", "07:00"}); // no days line
    m->comboinställningar->setCurrentIndex(-1);
    m->comboinställningar->setCurrentIndex(0);
    EXPECT_EQ(program().job().chkschemadag, (std::array<int, 8>{}));
    EXPECT_EQ(program().job().chkschemaaktiv, 1);
}
