// The scheduler panel of the main window: the switch, the waiting and running views, the list of
// scheduled jobs, the finished scheduled runs with their saved logs, the last-run line, and the
// opening of the schedule editor.
#include "core/log_marks.h"
#include "core/module1.h"
#include "core/program.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/widgets.h"
#include "run/backup_window.h"
#include "run/run_log.h"
#include "run/run_status.h"
#include "scheduler/pause_window.h"
#include "scheduler/schedule_editor.h"
#include "scheduler/schedule_files.h"
#include "scheduler/scheduler.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace {
constexpr int tw(int twips) {
    return twips / 15;
}
constexpr int kRow = 20;
constexpr int kCaptionWidth = 130;

// A view of the panel: its values reach its right edge whatever the window's width.
class PanelView : public QFrame {
  public:
    using QFrame::QFrame;

  protected:
    void resizeEvent(QResizeEvent* e) override {
        QFrame::resizeEvent(e);
        for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->property("stretch").toBool())
                w->resize(width() - w->x(), w->height());
    }
};

// A caption and the value beside it, read as a pair by a screen reader: the caption names the
// value. A value longer than its place is cut with "…" and whole in its tooltip.
template <class W> W* row(QFrame* view, const QString& caption, const char* name, int top) {
    auto* c = new QLabel(caption, view);
    c->setGeometry(0, top, kCaptionWidth, kRow);
    auto* v = platform::named<W>(view, name);
    v->setGeometry(kCaptionWidth, top, view->width() - kCaptionWidth, kRow);
    v->setProperty("stretch", true);
    c->setBuddy(v);
    return v;
}

platform::ClickLabel* link(QWidget* parent, const char* name, const QString& text) {
    auto* l = platform::named<platform::ClickLabel>(parent, name, text);
    l->setCursor(Qt::PointingHandCursor);
    l->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    return l;
}

QFrame* view(QWidget* parent, const char* name, int top) {
    auto* f = platform::named<PanelView>(parent, name);
    f->setGeometry(tw(1800), top, tw(8400), tw(2850));
    f->setAutoFillBackground(true);
    return f;
}

// The progress strip of a scheduled run. The bar (lblprocent, whose width the run sets) lies in a
// track as wide as the panel's contents; the percent text stands in the middle of the track, dark
// over the track and white over the bar, so it can be read whatever the bar's width.
class ProgressBar : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter g(this);
        g.fillRect(rect(), QColor(0, 0, 192));
        g.setPen(Qt::white);
        const QWidget* track = parentWidget();
        g.drawText(QRect(-x(), -y(), track->width(), track->height()), Qt::AlignCenter, text());
    }
};

class ProgressTrack : public QWidget {
  public:
    explicit ProgressTrack(QWidget* parent) : QWidget(parent) {}
    void setBar(QLabel* bar) {
        bar_ = bar;
        bar->installEventFilter(this);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter g(this);
        g.fillRect(rect(), palette().color(QPalette::Base));
        g.setPen(palette().color(QPalette::Mid));
        g.drawRect(rect().adjusted(0, 0, -1, -1));
        g.setPen(palette().color(QPalette::Text));
        if (bar_)
            g.drawText(rect(), Qt::AlignCenter, bar_->text());
    }
    // A new text repaints the bar, or, while the bar has no width yet, asks its parent (the track)
    // for a new layout. The track shows while the bar does.
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == bar_) {
            if (e->type() == QEvent::Paint)
                followText();
            else if (e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent)
                setVisible(!bar_->isHidden());
        }
        return QWidget::eventFilter(o, e);
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::LayoutRequest)
            followText();
        return QWidget::event(e);
    }

  private:
    void followText() {
        if (bar_ && bar_->text() != shown_) {
            shown_ = bar_->text();
            update();
        }
    }

    QLabel* bar_ = nullptr;
    QString shown_;
};
} // namespace

