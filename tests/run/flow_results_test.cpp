// Manual simulated runs through to their result windows, answered the way a user answers them.
#include "flow_support.h"

#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "run/leftover_window.h"
#include "run/result_dialogs.h"
#include "run/run_log.h"
#include "run/simulation_window.h"
#include "support/qt_print.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <cerrno>
#include <functional>

namespace {

class SimulatedFlow : public FlowTest {
  protected:
    void SetUp() override {
        FlowTest::SetUp();
        testutil::writeFile(src_ + "/ny.txt", "ny fil", old_);
        testutil::writeFile(src_ + "/ändrad.txt", "nytt innehåll", old_);
        testutil::writeFile(src_ + "/samma.txt", "lika", old_);
        testutil::writeFile(target("ändrad.txt"), "gammalt", old_.addSecs(-3600));
        testutil::writeFile(target("samma.txt"), "lika", old_);
    }
};

// The text a result bar shows, inside the bar or after it.
QString barText(QLabel* bar, QLabel* text) {
    return bar->text() + text->text();
}

TEST_F(SimulatedFlow, TheSimulationWindowCopiesWhatTheUserMarksAndItsBlockIsInTheSavedLog) {
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chkbackupsimulera->setChecked(true);

    dialogs().expectWindow("frmsimuleradbackup", [&](QWidget* win) {
        auto* s = static_cast<frmsimuleradbackup*>(win);
        // Nothing has been written while the run only looked, and the log is saved only later.
        EXPECT_TRUE(savedLogs().isEmpty());
        EXPECT_FALSE(QFile::exists(target("ny.txt")));
        EXPECT_EQ(testutil::readBytes(target("ändrad.txt")), QByteArray("gammalt"));
        ASSERT_EQ(s->List1->count(), 2);
        EXPECT_EQ(s->windowTitle(), "Simulerad backup");
        EXPECT_EQ(s->lblinfo->text(), "2 fil(er) kan kopieras. 1 ny(a), 1 ändrad(e).");
        const auto marked = s->List1->findItems("+ " + src_ + "/ny.txt", Qt::MatchExactly);
        ASSERT_EQ(marked.size(), 1);
        marked[0]->setSelected(true);
        s->cmdkopieramarkerad->click();
        EXPECT_EQ(s->List1->count(), 1);
        EXPECT_EQ(s->List1->item(0)->text(), src_ + "/ändrad.txt");
        s->cmdstäng->click();
    });
    dialogs().expectWindow("frmklarbackup", [&](QWidget* win) {
        auto* k = static_cast<frmklarbackup*>(win);
        EXPECT_EQ(barText(k->lblnya, k->lblnya2), "50,00% nya");
        EXPECT_EQ(barText(k->lbländrade, k->lbländrade2), "50,00% ändrade");
        EXPECT_EQ(barText(k->lblskyddade, k->lblskyddade2), "0% skyddade");
        EXPECT_EQ(barText(k->lblfel, k->lblfel2), "0% fel");
        EXPECT_TRUE(k->imgerr->isHidden());
        k->Command1->click();
    });
    w->cmdkörbackup->click();

    // Only the marked file was copied, whole and with its time.
    EXPECT_EQ(testutil::readBytes(target("ny.txt")), QByteArray("ny fil"));
    EXPECT_EQ(testutil::mtimeOf(target("ny.txt")), old_.toSecsSinceEpoch());
    EXPECT_EQ(testutil::readBytes(target("ändrad.txt")), QByteArray("gammalt"));
    EXPECT_EQ(testutil::treeFiles(dst_), QStringList({src_.mid(1) + "/ny.txt", src_.mid(1) + "/samma.txt",
                                                      src_.mid(1) + "/ändrad.txt"}));

    const QStringList l = log();
    EXPECT_TRUE(l.at(1).startsWith("Simulerad Backup utförd ")) << logText().toStdString();
    EXPECT_TRUE(l.contains("+ " + target("ny.txt")));
    EXPECT_TRUE(l.contains("  " + target("ändrad.txt")));
    const qsizetype block = l.indexOf("Resultat av manuell backup från simulerad backuplogg");
    ASSERT_GT(block, l.indexOf("  Simulerad backup.")) << logText().toStdString();
    EXPECT_TRUE(l.mid(block).contains("  Nya filer: 1"));
    EXPECT_TRUE(l.mid(block).contains("  Ändrade filer: 0"));

    const QStringList saved = savedLogs();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved.at(0).contains(" Simulerad Backup av JOBB. 2 filer av 3 skulle kopieras. "))
        << saved.at(0).toStdString();
    EXPECT_EQ(testutil::readBytes(path("Sparade loggar/" + saved.at(0))),
              testutil::readBytes(path("log.txt")));
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    // A finished run leaves its three bars full and no percentage behind.
    EXPECT_EQ(w->lblprocent3->text(), "");
    for (QLabel* bar : {w->lblprocent1, w->lblprocent2, w->lblprocent3})
        EXPECT_GE(bar->width(), bar->parentWidget()->width()) << bar->objectName().toStdString();
}

