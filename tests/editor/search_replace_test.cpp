// Search and replace across the jobs of a group, on real job sets through its window.
#include "core/error_dialog.h"
#include "core/job_files.h"
#include "core/operations.h"
#include "editor/search_replace.h"
#include "editor/search_replace_window.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "support/fake_main_window.h"
#include "support/fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cerrno>

namespace {

// The main window's job list as the window sees it, and what it was asked to select.
class JobList : public FakeMainWindow {
  public:
    QStringList names;
    int selected = -1;
    QList<int> selections;
    int jobCount() const override { return int(names.size()); }
    QString jobName(int i) const override { return names.value(i); }
    int currentJobIndex() const override { return selected; }
    QString currentJobName() const override { return names.value(selected); }
    void selectJob(int i) override {
        selections << i;
        selected = i;
    }
};

TEST(SearchReplaceLine, EveryOccurrenceIsReplacedAndTheRunAlwaysEnds) {
    const struct {
        const char *line, *find, *with, *expected;
    } cases[] = {
        {"G:/Backup;G:/Backup/Bilder", "G:/Backup", "H:/Säk", "H:/Säk;H:/Säk/Bilder"},
        {"aabb", "ab", "a", "aa"}, // an occurrence formed by a replacement is replaced too
        {"/data/x /data/y", "/data", "", "/x /y"},
        {"C:/Backup", "c:/backup", "D:/", "C:/Backup"}, // letter case must match
        {"G:/Backup/x", "G:/Backup", "G:/Backup/Ny", "G:/Backup/Ny/x"},
        {"text", "", "x", "text"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(searchreplace::replaceInLine(c.line, c.find, c.with), QString::fromUtf8(c.expected))
            << c.line << " / " << c.find;
}

class SearchReplace : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        group = path("Listor");
        writeJobs();
        listJobs();
    }
    void writeJobs() {
        for (const QString& name : names) {
            testutil::JobSpec j;
            j.name = name;
            j.folders = {"/mnt/gammal/" + name, "/mnt/gammal/" + name + "/Under"};
            j.mainFolders = {"/mnt/gammal/" + name};
            j.backupFolder = "/mnt/gammal/Backup";
            j.filters = {"*.*", "", "/mnt/gammal/x.tmp", "gammal * tmp", ""};
            j.options = {"JA", "NEJ", "0", "NEJ", "gammal"};
            j.excluded = {"/mnt/gammal/" + name + "/Ut"};
            j.programs = {"/mnt/gammal/stopp", "/mnt/gammal/start ;; x"};
            j.versioning = {"JA", "doc", "", "3", "/mnt/gammal/Versioner"};
            testutil::writeJob(group, j);
            testutil::writeLines(group + "/" + name + ".006", {" 1 ", " 0 ", "10:00", "0200000", " 0 "});
            testutil::writeLines(group + "/" + name + ".007", {"2026-01-01 10:00", "gammal"});
        }
    }
    // The main window's job list, with the second job marked.
    void listJobs() {
        prog().jobbgruppmapp = group;
        jobs = std::make_unique<JobList>();
        jobs->names = names;
        jobs->selected = 1;
    }
    QByteArray bytes(const QString& job, int n) { return testutil::readBytes(JobFiles(group, job).path(n)); }
    // Every job file of every job, by job name and file number.
    QMap<QString, QByteArray> snapshot() {
        QMap<QString, QByteArray> m;
        for (const QString& job : names)
            for (int n = 0; n <= 9; ++n)
                m[job + QString::number(n)] = bytes(job, n);
        return m;
    }
    // Opens the window and lets `act` work it as the user would.
    void run(std::function<void(frmsökersätt*)> act) {
        dialogs().expectWindow("frmsökersätt", [act](QWidget* w) { act(static_cast<frmsökersätt*>(w)); });
        frmsökersätt::open();
    }
    void expectReport(const QString& contains) {
        dialogs().expectWindow("frmerror", [contains](QWidget* w) {
            const QString text = static_cast<frmerror*>(w)->lblfel->toPlainText();
            EXPECT_TRUE(text.contains(contains)) << text.toStdString();
        });
    }
    // Fills the window as a user would and presses "Utför"; `report` is the message that follows.
    void perform(frmsökersätt* w, const QString& find, const QString& with, bool allJobs,
                 const QString& report = "Processen slutfördes utan problem.") {
        w->txtsök1->setText(find);
        w->txtsök2->setText(with);
        (allJobs ? w->optjobb2 : w->optjobb1)->setChecked(true);
        expectReport(report);
        w->cmdkör->click();
    }
    void TearDown() override {
        jobs.reset();
        ProgramTest::TearDown();
    }
    // The jobs as SetUp left them, in a program just started.
    void startAgain() {
        jobs.reset();
        restartProgram();
        writeJobs();
        listJobs();
    }

    QString group;

    const QStringList names = {"Bilder", "Dokument", "Musik"};
    std::unique_ptr<JobList> jobs;
};

TEST_F(SearchReplace, TheMarkedJobChangesInEveryCategoryAndNothingElse) {
    const QMap<QString, QByteArray> before = snapshot();
    run([&](frmsökersätt* w) {
        EXPECT_EQ(w->optjobb1->text(), "Markerat jobb (Dokument)");
        EXPECT_TRUE(w->optjobb1->isChecked());
        EXPECT_EQ(w->listfiler->selectedItems().size(), 6);
        perform(w, "/mnt/gammal", "/media/ny", false);
        EXPECT_EQ(w->lastRun().jobs, 1);
        EXPECT_EQ(w->lastRun().files, 6);
        EXPECT_EQ(w->lastRun().lines, 2 + 1 + 1 + 1 + 1 + 2);
        EXPECT_TRUE(w->cmdkör->isEnabled());
        EXPECT_FALSE(w->cmdstopp->isVisibleTo(w));
        EXPECT_FALSE(w->Frame2->isVisibleTo(w));
        w->cmdavbryt->click();
    });
    const JobFiles doc(group, "Dokument");
    EXPECT_EQ(doc.readFolders(), (QStringList{"/media/ny/Dokument", "/media/ny/Dokument/Under"}));
    EXPECT_EQ(doc.readBackupFolder(), "/media/ny/Backup");
    EXPECT_EQ(doc.readExcluded(), QStringList{"/media/ny/Dokument/Ut"});
    EXPECT_EQ(doc.readPrograms()->start, "/media/ny/start ;; x");
    EXPECT_EQ(doc.readFilters().excludedNames, "/media/ny/x.tmp");
    EXPECT_EQ(doc.readFilters().folderFilters, "gammal * tmp");
    // ".004", ".006", ".007" and ".009" are never edited.
    for (int n : {4, 6, 7, 9})
        EXPECT_EQ(bytes("Dokument", n), before["Dokument" + QString::number(n)]) << n;
    EXPECT_EQ(bytes("Dokument", 2), "/media/ny/Backup\r\n");
    for (const QString& job : {QString("Bilder"), QString("Musik")})
        for (int n = 0; n <= 9; ++n)
            EXPECT_EQ(bytes(job, n), before[job + QString::number(n)]) << job.toStdString() << n;
    EXPECT_EQ(jobs->selections, (QList<int>{-1, 1}));
}

TEST_F(SearchReplace, AllJobsWithOnlyTheBackupFolderChangeOnlyTheirBackupFolderFiles) {
    const QByteArray folders = bytes("Musik", 0);
    const qint64 untouched = testutil::mtimeOf(JobFiles(group, "Musik").path(0));
    run([&](frmsökersätt* w) {
        for (int i = 0; i < w->listfiler->count(); ++i)
            w->listfiler->item(i)->setSelected(i == 2);
        w->txtsök1->setText("/mnt/gammal");
        w->txtsök2->setText("/media/ny/Säk");
        w->optjobb2->setChecked(true);
        // What changed is counted, and a backup folder that is not there is named.
        dialogs().expectWindow("frmerror", [](QWidget* d) {
            const QString text = static_cast<frmerror*>(d)->lblfel->toPlainText();
            EXPECT_TRUE(text.contains("Processen slutfördes utan problem. 3 jobb och 3 fält ändrades."))
                << text.toStdString();
            EXPECT_EQ(text.count("Den nya backupmappen /media/ny/Säk/Backup finns inte."), 1)
                << text.toStdString();
        });
        w->cmdkör->click();
        EXPECT_EQ(w->lastRun().jobs, 3);
        EXPECT_EQ(w->lastRun().files, 3);
        w->cmdavbryt->click();
    });
    for (const QString& job : names)
        EXPECT_EQ(JobFiles(group, job).readBackupFolder(), "/media/ny/Säk/Backup");
    EXPECT_EQ(bytes("Musik", 0), folders);
    EXPECT_EQ(testutil::mtimeOf(JobFiles(group, "Musik").path(0)), untouched);
}

TEST_F(SearchReplace, NothingChangesWithoutAMarkedJobASearchTextAMatchingCaseOrAnyJob) {
    const QMap<QString, QByteArray> before = snapshot();
    jobs->selected = -1;
    run([&](frmsökersätt* w) {
        EXPECT_EQ(w->optjobb1->text(), "Markerat jobb ()");
        perform(w, "/mnt/gammal", "x", false);
        perform(w, "", "x", true, "Skriv in den text du vill söka efter."); // refused at once
        perform(w, "/MNT/gammal", "x", true);
        EXPECT_EQ(w->lastRun().files, 0);
        dialogs().expectMessage("/media/usb1/Backup"); // the tip
        w->help1_Click();
        w->cmdavbryt->click();
    });
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(jobs->selections, (QList<int>{-1, -1, -1, -1}));
    jobs->names.clear(); // an empty group has nothing to do, which is no error
    run([&](frmsökersätt* w) { perform(w, "x", "y", true); });
}

// Yields of a run over all jobs and categories before the second job's first category: one per job
// while the backup folders are checked, then one before each job and each marked category.
constexpr int kInSecondJob = 3 + 7 + 2;

TEST_F(SearchReplace, AStopEndsBeforeTheNextJobAndTheNextRunGoesAgain) {
    run([&](frmsökersätt* w) {
        // The user presses "Avbryt process" while the second job's files are being gathered.
        int yields = 0;
        w->doEvents = [&] {
            if (++yields == kInSecondJob)
                w->cmdstopp->click();
        };
        dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
        perform(w, "/mnt/gammal", "/srv", true, "Processen avbröts. 1 jobb ändrades.");
        EXPECT_TRUE(prog().systemLog().text().endsWith("  Processen avbröts. 1 jobb ändrades."));
        EXPECT_EQ(w->cmdstopp_Tag, "1");
        EXPECT_EQ(w->lastRun().jobs, 1);
        EXPECT_EQ(JobFiles(group, "Bilder").readBackupFolder(), "/srv/Backup");
        // Dokument was half gathered when the stop came: none of its files changed.
        EXPECT_EQ(JobFiles(group, "Dokument").readFolders().first(), "/mnt/gammal/Dokument");
        EXPECT_EQ(JobFiles(group, "Dokument").readBackupFolder(), "/mnt/gammal/Backup");

        w->doEvents = [] {};
        perform(w, "/mnt/gammal", "/srv", true);
        EXPECT_EQ(w->cmdstopp_Tag, "");
        EXPECT_EQ(w->lastRun().jobs, 2);
        w->cmdavbryt->click();
    });
    for (const QString& job : names)
        EXPECT_EQ(JobFiles(group, job).readBackupFolder(), "/srv/Backup");
}

TEST_F(SearchReplace, AFailedWriteLeavesThatJobAsItWasAndEndsTheRun) {
    const QByteArray folders = bytes("Dokument", 0);
    // Dokument's ".005" reads but cannot be written: its files written before are put back.
    platform::injectFault(JobFiles(group, "Dokument").path(5) + "#write", ENOSPC);
    run([&](frmsökersätt* w) {
        perform(w, "/mnt/gammal", "/srv", true, "Sök och ersätt, utför");
        EXPECT_TRUE(w->cmdkör->isEnabled());
        EXPECT_TRUE(w->cmdavbryt->isEnabled());
        w->cmdavbryt->click();
    });
    platform::clearFaults();
    EXPECT_EQ(JobFiles(group, "Bilder").readBackupFolder(), "/srv/Backup");
    EXPECT_EQ(bytes("Dokument", 0), folders);
    EXPECT_EQ(JobFiles(group, "Dokument").readBackupFolder(), "/mnt/gammal/Backup");
    EXPECT_EQ(JobFiles(group, "Dokument").readExcluded(), QStringList{"/mnt/gammal/Dokument/Ut"});
    EXPECT_EQ(JobFiles(group, "Musik").readBackupFolder(), "/mnt/gammal/Backup");
    EXPECT_EQ(jobs->selections, (QList<int>{-1, 1}));
}

// The window's own close box asks as "Avbryt process" does, and a close request of the program
// stops at the next check without asking; both leave the same trace as "Avbryt process".
TEST_F(SearchReplace, TheCloseBoxAndACloseRequestStopAsAvbrytDoes) {
    const struct {
        const char* what;
        bool closeBox;
    } cases[] = {{"close box", true}, {"close request", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        startAgain();
        run([&](frmsökersätt* w) {
            int yields = 0;
            w->doEvents = [&] {
                if (++yields != kInSecondJob)
                    return;
                if (c.closeBox)
                    w->close();
                else
                    prog().operations().requestStop();
            };
            if (c.closeBox)
                dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
            perform(w, "/mnt/gammal", "/srv", true, "Processen avbröts. 1 jobb ändrades.");
            EXPECT_FALSE(w->running());
        });
        EXPECT_TRUE(prog().systemLog().text().endsWith("  Processen avbröts. 1 jobb ändrades."));
        EXPECT_EQ(JobFiles(group, "Bilder").readBackupFolder(), "/srv/Backup");
        EXPECT_EQ(JobFiles(group, "Dokument").readBackupFolder(), "/mnt/gammal/Backup");
        EXPECT_EQ(JobFiles(group, "Musik").readBackupFolder(), "/mnt/gammal/Backup");
    }
}

// A replacement that would give any job a backup folder that is the root, the home folder, or one
// of its sources or above one (the sources as the replacement leaves them) is refused, naming the
// job and why, before any job file is written.
TEST_F(SearchReplace, AReplacementThatWouldMakeABackupFolderThatMayNotBeOneIsRefused) {
    const QString root = work("rot");
    const QString home = work("hem");
    testutil::makeDir(root);
    testutil::makeDir(home);
    platform::standInSystemFolders(root, home);
    JobFiles(group, "Dokument").writeOptions({"NEJ", "NEJ", "1", "NEJ", "NEJ"});
    const QMap<QString, QByteArray> before = snapshot();
    const QString unusable = "skulle få en backupmapp som inte kan användas: backupmappen är ";
    const struct {
        QString find, with, job, why;
    } cases[] = {
        {"/mnt/gammal/Backup", root, "Bilder", unusable + "rotmappen"},
        {"/mnt/gammal/Backup", home, "Bilder", unusable + "hemmappen"},
        {"/mnt/gammal/Backup", "/mnt/gammal", "Bilder", unusable + "källmappen /mnt/gammal/Bilder"},
        // Another job's main folder: that job's mirror would empty it.
        {"/mnt/gammal/Backup", "/mnt/gammal/Musik", "Bilder",
         "skulle få en backupmapp som inte kan användas: backupmappen är källmappen /mnt/gammal/Musik för "
         "jobbet "
         "''Musik''"},
        // Only the sources move, below the backup folder that stays.
        {"/mnt/gammal/Musik", "/mnt/gammal/Backup/Musik", "Musik",
         unusable + "källmappen /mnt/gammal/Backup/Musik"},
        // An absolute job's folder moved out of its one main folder.
        {"/mnt/gammal/Dokument/Under", "/mnt/annan/Under", "Dokument",
         "inte skulle kunna köras: mappen /mnt/annan/Under ligger utanför huvudmappen"},
        // The run takes a folder as written: a blank left at its end names another folder.
        {"/mnt/gammal/Backup", "/mnt/gammal/Backup ", "Bilder",
         "skulle få backupmappen \"/mnt/gammal/Backup \", som börjar eller slutar med ett blanktecken"},
        {"/mnt/gammal/Bilder/Under", "/mnt/gammal/Bilder/Under\t", "Bilder",
         "skulle få mappen \"/mnt/gammal/Bilder/Under\t\", som börjar eller slutar med ett blanktecken"},
    };
    run([&](frmsökersätt* w) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.with.toStdString());
            perform(w, c.find, c.with, true, "jobbet \"" + c.job + "\" då " + c.why);
            EXPECT_EQ(snapshot(), before);
            EXPECT_EQ(w->lastRun().jobs, 0);
            EXPECT_TRUE(w->cmdkör->isEnabled());
        }
        w->cmdavbryt->click();
    });
    EXPECT_TRUE(jobs->selections.isEmpty());
}

