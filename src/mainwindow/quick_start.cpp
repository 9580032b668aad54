#include "mainwindow/quick_start.h"

#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/icons.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace {
constexpr int kCellWidth = 166;
constexpr int kCellHeight = 128;
constexpr int kButtonWidth = 156;
constexpr int kButtonHeight = 76;
constexpr int kInnerWidth = 3 * kCellWidth;
constexpr int kInnerHeight = 2 * kCellHeight + 52;
} // namespace

QuickStartPanel::QuickStartPanel(QWidget* parent, Actions actions)
    : QGroupBox(QStringLiteral("Snabbstartsväljaren"), parent), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("framesnabbstart"));
    setAutoFillBackground(true); // it hides what lies below it

    framesnabbstart2 = new QFrame(this);
    framesnabbstart2->setObjectName(QStringLiteral("framesnabbstart2"));
    framesnabbstart2->resize(kInnerWidth, kInnerHeight);

    struct Cell {
        QToolButton** button;
        const char* name;
        const char* caption;
        QLabel** label;
        const char* labelName;
        const char* explanation;
        platform::Picture picture;
        void (QuickStartPanel::*click)();
    };
    const Cell cells[] = {
        {&cmdsnabbnytt, "cmdsnabbnytt", "Nytt", &Label18, "Label18", "Skapa ett nytt jobb",
         platform::Picture::New, &QuickStartPanel::cmdsnabbnytt_Click},
        {&cmdsnabbbackup, "cmdsnabbbackup", "Utför backup", &Label20, "Label20",
         "Kör säkerhetskopiering på de jobb du väljer", platform::Picture::Run,
         &QuickStartPanel::cmdsnabbbackup_Click},
        {&cmdsnabbsynk, "cmdsnabbsynk", "Mappkopiering", &Label21, "Label21",
         "Synkronisera två mappar med varandra", platform::Picture::Sync,
         &QuickStartPanel::cmdsnabbsynk_Click},
        {&cmdsnabbåterställ, "cmdsnabbåterställ", "Återställ", &Label23, "Label23",
         "Återställ filer från en säkerhetskopia", platform::Picture::Restore,
         &QuickStartPanel::cmdsnabbåterställ_Click},
        {&cmdsnabbschema, "cmdsnabbschema", "Aktivera schemaläggning", &Label24, "Label24",
         "Aktivera den schemalagda säkerhetskopieringen", platform::Picture::Schedule,
         &QuickStartPanel::cmdsnabbschema_Click},
        {&cmdsnabbmain, "cmdsnabbmain", "Visa huvudfönstret", &Label25, "Label25",
         "Stäng snabbstartsväljaren och visa huvudfönstret", platform::Picture::About,
         &QuickStartPanel::cmdsnabbmain_Click},
    };
    for (int i = 0; i < 6; ++i) {
        const Cell& c = cells[i];
        const int x = (i % 3) * kCellWidth;
        const int y = (i / 3) * kCellHeight;
        auto* b = new QToolButton(framesnabbstart2);
        b->setObjectName(QString::fromUtf8(c.name));
        b->setText(QString::fromUtf8(c.caption));
        b->setIcon(platform::icon(c.picture));
        b->setIconSize(QSize(40, 40));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setGeometry(x + (kCellWidth - kButtonWidth) / 2, y, kButtonWidth, kButtonHeight);
        auto* l = new QLabel(QString::fromUtf8(c.explanation), framesnabbstart2);
        l->setObjectName(QString::fromUtf8(c.labelName));
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        l->setGeometry(x + 4, y + kButtonHeight + 4, kCellWidth - 8, kCellHeight - kButtonHeight - 10);
        b->setAccessibleDescription(l->text());
        *c.button = b;
        *c.label = l;
        const auto click = c.click;
        connect(b, &QToolButton::clicked, this, [this, click] { (this->*click)(); });
    }

    chksnabbstart_nästauppstart =
        new QCheckBox(QStringLiteral("Visa snabbstartsväljaren även vid nästa uppstart"), framesnabbstart2);
    chksnabbstart_nästauppstart->setObjectName(QStringLiteral("chksnabbstart_nästauppstart"));
    chksnabbstart_nästauppstart->setChecked(true);
    chksnabbstart_nästauppstart->setGeometry(4, 2 * kCellHeight + 8, kInnerWidth - 124, 22);
    connect(chksnabbstart_nästauppstart, &QCheckBox::clicked, this,
            [this] { chksnabbstart_nästauppstart_Click(); });

    auto* link = new platform::ClickLabel(QStringLiteral("Inställningar"), framesnabbstart2);
    lblsnabbinställningar = link;
    link->setObjectName(QStringLiteral("lblsnabbinställningar"));
    link->setAccessibleName(link->text());
    link->setCursor(Qt::PointingHandCursor);
    link->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    link->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    link->setGeometry(kInnerWidth - 114, 2 * kCellHeight + 8, 110, 22);
    link->onClick = [this] { lblsnabbinställningar_Click(); };

    if (parent)
        setGeometry(parent->rect());
    show(); // shown until told otherwise, and raised only when shown again after that
}

