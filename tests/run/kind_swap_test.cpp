// A backed-up file whose source became a folder of the same name, and the other way round.
#include "flow_support.h"

#include "core/settings_window.h"
#include "run/versioning.h"

namespace {

class KindSwapFlow : public FlowTest {
  protected:
    // One run of the job as the user starts it; true when it ended without errors.
    bool run(bool mirror = false) {
        testutil::writeJob(path("Listor"), job_);
        frmutförbackup* w = openBackupWindow("Jobb");
        if (mirror) {
            w->chksync->setChecked(true);
            dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
            dialogs().expectWindow("frmklarbackup");
            w->cmdkörbackup2->click();
        } else {
            dialogs().expectWindow("frmklarbackup");
            w->cmdkörbackup->click();
        }
        return !w->runHadErrors();
    }
    // The job over the source as a scan lists it now.
    void rescan() {
        const testutil::JobSpec fresh = job("Jobb");
        job_.folders = fresh.folders;
    }
    testutil::JobSpec job_;
};

TEST_F(KindSwapFlow, AFileThatBecameAFolderIsPutAsideAndTheFolderBackedUpInOneRun) {
    const QString versions = work("Versioner");
    testutil::writeFile(src_ + "/Rapport", "gammal rapport", old_);
    testutil::writeFile(src_ + "/annat.txt", "annat", old_);
    job_ = job("Jobb");
    job_.versioning = {"JA", "", "", "3", versions};
    ASSERT_TRUE(run()) << logText().toStdString();
    ASSERT_EQ(testutil::readBytes(target("Rapport")), QByteArray("gammal rapport"));

    QFile::remove(src_ + "/Rapport");
    testutil::writeFile(src_ + "/Rapport/kapitel 1.txt", "kapitel 1", old_.addDays(1));
    testutil::writeFile(src_ + "/Rapport/bilder/figur.png", "figur", old_.addDays(1));
    rescan();
    EXPECT_TRUE(run()) << logText().toStdString();

    EXPECT_EQ(testutil::readBytes(target("Rapport/kapitel 1.txt")), QByteArray("kapitel 1"));
    EXPECT_EQ(testutil::readBytes(target("Rapport/bilder/figur.png")), QByteArray("figur"));
    const QString kept =
        versionFolderPath(versions, src_) + versionCopyName("Rapport", versionStamp(old_.toSecsSinceEpoch()));
    EXPECT_EQ(testutil::readBytes(kept), QByteArray("gammal rapport"));
    EXPECT_TRUE(log().contains("+ " + target("Rapport/kapitel 1.txt"))) << logText().toStdString();
    // Nothing is left to do.
    EXPECT_TRUE(run()) << logText().toStdString();
    EXPECT_FALSE(log().contains("+ " + target("Rapport/kapitel 1.txt")));
}

TEST_F(KindSwapFlow, WithoutVersioningTheOldFileGoesToTheTrashWhenTheSettingsSaySo) {
    // A home on the same file system keeps the trash inside the test's folder.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", work("").toUtf8());
    qputenv("XDG_DATA_HOME", work("xdg").toUtf8());
    testutil::makeDir(work("xdg"));
    testutil::writeFile(src_ + "/Rapport", "gammal rapport", old_);
    job_ = job("Jobb");
    ASSERT_TRUE(run());

    QFile::remove(src_ + "/Rapport");
    testutil::writeFile(src_ + "/Rapport/kapitel 1.txt", "kapitel 1", old_);
    rescan();
    prog().form<frmsetup>()->chkpapperskorg_ersatta->setChecked(true);
    const bool clean = run();
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", home);
    EXPECT_TRUE(clean) << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(target("Rapport/kapitel 1.txt")), QByteArray("kapitel 1"));
    EXPECT_EQ(testutil::readBytes(work("xdg/Trash/files/Rapport")), QByteArray("gammal rapport"));
}

// Without mirroring the backed-up folder stays (the job keeps what the source no longer has) and
// the file is reported as not copied; a mirrored run removes the folder and copies the file.
TEST_F(KindSwapFlow, AFolderThatBecameAFileIsKeptUntilAMirroredRunReplacesIt) {
    testutil::writeFile(src_ + "/Rapport/kapitel 1.txt", "kapitel 1", old_);
    job_ = job("Jobb");
    ASSERT_TRUE(run());
    ASSERT_TRUE(QFile::exists(target("Rapport/kapitel 1.txt")));

    QDir(src_ + "/Rapport").removeRecursively();
    testutil::writeFile(src_ + "/Rapport", "nu en fil", old_.addDays(1));
    rescan();
    EXPECT_FALSE(run());
    EXPECT_EQ(testutil::readBytes(target("Rapport/kapitel 1.txt")), QByteArray("kapitel 1"));
    EXPECT_TRUE(log().contains("Från: " + src_ + "/Rapport")) << logText().toStdString();

    EXPECT_TRUE(run(true)) << logText().toStdString();
    EXPECT_EQ(testutil::readBytes(target("Rapport")), QByteArray("nu en fil"));
}

} // namespace
