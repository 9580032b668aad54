#include "run/backup_window.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/progress_bar.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/copy_engine.h"
#include "run/mirror.h"
#include "run/result_dialogs.h"
#include "run/run_driver.h"
#include "run/run_status.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCursor>
#include <QTime>
#include <QTimer>
#include <QWindow>

namespace {

int px(int twips) {
    return qRound(twips / 15.0);
}

// A button that reports its right mouse button.
class RightButton : public QPushButton {
  public:
    RightButton(const QString& text, QWidget* parent, std::function<void(int)> up)
        : QPushButton(text, parent), up_(std::move(up)) {}

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton && up_)
            up_(2);
        QPushButton::mouseReleaseEvent(e);
    }

  private:
    std::function<void(int)> up_;
};

template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

using platform::BarBox;
using platform::BarLabel;

QLabel* bar(QFrame* picture, const char* name) {
    auto* l = named(new BarLabel(picture), name);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    pal.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(pal);
    l->setGeometry(0, 0, 0, picture->height());
    static_cast<BarBox*>(picture)->bar = l;
    return l;
}

QFrame* picture(QWidget* parent, const char* name, int left, int top, int width) {
    auto* f = named(new BarBox(parent), name);
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Sunken);
    place(f, left, top, width, 225);
    return f;
}

} // namespace

frmutförbackup::frmutförbackup() {
    program().setRun(this);
    setObjectName(QStringLiteral("frmutförbackup"));
    setWindowTitle(QStringLiteral("Utför backup"));
    createControls();
    Form_Load();
}

frmutförbackup::~frmutförbackup() {
    if (Program* p = currentProgram())
        p->forget(static_cast<RunServices*>(this));
}

void frmutförbackup::appendProgressText(const QString& text) {
    QTextCursor c(txtloggtext->document());
    c.movePosition(QTextCursor::End);
    c.insertText(text);
}

void frmutförbackup::unreadableSource(const QString& path, const platform::RunError& error) {
    engine().reportUnreadable(error, path);
}

QString frmutförbackup::countPattern() const {
    return program().job().txtpattern;
}

void frmutförbackup::sourceFolderRead(const QString& path, platform::FolderFiles&& seen) {
    engine().keepRefreshRead(path, std::move(seen));
}

void frmutförbackup::setStatusText(const QString& text) {
    txtbackup->setText(text);
}

void frmutförbackup::setSyncFolderCount(const QString& text) {
    lblantalmappar->setText(text);
}