void frmmain::createSchedulerControls() {
    QWidget* c = centralWidget();
    chkaktiveraschema =
        platform::named<QCheckBox>(c, "chkaktiveraschema", QStringLiteral("Aktivera schemaläggningen"));
    chkaktiveraschema->hide();
    QObject::connect(chkaktiveraschema, &QCheckBox::toggled, this, [this] { chkaktiveraschema_Click(); });

    frameschema = platform::named<QFrame>(c, "frameschema");
    frameschema->setFrameShape(QFrame::StyledPanel);
    frameschema->setAutoFillBackground(true);
    // As wide as the window's contents: nothing of the view beneath shows beside it.
    frameschema->setGeometry(0, 0, centralWidget()->width(), Frame1->height() + tw(120));
    frameschema->hide();
    frameschema->installEventFilter(this);

    lblschemarubrik =
        platform::namedLabel(frameschema, "lblschemarubrik", QStringLiteral("Schemakörning aktiv"));
    QFont heading = lblschemarubrik->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 3);
    lblschemarubrik->setFont(heading);
    lblschemarubrik->setGeometry(tw(120), tw(120), tw(6000), tw(400));
    Image2 = platform::namedLabel(frameschema, "Image2");
    Image2->setPixmap(platform::picture(platform::Picture::Schedule, 48));
    Image2->setGeometry(tw(120) + 28, tw(600), 48, 48);
    cmdschema_körnu = platform::namedButton(frameschema, "cmdschema_körnu", QStringLiteral("Kör nu!"));
    cmdschema_körnu->setGeometry(tw(120), tw(1500), tw(1560), tw(390));
    cmdschemapaus = platform::namedButton(frameschema, "cmdschemapaus", QStringLiteral("Paus"));
    cmdschemapaus->setGeometry(tw(120), tw(1950), tw(1560), tw(390));
    cmdschemapaus->hide();
    cmdschema_avaktivera =
        platform::namedButton(frameschema, "cmdschema_avaktivera", QStringLiteral("Avaktivera"));
    cmdschema_avaktivera->setGeometry(tw(120), tw(2400), tw(1560), tw(390));
    auto* hjälp = link(frameschema, "lblhjälp2", QStringLiteral("Hjälp"));
    hjälp->setGeometry(tw(120), tw(2900), tw(1560), kRow);
    hjälp->onClick = [] { Module1::öppna_hjälp(); };
    lblhjälp2 = hjälp;
    // The log panel's link lies on this panel while scheduling is on.
    lblschemavisasyslogg->setParent(frameschema);
    lblschemavisasyslogg->setGeometry(tw(120), tw(3200), tw(1680), kRow);
    lblschemavisasyslogg->show();

    frameschemaaktiv = view(frameschema, "frameschemaaktiv", tw(600));
    lblschema_status =
        row<platform::ValueLabel>(frameschemaaktiv, QStringLiteral("Status:"), "lblschema_status", 0);
    lblschema_status->setText(QStringLiteral("Status: Väntar"));
    lblschema_nästakörning = row<platform::ValueLabel>(frameschemaaktiv, QStringLiteral("Nästa körning:"),
                                                       "lblschema_nästakörning", kRow);
    lblschema_nästakörning->setText(QStringLiteral("Nästa körning:"));
    lblschema_antalschemalagdajobb = row<platform::ValueLabel>(
        frameschemaaktiv, QStringLiteral("Schemalagda jobb:"), "lblschema_antalschemalagdajobb", 2 * kRow);
    lblschema_antalschemalagdajobb->setText(QStringLiteral("Antal schemalagda jobb:"));
    lblschemanedräkning2 = platform::namedLabel(frameschemaaktiv, "lblschemanedräkning2",
                                                QStringLiteral("Backup startar om ungefär.."));
    QFont bold = lblschemanedräkning2->font();
    bold.setBold(true);
    lblschemanedräkning2->setFont(bold);
    lblschemanedräkning2->setGeometry(0, 4 * kRow, frameschemaaktiv->width(), kRow);
    lblschemanedräkning2->setProperty("stretch", true);
    lblschemanedräkning = platform::namedLabel(frameschemaaktiv, "lblschemanedräkning");
    lblschemanedräkning->hide();
    auto* visaJobb = link(frameschemaaktiv, "lblvisaschemajobb", QStringLiteral("Visa schemalagda jobb"));
    visaJobb->setGeometry(0, 6 * kRow, tw(3000), kRow);
    visaJobb->onClick = [this] { lblvisaschemajobb_Click(); };
    lblvisaschemajobb = visaJobb;

    frameschemapågår = view(frameschema, "frameschemapågår", tw(600));
    lblschema_jobb =
        row<platform::ValueLabel>(frameschemapågår, QStringLiteral("Aktuellt jobb:"), "lblschema_jobb", 0);
    lblschema_statuspågår =
        row<platform::ValueLabel>(frameschemapågår, QStringLiteral("Status:"), "lblschema_statuspågår", kRow);
    lblschema_mappar = row<platform::ValueLabel>(frameschemapågår, QStringLiteral("Mappar kvar:"),
                                                 "lblschema_mappar", 2 * kRow);
    lblschema_mapp =
        row<QLineEdit>(frameschemapågår, QStringLiteral("Aktuell mapp:"), "lblschema_mapp", 3 * kRow);
    lblschema_mapp->setReadOnly(true);
    lblschema_fil = row<platform::ValueLabel>(frameschemapågår, QStringLiteral("Aktuell fil:"),
                                              "lblschema_fil", 4 * kRow);
    lblschema_antalfel = row<platform::ValueLabel>(frameschemapågår, QStringLiteral("Antal fel:"),
                                                   "lblschema_antalfel", 5 * kRow);
    lblschemaavbryt = platform::namedLabel(
        frameschemapågår, "lblschemaavbryt",
        QStringLiteral("Klickar du på Avbryt, öppnas backupfönstret där du kan avbryta processen."));
    lblschemaavbryt->setGeometry(0, 6 * kRow + 6, frameschemapågår->width(), kRow);
    lblschemaavbryt->setProperty("stretch", true);
    auto* visaBackup = link(frameschemapågår, "lblvisabackupfönstret", QStringLiteral("Visa backupfönstret"));
    visaBackup->setGeometry(0, 7 * kRow + 8, tw(3000), kRow);
    visaBackup->onClick = [this] { lblvisabackupfönstret_Click(); };
    visaBackup->hide();
    lblvisabackupfönstret = visaBackup;

    txtschemavisajobb = platform::named<QPlainTextEdit>(frameschema, "txtschemavisajobb");
    txtschemavisajobb->setReadOnly(true);
    txtschemavisajobb->setToolTip(QStringLiteral("Schemalagda jobb"));
    // It ends above its own link, which hides it again.
    txtschemavisajobb->setGeometry(tw(1800), tw(840), tw(5400),
                                   frameschemaaktiv->y() + lblvisaschemajobb->y() - tw(840) - 4);
    txtschemavisajobb->hide();

    auto* track = platform::named<ProgressTrack>(frameschema, "picprocent");
    track->setGeometry(tw(120), tw(3525), frameschema->width() - 2 * tw(120), tw(225));
    lblprocent = platform::named<ProgressBar>(track, "lblprocent");
    lblprocent->setGeometry(1, 1, 0, track->height() - 2);
    track->setBar(lblprocent);
    lblprocent->hide();
    track->hide();
    listschemalogg = platform::named<QListWidget>(frameschema, "listschemalogg");
    listschemalogg->setToolTip(QStringLiteral("Avslutade schemakörningar"));
    // An entry tells the time, the job and the counts: it wraps rather than hiding its end.
    listschemalogg->setWordWrap(true);
    listschemalogg->setResizeMode(QListView::Adjust);
    listschemalogg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listschemalogg->setAlternatingRowColors(true);
    listschemalogg->setGeometry(tw(120), tw(3780), tw(4200), tw(1500));
    txtschemalogg = platform::named<QTextEdit>(frameschema, "txtschemalogg");
    txtschemalogg->setReadOnly(true);
    txtschemalogg->setLineWrapMode(QTextEdit::NoWrap);
    txtschemalogg->setToolTip(QStringLiteral("Sparad logg för vald körning"));
    txtschemalogg->setGeometry(tw(4440), tw(3780), tw(4000), tw(1500));

    schemaLayer_ = platform::coverableLayer(frameschema);
    frameschemaaktiv->installEventFilter(this);
    frameschemapågår->installEventFilter(this);

    Label6 = platform::namedLabel(c, "Label6", QStringLiteral("Senaste Backup:"));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    QObject::connect(cmdschema_körnu, &QPushButton::clicked, this, [this] { cmdschema_körnu_Click(); });
    QObject::connect(cmdschemapaus, &QPushButton::clicked, this, [this] { cmdschemapaus_Click(); });
    QObject::connect(cmdschema_avaktivera, &QPushButton::clicked, this,
                     [this] { cmdschema_avaktivera_Click(); });
    QObject::connect(lblschema_mapp, &QLineEdit::textChanged, this, [this] { lblschema_mapp_Change(); });
    // Whatever makes a run current, a click, a key or the scheduler adding the newest, shows its log.
    QObject::connect(listschemalogg, &QListWidget::currentRowChanged, this,
                     [this] { listschemalogg_Click(); });

    // The scheduler answers the pause buttons and the saved lists' link from the start.
    scheduler();
}

