#pragma once
#include <QString>

// The programs around a job: closing those of the close list before the job's files are copied,
// opening those of the start list after the job.
namespace JobPrograms {

// Entries of a program list (" ;; "-separated); a text that ends with the separator yields no
// empty last entry.
QStringList entries(const QString& list);

// Whether a close-list entry is also looked up as an executable name. Entries naming an ".exe"
// are, as are single words (Linux executables carry no ending); a window title with blanks only
// closes that window.
bool endsProcesses(const QString& entry);

// Closes the windows and ends the processes of `list` (txtprogramstopp).
void stäng_program_före_backup(const QString& list);
// Opens every non-empty entry of `list` (txtprogramstart) and logs it.
void starta_program_efter_backup(const QString& list);

} // namespace JobPrograms
