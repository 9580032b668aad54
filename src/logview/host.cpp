#include "logview/host.h"

#include "core/program.h"
#include "platform/icons.h"

namespace logview::host {

void systemLog(const QString& text) {
    program().systemLog().append(text);
}

void systemLogError(const QString& text) {
    SystemLog& log = program().systemLog();
    log.append(text);
    log.markError();
}

void resetTrayError() {
    MainWindowServices& m = program().mainWindow();
    if (m.trayTag() == QLatin1String("err")) {
        m.setTrayPicture(platform::icon(platform::Picture::Backup));
        m.setTrayTag(QString());
    }
}

QIcon mainIcon() {
    const QIcon icon = program().mainWindow().icon();
    return icon.isNull() ? platform::icon(platform::Picture::Backup) : icon;
}

} // namespace logview::host
