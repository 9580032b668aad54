#include "editor/job_set_writer.h"

#include "platform/errors.h"
#include "platform/files.h"

namespace {

// The order files are put into place: the job appears (".000") only when the rest is there.
constexpr int kPlaceOrder[] = {1, 2, 3, 4, 5, 8, 9, 0};

void removeQuietly(const JobFiles& job) {
    for (int n = 0; n <= 10; ++n) {
        try {
            if (job.hasFile(n))
                platform::removeFile(job.path(n));
        } catch (...) {
            // A leftover hidden file does no harm: the job list skips hidden names.
        }
    }
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

void writeSavedJob(const JobFiles& job, const SavedJob& data) {
    const JobFiles fresh = savingTemporary(job);
    const JobFiles previous = savingPrevious(job);
    removeQuietly(fresh);
    removeQuietly(previous);
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
            if (job.hasFile(n))
                platform::copyKeepTime(job.path(n), previous.path(n));
    } catch (...) {
        removeQuietly(fresh);
        removeQuietly(previous);
        throw;
    }

    int placed = 0;
    try {
        for (int n : kPlaceOrder) {
            platform::renamePath(fresh.path(n), job.path(n));
            ++placed;
        }
    } catch (...) {
        for (int i = 0; i < placed; ++i) {
            const int n = kPlaceOrder[i];
            try {
                if (previous.hasFile(n))
                    platform::renamePath(previous.path(n), job.path(n));
                else
                    platform::removeFile(job.path(n));
            } catch (...) {
                // Nothing more can be done; the failure below is reported.
            }
        }
        removeQuietly(fresh);
        removeQuietly(previous);
        throw;
    }
    removeQuietly(previous);
}
