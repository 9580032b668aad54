#include "platform/dialogs.h"

#include "platform/events.h"
#include "platform/paths.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QTranslator>
#include <QTreeView>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>

namespace platform {

namespace {
const QString kProgramTitle = QStringLiteral("Tamrel Backup");

QString titleOr(const QString& t) {
    return t.isEmpty() ? kProgramTitle : t;
}

// Makes a window without a parent belong to `owner`, so the window manager keeps it above that
// window only; returns the owner it had before.
QWindow* belongTo(QWidget* window, QWidget* owner) {
    if (!window || window->parentWidget() || !owner)
        return nullptr;
    window->winId();
    owner->winId();
    QWindow* handle = window->windowHandle();
    if (!handle)
        return nullptr;
    QWindow* before = handle->transientParent();
    handle->setTransientParent(owner->windowHandle());
    return before;
}

// Ends `loop` when `w` is hidden by the program (a close hides it too). The hide that a minimise
// sends is spontaneous: the window stays open, and a close the window refuses keeps it waiting.
class HideWatcher : public QObject {
  public:
    HideWatcher(QWidget* w, QEventLoop* loop) : loop_(loop) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide && !e->spontaneous())
            loop_->quit();
        return false;
    }

  private:
    QEventLoop* loop_;
};

const Qt::WindowFlags kTitleButtons = Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                      Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

// On X11 Qt names a window's owner to the window manager only for a dialog: a plain window would
// be minimised alone, leaving its owner shown but blocked, and would not come back with it. Before
// the window is shown: new flags hide a shown window.
void asDialog(QWidget* w) {
    const Qt::WindowFlags f = w->windowFlags();
    if (w->isVisible() || (f & Qt::WindowType_Mask) != Qt::Window)
        return;
    Qt::WindowFlags g = (f & ~Qt::WindowType_Mask) | Qt::Dialog;
    // A plain window that names no buttons has them all; a dialog would lose its minimise box.
    if (!(f & Qt::CustomizeWindowHint) && !(f & kTitleButtons))
        g |= Qt::WindowTitleHint | kTitleButtons;
    w->setWindowFlags(g);
}

// A minimised modal window is easily lost behind the window it blocks; one of fixed size gains
// nothing from the box. Before the window is shown: new flags hide a shown window.
void withoutMinimiseBox(QWidget* w) {
    if (w->isVisible() || w->minimumSize() != w->maximumSize())
        return;
    const Qt::WindowFlags f = w->windowFlags();
    // A plain window that names no buttons gets them all from the window manager.
    const bool allImplied =
        (f & Qt::WindowType_Mask) == Qt::Window && !(f & Qt::CustomizeWindowHint) && !(f & kTitleButtons);
    if (!allImplied && !(f & Qt::WindowMinimizeButtonHint))
        return;
    Qt::WindowFlags g = f & ~Qt::WindowMinimizeButtonHint;
    if (allImplied)
        g |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    w->setWindowFlags(g);
}
} // namespace

// A box given to the main window while the job editor is open would
// bring the main window up over the editor.
QWidget* ownerWindow(const QWidget* except) {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || w == except || !w->isVisible())
        w = QApplication::activeWindow();
    if (w)
        w = w->window();
    return w == except ? nullptr : w;
}

QString kindName(Dialogs::Kind k) {
    switch (k) {
    case Dialogs::Kind::Message:
        return QStringLiteral("message box");
    case Dialogs::Kind::Input:
        return QStringLiteral("input box");
    case Dialogs::Kind::Folder:
        return QStringLiteral("folder picker");
    case Dialogs::Kind::File:
        return QStringLiteral("file picker");
    case Dialogs::Kind::OpenUrl:
        return QStringLiteral("open");
    case Dialogs::Kind::StartProgram:
        return QStringLiteral("start program");
    case Dialogs::Kind::Window:
        return QStringLiteral("window");
    }
    return {};
}

