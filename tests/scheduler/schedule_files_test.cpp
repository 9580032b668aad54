// The scheduler's files and values: times as typed and as stored, day lines, the common setting,
// the selection and the per-job entries, read and written byte for byte.
#include "scheduler/schedule_files.h"
#include "support/fixture.h"
#include "support/qt_print.h"

class ScheduleFilesTest : public ProgramTest {};

TEST(ScheduleTimes, TypedTimesMustBeTwoDigitsASeparatorAndTwoDigits) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {{"07.30", true}, {"23:59", true},  {"00:00", true},  {"007:30", false}, {"1a:3b", false},
                 {"9:30", false}, {"24:00", false}, {"10:60", false}, {"07-30", false},  {"٠٧:٣٠", false}};
    for (const auto& c : cases)
        EXPECT_EQ(schedule::timeTextValid(QString::fromUtf8(c.text)), c.valid) << c.text;
    EXPECT_EQ(schedule::normalisedTime("07.30"), "07:30");
}

TEST(ScheduleTimes, StoredTimesAcceptBlanksAndPointsButNoOtherText) {
    const struct {
        const char* text;
        int hour, minute; // -1: unreadable
    } cases[] = {{"07:30", 7, 30}, {" 07:30 ", 7, 30}, {"22.00", 22, 0},  {"7.05", 7, 5},
                 {"7:30", 7, 30},  {"007:30", -1, -1}, {"1a:3b", -1, -1}, {"24:00", -1, -1},
                 {"", -1, -1},     {"12", -1, -1},     {"12:3", -1, -1}};
    for (const auto& c : cases) {
        const auto t = schedule::storedTime(QString::fromUtf8(c.text));
        if (c.hour < 0) {
            EXPECT_FALSE(t) << c.text;
        } else {
            ASSERT_TRUE(t) << c.text;
            EXPECT_EQ(*t, QTime(c.hour, c.minute)) << c.text;
        }
    }
}

TEST(ScheduleDays, DayLinesOfBothFileKinds) {
    schedule::Days monFri{};
    for (int d = 2; d <= 6; ++d)
        monFri[d] = true;
    EXPECT_EQ(schedule::commonDaysLine(monFri), "0111110");
    EXPECT_EQ(schedule::jobDaysLine(monFri), "0234560");
    EXPECT_EQ(schedule::commonDaysFrom("0111110"), monFri);
    // Job days are found anywhere in the line, in any order and length.
    EXPECT_EQ(schedule::jobDaysFrom("65432"), monFri);
    // An empty common line is every day; a short one leaves the rest unticked.
    EXPECT_EQ(schedule::commonDaysLine(schedule::commonDaysFrom("")), "1111111");
    EXPECT_EQ(schedule::commonDaysLine(schedule::commonDaysFrom("01")), "0100000");
    // Weekday numbers run from Sunday.
    EXPECT_EQ(schedule::weekday(QDate(2024, 6, 2)), 1);
    EXPECT_EQ(schedule::weekday(QDate(2024, 6, 8)), 7);
}

TEST_F(ScheduleFilesTest, FileNamesFollowTheJobGroup) {
    EXPECT_EQ(schedule::commonSettingFile(0), path("setup_schema_global.ini"));
    EXPECT_EQ(schedule::commonSettingFile(3), path("setup_schema_global4.ini"));
    EXPECT_EQ(schedule::selectionFile(1), path("setup_schema_lista2.ini"));
}

TEST_F(ScheduleFilesTest, TheCommonSettingIsWrittenWholeAndReadBack) {
    const QString file = path("setup_schema_global.ini");
    schedule::writeCommonSetting(file, {true, 1, "22:00", "0111110", 0, 1});
    EXPECT_EQ(testutil::readBytes(file), QByteArray("True\r\n 1 \r\n22:00\r\n0111110\r\n 0 \r\n 1 \r\n"));
    const auto r = schedule::readCommonSetting(file);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.common, true);
    EXPECT_EQ(r.mirror, 1);
    EXPECT_EQ(r.time, "22:00");
    EXPECT_EQ(r.days, "0111110");
    EXPECT_EQ(r.simulate, 1);
}

TEST_F(ScheduleFilesTest, ShortAndDamagedCommonSettingsKeepWhatWasReadBeforeTheFault) {
    const QString file = path("setup_schema_global2.ini");
    // Four lines: the simulated mirror is not read.
    testutil::writeLines(file, {"True", "0", "22:00", "0111110"});
    auto r = schedule::readCommonSetting(file);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(r.days, "0111110");
    EXPECT_FALSE(r.simulate);
    // An empty or missing days line is every day; flags with or without blanks.
    testutil::writeLines(file, {"False", "1", "08:15", "", "0", "1"});
    r = schedule::readCommonSetting(file);
    EXPECT_EQ(r.days, "1111111");
    EXPECT_EQ(r.mirror, 1);
    EXPECT_EQ(r.simulate, 1);
    testutil::writeLines(file, {"False", " 0 ", "08:15"});
    EXPECT_FALSE(schedule::readCommonSetting(file).error);
    // Fewer than three lines: read error after the lines that were there.
    testutil::writeLines(file, {"True", "1"});
    r = schedule::readCommonSetting(file);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->number, 62);
    EXPECT_EQ(r.common, true);
    EXPECT_EQ(r.mirror, 1);
    EXPECT_FALSE(r.time);
    // A mode line that is no truth value, a number line that is no number.
    testutil::writeLines(file, {"Kanske", "1", "10:00"});
    r = schedule::readCommonSetting(file);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->number, 13);
    EXPECT_FALSE(r.common);
    testutil::writeLines(file, {"True", "ja", "10:00"});
    r = schedule::readCommonSetting(file);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->number, 13);
    EXPECT_EQ(r.common, true);
    EXPECT_FALSE(r.mirror);
    // A missing file is a read error too.
    r = schedule::readCommonSetting(path("saknas.ini"));
    ASSERT_TRUE(r.error);
}

TEST_F(ScheduleFilesTest, TheSelectionIsOneNameALineAndFollowsARename) {
    const QString file = schedule::selectionFile(1);
    schedule::writeSelection(file, {"Dokument", "Bilder"});
    EXPECT_EQ(testutil::readBytes(file), QByteArray("Dokument\r\nBilder\r\n"));
    EXPECT_EQ(schedule::readSelection(file), (QStringList{"Dokument", "Bilder"}));
    schedule::renameInSelection(1, "Bilder", "Foton");
    EXPECT_EQ(testutil::readBytes(file), QByteArray("Dokument\r\nFoton\r\n"));
    // Another group's file and a name it does not hold are left alone.
    schedule::renameInSelection(0, "Dokument", "Papper");
    EXPECT_FALSE(QFile::exists(schedule::selectionFile(0)));
    const qint64 before = testutil::mtimeOf(file);
    schedule::renameInSelection(1, "Saknas", "Ny");
    EXPECT_EQ(testutil::mtimeOf(file), before);
    EXPECT_EQ(schedule::readSelection(file), (QStringList{"Dokument", "Foton"}));
}

TEST(ScheduleEntries, EntriesJoinTheirFieldsWithStars) {
    schedule::Entry e{"22:30", 1, 3, 0, "0200060"};
    EXPECT_EQ(e.text(), "22:30*1*3*0*0200060");
    const schedule::Entry p = schedule::Entry::parse("07:30*0*12*1*0234560");
    EXPECT_EQ(p.text(), "07:30*0*12*1*0234560");
    EXPECT_EQ(p.jobIndex, 12);
    EXPECT_THROW(schedule::Entry::parse("07:30*0*12"), platform::RunError);
}
