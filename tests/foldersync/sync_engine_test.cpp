#include "foldersync/sync_engine.h"
#include "sync_support.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using synctest::at;

namespace {

class SyncEngineTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        a = work("A");
        b = work("B");
        engine = std::make_unique<SyncEngine>(view, programDir_.path());
        engine->request.mapp1 = a;
        engine->request.mapp2 = b;
        synclogic::startLog(programDir_.path(), at());
    }
    void TearDown() override {
        platform::clearVolumeParents();
        ProgramTest::TearDown();
    }
    void directions(bool one, bool two) {
        engine->request.från1 = one;
        engine->request.från2 = two;
    }
    void prepare() {
        engine->resetRun();
        engine->kolla_om_mapparna_finns();
        engine->ladda_mappar_sync();
        engine->skapa_mappar_sync();
        engine->räknaallasyncfiler();
    }
    void run() {
        prepare();
        engine->loopa_mappar_sync();
    }
    QStringList runLog() { return testutil::readLines(path("log.txt")).mid(3); }
    QStringList errLog() { return testutil::readLines(path("log_err.txt")); }
    void write(const QString& p, const QByteArray& bytes, int seconds) {
        testutil::writeFile(p, bytes, at(seconds));
    }

    RecordingView view;
    std::unique_ptr<SyncEngine> engine;
    QString a, b;
};

TEST_F(SyncEngineTest, OneWayCopiesNewAndLaterFilesWithTheirTimesAndDeletesNothing) {
    write(a + "/ny.txt", "ny", 0);
    write(a + "/x/y/djup.txt", "djup", 0);
    write(a + "/senare.txt", "senare", 10);
    write(b + "/senare.txt", "gammal", 8);
    write(a + "/en_sekund.txt", "ett", 9);
    write(b + "/en_sekund.txt", "kvar", 8);
    write(a + "/äldre.txt", "äldre", 0);
    write(b + "/äldre.txt", "nyare", 5);
    write(a + "/samma.txt", "kort", 3);
    write(b + "/samma.txt", "mycket längre", 3);
    write(b + "/bara_i_b.txt", "stannar", 0);
    directions(true, false);

    run();

    EXPECT_EQ(testutil::readBytes(b + "/ny.txt"), "ny");
    EXPECT_EQ(testutil::mtimeOf(b + "/ny.txt"), at(0).toSecsSinceEpoch());
    EXPECT_EQ(testutil::readBytes(b + "/x/y/djup.txt"), "djup");
    EXPECT_EQ(testutil::readBytes(b + "/senare.txt"), "senare");
    EXPECT_EQ(testutil::mtimeOf(b + "/senare.txt"), at(10).toSecsSinceEpoch());
    EXPECT_EQ(testutil::readBytes(b + "/en_sekund.txt"), "kvar");      // one second newer: left alone
    EXPECT_EQ(testutil::readBytes(b + "/äldre.txt"), "nyare");         // the target is newer
    EXPECT_EQ(testutil::readBytes(b + "/samma.txt"), "mycket längre"); // sizes play no part
    EXPECT_EQ(testutil::readBytes(b + "/bara_i_b.txt"), "stannar");
    EXPECT_FALSE(QFile::exists(a + "/bara_i_b.txt")); // the other direction was not asked for
    EXPECT_EQ(testutil::treeFiles(a).size(), 6);

    const synclogic::SyncCounts& c = engine->counts;
    EXPECT_EQ(c.antal_kopierade, 3);
    EXPECT_EQ(c.antal_nya, 2);
    EXPECT_EQ(c.antal_ändrade, 1);
    EXPECT_EQ(c.antal_behandlade, 6);
    EXPECT_EQ(engine->filtotal, 6);
    EXPECT_NEAR(c.kopierade_mb, 12e-6, 1e-9);
    // Pairs are handled from the last folder up; each pass empties its list.
    EXPECT_EQ(runLog(), QStringList({"+ " + b + "/x/y/djup.txt", "+ " + b + "/ny.txt", b + "/senare.txt"}));
    EXPECT_TRUE(engine->List3.empty());
    EXPECT_EQ(engine->List4.size(), 1u);
    EXPECT_FALSE(engine->imgerr);
    EXPECT_TRUE(view.windowLines.contains(" 6 filer hittades."));
    EXPECT_FALSE(view.windowLines.join('\n').contains("kopierade filer.")); // one direction: no pass line
}

