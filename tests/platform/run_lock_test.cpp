#include "platform/run_lock.h"

#include "support/fixture.h"

#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::FolderLock;

TEST(FolderLock, OneHolderAtATimeAndALeftoverLockFileIsTakenOver) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/x.lock";
    {
        FolderLock first(dir.path(), "x.lock");
        FolderLock second(dir.path(), "x.lock");
        EXPECT_EQ(first.tryTake(), FolderLock::Result::Taken);
        EXPECT_TRUE(first.held());
        EXPECT_EQ(second.tryTake(), FolderLock::Result::Held);
        first.release();
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_EQ(second.tryTake(), FolderLock::Result::Taken);
    }
    EXPECT_FALSE(QFile::exists(file)) << "released when it goes out of scope";

    // Held through Qt's own lock, as another process holds it.
    QLockFile other(file);
    ASSERT_TRUE(other.tryLock(0));
    EXPECT_EQ(FolderLock(dir.path(), "x.lock").tryTake(), FolderLock::Result::Held);
    other.unlock();

    // An empty or garbled lock file names nobody who holds it.
    for (const QByteArray& content : {QByteArray(), QByteArray("nonsense")}) {
        testutil::writeFile(file, content);
        FolderLock lock(dir.path(), "x.lock");
        EXPECT_EQ(lock.tryTake(), FolderLock::Result::Taken) << content.constData();
    }
}
