// What the windows say when a run is over: each tells what the run did.
#include "flow_support.h"

#include "mainwindow/main_window.h"
#include "platform/icons.h"
#include "run/copy_engine.h"
#include "run/result_dialogs.h"
#include "run/simulation_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>

namespace {

class ResultTexts : public FlowTest {};

// Two jobs of three files each; the user cancels as the second job begins, so the first job's
// three files are all the run copied of the six it counted.
TEST_F(ResultTexts, ACancelledRunShowsNoTickAndTheShareItCopiedOfTheWholeRun) {
    const QString src2 = work("Källa2");
    for (const char* name : {"a", "b", "c"}) {
        testutil::writeFile(src_ + '/' + name + ".txt", "x", old_);
        testutil::writeFile(src2 + '/' + name + ".txt", "x", old_);
    }
    testutil::writeJob(path("Listor"), job("A"));
    testutil::writeJob(path("Listor"), testutil::jobOver("B", src2, dst_));
    frmutförbackup* w = openBackupWindow("A");
    w->List1->item(1)->setSelected(true);
    auto* t = new QTimer(w);
    QObject::connect(t, &QTimer::timeout, t, [t, w] {
        // Job A done, the pass at job B.
        if (w->lblsenastkördajobb_namn->text() == "A" && w->List1->currentRow() == 1) {
            t->stop();
            w->cmdavbryt->click();
        }
    });
    t->start(0);
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    frmklarbackup* shown = nullptr;
    dialogs().expectWindow("frmklarbackup", [&](QWidget* k) { shown = static_cast<frmklarbackup*>(k); });
    w->cmdkörbackup->click();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(log().last(), "  Backupkörningen avbröts av användaren!");
    EXPECT_TRUE(log().contains("  3 filer kopierades totalt."));
    EXPECT_EQ(shown->imagesmiley->pixmap().toImage(),
              platform::picture(platform::Picture::Warning, 48).toImage());
    EXPECT_EQ(shown->lbltotalt->text() + shown->lbltotalt2->text(), "50,00% kopierade totalt");
}

// A run stopped during its copy, by "Avbryt" or by the program being asked to end (a logout), is
// said to be stopped wherever it is summed up, is measured against all the files it counted, and
// is not the job's last backup.
TEST_F(ResultTexts, AStoppedRunIsSummedUpAsStoppedAndIsNotTheJobsLastBackup) {
    const int count = 1500;
    for (int i = 0; i < count; ++i)
        testutil::writeFile(src_ + QStringLiteral("/m%1/f%2.txt").arg(i / 100).arg(i), "x", old_);
    testutil::writeJob(path("Listor"), job("Hem"));
    struct Case {
        const char* what;
        bool closing;
        const char* verdict;
    };
    const Case cases[] = {{"Avbryt", false, "  Backupkörningen avbröts av användaren!"},
                          {"close request", true, "  Backupkörningen avbröts när programmet stängdes!"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dst_).removeRecursively();
        testutil::makeDir(dst_);
        QDir(path("Sparade loggar")).removeRecursively();
        frmutförbackup* w = openBackupWindow("Hem");
        QTimer t;
        bool pressed = false;
        QObject::connect(&t, &QTimer::timeout, [&] {
            if (pressed || w->engine().kopierade_totalt == 0 || w->cmdkörbackup->isEnabled())
                return;
            pressed = true;
            if (c.closing)
                prog().operations().requestStop();
            else
                w->cmdavbryt->click();
        });
        t.start(0);
        QString title;
        if (!c.closing) {
            dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
            dialogs().expectWindow("frmklarbackup", [&](QWidget* k) { title = k->windowTitle(); });
        }
        w->cmdkörbackup->click();
        t.stop();
        ASSERT_TRUE(pressed);
        const long copied = w->engine().kopierade_totalt;
        ASSERT_LT(copied, count);

        const QStringList l = log();
        EXPECT_TRUE(l.value(1).startsWith("Backup avbröts ")) << l.value(1).toStdString();
        EXPECT_EQ(l.last(), c.verdict);
        EXPECT_TRUE(logText().contains(QStringLiteral("\nKopierade filer: %1 av %2 ").arg(copied).arg(count)))
            << logText().toStdString();
        ASSERT_EQ(savedLogs().size(), 1);
        EXPECT_TRUE(savedLogs()[0].contains(QStringLiteral("Backup av HEM. %1 %2 av %3 kopierades. ")
                                                .arg(copied)
                                                .arg(copied == 1 ? "fil" : "filer")
                                                .arg(count)))
            << savedLogs()[0].toStdString();
        EXPECT_TRUE(savedLogs()[0].endsWith(" MB. Avbröts.txt")) << savedLogs()[0].toStdString();
        EXPECT_FALSE(QFile::exists(path("Listor/Hem.007")));
        frmmain* m = prog().form<frmmain>();
        m->visa_senaste_backup();
        EXPECT_TRUE(m->Label6->text().startsWith("Senaste Backup: Backup avbröts "))
            << m->Label6->text().toStdString();
        if (!c.closing)
            EXPECT_EQ(title, "Backup avbröts");
        else
            EXPECT_EQ(prog().loaded<frmklarbackup>()->windowTitle(), "Backup avbröts");
    }
}

// A simulation copies nothing: its windows, log.txt and the saved log with its name say what would
// be copied, by hand and by the scheduler; a count of one reads in the singular there too.
TEST_F(ResultTexts, ASimulatedRunsWindowsSayWhatWouldBeCopied) {
    testutil::writeFile(src_ + "/ändrad.txt", "nytt", old_);
    testutil::writeFile(target("ändrad.txt"), "gammalt", old_.addSecs(-3600));
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        testutil::writeFile(src_ + '/' + name + ".txt", "x", old_);
        testutil::writeFile(target(QString::fromLatin1(name) + ".txt"), "x", old_);
    }
    testutil::JobSpec j = job("Jobb");
    j.versioning = {"JA", "", "", "5", work("Versioner")};
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chkbackupsimulera->setChecked(true);
    QString info, summary, bar;
    dialogs().expectWindow("frmsimuleradbackup");
    dialogs().expectWindow("frmklarbackup", [&](QWidget* win) {
        auto* k = static_cast<frmklarbackup*>(win);
        info = k->lblinfo->text();
        summary = k->Text1->toPlainText();
        bar = k->lbltotalt->text() + k->lbltotalt2->text();
        k->Command1->click();
    });
    w->cmdkörbackup->click();
    const QString row = w->List1->item(0)->text(), counts = w->lbl2->text(),
                  errors = w->lblantalfelrätt->text();
    // The lines of the window's own log that count files.
    QStringList counted;
    for (const QString& line : w->txtloggtext->toPlainText().split('\n'))
        if (line.contains(QRegularExpression(" fil(er)? (kopierades|skulle kopieras)")) ||
            line.contains("versionshantering"))
            counted << line.trimmed().remove(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d "));
    const QStringList l = log();
    const QString logCounts = l.value(l.indexOf("Spegling: NEJ") - 2);
    const QString logSummary = l.mid(l.indexOf("Sammanställning:")).join('\n');
    const QStringList jobLines = l.filter(QRegularExpression("^\\d+ (fil|kopierade|äldre)"));
    const QStringList saved = savedLogs();
    ASSERT_EQ(saved.size(), 1);
    const QString savedText = QString::fromUtf8(testutil::readBytes(path("Sparade loggar/" + saved.at(0))));
    // The same run by the scheduler, its window hidden: its popup tells of the run.
    w->hide();
    w->schema();
    auto* popup = prog().loaded<frmbackupfel>();
    ASSERT_NE(popup, nullptr);

    const QString block = "Sammanställning:\n"
                          "  Simulerad backup.\n"
                          "  1 fil %1 totalt.\n"
                          "  6 filer genomsöktes totalt.\n"
                          "\n"
                          "  0 nya filer %1 (+)  (exkl. ev. skyddade filer).\n"
                          "  1 ändrad fil %1 (exkl. ev. skyddade filer).\n"
                          "  0 skyddade filer %1 (*).\n"
                          "  0 filer exkluderades.\n"
                          "  0 filer misslyckades.\n"
                          "  0,00 MB %2.\n"
                          "\n"
                          "  1 äldre fil %3 av versionshantering.\n"
                          "\n"
                          "  Totalt 0 fel.\n"
                          "  Backup slutfördes utan fel.";
    const struct {
        const char* what;
        QString shown, expected;
    } cases[] = {
        {"the job's row", row, "Jobb (1 fil skulle kopieras)"},
        {"Backup klar: result", info, "Simulerad Backup klar.\n1 fil skulle kopieras. 0 fel."},
        {"Backup klar: summary", summary,
         block.arg(u"skulle kopieras", u"skulle kopieras", u"skulle sparas")},
        {"Backup klar: bar", bar, "16,67% skulle kopieras"},
        {"backup window: counts", counts.left(counts.indexOf("     ")), "Filer som skulle kopieras: 1 av 6"},
        {"backup window: counts and errors", errors, "Filer som skulle kopieras: 1, antal fel: 0"},
        {"Schemalagd backup", popup->lblkopieradefiler->text(), "Antal filer som skulle kopieras: 1"},
        {"backup window: log", counted.join('|'),
         "Klar. 1 fil skulle kopieras. 0 fel.|1 äldre fil skulle sparas av versionshantering.|"
         "1 av 6 filer skulle kopieras. 0 fel.|Totalt 1 äldre fil skulle sparas av versionshantering."},
        {"log.txt: counts", logCounts.left(logCounts.indexOf("     ")), "Filer som skulle kopieras: 1 av 6"},
        {"log.txt: summary", logSummary, block.arg(u"skulle kopieras", u"skulle kopieras", u"skulle sparas")},
        {"log.txt: the job's lines", jobLines.join('|'),
         "1 fil skulle kopieras|1 äldre fil skulle sparas av versionshantering"},
        {"saved log's name", saved.at(0).mid(24),
         "Simulerad Backup av JOBB. 1 fil av 6 skulle kopieras. 0,00 MB. Inga fel.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.shown.toStdString(), c.expected.toStdString()) << c.what;
    // Nothing was copied, and no log says it was.
    static const QRegularExpression copiedWords("kopierade|kopierades|kopierat|sparade");
    for (const QString& text : {l.join('\n'), savedText})
        EXPECT_FALSE(text.contains(copiedWords)) << text.toStdString();
    EXPECT_EQ(testutil::readBytes(target("ändrad.txt")), QByteArray("gammalt"));
}

TEST_F(ResultTexts, AfterARunTheJobSummariesShowTheRunJustMade) {
    prog().clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)));
    testutil::writeFile(src_ + "/a.txt", "x", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->List1->setCurrentRow(0, QItemSelectionModel::NoUpdate); // its summary shown, as after a click
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    const QString last = "Senast körd: 0 dagar sedan (2024-05-01 14:03) Körning: Manuell";
    const QString inMain = prog().form<frmmain>()->txtsammanställning_text->toPlainText();
    EXPECT_TRUE(inMain.contains(last)) << inMain.toStdString();
    const QString inWindow = w->txtsammanställning->toPlainText();
    EXPECT_TRUE(inWindow.startsWith("Jobb\n\n")) << inWindow.toStdString();
    EXPECT_TRUE(inWindow.contains(last)) << inWindow.toStdString();
}

} // namespace