QList<QWidget*> QuickStartPanel::readingOrder() const {
    return {cmdsnabbnytt,
            cmdsnabbbackup,
            cmdsnabbsynk,
            cmdsnabbåterställ,
            cmdsnabbschema,
            cmdsnabbmain,
            chksnabbstart_nästauppstart,
            lblsnabbinställningar};
}

void QuickStartPanel::resizeEvent(QResizeEvent* e) {
    QGroupBox::resizeEvent(e);
    framesnabbstart2->move(std::max(0, (width() - framesnabbstart2->width()) / 2),
                           std::max(0, (height() - framesnabbstart2->height()) / 2));
}

bool QuickStartPanel::event(QEvent* e) {
    // Shown, it lies over the main window's contents, also those made after it. The window shown
    // again (from the tray) leaves the panels as they lie: the scheduler's may lie over this one.
    if (e->type() == QEvent::ShowToParent)
        raise();
    return QGroupBox::event(e);
}

void QuickStartPanel::showEvent(QShowEvent* e) {
    QGroupBox::showEvent(e);
    // The keyboard starts on the panel, not on the controls it lies over, unless another panel
    // lies over it.
    const QWidget* focused = window()->focusWidget();
    if ((focused && isAncestorOf(focused) && focused->isEnabled()) || framesnabbstart2->isHidden())
        return;
    for (QWidget* w : readingOrder())
        if (w->isEnabled()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
}

// The five task buttons run the main window's command and leave the panel where it is.
void QuickStartPanel::cmdsnabbnytt_Click() {
    if (actions_.newJob)
        actions_.newJob();
}

void QuickStartPanel::cmdsnabbbackup_Click() {
    if (actions_.backup)
        actions_.backup();
}

void QuickStartPanel::cmdsnabbsynk_Click() {
    if (actions_.folderSync)
        actions_.folderSync();
}

void QuickStartPanel::cmdsnabbåterställ_Click() {
    if (actions_.restore)
        actions_.restore();
}

void QuickStartPanel::cmdsnabbschema_Click() {
    if (actions_.schedule)
        actions_.schedule();
}

void QuickStartPanel::cmdsnabbmain_Click() {
    hide();
}

void QuickStartPanel::chksnabbstart_nästauppstart_Click() {
    if (actions_.keepAtStart)
        actions_.keepAtStart(chksnabbstart_nästauppstart->isChecked());
}

void QuickStartPanel::lblsnabbinställningar_Click() {
    if (actions_.settings)
        actions_.settings();
}

namespace quickstart {

std::optional<bool> settingFromLines(const QStringList& lines) {
    if (lines.size() < 8)
        return std::nullopt;
    bool ok = false;
    const int v = lines.at(7).trimmed().toInt(&ok);
    if (!ok)
        platform::throwError(13);
    return v != 0;
}

} // namespace quickstart
