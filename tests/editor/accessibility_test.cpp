// What an accessibility client (a screen reader) finds in the program's windows: a name on every
// control it can operate, a press action on the toolbar and on the editor's tabs, and only the
// page that is shown.
#include "support/accessible.h"
#include "support/fixture.h"

#include "core/module1.h"
#include "editor/excluded_folders.h"
#include "editor/job_editor_window.h"
#include "editor/search_replace_window.h"
#include "foldersync/sync_window.h"
#include "logview/log_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/old_backup_window.h"
#include "mainwindow/readme_window.h"
#include "mainwindow/settings_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "restore/restore_window.h"
#include "run/backup_window.h"
#include "scheduler/pause_window.h"
#include "scheduler/schedule_editor.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace {

QStringList actions(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i && i->actionInterface() ? i->actionInterface()->actionNames() : QStringList();
}

// A client's press; what it does follows once the press has been answered.
void press(QWidget* w) {
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
}

bool invisibleToClient(QWidget* w) {
    return QAccessible::queryAccessibleInterface(w)->state().invisible;
}

} // namespace

class Accessibility : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        platform::installAccessibility();
        testutil::JobSpec j = testutil::jobOver("Bilder", work("Källa"), work("Backup"));
        testutil::makeDir(work("Källa"));
        testutil::writeJob(path("Listor"), j);
        m = prog().form<frmmain>();
        m->cmdload_Click();
    }
    frmmain* m = nullptr;
};

TEST_F(Accessibility, EveryControlOfEveryWindowHasAName) {
    frmsetup* s = prog().form<frmsetup>();
    s->chkjobbarkiv->setChecked(true); // the group buttons show
    frmaddmapp* e = prog().form<frmaddmapp>();
    e->cmdbytnamn->show();
    auto* ex = new frmexmappar;
    frmreadme readme;
    const std::vector<std::pair<const char*, QWidget*>> windows = {
        {"main window", m},
        {"settings", s},
        {"editor", e},
        {"excluded folders", ex},
        {"old backups", prog().form<frmgammalbackup>()},
        {"search and replace", prog().form<frmsökersätt>()},
        {"readme", &readme}};
    for (const auto& [what, w] : windows) {
        SCOPED_TRACE(what);
        w->show();
        if (w == e) {
            // Every page in turn: the hidden ones are not checked while another is shown.
            for (int tab = 0; tab < 6; ++tab) {
                e->visa_flik(tab);
                EXPECT_EQ(testutil::unnamedControls(w), QStringList()) << "tab " << tab;
            }
        } else if (w == s) {
            for (int section = 0; section < 7; ++section) {
                s->List1->setCurrentRow(section);
                EXPECT_EQ(testutil::unnamedControls(w), QStringList()) << "section " << section;
            }
        } else {
            EXPECT_EQ(testutil::unnamedControls(w), QStringList());
        }
        w->hide();
    }
    // A field is named by the label beside it, a picture button by its tooltip.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(e->txtnamn)->text(QAccessible::Name),
              "Namn för det här jobbet");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(e->txtexmb)->text(QAccessible::Name),
              "Kopiera inte filer större än");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(e->cmdbytnamn)->text(QAccessible::Name), "Ändra namn");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(s->txtexportmapp)->text(QAccessible::Name),
              "Mapp att exportera till");
    delete ex;
}

