#include "core/error_dialog.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "run/backup_window.h"
#include "run/leftover_window.h"
#include "run/simulation_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>

using testutil::readLines;
using testutil::writeFile;

class SimulationWindowTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().form<frmmain>();
        w = prog().form<frmsimuleradbackup>();
    }
    frmsimuleradbackup* w = nullptr;
    const QDateTime old = QDateTime(QDate(2020, 1, 1), QTime(10, 0, 0));
    const QDateTime fresh = QDateTime(QDate(2024, 1, 1), QTime(10, 0, 0));
};

TEST_F(SimulationWindowTest, CopyAllCopiesNewAndChangedFilesAndWritesTheResultBlock) {
    writeFile(work("src/a.txt"), "aaa", fresh);
    writeFile(work("src/sub/b.txt"), "bbbb", fresh);
    writeFile(work("src/c.txt"), "new content", fresh);
    writeFile(work("dst/c.txt"), "old", old);
    w->addEntry("+ " + work("src/a.txt"), "+ " + work("dst/a.txt"));
    w->addEntry("+ " + work("src/sub/b.txt"), "+ " + work("dst/sub/b.txt"));
    w->addEntry(work("src/c.txt"), work("dst/c.txt"));

    w->cmdkopieraalla_Click();

    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_TRUE(w->List2.isEmpty());
    EXPECT_EQ(testutil::readBytes(work("dst/a.txt")), "aaa");
    EXPECT_EQ(testutil::readBytes(work("dst/sub/b.txt")), "bbbb");
    EXPECT_EQ(testutil::readBytes(work("dst/c.txt")), "new content");
    EXPECT_EQ(testutil::mtimeOf(work("dst/c.txt")), fresh.toSecsSinceEpoch());
    EXPECT_EQ(w->lblantalnya->text(), "2");
    EXPECT_EQ(w->lblantaländrade->text(), "1");
    const QString log = w->txtlogg->toPlainText();
    EXPECT_TRUE(log.contains("Skapade mappen " + work("dst/sub/"))) << log.toStdString();
    EXPECT_TRUE(log.contains("+ " + work("dst/a.txt")));
    EXPECT_TRUE(w->txtlogg2->toPlainText().startsWith("Resultat:\nNya filer: 2\nÄndrade filer: 1\n"));
    EXPECT_EQ(w->lblinfo->text(), "0 fil(er) kan kopieras. 0 ny(a), 0 ändrad(e).");

    w->cmdstäng_Click();
    const QStringList lines = readLines(path("log.txt"));
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "Resultat av manuell backup från simulerad backuplogg");
    EXPECT_EQ(lines[2], "Följande filer kopierades:");
    EXPECT_EQ(lines[lines.size() - 5], "  Nya filer: 2");
    EXPECT_EQ(lines[lines.size() - 4], "  Ändrade filer: 1");
    EXPECT_EQ(lines[lines.size() - 3], "  Skyddade filer: 0");
    EXPECT_EQ(lines[lines.size() - 2], "  Datamängd: 0,00 MB");
    EXPECT_EQ(lines[lines.size() - 1], "  Felantal: 0");
}

TEST_F(SimulationWindowTest, NothingMarkedOrNothingCopiedChangesNothing) {
    w->cmdkopieraalla_Click(); // empty list
    w->addEntry("+ " + work("src/a.txt"), "+ " + work("dst/a.txt"));
    w->cmdkopieramarkerad_Click(); // nothing marked
    EXPECT_EQ(w->List1->count(), 1);
    EXPECT_EQ(w->txtlogg->toPlainText(), "Följande filer kopierades:");
    // The source is gone: an error, the entry still leaves the list, and closing writes no block.
    w->cmdkopieraalla_Click();
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_EQ(w->lblantalfel->text(), "1");
    EXPECT_TRUE(prog().form<frmmain>()->txtsyslogg->toPlainText().contains("FEL! Felkod 53"));
    w->cmdstäng_Click();
    EXPECT_FALSE(QFile::exists(path("log.txt")));
}