void frmutförbackup::createControls() {
    // Design size in twips; Form_Resize places the rest. The measures were made for an 8-point font.
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    resize(px(11400), px(7800));

    Frame1 = named(new QGroupBox(QStringLiteral("Utför backup på följande jobb:"), this), "Frame1");
    place(Frame1, 120, 120, 4500, 6000);
    List1 = named(new QListWidget(Frame1), "List1");
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    place(List1, 120, 240, 4275, 4800);
    chkbackupsimulera = named(new QCheckBox(QStringLiteral("Simulera backup"), Frame1), "chkbackupsimulera");
    place(chkbackupsimulera, 120, 5075, 2400, 255);
    chksync = named(new QCheckBox(QStringLiteral("Spegla"), Frame1), "chksync");
    place(chksync, 120, 5335, 2400, 255);
    chksyncsimulera = named(new QCheckBox(QStringLiteral("Simulera spegling"), Frame1), "chksyncsimulera");
    place(chksyncsimulera, 120, 5595, 2400, 255);
    chksyncsimulera->setEnabled(false);
    cmdmarkera1 = named(new QPushButton(QStringLiteral("Markera alla"), Frame1), "cmdmarkera1");
    place(cmdmarkera1, 2925, 5040, 1335, 285);
    cmdmarkera2 = named(new QPushButton(QStringLiteral("Avmarkera alla"), Frame1), "cmdmarkera2");
    place(cmdmarkera2, 2925, 5325, 1335, 285);

    Frame2 = named(new QGroupBox(QStringLiteral("Sammanställning för valt jobb:"), this), "Frame2");
    place(Frame2, 4725, 120, 6180, 6000);
    List2 = named(new QListWidget(Frame2), "List2");
    // A job may list tens of thousands of folders, hidden one by one as they are done: rows of
    // one height spare laying out every row's text again each time.
    List2->setUniformItemSizes(true);
    place(List2, 120, 240, 5955, 3300);
    txtsammanställning = named(new QPlainTextEdit(Frame2), "txtsammanställning");
    txtsammanställning->setReadOnly(true);
    place(txtsammanställning, 120, 240, 5955, 3300);
    txtloggtext = named(new QPlainTextEdit(Frame2), "txtloggtext");
    txtloggtext->setReadOnly(true);
    txtloggtext->setMaximumBlockCount(0);
    place(txtloggtext, 120, 3540, 5955, 900);
    txtmapparkvar = named(new QLabel(Frame2), "txtmapparkvar");
    place(txtmapparkvar, 120, 4440, 2535, 240);
    lblantalfelrätt = named(new QLabel(Frame2), "lblantalfelrätt");
    place(lblantalfelrätt, 2655, 4440, 3300, 240);
    txtfil = named(new QLineEdit(Frame2), "txtfil");
    txtfil->setReadOnly(true);
    txtfil->setFrame(false);
    place(txtfil, 120, 4680, 5955, 240);
    txtbackup = named(new QLineEdit(Frame2), "txtbackup");
    txtbackup->setReadOnly(true);
    txtbackup->setFrame(false);
    place(txtbackup, 120, 4920, 5955, 240);
    lblprocentmapp = named(new QLabel(QStringLiteral("Aktuell mapp:"), Frame2), "lblprocentmapp");
    place(lblprocentmapp, 120, 5180, 1320, 225);
    lblprocentjobb = named(new QLabel(QStringLiteral("Aktuellt jobb:"), Frame2), "lblprocentjobb");
    place(lblprocentjobb, 120, 5420, 1320, 225);
    lblprocenttotal = named(new QLabel(QStringLiteral("Hela körningen:"), Frame2), "lblprocenttotal");
    place(lblprocenttotal, 120, 5660, 1320, 225);
    Picture3 = picture(Frame2, "Picture3", 1440, 5160, 4635);
    Picture1 = picture(Frame2, "Picture1", 1440, 5400, 4635);
    Picture2 = picture(Frame2, "Picture2", 1440, 5640, 4635);
    // Each bar is named by its caption for a screen reader, which reads its value.
    lblprocentmapp->setBuddy(Picture3);
    lblprocentjobb->setBuddy(Picture1);
    lblprocenttotal->setBuddy(Picture2);
    lblprocent1 = bar(Picture3, "lblprocent1");
    lblprocent2 = bar(Picture1, "lblprocent2");
    lblprocent3 = bar(Picture2, "lblprocent3");
    listerror = named(new QListWidget(Frame2), "listerror");
    listerror->hide();
    lblsenastkördajobb_namn = named(new QLabel(Frame2), "lblsenastkördajobb_namn");
    lblsenastkördajobb_namn->hide();
    lblmapp = named(new QLabel(Frame2), "lblmapp");
    lblmapp->hide();

    // Bottom row.
    cmdvisalogg =
        named(new RightButton(QStringLiteral("Visa logg"), this, [this](int b) { cmdvisalogg_MouseUp(b); }),
              "cmdvisalogg");
    cmdvisalogg->setToolTip(QStringLiteral("Högerklicka för externt program"));
    place(cmdvisalogg, 120, 6765, 1335, 375);
    // A link like the other windows' help links: reached with Tab, pressed with Space or Enter.
    auto* hjälp = platform::linkLabel(QStringLiteral("Hjälp"), "lblhjälp", this);
    hjälp->onClick = [this] { lblhjälp_Click(); };
    lblhjälp = hjälp;
    place(lblhjälp, 1575, 6870, 600, 240);
    imgerr = named(new QLabel(this), "imgerr");
    imgerr->setPixmap(platform::picture(platform::Picture::Error, 16));
    imgerr->setToolTip(QStringLiteral("Fel uppstod"));
    place(imgerr, 2280, 6825, 240, 240);
    imgerr->hide();
    lblantalfel = named(new QLabel(QStringLiteral("0"), this), "lblantalfel");
    place(lblantalfel, 2280, 7065, 600, 240);
    lbl1 = named(new QLabel(this), "lbl1");
    place(lbl1, 4725, 6765, 5325, 240);
    lbl2 = named(new QLabel(this), "lbl2");
    place(lbl2, 4725, 7005, 5325, 240);
    cmdavbryt = named(new QPushButton(QStringLiteral("Avbryt"), this), "cmdavbryt");
    place(cmdavbryt, 4720, 6765, 960, 375);
    cmdavbryt->hide();
    cmdpaus = named(new QPushButton(QStringLiteral("Paus"), this), "cmdpaus");
    place(cmdpaus, 5695, 6765, 960, 375);
    cmdpaus->hide();
    Command4 = named(new QPushButton(QStringLiteral("Stäng"), this), "Command4");
    place(Command4, 8530, 6765, 1335, 375);
    cmdkörbackup = named(new QPushButton(QStringLiteral("Utför!"), this), "cmdkörbackup");
    place(cmdkörbackup, 9985, 6765, 1335, 375);
    cmdkörbackup2 = named(new QPushButton(QStringLiteral("Utför!"), this), "cmdkörbackup2");
    place(cmdkörbackup2, 9985, 6765, 1335, 375);
    cmdkörbackup2->hide();

    // Mirroring panel, shown by the mirror pass over the other controls.
    frame_sync = named(new QGroupBox(this), "frame_sync");
    place(frame_sync, 120, 120, 6600, 4200);
    frame_sync->hide();
    Label1 = named(new QLabel(QStringLiteral("Speglar filer och mappar..."), frame_sync), "Label1");
    place(Label1, 120, 240, 4000, 255);
    lblantalmappar = named(new QLabel(QStringLiteral("Mappar kvar:"), frame_sync), "lblantalmappar");
    place(lblantalmappar, 120, 600, 4000, 255);
    lblraderademappar =
        named(new QLabel(QStringLiteral("Mappar raderade: 0"), frame_sync), "lblraderademappar");
    place(lblraderademappar, 120, 900, 4000, 255);
    lblraderadefiler = named(new QLabel(QStringLiteral("Filer raderade: 0"), frame_sync), "lblraderadefiler");
    place(lblraderadefiler, 120, 1200, 4000, 255);
    lblsynctid = named(new QLabel(QStringLiteral("Tidsåtgång: 00:00:00"), frame_sync), "lblsynctid");
    place(lblsynctid, 120, 1500, 4000, 255);
    lblinfo = named(new QLabel(frame_sync), "lblinfo");
    place(lblinfo, 120, 1800, 6300, 255);
    lblpath = named(new QLabel(frame_sync), "lblpath");
    place(lblpath, 120, 2100, 6300, 255);
    txtsyncfilmapp = named(new QLineEdit(frame_sync), "txtsyncfilmapp");
    txtsyncfilmapp->setReadOnly(true);
    place(txtsyncfilmapp, 120, 2400, 6300, 285);
    Picture4 = picture(frame_sync, "Picture4", 120, 2820, 6300);
    Picture5 = picture(frame_sync, "Picture5", 120, 3120, 6300);
    lblprocent22 = bar(Picture4, "lblprocent22");
    lblprocent11 = bar(Picture5, "lblprocent11");
    cmdavbrytsync = named(new QPushButton(QStringLiteral("Avbryt"), frame_sync), "cmdavbrytsync");
    place(cmdavbrytsync, 5100, 3600, 1335, 375);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    // Names for assistive tools where no caption of the control's own says what it holds.
    List1->setAccessibleName(QStringLiteral("Utför backup på följande jobb"));
    List2->setAccessibleName(QStringLiteral("Mappar som kommer att kopieras för aktuellt jobb"));
    txtsammanställning->setAccessibleName(QStringLiteral("Sammanställning för valt jobb"));
    txtloggtext->setAccessibleName(QStringLiteral("Logg"));
    txtfil->setAccessibleName(QStringLiteral("Aktuell fil"));
    txtbackup->setAccessibleName(QStringLiteral("Aktuell backupmapp"));
    listerror->setAccessibleName(QStringLiteral("Mappar som saknades"));
    txtsyncfilmapp->setAccessibleName(QStringLiteral("Aktuell fil eller mapp"));

    // Tab in reading order: the mirroring panel over the top left while it is shown, the job
    // list and the options below it row by row, the right column from the top, the bottom row.
    // What is hidden (the panel, the folder list under the summary, the run buttons) is passed.
    const QList<QWidget*> tabOrder{txtsyncfilmapp,     cmdavbrytsync, List1,       chkbackupsimulera,
                                   cmdmarkera1,        chksync,       cmdmarkera2, chksyncsimulera,
                                   txtsammanställning, List2,         txtloggtext, txtfil,
                                   txtbackup,          listerror,     cmdvisalogg, lblhjälp,
                                   cmdavbryt,          cmdpaus,       Command4,    cmdkörbackup,
                                   cmdkörbackup2};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The current file and target folder are stops only while they show something.
    for (QLineEdit* e : {txtfil, txtbackup}) {
        e->setFocusPolicy(Qt::NoFocus);
        QObject::connect(e, &QLineEdit::textChanged, e, [e](const QString& t) {
            e->setFocusPolicy(t.isEmpty() ? Qt::NoFocus : Qt::StrongFocus);
        });
    }
    showJobSummary(true);
    // Escape outside a run does what "Stäng" does; during a run "Avbryt" is the cancel button.
    platform::setCancelButton(Command4, true);

    for (QAbstractScrollArea* list :
         {static_cast<QAbstractScrollArea*>(List1), static_cast<QAbstractScrollArea*>(List2)}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }

    QObject::connect(cmdkörbackup, &QPushButton::clicked, this, [this] { cmdkörbackup_Click(); });
    QObject::connect(cmdkörbackup2, &QPushButton::clicked, this, [this] { cmdkörbackup2_Click(); });
    QObject::connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    QObject::connect(cmdavbrytsync, &QPushButton::clicked, this, [this] { cmdavbrytsync_Click(); });
    QObject::connect(cmdpaus, &QPushButton::clicked, this, [this] { cmdpaus_Click(); });
    QObject::connect(cmdvisalogg, &QPushButton::clicked, this, [this] { cmdvisalogg_Click(); });
    QObject::connect(cmdmarkera1, &QPushButton::clicked, this, [this] { cmdmarkera1_Click(); });
    QObject::connect(cmdmarkera2, &QPushButton::clicked, this, [this] { cmdmarkera2_Click(); });
    QObject::connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    // Every way of ticking it (mouse, keyboard, an accessibility client, code) locks or unlocks
    // its simulation box alike.
    QObject::connect(chksync, &QCheckBox::toggled, this, [this] {
        chksync_Click();
        chksync_MouseUp();
    });
    QObject::connect(chksyncsimulera, &QCheckBox::toggled, this, [this] { chksyncsimulera_Click(); });
    QObject::connect(listerror, &QListWidget::itemClicked, this, [this] { listerror_Click(); });
    QObject::connect(txtloggtext, &QPlainTextEdit::textChanged, this, [this] { txtloggtext_Change(); });
    QObject::connect(List1, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    QObject::connect(txtbackup, &QLineEdit::textChanged, this, [this] { txtbackup_Change(); });
    QObject::connect(txtfil, &QLineEdit::textChanged, this, [this] { txtfil_Change(); });
}

bool frmutförbackup::runGoingOn() const {
    return !cmdkörbackup->isEnabled();
}

void frmutförbackup::setRunInputLocked(bool locked) {
    if (locked == inputLocked_)
        return;
    inputLocked_ = locked;
    if (locked)
        syncSimEnabledBeforeRun_ = chksyncsimulera->isEnabled();
    for (QWidget* w :
         std::initializer_list<QWidget*>{chkbackupsimulera, chksync, cmdmarkera1, cmdmarkera2, cmdkörbackup2})
        w->setEnabled(!locked);
    chksyncsimulera->setEnabled(!locked && syncSimEnabledBeforeRun_);
}

bool frmutförbackup::eventFilter(QObject* watched, QEvent* e) {
    // The lists stay enabled, so they read normally and scroll; a press or a key would change
    // which job the run reads as current.
    if (inputLocked_) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::ContextMenu:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // Tab moves on; Enter and Escape go on to the window, which presses "Avbryt".
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Return &&
                key != Qt::Key_Enter && key != Qt::Key_Escape)
                return true;
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---- entry points ----------------------------------------------------------------------------------

void frmutförbackup::commandline() {
    setCaption(QStringLiteral("commandline"));
    UnattendedRun unattended;
    cmdkörbackup_Click();
}

void frmutförbackup::backupdirekt() {
    cmdkörbackup_Click();
}

void frmutförbackup::schema() {
    // The popup of an earlier scheduled run goes first; it is built with the result dialogs.
    setCaption(QStringLiteral("schema"));
    UnattendedRun unattended;
    cmdkörbackup_Click();
}

void frmutförbackup::cmdkörbackup_Click() {
    // Yields inside a run run other handlers; a second start there would corrupt the first run.
    if (running() || runGoingOn())
        return;
    const RunPlan p = planFromControls();
    // A switch-off of the scheduler before this run began is not meant for it.
    if (p.kind == RunKind::ByHand)
        program().schema_avstängt = 0;
    driver().run(p);
    endOfRun(p.kind);
}

bool frmutförbackup::running() const {
    return driver_ && driver_->running();
}

const RunState& frmutförbackup::runState() const {
    static const RunState none;
    return driver_ ? driver_->state() : none;
}

void frmutförbackup::stopRun(RunStop why) {
    driver().stopRun(why);
}

RunPlan frmutförbackup::planFromControls() const {
    RunPlan p;
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->isSelected())
            p.jobs << i;
    p.kind = RunPlan::kindOf(windowTitle());
    p.simulate = chkbackupsimulera->isChecked();
    p.mirror = chksync->isChecked();
    p.mirrorSimulated = chksyncsimulera->isChecked();
    return p;
}

