// The main window's size and place over real starts under a window manager that frames it.
#include "support/desktop.h"
#include "support/fixture.h"
#include "support/xserver.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {
// Starts the program on `display`, waits until the window manager shows its window framed, and
// ends it the normal way (SIGTERM), as a user closing it would. False when it was not shown or did
// not end by itself.
bool startAndClose(const QString& exe, const QString& display) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(exe, {});
    if (!p.waitForStarted(10000))
        return false;
    const QString window = desktop::findWindow("Tamrel Backup");
    QElapsedTimer waited;
    waited.start();
    while (!window.isEmpty() && desktop::state(window) != "Normal" && waited.elapsed() < 20000)
        QThread::msleep(50);
    ::kill(p.processId(), SIGTERM);
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    return !window.isEmpty() && p.exitStatus() == QProcess::NormalExit;
}
} // namespace

TEST(WindowGeometry, AFramedMainWindowKeepsItsSizeAndPlaceOverThreeStarts) {
    TestXServer x;
    if (const QString why = desktop::open(x); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir dir;
    const QString exe = dir.path() + "/tamrel-backup";
    ASSERT_TRUE(QFile::copy(TAMREL_EXECUTABLE, exe));
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    QStringList settings;
    for (int i = 0; i < 19; ++i)
        settings << " 0 ";
    testutil::writeLines(dir.path() + "/programalternativ.ini", settings);
    testutil::writeLines(dir.path() + "/setup_api.ini", {" 0 "});
    const QString file = dir.path() + "/setup_windowsize_main.ini";
    // Height, width, top and left of the framed window, in twips.
    const QStringList saved = {" 8175 ", " 10830 ", " 3780 ", " 4200 "};
    testutil::writeLines(file, saved);
    const QString before = QString::fromUtf8(testutil::readBytes(file));
    for (int start = 1; start <= 3; ++start) {
        SCOPED_TRACE(start);
        const QDateTime long_ago(QDate(2001, 1, 1), QTime(0, 0));
        testutil::setMTime(file, long_ago);
        ASSERT_TRUE(startAndClose(exe, x.display()));
        // The window was shown and its geometry written again, unchanged.
        EXPECT_GT(QFileInfo(file).lastModified(), long_ago.addDays(1));
        EXPECT_EQ(QString::fromUtf8(testutil::readBytes(file)).toStdString(), before.toStdString());
    }
}
