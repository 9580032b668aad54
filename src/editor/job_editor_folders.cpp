// Main folders, the job's folder list, the folder scan in the editor and the excluded folders.
#include "core/module1.h"
#include "core/program.h"
#include "editor/excluded_folders.h"
#include "editor/folder_scan.h"
#include "editor/job_editor_window.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QShortcut>

namespace {

// The backup window when a run is going on, else nullptr. Never loads the window.
RunServices* runningBackup() {
    RunServices& b = program().run();
    return b.runGoingOn() ? &b : nullptr;
}

void appendRunLogLine(RunServices* b, const QString& text) {
    b->appendProgressText(QStringLiteral("\n") + platform::timeText(program().clock.now()) + text);
}

QStringList listItems(const QListWidget* list) {
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void setListItems(QListWidget* list, const QStringList& items) {
    list->clear();
    list->addItems(items);
}

// Watches the editor while a folder is added: no closing, and key releases of the folder list.
class FolderAreaFilter : public QObject {
  public:
    FolderAreaFilter(frmaddmapp* editor) : QObject(editor), editor_(editor), list_(editor->lstFoundFiles) {}

  protected:
    // Events also come while the editor's children are destroyed, after its own destructor: the
    // editor is touched only for the two events that never come then.
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Close && watched == editor_ && editor_->folderScanBusy()) {
            e->ignore();
            return true;
        }
        if (e->type() == QEvent::KeyRelease && watched == list_)
            editor_->lstFoundFiles_KeyUp(static_cast<QKeyEvent*>(e)->key());
        return false;
    }

  private:
    frmaddmapp* editor_;
    const QObject* list_;
};

} // namespace

// ---- main folders and folder list ------------------------------------------------------------

void frmaddmapp::connectFolderControls() {
    auto* filter = new FolderAreaFilter(this);
    installEventFilter(filter);
    lstFoundFiles->installEventFilter(filter);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setEnabled(false);
    folderEscape_ = escape;
    QObject::connect(escape, &QShortcut::activated, this, [this] {
        if (cmdexit->isEnabled())
            cmdexit_Click();
    });

    QObject::connect(cmdhämtamapp, &QPushButton::clicked, this, [this] { cmdhämtamapp_Click(); });
    QObject::connect(cmdtabortmappar, &QPushButton::clicked, this, [this] { cmdtabortmappar_Click(); });
    QObject::connect(cmduppdatera, &QPushButton::clicked, this, [this] { cmduppdatera_Click(); });
    QObject::connect(cmdmappfullskärm, &QPushButton::clicked, this, [this] { cmdmappfullskärm_Click(); });
    QObject::connect(cmdexit, &QPushButton::clicked, this, [this] { cmdexit_Click(); });
    QObject::connect(cmdexmappar, &QPushButton::clicked, this, [this] { cmdexmappar_Click(); });
    QObject::connect(combomappar, &QListWidget::currentRowChanged, this, [this] {
        if (!editingFolderLists_)
            combomappar_Click();
    });
    acceptDrops(combomappar, [this](const QStringList& paths) { combomappar_OLEDragDrop(paths); });
    acceptDrops(lstFoundFiles, [this](const QStringList& paths) { lstFoundFiles_OLEDragDrop(paths); });
}

bool frmaddmapp::coveredByMainFolder(const QString& folder) const {
    for (int i = 0; i < combomappar->count(); ++i)
        if (platform::isSameOrBelow(folder, combomappar->item(i)->text()))
            return true;
    return false;
}

bool frmaddmapp::folderInputBlocked() const {
    return folderBusy_ || saving();
}

void frmaddmapp::setLblCount(const QString& text) {
    lblCount->setText(text);
    lblCount_Change();
}

void frmaddmapp::lblCount_Change() {
    if (program().mainWindow().tag() == QLatin1String("sync"))
        program().run().setSyncFolderCount(QStringLiteral("Antal inlästa mappar: ") + lblCount->text());
}

void frmaddmapp::showTotal() {
    lblCount2->setText(QString::number(lstFoundFiles->count()));
}

