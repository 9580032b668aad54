#include "run/file_count.h"

#include "core/program.h"
#include "platform/files.h"
#include "platform/parallel.h"
#include "run/copy_engine.h"
#include "run/mirror.h"
#include "run/target_folders.h"

namespace {
// Fewer folders are listed on the calling thread alone.
constexpr qsizetype kFoldersForThreads = 64;
} // namespace

long countFolderFiles(const QString& folder, const QString& pattern) {
    try {
        return platform::countFiles(folder, pattern);
    } catch (const platform::RunError&) {
        // The count only scales the progress bar: an unreadable folder adds nothing.
        return 0;
    }
}

void BackupEngine::räknaallajobbfiler() {
    const CurrentJobRecord& m = program().job();
    systemLog(QStringLiteral("Räknar alla filer som kommer ingå i körningen..."), false);
    progress_.windowLog(QStringLiteral(" Räknar alla filer som kommer ingå i körningen..."));
    long count = 0;
    const int jobs = progress_.jobCount();
    for (int i = 0; i < jobs; ++i) {
        progress_.yield();
        if (progress_.cancelled())
            return;
        if (!progress_.jobSelected(i))
            continue;
        progress_.selectJob(i);
        const QStringList pieces = folderFilterPieces(m.txtmappfilter);
        QStringList folders;
        for (const QString& folder : m.listmappar)
            if (matchingFolderFilter(folder, pieces) < 0 &&
                !isRunOwnFolder(folder, m.combomappar, m.txtbackupmapp, m.txtversionmapp))
                folders << folder;
        // The folders are only read, and the sum does not depend on the order: a few threads
        // list them at once, while this one keeps the window alive between its folders.
        std::vector<long> counts(size_t(folders.size()), 0);
        const QString pattern = m.txtpattern;
        platform::forEachInParallel(
            folders.size(), folders.size() < kFoldersForThreads ? 1 : platform::fileSystemThreads(),
            [&](qsizetype k) { counts[size_t(k)] = countFolderFiles(folders.at(k), pattern); },
            [&] { progress_.yield(); });
        for (long c : counts)
            count += c;
    }
    if (count > 0) {
        systemLog(QString::number(count) + QStringLiteral(" filer hittades."), false);
        progress_.windowLog(QStringLiteral(" ") + QString::number(count) +
                            QStringLiteral(" filer hittades."));
    }
    filtotal = count > 0 ? count : 1;
}
