#pragma once
#include <QString>
#include <QStringList>

namespace platform {
struct PlacedFolder;
}

// Lists that name files to delete (saved mirror lists, the leftover window's lists) are only
// trusted inside what the program owns: the backup folders of its jobs.
namespace backupfolders {

// Where a job puts its copies: what tells the run's own folders inside a backup folder that lies
// inside a main folder from the user's.
struct JobLayout {
    bool absolute = false;       // path type "1"
    bool withMainFolder = false; // the main folder's own name on top (".004" line 4 "JA")
    QString versionFolder;
};

// Why `folder` may not be the backup folder of a job with these main folders and this folder list,
// or an empty text when it may. A backup folder is the program's own, where a mirror deletes what
// the source no longer has: so it is never "/", a home folder or a folder above it, a source
// folder or a folder above one, nor a folder that holds the program folder. Folders are compared
// by identity (platform::PlacedFolder), so a second name for one folder is seen through. A backup
// folder kept inside a main folder is left out of the copy with all below it: the folders a scan
// lists there where the run puts its copies and versions are its own (where the copies go straight
// into the backup folder, only the copies of folders the list holds), any other is refused. A
// folder of the list is taken as its main folder's resolved path and the rest.
QString backupFolderProblem(const QString& folder, const QStringList& mainFolders, const QStringList& folders,
                            const QString& programFolder, const JobLayout& layout = {});
// The same with the program folder of the running program.
QString backupFolderProblem(const QString& folder, const QStringList& mainFolders, const QStringList& folders,
                            const JobLayout& layout = {});

// A folder text that begins or ends with white space (a blank, a tab, a no-break space): the run
// takes it as written, so it names another folder than the one the user sees.
bool edgeWhiteSpace(const QString& text);

// Why a job with the absolute path type cannot be run as it stands, or an empty text: its copies
// are placed by their path below its one main folder, so a second main folder, or a folder of the
// list outside the main folder (or reaching out of it with ".."), would have its copies put
// elsewhere and mirrored away at every run.
QString absoluteJobProblem(const QStringList& mainFolders, const QStringList& folders);

// Why `entry` may not be deleted, or an empty text when it may: it must be a whole path without
// "." or ".." pieces (and no empty piece) that lies inside, not at, one of `folders`, and it may
// not pass through a link inside that folder (what the link leads to is not the backup's).
QString deletionProblem(const QString& entry, const QStringList& folders);

// `rest` (pieces below a folder, without a leading '/') has no "." or ".." piece and no empty one:
// its text then says where it leads, as long as no link stands in it.
bool plainRest(QStringView rest);

// Path texts, compared without making a text: asked for every folder of a job's list.
// `path` without one trailing '/' (but "/").
QStringView bare(QStringView path);
// `path` is `folder` or lies below it; both without a trailing '/' but for "/".
bool atOrBelow(QStringView path, QStringView folder);
// The pieces of `inner` below `outer`, a folder that holds it (platform::isSameOrInside), joined:
// counted up to where outer's identity stands among the folders above inner, or by their text
// where outer does not exist yet. `found`, when given, tells whether outer's identity stood there.
QString piecesBelow(const platform::PlacedFolder& inner, const platform::PlacedFolder& outer,
                    bool* found = nullptr);

} // namespace backupfolders
