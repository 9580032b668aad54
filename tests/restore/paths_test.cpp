#include "platform/paths.h"
#include "print.h"
#include "restore/restore_paths.h"
#include "run/target_folders.h"
#include "run/versioning.h"
#include "support/fixture.h"

#include <QDir>

namespace {

struct JobCase {
    const char* what;
    bool absolute;
    bool withName;
    QString main;
    QString location; // where the run puts the main folder
};

// The folder a run backs up to maps back to the folder it came from, whatever the path type.
TEST(RestoreMapping, EveryFolderTheRunBacksUpMapsBackToItsSource) {
    const QString b = QStringLiteral("/mnt/usb/Backup");
    const JobCase cases[] = {
        {"relative", false, false, "/home/anna/Bilder", "/mnt/usb/Backup/home/anna/Bilder/"},
        {"relative, name flag has no say", false, true, "/home/anna/Bilder",
         "/mnt/usb/Backup/home/anna/Bilder/"},
        {"absolute", true, false, "/home/anna/Bilder 2007", "/mnt/usb/Backup/"},
        {"absolute with the main folder's name", true, true, "/home/anna/Bilder 2007",
         "/mnt/usb/Backup/Bilder 2007/"},
        {"relative, the root", false, false, "/", "/mnt/usb/Backup/"},
        {"absolute with name, the root", true, true, "/", "/mnt/usb/Backup/"},
        {"relative, a network folder", false, false, "//server/share/dir",
         "/mnt/usb/Backup/server/share/dir/"},
        {"absolute, a network folder", true, true, "//server/share/dir", "/mnt/usb/Backup/dir/"},
    };
    for (const JobCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RestoreMapping m = RestoreMapping::forJob(b, c.main, c.absolute, c.withName);
        EXPECT_EQ(m.location(), c.location);
        const QString base = c.main == "/" ? QString() : c.main;
        for (const QString& source : {c.main, base + "/Sommar", base + "/Sommar/Dag 1/.dold"}) {
            const QString target = targetFolderFor(source, b, c.absolute, c.main, c.withName);
            EXPECT_EQ(m.originalFolder(target), platform::withTrailingSeparator(source))
                << target.toStdString();
            // The folder list writes folders below the listed one without their '/'.
            EXPECT_EQ(m.originalFolder(platform::withoutTrailingSeparator(target)),
                      platform::withTrailingSeparator(source));
        }
    }
}

TEST(RestoreMapping, AFolderOutsideTheLocationHasNoOriginal) {
    const RestoreMapping job = RestoreMapping::forJob("/b", "/home/anna", false, false);
    // A shared beginning of a name is not a folder below it.
    EXPECT_EQ(job.originalFolder("/b/home/annaX/doc"), "");
    EXPECT_EQ(job.originalFolder("/b/home"), "");
    EXPECT_EQ(job.originalFolder("/elsewhere/home/anna"), "");
    EXPECT_EQ(job.originalFolder("/b/home/anna/doc"), "/home/anna/doc/");

    const RestoreMapping manual = RestoreMapping::manual("/mnt/usb/Backup/home/anna/Dok", "/home/anna/Dok");
    EXPECT_EQ(manual.originalFolder("/mnt/usb/Backup/home/anna/Dok/Sub"), "/home/anna/Dok/Sub/");
    EXPECT_EQ(manual.originalFolder("/mnt/usb/Backup/home/anna/Dok/"), "/home/anna/Dok/");
    EXPECT_EQ(manual.originalFolder("/mnt/usb/Backup/home/anna/Dokument"), "");
    // Nothing stated, nothing restored.
    EXPECT_EQ(RestoreMapping::manual("", "/home").originalFolder("/x"), "");
    EXPECT_EQ(RestoreMapping::manual("/x", "").originalFolder("/x"), "");
    EXPECT_EQ(RestoreMapping::manual("/x", "mapp").originalFolder("/x"), "");
    EXPECT_EQ(RestoreMapping::forJob("", "/home", false, false).originalFolder("/home"), "");
}

TEST(RestoreMapping, TheManualRestoreToFolderNeedsTheFolderBelowTheBackup) {
    EXPECT_EQ(derivedRestoreTo("/mnt/usb/Backup", "/mnt/usb/Backup/home/anna/Dok"), "/home/anna/Dok");
    EXPECT_EQ(derivedRestoreTo("/mnt/usb/Backup/", "/mnt/usb/Backup/home/anna/Dok/"), "/home/anna/Dok");
    EXPECT_EQ(derivedRestoreTo("/mnt/usb/Backup", "/mnt/usb/Backup"), "/");
    // Lengths alone would cut "/other/place/x" to "/x".
    EXPECT_EQ(derivedRestoreTo("/mnt/usb/Backup", "/other/place/x/y"), "");
    EXPECT_EQ(derivedRestoreTo("/mnt/usb/Backup", "/mnt/usb/Backup2/x"), "");
    EXPECT_EQ(derivedRestoreTo("", "/x"), "");
    EXPECT_EQ(derivedRestoreTo("/x", ""), "");
}

TEST(RestoreMapping, TheRestoreDriveWarning) {
    QTemporaryDir volumes;
    platform::addVolumeParent(volumes.path());
    QDir().mkpath(volumes.path() + "/usb/data");
    QDir().mkpath(volumes.path() + "/unplugged");
    const struct {
        QString to;
        QString warning;
    } cases[] = {
        {"", "Varning:  ser inte ut att vara en giltig återställningsenhet!"},
        {"x", "Varning: x ser inte ut att vara en giltig återställningsenhet!"},
        {"C:\\Dokument", "Varning: C:\\Dokument ser inte ut att vara en giltig återställningsenhet!"},
        // No drive in its first three characters: no whole path, so no place at all.
        {"~/Dokument", "Varning: ~/Dokument ser inte ut att vara en giltig återställningsenhet!"},
        {"/home/anna", ""},
        {"//server/share", ""},
        {volumes.path() + "/usb/data", ""},
        {volumes.path() + "/unplugged/data",
         "Varning: " + volumes.path() + "/unplugged ser inte ut att vara en giltig återställningsenhet!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(restoreDriveWarning(c.to), c.warning) << c.to.toStdString();
    platform::clearVolumeParents();
}

TEST(RestoreMapping, DatedVersionCopiesAreRecognised) {
    const QString stamp = versionStamp(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)).toSecsSinceEpoch());
    for (const QString& name : {QStringLiteral("rapport.doc"), QStringLiteral("utan punkt"),
                                QStringLiteral("två.delar.tar.gz"), QStringLiteral("[klammer].txt")})
        EXPECT_TRUE(isDatedVersionCopy(versionCopyName(name, stamp))) << name.toStdString();
    for (const QString& name : {QStringLiteral("rapport.doc"), QStringLiteral("rapport[2024-05-01].doc"),
                                QStringLiteral("rapport[2024-05-01 14:03:27].doc"), QStringLiteral("[")})
        EXPECT_FALSE(isDatedVersionCopy(name)) << name.toStdString();
}

} // namespace
