// The quick-start chooser and the readme in real starts of the main window; duplicating, copying to
// another group and exporting real job sets through the menus and the settings window.
#include "core/error_dialog.h"
#include "core/job_files.h"
#include "editor/search_replace_window.h"
#include "mainwindow/job_copy.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <cerrno>

namespace {

class Periphery : public ProgramTest {
  protected:
    // The settings file, line 8 as given (empty: the file ends before it), and the readme marker.
    void settings(const char* line8) {
        QStringList lines(7, " 0 ");
        if (*line8)
            lines << line8 << " 0 ";
        testutil::writeLines(path("programalternativ.ini"), lines);
        testutil::writeLines(path("readme700.dat"), {""});
    }
    // A full job set: ".000" to ".010" and one file beyond.
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
        testutil::writeJob(path(group), j);
        const QString base = path(group) + "/" + name;
        testutil::writeLines(base + ".006", {" 1 ", " 0 ", "21:30", "0234560", " 1 "});
        testutil::writeLines(base + ".007", {"2026-04-01 21:30", "Schemalagd"});
        testutil::writeLines(base + ".010", {"okänt"});
        testutil::writeLines(base + ".015", {"femton"});
    }
    frmmain* start() {
        frmmain* m = prog().form<frmmain>();
        EXPECT_TRUE(m->load());
        return m;
    }
    frmmain* restart() {
        restartProgram();
        return start();
    }
    // Hem selected in a started main window, with Arbete beside it in group 1 and a group 2 and 3.
    frmmain* startWithJobs() {
        settings(" 0 ");
        writeJob("Listor", "Arbete");
        writeJob("Listor", "Hem");
        testutil::makeDir(path("Listor2"));
        testutil::makeDir(path("Listor3"));
        frmmain* m = start();
        m->selectJob(1);
        return m;
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
    // Every file of `from` up to `last`, byte for byte under `to`.
    void expectSameSet(const JobFiles& from, const JobFiles& to, int last) {
        for (int n = 0; n <= last; ++n) {
            ASSERT_EQ(from.hasFile(n), to.hasFile(n)) << n;
            if (from.hasFile(n)) {
                EXPECT_EQ(testutil::readBytes(to.path(n)), testutil::readBytes(from.path(n))) << n;
            }
        }
    }
    frmsetup* setup() { return prog().form<frmsetup>(); }
};

TEST_F(Periphery, TheEighthSettingsLineDecidesWhetherTheChooserShows) {
    for (const auto& [line8, shown] : {std::pair{"", true}, std::pair{" 0 ", false}, std::pair{"1", true}}) {
        settings(line8);
        frmmain* m = restart();
        EXPECT_EQ(m->framesnabbstart->isVisibleTo(m), shown) << "line 8: '" << line8 << "'";
        // Over the window's contents, where the scheduler panel lies.
        EXPECT_EQ(m->framesnabbstart->geometry(), m->frameschema->geometry());
    }
    QFile::remove(path("programalternativ.ini")); // a first start shows it
    restartProgram();
    dialogs().expectMessage("första gången", platform::Answer::No);
    frmmain* m = start();
    EXPECT_TRUE(m->framesnabbstart->isVisibleTo(m));
}

TEST_F(Periphery, UntickingTheBoxKeepsTheChooserAwayAtTheNextStartUntilTheMenuBringsItBack) {
    settings(" 1 ");
    frmmain* m = start();
    QuickStartPanel* q = m->framesnabbstart;
    q->chksnabbstart_nästauppstart->click();
    EXPECT_EQ(testutil::readLines(path("programalternativ.ini")).value(7).trimmed(), "0");
    EXPECT_TRUE(m->systemLogText().endsWith("Sparade programinställningar."));
    q->cmdsnabbmain->click();
    EXPECT_FALSE(q->isVisibleTo(m));

    m = restart();
    EXPECT_FALSE(m->framesnabbstart->isVisibleTo(m));
    setup()->mnusnabbstart->trigger();
    EXPECT_TRUE(m->framesnabbstart->isVisibleTo(m));
    EXPECT_TRUE(m->framesnabbstart->chksnabbstart_nästauppstart->isChecked()); // whatever the setting
}

TEST_F(Periphery, TheChooserRunsTheMainWindowsCommandsAndStays) {
    frmmain* m = startWithJobs();
    m->show();
    QuickStartPanel* q = m->framesnabbstart;
    q->show();
    q->cmdsnabbbackup->click();
    frmutförbackup* b = prog().form<frmutförbackup>();
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->List1->count(), 2);
    EXPECT_TRUE(q->isVisible());
    m->Form_Activate(); // while the backup window is open, a new job and the schedule wait
    EXPECT_FALSE(q->cmdsnabbnytt->isEnabled());
    EXPECT_FALSE(q->cmdsnabbschema->isEnabled());
    q->lblsnabbinställningar_Click();
    EXPECT_TRUE(setup()->isVisible());
}