TEST_F(SimulationWindowTest, NewerCopyInTheBackupIsNotOverwrittenByAnOlderSource) {
    writeFile(work("src/c.txt"), "older", old);
    writeFile(work("dst/c.txt"), "changed since the simulation", fresh);
    w->addEntry(work("src/c.txt"), work("dst/c.txt"));
    w->cmdkopieraalla_Click();
    EXPECT_EQ(testutil::readBytes(work("dst/c.txt")), "changed since the simulation");
    EXPECT_EQ(w->lblantaländrade->text(), "0");
}

// The user saves a file while "Kopiera alla" copies over it: the save lands after the copy's last
// look, just before the copy takes its place. It is kept, and the entry is named as not copied.
TEST_F(SimulationWindowTest, AFileSavedDuringItsCopyIsKept) {
    writeFile(work("src/ny.txt"), "källa", fresh);
    writeFile(work("src/ändrad.txt"), "källa", fresh);
    writeFile(work("dst/ändrad.txt"), "gammal", old);
    w->addEntry("+ " + work("src/ny.txt"), "+ " + work("dst/ny.txt"));
    w->addEntry(work("src/ändrad.txt"), work("dst/ändrad.txt"));
    platform::setSwapHook([](const QString&, const QString& target) {
        writeFile(target + ".sparas", "sparad nu");
        ASSERT_EQ(::rename(QFile::encodeName(target + ".sparas").constData(),
                           QFile::encodeName(target).constData()),
                  0);
    });
    w->cmdkopieraalla_Click();
    platform::setSwapHook({});

    const QString log = w->txtlogg->toPlainText();
    for (const char* name : {"ny.txt", "ändrad.txt"}) {
        const QString target = work(QStringLiteral("dst/") + name);
        EXPECT_EQ(testutil::readBytes(target), "sparad nu") << name;
        EXPECT_TRUE(log.contains(
            "FEL: filen kopierades inte, eftersom målfilen ändrades under kopieringen. (" + target + ")"))
            << log.toStdString();
    }
    EXPECT_EQ(testutil::treeFiles(work("dst")), QStringList({"ny.txt", "ändrad.txt"}));
    EXPECT_EQ(w->lblantalnya->text(), "0");
    EXPECT_EQ(w->lblantaländrade->text(), "0");
    EXPECT_EQ(w->lblantalfel->text(), "2");
}

TEST_F(SimulationWindowTest, DiskFullStopsThePassAndKeepsTheRemainingEntries) {
    writeFile(work("src/a.txt"), "a", fresh);
    writeFile(work("src/b.txt"), "b", fresh);
    writeFile(work("src/c.txt"), "c", fresh);
    w->addEntry("+ " + work("src/a.txt"), "+ " + work("dst/a.txt"));
    w->addEntry("+ " + work("src/b.txt"), "+ " + work("dst/b.txt"));
    w->addEntry("+ " + work("src/c.txt"), "+ " + work("dst/c.txt"));
    platform::injectFault(work("dst/b.txt"), ENOSPC);
    dialogs().expectWindow("frmerror");
    w->cmdkopieraalla_Click();
    EXPECT_TRUE(QFile::exists(work("dst/a.txt")));
    EXPECT_FALSE(QFile::exists(work("dst/c.txt")));
    EXPECT_EQ(w->List1->count(), 2);
    EXPECT_EQ(w->lblinfo->text(), "2 fil(er) kan kopieras. 2 ny(a), 0 ändrad(e).");
    EXPECT_EQ(w->lblantalfel->text(), "1");
}

