#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "run/result_dialogs.h"
#include "support/accessible.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

TEST(ResultBars, ShareWidthAndWhereTheTextGoes) {
    const ResultBar three = resultBar(3, 12, 329, "% fel", "0% fel");
    EXPECT_EQ(three.text, "25,00% fel");
    EXPECT_EQ(three.width, 82);
    EXPECT_FALSE(three.textInBar);
    const ResultBar most = resultBar(9, 12, 329, "% nya", "0% nya");
    EXPECT_TRUE(most.textInBar);
    const ResultBar over = resultBar(24, 12, 329, "% fel", "0% fel");
    EXPECT_EQ(over.text, "200,00% fel");
    EXPECT_GT(over.width, 329);
    const ResultBar none = resultBar(0, 0, 329, "% kopierade totalt", "0% kopierade totalt");
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.text, "0% kopierade totalt");
}

class ResultDialogTest : public ProgramTest {
  protected:
    // The popup after a scheduled run with 3 errors, or without errors and 12 files copied.
    frmbackupfel* showPopup(bool errors) {
        auto* p = prog().form<frmbackupfel>();
        if (errors)
            p->showErrors("3");
        else
            p->showSuccess(12, false);
        return p;
    }
};

TEST_F(ResultDialogTest, BarsOfANothingCopiedRunAreAllEmpty) {
    prog().form<frmmain>();
    auto* k = prog().form<frmklarbackup>();
    k->fillBars(ResultCounts{});
    EXPECT_EQ(k->lblfel2->text(), "0% fel");
    EXPECT_EQ(k->lblnya2->text(), "0% nya");
    EXPECT_EQ(k->lbltotalt2->text(), "0% kopierade totalt");
    EXPECT_EQ(k->lbltotalt->width(), 0);
    ResultCounts c;
    c.kopierade = 4;
    c.genomsökta = 8;
    c.nya = 1;
    k->fillBars(c);
    EXPECT_EQ(k->lblnya2->text(), "25,00% nya");
    EXPECT_EQ(k->lblnya2->x(), k->lblnya->width());
    EXPECT_EQ(k->lbltotalt->text(), "50,00% kopierade totalt");
}

TEST_F(ResultDialogTest, ProgressWindowCaptionRule) {
    prog().form<frmmain>();
    auto* p = prog().form<frmprocent>();
    EXPECT_EQ(p->windowTitle(), "Förbereder backup... - Backup pågår");
    p->setProgressText("", false);
    EXPECT_EQ(p->windowTitle(), "Förbereder backup");
    p->setProgressText("42%", true);
    EXPECT_EQ(p->windowTitle(), "!42% - Backup pågår");
    p->setProgressText("100%", false);
    EXPECT_FALSE(prog().isLoaded<frmprocent>());
}

// A run of tens of thousands of files: every row of the summary and of the result text shows
// whole, each on one line, without scrolling sideways.
TEST_F(ResultDialogTest, TheSummaryRowsOfFiveDigitCountsShowWhole) {
    prog().form<frmmain>();
    auto* k = prog().form<frmklarbackup>();
    const QStringList rows{
        "Sammanställning:",
        "  Simulerad backup.",
        "  31416 filer kopierades totalt.",
        "  92653 filer genomsöktes totalt.",
        "",
        "  28000 nya filer kopierades (+)  (exkl. ev. skyddade filer).",
        "  34160 ändrade filer kopierades (exkl. ev. skyddade filer).",
        "  10000 skyddade filer kopierades (*).",
        "  12345 filer exkluderades.",
        "  12012 filer misslyckades, varav 10003 p.g.a fel filstorlek efter kopiering.",
        "  98765,43 MB kopierat.",
        "",
        "Spegling (simulerad):",
        "  12345 mappar kan raderas, 67890 filer.",
        "  23456 enstaka filer kan raderas.",
        "  Totalt 91346 filer kan raderas.",
        "  54321,09 MB kan raderas.",
        "  Notera: Det finns jobb som inte speglats.",
        "",
        "  Totalt 12012 fel.",
        "  Backupkörningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!"};
    k->Text1->setPlainText(rows.join('\n'));
    k->lblinfo->setText(
        "Simulerad Backup avbröts.\n31416 filer kopierade. 12012 fel.\nVissa mappar kunde inte "
        "kopieras, eftersom de inte existerar.");
    k->show();
    QCoreApplication::processEvents();
    const QTextDocument* doc = k->Text1->document();
    ASSERT_EQ(doc->blockCount(), rows.size());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.layout()->lineCount(), 1) << b.text().toStdString();
    EXPECT_EQ(k->Text1->horizontalScrollBar()->maximum(), 0);
    // The result text has the height of its lines, and the window stays on the screen.
    EXPECT_GE(k->lblinfo->height(), k->lblinfo->heightForWidth(k->lblinfo->width()));
    EXPECT_TRUE(k->screen()->availableGeometry().contains(k->frameGeometry())) << k->frameGeometry().width();
    EXPECT_GE(k->Text1->y(), k->Picture1->geometry().bottom());
    EXPECT_GE(k->Command1->y(), k->Text1->geometry().bottom());
    EXPECT_TRUE(k->rect().contains(k->Command1->geometry()));
}

TEST_F(ResultDialogTest, TheScheduledRunsPopupOpensOverTheMainWindow) {
    frmmain* m = prog().form<frmmain>();
    m->show();
    m->setGeometry(60, 50, 600, 420);
    QCoreApplication::processEvents();
    for (const bool errors : {true, false}) {
        frmbackupfel* p = showPopup(errors);
        EXPECT_NEAR(p->frameGeometry().center().x(), m->frameGeometry().center().x(), 2) << errors;
        EXPECT_NEAR(p->frameGeometry().center().y(), m->frameGeometry().center().y(), 2) << errors;
        p->Command2->click();
    }
}

// A screen reader reads what the popup shows: the texts of the other outcome are hidden, not covered.
TEST_F(ResultDialogTest, TheScheduledRunsPopupExposesOnlyTheTextsOfItsOutcome) {
    prog().form<frmmain>();
    for (const bool errors : {true, false}) {
        frmbackupfel* p = showPopup(errors);
        EXPECT_EQ(
            testutil::shownTexts(p),
            errors ? QStringList({"Tamrel Backup", "Schemalagd backup slutfördes med fel.", "Antal fel: 3"})
                   : QStringList({"Tamrel Backup", "Schemalagd backup slutfördes utan fel.",
                                  "Antal kopierade filer: 12"}));
        p->Command2->click();
    }
}

TEST_F(ResultDialogTest, EnterAndSpaceCloseTheDialogAsOkDoes) {
    platform::installAccessibility();
    prog().form<frmmain>();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        auto* k = prog().form<frmklarbackup>();
        k->show();
        k->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(k));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus && focus->window() == k);
        QTest::keyClick(focus, key);
        EXPECT_FALSE(prog().isLoaded<frmklarbackup>()) << "key " << key;
    }
}
