// The main window's quick-start chooser, the readme at start-up, and the job menu's entries for
// duplicating, copying to another group, exporting and search and replace.
#include "core/module1.h"
#include "core/program.h"
#include "editor/search_replace_window.h"
#include "mainwindow/job_menu.h"
#include "mainwindow/main_window.h"
#include "mainwindow/quick_start.h"
#include "mainwindow/readme_window.h"
#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/textfile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

void frmmain::createQuickStartControls() {
    QuickStartPanel::Actions a;
    a.newJob = [this] { cmdny_Click(); };
    a.backup = [this] { cmdkör_Click(); };
    a.folderSync = [this] { cmdsynk_Click(); };
    a.restore = [this] { cmdåterställ_Click(); };
    a.schedule = [this] {
        // The schedule editor opens on a job; without any the button would do nothing at all.
        if (comboinställningar->count() == 0) {
            Module1::logga_meddelande(0, -1, QStringLiteral("Det finns inga jobb att schemalägga."),
                                      QString());
            return;
        }
        cmdstartaschema_Click();
    };
    // The link says "Inställningar": it opens the settings window, as the menu entry does.
    a.settings = [] {
        frmsetup* s = program().form<frmsetup>();
        s->show();
        s->raise();
    };
    a.keepAtStart = [](bool on) {
        frmsetup* s = program().form<frmsetup>();
        s->chksnabbstart->setChecked(on);
        s->spara_setup();
    };
    framesnabbstart = new QuickStartPanel(centralWidget(), a);
    framesnabbstart->installEventFilter(this);
    // The chooser's controls are the window's last ones: the Tab order can be set now.
    setReadingOrder();
}

void frmmain::connectPeripheryMenus(frmsetup* s) {
    QObject::connect(s->mnusnabbstart, &QAction::triggered, this, [this] { framesnabbstart->show(); });
    QObject::connect(s->mnusökersätt, &QAction::triggered, this, [] { frmsökersätt::open(); });
    QObject::connect(s->mnuduplicera, &QAction::triggered, this, [] { jobmenu::mnuduplicera_Click(); });
    for (int i = 0; i < 4; ++i)
        QObject::connect(s->mnugrupp[i], &QAction::triggered, this, [i] { jobmenu::mnugrupp_Click(i); });
    QObject::connect(s->cmdexport, &QPushButton::clicked, this, [] { jobmenu::cmdexport_Click(); });
}

void frmmain::open_setup_snabbstartsväljaren() {
    Program& p = program();
    const QString file = p.path(QStringLiteral("programalternativ.ini"));
    if (!platform::fileExists(file))
        return; // the chooser keeps its design visibility
    try {
        const auto on = quickstart::settingFromLines(platform::readLines(file));
        frmsetup* s = p.form<frmsetup>();
        if (on)
            s->chksnabbstart->setChecked(*on);
        framesnabbstart->setVisible(p.settings().chksnabbstart);
    } catch (const platform::RunError&) {
    }
}

void frmmain::informera_versionen(bool withoutWaiting) {
    if (!withoutWaiting) {
        readme::informera_versionen(program().programFolder());
        return;
    }
    // Once the event loop runs, the main window is shown and the readme can come over it.
    QTimer::singleShot(0, this, [this] {
        try {
            readme::informera_versionen(program().programFolder(), this);
        } catch (...) {
        }
    });
}
