#include "support/desktop.h"
#include "support/e2e.h"
#include "support/fixture.h"
#include "support/xserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

namespace {
// "BACKUP..." in the toolbar; "Utför!" at the backup window's first size (760 x 520).
constexpr int kToolbarX = 62, kBackupY = 20 + 3 * 38, kRunX = 760 - 50, kRunY = 520 - 27;

bool waitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i)
        QThread::msleep(100);
    return done();
}

// Minimised, the window comes back at the next "BACKUP...". A refused job stays unrun after its
// box is answered, though the window manager then activates the window, which marks the saved
// selection ("Hem" is refused: it backs up into the folder above its source; "Arkiv", before it
// in the list, takes a while).
TEST(BackupWindowOnDesktop, ComesBackFromAMinimiseAndKeepsARefusedJobUnrun) {
    TestXServer x;
    if (const QString why = desktop::open(x); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir dir, work;
    const QString arkiv = work.path() + "/Arkiv", hem = work.path() + "/Dokument";
    for (int i = 0; i < 300; ++i)
        testutil::writeFile(arkiv + QStringLiteral("/d%1/f%2.txt").arg(i % 30).arg(i), QByteArray(2000, 'x'));
    testutil::writeFile(hem + "/a.txt", "a");
    testutil::makeDir(work.path() + "/Backup");
    testutil::writeJob(dir.path() + "/Listor", testutil::jobOver("Arkiv", arkiv, work.path() + "/Backup"));
    testutil::writeJob(dir.path() + "/Listor", testutil::jobOver("Hem", hem, work.path()));
    testutil::writeLines(dir.path() + "/valda_inställningar.ini", {"Arkiv", "Hem"});
    testutil::programFolderForStart(dir.path(), false);
    testutil::ProgramOnDisplay program(dir.path(), x.display());
    const QString main = desktop::findWindow("Tamrel Backup");
    ASSERT_FALSE(main.isEmpty());
    QString window;
    for (int attempt = 0; attempt < 3 && window.isEmpty(); ++attempt) {
        desktop::activate(main);
        desktop::click(main, kToolbarX, kBackupY);
        window = desktop::findWindow("Utför backup", 5000);
    }
    ASSERT_FALSE(window.isEmpty());
    desktop::minimise(window);
    ASSERT_TRUE(waitFor([&] { return desktop::state(window) == "Iconic"; }));
    desktop::activate(main);
    desktop::click(main, kToolbarX, kBackupY);
    EXPECT_TRUE(waitFor([&] { return desktop::state(window) == "Normal"; }));

    desktop::activate(window);
    desktop::click(window, kRunX, kRunY);
    QStringList shown;
    ASSERT_TRUE(waitFor([&] { return (shown = desktop::windows("Tamrel Backup")).size() == 2; }));
    shown.removeAll(main);
    desktop::activate(shown.value(0));
    desktop::key("Return");
    QStringList log;
    waitFor([&] {
        log = testutil::readLines(dir.path() + "/log.txt");
        return !log.isEmpty() && log.last().startsWith("  Backup");
    });
    EXPECT_TRUE(log.contains("300 kopierade filer")) << log.join('\n').toStdString();
    EXPECT_FALSE(log.contains("HEM"));
    EXPECT_FALSE(QFile::exists(work.path() + hem + "/a.txt"));
}

} // namespace
