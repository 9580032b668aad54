#pragma once
#include "core/job_files.h"

#include <QString>
#include <QStringList>

// What saving a job writes: ".000" to ".005", ".008" and ".009".
struct SavedJob {
    QStringList folders;             // .000
    QStringList mainFolders;         // .001
    QString backupFolder;            // .002
    JobFiles::Filters filters;       // .003
    JobFiles::Options options;       // .004
    QStringList excluded;            // .005
    JobFiles::Programs programs;     // .008
    JobFiles::Versioning versioning; // .009
};

// Writes the saved files of a job so that a failure never leaves a job that mixes old and new
// files: every file is first written under a hidden temporary name, then each is renamed into
// place with ".000" last (a new job exists only once all its files are there). When a rename
// fails, the files already replaced get their old contents back. ".006", ".007" and ".010" are
// left as they are. Throws platform::RunError on failure, after cleaning up.
void writeSavedJob(const JobFiles& job, const SavedJob& data);

// The hidden names the writer uses beside the job while it saves (for tests of failures).
JobFiles savingTemporary(const JobFiles& job);
JobFiles savingPrevious(const JobFiles& job);
