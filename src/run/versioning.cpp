#include "run/versioning.h"

#include "core/program.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/own_tree.h"
#include "platform/paths.h"
#include "platform/vb.h"
#include "run/copy_engine.h"

#include <QDateTime>
#include <QRegularExpression>
#include <optional>

using platform::RunError;

QString versionFolderPath(const QString& versionFolderSetting, const QString& sourceFolder) {
    return platform::relativeTarget(versionFolderSetting, sourceFolder);
}

QString versionStamp(qint64 mtime) {
    QString s = platform::dateTimeText(QDateTime::fromSecsSinceEpoch(mtime));
    s.replace(':', ';');
    return s;
}

namespace {
struct NameParts {
    QString base;
    QString ext; // empty when the name has no dot
};

NameParts splitName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0)
        return {fileName, QString()};
    return {fileName.left(dot), fileName.mid(dot + 1)};
}

// The longest name a file system takes, in bytes.
constexpr qsizetype kNameMax = 255;
// What a version name adds to the file's: "[", the stamp and "]".
constexpr qsizetype kStampBytes = 21;

// The first code points of `text` that fit into `bytes` bytes of UTF-8.
QString fitBytes(const QString& text, qsizetype bytes) {
    QString out;
    qsizetype used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        const QStringView cp = QStringView(text).mid(i, pair ? 2 : 1);
        const qsizetype n = cp.toUtf8().size();
        if (used + n > bytes)
            break;
        out += cp;
        used += n;
        i += pair ? 1 : 0;
    }
    return out;
}

// The parts a version name is made of: the file's name part shortened (and, for a very long
// extension, the extension too) so that the version name fits the file system, the extension and
// the stamp the version rules read kept.
NameParts versionParts(const QString& fileName) {
    NameParts p = splitName(fileName);
    const qsizetype extBytes = p.ext.isEmpty() ? 0 : 1 + p.ext.toUtf8().size();
    if (p.base.toUtf8().size() + kStampBytes + extBytes <= kNameMax)
        return p;
    const qsizetype room = kNameMax - kStampBytes - extBytes;
    if (room >= 1) {
        p.base = fitBytes(p.base, room);
        return p;
    }
    p.base = fitBytes(p.base, 1);
    p.ext = fitBytes(p.ext, kNameMax - kStampBytes - 1 - p.base.toUtf8().size());
    return p;
}

QString versionTail(const NameParts& p) {
    return p.ext.isEmpty() ? QStringLiteral("]") : "]." + p.ext;
}

// Deletes old version copies of the version folder `folder`. In the backup folder (its text
// however written, or reached through a link) they go through the backup folder's own handles:
// never through a link there, never into another mount. Elsewhere as any file. Where the folder
// lies is found once, for all the copies deleted there.
class VersionRemover {
  public:
    VersionRemover(const QString& backupFolder, const QString& folder) : folder_(folder) {
        const QString backup = platform::withoutTrailingSeparator(backupFolder.trimmed());
        if (backup.startsWith('/') && backup != QLatin1String("/")) {
            const QString at = platform::resolvedPath(folder);
            const QString root = platform::resolvedPath(backup);
            if (at != root && platform::isSameOrBelow(at, root)) {
                at_ = at;
                tree_.emplace(root);
            }
        }
    }

    void remove(const QString& name) const {
        if (!tree_) {
            platform::removeFile(platform::joinPath(folder_, name));
            return;
        }
        platform::OwnTree::Removal r;
        QString mount;
        r.otherMount = [&](const QString& m) { mount = m; };
        if (!tree_->remove(platform::joinPath(at_, name), r))
            throw platform::RunError{platform::kOtherMount, platform::otherMountText(mount)};
    }

  private:
    QString folder_;
    QString at_; // the folder as found in the backup folder
    std::optional<platform::OwnTree> tree_;
};
} // namespace

QString versionCopyName(const QString& fileName, const QString& stamp) {
    const NameParts p = versionParts(fileName);
    return p.base + '[' + stamp + versionTail(p);
}

