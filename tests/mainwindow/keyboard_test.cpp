// The main window with the keyboard: where the focus starts and where Tab takes it.
#include "mainwindow/main_window.h"
#include "mainwindow/quick_start.h"
#include "support/fixture.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class Keyboard : public ProgramTest {
  protected:
    // A start with the settings file's quick-start line as given, two jobs and a run log.
    frmmain* start(bool quickStart) {
        QStringList settings(19, " 0 ");
        settings[7] = quickStart ? " 1 " : " 0 ";
        testutil::writeLines(path("programalternativ.ini"), settings);
        testutil::writeLines(path("setup_api.ini"), {" 0 "});
        testutil::writeLines(path("readme700.dat"), {"1"});
        testutil::makeDir(work("Källa/Under"));
        for (const char* name : {"Bilder", "Dokument"})
            testutil::writeJob(path("Listor"), testutil::jobOver(name, work("Källa"), work("Backup")));
        testutil::writeLines(path("log.txt"), {"", "Backup utförd 2026-01-02  03:04:05", ""});
        testutil::writeFile(path("programlogg.txt"), "tidigare");
        frmmain* m = prog().form<frmmain>();
        EXPECT_TRUE(m->load());
        m->show();
        m->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m));
        return m;
    }
    static QWidget* focused() { return QApplication::focusWidget(); }
    // The names of the next `count` controls that Tab (or Shift+Tab) moves to.
    static QStringList tabs(int count, bool back = false) {
        QStringList names;
        for (int i = 0; i < count && focused(); ++i) {
            QTest::keyClick(focused(), Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
            names << (focused() ? focused()->objectName() : QStringLiteral("(none)"));
        }
        return names;
    }
    void TearDown() override {
        if (auto* m = prog().loaded<frmmain>())
            m->hide();
        ProgramTest::TearDown();
    }
};

TEST_F(Keyboard, TheQuickStartChooserTakesTheFocusAndTabStaysOnWhatCanBeSeen) {
    frmmain* m = start(true);
    QuickStartPanel* q = m->framesnabbstart;
    ASSERT_TRUE(q->isVisible());
    EXPECT_EQ(focused(), q->cmdsnabbnytt);
    // Round and round: the chooser's controls and the bottom strip below it, nothing it lies over.
    const QStringList stops = tabs(40);
    for (const QString& name : stops) {
        const QWidget* w = m->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_TRUE(q->isAncestorOf(w) || name == "cmdvisalogg") << name.toStdString();
    }
    EXPECT_TRUE(stops.contains("lblsnabbinställningar"));
    EXPECT_TRUE(stops.contains("cmdvisalogg"));
    // The chooser gone, the keyboard goes on in the job view.
    q->cmdsnabbmain->setFocus();
    QTest::keyClick(q->cmdsnabbmain, Qt::Key_Space);
    EXPECT_FALSE(q->isVisible());
    EXPECT_EQ(focused(), static_cast<QWidget*>(m->listinställningar));
}

TEST_F(Keyboard, TabFollowsTheReadingOrderOfWhatIsShown) {
    const QStringList toolbar = {"picnytt",        "picändra",  "pictabort", "picutför",       "picåterställ",
                                 "picsync",        "picschema", "picsetup",  "picprogramlogg", "picom",
                                 "cmdprogramlogg", "lblhjälp",  "lbldonera2"};
    const QStringList jobView = {"listinställningar",  "txtjobbnamn",      "combomappar",  "listmappar",
                                 "txtsammanställning", "cmduppdateraallt", "cmduppdatera", "cmdöppnamålmapp",
                                 "cmdåterställdenna",  "cmdbackupdirekt"};
    const QStringList logPanel = {"cmdsyslogg_dölj", "cmdsyslogg_fel", "lblsysloggsize", "lblsyslogg_radera",
                                  "txtsyslogg"};
    frmmain* m = start(false);
    EXPECT_EQ(focused(), static_cast<QWidget*>(m->listinställningar));
    struct Case {
        const char* view;
        QStringList order; // from the first toolbar item round to it again
    };
    const Case cases[] = {
        {"job view", toolbar.mid(1) + jobView + QStringList{"cmdvisalogg", "picnytt"}},
        {"log panel", toolbar.mid(1) + logPanel + QStringList{"cmdvisalogg", "picnytt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        if (QString(c.view) == "log panel")
            m->cmdprogramlogg_Click();
        m->findChild<QWidget*>("picnytt")->setFocus();
        EXPECT_EQ(tabs(int(c.order.size())), c.order);
        // Shift+Tab walks the same way back.
        QStringList back = c.order;
        std::reverse(back.begin(), back.end());
        back = back.mid(1) + QStringList{"picnytt"};
        EXPECT_EQ(tabs(int(back.size()), true), back);
    }
}
