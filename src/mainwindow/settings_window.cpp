#include "mainwindow/settings_window.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "platform/widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#if __has_include("platform/autostart.h")
#include "platform/autostart.h"
#define TAMREL_HAS_AUTOSTART 1
#endif

namespace {
constexpr int twips(int t) {
    return t / 15;
}
} // namespace

frmsetup::frmsetup() {
    setObjectName(QStringLiteral("frmsetup"));
    setWindowTitle(QStringLiteral("Alternativ"));
    setFixedSize(twips(9600), twips(6000));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips(120), twips(120), twips(2000), twips(5000));
    List1->setAccessibleName(QStringLiteral("Inställningar"));

    Frame1 = frame("Frame1", QStringLiteral("Uppstart"));
    framelooks = frame("framelooks", QStringLiteral("Utseende"));
    framepapperskorg = frame("framepapperskorg", QStringLiteral("Papperskorgen"));
    framespegling = frame("framespegling", QStringLiteral("Spegling"));
    frameschema = frame("frameschema", QStringLiteral("Schemakörning"));
    frameavancerat = frame("frameavancerat", QStringLiteral("Avancerat"));
    frameexport = frame("frameexport", QStringLiteral("Exportera"));
    Frame2 = frame("Frame2", QStringLiteral("Ljud"));
    Frame2->hide();

    chkuppdateraauto = box(Frame1, "chkuppdateraauto", QStringLiteral("Sök programuppdateringar automatiskt"),
                           &ProgramSettings::chkuppdateraauto);
    chkstartaminimerad = box(Frame1, "chkstartaminimerad", QStringLiteral("Starta minimerad"),
                             &ProgramSettings::chkstartaminimerad);
    chkstartaaktiverad = box(Frame1, "chkstartaaktiverad", QStringLiteral("Starta aktiverad"),
                             &ProgramSettings::chkstartaaktiverad,
                             QStringLiteral("Detta aktiverar schemaläggningen direkt vid programstart."));
    chkstartamedwindows = box(Frame1, "chkstartamedwindows", QStringLiteral("Starta när du loggar in"),
                              &ProgramSettings::chkstartamedwindows);
    cmdsökuppdatering = new QPushButton(QStringLiteral("Sök nu"), Frame1);
    cmdsökuppdatering->setObjectName(QStringLiteral("cmdsökuppdatering"));
    Frame1->layout()->addWidget(cmdsökuppdatering);

    chkljud1 = box(Frame2, "chkljud1", QStringLiteral("Spela upp ljud när kopiering är klar"),
                   &ProgramSettings::chkljud1);
    chkljud2 = box(Frame2, "chkljud2", QStringLiteral("Spela upp ljud när fel uppstår under kopiering"),
                   &ProgramSettings::chkljud2);

    chkjobbarkiv =
        box(framelooks, "chkjobbarkiv", QStringLiteral("Aktivera ytterligare tre jobbgrupper"),
            &ProgramSettings::chkjobbarkiv,
            QStringLiteral("Kan vara användbart om ni är flera i familjen, eller om du vill hålla isär vissa "
                           "jobb av annan anledning."));
    chksnabbstart =
        box(framelooks, "chksnabbstart", QStringLiteral("Starta med snabbstartsväljaren"),
            &ProgramSettings::chksnabbstart,
            QStringLiteral("Snabbstartsväljaren är ett välkomstfönster med de enklaste funktionerna där du "
                           "snabbt kan välja vad du vill göra."));

    chkpapperskorg_ersatta =
        box(framepapperskorg, "chkpapperskorg_ersatta",
            QStringLiteral("Vid backup, skicka överskrivna (äldre) filer till papperskorgen"),
            &ProgramSettings::chkpapperskorg_ersatta);
    chkpapperskorg_synk =
        box(framepapperskorg, "chkpapperskorg_synk",
            QStringLiteral("Vid spegling, skicka raderade filer och mappar till papperskorgen"),
            &ProgramSettings::chkpapperskorg_synk);

    chkvarnasync = box(
        framespegling, "chkvarnasync", QStringLiteral("Stäng av varning för spegling"),
        &ProgramSettings::chkvarnasync,
        QStringLiteral("Programmet varnar om du väljer att spegla din backup utan att simulera speglingen."));
    chktillåtschemasync =
        box(framespegling, "chktillåtschemasync", QStringLiteral("Tillåt att schemalägga med spegling"),
            &ProgramSettings::chktillåtschemasync);

    chkschemapåminnelse = box(frameschema, "chkschemapåminnelse",
                              QStringLiteral("Visa påminnelse-popup 15 minuter före backup"),
                              &ProgramSettings::chkschemapåminnelse,
                              QStringLiteral("Visar ett påminnelsefönster 15 minuter före backupkörning."));
    chkschemapopupfel =
        box(frameschema, "chkschemapopupfel", QStringLiteral("Visa popup efter körning som innehåller fel"),
            &ProgramSettings::chkschemapopupfel,
            QStringLiteral("Visar ett fönster med information om att fel inträffat under backupkörningen."));
    chkschemapopupok =
        box(frameschema, "chkschemapopupok", QStringLiteral("Visa popup efter lyckad körning"),
            &ProgramSettings::chkschemapopupok,
            QStringLiteral("Visar ett fönster med information om att backupkörningen lyckades utan fel. "
                           "Detta fönster visas endast om Tamrel Backup är minimerat i systemfältet."));

    chkfilstorlek =
        box(frameavancerat, "chkfilstorlek", QStringLiteral("Jämför filstorlek efter kopiering"),
            &ProgramSettings::chkfilstorlek,
            QStringLiteral("Om någon fil får fel storlek efter kopiering rapporteras detta i loggen. Detta "
                           "kan göra att processen tar något längre tid."));
    chkfilstorlek2 = box(
        frameavancerat, "chkfilstorlek2", QStringLiteral("Jämför även filstorlek på aktuella filer"),
        &ProgramSettings::chkfilstorlek2,
        QStringLiteral("Även om befintlig kopia har samma datum, kontrolleras filstorleken mot originalet."));
    chkignorerafel = box(
        frameavancerat, "chkignorerafel", QStringLiteral("Ignorera fel och meddelanden under backupkörning"),
        &ProgramSettings::chkignorerafel, QStringLiteral("Fel rapporteras då bara i loggen."));
    chkdöljfilterilogg = box(frameavancerat, "chkdöljfilterilogg",
                             QStringLiteral("Visa inte filtrerade mappar och filer i loggen"),
                             &ProgramSettings::chkdöljfilterilogg);
    chkvisafilecopy =
        box(frameavancerat, "chkvisafilecopy",
            QStringLiteral("Visa kopieringsdialogruta för filer större än 50 MB"),
            &ProgramSettings::chkvisafilecopy,
            QStringLiteral("Ger möjlighet till att avbryta mitt i kopieringen av stora filer. Dialogrutan "
                           "visas bara om backupfönstret visas."));
    chkaldrigapi = box(frameavancerat, "chkaldrigapi",
                       QStringLiteral("Försök aldrig en andra gång när en fil inte kan kopieras"),
                       &ProgramSettings::chkaldrigapi);
    cmdsökersätt = new QPushButton(QStringLiteral("Sök && ersätt..."), frameavancerat);
    cmdsökersätt->setObjectName(QStringLiteral("cmdsökersätt"));
    frameavancerat->layout()->addWidget(cmdsökersätt);

    auto* exportLabel = new QLabel(QStringLiteral("Mapp att exportera till:"), frameexport);
    frameexport->layout()->addWidget(exportLabel);
    txtexportmapp = new QLineEdit(frameexport);
    txtexportmapp->setObjectName(QStringLiteral("txtexportmapp"));
    exportLabel->setBuddy(txtexportmapp);
    frameexport->layout()->addWidget(txtexportmapp);
    cmdexport = new QPushButton(QStringLiteral("Exportera"), frameexport);
    cmdexport->setObjectName(QStringLiteral("cmdexport"));
    frameexport->layout()->addWidget(cmdexport);

    for (QGroupBox* f : sections())
        static_cast<QVBoxLayout*>(f->layout())->addStretch();

    cmdok = new QPushButton(QStringLiteral("&Stäng"), this);
    cmdok->setObjectName(QStringLiteral("cmdok"));
    cmdok->setGeometry(twips(8040), twips(5400), twips(1400), twips(420));
    auto* help = new platform::ClickLabel(QStringLiteral("Hjälp"), this);
    lblhjälp = help;
    lblhjälp->setObjectName(QStringLiteral("lblhjälp"));
    lblhjälp->setGeometry(twips(120), twips(5460), twips(800), twips(300));
    lblhjälp->setCursor(Qt::PointingHandCursor);
    lblhjälp->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    help->onClick = [this] { lblhjälp_Click(); };
    // Escape does what "&Stäng" does: save and hide.
    platform::setCancelButton(cmdok, true);

    createMenus();

    // Load steps: sections, export folder, frame places, window icon, the autostart box.
    for (const char* s :
         {"Uppstart", "Utseende", "Papperskorgen", "Spegling", "Schemakörning", "Avancerat", "Exportera"})
        List1->addItem(QString::fromUtf8(s));
    QObject::connect(List1, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
    List1->setCurrentRow(0);
    txtexportmapp->setText(program().path(QStringLiteral("Export")));
    setWindowIcon(platform::icon(platform::Picture::Backup));

    QObject::connect(cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
    QObject::connect(cmdsökuppdatering, &QPushButton::clicked, this, [this] { cmdsökuppdatering_Click(); });
    QObject::connect(cmdsökersätt, &QPushButton::clicked, this, [this] { cmdsökersätt_Click(); });
    QObject::connect(chkjobbarkiv, &QCheckBox::toggled, this, [this] { chkjobbarkiv_Click(); });
    // The menu entry shows the setting of the same caption and changes it like the box, saved at once
    // since no "&Stäng" follows a menu choice.
    mnuuppdateraauto->setChecked(chkuppdateraauto->isChecked());
    QObject::connect(chkuppdateraauto, &QCheckBox::toggled, mnuuppdateraauto, &QAction::setChecked);
    QObject::connect(mnuuppdateraauto, &QAction::triggered, this,
                     [this](bool on) { mnuuppdateraauto_Click(on); });
#ifdef TAMREL_HAS_AUTOSTART
    if (platform::isAutostartEnabled())
        chkstartamedwindows->setChecked(true);
    QObject::connect(chkstartamedwindows, &QCheckBox::toggled, this, [](bool on) {
        // Applies the box to the autostart entry; the log line only when that took effect.
        const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const QString shown = program().path(exe);
        if (on == platform::isAutostartEnabled())
            return;
        platform::setAutostart(on);
        if (platform::isAutostartEnabled() != on)
            return;
        program().form<frmmain>()->appendSystemLog(
            on ? QStringLiteral("Lade till ") + shown + QStringLiteral(" i Autostart vid inloggning.")
               : QStringLiteral("Tog bort ") + shown + QStringLiteral(" från Autostart vid inloggning."));
    });
#endif
}

QGroupBox* frmsetup::frame(const char* name, const QString& caption) {
    auto* f = new QGroupBox(caption, this);
    f->setObjectName(QString::fromUtf8(name));
    f->setGeometry(twips(2280), twips(120), twips(7200), twips(5100));
    f->setAutoFillBackground(true); // the frame on top hides the ones below
    new QVBoxLayout(f);
    return f;
}

QCheckBox* frmsetup::box(QGroupBox* frame, const char* name, const QString& caption,
                         bool ProgramSettings::*value, const QString& explanation) {
    auto* b = new QCheckBox(caption, frame);
    b->setObjectName(QString::fromUtf8(name));
    // The box shows the value and edits it.
    b->setChecked(program().settings().*value);
    QObject::connect(b, &QCheckBox::toggled, this, [value](bool on) { program().settings().*value = on; });
    frame->layout()->addWidget(b);
    if (!explanation.isEmpty()) {
        auto* l = new QLabel(explanation, frame);
        l->setObjectName(QString::fromUtf8(name) + QStringLiteral("_förklaring"));
        l->setWordWrap(true);
        l->setContentsMargins(twips(300), 0, 0, 0);
        frame->layout()->addWidget(l);
    }
    return b;
}

void frmsetup::createMenus() {
    auto action = [](QMenu* m, const char* name, const QString& text) {
        QAction* a = m->addAction(text);
        a->setObjectName(QString::fromUtf8(name));
        return a;
    };
    auto separator = [](QMenu* m, const char* name) {
        m->addSeparator()->setObjectName(QString::fromUtf8(name));
    };
    mnualternativ = new QMenu(QStringLiteral("Alternativ"), this);
    mnualternativ->setObjectName(QStringLiteral("mnualternativ"));
    mnuåterställ = action(mnualternativ, "mnuåterställ", QStringLiteral("Återställ från backup..."));
    mnuom = action(mnualternativ, "mnuom", QStringLiteral("Om Tamrel Backup..."));
    mnusökersätt = action(mnualternativ, "mnusökersätt", QStringLiteral("Sök och ersätt..."));
    separator(mnualternativ, "mnurad1");
    mnuduplicera = action(mnualternativ, "mnuduplicera", QStringLiteral("Duplicera jobb..."));
    mnukopierajobb = mnualternativ->addMenu(QStringLiteral("Kopiera jobb till grupp"));
    mnukopierajobb->setObjectName(QStringLiteral("mnukopierajobb"));
    for (int i = 0; i < 4; ++i)
        mnugrupp[i] = action(mnukopierajobb, "mnugrupp", QStringLiteral("grupp%1").arg(i + 1));
    separator(mnualternativ, "mnurad2");
    mnuvisagammalbackup =
        action(mnualternativ, "mnuvisagammalbackup", QStringLiteral("Visa jobb som inte körts på >30 dagar"));
    separator(mnualternativ, "mnurad4");
    mnuuppdateraauto =
        action(mnualternativ, "mnuuppdateraauto", QStringLiteral("Sök programuppdateringar automatiskt"));
    mnuuppdateraauto->setCheckable(true);
    mnuuppdateranu =
        action(mnualternativ, "mnuuppdateranu", QStringLiteral("Sök programuppdateringar nu..."));
    mnusnabbstart = action(mnualternativ, "mnusnabbstart", QStringLiteral("Återgå till snabbstartsväljaren"));
    separator(mnualternativ, "mnurad3");
    mnuinställningar = action(mnualternativ, "mnuinställningar", QStringLiteral("Inställningar"));

    mnuöppnamapp = new QMenu(QStringLiteral("Öppna mapp"), this);
    mnuöppnamapp->setObjectName(QStringLiteral("mnuöppnamapp"));
    mnuöppnamapp_original = action(mnuöppnamapp, "mnuöppnamapp_original", QStringLiteral("Öppna källmapp"));
    mnuöppnamapp_backup = action(mnuöppnamapp, "mnuöppnamapp_backup", QStringLiteral("Öppna målmapp"));

    mnuöppnamapp2 = new QMenu(QStringLiteral("Öppna mapp2"), this);
    mnuöppnamapp2->setObjectName(QStringLiteral("mnuöppnamapp2"));
    mnukällmapparrubrik = action(mnuöppnamapp2, "mnukällmapparrubrik", QStringLiteral("KÄLLMAPP(AR):"));
    for (int i = 0; i < 50; ++i) {
        mnukällmapp[i] = action(mnuöppnamapp2, "mnukällmapp", i == 0 ? QStringLiteral("---") : QString());
        mnukällmapp[i]->setVisible(i == 0);
    }
    mnumålmapparrubrik = action(mnuöppnamapp2, "mnumålmapparrubrik", QStringLiteral("MÅLMAPP(AR):"));
    for (int i = 0; i < 50; ++i) {
        mnumålmapp[i] = action(mnuöppnamapp2, "mnumålmapp", i == 0 ? QStringLiteral("---") : QString());
        mnumålmapp[i]->setVisible(i == 0);
    }
}

std::array<QGroupBox*, 7> frmsetup::sections() const {
    return {Frame1, framelooks, framepapperskorg, framespegling, frameschema, frameavancerat, frameexport};
}

QList<QCheckBox*> frmsetup::fileBoxes() const {
    return {
        chkuppdateraauto,    chkstartaminimerad,     chkstartaaktiverad,  chkljud1,        chkljud2,
        chkjobbarkiv,        chkfilstorlek,          chksnabbstart,       chkfilstorlek2,  chkvarnasync,
        chktillåtschemasync, chkpapperskorg_ersatta, chkpapperskorg_synk, chkignorerafel,  chkdöljfilterilogg,
        chkvisafilecopy,     chkschemapåminnelse,    chkschemapopupfel,   chkschemapopupok};
}

void frmsetup::List1_Click() {
    const int i = List1->currentRow();
    if (i < 0 || i >= 7)
        return;
    platform::showOnePage(sections()[i], sections());
}

void frmsetup::spara_setup() {
    SystemLog& log = program().systemLog();
    bool saved = true;
    auto failed = [&](const QString& file, const platform::RunError& e) {
        saved = false;
        log.append(QStringLiteral("FEL! Programinställningarna kunde inte sparas i ") + file +
                   QStringLiteral(". Felkod ") + QString::number(e.number) + QLatin1Char(' ') +
                   (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description) +
                   QLatin1Char('.'));
        log.markError();
    };
    try {
        programsettings::writeOptions(program().settings(),
                                      program().path(QStringLiteral("programalternativ.ini")));
    } catch (const platform::RunError& e) {
        failed(QStringLiteral("programalternativ.ini"), e);
    }
    try {
        programsettings::writeApi(program().settings(), program().path(QStringLiteral("setup_api.ini")));
    } catch (const platform::RunError& e) {
        failed(QStringLiteral("setup_api.ini"), e);
    }
    if (saved)
        log.append(QStringLiteral("Sparade programinställningar."));
}

void frmsetup::cmdok_Click() {
    spara_setup();
    hide();
}

// Both run what their menu entries run; the entries are connected by the commands of the main window.
void frmsetup::cmdsökuppdatering_Click() {
    mnuuppdateranu->trigger();
}

void frmsetup::cmdsökersätt_Click() {
    mnusökersätt->trigger();
}

void frmsetup::lblhjälp_Click() {
    Module1::öppna_hjälp();
}

void frmsetup::mnuuppdateraauto_Click(bool on) {
    chkuppdateraauto->setChecked(on);
    spara_setup();
}

void frmsetup::chkjobbarkiv_Click() {
    frmmain* m = program().form<frmmain>();
    if (chkjobbarkiv->isChecked()) {
        for (int i = 1; i < 4; ++i) {
            const QString folder = m->groupFolder(i);
            try {
                if (!platform::folderExists(folder))
                    platform::makePath(folder);
            } catch (const platform::RunError& e) {
                Module1::logga_meddelande(-1, 0,
                                          QStringLiteral("FEL! Mappen ") + folder +
                                              QStringLiteral(" kunde inte skapas: ") + e.description,
                                          QStringLiteral("Alternativ, jobbgrupper"));
            }
        }
    }
    for (QRadioButton* b : m->optarkiv)
        b->setVisible(chkjobbarkiv->isChecked());
}

void frmsetup::closeEvent(QCloseEvent* e) {
    // The window stays loaded: its boxes are the settings in force. Closing it saves like "&Stäng".
    e->ignore();
    cmdok_Click();
}

void frmsetup::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Opened (not merely restored from a minimised state): over the main window, as other windows are.
    if (!e->spontaneous())
        geometry::centreOverMainWindow(this);
}