bool Dialogs::take(Kind kind, const QString& text, const QString& title, Expectation& out,
                   const QString& start) {
    calls_.push_back(Call{kind, text, title, start});
    if (queue_.empty()) {
        failures_ << QStringLiteral("unexpected %1: %2").arg(kindName(kind), text);
        return false;
    }
    Expectation e = queue_.front();
    if (e.kind != kind || (!e.contains.isEmpty() && !text.contains(e.contains))) {
        failures_ << QStringLiteral("expected %1 containing \"%2\", got %3: %4")
                         .arg(kindName(e.kind), e.contains, kindName(kind), text);
        return false;
    }
    queue_.pop_front();
    out = e;
    return true;
}

bool Dialogs::intercept(Kind kind, const QString& text, const QString& title, Expectation& out,
                        const QString& start) {
    if (scripted_)
        return take(kind, text, title, out, start);
    calls_.push_back(Call{kind, text, title, start});
    return false;
}

Answer Dialogs::msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) {
    if (quiet()) {
        Expectation e;
        if (intercept(Kind::Message, text, titleOr(title), e))
            return e.answer;
        switch (buttons) {
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return Answer::No;
        case MsgButtons::OkCancel:
        case MsgButtons::RetryCancel:
            return Answer::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return Answer::Abort;
        default:
            return Answer::Ok;
        }
    }
    QMessageBox box(ownerWindow(nullptr));
    box.setWindowTitle(titleOr(title));
    box.setText(text);
    switch (icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::None:
        break;
    }
    std::vector<std::pair<QPushButton*, Answer>> map;
    auto add = [&](const QString& caption, QMessageBox::ButtonRole role, Answer a) {
        map.emplace_back(box.addButton(caption, role), a);
    };
    switch (buttons) {
    case MsgButtons::Ok:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok);
        break;
    case MsgButtons::OkCancel:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok);
        add(QStringLiteral("Avbryt"), QMessageBox::RejectRole, Answer::Cancel);
        break;
    case MsgButtons::YesNo:
        add(QStringLiteral("Ja"), QMessageBox::YesRole, Answer::Yes);
        add(QStringLiteral("Nej"), QMessageBox::NoRole, Answer::No);
        break;
    case MsgButtons::YesNoCancel:
        add(QStringLiteral("Ja"), QMessageBox::YesRole, Answer::Yes);
        add(QStringLiteral("Nej"), QMessageBox::NoRole, Answer::No);
        add(QStringLiteral("Avbryt"), QMessageBox::RejectRole, Answer::Cancel);
        break;
    case MsgButtons::RetryCancel:
        add(QStringLiteral("Försök igen"), QMessageBox::AcceptRole, Answer::Retry);
        add(QStringLiteral("Avbryt"), QMessageBox::RejectRole, Answer::Cancel);
        break;
    case MsgButtons::AbortRetryIgnore:
        add(QStringLiteral("Avbryt"), QMessageBox::RejectRole, Answer::Abort);
        add(QStringLiteral("Försök igen"), QMessageBox::AcceptRole, Answer::Retry);
        add(QStringLiteral("Ignorera"), QMessageBox::ActionRole, Answer::Ignore);
        break;
    }
    {
        NestedLoop nested;
        box.exec();
    }
    for (auto& [b, a] : map)
        if (box.clickedButton() == b)
            return a;
    return map.size() > 1 ? map.back().second : Answer::Ok;
}

QString Dialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    if (quiet()) {
        Expectation e;
        return intercept(Kind::Input, prompt, titleOr(title), e) ? e.text : QString();
    }
    QInputDialog d(ownerWindow(nullptr));
    d.setWindowTitle(titleOr(title));
    d.setLabelText(prompt);
    d.setTextValue(defaultText);
    d.setOkButtonText(QStringLiteral("OK"));
    d.setCancelButtonText(QStringLiteral("Avbryt"));
    NestedLoop nested;
    return d.exec() == QDialog::Accepted ? d.textValue() : QString();
}

namespace {
// The picker's dates in the program's own form, whatever the system's language: the desktop's
// pickers and Qt's would show the system locale's month names.
class ProgramDates : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.column() == 3)
            if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel()))
                return files->lastModified(mapToSource(index)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        return QIdentityProxyModel::data(index, role);
    }
};