// ---- the switch -------------------------------------------------------------------------------------

void frmmain::chkaktiveraschema_Click() {
    if (chkaktiveraschema->isChecked()) {
        scheduler().switchOn();
        Form_Resize();
        return;
    }
    const bool focusOnPanel = frameschema->isAncestorOf(focusWidget());
    scheduler().switchOff();
    Form_Resize();
    // The panel's buttons are gone: the keyboard goes on in the job list, not wherever Qt moved it.
    if (focusOnPanel)
        focusFront();
}

void frmmain::showSchedulerPanel(bool visible) {
    if (!visible) {
        frameschema->hide();
        return;
    }
    frameschemaaktiv->move(tw(1800), tw(600));
    frameschemapågår->move(tw(1800), tw(600));
    frameschemaaktiv->setFrameShape(QFrame::NoFrame);
    frameschemapågår->setFrameShape(QFrame::NoFrame);
    txtschemavisajobb->move(tw(1800), tw(840));
    frameschema->move(0, 0);
    frameschema->raise();
    frameschema->show();
    // Switched on while the window loads, the panel must still lie in front once the window and the
    // panels that raise themselves when shown are on the screen.
    QTimer::singleShot(0, frameschema, [this] {
        if (frameschema->isVisibleTo(this)) {
            frameschema->raise();
            keepFocusInView();
        }
    });
    frameschemaaktiv->raise();
    if (!txtschemavisajobb->isHidden())
        txtschemavisajobb->raise();
    keepFocusInView();
}

