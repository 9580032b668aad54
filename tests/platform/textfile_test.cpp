#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/fixture.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <functional>

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
    injectFault(f + "#write", EIO);
    EXPECT_THROW(writeText(f, "new\r\n"), RunError);
    clearFaults();
    EXPECT_EQ(readLines(f), QStringList({"old"}));
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"keep.ini"}))
        << "no temporary file";
    EXPECT_THROW(readLines(d.path() + "/missing"), RunError);
}

TEST(TextFile, AppendsAddLinesAndCreateTheFile) {
    QTemporaryDir d;
    const QString f = d.path() + "/log.txt";
    appendLines(f, {"första"});
    appendText(f, "andra\r\n");
    appendLines(f, {"tredje", ""});
    EXPECT_EQ(testutil::readBytes(f), QByteArray("f\xc3\xb6rsta\r\nandra\r\ntredje\r\n\r\n"));
    EXPECT_EQ(readLines(f), QStringList({"första", "andra", "tredje", ""}));
    EXPECT_EQ(readText(f), "första\r\nandra\r\ntredje\r\n\r\n");
}

TEST(TextFile, ErrorsSayWhetherTheFileOrItsFolderIsMissing) {
    QTemporaryDir d;
    auto number = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const RunError& e) {
            return e.number;
        }
        return -1;
    };
    EXPECT_EQ(number([&] { readLines(d.path() + "/saknas.txt"); }), 53);
    EXPECT_EQ(number([&] { readLines(d.path() + "/ingen/mapp.txt"); }), 76);
    EXPECT_EQ(number([&] { writeLines(d.path() + "/ingen/mapp.txt", {"x"}); }), 76);
    EXPECT_EQ(number([&] { appendText(d.path() + "/ingen/mapp.txt", "x"); }), 76);
    EXPECT_EQ(number([&] { readLines(d.path()); }), 75) << "a folder is no text file";
    injectFault(d.path() + "/logg.txt", EACCES);
    EXPECT_EQ(number([&] { appendText(d.path() + "/logg.txt", "x"); }), 70);
    clearFaults();
    EXPECT_FALSE(QFileInfo::exists(d.path() + "/logg.txt"));
}

TEST(TextFile, DecodingKeepsUtf8AndFallsBackPerLine) {
    EXPECT_EQ(decodeText("\xef\xbb\xbf"
                         "abc"),
              "abc")
        << "a BOM is dropped";
    EXPECT_EQ(decodeText("S\xc3\xb6"
                         "dert\xc3\xa4lje"),
              "Södertälje");
    EXPECT_EQ(decodeText("\x93"
                         "citat"
                         "\x94"
                         " \x96 \x9f"),
              QString::fromUtf16(u"\u201Ccitat\u201D \u2013 \u0178"));
    EXPECT_EQ(decodeText("\xc3\xa5 och \xe5"), "Ã¥ och å") << "one invalid byte makes its whole line 1252";
    EXPECT_EQ(encodeLines({"a", "b"}), QByteArray("a\r\nb\r\n"));
}

TEST(TextFile, PiecesEndAtLineEndsAndReadTheSameAsTheWhole) {
    QTemporaryDir d;
    const QString f = d.path() + "/log.txt";
    for (const QByteArray& text :
         {QByteArray("a\r\nb\r\n\r\nc"),
          QByteArray("\xef\xbb\xbf"
                     "a\rb\r\rc\r"),
          QByteArray("\xc3\xa5\xc3\xa4\xc3\xb6\xc3\xa5\xc3\xa4\xc3\xb6\nG\xe4vle\r\n")}) {
        testutil::writeFile(f, text);
        for (int piece = 1; piece <= 8; ++piece) {
            TextReader r(f);
            QString read;
            while (!r.atEnd()) {
                const QString p = r.next(piece);
                EXPECT_FALSE(read.endsWith('\r') && p.startsWith('\n')) << "a CR LF is never parted";
                read += p;
            }
            EXPECT_EQ(read, readText(f)) << text.toHex().toStdString() << " in pieces of " << piece;
        }
        EXPECT_EQ(readFirstLines(f, 2), readLines(f).mid(0, 2));
    }
}

// A damaged log.txt without line breaks: its head is read up to the limit, never the whole file.
TEST(TextFile, TheFirstLinesAreReadNoFurtherThanTheirByteLimit) {
    QTemporaryDir d;
    const QString f = d.path() + "/log.txt";
    testutil::writeFile(f, "\r\nBackup utf\xc3\xb6rd\r\n" + QByteArray(256 * 1024, 'x') + "\r\nsist\r\n");
    EXPECT_EQ(readFirstLines(f, 2, 64), QStringList({"", "Backup utförd"}));
    EXPECT_EQ(readFirstLines(f, 3, 64 * 1024), QStringList({"", "Backup utförd"}));
    EXPECT_EQ(readFirstLines(f, 3, 1024 * 1024), readLines(f).mid(0, 3));
    testutil::writeFile(f, QByteArray(256 * 1024, '\xe5'));
    EXPECT_TRUE(readFirstLines(f, 2, 64 * 1024).isEmpty());
}
