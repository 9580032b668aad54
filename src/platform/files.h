#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// File operations of the program. All of them throw RunError on failure and honour the fault
// hook of platform/errors.h.
namespace platform {

struct FileEntry {
    QString name;       // name within the folder
    qint64 size = 0;    // bytes
    qint64 mtime = 0;   // modification time, whole seconds since the epoch (UTC)
};

struct FileInfo {
    bool exists = false;
    bool isFile = false;
    bool isDir = false;
    bool isLink = false;
    qint64 size = 0;
    qint64 mtime = 0;
};

// Status of a path (links followed; isLink tells whether the path itself is a link).
FileInfo fileInfo(const QString& path);
bool fileExists(const QString& path);    // a regular file (or a link to one)
bool folderExists(const QString& path);  // a folder (or a link to one)
qint64 fileTime(const QString& path);    // throws 53 when missing
qint64 fileSize(const QString& path);    // throws 53 when missing

// Case-insensitive Swedish order of names.
void sortNames(QStringList& names);
bool lessName(const QString& a, const QString& b);

// The regular files of a folder (and links to regular files), sorted; never FIFOs, sockets or
// devices. Hidden names are listed; only "." and ".." are skipped.
std::vector<FileEntry> listFiles(const QString& folder);
QStringList listFileNames(const QString& folder);
// The folders of a folder (and links to folders), sorted.
QStringList listFolders(const QString& folder);

// A file pattern as the user types it: "*.*" matches every name, "*.doc" matches
// case-insensitively, "?" one character.
bool matchesPattern(const QString& name, const QString& pattern);

// Copies `source` over `target`: writes a temporary file in the target's folder, gives it the
// source's modification time and permission bits, then renames it over the target. On any
// failure (or when `cancelled` returns true between blocks) the temporary file is removed and the
// old target is untouched. `progress` receives bytes copied so far.
void copyKeepTime(const QString& source, const QString& target,
                  const std::function<bool()>& cancelled = {},
                  const std::function<void(qint64)>& progress = {});

// Deletes a file (a link is removed as a link).
void removeFile(const QString& path);
// Deletes an empty folder.
void removeFolder(const QString& path);
// Deletes a folder with everything inside; links inside are removed as links, never followed.
void removeFolderRecursively(const QString& path);
// Moves a file or folder to the freedesktop trash; throws when that failed.
void moveToTrash(const QString& path);
// Renames (moves within one file system).
void renamePath(const QString& from, const QString& to);

} // namespace platform