bool frmutförbackup::simulating() const {
    return running() ? runState().plan.simulate : chkbackupsimulera->isChecked();
}

void frmutförbackup::endOfRun(RunKind kind) {
    gemensamt_schema = false;
    setCaption(QStringLiteral("Utför backup"));
    // An unattended run leaves no window behind, however it ended: a later run by hand opens a
    // fresh one.
    if (kind != RunKind::ByHand && program().loaded<frmutförbackup>() == this)
        program().unload<frmutförbackup>();
}

void frmutförbackup::bringBack() {
    if (windowState() & Qt::WindowMinimized)
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void frmutförbackup::cmdkörbackup2_Click() {
    if (running() || runGoingOn())
        return;
    if (!runstatus::setting("chkvarnasync")) {
        const auto a = program().dialogs.msgBox(
            QStringLiteral(
                "Du har valt att spegla din backup utan att simulera speglingen.\r\n"
                "Detta innebär att alla filer i din befintliga backupkopia som inte längre finns i "
                "originalet kommer att raderas från din backupkopia!\r\n\r\n"
                "Vill du istället få en lista över dessa filer efter genomförd backup, kan du avbryta nu "
                "och välja Simulera.\r\nVill du fortsätta ändå trycker du OK.\r\n\r\n"
                "(Du kan stänga av denna varning i Alternativ - Inställningar - Spegling i huvudfönstret)"),
            platform::MsgButtons::OkCancel, platform::MsgIcon::Exclamation);
        if (a != platform::Answer::Ok)
            return;
    }
    cmdkörbackup_Click();
}

// ---- cancel, pause and the small handlers ---------------------------------------------------------

namespace {
bool askCancel() {
    return program().dialogs.msgBox(QStringLiteral("Vill du avbryta?"), platform::MsgButtons::YesNo,
                                    platform::MsgIcon::Question,
                                    QStringLiteral("Avbryta?")) == platform::Answer::Yes;
}
} // namespace

void frmutförbackup::cmdavbryt_Click() {
    if (askCancel())
        stopRun(RunStop::ByUser);
}

void frmutförbackup::cmdavbrytsync_Click() {
    if (askCancel()) {
        driver().stopMirror();
        runstatus::stopEditorScan();
    }
}

void frmutförbackup::setLblavbryt(const QString& text) {
    if (text == lblavbryt)
        return;
    lblavbryt = text;
    lblavbryt_Change();
}

void frmutförbackup::lblavbryt_Change() {
    if (lblavbryt != QLatin1String("1"))
        return;
    if (askCancel()) {
        stopRun(RunStop::ByUser);
        driver().stopMirror();
    } else {
        setLblavbryt(QString());
    }
}

void frmutförbackup::cmdpaus_Click() {
    runstatus::showPauseWindow();
}

void frmutförbackup::cmdvisalogg_Click() {
    runstatus::showRunLog(0);
}

void frmutförbackup::cmdvisalogg_MouseUp(int button) {
    if (button == 2)
        runstatus::showRunLog(1);
}

void frmutförbackup::lblhjälp_Click() {
    runstatus::openHelp();
}

void frmutförbackup::cmdmarkera1_Click() {
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setSelected(true);
}

void frmutförbackup::cmdmarkera2_Click() {
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setSelected(false);
}

void frmutförbackup::chksync_Click() {
    cmdkörbackup2->setVisible(chksync->isChecked());
    coverRunButton();
}

void frmutförbackup::coverRunButton() {
    // The mirror's "Utför!" lies over the plain one; a screen reader must meet only the one shown.
    cmdkörbackup->setVisible(cmdkörbackup2->isHidden());
}

void frmutförbackup::chksync_MouseUp() {
    if (chksync->isChecked()) {
        chksyncsimulera->setEnabled(true);
    } else {
        chksyncsimulera->setChecked(false);
        chksyncsimulera->setEnabled(false);
    }
}

void frmutförbackup::chksyncsimulera_Click() {
    if (chksyncsimulera->isChecked())
        cmdkörbackup2->hide();
    else if (chksync->isChecked())
        cmdkörbackup2->show();
    coverRunButton();
}

void frmutförbackup::showJobSummary(bool on) {
    // The summary lies over the folder list; the list under it is hidden, so it takes no focus.
    txtsammanställning->setVisible(on);
    List2->setVisible(!on);
}

void frmutförbackup::Command4_Click() {
    showJobSummary(true);
    Frame2->setTitle(QStringLiteral("Sammanställning för valt jobb:"));
    close();
}

void frmutförbackup::listerror_Click() {
    if (QListWidgetItem* it = listerror->currentItem()) {
        txtfil->setText(it->text());
        txtfil->setCursorPosition(txtfil->text().size());
    }
}

void frmutförbackup::txtloggtext_Change() {
    QScrollBar* s = txtloggtext->verticalScrollBar();
    s->setValue(s->maximum());
}

void frmutförbackup::List1_Click() {
    if (runGoingOn()) {
        txtsammanställning->clear();
        return;
    }
    try {
        MainWindowServices& m = program().mainWindow();
        m.selectJob(List1->currentRow());
        txtsammanställning->setPlainText(m.currentJobName() + QStringLiteral("\n\n") +
                                         program().job().txtsammanställning);
    } catch (...) {
        txtsammanställning->clear();
    }
}

void frmutförbackup::Timer1_Timer() {
    const QString job = List1->currentItem() ? List1->currentItem()->text() : QString();
    if (job != timerLastJob_)
        timerStarted_ = false;
    timerLastJob_ = job;
    const QDateTime now = program().clock.now();
    if (!timerStarted_)
        timerStart_ = now;
    const qint64 secs = timerStart_.secsTo(now) % 86400;
    lblsynctid->setText(QStringLiteral("Tidsåtgång: ") +
                        QTime(0, 0).addSecs(int(secs)).toString(QStringLiteral("HH:mm:ss")));
    timerStarted_ = true;
}

void frmutförbackup::lblantalfel_Change() {
    runstatus::setMainText("lblschema_antalfel", QString::number(engine().antalfel));
}

void frmutförbackup::lblinfo_Change() {
    runstatus::setMainText("lblschema_statuspågår", QStringLiteral("Speglar: ") + lblinfo->text());
}

void frmutförbackup::lblprocent3_Change() {
    Picture2->update(); // the box draws the part of the text beside the bar
    runstatus::setMainText("lblprocent", lblprocent3->text());
    if (frmprocent* p = program().loaded<frmprocent>())
        p->setProgressText(lblprocent3->text(), !imgerr->isHidden());
}

void frmutförbackup::txtbackup_Change() {
    if (runGoingOn())
        runstatus::setMainText("lblschema_mapp", txtbackup->text());
}

void frmutförbackup::txtfil_Change() {
    if (runGoingOn())
        runstatus::setMainText("lblschema_fil", txtfil->text());
}

// ---- the window log and the error count -----------------------------------------------------------

void frmutförbackup::addLogLine(const QString& text) {
    addLogRaw(QStringLiteral("\n") + platform::timeText(program().clock.now()) + text);
}

void frmutförbackup::addLogRaw(const QString& text) {
    // Appending at the end keeps a long log cheap; the box keeps its own line breaks.
    QTextCursor c(txtloggtext->document());
    c.movePosition(QTextCursor::End);
    c.insertText(text);
}

QStringList frmutförbackup::Split(const QString& text, const QString& delimiter) {
    return platform::Split(text, delimiter);
}

// ---- preselection ---------------------------------------------------------------------------------

void frmutförbackup::spara_valda_inställningar() {
    // After a run an entry carries its copy count; the job's own name is what must match later.
    const MainWindowServices& jobs = program().mainWindow();
    QStringList names;
    for (int i = 0; i < List1->count(); ++i) {
        if (!List1->item(i)->isSelected())
            continue;
        const QString text = List1->item(i)->text();
        const QString job = i < jobs.jobCount() ? jobs.jobName(i) : QString();
        names << (!job.isEmpty() && text.startsWith(job + QStringLiteral(" (")) ? job : text);
    }
    try {
        platform::writeLines(program().path(QStringLiteral("valda_inställningar.ini")), names);
    } catch (const platform::RunError& e) {
        runstatus::systemLogError(QStringLiteral("FEL! Kunde inte spara lista över förvalda jobb. Felkod ") +
                                  QString::number(e.number) + QLatin1Char(' ') + e.description);
    }
}

void frmutförbackup::Form_Activate() {
    if (runstatus::schedulerOn())
        return;
    if (runstatus::reminderVisible())
        return;
    const QString file = program().path(QStringLiteral("valda_inställningar.ini"));
    if (!platform::fileExists(file))
        return;
    try {
        const QStringList lines = platform::readLines(file);
        for (const QString& line : lines)
            for (int i = 0; i < List1->count(); ++i)
                if (List1->item(i)->text() == line)
                    List1->item(i)->setSelected(true);
    } catch (const platform::RunError& e) {
        runstatus::systemLogError(QStringLiteral("FEL! Kunde inte förmarkera valda jobb. Felkod ") +
                                  QString::number(e.number) + QLatin1Char(' ') + e.description);
    }
}

// ---- loading and unloading ------------------------------------------------------------------------

void frmutförbackup::Form_Load() {
    setWindowIcon(program().mainWindow().icon());
    txtfil->clear();
    txtbackup->clear();
    txtmapparkvar->clear();
    lblantalfelrätt->clear();
    lbl1->clear();
    lbl2->clear();
    open_windowsize();
    frame_sync->move(px(120), px(120));
}

bool frmutförbackup::Form_Unload() {
    if (runstatus::schedulerPanelVisible() && isVisible()) {
        hide();
        program().mainWindow().showWindow();
        return false;
    }
    if (isVisible() && runGoingOn()) {
        cmdavbryt_Click();
        return false;
    }
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        spara_windowsize();
    program().schema_avstängt = 0;
    return true;
}

void frmutförbackup::closeEvent(QCloseEvent* e) {
    if (!Form_Unload()) {
        e->ignore();
        return;
    }
    e->accept();
    program().unload<frmutförbackup>();
}

namespace {
// `w` is `owner` or a window opened over it (its child or one it is the owner of for the window
// manager), as the program's message boxes are.
bool opensOver(QWidget* w, const QWidget* owner) {
    for (int depth = 0; w && depth < 16; ++depth) {
        w = w->window();
        if (w == owner)
            return true;
        if (QWidget* p = w->parentWidget()) {
            w = p;
            continue;
        }
        const QWindow* handle = w->windowHandle();
        const QWindow* transient = handle ? handle->transientParent() : nullptr;
        w = nullptr;
        if (transient)
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->windowHandle() == transient)
                    w = top;
    }
    return false;
}
} // namespace

bool frmutförbackup::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        // Only becoming the program's active form marks the saved selection, and never while a
        // run works from its plan (a box of the run closing over the window activates it again).
        if (!activeForm_) {
            activeForm_ = true;
            if (!running() && !runGoingOn())
                Form_Activate();
        }
    } else if (e->type() == QEvent::WindowDeactivate) {
        QWidget* now = QApplication::activeWindow();
        if (now && !opensOver(now, this))
            activeForm_ = false;
    }
    return QWidget::event(e);
}

void frmutförbackup::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    // Shown again, it becomes the active form anew; a minimise is no hiding.
    if (!e->spontaneous())
        activeForm_ = false;
}

void frmutförbackup::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        List1->setFocus(); // the window opens at the jobs to choose
}