void frmaddmapp::dirList_Change() {
    lblmapp = dirList;
}

void frmaddmapp::drvList_Change() {
    if (platform::volumePresent(drvList)) {
        dirList = drvList;
        dirList_Change();
    } else {
        drvList = platform::volumeRoot(dirList);
    }
}

void frmaddmapp::setDriveAndFolder(const QString& folder) {
    if (!platform::folderExists(folder))
        platform::throwError(76);
    drvList = platform::volumeRoot(folder);
    drvList_Change();
    dirList = folder;
    dirList_Change();
}

void frmaddmapp::beginFolderAdd() {
    folderBusy_ = true;
    for (QWidget* w :
         {static_cast<QWidget*>(cmdhämtamapp), static_cast<QWidget*>(chksubmapp),
          static_cast<QWidget*>(cmdexmappar), static_cast<QWidget*>(Frame3), static_cast<QWidget*>(cmdstäng),
          static_cast<QWidget*>(cmdok), static_cast<QWidget*>(cmduppdatera),
          static_cast<QWidget*>(cmdtabortmappar), static_cast<QWidget*>(cmdmappfullskärm)})
        w->setEnabled(false);
    cmdexit->show();
    cmdexit->setEnabled(true);
    QFont f = cmdexit->font();
    f.setBold(true);
    cmdexit->setFont(f);
    static_cast<QShortcut*>(folderEscape_)->setEnabled(true);
}

void frmaddmapp::endFolderAdd() {
    for (QWidget* w :
         {static_cast<QWidget*>(cmdhämtamapp), static_cast<QWidget*>(chksubmapp),
          static_cast<QWidget*>(cmdexmappar), static_cast<QWidget*>(Frame3), static_cast<QWidget*>(cmdstäng),
          static_cast<QWidget*>(cmdok), static_cast<QWidget*>(cmduppdatera),
          static_cast<QWidget*>(cmdtabortmappar), static_cast<QWidget*>(cmdmappfullskärm)})
        w->setEnabled(true);
    static_cast<QShortcut*>(folderEscape_)->setEnabled(false);
    QFont f = cmdexit->font();
    f.setBold(false);
    cmdexit->setFont(f);
    cmdexit->setEnabled(false);
    cmdexit->hide();
    folderBusy_ = false;
}

void frmaddmapp::untickRescanOption() {
    chkuppdateramappar->setEnabled(false);
    if (!chkuppdateramappar->isChecked())
        return;
    chkuppdateramappar->setChecked(false);
    Module1::logga_meddelande(
        0, -1,
        QStringLiteral(
            "INFORMATION:\r\nDu har valt att lägga till en mapp utan att inkludera dess undermappar. Detta "
            "kan inte kombineras med alternativet \"Känn av ändringar i mappstrukturen\", och "
            "alternativet har därför valts bort."),
        QString());
}

void frmaddmapp::cmdSearch_Click() {
    if (folderInputBlocked())
        return; // a drop or click that arrives while a folder is being added
    cmdexit_Tag.clear();
    beginFolderAdd();
    if (chksubmapp->isChecked()) {
        starta_sökning();
    } else {
        const QString folder = dirList;
        if (!coveredByMainFolder(folder))
            combomappar->addItem(folder);
        lblmapp = folder;
        lstFoundFiles->addItem(folder);
        setLblCount(QStringLiteral("1"));
        showTotal();
        untickRescanOption();
    }
    endFolderAdd();
}

