#include "engine_support.h"
#include "run/test_write.h"

#include <QDir>
#include <QFile>
#include <cerrno>

TEST(TestWriteDrives, AnEntryNamesAWholeVolumeOnly) {
    EXPECT_TRUE(entryNamesDrive("FEL: Enhet /mnt/usb saknas.", "/mnt/usb"));
    EXPECT_TRUE(entryNamesDrive("FEL: Backupmappen /mnt/usb/Backup saknas för jobb ''A''.", "/mnt/usb"));
    EXPECT_FALSE(entryNamesDrive("FEL: Enhet /mnt/usb2 saknas.", "/mnt/usb"));
    EXPECT_TRUE(entryNamesDrive("Enhet //server/dela/backup saknas.", "//server/dela/backup"));
}

class TestWriteTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        platform::addVolumeParent(work("media"));
        testutil::makeDir(work("media/usb")); // unplugged: an empty mount folder
        testutil::makeDir(work("ok"));
    }
    FakeJob job(const QString& name, const QString& folder, const QString& ignore = "NEJ") {
        return FakeJob{name, true, [=](CurrentJobRecord* m) {
                           m->txtbackupmapp = folder;
                           m->txtignorerasaknadenhet = ignore;
                       }};
    }
};

TEST_F(TestWriteTest, AWritableFolderKeepsItsJobAndNoTestFile) {
    testutil::writeFile(work("ok/behåll.txt"), "x");
    progress.jobs = {job("A", work("ok")), job("B", work("ok"))};
    progress.jobs[1].selected = false;
    engine->provskriv_tillbackupmapp();
    EXPECT_TRUE(progress.jobs[0].selected);
    EXPECT_FALSE(progress.jobs[1].selected);
    EXPECT_EQ(testutil::treeFiles(work("ok")), QStringList({"behåll.txt"}));
    EXPECT_TRUE(engine->listsaknadenhet.isEmpty());
    EXPECT_EQ(engine->antalfel, 0);
    EXPECT_EQ(progress.windowLines, QStringList({" Provskriver till backupmappar..."}));
    EXPECT_TRUE(progress.targetFolder.isEmpty());
}

TEST_F(TestWriteTest, TwoJobsOnOneMissingVolumeGiveOneEntryAndOneError) {
    progress.jobs = {job("A", work("media/usb/Backup")), job("B", work("media/usb/Annan"))};
    engine->provskriv_tillbackupmapp();
    EXPECT_FALSE(progress.jobs[0].selected);
    EXPECT_FALSE(progress.jobs[1].selected);
    EXPECT_EQ(engine->listsaknadenhet, QStringList({"FEL: Enhet " + work("media/usb") + " saknas."}));
    EXPECT_EQ(engine->antalfel, 1);
    EXPECT_TRUE(engine->imgerr);
    EXPECT_TRUE(engine->fel_i_jobbet);
    EXPECT_TRUE(QDir(work("media/usb")).isEmpty()); // nothing written onto the system disk
}

TEST_F(TestWriteTest, IgnoringAMissingVolumeIsANoteWithoutError) {
    progress.jobs = {job("A", work("media/usb/Backup"), "JA"), job("B", work("media/usb/X"), "JA")};
    engine->provskriv_tillbackupmapp();
    EXPECT_FALSE(progress.jobs[0].selected);
    EXPECT_EQ(engine->listsaknadenhet, QStringList({"Enhet " + work("media/usb") + " saknas."}));
    EXPECT_EQ(engine->antalfel, 0);
    EXPECT_FALSE(engine->imgerr);
}

TEST_F(TestWriteTest, AMissingFolderOnAPresentDriveIsAnErrorEvenWhenIgnored) {
    progress.jobs = {job("A", work("saknas")), job("B", work("saknas2"), "JA"), job("C", ""),
                     job("D", "Backup")};
    engine->provskriv_tillbackupmapp();
    for (const FakeJob& j : progress.jobs)
        EXPECT_FALSE(j.selected);
    EXPECT_EQ(engine->listsaknadenhet,
              QStringList({"FEL: Backupmappen " + work("saknas") + " saknas för jobb ''A''.",
                           "FEL: Backupmappen " + work("saknas2") + " saknas för jobb ''B''.",
                           "FEL: Backupmappen  saknas för jobb ''C''.",
                           "FEL: Backupmappen Backup saknas för jobb ''D''."}));
    EXPECT_EQ(engine->antalfel, 4);
    EXPECT_FALSE(QFile::exists("Backup/" + testFileName()));
    EXPECT_FALSE(QFile::exists("/" + testFileName()));
}

TEST_F(TestWriteTest, AnErrorEntryReplacesANoteForTheSameVolumeAndAFaultFailsTheWrite) {
    testutil::makeDir(work("ok/låst"));
    platform::injectFault(work("ok/låst"), EACCES);
    progress.jobs = {job("A", work("media/usb/Backup"), "JA"), job("B", work("media/usb/Backup")),
                     job("C", work("ok/låst"))};
    engine->provskriv_tillbackupmapp();
    EXPECT_EQ(engine->listsaknadenhet,
              QStringList({"FEL: Enhet " + work("media/usb") + " saknas.",
                           "FEL: Backupmappen " + work("ok/låst") + " saknas för jobb ''C''."}));
    EXPECT_EQ(engine->antalfel, 2);
}

TEST_F(TestWriteTest, ALinkNamedLikeTheTestFileIsNotWrittenThrough) {
    testutil::writeFile(work("viktig.txt"), "rör ej");
    ASSERT_TRUE(QFile::link(work("viktig.txt"), work("ok/" + testFileName())));
    EXPECT_TRUE(writeTestFile(work("ok")));
    EXPECT_EQ(testutil::readBytes(work("viktig.txt")), "rör ej");
    EXPECT_FALSE(QFileInfo(work("ok/" + testFileName())).isSymLink());
}
