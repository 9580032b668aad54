// Folder-structure refresh of the main window: rescans the current job's main folders through
// the hidden job editor, saves the job and reloads it.
#include "core/module1.h"
#include "core/operations.h"
#include "core/program.h"
#include "editor/job_editor_window.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "platform/vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <exception>

namespace {

const QString kRefresh = QStringLiteral("uppdatering av mappstrukturen");

// The operation a refresh started by the user holds. It is let go before the closing message,
// which waits for the user. A refresh that the backup run asks for works under the run's own
// operation and has none here.
Operation* userRefresh = nullptr;

void releaseBeforeAsking() {
    if (userRefresh)
        userRefresh->release();
    userRefresh = nullptr;
}

// Selects the first main folder of the editor whose text equals `folder`; else the editor's
// selection stays, and that folder is rescanned.
void editorRescan(const QString& folder) {
    frmaddmapp* e = program().form<frmaddmapp>();
    for (int j = 0; j < e->combomappar->count(); ++j) {
        if (e->combomappar->item(j)->text() == folder) {
            e->combomappar->setCurrentRow(j);
            break;
        }
    }
    e->uppdatera_innehåll();
}

// Selects the editor's main folder at `row` (by position) and rescans it.
void editorRescanAt(int row) {
    frmaddmapp* e = program().form<frmaddmapp>();
    e->combomappar->setCurrentRow(row);
    e->uppdatera_innehåll();
}

QString countsText(const QString& head, qsizetype before, qsizetype after) {
    return head + QStringLiteral("\r\nFöre: ") +
           platform::countText(before, QStringLiteral("mapp"), QStringLiteral("mappar")) +
           QStringLiteral("\r\nEfter: ") +
           platform::countText(after, QStringLiteral("mapp"), QStringLiteral("mappar"));
}

QString countsLogLine(qsizetype before, qsizetype after) {
    return QStringLiteral("Uppdatering av mappstruktur klar. Före: ") +
           platform::countText(before, QStringLiteral("mapp"), QStringLiteral("mappar")) +
           QStringLiteral(". Efter: ") +
           platform::countText(after, QStringLiteral("mapp"), QStringLiteral("mappar"));
}

QString rescanLogLine(const QString& folder) {
    return QStringLiteral("Uppdaterar mappstruktur för mappen \"") + folder + QStringLiteral("\".");
}

void editorSave() {
    program().form<frmaddmapp>()->ok_spara();
}

} // namespace

void frmmain::uppdatera_huvudmappar() {
    program().schema_avstängt = 0;
    try {
        if (record().combomappar.isEmpty())
            return;
        const qsizetype before = record().listmappar.size();
        knappar_lås();
        setCombomapparIndex(-1);
        Tag = QStringLiteral("1");
        ändra_inställning();
        const QStringList mains = record().combomappar;
        for (int i = 0; i < mains.size(); ++i) {
            setCombomapparIndex(i);
            appendSystemLog(rescanLogLine(mains[i]));
            editorRescan(mains[i]);
        }
        editorSave();
        const int current = comboinställningar->currentIndex();
        comboinställningar->setCurrentIndex(-1);
        comboinställningar->setCurrentIndex(current);
        Tag.clear();
        if (!chkaktiveraschema->isChecked())
            knappar_låsupp();
        const qsizetype after = record().listmappar.size();
        releaseBeforeAsking();
        if (windowTitle() == QLatin1String("Tamrel Backup")) {
            Module1::logga_meddelande(0, -1, countsText(QStringLiteral("Uppdatering klar."), before, after),
                                      QString());
            appendSystemLog(countsLogLine(before, after));
        }
    } catch (const platform::RunError& e) {
        releaseBeforeAsking();
        Module1::logga_meddelande(
            e, -1,
            QStringLiteral("Ett fel uppstod när huvudmapparnas mappstruktur skulle läsas in och "
                           "uppdateras."),
            QStringLiteral("Main, uppdatera huvudmappar"));
        // Left locked, the main window could not be used again until restarted.
        Tag.clear();
        if (!chkaktiveraschema->isChecked())
            knappar_låsupp();
    }
}

void frmmain::cmduppdatera_Click() {
    Operation operation(kRefresh);
    if (!operation) {
        program().operations().refuse();
        return;
    }
    userRefresh = &operation;
    uppdatera_huvudmappar();
    userRefresh = nullptr;
}

void frmmain::cmduppdateraallt_Click() {
    Operation operation(kRefresh);
    if (!operation) {
        program().operations().refuse();
        return;
    }
    try {
        if (comboinställningar->count() == 0 || comboinställningar->currentIndex() == -1)
            return;
        knappar_lås();
        Tag = QStringLiteral("1");
        const int current = comboinställningar->currentIndex();
        const qsizetype before = record().listmappar.size();
        ändra_inställning();
        const QStringList mains = record().combomappar;
        for (int i = 0; i < mains.size(); ++i) {
            setCombomapparIndex(i);
            appendSystemLog(rescanLogLine(mains[i]));
            editorRescanAt(i);
        }
        editorSave();
        Tag.clear();
        comboinställningar->setCurrentIndex(-1);
        comboinställningar->setCurrentIndex(current);
        const qsizetype after = record().listmappar.size();
        knappar_låsupp();
        operation.release(); // the message waits for the user
        Module1::logga_meddelande(
            0, -1, countsText(QStringLiteral("Mappstrukturen har uppdaterats."), before, after), QString());
        appendSystemLog(countsLogLine(before, after));
    } catch (const platform::RunError& e) {
        operation.release();
        Module1::logga_meddelande(
            e, -1, QStringLiteral("Ett fel uppstod när mappstrukturen skulle läsas in och uppdateras."),
            QStringLiteral("Main, uppdatera allt"));
        // Left locked, the main window could not be used again until restarted.
        Tag.clear();
        knappar_låsupp();
    }
}
