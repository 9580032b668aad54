// Procedures of the backup window that the run calls and that belong to the result windows,
// the mirroring and the programs around a job. They stay empty until those parts exist.
#include "run/backup_window.h"

void frmutförbackup::stäng_program_före_backup() {}
void frmutförbackup::starta_program_efter_backup() {}
void frmutförbackup::sync_förbered() {}
void frmutförbackup::visa_popup_schema() {}
void frmutförbackup::visa_syncfilermappar() {}
void frmutförbackup::spara_syncschemalista_till_fil() {}
void frmutförbackup::visa_simulerad_backup() {}
void frmutförbackup::visa_klarbackup() {}
void frmutförbackup::visa_procent(bool show) { Q_UNUSED(show); }
