#include "platform/autostart.h"

#include "platform/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {
const QString kFileName = QStringLiteral("tamrel-backup.desktop");

QString executablePath() {
    const QString p = QCoreApplication::applicationFilePath();
    const QString canonical = QFileInfo(p).canonicalFilePath();
    return canonical.isEmpty() ? p : canonical;
}

bool sameExecutable(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}
} // namespace

QString autostartFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + kFileName;
}

QString desktopExecValue(const QString& executable) {
    // Inside double quotes '"', '`', '$' and '\' are escaped with '\'; the string-value escape
    // then doubles every '\' again; '%' starts a field code and is written "%%".
    QString quoted;
    for (const QChar c : executable) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted.replace('\\', QStringLiteral("\\\\"));
    quoted.replace('%', QStringLiteral("%%"));
    return '"' + quoted + '"';
}

QString desktopExecProgram(const QString& execValue) {
    // Undo the string-value escapes first, then the quoting of the first argument.
    QString v;
    for (qsizetype i = 0; i < execValue.size(); ++i) {
        const QChar c = execValue.at(i);
        if (c == '\\' && i + 1 < execValue.size()) {
            const QChar n = execValue.at(++i);
            v += n == 's' ? QChar(' ') : n == 'n' ? QChar('\n') : n == 't' ? QChar('\t') : n;
        } else if (c == '%' && i + 1 < execValue.size() && execValue.at(i + 1) == '%') {
            v += '%';
            ++i;
        } else {
            v += c;
        }
    }
    v = v.trimmed();
    QString program;
    if (v.startsWith('"')) {
        for (qsizetype i = 1; i < v.size(); ++i) {
            const QChar c = v.at(i);
            if (c == '\\' && i + 1 < v.size()) {
                program += v.at(++i);
            } else if (c == '"') {
                break;
            } else {
                program += c;
            }
        }
        return program;
    }
    return v.section(' ', 0, 0);
}

bool isAutostartEnabled() {
    QStringList lines;
    try {
        if (!QFileInfo(autostartFile()).isFile())
            return false;
        lines = readLines(autostartFile());
    } catch (...) {
        return false;
    }
    QString exec;
    bool inEntry = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = value;
        else if (key == QLatin1String("Hidden") &&
                 value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return false;
        else if (key == QLatin1String("X-GNOME-Autostart-enabled") &&
                 value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return !exec.isEmpty() && sameExecutable(desktopExecProgram(exec), executablePath());
}

bool setAutostart(bool enabled) {
    const QString file = autostartFile();
    if (!enabled) {
        if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink())
            return true;
        return QFile::remove(file);
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Tamrel Backup\n"
                                        "Exec=%1\n"
                                        "Terminal=false\n")
                             .arg(desktopExecValue(executablePath()));
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

} // namespace platform
