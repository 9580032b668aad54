#pragma once
#include <QString>

struct CurrentJobRecord;

// The empty file written and deleted in every backup folder before a run.
QString testFileName();
// Writes and deletes the test file in `folder`; false when it could not be written. Nothing is
// written below a volume that is not present, nor into an empty or relative folder name.
bool writeTestFile(const QString& folder);
// Why the run must not run the loaded job, or an empty text when it may: its files could not be
// read whole, or its backup folder may not be one (a mirror deletes there what the source lacks).
QString runRefusal(const CurrentJobRecord& job);
// An entry of the missing-drive list names `drive` (a volume, or a whole network path).
bool entryNamesDrive(const QString& entry, const QString& drive);
