#include "scheduler/scheduler.h"

#include "core/module1.h"
#include "core/program.h"
#include "platform/files.h"
#include "platform/vb.h"
#include "run/backup_window.h"
#include "run/run_status.h"
#include "scheduler/host.h"
#include "scheduler/pause_window.h"
#include "scheduler/reminder_window.h"
#include "scheduler/saved_lists_window.h"
#include "scheduler/schedule_editor.h"

#include <QCheckBox>
#include <QListWidget>
#include <optional>

namespace host = schedulerhost;

namespace {
schedule::Days everyDay() {
    schedule::Days d{};
    for (int i = 1; i <= 7; ++i)
        d[i] = true;
    return d;
}

QString queueStatus(qsizetype left) {
    return QStringLiteral("Status: Schemalagd backup pågår... (") + QString::number(left) +
           QStringLiteral(" jobb kvar i kö)");
}

QString dateKey(const QDateTime& now, const QString& minute) {
    return now.date().toString(Qt::ISODate) + QLatin1Char(' ') + minute;
}

QString jobGone(const QString& name) {
    return QStringLiteral("FEL! Det schemalagda jobbet ") + name +
           QStringLiteral(" finns inte längre och körs inte.");
}
} // namespace

Scheduler::Scheduler() {
    setObjectName(QStringLiteral("scheduler"));
    combotidglobal = QStringLiteral("10:00");
    chkdag = everyDay();
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer3.setObjectName(QStringLiteral("Timer3"));
    QObject::connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    QObject::connect(&Timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });
    // The windows this scheduler owns answer the pause buttons and the saved lists' link.
    runstatus::pauseWindowHook() = [] { frmpaus::pausa(); };
    Module1::windowHooks().schemasyncList = [](const QStringList& names) { frmschemasync::visa(names); };
}

Scheduler::~Scheduler() = default;

// ---- the editor's settings -----------------------------------------------------------------------

void Scheduler::ensureLoaded() {
    if (loaded_)
        return;
    loaded_ = true;
    common = false;
    combotidglobal = QStringLiteral("10:00");
    chkdag = everyDay();
    chksyncglobal = 0;
    chksyncglobal_simulera = 0;
    chkignorerafel = 0;
    listglobal.clear();
    readCommonSetting();
}

void Scheduler::reload() {
    loaded_ = false;
    ensureLoaded();
    if (frmschema2* e = program().loaded<frmschema2>()) {
        e->showMode();
        e->showCommonSettings();
    }
}

void Scheduler::readCommonSetting() {
    const QString file = schedule::commonSettingFile(host::jobGroup());
    if (!platform::fileExists(file))
        return;
    const schedule::CommonSettingRead r = schedule::readCommonSetting(file);
    if (r.mirror)
        chksyncglobal = *r.mirror;
    if (r.time)
        combotidglobal = *r.time;
    if (r.simulate)
        chksyncglobal_simulera = *r.simulate;
    if (r.error) {
        Module1::logga_meddelande(*r.error, -1,
                                  QStringLiteral("Ett fel uppstod under inläsning av schemaläggningsmetod."),
                                  QStringLiteral("Schema, load"));
        return;
    }
    chkdag = schedule::commonDaysFrom(*r.days);
    if (*r.common)
        setCommon(true);
}

void Scheduler::unload() {
    if (chkaktivera) {
        if (frmschema2* e = program().loaded<frmschema2>())
            e->hide();
        return;
    }
    if (running_) {
        // Never under a run that is still on the stack: the pass ends first.
        unloadPending_ = true;
        return;
    }
    unloadPending_ = false;
    stop();
    loaded_ = false;
    listglobal.clear();
    listsortering.clear();
    List2_ListIndex = -1;
    due_ = {};
    påminnelse_visad = false;
    senaste_minut.clear();
    senaste_dag = 0;
    senaste_minut_kö.clear();
    commonPending_.clear();
    program().unload<frmschema2>();
}

