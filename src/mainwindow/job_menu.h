#pragma once

// The job menu's "Duplicera jobb...", "Kopiera jobb till grupp" and the settings window's
// "Exportera", for the job selected in the main window and its job group.
namespace jobmenu {

void mnuduplicera_Click();
// Copies the selected job into job group `index` + 1.
void mnugrupp_Click(int index);
void cmdexport_Click();

} // namespace jobmenu
