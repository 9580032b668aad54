#include "run/copy_engine.h"

#include "core/module1.h"
#include "core/program.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/parallel.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <QCheckBox>
#include <QProgressDialog>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <optional>

using platform::RunError;

void RunProgress::yield() {
    platform::doEventsThrottled();
}

void RunProgress::message(int number, const QString& text, const QString& place) {
    Module1::logga_meddelande(number, -1, text, place);
}

void RunProgress::refusal(const QString& text, const QString& place) {
    Module1::logga_meddelande(0, -1, text, place);
}

void RunProgress::showFileOf(int k, int n, const QString& fileName, qint64 bytes) {
    showFile(fileDisplayText(k, n, fileName, bytes));
}

// ---- deciding and formatting ------------------------------------------------------------------

CopyDecision decideCopy(bool targetExists, qint64 sourceTime, qint64 targetTime) {
    if (!targetExists)
        return CopyDecision::New;
    return sourceTime - targetTime >= 2 ? CopyDecision::Replace : CopyDecision::Unchanged;
}

CopyDecision decideCopy(qint64 sourceTime, qint64 sourceSize, qint64 targetTime, qint64 targetSize,
                        std::optional<qint64> recordedSourceTime) {
    // Either way: a source put back to an older content (an unzip, a copy keeping another
    // machine's time) is as changed as a newer one.
    const qint64 apart = sourceTime - recordedSourceTime.value_or(targetTime);
    return apart >= 2 || apart <= -2 || targetSize != sourceSize ? CopyDecision::Replace
                                                                 : CopyDecision::Unchanged;
}

double megabytes(qint64 bytes) {
    return double(bytes) / 1000.0 / 1000.0;
}

bool excludedBySize(qint64 bytes, const QString& maxMb) {
    if (maxMb.isEmpty() || bytes == 0)
        return false;
    return megabytes(bytes) > localeNumber(maxMb);
}

bool excludedByType(const QString& sourcePath, const QString& excludedTypes) {
    if (excludedTypes.isEmpty())
        return false;
    const qsizetype dot = sourcePath.lastIndexOf('.');
    const QString ext = (QStringLiteral(".") + (dot < 0 ? sourcePath : sourcePath.mid(dot + 1))).toLower();
    const QString types = excludedTypes.toLower();
    if (!types.contains(ext))
        return false;
    const QStringList pieces = types.split(QStringLiteral("*."));
    for (QString piece : pieces) {
        piece.remove(';');
        if (QStringLiteral(".") + piece == ext)
            return true;
    }
    return false;
}