TEST_F(SimulationWindowTest, CopyMarkedTakesOnlyTheMarkedRowsAndKeepsTheOthersWithTheirTargets) {
    for (const char* n : {"a", "b", "c", "d", "e"})
        writeFile(work(QStringLiteral("src/%1.txt").arg(n)), n, fresh);
    for (const char* n : {"a", "b", "c", "d", "e"})
        w->addEntry("+ " + work(QStringLiteral("src/%1.txt").arg(n)),
                    "+ " + work(QStringLiteral("dst/%1.txt").arg(n)));
    for (int row : {0, 2, 3})
        w->List1->item(row)->setSelected(true);

    w->cmdkopieramarkerad_Click();

    for (const char* n : {"a", "c", "d"})
        EXPECT_TRUE(QFile::exists(work(QStringLiteral("dst/%1.txt").arg(n)))) << n;
    for (const char* n : {"b", "e"})
        EXPECT_FALSE(QFile::exists(work(QStringLiteral("dst/%1.txt").arg(n)))) << n;
    ASSERT_EQ(w->List1->count(), 2);
    EXPECT_EQ(w->List1->item(0)->text(), "+ " + work("src/b.txt"));
    EXPECT_EQ(w->List1->item(1)->text(), "+ " + work("src/e.txt"));
    EXPECT_EQ(w->List2, QStringList({"+ " + work("dst/b.txt"), "+ " + work("dst/e.txt")}));
    // The rows left are copied to their own targets.
    w->cmdkopieraalla_Click();
    EXPECT_EQ(testutil::readBytes(work("dst/b.txt")), "b");
    EXPECT_EQ(testutil::readBytes(work("dst/e.txt")), "e");
    EXPECT_EQ(w->List1->count(), 0);
}

class LeftoverWindowTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().form<frmmain>();
        // The entries lie in this job's backup folder.
        testutil::writeJob(path("Listor"), testutil::jobOver("Jobb", work("källa"), work("b")));
        w = prog().form<frmsyncfilermappar>();
    }
    frmsyncfilermappar* w = nullptr;
};

TEST_F(LeftoverWindowTest, DeleteAllRemovesFoldersAndFilesAndLogsTheCounts) {
    for (const char* f : {"b/x/1.txt", "b/y/2.txt", "b/3.txt", "b/4.txt", "b/5.txt"})
        writeFile(work(f), "x");
    for (const char* e : {"b/x/", "b/y/", "b/3.txt", "b/4.txt", "b/5.txt"})
        w->List1->addItem(work(e));
    w->List1->addItem(work("b/gone.txt")); // vanished meanwhile: silently dropped, not counted
    w->cmdraderaalla_Click();
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_EQ(testutil::treeFiles(work("b")), QStringList());
    EXPECT_EQ(w->lblinfo->text(), "0 mapp(ar) och 0 fil(er) kan raderas.");
    EXPECT_TRUE(prog().form<frmmain>()->txtsyslogg->toPlainText().contains(
        "Användaren raderade 2 mappar och 3 filer från speglingsloggen."));
}

TEST_F(LeftoverWindowTest, DeleteMarkedTakesOnlyTheMarkedRows) {
    const QStringList names = {"0.txt", "1.txt", "2.txt", "3.txt", "4.txt", "5.txt"};
    for (const QString& n : names) {
        writeFile(work("b/" + n), "x");
        w->List1->addItem(work("b/" + n));
    }
    for (int row : {0, 1, 3, 5})
        w->List1->item(row)->setSelected(true);
    w->cmdraderamarkerad_Click();
    for (const char* gone : {"0.txt", "1.txt", "3.txt", "5.txt"})
        EXPECT_FALSE(QFile::exists(work(QStringLiteral("b/") + gone))) << gone;
    QStringList left;
    for (int i = 0; i < w->List1->count(); ++i)
        left << w->List1->item(i)->text();
    EXPECT_EQ(left, QStringList({work("b/2.txt"), work("b/4.txt")}));
    EXPECT_EQ(w->lblinfo->text(), "0 mapp(ar) och 2 fil(er) kan raderas.");
}

TEST_F(LeftoverWindowTest, DeletingALinkNeverTouchesWhatItPointsTo) {
    writeFile(work("outside/keep.txt"), "keep");
    testutil::makeDir(work("b"));
    QFile::link(work("outside"), work("b/link"));
    w->List1->addItem(work("b/link/"));
    w->cmdraderaalla_Click();
    EXPECT_FALSE(QFileInfo(work("b/link")).isSymLink());
    EXPECT_EQ(testutil::readBytes(work("outside/keep.txt")), "keep");
}

