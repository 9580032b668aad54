// The built program started with "Starta aktiverad": it waits in its scheduler panel, runs a job
// scheduled for the next minute on its own, and keeps waiting until it is ended. Its clock starts
// a few seconds before that minute.
#include "support/e2e.h"
#include "support/fixture.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

TEST(ScheduledStart, StartedActivatedTheProgramRunsTheJobDueTheNextMinute) {
    QTemporaryDir dir, work;
    const QString src = work.path() + "/Källa";
    const QString dst = work.path() + "/Backup";
    testutil::writeFile(src + "/brev.txt", "hej", QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)));
    testutil::writeFile(src + "/bilder/sol.jpg", QByteArray(5000, 's'));
    testutil::makeDir(dst);
    testutil::writeJob(dir.path() + "/Listor", testutil::jobOver("Jobb", src, dst));
    // Every setting off but "Starta aktiverad"; no reminder, no pop-up after the run.
    const QString exe = testutil::programFolderForStart(dir.path(), true);
    ASSERT_TRUE(QFile::exists(exe));
    const QDateTime due(QDate(2026, 3, 4), QTime(10, 15));
    const QString minute = due.time().toString("HH:mm");
    testutil::writeLines(dir.path() + "/Listor/Jobb.006", {" 1 ", " 0 ", minute, "1234567", " 0 "});

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TAMREL_TEST_CLOCK", due.addSecs(-4).toString(Qt::ISODate));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(exe, {});
    ASSERT_TRUE(p.waitForStarted(10000));

    // The run is over when its log has its closing line.
    const QString log = dir.path() + "/log.txt";
    bool ran = false;
    QElapsedTimer waited;
    waited.start();
    while (!ran && waited.elapsed() < 100000 && p.state() == QProcess::Running) {
        QThread::msleep(100);
        ran = testutil::readBytes(log).contains("Backup slutfördes utan fel.");
    }
    const bool stillRunning = p.state() == QProcess::Running;
    const bool keptWaiting = !p.waitForFinished(1500);
    ::kill(p.processId(), SIGTERM);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
    }
    ASSERT_TRUE(ran) << testutil::readBytes(dir.path() + "/programlogg.txt").toStdString();
    EXPECT_TRUE(stillRunning);
    EXPECT_TRUE(keptWaiting);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);

    // The files are copied by a scheduled run that started in the due minute.
    EXPECT_EQ(testutil::readBytes(dst + src + "/brev.txt"), QByteArray("hej"));
    EXPECT_EQ(testutil::readBytes(dst + src + "/bilder/sol.jpg").size(), 5000);
    const QStringList lines = testutil::readLines(log);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith("Schemalagd Backup utförd " + due.date().toString("yyyy-MM-dd") + "  " +
                                    minute + ":"))
        << lines[1].toStdString();
    EXPECT_EQ(testutil::readLines(dir.path() + "/Listor/Jobb.007").value(1), "Schemalagd");
    EXPECT_EQ(QDir(dir.path() + "/Sparade loggar").entryList(QDir::Files).size(), 1);

    // The program log: switched on at start, one run, switched off when the program ended.
    const QString programLog = QString::fromUtf8(testutil::readBytes(dir.path() + "/programlogg.txt"));
    const int on = programLog.indexOf("Aktiverar schemalagd backup");
    const int run = programLog.indexOf("Startar en backupkörning.");
    const int off = programLog.indexOf("Avaktiverar schemalagd backup");
    const int end = programLog.indexOf("Avslutar programmet.");
    EXPECT_TRUE(on >= 0 && on < run && run < off && off < end) << programLog.toStdString();
    EXPECT_EQ(programLog.count("Startar en backupkörning."), 1);
    EXPECT_EQ(programLog.count("Avaktiverar schemalagd backup"), 1);
    EXPECT_FALSE(programLog.contains("FEL")) << programLog.toStdString();
}
