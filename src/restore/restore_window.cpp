#include "restore/restore_window.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/events.h"
#include "platform/icons.h"
#include "platform/widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>

namespace {
constexpr int kTwip = 15;
constexpr int kWidth = 760;
constexpr int kHeight = 540;
constexpr int kPageTop = 600 / kTwip;
constexpr int kPageWidth = kWidth - 16;
constexpr int kPageHeight = kHeight - kPageTop - 52;

// The disk of the load animation, its light off or on.
QPixmap diskPicture(bool lit) {
    QPixmap pm(36, 28);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(70, 70, 70));
    p.setBrush(QColor(190, 190, 195));
    p.drawRoundedRect(QRectF(1, 5, 34, 20), 3, 3);
    p.setBrush(QColor(150, 150, 155));
    p.drawRect(QRectF(5, 17, 18, 4));
    p.setBrush(lit ? QColor(40, 220, 40) : QColor(40, 80, 40));
    p.drawEllipse(QRectF(26, 16, 6, 6));
    return pm;
}

QLabel* buddyLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// A search box with its caption and its "Nästa (Enter)" button.
QFrame* searchFrame(QWidget* parent, const char* name, const QString& caption, const char* boxName,
                    QLineEdit*& box, const char* buttonName, QPushButton*& next) {
    auto* f = platform::named<QFrame>(parent, name);
    box = platform::named<QLineEdit>(f, boxName);
    buddyLabel(f, caption, box)->setGeometry(0, 4, 112, 24);
    box->setGeometry(114, 4, 196, 24);
    next = platform::namedButton(f, buttonName, QStringLiteral("Nästa (Enter)"));
    next->setGeometry(316, 2, 120, 28);
    return f;
}

QFrame* barBox(QWidget* parent, const char* name, QLabel*& bar, const char* barName) {
    auto* box = platform::named<QFrame>(parent, name);
    box->setFrameShape(QFrame::Box);
    bar = platform::namedLabel(box, barName);
    bar->setStyleSheet(QStringLiteral("background-color: #1e6ec8;"));
    bar->setGeometry(0, 0, 0, 16);
    box->hide();
    return box;
}
} // namespace

// ---- the result model -------------------------------------------------------------------------

RestoreResultModel::RestoreResultModel(const std::vector<RestoreEntry>& entries, QObject* parent)
    : QAbstractListModel(parent), entries_(entries) {}

int RestoreResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

QVariant RestoreResultModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.row() < 0 || index.row() >= int(entries_.size()))
        return {};
    return entries_[size_t(index.row())].display();
}

void RestoreResultModel::reload() {
    beginResetModel();
    shown_ = int(entries_.size());
    endResetModel();
}

void RestoreResultModel::beginRemove(int first, int last) {
    beginRemoveRows({}, first, last);
}

void RestoreResultModel::endRemove() {
    shown_ = int(entries_.size());
    endRemoveRows();
}

// ---- the window -------------------------------------------------------------------------------

frmåterställ::frmåterställ() : engine(*this, program().programFolder(), program().clock) {
    setObjectName(QStringLiteral("frmåterställ"));
    setWindowTitle(QStringLiteral("Återställ backup"));
    setWindowIcon(program().mainWindow().icon().isNull() ? platform::icon(platform::Picture::Backup)
                                                         : program().mainWindow().icon());
    setFixedSize(kWidth, kHeight);
    createControls();
    layoutControls();
    Form_Load();
}

frmåterställ::~frmåterställ() = default;

