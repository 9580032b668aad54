// The restore engine on real trees, without its window.
#include "core/copy_times.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "print.h"
#include "restore/restore_engine.h"
#include "run/versioning.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <memory>

using testutil::readBytes;
using testutil::writeFile;

namespace {

class FakeView : public RestoreView {
  public:
    void yield() override { ++yields; }
    bool stopRequested() const override { return stopAfter >= 0 && yields > stopAfter; }
    void systemLog(const QString& text, bool error) override { lines << (error ? "!" : "") + text; }
    int yields = 0;
    int stopAfter = -1;
    QStringList lines;
};

class RestoreEngineTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)));
        backup_ = work("Backup");
        src_ = work("Källa");
        testutil::makeDir(backup_);
        testutil::makeDir(src_);
    }
    // A backup copy of the source file `rel` (relative path type).
    QString copyOf(const QString& rel) const { return backup_ + src_ + '/' + rel; }
    RestoreMapping mapping() const { return RestoreMapping::forJob(backup_, src_, false, false); }
    // Lists the backup of the main folder and scans every folder.
    RestoreEngine::Result scanAll(RestoreEngine& e, bool newerToo) {
        e.listFolders(backup_ + src_);
        return e.scan(std::vector<char>(size_t(e.folders.size()), 1), mapping(), newerToo);
    }
    static std::vector<char> all(const RestoreEngine& e) { return std::vector<char>(e.entries.size(), 1); }
    // Scans every folder, newer copies too, and copies back all it found (`found` entries).
    RestoreEngine::CopyResult restoreAll(RestoreEngine& e, size_t found) {
        EXPECT_EQ(scanAll(e, true).outcome, RestoreEngine::Outcome::Done);
        EXPECT_EQ(e.entries.size(), found);
        return e.copyBack(all(e), {"Dokument", QString()});
    }
    QStringList displays(const RestoreEngine& e) const {
        QStringList out;
        for (const RestoreEntry& x : e.entries)
            out << x.display();
        return out;
    }

    FakeView view_;
    QString backup_, src_;
    const QDateTime t0_ = QDateTime(QDate(2023, 3, 1), QTime(8, 0, 0));
};

TEST_F(RestoreEngineTest, TheListingWalksRealFoldersOnlyAndEmptiesForAMissingFolder) {
    const QString root = copyOf("");
    for (const char* d : {"a/x", "a/y", ".dold", "c"})
        testutil::makeDir(root + d);
    testutil::makeDir(work("utanför/inne"));
    ASSERT_TRUE(QFile::link(work("utanför"), root + "länk"));
    RestoreEngine e(view_, prog().programFolder(), prog().clock);

    EXPECT_EQ(e.listFolders(root), 6);
    const QStringList expected{root, root + ".dold", root + "a", root + "a/x", root + "a/y", root + "c"};
    EXPECT_EQ(e.folders, expected);

    // A folder that is not there leaves nothing behind to be scanned against it.
    EXPECT_EQ(e.listFolders(work("saknas")), 0);
    EXPECT_TRUE(e.folders.isEmpty());
    EXPECT_EQ(e.listFolders(root), 6);
    EXPECT_EQ(e.listFolders(QString()), 0);
    EXPECT_TRUE(e.folders.isEmpty());
}

