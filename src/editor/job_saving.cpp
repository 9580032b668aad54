// Saving a job from the editor: the checks, the backup folder, the job file set.
#include "editor/job_editor_window.h"

#include "core/program.h"

#include <QComboBox>

void frmaddmapp::cmdok_Click() {}
void frmaddmapp::ok_spara() {}
void frmaddmapp::ok_spara_ordnafilterlistor() {}
int frmaddmapp::skapa_backupmapp_om_saknas(const QString&) {
    return 0;
}
void frmaddmapp::cmdväljmapp_Click() {}
void frmaddmapp::txtbackupmapp_OLEDragDrop(const QStringList&) {}
void frmaddmapp::optsökvägtyp_Click(int) {}
void frmaddmapp::txtnamn_Change() {}
void frmaddmapp::txtnamn_Click() {}
bool frmaddmapp::newMode() const {
    return isVisible() && caption().startsWith(QLatin1String("Ny"));
}
void frmaddmapp::showNotice(const QString&) {}
