#include "run/run_status.h"

#include "core/main_window.h"
#include "core/module1.h"
#include "core/program.h"
#include "core/settings_window.h"
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
QWidget* mainChild(const char* name) {
    frmmain* m = program().form<frmmain>();
    return m->findChild<QWidget*>(QString::fromUtf8(name));
}
QWidget* topLevel(const char* name) {
    const QString n = QString::fromUtf8(name);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == n)
            return w;
    return nullptr;
}
} // namespace

bool setting(const char* name) {
    frmsetup* s = program().form<frmsetup>();
    auto* b = s->findChild<QCheckBox*>(QString::fromUtf8(name));
    return b && b->isChecked();
}

bool schedulerOn() {
    frmmain* m = program().form<frmmain>();
    return m->chkaktiveraschema && m->chkaktiveraschema->isChecked();
}

bool schedulerPanelVisible() {
    QWidget* w = mainChild("frameschema");
    return w && w->isVisible();
}

bool reminderVisible() {
    QWidget* w = topLevel("frmgammalbackup");
    return w && w->isVisible();
}

void setMainText(const char* name, const QString& text) {
    if (QWidget* w = mainChild(name))
        w->setProperty("text", text);
}

void setMainVisible(const char* name, bool visible) {
    if (QWidget* w = mainChild(name))
        w->setVisible(visible);
}

void setProgressShare(double share) {
    QWidget* l = mainChild("lblprocent");
    QWidget* f = mainChild("frameschema");
    if (l && f)
        l->resize(int(qBound(0.0, share, 1.0) * f->width()), l->height());
}

void systemLog(const QString& text) {
    program().form<frmmain>()->appendSystemLog(text);
}

void markProgramLogRed() {
    program().form<frmmain>()->markProgramLogError();
}

void systemLogError(const QString& text) {
    systemLog(text);
    markProgramLogRed();
}

void systemLogSeparator(bool onlyWhenNeeded) {
    frmmain* m = program().form<frmmain>();
    if (onlyWhenNeeded && m->txtsyslogg->toPlainText().endsWith(QLatin1Char('*')))
        return;
    m->appendSystemLog(QString(47, QLatin1Char('*')));
}

void setTray(Tray t) {
    frmmain* m = program().form<frmmain>();
    if (!m->TrayIcon1)
        return;
    // The engine reports busy and idle per file; the pictures are drawn once each.
    static std::map<Tray, QIcon> icons;
    auto it = icons.find(t);
    if (it == icons.end()) {
        const platform::Picture p = t == Tray::Error     ? platform::Picture::BackupError
                                    : t == Tray::Running ? platform::Picture::Run
                                                         : platform::Picture::Backup;
        it = icons.emplace(t, platform::icon(p)).first;
    }
    if (m->TrayIcon1->picture().cacheKey() != it->second.cacheKey())
        m->TrayIcon1->setPicture(it->second);
}

void setTrayTag(const QString& tag) {
    frmmain* m = program().form<frmmain>();
    if (m->TrayIcon1)
        m->TrayIcon1->Tag = tag;
}

void stopEditorScan() {
    if (frmaddmapp* e = program().loaded<frmaddmapp>())
        e->cmdexit_Tag = QStringLiteral("avbryt");
}

// The pause window belongs to the scheduler; until it exists a pause does nothing.
void showPauseWindow() {}
void showRunLog(int mode) {
    Module1::visa_logg(mode);
}
void openHelp() {
    Module1::öppna_hjälp();
}

namespace {
bool showing(const QWidget* w) {
    return w && w->isVisible() && !(w->windowState() & Qt::WindowMinimized);
}
} // namespace

void centreOverRunWindow(QWidget* w) {
    const QWidget* over = program().loaded<frmutförbackup>();
    if (!showing(over))
        over = program().loaded<frmmain>();
    if (!showing(over)) {
        geometry::centre(w);
        return;
    }
    const QRect a = over->frameGeometry();
    QSize outer = w->frameGeometry().size();
    // Not framed yet, the window is placed by its inside; expect the frame the other window has.
    const bool framed = outer != w->size();
    if (!framed)
        outer += over->frameGeometry().size() - over->size();
    QPoint at(a.left() + (a.width() - outer.width()) / 2, a.top() + (a.height() - outer.height()) / 2);
    // A window near a screen edge must not push the report off the screen.
    if (const QScreen* s = over->screen()) {
        const QRect r = s->availableGeometry();
        at.setX(qBound(r.left(), at.x(), std::max(r.left(), r.right() + 1 - outer.width())));
        at.setY(qBound(r.top(), at.y(), std::max(r.top(), r.bottom() + 1 - outer.height())));
    }
    if (!framed)
        at += over->geometry().topLeft() - a.topLeft();
    w->move(at);
}

} // namespace runstatus
