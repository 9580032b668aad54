// Mirroring in whole runs: what the copy pass cannot find keeps its backup, the run's own
// folders are never a source, and every error the run counts has its line in log.txt.
#include "flow_support.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "support/mounted.h"

#include <QLabel>
#include <atomic>

namespace {

// The errors log.txt lists: "FEL" lines and the folders under the missing-folders head.
int listedErrors(const QStringList& log) {
    int n = 0;
    bool folders = false; // below the head, until an empty line
    for (const QString& l : log) {
        if (l.startsWith("FEL: Följande mappar"))
            folders = true;
        else if (l.isEmpty())
            folders = false;
        else
            n += folders || l.startsWith("FEL");
    }
    return n;
}

class MirrorKeepsFlow : public FlowTest {
  protected:
    void TearDown() override {
        platform::clearVolumeParents();
        FlowTest::TearDown();
    }
};

// The source became empty or uncertain after a backup: an unplugged disk's mount point (with
// the missing drive an error or ignored), a folder emptied on a present disk (the job rescans,
// so no listed folder is missing), also but for a stray hidden file, and a listed subfolder gone.
TEST_F(MirrorKeepsFlow, AMainFolderWhoseSourceIsGoneOrEmptyKeepsItsWholeBackup) {
    platform::addVolumeParent(work("mnt"));
    struct Case {
        QString source, ignoreDrive, rescan, line;
        int errors;
        QString stray = {}; // a file left in the emptied folder
    };
    const Case cases[] = {
        {work("mnt/usb"), "NEJ", "NEJ", "FEL: Enhet " + work("mnt/usb") + " saknas.", 1},
        {work("mnt/usb2"), "JA", "NEJ", "Enhet " + work("mnt/usb2") + " saknas.", 0},
        {work("Tom"), "NEJ", "JA",
         "FEL: Huvudmappen speglades inte, eftersom den är tom men dess backup innehåller filer: " +
             work("Tom"),
         1},
        {work("Del"), "NEJ", "NEJ",
         "FEL: Huvudmappen speglades inte, eftersom mappar i den saknas: " + work("Del"), 2},
        {work("Strö"), "NEJ", "JA",
         "FEL: Huvudmappen speglades inte, eftersom den är tom men dess backup innehåller filer: " +
             work("Strö"),
         1, ".directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        src_ = c.source;
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        testutil::writeFile(src_ + "/sub/b.txt", "b", old_);
        testutil::JobSpec j = job("Jobb");
        j.options[0] = c.rescan;
        j.options[4] = c.ignoreDrive;
        testutil::writeJob(path("Listor"), j);
        run("Jobb", false);
        const auto backup = snapshot(dst_);
        ASSERT_TRUE(backup.contains(src_.mid(1) + "/sub/b.txt"));
        QDir(src_ + "/sub").removeRecursively();
        QFile::remove(src_ + "/a.txt");
        auto expected = backup;
        if (!c.stray.isEmpty()) {
            testutil::writeFile(src_ + '/' + c.stray, "", old_);
            expected[src_.mid(1) + '/' + c.stray] = {"", testutil::mtimeOf(src_ + '/' + c.stray)};
        }

        frmutförbackup* w = run("Jobb", true);
        EXPECT_EQ(snapshot(dst_), expected) << logText().toStdString();
        EXPECT_TRUE(log().contains(c.line)) << logText().toStdString();
        EXPECT_EQ(w->lblantalfel->text().toInt(), c.errors);
        EXPECT_EQ(listedErrors(log()), c.errors);
        EXPECT_EQ(log().last(), c.errors ? "  Backup slutfördes med fel!" : "  Backup slutfördes utan fel.");
    }
}

// The backup folder and the version folder lie inside the source, which the job rescans, so both
// are in its folder list at every run; an earlier run left a copy of the backup inside itself.
TEST_F(MirrorKeepsFlow, TheBackupAndVersionFoldersInsideTheSourceAreNeverCopied) {
    src_ = work("Hem");
    dst_ = src_ + "/Backup";
    const QString versions = src_ + "/Versioner";
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(versions + "/gammal.txt", "v", old_);
    testutil::writeFile(target("Backup/tidigare.txt"), "nested", old_);
    testutil::JobSpec j = job("Jobb");
    // The backup folder itself is no folder of the list (a scan leaves it out); the copies in it are.
    j.folders.removeAll(dst_);
    j.options[0] = "JA";
    j.versioning = {"JA", "", "", "2", versions};
    testutil::writeJob(path("Listor"), j);
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(run("Jobb", true)->runHadErrors()) << logText().toStdString();
    EXPECT_EQ(testutil::treeFiles(dst_), QStringList({src_.mid(1) + "/a.txt"}));
    EXPECT_EQ(testutil::readBytes(versions + "/gammal.txt"), QByteArray("v"));
}

// A drive mounted at a target folder is the user's: the mirror deletes nothing on it, the copy
// writes nothing into it, and the run names it once and ends with an error.
TEST_F(MirrorKeepsFlow, ADriveMountedAtATargetFolderIsNeitherMirroredNorWrittenInto) {
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/usb/s2.txt", "newer at the source", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    testutil::makeDir(target("usb"));
    testutil::Mounted usb(target("usb"));
    testutil::writeFile(target("usb/s2.txt"), "the user's", old_.addSecs(-3600));
    testutil::writeFile(target("usb/b.jpg"), "the user's", old_);
    const auto before = snapshot(target("usb"));

    frmutförbackup* w = run("Jobb", true);
    EXPECT_EQ(snapshot(target("usb")), before);
    EXPECT_EQ(testutil::readBytes(target("a.txt")), "a");
    EXPECT_EQ(log().count("FEL: " + target("usb") + " är en annan enhet och lämnades orörd"), 1)
        << logText().toStdString();
    EXPECT_EQ(w->lblantalfel->text().toInt(), 1);
    EXPECT_EQ(log().last(), "  Backup slutfördes med fel!");
}

// The second job's backup folder is replaced by a link to the home folder while the first job
// copies: that job's mirror deletes nothing, and says why.
TEST_F(MirrorKeepsFlow, ABackupFolderReplacedSinceTheRunStartedIsNotMirrored) {
    const QString home = work("Hem");
    const QString src2 = work("Källa2"), dst2 = work("Backup2");
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src2 + "/b.txt", "b", old_);
    testutil::writeFile(home + src2 + "/notes.txt", "the user's", old_);
    testutil::makeDir(dst2);
    testutil::writeJob(path("Listor"), job("A-jobb"));
    testutil::writeJob(path("Listor"), testutil::jobOver("B-jobb", src2, dst2));
    frmutförbackup* w = openBackupWindow("B-jobb");
    w->List1->item(prog().form<frmmain>()->comboinställningar->findText("A-jobb"))->setSelected(true);
    w->chksync->setChecked(true);
    dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
    dialogs().expectWindow("frmklarbackup");
    std::atomic<bool> swapped = false;
    platform::setCopyHook([&](const QString&, const QString&) {
        if (!swapped.exchange(true)) {
            QDir(dst2).removeRecursively();
            QFile::link(home, dst2);
        }
    });
    w->cmdkörbackup2->click();
    platform::setCopyHook({});

    ASSERT_TRUE(swapped);
    EXPECT_EQ(testutil::readBytes(home + src2 + "/notes.txt"), "the user's");
    EXPECT_FALSE(QFile::exists(home + src2 + "/b.txt"));
    EXPECT_TRUE(log().contains("FEL: Backupmappen är inte längre samma mapp som när körningen startade, och "
                               "jobbet kördes inte: " +
                               dst2))
        << logText().toStdString();
    EXPECT_GE(w->lblantalfel->text().toInt(), 1);
    EXPECT_EQ(log().last(), "  Backup slutfördes med fel!");
}

} // namespace
