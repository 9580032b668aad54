#include "engine_support.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using testutil::readBytes;
using testutil::writeFile;

TEST(CopyRuleDecisions, TheTwoSecondRule) {
    EXPECT_EQ(decideCopy(false, 100, 0), CopyDecision::New);
    EXPECT_EQ(decideCopy(true, 100, 100), CopyDecision::Unchanged);
    EXPECT_EQ(decideCopy(true, 101, 100), CopyDecision::Unchanged); // one second later: unchanged
    EXPECT_EQ(decideCopy(true, 102, 100), CopyDecision::Replace);
    EXPECT_EQ(decideCopy(true, 100, 5000), CopyDecision::Unchanged); // newer wins: never copied back
    // The backup's own rule: a time two seconds or more apart either way, or another size.
    const struct {
        qint64 sourceTime, sourceSize, targetTime, targetSize;
        std::optional<qint64> recorded;
        CopyDecision d;
    } rows[] = {
        {100, 7, 100, 7, std::nullopt, CopyDecision::Unchanged},
        {101, 7, 100, 7, std::nullopt, CopyDecision::Unchanged}, // within two seconds, either way
        {100, 7, 101, 7, std::nullopt, CopyDecision::Unchanged},
        {102, 7, 100, 7, std::nullopt, CopyDecision::Replace},
        {100, 7, 5000, 7, std::nullopt, CopyDecision::Replace}, // a source turned older
        {100, 7, 100, 8, std::nullopt, CopyDecision::Replace},  // the size tells what the time does not
        // A copy whose time the disk did not keep stands for the source's time it was made of.
        {100, 7, 5000, 7, 100, CopyDecision::Unchanged},
        {100, 7, 5000, 7, 60, CopyDecision::Replace},
        {100, 7, 5000, 8, 100, CopyDecision::Replace},
    };
    for (const auto& r : rows)
        EXPECT_EQ(decideCopy(r.sourceTime, r.sourceSize, r.targetTime, r.targetSize, r.recorded), r.d)
            << r.sourceTime << " " << r.targetTime << " " << r.targetSize;
}

TEST(CopyRuleDecisions, SizeTypeAndNameFilters) {
    EXPECT_FALSE(excludedBySize(10'000'000, "10"));
    EXPECT_TRUE(excludedBySize(10'000'001, "10"));
    EXPECT_FALSE(excludedBySize(0, "0"));
    EXPECT_FALSE(excludedBySize(99'000'000, ""));
    EXPECT_TRUE(excludedBySize(2'600'000, "2,5")); // the user's decimal sign
    EXPECT_THROW(excludedBySize(5, "tio"), platform::RunError);

    const QString types = "*.tmp;*.bak";
    EXPECT_TRUE(excludedByType("/d/A.TMP", types));
    EXPECT_FALSE(excludedByType("/d/a.tm", types)); // passes the quick test only
    EXPECT_TRUE(excludedByType("/d/archive.tar.bak", types));
    EXPECT_FALSE(excludedByType("/d/old.bak/readme", types)); // the extension runs to the path's end
    EXPECT_FALSE(excludedByType("/d/a.tmp", ""));

    EXPECT_FALSE(excludedByName("top.ini", "desktop.ini;thumbs.db"));
    EXPECT_FALSE(excludedByName("a", "desktop.ini;thumbs.db"));
    EXPECT_TRUE(excludedByName("Desktop.INI", "desktop.ini;thumbs.db"));
    EXPECT_TRUE(excludedByName("THUMBS.DB", "desktop.ini;thumbs.db"));
    EXPECT_FALSE(excludedByName("a.ini", ""));
}

TEST(CopyRuleDecisions, ShownFileAndPercent) {
    EXPECT_EQ(fileDisplayText(3, 7, "a.bin", 5'000'000), "3/7 a.bin");
    EXPECT_EQ(fileDisplayText(3, 7, "a.bin", 5'000'001), "3/7 (5,00 MB) a.bin");
    EXPECT_EQ(percentText(1, 3), "33,3%");
    EXPECT_EQ(percentText(0, 0), "0,0%");
}

class CopyRuleTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        m->txtpattern = "*.*";
        src = work("src/Dokument");
        dst = work("backup/Dokument");
        pairUp(src, dst);
    }
    QString src, dst;
};

TEST_F(CopyRuleTest, NewReplacedAndUnchangedFilesWithTheirLogLinesAndCounters) {
    writeFile(src + "/ny.txt", "ny", at());
    writeFile(src + "/.dold", "dold", at());
    writeFile(src + "/byte.txt", "nytt innehåll", at(2));
    writeFile(dst + "/byte.txt", "gammalt", at());
    writeFile(src + "/en_sekund.txt", "ny", at(1));
    writeFile(dst + "/en_sekund.txt", "gl", at());
    writeFile(src + "/nyare_mål.txt", "ny", at());
    writeFile(dst + "/nyare_mål.txt", "gl", at(1));
    // Put back to an older content: the backup holds the source as it is.
    writeFile(src + "/äldre_källa.txt", "old", at());
    writeFile(dst + "/äldre_källa.txt", "new", at(3600));
    engine->filtotal = 4;

    engine->file_copy(0);

    EXPECT_EQ(readBytes(dst + "/ny.txt"), "ny");
    EXPECT_EQ(readBytes(dst + "/.dold"), "dold");
    EXPECT_EQ(readBytes(dst + "/byte.txt"), "nytt innehåll");
    EXPECT_EQ(testutil::mtimeOf(dst + "/byte.txt"), at(2).toSecsSinceEpoch());
    EXPECT_EQ(readBytes(dst + "/en_sekund.txt"), "gl");
    EXPECT_EQ(readBytes(dst + "/nyare_mål.txt"), "gl");
    EXPECT_EQ(readBytes(dst + "/äldre_källa.txt"), "old");
    EXPECT_EQ(testutil::mtimeOf(dst + "/äldre_källa.txt"), at().toSecsSinceEpoch());
    EXPECT_EQ(testutil::treeFiles(dst).size(), 6); // no temporary file left behind

    EXPECT_EQ(log("log.txt"), QStringList({"+ " + dst + "/.dold", "  " + dst + "/byte.txt",
                                           "+ " + dst + "/ny.txt", "  " + dst + "/äldre_källa.txt"}));
    EXPECT_EQ(engine->kopierade_totalt, 4);
    EXPECT_EQ(engine->kopierade_jobb, 4);
    EXPECT_EQ(engine->nya_totalt, 2);
    EXPECT_EQ(engine->ändrade_totalt, 2);
    EXPECT_EQ(engine->genomsökta_totalt, 6);
    EXPECT_EQ(engine->antalfel, 0);
    EXPECT_NEAR(engine->mb_kopierat, (2 + 4 + 14 + 3) / 1e6, 1e-9);
    EXPECT_EQ(progress.folderSteps, 6);
    EXPECT_EQ(progress.folderFiles, 6);
    EXPECT_EQ(progress.done, 5); // the last update comes before the last file is counted
    EXPECT_TRUE(progress.file.isEmpty());
    EXPECT_EQ(progress.targetFolder, dst + "/");
}

TEST_F(CopyRuleTest, FiltersExcludeIntoTheExclusionLogUnlessHidden) {
    m->txtexmb = "1";
    m->txtexpattern = "*.tmp";
    m->txtexfiler = "desktop.ini;TOP.INI";
    writeFile(src + "/stor.bin", QByteArray(1'500'000, 'x'), at());
    writeFile(src + "/skräp.TMP", "x", at());
    writeFile(src + "/top.ini", "x", at());
    writeFile(src + "/tom.bin", "", at());
    m->txtpattern = "*.bin;*.tmp;*.ini";
    writeFile(src + "/inte_med.doc", "x", at());

    engine->file_copy(0);

    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"tom.bin"}));
    EXPECT_EQ(log("log_ex.txt"), QStringList({"- Exkluderad filtyp: " + src + "/skräp.TMP",
                                              "- Exkluderad filstorlek: " + src + "/stor.bin (1,5 MB)",
                                              "- Exkluderat filnamn: " + src + "/top.ini"}));
    EXPECT_EQ(engine->exkluderade_totalt, 3);
    EXPECT_EQ(engine->genomsökta_totalt, 4);

    QFile::remove(path("log_ex.txt"));
    QFile::remove(dst + "/tom.bin");
    s->chkdöljfilterilogg->setChecked(true);
    engine->file_copy(0);
    EXPECT_FALSE(QFile::exists(path("log_ex.txt")));
    EXPECT_EQ(engine->exkluderade_totalt, 6);
}

