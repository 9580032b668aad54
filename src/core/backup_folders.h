#pragma once
#include <QString>
#include <QStringList>

// Lists that name files to delete (saved mirror lists, the leftover window's lists) are only
// trusted inside what the program owns: the backup folders of its jobs.
namespace backupfolders {

// Why `folder` may not be the backup folder of a job with these main folders and this folder list,
// or an empty text when it may. A backup folder is the program's own, where a mirror deletes what
// the source no longer has: so it is never "/", the home folder or a folder above it, a source
// folder or a folder above one, nor a folder that holds the program folder. A backup folder kept
// inside a main folder is left out of the copy with all below it, so the folders a scan lists
// there are not counted as sources. The backup folder and the main folders are compared with their
// links resolved; a folder of the list as its main folder's resolved path and the rest.
QString backupFolderProblem(const QString& folder, const QStringList& mainFolders, const QStringList& folders,
                            const QString& programFolder);
// The same with the program folder of the running program.
QString backupFolderProblem(const QString& folder, const QStringList& mainFolders,
                            const QStringList& folders);

// The backup folders of every job in the program folder's four job groups (Listor .. Listor4),
// without a trailing '/'. Jobs whose backup folder cannot be read, or may not be one
// (backupFolderProblem), are left out.
QStringList all(const QString& programFolder);

// Why `entry` may not be deleted, or an empty text when it may: it must be a whole path without
// "." or ".." pieces (and no empty piece) that lies inside, not at, one of `folders`.
QString deletionProblem(const QString& entry, const QStringList& folders);

} // namespace backupfolders
