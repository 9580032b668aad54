// The copy engine of the backup window and what the window shows of it. The engine reports per
// file; the controls are brought up to date at a steady rate, when the run yields.
#include "run/backup_window.h"

#include "core/program.h"
#include "platform/events.h"
#include "run/copy_engine.h"
#include "run/run_status.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

class WindowRunProgress : public RunProgress {
  public:
    explicit WindowRunProgress(frmutförbackup& w) : w_(w) {}

    bool simulated() const override { return w_.chkbackupsimulera->isChecked(); }
    bool windowVisible() const override { return w_.isVisible(); }
    bool cancelled() const override {
        return w_.avbryt_körning == 1 || program().schema_avstängt == 1 ||
               program().operations().stopRequested();
    }
    void stopRun() override {
        w_.avbryt_körning = 1;
        w_.disken_full = true;
    }
    void yield() override {
        if (timer_.isValid() && timer_.elapsed() < 20)
            return;
        apply();
        platform::doEvents();
        timer_.restart();
    }

    int jobCount() const override { return w_.List1->count(); }
    QString jobText(int i) const override { return w_.List1->item(i)->text(); }
    bool jobSelected(int i) const override { return w_.List1->item(i)->isSelected(); }
    void setJobSelected(int i, bool on) override { w_.List1->item(i)->setSelected(on); }
    void selectJob(int i) override {
        w_.List1->setCurrentRow(i, QItemSelectionModel::NoUpdate);
        program().mainWindow().selectJob(i);
    }
    QString jobName() const override {
        return w_.List1->currentItem() ? w_.List1->currentItem()->text() : QString();
    }

    void clearWindowLog() override { w_.txtloggtext->clear(); }
    void windowLog(const QString& text) override { w_.addLogLine(text); }
    void status(const QString& text) override { runstatus::setMainText("lblschema_statuspågår", text); }
    void showFile(const QString& text) override {
        file_ = text;
        fileName_.clear();
        fileDirty_ = true;
    }
    void showFileOf(int k, int n, const QString& fileName, qint64 bytes) override {
        fileK_ = k;
        fileN_ = n;
        fileName_ = fileName;
        fileBytes_ = bytes;
        fileDirty_ = true;
    }
    void showTargetFolder(const QString& text) override {
        target_ = text;
        targetDirty_ = true;
    }
    void countersChanged() override { countersDirty_ = true; }
    void folderBar(int steps, int files) override {
        steps_ = steps;
        files_ = files;
        folderDirty_ = true;
    }
    void totalBar(long done, long total) override {
        done_ = done;
        total_ = total;
        totalDirty_ = true;
    }
    void busy(bool on) override { runstatus::setTray(on ? runstatus::Tray::Running : runstatus::Tray::Idle); }
    void message(int number, const QString& text, const QString& place) override {
        w_.holdMessage(number, text, place);
    }
    void markFolder(int row) {
        row_ = row;
        rowDirty_ = true;
    }

    void apply() {
        if (rowDirty_ && row_ < w_.List2->count())
            w_.List2->setCurrentRow(row_);
        if (fileDirty_) {
            if (!fileName_.isEmpty())
                file_ = fileDisplayText(fileK_, fileN_, fileName_, fileBytes_);
            w_.txtfil->setText(file_);
        }
        if (targetDirty_)
            w_.txtbackup->setText(target_);
        if (countersDirty_)
            w_.refreshCounters();
        if (folderDirty_) {
            const int full = w_.Picture3->width();
            const int width = files_ <= 0 ? full : int(double(steps_) / files_ * full);
            w_.lblprocent1->resize(qMin(width, full), w_.lblprocent1->height());
        }
        if (totalDirty_) {
            const double share = total_ > 0 ? double(done_) / total_ : 0;
            w_.lblprocent3->resize(int(qMin(share, 1.0) * w_.Picture2->width()), w_.lblprocent3->height());
            const QString text = percentText(done_, total_);
            if (text != w_.lblprocent3->text()) {
                w_.lblprocent3->setText(text);
                w_.lblprocent3_Change();
            }
            runstatus::setProgressShare(share);
        }
        fileDirty_ = targetDirty_ = countersDirty_ = folderDirty_ = totalDirty_ = rowDirty_ = false;
    }

  private:
    frmutförbackup& w_;
    QElapsedTimer timer_;
    QString file_, target_;
    QString fileName_; // with the values below: the file shown, its text made when shown
    int fileK_ = 0, fileN_ = 0;
    qint64 fileBytes_ = 0;
    int steps_ = 0, files_ = 0, row_ = -1;
    long done_ = 0, total_ = 1;
    bool fileDirty_ = false, targetDirty_ = false, countersDirty_ = false, folderDirty_ = false,
         totalDirty_ = false, rowDirty_ = false;
};

} // namespace

BackupEngine& frmutförbackup::engine() {
    if (!engine_) {
        progress_ = std::make_unique<WindowRunProgress>(*this);
        engine_ = std::make_unique<BackupEngine>(*progress_);
    }
    return *engine_;
}

void frmutförbackup::applyProgress() {
    engine();
    static_cast<WindowRunProgress*>(progress_.get())->apply();
}

void frmutförbackup::refreshCounters() {
    BackupEngine& e = engine();
    const QString t = QString::number(e.antalfel);
    if (t != lblantalfel->text()) {
        lblantalfel->setText(t);
        lblantalfel_Change();
    }
    imgerr->setVisible(e.imgerr);
    if (runGoingOn() && countersLive_) {
        lbl2->setText(QStringLiteral("Kopierade filer: ") + QString::number(e.kopierade_totalt));
        lblantalfelrätt->setText(QStringLiteral("Kopierade filer: ") + QString::number(e.kopierade_totalt) +
                                 QStringLiteral(", antal fel: ") + lblantalfel->text());
    }
}

long frmutförbackup::errorCount() const {
    return engine_ ? engine_->antalfel : long(lblantalfel->text().toLong());
}

void frmutförbackup::setErrorCount(long n) {
    engine().antalfel = n;
    refreshCounters();
}

void frmutförbackup::countError(bool showImage) {
    engine().countError(showImage);
    refreshCounters();
}

void frmutförbackup::showErrorImage() {
    engine().imgerr = true;
    refreshCounters();
}

void frmutförbackup::showJobFolders() {
    List2->clear();
    List2->addItems(engine().List2);
}

void frmutförbackup::showJobFolderMarks() {
    const QStringList folders = engine().List2;
    if (List2->count() != folders.size()) {
        showJobFolders();
        return;
    }
    // Only the filtered folders' entries changed: those are rewritten, not the whole list.
    for (int i = 0; i < List2->count(); ++i) {
        QListWidgetItem* item = List2->item(i);
        if (item->text() != folders[i])
            item->setText(folders[i]);
    }
}

void frmutförbackup::markJobFolder(int k) {
    engine();
    static_cast<WindowRunProgress*>(progress_.get())->markFolder(k);
}

void frmutförbackup::removeJobFolder(int k) {
    BackupEngine& e = engine();
    if (k >= 0 && k < e.List2.size())
        e.List2.removeAt(k);
    // Taken out, not hidden: every layout and paint looks up each hidden row, so hiding the done
    // folders of a big job slows the run as it goes. Folders are done from the last, so only the
    // missing folders after it move, and the rows keep the engine's numbers.
    if (k >= 0 && k < List2->count())
        delete List2->takeItem(k);
}
