#include "logview/saved_logs.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "run/run_log.h"

namespace savedlogs {

QStringList listNames(const QString& programFolder) {
    QStringList names;
    for (const platform::FileEntry& e :
         platform::listFiles(runlog::savedLogFolder(programFolder), QStringLiteral("*.txt")))
        if (!e.refused)
            names << e.name;
    return names;
}

bool hasEntry(const QString& fileName) {
    return fileName.size() >= 8;
}

QString entryText(const QString& fileName) {
    return hasEntry(fileName) ? fileName.mid(4, fileName.size() - 8) : QString();
}

QStringList entries(const QStringList& fileNames) {
    QStringList out;
    for (const QString& n : fileNames)
        if (hasEntry(n))
            out << entryText(n);
    if (!out.isEmpty())
        out.last() += kCurrentSuffix;
    return out;
}

QString pathOf(const QString& programFolder, const QString& entry) {
    QString name = entry;
    if (name.endsWith(kCurrentSuffix))
        name.chop(kCurrentSuffix.size());
    return platform::joinPath(runlog::savedLogFolder(programFolder),
                              QStringLiteral("log ") + name + QStringLiteral(".txt"));
}

QString forShowing(QString text) {
    // One pass: a replace per line end would move the rest of a long log each time.
    QChar* out = text.data();
    const QChar* in = out;
    const QChar* end = in + text.size();
    QChar* w = out;
    while (in < end) {
        if (*in == QLatin1Char('\r')) {
            *w++ = QLatin1Char('\n');
            ++in;
            if (in < end && *in == QLatin1Char('\n'))
                ++in;
        } else {
            *w++ = *in++;
        }
    }
    text.truncate(w - out);
    return text;
}

QString readForShowing(const QString& path) {
    return forShowing(platform::readText(path));
}

} // namespace savedlogs
