#include "engine_support.h"
#include "platform/errors.h"
#include "run/versioning.h"
#include "support/mounted.h"

#include <QDir>
#include <QFile>
#include <cerrno>

using testutil::readBytes;
using testutil::writeFile;

TEST(VersioningNames, FolderStampAndCopyName) {
    EXPECT_EQ(versionFolderPath("/mnt/usb/Versioner", "/home/anna/Dokument/Projekt"),
              "/mnt/usb/Versioner/home/anna/Dokument/Projekt/");
    EXPECT_EQ(versionFolderPath("/mnt/usb/Versioner/", "/"), "/mnt/usb/Versioner/");
    EXPECT_EQ(versionStamp(at().toSecsSinceEpoch()), "2024-05-01 14;03;27");
    // Midnight keeps its full length.
    EXPECT_EQ(versionStamp(QDateTime(QDate(2024, 5, 1), QTime(0, 0)).toSecsSinceEpoch()),
              "2024-05-01 00;00;00");
    EXPECT_EQ(versionCopyName("rapport.doc", "2024-05-01 14;03;27"), "rapport[2024-05-01 14;03;27].doc");
    EXPECT_EQ(versionCopyName("arkiv.tar.gz", "S"), "arkiv.tar[S].gz");
    EXPECT_EQ(versionCopyName("Makefile", "2024-05-01 14;03;27"), "Makefile[2024-05-01 14;03;27]");
}

TEST(VersioningNames, TypeListComparesTheExtensionIgnoringLetterCase) {
    EXPECT_TRUE(versionedType("/b/report.doc", "doc;XLS"));
    EXPECT_TRUE(versionedType("/b/report.xls", "doc;XLS"));
    EXPECT_TRUE(versionedType("/b/REPORT.DOC", "doc;XLS"));
    EXPECT_TRUE(versionedType("/b/Budget.Xls", "doc; xls"));
    EXPECT_FALSE(versionedType("/b/report.docx", "doc;XLS"));
    EXPECT_FALSE(versionedType("/b/v1.0/README", "doc;0"));
    EXPECT_TRUE(versionedType("/b/v1.0/README", ""));
    EXPECT_FALSE(versionedType("/b/a.doc", "xls;"));
}

TEST(VersioningNames, OnlyRealVersionsAreListedOldestFirstAndKeepIsAtLeastOne) {
    const std::set<QString> names = {
        "rapport[2024-05-01 14;03;27].doc", "rapport[2023-01-01 09;00;00].doc",
        "rapport[2024-05-01 14;03;27].DOC", "rapport_x[2020-01-01 00;00;00].doc",
        "rapport[kopia 2020-01-01 00].doc", "rapport.doc",
        "Makefile[2024-01-01 10;00;00]",    "rapport[2024-05-01 14;03;27].doc.bak"};
    EXPECT_EQ(versionsOf(names, "rapport.doc"),
              QStringList({"rapport[2023-01-01 09;00;00].doc", "rapport[2024-05-01 14;03;27].doc"}));
    EXPECT_EQ(versionsOf(names, "Makefile"), QStringList({"Makefile[2024-01-01 10;00;00]"}));
    EXPECT_EQ(versionsToKeep("3"), 3);
    EXPECT_EQ(versionsToKeep("12 st"), 12);
    EXPECT_EQ(versionsToKeep(""), 1);
    EXPECT_EQ(versionsToKeep("0"), 1);
    EXPECT_EQ(versionsToKeep("abc"), 1);
}

class VersioningTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        m->txtpattern = "*.*";
        src = work("src/Projekt");
        dst = work("backup/Projekt");
        ver = work("versioner");
        pairUp(src, dst);
        m->txtversionshantering = "JA";
        m->txtversionmapp = ver;
        m->txtversionmax = "3";
        verFolder = platform::relativeTarget(ver, src);
    }
    // A source newer than its backup copy.
    void changed(const QString& name, const QByteArray& now, const QByteArray& before,
                 const QDateTime& oldTime) {
        writeFile(src + "/" + name, now, oldTime.addSecs(60));
        writeFile(dst + "/" + name, before, oldTime);
    }
    QString src, dst, ver, verFolder;
};

