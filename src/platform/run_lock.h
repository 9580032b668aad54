#pragma once
#include <QLockFile>
#include <QString>

namespace platform {

// A lock that one process at a time holds on a folder: the run lock of the program folder, so
// that two processes of one program never run backups side by side. A lock left behind by a
// process that has ended is taken over.
class FolderLock {
  public:
    enum class Result {
        Taken,  // this object holds the lock now
        Held,   // another living process (or another object of this one) holds it
        Failed, // the lock file could not be made (a read-only folder); nobody is known to hold it
    };

    // The lock file `name` in `folder`.
    FolderLock(const QString& folder, const QString& name);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Tries once, without waiting. `doing` (what the holder does) is kept beside the lock while it
    // is held, so that a process that finds it held can name it.
    Result tryTake(const QString& doing = {});
    // Gives the lock back; nothing when it is not held.
    void release();
    bool held() const { return lock_.isLocked(); }
    // What the process holding the lock said it does; empty when it said nothing.
    QString holderDoing() const;

  private:
    QLockFile lock_;
    QString notePath_;
};

} // namespace platform