// A list names what it likes (a saved list is a file anyone could have written): only entries
// inside a job's backup folder are deleted; the others stay listed and are reported.
TEST_F(LeftoverWindowTest, EntriesOutsideEveryBackupFolderAreNotDeletedAndAreReported) {
    writeFile(work("b/bort.txt"), "x");
    writeFile(work("utanför/y.txt"), "y");
    writeFile(work("utanför/mapp/z.txt"), "z");
    writeFile(work("relativ/x.txt"), "x");
    const QStringList refused = {"relativ/x.txt", work("b/../utanför/y.txt"), work("utanför/mapp/")};
    for (const QString& e : refused)
        w->List1->addItem(e);
    w->List1->addItem(work("b/bort.txt"));
    frmutförbackup* run = prog().form<frmutförbackup>();
    // A relative entry would be taken from the working folder.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(workDir_.path());
    w->cmdraderaalla_Click();
    QDir::setCurrent(cwd);

    EXPECT_FALSE(QFile::exists(work("b/bort.txt")));
    EXPECT_EQ(testutil::treeFiles(work("utanför")), QStringList({"mapp/z.txt", "y.txt"}));
    EXPECT_TRUE(QFile::exists(work("relativ/x.txt")));
    QStringList left;
    for (int i = 0; i < w->List1->count(); ++i)
        left << w->List1->item(i)->text();
    EXPECT_EQ(left, refused);
    const QString syslog = prog().form<frmmain>()->txtsyslogg->toPlainText();
    EXPECT_EQ(syslog.count("FEL! Raderades inte från speglingsloggen ("), 3) << syslog.toStdString();
    const QString windowLog = run->txtloggtext->toPlainText();
    for (const QString& e : refused) {
        EXPECT_TRUE(syslog.contains("): " + e)) << e.toStdString();
        EXPECT_TRUE(windowLog.contains(": " + e)) << e.toStdString();
    }
    EXPECT_TRUE(syslog.contains("Användaren raderade 1 fil från speglingsloggen."));
}

TEST_F(LeftoverWindowTest, SavedListRoundTripAndClosingRewritesOrDeletesIt) {
    w->List1->addItem("/x/folder/");
    w->List1->addItem("/x/file.txt");
    w->cmdsparalogg_Tag = "2024-05-01 14:30:05";
    dialogs().expectMessage("Vill du spara loggen?", platform::Answer::Yes);
    w->cmdsparalogg_Click();
    const QString file = path("Schemasync/2024-05-01 14.30.05.schemasync");
    EXPECT_EQ(testutil::readBytes(file), "/x/folder/\r\n/x/file.txt\r\n");
    EXPECT_TRUE(prog().form<frmmain>()->lblstatus2->isVisibleTo(prog().form<frmmain>()));
    w->cmdstäng_Click();

    auto* again = new frmsyncfilermappar;
    again->lblschemasync = "1";
    again->savedListName = "2024-05-01 14.30.05";
    again->List1->addItem("/x/file.txt");
    again->cmdstäng_Click();
    EXPECT_EQ(testutil::readBytes(file), "/x/file.txt\r\n");
    delete again;

    auto* empty = new frmsyncfilermappar;
    empty->lblschemasync = "1";
    empty->savedListName = "2024-05-01 14.30.05";
    bool dropped = false;
    empty->savedListDeleted = [&] { dropped = true; };
    empty->cmdstäng_Click();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(dropped);
    delete empty;
}

