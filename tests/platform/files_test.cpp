#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

QStringList names(const std::vector<FileEntry>& v) {
    QStringList out;
    for (const FileEntry& e : v)
        out << e.name;
    return out;
}

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RunError& e) {
        return e.number;
    }
    return -1;
}

// Everything in a folder, hidden names included.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

class FilesTest : public ::testing::Test {
  protected:
    void TearDown() override {
        clearFaults();
        setSwapHook({});
        standInCaseFolding({});
    }
    QString p(const QString& name) const { return dir_.path() + '/' + name; }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(FilesTest, ListsRegularFilesAndFileLinksInSwedishOrderWithoutSpecialFiles) {
    for (const char* n : {"b.txt", "A.txt", "ä.txt", "Ö.txt", "z.txt", "å.txt", ".dold"})
        testutil::writeFile(p(n), "x");
    testutil::makeDir(p("mapp"));
    ASSERT_EQ(::symlink("b.txt", QFile::encodeName(p("länk.txt")).constData()), 0);
    ASSERT_EQ(::symlink("saknas", QFile::encodeName(p("trasig")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(p("rör")).constData(), 0600), 0);

    EXPECT_EQ(listFileNames(dir_.path()),
              QStringList({".dold", "A.txt", "b.txt", "länk.txt", "z.txt", "å.txt", "ä.txt", "Ö.txt"}));
    EXPECT_EQ(listFolders(dir_.path()), QStringList({"mapp"}));
    EXPECT_EQ(names(listFiles(dir_.path(), "*.TXT")),
              QStringList({"A.txt", "b.txt", "länk.txt", "z.txt", "å.txt", "ä.txt", "Ö.txt"}));
}

TEST_F(FilesTest, ListingGivesSizeTimeAndFollowsFolderLinks) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(1600000000, Qt::UTC);
    testutil::writeFile(p("data/fil.bin"), QByteArray(1234, 'x'), t);
    testutil::makeDir(p("data/Under"));
    ASSERT_EQ(::symlink("data/Under", QFile::encodeName(p("data/annan")).constData()), 0);
    const auto files = listFiles(p("data"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].size, 1234);
    EXPECT_EQ(files[0].mtime, 1600000000);
    EXPECT_FALSE(files[0].refused);
    EXPECT_EQ(listFolders(p("data")), QStringList({"Under"})) << "dangling relative link: not a folder";
    ASSERT_EQ(::unlink(QFile::encodeName(p("data/annan")).constData()), 0);
    ASSERT_EQ(::symlink("Under", QFile::encodeName(p("data/annan")).constData()), 0);
    EXPECT_EQ(listFolders(p("data")), QStringList({"annan", "Under"}));
    EXPECT_EQ(folderId(p("data/annan")), folderId(p("data/Under"))) << "a loop is recognisable";
    EXPECT_FALSE(folderId(p("data")) == folderId(p("data/Under")));

    EXPECT_EQ(errorOf([&] { listFiles(p("saknas")); }), 76);
    injectFault(p("data"), EACCES);
    EXPECT_EQ(errorOf([&] { listFolders(p("data")); }), 70);
}

TEST_F(FilesTest, NamesThatAreNotValidUtf8OrHoldControlCharactersAreMarkedRefused) {
    const QByteArray base = QFile::encodeName(dir_.path());
    for (const QByteArray& raw :
         {QByteArray("/bad\xff.txt"), QByteArray("/ctl\x01.txt"), QByteArray("/bra?.txt")}) {
        const int fd = ::open((base + raw).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    const auto files = listFiles(dir_.path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].name, "bad?.txt");
    EXPECT_TRUE(files[0].refused);
    EXPECT_EQ(files[1].name, "bra?.txt");
    EXPECT_FALSE(files[1].refused) << "a question mark is a valid name character on Linux";
    EXPECT_EQ(files[2].name, "ctl?.txt");
    EXPECT_TRUE(files[2].refused);
    removeFolderRecursively(dir_.path());
    EXPECT_FALSE(QFileInfo::exists(dir_.path())) << "such names are still deleted";
}

TEST_F(FilesTest, CountingAgreesWithTheListingWithoutSpecialFilesOrFolders) {
    const QByteArray base = QFile::encodeName(dir_.path());
    for (const char* n : {"a.txt", "B.TXT", "c.doc", ".dold.txt"})
        testutil::writeFile(p(n), "x");
    testutil::makeDir(p("mapp.txt"));
    ASSERT_EQ(::symlink("a.txt", (base + "/länk.txt").constData()), 0);
    ASSERT_EQ(::symlink("mapp.txt", (base + "/mapplänk.txt").constData()), 0);
    ASSERT_EQ(::symlink("saknas", (base + "/trasig.txt").constData()), 0);
    ASSERT_EQ(::mkfifo((base + "/rör.txt").constData(), 0600), 0);
    const int fd = ::open((base + "/fel\xff.txt").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);

    for (const char* pattern : {"*.*", "*.txt", "*.doc;b.*", "", "x*"})
        EXPECT_EQ(countFiles(dir_.path(), pattern), long(listFiles(dir_.path(), pattern).size())) << pattern;
    EXPECT_EQ(countFiles(dir_.path(), "*.txt"), 5) << "a.txt, B.TXT, .dold.txt, länk.txt, fel?.txt";
    EXPECT_EQ(errorOf([&] { countFiles(p("saknas"), "*.*"); }), 76);
    injectFault(dir_.path(), EACCES);
    EXPECT_EQ(errorOf([&] { countFiles(dir_.path(), "*.*"); }), 70);
    // QTemporaryDir cannot remove a name that is not text.
    ::unlink((base + "/fel\xff.txt").constData());
}

TEST_F(FilesTest, LookupByNameSeesFilesAsTheyAreNow) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(1600000000, Qt::UTC);
    testutil::writeFile(p("mål/fil.bin"), QByteArray(10, 'x'), t);
    testutil::makeDir(p("mål/mapp"));
    ASSERT_EQ(::symlink("fil.bin", QFile::encodeName(p("mål/länk")).constData()), 0);
    const FolderLookup lookup(p("mål"));
    FileEntry e;
    ASSERT_TRUE(lookup.find("fil.bin", e));
    EXPECT_EQ(e.size, 10);
    EXPECT_EQ(e.mtime, 1600000000);
    EXPECT_TRUE(lookup.find("länk", e)) << "a link to a file counts as the file";
    EXPECT_FALSE(lookup.find("mapp", e));
    EXPECT_FALSE(lookup.find("saknas", e));
    EXPECT_FALSE(lookup.find("FIL.BIN", e)) << "names are exact";
    EXPECT_FALSE(lookup.find(QString(), e)) << "the folder itself is no file";

    // A file that changes after the folder was read is seen as it is now; one that goes is gone.
    testutil::writeFile(p("mål/fil.bin"), QByteArray(20, 'y'), t.addSecs(60));
    ASSERT_TRUE(lookup.find("fil.bin", e));
    EXPECT_EQ(e.size, 20);
    EXPECT_EQ(e.mtime, 1600000060);
    ASSERT_EQ(::unlink(QFile::encodeName(p("mål/länk")).constData()), 0);
    EXPECT_FALSE(lookup.find("länk", e));

    FileEntry none;
    EXPECT_FALSE(FolderLookup(p("saknas")).find("fil.bin", none));
    injectFault(p("mål"), EACCES);
    EXPECT_FALSE(FolderLookup(p("mål")).find("fil.bin", none)) << "an unreadable folder holds nothing";
}

TEST_F(FilesTest, LargeFoldersSortLikeSmallOnes) {
    QStringList expected;
    for (int i = 0; i < 150; ++i) {
        const QString n = QString("%1fil%2.txt").arg(i % 3 == 0 ? "Ä" : i % 3 == 1 ? "a" : "B").arg(i);
        testutil::writeFile(p(n), "");
        expected << n;
    }
    std::sort(expected.begin(), expected.end(), lessName);
    EXPECT_EQ(listFileNames(dir_.path()), expected);
    QStringList copy = expected;
    std::reverse(copy.begin(), copy.end());
    sortNames(copy);
    EXPECT_EQ(copy, expected);
    EXPECT_TRUE(lessName("afil", "Bfil"));
    EXPECT_TRUE(lessName("zeta", "Äpple"));
}

TEST(Patterns, MatchLikeTheFileListBox) {
    EXPECT_TRUE(matchesPattern("README", "*.*")) << "names without a dot too";
    EXPECT_TRUE(matchesPattern(".dold", "*.*"));
    EXPECT_TRUE(matchesPattern("brev.DOC", "*.doc"));
    EXPECT_TRUE(matchesPattern("Brev.doc", "*.DOC"));
    EXPECT_FALSE(matchesPattern("brev.docx", "*.doc"));
    EXPECT_FALSE(matchesPattern("doc", "*.doc"));
    EXPECT_TRUE(matchesPattern("a.xls", "*.doc;*.xls"));
    EXPECT_TRUE(matchesPattern("a.xls", " *.doc ; *.xls "));
    EXPECT_FALSE(matchesPattern("a.ppt", "*.doc;*.xls"));
    EXPECT_TRUE(matchesPattern("rapport", "rapport.*"));
    EXPECT_TRUE(matchesPattern("rapport.pdf", "rapport.*"));
    EXPECT_TRUE(matchesPattern("bild1.jpg", "bild?.jpg"));
    EXPECT_FALSE(matchesPattern("bild12.jpg", "bild?.jpg"));
    EXPECT_TRUE(matchesPattern("foto[1].jpg", "foto[1].jpg")) << "brackets are plain characters";
    EXPECT_TRUE(matchesPattern("ÅRSBOK.TXT", "årsbok.*"));
    EXPECT_TRUE(matchesPattern("a.b.c", "*.c"));
    EXPECT_FALSE(matchesPattern("x.txt", ""));
    EXPECT_FALSE(matchesPattern("x.txt", ";"));
    // Many patterns in turn: each keeps its own meaning.
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 12; ++i) {
            const QString ext = QString("e%1").arg(i);
            EXPECT_TRUE(matchesPattern("fil." + ext, "*." + ext));
            EXPECT_FALSE(matchesPattern("fil." + ext + "x", "*." + ext));
        }
}

