// Two processes of one program folder: while one holds the run lock, the other's run is refused.
#include "support/e2e.h"
#include "support/fixture.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>

TEST(RunLock, ACommandLineRunIsRefusedWhileAnotherProcessHoldsTheLock) {
    QTemporaryDir dir, work;
    testutil::writeFile(work.path() + "/källa/a.txt", "innehåll");
    testutil::makeDir(work.path() + "/backup");
    testutil::writeJob(dir.path() + "/Listor",
                       testutil::jobOver("Jobb", work.path() + "/källa", work.path() + "/backup"));
    QLockFile other(dir.path() + "/tamrel-backup.lock");
    ASSERT_TRUE(other.tryLock(0));
    auto r = testutil::runProgram(dir.path(), {"Jobb"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    EXPECT_TRUE(testutil::readBytes(dir.path() + "/programlogg.txt")
                    .contains("FEL! En annan backupkörning pågår redan från den här programmappen."));
    EXPECT_FALSE(QFile::exists(dir.path() + "/log.txt"));

    other.unlock();
    r = testutil::runProgram(dir.path(), {"Jobb"});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    EXPECT_EQ(testutil::readBytes(work.path() + "/backup" + work.path() + "/källa/a.txt"),
              QByteArray("innehåll"));
}
