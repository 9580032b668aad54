#include "foldersync/host.h"

#include "core/program.h"
#include "run/run_status.h"

namespace synchost {

void systemLog(const QString& text) {
    program().systemLog().append(text);
}

void systemLogLines(const QStringList& lines) {
    QString raw;
    for (const QString& l : lines)
        raw += QStringLiteral("\r\n") + l;
    program().systemLog().appendRaw(raw);
}

void systemLogError(const QString& text) {
    systemLog(text);
    markProgramLogRed();
}

void markProgramLogRed() {
    program().systemLog().markError();
}

void trayIdle() {
    runstatus::setTray(runstatus::Tray::Idle);
}

bool settingSizeCheck() {
    return program().settings().chkfilstorlek;
}

bool settingNeverShellCopy() {
    return program().settings().chkaldrigapi;
}

QIcon mainIcon() {
    return program().mainWindow().icon();
}

} // namespace synchost
