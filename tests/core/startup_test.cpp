#include "core/main_window.h"
#include "platform/files.h"
#include "support/fixture.h"

#include <QTextEdit>

class StartupTest : public ProgramTest {};

TEST_F(StartupTest, FreshFolderGetsListorAndTheStartLine) {
    prog().clock.setNow(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    dialogs().expectMessage("första gången", platform::Answer::No);
    frmmain* m = prog().form<frmmain>();
    ASSERT_TRUE(m->load());
    EXPECT_TRUE(platform::folderExists(path("Listor")));
    const QString log = m->txtsyslogg->toPlainText();
    EXPECT_TRUE(log.startsWith("2026-03-04 05:06:07  Uppstart av Tamrel Backup version 7.0.0")) << log.toStdString();
    EXPECT_TRUE(log.contains("Skapade mappen \\Listor"));
    EXPECT_EQ(m->windowTitle(), "Tamrel Backup");
}
