#include "mainwindow/main_window.h"
#include "run/backup_window.h"
#include "run/job_programs.h"
#include "support/fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextEdit>

TEST(JobProgramsList, SplitsAndDecidesWhatIsLookedUpAsAProgram) {
    EXPECT_EQ(JobPrograms::entries("a ;; b ;; "), QStringList({"a", "b"}));
    EXPECT_EQ(JobPrograms::entries("a ;;  ;; \"c d\""), QStringList({"a", "", "\"c d\""}));
    EXPECT_TRUE(JobPrograms::entries("").isEmpty());
    EXPECT_TRUE(JobPrograms::endsProcesses("editor.exe"));
    EXPECT_TRUE(JobPrograms::endsProcesses("gedit"));
    EXPECT_TRUE(JobPrograms::endsProcesses("Min executor - fönster"));
    EXPECT_FALSE(JobPrograms::endsProcesses("Rapport - Redigerare"));
}

class JobProgramsTest : public ProgramTest {};

TEST_F(JobProgramsTest, ClosingEndsTheNamedProgramAndLogsInThreePlaces) {
    prog().form<frmmain>();
    prog().form<frmutförbackup>(); // closing programs happens in a run, with the window loaded
    // A name of this run's own, so parallel test runs never end each other's processes.
    const QString name = QString("tamrelsov%1").arg(QCoreApplication::applicationPid());
    const QString exe = work(name);
    ASSERT_TRUE(QFile::copy("/bin/sleep", exe));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    QProcess child;
    child.start(exe, {"60"});
    ASSERT_TRUE(child.waitForStarted());
    JobPrograms::stäng_program_före_backup("Rapport - Redigerare ;; " + name + ".exe");
    // The wait for the end runs events, so the child may already be reaped and marked finished.
    EXPECT_TRUE(child.state() == QProcess::NotRunning || child.waitForFinished(10000));
    const QString line = "Stängde 1 instans(er) av programmet " + name;
    EXPECT_TRUE(testutil::readLines(path("log.txt")).contains(line));
    EXPECT_TRUE(prog().form<frmmain>()->txtsyslogg->toPlainText().contains(line));
    EXPECT_TRUE(prog().form<frmutförbackup>()->txtloggtext->toPlainText().contains(" " + line));
}

TEST_F(JobProgramsTest, StartingOpensEveryNonEmptyEntryAndLogsItEvenWhenItFails) {
    prog().form<frmmain>();
    dialogs().expectStartProgram("/usr/bin/true", true);
    dialogs().expectStartProgram("\"/finns inte/fil.txt\"", false);
    JobPrograms::starta_program_efter_backup("/usr/bin/true ;;  ;; \"/finns inte/fil.txt\"");
    const QStringList log = testutil::readLines(path("log.txt"));
    EXPECT_EQ(log, QStringList({"Startade filen /usr/bin/true", "Startade filen \"/finns inte/fil.txt\""}));
}