// The strips show the share done whatever the number of jobs: the job strip is half full half way
// and full at the end, and the category strip is full after each job.
TEST_F(SearchReplace, TheProgressStripsShowTheShareDone) {
    const struct {
        int jobs;
        bool categories;
    } cases[] = {{400, false}, {120, false}, {3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jobs);
        jobs->names.clear();
        for (int i = 0; i < c.jobs; ++i)
            jobs->names << QStringLiteral("Jobb %1").arg(i); // no files: nothing to change
        run([&](frmsökersätt* w) {
            for (int i = 0; i < w->listfiler->count(); ++i)
                w->listfiler->item(i)->setSelected(c.categories);
            QList<int> atJobStart; // without categories the run yields once per job
            w->doEvents = [&] { atJobStart << w->lblprocent11->width(); };
            perform(w, "/mnt/gammal", "/srv", true);
            const int full = w->Picture1->width();
            if (!c.categories) {
                ASSERT_EQ(atJobStart.size(), c.jobs);
                EXPECT_NEAR(atJobStart[c.jobs / 2], full / 2.0, 1.0);
            }
            EXPECT_EQ(w->lblprocent11->width(), full);
            EXPECT_EQ(w->lblprocent22->width(), w->picture2->width());
            w->cmdavbryt->click();
        });
    }
}

