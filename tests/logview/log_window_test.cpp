#include "logview/log_window.h"
#include "logview/logview_test.h"
#include "platform/accessibility.h"
#include "platform/errors.h"
#include "support/accessible.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <cerrno>
#include <functional>

class LogViewer : public LogviewTest {
  protected:
    QString saved(const QString& name) const { return path("Sparade loggar/" + name); }
    void writeSaved(const QString& name, const QByteArray& text) { testutil::writeFile(saved(name), text); }
    frmlog* open() {
        frmlog* w = prog().form<frmlog>();
        w->finishLoading();
        return w;
    }
    static QStringList items(const QComboBox* c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    static QStringList items(const QListWidget* l) {
        QStringList out;
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }
    // Positions of the red and bold characters.
    static std::vector<qsizetype> marked(const frmlog* w) {
        std::vector<qsizetype> out;
        for (QTextBlock b = w->Text1->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                if (f.charFormat().foreground().color() == QColor(255, 0, 0) &&
                    f.charFormat().fontWeight() == QFont::Bold)
                    for (int i = 0; i < f.length(); ++i)
                        out.push_back(f.position() + i);
            }
        return out;
    }
    // Whether the character at `pos` is red and bold; line breaks are never marked.
    static bool redBold(const frmlog* w, qsizetype pos) {
        const std::vector<qsizetype> m = marked(w);
        return std::find(m.begin(), m.end(), pos) != m.end();
    }
};

TEST_F(LogViewer, OpensOnTheNewestSavedLogWithItsErrorMarks) {
    writeSaved("log 2026-01-02 10.00.00 Backup av A.txt", "första\r\n");
    writeSaved("log 2026-01-01 09.00.00 Backup av B.txt", "äldst\r\n");
    writeSaved("log 2026-01-03 11.00.00 Backup av C.txt",
               "Rad 1\r\nFEL: kunde inte\r\nOK\r\nx fel: liten\r\n");
    testutil::writeFile(path("log.txt"), "körloggen\r\n");
    frmlog* w = open();
    const QStringList expected = {"2026-01-01 09.00.00 Backup av B", "2026-01-02 10.00.00 Backup av A",
                                  "2026-01-03 11.00.00 Backup av C - Aktuell loggfil"};
    EXPECT_EQ(items(w->combolog), expected);
    EXPECT_EQ(items(w->listlog), expected);
    EXPECT_EQ(w->combolog->currentIndex(), 2);
    EXPECT_EQ(w->listlog->currentRow(), 2);
    const QString shown = "Rad 1\nFEL: kunde inte\nOK\nx fel: liten\n";
    EXPECT_EQ(w->Text1->toPlainText(), shown);
    const std::vector<qsizetype> expectedMarks = {6, 7, 8, 9, 27, 28, 29, 30};
    // Found in the shown text, where each CR LF is one line break, not at the file's offsets.
    EXPECT_EQ(marked(w), expectedMarks) << "the four characters of each mark only, lower case too";
    EXPECT_EQ(w->Text1->textCursor().position(), 27) << "the caret ends at the last mark";
    EXPECT_TRUE(w->combolog->isVisibleTo(w));
    EXPECT_FALSE(w->listlog->isVisibleTo(w));
}

TEST_F(LogViewer, WithoutSavedLogsTheRunLogIsShownUnmarked) {
    struct Case {
        const char* name;
        QStringList files; // in Sparade loggar; empty list with folder flag
        bool folder;
        bool runLog;
    };
    const Case cases[] = {
        {"no folder", {}, false, true},
        {"no text file", {"bild.png"}, true, true},
        {"only names too short to be saved logs", {"a.txt"}, true, true},
        {"nothing at all", {}, false, false},
    };
    for (const Case& c : cases) {
        QDir(path("Sparade loggar")).removeRecursively();
        QFile::remove(path("log.txt"));
        if (c.folder)
            testutil::makeDir(path("Sparade loggar"));
        for (const QString& f : c.files)
            writeSaved(f, "FEL: sparad\r\n");
        if (c.runLog)
            testutil::writeFile(path("log.txt"), "Backup\r\nFEL: något\r\n");
        frmlog* w = open();
        EXPECT_EQ(w->Text1->toPlainText(), c.runLog ? "Backup\nFEL: något\n" : "") << c.name;
        EXPECT_TRUE(marked(w).empty()) << c.name;
        EXPECT_FALSE(w->combolog->isVisibleTo(w)) << c.name;
        EXPECT_FALSE(w->lbllog->isVisibleTo(w)) << c.name;
        prog().unload<frmlog>();
    }
}

TEST_F(LogViewer, AStrayByteSpoilsNoOtherLine) {
    writeSaved("log 2026-01-01 a.txt", "Backup utf\xc3\xb6rd\r\nkopiera \xc3\xa5\xc3\xa4\xc3\xb6.txt\r\n"
                                       "FEL: kunde inte l\xe4sa\r\nklar\r\n");
    frmlog* w = open();
    EXPECT_EQ(w->Text1->toPlainText(), "Backup utförd\nkopiera åäö.txt\nFEL: kunde inte läsa\nklar\n");
}

TEST_F(LogViewer, ALogThatCannotBeReadIsReportedInTheBox) {
    writeSaved("log 2026-01-01 a.txt", "FEL: a\r\n");
    writeSaved("log 2026-01-02 b.txt", "FEL: b\r\n");
    writeSaved("notes.txt", "anteckning");
    frmlog* w = open();
    ASSERT_EQ(items(w->combolog).size(), 3);

    // Deleted after the window opened.
    QFile::remove(saved("log 2026-01-01 a.txt"));
    w->combolog->setCurrentIndex(0);
    EXPECT_EQ(w->Text1->toPlainText(), "Filen kunde inte hittas!\n" + saved("log 2026-01-01 a.txt"));

    // notes.txt is listed as "s" and names a saved log that does not exist.
    EXPECT_EQ(w->combolog->itemText(2), "s - Aktuell loggfil");
    w->combolog->setCurrentIndex(2);
    EXPECT_EQ(w->Text1->toPlainText(), "Filen kunde inte hittas!\n" + saved("log s.txt"));
}

TEST_F(LogViewer, ALogWhoseReadFailsIsReportedInTheBox) {
    // A saved log that can be opened but not read: the kernel answers the read with an I/O error.
    if (!QFileInfo::exists("/proc/self/mem"))
        GTEST_SKIP() << "no /proc";
    testutil::makeDir(path("Sparade loggar"));
    ASSERT_TRUE(QFile::link("/proc/self/mem", saved("log 2026-01-02 b.txt")));
    frmlog* w = open();
    EXPECT_TRUE(w->Text1->toPlainText().startsWith("Ett fel uppstod\n"))
        << w->Text1->toPlainText().toStdString();
    EXPECT_TRUE(w->combolog->isVisibleTo(w));
}

TEST_F(LogViewer, SearchMarksEveryHitAndReportsTheCount) {
    writeSaved("log 2026-01-01 a.txt", "FEL: aaa\r\nAAx\r\n");
    frmlog* w = open();
    ASSERT_FALSE(marked(w).empty());
    w->txtsök_GotFocus();
    EXPECT_EQ(w->txtsök->text(), "");

    w->txtsök->setText("aa");
    EXPECT_EQ(w->lblsökinfo->text(), "Tryck Enter för att söka efter aa");
    w->txtsök_KeyPress(13);
    EXPECT_EQ(w->lblsökinfo->text(), "Hittade 3 träffar. De är markerade med rött.");
    const std::vector<qsizetype> hits = {5, 6, 7, 9, 10};
    EXPECT_EQ(marked(w), hits) << "overlapping hits, the FEL: mark gone";
    EXPECT_EQ(w->Text1->textCursor().position(), 9) << "the caret at the last hit";

    w->txtsök->setText("aaaa");
    w->txtsök_KeyPress('a');
    EXPECT_EQ(w->lblsökinfo->text(), "Tryck Enter för att söka efter aaaa") << "only Enter searches";
    w->txtsök_KeyPress(13);
    EXPECT_EQ(w->lblsökinfo->text(), "Hittade inga träffar.");
    EXPECT_TRUE(marked(w).empty());

    w->färglägg_fel();
    EXPECT_EQ(marked(w), (std::vector<qsizetype>{0, 1, 2, 3})) << "the error marks come back on request";

    w->txtsök->setText("x");
    w->txtsök_KeyPress(13);
    EXPECT_EQ(w->lblsökinfo->text(), "Hittade 1 träff. Den är markerad med rött.");
    w->txtsök->clear();
    EXPECT_EQ(w->lblsökinfo->text(), "");
    w->txtsök_KeyPress(13);
    EXPECT_EQ(w->lblsökinfo->text(), "Hittade inga träffar.");
    EXPECT_TRUE(marked(w).empty());
}

TEST_F(LogViewer, ALongLogLoadsInStepsAndIsWholeWhenSearched) {
    QByteArray text;
    for (int i = 0; i < 80000; ++i)
        text += (i % 1000 == 999 ? "FEL: rad " : "rad ") + QByteArray::number(i) + " med lite text\r\n";
    writeSaved("log 2026-01-01 stor.txt", text);
    frmlog* w = prog().form<frmlog>();
    EXPECT_TRUE(w->loading());
    EXPECT_LT(w->Text1->document()->characterCount(), text.size() / 2) << "the first step only";
    // A search pressed while the log loads waits for it without holding the window; a second one
    // takes its place.
    w->txtsök->setText("rad 7");
    w->txtsök_KeyPress(13);
    EXPECT_TRUE(w->loading());
    EXPECT_TRUE(w->searching());
    w->txtsök->setText("FEL: rad 79999");
    w->txtsök_KeyPress(13);
    w->finishLoading();
    EXPECT_EQ(w->lblsökinfo->text(), "Hittade 1 träff. Den är markerad med rött.");
    const QString shown = w->Text1->toPlainText();
    EXPECT_EQ(shown.size(), text.size() - 80000);
    EXPECT_EQ(marked(w).size(), 14u) << "only the last search's hit";
    EXPECT_TRUE(redBold(w, shown.indexOf("FEL: rad 79999")));

    // Chosen again, the marks of every step are in place once it has loaded.
    w->combolog->setCurrentIndex(-1);
    w->combolog->setCurrentIndex(0);
    EXPECT_TRUE(w->loading());
    w->finishLoading();
    EXPECT_EQ(marked(w).size(), 80u * 4);
}

TEST_F(LogViewer, TheLargeListViewFollowsTheChoiceAndKeepsTheBoxInsideTheWindow) {
    writeSaved("log 2026-01-01 a.txt", "a\r\n");
    writeSaved("log 2026-01-02 b.txt", "b\r\n");
    frmlog* w = open();
    w->show();
    w->resize(800, 600);
    w->optlista[1]->setChecked(true);
    EXPECT_TRUE(w->listlog->isVisibleTo(w));
    EXPECT_FALSE(w->combolog->isVisibleTo(w));
    EXPECT_LE(w->Text1->geometry().bottom(), 600) << "the box ends inside the window";
    w->listlog->setCurrentRow(0);
    EXPECT_EQ(w->combolog->currentIndex(), 0);
    EXPECT_EQ(w->Text1->toPlainText(), "a\n");

    w->optlista[0]->setChecked(true);
    EXPECT_FALSE(w->listlog->isVisibleTo(w));
    EXPECT_TRUE(w->combolog->isVisibleTo(w));
    EXPECT_EQ(w->Text1->geometry().bottom() + 1, 600);
    w->resize(40, 40);
    EXPECT_GE(w->frameGeometry().width(), 2000 / 15) << "at least 2000 twips with the frame";
    EXPECT_GE(w->frameGeometry().height(), 2000 / 15);
}

// Reading, damaged files and the normal-state rule are the shared geometry code's, tested with the
// main window; here: the log window's own file, its error text, and saving on close.
TEST_F(LogViewer, GeometryFileIsAppliedAndWrittenOnClose) {
    const QString file = path("setup_windowsize_log.ini");
    testutil::writeLines(file, {" 6000 ", " 9000 "});
    frmlog* w = open();
    EXPECT_EQ(w->height(), 400);
    EXPECT_EQ(w->width(), 600);
    EXPECT_EQ(logLines(),
              QStringList{"Ett fel uppstod när loggfönstrets storlek och position skulle laddas. Plats: "
                          "open_windowsize_log. Felkod 62Inmatning efter filslut."});
    EXPECT_TRUE(prog().systemLog().errorMarked());
    w->show();
    w->resize(500, 300);
    w->move(40, 50);
    w->Command1_Click();
    EXPECT_FALSE(prog().isLoaded<frmlog>());
    const QStringList lines = testutil::readLines(file);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_GE(lines[0].trimmed().toInt(), 300 * 15) << "outer height";
    EXPECT_GE(lines[1].trimmed().toInt(), 500 * 15) << "outer width";
    EXPECT_EQ(lines[2].trimmed().toInt(), 50 * 15);
    EXPECT_EQ(lines[3].trimmed().toInt(), 40 * 15);
}

TEST_F(LogViewer, OpeningClearsTheTrayErrorAlsoForTheProgramLog) {
    m->tray = "err";
    open();
    EXPECT_EQ(m->tray, "");
    EXPECT_EQ(m->trayPictures, 1) << "the normal picture";
    prog().unload<frmlog>();

    m->tray = "err";
    const QString programLog = "\r\n2026-01-01 10:00:00  FEL! Ett fel uppstod. Plats: X\r\n"
                               "2026-01-01 10:00:01  Ett fel uppstod när listan skulle laddas.\r\n"
                               "2026-01-01 10:00:02  Allt väl\r\n";
    dialogs().expectWindow("frmlog", [&](QWidget* win) {
        auto* w = static_cast<frmlog*>(win);
        w->finishLoading();
        EXPECT_FALSE(w->lbllog->isVisibleTo(w));
        EXPECT_FALSE(w->combolog->isVisibleTo(w));
        EXPECT_FALSE(w->optlista[0]->isVisibleTo(w));
        EXPECT_FALSE(w->optlista[1]->isVisibleTo(w));
        EXPECT_EQ(w->lblsökinfo->text(), "Hittade 2 fel. De är markerade med rött.");
        const QString shown = w->Text1->toPlainText();
        EXPECT_EQ(shown, QString(programLog).replace("\r\n", "\n"));
        EXPECT_TRUE(redBold(w, shown.indexOf("FEL!")));
        EXPECT_FALSE(redBold(w, shown.indexOf("Ett fel uppstod.")));
        EXPECT_TRUE(redBold(w, shown.indexOf("Ett fel uppstod när")));
        EXPECT_EQ(w->Text1->textCursor().position(), shown.size());
    });
    logview::openProgramLog(programLog);
    EXPECT_EQ(m->tray, "");
}

TEST_F(LogViewer, TheProgramLogMarksEveryErrorItCountsWhereverItStands) {
    // Errors of the second kind before the first "FEL!" line and after it.
    const QString programLog = "\r\n2026-01-01 10:00:00  Ett fel uppstod när jobbet skulle sparas.\r\n"
                               "2026-01-01 10:00:01  FEL! Mappen finns inte!\r\n"
                               "2026-01-01 10:00:02  ett fel uppstod igen\r\n";
    dialogs().expectWindow("frmlog", [&](QWidget* win) {
        auto* w = static_cast<frmlog*>(win);
        w->finishLoading();
        EXPECT_EQ(w->lblsökinfo->text(), "Hittade 3 fel. De är markerade med rött.");
        const QString shown = w->Text1->toPlainText();
        std::vector<qsizetype> expected;
        for (const auto& [word, length] :
             {std::pair{"Ett fel uppstod när", 15}, {"FEL!", 4}, {"ett fel uppstod igen", 15}})
            for (int i = 0; i < length; ++i)
                expected.push_back(shown.indexOf(word) + i);
        EXPECT_EQ(marked(w), expected);
    });
    logview::openProgramLog(programLog);
}

// A log of long lines opens at their start, whichever opening shows it and wherever its caret is.
TEST_F(LogViewer, ALogOfLongLinesOpensAtTheLeft) {
    const QString longLine(3000, 'x');
    const QString text = "Rad 1 " + longLine + "\nSlut " + longLine + " FEL: kopierades inte " + longLine;
    writeSaved("log 2026-01-02 10.00.00 Backup av A.txt", text.toUtf8());
    testutil::writeFile(path("log.txt"), text.toUtf8());
    const struct {
        const char* what;
        std::function<void(frmlog*)> show;
    } cases[] = {
        {"saved log, caret at its last mark", [](frmlog*) {}},
        {"run log", [](frmlog* w) { w->öppna_logfil(); }},
        {"program log, caret at its end", [&](frmlog* w) { w->showProgramLog(text); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmlog* w = prog().form<frmlog>();
        w->resize(600, 400);
        w->show();
        c.show(w);
        w->finishLoading();
        QCoreApplication::processEvents();
        ASSERT_GT(w->Text1->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(w->Text1->horizontalScrollBar()->value(), 0);
        w->hide();
        prog().unload<frmlog>();
        QCoreApplication::processEvents();
    }
}

// Escape with the chooser's list open closes the list only; the next Escape closes the window.
TEST_F(LogViewer, EscapeInTheOpenChooserClosesOnlyItsList) {
    platform::installAccessibility();
    writeSaved("log 2026-01-01 a.txt", "a\r\n");
    writeSaved("log 2026-01-02 b.txt", "b\r\n");
    frmlog* w = open();
    testutil::showActive(w);
    w->combolog->setFocus();
    w->combolog->showPopup();
    QWidget* list = w->combolog->view();
    ASSERT_TRUE(list->isVisible());
    // The key goes where the desktop sends it while a list is open: to the list.
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    ASSERT_TRUE(prog().isLoaded<frmlog>());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->combolog->currentIndex(), 1);
    // Elsewhere Escape closes the window, wherever the focus is.
    testutil::expectEscapeClosesFromEveryControl({{"log viewer", [this]() -> QWidget* {
                                                       frmlog* v = open();
                                                       testutil::showActive(v);
                                                       return v;
                                                   }}});
}
