#include "scheduler/saved_lists_window.h"

#include "core/backup_folders.h"
#include "core/job_rules.h"
#include "core/module1.h"
#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "platform/widgets.h"
#include "run/leftover_window.h"
#include "run/run_status.h"
#include "scheduler/host.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr int kRefusalsNamed = 20;
} // namespace

frmschemasync::frmschemasync() {
    setObjectName(QStringLiteral("frmschemasync"));
    setWindowTitle(QStringLiteral("Loggar över överblivna filer och mappar"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(600, 400);
    Label1 = platform::namedLabel(
        this, "Label1",
        QStringLiteral(
            "När du schemalägger eller kommandoradsstyr jobb med simulerad spegling skapas loggar över "
            "filer/mappar som kan raderas. Här hittar du dessa loggar."));
    Label1->setWordWrap(true);
    Label1->setGeometry(12, 10, 576, 48);
    Label2 = platform::namedLabel(this, "Label2", QStringLiteral("Datum och tid:"));
    Label2->setGeometry(12, 64, 200, 20);
    List1 = platform::named<QListWidget>(this, "List1");
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setGeometry(12, 86, 576, 210);
    Label2->setBuddy(List1);
    chkkontroll = platform::named<QCheckBox>(
        this, "chkkontroll",
        QStringLiteral("Kontrollera varje fil i loggen och dölj filer som inte längre existerar (långsamt)"));
    chkkontroll->setGeometry(12, 302, 576, 22);
    lblinfo = platform::namedLabel(this, "lblinfo", QStringLiteral("Laddar lista..."));
    lblinfo->setGeometry(12, 328, 200, 20);
    lblinfo->hide();
    cmdöppna = platform::namedButton(this, "cmdöppna", QStringLiteral("Öppna"));
    cmdöppna->setGeometry(12, 358, 100, 28);
    cmdradera = platform::namedButton(this, "cmdradera", QStringLiteral("Radera"));
    cmdradera->setGeometry(120, 358, 100, 28);
    cmdexit = platform::namedButton(this, "cmdexit", QStringLiteral("Stäng"));
    cmdexit->setGeometry(488, 358, 100, 28);
    platform::setCancelButton(cmdexit, true); // Escape closes like "Stäng"
    QObject::connect(cmdöppna, &QPushButton::clicked, this, [this] { öppnasyncfilermappar(); });
    QObject::connect(List1, &QListWidget::itemDoubleClicked, this, [this] { öppnasyncfilermappar(); });
    QObject::connect(cmdradera, &QPushButton::clicked, this, [this] { cmdradera_Click(); });
    QObject::connect(cmdexit, &QPushButton::clicked, this, [this] { cmdexit_Click(); });
}

QString frmschemasync::savedFile(const QString& name) const {
    return platform::joinPath(schemasyncFolder(), name + QStringLiteral(".schemasync"));
}

void frmschemasync::öppnasyncfilermappar() {
    lblinfo->show();
    platform::doEvents();
    const QString name = List1->currentItem() ? List1->currentItem()->text() : QString();
    const QString file = savedFile(name);
    if (!platform::fileExists(file)) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Filen ") + file + QStringLiteral(" finns inte."),
                                  QString());
        return;
    }
    QStringList entries;
    try {
        entries = platform::readLines(file);
    } catch (const platform::RunError& e) {
        lblinfo->hide();
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod när loggen skulle öppnas."),
                                  QStringLiteral("Schemasync, öppna loggfil"));
        return;
    }
    int folders = 0, files = 0, goneFolders = 0, goneFiles = 0, refused = 0;
    QStringList kept;
    const bool check = chkkontroll->isChecked();
    // The leftover window deletes what it lists: only entries inside a job's backup folder get there.
    const QStringList backupFolders = jobrules::trustedBackupFolders(program().programFolder());
    for (const QString& entry : entries) {
        if (entry.isEmpty()) {
            kept << entry;
            continue;
        }
        const QString problem = backupfolders::deletionProblem(entry, backupFolders);
        if (!problem.isEmpty()) {
            // A list of thousands of such entries names the first ones and counts the rest.
            if (++refused <= kRefusalsNamed)
                schedulerhost::systemLogError(
                    QStringLiteral("FEL! ") + entry + QStringLiteral(" i speglingsloggen från ") + name +
                    QStringLiteral(" kan inte raderas: ") + problem + QStringLiteral("."));
            continue;
        }
        const bool folder = entry.endsWith(QLatin1Char('/'));
        bool present = true;
        if (check) {
            const platform::FileInfo fi =
                platform::fileInfo(folder ? platform::withoutTrailingSeparator(entry) : entry);
            present = folder ? fi.isDir : (fi.exists && !fi.isDir) || fi.isLink;
        }
        if (present) {
            kept << entry;
            (folder ? folders : files)++;
        } else {
            (folder ? goneFolders : goneFiles)++;
        }
    }
    const QString tail = goneFolders + goneFiles == 1
                             ? QStringLiteral(" från speglingsloggen eftersom den inte längre finns.")
                             : QStringLiteral(" från speglingsloggen eftersom de inte längre finns.");
    const QString goneFolderText =
        platform::countText(goneFolders, QStringLiteral("mapp"), QStringLiteral("mappar"));
    if (goneFolders > 0 && goneFiles > 0)
        schedulerhost::systemLog(QStringLiteral("Plockade bort ") + goneFolderText + QStringLiteral(" och ") +
                                 platform::fileCount(goneFiles) + tail);
    else if (goneFolders > 0)
        schedulerhost::systemLog(QStringLiteral("Plockade bort ") + goneFolderText + tail);
    else if (goneFiles > 0)
        schedulerhost::systemLog(QStringLiteral("Plockade bort ") + platform::fileCount(goneFiles) + tail);
    if (refused > kRefusalsNamed)
        schedulerhost::systemLogError(
            QStringLiteral("FEL! Ytterligare ") +
            platform::countText(refused - kRefusalsNamed, QStringLiteral("post"), QStringLiteral("poster")) +
            QStringLiteral(" i speglingsloggen från ") + name + QStringLiteral(" kan inte raderas."));
    lblinfo->hide();

    frmsyncfilermappar* w = program().form<frmsyncfilermappar>();
    w->List1->clear();
    w->List1->addItems(kept);
    w->cmdsparalogg->hide();
    w->Label1->setText(
        QStringLiteral("En simulerad spegling ägde rum ") + name +
        QStringLiteral(". Nedan ser du filer och mappar som inte längre finns på originalplatsen "
                       "och därför kan raderas."));
    QString info = QStringLiteral("%1 mapp(ar) och %2 fil(er) kan raderas.").arg(folders).arg(files);
    if (refused > 0)
        info += QLatin1Char(' ') +
                platform::countText(refused, QStringLiteral("post"), QStringLiteral("poster")) +
                QStringLiteral(" kan inte raderas och visas inte, se programloggen.");
    w->lblinfo->setText(info);
    w->lblschemasync = QStringLiteral("1");
    w->savedListName = name;
    w->savedListDeleted = [this, name] {
        const auto found = List1->findItems(name, Qt::MatchExactly);
        if (!found.isEmpty())
            delete List1->takeItem(List1->row(found.first()));
    };
    program().dialogs.showModal(w);
}

void frmschemasync::cmdradera_Click() {
    if (!List1->currentItem() || List1->currentItem()->text().isEmpty())
        return;
    for (int i = List1->count() - 1; i >= 0; --i) {
        QListWidgetItem* item = List1->item(i);
        if (!item->isSelected())
            continue;
        try {
            platform::removeFile(savedFile(item->text()));
        } catch (const platform::RunError& e) {
            Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod när loggen skulle raderas."),
                                      QStringLiteral("Schemasync, radera loggfil"));
            return;
        }
        delete List1->takeItem(i);
    }
}

void frmschemasync::cmdexit_Click() {
    Form_Unload();
}

void frmschemasync::closeEvent(QCloseEvent* e) {
    e->ignore();
    Form_Unload();
}

void frmschemasync::Form_Unload() {
    if (List1->count() == 0)
        schedulerhost::setSavedListsLinkVisible(false);
    program().unload<frmschemasync>();
}

void frmschemasync::visa(const QStringList& names) {
    frmschemasync* w = program().form<frmschemasync>();
    // Opened again, it lists the folder as it is now, each list once.
    w->List1->clear();
    w->List1->addItems(names);
    runstatus::centreOverRunWindow(w);
    w->show();
    w->raise();
}