TEST_F(RestoreEngineTest, TheScanFindsMissingFilesAndNewerCopiesWithTheRunsTolerance) {
    const QString stamp = versionStamp(t0_.toSecsSinceEpoch());
    struct File {
        QString rel;
        bool atSource;
        int backupNewerBy; // seconds
    };
    const File files[] = {
        {"saknas.txt", false, 0},
        {"nyare2.txt", true, 2},
        {"nyare1.txt", true, 1},
        {"äldre.txt", true, -60},
        {"lika.txt", true, 0},
        {"sub/djup.txt", false, 0},
        {versionCopyName("rapport.doc", stamp), false, 0},
        {platform::temporaryName("saknas.txt"), false, 0}, // a killed copy's leftover: no backup copy
    };
    for (const File& f : files) {
        writeFile(copyOf(f.rel), "kopia", t0_.addSecs(f.backupNewerBy));
        if (f.atSource)
            writeFile(src_ + '/' + f.rel, "original", t0_);
    }
    // A folder where a file would go back is never replaced, however old it looks.
    writeFile(copyOf("mapp.txt"), "kopia", t0_.addSecs(3600));
    testutil::makeDir(src_ + "/mapp.txt");

    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    ASSERT_EQ(scanAll(e, false).outcome, RestoreEngine::Outcome::Done);
    // The last folder first: the subfolder's file leads.
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/sub/djup.txt", "+ " + src_ + "/saknas.txt"}));
    EXPECT_EQ(e.nya_filer, 2);
    EXPECT_EQ(e.genomsökta_filer, 7);

    ASSERT_EQ(scanAll(e, true).outcome, RestoreEngine::Outcome::Done);
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/sub/djup.txt", src_ + "/nyare2.txt",
                                        "+ " + src_ + "/saknas.txt"}));
    EXPECT_EQ(e.filräknare, 3);
    EXPECT_EQ(e.nyare_filer, 1);
    const RestoreEntry& newer = e.entries[1];
    EXPECT_EQ(newer.backup, copyOf("nyare2.txt"));
    EXPECT_EQ(newer.folder, src_ + '/');
    EXPECT_FALSE(newer.missing);
}

TEST_F(RestoreEngineTest, OnlyMarkedFoldersInsideTheLocationAreScanned) {
    writeFile(copyOf("a/1.txt"), "1", t0_);
    writeFile(copyOf("b/2.txt"), "2", t0_);
    writeFile(work("annan/3.txt"), "3", t0_);
    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    e.listFolders(backup_ + src_);
    e.folders << work("annan");
    ASSERT_EQ(e.folders.size(), 4); // the main folder, a, b, and the stranger

    EXPECT_EQ(e.scan({0, 0, 0, 0}, mapping(), false).outcome, RestoreEngine::Outcome::NothingMarked);
    ASSERT_EQ(e.scan({0, 0, 1, 1}, mapping(), false).outcome, RestoreEngine::Outcome::Done);
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/b/2.txt"}));
    EXPECT_EQ(e.skippedFolders, QStringList({work("annan")}));

    // A stop keeps what was found so far.
    view_.stopAfter = view_.yields + 3;
    EXPECT_EQ(e.scan({1, 1, 1, 0}, mapping(), false).outcome, RestoreEngine::Outcome::Stopped);
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/b/2.txt"}));
}

// A disk that does not take a file's time (NFS with root_squash): the copy carries the time it was
// made. Such a time is the program's, never the file's: no backup copy is offered as newer on it,
// and a copy back that could not keep its time says so and is recorded.
TEST_F(RestoreEngineTest, TimesTheProgramWroteAreNeverTakenForTheFilesOwn) {
    // The backup run's copies of version 1 (of t0) got the time of that run, an hour later.
    CopyTimes record(prog().programFolder());
    record.load();
    for (const char* rel : {"a.txt", "b.txt"}) {
        writeFile(copyOf(rel), "version 1", t0_.addSecs(3600));
        record.copied(copyOf(rel), 9, t0_.addSecs(3600).toSecsSinceEpoch(), t0_.toSecsSinceEpoch(), false);
    }
    record.flush();
    // The user's version 2 keeps an earlier time than the backup run's (a sync client, cp -p).
    writeFile(src_ + "/a.txt", "version 2", t0_.addSecs(60));

    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    ASSERT_EQ(scanAll(e, true).outcome, RestoreEngine::Outcome::Done);
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/b.txt"}));

    // The original's disk does not take the time either.
    platform::injectFault(src_ + "/b.txt#time", EPERM);
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});
    EXPECT_EQ(readBytes(src_ + "/a.txt"), "version 2");
    EXPECT_EQ(readBytes(src_ + "/b.txt"), "version 1");
    EXPECT_EQ(r.totals.files, 1);
    EXPECT_EQ(r.totals.errors, 1);
    const QString text = "ilens ändringstid kunde inte behållas: " + src_ + "/b.txt";
    EXPECT_TRUE(testutil::readLines(path("log.txt")).contains("FEL: f" + text));
    EXPECT_TRUE(view_.lines.contains("!FEL! F" + text));
    CopyTimes after(prog().programFolder());
    after.load();
    const platform::FileInfo restored = platform::fileInfo(src_ + "/b.txt");
    EXPECT_EQ(after.standsFor(src_ + "/b.txt", restored.size, restored.mtime), t0_.toSecsSinceEpoch());
}

