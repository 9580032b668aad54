#pragma once
#include "platform/own_tree.h"

#include <QSet>
#include <QString>
#include <atomic>
#include <mutex>
#include <optional>

namespace platform {

// The folders below a folder of the program's own (a backup folder), made and entered never
// through a link: below the root every piece of a path must be a real folder, and a link standing
// where one must be is removed as a link and a folder made in its place. What was found or made
// real is remembered, so a folder is mostly looked at once however many paths pass through it:
// each thread keeps the last folder it found real (folders come in the order of a job's list, where
// one mostly shares all but its last piece with the one before), and what was made is kept for all.
// The root itself may be reached through a link. The root and paths not below it are looked at and
// made as folderExists and makePath do. A folder of another file system or mount below the root (a
// drive, a bind mount) is never taken for one of the root's, nor written into. Safe to use from
// several threads at once, but for reset().
class RealFolders {
  public:
    RealFolders() = default;
    explicit RealFolders(const QString& root) { reset(root); }
    // A new root; nothing is remembered.
    void reset(const QString& root);
    const QString& root() const { return root_; }
    bool below(const QString& folder) const;
    // `folder` is a real folder of the root's mount with no link on its way below the root; makes
    // nothing.
    bool isReal(const QString& folder);
    // Makes `folder` and the folders it lacks, replacing the links on its way below the root.
    // True when a folder was made (or a link replaced). Throws RunError (76 when a file stands
    // where a folder must be, kOtherMount naming the folder of another mount on its way).
    bool make(const QString& folder);

  private:
    // The pieces of `f` below the root that are not known to be real, deepest first.
    QStringList unknownPieces(const QString& f);
    void remember(const QString& f);
    // Empty when a folder remembered as real is gone.
    std::optional<bool> makeOnce(const QString& f);
    // The root's mount, read once it is there.
    std::optional<MountKey> rootMount();

    QString root_; // without a trailing '/'; empty: no root
    // Tells what a thread remembers of this root from what it remembers of any other.
    std::atomic<quint64> generation_{0};
    std::mutex mutex_;
    QSet<QString> real_;
    bool rootThere_ = false;
    std::optional<MountKey> rootMount_;
};

} // namespace platform
