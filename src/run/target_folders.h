#pragma once
#include <QString>
#include <QStringList>

// Folder filters and the target folder of each source folder.

// The filter pieces of a job's folder filter text ("cache * temp").
QStringList folderFilterPieces(const QString& filterText);
// The index of the first piece that occurs in the path, letter case ignored; -1 for none.
// Empty pieces are passed over.
int matchingFolderFilter(const QString& path, const QStringList& pieces);
// The target folder (ending in '/') of a source folder in the backup folder. Relative path type:
// the source's whole path below the backup folder. Absolute: the path below the job's main
// folder, with the main folder's own name in front when `withMainFolderName`.
QString targetFolderFor(const QString& source, const QString& backupFolder, bool absolute,
                        const QString& mainFolder, bool withMainFolderName);
// The folder is the job's backup folder or version folder, or lies below one of them: what the
// run writes there is never read back as source (it would nest a copy in itself at every run)
// and never mirrored away. An empty folder setting names nothing.
bool insideBackupOrVersionFolder(const QString& folder, const QString& backupFolder,
                                 const QString& versionFolder);