// The record of the times a backup disk did not keep lies on that disk: found when the backup is
// reached by another path (moved, a link to it) and from a program folder that never saw it, so
// no stale copy is offered as newer than the user's file.
TEST_F(RestoreEngineTest, TheRecordOfUnkeptTimesIsFoundWhereverTheBackupIsReachedFrom) {
    CopyTimes record(prog().programFolder());
    record.load();
    record.keepBelow(backup_);
    writeFile(copyOf("a.txt"), "version 1", t0_.addSecs(3600));
    record.copied(copyOf("a.txt"), 9, t0_.addSecs(3600).toSecsSinceEpoch(), t0_.toSecsSinceEpoch(), false);
    record.flush();
    EXPECT_FALSE(QFile::exists(path(CopyTimes::fileName())));
    writeFile(src_ + "/a.txt", "version 2", t0_.addSecs(60));
    testutil::makeDir(work("USB1"));
    const QString moved = work("USB1/Backup");
    ASSERT_TRUE(QDir().rename(backup_, moved));
    ASSERT_TRUE(QFile::link(moved, work("länk")));

    for (const QString& root : {moved, work("länk")}) {
        SCOPED_TRACE(root.toStdString());
        QTemporaryDir otherProgram;
        RestoreEngine e(view_, otherProgram.path(), prog().clock);
        e.listFolders(root + src_);
        ASSERT_EQ(e.scan(std::vector<char>(size_t(e.folders.size()), 1),
                         RestoreMapping::forJob(root, src_, false, false), true)
                      .outcome,
                  RestoreEngine::Outcome::Done);
        EXPECT_EQ(displays(e), QStringList());
        EXPECT_EQ(e.genomsökta_filer, 1);
    }

    // No record left, on a disk that keeps no times: the copy's time is the run's, no one's own.
    ASSERT_TRUE(QFile::remove(moved + "/" + CopyTimes::recordName()));
    platform::injectFault(moved + src_ + "#time", EPERM);
    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    e.listFolders(moved + src_);
    ASSERT_EQ(e.scan({1}, RestoreMapping::forJob(moved, src_, false, false), true).outcome,
              RestoreEngine::Outcome::Done);
    EXPECT_EQ(displays(e), QStringList());
    EXPECT_TRUE(
        view_.lines.contains("!FEL! Backupdisken behåller inte filernas ändringstider, och kopior utan "
                             "anteckning om sin tid återställs inte som nyare: " +
                             moved + src_ + "/"));
    EXPECT_TRUE(
        view_.lines.contains("Det går inte att avgöra om backupens kopia är nyare: " + src_ + "/a.txt"));
}

