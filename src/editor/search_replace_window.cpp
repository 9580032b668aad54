#include "editor/search_replace_window.h"

#include "core/job_files.h"
#include "core/job_rules.h"
#include "core/module1.h"
#include "core/operations.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "editor/search_replace.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/icons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {
QString refusedBecause(const QString& job, const QString& why) {
    return QStringLiteral("Ersättningen gjordes inte, eftersom jobbet \"") + job + QStringLiteral("\" då ") +
           why + QStringLiteral(". Inget jobb har ändrats.");
}

template <class W, class... A> W* make(QWidget* parent, const char* name, A&&... args) {
    auto* w = new W(std::forward<A>(args)..., parent);
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

// A progress strip: a sunken box whose inner label grows from the left.
QLabel* strip(QWidget* parent, const char* boxName, const char* labelName, QFrame*& box, const QRect& r) {
    box = make<QFrame>(parent, boxName);
    box->setFrameShape(QFrame::Panel);
    box->setFrameShadow(QFrame::Sunken);
    box->setGeometry(r);
    auto* l = make<QLabel>(box, labelName);
    l->setAutoFillBackground(true);
    l->setStyleSheet(QStringLiteral("background-color: rgb(0,0,160);"));
    l->setGeometry(0, 0, 0, r.height());
    return l;
}

// Shows `done` of `total` as the strip's width. Taken from the fraction, not summed from a
// rounded step, so the strip neither stays empty with many jobs nor fills before the end.
void showDone(QLabel* l, qsizetype done, qsizetype total) {
    const int full = l->parentWidget()->width();
    const int width = total > 0 ? int(std::lround(double(full) * double(done) / double(total))) : full;
    l->resize(std::clamp(width, 0, full), l->height());
}
} // namespace

