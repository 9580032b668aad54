#include "logview/update_check.h"

#include <gtest/gtest.h>

using updates::VersionFile;

TEST(UpdateCheck, VersionFileIsReadAndComparedWithThisVersion) {
    const QString running = updates::runningVersionText();
    ASSERT_EQ(running, "700");
    struct Case {
        const char* name;
        const char* text;
        VersionFile::Status status;
        const char* newest;
        bool newer;
        const char* news; // newsText
    };
    const Case cases[] = {
        {"equal", "700\r\n", VersionFile::Status::Ok, "700", false, "Nyheter:"},
        {"newer with news", "710\r\nSnabbare kopiering\r\n\"Ny logg, med sökning\"\r\nEtt--Två\r\n",
         VersionFile::Status::Ok, "710", true,
         "Nyheter:\nSnabbare kopiering\nNy logg, med sökning\nEtt\nTvå"},
        {"unquoted comma", "710, Första,Andra\r\n", VersionFile::Status::Ok, "710", true,
         "Nyheter:\nFörsta\nAndra"},
        {"line feed in a quoted item", "710\r\n\"Rad 1\nRad 2\"\r\n", VersionFile::Status::Ok, "710", true,
         "Nyheter:\nRad 1\nRad 2"},
        {"LF only", "711\nEtt\nTvå\n", VersionFile::Status::Ok, "711", true, "Nyheter:\nEtt\nTvå"},
        {"older", "699\r\n", VersionFile::Status::Ok, "699", false, "Nyheter:"},
        {"more digits is newer", "1000\r\n", VersionFile::Status::Ok, "1000", true, "Nyheter:"},
        {"blanks around", "  710  \r\n", VersionFile::Status::Ok, "710", true, "Nyheter:"},
        {"empty", "", VersionFile::Status::Empty, "", false, nullptr},
        {"HTML page", "<!DOCTYPE html>\r\n<html><body>Inte hittad</body></html>\r\n",
         VersionFile::Status::Malformed, "", false, nullptr},
        {"only line ends", "\r\n\r\n", VersionFile::Status::Malformed, "", false, nullptr},
        {"version with a point", "7.1.0\r\n", VersionFile::Status::Malformed, "", false, nullptr},
    };
    for (const Case& c : cases) {
        const VersionFile v = updates::parseVersionFile(QString::fromUtf8(c.text));
        EXPECT_EQ(v.status, c.status) << c.name;
        if (v.status != VersionFile::Status::Ok)
            continue;
        EXPECT_EQ(v.newest, c.newest) << c.name;
        EXPECT_EQ(updates::isNewer(v.newest, running), c.newer) << c.name;
        EXPECT_EQ(updates::newsText(v.news), QString::fromUtf8(c.news)) << c.name;
    }
}

TEST(UpdateCheck, ShownVersionsAreWrittenInTheProgramsOneFormAndTheSiteIsHttps) {
    EXPECT_EQ(updates::shownCurrentVersion(), "Aktuell version: 7.0.0");
    // Each text shows the version it is, as it compares.
    const std::pair<const char*, const char*> shown[] = {
        {"247", "2.4.7"},   {"710", "7.1.0"}, {"1000", "10.0.0"},
        {"1234", "12.3.4"}, {"25", "0.2.5"},  {"0710", "7.1.0"},
    };
    for (const auto& [field1, text] : shown)
        EXPECT_EQ(updates::shownNewest(field1), text) << field1;
    EXPECT_TRUE(updates::defaultSite().base.startsWith("https://")) << "updates come over https only";
}
