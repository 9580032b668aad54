#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/fixture.h"

#include <QFileInfo>
#include <cerrno>

using namespace platform;

TEST(Paths, SeparatorRulesNeverTurnTheRootIntoNothing) {
    EXPECT_EQ(withoutTrailingSeparator("/mnt/usb/Backup/"), "/mnt/usb/Backup");
    EXPECT_EQ(withoutTrailingSeparator("/mnt/usb/Backup"), "/mnt/usb/Backup");
    EXPECT_EQ(withoutTrailingSeparator("/"), "/");
    EXPECT_EQ(withoutTrailingSeparator(""), "");
    EXPECT_EQ(withTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(withTrailingSeparator("/"), "/");
    EXPECT_EQ(lastPiece("/home/anna/Bilder"), "Bilder");
    EXPECT_EQ(lastPiece("fil.txt"), "fil.txt");
    EXPECT_EQ(parentPath("/home/anna"), "/home");
    EXPECT_EQ(parentPath("/home"), "/");
    EXPECT_EQ(parentPath("fil.txt"), "");
    EXPECT_EQ(joinPath("/", "etc"), "/etc");
    EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(joinPath("", "b"), "b");
}

TEST(Paths, RelativeTargetAndItsInverse) {
    EXPECT_EQ(relativeTarget("/mnt/usb/Backup", "/home/anna/Bilder"), "/mnt/usb/Backup/home/anna/Bilder/");
    EXPECT_EQ(relativeTarget("/mnt/usb/Backup/", "/home/anna/Bilder/"), "/mnt/usb/Backup/home/anna/Bilder/");
    EXPECT_EQ(relativeTarget("/", "/home/anna"), "/home/anna/");
    EXPECT_EQ(relativeTarget("/b", "/"), "/b/");
    EXPECT_EQ(relativeTarget("/b", "/data/a:b"), "/b/data/a:b/") << "colons are name characters";

    for (const QString& src : {QString("/home/anna/Bilder/"), QString("/data/a:b/"), QString("/")})
        EXPECT_EQ(sourceFromRelativeTarget("/mnt/usb/Backup", relativeTarget("/mnt/usb/Backup", src)), src);
    EXPECT_EQ(sourceFromRelativeTarget("/mnt/usb/Backup", "/mnt/usb/Backup/home/anna"), "/home/anna/");
    EXPECT_EQ(sourceFromRelativeTarget("/mnt/usb/Backup", "/mnt/usb/Backup2/home"), "")
        << "a neighbour folder is not below the backup folder";
    EXPECT_EQ(sourceFromRelativeTarget("/mnt/usb/Backup", "/mnt/other"), "");
}

TEST(Paths, SameOrBelowComparesWholePieces) {
    EXPECT_TRUE(isSameOrBelow("/home/anna", "/home/anna"));
    EXPECT_TRUE(isSameOrBelow("/home/anna/", "/home/anna"));
    EXPECT_TRUE(isSameOrBelow("/home/anna/x", "/home/anna/"));
    EXPECT_FALSE(isSameOrBelow("/home/annalena", "/home/anna"));
    EXPECT_FALSE(isSameOrBelow("/home", "/home/anna"));
    EXPECT_TRUE(isSameOrBelow("/anything", "/"));
    EXPECT_FALSE(isSameOrBelow("/home/Anna", "/home/anna")) << "names are case-sensitive";
}

TEST(Paths, VolumesOfTheUsualMountFolders) {
    EXPECT_EQ(volumeRoot("/media/anna/USB/Backup/x"), "/media/anna/USB");
    EXPECT_EQ(volumeRoot("/run/media/anna/USB/Backup"), "/run/media/anna/USB");
    EXPECT_EQ(volumeRoot("/mnt/disk"), "/mnt/disk");
    EXPECT_EQ(volumeRoot("/mnt/disk/a/b"), "/mnt/disk");
    EXPECT_EQ(volumeRoot("/media/anna"), "/");
    EXPECT_EQ(volumeRoot("/home/anna"), "/");
    EXPECT_TRUE(volumePresent("/home/anna/whatever"));
    EXPECT_TRUE(isNetworkPath("//server/share"));
    EXPECT_FALSE(isNetworkPath("/tmp"));
    EXPECT_FALSE(isNetworkPath("/tmp/does/not/exist"));
}

class VolumeTest : public ::testing::Test {
  protected:
    void SetUp() override { addVolumeParent(dir_.path() + "/mnt"); }
    void TearDown() override {
        clearVolumeParents();
        clearFaults();
    }
    QString p(const QString& n) const { return dir_.path() + '/' + n; }
    QTemporaryDir dir_;
};

TEST_F(VolumeTest, AnEmptyMountFolderIsAnUnpluggedDiskAndNothingIsCreatedBelowIt) {
    testutil::makeDir(p("mnt/usb"));
    EXPECT_EQ(volumeRoot(p("mnt/usb/Backup/a")), p("mnt/usb"));
    EXPECT_FALSE(volumePresent(p("mnt/usb/Backup")));
    try {
        makePath(p("mnt/usb/Backup/home/anna"));
        FAIL() << "created below a missing volume";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number, 76);
        EXPECT_EQ(e.description, "Sökvägen hittades inte");
    }
    EXPECT_FALSE(QFileInfo::exists(p("mnt/usb/Backup")));
    EXPECT_THROW(makePath(p("mnt/saknas/Backup")), RunError);
    EXPECT_FALSE(QFileInfo::exists(p("mnt/saknas")));

    testutil::writeFile(p("mnt/usb/.volym"), "");
    EXPECT_TRUE(volumePresent(p("mnt/usb/Backup")));
    makePath(p("mnt/usb/Backup/home/anna/"));
    EXPECT_TRUE(folderExists(p("mnt/usb/Backup/home/anna")));
    makePath(p("mnt/usb/Backup/home/anna")); // already there: no error
}

TEST_F(VolumeTest, MakePathReportsWhatStopsIt) {
    testutil::writeFile(p("fil"), "x");
    EXPECT_THROW(makePath(p("fil/under")), RunError);
    injectFault(p("skyddad"), EACCES);
    try {
        makePath(p("skyddad/a/b"));
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.number, 70);
    }
    EXPECT_FALSE(QFileInfo::exists(p("skyddad")));
    EXPECT_THROW(makePath(""), RunError);
    EXPECT_FALSE(volumeFolderPresent(p("mnt/ingen")));
    EXPECT_TRUE(volumeFolderPresent("/"));
}