void frmaddmapp::starta_sökning() {
    cmdexit_Tag.clear();
    if (program().run().cancelRequested())
        return;
    if (lblmapp.isEmpty() || !platform::folderExists(lblmapp))
        return;
    const bool sync = program().mainWindow().tag() == QLatin1String("sync");
    QStringList* syncList = sync ? program().run().syncFolders() : nullptr;
    if (!sync && !coveredByMainFolder(lblmapp))
        combomappar->addItem(lblmapp);

    QStringList pending;
    auto flush = [&](int count) {
        if (!pending.isEmpty()) {
            lstFoundFiles->addItems(pending);
            pending.clear();
        }
        setLblCount(QString::number(count));
        showTotal();
    };
    FolderScan::Options o;
    o.subfolders = chksubmapp->isChecked();
    o.leaveOut = {txtbackupmapp->currentText(), txtversionmapp->text()};
    o.cancelled = [this] { return cmdexit_Tag == QLatin1String("avbryt"); };
    o.found = [&](const QString& path, int) {
        if (syncList)
            *syncList << path;
        else
            pending << path;
    };
    o.progress = flush;
    int count = 0;
    try {
        count = FolderScan::run(lblmapp, o);
    } catch (const platform::RunError& e) {
        flush(count);
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("addmapp, starta sökning"));
    }
}

void frmaddmapp::uppdatera_innehåll() {
    if (folderBusy_)
        return;
    RunServices* run = runningBackup();
    setLblCount(QString());
    const int row = combomappar->currentRow();
    if (row < 0) {
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Du måste markera en huvudmapp för att uppdatera dess undermappar."),
            QString());
        return;
    }
    const QString folder = combomappar->item(row)->text();
    const bool byUser = program().mainWindow().tag().isEmpty();
    try {
        if (byUser)
            program().systemLog().append(QStringLiteral("Uppdaterar mappstruktur för mappen \"") + folder +
                                         QStringLiteral("\"."));
        if (run)
            run->setStatusText(QStringLiteral("Läser in ") + folder);

        if (!platform::folderExists(folder)) {
            if (run) {
                run->setStatusText(QString());
                Module1::logga_meddelande(
                    -1, 0,
                    QStringLiteral("FEL! Mappen finns inte på den här datorn, och kan inte uppdateras. ") +
                        folder,
                    QStringLiteral("Uppdatera mappstruktur"));
                appendRunLogLine(run, QStringLiteral(" FEL: Mappen finns inte på den här datorn och kan inte "
                                                     "uppdateras (") +
                                          folder + QStringLiteral(")"));
            } else {
                Module1::logga_meddelande(
                    0, -1,
                    QStringLiteral("FEL! Mappen finns inte på den här datorn, och kan inte uppdateras.\r\n") +
                        folder,
                    QStringLiteral("Uppdatera mappstruktur"));
            }
            return;
        }

        // The folder is scanned first; the lists change only when the scan has run to its end,
        // so a cancelled or failed rescan never drops the main folder or its known subfolders.
        setDriveAndFolder(folder);
        QStringList fresh;
        QStringList unreadable;
        bool complete = true;
        if (chksubmapp->isChecked()) {
            cmdexit_Tag.clear();
            beginFolderAdd();
            FolderScan::Options o;
            // The job's own folders are no source, whatever name the scan meets them by.
            o.leaveOut = {txtbackupmapp->currentText(), txtversionmapp->text()};
            o.cancelled = [this] { return cmdexit_Tag == QLatin1String("avbryt"); };
            o.found = [&fresh](const QString& path, int) { fresh << path; };
            o.unreadable = [&unreadable, run](const QString& path, const platform::RunError& e) {
                unreadable << path;
                // What lies below it is not known, so the run's copy would not say it is missed.
                if (run)
                    run->unreadableSource(path, e);
            };
            o.progress = [this](int n) { setLblCount(QString::number(n)); };
            if (run) {
                // The run's count takes the files seen here, and reads these folders no more.
                o.filePattern = run->countPattern();
                o.read = [run](const QString& path, platform::FolderFiles&& seen) {
                    run->sourceFolderRead(path, std::move(seen));
                };
            }
            try {
                FolderScan::run(folder, o);
            } catch (...) {
                endFolderAdd();
                throw;
            }
            endFolderAdd();
            complete = cmdexit_Tag != QLatin1String("avbryt");
        } else {
            fresh << folder;
            untickRescanOption();
        }
        if (!complete) {
            setLblCount(QString());
            if (run)
                run->setStatusText(QString());
            return;
        }

        const QStringList all = listItems(lstFoundFiles);
        QStringList kept;
        kept.reserve(all.size());
        QStringList carried;
        const QSet<QString> freshSet(fresh.begin(), fresh.end());
        int before = 0;
        for (const QString& e : all) {
            if (!platform::isSameOrBelow(e, folder)) {
                kept << e;
                continue;
            }
            ++before;
            // Folders below one that could not be read this time are still known to the job.
            if (freshSet.contains(e))
                continue;
            for (const QString& u : unreadable)
                if (e != u && platform::isSameOrBelow(e, u)) {
                    carried << e;
                    break;
                }
        }
        editingFolderLists_ = true;
        delete combomappar->takeItem(row);
        combomappar->setCurrentRow(-1);
        if (!coveredByMainFolder(folder))
            combomappar->addItem(folder);
        setListItems(lstFoundFiles, kept + fresh + carried);
        editingFolderLists_ = false;
        setLblCount(QString::number(fresh.size()));
        showTotal();

        if (byUser) {
            rensa_exmappar();
            const int after = lstFoundFiles->count();
            showTotal();
            Module1::logga_meddelande(
                0, -1,
                QStringLiteral("Mappstrukturen har uppdaterats.\r\n") + folder +
                    QStringLiteral("\r\n\r\nFöre: ") +
                    platform::countText(before, QStringLiteral("mapp"), QStringLiteral("mappar")) +
                    QStringLiteral("\r\nEfter: ") +
                    platform::countText(after, QStringLiteral("mapp"), QStringLiteral("mappar")),
                QString());
            program().systemLog().append(
                QStringLiteral("Mappstrukturen har uppdaterats för mappen \"") + folder +
                QStringLiteral("\". Före: ") +
                platform::countText(before, QStringLiteral("mapp"), QStringLiteral("mappar")) +
                QStringLiteral(". Efter: ") +
                platform::countText(after, QStringLiteral("mapp"), QStringLiteral("mappar")));
        }
        if (run)
            run->setStatusText(QString());
    } catch (const platform::RunError& e) {
        editingFolderLists_ = false;
        if (run)
            run->setStatusText(QString());
        Module1::logga_meddelande(e, -1,
                                  QStringLiteral("Ett fel uppstod när mappstrukturen skulle uppdateras."),
                                  QStringLiteral("Jobb, uppdatera mappstruktur"));
    }
}

