#include "logview/log_window.h"

#include "core/program.h"
#include "core/window_geometry.h"
#include "logview/host.h"
#include "logview/saved_logs.h"
#include "platform/accessibility.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/widgets.h"
#include "run/run_log.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringMatcher>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {
constexpr int kTwip = geometry::kTwipsPerPixel;
constexpr int tw(int twips) {
    return twips / kTwip;
}
// Characters put into the box per step of a long log: a step stays well below a tenth of a second.
constexpr qsizetype kLoadStep = 1 << 19;
// A search step ends after this many milliseconds; small logs are searched in one.
constexpr qint64 kSearchStepMs = 30;
const QString kPlaceholder = QStringLiteral("Sök i loggen...");

void setTwipGeometry(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
}
int twTop(const QWidget* w) {
    return w->y() * kTwip;
}
int twHeight(const QWidget* w) {
    return w->height() * kTwip;
}
} // namespace

frmlog::frmlog() {
    setObjectName(QStringLiteral("frmlog"));
    setWindowTitle(QStringLiteral("Logg"));
    resize(tw(10695), tw(7875));

    Command1 = platform::namedButton(this, "Command1", QStringLiteral("Stäng"));
    setTwipGeometry(Command1, 120, 360, 855, 495);
    lbllog = platform::namedLabel(this, "lbllog", QStringLiteral("Loggfil:"));
    setTwipGeometry(lbllog, 1080, 120, 975, 255);
    combolog = platform::named<QComboBox>(this, "combolog");
    combolog->setEditable(false);
    setTwipGeometry(combolog, 1080, 360, 9495, 315);
    lbllog->setBuddy(combolog);
    listlog = platform::named<QListWidget>(this, "listlog");
    listlog->setAccessibleName(QStringLiteral("Loggfil:"));
    listlog->hide();
    optlista[0] = platform::named<QRadioButton>(this, "optlista_0", QStringLiteral("Liten lista"));
    setTwipGeometry(optlista[0], 2400, 35, 1335, 335);
    optlista[1] = platform::named<QRadioButton>(this, "optlista_1", QStringLiteral("Stor lista"));
    setTwipGeometry(optlista[1], 3720, 35, 1335, 335);
    optlista[0]->setChecked(true);
    txtsök = platform::named<QLineEdit>(this, "txtsök");
    txtsök->setAccessibleName(QStringLiteral("Sök i loggen"));
    txtsök->setToolTip(QStringLiteral("Sök i loggen"));
    setTwipGeometry(txtsök, 1080, 680, 1695, 285);
    txtsök->setText(kPlaceholder);
    {
        QPalette p = txtsök->palette();
        p.setColor(QPalette::Text, palette().color(QPalette::Disabled, QPalette::Text));
        txtsök->setPalette(p);
        QFont f = txtsök->font();
        f.setItalic(true);
        txtsök->setFont(f);
    }
    lblsökinfo = platform::namedLabel(this, "lblsökinfo");
    setTwipGeometry(lblsökinfo, 2760, 680, 7800, 285);
    Text1 = platform::named<QPlainTextEdit>(this, "Text1");
    Text1->setAccessibleName(QStringLiteral("Logg"));
    Text1->setReadOnly(true);
    Text1->setUndoRedoEnabled(false);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->move(0, tw(960));

    loader_ = new QTimer(this);
    loader_->setInterval(0);
    QObject::connect(loader_, &QTimer::timeout, this, [this] { work(); });

    QObject::connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    // Escape that no control takes presses "Stäng"; in the chooser's open list it closes the list.
    platform::setCancelButton(Command1, true);
    QObject::connect(combolog, &QComboBox::currentIndexChanged, this, [this] { combolog_Click(); });
    QObject::connect(listlog, &QListWidget::currentRowChanged, this, [this] { listlog_Click(); });
    for (int i = 0; i < 2; ++i)
        QObject::connect(optlista[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optlista_Click(i);
        });
    QObject::connect(txtsök, &QLineEdit::textChanged, this, [this] { txtsök_Change(); });
    QObject::connect(txtsök, &QLineEdit::returnPressed, this, [this] { txtsök_KeyPress(13); });
    txtsök->installEventFilter(this);

    Form_Load();
}

