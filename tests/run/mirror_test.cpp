#include "core/copy_times.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "run/mirror.h"
#include "support/fixture.h"
#include "support/mounted.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextEdit>
#include <cerrno>
#include <functional>

using testutil::treeFiles;
using testutil::writeFile;

namespace {
struct TestView : MirrorView {
    QStringList window, run, errors, statuses;
    int errorCount = 0;
    int cancelAfterYields = -1;
    int yields = 0;
    void windowLog(const QString& t) override { window << t; }
    void appendToWindowLog(const QString& t) override { window.last() += t; }
    void runLog(const QString& l) override { run << l; }
    void errorLog(const QStringList& l) override { errors << l; }
    void countError() override { ++errorCount; }
    bool cancelled() override { return cancelAfterYields >= 0 && yields >= cancelAfterYields; }
    void yield() override { ++yields; }
    void setStatus(const QString& s) override { statuses << s; }
};
} // namespace

class MirrorTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().form<frmmain>();
        main = work("src/Dokument");
        job.backupFolder = work("backup");
        job.mainFolders = {main};
        job.pathType = "0";
        job.createMainFolder = "NEJ";
        job.preventMirror = "NEJ";
        root = Mirror::targetRoot(job, main);
        writeFile(main + "/keep.txt", "k");
        writeFile(main + "/Brev/brev1.txt", "b");
        writeFile(root + "keep.txt", "older copy, kept whatever its date");
        writeFile(root + "gone.txt", "12345");
        writeFile(root + "Brev/brev1.txt", "b");
        writeFile(root + "Brev/old.txt", "o");
        writeFile(root + "Gammal/a.txt", "a");
        writeFile(root + "Gammal/2019/b.txt", "b");
        writeFile(root + "Gammal/2019/c.txt", "c");
    }
    QString main, root;
    MirrorJob job;
    TestView view;
};

TEST_F(MirrorTest, PathsMapBothWaysForEveryPathType) {
    EXPECT_EQ(root, work("backup") + work("src/Dokument") + "/");
    EXPECT_EQ(Mirror::sourceFolderFor(job, root + "Brev"), main + "/Brev/");
    MirrorJob abs = job;
    abs.pathType = "1";
    EXPECT_EQ(Mirror::targetRoot(abs, main), work("backup") + "/");
    EXPECT_EQ(Mirror::sourceFolderFor(abs, work("backup/Brev")), main + "/Brev/");
    EXPECT_EQ(Mirror::sourceFolderFor(abs, work("backup")), main + "/");
    abs.createMainFolder = "JA";
    EXPECT_EQ(Mirror::targetRoot(abs, main), work("backup/Dokument/"));
    EXPECT_EQ(Mirror::sourceFolderFor(abs, work("backup/Dokument/Brev")), main + "/Brev/");
}

TEST_F(MirrorTest, MirroringDeletesWhatTheSourceNoLongerHasAndLogsIt) {
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, false);
    EXPECT_EQ(treeFiles(root), QStringList({"Brev/brev1.txt", "keep.txt"}));
    EXPECT_EQ(testutil::readBytes(root + "keep.txt"), "older copy, kept whatever its date");
    EXPECT_EQ(mirror.raderade_mappar, 2);
    EXPECT_EQ(mirror.raderade_mappfiler, 3);
    EXPECT_EQ(mirror.raderade_enstaka_filer, 2);
    EXPECT_EQ(mirror.raderade_filer_jobb, 5);
    EXPECT_NEAR(mirror.mb_raderat, 9e-6, 1e-9);
    EXPECT_EQ(view.window.first(), " Startar spegling");
    EXPECT_EQ(view.window.last(), " Spegling avslutad (5 filer raderades)");
    // The inner folder is handled before the folder that holds it.
    const int inner = view.run.indexOf("- Raderad mapp för spegling: " + root + "Gammal/2019");
    const int outer = view.run.indexOf("- Raderad mapp för spegling: " + root + "Gammal");
    EXPECT_GE(inner, 0);
    EXPECT_GT(outer, inner);
    EXPECT_TRUE(view.run.contains("- Raderad fil för spegling: " + root + "gone.txt"));
    EXPECT_TRUE(view.statuses.contains("Klar"));
    const QString sys = prog().form<frmmain>()->txtsyslogg->toPlainText();
    EXPECT_TRUE(sys.contains("Spegling avslutad (5 filer raderades)"));
}

