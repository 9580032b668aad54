#include "engine_support.h"
#include "platform/errors.h"
#include "run/mirror.h"
#include "run/target_folders.h"

#include <QDir>
#include <cerrno>

TEST(TargetFolderPaths, RelativeAndAbsolutePathTypes) {
    EXPECT_EQ(targetFolderFor("/home/anna/Bilder", "/mnt/usb/Backup", false, {}, false),
              "/mnt/usb/Backup/home/anna/Bilder/");
    EXPECT_EQ(targetFolderFor("/", "/mnt/usb/Backup", false, {}, false), "/mnt/usb/Backup/");
    EXPECT_EQ(targetFolderFor("/data/a:b", "/mnt/usb/Backup/", false, {}, false),
              "/mnt/usb/Backup/data/a:b/");

    const QString main = "/data/Bilder 2007";
    EXPECT_EQ(targetFolderFor("/data/Bilder 2007/Sommar", "/b", true, main, false), "/b/Sommar/");
    EXPECT_EQ(targetFolderFor("/data/Bilder 2007/Sommar", "/b", true, main, true), "/b/Bilder 2007/Sommar/");
    EXPECT_EQ(targetFolderFor(main, "/b", true, main, false), "/b/");
    EXPECT_EQ(targetFolderFor(main, "/b", true, main, true), "/b/Bilder 2007/");
    // A name that only begins like the main folder is not below it.
    EXPECT_EQ(targetFolderFor("/data/Bilder 2007x", "/b", true, main, false), "/b/data/Bilder 2007x/");
    EXPECT_EQ(targetFolderFor("/etc/x", "/b", true, "/", true), "/b/etc/x/");
}

TEST(TargetFolderPaths, FolderFiltersMatchAnywhereIgnoringCase) {
    const QStringList pieces = folderFilterPieces("cache * temp");
    EXPECT_EQ(pieces, QStringList({"cache", "temp"}));
    EXPECT_EQ(matchingFolderFilter("/data/TEMP", pieces), 1);
    EXPECT_EQ(matchingFolderFilter("/data/Contemporary", pieces), 1);
    EXPECT_EQ(matchingFolderFilter("/data/temp/Cache", pieces), 0); // the first piece names it
    EXPECT_EQ(matchingFolderFilter("/data/bilder", pieces), -1);
    EXPECT_EQ(matchingFolderFilter("/data/bilder", folderFilterPieces("")), -1);
    EXPECT_EQ(matchingFolderFilter("/data/bilder", folderFilterPieces("x *  * ")), -1); // empty pieces pass
}

class TargetFoldersTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        backup = work("backup");
        m->txtbackupmapp = backup;
        m->txtsökvägtyp = "0";
        progress.jobs = {FakeJob{"Bilder", true, {}}};
        progress.current = 0;
        for (const QString f : {"src", "src/cache", "src/Temp", "src/Sommar", "src/.dold"}) {
            testutil::makeDir(work(f));
            engine->List2 << work(f);
        }
        m->txtmappfilter = "cache * temp";
    }
    QString backup;
};

TEST_F(TargetFoldersTest, FiltersMarkFoldersAndTheRestGetTheirTargetFolders) {
    engine->skapamappar();

    ASSERT_EQ(engine->List3.size(), 5u);
    EXPECT_EQ(engine->List3[0].source, work("src/"));
    EXPECT_EQ(engine->List3[0].target, platform::relativeTarget(backup, work("src")));
    EXPECT_TRUE(engine->List3[1].filtered);
    EXPECT_EQ(engine->List3[1].source, work("src/cache"));
    EXPECT_TRUE(engine->List3[2].filtered);
    EXPECT_FALSE(engine->List3[4].filtered);
    EXPECT_EQ(engine->List2[1], "EXKLUDERAD: " + work("src/cache"));
    EXPECT_EQ(engine->List2[3], work("src/Sommar"));
    EXPECT_TRUE(QDir(engine->List3[3].target).exists());
    EXPECT_TRUE(QDir(engine->List3[4].target).exists()); // hidden folders are copied too
    EXPECT_FALSE(QDir(platform::relativeTarget(backup, work("src/cache"))).exists());
    EXPECT_EQ(testutil::readLines(path("log.txt")),
              QStringList({"Bortfiltrerad mapp (filter: cache): " + work("src/cache"),
                           "Bortfiltrerad mapp (filter: temp): " + work("src/Temp")}));
    EXPECT_EQ(progress.targetFolder, engine->List3[4].target);
    EXPECT_EQ(progress.statuses, QStringList({"Samlar in sökvägar och skapar backupmappar som behövs..."}));
}

