#pragma once
// A stand-in for the main window, for tests of the floors below it that watch what they ask of
// it. It serves while it lives.
#include "core/program.h"

class FakeMainWindow : public MainWindowServices {
  public:
    FakeMainWindow() { program().setMainWindow(this); }
    ~FakeMainWindow() override { program().forget(this); }

    // Add what a test watches; the rest stays quiet.
    bool scheduler = false;
    int schedulerLogMarks = 0;
    QString tray;         // the tray icon's Tag
    int trayPictures = 0; // pictures given to the tray icon

    bool schedulerOn() const override { return scheduler; }
    void setSchedulerOn(bool on) override { scheduler = on; }
    void markSchedulerLogError() override { ++schedulerLogMarks; }
    QString trayTag() const override { return tray; }
    void setTrayTag(const QString& t) override { tray = t; }
    void setTrayPicture(const QIcon&) override { ++trayPictures; }
};