// The record of the times the backup disk did not keep lies at the top of the backup folder: the
// program's own, never mirrored away where a main folder's copies lie there too.
TEST_F(MirrorTest, TheRecordOfUnkeptTimesIsNeverMirroredAway) {
    MirrorJob abs = job;
    abs.pathType = "1";
    const QString top = Mirror::targetRoot(abs, main);
    writeFile(top + CopyTimes::recordName(), "a.txt\t1\t2\t3");
    writeFile(top + "borta.txt", "x");
    writeFile(top + "keep.txt", "k"); // one of the job's copies: the backup is this job's
    Mirror mirror(view);
    mirror.sync_förbered(abs, true, false, false);
    EXPECT_TRUE(QFile::exists(top + CopyTimes::recordName()));
    EXPECT_FALSE(QFile::exists(top + "borta.txt"));
}

TEST_F(MirrorTest, SimulationDeletesNothingAndListsTheLeftovers) {
    const QStringList before = treeFiles(work("backup"));
    Mirror mirror(view);
    mirror.sync_förbered(job, true, true, false);
    EXPECT_EQ(treeFiles(work("backup")), before);
    EXPECT_TRUE(mirror.leftovers.contains(root + "Gammal/2019/"));
    EXPECT_TRUE(mirror.leftovers.contains(root + "Gammal/"));
    EXPECT_TRUE(mirror.leftovers.contains(root + "gone.txt"));
    EXPECT_TRUE(mirror.leftovers.contains(root + "Brev/old.txt"));
    EXPECT_EQ(view.window.first(), " Startar spegling (simulerad)");
    EXPECT_EQ(view.window.last(), " Spegling avslutad (5 filer kan raderas)");
    EXPECT_TRUE(view.run.contains("- Raderad fil för spegling:  (simulerad) " + root + "gone.txt"));
}

TEST_F(MirrorTest, VersionFolderAndLinkTargetsOutsideTheBackupAreLeftAlone) {
    job.pathType = "1";
    job.mainFolders = {main};
    job.versionFolder = work("backup/Versioner");
    writeFile(work("backup/Versioner/keep[2020-01-01 10;00;00].txt"), "v");
    writeFile(work("backup/Gammal/x.txt"), "x");
    writeFile(work("backup/keep.txt"), "k");
    writeFile(work("outside/precious.txt"), "p");
    QFile::link(work("outside"), work("backup/Länk"));
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, false);
    EXPECT_TRUE(QFile::exists(work("backup/Versioner/keep[2020-01-01 10;00;00].txt")));
    EXPECT_FALSE(QFileInfo::exists(work("backup/Gammal")));
    EXPECT_FALSE(QFileInfo(work("backup/Länk")).isSymLink());
    EXPECT_EQ(testutil::readBytes(work("outside/precious.txt")), "p");
    EXPECT_TRUE(QFileInfo(work("backup")).isDir());
}

TEST_F(MirrorTest, UnreadableSourceFolderIsNotTakenAsGone) {
    platform::injectFault(main + "/Brev", EACCES);
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, false);
    EXPECT_TRUE(QFile::exists(root + "Brev/old.txt"));
    EXPECT_TRUE(QFile::exists(root + "Brev/brev1.txt"));
    EXPECT_GE(view.errorCount, 1);
    EXPECT_TRUE(mirror.fel_i_jobbet);
    ASSERT_FALSE(view.errors.isEmpty());
    EXPECT_TRUE(view.errors.join('\n').contains("Fel under spegling, i mapp " + root + "Brev"));
}

TEST_F(MirrorTest, FailedDeleteIsAnErrorAndNotCountedAsDone) {
    platform::injectFault(root + "gone.txt", EACCES);
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, false);
    EXPECT_TRUE(QFile::exists(root + "gone.txt"));
    EXPECT_EQ(mirror.raderade_enstaka_filer, 1); // only Brev/old.txt
    EXPECT_EQ(view.errorCount, 1);
    EXPECT_FALSE(view.run.contains("- Raderad fil för spegling: " + root + "gone.txt"));
}

TEST_F(MirrorTest, CancelStopsBeforeTheNextItemAndStillWritesTheEndLine) {
    view.cancelAfterYields = 3;
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, false);
    EXPECT_TRUE(QFileInfo::exists(root + "Gammal/a.txt"));
    EXPECT_FALSE(view.statuses.contains("Klar"));
    EXPECT_TRUE(view.window.last().startsWith(" Spegling avslutad ("));
}

