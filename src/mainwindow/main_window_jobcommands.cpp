// The main window's commands for a new job, editing a job and deleting a job.
#include "core/job_files.h"
#include "core/module1.h"
#include "core/program.h"
#include "editor/excluded_folders.h"
#include "editor/job_editor_window.h"
#include "mainwindow/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace {

// A fresh editor for this opening: one left loaded by an earlier use is unloaded first. Returns
// nullptr when the loaded editor is busy saving.
frmaddmapp* freshEditor() {
    if (frmaddmapp* old = program().loaded<frmaddmapp>()) {
        if (old->saving())
            return nullptr;
        program().unload<frmaddmapp>();
    }
    return program().form<frmaddmapp>();
}

// Shows the editor modally; afterwards nothing of this opening stays loaded.
void showEditor(frmaddmapp* editor) {
    program().dialogs.showModal(editor);
    if (program().loaded<frmaddmapp>() == editor && !editor->saving())
        program().unload<frmaddmapp>();
}

} // namespace

void frmmain::cmdny_Click() {
    program().schema_avstängt = 0;
    frmaddmapp* e = freshEditor();
    if (!e)
        return;
    e->setCaption(QStringLiteral("Nytt jobb"));
    e->lbljobbnamn->setText(QStringLiteral("[namnlös]"));
    e->listexfiler->addItem(QStringLiteral("Thumbs.db"));
    try {
        for (int i = 1; i <= 99; ++i) {
            const QString name = QStringLiteral("Backup ") + QString::number(i);
            if (!JobFiles(name).exists()) {
                e->txtnamn->setEditText(name);
                break;
            }
        }
    } catch (...) {
        // The editor opens even when the name search fails.
    }
    showEditor(e);
}

void frmmain::cmdändra_Click() {
    program().schema_avstängt = 0;
    if (comboinställningar->currentIndex() == -1)
        return;
    if (program().loaded<frmaddmapp>() && program().loaded<frmaddmapp>()->saving())
        return;
    program().unload<frmaddmapp>();
    ändra_inställning();
    frmaddmapp* e = program().form<frmaddmapp>();
    e->setCaption(QStringLiteral("Ändra jobb"));
    showEditor(e);
}

void frmmain::ändra_inställning() {
    program().schema_avstängt = 0;
    if (comboinställningar->currentIndex() == -1)
        return;
    frmaddmapp* e = program().form<frmaddmapp>();
    try {
        e->combomappar->addItems(record().combomappar);
        e->lstFoundFiles->addItems(record().listmappar);
        e->listexmappar += record().listexmappar;
        e->cmdexmappar->setText(excludedFoldersCaption(int(e->listexmappar.size())));

        e->txtbackupmapp->setEditText(record().txtbackupmapp);
        e->txtnamn->setEditText(comboinställningar->currentText());
        e->txtpattern.setText(record().txtpattern);
        e->txtexpattern.setText(record().txtexpattern);
        e->txtexfiler.setText(record().txtexfiler);
        e->txtexmb->setText(record().txtexmb);
        e->txtmappfilter.setText(record().txtmappfilter);
        e->txtstartstopp_stopp.setText(record().txtprogramstopp);
        e->txtstartstopp_start.setText(record().txtprogramstart);

        // An existing job gets a new name only through the rename button.
        e->cmdbytnamn->setVisible(true);
        e->txtnamn->setEnabled(false);
        e->lblCount2->setText(QString::number(e->lstFoundFiles->count()));

        e->chkuppdateramappar->setChecked(record().lblmappuppdatering == QLatin1String("JA"));
        e->chksynkroniseraej->setChecked(record().txtsynkroniseraej == QLatin1String("JA"));
        e->chkabsolutsökväg_huvudmapp->setChecked(record().txtabsolutsökväg_huvudmapp == QLatin1String("JA"));
        e->chkignorerasaknadenhet->setChecked(record().txtignorerasaknadenhet == QLatin1String("JA"));
        e->optsökvägtyp[record().txtsökvägtyp == QLatin1String("1") ? 1 : 0]->setChecked(true);
        if (e->combomappar->count() > 0)
            e->combomappar->setCurrentRow(0);

        // The box comes before the version folder: ticking it proposes a folder that the stored
        // one then replaces.
        e->chkversionshantering->setChecked(record().txtversionshantering != QLatin1String("NEJ"));
        e->txtversionpattern.setText(record().txtversionpattern);
        e->txtversion_mb->setText(record().txtversion_mb);
        e->txtversionmax->setText(record().txtversionmax);
        e->txtversionmapp->setText(record().txtversionmapp);
    } catch (const platform::RunError& err) {
        Module1::logga_meddelande(err, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Main, ändra jobb"));
    }
}

void frmmain::cmdtabort_Click() {
    program().schema_avstängt = 0;
    if (comboinställningar->currentIndex() == -1)
        return;
    const QString name = comboinställningar->currentText();
    if (program().dialogs.msgBox(QStringLiteral("Vill du ta bort det här jobbet (") + name +
                                     QStringLiteral(")?"),
                                 platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                                 QStringLiteral("Ta bort")) != platform::Answer::Yes)
        return;
    try {
        JobFiles(name).remove(9);
    } catch (const platform::RunError& err) {
        Module1::logga_meddelande(err, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Main, ta bort jobb"));
        return;
    }
    comboinställningar->clear();
    listinställningar->clear();
    töm_datafält();
    cmdload_Click();
}
