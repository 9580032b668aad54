#include "core/log_marks.h"

#include <QColor>
#include <QFont>
#include <QStringMatcher>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace logmarks {

std::vector<Range> findAll(const QString& text, const QString& word) {
    std::vector<Range> hits;
    if (word.isEmpty())
        return hits;
    const QStringMatcher matcher(word, Qt::CaseInsensitive);
    for (qsizetype p = matcher.indexIn(text, 0); p >= 0; p = matcher.indexIn(text, p + 1))
        hits.push_back({p, word.size()});
    return hits;
}

std::vector<Range> runLogErrors(const QString& text) {
    return findAll(text, QStringLiteral("FEL:"));
}

std::vector<Range> programLogErrors(const QString& text) {
    std::vector<Range> marks = findAll(text, QStringLiteral("FEL!"));
    for (const Range& r : findAll(text, QStringLiteral("Ett fel uppstod"))) {
        const qsizetype p = r.start;
        // The character two places before, in the text with CR LF line ends: a hit at the start
        // of a line has the CR there.
        QChar before;
        if (p >= 1 && text[p - 1] == QLatin1Char('\n'))
            before = QLatin1Char('\r');
        else if (p >= 2)
            before = text[p - 2];
        if (before != QLatin1Char('!'))
            marks.push_back(r);
    }
    // In text order: the boxes put marks in while they fill, front to back.
    std::sort(marks.begin(), marks.end(), [](const Range& a, const Range& b) { return a.start < b.start; });
    return marks;
}

QString errorCountText(int count) {
    if (count == 0)
        return QStringLiteral("Inga fel i loggen.");
    if (count == 1)
        return QStringLiteral("Hittade 1 fel. Det är markerat med rött.");
    return QStringLiteral("Hittade ") + QString::number(count) +
           QStringLiteral(" fel. De är markerade med rött.");
}

QString searchResultText(int hits) {
    if (hits == 0)
        return QStringLiteral("Hittade inga träffar.");
    if (hits == 1)
        return QStringLiteral("Hittade 1 träff. Den är markerad med rött.");
    return QStringLiteral("Hittade ") + QString::number(hits) +
           QStringLiteral(" träffar. De är markerade med rött.");
}

void markRedBold(QTextDocument* doc, const std::vector<Range>& ranges) {
    if (!doc || ranges.empty())
        return;
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontWeight(QFont::Bold);
    const qsizetype end = doc->characterCount() - 1;
    QTextCursor c(doc);
    c.beginEditBlock();
    for (const Range& r : ranges) {
        if (r.start < 0 || r.start + r.length > end)
            continue;
        c.setPosition(int(r.start));
        c.setPosition(int(r.start + r.length), QTextCursor::KeepAnchor);
        c.mergeCharFormat(red);
    }
    c.endEditBlock();
}

} // namespace logmarks
