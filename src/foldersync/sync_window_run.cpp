// The run driver of the folder synchronisation window, and what the window shows of the engine:
// the engine reports per file, the controls follow at a steady rate, when the run yields.
#include "foldersync/sync_window.h"

#include "core/module1.h"
#include "core/operations.h"
#include "core/program.h"
#include "foldersync/host.h"
#include "foldersync/sync_engine.h"
#include "foldersync/sync_logic.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/run_log.h"
#include "run/simulation_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {

const QString kStars(47, QLatin1Char('*'));

// False when `text` names no folder yet and the user does not want it made.
bool createIfMissingAsked(const QString& text) {
    const QString folder = platform::withoutTrailingSeparator(text);
    if (folder.isEmpty() || platform::fileInfo(folder).exists)
        return true;
    return program().dialogs.msgBox(QStringLiteral("Mappen du valt finns inte.\r\n") + text +
                                        QStringLiteral("\r\n\r\nVill du skapa den nu?"),
                                    platform::MsgButtons::YesNo,
                                    platform::MsgIcon::Question) == platform::Answer::Yes;
}

class WindowSyncView : public SyncView {
  public:
    explicit WindowSyncView(frmmappsync& w) : w_(w) {}

    bool cancelled() const override { return w_.cancelRequested(); }
    void yield() override {
        if (timer_.isValid() && timer_.elapsed() < 20)
            return;
        apply();
        platform::doEvents();
        timer_.restart();
    }

    void windowLog(const QString& text) override { w_.addLogLine(text); }
    // System-log lines are appended in batches: one insert per line into the main window's log
    // box costs more than the whole unchanged run. Each line keeps the time it was written at.
    void systemLog(const QString& text) override {
        systemLines_ << platform::dateTimeText(program().clock.now()) + QStringLiteral("  ") + text;
    }
    void systemLogError(const QString& text) override {
        systemLog(text);
        systemError_ = true;
    }
    void report(const QString& message) override {
        flush();
        Module1::logga_meddelande(0, -1, message, QString());
    }
    void flush() override { apply(); }

    void info(const QString& text) override {
        info_ = text;
        infoDirty_ = true;
    }
    void folderCount(int pass, int count) override {
        (pass == 1 ? w_.lblCount : w_.lblCount2)
            ->setText(platform::countText(count, QStringLiteral("mapp"), QStringLiteral("mappar")));
    }
    void direction(int dir) override {
        apply();
        w_.Frame2->setTitle(dir == 1 ? QStringLiteral("Förlopp   Mapp 1 ---> Mapp 2")
                                     : QStringLiteral("Förlopp   Mapp 1 <--- Mapp 2"));
    }
    void showFile(const QString& name) override {
        file_ = name;
        fileDirty_ = true;
    }
    void showFolder(const QString& folder) override {
        folder_ = folder;
        folderDirty_ = true;
    }
    void folderBar(int done, int files) override {
        done_ = done;
        files_ = files;
        barsDirty_ = true;
    }
    void totalBar(long done, long total) override {
        totalDone_ = done;
        total_ = total;
        barsDirty_ = true;
    }
    void countersChanged() override { countersDirty_ = true; }
    void trayIdle() override { trayDirty_ = true; }

    void apply() {
        if (!systemLines_.isEmpty()) {
            synchost::systemLogLines(systemLines_);
            systemLines_.clear();
        }
        if (systemError_)
            synchost::markProgramLogRed();
        systemError_ = false;
        const SyncEngine& e = w_.engine();
        if (infoDirty_)
            w_.lblinfo->setText(info_);
        if (fileDirty_)
            w_.txtfil->setText(file_); // the caret after the end keeps the name's end in view
        if (folderDirty_)
            w_.txtmapp->setText(folder_);
        if (barsDirty_) {
            const int full = w_.Picture1->width() - 2;
            w_.lblprocent1->resize(files_ > 0 ? qMin(full, int(double(done_) / files_ * full)) : 0,
                                   w_.lblprocent1->height());
            const int full2 = w_.Picture2->width() - 2;
            const double share = total_ > 0 ? qMin(1.0, double(totalDone_) / total_) : 0;
            w_.lblprocent2->resize(int(share * full2), w_.lblprocent2->height());
            const QString text = percentText(totalDone_, total_);
            if (text != w_.lblprocent2->text()) {
                w_.lblprocent2->setText(text);
                w_.Picture2->update(); // the box draws the part of the text beside the bar
            }
        }
        if (countersDirty_) {
            w_.lbl2->setText((e.request.simulera ? QStringLiteral("Filer som skulle kopieras: ")
                                                 : QStringLiteral("Kopierade filer: ")) +
                             QString::number(e.counts.antal_kopierade));
            if (e.imgerr)
                w_.imgerr->show();
        }
        if (trayDirty_)
            synchost::trayIdle();
        infoDirty_ = fileDirty_ = folderDirty_ = barsDirty_ = countersDirty_ = trayDirty_ = false;
    }

