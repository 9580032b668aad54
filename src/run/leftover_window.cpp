#include "run/leftover_window.h"

#include "core/backup_folders.h"
#include "core/job_rules.h"
#include "core/module1.h"
#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/own_tree.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "platform/widgets.h"
#include "run/backup_window.h"
#include "run/run_status.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <map>
#include <memory>

namespace {
constexpr int kTwip = 15;
} // namespace

QString schemasyncFolder() {
    return program().path(QStringLiteral("Schemasync"));
}

void refreshSavedListsLink() {
    bool any = false;
    try {
        if (platform::folderExists(schemasyncFolder()))
            for (const platform::FileEntry& e : platform::listFiles(schemasyncFolder()))
                if (e.name.endsWith(QLatin1String(".schemasync"), Qt::CaseInsensitive))
                    any = true;
    } catch (const platform::RunError&) {
    }
    if (any)
        program().mainWindow().setLblstatus2Visible(true);
}

void writeLeftoverList(const QString& dateTimeText, const QStringList& entries) {
    const QString folder = schemasyncFolder();
    if (!platform::folderExists(folder))
        platform::makePath(folder);
    QString name = dateTimeText;
    name.replace(':', '.');
    platform::writeLines(platform::joinPath(folder, name + QStringLiteral(".schemasync")), entries);
    program().systemLog().append(
        QStringLiteral("Skapade en speglingslogg för mappar/filer som kan raderas, daterad ") + name +
        QStringLiteral("."));
    refreshSavedListsLink();
}