TEST_F(TargetFoldersTest, HiddenFilterLinesAndASimulationCreateNothingButFillThePairs) {
    s->chkdöljfilterilogg->setChecked(true);
    progress.sim = true;
    engine->skapamappar();
    EXPECT_EQ(engine->List3.size(), 5u);
    EXPECT_EQ(engine->List2[2], "EXKLUDERAD: " + work("src/Temp"));
    EXPECT_FALSE(QDir(backup).exists());
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    EXPECT_EQ(progress.targetFolder, engine->List3[4].target);
}

TEST_F(TargetFoldersTest, AbsolutePathTypeWithTheMainFolderName) {
    m->txtsökvägtyp = "1";
    m->combomappar = {work("src")};
    m->txtabsolutsökväg_huvudmapp = "JA";
    m->txtmappfilter.clear();
    engine->skapamappar();
    EXPECT_EQ(engine->List3[0].target, backup + "/src/");
    EXPECT_EQ(engine->List3[3].target, backup + "/src/Sommar/");
    EXPECT_TRUE(QDir(backup + "/src/Sommar").exists());
}

TEST_F(TargetFoldersTest, ACancelLeavesThePairListShort) {
    progress.cancelAfterYields = 4; // one yield before the loop, one per folder
    engine->skapamappar();
    EXPECT_EQ(engine->List3.size(), 2u);
}

TEST_F(TargetFoldersTest, AFolderThatCannotBeMadeIsOneErrorAndNothingLandsOnAMissingVolume) {
    platform::addVolumeParent(work("media"));
    testutil::makeDir(work("media/usb"));
    m->txtbackupmapp = work("media/usb/Backup");
    m->txtmappfilter = "cache * temp * sommar * dold";
    engine->skapamappar();
    EXPECT_TRUE(QDir(work("media/usb")).isEmpty());
    EXPECT_EQ(engine->antalfel, 1);
    EXPECT_EQ(engine->fel_jobb, 1);
    EXPECT_TRUE(engine->imgerr);
    const QString text = "Felkod 53. Sökvägen är för lång, mappen verkar inte ha skapats. (Jobb: Bilder)";
    EXPECT_EQ(testutil::readLines(path("log_err.txt")),
              QStringList({"", "FEL: " + text, "Från: " + work("src/"), "Till: " + engine->List3[0].target}));
    EXPECT_TRUE(m->systemLogText().contains("FEL! " + text));
}

