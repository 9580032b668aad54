#pragma once
#include <QString>
#include <QStringList>

namespace testutil {

struct RunResult {
    int exitCode = -1;
    QString output;
};

// Copies the built executable into `programFolder` and runs it there with `arguments`
// under the offscreen platform; waits at most `timeoutMs`.
RunResult runProgram(const QString& programFolder, const QStringList& arguments, int timeoutMs = 120000);

} // namespace testutil