TEST_F(FilesTest, CopyKeepsTimeAndPermissionsAndLeavesNothingElse) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(1500000000, Qt::UTC);
    QByteArray data(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 31 % 251);
    testutil::writeFile(p("src/stor.bin"), data, t);
    ::chmod(QFile::encodeName(p("src/stor.bin")).constData(), 0640);
    testutil::makeDir(p("dst"));
    testutil::writeFile(p("dst/stor.bin"), "gammal");

    qint64 last = 0;
    copyKeepTime(p("src/stor.bin"), p("dst/stor.bin"), {}, [&](qint64 done) { last = done; });
    EXPECT_EQ(testutil::readBytes(p("dst/stor.bin")), data);
    EXPECT_EQ(last, data.size());
    EXPECT_EQ(fileTime(p("dst/stor.bin")), 1500000000);
    struct stat st {};
    ::stat(QFile::encodeName(p("dst/stor.bin")).constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(p("dst")), QStringList({"stor.bin"}));

    testutil::writeFile(p("src/tom"), "");
    copyKeepTime(p("src/tom"), p("dst/tom"));
    EXPECT_TRUE(fileExists(p("dst/tom")));
    EXPECT_EQ(fileSize(p("dst/tom")), 0);
}

// A disk image of a few bytes of data in 64 MB copies as a few bytes: the holes stay holes,
// wherever they lie, and the copy reads the same.
TEST_F(FilesTest, ASparseFileStaysSparse) {
    constexpr qint64 kSize = 64ll << 20;
    const struct {
        const char* name;
        std::vector<qint64> dataAt;
    } rows[] = {{"mitten.img", {32ll << 20}}, {"ändarna.img", {0, kSize - 8}}, {"tom.img", {}}};
    testutil::makeDir(p("src"));
    testutil::makeDir(p("dst"));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QByteArray src = QFile::encodeName(p(QStringLiteral("src/") + r.name));
        const QByteArray dst = QFile::encodeName(p(QStringLiteral("dst/") + r.name));
        const int fd = ::open(src.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        for (const qint64 at : r.dataAt)
            ASSERT_EQ(::pwrite(fd, "tamrel!!", 8, at), 8);
        ASSERT_EQ(::ftruncate(fd, kSize), 0);
        ::close(fd);
        CopiedSizes sizes;
        copyKeepTime(QFile::decodeName(src), QFile::decodeName(dst), {}, {}, &sizes);
        struct stat st {};
        ASSERT_EQ(::stat(dst.constData(), &st), 0);
        EXPECT_EQ(st.st_size, kSize);
        EXPECT_EQ(sizes.target, kSize);
        EXPECT_LT(qint64(st.st_blocks) * 512, 1 << 20);
        QFile a(QFile::decodeName(src)), b(QFile::decodeName(dst));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        while (!a.atEnd())
            ASSERT_EQ(a.read(4 << 20), b.read(4 << 20));
    }
}

