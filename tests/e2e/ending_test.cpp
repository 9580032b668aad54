// The built program asked to end while its scheduler runs a job of tens of thousands of files: the
// run stops as its "Avbryt" would, writes its log to the end, and the program then ends by itself.
#include "platform/processes.h"
#include "support/desktop.h"
#include "support/e2e.h"
#include "support/fixture.h"
#include "support/xserver.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {
constexpr int kFiles = 20000;

// The moment the started program's clock begins at (TAMREL_TEST_CLOCK).
const QDateTime kStart(QDate(2026, 3, 4), QTime(10, 15));

// A program folder that starts with the scheduler on ("Starta aktiverad") and one job over
// `source` due in the minute of kStart, so the run begins at the scheduler's first tick.
void dueNow(const QString& folder, const QString& source, const QString& backup) {
    testutil::makeDir(backup);
    testutil::writeJob(folder + "/Listor", testutil::jobOver("Jobb", source, backup));
    const QString minute = kStart.time().toString("HH:mm");
    testutil::writeLines(folder + "/Listor/Jobb.006", {" 1 ", " 0 ", minute, "1234567", " 0 "});
    testutil::programFolderForStart(folder, true);
}

QString text(const QString& file) {
    return QString::fromUtf8(testutil::readBytes(file));
}
} // namespace

TEST(Ending, ARequestToEndDuringARunEndsTheRunWithItsLogsAndThenTheProgram) {
    QTemporaryDir work;
    const QString source = work.path() + "/Källa";
    for (int i = 0; i < kFiles; ++i) {
        const QString folder = source + QString("/mapp%1").arg(i / 400);
        if (i % 400 == 0)
            QDir().mkpath(folder);
        QFile f(folder + QString("/fil%1.txt").arg(i));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("innehåll") > 0);
    }

    struct Case {
        const char* what;
        int signal; // 0: the main window's close box, through the window manager
    };
    const Case cases[] = {{"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"close box", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestXServer x;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TAMREL_TEST_CLOCK", kStart.toString(Qt::ISODate));
        if (c.signal == 0) {
            x.open({});
            // The last case: the signals' cases have run.
            if (x.display().isEmpty() || !x.startWindowManager())
                GTEST_SKIP() << x.problem.toStdString();
            env.insert("QT_QPA_PLATFORM", "xcb");
            env.insert("DISPLAY", x.display());
        }
        QTemporaryDir dir;
        const QString backup = work.path() + "/Backup-" + QString::number(c.signal);
        dueNow(dir.path(), source, backup);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(dir.path() + "/tamrel-backup", {});
        ASSERT_TRUE(p.waitForStarted(10000));

        // The run has begun once it has started its log.
        const QString log = dir.path() + "/log.txt";
        for (int i = 0; i < 9000 && !QFile::exists(log) && p.state() == QProcess::Running; ++i)
            QThread::msleep(10);
        ASSERT_TRUE(QFile::exists(log)) << text(dir.path() + "/programlogg.txt").toStdString();
        if (c.signal)
            ::kill(pid_t(p.processId()), c.signal);
        else
            EXPECT_TRUE(platform::closeWindowByTitle("Tamrel Backup", 60000).found);

        const bool ended = p.waitForFinished(60000);
        if (!ended) {
            p.kill();
            p.waitForFinished();
        }
        ASSERT_TRUE(ended);
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);

        // The run log says from its head to its summary that the run was stopped by the ending, and
        // is saved under a name that says so; the job has no last backup.
        const QStringList lines = testutil::readLines(log);
        EXPECT_TRUE(lines.value(1).startsWith("Schemalagd Backup avbröts ")) << lines.value(1).toStdString();
        EXPECT_EQ(lines.value(lines.size() - 1).toStdString(),
                  "  Backupkörningen avbröts när programmet stängdes!");
        EXPECT_TRUE(lines.contains("Sammanställning:"));
        EXPECT_FALSE(QFile::exists(dir.path() + "/Listor/Jobb.007"));
        const QStringList saved = QDir(dir.path() + "/Sparade loggar").entryList(QDir::Files);
        ASSERT_EQ(saved.size(), 1);
        EXPECT_TRUE(saved[0].contains(". Avbröts")) << saved[0].toStdString();
        EXPECT_EQ(testutil::readBytes(dir.path() + "/Sparade loggar/" + saved[0]), testutil::readBytes(log));

        // The program log holds the run's end before the program's.
        const QString programLog = text(dir.path() + "/programlogg.txt");
        const int stopped = programLog.indexOf("Backupkörning avbröts!");
        EXPECT_GE(stopped, 0) << programLog.toStdString();
        EXPECT_LT(stopped, programLog.indexOf("Avslutar programmet."));
        EXPECT_TRUE(programLog.endsWith("  Avslutar programmet.\r\n\r\n\r\n"));
    }
}

// The main window is blocked while a modal window waits for the user; its close box still ends the
// program, as SIGTERM does, with the program log written.
TEST(Ending, TheMainWindowsCloseBoxEndsTheProgramWhileAnErrorMessageWaits) {
    TestXServer x;
    if (const QString why = desktop::open(x); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir dir;
    testutil::programFolderForStart(dir.path(), false);
    testutil::ProgramOnDisplay program(dir.path(), x.display());
    QProcess& p = program.process;
    ASSERT_TRUE(p.waitForStarted(10000));

    // The toolbar's "BACKUP..." without a job: the message "Det finns inga jobb att utföra!", in a
    // window of the program's own title.
    const QString main = desktop::findWindow("Tamrel Backup");
    ASSERT_FALSE(main.isEmpty());
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        desktop::activate(main);
        desktop::click(main, 62, 20 + 3 * 38);
        for (int i = 0; i < 50 && !shown; ++i) {
            shown = desktop::windows("Tamrel Backup").size() == 2;
            QThread::msleep(100);
        }
    }
    ASSERT_TRUE(shown);

    // The main window was mapped first, so it is the one asked.
    EXPECT_TRUE(platform::closeWindowByTitle("Tamrel Backup", 20000).closed);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(text(dir.path() + "/programlogg.txt").endsWith("  Avslutar programmet.\r\n\r\n\r\n"));
}