TEST_F(SyncEngineTest, TwoWayCopiesEachNewerFileOnceAndNeverBack) {
    write(a + "/bara_a.txt", "a", 0);
    write(b + "/sub/bara_b.txt", "b", 0);
    write(a + "/nyare_i_b.txt", "gammal", 0);
    write(b + "/nyare_i_b.txt", "ny", 20);

    run();

    EXPECT_EQ(testutil::readBytes(b + "/bara_a.txt"), "a");
    EXPECT_EQ(testutil::readBytes(a + "/sub/bara_b.txt"), "b");
    EXPECT_EQ(testutil::readBytes(a + "/nyare_i_b.txt"), "ny");
    EXPECT_EQ(testutil::mtimeOf(a + "/nyare_i_b.txt"), at(20).toSecsSinceEpoch());
    EXPECT_EQ(engine->counts.antal_kopierade, 3);
    // The copy made on the way out is looked at on the way back, and the total knows it.
    EXPECT_EQ(engine->counts.antal_behandlade, 5);
    EXPECT_EQ(engine->filtotal, 5);
    EXPECT_EQ(view.windowLines.filter(" Mapp 2: "),
              QStringList({" Mapp 1 -> Mapp 2: 1 kopierad fil.", " Mapp 1 <- Mapp 2: 2 kopierade filer."}));
    EXPECT_EQ(view.systemLines.filter("Läser in mappar från ").size(), 3); // one per pair: A, B, B/sub
    EXPECT_EQ(view.systemLines.last(), "Klar med mappsynkronisering.");

    // A second run finds nothing to do.
    run();
    EXPECT_EQ(engine->counts.antal_kopierade, 0);
}

TEST_F(SyncEngineTest, MissingRootsAreCreatedAlsoWhenSimulatingButNotBelowAnAbsentVolume) {
    write(a + "/x/y/f.txt", "f", 0);
    engine->request.simulera = true;
    run();
    EXPECT_TRUE(QDir(b).exists());
    EXPECT_TRUE(view.systemLines.contains("Skapade mappen \"" + b + "/\" för mappsynkronisering."));
    EXPECT_EQ(engine->List1.size(), 3);
    EXPECT_FALSE(QDir(b + "/x").exists());

    // Not simulating: every folder of one side gets its counterpart, whatever the directions.
    QDir(b).removeRecursively();
    engine->request.simulera = false;
    directions(false, true);
    prepare();
    EXPECT_TRUE(QDir(b + "/x/y").exists());
    ASSERT_EQ(engine->List3.size(), 3u);
    EXPECT_EQ(engine->List3[2].source, a + "/x/y/");
    EXPECT_EQ(engine->List3[2].target, b + "/x/y/");
    EXPECT_EQ(engine->List4.size(), 1u);
    EXPECT_EQ(engine->filtotal, 1); // only folder 2's files count, and it has none

    // A folder on a disk that is not plugged in is neither made nor listed.
    platform::addVolumeParent(work("mnt"));
    testutil::makeDir(work("mnt"));
    engine->request.mapp1 = work("mnt/usb/A");
    view.systemLines.clear();
    run();
    EXPECT_FALSE(QDir(work("mnt/usb")).exists());
    EXPECT_TRUE(view.systemLines.filter("Skapade mappen").isEmpty());
    EXPECT_EQ(view.reports, QStringList({"Mappen \"" + work("mnt/usb/A") + "\" finns inte!"}));
    EXPECT_TRUE(view.windowLines.contains(" Mappen \"" + work("mnt/usb/A") + "\" finns inte!"));
    EXPECT_TRUE(engine->List1.isEmpty() && engine->List2.isEmpty());
    EXPECT_EQ(engine->counts.antal_kopierade, 0);
}

