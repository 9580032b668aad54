#include "core/module1.h"
#include "core/operations.h"
#include "core/program.h"
#include "platform/click_label.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "restore/folder_list_editor.h"
#include "restore/restore_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

// ---- loading the folders ----------------------------------------------------------------------

void frmåterställ::cmdladdamålmappar_Click() {
    if (busy() || refusedBackupFolder())
        return;
    Operation op(QStringLiteral("återställning"), [this] { mappinläsning_avbruten = 1; });
    if (!op) {
        program().operations().refuse();
        return;
    }
    setBusy(Busy::Listing);
    imghdd2->move(imghdd2->x(), imghdd1->y());
    timerhdd->start(200);
    mappinläsning_avbruten = 0;
    lblinlästamappar->hide();
    cmdavbryt->show();
    cmdnästa->setEnabled(false);
    cmdförra->setEnabled(false);
    auto animationOff = [this] {
        timerhdd->stop();
        imghdd2->hide();
        imghdd1->show();
    };
    try {
        cmdavbryt->setEnabled(true);
        ladda_målmappar();
        cmdavbryt->setEnabled(false);
    } catch (const platform::RunError& e) {
        animationOff();
        op.release();
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod under inläsningen av backupmappar."),
                                  QStringLiteral("Återställ backup, Ladda in mappar"));
        cmdnästa->setEnabled(true);
        cmdförra->setEnabled(true);
        endBusy();
        return;
    }
    const bool focusWasOnStop = cmdavbryt->hasFocus();
    cmdavbryt->hide();
    if (engine.folderCount > 0) {
        cmdnästa->setEnabled(true);
        if (focusWasOnStop || lblhjälp->hasFocus())
            cmdnästa->setFocus(Qt::TabFocusReason);
        lblinlästamappar->setText(QStringLiteral(
            "Mapparna är nu inlästa. Klicka på Nästa för att gå vidare. På nästa sida kan du se eller "
            "ändra vilka mappar som ska återställas, med Redigera mapplista."));
    } else {
        lblinlästamappar->setText(
            QStringLiteral("Inga mappar funna. Du kan ändra dina inställningar genom att klicka "
                           "på Föregående och försöka igen."));
    }
    lblinlästamappar->show();
    cmdförra->setEnabled(true);
    animationOff();
    op.release();
    endBusy();
}

void frmåterställ::ladda_målmappar() {
    List1->hide();
    List1->clear();
    lblmappantal->setText(QStringLiteral("0"));
    // A folder that is not there (an empty box among them) leaves an empty list, so an old list
    // is never scanned against new paths.
    const QString from = txtåterställfrån->text();
    // A job's location can hold the copies of its other main folders too: those are theirs.
    const RestoreMapping mapping = currentMapping();
    std::function<bool(const QString&)> keep;
    if (mapping.isJob() && mapping.isValid() && pathBelow(from, mapping.location()))
        keep = [&mapping](const QString& folder) { return !mapping.originalFolder(folder).isEmpty(); };
    engine.listFolders(from.isEmpty() ? from : platform::withTrailingSeparator(from), keep);
    setFolderList(engine.folders);
    lblmappantal->setText(QString::number(engine.folderCount));
    List1->show();
}

void frmåterställ::setFolderList(const QStringList& folders) {
    if (&folders != &engine.folders)
        engine.folders = folders;
    List1->clear();
    List1->addItems(engine.folders);
}

void frmåterställ::cmdavbryt_Click() {
    mappinläsning_avbruten = 1;
}

void frmåterställ::timerhdd_Timer() {
    if (!timerhdd->isActive())
        return;
    imghdd1->setVisible(!imghdd1->isVisible());
    imghdd2->setVisible(!imghdd2->isVisible());
}

// ---- the folder list --------------------------------------------------------------------------

void frmåterställ::List1_Click() {
    const QListWidgetItem* item = List1->currentItem();
    if (!item || busy())
        return;
    const QString entry = item->text();
    QString to = currentMapping().originalFolder(entry);
    // Shown like the entry: the listed folder with its '/', the folders below it without.
    if (!entry.endsWith('/'))
        to = platform::withoutTrailingSeparator(to);
    txtmarkerad->setText(to);
    txtmarkerad->setCursorPosition(int(to.size()));
}

void frmåterställ::List1_DblClick() {
    const QListWidgetItem* item = List1->currentItem();
    const QString folder = item ? item->text() : QString();
    if (folder.isEmpty())
        return;
    try {
        if (platform::folderExists(folder))
            program().dialogs.showInFileManager(folder);
        else
            Module1::logga_meddelande(0, -1, QStringLiteral("Mappen existerar inte.\r\n") + folder,
                                      QString());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Återställning, öppna backupmapp"));
    }
}

void frmåterställ::cmdöppnamapp_Click() {
    List1_DblClick();
}

void frmåterställ::List1_KeyUp(int keyCode) {
    if (keyCode != 46 || busy())
        return;
    for (int i = List1->count() - 1; i >= 0; --i) {
        if (List1->item(i)->isSelected()) {
            delete List1->takeItem(i);
            engine.folders.removeAt(i);
        }
    }
}

