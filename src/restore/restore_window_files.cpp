#include "core/module1.h"
#include "core/operations.h"
#include "core/program.h"
#include "platform/files.h"
#include "restore/restore_log.h"
#include "restore/restore_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>

// ---- the file list ----------------------------------------------------------------------------

int frmåterställ::currentResultRow() const {
    const QModelIndex i = Liståterställtill->currentIndex();
    return i.isValid() ? i.row() : -1;
}

std::vector<char> frmåterställ::entryMarks() const {
    std::vector<char> marks(engine.entries.size(), 0);
    for (const QModelIndex& i : Liståterställtill->selectionModel()->selectedIndexes())
        if (i.row() >= 0 && i.row() < int(marks.size()))
            marks[size_t(i.row())] = 1;
    return marks;
}

void frmåterställ::Liståterställtill_Click() {
    const int row = currentResultRow();
    if (busy() || row < 0 || row >= int(engine.entries.size()))
        return;
    txtmarkerad2->setText(engine.entries[size_t(row)].backup);
}

void frmåterställ::Liståterställtill_DblClick() {
    cmdöppnafil_Click();
}

void frmåterställ::cmdöppnafil_Click() {
    const int row = currentResultRow();
    if (row < 0 || row >= int(engine.entries.size()))
        return;
    // Always the backup copy: the original of a "+ " entry is missing.
    const QString path = engine.entries[size_t(row)].backup;
    if (path.isEmpty())
        return;
    if (!platform::fileExists(path)) {
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Kunde inte hitta filen ") + path + QStringLiteral("."), QString());
        return;
    }
    program().dialogs.openUrl(path);
}

void frmåterställ::Liståterställtill_KeyUp(int keyCode) {
    if (keyCode != 46 || busy())
        return;
    std::vector<int> rows;
    for (const QModelIndex& i : Liståterställtill->selectionModel()->selectedIndexes())
        rows.push_back(i.row());
    engine.removeEntries(rows);
}

void frmåterställ::chkåterställmarkerad2_Click() {
    const bool marked = chkåterställmarkerad2->isChecked();
    cmdåterställmarkeradefiler->move(cmdåterställfiler->pos());
    cmdåterställmarkeradefiler->setVisible(marked);
    cmdåterställfiler->setVisible(!marked);
}

// ---- search -----------------------------------------------------------------------------------

void frmåterställ::searchList(QLineEdit* box, int from, bool folders) {
    const QString text = box->text();
    int hit = -1;
    if (folders) {
        hit = findEntry(List1->count(), from, text, [this](int i) { return List1->item(i)->text(); });
    } else {
        hit = findEntry(int(engine.entries.size()), from, text,
                        [this](int i) { return engine.entries[size_t(i)].display(); });
    }
    if (hit < 0) {
        setTextColour(box, QColor(128, 0, 0));
        return;
    }
    setTextColour(box, QColor(0, 128, 0));
    if (folders) {
        List1->setCurrentRow(hit, QItemSelectionModel::ClearAndSelect);
        List1->scrollToItem(List1->item(hit));
    } else {
        const QModelIndex i = resultModel->index(hit);
        Liståterställtill->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
        Liståterställtill->scrollTo(i);
    }
}

void frmåterställ::txtsökmapplista_Change() {
    searchList(txtsökmapplista, 0, true);
}

void frmåterställ::txtsökmapplista_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        cmdsökmapplistanästa_Click();
}

void frmåterställ::cmdsökmapplistanästa_Click() {
    searchList(txtsökmapplista, List1->currentRow() + 1, true);
}

void frmåterställ::txtsökfillista_Change() {
    searchList(txtsökfillista, 0, false);
}

void frmåterställ::txtsökfillista_KeyPress(int keyAscii) {
    if (keyAscii == 13)
        cmdsökfillistanästa_Click();
}

void frmåterställ::cmdsökfillistanästa_Click() {
    searchList(txtsökfillista, currentResultRow() + 1, false);
}

// ---- the copy back ----------------------------------------------------------------------------