void Scheduler::setCommon(bool on) {
    common = on;
    if (on)
        fillCommonList();
    if (frmschema2* e = program().loaded<frmschema2>())
        e->showMode();
}

void Scheduler::fillCommonList() {
    listglobal.clear();
    for (const QString& name : host::jobNames())
        listglobal.append({name, false});
    const QString file = schedule::selectionFile(host::jobGroup());
    if (!platform::fileExists(file)) {
        for (ListEntry& e : listglobal)
            e.selected = true;
        return;
    }
    try {
        const QStringList names = schedule::readSelection(file);
        // A file that names no job of the group chooses none; only a missing file chooses all.
        for (ListEntry& e : listglobal)
            e.selected = names.contains(e.text);
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod under inläsning av valda jobb."),
                                  QStringLiteral("Schemaläggning, metod"));
    }
}

void Scheduler::setChkaktivera(bool on) {
    if (chkaktivera == on)
        return;
    chkaktivera = on;
    host::setActivationRequest(on ? QStringLiteral("1") : QStringLiteral("0"));
    if (frmschema2* e = program().loaded<frmschema2>())
        e->showActivation();
}

QStringList Scheduler::selectedJobs() const {
    QStringList names;
    for (const ListEntry& e : listglobal)
        if (e.selected)
            names << e.text;
    return names;
}

int Scheduler::selectedCount() const {
    return int(selectedJobs().size());
}

schedule::CommonSetting Scheduler::commonSetting() const {
    return {common,         chksyncglobal,         combotidglobal, schedule::commonDaysLine(chkdag),
            chkignorerafel, chksyncglobal_simulera};
}

// ---- switching on and off -------------------------------------------------------------------------

void Scheduler::stop() {
    List2.clear();
    List2_jobs.clear();
    listkö.clear();
    Timer1.stop();
    Timer3.stop();
    frmbackuppåminnelse::closeReminder();
}

bool Scheduler::stillOn() const {
    return program().schema_avstängt != 1 && host::schedulerOn();
}

// ---- the next run ---------------------------------------------------------------------------------

void Scheduler::visaväntarnästakörning() {
    schedule::NextRunInput in;
    in.schedulerOn = host::schedulerOn();
    in.common = common;
    in.commonTime = combotidglobal;
    in.commonDays = chkdag;
    in.selectedJobs = selectedCount();
    in.entries = List2;
    in.jobNames = List2_jobs.isEmpty() ? host::jobNames() : List2_jobs;
    in.scheduledJobs = host::scheduledJobCount();
    in.now = program().clock.now();
    const schedule::NextRunView v = schedule::visaväntarnästakörning(in);

    host::bringToFront("frameschemaaktiv");
    if (host::panelVisible("txtschemavisajobb"))
        host::bringToFront("txtschemavisajobb");
    for (const char* name :
         {"lblschema_jobb", "lblschema_mappar", "lblschema_mapp", "lblschema_fil", "lblschema_statuspågår",
          "lblschema_nästakörning", "lblschema_antalschemalagdajobb"})
        host::setPanelText(name, QStringLiteral("--"));
    host::setPanelText("lblschema_antalfel", QStringLiteral("0"));
    host::setPanelText("lblschema_status", QStringLiteral("Väntar"));
    host::setPanelText("cmdschema_avaktivera", QStringLiteral("Avaktivera"));
    host::setPanelVisible("lblvisabackupfönstret", false);
    host::setPanelText("lblschemarubrik", QStringLiteral("Schemakörning aktiv"));
    host::setPanelVisible("cmdschemapaus", false);
    host::setPanelText("cmdschema_körnu", QStringLiteral("Kör nu!"));
    host::setPanelEnabled("cmdschema_körnu", true);
    host::setPanelVisible("cmdschema_körnu", true);
    host::setPanelText("lblschemanedräkning", QString());
    host::setPanelText("lblschemanedräkning2", QString());
    due_ = {};
    if (!v.computed)
        return;
    listsortering = v.listsortering;
    if (v.nothingToRun) {
        if (common && !schedule::storedTime(combotidglobal))
            host::systemLogError(QStringLiteral("FEL! Den gemensamma schematiden ") + combotidglobal +
                                 QStringLiteral(" kan inte läsas. Schemat körs inte."));
        // Off first, so the message is shown rather than only noted.
        host::setSchedulerOn(false);
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Det finns inget jobb att utföra. Ställ in schemaläggningen först."),
            QString());
        return;
    }
    host::setPanelText("lblschema_status", v.status);
    host::setPanelText("lblschema_antalschemalagdajobb", v.count);
    host::setStatus(v.statusLine);
    host::setPanelText("lblschema_nästakörning", v.nextRun);
    if (v.selectedEntry >= 0)
        List2_ListIndex = v.selectedEntry;
    host::setPanelText("lblschemanedräkning", v.dueText);
    due_ = v.due;
}

