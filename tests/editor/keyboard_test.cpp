// The job editor and search and replace as a keyboard user meets them: Escape and Tab.
#include "support/accessible.h"
#include "support/fixture.h"

#include "editor/excluded_folders.h"
#include "editor/job_editor_window.h"
#include "editor/reporter_script.h"
#include "editor/search_replace_window.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <functional>

namespace {

// The control a focused widget belongs to (an editable combo box focuses its line edit).
QWidget* control(QWidget* w) {
    if (w && qobject_cast<QComboBox*>(w->parentWidget()))
        return w->parentWidget();
    return w;
}

} // namespace

class EditorKeyboard : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        platform::installAccessibility();
        testutil::makeDir(work("Källa/Under"));
        testutil::JobSpec j = testutil::jobOver("Bilder", work("Källa"), work("Backup"));
        j.filters[0] = "*.jpg";
        testutil::writeJob(path("Listor"), j);
        main = prog().form<frmmain>();
        main->cmdload_Click();
        main->comboinställningar->setCurrentIndex(0);
        reporter = reporter_script::probe(dialogs());
    }
    frmaddmapp* newJobEditor() {
        frmaddmapp* e = prog().form<frmaddmapp>();
        e->setCaption("Nytt jobb");
        return e;
    }
    frmmain* main = nullptr;
    reporter_script::Form reporter;
};

// Escape in each window does what its cancel or close button does, asking where that button asks.
TEST_F(EditorKeyboard, EscapeDoesWhatTheCancelOrCloseButtonDoes) {
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"job editor: Avbryt, which after a rename asks the main window to reload",
         [&] {
             frmaddmapp* e = newJobEditor();
             e->cmdbytnamn_Tag = "1";
             testutil::showActive(e);
             testutil::pressKey(e, Qt::Key_Escape);
             EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
             EXPECT_TRUE(main->chkload); // the close box would not ask
         }},
        {"job editor while a folder is added: the add's own cancel, which asks",
         [&] {
             frmaddmapp* e = newJobEditor();
             testutil::showActive(e);
             e->beginFolderAdd();
             dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
             testutil::pressKey(e, Qt::Key_Escape);
             EXPECT_EQ(e->cmdexit_Tag, "avbryt");
             EXPECT_EQ(prog().loaded<frmaddmapp>(), e);
             e->endFolderAdd();
             e->cmdstäng->click();
         }},
        {"excluded folders: Avbryt, the editor keeps its lists",
         [&] {
             frmaddmapp* e = newJobEditor();
             e->lstFoundFiles->addItems({work("Källa"), work("Källa/Under")});
             dialogs().expectWindow("frmexmappar", [&](QWidget* w) {
                 auto* d = static_cast<frmexmappar*>(w);
                 testutil::showActive(d);
                 d->List1->item(1)->setSelected(true);
                 d->cmdläggtill->click();
                 testutil::pressKey(d, Qt::Key_Escape);
                 EXPECT_FALSE(d->isVisible());
             });
             e->cmdexmappar->click();
             EXPECT_EQ(e->lstFoundFiles->count(), 2);
             EXPECT_TRUE(e->listexmappar.isEmpty());
             EXPECT_EQ(prog().loaded<frmexmappar>(), nullptr);
             e->cmdstäng->click();
         }},
        {"search and replace: Stäng",
         [&] {
             frmsökersätt* s = prog().form<frmsökersätt>();
             s->Form_Load();
             testutil::showActive(s);
             testutil::pressKey(s, Qt::Key_Escape);
             EXPECT_EQ(prog().loaded<frmsökersätt>(), nullptr);
         }},
        {"search and replace during a run: Avbryt process, which asks",
         [&] {
             QPointer<frmsökersätt> s = prog().form<frmsökersätt>();
             s->Form_Load();
             testutil::showActive(s);
             s->txtsök1->setText(work("Källa"));
             s->txtsök2->setText(work("Ny"));
             s->doEvents = [&] {
                 if (s->cmdstopp_Tag.isEmpty())
                     testutil::pressKey(s, Qt::Key_Escape);
             };
             dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
             reporter_script::expect(dialogs(), reporter, "Processen avbröts. 0 jobb ändrades.");
             s->cmdkör->click();
             ASSERT_TRUE(s);
             EXPECT_EQ(s->cmdstopp_Tag, "1");
             EXPECT_EQ(s->lastRun().files, 0); // stopped before the job's files were read
             s->cmdavbryt->click();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        main->chkload = false;
        c.act();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Tab goes through what is visible in reading order: the tab column from the top, then the shown
// page row by row, then Hjälp, OK and Avbryt; every visible control is reached once. The editor
// opens with the focus in the name field.
TEST_F(EditorKeyboard, TabFollowsTheReadingOrderAndTheFocusStartsInTheName) {
    frmaddmapp* e = newJobEditor();
    e->txtnamn->setEditText("Backup 1");
    e->chkversionshantering->setChecked(true); // the whole versioning page shows
    testutil::showActive(e);
    EXPECT_EQ(control(QApplication::focusWidget()), e->txtnamn);

    const int pageLeft = e->Frame3->x();
    for (int tab = 0; tab < 6; ++tab) {
        SCOPED_TRACE(e->lblflik[tab]->text().toStdString());
        e->visa_flik(tab);
        e->flik[0]->setFocus(Qt::TabFocusReason);
        QList<QWidget*> cycle;
        for (int i = 0; i < 100; ++i) {
            QWidget* w = control(QApplication::focusWidget());
            if (cycle.contains(w))
                break;
            cycle << w;
            testutil::pressKey(e, Qt::Key_Tab);
        }
        ASSERT_EQ(control(QApplication::focusWidget()), e->flik[0]);

        // Every visible control that takes Tab is reached.
        QSet<QWidget*> visible;
        for (QWidget* w : e->findChildren<QWidget*>())
            if (w->isVisibleTo(e) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                visible << control(w);
        EXPECT_EQ(QSet<QWidget*>(cycle.begin(), cycle.end()), visible);

        // First the tab column, top to bottom.
        ASSERT_GE(cycle.size(), 6);
        for (int k = 0; k < 6; ++k) {
            EXPECT_LT(cycle[k]->mapTo(e, QPoint()).x(), pageLeft) << k;
            if (k > 0) {
                EXPECT_GT(cycle[k]->mapTo(e, QPoint()).y(), cycle[k - 1]->mapTo(e, QPoint()).y()) << k;
            }
        }
        // Then the rest row by row, left to right within a row.
        for (int k = 7; k < cycle.size(); ++k) {
            const QPoint a = cycle[k - 1]->mapTo(e, QPoint());
            const QPoint b = cycle[k]->mapTo(e, QPoint());
            const bool sameRow = std::abs(b.y() - a.y()) <= 8;
            EXPECT_TRUE(sameRow ? b.x() > a.x() : b.y() > a.y())
                << cycle[k - 1]->objectName().toStdString() << " -> " << cycle[k]->objectName().toStdString();
        }
        EXPECT_EQ(cycle.mid(cycle.size() - 3), (QList<QWidget*>{e->lblhjälp, e->cmdok, e->cmdstäng}));
    }
    e->cmdstäng->click();

    // Editing a job: the name is fixed, and the focus starts on the rename button beside it.
    dialogs().expectWindow("frmaddmapp", [](QWidget* w) {
        auto* edit = static_cast<frmaddmapp*>(w);
        testutil::showActive(edit);
        EXPECT_FALSE(edit->txtnamn->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), edit->cmdbytnamn);
        edit->cmdstäng->click();
    });
    main->cmdändra_Click();
}
