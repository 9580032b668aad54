#include "run/result_dialogs.h"

#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "platform/accessibility.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/vb.h"
#include "platform/widgets.h"
#include "run/backup_window.h"
#include "run/run_status.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <algorithm>

namespace {
constexpr int kTwip = 15;

// "Visa logg": a left click shows the log viewer, a right click opens the file externally.
class LogButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton)
            Module1::visa_logg(1);
        QPushButton::mouseReleaseEvent(e);
    }
};
} // namespace

ResultBar resultBar(double count, double base, int pictureWidth, const QString& suffix,
                    const QString& emptyText) {
    ResultBar b;
    if (count > 0 && base >= 1) {
        const double share = count / base;
        b.width = int(share * pictureWidth);
        b.text = platform::Format(share * 100.0, QStringLiteral("0.00")) + suffix;
        b.textInBar = b.width >= pictureWidth / 2;
    } else {
        b.text = emptyText;
    }
    return b;
}

namespace {
// Design size of "Backup klar"; it grows from here to show what the run wrote in it.
constexpr int kKlarWidth = 5400 / kTwip + 20;
constexpr int kKlarHeight = 520;
constexpr int kMargin = 10;
constexpr int kButtonHeight = 28;
} // namespace

frmklarbackup::frmklarbackup() {
    setObjectName(QStringLiteral("frmklarbackup"));
    setWindowTitle(QStringLiteral("Backup klar"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setMinimumSize(kKlarWidth, kKlarHeight);
    resize(kKlarWidth, kKlarHeight);
    lblinfo = platform::namedLabel(this, "lblinfo", QStringLiteral("Backup klar."));
    lblinfo->setWordWrap(true);
    lblinfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imagesmiley = platform::namedLabel(this, "imagesmiley");
    imgerr = platform::namedLabel(this, "imgerr");
    imgerr->setToolTip(QStringLiteral("Fel uppstod"));
    imgerr->setPixmap(platform::picture(platform::Picture::Error, 20));
    imgerr->hide();
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->resize(4935 / kTwip, 1575 / kTwip);
    struct Bar {
        QLabel** bar;
        QLabel** text;
        const char* barName;
        const char* textName;
        QColor colour;
        int top;
    };
    const Bar bars[] = {
        {&lblnya, &lblnya2, "lblnya", "lblnya2", QColor(128, 255, 128), 0},
        {&lbländrade, &lbländrade2, "lbländrade", "lbländrade2", QColor(192, 255, 192), 240},
        {&lblskyddade, &lblskyddade2, "lblskyddade", "lblskyddade2", QColor(255, 192, 128), 480},
        {&lblfel, &lblfel2, "lblfel", "lblfel2", QColor(255, 128, 128), 720},
        {&lbltotalt, &lbltotalt2, "lbltotalt", "lbltotalt2", QColor(192, 192, 255), 1200},
    };
    for (const Bar& b : bars) {
        *b.bar = platform::namedLabel(Picture1, b.barName);
        (*b.bar)->setAutoFillBackground(true);
        QPalette p = (*b.bar)->palette();
        p.setColor(QPalette::Window, b.colour);
        (*b.bar)->setPalette(p);
        (*b.bar)->setGeometry(0, b.top / kTwip, 0, 255 / kTwip);
        *b.text = platform::namedLabel(Picture1, b.textName);
        (*b.text)->setGeometry(0, b.top / kTwip, Picture1->width() / 2, 255 / kTwip);
    }
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    // The rows are those of log.txt: each stays one row; the window widens to show it.
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setAccessibleName(QStringLiteral("Sammanställning"));
    cmdvisalogg = new LogButton(QStringLiteral("Visa logg"), this);
    cmdvisalogg->setObjectName(QStringLiteral("cmdvisalogg"));
    cmdvisalogg->setToolTip(QStringLiteral("Högerklicka för externt program"));
    Command1 = platform::namedButton(this, "Command1", QStringLiteral("OK"));
    Command1->setDefault(true);
    platform::setCancelButton(Command1, true); // Escape closes it as OK does
    Command1->setFocus();                      // Enter and Space close the dialog, as a message box does
    placeControls();
    connect(cmdvisalogg, &QPushButton::clicked, this, [this] { cmdvisalogg_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmklarbackup::placeControls() {
    const int w = width();
    const int h = height();
    imagesmiley->setGeometry(kMargin, kMargin, 48, 48);
    imgerr->setGeometry(w - kMargin - 20, 12, 20, 20);
    const int infoLeft = 70;
    const int infoWidth = std::max(40, w - infoLeft - kMargin - 30);
    lblinfo->setGeometry(infoLeft, kMargin, infoWidth, std::max(50, lblinfo->heightForWidth(infoWidth)));
    Picture1->move(kMargin, std::max(70, lblinfo->geometry().bottom() + 1 + kMargin));
    const int textTop = Picture1->geometry().bottom() + 1 + kMargin;
    const int buttonTop = h - kMargin - kButtonHeight - 2;
    Text1->setGeometry(kMargin, textTop, w - 2 * kMargin, std::max(40, buttonTop - kMargin - textTop));
    cmdvisalogg->setGeometry(kMargin, buttonTop, 100, kButtonHeight);
    Command1->setGeometry(w - kMargin - 100, buttonTop, 100, kButtonHeight);
}

void frmklarbackup::fitToContents() {
    // The summary's widest row and all its rows, as far as the screen allows.
    const QFontMetrics fm(Text1->font());
    int rowWidth = 0;
    const QStringList rows = Text1->toPlainText().split(QLatin1Char('\n'));
    for (const QString& row : rows)
        rowWidth = std::max(rowWidth, fm.horizontalAdvance(row));
    const int chrome = 2 * (Text1->frameWidth() + int(Text1->document()->documentMargin())) +
                       Text1->verticalScrollBar()->sizeHint().width() + 4;
    const int textHeight = int(rows.size()) * fm.lineSpacing() + 2 * Text1->frameWidth() +
                           2 * int(Text1->document()->documentMargin()) + 4;
    int w = std::max(kKlarWidth, rowWidth + chrome + 2 * kMargin);
    const int fixedHeight = height() - Text1->height(); // all but the summary, at the present width
    int h = std::max(kKlarHeight, fixedHeight + textHeight);
    if (const QScreen* s = screen()) {
        const QRect r = s->availableGeometry();
        const QSize frame = frameGeometry().size() - size();
        // Not framed yet: leave room for a usual title bar and borders.
        const QSize deco = frame.isEmpty() ? QSize(16, 40) : frame;
        w = std::min(w, std::max(kKlarWidth, r.width() - deco.width()));
        h = std::min(h, std::max(kKlarHeight, r.height() - deco.height()));
    }
    resize(w, h);
    placeControls();
}

void frmklarbackup::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    placeControls();
}

void frmklarbackup::Form_Load(bool runHadErrors, bool cancelled) {
    setWindowTitle(cancelled ? QStringLiteral("Backup avbröts") : QStringLiteral("Backup klar"));
    Program& p = program();
    const ProgramSettings& s = p.settings();
    imgerr->setVisible(runHadErrors);
    if (runHadErrors) {
        imagesmiley->setPixmap(platform::picture(platform::Picture::Error, 48));
        const QString wav = p.path(QStringLiteral("ljud2.wav"));
        if (s.chkljud2 && platform::fileExists(wav))
            Module1::spela_ljud(wav);
    } else {
        imagesmiley->setPixmap(
            platform::picture(cancelled ? platform::Picture::Warning : platform::Picture::Ok, 48));
        const QString wav = p.path(QStringLiteral("ljud1.wav"));
        if (s.chkljud1 && platform::fileExists(wav))
            Module1::spela_ljud(wav);
    }
}

void frmklarbackup::fillBars(const ResultCounts& c) {
    for (QLabel* l : {lblfel, lblfel2, lblnya, lblnya2, lbländrade, lbländrade2, lbltotalt, lbltotalt2})
        l->clear();
    const int w = Picture1->width();
    struct Row {
        QLabel* bar;
        QLabel* text;
        double count;
        double base;
        const char* suffix;
        const char* empty;
    };
    const Row rows[] = {
        {lblfel, lblfel2, double(c.errors), double(c.kopierade), "% fel", "0% fel"},
        {lblnya, lblnya2, double(c.nya), double(c.kopierade), "% nya", "0% nya"},
        {lbländrade, lbländrade2, double(c.ändrade), double(c.kopierade), "% ändrade", "0% ändrade"},
        {lblskyddade, lblskyddade2, double(c.skyddade), double(c.kopierade), "% skyddade", "0% skyddade"},
        {lbltotalt, lbltotalt2, double(c.kopierade),
         double(c.cancelled ? std::max(c.genomsökta, c.total) : c.genomsökta),
         // As short as the run's own text, so that it fits beside its bar.
         c.simulated ? "% skulle kopieras" : "% kopierade totalt",
         c.simulated ? "0% skulle kopieras" : "0% kopierade totalt"},
    };
    for (const Row& r : rows) {
        r.text->resize(w / 2, r.text->height());
        const ResultBar b =
            resultBar(r.count, r.base, w, QString::fromUtf8(r.suffix), QString::fromUtf8(r.empty));
        r.bar->resize(b.width, r.bar->height());
        (b.textInBar ? r.bar : r.text)->setText(b.text);
        if (b.textInBar)
            r.text->clear();
        r.text->move(b.width, r.text->y());
    }
}

void frmklarbackup::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous()) {
        fitToContents();
        runstatus::centreOverRunWindow(this);
    }
}

void frmklarbackup::cmdvisalogg_Click() {
    Module1::visa_logg(0);
}

void frmklarbackup::Command1_Click() {
    program().unload<frmklarbackup>();
    program().form<frmutförbackup>()->show();
}

frmbackupfel::frmbackupfel() {
    setObjectName(QStringLiteral("frmbackupfel"));
    setWindowTitle(QStringLiteral("Schemalagd backup"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setFixedSize(360, 170);
    Picture1 = platform::namedLabel(this, "Picture1");
    Picture1->setPixmap(platform::picture(platform::Picture::Error, 48));
    Picture1->setGeometry(10, 30, 48, 48);
    Picture2 = platform::namedLabel(this, "Picture2");
    Picture2->setPixmap(platform::picture(platform::Picture::Ok, 48));
    Picture2->setGeometry(Picture1->geometry());
    Picture2->hide();
    Label1 = platform::namedLabel(this, "Label1", QStringLiteral("Tamrel Backup"));
    Label1->setGeometry(10, 6, 300, 20);
    QFont f = Label1->font();
    f.setBold(true);
    Label1->setFont(f);
    lbltid = platform::namedLabel(this, "lbltid", QStringLiteral("Schemalagd backup slutfördes med fel."));
    lbltid->setGeometry(70, 34, 280, 20);
    lblantalfel = platform::namedLabel(this, "lblantalfel", QStringLiteral("Antal fel: "));
    lblantalfel->setGeometry(70, 58, 280, 20);
    lblorsak = platform::namedLabel(this, "lblorsak");
    lblorsak->setWordWrap(true);
    lblorsak->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblorsak->hide();
    // The success panel lies where the error texts lie; the outcome not shown is hidden, so that a
    // screen reader does not read it.
    frameok = new QFrame(this);
    frameok->setObjectName(QStringLiteral("frameok"));
    frameok->setGeometry(66, 30, 290, 60);
    Label2 =
        platform::namedLabel(frameok, "Label2", QStringLiteral("Schemalagd backup slutfördes utan fel."));
    Label2->setGeometry(4, 4, 280, 20);
    lblkopieradefiler =
        platform::namedLabel(frameok, "lblkopieradefiler", QStringLiteral("Antal kopierade filer:"));
    lblkopieradefiler->setGeometry(4, 28, 280, 20);
    frameok->hide();
    cmdvisalogg = platform::namedButton(this, "cmdvisalogg", QStringLiteral("Visa logg"));
    cmdvisalogg->setToolTip(QStringLiteral("Högerklicka för externt program"));
    cmdvisalogg->setGeometry(10, 130, 100, 28);
    Command1 = platform::namedButton(this, "Command1", QStringLiteral("kod-info"));
    Command1->hide();
    Command2 = platform::namedButton(this, "Command2", QStringLiteral("Stäng"));
    Command2->setGeometry(250, 130, 100, 28);
    platform::setCancelButton(Command2, true); // Escape closes it as "Stäng" does
    connect(cmdvisalogg, &QPushButton::clicked, this, [this] { cmdvisalogg_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void frmbackupfel::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        geometry::centreOverMainWindow(this);
}

void frmbackupfel::showOutcome(bool errors) {
    for (QWidget* w : std::initializer_list<QWidget*>{Picture1, lbltid, lblantalfel})
        w->setVisible(errors);
    lblorsak->setVisible(errors && !lblorsak->text().isEmpty());
    Picture2->setVisible(!errors);
    frameok->setVisible(!errors);
    show();
    raise();
}

void frmbackupfel::showErrors(const QString& errorCount, const QString& detail, bool stopped) {
    lbltid->setText(stopped ? QStringLiteral("Schemalagd backup avbröts.")
                            : QStringLiteral("Schemalagd backup slutfördes med fel."));
    lblantalfel->setText(QStringLiteral("Antal fel: ") + errorCount);
    lblorsak->setText(detail);
    // The popup grows to show the whole detail above its buttons.
    constexpr int top = 80, width = 280, buttons = 130;
    const int height = detail.isEmpty() ? 0 : lblorsak->heightForWidth(width);
    const int extra = std::max(0, top + height + 4 - buttons);
    lblorsak->setGeometry(70, top, width, height);
    cmdvisalogg->move(cmdvisalogg->x(), buttons + extra);
    Command2->move(Command2->x(), buttons + extra);
    setFixedSize(360, 170 + extra);
    showOutcome(true);
}

void frmbackupfel::showSuccess(long copied, bool simulated) {
    lblkopieradefiler->setText((simulated ? QStringLiteral("Antal filer som skulle kopieras: ")
                                          : QStringLiteral("Antal kopierade filer: ")) +
                               QString::number(copied));
    showOutcome(false);
}

void frmbackupfel::cmdvisalogg_Click() {
    hide();
    Module1::visa_logg(0);
    program().unload<frmbackupfel>();
}

void frmbackupfel::Command2_Click() {
    program().unload<frmbackupfel>();
}

frmprocent::frmprocent() {
    setObjectName(QStringLiteral("frmprocent"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(330, 110);
    Label1 = platform::namedLabel(
        this, "Label1", QStringLiteral("Tamrel Backup. Detta fönster visar hur långt processen kommit."));
    Label1->setWordWrap(true);
    Label1->setGeometry(10, 8, 310, 36);
    lblprocent = platform::namedLabel(this, "lblprocent");
    lblprocent->setGeometry(10, 48, 310, 20);
    Command1 = platform::namedButton(this, "Command1", QStringLiteral("Minimera"));
    Command1->setGeometry(220, 74, 100, 28);
    connect(Command1, &QPushButton::clicked, this, [this] { showMinimized(); });
    setWindowState(Qt::WindowMinimized);
    setProgressText(QStringLiteral("Förbereder backup..."), false);
}

void frmprocent::setProgressText(const QString& text, bool runHadErrors) {
    const QString t = text.isEmpty() ? QStringLiteral("Förbereder backup") : text;
    lblprocent->setText(t);
    QString caption = t == QStringLiteral("Förbereder backup") ? t : t + QStringLiteral(" - Backup pågår");
    if (runHadErrors)
        caption.prepend('!');
    setWindowTitle(caption);
    if (t == QLatin1String("100%") || t == QLatin1String("!100%"))
        program().unload<frmprocent>();
}
