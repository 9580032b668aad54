#include "editor/job_lists.h"

#include "platform/vb.h"

#include <cmath>

namespace joblists {

QStringList textToEntries(const QString& text, const QString& separator) {
    QStringList out;
    for (const QString& piece : platform::Split(text, separator))
        if (!piece.isEmpty())
            out << piece;
    return out;
}

QString entriesToText(const QStringList& entries, const QString& separator) {
    return entries.join(separator);
}

namespace {
// The general number form, with a full stop so that the value function reads it back unchanged
// (a locale comma would read back as the whole part only).
QString numberText(double v) {
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<long long>(v));
    return QString::number(v, 'g', 15);
}
} // namespace

QString normalisedSizeText(const QString& text) {
    if (text.isEmpty())
        return text;
    return numberText(platform::Val(text));
}

QString normalisedCountText(const QString& text) {
    return numberText(platform::Val(text));
}

bool sizeLimitAccepted(const QString& text) {
    return text.isEmpty() || platform::Val(text) > 0;
}

bool versionCountAccepted(const QString& text) {
    return platform::Val(text) > 0;
}

QString versionTypeRefusal(const QString& type) {
    if (type == QStringLiteral("*.*"))
        return QStringLiteral(
            "Du behöver inte ange \"*.*\" för att få med alla filer. Använd bara fältet om det är "
            "vissa filtyper du vill inkludera.");
    if (type.contains('.'))
        return QStringLiteral("Filtypen får inte innehålla punkter.");
    if (type.contains('*'))
        return QStringLiteral("Filtypen får inte innehålla stjärnor.");
    return {};
}

QString defaultVersionFolder(const QString& backupFolder) {
    if (backupFolder.isEmpty() || backupFolder.endsWith('/'))
        return backupFolder;
    return backupFolder + QStringLiteral("/versioner");
}

QString programEntryForPath(const QString& path) {
    const QString p = path.trimmed();
    return p.contains(' ') ? QStringLiteral("\"") + p + QStringLiteral("\"") : p;
}

QString jobNameFromTyped(const QString& typed) {
    QString n = typed;
    n.replace('<', QChar(0x00AB));
    n.replace('>', QChar(0x00BB));
    return n;
}

bool isSingleFileName(const QString& name) {
    if (name.isEmpty() || name.startsWith('.') || name.contains('/'))
        return false;
    for (const QChar c : name)
        if (c.unicode() < 32 || c.unicode() == 127)
            return false;
    // A name that is too long for one file name with its extension.
    return (name + QStringLiteral(".000")).toUtf8().size() <= 255;
}

} // namespace joblists
