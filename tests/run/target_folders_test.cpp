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
    EXPECT_TRUE(program().systemLog().text().contains("FEL! " + text));
}

// A main folder that is the backup folder itself would nest its copies one level deeper at every
// run; a source kept inside the backup folder stays a source.
TEST(TargetFolderPaths, AMainFolderThatIsTheBackupFolderMakesNothingBelowItASource) {
    EXPECT_TRUE(isRunOwnFolder("/media/usb/media/usb", {"/media/usb/"}, "/media/usb", ""));
    EXPECT_FALSE(isRunOwnFolder("/media/usb/Foton/album", {"/media/usb/Foton"}, "/media/usb", ""));
}

TEST(MissingFolders, AFolderTakesThePlaceOfTheEntriesBelowItByWholePathPieces) {
    MissingFolderList list;
    for (const char* f : {"/d/gone/deeper/still", "/d/gone/deeper", "/d/gone10", "/x/d/gone/a", "/d/gone1"})
        list.add(f);
    EXPECT_EQ(list.entries(), QStringList({"/d/gone/deeper", "/d/gone10", "/x/d/gone/a", "/d/gone1"}));
    EXPECT_EQ(list.add("/d/gone/"), 1); // not "/d/gone10", nor "/x/d/gone/a"
    EXPECT_EQ(list.add("/d/gone1"), 1); // met again in another job
    EXPECT_EQ(list.entries(), QStringList({"/d/gone10", "/x/d/gone/a", "/d/gone/", "/d/gone1"}));
}

TEST(FolderListOfAJob, FoldersLeaveFromTheEndWhileTheOnesAfterThemStay) {
    FolderList list = QStringList{"a", "b", "c", "d", "e", "f"};
    for (const int k : {5, 3, 2}) // e and b stay (missing)
        list.removeAt(k);
    list[1] = "B";
    EXPECT_EQ(QStringList(list), QStringList({"a", "B", "e"}));
    EXPECT_EQ(list.value(2) + list.value(3), "e");
    list.removeAt(2);
    list << "g";
    list.removeAt(0);
    EXPECT_EQ(QStringList(list), QStringList({"B", "g"}));
}

// A target folder taken by a file (the source was a file at an earlier run): without a version
// of it the file stays, the folder and those below it are left out with one error; the next run
// keeps the version and makes the folders. A folder that is gone gets no target folder.
TEST_F(TargetFoldersTest, AFileInTheTargetFoldersPlaceIsPutAsideOnlyOnceAVersionIsKept) {
    testutil::makeDir(work("src/Sommar/Bad"));
    engine->List2 << work("src/Sommar/Bad") << work("src/borta");
    const QString inTheWay = platform::relativeTarget(backup, work("src/Sommar")).chopped(1);
    testutil::writeFile(inTheWay, "en fil", at());
    m->txtversionshantering = "JA";
    m->txtversionmapp = work("ver");
    platform::injectFault(work("ver"), EIO);

    engine->skapamappar();
    platform::clearFaults();
    EXPECT_TRUE(engine->List3[3].filtered && engine->List3[5].filtered && !engine->List3[4].filtered);
    EXPECT_EQ(testutil::readBytes(inTheWay), "en fil");
    EXPECT_EQ(engine->antalfel, 1);
    EXPECT_FALSE(QFileInfo::exists(engine->List3[6].target));

    engine->skapamappar();
    EXPECT_TRUE(QDir(inTheWay + "/Bad").exists());
    EXPECT_EQ(testutil::readBytes(platform::relativeTarget(work("ver"), work("src")) +
                                  "Sommar[2024-05-01 14;03;27]"),
              "en fil");
    EXPECT_EQ(engine->antalfel, 1);
}

// Many folders, nested and in the job's order, are looked at and made a stretch at a time by
// several threads; a file in the way of one of them is put aside as with a few folders, and the
// folders below it are made after it.
TEST_F(TargetFoldersTest, ManyNestedFoldersAreAllMadeAndAFileInTheWayIsStillPutAside) {
    m->txtmappfilter.clear();
    engine->List2.clear();
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < 12; ++b) {
            const QString top = work(QString("src/a%1").arg(a));
            if (b == 0) {
                testutil::makeDir(top);
                engine->List2 << top;
            }
            testutil::makeDir(top + QString("/b%1").arg(b));
            engine->List2 << top + QString("/b%1").arg(b);
        }
    engine->List2 << work("src/borta");
    const QString inTheWay = platform::relativeTarget(backup, work("src/a5")).chopped(1);
    testutil::makeDir(platform::parentPath(inTheWay));
    testutil::writeFile(inTheWay, "en fil", at());

    engine->skapamappar();
    ASSERT_EQ(engine->List3.size(), size_t(engine->List2.size()));
    for (qsizetype j = 0; j + 1 < engine->List2.size(); ++j) {
        EXPECT_TRUE(QDir(engine->List3[size_t(j)].target).exists()) << engine->List2[j].toStdString();
        EXPECT_FALSE(engine->List3[size_t(j)].filtered);
    }
    EXPECT_FALSE(QFileInfo::exists(engine->List3.back().target));
    EXPECT_EQ(engine->antalfel, 0);

    // An unchanged second pass finds every folder there and made none of them.
    engine->skapamappar();
    for (const FolderPair& p : engine->List3)
        EXPECT_FALSE(p.made);
    EXPECT_EQ(engine->antalfel, 0);
}
