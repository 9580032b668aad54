// The job editor window: its controls and pages, the tab column, the help icons, cancelling and
// the geometry file.
#include "editor/job_editor_window.h"

#include "core/window_geometry.h"

#include "core/module1.h"
#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/icons.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "platform/widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QUrl>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWindowWidthTwips = 7815;
constexpr int kPageLeftTwips = 1920;
constexpr int kWindowHeight = 420;
constexpr int kPageTop = 36;
constexpr int kPageWidth = 385;
constexpr int kPageHeight = 330;

const QString kCrLf = QStringLiteral("\r\n");

template <class W> W* make(QWidget* parent, const char* name) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h = 16) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QPushButton* pictureButton(QWidget* parent, const char* name, platform::Picture p, const QString& tip, int x,
                           int y) {
    auto* b = make<QPushButton>(parent, name);
    b->setIcon(platform::icon(p));
    b->setToolTip(tip);
    b->setGeometry(x, y, 24, 24);
    return b;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, int x, int y, int w = 320) {
    auto* c = make<QCheckBox>(parent, name);
    c->setText(text);
    c->setGeometry(x, y, w, 20);
    return c;
}

QListWidget* listBox(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* l = make<QListWidget>(parent, name);
    l->setGeometry(x, y, w, h);
    return l;
}

QLineEdit* textBox(QWidget* parent, const char* name, int x, int y, int w) {
    auto* t = make<QLineEdit>(parent, name);
    t->setGeometry(x, y, w, 22);
    return t;
}

// The pictures and captions of the tabs, by index.
struct TabLook {
    platform::Picture picture;
    const char* caption;
    int position; // from the top, 1-based
};
const TabLook kTabs[6] = {
    {platform::Picture::Setup, "Alternativ", 1},
    {platform::Picture::SourceFolders, "Källmappar", 2},
    {platform::Picture::Remove, "Filter", 4},
    {platform::Picture::Run, "Start/stopp", 5},
    {platform::Picture::Restore, "Versions- hantering", 6},
    {platform::Picture::Backup, "Lagringsplats", 3},
};

} // namespace

