#pragma once
#include "core/job_files.h"

#include <QString>
#include <QStringList>
#include <functional>

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

// Writes the saved files of a job so that neither a failure nor a killed program leaves a job that
// mixes old and new files: every file is first written under a hidden temporary name and the old
// ones are kept aside; then a hidden marker is written, and only then is each new file renamed
// into place, ".000" last (a new job exists only once all its files are there). When a rename
// fails, the files already replaced get their old contents back. A save that stopped before its
// marker leaves the old job whole; one that stopped after it is finished by finishInterruptedSaves
// (or the next save of the job). ".006", ".007" and ".010" are left as they are. Throws
// platform::RunError on failure, after cleaning up.
void writeSavedJob(const JobFiles& job, const SavedJob& data);

// At the start: finishes the saves of `groupFolder` that a killed program left, each job whole
// old or whole new, and removes their hidden files. Passes failures over (the next start tries
// again) and leaves a group alone while a living process saves in it.
void finishInterruptedSaves(const QString& groupFolder);

// The hidden names the writer uses beside the job while it saves (for tests of failures).
JobFiles savingTemporary(const JobFiles& job);
JobFiles savingPrevious(const JobFiles& job);
QString savingMarker(const JobFiles& job);
// Tests: asked with -1 before the marker is written, before each rename into place with the
// number of files placed so far, and once more when all are; true leaves the save where it is, as
// a killed program would. An empty function removes it.
void setSaveInterruptHook(std::function<bool(int placed)> hook);
