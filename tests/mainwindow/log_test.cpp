#include "core/module1.h"
#include "logview/log_window.h"
#include "mainwindow/main_window.h"
#include "platform/icons.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

class MainWindowLog : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        m = prog().form<frmmain>();
        m->txtsyslogg->clear();
    }
    void TearDown() override {
        Module1::windowHooks() = {};
        ProgramTest::TearDown();
    }
    // The format of the character at `pos` of a text box.
    static QTextCharFormat formatAt(QTextEdit* box, int pos) {
        QTextCursor c(box->document());
        c.setPosition(pos + 1);
        return c.charFormat();
    }
    static bool redBold(QTextEdit* box, int pos) {
        const QTextCharFormat f = formatAt(box, pos);
        return f.foreground().color() == QColor(255, 0, 0) && f.fontWeight() == QFont::Bold;
    }
    void release(QWidget* w, Qt::MouseButton b) {
        QMouseEvent e(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), b, b, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    frmmain* m = nullptr;
};

TEST_F(MainWindowLog, EveryLineBeginsWithABreakTheTimeAndTwoBlanks) {
    m->appendSystemLog("Första");
    prog().clock.advance(61);
    m->appendSystemLog("Andra\r\nmed två rader");
    EXPECT_EQ(m->systemLogText(),
              "\r\n2026-01-02 03:04:05  Första\r\n2026-01-02 03:05:06  Andra\r\nmed två rader");
}

TEST_F(MainWindowLog, EachSaveAppendsOneBlockEndingInTwoEmptyLines) {
    m->appendSystemLog("Ett");
    m->spara_syslogg();
    m->appendSystemLog("Två");
    m->spara_syslogg();
    const QByteArray file = testutil::readBytes(path("programlogg.txt"));
    const QByteArray one = "\r\n2026-01-02 03:04:05  Ett";
    const QByteArray two = one + "\r\n2026-01-02 03:04:05  Två";
    EXPECT_EQ(file, one + "\r\n\r\n\r\n" + two + "\r\n\r\n\r\n");
}

TEST_F(MainWindowLog, ErrorMarkingCountsEachErrorOnce) {
    m->appendSystemLog("FEL! Ett fel uppstod. Plats: X");
    m->cmdsyslogg_fel_Click();
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Hittade 1 fel. Det är markerat med rött.");
    m->appendSystemLog("fel! gemener räknas");
    m->appendSystemLog("Ett fel uppstod när listan skulle laddas.");
    m->cmdsyslogg_fel_Click();
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Hittade 3 fel. De är markerade med rött.");
    m->txtsyslogg->clear();
    m->appendSystemLog("Allt gick bra");
    m->cmdsyslogg_fel_Click();
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Inga fel i loggen.");
}

TEST_F(MainWindowLog, MarksAreRedAndBoldAndGoneAfterTheNextLine) {
    m->appendSystemLog("Start");
    m->appendSystemLog("FEL! Borta");
    const int pos = m->txtsyslogg->toPlainText().indexOf("FEL!");
    m->cmdsyslogg_fel_Click();
    EXPECT_TRUE(redBold(m->txtsyslogg, pos));
    EXPECT_FALSE(redBold(m->txtsyslogg, pos + 5));
    m->appendSystemLog("Nästa");
    EXPECT_FALSE(redBold(m->txtsyslogg, pos));
    EXPECT_FALSE(redBold(m->txtsyslogg, m->txtsyslogg->toPlainText().size() - 2));
}

TEST_F(MainWindowLog, SavedLogMarkingLooksAtTheCharacterTwoPlacesBefore) {
    QTextEdit text;
    QLabel info;
    // At the very start, and at a line start after a line ending in "!", it counts.
    text.setPlainText("Ett fel uppstod först\nHej!\nEtt fel uppstod igen\nFEL! Ett fel uppstod inte igen");
    m->cmdsyslogg_sparad_fel_Click(&text, &info);
    EXPECT_EQ(info.text(), "Hittade 3 fel. De är markerade med rött.");
    EXPECT_TRUE(redBold(&text, 0));
    EXPECT_EQ(text.textCursor().position(), text.toPlainText().size());
}

TEST_F(MainWindowLog, SizeTextUsesBytesKilobytesAndMegabytes) {
    EXPECT_EQ(frmmain::logSizeText(999), "Öppna programloggfilen (999 Byte)");
    EXPECT_EQ(frmmain::logSizeText(1000), "Öppna programloggfilen (1000 Byte)");
    EXPECT_EQ(frmmain::logSizeText(1500), "Öppna programloggfilen (1,5 kB)");
    EXPECT_EQ(frmmain::logSizeText(999999), "Öppna programloggfilen (1000 kB)");
    EXPECT_EQ(frmmain::logSizeText(2000000), "Öppna programloggfilen (2 MB)");
    EXPECT_EQ(frmmain::logSizeText(2345678), "Öppna programloggfilen (2,3 MB)");
}

