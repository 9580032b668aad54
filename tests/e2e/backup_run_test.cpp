#include "support/e2e.h"
#include "support/fixture.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

class BackupRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(program_.isValid());
        ASSERT_TRUE(work_.isValid());
        src_ = work_.path() + "/Dokument";
        dst_ = work_.path() + "/Backup";
        old_ = QDateTime(QDate(2024, 3, 9), QTime(21, 5, 0));
        testutil::writeFile(src_ + "/brev.txt", "hej", old_);
        testutil::writeFile(src_ + "/bilder/sol.jpg", QByteArray(70000, 's'), old_);
        testutil::writeFile(src_ + "/bilder/skräp.tmp", "x", old_);
        testutil::makeDir(dst_);
        testutil::JobSpec j;
        j.name = "Mina dokument";
        j.mainFolders = {src_};
        j.folders = {src_, src_ + "/bilder"};
        j.backupFolder = dst_;
        j.filters[1] = "*.tmp";
        testutil::writeJob(program_.path() + "/Listor", j);
    }
    QString target(const QString& rel) const { return dst_ + src_ + '/' + rel; }
    QStringList log() const { return testutil::readLines(program_.path() + "/log.txt"); }

    QTemporaryDir program_, work_;
    QString src_, dst_;
    QDateTime old_;
};

TEST_F(BackupRun, TheJobNamedOnTheCommandLineIsBackedUpAndLogged) {
    const auto r = testutil::runProgram(program_.path(), {"Mina", "dokument"});
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString();
    EXPECT_EQ(testutil::readBytes(target("brev.txt")), QByteArray("hej"));
    EXPECT_EQ(testutil::readBytes(target("bilder/sol.jpg")).size(), 70000);
    EXPECT_EQ(testutil::mtimeOf(target("bilder/sol.jpg")), old_.toSecsSinceEpoch());
    EXPECT_FALSE(QFile::exists(target("bilder/skräp.tmp")));
    EXPECT_EQ(testutil::readBytes(src_ + "/brev.txt"), QByteArray("hej")); // the source is untouched

    QStringList l = log();
    ASSERT_GE(l.size(), 3) << r.output.toStdString();
    EXPECT_TRUE(l.at(1).startsWith("Startkommando-startad Backup utförd ")) << l.join('\n').toStdString();
    EXPECT_TRUE(l.contains("MINA DOKUMENT"));
    EXPECT_TRUE(l.contains("+ " + target("brev.txt")));
    EXPECT_TRUE(l.contains("2 kopierade filer"));
    EXPECT_EQ(l.last(), "  Backup slutfördes utan fel.");
    EXPECT_EQ(testutil::readLines(program_.path() + "/Listor/Mina dokument.007").value(1),
              "Startad med startkommando");
    EXPECT_EQ(QDir(program_.path() + "/Sparade loggar").entryList(QDir::Files).size(), 1);

    // A changed file is copied again on the next run; the unchanged one is not.
    testutil::writeFile(src_ + "/brev.txt", "hej igen", old_.addSecs(60));
    const auto r2 = testutil::runProgram(program_.path(), {"Mina dokument"});
    EXPECT_EQ(r2.exitCode, 0) << r2.output.toStdString();
    EXPECT_EQ(testutil::readBytes(target("brev.txt")), QByteArray("hej igen"));
    l = log();
    EXPECT_TRUE(l.contains("  " + target("brev.txt")));
    EXPECT_TRUE(l.contains("1 kopierad fil"));
}

TEST_F(BackupRun, ARunWithAMissingFolderEndsWithStatusOne) {
    testutil::JobSpec j;
    j.name = "Trasig";
    j.mainFolders = {src_};
    j.folders = {src_, src_ + "/finns-inte"};
    j.backupFolder = dst_;
    testutil::writeJob(program_.path() + "/Listor", j);
    const auto r = testutil::runProgram(program_.path(), {"Trasig"});
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    EXPECT_TRUE(log().contains(src_ + "/finns-inte"));
    EXPECT_EQ(log().last(), "  Backup slutfördes med fel!");
    EXPECT_TRUE(QFile::exists(target("brev.txt")));
}

} // namespace