QString Scheduler::countdownText(const QDateTime& now, const QDateTime& due, int* hours, int* minutes) {
    const qint64 secs = qMax<qint64>(0, now.secsTo(due)) + 60;
    const int h = int(secs / 3600 % 24);
    const int m = int(secs % 3600 / 60);
    if (hours)
        *hours = h;
    if (minutes)
        *minutes = m;
    if (h > 0)
        return QStringLiteral("Backup startar om ungefär ") + QString::number(h) + QStringLiteral(" tim, ") +
               QString::number(m) + QStringLiteral(" min");
    return QStringLiteral("Backup startar om ungefär ") + QString::number(m) + QStringLiteral(" min");
}

// ---- the timers -----------------------------------------------------------------------------------

bool Scheduler::otherRunGoingOn() const {
    const frmutförbackup* b = program().loaded<frmutförbackup>();
    // Whatever else holds the program's files (a restore, a synchronisation, ...) goes first too.
    return running_ || (b && (b->runGoingOn() || b->running())) || program().operations().busy();
}

bool Scheduler::commonDue(const QDateTime& now, QString& key) const {
    if (!chkdag[schedule::weekday(now.date())])
        return false;
    const auto t = schedule::storedTime(combotidglobal);
    if (!t)
        return false;
    const QString due = schedule::minuteText(schedule::dueMoment(now.date(), *t));
    if (due != schedule::minuteText(now))
        return false;
    key = dateKey(now, due);
    return true;
}

void Scheduler::Timer1_Timer() {
    try {
        Program& p = program();
        if (p.schema_avstängt == 1) {
            Timer1.stop();
            unload();
            return;
        }
        if (!host::schedulerOn()) {
            Timer1.stop();
            return;
        }
        const QDateTime now = p.clock.now();
        if (due_.isValid()) {
            if (now > due_) {
                visaväntarnästakörning();
                return;
            }
            int h = 0, m = 0;
            const QString text = countdownText(now, due_, &h, &m);
            host::setPanelText("lblschemanedräkning2", text);
            if (h == 0 && m <= 15)
                frmbackuppåminnelse::setCountdown(text);
            if (h == 0 && m == 15) {
                if (host::setting("chkschemapåminnelse") && !påminnelse_visad)
                    frmbackuppåminnelse::showReminder();
                påminnelse_visad = true;
            } else {
                påminnelse_visad = false;
            }
        }
        host::refreshTray();
        const bool busy = otherRunGoingOn();
        if (common && !commonPending_.isEmpty()) {
            // A run that fell due during another run goes first once that run is over.
            if (!busy) {
                const QString key = commonPending_;
                commonPending_.clear();
                commonRun(key);
            }
            return;
        }
        const QString runNow = host::runNowTag();
        const QString minute = schedule::minuteText(now);
        if (runNow.isEmpty() && common) {
            if (minute == senaste_minut)
                return;
            senaste_minut = minute;
        }
        const int day = now.date().day();
        if (day != senaste_dag) {
            senaste_dag = day;
            visaväntarnästakörning();
            if (!stillOn())
                return;
        }
        if (common) {
            QString key;
            const bool due = commonDue(now, key) && key != lastCommonRun_;
            if (runNow.isEmpty() && !due)
                return;
            if (busy) {
                if (due && runNow.isEmpty())
                    commonPending_ = key;
                return;
            }
            commonRun(key);
            return;
        }
        if (!listkö.isEmpty() && !busy)
            queueRun();
    } catch (const platform::RunError& e) {
        tickError("timer1", e.number,
                  e.description.isEmpty() ? platform::errorDescription(e.number) : e.description);
    }
}

