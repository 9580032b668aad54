#include "editor/search_replace.h"

#include "core/backup_folders.h"
#include "core/job_files.h"
#include "core/module1.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <algorithm>

namespace searchreplace {

QString replaceInLine(const QString& line, const QString& find, const QString& with) {
    return Module1::ersätt_text(line, find, with, 1, -1, 0);
}

void planFile(const JobFiles& job, int file, const QString& find, const QString& with, JobPlan& plan) {
    if (find.isEmpty() || !job.hasFile(file))
        return;
    FileChange change;
    change.file = file;
    change.before = job.readFile(file);
    change.after = change.before;
    int changed = 0;
    for (QString& line : change.after) {
        if (!line.contains(find, Qt::CaseSensitive))
            continue;
        line = replaceInLine(line, find, with);
        ++changed;
    }
    if (changed == 0)
        return;
    plan.changedLines += changed;
    plan.files.push_back(std::move(change));
}

JobPlan planJob(const JobFiles& job, const Marked& marked, const QString& find, const QString& with) {
    JobPlan plan;
    for (size_t c = 0; c < kCategories.size(); ++c)
        if (marked[c])
            planFile(job, kCategories[c].file, find, with, plan);
    return plan;
}

namespace {
constexpr int kFolders = 0, kMainFolders = 1, kBackupFolder = 2, kOptions = 4, kVersioning = 9;
} // namespace

bool changesFolders(const JobPlan& plan) {
    return std::any_of(plan.files.begin(), plan.files.end(), [](const FileChange& c) {
        return c.file == kFolders || c.file == kMainFolders || c.file == kBackupFolder;
    });
}

QString textProblem(const JobPlan& plan) {
    // The run takes a folder as written: a replacement must not leave white space at either end of
    // one, where it names another folder than the one shown. A folder that is there on disk just
    // so names what it says.
    for (const FileChange& c : plan.files) {
        if (c.file != kFolders && c.file != kMainFolders && c.file != kBackupFolder)
            continue;
        for (qsizetype i = 0; i < c.after.size(); ++i) {
            const QString& line = c.after[i];
            if (line == c.before.value(i) || !backupfolders::edgeWhiteSpace(line) ||
                (c.file != kBackupFolder && platform::folderExists(line)))
                continue;
            const QString what = c.file == kBackupFolder  ? QStringLiteral("backupmappen")
                                 : c.file == kMainFolders ? QStringLiteral("källmappen")
                                                          : QStringLiteral("mappen");
            return QStringLiteral("skulle få ") + what + QStringLiteral(" \"") + line +
                   QStringLiteral("\", som börjar eller slutar med ett blanktecken");
        }
    }
    return {};
}

std::optional<JobFiles::Job> jobAfter(const JobFiles& job, const JobPlan& plan) {
    if (!job.hasFile(kBackupFolder))
        return std::nullopt;
    const auto after = [&](int file) {
        for (const FileChange& c : plan.files)
            if (c.file == file)
                return c.after;
        return job.hasFile(file) ? job.readFile(file) : QStringList();
    };
    // Lines that name no folder are passed over, as the job's readers pass them over.
    const auto folders = [&](int file) {
        QStringList l = after(file);
        l.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        return l;
    };
    return JobFiles::job(job.folder(), job.name(), folders(kFolders), folders(kMainFolders),
                         after(kBackupFolder).value(0), JobFiles::options(after(kOptions)),
                         JobFiles::versioning(after(kVersioning)));
}

QString problemText(const jobrules::Problem& problem) {
    using Kind = jobrules::Problem::Kind;
    switch (problem.kind) {
    case Kind::None:
        return {};
    case Kind::AbsolutePath:
        return QStringLiteral("inte skulle kunna köras: ") + problem.why;
    case Kind::VersionFolder:
        return QStringLiteral("skulle få en mapp för sparade filer som inte kan användas: ") + problem.why;
    case Kind::BackupFolder:
    case Kind::SharedTarget:
        break;
    }
    return QStringLiteral("skulle få en backupmapp som inte kan användas: ") + problem.why;
}

void writePlan(const JobFiles& job, const JobPlan& plan) {
    size_t written = 0;
    try {
        for (; written < plan.files.size(); ++written)
            job.writeFile(plan.files[written].file, plan.files[written].after);
    } catch (const platform::RunError&) {
        for (size_t i = 0; i < written; ++i) {
            try {
                job.writeFile(plan.files[i].file, plan.files[i].before);
            } catch (const platform::RunError&) {
            }
        }
        throw;
    }
}

} // namespace searchreplace
