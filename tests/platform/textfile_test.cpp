#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/fixture.h"

#include <cerrno>

using namespace platform;

TEST(TextFile, WritesUtf8WithCrLfAfterEveryLineAndReadsItBack) {
    QTemporaryDir d;
    const QString f = d.path() + "/a.ini";
    writeLines(f, {"Listor", "åäö", ""});
    EXPECT_EQ(testutil::readBytes(f), QByteArray("Listor\r\n\xc3\xa5\xc3\xa4\xc3\xb6\r\n\r\n"));
    EXPECT_EQ(readLines(f), QStringList({"Listor", "åäö", ""}));
    writeLines(f, {});
    EXPECT_TRUE(testutil::readBytes(f).isEmpty());
    EXPECT_TRUE(readLines(f).isEmpty());
}

TEST(TextFile, ReadsWindows1252AndEveryLineEnd) {
    QTemporaryDir d;
    const QString f = d.path() + "/old.ini";
    testutil::writeFile(f, QByteArray("G\xe4vle\r\n\x80 euro\nmac\rlast"));
    EXPECT_EQ(readLines(f), QStringList({"Gävle", "€ euro", "mac", "last"}));
}

TEST(TextFile, FailedWriteLeavesOldFileAndReportsTheError) {
    QTemporaryDir d;
    const QString f = d.path() + "/keep.ini";
    writeLines(f, {"old"});
    injectFault(f, ENOSPC);
    try {
        writeLines(f, {"new"});
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number, 61);
        EXPECT_EQ(e.description, "Disken är full");
    }
    clearFaults();
    EXPECT_EQ(readLines(f), QStringList({"old"}));
    EXPECT_THROW(readLines(d.path() + "/missing"), RunError);
}