TEST_F(CopyRuleTest, ABadSizeLimitFailsEveryFileThatHasALength) {
    m->txtexmb = "tio";
    writeFile(src + "/a.txt", "a", at());
    writeFile(src + "/tom.txt", "", at());
    engine->file_copy(0);
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"tom.txt"}));
    EXPECT_EQ(engine->misslyckade_totalt, 1);
    const QStringList err = log("log_err.txt");
    ASSERT_EQ(err.size(), 4);
    EXPECT_TRUE(err[1].startsWith("FEL: Felkod 13 ")) << err[1].toStdString();
    EXPECT_TRUE(err[1].endsWith(" (Jobb: Jobb)"));
}

TEST_F(CopyRuleTest, ASimulatedRunListsAndCountsButTouchesNothing) {
    m->txtversionshantering = "JA";
    m->txtversionmapp = work("versioner");
    m->txtversionmax = "5";
    s->chkfilstorlek->setChecked(true);
    s->chkfilstorlek2->setChecked(true);
    progress.sim = true;
    writeFile(src + "/ny.txt", "ny", at());
    writeFile(src + "/byte.txt", "nytt", at(10));
    writeFile(dst + "/byte.txt", "gammalt", at());
    writeFile(src + "/konflikt.txt", "lång text", at());
    writeFile(dst + "/konflikt.txt", "kort", at());

    engine->file_copy(0);

    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"byte.txt", "konflikt.txt"}));
    EXPECT_EQ(readBytes(dst + "/byte.txt"), "gammalt");
    EXPECT_FALSE(QDir(work("versioner")).exists());
    // The same time with another size is a change too.
    EXPECT_EQ(engine->simKällor,
              QStringList({src + "/byte.txt", src + "/konflikt.txt", "+ " + src + "/ny.txt"}));
    EXPECT_EQ(engine->simMål,
              QStringList({dst + "/byte.txt", dst + "/konflikt.txt", "+ " + dst + "/ny.txt"}));
    EXPECT_EQ(log("log.txt"),
              QStringList({"  " + dst + "/byte.txt", "  " + dst + "/konflikt.txt", "+ " + dst + "/ny.txt"}));
    EXPECT_EQ(engine->kopierade_totalt, 3);
    EXPECT_EQ(engine->versioner_totalt, 2);
    ASSERT_EQ(log("log_filversion.txt").size(), 2);
    EXPECT_EQ(engine->fel_filstorlek_totalt, 0); // no conflict check in a simulation
}

TEST_F(CopyRuleTest, SameTimeOtherLengthIsCopiedAndAConflictOnlyWithBothSizeChecks) {
    writeFile(src + "/a.txt", "lång text", at());
    writeFile(dst + "/a.txt", "kort", at());
    s->chkfilstorlek->setChecked(true);
    engine->file_copy(0);
    EXPECT_EQ(engine->fel_filstorlek_totalt, 0);
    EXPECT_EQ(readBytes(dst + "/a.txt"), "lång text");

    writeFile(dst + "/a.txt", "kort", at());
    s->chkfilstorlek2->setChecked(true);
    engine->file_copy(0);
    EXPECT_EQ(engine->fel_filstorlek_totalt, 1);
    EXPECT_EQ(engine->antalfel, 1);
    EXPECT_TRUE(engine->imgerr);
    EXPECT_EQ(readBytes(dst + "/a.txt"), "lång text");
    EXPECT_EQ(
        log("log_err.txt"),
        QStringList({"",
                     "FEL: En konflikt mellan filer med samma tidsstämpel men olika filstorlek. (Jobb: Jobb)",
                     "Original: " + src + "/a.txt (10 bytes)", "Kopia: " + dst + "/a.txt (4 bytes)"}));
    EXPECT_TRUE(program().systemLog().text().contains(
        "FEL! En konflikt mellan filer med samma tidsstämpel men olika filstorlek. (Jobb: Jobb)"));
}