bool versionedType(const QString& targetPath, const QString& typeList) {
    if (typeList.isEmpty())
        return true;
    const qsizetype dot = targetPath.lastIndexOf('.');
    const QString ext = dot < 0 ? targetPath : targetPath.mid(dot + 1);
    // Letter case never matters, as in the type filter: "REPORT.DOC" is a "doc".
    for (const QString& piece : typeList.split(';', Qt::SkipEmptyParts))
        if (ext.compare(piece.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isVersionOf(const QString& candidate, const QString& fileName) {
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d;\\d\\d;\\d\\d$"));
    const NameParts p = versionParts(fileName);
    const QString head = p.base + '[';
    const QString tail = versionTail(p);
    if (candidate.size() != head.size() + 19 + tail.size())
        return false;
    if (!candidate.startsWith(head) || !candidate.endsWith(tail))
        return false;
    return stamp.match(QStringView(candidate).mid(head.size(), 19)).hasMatch();
}

QStringList versionsOf(const std::set<QString>& names, const QString& fileName) {
    const QString head = versionParts(fileName).base + '[';
    QStringList out;
    for (auto it = names.lower_bound(head); it != names.end() && it->startsWith(head); ++it)
        if (isVersionOf(*it, fileName))
            out << *it;
    // Same head and tail: the names sort by their stamps, oldest first.
    return out;
}

int versionsToKeep(const QString& maxText) {
    const QString t = maxText.trimmed();
    qsizetype i = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        ++i;
    bool ok = false;
    const long long v = t.left(qMin<qsizetype>(i, 9)).toLongLong(&ok);
    // Keeping none would delete the copy just made.
    return ok && v >= 1 ? int(v) : 1;
}

bool BackupEngine::versionshantering(const QString& targetPath, int index) {
    return keepVersion(targetPath,
                       index >= 0 && index < int(List3.size()) ? List3[index].source : List2.value(index));
}

bool BackupEngine::keepVersion(const QString& targetPath, const QString& source) {
    const CurrentJobRecord& m = program().job();
    if (m.txtversionshantering == QLatin1String("NEJ"))
        return true;
    versionshantering_använd = true;
    if (!inCopy_)
        versionCacheValid_ = false;
    const bool simulated = progress_.simulated();
    QString folder;
    QString copyName;
    bool made = false;
    try {
        // The old copy as it is, read once, never through a link.
        std::optional<platform::FileInfo> oldInfo;
        const auto old = [&]() -> const platform::FileInfo& {
            if (!oldInfo) {
                platform::checkFault(targetPath);
                oldInfo = platform::fileInfoIn(targetFd(), targetPath);
                if (!oldInfo->exists)
                    platform::throwError(53);
                if (oldInfo->isLink || !oldInfo->isFile)
                    platform::throwError(75);
            }
            return *oldInfo;
        };
        if (!m.txtversion_mb.isEmpty()) {
            if (old().size != 0 && localeNumber(m.txtversion_mb) < megabytes(old().size))
                return true;
        }
        if (!versionedType(targetPath, m.txtversionpattern))
            return true;
        // An empty, relative or root version folder would put the versions into the source
        // folder itself or wherever the program runs.
        const QString setting = platform::withoutTrailingSeparator(m.txtversionmapp);
        if (!setting.startsWith('/') || setting == QLatin1String("/"))
            platform::throwError(76);
        folder = versionFolderPath(m.txtversionmapp, source);
        // A version folder inside the backup folder is the backup's: never written through a link.
        if (!simulated)
            backupFolders().make(folder);
        const QString fileName = platform::lastPiece(targetPath);
        // A copy whose time the disk did not keep is named by the time it stands for.
        copyName = versionCopyName(fileName,
                                   versionStamp(copyTimes().standsFor(targetPath, old().size, old().mtime)));
        if (!simulated) {
            // Written through the version folder's handle, from the folder it lies in of the job's.
            const QString root =
                platform::isSameOrBelow(folder, m.txtbackupmapp) ? m.txtbackupmapp : m.txtversionmapp;
            platform::RunError refused;
            const auto into = versionFolders_.open(root, folder, true, refused);
            if (!into)
                throw refused;
            platform::copyKeepTime(targetPath, folder + copyName, {}, {}, nullptr, nullptr, into->fd());
        }
        made = true;
        ++versioner_totalt;
        ++versioner_jobb;
        logLine(QStringLiteral("log_filversion.txt"), QStringLiteral("+ ") + folder + copyName);
        if (copyName.size() != fileName.size() + kStampBytes)
            logLine(
                QStringLiteral("log_filversion.txt"),
                QStringLiteral("  Versionens namn förkortades, eftersom filsystemet inte tar längre namn: ") +
                    fileName);

        if (!versionCacheValid_ || versionFolderCached_ != folder) {
            versionNames_.clear();
            QStringList leftovers;
            try {
                for (const QString& name : platform::listFileNames(folder)) {
                    versionNames_.insert(name);
                    if (platform::isCopyTemporaryName(name))
                        leftovers << name;
                }
            } catch (const RunError&) {
                // A version folder that does not exist yet holds no versions.
            }
            // A version copy killed half-way left its temporary file: the folder is the program's.
            if (!simulated && !leftovers.isEmpty()) {
                platform::removeLeftoverTemporaries(folder, leftovers);
                for (const QString& name : leftovers)
                    versionNames_.erase(name);
            }
            versionFolderCached_ = folder;
            versionCacheValid_ = true;
        }
        if (!simulated)
            versionNames_.insert(copyName);
        const QStringList versions = versionsOf(versionNames_, fileName);
        const int keep = versionsToKeep(m.txtversionmax);
        if (!simulated && keep < versions.size()) {
            const VersionRemover remover(m.txtbackupmapp, folder);
            for (qsizetype i = 0; i + keep < versions.size(); ++i) {
                remover.remove(versions[i]);
                versionNames_.erase(versions[i]);
            }
        }
        if (!inCopy_)
            flushLogs();
        return true;
    } catch (const RunError& e) {
        versionCacheValid_ = false;
        countError();
        progress_.windowLog(QStringLiteral(" Fel under versionshantering, ") + folder + targetPath);
        systemLog(QStringLiteral("FEL! Fel under versionshantering, ") + folder + targetPath, true);
        logLine(QStringLiteral("log_err.txt"), QString());
        logLine(QStringLiteral("log_err.txt"),
                QStringLiteral("Fel i versionshantering: Felkod ") + QString::number(e.number) + ' ' +
                    (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description) +
                    QStringLiteral(" (Jobb: ") + progress_.jobName() + ')');
        logLine(QStringLiteral("log_err.txt"), QStringLiteral("Från: ") + targetPath);
        logLine(QStringLiteral("log_err.txt"), QStringLiteral("Till: ") + folder + copyName);
        if (!inCopy_)
            flushLogs();
        return made;
    }
}
