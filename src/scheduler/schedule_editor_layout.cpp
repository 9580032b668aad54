// The schedule editor's controls and where they stand.
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/icons.h"
#include "platform/widgets.h"
#include "scheduler/schedule_editor.h"
#include "scheduler/schedule_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr int kWidth = 660;
constexpr int kHeight = 476;

QLabel* staticLabel(QWidget* parent, const QString& text, const QRect& r, bool wrap = false) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(r);
    l->setWordWrap(wrap);
    return l;
}

platform::ClickLabel* helpPicture(QWidget* parent, const char* name, const QRect& r) {
    auto* h = platform::named<platform::ClickLabel>(parent, name);
    h->setPixmap(platform::picture(platform::Picture::Information, 16));
    h->setCursor(Qt::PointingHandCursor);
    h->setToolTip(QStringLiteral("Förklaring")); // as the job editor's: the help link is "Hjälp"
    h->setGeometry(r);
    return h;
}

QComboBox* timeBox(QWidget* parent, const char* name, const QRect& r) {
    auto* c = platform::named<QComboBox>(parent, name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    for (int h = 0; h < 24; ++h)
        c->addItem(QStringLiteral("%1:00").arg(h, 2, 10, QLatin1Char('0')));
    c->setEditText(QStringLiteral("10:00"));
    c->setGeometry(r);
    return c;
}

// "Kör backup på följande dagar:" and the seven boxes, Sunday first, in two columns.
void dayBoxes(QWidget* parent, const char* name, std::array<QCheckBox*, 8>& boxes, int top) {
    staticLabel(parent, QStringLiteral("Kör backup på följande dagar:"), QRect(12, top, 280, 20));
    for (int d = 1; d <= 7; ++d) {
        auto* b = new QCheckBox(schedule::dayCaption(d), parent);
        b->setObjectName(QString::fromUtf8(name) + QString::number(d));
        b->setProperty("index", d);
        b->setChecked(true);
        const int column = d <= 4 ? 0 : 1;
        const int row = d <= 4 ? d - 1 : d - 5;
        b->setGeometry(12 + column * 140, top + 22 + row * 22, 130, 22);
        boxes[d] = b;
    }
}
} // namespace

