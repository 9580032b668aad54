#include "platform/accessibility.h"

#include "platform/click_label.h"
#include "platform/progress_bar.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QSet>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

namespace platform {

namespace {

// The name this helper gave a control; a name that differs from it was set by the window itself.
const char* const kGivenName = "platformGivenAccessibleName";

void giveName(QWidget* w, const QString& name) {
    if (name.isEmpty())
        return;
    const QString given = w->property(kGivenName).toString();
    if (!w->accessibleName().isEmpty() && w->accessibleName() != given)
        return;
    if (w->accessibleName() != name)
        w->setAccessibleName(name);
    w->setProperty(kGivenName, name);
}

// Whether Qt names the control from its own caption.
bool namedByCaption(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return !b->text().isEmpty();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return !l->text().isEmpty();
    return false;
}

// A press item or a link label: named by its caption, pressed as a mouse press would. What it
// offers is looked up when asked, since a label can be asked about while it is being made, before
// its command is set.
class PressInterface : public QAccessibleWidget {
  public:
    using Caption = QString (*)(QWidget*);
    using Press = bool (*)(QWidget*, bool run); // whether it can be pressed; presses when `run`

    PressInterface(QWidget* w, QAccessible::Role role, Caption caption, Press press)
        : QAccessibleWidget(w, role), caption_(caption), press_(press) {}

    QAccessible::Role role() const override {
        return press_(widget(), false) ? QAccessibleWidget::role() : QAccessible::StaticText;
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        const QString c = caption_(widget());
        return c.isEmpty() ? nameFromLabel(widget()->toolTip()) : c;
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (press_(widget(), false))
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            // The client waits for the answer to its press: the command, which may open a modal
            // window, runs from the event loop once the press has been answered.
            QPointer<QWidget> w = widget();
            const Press press = press_;
            QTimer::singleShot(0, w, [w, press] {
                if (w && w->isEnabled())
                    press(w, true);
            });
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    Caption caption_;
    Press press_;
};

// An entry of a menu. Qt's own entry runs its command before it answers the client, so a command
// that opens a modal window kept a screen reader waiting until that window closed. This one is
// answered first, as a press item is; the rest is what Qt's entry offers.
class MenuItemInterface : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    explicit MenuItemInterface(QAction* action) : action_(action) {}

