#include "run/backup_window.h"

#include "core/program.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

frmutförbackup::frmutförbackup() {
    setObjectName(QStringLiteral("frmutförbackup"));
    setWindowTitle(QStringLiteral("Utför backup"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    chksync = new QCheckBox(QStringLiteral("Spegla"), this);
    chksync->setObjectName(QStringLiteral("chksync"));
    chksyncsimulera = new QCheckBox(QStringLiteral("Simulera spegling"), this);
    chksyncsimulera->setObjectName(QStringLiteral("chksyncsimulera"));
    cmdkörbackup = new QPushButton(QStringLiteral("Utför backup"), this);
    cmdkörbackup->setObjectName(QStringLiteral("cmdkörbackup"));
    txtloggtext = new QPlainTextEdit(this);
    txtloggtext->setObjectName(QStringLiteral("txtloggtext"));
    txtbackup = new QLineEdit(this);
    txtbackup->setObjectName(QStringLiteral("txtbackup"));
    lblantalmappar = new QLabel(this);
    lblantalmappar->setObjectName(QStringLiteral("lblantalmappar"));
}

frmutförbackup::~frmutförbackup() = default;

bool frmutförbackup::runGoingOn() const { return !cmdkörbackup->isEnabled(); }

void frmutförbackup::commandline() {
    setCaption(QStringLiteral("commandline"));
    cmdkörbackup_Click();
}

void frmutförbackup::backupdirekt() { cmdkörbackup_Click(); }

void frmutförbackup::cmdkörbackup_Click() {}
