#include "restore/restore_engine.h"

#include "editor/folder_scan.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/copy_step.h"
#include "run/run_log.h"

#include <algorithm>

using platform::RunError;

RestoreEngine::RestoreEngine(RestoreView& view, const QString& programFolder, const platform::Clock& clock)
    : view_(view), programFolder_(programFolder), clock_(clock), copyTimes_(programFolder) {}

// ---- the folder listing -----------------------------------------------------------------------

void RestoreEngine::noteUnreadable(const QString& path, const RunError& e, bool folder) {
    const QString why = QStringLiteral("Felkod ") + QString::number(e.number) + QLatin1Char(' ') +
                        (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description);
    unreadable.push_back(Unreadable{path, why, folder});
    view_.systemLog((folder ? QStringLiteral("FEL! Mappen kunde inte läsas: ")
                            : QStringLiteral("FEL! Filen kunde inte läsas: ")) +
                        path + QStringLiteral(" (") + why + ')',
                    true);
}

QString RestoreEngine::unreadableText() const {
    const auto folderCount =
        std::count_if(unreadable.begin(), unreadable.end(), [](const Unreadable& u) { return u.folder; });
    const auto fileCount = qsizetype(unreadable.size()) - folderCount;
    QStringList parts;
    if (folderCount > 0)
        parts << platform::countText(folderCount, QStringLiteral("mapp kunde inte läsas"),
                                     QStringLiteral("mappar kunde inte läsas"));
    if (fileCount > 0)
        parts << platform::fileCount(fileCount) + QStringLiteral(" kunde inte läsas");
    return parts.join(QStringLiteral(", "));
}

int RestoreEngine::listFolders(const QString& start, const std::function<bool(const QString&)>& keep) {
    folders.clear();
    folderCount = 0;
    unreadable.clear();
    unlisted_.clear();
    // An empty box names no folder; it must never become the root of the file system.
    if (start.isEmpty() || !platform::folderExists(start))
        return 0;
    FolderScan::Options o;
    // A link in a backup leads out of it: what lies behind it was never backed up here.
    o.followLinks = false;
    o.cancelled = [this] { return view_.stopRequested(); };
    o.found = [this, &keep](const QString& path, int) {
        if (keep && !keep(path))
            return;
        folders << path;
        folderCount = int(folders.size());
    };
    o.progress = [this](int) { view_.yield(); };
    o.unreadable = [this, &keep](const QString& path, const RunError& e) {
        if (!keep || keep(path))
            noteUnreadable(path, e);
    };
    FolderScan::run(platform::withTrailingSeparator(start), o);
    unlisted_ = unreadable;
    return folderCount;
}

// ---- the scan ---------------------------------------------------------------------------------

void RestoreEngine::addEntry(const QString& target, const QString& backup, const QString& folder,
                             bool missing, qint64 bytes, qint64 backupTime) {
    entries.push_back(RestoreEntry{target, backup, folder, missing, backupTime});
    ++filräknare;
    megabyte_summa += megabytes(bytes);
}

