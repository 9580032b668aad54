#include "platform/processes.h"
#include "support/fixture.h"
#include "support/xserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <memory>

namespace {

// Child processes that are killed when the test ends, whatever happened.
class Children {
  public:
    ~Children() {
        for (auto& p : list_) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    QProcess* start(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
        auto p = std::make_unique<QProcess>();
        if (!env.isEmpty())
            p->setProcessEnvironment(env);
        p->start(program, args);
        EXPECT_TRUE(p->waitForStarted(5000)) << program.toStdString();
        list_.push_back(std::move(p));
        return list_.back().get();
    }

  private:
    std::vector<std::unique_ptr<QProcess>> list_;
};

// Names carry this run's process id: copies of these tests running elsewhere on the machine
// must never end each other's children.
QString unique(const char* name) {
    return QString::fromLatin1(name) + QString::number(QCoreApplication::applicationPid());
}

bool running(QProcess* p) {
    // A process that was signalled is reaped by Qt; give the event loop the chance.
    for (int i = 0; i < 25 && p->state() != QProcess::NotRunning; ++i)
        p->waitForFinished(20);
    return p->state() != QProcess::NotRunning;
}

} // namespace

class ProcessesTest : public ProgramTest {
  protected:
    // A copy of sleep under the given name, in the work folder.
    QString sleeper(const QString& name) {
        const QString target = work(name);
        if (!QFile::exists(target)) {
            EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), target));
        }
        return target;
    }
    Children children;
};

TEST_F(ProcessesTest, EndsEveryProcessOfTheWholeNameIgnoringCase) {
    const QString name = unique("TamrelTestPad");
    QProcess* a = children.start(sleeper(name), {"300"});
    QProcess* b = children.start(sleeper(name), {"300"});
    QProcess* longer = children.start(sleeper("my" + name), {"300"});
    QProcess* shorter = children.start(sleeper(name.chopped(1)), {"300"});

    const platform::EndResult r = platform::endProcessesByName(name.toLower());
    EXPECT_EQ(r.matched, 2);
    EXPECT_EQ(r.ended, 2);
    EXPECT_EQ(r.name, name.toLower());
    EXPECT_FALSE(running(a));
    EXPECT_FALSE(running(b));
    // Only the whole name counts: neither a name that ends with it nor one it ends with.
    EXPECT_TRUE(running(longer));
    EXPECT_TRUE(running(shorter));
}

TEST_F(ProcessesTest, AMereEndingOfTheNameEndsNothing) {
    QProcess* p = children.start(sleeper(unique("tamrelnotepad")), {"300"});
    const platform::EndResult r = platform::endProcessesByName(unique("pad"));
    EXPECT_EQ(r.matched, 0);
    EXPECT_EQ(r.ended, 0);
    EXPECT_TRUE(r.name.isEmpty());
    EXPECT_TRUE(running(p));
    EXPECT_EQ(platform::endProcessesByName("").matched, 0);
}

// Runs only inside the child started below, a copy of this test program under a name of its own.
TEST_F(ProcessesTest, DISABLED_ChildEndsItsOwnName) {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const platform::EndResult r = platform::endProcessesByName(self.toUpper());
    EXPECT_EQ(r.matched, 0);
    EXPECT_EQ(r.ended, 0);
}

TEST_F(ProcessesTest, NeverEndsThisProgramItself) {
    const QString copy = work(unique("tamrelself"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcess* child = children.start(copy, {"--gtest_filter=ProcessesTest.DISABLED_ChildEndsItsOwnName",
                                            "--gtest_also_run_disabled_tests"});
    ASSERT_TRUE(child->waitForFinished(60000));
    // Ended by its own signal it would not exit normally.
    EXPECT_EQ(child->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().toStdString();
}

TEST_F(ProcessesTest, MatchesArgvZeroAndKillsWhatIgnoresTheTerminateSignal) {
    const QString bash = QStandardPaths::findExecutable("bash");
    if (bash.isEmpty())
        GTEST_SKIP() << "no bash";
    // The executable is "sleep", argv[0] another name; SIGTERM is ignored through exec.
    QProcess* p = children.start(
        bash,
        {"-c",
         QStringLiteral("trap '' TERM; exec -a %1 %2 300").arg(unique("tamrelstubborn"), sleeper("sleep"))});
    // Wait until bash has reached the exec.
    for (int i = 0; i < 250; ++i) {
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(p->processId()));
        if (f.open(QIODevice::ReadOnly) && f.readAll().startsWith(unique("tamrelstubborn").toLatin1()))
            break;
        QThread::msleep(20);
    }
    const platform::EndResult r = platform::endProcessesByName(unique("TamrelStubborn"), 200);
    EXPECT_EQ(r.matched, 1);
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(r.name, unique("tamrelstubborn"));
    EXPECT_FALSE(running(p));
}

TEST_F(ProcessesTest, ClosesAWindowByItsExactTitleOnX11) {
    // A title of this run's own: parallel runs must never close each other's windows.
    const QString title = unique("Rapport - Redigerare ");
    TestXServer x;
    const std::vector<QProcess*> windows = x.open({title, title + " 2"});
    if (windows.empty())
        GTEST_SKIP() << x.problem.toStdString();
    QProcess* other = windows[0];
    QProcess* same = windows[1];

    // Only a title equal to the whole text is found; a prefix is not.
    EXPECT_FALSE(platform::closeWindowByTitle(title.chopped(1), 100).found);
    platform::WindowCloseResult r;
    for (int i = 0; i < 200 && !r.found; ++i) {
        r = platform::closeWindowByTitle(title, 10000);
        if (!r.found)
            QThread::msleep(50);
    }
    EXPECT_TRUE(r.found);
    EXPECT_TRUE(r.closed);
    EXPECT_FALSE(running(other));
    EXPECT_TRUE(running(same));
}

TEST_F(ProcessesTest, WithoutADisplayNoWindowIsFound) {
    const QByteArray old = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(platform::closeWindowByTitle("Rapport - Redigerare", 100).found);
    if (!old.isEmpty())
        qputenv("DISPLAY", old);
}
