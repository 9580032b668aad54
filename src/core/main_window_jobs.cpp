// Job groups, the job list and the current-job record of the main window.
#include "core/main_window.h"
#include "core/program.h"

#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>

void frmmain::createJobControls() {
    comboinställningar = new QComboBox(centralWidget());
    comboinställningar->setObjectName(QStringLiteral("comboinställningar"));
    comboinställningar->hide();
    listinställningar = new QListWidget(centralWidget());
    listinställningar->setObjectName(QStringLiteral("listinställningar"));
    combomappar_list = new QListWidget(centralWidget());
    combomappar_list->setObjectName(QStringLiteral("combomappar"));
    for (int i = 0; i < 4; ++i) {
        optarkiv[i] = new QRadioButton(centralWidget());
        optarkiv[i]->setObjectName(QStringLiteral("optarkiv%1").arg(i));
    }
}

void frmmain::cmdload_Click() {}

void frmmain::comboinställningar_Click() {}

void frmmain::töm_datafält() { static_cast<CurrentJobRecord&>(*this) = CurrentJobRecord{}; }

int frmmain::combomapparIndex() const { return combomappar_list ? combomappar_list->currentRow() : -1; }

void frmmain::setCombomapparIndex(int i) {
    if (combomappar_list)
        combomappar_list->setCurrentRow(i);
}

void frmmain::open_setup() {}

void frmmain::open_setup_snabbstartsväljaren() {}

void frmmain::informera_versionen() {}