void frmåterställ::setCopyBusy(bool on) {
    if (on) {
        // The first yield lets messages through and shows the counters at once.
        yielded_.invalidate();
        refreshed_.invalidate();
        cmdlogg->hide();
        cmdavbrytcopy2->show();
        Picture2->show();
        setBar(lblprocent45, Picture2, 0);
        lblantalfiler2->setText(QStringLiteral("Återställda filer: 0"));
        framesökfil->hide();
    } else {
        Picture2->hide();
        framesökfil->show();
        cmdlogg->show();
        cmdavbrytcopy2->hide();
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{cmdåterställmarkeradefiler, cmdåterställfiler, chkåterställmarkerad2,
                                         Liståterställtill, cmdnästa, cmdförra})
        w->setEnabled(!on);
}

void frmåterställ::cmdåterställfiler_Click() {
    if (busy())
        return;
    Liståterställtill->selectAll();
    restoreFiles(true);
}

void frmåterställ::cmdåterställmarkeradefiler_Click() {
    restoreFiles(false);
}

void frmåterställ::restoreFiles(bool wholeList) {
    if (busy())
        return;
    const std::vector<char> marks = wholeList ? std::vector<char>(engine.entries.size(), 1) : entryMarks();
    if (std::find(marks.begin(), marks.end(), 1) == marks.end()) {
        report(QStringLiteral("Du har inte markerat någon fil. Det finns inget att återställa."));
        return;
    }
    if (refusedBackupFolder())
        return;
    Operation op(QStringLiteral("återställning"), [this] { avbrottsflagga = 1; });
    if (!op) {
        program().operations().refuse();
        return;
    }
    // Another process of this program folder would write log.txt at the same time.
    RunLock lock;
    if (!lock.take(QStringLiteral("en återställning"))) {
        op.release();
        Module1::logga_meddelande(0, -1, lock.refusal(QStringLiteral("Återställningen")),
                                  QStringLiteral("Återställ backup, utför"));
        return;
    }
    RestoreEngine::CopyRun run;
    if (!manualMode())
        run.jobName = combojobb->currentText().toUpper();
    run.restoreFrom = txtåterställfrån->text();
    setBusy(Busy::Copy);
    avbrottsflagga = 0;
    currentBackup_.clear();
    setCopyBusy(true);
    const RestoreEngine::CopyResult r = engine.copyBack(marks, run);
    // The logs are written; the messages below wait for the user.
    lock.release();
    op.release();
    refreshProgress();
    setBar(lblprocent45, Picture2, 1);
    // Copied of marked: the entries that stayed were not restored.
    const QString caption = QStringLiteral("Återställda filer: %1 av %2").arg(r.totals.files).arg(r.marked);
    lblantalfiler2->setText(caption);
    txtmarkerad2->clear();
    const QString elapsed = QStringLiteral("Tidsåtgång: ") + restorelog::elapsedText(r.start.secsTo(r.end));
    setCopyBusy(false);
    if (r.outcome == RestoreEngine::Outcome::Failed) {
        Module1::logga_meddelande(r.error, closeRequested_ ? 0 : -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Återställ backup, utför"));
    } else {
        // "Återställ dessa filer" restores the list whatever rows are marked: only the marked-only
        // restore speaks of chosen files.
        QString head = wholeList ? QStringLiteral("Återställningen av filerna i listan ")
                                 : QStringLiteral("Återställningen av valda filer ");
        if (r.outcome == RestoreEngine::Outcome::Stopped)
            head += QStringLiteral("avbröts av användaren. ");
        else if (r.totals.errors > 0)
            head += QStringLiteral("är klar men fel uppstod. ");
        else
            head += QStringLiteral("lyckades. ");
        systemLog(head + caption, false);
        systemLog(elapsed, false);
        report(head + caption + QStringLiteral(". Se loggen för information."));
    }
    endBusy();
}

// ---- log, close, stop -------------------------------------------------------------------------

void frmåterställ::cmdlogg_Click() {
    Module1::visa_logg(0);
}

void frmåterställ::cmdlogg_MouseUp(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        Module1::visa_logg(1);
}

void frmåterställ::cmdstäng_Click() {
    close();
}

void frmåterställ::cmdavbrytcopy_Click() {
    if (program().dialogs.msgBox(QStringLiteral("Vill du avbryta?"), platform::MsgButtons::YesNo,
                                 platform::MsgIcon::Question,
                                 QStringLiteral("Avbryta?")) == platform::Answer::Yes)
        avbrottsflagga = 1;
}

void frmåterställ::cmdavbrytcopy2_Click() {
    cmdavbrytcopy_Click();
}
