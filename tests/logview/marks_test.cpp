#include "core/log_marks.h"

#include <gtest/gtest.h>

using logmarks::Range;

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

// One and many are shown by the log window's tests; these are the rest.
TEST(LogMarks, ResultTexts) {
    EXPECT_EQ(logmarks::searchResultText(10000), "Hittade 10000 träffar. De är markerade med rött.");
    EXPECT_EQ(logmarks::errorCountText(0), "Inga fel i loggen.");
    EXPECT_EQ(logmarks::errorCountText(1), "Hittade 1 fel. Det är markerat med rött.");
}
