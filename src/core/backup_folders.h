#pragma once
#include <QString>
#include <QStringList>

// Lists that name files to delete (saved mirror lists, the leftover window's lists) are only
// trusted inside what the program owns: the backup folders of its jobs.
namespace backupfolders {

// The backup folders of every job in the program folder's four job groups (Listor .. Listor4),
// without a trailing '/'. Jobs whose backup folder cannot be read are left out.
QStringList all(const QString& programFolder);

// Why `entry` may not be deleted, or an empty text when it may: it must be a whole path without
// "." or ".." pieces (and no empty piece) that lies inside, not at, one of `folders`.
QString deletionProblem(const QString& entry, const QStringList& folders);

} // namespace backupfolders
