#include "platform/errors.h"

#include <QHash>
#include <cerrno>
#include <cstdio>

namespace platform {

QString errorDescription(int number) {
    switch (number) {
    case 5:
        return QStringLiteral("Ogiltigt proceduranrop eller argument");
    case 6:
        return QStringLiteral("Spill");
    case 7:
        return QStringLiteral("Slut på minne");
    case 9:
        return QStringLiteral("Indexet är utanför intervallet");
    case 11:
        return QStringLiteral("Division med noll");
    case 13:
        return QStringLiteral("Typerna matchar inte");
    case 52:
        return QStringLiteral("Felaktigt filnamn eller nummer");
    case 53:
        return QStringLiteral("Filen hittades inte");
    case 55:
        return QStringLiteral("Filen är redan öppen");
    case 57:
        return QStringLiteral("I/O-fel på enheten");
    case 58:
        return QStringLiteral("Filen finns redan");
    case 61:
        return QStringLiteral("Disken är full");
    case 62:
        return QStringLiteral("Inmatning efter filslut");
    case 67:
        return QStringLiteral("För många filer");
    case 68:
        return QStringLiteral("Enheten är inte tillgänglig");
    case 70:
        return QStringLiteral("Åtkomst nekad");
    case 71:
        return QStringLiteral("Disken är inte klar");
    case 75:
        return QStringLiteral("Fel vid åtkomst till sökväg/fil");
    case 76:
        return QStringLiteral("Sökvägen hittades inte");
    default:
        return QStringLiteral("Programdefinierat fel eller fel i programmet");
    }
}

void writeStandardError(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int errorNumberFromErrno(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return 61;
    case EACCES:
    case EPERM:
        return 70;
    case ENOENT:
        return 53;
    case ENOTDIR:
        return 76;
    case EIO:
        return 57;
    case EEXIST:
        return 58;
    case EMFILE:
    case ENFILE:
        return 67;
    default:
        return 75;
    }
}

RunError runErrorFromErrno(int err) {
    const int n = errorNumberFromErrno(err);
    return RunError{n, errorDescription(n)};
}

void throwErrno(int err) {
    throw runErrorFromErrno(err);
}

void throwError(int number) {
    throw RunError{number, errorDescription(number)};
}

void throwCreationError(int err) {
    if (err == EINVAL)
        throw RunError{errorNumberFromErrno(err), QStringLiteral("Backupdisken tillåter inte det namnet")};
    throwErrno(err);
}

namespace {
QHash<QString, int>& faults() {
    static QHash<QString, int> f;
    return f;
}
} // namespace

void injectFault(const QString& path, int err) {
    faults().insert(path, err);
}

void clearFaults() {
    faults().clear();
}

bool faultsSet() {
    return !faults().isEmpty();
}

int faultFor(const QString& path) {
    const auto& f = faults();
    if (f.isEmpty())
        return 0;
    for (auto it = f.cbegin(); it != f.cend(); ++it) {
        const QString& p = it.key();
        if (path == p || (path.startsWith(p) && (p.endsWith('/') || path.at(p.size()) == '/')))
            return it.value();
    }
    return 0;
}

int faultFor(const QString& path, QStringView suffix) {
    if (faults().isEmpty())
        return 0;
    return faultFor(QString(path).append(suffix));
}

void checkFault(const QString& path) {
    if (const int e = faultFor(path))
        throwErrno(e);
}

void checkCreateFault(const QString& path) {
    if (const int e = faultFor(path, u"#create"))
        throwCreationError(e);
}

} // namespace platform