TEST_F(SyncEngineTest, AFailedCopyLeavesTheOldTargetWholeAndNothingHalfWritten) {
    write(a + "/f.txt", "ny och längre", 10);
    write(b + "/f.txt", "gammal", 0);
    write(a + "/g.txt", "g", 0);
    platform::injectFault(b + "/f.txt#write", EIO);
    directions(true, false);

    run();

    EXPECT_EQ(testutil::readBytes(b + "/f.txt"), "gammal");
    EXPECT_EQ(testutil::treeFiles(b), QStringList({"f.txt", "g.txt"})); // no temporary file left
    EXPECT_EQ(engine->counts.antal_misslyckade, 1);
    EXPECT_EQ(engine->counts.antal_kopierade, 1);
    EXPECT_TRUE(engine->imgerr);
    EXPECT_EQ(errLog(),
              QStringList({"", "", "FEL: Felkod 57 " + platform::errorDescription(57) + " (Jobb: " + a + ")",
                           "Från: " + a + "/f.txt", "Till: " + b + "/f.txt", ""}));

    // What a killed copy left in folder 2 is never copied back as if it were the user's file.
    platform::clearFaults();
    const QString leftover = platform::temporaryName("f.txt");
    write(b + "/" + leftover, "halv", 20);
    directions(false, true);
    run();
    EXPECT_FALSE(QFile::exists(a + "/" + leftover));
}

TEST_F(SyncEngineTest, AccessErrorsAreRetriedOnceUnlessTheSettingForbidsIt) {
    write(a + "/låst.txt", "data", 0);
    write(a + "/spärrad.txt", "data", 0);
    platform::injectFault(b + "/låst.txt", EROFS);     // 75, passing
    platform::injectFault(b + "/spärrad.txt", EACCES); // 70, stays
    view.onIdle = [&] {
        platform::clearFaults();
        platform::injectFault(b + "/spärrad.txt", EACCES);
    };
    directions(true, false);
    run();
    EXPECT_EQ(testutil::readBytes(b + "/låst.txt"), "data");
    EXPECT_EQ(runLog(), QStringList({"* " + b + "/låst.txt"}));
    EXPECT_EQ(engine->counts.antal_skyddade, 1);
    EXPECT_EQ(engine->counts.antal_kopierade, 1);
    EXPECT_EQ(engine->counts.antal_kopierade_pass, 0);
    EXPECT_EQ(engine->counts.antal_misslyckade, 1);
    EXPECT_EQ(errLog().mid(2, 3),
              QStringList({"FEL: filen kunde inte kopieras. (Jobb: " + a + ")", "Från: " + a + "/spärrad.txt",
                           "Till: " + b + "/spärrad.txt"}));

    QDir(b).removeRecursively();
    synclogic::startLog(programDir_.path(), at());
    engine->request.neverShellCopy = true;
    platform::injectFault(b + "/låst.txt", EACCES);
    view.onIdle = [] { platform::clearFaults(); };
    run();
    EXPECT_FALSE(QFile::exists(b + "/låst.txt"));
    EXPECT_EQ(errLog()[2], "FEL: Felkod 70 Åtkomst nekad (Jobb: " + a + ")");
}

