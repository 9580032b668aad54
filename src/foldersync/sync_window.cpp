// The folder synchronisation window: its controls, looks, histories, pickers and drops.
#include "foldersync/sync_window.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "editor/histories.h"
#include "foldersync/host.h"
#include "foldersync/sync_engine.h"
#include "foldersync/sync_logic.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/progress_bar.h"
#include "platform/widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QUrl>

namespace {
constexpr int kTwip = 15;

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, bool ticked) {
    auto* c = platform::named<QCheckBox>(parent, name, text);
    c->setChecked(ticked);
    return c;
}

QFrame* bar(QWidget* parent, const char* frameName, const char* labelName, QLabel*& label) {
    auto* f = platform::named<platform::BarBox>(parent, frameName);
    f->setFrameShape(QFrame::Box);
    label = platform::named<platform::BarLabel>(f, labelName);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::HighlightedText));
    label->setPalette(pal);
    f->bar = label;
    return f;
}

QLineEdit* progressField(QWidget* parent, const char* name, const QString& accessible) {
    auto* t = platform::named<QLineEdit>(parent, name);
    t->setText(QStringLiteral("---"));
    t->setReadOnly(true);
    t->setAccessibleName(accessible);
    return t;
}
} // namespace

frmmappsync::frmmappsync() {
    setObjectName(QStringLiteral("frmmappsync"));
    setWindowTitle(QStringLiteral("Mappkopiering"));
    setWindowFlag(Qt::Window);
    createControls();
    Form_Load();
}

frmmappsync::~frmmappsync() = default;

