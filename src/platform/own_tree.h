#pragma once
#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

// Where a folder lies: its file system and its mount. A bind mount of a folder of the same disk has
// the device of the disk but a mount of its own, so both are compared.
struct MountKey {
    quint64 device = 0;
    quint64 mountId = 0; // 0 where the system does not tell it
    bool operator==(const MountKey& o) const {
        return device == o.device && (mountId == 0 || o.mountId == 0 || mountId == o.mountId);
    }
};
// The entry at `path`, a link itself and not what it leads to: its mode (st_mode) and its mount,
// read in one call. False when it cannot be read (errno tells why). Honours standInMount.
bool entryMount(const QString& path, unsigned& mode, MountKey& mount);

// What is left alone because it lies on another file system or mount below a backup folder: the
// error number and the words that name it.
inline constexpr int kOtherMount = 515;
QString otherMountText(const QString& path);

// A folder of the program's own (a backup folder), opened once. What lies below it is reached
// through folder handles from there, never by path: each piece is opened without following a link
// (O_NOFOLLOW), and a folder of another file system or mount is not entered. Whatever deletes below
// a backup folder goes through here, so a link or a mount put in place between two steps is never
// followed, and what is mounted below the backup folder (a drive, a bind mount of the home folder)
// is left alone and named.
class OwnTree {
  public:
    enum class Step {
        Ok,
        Missing,    // a piece is not there
        Link,       // a piece is a link: never followed
        OtherMount, // a piece lies on another file system or mount: never entered
        NotFolder,  // a piece is a file or something else
        Failed,     // a piece could not be read (errno in error())
    };

    // Opens the root (it may itself be reached through a link). When `approved` is given, the root
    // must still be that folder: one swapped for a link elsewhere since the check is not opened.
    explicit OwnTree(const QString& root, const FolderId& approved = {});
    OwnTree(const OwnTree&) = delete;
    OwnTree& operator=(const OwnTree&) = delete;

    bool isOpen() const { return root_.fd >= 0; }
    // Why the root did not open: an errno, or ESTALE when it is no longer the approved folder.
    int openError() const { return openError_; }

    class Folder {
      public:
        int fd() const { return fd_.fd; }
        const QString& path() const { return path_; }
        // What the folder is: the run's own folders are told by it, not by their text.
        FolderId id() const { return id_; }

      private:
        friend class OwnTree;
        friend class TreeCursor;
        Fd fd_;
        QString path_;
        FolderId id_;
    };
    // Opens `path` (the root or a folder below it) piece by piece from the root. `stoppedAt`, when
    // given, receives the piece where it stopped (the folder of another mount, the link).
    Step open(const QString& path, Folder& out, int* error = nullptr, QString* stoppedAt = nullptr) const;
    // Opens the folder `raw` (an entry's name on disk) inside an opened folder; `path` names it.
    Step openIn(const Folder& parent, const QByteArray& raw, const QString& path, Folder& out,
                int* error = nullptr) const;

    struct Entry {
        enum class Kind { File, Folder, Link, Other };
        QByteArray raw; // the name's bytes on disk
        QString name;   // '?' in place of what is not text (see refused)
        bool refused = false;
        Kind kind = Kind::Other;
    };
    // The entries of an opened folder, read through its handle from the start, unsorted, links told
    // apart. Throws RunError.
    std::vector<Entry> entries(const Folder& folder) const;
    // Sorts entries as the file listings are sorted (sortNames).
    static void sortByName(std::vector<Entry>& entries);

    // The size of the entry `raw` of an opened folder (a link's own); -1 when it is not there.
    qint64 sizeIn(const Folder& folder, const QByteArray& raw) const;
    // The entry `raw` of an opened folder is a link that leads to a folder (never entered here).
    bool leadsToFolder(const Folder& folder, const QByteArray& raw) const;
    // The folder's file system ignores letter case (FAT, exFAT): one of its entries is found under
    // another spelling too, as the same entry. Honours standInCaseFolding.
    bool foldsCase(const Folder& folder) const;

