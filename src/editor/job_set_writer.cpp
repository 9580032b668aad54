#include "editor/job_set_writer.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/run_lock.h"
#include "platform/textfile.h"

#include <functional>
#include <iterator>
#include <optional>

namespace {

// The order files are put into place: the job appears (".000") only when the rest is there.
constexpr int kPlaceOrder[] = {1, 2, 3, 4, 5, 8, 9, 0};

const QString kForward = QStringLiteral("framåt");
const QString kBack = QStringLiteral("bakåt");

std::function<bool(int)>& interruptHook() {
    static std::function<bool(int)> hook;
    return hook;
}

// A save that holds this lock is going on in a living process: its files are not leftovers.
platform::FolderLock savingLock(const QString& folder) {
    return platform::FolderLock(folder, QStringLiteral(".~tamrel-sparar"));
}

void quietly(const std::function<void()>& f) {
    try {
        f();
    } catch (const platform::RunError&) {
        // A leftover hidden file does no harm: the job list skips hidden names, and the next start
        // or save of the job removes it.
    }
}

void removeQuietly(const JobFiles& job) {
    for (int n = 0; n <= 10; ++n)
        quietly([&] {
            if (job.hasFile(n))
                platform::removeFile(job.path(n));
        });
}

// The marker: the direction in which a save that stops is to be finished, and the files the job
// had before it.
struct Marker {
    bool forward = true;
    QList<int> had;
};

void writeMarker(const JobFiles& job, const Marker& m) {
    QStringList had;
    for (int n : m.had)
        had << QString::number(n);
    platform::writeLines(savingMarker(job), {m.forward ? kForward : kBack, had.join(QLatin1Char(' '))});
}

std::optional<Marker> readMarker(const JobFiles& job) {
    if (!platform::fileExists(savingMarker(job)))
        return std::nullopt;
    const QStringList l = platform::readLines(savingMarker(job));
    Marker m;
    m.forward = l.value(0) != kBack;
    for (const QString& n : l.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        m.had << n.toInt();
    return m;
}

// Every new file that is not in place yet goes there. Throws at the first failure.
void rollForward(const JobFiles& job) {
    const JobFiles fresh = savingTemporary(job);
    for (int n : kPlaceOrder)
        if (fresh.hasFile(n))
            platform::renamePath(fresh.path(n), job.path(n));
}

// Every file the job had gets its old contents back, and a file it did not have goes; ".000" first,
// so a new job is gone at once. Throws at the first failure.
void rollBack(const JobFiles& job, const QList<int>& had) {
    const JobFiles previous = savingPrevious(job);
    for (auto it = std::rbegin(kPlaceOrder); it != std::rend(kPlaceOrder); ++it) {
        const int n = *it;
        if (!had.contains(n)) {
            if (job.hasFile(n))
                platform::removeFile(job.path(n));
        } else if (previous.hasFile(n)) {
            platform::renamePath(previous.path(n), job.path(n));
        }
    }
}

// The hidden files of a save of `job` go: its new and its kept files quietly, then its marker (when
// `markerThere`), which throws when it cannot go.
void removeSavingFiles(const JobFiles& job, bool markerThere = true) {
    removeQuietly(savingTemporary(job));
    removeQuietly(savingPrevious(job));
    if (markerThere)
        platform::removeFile(savingMarker(job));
}

// Finishes what a save of `job` that stopped left (the program was killed): with its marker, the
// whole new job or, when it was being undone, the whole old one; without, its files were never
// touched and its hidden files go. Throws when that could not be done; the marker then stays, so
// the next try finishes it.
void finish(const JobFiles& job) {
    const std::optional<Marker> m = readMarker(job);
    if (m) {
        if (m->forward)
            rollForward(job);
        else
            rollBack(job, m->had);
    }
    removeSavingFiles(job, m.has_value());
}

// The job a hidden file of a save belongs to: ".~" + job + ".n.000", ".g.000" or ".s".
QString jobOfSavingFile(const QString& fileName) {
    if (!fileName.startsWith(QLatin1String(".~")))
        return {};
    const QString rest = fileName.mid(2);
    if (rest.endsWith(QLatin1String(".s")))
        return rest.chopped(2);
    // ".n.000" or ".g.000" at the end.
    const qsizetype s = rest.size();
    if (s <= 6 || rest.at(s - 6) != QLatin1Char('.') || rest.at(s - 4) != QLatin1Char('.') ||
        (rest.at(s - 5) != QLatin1Char('n') && rest.at(s - 5) != QLatin1Char('g')))
        return {};
    for (qsizetype i = s - 3; i < s; ++i)
        if (!rest.at(i).isDigit())
            return {};
    return rest.chopped(6);
}

} // namespace

// Short tags: a file written whole gets a temporary of its own beside it, and both must fit in a
// file name for a name of JobFiles::kLongestNameBytes.
JobFiles savingTemporary(const JobFiles& job) {
    return JobFiles(job.folder(), QStringLiteral(".~") + job.name() + QStringLiteral(".n"));
}

JobFiles savingPrevious(const JobFiles& job) {
    return JobFiles(job.folder(), QStringLiteral(".~") + job.name() + QStringLiteral(".g"));
}

QString savingMarker(const JobFiles& job) {
    return job.folder() + QStringLiteral("/.~") + job.name() + QStringLiteral(".s");
}

void setSaveInterruptHook(std::function<bool(int)> hook) {
    interruptHook() = std::move(hook);
}

void writeSavedJob(const JobFiles& job, const SavedJob& data) {
    platform::FolderLock lock = savingLock(job.folder());
    lock.tryTake(); // a second process saving in this group at once is not foreseen; go on
    const JobFiles fresh = savingTemporary(job);
    const JobFiles previous = savingPrevious(job);
    // A save of this job that was killed is finished first: its job is then whole again.
    finish(job);
    Marker marker;
    try {
        fresh.writeFolders(data.folders);
        fresh.writeMainFolders(data.mainFolders);
        fresh.writeBackupFolder(data.backupFolder);
        fresh.writeFilters(data.filters);
        fresh.writeOptions(data.options);
        fresh.writeExcluded(data.excluded);
        fresh.writePrograms(data.programs);
        fresh.writeVersioning(data.versioning);
        // Keep the old files to put back if a rename fails half-way.
        for (int n : kPlaceOrder)
            if (job.hasFile(n)) {
                platform::copyKeepTime(job.path(n), previous.path(n));
                marker.had << n;
            }
        if (interruptHook() && interruptHook()(-1))
            return;
        // From here on a save that stops is finished, not undone.
        writeMarker(job, marker);
    } catch (...) {
        quietly([&] { removeSavingFiles(job); });
        throw;
    }

    int placed = 0;
    try {
        for (int n : kPlaceOrder) {
            if (interruptHook() && interruptHook()(placed))
                return;
            platform::renamePath(fresh.path(n), job.path(n));
            ++placed;
        }
    } catch (...) {
        // Undone as the next start would undo it, should the program end meanwhile.
        marker.forward = false;
        quietly([&] { writeMarker(job, marker); });
        quietly([&] {
            rollBack(job, marker.had);
            removeSavingFiles(job);
        });
        throw;
    }
    if (interruptHook() && interruptHook()(placed))
        return;
    removeQuietly(previous);
    platform::removeFile(savingMarker(job));
}

void finishInterruptedSaves(const QString& groupFolder) {
    if (!platform::folderExists(groupFolder))
        return;
    platform::FolderLock lock = savingLock(groupFolder);
    if (lock.tryTake() != platform::FolderLock::Result::Taken)
        return;
    QStringList jobs;
    for (const QString& name : platform::listFileNames(groupFolder))
        if (const QString job = jobOfSavingFile(name); !job.isEmpty() && !jobs.contains(job))
            jobs << job;
    for (const QString& job : jobs)
        quietly([&] { finish(JobFiles(groupFolder, job)); });
}