TEST_F(FilesTest, FailedCopyLeavesTheOldTargetAndNoTemporaryFile) {
    testutil::writeFile(p("src/a.txt"), "ny text");
    testutil::writeFile(p("dst/a.txt"), "gammal");

    injectFault(p("dst/a.txt#write"), ENOSPC);
    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/a.txt"), p("dst/a.txt")); }), 61);
    EXPECT_EQ(testutil::readBytes(p("dst/a.txt")), "gammal");
    EXPECT_EQ(entries(p("dst")), QStringList({"a.txt"}));
    clearFaults();

    injectFault(p("dst"), EDQUOT);
    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/a.txt"), p("dst/a.txt")); }), 61);
    clearFaults();
    injectFault(p("src/a.txt"), EIO);
    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/a.txt"), p("dst/a.txt")); }), 57);
    clearFaults();
    EXPECT_EQ(testutil::readBytes(p("dst/a.txt")), "gammal");

    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/saknas.txt"), p("dst/b.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/a.txt"), p("ingen/mapp/a.txt")); }), 76);
    testutil::makeDir(p("dst/mapp"));
    EXPECT_NE(errorOf([&] { copyKeepTime(p("src/a.txt"), p("dst/mapp")); }), -1)
        << "a folder is not replaced";
    EXPECT_TRUE(folderExists(p("dst/mapp")));
    EXPECT_EQ(entries(p("dst")), QStringList({"a.txt", "mapp"}));
}

