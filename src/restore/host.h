#pragma once
#include <QString>
#include <QStringList>

struct CurrentJobRecord;

// What the restore needs of the main window and the current-job record, in one place.
namespace restorehost {

// Selects job `index` of the job list, which loads it into the current-job record.
void selectJob(int index);
// The current-job record.
const CurrentJobRecord& currentJob();
// A system-log line (line break, date and time, two blanks, the text).
void systemLog(const QString& text);
// Turns the program-log label red: an error line was written.
void markProgramLogError();

} // namespace restorehost
