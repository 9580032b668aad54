#include "core/backup_folders.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/presence.h"

#include <QSet>
#include <algorithm>
#include <vector>

namespace backupfolders {

QStringView bare(QStringView path) {
    return path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path;
}

bool atOrBelow(QStringView path, QStringView folder) {
    if (!path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder.endsWith(u'/') || path[folder.size()] == u'/';
}

bool plainRest(QStringView rest) {
    if (rest.isEmpty())
        return true;
    for (QStringView piece : rest.split(u'/'))
        if (piece.isEmpty() || piece == u"." || piece == u"..")
            return false;
    return true;
}

namespace {
// The last `n` pieces of `path`, joined.
QString lastPieces(const QString& path, qsizetype n) {
    if (n <= 0)
        return {};
    qsizetype at = path.size();
    for (qsizetype i = 0; i < n && at > 0; ++i)
        at = path.lastIndexOf(u'/', at - 1);
    return path.mid(at + 1);
}

} // namespace

using platform::PlacedFolder;

QString piecesBelow(const PlacedFolder& inner, const PlacedFolder& outer, bool* found) {
    qsizetype depth = inner.missing.size();
    bool there = false;
    if (outer.exists()) {
        const platform::FolderId oid = outer.chain.front().id;
        for (const PlacedFolder::Step& s : inner.chain) {
            if (s.id == oid) {
                there = true;
                break;
            }
            ++depth;
        }
    } else {
        depth = inner.path.mid(outer.path.size()).split(u'/', Qt::SkipEmptyParts).size();
    }
    if (found)
        *found = there;
    return lastPieces(inner.path, depth);
}

namespace {
struct Main {
    QString typed;
    PlacedFolder placed;
    bool holdsBackup = false; // the backup folder lies inside it
    QString backupBelow;      // then: the backup folder's pieces below it
    QString ownBelowBackup;   // then: where the run puts this main folder's copies, below the backup folder
    bool secondName = false;  // the backup folder may be a second name for a folder inside it
};
} // namespace

QString backupFolderProblem(const QString& folder, const QStringList& mainFolders, const QStringList& folders,
                            const QString& programFolder, const JobLayout& layout) {
    // Exactly the text the run writes to: a blank at its end is part of a name.
    const QString& typed = folder;
    // Not a whole path names no place; the test write refuses it before anything is written.
    if (!typed.startsWith(QLatin1Char('/')))
        return {};
    const PlacedFolder b = platform::placeFolder(typed);
    // Where the system does not tell what a folder is, it may be any: the job is refused.
    QString unknown;
    auto noteUnknown = [&unknown](const QString& path) {
        if (unknown.isEmpty())
            unknown = QStringLiteral("det är okänt vilken mapp %1 är på disken").arg(path);
    };
    // A refusal names the first folder the system did not tell, where there was one.
    auto refuse = [&unknown](const QString& why) { return unknown.isEmpty() ? why : unknown; };
    auto known = [&noteUnknown](const PlacedFolder& f) {
        if (f.unknown)
            noteUnknown(f.path);
        return !f.unknown;
    };
    if (!known(b))
        return unknown;
    // "Is or lies above": the other folder is the backup folder or lies inside it.
    auto holds = [&b](const PlacedFolder& other) { return platform::isSameOrInside(other, b); };
    auto placed = [&known](const QString& path) {
        PlacedFolder f = platform::placeFolder(path);
        known(f);
        return f;
    };
    if (holds(placed(platform::rootFolder())))
        return refuse(QStringLiteral("backupmappen är rotmappen"));
    for (const QString& home : platform::homeFolders())
        if (holds(placed(home)))
            return refuse(QStringLiteral("backupmappen är hemmappen eller en mapp ovanför den"));
    if (holds(placed(programFolder)))
        return refuse(QStringLiteral("backupmappen innehåller programmappen"));

    std::vector<Main> mains;
    for (const QString& m : mainFolders)
        if (const QString t = platform::withoutTrailingSeparator(m); t.startsWith(QLatin1Char('/')))
            mains.push_back({t, placed(t), false, {}, {}, false});
    for (const Main& m : mains)
        if (holds(m.placed))
            return refuse(
                QStringLiteral("backupmappen är källmappen %1 eller en mapp ovanför den").arg(m.typed));

    const QString version = layout.versionFolder.startsWith(QLatin1Char('/'))
                                ? platform::resolvedPath(layout.versionFolder)
                                : QString();
    for (Main& m : mains) {
        if (platform::isSameOrInside(b, m.placed)) {
            m.holdsBackup = true;
            m.backupBelow = piecesBelow(b, m.placed);
            m.ownBelowBackup = layout.absolute
                                   ? (layout.withMainFolder ? platform::lastPiece(m.typed) : QString())
                                   : m.typed.mid(1);
            continue;
        }
        // A mount of the main folder's file system that the main folder does not stand on may
        // show a folder inside it under the backup folder's name: only then is each folder of the
        // list looked at on disk.
        if (b.exists() && m.placed.exists()) {
            const platform::FolderId mid = m.placed.chain.front().id;
            for (const PlacedFolder::Step& s : b.chain)
                if (s.mountRoot && s.id.device == mid.device &&
                    std::none_of(m.placed.chain.begin(), m.placed.chain.end(),
                                 [&](const PlacedFolder::Step& o) { return o.id == s.id; }))
                    m.secondName = true;
        }
    }

    // The folders of the list, gathered when a folder inside the backup folder is to be told a copy.
    QSet<QString> listed;
    // Folders of the list already found not to be the backup folder, when they are looked at.
    QSet<QString> notBackup;
    const platform::FolderId bid = b.exists() ? b.chain.front().id : platform::FolderId{};
    auto insideOnDisk = [&](const QString& mainPath, const QString& rest) {
        QString p = platform::joinPath(mainPath, rest);
        while (p.size() > mainPath.size() && !notBackup.contains(p)) {
            const platform::PlacedFolder::Step s = platform::folderStep(p);
            if (s.unknown)
                noteUnknown(p);
            if (s.id == bid || s.unknown)
                return true;
            notBackup.insert(p);
            p = platform::parentPath(p);
        }
        return false;
    };
    for (const QString& f : folders) {
        const QString t = platform::withoutTrailingSeparator(f);
        if (t.trimmed().isEmpty())
            continue;
        const Main* under = nullptr;
        QString rest;
        for (const Main& m : mains)
            if (atOrBelow(t, m.typed)) {
                rest = t.mid(m.typed.size());
                while (rest.startsWith(u'/'))
                    rest.remove(0, 1);
                if (plainRest(rest))
                    under = &m;
                break;
            }
        bool inside = false;
        if (!under) {
            inside = holds(placed(t));
        } else if (under->holdsBackup) {
            const QString& below = under->backupBelow;
            if (atOrBelow(rest, below) || below.isEmpty()) {
                // The run's own: the way down to where it puts the copies, the copies, the
                // versions. Where the copies go straight into the backup folder, the user's own
                // folders may stand beside them: there only a copy of a folder the list holds is.
                // The backup folder itself listed is a source its mirror would empty.
                QString own = rest.mid(below.size());
                while (own.startsWith(u'/'))
                    own.remove(0, 1);
                const QString& copies = under->ownBelowBackup;
                bool runs = !own.isEmpty() &&
                            ((!copies.isEmpty() && (atOrBelow(copies, own) || atOrBelow(own, copies))) ||
                             (!version.isEmpty() && atOrBelow(platform::joinPath(b.path, own), version)));
                if (!runs && !own.isEmpty() && copies.isEmpty()) {
                    if (listed.isEmpty())
                        for (const QString& l : folders)
                            listed.insert(platform::withoutTrailingSeparator(l));
                    runs = listed.contains(platform::joinPath(under->typed, own));
                }
                inside = !runs;
            } else if (rest.startsWith(below, Qt::CaseInsensitive)) {
                // A file system that ignores letter case may take it for the backup folder.
                inside = holds(placed(platform::joinPath(under->placed.path, rest)));
            }
        } else if (under->secondName && bid != platform::FolderId{}) {
            inside = insideOnDisk(under->placed.path, rest);
        }
        if (inside)
            return refuse(QStringLiteral("backupmappen är källmappen %1 eller en mapp ovanför den").arg(t));
    }
    return {};
}

QString backupFolderProblem(const QString& folder, const QStringList& mainFolders, const QStringList& folders,
                            const JobLayout& layout) {
    return backupFolderProblem(folder, mainFolders, folders, program().programFolder(), layout);
}

bool edgeWhiteSpace(const QString& text) {
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
}

QString absoluteJobProblem(const QStringList& mainFolders, const QStringList& folders) {
    QStringList mains;
    for (const QString& m : mainFolders)
        if (const QString t = platform::withoutTrailingSeparator(m); !t.trimmed().isEmpty())
            mains << t;
    if (mains.size() > 1)
        return QStringLiteral("jobbet har absolut sökväg och mer än en huvudmapp (%1)").arg(mains[1]);
    const QString main = mains.value(0);
    for (const QString& f : folders) {
        const QString t = platform::withoutTrailingSeparator(f);
        if (t.trimmed().isEmpty())
            continue;
        QString rest = main.isEmpty() || !atOrBelow(t, main) ? QStringLiteral("..") : t.mid(main.size());
        while (rest.startsWith(u'/'))
            rest.remove(0, 1);
        if (!plainRest(rest))
            return QStringLiteral("mappen %1 ligger utanför huvudmappen och jobbet har absolut sökväg")
                .arg(t);
    }
    return {};
}

QString deletionProblem(const QString& entry, const QStringList& folders) {
    if (!entry.startsWith(QLatin1Char('/')))
        return QStringLiteral("sökvägen är inte en hel sökväg");
    const QStringList pieces = entry.mid(1).split(QLatin1Char('/'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString& p = pieces[i];
        // One trailing '/' names the same folder.
        if (p.isEmpty() && i == pieces.size() - 1 && i > 0)
            continue;
        if (p.isEmpty() || p == QLatin1String(".") || p == QLatin1String(".."))
            return QStringLiteral("sökvägen innehåller tomma delar, \".\" eller \"..\"");
    }
    const QString path = platform::withoutTrailingSeparator(entry);
    for (const QString& f : folders) {
        const QString base = platform::withTrailingSeparator(f);
        if (base.size() > 1 && path.startsWith(base) && path.size() > base.size()) {
            // The entry itself may be a link (deleting removes the link); a folder on the way may not.
            for (qsizetype at = path.indexOf(u'/', base.size()); at > 0; at = path.indexOf(u'/', at + 1))
                if (platform::isLink(path.left(at)))
                    return QStringLiteral("sökvägen går genom länken %1 i backupmappen").arg(path.left(at));
            return {};
        }
    }
    return QStringLiteral("sökvägen ligger inte i något jobbs backupmapp");
}

} // namespace backupfolders
