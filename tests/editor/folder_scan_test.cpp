#include "editor/folder_scan.h"
#include "platform/errors.h"
#include "support/fixture.h"

#include <QFile>
#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class FolderScanTest : public ProgramTest {
  protected:
    QString root() const { return work("src"); }
    QString at(const QString& rel) const { return root() + '/' + rel; }
    void dirs(const QStringList& rels) {
        for (const QString& r : rels)
            testutil::makeDir(at(r));
    }
    QStringList rel(const QStringList& paths) const {
        QStringList out;
        for (const QString& p : paths)
            out << (p == root() ? QStringLiteral("<root>") : QString(p).remove(0, root().length() + 1));
        return out;
    }
};

TEST_F(FolderScanTest, ListsRootFirstThenEachFolderBeforeItsSubfoldersInSwedishOrder) {
    dirs({"beta/inre/djup", "Alfa", ".dold/inne", "Zeta", "Ärlig", "Åka", "beta/Annan"});
    testutil::writeFile(at("beta/fil.txt"), "x"); // files are not folders
    testutil::writeFile(at("Alfa/nästan"), "y");
    const QStringList found = FolderScan::list(root());
    EXPECT_EQ(rel(found), QStringList({"<root>", ".dold", ".dold/inne", "Alfa", "beta", "beta/Annan",
                                       "beta/inre", "beta/inre/djup", "Zeta", "Åka", "Ärlig"}));
}

TEST_F(FolderScanTest, StartFolderKeepsItsFormAndFoundFoldersNeverEndInASeparator) {
    dirs({"a/b"});
    const QStringList found = FolderScan::list(root() + '/');
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0], root() + '/');
    EXPECT_EQ(found[1], at("a"));
    EXPECT_EQ(found[2], at("a/b"));
}

// A link back to a folder being walked is listed but not entered; one back to the start folder or
// above it is neither.
TEST_F(FolderScanTest, LinkLoopsEndAndFifosAreNeverOpened) {
    dirs({"a/inne", "b"});
    ASSERT_TRUE(QFile::link(root(), at("a/tillbaka")));     // back to the start folder: not listed
    ASSERT_TRUE(QFile::link(at("a"), at("a/själv")));       // to itself
    ASSERT_TRUE(QFile::link(at("a"), at("b/till_a")));      // to a folder not on the path: entered
    ASSERT_TRUE(QFile::link(at("saknas"), at("b/trasig"))); // dangling link: not a folder
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("b/rör")).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("a/inne/rör2")).constData(), 0600), 0);

    const QStringList found = FolderScan::list(root());
    EXPECT_EQ(rel(found), QStringList({"<root>", "a", "a/inne", "a/själv", "b", "b/till_a", "b/till_a/inne",
                                       "b/till_a/själv"}));
}

TEST_F(FolderScanTest, WithoutSubfoldersListsOnlyTheDirectChildren) {
    dirs({"a/djup", "b"});
    EXPECT_EQ(rel(FolderScan::list(root(), false)), QStringList({"<root>", "a", "b"}));
}

TEST_F(FolderScanTest, MissingEmptyOrUnreadableFoldersAreNoError) {
    EXPECT_TRUE(FolderScan::list(work("finns_inte")).isEmpty());
    EXPECT_TRUE(FolderScan::list(QString()).isEmpty());
    testutil::writeFile(work("enfil"), "x");
    EXPECT_TRUE(FolderScan::list(work("enfil")).isEmpty());

    dirs({"a/under", "b"});
    platform::injectFault(at("a"), EACCES);
    // The unreadable folder stays listed by its parent and is reported; the scan goes on.
    QStringList found, unreadable;
    FolderScan::Options o;
    o.found = [&](const QString& p, int) { found << p; };
    o.unreadable = [&](const QString& p, const platform::RunError&) { unreadable << p; };
    EXPECT_EQ(FolderScan::run(root(), o), 3);
    EXPECT_EQ(rel(found), QStringList({"<root>", "a", "b"}));
    EXPECT_EQ(unreadable, QStringList{at("a")});
}