QString pick(const QString& title, const QString& startFolder, QFileDialog::FileMode mode,
             const QString& filter) {
    QFileDialog d(ownerWindow(nullptr), title, startFolder);
    d.setFileMode(mode);
    if (mode == QFileDialog::Directory) {
        d.setOption(QFileDialog::ShowDirsOnly);
        // Set, not left to a translation, so the titles that name the button stay right.
        d.setLabelText(QFileDialog::Accept, QLatin1Char('&') + folderPickerButton());
    }
    if (!filter.isEmpty())
        d.setNameFilter(filter);
    useProgramDates(&d);
    NestedLoop nested;
    return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
}
} // namespace

void useProgramDates(QFileDialog* picker) {
    picker->setOption(QFileDialog::DontUseNativeDialog);
    picker->setProxyModel(new ProgramDates(picker));
    // Qt sizes the date column for a short date of its own and leaves out the cell's margins.
    if (auto* view = picker->findChild<QTreeView*>()) {
        QHeaderView* header = view->header();
        const QString caption =
            header->model() ? header->model()->headerData(3, Qt::Horizontal).toString() : QString();
        const int margins = 4 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view) +
                            view->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, view);
        const int wanted = std::max(view->fontMetrics().horizontalAdvance(QStringLiteral("2026-12-31 23:59")),
                                    header->fontMetrics().horizontalAdvance(caption)) +
                           margins;
        if (header->count() > 3 && header->sectionSize(3) < wanted)
            header->resizeSection(3, wanted);
    }
}

QString pickerStartFolder(const QString& field) {
    const QString typed = field.trimmed();
    if (typed.startsWith(QLatin1Char('/'))) {
        if (QFileInfo(typed).isDir())
            return QDir::cleanPath(typed);
        // A folder not made yet, or on a disk not plugged in: the nearest folder above it.
        for (QString up = QFileInfo(QDir::cleanPath(typed)).path(); up != QLatin1String("/");
             up = QFileInfo(up).path())
            if (QFileInfo(up).isDir())
                return up;
    }
    return homeFolder();
}

QString folderPickerButton() {
    return QStringLiteral("Välj");
}

QString Dialogs::pickFolder(const QString& title, const QString& startFolder) {
    const QString start = pickerStartFolder(startFolder);
    if (quiet()) {
        Expectation e;
        return intercept(Kind::Folder, title, title, e, start) ? e.text : QString();
    }
    return pick(title, start, QFileDialog::Directory, {});
}

QString Dialogs::pickFile(const QString& title, const QString& startFolder, const QString& filter) {
    if (quiet()) {
        Expectation e;
        return intercept(Kind::File, title, title, e) ? e.text : QString();
    }
    return pick(title, startFolder, QFileDialog::ExistingFile, filter);
}

Dialogs::~Dialogs() {
    for (QPointer<QProcess>& p : openers_)
        if (p) {
            p->disconnect();
            p->deleteLater();
        }
}

void Dialogs::cannotOpen(const QString& target) {
    msgBox(QStringLiteral("Det gick inte att öppna ") + target +
               QStringLiteral(". Det finns inget program på datorn som kan öppna det."),
           MsgButtons::Ok, MsgIcon::Exclamation);
}

bool Dialogs::openUrl(const QString& target) {
    if (scripted_) {
        Expectation e;
        const bool opened = intercept(Kind::OpenUrl, target, {}, e) && e.result;
        if (!opened)
            cannotOpen(target);
        return opened;
    }
    const QUrl url = target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    // The desktop's opener starts even when it then finds no program for the file, and says so
    // only in its exit status: it is watched instead of started and forgotten.
    auto* opener = new QProcess;
    openers_.erase(
        std::remove_if(openers_.begin(), openers_.end(), [](const QPointer<QProcess>& p) { return !p; }),
        openers_.end());
    openers_.emplace_back(opener);
    QObject::connect(opener, &QProcess::finished, opener,
                     [this, opener, target](int code, QProcess::ExitStatus status) {
                         opener->deleteLater();
                         if (code != 0 || status != QProcess::NormalExit)
                             cannotOpen(target);
                     });
    opener->start(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
    if (opener->waitForStarted(5000))
        return true;
    opener->deleteLater();
    // No xdg-open: Qt's own way, which tells at least whether it could start anything.
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened)
        cannotOpen(target);
    return opened;
}

bool Dialogs::showInFileManager(const QString& folder) {
    return openUrl(folder);
}

