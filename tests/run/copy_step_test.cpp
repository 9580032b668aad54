#include "platform/errors.h"
#include "platform/files.h"
#include "run/copy_step.h"
#include "support/fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>

using copystep::Outcome;

namespace {
struct StepCase {
    const char* what;
    bool oldCopy; // an old copy lies at the target when the copy is decided on
    std::function<void(const QString& source, const QString& target, copystep::Policy&)> arrange;
    Outcome outcome;
    QByteArray after; // the target afterwards; empty: nothing there
};
} // namespace

// Every way a copy can end, through the fault hooks: what the step says, what lies at the target,
// and that nothing of the program's own is left beside it.
TEST(CopyStep, EveryOutcomeLeavesTheTargetAsItSays) {
    const QString longName = QString(256, QLatin1Char('n'));
    const std::vector<StepCase> cases = {
        {"new", false, {}, Outcome::Copied, "nytt"},
        {"replaced", true, {}, Outcome::Copied, "nytt"},
        {"second try", false,
         [](const QString&, const QString& t, copystep::Policy& p) {
             platform::injectFault(t, EROFS);
             p.secondTry = true;
             p.beforeSecondTry = [] { platform::clearFaults(); };
         },
         Outcome::CopiedOnSecondTry, "nytt"},
        {"target changed", true,
         [](const QString&, const QString& t, copystep::Policy&) {
             platform::setSwapHook([t](const QString&, const QString&) { testutil::writeFile(t, "sparad"); });
         },
         Outcome::TargetChanged, "sparad"},
        {"name taken", false,
         [](const QString&, const QString& t, copystep::Policy&) {
             platform::setSwapHook([t](const QString&, const QString&) { testutil::writeFile(t, "kom"); });
         },
         Outcome::NameTaken, "kom"},
        {"source changed", true,
         [](const QString& s, const QString&, copystep::Policy&) {
             platform::setCopyHook(
                 [s](const QString&, const QString&) { testutil::writeFile(s, "längre nu"); });
         },
         Outcome::SourceChanged, "gammalt"},
        {"disk full", true,
         [](const QString&, const QString& t, copystep::Policy&) {
             platform::injectFault(t + "#write", ENOSPC);
         },
         Outcome::DiskFull, "gammalt"},
        {"trash refused", true,
         [](const QString&, const QString&, copystep::Policy& p) {
             p.trashReplaced = true;
             p.secondTry = true; // never past the trash
             platform::setTrashMoveHook([](const QString&, QString*) { return false; });
         },
         Outcome::TrashRefused, "gammalt"},
        {"not versioned", true,
         [](const QString&, const QString&, copystep::Policy& p) {
             p.keepVersion = [](const QString&) { return false; };
         },
         Outcome::NotVersioned, "gammalt"},
        {"failed", true,
         [](const QString&, const QString& t, copystep::Policy&) {
             platform::injectFault(t + "#write", EIO);
         },
         Outcome::Failed, "gammalt"},
        {"stopped", true,
         [](const QString&, const QString&, copystep::Policy& p) { p.stop = [] { return true; }; },
         Outcome::Stopped, "gammalt"},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString source = dir.filePath("källa/a.txt");
        const QString target = dir.filePath("mål/a.txt");
        testutil::writeFile(source, "nytt");
        testutil::makeDir(dir.filePath("mål"));
        if (c.oldCopy)
            testutil::writeFile(target, "gammalt");
        const platform::FileInfo decidedOn = platform::fileInfo(target);
        copystep::Policy policy;
        if (c.arrange)
            c.arrange(source, target, policy);

        const copystep::Result r = copystep::copyFile(source, target, decidedOn, policy);
        platform::clearFaults();
        platform::setCopyHook({});
        platform::setSwapHook({});
        platform::setTrashMoveHook({});

        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(QFile::exists(target) ? testutil::readBytes(target) : QByteArray(), c.after);
        EXPECT_EQ(testutil::treeFiles(dir.filePath("mål")),
                  c.after.isEmpty() ? QStringList() : QStringList{"a.txt"});
        if (r.copied()) {
            EXPECT_EQ(r.sizes.target, 4);
        }
    }

    // A name no file system takes.
    QTemporaryDir dir;
    testutil::writeFile(dir.filePath("a.txt"), "nytt");
    testutil::makeDir(dir.filePath("mål"));
    const copystep::Result r =
        copystep::copyFile(dir.filePath("a.txt"), dir.filePath("mål/") + longName, platform::FileInfo{});
    EXPECT_EQ(r.outcome, Outcome::NameTooLong);
    EXPECT_TRUE(testutil::treeFiles(dir.filePath("mål")).isEmpty());
}