TEST_F(CopyRuleTest, AFullDiskStopsTheRunAndLeavesTheOldTargetWhole) {
    writeFile(src + "/a.txt", "a", at());
    writeFile(src + "/b.txt", "nytt b", at(5));
    writeFile(dst + "/b.txt", "gammalt b", at());
    writeFile(src + "/c.txt", "c", at());
    platform::injectFault(dst + "/b.txt#write", ENOSPC);
    dialogs().expectWindow("frmerror");

    engine->file_copy(0);

    EXPECT_TRUE(progress.stop);
    EXPECT_EQ(readBytes(dst + "/b.txt"), "gammalt b");
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"a.txt", "b.txt"})); // c.txt never started
    EXPECT_EQ(
        log("log_err.txt"),
        QStringList({"", "FEL: Körningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!", "",
                     "FEL: Felkod 61 Disken är full (Jobb: Jobb)", "Från: " + src + "/b.txt",
                     "Till: " + dst + "/b.txt"}));
    EXPECT_EQ(progress.windowLines.first(),
              " Körningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!");
    EXPECT_EQ(engine->misslyckade_totalt, 1);
    EXPECT_EQ(engine->kopierade_totalt, 1);
    EXPECT_TRUE(engine->fel_i_jobbet);
    EXPECT_EQ(progress.file, "2/3 b.txt"); // a cancelled folder keeps the file shown
}

TEST_F(CopyRuleTest, AnAccessErrorIsRetriedOnceAndCountsAsProtectedWhenTheRetryWorks) {
    writeFile(src + "/låst.txt", "data", at());
    writeFile(src + "/spärrad.txt", "data", at());
    platform::injectFault(dst + "/låst.txt", EROFS);     // 75
    platform::injectFault(dst + "/spärrad.txt", EACCES); // 70, stays
    // The first failure is passing: it is gone when the retry comes.
    progress.onIdle = [&] {
        platform::clearFaults();
        platform::injectFault(dst + "/spärrad.txt", EACCES);
    };

    engine->file_copy(0);

    EXPECT_EQ(readBytes(dst + "/låst.txt"), "data");
    EXPECT_FALSE(QFile::exists(dst + "/spärrad.txt"));
    EXPECT_EQ(log("log.txt"), QStringList({"* " + dst + "/låst.txt"}));
    EXPECT_EQ(engine->skyddade_totalt, 1);
    EXPECT_EQ(engine->nya_totalt, 0);
    EXPECT_EQ(engine->kopierade_totalt, 1);
    EXPECT_EQ(engine->misslyckade_totalt, 1);
    EXPECT_EQ(log("log_err.txt"),
              QStringList({"", "FEL: filen kunde inte kopieras. Felkod 70 Åtkomst nekad. (Jobb: Jobb)",
                           "Från: " + src + "/spärrad.txt", "Till: " + dst + "/spärrad.txt"}));
    EXPECT_EQ(progress.windowLines,
              QStringList({" FEL: filen kunde inte kopieras: " + src + "/spärrad.txt"}));
}

