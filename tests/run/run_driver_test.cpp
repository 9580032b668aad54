#include "run/backup_window.h"
#include "support/fixture.h"

#include "core/error_dialog.h"
#include "mainwindow/main_window.h"
#include "mainwindow/old_backup_window.h"
#include "mainwindow/settings_window.h"
#include "run/copy_engine.h"
#include "run/result_dialogs.h"
#include "run/run_driver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <cerrno>
#include <functional>

namespace {

class RunDriverTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        testutil::makeDir(path("Listor"));
        old_ = QDateTime(QDate(2024, 1, 1), QTime(10, 0, 0));
    }

    // A job over `main` with every folder below it (in scan order), backed up into `backup`.
    testutil::JobSpec job(const QString& name, const QString& main, const QString& backup) {
        return testutil::jobOver(name, main, backup);
    }
    void write(const QString& p, const QByteArray& content = "data") {
        testutil::writeFile(p, content, old_);
    }

    // Loads the job list and the backup window with every job, the given ones selected.
    frmutförbackup* window(const QStringList& chosen, bool visible = true) {
        frmmain* m = prog().form<frmmain>();
        m->cmdload_Click();
        frmutförbackup* w = prog().form<frmutförbackup>();
        w->List1->clear();
        for (int i = 0; i < m->comboinställningar->count(); ++i) {
            w->List1->addItem(m->comboinställningar->itemText(i));
            if (chosen.contains(m->comboinställningar->itemText(i)))
                w->List1->item(i)->setSelected(true);
        }
        if (visible)
            w->show();
        return w;
    }
    // A manual run ends with the modal result dialog.
    void runManual(frmutförbackup* w) {
        dialogs().expectWindow("frmklarbackup");
        w->cmdkörbackup_Click();
    }
    QStringList log() { return testutil::readLines(path("log.txt")); }
    QString logText() { return log().join('\n'); }
    QString syslog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
    QStringList savedLogs() { return QDir(path("Sparade loggar")).entryList(QDir::Files, QDir::Name); }

    QDateTime old_;
};

TEST_F(RunDriverTest, AManualRunCopiesNewFilesAndWritesTheWholeLog) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt", "aaa");
    write(src + "/sub/b.txt", "bb");
    write(src + "/sub/.hidden", "h");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("Dokument", src, dst));
    prog().clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)));

    frmutförbackup* w = window({"Dokument"});
    runManual(w);

    const QString target = dst + src; // the relative path type rebuilds the source path
    EXPECT_EQ(testutil::readBytes(target + "/a.txt"), QByteArray("aaa"));
    EXPECT_EQ(testutil::readBytes(target + "/sub/b.txt"), QByteArray("bb"));
    EXPECT_EQ(testutil::readBytes(target + "/sub/.hidden"), QByteArray("h"));
    EXPECT_EQ(testutil::mtimeOf(target + "/a.txt"), old_.toSecsSinceEpoch());
    EXPECT_FALSE(QFile::exists(dst + "/_tamrelbackuptestfil.test"));

    const QStringList l = log();
    ASSERT_GE(l.size(), 6);
    EXPECT_EQ(l.mid(0, 5), QStringList({"", "Backup utförd 2024-05-01  14:03:27", "", "", "DOKUMENT"}));
    EXPECT_TRUE(l.contains("+ " + target + "/a.txt")) << logText().toStdString();
    EXPECT_TRUE(l.contains("3 kopierade filer"));
    EXPECT_TRUE(l.contains("Spegling: NEJ"));
    EXPECT_TRUE(l.contains("  3 filer kopierades totalt."));
    EXPECT_TRUE(l.contains("  3 nya filer kopierades (+)  (exkl. ev. skyddade filer)."));
    EXPECT_EQ(l.last(), "  Backup slutfördes utan fel.");
    EXPECT_EQ(l.at(l.size() - 2), "  Totalt 0 fel.");
    // The closing block: the two time lines, then the mirror line and the summary.
    const qsizetype mirror = l.indexOf("Spegling: NEJ");
    ASSERT_GT(mirror, 3);
    EXPECT_TRUE(l.at(mirror - 3).startsWith("Backup startade kl. 14:03:27, slutade kl. 14:03:27"));
    EXPECT_TRUE(l.at(mirror - 2).startsWith("Kopierade filer: 3 av 3     Tidsåtgång: 00:00:00"));
    EXPECT_EQ(l.at(mirror + 2), "Sammanställning:");

    EXPECT_EQ(testutil::readLines(path("Listor/Dokument.007")), QStringList({"2024-05-01 14:03", "Manuell"}));
    EXPECT_EQ(w->List1->item(0)->text(), "Dokument (3 kopierade filer)");
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    EXPECT_TRUE(w->Frame1->isEnabled());
    EXPECT_FALSE(w->cmdavbryt->isVisible());
    EXPECT_FALSE(w->runHadErrors());
    EXPECT_EQ(savedLogs(),
              QStringList({"log 2024-05-01 14.03.27 Backup av DOKUMENT. 3 filer av 3 kopierades. 0,00 MB. "
                           "Inga fel.txt"}));
    EXPECT_EQ(testutil::readLines(path("valda_inställningar.ini")), QStringList({"Dokument"}));
    EXPECT_TRUE(syslog().contains("Backup på jobb DOKUMENT startade"));

    // An unchanged second run copies nothing and still looks at every file.
    w->List1->item(0)->setSelected(true);
    runManual(w);
    EXPECT_TRUE(log().contains("0 kopierade filer"));
    EXPECT_TRUE(log().contains("  3 filer genomsöktes totalt."));
    EXPECT_EQ(w->List1->item(0)->text(), "Dokument (0 kopierade filer)");
}

