// The steps of the run that the copy engine carries out.
#include "run/run_driver.h"

#include "run/copy_engine.h"

void RunDriver::provskriv_tillbackupmapp() {
    e_.provskriv_tillbackupmapp();
    view_.showCounters();
}

void RunDriver::räknaallajobbfiler() {
    e_.räknaallajobbfiler();
}

void RunDriver::skapamappar() {
    e_.skapamappar();
}

void RunDriver::file_copy(int k, const platform::OpenedFolder& source) {
    e_.file_copy(k, source);
}
