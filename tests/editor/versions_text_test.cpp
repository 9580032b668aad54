#include "editor/job_lists.h"

#include <gtest/gtest.h>

using namespace joblists;

TEST(VersionText, TypeRefusalsComeInTheirOrder) {
    EXPECT_EQ(versionTypeRefusal("jpg"), "");
    EXPECT_TRUE(versionTypeRefusal("*.*").startsWith("Du behöver inte ange \"*.*\""));
    EXPECT_EQ(versionTypeRefusal(".jpg"), "Filtypen får inte innehålla punkter.");
    EXPECT_EQ(versionTypeRefusal("*.jpg"), "Filtypen får inte innehålla punkter.");
    EXPECT_EQ(versionTypeRefusal("jp*"), "Filtypen får inte innehålla stjärnor.");
}

TEST(VersionText, DefaultFolderFollowsTheBackupFolder) {
    EXPECT_EQ(defaultVersionFolder("/mnt/usb/Backup"), "/mnt/usb/Backup/versioner");
    EXPECT_EQ(defaultVersionFolder("/mnt/usb/"), "/mnt/usb/");
    EXPECT_EQ(defaultVersionFolder("/"), "/");
    EXPECT_EQ(defaultVersionFolder(""), "");
}
