// New files copied on other threads while the folder loop goes on: the run must leave the same
// logs, counters and targets as copying one file after the other.
#include "engine_support.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>

class PipelinedCopyTest : public EngineTest {
  protected:
    QString folder(const QString& root, int k) const { return root + QStringLiteral("/mapp%1").arg(k); }
    // 60 folders of one file each, run from the last down as the folder loop does; an old target
    // at every 11th (replaced on the serial path in between), a left-out "*.tmp" at every 17th.
    // Returns the logs, window lines, target files and counters.
    QStringList run(bool held) {
        static int aside = 0;
        QDir().rename(dst, work(QStringLiteral("aside%1").arg(++aside)));
        for (const char* name : {"log.txt", "log_err.txt", "log_ex.txt"})
            QFile::remove(path(name));
        engine = std::make_unique<BackupEngine>(progress);
        m->txtpattern = "*.*";
        m->txtbackupmapp = dst;
        m->txtexpattern = "*.tmp";
        for (int k = 0; k < 60; ++k) {
            testutil::writeFile(folder(src, k) + (k % 17 == 5 ? "/x.tmp" : "/fil.dat"),
                                QByteArray(100 + 37 * k, char('a' + k % 26)), at());
            testutil::makeDir(folder(dst, k));
            if (k % 11 == 3)
                testutil::writeFile(folder(dst, k) + "/fil.dat", "gammal", at(-3600));
            engine->List2 << folder(src, k);
            // A folder the run made holds nothing else; the others hold an old target.
            engine->List3.push_back(
                FolderPair{folder(src, k) + '/', folder(dst, k) + '/', false, k % 11 != 3});
        }
        engine->holdLogs(held);
        for (int k = 59; k >= 0 && !progress.cancelled(); --k)
            engine->file_copy(k);
        engine->holdLogs(false);
        const BackupEngine& e = *engine;
        QStringList counters;
        for (double n : {double(e.kopierade_totalt), double(e.genomsökta_totalt), double(e.nya_totalt),
                         double(e.ändrade_totalt), double(e.exkluderade_totalt), double(e.misslyckade_totalt),
                         e.mb_kopierat, double(e.fel_jobb), double(e.antalfel), double(progress.stop)})
            counters << QString::number(n);
        QStringList r = log("log.txt") + log("log_err.txt") + log("log_ex.txt") + progress.windowLines;
        progress = FakeProgress{};
        return r + testutil::treeFiles(dst) + QStringList{counters.join(' ')};
    }
    const QString src = work("src"), dst = work("backup");
};

TEST_F(PipelinedCopyTest, SameLogsCountersAndTargetsAsOneFileAfterTheOther) {
    const struct {
        const char* what;
        QString fault; // a failing copy
        int error;
        int targets; // files in the backup afterwards
    } cases[] = {
        {"no error", {}, 0, 56},
        {"an error when the source is opened", "src/mapp40/fil.dat", EIO, 55},
        {"an error the copy is tried again for", "backup/mapp26/fil.dat#write", EACCES, 55},
        // Ends the run there: 27 copies made before it and 3 old targets; later copies taken away.
        {"a full disk", "backup/mapp30/fil.dat#write", ENOSPC, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::clearFaults();
        if (!c.fault.isEmpty())
            platform::injectFault(work(c.fault), c.error);
        for (int i = 0; c.error == ENOSPC && i < 2; ++i)
            dialogs().expectWindow("frmerror");
        const QStringList serial = run(false);
        EXPECT_EQ(run(true), serial);
        EXPECT_EQ(testutil::treeFiles(dst).size(), c.targets);
        const QString failed = work(c.fault).section('#', 0, 0).replace("backup/", "src/");
        EXPECT_EQ(serial.contains("Från: " + failed), !c.fault.isEmpty());
    }
}

TEST_F(PipelinedCopyTest, ACancelStopsWhereItCameAndLeavesOnlyCompleteCopies) {
    progress.cancelAfterYields = 2 * 20; // two yields a file: the cancel comes at the 21st
    const QStringList r = run(true);
    // The 20 files before it, one left out, are copied whole with their times, and logged.
    const QStringList copied = r.filter(QRegularExpression("^[+ ] "));
    EXPECT_EQ(copied.size(), 19);
    for (const QString& line : copied) {
        const QString target = line.mid(2), source = QString(target).replace(dst, src);
        EXPECT_EQ(testutil::readBytes(target), testutil::readBytes(source));
        EXPECT_EQ(testutil::mtimeOf(target), testutil::mtimeOf(source));
    }
    EXPECT_EQ(testutil::treeFiles(dst).size(), 19 + 4); // and the old targets not reached
}

TEST_F(PipelinedCopyTest, TheCopiesKeepNothingOnceTheEngineIsGone) {
    const qsizetype before = BackupEngine::copyBatchesAlive();
    run(true);
    engine.reset(); // waits for the copying threads
    // The names of every new file copied would otherwise stay until the program ends.
    EXPECT_EQ(BackupEngine::copyBatchesAlive(), before);
}
