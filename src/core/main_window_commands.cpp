// Commands, toolbar and menus of the main window.
#include "core/main_window.h"
#include "core/program.h"

void frmmain::createCommandControls() {}


