// The steps of the run that the engine classes carry out.
#include "run/run_driver.h"

#include "run/backup_window.h"

void RunDriver::provskriv_tillbackupmapp() {}
void RunDriver::räknaallajobbfiler() {
    w_.lblprocent3_Tag = QStringLiteral("1");
}
void RunDriver::skapamappar() {}
void RunDriver::file_copy(int k) {
    Q_UNUSED(k);
}
