#include "run/run_driver.h"

#include "core/job_files.h"
#include "core/module1.h"
#include "core/program.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/mirror.h"
#include "run/own_folders.h"
#include "run/run_log.h"
#include "run/run_status.h"
#include "run/test_write.h"

#include <cmath>
#include <exception>

namespace {

QString numberText(long long n) {
    return QString::number(n);
}

// "1 kopierad fil", "2 filer skulle kopieras".
QString copiedFiles(long long n, bool simulated) {
    return simulated ? platform::fileCount(n) + QStringLiteral(" skulle kopieras")
                     : platform::fileCount(n, QStringLiteral("kopierad"), QStringLiteral("kopierade"));
}

} // namespace

QString copiedCountLabel(bool simulated) {
    return simulated ? QStringLiteral("Filer som skulle kopieras: ") : QStringLiteral("Kopierade filer: ");
}

QString simulatedText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral(" filer kopierades."), QStringLiteral(" filer skulle kopieras."));
    t.replace(QStringLiteral(" fil kopierades."), QStringLiteral(" fil skulle kopieras."));
    t.replace(QStringLiteral(" äldre filer sparade av "), QStringLiteral(" äldre filer skulle sparas av "));
    t.replace(QStringLiteral(" äldre fil sparad av "), QStringLiteral(" äldre fil skulle sparas av "));
    return t;
}

