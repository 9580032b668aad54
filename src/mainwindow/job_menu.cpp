#include "mainwindow/job_menu.h"

#include "core/module1.h"
#include "core/program.h"
#include "editor/job_files.h"
#include "mainwindow/host.h"
#include "mainwindow/job_copy.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace jobmenu {

void mnuduplicera_Click() {
    Program& p = program();
    const QString job = host::selectedJob();
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
    host::appendJobToList(name);
}

void mnugrupp_Click(int index) {
    Program& p = program();
    const QString plats = QStringLiteral("Huvudfönstret, kopiera jobb");
    if (index < 0 || index > 3)
        return;
    const QString source = platform::withoutTrailingSeparator(p.jobbgruppmapp);
    const QString target = platform::withoutTrailingSeparator(host::groupFolder(index));
    if (source == target) {
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Du kan inte kopiera till samma grupp som jobbet redan finns i!"), plats);
        return;
    }
    const QString job = host::selectedJob();
    if (job.isEmpty())
        return;
    const QString caption = host::groupCaption(index);
    const QChar q(u'"');
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
                              plats);
}

void cmdexport_Click() {
    Program& p = program();
    const QString folder = jobcopy::exportFolder(host::exportFolderText(), p.programFolder());
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
    try {
        jobcopy::exportJobs(p.jobbgruppmapp, host::jobNames(), folder, p.clock.today());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Inställningar, exportera jobb"));
        return;
    }
    p.dialogs.showInFileManager(shown);
}

} // namespace jobmenu