class CopyBackTest : public RestoreEngineTest {
  protected:
    void SetUp() override {
        RestoreEngineTest::SetUp();
        writeFile(copyOf("a.txt"), "ny version", t0_.addSecs(100));
        writeFile(src_ + "/a.txt", "gammal", t0_);
        writeFile(copyOf("sub/b.txt"), "borttagen", t0_);
        QFile::setPermissions(copyOf("sub/b.txt"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        writeFile(copyOf("sub/c.txt"), "också borta", t0_);
        engine_ = std::make_unique<RestoreEngine>(view_, prog().programFolder(), prog().clock);
        scanAll(*engine_, true);
        ASSERT_EQ(engine_->entries.size(), 3u);
    }
    QStringList log() const { return testutil::readLines(path("log.txt")); }
    QStringList savedLogs() const { return QDir(path("Sparade loggar")).entryList(QDir::Files); }
    // Scanned for missing and newer files: a.txt, then sub/c.txt and sub/b.txt.
    std::unique_ptr<RestoreEngine> engine_;
};

TEST_F(CopyBackTest, EveryMarkedFileComesBackWithItsBytesTimeAndModeAndTheLogSaysSo) {
    RestoreEngine& e = *engine_;
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});

    EXPECT_EQ(r.outcome, RestoreEngine::Outcome::Done);
    EXPECT_TRUE(e.entries.empty());
    EXPECT_EQ(readBytes(src_ + "/a.txt"), "ny version");
    EXPECT_EQ(testutil::mtimeOf(src_ + "/a.txt"), t0_.addSecs(100).toSecsSinceEpoch());
    EXPECT_EQ(readBytes(src_ + "/sub/b.txt"), "borttagen");
    EXPECT_EQ(testutil::mtimeOf(src_ + "/sub/b.txt"), t0_.toSecsSinceEpoch());
    EXPECT_EQ(QFile::permissions(src_ + "/sub/b.txt") & 0x7000,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({"a.txt", "sub/b.txt", "sub/c.txt"}));

    const QByteArray expected = QStringLiteral("\r\nÅterställning utförd 2024-05-01  14:03\r\n\r\n"
                                               "Filer återställda från jobb DOKUMENT\r\n"
                                               "%1/a.txt\r\n"
                                               "Skapad mapp: %1/sub/\r\n"
                                               "+ %1/sub/c.txt\r\n"
                                               "+ %1/sub/b.txt\r\n"
                                               "\r\n\r\n"
                                               "Backup startade kl. 14:03:27, slutade kl. 14:03:27\r\n"
                                               "Tidsåtgång: 00:00:00\r\n\r\n"
                                               "Sammanställning:\r\n"
                                               "  3 filer återställdes totalt\r\n"
                                               "  2 nya filer återställdes\r\n"
                                               "  1 ändrad fil återställdes\r\n"
                                               "  0,00 MB\r\n")
                                    .arg(src_)
                                    .toUtf8();
    EXPECT_EQ(QString::fromUtf8(readBytes(path("log.txt"))), QString::fromUtf8(expected));
    const QString saved =
        "log 2024-05-01 14.03.27 Återställning från jobb DOKUMENT. 3 filer återställdes. 0,00 MB.txt";
    ASSERT_EQ(savedLogs(), QStringList({saved}));
    EXPECT_EQ(readBytes(path("Sparade loggar/" + saved)), expected);
    EXPECT_EQ(view_.lines, QStringList({"", "Startar en återställning", "Från jobb DOKUMENT",
                                        "Skapade mappen " + src_ + "/sub/"}));
}

TEST_F(CopyBackTest, AManualRunNamesItsFromFolderAndOnlyMarkedEntriesGo) {
    RestoreEngine& e = *engine_;
    e.scan(std::vector<char>(size_t(e.folders.size()), 1), RestoreMapping::manual(backup_ + src_, src_),
           false);
    ASSERT_EQ(displays(e), QStringList({"+ " + src_ + "/sub/b.txt", "+ " + src_ + "/sub/c.txt"}));
    const RestoreEngine::CopyResult r = e.copyBack({0, 1}, {QString(), backup_ + src_});
    EXPECT_EQ(r.marked, 1);
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/sub/b.txt"}));
    EXPECT_TRUE(QFile::exists(src_ + "/sub/c.txt"));
    EXPECT_FALSE(QFile::exists(src_ + "/sub/b.txt"));
    EXPECT_EQ(view_.lines.value(2), "Från " + backup_ + src_);
    EXPECT_EQ(log().value(3), "Skapad mapp: " + src_ + "/sub/");
    EXPECT_EQ(
        savedLogs(),
        QStringList({"log 2024-05-01 14.03.27 Återställning (manuell). 1 fil återställdes. 0,00 MB.txt"}));
}