frmlog::~frmlog() = default;

void frmlog::Form_Load() {
    open_windowsize_log();
    try {
        setWindowIcon(logview::host::mainIcon());
        logview::host::resetTrayError();
        const QStringList entries = savedlogs::entries(savedlogs::listNames(program().programFolder()));
        if (entries.isEmpty())
            platform::throwError(5); // no last entry to mark as the current log
        {
            const QSignalBlocker b1(combolog);
            const QSignalBlocker b2(listlog);
            combolog->addItems(entries);
            combolog->setCurrentIndex(-1);
            listlog->addItems(entries);
            listlog->setCurrentRow(-1);
        }
        listlog->setCurrentRow(listlog->count() - 1);
    } catch (const platform::RunError&) {
        if (!hasPending_ && Text1->document()->isEmpty())
            öppna_logfil();
        if (combolog->count() == 0) {
            combolog->hide();
            lbllog->hide();
        }
    }
    Form_Resize();
}

namespace {
QString errorText(const platform::RunError& e) {
    return QStringLiteral("Ett fel uppstod\n") + QString::number(e.number) + QStringLiteral(" - ") +
           e.description;
}
} // namespace

void frmlog::combolog_Click() {
    const QString chosen = combolog->currentText();
    if (chosen.isEmpty())
        return;
    // A long entry is cut in the closed chooser; the pointer shows it whole.
    combolog->setToolTip(chosen);
    showText(QString(), {}, Caret::Start);
    const QString path = savedlogs::pathOf(program().programFolder(), chosen);
    try {
        if (!platform::fileExists(path)) {
            setPlainMessage(QStringLiteral("Filen kunde inte hittas!\n") + path);
            return;
        }
        // The caret ends at the last mark, as each mark leaves it at its start.
        showText(QString(), {}, Caret::LastMark, std::make_unique<platform::TextReader>(path), true);
    } catch (const platform::RunError& e) {
        setPlainMessage(errorText(e));
    }
}

void frmlog::listlog_Click() {
    const int row = listlog->currentRow();
    if (row >= 0 && row < combolog->count())
        combolog->setCurrentIndex(row);
}

void frmlog::öppna_logfil() {
    showText(QString(), {}, Caret::Start);
    const QString path = runlog::logPath(program().programFolder());
    try {
        if (platform::fileExists(path))
            showText(QString(), {}, Caret::Start, std::make_unique<platform::TextReader>(path));
    } catch (const platform::RunError& e) {
        setPlainMessage(errorText(e));
    }
}

void frmlog::färglägg_fel() {
    finishLoading();
    // Line by line in the box, as no mark spans a line end: a copy of the whole text would
    // double what a large log holds.
    QTextDocument* doc = Text1->document();
    QTextCursor c(doc);
    c.beginEditBlock();
    qsizetype last = -1;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (const logmarks::Range& m : logmarks::runLogErrors(b.text())) {
            last = b.position() + m.start;
            mark(c, last, m.length);
        }
    c.endEditBlock();
    if (last >= 0) {
        QTextCursor caret(doc);
        caret.setPosition(int(last));
        Text1->setTextCursor(caret);
    }
}

void frmlog::showProgramLog(QString text) {
    lbllog->hide();
    optlista[0]->hide();
    optlista[1]->hide();
    combolog->hide();
    // Line ends are made in place, and the box's pending text is this one, not a copy.
    text = savedlogs::forShowing(std::move(text));
    std::vector<logmarks::Range> marks = logmarks::programLogErrors(text);
    const int count = int(marks.size());
    showText(std::move(text), std::move(marks), Caret::End);
    lblsökinfo->setText(logmarks::errorCountText(count));
}

