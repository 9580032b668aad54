#include "restore/folder_list_editor.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/icons.h"
#include "platform/widgets.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {
constexpr int kTwip = 15;
}

frmåterställ2::frmåterställ2() {
    setObjectName(QStringLiteral("frmåterställ2"));
    setWindowTitle(QStringLiteral("Redigera mapplista"));
    Label7 = platform::namedLabel(
        this, "Label7",
        QStringLiteral("Listan visar mapparna som hittades. Om du vill utesluta någon mapp "
                       "från att återställas, markerar du den och trycker Delete på "
                       "tangentbordet."));
    Label7->setWordWrap(true);
    Label7->setGeometry(120 / kTwip, 120 / kTwip, 5535 / kTwip, 495 / kTwip);
    List1 = platform::named<QListWidget>(this, "List1");
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List1->setUniformItemSizes(true);
    List1->move(120 / kTwip, 720 / kTwip);
    Label7->setBuddy(List1);
    List1->setAccessibleName(QStringLiteral("Mappar"));
    cmdtabort = platform::namedButton(this, "cmdtabort", QStringLiteral("Ta bort markerade mappar"));
    cmdtabort->setGeometry(120 / kTwip, 0, std::max(2415 / kTwip, cmdtabort->sizeHint().width()),
                           495 / kTwip);
    cmdavbryt = platform::namedButton(this, "cmdavbryt", QStringLiteral("Avbryt"));
    cmdavbryt->resize(1335 / kTwip, 495 / kTwip);
    platform::setCancelButton(cmdavbryt, true); // Escape leaves the wizard's list as it was
    cmdok = platform::namedButton(this, "cmdok", QStringLiteral("OK"));
    cmdok->resize(1335 / kTwip, 495 / kTwip);
    setMinimumSize(6000 / kTwip, 5000 / kTwip);
    resize(10500 / kTwip, 6975 / kTwip);
    Form_Resize();
    List1->installEventFilter(this);
    connect(cmdtabort, &QPushButton::clicked, this, [this] { cmdtabort_Click(); });
    connect(cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    Form_Load();
}

void frmåterställ2::Form_Load() {
    setWindowIcon(platform::icon(platform::Picture::Backup));
    if (const QScreen* s = screen()) {
        const QRect r = s->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
}

void frmåterställ2::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmåterställ2::Form_Resize() {
    const int w = width() * kTwip, h = height() * kTwip;
    // The instruction takes the list's width: two lines of today's fonts need more than its old box.
    Label7->setGeometry(120 / kTwip, 60 / kTwip, (w - 405) / kTwip, 660 / kTwip);
    List1->resize((w - 405) / kTwip, (h - 1905) / kTwip);
    cmdavbryt->move((w - 3060) / kTwip, (h - 1125) / kTwip);
    cmdok->move((w - 1620) / kTwip, (h - 1125) / kTwip);
    cmdtabort->move(cmdtabort->x(), (h - 1125) / kTwip);
}

void frmåterställ2::removeSelected() {
    for (int i = List1->count() - 1; i >= 0; --i)
        if (List1->item(i)->isSelected())
            delete List1->takeItem(i);
}

void frmåterställ2::cmdtabort_Click() {
    removeSelected();
}

void frmåterställ2::List1_KeyUp(int keyCode) {
    if (keyCode == 46)
        removeSelected();
}

bool frmåterställ2::eventFilter(QObject* watched, QEvent* e) {
    if (watched == List1 && e->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete)
        List1_KeyUp(46);
    return QWidget::eventFilter(watched, e);
}

void frmåterställ2::cmdok_Click() {
    QStringList rest;
    rest.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        rest << List1->item(i)->text();
    if (takeOver)
        takeOver(rest);
    close();
}

void frmåterställ2::cmdavbryt_Click() {
    close();
}
