#pragma once
#include "platform/errors.h"
#include "platform/walk_guard.h"

#include <QString>
#include <QStringList>

// What the floors below the backup run ask of the backup window. The backup window implements
// it while it is loaded; otherwise Program hands out this quiet default, which answers as a
// backup window with no run would.
class RunServices {
  public:
    virtual ~RunServices() = default;

    // The backup window's caption: "commandline", "schema", or anything else for a run by hand.
    virtual QString caption() const { return {}; }
    // A backup run is going on (its run button is disabled).
    virtual bool runGoingOn() const { return false; }
    // The user asked to stop the run (lblavbryt is "1").
    virtual bool cancelRequested() const { return false; }
    // Appends text at the end of the run's progress view (txtloggtext).
    virtual void appendProgressText(const QString&) {}
    // The status line (txtbackup).
    virtual void setStatusText(const QString&) {}
    // A folder of the job that the structure refresh could not read (or an entry that may be one):
    // an error of the run, named in its logs.
    virtual void unreadableSource(const QString& /*path*/, const platform::RunError& /*error*/) {}
    // The pattern of the files the run counts of the job being refreshed (empty: none), and what
    // the structure refresh read of one of its folders with it: the count takes that for the
    // folder and does not read it again.
    virtual QString countPattern() const { return {}; }
    virtual void sourceFolderRead(const QString& /*path*/, platform::FolderFiles&& /*seen*/) {}
    // The folders a mirror pass's scan collects (listsyncmappar), and its count label.
    virtual QStringList* syncFolders() { return nullptr; }
    virtual void setSyncFolderCount(const QString&) {}
};
