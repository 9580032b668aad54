// The restore beside the program's other work: the scheduler, a run of another process, and the
// job's other main folders in the same backup.
#include "wizard_support.h"

#include "core/job_files.h"
#include "core/operations.h"
#include "platform/files.h"
#include "scheduler/schedule_files.h"
#include "scheduler/scheduler.h"
#include "support/e2e.h"

#include <QDir>

using testutil::readBytes;
using testutil::writeFile;

namespace {

// Runs `hook` once, inside the first copy into `folder`, and removes itself.
class CopyHookOnce {
  public:
    CopyHookOnce(const QString& folder, std::function<void()> hook) {
        platform::setCopyHook(
            [folder, hook = std::move(hook), done = false](const QString&, const QString& target) mutable {
                if (done || !target.startsWith(folder))
                    return;
                done = true;
                hook();
            });
    }
    ~CopyHookOnce() { platform::setCopyHook({}); }
};

class SharingTest : public WizardTest {
  protected:
    // Backs up a.txt and sub/b.txt, then loses both at the source.
    void backedUpAndLost() {
        writeFile(src_ + "/a.txt", "a", t0_);
        writeFile(src_ + "/sub/b.txt", "b", t0_);
        writeJob("Jobb");
        backUp("Jobb");
        ASSERT_TRUE(QFile::exists(copyOf("sub/b.txt")));
        QFile::remove(src_ + "/a.txt");
        QDir(src_ + "/sub").removeRecursively();
    }
    // Loads and scans the job's backup and moves on to the file list. `found` is the scan's
    // message, empty while the scheduler is on (its messages go to the program log only).
    void scanJob(frmåterställ* w, const QString& found) {
        w->cmdnästa->click();
        w->cmdnästa->click();
        w->cmdladdamålmappar->click();
        w->cmdnästa->click();
        if (!found.isEmpty())
            expectReport(found);
        w->cmdnästa->click();
        ASSERT_EQ(w->comboframe, 4);
    }
    QString restoreLogOf(const QString& job) const {
        for (const QString& name : savedLogs())
            if (name.contains(" Återställning från jobb " + job + ". "))
                return QString::fromUtf8(readBytes(path("Sparade loggar/" + name)));
        return {};
    }
};

TEST_F(SharingTest, AScheduledRunDueDuringTheCopyBackWaitsForIt) {
    backedUpAndLost();
    // While another operation goes on, the wizard starts none of its own.
    openWizard(false, [&](frmåterställ* w) {
        Operation other(QStringLiteral("backupkörning"));
        w->setComboframe(2);
        expectReport("en annan åtgärd pågår (backupkörning)");
        w->cmdladdamålmappar->click();
        EXPECT_EQ(w->List1->count(), 0);
        w->cmdstäng->click();
    });

    prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(21, 0)));
    schedule::writeCommonSetting(path("setup_schema_global.ini"), {true, 1, "22:00", "1111111", 0, 0});
    schedule::writeSelection(path("setup_schema_lista.ini"), {"Jobb"});
    frmmain* m = prog().form<frmmain>();
    m->chkaktiveraschema->setChecked(true);
    Scheduler& s = scheduler();
    ASSERT_TRUE(s.Timer1.isActive());
    auto tick = [&s, this](int n) {
        for (int i = 0; i < n; ++i) {
            prog().clock.advance(5);
            if (s.Timer3.isActive())
                s.Timer3_Timer();
            s.Timer1_Timer();
        }
    };
    openWizard(false, [&](frmåterställ* w) {
        scanJob(w, "Funna filer: 2 av 2");
        // The job falls due while the copy back is on its first file.
        CopyHookOnce hook(src_, [&] {
            prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(21, 59, 58)));
            tick(3);
        });
        // The person's own restore gets its answer while the scheduler only waits.
        expectReport("Återställningen av filerna i listan lyckades. Återställda filer: 2 av 2");
        w->cmdåterställfiler->click();
        w->cmdstäng->click();
    });
    ASSERT_TRUE(JobFiles("Jobb").readLastRun().has_value());
    EXPECT_NE(JobFiles("Jobb").readLastRun()->kind, "Schemalagd");
    // Once the restore is over, the run goes ahead; with the files back, its mirroring has
    // nothing to remove.
    tick(1);
    EXPECT_EQ(JobFiles("Jobb").readLastRun()->kind, "Schemalagd");
    EXPECT_EQ(readBytes(copyOf("a.txt")), "a");
    EXPECT_EQ(readBytes(copyOf("sub/b.txt")), "b");
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({"a.txt", "sub/b.txt"}));
    const QString restoreLog = restoreLogOf("JOBB");
    EXPECT_TRUE(restoreLog.contains("\r\n+ " + src_ + "/a.txt\r\nSkapad mapp: " + src_ + "/sub/\r\n+ " +
                                    src_ + "/sub/b.txt\r\n"))
        << restoreLog.toStdString();
    EXPECT_FALSE(restoreLog.contains("Backup utförd"));
    EXPECT_TRUE(logText().contains("Backup utförd"));
}