  private:
    frmmappsync& w_;
    QElapsedTimer timer_;
    QStringList systemLines_;
    bool systemError_ = false;
    QString info_, file_, folder_;
    int done_ = 0, files_ = 0;
    long totalDone_ = 0, total_ = 1;
    bool infoDirty_ = false, fileDirty_ = false, folderDirty_ = false, barsDirty_ = false,
         countersDirty_ = false, trayDirty_ = false;
};

// The run flag lasts exactly as long as the driver runs, whatever way it ends.
struct RunFlag {
    bool& flag;
    explicit RunFlag(bool& f) : flag(f) { flag = true; }
    ~RunFlag() { flag = false; }
};

} // namespace

SyncEngine& frmmappsync::engine() {
    if (!engine_) {
        view_ = std::make_unique<WindowSyncView>(*this);
        engine_ = std::make_unique<SyncEngine>(*view_, program().programFolder());
    }
    return *engine_;
}

void frmmappsync::applyProgress() {
    engine();
    static_cast<WindowSyncView*>(view_.get())->apply();
}

bool frmmappsync::cancelRequested() const {
    return cmdavbryt_Tag == QLatin1String("1") || program().operations().stopRequested();
}

void frmmappsync::tömlogfil() {
    synclogic::startLog(program().programFolder(), program().clock.now(), chksimulera->isChecked());
}

void frmmappsync::spara_loggfil_i_loggmapp(const QDateTime& start, long copied, double megabytes,
                                           long errors) {
    try {
        synclogic::saveLog(program().programFolder(), start, copied, megabytes, errors,
                           engine().request.simulera);
    } catch (const platform::RunError& e) {
        synchost::systemLogError(QStringLiteral("FEL! Ett fel uppstod under hantering av loggfil. Plats: "
                                                "Mappsynkronisering, spara loggfil i loggmapp. Felkod ") +
                                 QString::number(e.number) + QLatin1Char(' ') + e.description +
                                 QLatin1Char('.'));
    }
}

void frmmappsync::cmdkör_Click() {
    if (running_)
        return;
    // A. Check and preparation.
    if (!chkfrånsökväg1->isChecked() && !chkfrånsökväg2->isChecked()) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Du måste välja åt vilket håll kopieringen ska ske."),
                                  QString());
        return;
    }
    // An empty pattern would copy nothing and still end as done.
    if (synclogic::patternSelectsNothing(txtpattern->text())) {
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Du måste ange vilken typ av filer som ska kopieras, till exempel *.*."),
            QString());
        return;
    }
    const QString mapp1 = txtmapp1->currentText(), mapp2 = txtmapp2->currentText();
    // Copying a folder into a folder inside itself would never end.
    if (const QString problem = synclogic::pairProblem(mapp1, mapp2); !problem.isEmpty()) {
        Module1::logga_meddelande(0, -1, problem, QString());
        return;
    }
    // A mistyped folder is made by the run: the user says so first, as the job editor asks.
    if (!mapp1.isEmpty() && !mapp2.isEmpty())
        for (const QString& folder : {mapp1, mapp2})
            if (!createIfMissingAsked(folder))
                return;
    // A backup run, a restore or a result window's copy would work on the same files and run log;
    // the program's stop request cancels as "Avbryt" does.
    Operation operation(QStringLiteral("mappkopiering"), [this] { cmdavbryt_Tag = QStringLiteral("1"); });
    if (!operation) {
        program().operations().refuse();
        return;
    }
    // Another process of this program folder would rewrite the same run log meanwhile.
    RunLock lock;
    if (!lock.take(QStringLiteral("en mappsynkronisering"))) {
        Module1::logga_meddelande(0, -1, lock.refusal(QStringLiteral("Mappsynkroniseringen")),
                                  QStringLiteral("Utför mappsynkronisering"));
        return;
    }
    try {
        save_sökvägar();
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Synkronisera mappar, spara mappar"));
    }
    txtloggtext->clear();
    SyncEngine& e = engine();
    e.request.mapp1 = mapp1;
    e.request.mapp2 = mapp2;
    e.request.pattern = txtpattern->text();
    e.request.från1 = chkfrånsökväg1->isChecked();
    e.request.från2 = chkfrånsökväg2->isChecked();
    e.request.simulera = chksimulera->isChecked();
    e.request.sizeCheck = synchost::settingSizeCheck();
    e.request.neverShellCopy = synchost::settingNeverShellCopy();
    lblCount->show();
    lblCount2->show();
    tömlogfil();
    start_ = program().clock.now();
    start_.setTime(QTime(start_.time().hour(), start_.time().minute(), start_.time().second()));
    cmdavbryt_Tag.clear();
    Text1->clear();
    imgerr->hide();
    e.resetRun();
    lbl2->setText(e.request.simulera ? QStringLiteral("Filer som skulle kopieras: 0")
                                     : QStringLiteral("Kopierade filer: 0"));
    if (mapp1.isEmpty() || mapp2.isEmpty())
        return;

    RunFlag flag(running_);
    const bool simulated = e.request.simulera;
    // B. The run.
    try {
        setRunningLook();
        synchost::systemLog(kStars);
        synchost::systemLog(QStringLiteral("Startade mappsynkronisering.") +
                            (simulated ? QStringLiteral(" (Simulerad)") : QString()));
        addLogLine(QStringLiteral(" Kontrollerar om mapparna finns."));
        e.kolla_om_mapparna_finns();
        addLogLine(QStringLiteral(" Räknar upp mappar som ska köras."));
        e.ladda_mappar_sync();
        addLogLine(QStringLiteral(" Skapar mappar som ska köras."));
        e.skapa_mappar_sync();
        e.räknaallasyncfiler();
        e.loopa_mappar_sync();
        applyProgress();
        setIdleLook();
    } catch (const platform::RunError& err) {
        // D. The error handler: report, note it in the run log, and end as usual.
        try {
            e.flushLogs();
        } catch (const platform::RunError&) {
        }
        applyProgress();
        synchost::trayIdle();
        cmdavbryt->hide();
        cmdstäng->show();
        cmdkör->setEnabled(true);
        Frame1->setEnabled(true);
        Module1::logga_meddelande(err, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Utför mappsynkronisering, utför"));
        try {
            platform::appendLines(runlog::logPath(program().programFolder()),
                                  {QStringLiteral("Ett fel uppstod under mappsynkronisering. Felkod ") +
                                   QString::number(err.number) + QLatin1Char(' ') + err.description +
                                   QStringLiteral(". Avbryter mappsynkronisering.")});
        } catch (const platform::RunError&) {
        }
        Frame2->hide();
        framesetup->show();
    }
    const bool showResult = endOfRun();
    // The result window waits for the user: nothing of the run is left to write.
    lock.release();
    operation.release();
    if (showResult)
        showSimulation();
}