void frmåterställ::createControls() {
    lblrubrik = platform::namedLabel(this, "lblrubrik");
    QFont big = lblrubrik->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.25);
    lblrubrik->setFont(big);
    for (int i = 0; i < kPages; ++i) {
        frame[size_t(i)] = new QFrame(this);
        frame[size_t(i)]->setObjectName(QStringLiteral("frame%1").arg(i));
        frame[size_t(i)]->setFrameShape(QFrame::StyledPanel);
    }
    lblsida = platform::namedLabel(this, "lblsida");
    lblsida->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmdförra = platform::namedButton(this, "cmdförra", QStringLiteral("<< Föregående"));
    cmdnästa = platform::namedButton(this, "cmdnästa", QStringLiteral("Nästa >>"));
    // Underlined by its style, not by markup: the caption is also the link's name.
    lblhjälp = platform::named<platform::ClickLabel>(this, "lblhjälp", QStringLiteral("Hjälp"));
    lblhjälp->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    lblhjälp->setCursor(Qt::PointingHandCursor);
    lblhjälp->setToolTip(QStringLiteral("Hjälp"));
    lblhjälp->onClick = [this] { lblhjälp_Click(); };
    cmdstäng = platform::namedButton(this, "cmdstäng", QStringLiteral("Stäng"));
    platform::setCancelButton(cmdstäng, true);
    cmdlogg = platform::namedButton(this, "cmdlogg", QStringLiteral("Visa logg"));
    cmdlogg->setToolTip(QStringLiteral("Visa loggen (högerklick: öppna den i ett annat program)"));
    cmdlogg->installEventFilter(this);
    cmdlogg->hide();
    cmdavbrytcopy = platform::namedButton(this, "cmdavbrytcopy", QStringLiteral("Avbryt"));
    cmdavbrytcopy->hide();
    cmdavbrytcopy2 = platform::namedButton(this, "cmdavbrytcopy2", QStringLiteral("Avbryt"));
    cmdavbrytcopy2->hide();
    // Escape stops a pass the way its own stop button does; shown only while one runs.
    for (QPushButton* stop : {cmdavbrytcopy, cmdavbrytcopy2})
        platform::setCancelButton(stop, true);
    cmdöppnamapp = platform::namedButton(this, "cmdöppnamapp", QStringLiteral("Öppna markerad mapp"));
    cmdöppnafil = platform::namedButton(this, "cmdöppnafil", QStringLiteral("Öppna markerad fil"));

    // Page 0: the mode.
    QFrame* f0 = frame[0];
    auto* intro =
        new QLabel(QStringLiteral("Börja med att välja om du vill återställa utifrån befintligt jobb, "
                                  "eller fylla i uppgifterna manuellt."),
                   f0);
    intro->setWordWrap(true);
    intro->setGeometry(16, 16, kPageWidth - 40, 40);
    optjobb1 = platform::named<QRadioButton>(f0, "optjobb1", QStringLiteral("Välj ett befintligt jobb"));
    optjobb1->setGeometry(32, 68, 400, 24);
    optjobb1->setChecked(true);
    optjobb2 = platform::named<QRadioButton>(f0, "optjobb2", QStringLiteral("Manuella inställningar"));
    optjobb2->setGeometry(32, 96, 400, 24);
    auto* risk =
        new QLabel(QStringLiteral("Återställningsfunktionen används på egen risk! Du kan enkelt kopiera "
                                  "tillbaka filer via filhanteraren om du hellre vill."),
                   f0);
    risk->setWordWrap(true);
    risk->setGeometry(16, 150, kPageWidth - 40, 40);

    createPathPage();
    createFolderPages();
    createFilePage();

    timerhdd = new QTimer(this);
    timerhdd->setObjectName(QStringLiteral("timerhdd"));

    connect(cmdnästa, &QPushButton::clicked, this, [this] { cmdnästa_Click(); });
    connect(cmdförra, &QPushButton::clicked, this, [this] { cmdförra_Click(); });
    connect(cmdstäng, &QPushButton::clicked, this, [this] { cmdstäng_Click(); });
    connect(cmdlogg, &QPushButton::clicked, this, [this] { cmdlogg_Click(); });
    connect(cmdavbrytcopy, &QPushButton::clicked, this, [this] { cmdavbrytcopy_Click(); });
    connect(cmdavbrytcopy2, &QPushButton::clicked, this, [this] { cmdavbrytcopy2_Click(); });
    connect(cmdöppnamapp, &QPushButton::clicked, this, [this] { cmdöppnamapp_Click(); });
    connect(cmdöppnafil, &QPushButton::clicked, this, [this] { cmdöppnafil_Click(); });
    connect(timerhdd, &QTimer::timeout, this, [this] { timerhdd_Timer(); });
}

