// A run as an accessibility client (a screen reader) follows it: what the window tells it must not
// grow with the run's files, or the client drowns in events and answers slowly.
#include "flow_support.h"

#include "support/xserver.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Set in the environment of the copy of this test that runs on an X server with accessibility on.
const char* const kAccessibleChild = "TAMREL_TEST_ACCESSIBLE_CHILD";

long eventCount = 0;
void countEvent(QAccessibleEvent*) {
    ++eventCount;
}

class AccessibleRun : public FlowTest {
  protected:
    // The accessibility events a whole run of the job over `files` files sends, with mirroring.
    // The tree, twenty files to a folder, replaces the one before under new names, so the run
    // copies every file and its mirroring deletes the copies of the run before.
    long eventsOfARun(int files) {
        QDir(src_).removeRecursively();
        ++tree_;
        for (int i = 0; i < files; ++i)
            testutil::writeFile(src_ + QStringLiteral("/mapp%1/fil%2_%3.txt").arg(i / 20).arg(i).arg(tree_),
                                "x", old_);
        testutil::writeJob(path("Listor"), job("Jobb"));
        frmutförbackup* w = openBackupWindow("Jobb");
        w->show();
        w->chksync->setChecked(true);
        eventCount = 0;
        QAccessible::UpdateHandler before = QAccessible::installUpdateHandler(countEvent);
        dialogs().expectWindow("frmklarbackup");
        w->cmdkörbackup->click();
        QAccessible::installUpdateHandler(before);
        EXPECT_EQ(testutil::treeFiles(dst_).size(), files);
        return eventCount;
    }
    int tree_ = 0;

    // Inside the child: the program's clock stands still, so the run's display refreshes only
    // where a run must show its state (a job's end, the run's end), whatever its files.
    void countInTheChild() {
        QElapsedTimer waited;
        waited.start();
        while (!QAccessible::isActive() && waited.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_TRUE(QAccessible::isActive()) << "accessibility did not switch on";
        TestHome home(work("Hem")); // deleted copies go to this trash
        prog().clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)));
        eventsOfARun(20); // the window's first showing and first refresh
        const long small = eventsOfARun(600);
        const long big = eventsOfARun(2400);
        // A few more may come of longer texts (a scroll bar shown); nothing per file or folder.
        EXPECT_GT(small, 0);
        EXPECT_LE(big, small + small / 10) << "600 files: " << small << " events, 2400 files: " << big;
    }
};

QString atSpiBusLauncher() {
    for (const char* p : {"/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"})
        if (QFileInfo(QString::fromLatin1(p)).isExecutable())
            return QString::fromLatin1(p);
    return QStandardPaths::findExecutable("at-spi-bus-launcher");
}

// Accessibility is on only where a client can listen: the X platform with a session bus that
// offers the accessibility bus. The test runs itself again in such a place and counts there.
TEST_F(AccessibleRun, ARunsAccessibilityEventsDoNotGrowWithItsFiles) {
    if (qEnvironmentVariableIsSet(kAccessibleChild)) {
        countInTheChild();
        return;
    }
    const QString dbusDaemon = QStandardPaths::findExecutable("dbus-daemon");
    const QString launcher = atSpiBusLauncher();
    if (dbusDaemon.isEmpty() || launcher.isEmpty())
        GTEST_SKIP() << "needs dbus-daemon and at-spi-bus-launcher";
    TestXServer x;
    x.open({});
    if (!x.problem.isEmpty())
        GTEST_SKIP() << x.problem.toStdString();

    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess bus;
    bus.setProcessEnvironment(env);
    bus.start(dbusDaemon, {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForStarted(5000) && bus.waitForReadyRead(15000));
    const QString address = QString::fromLatin1(bus.readLine()).trimmed();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    QProcess a11yBus;
    a11yBus.setProcessEnvironment(env);
    a11yBus.start(launcher, {});
    ASSERT_TRUE(a11yBus.waitForStarted(5000));

    env.insert("DISPLAY", x.display());
    env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    env.insert(kAccessibleChild, "1");
    const ::testing::TestInfo* me = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=%1.%2").arg(me->test_suite_name(), me->name()), "-platform", "xcb"});
    ASSERT_TRUE(child.waitForStarted(5000));
    const bool finished = child.waitForFinished(300000);
    const QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_TRUE(finished);
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test.")) << out.toStdString();

    // The session bus goes last: what the accessibility bus started ends with it.
    a11yBus.terminate();
    a11yBus.waitForFinished(5000);
    bus.terminate();
    bus.waitForFinished(5000);
}

} // namespace