// C. The end: errors folded in, the summary, the log view, the saved copy, the simulation's result.
bool frmmappsync::endOfRun() {
    const QString folder = program().programFolder();
    const QString log = runlog::logPath(folder);
    if (!QFileInfo::exists(runlog::errLogPath(folder)) || !QFileInfo::exists(log))
        return false;
    try {
        runlog::foldErrors(folder, {});
    } catch (const platform::RunError&) {
    }
    const SyncEngine& e = engine();
    const bool cancelled = cancelRequested();
    const bool simulated = e.request.simulera;
    synchost::systemLog(synclogic::endSystemLine(e.counts, cancelled, simulated));
    addLogLine(synclogic::endWindowLine(e.counts, cancelled, simulated));
    synchost::systemLog(kStars);
    try {
        platform::appendLines(log, synclogic::summaryBlock(e.counts, cancelled, simulated));
    } catch (const platform::RunError&) {
    }
    Text1->clear();
    try {
        QString text = platform::readText(log);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        Text1->setPlainText(text);
        Text1->moveCursor(QTextCursor::End); // the summary at the end is what the user looks for
    } catch (const platform::RunError&) {
    }
    showLogView();
    spara_loggfil_i_loggmapp(start_, e.counts.antal_kopierade, e.counts.kopierade_mb,
                             e.counts.antal_misslyckade + e.counts.antal_fel_filstorlek +
                                 e.counts.antal_olästa_mappar);
    // A program that is to end waits for no result window.
    return simulated && !e.simKällor.isEmpty() && !program().operations().stopRequested();
}

void frmmappsync::showSimulation() {
    const SyncEngine& e = engine();
    frmsimuleradbackup::ResultTexts t;
    t.caption = QStringLiteral("Simulerad mappsynkronisering");
    t.heading = QStringLiteral(
        "Den simulerade mappsynkroniseringen är slutförd. Nedan ser du filer som kan kopieras.");
    t.copyAll = QStringLiteral("Kopiera alla");
    t.copyMarked = QStringLiteral("Kopiera markerade");
    t.info = QString::number(e.simKällor.size()) + QStringLiteral(" fil(er) kan kopieras. ") +
             QString::number(e.counts.antal_nya) + QStringLiteral(" ny(a), ") +
             QString::number(e.counts.antal_ändrade) + QStringLiteral(" ändrad(e).");
    program().form<frmsimuleradbackup>()->showResult(e.simKällor, e.simMål, t);
}
