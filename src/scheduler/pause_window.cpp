#include "scheduler/pause_window.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/icons.h"
#include "platform/vb.h"
#include "platform/widgets.h"
#include "run/run_status.h"
#include "scheduler/host.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

frmpaus::frmpaus() {
    setObjectName(QStringLiteral("frmpaus"));
    setWindowTitle(QStringLiteral("Paus"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(340, 170);
    Image1 = platform::namedLabel(this, "Image1");
    Image1->setPixmap(platform::picture(platform::Picture::Schedule, 48));
    Image1->setGeometry(12, 14, 48, 48);
    Option1 = platform::named<QRadioButton>(this, "Option1", QStringLiteral("Fortsätt om..."));
    Option1->setGeometry(72, 12, 130, 24);
    Option1->setChecked(true);
    Combo1 = platform::named<QComboBox>(this, "Combo1");
    Combo1->setGeometry(206, 12, 90, 24);
    Combo1->setToolTip(QStringLiteral("Fortsätt om..."));
    Option2 = platform::named<QRadioButton>(this, "Option2",
                                            QStringLiteral("Fortsätt när jag trycker på Fortsätt"));
    Option2->setGeometry(72, 42, 260, 24);
    lbltidkvar = platform::namedLabel(this, "lbltidkvar");
    lbltidkvar->setGeometry(72, 76, 260, 22);
    Command1 = platform::namedButton(this, "Command1", QStringLiteral("Fortsätt"));
    Command1->setGeometry(340 - 112, 170 - 40, 100, 28);
    Command1->setDefault(true);
    platform::setCancelButton(Command1, true); // Escape ends the pause like "Fortsätt"
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60000);

    QObject::connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
    QObject::connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    QObject::connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    QObject::connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    // Form_Load
    schedulerhost::systemLog(QStringLiteral("Pause"));
    for (int m = 5; m <= 120; m += 5)
        Combo1->addItem(QString::number(m) + QStringLiteral(" min"));
    Combo1->setCurrentIndex(0);
    Timer1->start();
}

void frmpaus::Combo1_Click() {
    if (!Option1->isChecked())
        return;
    lbltid = QString::number(platform::valInt(Combo1->currentText()));
    lbltidkvar->setText(QStringLiteral("Fortsätter om ") + lbltid + QStringLiteral(" min"));
    lbltidkvar->show();
}

void frmpaus::Option1_Click() {
    Combo1_Click();
    Timer1->start();
}

void frmpaus::Option2_Click() {
    lbltidkvar->hide();
    Timer1->start();
}

void frmpaus::Timer1_Timer() {
    if (!Option1->isChecked())
        return;
    lbltid = QString::number(platform::valInt(lbltid) - 1);
    lbltidkvar->setText(QStringLiteral("Fortsätter om ") + lbltid + QStringLiteral(" min"));
    if (platform::valInt(lbltid) <= 0)
        Form_Unload();
}

void frmpaus::Command1_Click() {
    Form_Unload();
}

void frmpaus::closeEvent(QCloseEvent* e) {
    e->ignore();
    Form_Unload();
}

void frmpaus::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1->stop();
    schedulerhost::systemLog(QStringLiteral("Fortsätter"));
    program().unload<frmpaus>();
}

void frmpaus::pausa() {
    // A pause already shown holds the run; a second one would only stack on it.
    if (frmpaus* open = program().loaded<frmpaus>(); open && open->isVisible())
        return;
    frmpaus* w = program().form<frmpaus>();
    runstatus::centreOverRunWindow(w);
    program().dialogs.showModal(w);
}
