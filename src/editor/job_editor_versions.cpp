// The versioning page of the job editor.
#include "core/module1.h"
#include "core/program.h"
#include "editor/job_editor_window.h"
#include "editor/job_lists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

void frmaddmapp::connectVersionControls() {
    // Also runs when code sets the box, as the main window does when it fills the editor.
    QObject::connect(chkversionshantering, &QCheckBox::toggled, this,
                     [this] { chkversionshantering_Click(); });
    QObject::connect(cmdversionmapp, &QPushButton::clicked, this, [this] { cmdversionmapp_Click(); });
    QObject::connect(cmdversionpatternplus, &QPushButton::clicked, this,
                     [this] { cmdversionpatternplus_Click(); });
    acceptDrops(txtversionmapp, [this](const QStringList& paths) { txtversionmapp_OLEDragDrop(paths); });
    onLostFocus(txtversion_mb, [this] { txtversion_mb_LostFocus(); });
    onLostFocus(txtversionmax, [this] { txtversionmax_LostFocus(); });
}

void frmaddmapp::chkversionshantering_Click() {
    if (!chkversionshantering->isChecked()) {
        // The hidden values stay and are saved with the job.
        Frameversionshantering->hide();
        return;
    }
    Frameversionshantering->show();
    if (txtversionmapp->text().isEmpty())
        txtversionmapp->setText(joblists::defaultVersionFolder(txtbackupmapp->currentText()));
}

void frmaddmapp::cmdversionmapp_Click() {
    txtversionmapp->setText(bläddra_efter_mapp(
        0, 0x150, QStringLiteral("Leta upp mappen du vill spara dina filversioner i, och klicka på Välj"),
        txtversionmapp->text()));
}

void frmaddmapp::txtversionmapp_OLEDragDrop(const QStringList& paths) {
    if (paths.isEmpty()) {
        Module1::logga_meddelande(5, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Versionsmapp, drag n drop"));
        return;
    }
    txtversionmapp->setText(paths.first());
}

void frmaddmapp::cmdversionpatternplus_Click() {
    const QString answer =
        program().dialogs.inputBox(QStringLiteral("Fyll i filtypen du vill inkludera, exempelvis 'jpg'"),
                                   QStringLiteral("Inkludera filtyp"));
    if (answer.isEmpty())
        return;
    const QString refusal = joblists::versionTypeRefusal(answer);
    if (!refusal.isEmpty()) {
        Module1::logga_meddelande(0, -1, refusal, QString());
        return;
    }
    listversionpattern->addItem(answer);
}

void frmaddmapp::txtversion_mb_LostFocus() {
    txtversion_mb->setText(joblists::normalisedSizeText(txtversion_mb->text()));
}

void frmaddmapp::txtversionmax_LostFocus() {
    txtversionmax->setText(joblists::normalisedCountText(txtversionmax->text()));
}