namespace {

// A name the platform could not decode reaches the folder list with '?' in its place; on Linux
// '?' is also a legal character, so a path that exists as written is an ordinary folder.
bool illegalFolderName(const QString& path) {
    for (const QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return path.contains(QLatin1Char('?')) && !platform::folderExists(path);
}

} // namespace

RunDriver::RunDriver(RunView& view, BackupEngine& engine, Mirror& mirror)
    : view_(view), e_(engine), mi_(mirror), job_(program().job()) {}

MainWindowServices& RunDriver::mainWindow() {
    return program().mainWindow();
}

const RunState& RunDriver::state() const {
    if (running_) {
        // Signals from outside the window are taken in when asked for, in the order they count.
        if (program().schema_avstängt == 1)
            state_.stopBy(RunStop::SchedulerOff);
        if (program().operations().stopRequested())
            state_.stopBy(RunStop::ByClosing);
    }
    return state_;
}

runlog::RunMode RunDriver::logMode(const RunPlan& plan) {
    runlog::RunMode mode;
    mode.scheduled = plan.kind == RunKind::Scheduled;
    mode.simulated = plan.simulate;
    mode.commandline = plan.kind == RunKind::CommandLine;
    return mode;
}

void RunDriver::reset(const RunPlan& plan) {
    state_ = RunState();
    state_.plan = plan;
    startDate_.clear();
    startTime_.clear();
    startStamp_ = QDateTime();
    startMoment_ = QDateTime();
    simPrefix_.clear();
    barStep_ = 0;
    folderBarWidth_ = 0;
    handlerUsed_ = false;
    counted_ = false;
    chosen_.clear();
    timesLine_.clear();
    copiedLine_.clear();
    driveMissingHandled_ = false;
}

// ---- helpers --------------------------------------------------------------------------------------

bool RunDriver::cancelled() const {
    return state().stopped();
}

bool RunDriver::anySelected() const {
    return selectedCount() > 0;
}

int RunDriver::selectedCount() const {
    return int(plan().jobs.size());
}

void RunDriver::selectJob(int i) {
    mainWindow().selectJob(i);
}

void RunDriver::systemLog(const QString& text) {
    runstatus::systemLog(text);
}

void RunDriver::appendLog(const QStringList& lines) {
    platform::appendLines(runlog::logPath(program().programFolder()), lines);
}

void RunDriver::setFoldersLeft() {
    view_.showFoldersLeft(int(e_.List2.size()));
}

void RunDriver::idleState() {
    view_.showRunControls(false);
}

// ---- the whole run --------------------------------------------------------------------------------

QString RunDriver::lockFileName() {
    return OperationGate::runLockFileName();
}

RunDriver::Hold RunDriver::hold() {
    // A restore, a synchronisation or another run of this process would work on the same files.
    operation_.emplace(QStringLiteral("backupkörning"), [this] {
        state_.stopBy(RunStop::ByClosing);
        state_.mirrorStopped = true;
    });
    if (!*operation_) {
        operation_.reset();
        return Hold::Busy;
    }
    // Another process of this program folder would share log.txt and the temporary files.
    if (!lock_.take(QStringLiteral("en backupkörning"))) {
        operation_.reset();
        return Hold::Locked;
    }
    return Hold::Held;
}

void RunDriver::letGo() {
    lock_.release();
    operation_.reset();
}

void RunDriver::run(const RunPlan& runPlan) {
    reset(runPlan);
    running_ = true;
    struct Running {
        bool& on;
        ~Running() { on = false; }
    } running{running_};
    switch (hold()) {
    case Hold::Held:
        break;
    case Hold::Busy:
        program().operations().refuse();
        state_.hadErrors = true;
        return;
    case Hold::Locked: {
        const QString refusal = lock_.refusal(QStringLiteral("Den här körningen"));
        Module1::logga_meddelande(0, -1, refusal, QStringLiteral("Utför backup"));
        // Whoever started the command line learns at once why nothing ran.
        if (state_.plan.kind == RunKind::CommandLine)
            platform::writeStandardError(refusal);
        state_.hadErrors = true;
        return;
    }
    }
    bool started = false;
    try {
        started = start();
        if (started) {
            jobPass();
            runEnd();
            report();
        }
    } catch (const platform::RunError& e) {
        if (!started && !view_.runGoingOn()) {
            // Before the run state there is nothing to close; report only.
            view_.holdMessage(e.number > 0 ? e.number : 75, QStringLiteral("Ett fel uppstod."),
                              QStringLiteral("Utför backup, utför"), e.description);
            state_.hadErrors = true;
        } else {
            errorHandler(e.number > 0 ? e.number : 75, e.description);
        }
    } catch (const std::exception& e) {
        errorHandler(5, QString::fromLocal8Bit(e.what()));
    }
    letGo();
    view_.showHeldMessage();
}

void RunDriver::errorHandler(int number, const QString& description) {
    state_.hadErrors = true;
    if (handlerUsed_)
        return;
    handlerUsed_ = true;
    try {
        runstatus::setTray(runstatus::Tray::Idle);
        e_.imgerr = true;
        ++e_.antalfel;
        view_.showCounters();
        idleState();
        view_.hideMirrorPanel();
        const int current = view_.currentJob();
        const QString job = current >= 0 && current < view_.jobCount() ? view_.jobText(current) : QString();
        try {
            appendLog({QString(),
                       QStringLiteral("FEL: Felkod ") + numberText(number) + QLatin1Char(' ') + description +
                           QStringLiteral(" (Jobb: ") + job + QLatin1Char(')'),
                       QStringLiteral("Plats: Utför backup, utför"), QStringLiteral("Backupen avbröts."),
                       QString(),
                       copiedCountLabel(plan().simulate) + numberText(e_.kopierade_totalt) +
                           QStringLiteral(", antal fel: ") + numberText(e_.antalfel),
                       QString()});
        } catch (const platform::RunError&) {
        }
        view_.windowLog(QStringLiteral(" FEL! Ett fel uppstod. ") + numberText(number) + QLatin1Char(' ') +
                        description + QStringLiteral(" Backupen avbryts!"));
        view_.holdMessage(number, QStringLiteral("Ett fel uppstod."), QStringLiteral("Utför backup, utför"),
                          description);
        runEnd();
        report();
    } catch (...) {
        // A second failure is not trapped again; the window must still come back to idle.
        idleState();
    }
}

// ---- run start ------------------------------------------------------------------------------------

bool RunDriver::start() {
    const QDateTime now = program().clock.now();
    startDate_ = platform::dateText(now);
    startTime_ = platform::timeText(now);
    startStamp_ = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));

    if (!anySelected()) {
        earlyEnd(false);
        return false;
    }
    chosen_ = plan().jobs;
    runstatus::setTray(runstatus::Tray::Running);
    view_.showRunGoingOn(true);
    runstatus::setTrayTag(QString());
    runstatus::systemLogSeparator(true);
    systemLog(QStringLiteral("Startar en backupkörning."));
    if (runstatus::schedulerOn()) {
        runstatus::setMainVisible("txtschemavisajobb", false);
        runstatus::setMainText("lblschemanedräkning2", QString());
    }
    view_.startRunLog(startDate_, startTime_);

    view_.clearWindowLog();
    e_.resetRun(); // the lists, the error count, imgerr and every copy total
    e_.simKällor.clear();
    e_.simMål.clear();
    e_.simBackupFolders.clear();
    view_.clearCancelRequest();
    view_.showCounters();
    view_.clearJobFolders();
    view_.showMissingFolders({});
    view_.showBars(false);
    runstatus::setProgressShare(0);

    mi_.resetRun();

    view_.saveChosenJobs();
    if (!view_.visible())
        view_.showProgressWindow(true);
    provskriv_tillbackupmapp();
    if (!anySelected()) {
        earlyEnd(true);
        return false;
    }

    simPrefix_ = plan().simulate ? QStringLiteral("Simulerad ") : QString();
    startMoment_ = program().clock.now();
    timesLine_ = simPrefix_ + QStringLiteral("Backup startade kl. ") + platform::timeText(startMoment_);
    copiedLine_ = copiedCountLabel(plan().simulate) + QStringLiteral("0");
    view_.showTimes(timesLine_, copiedLine_);
    view_.followCopyCount(true);
    view_.showCopiedAndErrors(copiedCountLabel(plan().simulate) + numberText(e_.kopierade_totalt) +
                              QStringLiteral(", antal fel: ") + numberText(e_.antalfel));
    if (plan().simulate) {
        view_.windowLog(QStringLiteral(" Simulerad Backupkörning startade."));
        systemLog(QStringLiteral("Simulerad Backupkörning startade."));
    } else {
        view_.windowLog(QStringLiteral(" Backupkörning startade."));
        systemLog(QStringLiteral("Backupkörning startade."));
    }
    view_.showJobSummary(false);
    view_.showRunControls(true);

    refreshFolderStructures();
    if (cancelled())
        return true;
    view_.showTargetFolder(QString());
    platform::doEvents();
    räknaallajobbfiler();
    counted_ = !cancelled();
    runstatus::setMainVisible("lblprocent", true);
    return true;
}