// A folder that cannot be read, and one that can be listed but not entered (mode 644): each
// unreadable folder and file is named once and counted, and the run goes on with the rest.
TEST_F(SyncEngineTest, FoldersThatCannotBeReadAreNamedCountedAndPassed) {
    write(a + "/1.txt", "1", 0);
    write(a + "/läs/2.txt", "2", 0);
    write(a + "/stängd/3.txt", "3", 0);
    write(a + "/stängd/inre/4.txt", "4", 0);
    platform::injectFault(a + "/läs", EIO);
    platform::injectFault(a + "/stängd#enter", EACCES);
    directions(true, false);
    run();
    platform::clearFaults();

    EXPECT_EQ(testutil::treeFiles(b), QStringList({"1.txt"}));
    EXPECT_EQ(engine->counts.antal_olästa_mappar, 2);
    EXPECT_EQ(engine->counts.antal_misslyckade, 1);
    const QStringList err = errLog();
    EXPECT_EQ(err.count("Från: " + a + "/läs"), 1) << err.join('\n').toStdString();
    EXPECT_EQ(err.count("Från: " + a + "/stängd/inre"), 1) << err.join('\n').toStdString();
    EXPECT_TRUE(err.contains("FEL: Felkod 70 Åtkomst nekad (Jobb: " + a + ")"));
    EXPECT_EQ(err.count("Från: " + a + "/stängd/3.txt"), 1);
    EXPECT_TRUE(synclogic::summaryBlock(engine->counts, false).contains("  2 mappar kunde inte läsas"));
}

TEST_F(SyncEngineTest, AFullDiskEndsThePass) {
    write(a + "/1.txt", "1", 0);
    write(a + "/2.txt", "2", 0);
    platform::injectFault(b + "/1.txt", ENOSPC);
    directions(true, false);
    prepare();
    EXPECT_THROW(engine->loopa_mappar_sync(), platform::RunError);
    EXPECT_FALSE(QFile::exists(b + "/2.txt"));
    EXPECT_EQ(errLog()[2], "FEL: Felkod 61 Disken är full (Jobb: " + a + ")");
}

TEST_F(SyncEngineTest, ATargetThatBecameNewerSinceTheFolderWasReadIsKept) {
    write(a + "/f.txt", "källa", 10);
    write(b + "/f.txt", "gammal", 0);
    write(a + "/g.txt", "källa", 10);
    directions(true, false);
    prepare();
    // While the files are handled, someone saves both in folder 2; g.txt is new there.
    view.onYield = [&] {
        if (!engine->File1.empty() && !QFile::exists(b + "/g.txt")) {
            write(b + "/f.txt", "sparad nu", 30);
            write(b + "/g.txt", "sparad nu", 30);
        }
    };
    engine->loopa_mappar_sync();
    EXPECT_EQ(testutil::readBytes(b + "/f.txt"), "sparad nu");
    EXPECT_EQ(testutil::readBytes(b + "/g.txt"), "sparad nu");
    EXPECT_EQ(engine->counts.antal_kopierade, 0);
}

TEST_F(SyncEngineTest, LinkedFoldersAreNeverFollowed) {
    write(work("ute/hemlig.txt"), "ute", 0);
    write(a + "/x/f.txt", "a", 0);
    testutil::makeDir(b);
    ASSERT_TRUE(QFile::link(work("ute"), a + "/länk"));
    ASSERT_TRUE(QFile::link(work("ute"), b + "/x"));
    const auto outside = synctest::snapshot(work("ute"));

    run();

    EXPECT_EQ(engine->List1, QStringList({a, a + "/x"}));
    EXPECT_EQ(synctest::snapshot(work("ute")), outside); // nothing went through folder 2's link
    EXPECT_FALSE(QFile::exists(b + "/länk"));
    EXPECT_EQ(engine->counts.antal_kopierade, 0);
    EXPECT_TRUE(view.systemLines.contains("Mappen \"" + b +
                                          "/x/\" är en länk och följs inte vid mappsynkronisering."));
}

