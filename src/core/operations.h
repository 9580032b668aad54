#pragma once
#include "platform/run_lock.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

// At most one operation that reads or writes the user's files, the job files or the run log goes
// on at a time: a backup run, a restore's listing, scan or copy back, a folder synchronisation, a
// result window's copy or delete, search and replace, the folder-structure refresh. Each holds
// the gate while it runs (yields included), so a timer, a second command or a close request that
// arrives inside it can see it and wait, refuse or ask it to stop.
class OperationGate {
  public:
    // Starts operation `name` ("backupkörning", "återställning", ...) with `stop`, which asks it to
    // stop as its cancel button does. False, changing nothing, while another operation goes on.
    bool tryBegin(const QString& name, std::function<void()> stop = {});
    // Ends the operation begun last; runs what waits for the gate to be free.
    void end();

    bool busy() const { return !name_.isEmpty(); }
    // The name of the operation going on, empty when none.
    const QString& current() const { return name_; }

    // The program is to end: the operation going on is asked to stop (now, or as soon as one
    // begins), and `then` runs once the gate is free (at once when it is free now).
    void requestStop(std::function<void()> then = {});
    bool stopRequested() const { return stopRequested_; }

    // The message shown when a command would start a second operation.
    QString refusalText() const;
    // Shows that message (a person's own action: always as a dialog).
    void refuse() const;

    // The program folder's run lock's file name. Whatever writes the run log holds the lock for
    // exactly that long, so other processes of this program folder never write it meanwhile.
    static QString runLockFileName();

  private:
    QString name_;
    std::function<void()> stop_;
    bool stopRequested_ = false;
    std::vector<std::function<void()>> whenFree_;
};

// An operation held for the lifetime of this object. Test `ok()` (or the object) before doing
// anything: false means another operation goes on and nothing was begun.
class Operation {
  public:
    explicit Operation(const QString& name, std::function<void()> stop = {});
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // Ends the operation before the object goes (nothing when it is not held).
    void release();

  private:
    bool ok_ = false;
};

// The program folder's run lock, held for the lifetime of this object (or until release()).
class RunLock {
  public:
    RunLock();
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Tries once; `doing` ("en återställning") is what another process that finds the lock held
    // names. False only when another process (or another RunLock of this one) holds it; a program
    // folder where the lock file cannot be made does not stop the work.
    bool take(const QString& doing);
    void release();
    bool held() const;

    // After a refused take: what holds the program folder ("en annan körning" when it does not say).
    const QString& holder() const { return holder_; }
    // The refusal: "FEL! " and the holder, " pågår redan från den här programmappen. ", `notStarted`
    // and " startades inte".
    QString refusal(const QString& notStarted) const;

  private:
    std::unique_ptr<platform::FolderLock> lock_;
    QString holder_;
};
