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