// A file written to while it is copied: the copy could be short, and under the source's earlier
// time no later run would copy it again.
TEST_F(CopyRuleTest, ASourceThatGrowsDuringTheCopyIsNotPutInPlaceAndTheNextRunCopiesIt) {
    writeFile(src + "/ny.log", "rad 1\n", at());
    writeFile(src + "/rapport.doc", "version 2", at(60));
    writeFile(dst + "/rapport.doc", "version 1", at());
    platform::setCopyHook([](const QString& source, const QString&) {
        QFile f(source);
        if (f.open(QIODevice::Append))
            f.write("rad under kopieringen\n");
    });
    engine->file_copy(0);
    platform::setCopyHook({});

    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"rapport.doc"})); // nothing half-done
    EXPECT_EQ(readBytes(dst + "/rapport.doc"), "version 1");
    EXPECT_FALSE(QFile::exists(path("log.txt")));
    EXPECT_EQ(engine->misslyckade_totalt, 2);
    EXPECT_EQ(engine->antalfel, 2);
    EXPECT_EQ(log("log_err.txt").mid(0, 4),
              QStringList({"",
                           "FEL: filen ändrades medan den kopierades och kopierades inte. Den kopieras vid "
                           "nästa körning. (Jobb: Jobb)",
                           "Från: " + src + "/ny.log", "Till: " + dst + "/ny.log"}));
    EXPECT_EQ(progress.windowLines.first(), " FEL: filen ändrades medan den kopierades: " + src + "/ny.log");
    EXPECT_TRUE(program().systemLog().text().contains("FEL! Filen ändrades medan den kopierades: " + src +
                                                      "/ny.log"));

    engine->file_copy(0); // the next run, with the files at rest
    EXPECT_EQ(readBytes(dst + "/ny.log"), readBytes(src + "/ny.log"));
    EXPECT_EQ(readBytes(dst + "/rapport.doc"), readBytes(src + "/rapport.doc"));
    EXPECT_EQ(engine->kopierade_totalt, 2);
}

TEST(CopyRuleDecisions, OnlyTheProgramsOwnTemporaryNamesAreLeftovers) {
    for (const QString& name : {platform::temporaryName("rapport.doc"), platform::temporaryName("a", "ny-"),
                                platform::temporaryName(QString(60, 'x'))})
        EXPECT_TRUE(isLeftoverCopyName(name)) << name.toStdString();
    QString changed = platform::temporaryName("rapport.doc");
    changed[8] = 'R';
    // Named alike by a user (or left by earlier versions, which no name tells from a user's file).
    for (const QString& name :
         {QStringLiteral(".tamrel-rapport.doc.Ab3dE9"), QStringLiteral(".tamrel-ny-a-b-0"),
          QStringLiteral(".tamrel-anteckningar.txt"), changed})
        EXPECT_FALSE(isLeftoverCopyName(name)) << name.toStdString();
}

// What killed copies left beside their targets goes when the run next copies into the folder;
// a name that only looks alike and a folder stay.
TEST_F(CopyRuleTest, WhatKilledCopiesLeftIsRemovedWhenTheRunNextCopiesIntoTheFolder) {
    writeFile(src + "/a.txt", "a", at());
    const QStringList left = {platform::temporaryName("a.txt"), platform::temporaryName("a.txt", "ny-")};
    const QStringList kept = {".tamrel-anteckningar.txt", platform::temporaryName("mapp")};
    for (const QString& n : left + kept.mid(0, 1))
        writeFile(dst + "/" + n, "x", at());
    testutil::makeDir(dst + "/" + kept[1]);
    auto names = [&] { return QDir(dst).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };
    const QStringList before = names();

    progress.sim = true; // a simulated run removes nothing
    engine->file_copy(0);
    EXPECT_EQ(names(), before);
    progress.sim = false;
    engine->file_copy(0);
    EXPECT_EQ(names(), QStringList(kept + QStringList{"a.txt"}));
}

TEST_F(CopyRuleTest, NoRetryWhenTheShellCopyIsSwitchedOff) {
    s->chkaldrigapi->setChecked(true);
    writeFile(src + "/låst.txt", "data", at());
    platform::injectFault(dst + "/låst.txt", EACCES);
    progress.onIdle = [] { platform::clearFaults(); };
    engine->file_copy(0);
    EXPECT_FALSE(QFile::exists(dst + "/låst.txt"));
    EXPECT_EQ(log("log_err.txt")[1], "FEL: Felkod 70 Åtkomst nekad (Jobb: Jobb)");
    EXPECT_EQ(progress.windowLines, QStringList({" FEL: Felkod 70 Åtkomst nekad (" + src + "/låst.txt)"}));
}

