// Mirroring in whole runs: what the copy pass cannot find keeps its backup, the run's own
// folders are never a source, and every error the run counts has its line in log.txt.
#include "flow_support.h"

#include "platform/paths.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace {

// The errors log.txt lists: "FEL" lines, the folders under the missing-folders head (which is
// their heading, not an error of its own) and the mirror's own failure lines.
int listedErrors(const QStringList& log) {
    const QString head =
        "FEL: Följande mappar (inkl. undermappar) kunde inte kopieras eftersom de inte existerar:";
    int n = 0;
    for (qsizetype i = 0; i < log.size(); ++i) {
        if (log[i] == head) {
            while (i + 1 < log.size() && !log[i + 1].isEmpty()) {
                ++n;
                ++i;
            }
        } else if (log[i].startsWith("FEL") || log[i].startsWith("Fel under spegling") ||
                   log[i].startsWith("! Mappen")) {
            ++n;
        }
    }
    return n;
}

class MirrorKeepsFlow : public FlowTest {
  protected:
    void TearDown() override {
        platform::clearVolumeParents();
        FlowTest::TearDown();
    }
    frmutförbackup* plainRun(const QString& name) {
        frmutförbackup* w = openBackupWindow(name);
        dialogs().expectWindow("frmklarbackup");
        w->cmdkörbackup->click();
        return w;
    }
    // A mirrored run, the warning answered as a user answers it.
    frmutförbackup* mirrorRun(const QString& name) {
        frmutförbackup* w = openBackupWindow(name);
        w->chksync->setChecked(true);
        dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
        dialogs().expectWindow("frmklarbackup");
        w->cmdkörbackup2->click();
        return w;
    }
    void expectCountMatchesLog(frmutförbackup* w) {
        EXPECT_EQ(w->lblantalfel->text().toInt(), listedErrors(log())) << logText().toStdString();
    }
};

// The main folder is the mount point of a disk that is not plugged in: it exists, but is empty.
TEST_F(MirrorKeepsFlow, AnUnmountedMountPointKeepsItsBackupAndIsReportedAsTheMissingDrive) {
    platform::addVolumeParent(work("mnt"));
    src_ = work("mnt/usb");
    for (const QString ignore : {"NEJ", "JA"}) {
        SCOPED_TRACE(ignore.toStdString());
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
        testutil::JobSpec j = job("Jobb");
        j.options[4] = ignore;
        testutil::writeJob(path("Listor"), j);
        plainRun("Jobb");
        ASSERT_EQ(testutil::readBytes(target("sub/b.txt")), QByteArray("b")) << logText().toStdString();
        const auto backup = snapshot(dst_);

        QDir(src_ + "/sub").removeRecursively();
        QFile::remove(src_ + "/a.txt");
        frmutförbackup* w = mirrorRun("Jobb");

        EXPECT_EQ(snapshot(dst_), backup) << logText().toStdString();
        const QStringList l = log();
        if (ignore == "NEJ") {
            EXPECT_TRUE(l.contains("FEL: Enhet " + src_ + " saknas.")) << logText().toStdString();
            EXPECT_EQ(l.last(), "  Backup slutfördes med fel!");
        } else {
            EXPECT_TRUE(l.contains("Enhet " + src_ + " saknas.")) << logText().toStdString();
            EXPECT_EQ(l.last(), "  Backup slutfördes utan fel.") << logText().toStdString();
        }
        expectCountMatchesLog(w);
    }
}

// The main folder lies on a present disk, but all it held is gone. The job rescans its folders,
// so no folder of its list is missing.
TEST_F(MirrorKeepsFlow, AnEmptiedMainFolderKeepsItsBackup) {
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
    testutil::JobSpec j = job("Jobb");
    j.options[0] = "JA";
    testutil::writeJob(path("Listor"), j);
    plainRun("Jobb");
    const auto backup = snapshot(dst_);
    QDir(src_ + "/sub").removeRecursively();
    QFile::remove(src_ + "/a.txt");

    frmutförbackup* w = mirrorRun("Jobb");
    EXPECT_EQ(snapshot(dst_), backup) << logText().toStdString();
    const QStringList l = log();
    const qsizetype at = l.indexOf(
        "FEL: Huvudmappen speglades inte, eftersom den är tom men dess backup innehåller filer: " + src_);
    ASSERT_GE(at, 0) << logText().toStdString();
    EXPECT_EQ(l.at(at + 1), "Inget raderades i: " + dst_ + src_);
    EXPECT_EQ(l.last(), "  Backup slutfördes med fel!");
    EXPECT_EQ(w->lblantalfel->text(), "1");
    expectCountMatchesLog(w);
    EXPECT_TRUE(w->txtloggtext->toPlainText().contains(
        " FEL! Huvudmappen speglades inte, eftersom den är tom men dess backup innehåller filer: " + src_));
}

// A folder of the job's list is gone: its main folder keeps everything, another main folder of
// the same job is mirrored as usual.
TEST_F(MirrorKeepsFlow, AMissingFolderKeepsItsMainFoldersBackupOnly) {
    const QString other = work("Annan");
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
    testutil::writeFile(other + "/kvar.txt", "k", old_);
    testutil::JobSpec j = job("Jobb");
    j.mainFolders << other;
    j.folders << other;
    testutil::writeJob(path("Listor"), j);
    plainRun("Jobb");
    testutil::writeFile(dst_ + other + "/bort.txt", "leftover", old_);
    QDir(src_ + "/sub").removeRecursively();
    QFile::remove(src_ + "/a.txt");

    frmutförbackup* w = mirrorRun("Jobb");
    EXPECT_EQ(testutil::readBytes(target("a.txt")), QByteArray("a"));
    EXPECT_EQ(testutil::readBytes(target("sub/b.txt")), QByteArray("b"));
    EXPECT_FALSE(QFile::exists(dst_ + other + "/bort.txt"));
    EXPECT_TRUE(QFile::exists(dst_ + other + "/kvar.txt"));
    const QStringList l = log();
    EXPECT_TRUE(l.contains("FEL: Huvudmappen speglades inte, eftersom mappar i den saknas: " + src_))
        << logText().toStdString();
    EXPECT_TRUE(l.contains(src_ + "/sub"));
    EXPECT_EQ(w->lblantalfel->text(), "2");
    expectCountMatchesLog(w);
}

// The backup folder and the version folder lie inside the source and the job rescans its folders,
// so both are in its folder list at every run.
TEST_F(MirrorKeepsFlow, TheBackupAndVersionFoldersInsideTheSourceAreNeverCopied) {
    src_ = work("Hem");
    dst_ = src_ + "/Backup";
    const QString versions = src_ + "/Versioner";
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
    testutil::writeFile(versions + "/gammal.txt", "v", old_);
    testutil::makeDir(dst_);
    // A copy of the backup folder inside itself, as an earlier run made it.
    testutil::writeFile(target("Backup/tidigare.txt"), "nested", old_);
    testutil::JobSpec j = job("Jobb");
    j.options[0] = "JA";
    j.versioning = {"JA", "", "", "2", versions};
    testutil::writeJob(path("Listor"), j);

    for (int run = 0; run < 2; ++run) {
        frmutförbackup* w = mirrorRun("Jobb");
        EXPECT_FALSE(w->runHadErrors()) << logText().toStdString();
    }
    EXPECT_EQ(testutil::treeFiles(dst_), QStringList({src_.mid(1) + "/a.txt", src_.mid(1) + "/sub/b.txt"}))
        << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(versions + "/gammal.txt"), QByteArray("v"));
}

} // namespace