void frmmain::setScheduledJobs(const QStringList& names) {
    QString text = QStringLiteral("Följande jobb är schemalagda:");
    for (const QString& n : names)
        text += QStringLiteral("\n") + n;
    txtschemavisajobb->setPlainText(text);
    txtschemavisajobb_Tag = QString(names.size(), QLatin1Char('-'));
}

void frmmain::raiseField(const QString& name) {
    if (QWidget* w = findChild<QWidget*>(name))
        w->raise();
}

void frmmain::setFieldEnabled(const QString& name, bool enabled) {
    if (QWidget* w = findChild<QWidget*>(name))
        w->setEnabled(enabled);
}

void frmmain::jobRenamed(const QString& oldName, const QString& newName) {
    try {
        schedule::renameInSelection(currentGroup(), oldName, newName);
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(
            e, -1, QStringLiteral("Ett fel uppstod då listan över schemalagda jobb skulle sparas."),
            QStringLiteral("Main, byt namn"));
    }
}

// ---- the panel's commands ---------------------------------------------------------------------------

void frmmain::cmdschema_avaktivera_Click() {
    const QString caption = cmdschema_avaktivera->text();
    if (caption == QLatin1String("Avaktivera")) {
        chkaktiveraschema->setChecked(false);
    } else if (caption == QLatin1String("Avbryt")) {
        if (frmutförbackup* b = program().loaded<frmutförbackup>())
            b->setLblavbryt(QStringLiteral("1"));
    }
}

void frmmain::cmdschema_körnu_Click() {
    cmdschema_körnu_Tag = QStringLiteral("1");
    cmdschema_körnu->setEnabled(false);
    cmdschema_körnu->setText(QStringLiteral("Vänta..."));
}

void frmmain::cmdschemapaus_Click() {
    frmpaus::pausa();
}