RestoreEngine::Result RestoreEngine::scan(const std::vector<char>& marks, const RestoreMapping& mapping,
                                          bool newerToo) {
    entries.clear();
    skippedFolders.clear();
    refusedNames.clear();
    unreadable = unlisted_;
    leftovers_.clear();
    originalRoot_ = mapping.original();
    jobRoot_ = mapping.isJob();
    currentFolder.clear();
    genomsökta_filer = nya_filer = nyare_filer = filräknare = 0;
    megabyte_summa = 0;
    fileBar = folderBar = 0;
    const int n = int(folders.size());
    const int markCount = int(std::count_if(
        marks.begin(), marks.begin() + std::min<qsizetype>(marks.size(), n), [](char c) { return c != 0; }));
    if (markCount == 0)
        return {Outcome::NothingMarked, {}};
    const double folderStep = 1.0 / n;
    // The backup disk is named once when it keeps no times.
    DiskTimes disk(mapping.location(), [&] {
        view_.systemLog(QStringLiteral("FEL! Backupdisken behåller inte filernas ändringstider, och "
                                       "kopior utan anteckning om sin tid återställs inte som nyare: ") +
                            mapping.location(),
                        true);
    });
    auto newerByTime = [&](const QString& backup, const platform::FileEntry& f, const QString& target,
                           const platform::FileEntry& now) {
        switch (disk.trust(copyTimes_, backup, f.size, f.mtime, target, now.size)) {
        case DiskTimes::Trust::Time:
            return true;
        case DiskTimes::Trust::Undecided:
            view_.systemLog(QStringLiteral("Det går inte att avgöra om backupens kopia är nyare: ") + target,
                            false);
            break;
        case DiskTimes::Trust::SameContent:
            break;
        }
        return false;
    };
    if (newerToo) {
        copyTimes_ = CopyTimes(programFolder_);
        copyTimes_.load(false); // the scan holds no run lock
        copyTimes_.keepAbove(mapping.location());
    }
    try {
        for (int i = n - 1; i >= 0; --i) {
            view_.yield();
            if (view_.stopRequested())
                return {Outcome::Stopped, {}};
            if (i >= int(marks.size()) || !marks[i])
                continue;
            const QString folder = folders[i];
            const QString original = mapping.originalFolder(folder);
            if (original.isEmpty()) {
                skippedFolders << folder;
                folderBar += folderStep;
                continue;
            }
            if (platform::isRefusedName(folder)) {
                // The listing shows such a name with '?' in it: no path leads to it or its files.
                refusedNames << folder;
                view_.systemLog(QStringLiteral("FEL! Mappnamnet innehåller otillåtna tecken: ") + folder,
                                true);
                folderBar += folderStep;
                continue;
            }
            currentFolder = original;
            const QString from = platform::withTrailingSeparator(folder);
            std::vector<platform::FileEntry> files;
            platform::UnreadableEntries failed;
            try {
                files = platform::listFiles(folder, QStringLiteral("*"), &failed);
            } catch (const RunError& e) {
                // Named, and the other folders are scanned all the same.
                if (e.number == 61)
                    throw;
                noteUnreadable(folder, e);
                folderBar += folderStep;
                continue;
            }
            for (const platform::UnreadableEntry& u : failed)
                noteUnreadable(from + u.name, platform::runErrorFromErrno(u.error), false);
            fileBar = files.empty() ? 1.0 : 0.0;
            // The original folder's names are read once; only names it holds cost a look on disk.
            const platform::FolderLookup lookup(original);
            if (!lookup.temporaryCandidates().isEmpty())
                leftovers_.insert(original, Leftovers{lookup.temporaryCandidates(), from});
            for (size_t k = 0; k < files.size(); ++k) {
                view_.yield();
                if (view_.stopRequested())
                    return {Outcome::Stopped, {}};
                const platform::FileEntry& f = files[k];
                fileBar = double(k + 1) / double(files.size());
                if (f.refused) {
                    // Such a name cannot be opened, so it cannot come back; the user must know.
                    refusedNames << from + f.name;
                    view_.systemLog(
                        QStringLiteral("FEL! Filnamnet innehåller otillåtna tecken: ") + from + f.name, true);
                    ++genomsökta_filer;
                    continue;
                }
                // Neither a dated version copy, a killed copy's leftover nor the record of the
                // copies' times is a backup copy.
                if (isDatedVersionCopy(f.name) || platform::isCopyTemporaryName(f.name) ||
                    f.name == CopyTimes::recordName())
                    continue;
                const QString target = original + f.name;
                platform::FileEntry now;
                if (lookup.find(f.name, now)) {
                    // Times the program wrote itself are never taken for the files' own.
                    if (newerToo &&
                        decideCopy(true, copyTimes_.standsFor(from + f.name, f.size, f.mtime),
                                   copyTimes_.standsFor(target, now.size, now.mtime)) ==
                            CopyDecision::Replace &&
                        newerByTime(from + f.name, f, target, now)) {
                        addEntry(target, from + f.name, original, false, f.size, f.mtime);
                        ++nyare_filer;
                    }
                } else if (!platform::fileInfo(target).exists) {
                    addEntry(target, from + f.name, original, true, f.size, f.mtime);
                    ++nya_filer;
                }
                // Anything else at the target (a folder, a link to nothing) is never replaced.
                ++genomsökta_filer;
            }
            folderBar += folderStep;
        }
    } catch (const RunError& e) {
        return {Outcome::Failed, e};
    }
    currentFolder.clear();
    fileBar = folderBar = 1;
    return {Outcome::Done, {}};
}

// ---- the result -------------------------------------------------------------------------------

void RestoreEngine::removeRange(int first, int last) {
    view_.removingEntries(first, last);
    entries.erase(entries.begin() + first, entries.begin() + last + 1);
    view_.entriesRemoved();
}

void RestoreEngine::removeEntries(std::vector<int> rows) {
    const int n = int(entries.size());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [n](int r) { return r < 0 || r >= n; }), rows.end());
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom up, so the rows of the ranges still to go stay where they are.
    for (size_t k = 0; k < rows.size();) {
        const int last = rows[k];
        int first = last;
        while (++k < rows.size() && rows[k] == first - 1)
            --first;
        removeRange(first, last);
    }
}

void RestoreEngine::applyRemovals() {
    std::vector<int> rows;
    rows.swap(copied_);
    removeEntries(std::move(rows));
}

