#include "mainwindow/job_menu.h"

#include "core/job_files.h"
#include "core/job_name.h"
#include "core/module1.h"
#include "core/program.h"
#include "mainwindow/job_copy.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace jobmenu {

namespace {
// The job selected in the main window's list; empty when none is.
QString selectedJob() {
    const MainWindowServices& m = program().mainWindow();
    return m.currentJobIndex() < 0 ? QString() : m.currentJobName();
}
} // namespace

void mnuduplicera_Click() {
    Program& p = program();
    const QString job = selectedJob();
    if (job.isEmpty())
        return;
    if (p.dialogs.msgBox(QStringLiteral("Detta kommer att lägga till en kopia av jobbet (") + job +
                             QStringLiteral("). Vill du fortsätta?"),
                         platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                         QStringLiteral("Duplicera")) != platform::Answer::Yes)
        return;
    const QString name = jobcopy::duplicateName(p.jobbgruppmapp, job);
    if (name.isEmpty())
        return;
    // The copy's name comes from the job's own, which an older version may have let through.
    if (const QString why = jobname::refusal(name); !why.isEmpty()) {
        Module1::logga_meddelande(0, -1,
                                  QStringLiteral("Jobbet kan inte dupliceras under namnet \"") + name +
                                      QStringLiteral("\". ") + why,
                                  QString());
        return;
    }
    try {
        jobcopy::duplicate(p.jobbgruppmapp, job, name);
    } catch (const platform::RunError& e) {
        // Nothing of the copy is left behind; the user hears why.
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod när jobbet skulle dupliceras."),
                                  QStringLiteral("Huvudfönstret, duplicera jobb"));
        return;
    }
    Module1::logga_meddelande(0, -1, QStringLiteral("Ett nytt jobb har skapats med namnet ") + name,
                              QString());
    // At the end of both lists, not selected; the next reload sorts it in.
    frmmain* m = p.form<frmmain>();
    m->comboinställningar->addItem(name);
    m->listinställningar->addItem(name);
    m->showJobCount();
}

void mnugrupp_Click(int index) {
    Program& p = program();
    const QString plats = QStringLiteral("Huvudfönstret, kopiera jobb");
    if (index < 0 || index > 3)
        return;
    frmmain* m = p.form<frmmain>();
    const QString source = platform::withoutTrailingSeparator(p.jobbgruppmapp);
    const QString target = platform::withoutTrailingSeparator(m->groupFolder(index));
    if (source == target) {
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Du kan inte kopiera till samma grupp som jobbet redan finns i!"), plats);
        return;
    }
    const QString job = selectedJob();
    if (job.isEmpty())
        return;
    const QString caption = m->optarkiv[index]->text();
    const QChar q(u'"');
    if (const QString why = jobname::refusal(job); !why.isEmpty()) {
        Module1::logga_meddelande(0, -1,
                                  QStringLiteral("Jobbet ") + q + job + q +
                                      QStringLiteral(" kan inte kopieras till en annan grupp. ") + why,
                                  QString());
        return;
    }
    try {
        if (JobFiles(target, job).exists() &&
            p.dialogs.msgBox(QStringLiteral("Jobbet ") + q + job + q +
                                 QStringLiteral(" finns redan i gruppen ") + q + caption + q +
                                 QStringLiteral(". Vill du ersätta det?"),
                             platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                             QStringLiteral("Kopiera jobb")) != platform::Answer::Yes)
            return;
        jobcopy::copyToGroup(source, target, job);
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(
            e, -1, QStringLiteral("Ett fel uppstod när jobbet skulle kopieras till annan jobbgrupp."), plats);
        return;
    }
    Module1::logga_meddelande(0, -1,
                              QStringLiteral("Jobbet ") + q + job + q +
                                  QStringLiteral(" kopierades till gruppen ") + q + caption + q +
                                  QLatin1Char('.'),
                              QString()); // a success names no place
}

void cmdexport_Click() {
    Program& p = program();
    const QString folder =
        jobcopy::exportFolder(p.form<frmsetup>()->txtexportmapp->text(), p.programFolder());
    const QString shown = platform::withTrailingSeparator(folder);
    if (!platform::folderExists(folder)) {
        try {
            platform::makePath(folder);
        } catch (const platform::RunError&) {
        }
        if (!platform::folderExists(folder)) {
            Module1::logga_meddelande(0, -1,
                                      QStringLiteral("Sökvägen ") + shown +
                                          QStringLiteral(" finns inte och kunde inte skapas!"),
                                      QStringLiteral("Exportera jobb"));
            return;
        }
    }
    QStringList jobs;
    const MainWindowServices& m = p.mainWindow();
    for (int i = 0; i < m.jobCount(); ++i)
        jobs << m.jobName(i);
    try {
        jobcopy::exportJobs(p.jobbgruppmapp, jobs, folder, p.clock.today());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Inställningar, exportera jobb"));
        return;
    }
    p.dialogs.showInFileManager(shown);
}

} // namespace jobmenu
