// A command-line run never shows the readme nor marks it as shown.
#include "support/e2e.h"
#include "support/fixture.h"

#include <QFile>
#include <QTemporaryDir>

TEST(ReadmeAndCommandLine, ARunFromTheCommandLineLeavesTheReadmeForTheFirstInteractiveStart) {
    QTemporaryDir dir;
    QTemporaryDir work;
    testutil::writeFile(work.path() + "/Källa/a.txt", "a");
    testutil::JobSpec j;
    j.name = "Jobb";
    j.folders = j.mainFolders = {work.path() + "/Källa"};
    j.backupFolder = work.path() + "/Backup";
    testutil::writeJob(dir.path() + "/Listor", j);
    testutil::makeDir(work.path() + "/Backup");
    testutil::writeFile(dir.path() + "/readme.txt", "Läs mig");
    testutil::writeFile(dir.path() + "/readme400.dat", "");
    // Only an interactive start shows the readme and writes its marker.
    const auto r = testutil::runProgram(dir.path(), {"Jobb"}, 60000);
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    EXPECT_TRUE(QFile::exists(work.path() + "/Backup" + work.path() + "/Källa/a.txt"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/readme700.dat"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/readme400.dat"));
}