TEST_F(MirrorTest, PreventedOrMissingCopiesWriteOnlyWhatTheyShould) {
    Mirror mirror(view);
    job.preventMirror = "JA";
    mirror.sync_förbered(job, false, false, false);
    EXPECT_TRUE(mirror.ej_speglat_jobb);
    EXPECT_TRUE(view.window.isEmpty());
    job.preventMirror = "NEJ";
    job.mainFolders = {work("src/Annat")};
    mirror.sync_förbered(job, true, false, false);
    EXPECT_EQ(view.window, QStringList({" Startar spegling", " Spegling avslutad (0 filer raderades)"}));
}

TEST_F(MirrorTest, AnEntryWhoseKindChangedAtTheSourceIsALeftover) {
    // The source's file became a folder, and a folder became a file, under the same names.
    writeFile(main + "/Rapport/del1.txt", "1");
    writeFile(root + "Rapport", "old file");
    writeFile(main + "/Anteckningar", "now a file");
    writeFile(root + "Anteckningar/a.txt", "a");
    for (const bool simulate : {true, false}) {
        SCOPED_TRACE(simulate);
        Mirror mirror(view);
        mirror.sync_förbered(job, true, simulate, false);
        EXPECT_EQ(mirror.leftovers.contains(root + "Rapport"), simulate);
        EXPECT_EQ(mirror.leftovers.contains(root + "Anteckningar/"), simulate);
        EXPECT_EQ(QFileInfo::exists(root + "Rapport"), simulate);
        EXPECT_EQ(QFileInfo::exists(root + "Anteckningar"), simulate);
    }
    EXPECT_TRUE(QFile::exists(main + "/Rapport/del1.txt"));
    EXPECT_TRUE(QFile::exists(main + "/Anteckningar"));
}

// A drive mounted inside a folder the source no longer has: the folder's own files go, each named,
// and so does a link that leads nowhere; the drive and the folders holding it stay, named once
// and counted as one error.
TEST_F(MirrorTest, ADriveBelowTheBackupIsLeftAloneAndEveryDeletedFileIsNamed) {
    testutil::makeDir(root + "Gammal/usb");
    testutil::Mounted usb(root + "Gammal/usb");
    writeFile(root + "Gammal/usb/Foton/bild.jpg", "b");
    writeFile(root + "Gammal/usb/doc.txt", "d");
    ASSERT_TRUE(QFile::link(work("finns inte"), root + "borta.lnk"));
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, false);

    EXPECT_EQ(treeFiles(root + "Gammal"), QStringList({"usb/Foton/bild.jpg", "usb/doc.txt"}));
    EXPECT_FALSE(QFileInfo(root + "borta.lnk").isSymLink());
    const QString named = "FEL: " + root + "Gammal/usb är en annan enhet och lämnades orörd";
    EXPECT_EQ(view.run.count(named), 1);
    EXPECT_EQ(view.errorCount, 1);
    EXPECT_TRUE(mirror.fel_i_jobbet);
    for (const char* file : {"Gammal/a.txt", "Gammal/2019/b.txt", "Gammal/2019/c.txt", "borta.lnk"})
        EXPECT_TRUE(view.run.contains("- Raderad fil för spegling: " + root + file)) << file;
    EXPECT_TRUE(view.run.contains("- Raderad mapp för spegling: " + root + "Gammal/2019"));
    EXPECT_FALSE(view.run.contains("- Raderad mapp för spegling: " + root + "Gammal"));
    EXPECT_EQ(mirror.raderade_mappar, 1);
    EXPECT_EQ(mirror.raderade_mappfiler, 3);
    EXPECT_EQ(mirror.raderade_enstaka_filer, 3); // gone.txt, Brev/old.txt and the link
}