TEST_F(Periphery, TheChoosersScheduleButtonSaysSoWhenTheGroupHasNoJobs) {
    settings("1");
    frmmain* m = start();
    ASSERT_EQ(m->comboinställningar->count(), 0);
    expectReport("Det finns inga jobb att schemalägga.");
    m->framesnabbstart->cmdsnabbschema->click();
}

TEST_F(Periphery, TheReadmeIsShownOnceBeforeTheFirstQuestionAndTheOlderMarkersGo) {
    testutil::writeFile(path("readme.txt"), "Nytt i 7\r\nR\xe4ksm\xf6rg\xe5s\r\n");
    testutil::writeFile(path("readme300.dat"), "");
    testutil::writeFile(path("readme500.dat"), "x");
    dialogs().expectWindow("frmreadme", [this](QWidget* w) {
        EXPECT_EQ(w->findChild<QPlainTextEdit*>("Text1")->toPlainText(), "Nytt i 7\nRäksmörgås\n"); // 8-bit
        EXPECT_FALSE(QFile::exists(path("readme700.dat")));
        w->findChild<QPushButton*>("Command1")->click();
    });
    dialogs().expectMessage("första gången", platform::Answer::Yes);
    start();
    EXPECT_EQ(testutil::readBytes(path("readme700.dat")), "\r\n");
    EXPECT_FALSE(QFile::exists(path("readme300.dat")));
    EXPECT_FALSE(QFile::exists(path("readme500.dat")));
    restart(); // shown once: nothing is expected now
    // Without readme.txt nothing shows and no marker is written, so the check comes again.
    QFile::remove(path("readme700.dat"));
    QFile::remove(path("readme.txt"));
    restart();
    EXPECT_FALSE(QFile::exists(path("readme700.dat")));
}

TEST_F(Periphery, ADuplicateTakesTheFirstFreeNameAndHoldsTheSetUpToNine) {
    frmmain* m = startWithJobs();
    testutil::writeLines(path("Listor/Hem(2).000"), {});
    testutil::writeLines(path("Listor/Hem(3).006"), {" 1 "}); // files of no job keep a copy away
    dialogs().expectMessage("Detta kommer att lägga till en kopia av jobbet (Hem). Vill du fortsätta?",
                            platform::Answer::Yes);
    expectReport("Ett nytt jobb har skapats med namnet Hem(4)");
    setup()->mnuduplicera->trigger();
    const JobFiles copy(path("Listor"), "Hem(4)");
    expectSameSet(JobFiles(path("Listor"), "Hem"), copy, 9);
    EXPECT_FALSE(copy.hasFile(10));
    EXPECT_EQ(m->listinställningar->item(m->listinställningar->count() - 1)->text(), "Hem(4)");
    EXPECT_EQ(m->lblinställningar->text(), QString::number(m->listinställningar->count()) + " st");
    EXPECT_EQ(m->currentJobName(), "Hem");

    const QStringList before = filesIn("Listor");
    dialogs().expectMessage("kopia av jobbet (Hem)", platform::Answer::No);
    setup()->mnuduplicera->trigger();
    // The fifth file cannot be put in place: the four before it are taken away again.
    platform::injectFault(path("Listor/Hem(5).005"), EIO);
    dialogs().expectMessage("kopia av jobbet (Hem)", platform::Answer::Yes);
    expectReport("Ett fel uppstod när jobbet skulle dupliceras.");
    setup()->mnuduplicera->trigger();
    platform::clearFaults();
    EXPECT_EQ(filesIn("Listor"), before);
}

TEST_F(Periphery, ACopyToAnotherGroupCarriesEveryNumberedFileUpToTwenty) {
    frmmain* m = startWithJobs();
    m->optarkiv[1]->setText("Familjen");
    // A success says only that: no place line as an error has.
    dialogs().expectWindow("frmerror", [](QWidget* w) {
        EXPECT_EQ(static_cast<frmerror*>(w)->lblfel->toPlainText(),
                  "Jobbet \"Hem\" kopierades till gruppen \"Familjen\".");
    });
    setup()->mnugrupp[1]->trigger();
    expectSameSet(JobFiles(path("Listor"), "Hem"), JobFiles(path("Listor2"), "Hem"), 20);
    EXPECT_TRUE(QFile::exists(path("Listor2/Hem.015")));
    EXPECT_EQ(filesIn("Listor2").filter(".tamrel").size(), 0);
    EXPECT_EQ(m->jobCount(), 2);

    expectReport("Du kan inte kopiera till samma grupp som jobbet redan finns i!");
    setup()->mnugrupp[0]->trigger();
    expectReport("Ett fel uppstod när jobbet skulle kopieras till annan jobbgrupp."); // no Listor4
    setup()->mnugrupp[3]->trigger();
}

