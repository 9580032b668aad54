#include "foldersync/sync_engine.h"

#include "core/program.h"
#include "editor/folder_scan.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/copy_step.h"

#include <QElapsedTimer>
#include <QSet>

using platform::RunError;
using synclogic::SyncPair;

namespace {
const QString kLog = QStringLiteral("log.txt");
const QString kLogErr = QStringLiteral("log_err.txt");
// Gathered log lines wait no longer than this (milliseconds): a run killed meanwhile loses no more.
constexpr qint64 kHoldLogsMs = 1000;
// A copy taking longer than this (milliseconds) looks whether gathered lines are due meanwhile.
constexpr qint64 kLongCopyMs = 100;

qint64 nowMs() {
    return program().clock.now().toMSecsSinceEpoch();
}

QString quoted(const QString& s) {
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// The error of a copy that found at its target another file than the one it was decided on.
RunError targetChanged() {
    return RunError{platform::kTargetChanged,
                    QStringLiteral("Målfilen ändrades under kopieringen och ersattes inte")};
}
} // namespace

SyncEngine::SyncEngine(SyncView& view, const QString& programFolder)
    : view_(view), programFolder_(programFolder), pendingLogs_(programFolder), copyTimes_(programFolder) {}

void SyncEngine::resetRun() {
    counts = {};
    unreadableNamed_.clear();
    imgerr = false;
    filtotal = 1;
    List1.clear();
    List2.clear();
    List3.clear();
    List4.clear();
    File1.clear();
    simKällor.clear();
    simMål.clear();
    pendingLogs_.clear();
    pendingSince_ = -1;
    logFailure_.reset();
    copyTimes_ = CopyTimes(programFolder_);
    copyTimes_.load();
    copyTimes_.keepBelow(request.mapp1);
    copyTimes_.keepBelow(request.mapp2);
    diskTimes_[0] = DiskTimes(request.mapp1);
    diskTimes_[1] = DiskTimes(request.mapp2);
}

QString SyncEngine::job() const {
    return QStringLiteral(" (Jobb: ") + request.mapp1 + QLatin1Char(')');
}

void SyncEngine::logLine(const QString& file, const QString& line) {
    if (pendingSince_ < 0)
        pendingSince_ = nowMs();
    pendingLogs_.add(file, line);
}

void SyncEngine::flushLogs() {
    if (logFailure_) {
        const RunError e = *logFailure_;
        logFailure_.reset();
        throw e;
    }
    pendingSince_ = -1;
    // The record of times not kept goes with the lines that name those copies.
    std::optional<RunError> recordFailure;
    try {
        copyTimes_.flush();
    } catch (const RunError& e) {
        recordFailure = e;
    }
    pendingLogs_.flush();
    if (recordFailure)
        throw *recordFailure;
}

void SyncEngine::flushLogsIfDue() {
    // A clock set back counts as due too.
    if (logFailure_ || (pendingSince_ >= 0 && qAbs(nowMs() - pendingSince_) >= kHoldLogsMs))
        flushLogs();
}

void SyncEngine::flushLogsKeepingFailure(bool onlyWhenDue) {
    if (logFailure_)
        return;
    try {
        onlyWhenDue ? flushLogsIfDue() : flushLogs();
    } catch (const RunError& e) {
        logFailure_ = e;
    }
}

// ---- folder lists, pairs and count ------------------------------------------------------------

void SyncEngine::kolla_om_mapparna_finns() {
    for (const QString& text : {request.mapp1, request.mapp2}) {
        try {
            const QString folder = platform::withoutTrailingSeparator(text);
            if (folder.isEmpty() || platform::fileInfo(folder).exists)
                continue;
            platform::makePath(folder);
            // Said only when it worked; a folder that could not be made is reported as missing next.
            view_.systemLog(QStringLiteral("Skapade mappen ") +
                            quoted(platform::withTrailingSeparator(folder)) +
                            QStringLiteral(" för mappsynkronisering."));
        } catch (const RunError&) {
        }
    }
}

void SyncEngine::ladda_mappar_sync() {
    if (request.mapp1.isEmpty() || request.mapp2.isEmpty())
        return;
    for (const QString& folder : {request.mapp1, request.mapp2}) {
        if (platform::folderExists(folder))
            continue;
        const QString message = QStringLiteral("Mappen ") + quoted(folder) + QStringLiteral(" finns inte!");
        view_.report(message);
        view_.systemLog(message);
        view_.windowLog(QLatin1Char(' ') + message);
        List1.clear();
        List2.clear();
        return;
    }
    view_.info(QStringLiteral("Laddar mappar..."));
    view_.systemLog(QStringLiteral("Laddar mappar..."));
    view_.flush();
    starta_sökning_mappsync(
        request.mapp1, request.mapp2, List1, List2, [this] { return view_.cancelled(); },
        [this](int pass, int count) { view_.folderCount(pass, count); },
        [this](int pass, const QString& path, const RunError& e) {
            const QString& from = pass == 1 ? request.mapp1 : request.mapp2;
            const QString& to = pass == 1 ? request.mapp2 : request.mapp1;
            unreadableFolder(e, path, synclogic::pairTarget(path, from, to));
        });
    // Only a side the run copies from is its concern: a name on the other side is left alone.
    passOverRefusedFolders(List1, request.mapp1, request.mapp2, request.från1);
    passOverRefusedFolders(List2, request.mapp2, request.mapp1, request.från2);
    view_.info(QString());
}

void SyncEngine::passOverRefusedFolders(QStringList& folders, const QString& fromRoot, const QString& toRoot,
                                        bool copiedFrom) {
    // The scan shows a name that is not text with '?' in its place: that path leads nowhere, and a
    // counterpart made under it would be a folder that exists nowhere else.
    folders.removeIf([&](const QString& folder) {
        if (!folder.contains(QLatin1Char('?')) || !platform::isRefusedName(folder))
            return false;
        if (!copiedFrom)
            return true;
        ++counts.antal_misslyckade;
        failureBlock(QStringLiteral("FEL: mappnamnet innehåller otillåtna tecken.") + job(),
                     platform::withTrailingSeparator(folder),
                     synclogic::pairTarget(folder, fromRoot, toRoot));
        view_.systemLogError(QStringLiteral("FEL! Mappnamnet innehåller otillåtna tecken: ") + folder);
        view_.windowLog(QStringLiteral(" FEL: mappnamnet innehåller otillåtna tecken: ") + folder);
        return true;
    });
}

void SyncEngine::buildPairs(const QStringList& folders, const QString& fromRoot, const QString& toRoot,
                            const QSet<QString>& scannedTargets, std::vector<SyncPair>& out) {
    out.reserve(folders.size());
    QStringList linkedTops; // counterparts that are links: everything below them is left alone
    for (const QString& folder : folders) {
        view_.yield();
        SyncPair pair;
        pair.source = platform::withTrailingSeparator(folder);
        pair.target = synclogic::pairTarget(folder, fromRoot, toRoot);
        for (const QString& top : linkedTops)
            if (platform::isSameOrBelow(pair.target, top)) {
                pair.linked = true;
                break;
            }
        // A folder the other side's scan listed is a real folder: it is neither a link nor missing.
        pair.walkedBack = scannedTargets.contains(pair.target);
        if (!pair.linked && !pair.walkedBack &&
            platform::fileInfo(platform::withoutTrailingSeparator(pair.target)).isLink) {
            pair.linked = true;
            linkedTops << pair.target;
            const QString note = QStringLiteral("Mappen ") + quoted(pair.target) +
                                 QStringLiteral(" är en länk och följs inte vid mappsynkronisering.");
            view_.systemLog(note);
            view_.windowLog(QLatin1Char(' ') + note);
        }
        if (!pair.linked && !pair.walkedBack && !request.simulera) {
            // A folder that cannot be made shows as the failed copies of its files.
            RunError ignored;
            targetFolders_.open(toRoot, pair.target, true, ignored);
        }
        out.push_back(pair);
    }
}

void SyncEngine::skapa_mappar_sync() {
    List3.clear();
    List4.clear();
    view_.info(QStringLiteral("Skapa mappar från Mapp 1 -> Mapp 2..."));
    view_.systemLog(QStringLiteral("Skapar mappar..."));
    QSet<QString> scanned[2];
    for (int side = 0; side < 2; ++side)
        for (const QString& folder : side == 0 ? List1 : List2)
            scanned[side].insert(platform::withTrailingSeparator(folder));
    buildPairs(List1, request.mapp1, request.mapp2, scanned[1], List3);
    view_.info(QStringLiteral("Skapa mappar från Mapp 2 -> Mapp 1..."));
    buildPairs(List2, request.mapp2, request.mapp1, scanned[0], List4);
    view_.info(QString());
}

void SyncEngine::räknaallasyncfiler() {
    view_.windowLog(QStringLiteral(" Räknar alla filer som kommer ingå i körningen..."));
    long total = 0;
    const bool directions[2] = {request.från1, request.från2};
    const std::vector<SyncPair>* lists[2] = {&List3, &List4};
    for (int d = 0; d < 2; ++d) {
        if (!directions[d])
            continue;
        for (const SyncPair& pair : *lists[d]) {
            view_.yield();
            if (pair.linked)
                continue;
            try {
                total += platform::countFiles(pair.source, request.pattern);
            } catch (const RunError&) {
                // Only a share of the bar: the folder pass names the folder.
            }
        }
    }
    if (total > 0)
        view_.windowLog(QLatin1Char(' ') + platform::fileCount(total) + QStringLiteral(" hittades."));
    else
        total = 1;
    filtotal = total;
}

// ---- the folder pass --------------------------------------------------------------------------

void SyncEngine::loopa_mappar_sync() {
    view_.totalBar(0, filtotal);
    counts.antal_kopierade_pass = 0;
    for (int dir = 1; dir <= 2; ++dir) {
        if (!(dir == 1 ? request.från1 : request.från2))
            continue;
        runDirection(dir);
        if (view_.cancelled()) {
            flushLogs();
            return;
        }
    }
    flushLogs();
    view_.info(QStringLiteral("Klar"));
    view_.systemLog(QStringLiteral("Klar med mappsynkronisering."));
}

void SyncEngine::runDirection(int dir) {
    lblsökvägnr = dir;
    view_.direction(dir);
    const QString& from = dir == 1 ? request.mapp1 : request.mapp2;
    const QString& to = dir == 1 ? request.mapp2 : request.mapp1;
    const QString head = request.simulera ? QStringLiteral("Utför mappsynkronisering (simulerad)")
                                          : QStringLiteral("Utför mappsynkronisering");
    for (const QString& line : {head, QStringLiteral("Från ") + from, QStringLiteral("Till ") + to}) {
        view_.systemLog(line);
        view_.windowLog(QLatin1Char(' ') + line);
    }
    std::vector<SyncPair>& list = dir == 1 ? List3 : List4;
    const QString reading = dir == 1 ? QStringLiteral("Läser mappar från sökväg 1...")
                                     : QStringLiteral("Läser mappar från sökväg 2...");
    for (int k = int(list.size()) - 1; k >= 0; --k) {
        view_.info(reading);
        view_.systemLog(QStringLiteral("Läser in mappar från ") + from);
        view_.yield();
        if (view_.cancelled())
            return;
        File1.clear();
        platform::UnreadableEntries unreadable;
        // A folder the scan found that is a link now (swapped since) leads elsewhere: its files
        // are not this side's, and are not spread.
        if (!list[k].linked &&
            platform::fileInfo(platform::withoutTrailingSeparator(list[k].source)).isLink) {
            unreadableFolder(platform::runErrorFromErrno(ELOOP), list[k].source, list[k].target);
            list.erase(list.begin() + k);
            continue;
        }
        if (!list[k].linked) {
            try {
                File1 = platform::listFiles(list[k].source, request.pattern, &unreadable);
            } catch (const RunError& e) {
                // Named and counted; the other folders are synchronised all the same.
                unreadableFolder(e, list[k].source, list[k].target);
                list.erase(list.begin() + k);
                continue;
            }
        }
        for (const platform::UnreadableEntry& u : unreadable) {
            const QString source = list[k].source + u.name;
            ++counts.antal_misslyckade;
            const RunError e = platform::runErrorFromErrno(u.error);
            failureBlock(QStringLiteral("FEL: Felkod ") + QString::number(e.number) + QLatin1Char(' ') +
                             e.description + job(),
                         source, list[k].target + u.name);
            view_.systemLogError(QStringLiteral("FEL! Filen kunde inte läsas: ") + source);
        }
        // What a copy of this program stopped half-way left behind is not a file of the user's to
        // spread; the log names it.
        std::erase_if(File1, [&](const platform::FileEntry& f) {
            if (CopyTimes::isRecord(list[k].source, f.name, from))
                return true; // the record of the copies' times on this side
            if (!isLeftoverCopyName(f.name))
                return false;
            logLine(kLog,
                    QStringLiteral("- Programmets temporära fil hoppades över: ") + list[k].source + f.name);
            return true;
        });
        file_copy_sync(k);
        list.erase(list.begin() + k);
    }
    if (request.från1 && request.från2) {
        view_.windowLog(
            (dir == 1 ? QStringLiteral(" Mapp 1 -> Mapp 2: ") : QStringLiteral(" Mapp 1 <- Mapp 2: ")) +
            (request.simulera
                 ? platform::fileCount(counts.antal_kopierade_pass) + QStringLiteral(" skulle kopieras.")
                 : platform::fileCount(counts.antal_kopierade_pass, QStringLiteral("kopierad"),
                                       QStringLiteral("kopierade")) +
                       QLatin1Char('.')));
        counts.antal_kopierade_pass = 0;
    }
}

// ---- the copy rule ----------------------------------------------------------------------------

void SyncEngine::file_copy_sync(int index) {
    const std::vector<SyncPair>& list = lblsökvägnr == 1 ? List3 : List4;
    if (index < 0 || index >= int(list.size()))
        return;
    const SyncPair pair = list[index];
    const int n = int(File1.size());
    folderDone_ = 0;
    folderFiles_ = n;
    view_.folderBar(0, n);
    into_.reset();
    if (!request.simulera && !pair.linked && n > 0) {
        RunError e;
        into_ = targetFolders_.open(lblsökvägnr == 1 ? request.mapp2 : request.mapp1, pair.target, true, e);
        if (!into_) {
            // Nothing is written through a link or into another mount that stands there now.
            for (const platform::FileEntry& f : File1)
                copyFailed(e, pair.source + f.name, pair.target + f.name);
            flushLogsIfDue();
            return;
        }
    }
    // The target's names are read once per folder; a name it lacks costs no lookup on disk.
    const platform::FolderLookup lookup(intoFd(), pair.target);
    // A copy killed half-way left its temporary file here; one of the source's names is the user's.
    if (!request.simulera && !pair.linked)
        platform::removeLeftoverTemporaries(
            pair.target, lookup.temporaryCandidates(),
            [&pair](const QString& name) { return platform::fileInfo(pair.source + name).exists; },
            platform::isCopyTemporaryName, intoFd());

    for (int i = 0; i < n; ++i) {
        flushLogsIfDue();
        view_.yield();
        if (view_.cancelled()) {
            flushLogs();
            return;
        }
        const platform::FileEntry f = File1[i];
        view_.showFile(f.name);
        view_.yield();
        const QString source = pair.source + f.name;
        const QString target = pair.target + f.name;
        view_.showFolder(pair.target);
        view_.info(QStringLiteral("Läser filer..."));

        if (f.refused) {
            view_.trayIdle();
            ++counts.antal_behandlade;
            ++counts.antal_misslyckade;
            failureBlock(QStringLiteral("FEL: filnamnet innehåller otillåtna tecken.") + job(), source,
                         target);
            view_.systemLogError(QStringLiteral("FEL! Filnamnet innehåller otillåtna tecken: ") + source);
            continue;
        }
        try {
            copyFile(f, pair, source, target, lookup);
            fileDone();
        } catch (const RunError& e) {
            copyFailed(e, source, target);
        }
    }
    view_.info(QString());
    flushLogsIfDue();
}

void SyncEngine::copyFile(const platform::FileEntry& f, const SyncPair& pair, const QString& source,
                          const QString& target, const platform::FolderLookup& lookup) {
    triedTwice_ = false;
    platform::FileEntry t;
    platform::FileInfo now; // the target the decision is made on; none for a name the folder lacks
    // A name the folder lacked is new: should one come meanwhile, the copy's rename refuses it.
    CopyDecision d = CopyDecision::New;
    if (lookup.find(f.name, t)) {
        d = decideCopy(true, standsFor(source, f.size, f.mtime), standsFor(target, t.size, t.mtime));
        if (d != CopyDecision::Unchanged && !request.simulera) {
            // The copy must find in place exactly the file it was decided on.
            now = platform::fileInfoIn(intoFd(), target);
            if (now.exists && !now.isFile)
                throw targetChanged();
            d = decideCopy(now.isFile, standsFor(source, f.size, f.mtime),
                           standsFor(target, now.size, now.mtime));
        }
        d = trustedDecision(d, f, source, target, request.simulera ? t.size : now.size);
    }
    copyDecided(f, pair, source, target, d, now, false);
}

void SyncEngine::copyDecided(const platform::FileEntry& f, const SyncPair& pair, const QString& source,
                             const QString& target, CopyDecision d, const platform::FileInfo& now,
                             bool again) {
    if (d == CopyDecision::Unchanged) {
        view_.folderBar(++folderDone_, folderFiles_);
        return;
    }
    const bool isNew = d == CopyDecision::New;
    platform::CopiedSizes sizes;
    if (request.simulera) {
        const QString mark = isNew ? QStringLiteral("+ ") : QString();
        simKällor << mark + source;
        simMål << mark + target;
    } else {
        // Gathered lines are let out during a copy that lasts; for a short one the next file's
        // turn does it, without reading the clock twice per file.
        QElapsedTimer copyTime;
        copyTime.start();
        copystep::Policy policy;
        policy.targetFolder = intoFd();
        policy.secondTry = !request.neverShellCopy;
        policy.beforeSecondTry = [this] { view_.trayIdle(); };
        policy.stop = [this] { return view_.cancelled(); };
        policy.progress = [this, &copyTime](qint64) {
            if (copyTime.elapsed() >= kLongCopyMs)
                flushLogsKeepingFailure(true);
            view_.yield();
        };
        const copystep::Result r = copystep::copyFile(source, target, now, policy);
        switch (r.outcome) {
        case copystep::Outcome::Copied:
            break;
        case copystep::Outcome::CopiedOnSecondTry:
            ++counts.antal_skyddade;
            countCopied(QStringLiteral("* ") + target, r.sizes.source);
            afterCopy(source, target, r.sizes);
            return;
        case copystep::Outcome::NameTaken:
            nameTaken(f, pair, source, target, again);
            return;
        case copystep::Outcome::Stopped:
            return; // the run ends: not copied
        default:
            triedTwice_ = r.triedTwice;
            throw r.error;
        }
        sizes = r.sizes;
        // The way back looks at the new copy too, so the run's total grows by it.
        if (isNew && lblsökvägnr == 1 && request.från2 && pair.walkedBack)
            ++filtotal;
        afterCopy(source, target, sizes);
    }
    ++counts.antal_kopierade_pass;
    ++(isNew ? counts.antal_nya : counts.antal_ändrade);
    countCopied(isNew ? QStringLiteral("+ ") + target : target, f.size);
    sizeCheck(source, target, sizes.target);
}

void SyncEngine::nameTaken(const platform::FileEntry& f, const SyncPair& pair, const QString& source,
                           const QString& target, bool again) {
    const QString other = platform::FolderLookup(intoFd(), pair.target).otherSpelling(f.name);
    if (!other.isEmpty() && platform::fileInfo(pair.source + other).isFile) {
        // Two source files that a disk ignoring letter case takes for one: the one there stays, the
        // same one at every run, and this one is not copied.
        const QString taken = pair.target + other;
        ++counts.antal_misslyckade;
        failureBlock(QStringLiteral("FEL: målmappen skiljer inte på stora och små bokstäver: ") + f.name +
                         QStringLiteral(" kopierades inte, eftersom ") + other +
                         QStringLiteral(" har samma namn där.") + job(),
                     source, taken);
        view_.systemLogError(QStringLiteral("FEL! Samma namn i målmappen som ") + taken +
                             QStringLiteral(": ") + source);
        return;
    }
    // A file came at that name meanwhile, or an older spelling of this one lies there on a disk
    // that ignores letter case: the rule decides again on what is there now.
    const platform::FileInfo now = platform::fileInfoIn(intoFd(), target);
    if (again || !now.isFile)
        throw targetChanged();
    const CopyDecision d =
        decideCopy(true, standsFor(source, f.size, f.mtime), standsFor(target, now.size, now.mtime));
    copyDecided(f, pair, source, target, trustedDecision(d, f, source, target, now.size), now, true);
}

CopyDecision SyncEngine::trustedDecision(CopyDecision d, const platform::FileEntry& f, const QString& source,
                                         const QString& target, qint64 targetSize) {
    if (d != CopyDecision::Replace)
        return d;
    switch (
        diskTimes_[lblsökvägnr == 1 ? 0 : 1].trust(copyTimes_, source, f.size, f.mtime, target, targetSize)) {
    case DiskTimes::Trust::Time:
        return d;
    case DiskTimes::Trust::Undecided:
        // Its time may be the one an earlier run wrote: neither file is written over, and the
        // user is told which two to look at.
        ++counts.antal_misslyckade;
        failureBlock(QStringLiteral("FEL: det går inte att avgöra vilken fil som är nyare, eftersom disken "
                                    "inte behåller filernas ändringstider. Ingen av filerna skrevs över.") +
                         job(),
                     source, target);
        view_.systemLogError(QStringLiteral("FEL! Det går inte att avgöra vilken fil som är nyare: ") +
                             source + QStringLiteral(" eller ") + target);
        break;
    case DiskTimes::Trust::SameContent:
        break;
    }
    return CopyDecision::Unchanged;
}

void SyncEngine::afterCopy(const QString& source, const QString& target, const platform::CopiedSizes& sizes) {
    copyTimes_.copied(target, sizes.target, sizes.targetTime, sizes.sourceTime, sizes.timeKept);
    if (sizes.timeKept)
        return;
    // The copy carries the time it was made: said, and never taken for the file's own later.
    ++counts.antal_misslyckade;
    failureBlock(QStringLiteral("FEL: filens ändringstid kunde inte behållas.") + job(), source, target);
    view_.systemLogError(QStringLiteral("FEL! Filens ändringstid kunde inte behållas: ") + target);
}

void SyncEngine::countCopied(const QString& logText, qint64 bytes) {
    ++counts.antal_kopierade;
    counts.kopierade_mb += megabytes(bytes);
    view_.countersChanged();
    view_.folderBar(++folderDone_, folderFiles_);
    logLine(kLog, logText);
}

void SyncEngine::sizeCheck(const QString& source, const QString& target, qint64 copied) {
    if (request.simulera || !request.sizeCheck || source == platform::joinPath(programFolder_, kLog))
        return;
    // The copy's length is what the copy itself wrote; the source is read again, as it is now.
    const qint64 a = platform::fileSize(source);
    if (a == copied)
        return;
    ++counts.antal_fel_filstorlek;
    logLine(kLogErr, QString());
    logLine(kLogErr,
            QStringLiteral("FEL: filstorleken på den kopierade filen matchar inte originalfilen.") + job());
    logLine(kLogErr, QStringLiteral("Original: ") + source + QStringLiteral(" (") + QString::number(a) +
                         QStringLiteral(" bytes)"));
    logLine(kLogErr, QStringLiteral("Kopia: ") + target + QStringLiteral(" (") + QString::number(copied) +
                         QStringLiteral(" bytes)"));
    logLine(kLogErr, QString());
    imgerr = true;
    view_.countersChanged();
}

void SyncEngine::fileDone() {
    view_.trayIdle();
    ++counts.antal_behandlade;
    view_.totalBar(counts.antal_behandlade, filtotal);
}

void SyncEngine::unreadableFolder(const RunError& e, const QString& folder, const QString& target) {
    // The scan and the folder pass may both meet it: one error of the run.
    const QString named = platform::withoutTrailingSeparator(folder);
    if (unreadableNamed_.contains(named))
        return;
    unreadableNamed_.insert(named);
    ++counts.antal_olästa_mappar;
    const QString felkod =
        QStringLiteral("Felkod ") + QString::number(e.number) + QLatin1Char(' ') + e.description;
    failureBlock(QStringLiteral("FEL: mappen kunde inte läsas. ") + felkod + job(), folder, target);
    view_.systemLogError(QStringLiteral("FEL! Mappen kunde inte läsas: ") + folder + QStringLiteral(" (") +
                         felkod + QLatin1Char(')'));
    view_.windowLog(QStringLiteral(" FEL: mappen kunde inte läsas: ") + folder);
}

void SyncEngine::failureBlock(const QString& head, const QString& source, const QString& target) {
    logLine(kLogErr, QString());
    logLine(kLogErr, head);
    logLine(kLogErr, QStringLiteral("Från: ") + source);
    logLine(kLogErr, QStringLiteral("Till: ") + target);
    logLine(kLogErr, QString());
    imgerr = true;
    view_.countersChanged();
}

void SyncEngine::copyFailed(const RunError& e, const QString& source, const QString& target) {
    const bool triedTwice = triedTwice_;
    triedTwice_ = false;
    view_.trayIdle();
    ++counts.antal_behandlade;
    const QString felkod =
        QStringLiteral("Felkod ") + QString::number(e.number) + QLatin1Char(' ') + e.description + job();
    if (triedTwice) {
        // The second way of copying is the same safe copy, tried once more.
        ++counts.antal_misslyckade;
        failureBlock(QStringLiteral("FEL: filen kunde inte kopieras.") + job(), source, target);
        view_.systemLogError(QStringLiteral("FEL! Filen kunde inte kopieras.") + job());
        return;
    }
    ++counts.antal_misslyckade;
    if (e.number == platform::kTargetChanged) {
        // The user's file saved meanwhile is kept.
        failureBlock(
            QStringLiteral("FEL: filen kopierades inte, eftersom målfilen ändrades under kopieringen.") +
                job(),
            source, target);
        view_.systemLogError(
            QStringLiteral("FEL! Filen kopierades inte, eftersom målfilen ändrades under kopieringen: ") +
            target);
        return;
    }
    failureBlock(QStringLiteral("FEL: ") + felkod, source, target);
    view_.systemLogError(QStringLiteral("FEL! ") + felkod);
    if (e.number == 61) {
        // A full disk ends the run: every further copy would fail the same way.
        flushLogs();
        throw e;
    }
}