QString frmlog::shownText() const {
    QString text = Text1->document()->toPlainText();
    if (hasPending_)
        text += pending_.text.mid(pending_.pos);
    return text;
}

bool frmlog::loading() const {
    return hasPending_;
}

bool frmlog::searching() const {
    return searching_;
}

void frmlog::finishLoading() {
    while (hasPending_ || searching_)
        work();
}

void frmlog::stopWork() {
    loader_->stop();
    hasPending_ = false;
    pending_ = Pending{};
    searching_ = false;
    search_ = Search{};
}

void frmlog::showText(QString text, std::vector<logmarks::Range> marks, Caret caret,
                      std::unique_ptr<platform::TextReader> reader, bool markErrors) {
    stopWork();
    marked_.clear();
    Text1->clear();
    if (text.isEmpty() && !reader)
        return;
    pending_.reader = std::move(reader);
    pending_.markErrors = markErrors;
    pending_.text = std::move(text);
    pending_.marks = std::move(marks);
    pending_.caret = caret;
    hasPending_ = true;
    loadStep();
    if (hasPending_)
        loader_->start();
}

void frmlog::setPlainMessage(const QString& text) {
    showText(text, {}, Caret::Start);
}

void frmlog::work() {
    if (hasPending_)
        loadStep();
    if (searching_)
        searchStep();
    if (!hasPending_ && !searching_)
        loader_->stop();
}

void frmlog::mark(QTextCursor& c, qsizetype start, qsizetype length) {
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontWeight(QFont::Bold);
    c.setPosition(int(start));
    c.setPosition(int(start + length), QTextCursor::KeepAnchor);
    c.mergeCharFormat(red);
    marked_.push_back({start, length});
}

void frmlog::loadStep() {
    if (!hasPending_)
        return;
    Pending& p = pending_;
    if (p.pos >= p.text.size() && p.reader) {
        try {
            p.text = savedlogs::forShowing(p.reader->next(kLoadStep));
        } catch (const platform::RunError& e) {
            setPlainMessage(errorText(e));
            return;
        }
        p.marks = p.markErrors ? logmarks::runLogErrors(p.text) : std::vector<logmarks::Range>{};
        p.pos = 0;
        p.nextMark = 0;
        if (p.reader->atEnd())
            p.reader.reset();
    }
    qsizetype end = std::min(p.text.size(), p.pos + kLoadStep);
    // A mark that begins in this step is put in whole.
    for (size_t i = p.nextMark; i < p.marks.size() && p.marks[i].start < end; ++i)
        end = std::max(end, std::min(p.text.size(), p.marks[i].start + p.marks[i].length));
    QTextCursor c(Text1->document());
    c.movePosition(QTextCursor::End);
    c.beginEditBlock();
    const QTextCharFormat plain;
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontWeight(QFont::Bold);
    while (p.nextMark < p.marks.size() && p.marks[p.nextMark].start < end) {
        const logmarks::Range m = p.marks[p.nextMark++];
        if (m.start > p.pos) {
            c.insertText(p.text.mid(p.pos, m.start - p.pos), plain);
            p.pos = m.start;
        }
        const qsizetype markEnd = std::min(p.text.size(), m.start + m.length);
        if (markEnd > p.pos) {
            p.lastMark = c.position();
            marked_.push_back({p.lastMark, markEnd - p.pos});
            c.insertText(p.text.mid(p.pos, markEnd - p.pos), red);
            p.pos = markEnd;
        }
    }
    if (end > p.pos) {
        c.insertText(p.text.mid(p.pos, end - p.pos), plain);
        p.pos = end;
    }
    c.endEditBlock();
    if (p.pos < p.text.size() || p.reader)
        return;
    hasPending_ = false;
    // A search begun meanwhile puts the caret at its own last hit.
    if (!searching_) {
        const qsizetype last = Text1->document()->characterCount() - 1;
        const qsizetype at = p.caret == Caret::End ? last : p.caret == Caret::LastMark ? p.lastMark : 0;
        QTextCursor caret(Text1->document());
        caret.setPosition(int(std::min(at, last)));
        Text1->setTextCursor(caret);
        // Lines are read from their start: a long line does not open the log scrolled sideways.
        Text1->horizontalScrollBar()->setValue(0);
    }
    pending_ = Pending{};
}