void frmåterställ::createPathPage() {
    QFrame* f1 = frame[1];
    Frame111 = platform::named<QGroupBox>(f1, "Frame111");
    Frame111->setGeometry(12, 8, kPageWidth - 24, 44);
    chkåterställ1 =
        platform::named<QRadioButton>(Frame111, "chkåterställ1", QStringLiteral("Återställ saknade filer"));
    chkåterställ1->setGeometry(12, 10, 260, 24);
    chkåterställ1->setChecked(true);
    chkåterställ2 = platform::named<QRadioButton>(Frame111, "chkåterställ2",
                                                  QStringLiteral("Återställ saknade filer och nyare filer"));
    chkåterställ2->setGeometry(290, 10, 400, 24);

    const int top = 64, w = kPageWidth - 24;
    framejobb = platform::named<QFrame>(f1, "framejobb");
    framejobb->setGeometry(0, top, kPageWidth, kPageHeight - top);
    combojobb = platform::named<QComboBox>(framejobb, "combojobb");
    combomappar = platform::named<QComboBox>(framejobb, "combomappar");
    lblmapp = platform::named<QLineEdit>(framejobb, "lblmapp");
    lblmapp2 = platform::named<QLineEdit>(framejobb, "lblmapp2");
    lblmapp3 = platform::named<QLineEdit>(framejobb, "lblmapp3");
    buddyLabel(framejobb, QStringLiteral("Välj en backup att återställa:"), combojobb)
        ->setGeometry(12, 0, w, 20);
    combojobb->setGeometry(12, 22, 320, 26);
    buddyLabel(framejobb, QStringLiteral("Välj en huvudmapp att återställa:"), combomappar)
        ->setGeometry(12, 58, w, 20);
    combomappar->setGeometry(12, 80, w, 26);
    buddyLabel(framejobb, QStringLiteral("Återställs från:"), lblmapp)->setGeometry(12, 120, w, 20);
    lblmapp->setGeometry(12, 142, w, 24);
    buddyLabel(framejobb, QStringLiteral("Återställs till:"), lblmapp2)->setGeometry(12, 176, w, 20);
    lblmapp2->setGeometry(12, 198, w, 24);
    buddyLabel(framejobb, QStringLiteral("Jobbets backupmapp:"), lblmapp3)->setGeometry(12, 232, w, 20);
    lblmapp3->setGeometry(12, 254, w, 24);
    for (QLineEdit* e : {lblmapp, lblmapp2, lblmapp3})
        e->setReadOnly(true);

    FrameAvancerad = platform::named<QFrame>(f1, "FrameAvancerad");
    FrameAvancerad->setFrameShape(QFrame::NoFrame);
    FrameAvancerad->setGeometry(0, top, kPageWidth, kPageHeight - top);
    txtbackupmapp = platform::named<QLineEdit>(FrameAvancerad, "txtbackupmapp");
    txtåterställfrån = platform::named<QLineEdit>(FrameAvancerad, "txtåterställfrån");
    txtåterställtill = platform::named<QLineEdit>(FrameAvancerad, "txtåterställtill");
    cmdöppnabackupmapp = platform::namedButton(FrameAvancerad, "cmdöppnabackupmapp", QStringLiteral("..."));
    cmdöppnaåterställningsmapp =
        platform::namedButton(FrameAvancerad, "cmdöppnaåterställningsmapp", QStringLiteral("..."));
    cmdåterställtillmapp =
        platform::namedButton(FrameAvancerad, "cmdåterställtillmapp", QStringLiteral("..."));
    struct Row {
        QString caption;
        QLineEdit* box;
        QPushButton* picker;
        QString pickerName; // a name of its own, not its field's
    };
    const Row rows[] = {{QStringLiteral("Ange backupmappens huvudkatalog (exempelvis /media/usb/Backup)"),
                         txtbackupmapp, cmdöppnabackupmapp, QStringLiteral("Bläddra efter backupmappen")},
                        {QStringLiteral("Välj huvudmappen som du vill återställa från "
                                        "(exempelvis /media/usb/Backup/home/anna/Dokument)"),
                         txtåterställfrån, cmdöppnaåterställningsmapp,
                         QStringLiteral("Bläddra efter mappen att återställa från")},
                        {QStringLiteral("Dessa mappar kommer att återställas till:"), txtåterställtill,
                         cmdåterställtillmapp, QStringLiteral("Bläddra efter mappen att återställa till")}};
    int y = 0;
    for (const Row& r : rows) {
        buddyLabel(FrameAvancerad, r.caption, r.box)->setGeometry(12, y, w, 20);
        r.box->setGeometry(12, y + 22, w - 44, 24);
        r.picker->setGeometry(12 + w - 38, y + 21, 38, 26);
        r.picker->setToolTip(QStringLiteral("Bläddra..."));
        r.picker->setAccessibleName(r.pickerName);
        y += 60;
    }
    lblvarning = platform::namedLabel(FrameAvancerad, "lblvarning");
    lblvarning->setStyleSheet(QStringLiteral("color: rgb(192,0,0);"));
    lblvarning->setGeometry(12, y, w, 20);

    connect(combojobb, &QComboBox::currentIndexChanged, this, [this] { combojobb_Click(); });
    connect(combomappar, &QComboBox::currentIndexChanged, this, [this] { combomappar_Click(); });
    connect(txtbackupmapp, &QLineEdit::textChanged, this, [this] { txtbackupmapp_Change(); });
    connect(txtåterställfrån, &QLineEdit::textChanged, this, [this] { txtåterställfrån_Change(); });
    connect(txtåterställtill, &QLineEdit::textChanged, this, [this] { txtåterställtill_Change(); });
    // A folder typed by the user is no failed derivation.
    connect(txtåterställtill, &QLineEdit::textEdited, this,
            [this] { setTextColour(txtåterställtill, palette().color(QPalette::Text)); });
    connect(cmdöppnabackupmapp, &QPushButton::clicked, this, [this] { cmdöppnabackupmapp_Click(); });
    connect(cmdöppnaåterställningsmapp, &QPushButton::clicked, this,
            [this] { cmdöppnaåterställningsmapp_Click(); });
    connect(cmdåterställtillmapp, &QPushButton::clicked, this, [this] { cmdåterställtillmapp_Click(); });
}