TEST_F(SyncEngineTest, SizeCheckPatternAndRefusedNames) {
    write(a + "/växer.txt", "kort", 0);
    write(a + "/bild.jpg", "jpg", 0);
    engine->request.sizeCheck = true;
    engine->request.pattern = "*.txt";
    directions(true, false);
    // The source grows right after its copy was made.
    view.onCounters = [&] { write(a + "/växer.txt", "mycket längre", 0); };
    run();
    EXPECT_FALSE(QFile::exists(b + "/bild.jpg"));
    EXPECT_EQ(engine->filtotal, 1);
    EXPECT_EQ(engine->counts.antal_fel_filstorlek, 1);
    EXPECT_EQ(
        errLog().mid(2, 3),
        QStringList({"FEL: filstorleken på den kopierade filen matchar inte originalfilen. (Jobb: " + a + ")",
                     "Original: " + a + "/växer.txt (14 bytes)", "Kopia: " + b + "/växer.txt (4 bytes)"}));

    view.onCounters = {};
    testutil::makeDir(a);
    const int fd = ::open((QFile::encodeName(a) + "/fel\xff.txt").constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    engine->request.pattern = "*.*";
    run();
    EXPECT_EQ(engine->counts.antal_misslyckade, 1);
    EXPECT_TRUE(errLog().join('\n').contains("FEL: filnamnet innehåller otillåtna tecken."));
    ::unlink((QFile::encodeName(a) + "/fel\xff.txt").constData());
}

TEST_F(SyncEngineTest, ACancelFinishesTheFileInHandAndStopsBeforeTheNext) {
    write(a + "/1.txt", "1", 0);
    write(a + "/2.txt", "2", 0);
    write(a + "/x/3.txt", "3", 0);
    directions(true, true);
    prepare();
    view.onCounters = [&] { view.cancel = true; }; // pressed while the first file is copied
    engine->loopa_mappar_sync();
    EXPECT_EQ(testutil::treeFiles(b), QStringList({"x/3.txt"}));
    EXPECT_EQ(engine->List3.size(), 1u); // the cancelled pair is still removed
    EXPECT_FALSE(view.systemLines.contains("Klar med mappsynkronisering."));
    EXPECT_EQ(view.systemLines.filter("Läser in mappar från").size(), 2);
}

// Only what the program itself left goes: a user's file that is merely named alike stays, and is
// copied like any other; the program's own file in a source is passed over with a line.
TEST_F(SyncEngineTest, WhatKilledCopiesLeftInTheFoldersCopiedIntoIsRemovedAndNothingOfTheUsers) {
    write(a + "/f.txt", "f", 0);
    write(a + "/x/g.txt", "g", 0);
    const QString left = b + "/" + platform::temporaryName("f.txt"),
                  deeper = b + "/x/" + platform::temporaryName("g.txt"),
                  inSource = a + "/" + platform::temporaryName("h.txt");
    write(left, "halv", 0);
    write(deeper, "halv", 0);
    write(inSource, "halv", 0);
    // Named like the program's files, but the user's: alone in folder 2, or on both sides.
    write(b + "/.tamrel-rapport.abc123", "användarens", 0);
    write(a + "/.tamrel-egen.txt.abcdef", "egen", 0);
    write(b + "/.tamrel-egen.txt.abcdef", "egen", 0);
    write(work("ute/mål.txt"), "ute", 0);
    const QString link = b + "/" + platform::temporaryName("mål.txt");
    ASSERT_TRUE(QFile::link(work("ute/mål.txt"), link));
    directions(true, false);

    engine->request.simulera = true;
    run();
    EXPECT_TRUE(QFile::exists(left));
    EXPECT_TRUE(QFile::exists(deeper));

    engine->request.simulera = false;
    run();
    EXPECT_FALSE(QFile::exists(left));
    EXPECT_FALSE(QFile::exists(deeper));
    EXPECT_EQ(testutil::readBytes(b + "/.tamrel-rapport.abc123"), "användarens");
    EXPECT_EQ(testutil::readBytes(b + "/.tamrel-egen.txt.abcdef"), "egen");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFile::exists(inSource));
    EXPECT_TRUE(runLog().contains("- Programmets temporära fil hoppades över: " + inSource))
        << runLog().join('\n').toStdString();
}