void frmlog::searchStep() {
    Search& s = search_;
    QElapsedTimer t;
    t.start();
    QTextDocument* doc = Text1->document();
    QTextCursor c(doc);
    // Earlier marks, the "FEL:" marks included, come off first; one by one, as one edit step
    // would lay out every line between the first and the last of them again.
    while (s.unmarked < s.unmark.size()) {
        const logmarks::Range r = s.unmark[s.unmarked++];
        c.setPosition(int(r.start));
        c.setPosition(int(r.start + r.length), QTextCursor::KeepAnchor);
        c.setCharFormat(QTextCharFormat());
        if (s.unmarked % 16 == 0 && t.elapsed() > kSearchStepMs)
            return;
    }
    c.beginEditBlock();
    // While the log loads, its last line may still grow.
    const int lines = s.word.isEmpty() ? 0 : doc->blockCount() - (hasPending_ ? 1 : 0);
    const QStringMatcher matcher(s.word, Qt::CaseInsensitive);
    for (QTextBlock b = doc->findBlockByNumber(s.block); s.block < lines && b.isValid(); b = b.next()) {
        const QString text = b.text();
        // A hit may begin inside the one before.
        for (qsizetype q = matcher.indexIn(text, 0); q >= 0; q = matcher.indexIn(text, q + 1)) {
            s.lastHit = b.position() + q;
            mark(c, s.lastHit, s.word.size());
            ++s.hits;
        }
        if (++s.block % 256 == 0 && t.elapsed() > kSearchStepMs)
            break;
    }
    c.endEditBlock();
    if (hasPending_ || s.block < lines)
        return;
    searching_ = false;
    QTextCursor caret(doc);
    caret.setPosition(int(s.lastHit));
    Text1->setTextCursor(caret);
    // A search text changed meanwhile waits for its own Enter.
    if (txtsök->text() == s.word)
        lblsökinfo->setText(logmarks::searchResultText(s.hits));
    search_ = Search{};
}

void frmlog::txtsök_GotFocus() {
    if (txtsök->text() != kPlaceholder)
        return;
    txtsök->clear();
    txtsök->setPalette(palette());
    QFont f = txtsök->font();
    f.setItalic(false);
    txtsök->setFont(f);
}

void frmlog::txtsök_Change() {
    const QString s = txtsök->text();
    lblsökinfo->setText(s.isEmpty() ? QString() : QStringLiteral("Tryck Enter för att söka efter ") + s);
}

void frmlog::txtsök_KeyPress(int key) {
    if (key != 13)
        return;
    // A search still running gives way; what it marked, or had still to take off, comes off.
    Search next;
    next.word = txtsök->text();
    if (searching_)
        next.unmark.assign(search_.unmark.begin() + qsizetype(search_.unmarked), search_.unmark.end());
    next.unmark.insert(next.unmark.end(), marked_.begin(), marked_.end());
    marked_.clear();
    search_ = std::move(next);
    searching_ = true;
    // A search removes the error marks, also those of the part still to load.
    pending_.markErrors = false;
    pending_.nextMark = pending_.marks.size();
    searchStep();
    if (searching_ || hasPending_)
        loader_->start();
}

void frmlog::optlista_Click(int index) {
    layoutView();
    listlog->setVisible(index == 1);
    combolog->setVisible(index != 1 && combolog->count() > 0);
}

void frmlog::Command1_Click() {
    close();
}

