// Commands, toolbar and pop-up menus of the main window.
#include "core/close_programs.h"
#include "core/module1.h"
#include "core/program.h"
#include "foldersync/sync_window.h"
#include "logview/about_window.h"
#include "logview/update_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/presence.h"
#include "platform/textfile.h"
#include "platform/widgets.h"
#include "restore/restore_window.h"
#include "run/backup_window.h"
#include "run/target_folders.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
constexpr int tw(int twips) {
    return twips / 15;
}
} // namespace

void frmmain::createCommandControls() {
    QWidget* c = centralWidget();
    struct Item {
        const char* pic;
        const char* img;
        const char* lbl;
        const char* caption;
        platform::Picture picture;
        void (frmmain::*command)();
        void (frmmain::*imageCommand)();
    };
    const Item items[] = {
        {"picnytt", "imgnytt", "lblnytt", "Nytt jobb", platform::Picture::New, &frmmain::cmdny_Click,
         nullptr},
        {"picändra", "imgändra", "lbländra", "Ändra", platform::Picture::Edit, &frmmain::cmdändra_Click,
         nullptr},
        {"pictabort", "imgtabort", "lbltabort", "Ta bort", platform::Picture::Delete,
         &frmmain::cmdtabort_Click, nullptr},
        {"picutför", "imgutför", "lblutför", "BACKUP...", platform::Picture::Run, &frmmain::cmdkör_Click,
         nullptr},
        {"picåterställ", "imgåterställ", "lblåterställ", "Återställ...", platform::Picture::Restore,
         &frmmain::cmdåterställ_Click, nullptr},
        {"picsync", "imgsynk", "lblsynk", "Mappkopiering", platform::Picture::Sync, &frmmain::cmdsynk_Click,
         nullptr},
        {"picschema", "imgschema", "lblschema", "Schemalägg", platform::Picture::Schedule,
         &frmmain::cmdstartaschema_Click, nullptr},
        {"picsetup", "imgsetup", "lblsetup", "Alternativ", platform::Picture::Setup,
         &frmmain::cmdalternativ_Click, nullptr},
        {"picprogramlogg", "imgprogramlogg", "lblprogramlogg", "Programlogg", platform::Picture::ProgramLog,
         &frmmain::cmdprogramlogg_Click, nullptr},
        // The about item's image runs the old-backup check, its picture box and label the about box.
        {"picom", "imgom", "lblom", "Om programmet", platform::Picture::About, &frmmain::cmdom_Click,
         &frmmain::varna_gammal_backup},
    };
    const int itemHeight = picmeny->height() / int(std::size(items));
    int top = 0;
    for (const Item& it : items) {
        // A toolbar item: a picture box holding an image and a caption; a press anywhere on it runs
        // the command once (on the press, not the release).
        auto* pic = new platform::PressItem(picmeny);
        pic->setObjectName(QString::fromUtf8(it.pic));
        pic->setGeometry(0, top, picmeny->width(), itemHeight);
        pic->onPress = [this, cmd = it.command] { (this->*cmd)(); };
        if (it.imageCommand)
            pic->onPicturePress = [this, cmd = it.imageCommand] { (this->*cmd)(); };
        auto* img = new QLabel(pic);
        img->setObjectName(QString::fromUtf8(it.img));
        img->setPixmap(platform::picture(it.picture, 20));
        img->setAlignment(Qt::AlignCenter);
        img->setGeometry(0, 1, pic->width(), 21);
        QLabel* lbl = nullptr;
        if (QString::fromUtf8(it.lbl) == QLatin1String("lblprogramlogg") && lblprogramlogg) {
            lbl = lblprogramlogg; // the label the message reporter colours
            lbl->setParent(pic);
            lbl->show();
        } else {
            lbl = new QLabel(QString::fromUtf8(it.caption), pic);
            lbl->setObjectName(QString::fromUtf8(it.lbl));
        }
        lbl->setAlignment(Qt::AlignHCenter);
        lbl->setGeometry(0, 22, pic->width(), itemHeight - 22);
        pic->setParts(img, lbl);
        top += itemHeight;
    }

    // The job column of the job frame.
    QWidget* jf = framejobb ? static_cast<QWidget*>(framejobb) : c;
    struct Column {
        const char* name;
        const char* tip;
        platform::Picture picture;
        void (frmmain::*command)();
    };
    const Column column[] = {
        {"cmduppdateraallt", "Läs in och uppdatera mappstrukturen för markerat jobb",
         platform::Picture::Refresh, &frmmain::cmduppdateraallt_Click},
        {"cmduppdatera", "Läs in och uppdatera mappstrukturen för vald huvudmapp",
         platform::Picture::FolderRefresh, &frmmain::cmduppdatera_Click},
        {"cmdöppnamålmapp", "Öppna källmapp/målmapp", platform::Picture::FolderOpen,
         &frmmain::cmdöppnamålmapp_Click},
        {"cmdåterställdenna", "Återställ denna från backup...", platform::Picture::Restore,
         &frmmain::cmdåterställdenna_Click},
        {"cmdbackupdirekt", "Kör backup på detta jobb direkt", platform::Picture::Run,
         &frmmain::cmdbackupdirekt_Click},
    };
    int y = tw(360);
    for (const Column& col : column) {
        auto* b = platform::namedButton(jf, col.name, QString());
        b->setIcon(platform::icon(col.picture));
        b->setToolTip(QString::fromUtf8(col.tip));
        b->setGeometry(jf->width() - tw(395), y, tw(360), tw(360));
        QObject::connect(b, &QPushButton::clicked, this, [this, cmd = col.command] { (this->*cmd)(); });
        y += tw(420);
    }

    // The commands themselves; the toolbar and the quick start lead to them.
    struct Hidden {
        const char* name;
        const char* caption;
        void (frmmain::*command)();
    };
    const Hidden hidden[] = {
        {"cmdny", "Nytt jobb", &frmmain::cmdny_Click},
        {"cmdändra", "Ändra", &frmmain::cmdändra_Click},
        {"cmdtabort", "Ta bort", &frmmain::cmdtabort_Click},
        {"cmdkör", "Utför backup...", &frmmain::cmdkör_Click},
        {"cmdåterställ", "Återställ...", &frmmain::cmdåterställ_Click},
        {"cmdsynk", "Synk...", &frmmain::cmdsynk_Click},
        {"cmdom", "Om programmet", &frmmain::cmdom_Click},
        {"cmdalternativ", "Alternativ", &frmmain::cmdalternativ_Click},
        {"cmdstartaschema", "Schemalägg", &frmmain::cmdstartaschema_Click},
        {"Command1", "1", &frmmain::Command1_Click},
        {"Command2", "2", &frmmain::Command2_Click},
    };
    for (const Hidden& h : hidden) {
        auto* b = platform::namedButton(c, h.name, QString::fromUtf8(h.caption));
        b->hide();
        QObject::connect(b, &QPushButton::clicked, this, [this, cmd = h.command] { (this->*cmd)(); });
    }
    if (auto* b = findChild<QPushButton*>(QStringLiteral("cmdsynk")))
        b->setToolTip(QStringLiteral("Synkronisering..."));

    auto* hjälp = new platform::ClickLabel(QStringLiteral("Hjälp"), c);
    hjälp->setObjectName(QStringLiteral("lblhjälp"));
    hjälp->setCursor(Qt::PointingHandCursor);
    // Both links on one line under the toolbar's button: at the window's smallest height a second
    // line would run into the status lines below.
    hjälp->setGeometry(picmeny->x() + tw(120), picmeny->height() + tw(570), tw(600), tw(255));
    hjälp->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    hjälp->onClick = [] { Module1::öppna_hjälp(); };
    auto* donera = new platform::ClickLabel(QStringLiteral("Donera!"), c);
    donera->setObjectName(QStringLiteral("lbldonera2"));
    donera->setCursor(Qt::PointingHandCursor);
    donera->setGeometry(hjälp->geometry().right() + 1 + tw(120), hjälp->y(), tw(900), tw(255));
    donera->setStyleSheet(hjälp->styleSheet());
    donera->onClick = [this] { lbldonera2_MouseDown(); };
}