TEST(TargetFolderPaths, TheBackupAndVersionFoldersAndWhatLiesBelowThemAreTheRunsOwn) {
    const QString b = "/data/Hem/Backup", v = "/data/Hem/Versioner/";
    const QStringList main{"/data/Hem"};
    const struct {
        const char* folder;
        bool own;
    } cases[] = {
        {"/data/Hem/Backup", true},    {"/data/Hem/Backup/data/Hem", true},
        {"/data/Hem/Versioner", true}, {"/data/Hem/Versioner/x/", true},
        {"/data/Hem", false}, // holds them, is not one of them
        {"/data/Hem/Backup2", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isRunOwnFolder(c.folder, main, b, v), c.own) << c.folder;
    EXPECT_FALSE(isRunOwnFolder("/data/Hem/Backup", main, "", " "));
    // A source kept inside the backup folder (a folder of a stick backed up into the stick's
    // top) stays a source; a main folder that is the backup folder itself makes nothing one.
    const QStringList onStick{"/media/usb/Foton"};
    EXPECT_FALSE(isRunOwnFolder("/media/usb/Foton/album", onStick, "/media/usb", ""));
    EXPECT_TRUE(isRunOwnFolder("/media/usb/Annat", onStick, "/media/usb", ""));
    EXPECT_TRUE(isRunOwnFolder("/media/usb/Kopia", {"/media/usb/"}, "/media/usb", ""));
}

TEST_F(TargetFoldersTest, TheBackupAndVersionFoldersInsideTheSourceAreNotCounted) {
    progress.jobs[0].load = [this](frmmain* mm) {
        mm->txtpattern = "*.*";
        mm->txtbackupmapp = work("src/Sommar");
        mm->txtversionmapp = work("src/.dold/");
        mm->combomappar = {work("src")};
        mm->listmappar = engine->List2;
    };
    for (const QString f : {"src/a.txt", "src/cache/b.txt", "src/Sommar/c.txt", "src/.dold/d[1].txt"})
        testutil::writeFile(work(f), "x");
    engine->räknaallajobbfiler();
    EXPECT_EQ(engine->filtotal, 2);
}

TEST(MissingFolders, AFolderTakesThePlaceOfTheEntriesBelowItByWholePathPieces) {
    MissingFolderList list;
    EXPECT_EQ(list.add("/data/gone/deeper/still"), 0);
    EXPECT_EQ(list.add("/data/gone/deeper"), 1);
    EXPECT_EQ(list.add("/data/gone10"), 0);
    EXPECT_EQ(list.add("/x/data/gone/a"), 0); // holds the text, is not below
    EXPECT_EQ(list.add("/data/gone/other"), 0);
    EXPECT_EQ(list.add("/data/gone1"), 0); // a sibling that begins alike takes nothing
    EXPECT_EQ(list.entries(), QStringList({"/data/gone/deeper", "/data/gone10", "/x/data/gone/a",
                                           "/data/gone/other", "/data/gone1"}));
    EXPECT_EQ(list.add("/data/gone/"), 2);
    EXPECT_EQ(list.add("/data/gone1"), 1); // met again in another job
    EXPECT_EQ(list.entries(), QStringList({"/data/gone10", "/x/data/gone/a", "/data/gone/", "/data/gone1"}));
    EXPECT_EQ(list.size(), 4);
    list.clear();
    EXPECT_TRUE(list.entries().isEmpty());
}

TEST(FolderListOfAJob, FoldersLeaveFromTheEndWhileTheOnesAfterThemStay) {
    FolderList list = QStringList{"a", "b", "c", "d", "e", "f"};
    list.removeAt(5); // f done
    list.removeAt(3); // e stays (missing), d done
    list.removeAt(2); // c done
    list[1] = "B";    // b stays, changed in place
    EXPECT_EQ(list.size(), 3);
    EXPECT_EQ(QStringList(list), QStringList({"a", "B", "e"}));
    EXPECT_EQ(list[2], "e");
    EXPECT_EQ(list.value(3), QString());
    list.removeAt(2); // a removal among the kept ones, and an append after it
    list << "g";
    EXPECT_EQ(QStringList(list), QStringList({"a", "B", "g"}));
    list.removeAt(0);
    EXPECT_EQ(QStringList(list), QStringList({"B", "g"}));
    list.clear();
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(TargetFoldersTest, AFolderThatIsGoneGetsNoTargetFolder) {
    m->txtmappfilter.clear();
    engine->List2 << work("src/borta") << work("src/borta/under");
    engine->skapamappar();
    ASSERT_EQ(engine->List3.size(), 7u);
    EXPECT_EQ(engine->List3[5].target, platform::relativeTarget(backup, work("src/borta")));
    EXPECT_FALSE(QFileInfo::exists(engine->List3[5].target));
    EXPECT_FALSE(QFileInfo::exists(engine->List3[6].target));
    EXPECT_TRUE(QDir(engine->List3[3].target).exists());
    EXPECT_EQ(engine->antalfel, 0);
}

TEST_F(TargetFoldersTest, AFileInTheTargetFoldersPlaceThatCannotBePutAsideIsOneErrorForItsWholeTree) {
    testutil::makeDir(work("src/Sommar/Bad"));
    engine->List2 << work("src/Sommar/Bad");
    const QString inTheWay =
        platform::withoutTrailingSeparator(platform::relativeTarget(backup, work("src/Sommar")));
    testutil::writeFile(inTheWay, "en gång en fil", at());
    m->txtversionshantering = "JA";
    m->txtversionmapp = work("ver");
    m->txtversionmax = "2";
    platform::injectFault(work("ver"), EIO); // no version can be made: the file must stay

    engine->skapamappar();
    platform::clearFaults();
    ASSERT_EQ(engine->List3.size(), 6u);
    EXPECT_TRUE(engine->List3[3].filtered); // left out, never copied into a file
    EXPECT_TRUE(engine->List3[5].filtered);
    EXPECT_FALSE(engine->List3[4].filtered);
    EXPECT_EQ(testutil::readBytes(inTheWay), "en gång en fil");
    EXPECT_EQ(engine->antalfel, 1);
    const QString versions = platform::relativeTarget(work("ver"), work("src"));
    EXPECT_EQ(testutil::readLines(path("log_err.txt")),
              QStringList({"", "Fel i versionshantering: Felkod 57 I/O-fel på enheten (Jobb: Bilder)",
                           "Från: " + inTheWay, "Till: " + versions}));

    // Once it can be, the next run keeps the version and makes the folders.
    engine->skapamappar();
    EXPECT_FALSE(engine->List3[3].filtered);
    EXPECT_TRUE(QDir(inTheWay + "/Bad").exists());
    EXPECT_EQ(testutil::readBytes(versions + "Sommar[2024-05-01 14;03;27]"), "en gång en fil");
    EXPECT_EQ(engine->antalfel, 1);
}
