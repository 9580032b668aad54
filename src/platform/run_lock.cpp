#include "platform/run_lock.h"

#include "platform/paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSysInfo>

namespace platform {

namespace {
// The note names its process as the lock file does, so a note left by a process that ended is
// never taken for the word of the process that holds the lock now.
QByteArray noteOwner(qint64 pid, const QString& host) {
    return QByteArray::number(pid) + '\n' + host.toUtf8() + '\n';
}
} // namespace

FolderLock::FolderLock(const QString& folder, const QString& name)
    : lock_(joinPath(folder, name)), notePath_(joinPath(folder, name) + QStringLiteral(".holder")) {
    // A run may last for hours: only a lock whose process has ended counts as stale.
    lock_.setStaleLockTime(0);
}

FolderLock::~FolderLock() {
    release();
}

FolderLock::Result FolderLock::tryTake(const QString& doing) {
    if (lock_.isLocked())
        return Result::Taken;
    bool taken = lock_.tryLock(0);
    if (!taken) {
        if (lock_.error() != QLockFile::LockFailedError)
            return Result::Failed;
        // A lock file that names no process (cut short by a power cut) would refuse every run for
        // ever; it is removed unless a living process still has it open and locked.
        qint64 pid = 0;
        QString host, app;
        taken = !lock_.getLockInfo(&pid, &host, &app) && lock_.removeStaleLockFile() && lock_.tryLock(0);
        if (!taken)
            return Result::Held;
    }
    // The note is only a courtesy to other processes: the lock holds without it.
    QSaveFile note(notePath_);
    if (note.open(QIODevice::WriteOnly)) {
        note.write(noteOwner(QCoreApplication::applicationPid(), QSysInfo::machineHostName()) +
                   doing.toUtf8() + '\n');
        note.commit();
    }
    return Result::Taken;
}

void FolderLock::release() {
    if (!lock_.isLocked())
        return;
    // Removed while still held, so it never outlives the lock into another holder's time.
    QFile::remove(notePath_);
    lock_.unlock();
}

QString FolderLock::holderDoing() const {
    qint64 pid = 0;
    QString host, app;
    if (!lock_.getLockInfo(&pid, &host, &app))
        return {};
    QFile note(notePath_);
    if (!note.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = note.read(4096);
    const QByteArray owner = noteOwner(pid, host);
    if (!text.startsWith(owner))
        return {};
    return QString::fromUtf8(text.mid(owner.size())).section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace platform
