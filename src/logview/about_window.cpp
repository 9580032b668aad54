#include "logview/about_window.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "logview/host.h"
#include "logview/link_label.h"
#include "logview/update_check.h"
#include "logview/update_window.h"
#include "platform/icons.h"
#include "platform/widgets.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {
constexpr int kTwip = geometry::kTwipsPerPixel;
constexpr int tw(int twips) {
    return twips / kTwip;
}
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
}
QLabel* wrapped(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                int height) {
    QLabel* l = platform::namedLabel(parent, name, text);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(l, left, top, width, height);
    return l;
}
} // namespace

frmom::frmom() {
    setObjectName(QStringLiteral("frmom"));
    setWindowTitle(QStringLiteral("Om..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(tw(9420), tw(4695));

    Picture1 = platform::named<QFrame>(this, "Picture1");
    Picture1->setAutoFillBackground(true);
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    Picture1->setPalette(white);
    place(Picture1, 0, 0, 1935, 4695);
    Image5 = platform::namedLabel(Picture1, "Image5");
    Image5->setPixmap(platform::picture(platform::Picture::Backup, 128));
    Image5->setAlignment(Qt::AlignCenter);
    Image5->setGeometry(0, 0, Picture1->width(), 128 + 8);
    Label8 = wrapped(
        Picture1, "Label8",
        QStringLiteral("\"En kopieringsmaskin gör det möjligt att kopiera mänskliga fel helt perfekt.\""),
        120, 2160, 1695, 1800);
    Label8->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    lblnamn = platform::namedLabel(this, "lblnamn");
    QFont name(QStringLiteral("Arial"));
    name.setPointSizeF(20.25);
    name.setBold(true);
    lblnamn->setFont(name);
    place(lblnamn, 2040, 120, 3700, 540);
    lblversion = platform::namedLabel(this, "lblversion");
    place(lblversion, 2040, 720, 3500, 255);
    Label5 =
        platform::namedLabel(this, "Label5", QStringLiteral("Datum: ") + QStringLiteral(TAMREL_RELEASE_DATE));
    place(Label5, 2040, 1080, 3500, 255);

    lblhemsida = logview::linkLabel(this, "lblhemsida", QStringLiteral("Besök hemsidan"),
                                    [this] { lblhemsida_Click(); });
    place(lblhemsida, 2400, 1920, 2500, 255);
    lbluppdatera = logview::linkLabel(this, "lbluppdatera", QStringLiteral("Sök uppdateringar"),
                                      [this] { lbluppdatera_Click(); });
    place(lbluppdatera, 2400, 2280, 2500, 255);
    lblreadme = logview::linkLabel(this, "lblreadme", QStringLiteral("Läs hjälpfilen"),
                                   [this] { lblreadme_Click(); });
    place(lblreadme, 2400, 2640, 2500, 255);
    lblforum =
        logview::linkLabel(this, "lblforum", QStringLiteral("Besök forumet"), [this] { lblforum_Click(); });
    place(lblforum, 2400, 3000, 2500, 255);
    lbldonera =
        logview::linkLabel(this, "lbldonera", QStringLiteral("Donera!"), [this] { lbldonera_Click(); });
    place(lbldonera, 2040, 3360, 2500, 255);
    struct Icon {
        QLabel** image;
        const char* name;
        platform::Picture picture;
        int top;
    };
    const Icon icons[] = {{&Image2, "Image2", platform::Picture::Information, 1920},
                          {&Image3, "Image3", platform::Picture::Sync, 2280},
                          {&Image4, "Image4", platform::Picture::Edit, 2640},
                          {&Image6, "Image6", platform::Picture::New, 3000}};
    for (const Icon& i : icons) {
        *i.image = platform::namedLabel(this, i.name);
        (*i.image)->setPixmap(platform::picture(i.picture, 16));
        (*i.image)->setGeometry(tw(2040), tw(i.top), 16, 16);
    }
    Command1 = platform::namedButton(this, "Command1", QStringLiteral("Stäng"));
    place(Command1, 4320, 4200, 1095, 375);
    Command1->setDefault(true);
    hand = platform::namedLabel(this, "hand");
    hand->setPixmap(platform::picture(platform::Picture::Hand, 32));
    hand->hide();

    Frame2 = platform::named<QFrame>(this, "Frame2");
    Frame2->setAutoFillBackground(true);
    place(Frame2, 6000, 0, 5775, 4695);
    QLabel* tack = platform::namedLabel(Frame2, "lbltack", QStringLiteral("Tack så mycket"));
    QFont big = tack->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    tack->setFont(big);
    place(tack, 120, 120, 5500, 360);
    wrapped(Frame2, "lblhjälp",
            QStringLiteral("För att hjälpa till med fortsatt utveckling, skulle jag uppskatta din hjälp."),
            120, 540, 5500, 480);
    wrapped(Frame2, "lblvärdefullt",
            QStringLiteral(
                "Om du tycker Tamrel Backup är ett värdefullt program och vill hjälpa mig att göra det ännu "
                "bättre, gör gärna en donation. Din generositet gör skillnad genom att programmet fortsätter "
                "vara gratis och inspirerar mig till att utveckla framtida versioner."),
            120, 1080, 5500, 1200);
    wrapped(Frame2, "lblgratis",
            QStringLiteral(
                "Tamrel Backup är gratis att använda, och du får sprida oändligt antal kopior av denna "
                "programvara så länge inga filer modifierats."),
            120, 2340, 5500, 720);
    wrapped(Frame2, "lblbetalning", QStringLiteral("Hur du donerar står på hemsidan under \"Donera\"."), 120,
            3120, 5500, 300);
    wrapped(Frame2, "lblsignatur", QStringLiteral("Med vänliga hälsningar, utvecklaren av Tamrel Backup"),
            120, 3480, 4100, 420);
    cmddonerastäng = platform::namedButton(Frame2, "cmddonerastäng", QStringLiteral("Stäng"));
    place(cmddonerastäng, 4320, 3960, 1095, 375);
    Frame2->hide();

    QObject::connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    QObject::connect(cmddonerastäng, &QPushButton::clicked, this, [this] { cmddonerastäng_Click(); });
    // Enter and Esc close the window in both views: Command1 stays the default and cancel button
    // while the donation frame covers it.
    for (QKeySequence k :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* s = new QShortcut(k, this);
        QObject::connect(s, &QShortcut::activated, this, [this] { Command1_Click(); });
    }
    Form_Load();
}

void frmom::Form_Load() {
    // Centred with the full width, then narrowed from the right: the left edge stays.
    geometry::centreOverMainWindow(this);
    narrow();
    lblnamn->setText(QStringLiteral("Tamrel Backup"));
    lblversion->setText(QStringLiteral("Version: ") + updates::versionText());
    setWindowIcon(logview::host::mainIcon());
    const QCursor handCursor(hand->pixmap(), 8, 2);
    for (QWidget* l : {static_cast<QWidget*>(lbluppdatera), static_cast<QWidget*>(lblhemsida),
                       static_cast<QWidget*>(lblreadme), static_cast<QWidget*>(lbldonera),
                       static_cast<QWidget*>(lblforum)})
        l->setCursor(handCursor);
}

void frmom::narrow() {
    const int frame = frameGeometry().width() - width();
    setFixedSize(tw(5850) - frame, height());
}

void frmom::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // The frame is known once the window is on the screen: the outer width is what counts.
    narrow();
}

void frmom::lblhemsida_Click() {
    program().dialogs.openUrl(updates::homePageUrl());
}

void frmom::lblforum_Click() {
    program().dialogs.openUrl(updates::forumUrl());
}

void frmom::lbluppdatera_Click() {
    logview::startVisibleUpdateCheck();
}

void frmom::lblreadme_Click() {
    Module1::öppna_hjälp();
}

void frmom::lbldonera_Click() {
    setWindowTitle(QStringLiteral("Donera"));
    Frame2->show();
    Frame2->raise();
    Frame2->move(0, 0);
}

void frmom::Command1_Click() {
    close();
}

void frmom::cmddonerastäng_Click() {
    close();
}

void frmom::closeEvent(QCloseEvent* e) {
    e->accept();
    program().unload<frmom>();
}

namespace logview {

void openAbout() {
    frmom* w = program().form<frmom>();
    w->setWindowTitle(QStringLiteral("Om..."));
    program().dialogs.showModal(w);
}

void openAboutFromSettings() {
    program().dialogs.showModal(program().form<frmom>());
}

void openDonation() {
    frmom* w = program().form<frmom>();
    w->setWindowTitle(QStringLiteral("Donera"));
    w->Frame2->move(0, 0);
    w->Frame2->show();
    w->Frame2->raise();
    program().dialogs.showModal(w);
}

} // namespace logview
