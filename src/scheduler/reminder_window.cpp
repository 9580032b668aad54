#include "scheduler/reminder_window.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/icons.h"
#include "platform/widgets.h"
#include "run/run_status.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

frmbackuppåminnelse::frmbackuppåminnelse() {
    setObjectName(QStringLiteral("frmbackuppåminnelse"));
    setWindowTitle(QStringLiteral("Påminnelse om schemalagd backup"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    // On top of every other window, without moving or resizing it.
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setFixedSize(380, 150);
    Picture1 = platform::namedLabel(this, "Picture1");
    Picture1->setPixmap(platform::picture(platform::Picture::Schedule, 48));
    Picture1->setGeometry(12, 16, 48, 48);
    QFont arial(QStringLiteral("Arial"));
    Label1 = platform::namedLabel(this, "Label1", QStringLiteral("Tamrel Backup"));
    QFont bold = arial;
    bold.setBold(true);
    bold.setPointSize(11);
    Label1->setFont(bold);
    Label1->setGeometry(72, 12, 296, 22);
    lbltid = platform::namedLabel(this, "lbltid", QStringLiteral("Backup startar om ungefär 15 min"));
    lbltid->setFont(arial);
    lbltid->setGeometry(72, 40, 296, 22);
    Label2 = platform::namedLabel(
        this, "Label2", QStringLiteral("(Detta fönster stängs automatiskt en minut innan backup startar)"));
    Label2->setWordWrap(true);
    Label2->setGeometry(72, 66, 296, 36);
    Command1 = platform::namedButton(this, "Command1", QStringLiteral("OK"));
    Command1->setGeometry(380 - 100, 150 - 38, 88, 28);
    Command1->setDefault(true);
    platform::setCancelButton(Command1, true); // Escape closes like "OK"
    QObject::connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmbackuppåminnelse::setLbltid(const QString& text) {
    if (lbltid->text() == text)
        return;
    lbltid->setText(text);
    lbltid_Change();
}

void frmbackuppåminnelse::lbltid_Change() {
    if (lbltid->text().contains(QStringLiteral("ungefär 1 min")))
        program().unload<frmbackuppåminnelse>();
}

void frmbackuppåminnelse::Command1_Click() {
    hide();
    program().unload<frmbackuppåminnelse>();
}

void frmbackuppåminnelse::setCountdown(const QString& text) {
    program().form<frmbackuppåminnelse>()->setLbltid(text);
}

void frmbackuppåminnelse::showReminder() {
    frmbackuppåminnelse* w = program().form<frmbackuppåminnelse>();
    runstatus::centreOverRunWindow(w);
    w->show();
    w->raise();
}

void frmbackuppåminnelse::closeReminder() {
    program().unload<frmbackuppåminnelse>();
}