// A tree deeper than the handles the process may open is walked to its end, and so is what lies
// beside it; where not even one handle can be had, the folder is said to be unreadable, never taken
// for an empty one.
TEST_F(FolderScanTest, ATreeDeeperThanTheOpenFileLimitIsWalkedWholeAndALimitReachedIsSaid) {
    QString deep = "d";
    for (int i = 1; i < 150; ++i)
        deep += "/d";
    dirs({deep, "d/e"}); // reached after the deep end, through a handle opened again
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const struct {
        rlim_t limit;
        int found;
        int unreadableError; // 0: none
    } cases[] = {{rlim_t(lowestFree + 8), 152, 0}, {rlim_t(lowestFree), 1, 67}};
    for (const auto& c : cases) {
        QStringList unreadable;
        int error = 0;
        FolderScan::Options o;
        o.unreadable = [&](const QString& p, const platform::RunError& e) {
            unreadable << p;
            error = e.number;
        };
        struct rlimit low = saved;
        low.rlim_cur = c.limit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
        const int found = FolderScan::run(root(), o);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_EQ(found, c.found) << c.limit;
        EXPECT_EQ(error, c.unreadableError) << unreadable.join('\n').toStdString();
    }
}

TEST_F(FolderScanTest, CancelStopsDescendingButFinishesListingsAlreadyBegun) {
    dirs({"a/a1/djup", "a/a2", "b/b1", "c"});
    bool cancel = false;
    QStringList found;
    int progressed = -1;
    FolderScan::Options o;
    o.cancelled = [&] { return cancel; };
    o.found = [&](const QString& p, int n) {
        found << p;
        EXPECT_EQ(n, found.size());
        if (p == at("a"))
            cancel = true;
    };
    o.progress = [&](int n) { progressed = n; };
    EXPECT_EQ(FolderScan::run(root(), o), 4);
    EXPECT_EQ(rel(found), QStringList({"<root>", "a", "b", "c"}));
    EXPECT_EQ(progressed, 4);

    // A cancel that holds before the start still lists the start folder alone.
    EXPECT_EQ(rel(FolderScan::list(root(), true, [] { return true; })), QStringList({"<root>"}));
}

TEST_F(FolderScanTest, RecyclerAndSystemVolumeFoldersOnlyAtTheTopOfAVolume) {
    EXPECT_TRUE(FolderScan::isSystemFolder("/media/anna/STICK/System Volume Information"));
    EXPECT_TRUE(FolderScan::isSystemFolder("/media/anna/STICK/RECYCLER/S-1-5/x"));
    EXPECT_TRUE(FolderScan::isSystemFolder("/mnt/usb/RECYCLER"));
    EXPECT_TRUE(FolderScan::isSystemFolder("/RECYCLER"));
    EXPECT_FALSE(FolderScan::isSystemFolder("/media/anna/STICK/Data/RECYCLER"));
    EXPECT_FALSE(FolderScan::isSystemFolder("/mnt/usb/recycler"));
    EXPECT_FALSE(FolderScan::isSystemFolder("/mnt/usb/RECYCLER2"));
    EXPECT_FALSE(FolderScan::isSystemFolder(root() + "/System Volume Information"));
}

TEST_F(FolderScanTest, SynchronisationScanFillsBothListsOrNothingWhenCancelledFirst) {
    dirs({"a/x", "b"});
    testutil::makeDir(work("mål/y"));
    QStringList l1{"gammal"}, l2{"gammal"};
    int last[3] = {0, 0, 0};
    EXPECT_TRUE(starta_sökning_mappsync(
        root(), work("mål"), l1, l2, [] { return false; }, [&](int pass, int n) { last[pass] = n; }));
    EXPECT_EQ(rel(l1), QStringList({"<root>", "a", "a/x", "b"}));
    EXPECT_EQ(l2, QStringList({work("mål"), work("mål/y")}));
    EXPECT_EQ(last[1], 4);
    EXPECT_EQ(last[2], 2);

    QStringList k1{"kvar"}, k2{"kvar"};
    EXPECT_FALSE(starta_sökning_mappsync(root(), work("mål"), k1, k2, [] { return true; }));
    EXPECT_EQ(k1, QStringList{"kvar"});
    EXPECT_EQ(k2, QStringList{"kvar"});
}