TEST_F(CopyRuleTest, ARefusedNameIsAnErrorAndIsNotCounted) {
    testutil::makeDir(src);
    const QByteArray bad = QFile::encodeName(src) + "/fel\xff.txt";
    const int fd = ::open(bad.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    writeFile(src + "/bra.txt", "x", at());

    engine->file_copy(0);

    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"bra.txt"}));
    EXPECT_EQ(engine->misslyckade_totalt, 1);
    EXPECT_EQ(engine->genomsökta_totalt, 1);
    const QStringList err = log("log_err.txt");
    ASSERT_EQ(err.size(), 3);
    EXPECT_EQ(err[1], "FEL: filnamnet innehåller otillåtna tecken. (Jobb: Jobb)");
    EXPECT_TRUE(err[2].startsWith("Filnamn: " + src + "/fel"));
    // QTemporaryDir cannot remove a name that is not text.
    ::unlink(bad.constData());
}

TEST_F(CopyRuleTest, ReplacedFilesGoToTheTrashOnlyAfterTheNewCopyIsComplete) {
    // A home on the same file system keeps the trash inside the test's folder.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", work("").toUtf8());
    qputenv("XDG_DATA_HOME", work("xdg").toUtf8());
    testutil::makeDir(work("xdg"));
    s->chkpapperskorg_ersatta->setChecked(true);
    writeFile(src + "/a.txt", "nytt a", at(5));
    writeFile(dst + "/a.txt", "gammalt a", at());
    writeFile(src + "/b.txt", "nytt b", at(5));
    writeFile(dst + "/b.txt", "gammalt b", at());
    platform::injectFault(dst + "/b.txt#write", EIO);

    engine->file_copy(0);
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", home);

    EXPECT_EQ(readBytes(dst + "/a.txt"), "nytt a");
    EXPECT_EQ(readBytes(work("xdg/Trash/files/a.txt")), "gammalt a");
    // The failed copy sent nothing to the trash.
    EXPECT_EQ(readBytes(dst + "/b.txt"), "gammalt b");
    EXPECT_FALSE(QFile::exists(work("xdg/Trash/files/b.txt")));
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"a.txt", "b.txt"}));
}

TEST_F(CopyRuleTest, OnlyTheJobsPatternsAreCopiedAndACancelStopsBeforeTheNextFile) {
    m->txtpattern = "*.doc";
    writeFile(src + "/a.doc", "a", at());
    writeFile(src + "/b.DOC", "b", at());
    writeFile(src + "/c.doc", "c", at());
    writeFile(src + "/d.xls", "d", at());
    progress.cancelAfterYields = 5; // two yields per file: the third file never starts
    engine->file_copy(0);
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"a.doc", "b.DOC"}));
    EXPECT_EQ(progress.file, "2/3 b.DOC");
}

TEST_F(CopyRuleTest, AnEmptyFolderFillsTheFolderBar) {
    testutil::makeDir(src);
    engine->file_copy(0);
    EXPECT_EQ(progress.folderFiles, 0);
    EXPECT_EQ(engine->genomsökta_totalt, 0);
    EXPECT_FALSE(QFile::exists(path("log.txt")));
}

TEST_F(CopyRuleTest, AReplacedFileStaysWhenTheTrashCannotTakeTheOldOne) {
    s->chkpapperskorg_ersatta->setChecked(true);
    writeFile(src + "/a.txt", "nytt a", at(5));
    writeFile(dst + "/a.txt", "gammalt a", at());
    platform::injectFault(dst + "/a.txt", EACCES);

    engine->file_copy(0);

    EXPECT_EQ(readBytes(dst + "/a.txt"), "gammalt a");
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"a.txt"}));
    EXPECT_EQ(engine->misslyckade_totalt, 1);
    EXPECT_EQ(engine->ändrade_totalt, 0);
    EXPECT_EQ(log("log_err.txt")[1],
              "FEL: Felkod 70 Åtkomst nekad (Jobb: Jobb)"); // never retried past the trash
    EXPECT_FALSE(QFile::exists(path("log.txt")));
}