frmsyncfilermappar::frmsyncfilermappar() {
    setObjectName(QStringLiteral("frmsyncfilermappar"));
    setWindowTitle(QStringLiteral("Överblivna filer och mappar..."));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setMinimumSize(11310 / kTwip, 3465 / kTwip);
    resize(11310 / kTwip, 6000 / kTwip);
    Label1 = new QLabel(
        QStringLiteral("Den simulerade speglingen är slutförd. Nedan ser du filer och mappar som inte "
                       "längre finns på originalplatsen och därför kan raderas."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    lblinfo = new QLabel(this);
    lblinfo->setObjectName(QStringLiteral("lblinfo"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setUniformItemSizes(true); // a mirror may leave tens of thousands of entries
    List1->setAccessibleName(QStringLiteral("Överblivna filer och mappar"));
    chkpapperskorgen = new QCheckBox(QStringLiteral("Flytta till papperskorgen"), this);
    chkpapperskorgen->setObjectName(QStringLiteral("chkpapperskorgen"));
    cmdraderamarkerad = platform::namedButton(this, "cmdraderamarkerad", QStringLiteral("Radera markerade"));
    cmdraderaalla = platform::namedButton(this, "cmdraderaalla", QStringLiteral("Radera alla"));
    cmdöppna = platform::namedButton(this, "cmdöppna", QStringLiteral("Öppna markerad"));
    cmdsparalogg = platform::namedButton(this, "cmdsparalogg", QStringLiteral("Spara till senare..."));
    cmdstäng = platform::namedButton(this, "cmdstäng", QStringLiteral("Stäng"));

    platform::setCancelButton(cmdstäng, true); // Escape closes the list as Stäng does

    connect(cmdraderamarkerad, &QPushButton::clicked, this, [this] { cmdraderamarkerad_Click(); });
    connect(cmdraderaalla, &QPushButton::clicked, this, [this] { cmdraderaalla_Click(); });
    connect(cmdöppna, &QPushButton::clicked, this, [this] { cmdöppna_Click(); });
    connect(cmdsparalogg, &QPushButton::clicked, this, [this] { cmdsparalogg_Click(); });
    connect(cmdstäng, &QPushButton::clicked, this, [this] { cmdstäng_Click(); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { List1_DblClick(); });
}

void frmsyncfilermappar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const int inner = width() - 255 / kTwip;
    Label1->setGeometry(8, 8, inner, 36);
    lblinfo->setGeometry(8, 46, inner, 20);
    const int by = height() - 40;
    List1->setGeometry(8, 70, inner, std::max(40, by - 110));
    chkpapperskorgen->setGeometry(8, by - 32, 260, 24);
    cmdraderamarkerad->setGeometry(8, by, 140, 28);
    cmdraderaalla->setGeometry(156, by, 110, 28);
    cmdöppna->setGeometry(274, by, 130, 28);
    cmdsparalogg->setGeometry(412, by, 140, 28);
    cmdstäng->setGeometry(8 + inner - 100, by, 100, 28);
}

void frmsyncfilermappar::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        runstatus::centreOverRunWindow(this);
}

QStringList frmsyncfilermappar::entries() const {
    QStringList out;
    for (int i = 0; i < List1->count(); ++i)
        out << List1->item(i)->text();
    return out;
}

void frmsyncfilermappar::cmdraderaalla_Click() {
    if (deleting_)
        return;
    List1->selectAll(); // one range: marking row by row grows slower with every row
    cmdraderamarkerad_Click();
}

void frmsyncfilermappar::cmdraderamarkerad_Click() {
    if (deleting_)
        return;
    Operation operation(QStringLiteral("radering från speglingsloggen"));
    if (!operation) {
        program().operations().refuse();
        return;
    }
    deleting_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    int mappar = 0, filer = 0;
    const bool trash = chkpapperskorgen->isChecked();
    // A list may come from a file anyone could have written: only what lies inside a job's backup
    // folder is deleted, through that folder's own handles: never through a link, never into a
    // drive or bind mount below it.
    const QStringList backupFolders = jobrules::trustedBackupFolders(program().programFolder());
    std::map<QString, std::unique_ptr<platform::OwnTree>> trees;
    auto treeFor = [&](const QString& entry) -> const platform::OwnTree& {
        QString deepest; // a backup folder may lie inside another's
        for (const QString& f : backupFolders)
            if (f.size() > deepest.size() && platform::isSameOrBelow(entry, f))
                deepest = f;
        std::unique_ptr<platform::OwnTree>& tree = trees[deepest];
        if (!tree)
            tree = std::make_unique<platform::OwnTree>(deepest);
        if (!tree->isOpen())
            platform::throwErrno(tree->openError());
        return *tree;
    };
    // Deletes the entry; false when a mount inside it (named in `kept`) keeps some of it.
    auto remove = [&](const QString& path, QString& kept) {
        const platform::OwnTree& tree = treeFor(path);
        auto otherMount = [&](const QString& m) {
            if (kept.isEmpty())
                kept = m;
        };
        if (trash) {
            switch (tree.checkWhole(path, otherMount)) {
            case platform::OwnTree::Step::Ok:
                platform::moveToTrash(path);
                return true;
            case platform::OwnTree::Step::Missing:
                return true;
            case platform::OwnTree::Step::OtherMount:
                return false;
            default:
                platform::throwError(76); // a link on its way since the list was checked
            }
        }
        platform::OwnTree::Removal r;
        r.otherMount = otherMount;
        return tree.remove(path, r);
    };
    // Handled rows leave the list together a few times a second: each change of the list lays out
    // all its rows again. Rows are handled from the last, so taking them later moves no row before.
    std::vector<int> handledShown;
    QElapsedTimer sinceTaken;
    sinceTaken.start();
    auto takeHandled = [&] {
        for (int r : handledShown)
            delete List1->takeItem(r);
        handledShown.clear();
        sinceTaken.restart();
    };
    try {
        for (int i = List1->count() - 1; i >= 0; --i) {
            platform::doEventsThrottled();
            if (program().operations().stopRequested())
                break;
            if (i >= List1->count())
                continue;
            QListWidgetItem* item = List1->item(i);
            const QString text = item->text();
            if (!item->isSelected() || text.isEmpty())
                continue;
            if (const QString problem = backupfolders::deletionProblem(text, backupFolders);
                !problem.isEmpty()) {
                // Stays in the list, so the user sees what was not deleted.
                reportNotDeleted(text, problem);
                continue;
            }
            const bool folder = text.endsWith('/');
            const QString path = platform::withoutTrailingSeparator(text);
            const platform::FileInfo fi = platform::fileInfo(path);
            if (fi.exists || (!folder && fi.isLink)) {
                QString kept;
                if (!remove(path, kept)) {
                    // Stays in the list: part of it is still there.
                    reportNotDeleted(text, platform::otherMountText(kept));
                    continue;
                }
                ++(folder ? mappar : filer);
            }
            handledShown.push_back(i);
            if (sinceTaken.elapsed() >= 250)
                takeHandled();
        }
        takeHandled();
    } catch (const platform::RunError& e) {
        takeHandled();
        QApplication::restoreOverrideCursor();
        deleting_ = false;
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod. "),
                                  QStringLiteral("Överblivna mappar och filer, radera markerade"));
        return;
    }
    int mapparKvar = 0, filerKvar = 0;
    for (int i = 0; i < List1->count(); ++i)
        (List1->item(i)->text().endsWith('/') ? mapparKvar : filerKvar)++;
    lblinfo->setText(
        QStringLiteral("%1 mapp(ar) och %2 fil(er) kan raderas.").arg(mapparKvar).arg(filerKvar));
    SystemLog& log = program().systemLog();
    const QString folders = platform::countText(mappar, QStringLiteral("mapp"), QStringLiteral("mappar"));
    if (mappar > 0 && filer > 0)
        log.append(QStringLiteral("Användaren raderade ") + folders + QStringLiteral(" och ") +
                   platform::fileCount(filer) + QStringLiteral(" från speglingsloggen."));
    else if (mappar > 0)
        log.append(QStringLiteral("Användaren raderade ") + folders +
                   QStringLiteral(" från speglingsloggen."));
    else if (filer > 0)
        log.append(QStringLiteral("Användaren raderade ") + platform::fileCount(filer) +
                   QStringLiteral(" från speglingsloggen."));
    QApplication::restoreOverrideCursor();
    deleting_ = false;
}

void frmsyncfilermappar::reportNotDeleted(const QString& entry, const QString& problem) {
    const QString text = QStringLiteral("FEL! Raderades inte från speglingsloggen (") + problem +
                         QStringLiteral("): ") + entry;
    if (frmutförbackup* w = program().loaded<frmutförbackup>())
        w->addLogLine(QLatin1Char(' ') + text);
    runstatus::systemLogError(text);
}

void frmsyncfilermappar::cmdsparalogg_Click() {
    const QString text = QStringLiteral(
        "Detta sparar speglingsloggen så att du kan öppna den här igen vid ett senare tillfälle.\r\n"
        "Du hittar den genom att klicka på länken \"Det finns filer som kan raderas\" i huvudfönstret."
        "\r\n\r\nVill du spara loggen?");
    if (program().dialogs.msgBox(text, platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                                 QStringLiteral("Spara logg")) == platform::Answer::Yes)
        spara_synclista_till_fil(cmdsparalogg_Tag);
}

void frmsyncfilermappar::spara_synclista_till_fil(const QString& dateTimeText) {
    try {
        writeLeftoverList(dateTimeText, entries());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod när speglingsloggen skulle sparas."),
                                  QStringLiteral("Speglingslogg, spara"));
    }
}

void frmsyncfilermappar::cmdöppna_Click() {
    if (List1->currentItem() && !List1->currentItem()->text().isEmpty())
        List1_DblClick();
}

void frmsyncfilermappar::List1_DblClick() {
    if (List1->currentItem())
        program().dialogs.openUrl(List1->currentItem()->text());
}

void frmsyncfilermappar::cmdstäng_Click() {
    if (deleting_)
        return;
    if (lblschemasync == QLatin1String("1") && !savedListName.isEmpty()) {
        const QString file =
            platform::joinPath(schemasyncFolder(), savedListName + QStringLiteral(".schemasync"));
        try {
            if (List1->count() == 0) {
                platform::removeFile(file);
                program().systemLog().append(
                    QStringLiteral("Raderade speglingsloggen från ") + savedListName +
                    QStringLiteral(" eftersom den inte längre innehåller några mappar eller filer."));
                if (savedListDeleted)
                    savedListDeleted();
            } else {
                platform::writeLines(file, entries());
            }
        } catch (const platform::RunError& e) {
            Module1::logga_meddelande(e, -1,
                                      QStringLiteral("Ett fel uppstod när speglingsloggen skulle sparas."),
                                      QStringLiteral("Speglingslogg, spara"));
        }
    }
    program().unload<frmsyncfilermappar>();
}
