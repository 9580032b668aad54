#include "restore/restore_paths.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "run/target_folders.h"
#include "run/versioning.h"

RestoreMapping RestoreMapping::forJob(const QString& backupFolder, const QString& mainFolder, bool absolute,
                                      bool withMainFolderName, const QStringList& jobMainFolders) {
    RestoreMapping m;
    m.job_ = true;
    m.backupFolder_ = platform::withTrailingSeparator(backupFolder);
    m.firstMainFolder_ = jobMainFolders.isEmpty() ? mainFolder : jobMainFolders.first();
    m.absolute_ = absolute;
    m.withName_ = withMainFolderName;
    if (backupFolder.isEmpty() || mainFolder.isEmpty())
        return m;
    m.location_ =
        targetFolderFor(mainFolder, m.backupFolder_, absolute, m.firstMainFolder_, withMainFolderName);
    m.original_ = platform::withTrailingSeparator(mainFolder);
    // With the absolute path type another main folder's copies can lie inside this one's location.
    for (const QString& other : jobMainFolders) {
        const QString original = platform::withTrailingSeparator(other);
        if (other.isEmpty() || original == m.original_)
            continue;
        const QString location =
            targetFolderFor(other, m.backupFolder_, absolute, m.firstMainFolder_, withMainFolderName);
        if (location.size() > m.location_.size() && pathBelow(location, m.location_))
            m.others_.push_back({location, original});
    }
    return m;
}

RestoreMapping RestoreMapping::manual(const QString& restoreFrom, const QString& restoreTo) {
    RestoreMapping m;
    // A relative folder would be taken from wherever the program happens to run.
    if (!restoreFrom.startsWith('/') || !restoreTo.startsWith('/'))
        return m;
    m.location_ = platform::withTrailingSeparator(restoreFrom);
    m.original_ = platform::withTrailingSeparator(restoreTo);
    return m;
}

bool pathBelow(const QString& path, const QString& base, QString* rest) {
    if (path.isEmpty() || base.isEmpty())
        return false;
    const QString p = platform::withTrailingSeparator(path);
    const QString b = platform::withTrailingSeparator(base);
    if (!p.startsWith(b))
        return false;
    if (rest)
        *rest = p.mid(b.size());
    return true;
}

QString RestoreMapping::originalFolder(const QString& folder) const {
    QString rest;
    if (!isValid() || !pathBelow(folder, location_, &rest))
        return {};
    const QString result = platform::withTrailingSeparator(original_ + rest);
    if (!job_)
        return result;
    // A job's result must lead back to the very folder under the run's rule; anything else would
    // put files where the run never took them from.
    const QString self = platform::withTrailingSeparator(folder);
    if (targetFolderFor(result, backupFolder_, absolute_, firstMainFolder_, withName_) != self)
        return {};
    // Copies the run made of another main folder stay that folder's, even where they lie inside
    // this one's location.
    for (const Other& o : others_) {
        QString below;
        if (!pathBelow(folder, o.location, &below))
            continue;
        const QString theirs = platform::withTrailingSeparator(o.original + below);
        if (theirs != result &&
            targetFolderFor(theirs, backupFolder_, absolute_, firstMainFolder_, withName_) == self)
            return {};
    }
    return result;
}

QString derivedRestoreTo(const QString& backupRoot, const QString& restoreFrom) {
    if (backupRoot.isEmpty() || !pathBelow(restoreFrom, backupRoot))
        return {};
    return platform::withoutTrailingSeparator(platform::sourceFromRelativeTarget(backupRoot, restoreFrom));
}

QString restoreDriveWarning(const QString& restoreTo) {
    auto warning = [](const QString& drive) {
        return QStringLiteral("Varning: ") + drive +
               QStringLiteral(" ser inte ut att vara en giltig återställningsenhet!");
    };
    // A text that is no whole path names no place at all: it is shown as it stands, not cut to
    // what would be a drive on another system.
    if (!restoreTo.startsWith('/'))
        return warning(restoreTo);
    if (!platform::volumePresent(restoreTo))
        return warning(platform::volumeRoot(restoreTo));
    return {};
}

QString restoreNestingProblem(const QString& restoreFrom, const QString& restoreTo) {
    if (restoreFrom.isEmpty() || restoreTo.isEmpty())
        return {};
    // Compared by identity: a second name for the folder (a link, a bind mount) is the same folder.
    const platform::PlacedFolder from = platform::placeFolder(restoreFrom),
                                 to = platform::placeFolder(restoreTo);
    if (!platform::isSameOrInside(to, from))
        return {};
    if (platform::isSameOrInside(from, to))
        return QStringLiteral("FEL! Mappen som filerna ska återställas till är samma mapp som de återställs "
                              "från. Välj två olika mappar.");
    return QStringLiteral("FEL! Mappen som filerna ska återställas till ligger i mappen som de återställs "
                          "från. En backup kan inte återställas till en mapp som ligger i den själv.");
}

bool isDatedVersionCopy(const QString& fileName) {
    const qsizetype open = fileName.lastIndexOf('[');
    if (open < 0)
        return false;
    const qsizetype close = open + 20;
    if (close >= fileName.size() || fileName[close] != ']')
        return false;
    return isVersionOf(fileName, fileName.left(open) + fileName.mid(close + 1));
}
