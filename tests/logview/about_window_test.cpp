#include "logview/about_window.h"
#include "logview/log_window.h"
#include "logview/update_check.h"
#include "logview/update_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "support/accessible.h"
#include "support/fixture.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class AboutBox : public ProgramTest {
  protected:
    // Opens the about box the way `open` does; `act` runs on it while it is shown.
    void show(const std::function<void()>& open, const std::function<void(frmom*)>& act) {
        dialogs().expectWindow("frmom", [&](QWidget* w) {
            w->show();
            w->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(w));
            act(static_cast<frmom*>(w));
        });
        open();
    }
};

TEST_F(AboutBox, ShowsTheVersionAndTheAboutContentAndItsCloseButtonUnloadsIt) {
    show(logview::openAbout, [](frmom* w) {
        EXPECT_EQ(w->lblversion->text(), "Version: 7.0.0");
        EXPECT_EQ(w->Label5->text(), QString("Datum: ") + TAMREL_RELEASE_DATE);
        EXPECT_FALSE(w->Frame2->isVisible());
        w->Command1_Click();
    });
    EXPECT_FALSE(prog().isLoaded<frmom>());
}

TEST_F(AboutBox, LinksOpenTheSitesTheHelpFileAndTheUpdateCheck) {
    const updates::Site saved = updates::site();
    updates::site().base = "https://example.org";
    show(logview::openAboutFromSettings, [&](frmom* w) {
        dialogs().expectOpenUrl("https://example.org/");
        w->lblhemsida->onClick();
        dialogs().expectOpenUrl("https://example.org/forum/viewforum.php?f=3");
        w->lblforum->onClick();
        dialogs().expectWindow("frmerror", [&](QWidget* e) {
            EXPECT_TRUE(e->findChild<QWidget*>("lblfel")
                            ->property("plainText")
                            .toString()
                            .startsWith("Kunde inte hitta filen " + path("tamrel_backup.html") + "."));
        });
        w->lblreadme->onClick();
        // The update window opens above the about box; closing it returns here.
        dialogs().expectWindow("frmuppdatera", [](QWidget* u) {
            EXPECT_EQ(static_cast<frmuppdatera*>(u)->Timer1->interval(), 1000);
            static_cast<frmuppdatera*>(u)->cmdstäng_Click();
        });
        w->lbluppdatera->onClick();
        EXPECT_TRUE(prog().isLoaded<frmom>());
        w->Command1_Click();
    });
    updates::site() = saved;
}

TEST_F(AboutBox, DonationViewCoversTheAboutContentAndEnterOrEscCloses) {
    // From the about content by its link, then closed with Escape.
    show(logview::openAbout, [](frmom* w) {
        w->lbldonera->onClick();
        EXPECT_EQ(w->windowTitle(), "Donera");
        EXPECT_TRUE(w->Frame2->isVisible());
        EXPECT_EQ(w->Frame2->pos(), QPoint(0, 0));
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_FALSE(prog().isLoaded<frmom>());

    // The next opening from the settings menu starts with the about content and its caption.
    show(logview::openAboutFromSettings, [](frmom* w) {
        EXPECT_EQ(w->windowTitle(), "Om...");
        EXPECT_FALSE(w->Frame2->isVisible());
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_FALSE(prog().isLoaded<frmom>());

    // Opened as the donation view by the main window; its own Stäng closes the whole window.
    show(logview::openDonation, [](frmom* w) {
        EXPECT_EQ(w->windowTitle(), "Donera");
        EXPECT_TRUE(w->Frame2->isVisible());
        EXPECT_EQ(w->Frame2->pos(), QPoint(0, 0));
        w->cmddonerastäng->click();
    });
    EXPECT_FALSE(prog().isLoaded<frmom>());
}

TEST_F(AboutBox, EveryWindowOfTheLogViewerUpdatesAndAboutBoxNamesItsControls) {
    platform::installAccessibility();
    frmlog* log = prog().form<frmlog>();
    log->show();
    EXPECT_EQ(testutil::unnamedControls(log), QStringList());
    log->optlista[1]->setChecked(true);
    EXPECT_EQ(testutil::unnamedControls(log), QStringList());
    log->hide();

    frmuppdatera* u = prog().form<frmuppdatera>();
    for (QWidget* w : {static_cast<QWidget*>(u->lblchangelog), static_cast<QWidget*>(u->lblhemsidan),
                       static_cast<QWidget*>(u->cmdinstallera)})
        w->show();
    u->show();
    EXPECT_EQ(testutil::unnamedControls(u), QStringList());
    u->hide();

    frmom* about = prog().form<frmom>();
    about->show();
    EXPECT_EQ(testutil::unnamedControls(about), QStringList());
    about->lbldonera_Click();
    EXPECT_EQ(testutil::unnamedControls(about), QStringList());
    about->hide();
}
