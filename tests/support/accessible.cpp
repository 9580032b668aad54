#include "support/accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace testutil {
namespace {

// Roles a user operates: these must carry a name.
bool operable(QAccessible::Role r) {
    switch (r) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::PageTab:
    case QAccessible::Link:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

void walk(QAccessibleInterface* iface, const std::function<void(QAccessibleInterface*)>& f) {
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (!child)
            continue;
        f(child);
        // The entries of a list or a combo box are named by their texts.
        if (child->role() != QAccessible::List && child->role() != QAccessible::ComboBox)
            walk(child, f);
    }
}

} // namespace

QStringList unnamedControls(QWidget* window) {
    QStringList out;
    walk(QAccessible::queryAccessibleInterface(window), [&](QAccessibleInterface* i) {
        const QAccessible::State st = i->state();
        if (st.invisible || st.disabled || !operable(i->role()))
            return;
        if (i->text(QAccessible::Name).trimmed().isEmpty())
            out << (i->object() ? i->object()->objectName() : QStringLiteral("?")) +
                       QStringLiteral(" role ") + QString::number(i->role());
    });
    return out;
}

QStringList shownTexts(QWidget* window) {
    QStringList out;
    walk(QAccessible::queryAccessibleInterface(window), [&](QAccessibleInterface* i) {
        if (i->role() == QAccessible::StaticText && !i->state().invisible &&
            !i->text(QAccessible::Name).isEmpty())
            out << i->text(QAccessible::Name);
    });
    return out;
}

void expectEscapeClosesFromEveryControl(const WindowOpeners& windows) {
    auto targets = [](QWidget* w) {
        QList<QWidget*> out{w};
        for (QWidget* c : w->findChildren<QWidget*>())
            if ((c->focusPolicy() & Qt::TabFocus) && c->isVisibleTo(w) && c->isEnabled())
                out << c;
        return out;
    };
    for (const auto& [name, open] : windows) {
        QWidget* first = open();
        ASSERT_TRUE(first) << name;
        const qsizetype count = targets(first).size();
        for (qsizetype i = 0; i < count; ++i) {
            QWidget* w = open();
            QWidget* target = targets(w).value(i);
            ASSERT_TRUE(target) << name;
            const QString what =
                QString::fromUtf8(target->metaObject()->className()) + ' ' + target->objectName();
            QPointer<QWidget> window = w;
            QTest::keyClick(target, Qt::Key_Escape);
            EXPECT_TRUE(!window || !window->isVisible()) << name << ": " << what.toStdString();
        }
    }
}

void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

void pressKey(QWidget* window, Qt::Key key) {
    QWidget* f = QApplication::focusWidget();
    QTest::keyClick(f && f->window() == window ? f : window, key);
}

} // namespace testutil
