#include "platform/errors.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/presence.h"
#include "platform/tray.h"
#include "support/fixture.h"

#include <QFile>
#include <cerrno>
#include <unistd.h>

using namespace platform;

TEST(Presence, TellsGoneApartFromUnreadable) {
    QTemporaryDir d;
    const QString p = d.path();
    testutil::writeFile(p + "/a.txt", "x");
    ASSERT_EQ(::symlink("saknas", QFile::encodeName(p + "/trasig").constData()), 0);
    EXPECT_EQ(presence(p + "/a.txt"), Presence::Present);
    EXPECT_EQ(presence(p + "/b.txt"), Presence::Absent);
    EXPECT_EQ(presence(p + "/a.txt/under"), Presence::Absent) << "a file on the way";
    EXPECT_EQ(presence(p + "/trasig"), Presence::Absent);
    EXPECT_EQ(presenceNoFollow(p + "/trasig"), Presence::Present);
    EXPECT_TRUE(isLink(p + "/trasig"));
    EXPECT_FALSE(isLink(p + "/a.txt"));

    injectFault(p + "/a.txt", EACCES);
    EXPECT_EQ(presence(p + "/a.txt"), Presence::Unknown);
    injectFault(p + "/a.txt", EIO);
    EXPECT_EQ(presence(p + "/a.txt"), Presence::Unknown);
    clearFaults();

    addVolumeParent(p + "/mnt");
    testutil::makeDir(p + "/mnt/usb");
    EXPECT_EQ(presence(p + "/mnt/usb/Backup/a.txt"), Presence::Unknown) << "an unplugged disk is no deletion";
    clearVolumeParents();
}

TEST(Tray, KeepsPictureTooltipAndTagWithoutANotificationArea) {
    TrayIcon tray;
    tray.setPicture(icon(Picture::BackupError));
    tray.setToolTip("Tamrel Backup - fel");
    tray.Tag = "err";
    EXPECT_FALSE(tray.inTray());
    tray.addToTray();
    EXPECT_TRUE(tray.inTray());
    EXPECT_FALSE(tray.picture().isNull());
    EXPECT_EQ(tray.toolTip(), "Tamrel Backup - fel");
    tray.setToolTip("Tamrel Backup");
    tray.addToTray(); // shown again with the new tooltip
    EXPECT_EQ(tray.toolTip(), "Tamrel Backup");
    tray.removeFromTray();
    EXPECT_FALSE(tray.inTray());
    EXPECT_EQ(tray.Tag, "err");
}
