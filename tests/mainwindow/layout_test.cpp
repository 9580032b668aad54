#include "core/window_geometry.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "platform/icons.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

class Layout : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        m = prog().form<frmmain>();
    }
    QString geometryFile() const { return path("setup_windowsize_main.ini"); }
    frmmain* m = nullptr;
};

TEST_F(Layout, GeometryIsWrittenInTwipsWithThePrintForm) {
    m->show();
    m->setGeometry(40, 60, 600, 480);
    m->spara_windowsize_main();
    const QRect f = m->frameGeometry();
    EXPECT_EQ(testutil::readLines(geometryFile()),
              QStringList({QString(" %1 ").arg(f.height() * 15), QString(" %1 ").arg(f.width() * 15),
                           QString(" %1 ").arg(f.top() * 15), QString(" %1 ").arg(f.left() * 15)}));
    EXPECT_TRUE(testutil::readBytes(geometryFile()).endsWith(" \r\n"));
}

TEST_F(Layout, SavedGeometryComesBackAtTheNextStart) {
    testutil::writeLines(geometryFile(), {" 7500 ", "10500", " 1500", "  750  "});
    m->open_windowsize_main();
    EXPECT_EQ(m->frameGeometry().height(), 500);
    EXPECT_EQ(m->frameGeometry().width(), 700);
    EXPECT_EQ(m->frameGeometry().top(), 100);
    EXPECT_EQ(m->frameGeometry().left(), 50);
    EXPECT_FALSE(m->systemLogText().contains("Ett fel"));
}

