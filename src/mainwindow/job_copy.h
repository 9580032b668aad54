#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

struct CurrentJobRecord;

// Duplicating a job, copying it to another job group and exporting a group as readable text.
// Plain functions over job group folders; the menu commands around them ask and report.
namespace jobcopy {

// The highest file number a copy to another group carries (".000" .. ".020").
constexpr int kGroupCopyLast = 20;
// A duplicate carries ".000" .. ".009".
constexpr int kDuplicateLast = 9;

// The name of a duplicate of `job` in `folder`: job (cut with "…" where the name would not fit
// JobFiles::kLongestNameBytes) + "(" + n + ")" for the first n from 2 to 100
// under which no file of a job set (".000" .. ".010") lies, so a duplicate never mixes with
// files left behind. Empty when every n is taken.
QString duplicateName(const QString& folder, const QString& job);

// Copies the files ".000" .. ".009" of `job` to `newName` in the same folder, as one step.
void duplicate(const QString& folder, const QString& job, const QString& newName);

// Copies the files ".000" .. ".020" of `job` from `fromFolder` to `toFolder` as one step, replacing
// the files of the same names there; files only the target has stay.
void copyToGroup(const QString& fromFolder, const QString& toFolder, const QString& job);

// The export file of a job: `exportFolder` + "/_export_" + job + ".txt", the job's name cut with
// "…" where the file name would not fit. Throws RunError 52 when
// the job's name is no single file name, so the file can only lie in the export folder.
QString exportFilePath(const QString& exportFolder, const QString& job);

// The lines of a job's export file, from the job's record.
QStringList exportLines(const QString& job, const CurrentJobRecord& r);

// The export folder the user typed: a relative folder lies in the program folder; no trailing '/'.
QString exportFolder(const QString& typed, const QString& programFolder);

// Writes the export file of each job of `jobs` (in the group `groupFolder`) into `exportFolder`,
// in order, each file whole. Stops at the first failure (throws), the files written so far stay.
// A path there that is a link or a folder is not replaced (RunError 75).
void exportJobs(const QString& groupFolder, const QStringList& jobs, const QString& exportFolder,
                const QDate& today);

} // namespace jobcopy