// The saved log's name holds the job's name; a long one is cut so that the log is saved at all.
TEST_F(CopyBackTest, ARestoreFromAJobOfALongNameSavesItsLogWithTheNameCut) {
    RestoreEngine& e = *engine_;
    e.copyBack(all(e), {"Dokument " + QString(100, QChar(0x00E4)), QString()}); // 209 bytes
    const QStringList saved = savedLogs();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_LE(saved.at(0).toUtf8().size(), 255);
    EXPECT_TRUE(saved.at(0).startsWith("log 2024-05-01 14.03.27 Återställning från jobb DOKUMENT ÄÄÄ"));
    EXPECT_TRUE(saved.at(0).endsWith("…. 3 filer återställdes. 0,00 MB.txt")) << saved.at(0).toStdString();
}

TEST_F(CopyBackTest, WhatChangedSinceTheScanIsNeverOverwritten) {
    RestoreEngine& e = *engine_;
    // Since the scan: c.txt came back by another way, a.txt was edited again, and a folder took b.txt's
    // place.
    writeFile(src_ + "/sub/c.txt", "ny av användaren", t0_.addSecs(5));
    writeFile(src_ + "/a.txt", "redigerad", t0_.addSecs(99));
    testutil::makeDir(src_ + "/sub/b.txt");
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});

    EXPECT_EQ(r.outcome, RestoreEngine::Outcome::Done);
    EXPECT_EQ(r.totals.files, 0);
    EXPECT_EQ(r.totals.errors, 3);
    EXPECT_EQ(readBytes(src_ + "/sub/c.txt"), "ny av användaren");
    EXPECT_EQ(readBytes(src_ + "/a.txt"), "redigerad");
    EXPECT_TRUE(QFileInfo(src_ + "/sub/b.txt").isDir());
    EXPECT_EQ(e.entries.size(), 3u);
    const QStringList l = log();
    EXPECT_TRUE(l.contains("! Filen kopierades inte: " + src_ + "/a.txt"));
    EXPECT_TRUE(l.contains("! Filen kopierades inte: " + src_ + "/sub/b.txt"));
    EXPECT_TRUE(view_.lines.contains("!FEL! Filen kopierades inte: " + src_ + "/sub/c.txt"));
}

// A file saved while its backup copy is copied back is the user's newest: it stays.
TEST_F(CopyBackTest, AFileSavedWhileItsCopyIsMadeIsKept) {
    RestoreEngine& e = *engine_;
    platform::setCopyHook([&](const QString&, const QString& target) {
        if (!target.endsWith("/a.txt"))
            return;
        // An editor's save: a new file renamed over the old one.
        writeFile(target + ".new", "sparad nu", t0_.addSecs(50));
        ASSERT_TRUE(QFile::remove(target));
        ASSERT_TRUE(QFile::rename(target + ".new", target));
    });
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});
    platform::setCopyHook({});

    EXPECT_EQ(readBytes(src_ + "/a.txt"), "sparad nu");
    EXPECT_EQ(r.totals.errors, 1);
    EXPECT_EQ(displays(e), QStringList({src_ + "/a.txt"}));
    const QString why =
        "Filen kopierades inte: " + src_ + "/a.txt (den ändrades under kopieringen och behölls)";
    EXPECT_TRUE(log().contains("! " + why)) << log().join('\n').toStdString();
    EXPECT_TRUE(view_.lines.contains("!FEL! " + why));
}