TEST_F(RunDriverTest, DoneFoldersLeaveTheFolderListAndTheMissingOnesStayInStep) {
    frmutförbackup* w = prog().form<frmutförbackup>();
    w->engine().List2 = QStringList({"/m/a", "/m/gone1", "/m/b", "/m/c", "/m/gone2"});
    w->showJobFolders();
    // Folders are done from the last; the missing ones are passed over.
    for (int k : {3, 2, 0})
        w->removeJobFolder(k);
    w->applyProgress(); // the list follows at the run's next refresh
    QStringList shown;
    for (int i = 0; i < w->List2->count(); ++i)
        if (!w->List2->isRowHidden(i))
            shown << w->List2->item(i)->text();
    EXPECT_EQ(shown, QStringList({"/m/gone1", "/m/gone2"}));
    EXPECT_EQ(QStringList(w->engine().List2), shown);
}

TEST_F(RunDriverTest, AJobWithoutFoldersStillGetsItsLinesAndLastRun) {
    const QString dst = work("backup");
    testutil::makeDir(dst);
    testutil::JobSpec j;
    j.name = "Tom";
    j.backupFolder = dst;
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = window({"Tom"});
    runManual(w);
    const QStringList l = log();
    EXPECT_TRUE(l.contains("TOM"));
    EXPECT_TRUE(l.contains("0 kopierade filer"));
    EXPECT_TRUE(QFile::exists(path("Listor/Tom.007")));
    EXPECT_TRUE(w->txtloggtext->toPlainText().contains(" Klar. 0 filer kopierades. 0 fel."));
    EXPECT_FALSE(w->txtloggtext->toPlainText().contains("Genomsöker mappar"));
}