// A file saved in folder 2 while its copy is made is the user's newest: it stays, and the log
// says the file was not copied.
TEST_F(SyncEngineTest, ATargetSavedWhileItsCopyIsMadeIsKept) {
    write(a + "/ny.txt", "källa", 10);
    write(a + "/f.txt", "källa", 10);
    write(b + "/f.txt", "gammal", 0);
    directions(true, false);
    platform::setCopyHook([&](const QString&, const QString& target) {
        // An editor's save: a new file renamed over the old one (or put where there was none).
        write(target + ".new", "sparad nu", 5);
        ASSERT_EQ(
            ::rename(QFile::encodeName(target + ".new").constData(), QFile::encodeName(target).constData()),
            0);
    });
    run();
    platform::setCopyHook({});
    EXPECT_EQ(testutil::readBytes(b + "/f.txt"), "sparad nu");
    EXPECT_EQ(testutil::readBytes(b + "/ny.txt"), "sparad nu");
    EXPECT_EQ(engine->counts.antal_kopierade, 0);
    EXPECT_EQ(engine->counts.antal_misslyckade, 2);
    for (const char* name : {"f.txt", "ny.txt"}) {
        EXPECT_TRUE(errLog().contains("Till: " + b + "/" + name));
        EXPECT_TRUE(view.systemLines.contains(
            "FEL! Filen kopierades inte, eftersom målfilen ändrades under kopieringen: " + b + "/" + name));
    }
    EXPECT_TRUE(errLog().contains(
        "FEL: filen kopierades inte, eftersom målfilen ändrades under kopieringen. (Jobb: " + a + ")"));
}

// Both folders on disks that do not take a file's time (NFS with root_squash): each copy carries
// the time it was made, which is no time of the file's own. Said, and never copied back over its
// original, neither now nor at a later run.
TEST_F(SyncEngineTest, ATwoWayRunOnDisksThatKeepNoTimesCopiesNothingBack) {
    write(a + "/f.txt", "från a", 0);
    write(b + "/g.txt", "från b", 0);
    for (const QString& folder : {a, b})
        for (const char* name : {"/f.txt", "/g.txt"})
            platform::injectFault(folder + name + "#time", EPERM);

    run();
    EXPECT_EQ(testutil::readBytes(b + "/f.txt"), "från a");
    EXPECT_EQ(testutil::readBytes(a + "/g.txt"), "från b");
    EXPECT_EQ(testutil::mtimeOf(a + "/f.txt"), at(0).toSecsSinceEpoch()); // the originals untouched
    EXPECT_EQ(testutil::mtimeOf(b + "/g.txt"), at(0).toSecsSinceEpoch());
    EXPECT_EQ(engine->counts.antal_kopierade, 2);
    EXPECT_EQ(engine->counts.antal_misslyckade, 2);
    EXPECT_TRUE(errLog().contains("FEL: filens ändringstid kunde inte behållas. (Jobb: " + a + ")"));
    EXPECT_TRUE(view.systemLines.contains("FEL! Filens ändringstid kunde inte behållas: " + b + "/f.txt"));

    run();
    EXPECT_EQ(engine->counts.antal_kopierade, 0);
    EXPECT_EQ(engine->counts.antal_misslyckade, 0);
}