bool Dialogs::startProgram(const QString& entry) {
    if (scripted_) {
        Expectation e;
        return intercept(Kind::StartProgram, entry, {}, e) ? e.result : false;
    }
    QStringList parts = QProcess::splitCommand(entry);
    if (parts.isEmpty())
        return false;
    const QString program = parts.takeFirst();
    const QFileInfo fi(program);
    if (fi.exists() && !fi.isExecutable())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
    if (fi.isDir())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
    return QProcess::startDetached(program, parts);
}

void Dialogs::showModal(QWidget* window) {
    if (!window)
        return;
    if (quiet()) {
        Expectation e;
        if (intercept(Kind::Window, window->objectName(), window->windowTitle(), e) && e.act)
            e.act(window);
        return;
    }
    QPointer<QWidget> w(window);
    QWidget* owner = ownerWindow(window);
    if (owner && !window->parentWidget())
        asDialog(window);
    withoutMinimiseBox(window);
    QPointer<QWindow> ownerBefore = belongTo(window, owner);
    NestedLoop nested;
    if (auto* d = qobject_cast<QDialog*>(window)) {
        d->exec();
        if (w && w->windowHandle())
            w->windowHandle()->setTransientParent(ownerBefore);
        return;
    }
    const Qt::WindowModality old = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    HideWatcher watcher(window, &loop);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    window->raise();
    window->activateWindow();
    if (w && w->isVisible())
        loop.exec();
    if (w) {
        w->removeEventFilter(&watcher);
        // The modality of a shown window cannot change without leaving the others blocked; one
        // still shown here lost its loop to the application's quit.
        if (w->isVisible())
            w->hide();
        w->setWindowModality(old);
        if (w->windowHandle())
            w->windowHandle()->setTransientParent(ownerBefore);
    }
}

void Dialogs::closeWaiting() {
    std::vector<QPointer<QWidget>> waiting;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            waiting.emplace_back(w);
    for (QPointer<QWidget>& w : waiting) {
        if (!w || !w->isVisible())
            continue;
        // Closed as a person would, so the window does what its own close does; a message box
        // without a cancel button refuses that.
        w->close();
        if (w && w->isVisible())
            w->hide();
    }
}

namespace {
// Texts of Qt 6's own dialogs that the distribution's Swedish catalogue, written for older Qt
// versions, lacks; the catalogue's own texts take precedence.
struct QtText {
    const char* context;
    const char* source;
    const char* swedish;
};
const QtText kQtTexts[] = {
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "Spara"},
    {"QPlatformTheme", "Save All", "Spara alla"},
    {"QPlatformTheme", "Open", "Öppna"},
    {"QPlatformTheme", "&Yes", "&Ja"},
    {"QPlatformTheme", "Yes to &All", "Ja till &alla"},
    {"QPlatformTheme", "&No", "&Nej"},
    {"QPlatformTheme", "N&o to All", "N&ej till alla"},
    {"QPlatformTheme", "Abort", "Avbryt"},
    {"QPlatformTheme", "Retry", "Försök igen"},
    {"QPlatformTheme", "Ignore", "Ignorera"},
    {"QPlatformTheme", "Close", "Stäng"},
    {"QPlatformTheme", "Cancel", "Avbryt"},
    {"QPlatformTheme", "Discard", "Förkasta"},
    {"QPlatformTheme", "Help", "Hjälp"},
    {"QPlatformTheme", "Apply", "Verkställ"},
    {"QPlatformTheme", "Reset", "Återställ"},
    {"QPlatformTheme", "Restore Defaults", "Återställ standardvärden"},
    {"QFileDialog", "Look in:", "Leta i:"},
    {"QFileDialog", "&Choose", "&Välj"},
    {"QFileDialog", "&New Folder", "&Ny mapp"},
    {"QFileDialog", "Create a New Folder", "Skapa en ny mapp"},
    {"QFileDialog", "Change to detail view mode", "Byt till detaljerad vy"},
    {"QFileDialog", "Change to list view mode", "Byt till listvy"},
    {"QFileDialog", "Go back", "Gå tillbaka"},
    {"QFileDialog", "Go forward", "Gå framåt"},
    {"QFileDialog", "Go to the parent directory", "Gå till mappen ovanför"},
    {"QFileDialog", "List of places and bookmarks", "Lista över platser och bokmärken"},
    {"QFileDialog", "Sidebar", "Sidopanel"},
    {"QFileDialog", "Files", "Filer"},
    {"QFileDialog", "Remove", "Ta bort"},
    {"QFileDialog", "Show ", "Visa "},
    {"QFileSystemModel", "Computer", "Dator"},
    {"QAbstractFileIconProvider", "Drive", "Enhet"},
    {"QAbstractFileIconProvider", "Folder", "Mapp"},
    {"QInputDialog", "Enter a value:", "Ange ett värde:"},
    {"QWidgetTextControl", "&Undo", "&Ångra"},
    {"QWidgetTextControl", "&Redo", "&Gör om"},
    {"QWidgetTextControl", "Cu&t", "Klipp &ut"},
    {"QWidgetTextControl", "&Copy", "&Kopiera"},
    {"QWidgetTextControl", "Copy &Link Location", "Kopiera &länkadress"},
    {"QWidgetTextControl", "&Paste", "Klistra &in"},
    {"QWidgetTextControl", "Delete", "Ta bort"},
    {"QWidgetTextControl", "Select All", "Markera alla"},
};

