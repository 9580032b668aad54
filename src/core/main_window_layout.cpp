// Layout, geometry file, tray click and button locking of the main window.
#include "core/main_window.h"
#include "core/program.h"

void frmmain::createLayoutControls() { resize(640, 480); }

void frmmain::open_windowsize_main() {}

void frmmain::spara_windowsize_main() {}

void frmmain::TrayIcon1_MouseDown() {
    showNormal();
    raise();
    activateWindow();
}

void frmmain::knappar_lås() {}

void frmmain::knappar_låsupp() {}
