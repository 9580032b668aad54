#include "core/main_window.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/settings_window.h"
#include "logview/update_window.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include <QFileInfo>
#include "run/backup_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTextEdit>
#include <QTimer>

frmmain::frmmain() {
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
    QObject::connect(TrayIcon1, &platform::TrayIcon::mouseDown, this, [this] { TrayIcon1_MouseDown(); });
}

frmmain::~frmmain() = default;

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
    txtsyslogg->setPlainText(platform::dateTimeText(p.clock.now()) + QStringLiteral("  Uppstart av Tamrel Backup version ") +
                             version);
    setWindowTitle(QStringLiteral("Tamrel Backup"));
    p.jobbgruppmapp = p.path(QStringLiteral("Listor"));
    if (p.programFolder() == QLatin1String("/")) {
        Module1::logga_meddelande(0, -1,
                                  QStringLiteral("Programmet måste ligga i en egen underkatalog till ") + p.programFolder() +
                                      QStringLiteral(".\r\nProgrammet kommer att avslutas!"),
                                  QString());
        p.exitStatus = 1;
        loaded_ = false;
        return;
    }
    open_windowsize_main();
    auto step = [](auto&& f) {
        try {
            f();
        } catch (...) {
        }
    };
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
    step([&] { cmdload_Click(); });
    if (!p.commandLine.isEmpty()) {
        commandLineRun();
        loaded_ = false;
        return;
    }
    step([&] { varna_gammal_backup(); });
    step([&] {
        if (!QFileInfo::exists(p.path(QStringLiteral("readme700.dat"))))
            informera_versionen();
    });
    step([&] { open_setup(); });
    step([&] {
        if (program().form<frmsetup>()->chkuppdateraauto->isChecked())
            program().form<frmuppdatera>()->Timer1->start(3000);
    });
    loaded_ = true;
}

void frmmain::commandLineRun() {
    Program& p = program();
    auto step = [](auto&& f) {
        try {
            f();
        } catch (...) {
        }
    };
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
    step([&] { b->commandline(); });
    if (!matched || b->runHadErrors())
        p.exitStatus = 1;
    Form_Unload();
}

void frmmain::Form_Activate() {
    // Filled in by the start-up and activation work.
}

void frmmain::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    unloading_ = true;
    Program& p = program();
    auto step = [](auto&& f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([&] {
        if (chkaktiveraschema && chkaktiveraschema->isChecked())
            chkaktiveraschema->setChecked(false);
    });
    step([&] {
        if (isVisible() && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            spara_windowsize_main();
    });
    step([&] { p.unload<frmsetup>(); });
    step([&] { TrayIcon1->removeFromTray(); });
    step([&] { appendSystemLog(QStringLiteral("Avslutar programmet.")); });
    step([&] { spara_syslogg(); });
    step([&] { p.unloadAll(); });
}

void frmmain::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

bool frmmain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && loaded_ && !unloading_)
        Form_Activate();
    return QMainWindow::event(e);
}

void frmmain::changeEvent(QEvent* e) { QMainWindow::changeEvent(e); }
