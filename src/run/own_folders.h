#pragma once
#include "platform/walk_guard.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The folders a run never takes for a source of one job: its backup folder and version folder with
// all inside them (a main folder kept inside one excepted), and what lies behind a link in a
// source that leads back to the source or a folder above it, or into one of those folders. Known
// by identity, whatever name the job's list gives them.
class RunOwnFolders {
  public:
    RunOwnFolders(const QStringList& mainFolders, const QString& backupFolder, const QString& versionFolder);

    // Where `folder` lies: below which main folder (the deepest one holding it by its text), with
    // the guard for a walk below it and what tells the identities of the folders there.
    struct Place {
        const platform::WalkGuard* guard = nullptr;
        const platform::SameDevice* device = nullptr; // none below no main folder
        qsizetype rest = -1;                          // where the pieces below the main folder begin
        bool isMain = false;                          // the main folder itself
    };
    Place placeOf(const QString& folder) const;
    // A main folder of the job, by its text.
    bool isMainFolder(const QString& folder) const;
    // What a walk over the job's list found of `folder` (and so of all below it by its text).
    void note(const QString& folder, bool leftOut);
    // `folder` is left out: as a walk noted it, else by its text, else by the identity of each
    // folder from it up to its main folder (looked at on disk once and remembered).
    bool contains(const QString& folder);

    // The one of these settings for the run going on: made when first asked for after forgetAll(),
    // which the run's file count calls first, so what one run learnt is never taken for the next.
    static RunOwnFolders& of(const QStringList& mainFolders, const QString& backupFolder,
                             const QString& versionFolder);
    static void forgetAll();

  private:
    struct Main {
        QString typed;
        platform::PlacedFolder placed;
        platform::WalkGuard guard;
        platform::SameDevice device;
    };
    struct Own {
        QString typed;
        platform::PlacedFolder placed;
        QStringList names; // its text, and what it is called below each main folder holding it
    };
    bool byText(const QString& folder) const;
    const Main* mainOf(const QString& folder) const;
    bool onDisk(const QString& folder, const Main* main) const;

    QStringList mainTexts_;
    std::vector<Main> mains_;
    std::vector<Own> own_;
    platform::WalkGuard anyMain_;
    QHash<QString, bool> known_;
};
