#include "core/job_name.h"

#include "core/backup_folders.h"
#include "core/job_files.h"

namespace jobname {

Rule brokenRule(const QString& name) {
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return Rule::ControlCharacter;
    for (const QChar c : name)
        if (kForbiddenCharacters.contains(c))
            return Rule::ForbiddenCharacter;
    if (name.startsWith(QLatin1Char('.')))
        return Rule::LeadingDot;
    if (backupfolders::edgeWhiteSpace(name))
        return Rule::EdgeBlank;
    if (!JobFiles::nameFits(name))
        return Rule::TooLong;
    if (name.endsWith(QLatin1String(",1")) || name.endsWith(QLatin1String(",2")))
        return Rule::MirrorEnding;
    return Rule::None;
}

QString refusal(Rule rule, const QString& name) {
    switch (rule) {
    case Rule::None:
        return {};
    case Rule::ControlCharacter:
        return QStringLiteral("Namnet för det här jobbet innehåller ett styrtecken (till exempel tabb eller "
                              "radbrytning). Ett sådant tecken syns inte i jobblistan och kan inte skrivas i "
                              "ett startkommando.");
    case Rule::ForbiddenCharacter: {
        QString shown;
        for (const QChar c : kForbiddenCharacters)
            shown += (shown.isEmpty() ? QString() : QStringLiteral(" ")) + c;
        return QStringLiteral("Namnet för det här jobbet innehåller ett otillåtet tecken. Följande tecken är "
                              "otillåtna:\r\n\r\n") +
               shown;
    }
    case Rule::LeadingDot:
        return QStringLiteral("Namnet för det här jobbet får inte börja med en punkt (.), eftersom jobbet då "
                              "inte skulle visas i jobblistan.");
    case Rule::EdgeBlank:
        return QStringLiteral("Namnet för det här jobbet får inte börja eller sluta med ett blanksteg, "
                              "eftersom blanksteget inte syns och faller bort när namnet skrivs i ett "
                              "startkommando.");
    case Rule::TooLong:
        return QStringLiteral("Namnet för det här jobbet är för långt: det är %1 byte, och högst %2 byte får "
                              "plats i jobbets filnamn (å, ä, ö och andra tecken utöver a-z tar två byte "
                              "eller fler).")
            .arg(name.toUtf8().size())
            .arg(JobFiles::kLongestNameBytes);
    case Rule::MirrorEnding:
        return QStringLiteral("Namnet för det här jobbet får inte sluta med \",1\" eller \",2\", eftersom "
                              "startkommandot läser \",1\" i slutet som spegling och \",2\" som simulerad "
                              "spegling.");
    }
    return {};
}

QString refusal(const QString& name) {
    return refusal(brokenRule(name), name);
}

bool keptBySavedJob(Rule rule) {
    return rule == Rule::ControlCharacter || rule == Rule::EdgeBlank || rule == Rule::MirrorEnding;
}

} // namespace jobname
