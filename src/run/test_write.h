#pragma once
#include <QString>

struct CurrentJobRecord;
namespace jobrules {
class JobSet;
enum class Purpose;
} // namespace jobrules

// The empty file written and deleted in every backup folder before a run.
QString testFileName();
// Writes and deletes the test file in `folder`; false when it could not be written. Nothing is
// written below a volume that is not present, nor into an empty or relative folder name.
bool writeTestFile(const QString& folder);
// Why the run must not run the loaded job, or an empty text when it may: its files could not be
// read whole, or the rule book refuses it for `purpose` given every job in `all` (a mirror deletes
// in its backup folder what the source lacks). `note`, when given, gets what a run that goes on
// says of the job.
QString runRefusal(const CurrentJobRecord& job, const jobrules::JobSet& all, jobrules::Purpose purpose,
                   bool mirroring, QString* note = nullptr);
// An entry of the missing-drive list names `drive` (a volume, or a whole network path).
bool entryNamesDrive(const QString& entry, const QString& drive);