frmsökersätt::frmsökersätt() {
    setObjectName(QStringLiteral("frmsökersätt"));
    setWindowTitle(QStringLiteral("Sök & ersätt..."));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(400, 424);
    doEvents = [] { platform::doEvents(); };

    Label1 = make<QLabel>(
        this, "Label1",
        QStringLiteral(
            "Här kan du byta ut ord, tecken och text ur valfria egenskaper för dina jobb. Kanske behöver "
            "du byta ut sökvägen till backup-disken, eller sökvägen till dina dokument på ett snabbt sätt "
            "efter förändringar i ditt system..."));
    Label1->setWordWrap(true);
    Label1->setGeometry(10, 8, 380, 64);

    Label2 = make<QLabel>(this, "Label2", QStringLiteral("Sök efter..."));
    Label2->setGeometry(10, 78, 340, 16);
    txtsök1 = make<QLineEdit>(this, "txtsök1");
    txtsök1->setGeometry(10, 96, 346, 22);
    Label2->setBuddy(txtsök1);
    auto* hint = new platform::ClickLabel(this);
    help1 = hint;
    help1->setObjectName(QStringLiteral("help1"));
    help1->setPixmap(platform::picture(platform::Picture::Information, 20));
    help1->setToolTip(QStringLiteral("Tips"));
    help1->setAccessibleName(QStringLiteral("Tips"));
    help1->setCursor(Qt::PointingHandCursor);
    help1->setGeometry(366, 97, 20, 20);
    hint->onClick = [this] { help1_Click(); };

    Label3 = make<QLabel>(this, "Label3", QStringLiteral("...och ersätt med:"));
    Label3->setGeometry(10, 124, 340, 16);
    txtsök2 = make<QLineEdit>(this, "txtsök2");
    txtsök2->setGeometry(10, 142, 346, 22);
    Label3->setBuddy(txtsök2);

    Frame1 = make<QGroupBox>(this, "Frame1", QStringLiteral("Utför detta på..."));
    Frame1->setGeometry(10, 174, 380, 64);
    optjobb1 = make<QRadioButton>(Frame1, "optjobb1", QStringLiteral("Markerat jobb"));
    optjobb1->setGeometry(10, 20, 360, 20);
    optjobb1->setChecked(true);
    optjobb2 = make<QRadioButton>(Frame1, "optjobb2", QStringLiteral("Alla jobb"));
    optjobb2->setGeometry(10, 40, 360, 20);

    Frame3 = make<QGroupBox>(this, "Frame3", QStringLiteral("Ändra i..."));
    Frame3->setGeometry(10, 246, 185, 132);
    listfiler = make<QListWidget>(Frame3, "listfiler");
    listfiler->setSelectionMode(QAbstractItemView::MultiSelection);
    listfiler->setGeometry(8, 20, 169, 104);
    listfiler->setAccessibleName(QStringLiteral("Ändra i..."));

    Frame2 = make<QGroupBox>(this, "Frame2", QStringLiteral("Förlopp"));
    Frame2->setGeometry(205, 246, 185, 132);
    lblprocent11 = strip(Frame2, "Picture1", "lblprocent11", Picture1, QRect(8, 32, 169, 18));
    lblprocent22 = strip(Frame2, "picture2", "lblprocent22", picture2, QRect(8, 68, 169, 18));
    Frame2->hide();

    auto* hjälp = new platform::ClickLabel(QStringLiteral("Hjälp"), this);
    lblhjälp = hjälp;
    lblhjälp->setObjectName(QStringLiteral("lblhjälp"));
    lblhjälp->setCursor(Qt::PointingHandCursor);
    lblhjälp->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    lblhjälp->setGeometry(10, 392, 60, 18);
    hjälp->onClick = [this] { lblhjälp_Click(); };

    cmdstopp = make<QPushButton>(this, "cmdstopp", QStringLiteral("Avbryt process"));
    cmdstopp->setGeometry(80, 388, 110, 26);
    cmdstopp->hide();
    cmdkör = make<QPushButton>(this, "cmdkör", QStringLiteral("Utför"));
    cmdkör->setGeometry(230, 388, 76, 26);
    cmdavbryt = make<QPushButton>(this, "cmdavbryt", QStringLiteral("Stäng"));
    cmdavbryt->setGeometry(314, 388, 76, 26);

    // Escape does what the shown button does: "Stäng", or "Avbryt process" (which asks) during a run.
    platform::setCancelButton(cmdstopp, true);
    platform::setCancelButton(cmdavbryt, true);

    connect(cmdkör, &QPushButton::clicked, this, [this] { cmdkör_Click(); });
    connect(cmdstopp, &QPushButton::clicked, this, [this] { cmdstopp_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
}

void frmsökersätt::open() {
    Program& p = program();
    p.unload<frmsökersätt>(); // each opening starts afresh
    frmsökersätt* w = p.form<frmsökersätt>();
    w->Form_Load();
    // Over the window it was opened from: the main window or the settings window.
    geometry::centreOver(w, QApplication::activeWindow());
    p.dialogs.showModal(w);
}

void frmsökersätt::Form_Load() {
    const MainWindowServices& m = program().mainWindow();
    const int i = m.currentJobIndex();
    const QString name = i >= 0 && i < m.jobCount() ? m.jobName(i) : QString();
    optjobb1->setText(QStringLiteral("Markerat jobb (") + name + QLatin1Char(')'));
    listfiler->clear();
    for (const searchreplace::Category& c : searchreplace::kCategories)
        listfiler->addItem(QString::fromUtf8(c.caption));
    for (int i = 0; i < listfiler->count(); ++i)
        listfiler->item(i)->setSelected(true);
}

void frmsökersätt::cmdkör_Click() {
    if (running_)
        return;
    const QString find = txtsök1->text();
    const QString with = txtsök2->text();
    // An empty search text would match everywhere and change nothing sensible.
    if (find.isEmpty()) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Skriv in den text du vill söka efter."), QString());
        return;
    }
    // Job files hold one value per line: a line break would split a value and shift every line
    // after it.
    const auto holdsLineBreak = [](const QString& t) {
        return t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r'));
    };
    if (holdsLineBreak(find) || holdsLineBreak(with)) {
        Module1::logga_meddelande(
            0, -1, QStringLiteral("Söktexten och ersättningstexten får inte innehålla radbrytningar."),
            QString());
        return;
    }
    cmdstopp_Tag.clear();
    Operation operation(QStringLiteral("sök och ersätt"), [this] { cmdstopp_Tag = QStringLiteral("1"); });
    if (!operation) {
        program().operations().refuse();
        return;
    }
    running_ = true;
    counts_ = {};
    cmdkör->setEnabled(false);
    cmdavbryt->setEnabled(false);
    cmdstopp->show();
    MainWindowServices& m = program().mainWindow();
    QStringList names;
    for (int i = 0; i < m.jobCount(); ++i)
        names << m.jobName(i);
    const int selected = m.currentJobIndex();
    const QString folder = program().jobbgruppmapp;
    // Selecting no job and then the marked one loads it again from the changed files.
    const auto reselect = [&m, selected] {
        m.selectJob(-1);
        m.selectJob(selected);
    };
    lblprocent11->resize(0, lblprocent11->height());
    lblprocent22->resize(0, lblprocent22->height());
    Frame2->show();
    searchreplace::Marked marked{};
    for (int c = 0; c < listfiler->count() && c < int(marked.size()); ++c)
        marked[c] = listfiler->item(c)->isSelected();
    const bool onlyMarked = optjobb1->isChecked();
    const auto stopAsked = [this] {
        return cmdstopp_Tag == QLatin1String("1") || program().operations().stopRequested();
    };
    // Only the folders, main folders and backup folder decide whether a backup folder may be one.
    searchreplace::Marked folderFiles{};
    for (size_t c = 0; c < marked.size(); ++c)
        folderFiles[c] = marked[c] && searchreplace::kCategories[c].file <= 2;
    const bool checkFolders = std::find(folderFiles.begin(), folderFiles.end(), true) != folderFiles.end();
    QString refusal;
    QStringList missing; // backup folders the replacement wrote that are not there

    try {
        // A replacement that would give any job a backup folder it may not have is refused before
        // anything is written. Every job is judged as the replacement leaves them all: two jobs
        // moved together onto one folder are seen together.
        std::optional<jobrules::JobSet> all;
        std::vector<std::pair<int, JobFiles::Job>> changed;
        for (int i = 0; checkFolders && refusal.isEmpty() && i < names.size(); ++i) {
            if (onlyMarked && i != selected)
                continue;
            doEvents();
            if (stopAsked())
                break;
            const JobFiles job(folder, names.at(i));
            const searchreplace::JobPlan plan = searchreplace::planJob(job, folderFiles, find, with);
            if (!searchreplace::changesFolders(plan))
                continue;
            QString why = searchreplace::textProblem(plan);
            if (why.isEmpty())
                if (std::optional<JobFiles::Job> after = searchreplace::jobAfter(job, plan)) {
                    if (!all)
                        all.emplace(program().programFolder());
                    all->put(*after);
                    changed.emplace_back(i, std::move(*after));
                }
            if (!why.isEmpty())
                refusal = refusedBecause(names.at(i), why);
        }
        for (size_t k = 0; refusal.isEmpty() && k < changed.size() && !stopAsked(); ++k) {
            const auto& [i, after] = changed[k];
            const jobrules::Problem problem = jobrules::jobProblem(after, jobrules::Purpose::Replace, *all);
            if (problem.refused())
                refusal = refusedBecause(names.at(i), searchreplace::problemText(problem));
        }
        // An empty group has nothing to do; it is no error.
        for (int i = 0; refusal.isEmpty() && i < names.size(); ++i) {
            doEvents();
            if (stopAsked())
                break;
            if (!onlyMarked || i == selected) {
                lblprocent22->resize(0, lblprocent22->height());
                const JobFiles job(folder, names.at(i));
                // The job's changes are gathered first and written together, so a stop or a
                // failure never leaves one job half replaced.
                searchreplace::JobPlan plan;
                for (size_t c = 0; c < marked.size() && !stopAsked(); ++c) {
                    if (marked[c]) {
                        doEvents();
                        if (stopAsked())
                            break;
                        searchreplace::planFile(job, searchreplace::kCategories[c].file, find, with, plan);
                    }
                    showDone(lblprocent22, qsizetype(c) + 1, qsizetype(marked.size()));
                }
                if (stopAsked())
                    break;
                searchreplace::writePlan(job, plan);
                for (const searchreplace::FileChange& c : plan.files)
                    if (const QString b = c.after.value(0);
                        c.file == 2 && !b.isEmpty() && !missing.contains(b) && !platform::folderExists(b))
                        missing << b;
                if (!plan.files.empty()) {
                    ++counts_.jobs;
                    counts_.files += int(plan.files.size());
                    counts_.lines += plan.changedLines;
                }
            }
            showDone(lblprocent11, i + 1, names.size());
        }
    } catch (const platform::RunError& e) {
        endRun();
        operation.release(); // the report waits for the user
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Sök och ersätt, utför"));
        reselect();
        return;
    }
    endRun();
    if (!refusal.isEmpty()) {
        operation.release();
        Module1::logga_meddelande(0, -1, refusal, QString());
        return;
    }
    if (stopAsked()) {
        // By the user or by a close request: it says so, in the program log too, and what it did.
        const QString stopped = QStringLiteral("Processen avbröts. %1 jobb ändrades.").arg(counts_.jobs);
        program().systemLog().append(stopped);
        operation.release(); // the report waits for the user
        Module1::logga_meddelande(0, -1, stopped, QString());
    } else {
        operation.release(); // the report waits for the user
        QString done = QStringLiteral("Processen slutfördes utan problem. %1 jobb och %2 fält ändrades.")
                           .arg(counts_.jobs)
                           .arg(counts_.lines);
        // A job run before the folder is there would find no backup folder.
        for (const QString& b : std::as_const(missing))
            done += QStringLiteral("\r\n\r\nDen nya backupmappen ") + b +
                    QStringLiteral(" finns inte. Skapa den, eller anslut disken, innan jobben körs.");
        Module1::logga_meddelande(0, -1, done, QString());
    }
    reselect();
}

void frmsökersätt::endRun() {
    Frame2->hide();
    cmdkör->setEnabled(true);
    cmdavbryt->setEnabled(true);
    cmdstopp->hide();
    running_ = false;
}

void frmsökersätt::cmdstopp_Click() {
    if (program().dialogs.msgBox(QStringLiteral("Vill du avbryta?"), platform::MsgButtons::YesNo,
                                 platform::MsgIcon::Question,
                                 QStringLiteral("Avbryta?")) == platform::Answer::Yes)
        cmdstopp_Tag = QStringLiteral("1");
}

void frmsökersätt::cmdavbryt_Click() {
    if (running_)
        return;
    program().unload<frmsökersätt>();
}

void frmsökersätt::help1_Click() {
    program().dialogs.msgBox(
        QStringLiteral(
            "Vill du t.ex byta ut backupmappen från /media/usb1/Backup till /media/usb2/Backup så skriv inte "
            "bara \"/media/usb1/\" i sökfältet och ersätt med \"/media/usb2/\", utan skriv "
            "\"/media/usb1/Backup\". Ersätt det med \"/media/usb2/Backup\". Så så vis slipper du risken att "
            "ersätta på andra ställen oavsiktligt om \"/media/usb1/\" förekommer på andra ställen än som "
            "backupmapp."),
        platform::MsgButtons::Ok, platform::MsgIcon::Information);
}

void frmsökersätt::lblhjälp_Click() {
    Module1::öppna_hjälp();
}

void frmsökersätt::closeEvent(QCloseEvent* e) {
    // During a run the close box asks to stop, as "Avbryt process" does; otherwise it is "Stäng".
    e->ignore();
    if (running_)
        cmdstopp_Click();
    else
        cmdavbryt_Click();
}
