#include "logview/host.h"

#include "core/main_window.h"
#include "core/program.h"
#include "platform/icons.h"

namespace logview::host {

void systemLog(const QString& text) {
    program().form<frmmain>()->appendSystemLog(text);
}

void systemLogError(const QString& text) {
    frmmain* m = program().form<frmmain>();
    m->appendSystemLog(text);
    m->markProgramLogError();
}

void resetTrayError() {
    frmmain* m = program().form<frmmain>();
    if (m->TrayIcon1 && m->TrayIcon1->Tag == QLatin1String("err")) {
        m->TrayIcon1->setPicture(platform::icon(platform::Picture::Backup));
        m->TrayIcon1->Tag.clear();
    }
}

QIcon mainIcon() {
    if (frmmain* m = program().loaded<frmmain>())
        if (!m->windowIcon().isNull())
            return m->windowIcon();
    return platform::icon(platform::Picture::Backup);
}

} // namespace logview::host
