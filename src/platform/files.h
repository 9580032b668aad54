#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <functional>
#include <vector>

// File operations of the program. All of them throw RunError on failure and honour the fault
// hook of platform/errors.h.
namespace platform {

struct FileEntry {
    QString name;         // name within the folder
    qint64 size = 0;      // bytes
    qint64 mtime = 0;     // modification time, whole seconds since the epoch (UTC)
    bool refused = false; // the name on disk is not valid UTF-8 or holds a control character;
                          // `name` then shows '?' in their place and cannot be opened
};

// An entry a listing saw but could not read (its status, or its opening), with the errno: never
// taken for an entry that is not there. An entry that only leads nowhere (a dangling link, one gone
// since the listing) is no such entry.
struct UnreadableEntry {
    QString name; // within the folder
    int error = 0;
};
using UnreadableEntries = std::vector<UnreadableEntry>;

struct FileInfo {
    bool exists = false;
    bool isFile = false;
    bool isDir = false;
    bool isLink = false;
    qint64 size = 0;
    qint64 mtime = 0;
    // What tells a file from another put in its place or written to meanwhile.
    qint64 mtimeNs = 0; // the nanoseconds of mtime
    quint64 device = 0;
    quint64 inode = 0;
};

// Status of a path (links followed; isLink tells whether the path itself is a link).
FileInfo fileInfo(const QString& path);
// The same for the entry named as `path`'s last piece in the opened folder `folder` (fileInfo of
// `path` where `folder` is -1). The fault hook goes by `path`.
FileInfo fileInfoIn(int folder, const QString& path);
bool fileExists(const QString& path);   // a regular file (or a link to one)
bool folderExists(const QString& path); // a folder (or a link to one)
qint64 fileTime(const QString& path);   // throws 53 when missing
qint64 fileSize(const QString& path);   // throws 53 when missing

// Identity of a folder on disk (links followed), so folder walks can refuse to enter a folder
// that is already on the path being walked. {0, 0} when it cannot be read.
struct FolderId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FolderId&) const = default;
};
FolderId folderId(const QString& path);

// A folder known by what it is, not by how it was written: its resolved path (resolvedPath) and
// the identity of the deepest part of it that exists and of each folder above that, up to "/".
// The pieces not made yet follow as text. Comparing identities sees a second name for one folder
// (a bind mount, a letter-case file system) where comparing paths would not.
struct PlacedFolder {
    struct Step {
        FolderId id;
        bool mountRoot = false; // where a bind mount could give it a second name
        bool unknown = false;   // it may be there, but the system did not tell what it is
    };
    QString path;
    std::vector<Step> chain; // [0] the deepest folder that exists, then each one above it
    QStringList missing;     // the pieces below chain[0] that do not exist yet
    bool unknown = false;    // a folder on the way did not tell what it is: it may be any folder
    bool exists() const { return missing.isEmpty() && !chain.empty(); }
};
PlacedFolder placeFolder(const QString& path);
// `a` is `b` or lies inside it. Where either is unknown, it may be: true.
bool isSameOrInside(const PlacedFolder& a, const PlacedFolder& b);
// The identity of an existing folder (links followed) and whether it is the root of a mount;
// {0, 0} when there is nothing at `path`. Read with statx, or with stat where statx does not
// answer (then every folder counts as a possible mount root); where neither answers, unknown.
// Honours standInIdentity, and the fault hook for stat.
PlacedFolder::Step folderStep(const QString& path);
// Tests: `alias` is taken for a second name of `folder` (as a bind mount of it would be), where
// the test may not mount one. An empty alias removes every stand-in.
void standInIdentity(const QString& alias, const QString& folder);
// Tests: statx fails with `err` (0: it answers again), as under a C library that lacks it.
void failStatx(int err);

// Case-insensitive Swedish order of names (å, ä, ö after z); names equal but for case keep a
// fixed order.
void sortNames(QStringList& names);
bool lessName(const QString& a, const QString& b);

