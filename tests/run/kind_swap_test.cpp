// A backed-up file whose source became a folder of the same name, and the other way round.
#include "flow_support.h"

#include "run/versioning.h"

namespace {

class KindSwapFlow : public FlowTest {
  protected:
    // One run of the job over the source as a scan lists it now; true when it had no error.
    bool run(bool mirror = false) {
        testutil::JobSpec j = job("Jobb");
        j.versioning = versioning_;
        testutil::writeJob(path("Listor"), j);
        frmutförbackup* w = openBackupWindow("Jobb");
        w->chksync->setChecked(mirror);
        if (mirror)
            dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
        dialogs().expectWindow("frmklarbackup");
        (mirror ? w->cmdkörbackup2 : w->cmdkörbackup)->click();
        return !w->runHadErrors();
    }
    QStringList versioning_ = testutil::JobSpec().versioning;
};

TEST_F(KindSwapFlow, AFileThatBecameAFolderIsVersionedAndTheFolderBackedUpInOneRun) {
    testutil::writeFile(src_ + "/Rapport", "gammal rapport", old_);
    versioning_ = {"JA", "", "", "3", work("Versioner")};
    ASSERT_TRUE(run());

    QFile::remove(src_ + "/Rapport");
    testutil::writeFile(src_ + "/Rapport/bilder/figur.png", "figur", old_);
    EXPECT_TRUE(run()) << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(target("Rapport/bilder/figur.png")), QByteArray("figur"));
    const QString kept = versionFolderPath(work("Versioner"), src_) +
                         versionCopyName("Rapport", versionStamp(old_.toSecsSinceEpoch()));
    EXPECT_EQ(testutil::readBytes(kept), QByteArray("gammal rapport"));
}

// Without versioning the source has nothing left of the file: its old copy goes to the trash and
// is named in the run log, whatever the setting for replaced files says.
TEST_F(KindSwapFlow, WithoutVersioningTheOldCopyOfAFileThatBecameAFolderGoesToTheTrash) {
    const TestHome home(work("hem"));
    testutil::writeFile(src_ + "/Rapport", "gammal rapport", old_);
    ASSERT_TRUE(run());

    QFile::remove(src_ + "/Rapport");
    testutil::writeFile(src_ + "/Rapport/bilder/figur.png", "figur", old_);
    EXPECT_TRUE(run()) << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(target("Rapport/bilder/figur.png")), QByteArray("figur"));
    EXPECT_EQ(testutil::readBytes(home.trash("Rapport")), QByteArray("gammal rapport"));
    EXPECT_TRUE(log().contains("- Fil ersatt av mapp, flyttad till papperskorgen: " + target("Rapport")))
        << logText().toStdString();
}

// Without mirroring the backed-up folder stays (the job keeps what the source no longer has) and
// the file is reported as not copied, as before; a mirrored run replaces the folder by the file.
TEST_F(KindSwapFlow, AFolderThatBecameAFileIsKeptUntilAMirroredRunReplacesIt) {
    testutil::writeFile(src_ + "/Rapport/kapitel 1.txt", "kapitel 1", old_);
    ASSERT_TRUE(run());
    QDir(src_ + "/Rapport").removeRecursively();
    testutil::writeFile(src_ + "/Rapport", "nu en fil", old_);
    EXPECT_FALSE(run());
    EXPECT_EQ(testutil::readBytes(target("Rapport/kapitel 1.txt")), QByteArray("kapitel 1"));
    EXPECT_TRUE(run(true)) << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(target("Rapport")), QByteArray("nu en fil"));
}

} // namespace