void frmåterställ::cmdmapplista_Click() {
    if (busy())
        return;
    frmåterställ2* d = program().form<frmåterställ2>();
    d->List1->addItems(engine.folders);
    d->takeOver = [this](const QStringList& folders) { setFolderList(folders); };
    program().dialogs.showModal(d);
    program().unload<frmåterställ2>();
}

std::vector<char> frmåterställ::folderMarks() const {
    std::vector<char> marks(size_t(List1->count()), 0);
    for (const QModelIndex& i : List1->selectionModel()->selectedIndexes())
        if (i.row() >= 0 && i.row() < int(marks.size()))
            marks[size_t(i.row())] = 1;
    return marks;
}

// ---- the scan ---------------------------------------------------------------------------------

void frmåterställ::setScanBusy(bool on) {
    if (on) {
        // The first yield lets messages through and shows the counters at once.
        yielded_.invalidate();
        refreshed_.invalidate();
        cmdlogg->hide();
        cmdavbrytcopy->move(cmdlogg->pos());
        cmdavbrytcopy->show();
        Picture1->show();
        Picture5->show();
        lblantalfiler->setText(QStringLiteral("Funna filer: 0"));
        lblantalfiler->show();
        framesökmapp->hide();
        setBar(lblprocent11, Picture1, 0);
        setBar(lblprocent12, Picture5, 0);
    } else {
        cmdavbrytcopy->hide();
        Picture5->hide();
        Picture1->hide();
        framesökmapp->show();
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{chkåterställmarkerad, List1, cmdnästa, cmdförra, cmdmapplista})
        w->setEnabled(!on);
}

void frmåterställ::cmdåterställ_Click() {
    if (busy())
        return;
    List1->selectAll();
    cmdåterställmarkerade_Click();
}

void frmåterställ::cmdåterställmarkerade_Click() {
    if (busy())
        return;
    const std::vector<char> marks = folderMarks();
    const RestoreMapping mapping = currentMapping();
    const bool newerToo = chkåterställ2->isChecked();
    if (std::find(marks.begin(), marks.end(), 1) == marks.end()) {
        engine.scan(marks, mapping, newerToo);
        resultModel->reload();
        report(QStringLiteral("Du har inte markerat någon mapp. Det finns inget att återställa."));
        return;
    }
    if (!mapping.isValid()) {
        engine.scan({}, mapping, newerToo);
        resultModel->reload();
        report(QStringLiteral("FEL! Det finns ingen giltig mapp att återställa till."));
        return;
    }
    if (const QString why = restoreNestingProblem(mapping.location(), mapping.original()); !why.isEmpty()) {
        engine.scan({}, mapping, newerToo);
        resultModel->reload();
        report(why);
        return;
    }
    Operation op(QStringLiteral("återställning"), [this] { avbrottsflagga = 1; });
    if (!op) {
        program().operations().refuse();
        return;
    }
    setBusy(Busy::Scan);
    avbrottsflagga = 0;
    setScanBusy(true);
    resultModel->reload();
    const RestoreEngine::Result r = engine.scan(marks, mapping, newerToo);
    // The messages below wait for the user: the gate is free by then.
    op.release();
    resultModel->reload();
    refreshProgress();
    setBar(lblprocent11, Picture1, 1);
    setBar(lblprocent12, Picture5, 1);
    if (r.outcome == RestoreEngine::Outcome::Done) {
        lblantalfiler->setText(lblantalfiler->text() + QStringLiteral(" av ") +
                               QString::number(engine.genomsökta_filer));
        txtmarkerad->clear();
    } else if (r.outcome == RestoreEngine::Outcome::Stopped) {
        report(QStringLiteral("Genomsökningen av valda mappar avbröts av användaren."));
    } else if (r.outcome == RestoreEngine::Outcome::Failed) {
        Module1::logga_meddelande(r.error, closeRequested_ ? 0 : -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Återställ backup, genomsök mappar"));
    }
    if (!engine.refusedNames.isEmpty())
        lblantalfiler->setText(lblantalfiler->text() + QStringLiteral(". Namn med otillåtna tecken: ") +
                               QString::number(engine.refusedNames.size()) +
                               QStringLiteral(" (se programloggen)"));
    setScanBusy(false);
    if (!engine.skippedFolders.isEmpty()) {
        for (const QString& f : engine.skippedFolders)
            systemLog(QStringLiteral("FEL! Mappen ligger utanför ") + mapping.location() +
                          QStringLiteral(" och genomsöktes inte: ") + f,
                      true);
        report(QStringLiteral(
                   "FEL! %1 markerade mappar ligger utanför %2 och genomsöktes inte. De har skrivits i "
                   "programloggen.")
                   .arg(engine.skippedFolders.size())
                   .arg(mapping.location().isEmpty() ? QStringLiteral("återställningsmappen")
                                                     : mapping.location()));
    }
    QString done = QStringLiteral("Genomsökningen av valda mappar är klar. ") + lblantalfiler->text();
    if (const QString unread = engine.unreadableText(); !unread.isEmpty())
        done += QStringLiteral(". ") + unread + QStringLiteral(" (se programloggen)");
    if (engine.filräknare > 0)
        done += QStringLiteral(". Klicka på OK för att se filerna.");
    report(done);
    endBusy();
}
