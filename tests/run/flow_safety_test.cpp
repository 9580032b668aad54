// What a user relies on around a real run: programs that hold files are ended before the copy
// and started again after it, the source is never written, and a failed copy never leaves a
// damaged or half-written backup.
#include "flow_support.h"
#include "run/copy_engine.h"

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/run_lock.h"
#include "run/leftover_window.h"
#include "run/result_dialogs.h"
#include "run/simulation_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <csignal>

namespace {

// Alive: the process exists and is not a zombie waiting to be reaped.
bool alive(qint64 pid) {
    const QByteArray stat = testutil::readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close > 0 && close + 2 < stat.size() && stat.at(close + 2) != 'Z';
}

class ProgramsFlow : public FlowTest {
  protected:
    void TearDown() override {
        if (pid_ > 0 && alive(pid_))
            ::kill(pid_t(pid_), SIGKILL);
        FlowTest::TearDown();
    }
    qint64 pid_ = 0;
};

TEST_F(ProgramsFlow, AProgramOnTheCloseListEndsBeforeTheCopyAndTheStartListRunsAfterIt) {
    // A program of our own under a name nothing else on the machine has.
    const QString name = QStringLiteral("tamrelflow%1").arg(QCoreApplication::applicationPid());
    const QString exe = work(name);
    ASSERT_TRUE(QFile::copy("/bin/sleep", exe));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    ASSERT_TRUE(QProcess::startDetached(exe, {"600"}, QString(), &pid_));
    for (int i = 0; i < 500 && testutil::readBytes(QStringLiteral("/proc/%1/comm").arg(pid_)) != name + '\n';
         ++i)
        QThread::msleep(10);
    ASSERT_TRUE(alive(pid_));

    testutil::writeFile(src_ + "/dok.txt", "text", old_);
    testutil::JobSpec j = job("Jobb");
    const QString after = work("efter program/visa.sh");
    j.programs = {name, '"' + after + '"'};
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = openBackupWindow("Jobb");

    dialogs().expectStartProgram('"' + after + '"');
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();

    EXPECT_FALSE(alive(pid_));
    EXPECT_EQ(testutil::readBytes(target("dok.txt")), QByteArray("text"));
    const QStringList l = log();
    const qsizetype closed = l.indexOf("Stängde 1 instans(er) av programmet " + name);
    const qsizetype copied = l.indexOf("+ " + target("dok.txt"));
    const qsizetype counted = l.indexOf("1 kopierad fil");
    const qsizetype started = l.indexOf("Startade filen \"" + after + '"');
    ASSERT_GE(closed, 0) << logText().toStdString();
    EXPECT_LT(closed, copied);
    EXPECT_LT(copied, counted);
    EXPECT_GT(started, counted);
    EXPECT_LT(started, l.indexOf("Spegling: NEJ"));
    const QString windowLog = w->txtloggtext->toPlainText();
    EXPECT_TRUE(windowLog.contains(" Stängde 1 instans(er) av programmet " + name))
        << windowLog.toStdString();
    EXPECT_TRUE(windowLog.contains(" Startade filen \"" + after + '"'));
}

class SafetyFlow : public FlowTest {};

// A disk that fills up in the middle of a copy, and one that is full from the start.
TEST_F(SafetyFlow, AFullDiskLeavesTheOldCopyWholeNoTemporaryFileAndAnUntouchedSource) {
    testutil::writeFile(src_ + "/a.txt", "nytt a", old_);
    testutil::writeFile(src_ + "/b/c.txt", QByteArray(300000, 'c'), old_);
    testutil::writeFile(src_ + "/.d", "nytt d", old_);
    testutil::JobSpec j = job("Jobb");
    testutil::writeJob(path("Listor"), j);
    testutil::writeFile(target("b/c.txt"), "gammalt c", old_.addDays(-1));
    const auto source = snapshot(src_);

    for (const QString& fault : {target("b/c.txt") + "#write", target("b/c.txt")}) {
        SCOPED_TRACE(fault.toStdString());
        const auto backup = snapshot(dst_);
        platform::injectFault(fault, ENOSPC);
        frmutförbackup* w = openBackupWindow("Jobb");
        dialogs().expectWindow("frmerror");
        dialogs().expectWindow("frmklarbackup", [](QWidget* win) {
            auto* k = static_cast<frmklarbackup*>(win);
            EXPECT_FALSE(k->imgerr->isHidden());
            EXPECT_TRUE(k->lblinfo->text().startsWith("Backup avbröts.")) << k->lblinfo->text().toStdString();
        });
        w->cmdkörbackup->click();
        platform::clearFaults();

        EXPECT_TRUE(w->runHadErrors());
        EXPECT_EQ(testutil::readBytes(target("b/c.txt")), QByteArray("gammalt c"));
        EXPECT_EQ(snapshot(dst_)[src_.mid(1) + "/b/c.txt"], backup[src_.mid(1) + "/b/c.txt"]);
        for (const QString& f : testutil::treeFiles(dst_))
            EXPECT_FALSE(f.contains(".tamrel-")) << f.toStdString();
        EXPECT_EQ(snapshot(src_), source);
        const QStringList l = log();
        EXPECT_TRUE(
            l.contains("FEL: Körningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!"))
            << logText().toStdString();
        // A full disk is reported as such, never as a cancel by the user.
        EXPECT_EQ(l.last(),
                  "  Backupkörningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!");
        EXPECT_FALSE(l.contains("  " + target("b/c.txt")));
        EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    }

    // With room again the next run completes the backup, keeping the old copy as a version.
    j.versioning = {"JA", "", "", "2", work("Versioner")};
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = openBackupWindow("Jobb");
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    EXPECT_FALSE(w->runHadErrors()) << logText().toStdString();
    EXPECT_EQ(snapshot(src_), source);
    for (const QString& rel : {QString("a.txt"), QString("b/c.txt"), QString(".d")}) {
        EXPECT_EQ(testutil::readBytes(target(rel)), testutil::readBytes(src_ + '/' + rel))
            << rel.toStdString();
        EXPECT_EQ(testutil::mtimeOf(target(rel)), old_.toSecsSinceEpoch());
    }
    const QStringList versions = testutil::treeFiles(work("Versioner"));
    ASSERT_EQ(versions.size(), 1) << versions.join('\n').toStdString();
    EXPECT_EQ(testutil::readBytes(work("Versioner/") + versions.at(0)), QByteArray("gammalt c"));
}

} // namespace

