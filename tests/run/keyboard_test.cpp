// The backup window and its result windows as a keyboard user meets them: Escape and Tab.
#include "flow_support.h"
#include "support/accessible.h"

#include "platform/accessibility.h"
#include "run/backup_window.h"
#include "run/leftover_window.h"
#include "run/result_dialogs.h"
#include "run/simulation_window.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <functional>

namespace {

class RunKeyboard : public FlowTest {
  protected:
    void SetUp() override {
        FlowTest::SetUp();
        platform::installAccessibility();
        testutil::writeFile(src_ + "/a.txt", "a", old_);
        testutil::writeJob(path("Listor"), job("Jobb"));
    }
};

// Escape in each window does what its close or cancel button does.
TEST_F(RunKeyboard, EscapeDoesWhatTheCloseButtonDoes) {
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"Backup klar: OK",
         [&] {
             auto* k = prog().form<frmklarbackup>();
             testutil::showActive(k);
             testutil::pressKey(k, Qt::Key_Escape);
             EXPECT_FALSE(prog().isLoaded<frmklarbackup>());
         }},
        {"Schemalagd backup: Stäng",
         [&] {
             auto* p = prog().form<frmbackupfel>();
             p->showErrors("1");
             testutil::showActive(p);
             testutil::pressKey(p, Qt::Key_Escape);
             EXPECT_FALSE(prog().isLoaded<frmbackupfel>());
         }},
        {"the backup window without a run: Stäng, which keeps the geometry",
         [&] {
             frmutförbackup* w = openBackupWindow("Jobb");
             testutil::showActive(w);
             testutil::pressKey(w, Qt::Key_Escape);
             EXPECT_FALSE(prog().isLoaded<frmutförbackup>());
             EXPECT_TRUE(QFile::exists(path("setup_windowsize_backup.ini")));
         }},
        {"the simulation result: Stäng",
         [&] {
             auto* s = prog().form<frmsimuleradbackup>();
             s->addEntry("+ " + src_ + "/a.txt", "+ " + target("a.txt"));
             testutil::showActive(s);
             testutil::pressKey(s, Qt::Key_Escape);
             EXPECT_FALSE(prog().isLoaded<frmsimuleradbackup>());
             EXPECT_FALSE(QFile::exists(target("a.txt")));
         }},
        {"the leftover list: Stäng",
         [&] {
             auto* f = prog().form<frmsyncfilermappar>();
             f->List1->addItem(target("bort.txt"));
             testutil::showActive(f);
             testutil::pressKey(f, Qt::Key_Escape);
             EXPECT_FALSE(prog().isLoaded<frmsyncfilermappar>());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
    }
}

// Tab stops in reading order, none on a control hidden under another (the folder list under the
// summary) or on an empty file field.
TEST_F(RunKeyboard, TabInTheBackupWindowFollowsWhatIsShownInReadingOrder) {
    frmutförbackup* w = openBackupWindow("Jobb");
    testutil::showActive(w);
    QStringList stops; // from where the focus opens until it is back there
    for (QWidget* first = QApplication::focusWidget(); stops.size() < 40;) {
        QWidget* f = QApplication::focusWidget();
        if (!f || f->window() != w || (!stops.isEmpty() && f == first))
            break;
        EXPECT_TRUE(f->isVisible()) << f->objectName().toStdString();
        stops << f->objectName();
        QTest::keyClick(f, Qt::Key_Tab);
    }
    EXPECT_EQ(stops, QStringList({"List1", "chkbackupsimulera", "cmdmarkera1", "chksync", "cmdmarkera2",
                                  "txtsammanställning", "txtloggtext", "cmdvisalogg", "lblhjälp", "Command4",
                                  "cmdkörbackup"}));
}

} // namespace
