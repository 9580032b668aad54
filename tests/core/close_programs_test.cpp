#include "core/close_programs.h"
#include "core/main_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTextEdit>
#include <QThread>
#include <memory>

class ClosePrograms : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
    }
    void TearDown() override {
        for (auto& p : children_) {
            p->kill();
            p->waitForFinished(3000);
        }
        ProgramTest::TearDown();
    }
    QProcess* start(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
        auto p = std::make_unique<QProcess>();
        if (!env.isEmpty())
            p->setProcessEnvironment(env);
        p->start(program, args);
        EXPECT_TRUE(p->waitForStarted(5000));
        children_.push_back(std::move(p));
        return children_.back().get();
    }
    QProcess* startSleeper(const QString& name) {
        const QString exe = work(name);
        if (!QFile::exists(exe)) {
            EXPECT_TRUE(QFile::copy("/bin/sleep", exe));
        }
        return start(exe, {"300"});
    }
    QString windowLog() { return prog().form<frmutförbackup>()->txtloggtext->toPlainText(); }
    QString systemLog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
    QStringList runLog() {
        return QFile::exists(path("log.txt")) ? testutil::readLines(path("log.txt")) : QStringList();
    }

    std::vector<std::unique_ptr<QProcess>> children_;
};

TEST_F(ClosePrograms, EndingTwoInstancesReportsBothInEveryPlace) {
    startSleeper("TamrelRedigerare");
    startSleeper("TamrelRedigerare");
    QProcess* other = startSleeper("texttamrelredigerare");

    EXPECT_TRUE(ModKillApp::KillApp("TAMRELREDIGERARE"));

    const QString line = "Stängde 2 instans(er) av programmet tamrelredigerare";
    EXPECT_EQ(runLog(), QStringList{line});
    EXPECT_EQ(windowLog(), "\n07:08:09 " + line);
    EXPECT_TRUE(systemLog().endsWith("2026-05-06 07:08:09  " + line)) << systemLog().toStdString();
    EXPECT_EQ(other->state(), QProcess::Running);
}

TEST_F(ClosePrograms, NothingFoundWritesNothing) {
    startSleeper("tamrelanteckning");
    EXPECT_FALSE(ModKillApp::KillApp("anteckning"));
    Module3::stäng_programfönster("Inget sådant fönster");
    EXPECT_TRUE(runLog().isEmpty());
    EXPECT_TRUE(windowLog().isEmpty());
    EXPECT_FALSE(systemLog().contains("Stängde"));
}

TEST_F(ClosePrograms, AClosedWindowIsReportedByItsTitle) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xmessage = QStandardPaths::findExecutable("xmessage");
    if (xvfb.isEmpty() || xmessage.isEmpty())
        GTEST_SKIP() << "needs Xvfb and xmessage";
    QProcess* server = start(xvfb, {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(server->waitForReadyRead(10000));
    const QString display = ":" + QString::fromLatin1(server->readLine()).trimmed();
    const QByteArray oldDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", display.toLatin1());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    QProcess* window = start(xmessage, {"-title", "Rapport - Redigerare", "hej"}, env);

    for (int i = 0; i < 200 && runLog().isEmpty() && window->state() == QProcess::Running; ++i) {
        Module3::stäng_programfönster("Rapport - Redigerare");
        QThread::msleep(50);
    }
    EXPECT_EQ(runLog(), QStringList{"Stängde programmet Rapport - Redigerare"});
    EXPECT_EQ(windowLog(), "\n07:08:09 Stängde programmet Rapport - Redigerare");
    EXPECT_TRUE(systemLog().endsWith("2026-05-06 07:08:09  Stängde programmet Rapport - Redigerare"));
    EXPECT_TRUE(window->waitForFinished(5000));
    qputenv("DISPLAY", oldDisplay);
}
