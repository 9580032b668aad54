#pragma once
#include "platform/files.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace platform {

// Every mount point of this process, as the kernel names it (/proc/self/mountinfo).
QStringList mountPoints();

// What a walk over source folders stays out of, known by identity: the folders it leaves out (a
// backup folder, a version folder) with all inside them, and every folder that holds a source (the
// source and each folder above it, "/" included), where a link or a mount leading there would send
// the walk round again or over the whole system. Made once per walk: a folder then costs the
// comparison of the identity its own opening gave.
class WalkGuard {
  public:
    enum class Verdict {
        Walk, // an ordinary folder
        Own,  // a left-out folder: neither listed nor entered
        Loop, // leads back to a folder holding a source, or into a left-out folder: never followed
    };
    WalkGuard() = default;
    WalkGuard(const QStringList& sources, const QStringList& leftOut);

    // A folder the walk reached as a folder of its parent (not through a link).
    Verdict plain(const FolderId& id) const;
    // A link to the folder `target`. A link into a left-out folder is a loop too, unless it leads
    // into a source kept inside that folder; finding out places the link on disk, which only
    // links pay for.
    Verdict link(const QString& path, const FolderId& target) const;

  private:
    std::vector<FolderId> holders_; // sorted
    std::vector<FolderId> own_;
    std::vector<PlacedFolder> ownPlaced_;
    std::vector<PlacedFolder> sources_;
};

// A folder opened for a walk (links followed), read through its handle: its identity costs no
// second look-up of its path, and its entries are read once. Honours the fault hook.
class WalkFolder {
  public:
    explicit WalkFolder(const QString& folder);
    // The folder `name` of `parent` (a link followed), whose whole path is `folder`: opened from
    // the parent's handle, so the path is not looked up piece by piece again.
    WalkFolder(const WalkFolder& parent, const QString& name, const QString& folder);
    ~WalkFolder();
    WalkFolder(const WalkFolder&) = delete;
    WalkFolder& operator=(const WalkFolder&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The folder's identity, read from its handle; {0, 0} when it could not be opened.
    FolderId id() const;
    // The inode number its own "." entry gave when its entries were read; 0 before, or when none.
    quint64 ownInode() const { return ownInode_; }
    // The folders in it and the links to folders, sorted as listFolderEntries sorts them; a link
    // carries the identity of where it leads. Throws RunError when the folder cannot be read.
    struct Entry {
        QString name;
        bool isLink = false;
        FolderId target; // of a link
    };
    std::vector<Entry> folders() const;
    // What countFiles(folder, pattern) counts; 0 for a folder that cannot be read. Every link to a
    // folder met on the way is handed to `folderLink` with the identity of where it leads.
    long countFiles(const QString& pattern,
                    const std::function<void(const QString& name, const FolderId& target)>& folderLink) const;

  private:
    int fd_ = -1;
    int error_ = 0;
    mutable bool read_ = false; // its entries were read: a second reading starts again
    mutable quint64 ownInode_ = 0;
};

// Where a walk may take a folder's identity from the folder's own listing, which it reads anyway:
// on a file system whose listings give a folder's own inode number in its "." entry and which has
// one device per mount (ext2/3/4, xfs, tmpfs; not btrfs with its subvolumes, FUSE, overlays or
// network file systems), a folder below the root reached without a link and without crossing a
// mount point has the root's device. A walk of 50,000 folders then makes no call per folder to
// know them; everywhere else it asks the folder's handle.
class SameDevice {
  public:
    SameDevice() = default;
    explicit SameDevice(const PlacedFolder& root);
    // The folder `rest` below the root (its pieces, without a leading '/'), reached without a link,
    // has the root's device. Letter case is ignored when a mount point is looked for, so where a
    // file system ignores it too, a mount is never missed.
    bool covers(QStringView rest) const;
    quint64 device() const { return device_; }

  private:
    bool trusted_ = false;
    quint64 device_ = 0;
    QStringList mounts_; // mount points below the root, as pieces below it
};

} // namespace platform
