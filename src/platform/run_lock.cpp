#include "platform/run_lock.h"

#include "platform/paths.h"

namespace platform {

FolderLock::FolderLock(const QString& folder, const QString& name) : lock_(joinPath(folder, name)) {
    // A run may last for hours: only a lock whose process has ended counts as stale.
    lock_.setStaleLockTime(0);
}

FolderLock::~FolderLock() {
    release();
}

FolderLock::Result FolderLock::tryTake() {
    if (lock_.isLocked())
        return Result::Taken;
    if (lock_.tryLock(0))
        return Result::Taken;
    if (lock_.error() != QLockFile::LockFailedError)
        return Result::Failed;
    // A lock file that names no process (cut short by a power cut) would refuse every run for
    // ever; it is removed unless a living process still has it open and locked.
    qint64 pid = 0;
    QString host, app;
    if (!lock_.getLockInfo(&pid, &host, &app) && lock_.removeStaleLockFile() && lock_.tryLock(0))
        return Result::Taken;
    return Result::Held;
}

void FolderLock::release() {
    if (lock_.isLocked())
        lock_.unlock();
}

} // namespace platform
