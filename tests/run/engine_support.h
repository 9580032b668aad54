#pragma once
// A stand-in for the backup window and a fixture for the engine's tests.
#include "core/program.h"
#include "mainwindow/settings_window.h"
#include "platform/paths.h"
#include "run/copy_engine.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <functional>
#include <memory>

struct FakeJob {
    QString name;
    bool selected = true;
    std::function<void(CurrentJobRecord*)> load; // fills the current-job record
};

class FakeProgress : public RunProgress {
  public:
    bool sim = false;
    bool stop = false;
    int cancelAfterYields = -1; // cancel once this many yields have passed
    int yields = 0;
    int current = -1;
    std::vector<FakeJob> jobs;
    QStringList windowLines;
    QStringList statuses;
    QString file;
    QString targetFolder;
    int folderSteps = -1;
    int folderFiles = -1;
    long done = 0;
    long total = 0;
    // Runs when the copy rule shows the idle tray picture (also before a retry).
    std::function<void()> onIdle;

    bool simulated() const override { return sim; }
    bool cancelled() const override {
        return stop || (cancelAfterYields >= 0 && yields >= cancelAfterYields);
    }
    void stopRun() override { stop = true; }
    void yield() override { ++yields; }
    int jobCount() const override { return int(jobs.size()); }
    QString jobText(int i) const override { return jobs[i].name; }
    bool jobSelected(int i) const override { return jobs[i].selected; }
    void setJobSelected(int i, bool on) override { jobs[i].selected = on; }
    void selectJob(int i) override {
        current = i;
        CurrentJobRecord* m = &program().job();
        m->clearRecord();
        if (jobs[i].load)
            jobs[i].load(m);
    }
    QString jobName() const override { return current >= 0 ? jobs[current].name : QStringLiteral("Jobb"); }
    void clearWindowLog() override { windowLines.clear(); }
    void windowLog(const QString& t) override { windowLines << t; }
    void status(const QString& t) override { statuses << t; }
    void showFile(const QString& t) override { file = t; }
    void showTargetFolder(const QString& t) override { targetFolder = t; }
    void folderBar(int steps, int files) override {
        folderSteps = steps;
        folderFiles = files;
    }
    void totalBar(long d, long t) override {
        done = d;
        total = t;
    }
    void busy(bool on) override {
        if (!on && onIdle)
            onIdle();
    }
};

class EngineTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        m = &prog().job();
        s = prog().form<frmsetup>();
        engine = std::make_unique<BackupEngine>(progress);
        prog().clock.setNow(QDateTime(QDate(2026, 3, 4), QTime(10, 0, 0)));
    }
    void TearDown() override {
        engine.reset();
        platform::clearVolumeParents();
        ProgramTest::TearDown();
    }

    // One folder pair of the current job, as the target folders step leaves it.
    void pairUp(const QString& source, const QString& target) {
        engine->List2 << source;
        engine->List3.push_back(FolderPair{platform::withTrailingSeparator(source),
                                           platform::withTrailingSeparator(target), false});
        testutil::makeDir(target);
        // The copy reaches its target folders from the job's backup folder only.
        if (m->txtbackupmapp.isEmpty() || !platform::isSameOrBelow(target, m->txtbackupmapp))
            m->txtbackupmapp = platform::parentPath(platform::withoutTrailingSeparator(target));
    }
    QStringList log(const QString& name) const { return testutil::readLines(path(name)); }

    CurrentJobRecord* m = nullptr;
    frmsetup* s = nullptr;
    FakeProgress progress;
    std::unique_ptr<BackupEngine> engine;
};

// Times of the tests: a fixed moment and seconds around it.
inline QDateTime at(int seconds = 0) {
    return QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)).addSecs(seconds);
}
