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
    program().job().txtjobbnamn = name;
    program().job().listmappar = d.folders;
    program().job().combomappar = d.mainFolders;
    program().job().txtbackupmapp = d.backupFolder;
    program().job().txtpattern = d.filters.types;
    program().job().txtexpattern = d.filters.excludedTypes;
    program().job().txtexfiler = d.filters.excludedNames;
    program().job().txtmappfilter = d.filters.folderFilters;
    program().job().txtexmb = d.filters.maxMb;
    program().job().lblmappuppdatering = d.options.rescan;
    program().job().txtsynkroniseraej = d.options.preventMirror;
    program().job().txtsökvägtyp = d.options.pathType;
    program().job().txtabsolutsökväg_huvudmapp = d.options.createMainFolder;
    program().job().txtignorerasaknadenhet = d.options.ignoreMissingDrive;
    program().job().listexmappar = d.excluded;
    program().job().txtprogramstopp = d.programs.stop;
    program().job().txtprogramstart = d.programs.start;
    program().job().txtversionshantering = d.versioning.on;
    program().job().txtversionpattern = d.versioning.types;
    program().job().txtversion_mb = d.versioning.maxMb;
    program().job().txtversionmax = d.versioning.maxVersions;
    program().job().txtversionmapp = d.versioning.folder;
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
