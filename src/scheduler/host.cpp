#include "scheduler/host.h"

#include "core/main_window.h"
#include "core/program.h"
#include "run/run_status.h"
#include "scheduler/scheduler.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QVariant>

namespace schedulerhost {

namespace {
frmmain* mainWindow() {
    return program().form<frmmain>();
}
QWidget* panelChild(const char* name) {
    return mainWindow()->findChild<QWidget*>(QString::fromUtf8(name));
}
// Values of panel controls, kept by the scheduler while the main window has no such control.
QString& runNowFallback() {
    return scheduler().fallbackRunNow;
}
int& scheduledFallback() {
    return scheduler().fallbackScheduled;
}
} // namespace

QStringList jobNames() {
    QStringList names;
    const QComboBox* c = mainWindow()->comboinställningar;
    for (int i = 0; i < c->count(); ++i)
        names << c->itemText(i);
    return names;
}

int currentJobIndex() {
    return mainWindow()->comboinställningar->currentIndex();
}

void selectJob(int index) {
    frmmain* m = mainWindow();
    // The record is read afresh even for the job already selected: its schedule may have changed.
    if (m->comboinställningar->currentIndex() == index)
        m->comboinställningar_Click();
    else
        m->comboinställningar->setCurrentIndex(index);
}

JobSchedule currentJobSchedule() {
    const frmmain* m = mainWindow();
    JobSchedule s;
    s.active = m->chkschemaaktiv;
    s.mirror = m->chkschemasync;
    s.simulate = m->chkschemasync_simulera;
    s.time = m->txtschematid;
    for (int d = 1; d <= 7; ++d)
        s.days[d] = m->chkschemadag[d] == 1;
    return s;
}

int jobGroup() {
    return mainWindow()->currentGroup();
}

bool schedulerOn() {
    const frmmain* m = mainWindow();
    return m->chkaktiveraschema && m->chkaktiveraschema->isChecked();
}

void setSchedulerOn(bool on) {
    frmmain* m = mainWindow();
    if (m->chkaktiveraschema)
        m->chkaktiveraschema->setChecked(on);
}

void setActivationRequest(const QString& tag) {
    mainWindow()->cmdstartaschema_Tag = tag;
}

void requestReload() {
    mainWindow()->chkload = true;
}

QString runNowTag() {
    QWidget* b = panelChild("cmdschema_körnu");
    return b ? b->property("Tag").toString() : runNowFallback();
}

void setRunNowTag(const QString& tag) {
    if (QWidget* b = panelChild("cmdschema_körnu"))
        b->setProperty("Tag", tag);
    else
        runNowFallback() = tag;
}

int scheduledJobCount() {
    QWidget* t = panelChild("txtschemavisajobb");
    return t ? int(t->property("Tag").toString().size()) : scheduledFallback();
}

void showPanel(bool visible) {
    if (QWidget* panel = panelChild("frameschema")) {
        panel->setVisible(visible);
        if (visible) {
            panel->raise();
            bringToFront("frameschemaaktiv");
        }
    }
}

void lockCommands(bool locked) {
    if (locked)
        mainWindow()->knappar_lås();
    else
        mainWindow()->knappar_låsupp();
}

void setScheduledJobs(const QStringList& names) {
    QString text = QStringLiteral("Följande jobb är schemalagda:");
    for (const QString& n : names)
        text += QStringLiteral("\r\n") + n;
    if (QWidget* t = panelChild("txtschemavisajobb")) {
        t->setProperty("plainText", text);
        t->setProperty("Tag", QString(names.size(), QLatin1Char('-')));
    } else {
        scheduledFallback() = int(names.size());
    }
}

void setPanelText(const char* name, const QString& text) {
    if (QWidget* w = panelChild(name))
        w->setProperty("text", text);
}

void setPanelVisible(const char* name, bool visible) {
    if (QWidget* w = panelChild(name))
        w->setVisible(visible);
}

void setPanelEnabled(const char* name, bool enabled) {
    if (QWidget* w = panelChild(name))
        w->setEnabled(enabled);
}

void bringToFront(const char* name) {
    if (QWidget* w = panelChild(name))
        w->raise();
}

bool panelVisible(const char* name) {
    QWidget* w = panelChild(name);
    return w && w->isVisible();
}

void setStatus(const QString& text) {
    mainWindow()->lblstatus->setText(text);
}

void showLastRun() {
    mainWindow()->visa_senaste_backup();
}

void setSavedListsLinkVisible(bool visible) {
    mainWindow()->lblstatus2->setVisible(visible);
}

void setTray(Tray picture) {
    runstatus::setTray(picture == Tray::Error     ? runstatus::Tray::Error
                       : picture == Tray::Running ? runstatus::Tray::Running
                                                  : runstatus::Tray::Idle);
}

void setTrayToolTip(const QString& text) {
    frmmain* m = mainWindow();
    if (m->TrayIcon1)
        m->TrayIcon1->setToolTip(text);
}

void refreshTray() {
    frmmain* m = mainWindow();
    if (m->TrayIcon1)
        m->TrayIcon1->addToTray();
}

QString trayTag() {
    const frmmain* m = mainWindow();
    return m->TrayIcon1 ? m->TrayIcon1->Tag : QString();
}

void systemLog(const QString& text) {
    runstatus::systemLog(text);
}

void systemLogError(const QString& text) {
    runstatus::systemLogError(text);
}

bool setting(const char* name) {
    return runstatus::setting(name);
}

} // namespace schedulerhost

// The scheduler lives as long as the main window, which lives as long as the program.
Scheduler& scheduler() {
    frmmain* m = program().form<frmmain>();
    auto* s = m->findChild<Scheduler*>(QStringLiteral("scheduler"), Qt::FindDirectChildrenOnly);
    if (!s) {
        s = new Scheduler;
        s->setParent(m);
        // The main window's switch runs the scheduler's switching on and off.
        if (m->chkaktiveraschema)
            QObject::connect(m->chkaktiveraschema, &QCheckBox::toggled, s,
                             [s](bool on) { on ? s->switchOn() : s->switchOff(); });
    }
    return *s;
}