    bool isValid() const override { return action_ && owner(); }
    QObject* object() const override { return action_; }
    QWindow* window() const override {
        QWidget* w = owner();
        return w ? w->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner()); }
    int childCount() const override { return action_->menu() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && action_->menu() ? QAccessible::queryAccessibleInterface(action_->menu())
                                             : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && action_->menu() && child->object() == action_->menu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* sub = child(0);
        return sub && sub->rect().contains(x, y) ? sub : nullptr;
    }
    QRect rect() const override {
        QMenu* menu = owner();
        return menu ? menu->actionGeometry(action_).translated(menu->mapToGlobal(QPoint(0, 0))) : QRect();
    }
    QAccessible::Role role() const override {
        return action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        QMenu* menu = owner();
        s.invisible = !menu || !menu->isVisible() || !action_->isVisible();
        s.focused = menu && menu->activeAction() == action_;
        s.disabled = action_->isSeparator() || !action_->isEnabled();
        s.checkable = action_->isCheckable();
        s.checked = action_->isChecked();
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return nameFromLabel(action_->text());
        if (t == QAccessible::Accelerator)
            return action_->shortcut().toString(QKeySequence::NativeText);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        if (action_->isSeparator())
            return {};
        return {action_->menu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        if (!action_->isEnabled())
            return;
        if (name == pressAction() && !action_->menu()) {
            // The command, which may open a modal window, runs once the press has been answered.
            QTimer::singleShot(0, action_, [a = action_] {
                if (a && a->isEnabled())
                    a->trigger();
            });
        } else if (name == showMenuAction() && action_->menu()) {
            if (action_->menu()->isVisible())
                action_->menu()->hide();
            else if (QMenu* menu = owner())
                menu->setActiveAction(action_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    // The menu that holds the entry: the shown one, if any.
    QMenu* owner() const {
        if (!action_)
            return nullptr;
        QMenu* first = nullptr;
        for (QObject* o : action_->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(o)) {
                if (menu->isVisible())
                    return menu;
                if (!first)
                    first = menu;
            }
        return first;
    }

    QPointer<QAction> action_;
};

// A value beside its caption, read as a screen reader reads a label pair: the caption (the name
// the label's buddy gave it) is its name, its text the value.
class ValueInterface : public QAccessibleWidget {
  public:
    explicit ValueInterface(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        const QString value = static_cast<QLabel*>(widget())->text();
        const QString caption = widget()->accessibleName();
        switch (t) {
        case QAccessible::Name:
            return caption.isEmpty() ? value : caption;
        case QAccessible::Value:
            return value;
        case QAccessible::Description:
            if (!widget()->accessibleDescription().isEmpty() || caption.isEmpty())
                return widget()->accessibleDescription();
            return value;
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

// A progress bar drawn as a growing label in a box: its value is the share of the box the label
// fills, in percent.
class BarInterface : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit BarInterface(BarBox* box) : QAccessibleWidget(box, QAccessible::ProgressBar) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString::number(percent()) + QStringLiteral(" %");
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return percent(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    int percent() const {
        const auto* box = static_cast<const BarBox*>(widget());
        if (!box->bar || box->bar->isHidden() || box->width() <= 0)
            return 0;
        return qBound(0, qRound(100.0 * box->bar->width() / box->width()), 100);
    }
};

// A drop-down box. Qt names it on Linux by its text and leaves the caption to a relation a screen
// reader may not follow, so a box was announced by what it held. A box is named by its caption
// (the buddy label's name); its text is the value. The rest
// is what Qt's own box offers: the list and the edit line as children, opening the list.
class ComboInterface : public QAccessibleWidget {
  public:
    explicit ComboInterface(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    int childCount() const override { return box()->isEditable() && box()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable())
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        if (child->object() == box()->view())
            return 0;
        if (box()->isEditable() && child->object() == box()->lineEdit())
            return 1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = box()->isEditable() ? box()->lineEdit() : nullptr;
        if (edit && QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
            return child(1);
        return nullptr;
    }
    // The box takes the focus for its edit line, which a client reads as the focused child.
    QAccessibleInterface* focusChild() const override { return box()->isEditable() ? child(1) : nullptr; }
    QString text(QAccessible::Text t) const override {
        const QString value =
            box()->isEditable() && box()->lineEdit() ? box()->lineEdit()->text() : box()->currentText();
        switch (t) {
        case QAccessible::Name:
            if (!box()->accessibleName().isEmpty())
                return box()->accessibleName();
            return value.isEmpty() ? QAccessibleWidget::text(t) : value;
        case QAccessible::Value:
            return value;
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = box()->isEditable();
        s.expandable = true;
        s.expanded = box()->view() && box()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            QAccessibleWidget::doAction(action);
        else if (box()->view() && box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

// The application as a client walks it. Qt lists its windows but leaves pop-up menus out, though
// an open menu names the application as its parent: a client going down the tree never met the
// program's menus. An open menu is listed after the windows, with its commands below it.
class ApplicationInterface : public QAccessibleApplication {
  public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(openMenus().size()); }
    QAccessibleInterface* child(int index) const override {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        const QList<QMenu*> menus = openMenus();
        return index - windows < menus.size() ? QAccessible::queryAccessibleInterface(menus[index - windows])
                                              : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const int i = QAccessibleApplication::indexOfChild(child);
        if (i >= 0 || !child)
            return i;
        const qsizetype menu = openMenus().indexOf(qobject_cast<QMenu*>(child->object()));
        return menu < 0 ? -1 : QAccessibleApplication::childCount() + int(menu);
    }

  private:
    // Shown menus that are no submenu of another (that one lists them).
    static QList<QMenu*> openMenus() {
        QList<QMenu*> menus;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible()) {
                QAccessibleInterface* i = QAccessible::queryAccessibleInterface(menu);
                QAccessibleInterface* up = i ? i->parent() : nullptr;
                if (up && up->object() == qApp)
                    menus << menu;
            }
        return menus;
    }
};

const char* const kAlert = "platformAlert";

// The program's own interfaces, in place of Qt's for these controls.
QAccessibleInterface* programInterfaces(const QString& className, QObject* o) {
    if (className == QLatin1String("QWidget")) {
        if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow() && w->property(kAlert).toBool())
            return new QAccessibleWidget(w, QAccessible::AlertMessage);
    } else if (className == QLatin1String("QApplication")) {
        if (o == qApp)
            return new ApplicationInterface;
    } else if (className == QLatin1String("QAction")) {
        // Only an entry of a menu; Qt gives an action nothing of its own elsewhere.
        if (auto* action = qobject_cast<QAction*>(o))
            for (QObject* at : action->associatedObjects())
                if (qobject_cast<QMenu*>(at))
                    return new MenuItemInterface(action);
    } else if (className == QLatin1String("QComboBox")) {
        if (auto* box = qobject_cast<QComboBox*>(o))
            return new ComboInterface(box);
    } else if (className == QLatin1String("QFrame")) {
        if (auto* box = dynamic_cast<BarBox*>(o))
            return new BarInterface(box);
        if (auto* item = dynamic_cast<PressItem*>(o)) {
            const auto role =
                item->kind() == PressItem::Kind::PageTab ? QAccessible::PageTab : QAccessible::Button;
            return new PressInterface(
                item, role,
                [](QWidget* w) { return nameFromLabel(static_cast<PressItem*>(w)->captionText()); },
                [](QWidget* w, bool run) {
                    auto* i = static_cast<PressItem*>(w);
                    if (run && i->onPress)
                        i->onPress();
                    return bool(i->onPress);
                });
        }
    } else if (className == QLatin1String("QToolButton")) {
        // Qt's own press of a tool button clicks it before it answers the client.
        if (auto* button = qobject_cast<QToolButton*>(o)) {
            return new PressInterface(
                button, QAccessible::Button,
                [](QWidget* w) { return nameFromLabel(static_cast<QToolButton*>(w)->text()); },
                [](QWidget* w, bool run) {
                    if (run)
                        static_cast<QToolButton*>(w)->click();
                    return true;
                });
        }
    } else if (className == QLatin1String("QLabel")) {
        if (auto* value = dynamic_cast<ValueLabel*>(o))
            return new ValueInterface(value);
        if (auto* label = dynamic_cast<ClickLabel*>(o)) {
            return new PressInterface(
                label, QAccessible::Link,
                [](QWidget* w) { return nameFromLabel(static_cast<QLabel*>(w)->text()); },
                [](QWidget* w, bool run) {
                    auto* l = static_cast<ClickLabel*>(w);
                    if (run && l->onClick)
                        l->onClick();
                    return bool(l->onClick);
                });
        }
    }
    return nullptr;
}

bool isEnterKey(const QKeyEvent* k) {
    const Qt::KeyboardModifiers m = k->modifiers() & ~Qt::KeypadModifier;
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && m == Qt::NoModifier;
}

// Qt tells a client that the items of a list are showing whenever the list's own area covers
// them, also the closed list of a drop-down box on a hidden page. A closed list is given no area,
// so its items are not showing; opening it sizes it anew.
void collapseClosedList(QWidget* popup) {
    if (popup->isVisible())
        return;
    popup->resize(0, 0);
    for (QAbstractItemView* v : popup->findChildren<QAbstractItemView*>())
        v->resize(0, 0);
    // The box's next opening lays the list out again, also at the size it had before.
    if (popup->layout())
        popup->layout()->invalidate();
}

// The same holds for the rows of any list that is hidden, by itself or with the page or layer that
// holds it: while the window shows, a hidden list is given no height (its place and width, which
// the windows lay out by, are kept), and gets its height back when it shows again. A list of a
// pop-up (a drop-down box's, a completer's) is left to its pop-up.
const char* const kShownHeight = "platformShownHeight";

QAbstractItemView* hideableList(QObject* o) {
    auto* v = qobject_cast<QAbstractItemView*>(o);
    if (!v || v->isWindow() || qobject_cast<QHeaderView*>(v) || v->window()->windowType() == Qt::Popup ||
        v->window()->inherits("QComboBoxPrivateContainer"))
        return nullptr;
    return v;
}

void collapseHiddenList(QAbstractItemView* v) {
    if (v->isVisible() || !v->window()->isVisible() || v->property(kShownHeight).isValid() ||
        v->height() <= 0)
        return;
    v->setProperty(kShownHeight, v->height());
    v->resize(v->width(), 0);
}

void restoreShownList(QAbstractItemView* v) {
    const QVariant height = v->property(kShownHeight);
    if (!height.isValid())
        return;
    v->setProperty(kShownHeight, QVariant());
    // Unless the window sized it anew meanwhile.
    if (v->height() == 0)
        v->resize(v->width(), height.toInt());
}

// Names a window's controls whenever the window is shown, and answers Enter in windows that are
// not dialogs the way a dialog does.
class WindowNamer : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!o->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(o);
        if (e->type() == QEvent::Hide && w->isWindow() && w->inherits("QComboBoxPrivateContainer")) {
            // After the box has finished closing it.
            QTimer::singleShot(0, w, [w] { collapseClosedList(w); });
        }
        if (e->type() == QEvent::Hide && !w->isWindow()) {
            if (QAbstractItemView* v = hideableList(w))
                collapseHiddenList(v);
        } else if (e->type() == QEvent::Show && !w->isWindow()) {
            if (QAbstractItemView* v = hideableList(w))
                restoreShownList(v);
        }
        if (e->type() == QEvent::Show && w->isWindow()) {
            nameControls(w);
            for (QComboBox* c : w->findChildren<QComboBox*>())
                if (QWidget* popup = c->view() ? c->view()->window() : nullptr; popup && popup != w)
                    collapseClosedList(popup);
            // Lists on pages and layers that are hidden from the start.
            for (QAbstractItemView* list : w->findChildren<QAbstractItemView*>())
                if (QAbstractItemView* v = hideableList(list); v && v->window() == w)
                    collapseHiddenList(v);
        }
        // A key reaches the window itself only when no control inside it took it.
        if (e->type() == QEvent::KeyPress && w->isWindow()) {
            const auto* k = static_cast<QKeyEvent*>(e);
            if (isEnterKey(k))
                return pressDefaultButton(w);
            if (k->key() == Qt::Key_Escape && k->modifiers() == Qt::NoModifier)
                return pressCancelButton(w);
        }
        return false;
    }
};

} // namespace

QString nameFromLabel(const QString& text) {
    QString t;
    t.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i; // "&&" is one ampersand, "&x" a mnemonic
            if (text[i] != QLatin1Char('&')) {
                t += text[i];
                continue;
            }
        }
        t += text[i];
    }
    t = t.simplified();
    while (t.endsWith(QLatin1Char(':')))
        t.chop(1);
    return t.trimmed();
}

void showAsAlert(QWidget* window) {
    window->setProperty(kAlert, true);
}

void nameControls(QWidget* window) {
    if (!window)
        return;
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    QSet<QWidget*> byLabel;
    for (QWidget* w : all) {
        auto* label = qobject_cast<QLabel*>(w);
        QWidget* field = label ? label->buddy() : nullptr;
        if (field && field->window() == window) {
            giveName(field, nameFromLabel(label->text()));
            byLabel.insert(field);
            // The edit line of a drop-down box is what holds the focus for it.
            if (auto* box = qobject_cast<QComboBox*>(field); box && box->lineEdit()) {
                giveName(box->lineEdit(), nameFromLabel(label->text()));
                byLabel.insert(box->lineEdit());
            }
        }
    }
    for (QWidget* w : all) {
        if (byLabel.contains(w) || namedByCaption(w))
            continue;
        if (!w->toolTip().isEmpty())
            giveName(w, nameFromLabel(w->toolTip()));
        else if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->placeholderText().isEmpty())
            giveName(w, nameFromLabel(edit->placeholderText()));
    }
}

bool pressDefaultButton(QWidget* window) {
    if (!window || qobject_cast<QDialog*>(window))
        return false; // a dialog does this itself
    QPushButton* target = nullptr;
    if (auto* focused = qobject_cast<QPushButton*>(window->focusWidget());
        focused && focused->window() == window && focused->isVisible() && focused->isEnabled())
        target = focused;
    if (!target) {
        const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
        for (QPushButton* b : buttons)
            if (b->isDefault() && b->window() == window && b->isVisible() && b->isEnabled()) {
                target = b;
                break;
            }
    }
    if (!target)
        return false;
    target->click();
    return true;
}

namespace {
const char* const kCancelButton = "platformCancelButton";
}

void setCancelButton(QPushButton* button, bool cancel) {
    button->setProperty(kCancelButton, cancel);
}

bool pressCancelButton(QWidget* window) {
    if (!window || qobject_cast<QDialog*>(window))
        return false;
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    for (QPushButton* b : buttons)
        if (b->property(kCancelButton).toBool() && b->window() == window && b->isVisible() &&
            b->isEnabled()) {
            b->click();
            return true;
        }
    return false;
}

namespace {

// Keeps a layer as large as its parent, and hides it while a panel over it is shown.
class Cover : public QObject {
  public:
    Cover(QObject* parent, QWidget* layer) : QObject(parent), layer_(layer) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!layer_)
            return false;
        if (e->type() == QEvent::Resize && o == layer_->parent())
            layer_->setGeometry(QRect(QPoint(0, 0), static_cast<QResizeEvent*>(e)->size()));
        else if (e->type() == QEvent::ShowToParent && o != layer_->parent())
            layer_->hide();
        else if (e->type() == QEvent::HideToParent && o != layer_->parent())
            layer_->show();
        return false;
    }

  private:
    QPointer<QWidget> layer_;
};

} // namespace

QWidget* coverableLayer(QWidget* parent, const QList<QWidget*>& keep) {
    auto* layer = new QWidget(parent);
    layer->setObjectName(parent->objectName() + QStringLiteral("_layer"));
    layer->setGeometry(parent->rect());
    for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == layer || w->isWindow() || keep.contains(w))
            continue;
        const bool hidden = w->isHidden();
        const QRect place = w->geometry();
        w->setParent(layer);
        w->setGeometry(place);
        w->setVisible(!hidden);
    }
    // Below what it does not hold, so a panel kept out of it lies over it.
    layer->lower();
    parent->installEventFilter(new Cover(layer, layer));
    return layer;
}

void coverWhileShown(QWidget* panel, QWidget* layer) {
    panel->installEventFilter(new Cover(layer, layer));
    layer->setVisible(panel->isHidden());
}

void installAccessibility() {
    static bool factoryInstalled = false;
    if (!factoryInstalled) {
        QAccessible::installFactory(programInterfaces);
        factoryInstalled = true;
        // The application's interface may have been asked for before: made anew, it lists menus.
        if (QAccessibleInterface* app = qApp ? QAccessible::queryAccessibleInterface(qApp) : nullptr;
            app && !dynamic_cast<ApplicationInterface*>(app))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(app));
    }
    static QPointer<QObject> namer;
    if (namer || !qApp)
        return;
    namer = new WindowNamer(qApp);
    qApp->installEventFilter(namer);
}

} // namespace platform
