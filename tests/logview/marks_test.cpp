#include "core/log_marks.h"
#include "logview/saved_logs.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <gtest/gtest.h>

using logmarks::Range;

namespace {
bool redBold(QTextDocument* doc, int pos) {
    QTextCursor c(doc);
    c.setPosition(pos + 1);
    const QTextCharFormat f = c.charFormat();
    return f.foreground().color() == QColor(255, 0, 0) && f.fontWeight() == QFont::Bold;
}
} // namespace

TEST(LogMarks, SearchHitsOverlapAndIgnoreCase) {
    struct Case {
        const char* text;
        const char* word;
        std::vector<Range> hits;
    };
    const Case cases[] = {
        {"aaa", "aa", {{0, 2}, {1, 2}}},
        {"Fel: x\nfel: y\nFEL:", "FEL:", {{0, 4}, {7, 4}, {14, 4}}},
        {"Åsa åsa", "ÅSA", {{0, 3}, {4, 3}}},
        {"inget", "x", {}},
        {"text", "", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(logmarks::findAll(QString::fromUtf8(c.text), QString::fromUtf8(c.word)), c.hits) << c.text;
}

TEST(LogMarks, FelMarksLandOnTheirCharactersInACrLfLog) {
    // A log as written: CR LF line ends. Shown, every line end is one line break, so the marks
    // must be found in the shown text, not at the file's offsets.
    const QString file = "Backup utförd\r\nFEL: kunde inte kopiera a\r\nOK b\r\nx fel: c\r\n";
    const QString shown = savedlogs::forShowing(file);
    const std::vector<Range> marks = logmarks::runLogErrors(shown);
    ASSERT_EQ(marks.size(), 2u);
    QPlainTextEdit box;
    box.setPlainText(shown);
    logmarks::markRedBold(box.document(), marks);
    const QString plain = box.document()->toPlainText();
    for (const Range& m : marks) {
        EXPECT_EQ(plain.mid(m.start, 4).toUpper(), "FEL:");
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(redBold(box.document(), int(m.start) + i));
        EXPECT_FALSE(redBold(box.document(), int(m.start) + 4)) << "only the four characters";
    }
    EXPECT_FALSE(redBold(box.document(), 0));
    logmarks::clearMarks(box.document());
    EXPECT_FALSE(redBold(box.document(), int(marks[0].start)));
}

TEST(LogMarks, SystemLogErrorsCountEachErrorOnce) {
    struct Case {
        const char* text;
        int count;
    };
    const Case cases[] = {
        {"\n2026-01-02 03:04:05  FEL! Ett fel uppstod. Plats: X", 1},
        {"\n2026-01-02 03:04:05  fel! gemener", 1},
        {"Ett fel uppstod i början", 1},
        {"!\nEtt fel uppstod efter ett utropstecken på raden före", 1},
        {"\nx  Ett fel uppstod när listan skulle laddas.\nx  FEL!Ett fel uppstod", 3},
        {"\nx  Allt gick bra", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(int(logmarks::programLogErrors(QString::fromUtf8(c.text)).size()), c.count) << c.text;
}

TEST(LogMarks, ResultTexts) {
    EXPECT_EQ(logmarks::searchResultText(0), "Hittade inga träffar.");
    EXPECT_EQ(logmarks::searchResultText(1), "Hittade 1 träff. Den är markerad med rött.");
    EXPECT_EQ(logmarks::searchResultText(10000), "Hittade 10000 träffar. De är markerade med rött.");
    EXPECT_EQ(logmarks::errorCountText(0), "Inga fel i loggen.");
    EXPECT_EQ(logmarks::errorCountText(1), "Hittade 1 fel. Det är markerat med rött.");
    EXPECT_EQ(logmarks::errorCountText(3), "Hittade 3 fel. De är markerade med rött.");
}
