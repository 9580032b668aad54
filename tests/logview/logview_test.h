#pragma once
#include "core/main_window.h"
#include "support/fixture.h"

#include <QTextEdit>

// A program folder with the main window loaded for its system log, at a fixed time.
class LogviewTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        m = prog().form<frmmain>();
        m->txtsyslogg->clear();
    }
    // The system-log lines written so far, without their time.
    QStringList logLines() const {
        QStringList out;
        for (const QString& l : m->systemLogText().split("\r\n", Qt::SkipEmptyParts))
            out << l.mid(QString("2026-01-02 03:04:05  ").size());
        return out;
    }
    frmmain* m = nullptr;
};