namespace {

// The source lies on a disk that has been unplugged: its mount folder is left empty. Mirroring
// must take that for a disk that is not there, never for a source whose files were all deleted.
class UnpluggedSource : public FlowTest {
  protected:
    void SetUp() override {
        FlowTest::SetUp();
        platform::addVolumeParent(work("mnt"));
        src_ = work("mnt/usb/Dokument");
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
    }
    void TearDown() override {
        platform::clearVolumeParents();
        FlowTest::TearDown();
    }
};

TEST_F(UnpluggedSource, AMirrorRunDeletesNothingFromTheBackup) {
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    ASSERT_EQ(testutil::readBytes(target("sub/b.txt")), QByteArray("b")) << logText().toStdString();
    const auto backup = snapshot(dst_);

    QDir(work("mnt/usb/Dokument")).removeRecursively(); // only the empty mount folder is left
    w = openBackupWindow("Jobb");
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla din backup utan att simulera speglingen.",
                            platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup2->click();

    EXPECT_EQ(snapshot(dst_), backup);
    EXPECT_TRUE(QFileInfo(target("sub")).isDir());
    const QStringList l = log();
    for (const QString& line : l)
        EXPECT_FALSE(line.startsWith("- Raderad")) << line.toStdString();
    EXPECT_TRUE(l.contains("FEL: Enhet " + work("mnt/usb") + " saknas.")) << logText().toStdString();
    EXPECT_EQ(l.last(), "  Backup slutfördes med fel!");
    EXPECT_TRUE(w->runHadErrors());
}

} // namespace