void RunDriver::earlyEnd(bool noneWritable) {
    timesLine_.clear();
    copiedLine_.clear();
    view_.showTimes(timesLine_, copiedLine_);
    view_.clearWindowLog();
    // A job left out for what it is, not for a folder it could not reach, is not the user's
    // drive to check.
    const bool refused = noneWritable && e_.refusedJobs > 0;
    const QString closing = refused        ? runlog::refusedClosing()
                            : noneWritable ? runlog::unwritableClosing()
                                           : runlog::noJobsClosing();
    const QString why = noneWritable ? unwritableText(QStringLiteral("\r\n")) : QString();
    view_.holdMessage(
        0,
        refused        ? QStringLiteral("De jobb du valt kunde inte köras!\r\nSe loggen för orsaken.")
        : noneWritable ? QStringLiteral("De jobb du valt gick inte att skriva till!\r\n") +
                             (why.isEmpty() ? QString() : why + QStringLiteral("\r\n\r\n")) +
                             QStringLiteral("Kontrollera att dina backupmappar är åtkomliga och försök igen.")
                       : QStringLiteral("Du har inte valt något jobb!"),
        QString());
    try {
        QStringList lines;
        if (noneWritable)
            lines = e_.listsaknadenhet;
        lines << closing;
        appendLog(lines);
        // Nothing was backed up: the log says so, and why, from its first line on.
        if (noneWritable) {
            const runlog::RunMode mode = logMode(plan());
            runlog::replaceHeader(program().programFolder(), runlog::headerLine(mode, startDate_, startTime_),
                                  runlog::notRunHeaderLine(mode, startDate_, startTime_), e_.unwritableJobs);
        }
    } catch (const platform::RunError&) {
    }
    systemLog(closing);
    runstatus::systemLogSeparator(false);
    runlog::SavedLogFacts facts;
    // The jobs chosen, which the test write left out: a single one is named.
    facts.jobs = noneWritable ? int(chosen_.size()) : selectedCount();
    if (facts.jobs == 1 && chosen_.first() < view_.jobCount())
        facts.jobName = view_.jobText(chosen_.first());
    facts.errors = 1;
    facts.notRun = noneWritable;
    const QString savedLog = view_.saveRunLog(startStamp_, facts);
    if (plan().kind == RunKind::Scheduled) {
        mainWindow().addSchedulerLogEntry(
            startDate_ + QLatin1Char(' ') + startTime_ +
                (why.isEmpty()
                     ? QStringLiteral(" Backup kunde inte utföras. Kontrollera loggen.")
                     : QStringLiteral(" Backup kunde inte utföras: ") + unwritableText(QStringLiteral(" "))),
            savedLog);
        if (e_.imgerr) {
            runstatus::setTray(runstatus::Tray::Error);
            runstatus::setTrayTag(QStringLiteral("err"));
            if (runstatus::setting("chkschemapopupfel"))
                view_.showSchedulePopup(unwritableText(QStringLiteral("\n")));
        }
    }
    if (noneWritable) {
        view_.showRunGoingOn(false);
        runstatus::setTray(runstatus::Tray::Idle);
        view_.showProgressWindow(false);
    }
    state_.hadErrors = true;
}