TEST_F(CopyRuleTest, BigFilesAreCopiedUnderAProgressDialogOnlyWhileTheWindowIsShown) {
    struct Shown : FakeProgress {
        bool windowVisible() const override { return true; }
    } shown;
    BackupEngine visible(shown);
    visible.List3 = engine->List3;
    s->chkvisafilecopy->setChecked(true);
    testutil::makeDir(src);
    QFile big(src + "/stor.img");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    // Written out: a file of holes is copied in one step, with no time to cancel it.
    ASSERT_EQ(big.write(QByteArray(50'000'001, 'x')), 50'000'001);
    big.close();
    testutil::setMTime(src + "/stor.img", at());

    // Cancelled in its dialog, the copy leaves no file and counts as a failure.
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w);
                d && d->objectName() == "kopieringsdialog" && d->isVisible()) {
                sawDialog = true;
                d->cancel();
            }
    });
    visible.file_copy(0);
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(testutil::treeFiles(dst).isEmpty());
    EXPECT_EQ(visible.misslyckade_totalt, 1);
    EXPECT_EQ(visible.nya_totalt, 0);
    EXPECT_EQ(shown.windowLines.value(0).left(14), " FEL: Felkod 1");

    visible.file_copy(0);

    EXPECT_EQ(QFileInfo(dst + "/stor.img").size(), 50'000'001);
    EXPECT_EQ(testutil::mtimeOf(dst + "/stor.img"), at().toSecsSinceEpoch());
    EXPECT_EQ(visible.nya_totalt, 1);
    EXPECT_EQ(shown.file, "");
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"stor.img"}));
}

// A backup disk that does not take a file's time (NFS with root_squash, a FUSE FAT driver's
// rename): the copy carries the time it was made. The run says so, and a later run never takes
// that time for the file's own: a changed source whose new time lies before it is copied.
TEST_F(CopyRuleTest, ACopyWhoseTimeWasNotKeptIsSaidAndNeverTakenForTheFilesOwn) {
    platform::injectFault(dst + "/rapport.doc#time", EPERM);
    const QString target = dst + "/rapport.doc";
    const struct {
        const char* what;
        QByteArray content;
        int seconds;   // the source's time
        bool timeLost; // the disk keeps no time
        bool copied;
    } runs[] = {
        {"the first copy", "version 1", 0, true, true},
        {"changed, its time before the copy's", "version 2", 60, true, true},
        {"unchanged", "version 2", 60, true, false},
        {"changed again, same size, on a disk that keeps times", "version 3", 120, false, true},
        {"unchanged at last", "version 3", 120, false, false},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.what);
        if (!r.timeLost)
            platform::clearFaults();
        writeFile(src + "/rapport.doc", r.content, at(r.seconds));
        QFile::remove(path("log.txt"));
        QFile::remove(path("log_err.txt"));
        progress = FakeProgress{};
        engine = std::make_unique<BackupEngine>(progress); // a new run
        pairUp(src, dst);

        engine->file_copy(0);

        EXPECT_EQ(readBytes(target), r.content);
        EXPECT_EQ(engine->kopierade_totalt, r.copied ? 1 : 0);
        const bool said = r.copied && r.timeLost;
        EXPECT_EQ(engine->antalfel, said ? 1 : 0);
        EXPECT_EQ(log("log_err.txt"),
                  said ? QStringList(
                             {"", "FEL: filens ändringstid kunde inte behållas på backupdisken. (Jobb: Jobb)",
                              "Från: " + src + "/rapport.doc", "Till: " + target})
                       : QStringList());
        EXPECT_EQ(
            progress.windowLines,
            said ? QStringList({" FEL: filens ändringstid kunde inte behållas på backupdisken: " + target})
                 : QStringList());
        if (!r.timeLost) {
            EXPECT_EQ(testutil::mtimeOf(target), at(r.seconds).toSecsSinceEpoch());
        }
    }
    EXPECT_EQ(testutil::treeFiles(dst), QStringList({"rapport.doc"}));
}

