#include "foldersync/host.h"

#include "core/main_window.h"
#include "core/program.h"
#include "core/settings_window.h"
#include "platform/clock.h"
#include "platform/icons.h"

#include <QCheckBox>

namespace synchost {

void systemLog(const QString& text) {
    program().form<frmmain>()->appendSystemLog(text);
}

void systemLogLines(const QStringList& lines) {
    QString raw;
    for (const QString& l : lines)
        raw += QStringLiteral("\r\n") + l;
    program().form<frmmain>()->appendSystemLogRaw(raw);
}

void systemLogError(const QString& text) {
    systemLog(text);
    markProgramLogRed();
}

void markProgramLogRed() {
    program().form<frmmain>()->markProgramLogError();
}

void trayIdle() {
    frmmain* m = program().form<frmmain>();
    if (!m->TrayIcon1)
        return;
    static const QIcon idle = platform::icon(platform::Picture::Backup);
    if (m->TrayIcon1->picture().cacheKey() != idle.cacheKey())
        m->TrayIcon1->setPicture(idle);
}

bool settingSizeCheck() {
    return program().form<frmsetup>()->chkfilstorlek->isChecked();
}

bool settingNeverShellCopy() {
    return program().form<frmsetup>()->chkaldrigapi->isChecked();
}

QIcon mainIcon() {
    return program().form<frmmain>()->windowIcon();
}

} // namespace synchost