// While a window of a finished run waits for the user, other work on the files and runs of other
// processes of the program folder may go on.
TEST_F(SimulatedFlow, WindowsThatWaitForTheUserAfterARunHoldNeitherTheGateNorTheRunLock) {
    testutil::writeJob(path("Listor"), job("Jobb"));
    testutil::writeFile(target("bort.txt"), "bort", old_);
    auto free = [&](QWidget* win) {
        const std::string name = win->objectName().toStdString();
        EXPECT_FALSE(prog().operations().busy()) << name;
        RunLock other;
        EXPECT_TRUE(other.take("en backupkörning")) << name;
    };
    struct Case {
        const char* name;
        bool simulate, mirror;
        std::function<void(frmutförbackup*)> set;
        QStringList windows;
    };
    const Case cases[] = {
        {"simulerad backup", true, false, {}, {"frmsimuleradbackup", "frmklarbackup"}},
        {"simulerad spegling", false, true, {}, {"frmsyncfilermappar", "frmklarbackup"}},
        {"disken full",
         false,
         false,
         [&](frmutförbackup*) {
             testutil::writeFile(src_ + "/stor.txt", "stor", old_);
             platform::injectFault(target("stor.txt"), ENOSPC);
         },
         {"frmerror", "frmklarbackup"}},
        {"inget jobb markerat",
         false,
         false,
         [](frmutförbackup* w) { w->List1->clearSelection(); },
         {"frmerror"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        frmutförbackup* w = openBackupWindow("Jobb");
        w->chkbackupsimulera->setChecked(c.simulate);
        w->chksync->setChecked(c.mirror);
        w->chksyncsimulera->setChecked(c.mirror);
        if (c.set)
            c.set(w);
        for (const QString& window : c.windows)
            dialogs().expectWindow(window, free);
        w->cmdkörbackup->click();
        platform::clearFaults();
        EXPECT_EQ(dialogs().verify(), QStringList());
    }
}

// Deleting from the leftover list into the trash of a home made for the test.
class MirrorFlow : public FlowTest {
  protected:
    void SetUp() override {
        FlowTest::SetUp();
        home_ = work("hem");
        // An existing home on the test's file system keeps the trash inside the test's folder.
        testutil::makeDir(home_ + "/.local/share");
        saved_ = {{"HOME", qgetenv("HOME")}, {"XDG_DATA_HOME", qgetenv("XDG_DATA_HOME")}};
        qputenv("HOME", home_.toUtf8());
        qputenv("XDG_DATA_HOME", (home_ + "/.local/share").toUtf8());
        testutil::writeFile(src_ + "/kvar.txt", "kvar", old_);
        testutil::writeFile(target("kvar.txt"), "kvar", old_);
        testutil::writeFile(target("bort.txt"), "bort", old_);
        testutil::writeFile(target("gammal mapp/x.txt"), "x", old_);
    }
    void TearDown() override {
        for (auto it = saved_.begin(); it != saved_.end(); ++it) {
            if (it.value().isEmpty())
                qunsetenv(it.key().toUtf8().constData());
            else
                qputenv(it.key().toUtf8().constData(), it.value());
        }
        FlowTest::TearDown();
    }
    QString trash(const QString& name) const { return home_ + "/.local/share/Trash/files/" + name; }

    QString home_;
    QMap<QString, QByteArray> saved_;
};

TEST_F(MirrorFlow, ASimulatedMirrorListsLeftoversAndMarkedOnesGoToTheTrash) {
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chksync->setChecked(true);
    w->chksyncsimulera->setChecked(true);

    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* win) {
        auto* f = static_cast<frmsyncfilermappar*>(win);
        // The run itself deleted nothing.
        EXPECT_TRUE(QFile::exists(target("bort.txt")));
        EXPECT_TRUE(QFile::exists(target("gammal mapp/x.txt")));
        QStringList entries;
        for (int i = 0; i < f->List1->count(); ++i)
            entries << f->List1->item(i)->text();
        entries.sort();
        EXPECT_EQ(entries, QStringList({target("bort.txt"), target("gammal mapp/")}));
        EXPECT_EQ(f->lblinfo->text(),
                  "1 mapp med 1 fil, och 1 enstaka fil, totalt 2 filer kan raderas,   0,00 MB");
        EXPECT_FALSE(f->cmdsparalogg->isHidden());
        const auto folder = f->List1->findItems(target("gammal mapp/"), Qt::MatchExactly);
        ASSERT_EQ(folder.size(), 1);
        folder[0]->setSelected(true);
        f->chkpapperskorgen->setChecked(true);
        f->cmdraderamarkerad->click();
        ASSERT_EQ(f->List1->count(), 1);
        EXPECT_EQ(f->List1->item(0)->text(), target("bort.txt"));
        f->cmdstäng->click();
    });
    dialogs().expectWindow("frmklarbackup",
                           [](QWidget* win) { static_cast<frmklarbackup*>(win)->Command1->click(); });
    w->cmdkörbackup->click();

    EXPECT_FALSE(QFileInfo::exists(target("gammal mapp")));
    EXPECT_EQ(testutil::readBytes(trash("gammal mapp/x.txt")), QByteArray("x"));
    EXPECT_TRUE(QFile::exists(home_ + "/.local/share/Trash/info/gammal mapp.trashinfo"));
    EXPECT_EQ(testutil::readBytes(target("bort.txt")), QByteArray("bort"));
    EXPECT_EQ(testutil::readBytes(target("kvar.txt")), QByteArray("kvar"));
    EXPECT_EQ(testutil::treeFiles(src_), QStringList{"kvar.txt"});

    const QStringList l = log();
    EXPECT_TRUE(l.contains("- Raderad fil för spegling:  (simulerad) " + target("bort.txt")))
        << logText().toStdString();
    EXPECT_TRUE(l.contains("- Raderad mapp för spegling:  (simulerad) " + target("gammal mapp")));
    EXPECT_TRUE(l.contains("Spegling: JA (simulerad)"));
    EXPECT_TRUE(prog().form<frmmain>()->txtsyslogg->toPlainText().contains(
        "Användaren raderade 1 mapp från speglingsloggen."));
    // Shown to the user, so not saved as a file unless asked to.
    EXPECT_FALSE(QDir(path("Schemasync")).exists() &&
                 !QDir(path("Schemasync")).entryList({"*.schemasync"}, QDir::Files).isEmpty());
    EXPECT_EQ(savedLogs().size(), 1);
}

} // namespace

