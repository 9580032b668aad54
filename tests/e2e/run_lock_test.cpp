// Two processes of one program folder: while one holds the run lock, a second one's run is
// refused and leaves the first one's files alone.
#include "support/e2e.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

TEST(RunLock, ACommandLineRunIsRefusedWhileAnotherProcessHoldsTheLock) {
    QTemporaryDir dir;
    QTemporaryDir work;
    testutil::writeFile(work.path() + "/källa/a.txt", "innehåll");
    testutil::makeDir(work.path() + "/backup");
    testutil::JobSpec j;
    j.name = "Jobb";
    j.folders = {work.path() + "/källa"};
    j.mainFolders = j.folders;
    j.backupFolder = work.path() + "/backup";
    testutil::writeJob(dir.path() + "/Listor", j);
    testutil::writeLines(dir.path() + "/log.txt", {"the other run's log"});

    QLockFile other(dir.path() + "/tamrel-backup.lock");
    ASSERT_TRUE(other.tryLock(0));
    auto r = testutil::runProgram(dir.path(), {"Jobb"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    const QString programLog = QString::fromUtf8(testutil::readBytes(dir.path() + "/programlogg.txt"));
    EXPECT_TRUE(
        programLog.contains("FEL! En annan backupkörning pågår redan från den här programmappen. Den här "
                            "körningen startades inte. Plats: Utför backup"))
        << programLog.toStdString();
    EXPECT_EQ(testutil::readLines(dir.path() + "/log.txt"), QStringList({"the other run's log"}));
    EXPECT_TRUE(QDir(work.path() + "/backup").isEmpty());

    other.unlock();
    r = testutil::runProgram(dir.path(), {"Jobb"});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    EXPECT_EQ(testutil::readBytes(work.path() + "/backup" + work.path() + "/källa/a.txt"),
              QByteArray("innehåll"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/tamrel-backup.lock"));
}
