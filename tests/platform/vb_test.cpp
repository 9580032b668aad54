#include "platform/vb.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace platform;

TEST(Val, ReadsTheNumberATextBeginsWithLikeTheRunTime) {
    EXPECT_EQ(Val("  12abc"), 12);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("1.5"), 1.5);
    EXPECT_EQ(Val("1,5"), 1) << "the comma is no decimal sign for Val";
    EXPECT_EQ(Val("-3 kr"), -3);
    EXPECT_EQ(Val("1 2 3"), 123) << "blanks inside the number are skipped";
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("1e3"), 1000);
    EXPECT_EQ(Val("2E"), 2) << "an exponent without digits is ignored";
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val("&HFFFF"), -1) << "short hex numbers are 16-bit";
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("--1"), 0);
    EXPECT_EQ(Val("12:30"), 12);
    EXPECT_EQ(Val("٣"), 0) << "only ASCII digits count";
}

TEST(Val, WholeNumberHelpersTruncateOrRoundHalvesToEven) {
    EXPECT_EQ(valInt("7,9"), 7);
    EXPECT_EQ(valInt("-7.9"), -7);
    EXPECT_EQ(valInt("99999999999"), 2147483647);
    EXPECT_EQ(valRound("2.5"), 2);
    EXPECT_EQ(valRound("3.5"), 4);
    EXPECT_EQ(valRound("x"), 0);
}

class FormatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    }
    void TearDown() override { QLocale::setDefault(saved_); }
    QLocale saved_;
};

TEST_F(FormatTest, DecimalPatternsUseTheLocaleDecimalSign) {
    EXPECT_EQ(Format(1234.5, "0.00"), "1234,50");
    EXPECT_EQ(Format(0, "0.00"), "0,00");
    EXPECT_EQ(Format(0.004, "0.00"), "0,00");
    EXPECT_EQ(Format(0.005, "0.00"), "0,01") << "halves round away from zero";
    EXPECT_EQ(Format(2.675, "0.00"), "2,68") << "rounded on the decimal value, not the binary one";
    EXPECT_EQ(Format(0.125, "0.00"), "0,13");
    EXPECT_EQ(Format(1e-7, "0.00"), "0,00");
    EXPECT_EQ(Format(0.0096, "0.00"), "0,01");
    EXPECT_EQ(Format(0.0000006, "#.##"), ",");
    EXPECT_EQ(Format(9.999, "0.00"), "10,00");
    EXPECT_EQ(Format(-1.5, "0.00"), "-1,50");
    EXPECT_EQ(Format(33.333333, "0.0"), "33,3");
    EXPECT_EQ(Format(99.96, "0.0"), "100,0");
    EXPECT_EQ(Format(25, "0.00") + "% fel", "25,00% fel");
}

TEST_F(FormatTest, OptionalDigitsDropZerosAndKeepTheSign) {
    EXPECT_EQ(Format(0.5, "#.##"), ",5");
    EXPECT_EQ(Format(3, "#.##"), "3,");
    EXPECT_EQ(Format(12.345, "#.##"), "12,35");
    EXPECT_EQ(Format(1.10, "#.##"), "1,1");
    EXPECT_EQ(Format(0, "#.##"), ",");
    EXPECT_EQ(Format(-0.001, "0.00"), "0,00") << "no minus sign for a value that rounds to zero";
}

TEST_F(FormatTest, WholePatternsPadAndGroup) {
    EXPECT_EQ(Format(7, "000"), "007");
    EXPECT_EQ(Format(20, "000"), "020");
    EXPECT_EQ(Format(1234, "000"), "1234");
    EXPECT_EQ(Format(2.5, "0"), "3");
    EXPECT_EQ(Format(1234567.4, "#,##0"), QString("1") + QChar(0xA0) + "234" + QChar(0xA0) + "567");
    EXPECT_EQ(Format(999, "#,##0"), "999");
    EXPECT_EQ(Format(0, "#,##0"), "0");
    EXPECT_EQ(Format(5, "0 MB"), "5 MB") << "text after the number stays";
    EXPECT_EQ(Format(1e15, "0"), "1000000000000000");
}

TEST_F(FormatTest, FollowsTheDefaultLocale) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Format(1234.5, "0.00"), "1234.50");
    EXPECT_EQ(Format(1234, "#,##0"), "1,234");
}

TEST(Split, KeepsInnerEmptyPiecesAndDropsAnEmptyLastOne) {
    EXPECT_EQ(Split("*.doc;*.xls", ";"), QStringList({"*.doc", "*.xls"}));
    EXPECT_EQ(Split("*.doc;*.xls;", ";"), QStringList({"*.doc", "*.xls"}));
    EXPECT_EQ(Split(";*.doc;*.xls", ";"), QStringList({"", "*.doc", "*.xls"}));
    EXPECT_EQ(Split("*.doc;;*.xls", ";"), QStringList({"*.doc", "", "*.xls"}));
    EXPECT_EQ(Split("a.exe ;; b.exe", " ;; "), QStringList({"a.exe", "b.exe"}));
    EXPECT_EQ(Split("", ";"), QStringList({""})) << "always an element 0";
    EXPECT_EQ(Split(";", ";"), QStringList({""}));
    EXPECT_EQ(Split("ingen", ";"), QStringList({"ingen"}));
    EXPECT_EQ(Split("a b  c"), QStringList({"a", "b", "", "c"})) << "a blank by default";
    EXPECT_EQ(Split("/home/anna/", "/"), QStringList({"", "home", "anna"}));
    EXPECT_EQ(Split("aXbxc", "x"), QStringList({"aXb", "c"})) << "letter case counts";
}

TEST(PrintNumber, BlankBeforeNonNegativeAndAfterEvery) {
    EXPECT_EQ(printNumber(1), " 1 ");
    EXPECT_EQ(printNumber(0), " 0 ");
    EXPECT_EQ(printNumber(-15), "-15 ");
    EXPECT_EQ(valInt(printNumber(-15)), -15) << "readers get the number back";
}

TEST(CountText, OneTakesTheSingularEveryOtherCountThePlural) {
    const struct {
        long long n;
        QString text;
    } cases[] = {{0, "0 mappar"}, {1, "1 mapp"}, {2, "2 mappar"}, {11, "11 mappar"}, {-1, "-1 mappar"}};
    for (const auto& c : cases)
        EXPECT_EQ(countText(c.n, "mapp", "mappar"), c.text) << c.n;
    EXPECT_EQ(fileCount(1, "äldre", "äldre"), "1 äldre fil");
    EXPECT_EQ(fileCount(21), "21 filer");
}