TEST_F(RunDriverTest, AMissingFolderTreeIsReportedOnceByItsTopFolder) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::JobSpec j = job("Jobb", src, dst);
    j.folders << src + "/gone" << src + "/gone/deeper";
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = window({"Jobb"});
    runManual(w);
    ASSERT_EQ(w->listerror->count(), 1);
    EXPECT_EQ(w->listerror->item(0)->text(), src + "/gone");
    EXPECT_EQ(w->lblantalfel->text(), "1");
    const QStringList l = log();
    const qsizetype head =
        l.indexOf("FEL: Följande mappar (inkl. undermappar) kunde inte kopieras eftersom de inte existerar:");
    ASSERT_GE(head, 0);
    EXPECT_EQ(l.at(head + 1), src + "/gone");
    EXPECT_EQ(l.last(), "  Backup slutfördes med fel!");
    EXPECT_TRUE(w->runHadErrors());
    EXPECT_TRUE(QFile::exists(dst + src + "/a.txt"));
    // The error marker shown at the run end leaves the end-of-run counts in place.
    EXPECT_TRUE(w->lbl2->text().startsWith("Kopierade filer: 1 av 1     Tidsåtgång: "))
        << w->lbl2->text().toStdString();
    EXPECT_TRUE(l.contains(w->lbl2->text()));
    const QString out = qEnvironmentVariable("TAMREL_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
        w->resize(900, 620);
        EXPECT_TRUE(w->grab().save(out + "/backup_window_after_run.png"));
    }
}

TEST_F(RunDriverTest, FoldersOnAMissingDriveGiveOneEntryAndAtMostOneError) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    const QString drive = "/mnt/tamrel-absent-" + QString::number(QCoreApplication::applicationPid());
    testutil::JobSpec strict = job("Strikt", src, dst);
    strict.folders << drive + "/x" << drive + "/y" << drive + "/z";
    testutil::writeJob(path("Listor"), strict);
    testutil::JobSpec lenient = strict;
    lenient.name = "Tolerant";
    lenient.options[4] = "JA";
    // Its own backup folder: a run says which job shares one with it.
    lenient.backupFolder = work("backup2");
    testutil::makeDir(lenient.backupFolder);
    testutil::writeJob(path("Listor"), lenient);

    frmutförbackup* w = window({"Strikt"});
    runManual(w);
    EXPECT_EQ(w->engine().listsaknadenhet, QStringList({"FEL: Enhet " + drive + " saknas."}));
    EXPECT_EQ(w->lblantalfel->text(), "1");
    EXPECT_EQ(w->listerror->count(), 0);
    EXPECT_TRUE(log().contains("FEL: Enhet " + drive + " saknas."));
    EXPECT_TRUE(syslog().contains("FEL!  Enhet " + drive + " saknas."));

    w->cmdmarkera2_Click();
    w->List1->item(1)->setSelected(true); // "Tolerant"
    runManual(w);
    EXPECT_EQ(w->engine().listsaknadenhet, QStringList({"Enhet " + drive + " saknas."}));
    EXPECT_EQ(w->lblantalfel->text(), "0");
    EXPECT_EQ(log().last(), "  Backup slutfördes utan fel.");
}

TEST_F(RunDriverTest, ACancelAtTheSecondJobLeavesTheThirdUntouched) {
    const QString dst = work("backup");
    testutil::makeDir(dst);
    for (const char* n : {"A", "B", "C"}) {
        write(work(n) + "/f.txt");
        testutil::writeJob(path("Listor"), job(n, work(n), dst));
    }
    frmutförbackup* w = window({"A", "B", "C"});
    // The user presses "Avbryt" once the first job has copied its file.
    QObject::connect(w->List1, &QListWidget::currentRowChanged, w, [w](int row) {
        if (row == 1 && w->runGoingOn() && w->engine().kopierade_totalt > 0)
            w->stopRun(RunStop::ByUser);
    });
    runManual(w);
    EXPECT_EQ(w->List1->item(0)->text(), "A (1 kopierad fil)");
    EXPECT_EQ(w->List1->item(1)->text(), "B");
    EXPECT_EQ(w->List1->item(2)->text(), "C");
    EXPECT_FALSE(QFile::exists(dst + work("C") + "/f.txt"));
    EXPECT_FALSE(QFile::exists(path("Listor/C.007")));
    EXPECT_EQ(log().last(), "  Backupkörningen avbröts av användaren!");
    EXPECT_TRUE(w->txtloggtext->toPlainText().contains(" Backupkörning avbröts! Tidsåtgång: "));
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
}

