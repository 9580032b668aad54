#pragma once
#include <QString>
#include <QStringList>

// The update check's plain logic: the web addresses, the limits of the downloads, the reading of
// the version file and the comparison with this program's version.
namespace updates {

// Where the update files live and what their downloads may take. The one place that names the
// maker's web site; tests point `base` at a server on 127.0.0.1.
struct Site {
    QString base;          // no trailing '/'
    int timeoutMs = 30000; // the version file: the whole transfer
    qint64 versionMaxBytes = 1000000;
    int setupStallMs = 30000; // the setup program: no data for this long
    int setupTotalMs = 30 * 60 * 1000;
    qint64 setupMaxBytes = 512LL * 1000 * 1000;
};
Site& site();
// The built-in site (the build's base address and the limits above).
Site defaultSite();

QString versionFileUrl(); // /program/tamrel-backup_version.txt
QString setupUrl();       // /program/ and the installer's name
// The installer's file name, on the web site and in the program folder: "tamrel-backup-setup.run".
QString setupFileName();
QString changeLogUrl();   // /program/tamrel-backup-changelog.txt
QString programPageUrl(); // /info_backup.html
QString homePageUrl();    // /
QString forumUrl();       // /forum/viewforum.php?f=3

// This program's version as the version file writes it: major, minor and revision joined
// without separator (7.0.0 gives "700").
QString runningVersionText();
// "Aktuell version: " and the version as the program writes it everywhere ("7.0.0").
QString shownCurrentVersion();
// Major, minor version and revision, each after a point: "7.0.0".
QString versionText();
// A version file's first field (digits) written as versionText writes a version: "247" gives
// "2.4.7", "1000" gives "10.0.0".
QString shownNewest(const QString& field1);

// The fields of a text read with the delimited-text rule: a field ends at a comma or at a line
// end (CR LF, CR or LF); blanks before a field are skipped; a field in double quotes may hold
// commas and line breaks, and the quotes are dropped.
QStringList readFields(const QString& text);

struct VersionFile {
    enum class Status { Ok, Empty, Malformed };
    Status status = Status::Malformed;
    QString newest;   // field 1: digits only
    QStringList news; // the further fields, one item each
};
// Reads the text of a downloaded version file. An empty file is Empty; one whose first field is
// not a version number (an HTML page, a message) is Malformed.
VersionFile parseVersionFile(const QString& text);

// "Nyheter:" and a line per item; inside an item every line feed and every "--" is a line break.
// Line breaks are '\n'.
QString newsText(const QStringList& news);

// Whether `newest` (digits) is a newer version than `running` (digits), compared as numbers.
bool isNewer(const QString& newest, const QString& running);

} // namespace updates
