// The main window as a person sees and presses it: the toolbar, the log panel, the layout at the
// smallest size.
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "support/fixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <functional>

namespace {
const char* const kToolbarItems[] = {"picnytt", "picändra",  "pictabort", "picutför",       "picåterställ",
                                     "picsync", "picschema", "picsetup",  "picprogramlogg", "picom"};

// The rectangle of `w` in the coordinates of `root`.
QRect rectIn(const QWidget* w, const QWidget* root) {
    return QRect(w->mapTo(root, QPoint(0, 0)), w->size());
}
} // namespace

class WindowView : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // Before the window is made: a control's accessibility interface is made once.
        platform::installAccessibility();
        m = prog().form<frmmain>();
    }
    void addJob(const QString& name) {
        testutil::JobSpec j = testutil::jobOver(name, work("Källa"), work("Backup"));
        testutil::makeDir(work("Källa"));
        testutil::writeJob(path("Listor"), j);
        m->cmdload_Click();
    }
    // Scheduling switched on for a scheduled job: the panel covers the job view.
    void showSchedulerPanel() {
        testutil::writeScheduledJob(path("Listor"), "Schemalagt");
        m->cmdload_Click();
        m->show();
        m->chkaktiveraschema->setChecked(true);
        ASSERT_TRUE(m->frameschema->isVisible());
    }
    platform::PressItem* item(const char* name) {
        return dynamic_cast<platform::PressItem*>(m->findChild<QFrame*>(QString::fromUtf8(name)));
    }
    frmmain* m = nullptr;
};

TEST_F(WindowView, EveryToolbarItemRunsOneCommandPerPressWhicheverPartIsPressed) {
    for (const char* name : kToolbarItems) {
        SCOPED_TRACE(name);
        platform::PressItem* it = item(name);
        ASSERT_NE(it, nullptr);
        ASSERT_NE(it->picture(), nullptr);
        ASSERT_NE(it->caption(), nullptr);
        const auto command = it->onPress;
        const auto pictureCommand = it->onPicturePress;
        int commands = 0;
        it->onPress = [&] { ++commands; };
        if (pictureCommand)
            it->onPicturePress = [&] { ++commands; };
        for (QWidget* part : {static_cast<QWidget*>(it), static_cast<QWidget*>(it->picture()),
                              static_cast<QWidget*>(it->caption())})
            for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
                commands = 0;
                QTest::mousePress(part, button);
                EXPECT_EQ(commands, 1) << part->objectName().toStdString() << " button " << button;
                QTest::mouseRelease(part, button);
                EXPECT_EQ(commands, 1);
            }
        it->onPress = command;
        it->onPicturePress = pictureCommand;
    }
}

TEST_F(WindowView, APressOnAJobCommandsPictureOpensOneEditorOrAsksOnce) {
    addJob("Bilder");
    auto closeEditor = [](QWidget* w) {
        if (auto* cancel = w->findChild<QPushButton*>("cmdstäng"))
            cancel->click();
    };
    dialogs().expectWindow("frmaddmapp", closeEditor);
    QTest::mousePress(m->findChild<QWidget*>("imgnytt"), Qt::LeftButton);
    dialogs().expectWindow("frmaddmapp", closeEditor);
    QTest::mousePress(m->findChild<QWidget*>("imgändra"), Qt::LeftButton);
    dialogs().expectMessage("Bilder", platform::Answer::No);
    QTest::mousePress(m->findChild<QWidget*>("imgtabort"), Qt::LeftButton);
    // A second editor or question would have been a dialog nobody expected.
    EXPECT_EQ(dialogs().calls().size(), 3u);
    EXPECT_TRUE(QFileInfo::exists(path("Listor/Bilder.000")));
}

TEST_F(WindowView, TheLogPanelOpensWithTheStartOfItsLinesInView) {
    m->show();
    for (int i = 0; i < 40; ++i)
        m->appendSystemLog(QString("Rad %1 ").arg(i) + QString(300, QChar('x')));
    m->cmdprogramlogg_Click();
    ASSERT_TRUE(m->framesyslogg->isVisible());
    QScrollBar* across = m->txtsyslogg->horizontalScrollBar();
    ASSERT_GT(across->maximum(), 0);
    EXPECT_EQ(across->value(), across->minimum());
    // So it stays when the panel marks the errors again.
    m->appendSystemLog("FEL! Ett fel uppstod. " + QString(300, QChar('y')));
    m->timer_syslogg_Timer();
    EXPECT_EQ(across->value(), across->minimum());
    m->hide();
}

