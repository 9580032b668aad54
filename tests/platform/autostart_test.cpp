#include "platform/autostart.h"
#include "platform/textfile.h"
#include "support/fixture.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace platform;

namespace {
class AutostartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    }
    void TearDown() override {
        if (saved_.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", saved_);
    }
    QTemporaryDir dir_;
    QByteArray saved_;
};
} // namespace

TEST_F(AutostartTest, WritesAndRemovesTheDesktopFileForThisExecutable) {
    const QString file = dir_.path() + "/autostart/tamrel-backup.desktop";
    EXPECT_EQ(autostartFile(), file);
    EXPECT_FALSE(isAutostartEnabled());
    EXPECT_TRUE(setAutostart(false)) << "nothing to remove is success";

    ASSERT_TRUE(setAutostart(true));
    const QStringList lines = readLines(file);
    EXPECT_TRUE(lines.contains("[Desktop Entry]"));
    EXPECT_TRUE(lines.contains("Name=Tamrel Backup"));
    EXPECT_TRUE(lines.contains("Type=Application"));
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    EXPECT_TRUE(lines.contains("Exec=\"" + exe + "\"")) << lines.join('|').toStdString();
    EXPECT_TRUE(isAutostartEnabled());

    ASSERT_TRUE(setAutostart(false));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(isAutostartEnabled());
}

TEST_F(AutostartTest, AFileForAnotherProgramOrHiddenIsNotEnabled) {
    const QString file = dir_.path() + "/autostart/tamrel-backup.desktop";
    testutil::writeLines(file,
                         {"[Desktop Entry]", "Name=Tamrel Backup", "Exec=\"/opt/annan/tamrel-backup\""});
    EXPECT_FALSE(isAutostartEnabled());
    const QString exe = QCoreApplication::applicationFilePath();
    testutil::writeLines(file, {"[Desktop Entry]", "Exec=" + desktopExecValue(exe), "Hidden=true"});
    EXPECT_FALSE(isAutostartEnabled());
    testutil::writeLines(file, {"[Desktop Entry]", "Exec=" + desktopExecValue(exe)});
    EXPECT_TRUE(isAutostartEnabled());
}

TEST(DesktopExec, QuotingRoundTripsAwkwardPaths) {
    for (const QString& p :
         {QString("/home/anna/Program/tamrel-backup"), QString("/home/a b/x\"y$z`w\\v%u/prog"),
          QString("/opt/Tamrel Backup/tamrel-backup")}) {
        const QString v = desktopExecValue(p);
        EXPECT_TRUE(v.startsWith('"') && v.endsWith('"'));
        EXPECT_EQ(desktopExecProgram(v), p) << v.toStdString();
    }
    EXPECT_EQ(desktopExecValue("/a/100%/b"), "\"/a/100%%/b\"");
    EXPECT_EQ(desktopExecValue("/a\\b"), "\"/a\\\\\\\\b\"");
    EXPECT_EQ(desktopExecProgram("/usr/bin/prog --flag"), "/usr/bin/prog");
}
