// A modal window minimised by the window manager, in the built program under a real window
// manager: it minimises with the main window that it belongs to, comes back with it holding what
// was typed into it, and the program answers once it is closed.
#include "platform/processes.h"
#include "support/desktop.h"
#include "support/e2e.h"
#include "support/fixture.h"
#include "support/qt_print.h"
#include "support/xserver.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {
// Places in the windows, from their fixed layouts: the toolbar's items in the main window (38
// pixels apart), the job name field in the job editor.
constexpr int kToolbarX = 62;
constexpr int kNewJobY = 20, kRestoreY = 20 + 4 * 38, kSyncY = 20 + 5 * 38, kScheduleY = 20 + 6 * 38;
constexpr int kNameX = 250, kNameY = 75;

// Each step is tried again a few times: a window just shown may not take a click yet.
bool opens(const QString& main, int y, const QString& title) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        desktop::click(main, kToolbarX, y);
        if (!desktop::findWindow(title, 5000).isEmpty())
            return true;
    }
    return false;
}

// The job name field's text, copied to the clipboard.
QString nameField(const QString& editor, const QString& expected) {
    QString text;
    for (int attempt = 0; attempt < 3 && text != expected; ++attempt) {
        desktop::click(editor, kNameX, kNameY);
        desktop::key("ctrl+a");
        desktop::key("ctrl+c");
        text = desktop::clipboard(expected, 3000);
    }
    return text;
}
} // namespace

TEST(Minimise, AMinimisedModalWindowGoesAndComesBackWithTheMainWindow) {
    TestXServer x;
    if (const QString why = desktop::open(x); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir dir, work;
    testutil::makeDir(work.path() + "/Backup");
    testutil::writeJob(dir.path() + "/Listor",
                       testutil::jobOver("Jobb", work.path() + "/Källa", work.path() + "/Backup"));
    ASSERT_TRUE(QFile::exists(testutil::programFolderForStart(dir.path(), false)));
    testutil::ProgramOnDisplay program(dir.path(), x.display());
    QProcess& p = program.process;
    ASSERT_TRUE(p.waitForStarted(10000));

    const QString main = desktop::findWindow("Tamrel Backup");
    ASSERT_FALSE(main.isEmpty());
    const struct {
        const char* title;
        int y;
        bool typed; // the job editor keeps what was typed into it
    } cases[] = {{"Nytt jobb", kNewJobY, true},
                 {"Återställ backup", kRestoreY, false},
                 {"Mappkopiering", kSyncY, false},
                 {"Schemaläggning", kScheduleY, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        desktop::activate(main);
        ASSERT_TRUE(opens(main, c.y, c.title));
        const QString window = desktop::findWindow(c.title);
        desktop::activate(window);
        if (c.typed) {
            bool typed = false;
            for (int attempt = 0; attempt < 3 && !typed; ++attempt) {
                desktop::click(window, kNameX, kNameY);
                desktop::key("ctrl+a");
                desktop::type("Semesterbilder");
                typed = nameField(window, "Semesterbilder") == "Semesterbilder";
            }
            ASSERT_TRUE(typed);
            desktop::setClipboard("tomt");
        }

        // Minimised, it takes the main window with it; the main window brings it back.
        desktop::minimise(window);
        ASSERT_TRUE(desktop::waitGone(c.title));
        EXPECT_EQ(desktop::state(window), "Iconic");
        EXPECT_EQ(desktop::state(main), "Iconic");
        desktop::activate(main);
        ASSERT_EQ(desktop::findWindow(c.title), window);
        EXPECT_EQ(desktop::state(window), "Normal");
        if (c.typed) {
            EXPECT_EQ(nameField(window, "Semesterbilder"), "Semesterbilder");
        }

        // Closed, it leaves the main window answering: a click opens it again.
        EXPECT_TRUE(platform::closeWindowByTitle(c.title).closed);
        EXPECT_TRUE(opens(main, c.y, c.title));
        EXPECT_TRUE(platform::closeWindowByTitle(c.title).closed);
    }
    EXPECT_TRUE(platform::closeWindowByTitle("Tamrel Backup").closed);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}
