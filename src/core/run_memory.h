#pragma once
#include "core/job_files.h"

#include <QString>
#include <QStringList>

// What a job remembers from its last complete run, in its own file of the job set (".011"), read
// and written whole: the folders of its source that were the root of a disk of their own then, so
// that one found as a plain folder later (the disk not mounted) is taken for a missing disk, not
// for a folder emptied. What is missing, damaged or of another version is taken as nothing
// remembered, which only leaves the checks that need no memory.
struct RunMemory {
    static constexpr int kFile = JobFiles::kRunMemory;
    QStringList mountRoots; // as the job's folder list writes them

    static RunMemory read(const JobFiles& job);
    // Throws platform::RunError; a failed write leaves the old file.
    void write(const JobFiles& job) const;
};