TEST_F(WindowView, AtTheSmallestSizeNothingIsCutOffOrCovered) {
    testutil::writeLines(path("setup_arkivetiketter.ini"),
                         {"Jobbgrupp 1", "Jobbgrupp 2", "Jobbgrupp 3", "Jobbgrupp 4"});
    addJob("Ett jobb med ett långt namn");
    for (QRadioButton* o : m->optarkiv)
        o->show();
    m->show();
    m->resize(1, 1); // snaps back to the smallest size
    QCoreApplication::processEvents();
    EXPECT_LE(m->width(), 720) << "no larger than the design size";
    const QRect area(QPoint(0, 0), m->Frame1->size());
    for (QRadioButton* o : m->optarkiv) {
        SCOPED_TRACE(o->text().toStdString());
        const QRect r = rectIn(o, m->Frame1);
        EXPECT_TRUE(area.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        EXPECT_GE(r.width(), o->sizeHint().width());
        // Nothing lies over a group button.
        for (QWidget* other :
             {static_cast<QWidget*>(m->lblinställningar), static_cast<QWidget*>(m->listinställningar)})
            EXPECT_FALSE(r.intersects(rectIn(other, m->Frame1)));
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_FALSE(rectIn(m->optarkiv[i], m->Frame1).intersects(rectIn(m->optarkiv[j], m->Frame1)));

    // The links under the toolbar stay clear of the status lines.
    m->framesnabbstart->hide();
    m->setLblstatus2Visible(true);
    QWidget* c = m->centralWidget();
    for (const char* name : {"lblhjälp", "lbldonera2"}) {
        const QRect link = rectIn(m->findChild<QWidget*>(QString::fromUtf8(name)), c);
        EXPECT_FALSE(link.intersects(rectIn(m->lblstatus2, c))) << name;
        EXPECT_FALSE(link.intersects(rectIn(m->lblstatus, c))) << name;
    }

    // The count labels stay readable beside the job buttons, not under them.
    QWidget* frame = m->framejobb;
    const QWidget* button = frame->findChild<QWidget*>("cmduppdateraallt");
    ASSERT_NE(button, nullptr);
    for (QLabel* count : {m->lblhuvudmappar_label, m->lblallamappar_label, m->lblexmappar_label}) {
        SCOPED_TRACE(count->text().toStdString());
        const QRect r = rectIn(count, frame);
        EXPECT_LT(r.right(), rectIn(button, frame).left());
        EXPECT_GE(r.width(), count->sizeHint().width());
        EXPECT_GE(r.left(), 0);
    }
    // The summary's words fit on a line: it breaks lines between them, not inside them (a long path
    // may still wrap).
    const int room = m->txtsammanställning_text->viewport()->width() -
                     2 * int(m->txtsammanställning_text->document()->documentMargin());
    const QFontMetrics fm = m->txtsammanställning_text->fontMetrics();
    const QString summary = m->txtsammanställning_text->toPlainText();
    ASSERT_TRUE(summary.contains("Versionshantering:"));
    for (const QString& word : summary.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
        if (!word.contains('/')) {
            EXPECT_LE(fm.horizontalAdvance(word), room) << word.toStdString();
        }
    m->hide();
}

// Where no caption stands beside a field, its tooltip tells a person and its name a screen reader;
// each job button has its own picture; the summary uses the width below the counts.
TEST_F(WindowView, TheJobViewSaysWhatEachPartIsAndTheSummaryUsesItsWidth) {
    addJob("Bilder");
    m->show();
    m->resize(720, 520);
    for (const char* name : {"txtjobbnamn", "combomappar", "listmappar", "txtsammanställning",
                             "lblhuvudmappar", "lblallamappar", "lblexmappar"}) {
        SCOPED_TRACE(name);
        QWidget* w = m->framejobb->findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->toolTip().isEmpty());
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty());
        EXPECT_TRUE(a->text(QAccessible::Name).contains(w->toolTip()) ||
                    a->text(QAccessible::Description).contains(w->toolTip()));
    }
    const QRect summary = rectIn(m->txtsammanställning_text, m->framejobb);
    EXPECT_GE(summary.right(), rectIn(m->lblexmappar_label, m->framejobb).right());
    std::vector<QImage> pictures;
    for (const char* name :
         {"cmduppdateraallt", "cmduppdatera", "cmdöppnamålmapp", "cmdåterställdenna", "cmdbackupdirekt"}) {
        SCOPED_TRACE(name);
        auto* b = m->framejobb->findChild<QPushButton*>(QString::fromUtf8(name));
        ASSERT_NE(b, nullptr);
        EXPECT_FALSE(summary.intersects(rectIn(b, m->framejobb)));
        const QImage picture = b->icon().pixmap(b->iconSize()).toImage();
        for (const QImage& other : pictures)
            EXPECT_NE(picture, other);
        pictures.push_back(picture);
    }
    m->hide();
}

TEST_F(WindowView, EveryLinkLooksLikeALinkAndActsOnTheKeyboard) {
    m->show();
    for (const char* name :
         {"lblhjälp", "lbldonera2", "lblhjälp2", "lblschemavisasyslogg", "lblvisaschemajobb",
          "lblvisabackupfönstret", "lblstatus2", "lblgammalbackup", "lblsysloggsize", "lblsyslogg_radera"}) {
        SCOPED_TRACE(name);
        auto* l = m->findChild<QLabel*>(QString::fromUtf8(name));
        ASSERT_NE(l, nullptr);
        l->ensurePolished();
        EXPECT_TRUE(l->font().underline());
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        EXPECT_TRUE(l->focusPolicy() & Qt::TabFocus);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(l)->role(), QAccessible::Link);
    }
    m->hide();
}

