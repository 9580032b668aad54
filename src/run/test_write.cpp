#include "run/test_write.h"

#include "core/job_rules.h"
#include "core/module1.h"
#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "run/copy_engine.h"
#include "run/run_plan.h"

#include <QFile>

QString testFileName() {
    return QStringLiteral("_tamrelbackuptestfil.test");
}

bool writeTestFile(const QString& folder) {
    // A relative path would land wherever the program happens to run.
    if (!folder.startsWith('/') || !platform::volumePresent(folder))
        return false;
    const QString path = platform::joinPath(folder, testFileName());
    if (platform::faultFor(path))
        return false;
    // A link of that name is removed, never written through.
    if (platform::fileInfo(path).isLink) {
        try {
            platform::removeFile(path);
        } catch (const platform::RunError&) {
            return false;
        }
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.close();
    try {
        platform::removeFile(path);
    } catch (const platform::RunError&) {
        // Not reported: the folder could be written.
    }
    return true;
}

QString runRefusal(const CurrentJobRecord& job, const jobrules::JobSet& all, jobrules::Purpose purpose,
                   bool mirroring, QString* note) {
    if (!job.loadFailure.isEmpty())
        return QStringLiteral("jobbets filer inte kunde läsas: ") + job.loadFailure;
    const jobrules::Problem p =
        jobrules::jobProblem(job.job(program().jobbgruppmapp), purpose, all, mirroring);
    if (note)
        *note = p.note;
    if (!p.refused())
        return {};
    if (p.kind == jobrules::Problem::Kind::AbsolutePath)
        return p.why;
    return p.why + QStringLiteral(" (") + job.txtbackupmapp + QLatin1Char(')');
}

bool entryNamesDrive(const QString& entry, const QString& drive) {
    const QString d = drive == QLatin1String("/") ? drive : platform::withoutTrailingSeparator(drive);
    qsizetype at = entry.indexOf(d);
    while (at >= 0) {
        const qsizetype end = at + d.size();
        // The drive as a whole path piece, not the start of a longer name.
        if (end >= entry.size() || entry[end] == '/' || entry[end] == ' ' || d.endsWith('/'))
            return true;
        at = entry.indexOf(d, at + 1);
    }
    return false;
}

void BackupEngine::provskriv_tillbackupmapp() {
    const CurrentJobRecord& m = program().job();
    progress_.status(QStringLiteral("Provskriver till backupmappar..."));
    progress_.clearWindowLog();
    progress_.windowLog(QStringLiteral(" Provskriver till backupmappar..."));
    systemLog(QStringLiteral("Provskriver till backupmappar..."), false);
    progress_.yield();

    bool anyFailed = false;
    approvedBackupFolders.clear();
    unwritableJobs.clear();
    // Every job of the four groups, read once for the run: each job is judged beside all of them.
    const jobrules::JobSet all(program().programFolder());
    jobrules::Purpose purpose = jobrules::Purpose::RunByHand;
    switch (RunPlan::kindOf(program().run().caption())) {
    case RunKind::Scheduled:
        purpose = jobrules::Purpose::Scheduled;
        break;
    case RunKind::CommandLine:
        purpose = jobrules::Purpose::CommandLine;
        break;
    case RunKind::ByHand:
        break;
    }
    const int jobs = progress_.jobCount();
    for (int i = 0; i < jobs; ++i) {
        if (!progress_.jobSelected(i))
            continue;
        progress_.selectJob(i);
        // What the backup folder is when it is checked: the mirror later deletes only in this
        // folder, whatever its text leads to by then.
        const platform::FolderId checked = platform::folderId(m.txtbackupmapp);
        QString note;
        if (const QString why = runRefusal(m, all, purpose, progress_.mirroring(), &note); !why.isEmpty()) {
            // Nothing of the job is touched: not even the test file is written.
            progress_.setJobSelected(i, false);
            listsaknadenhet << QStringLiteral("FEL: Jobbet ''") + progress_.jobText(i) +
                                   QStringLiteral("'' kördes inte, eftersom ") + why + QLatin1Char('.');
            countError();
            anyFailed = true;
            ++refusedJobs;
            const QString refusal = QStringLiteral("FEL! Jobbet ") + progress_.jobText(i) +
                                    QStringLiteral(" körs inte, eftersom ") + why;
            progress_.refusal(refusal, QStringLiteral("Utför backup"));
            // Whoever started the command line learns at once why nothing ran.
            if (program().run().caption() == QLatin1String("commandline"))
                platform::writeStandardError(refusal);
            continue;
        }
        if (!note.isEmpty())
            listsaknadenhet << note;
        const QString folder = m.txtbackupmapp;
        if (writeTestFile(folder)) {
            // A folder replaced while it was checked is not the one approved: its mirror refuses.
            approvedBackupFolders[i] = platform::folderId(folder) == checked
                                           ? checked
                                           : platform::FolderId{~quint64(0), ~quint64(0)};
            continue;
        }
        progress_.setJobSelected(i, false);
        const bool network = folder.startsWith(QLatin1String("//")) || platform::isNetworkPath(folder);
        const bool drivePresent = !network && platform::volumePresent(folder);
        const QString drive = network ? folder : platform::volumeRoot(folder);
        const bool ignore = m.txtignorerasaknadenhet == QLatin1String("JA");
        // What the user can do about it: a folder that is there but takes no file, or one that is
        // gone, most likely with the disk or share it was on.
        const QString where = platform::withoutTrailingSeparator(folder) + QStringLiteral(" för jobbet ") +
                              progress_.jobText(i);
        if (platform::folderExists(folder))
            unwritableJobs << QStringLiteral("Det gick inte att skriva i backupmappen ") + where +
                                  QLatin1Char('.');
        else
            unwritableJobs << QStringLiteral("Backupmappen ") + where + QStringLiteral(" finns inte.") +
                                  (drivePresent ? QString()
                                   : network    ? QStringLiteral(" Är nätverksmappen åtkomlig?")
                                                : QStringLiteral(" Är disken ansluten?"));
        if (drivePresent) {
            listsaknadenhet << QStringLiteral("FEL: Backupmappen ") + folder +
                                   QStringLiteral(" saknas för jobb ''") + progress_.jobText(i) +
                                   QStringLiteral("''.");
            countError();
            if (!ignore)
                anyFailed = true;
        } else if (!ignore) {
            for (qsizetype j = listsaknadenhet.size() - 1; j >= 0; --j) {
                if (!entryNamesDrive(listsaknadenhet[j], drive))
                    continue;
                if (listsaknadenhet[j].startsWith(QLatin1String("FEL")))
                    takeBackError();
                listsaknadenhet.removeAt(j);
            }
            listsaknadenhet << QStringLiteral("FEL: Enhet ") + drive + QStringLiteral(" saknas.");
            countError();
            anyFailed = true;
        } else {
            bool noted = false;
            for (const QString& e : listsaknadenhet)
                noted = noted || entryNamesDrive(e, drive);
            if (!noted)
                listsaknadenhet << QStringLiteral("Enhet ") + drive + QStringLiteral(" saknas.");
        }
    }
    progress_.showTargetFolder(QString());
    progress_.yield();
    if (anyFailed) {
        fel_i_jobbet = true;
        imgerr = true;
        progress_.countersChanged();
    }
}
