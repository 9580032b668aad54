#pragma once
// A stand-in for the main window, for tests of the floors below it that watch what they ask of
// it. It serves while it lives.
#include "core/program.h"

#include <QStringList>

class FakeMainWindow : public MainWindowServices {
  public:
    FakeMainWindow() { program().setMainWindow(this); }
    ~FakeMainWindow() override { program().forget(this); }

    QStringList jobs;
    int current = -1;
    QString Tag;
    bool scheduler = false;
    int reloadRequests = 0;
    int schedulerLogMarks = 0;
    QStringList schedulerLog;

    int jobCount() const override { return int(jobs.size()); }
    QString jobName(int i) const override { return jobs.value(i); }
    int currentJobIndex() const override { return current; }
    QString currentJobName() const override { return jobs.value(current); }
    void selectJob(int i) override { current = i; }
    void requestReload() override { ++reloadRequests; }
    QString tag() const override { return Tag; }
    void setTag(const QString& t) override { Tag = t; }
    bool schedulerOn() const override { return scheduler; }
    void setSchedulerOn(bool on) override { scheduler = on; }
    void addSchedulerLogEntry(const QString& text) override { schedulerLog << text; }
    void markSchedulerLogError() override { ++schedulerLogMarks; }
};
