#pragma once
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

} // namespace testutil