TEST_F(RunDriverTest, ExclusionsAreFoldedIntoTheJobAndVersionsAreCounted) {
    const QString src = work("src"), dst = work("backup"), versions = work("versioner");
    write(src + "/brev.txt", "nytt");
    write(src + "/skräp.tmp", "x");
    testutil::makeDir(dst);
    testutil::JobSpec j = job("A", src, dst);
    j.filters[1] = "*.tmp";
    j.versioning = {"JA", "", "", "5", versions};
    testutil::writeJob(path("Listor"), j);
    // An older copy already in the backup is kept as a version when it is replaced.
    testutil::writeFile(dst + src + "/brev.txt", "gammalt", old_.addSecs(-3600));
    frmutförbackup* w = window({"A"});
    runManual(w);

    EXPECT_EQ(testutil::readBytes(dst + src + "/brev.txt"), QByteArray("nytt"));
    EXPECT_FALSE(QFile::exists(dst + src + "/skräp.tmp"));
    const QStringList l = log();
    const qsizetype ex = l.indexOf("- Exkluderad filtyp: " + src + "/skräp.tmp");
    const qsizetype counts = l.indexOf("1 kopierad fil");
    ASSERT_GE(ex, 0) << logText().toStdString();
    EXPECT_EQ(counts, ex + 1); // folded after the copy pass, before the job's count lines
    EXPECT_EQ(l.at(counts + 1), "1 äldre fil sparad av versionshantering");
    EXPECT_EQ(testutil::readBytes(path("log_ex.txt")).size(), 0);
    EXPECT_TRUE(l.contains("  1 fil exkluderades."));
    EXPECT_TRUE(l.contains("  1 ändrad fil kopierades (exkl. ev. skyddade filer)."));
    const qsizetype total = l.indexOf("  1 äldre fil sparad av versionshantering.");
    ASSERT_GE(total, 0);
    EXPECT_EQ(l.at(total + 1), "");
    EXPECT_EQ(l.at(total + 2), "  Totalt 0 fel.");
    const QStringList kept = testutil::treeFiles(versions);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(testutil::readBytes(versions + '/' + kept[0]), QByteArray("gammalt"));
    EXPECT_TRUE(w->txtloggtext->toPlainText().contains("Totalt 1 äldre fil sparad av versionshantering."));
}

TEST_F(RunDriverTest, MirroringRemovesWhatTheSourceNoLongerHas) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/kvar.txt");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("A", src, dst));
    testutil::writeFile(dst + src + "/borttagen.txt", "old", old_);
    testutil::writeFile(dst + src + "/gammal/x.txt", "old", old_);
    frmutförbackup* w = window({"A"});
    w->chksync->setChecked(true);
    w->chksyncsimulera->setChecked(true);

    // Simulated: nothing goes, the leftovers are offered in their window.
    QStringList offered;
    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* win) {
        for (auto* list : win->findChildren<QListWidget*>("List1"))
            for (int i = 0; i < list->count(); ++i)
                offered << list->item(i)->text();
    });
    runManual(w);
    EXPECT_TRUE(QFile::exists(dst + src + "/borttagen.txt"));
    EXPECT_TRUE(offered.contains(dst + src + "/borttagen.txt")) << offered.join(',').toStdString();
    QStringList l = log();
    EXPECT_TRUE(l.contains("Spegling: JA (simulerad)"));
    EXPECT_TRUE(l.contains("Spegling (simulerad):"));
    EXPECT_TRUE(l.contains(
        "Filer och mappar som raderats manuellt från speglingsloggen loggas inte i denna loggfil."));

    // For real: the file and the folder are gone from the backup, the source is untouched.
    w->chksyncsimulera->setChecked(false);
    w->List1->item(0)->setSelected(true);
    runManual(w);
    EXPECT_FALSE(QFile::exists(dst + src + "/borttagen.txt"));
    EXPECT_FALSE(QFile::exists(dst + src + "/gammal"));
    EXPECT_TRUE(QFile::exists(dst + src + "/kvar.txt"));
    EXPECT_TRUE(QFile::exists(src + "/kvar.txt"));
    l = log();
    EXPECT_TRUE(l.contains("Spegling: JA"));
    EXPECT_TRUE(l.contains("Spegling:"));
    EXPECT_TRUE(l.contains("  1 mapp raderades, 1 fil.")) << logText().toStdString();
    EXPECT_TRUE(l.contains("  1 enstaka fil raderades."));
}

