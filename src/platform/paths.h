#pragma once
#include <QString>

// Path rules of the program on Linux: '/' is the separator wherever the program's procedures
// speak of a backslash; a "drive" is the volume a path lies on.
namespace platform {

// Removes one trailing '/', but "/" stays "/".
QString withoutTrailingSeparator(const QString& path);
// Appends '/' unless the path already ends in one.
QString withTrailingSeparator(const QString& path);
// The text after the last '/' (the whole text when there is none).
QString lastPiece(const QString& path);
// The text before the last '/' ("/" for "/x", empty when there is no '/').
QString parentPath(const QString& path);
// Joins a folder and a name with exactly one '/'.
QString joinPath(const QString& folder, const QString& name);
// The longest file name (one piece of a path) the file systems take, in UTF-8 bytes.
inline constexpr int kLongestFileName = 255;
// `text` when its UTF-8 fits in `maxBytes`; otherwise its longest beginning that fits together with
// a closing "…", cut between characters, so a shortened name shows that it was shortened.
QString fitToBytes(const QString& text, int maxBytes);

// Relative path type: backup folder + '/' + the source path without its leading '/', ending in '/'.
// ("/home/anna/Bilder", "/mnt/usb/Backup") -> "/mnt/usb/Backup/home/anna/Bilder/".
QString relativeTarget(const QString& backupFolder, const QString& sourceFolder);
// Inverse of relativeTarget: the source folder a target folder below the backup folder came from
// (with a trailing '/'), or an empty text when the target does not lie below the backup folder.
QString sourceFromRelativeTarget(const QString& backupFolder, const QString& targetFolder);

// The absolute path with links resolved as far as the path exists; the part not made yet is
// appended as written. For comparing two folders the user named, whether or not both exist.
// Resolved as the kernel resolves it: "lnk/.." is the folder above where lnk leads. Each piece
// takes the spelling its folder's listing holds, so a disk that ignores letter case gives one
// folder one path.
QString resolvedPath(const QString& path);
// Tests: names at and below `folder` are looked up, and a copy's last step takes a name, without
// regard to letter case, as on a disk that folds it (FAT, exFAT), where the test cannot mount one.
// An empty text removes every stand-in.
void standInCaseFolding(const QString& folder);
// Whether `folder` lies at or below a folder given to standInCaseFolding.
bool foldsCaseByStandIn(const QString& folder);

// The file system's root ("/") and the user's home folder, resolved. Tests stand folders of their
// own in for them, so that what is refused at "/" can be tried without touching the real one.
QString rootFolder();
QString homeFolder();
// Every folder that is the user's home: the password database's and HOME's (either may be
// missing, or point elsewhere, when a service manager starts the program). A stand-in replaces
// both. Run as root, also every home of the password database that is a folder, and /home.
QStringList homeFolders();
void standInSystemFolders(const QString& root, const QString& home);
// Tests: the program runs as root and the password database holds these homes (the stand-in root's
// "home" is added as /home is).
void standInPasswordHomes(const QStringList& homes);
// Removes every stand-in of this file.
void clearSystemFolderStandIns();

// The volume ("drive") a path lies on: /media/<user>/<name>, /run/media/<user>/<name>,
// /mnt/<name>, otherwise "/".
QString volumeRoot(const QString& path);
// The volume of `path` exists and is a mount point or holds at least one entry (an unplugged
// disk leaves an empty mount folder behind). "/" is always present.
bool volumePresent(const QString& path);
// The same test for a volume folder itself.
bool volumeFolderPresent(const QString& volumeFolder);
// volumePresent for a path known to exist: the volume folder is read only when the path is that
// folder itself, since anything below it is an entry of it.
bool volumePresentAt(const QString& existingPath);
// Tests: treat every entry of `folder` as a volume, as the entries of /mnt are.
void addVolumeParent(const QString& folder);
void clearVolumeParents();
// A path beginning with "//" or lying on a cifs, smb3, nfs, nfs4 or fuse.sshfs file system.
bool isNetworkPath(const QString& path);
// True when `path` is `folder` or lies below it (compares the start of the path, by whole pieces).
bool isSameOrBelow(const QString& path, const QString& folder);

// Creates the whole folder path (MakeSureDirectoryPathExists). Throws RunError on failure;
// refuses (error 76) to create anything below a volume that is not present.
void makePath(const QString& folder);
// The same for a folder that is likely missing: it is made without looking it up first. Returns
// true when this call made it, false when it was there.
bool makeMissingPath(const QString& folder);

} // namespace platform