// The regular files of a folder (and links to regular files), sorted; never FIFOs, sockets or
// devices. Hidden names are listed; only "." and ".." are skipped. The status is read of the
// files only (and of links), not of the folders and other entries beside them.
std::vector<FileEntry> listFiles(const QString& folder);
// The same, only the files whose names match `pattern` (see matchesPattern). An entry of such a
// name whose status cannot be read goes to `unreadable`; without it, the listing throws for it.
// Fault hook: injectFault(folder + "#enter", err) makes every entry's status and opening fail with
// `err`, as in a folder that can be listed but not entered (mode 644).
std::vector<FileEntry> listFiles(const QString& folder, const QString& pattern,
                                 UnreadableEntries* unreadable = nullptr);
QStringList listFileNames(const QString& folder);
// How many files listFiles(folder, pattern) would list, leaving out a killed copy's temporary
// files (not links of such a name). Cheaper: nothing is sorted, and only entries whose type the
// folder does not tell (links, some file systems) have their status read.
long countFiles(const QString& folder, const QString& pattern);

// A folder opened to be listed. Opening it tells whether it is there (links followed) as
// folderExists would, so a caller that lists what it finds reads no status first.
class OpenedFolder {
  public:
    explicit OpenedFolder(const QString& folder);
    ~OpenedFolder();
    OpenedFolder(const OpenedFolder&) = delete;
    OpenedFolder& operator=(const OpenedFolder&) = delete;
    // folderExists(folder), from the opening; a folder that is there but cannot be read counts.
    bool exists() const { return exists_; }
    // The path is longer than the system lets a program open; whether it exists cannot be told.
    bool pathTooLong() const { return error_ == ENAMETOOLONG; }
    // No right to pass a folder above it: whether it exists cannot be told.
    bool unreachable() const { return !exists_ && (error_ == EACCES || error_ == EPERM); }
    // The errno of the opening, 0 when it was opened.
    int error() const { return error_; }
    // listFiles(folder, pattern, unreadable), read from the handle (once); throws as listFiles does.
    std::vector<FileEntry> files(const QString& pattern, UnreadableEntries* unreadable = nullptr) const;

  private:
    QString folder_;
    int fd_ = -1;
    int error_ = 0; // of the opening
    bool exists_ = false;
};

// Looks up files of one folder by name. The names are read once, without status or sorting;
// the status of a found name is read when asked, so a file that changed since is seen as it is
// now. A folder that is missing or cannot be listed holds nothing; error() tells the second.
class FolderLookup {
  public:
    explicit FolderLookup(const QString& folder);
    // The same for `folder` opened by the caller (`folderFd`): read, and looked in, through it
    // (it must stay open while the lookup is used, and is not read by anything else meanwhile).
    FolderLookup(int folderFd, const QString& folder);
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;
    // The regular file (or link to one) `name`; false when the folder holds none by that name.
    bool find(const QString& name, FileEntry& out) const;
    // What the entry `name` is itself, a link not followed: a regular file (`out` filled), a link
    // (whatever it leads to, if anything), or none of these. The folder's listing tells a link
    // without a status read.
    enum class Kind { None, File, Link };
    Kind look(const QString& name, FileEntry& out) const;
    // A name the folder held when it was read that differs from `name` only in letter case; empty
    // when there is none.
    QString otherSpelling(const QString& name) const;
    // The names that begin with kTemporaryPrefix, read with the others.
    const QStringList& temporaryCandidates() const { return temporary_; }
    // The errno of a folder that is there but could not be opened or read; 0 when it was read or
    // is not there at all.
    int error() const { return error_; }

  private:
    struct Name {
        QByteArrayView name; // into names_
        unsigned char type;  // as the folder told it (DT_UNKNOWN where it tells none)
        bool operator<(const Name& o) const { return name < o.name; }
    };
    const Name* entry(const QByteArray& raw) const;
    int fd_ = -1;
    bool owned_ = true; // closed with the lookup
    int error_ = 0;
    QByteArray names_;        // the names read, one after the other
    std::vector<Name> index_; // sorted by name
    QStringList temporary_;
};
// The folders of a folder (and links to folders), sorted. Only links and entries of a type the
// folder does not tell have their status read.
QStringList listFolders(const QString& folder);
struct FolderEntry {
    QString name;
    bool isLink = false; // a link to a folder
};
// The same, telling the links apart. An entry that may be a folder but whose status cannot be read
// goes to `unreadable`; without it, the listing throws for it.
std::vector<FolderEntry> listFolderEntries(const QString& folder, UnreadableEntries* unreadable = nullptr);

