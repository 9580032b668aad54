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
