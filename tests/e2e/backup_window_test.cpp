// The backup window of the built program under a real window manager: what the window manager
// does to it (activating it again after a box, minimising it) changes nothing of a run.
#include "platform/processes.h"
#include "support/desktop.h"
#include "support/e2e.h"
#include "support/fixture.h"
#include "support/qt_print.h"
#include "support/xserver.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {
// "BACKUP..." in the main window's toolbar; "Utför!" from the backup window's bottom right corner
// at its first size (760 x 520).
constexpr int kToolbarX = 62, kBackupY = 20 + 3 * 38;
constexpr int kRunX = 760 - 50, kRunY = 520 - 27;

QString openBackupWindow(const QString& main) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        desktop::activate(main);
        desktop::click(main, kToolbarX, kBackupY);
        if (const QString w = desktop::findWindow("Utför backup", 5000); !w.isEmpty())
            return w;
    }
    return {};
}

// The program's window of the title `title` that is not `other`, waiting at most 20 s.
QString otherWindow(const QString& title, const QString& other) {
    for (int i = 0; i < 200; ++i) {
        for (const QString& w : desktop::windows(title))
            if (w != other)
                return w;
        QThread::msleep(100);
    }
    return {};
}

class BackupWindowOnDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const QString why = desktop::open(x_); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(QFile::exists(testutil::programFolderForStart(dir_.path(), false)));
    }
    void start() {
        program_ = std::make_unique<testutil::ProgramOnDisplay>(dir_.path(), x_.display());
        ASSERT_TRUE(program_->process.waitForStarted(10000));
        main_ = desktop::findWindow("Tamrel Backup");
        ASSERT_FALSE(main_.isEmpty());
    }
    void TearDown() override {
        if (program_)
            platform::closeWindowByTitle("Tamrel Backup", 5000);
    }
    QString path(const QString& rel) const { return dir_.path() + '/' + rel; }

    TestXServer x_;
    QTemporaryDir dir_, work_;
    std::unique_ptr<testutil::ProgramOnDisplay> program_;
    QString main_;
};

TEST_F(BackupWindowOnDesktop, ARefusedJobStaysUnrunAfterItsBoxIsAnswered) {
    // "Hem" backs up into a folder above its own source, which the run refuses. "Arkiv", before
    // it in the list, is sound and takes a while. Both are the window's saved selection.
    const QString arkiv = work_.path() + "/Arkiv", hem = work_.path() + "/Dokument";
    for (int i = 0; i < 300; ++i)
        testutil::writeFile(arkiv + QStringLiteral("/d%1/f%2.txt").arg(i % 30).arg(i), QByteArray(2000, 'x'));
    testutil::writeFile(hem + "/a.txt", "a");
    testutil::makeDir(work_.path() + "/Backup");
    testutil::writeJob(path("Listor"), testutil::jobOver("Arkiv", arkiv, work_.path() + "/Backup"));
    testutil::writeJob(path("Listor"), testutil::jobOver("Hem", hem, work_.path()));
    testutil::writeLines(path("valda_inställningar.ini"), {"Arkiv", "Hem"});
    start();

    const QString window = openBackupWindow(main_);
    ASSERT_FALSE(window.isEmpty());
    desktop::activate(window);
    desktop::click(window, kRunX, kRunY);
    // The refusal's box; answered, the window manager activates the backup window again.
    const QString box = otherWindow("Tamrel Backup", main_);
    ASSERT_FALSE(box.isEmpty());
    desktop::activate(box);
    desktop::key("Return");

    QStringList log;
    for (int i = 0; i < 300 && !log.value(log.size() - 1).startsWith("  Backup slutfördes"); ++i) {
        QThread::msleep(100);
        log = testutil::readLines(path("log.txt"));
    }
    ASSERT_TRUE(log.value(log.size() - 1).startsWith("  Backup slutfördes")) << log.join('\n').toStdString();
    EXPECT_TRUE(log.contains("ARKIV"));
    EXPECT_FALSE(log.contains("HEM"));
    EXPECT_TRUE(log.contains("300 kopierade filer"));
    EXPECT_FALSE(QFile::exists(work_.path() + hem + "/a.txt"));
}

TEST_F(BackupWindowOnDesktop, AMinimisedWindowComesBackWhenBackupIsPressedAgain) {
    testutil::writeJob(path("Listor"),
                       testutil::jobOver("Jobb", work_.path() + "/Källa", work_.path() + "/Backup"));
    start();
    const QString window = openBackupWindow(main_);
    ASSERT_FALSE(window.isEmpty());
    desktop::minimise(window);
    for (int i = 0; i < 50 && desktop::state(window) != "Iconic"; ++i)
        QThread::msleep(100);
    ASSERT_EQ(desktop::state(window), "Iconic");

    desktop::activate(main_);
    desktop::click(main_, kToolbarX, kBackupY);
    for (int i = 0; i < 50 && desktop::state(window) != "Normal"; ++i)
        QThread::msleep(100);
    EXPECT_EQ(desktop::state(window), "Normal");
    EXPECT_EQ(desktop::findWindow("Utför backup", 1000), window);
}

} // namespace