// Whether the entry at `path` is one whose name on disk is not text (not UTF-8, or a control
// character in it): listings show such a name with '?' in place, and that path leads nowhere.
bool isRefusedName(const QString& path);

// A file pattern as the user types it, or several separated by ";": "*.*" and "*" match every
// name, also names without a dot; "*.doc" matches case-insensitively; "?" is one character;
// "name.*" also matches "name". An empty pattern matches nothing.
bool matchesPattern(const QString& name, const QString& pattern);

// Copies `source` over `target`: writes a temporary file in the target's folder, gives it the
// source's modification time and permission bits, then renames it over the target. On any
// failure (or when `cancelled` returns true between blocks) the temporary file is removed and the
// old target is untouched. `progress` receives bytes copied so far. A cancel throws
// RunError{0, "Avbruten"} (see isCancel). Fault hooks: injectFault(target + "#write", err) makes
// the write fail after the data went into the temporary file; injectFault(target + "#time", err)
// makes setting the time fail as on a disk that does not take it (EPERM: the copy goes on).
//
// A source that changes while it is copied (its size or modification time differ from those
// read when it was opened) is not put in place either: the copy could be cut short or mixed, and
// under the source's earlier time no later run would copy it again. That throws
// RunError{kSourceChanged, ...}.
//
// `sizes`, when given, receives the source's length when the copy ended and the length written:
// what reading both files' lengths right after the copy would tell, without reading them. It
// also tells the time the copy holds once in place, read from the copy after its rename (a FUSE
// FAT driver sets it again there; NFS with root_squash refuses to set it at all).
//
// `expectedTarget`, when given, is the target as it was when the copy was decided on (fileInfo).
// A target that is no longer that file when the copy is to take its place (another time, size or
// file, or one where there was none) is the user's newer work: it is kept, the copy dropped, and
// RunError{kTargetChanged, ...} thrown. Where there was a target, the copy and it trade places in
// one step (RENAME_EXCHANGE) and what came out is compared with the expected target, so a save
// landing at the last moment is put back; file systems without that step get a look just before
// the rename. Where there was none, the rename refuses to replace anything (RENAME_NOREPLACE),
// which also catches a second name that a letter-case-folding disk takes for an existing one.
//
// `targetFolder`, when given, is the target's folder opened (and checked) by the caller: the copy
// is written and put in place through that handle only, never through the target's path, so a
// folder swapped for a link meanwhile is not written through. (placeCopy: `from` lies there too.)
struct CopiedSizes {
    qint64 source = -1;
    qint64 target = -1;
    qint64 sourceTime = 0; // the source's modification time, whole seconds
    // The whole seconds the copy holds in place, and whether that is the source's time within
    // the two-second grain of a FAT disk (timeWithinGrain).
    qint64 targetTime = 0;
    bool timeKept = true;
    // Set with kTargetChanged when an entry stood at the target's name where expectedTarget said
    // there was none: made meanwhile, or another spelling that the disk takes for the same name.
    bool nameTaken = false;
};
// `copyTime` stands for `sourceTime` on a disk that keeps times in steps of two seconds, rounding
// down or up.
bool timeWithinGrain(qint64 copyTime, qint64 sourceTime);
void copyKeepTime(const QString& source, const QString& target, const std::function<bool()>& cancelled = {},
                  const std::function<void(qint64)>& progress = {}, CopiedSizes* sizes = nullptr,
                  const FileInfo* expectedTarget = nullptr, int targetFolder = -1);
// Renames a complete copy made by copyKeepTime over `target` and reads again the time it holds
// there (`sizes` as copyKeepTime filled it, its times brought up to date; fault hook:
// injectFault(target + "#time", err) makes the rename reset the time, as a FUSE FAT driver's does).
// It must find at `target` exactly `expectedTarget`, as copyKeepTime puts its own copy in place: traded in
// one step where there was a file (a save landing at the last moment is put back), refusing to replace
// anything where there was none; a look just before the rename where the file system offers neither. Throws
// RunError{kTargetChanged, ...} (with sizes.nameTaken where a name came) and leaves `from` as it was.
void placeCopy(const QString& from, const QString& target, CopiedSizes& sizes, const FileInfo& expectedTarget,
               int targetFolder = -1);