TEST_F(RunDriverTest, AJobThatMustNotBeMirroredIsNotedInTheSummary) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::JobSpec j = job("A", src, dst);
    j.options[1] = "JA";
    testutil::writeJob(path("Listor"), j);
    testutil::writeFile(dst + src + "/extra.txt", "keep", old_);
    frmutförbackup* w = window({"A"});
    w->chksync->setChecked(true);
    runManual(w);
    EXPECT_TRUE(QFile::exists(dst + src + "/extra.txt"));
    EXPECT_TRUE(log().contains("  Notera: Det finns jobb som inte speglats."));
}

TEST_F(RunDriverTest, EveryRunStartsFromTheJobNamesAgain) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("A", src, dst));
    testutil::writeJob(path("Listor"), job("B", src, dst));
    frmutförbackup* w = window({"A", "B"});
    runManual(w);
    EXPECT_EQ(w->List1->item(0)->text(), "A (1 kopierad fil)");
    EXPECT_EQ(w->List1->item(1)->text(), "B (0 kopierade filer)");
    EXPECT_EQ(savedLogs().size(), 1);
    // A count of one reads in the singular wherever the run is summed up.
    EXPECT_TRUE(savedLogs()[0].contains("Backup av 2 jobb. 1 fil av 2 kopierades."))
        << savedLogs()[0].toStdString();
    for (const char* line :
         {"  1 fil kopierades totalt.", "  1 ny fil kopierades (+)  (exkl. ev. skyddade filer)."})
        EXPECT_TRUE(log().contains(line)) << line << "\n" << logText().toStdString();
    w->cmdmarkera1_Click();
    runManual(w);
    EXPECT_EQ(w->List1->item(0)->text(), "A (0 kopierade filer)");
    EXPECT_EQ(w->List1->item(1)->text(), "B (0 kopierade filer)");
    EXPECT_EQ(testutil::readLines(path("valda_inställningar.ini")), QStringList({"A", "B"}));
}

TEST_F(RunDriverTest, AScheduledRunWithErrorsMarksTheTrayAndShowsItsPopup) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::JobSpec j = job("A", src, dst);
    j.folders << src + "/saknas";
    testutil::writeJob(path("Listor"), j);
    prog().form<frmsetup>()->chkschemapopupfel->setChecked(true);
    frmutförbackup* w = window({"A"}, false);
    w->schema();
    EXPECT_TRUE(QFile::exists(dst + src + "/a.txt"));
    EXPECT_EQ(log().at(1).left(26), "Schemalagd Backup utförd 2");
    EXPECT_EQ(testutil::readLines(path("Listor/A.007")).value(1), "Schemalagd");
    EXPECT_EQ(prog().form<frmmain>()->TrayIcon1->Tag, "err");
    QWidget* popup = prog().loaded<frmbackupfel>();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(prog().loaded<frmutförbackup>(), nullptr);
    EXPECT_EQ(prog().loaded<frmprocent>(), nullptr); // shown for the hidden run, gone at its end
    EXPECT_EQ(savedLogs().size(), 1);
}