int findEntry(int count, int from, const QString& text, const std::function<QString(int)>& textAt,
              const std::function<void()>& yield) {
    for (int i = std::max(0, from); i < count; ++i) {
        if (yield)
            yield();
        if (textAt(i).contains(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

// ---- the copy back ----------------------------------------------------------------------------

void RestoreEngine::notCopied(const QString& target, restorelog::Appender& log, restorelog::Totals& totals,
                              const QString& why) {
    const QString text =
        QStringLiteral("Filen kopierades inte: ") + target + (why.isEmpty() ? why : ' ' + why);
    log.lines({QStringLiteral("! ") + text, QString()});
    view_.systemLog(QStringLiteral("FEL! ") + text, true);
    ++totals.errors;
}

QString RestoreEngine::linkAbove(const QString& folder) {
    const QString f = platform::withoutTrailingSeparator(folder);
    const bool root = f == platform::withoutTrailingSeparator(originalRoot_);
    // The folder the user restores to by hand is the one chosen: only what lies below it is
    // checked. A job's main folder is the one its runs read; a link standing there now leads
    // elsewhere.
    if (originalRoot_.isEmpty() || !platform::isSameOrBelow(f, originalRoot_) || (root && !jobRoot_))
        return {};
    if (auto it = linkAbove_.constFind(f); it != linkAbove_.constEnd())
        return *it;
    QString link = root ? QString() : linkAbove(platform::parentPath(f));
    if (link.isEmpty() && platform::fileInfo(f).isLink)
        link = f;
    linkAbove_.insert(f, link);
    return link;
}

void RestoreEngine::removeLeftovers(const QString& folder) {
    const auto it = leftovers_.constFind(folder);
    if (it == leftovers_.constEnd())
        return;
    const Leftovers l = *it;
    leftovers_.erase(it);
    platform::removeLeftoverTemporaries(folder, l.names, [&l](const QString& name) {
        return platform::fileInfo(l.backupFolder + name).exists;
    });
}

bool RestoreEngine::copyOne(const RestoreEntry& e, restorelog::Appender& log, restorelog::Totals& totals) {
    // A link below the original folder leads elsewhere: nothing is written through it.
    if (const QString link = linkAbove(e.folder); !link.isEmpty()) {
        notCopied(e.target, log, totals,
                  QStringLiteral("(mappen ") + link + QStringLiteral(" är en länk och följs inte)"));
        return false;
    }
    // The entries of a folder follow each other: it is looked for once for all of them.
    if (e.folder != folderThere_ && !platform::folderExists(e.folder)) {
        try {
            platform::makePath(e.folder);
        } catch (const RunError& err) {
            if (err.number == 61)
                throw;
            notCopied(e.target, log, totals);
            return false;
        }
        view_.systemLog(QStringLiteral("Skapade mappen ") + e.folder, false);
        log.line(QStringLiteral("Skapad mapp: ") + e.folder);
    }
    folderThere_ = e.folder;
    // What the scan saw may have changed: never put a backup copy over a file that is newer now,
    // over a file that appeared since, or over the backup copy itself by another path. Where the
    // file was missing, the copy's rename refuses whatever came at its name since, and the copy
    // itself takes nothing but a file.
    platform::FileInfo now;
    if (!e.missing) {
        const platform::FileInfo source = platform::fileInfo(e.backup);
        now = platform::fileInfo(e.target);
        if (now.isLink) {
            notCopied(e.target, log, totals, QStringLiteral("(den är en länk och ersätts inte)"));
            return false;
        }
        // The backup copy's time may be one the program wrote itself: it stands for its source's.
        if (!source.isFile || !now.isFile ||
            decideCopy(true, copyTimes_.standsFor(e.backup, source.size, source.mtime),
                       copyTimes_.standsFor(e.target, now.size, now.mtime)) != CopyDecision::Replace ||
            (source.device == now.device && source.inode == now.inode)) {
            notCopied(e.target, log, totals);
            return false;
        }
    }
    removeLeftovers(e.folder);
    copystep::Policy policy;
    // The window answers during a long copy, and a stop ends it there: the original stays as it was.
    policy.stop = copystep::yieldingStop([this] { view_.yield(); }, [this] { return view_.stopRequested(); });
    const copystep::Result r = copystep::copyFile(e.backup, e.target, now, policy);
    const platform::CopiedSizes& sizes = r.sizes;
    switch (r.outcome) {
    case copystep::Outcome::Copied:
    case copystep::Outcome::CopiedOnSecondTry:
        break;
    case copystep::Outcome::DiskFull:
        throw r.error;
    case copystep::Outcome::Stopped:
        return false;
    case copystep::Outcome::TargetChanged:
        // A file saved while the copy was made is the user's newest: it stays.
        notCopied(e.target, log, totals, QStringLiteral("(den ändrades under kopieringen och behölls)"));
        return false;
    default:
        // A name taken where the file was missing came since the scan.
        notCopied(e.target, log, totals);
        return false;
    }
    ++totals.files;
    totals.megabytes += megabytes(sizes.source);
    if (e.missing)
        ++totals.missing;
    else
        ++totals.replaced;
    filräknare = totals.files;
    nya_filer = totals.missing;
    nyare_filer = totals.replaced;
    megabyte_summa = totals.megabytes;
    log.line(e.display());

    // The lengths of the backup copy and of the copy in place, as the copy itself read them.
    if (sizes.target != sizes.source) {
        const QString text = restorelog::sizeErrorText(e.target, sizes.target, e.backup, sizes.source);
        log.lines({QStringLiteral("! ") + text, QString()});
        view_.systemLog(QStringLiteral("FEL! ") + text, true);
        ++totals.errors;
    }
    // The copy stands for the time its backup copy stands for; only a time its disk did not take
    // is an error here (one the backup disk did not take was said by the run that made it).
    const qint64 backupTime = copyTimes_.standsFor(e.backup, sizes.source, sizes.sourceTime);
    copyTimes_.copied(e.target, sizes.target, sizes.targetTime, backupTime,
                      platform::timeWithinGrain(sizes.targetTime, backupTime));
    if (!sizes.timeKept) {
        // The copy carries the time it was made: said, and never taken for the file's own later.
        log.lines({QStringLiteral("FEL: filens ändringstid kunde inte behållas: ") + e.target, QString()});
        view_.systemLog(QStringLiteral("FEL! Filens ändringstid kunde inte behållas: ") + e.target, true);
        ++totals.errors;
    }
    copyTimes_.flush();
    return true;
}

RestoreEngine::CopyResult RestoreEngine::copyBack(const std::vector<char>& marks, const CopyRun& run) {
    CopyResult r;
    r.start = clock_.now();
    const int n = int(entries.size());
    for (int k = 0; k < n && k < int(marks.size()); ++k)
        r.marked += marks[k] ? 1 : 0;
    if (r.marked == 0) {
        r.outcome = Outcome::NothingMarked;
        return r;
    }
    view_.systemLog(QString(), false);
    view_.systemLog(QStringLiteral("Startar en återställning"), false);
    view_.systemLog(run.jobName.isEmpty() ? QStringLiteral("Från ") + run.restoreFrom
                                          : QStringLiteral("Från jobb ") + run.jobName.toUpper(),
                    false);
    genomsökta_filer = nya_filer = nyare_filer = filräknare = 0;
    megabyte_summa = 0;
    fileBar = 0;
    linkAbove_.clear();
    folderThere_.clear();
    copied_.clear();
    copyTimes_ = CopyTimes(programFolder_);
    copyTimes_.load();
    if (!entries.empty())
        copyTimes_.keepAbove(platform::parentPath(entries.front().backup));
    const QString logPath = runlog::logPath(programFolder_);
    restorelog::Appender log(logPath);
    try {
        platform::writeLines(logPath, restorelog::headerLines(r.start, run.jobName));
        // What the scan could not read was not restored either: the log says so.
        for (const Unreadable& u : unreadable) {
            log.lines({QStringLiteral("! Kunde inte läsas i backupen och återställdes inte: ") + u.path +
                           QStringLiteral(" (") + u.why + ')',
                       QString()});
            ++r.totals.errors;
        }
        const double step = 1.0 / n;
        for (int i = n - 1; i >= 0; --i) {
            view_.yield();
            if (view_.stopRequested()) {
                r.outcome = Outcome::Stopped;
                break;
            }
            if (i >= int(marks.size()) || !marks[i] || i >= int(entries.size()))
                continue;
            view_.currentEntry(i);
            if (copyOne(entries[i], log, r.totals))
                copied_.push_back(i);
            else if (view_.stopRequested()) {
                r.outcome = Outcome::Stopped; // within the copy: the original stays as it was
                break;
            }
            fileBar += step;
        }
        if (r.outcome == Outcome::Done)
            fileBar = 1;
    } catch (const RunError& e) {
        r.outcome = Outcome::Failed;
        r.error = e;
        ++r.totals.errors;
    }
    applyRemovals();
    r.end = clock_.now();
    try {
        log.lines(restorelog::summaryLines(r.start, r.end, r.totals));
    } catch (const RunError&) {
        // The saved copy below shows what the log holds.
    }
    try {
        restorelog::saveLog(programFolder_, r.start, run.jobName, r.totals);
    } catch (const RunError& e) {
        view_.systemLog(
            QStringLiteral("FEL! Ett fel uppstod under hantering av loggfil. Plats: Återställning, "
                           "spara loggfil i loggmapp. Felkod ") +
                QString::number(e.number) + QLatin1Char(' ') + e.description + QStringLiteral("."),
            true);
    }
    return r;
}
