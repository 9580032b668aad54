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

QString backupFolderProblem(const JobFiles& job, const JobPlan& plan) {
    constexpr int kFolders = 0, kMainFolders = 1, kBackupFolder = 2, kOptions = 4, kVersioning = 9;
    const auto changes = [&plan](int file) {
        return std::any_of(plan.files.begin(), plan.files.end(),
                           [file](const FileChange& c) { return c.file == file; });
    };
    if (!changes(kFolders) && !changes(kMainFolders) && !changes(kBackupFolder))
        return {};
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
    if (!job.hasFile(kBackupFolder))
        return {};
    const auto after = [&](int file) {
        for (const FileChange& c : plan.files)
            if (c.file == file)
                return c.after;
        return job.hasFile(file) ? job.readFile(file) : QStringList();
    };
    const QStringList options = after(kOptions);
    backupfolders::JobLayout layout;
    layout.absolute = options.value(2).trimmed() == QLatin1String("1");
    layout.withMainFolder = options.value(3).trimmed() == QLatin1String("JA");
    layout.versionFolder = after(kVersioning).value(4);
    if (layout.absolute)
        if (const QString why = backupfolders::absoluteJobProblem(after(kMainFolders), after(kFolders));
            !why.isEmpty())
            return QStringLiteral("inte skulle kunna köras: ") + why;
    const QString why = backupfolders::backupFolderProblem(after(kBackupFolder).value(0), after(kMainFolders),
                                                           after(kFolders), layout);
    return why.isEmpty() ? why : QStringLiteral("skulle få en backupmapp som inte kan användas: ") + why;
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