QString RunDriver::unwritableText(const QString& separator) const {
    return e_.unwritableJobs.join(separator);
}

void RunDriver::refreshFolderStructures() {
    runstatus::setMainText("lblschema_statuspågår",
                           QStringLiteral("Uppdaterar mappstruktur för valda jobb..."));
    view_.windowLog(QStringLiteral(" Uppdaterar mappstruktur för valda jobb..."));
    systemLog(QStringLiteral("Uppdaterar mappstruktur för valda jobb..."));
    platform::doEvents();
    for (int i = 0; i < view_.jobCount(); ++i) {
        platform::doEvents();
        if (cancelled())
            return;
        if (!plan().has(i))
            continue;
        if (i < mainWindow().jobCount())
            view_.setJobText(i, mainWindow().jobName(i));
        selectJob(i);
        mainWindow().setMainFolderIndex(-1);
        if (job_.lblmappuppdatering == QLatin1String("JA")) {
            mainWindow().setCaption(QStringLiteral("Uppdaterar mappstruktur i ") +
                                    mainWindow().currentJobName());
            mainWindow().uppdatera_huvudmappar();
        }
    }
    selectJob(-1);
    selectJob(view_.currentJob());
    mainWindow().setCaption(QStringLiteral("Tamrel Backup"));
}

// ---- per-job pass ---------------------------------------------------------------------------------