void frmmain::connectMenus() {
    if (menusConnected_)
        return;
    menusConnected_ = true;
    frmsetup* s = program().form<frmsetup>();
    QObject::connect(s->mnuinställningar, &QAction::triggered, s, [s] {
        s->show();
        s->raise();
    });
    QObject::connect(s->mnuvisagammalbackup, &QAction::triggered, this, [this] {
        lblgammalbackup_Tag = QStringLiteral("1");
        varna_gammal_backup();
    });
    QObject::connect(s->mnuåterställ, &QAction::triggered, this, [this] { cmdåterställ_Click(); });
    connectPeripheryMenus(s);
    QObject::connect(s->mnuuppdateranu, &QAction::triggered, this, [] {
        try {
            logview::startVisibleUpdateCheck();
        } catch (const platform::RunError&) {
        }
    });
    QObject::connect(s->mnuom, &QAction::triggered, this, [] { logview::openAboutFromSettings(); });
    QObject::connect(s->mnuöppnamapp_original, &QAction::triggered, this,
                     [this] { mnuöppnamapp_original_Click(); });
    QObject::connect(s->mnuöppnamapp_backup, &QAction::triggered, this,
                     [this] { mnuöppnamapp_backup_Click(); });
    for (int i = 0; i < 50; ++i) {
        QObject::connect(s->mnukällmapp[i], &QAction::triggered, this,
                         [this, s, i] { openFolder(s->mnukällmapp[i]->text(), false); });
        QObject::connect(s->mnumålmapp[i], &QAction::triggered, this,
                         [this, s, i] { openFolder(s->mnumålmapp[i]->text(), false); });
    }
}

