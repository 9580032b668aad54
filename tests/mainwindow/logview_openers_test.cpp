// The main window and the settings window open the log viewer, the update window and the about box.
#include "editor/job_editor_window.h"
#include "editor/search_replace_window.h"
#include "foldersync/sync_window.h"
#include "logview/about_window.h"
#include "logview/log_window.h"
#include "logview/update_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/click_label.h"
#include "restore/restore_window.h"
#include "run/backup_window.h"
#include "scheduler/schedule_editor.h"
#include "support/fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

class LogviewOpeners : public ProgramTest {
  protected:
    frmmain* m() { return prog().form<frmmain>(); }
    // The about box is expected, shown with `caption` and the donation frame shown or not.
    void expectAbout(const QString& caption, bool donation) {
        dialogs().expectWindow("frmom", [=](QWidget* w) {
            auto* about = static_cast<frmom*>(w);
            EXPECT_EQ(about->windowTitle(), caption);
            EXPECT_EQ(about->Frame2->isVisibleTo(about), donation);
            about->Command1_Click();
        });
    }
    void expectVisibleCheck() {
        dialogs().expectWindow("frmuppdatera", [](QWidget* w) {
            auto* u = static_cast<frmuppdatera*>(w);
            u->Timer1->stop();
            u->cmdstäng_Click();
        });
    }
};

TEST_F(LogviewOpeners, AboutBoxFromTheCommandTheDonationLabelAndTheSettingsMenu) {
    m()->connectMenus();
    prog().schema_avstängt = 1;
    expectAbout("Om...", false);
    m()->cmdom_Click();
    EXPECT_EQ(prog().schema_avstängt, 0);
    expectAbout("Donera", true);
    m()->findChild<platform::ClickLabel*>("lbldonera2")->onClick();
    expectAbout("Om...", false);
    prog().form<frmsetup>()->mnuom->trigger();
    EXPECT_FALSE(prog().isLoaded<frmom>());
}

TEST_F(LogviewOpeners, UpdateChecksFromTheSettingsAndHiddenAtStartUp) {
    m()->connectMenus();
    expectVisibleCheck();
    prog().form<frmsetup>()->mnuuppdateranu->trigger();
    expectVisibleCheck();
    prog().form<frmsetup>()->cmdsökuppdatering->click();

    // With automatic checks on, start-up loads the window hidden and checks later.
    QStringList settings(19, " 0 ");
    settings[0] = " 1 ";
    testutil::writeLines(path("programalternativ.ini"), settings);
    testutil::writeLines(path("readme700.dat"), {"1"});
    ASSERT_TRUE(m()->load());
    frmuppdatera* u = prog().loaded<frmuppdatera>();
    ASSERT_TRUE(u);
    EXPECT_FALSE(u->isVisible());
    EXPECT_TRUE(u->Timer1->isActive());
    u->Timer1->stop();
}

TEST_F(LogviewOpeners, TheAboutBoxAndTheUpdateWindowOpenOverAMovedMainWindow) {
    m()->connectMenus();
    // Away from the screen's centre, so that centred on the screen is not centred over the window.
    m()->move(m()->screen()->availableGeometry().topLeft());
    m()->show();
    const QRect main = m()->frameGeometry();
    // The about box is narrowed from the right after it was centred at its full width.
    dialogs().expectWindow("frmom", [&](QWidget* w) {
        EXPECT_TRUE(main.contains(w->frameGeometry()));
        EXPECT_NEAR(w->frameGeometry().center().y(), main.center().y(), 2);
        static_cast<frmom*>(w)->Command1_Click();
    });
    m()->cmdom_Click();
    dialogs().expectWindow("frmuppdatera", [&](QWidget* w) {
        static_cast<frmuppdatera*>(w)->Timer1->stop();
        w->show();
        EXPECT_NEAR(w->frameGeometry().center().x(), main.center().x(), 2);
        EXPECT_NEAR(w->frameGeometry().center().y(), main.center().y(), 2);
        static_cast<frmuppdatera*>(w)->cmdstäng_Click();
    });
    prog().form<frmsetup>()->mnuuppdateranu->trigger();
    m()->hide();
}

TEST_F(LogviewOpeners, TheRunLogButtonShowsTheNewestSavedLog) {
    testutil::writeLines(path("log.txt"), {"", "Backup utförd"});
    testutil::writeLines(path("Sparade loggar/log 2026-01-01 a.txt"), {"FEL: gammal"});
    testutil::writeLines(path("Sparade loggar/log 2026-01-02 b.txt"), {"FEL: ny"});
    dialogs().expectWindow("frmlog", [](QWidget* w) {
        auto* log = static_cast<frmlog*>(w);
        log->finishLoading();
        EXPECT_EQ(log->shownText(), "FEL: ny\n");
    });
    m()->cmdvisalogg_Click();
}

// The readme and the editor's path-type help send the user to the help file: every "Hjälp" (and
// the about box's "Läs hjälpfilen") opens the one the build puts beside the program.
TEST_F(LogviewOpeners, EveryHelpLinkOpensTheHelpFileShippedBesideTheProgram) {
    const QString shipped =
        QFileInfo(QStringLiteral(TAMREL_EXECUTABLE)).dir().filePath(QStringLiteral("tamrel_backup.html"));
    ASSERT_TRUE(QFile::copy(shipped, path("tamrel_backup.html"))) << shipped.toStdString();
    testutil::JobSpec j = testutil::jobOver("Jobb", work("Källa"), work("Backup"));
    testutil::makeDir(work("Källa"));
    testutil::writeJob(path("Listor"), j);
    m()->cmdload_Click();
    const std::vector<std::pair<const char*, QWidget*>> windows = {
        {"main window", m()},
        {"settings", prog().form<frmsetup>()},
        {"job editor", prog().form<frmaddmapp>()},
        {"search and replace", prog().form<frmsökersätt>()},
        {"backup window", prog().form<frmutförbackup>()},
        {"schedule editor", prog().form<frmschema2>()},
        {"restore", prog().form<frmåterställ>()},
        {"folder copy", prog().form<frmmappsync>()},
        {"about box", prog().form<frmom>()}};
    QStringList opened;
    for (const auto& [what, w] : windows) {
        for (QLabel* l : w->findChildren<QLabel*>()) {
            if (l->text() != "Hjälp" && l->text() != "Läs hjälpfilen")
                continue;
            dialogs().expectOpenUrl(path("tamrel_backup.html"));
            const QPointF at(l->width() / 2.0, l->height() / 2.0);
            QMouseEvent press(QEvent::MouseButtonPress, at, l->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at, l->mapToGlobal(at), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(l, &press);
            QCoreApplication::sendEvent(l, &release);
            opened << QString::fromUtf8(what) + ": " + l->objectName();
        }
    }
    EXPECT_EQ(opened.size(), 10) << opened.join(", ").toStdString();
}
