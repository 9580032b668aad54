// A screen reader finds a name on every control of the scheduler's windows and of the panel, and
// the keyboard closes them.
#include "platform/accessibility.h"
#include "scheduler/pause_window.h"
#include "scheduler/reminder_window.h"
#include "scheduler/saved_lists_window.h"
#include "scheduler/schedule_editor.h"
#include "scheduler_fixture.h"
#include "support/accessible.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

TEST_F(SchedulerTest, EveryControlOfTheSchedulersWindowsHasAName) {
    platform::installAccessibility();
    frmmain* m = jobs({"A", "B"});
    testutil::writeScheduledJob(group(), "C");
    m->cmdload_Click();
    frmschema2* e = prog().form<frmschema2>();
    e->fillJobList();
    e->show();
    e->Form_Activate();
    EXPECT_EQ(testutil::unnamedControls(e), QStringList()) << "start page";
    e->cmdstartställin_Click();
    EXPECT_EQ(testutil::unnamedControls(e), QStringList()) << "per job";
    e->optunikglobal[1]->setChecked(true);
    EXPECT_EQ(testutil::unnamedControls(e), QStringList()) << "common";
    e->hide();

    frmbackuppåminnelse::showReminder();
    EXPECT_EQ(testutil::unnamedControls(prog().form<frmbackuppåminnelse>()), QStringList());
    frmbackuppåminnelse::closeReminder();
    frmschemasync::visa({"2024-06-05 22.00.10"});
    EXPECT_EQ(testutil::unnamedControls(prog().form<frmschemasync>()), QStringList());
    dialogs().expectWindow("frmpaus", [](QWidget* w) {
        w->show();
        EXPECT_EQ(testutil::unnamedControls(w), QStringList());
        w->close();
    });
    frmpaus::pausa();

    m->show();
    m->chkaktiveraschema->setChecked(true);
    ASSERT_TRUE(m->chkaktiveraschema->isChecked());
    EXPECT_EQ(testutil::unnamedControls(m), QStringList()) << "waiting";
    m->frameschemapågår->raise();
    m->lblvisabackupfönstret->show();
    m->cmdschemapaus->show();
    EXPECT_EQ(testutil::unnamedControls(m), QStringList()) << "running";
    m->hide();
}

// Escape does what each window's close button does, wherever the focus is in the window.
TEST_F(SchedulerTest, EscapeClosesEachWindowAsItsCloseButtonDoes) {
    platform::installAccessibility();
    jobs({"A", "B"});
    auto editor = [this](bool settingsPage) {
        frmschema2* e = prog().form<frmschema2>();
        e->fillJobList();
        e->show();
        e->Form_Activate();
        if (settingsPage)
            e->cmdstartställin_Click();
        return static_cast<QWidget*>(e);
    };
    const testutil::WindowOpeners windows{
        {"paus",
         [this] {
             frmpaus* w = prog().form<frmpaus>();
             w->show();
             return static_cast<QWidget*>(w);
         }},
        {"påminnelse",
         [this] {
             frmbackuppåminnelse::showReminder();
             return static_cast<QWidget*>(prog().form<frmbackuppåminnelse>());
         }},
        {"sparade listor",
         [this] {
             frmschemasync::visa({"2024-06-05 22.00.10"});
             return static_cast<QWidget*>(prog().form<frmschemasync>());
         }},
        {"schemaläggning, startsida", [&] { return editor(false); }},
        {"schemaläggning, inställningar", [&] { return editor(true); }},
    };
    testutil::expectEscapeClosesFromEveryControl(windows);
}