TEST_F(VersioningTest, TheOldCopyIsKeptAndOnlyTheSetNumberOfVersionsStays) {
    for (int i = 0; i < 3; ++i)
        writeFile(verFolder +
                      versionCopyName("rapport.doc", versionStamp(at(-86400 * (i + 1)).toSecsSinceEpoch())),
                  "äldre", at());
    writeFile(verFolder + "annan.doc", "rör ej", at());
    changed("rapport.doc", "version 5", "version 4", at());

    engine->file_copy(0);

    EXPECT_EQ(readBytes(dst + "/rapport.doc"), "version 5");
    const QString kept = "rapport[2024-05-01 14;03;27].doc";
    EXPECT_EQ(readBytes(verFolder + kept), "version 4");
    EXPECT_EQ(testutil::mtimeOf(verFolder + kept), at().toSecsSinceEpoch());
    EXPECT_EQ(testutil::treeFiles(verFolder), QStringList({"annan.doc", "rapport[2024-04-29 14;03;27].doc",
                                                           "rapport[2024-04-30 14;03;27].doc", kept}));
    EXPECT_EQ(log("log_filversion.txt"), QStringList({"+ " + verFolder + kept}));
    EXPECT_EQ(engine->versioner_totalt, 1);
    EXPECT_EQ(engine->versioner_jobb, 1);
    EXPECT_TRUE(engine->versionshantering_använd);
}

TEST_F(VersioningTest, FilesWithoutExtensionArePrunedToo) {
    m->txtversionmax = "1";
    changed("Makefile", "ny", "gammal", at());
    engine->file_copy(0);
    changed("Makefile", "nyast", "ny", at(3600));
    engine->file_copy(0);
    EXPECT_EQ(testutil::treeFiles(verFolder), QStringList({"Makefile[2024-05-01 15;03;27]"}));
    EXPECT_EQ(readBytes(verFolder + "Makefile[2024-05-01 15;03;27]"), "ny");
}

