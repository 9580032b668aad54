// The backup window and its result windows as a keyboard user meets them: Escape and Tab.
#include "flow_support.h"
#include "support/accessible.h"

#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "run/backup_window.h"
#include "run/leftover_window.h"
#include "run/result_dialogs.h"
#include "run/simulation_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
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

// Every stop Tab makes in the backup window, from where it opens until it is back there.
QList<QWidget*> tabStops(QWidget* window) {
    QList<QWidget*> stops;
    for (int i = 0; i < 40; ++i) {
        QWidget* f = QApplication::focusWidget();
        if (!f || f->window() != window || (!stops.isEmpty() && f == stops.first()))
            break;
        stops << f;
        QTest::keyClick(f, Qt::Key_Tab);
    }
    return stops;
}

QStringList names(const QList<QWidget*>& widgets) {
    QStringList n;
    for (const QWidget* w : widgets)
        n << w->objectName();
    return n;
}

TEST_F(RunKeyboard, TabInTheBackupWindowFollowsWhatIsShownInReadingOrder) {
    frmutförbackup* w = openBackupWindow("Jobb");
    testutil::showActive(w);
    const QList<QWidget*> stops = tabStops(w);
    for (QWidget* s : stops)
        EXPECT_TRUE(s->isVisible()) << s->objectName().toStdString();
    EXPECT_EQ(names(stops),
              QStringList({"List1", "chkbackupsimulera", "cmdmarkera1", "chksync", "cmdmarkera2",
                           "txtsammanställning", "txtloggtext", "cmdvisalogg", "Command4", "cmdkörbackup"}));
}

} // namespace
