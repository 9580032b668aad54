// A modal window minimised by the window manager, in the built program under a real window
// manager: it stays open with what was typed into it, and the program answers once it is closed.
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
// Places in the windows, from their fixed layouts: the toolbar's "Nytt jobb" in the main window,
// the job name field in the job editor.
constexpr int kNewJobX = 62, kNewJobY = 20;
constexpr int kNameX = 250, kNameY = 75;

// Each step is tried again a few times: a window just shown may not take a click yet.
bool opensEditor(const QString& main) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        desktop::click(main, kNewJobX, kNewJobY);
        if (!desktop::findWindow("Nytt jobb", 5000).isEmpty())
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

TEST(Minimise, AMinimisedJobEditorKeepsItsInputAndTheMainWindowAnswersAfterwards) {
    if (const QString missing = desktop::missingTools(); !missing.isEmpty())
        GTEST_SKIP() << "needs " << missing.toStdString();
    TestXServer x;
    x.open({});
    if (x.display().isEmpty() || !x.startWindowManager())
        GTEST_SKIP() << x.problem.toStdString();
    QTemporaryDir dir;
    const QString exe = testutil::programFolderForStart(dir.path(), false);
    ASSERT_TRUE(QFile::exists(exe));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", x.display());
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(exe, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    struct Stop {
        QProcess& p;
        ~Stop() {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished();
            }
        }
    } stop{p};

    const QString main = desktop::findWindow("Tamrel Backup");
    ASSERT_FALSE(main.isEmpty());
    desktop::activate(main);
    ASSERT_TRUE(opensEditor(main));
    const QString editor = desktop::findWindow("Nytt jobb");
    desktop::activate(editor);
    bool typed = false;
    for (int attempt = 0; attempt < 3 && !typed; ++attempt) {
        desktop::click(editor, kNameX, kNameY);
        desktop::key("ctrl+a");
        desktop::type("Semesterbilder");
        typed = nameField(editor, "Semesterbilder") == "Semesterbilder";
    }
    ASSERT_TRUE(typed);
    desktop::setClipboard("tomt");

    desktop::minimise(editor);
    ASSERT_TRUE(desktop::waitGone("Nytt jobb"));
    EXPECT_EQ(desktop::state(editor), "Iconic");
    desktop::activate(editor);
    ASSERT_EQ(desktop::findWindow("Nytt jobb"), editor);
    EXPECT_EQ(nameField(editor, "Semesterbilder"), "Semesterbilder");

    // Closed, the editor leaves the main window answering: a click opens a new editor, and the
    // close box ends the program.
    EXPECT_TRUE(platform::closeWindowByTitle("Nytt jobb").closed);
    EXPECT_TRUE(opensEditor(main));
    EXPECT_TRUE(platform::closeWindowByTitle("Nytt jobb").closed);
    EXPECT_TRUE(platform::closeWindowByTitle("Tamrel Backup").closed);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}
