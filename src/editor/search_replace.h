#pragma once
#include "core/job_files.h"
#include "core/job_rules.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

// Replacing a text by another in the job files of one or more jobs, line by line.
namespace searchreplace {

// The kinds of job data the user can choose, in the order of the window's list, and the job file
// each one edits. The other files of a job are never edited.
struct Category {
    const char* caption;
    int file;
};
constexpr std::array<Category, 6> kCategories{{{"Mappar", 0},
                                               {"Huvudmappar", 1},
                                               {"Backupmapp", 2},
                                               {"Fil- och mappfilter", 3},
                                               {"Exkluderade mappar", 5},
                                               {"Programstopp och -start", 8}}};
using Marked = std::array<bool, kCategories.size()>;

// One line with every occurrence of `find` replaced (exact letter case), searching from the start
// again after each replacement, so an occurrence that a replacement forms with the text around it
// is replaced too. A replacement that itself contains `find` is put in once per occurrence.
QString replaceInLine(const QString& line, const QString& find, const QString& with);

// The files of one job that change.
struct FileChange {
    int file = 0;       // its number (".000" is 0)
    QStringList before; // its lines as read
    QStringList after;  // its lines with the replacements
};
struct JobPlan {
    std::vector<FileChange> files;
    int changedLines = 0;
};
// Reads one category's file of a job (`file` is its number) and adds it to `plan` when a line
// changes. A missing file is passed over. Nothing is written.
void planFile(const JobFiles& job, int file, const QString& find, const QString& with, JobPlan& plan);
// The changes of every marked category of one job.
JobPlan planJob(const JobFiles& job, const Marked& marked, const QString& find, const QString& with);

// What the replacement alone would spoil in the job: a folder text that it leaves beginning or
// ending with white space, as the end of a sentence about the job ("skulle få mappen \"...\", som
// börjar eller slutar med ett blanktecken"), or an empty text.
QString textProblem(const JobPlan& plan);
// The plan changes the job's folders, main folders or backup folder.
bool changesFolders(const JobPlan& plan);
// The job as it would be with `plan` written; nullopt for a job without a backup-folder file.
std::optional<JobFiles::Job> jobAfter(const JobFiles& job, const JobPlan& plan);
// The end of a sentence about the job for the rule book's refusal ("skulle få en backupmapp som
// inte kan användas: ...", for an absolute job whose folders would no longer lie in its one main
// folder "inte skulle kunna köras: ...").
QString problemText(const jobrules::Problem& problem);

// Writes a plan, each file whole. When a write fails, the files already written get their old
// lines back, so the job is either as it was or fully replaced; the error is thrown.
void writePlan(const JobFiles& job, const JobPlan& plan);

} // namespace searchreplace
