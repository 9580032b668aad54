// Procedures of the backup window that hand over to the mirror engine, the programs around a
// job and the result windows.
#include "run/backup_window.h"

#include "core/error_dialog.h"
#include "core/job_files.h"
#include "core/module1.h"
#include "core/program.h"
#include "core/run_memory.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/job_programs.h"
#include "run/leftover_window.h"
#include "run/mirror.h"
#include "run/result_dialogs.h"
#include "run/run_driver.h"
#include "run/run_log.h"
#include "run/run_status.h"
#include "run/simulation_window.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <utility>

namespace {

// The mirroring panel of the window, as the mirror engine sees it. What changes per file or
// folder (the name, the status, the counts, the bars) is shown with the run's refresh, a few
// times a second, as the copy pass's progress is.
class WindowMirrorView : public MirrorView {
  public:
    explicit WindowMirrorView(frmutförbackup& w) : w_(w) {}
    void windowLog(const QString& text) override { w_.addLogLine(text); }
    void appendToWindowLog(const QString& text) override { w_.addLogRaw(text); }
    void runLog(const QString& line) override {
        platform::appendLines(runlog::logPath(program().programFolder()), {line});
    }
    void errorLog(const QStringList& lines) override {
        platform::appendLines(runlog::errLogPath(program().programFolder()), lines);
    }
    void countError() override { w_.countError(); }
    bool cancelled() override {
        return w_.runState().mirrorStopped || program().schema_avstängt == 1 ||
               program().operations().stopRequested();
    }
    void yield() override {
        if (timer_.isValid() && timer_.elapsed() < 20)
            return;
        if (w_.refreshDue()) {
            apply();
            w_.applyProgress();
        }
        platform::doEvents();
        timer_.restart();
    }
    void showPanel(bool on) override {
        if (!on)
            apply();
        w_.frame_sync->setVisible(on);
        if (on)
            w_.frame_sync->raise();
    }
    void setMainFolderCaption(const QString& text) override { w_.frame_sync->setTitle(text); }
    void setStatus(const QString& text) override {
        status_ = text;
        statusDirty_ = true;
    }
    void setCurrentName(const QString& text) override {
        name_ = text;
        nameDirty_ = true;
    }
    void setFoldersLeft(int n) override {
        foldersLeft_ = n;
        foldersLeftDirty_ = true;
    }
    void setDeletedCounts(long folders, long files, const QString& mark) override {
        deletedFolders_ = folders;
        deletedFiles_ = files;
        mark_ = mark;
        deletedDirty_ = true;
    }
    void setProgress(double folders, double files) override {
        folderShare_ = folders;
        fileShare_ = files;
        progressDirty_ = true;
    }
    void setWorking(bool on) override {
        if (on && !w_.Timer1->isActive())
            w_.Timer1->start(1000);
        else if (!on)
            w_.Timer1->stop();
    }
    void setSchedulerStatus(const QString& text) override {
        runstatus::setMainText("lblschema_statuspågår", text);
    }

  private:
    void apply() {
        if (statusDirty_ && status_ != w_.lblinfo->text()) {
            w_.lblinfo->setText(status_);
            w_.lblinfo_Change();
        }
        if (nameDirty_) {
            w_.txtsyncfilmapp->setText(name_);
            w_.txtsyncfilmapp->setCursorPosition(int(name_.size()));
        }
        if (foldersLeftDirty_)
            w_.lblantalmappar->setText(QStringLiteral("Antal mappar kvar: ") + QString::number(foldersLeft_));
        if (deletedDirty_) {
            w_.lblraderademappar->setText(QStringLiteral("Mappar raderade: ") +
                                          QString::number(deletedFolders_) + mark_);
            w_.lblraderadefiler->setText(QStringLiteral("Filer raderade: ") + QString::number(deletedFiles_) +
                                         mark_);
        }
        if (progressDirty_) {
            w_.lblprocent22->resize(int(qBound(0.0, folderShare_, 1.0) * w_.Picture4->width()),
                                    w_.lblprocent22->height());
            w_.lblprocent11->resize(int(qBound(0.0, fileShare_, 1.0) * w_.Picture5->width()),
                                    w_.lblprocent11->height());
        }
        statusDirty_ = nameDirty_ = foldersLeftDirty_ = deletedDirty_ = progressDirty_ = false;
    }

    frmutförbackup& w_;
    QElapsedTimer timer_;
    QString status_, name_, mark_;
    int foldersLeft_ = 0;
    long deletedFolders_ = 0, deletedFiles_ = 0;
    double folderShare_ = 0, fileShare_ = 0;
    bool statusDirty_ = false, nameDirty_ = false, foldersLeftDirty_ = false, deletedDirty_ = false,
         progressDirty_ = false;
};

} // namespace