// A scheduled run whose only job is refused ("Kör nu!" on it) ends early; then the scheduler is
// switched off. Whichever way the window opens afterwards, a run started in it is a run by hand.
TEST_F(RunDriverTest, AScheduledRunThatEndedEarlyIsShownSoAndLeavesNothingForARunByHand) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    write(work("t/src/b.txt"));
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("Dokument", src, dst));
    testutil::writeJob(path("Listor"), job("Trasig", work("t/src"), work("t"))); // above its source
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"BACKUP...", [&] { prog().form<frmmain>()->cmdkör_Click(); }},
        {"Kör backup nu",
         [&] {
             frmgammalbackup* g = prog().form<frmgammalbackup>();
             g->List1->clear();
             g->List1->addItem("40 dagar sedan (Dokument)");
             g->List2 = QStringList{"Dokument"};
             g->List1->item(0)->setSelected(true);
             g->cmdkör_Click();
         }},
    };
    for (const auto& [route, open] : routes) {
        SCOPED_TRACE(route);
        QFile::remove(dst + src + "/a.txt");
        window({"Trasig"}, false)->schema();
        // The last-run line says what the scheduler panel's entry says.
        prog().form<frmmain>()->visa_senaste_backup();
        EXPECT_EQ(prog().form<frmmain>()->Label6->text(), "Senaste Backup: " + log().value(1));
        EXPECT_TRUE(log().value(1).startsWith("Schemalagd Backup kunde inte utföras "))
            << logText().toStdString();
        prog().schema_avstängt = 1;
        open();
        frmutförbackup* w = prog().loaded<frmutförbackup>();
        ASSERT_NE(w, nullptr);
        w->cmdmarkera2_Click();
        w->List1->findItems("Dokument", Qt::MatchExactly).value(0)->setSelected(true);
        runManual(w);
        EXPECT_TRUE(log().value(1).startsWith("Backup utförd ")) << logText().toStdString();
        EXPECT_TRUE(QFile::exists(dst + src + "/a.txt"));
        EXPECT_EQ(testutil::readLines(path("Listor/Dokument.007")).value(1), "Manuell");
        prog().unload<frmutförbackup>();
        QCoreApplication::processEvents();
    }
}

TEST_F(RunDriverTest, WhenNoBackupFolderCanBeWrittenTheRunEndsEarly) {
    const QString src = work("src");
    write(src + "/a.txt");
    testutil::writeJob(path("Listor"), job("A", src, work("no-such-backup")));
    frmutförbackup* w = window({"A"});
    dialogs().expectWindow("frmerror");
    w->cmdkörbackup_Click();
    EXPECT_TRUE(w->List1->selectedItems().isEmpty());
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    EXPECT_FALSE(w->cmdavbryt->isVisible());
    const QStringList l = log();
    ASSERT_GE(l.size(), 2);
    EXPECT_EQ(l.at(l.size() - 2), "FEL: Backupmappen " + work("no-such-backup") + " saknas för jobb ''A''.");
    EXPECT_EQ(l.last(), "De jobb du valt gick inte att skriva till. Avslutar körningen.");
    EXPECT_FALSE(QFile::exists(work("no-such-backup")));
    EXPECT_EQ(savedLogs().size(), 1);
    EXPECT_TRUE(w->runHadErrors());
}

// The backup folder's disk is unplugged: the box of a run by hand, the popup of a scheduled run and
// its row in the finished runs' list, the head of log.txt and the saved log name the job, the
// folder and the likely cause.
TEST_F(RunDriverTest, AMissingBackupDiskIsNamedWithItsJobAndFolder) {
    const QString src = work("src");
    write(src + "/a.txt");
    const QString backup =
        "/mnt/tamrel-absent-" + QString::number(QCoreApplication::applicationPid()) + "/backup";
    testutil::writeJob(path("Listor"), job("Hem", src, backup));
    const QString why = "Backupmappen " + backup + " för jobbet Hem finns inte. Är disken ansluten?";
    prog().form<frmsetup>()->chkschemapopupfel->setChecked(true);
    prog().clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(6, 0, 0)));
    struct Case {
        const char* what;
        bool scheduled;
        QString head;
    };
    const Case cases[] = {{"by hand", false, "Backup kunde inte utföras 2024-05-01  06:00:00"},
                          {"scheduled", true, "Schemalagd Backup kunde inte utföras 2024-05-01  06:00:00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path("Sparade loggar")).removeRecursively();
        frmutförbackup* w = window({"Hem"}, !c.scheduled);
        if (c.scheduled) {
            w->schema();
            auto* popup = prog().loaded<frmbackupfel>();
            ASSERT_NE(popup, nullptr);
            EXPECT_EQ(popup->lblorsak->text(), why);
            EXPECT_TRUE(popup->lblorsak->isVisible());
            QListWidget* finished = prog().form<frmmain>()->listschemalogg;
            ASSERT_GT(finished->count(), 0);
            EXPECT_EQ(finished->item(finished->count() - 1)->text(),
                      "2024-05-01 06:00:00 Backup kunde inte utföras: " + why);
        } else {
            QString box;
            dialogs().expectWindow(
                "frmerror", [&](QWidget* e) { box = static_cast<frmerror*>(e)->lblfel->toPlainText(); });
            w->cmdkörbackup_Click();
            EXPECT_TRUE(box.contains(why)) << box.toStdString();
        }
        EXPECT_EQ(log().mid(0, 4), QStringList({"", c.head, why, ""})) << logText().toStdString();
        ASSERT_EQ(savedLogs().size(), 1);
        EXPECT_TRUE(savedLogs()[0].endsWith("Backup av HEM. Kunde inte utföras. 1 fel!.txt"))
            << savedLogs()[0].toStdString();
    }
}

