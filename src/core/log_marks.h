#pragma once
#include <QString>
#include <vector>

class QTextDocument;

// Finding and marking words in the log texts: "FEL:" in run logs, search hits, and the errors of
// the system log. Positions are offsets in the text as a text box holds it: one character per
// line break. The log panel of the main window and the log viewer both mark through here.
namespace logmarks {

struct Range {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const Range&) const = default;
};

// Every occurrence of `word`, ignoring letter case. Each search starts one character after the
// start of the previous hit, so overlapping hits are each found ("aa" twice in "aaa"). An empty
// word finds nothing.
std::vector<Range> findAll(const QString& text, const QString& word);

// The error marks of a run log: every "FEL:".
std::vector<Range> runLogErrors(const QString& text);

// The errors of the system log: every "FEL!", then every "Ett fel uppstod" whose character two
// places before is not "!" (counted with CR LF line ends, so one that begins a line is never
// skipped), each found ignoring case. In text order.
std::vector<Range> programLogErrors(const QString& text);

// "Inga fel i loggen.", or the count of marked errors.
QString errorCountText(int count);
// "Hittade inga träffar.", or the count of marked search hits.
QString searchResultText(int hits);

// Red (255, 0, 0) and bold on each range, in one edit step.
void markRedBold(QTextDocument* doc, const std::vector<Range>& ranges);

} // namespace logmarks