// Two source names that differ only in letter case, onto a backup disk that ignores it (FAT,
// exFAT): the first is copied, the second is an error naming both, and no run flips them.
TEST_F(CopyRuleTest, TwoNamesADiskTakesForOneGiveOneCopyAndAnErrorAtEveryRun) {
    writeFile(src + "/README.txt", "versaler", at());
    writeFile(src + "/Readme.txt", "gemener", at(5));
    platform::standInCaseFolding(dst);
    for (const bool pipelined : {false, true, false}) {
        SCOPED_TRACE(pipelined ? "copied beside the run" : "copied in turn");
        QFile::remove(path("log_err.txt"));
        progress = FakeProgress{};
        engine = std::make_unique<BackupEngine>(progress);
        pairUp(src, dst);
        engine->holdLogs(pipelined);
        engine->file_copy(0);
        engine->holdLogs(false);

        EXPECT_EQ(testutil::treeFiles(dst), QStringList({"README.txt"}));
        EXPECT_EQ(readBytes(dst + "/README.txt"), "versaler");
        EXPECT_EQ(engine->misslyckade_totalt, 1);
        EXPECT_EQ(engine->antalfel, 1);
        EXPECT_EQ(
            log("log_err.txt"),
            QStringList({"",
                         "FEL: backupdisken skiljer inte på stora och små bokstäver: Readme.txt kopierades "
                         "inte, eftersom README.txt har samma namn där. (Jobb: Jobb)",
                         "Från: " + src + "/Readme.txt", "Till: " + dst + "/README.txt"}));
    }
    platform::standInCaseFolding({});
}

// A link standing in the backup folder where a copy belongs is no copy: it is never compared,
// read, versioned or written through, but removed as a link, and the real copy made as new.
TEST_F(CopyRuleTest, ALinkWhereACopyBelongsIsReplacedByARealCopy) {
    m->txtversionshantering = "JA";
    m->txtversionmapp = work("versioner");
    m->txtversionmax = "5";
    writeFile(work("annat/gammal.txt"), "annat", at(-3600));
    const struct {
        const char* what;
        QString leadsTo;
    } cases[] = {
        {"a link to the source's own file", src + "/a.txt"},
        {"a link to an older file", work("annat/gammal.txt")},
        {"a dangling link", work("annat/saknas.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(src + "/a.txt", "källa", at());
        QFile::remove(dst + "/a.txt");
        ASSERT_TRUE(QFile::link(c.leadsTo, dst + "/a.txt"));
        QFile::remove(path("log.txt"));
        engine->file_copy(0);

        EXPECT_FALSE(QFileInfo(dst + "/a.txt").isSymLink());
        EXPECT_EQ(readBytes(dst + "/a.txt"), "källa");
        EXPECT_EQ(log("log.txt"), QStringList({"+ " + dst + "/a.txt"}));
        EXPECT_EQ(readBytes(src + "/a.txt"), "källa");
        EXPECT_EQ(readBytes(work("annat/gammal.txt")), "annat");
        EXPECT_FALSE(QFileInfo::exists(work("versioner"))) << "nothing versioned through the link";
    }
    EXPECT_EQ(engine->antalfel, 0);
}

TEST_F(CopyRuleTest, ATargetFolderSwappedForALinkDuringTheCopyIsNotWrittenThrough) {
    // The user's own folder elsewhere, which the link leads to.
    writeFile(work("hem/Bilder/f.txt"), "användarens", at(-3600));
    pairUp(src, work("backup/Nya"));
    const struct {
        const char* what;
        int pair;
        bool oldCopy; // replaced in the files' order; otherwise new, copied on another thread
    } cases[] = {{"a changed file", 0, true}, {"a new file", 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = platform::withoutTrailingSeparator(engine->List3[size_t(c.pair)].target);
        const QString aside = target + "-undan";
        writeFile(src + "/f.txt", "källa", at());
        if (c.oldCopy)
            writeFile(target + "/f.txt", "gammal", at(-7200));
        std::atomic<bool> swapped{false};
        platform::setCopyHook([&](const QString&, const QString&) {
            if (!swapped.exchange(true))
                QDir().rename(target, aside) && QFile::link(work("hem/Bilder"), target);
        });
        engine->holdLogs(!c.oldCopy);
        engine->file_copy(c.pair);
        engine->holdLogs(false);
        platform::setCopyHook({});

        ASSERT_TRUE(QFileInfo(target).isSymLink());
        EXPECT_EQ(readBytes(work("hem/Bilder/f.txt")), "användarens");
        EXPECT_EQ(readBytes(aside + "/f.txt"), "källa") << "the copy lands in the folder that was checked";
    }
}