bool RunDriver::jobPass() {
    if (!cancelled()) {
        for (int i = 0; i < view_.jobCount(); ++i) {
            e_.startJob();
            view_.setCurrentJob(i);
            if (!plan().has(i))
                continue;
            const QString jobName = view_.jobText(i);
            runstatus::setMainText(
                "lblschema_statuspågår",
                QStringLiteral("Samlar in sökvägar och skapar backupmappar som behövs..."));
            view_.windowLog(QStringLiteral(" Backup på jobb ") + jobName.toUpper() +
                            QStringLiteral(" startade"));
            systemLog(QStringLiteral("Backup på jobb ") + jobName.toUpper() + QStringLiteral(" startade"));
            view_.windowLog(QStringLiteral(" Samlar in sökvägar och skapar backupmappar som behövs..."));
            systemLog(QStringLiteral("Samlar in sökvägar och skapar backupmappar som behövs..."));
            platform::doEvents();
            if (cancelled())
                break;
            runstatus::setTray(runstatus::Tray::Running);
            selectJob(i);
            if (job_.emptyFolderLines > 0)
                systemLog(QStringLiteral("Tomma rader i jobbets mapplistor hoppades över (Jobb: ") + jobName +
                          QLatin1Char(')'));
            e_.List2 = foldersToCopy();
            view_.showJobFolders();
            view_.showBackupFolder(job_.txtbackupmapp);
            setFoldersLeft();
            view_.showTargetFolder(QString());
            lastJob_ = jobName;
            view_.showLastJob(lastJob_);
            appendLog({QString(), jobName.toUpper()});
            if (!backupFolderStillApproved(i)) {
                jobEnd(i, jobName);
                continue;
            }
            skapamappar();
            view_.showJobFolderMarks();
            view_.closeProgramsBefore();
            const QDateTime jobStart = program().clock.now();
            if (!e_.List2.isEmpty()) {
                barStep_ = int(std::nearbyint(double(view_.jobBarWidth()) / e_.List2.size()));
                view_.clearJobBar();
                folderBarWidth_ = 0;
                if (plan().mirror)
                    mi_.setMissingFolders(missingFolders());
                view_.prepareMirror();
                view_.windowLog(QStringLiteral(" Genomsöker mappar..."));
                systemLog(QStringLiteral("Genomsöker mappar..."));
                runstatus::setMainText("lblschema_statuspågår", QStringLiteral("Genomsöker mappar..."));
                driveMissingHandled_ = false;
                folderLoop(jobName);
                if (cancelled())
                    break;
                view_.rememberJobRun();
            }
            writeLastRun(jobStart);
            jobEnd(i, jobName);
        }
    }
    runstatus::setTray(runstatus::Tray::Idle);
    if (cancelled()) {
        if (program().schema_avstängt == 1)
            mainWindow().setSchedulerOn(false);
        return false;
    }
    // Progress still waiting to be shown must not later overwrite the full bars.
    view_.applyProgress();
    view_.showBars(true);
    runstatus::setProgressShare(0);
    runstatus::setMainVisible("lblprocent", false);
    return true;
}

void RunDriver::folderLoop(const QString& jobName) {
    // The copy lines of the folders are written together; whatever way the loop is left, they
    // are written before anything that follows.
    struct HeldLogs {
        BackupEngine& e;
        explicit HeldLogs(BackupEngine& engine) : e(engine) { e.holdLogs(true); }
        ~HeldLogs() {
            try {
                e.holdLogs(false);
            } catch (const platform::RunError&) {
                // Only when the loop is left by an error, which reports itself.
            }
        }
    } held(e_);
    for (int k = int(e_.List2.size()) - 1; k >= 0; --k) {
        view_.yield();
        if (cancelled())
            break;
        const QString folder = e_.List2[k];
        if (k < int(e_.List3.size()) && e_.List3[size_t(k)].filtered) {
            view_.removeJobFolder(k);
        } else if (illegalFolderName(folder)) {
            if (!folderError(jobName, folder, QStringLiteral("mappnamnet innehåller otillåtna tecken."),
                             QStringLiteral("Mappnamnet innehåller otillåtna tecken")))
                break;
        } else if (const platform::OpenedFolder source(folder); sourceFolderPresent(folder, source)) {
            // Opening the folder tells that it is there; its files are read from the same handle.
            view_.markJobFolder(k);
            file_copy(k, source);
            view_.removeJobFolder(k);
        } else if (source.unreachable()) {
            // A folder above it cannot be read: it is not known to be gone. Said as every entry
            // a walk cannot read is, once, whether the structure refresh met it first or not.
            e_.finishCopies();
            if (cancelled())
                break; // the disk filled up at a copy before this folder
            e_.reportUnreadable(platform::runErrorFromErrno(source.error()), folder,
                                k < int(e_.List3.size()) ? e_.List3[size_t(k)].target : QString());
        } else if (source.pathTooLong()) {
            // It may well exist: "does not exist" would send the user looking for a lost folder.
            if (!folderError(jobName, folder,
                             QStringLiteral("mappens sökväg är längre än systemet tillåter."),
                             QStringLiteral("Mappens sökväg är längre än systemet tillåter")))
                break;
        } else {
            e_.finishCopies();
            if (cancelled())
                break; // the disk filled up at a copy before this folder
            missingFolder(folder);
        }
        folderBarWidth_ += barStep_;
        // Shown with the run's next refresh, not per folder.
        view_.showJobProgress(folderBarWidth_, int(e_.List2.size()));
    }
    view_.applyProgress();
    e_.holdLogs(false); // a log that cannot be written is an error of the run, as before
}