void frmåterställ::createFolderPages() {
    const int w = kPageWidth - 24;
    QFrame* f2 = frame[2];
    lblladdafrån = platform::namedLabel(f2, "lblladdafrån");
    lblladdafrån->setGeometry(16, 16, w - 8, 20);
    cmdladdamålmappar =
        platform::namedButton(f2, "cmdladdamålmappar", QStringLiteral("Ladda mappar från denna backup"));
    cmdladdamålmappar->setGeometry(16, 48, 280, 32);
    cmdavbryt = platform::namedButton(f2, "cmdavbryt", QStringLiteral("Avbryt"));
    cmdavbryt->setGeometry(306, 48, 100, 32);
    cmdavbryt->hide();
    platform::setCancelButton(cmdavbryt, true);
    imghdd1 = platform::namedLabel(f2, "imghdd1");
    imghdd1->setPixmap(diskPicture(false));
    imghdd1->setGeometry(424, 50, 36, 28);
    imghdd2 = platform::namedLabel(f2, "imghdd2");
    imghdd2->setPixmap(diskPicture(true));
    imghdd2->setGeometry(424, 50, 36, 28);
    imghdd2->hide();
    auto* countCaption = new QLabel(QStringLiteral("Antal mappar:"), f2);
    countCaption->setGeometry(16, 96, 100, 20);
    lblmappantal = platform::namedLabel(f2, "lblmappantal", QStringLiteral("0"));
    lblmappantal->setGeometry(120, 96, 200, 20);
    lblinlästamappar = platform::namedLabel(f2, "lblinlästamappar");
    lblinlästamappar->setWordWrap(true);
    lblinlästamappar->setGeometry(16, 130, w - 8, 60);
    lblinlästamappar->hide();

    QFrame* f3 = frame[3];
    const int h = kPageHeight;
    List1 = platform::named<QListWidget>(f3, "List1");
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List1->setUniformItemSizes(true);
    List1->setGeometry(12, 30, w, h - 178);
    buddyLabel(f3, QStringLiteral("Mappar i backupen:"), List1)->setGeometry(12, 6, w, 20);
    txtmarkerad = platform::named<QLineEdit>(f3, "txtmarkerad");
    txtmarkerad->setReadOnly(true);
    buddyLabel(f3, QStringLiteral("Refererar till:"), txtmarkerad)->setGeometry(12, h - 140, 100, 24);
    txtmarkerad->setGeometry(112, h - 140, w - 100, 24);
    chkåterställmarkerad = platform::named<QCheckBox>(f3, "chkåterställmarkerad",
                                                      QStringLiteral("Genomsök endast markerade mappar"));
    chkåterställmarkerad->setGeometry(12, h - 108, 320, 24);
    cmdmapplista = platform::namedButton(f3, "cmdmapplista", QStringLiteral("Redigera mapplista..."));
    cmdmapplista->setGeometry(12 + w - 200, h - 110, 200, 28);
    framesökmapp = searchFrame(f3, "framesökmapp", QStringLiteral("Sök mapp/sökväg"), "txtsökmapplista",
                               txtsökmapplista, "cmdsökmapplistanästa", cmdsökmapplistanästa);
    framesökmapp->setGeometry(12, h - 74, 440, 32);
    lblantalfiler = platform::namedLabel(f3, "lblantalfiler");
    lblantalfiler->setGeometry(464, h - 70, w - 452, 24);
    lblantalfiler->hide();
    Picture1 = barBox(f3, "Picture1", lblprocent11, "lblprocent11");
    Picture1->setGeometry(12, h - 34, (w - 12) / 2, 18);
    Picture5 = barBox(f3, "Picture5", lblprocent12, "lblprocent12");
    Picture5->setGeometry(12 + (w - 12) / 2 + 12, h - 34, (w - 12) / 2, 18);

    connect(cmdladdamålmappar, &QPushButton::clicked, this, [this] { cmdladdamålmappar_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    connect(List1, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { List1_DblClick(); });
    connect(cmdmapplista, &QPushButton::clicked, this, [this] { cmdmapplista_Click(); });
    connect(txtsökmapplista, &QLineEdit::textEdited, this, [this] { txtsökmapplista_Change(); });
    connect(cmdsökmapplistanästa, &QPushButton::clicked, this, [this] { cmdsökmapplistanästa_Click(); });
    List1->installEventFilter(this);
    txtsökmapplista->installEventFilter(this);
}

void frmåterställ::createFilePage() {
    const int w = kPageWidth - 24, h = kPageHeight;
    QFrame* f4 = frame[4];
    auto* info = new QLabel(
        QStringLiteral(
            "Listan visar filerna som hittades. Om du vill utesluta någon fil från att återställas, "
            "markerar du den och trycker Delete på tangentbordet. Ett +tecken före filnamnet betyder "
            "att filen saknas på originalplatsen, i annat fall är den äldre än kopian."),
        f4);
    info->setWordWrap(true);
    info->setGeometry(12, 4, w, 48);
    Liståterställtill = platform::named<QListView>(f4, "Liståterställtill");
    resultModel = new RestoreResultModel(engine.entries, this);
    Liståterställtill->setModel(resultModel);
    Liståterställtill->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Liståterställtill->setUniformItemSizes(true);
    Liståterställtill->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Liståterställtill->setGeometry(12, 56, w, h - 200);
    Liståterställtill->setAccessibleName(QStringLiteral("Funna filer"));
    txtmarkerad2 = platform::named<QLineEdit>(f4, "txtmarkerad2");
    txtmarkerad2->setReadOnly(true);
    buddyLabel(f4, QStringLiteral("Återställs från:"), txtmarkerad2)->setGeometry(12, h - 138, 110, 24);
    txtmarkerad2->setGeometry(124, h - 138, w - 112, 24);
    framesökfil = searchFrame(f4, "framesökfil", QStringLiteral("Sök fil/sökväg"), "txtsökfillista",
                              txtsökfillista, "cmdsökfillistanästa", cmdsökfillistanästa);
    framesökfil->setGeometry(12, h - 106, 440, 32);
    chkåterställmarkerad2 = platform::named<QCheckBox>(f4, "chkåterställmarkerad2",
                                                       QStringLiteral("Återställ endast markerade filer"));
    chkåterställmarkerad2->setGeometry(464, h - 102, w - 452, 24);
    cmdåterställfiler =
        platform::namedButton(f4, "cmdåterställfiler", QStringLiteral("Återställ dessa filer"));
    cmdåterställfiler->setGeometry(12, h - 66, 220, 30);
    cmdåterställmarkeradefiler =
        platform::namedButton(f4, "cmdåterställmarkeradefiler", QStringLiteral("Återställ markerade filer"));
    cmdåterställmarkeradefiler->setGeometry(12, h - 66, 220, 30);
    cmdåterställmarkeradefiler->hide();
    lblantalfiler2 = platform::namedLabel(f4, "lblantalfiler2");
    lblantalfiler2->setGeometry(244, h - 62, w - 232, 24);
    Picture2 = barBox(f4, "Picture2", lblprocent45, "lblprocent45");
    Picture2->setGeometry(12, h - 28, w, 18);

    connect(Liståterställtill->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { Liståterställtill_Click(); });
    connect(Liståterställtill, &QListView::doubleClicked, this, [this] { Liståterställtill_DblClick(); });
    connect(txtsökfillista, &QLineEdit::textEdited, this, [this] { txtsökfillista_Change(); });
    connect(cmdsökfillistanästa, &QPushButton::clicked, this, [this] { cmdsökfillistanästa_Click(); });
    connect(chkåterställmarkerad2, &QCheckBox::toggled, this, [this] { chkåterställmarkerad2_Click(); });
    connect(cmdåterställfiler, &QPushButton::clicked, this, [this] { cmdåterställfiler_Click(); });
    connect(cmdåterställmarkeradefiler, &QPushButton::clicked, this,
            [this] { cmdåterställmarkeradefiler_Click(); });
    Liståterställtill->installEventFilter(this);
    txtsökfillista->installEventFilter(this);
}

void frmåterställ::layoutControls() {
    lblrubrik->setGeometry(16, 8, kWidth - 32, 26);
    for (QFrame* f : frame)
        f->setGeometry(120 / kTwip, kPageTop, kPageWidth, kPageHeight);
    const int y = kHeight - 42;
    lblhjälp->setGeometry(16, y + 5, 40, 20);
    cmdlogg->setGeometry(64, y, 110, 30);
    cmdavbrytcopy->setGeometry(64, y, 110, 30);
    cmdavbrytcopy2->setGeometry(64, y, 110, 30);
    cmdöppnamapp->setGeometry(178, y, 160, 30);
    cmdöppnafil->setGeometry(178, y, 160, 30);
    cmdstäng->setGeometry(346, y, 80, 30);
    lblsida->setGeometry(432, y + 5, 84, 20);
    cmdförra->setGeometry(524, y, 110, 30);
    cmdnästa->setGeometry(642, y, 110, 30);
}

void frmåterställ::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
}

void frmåterställ::closeEvent(QCloseEvent* e) {
    // A pass going on is stopped first; the window closes once its logs are complete.
    if (busy()) {
        closeRequested_ = true;
        mappinläsning_avbruten = 1;
        avbrottsflagga = 1;
        e->ignore();
        return;
    }
    e->accept();
    program().unload<frmåterställ>();
}

void frmåterställ::setBusy(Busy busy) {
    busy_ = busy;
    // While a pass runs, Escape is its stop button's (which may ask first), never "Stäng".
    platform::setCancelButton(cmdstäng, busy == Busy::None);
}

void frmåterställ::endBusy() {
    setBusy(Busy::None);
    if (closeRequested_)
        close();
}

bool frmåterställ::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Delete && watched == List1)
            List1_KeyUp(46);
        else if (key == Qt::Key_Delete && watched == Liståterställtill)
            Liståterställtill_KeyUp(46);
    } else if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == txtsökmapplista) {
                txtsökmapplista_KeyPress(13);
                return true;
            }
            if (watched == txtsökfillista) {
                txtsökfillista_KeyPress(13);
                return true;
            }
        }
    } else if (e->type() == QEvent::MouseButtonRelease && watched == cmdlogg) {
        cmdlogg_MouseUp(static_cast<QMouseEvent*>(e)->button());
    }
    return QWidget::eventFilter(watched, e);
}

