#include "support/e2e.h"

#include "support/fixture.h"

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
    proc.start(exe, arguments);
    RunResult r;
    if (proc.waitForFinished(timeoutMs)) {
        r.exitCode = proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -1;
    } else {
        proc.kill();
        proc.waitForFinished();
    }
    r.errors = QString::fromUtf8(proc.readAllStandardError());
    r.output = QString::fromUtf8(proc.readAllStandardOutput()) + r.errors;
    return r;
}

QString programFolderForStart(const QString& folder, bool startActivated) {
    QStringList settings;
    for (int i = 0; i < 19; ++i)
        settings << (i == 2 && startActivated ? QStringLiteral(" 1 ") : QStringLiteral(" 0 "));
    writeLines(folder + QStringLiteral("/programalternativ.ini"), settings);
    writeLines(folder + QStringLiteral("/setup_api.ini"), {QStringLiteral(" 0 ")});
    writeFile(folder + QStringLiteral("/readme700.dat"), "");
    const QString exe = folder + QStringLiteral("/tamrel-backup");
    QFile::copy(QStringLiteral(TAMREL_EXECUTABLE), exe);
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
    return exe;
}

ProgramOnDisplay::ProgramOnDisplay(const QString& programFolder, const QString& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(programFolder + QStringLiteral("/tamrel-backup"), {});
}

ProgramOnDisplay::~ProgramOnDisplay() {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
}

} // namespace testutil
