// A backup folder is judged by what it is, however it is written: a link followed by "..", a
// second name for a folder, the home folder with HOME unset, a folder of the list inside it.
#include "core/backup_folders.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace {

class BackupFolders : public ProgramTest {
  protected:
    void TearDown() override {
        platform::clearSystemFolderStandIns();
        platform::standInIdentity({}, {});
        platform::failStatx(0);
        if (!home_.isNull())
            qputenv("HOME", home_);
        ProgramTest::TearDown();
    }
    QByteArray home_ = qgetenv("HOME");
};

TEST_F(BackupFolders, AFolderIsJudgedByWhatItIsNotByHowItIsWritten) {
    const QString home = work("hem"), data = work("data");
    const QString src = data + "/src", bk = src + "/bk";
    const QString copies = platform::withoutTrailingSeparator(platform::relativeTarget(bk, src));
    for (const QString& d : {home + "/Bilder", home + "/Dokument", copies + "/sub", bk + "/userdata",
                             src + "/a/b", data + "/other", work("x")})
        testutil::makeDir(d);
    QFile::link(home + "/Bilder", work("x/lnk"));
    QFile::link(home + "/Dokument", work("x/dok"));
    platform::standInSystemFolders({}, home);
    platform::standInIdentity(work("hb"), home); // a bind mount of the home folder, as the seam sees it
    testutil::makeDir(work("hb"));
    platform::standInIdentity(work("hs"), src + "/a"); // and one of a folder inside a main folder
    testutil::makeDir(work("hs"));
    const struct {
        const char* name;
        QString backup;
        QStringList mains, folders;
        QString why; // empty: allowed
        bool absolute = false;
    } cases[] = {
        {"a link followed by \"..\"", work("x/lnk/.."), {home + "/Dokument"}, {}, "hemmappen"},
        {"a main folder behind a link and \"..\"",
         data,
         {work("x/lnk/../../data/src")},
         {},
         "källmappen " + work("x/lnk/../../data/src")},
        {"a second name for the home folder", work("hb"), {data + "/src"}, {}, "hemmappen"},
        {"a second name for a folder of the list",
         work("hs"),
         {data},
         {data, src + "/a/b"},
         "källmappen " + src + "/a/b"},
        {"a list folder that goes up with \"..\"",
         data + "/other",
         {src},
         {src, src + "/../other"},
         "källmappen " + src + "/../other"},
        {"a list folder inside a backup folder inside the main folder",
         bk,
         {src},
         {src, bk + "/userdata"},
         "källmappen " + bk + "/userdata"},
        {"the copies a scan lists in a backup folder inside the main folder",
         bk,
         {src},
         {src, src + "/sub", bk + "/" + src.section('/', 1, 1), copies, copies + "/sub", bk + "/versioner/x"},
         {}},
        {"the backup folder as a folder of the list", bk, {src}, {src, src + "/sub", bk}, "källmappen " + bk},
        {"a folder of its own beside the copies of an absolute job",
         bk,
         {src},
         {src, src + "/sub", bk + "/sub", bk + "/userdata"},
         "källmappen " + bk + "/userdata",
         true},
        {"a backup folder beside the source",
         home + "/Backup",
         {home + "/Dokument"},
         {home + "/Dokument"},
         {}},
        {"a source reached through a link", data + "/other", {work("x/dok")}, {work("x/dok/a")}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString why = backupfolders::backupFolderProblem(c.backup, c.mains, c.folders, path(""),
                                                               {c.absolute, false, bk + "/versioner"});
        if (c.why.isEmpty())
            EXPECT_EQ(why, "");
        else
            EXPECT_TRUE(why.startsWith("backupmappen är " + c.why)) << why.toStdString();
    }
}

// The password database's home is the user's home also when HOME is unset or points elsewhere.
TEST_F(BackupFolders, TheHomeFolderOfThePasswordDatabaseIsProtectedWithoutHome) {
    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_TRUE(pw && pw->pw_dir);
    const QString pwHome = QFile::decodeName(pw->pw_dir);
    if (pwHome == QLatin1String("/") || !QDir(pwHome).exists())
        GTEST_SKIP() << "the user has no home folder of its own";
    testutil::makeDir(work("src"));
    for (const char* home : {"", "/tmp"}) {
        SCOPED_TRACE(home);
        if (*home)
            qputenv("HOME", home);
        else
            qunsetenv("HOME");
        EXPECT_TRUE(backupfolders::backupFolderProblem(pwHome, {work("src")}, {}, path(""))
                        .startsWith("backupmappen är hemmappen"));
    }
}

// A bind mount is the second name Linux gives a folder most readily; made where the test may.
TEST_F(BackupFolders, ABindMountOfTheSourceIsSeenAsTheSource) {
    testutil::makeDir(work("data/src/sub"));
    testutil::makeDir(work("mnt"));
    if (QProcess::execute("mount", {"--bind", work("data/src"), work("mnt")}) != 0)
        GTEST_SKIP() << "no bind mount may be made here";
    const QString why = backupfolders::backupFolderProblem(work("mnt"), {work("data/src")}, {}, path(""));
    const QString listed =
        backupfolders::backupFolderProblem(work("mnt"), {work("data")}, {work("data/src/sub")}, path(""));
    QProcess::execute("umount", {work("mnt")});
    EXPECT_TRUE(why.startsWith("backupmappen är källmappen")) << why.toStdString();
    EXPECT_TRUE(listed.startsWith("backupmappen är källmappen")) << listed.toStdString();
}

// A blank at the end of a folder's text is part of its name, as the run writes there: a link named
// "bk " to the home folder is the home folder, whatever "bk" may be.
TEST_F(BackupFolders, ABackupFolderIsCheckedAsTheRunWritesIt) {
    const QString home = work("hem");
    testutil::makeDir(home + "/Dokument");
    testutil::makeDir(work("data/bk"));
    platform::standInSystemFolders({}, home);
    for (const QString& end : {QString(" "), QString("\t"), QString(QChar(0x00A0))}) {
        const QString backup = work("data/bk") + end;
        ASSERT_TRUE(QFile::link(home, backup));
        EXPECT_TRUE(backupfolders::backupFolderProblem(backup, {home + "/Dokument"}, {}, path(""))
                        .startsWith("backupmappen är hemmappen"))
            << backup.toStdString();
    }
}

// On a disk that ignores letter case, two spellings of one folder are one folder (FUSE exFAT gives
// them two numbers; the stand-in folds lookups as it does).
TEST_F(BackupFolders, OneFolderIsOneFolderOnADiskThatIgnoresLetterCase) {
    const QString disk = work("usb");
    testutil::makeDir(disk + "/data/src");
    testutil::makeDir(disk + "/data/other");
    platform::standInCaseFolding(disk);
    const struct {
        QString backup, why;
    } cases[] = {
        {disk + "/DATA", "källmappen " + disk + "/data/src"},
        {disk + "/Data/Src", "källmappen " + disk + "/data/src"},
        {disk + "/Backup", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.backup.toStdString());
        const QString why = backupfolders::backupFolderProblem(c.backup, {disk + "/data/src"},
                                                               {disk + "/data/src"}, path(""));
        if (c.why.isEmpty())
            EXPECT_EQ(why, "");
        else
            EXPECT_TRUE(why.startsWith("backupmappen är " + c.why)) << why.toStdString();
    }
}

// Run as root, a mirror could delete any user's files: every home of the password database that is
// a folder, and the folder of the homes, are protected as the own home is.
TEST_F(BackupFolders, AsRootEveryUsersHomeIsProtected) {
    const QString root = work("rot");
    for (const char* d : {"root", "home", "srv/anna", "data/src", "bk"})
        testutil::makeDir(root + "/" + d);
    platform::standInSystemFolders(root, root + "/root");
    platform::standInPasswordHomes({root + "/srv/anna", root + "/saknas"});
    const struct {
        const char* backup;
        bool refused;
    } cases[] = {
        {"home", true}, {"srv/anna", true}, {"srv", true}, {"srv/anna/Backup", false}, {"bk", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.backup);
        const QString why =
            backupfolders::backupFolderProblem(root + "/" + c.backup, {root + "/data/src"}, {}, path(""));
        if (c.refused)
            EXPECT_TRUE(why.startsWith("backupmappen är hemmappen")) << why.toStdString();
        else
            EXPECT_EQ(why, "");
    }
}

// Where statx does not answer (a C library without it), stat tells what a folder is; where neither
// answers, what the folder is stays unknown and the job is refused, never judged by its text.
TEST_F(BackupFolders, WithoutStatxAFolderIsKnownByStatAndOtherwiseRefused) {
    const QString home = work("hem");
    for (const char* d : {"hem", "hb", "src", "bk", "trasig"})
        testutil::makeDir(work(d));
    platform::standInSystemFolders({}, home);
    platform::standInIdentity(work("hb"), home); // a bind mount of the home folder, as the seam sees it
    platform::failStatx(ENOSYS);
    platform::injectFault(work("trasig"), EIO);
    EXPECT_TRUE(backupfolders::backupFolderProblem(work("hb"), {work("src")}, {}, path(""))
                    .startsWith("backupmappen är hemmappen"));
    EXPECT_EQ(backupfolders::backupFolderProblem(work("bk"), {work("src")}, {work("src")}, path("")), "");
    EXPECT_EQ(backupfolders::backupFolderProblem(work("trasig"), {work("src")}, {}, path("")),
              "det är okänt vilken mapp " + work("trasig") + " är på disken");
}

} // namespace