bool RunDriver::backupFolderStillApproved(int row) {
    const auto approved = e_.approvedBackupFolders.find(row);
    if (approved == e_.approvedBackupFolders.end() ||
        platform::folderId(job_.txtbackupmapp) == approved->second)
        return true;
    // Replaced since the run's check (by a link to another place): nothing is written there.
    const QString text =
        QStringLiteral(
            "Backupmappen är inte längre samma mapp som när körningen startade, och jobbet kördes inte: ") +
        platform::withoutTrailingSeparator(job_.txtbackupmapp);
    view_.countError(true);
    view_.windowLog(QStringLiteral(" FEL! ") + text);
    runstatus::systemLogError(QStringLiteral("FEL! ") + text);
    try {
        appendLog({QStringLiteral("FEL: ") + text});
    } catch (const platform::RunError&) {
    }
    return false;
}

bool RunDriver::folderError(const QString& jobName, const QString& folder, const QString& logText,
                            const QString& systemLogText) {
    e_.flushLogs();
    if (cancelled())
        return false; // the disk filled up at a copy before this folder
    view_.countError(true);
    try {
        platform::appendLines(
            runlog::errLogPath(program().programFolder()),
            {QString(),
             QStringLiteral("FEL: ") + logText + QStringLiteral(" (Jobb: ") + jobName + QLatin1Char(')'),
             QStringLiteral("Mappnamn: ") + folder});
    } catch (const platform::RunError&) {
    }
    runstatus::systemLogError(QStringLiteral("FEL! ") + systemLogText + QStringLiteral(": ") + folder);
    return true;
}

void RunDriver::missingFolder(const QString& path) {
    // The volume is asked first: asking for a network path reads the mount table.
    if (!platform::volumePresent(path) && !platform::isNetworkPath(path)) {
        if (driveMissingHandled_)
            return;
        const QString drive = platform::volumeRoot(path);
        if (job_.txtignorerasaknadenhet == QLatin1String("JA")) {
            bool known = false;
            for (const QString& e : std::as_const(e_.listsaknadenhet))
                known = known || entryNamesDrive(e, drive);
            if (!known)
                e_.listsaknadenhet << QStringLiteral("Enhet ") + drive + QStringLiteral(" saknas.");
        } else {
            view_.countError(true);
            // The drive keeps one entry, and the run one counted error for it.
            for (qsizetype j = e_.listsaknadenhet.size() - 1; j >= 0; --j) {
                if (!entryNamesDrive(e_.listsaknadenhet[j], drive))
                    continue;
                if (e_.listsaknadenhet[j].startsWith(QLatin1String("FEL")))
                    e_.takeBackError();
                e_.listsaknadenhet.removeAt(j);
            }
            view_.showCounters();
            e_.listsaknadenhet << QStringLiteral("FEL: Enhet ") + drive + QStringLiteral(" saknas.");
        }
        driveMissingHandled_ = true;
        return;
    }
    // A missing parent replaces the entries of its missing subfolders, met before it.
    if (const int replaced = e_.listerror.add(path))
        e_.takeBackError(replaced);
    view_.countError(false);
}