// FAT and exFAT refuse names such as "möte 10:30.txt" with EINVAL where the file or folder is made.
TEST_F(FilesTest, ANameTheBackupDiskRefusesIsSaidSo) {
    testutil::writeFile(p("src/a.txt"), "a");
    testutil::makeDir(p("dst"));
    const struct {
        const char* made;
        int err;
        std::function<void()> make;
        int number;
        QString description;
    } cases[] = {
        {"dst/möte 10:30.txt", EINVAL, [&] { copyKeepTime(p("src/a.txt"), p("dst/möte 10:30.txt")); }, 75,
         "Backupdisken tillåter inte det namnet"},
        {"dst/fråga?", EINVAL, [&] { makePath(p("dst/fråga?/a<b>")); }, 75,
         "Backupdisken tillåter inte det namnet"},
        {"dst/a.txt", EACCES, [&] { copyKeepTime(p("src/a.txt"), p("dst/a.txt")); }, 70, "Åtkomst nekad"},
    };
    for (const auto& c : cases) {
        injectFault(p(c.made) + "#create", c.err);
        RunError got{-1, {}};
        try {
            c.make();
        } catch (const RunError& e) {
            got = e;
        }
        EXPECT_EQ(got.number, c.number) << c.made;
        EXPECT_EQ(got.description, c.description) << c.made;
        EXPECT_TRUE(entries(p("dst")).isEmpty()) << c.made;
        clearFaults();
    }
}