TEST_F(Layout, ADamagedFileKeepsWhatWasReadAndLogsTheError) {
    m->move(10, 20);
    testutil::writeLines(geometryFile(), {"7500", "10500", "hoppsan", "750"});
    m->open_windowsize_main();
    EXPECT_EQ(m->height(), 500);
    EXPECT_EQ(m->width(), 700);
    EXPECT_EQ(m->pos(), QPoint(10, 20));
    EXPECT_TRUE(m->systemLogText().endsWith("  Ett fel uppstod när huvudfönstrets storlek och position "
                                            "skulle laddas. Plats: open_windowsize_main. "
                                            "Felkod 13Typerna matchar inte."));
    EXPECT_EQ(m->lblprogramlogg->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // A file that ends early stops at the missing line.
    testutil::writeLines(geometryFile(), {"8000"});
    m->open_windowsize_main();
    EXPECT_EQ(m->height(), 533);
    EXPECT_TRUE(m->systemLogText().endsWith("Felkod 62Inmatning efter filslut."));
}

TEST_F(Layout, WithoutAFileTheWindowIsCentredAtItsDesignSize) {
    m->open_windowsize_main();
    const QRect screen = m->screen()->geometry();
    EXPECT_EQ(m->size(), QSize(720, 520));
    EXPECT_EQ(m->x(), (screen.width() - 720) / 2);
    EXPECT_EQ(m->y(), (screen.height() - 520) / 2);
}

TEST_F(Layout, OnlyAVisibleNormalWindowIsSaved) {
    m->spara_windowsize_main();
    EXPECT_FALSE(QFileInfo::exists(geometryFile()));
    m->showMaximized();
    m->spara_windowsize_main();
    EXPECT_FALSE(QFileInfo::exists(geometryFile()));
    m->showMinimized();
    m->spara_windowsize_main();
    EXPECT_FALSE(QFileInfo::exists(geometryFile()));
    m->showNormal();
    m->spara_windowsize_main();
    EXPECT_TRUE(QFileInfo::exists(geometryFile()));
}

TEST_F(Layout, TheTimerSavesOnlyAfterAResize) {
    m->show();
    m->Timerfönstersize_Tag.clear();
    m->Timerfönstersize_Timer();
    EXPECT_FALSE(QFileInfo::exists(geometryFile()));
    m->resize(700, 500);
    EXPECT_EQ(m->Timerfönstersize_Tag, "1");
    m->Timerfönstersize_Timer();
    EXPECT_EQ(m->Timerfönstersize_Tag, "");
    EXPECT_EQ(testutil::readLines(geometryFile()).value(1).trimmed(),
              QString::number(m->frameGeometry().width() * 15));
    EXPECT_EQ(m->width(), 700);
}

TEST_F(Layout, TheWindowKeepsItsMinimumSizeAndItsFramesFollow) {
    m->show();
    m->resize(300, 200);
    // At least 7100 twips, more when the system's font needs it for the job's details.
    EXPECT_EQ(m->width(), m->minimumWidth());
    EXPECT_GE(m->width(), 7100 / 15);
    EXPECT_LE(m->width(), 720);
    EXPECT_EQ(m->height(), m->picmeny->height() + 1380 / 15);
    m->resize(900, 640);
    QWidget* c = m->centralWidget();
    EXPECT_EQ(m->Frame1->x(), 2040 / 15);
    EXPECT_EQ(m->Frame1->width(), c->width() - 2115 / 15);
    EXPECT_EQ(m->Frame1->height(), c->height() - 760 / 15);
    EXPECT_EQ(m->listinställningar->width(), m->Frame1->width() / 3);
    // The job frame ends 40 twips above the main area's bottom.
    const QPoint jobBottom = m->framejobb->mapTo(m, QPoint(0, m->framejobb->height()));
    const QPoint mainBottom = m->Frame1->mapTo(m, QPoint(0, m->Frame1->height()));
    EXPECT_EQ(mainBottom.y() - jobBottom.y(), 40 / 15);
    EXPECT_EQ(m->lblstatus2->y(), m->lblstatus->y() - 240 / 15);
}

// The bottom strip's two notices and the last-run line, over the quick-start panel and over the
// job view, at the design size and at the smallest: each inside the window, read whole, and on
// top where a click lands.
TEST_F(Layout, TheNoticesAndTheLastRunLineReadWholeAndTakeTheirOwnClicks) {
    testutil::JobSpec j;
    j.name = "Gammal";
    j.backupFolder = work("Backup");
    testutil::writeJob(path("Listor"), j);
    testutil::writeLines(path("Listor/Gammal.007"), {"2020-01-01 10:00", "Manuell"});
    testutil::writeFile(path("Schemasync/2024-06-04 22.00.05.schemasync"), "x");
    testutil::writeLines(path("log.txt"),
                         {"", "Schemalagd Simulerad Backup utförd 2024-06-04  22:00:05", ""});
    m->cmdload_Click();
    m->show();
    m->varna_gammal_backup();
    m->setLblstatus2Visible(true);
    m->visa_senaste_backup();
    QWidget* c = m->centralWidget();
    for (const bool quickStart : {true, false})
        for (const QSize size : {QSize(720, 520), QSize(1, 1)}) {
            m->framesnabbstart->setVisible(quickStart);
            m->resize(size);
            QCoreApplication::processEvents();
            for (QLabel* l : {m->lblgammalbackup, m->lblstatus2, m->Label6}) {
                SCOPED_TRACE(testing::Message() << l->objectName().toStdString() << " quick start "
                                                << quickStart << " width " << m->width());
                ASSERT_TRUE(l->isVisible());
                const QRect r(l->mapTo(c, QPoint(0, 0)), l->size());
                EXPECT_TRUE(c->rect().contains(r)) << r.x() << "," << r.y() << " " << r.width();
                if (l->wordWrap()) {
                    EXPECT_GE(r.height(), l->heightForWidth(r.width()));
                } else {
                    EXPECT_GE(r.width(), l->sizeHint().width());
                }
                EXPECT_EQ(c->childAt(r.center()), l);
                for (QObject* o : c->children()) {
                    auto* other = qobject_cast<QWidget*>(o);
                    if (other && other != l && other->isVisible()) {
                        EXPECT_FALSE(other->geometry().intersects(r)) << other->objectName().toStdString();
                    }
                }
            }
        }
    m->hide();
}

TEST_F(Layout, MinimisingWithTheSchedulerOnNeverLosesTheWindowWithoutATray) {
    testutil::writeScheduledJob(path("Listor"), "Schemalagt");
    m->cmdload_Click();
    m->show();
    m->chkaktiveraschema->setChecked(true);
    m->showMinimized();
    if (platform::TrayIcon::available())
        EXPECT_FALSE(m->isVisible());
    else
        EXPECT_TRUE(m->isVisible());
    m->TrayIcon1_MouseDown();
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(m->windowState() & Qt::WindowMinimized);
}

TEST_F(Layout, TrayClickClearsTheErrorMarkAndPrefersTheBackupWindow) {
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->showMinimized();
    m->TrayIcon1->Tag = "err";
    m->TrayIcon1->setPicture(platform::icon(platform::Picture::BackupError));
    m->TrayIcon1_MouseDown();
    EXPECT_EQ(m->TrayIcon1->Tag, "");
    EXPECT_TRUE(b->isVisible());
    EXPECT_FALSE(b->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(m->isVisible());
    b->hide();
    m->TrayIcon1_MouseDown();
    EXPECT_TRUE(m->isVisible());
}

TEST_F(Layout, LockingDisablesCommandsAndMovesTheGroupButtonsAway) {
    auto* cmdny = new QPushButton("Nytt", m->picmeny);
    cmdny->setObjectName("cmdny");
    m->knappar_lås();
    EXPECT_FALSE(m->picmeny->isEnabled());
    EXPECT_FALSE(m->Frame1->isEnabled());
    EXPECT_FALSE(cmdny->isEnabled());
    for (QRadioButton* o : m->optarkiv)
        EXPECT_EQ(o->y(), -500 / 15);
    m->knappar_låsupp();
    EXPECT_TRUE(m->picmeny->isEnabled());
    EXPECT_TRUE(m->Frame1->isEnabled());
    EXPECT_TRUE(cmdny->isEnabled());
    for (QRadioButton* o : m->optarkiv)
        EXPECT_EQ(o->y(), 0);
}

TEST_F(Layout, OtherWindowsShareTheGeometryFile) {
    QWidget w;
    w.setGeometry(30, 45, 400, 300);
    w.show();
    const QString file = geometry::geometryFile("backup");
    EXPECT_EQ(file, path("setup_windowsize_backup.ini"));
    EXPECT_TRUE(geometry::saveWindow(file, &w));
    QWidget other;
    geometry::applyGeometry(file, &other);
    EXPECT_EQ(other.frameGeometry(), w.frameGeometry());
    try {
        geometry::applyGeometry(path("setup_windowsize_log.ini"), &other);
        FAIL() << "a missing file must be an error";
    } catch (const platform::RunError& e) {
        EXPECT_EQ(e.number, 53);
    }
}