TEST_F(CopyBackTest, AFailedCopyLeavesTheOriginalWholeAndTheRunGoesOn) {
    RestoreEngine& e = *engine_;
    platform::injectFault(src_ + "/a.txt#write", EIO);
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});
    EXPECT_EQ(r.outcome, RestoreEngine::Outcome::Done);
    EXPECT_EQ(readBytes(src_ + "/a.txt"), "gammal");
    EXPECT_EQ(r.totals.errors, 1);
    ASSERT_EQ(e.entries.size(), 1u);
    EXPECT_EQ(e.entries[0].target, src_ + "/a.txt");
}

TEST_F(CopyBackTest, AFullDiskEndsTheRunWithACompleteLog) {
    RestoreEngine& e = *engine_;
    // Copied from the last entry up: a.txt, then c.txt fails, and b.txt is never reached.
    platform::injectFault(src_ + "/sub/c.txt#write", ENOSPC);
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});
    EXPECT_EQ(r.outcome, RestoreEngine::Outcome::Failed);
    EXPECT_EQ(r.error.number, 61);
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({"a.txt"}));
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/sub/b.txt", "+ " + src_ + "/sub/c.txt"}));
    EXPECT_EQ(log().last(), "  Fel uppstod under återställningen!");
    EXPECT_TRUE(savedLogs().value(0).endsWith(" 1 fil återställdes. 0,00 MB. Fel uppstod!.txt"));
}

TEST_F(CopyBackTest, ALogThatCannotBeSavedIsNotedWithItsNumberApartFromItsDescription) {
    RestoreEngine& e = *engine_;
    platform::injectFault(path("Sparade loggar"), EIO);
    e.copyBack(all(e), {"Dokument", QString()});
    platform::clearFaults();
    EXPECT_TRUE(
        view_.lines.contains("!FEL! Ett fel uppstod under hantering av loggfil. Plats: Återställning, "
                             "spara loggfil i loggmapp. Felkod 57 " +
                             platform::errorDescription(57) + "."))
        << view_.lines.join('\n').toStdString();
}

TEST_F(CopyBackTest, ACopyOntoTheBackupCopyItselfIsRefused) {
    RestoreEngine& e = *engine_;
    // The original place now leads to the backup copy itself.
    QFile::remove(src_ + "/a.txt");
    ASSERT_TRUE(QFile::link(copyOf("a.txt"), src_ + "/a.txt"));
    e.entries[2].backupTime = 0;
    const RestoreEngine::CopyResult r = e.copyBack({0, 0, 1}, {"Dokument", QString()});
    EXPECT_EQ(r.totals.errors, 1);
    EXPECT_EQ(readBytes(copyOf("a.txt")), "ny version");
    EXPECT_TRUE(QFileInfo(src_ + "/a.txt").isSymLink());
}

TEST_F(CopyBackTest, AStopKeepsTheEntriesNotYetReached) {
    RestoreEngine& e = *engine_;
    view_.stopAfter = view_.yields + 1;
    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});
    EXPECT_EQ(r.outcome, RestoreEngine::Outcome::Stopped);
    EXPECT_EQ(r.totals.files, 1);
    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/sub/b.txt", "+ " + src_ + "/sub/c.txt"}));
    EXPECT_EQ(log().value(log().size() - 4), "  1 fil återställdes totalt");
}