void Scheduler::Timer3_Timer() {
    try {
        Program& p = program();
        if (p.schema_avstängt == 1) {
            Timer3.stop();
            unload();
            return;
        }
        if (!host::schedulerOn()) {
            Timer3.stop();
            return;
        }
        const QDateTime now = p.clock.now();
        const QString runNow = host::runNowTag();
        const QString minute = schedule::minuteText(now);
        if (runNow.isEmpty() && minute == senaste_minut_kö)
            return;
        senaste_minut_kö = minute;
        const QChar today(u'0' + schedule::weekday(now.date()));
        const QString key = dateKey(now, minute);
        for (const QString& entry : List2) {
            bool ok = false;
            const qlonglong days = entry.right(7).toLongLong(&ok);
            if (!ok)
                platform::throwError(13);
            const auto t = schedule::storedTime(entry.left(5));
            const bool dueNow = t && schedule::minuteText(schedule::dueMoment(now.date(), *t)) == minute &&
                                QString::number(days).contains(today);
            // A minute the wall clock shows twice queues an entry only once.
            const bool fresh = dueNow && lastQueued_.value(entry) != key;
            if (dueNow)
                lastQueued_.insert(entry, key);
            if ((fresh || !runNow.isEmpty()) && !listkö.contains(entry))
                listkö << entry;
        }
    } catch (const platform::RunError& e) {
        tickError("timer3", e.number,
                  e.description.isEmpty() ? platform::errorDescription(e.number) : e.description);
    }
}

void Scheduler::tickError(const char* timer, int number, const QString& description) {
    running_ = false;
    if (QLatin1String(timer) == QLatin1String("timer1")) {
        try {
            visaväntarnästakörning();
        } catch (const platform::RunError&) {
        }
    }
    host::systemLogError(
        QStringLiteral("Ett fel uppstod under nedräkning för schemaläggaren. Plats: Schema2, ") +
        QString::fromLatin1(timer) + QStringLiteral(". Felkod ") + QString::number(number) + description +
        QStringLiteral("."));
    // The entry that failed would fail again at every tick.
    if (!failingEntry_.isEmpty()) {
        listkö.removeAll(failingEntry_);
        failingEntry_.clear();
    }
    if (QLatin1String(timer) == QLatin1String("timer1") && stillOn())
        Timer1.start(interval);
    if (chkaktivera || !stillOn())
        unload();
}

// ---- the runs -------------------------------------------------------------------------------------

void Scheduler::runningView(const QString& status) {
    frmbackuppåminnelse::closeReminder();
    host::setStatus(status);
    host::setPanelText("lblschemarubrik", QStringLiteral("Schemakörning pågår"));
    host::bringToFront("frameschemapågår");
    host::setTray(host::Tray::Running);
    host::refreshTray();
    host::setPanelText("cmdschema_avaktivera", QStringLiteral("Avbryt"));
    host::setPanelVisible("lblvisabackupfönstret", true);
    host::setPanelVisible("cmdschemapaus", true);
}