class QtTextsInSwedish : public QTranslator {
  public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (!context || !source)
            return {};
        for (const QtText& t : kQtTexts)
            if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, source) == 0)
                return QString::fromUtf8(t.swedish);
        return {};
    }
    bool isEmpty() const override { return false; }
};
} // namespace

bool installSwedishQtTexts() {
    static QPointer<QTranslator> catalogue;
    static QPointer<QTranslator> supplement;
    if (!qApp)
        return false;
    if (!supplement) {
        // Installed first: the catalogue, installed after it, is asked first.
        supplement = new QtTextsInSwedish(qApp);
        QCoreApplication::installTranslator(supplement);
    }
    if (catalogue)
        return true;
    auto* t = new QTranslator(qApp);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Newer distributions split Qt's texts by module; older ones ship them as one catalogue.
    if (!t->load(QStringLiteral("qtbase_sv"), folder) && !t->load(QStringLiteral("qt_sv"), folder)) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    catalogue = t;
    return true;
}

void Dialogs::expectMessage(const QString& contains, Answer answer) {
    Expectation e;
    e.kind = Kind::Message;
    e.contains = contains;
    e.answer = answer;
    queue_.push_back(e);
}
void Dialogs::expectInput(const QString& contains, const QString& answer) {
    Expectation e;
    e.kind = Kind::Input;
    e.contains = contains;
    e.text = answer;
    queue_.push_back(e);
}
void Dialogs::expectFolder(const QString& answer, const QString& contains) {
    Expectation e;
    e.kind = Kind::Folder;
    e.contains = contains;
    e.text = answer;
    queue_.push_back(e);
}
void Dialogs::expectFile(const QString& answer, const QString& contains) {
    Expectation e;
    e.kind = Kind::File;
    e.contains = contains;
    e.text = answer;
    queue_.push_back(e);
}
void Dialogs::expectOpenUrl(const QString& contains, bool result) {
    Expectation e;
    e.kind = Kind::OpenUrl;
    e.contains = contains;
    e.result = result;
    queue_.push_back(e);
}
void Dialogs::expectStartProgram(const QString& contains, bool result) {
    Expectation e;
    e.kind = Kind::StartProgram;
    e.contains = contains;
    e.result = result;
    queue_.push_back(e);
}
void Dialogs::expectWindow(const QString& objectName, std::function<void(QWidget*)> act) {
    Expectation e;
    e.kind = Kind::Window;
    e.contains = objectName;
    e.act = std::move(act);
    queue_.push_back(e);
}

QStringList Dialogs::verify() {
    for (const Expectation& e : queue_)
        failures_ << QStringLiteral("expected %1 containing \"%2\" was never shown")
                         .arg(kindName(e.kind), e.contains);
    queue_.clear();
    QStringList f = failures_;
    failures_.clear();
    return f;
}

void Dialogs::reset() {
    queue_.clear();
    calls_.clear();
    failures_.clear();
}

} // namespace platform
