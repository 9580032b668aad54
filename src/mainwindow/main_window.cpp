#include "mainwindow/main_window.h"

#include "core/module1.h"
#include "core/program.h"
#include "editor/job_set_writer.h"
#include "logview/log_window.h"
#include "logview/update_window.h"
#include "mainwindow/readme_window.h"
#include "mainwindow/settings_window.h"
#include "platform/clock.h"
#include "platform/close_request.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/backup_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <optional>

namespace {
// Runs one start-up or shutdown step; a failing step is skipped and the next one runs.
template <class F> void step(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

template <class W = QWidget> W* named(QWidget* root, const char* name) {
    return root->findChild<W*>(QString::fromUtf8(name));
}

void giveHand(QWidget* root, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (QWidget* w = named(root, n))
            w->setCursor(Qt::PointingHandCursor);
}
} // namespace

frmmain::frmmain() {
    program().setMainWindow(this);
    // The shared procedures show the run log through the log viewer, which lives above them.
    Module1::windowHooks().logViewer = [](const QString& text) {
        if (text.isEmpty())
            logview::openLogViewer();
        else
            logview::openProgramLog(text);
    };
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(QStringLiteral("Backup"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    TrayIcon1 = new platform::TrayIcon(this);
    createLayoutControls();
    createLogControls();
    createJobControls();
    createSchedulerControls();
    createCommandControls();
    createOldBackupControls();
    createQuickStartControls();
    QObject::connect(TrayIcon1, &platform::TrayIcon::mouseDown, this, [this] { TrayIcon1_MouseDown(); });
    // The close box also ends the program while a modal window waits, as SIGTERM does.
    platform::forwardBlockedCloseRequests(this, [this] { requestEnd(); });
    // Shown or hidden group buttons change the rows they take.
    for (QRadioButton* o : optarkiv)
        o->installEventFilter(this);
    minOuterWidth_ = smallestOuterWidth();
    setMinimumWidth(minOuterWidth_);
    laidOut_ = true;
    Form_Resize();
}

frmmain::~frmmain() {
    if (Program* p = currentProgram()) {
        p->forget(static_cast<MainWindowServices*>(this));
        p->systemLog().setObserver({});
    }
}

bool frmmain::load() {
    Form_Load();
    return loaded_;
}

void frmmain::Form_Load() {
    Program& p = program();
    const QString version = QStringLiteral("%1.%2.%3")
                                .arg(TAMREL_VERSION_MAJOR)
                                .arg(TAMREL_VERSION_MINOR)
                                .arg(TAMREL_VERSION_PATCH);
    p.systemLog().setText(platform::dateTimeText(p.clock.now()) +
                          QStringLiteral("  Uppstart av Tamrel Backup version ") + version);
    setWindowTitle(QStringLiteral("Tamrel Backup"));
    p.jobbgruppmapp = p.path(QStringLiteral("Listor"));
    if (p.programFolder() == QLatin1String("/")) {
        Module1::logga_meddelande(0, -1,
                                  QStringLiteral("Programmet måste ligga i en egen underkatalog till ") +
                                      p.programFolder() +
                                      QStringLiteral(".\r\nProgrammet kommer att avslutas!"),
                                  QString());
        p.exitStatus = 1;
        loaded_ = false;
        return;
    }
    open_windowsize_main();
    step([&] {
        const std::pair<const char*, platform::Picture> quick[] = {
            {"cmdsnabbnytt", platform::Picture::New},
            {"cmdsnabbbackup", platform::Picture::Run},
            {"cmdsnabbsynk", platform::Picture::Sync},
            {"cmdsnabbåterställ", platform::Picture::Restore},
            {"cmdsnabbschema", platform::Picture::Schedule},
            {"cmdsnabbmain", platform::Picture::About}};
        for (const auto& [name, pic] : quick)
            if (auto* b = named<QAbstractButton>(this, name))
                b->setIcon(platform::icon(pic));
    });
    step([&] { open_setup_snabbstartsväljaren(); });
    step([&] {
        if (!platform::folderExists(p.jobbgruppmapp)) {
            platform::makePath(p.path(QStringLiteral("Listor")));
            appendSystemLog(QStringLiteral("Skapade mappen \\Listor"));
        }
    });
    step([&] {
        TrayIcon1->setPicture(platform::icon(platform::Picture::Backup));
        TrayIcon1->addToTray();
        TrayIcon1->setToolTip(QStringLiteral("Tamrel Backup"));
    });
    step([&] {
        if (auto* b = named<QAbstractButton>(this, "cmdschema_avaktivera"))
            b->setIcon(platform::icon(platform::Picture::Delete));
    });
    step([&] {
        giveHand(this, {"lblvisabackupfönstret", "lblsnabbinställningar", "lblvisaschemajobb", "lblstatus2",
                        "lblgammalbackup"});
    });
    // With scheduling switched on at start, the start is unattended from its first message on: a
    // job that cannot be read must not hold every scheduled run up behind a dialog.
    std::optional<UnattendedRun> unattended;
    if (p.commandLine.isEmpty() && schedulingAtStart())
        unattended.emplace();
    // Said once: otherwise nothing tells why a save or a run fails later. A box for a person;
    // the program log for an unattended start; standard error for whoever started the command line.
    step([&] {
        const QString why = p.unwritableFolderMessage();
        if (why.isEmpty())
            return;
        if (!p.commandLine.isEmpty())
            platform::writeStandardError(why + QLatin1Char('.'));
        Module1::logga_meddelande(0, p.commandLine.isEmpty() ? -1 : 0, why, QStringLiteral("Main, uppstart"));
    });
    // A job whose save was killed is made whole (old or new) before anything reads it.
    step([&] {
        for (int i = 0; i < 4; ++i)
            finishInterruptedSaves(groupFolder(i));
    });
    step([&] { cmdload_Click(); });
    if (!p.commandLine.isEmpty()) {
        commandLineRun();
        loaded_ = false;
        return;
    }
    step([&] { varna_gammal_backup(); });
    step([&] {
        if (readme::due(p.programFolder()))
            informera_versionen(unattended.has_value());
    });
    step([&] { open_setup(); });
    // The settings window's buttons and the job list's pop-up menu lead to the menus' commands.
    step([&] { connectMenus(); });
    step([&] {
        giveHand(this,
                 {"lblhjälp",   "lblhjälp2", "lblsysloggsize", "lblsyslogg_radera", "lblschemavisasyslogg",
                  "lbldonera2", "picnytt",   "picändra",       "pictabort",         "picutför",
                  "picschema",  "picsync",   "picsetup",       "picåterställ",      "picprogramlogg",
                  "picom",      "imgnytt",   "imgändra",       "imgtabort",         "imgutför",
                  "imgschema",  "imgsynk",   "imgsetup",       "imgåterställ",      "imgprogramlogg",
                  "imgom",      "lblnytt",   "lbländra",       "lbltabort",         "lblutför",
                  "lblschema",  "lblsynk",   "lblsetup",       "lblåterställ",      "lblprogramlogg",
                  "lblom"});
    });
    step([&] {
        if (!file_schemasync().isEmpty())
            setLblstatus2Visible(true);
    });
    step([&] {
        if (program().form<frmsetup>()->chkuppdateraauto->isChecked())
            logview::startHiddenUpdateCheck();
    });
    Timerfönstersize->start();
    loaded_ = true;
}

bool frmmain::schedulingAtStart() const {
    try {
        const QStringList lines =
            platform::readLines(program().path(QStringLiteral("programalternativ.ini")));
        return lines.size() > 2 && programsettings::lineValue(lines[2]);
    } catch (const platform::RunError&) {
        return false;
    }
}

void frmmain::commandLineRun() {
    Program& p = program();
    inCommandLineRun_ = true;
    appendSystemLog(QStringLiteral("Hittade startkommando för uppstart: ") + p.commandLine);
    setWindowState(Qt::WindowMinimized);
    step([&] {
        const QString ini = p.path(QStringLiteral("programalternativ.ini"));
        if (platform::fileExists(ini)) {
            const QStringList lines = platform::readLines(ini);
            frmsetup* s = p.form<frmsetup>();
            if (lines.size() >= 12)
                s->chkpapperskorg_ersatta->setChecked(platform::valInt(lines[11]) != 0);
            if (lines.size() >= 13)
                s->chkpapperskorg_synk->setChecked(platform::valInt(lines[12]) != 0);
        }
    });
    QString job = p.commandLine;
    frmutförbackup* b = p.form<frmutförbackup>();
    if (job.endsWith(QLatin1String(",1"))) {
        b->chksync->setChecked(true);
        job.chop(2);
    } else if (job.endsWith(QLatin1String(",2"))) {
        b->chksync->setChecked(true);
        b->chksyncsimulera->setChecked(true);
        job.chop(2);
    }
    bool matched = false;
    step([&] {
        for (int i = 0; i < comboinställningar->count(); ++i) {
            const QString name = comboinställningar->itemText(i);
            b->List1->addItem(name);
            if (name == job) {
                b->List1->item(b->List1->count() - 1)->setSelected(true);
                matched = true;
            }
        }
    });
    if (!matched) {
        // The command line runs jobs of the first group only; whoever typed the name learns at once
        // why nothing ran.
        const QString refusal = QStringLiteral("FEL! Det finns inget jobb med namnet ''") + job +
                                QStringLiteral("'' i jobbgrupp 1.");
        appendSystemLog(refusal);
        p.systemLog().markError();
        platform::writeStandardError(refusal);
    }
    step([&] { b->commandline(); });
    // Scripts and schedulers read the exit status: a run that did nothing, failed or was stopped
    // is no success.
    if (!matched || b->runHadErrors() || p.schema_avstängt == 1 || endRequested_)
        p.exitStatus = 1;
    inCommandLineRun_ = false;
    Form_Unload();
}

void frmmain::requestEnd() {
    if (unloaded_)
        return;
    Program& p = program();
    p.dialogs.setUnattended(true);
    p.dialogs.closeWaiting();
    if (endRequested_)
        return;
    endRequested_ = true;
    p.operations().requestStop([this] { endWhenFree(); });
}

void frmmain::endWhenFree() {
    if (unloaded_ || !loaded_)
        return;
    // The procedure that yielded still uses its windows; unloading happens from the event loop.
    if (platform::insideNestedLoop() || program().operations().busy()) {
        QTimer::singleShot(50, this, [this] { endWhenFree(); });
        return;
    }
    // The main window's deletion ends the event loop.
    Form_Unload();
}

void frmmain::hideToTray() {
    if (platform::TrayIcon::available())
        hide();
    else
        setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
}

void frmmain::Form_Activate() {
    Program& p = program();
    step([&] {
        if (frmsetup* s = p.loaded<frmsetup>(); s && s->isVisible()) {
            s->show();
            s->raise();
        }
    });
    step([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmbackupfel")) {
                w->hide();
                w->deleteLater();
            }
    });
    const frmutförbackup* b = p.loaded<frmutförbackup>();
    const bool backupVisible = b && b->isVisible();
    step([&] {
        for (QWidget* w : {static_cast<QWidget*>(comboinställningar), static_cast<QWidget*>(combomappar_list),
                           static_cast<QWidget*>(listinställningar)})
            if (w)
                w->setEnabled(!backupVisible);
        for (const char* n :
             {"picnytt", "picändra", "pictabort", "picschema", "cmduppdateraallt", "cmduppdatera"})
            if (QWidget* w = named(this, n))
                w->setVisible(!backupVisible);
        for (const char* n : {"cmdsnabbnytt", "cmdsnabbschema", "cmdbackupdirekt"})
            if (QWidget* w = named(this, n))
                w->setEnabled(!backupVisible);
    });
    step([&] {
        frmsetup* s = p.form<frmsetup>();
        auto* txtarkiv = named<QLineEdit>(this, "txtarkiv");
        if (s->chkjobbarkiv->isChecked() && txtarkiv) {
            for (QRadioButton* o : optarkiv)
                if (o && o->isChecked())
                    txtarkiv->setText(QStringLiteral("Vald jobbgrupp: ") + o->text());
            txtarkiv->setVisible(backupVisible);
        }
    });
    step([&] {
        frmsetup* s = p.form<frmsetup>();
        if (s->chkstartaminimerad_Tag.isEmpty()) {
            s->chkstartaminimerad_Tag = QStringLiteral("1");
            if (s->chkstartaminimerad->isChecked()) {
                TrayIcon1->setPicture(platform::icon(platform::Picture::Backup));
                TrayIcon1->addToTray();
                hideToTray();
            }
        }
    });
    step([&] {
        if (!chkaktiveraschema->isChecked())
            lblstatus->setText(QStringLiteral("Status: Redo"));
    });
    step([&] {
        // Reselects the job by its name, so a job added or removed before it does not
        // silently put another job in its place.
        if (chkload)
            reloadJobsKeepingSelection();
    });
    step([&] { visa_senaste_backup(); });
    step([&] {
        if (cmdstartaschema_Tag == QLatin1String("0"))
            chkaktiveraschema->setChecked(false);
        else if (cmdstartaschema_Tag == QLatin1String("1"))
            chkaktiveraschema->setChecked(true);
        cmdstartaschema_Tag.clear();
    });
}

void frmmain::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    unloading_ = true;
    Program& p = program();
    step([&] {
        if (chkaktiveraschema && chkaktiveraschema->isChecked())
            chkaktiveraschema->setChecked(false);
    });
    step([&] {
        Timerfönstersize->stop();
        timer_syslogg->stop();
    });
    step([&] { spara_windowsize_main(); });
    step([&] { p.unload<frmsetup>(); });
    step([&] { TrayIcon1->removeFromTray(); });
    step([&] { appendSystemLog(QStringLiteral("Avslutar programmet.")); });
    step([&] { spara_syslogg(); });
    step([&] { p.unloadAll(); });
}

void frmmain::closeEvent(QCloseEvent* e) {
    if (unloaded_) {
        e->accept();
        return;
    }
    // Never refused; the window goes with the shutdown, after whatever runs has ended.
    e->ignore();
    requestEnd();
}

bool frmmain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && loaded_ && !unloading_)
        Form_Activate();
    return QMainWindow::event(e);
}

void frmmain::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && laidOut_ && !unloading_)
        Form_Resize();
}
