#pragma once
#include <QString>
#include <QStringList>
#include <map>

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

// The run's missing folders. A folder takes the place of the entries at or below it (whole path
// pieces), so the run end names only the topmost missing folder of a tree. Adding costs a lookup
// in a sorted index, never a pass over the list: a job may name 100,000 folders that are gone.
class MissingFolderList {
  public:
    // Adds `folder`; returns how many entries it took the place of.
    int add(const QString& folder);
    // The entries in the order they were added.
    QStringList entries() const;
    int size() const { return int(byPath_.size()); }
    void clear();

  private:
    std::map<QString, quint64> byPath_; // folder -> when added
    std::map<quint64, QString> byOrder_;
    quint64 next_ = 0;
};