void frmschema2::createControls() {
    setObjectName(QStringLiteral("frmschema2"));
    setWindowTitle(QStringLiteral("Schemaläggning"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(kWidth, kHeight);

    // What the start page covers is hidden with it, so a screen reader meets only what is shown.
    settingsPage_ = new QWidget(this);
    settingsPage_->setObjectName(QStringLiteral("framesettings"));
    settingsPage_->setGeometry(0, 0, kWidth, 416);

    Frame3 = platform::named<QGroupBox>(settingsPage_, "Frame3", QStringLiteral("Metod:"));
    Frame3->setGeometry(8, 4, kWidth - 16, 86);
    optunikglobal[1] = platform::named<QRadioButton>(
        Frame3, "optunikglobal1", QStringLiteral("En gemensam inställning för valda jobb"));
    optunikglobal[1]->setGeometry(10, 20, 300, 24);
    optunikglobal[0] = platform::named<QRadioButton>(Frame3, "optunikglobal0",
                                                     QStringLiteral("Unika inställningar för valda jobb"));
    optunikglobal[0]->setGeometry(10, 52, 300, 24);
    optunikglobal[0]->setChecked(true);
    staticLabel(Frame3,
                QStringLiteral("Med en gemensam inställning kommer de valda jobben att köras samtidigt."),
                QRect(320, 16, kWidth - 16 - 330, 32), true);
    staticLabel(
        Frame3,
        QStringLiteral("Med unika inställningar kan du schemalägga varje jobb för sig, olika dagar och "
                       "olika tider."),
        QRect(320, 48, kWidth - 16 - 330, 32), true);

    Label1 = platform::namedLabel(settingsPage_, "Label1",
                                  QStringLiteral("Välj jobb att schemalägga (du kan markera flera)"));
    Label1->setGeometry(8, 96, 310, 20);
    List1 = platform::named<QListWidget>(settingsPage_, "List1");
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setGeometry(8, 118, 302, 262);
    listglobal = platform::named<QListWidget>(settingsPage_, "listglobal");
    listglobal->setSelectionMode(QAbstractItemView::MultiSelection);
    listglobal->setGeometry(List1->geometry());
    listglobal->setToolTip(QStringLiteral("Jobb som körs med den gemensamma inställningen"));
    listglobal->hide();
    Label1->setBuddy(List1);
    cmdmarkera[0] = platform::namedButton(settingsPage_, "cmdmarkera0", QStringLiteral("Markera alla"));
    cmdmarkera[0]->setGeometry(8, 386, 148, 26);
    cmdmarkera[1] = platform::namedButton(settingsPage_, "cmdmarkera1", QStringLiteral("Avmarkera alla"));
    cmdmarkera[1]->setGeometry(162, 386, 148, 26);

    // The per-job frame.
    Frame1 = platform::named<QGroupBox>(settingsPage_, "Frame1", QStringLiteral("Aktuellt jobb:"));
    Frame1->setGeometry(320, 96, kWidth - 328, 316);
    chkaktiv =
        platform::named<QCheckBox>(Frame1, "chkaktiv", QStringLiteral("Kör schemalagd backup på detta jobb"));
    chkaktiv->setGeometry(12, 22, 262, 22);
    help2 = helpPicture(Frame1, "help2", QRect(280, 25, 16, 16));
    auto* tid = staticLabel(Frame1, QStringLiteral("Kör backup klockan"), QRect(12, 54, 130, 22));
    combotid = timeBox(Frame1, "combotid", QRect(146, 52, 84, 24));
    tid->setBuddy(combotid);
    lblenter = platform::namedLabel(Frame1, "lblenter", QStringLiteral("Efter inmatning, tryck Enter!"));
    lblenter->setGeometry(12, 78, 280, 18);
    lblenter->setStyleSheet(QStringLiteral("color: rgb(192,0,0);"));
    lblenter->hide();
    dayBoxes(Frame1, "chkdag2", chkdag2, 98);
    chksync = platform::named<QCheckBox>(Frame1, "chksync", QStringLiteral("Spegla"));
    chksync->setGeometry(12, 216, 90, 22);
    chksync->setEnabled(false);
    help3 = helpPicture(Frame1, "help3", QRect(106, 219, 16, 16));
    chksync_simulera =
        platform::named<QCheckBox>(Frame1, "chksync_simulera", QStringLiteral("Simulera spegling"));
    chksync_simulera->setGeometry(12, 240, 200, 22);
    chksync_simulera->setEnabled(false);
    cmdok = platform::namedButton(Frame1, "cmdok", QStringLiteral("Spara"));
    cmdok->setGeometry(Frame1->width() - 102, Frame1->height() - 38, 90, 28);

    // The common frame, in the same place.
    frameglobal =
        platform::named<QGroupBox>(settingsPage_, "frameglobal", QStringLiteral("Global inställning"));
    frameglobal->setGeometry(Frame1->geometry());
    frameglobal->hide();
    auto* tidglobal = staticLabel(frameglobal, QStringLiteral("Kör backup klockan"), QRect(12, 26, 130, 22));
    combotidglobal = timeBox(frameglobal, "combotidglobal", QRect(146, 24, 84, 24));
    tidglobal->setBuddy(combotidglobal);
    dayBoxes(frameglobal, "chkdag", chkdag, 98);
    chksyncglobal = platform::named<QCheckBox>(frameglobal, "chksyncglobal", QStringLiteral("Spegla"));
    chksyncglobal->setGeometry(12, 216, 90, 22);
    chksyncglobal->setEnabled(false);
    help1 = helpPicture(frameglobal, "help1", QRect(106, 219, 16, 16));
    chksyncglobal_simulera = platform::named<QCheckBox>(frameglobal, "chksyncglobal_simulera",
                                                        QStringLiteral("Simulera spegling"));
    chksyncglobal_simulera->setGeometry(12, 240, 200, 22);
    chksyncglobal_simulera->setEnabled(false);
    cmdok_global = platform::namedButton(frameglobal, "cmdok_global", QStringLiteral("Spara"));
    cmdok_global->setGeometry(cmdok->geometry());
    Command1 = platform::namedButton(frameglobal, "Command1", QStringLiteral("test"));
    Command1->setGeometry(12, cmdok->y(), 60, 28);
    Command1->hide();

    chkignorerafel = platform::named<QCheckBox>(this, "chkignorerafel",
                                                QStringLiteral("Ignorera fel under schemalagd körning"));
    chkignorerafel->hide();

    Frame4 = platform::named<QGroupBox>(this, "Frame4", QString());
    Frame4->setGeometry(8, 420, 302, 46);
    chkaktivera =
        platform::named<QCheckBox>(Frame4, "chkaktivera", QStringLiteral("Aktivera schemaläggning"));
    QFont bold = chkaktivera->font();
    bold.setBold(true);
    chkaktivera->setFont(bold);
    chkaktivera->setGeometry(10, 12, 240, 24);

    lblhjälp = platform::named<platform::ClickLabel>(this, "lblhjälp", QStringLiteral("Hjälp"));
    lblhjälp->setCursor(Qt::PointingHandCursor);
    lblhjälp->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    lblhjälp->setGeometry(kWidth - 190, 440, 50, 20);
    cmdavbryt = platform::namedButton(this, "cmdavbryt", QStringLiteral("Välj/Stäng"));
    cmdavbryt->setGeometry(kWidth - 128, 432, 120, 32);
    // Escape saves and closes like "Välj/Stäng", which may refuse and say why.
    platform::setCancelButton(cmdavbryt, true);

    // The start page lies over the settings until the user chooses.
    framestart = platform::named<QFrame>(this, "framestart");
    framestart->setGeometry(8, 4, kWidth - 16, 410);
    framestart->setFrameShape(QFrame::StyledPanel);
    framestart->setAutoFillBackground(true);
    auto* bild = new QLabel(framestart);
    bild->setPixmap(platform::picture(platform::Picture::Schedule, 48));
    bild->setGeometry(24, 24, 48, 48);
    cmdstartställin =
        platform::namedButton(framestart, "cmdstartställin", QStringLiteral("Alternativ för schemakörning"));
    cmdstartställin->setGeometry(96, 60, 300, 40);
    staticLabel(framestart,
                QStringLiteral("Klicka för att ställa in vilka jobb som ska schemaläggas, vilka dagar de ska "
                               "köras och vid vilka tider."),
                QRect(96, 104, framestart->width() - 120, 40), true);
    cmdstartaktivera =
        platform::namedButton(framestart, "cmdstartaktivera", QStringLiteral("Aktivera schemakörning"));
    cmdstartaktivera->setGeometry(96, 180, 300, 40);
    staticLabel(framestart,
                QStringLiteral("Klicka för att omedelbart aktivera schemakörning. Valda jobb kommer köras på "
                               "de inställda tiderna."),
                QRect(96, 224, framestart->width() - 120, 40), true);
    framestart->hide();
}
