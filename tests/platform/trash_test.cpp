#include "platform/files.h"
#include "support/fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

// A user whose data folder does not exist yet (a fresh account) still gets a real trash, and
// nothing lands in the program's current folder.
TEST(Trash, AMissingDataFolderIsMadeInsteadOfTrashingIntoTheCurrentFolder) {
    QTemporaryDir home, cwd;
    const QByteArray oldHome = qgetenv("HOME");
    const QString oldCwd = QDir::currentPath();
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/.local/share"));
    QDir::setCurrent(cwd.path());
    testutil::writeFile(home.path() + "/backup/gammal.txt", "x");
    testutil::writeFile(home.path() + "/backup/mapp/b.txt", "y");

    platform::moveToTrash(home.path() + "/backup/gammal.txt");
    platform::moveToTrash(home.path() + "/backup/mapp/");

    QDir::setCurrent(oldCwd);
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", oldHome);
    const QString trash = home.path() + "/.local/share/Trash";
    EXPECT_EQ(testutil::readBytes(trash + "/files/gammal.txt"), QByteArray("x"));
    EXPECT_EQ(testutil::readBytes(trash + "/files/mapp/b.txt"), QByteArray("y"));
    EXPECT_TRUE(QFileInfo::exists(trash + "/info/gammal.txt.trashinfo"));
    EXPECT_TRUE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

// Where the home trash cannot be made, Qt moves the item into "files/" of the current folder:
// that is no trash, so the move is taken back and refused. A name the trash cannot record is
// refused at once, never looked for a free record name for ever.
TEST(Trash, AMoveOutsideTheTrashAndANameTooLongAreRefusedAndTheFileStays) {
    QTemporaryDir home, cwd;
    const QString oldCwd = QDir::currentPath();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/.local/share"));
    QDir::setCurrent(cwd.path());
    const QString file = home.path() + "/backup/gammal.txt";
    testutil::writeFile(file, "x");
    platform::setTrashMoveHook([&](const QString& path, QString* inTrash) {
        QDir().mkpath(cwd.path() + "/files");
        QDir().mkpath(cwd.path() + "/info");
        testutil::writeFile(cwd.path() + "/info/gammal.txt.trashinfo", "[Trash Info]\n");
        *inTrash = cwd.path() + "/files/gammal.txt";
        return QFile::rename(path, *inTrash);
    });
    EXPECT_THROW(platform::moveToTrash(file), platform::RunError);
    platform::setTrashMoveHook({});

    const QString longName = home.path() + "/backup/" + QString(250, QLatin1Char('l'));
    testutil::writeFile(longName, "y");
    EXPECT_THROW(platform::moveToTrash(longName), platform::RunError);

    QDir::setCurrent(oldCwd);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(testutil::readBytes(file), QByteArray("x"));
    EXPECT_EQ(testutil::readBytes(longName), QByteArray("y"));
    EXPECT_TRUE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}
