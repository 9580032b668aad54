// Commands, toolbar and menus of the main window.
#include "core/main_window.h"
#include "core/program.h"

void frmmain::cmdny_Click() {}

void frmmain::cmdändra_Click() {}

void frmmain::cmdtabort_Click() {}

void frmmain::ändra_inställning() {}

void frmmain::uppdatera_huvudmappar() {}
