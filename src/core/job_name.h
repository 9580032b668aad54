#pragma once
#include <QString>

// What a job's name may be. The name is the file name of the job's set, the entry of the job list
// and the word of the command line, so every way of giving a name (a new job, saving, renaming,
// duplicating, copying to another group) asks this one rule.
namespace jobname {

enum class Rule {
    None,               // the name may be a job's name
    ControlCharacter,   // a tab, a line break, DEL or any other control character
    ForbiddenCharacter, // one of \ / : * ? " < > |
    LeadingDot,         // the job's files would be hidden
    EdgeBlank,          // white space at the start or the end
    TooLong,            // more than JobFiles::kLongestNameBytes bytes of UTF-8
    MirrorEnding,       // ",1" or ",2" at the end, which the command line reads as mirroring
};

// The characters a name may not hold, in the order the refusal lists them.
inline const QString kForbiddenCharacters = QStringLiteral("\\/:*?\"<>|");

// The first rule `name` breaks, None when it breaks none. An empty name breaks none: whoever asks
// for a name decides what no name means.
Rule brokenRule(const QString& name);
// Why the name is refused under `rule`, in the words the user reads; empty for None.
QString refusal(Rule rule, const QString& name);
// The refusal of the first rule `name` breaks, or an empty text.
QString refusal(const QString& name);
// Whether a job already saved under a name that breaks `rule` may be saved again under it: names
// from before a rule was kept keep running, and the folder-structure refresh saves them too.
bool keptBySavedJob(Rule rule);

} // namespace jobname
