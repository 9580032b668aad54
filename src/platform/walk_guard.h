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

class WalkFolder;

// The folder handles one walk holds open at once. A walk deeper than `limit` closes the handles of
// the folders highest above it and opens them again, from the nearest one still open, when it comes
// back to them; one the system refuses for want of handles (EMFILE) makes it close one more and try
// again. So a walk's depth is bounded by the length of a path, not by the open-file limit.
class WalkHandles {
  public:
    explicit WalkHandles(size_t limit = 64) : limit_(limit < 2 ? 2 : limit) {}
    WalkHandles(const WalkHandles&) = delete;
    WalkHandles& operator=(const WalkHandles&) = delete;

  private:
    friend class WalkFolder;
    void opened(const WalkFolder* f);
    void closed(const WalkFolder* f);
    // Closes the handle opened first among those it may close (never `keep`); false when none is left.
    bool closeOne(const WalkFolder* keep);
    size_t limit_;
    std::vector<const WalkFolder*> open_; // in the order opened
};

// A folder opened for a walk (links followed), read through its handle: its identity costs no
// second look-up of its path, and its entries are read once. Honours the fault hook, and
// injectFault(folder + "#enter", err): the folder can be listed, but neither the status of its
// entries nor its folders can be read or opened (as mode 644 leaves it).
class WalkFolder {
  public:
    // `handles`, when given, bounds the handles the folders opened below this one hold.
    explicit WalkFolder(const QString& folder, WalkHandles* handles = nullptr);
    // The folder `name` of `parent` (a link followed), whose whole path is `folder`: opened from
    // the parent's handle, so the path is not looked up piece by piece again.
    WalkFolder(const WalkFolder& parent, const QString& name, const QString& folder);
    ~WalkFolder();
    WalkFolder(const WalkFolder&) = delete;
    WalkFolder& operator=(const WalkFolder&) = delete;

    // It was opened (its handle may be closed for now, to be opened again when needed).
    bool isOpen() const { return fd_ >= 0 || closed_; }
    // The errno of its opening (or of opening it again), 0 when it is open.
    int error() const { return error_; }
    // The folder's identity, read from its handle; {0, 0} when it could not be opened.
    FolderId id() const;
    // The inode number its own "." entry gave when its entries were read; 0 before, or when none.
    quint64 ownInode() const { return ownInode_; }
    // The folders in it and the links to folders, sorted as listFolderEntries sorts them; a link
    // carries the identity of where it leads. Throws RunError when the folder cannot be read; an
    // entry that may be a folder but cannot be read goes to `unreadable` (without it, throws too).
    struct Entry {
        QString name;
        bool isLink = false;
        FolderId target; // of a link
    };
    // With `pattern`, `files` receives what countFiles(pattern) counts in the same reading.
    std::vector<Entry> folders(UnreadableEntries* unreadable = nullptr, const QString* pattern = nullptr,
                               long* files = nullptr) const;
    // What countFiles(folder, pattern) counts; 0 for a folder that cannot be read, whose errno goes
    // to `error` when given. Every link to a folder met on the way is handed to `folderLink` with
    // the identity of where it leads.
    long countFiles(const QString& pattern,
                    const std::function<void(const QString& name, const FolderId& target)>& folderLink,
                    int* error = nullptr) const;

  private:
    friend class WalkHandles;
    // Its handle, opened again from its parent's where it was closed; -1 (error_ set) when it
    // cannot be, or it is no longer the folder it was.
    int handle() const;
    int openFrom(int parentFd) const;
    void closeForNow() const;
    const WalkFolder* parent_ = nullptr;
    WalkHandles* handles_ = nullptr;
    QByteArray name_; // in the parent, for opening it again
    int enterFault_ = 0;
    mutable int fd_ = -1;
    mutable int error_ = 0;
    mutable bool closed_ = false; // its handle was closed for the walk's bound
    mutable FolderId closedId_;   // its identity when it was
    mutable bool read_ = false;   // its entries were read: a second reading starts again
    mutable quint64 ownInode_ = 0;
};

// What a walk's reading of a folder tells a count of its files (WalkFolder::countFiles), so the
// count need not read the folder again.
struct FolderFiles {
    QString pattern; // of the files counted
    long files = 0;
    FolderId id;                                     // as the walk knew it; {0, 0} where it did not read it
    quint64 ownInode = 0;                            // as WalkFolder::ownInode
    std::vector<std::pair<QString, FolderId>> links; // its links to folders, with where they lead
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