Mirror& frmutförbackup::mirror() {
    if (!mirror_) {
        mirrorView_ = std::make_unique<WindowMirrorView>(*this);
        mirror_ = std::make_unique<Mirror>(*mirrorView_);
    }
    return *mirror_;
}

void frmutförbackup::stäng_program_före_backup() {
    JobPrograms::stäng_program_före_backup(program().job().txtprogramstopp);
}

void frmutförbackup::starta_program_efter_backup() {
    JobPrograms::starta_program_efter_backup(program().job().txtprogramstart);
}

namespace {
MirrorJob currentMirrorJob() {
    const CurrentJobRecord& m = program().job();
    MirrorJob job;
    job.backupFolder = m.txtbackupmapp;
    job.mainFolders = m.combomappar;
    job.pathType = m.txtsökvägtyp;
    job.createMainFolder = m.txtabsolutsökväg_huvudmapp;
    job.preventMirror = m.txtsynkroniseraej;
    job.versionFolder = m.txtversionmapp;
    job.folders = m.listmappar;
    return job;
}
JobFiles currentJobFiles() {
    return JobFiles(program().jobbgruppmapp, program().mainWindow().currentJobName());
}
} // namespace

void frmutförbackup::sync_förbered() {
    MirrorJob job = currentMirrorJob();
    job.mountRoots = RunMemory::read(currentJobFiles()).mountRoots;
    const auto approved = engine().approvedBackupFolders.find(List1->currentRow());
    if (approved != engine().approvedBackupFolders.end())
        job.approved = approved->second;
    Mirror& mi = mirror();
    mi.fel_i_jobbet = false;
    mi.namedMounts = engine().otherMountsNamed;
    const RunPlan p = plan();
    mi.sync_förbered(job, p.mirror, p.mirrorSimulated, runstatus::setting("chkpapperskorg_synk"));
    // A backup folder that holds another disk or another job's backup is not copied into either.
    BackupEngine& e = engine();
    for (const QString& main : std::as_const(mi.notTheJobs))
        for (int k = 0; k < int(e.List2.size()) && k < int(e.List3.size()); ++k)
            if (platform::isSameOrBelow(e.List2[k], main))
                e.List3[size_t(k)].filtered = true;
    if (mi.fel_i_jobbet)
        engine().fel_i_jobbet = true;
    frame_sync->hide();
    Timer1->stop();
}

void frmutförbackup::rememberJobRun() {
    // A simulated run leaves the job's files as they were.
    if (plan().simulate)
        return;
    MirrorJob job = currentMirrorJob();
    const JobFiles files = currentJobFiles();
    job.mountRoots = RunMemory::read(files).mountRoots;
    RunMemory memory;
    memory.mountRoots = mountRootsToRemember(job, mirror());
    if (memory.mountRoots == job.mountRoots && (files.hasFile(RunMemory::kFile) || job.mountRoots.isEmpty()))
        return; // nothing new: the unchanged run writes nothing
    try {
        memory.write(files);
    } catch (const platform::RunError&) {
        // Not remembering only leaves the checks that need no memory.
    }
}

void frmutförbackup::visa_procent(bool show) {
    if (show) {
        frmprocent* p = program().form<frmprocent>();
        p->showMinimized();
    } else {
        program().unload<frmprocent>();
    }
}

void frmutförbackup::visa_popup_schema(const QString& detail) {
    const bool errors = engine().imgerr;
    const bool stopped = runStopped();
    if (errors ? !runstatus::setting("chkschemapopupfel")
               : !runstatus::setting("chkschemapopupok") || isVisible())
        return;
    frmbackupfel* f = program().form<frmbackupfel>();
    // A stop without errors is told where a run without errors would be, never as one done.
    if (errors || stopped)
        f->showErrors(QString::number(engine().antalfel), detail, stopped);
    else
        f->showSuccess(engine().kopierade_totalt, simulating());
    f->show();
}

void frmutförbackup::visa_syncfilermappar(const QDateTime& start) {
    if (!mirror_ || mirror_->leftovers.isEmpty())
        return;
    frmsyncfilermappar* f = program().form<frmsyncfilermappar>();
    f->List1->clear();
    f->List1->addItems(mirror_->leftovers);
    f->cmdsparalogg_Tag = platform::dateTimeText(start);
    f->cmdsparalogg->show();
    const Mirror& m = *mirror_;
    const long files = m.raderade_enstaka_filer + m.raderade_mappfiler;
    f->lblinfo->setText(
        platform::countText(m.raderade_mappar, QStringLiteral("mapp med "), QStringLiteral("mappar med ")) +
        platform::fileCount(m.raderade_mappfiler) + QStringLiteral(", och ") +
        platform::fileCount(m.raderade_enstaka_filer, QStringLiteral("enstaka"), QStringLiteral("enstaka")) +
        QStringLiteral(", totalt ") + platform::fileCount(files) + QStringLiteral(" kan raderas,   ") +
        platform::Format(float(m.mb_raderat), QStringLiteral("0.00")) + QStringLiteral(" MB"));
    program().dialogs.showModal(f);
}

