#include "logview/saved_logs.h"
#include "platform/errors.h"
#include "support/fixture.h"

class SavedLogs : public ProgramTest {};

TEST_F(SavedLogs, EntryNamesSuffixAndPathRoundTrip) {
    const QStringList names = {"log 2026-01-02 10.00.00 Backup av A. Inga fel.txt",
                               "log 2026-01-03 10.00.00 Backup av B. 2 fel.txt", "notes.txt", "a.txt",
                               "abcd.txt"};
    const QStringList entries = savedlogs::entries(names);
    EXPECT_EQ(entries, (QStringList{"2026-01-02 10.00.00 Backup av A. Inga fel",
                                    "2026-01-03 10.00.00 Backup av B. 2 fel", "s", " - Aktuell loggfil"}))
        << "a.txt names no saved log; abcd.txt gives an empty entry";
    const QString folder = prog().programFolder() + "/Sparade loggar/";
    EXPECT_EQ(savedlogs::pathOf(prog().programFolder(), entries[0]), folder + names[0]);
    EXPECT_EQ(savedlogs::pathOf(prog().programFolder(), entries[1] + savedlogs::kCurrentSuffix),
              folder + names[1]);
    EXPECT_EQ(savedlogs::pathOf(prog().programFolder(), "s"), folder + "log s.txt");
    // Only a suffix at the end is the current-log mark.
    EXPECT_EQ(savedlogs::pathOf(prog().programFolder(), "x - Aktuell loggfil y"),
              folder + "log x - Aktuell loggfil y.txt");
}

TEST_F(SavedLogs, ListsTextFilesInNameOrderWithoutRegardToCase) {
    const QString folder = path("Sparade loggar");
    for (const char* n : {"log 2026-02-01 b.txt", "LOG 2026-01-01 a.TXT", "log 2026-03-01 c.txt", "bild.png"})
        testutil::writeFile(folder + "/" + n, "x");
    testutil::makeDir(folder + "/mapp.txt");
    EXPECT_EQ(savedlogs::listNames(prog().programFolder()),
              (QStringList{"LOG 2026-01-01 a.TXT", "log 2026-02-01 b.txt", "log 2026-03-01 c.txt"}));
}

TEST_F(SavedLogs, AMissingFolderCannotBeListed) {
    EXPECT_THROW(savedlogs::listNames(prog().programFolder()), platform::RunError);
}

TEST_F(SavedLogs, LogsThatAreNotUtf8AreReadAsWindows1252) {
    testutil::writeFile(path("a.txt"), QByteArray("Kopierade r\xe4kning.txt\r\nFEL: \x96 n\xe5got\rsista"));
    EXPECT_EQ(savedlogs::readForShowing(path("a.txt")),
              QString::fromUtf8("Kopierade räkning.txt\nFEL: – något\nsista"));
}
