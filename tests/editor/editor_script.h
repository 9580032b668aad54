#pragma once
// Shared steps of the job editor tests: the main window with one job selected, and reading a
// job's files as bytes.
#include "core/job_files.h"
#include "core/program.h"
#include "mainwindow/main_window.h"

#include <QComboBox>
#include <QFile>
#include <QStringList>

namespace editor_script {

// Selects the job in the main window and fills the current-job record from its files, as
// selecting it in the job list does.
inline frmmain* selectJob(const QString& name) {
    frmmain* m = program().form<frmmain>();
    if (m->comboinställningar->findText(name) < 0)
        m->comboinställningar->addItem(name);
    m->comboinställningar->setCurrentIndex(m->comboinställningar->findText(name));
    const JobFiles::Data d = JobFiles(name).read();
    m->txtjobbnamn = name;
    m->listmappar = d.folders;
    m->combomappar = d.mainFolders;
    m->txtbackupmapp = d.backupFolder;
    m->txtpattern = d.filters.types;
    m->txtexpattern = d.filters.excludedTypes;
    m->txtexfiler = d.filters.excludedNames;
    m->txtmappfilter = d.filters.folderFilters;
    m->txtexmb = d.filters.maxMb;
    m->lblmappuppdatering = d.options.rescan;
    m->txtsynkroniseraej = d.options.preventMirror;
    m->txtsökvägtyp = d.options.pathType;
    m->txtabsolutsökväg_huvudmapp = d.options.createMainFolder;
    m->txtignorerasaknadenhet = d.options.ignoreMissingDrive;
    m->listexmappar = d.excluded;
    m->txtprogramstopp = d.programs.stop;
    m->txtprogramstart = d.programs.start;
    m->txtversionshantering = d.versioning.on;
    m->txtversionpattern = d.versioning.types;
    m->txtversion_mb = d.versioning.maxMb;
    m->txtversionmax = d.versioning.maxVersions;
    m->txtversionmapp = d.versioning.folder;
    return m;
}

inline QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The bytes of ".000" .. ".010" of a job (empty for a missing file).
inline QList<QByteArray> jobBytes(const QString& name) {
    QList<QByteArray> out;
    const JobFiles job(name);
    for (int n = 0; n <= 10; ++n)
        out << bytes(job.path(n));
    return out;
}

inline QByteArray crlf(const QStringList& lines) {
    QByteArray b;
    for (const QString& l : lines)
        b += l.toUtf8() + "\r\n";
    return b;
}

} // namespace editor_script