TEST_F(Accessibility, ToolbarItemsAndTabsCanBePressedAndOnlyTheShownPageIsShowing) {
    m->show();
    auto* log = dynamic_cast<platform::PressItem*>(m->findChild<QFrame*>("picprogramlogg"));
    ASSERT_NE(log, nullptr);
    for (const char* name : {"picnytt", "picändra", "pictabort", "picutför", "picåterställ", "picsync",
                             "picschema", "picsetup", "picprogramlogg", "picom"}) {
        QWidget* item = m->findChild<QWidget*>(name);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(actions(item).contains(QAccessibleActionInterface::pressAction())) << name;
        EXPECT_EQ(QAccessible::queryAccessibleInterface(item)->role(), QAccessible::Button) << name;
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(log)->text(QAccessible::Name), "Programlogg");
    // A link label is pressable too, though it was asked about while it was being made.
    EXPECT_TRUE(
        actions(m->findChild<QLabel*>("lblhjälp")).contains(QAccessibleActionInterface::pressAction()));
    press(log);
    EXPECT_TRUE(m->framesyslogg->isVisible());
    m->hide();

    frmaddmapp* e = prog().form<frmaddmapp>();
    e->show();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(e->flik[i])->role(), QAccessible::PageTab);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(e->flik[i])->text(QAccessible::Name),
                  e->lblflik[i]->text());
    }
    press(e->flik[2]);
    EXPECT_EQ(e->selectedTab(), 2);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(invisibleToClient(e->page(i)), i != 2) << i;
    EXPECT_EQ(e->frontPage(), e->page(2));

    frmsetup* s = prog().form<frmsetup>();
    s->show();
    s->List1->setCurrentRow(3);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(invisibleToClient(s->sections()[i]), i != 3) << i;
    // The editor's help icons and help link are pressable too.
    dialogs().expectWindow("frmerror");
    press(e->help[3]);
    s->hide();
    e->hide();
}

TEST_F(Accessibility, WindowsMadeLaterAreNamedWhenShown) {
    QWidget w;
    auto* label = new QLabel("&Sökväg till mappen:", &w);
    auto* field = new QLineEdit(&w);
    auto* holder = new QWidget(&w);
    auto* elsewhere = new QLineEdit(holder); // a buddy need not lie beside its label in the tree
    auto* label2 = new QLabel("Andra fältet", &w);
    label->setBuddy(field);
    label2->setBuddy(elsewhere);
    auto* picture = new QPushButton(&w);
    picture->setToolTip("Öppna mappen");
    auto* named = new QPushButton(&w);
    named->setToolTip("Tips");
    named->setAccessibleName("Eget namn");
    w.show();
    EXPECT_EQ(field->accessibleName(), "Sökväg till mappen");
    EXPECT_EQ(elsewhere->accessibleName(), "Andra fältet");
    EXPECT_EQ(picture->accessibleName(), "Öppna mappen");
    EXPECT_EQ(named->accessibleName(), "Eget namn");
    // A tooltip that changes gives the new name when the window is shown again.
    w.hide();
    picture->setToolTip("Öppna målmappen");
    w.show();
    EXPECT_EQ(picture->accessibleName(), "Öppna målmappen");
    EXPECT_EQ(testutil::unnamedControls(&w), QStringList());
}

