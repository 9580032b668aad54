#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "run/result_dialogs.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
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

class ResultDialogTest : public ProgramTest {};

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

TEST_F(ResultDialogTest, TheSummaryKeepsTheRowsOfTheLogAndScrollsSideways) {
    prog().form<frmmain>();
    auto* k = prog().form<frmklarbackup>();
    const QStringList rows{"Sammanställning:",
                           "  30000 filer kopierades totalt.",
                           "",
                           "  30000 nya filer kopierades (+)  (exkl. ev. skyddade filer).",
                           "  0 ändrade filer kopierades (exkl. ev. skyddade filer).",
                           "  12 filer misslyckades, varav 3 p.g.a fel filstorlek efter kopiering."};
    k->Text1->setPlainText(rows.join('\n'));
    k->show();
    QCoreApplication::processEvents();
    const QTextDocument* doc = k->Text1->document();
    ASSERT_EQ(doc->blockCount(), rows.size());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.layout()->lineCount(), 1) << b.text().toStdString();
    EXPECT_GT(k->Text1->horizontalScrollBar()->maximum(), 0);
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
