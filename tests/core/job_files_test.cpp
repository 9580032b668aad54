#include "core/job_files.h"
#include "core/run_memory.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/fixture.h"

#include <cerrno>

namespace {
testutil::JobSpec jobSpec(const QString& name, const QStringList& folders = {},
                          const QStringList& mainFolders = {}, const QString& backup = {}) {
    testutil::JobSpec j;
    j.name = name;
    j.folders = folders;
    j.mainFolders = mainFolders;
    j.backupFolder = backup;
    return j;
}
} // namespace

class JobFilesTest : public ProgramTest {
  protected:
    QString group() const { return path("Listor"); }
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(group());
    }
    static int errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const platform::RunError& e) {
            return e.number;
        }
        return 0;
    }
};

TEST_F(JobFilesTest, ListTakesVisibleJobsInCaseInsensitiveOrder) {
    for (const char* n : {"beta", "Arkiv", "alfa", "Östen", "Zeta"})
        testutil::writeJob(group(), jobSpec(QString::fromUtf8(n)));
    testutil::writeLines(group() + "/.dold.000", {});     // hidden
    testutil::writeLines(group() + "/inte_jobb.001", {}); // no .000
    testutil::writeLines(group() + "/gammal.0001", {});
    EXPECT_EQ(JobFiles::list(group()), (QStringList{"alfa", "Arkiv", "beta", "Zeta", "Östen"}));
    EXPECT_EQ(errorOf([&] { JobFiles::list(path("Listor3")); }), 76);
    // The current group is the default folder.
    EXPECT_EQ(JobFiles("alfa").path(3), group() + "/alfa.003");
    EXPECT_TRUE(JobFiles("alfa").exists());
    EXPECT_FALSE(JobFiles("saknas").exists());
}

TEST_F(JobFilesTest, MissingOptionalFilesAreCreatedWithDefaults) {
    JobFiles j(group(), "Jobb");
    j.writeFolders({"/data", "/data/a"});
    j.writeMainFolders({"/data"});
    j.writeBackupFolder("/mnt/usb/Backup");
    const JobFiles::Data d = j.read();
    EXPECT_EQ(d.folders, (QStringList{"/data", "/data/a"}));
    EXPECT_EQ(d.backupFolder, "/mnt/usb/Backup");
    EXPECT_EQ(d.filters.types, "*.*");
    EXPECT_EQ(testutil::readBytes(j.path(3)), QByteArray("*.*\r\n"));
    EXPECT_EQ(testutil::readBytes(j.path(4)), QByteArray("NEJ\r\nNEJ\r\n0\r\nNEJ\r\n"));
    EXPECT_EQ(d.options.rescan, "");
    EXPECT_EQ(d.options.preventMirror, "NEJ");
    EXPECT_EQ(d.options.pathType, "0");
    EXPECT_EQ(d.options.createMainFolder, "NEJ");
    EXPECT_EQ(d.options.ignoreMissingDrive, "");
    EXPECT_TRUE(j.hasFile(5));
    EXPECT_EQ(testutil::readBytes(j.path(5)), QByteArray());
    EXPECT_FALSE(d.schedule);
    EXPECT_FALSE(d.lastRun);
    EXPECT_EQ(d.versioning.on, "NEJ");
    // Only the three optional files were created.
    for (int n : {6, 7, 8, 9, 10})
        EXPECT_FALSE(j.hasFile(n)) << n;
}

TEST_F(JobFilesTest, ShortFilesReadWithTheirDefaultsOrFail) {
    JobFiles j(group(), "Kort");
    testutil::writeJob(group(), jobSpec("Kort"));
    j.writeFile(4, {"JA", "", ""}); // empty lines 2 and 3, no line 4 or 5
    JobFiles::Options o = j.readOptions();
    EXPECT_EQ(o.rescan, "JA");
    EXPECT_EQ(o.preventMirror, "NEJ");
    EXPECT_EQ(o.pathType, "0");
    EXPECT_EQ(o.createMainFolder, "NEJ");
    EXPECT_EQ(o.ignoreMissingDrive, "");

    j.writeFile(3, {"*.doc"});
    EXPECT_EQ(j.readFilters().types, "*.doc");
    EXPECT_EQ(j.readFilters().maxMb, "");

    j.writeFile(9, {"JA", "doc", "", "3"}); // line 5 missing
    EXPECT_EQ(errorOf([&] { j.readVersioning(); }), 62);
    j.writeFile(8, {"a"});
    EXPECT_EQ(errorOf([&] { j.readPrograms(); }), 62);
    j.writeFile(2, {});
    EXPECT_EQ(errorOf([&] { j.readBackupFolder(); }), 62);
    j.writeFile(3, {});
    EXPECT_EQ(errorOf([&] { j.readFilters(); }), 62);
    platform::removeFile(j.path(1));
    EXPECT_EQ(errorOf([&] { j.readMainFolders(); }), 53);
}

