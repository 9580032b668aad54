#include "run/run_log.h"
#include "support/fixture.h"

#include "platform/errors.h"

#include <QDir>
#include <cerrno>

namespace {

class RunLog : public ProgramTest {
  protected:
    QString folder() const { return programDir_.path(); }
    QString text(const QString& name) { return QString::fromUtf8(testutil::readBytes(path(name))); }
    QDateTime stamp() const { return QDateTime(QDate(2024, 5, 1), QTime(6, 0, 0)); }
};

TEST_F(RunLog, StartWritesThreeHeaderLinesAndLeavesOneEmptyErrorLine) {
    testutil::writeLines(path("log.txt"), {"old run", "more"});
    testutil::writeLines(path("log_err.txt"), {"", "FEL: old"});
    testutil::writeLines(path("log_ex.txt"), {"kept"});
    runlog::startLog(folder(), {}, "2024-05-01", "14:03:27");
    EXPECT_EQ(text("log.txt"), "\r\nBackup utförd 2024-05-01  14:03:27\r\n\r\n");
    EXPECT_EQ(text("log_err.txt"), "\r\n");
    EXPECT_EQ(text("log_ex.txt"), "kept\r\n"); // not touched by the start

    runlog::RunMode scheduledSim{true, true, false};
    EXPECT_EQ(runlog::headerLine(scheduledSim, "2024-05-01", "06:00:00"),
              "Schemalagd Simulerad Backup utförd 2024-05-01  06:00:00");
    runlog::RunMode cmd{false, false, true};
    EXPECT_EQ(runlog::headerLine(cmd, "d", "t"), "Startkommando-startad Backup utförd d  t");
}

TEST_F(RunLog, ExclusionsAreFoldedOnlyWhenBothFilesExist) {
    testutil::writeLines(path("log_ex.txt"), {"Exkluderad: a.tmp", "Exkluderad: b.tmp"});
    runlog::foldExclusions(folder()); // no log.txt: nothing happens
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    EXPECT_EQ(text("log_ex.txt"), "Exkluderad: a.tmp\r\nExkluderad: b.tmp\r\n");

    testutil::writeLines(path("log.txt"), {"", "JOBB"});
    runlog::foldExclusions(folder());
    EXPECT_EQ(text("log.txt"), "\r\nJOBB\r\nExkluderad: a.tmp\r\nExkluderad: b.tmp\r\n");
    EXPECT_TRUE(QFile::exists(path("log_ex.txt")));
    EXPECT_EQ(testutil::readBytes(path("log_ex.txt")).size(), 0);
}

TEST_F(RunLog, FoldingExclusionsThatFailsKeepsTheSideLog) {
    testutil::writeLines(path("log.txt"), {"x"});
    testutil::writeLines(path("log_ex.txt"), {"Exkluderad: a.tmp"});
    platform::injectFault(path("log.txt"), ENOSPC);
    EXPECT_THROW(runlog::foldExclusions(folder()), platform::RunError);
    platform::clearFaults();
    EXPECT_EQ(text("log_ex.txt"), "Exkluderad: a.tmp\r\n");
}

TEST_F(RunLog, ErrorsAreFoldedAfterTheDriveNotes) {
    testutil::writeLines(path("log.txt"), {"start"});
    testutil::writeLines(path("log_err.txt"), {"", "FEL: Filen kunde inte kopieras. (Jobb: A)", "Från: /x"});
    EXPECT_TRUE(runlog::foldErrors(folder(), {"FEL: Enhet /media/u/usb saknas."}));
    EXPECT_EQ(text("log.txt"),
              "start\r\n\r\nFEL: Enhet /media/u/usb saknas.\r\n\r\nFEL: Filen kunde inte kopieras. "
              "(Jobb: A)\r\nFrån: /x\r\n");
    EXPECT_EQ(text("log_err.txt"), "\r\n");

    // Without drive notes no empty line comes before the error blocks.
    testutil::writeLines(path("log.txt"), {"start"});
    testutil::writeLines(path("log_err.txt"), {"", "FEL: x"});
    runlog::foldErrors(folder(), {});
    EXPECT_EQ(text("log.txt"), "start\r\n\r\nFEL: x\r\n");

    // No log.txt: nothing at all, the side log keeps its blocks.
    QFile::remove(path("log.txt"));
    testutil::writeLines(path("log_err.txt"), {"", "FEL: y"});
    EXPECT_FALSE(runlog::foldErrors(folder(), {"FEL: Enhet / saknas."}));
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    EXPECT_EQ(text("log_err.txt"), "\r\nFEL: y\r\n");

    EXPECT_EQ(runlog::driveEntrySystemText("FEL: Enhet /mnt/x saknas."), "FEL!  Enhet /mnt/x saknas.");
    EXPECT_EQ(runlog::driveEntrySystemText("Enhet /mnt/x saknas."), "Enhet /mnt/x saknas.");
}

TEST_F(RunLog, SavedLogNamesSummariseTheRun) {
    runlog::SavedLogFacts one;
    one.jobs = 1;
    one.jobName = "Dokument";
    one.copied = 12;
    one.lookedAt = 340;
    one.megabytes = 1.25;
    one.scheduled = true;
    EXPECT_EQ(runlog::savedLogName(stamp(), one), "log 2024-05-01 06.00.00 Schemalagd Backup av DOKUMENT. 12 "
                                                  "filer av 340 kopierades. 1,25 MB. Inga fel.txt");

    runlog::SavedLogFacts three;
    three.jobs = 3;
    three.errors = 1;
    three.simulated = true;
    three.scheduled = true;
    three.commandline = true;
    EXPECT_EQ(runlog::savedLogSummary(three), "Startkommando-startad Schemalagd Simulerad Backup av 3 jobb. "
                                              "0 filer av 0 skulle kopieras. 0,00 MB. 1 fel!");

    // A name with a slash would leave the folder; it never may.
    runlog::SavedLogFacts odd = one;
    odd.jobName = "a/b";
    EXPECT_FALSE(runlog::savedLogName(stamp(), odd).contains('/'));
}

TEST_F(RunLog, SavingCopiesTheLogAndKeepsASaveOfTheSameName) {
    testutil::writeLines(path("log.txt"), {"", "Backup utförd 2024-05-01  06:00:00"});
    runlog::SavedLogFacts f;
    f.jobs = 1;
    f.jobName = "A";
    const QString saved = runlog::saveLog(folder(), stamp(), f);
    EXPECT_EQ(
        saved,
        path("Sparade loggar/log 2024-05-01 06.00.00 Backup av A. 0 filer av 0 kopierades. 0,00 MB. Inga "
             "fel.txt"));
    EXPECT_EQ(testutil::readBytes(saved), testutil::readBytes(path("log.txt")));
    const QByteArray first = testutil::readBytes(saved);
    testutil::writeLines(path("log.txt"), {"second"});
    const QString second = runlog::saveLog(folder(), stamp(), f);
    EXPECT_EQ(second, saved.chopped(4) + "(2).txt");
    EXPECT_EQ(QDir(path("Sparade loggar")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(testutil::readBytes(saved), first);
    EXPECT_EQ(testutil::readBytes(second), QByteArray("second\r\n"));
}

TEST_F(RunLog, PruningKeepsFiftyAndDeletesTheFirstInNameOrder) {
    const QString dir = path("Sparade loggar");
    for (int i = 0; i < 51; ++i)
        testutil::writeFile(dir + QString("/log 2024-01-%1 00.00.00 x.txt").arg(i + 1, 2, 10, QChar('0')),
                            "x");
    testutil::writeFile(dir + "/notes.md", "not a log");
    EXPECT_EQ(runlog::pruneSavedLogs(folder()), 1);
    EXPECT_FALSE(QFile::exists(dir + "/log 2024-01-01 00.00.00 x.txt"));
    EXPECT_TRUE(QFile::exists(dir + "/log 2024-01-02 00.00.00 x.txt"));
    EXPECT_TRUE(QFile::exists(dir + "/notes.md"));
    EXPECT_EQ(runlog::pruneMessage(1),
              "Raderade en gammal loggfil eftersom gränsen på 50 loggfiler är nådd.");

    for (int i = 0; i < 3; ++i)
        testutil::writeFile(dir + QString("/log 2023-12-%1 00.00.00 x.TXT").arg(i + 10), "x");
    EXPECT_EQ(runlog::pruneSavedLogs(folder()), 3);
    EXPECT_EQ(QDir(dir).entryList({"*.txt", "*.TXT"}, QDir::Files).size(), 50);
    EXPECT_EQ(runlog::pruneMessage(4),
              "Raderade 4 gamla loggfiler eftersom gränsen på 50 loggfiler är nådd.");
    EXPECT_EQ(runlog::pruneMessage(0), "");
}

} // namespace