// A folder on a disk that keeps no times, whose copy the record holds nothing for (a record lost,
// a copy made by hand): its later time may be the one a run wrote, so it replaces nothing. The
// same content is left alone; other content is named as an error and both files stay.
TEST_F(SyncEngineTest, ACopyWithoutARecordOnADiskThatKeepsNoTimesReplacesNothingByItsTime) {
    const struct {
        QByteArray there;
        int errors;
    } cases[] = {{"samma", 0}, {"annat", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.there.constData());
        synclogic::startLog(programDir_.path(), at());
        write(a + "/f.txt", "samma", 0);
        write(b + "/f.txt", c.there, 3600);
        platform::injectFault(b + "#time", EPERM);
        run();
        EXPECT_EQ(testutil::readBytes(a + "/f.txt"), "samma");
        EXPECT_EQ(testutil::readBytes(b + "/f.txt"), c.there);
        EXPECT_EQ(engine->counts.antal_kopierade, 0);
        EXPECT_EQ(engine->counts.antal_misslyckade, c.errors);
        EXPECT_EQ(view.systemLines.contains("FEL! Det går inte att avgöra vilken fil som är nyare: " + b +
                                            "/f.txt eller " + a + "/f.txt"),
                  c.errors == 1);
        platform::clearFaults();
    }
    EXPECT_TRUE(
        errLog().contains("FEL: det går inte att avgöra vilken fil som är nyare, eftersom disken inte "
                          "behåller filernas ändringstider. Ingen av filerna skrevs över. (Jobb: " +
                          a + ")"));
}

// A disk that ignores letter case (FAT, exFAT) takes Readme.txt and README.txt for one name: the
// first is copied, the second is never written over it, at this run or a later one.
TEST_F(SyncEngineTest, NamesThatDifferOnlyInLetterCaseOntoAFoldingDiskGiveOneCopyAndOneError) {
    write(a + "/README.txt", "stor", 0);
    write(a + "/Readme.txt", "liten", 0);
    platform::standInCaseFolding(b);
    directions(true, false);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        synclogic::startLog(programDir_.path(), at());
        run();
        EXPECT_EQ(testutil::treeFiles(b), QStringList({"README.txt"}));
        EXPECT_EQ(testutil::readBytes(b + "/README.txt"), "stor");
        EXPECT_EQ(engine->counts.antal_kopierade, pass == 0 ? 1 : 0);
        EXPECT_EQ(engine->counts.antal_misslyckade, 1);
        EXPECT_EQ(
            errLog().mid(2, 3),
            QStringList({"FEL: målmappen skiljer inte på stora och små bokstäver: Readme.txt kopierades "
                         "inte, eftersom README.txt har samma namn där. (Jobb: " +
                             a + ")",
                         "Från: " + a + "/Readme.txt", "Till: " + b + "/README.txt"}));
        // The second one changes; still the first stays.
        write(a + "/Readme.txt", "liten, ändrad", 60);
    }
    platform::standInCaseFolding(QString());
}