// A result window's copy and delete work on the backup folders: each waits for any other operation
// of the program; the copy, which writes backup folders and the run log, also for a run of another
// process of the program folder.
TEST_F(LeftoverWindowTest, CopyAndDeleteAreRefusedWhileOtherWorkGoesOnAndWorkAfterIt) {
    const QDateTime fresh(QDate(2024, 1, 1), QTime(10, 0, 0));
    writeFile(work("källa/a.txt"), "a", fresh);
    writeFile(work("källa/b.txt"), "b", fresh);
    writeFile(work("b/bort.txt"), "bort");
    auto* s = prog().form<frmsimuleradbackup>();
    s->addEntry("+ " + work("källa/a.txt"), "+ " + work("b/a.txt"));
    s->addEntry("+ " + work("källa/b.txt"), "+ " + work("b/b.txt"));
    w->List1->addItem(work("b/bort.txt"));
    struct Case {
        const char* name;
        bool otherProcess; // else another operation of this program
        std::function<void()> act;
        std::function<bool()> done;
    };
    const Case cases[] = {
        {"kopiera markerade", false,
         [&] {
             s->List1->item(0)->setSelected(true);
             s->cmdkopieramarkerad_Click();
         },
         [&] { return QFile::exists(work("b/a.txt")); }},
        {"kopiera alla", true, [&] { s->cmdkopieraalla_Click(); },
         [&] { return QFile::exists(work("b/b.txt")); }},
        {"stäng med resultat", true, [&] { s->cmdstäng_Click(); },
         [&] { return QFile::exists(path("log.txt")); }},
        {"radera alla", false, [&] { w->cmdraderaalla_Click(); },
         [&] { return !QFile::exists(work("b/bort.txt")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<Operation> restore;
        std::unique_ptr<QLockFile> otherRun;
        if (c.otherProcess) {
            otherRun = std::make_unique<QLockFile>(path(OperationGate::runLockFileName()));
            ASSERT_TRUE(otherRun->tryLock(0));
        } else {
            restore.emplace(QStringLiteral("återställning"));
            ASSERT_TRUE(restore->ok());
        }
        const QString why = c.otherProcess ? QStringLiteral("en annan körning pågår")
                                           : QStringLiteral("en annan åtgärd pågår (återställning)");
        dialogs().expectWindow("frmerror", [why](QWidget* win) {
            EXPECT_TRUE(static_cast<frmerror*>(win)->lblfel->toPlainText().contains(why));
        });
        c.act();
        EXPECT_FALSE(c.done());
        restore.reset();
        otherRun.reset();
        c.act();
        EXPECT_TRUE(c.done());
    }
}

// With the replaced files going to the trash: a save landing as the old copy goes is put back and
// kept, and an old copy the trash refuses stays where it is, said as an error, with nothing left
// beside it.
TEST_F(SimulationWindowTest, TheTrashPathKeepsASaveAndAnOldCopyTheTrashRefuses) {
    qputenv("XDG_DATA_HOME", work("xdg").toUtf8());
    testutil::makeDir(work("xdg"));
    prog().form<frmsetup>()->chkpapperskorg_ersatta->setChecked(true);
    for (const char* name : {"c.txt", "d.txt"}) {
        writeFile(work(QStringLiteral("src/") + name), "källa", fresh);
        writeFile(work(QStringLiteral("dst/") + name), "gammal", old);
        w->addEntry(work(QStringLiteral("src/") + name), work(QStringLiteral("dst/") + name));
    }
    platform::setTrashMoveHook([](const QString& path, QString* inTrash) {
        if (path.endsWith("d.txt"))
            return false;
        writeFile(path + ".sparas", "sparad nu");
        EXPECT_EQ(
            ::rename(QFile::encodeName(path + ".sparas").constData(), QFile::encodeName(path).constData()),
            0);
        return QFile::moveToTrash(path, inTrash);
    });
    w->cmdkopieraalla_Click();
    platform::setTrashMoveHook({});
    qunsetenv("XDG_DATA_HOME");

    EXPECT_EQ(testutil::readBytes(work("dst/c.txt")), "sparad nu");
    EXPECT_EQ(testutil::readBytes(work("dst/d.txt")), "gammal");
    EXPECT_EQ(testutil::treeFiles(work("dst")), QStringList({"c.txt", "d.txt"}));
    EXPECT_TRUE(testutil::treeFiles(work("xdg/Trash/files")).isEmpty());
    const QString log = w->txtlogg->toPlainText();
    EXPECT_TRUE(log.contains("FEL: filen kopierades inte, eftersom målfilen ändrades under kopieringen. (" +
                             work("dst/c.txt") + ")"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("FEL: Felkod 75")) << log.toStdString();
    EXPECT_EQ(w->lblantaländrade->text(), "0");
    EXPECT_EQ(w->lblantalskyddade->text(), "0");
    EXPECT_EQ(w->lblantalfel->text(), "2");
}