void frmåterställ::setTextColour(QLineEdit* box, const QColor& colour) {
    QPalette pal = box->palette();
    pal.setColor(QPalette::Text, colour);
    box->setPalette(pal);
}

// ---- the engine's view ------------------------------------------------------------------------

void frmåterställ::setBar(QLabel* bar, const QFrame* box, double fraction) {
    const int full = box->width() - 2 * box->frameWidth();
    bar->setGeometry(box->frameWidth(), box->frameWidth(), int(full * std::clamp(fraction, 0.0, 1.0)),
                     box->height() - 2 * box->frameWidth());
}

void frmåterställ::refreshProgress() {
    switch (busy_) {
    case Busy::Listing:
        lblmappantal->setText(QString::number(engine.folderCount));
        break;
    case Busy::Scan:
        lblantalfiler->setText(QStringLiteral("Funna filer: ") + QString::number(engine.filräknare));
        if (txtmarkerad->text() != engine.currentFolder) {
            txtmarkerad->setText(engine.currentFolder);
            txtmarkerad->setCursorPosition(int(engine.currentFolder.size()));
        }
        setBar(lblprocent11, Picture1, engine.fileBar);
        setBar(lblprocent12, Picture5, engine.folderBar);
        break;
    case Busy::Copy:
        lblantalfiler2->setText(QStringLiteral("Återställda filer: ") + QString::number(engine.filräknare));
        setBar(lblprocent45, Picture2, engine.fileBar);
        txtmarkerad2->setText(currentBackup_);
        // The copied rows leave in one batch per refresh; the list lays itself out only when asked.
        engine.applyRemovals();
        Liståterställtill->doItemsLayout();
        break;
    case Busy::None:
        break;
    }
}

