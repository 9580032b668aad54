#include "support/e2e.h"
#include "support/fixture.h"
#include "support/mounted.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {
QString programLog(const QString& folder) {
    return QString::fromUtf8(testutil::readBytes(folder + "/programlogg.txt"));
}

// Settings and readme marker present, so an interactive start asks nothing.
void settle(const QString& folder) {
    QStringList settings;
    for (int i = 0; i < 19; ++i)
        settings << " 0 ";
    testutil::writeLines(folder + "/programalternativ.ini", settings);
    testutil::writeLines(folder + "/setup_api.ini", {" 0 "});
    testutil::writeLines(folder + "/readme700.dat", {"1"});
}

testutil::JobSpec job(const QString& name, const QString& source, const QString& backup) {
    testutil::JobSpec j;
    j.name = name;
    j.folders = {source};
    j.mainFolders = {source};
    j.backupFolder = backup;
    return j;
}
} // namespace

TEST(CommandLine, UnknownJobEndsWithStatusOneAndWritesTheProgramLog) {
    QTemporaryDir dir;
    const auto r = testutil::runProgram(dir.path(), {"Finns inte"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    // Whoever typed the name learns at once why nothing ran.
    const QString refusal = "FEL! Det finns inget jobb med namnet ''Finns inte'' i jobbgrupp 1.";
    EXPECT_TRUE(r.errors.contains(refusal)) << r.errors.toStdString();
    const QString log = programLog(dir.path());
    EXPECT_TRUE(log.contains(refusal)) << log.toStdString();
    EXPECT_TRUE(log.contains("Hittade startkommando för uppstart: Finns inte")) << log.toStdString();
    EXPECT_TRUE(log.contains("Avslutar programmet.\r\n\r\n\r\n"));
    EXPECT_EQ(log.count("Uppstart av Tamrel Backup version 7.0.0"), 1);
    // The window was never shown, so no geometry was saved.
    EXPECT_FALSE(QFile::exists(dir.path() + "/setup_windowsize_main.ini"));
}

TEST(CommandLine, OnlyTheFirstJobGroupAndTheExactNameCount) {
    QTemporaryDir dir;
    QTemporaryDir work;
    testutil::writeFile(work.path() + "/källa/a.txt", "a");
    testutil::writeJob(dir.path() + "/Listor2",
                       job("Andra", work.path() + "/källa", work.path() + "/backup"));
    testutil::writeJob(dir.path() + "/Listor", job("Jobb", work.path() + "/källa", work.path() + "/backup"));
    testutil::writeLines(dir.path() + "/setup_arkivnr.ini", {"1"});

    auto r = testutil::runProgram(dir.path(), {"Andra"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    r = testutil::runProgram(dir.path(), {"jobb"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    r = testutil::runProgram(dir.path(), {"Jobb,3"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();

    const QString log = programLog(dir.path());
    EXPECT_TRUE(log.contains("Hittade startkommando för uppstart: Jobb,3"));
    EXPECT_EQ(log.count("Avslutar programmet."), 3);
    // Nothing was run, so nothing was copied.
    EXPECT_FALSE(QDir(work.path() + "/backup").exists());
}

TEST(CommandLine, TheNamedJobRunsAndEndsWithStatusZero) {
    QTemporaryDir dir;
    QTemporaryDir work;
    testutil::writeFile(work.path() + "/källa/a.txt", "innehåll");
    testutil::writeJob(dir.path() + "/Listor", job("Jobb", work.path() + "/källa", work.path() + "/backup"));
    testutil::makeDir(work.path() + "/backup");
    const auto r = testutil::runProgram(dir.path(), {"Jobb"});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    const QString log = programLog(dir.path());
    EXPECT_TRUE(log.contains("Hittade startkommando för uppstart: Jobb\r\n")) << log.toStdString();
    EXPECT_TRUE(log.endsWith("  Avslutar programmet.\r\n\r\n\r\n"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/log.txt"));
}

class Termination : public ::testing::TestWithParam<int> {};

TEST_P(Termination, ClosesTheProgramTheNormalWay) {
    QTemporaryDir dir;
    settle(dir.path());
    const QString exe = dir.path() + "/tamrel-backup";
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMREL_EXECUTABLE), exe));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    proc.setProcessEnvironment(env);
    proc.start(exe, {});
    ASSERT_TRUE(proc.waitForStarted());
    // The job-group folder is made after the signal handlers are in place.
    for (int i = 0; i < 1000 && !QDir(dir.path() + "/Listor").exists(); ++i)
        QThread::msleep(10);
    ASSERT_TRUE(QDir(dir.path() + "/Listor").exists());
    ::kill(static_cast<pid_t>(proc.processId()), GetParam());
    ASSERT_TRUE(proc.waitForFinished(30000));
    EXPECT_EQ(proc.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(proc.exitCode(), 0);
    const QString log = programLog(dir.path());
    EXPECT_TRUE(log.endsWith("  Avslutar programmet.\r\n\r\n\r\n")) << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(CommandLine, Termination, ::testing::Values(SIGTERM, SIGHUP));

// A job whose files cannot be read as written is never run half-read: an emptied filter file
// took the relative path type by default and copied nothing, yet "utan fel".
TEST(CommandLine, AJobThatCannotBeReadIsNotRunAndEndsWithStatusOne) {
    struct Case {
        const char* name;
        int file;
        QByteArray content;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"emptied filters", 3, QByteArray(), "Dok.003 [62] - "},
        {"a megabyte line", 2, QByteArray(1000000, 'x') + "\r\n", "Dok.002 [75] - "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        QTemporaryDir work;
        testutil::writeFile(work.path() + "/källa/a.txt", "a");
        testutil::makeDir(work.path() + "/backup");
        testutil::writeJob(dir.path() + "/Listor",
                           job("Dok", work.path() + "/källa", work.path() + "/backup"));
        testutil::writeFile(dir.path() + QStringLiteral("/Listor/Dok.00%1").arg(c.file), c.content);

        const auto r = testutil::runProgram(dir.path(), {"Dok"});
        EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
        EXPECT_TRUE(r.errors.contains("FEL! Jobbet Dok körs inte, eftersom jobbets filer inte kunde läsas"))
            << r.errors.toStdString();
        const QString log = QString::fromUtf8(testutil::readBytes(dir.path() + "/log.txt"));
        EXPECT_TRUE(
            log.contains("FEL: Jobbet ''Dok'' kördes inte, eftersom jobbets filer inte kunde läsas: "))
            << log.toStdString();
        EXPECT_TRUE(log.contains(c.why)) << log.toStdString();
        EXPECT_FALSE(log.contains("utan fel"));
        EXPECT_TRUE(testutil::treeFiles(work.path() + "/backup").isEmpty());
        EXPECT_TRUE(programLog(dir.path())
                        .contains("FEL! Jobbet Dok körs inte, eftersom jobbets filer inte kunde läsas"));
    }
}

// "lnk/.." is where the kernel takes it: the folder above where the link leads. Tidied away as
// text, a backup folder that is the home folder, or a source below the backup folder, passed the
// check, and the mirror deleted the user's files.
TEST(CommandLine, ALinkFollowedByTwoDotsIsJudgedWhereItLeads) {
    struct Case {
        const char* name;
        QString main, backup;
        const char* why;
    };
    QTemporaryDir work;
    const QString w = work.path();
    const std::vector<Case> cases = {
        {"a backup folder that is the home folder", w + "/hem/Dokument", w + "/x/lnk/..", "hemmappen"},
        {"a main folder below its backup folder", w + "/x/ln2/../src", w + "/data", "källmappen"},
    };
    testutil::writeFile(w + "/hem/Dokument/a.txt", "a");
    testutil::writeFile(w + "/hem/Bilder/bild.jpg", "bild");
    testutil::writeFile(w + "/hem/anteckning.txt", "viktig");
    testutil::writeFile(w + "/data/src/b.txt", "b");
    testutil::writeFile(w + "/data/Bilder/c.jpg", "c");
    testutil::makeDir(w + "/x");
    QFile::link(w + "/hem/Bilder", w + "/x/lnk");
    QFile::link(w + "/data/Bilder", w + "/x/ln2");
    const QStringList before = testutil::treeFiles(w);
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(w + "/hem"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        testutil::JobSpec j = job("Jobb", c.main, c.backup);
        testutil::writeJob(dir.path() + "/Listor", j);

        const auto r = testutil::runProgram(dir.path(), {"Jobb,1"});
        EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
        const QString log = QString::fromUtf8(testutil::readBytes(dir.path() + "/log.txt"));
        EXPECT_TRUE(log.contains(QStringLiteral("kördes inte, eftersom backupmappen är ") + c.why))
            << log.toStdString();
        EXPECT_EQ(testutil::treeFiles(w), before);
    }
    qputenv("HOME", home);
}

// A drive mounted below the backup folder is not the backup's: a mirroring run deletes nothing on
// it, names it in log.txt and ends with status one.
TEST(CommandLine, AMirrorLeavesADriveMountedBelowTheBackupFolderAlone) {
    QTemporaryDir dir;
    QTemporaryDir work;
    const QString w = work.path();
    const QString usb = w + "/backup/usb";
    testutil::writeFile(w + "/källa/a.txt", "a");
    testutil::makeDir(usb);
    testutil::JobSpec j = job("Jobb", w + "/källa", w + "/backup");
    j.options[2] = "1"; // the copies straight into the backup folder, beside the drive
    testutil::writeJob(dir.path() + "/Listor", j);
    testutil::Mounted drive(usb);
    if (!drive.real())
        GTEST_SKIP() << "this machine lets no test mount a drive";
    testutil::writeFile(usb + "/Foton/bild.jpg", "b");
    testutil::writeFile(usb + "/doc.txt", "d");

    const auto r = testutil::runProgram(dir.path(), {"Jobb,1"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    EXPECT_EQ(testutil::treeFiles(usb), QStringList({"Foton/bild.jpg", "doc.txt"}));
    EXPECT_EQ(testutil::readBytes(w + "/backup/a.txt"), "a");
    const QString log = QString::fromUtf8(testutil::readBytes(dir.path() + "/log.txt"));
    EXPECT_TRUE(log.contains("FEL: " + usb + " är en annan enhet och lämnades orörd\r\n"))
        << log.toStdString();
    EXPECT_FALSE(log.contains("utan fel"));
}