QString frmmain::targetFolderOfMainFolder(const QString& mainFolder) const {
    return targetFolderFor(mainFolder, record().txtbackupmapp, record().txtsökvägtyp == QLatin1String("1"),
                           mainFolder, record().txtabsolutsökväg_huvudmapp == QLatin1String("JA"));
}

void frmmain::cmdkör_Click() {
    Program& p = program();
    p.schema_avstängt = 0;
    if (comboinställningar->count() == 0) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Det finns inga jobb att utföra!"), QString());
        return;
    }
    frmutförbackup* b = p.form<frmutförbackup>();
    if (b->isVisible() || b->caption() == QLatin1String("commandline")) {
        b->bringBack(); // also from a minimise
        return;
    }
    // Entry i of the backup window's list must be job i of the job list.
    b->List1->clear();
    for (int i = 0; i < comboinställningar->count(); ++i)
        b->List1->addItem(comboinställningar->itemText(i));
    b->show();
}

void frmmain::cmdbackupdirekt_Click() {
    Program& p = program();
    p.schema_avstängt = 0;
    frmutförbackup* b = p.form<frmutförbackup>();
    if (b->runGoingOn())
        return;
    b->List1->clear();
    for (int i = 0; i < comboinställningar->count(); ++i)
        b->List1->addItem(comboinställningar->itemText(i));
    const int row = listinställningar->currentRow();
    if (row >= 0 && row < b->List1->count())
        b->List1->item(row)->setSelected(true);
    b->show();
    b->backupdirekt();
}

namespace {
QStringList jobNames(const QComboBox* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->itemText(i);
    return names;
}
} // namespace

// The folder synchronisation and the about box are built with their own windows; until then
// these commands only do their checks.
void frmmain::cmdåterställ_Click() {
    if (comboinställningar->count() == 0) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Det finns inga jobb att återställa."), QString());
        return;
    }
    showRestoreWizard(jobNames(comboinställningar), 0, -1, false);
}

void frmmain::cmdåterställdenna_Click() {
    showRestoreWizard(jobNames(comboinställningar), comboinställningar->currentIndex(), combomapparIndex(),
                      true);
}

void frmmain::cmdsynk_Click() {
    program().dialogs.showModal(program().form<frmmappsync>());
}

void frmmain::cmdom_Click() {
    program().schema_avstängt = 0;
    logview::openAbout();
}

