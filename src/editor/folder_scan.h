#pragma once
#include "platform/errors.h"
#include "platform/walk_guard.h"

#include <QString>
#include <QStringList>
#include <functional>

// Lists a start folder and every folder below it: the start folder first, then depth first, each
// folder directly before the folders inside it, names sorted within a folder. Hidden folders are
// listed. Links to folders are followed, but a folder that is already on the path being walked is
// listed without being entered, so link loops end; a link (or a mount) that leads back to the start
// folder or a folder above it, or into a left-out folder, is neither listed nor entered. Folders are
// told by identity, read from each folder's own opening. FIFOs and other non-folders are never
// opened.
//
// The scan runs on the user-interface thread and yields to the event loop while it walks, so a
// cancel button can be pressed. The cancel check is tested whenever a folder's listing begins:
// after a cancel, listings already begun still list their remaining direct subfolders but descend
// no further.
class FolderScan {
  public:
    struct Options {
        bool subfolders = true;          // descend below the start folder
        bool followLinks = true;         // false: links to folders are neither listed nor entered
        std::function<bool()> cancelled; // true: stop at the next folder entered
        // Every listed folder in order, with the running count (the start folder is number 1).
        std::function<void(const QString& path, int count)> found;
        // Called with the running count before each yield to the event loop (at most every
        // 20 ms) and once at the end: the place to refresh count labels and flush batches.
        std::function<void(int count)> progress;
        // A listed folder whose own listing failed (no access, I/O error, no handle left): what
        // lies below it is unknown, not gone. Also an entry that may be a folder but whose status
        // could not be read, and a folder that could not be opened again where the walk's bound
        // on its handles had closed it.
        std::function<void(const QString& path, const platform::RunError& error)> unreadable;
        // Folders left out with everything inside them (a backup folder, a version folder),
        // whatever name the walk meets them by.
        QStringList leaveOut;
        // With a pattern: every listed folder whose entries were read, with what a count of its
        // files by that pattern needs, read in the same reading.
        QString filePattern;
        std::function<void(const QString& path, platform::FolderFiles&& seen)> read;
    };

    // Walks `start` (listed in the form given) and returns the number of folders listed.
    // A start folder that is empty or does not exist lists nothing and returns 0. Folders that
    // cannot be listed are handed to `unreadable` and the walk goes on with the rest. The walk
    // holds a bounded number of folder handles, so no depth runs out of them. Exceptions thrown by
    // the callbacks end the scan and pass to the caller.
    static int run(const QString& start, const Options& options);

    // The same, collecting the paths.
    static QStringList list(const QString& start, bool subfolders = true,
                            const std::function<bool()>& cancelled = {});

    // A folder that scans never list: the recycler or system-volume folder at the top of a
    // volume (on Linux its trash and lost+found), and everything below them.
    static bool isSystemFolder(const QString& path);
    // `name` is the name of such a folder. A folder being walked is none of them and lies below
    // none, so a child can be one only by its own name: the cheap test before isSystemFolder.
    static bool isSystemFolderName(const QString& name);
};

// The scan as the folder synchronisation uses it: both folders in two passes, each list emptied
// first and then filled with its start folder and every folder found. Links to folders below
// the start folders are left out, so a synchronisation never copies through them, and so is the
// other folder wherever it is met (a mount of it).
// `showCount(pass, count)` runs with pass 1 or 2 while that pass goes on. When `cancelled` already holds
// before the start, nothing is touched and the result is false. Errors are reported through the message
// reporter ("Ett fel uppstod.", place "Mappsynkronisering, starta sökning"); folders found
// before the error stay in the lists.
// `unreadable(pass, path, error)` hears of every folder a pass could not read (FolderScan's).
bool starta_sökning_mappsync(const QString& mapp1, const QString& mapp2, QStringList& List1,
                             QStringList& List2, const std::function<bool()>& cancelled,
                             const std::function<void(int pass, int count)>& showCount = {},
                             const std::function<void(int pass, const QString& path,
                                                      const platform::RunError& error)>& unreadable = {});
