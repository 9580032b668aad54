#pragma once
#include "platform/errors.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <array>
#include <optional>

// The scheduler's files and the values in them: the common setting and the selection of a job
// group, the times and the day lines. Every file is read and written whole; readers throw or
// report platform::RunError.
namespace schedule {

// Day check boxes indexed by weekday, 1 = Sunday .. 7 = Saturday (index 0 unused).
using Days = std::array<bool, 8>;

// Weekday number of a date, 1 = Sunday .. 7 = Saturday.
int weekday(const QDate& date);
// "Söndag" .. "Lördag" for 1 .. 7.
QString dayCaption(int day);

// ---- times ---------------------------------------------------------------------------------------

// A time as the user may type it: two digits, ":" or ".", two digits, at most 23:59.
bool timeTextValid(const QString& text);
// The typed time written back as first two characters, ":", last two characters.
QString normalisedTime(const QString& text);
// A stored time as readers accept it: blanks around it, "." or ":" between, one or two digits of
// hour; nullopt when it is no time of day.
std::optional<QTime> storedTime(const QString& text);
// "hh:mm" of a moment (the scheduler compares wall-clock minutes as text).
QString minuteText(const QDateTime& t);
// The wall-clock minute at which a time of day falls due on `date`: the time itself, or, when the
// clocks skip it that night, the first minute after the gap.
QDateTime dueMoment(const QDate& date, const QTime& time);

// ---- day lines -----------------------------------------------------------------------------------

// Common days: character i is "1" when day i is chosen, else "0"; an empty line is every day.
QString commonDaysLine(const Days& days);
Days commonDaysFrom(const QString& line);
// A job's days: character i is the digit i when day i is chosen, else "0".
QString jobDaysLine(const Days& days);
// Day i is chosen when its digit occurs anywhere in the line.
Days jobDaysFrom(const QString& line);
bool anyDay(const Days& days);

// ---- the common setting and the selection --------------------------------------------------------

// The file of job group `group` (0..3): no digit for the first group, "2".."4" for the others.
QString commonSettingFile(int group);
QString selectionFile(int group);

struct CommonSetting {
    bool common = false;  // line 1: "True" the common setting is the mode, "False" per job
    int mirror = 0;       // line 2
    QString time;         // line 3, "hh:mm"
    QString days;         // line 4, seven "1"/"0"
    int ignoreErrors = 0; // line 5, never set
    int simulate = 0;     // line 6
};
void writeCommonSetting(const QString& path, const CommonSetting& s);

// What a read of the common-setting file got: each value once its line was read, in file order;
// `error` when the read ended early (the values before it stay).
struct CommonSettingRead {
    std::optional<bool> common;
    std::optional<int> mirror;
    std::optional<QString> time;
    std::optional<QString> days; // "1111111" when the line is missing or empty
    std::optional<int> simulate;
    std::optional<platform::RunError> error;
};
CommonSettingRead readCommonSetting(const QString& path);

// The selection file: one job name a line, in the order of the job list.
QStringList readSelection(const QString& path);
void writeSelection(const QString& path, const QStringList& names);
// Renames a job in the selection file of `group`, when the file names it.
void renameInSelection(int group, const QString& oldName, const QString& newName);

// ---- per-job schedule entries --------------------------------------------------------------------

// One line of the per-job list: time "*" mirror "*" job index "*" simulate "*" seven day characters.
struct Entry {
    QString time;
    int mirror = 0;
    int jobIndex = 0;
    int simulate = 0;
    QString days;

    QString text() const;
    // Throws 9 for a line of fewer than five fields.
    static Entry parse(const QString& text);
};

} // namespace schedule
