// The copy engine of the backup window and what the window shows of it. The engine reports per
// file; the controls are brought up to date at a steady rate, when the run yields.
#include "run/backup_window.h"

#include "core/program.h"
#include "platform/events.h"
#include "run/copy_engine.h"
#include "run/run_driver.h"
#include "run/run_status.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

// What a run shows changes with every file; the shown texts, bars and lists follow a few times a
// second. More would flood accessibility clients, which hear of every change of a text or a list
// (a screen reader then answers slowly), and costs painting.
constexpr qint64 kRefreshMs = 250;

} // namespace

class WindowRunProgress : public RunProgress {
  public:
    explicit WindowRunProgress(frmutförbackup& w) : w_(w) {}

    bool simulated() const override { return w_.simulating(); }
    bool windowVisible() const override { return w_.isVisible(); }
    bool mirroring() const override { return w_.plan().mirror; }
    bool cancelled() const override { return w_.runStopped(); }
    void stopRun() override { w_.stopRun(RunStop::DiskFull); }
    void yield() override {
        if (timer_.isValid() && timer_.elapsed() < 20)
            return;
        if (w_.refreshDue())
            apply();
        platform::doEvents();
        timer_.restart();
    }

    int jobCount() const override { return w_.List1->count(); }
    QString jobText(int i) const override { return w_.List1->item(i)->text(); }
    // The run's plan decides and the list shows it; a job taken out never comes back in.
    bool jobSelected(int i) const override { return w_.runState().plan.has(i); }
    void setJobSelected(int i, bool on) override {
        if (!on)
            w_.driver().dropJob(i);
        w_.List1->item(i)->setSelected(w_.runState().plan.has(i));
    }
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
    void refusal(const QString& text, const QString& place) override { w_.holdRefusal(text, place); }
    void markFolder(int row) {
        row_ = row;
        rowDirty_ = true;
    }
    // Folders are done from the last: their rows leave the list in falling order, neighbours in
    // one removal, with the next refresh.
    void removeFolder(int row) {
        if (!removed_.empty() && row >= removed_.back())
            takeRemovedRows();
        removed_.push_back(row);
        if (row == row_)
            rowDirty_ = false;
    }
    // The list is filled anew: rows waiting to leave the old one are forgotten.
    void forgetFolderRows() {
        removed_.clear();
        rowDirty_ = false;
    }
    void jobProgress(int barWidth, int foldersLeft) {
        jobBar_ = barWidth;
        foldersLeft_ = foldersLeft;
        jobDirty_ = true;
    }

    void apply() {
        takeRemovedRows();
        if (rowDirty_ && row_ < w_.List2->count())
            w_.List2->setCurrentRow(row_);
        if (jobDirty_) {
            w_.lblprocent2->resize(jobBar_, w_.lblprocent2->height());
            w_.showFoldersLeft(foldersLeft_);
        }
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
        fileDirty_ = targetDirty_ = countersDirty_ = folderDirty_ = totalDirty_ = rowDirty_ = jobDirty_ =
            false;
    }

  private:
    void takeRemovedRows() {
        QAbstractItemModel* model = w_.List2->model();
        for (size_t i = 0; i < removed_.size();) {
            const int high = removed_[i];
            int low = high;
            size_t j = i + 1;
            while (j < removed_.size() && removed_[j] == low - 1)
                low = removed_[j++];
            if (high < model->rowCount())
                model->removeRows(low, high - low + 1);
            i = j;
        }
        removed_.clear();
    }

    frmutförbackup& w_;
    QElapsedTimer timer_;
    QString file_, target_;
    QString fileName_; // with the values below: the file shown, its text made when shown
    int fileK_ = 0, fileN_ = 0;
    qint64 fileBytes_ = 0;
    int steps_ = 0, files_ = 0, row_ = -1;
    std::vector<int> removed_; // rows of List2 to take out, falling
    int jobBar_ = 0, foldersLeft_ = 0;
    long done_ = 0, total_ = 1;
    bool fileDirty_ = false, targetDirty_ = false, countersDirty_ = false, folderDirty_ = false,
         totalDirty_ = false, rowDirty_ = false, jobDirty_ = false;
};

BackupEngine& frmutförbackup::engine() {
    if (!engine_) {
        progress_ = std::make_unique<WindowRunProgress>(*this);
        engine_ = std::make_unique<BackupEngine>(*progress_);
    }
    return *engine_;
}

WindowRunProgress& frmutförbackup::shownProgress() {
    engine();
    return *static_cast<WindowRunProgress*>(progress_.get());
}

void frmutförbackup::applyProgress() {
    shownProgress().apply();
}

bool frmutförbackup::refreshDue() {
    // Paced by the program's clock; a clock set back counts as due.
    const QDateTime now = program().clock.now();
    if (lastRefresh_.isValid() && now >= lastRefresh_ && lastRefresh_.msecsTo(now) < kRefreshMs)
        return false;
    lastRefresh_ = now;
    return true;
}

void frmutförbackup::yieldRun() {
    shownProgress().yield();
}

void frmutförbackup::showJobProgress(int barWidth, int foldersLeft) {
    shownProgress().jobProgress(barWidth, foldersLeft);
}

void frmutförbackup::showFoldersLeft(int n) {
    txtmapparkvar->setText(QStringLiteral("Antal mappar kvar: ") + QString::number(n));
    runstatus::setMainText("lblschema_mappar", QString::number(n) + QStringLiteral(" st"));
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
        const QString copied = copiedCountLabel() + QString::number(e.kopierade_totalt);
        lbl2->setText(copied);
        lblantalfelrätt->setText(copied + QStringLiteral(", antal fel: ") + t);
    }
}

QString frmutförbackup::copiedCountLabel() const {
    return ::copiedCountLabel(simulating());
}

void frmutförbackup::countError(bool showImage) {
    engine().countError(showImage); // shown with the run's next refresh
    if (!runGoingOn())
        refreshCounters();
}

void frmutförbackup::showErrorImage() {
    engine().imgerr = true;
    refreshCounters();
}

void frmutförbackup::showJobFolders() {
    shownProgress().forgetFolderRows();
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

void frmutförbackup::clearJobFolders() {
    shownProgress().forgetFolderRows();
    List2->clear();
}

void frmutförbackup::markJobFolder(int k) {
    shownProgress().markFolder(k);
}

void frmutförbackup::removeJobFolder(int k) {
    BackupEngine& e = engine();
    if (k >= 0 && k < e.List2.size())
        e.List2.removeAt(k);
    // Taken out, not hidden: every layout and paint looks up each hidden row, so hiding the done
    // folders of a big job slows the run as it goes. Folders are done from the last, so only the
    // missing folders after it move, and the rows keep the engine's numbers. The row leaves with
    // the next refresh, together with the others done by then.
    if (k >= 0 && k < List2->count())
        shownProgress().removeFolder(k);
}
