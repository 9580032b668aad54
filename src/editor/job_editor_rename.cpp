// Renaming a job while it is open in the job editor.
#include "core/job_files.h"
#include "core/job_name.h"
#include "core/module1.h"
#include "core/program.h"
#include "editor/job_editor_window.h"
#include "editor/job_lists.h"
#include "platform/errors.h"

#include <QComboBox>
#include <QPushButton>

void frmaddmapp::connectRenameControls() {
    QObject::connect(cmdbytnamn, &QPushButton::clicked, this, [this] { cmdbytnamn_Click(); });
}

void frmaddmapp::cmdbytnamn_Click() {
    const QString plats = QStringLiteral("Jobb, byt namn");
    const QString typed = program().dialogs.inputBox(QStringLiteral("Välj nytt namn för det här jobbet."),
                                                     QStringLiteral("Nytt namn"), txtnamn->currentText());
    if (typed.isEmpty())
        return;
    const QString nytt = joblists::jobNameFromTyped(typed);
    const JobFiles target(nytt);
    if (const QString why = jobname::refusal(nytt); !why.isEmpty()) {
        Module1::logga_meddelande(0, -1, why, QString());
        return;
    }
    if (target.exists()) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Namnet finns redan!"), QString());
        return;
    }
    const JobFiles old(txtnamn->currentText());
    try {
        old.renameTo(target);
    } catch (const platform::RunError& fel) {
        // While the old job is still whole, a half-made copy under the new name must not look
        // like a job of its own.
        if (old.exists()) {
            try {
                target.remove(10);
            } catch (const platform::RunError&) {
            }
        }
        Module1::logga_meddelande(fel, -1, QStringLiteral("Ett fel uppstod."), plats);
        if (old.exists() || !target.exists())
            return;
        // The old files are partly gone: the job now lives under the new name only.
    }
    txtnamn->setEditText(nytt);
    cmdbytnamn_Tag = QStringLiteral("1");
    // The main window's list shows the new name, and keeps it selected when it reloads.
    MainWindowServices& m = program().mainWindow();
    m.jobRenamed(old.name(), nytt);
    m.reloadJobList();
    for (int i = 0; i < m.jobCount(); ++i)
        if (m.jobName(i) == nytt) {
            m.selectJob(i);
            break;
        }
}