// Links below the original folder lead elsewhere: nothing is written through one, none is replaced.
TEST_F(RestoreEngineTest, TheCopyBackNeitherFollowsNorReplacesLinks) {
    writeFile(copyOf("länkad/x.txt"), "x", t0_);
    testutil::makeDir(work("annanstans"));
    ASSERT_TRUE(QFile::link(work("annanstans"), src_ + "/länkad"));
    writeFile(copyOf("fil.txt"), "ny", t0_.addSecs(60));
    writeFile(work("mål.txt"), "gammal", t0_);
    ASSERT_TRUE(QFile::link(work("mål.txt"), src_ + "/fil.txt"));
    writeFile(copyOf("vanlig.txt"), "v", t0_);
    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    const RestoreEngine::CopyResult r = restoreAll(e, 3);
    EXPECT_EQ(r.totals.files, 1);
    EXPECT_EQ(r.totals.errors, 2);
    EXPECT_EQ(testutil::treeFiles(work("annanstans")), QStringList());
    EXPECT_TRUE(QFileInfo(src_ + "/fil.txt").isSymLink());
    EXPECT_EQ(readBytes(work("mål.txt")), "gammal");
    EXPECT_EQ(readBytes(src_ + "/vanlig.txt"), "v");
    const QStringList l = testutil::readLines(path("log.txt"));
    EXPECT_TRUE(l.contains("! Filen kopierades inte: " + src_ + "/länkad/x.txt (mappen " + src_ +
                           "/länkad är en länk och följs inte)"));
    EXPECT_TRUE(
        l.contains("! Filen kopierades inte: " + src_ + "/fil.txt (den är en länk och ersätts inte)"));
}

// A job's main folder moved away and a link put in its place leads elsewhere: nothing is written
// through it, into folders of its own neither.
TEST_F(RestoreEngineTest, TheCopyBackWritesNothingThroughALinkWhereTheMainFolderWas) {
    writeFile(copyOf("a.txt"), "a", t0_);
    writeFile(copyOf("Brev/b.txt"), "b", t0_);
    const QString pictures = work("Bilder");
    writeFile(pictures + "/a.txt", "användarens", t0_.addSecs(-60));
    ASSERT_TRUE(QDir().rmdir(src_));
    ASSERT_TRUE(QFile::link(pictures, src_));
    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    const RestoreEngine::CopyResult r = restoreAll(e, 2);
    EXPECT_EQ(r.totals.files, 0);
    EXPECT_EQ(r.totals.errors, 2);
    EXPECT_EQ(testutil::treeFiles(pictures), QStringList({"a.txt"}));
    EXPECT_EQ(readBytes(pictures + "/a.txt"), "användarens");
    EXPECT_TRUE(testutil::readLines(path("log.txt"))
                    .contains("! Filen kopierades inte: " + src_ + "/a.txt (mappen " + src_ +
                              " är en länk och följs inte)"));
}

// A backup folder that cannot be read, and one that can be listed but not entered (mode 644): the
// scan goes on with the rest, names each, and the copy back does not say it restored everything.
TEST_F(RestoreEngineTest, TheScanGoesPastFoldersItCannotReadAndNamesThem) {
    writeFile(copyOf("a.txt"), "a", t0_);
    writeFile(copyOf("läs/b.txt"), "b", t0_);
    writeFile(copyOf("stängd/c.txt"), "c", t0_);
    writeFile(copyOf("öppen/d.txt"), "d", t0_);
    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    e.listFolders(backup_ + src_);
    ASSERT_EQ(e.folders.size(), 4);
    platform::injectFault(copyOf("läs"), EIO);
    platform::injectFault(copyOf("stängd") + "#enter", EACCES);
    ASSERT_EQ(e.scan(std::vector<char>(size_t(e.folders.size()), 1), mapping(), true).outcome,
              RestoreEngine::Outcome::Done);
    platform::clearFaults();

    EXPECT_EQ(displays(e), QStringList({"+ " + src_ + "/öppen/d.txt", "+ " + src_ + "/a.txt"}));
    EXPECT_EQ(e.unreadableText(), "1 mapp kunde inte läsas, 1 fil kunde inte läsas");
    EXPECT_TRUE(view_.lines.contains("!FEL! Mappen kunde inte läsas: " + copyOf("läs") +
                                     " (Felkod 57 I/O-fel på enheten)"))
        << view_.lines.join('\n').toStdString();
    EXPECT_TRUE(view_.lines.contains("!FEL! Filen kunde inte läsas: " + copyOf("stängd/c.txt") +
                                     " (Felkod 70 Åtkomst nekad)"));

    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});
    EXPECT_EQ(r.totals.files, 2);
    EXPECT_EQ(r.totals.errors, 2);
    EXPECT_TRUE(testutil::readLines(path("log.txt"))
                    .contains("! Kunde inte läsas i backupen och återställdes inte: " + copyOf("läs") +
                              " (Felkod 57 I/O-fel på enheten)"));
}