TEST_F(Periphery, AnExistingJobInTheTargetGroupIsReplacedOnlyAfterAYesAndNeverHalfWay) {
    startWithJobs();
    writeJob("Listor3", "Hem", "/mnt/annan");
    testutil::writeLines(path("Listor3/Hem.012"), {"bara målet"});
    QFile::remove(path("Listor/Hem.010"));
    const QByteArray old010 = testutil::readBytes(path("Listor3/Hem.010"));
    const JobFiles target(path("Listor3"), "Hem");

    dialogs().expectMessage("Jobbet \"Hem\" finns redan i gruppen \"Jobbgrupp 3\". Vill du ersätta det?",
                            platform::Answer::No);
    setup()->mnugrupp[2]->trigger();
    EXPECT_EQ(target.readBackupFolder(), "/mnt/annan");

    platform::injectFault(path("Listor3/Hem.008"), EIO); // the old job comes back whole
    dialogs().expectMessage("finns redan i gruppen", platform::Answer::Yes);
    expectReport("Ett fel uppstod när jobbet skulle kopieras till annan jobbgrupp.");
    setup()->mnugrupp[2]->trigger();
    platform::clearFaults();
    EXPECT_EQ(target.readBackupFolder(), "/mnt/annan");
    EXPECT_EQ(filesIn("Listor3").filter(".tamrel").size(), 0);

    dialogs().expectMessage("finns redan i gruppen", platform::Answer::Yes);
    expectReport("kopierades till gruppen");
    setup()->mnugrupp[2]->trigger();
    expectSameSet(JobFiles(path("Listor"), "Hem"), target, 9);
    EXPECT_EQ(testutil::readBytes(path("Listor3/Hem.010")), old010); // only the target had these
    EXPECT_TRUE(QFile::exists(path("Listor3/Hem.012")));
}

// Copies of a job are made beside its files under hidden names; for the longest name a job may
// have, those, the duplicate's name and the export file's name must still fit in a file name.
TEST_F(Periphery, AJobOfTheLongestNameIsDuplicatedCopiedToAnotherGroupAndExported) {
    const QString name = QString(120, QChar(0x00C5)); // 240 bytes
    writeJob("Listor", name);
    writeJob("Listor2", name, "/mnt/annan");
    const QString copy = jobcopy::duplicateName(path("Listor"), name);
    EXPECT_EQ(copy, QString(117, QChar(0x00C5)) + "…(2)");
    jobcopy::duplicate(path("Listor"), name, copy);
    expectSameSet(JobFiles(path("Listor"), name), JobFiles(path("Listor"), copy), 9);
    jobcopy::copyToGroup(path("Listor"), path("Listor2"), name);
    expectSameSet(JobFiles(path("Listor"), name), JobFiles(path("Listor2"), name), 20);
    testutil::makeDir(work("Ut"));
    for (int i = 0; i < 2; ++i)
        jobcopy::exportJobs(path("Listor"), {name}, work("Ut"), QDate(2026, 5, 1));
    EXPECT_EQ(QDir(work("Ut")).entryList(QDir::Files),
              QStringList{"_export_" + QString(116, QChar(0x00C5)) + "….txt"});
}