void frmmain::lblvisaschemajobb_Click() {
    if (lblvisaschemajobb->text() == QLatin1String("Visa schemalagda jobb")) {
        txtschemavisajobb->raise();
        txtschemavisajobb->show();
        lblvisaschemajobb_Tag = QStringLiteral("Visa schemalagda jobb");
        lblvisaschemajobb->setText(QStringLiteral("Dölj schemalagda jobb"));
    } else {
        txtschemavisajobb->hide();
        lblvisaschemajobb->setText(lblvisaschemajobb_Tag);
    }
}

void frmmain::lblschemavisasyslogg_Click() {
    QPalette pal = lblschemavisasyslogg->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 0xC0));
    lblschemavisasyslogg->setPalette(pal);
    cmdprogramlogg_Click();
}

void frmmain::lblschema_mapp_Change() {
    lblschema_mapp->setCursorPosition(int(lblschema_mapp->text().size()));
}

void frmmain::listschemalogg_Click() {
    const QListWidgetItem* item = listschemalogg->currentItem();
    if (!item)
        return;
    // The run tells which file it saved: runs of one second (two jobs due at one minute) share
    // the stamp of their saved logs' names, and letter case or a cut name can make them alike.
    const QString path = item->data(kSavedLogRole).toString();
    try {
        txtschemalogg->setPlainText(QStringLiteral("Läser in loggfil..."));
        if (path.isEmpty() || !platform::fileExists(path)) {
            txtschemalogg->setPlainText(QStringLiteral("Filen kunde inte hittas!\n") + path +
                                        QStringLiteral("\n\nNotera att endast de senaste loggarna sparas."));
            return;
        }
        txtschemalogg->setPlainText(platform::readText(path));
        // "FEL:" of the run log, and "Ett fel uppstod" where no "!" stands two places before.
        const QString text = txtschemalogg->toPlainText();
        std::vector<logmarks::Range> marks = logmarks::runLogErrors(text);
        for (const logmarks::Range& r : logmarks::programLogErrors(text))
            if (!text.mid(r.start, r.length).startsWith(QLatin1String("FEL!"), Qt::CaseInsensitive))
                marks.push_back(r);
        logmarks::markRedBold(txtschemalogg->document(), marks);
        QTextCursor end(txtschemalogg->document());
        end.movePosition(QTextCursor::End);
        txtschemalogg->setTextCursor(end);
    } catch (const platform::RunError& e) {
        txtschemalogg->setPlainText(QStringLiteral("Ett fel uppstod\n") + path + QStringLiteral("\n") +
                                    QString::number(e.number) + QStringLiteral(" - ") + e.description);
    }
}

void frmmain::visa_senaste_backup() {
    const QString file = program().path(QStringLiteral("log.txt"));
    if (!platform::fileExists(file))
        return;
    try {
        // Only the head and the tail: a run log can hold hundreds of megabytes.
        // The caption apart from the header: "Senaste " before "Schemalagd Backup ..." reads wrong.
        Label6->setText(
            QStringLiteral("Senaste Backup: ") +
            runlog::lastRunText(platform::readFirstLines(file, 2), platform::readLastLines(file, 200)));
        cmdvisalogg->show();
    } catch (const platform::RunError&) {
        Label6->clear();
    }
    // The line may now need more room or less beside the notices.
    if (laidOut_)
        layOutControls();
}

// ---- the schedule editor ----------------------------------------------------------------------------

void frmmain::cmdstartaschema_Click() {
    program().schema_avstängt = 0;
    if (comboinställningar->currentIndex() < 0)
        return;
    frmschema2* e = nullptr;
    // Each opening shows the files and jobs as they are now; while scheduling is on the editor is
    // locked and shows what the scheduler works with.
    if (!chkaktiveraschema->isChecked())
        scheduler().reload();
    try {
        knappar_lås();
        e = program().form<frmschema2>();
        e->fillJobList();
        knappar_låsupp();
    } catch (const platform::RunError& err) {
        Module1::logga_meddelande(err, -1,
                                  QStringLiteral("Ett fel uppstod under inläsning till schemaläggningen."),
                                  QStringLiteral("Main, schemalägg"));
        knappar_låsupp();
        return;
    }
    runstatus::centreOverRunWindow(e);
    program().dialogs.showModal(e);
}