void Scheduler::runOne(const QStringList& jobs, const QList<bool>& selected, bool mirror, bool simulate,
                       bool common) {
    frmutförbackup* b = program().form<frmutförbackup>();
    // Entry i must be job i, and nothing of an earlier run may stay selected.
    b->List1->clear();
    for (int k = 0; k < jobs.size(); ++k) {
        b->List1->addItem(jobs[k]);
        b->List1->item(k)->setSelected(k < selected.size() && selected[k]);
    }
    // A scheduled run backs up: a simulation left ticked in the window would copy nothing and
    // still end "utan fel".
    b->chkbackupsimulera->setChecked(false);
    b->chksync->setChecked(mirror);
    b->chksyncsimulera->setChecked(simulate);
    b->gemensamt_schema = common;
    if (runner)
        runner(*b);
    else
        b->schema();
}

void Scheduler::commonRun(const QString& key) {
    host::setRunNowTag(QString());
    host::setPanelVisible("cmdschema_körnu", false);
    Timer1.stop();
    if (!key.isEmpty())
        lastCommonRun_ = key;
    running_ = true;
    // Until the run has ended, no message waits for a person.
    std::optional<UnattendedRun> unattended(std::in_place);
    runningView(QStringLiteral("Status: Schemalagd backup pågår... (gemensam)"));
    // The backup window runs job i of the main window's list for its entry i: the chosen jobs are
    // found there by name.
    const QStringList jobs = host::jobNames();
    const QStringList chosen = selectedJobs();
    QList<bool> selected;
    for (const QString& name : jobs)
        selected << chosen.contains(name);
    for (const QString& name : chosen)
        if (!jobs.contains(name))
            host::systemLogError(jobGone(name));
    if (selected.contains(true))
        runOne(jobs, selected, chksyncglobal == 1, chksyncglobal == 1 && chksyncglobal_simulera == 1, true);
    unattended.reset();
    running_ = false;
    if (!stillOn()) {
        afterRuns();
        return;
    }
    host::showLastRun();
    host::setTray(host::trayTag() == QLatin1String("err") ? host::Tray::Error : host::Tray::Idle);
    host::refreshTray();
    visaväntarnästakörning();
    if (stillOn())
        Timer1.start(interval);
    afterRuns();
}

void Scheduler::queueRun() {
    Timer1.stop();
    host::setRunNowTag(QString());
    host::setPanelVisible("cmdschema_körnu", false);
    running_ = true;
    // Until the pass's last run has ended, no message waits for a person.
    std::optional<UnattendedRun> unattended(std::in_place);
    runningView(queueStatus(listkö.size() - 1));
    for (qsizetype i = listkö.size() - 1; i >= 0; --i) {
        if (!stillOn() || i >= listkö.size())
            break;
        const QString entry = listkö[i];
        failingEntry_ = entry;
        const schedule::Entry e = schedule::Entry::parse(entry);
        if (e.jobIndex < 0 || e.jobIndex >= List2_jobs.size())
            platform::throwError(9);
        // The list may have changed since the entry was made (a run yields, the main window reloads).
        const QString job = List2_jobs[e.jobIndex];
        const QStringList names = host::jobNames();
        const qsizetype index = names.indexOf(job);
        if (index < 0) {
            failingEntry_.clear();
            host::systemLogError(jobGone(job));
            listkö.removeAt(i);
            host::setStatus(queueStatus(listkö.size()));
            continue;
        }
        QList<bool> selected(names.size(), false);
        selected[index] = true;
        runOne(names, selected, e.mirror == 1, e.simulate == 1, false);
        failingEntry_.clear();
        // Switched off during the run: the pass ends here, the emptied queue untouched.
        if (!stillOn())
            break;
        if (i < listkö.size() && listkö[i] == entry)
            listkö.removeAt(i);
        host::setStatus(queueStatus(listkö.size()));
        host::showLastRun();
    }
    unattended.reset();
    running_ = false;
    if (!stillOn()) {
        afterRuns();
        return;
    }
    host::setTray(host::trayTag() == QLatin1String("err") ? host::Tray::Error : host::Tray::Idle);
    visaväntarnästakörning();
    if (stillOn())
        Timer1.start(interval);
    afterRuns();
}

void Scheduler::afterRuns() {
    if (unloadPending_)
        unload();
}

Scheduler& scheduler() {
    return program().service<Scheduler>();
}
