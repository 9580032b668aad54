#pragma once
#include "scheduler/schedule_files.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace schedule {

// What the next-run computation reads.
struct NextRunInput {
    bool schedulerOn = false;
    bool common = false;   // the common setting is the mode
    QString commonTime;    // the common time as the editor holds it
    Days commonDays{};     // the common days
    int selectedJobs = 0;  // jobs chosen for the common setting
    QStringList entries;   // per-job schedule entries (Entry::text)
    QStringList jobNames;  // the main window's job list, entry i = job i
    int scheduledJobs = 0; // jobs listed as scheduled (per-job mode)
    QDateTime now;
};

// What the scheduler panel shows while waiting, and when the next run is due.
struct NextRunView {
    bool computed = false; // false: scheduling is off, only the reset applies
    QString status = QStringLiteral("Väntar");
    QString nextRun = QStringLiteral("--");
    QString count = QStringLiteral("--");
    QString statusLine;        // the main status line; empty leaves it as it is
    QString dueText;           // "yyyy-mm-dd hh:mm:00" for a run later today, else empty
    QDateTime due;             // the same moment; invalid when no countdown runs
    int selectedEntry = -1;    // the per-job entry named as next when it is not today
    bool nothingToRun = false; // no job, no day or no readable time: switch off
    QStringList listsortering; // the sorted work list of the per-job computation
};

// The next-run computation of the scheduler panel.
NextRunView visaväntarnästakörning(const NextRunInput& in);

} // namespace schedule