TEST_F(RunDriverTest, AFailureInsideTheRunIsLoggedAndTheRunStillEndsWithItsSummary) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("A", src, dst));
    frmutförbackup* w = window({"A"});
    platform::injectFault(path("Listor/A.007"), EACCES);
    dialogs().expectWindow("frmerror");
    runManual(w);
    const QStringList l = log();
    const qsizetype at = l.indexOf("FEL: Felkod 70 Åtkomst nekad (Jobb: A)");
    ASSERT_GE(at, 0) << logText().toStdString();
    EXPECT_EQ(l.at(at + 1), "Plats: Utför backup, utför");
    EXPECT_EQ(l.at(at + 2), "Backupen avbröts.");
    EXPECT_EQ(l.last(), "  Backup slutfördes med fel!");
    EXPECT_TRUE(l.contains("  Totalt 1 fel."));
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    EXPECT_FALSE(w->imgerr->isHidden());
    EXPECT_TRUE(w->runHadErrors());
}

TEST_F(RunDriverTest, ASimulatedRunCopiesNothingAndSavesAfterItsResultWindow) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("A", src, dst));
    frmutförbackup* w = window({"A"});
    w->chkbackupsimulera->setChecked(true);
    bool savedBefore = true;
    dialogs().expectWindow("frmsimuleradbackup",
                           [&](QWidget*) { savedBefore = QDir(path("Sparade loggar")).exists(); });
    runManual(w);
    EXPECT_FALSE(savedBefore);
    EXPECT_FALSE(QFile::exists(dst + src + "/a.txt"));
    EXPECT_EQ(log().at(1).left(24), "Simulerad Backup utförd ");
    EXPECT_TRUE(log().contains("  Simulerad backup."));
    ASSERT_EQ(savedLogs().size(), 1);
    EXPECT_TRUE(savedLogs()[0].contains(" Simulerad Backup av A. "));

    // A second simulation lists the file once, not once per run.
    w->List1->item(0)->setSelected(true);
    int entries = -1;
    dialogs().expectWindow("frmsimuleradbackup",
                           [&](QWidget* win) { entries = win->findChild<QListWidget*>("List1")->count(); });
    runManual(w);
    EXPECT_EQ(entries, 1);
}

TEST_F(RunDriverTest, ACommandLineRunIsSilentUnloadsTheWindowAndMarksItsLastRun) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("A", src, dst));
    frmutförbackup* w = window({"A"}, false);
    QPointer<frmutförbackup> guard(w);
    w->commandline();
    EXPECT_TRUE(QFile::exists(dst + src + "/a.txt"));
    EXPECT_EQ(log().at(1).left(35), "Startkommando-startad Backup utförd");
    EXPECT_EQ(testutil::readLines(path("Listor/A.007")).value(1), "Startad med startkommando");
    EXPECT_EQ(prog().loaded<frmutförbackup>(), nullptr);
    ASSERT_EQ(savedLogs().size(), 1);
    EXPECT_TRUE(savedLogs()[0].contains("Startkommando-startad Backup av A."));
}

