#include "logview/update_window.h"

#include <QTimer>

frmuppdatera::frmuppdatera() {
    setObjectName(QStringLiteral("frmuppdatera"));
    setWindowTitle(QStringLiteral("Uppdatera"));
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(false);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void frmuppdatera::Timer1_Timer() {
    Timer1->stop();
    if (cmdsökuppdatering_Tag == QLatin1String("1"))
        return;
    cmdsökuppdatering_Tag = QStringLiteral("1");
    cmdsökuppdatering_Click();
}

// The update search is built with the log viewer and updates.
void frmuppdatera::cmdsökuppdatering_Click() {}
