#include "run/simulation_window.h"

#include "core/copy_times.h"
#include "core/module1.h"
#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/real_folders.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "platform/widgets.h"
#include "run/copy_step.h"
#include "run/run_status.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <memory>

namespace {
// The window's own copy and its result block write into backup folders and the run log: no other
// operation, and no run of another process of this program folder, may work on them meanwhile.
// Refused with a message when either is held elsewhere.
class WritingHold {
  public:
    explicit WritingHold(std::function<void()> stop = {})
        : operation_(QStringLiteral("kopiering från simulerad backup"), std::move(stop)) {
        if (!operation_) {
            program().operations().refuse();
            return;
        }
        if (!lock_.take(QStringLiteral("en kopiering från en simulerad backup"))) {
            runstatus::refuseWhileLocked(lock_.holder());
            operation_.release();
            return;
        }
        held_ = true;
    }
    explicit operator bool() const { return held_; }

  private:
    Operation operation_;
    RunLock lock_;
    bool held_ = false;
};

constexpr int kTwip = 15;
long labelCount(const QLabel* l) {
    return long(platform::Val(l->text()));
}
double labelMb(const QLabel* l) {
    QString t = l->text();
    t.replace(',', '.');
    return platform::Val(t);
}
} // namespace

frmsimuleradbackup::frmsimuleradbackup() {
    setObjectName(QStringLiteral("frmsimuleradbackup"));
    setWindowTitle(QStringLiteral("Simulerad backup"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setMinimumSize(10500 / kTwip, 3465 / kTwip);
    resize(10500 / kTwip, 6000 / kTwip);

    Label1 = platform::namedLabel(this, "Label1", QString());
    Label1->setWordWrap(true);
    lblinfo = platform::namedLabel(this, "lblinfo", QString());
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setUniformItemSizes(true); // tens of thousands of files: no text layout per removed row
    List1->setAccessibleName(QStringLiteral("Filer som kan kopieras"));
    lblantalnya = platform::namedLabel(this, "lblantalnya", QStringLiteral("0"));
    lblantaländrade = platform::namedLabel(this, "lblantaländrade", QStringLiteral("0"));
    lblantalskyddade = platform::namedLabel(this, "lblantalskyddade", QStringLiteral("0"));
    lblantal_mb = platform::namedLabel(this, "lblantal_mb", QStringLiteral("0"));
    lblantalfel = platform::namedLabel(this, "lblantalfel", QStringLiteral("0"));
    for (QLabel* l : {lblantalnya, lblantaländrade, lblantalskyddade, lblantal_mb, lblantalfel})
        l->hide();
    imgerr = platform::namedLabel(this, "imgerr", QString());
    imgerr->setPixmap(platform::picture(platform::Picture::Error, 24));
    imgerr->hide();
    cmdkopieraalla = platform::namedButton(this, "cmdkopieraalla", QStringLiteral("Backup alla"));
    cmdkopieramarkerad =
        platform::namedButton(this, "cmdkopieramarkerad", QStringLiteral("Backup markerade"));
    cmdöppna = platform::namedButton(this, "cmdöppna", QStringLiteral("Öppna markerad"));
    cmdstäng = platform::namedButton(this, "cmdstäng", QStringLiteral("Stäng"));
    chkpapperskorgen = new QCheckBox(QStringLiteral("Flytta till papperskorgen"), this);
    chkpapperskorgen->setObjectName(QStringLiteral("chkpapperskorgen"));
    // The copy pass follows the program setting, so this box is not offered.
    chkpapperskorgen->hide();

    frameförlopp = new QFrame(this);
    frameförlopp->setObjectName(QStringLiteral("frameförlopp"));
    frameförlopp->setFrameShape(QFrame::StyledPanel);
    lblantalfelrätt = platform::namedLabel(frameförlopp, "lblantalfelrätt", QString());
    Picture3 = new QFrame(frameförlopp);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setFrameShape(QFrame::Box);
    Picture3->setGeometry(10, 30, 400, 18);
    lblprocent1 = platform::namedLabel(Picture3, "lblprocent1", QString());
    lblprocent1->setStyleSheet(QStringLiteral("background-color: #1e6ec8;"));
    lblprocent1->setGeometry(0, 0, 0, 18);
    cmdavbryt = platform::namedButton(frameförlopp, "cmdavbryt", QStringLiteral("Avbryt"));
    lblantalfelrätt->setGeometry(10, 6, 400, 20);
    cmdavbryt->setGeometry(420, 26, 90, 26);
    frameförlopp->hide();

    framelogg = new QFrame(this);
    framelogg->setObjectName(QStringLiteral("framelogg"));
    framelogg->setFrameShape(QFrame::StyledPanel);
    framelogg->setAutoFillBackground(true);
    txtlogg = new QPlainTextEdit(framelogg);
    txtlogg->setObjectName(QStringLiteral("txtlogg"));
    txtlogg->setReadOnly(true);
    txtlogg->setAccessibleName(QStringLiteral("Kopierade filer"));
    txtlogg2 = new QPlainTextEdit(framelogg);
    txtlogg2->setObjectName(QStringLiteral("txtlogg2"));
    txtlogg2->setReadOnly(true);
    txtlogg2->setAccessibleName(QStringLiteral("Resultat"));
    cmdloggtillbaka =
        platform::namedButton(framelogg, "cmdloggtillbaka", QStringLiteral("Tillbaka till fillistan"));
    framelogg->hide();

    txtlogg->setPlainText(QStringLiteral("Följande filer kopierades:"));

    // Escape: Stäng, or while a copy pass runs its Avbryt, which asks.
    platform::setCancelButton(cmdstäng, true);
    platform::setCancelButton(cmdavbryt, true);

    connect(cmdkopieraalla, &QPushButton::clicked, this, [this] { cmdkopieraalla_Click(); });
    connect(cmdkopieramarkerad, &QPushButton::clicked, this, [this] { cmdkopieramarkerad_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    connect(cmdloggtillbaka, &QPushButton::clicked, this, [this] { cmdloggtillbaka_Click(); });
    connect(cmdöppna, &QPushButton::clicked, this, [this] { cmdöppna_Click(); });
    connect(cmdstäng, &QPushButton::clicked, this, [this] { cmdstäng_Click(); });
}

void frmsimuleradbackup::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const int w = width(), h = height();
    const int inner = w - 255 / kTwip;
    Label1->setGeometry(8, 8, inner, 36);
    lblinfo->setGeometry(8, 46, inner, 20);
    imgerr->setGeometry(w - 40, 44, 24, 24);
    const int listTop = 70;
    const int listH = std::max(40, h - 1680 / kTwip);
    List1->setGeometry(8, listTop, inner, listH);
    const int by = listTop + listH + 160 / kTwip;
    cmdkopieraalla->setGeometry(8, by, 130, 28);
    cmdkopieramarkerad->setGeometry(146, by, 150, 28);
    cmdöppna->setGeometry(304, by, 140, 28);
    chkpapperskorgen->setGeometry(452, by, 220, 28);
    cmdstäng->setGeometry(8 + inner - 110, by, 110, 28);
    frameförlopp->setGeometry(8, listTop + 40, std::min(inner, 540), 64);
    framelogg->setGeometry(8, listTop, inner, listH);
    txtlogg->setGeometry(6, 6, inner * 2 / 3 - 12, listH - 44);
    txtlogg2->setGeometry(inner * 2 / 3, 6, inner / 3 - 8, listH - 44);
    cmdloggtillbaka->setGeometry(6, listH - 34, 200, 28);
}

void frmsimuleradbackup::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        runstatus::centreOverRunWindow(this);
}

void frmsimuleradbackup::closeEvent(QCloseEvent* e) {
    // A copy pass in progress keeps the window; any other close writes no result block.
    if (copying_) {
        e->ignore();
        return;
    }
    e->accept();
    program().unload<frmsimuleradbackup>();
}

void frmsimuleradbackup::addEntry(const QString& source, const QString& target) {
    List1->addItem(source);
    List2.append(target);
}

void frmsimuleradbackup::addLog(const QString& line) {
    txtlogg->appendPlainText(line);
}

void frmsimuleradbackup::setBusy(bool busy) {
    copying_ = busy;
    lblinfo->setVisible(!busy);
    Label1->setVisible(!busy);
    frameförlopp->setVisible(busy);
    for (QWidget* w :
         {static_cast<QWidget*>(cmdkopieraalla), static_cast<QWidget*>(cmdkopieramarkerad),
          static_cast<QWidget*>(cmdöppna), static_cast<QWidget*>(cmdstäng), static_cast<QWidget*>(List1)})
        w->setEnabled(!busy);
}

void frmsimuleradbackup::refreshProgressText(long copied) {
    lblantalfelrätt->setText(QStringLiteral("Kopierade filer: ") + QString::number(copied) +
                             QStringLiteral(", antal fel: ") + lblantalfel->text());
}

void frmsimuleradbackup::cmdkopieraalla_Click() {
    if (copying_)
        return;
    List1->selectAll(); // one range: marking row by row grows slower with every row
    cmdkopieramarkerad_Click();
}

void frmsimuleradbackup::cmdkopieramarkerad_Click() {
    if (copying_)
        return;
    // The marks at the start of the pass decide; entries are identified by their items, so
    // removing a handled entry never skips the one that moves into its place.
    std::vector<QListWidgetItem*> marked;
    std::vector<int> markedRows;
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->isSelected()) {
            marked.push_back(List1->item(i));
            markedRows.push_back(i);
        }
    if (marked.empty())
        return;
    // The pass writes into backup folders: no other operation, and no run of another process of
    // this program folder, may work on them meanwhile.
    const WritingHold hold([this] { avbryt_kopiering = 1; });
    if (!hold)
        return;

    Program& p = program();
    SystemLog& log = p.systemLog();
    const ProgramSettings& s = p.settings();
    setBusy(true);
    long copied = 0, nya = 0, ändrade = 0, skyddade = 0, fel = 0;
    double mb = 0;
    refreshProgressText(copied);
    lblprocent1->resize(0, lblprocent1->height());
    const double step = double(Picture3->width()) / double(marked.size());
    double barWidth = 0;
    avbryt_kopiering = 0;

    auto markError = [&] {
        log.markError();
        imgerr->show();
    };
    auto countError = [&] {
        lblantalfel->setText(QString::number(labelCount(lblantalfel) + 1));
        ++fel;
        refreshProgressText(copied);
    };
    // Copies whose time the disk did not keep: their times are not taken for the files' own, and
    // this pass's copies are added.
    CopyTimes times(p.programFolder());
    times.load();
    for (const QString& b : backupFolders)
        times.keepBelow(b);
    auto afterCopy = [&](const QString& target, const platform::CopiedSizes& sizes) {
        times.copied(target, sizes.target, sizes.targetTime, sizes.sourceTime, sizes.timeKept);
        try {
            times.flush();
        } catch (const platform::RunError& e) {
            countError();
            addLog(QStringLiteral("FEL: Felkod %1 %2 (%3)")
                       .arg(e.number)
                       .arg(e.description, p.path(CopyTimes::fileName())));
            markError();
        }
        if (sizes.timeKept)
            return;
        countError();
        addLog(QStringLiteral("FEL: filens ändringstid kunde inte behållas: ") + target);
        log.append(QStringLiteral("FEL! Filens ändringstid kunde inte behållas: ") + target);
        markError();
    };

    // Handled entries leave the list in order, so an entry's row is its first row less the entries
    // removed before it; looking it up in the list would read the whole list per entry.
    int removed = 0;
    // Each backup folder's folders, made never through a link and written into through their
    // handles only.
    struct Own {
        platform::RealFolders folders;
        platform::RootedCursor handles{platform::TreeCursor::Links::Replace};
        explicit Own(const QString& b) : folders(b) {}
    };
    std::vector<std::unique_ptr<Own>> owned;
    for (const QString& b : backupFolders)
        owned.push_back(std::make_unique<Own>(b));
    // The backup folder `target` lies in (the deepest, where one holds another), if any.
    auto ownFolders = [&](const QString& target) -> Own* {
        Own* best = nullptr;
        for (const auto& f : owned)
            if (f->folders.below(target) && (!best || f->folders.root().size() > best->folders.root().size()))
                best = f.get();
        return best;
    };
    auto rowOf = [&](size_t k) {
        const int guess = markedRows[k] - removed;
        if (guess >= 0 && guess < List1->count() && List1->item(guess) == marked[k])
            return guess;
        return List1->row(marked[k]);
    };
    // Handled entries leave the list together a few times a second: each change of the list lays
    // out all its rows again.
    std::vector<size_t> handledShown;
    QElapsedTimer sinceTaken;
    sinceTaken.start();
    auto takeHandled = [&] {
        for (size_t h : handledShown) {
            const int r = rowOf(h);
            if (r < 0)
                continue;
            delete List1->takeItem(r);
            if (r < List2.size())
                List2.removeAt(r);
            ++removed;
        }
        handledShown.clear();
        sinceTaken.restart();
    };
    for (size_t k = 0; k < marked.size(); ++k) {
        QListWidgetItem* item = marked[k];
        platform::doEventsThrottled();
        if (avbryt_kopiering == 1 || p.operations().stopRequested())
            break;
        const int row = rowOf(k);
        if (row < 0)
            continue;
        QString source = item->text();
        QString target = row < List2.size() ? List2.at(row) : QString();
        const bool isNew = source.startsWith(QLatin1String("+ "));
        if (isNew) {
            source = source.mid(2);
            if (target.startsWith(QLatin1String("+ ")))
                target = target.mid(2);
        }
        bool stop = false;
        platform::FileInfo now; // the target the copy is decided on
        // A copy tells both lengths as it ends; where none was made, they are read.
        auto checkSizes = [&](qint64 a, qint64 b) {
            if (a == b)
                return;
            countError();
            addLog(QStringLiteral("FEL: filstorleken på den kopierade filen matchar inte originalfilen."));
            addLog(QStringLiteral("Original: %1 (%2 bytes)").arg(source).arg(a));
            addLog(QStringLiteral("Kopia: %1 (%2 bytes)").arg(target).arg(b));
            log.append(QStringLiteral(
                           "FEL! Filstorleken på den kopierade filen matchar inte originalfilen. (Jobb: ") +
                       (List1->currentItem() ? List1->currentItem()->text() : QString()) +
                       QStringLiteral(")"));
            log.append(QStringLiteral("Original: %1 (%2 bytes)").arg(source).arg(a));
            log.append(QStringLiteral("Kopia: %1 (%2 bytes)").arg(target).arg(b));
            markError();
        };
        // A full disk ends the pass.
        auto failed = [&](const platform::RunError& e) {
            if (e.number == 61) {
                Module1::logga_meddelande(
                    e, -1,
                    QStringLiteral(
                        "FEL! Körningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!"),
                    QStringLiteral("Utför backup, file_copy, simulerad logg"));
                addLog(QStringLiteral(
                    "FEL: Körningen avbröts. Det finns inte tillräckligt ledigt utrymme på enheten!"));
                stop = true;
            }
            countError();
            addLog(QStringLiteral("FEL: Felkod %1 %2 (%3)").arg(e.number).arg(e.description, source));
            log.append(QStringLiteral("FEL! Felkod %1 %2 (%3)").arg(e.number).arg(e.description, source));
            markError();
        };
        try {
            const QString folder = platform::parentPath(target);
            // A link where the backup has a folder is replaced by a folder before anything is
            // written there, never followed.
            Own* own = ownFolders(target);
            if (own && own->folders.make(folder))
                addLog(QStringLiteral("Skapade mappen ") + platform::withTrailingSeparator(folder));
            std::shared_ptr<const platform::OwnTree::Folder> into;
            if (own) {
                platform::RunError refused;
                into = own->handles.open(own->folders.root(), folder, true, refused);
                if (!into)
                    throw refused;
            }
            const int intoFd = into ? into->fd() : -1;
            const platform::FileInfo src = platform::fileInfo(source);
            now = platform::fileInfoIn(intoFd, target);
            // The folders may have changed since the simulation: never put an older file over a
            // newer one. A backup's copy is no file of the user's: it holds its source as it is.
            if (now.isFile && !own &&
                times.standsFor(target, now.size, now.mtime) > times.standsFor(source, src.size, src.mtime)) {
                addLog(QStringLiteral("Kopierades inte, kopian är nyare än originalet: ") + target);
                if (platform::fileExists(target)) {
                    const qint64 a = platform::fileSize(source);
                    checkSizes(a, platform::fileSize(target));
                }
            } else {
                if (isNew && !now.exists && !own && !platform::fileInfo(folder).exists) {
                    platform::makePath(folder);
                    addLog(QStringLiteral("Skapade mappen ") + platform::withTrailingSeparator(folder));
                }
                // The copy replaces only the file decided on (a save meanwhile is kept), the old copy
                // going to the trash first where the setting says so.
                copystep::Policy policy;
                policy.targetFolder = intoFd;
                policy.trashReplaced = s.chkpapperskorg_ersatta;
                policy.secondTry = !s.chkaldrigapi;
                policy.stop = copystep::yieldingStop(
                    [] { platform::doEventsThrottled(); },
                    [&] { return avbryt_kopiering == 1 || p.operations().stopRequested(); });
                const copystep::Result r = copystep::copyFile(source, target, now, policy);
                using copystep::Outcome;
                switch (r.outcome) {
                case Outcome::Copied:
                    ++(now.exists ? ändrade : nya);
                    ++copied;
                    mb += double(r.sizes.source) / 1000.0 / 1000.0;
                    refreshProgressText(copied);
                    addLog(now.exists ? target : QStringLiteral("+ ") + target);
                    afterCopy(target, r.sizes);
                    checkSizes(r.sizes.source, r.sizes.target);
                    break;
                case Outcome::CopiedOnSecondTry:
                    addLog(QStringLiteral("* ") + target);
                    ++skyddade;
                    mb += double(r.sizes.source) / 1000.0 / 1000.0;
                    refreshProgressText(copied);
                    afterCopy(target, r.sizes);
                    break;
                case Outcome::Stopped:
                    stop = true;
                    break;
                case Outcome::TargetChanged:
                case Outcome::NameTaken:
                    // A file saved since the decision is the user's newest: it stays.
                    countError();
                    addLog(QStringLiteral("FEL: filen kopierades inte, eftersom målfilen ändrades under "
                                          "kopieringen. (") +
                           target + QStringLiteral(")"));
                    log.append(QStringLiteral("FEL! Filen kopierades inte, eftersom målfilen ändrades under "
                                              "kopieringen: ") +
                               target);
                    markError();
                    break;
                case Outcome::Failed:
                    if (r.triedTwice) {
                        countError();
                        addLog(QStringLiteral("FEL: filen kunde inte kopieras. (") + source +
                               QStringLiteral(")"));
                        log.append(QStringLiteral("FEL! Filen kunde inte kopieras: ") + source);
                        markError();
                        break;
                    }
                    failed(r.error);
                    break;
                default: // a full disk, the trash refused (the old copy stays), a changed source, ...
                    failed(r.error);
                    break;
                }
            }
        } catch (const platform::RunError& e) {
            failed(e);
        }
        if (stop)
            break;
        handledShown.push_back(k);
        if (sinceTaken.elapsed() >= 250)
            takeHandled();
        barWidth += step;
        lblprocent1->resize(int(barWidth), lblprocent1->height());
    }
    takeHandled();

    lblprocent1->resize(Picture3->width(), lblprocent1->height());
    QStringList result{QStringLiteral("Resultat:")};
    if (nya > 0)
        result << QStringLiteral("Nya filer: ") + QString::number(nya);
    if (ändrade > 0)
        result << QStringLiteral("Ändrade filer: ") + QString::number(ändrade);
    if (skyddade > 0)
        result << QStringLiteral("Skyddade filer: ") + QString::number(skyddade);
    result << platform::Format(mb, QStringLiteral("0.00")) + QStringLiteral(" MB");
    if (fel > 0)
        result << QStringLiteral("Fel: ") + QString::number(fel);
    txtlogg2->setPlainText(result.join('\n'));

    lblantalnya->setText(QString::number(labelCount(lblantalnya) + nya));
    lblantaländrade->setText(QString::number(labelCount(lblantaländrade) + ändrade));
    lblantalskyddade->setText(QString::number(labelCount(lblantalskyddade) + skyddade));
    lblantal_mb->setText(QString::number(labelMb(lblantal_mb) + mb, 'f', 6));

    setBusy(false);
    framelogg->show();
    framelogg->raise();
    countLeft();
}

void frmsimuleradbackup::countLeft() {
    int nyaKvar = 0, ändradeKvar = 0;
    for (int i = 0; i < List1->count(); ++i)
        (List1->item(i)->text().startsWith(QLatin1String("+ ")) ? nyaKvar : ändradeKvar)++;
    lblinfo->setText(QStringLiteral("%1 fil(er) kan kopieras. %2 ny(a), %3 ändrad(e).")
                         .arg(List1->count())
                         .arg(nyaKvar)
                         .arg(ändradeKvar));
}

void frmsimuleradbackup::cmdavbryt_Click() {
    if (program().dialogs.msgBox(QStringLiteral("Vill du avbryta?"), platform::MsgButtons::YesNo,
                                 platform::MsgIcon::Question,
                                 QStringLiteral("Avbryta?")) == platform::Answer::Yes)
        avbryt_kopiering = 1;
}

void frmsimuleradbackup::cmdloggtillbaka_Click() {
    framelogg->hide();
}

void frmsimuleradbackup::cmdöppna_Click() {
    if (List1->currentItem() && !List1->currentItem()->text().isEmpty()) {
        QString t = List1->currentItem()->text();
        // The marker is not part of the file's name.
        if (t.startsWith(QLatin1String("+ ")))
            t = t.mid(2);
        program().dialogs.openUrl(t);
    }
}

void frmsimuleradbackup::cmdstäng_Click() {
    if (copying_)
        return;
    const long nya = labelCount(lblantalnya), ändrade = labelCount(lblantaländrade),
               skyddade = labelCount(lblantalskyddade), fel = labelCount(lblantalfel);
    const double mb = labelMb(lblantal_mb);
    if (nya + ändrade + skyddade > 0) {
        // The run log is not written while another operation or process may be writing it; the
        // window stays open until it can be.
        const WritingHold hold;
        if (!hold)
            return;
        QStringList lines{QString(), QStringLiteral("Resultat av manuell backup från simulerad backuplogg")};
        lines << txtlogg->toPlainText().split('\n');
        lines << QString() << QStringLiteral("  Nya filer: ") + QString::number(nya)
              << QStringLiteral("  Ändrade filer: ") + QString::number(ändrade)
              << QStringLiteral("  Skyddade filer: ") + QString::number(skyddade)
              << QStringLiteral("  Datamängd: ") + platform::Format(mb, QStringLiteral("0.00")) +
                     QStringLiteral(" MB")
              << QStringLiteral("  Felantal: ") + QString::number(fel);
        try {
            platform::appendLines(program().path(QStringLiteral("log.txt")), lines);
        } catch (const platform::RunError&) {
        }
    }
    program().unload<frmsimuleradbackup>();
}

void frmsimuleradbackup::showResult(const QStringList& sources, const QStringList& targets,
                                    const ResultTexts& texts) {
    List1->clear();
    List2.clear();
    backupFolders.clear();
    List1->addItems(sources);
    List2 = targets;
    setWindowTitle(texts.caption);
    Label1->setText(texts.heading);
    cmdkopieraalla->setText(texts.copyAll);
    cmdkopieramarkerad->setText(texts.copyMarked);
    lblinfo->setText(texts.info);
    program().dialogs.showModal(this);
}
