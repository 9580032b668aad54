#include "core/close_programs.h"
#include "mainwindow/main_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"
#include "support/xserver.h"

#include <QCoreApplication>
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
        prog().form<frmutförbackup>(); // its window log is one of the three places
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
    // The names carry this run's process id, so runs elsewhere on the machine never meet.
    const QString name = "TamrelRedigerare" + QString::number(QCoreApplication::applicationPid());
    startSleeper(name);
    startSleeper(name);
    QProcess* other = startSleeper("text" + name);

    EXPECT_TRUE(ModKillApp::KillApp(name.toUpper()));

    const QString line = "Stängde 2 instans(er) av programmet " + name.toLower();
    EXPECT_EQ(runLog(), QStringList{line});
    EXPECT_EQ(windowLog(), "\n07:08:09 " + line);
    EXPECT_TRUE(systemLog().endsWith("2026-05-06 07:08:09  " + line)) << systemLog().toStdString();
    EXPECT_EQ(other->state(), QProcess::Running);
}

TEST_F(ClosePrograms, NothingFoundWritesNothing) {
    const QString pid = QString::number(QCoreApplication::applicationPid());
    startSleeper("tamrelanteckning" + pid);
    EXPECT_FALSE(ModKillApp::KillApp("anteckning" + pid));
    Module3::stäng_programfönster("Inget sådant fönster");
    EXPECT_TRUE(runLog().isEmpty());
    EXPECT_TRUE(windowLog().isEmpty());
    EXPECT_FALSE(systemLog().contains("Stängde"));
}

TEST_F(ClosePrograms, AClosedWindowIsReportedByItsTitle) {
    // A title of this run's own: parallel runs must never close each other's windows.
    const QString title = "Rapport - Redigerare " + QString::number(QCoreApplication::applicationPid());
    TestXServer x;
    const std::vector<QProcess*> windows = x.open({title});
    if (windows.empty())
        GTEST_SKIP() << x.problem.toStdString();
    QProcess* window = windows[0];

    for (int i = 0; i < 200 && runLog().isEmpty() && window->state() == QProcess::Running; ++i) {
        Module3::stäng_programfönster(title);
        window->waitForFinished(50);
    }
    EXPECT_EQ(runLog(), QStringList{"Stängde programmet " + title})
        << window->readAllStandardError().toStdString();
    EXPECT_EQ(windowLog(), "\n07:08:09 Stängde programmet " + title);
    EXPECT_TRUE(systemLog().endsWith("2026-05-06 07:08:09  Stängde programmet " + title));
    window->waitForFinished(5000);
    EXPECT_EQ(window->state(), QProcess::NotRunning);
}