namespace {

// An empty line of a job's folder lists names no folder: never the root, never the working folder.
TEST_F(SafetyFlow, EmptyLinesOfTheFolderListsNameNoFolderAndAreReportedOnce) {
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/under/b.txt", "b", old_);
    testutil::writeFile(work("arbetsmapp/c.txt"), "c", old_);
    testutil::JobSpec j = job("Jobb");
    j.folders.insert(1, QString());
    j.folders << "  " << QString();
    j.mainFolders << QString();
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = openBackupWindow("Jobb");
    dialogs().expectWindow("frmklarbackup");
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(work("arbetsmapp"));
    w->cmdkörbackup->click();
    QDir::setCurrent(cwd);

    EXPECT_FALSE(w->runHadErrors()) << logText().toStdString();
    EXPECT_EQ(testutil::treeFiles(dst_), QStringList({src_.mid(1) + "/a.txt", src_.mid(1) + "/under/b.txt"}));
    EXPECT_EQ(prog().systemLog().text().count("Tomma rader i jobbets mapplistor hoppades över (Jobb: Jobb)"),
              1);
}

// What a killed copy of the program left in a source folder (a restore writes into the sources) is
// no file of the user's: passed over, and named. A user's file that is only named alike is backed up.
TEST_F(SafetyFlow, TheProgramsLeftoverTemporaryFileInASourceFolderIsNamedButNeitherCopiedNorCounted) {
    const QString leftover = platform::temporaryName("rapport.txt");
    const QString users = ".tamrel-rapport.abc123";
    testutil::writeFile(src_ + "/rapport.txt", "rapport", old_);
    testutil::writeFile(src_ + '/' + leftover, "halv kopia", old_);
    testutil::writeFile(src_ + '/' + users, "användarens", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();

    EXPECT_EQ(testutil::treeFiles(dst_),
              QStringList({src_.mid(1) + '/' + users, src_.mid(1) + "/rapport.txt"}));
    EXPECT_TRUE(log().contains("  2 filer genomsöktes totalt.")) << logText().toStdString();
    EXPECT_TRUE(log().contains("- Programmets temporära fil hoppades över: " + src_ + '/' + leftover))
        << logText().toStdString();
    EXPECT_TRUE(QFile::exists(src_ + '/' + leftover));
}

TEST_F(SafetyFlow, CancellingDuringTheCopyLeavesOnlyWholeCopies) {
    const int count = 1500;
    for (int i = 0; i < count; ++i)
        testutil::writeFile(src_ + QStringLiteral("/m/f%1.txt").arg(i), QByteArray(2000 + i, 'x'), old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    // The user presses "Avbryt" once the copy is under way, and answers Yes. (The window shows the
    // progress only a few times a second, which a fast copy may outrun.)
    QTimer t;
    bool pressed = false;
    QObject::connect(&t, &QTimer::timeout, [&] {
        if (!pressed && w->engine().genomsökta_totalt > 0 && !w->cmdkörbackup->isEnabled()) {
            pressed = true;
            w->cmdavbryt->click();
        }
    });
    t.start(0);
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    t.stop();

    ASSERT_TRUE(pressed);
    const QStringList copied = testutil::treeFiles(dst_);
    EXPECT_LT(copied.size(), count);
    for (const QString& rel : copied) {
        const QString source = '/' + rel;
        ASSERT_EQ(testutil::readBytes(dst_ + '/' + rel), testutil::readBytes(source)) << rel.toStdString();
        EXPECT_EQ(testutil::mtimeOf(dst_ + '/' + rel), old_.toSecsSinceEpoch());
    }
    const QStringList l = log();
    EXPECT_EQ(l.last(), "  Backupkörningen avbröts av användaren!");
    EXPECT_FALSE(l.contains(QStringLiteral("%1 kopierade filer").arg(copied.size())))
        << "a cancelled job gets no count line";
    EXPECT_TRUE(w->cmdkörbackup->isEnabled());
    EXPECT_FALSE(w->runGoingOn());
}

} // namespace

namespace {

// A backup folder that is the top of a disk holds the disk's own trash and lost+found. A mirror
// never takes them for leftovers: emptying them would destroy what the user meant to keep.
class BackupOnDiskTop : public FlowTest {
  protected:
    void SetUp() override {
        FlowTest::SetUp();
        platform::addVolumeParent(work("mnt"));
        dst_ = work("mnt/usb");
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        // The disk holds the job's backup from an earlier run, and a file the source no longer has.
        testutil::writeFile(dst_ + "/a.txt", "a", old_);
        testutil::writeFile(dst_ + "/bort.txt", "bort", old_);
        testutil::writeFile(dst_ + "/.Trash-0/files/slängd.txt", "slängd", old_);
        testutil::writeFile(dst_ + "/.Trash-0/info/slängd.txt.trashinfo", "[Trash Info]", old_);
        testutil::writeFile(dst_ + "/.Trash/1000/files/x.txt", "x", old_);
        testutil::writeFile(dst_ + "/lost+found/#123", "räddad", old_);
    }
    void TearDown() override {
        platform::clearVolumeParents();
        FlowTest::TearDown();
    }
};

TEST_F(BackupOnDiskTop, MirroringLeavesTheDisksTrashAndLostFoundAlone) {
    testutil::JobSpec j = job("Jobb");
    j.options = {"NEJ", "NEJ", "1", "NEJ", "NEJ"};
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup2->click();

    EXPECT_EQ(testutil::treeFiles(dst_),
              QStringList({".Trash-0/files/slängd.txt", ".Trash-0/info/slängd.txt.trashinfo",
                           ".Trash/1000/files/x.txt", "a.txt", "lost+found/#123"}))
        << logText().toStdString();
    EXPECT_FALSE(w->runHadErrors()) << logText().toStdString();
}

} // namespace

namespace {

// A backup folder is the program's own: a mirror deletes there what the source lacks. One that
// holds the user's other files is refused before anything is copied or deleted.
TEST_F(SafetyFlow, AJobWhoseBackupFolderHoldsMoreThanItsBackupIsNotRun) {
    struct Case {
        const char* name;
        QString backup, source, root, home;
        QString why;
        bool linkIntoBackup = false;  // the source is a link to a folder in the backup folder
        bool absoluteOutside = false; // an absolute job whose list holds a folder outside its main folder
    };
    const QString top = work("topp");
    const std::vector<Case> cases = {
        {"the home folder", top, top + "/Dokument", {}, top, "backupmappen är hemmappen"},
        {"the folder above the source", top, top + "/Foton", {}, {}, "backupmappen är källmappen"},
        {"the root", top, work("data/src"), top, {}, "backupmappen är rotmappen"},
        {"a main folder that is a link into it",
         top,
         work("länk"),
         {},
         {},
         "backupmappen är källmappen",
         true},
        {"an absolute job with a folder outside its main folder",
         work("bk"),
         work("data/src"),
         {},
         {},
         "mappen " + work("annan") + " ligger utanför huvudmappen",
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(work("")).removeRecursively();
        if (c.linkIntoBackup) {
            testutil::makeDir(top + "/Dokument");
            QFile::link(top + "/Dokument", c.source);
        }
        testutil::writeFile(top + "/viktigt.txt", "viktigt", old_);
        testutil::writeFile(top + "/Bilder/bild.jpg", "bild", old_);
        testutil::writeFile(c.source + "/a.txt", "a", old_);
        platform::standInSystemFolders(c.root, c.home);
        src_ = c.source;
        dst_ = c.backup;
        testutil::JobSpec j = job("Jobb");
        if (c.absoluteOutside) {
            testutil::writeFile(work("annan/x.txt"), "x", old_);
            j.options[2] = "1";
            j.folders << work("annan");
        }
        testutil::writeJob(path("Listor"), j);
        const auto before = snapshot(work(""));

        frmutförbackup* w = openBackupWindow("Jobb");
        w->chksync->setChecked(true);
        dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
        dialogs().expectWindow("frmerror", [&](QWidget* win) {
            EXPECT_TRUE(win->findChild<QPlainTextEdit*>("lblfel")->toPlainText().contains(
                QStringLiteral("FEL! Jobbet Jobb körs inte, eftersom ") + c.why));
            // The box waits for the person only once the run has let go of the program's files.
            EXPECT_FALSE(prog().operations().busy());
            platform::FolderLock other(programDir_.path(), OperationGate::runLockFileName());
            EXPECT_EQ(other.tryTake(), platform::FolderLock::Result::Taken);
        });
        dialogs().expectWindow("frmerror");
        w->cmdkörbackup2->click();

        EXPECT_EQ(snapshot(work("")), before) << logText().toStdString();
        EXPECT_TRUE(logText().contains(QStringLiteral("FEL: Jobbet ''Jobb'' kördes inte, eftersom ") + c.why))
            << logText().toStdString();
        EXPECT_TRUE(w->runHadErrors());
        platform::clearSystemFolderStandIns();
    }
}

} // namespace

namespace {

// A folder of the backup replaced by a link to the user's own folder: the run wrote its copy over
// the user's different file there. The link is removed as a link and a real folder takes its place.
TEST_F(SafetyFlow, NothingIsWrittenOrDeletedThroughALinkInsideTheBackupFolder) {
    testutil::writeFile(src_ + "/inner/s2.txt", "källans", old_.addDays(1));
    const QString user = work("Bilder");
    testutil::writeFile(user + "/s2.txt", "användarens", old_);
    testutil::writeFile(user + "/egen.jpg", "egen", old_);
    testutil::makeDir(platform::parentPath(target("inner")));
    QFile::link(user, target("inner"));
    testutil::writeJob(path("Listor"), job("Jobb"));
    const auto before = snapshot(user);

    frmutförbackup* w = openBackupWindow("Jobb");
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup2->click();

    EXPECT_EQ(snapshot(user), before) << logText().toStdString();
    EXPECT_FALSE(QFileInfo(target("inner")).isSymLink());
    EXPECT_EQ(testutil::readBytes(target("inner/s2.txt")), QByteArray("källans")) << logText().toStdString();
}

// The folders the run makes or enters below the backup folder that no folder of the list names:
// the version folder, a folder on the way to a deeper folder of a hand-written list, and the copy
// of a main folder that a simulated backup leaves to the mirror. Replaced by a link to the user's
// own folder, each was written, pruned or mirrored through.
TEST_F(SafetyFlow, NoFolderTheRunMakesBelowTheBackupFolderIsEnteredThroughALink) {
    const QString user = work("Bilder");
    struct Case {
        const char* name;
        QString link;     // replaced by a link to `user`
        QString userFile; // the user's own file, reached through the link (relative to `user`)
        bool simulated = false;
        bool mirrored = false;
    };
    const std::vector<Case> cases = {
        {"the version folder", dst_ + "/Versioner", src_ + "/inner/deep/s3[2020-01-01 00;00;00].txt"},
        {"a folder between the list's folders", target("inner"), "deep/s3.txt"},
        {"the main folder's copy, mirrored after a simulated backup", dst_ + src_, "egen.jpg", true, true},
        {"a folder the simulation window copies into", target("inner"), "deep/s3.txt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(work("")).removeRecursively();
        testutil::writeFile(src_ + "/inner/deep/s3.txt", "källans", old_.addDays(1));
        testutil::writeFile(user + '/' + c.userFile, "användarens", old_);
        testutil::makeDir(platform::parentPath(c.link));
        QFile::link(user, c.link);
        if (c.link == dst_ + "/Versioner")
            testutil::writeFile(target("inner/deep/s3.txt"), "gammal", old_);
        testutil::JobSpec j = job("Jobb");
        j.folders = {src_, src_ + "/inner/deep"};
        j.versioning = {"JA", "", "", "1", dst_ + "/Versioner"};
        testutil::writeJob(path("Listor"), j);
        const auto before = snapshot(user);

        frmutförbackup* w = openBackupWindow("Jobb");
        w->chkbackupsimulera->setChecked(c.simulated);
        w->chksync->setChecked(c.mirrored);
        if (c.mirrored) {
            dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
            dialogs().expectWindow("frmsimuleradbackup");
        } else if (c.simulated) {
            dialogs().expectWindow("frmsimuleradbackup", [](QWidget* s) {
                static_cast<frmsimuleradbackup*>(s)->cmdkopieraalla_Click();
            });
        }
        dialogs().expectWindow("frmklarbackup");
        (c.mirrored ? w->cmdkörbackup2 : w->cmdkörbackup)->click();

        EXPECT_EQ(snapshot(user), before) << logText().toStdString();
        if (c.mirrored)
            continue; // nothing is written, the link stays
        EXPECT_FALSE(QFileInfo(c.link).isSymLink());
        EXPECT_EQ(testutil::readBytes(target("inner/deep/s3.txt")), QByteArray("källans"));
    }
}

// The other way round: a backup folder kept inside the source still has its leftovers mirrored.
TEST_F(SafetyFlow, ABackupFolderInsideTheSourceIsStillMirrored) {
    src_ = work("Hem");
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
    testutil::JobSpec j = job("Jobb");
    dst_ = src_ + "/Backup";
    j.backupFolder = dst_;
    testutil::writeJob(path("Listor"), j);
    testutil::writeFile(target("gammal.txt"), "kvarglömd", old_);
    testutil::writeFile(target("borta/c.txt"), "c", old_);

    frmutförbackup* w = openBackupWindow("Jobb");
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup2->click();

    EXPECT_EQ(testutil::treeFiles(dst_), QStringList({src_.mid(1) + "/a.txt", src_.mid(1) + "/sub/b.txt"}))
        << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(src_ + "/a.txt"), QByteArray("a"));
    EXPECT_EQ(testutil::readBytes(src_ + "/sub/b.txt"), QByteArray("b"));
    EXPECT_FALSE(w->runHadErrors()) << logText().toStdString();
}

} // namespace

namespace {

// A folder whose path is longer than the system lets a program open still exists: the log says
// why it was not copied instead of sending the user after a lost folder.
TEST_F(SafetyFlow, AFolderWhosePathIsTooLongIsReportedAsSuch) {
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    const QString piece(200, QLatin1Char('m'));
    QString deep = src_;
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(src_);
    while (deep.toUtf8().size() <= 4256) {
        QDir().mkdir(piece);
        QDir::setCurrent(piece); // relative steps reach where the whole path cannot
        deep += '/' + piece;
    }
    QDir::setCurrent(cwd);
    testutil::JobSpec j = job("Jobb");
    j.folders << deep;
    testutil::writeJob(path("Listor"), j);
    frmutförbackup* w = openBackupWindow("Jobb");
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();

    EXPECT_TRUE(logText().contains("FEL: mappens sökväg är längre än systemet tillåter. (Jobb: Jobb)"))
        << logText().toStdString();
    EXPECT_FALSE(logText().contains("inte existerar")) << logText().toStdString();
    EXPECT_TRUE(w->runHadErrors());
    EXPECT_EQ(testutil::readBytes(target("a.txt")), QByteArray("a"));
    QProcess::execute("rm", {"-rf", src_ + '/' + piece}); // Qt cannot remove what it cannot open
}

// Below a folder that may not be read, a subfolder cannot be opened nor looked at (as root the
// fault hook stands in for the missing right): it is not known to be gone, and the log says so.
TEST_F(SafetyFlow, AFolderBelowOneThatCannotBeReadIsReportedAsUnreachable) {
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/låst/inre/b.txt", "b", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    platform::injectFault(src_ + "/låst/inre", EACCES);
    frmutförbackup* w = openBackupWindow("Jobb");
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();

    EXPECT_TRUE(logText().contains("FEL: Felkod 70 Åtkomst nekad (Jobb: Jobb)\nFrån: " + src_ + "/låst/inre"))
        << logText().toStdString();
    EXPECT_FALSE(logText().contains("inte existerar")) << logText().toStdString();
    EXPECT_TRUE(w->runHadErrors());
    EXPECT_EQ(testutil::readBytes(target("a.txt")), QByteArray("a"));
}

// A folder that can be listed but not entered (mode 644; the fault hook stands in for it): neither
// its files' status nor its folders can be read. Each is said once, whether the structure refresh
// met it first or not, counted, and the run ends with errors; the rest is backed up.
TEST_F(SafetyFlow, WhatAFolderThatCannotBeEnteredHoldsIsSaidOnceAndTheRunEndsWithErrors) {
    for (const QString rescan : {"NEJ", "JA"}) {
        SCOPED_TRACE(rescan.toStdString());
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        testutil::writeFile(src_ + "/Projekt/rapport.txt", "r", old_);
        testutil::writeFile(src_ + "/Projekt/Inre/b.txt", "b", old_);
        testutil::JobSpec j = job("Jobb");
        j.options[0] = rescan;
        testutil::writeJob(path("Listor"), j);
        platform::injectFault(src_ + "/Projekt#enter", EACCES);
        frmutförbackup* w = openBackupWindow("Jobb");
        dialogs().expectWindow("frmklarbackup");
        w->cmdkörbackup->click();

        const QString text = logText();
        for (const QString& unread : {src_ + "/Projekt/rapport.txt", src_ + "/Projekt/Inre"}) {
            EXPECT_TRUE(text.contains("FEL: Felkod 70 Åtkomst nekad (Jobb: Jobb)\nFrån: " + unread))
                << text.toStdString();
            EXPECT_EQ(text.count("Från: " + unread + '\n'), 1) << text.toStdString();
        }
        EXPECT_FALSE(text.contains("utan fel")) << text.toStdString();
        EXPECT_TRUE(w->runHadErrors());
        EXPECT_EQ(testutil::readBytes(target("a.txt")), QByteArray("a"));
        platform::clearFaults();
    }
}

} // namespace