void frmlog::Form_Resize() {
    // The smallest window: 2000 twips either way, with its frame.
    const QSize extra = frameGeometry().size() - size();
    const QSize least(tw(2000) - extra.width(), tw(2000) - extra.height());
    setMinimumSize(least.expandedTo(QSize(1, 1)));
    if (width() < least.width() || height() < least.height()) {
        resize(size().expandedTo(least));
        return; // the resize lays out again
    }
    const int innerWidth = width() * kTwip;
    const int innerHeight = height() * kTwip;
    Text1->resize(tw(innerWidth), tw(innerHeight - 940));
    combolog->resize(tw(innerWidth - 1200), combolog->height());
    lblsökinfo->resize(tw(innerWidth - lblsökinfo->x() * kTwip), lblsökinfo->height());
    listlog->setGeometry(combolog->x(), combolog->y(), combolog->width(), tw(innerHeight / 2 - 720));
    layoutView();
}

void frmlog::layoutView() {
    const int innerHeight = height() * kTwip;
    if (optlista[1]->isChecked()) {
        txtsök->move(txtsök->x(), tw(twTop(listlog) + twHeight(listlog)));
        lblsökinfo->move(lblsökinfo->x(), txtsök->y());
        const int top = twTop(listlog) + twHeight(listlog) + twHeight(txtsök);
        // The box ends at the window's inner edge, so its scroll bar stays whole.
        const int height = std::min(innerHeight / 2 + 480 - twHeight(txtsök), innerHeight - top);
        Text1->setGeometry(0, tw(top), Text1->width(), tw(std::max(height, 0)));
    } else {
        txtsök->move(txtsök->x(), tw(twTop(combolog) + twHeight(combolog)));
        lblsökinfo->move(lblsökinfo->x(), txtsök->y());
        const int top = twTop(txtsök) + twHeight(txtsök);
        const int height = std::min(innerHeight - 940, innerHeight - top);
        Text1->setGeometry(0, tw(top), Text1->width(), tw(std::max(height, 0)));
    }
}

void frmlog::open_windowsize_log() {
    geometry::restoreWindow(
        this, QStringLiteral("log"),
        QStringLiteral("Ett fel uppstod när loggfönstrets storlek och position skulle laddas. "
                       "Plats: open_windowsize_log. Felkod "));
}

void frmlog::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    stopWork();
    try {
        geometry::saveWindow(geometry::geometryFile(QStringLiteral("log")), this);
    } catch (const platform::RunError&) {
    }
    program().unload<frmlog>();
}

void frmlog::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmlog::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

void frmlog::showEvent(QShowEvent* e) {
    if (!sized_) {
        sized_ = true;
        fitChooser();
    }
    QWidget::showEvent(e);
    Command1->setFocus();
}

void frmlog::fitChooser() {
    // A size the user left is kept; the first opening is as wide as the longest entry needs,
    // within the screen, so the chooser shows " - Aktuell loggfil" whole.
    if (combolog->isHidden() || combolog->count() == 0 ||
        platform::fileExists(geometry::geometryFile(QStringLiteral("log"))))
        return;
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    // The longest entry's width, taken without letting the chooser grow past the window later.
    combolog->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int chooser = combolog->minimumSizeHint().width();
    combolog->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    const int needed = combolog->x() + chooser + tw(120);
    // A frame the window manager has not drawn yet is taken as 16 pixels.
    const int most = s->availableGeometry().width() - std::max(frameGeometry().width() - width(), 16);
    if (needed <= width())
        return;
    resize(std::min(needed, most), height());
    geometry::centre(this);
}

bool frmlog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtsök && e->type() == QEvent::FocusIn)
        txtsök_GotFocus();
    return QWidget::eventFilter(watched, e);
}

namespace logview {

void openLogViewer() {
    program().dialogs.showModal(program().form<frmlog>());
}

void openProgramLog(QString text) {
    frmlog* w = program().form<frmlog>();
    w->showProgramLog(std::move(text));
    program().dialogs.showModal(w);
}

} // namespace logview
