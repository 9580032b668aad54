#pragma once
#include "platform/errors.h"
#include "platform/files.h"

#include <QString>
#include <functional>

// The one step that puts a copy in place, for every copy the program makes: the backup run, the
// result windows of a simulation, the restore and the folder synchronisation. The copy is written
// under a temporary name of the program's own and takes the target's place only while the target
// is still the file it was decided on; what it holds in place (its time) is read back.
namespace copystep {

enum class Outcome {
    Copied,
    CopiedOnSecondTry, // the first try was refused (access), the second one made it
    TargetChanged,     // the target is no longer the file decided on: it stays as it is
    NameTaken,         // where no file was, one came (or another spelling a disk takes for it)
    SourceChanged,     // the source changed while it was copied: nothing put in place
    DiskFull,
    TrashRefused, // the old copy could not go to the trash: it stays, the new copy is dropped
    NotVersioned, // no version of the old copy could be made (said by keepVersion): it stays
    NameTooLong,  // the file system takes no such name
    Failed,       // any other error (Result::error)
    Stopped,      // `stop` said so: the temporary is gone, the target as it was
};

struct Policy {
    // The target's folder, opened and checked by the caller (-1: reached by the target's path).
    // The copy is written and put in place through it alone.
    int targetFolder = -1;
    // The file replaced goes to the trash before the copy takes its name.
    bool trashReplaced = false;
    // Keeps a version of the file about to be replaced; false when none could be made (it says
    // why). Called once per copy, never on the second try.
    std::function<bool(const QString& target)> keepVersion;
    // A copy refused with an access error (70, 75) is tried once more.
    bool secondTry = false;
    // Runs before the second try (the tray shows idle meanwhile).
    std::function<void()> beforeSecondTry;
    // Asked between blocks of data (at least every few megabytes): true stops the copy.
    std::function<bool()> stop;
    std::function<void(qint64 done)> progress;
};

struct Result {
    Outcome outcome = Outcome::Failed;
    platform::CopiedSizes sizes; // of the copy made: the lengths, and the time it holds
    platform::RunError error;    // what refused it (of the first try, where a second one failed)
    bool triedTwice = false;     // Failed on the second try too
    bool copied() const { return outcome == Outcome::Copied || outcome == Outcome::CopiedOnSecondTry; }
};

// A stop for a copy made on a window's thread: once the copy lasts, `yield` lets window messages
// run between its blocks; `stopped` is asked at every block.
std::function<bool()> yieldingStop(std::function<void()> yield, std::function<bool()> stopped);

// Copies `source` to `target`. `decidedOn` is the target as it was when the copy was decided on
// (platform::fileInfo; `exists` false where there was none): only that file is replaced.
Result copyFile(const QString& source, const QString& target, const platform::FileInfo& decidedOn,
                const Policy& policy = {});

} // namespace copystep
