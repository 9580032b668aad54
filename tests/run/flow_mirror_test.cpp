// Mirroring in whole runs: what the copy pass cannot find keeps its backup, the run's own
// folders are never a source, and every error the run counts has its line in log.txt.
#include "flow_support.h"

#include "platform/paths.h"

#include <QLabel>

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
    frmutförbackup* run(const QString& name, bool mirror) {
        frmutförbackup* w = openBackupWindow(name);
        w->chksync->setChecked(mirror);
        if (mirror)
            dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
        dialogs().expectWindow("frmklarbackup");
        (mirror ? w->cmdkörbackup2 : w->cmdkörbackup)->click();
        return w;
    }
};

// The source became empty or uncertain after a backup: an unplugged disk's mount point (with
// the missing drive an error or ignored), a folder emptied on a present disk (the job rescans,
// so no listed folder is missing), and a listed subfolder gone.
TEST_F(MirrorKeepsFlow, AMainFolderWhoseSourceIsGoneOrEmptyKeepsItsWholeBackup) {
    platform::addVolumeParent(work("mnt"));
    struct Case {
        QString source, ignoreDrive, rescan, line;
        int errors;
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

        frmutförbackup* w = run("Jobb", true);
        EXPECT_EQ(snapshot(dst_), backup) << logText().toStdString();
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
    j.options[0] = "JA";
    j.versioning = {"JA", "", "", "2", versions};
    testutil::writeJob(path("Listor"), j);
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(run("Jobb", true)->runHadErrors()) << logText().toStdString();
    EXPECT_EQ(testutil::treeFiles(dst_), QStringList({src_.mid(1) + "/a.txt"}));
    EXPECT_EQ(testutil::readBytes(versions + "/gammal.txt"), QByteArray("v"));
}

} // namespace