frmaddmapp::frmaddmapp() {
    setObjectName(QStringLiteral("frmaddmapp"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Ny inställning"));
    createControls();
    connectFolderControls();
    connectListControls();
    connectVersionControls();
    connectRenameControls();
    Form_Load();
}

frmaddmapp::~frmaddmapp() = default;

void frmaddmapp::createControls() {
    Picture2 = make<QFrame>(this, "Picture2");
    Picture2->setGeometry(6, 8, 118, kWindowHeight - 16);
    for (int i = 0; i < 6; ++i) {
        // A press anywhere on a tab selects it, once.
        auto* tab = new platform::PressItem(Picture2, platform::PressItem::Kind::PageTab);
        tab->setObjectName(QStringLiteral("flik%1").arg(i));
        tab->setGeometry(2, 2 + (kTabs[i].position - 1) * 56, 112, 52);
        tab->onPress = [this, i] { flik_Click(i); };
        tab->onPicturePress = [this, i] { imgflik_Click(i); };
        flik[i] = tab;
        imgflik[i] = make<QLabel>(flik[i], "imgflik");
        imgflik[i]->setObjectName(QStringLiteral("imgflik%1").arg(i));
        imgflik[i]->setPixmap(platform::picture(kTabs[i].picture, 24));
        imgflik[i]->setGeometry(3, 14, 24, 24);
        lblflik[i] = make<QLabel>(flik[i], "lblflik");
        lblflik[i]->setObjectName(QStringLiteral("lblflik%1").arg(i));
        lblflik[i]->setText(QString::fromUtf8(kTabs[i].caption));
        lblflik[i]->setWordWrap(true);
        lblflik[i]->setGeometry(29, 4, 82, 44);
        tab->setParts(imgflik[i], lblflik[i]);
    }

    lbljobbnamn = make<QLabel>(this, "lbljobbnamn");
    lbljobbnamn->setGeometry(kPageLeftTwips / kTwipsPerPixel, 8, kPageWidth, 22);
    lbljobbnamn->setAutoFillBackground(true);
    QPalette pal = lbljobbnamn->palette();
    pal.setColor(QPalette::Window, QColor(192, 255, 192));
    lbljobbnamn->setPalette(pal);
    QFont bold = lbljobbnamn->font();
    bold.setBold(true);
    lbljobbnamn->setFont(bold);
    lbljobbnamn->setIndent(6);

    // The notice panel lies under the pages: a tab brought to the front covers it.
    picstänginfo = make<QFrame>(this, "picstänginfo");
    picstänginfo->setFrameStyle(QFrame::Box | QFrame::Plain);
    picstänginfo->setAutoFillBackground(true);
    picstänginfo->resize(280, 100);
    picstänginfo->hide();
    lblstänginfo = make<QLabel>(picstänginfo, "lblstänginfo");
    lblstänginfo->setGeometry(8, 8, 264, 84);
    lblstänginfo->setAlignment(Qt::AlignCenter);
    lblstänginfo->setWordWrap(true);

    const QRect pageRect(kPageLeftTwips / kTwipsPerPixel, kPageTop, kPageWidth, kPageHeight);
    Frame2 = make<QFrame>(this, "Frame2");
    Frame3 = make<QFrame>(this, "Frame3");
    Frame4 = make<QFrame>(this, "Frame4");
    Frame5 = make<QFrame>(this, "Frame5");
    Frame6 = make<QFrame>(this, "Frame6");
    Frame7 = make<QFrame>(this, "Frame7");
    for (QFrame* f : {Frame2, Frame3, Frame4, Frame5, Frame6, Frame7}) {
        f->setGeometry(pageRect);
        f->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        f->setAutoFillBackground(true);
    }

    createOptionsPage();
    createFoldersPage();
    createFilterPage();
    createStartStopPage();
    createVersionPage();
    createStoragePage();

    cmdok = make<QPushButton>(this, "cmdok");
    cmdok->setText(QStringLiteral("OK"));
    cmdok->setGeometry(330, kWindowHeight - 40, 85, 28);
    cmdok->setDefault(true);
    cmdstäng = make<QPushButton>(this, "cmdstäng");
    cmdstäng->setText(QStringLiteral("Avbryt"));
    cmdstäng->setGeometry(425, kWindowHeight - 40, 85, 28);
    Command1 = make<QPushButton>(this, "Command1");
    Command1->setText(QStringLiteral("?"));
    Command1->setGeometry(296, kWindowHeight - 40, 28, 28);
    Command1->hide();
    auto* helpLink = make<platform::ClickLabel>(this, "lblhjälp");
    helpLink->onClick = [this] { lblhjälp_Click(); };
    lblhjälp = helpLink;
    lblhjälp->setText(QStringLiteral("Hjälp"));
    QFont underlined = lblhjälp->font();
    underlined.setUnderline(true);
    lblhjälp->setFont(underlined);
    lblhjälp->setGeometry(140, kWindowHeight - 34, 60, 18);

    // Escape does what "Avbryt" does (while a folder is added, the folder page's own cancel).
    platform::setCancelButton(cmdstäng, true);
    orderTabs();

    QObject::connect(cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
    QObject::connect(cmdstäng, &QPushButton::clicked, this, [this] { cmdstäng_Click(); });
    QObject::connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    QObject::connect(cmdväljmapp, &QPushButton::clicked, this, [this] { cmdväljmapp_Click(); });
    for (int i = 0; i < 2; ++i)
        QObject::connect(optsökvägtyp[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optsökvägtyp_Click(i);
        });
    QObject::connect(txtnamn, &QComboBox::editTextChanged, this, [this] { txtnamn_Change(); });
    QObject::connect(txtnamn, &QComboBox::activated, this, [this] { txtnamn_Click(); });
    acceptDrops(txtbackupmapp, [this](const QStringList& paths) { txtbackupmapp_OLEDragDrop(paths); });
}

void frmaddmapp::orderTabs() {
    const std::initializer_list<QWidget*> chain = {
        // the tab column, as it stands from the top
        flik[0], flik[1], flik[5], flik[2], flik[3], flik[4],
        // Alternativ
        txtnamn, cmdbytnamn, listpattern, cmdpatternplus, cmdpatternminus, help[5], chkuppdateramappar,
        help[6], chksynkroniseraej, help[3], chkignorerasaknadenhet, help[11],
        // Källmappar
        combomappar, cmdhämtamapp, cmduppdatera, cmdtabortmappar, cmdmappfullskärm, lstFoundFiles, chksubmapp,
        cmdexmappar, cmdexit,
        // Lagringsplats
        txtbackupmapp, cmdväljmapp, help[4], optsökvägtyp[0], optsökvägtyp[1], chkabsolutsökväg_huvudmapp,
        // Filter
        listexpattern, cmdexpatternplus, cmdexpatternminus, help[1], listexfiler, cmdexfilerplus,
        cmdexfilerminus, help[2], listmappfilter, cmdmappfilterplus, cmdmappfilterminus, help[7], txtexmb,
        // Start/stopp
        liststartstopp_stopp, cmdstartstopp_stopp, cmdstartstopp_stopp_minus, help[8],
        cmdstartstopp_teststopp, liststartstopp_start, cmdstartstopp_start, cmdstartstopp_start_minus,
        help[9], cmdstartstopp_teststart,
        // Versions- hantering
        chkversionshantering, listversionpattern, cmdversionpatternplus, cmdversionpatternminus, help[10],
        txtversion_mb, txtversionmax, txtversionmapp, cmdversionmapp,
        // under the pages
        lblhjälp, cmdok, cmdstäng};
    // A list's + and − go one after the other; its explanation icon follows them.
    // Hidden pages and controls are passed over by Tab; only the shown page's controls are reached.
    QWidget* previous = nullptr;
    for (QWidget* w : chain) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void frmaddmapp::focusFirstField() {
    // In edit mode the name field is disabled: start on what Tab reaches after it.
    QWidget* w = txtnamn;
    do {
        if (w->isEnabled() && w->isVisibleTo(this) && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
        w = w->nextInFocusChain();
    } while (w && w != txtnamn);
}

void frmaddmapp::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        focusFirstField();
}

void frmaddmapp::helpIcon(QWidget* parent, int n, int x, int y) {
    auto* icon = new platform::ClickLabel(parent);
    icon->setObjectName(QStringLiteral("help%1").arg(n));
    icon->setGeometry(x, y, 18, 18);
    icon->setToolTip(QStringLiteral("Förklaring"));
    icon->onClick = [this, n] { help_Click(n); };
    help[n] = icon;
}

void frmaddmapp::createOptionsPage() {
    QFrame* p = Frame3;
    QLabel* nameLabel = label(p, QStringLiteral("Namn för det här jobbet:"), 8, 8, 300);
    txtnamn = make<QComboBox>(p, "txtnamn");
    nameLabel->setBuddy(txtnamn);
    txtnamn->setEditable(true);
    txtnamn->setInsertPolicy(QComboBox::NoInsert);
    txtnamn->setGeometry(8, 26, 330, 24);
    cmdbytnamn =
        pictureButton(p, "cmdbytnamn", platform::Picture::Edit, QStringLiteral("Ändra namn"), 344, 26);
    cmdbytnamn->hide();
    listpattern = listBox(p, "listpattern", 8, 78, 300, 84);
    label(p, QStringLiteral("Kopiera bara filer av denna filtyp:"), 8, 60, 300)->setBuddy(listpattern);
    cmdpatternplus =
        pictureButton(p, "cmdpatternplus", platform::Picture::New, QStringLiteral("Lägg till..."), 314, 78);
    cmdpatternminus =
        pictureButton(p, "cmdpatternminus", platform::Picture::Remove, QStringLiteral("Ta bort"), 314, 106);
    helpIcon(p, 5, 346, 110); // beside "Ta bort": Tab goes + then − then the icon
    chkuppdateramappar =
        checkBox(p, "chkuppdateramappar", QStringLiteral("Känn av ändringar i mappstrukturen"), 8, 178);
    chkuppdateramappar->setChecked(true);
    helpIcon(p, 6, 346, 179);
    chksynkroniseraej = checkBox(p, "chksynkroniseraej", QStringLiteral("Förhindra spegling"), 8, 206);
    helpIcon(p, 3, 346, 207);
    chkignorerasaknadenhet =
        checkBox(p, "chkignorerasaknadenhet", QStringLiteral("Ignorera saknad enhet"), 8, 234);
    helpIcon(p, 11, 346, 235);
}

void frmaddmapp::createFoldersPage() {
    QFrame* p = Frame2;
    Label22 = make<QLabel>(p, "Label22");
    Label22->setText(QStringLiteral("Källmappar: (mappar som ska kopieras)"));
    Label22->setGeometry(8, 4, 300, 16);
    combomappar = listBox(p, "combomappar", 8, 22, 300, 70);
    combomappar->setToolTip(QStringLiteral("Huvudmappar"));
    Label22->setBuddy(combomappar);
    cmdhämtamapp =
        pictureButton(p, "cmdhämtamapp", platform::Picture::New, QStringLiteral("Lägg till..."), 314, 22);
    cmdtabortmappar = pictureButton(p, "cmdtabortmappar", platform::Picture::Remove,
                                    QStringLiteral("Ta bort markerad källmapp"), 314, 50);
    cmduppdatera =
        pictureButton(p, "cmduppdatera", platform::Picture::Sync,
                      QStringLiteral("Läs in och uppdatera mappstrukturen för vald källmapp"), 344, 22);
    cmdmappfullskärm = pictureButton(p, "cmdmappfullskärm", platform::Picture::Folder,
                                     QStringLiteral("Visa större mapplista"), 344, 50);
    lstFoundFiles = listBox(p, "lstFoundFiles", 8, 98, 362, 128);
    lstFoundFiles->setToolTip(QStringLiteral("Alla mappar"));
    lstFoundFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    chksubmapp = checkBox(p, "chksubmapp", QStringLiteral("Inkludera undermappar"), 8, 230, 190);
    chksubmapp->setChecked(true);
    label(p, QStringLiteral("Antal mappar:"), 210, 232, 96);
    lblCount = make<QLabel>(p, "lblCount");
    lblCount->setGeometry(308, 232, 70, 16);
    label(p, QStringLiteral("Totalt:"), 210, 250, 96);
    lblCount2 = make<QLabel>(p, "lblCount2");
    lblCount2->setGeometry(308, 250, 70, 16);
    cmdexmappar = make<QPushButton>(p, "cmdexmappar");
    cmdexmappar->setText(QStringLiteral("Exkludera mappar... (0 mappar)"));
    cmdexmappar->setGeometry(8, 254, 196, 26);
    Label13 = make<QLabel>(p, "Label13");
    Label13->setText(
        QStringLiteral("Klicka på plusknappen för att lägga till mappar. Du kan även dra & släppa en "
                       "mapp från filhanteraren i mapplistan."));
    Label13->setWordWrap(true);
    // Three lines in the usual font: they start at the top and end above the page's edge.
    Label13->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label13->setGeometry(8, 284, 284, 44);
    cmdexit = make<QPushButton>(p, "cmdexit");
    cmdexit->setText(QStringLiteral("&Avbryt"));
    cmdexit->setToolTip(QStringLiteral("Avbryt inladdningen av mappar"));
    cmdexit->setGeometry(296, 292, 78, 26);
    cmdexit->setEnabled(false);
    cmdexit->hide();
    dirList = QDir::currentPath();
    drvList = QStringLiteral("/");
}

void frmaddmapp::createFilterPage() {
    QFrame* p = Frame4;
    listexpattern = listBox(p, "listexpattern", 8, 22, 300, 62);
    label(p, QStringLiteral("Kopiera inte filer av denna filtyp:"), 8, 4, 300)->setBuddy(listexpattern);
    cmdexpatternplus =
        pictureButton(p, "cmdexpatternplus", platform::Picture::New, QStringLiteral("Lägg till..."), 314, 22);
    cmdexpatternminus =
        pictureButton(p, "cmdexpatternminus", platform::Picture::Remove, QStringLiteral("Ta bort"), 314, 50);
    helpIcon(p, 1, 346, 54);
    listexfiler = listBox(p, "listexfiler", 8, 110, 300, 62);
    label(p, QStringLiteral("Kopiera inte filer med dessa namn:"), 8, 92, 300)->setBuddy(listexfiler);
    cmdexfilerplus =
        pictureButton(p, "cmdexfilerplus", platform::Picture::New, QStringLiteral("Lägg till..."), 314, 110);
    cmdexfilerminus =
        pictureButton(p, "cmdexfilerminus", platform::Picture::Remove, QStringLiteral("Ta bort"), 314, 138);
    helpIcon(p, 2, 346, 142);
    listmappfilter = listBox(p, "listmappfilter", 8, 198, 300, 62);
    label(p, QStringLiteral("Kopiera inte mappar med namn som innehåller texten..:"), 8, 180, 370)
        ->setBuddy(listmappfilter);
    cmdmappfilterplus = pictureButton(p, "cmdmappfilterplus", platform::Picture::New,
                                      QStringLiteral("Lägg till..."), 314, 198);
    cmdmappfilterminus = pictureButton(p, "cmdmappfilterminus", platform::Picture::Remove,
                                       QStringLiteral("Ta bort"), 314, 226);
    helpIcon(p, 7, 346, 230);
    txtexmb = textBox(p, "txtexmb", 180, 272, 70);
    label(p, QStringLiteral("Kopiera inte filer större än:"), 8, 276, 170)->setBuddy(txtexmb);
    label(p, QStringLiteral("MB"), 256, 276, 30);
}

void frmaddmapp::createStartStopPage() {
    QFrame* p = Frame5;
    liststartstopp_stopp = listBox(p, "liststartstopp_stopp", 8, 22, 300, 96);
    label(p, QStringLiteral("Före backup: Stäng program eller fönster:"), 8, 4, 300)
        ->setBuddy(liststartstopp_stopp);
    cmdstartstopp_stopp = pictureButton(p, "cmdstartstopp_stopp", platform::Picture::New,
                                        QStringLiteral("Lägg till..."), 314, 22);
    cmdstartstopp_stopp_minus = pictureButton(p, "cmdstartstopp_stopp_minus", platform::Picture::Remove,
                                              QStringLiteral("Ta bort"), 314, 50);
    helpIcon(p, 8, 346, 54);
    cmdstartstopp_teststopp = make<QPushButton>(p, "cmdstartstopp_teststopp");
    cmdstartstopp_teststopp->setText(QStringLiteral("Testa avslut av markerad rubrik/fil"));
    cmdstartstopp_teststopp->setGeometry(8, 122, 300, 26);
    liststartstopp_start = listBox(p, "liststartstopp_start", 8, 182, 300, 96);
    label(p, QStringLiteral("Efter backup: Starta följande program eller fil:"), 8, 164, 300)
        ->setBuddy(liststartstopp_start);
    cmdstartstopp_start = pictureButton(p, "cmdstartstopp_start", platform::Picture::New,
                                        QStringLiteral("Lägg till..."), 314, 182);
    cmdstartstopp_start_minus = pictureButton(p, "cmdstartstopp_start_minus", platform::Picture::Remove,
                                              QStringLiteral("Ta bort"), 314, 210);
    helpIcon(p, 9, 346, 214);
    cmdstartstopp_teststart = make<QPushButton>(p, "cmdstartstopp_teststart");
    cmdstartstopp_teststart->setText(QStringLiteral("Testa start av markerad fil"));
    cmdstartstopp_teststart->setGeometry(8, 282, 300, 26);
}

void frmaddmapp::createVersionPage() {
    QFrame* p = Frame6;
    chkversionshantering =
        checkBox(p, "chkversionshantering", QStringLiteral("Aktivera versionshantering"), 8, 6);
    Frameversionshantering = make<QFrame>(p, "Frameversionshantering");
    Frameversionshantering->setGeometry(0, 30, kPageWidth, 184);
    Frameversionshantering->hide();
    QFrame* f = Frameversionshantering;
    listversionpattern = listBox(f, "listversionpattern", 8, 18, 300, 56);
    label(f, QStringLiteral("Spara bara filer av denna filtyp:"), 8, 0, 300)->setBuddy(listversionpattern);
    cmdversionpatternplus = pictureButton(f, "cmdversionpatternplus", platform::Picture::New,
                                          QStringLiteral("Lägg till..."), 314, 18);
    cmdversionpatternminus = pictureButton(f, "cmdversionpatternminus", platform::Picture::Remove,
                                           QStringLiteral("Ta bort"), 314, 46);
    helpIcon(f, 10, 346, 50);
    txtversion_mb = textBox(f, "txtversion_mb", 200, 80, 70);
    label(f, QStringLiteral("Spara inte filer större än:"), 8, 84, 190)->setBuddy(txtversion_mb);
    label(f, QStringLiteral("MB"), 276, 84, 30);
    txtversionmax = textBox(f, "txtversionmax", 200, 108, 70);
    label(f, QStringLiteral("Antal filversioner att spara:"), 8, 112, 190)->setBuddy(txtversionmax);
    txtversionmax->setText(QStringLiteral("10"));
    txtversionmapp = textBox(f, "txtversionmapp", 8, 156, 330);
    label(f, QStringLiteral("Välj var du vill spara filerna:"), 8, 138, 300)->setBuddy(txtversionmapp);
    cmdversionmapp = pictureButton(f, "cmdversionmapp", platform::Picture::Folder,
                                   QStringLiteral("Välj mapp för versionshantering"), 344, 155);
    lblversioninfo = make<QLabel>(p, "lblversioninfo");
    lblversioninfo->setWordWrap(true);
    lblversioninfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblversioninfo->setGeometry(8, 218, 370, 106);
}

void frmaddmapp::createStoragePage() {
    QFrame* p = Frame7;
    QLabel* backupLabel = label(p, QStringLiteral("Lagringsplats: (där din backup sparas)"), 8, 8, 300);
    txtbackupmapp = make<QComboBox>(p, "txtbackupmapp");
    backupLabel->setBuddy(txtbackupmapp);
    txtbackupmapp->setEditable(true);
    txtbackupmapp->setInsertPolicy(QComboBox::NoInsert);
    txtbackupmapp->setGeometry(8, 26, 362, 24);
    cmdväljmapp = make<QPushButton>(p, "cmdväljmapp");
    cmdväljmapp->setText(QStringLiteral("Välj backupmapp"));
    cmdväljmapp->setIcon(platform::icon(platform::Picture::Folder));
    cmdväljmapp->setGeometry(8, 56, 160, 26);
    label(p, QStringLiteral("Typ av backupsökväg:"), 8, 104, 150);
    helpIcon(p, 4, 160, 103);
    optsökvägtyp[0] = make<QRadioButton>(p, "optsökvägtyp0");
    optsökvägtyp[0]->setText(QStringLiteral("Relativ (utökad)"));
    optsökvägtyp[0]->setGeometry(8, 124, 250, 20);
    optsökvägtyp[1] = make<QRadioButton>(p, "optsökvägtyp1");
    optsökvägtyp[1]->setText(QStringLiteral("Absolut"));
    optsökvägtyp[1]->setGeometry(8, 146, 250, 20);
    optsökvägtyp[0]->setChecked(true);
    chkabsolutsökväg_huvudmapp =
        checkBox(p, "chkabsolutsökväg_huvudmapp", QStringLiteral("Skapa huvudmappen"), 28, 168, 250);
    chkabsolutsökväg_huvudmapp->setEnabled(false);
}

void frmaddmapp::Form_Load() {
    if (QWidget* m = program().mainWindow().widget())
        setWindowIcon(m->windowIcon());
    else
        setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(kWindowWidthTwips / kTwipsPerPixel, kWindowHeight);
    picstänginfo->move((width() - picstänginfo->width()) / 2, (height() - picstänginfo->height()) / 2);

    // From here on a failing step is skipped; none of these can fail here.
    for (int i = 0; i < 6; ++i)
        for (QWidget* w : {static_cast<QWidget*>(flik[i]), static_cast<QWidget*>(imgflik[i]),
                           static_cast<QWidget*>(lblflik[i])})
            w->setCursor(Qt::PointingHandCursor);
    for (QFrame* f : {Frame2, Frame3, Frame4, Frame5, Frame6, Frame7})
        f->move(kPageLeftTwips / kTwipsPerPixel, kPageTop);
    lblhjälp->setCursor(Qt::PointingHandCursor);
    visa_flik(0);
    const QPixmap helpPicture = platform::picture(platform::Picture::About, 18);
    for (int n = 1; n <= 11; ++n) {
        help[n]->setPixmap(helpPicture);
        help[n]->setCursor(Qt::PointingHandCursor);
    }
    lblmapp = dirList;
    öppna_listval();
    open_windowsize();
    lblversioninfo->setText(
        QStringLiteral("Med versionshantering kommer varje ändrad fil sparas undan innan den skrivs över i "
                       "backupmappen. På så sätt kan du spara flera ändringar bakåt i tiden.") +
        kCrLf +
        QStringLiteral(
            "Eftersom detta i praktiken kan komma att ta flera gånger så stor plats som din vanliga "
            "backup, bör du bara välja ut de filer du är intresserad av."));
}

// The window always opens at its start-up position and size.
void frmaddmapp::open_windowsize() {}

QFrame* frmaddmapp::page(int index) const {
    switch (index) {
    case 0:
        return Frame3;
    case 1:
        return Frame2;
    case 2:
        return Frame4;
    case 3:
        return Frame5;
    case 4:
        return Frame6;
    case 5:
        return Frame7;
    default:
        return nullptr;
    }
}

QFrame* frmaddmapp::frontPage() const {
    QFrame* front = nullptr;
    for (QObject* o : children())
        for (QFrame* f : {Frame2, Frame3, Frame4, Frame5, Frame6, Frame7})
            if (o == f)
                front = f;
    return front;
}

void frmaddmapp::visa_flik(int index) {
    if (index < 0 || index > 5)
        return;
    for (QFrame* f : flik)
        f->setFrameStyle(QFrame::NoFrame);
    flik[index]->setFrameStyle(QFrame::Box | QFrame::Plain);
    // The other pages are hidden as well as covered, so an accessibility client sees one page.
    platform::showOnePage(page(index),
                          std::array<QFrame*, 6>{Frame2, Frame3, Frame4, Frame5, Frame6, Frame7});
    selectedTab_ = index;
}

void frmaddmapp::flik_Click(int index) {
    visa_flik(index);
}
void frmaddmapp::imgflik_Click(int index) {
    visa_flik(index);
}

QString frmaddmapp::helpText(int n) {
    switch (n) {
    case 1:
        return QStringLiteral(
                   "Här skriver du in vilka filtyper som inte ska kopieras för detta jobb. \"*.jpg\" "
                   "betyder alla jpg-filer, osv.") +
               kCrLf;
    case 2:
        return QStringLiteral("Här skriver du in vilka filnamn som inte ska kopieras för detta jobb, tex "
                              "\"Thumbs.db\"") +
               kCrLf;
    case 3:
        return QStringLiteral("Välj detta alternativ om du aldrig vill att jobbet ska få speglas.") + kCrLf +
               QStringLiteral(
                   "Om du sedan väljer att spegla en körning kommer detta jobbet exkluderas speglingen.") +
               kCrLf + kCrLf +
               QStringLiteral(
                   "(Spegling innebär att backupkopian blir identisk källan, dvs raderade filer kommer "
                   "raderas från backupen)");
    case 4: {
        const QStringList lines = {
            QStringLiteral("- Relativ sökväg bygger mappstrukturen i backupmappen som den ser ut på källan."),
            QStringLiteral(
                "- Absolut sökväg kopierar filer och mappar direkt från källan till backupmappen."),
            QString(),
            QStringLiteral("Exempel:"),
            QStringLiteral("  Källa: /home/anna/Bilder 2007/"),
            QStringLiteral("  Vald backupmapp: /media/usb/Backup/"),
            QStringLiteral("Med relativ sökväg sparas din backup till"),
            QStringLiteral(" /media/usb/Backup/home/anna/Bilder 2007/"),
            QStringLiteral("Med absolut sökväg sparas filer och mappar direkt till"),
            QStringLiteral(" /media/usb/Backup/"),
            QString(),
            QStringLiteral(
                "Vill du att även själva huvudmappen ska komma med i backupen (dvs 'Bilder 2007' i detta "
                "fall, vilket ger sökvägen /media/usb/Backup/Bilder 2007/), väljer du alternativet Skapa "
                "huvudmappen."),
            QString(),
            QStringLiteral("Läs mer om detta i hjälpfilen."),
        };
        return lines.join(kCrLf);
    }
    case 5:
        return QStringLiteral(
                   "Här skriver du in vilka filtyper som ska ingå för detta jobb. \"*.*\" betyder alla "
                   "filer, \"*.jpg\" betyder alla jpg-filer, osv.") +
               kCrLf;
    case 6:
        return QStringLiteral(
                   "Om du lagt till en huvudmapp som du vet kan få flera (eller färre, eller omdöpta) "
                   "undermappar kan du kryssa i \"Känn av ändringar i mappstrukturen\" för detta jobb, "
                   "så att programmet hittar de nya undermapparna (eller tar bort de som inte längre "
                   "finns) automatiskt.") +
               kCrLf +
               QStringLiteral(
                   "Programmet gör då en ny inläsning av mappstrukturen varje gång du kör denna backup.") +
               kCrLf +
               QStringLiteral(
                   "Detta alternativ kan inte väljas om du vill lägga till mappar utan att inkludera "
                   "dess undermappar.");
    case 7:
        return QStringLiteral(
                   "Här skriver du in vilka namn i mappar/sökvägar som inte ska kopieras för detta "
                   "jobb, tex \"Temp\"") +
               kCrLf;
    case 8:
        return QStringLiteral(
                   "Här skriver du in filnamnet på det program du vill stänga av innan det här jobbet "
                   "körs, tex \"thunderbird\".") +
               kCrLf + kCrLf +
               QStringLiteral(
                   "Du kan också ange fönstertiteln på de program eller fönster du vill stänga ner, tex "
                   "\"Local Folders - Thunderbird\".");
    case 9:
        return QStringLiteral("Här väljer du vilka program eller filer du vill ska starta efter att det här "
                              "jobbet körts.") +
               kCrLf;
    case 10:
        return QStringLiteral(
                   "Här skriver du in vilka filtyper som ska ingå för versionshanteringen. \"jpg\" "
                   "betyder alla jpg-filer, t.ex. Använd inte punkt eller stjärna, utan bara "
                   "filtypen.") +
               kCrLf + kCrLf + QStringLiteral("Vill du få med alla filer behöver du inte fylla i någonting.");
    case 11:
        return QStringLiteral(
                   "Om du vill slippa felmeddelanden i loggen om enheten du kopierar från/till saknas, "
                   "kan du välja detta alternativ.") +
               kCrLf +
               QStringLiteral("Kan vara bra om du t.ex har en USB-enhet som du inte alltid har ansluten.");
    default:
        return {};
    }
}

void frmaddmapp::help_Click(int n) {
    Module1::logga_meddelande(0, -1, helpText(n), QString());
}

void frmaddmapp::lblhjälp_Click() {
    Module1::öppna_hjälp();
}

void frmaddmapp::cmdstäng_Click() {
    if (saving_ || folderScanBusy())
        return;
    if (cmdbytnamn_Tag == QLatin1String("1")) {
        // The rename already changed the job files: the main window must show the new name.
        cmdbytnamn_Tag = QStringLiteral("0");
        program().mainWindow().requestReload();
    }
    unloadWindow();
}

void frmaddmapp::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return;
    try {
        geometry::writeGeometry(geometry::geometryFile(QStringLiteral("nyinställning")),
                                geometry::windowTwips(this));
    } catch (...) {
        // A read-only program folder leaves the old file or none.
    }
}

void frmaddmapp::unloadWindow() {
    Form_Unload();
    if (program().loaded<frmaddmapp>() == this) {
        program().unload<frmaddmapp>();
    } else {
        hide();
        deleteLater();
    }
}

void frmaddmapp::closeEvent(QCloseEvent* e) {
    // A running save or folder scan still works on the window.
    if (saving_ || folderScanBusy()) {
        e->ignore();
        return;
    }
    e->accept();
    unloadWindow();
}

QString frmaddmapp::bläddra_efter_mapp(int root, int flags, const QString& title,
                                       const QString& startFolder) {
    Q_UNUSED(root);
    Q_UNUSED(flags);
    return program().dialogs.pickFolder(title, startFolder);
}

void frmaddmapp::acceptDrops(QWidget* w, std::function<void(const QStringList&)> handler) {
    QWidget* target = w;
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        target = combo->lineEdit();
    else if (auto* view = qobject_cast<QAbstractScrollArea*>(w))
        target = view->viewport();
    w->setAcceptDrops(true);
    target->setAcceptDrops(true);
    target->installEventFilter(this);
    dropHandlers_[target] = std::move(handler);
}

bool frmaddmapp::eventFilter(QObject* watched, QEvent* e) {
    auto drop = dropHandlers_.find(watched);
    if (drop != dropHandlers_.end()) {
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
            auto* d = static_cast<QDragMoveEvent*>(e);
            if (d->mimeData()->hasUrls()) {
                d->acceptProposedAction();
                return true;
            }
        } else if (e->type() == QEvent::Drop) {
            auto* d = static_cast<QDropEvent*>(e);
            QStringList paths;
            for (const QUrl& u : d->mimeData()->urls())
                if (u.isLocalFile())
                    paths << u.toLocalFile();
            d->acceptProposedAction();
            drop->second(paths);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