void frmåterställ::yield() {
    if (busy_ == Busy::Listing) {
        // The folder walk lets messages run by itself.
        refreshProgress();
        return;
    }
    if (yielded_.isValid() && yielded_.elapsed() < 20)
        return;
    // The controls follow a few times a second: an accessibility client hears of every change of
    // a text or a list, and more would flood it.
    if (!refreshed_.isValid() || refreshed_.elapsed() >= 250) {
        refreshProgress();
        refreshed_.start();
    }
    platform::doEvents();
    yielded_.start();
}

bool frmåterställ::stopRequested() const {
    if (program().operations().stopRequested())
        return true; // the program is to end
    return busy_ == Busy::Listing ? mappinläsning_avbruten == 1 : avbrottsflagga == 1;
}

void frmåterställ::systemLog(const QString& text, bool error) {
    program().systemLog().append(text);
    if (error)
        program().systemLog().markError();
}

void frmåterställ::currentEntry(int row) {
    currentBackup_ = engine.entries[size_t(row)].backup;
}

void frmåterställ::removingEntries(int first, int last) {
    resultModel->beginRemove(first, last);
}

void frmåterställ::entriesRemoved() {
    resultModel->endRemove();
}

QStringList frmåterställ::Liståterställtill_texts() const {
    QStringList out;
    for (const RestoreEntry& e : engine.entries)
        out << e.display();
    return out;
}

QStringList frmåterställ::Liståterställfrån() const {
    QStringList out;
    for (const RestoreEntry& e : engine.entries)
        out << e.backup;
    return out;
}

QStringList frmåterställ::Liståterställmapp() const {
    QStringList out;
    for (const RestoreEntry& e : engine.entries)
        out << e.folder;
    return out;
}

// ---- opening ----------------------------------------------------------------------------------

void showRestoreWizard(const QStringList& jobNames, int jobIndex, int mainFolderIndex, bool currentJob) {
    frmåterställ* w = program().form<frmåterställ>();
    w->combojobb->blockSignals(true);
    w->combojobb->addItems(jobNames);
    w->combojobb->blockSignals(false);
    w->selectJobEntry(jobIndex);
    if (currentJob) {
        if (mainFolderIndex >= 0 && mainFolderIndex < w->combomappar->count() &&
            mainFolderIndex != w->combomappar->currentIndex())
            w->combomappar->setCurrentIndex(mainFolderIndex);
        w->setComboframe(1);
    }
    program().dialogs.showModal(w);
    program().unload<frmåterställ>();
}