TEST_F(FilesTest, ASourceWrittenToDuringTheCopyIsNotPutInPlace) {
    testutil::writeFile(p("src/a.log"), "rad 1\n");
    testutil::writeFile(p("dst/a.log"), "gammal");
    QStringList during;
    auto grow = [&](qint64) { // at every block: a log that never stops growing
        if (during.isEmpty())
            during = entries(p("dst"));
        QFile f(p("src/a.log"));
        if (f.open(QIODevice::Append))
            f.write("rad 2\n");
    };
    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/a.log"), p("dst/a.log"), {}, grow); }), kSourceChanged);
    EXPECT_EQ(testutil::readBytes(p("dst/a.log")), "gammal");
    EXPECT_EQ(entries(p("dst")), QStringList({"a.log"}));
    ASSERT_EQ(during.size(), 2);
    EXPECT_TRUE(isCopyTemporaryName(during.at(0))) << during.at(0).toStdString(); // the name a kill leaves
}

TEST_F(FilesTest, CancelledCopyLeavesNoTargetAndSpecialFilesAreRefusedAtOnce) {
    testutil::writeFile(p("src/stor.bin"), QByteArray(20 * 1024 * 1024, 'x'));
    testutil::makeDir(p("dst"));
    try {
        copyKeepTime(p("src/stor.bin"), p("dst/stor.bin"), [] { return true; });
        FAIL() << "not cancelled";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number, 0);
    }
    EXPECT_TRUE(entries(p("dst")).isEmpty());

    ASSERT_EQ(::mkfifo(QFile::encodeName(p("src/rör")).constData(), 0600), 0);
    EXPECT_EQ(errorOf([&] { copyKeepTime(p("src/rör"), p("dst/rör")); }), 75) << "and no hang";
    EXPECT_TRUE(entries(p("dst")).isEmpty());
}

// A stop is looked for between blocks: at least once a MiB, so that a disk writing a third of a
// MB a second still sees it within a few seconds at most, holes or not.
TEST_F(FilesTest, ABigCopyAsksForAStopAtLeastOnceAMebibyte) {
    constexpr qint64 kData = 16ll << 20;
    const struct {
        const char* name;
        qint64 holeBefore;
    } rows[] = {{"hel.bin", 0}, {"glest.img", 24ll << 20}};
    testutil::makeDir(p("src"));
    testutil::makeDir(p("dst"));
    const QByteArray data(kData, 'x');
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QByteArray src = QFile::encodeName(p(QStringLiteral("src/") + r.name));
        const int fd = ::open(src.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, data.constData(), size_t(kData), r.holeBefore), kData);
        ASSERT_EQ(::ftruncate(fd, r.holeBefore * 2 + kData), 0);
        ::close(fd);
        int asked = 0;
        copyKeepTime(QFile::decodeName(src), p(QStringLiteral("dst/") + r.name), [&] {
            ++asked;
            return false;
        });
        EXPECT_GE(asked, kData >> 20);
    }
}