void frmaddmapp::cmduppdatera_Click() {
    uppdatera_innehåll();
}

void frmaddmapp::cmdtabortmappar_Click() {
    if (folderInputBlocked())
        return;
    const int row = combomappar->currentRow();
    if (row < 0)
        return;
    const QString folder = combomappar->item(row)->text();
    QStringList kept;
    for (const QString& e : listItems(lstFoundFiles))
        if (!platform::isSameOrBelow(e, folder))
            kept << e;
    editingFolderLists_ = true;
    setListItems(lstFoundFiles, kept);
    delete combomappar->takeItem(row);
    combomappar->setCurrentRow(-1);
    editingFolderLists_ = false;
    showTotal();
}

void frmaddmapp::lstFoundFiles_KeyUp(int key) {
    if (key == Qt::Key_Delete && !folderInputBlocked()) {
        for (int i = lstFoundFiles->count() - 1; i >= 0; --i)
            if (lstFoundFiles->item(i)->isSelected())
                delete lstFoundFiles->takeItem(i);
    }
    showTotal();
}

void frmaddmapp::combomappar_Click() {
    QListWidgetItem* it = combomappar->currentItem();
    if (!it)
        return;
    const QString folder = it->text();
    if (folder.isEmpty() || platform::isNetworkPath(folder))
        return;
    const QString place = QStringLiteral("Jobb, listval: huvudmapp");
    try {
        if (platform::folderExists(folder)) {
            setDriveAndFolder(folder);
            return;
        }
        const QString msg = QStringLiteral("FEL! Mappen \"") + folder + QStringLiteral("\" finns inte!");
        if (RunServices* run = runningBackup()) {
            Module1::logga_meddelande(-1, 0, msg, place);
            appendRunLogLine(
                run, QStringLiteral(" FEL: Mappen finns inte på den här datorn och kan inte uppdateras (") +
                         folder + QStringLiteral(")"));
        } else {
            Module1::logga_meddelande(0, isVisible() ? -1 : 0, msg, place);
        }
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."), place);
    }
}