TEST_F(JobFilesTest, ScheduleAndLastRun) {
    JobFiles j(group(), "Schema");
    j.writeSchedule({1, 0, "21:30", "0234560", 1});
    EXPECT_EQ(testutil::readBytes(j.path(6)), QByteArray(" 1 \r\n 0 \r\n21:30\r\n0234560\r\n 1 \r\n"));
    auto s = j.readSchedule();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->active, 1);
    EXPECT_EQ(s->simulate, 1);
    EXPECT_FALSE(s->day(1));
    EXPECT_TRUE(s->day(2));
    EXPECT_FALSE(s->day(7));
    // Plain digits read the same; days in any order; lines 4 and 5 may be missing.
    j.writeFile(6, {"1", "1", "08:00", "0600001"});
    s = j.readSchedule();
    EXPECT_EQ(s->mirror, 1);
    EXPECT_TRUE(s->day(1));
    EXPECT_TRUE(s->day(6));
    EXPECT_FALSE(s->day(2));
    EXPECT_EQ(s->simulate, 0);
    j.writeFile(6, {"1", "0", "08:00"});
    EXPECT_FALSE(j.readSchedule()->hasDays);
    j.writeFile(6, {"x", "0", "08:00"});
    EXPECT_EQ(errorOf([&] { j.readSchedule(); }), 13);

    j.writeLastRun({"2026-01-02 03:04", "Manuell"});
    EXPECT_EQ(j.readLastRun()->kind, "Manuell");
    j.writeFile(7, {"2026-01-02 03:04"});
    EXPECT_EQ(j.readLastRun()->when, "2026-01-02 03:04");
    EXPECT_EQ(j.readLastRun()->kind, "");
}

TEST_F(JobFilesTest, WholeSetOperationsCarryTheRightFiles) {
    testutil::writeJob(group(), jobSpec("Källa", {"/a"}, {"/a"}, "/b"));
    JobFiles src(group(), "Källa");
    src.writeSchedule({0, 0, "10:00", "0000000", 0});
    src.writeLastRun({"2026-01-02 03:04", "Manuell"});
    src.writeFile(10, {"okänt"});
    RunMemory memory;
    memory.mountRoots = {"/a/Musik"};
    memory.write(src);

    const QString other = path("Listor2");
    testutil::makeDir(other);
    src.copyTo(JobFiles(other, "Källa"), 10);  // copy to another group
    src.copyTo(JobFiles(group(), "Kopia"), 9); // duplicate
    EXPECT_TRUE(JobFiles(other, "Källa").hasFile(10));
    EXPECT_TRUE(JobFiles(group(), "Kopia").hasFile(9));
    EXPECT_FALSE(JobFiles(group(), "Kopia").hasFile(10));
    EXPECT_EQ(testutil::readBytes(JobFiles(other, "Källa").path(7)), testutil::readBytes(src.path(7)));

    src.renameTo(JobFiles(group(), "Nytt"));
    EXPECT_FALSE(src.hasFile(0));
    EXPECT_FALSE(src.hasFile(10));
    EXPECT_FALSE(src.hasFile(RunMemory::kFile));
    EXPECT_TRUE(JobFiles(group(), "Nytt").hasFile(10));
    EXPECT_EQ(RunMemory::read(JobFiles(group(), "Nytt")).mountRoots, memory.mountRoots);
    // What another version wrote there is nothing remembered.
    JobFiles(other, "Källa").writeFile(RunMemory::kFile, {"/a/Musik"});
    EXPECT_TRUE(RunMemory::read(JobFiles(other, "Källa")).mountRoots.isEmpty());
    EXPECT_EQ(JobFiles(group(), "Nytt").readBackupFolder(), "/b");
    // Renaming to its own name keeps the job.
    JobFiles(group(), "Nytt").renameTo(JobFiles(group(), "Nytt"));
    EXPECT_TRUE(JobFiles(group(), "Nytt").exists());

    JobFiles(group(), "Nytt").remove();
    EXPECT_EQ(testutil::treeFiles(group()),
              (QStringList{"Kopia.000", "Kopia.001", "Kopia.002", "Kopia.003", "Kopia.004", "Kopia.005",
                           "Kopia.006", "Kopia.007", "Kopia.008", "Kopia.009", "Nytt.010"}));
}

TEST_F(JobFilesTest, FailedCopyDuringRenameKeepsTheOldJob) {
    testutil::writeJob(group(), jobSpec("Gammal", {"/a"}, {"/a"}, "/b"));
    JobFiles old(group(), "Gammal");
    JobFiles neu(group(), "Ny");
    platform::injectFault(neu.path(4), ENOSPC);
    EXPECT_EQ(errorOf([&] { old.renameTo(neu); }), 61);
    for (int n : {0, 1, 2, 3, 4, 5, 8, 9})
        EXPECT_TRUE(old.hasFile(n)) << n;
    EXPECT_FALSE(neu.hasFile(4));
}

TEST_F(JobFilesTest, FailedWriteLeavesTheOldFile) {
    testutil::writeJob(group(), jobSpec("J", {"/a"}, {"/a"}, "/gammal"));
    JobFiles j(group(), "J");
    platform::injectFault(j.path(2), ENOSPC);
    EXPECT_EQ(errorOf([&] { j.writeBackupFolder("/ny"); }), 61);
    platform::clearFaults();
    EXPECT_EQ(j.readBackupFolder(), "/gammal");
}
