#include "platform/copy_progress.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/fixture.h"

#include <QDir>
#include <QProgressDialog>

using namespace platform;

TEST(CopyShowingProgress, CopiesLikeTheQuietCopy) {
    QTemporaryDir d;
    const QDateTime t = QDateTime::fromSecsSinceEpoch(1400000000, Qt::UTC);
    testutil::writeFile(d.path() + "/a.bin", QByteArray(5 * 1024 * 1024, 'k'), t);
    copyShowingProgress(d.path() + "/a.bin", d.path() + "/b.bin");
    EXPECT_EQ(testutil::readBytes(d.path() + "/b.bin"), QByteArray(5 * 1024 * 1024, 'k'));
    EXPECT_EQ(fileTime(d.path() + "/b.bin"), 1400000000);
    EXPECT_EQ(currentCopyProgress(), nullptr) << "the dialog is gone afterwards";
}

TEST(CopyShowingProgress, TheCancelButtonLeavesTheOldTarget) {
    QTemporaryDir d;
    testutil::writeFile(d.path() + "/src/a.bin", QByteArray(40 * 1024 * 1024, 'n'));
    testutil::writeFile(d.path() + "/dst/a.bin", "gammal");
    bool pressed = false;
    try {
        copyShowingProgress(d.path() + "/src/a.bin", d.path() + "/dst/a.bin", nullptr, [&] {
            // The user presses "Avbryt" while the copy runs.
            QProgressDialog* p = currentCopyProgress();
            if (p && !pressed) {
                EXPECT_EQ(p->labelText(), "Kopierar a.bin");
                p->cancel();
                pressed = true;
            }
            return false;
        });
        FAIL() << "the copy went on";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number, 0);
    }
    EXPECT_TRUE(pressed);
    EXPECT_EQ(testutil::readBytes(d.path() + "/dst/a.bin"), "gammal");
    EXPECT_EQ(QDir(d.path() + "/dst").entryList(QDir::Files | QDir::Hidden).size(), 1);
}
