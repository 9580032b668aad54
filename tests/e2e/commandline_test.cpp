#include "support/e2e.h"
#include "support/fixture.h"

#include <QTemporaryDir>

TEST(CommandLine, UnknownJobEndsWithStatusOneAndWritesTheProgramLog) {
    QTemporaryDir dir;
    const auto r = testutil::runProgram(dir.path(), {"Finns inte"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    const QString log = QString::fromUtf8(testutil::readBytes(dir.path() + "/programlogg.txt"));
    EXPECT_TRUE(log.contains("Hittade startkommando för uppstart: Finns inte")) << log.toStdString();
    EXPECT_TRUE(log.contains("Avslutar programmet."));
}