TEST_F(RunDriverTest, AJobAskingForARescanPicksUpANewFolderBeforeCopying) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::JobSpec j = job("A", src, dst);
    j.options[0] = "JA";
    testutil::writeJob(path("Listor"), j);
    write(src + "/new/b.txt"); // appears after the job was saved
    frmutförbackup* w = window({"A"});
    runManual(w);
    EXPECT_TRUE(QFile::exists(dst + src + "/new/b.txt")) << logText().toStdString();
    EXPECT_TRUE(testutil::readLines(path("Listor/A.000")).contains(src + "/new")) << syslog().toStdString();
    EXPECT_EQ(prog().form<frmmain>()->windowTitle(), "Tamrel Backup");
}

TEST_F(RunDriverTest, MissingDrivesAndFoldersAreComparedByWholePathPieces) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    // One drive's name is the start of the other's, as "/mnt/usb" is of "/mnt/usb2"; so are two
    // missing folders' names. A second job on one drive leaves one entry and one error for it.
    const QString usb = "/mnt/tamrel-absent-" + QString::number(QCoreApplication::applicationPid());
    const QStringList jobs[] = {{"A", usb + "2/x", "NEJ"},
                                {"B", usb + "/x", "NEJ"},
                                {"C", usb + "/x", "JA"},
                                {"D", src + "/foto", src + "/foto2"},
                                {"E", usb + "/x", "NEJ"}};
    for (const QStringList& d : jobs) {
        testutil::JobSpec j = job(d[0], src, dst + "/" + d[0]);
        testutil::makeDir(j.backupFolder);
        j.folders += d[0] == "D" ? d.mid(1) : d.mid(1, 1);
        j.options[4] = d[2];
        testutil::writeJob(path("Listor"), j);
    }
    frmutförbackup* w = window({"A", "B", "E"});
    runManual(w);
    EXPECT_EQ(w->engine().listsaknadenhet,
              QStringList({"FEL: Enhet " + usb + "2 saknas.", "FEL: Enhet " + usb + " saknas."}));
    EXPECT_EQ(w->lblantalfel->text(), "2");
    runManual(window({"A", "C"}));
    EXPECT_EQ(w->engine().listsaknadenhet,
              QStringList({"FEL: Enhet " + usb + "2 saknas.", "Enhet " + usb + " saknas."}));
    EXPECT_EQ(w->lblantalfel->text(), "1");
    runManual(window({"D"}));
    EXPECT_EQ(log().mid(log().indexOf(src + "/foto2"), 2), QStringList({src + "/foto2", src + "/foto"}));
    EXPECT_EQ(w->lblantalfel->text(), "2");
}

TEST_F(RunDriverTest, ARunIsRefusedWhileAnotherProcessHoldsTheProgramFoldersLock) {
    const QString src = work("src"), dst = work("backup");
    write(src + "/a.txt");
    testutil::makeDir(dst);
    testutil::writeJob(path("Listor"), job("A", src, dst));
    testutil::writeLines(path("log.txt"), {"the other run's log"});
    QLockFile other(path(RunDriver::lockFileName()));
    ASSERT_TRUE(other.tryLock(0));
    frmutförbackup* w = window({"A"});
    dialogs().expectWindow("frmerror", [](QWidget* win) {
        EXPECT_TRUE(static_cast<frmerror*>(win)->lblfel->toPlainText().startsWith(
            "FEL! En annan körning pågår redan från den här programmappen."));
    });
    w->cmdkörbackup_Click();
    EXPECT_TRUE(w->runHadErrors());
    EXPECT_FALSE(QFile::exists(dst + src + "/a.txt"));
    EXPECT_EQ(log(), QStringList({"the other run's log"}));

    // A lock file that names no process (cut short when the power went) is taken over.
    other.unlock();
    testutil::writeFile(path(RunDriver::lockFileName()), "");
    runManual(w);
    EXPECT_TRUE(QFile::exists(dst + src + "/a.txt"));
    EXPECT_FALSE(QFile::exists(path(RunDriver::lockFileName())));
}

} // namespace