void frmaddmapp::addDroppedFolders(const QStringList& paths) {
    if (folderInputBlocked())
        return; // folders dropped while a scan runs are refused, never added half-way
    for (const QString& p : paths) {
        try {
            setDriveAndFolder(p);
        } catch (const platform::RunError& e) {
            Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                      QStringLiteral("Mapp, drag n drop, mapplista"));
            return;
        }
        cmdSearch_Click();
    }
}

void frmaddmapp::combomappar_OLEDragDrop(const QStringList& paths) {
    addDroppedFolders(paths);
}

void frmaddmapp::lstFoundFiles_OLEDragDrop(const QStringList& paths) {
    addDroppedFolders(paths);
}

void frmaddmapp::cmdhämtamapp_Click() {
    if (folderInputBlocked())
        return;
    // Opens at the main folder marked in the list, when one is.
    const QString folder =
        bläddra_efter_mapp(0, 0x150, QStringLiteral("Leta upp mappen du vill lägga till, och klicka på Välj"),
                           combomappar->currentItem() ? combomappar->currentItem()->text() : QString());
    if (folder.isEmpty())
        return;
    // The scan disables the button and the focus moved on to the folder list, where the next
    // Return pressed OK: it comes back to the button, ready for the next folder.
    const auto focusBack = qScopeGuard([this] {
        if (cmdhämtamapp->isEnabled() && cmdhämtamapp->isVisible())
            cmdhämtamapp->setFocus(Qt::OtherFocusReason);
    });
    try {
        if (!platform::folderExists(folder)) {
            Module1::logga_meddelande(
                0, -1, QStringLiteral("Mappen \"") + folder + QStringLiteral("\" finns inte!"), QString());
            return;
        }
        setDriveAndFolder(folder);
        cmdSearch_Click();
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Jobb, Välj mapp"));
    }
}

void frmaddmapp::cmdexit_Click() {
    if (program().dialogs.msgBox(QStringLiteral("Vill du avbryta?"), platform::MsgButtons::YesNo,
                                 platform::MsgIcon::Question,
                                 QStringLiteral("Avbryta?")) == platform::Answer::Yes)
        cmdexit_Tag = QStringLiteral("avbryt");
}

void frmaddmapp::cmdmappfullskärm_Click() {
    if (folderInputBlocked())
        return;
    frmexmappar* d = program().form<frmexmappar>();
    d->List1->addItems(listItems(lstFoundFiles));
    d->showSingleList();
    program().dialogs.showModal(d);
    program().unload<frmexmappar>();
}

// ---- excluded folders ------------------------------------------------------------------------

void frmaddmapp::cmdexmappar_Click() {
    if (folderInputBlocked())
        return;
    frmexmappar* d = program().form<frmexmappar>();
    d->List1->addItems(listItems(lstFoundFiles));
    d->List2->addItems(listexmappar);
    d->takeOver = [this](const QStringList& folders, const QStringList& excluded) {
        listexmappar = excluded;
        setListItems(lstFoundFiles, folders);
        showTotal();
        cmdexmappar->setText(excludedFoldersCaption(int(listexmappar.size())));
    };
    program().dialogs.showModal(d);
    program().unload<frmexmappar>();
}

void frmaddmapp::rensa_exmappar() {
    QStringList folders = listItems(lstFoundFiles);
    if (removeExcludedFolders(folders, listexmappar) > 0)
        setListItems(lstFoundFiles, folders);
}

void frmaddmapp::rensa_saknade_exmappar() {
    pruneMissingExcludedFolders(listexmappar);
}
