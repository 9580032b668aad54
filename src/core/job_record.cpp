#include "core/job_record.h"

#include "core/job_files.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/vb.h"

void CurrentJobRecord::clearRecord() {
    const QString name = txtjobbnamn;
    const QString scheduleName = lblschema_jobb;
    *this = CurrentJobRecord{};
    txtjobbnamn = name;
    lblschema_jobb = scheduleName;
}

void CurrentJobRecord::loadRecord(const JobFiles& job, const QDate& today) {
    int file = 0; // the file being read, for loadFailure
    try {
        loadFiles(job, today, file);
    } catch (const platform::RunError& e) {
        loadFailureFile = job.path(file);
        loadFailure = loadFailureFile + QStringLiteral(" [") + QString::number(e.number) +
                      QStringLiteral("] - ") +
                      (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description);
        if (file < 6) {
            try {
                loadSchedule(job);
            } catch (const platform::RunError&) {
            }
        }
        throw;
    }
}

void CurrentJobRecord::loadSchedule(const JobFiles& job) {
    if (const auto s = job.readSchedule()) {
        chkschemaaktiv = s->active;
        chkschemasync = s->mirror;
        txtschematid = s->time;
        chkschemasync_simulera = s->simulate;
        for (int i = 1; i <= 7; ++i)
            chkschemadag[i] = s->day(i) ? 1 : 0;
        txtschema = scheduleText();
    } else {
        txtschema = QStringLiteral("Aktiv: NEJ, Spegla: NEJ, Tid: --:--");
    }
}

void CurrentJobRecord::loadFiles(const JobFiles& job, const QDate& today, int& file) {
    listmappar = job.readFolders(&emptyFolderLines);
    file = 1;
    combomappar = job.readMainFolders(&emptyFolderLines);
    file = 2;
    txtbackupmapp = job.readBackupFolder();

    file = 3;
    const JobFiles::Filters f = job.readFilters();
    txtpattern = f.types;
    txtexpattern = f.excludedTypes;
    txtexfiler = f.excludedNames;
    txtmappfilter = f.folderFilters;
    txtexmb = f.maxMb;

    file = 4;
    const JobFiles::Options o = job.readOptions();
    lblmappuppdatering = o.rescan;
    txtsynkroniseraej = o.preventMirror;
    txtsökvägtyp = o.pathType;
    txtabsolutsökväg_huvudmapp = o.createMainFolder;
    txtignorerasaknadenhet = o.ignoreMissingDrive;

    file = 5;
    listexmappar = job.readExcluded();
    file = 6;
    loadSchedule(job);

    file = 7;
    if (const auto r = job.readLastRun()) {
        txtlastrun = r->when;
        txtlastrun_Tag = r->kind;
    } else {
        txtlastrun = QStringLiteral("Okänt");
    }

    file = 8;
    if (const auto p = job.readPrograms()) {
        txtprogramstopp = p->stop;
        txtprogramstart = p->start;
    }
    file = 9;
    if (const auto v = job.readVersioning()) {
        txtversionshantering = v->on;
        txtversionpattern = v->types;
        txtversion_mb = v->maxMb;
        txtversionmax = v->maxVersions;
        txtversionmapp = v->folder;
    }

    lblhuvudmappar = QString::number(combomappar.size()) + QStringLiteral(" st");
    lblallamappar = QString::number(listmappar.size()) + QStringLiteral(" st");
    lblexmappar =
        platform::countText(listexmappar.size(), QStringLiteral("exkluderad"), QStringLiteral("exkluderade"));
    // The summary refuses a path type that is no number (.004) and a last-run date it cannot read.
    bool numeric = false;
    txtsökvägtyp.trimmed().toInt(&numeric);
    file = numeric ? 7 : 4;
    txtsammanställning = summaryText(today);
}

JobFiles::Job CurrentJobRecord::job(const QString& group) const {
    const JobFiles::Options o{lblmappuppdatering, txtsynkroniseraej, txtsökvägtyp, txtabsolutsökväg_huvudmapp,
                              txtignorerasaknadenhet};
    const JobFiles::Versioning v{txtversionshantering, txtversionpattern, txtversion_mb, txtversionmax,
                                 txtversionmapp};
    return JobFiles::job(group, txtjobbnamn, listmappar, combomappar, txtbackupmapp, o, v);
}

QString CurrentJobRecord::scheduleText() const {
    QString t = chkschemaaktiv == 1 ? QStringLiteral("Aktiv: JA, ") : QStringLiteral("Aktiv: NEJ, ");
    t += chkschemasync == 1 ? QStringLiteral("Spegla: JA, ") : QStringLiteral("Spegla: NEJ, ");
    if (chkschemasync_simulera == 1)
        t += QStringLiteral("simulerad. ");
    return t + QStringLiteral("Tid: ") + txtschematid;
}

