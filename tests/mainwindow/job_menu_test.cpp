// Duplicating a job, copying it to another job group and exporting a group, on real job sets.
#include "core/error_dialog.h"
#include "core/job_files.h"
#include "mainwindow/job_copy.h"
#include "mainwindow/job_menu.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "support/fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <cerrno>

namespace {

class JobMenu : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 4, 20), QTime(12, 0)));
        for (const char* g : {"Listor", "Listor2", "Listor3"})
            testutil::makeDir(path(g));
        prog().jobbgruppmapp = path("Listor");
        writeJob(path("Listor"), "Hem");
        writeJob(path("Listor"), "Arbete");
        main = prog().form<frmmain>();
        main->cmdload_Click();
        select("Hem");
    }
    // A full job set: every file of ".000" .. ".010", some beyond.
    void writeJob(const QString& group, const QString& name, const QString& backup = "/mnt/usb/Säk") {
        testutil::JobSpec j;
        j.name = name;
        j.folders = {"/home/anna/Bilder", "/home/anna/Bilder/2025", "/home/anna/Text"};
        j.mainFolders = {"/home/anna/Bilder", "/home/anna/Text"};
        j.backupFolder = backup;
        j.filters = {"*.jpg;*.txt", "*.tmp", "Thumbs.db", "cache * tmp", "200"};
        j.options = {"JA", "NEJ", "0", "NEJ", "JA"};
        j.excluded = {"/home/anna/Bilder/Privat"};
        j.programs = {"firefox ;; thunderbird", "/usr/bin/notify-send klart"};
        j.versioning = {"JA", "doc;txt", "50", "5", "/mnt/usb/Versioner"};
        testutil::writeJob(group, j);
        const QString base = group + "/" + name;
        testutil::writeLines(base + ".006", {" 1 ", " 0 ", "21:30", "0234560", " 1 "});
        testutil::writeLines(base + ".007", {"2026-04-01 21:30", "Schemalagd"});
        testutil::writeLines(base + ".010", {"okänt"});
        testutil::writeLines(base + ".015", {"femton"});
    }
    void select(const QString& name) {
        main->comboinställningar->setCurrentIndex(main->comboinställningar->findText(name));
    }
    void expectReport(const QString& contains) {
        dialogs().expectWindow("frmerror", [contains](QWidget* w) {
            const QString text = static_cast<frmerror*>(w)->lblfel->toPlainText();
            EXPECT_TRUE(text.contains(contains)) << text.toStdString();
        });
    }
    QStringList filesIn(const QString& group) {
        return QDir(path(group)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Every file `from` has up to `last`, byte for byte under `to`.
    void expectSameSet(const JobFiles& from, const JobFiles& to, int last) {
        for (int n = 0; n <= last; ++n) {
            ASSERT_EQ(from.hasFile(n), to.hasFile(n)) << n;
            if (from.hasFile(n)) {
                EXPECT_EQ(testutil::readBytes(to.path(n)), testutil::readBytes(from.path(n))) << n;
            }
        }
    }
    frmmain* main = nullptr;
};

TEST_F(JobMenu, ADuplicateTakesTheFirstFreeNameAndHoldsTheSetUpToNine) {
    testutil::writeLines(path("Listor/Hem(2).000"), {});
    // Files of no job lying under a name keep a duplicate away from it.
    testutil::writeLines(path("Listor/Hem(3).006"), {" 1 "});
    dialogs().expectMessage("Detta kommer att lägga till en kopia av jobbet (Hem). Vill du fortsätta?",
                            platform::Answer::Yes);
    expectReport("Ett nytt jobb har skapats med namnet Hem(4)");
    jobmenu::mnuduplicera_Click();
    const JobFiles copy(path("Listor"), "Hem(4)");
    expectSameSet(JobFiles(path("Listor"), "Hem"), copy, 9);
    EXPECT_FALSE(copy.hasFile(10));
    EXPECT_FALSE(QFile::exists(path("Listor/Hem(4).015")));
    EXPECT_EQ(main->comboinställningar->itemText(main->comboinställningar->count() - 1), "Hem(4)");
    EXPECT_EQ(main->listinställningar->item(main->listinställningar->count() - 1)->text(), "Hem(4)");
    EXPECT_EQ(main->comboinställningar->currentText(), "Hem");

    // No: nothing is made.
    const QStringList before = filesIn("Listor");
    dialogs().expectMessage("kopia av jobbet (Hem)", platform::Answer::No);
    jobmenu::mnuduplicera_Click();
    EXPECT_EQ(filesIn("Listor"), before);
}

TEST_F(JobMenu, ADuplicateThatFailsHalfWayLeavesNothingBehind) {
    const QStringList before = filesIn("Listor");
    // The fifth file cannot be put in place: the four before it are taken away again.
    platform::injectFault(path("Listor/Hem(2).005"), EIO);
    dialogs().expectMessage("kopia av jobbet (Hem)", platform::Answer::Yes);
    expectReport("Ett fel uppstod när jobbet skulle dupliceras.");
    jobmenu::mnuduplicera_Click();
    platform::clearFaults();
    EXPECT_EQ(filesIn("Listor"), before);
    EXPECT_EQ(main->comboinställningar->count(), 2);
}

TEST_F(JobMenu, ACopyToAnotherGroupCarriesEveryNumberedFileUpToTwenty) {
    main->optarkiv[1]->setText("Familjen");
    expectReport("Jobbet \"Hem\" kopierades till gruppen \"Familjen\".");
    jobmenu::mnugrupp_Click(1);
    expectSameSet(JobFiles(path("Listor"), "Hem"), JobFiles(path("Listor2"), "Hem"), 20);
    EXPECT_TRUE(QFile::exists(path("Listor2/Hem.015")));
    // No temporary is left, and the main window's list is that of its own group.
    EXPECT_EQ(filesIn("Listor2").filter(".tamrel").size(), 0);
    EXPECT_EQ(main->comboinställningar->count(), 2);

    expectReport("Du kan inte kopiera till samma grupp som jobbet redan finns i!");
    jobmenu::mnugrupp_Click(0);
    // A group whose folder is missing gets the error, and nothing is made.
    expectReport("Ett fel uppstod när jobbet skulle kopieras till annan jobbgrupp.");
    jobmenu::mnugrupp_Click(3);
    EXPECT_FALSE(QFile::exists(path("Listor4")));
}

TEST_F(JobMenu, AnExistingJobInTheTargetGroupIsReplacedOnlyAfterAYes) {
    writeJob(path("Listor3"), "Hem", "/mnt/annan");
    testutil::writeLines(path("Listor3/Hem.012"), {"bara målet"});
    QFile::remove(path("Listor/Hem.010"));
    const QByteArray old010 = testutil::readBytes(path("Listor3/Hem.010"));

    dialogs().expectMessage("Jobbet \"Hem\" finns redan i gruppen \"Jobbgrupp 3\". Vill du ersätta det?",
                            platform::Answer::No);
    jobmenu::mnugrupp_Click(2);
    EXPECT_EQ(JobFiles(path("Listor3"), "Hem").readBackupFolder(), "/mnt/annan");

    // A failure while the files change places puts the old job back whole.
    platform::injectFault(path("Listor3/Hem.008"), EIO);
    dialogs().expectMessage("finns redan i gruppen", platform::Answer::Yes);
    expectReport("Ett fel uppstod när jobbet skulle kopieras till annan jobbgrupp.");
    jobmenu::mnugrupp_Click(2);
    platform::clearFaults();
    EXPECT_EQ(JobFiles(path("Listor3"), "Hem").readBackupFolder(), "/mnt/annan");
    EXPECT_EQ(filesIn("Listor3").filter(".tamrel").size(), 0);

    dialogs().expectMessage("finns redan i gruppen", platform::Answer::Yes);
    expectReport("kopierades till gruppen");
    jobmenu::mnugrupp_Click(2);
    expectSameSet(JobFiles(path("Listor"), "Hem"), JobFiles(path("Listor3"), "Hem"), 9);
    // Files only the target had stay.
    EXPECT_EQ(testutil::readBytes(path("Listor3/Hem.010")), old010);
    EXPECT_TRUE(QFile::exists(path("Listor3/Hem.012")));
}

TEST_F(JobMenu, TheExportFileHoldsEveryFieldLineByLine) {
    CurrentJobRecord r;
    r.loadRecord(JobFiles(path("Listor"), "Hem"), QDate(2026, 4, 20));
    const QStringList expected = {
        "HEM",
        "Huduvmapp: /home/anna/Bilder",
        "Huduvmapp: /home/anna/Text",
        "Backupmapp: /mnt/usb/Säk",
        "Valda filtyper: *.jpg;*.txt",
        "Exkluderade filtyper: *.tmp",
        "Exkluderade filnamn: Thumbs.db",
        "Exkluderade mappnamn: cache * tmp",
        "Storleksbegränsning MB: 200",
        "Uppdatera mappstruktur: JA",
        "Förhindra spegling: NEJ",
        "Sökvägtyp: 0",
        "Skapa huvudmapp på målet: NEJ",
        "Exkluderad mapp: /home/anna/Bilder/Privat",
        "Schemaläggning aktiv: 1",
        "   Spegla schemakörning: 0",
        "   Simulerad speglad schemakörning: 1",
        "   Schemalagd tid: 21:30",
        "   Schemalagda dagar: 0",
        "   Schemalagda dagar: 1",
        "   Schemalagda dagar: 1",
        "   Schemalagda dagar: 1",
        "   Schemalagda dagar: 1",
        "   Schemalagda dagar: 1",
        "   Schemalagda dagar: 0",
        "Programstopp: firefox ;; thunderbird",
        "Programstart: /usr/bin/notify-send klart",
        "Versionshantering: JA",
        "   Valda filtyper: doc;txt",
        "   Storleksbegränsning MB: 50",
        "   Max antal filversioner: 5",
        "   Mapp för filversioner: /mnt/usb/Versioner",
        "",
        "Mappar som ingår i jobbet:",
        "/home/anna/Bilder",
        "/home/anna/Bilder/2025",
        "/home/anna/Text",
    };
    EXPECT_EQ(jobcopy::exportLines("Hem", r), expected);
}

TEST_F(JobMenu, ExportWritesOneFilePerJobIntoAFolderItCreates) {
    testutil::JobSpec bare;
    bare.name = "Ölkällare";
    bare.folders = bare.mainFolders = {"/srv/öl"};
    bare.backupFolder = "/mnt/b";
    testutil::writeJob(path("Listor"), bare);
    QFile::remove(path("Listor/Ölkällare.009"));
    main->cmdload_Click();
    select("Hem");
    prog().form<frmsetup>()->txtexportmapp->setText(work("Ut/Jobb"));
    dialogs().expectOpenUrl(work("Ut/Jobb/"));
    jobmenu::cmdexport_Click();
    EXPECT_EQ(QDir(work("Ut/Jobb")).entryList(QDir::Files, QDir::Name),
              (QStringList{"_export_Arbete.txt", "_export_Hem.txt", "_export_Ölkällare.txt"}));
    const QByteArray bytes = testutil::readBytes(work("Ut/Jobb/_export_Ölkällare.txt"));
    EXPECT_TRUE(bytes.startsWith("ÖLKÄLLARE\r\nHuduvmapp: /srv/öl\r\nBackupmapp: /mnt/b\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nVersionshantering: NEJ\r\n   Valda filtyper: \r\n"));
    EXPECT_TRUE(bytes.endsWith("Mappar som ingår i jobbet:\r\n/srv/öl\r\n"));
    EXPECT_EQ(main->comboinställningar->currentText(), "Hem");

    // A second export replaces the files; the default folder lies in the program folder.
    prog().form<frmsetup>()->txtexportmapp->setText(path("Export"));
    dialogs().expectOpenUrl("Export");
    jobmenu::cmdexport_Click();
    EXPECT_TRUE(QFile::exists(path("Export/_export_Hem.txt")));
}

TEST_F(JobMenu, ExportStaysInItsFolder) {
    EXPECT_EQ(jobcopy::exportFilePath("/ut", "Hem"), "/ut/_export_Hem.txt");
    for (const char* bad : {"../Hem", "a/b", ""}) {
        try {
            jobcopy::exportFilePath("/ut", bad);
            ADD_FAILURE() << bad;
        } catch (const platform::RunError& e) {
            EXPECT_EQ(e.number, 52);
        }
    }
    // An export file that is a link is not written through.
    testutil::makeDir(work("Ut"));
    testutil::writeFile(work("annan.txt"), "orörd");
    QFile::link(work("annan.txt"), work("Ut/_export_Arbete.txt"));
    prog().form<frmsetup>()->txtexportmapp->setText(work("Ut"));
    expectReport("Inställningar, exportera jobb");
    jobmenu::cmdexport_Click();
    EXPECT_EQ(testutil::readBytes(work("annan.txt")), "orörd");

    // A folder that cannot be made is named.
    testutil::writeFile(work("fil"), "x");
    prog().form<frmsetup>()->txtexportmapp->setText(work("fil/Export"));
    expectReport("Sökvägen " + work("fil/Export/") + " finns inte och kunde inte skapas!");
    jobmenu::cmdexport_Click();
}

} // namespace