// Every temporary file the program writes beside a target begins so.
inline constexpr char kTemporaryPrefix[] = ".tamrel-";
// A name for a temporary file of the program's own beside the target named `targetName`:
// kTemporaryPrefix, `kind`, up to 40 characters of the target's name, a dot, six random letters or
// digits and six more that check all before them. A user's file that only looks alike fails the
// check, so it is never taken for one of the program's.
QString temporaryName(const QString& targetName, const QString& kind = {});
// A name temporaryName gives (its check holds): a file the program wrote and a killed copy left.
bool isCopyTemporaryName(const QString& name);
// Removes the leftovers of killed copies among `names` in `folder`: regular files (not links) whose
// name `isLeftover` takes for a temporary name, unless `keep` says the other side has a file of
// that name (then it is the user's own). Failures are passed over; the next copy tries again.
// `folderFd`, when given, is `folder` opened: the files are removed through it.
void removeLeftoverTemporaries(const QString& folder, const QStringList& names,
                               const std::function<bool(const QString&)>& keep = {},
                               const std::function<bool(const QString&)>& isLeftover = isCopyTemporaryName,
                               int folderFd = -1);
// The error number of a source that changed while it was copied.
inline constexpr int kSourceChanged = 513;
// The error number of a target that changed while the copy was made (copyKeepTime's expectedTarget).
inline constexpr int kTargetChanged = 514;
// Test hook: runs in copyKeepTime once the data is copied, before the source and the target are
// checked for changes and the copy is put in place. An empty function removes it.
void setCopyHook(std::function<void(const QString& source, const QString& target)> hook);
// Test hook: runs in copyKeepTime right before the copy takes the target's place: a save landing
// after the last look (on a disk without the exchange, just before that look). An empty function
// removes it.
void setSwapHook(std::function<void(const QString& source, const QString& target)> hook);

// Deletes a file (a link is removed as a link); with `folder`, the entry of that opened folder
// named as `path`'s last piece.
void removeFile(const QString& path, int folder = -1);
// Deletes an empty folder.
void removeFolder(const QString& path);
// Deletes a folder with everything inside; links inside are removed as links, never followed.
void removeFolderRecursively(const QString& path);
// Deletes a file, a link or a whole folder for good.
void deleteForGood(const QString& path);
// Moves a file or folder to the freedesktop trash; a link goes as the link. Returns where it went.
// Throws when that failed (the path is then left where it was): a name the trash cannot record
// (kTrashNameMax), or a move that did not end inside the trash meant (the home trash, or the trash
// at the top of the item's own disk) is refused and moved back. With `expected`, what went must be
// that file (fileInfo): anything else (a save landing meanwhile) is put back and
// RunError{kTargetChanged, ...} thrown.
QString moveToTrash(const QString& path, const FileInfo* expected = nullptr);
// The longest name, in bytes, the trash takes: its record adds ".trashinfo" and, where the trash
// holds that name already, a number.
inline constexpr int kTrashNameMax = 240;
// Tests: moves `path` as the trash would and tells where it went (false: refused). An empty
// function gives the trash back to the system.
void setTrashMoveHook(std::function<bool(const QString& path, QString* inTrash)> hook);
// Renames (moves within one file system).
void renamePath(const QString& from, const QString& to);

// Whether a file can be made in `folder`: 0 when it can, else the errno that refused it. Tries a
// file of its own (a temporary name, removed again), since the access bits do not stop root and
// do not tell a read-only disk. Fault hook: injectFault(folder + "#write", err).
int folderWriteError(const QString& folder);
// Whether a file copied into `folder` the program's way (a temporary, its time set, renamed) keeps
// its time there; false on a disk that gives it the time of the write (NFS with root_squash, a
// FUSE FAT driver's rename). A folder nothing can be written to is taken to keep times. Fault
// hook: injectFault(folder + "#time", err).
bool keepsTimes(const QString& folder);
// Whether the two files hold the same bytes (false when either cannot be read).
bool sameContent(const QString& a, const QString& b);

} // namespace platform