TEST_F(VersioningTest, OnlyNejSwitchesItOffAndTheLimitsChooseTheFiles) {
    m->txtversionshantering = "";
    m->txtversion_mb = "0,5";
    m->txtversionpattern = "doc";
    changed("liten.doc", "ny", QByteArray(500'000, 'x'), at()); // exactly at the limit
    changed("stor.doc", "ny", QByteArray(500'001, 'x'), at());
    changed("tom.doc", "ny", "", at());
    changed("bild.jpg", "ny", "1", at());
    changed("RAPPORT.DOC", "ny", "1", at()); // the type in other letters
    engine->file_copy(0);
    EXPECT_EQ(testutil::treeFiles(verFolder),
              QStringList({"RAPPORT[2024-05-01 14;03;27].DOC", "liten[2024-05-01 14;03;27].doc",
                           "tom[2024-05-01 14;03;27].doc"}));
    EXPECT_EQ(readBytes(dst + "/stor.doc"), "ny"); // replaced all the same

    m->txtversionshantering = "NEJ";
    changed("liten.doc", "nyare", "ny", at(7200));
    engine->file_copy(0);
    EXPECT_EQ(testutil::treeFiles(verFolder).size(), 3);
    EXPECT_EQ(engine->versioner_totalt, 3);
}

TEST_F(VersioningTest, AFailedVersionCopyLeavesTheTargetInPlace) {
    changed("rapport.doc", "ny", "gammal", at());
    writeFile(src + "/annan.txt", "x", at());
    platform::injectFault(verFolder, EIO);

    engine->file_copy(0);

    EXPECT_EQ(readBytes(dst + "/rapport.doc"), "gammal");
    EXPECT_EQ(readBytes(dst + "/annan.txt"), "x");
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"annan.txt", "rapport.doc"}));
    EXPECT_EQ(engine->antalfel, 1);
    EXPECT_EQ(engine->fel_jobb, 1);
    EXPECT_EQ(engine->ändrade_totalt, 0);
    EXPECT_EQ(engine->genomsökta_totalt, 2);
    EXPECT_TRUE(engine->imgerr);
    EXPECT_EQ(log("log_err.txt"),
              QStringList({"", "Fel i versionshantering: Felkod 57 I/O-fel på enheten (Jobb: Jobb)",
                           "Från: " + dst + "/rapport.doc",
                           "Till: " + verFolder + "rapport[2024-05-01 14;03;27].doc"}));
    EXPECT_EQ(progress.windowLines,
              QStringList({" Fel under versionshantering, " + verFolder + dst + "/rapport.doc"}));
    EXPECT_TRUE(program().systemLog().text().contains("FEL! Fel under versionshantering, " + verFolder + dst +
                                                      "/rapport.doc"));
    EXPECT_FALSE(QFile::exists(path("log_filversion.txt")));
}

TEST_F(VersioningTest, NoVersionFolderIsMadeOnAVolumeThatIsNotThere) {
    platform::addVolumeParent(work("media"));
    testutil::makeDir(work("media/usb")); // an empty mount folder: the disk is unplugged
    m->txtversionmapp = work("media/usb/Versioner");
    changed("rapport.doc", "ny", "gammal", at());
    engine->file_copy(0);
    EXPECT_TRUE(QDir(work("media/usb")).isEmpty());
    EXPECT_EQ(readBytes(dst + "/rapport.doc"), "gammal");
    EXPECT_EQ(engine->antalfel, 1);
}

// A drive mounted at the version folder inside the backup folder is the user's: no version is
// written there and none of its files is pruned.
TEST_F(VersioningTest, NothingIsWrittenOrPrunedOnADriveMountedInTheBackupFolder) {
    m->txtbackupmapp = work("backup");
    m->txtversionmapp = work("backup/Versioner");
    m->txtversionmax = "1";
    verFolder = platform::relativeTarget(m->txtversionmapp, src);
    testutil::makeDir(work("backup/Versioner"));
    testutil::Mounted drive(work("backup/Versioner"));
    writeFile(verFolder + "rapport[2024-01-01 10;00;00].doc", "v1", at());
    writeFile(verFolder + "rapport[2024-02-01 10;00;00].doc", "v2", at());
    changed("rapport.doc", "ny", "gammal", at());
    engine->file_copy(0);
    EXPECT_EQ(testutil::treeFiles(verFolder),
              QStringList({"rapport[2024-01-01 10;00;00].doc", "rapport[2024-02-01 10;00;00].doc"}));
    EXPECT_EQ(readBytes(dst + "/rapport.doc"), "gammal");
    EXPECT_EQ(engine->antalfel, 1);
}

TEST_F(VersioningTest, ASimulatedRunCountsAndListsButMakesNoCopy) {
    progress.sim = true;
    writeFile(verFolder + "rapport[2024-01-01 10;00;00].doc", "v1", at());
    writeFile(verFolder + "rapport[2024-02-01 10;00;00].doc", "v2", at());
    writeFile(verFolder + "rapport[2024-03-01 10;00;00].doc", "v3", at());
    m->txtversionmax = "1";
    changed("rapport.doc", "ny", "gammal", at());
    EXPECT_TRUE(engine->versionshantering(dst + "/rapport.doc", 0));
    EXPECT_EQ(testutil::treeFiles(verFolder).size(), 3); // nothing pruned
    EXPECT_EQ(log("log_filversion.txt"),
              QStringList({"+ " + verFolder + "rapport[2024-05-01 14;03;27].doc"}));
    EXPECT_EQ(engine->versioner_totalt, 1);
}

TEST_F(VersioningTest, AnEmptyOrRootVersionFolderNeverWritesIntoTheSource) {
    for (const QString setting : {"", "/", "Versioner"}) {
        m->txtversionmapp = setting;
        changed("rapport.doc", "ny", "gammal", at());
        engine->file_copy(0);
        EXPECT_EQ(testutil::treeFiles(src), QStringList({"rapport.doc"})) << setting.toStdString();
        EXPECT_EQ(readBytes(dst + "/rapport.doc"), "gammal");
    }
    EXPECT_EQ(engine->antalfel, 3);
    EXPECT_EQ(log("log_err.txt")[1],
              "Fel i versionshantering: Felkod 76 Sökvägen hittades inte (Jobb: Jobb)");
}

// A name so long that the stamp would take it past what the disk takes: the version's name part
// is shortened (extension and stamp kept, so the versions are still pruned), the log says so, and
// the backup copy is kept current. A killed version copy's leftover goes at the next version.
TEST_F(VersioningTest, ALongNameGetsAShortenedVersionAndTheCopyIsKeptCurrent) {
    m->txtversionmax = "1";
    const QString name = QString(236, QLatin1Char('r')) + ".doc"; // 240 bytes
    const QString leftover = platform::temporaryName(name);
    writeFile(verFolder + leftover, "halv", at());
    changed(name, "ny", "gammal", at());
    engine->file_copy(0);
    changed(name, "nyast", "ny", at(3600));
    engine->file_copy(0);

    EXPECT_EQ(readBytes(dst + "/" + name), "nyast");
    const QString kept = QString(230, QLatin1Char('r')) + "[2024-05-01 15;03;27].doc";
    EXPECT_EQ(testutil::treeFiles(verFolder), QStringList({kept}));
    EXPECT_EQ(readBytes(verFolder + kept), "ny");
    EXPECT_EQ(engine->misslyckade_totalt, 0);
    EXPECT_TRUE(log("log_filversion.txt").contains("+ " + verFolder + kept));
    EXPECT_TRUE(
        log("log_filversion.txt")
            .contains("  Versionens namn förkortades, eftersom filsystemet inte tar längre namn: " + name));
}