TEST_F(SharingTest, TheCopyBackHoldsTheProgramFoldersRunLockWhileItWritesTheLog) {
    const QString refused = "FEL! En återställning pågår redan från den här programmappen. Den här "
                            "körningen startades inte";
    backedUpAndLost();
    openWizard(false, [&](frmåterställ* w) {
        scanJob(w, "Funna filer: 2 av 2");
        // Another process writes the run log: nothing is copied, log.txt stays its.
        {
            RunLock other;
            ASSERT_TRUE(other.take("en backupkörning"));
            testutil::writeLines(path("log.txt"), {"den andra körningens logg"});
            expectReport("FEL! En backupkörning pågår redan från den här programmappen. Återställningen "
                         "startades inte");
            w->cmdåterställfiler->click();
        }
        EXPECT_EQ(log(), QStringList({"den andra körningens logg"}));
        EXPECT_EQ(w->Liståterställtill_texts().size(), 2);
        // A run of the job from the command line while the copy back goes on is turned away.
        testutil::RunResult other;
        CopyHookOnce hook(src_, [&] { other = testutil::runProgram(programDir_.path(), {"Jobb"}); });
        expectReport("Återställningen av filerna i listan lyckades. Återställda filer: 2 av 2");
        w->cmdåterställfiler->click();
        EXPECT_EQ(other.exitCode, 1);
        EXPECT_TRUE(other.errors.contains(refused + "\n")) << other.errors.toStdString();
        w->cmdstäng->click();
    });
    EXPECT_TRUE(QString::fromUtf8(readBytes(path("programlogg.txt"))).contains(refused));
    EXPECT_EQ(log().value(3), "Filer återställda från jobb JOBB");
    EXPECT_FALSE(logText().contains("Backup utförd"));
    EXPECT_EQ(restoreLogOf("JOBB").toUtf8(), readBytes(path("log.txt")));
}

// The absolute path type puts the first main folder's files into the backup folder itself and
// every other main folder's files below their whole path there. A run no longer makes such a
// backup (an absolute job has one main folder), so an older one is laid down by hand.
TEST_F(SharingTest, EachMainFolderGetsOnlyItsOwnFilesBack) {
    const QString other = work("Annan");
    writeFile(src_ + "/a.txt", "a", t0_);
    writeFile(src_ + "/sub/b.txt", "b", t0_);
    writeFile(other + "/c.txt", "c", t0_);
    writeFile(other + "/djup/d.txt", "d", t0_);
    testutil::JobSpec j = testutil::jobOver("Jobb", src_, dst_);
    j.mainFolders = {src_, other};
    j.folders = testutil::foldersBelow(src_) + testutil::foldersBelow(other);
    j.options[2] = "1";
    testutil::writeJob(path("Listor"), j);
    writeFile(dst_ + "/a.txt", "a", t0_);
    writeFile(dst_ + "/sub/b.txt", "b", t0_);
    writeFile(dst_ + other + "/c.txt", "c", t0_);
    writeFile(dst_ + other + "/djup/d.txt", "d", t0_);
    QDir(src_).removeRecursively();
    QDir(other).removeRecursively();

    openWizard(false, [&](frmåterställ* w) {
        const struct {
            int mainFolder;
            QStringList found;
        } cases[] = {{0, {"+ " + src_ + "/sub/b.txt", "+ " + src_ + "/a.txt"}},
                     {1, {"+ " + other + "/djup/d.txt", "+ " + other + "/c.txt"}}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.mainFolder);
            w->setComboframe(0);
            w->combomappar->setCurrentIndex(c.mainFolder);
            scanJob(w, "Funna filer: 2 av 2");
            EXPECT_EQ(w->Liståterställtill_texts(), c.found);
            expectReport("Återställningen av filerna i listan lyckades. Återställda filer: 2 av 2");
            w->cmdåterställfiler->click();
        }
        w->cmdstäng->click();
    });
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({"a.txt", "sub/b.txt"}));
    EXPECT_EQ(testutil::treeFiles(other), QStringList({"c.txt", "djup/d.txt"}));
}

TEST_F(SharingTest, ARestoreIntoTheFolderItReadsFromIsRefused) {
    writeFile(work("b/x.txt"), "x", t0_);
    ASSERT_TRUE(QFile::link(work("b"), work("länk")));
    const QString same = "FEL! Mappen som filerna ska återställas till är samma mapp som de återställs från.";
    const QString inside =
        "FEL! Mappen som filerna ska återställas till ligger i mappen som de återställs från.";
    const struct {
        QString to;
        QString message;
    } cases[] = {
        {work("b"), same}, {work("länk"), same}, {work("b/inne"), inside}, {work("länk/inne/djup"), inside}};
    openByHand([&](frmåterställ* w) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.to.toStdString());
            byHand(w, work("b"), c.to);
            loadFolders(w);
            expectReport(c.message);
            w->cmdnästa->click();
            EXPECT_TRUE(w->Liståterställtill_texts().isEmpty());
        }
    });
    EXPECT_EQ(testutil::treeFiles(work("b")), QStringList({"x.txt"}));
}

} // namespace