TEST_F(MainWindowLog, FileLabelsFollowTheProgramLogFile) {
    m->cmdsyslogg_loggsize_Click();
    EXPECT_EQ(m->lblsysloggsize->text(), "");
    EXPECT_EQ(m->lblsyslogg_radera->text(), "");
    // Without the file a click on the size label does nothing.
    release(m->lblsysloggsize, Qt::LeftButton);
    release(m->lblsysloggsize, Qt::RightButton);
    testutil::writeFile(path("programlogg.txt"), QByteArray(1500, 'x'));
    m->cmdsyslogg_loggsize_Click();
    EXPECT_EQ(m->lblsysloggsize->text(), "Öppna programloggfilen (1,5 kB)");
    EXPECT_EQ(m->lblsyslogg_radera->text(), "Töm programloggfilen");
}

TEST_F(MainWindowLog, EmptyingTheFileAsksFirst) {
    testutil::writeFile(path("programlogg.txt"), "gammal logg");
    dialogs().expectMessage("Detta tömmer den sparade programloggfilen:\n" + path("programlogg.txt") +
                                "\n\nVill du göra detta?",
                            platform::Answer::No);
    release(m->lblsyslogg_radera, Qt::LeftButton);
    EXPECT_EQ(testutil::readBytes(path("programlogg.txt")), "gammal logg");
    dialogs().expectMessage("Vill du göra detta?", platform::Answer::Yes);
    m->lblsyslogg_radera_Click();
    EXPECT_TRUE(QFileInfo::exists(path("programlogg.txt")));
    EXPECT_EQ(testutil::readBytes(path("programlogg.txt")), "");
}

TEST_F(MainWindowLog, TheSavedLogOpensInTheViewerOrTheDesktop) {
    testutil::writeFile(path("programlogg.txt"), "\r\n2026-01-01 00:00:00  FEL! x\r\n");
    dialogs().expectWindow("frmlog", [](QWidget* w) {
        auto* log = static_cast<frmlog*>(w);
        EXPECT_EQ(log->shownText(), "\n2026-01-01 00:00:00  FEL! x\n");
        EXPECT_EQ(log->lblsökinfo->text(), "Hittade 1 fel. Det är markerat med rött.");
        EXPECT_FALSE(log->combolog->isVisibleTo(log));
    });
    release(m->lblsysloggsize, Qt::LeftButton);
    dialogs().expectOpenUrl(path("programlogg.txt"));
    release(m->lblsysloggsize, Qt::RightButton);
}

TEST_F(MainWindowLog, ThePanelTogglesResetsColoursAndRefreshesOnlyWhileShown) {
    m->markProgramLogError();
    m->TrayIcon1->Tag = "err";
    m->TrayIcon1->setPicture(platform::icon(platform::Picture::BackupError));
    testutil::writeFile(path("programlogg.txt"), "12345");
    m->appendSystemLog("FEL! ett");
    m->show();
    m->cmdprogramlogg->click();
    EXPECT_TRUE(m->framesyslogg->isVisible());
    EXPECT_TRUE(m->timer_syslogg->isActive());
    EXPECT_EQ(m->timer_syslogg->interval(), 30000);
    EXPECT_EQ(m->framesyslogg->geometry(), m->Frame1->geometry());
    EXPECT_EQ(m->txtsyslogg->width(), m->framesyslogg->width());
    EXPECT_EQ(m->TrayIcon1->Tag, "");
    EXPECT_NE(m->lblprogramlogg->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(m->lblschemavisasyslogg->palette().color(QPalette::WindowText), QColor(0, 0, 0xC0));
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Hittade 1 fel. Det är markerat med rött.");
    EXPECT_EQ(m->lblsysloggsize->text(), "Öppna programloggfilen (5 Byte)");

    m->cmdsyslogg_dölj->click();
    EXPECT_FALSE(m->framesyslogg->isVisible());
    EXPECT_FALSE(m->timer_syslogg->isActive());
    m->appendSystemLog("FEL! två");
    m->timer_syslogg_Timer();
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Hittade 1 fel. Det är markerat med rött.");

    m->cmdprogramlogg_Click();
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Hittade 2 fel. De är markerade med rött.");
    m->appendSystemLog("FEL! tre");
    m->timer_syslogg_Timer();
    EXPECT_EQ(m->lblsyslogg_rödfel->text(), "Hittade 3 fel. De är markerade med rött.");
    m->cmdprogramlogg_Click();
    EXPECT_FALSE(m->framesyslogg->isVisible());
}

TEST_F(MainWindowLog, StatusLabelListsTheSavedLeftoverLists) {
    testutil::writeFile(path("Schemasync/b 2026-01-02.schemasync"), "x");
    testutil::writeFile(path("Schemasync/a 2026-01-01.schemasync"), "x");
    testutil::writeFile(path("Schemasync/annat.txt"), "x");
    QStringList names;
    Module1::windowHooks().schemasyncList = [&](const QStringList& n) { names = n; };
    release(m->lblstatus2, Qt::LeftButton);
    EXPECT_EQ(names, QStringList({"a 2026-01-01", "b 2026-01-02"}));
}

TEST_F(MainWindowLog, RunLogButtonUsesTheViewerAndTheRightButtonTheDesktop) {
    testutil::writeLines(path("log.txt"), {"", "Backup utförd"});
    int viewer = 0;
    Module1::windowHooks().logViewer = [&](const QString&) { ++viewer; };
    m->cmdvisalogg->show();
    m->cmdvisalogg->click();
    EXPECT_EQ(viewer, 1);
    dialogs().expectOpenUrl("log.txt");
    release(m->cmdvisalogg, Qt::RightButton);
}
