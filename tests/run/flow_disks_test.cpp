// Whole mirroring runs where a disk is not the one the job knows: another drive mounted at the
// backup folder, a source folder whose own disk is not mounted.
#include "flow_support.h"

#include "platform/paths.h"
#include "support/mounted.h"

#include <QLabel>
#include <memory>

namespace {

class DisksFlow : public FlowTest {
  protected:
    // A drive at `at` holding `files` (relative path, bytes); a stand-in keeps the folder's own
    // files, so they are put there as the drive's.
    std::unique_ptr<testutil::Mounted> plugIn(const QString& at, const QMap<QString, QByteArray>& files) {
        QDir(at).removeRecursively();
        testutil::makeDir(at);
        auto drive = std::make_unique<testutil::Mounted>(at);
        for (auto it = files.begin(); it != files.end(); ++it)
            testutil::writeFile(at + '/' + it.key(), it.value(), old_);
        return drive;
    }
    // What an unplugged drive leaves: its mount folder, empty.
    void unplug(std::unique_ptr<testutil::Mounted>& drive, const QString& at) {
        drive.reset();
        QDir(at).removeRecursively();
        testutil::makeDir(at);
    }
};

// The backup folder is a drive's mount point. Another drive there holds none of the job's copies:
// its files stay, nothing of the job is written to it, and the run says so and ends with an error.
// A second drive of the job's own (the two rotated) is brought up to date as before.
TEST_F(DisksFlow, AnotherDriveAtTheBackupFolderIsNeitherMirroredNorCopiedInto) {
    testutil::writeFile(src_ + "/a.txt", "a", old_);
    testutil::writeFile(src_ + "/Bilder/b.jpg", "b", old_);
    testutil::JobSpec j = job("Jobb");
    j.options[2] = "1";
    testutil::writeJob(path("Listor"), j);
    struct Case {
        const char* name;
        QMap<QString, QByteArray> drive;
        QStringList after;
        int errors;
    };
    const Case cases[] = {
        {"another drive",
         {{"Filmer/film.mkv", "f"}, {"Y.txt", "y"}, {"Backup/annan-dator.txt", "x"}},
         {"Backup/annan-dator.txt", "Filmer/film.mkv", "Y.txt"},
         1},
        {"the job's other drive", {{"a.txt", "old a"}, {"gammal.txt", "g"}}, {"Bilder/b.jpg", "a.txt"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto drive = plugIn(dst_, c.drive);
        if (QFile::exists(dst_ + "/a.txt"))
            testutil::writeFile(dst_ + "/a.txt", "old a", old_.addSecs(-3600));
        frmutförbackup* w = run("Jobb", true);
        EXPECT_EQ(testutil::treeFiles(dst_), c.after) << logText().toStdString();
        EXPECT_EQ(w->lblantalfel->text().toInt(), c.errors);
        if (c.errors) {
            EXPECT_TRUE(
                log().contains("FEL: Huvudmappen speglades inte, eftersom dess backup inte innehåller "
                               "någon av jobbets kopior (en annan disk eller ett annat jobbs backup), "
                               "och den kopierades inte dit: " +
                               src_))
                << logText().toStdString();
            EXPECT_EQ(log().last(), "  Backup slutfördes med fel!");
        } else {
            EXPECT_EQ(testutil::readBytes(dst_ + "/a.txt"), "a");
        }
    }
}

// A listed folder is a second disk's mount point. Unplugged, its folder is left empty or nearly so,
// and the job rescans its folder structure, so its missing subfolders leave the list: its backup
// stays, the run names it and ends with an error, and again at the next run. Known from what the job
// remembers of its last complete run, or from the folder being empty but for one hidden file. With
// the disk still there, a song the user deleted goes from the backup.
TEST_F(DisksFlow, AListedFolderWhoseDiskIsNotMountedKeepsItsBackup) {
    const QString musik = src_ + "/Musik";
    const QString memory = path("Listor/Jobb.011");
    const QString byMemory = "FEL: Mappen saknas eller är inte ansluten (den var en egen enhet vid jobbets "
                             "förra körning) och speglades inte: " +
                             musik;
    const QString byEmptiness = "FEL: Mappen saknas eller är inte ansluten (den är tom men dess backup "
                                "innehåller filer) och speglades inte: " +
                                musik;
    struct Case {
        const char* name;
        bool unplugged;
        QString leftOnFolder; // a file the bare mount folder holds
        bool forget;          // the job's memory is gone (an older version ran it)
        QString line;
    };
    const Case cases[] = {
        {"unplugged", true, {}, false, byMemory},
        {"a stray file on the mount folder", true, "LÄSMIG.txt", false, byMemory},
        {"a stray hidden file, nothing remembered", true, ".directory", true, byEmptiness},
        {"a song deleted with the disk there", false, {}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(src_).removeRecursively();
        QDir(dst_).removeRecursively();
        testutil::makeDir(dst_);
        QFile::remove(memory);
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        auto disk = plugIn(musik, {{"låt1.mp3", "1"}, {"låt2.mp3", "2"}, {"album/låt3.mp3", "3"}});
        testutil::JobSpec j = job("Jobb");
        j.options[0] = "JA";
        testutil::writeJob(path("Listor"), j);
        EXPECT_FALSE(run("Jobb", true)->runHadErrors()) << logText().toStdString();
        const QStringList songs{"album/låt3.mp3", "låt1.mp3", "låt2.mp3"};
        ASSERT_EQ(testutil::treeFiles(target("Musik")), songs);
        ASSERT_TRUE(testutil::readLines(memory).contains("enhet: " + musik));
        if (c.unplugged) {
            unplug(disk, musik);
            if (!c.leftOnFolder.isEmpty())
                testutil::writeFile(musik + '/' + c.leftOnFolder, "", old_);
        } else {
            QFile::remove(musik + "/låt2.mp3");
        }
        if (c.forget)
            QFile::remove(memory);
        for (int again = 0; again < (c.unplugged ? 2 : 1); ++again) {
            frmutförbackup* w = run("Jobb", true);
            QStringList kept = testutil::treeFiles(target("Musik"));
            kept.removeAll(c.leftOnFolder);
            if (c.unplugged) {
                EXPECT_EQ(kept, songs) << logText().toStdString();
                EXPECT_TRUE(log().contains(c.line)) << logText().toStdString();
                EXPECT_EQ(w->lblantalfel->text().toInt(), 1) << logText().toStdString();
            } else {
                EXPECT_EQ(kept, QStringList({"album/låt3.mp3", "låt1.mp3"}));
                EXPECT_FALSE(w->runHadErrors()) << logText().toStdString();
            }
        }
    }
}

} // namespace
