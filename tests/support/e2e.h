#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>

namespace testutil {

struct RunResult {
    int exitCode = -1;
    QString output; // standard output, then standard error
    QString errors; // standard error alone
};

// Copies the built executable into `programFolder` and runs it there with `arguments`
// under the offscreen platform; waits at most `timeoutMs`.
RunResult runProgram(const QString& programFolder, const QStringList& arguments, int timeoutMs = 120000);

// Makes `folder` a program folder as after the first start (every setting off, no readme shown),
// with the scheduler switched on at start-up when `startActivated`, and copies the built
// executable into it. Returns the executable's path.
QString programFolderForStart(const QString& folder, bool startActivated);

// The executable of `programFolder` (programFolderForStart), started without arguments on the X
// display `display`, its standard error forwarded; killed when the object goes if it still runs.
class ProgramOnDisplay {
  public:
    ProgramOnDisplay(const QString& programFolder, const QString& display);
    ~ProgramOnDisplay();
    ProgramOnDisplay(const ProgramOnDisplay&) = delete;
    ProgramOnDisplay& operator=(const ProgramOnDisplay&) = delete;
    QProcess process;
};

} // namespace testutil
