#include "platform/own_tree.h"
#include "support/fixture.h"
#include "support/mounted.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

using namespace platform;

namespace {

bool exists(const QString& p) {
    struct stat st {};
    return ::lstat(QFile::encodeName(p).constData(), &st) == 0;
}

class OwnTreeTest : public ::testing::Test {
  protected:
    void TearDown() override { setOwnTreeHook({}); }
    QString p(const QString& name) const { return dir_.path() + '/' + name; }
    QTemporaryDir dir_;
};

} // namespace

// What is mounted below the backup folder, and what a link leads to, is never removed; every file
// that is removed is named.
TEST_F(OwnTreeTest, RemovesOnlyTheRootsOwnTreeAndNamesEachFile) {
    testutil::writeFile(p("bak/gammal/a.txt"), "a");
    testutil::writeFile(p("bak/gammal/usb/.keep"), "");
    testutil::writeFile(p("bak/gammal/sub/b.txt"), "b");
    testutil::writeFile(p("hem/notes.txt"), "n");
    ASSERT_EQ(::symlink(QFile::encodeName(p("hem")).constData(),
                        QFile::encodeName(p("bak/gammal/sub/länk")).constData()),
              0);
    QFile::remove(p("bak/gammal/usb/.keep"));
    testutil::Mounted usb(p("bak/gammal/usb"));
    testutil::writeFile(p("bak/gammal/usb/doc.txt"), "d");

    OwnTree tree(p("bak"));
    ASSERT_TRUE(tree.isOpen());
    QStringList removed, kept;
    OwnTree::Removal r;
    r.removed = [&](const QString& path, qint64) { removed << path; };
    r.otherMount = [&](const QString& path) { kept << path; };
    EXPECT_FALSE(tree.remove(p("bak/gammal"), r));
    removed.sort();
    EXPECT_EQ(removed,
              QStringList({p("bak/gammal/a.txt"), p("bak/gammal/sub/b.txt"), p("bak/gammal/sub/länk")}));
    EXPECT_EQ(kept, QStringList({p("bak/gammal/usb")}));
    EXPECT_TRUE(exists(p("bak/gammal/usb/doc.txt")));
    EXPECT_TRUE(exists(p("hem/notes.txt")));
    EXPECT_FALSE(exists(p("bak/gammal/sub")));
    EXPECT_EQ(tree.checkWhole(p("bak/gammal")), OwnTree::Step::OtherMount);
}

// A folder swapped for a link between two steps of a delete is removed as the link it has become;
// a root that is no longer the folder the check approved is not opened at all.
TEST_F(OwnTreeTest, AFolderSwappedForALinkMeanwhileIsNotFollowed) {
    testutil::writeFile(p("bak/x/y/a.txt"), "a");
    testutil::writeFile(p("hem/notes.txt"), "n");
    setOwnTreeHook([&](const QString& path) {
        if (path == p("bak/x/y") && !QFileInfo(path).isSymLink()) {
            QDir(path).removeRecursively();
            QFile::link(p("hem"), path);
        }
    });
    OwnTree tree(p("bak"));
    QStringList removed;
    OwnTree::Removal r;
    r.removed = [&](const QString& path, qint64) { removed << path; };
    EXPECT_TRUE(tree.remove(p("bak/x"), r));
    EXPECT_EQ(removed, QStringList({p("bak/x/y")}));
    EXPECT_TRUE(exists(p("hem/notes.txt")));
    EXPECT_FALSE(exists(p("bak/x")));

    const FolderId approved = folderId(p("bak"));
    QDir(p("bak")).removeRecursively();
    QFile::link(p("hem"), p("bak"));
    OwnTree swapped(p("bak"), approved);
    EXPECT_FALSE(swapped.isOpen());
    EXPECT_EQ(swapped.openError(), ESTALE);
}
