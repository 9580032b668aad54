#include "run/run_status.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "editor/job_editor_window.h"
#include "platform/icons.h"
#include "run/backup_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScreen>
#include <QTextEdit>
#include <QVariant>
#include <map>

namespace runstatus {

namespace {
QWidget* topLevel(const char* name) {
    const QString n = QString::fromUtf8(name);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == n)
            return w;
    return nullptr;
}
} // namespace

bool setting(const char* name) {
    return program().settings().value(name);
}

bool schedulerOn() {
    return program().mainWindow().schedulerOn();
}

bool schedulerPanelVisible() {
    return program().mainWindow().fieldVisible(QStringLiteral("frameschema"));
}

bool reminderVisible() {
    QWidget* w = topLevel("frmgammalbackup");
    return w && w->isVisible();
}

void setMainText(const char* name, const QString& text) {
    program().mainWindow().setFieldText(QString::fromUtf8(name), text);
}

void setMainVisible(const char* name, bool visible) {
    program().mainWindow().setFieldVisible(QString::fromUtf8(name), visible);
}

void setProgressShare(double share) {
    program().mainWindow().setProgressShare(share);
}

void refuseWhileLocked(const QString& holder) {
    Module1::logga_meddelande(0, -1,
                              QStringLiteral("Det går inte just nu, eftersom ") + holder +
                                  QStringLiteral(" pågår från den här programmappen. Försök igen när "
                                                 "den är klar."),
                              QString());
}

void systemLog(const QString& text) {
    program().systemLog().append(text);
}

void markProgramLogRed() {
    program().systemLog().markError();
}

void systemLogError(const QString& text) {
    systemLog(text);
    markProgramLogRed();
}

void systemLogSeparator(bool onlyWhenNeeded) {
    SystemLog& log = program().systemLog();
    if (onlyWhenNeeded && log.text().endsWith(QLatin1Char('*')))
        return;
    log.append(QString(47, QLatin1Char('*')));
}

void setTray(Tray t) {
    // The engine reports busy and idle per file; the pictures are drawn once each.
    static std::map<Tray, QIcon> icons;
    auto it = icons.find(t);
    if (it == icons.end()) {
        const platform::Picture p = t == Tray::Error     ? platform::Picture::BackupError
                                    : t == Tray::Running ? platform::Picture::Run
                                                         : platform::Picture::Backup;
        it = icons.emplace(t, platform::icon(p)).first;
    }
    program().mainWindow().setTrayPicture(it->second);
}

void setTrayTag(const QString& tag) {
    program().mainWindow().setTrayTag(tag);
}

void stopEditorScan() {
    if (frmaddmapp* e = program().loaded<frmaddmapp>())
        e->cmdexit_Tag = QStringLiteral("avbryt");
}

std::function<void()>& pauseWindowHook() {
    static std::function<void()> hook;
    return hook;
}

void showPauseWindow() {
    if (pauseWindowHook())
        pauseWindowHook()();
}
void showRunLog(int mode) {
    Module1::visa_logg(mode);
}
void openHelp() {
    Module1::öppna_hjälp();
}

void centreOverRunWindow(QWidget* w) {
    const QWidget* over = program().loaded<frmutförbackup>();
    if (!over || !over->isVisible() || (over->windowState() & Qt::WindowMinimized))
        over = program().mainWindow().widget();
    geometry::centreOver(w, over);
}

} // namespace runstatus
