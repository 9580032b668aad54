// What the run driver shows in the backup window and asks of it.
#include "run/backup_window.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "run/copy_engine.h"
#include "run/leftover_window.h"
#include "run/mirror.h"
#include "run/result_dialogs.h"
#include "run/run_driver.h"
#include "run/run_view.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

class WindowRunView : public RunView {
  public:
    explicit WindowRunView(frmutförbackup& w) : w_(w) {}

    bool visible() const override { return w_.isVisible(); }
    bool runGoingOn() const override { return w_.runGoingOn(); }
    bool commonSchedule() const override { return w_.gemensamt_schema; }

    int jobCount() const override { return w_.List1->count(); }
    QString jobText(int i) const override { return w_.List1->item(i)->text(); }
    void setJobText(int i, const QString& text) override { w_.List1->item(i)->setText(text); }
    int currentJob() const override { return w_.List1->currentRow(); }
    void setCurrentJob(int i) override { w_.List1->setCurrentRow(i, QItemSelectionModel::NoUpdate); }

    void showRunGoingOn(bool on) override { w_.cmdkörbackup->setEnabled(!on); }
    void showRunControls(bool on) override {
        QPushButton* cancel = w_.cmdavbryt;
        cancel->setDefault(on);
        if (!on)
            cancel->setAutoDefault(false);
        platform::setCancelButton(cancel, on);
        cancel->setVisible(on);
        w_.cmdpaus->setVisible(on);
        w_.cmdkörbackup->setEnabled(!on);
        w_.Command4->setEnabled(!on);
        w_.setRunInputLocked(on);
    }
    void showJobSummary(bool on) override {
        w_.showJobSummary(on);
        w_.Frame2->setTitle(on ? QStringLiteral("Sammanställning för valt jobb:")
                               : QStringLiteral("Mappar som kommer att kopieras för aktuellt jobb:"));
    }
    void hideMirrorPanel() override { w_.frame_sync->hide(); }
    void clearCancelRequest() override { w_.setLblavbryt(QString()); }

    void clearWindowLog() override { w_.txtloggtext->clear(); }
    void windowLog(const QString& text) override { w_.addLogLine(text); }
    void appendToWindowLog(const QString& text) override { w_.addLogRaw(text); }

    void showCounters() override { w_.refreshCounters(); }
    void countError(bool showImage) override { w_.countError(showImage); }
    void followCopyCount(bool on) override { w_.countersLive_ = on; }
    void showTimes(const QString& started, const QString& copied) override {
        w_.lbl1->setText(started);
        w_.lbl2->setText(copied);
    }
    void showCopiedAndErrors(const QString& text) override { w_.lblantalfelrätt->setText(text); }
    void showMissingFolders(const QStringList& folders) override {
        w_.listerror->clear();
        w_.listerror->addItems(folders);
    }
    void showLastJob(const QString& text) override { w_.lblsenastkördajobb_namn->setText(text); }
    void showBackupFolder(const QString& text) override { w_.lblmapp->setText(text); }
    void showFile(const QString& text) override { w_.txtfil->setText(text); }
    void showTargetFolder(const QString& text) override { w_.txtbackup->setText(text); }

    void yield() override { w_.yieldRun(); }
    void applyProgress() override { w_.applyProgress(); }
    void showBars(bool full) override {
        for (QLabel* l : {w_.lblprocent1, w_.lblprocent2, w_.lblprocent3})
            l->resize(full ? w_.List2->width() : 0, l->height());
        w_.lblprocent3->clear();
        w_.lblprocent3_Change();
    }
    int jobBarWidth() const override { return w_.Picture1->width(); }
    void clearJobBar() override { w_.lblprocent2->resize(0, w_.lblprocent2->height()); }
    void showJobProgress(int barWidth, int foldersLeft) override {
        w_.showJobProgress(barWidth, foldersLeft);
    }
    void showFoldersLeft(int n) override { w_.showFoldersLeft(n); }
    void clearFoldersLeft() override { w_.txtmapparkvar->clear(); }
    void showJobFolders() override { w_.showJobFolders(); }
    void showJobFolderMarks() override { w_.showJobFolderMarks(); }
    void clearJobFolders() override { w_.clearJobFolders(); }
    void markJobFolder(int k) override { w_.markJobFolder(k); }
    void removeJobFolder(int k) override { w_.removeJobFolder(k); }
    void showProgressWindow(bool on) override { w_.visa_procent(on); }

    void startRunLog(const QString& date, const QString& time) override { w_.tömlogfil(date, time); }
    void saveChosenJobs() override { w_.spara_valda_inställningar(); }
    void foldExclusionLog() override { w_.kopiera_exlog_till_log(); }
    void foldErrorLog() override { w_.kopiera_errorlog_till_log(); }
    QString saveRunLog(const QDateTime& start, runlog::SavedLogFacts facts) override {
        return w_.spara_loggfil_i_loggmapp(start, std::move(facts));
    }
    void closeProgramsBefore() override { w_.stäng_program_före_backup(); }
    void startProgramsAfter() override { w_.starta_program_efter_backup(); }
    void prepareMirror() override { w_.sync_förbered(); }
    void rememberJobRun() override { w_.rememberJobRun(); }
    void holdMessage(int number, const QString& text, const QString& place,
                     const QString& description) override {
        w_.holdMessage(number, text, place, description);
    }
    void showHeldMessage() override { w_.showHeldMessage(); }
    void loadResult(bool errors, bool stopped, const QString& result, const QStringList& rows) override {
        frmklarbackup* klar = program().form<frmklarbackup>();
        klar->Form_Load(errors, stopped);
        klar->lblinfo->setText(result);
        klar->Text1->setPlainText(rows.join(QLatin1Char('\n')));
    }
    void showSchedulePopup(const QString& detail) override { w_.visa_popup_schema(detail); }
    void showLeftovers(const QDateTime& start) override { w_.visa_syncfilermappar(start); }
    void saveLeftoverList(const QDateTime& start) override { w_.spara_syncschemalista_till_fil(start); }
    void showSimulation() override { w_.visa_simulerad_backup(); }
    void showResult() override { w_.visa_klarbackup(); }
    void refreshJobSummary() override { w_.List1_Click(); }
    void closeAfterUnattendedRun() override {
        program().unload<frmklarbackup>();
        program().unload<frmsyncfilermappar>();
        program().unload<frmutförbackup>();
    }

  private:
    frmutförbackup& w_;
};

RunDriver& frmutförbackup::driver() {
    if (!driver_) {
        runView_ = std::make_unique<WindowRunView>(*this);
        driver_ = std::make_unique<RunDriver>(*runView_, engine(), mirror());
    }
    return *driver_;
}
