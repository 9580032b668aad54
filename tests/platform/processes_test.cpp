#include "platform/processes.h"
#include "support/fixture.h"

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
    QProcess* a = children.start(sleeper("TamrelTestPad"), {"300"});
    QProcess* b = children.start(sleeper("TamrelTestPad"), {"300"});
    QProcess* longer = children.start(sleeper("myTamrelTestPad"), {"300"});
    QProcess* shorter = children.start(sleeper("TamrelTestPa"), {"300"});

    const platform::EndResult r = platform::endProcessesByName("tamreltestpad");
    EXPECT_EQ(r.matched, 2);
    EXPECT_EQ(r.ended, 2);
    EXPECT_EQ(r.name, "tamreltestpad");
    EXPECT_FALSE(running(a));
    EXPECT_FALSE(running(b));
    // Only the whole name counts: neither a name that ends with it nor one it ends with.
    EXPECT_TRUE(running(longer));
    EXPECT_TRUE(running(shorter));
}

TEST_F(ProcessesTest, AMereEndingOfTheNameEndsNothing) {
    QProcess* p = children.start(sleeper("tamrelnotepad"), {"300"});
    const platform::EndResult r = platform::endProcessesByName("pad");
    EXPECT_EQ(r.matched, 0);
    EXPECT_EQ(r.ended, 0);
    EXPECT_TRUE(r.name.isEmpty());
    EXPECT_TRUE(running(p));
    EXPECT_EQ(platform::endProcessesByName("").matched, 0);
}

// Whether another process runs an executable of this name (another copy of this test program,
// built in another folder): ending by name would end it too, so the check below cannot run.
bool anotherProcessNamed(const QString& name) {
    const QString own = QString::number(QCoreApplication::applicationPid());
    for (const QFileInfo& e : QDir("/proc").entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (e.fileName() == own || !e.fileName().front().isDigit())
            continue;
        if (QFileInfo(QFileInfo(e.filePath() + "/exe").symLinkTarget()).fileName() == name)
            return true;
    }
    return false;
}

TEST_F(ProcessesTest, NeverEndsThisProgramItself) {
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (anotherProcessNamed(self))
        GTEST_SKIP() << "another copy of " << self.toStdString() << " is running";
    const platform::EndResult r = platform::endProcessesByName(self.toUpper());
    EXPECT_EQ(r.matched, 0);
    EXPECT_EQ(r.ended, 0);
}

TEST_F(ProcessesTest, MatchesArgvZeroAndKillsWhatIgnoresTheTerminateSignal) {
    const QString bash = QStandardPaths::findExecutable("bash");
    if (bash.isEmpty())
        GTEST_SKIP() << "no bash";
    // The executable is "sleep", argv[0] another name; SIGTERM is ignored through exec.
    QProcess* p = children.start(
        bash, {"-c", QStringLiteral("trap '' TERM; exec -a tamrelstubborn %1 300").arg(sleeper("sleep"))});
    // Wait until bash has reached the exec.
    for (int i = 0; i < 250; ++i) {
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(p->processId()));
        if (f.open(QIODevice::ReadOnly) && f.readAll().startsWith("tamrelstubborn"))
            break;
        QThread::msleep(20);
    }
    const platform::EndResult r = platform::endProcessesByName("TamrelStubborn", 200);
    EXPECT_EQ(r.matched, 1);
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(r.name, "tamrelstubborn");
    EXPECT_FALSE(running(p));
}

TEST_F(ProcessesTest, ClosesAWindowByItsExactTitleOnX11) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xmessage = QStandardPaths::findExecutable("xmessage");
    if (xvfb.isEmpty() || xmessage.isEmpty())
        GTEST_SKIP() << "needs Xvfb and xmessage";
    QProcess* server = children.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(server->waitForReadyRead(10000));
    const QString display = ":" + QString::fromLatin1(server->readLine()).trimmed();
    const QByteArray oldDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", display.toLatin1());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    QProcess* other = children.start(xmessage, {"-title", "Rapport - Redigerare", "hej"}, env);
    QProcess* same = children.start(xmessage, {"-title", "Rapport - Redigerare 2", "hej"}, env);

    // Only a title equal to the whole text is found; a prefix is not.
    EXPECT_FALSE(platform::closeWindowByTitle("Rapport - Rediger", 100).found);
    platform::WindowCloseResult r;
    for (int i = 0; i < 200 && !r.found; ++i) {
        r = platform::closeWindowByTitle("Rapport - Redigerare", 10000);
        if (!r.found)
            QThread::msleep(50);
    }
    EXPECT_TRUE(r.found);
    EXPECT_TRUE(r.closed);
    EXPECT_FALSE(running(other));
    EXPECT_TRUE(running(same));

    qputenv("DISPLAY", oldDisplay);
}

TEST_F(ProcessesTest, WithoutADisplayNoWindowIsFound) {
    const QByteArray old = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(platform::closeWindowByTitle("Rapport - Redigerare", 100).found);
    if (!old.isEmpty())
        qputenv("DISPLAY", old);
}