namespace {
// "Simulera backup" with a real mirror deletes from the backup folder: its saved log must not be
// named like a run that changed nothing.
TEST_F(MirrorFlow, ASimulationThatMirroredForRealSaysSoInItsSavedLogsName) {
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chkbackupsimulera->setChecked(true);
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup2->click();

    EXPECT_FALSE(QFile::exists(target("bort.txt")));
    const QStringList saved = savedLogs();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(
        saved.at(0).contains(" Simulerad Backup med spegling av JOBB. 0 filer av 1 skulle kopieras. "))
        << saved.at(0).toStdString();
}

// A saved log's name holds the job's name; a long one is cut so that the log is saved at all.
TEST_F(MirrorFlow, AJobOfALongNameGetsASavedLogWithItsNameCut) {
    const QString name = "Rapport " + QString(96, QChar(0x00F6)); // 200 bytes
    testutil::writeJob(path("Listor"), job(name));
    frmutförbackup* w = openBackupWindow(name);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();

    const QStringList saved = savedLogs();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_LE(saved.at(0).toUtf8().size(), 255);
    EXPECT_TRUE(saved.at(0).contains(" Backup av RAPPORT ÖÖÖ")) << saved.at(0).toStdString();
    EXPECT_TRUE(saved.at(0).contains("…. 0 filer av 1 kopierades. 0,00 MB. Inga fel.txt"));
    // Its name still tells whose log it is, though the job's name is cut in it.
    EXPECT_TRUE(runlog::savedLogOfJob(saved.at(0), name));

    // A log that cannot be saved is noted as such, its error number apart from its description.
    platform::injectFault(path("Sparade loggar"), EIO);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    platform::clearFaults();
    EXPECT_TRUE(prog().form<frmmain>()->txtsyslogg->toPlainText().contains(
        "Plats: Utför backup, spara loggfil i loggmapp. Felkod 57 " + platform::errorDescription(57) +
        ". Körningens logg sparades inte i Sparade loggar."));
}

TEST_F(MirrorFlow, AMirrorSendsWhatItDeletesToTheTrashWhenAskedTo) {
    prog().form<frmsetup>()->chkpapperskorg_synk->setChecked(true);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup2->click();

    EXPECT_EQ(testutil::treeFiles(dst_), QStringList{src_.mid(1) + "/kvar.txt"}) << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(trash("bort.txt")), QByteArray("bort"));
    EXPECT_EQ(testutil::readBytes(trash("gammal mapp/x.txt")), QByteArray("x"));
    EXPECT_TRUE(log().contains("- Raderad mapp för spegling: " + target("gammal mapp")));
    EXPECT_FALSE(w->runHadErrors());
}
} // namespace