void frmutförbackup::spara_syncschemalista_till_fil(const QDateTime& start) {
    if (!mirror_ || mirror_->leftovers.isEmpty())
        return;
    try {
        writeLeftoverList(platform::dateTimeText(start), mirror_->leftovers);
    } catch (const platform::RunError& e) {
        runstatus::systemLogError(
            QStringLiteral("FEL! Ett fel uppstod när speglingsloggen skulle sparas. Felkod ") +
            QString::number(e.number) + e.description + QLatin1Char('.'));
    }
}

void frmutförbackup::visa_simulerad_backup() {
    const BackupEngine& e = engine();
    if (e.simKällor.isEmpty())
        return;
    frmsimuleradbackup* s = program().form<frmsimuleradbackup>();
    s->List1->clear();
    s->List1->addItems(e.simKällor);
    s->List2 = e.simMål.mid(0, e.simKällor.size());
    s->List2.resize(e.simKällor.size());
    s->backupFolders = e.simBackupFolders;
    s->setWindowTitle(QStringLiteral("Simulerad backup"));
    QString info =
        QStringLiteral("Den simulerade backupen är slutförd. Nedan ser du filer som är nyare eller ändrade "
                       "och därför kan skrivas över till backupmappen.");
    if (program().job().txtversionshantering == QLatin1String("JA"))
        info += QStringLiteral(" Observera att versionshantering INTE gäller för de filer du kopierar här!");
    s->Label1->setText(info);
    s->cmdkopieraalla->setText(QStringLiteral("Backup alla"));
    s->cmdkopieramarkerad->setText(QStringLiteral("Backup markerade"));
    s->lblinfo->setText(QString::number(s->List1->count()) + QStringLiteral(" fil(er) kan kopieras. ") +
                        QString::number(engine().nya_totalt) + QStringLiteral(" ny(a), ") +
                        QString::number(engine().ändrade_totalt) + QStringLiteral(" ändrad(e)."));
    program().dialogs.showModal(s);
}

void frmutförbackup::holdMessage(int number, const QString& text, const QString& place,
                                 const QString& description) {
    // A dialog that someone else prepared and never showed is not this run's: the message gets a
    // fresh one.
    if (frmerror* d = program().loaded<frmerror>(); d && !d->isVisible() && !messageHeld_)
        program().unload<frmerror>();
    Module1::logga_meddelande(number, 0, text, place, description);
    messageHeld_ = program().loaded<frmerror>() != nullptr;
}

void frmutförbackup::holdRefusal(const QString& text, const QString& place) {
    // An unattended run shows no dialog: its refusal goes to the logs as it always did.
    if (plan().kind != RunKind::ByHand) {
        Module1::logga_meddelande(0, -1, text, place);
        return;
    }
    Module1::logga_meddelande(-1, 0, text, place); // the same line, without the dialog
    // With "Ignorera fel" the run would not have shown it either.
    if (!program().settings().chkignorerafel)
        heldRefusals_.append({text, place});
}

void frmutförbackup::showHeldMessage() {
    Program& p = program();
    const auto refusals = std::exchange(heldRefusals_, {});
    frmerror* held = messageHeld_ ? p.loaded<frmerror>() : nullptr;
    messageHeld_ = false;
    if (held && held->isVisible())
        held = nullptr;
    // The kept message lives in the reporter's one dialog, which the refusals use first.
    QString heldText;
    bool heldInformation = false;
    if (held && !refusals.isEmpty()) {
        heldText = held->lblfel->toPlainText();
        heldInformation = held->showsInformation();
        p.unload<frmerror>();
        held = nullptr;
    }
    for (const auto& [text, place] : refusals)
        Module1::logga_meddelande(-2, -1, text, place); // below -1: shown again, not logged again
    if (!heldText.isEmpty()) {
        held = p.form<frmerror>();
        held->setText(heldText);
        if (heldInformation)
            held->Image1->setPixmap(held->Image2->pixmap());
    }
    if (held)
        p.dialogs.showModal(held);
}

void frmutförbackup::visa_klarbackup() {
    frmklarbackup* k = program().form<frmklarbackup>();
    ResultCounts c;
    c.errors = engine().antalfel;
    c.nya = engine().nya_totalt;
    c.ändrade = engine().ändrade_totalt;
    c.skyddade = engine().skyddade_totalt;
    c.kopierade = engine().kopierade_totalt;
    c.genomsökta = engine().genomsökta_totalt;
    c.cancelled = driver().stopRecorded();
    c.total = engine().filtotal;
    c.simulated = simulating();
    k->fillBars(c);
    program().dialogs.showModal(k);
}
