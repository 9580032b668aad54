// Run end, summary and the window's return to idle.
#include "run/run_driver.h"

#include "core/program.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/mirror.h"
#include "run/run_log.h"
#include "run/run_status.h"

#include <algorithm>

namespace {

QString n(long long v) {
    return QString::number(v);
}
QString mb(float v) {
    return platform::Format(v, QStringLiteral("0.00"));
}
QString mb(double v) {
    return mb(float(v)); // rounded as the run's single-precision totals always were
}

QString durationText(qint64 secs) {
    if (secs < 0)
        secs = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(secs / 3600, 2, 10, QLatin1Char('0'))
        .arg((secs / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(secs % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString RunDriver::resultText() const {
    return state_.resultText;
}

QString RunDriver::summaryBlock() const {
    return state_.summary;
}

long long RunDriver::filesToLookAt() const {
    if (cancelled() && counted_)
        return std::max<long long>(e_.genomsökta_totalt, e_.filtotal);
    return e_.genomsökta_totalt;
}

QString RunDriver::verdict() const {
    switch (state().stop) {
    case RunStop::DiskFull:
        return QStringLiteral(
            "  Backupkörningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!");
    case RunStop::ByClosing:
        return QStringLiteral("  Backupkörningen avbröts när programmet stängdes!");
    case RunStop::ByUser:
    case RunStop::SchedulerOff:
        return QStringLiteral("  Backupkörningen avbröts av användaren!");
    case RunStop::None:
        break;
    }
    return e_.antalfel > 0 ? QStringLiteral("  Backup slutfördes med fel!")
                           : QStringLiteral("  Backup slutfördes utan fel.");
}

void RunDriver::runEnd() {
    // The job in the main window is read again, so its summary tells of the run just recorded.
    if (mainWindow().currentJobIndex() >= 0)
        selectJob(mainWindow().currentJobIndex());
    view_.applyProgress();
    view_.followCopyCount(false);
    view_.showProgressWindow(false);
    const QDateTime end = program().clock.now();
    const QString endTime = platform::timeText(end);
    const QString duration = durationText(startMoment_.isValid() ? startMoment_.secsTo(end) : 0);
    // A simulation copied nothing: its windows and its logs alike say what would be copied.
    const bool sim = plan().simulate;
    const long long lookedAt = filesToLookAt();
    // The copy count as the run has it, not as it was last shown.
    if (!copiedLine_.isEmpty())
        copiedLine_ = copiedCountLabel(sim) + n(e_.kopierade_totalt);
    copiedLine_ += QStringLiteral(" av ") + n(lookedAt) + QStringLiteral("     Tidsåtgång: ") + duration;
    timesLine_ += QStringLiteral(", slutade kl. ") + endTime;
    view_.showTimes(timesLine_, copiedLine_);

    const bool wasCancelled = cancelled();
    QString result;
    if (wasCancelled) {
        view_.windowLog(QLatin1Char(' ') + simPrefix_ +
                        QStringLiteral("Backupkörning avbröts! Tidsåtgång: ") + duration);
        systemLog(simPrefix_ + QStringLiteral("Backupkörning avbröts! Tidsåtgång: ") + duration);
        result = simPrefix_ + QStringLiteral("Backup avbröts.");
    } else {
        view_.windowLog(QLatin1Char(' ') + simPrefix_ + QStringLiteral("Backup slutade. Tidsåtgång: ") +
                        duration);
        systemLog(QStringLiteral("Resultat: ") + simPrefix_ + QStringLiteral("Backup slutade. Tidsåtgång: ") +
                  duration);
        result = simPrefix_ + QStringLiteral("Backup klar.");
    }
    const QString errors = n(e_.antalfel);
    result += QStringLiteral("\n") +
              (sim ? platform::fileCount(e_.kopierade_totalt) + QStringLiteral(" skulle kopieras. ")
                   : platform::countText(e_.kopierade_totalt, QStringLiteral("fil kopierad. "),
                                         QStringLiteral("filer kopierade. "))) +
              errors + QStringLiteral(" fel.");
    const QString counts = n(e_.kopierade_totalt) + QStringLiteral(" av ") +
                           platform::countText(lookedAt, QStringLiteral("fil kopierades. "),
                                               QStringLiteral("filer kopierades. ")) +
                           errors + QStringLiteral(" fel.");
    const QString shownCounts = sim ? simulatedText(counts) : counts;
    view_.appendToWindowLog(QStringLiteral("\n") + QString(15, QLatin1Char(' ')) + shownCounts);
    systemLog(QStringLiteral("Resultat: ") + shownCounts);
    if (e_.versionshantering_använd) {
        const QString v =
            platform::countText(e_.versioner_totalt, QStringLiteral("äldre fil sparad av versionshantering."),
                                QStringLiteral("äldre filer sparade av versionshantering."));
        const QString shown = sim ? simulatedText(v) : v;
        view_.appendToWindowLog(QStringLiteral("\n") + QString(15, QLatin1Char(' ')) +
                                QStringLiteral("Totalt ") + shown);
        systemLog(QStringLiteral("Resultat: ") + shown);
    }
    view_.showCopiedAndErrors(copiedCountLabel(plan().simulate) + n(e_.kopierade_totalt) +
                              QStringLiteral(", antal fel: ") + errors);
    const QStringList missing = e_.listerror.entries();
    view_.showMissingFolders(missing);
    if (!missing.isEmpty()) {
        result += QStringLiteral("\nVissa mappar kunde inte kopieras, eftersom de inte existerar.");
        systemLog(QStringLiteral(
            "Resultat: FEL! Vissa mappar kunde inte kopieras eftersom de inte existerar. Se loggen."));
        QStringList lines{QString(),
                          QStringLiteral("FEL: Följande mappar (inkl. undermappar) kunde inte kopieras "
                                         "eftersom de inte existerar:")};
        lines += missing;
        appendLog(lines);
        e_.imgerr = true;
        view_.showCounters();
    }
    view_.foldErrorLog();
    state_.resultText = result;

    const bool sync = plan().mirror;
    const bool syncSim = plan().mirrorSimulated;
    // A simulation's counts are what it would have copied and saved.
    auto summaryRows = [&] {
        const QString copied = sim ? QStringLiteral("skulle kopieras") : QStringLiteral("kopierades");
        QStringList s{QStringLiteral("Sammanställning:")};
        if (sim)
            s << QStringLiteral("  Simulerad backup.");
        s << QStringLiteral("  ") + platform::fileCount(e_.kopierade_totalt) + QLatin1Char(' ') + copied +
                 QStringLiteral(" totalt.")
          << QStringLiteral("  ") + platform::fileCount(e_.genomsökta_totalt) +
                 QStringLiteral(" genomsöktes totalt.")
          << QString()
          << QStringLiteral("  ") +
                 platform::fileCount(e_.nya_totalt, QStringLiteral("ny"), QStringLiteral("nya")) +
                 QLatin1Char(' ') + copied + QStringLiteral(" (+)  (exkl. ev. skyddade filer).")
          << QStringLiteral("  ") +
                 platform::fileCount(e_.ändrade_totalt, QStringLiteral("ändrad"), QStringLiteral("ändrade")) +
                 QLatin1Char(' ') + copied + QStringLiteral(" (exkl. ev. skyddade filer).")
          << QStringLiteral("  ") +
                 platform::fileCount(e_.skyddade_totalt, QStringLiteral("skyddad"),
                                     QStringLiteral("skyddade")) +
                 QLatin1Char(' ') + copied + QStringLiteral(" (*).")
          << QStringLiteral("  ") + platform::fileCount(e_.exkluderade_totalt) +
                 QStringLiteral(" exkluderades.");
        if (e_.fel_filstorlek_totalt == 0)
            s << QStringLiteral("  ") + platform::fileCount(e_.misslyckade_totalt) +
                     QStringLiteral(" misslyckades.");
        else
            s << QStringLiteral("  ") +
                     platform::fileCount(e_.misslyckade_totalt + e_.fel_filstorlek_totalt) +
                     QStringLiteral(" misslyckades, varav ") + n(e_.fel_filstorlek_totalt) +
                     QStringLiteral(" p.g.a fel filstorlek efter kopiering.");
        s << QStringLiteral("  ") + mb(e_.mb_kopierat) +
                 (sim ? QStringLiteral(" MB skulle kopieras.") : QStringLiteral(" MB kopierat."));
        const Mirror& mi = mi_;
        const long deletedFiles = mi.raderade_enstaka_filer + mi.raderade_mappfiler;
        if (sync) {
            const QString verb = syncSim ? QStringLiteral("kan raderas") : QStringLiteral("raderades");
            s << QString()
              << (syncSim ? QStringLiteral("Spegling (simulerad):") : QStringLiteral("Spegling:"))
              << QStringLiteral("  ") +
                     platform::countText(mi.raderade_mappar,
                                         QStringLiteral("mapp ") + verb + QStringLiteral(", "),
                                         QStringLiteral("mappar ") + verb + QStringLiteral(", ")) +
                     platform::fileCount(mi.raderade_mappfiler) + QLatin1Char('.')
              << QStringLiteral("  ") +
                     platform::fileCount(mi.raderade_enstaka_filer, QStringLiteral("enstaka"),
                                         QStringLiteral("enstaka")) +
                     QLatin1Char(' ') + verb + QLatin1Char('.')
              << QStringLiteral("  Totalt ") +
                     (syncSim ? platform::fileCount(deletedFiles) + QStringLiteral(" kan raderas")
                              : platform::fileCount(deletedFiles, QStringLiteral("raderad"),
                                                    QStringLiteral("raderade"))) +
                     QLatin1Char('.')
              << QStringLiteral("  ") + mb(mi.mb_raderat) +
                     (syncSim ? QStringLiteral(" MB kan raderas.") : QStringLiteral(" MB raderat."));
        }
        if (mi.ej_speglat_jobb)
            s << QStringLiteral("  Notera: Det finns jobb som inte speglats.");
        s << QString();
        if (e_.versionshantering_använd)
            s << QStringLiteral("  ") +
                     (sim ? platform::countText(
                                e_.versioner_totalt,
                                QStringLiteral("äldre fil skulle sparas av versionshantering."),
                                QStringLiteral("äldre filer skulle sparas av versionshantering."))
                          : platform::countText(e_.versioner_totalt,
                                                QStringLiteral("äldre fil sparad av versionshantering."),
                                                QStringLiteral("äldre filer sparade av versionshantering.")))
              << QString();
        s << QStringLiteral("  Totalt ") + errors + QStringLiteral(" fel.") << verdict();
        return s;
    };
    const QStringList rows = summaryRows();
    state_.summary = rows.join(QStringLiteral("\r\n"));
    // Loading the result dialog takes the error marker and plays its sound, as its first write did.
    view_.loadResult(e_.imgerr, wasCancelled, result, rows);

    const QString mirror = sync && syncSim ? QStringLiteral("Spegling: JA (simulerad)")
                           : sync          ? QStringLiteral("Spegling: JA")
                                           : QStringLiteral("Spegling: NEJ");
    QStringList closing{QString(), timesLine_, copiedLine_, QString(), mirror, QString()};
    closing += rows;
    appendLog(closing);
    // A stopped run is not one that was done: its log says so from its first line on.
    if (wasCancelled) {
        const runlog::RunMode mode = logMode(plan());
        try {
            runlog::replaceHeader(program().programFolder(), runlog::headerLine(mode, startDate_, startTime_),
                                  runlog::stoppedHeaderLine(mode, startDate_, startTime_));
        } catch (const platform::RunError& e) {
            runstatus::systemLogError(
                QStringLiteral(
                    "FEL! Loggens första rad kunde inte ändras till att körningen avbröts. Felkod ") +
                n(e.number) + QLatin1Char(' ') + e.description);
        }
    }
    view_.showFile(QString());
    view_.showTargetFolder(QString());
    if (e_.antalfel > 0 || e_.imgerr)
        state_.hadErrors = true;
}

void RunDriver::report() {
    view_.clearFoldersLeft();
    idleState();
    runstatus::systemLogSeparator(false);
    if (plan().mirrorSimulated && mi_.raderade_enstaka_filer + mi_.raderade_mappfiler >= 1)
        appendLog({QString(),
                   QStringLiteral("Filer och mappar som raderats manuellt från speglingsloggen loggas inte i "
                                  "denna loggfil.")});
    QString savedLog;
    if (!plan().simulate)
        savedLog = saveLog();
    const RunKind mode = plan().kind;
    if (mode == RunKind::Scheduled) {
        const bool errors = e_.imgerr;
        // Several jobs of the common setting ran together: no single job is named.
        const QString jobPart = view_.commonSchedule() && selectedCount() != 1
                                    ? QStringLiteral(". ")
                                    : QStringLiteral(" av \"") + lastJob_ + QStringLiteral("\". ");
        lastJob_ = jobPart;
        view_.showLastJob(lastJob_);
        const RunStop stop = state().stop;
        QString note;
        if (stop == RunStop::ByUser)
            note = QStringLiteral("Användaren avbröt. ");
        else if (stop == RunStop::ByClosing)
            note = QStringLiteral("Programmet stängdes. ");
        if (errors)
            note += n(e_.antalfel) + QStringLiteral(" fel uppstod. Kontrollera loggen.");
        if (errors) {
            runstatus::setTray(runstatus::Tray::Error);
            runstatus::setTrayTag(QStringLiteral("err"));
        }
        view_.showSchedulePopup();
        mainWindow().addSchedulerLogEntry(
            startDate_ + QLatin1Char(' ') + startTime_ +
                (stop == RunStop::None ? QStringLiteral(" Backup utförd")
                                       : QStringLiteral(" Backup avbröts")) +
                jobPart + platform::fileCount(e_.kopierade_totalt) + QStringLiteral(" av ") +
                n(filesToLookAt()) +
                (plan().simulate ? QStringLiteral(" skulle kopieras. ") : QStringLiteral(" kopierades. ")) +
                note,
            savedLog);
        view_.saveLeftoverList(startStamp_);
        view_.closeAfterUnattendedRun();
    } else if (mode == RunKind::CommandLine) {
        view_.saveLeftoverList(startStamp_);
        view_.closeAfterUnattendedRun();
    } else {
        // The windows below wait for the user, who may meanwhile start other work on the files,
        // and other processes may run: the run lets go of both first.
        letGo();
        // The window's summary of the chosen job is read again too: it was made before the run.
        view_.refreshJobSummary();
        view_.showHeldMessage();
        // A program that is to end shows no more results.
        auto ending = [] { return program().operations().stopRequested(); };
        if (plan().mirror && plan().mirrorSimulated && !ending())
            view_.showLeftovers(startStamp_);
        if (plan().simulate) {
            if (!ending())
                view_.showSimulation();
            saveAfterSimulation();
        }
        if (!ending())
            view_.showResult();
    }
    view_.showJobSummary(true);
}

QString RunDriver::saveLog() {
    runlog::SavedLogFacts facts;
    facts.jobs = selectedCount();
    facts.jobName = lastJob_;
    facts.copied = e_.kopierade_totalt;
    facts.lookedAt = filesToLookAt();
    facts.megabytes = e_.mb_kopierat;
    facts.errors = e_.antalfel;
    facts.mirrored = plan().mirror && !plan().mirrorSimulated;
    facts.stopped = cancelled();
    return view_.saveRunLog(startStamp_, facts);
}

void RunDriver::saveAfterSimulation() {
    // log.txt now also holds what the simulation window copied. Another operation or process that
    // began meanwhile may be rewriting it: then no copy is saved rather than a wrong one.
    if (hold() != Hold::Held) {
        runstatus::systemLogError(QStringLiteral("FEL! Körningens logg sparades inte i Sparade loggar, "
                                                 "eftersom en annan åtgärd pågick."));
        return;
    }
    saveLog();
    letGo();
}
