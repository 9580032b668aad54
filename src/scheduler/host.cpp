#include "scheduler/host.h"

#include "core/program.h"
#include "run/run_status.h"

namespace schedulerhost {

namespace {
MainWindowServices& main() {
    return program().mainWindow();
}
} // namespace

QStringList jobNames() {
    QStringList names;
    for (int i = 0; i < main().jobCount(); ++i)
        names << main().jobName(i);
    return names;
}

int currentJobIndex() {
    return main().currentJobIndex();
}

void selectJob(int index) {
    main().selectJob(index);
}

JobSchedule currentJobSchedule() {
    const CurrentJobRecord& r = program().job();
    JobSchedule s;
    s.active = r.chkschemaaktiv;
    s.mirror = r.chkschemasync;
    s.simulate = r.chkschemasync_simulera;
    s.time = r.txtschematid;
    for (int d = 1; d <= 7; ++d)
        s.days[d] = r.chkschemadag[d] == 1;
    return s;
}

int jobGroup() {
    return main().jobGroup();
}

bool schedulerOn() {
    return main().schedulerOn();
}

void setSchedulerOn(bool on) {
    main().setSchedulerOn(on);
}

void setActivationRequest(const QString& tag) {
    main().setActivationRequest(tag);
}

void requestReload() {
    main().requestReload();
}

QString runNowTag() {
    return main().runNowTag();
}

void setRunNowTag(const QString& tag) {
    main().setRunNowTag(tag);
}

int scheduledJobCount() {
    return main().scheduledJobCount();
}

void showPanel(bool visible) {
    main().showSchedulerPanel(visible);
}

void lockCommands(bool locked) {
    if (locked)
        main().knappar_lås();
    else
        main().knappar_låsupp();
}

void setScheduledJobs(const QStringList& names) {
    main().setScheduledJobs(names);
}

void setPanelText(const char* name, const QString& text) {
    main().setFieldText(QString::fromUtf8(name), text);
}

void setPanelVisible(const char* name, bool visible) {
    main().setFieldVisible(QString::fromUtf8(name), visible);
}

void setPanelEnabled(const char* name, bool enabled) {
    main().setFieldEnabled(QString::fromUtf8(name), enabled);
}

void bringToFront(const char* name) {
    main().raiseField(QString::fromUtf8(name));
}

bool panelVisible(const char* name) {
    return main().fieldVisible(QString::fromUtf8(name));
}

void setStatus(const QString& text) {
    main().setFieldText(QStringLiteral("lblstatus"), text);
}

void showLastRun() {
    main().visa_senaste_backup();
}

void setSavedListsLinkVisible(bool visible) {
    main().setLblstatus2Visible(visible);
}

void setTray(Tray picture) {
    runstatus::setTray(picture == Tray::Error     ? runstatus::Tray::Error
                       : picture == Tray::Running ? runstatus::Tray::Running
                                                  : runstatus::Tray::Idle);
}

void setTrayToolTip(const QString& text) {
    main().setTrayToolTip(text);
}

void refreshTray() {
    main().refreshTray();
}

QString trayTag() {
    return main().trayTag();
}

void systemLog(const QString& text) {
    runstatus::systemLog(text);
}

void systemLogError(const QString& text) {
    runstatus::systemLogError(text);
}

bool setting(const char* name) {
    return program().settings().value(name);
}

} // namespace schedulerhost