// A disk that does not take a file's time (NFS with root_squash) leaves the time of the copy;
// the copy says so, with the time it really holds.
TEST_F(FilesTest, ACopyTellsTheTimeItReallyHolds) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(1500000000, Qt::UTC);
    testutil::writeFile(p("src/a.txt"), "a", t);
    testutil::makeDir(p("dst"));
    CopiedSizes kept;
    copyKeepTime(p("src/a.txt"), p("dst/a.txt"), {}, {}, &kept);
    EXPECT_TRUE(kept.timeKept);
    EXPECT_EQ(kept.targetTime, 1500000000);
    EXPECT_EQ(kept.sourceTime, 1500000000);

    injectFault(p("dst/b.txt#time"), EPERM);
    CopiedSizes lost;
    copyKeepTime(p("src/a.txt"), p("dst/b.txt"), {}, {}, &lost);
    EXPECT_EQ(testutil::readBytes(p("dst/b.txt")), "a") << "the copy itself is whole";
    EXPECT_FALSE(lost.timeKept);
    EXPECT_EQ(lost.targetTime, fileTime(p("dst/b.txt")));
    EXPECT_NE(lost.targetTime, 1500000000);
    EXPECT_EQ(lost.sourceTime, 1500000000);

    // The two-second grain of a FAT disk, which rounds down or up.
    for (qint64 d : {-1, 0, 1, 2})
        EXPECT_TRUE(timeWithinGrain(100 + d, 100)) << d;
    for (qint64 d : {-2, 3, 3600})
        EXPECT_FALSE(timeWithinGrain(100 + d, 100)) << d;
}