// Job files hold one value per line: a line break pasted into either text would split a value and
// shift the lines after it, so the run is refused before anything is written.
TEST_F(SearchReplace, ALineBreakInEitherTextIsRefusedAndNoFileChanges) {
    const QMap<QString, QByteArray> before = snapshot();
    const struct {
        const char *what, *find, *with;
    } cases[] = {
        {"LF in the replacement", "/mnt/gammal", "/mnt/x\nEVIL"},
        {"CR in the search text", "/mnt/gammal\r", "/srv"},
        {"trailing CR LF", "/mnt/gammal", "/srv\r\n"},
    };
    run([&](frmsökersätt* w) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            perform(w, c.find, c.with, true, "radbrytningar");
            EXPECT_EQ(snapshot(), before);
            EXPECT_TRUE(w->cmdkör->isEnabled());
        }
        w->cmdavbryt->click();
    });
    EXPECT_TRUE(jobs->selections.isEmpty());
}

// Another operation on the files goes on: "Utför" is refused and nothing is written. A run holds
// the gate while it works and lets it go before its closing message, which waits for the user.
TEST_F(SearchReplace, HoldsTheOperationGateWhileItWorksAndIsRefusedDuringAnother) {
    const QMap<QString, QByteArray> before = snapshot();
    run([&](frmsökersätt* w) {
        {
            Operation other("återställning");
            ASSERT_TRUE(other);
            perform(w, "/mnt/gammal", "/srv", true, "en annan åtgärd pågår (återställning)");
            EXPECT_TRUE(w->cmdkör->isEnabled());
            EXPECT_FALSE(w->Frame2->isVisibleTo(w));
        }
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(jobs->selections.isEmpty());

        QStringList held;
        w->doEvents = [&] { held << prog().operations().current(); };
        w->txtsök1->setText("/mnt/gammal");
        w->txtsök2->setText("/srv");
        w->optjobb2->setChecked(true);
        dialogs().expectWindow("frmerror", [&](QWidget*) { EXPECT_FALSE(prog().operations().busy()); });
        w->cmdkör->click();
        ASSERT_FALSE(held.isEmpty());
        EXPECT_EQ(held.count("sök och ersätt"), held.size());
        EXPECT_EQ(w->lastRun().jobs, 3);
        w->cmdavbryt->click();
    });
    EXPECT_FALSE(prog().operations().busy());
}

} // namespace
