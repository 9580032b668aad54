// The run-log procedures of the backup window; the file work is in run_log.
#include "run/backup_window.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "run/copy_engine.h"
#include "run/run_driver.h"
#include "run/run_log.h"
#include "run/run_status.h"

#include <QCheckBox>
#include <QFileInfo>

namespace {
QString failure(const QString& literal, const platform::RunError& e) {
    return literal + QString::number(e.number) + QLatin1Char(' ') + e.description + QLatin1Char('.');
}
} // namespace

runlog::RunMode frmutförbackup::runLogMode() const {
    return RunDriver::logMode(plan());
}

void frmutförbackup::tömlogfil(const QString& startDate, const QString& startTime) {
    runlog::startLog(program().programFolder(), runLogMode(), startDate, startTime);
}

void frmutförbackup::kopiera_exlog_till_log() {
    try {
        runlog::foldExclusions(program().programFolder());
    } catch (const platform::RunError& e) {
        runstatus::systemLogError(failure(QStringLiteral("Ett fel uppstod under skrivning till loggfil. "
                                                         "Plats: Utför backup, kopiera exlogg till logg. "
                                                         "Felkod "),
                                          e));
    }
}

void frmutförbackup::kopiera_errorlog_till_log() {
    try {
        if (!QFileInfo::exists(runlog::logPath(program().programFolder())))
            return;
        for (const QString& entry : engine().listsaknadenhet) {
            addLogLine(QLatin1Char(' ') + entry);
            runstatus::systemLog(runlog::driveEntrySystemText(entry));
        }
        runlog::foldErrors(program().programFolder(), engine().listsaknadenhet);
    } catch (const platform::RunError& e) {
        runstatus::systemLogError(failure(
            QStringLiteral(
                "Ett fel uppstod under skrivning till loggfil. Plats: Utför backup, kopiera errorlogg till "
                "logg. Felkod "),
            e));
    }
}

QString frmutförbackup::spara_loggfil_i_loggmapp(const QDateTime& start, runlog::SavedLogFacts facts) {
    const RunPlan p = plan();
    facts.simulated = p.simulate;
    facts.scheduled = p.kind == RunKind::Scheduled || runstatus::schedulerOn();
    facts.commandline = p.kind == RunKind::CommandLine;
    QString saved;
    try {
        saved = runlog::saveLog(program().programFolder(), start, facts);
        const int deleted = runlog::pruneSavedLogs(program().programFolder());
        if (deleted > 0)
            runstatus::systemLog(runlog::pruneMessage(deleted));
    } catch (const platform::RunError& e) {
        runstatus::systemLogError(
            failure(
                QStringLiteral(
                    "FEL! Ett fel uppstod under hantering av loggfil. Plats: Utför backup, spara loggfil i "
                    "loggmapp. Felkod "),
                e) +
            (!saved.isEmpty() ? QString()
                              : QStringLiteral(" Körningens logg sparades inte i Sparade loggar.")));
    }
    return saved;
}