// A screen reader waits for the answer to its press: a toolbar item, a quick-start button or a
// link answers at once, and the window it opens (a modal one waits for its user) comes after.
TEST_F(Accessibility, APressIsAnsweredBeforeTheWindowItOpens) {
    m->show();
    const struct {
        const char* control;
        const char* window;
    } cases[] = {{"picom", "frmom"}, {"cmdsnabbsynk", "frmmappsync"}, {"lbldonera2", "frmom"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        QWidget* control = m->findChild<QWidget*>(QString::fromUtf8(c.control));
        ASSERT_NE(control, nullptr);
        bool open = false;
        dialogs().expectWindow(QString::fromUtf8(c.window), [&](QWidget*) { open = true; });
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(control);
        ASSERT_TRUE(i && i->actionInterface());
        i->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_FALSE(open) << "the press waited for the window";
        QCoreApplication::processEvents();
        EXPECT_TRUE(open);
    }
    m->hide();
}

// A menu entry answers a client's press as a toolbar item does: the window or box it opens comes
// after, from the menu the toolbar's "Alternativ" opens and from the job list's right-click menu.
TEST_F(Accessibility, AMenuEntryPressIsAnsweredBeforeTheWindowItOpens) {
    frmsetup* s = prog().form<frmsetup>();
    m->show();
    m->listinställningar->setCurrentRow(0);
    const QPoint row = m->listinställningar->visualItemRect(m->listinställningar->item(0)).center();
    const struct {
        const char* entry;
        std::function<void()> expect;
        bool rightClick;
    } cases[] = {
        {"Återställ från backup...", [&] { dialogs().expectWindow("frmåterställ"); }, false},
        {"Om Tamrel Backup...", [&] { dialogs().expectWindow("frmom"); }, false},
        {"Sök och ersätt...", [&] { dialogs().expectWindow("frmsökersätt"); }, false},
        {"Duplicera jobb...", [&] { dialogs().expectMessage("Vill du fortsätta?", platform::Answer::No); },
         false},
        {"Visa jobb som inte körts på >30 dagar", [&] { dialogs().expectMessage("30 dagar"); }, false},
        {"Duplicera jobb...", [&] { dialogs().expectMessage("Vill du fortsätta?", platform::Answer::No); },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + (c.rightClick ? " (right-click)" : ""));
        if (c.rightClick)
            m->listinställningar_MouseDown(2, row.x(), row.y());
        else
            m->cmdalternativ_Click();
        s->mnualternativ->popup(m->mapToGlobal(QPoint(10, 10))); // a scripted run opens no menu itself
        // The entry as a client finds it: below the open menu.
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(s->mnualternativ);
        QAccessibleInterface* entry = nullptr;
        for (int i = 0; menu && i < menu->childCount(); ++i)
            if (QAccessibleInterface* e = menu->child(i); e && e->text(QAccessible::Name) == c.entry)
                entry = e;
        ASSERT_TRUE(entry && entry->actionInterface());
        EXPECT_EQ(entry->role(), QAccessible::MenuItem);
        EXPECT_FALSE(entry->state().invisible);
        c.expect();
        const size_t before = dialogs().calls().size();
        entry->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(dialogs().calls().size(), before) << "the press waited for the window";
        QCoreApplication::processEvents();
        EXPECT_EQ(dialogs().calls().size(), before + 1);
        s->mnualternativ->hide();
    }
    m->hide();
}

// What another control or page covers is not showing for a screen reader: the plain "Utför!" under
// the mirror's, the schedule editor's settings under its start page, the restore wizard's pages
// but the one shown.
TEST_F(Accessibility, WhatIsCoveredIsNotShowing) {
    frmutförbackup* b = prog().form<frmutförbackup>();
    frmschema2* e = prog().form<frmschema2>();
    frmåterställ* r = prog().form<frmåterställ>();
    r->combojobb->addItem("Bilder");
    // The first item of a drop-down box's list, as a client reaches it through the box.
    auto listItem = [](QComboBox* c) {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(c)->child(0);
        return list ? list->child(0) : nullptr;
    };
    const auto widgets = [](std::initializer_list<QWidget*> ws) {
        std::vector<QAccessibleInterface*> out;
        for (QWidget* w : ws)
            out.push_back(QAccessible::queryAccessibleInterface(w));
        return out;
    };
    const struct {
        const char* what;
        QWidget* window;
        std::function<void()> cover;
        QWidget* shown;
        std::function<std::vector<QAccessibleInterface*>()> covered;
    } cases[] = {
        {"mirror's run button", b, [&] { b->chksync->setChecked(true); }, b->cmdkörbackup2,
         [&] { return widgets({b->cmdkörbackup}); }},
        {"start page", e, [&] { e->Form_Activate(); }, e->framestart,
         [&] {
             return widgets({e->List1, e->Frame3, e->cmdmarkera[0]});
         }},
        {"restore's previous page", r,
         [&] {
             r->cmdnästa->click();
             r->cmdförra->click();
         },
         r->frame[0], [&] { return std::vector<QAccessibleInterface*>{listItem(r->combojobb)}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.window->show();
        c.cover();
        QCoreApplication::processEvents();
        EXPECT_FALSE(invisibleToClient(c.shown));
        for (QAccessibleInterface* i : c.covered()) {
            ASSERT_NE(i, nullptr);
            EXPECT_TRUE(i->state().invisible) << i->text(QAccessible::Name).toStdString();
        }
        c.window->hide();
    }
}

// The rows of a list that is hidden, or lies on a hidden page or under a panel, are not showing
// for a screen reader either; shown again, the list has its rows and its size back.
TEST_F(Accessibility, RowsOfHiddenListsAreNotShowing) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    frmåterställ* r = prog().form<frmåterställ>();
    e->listexpattern->addItem("*.tmp");
    r->List1->addItem("/hem/bilder");
    // Every list of the window that is not visible, with a row a client finds showing.
    auto shownRowsOfHidden = [](QWidget* window) {
        QStringList out;
        for (QAbstractItemView* v : window->findChildren<QAbstractItemView*>()) {
            if (v->isVisible() || v->window() != window || qobject_cast<QHeaderView*>(v))
                continue;
            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(v);
            for (int i = 0; list && i < list->childCount(); ++i)
                if (QAccessibleInterface* row = list->child(i); row && !row->state().invisible)
                    out << v->objectName() + ": " + row->text(QAccessible::Name);
        }
        return out;
    };
    auto showLog = [&](bool on) {
        m->framesnabbstart->hide(); // the quick start would cover the job list as well
        if (m->framesyslogg->isVisible() != on)
            m->cmdprogramlogg_Click(); // shows or hides it
    };
    const struct {
        const char* what;
        QWidget* window;
        std::function<void()> cover, uncover;
        QListWidget* hidden; // a list that the cover hides
    } cases[] = {
        {"program-log panel", m, [&] { showLog(true); }, [&] { showLog(false); }, m->listinställningar},
        {"job editor's other pages", e, [&] { e->visa_flik(0); }, [&] { e->visa_flik(2); }, e->listexpattern},
        {"restore's first page", r, [&] { r->setComboframe(0); }, [&] { r->setComboframe(3); }, r->List1},
        {"restore's last page", r, [&] { r->setComboframe(4); }, [&] { r->setComboframe(3); }, r->List1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.window->show();
        c.uncover();
        QCoreApplication::processEvents();
        ASSERT_TRUE(c.hidden->isVisible());
        const QSize size = c.hidden->size();
        c.cover();
        QCoreApplication::processEvents();
        EXPECT_FALSE(c.hidden->isVisible());
        EXPECT_EQ(shownRowsOfHidden(c.window), QStringList());
        // Also after the window was hidden and shown again.
        c.window->hide();
        c.window->show();
        EXPECT_EQ(shownRowsOfHidden(c.window), QStringList());
        c.uncover();
        QCoreApplication::processEvents();
        EXPECT_EQ(c.hidden->size(), size);
        c.window->hide();
    }
    // The log viewer's large list, hidden while the small chooser shows.
    testutil::writeLines(path("Sparade loggar/log 2024-03-01 12.00.00 Backup.txt"), {"", "Backup utförd"});
    auto* log = new frmlog;
    log->show();
    EXPECT_FALSE(log->listlog->isVisible());
    EXPECT_EQ(shownRowsOfHidden(log), QStringList());
    log->optlista[1]->setChecked(true);
    EXPECT_TRUE(log->listlog->isVisible());
    EXPECT_GT(log->listlog->height(), 0);
    log->close();
}

// The program's own message box is an alert to a screen reader, which announces its text.
TEST_F(Accessibility, TheMessageBoxIsAnAlert) {
    dialogs().expectWindow("frmerror", [](QWidget* w) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
        EXPECT_EQ(i->role(), QAccessible::AlertMessage);
        EXPECT_EQ(i->text(QAccessible::Description), "Namnet finns redan!");
    });
    Module1::logga_meddelande(0, -1, "Namnet finns redan!", QString());
}

// What a screen reader says of a control: a value beside its caption is read as the pair, a
// progress bar tells its value, a field the user types into is named by its caption (its text is
// the value), a picker button has a name of its own, the help links and the explanation icons
// say what they are.
TEST_F(Accessibility, EachControlIsReadByWhatItIsAndHolds) {
    frmutförbackup* b = prog().form<frmutförbackup>();
    frmaddmapp* e = prog().form<frmaddmapp>();
    frmmappsync* s = prog().form<frmmappsync>();
    frmschema2* schema = prog().form<frmschema2>();
    frmåterställ* r = prog().form<frmåterställ>();
    r->combojobb->addItem("Bilder");
    frmpaus* pause = prog().form<frmpaus>();
    m->lblschema_status->setText("Väntar på nästa körning");
    m->lblschema_nästakörning->setText("Fre 05:27 [Hem]");
    m->lblschema_antalschemalagdajobb->setText("1 st");
    e->txtnamn->setEditText("Bilder");
    e->txtbackupmapp->setEditText("/mnt/usb");
    s->txtmapp1->setEditText("/hem/a");
    for (QWidget* w : std::initializer_list<QWidget*>{m, b, e, s, schema, r, pause})
        w->show();
    b->lblprocent3->resize(b->Picture2->width() * 2 / 5, b->lblprocent3->height());
    const int share = qRound(100.0 * b->lblprocent3->width() / b->Picture2->width());
    const struct {
        const char* what;
        QWidget* control;
        QString name, value;
        QAccessible::Role role;
    } cases[] = {
        {"status", m->lblschema_status, "Status", "Väntar på nästa körning", QAccessible::StaticText},
        {"next run", m->lblschema_nästakörning, "Nästa körning", "Fre 05:27 [Hem]", QAccessible::StaticText},
        {"scheduled jobs", m->lblschema_antalschemalagdajobb, "Schemalagda jobb", "1 st",
         QAccessible::StaticText},
        {"whole run's bar", b->Picture2, "Hela körningen", QString::number(share) + " %",
         QAccessible::ProgressBar},
        {"job name", e->txtnamn, "Namn för det här jobbet", "Bilder", QAccessible::ComboBox},
        {"storage", e->txtbackupmapp, "Lagringsplats: (där din backup sparas)", "/mnt/usb",
         QAccessible::ComboBox},
        {"folder 1", s->txtmapp1, "Mapp 1", "/hem/a", QAccessible::ComboBox},
        {"schedule time", schema->combotid, "Kör backup klockan", "10:00", QAccessible::ComboBox},
        // A drop-down box the user cannot type into is named by its caption too, not by its value.
        {"restore's job", r->combojobb, "Välj en backup att återställa", "Bilder", QAccessible::ComboBox},
        {"pause time", pause->Combo1, "Fortsätt om...", pause->Combo1->currentText(), QAccessible::ComboBox},
        {"restore's picker", r->cmdöppnabackupmapp, "Bläddra efter backupmappen", {}, QAccessible::Button},
        {"backup window's help", b->lblhjälp, "Hjälp", {}, QAccessible::Link},
        {"Mapp 1's picker", s->cmdhämtamapp1, "Välj Mapp 1...", {}, QAccessible::Button},
        {"Mapp 2's picker", s->cmdhämtamapp2, "Välj Mapp 2...", {}, QAccessible::Button},
        {"schedule explanation", schema->help3, "Förklaring", {}, QAccessible::Link},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(c.control);
        ASSERT_NE(i, nullptr);
        EXPECT_EQ(i->text(QAccessible::Name), c.name);
        EXPECT_EQ(i->role(), c.role);
        if (!c.value.isEmpty()) {
            EXPECT_EQ(i->text(QAccessible::Value), c.value);
        }
    }
    QAccessibleValueInterface* bar = QAccessible::queryAccessibleInterface(b->Picture2)->valueInterface();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->currentValue().toInt(), share);
    // Before any run the bars read 0, not done; the error count has a caption.
    prog().unload<frmutförbackup>();
    b = prog().form<frmutförbackup>();
    b->show();
    for (QFrame* box : {b->Picture1, b->Picture2, b->Picture3})
        EXPECT_EQ(QAccessible::queryAccessibleInterface(box)->valueInterface()->currentValue().toInt(), 0);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(b->lblantalfel)->text(QAccessible::Description),
              "Antal fel");
    // The backup window's help link is reached with Tab and pressed like the other links.
    EXPECT_TRUE(b->lblhjälp->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(actions(b->lblhjälp).contains(QAccessibleActionInterface::pressAction()));
    for (QWidget* w : std::initializer_list<QWidget*>{m, b, e, s, schema, r, pause})
        w->hide();
}
