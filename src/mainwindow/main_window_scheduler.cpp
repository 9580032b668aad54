// The scheduler panel of the main window.
#include "core/program.h"
#include "mainwindow/main_window.h"

#include <QCheckBox>

void frmmain::createSchedulerControls() {
    chkaktiveraschema = new QCheckBox(QStringLiteral("Aktivera schemaläggning"), centralWidget());
    chkaktiveraschema->setObjectName(QStringLiteral("chkaktiveraschema"));
    chkaktiveraschema->hide();
}

void frmmain::visa_senaste_backup() {}