void frmmain::lbldonera2_MouseDown() {
    logview::openDonation();
}

void frmmain::lblvisabackupfönstret_Click() {
    frmutförbackup* b = program().form<frmutförbackup>();
    if (b->runGoingOn())
        b->bringBack(); // also from a minimise
}

void frmmain::cmdalternativ_Click() {
    connectMenus();
    frmsetup* s = program().form<frmsetup>();
    const bool groups = s->chkjobbarkiv->isChecked();
    s->mnukopierajobb->menuAction()->setVisible(groups);
    if (groups)
        for (int i = 0; i < 4; ++i)
            s->mnugrupp[i]->setText(optarkiv[i]->text());
    QWidget* pic = findChild<QWidget*>(QStringLiteral("picsetup"));
    const QPoint at = pic ? pic->mapToGlobal(QPoint(tw(540), tw(640))) : mapToGlobal(QPoint(0, 0));
    if (!program().dialogs.scripted())
        s->mnualternativ->popup(at);
}

void frmmain::cmdöppnamålmapp_Click() {
    if (record().combomappar.isEmpty() || combomapparIndex() < 0)
        return;
    connectMenus();
    frmsetup* s = program().form<frmsetup>();
    try {
        const int n = std::min<int>(int(record().combomappar.size()), 50);
        for (int i = 0; i < n; ++i) {
            s->mnukällmapp[i]->setText(record().combomappar.at(i));
            s->mnumålmapp[i]->setText(targetFolderOfMainFolder(record().combomappar.at(i)));
            s->mnukällmapp[i]->setVisible(true);
            s->mnumålmapp[i]->setVisible(true);
        }
        for (int i = n; i < 50; ++i) {
            s->mnukällmapp[i]->setVisible(false);
            s->mnumålmapp[i]->setVisible(false);
        }
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(
            e, -1, QStringLiteral("Ett fel uppstod när källmappar och målmappar skulle laddas till meny."),
            QStringLiteral("Main, öppna målmapp/källmapp"));
        return;
    }
    QWidget* b = findChild<QWidget*>(QStringLiteral("cmdöppnamålmapp"));
    if (!program().dialogs.scripted())
        s->mnuöppnamapp2->popup(b ? b->mapToGlobal(QPoint(tw(590), tw(415))) : QCursor::pos());
}

void frmmain::openFolder(const QString& folder, bool reportErrors) {
    Q_UNUSED(reportErrors);
    if (folder.isEmpty())
        return;
    if (platform::presence(folder) == platform::Presence::Present && platform::folderExists(folder)) {
        program().dialogs.openUrl(folder);
        return;
    }
    Module1::logga_meddelande(0, -1, QStringLiteral("Mappen existerar inte.\r\n") + folder, QString());
}

void frmmain::mnuöppnamapp_original_Click() {
    const int i = combomapparIndex();
    if (i < 0 || i >= record().combomappar.size())
        return;
    openFolder(record().combomappar.at(i), true);
}

void frmmain::mnuöppnamapp_backup_Click() {
    const int i = combomapparIndex();
    if (i < 0 || i >= record().combomappar.size())
        return;
    openFolder(targetFolderOfMainFolder(record().combomappar.at(i)), true);
}

void frmmain::Command1_Click() {
    const QString file = program().path(QStringLiteral("_startstopp.txt"));
    if (!platform::fileExists(file)) {
        program().dialogs.msgBox(QStringLiteral("fil saknas"));
        return;
    }
    try {
        program().form<frmutförbackup>(); // the report also goes into the backup window's log
        Module3::stäng_programfönster(platform::readLines(file).value(0));
    } catch (const platform::RunError&) {
    }
}

void frmmain::Command2_Click() {
    const QString file = program().path(QStringLiteral("_startstopp.txt"));
    if (!platform::fileExists(file)) {
        program().dialogs.msgBox(QStringLiteral("fil saknas"));
        return;
    }
    try {
        program().dialogs.startProgram(platform::readLines(file).value(1));
    } catch (const platform::RunError&) {
    }
}