bool excludedByName(const QString& fileName, const QString& excludedNames) {
    if (excludedNames.isEmpty())
        return false;
    // Whole entries only: "desktop.ini" must not leave out "top.ini".
    for (const QString& entry : excludedNames.split(QLatin1Char(';')))
        if (!entry.trimmed().isEmpty() && entry.trimmed().compare(fileName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString fileDisplayText(int k, int n, const QString& fileName, qint64 bytes) {
    const QString head = QString::number(k) + '/' + QString::number(n);
    const double mb = megabytes(bytes);
    if (mb <= 5)
        return head + ' ' + fileName;
    return head + QStringLiteral(" (") + platform::Format(mb, QStringLiteral("0.00")) +
           QStringLiteral(" MB) ") + fileName;
}

QString percentText(long done, long total) {
    if (total <= 0)
        total = 1;
    return platform::Format(double(done) / double(total) * 100.0, QStringLiteral("0.0")) + '%';
}

// ---- the job's folder list -----------------------------------------------------------------------

FolderList& FolderList::operator=(const QStringList& folders) {
    head_ = folders;
    tail_.clear();
    return *this;
}

FolderList::operator QStringList() const {
    QStringList all = head_;
    all.reserve(size());
    for (qsizetype i = tail_.size() - 1; i >= 0; --i)
        all << tail_[i];
    return all;
}

void FolderList::clear() {
    head_.clear();
    tail_.clear();
}

const QString& FolderList::operator[](qsizetype i) const {
    return i < head_.size() ? head_[i] : tail_[tail_.size() - 1 - (i - head_.size())];
}

QString& FolderList::operator[](qsizetype i) {
    return i < head_.size() ? head_[i] : tail_[tail_.size() - 1 - (i - head_.size())];
}

FolderList& FolderList::operator<<(const QString& folder) {
    join();
    head_ << folder;
    return *this;
}

void FolderList::join() {
    if (tail_.isEmpty())
        return;
    head_ = QStringList(*this);
    tail_.clear();
}

void FolderList::removeAt(qsizetype i) {
    if (i < 0 || i >= size())
        return;
    if (i >= head_.size())
        join();
    // What follows i moves behind it once, instead of moving up at every removal.
    while (head_.size() > i + 1)
        tail_ << head_.takeLast();
    head_.removeLast();
}

// ---- the engine ---------------------------------------------------------------------------------

namespace {

const QString kLog = QStringLiteral("log.txt");
const QString kLogErr = QStringLiteral("log_err.txt");
const QString kLogEx = QStringLiteral("log_ex.txt");
const QString kDiskFull =
    QStringLiteral("Körningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!");
constexpr double kDialogCopyMb = 50.0;
// New files whose copies may go on while the engine goes ahead to the next files, and their
// bytes: a cancel waits for no more than these, and a big file is copied before the engine goes on.
constexpr qsizetype kCopiesAhead = 128;
constexpr qint64 kBytesAhead = 64 << 20;
// New files handed to a copying thread at once: handing over each small file alone costs as much
// as copying it.
constexpr size_t kBatchFiles = 16;
// Held log lines are written at least this often (milliseconds).
constexpr qint64 kHoldLogsMs = 1000;

const ProgramSettings& settings() {
    return program().settings();
}

QString felkod(const RunError& e) {
    return QStringLiteral("Felkod ") + QString::number(e.number) + ' ' +
           (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description);
}

// Where a new file's copy goes, nothing may stand: neither a file made meanwhile nor another
// spelling that a disk ignoring letter case takes for its name.
const platform::FileInfo kNoTarget{};

} // namespace

namespace {
using CopyOutcome = copystep::Result;
std::atomic<qsizetype> batchesAlive{0};
} // namespace

struct BackupEngine::CopyBatch {
    CopyBatch() { ++batchesAlive; }
    ~CopyBatch() { --batchesAlive; }
    CopyBatch(const CopyBatch&) = delete;
    CopyBatch& operator=(const CopyBatch&) = delete;
    std::vector<std::pair<QString, QString>> files; // source, target
    // Each target's folder, held open until the copy is done.
    std::vector<std::shared_ptr<const platform::OwnTree::Folder>> into;
    std::vector<CopyOutcome> outcomes; // written by the copying thread
    std::promise<void> finished;       // set by the copying thread
    std::shared_future<void> done;
    bool handedOut = false;
};

qsizetype BackupEngine::copyBatchesAlive() {
    return batchesAlive;
}

struct BackupEngine::PendingCopy {
    QString source, target;
    QString folder; // the target's folder, ending in '/'
    qint64 size = 0;
    qint64 mtime = 0;
    int index = 0;
    std::shared_ptr<const platform::OwnTree::Folder> into;
    std::shared_ptr<CopyBatch> batch;
    size_t slot = 0; // in batch
};

BackupEngine::BackupEngine(RunProgress& progress)
    : progress_(progress), pendingLogs_(program().programFolder()), copyTimes_(program().programFolder()) {}

bool BackupEngine::bigCopyWithDialog(qint64 bytes) const {
    return megabytes(bytes) > kDialogCopyMb && settings().chkvisafilecopy && progress_.windowVisible();
}

bool BackupEngine::excludedQuietly(const platform::FileEntry& f, const QString& source) const {
    const CurrentJobRecord& m = program().job();
    try {
        return excludedBySize(f.size, m.txtexmb) || excludedByType(source, m.txtexpattern) ||
               excludedByName(f.name, m.txtexfiler);
    } catch (const RunError&) {
        return true; // a bad size limit: the copy rule reports it in the files' order
    }
}

void BackupEngine::copyNew(const QString& source, const QString& target, const platform::FileEntry& f,
                           int index) {
    if (!openBatch_)
        openBatch_ = std::make_shared<CopyBatch>();
    openBatch_->files.emplace_back(source, target);
    openBatch_->into.push_back(targetFolder_);
    copies_.push_back(PendingCopy{source, target, platform::parentPath(target) + '/', f.size, f.mtime, index,
                                  targetFolder_, openBatch_, openBatch_->files.size() - 1});
    bytesAhead_ += f.size;
    if (openBatch_->files.size() >= kBatchFiles || bytesAhead_ > kBytesAhead)
        handOutBatch();
    // The counters and logs keep up with the copies done, and this thread stays no more than
    // kCopiesAhead files (kBytesAhead bytes) ahead of them: a cancel waits for little.
    bookCopies(kCopiesAhead);
}

void BackupEngine::handOutBatch() {
    if (!openBatch_)
        return;
    if (!copyPool_) {
        const int threads = platform::fileSystemThreads();
        copyPool_ = std::make_unique<platform::TaskPool>(threads, 2 * threads);
    }
    std::shared_ptr<CopyBatch> b = std::move(openBatch_);
    openBatch_.reset();
    b->outcomes.resize(b->files.size());
    b->done = b->finished.get_future().share();
    b->handedOut = true;
    // The thread touches nothing but the batch's own names and outcomes. The task holds the
    // batch only until it has run; the batch never holds the task (a packaged task kept in its
    // future would hold the batch, and every file's names with it, until the program ends).
    copystep::Policy policy;
    policy.secondTry = !settings().chkaldrigapi;
    policy.stop = [stop = stopCopies_] { return stop->load(); };
    copyPool_->submit([b, policy]() mutable {
        try {
            for (size_t i = 0; i < b->files.size(); ++i) {
                if (policy.stop()) {
                    b->outcomes[i].outcome = copystep::Outcome::Stopped;
                    continue;
                }
                policy.targetFolder = b->into[i] ? b->into[i]->fd() : -1;
                b->outcomes[i] = copystep::copyFile(b->files[i].first, b->files[i].second, kNoTarget, policy);
            }
        } catch (...) {
            b->finished.set_exception(std::current_exception());
            return;
        }
        b->finished.set_value();
    });
}

void BackupEngine::bookCopies(qsizetype leave) {
    if (booking_)
        return; // a log flushed while a copy is booked: the copies after it wait their turn
    booking_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{booking_};
    while (!copies_.empty()) {
        const CopyBatch& front = *copies_.front().batch;
        if (qsizetype(copies_.size()) <= leave && bytesAhead_ <= kBytesAhead &&
            (!front.handedOut || front.done.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
            return;
        if (!front.handedOut)
            handOutBatch(); // the copy waited for is among the last, not handed out yet
        PendingCopy c = std::move(copies_.front());
        copies_.pop_front();
        bytesAhead_ -= c.size;
        // A big file copied meanwhile keeps the window answering, and a stop ends it.
        while (c.batch->done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            progress_.yield();
            if (progress_.cancelled())
                stopCopies_->store(true);
        }
        c.batch->done.get();
        const CopyOutcome& o = c.batch->outcomes[c.slot];
        if (copiesStopped_) {
            // The disk filled up at an earlier file: the run ends there, as if this file had
            // never been reached, so a new copy made meanwhile is taken away again; only when
            // what lies there is that copy (a file the user put there meanwhile stays).
            const int fd = c.into ? c.into->fd() : -1;
            const platform::FileInfo fi =
                o.copied() ? platform::fileInfoIn(fd, c.target) : platform::FileInfo{};
            if (fi.isFile && !fi.isLink && fi.size == o.sizes.target && fi.mtime == o.sizes.targetTime) {
                try {
                    platform::removeFile(c.target, fd);
                } catch (const RunError&) {
                }
            }
            continue;
        }
        // What follows the copy (a name taken looked at again) looks in the copy's own folder.
        std::swap(targetFolder_, c.into);
        booked(o, platform::FileEntry{platform::lastPiece(c.target), c.size, c.mtime, false}, c.source,
               c.target, c.index, false, false);
        std::swap(targetFolder_, c.into);
        copiesStopped_ = o.outcome == copystep::Outcome::DiskFull;
    }
    copiesStopped_ = false;
}

void BackupEngine::keepRefreshRead(const QString& folder, platform::FolderFiles&& seen) {
    refreshRead_.insert(platform::withoutTrailingSeparator(folder), std::move(seen));
}

const platform::FolderFiles* BackupEngine::refreshRead(const QString& folder, const QString& pattern) const {
    const auto it = refreshRead_.constFind(platform::withoutTrailingSeparator(folder));
    return it != refreshRead_.constEnd() && it->pattern == pattern ? &*it : nullptr;
}

BackupEngine::~BackupEngine() {
    try {
        flushLogs();
    } catch (...) {
    }
}

void BackupEngine::resetRun() {
    kopierade_totalt = genomsökta_totalt = nya_totalt = ändrade_totalt = skyddade_totalt = 0;
    exkluderade_totalt = misslyckade_totalt = fel_filstorlek_totalt = versioner_totalt = 0;
    mb_kopierat = 0;
    versionshantering_använd = false;
    antalfel = 0;
    imgerr = false;
    List2.clear();
    List3.clear();
    listsaknadenhet.clear();
    refusedJobs = 0;
    listerror.clear();
    unreadableNamed_.clear();
    refreshRead_.clear();
    copyTimes_ = CopyTimes(program().programFolder()); // read again at the run's first copy
    startJob();
}

void BackupEngine::startJob() {
    kopierade_jobb = fel_jobb = versioner_jobb = 0;
    fel_i_jobbet = false;
}

void BackupEngine::countError(bool showImage) {
    fel_i_jobbet = true;
    ++antalfel;
    ++fel_jobb;
    if (showImage)
        imgerr = true;
    progress_.countersChanged();
}

void BackupEngine::takeBackError(int n) {
    antalfel -= n;
    fel_jobb -= n;
    progress_.countersChanged();
}

void BackupEngine::logLine(const QString& file, const QString& line) {
    pendingLogs_.add(file, line);
}

void BackupEngine::holdLogs(bool hold) {
    logsHeld_ = hold;
    if (!hold)
        flushLogs();
}

void BackupEngine::flushUnlessHeld() {
    if (!logsHeld_ || !lastFlush_.isValid() || lastFlush_.elapsed() >= kHoldLogsMs)
        flushLogs();
}

void BackupEngine::flushLogs() {
    // Copies still going on come first: their lines go before whatever follows them.
    bookCopies(0);
    lastFlush_.start();
    pendingLogs_.flush();
    copyTimes_.flush();
}

void BackupEngine::systemLog(const QString& text, bool error) {
    program().systemLog().append(text);
    if (error)
        program().systemLog().markError();
}

void BackupEngine::progressUpdate() {
    // A copy booked while the next folder is under way counts in that folder's bar: never past it.
    folderSteps_ = std::min(folderSteps_ + 1, folderFiles_);
    progress_.folderBar(folderSteps_, folderFiles_);
    progress_.totalBar(genomsökta_totalt, filtotal);
}

void BackupEngine::reportSizeError(const QString& head, const QString& source, qint64 sourceLen,
                                   const QString& target, qint64 targetLen) {
    const QString job = QStringLiteral(" (Jobb: ") + progress_.jobName() + ')';
    const QString original = QStringLiteral("Original: ") + source + QStringLiteral(" (") +
                             QString::number(sourceLen) + QStringLiteral(" bytes)");
    const QString kopia = QStringLiteral("Kopia: ") + target + QStringLiteral(" (") +
                          QString::number(targetLen) + QStringLiteral(" bytes)");
    logLine(kLogErr, QString());
    logLine(kLogErr, QStringLiteral("FEL: ") + head + job);
    logLine(kLogErr, original);
    logLine(kLogErr, kopia);
    QString sysHead = head;
    sysHead[0] = sysHead[0].toUpper();
    systemLog(QStringLiteral("FEL! ") + sysHead + job, true);
    systemLog(original, true);
    systemLog(kopia, true);
}

void BackupEngine::countCopied(const QString& mark, const QString& target, qint64 bytes) {
    ++kopierade_totalt;
    ++kopierade_jobb;
    mb_kopierat += megabytes(bytes);
    progress_.countersChanged();
    progressUpdate();
    logLine(kLog, mark + target);
}

void BackupEngine::sizeCheck(const QString& source, const QString& target,
                             const platform::CopiedSizes& sizes) {
    if (progress_.simulated() || !settings().chkfilstorlek)
        return;
    // The run log grows while it is copied.
    if (source == program().path(kLog))
        return;
    // Every copy, with the dialog or without, tells both lengths as it ends.
    if (sizes.target == sizes.source)
        return;
    ++fel_filstorlek_totalt;
    countError();
    reportSizeError(QStringLiteral("filstorleken på den kopierade filen matchar inte originalfilen."), source,
                    sizes.source, target, sizes.target);
}

// Copies one file in a real run. A replaced file's new copy is made complete first; only then is
// the old one versioned and sent to the trash, and the new copy takes its name. When no version
// could be made, or the trash refused the old one, the old target stays.
copystep::Result BackupEngine::copyOne(const QString& source, const QString& target, qint64 bytes,
                                       const platform::FileInfo& decidedOn, int index) {
    const ProgramSettings& s = settings();
    copystep::Policy policy;
    policy.targetFolder = targetFd();
    policy.secondTry = !s.chkaldrigapi;
    policy.beforeSecondTry = [this] { progress_.busy(false); };
    if (decidedOn.exists) {
        policy.trashReplaced = s.chkpapperskorg_ersatta;
        policy.keepVersion = [this, index](const QString& t) { return versionshantering(t, index); };
    }
    if (!bigCopyWithDialog(bytes)) {
        // Between blocks the window answers, and a stop, a pause or a close is honoured.
        policy.stop =
            copystep::yieldingStop([this] { progress_.yield(); }, [this] { return progress_.cancelled(); });
        return copystep::copyFile(source, target, decidedOn, policy);
    }
    // The big-file copy shows its progress and can be cancelled; a cancelled copy leaves no file.
    QProgressDialog dlg(QStringLiteral("Kopierar ") + platform::lastPiece(source), QStringLiteral("Avbryt"),
                        0, 1000);
    dlg.setObjectName(QStringLiteral("kopieringsdialog"));
    dlg.setWindowTitle(QStringLiteral("Tamrel Backup"));
    dlg.setWindowModality(Qt::ApplicationModal);
    dlg.setMinimumDuration(0);
    dlg.show();
    policy.stop = [&] {
        platform::doEventsThrottled();
        return dlg.wasCanceled() || progress_.cancelled();
    };
    policy.progress = [&](qint64 done) { dlg.setValue(bytes > 0 ? int(done * 1000 / bytes) : 1000); };
    copystep::Result r = copystep::copyFile(source, target, decidedOn, policy);
    if (r.outcome == copystep::Outcome::Stopped && dlg.wasCanceled()) {
        r.outcome = copystep::Outcome::Failed;
        r.error = RunError{18, QStringLiteral("Kopieringen avbröts")};
    }
    return r;
}

void BackupEngine::booked(const copystep::Result& r, const platform::FileEntry& f, const QString& source,
                          const QString& target, int index, bool replaced, bool again) {
    using copystep::Outcome;
    try {
        switch (r.outcome) {
        case Outcome::Copied:
            ++(replaced ? ändrade_totalt : nya_totalt);
            countCopied(replaced ? QStringLiteral("  ") : QStringLiteral("+ "), target, f.size);
            sizeCheck(source, target, r.sizes);
            afterCopy(source, target, r.sizes);
            break;
        case Outcome::CopiedOnSecondTry:
            ++skyddade_totalt;
            countCopied(QStringLiteral("* "), target, f.size);
            afterCopy(source, target, r.sizes);
            break;
        case Outcome::NameTaken:
            nameTaken(f, source, target, index, again);
            return;
        case Outcome::NotVersioned: // said by the versioning: the old target stays
            break;
        case Outcome::Stopped: // the run ends: not copied, and nothing to say of it
            progress_.busy(false);
            return;
        default:
            handleCopyError(r.error, source, target, r.triedTwice);
            return;
        }
        progress_.busy(false);
        ++genomsökta_totalt;
    } catch (const RunError& e) {
        handleCopyError(e, source, target);
    }
}

void BackupEngine::handleCopyError(const RunError& e, const QString& source, const QString& target,
                                   bool triedTwice) {
    progress_.busy(false);
    const QString job = QStringLiteral(" (Jobb: ") + progress_.jobName() + ')';
    if (e.number == 61) {
        progress_.windowLog(QStringLiteral(" ") + kDiskFull);
        progress_.message(61, QStringLiteral("FEL! ") + kDiskFull, QStringLiteral("Utför backup, file_copy"));
        logLine(kLogErr, QString());
        logLine(kLogErr, QStringLiteral("FEL: ") + kDiskFull);
        progress_.stopRun();
        fel_i_jobbet = true;
    }
    ++genomsökta_totalt;
    ++misslyckade_totalt;
    countError();
    logLine(kLogErr, QString());
    if (e.number == platform::kSourceChanged) {
        // Nothing was put in place: the old target stays, older than the changed source, so the
        // next run copies the file again.
        logLine(kLogErr, QStringLiteral("FEL: filen ändrades medan den kopierades och kopierades inte. Den "
                                        "kopieras vid nästa körning.") +
                             job);
        logLine(kLogErr, QStringLiteral("Från: ") + source);
        logLine(kLogErr, QStringLiteral("Till: ") + target);
        progress_.windowLog(QStringLiteral(" FEL: filen ändrades medan den kopierades: ") + source);
        systemLog(QStringLiteral("FEL! Filen ändrades medan den kopierades: ") + source, true);
        return;
    }
    if (triedTwice) {
        logLine(kLogErr, QStringLiteral("FEL: filen kunde inte kopieras. ") + felkod(e) + '.' + job);
        logLine(kLogErr, QStringLiteral("Från: ") + source);
        logLine(kLogErr, QStringLiteral("Till: ") + target);
        progress_.windowLog(QStringLiteral(" FEL: filen kunde inte kopieras: ") + source);
        systemLog(QStringLiteral("FEL! Filen kunde inte kopieras: ") + source, true);
        return;
    }
    logFailure(e, source, target);
}

void BackupEngine::failure(const RunError& e, const QString& source, const QString& target) {
    ++misslyckade_totalt;
    countError();
    logLine(kLogErr, QString());
    logFailure(e, source, target);
}

void BackupEngine::logFailure(const RunError& e, const QString& source, const QString& target) {
    logLine(kLogErr,
            QStringLiteral("FEL: ") + felkod(e) + QStringLiteral(" (Jobb: ") + progress_.jobName() + ')');
    logLine(kLogErr, QStringLiteral("Från: ") + source);
    if (!target.isEmpty())
        logLine(kLogErr, QStringLiteral("Till: ") + target);
    progress_.windowLog(QStringLiteral(" FEL: ") + felkod(e) + QStringLiteral(" (") + source + ')');
    systemLog(QStringLiteral("FEL! ") + felkod(e) + QStringLiteral(" (") + source + ')', true);
}

void BackupEngine::reportUnreadable(const RunError& e, const QString& source, const QString& target) {
    // The structure refresh and the copy may both meet it: it is one error of the run.
    const QString named = platform::withoutTrailingSeparator(source);
    if (unreadableNamed_.contains(named))
        return;
    unreadableNamed_.insert(named);
    failure(e, source, target);
    flushUnlessHeld();
}

CopyTimes& BackupEngine::copyTimes() {
    if (!copyTimes_.loaded())
        copyTimes_.load();
    copyTimes_.keepBelow(program().job().txtbackupmapp); // the record on the job's backup disk
    return copyTimes_;
}

void BackupEngine::afterCopy(const QString& source, const QString& target,
                             const platform::CopiedSizes& sizes) {
    copyTimes().copied(target, sizes.target, sizes.targetTime, sizes.sourceTime, sizes.timeKept);
    if (sizes.timeKept)
        return;
    // The copy carries the time it was made: said, and never taken for the file's own later.
    countError();
    logLine(kLogErr, QString());
    logLine(kLogErr, QStringLiteral("FEL: filens ändringstid kunde inte behållas på backupdisken. (Jobb: ") +
                         progress_.jobName() + ')');
    logLine(kLogErr, QStringLiteral("Från: ") + source);
    logLine(kLogErr, QStringLiteral("Till: ") + target);
    progress_.windowLog(QStringLiteral(" FEL: filens ändringstid kunde inte behållas på backupdisken: ") +
                        target);
    systemLog(QStringLiteral("FEL! Filens ändringstid kunde inte behållas på backupdisken: ") + target, true);
}

void BackupEngine::copyByRule(const platform::FileEntry& f, const QString& source, const QString& target,
                              int index, platform::FolderLookup::Kind kind, const platform::FileEntry& t,
                              bool again) {
    using Kind = platform::FolderLookup::Kind;
    const bool simulated = progress_.simulated();
    try {
        // A link where a copy belongs is no copy: it goes as a link (what it leads to stays as it
        // is), and the copy is made as a new one.
        if (kind == Kind::Link && !simulated)
            platform::removeFile(target, targetFd());
        const bool exists = kind == Kind::File;
        // A copy whose time the disk did not keep stands for its source's time (one hash lookup).
        const std::optional<qint64> recorded =
            exists ? copyTimes().recordedSourceTime(target, t.size, t.mtime) : std::nullopt;
        const CopyDecision d =
            exists ? decideCopy(f.mtime, f.size, t.mtime, t.size, recorded) : CopyDecision::New;
        if (d == CopyDecision::Unchanged) {
            progressUpdate();
            progress_.busy(false);
            ++genomsökta_totalt;
            return;
        }
        const bool replaced = d == CopyDecision::Replace;
        if (replaced) {
            // The size tells a change the time does not: copied, and said where the user asked.
            const ProgramSettings& s = settings();
            if (!simulated && s.chkfilstorlek && s.chkfilstorlek2 && f.size != t.size &&
                f.mtime == recorded.value_or(t.mtime)) {
                ++fel_filstorlek_totalt;
                countError();
                reportSizeError(
                    QStringLiteral("En konflikt mellan filer med samma tidsstämpel men olika filstorlek."),
                    source, f.size, target, t.size);
            }
        }
        if (simulated) {
            const QString mark = replaced ? QString() : QStringLiteral("+ ");
            if (replaced)
                versionshantering(target, index);
            simKällor << mark + source;
            simMål << mark + target;
            ++(replaced ? ändrade_totalt : nya_totalt);
            countCopied(replaced ? QStringLiteral("  ") : QStringLiteral("+ "), target, f.size);
            progress_.busy(false);
            ++genomsökta_totalt;
            return;
        }
        // The copy replaces only the file decided on, as it is now.
        platform::FileInfo decidedOn = replaced ? platform::fileInfoIn(targetFd(), target) : kNoTarget;
        if (replaced && !decidedOn.exists)
            decidedOn = platform::FileInfo{true, true, false, false, t.size, t.mtime}; // unreadable now
        booked(copyOne(source, target, f.size, decidedOn, index), f, source, target, index, replaced, again);
    } catch (const RunError& e) {
        handleCopyError(e, source, target);
    }
}

void BackupEngine::nameTaken(const platform::FileEntry& f, const QString& source, const QString& target,
                             int index, bool again) {
    const QString folder = platform::parentPath(target);
    const QString other = platform::FolderLookup(targetFd(), folder).otherSpelling(f.name);
    if (!other.isEmpty() &&
        platform::fileInfo(platform::joinPath(platform::parentPath(source), other)).isFile) {
        // Two source files that a disk ignoring letter case takes for one: the one there stays, the
        // same one at every run, and this one is not copied.
        progress_.busy(false);
        ++genomsökta_totalt;
        ++misslyckade_totalt;
        countError();
        const QString taken = platform::joinPath(folder, other);
        logLine(kLogErr, QString());
        logLine(kLogErr, QStringLiteral("FEL: backupdisken skiljer inte på stora och små bokstäver: ") +
                             f.name + QStringLiteral(" kopierades inte, eftersom ") + other +
                             QStringLiteral(" har samma namn där. (Jobb: ") + progress_.jobName() + ')');
        logLine(kLogErr, QStringLiteral("Från: ") + source);
        logLine(kLogErr, QStringLiteral("Till: ") + taken);
        progress_.windowLog(QStringLiteral(" FEL: samma namn på backupdisken som ") + taken +
                            QStringLiteral(": ") + source);
        systemLog(QStringLiteral("FEL! Samma namn på backupdisken som ") + taken + QStringLiteral(": ") +
                      source,
                  true);
        return;
    }
    // A file came at that name meanwhile, or an older spelling of this one lies there on a disk
    // that ignores letter case: the rule decides again on what is there now.
    const platform::FileInfo now = platform::fileInfoIn(targetFd(), target);
    if (!again && now.isFile && !now.isLink) {
        copyByRule(f, source, target, index, platform::FolderLookup::Kind::File,
                   platform::FileEntry{f.name, now.size, now.mtime, false}, true);
        return;
    }
    handleCopyError(platform::runErrorFromErrno(EEXIST), source, target);
}

bool isLeftoverCopyName(const QString& name) {
    return platform::isCopyTemporaryName(name);
}

void BackupEngine::removeLeftoverCopies(const QString& targetFolder, const platform::FolderLookup& targets,
                                        const std::vector<platform::FileEntry>& sources) {
    // A file of that name still among the source's files (a link) is the user's own, copied here
    // like any other.
    platform::removeLeftoverTemporaries(
        targetFolder, targets.temporaryCandidates(),
        [&](const QString& name) {
            return std::any_of(sources.begin(), sources.end(),
                               [&](const platform::FileEntry& f) { return f.name == name; });
        },
        isLeftoverCopyName, targetFd());
}

std::shared_ptr<const platform::OwnTree::Folder> BackupEngine::openTargetFolder(const FolderPair& pair) {
    RunError e;
    if (auto folder = targetFolders_.open(program().job().txtbackupmapp, pair.target, true, e))
        return folder;
    // The copies before come first, in the files' order.
    bookCopies(0);
    if (e.number == platform::kOtherMount)
        otherMountFound(e.description);
    else
        reportUnreadable(e, pair.source, pair.target);
    return nullptr;
}

void BackupEngine::file_copy(int index) {
    if (index < 0 || index >= int(List3.size()) || List3[index].filtered)
        return;
    const platform::OpenedFolder source(List3[index].source);
    file_copy(index, source);
}

void BackupEngine::file_copy(int index, const platform::OpenedFolder& source) {
    if (index < 0 || index >= int(List3.size()) || List3[index].filtered)
        return;
    if (!progress_.cancelled())
        stopCopies_->store(false);
    const FolderPair pair = List3[index];
    const CurrentJobRecord& m = program().job();
    const ProgramSettings& s = settings();
    const bool simulated = progress_.simulated();
    const bool hideFiltered = s.chkdöljfilterilogg;
    const QString job = QStringLiteral(" (Jobb: ") + progress_.jobName() + ')';
    versionCacheValid_ = false;
    struct InCopy {
        bool& flag;
        explicit InCopy(bool& f) : flag(f) { flag = true; }
        ~InCopy() { flag = false; }
    } inCopy(inCopy_);

    // Copies still going on into this folder, or out of a folder they go into, are done first.
    if (std::any_of(copies_.begin(), copies_.end(),
                    [&](const PendingCopy& c) { return c.folder == pair.target || c.folder == pair.source; }))
        bookCopies(0);
    std::vector<platform::FileEntry> files;
    platform::UnreadableEntries unreadable;
    try {
        files = source.files(m.txtpattern, &unreadable);
    } catch (const RunError& e) {
        // The copies before come first, and a full disk among them ends the run before this.
        bookCopies(0);
        if (progress_.cancelled())
            return;
        // The folder could not be read: one error for the folder, and on with the next.
        reportUnreadable(e, pair.source, pair.target);
        return;
    }
    if (!unreadable.empty()) {
        // Files whose status cannot be read are errors of their own, in the files' order after
        // the copies before them; the folder's other files are copied all the same.
        bookCopies(0);
        if (progress_.cancelled())
            return;
        for (const platform::UnreadableEntry& u : unreadable)
            reportUnreadable(platform::runErrorFromErrno(u.error), pair.source + u.name,
                             pair.target + u.name);
    }
    // A copy of this program killed while it wrote into this folder (a restore writes into the
    // source folders) left its temporary file here: no file of the user's, so never backed up,
    // but named in the log.
    std::erase_if(files, [&](const platform::FileEntry& f) {
        if (!platform::isCopyTemporaryName(f.name))
            return false;
        const platform::FileInfo fi = platform::fileInfo(pair.source + f.name);
        if (!fi.isFile || fi.isLink)
            return false;
        logLine(kLogEx, QStringLiteral("- Programmets temporära fil hoppades över: ") + pair.source + f.name);
        return true;
    });
    const int n = int(files.size());
    if (n == 0) {
        progress_.folderBar(0, 0);
        flushUnlessHeld();
        return;
    }
    folderSteps_ = 0;
    folderFiles_ = n;
    progress_.folderBar(0, n);

    // Targets are looked up by name when their turn comes, so a target that changed meanwhile is
    // seen as it is; a missing target folder simply holds nothing, and so does a folder this run
    // has just made: every file is new there, and the copy's rename refuses to replace anything
    // (another spelling of a name on a disk that ignores letter case included).
    targetFolder_.reset();
    if (!simulated) {
        targetFolder_ = openTargetFolder(pair);
        if (!targetFolder_) {
            progress_.folderBar(0, 0);
            flushUnlessHeld();
            return;
        }
    }
    std::optional<platform::FolderLookup> lookup;
    if (!pair.made)
        lookup.emplace(targetFd(), pair.target);
    const platform::FolderLookup* targets = lookup ? &*lookup : nullptr;
    // The program's own folder is written while the run goes on (its logs and settings): its
    // files are copied here, between such writes, never beside them.
    const bool pipelined =
        logsHeld_ && !simulated && !platform::isSameOrBelow(pair.source, program().programFolder());
    if (!simulated && targets)
        removeLeftoverCopies(pair.target, *targets, files);

    bool cancelled = false;
    for (int i = 0; i < n; ++i) {
        progress_.yield();
        if (progress_.cancelled()) {
            cancelled = true;
            break;
        }
        const platform::FileEntry& f = files[i];
        const QString source = pair.source + f.name;
        const QString target = pair.target + f.name;
        progress_.showFileOf(i + 1, n, f.name, f.size);
        progress_.yield();
        progress_.showTargetFolder(pair.target);

        // A new file of an ordinary folder is copied on another thread while this one goes on
        // to the next files; what follows its copy is done in the files' order (bookCopies).
        using Kind = platform::FolderLookup::Kind;
        platform::FileEntry t;
        bool looked = false;
        Kind kind = Kind::None;
        if (pipelined && !f.refused && !bigCopyWithDialog(f.size) && !excludedQuietly(f, source)) {
            kind = targets ? targets->look(f.name, t) : Kind::None;
            looked = true;
            if (kind == Kind::None) {
                progress_.busy(true);
                copyNew(source, target, f, index);
                continue;
            }
        }
        // Everything else is done in the files' order, after the copies before it; a full disk
        // among them ends the run before this file, as it would have without them.
        bookCopies(0);
        if (progress_.cancelled()) {
            cancelled = true;
            break;
        }

        if (f.refused) {
            ++misslyckade_totalt;
            countError();
            logLine(kLogErr, QString());
            logLine(kLogErr, QStringLiteral("FEL: filnamnet innehåller otillåtna tecken.") + job);
            logLine(kLogErr, QStringLiteral("Filnamn: ") + source);
            systemLog(QStringLiteral("FEL! Filnamnet innehåller otillåtna tecken: ") + source, true);
            progressUpdate();
            continue;
        }

        try {
            QString excluded;
            if (excludedBySize(f.size, m.txtexmb))
                excluded = QStringLiteral("- Exkluderad filstorlek: ") + source + QStringLiteral(" (") +
                           platform::Format(megabytes(f.size), QStringLiteral("#.##")) +
                           QStringLiteral(" MB)");
            else if (excludedByType(source, m.txtexpattern))
                excluded = QStringLiteral("- Exkluderad filtyp: ") + source;
            else if (excludedByName(f.name, m.txtexfiler))
                excluded = QStringLiteral("- Exkluderat filnamn: ") + source;
            if (!excluded.isEmpty()) {
                if (!hideFiltered)
                    logLine(kLogEx, excluded);
                ++genomsökta_totalt;
                ++exkluderade_totalt;
                progressUpdate();
                continue;
            }
        } catch (const RunError& e) {
            handleCopyError(e, source, target);
            continue;
        }
        progress_.busy(true);
        if (!looked)
            kind = targets ? targets->look(f.name, t) : Kind::None;
        copyByRule(f, source, target, index, kind, t);
    }
    if (!cancelled)
        progress_.showFile(QString());
    versionCacheValid_ = false;
    flushUnlessHeld();
}
