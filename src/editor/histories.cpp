// The five drop-down history lists of the job editor.
#include "editor/job_editor_window.h"

void frmaddmapp::öppna_listval() {}
void frmaddmapp::spara_listval() {}