// A copy killed half-way leaves the program's hidden temporary file beside its target.
TEST_F(RestoreEngineTest, TheCopyBackRemovesLeftoversOfKilledCopiesInTheFoldersItCopiesInto) {
    writeFile(copyOf("a.txt"), "a", t0_);
    writeFile(copyOf("tom/finns.txt"), "f", t0_);
    writeFile(src_ + "/tom/finns.txt", "f", t0_);
    const QString own = platform::temporaryName("egen.txt");
    writeFile(copyOf(own), "användarens", t0_);
    const struct {
        QString path;
        bool link;
        bool stays;
    } cases[] = {
        {src_ + "/" + platform::temporaryName("a.txt"), false, false},
        {src_ + "/" + platform::temporaryName("b.txt"), true, true},          // a link is never the program's
        {src_ + "/" + own, false, true},                                      // the backup holds the name too
        {src_ + "/.tamrel-inte-ett-namn", false, true},                       // not the temporary pattern
        {src_ + "/.tamrel-a.txt.Ab12Cd", false, true},                        // the user's, named alike
        {src_ + "/tom/" + platform::temporaryName("finns.txt"), false, true}, // nothing is copied into tom
    };
    for (const auto& c : cases) {
        if (c.link)
            ASSERT_TRUE(QFile::link(work("mål.txt"), c.path));
        else
            writeFile(c.path, "rest", t0_);
    }
    writeFile(work("mål.txt"), "länkens mål", t0_);
    RestoreEngine e(view_, prog().programFolder(), prog().clock);
    ASSERT_EQ(scanAll(e, false).outcome, RestoreEngine::Outcome::Done);
    ASSERT_EQ(displays(e), QStringList({"+ " + src_ + "/a.txt"}));

    e.copyBack(all(e), {"Dokument", QString()});
    EXPECT_EQ(readBytes(src_ + "/a.txt"), "a");
    for (const auto& c : cases)
        EXPECT_EQ(QFileInfo(c.path).exists() || QFileInfo(c.path).isSymLink(), c.stays)
            << c.path.toStdString();
    EXPECT_EQ(readBytes(work("mål.txt")), "länkens mål");
}

} // namespace

// A stop asked for while a big file is copied back ends that copy there: the user's file stays as
// it was, nothing of the copy is left, and the copy back counts it as not copied.
TEST_F(RestoreEngineTest, AStopDuringABigFilesCopyLeavesTheOriginal) {
    class StopInCopy : public FakeView {
      public:
        bool stopRequested() const override { return armed && ++asks > 1; }
        bool armed = false;
        mutable int asks = 0;
    } view;
    writeFile(copyOf("stor.bin"), QByteArray(24 << 20, 'n'), t0_.addSecs(100));
    writeFile(src_ + "/stor.bin", "original", t0_);
    RestoreEngine e(view, prog().programFolder(), prog().clock);
    e.listFolders(backup_ + src_);
    ASSERT_EQ(e.scan(std::vector<char>(size_t(e.folders.size()), 1), mapping(), true).outcome,
              RestoreEngine::Outcome::Done);
    ASSERT_EQ(e.entries.size(), 1u);
    view.armed = true; // the copy back's own look passes; the copy's first block is asked next

    const RestoreEngine::CopyResult r = e.copyBack(all(e), {"Dokument", QString()});

    EXPECT_EQ(r.outcome, RestoreEngine::Outcome::Stopped);
    EXPECT_EQ(readBytes(src_ + "/stor.bin"), "original");
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({"stor.bin"}));
    EXPECT_EQ(r.totals.files, 0);
    EXPECT_EQ(e.entries.size(), 1u);
}