// A folder swapped for a link to the user's files while the mirror works in it: what it deletes
// is never reached through the link.
TEST_F(MirrorTest, AFolderSwappedForALinkMeanwhileIsNeverFollowed) {
    const QString outside = work("hem");
    writeFile(outside + "/old.txt", "the user's");
    writeFile(outside + "/2019/b.txt", "the user's");
    auto swap = [&](const QString& folder) {
        ASSERT_TRUE(QFile::rename(folder, folder + ".flyttad"));
        ASSERT_TRUE(QFile::link(outside, folder));
    };
    struct TurnView : TestView {
        std::function<void(const QString&)> onName;
        void setCurrentName(const QString& n) override {
            if (onName)
                onName(n);
        }
    } turn;
    // While the files of a folder the source has are compared.
    turn.onName = [&](const QString& name) {
        if (name == "old.txt" && !QFileInfo(root + "Brev").isSymLink())
            swap(root + "Brev");
    };
    // As the folder a deleted folder holds is opened.
    platform::setOwnTreeHook([&](const QString& path) {
        if (path == root + "Gammal/2019" && !QFileInfo(path).isSymLink())
            swap(path);
    });
    Mirror mirror(turn);
    mirror.sync_förbered(job, true, false, false);
    platform::setOwnTreeHook({});
    EXPECT_EQ(treeFiles(outside), QStringList({"2019/b.txt", "old.txt"}));
    EXPECT_FALSE(QFileInfo::exists(root + "Gammal/a.txt"));
}

// The version folder inside the backup folder, written another way than plainly or reached
// through a link, is still the version folder: its copies stay.
TEST_F(MirrorTest, TheVersionFolderIsKnownHoweverItIsWritten) {
    job.pathType = "1";
    const QString copy = work("backup/Versioner/keep[2020-01-01 10;00;00].txt");
    ASSERT_TRUE(QFile::link(work("backup"), work("länk")));
    writeFile(work("backup/keep.txt"), "k");
    for (const QString& version :
         {work("backup") + "//Versioner", work("backup") + "/./Versioner/", work("länk/Versioner")}) {
        SCOPED_TRACE(version.toStdString());
        writeFile(copy, "v");
        writeFile(work("backup/Gammal/x.txt"), "x");
        job.versionFolder = version;
        Mirror mirror(view);
        mirror.sync_förbered(job, true, false, false);
        EXPECT_TRUE(QFile::exists(copy));
        EXPECT_FALSE(QFileInfo::exists(work("backup/Gammal")));
    }
}

// A source folder renamed in letter case only (Bilder to bilder): on a backup disk that ignores
// letter case the copies in Bilder are bilder's and stay, and so does a file renamed the same way;
// what the source no longer has under any spelling still goes. On a disk that tells letter case
// apart, Bilder is a leftover like any other.
TEST_F(MirrorTest, ACaseOnlyRenameOnACaseFoldingDiskKeepsTheCopies) {
    for (const bool folds : {true, false}) {
        SCOPED_TRACE(folds ? "folds" : "tells case apart");
        QDir(main + "/Bilder").removeRecursively();
        QDir(root + "Bilder").removeRecursively();
        writeFile(main + "/bilder/sommar.jpg", "s");
        writeFile(main + "/bilder/vinter.JPG", "v");
        writeFile(root + "Bilder/sommar.jpg", "s");
        writeFile(root + "Bilder/Vinter.jpg", "v");
        writeFile(root + "Bilder/gammal.jpg", "g");
        writeFile(root + "Bilder/Resa/a.jpg", "a");
        if (folds)
            platform::standInCaseFolding(work("backup"));
        TestView v;
        Mirror mirror(v);
        mirror.sync_förbered(job, true, false, false);
        platform::standInCaseFolding({});
        if (folds)
            EXPECT_EQ(treeFiles(root + "Bilder"), QStringList({"Vinter.jpg", "sommar.jpg"}));
        else
            EXPECT_FALSE(QFileInfo::exists(root + "Bilder"));
        EXPECT_EQ(v.errorCount, 0);
    }
}

// With the trash option a link the source no longer has goes as a link, also one that leads
// nowhere (the trash takes no such link): no error at every run.
TEST_F(MirrorTest, ADanglingLinkIsMirroredAwayWithTheTrashOption) {
    qputenv("XDG_DATA_HOME", work("xdg").toUtf8());
    testutil::makeDir(work("xdg"));
    ASSERT_TRUE(QFile::link(work("nowhere"), root + "länk.txt"));
    Mirror mirror(view);
    mirror.sync_förbered(job, true, false, true);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_FALSE(QFileInfo(root + "länk.txt").isSymLink());
    EXPECT_EQ(view.errorCount, 0);
    EXPECT_FALSE(QFile::exists(root + "gone.txt"));
}
