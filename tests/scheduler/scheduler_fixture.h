#pragma once
// A program folder with jobs in the first job group, the main window loaded over them, and the
// reporter's messages expected by their text.
#include "core/error_dialog.h"
#include "core/job_files.h"
#include "mainwindow/main_window.h"
#include "scheduler/scheduler.h"
#include "support/fixture.h"
#include "support/qt_print.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTextEdit>

class SchedulerTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(group());
        // Wednesday 5 June 2024.
        prog().clock.setNow(QDateTime(QDate(2024, 6, 5), QTime(9, 0)));
        scheduler(); // as the main window has it from the start
    }
    QString group() const { return path("Listor"); }
    // Writes the jobs and loads them into the main window, the first one selected.
    frmmain* jobs(const QStringList& names) {
        for (const QString& n : names) {
            testutil::JobSpec j;
            j.name = n;
            j.folders = {work(n)};
            j.mainFolders = {work(n)};
            j.backupFolder = work("Backup");
            testutil::writeJob(group(), j);
        }
        frmmain* m = prog().form<frmmain>();
        m->cmdload_Click();
        return m;
    }
    void schedule(const QString& job, const JobFiles::Schedule& s) { JobFiles(job).writeSchedule(s); }
    QByteArray bytes(const QString& name) const { return testutil::readBytes(path(name)); }
    // The reporter shows a message containing `text`.
    void expectReport(const QString& text) {
        dialogs().expectWindow("frmerror", [text](QWidget* w) {
            auto* e = static_cast<frmerror*>(w);
            EXPECT_TRUE(e->lblfel->toPlainText().contains(QString(text).replace("\r\n", "\n")))
                << e->lblfel->toPlainText().toStdString() << "\nwanted: " << text.toStdString();
            e->cmdok_Click();
        });
    }
    QString systemLog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
};