TEST_F(Periphery, TheExportFileHoldsEveryFieldLineByLine) {
    writeJob("Listor", "Hem");
    CurrentJobRecord r;
    r.loadRecord(JobFiles(path("Listor"), "Hem"), QDate(2026, 4, 20));
    const QString expected = // one line of the file per \n
        "HEM\nHuduvmapp: /home/anna/Bilder\nHuduvmapp: /home/anna/Text\nBackupmapp: /mnt/usb/Säk\n"
        "Valda filtyper: *.jpg;*.txt\nExkluderade filtyper: *.tmp\nExkluderade filnamn: Thumbs.db\n"
        "Exkluderade mappnamn: cache * tmp\nStorleksbegränsning MB: 200\nUppdatera mappstruktur: JA\n"
        "Förhindra spegling: NEJ\nSökvägtyp: 0\nSkapa huvudmapp på målet: NEJ\n"
        "Exkluderad mapp: /home/anna/Bilder/Privat\nSchemaläggning aktiv: 1\n   Spegla schemakörning: 0\n"
        "   Simulerad speglad schemakörning: 1\n   Schemalagd tid: 21:30\n   Schemalagda dagar: 0\n"
        "   Schemalagda dagar: 1\n   Schemalagda dagar: 1\n   Schemalagda dagar: 1\n"
        "   Schemalagda dagar: 1\n   Schemalagda dagar: 1\n   Schemalagda dagar: 0\n"
        "Programstopp: firefox ;; thunderbird\nProgramstart: /usr/bin/notify-send klart\n"
        "Versionshantering: JA\n   Valda filtyper: doc;txt\n   Storleksbegränsning MB: 50\n"
        "   Max antal filversioner: 5\n   Mapp för filversioner: /mnt/usb/Versioner\n\n"
        "Mappar som ingår i jobbet:\n/home/anna/Bilder\n/home/anna/Bilder/2025\n/home/anna/Text";
    EXPECT_EQ(jobcopy::exportLines("Hem", r).join('\n'), expected);
}

TEST_F(Periphery, ExportWritesOneFileAJobIntoAFolderItMakesAndNowhereElse) {
    testutil::JobSpec bare;
    bare.name = "Ölkällare";
    bare.folders = bare.mainFolders = {"/srv/öl"};
    bare.backupFolder = "/mnt/b";
    testutil::writeJob(path("Listor"), bare);
    QFile::remove(path("Listor/Ölkällare.009"));
    startWithJobs();
    EXPECT_EQ(setup()->txtexportmapp->text(), path("Export"));
    setup()->txtexportmapp->setText(work("Ut/Jobb"));
    dialogs().expectOpenUrl(work("Ut/Jobb/"));
    setup()->cmdexport->click();
    EXPECT_EQ(QDir(work("Ut/Jobb")).entryList(QDir::Files, QDir::Name),
              (QStringList{"_export_Arbete.txt", "_export_Hem.txt", "_export_Ölkällare.txt"}));
    const QByteArray bytes = testutil::readBytes(work("Ut/Jobb/_export_Ölkällare.txt"));
    EXPECT_TRUE(bytes.startsWith("ÖLKÄLLARE\r\nHuduvmapp: /srv/öl\r\nBackupmapp: /mnt/b\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nVersionshantering: NEJ\r\n   Valda filtyper: \r\n"));
    EXPECT_TRUE(bytes.endsWith("Mappar som ingår i jobbet:\r\n/srv/öl\r\n"));
    EXPECT_EQ(prog().mainWindow().currentJobName(), "Hem");

    // A job name is a file name, and a link in the folder is not written through.
    for (const char* bad : {"../Hem", "a/b", ""})
        EXPECT_THROW(jobcopy::exportFilePath("/ut", bad), platform::RunError) << bad;
    testutil::writeFile(work("annan.txt"), "orörd");
    QFile::remove(work("Ut/Jobb/_export_Arbete.txt"));
    QFile::link(work("annan.txt"), work("Ut/Jobb/_export_Arbete.txt"));
    expectReport("Inställningar, exportera jobb");
    setup()->cmdexport->click();
    EXPECT_EQ(testutil::readBytes(work("annan.txt")), "orörd");
    // A folder that cannot be made is named.
    setup()->txtexportmapp->setText(work("annan.txt/Export"));
    expectReport("Sökvägen " + work("annan.txt/Export/") + " finns inte och kunde inte skapas!");
    setup()->cmdexport->click();
}

TEST_F(Periphery, SearchAndReplaceFromTheSettingsWindowLoadsTheChangedJob) {
    frmmain* m = startWithJobs();
    dialogs().expectWindow("frmsökersätt", [this](QWidget* w) {
        auto* r = static_cast<frmsökersätt*>(w);
        r->txtsök1->setText("/mnt/usb");
        r->txtsök2->setText("/media/ny");
        expectReport("Processen slutfördes utan problem.");
        r->cmdkör->click();
        r->cmdavbryt->click();
    });
    setup()->cmdsökersätt->click();
    EXPECT_EQ(prog().job().txtbackupmapp, "/media/ny/Säk");
    EXPECT_EQ(m->currentJobName(), "Hem");
    EXPECT_EQ(JobFiles(path("Listor"), "Arbete").readBackupFolder(), "/mnt/usb/Säk");
    dialogs().expectWindow("frmsökersätt", [](QWidget* w) { // the job menu's entry: a fresh window
        EXPECT_TRUE(static_cast<frmsökersätt*>(w)->txtsök1->text().isEmpty());
        w->close();
    });
    setup()->mnusökersätt->trigger();
}

} // namespace
