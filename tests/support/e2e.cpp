#include "support/e2e.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

namespace testutil {

RunResult runProgram(const QString& programFolder, const QStringList& arguments, int timeoutMs) {
    const QString exe = programFolder + QStringLiteral("/tamrel-backup");
    if (!QFile::exists(exe)) {
        QFile::copy(QStringLiteral(TAMREL_EXECUTABLE), exe);
        QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner | QFile::ExeUser);
    }
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    proc.setProcessEnvironment(env);
    proc.setProcessChannelMode(QProcess::MergedChannels);
    proc.start(exe, arguments);
    RunResult r;
    if (!proc.waitForFinished(timeoutMs)) {
        proc.kill();
        proc.waitForFinished();
        r.output = QString::fromLocal8Bit(proc.readAll());
        return r;
    }
    r.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
    r.output = QString::fromLocal8Bit(proc.readAll());
    return r;
}

} // namespace testutil
