#include "mainwindow/job_copy.h"

#include "core/job_files.h"
#include "core/job_record.h"
#include "editor/job_lists.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"

#include <QDir>

namespace jobcopy {

QString duplicateName(const QString& folder, const QString& job) {
    for (int n = 2; n <= 100; ++n) {
        // The duplicate is a job like any other: its name must fit its files, so a long name is cut.
        const QString number = QStringLiteral("(%1)").arg(n);
        const JobFiles candidate(
            folder, platform::fitToBytes(job, JobFiles::kLongestNameBytes - int(number.size())) + number);
        bool free = true;
        for (int e = 0; e <= 10 && free; ++e)
            free = !platform::fileInfo(candidate.path(e)).exists;
        if (free)
            return candidate.name();
    }
    return {};
}

void duplicate(const QString& folder, const QString& job, const QString& newName) {
    JobFiles(folder, job).copyWholeTo(JobFiles(folder, newName), kDuplicateLast);
}

void copyToGroup(const QString& fromFolder, const QString& toFolder, const QString& job) {
    if (!platform::folderExists(toFolder))
        platform::throwError(76);
    JobFiles(fromFolder, job).copyWholeTo(JobFiles(toFolder, job), kGroupCopyLast);
}

QString exportFilePath(const QString& exportFolder, const QString& job) {
    if (!joblists::isSingleFileName(job))
        platform::throwError(52);
    const QString head = QStringLiteral("_export_");
    const QString tail = QStringLiteral(".txt");
    // The file is written whole, through a temporary of its name and 7 bytes; a long name is cut.
    const int room = platform::kLongestFileName - 7 - int(head.size() + tail.size());
    return platform::joinPath(exportFolder, head + platform::fitToBytes(job, room) + tail);
}

QStringList exportLines(const QString& job, const CurrentJobRecord& r) {
    QStringList l;
    l << job.toUpper();
    for (const QString& f : r.combomappar)
        l << QStringLiteral("Huduvmapp: ") + f;
    l << QStringLiteral("Backupmapp: ") + r.txtbackupmapp;
    l << QStringLiteral("Valda filtyper: ") + r.txtpattern;
    l << QStringLiteral("Exkluderade filtyper: ") + r.txtexpattern;
    l << QStringLiteral("Exkluderade filnamn: ") + r.txtexfiler;
    l << QStringLiteral("Exkluderade mappnamn: ") + r.txtmappfilter;
    l << QStringLiteral("Storleksbegränsning MB: ") + r.txtexmb;
    l << QStringLiteral("Uppdatera mappstruktur: ") + r.lblmappuppdatering;
    l << QStringLiteral("Förhindra spegling: ") + r.txtsynkroniseraej;
    l << QStringLiteral("Sökvägtyp: ") + r.txtsökvägtyp;
    l << QStringLiteral("Skapa huvudmapp på målet: ") + r.txtabsolutsökväg_huvudmapp;
    for (const QString& f : r.listexmappar)
        l << QStringLiteral("Exkluderad mapp: ") + f;
    l << QStringLiteral("Schemaläggning aktiv: ") + QString::number(r.chkschemaaktiv);
    l << QStringLiteral("   Spegla schemakörning: ") + QString::number(r.chkschemasync);
    l << QStringLiteral("   Simulerad speglad schemakörning: ") + QString::number(r.chkschemasync_simulera);
    l << QStringLiteral("   Schemalagd tid: ") + r.txtschematid;
    for (int d = 1; d <= 7; ++d)
        l << QStringLiteral("   Schemalagda dagar: ") + QString::number(r.chkschemadag[d]);
    l << QStringLiteral("Programstopp: ") + r.txtprogramstopp;
    l << QStringLiteral("Programstart: ") + r.txtprogramstart;
    l << QStringLiteral("Versionshantering: ") + r.txtversionshantering;
    l << QStringLiteral("   Valda filtyper: ") + r.txtversionpattern;
    l << QStringLiteral("   Storleksbegränsning MB: ") + r.txtversion_mb;
    l << QStringLiteral("   Max antal filversioner: ") + r.txtversionmax;
    l << QStringLiteral("   Mapp för filversioner: ") + r.txtversionmapp;
    l << QString();
    l << QStringLiteral("Mappar som ingår i jobbet:");
    l << r.listmappar;
    return l;
}

QString exportFolder(const QString& typed, const QString& programFolder) {
    QString f = typed.trimmed();
    if (f.isEmpty())
        f = programFolder;
    else if (QDir::isRelativePath(f))
        f = platform::joinPath(programFolder, f);
    return platform::withoutTrailingSeparator(f);
}

void exportJobs(const QString& groupFolder, const QStringList& jobs, const QString& exportFolder,
                const QDate& today) {
    for (const QString& job : jobs) {
        const QString file = exportFilePath(exportFolder, job);
        // Writing goes through a link to wherever it points; only plain files are replaced.
        const platform::FileInfo existing = platform::fileInfo(file);
        if (existing.isLink || existing.isDir)
            platform::throwError(75);
        CurrentJobRecord r;
        r.txtjobbnamn = job;
        r.loadRecord(JobFiles(groupFolder, job), today);
        platform::writeLines(file, exportLines(job, r));
    }
}

} // namespace jobcopy