TEST_F(WindowView, AccessibleNamesCarryNoMarkupAndTheLogFileLinkIsNamedByWhatItSays) {
    testutil::writeFile(path("programlogg.txt"), "12345");
    addJob("Bilder");
    m->show();
    m->cmdprogramlogg_Click();
    ASSERT_EQ(m->lblsysloggsize->text(), "Öppna programloggfilen (5 Byte)");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(m->lblsysloggsize)->text(QAccessible::Name),
              m->lblsysloggsize->text());
    // A tag such as <u> or </a>; "<< Tillbaka" is a caption, no markup.
    const QRegularExpression tag("<\\s*/?\\s*[A-Za-z][^<>]*>");
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
        for (int i = 0; i < a->childCount(); ++i) {
            QAccessibleInterface* c = a->child(i);
            if (!c)
                continue;
            const QString name = c->text(QAccessible::Name);
            EXPECT_FALSE(name.contains(tag)) << name.toStdString();
            if (c->role() != QAccessible::List)
                walk(c);
        }
    };
    walk(QAccessible::queryAccessibleInterface(m));
    m->hide();
}

TEST_F(WindowView, TheSchedulerPanelIsReadWholeAndLeavesNothingOfTheJobViewInSightButTheStatusLine) {
    showSchedulerPanel();
    for (bool chooser : {false, true}) {
        m->framesnabbstart->setVisible(chooser);
        for (const QSize size : {QSize(1, 1), QSize(720, 520)}) {
            SCOPED_TRACE(
                QString("%1x%2, chooser %3").arg(size.width()).arg(size.height()).arg(chooser).toStdString());
            m->resize(size);
            QCoreApplication::processEvents();
            QWidget* c = m->centralWidget();
            const QRect panel = m->frameschema->geometry();
            // No edge of the toolbar or the chooser beside the panel.
            EXPECT_EQ(panel.left(), 0);
            EXPECT_EQ(panel.right(), c->width() - 1);
            // Nothing of the view beside the toolbar shows below the panel's edge.
            for (const char* name : {"cmdprogramlogg", "lblhjälp", "lbldonera2", "picmeny"}) {
                QWidget* w = m->findChild<QWidget*>(QString::fromUtf8(name));
                EXPECT_TRUE(!w->isVisible() || panel.contains(rectIn(w, c))) << name;
            }
            // The status line stays in view under both panels.
            const QRect status = rectIn(m->lblstatus, c);
            EXPECT_FALSE(status.intersects(panel));
            if (chooser) {
                EXPECT_FALSE(status.intersects(m->framesnabbstart->geometry()));
            }
        }
    }

    // A finished run's entry and a run's percent can be read whole.
    m->framesnabbstart->hide();
    m->resize(720, 520);
    const QString entry =
        "2026-01-02 21:30:05 Backup utförd av \"Schemalagt\". 1234 filer av 5678 kopierades. "
        "3 fel uppstod. Kontrollera loggen.";
    m->addSchedulerLogEntry(entry);
    QCoreApplication::processEvents();
    // The entry wraps within the list instead of running out of it.
    QListWidget* list = m->listschemalogg;
    const QRect shown = list->visualItemRect(list->item(0));
    EXPECT_LE(shown.right(), list->viewport()->width());
    const QFontMetrics fm = list->fontMetrics();
    const QRect needed = fm.boundingRect(QRect(0, 0, shown.width(), 10000), Qt::TextWordWrap, entry);
    EXPECT_GE(shown.height(), needed.height());

    // The percent of a run stands whole in its strip however short the bar is.
    m->setFieldVisible("lblprocent", true);
    m->setFieldText("lblprocent", "3,5%");
    m->setProgressShare(0.035);
    QCoreApplication::processEvents();
    QWidget* strip = m->findChild<QWidget*>("picprocent");
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_GE(strip->height(), m->lblprocent->fontMetrics().height());
    EXPECT_GE(strip->width(), m->lblprocent->fontMetrics().horizontalAdvance("100,0%"));
    // Before the bar has any width, a new percent shows too.
    m->setProgressShare(0);
    m->setFieldText("lblprocent", "");
    QCoreApplication::processEvents();
    const QImage empty = strip->grab().toImage();
    m->setFieldText("lblprocent", "0,1%");
    QCoreApplication::processEvents();
    EXPECT_NE(strip->grab().toImage(), empty);
    m->chkaktiveraschema->setChecked(false);
    m->hide();
}