QStringList RunDriver::foldersToCopy() const {
    QStringList folders;
    if (job_.listmappar.isEmpty())
        return folders;
    folders.reserve(job_.listmappar.size());
    // Known by identity, and what the run's count already found of a folder is not looked up again.
    RunOwnFolders& own = RunOwnFolders::of(job_.combomappar, job_.txtbackupmapp, job_.txtversionmapp);
    for (const QString& f : job_.listmappar)
        if (!own.contains(f))
            folders << f;
    return folders;
}

QStringList RunDriver::missingFolders() const {
    // The same tests as the folder loop makes, so the mirror holds what the copy pass reports.
    QStringList missing;
    for (qsizetype k = 0; k < e_.List2.size(); ++k) {
        const QString& folder = e_.List2[k];
        const bool filtered = k < qsizetype(e_.List3.size()) && e_.List3[size_t(k)].filtered;
        if (!filtered && !illegalFolderName(folder) && !sourceFolderPresent(folder))
            missing << folder;
    }
    return missing;
}

void RunDriver::jobEnd(int i, const QString& jobName) {
    Q_UNUSED(jobName);
    runstatus::setMainText("lblschema_statuspågår", QStringLiteral("Klar med aktuellt jobb"));
    // A simulated run copied nothing: the entry says what it found.
    view_.setJobText(i, view_.jobText(i) + QStringLiteral(" (") +
                            copiedFiles(e_.kopierade_jobb, plan().simulate) + QLatin1Char(')'));
    // A simulation copied and saved nothing: every log says what it would have done.
    const bool sim = plan().simulate;
    const QString done = QStringLiteral("Klar. ") + platform::fileCount(e_.kopierade_jobb) +
                         QStringLiteral(" kopierades. ") + numberText(e_.fel_jobb) + QStringLiteral(" fel.");
    view_.windowLog(QLatin1Char(' ') + (sim ? simulatedText(done) : done));
    systemLog(sim ? simulatedText(done) : done);
    if (e_.versioner_jobb != 0) {
        const QString v =
            platform::countText(e_.versioner_jobb, QStringLiteral("äldre fil sparad av versionshantering."),
                                QStringLiteral("äldre filer sparade av versionshantering."));
        view_.appendToWindowLog(QStringLiteral("\n") + QString(15, QLatin1Char(' ')) +
                                (sim ? simulatedText(v) : v));
        systemLog(sim ? simulatedText(v) : v);
    }
    view_.foldExclusionLog();
    QStringList lines{copiedFiles(e_.kopierade_jobb, sim)};
    if (e_.versioner_jobb != 0)
        lines << (sim ? platform::countText(e_.versioner_jobb,
                                            QStringLiteral("äldre fil skulle sparas av versionshantering"),
                                            QStringLiteral("äldre filer skulle sparas av versionshantering"))
                      : platform::countText(e_.versioner_jobb,
                                            QStringLiteral("äldre fil sparad av versionshantering"),
                                            QStringLiteral("äldre filer sparade av versionshantering")));
    appendLog(lines);
    e_.List2.clear();
    e_.List3.clear();
    view_.clearJobFolders();
    view_.startProgramsAfter();
}

const RunPlan& RunDriver::plan() const {
    return state_.plan;
}

void RunDriver::writeLastRun(const QDateTime& when) {
    JobFiles::LastRun r;
    r.when = platform::dateText(when) + QLatin1Char(' ') + when.toString(QStringLiteral("HH:mm"));
    r.kind = plan().kind == RunKind::Scheduled     ? QStringLiteral("Schemalagd")
             : plan().kind == RunKind::CommandLine ? QStringLiteral("Startad med startkommando")
                                                   : QStringLiteral("Manuell");
    JobFiles(program().jobbgruppmapp, mainWindow().currentJobName()).writeLastRun(r);
}
