#pragma once
#include <QString>
#include <QStringList>

// The decisions behind the job editor's list, versioning and renaming controls, without widgets.
namespace joblists {

// The separators of the list lines of a job file set.
inline const QString kTypeSeparator = QStringLiteral(";");
inline const QString kFolderFilterSeparator = QStringLiteral(" * ");
inline const QString kProgramSeparator = QStringLiteral(" ;; ");

// The non-empty pieces of a stored line, in order.
QStringList textToEntries(const QString& text, const QString& separator);
// The entries joined by the separator, nothing before the first or after the last.
QString entriesToText(const QStringList& entries, const QString& separator);

// A size field when it loses the focus: empty stays empty (no limit); otherwise the number the
// text begins with, written so that it reads back as the same number.
QString normalisedSizeText(const QString& text);
// The count field when it loses the focus: the number the text begins with ("0" when none).
QString normalisedCountText(const QString& text);

// What saving accepts. A size limit: empty, or a number above 0. A number of versions: a number
// above 0. Zero, negative numbers and texts without a number are refused.
bool sizeLimitAccepted(const QString& text);
bool versionCountAccepted(const QString& text);

// Why a typed version type is refused ("" when it is accepted).
QString versionTypeRefusal(const QString& type);

// The version folder proposed for a backup folder: the backup folder itself when it ends with a
// separator, else its "versioner" folder; empty for an empty backup folder.
QString defaultVersionFolder(const QString& backupFolder);

// The file picker's choice as a program-list entry: quoted when it holds a blank.
QString programEntryForPath(const QString& path);

// A typed new job name with "<" and ">" replaced by "«" and "»".
QString jobNameFromTyped(const QString& typed);
// Whether a name can be the file name of a job: one file name, not hidden, no control characters.
bool isSingleFileName(const QString& name);

} // namespace joblists
