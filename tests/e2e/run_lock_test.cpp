// Two processes of one program folder: while one holds the run lock, the other's run is refused,
// and says on standard error what holds the folder.
#include "core/operations.h"
#include "platform/run_lock.h"
#include "support/e2e.h"
#include "support/fixture.h"

#include <QDir>
#include <QTemporaryDir>

TEST(RunLock, ACommandLineRunIsRefusedWhileAnotherProcessHoldsTheLockAndNamesWhatItDoes) {
    QTemporaryDir dir, work;
    testutil::writeFile(work.path() + "/källa/a.txt", "innehåll");
    testutil::makeDir(work.path() + "/backup");
    testutil::writeJob(dir.path() + "/Listor",
                       testutil::jobOver("Jobb", work.path() + "/källa", work.path() + "/backup"));
    const struct {
        const char* doing; // what the other process said it does ("": nothing)
        const char* named;
    } cases[] = {{"en mappsynkronisering", "En mappsynkronisering"}, {"", "En annan körning"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doing);
        const QString refusal = QString(c.named) + " pågår redan från den här programmappen. Den här "
                                                   "körningen startades inte";
        platform::FolderLock other(dir.path(), OperationGate::runLockFileName());
        ASSERT_EQ(other.tryTake(c.doing), platform::FolderLock::Result::Taken);
        const testutil::RunResult r = testutil::runProgram(dir.path(), {"Jobb"});
        EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
        EXPECT_TRUE(r.errors.contains("FEL! " + refusal + "\n")) << r.errors.toStdString();
        EXPECT_TRUE(
            QString::fromUtf8(testutil::readBytes(dir.path() + "/programlogg.txt")).contains(refusal));
        EXPECT_FALSE(QFile::exists(dir.path() + "/log.txt"));
    }

    const testutil::RunResult r = testutil::runProgram(dir.path(), {"Jobb"});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    EXPECT_EQ(testutil::readBytes(work.path() + "/backup" + work.path() + "/källa/a.txt"),
              QByteArray("innehåll"));
}
