#include "run/file_count.h"

#include "core/program.h"
#include "platform/files.h"
#include "run/copy_engine.h"
#include "run/mirror.h"
#include "run/target_folders.h"

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
        for (const QString& folder : m.listmappar) {
            progress_.yield();
            if (matchingFolderFilter(folder, pieces) >= 0 ||
                isRunOwnFolder(folder, m.combomappar, m.txtbackupmapp, m.txtversionmapp))
                continue;
            count += countFolderFiles(folder, m.txtpattern);
        }
    }
    if (count > 0) {
        systemLog(QString::number(count) + QStringLiteral(" filer hittades."), false);
        progress_.windowLog(QStringLiteral(" ") + QString::number(count) +
                            QStringLiteral(" filer hittades."));
    }
    filtotal = count > 0 ? count : 1;
}
