#pragma once
#include <QString>

// The empty file written and deleted in every backup folder before a run.
QString testFileName();
// Writes and deletes the test file in `folder`; false when it could not be written. Nothing is
// written below a volume that is not present, nor into an empty or relative folder name.
bool writeTestFile(const QString& folder);
// An entry of the missing-drive list names `drive` (a volume, or a whole network path).
bool entryNamesDrive(const QString& entry, const QString& drive);
