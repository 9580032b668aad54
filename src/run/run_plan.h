#pragma once
#include <QList>
#include <QString>

// Who started a run.
enum class RunKind { ByHand, Scheduled, CommandLine };

// What a run does, fixed when it starts: nothing the window shows or a person does meanwhile
// changes it. A job the run refuses leaves the plan for good.
struct RunPlan {
    QList<int> jobs; // rows of the job list, in list order
    RunKind kind = RunKind::ByHand;
    bool simulate = false;
    bool mirror = false;
    bool mirrorSimulated = false;

    bool has(int row) const { return jobs.contains(row); }
    void drop(int row) { jobs.removeAll(row); }
    // The backup window's caption as the rest of the program reads it.
    QString marker() const {
        switch (kind) {
        case RunKind::Scheduled:
            return QStringLiteral("schema");
        case RunKind::CommandLine:
            return QStringLiteral("commandline");
        case RunKind::ByHand:
            break;
        }
        return QStringLiteral("Utför backup");
    }
    static RunKind kindOf(const QString& caption) {
        if (caption == QLatin1String("schema"))
            return RunKind::Scheduled;
        if (caption == QLatin1String("commandline"))
            return RunKind::CommandLine;
        return RunKind::ByHand;
    }
};

// Why a run ended before its plan was done. The first reason met is the one the run reports.
enum class RunStop {
    None,
    ByUser,       // "Avbryt", answered with yes
    ByClosing,    // the program was asked to end (a close request, a logout)
    DiskFull,     // a copy found the backup disk full
    SchedulerOff, // the scheduler was switched off during its run
};

// What a run is and has come to: its plan, why it stopped, and the result texts its end made.
struct RunState {
    RunPlan plan;
    RunStop stop = RunStop::None;
    // "Avbryt" of the mirroring panel: only the mirroring ends.
    bool mirrorStopped = false;
    QString resultText; // the result dialog's text
    QString summary;    // the summary block, rows ended by CR LF
    // The run ended with an error, or did not do its work (the command line's exit status).
    bool hadErrors = false;

    void stopBy(RunStop why) {
        if (stop == RunStop::None)
            stop = why;
    }
    bool stopped() const { return stop != RunStop::None; }
};
