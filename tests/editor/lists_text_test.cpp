#include "editor/job_lists.h"

#include <gtest/gtest.h>

using namespace joblists;

TEST(ListText, EmptyPiecesAreDroppedAndTheRestKeepsItsOrder) {
    EXPECT_EQ(textToEntries("*.doc;*.xls", ";"), QStringList({"*.doc", "*.xls"}));
    EXPECT_EQ(textToEntries(";*.doc;;*.xls;", ";"), QStringList({"*.doc", "*.xls"}));
    EXPECT_TRUE(textToEntries("", ";").isEmpty());
    EXPECT_EQ(textToEntries("Temp * Cache", " * "), QStringList({"Temp", "Cache"}));
    // A lone star inside a folder filter is no separator; the blanks around it make one.
    EXPECT_EQ(textToEntries("a*b * c", " * "), QStringList({"a*b", "c"}));
    EXPECT_EQ(textToEntries("thunderbird ;; Rapport - Redigerare ;; ", " ;; "),
              QStringList({"thunderbird", "Rapport - Redigerare"}));
    // Entries containing their separator come back as two entries.
    EXPECT_EQ(textToEntries(entriesToText({"*.doc;*.xls", "*.txt"}, ";"), ";"),
              QStringList({"*.doc", "*.xls", "*.txt"}));
    EXPECT_EQ(entriesToText({}, " ;; "), "");
    EXPECT_EQ(entriesToText({"a", "b"}, " ;; "), "a ;; b");
}

TEST(ListText, SizeFieldsKeepEmptyAndReadBackTheSameNumber) {
    EXPECT_EQ(normalisedSizeText(""), "");
    EXPECT_EQ(normalisedSizeText("10 MB"), "10");
    EXPECT_EQ(normalisedSizeText("  25"), "25");
    EXPECT_EQ(normalisedSizeText("abc"), "0");
    EXPECT_EQ(normalisedSizeText("-3"), "-3");
    // A decimal value survives a second loss of focus unchanged.
    EXPECT_EQ(normalisedSizeText("1.5"), "1.5");
    EXPECT_EQ(normalisedSizeText(normalisedSizeText("1.5 MB")), "1.5");
    EXPECT_EQ(normalisedCountText(""), "0");
    EXPECT_EQ(normalisedCountText("12 st"), "12");
}

TEST(ListText, SavingRefusesZeroNegativeAndNonNumbers) {
    EXPECT_TRUE(sizeLimitAccepted(""));
    EXPECT_TRUE(sizeLimitAccepted("10"));
    EXPECT_TRUE(sizeLimitAccepted("0.5"));
    EXPECT_FALSE(sizeLimitAccepted("0"));
    EXPECT_FALSE(sizeLimitAccepted("-1"));
    EXPECT_FALSE(sizeLimitAccepted("abc"));
    EXPECT_FALSE(sizeLimitAccepted(" "));
    EXPECT_TRUE(versionCountAccepted("1"));
    EXPECT_TRUE(versionCountAccepted("1000"));
    EXPECT_FALSE(versionCountAccepted(""));
    EXPECT_FALSE(versionCountAccepted("0"));
    EXPECT_FALSE(versionCountAccepted("-10"));
}

TEST(ListText, ProgramPathsWithBlanksAreQuoted) {
    EXPECT_EQ(programEntryForPath("/opt/Mitt Program/kör"), "\"/opt/Mitt Program/kör\"");
    EXPECT_EQ(programEntryForPath("  /usr/bin/gedit "), "/usr/bin/gedit");
}

TEST(ListText, JobNamesMustBeOneVisibleFileName) {
    EXPECT_EQ(jobNameFromTyped("<Bilder>"), "«Bilder»");
    EXPECT_TRUE(isSingleFileName("Backup: bilder"));
    EXPECT_FALSE(isSingleFileName("a/b"));
    EXPECT_FALSE(isSingleFileName(".dold"));
    EXPECT_FALSE(isSingleFileName(".."));
    EXPECT_FALSE(isSingleFileName("rad\nbrytning"));
    EXPECT_FALSE(isSingleFileName(QString(300, 'x')));
}