QString CurrentJobRecord::summaryText(const QDate& today) const {
    QString age;
    if (!txtlastrun.isEmpty() && txtlastrun != QStringLiteral("Okänt")) {
        const QDate d = QDate::fromString(txtlastrun.left(10), QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid())
            platform::throwError(13);
        age =
            platform::countText(d.daysTo(today), QStringLiteral("dag sedan"), QStringLiteral("dagar sedan"));
    }
    const QString pathWord =
        txtsökvägtyp == QLatin1String("1") ? QStringLiteral("Absolut") : QStringLiteral("Relativ (utökad)");
    const QString b = platform::withTrailingSeparator(txtbackupmapp);

    bool numeric = false;
    const int pathType = txtsökvägtyp.trimmed().toInt(&numeric);
    if (!numeric)
        platform::throwError(13);
    QString source;
    const QString first = combomappar.value(0);
    if (pathType == 1 && txtabsolutsökväg_huvudmapp == QLatin1String("JA")) {
        source = QStringLiteral("Backup från:") + first + QStringLiteral("\nBackup till:    ") + b +
                 platform::lastPiece(first);
    } else if (pathType == 1) {
        source = QStringLiteral("Backup från: ") + first + QStringLiteral("\nBackup till:    ") + b;
    } else {
        QStringList blocks;
        for (const QString& m : combomappar)
            blocks << QStringLiteral("Backup från: ") + m + QStringLiteral("\nBackup till:    ") +
                          platform::withoutTrailingSeparator(platform::relativeTarget(txtbackupmapp, m));
        source = blocks.join(QLatin1Char('\n'));
    }

    QString count = QStringLiteral("Backup från ");
    if (combomappar.size() == 1)
        count += QStringLiteral("en huvudmapp, totalt ");
    else if (combomappar.size() >= 2)
        count += QString::number(combomappar.size()) + QStringLiteral(" huvudmappar, totalt ");
    if (listmappar.size() == 1)
        count += QStringLiteral("en mapp");
    else if (listmappar.size() >= 2)
        count += QString::number(listmappar.size()) + QStringLiteral(" mappar");

    QStringList lines;
    lines << QStringLiteral("Backupmapp: ") + txtbackupmapp;
    lines << count;
    lines << QStringLiteral("Backupsökväg: ") + pathWord;
    QString last =
        QStringLiteral("Senast körd: ") + age + QStringLiteral(" (") + txtlastrun + QStringLiteral(")");
    if (!txtlastrun_Tag.isEmpty())
        last += QStringLiteral(" Körning: ") + txtlastrun_Tag;
    lines << last;
    QString types = QStringLiteral("Valda filtyper: ") + txtpattern;
    if (!txtexmb.isEmpty())
        types += QStringLiteral(" (Max filstorlek ") + txtexmb + QStringLiteral(" MB)");
    lines << types;
    if (!txtexpattern.isEmpty())
        lines << QStringLiteral("Exkluderade filtyper: ") + txtexpattern;
    if (!txtexfiler.isEmpty())
        lines << QStringLiteral("Exkluderade filnamn: ") + txtexfiler;
    if (!txtmappfilter.isEmpty())
        lines << QStringLiteral("Mappfilter: ") + txtmappfilter;
    lines << QStringLiteral("Känn av ändringar i mappstrukturen: ") + lblmappuppdatering;
    lines << QStringLiteral("Förhindra spegling: ") + txtsynkroniseraej;
    if (chkschemaaktiv == 1)
        lines << QStringLiteral("Schemaläggning: ") + txtschema;
    if (!txtprogramstopp.isEmpty())
        lines << QStringLiteral("Programstängning: ") + txtprogramstopp;
    if (!txtprogramstart.isEmpty())
        lines << QStringLiteral("Programstart: ") + txtprogramstart;
    QString version = QStringLiteral("Versionshantering: ") + txtversionshantering;
    if (txtversionshantering == QLatin1String("JA")) {
        version += QStringLiteral(" (") + txtversionmapp + QStringLiteral(")");
        if (!txtversion_mb.isEmpty())
            version += QStringLiteral(" Max filstorlek ") + txtversion_mb + QStringLiteral(" MB.");
        if (!txtversionpattern.isEmpty())
            version += QStringLiteral(" Filtyper: ") + txtversionpattern + QStringLiteral(".");
        if (!txtversionmax.isEmpty())
            version += QStringLiteral(" Max ") + txtversionmax + QStringLiteral(" sparade filversioner.");
    }
    lines << version;
    lines << source;
    return lines.join(QLatin1Char('\n'));
}
