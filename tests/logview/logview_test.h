#pragma once
#include "support/fake_main_window.h"
#include "support/fixture.h"

#include <memory>

// A program folder with a stand-in main window, at a fixed time.
class LogviewTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        m = std::make_unique<FakeMainWindow>();
    }
    void TearDown() override {
        m.reset();
        ProgramTest::TearDown();
    }
    // The system-log lines written so far, without their time.
    QStringList logLines() {
        QStringList out;
        for (const QString& l : prog().systemLog().text().split("\r\n", Qt::SkipEmptyParts))
            out << l.mid(QString("2026-01-02 03:04:05  ").size());
        return out;
    }
    std::unique_ptr<FakeMainWindow> m;
};