// A folder name that is not text (from another system's disk) cannot be used: it is passed over
// and named, and the rest of the run goes on.
TEST_F(SyncEngineTest, AFolderWhoseNameIsNotTextIsPassedOverAndTheRestIsCopied) {
    write(a + "/normal.txt", "n", 0);
    write(a + "/sub/deep.txt", "d", 0);
    const QByteArray names[] = {"Bilder-\xe5r", "rad\nbrytning"};
    for (const QByteArray& name : names) {
        const QByteArray folder = QFile::encodeName(a) + '/' + name;
        ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
        const int fd = ::open((folder + "/in.txt").constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    directions(true, true);
    run();
    EXPECT_EQ(testutil::treeFiles(b), QStringList({"normal.txt", "sub/deep.txt"}));
    EXPECT_EQ(QDir(b).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList({"sub"}));
    EXPECT_EQ(engine->counts.antal_kopierade, 2);
    EXPECT_EQ(engine->counts.antal_misslyckade, 2);
    for (const QString& shown : {a + "/Bilder-?r", a + "/rad?brytning"}) {
        EXPECT_TRUE(view.systemLines.contains("FEL! Mappnamnet innehåller otillåtna tecken: " + shown))
            << view.systemLines.join('\n').toStdString();
        EXPECT_TRUE(errLog().contains("Från: " + shown + "/"));
    }
    EXPECT_TRUE(view.systemLines.contains("Klar med mappsynkronisering."));
    platform::removeFolderRecursively(a); // names that are not text are gone only byte by byte
}

// A one-way run reads the other folder only to copy into it: a folder name there that is not text
// is none of its business and no error of the run.
TEST_F(SyncEngineTest, AOneWayRunLeavesAFolderNameThatIsNotTextOnTheSideItDoesNotCopyFrom) {
    write(a + "/ny.txt", "ny", 0);
    testutil::makeDir(b);
    const QByteArray folder = QFile::encodeName(b) + "/Bilder-\xe5r";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    directions(true, false);
    run();
    EXPECT_EQ(testutil::readBytes(b + "/ny.txt"), "ny");
    EXPECT_EQ(engine->counts.antal_misslyckade, 0);
    EXPECT_FALSE(engine->imgerr);
    EXPECT_TRUE(view.systemLines.filter("FEL!").isEmpty()) << view.systemLines.join('\n').toStdString();
    EXPECT_FALSE(errLog().join('\n').contains("FEL:"));
    EXPECT_EQ(::access(folder.constData(), F_OK), 0);
    platform::removeFolderRecursively(b);
}

TEST_F(SyncEngineTest, ACopiedFilesLineReachesTheLogWithinASecondWhileItsFolderGoesOn) {
    prog().clock.setNow(at());
    write(a + "/1.txt", "1", 0);
    write(a + "/2.txt", "2", 0);
    write(a + "/3.txt", "3", 0);
    directions(true, false);
    QStringList atSecond, atThird;
    platform::setCopyHook([&](const QString&, const QString& target) {
        if (target.endsWith("/2.txt")) {
            atSecond = runLog();
            prog().clock.advance(2);
        } else if (target.endsWith("/3.txt")) {
            atThird = runLog();
        }
    });
    run();
    platform::setCopyHook({});
    EXPECT_EQ(atSecond, QStringList()); // not a write per file
    EXPECT_EQ(atThird, QStringList({"+ " + b + "/1.txt", "+ " + b + "/2.txt"}));
    EXPECT_EQ(runLog(), QStringList({"+ " + b + "/1.txt", "+ " + b + "/2.txt", "+ " + b + "/3.txt"}));
}

} // namespace

TEST_F(SyncEngineTest, AFolderOfMapp2SwappedForALinkDuringTheCopyIsNotWrittenThrough) {
    write(work("hem/Bilder/b.jpg"), "användarens", 0);
    write(a + "/x/f.txt", "a", 10);
    write(a + "/x/g.txt", "a", 10);
    testutil::makeDir(b + "/x");
    directions(true, false);
    bool swapped = false;
    platform::setCopyHook([&](const QString&, const QString&) {
        if (!std::exchange(swapped, true)) {
            ASSERT_TRUE(QDir().rename(b + "/x", b + "/x-undan") && QFile::link(work("hem/Bilder"), b + "/x"));
        }
    });
    run();
    platform::setCopyHook({});

    EXPECT_EQ(synctest::snapshot(work("hem/Bilder")).size(), 1u) << "nothing written into the link's folder";
    EXPECT_EQ(testutil::readBytes(b + "/x-undan/f.txt"), "a");
    EXPECT_EQ(testutil::readBytes(b + "/x-undan/g.txt"), "a");
}

TEST_F(SyncEngineTest, AFolderOfMapp2ThatBecameALinkSinceTheScanIsNotCopiedFrom) {
    write(work("hem/Bilder/b.jpg"), "användarens", 0);
    write(b + "/x/f.txt", "b", 10);
    testutil::makeDir(a + "/x");
    directions(true, true);
    prepare();
    ASSERT_TRUE(QDir().rename(b + "/x", b + "/x-undan") && QFile::link(work("hem/Bilder"), b + "/x"));
    engine->loopa_mappar_sync();

    EXPECT_FALSE(QFile::exists(a + "/x/b.jpg"));
    EXPECT_EQ(engine->counts.antal_olästa_mappar, 1);
}
