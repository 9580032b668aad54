// Switching the scheduler on and off, as the main window's switch asks.
#include "core/module1.h"
#include "core/program.h"
#include "scheduler/host.h"
#include "scheduler/scheduler.h"

namespace host = schedulerhost;

void Scheduler::switchOn() {
    Program& p = program();
    p.schema_avstängt = 0;
    host::setPanelText("lblschemanedräkning2", QString());
    host::lockCommands(true);
    host::systemLog(QStringLiteral("Aktiverar schemalagd backup"));
    host::showPanel(true);
    host::setScheduledJobs({});
    // The jobs and the files may have changed since the settings were last read.
    reload();
    if (common) {
        Timer1.start(interval);
        host::setScheduledJobs(selectedJobs());
    } else {
        const QStringList names = host::jobNames();
        List2_jobs = names;
        QStringList scheduled;
        for (int i = 0; i < names.size(); ++i) {
            host::selectJob(i);
            const host::JobSchedule js = host::currentJobSchedule();
            if (js.active != 1)
                continue;
            // A time that cannot be read would fail at every tick: the job is left out once, here.
            const auto time = schedule::storedTime(js.time);
            if (!time) {
                host::systemLogError(QStringLiteral("FEL! Schematiden ") + js.time +
                                     QStringLiteral(" för jobbet ") + names[i] +
                                     QStringLiteral(" kan inte läsas. Jobbet schemaläggs inte."));
                continue;
            }
            scheduled << names[i];
            host::setScheduledJobs(scheduled);
            const QString days = schedule::jobDaysLine(js.days);
            if (days == QLatin1String("0000000")) {
                host::setSchedulerOn(false);
                Module1::logga_meddelande(
                    0, -1,
                    QStringLiteral("Du har inte valt någon dag att köra schemalagd backup för ") + names[i] +
                        QStringLiteral("\r\nKontrollera dina inställningar för schemalagd backup."),
                    QString());
                return;
            }
            List2 << schedule::Entry{time->toString(QStringLiteral("HH:mm")), js.mirror, i, js.simulate, days}
                         .text();
        }
        Timer1.start(interval);
        Timer3.start(interval);
    }
    host::setTrayToolTip(QStringLiteral("Tamrel Backup (aktiverad)"));
    host::setTray(host::Tray::Idle);
    host::refreshTray();
    visaväntarnästakörning();
    keepActivationBoxEqual();
}

void Scheduler::switchOff() {
    host::showPanel(false);
    host::systemLog(QStringLiteral("Avaktiverar schemalagd backup"));
    program().schema_avstängt = 1;
    stop();
    host::setStatus(QStringLiteral("Status: Avbryter schemakörningen..."));
    host::lockCommands(false);
    host::setStatus(QStringLiteral("Status: Redo"));
    host::setPanelText("lblschemarubrik", QStringLiteral("Schemakörning aktiv"));
    host::bringToFront("frameschemaaktiv");
    keepActivationBoxEqual();
}

void Scheduler::keepActivationBoxEqual() {
    const bool on = host::schedulerOn();
    if (on != chkaktivera)
        setChkaktivera(on);
}
