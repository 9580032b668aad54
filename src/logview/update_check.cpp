#include "logview/update_check.h"

namespace updates {

Site defaultSite() {
    Site s;
    s.base = QStringLiteral(TAMREL_WEB_BASE);
    while (s.base.endsWith(QLatin1Char('/')))
        s.base.chop(1);
    return s;
}

Site& site() {
    static Site s = defaultSite();
    return s;
}

namespace {
QString at(const char* path) {
    return site().base + QString::fromUtf8(path);
}
} // namespace

QString versionFileUrl() {
    return at("/program/tamrel-backup_version.txt");
}
QString setupFileName() {
    return QStringLiteral(TAMREL_SETUP_NAME);
}
QString setupUrl() {
    return site().base + QStringLiteral("/program/") + setupFileName();
}
QString changeLogUrl() {
    return at("/program/tamrel-backup-changelog.txt");
}
QString programPageUrl() {
    return at("/info_backup.html");
}
QString homePageUrl() {
    return at("/");
}
QString forumUrl() {
    return at("/forum/viewforum.php?f=3");
}

QString runningVersionText() {
    return QString::number(TAMREL_VERSION_MAJOR) + QString::number(TAMREL_VERSION_MINOR) +
           QString::number(TAMREL_VERSION_PATCH);
}

QString versionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(TAMREL_VERSION_MAJOR)
        .arg(TAMREL_VERSION_MINOR)
        .arg(TAMREL_VERSION_PATCH);
}

QString shownCurrentVersion() {
    return QStringLiteral("Aktuell version: ") + versionText();
}

QString shownNewest(const QString& field1) {
    // The last two digits are minor version and revision; all before them the major version.
    const qint64 v = field1.trimmed().toLongLong();
    return QStringLiteral("%1.%2.%3").arg(v / 100).arg(v / 10 % 10).arg(v % 10);
}

QStringList readFields(const QString& text) {
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    auto isLineEnd = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    // Passes one delimiter: a comma, or a line end (CR LF counts as one).
    auto passDelimiter = [&] {
        if (i >= n)
            return;
        if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            i += 2;
        else
            ++i;
    };
    while (i < n) {
        while (i < n && isBlank(text[i]))
            ++i;
        QString field;
        if (i < n && text[i] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            // What stands between the closing quote and the delimiter is passed over.
            while (i < n && text[i] != QLatin1Char(',') && !isLineEnd(text[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != QLatin1Char(',') && !isLineEnd(text[i]))
                ++i;
            field = text.mid(start, i - start);
        }
        fields << field;
        passDelimiter();
    }
    // Empty lines at the end of the file carry no news.
    while (fields.size() > 1 && fields.last().trimmed().isEmpty())
        fields.removeLast();
    return fields;
}

VersionFile parseVersionFile(const QString& text) {
    VersionFile v;
    if (text.isEmpty()) {
        v.status = VersionFile::Status::Empty;
        return v;
    }
    QStringList fields = readFields(text);
    const QString first = fields.isEmpty() ? QString() : fields.takeFirst().trimmed();
    bool digits = !first.isEmpty() && first.size() <= 18;
    for (QChar c : first)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digits)
        return v;
    v.status = VersionFile::Status::Ok;
    v.newest = first;
    v.news = fields;
    return v;
}

QString newsText(const QStringList& news) {
    QString text = QStringLiteral("Nyheter:");
    for (QString item : news) {
        item.replace(QStringLiteral("\r\n"), QStringLiteral("--"));
        item.replace(QLatin1Char('\n'), QStringLiteral("--"));
        item.replace(QStringLiteral("--"), QStringLiteral("\n"));
        text += QLatin1Char('\n') + item;
    }
    return text;
}

bool isNewer(const QString& newest, const QString& running) {
    return newest.toLongLong() > running.toLongLong();
}

} // namespace updates
