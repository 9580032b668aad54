// The run driver with a stand-in for the backup window, which is never built.
#include "run/run_driver.h"
#include "support/fixture.h"

#include "mainwindow/main_window.h"
#include "run/backup_window.h"
#include "run/copy_engine.h"
#include "run/mirror.h"
#include "run/run_view.h"

#include <QComboBox>
#include <QFile>
#include <functional>

namespace {

// The job list and what the driver said, as a window would show them.
class StandInView : public RunView {
  public:
    QStringList jobs;
    int current = -1;
    bool going = false;
    QStringList lines;
    std::function<void(const QString&)> onLine;
    bool resultStopped = false;
    QStringList resultRows;

    bool runGoingOn() const override { return going; }
    int jobCount() const override { return int(jobs.size()); }
    QString jobText(int i) const override { return jobs[i]; }
    void setJobText(int i, const QString& text) override { jobs[i] = text; }
    int currentJob() const override { return current; }
    void setCurrentJob(int i) override { current = i; }
    void showRunGoingOn(bool on) override { going = on; }
    void showRunControls(bool on) override { going = on; }
    void windowLog(const QString& text) override {
        lines << text;
        if (onLine)
            onLine(text);
    }
    void loadResult(bool, bool stopped, const QString&, const QStringList& rows) override {
        resultStopped = stopped;
        resultRows = rows;
    }
};

// The engine's view of the run: the driver's plan and stop, the stand-in's job list.
class DriverProgress : public RunProgress {
  public:
    explicit DriverProgress(StandInView& view) : view_(view) {}
    RunDriver* driver = nullptr;

    bool cancelled() const override { return driver->state().stopped(); }
    void stopRun() override { driver->stopRun(RunStop::DiskFull); }
    int jobCount() const override { return view_.jobCount(); }
    QString jobText(int i) const override { return view_.jobText(i); }
    bool jobSelected(int i) const override { return driver->state().plan.has(i); }
    void setJobSelected(int i, bool on) override {
        if (!on)
            driver->dropJob(i);
    }
    void selectJob(int i) override {
        view_.setCurrentJob(i);
        program().mainWindow().selectJob(i);
    }
    QString jobName() const override { return view_.current >= 0 ? view_.jobText(view_.current) : QString(); }

  private:
    StandInView& view_;
};

class QuietMirrorView : public MirrorView {
  public:
    void windowLog(const QString&) override {}
    void appendToWindowLog(const QString&) override {}
    void runLog(const QString&) override {}
    void errorLog(const QStringList&) override {}
    void countError() override {}
    bool cancelled() override { return false; }
};

class RunDriverWithoutWindow : public ProgramTest {};

TEST_F(RunDriverWithoutWindow, AStopAtTheSecondJobIsSummedUpAsStoppedAndThatJobKeepsNoLastRun) {
    prog().jobbgruppmapp = path("Listor");
    testutil::makeDir(path("Listor"));
    const QString dst = work("backup");
    testutil::makeDir(dst);
    const QDateTime old(QDate(2024, 1, 1), QTime(10, 0, 0));
    for (const char* n : {"A", "B"}) {
        testutil::writeFile(work(n) + "/f.txt", "data", old);
        testutil::writeJob(path("Listor"), testutil::jobOver(n, work(n), dst));
    }
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();

    StandInView view;
    for (int i = 0; i < m->comboinställningar->count(); ++i)
        view.jobs << m->comboinställningar->itemText(i);
    ASSERT_EQ(view.jobs, QStringList({"A", "B"}));
    DriverProgress progress(view);
    BackupEngine engine(progress);
    QuietMirrorView mirrorView;
    Mirror mirror(mirrorView);
    RunDriver driver(view, engine, mirror);
    progress.driver = &driver;
    // The user stops the run as the second job begins.
    view.onLine = [&](const QString& line) {
        if (line == " Backup på jobb B startade")
            driver.stopRun(RunStop::ByUser);
    };

    RunPlan plan;
    plan.jobs = {0, 1};
    driver.run(plan);

    EXPECT_TRUE(QFile::exists(dst + work("A") + "/f.txt"));
    EXPECT_FALSE(QFile::exists(dst + work("B") + "/f.txt"));
    EXPECT_TRUE(QFile::exists(path("Listor/A.007")));
    EXPECT_FALSE(QFile::exists(path("Listor/B.007")));
    EXPECT_EQ(view.jobs, QStringList({"A (1 kopierad fil)", "B"}));
    EXPECT_EQ(driver.state().stop, RunStop::ByUser);
    EXPECT_TRUE(driver.state().resultText.startsWith("Backup avbröts."));
    EXPECT_TRUE(view.resultStopped);
    ASSERT_FALSE(view.resultRows.isEmpty());
    EXPECT_EQ(view.resultRows.last(), "  Backupkörningen avbröts av användaren!");
    EXPECT_TRUE(driver.summaryBlock().endsWith("  Backupkörningen avbröts av användaren!"));
    EXPECT_FALSE(view.going);
    EXPECT_FALSE(driver.running());
    EXPECT_EQ(prog().loaded<frmutförbackup>(), nullptr);
}

} // namespace