void frmmappsync::createControls() {
    imgsynk = platform::namedLabel(this, "imgsynk");
    imgsynk->setPixmap(platform::picture(platform::Picture::Sync, 32));
    imgsynk->setToolTip(QStringLiteral("Synkronisering..."));
    Label1 = platform::namedLabel(
        this, "Label1",
        QStringLiteral("Här kan du kopiera två mappar mellan varandra för att de ska få identiskt innehåll. "
                       "Båda mapparna får senaste versionen av varje fil. Du kan dra & släppa mappar från "
                       "filhanteraren till fälten nedan."));
    Label1->setWordWrap(true);

    Frame1 = platform::named<QFrame>(this, "Frame1");
    Frame1->setFrameShape(QFrame::StyledPanel);
    Label2 = platform::namedLabel(Frame1, "Label2", QStringLiteral("Mapp 1:"));
    Label3 = platform::namedLabel(Frame1, "Label3", QStringLiteral("Mapp 2:"));
    QComboBox** fields[2] = {&txtmapp1, &txtmapp2};
    QPushButton** pickers[2] = {&cmdhämtamapp1, &cmdhämtamapp2};
    const char* fieldNames[2] = {"txtmapp1", "txtmapp2"};
    const char* pickerNames[2] = {"cmdhämtamapp1", "cmdhämtamapp2"};
    for (int i = 0; i < 2; ++i) {
        QComboBox* c = platform::named<QComboBox>(Frame1, fieldNames[i]);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert); // the history grows only when a run starts
        c->lineEdit()->setAcceptDrops(true);
        c->lineEdit()->installEventFilter(this);
        *fields[i] = c;
        QPushButton* b = platform::namedButton(Frame1, pickerNames[i], QString());
        b->setIcon(platform::icon(platform::Picture::Folder));
        b->setToolTip(QStringLiteral("Välj mapp..."));
        // Two buttons of one tooltip: a screen reader tells them apart by the folder they fill.
        b->setAccessibleName(QStringLiteral("Välj Mapp %1...").arg(i + 1));
        *pickers[i] = b;
    }
    Label2->setBuddy(txtmapp1);
    Label3->setBuddy(txtmapp2);
    lblCount = platform::namedLabel(Frame1, "lblCount", QStringLiteral("0"));
    lblCount2 = platform::namedLabel(Frame1, "lblCount2", QStringLiteral("0"));
    lblCount->hide();
    lblCount2->hide();

    framesetup = platform::named<QGroupBox>(this, "framesetup", QStringLiteral("Inställningar"));
    Label5 = platform::namedLabel(framesetup, "Label5", QStringLiteral("Mapp 1"));
    Label6 = platform::namedLabel(framesetup, "Label6", QStringLiteral("Mapp 2"));
    Label4 = platform::namedLabel(framesetup, "Label4", QStringLiteral("Mapp 1      ----->"));
    chkfrånsökväg1 = checkBox(framesetup, "chkfrånsökväg1", QStringLiteral("Kopiera"), true);
    chkfrånsökväg1->setAccessibleName(QStringLiteral("Kopiera Mapp 1 -----> Mapp 2"));
    Label7 = platform::namedLabel(framesetup, "Label7", QStringLiteral("<-----     Mapp 2"));
    chkfrånsökväg2 = checkBox(framesetup, "chkfrånsökväg2", QStringLiteral("Kopiera"), true);
    chkfrånsökväg2->setAccessibleName(QStringLiteral("Kopiera Mapp 1 <----- Mapp 2"));
    chksimulera = checkBox(framesetup, "chksimulera", QStringLiteral("Simulera"), false);
    Label8 = platform::namedLabel(framesetup, "Label8", QStringLiteral("Kopiera bara filer av denna typ:"));
    txtpattern = platform::named<QLineEdit>(framesetup, "txtpattern");
    txtpattern->setText(QStringLiteral("*.*"));
    Label8->setBuddy(txtpattern);

    Frame2 = platform::named<QGroupBox>(this, "Frame2", QStringLiteral("Förlopp"));
    txtmapp = progressField(Frame2, "txtmapp", QStringLiteral("Mapp"));
    txtfil = progressField(Frame2, "txtfil", QStringLiteral("Fil"));
    Picture1 = bar(Frame2, "Picture1", "lblprocent1", lblprocent1);
    Picture2 = bar(Frame2, "Picture2", "lblprocent2", lblprocent2);
    lbl2 = platform::namedLabel(Frame2, "lbl2", QStringLiteral("Kopierade filer: 0"));
    lblinfo = platform::namedLabel(Frame2, "lblinfo", QStringLiteral("---"));
    Frame2->hide();

    cmdkör = platform::namedButton(this, "cmdkör", QStringLiteral("Kör synkronisering på dessa mappar"));
    QFont bold = cmdkör->font();
    bold.setBold(true);
    cmdkör->setFont(bold);
    cmdavbryt = platform::namedButton(this, "cmdavbryt", QStringLiteral("Avbryt"));
    cmdavbryt->hide();
    cmdstäng = platform::namedButton(this, "cmdstäng", QStringLiteral("Stäng"));
    // Escape closes the window, or asks to cancel during a run: only one of the two is shown.
    platform::setCancelButton(cmdavbryt, true);
    platform::setCancelButton(cmdstäng, true);
    imgerr = platform::namedLabel(this, "imgerr");
    imgerr->setPixmap(platform::picture(platform::Picture::Error, 24));
    imgerr->setToolTip(QStringLiteral("Fel uppstod"));
    imgerr->hide();
    lblhjälp = platform::named<platform::ClickLabel>(this, "lblhjälp", QStringLiteral("Hjälp"));
    lblhjälp->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    lblhjälp->setCursor(Qt::PointingHandCursor);
    lblhjälp->setAccessibleName(QStringLiteral("Hjälp"));
    lblhjälp->onClick = [this] { lblhjälp_Click(); };

    txtloggtext = platform::named<QPlainTextEdit>(this, "txtloggtext");
    txtloggtext->setReadOnly(true);
    txtloggtext->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtloggtext->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtloggtext->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtloggtext->setAccessibleName(QStringLiteral("Logg"));
    txtloggtext->setPlainText(QStringLiteral("Logg"));

    Frame3 = platform::named<QFrame>(this, "Frame3");
    Frame3->setFrameShape(QFrame::StyledPanel);
    Frame3->setAutoFillBackground(true);
    Text1 = platform::named<QTextEdit>(Frame3, "Text1");
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QTextEdit::NoWrap);
    Text1->setAccessibleName(QStringLiteral("Logg"));
    Command1 = platform::namedButton(Frame3, "Command1", QStringLiteral("OK"));
    platform::setCancelButton(Command1, true);
    Frame3->hide();
    Frame3->move(-10000, -10000); // outside the visible area until a run ends
    // While the log view covers the window, what lies beneath is out of reach: Tab, Space and a
    // screen reader meet only the view.
    platform::coverWhileShown(Frame3, platform::coverableLayer(this, {Frame3}));

    connect(cmdhämtamapp1, &QPushButton::clicked, this, [this] { cmdhämtamapp1_Click(); });
    connect(cmdhämtamapp2, &QPushButton::clicked, this, [this] { cmdhämtamapp2_Click(); });
    connect(cmdkör, &QPushButton::clicked, this, [this] { cmdkör_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    connect(cmdstäng, &QPushButton::clicked, this, [this] { cmdstäng_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(txtloggtext, &QPlainTextEdit::textChanged, this, [this] { txtloggtext_Change(); });
}

void frmmappsync::Form_Load() {
    setWindowIcon(synchost::mainIcon());
    resize(9600 / kTwip, 6800 / kTwip);
    setMinimumSize(8400 / kTwip, 6000 / kTwip);
    lblprocent1->resize(0, lblprocent1->height());
    lblprocent2->resize(0, lblprocent2->height());
    // cmdstäng and cmdavbryt share one place: resizeEvent lays both out there.
    load_sökvägar();
    for (QComboBox* c : {txtmapp1, txtmapp2})
        if (c->count() > 0)
            c->setCurrentIndex(0);
    geometry::centreOverMainWindow(this);
}

void frmmappsync::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const int w = width(), h = height();
    const int inner = w - 16;
    imgsynk->setGeometry(8, 8, 32, 32);
    Label1->setGeometry(48, 4, w - 56, 46);

    Frame1->setGeometry(8, 52, inner, 68);
    const int countW = 96, pickW = 28;
    const int fieldW = inner - 66 - pickW - 8 - countW - 8;
    for (int i = 0; i < 2; ++i) {
        const int y = 6 + i * 30;
        (i == 0 ? Label2 : Label3)->setGeometry(8, y, 56, 26);
        (i == 0 ? txtmapp1 : txtmapp2)->setGeometry(66, y, fieldW, 26);
        (i == 0 ? cmdhämtamapp1 : cmdhämtamapp2)->setGeometry(66 + fieldW + 4, y, pickW, 26);
        (i == 0 ? lblCount : lblCount2)->setGeometry(inner - countW - 4, y, countW, 26);
    }

    const QRect options(8, 126, inner, 136);
    framesetup->setGeometry(options);
    Label5->setGeometry(16, 24, 120, 20);
    Label6->setGeometry(260, 24, 120, 20);
    Label4->setGeometry(16, 48, 130, 22);
    chkfrånsökväg1->setGeometry(150, 48, 100, 22);
    chkfrånsökväg2->setGeometry(150, 74, 100, 22);
    Label7->setGeometry(260, 74, 130, 22);
    chksimulera->setGeometry(inner - 130, 48, 120, 22);
    Label8->setGeometry(16, 104, 230, 24);
    txtpattern->setGeometry(250, 104, 140, 24);

    Frame2->setGeometry(options);
    const int fw = inner - 20;
    txtmapp->setGeometry(10, 22, fw, 24);
    txtfil->setGeometry(10, 50, fw, 24);
    Picture1->setGeometry(10, 80, fw, 12);
    lblprocent1->resize(lblprocent1->width(), 10);
    Picture2->setGeometry(10, 96, fw, 16);
    lblprocent2->resize(lblprocent2->width(), 14);
    lbl2->setGeometry(10, 114, 200, 20);
    lblinfo->setGeometry(220, 114, fw - 210, 20);

    const int by = options.bottom() + 8;
    cmdkör->setGeometry(8, by, 300, 30);
    imgerr->setGeometry(316, by + 3, 24, 24);
    lblhjälp->setGeometry(inner - 160, by + 6, 50, 20);
    cmdstäng->setGeometry(inner - 100, by, 108, 30);
    cmdavbryt->setGeometry(cmdstäng->geometry());
    txtloggtext->setGeometry(8, by + 38, inner, std::max(40, h - by - 46));

    if (Frame3->isVisible())
        showLogView();
    applyProgress();
}

void frmmappsync::closeEvent(QCloseEvent* e) {
    // During a run the close box is "Avbryt": the run ends with its logs, the window stays.
    if (running_) {
        e->ignore();
        cmdavbryt_Click();
        return;
    }
    e->accept();
    program().unload<frmmappsync>();
}

// ---- histories --------------------------------------------------------------------------------

void frmmappsync::load_sökvägar() {
    const synclogic::Histories h =
        synclogic::readHistories(synclogic::historyFile(program().programFolder()));
    histories::setItems(txtmapp1, histories::items(txtmapp1) + h.mapp1);
    histories::setItems(txtmapp2, histories::items(txtmapp2) + h.mapp2);
}

void frmmappsync::save_sökvägar() {
    synclogic::Histories h;
    h.mapp1 = synclogic::withEntry(histories::items(txtmapp1), txtmapp1->currentText());
    h.mapp2 = synclogic::withEntry(histories::items(txtmapp2), txtmapp2->currentText());
    if (h.mapp1 != histories::items(txtmapp1))
        histories::setItems(txtmapp1, h.mapp1);
    if (h.mapp2 != histories::items(txtmapp2))
        histories::setItems(txtmapp2, h.mapp2);
    synclogic::writeHistories(synclogic::historyFile(program().programFolder()), h);
}

// ---- folder pickers and drops -----------------------------------------------------------------

QString frmmappsync::hämta_specialmapp(int id) {
    return id < 1 ? QString() : QDir::homePath();
}

QString frmmappsync::välj_mapp(int rootId, int flags, const QString& title, const QString& startFolder) {
    Q_UNUSED(flags); // the desktop's folder picker always offers a text field and new folders
    return program().dialogs.pickFolder(title, rootId > 0 ? hämta_specialmapp(rootId) : startFolder);
}

void frmmappsync::pickFolder(QComboBox* field) {
    if (running_)
        return;
    const QString folder =
        välj_mapp(0, 0x150, QStringLiteral("Leta upp mappen du vill synkronisera, och klicka på Välj"),
                  field->currentText());
    if (folder.isEmpty())
        return;
    try {
        if (platform::fileInfo(folder).exists)
            field->setEditText(folder);
        else
            Module1::logga_meddelande(
                0, -1, QStringLiteral("Mappen \"") + folder + QStringLiteral("\" finns inte!"), QString());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Synkronisera mappar, Välj mapp"));
    }
}

void frmmappsync::cmdhämtamapp1_Click() {
    pickFolder(txtmapp1);
}

void frmmappsync::cmdhämtamapp2_Click() {
    pickFolder(txtmapp2);
}

void frmmappsync::dropOn(QComboBox* field, const QStringList& files, const QString& place) {
    if (running_)
        return; // the folder fields are out of reach during a run
    if (files.isEmpty()) {
        Module1::logga_meddelande(0, -1, QStringLiteral("Ett fel uppstod."), place);
        return;
    }
    field->setEditText(files.first());
}

void frmmappsync::txtmapp1_OLEDragDrop(const QStringList& files) {
    dropOn(txtmapp1, files, QStringLiteral("Mapp 1, drag n drop"));
}

void frmmappsync::txtmapp2_OLEDragDrop(const QStringList& files) {
    dropOn(txtmapp2, files, QStringLiteral("Mapp 2, drag n drop"));
}

bool frmmappsync::eventFilter(QObject* watched, QEvent* e) {
    const bool first = watched == txtmapp1->lineEdit();
    if (!first && watched != txtmapp2->lineEdit())
        return QWidget::eventFilter(watched, e);
    if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
        auto* d = static_cast<QDropEvent*>(e);
        if (d->mimeData()->hasUrls()) {
            d->acceptProposedAction();
            return true;
        }
    } else if (e->type() == QEvent::Drop) {
        auto* d = static_cast<QDropEvent*>(e);
        if (!d->mimeData()->hasUrls())
            return false; // dropped text is typed into the field as usual
        QStringList files;
        for (const QUrl& u : d->mimeData()->urls())
            if (u.isLocalFile())
                files << u.toLocalFile();
        d->acceptProposedAction();
        first ? txtmapp1_OLEDragDrop(files) : txtmapp2_OLEDragDrop(files);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- buttons, help, log box -------------------------------------------------------------------

void frmmappsync::cmdavbryt_Click() {
    // The lines of the files copied so far are on disk before the question waits.
    if (running_)
        engine().flushLogsKeepingFailure();
    if (program().dialogs.msgBox(QStringLiteral("Vill du avbryta?"), platform::MsgButtons::YesNo,
                                 platform::MsgIcon::Question,
                                 QStringLiteral("Avbryta?")) == platform::Answer::Yes)
        cmdavbryt_Tag = QStringLiteral("1");
}

void frmmappsync::cmdstäng_Click() {
    close();
}

void frmmappsync::Command1_Click() {
    Frame3->hide();
    cmdkör->setFocus(); // the focus leaves the hidden view
}

void frmmappsync::lblhjälp_Click() {
    Module1::öppna_hjälp();
}

void frmmappsync::txtloggtext_Change() {
    QTextCursor c = txtloggtext->textCursor();
    c.movePosition(QTextCursor::End);
    txtloggtext->setTextCursor(c);
}

void frmmappsync::addLogLine(const QString& text) {
    QTextCursor c(txtloggtext->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QLatin1Char('\n') + platform::timeText(program().clock.now()) + text);
}

// ---- looks ------------------------------------------------------------------------------------

void frmmappsync::setRunningLook() {
    framesetup->hide();
    Frame2->show();
    cmdstäng->hide();
    cmdavbryt->show();
    cmdkör->setEnabled(false);
    Frame1->setEnabled(false);
}

void frmmappsync::setIdleLook() {
    cmdavbryt->hide();
    cmdstäng->show();
    cmdkör->setEnabled(true);
    Frame1->setEnabled(true);
    Frame2->hide();
    framesetup->show();
}

void frmmappsync::showLogView() {
    Frame3->setGeometry(120 / kTwip, 0, width() - 2 * 120 / kTwip, height() - 120 / kTwip);
    const int fw = Frame3->width(), fh = Frame3->height();
    Text1->setGeometry(6, 6, fw - 12, fh - 48);
    Command1->setGeometry(fw - 96, fh - 36, 90, 28);
    Frame3->show();
    Frame3->raise();
    // The view covers the other controls: the keyboard starts on its OK, and Enter presses it.
    Command1->setDefault(true);
    Command1->setFocus();
}