// The copy takes the target's place only where the file it was decided on still is: a save at the
// last moment stays, and where there was no file, nothing is replaced that appeared meanwhile or
// that a disk ignoring letter case takes for the same name.
TEST_F(FilesTest, TheCopyTakesTheTargetsPlaceOnlyWhereTheFileDecidedOnStillIs) {
    const struct {
        const char* what;
        bool targetThere;  // when the copy was decided on
        bool save;         // a file saved at the target's name right before the copy takes its place
        const char* other; // another spelling in the folder, on a disk that folds letter case
        QByteArray left;   // at the target's name afterwards
        bool kept;         // the copy was dropped (kTargetChanged)
        bool nameTaken;
    } cases[] = {
        {"the target decided on", true, false, nullptr, "ny", false, false},
        {"a save after the last look", true, true, nullptr, "sparad", true, false},
        {"nothing there", false, false, nullptr, "ny", false, false},
        {"a file made where there was none", false, true, nullptr, "sparad", true, true},
        {"another spelling", false, false, "README.txt", "versal", true, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = p(QStringLiteral("fall%1").arg(++n));
        const QString target = folder + "/Readme.txt";
        testutil::writeFile(p("src/Readme.txt"), "ny");
        testutil::makeDir(folder);
        if (c.targetThere)
            testutil::writeFile(target, "gammal");
        if (c.other) {
            testutil::writeFile(folder + "/" + c.other, "versal");
            standInCaseFolding(folder);
        }
        const FileInfo expected = fileInfo(target);
        setSwapHook([&](const QString&, const QString& t) {
            if (!c.save)
                return;
            testutil::writeFile(t + ".new", "sparad"); // an editor's save: a new file renamed over
            ASSERT_EQ(::rename(QFile::encodeName(t + ".new").constData(), QFile::encodeName(t).constData()),
                      0);
        });
        CopiedSizes sizes;
        const int err =
            errorOf([&] { copyKeepTime(p("src/Readme.txt"), target, {}, {}, &sizes, &expected); });
        EXPECT_EQ(err, c.kept ? kTargetChanged : -1);
        EXPECT_EQ(sizes.nameTaken, c.nameTaken);
        const QString at = c.other ? folder + "/" + c.other : target;
        EXPECT_EQ(testutil::readBytes(at), c.left);
        EXPECT_EQ(entries(folder), QStringList({lastPiece(at)})) << "nothing else left";
    }
}

TEST_F(FilesTest, CopyReplacesALinkAtTheTargetInsteadOfWritingThroughIt) {
    testutil::writeFile(p("src/a.txt"), "ny");
    testutil::writeFile(p("annat/viktig.txt"), "rör ej");
    testutil::makeDir(p("dst"));
    ASSERT_EQ(::symlink(QFile::encodeName(p("annat/viktig.txt")).constData(),
                        QFile::encodeName(p("dst/a.txt")).constData()),
              0);
    copyKeepTime(p("src/a.txt"), p("dst/a.txt"));
    EXPECT_EQ(testutil::readBytes(p("dst/a.txt")), "ny");
    EXPECT_FALSE(fileInfo(p("dst/a.txt")).isLink);
    EXPECT_EQ(testutil::readBytes(p("annat/viktig.txt")), "rör ej");
}

TEST_F(FilesTest, DeletingRemovesLinksAsLinks) {
    testutil::writeFile(p("ute/behåll.txt"), "x");
    testutil::writeFile(p("bort/a/b.txt"), "x");
    ASSERT_EQ(
        ::symlink(QFile::encodeName(p("ute")).constData(), QFile::encodeName(p("bort/a/länk")).constData()),
        0);
    deleteForGood(p("bort/"));
    EXPECT_FALSE(QFileInfo::exists(p("bort")));
    EXPECT_TRUE(QFileInfo::exists(p("ute/behåll.txt")));

    ASSERT_EQ(::symlink(QFile::encodeName(p("ute")).constData(), QFile::encodeName(p("länk")).constData()),
              0);
    deleteForGood(p("länk"));
    EXPECT_FALSE(fileInfo(p("länk")).isLink);
    EXPECT_TRUE(QFileInfo::exists(p("ute/behåll.txt")));

    injectFault(p("ute/behåll.txt"), EBUSY);
    EXPECT_EQ(errorOf([&] { removeFile(p("ute/behåll.txt")); }), 75);
    clearFaults();
    EXPECT_EQ(errorOf([&] { removeFile(p("ute/saknas.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { removeFolder(p("ute")); }), 75) << "not empty";
    removeFile(p("ute/behåll.txt"));
    removeFolder(p("ute"));
    EXPECT_FALSE(QFileInfo::exists(p("ute")));
}

TEST_F(FilesTest, TrashTakesFilesFoldersAndFolderLinksAndReportsFailure) {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    testutil::writeFile(p("a.txt"), "x");
    testutil::writeFile(p("mapp/b.txt"), "x");
    testutil::writeFile(p("mål/c.txt"), "x");
    ASSERT_EQ(::symlink(QFile::encodeName(p("mål")).constData(), QFile::encodeName(p("länk")).constData()),
              0);

    moveToTrash(p("a.txt"));
    moveToTrash(p("mapp/"));
    moveToTrash(p("länk"));
    EXPECT_EQ(entries(dir_.path()), QStringList({"mål"}));
    EXPECT_TRUE(QFileInfo::exists(p("mål/c.txt"))) << "the link went, not what it pointed at";
    const QString trash = data.path() + "/Trash/files";
    EXPECT_TRUE(QFileInfo(trash + "/a.txt").isFile());
    EXPECT_TRUE(QFileInfo(trash + "/mapp/b.txt").isFile());
    EXPECT_TRUE(QFileInfo(trash + "/länk").isSymLink());

    EXPECT_EQ(errorOf([&] { moveToTrash(p("saknas.txt")); }), 53);
    injectFault(p("mål/c.txt"), EACCES);
    EXPECT_EQ(errorOf([&] { moveToTrash(p("mål/c.txt")); }), 70);
    EXPECT_TRUE(QFileInfo::exists(p("mål/c.txt")));
    qunsetenv("XDG_DATA_HOME");
}

TEST_F(FilesTest, RenameAndStatusFollowTheFaultHook) {
    testutil::writeFile(p("a.txt"), "x");
    renamePath(p("a.txt"), p("b.txt"));
    EXPECT_FALSE(fileExists(p("a.txt")));
    EXPECT_TRUE(fileExists(p("b.txt")));
    EXPECT_FALSE(folderExists(p("b.txt")));
    injectFault(p("b.txt"), ENOENT);
    EXPECT_FALSE(fileInfo(p("b.txt")).exists);
    EXPECT_EQ(errorOf([&] { fileTime(p("b.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { renamePath(p("b.txt"), p("c.txt")); }), 53);
    clearFaults();
    EXPECT_EQ(errorOf([&] { fileSize(p("c.txt")); }), 53);
}
