#include "logview/update_window.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "logview/host.h"
#include "logview/link_label.h"
#include "logview/update_check.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/widgets.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <cstdlib>

namespace {
const QString kFailedCheck = QStringLiteral("Misslyckades med att söka uppdateringar");
const QString kUnknownNewest = QStringLiteral("Nyaste version: ?");

QString errorText(const platform::RunError& e) {
    return QStringLiteral("Ett fel uppstod.\n") + QString::number(e.number) + QLatin1Char(' ') +
           e.description;
}

void removeQuietly(const QString& path) {
    try {
        if (!path.isEmpty() && platform::fileExists(path))
            platform::removeFile(path);
    } catch (const platform::RunError&) {
    }
}
} // namespace

frmuppdatera::frmuppdatera() {
    setObjectName(QStringLiteral("frmuppdatera"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(440, 372);

    Frame1 = platform::named<QFrame>(this, "Frame1");
    Frame1->setFrameShape(QFrame::StyledPanel);
    Frame1->setGeometry(8, 8, 424, 84);
    lblversion = platform::namedLabel(Frame1, "lblversion", QStringLiteral("Aktuell version:"));
    lblversion->setGeometry(8, 8, 200, 18);
    lblnyversion = platform::namedLabel(Frame1, "lblnyversion", QStringLiteral("Ny version:"));
    lblnyversion->setGeometry(8, 28, 200, 50);
    lblnyversion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblchangelog = logview::linkLabel(Frame1, "lblchangelog",
                                      QStringLiteral("Se ändringar för äldre versioner (changelog)"),
                                      [this] { lblchangelog_Click(); });
    lblchangelog->setGeometry(150, 8, 266, 18);
    lblchangelog->setAlignment(Qt::AlignRight);
    lblchangelog->hide();
    lblhemsidan = logview::linkLabel(Frame1, "lblhemsidan", QStringLiteral("Gå till hemsidan"),
                                     [this] { lblhemsidan_Click(); });
    lblhemsidan->setGeometry(216, 28, 200, 18);
    lblhemsidan->setAlignment(Qt::AlignRight);
    lblhemsidan->hide();

    Text1 = platform::named<QPlainTextEdit>(this, "Text1");
    Text1->setAccessibleName(QStringLiteral("Nyheter"));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setGeometry(8, 100, 424, 222);
    Text1->setPlainText(QStringLiteral("Vänligen vänta...\n"));

    cmdinstallera = platform::namedButton(this, "cmdinstallera", QStringLiteral("Ladda ner/installera"));
    QFont bold = cmdinstallera->font();
    bold.setBold(true);
    cmdinstallera->setFont(bold);
    cmdinstallera->setGeometry(8, 332, 180, 30);
    cmdinstallera->hide();
    cmdstäng = platform::namedButton(this, "cmdstäng", QStringLiteral("Stäng"));
    cmdstäng->setGeometry(352, 332, 80, 30);
    cmdsökuppdatering =
        platform::namedButton(this, "cmdsökuppdatering", QStringLiteral("Sök efter nyare version"));
    cmdsökuppdatering->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    QObject::connect(cmdinstallera, &QPushButton::clicked, this, [this] { cmdinstallera_Click(); });
    QObject::connect(cmdstäng, &QPushButton::clicked, this, [this] { cmdstäng_Click(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    QObject::connect(escape, &QShortcut::activated, this, [this] { cmdstäng_Click(); });

    endProgram = [] { std::_Exit(0); };
    Form_Load();
}

void frmuppdatera::Form_Load() {
    setWindowTitle(QStringLiteral("Uppdatera Tamrel Backup"));
    setWindowIcon(logview::host::mainIcon());
    geometry::centreOverMainWindow(this);
    lblversion->setText(updates::shownCurrentVersion());
}

void frmuppdatera::Timer1_Timer() {
    Timer1->stop();
    if (cmdsökuppdatering_Tag == QLatin1String("1"))
        return;
    cmdsökuppdatering_Tag = QStringLiteral("1");
    cmdsökuppdatering_Click();
}

platform::DownloadResult frmuppdatera::DownloadFile(const QString& address, const QString& file,
                                                    const platform::DownloadLimits& limits) {
    return platform::fetch(address, file, limits);
}

void frmuppdatera::checkFailed(bool logLine) {
    lblnyversion->setText(kUnknownNewest);
    Text1->setPlainText(kFailedCheck);
    if (logLine)
        logview::host::systemLog(QStringLiteral("Misslyckades med att hitta uppdateringar."));
}

void frmuppdatera::reportError(const platform::RunError& e, const QString& place, const QString& hiddenLine) {
    Text1->setPlainText(errorText(e));
    // Shown, the user is told; hidden (the check at start), only the system log is.
    if (isVisible())
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."), place);
    else
        logview::host::systemLogError(hiddenLine + QString::number(e.number) + e.description +
                                      QLatin1Char('.'));
}

void frmuppdatera::cmdsökuppdatering_Click() {
    if (busy_)
        return;
    busy_ = true;
    logview::host::systemLog(QStringLiteral("Letar efter programuppdateringar"));
    Text1->setPlainText(QStringLiteral("Vänligen vänta..."));
    Text1->repaint();
    platform::doEvents();

    const int n = QRandomGenerator::global()->bounded(1, 6001);
    temporaryFile_ = program().path(QStringLiteral("_version") + QString::number(n) + QStringLiteral(".tmp"));
    const updates::Site& site = updates::site();
    try {
        const platform::DownloadResult r =
            DownloadFile(updates::versionFileUrl(), temporaryFile_,
                         {site.timeoutMs, site.timeoutMs, site.versionMaxBytes});
        if (r != platform::DownloadResult::Ok) {
            checkFailed(true);
        } else if (!platform::fileExists(temporaryFile_)) {
            checkFailed(false);
        } else {
            const updates::VersionFile v = updates::parseVersionFile(platform::readText(temporaryFile_));
            if (v.status == updates::VersionFile::Status::Empty)
                platform::throwError(62);
            if (v.status == updates::VersionFile::Status::Malformed) {
                checkFailed(true);
            } else {
                Text1->setPlainText(updates::newsText(v.news));
                const QString shown = updates::shownNewest(v.newest);
                if (updates::isNewer(v.newest, updates::runningVersionText())) {
                    lblnyversion->setText(QStringLiteral("Nyaste version: ") + shown);
                    lblchangelog->show();
                    lblhemsidan->show();
                    cmdinstallera->show();
                    if (!isVisible())
                        show();
                    logview::host::systemLog(QStringLiteral("Nyare programversion hittades, version ") +
                                             shown);
                } else {
                    lblnyversion->setText(QStringLiteral("Nyaste version: ") + shown +
                                          QStringLiteral("\n\nDu har den senaste versionen"));
                    Text1->setPlainText(QStringLiteral("Du har den senaste versionen"));
                    logview::host::systemLog(QStringLiteral("Du har den senaste programversionen."));
                }
            }
        }
    } catch (const platform::RunError& e) {
        removeQuietly(temporaryFile_);
        busy_ = false;
        reportError(
            e, QStringLiteral("Uppdatera, sök uppdatering"),
            QStringLiteral("Ett fel uppstod vid sökning efter programuppdatering. Plats: Uppdatera, sök "
                           "uppdatering. Felkod "));
        if (closeRequested_)
            unloadWhenDone();
        return;
    }
    removeQuietly(temporaryFile_);
    busy_ = false;
    if (!isVisible() || closeRequested_)
        unloadWhenDone();
}

void frmuppdatera::cmdinstallera_Click() {
    if (busy_)
        return;
    busy_ = true;
    platform::doEvents();
    const QString setup = program().path(updates::setupFileName());
    const updates::Site& site = updates::site();
    try {
        if (platform::fileExists(setup))
            platform::removeFile(setup);
        const platform::DownloadResult r = platform::fetchProgram(
            updates::setupUrl(), setup, {site.setupStallMs, site.setupTotalMs, site.setupMaxBytes});
        if (r != platform::DownloadResult::Ok) {
            Text1->setPlainText(
                QStringLiteral("Det gick inte att uppdatera programmet. Försök igen senare eller gå "
                               "till hemsidan och ladda hem senaste versionen."));
        } else if (!platform::fileExists(setup)) {
            Text1->setPlainText(
                QStringLiteral("Det gick inte att uppdatera programmet. Försök igen senare."));
        } else {
            Program& p = program();
            const platform::Answer a = p.dialogs.msgBox(
                QStringLiteral("Installationsprogrammet kommer nu att startas.\nTryck OK för att fortsätta."),
                platform::MsgButtons::OkCancel, platform::MsgIcon::Information);
            if (a == platform::Answer::Ok) {
                // Started as a program, never handed to the desktop's opener; the program ends
                // only when it really started.
                if (platform::isExecutableFile(setup) &&
                    p.dialogs.startProgram(QLatin1Char('"') + setup + QLatin1Char('"'))) {
                    busy_ = false;
                    endProgram();
                    return;
                }
                Text1->setPlainText(
                    QStringLiteral("Det gick inte att uppdatera programmet. Försök igen senare."));
            }
        }
    } catch (const platform::RunError& e) {
        reportError(e, QStringLiteral("Installera uppdatering"),
                    QStringLiteral("Ett fel uppstod under installation av uppdatering. Plats: Uppdatera, "
                                   "installera. Felkod "));
    }
    busy_ = false;
    if (closeRequested_)
        unloadWhenDone();
}

void frmuppdatera::lblchangelog_Click() {
    program().dialogs.openUrl(updates::changeLogUrl());
}

void frmuppdatera::lblhemsidan_Click() {
    program().dialogs.openUrl(updates::programPageUrl());
}

void frmuppdatera::cmdstäng_Click() {
    close();
}

void frmuppdatera::unloadWhenDone() {
    closeRequested_ = false;
    program().unload<frmuppdatera>();
}

void frmuppdatera::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Loaded hidden at start-up, the window may be shown much later: over the main window as it is
    // then.
    if (!e->spontaneous())
        geometry::centreOverMainWindow(this);
}

void frmuppdatera::closeEvent(QCloseEvent* e) {
    if (busy_) {
        // A download is waited on further down the stack; the window goes when it has ended.
        closeRequested_ = true;
        e->ignore();
        return;
    }
    e->accept();
    unloadWhenDone();
}

namespace logview {

void startHiddenUpdateCheck() {
    program().form<frmuppdatera>()->Timer1->start(3000);
}

void startVisibleUpdateCheck() {
    Program& p = program();
    if (frmuppdatera* open = p.loaded<frmuppdatera>(); open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return;
    }
    frmuppdatera* u = p.form<frmuppdatera>();
    u->Timer1->start(1000);
    p.dialogs.showModal(u);
}

} // namespace logview
