// A modal window minimised by the window manager, in the built program under a real window
// manager: it stays open with what was typed into it, goes down and comes back with the main
// window, and the program answers once it is closed.
#include "platform/processes.h"
#include "support/desktop.h"
#include "support/e2e.h"
#include "support/fixture.h"
#include "support/qt_print.h"
#include "support/xserver.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

namespace {
// Places in the windows, from their fixed layouts: the toolbar's "Nytt jobb" in the main window
// (its items 38 pixels apart), the job name field in the job editor.
constexpr int kNewJobX = 62, kNewJobY = 20, kToolbarStep = 38;
constexpr int kNameX = 250, kNameY = 75;

// The built program in a program folder of its own on a private X server with a window manager;
// killed when the object goes.
class ProgramOnDesktop {
  public:
    // Empty when it started, else why it cannot run here (the test is skipped).
    QString start(const std::function<void(const QString& folder)>& prepare = {}) {
        if (const QString missing = desktop::missingTools(); !missing.isEmpty())
            return "needs " + missing;
        x_.open({});
        if (x_.display().isEmpty() || !x_.startWindowManager())
            return x_.problem;
        const QString exe = testutil::programFolderForStart(dir_.path(), false);
        if (prepare)
            prepare(dir_.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", x_.display());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(exe, {});
        return {};
    }
    ~ProgramOnDesktop() {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
        }
    }
    QProcess p;

  private:
    TestXServer x_;
    QTemporaryDir dir_;
};

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
    ProgramOnDesktop d;
    if (const QString why = d.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QProcess& p = d.p;
    ASSERT_TRUE(p.waitForStarted(10000));

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

// A modal window opened from the main window belongs to it: minimised, it takes the main window
// down with it, and the main window brings it back.
TEST(Minimise, AMinimisedWindowGoesAndComesBackWithTheMainWindow) {
    ProgramOnDesktop d;
    const QString why = d.start([](const QString& folder) {
        // The restore wizard opens only when there is a job.
        testutil::writeJob(folder + "/Listor",
                           testutil::jobOver("Jobb", folder + "/Källa", folder + "/Backup"));
    });
    if (!why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(d.p.waitForStarted(10000));
    const QString main = desktop::findWindow("Tamrel Backup");
    ASSERT_FALSE(main.isEmpty());
    const struct {
        const char* title;
        int toolbarItem;
    } cases[] = {{"Återställ backup", 4}, {"Mappkopiering", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        QString window;
        for (int attempt = 0; attempt < 3 && window.isEmpty(); ++attempt) {
            desktop::activate(main);
            desktop::click(main, kNewJobX, kNewJobY + c.toolbarItem * kToolbarStep);
            window = desktop::findWindow(c.title, 5000);
        }
        ASSERT_FALSE(window.isEmpty());
        desktop::minimise(window);
        ASSERT_TRUE(desktop::waitGone(c.title));
        EXPECT_TRUE(desktop::waitGone("Tamrel Backup"));
        EXPECT_EQ(desktop::state(main), "Iconic");
        desktop::activate(main);
        EXPECT_EQ(desktop::findWindow(c.title), window);
        EXPECT_EQ(desktop::state(window), "Normal");
        EXPECT_TRUE(platform::closeWindowByTitle(c.title).closed);
        ASSERT_TRUE(desktop::waitGone(c.title));
    }
    EXPECT_TRUE(platform::closeWindowByTitle("Tamrel Backup").closed);
    ASSERT_TRUE(d.p.waitForFinished(20000));
    EXPECT_EQ(d.p.exitCode(), 0);
}