    struct Removal {
        std::function<void(const QString& path, qint64 bytes)> removed; // each file or link removed
        std::function<void(const QString& path)> otherMount; // a folder left alone, with those above it
        std::function<bool()> cancelled;                     // asked between entries
    };
    // Removes the file, link or folder at `path` below the root: a folder with everything inside it
    // that lies on the root's mount. True when `path` is gone (or was not there); false when a
    // folder of another mount inside it, or a cancel, kept it. Throws RunError on a failure; what was
    // removed before it stays removed and has been named.
    bool remove(const QString& path, const Removal& removal) const;
    // The same for the entry `raw` of an opened folder, named `path`.
    bool removeIn(const Folder& parent, const QByteArray& raw, const QString& path,
                  const Removal& removal) const;
    // Whether `path` below the root, and all inside it, lies on the root's mount and is reached
    // without a link: what may be moved to the trash as a whole. Names a mount found inside.
    Step checkWhole(const QString& path, const std::function<void(const QString&)>& otherMount = {}) const;

  private:
    friend class TreeCursor;
    // Opens the folder `name` inside `parent`, without following a link, on the root's mount.
    Step openChild(int parent, const QByteArray& name, const QString& path, Fd& out, int* error,
                   FolderId* id = nullptr) const;
    bool removeAt(int parent, const QByteArray& name, const QString& path, const Removal& removal) const;
    Step checkIn(int folder, const QString& path,
                 const std::function<void(const QString&)>& otherMount) const;

    QString rootPath_; // without a trailing '/'
    Fd root_;
    MountKey mount_;
    FolderId id_;
    int openError_ = 0;
};

// Opens folders below an OwnTree one after another, each from the deepest folder it shares with the
// one opened before, so a walk through a job's folders in their order opens each folder about once,
// and what is written there goes into the folder that was checked, whatever its path leads to
// meanwhile. Holds a bounded number of handles; a folder handed out stays open as long as it is
// held. Used from one thread; the folders it hands out may be used from any.
class TreeCursor {
  public:
    // What to do with a link standing where a folder is to be made: a folder of the program's own
    // (a backup folder) has it removed as a link and a folder made in its place; elsewhere it is
    // refused.
    enum class Links { Refuse, Replace };
    TreeCursor(const OwnTree& tree, Links links) : tree_(tree), links_(links) {}
    // The folder at `path` (the root or below it), made with the folders it lacks when `make`.
    // Null when it could not be: `step` says why (Failed: `error`), `stoppedAt` names the piece.
    std::shared_ptr<const OwnTree::Folder> open(const QString& path, bool make, OwnTree::Step& step,
                                                int* error = nullptr, QString* stoppedAt = nullptr);

  private:
    const OwnTree& tree_;
    Links links_;
    // The folders last opened, each inside the one before; the first lies `base_` pieces below the
    // root.
    std::vector<std::shared_ptr<const OwnTree::Folder>> chain_;
    qsizetype base_ = 0;
};

// A TreeCursor with a root of its own: opened at the first folder asked for below it, and opened
// anew when a folder below another root is asked for.
class RootedCursor {
  public:
    explicit RootedCursor(TreeCursor::Links links) : links_(links) {}
    // `folder` at or below `root`, as TreeCursor::open gives it; null where it cannot be, `error`
    // telling why (kOtherMount with the words naming the mount).
    std::shared_ptr<const OwnTree::Folder> open(const QString& root, const QString& folder, bool make,
                                                RunError& error);
    // Nothing held: the root is opened again at the next folder.
    void reset() {
        cursor_.reset();
        tree_.reset();
        root_.clear();
    }

  private:
    TreeCursor::Links links_;
    QString root_;
    std::unique_ptr<OwnTree> tree_;
    std::unique_ptr<TreeCursor> cursor_;
};

// Tests: runs before each folder below a root is opened, so a test can swap it for a link or a
// mount between two steps. An empty function removes it.
void setOwnTreeHook(std::function<void(const QString& path)> hook);
// Tests: `folder` is taken for the root of another mount, where the test may not mount one. An
// empty text removes every stand-in.
void standInMount(const QString& folder);
// Whether `folder` (links followed) is the root of a mount of its own: a mount point, or a stand-in.
bool isMountRoot(const QString& folder);
// The mount points (and stand-ins) at or below the resolved folder `folder`, read in one go.
QStringList mountRootsAtOrBelow(const QString& folder);

} // namespace platform
