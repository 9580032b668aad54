#pragma once
#include <QStringList>
#include <QtCore/qnamespace.h>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace testutil {
// Every enabled, shown control of `window` that a user operates and an accessibility client
// finds without a name (object name and role), as a screen reader would meet them.
QStringList unnamedControls(QWidget* window);
// The texts an accessibility client reads in `window`: the names of its shown static texts.
QStringList shownTexts(QWidget* window);

// Windows by name, each opened (or shown again) by its function.
using WindowOpeners = std::vector<std::pair<const char*, std::function<QWidget*()>>>;
// Escape closes each window wherever the focus is: on the window itself and on every control a key
// can reach (each opened afresh), checked with gtest expectations.
void expectEscapeClosesFromEveryControl(const WindowOpeners& windows);

// Shows the window as the user gets it and makes it the active one (a gtest assertion).
void showActive(QWidget* w);
// The key goes where the user's keyboard goes: the focused control of the window.
void pressKey(QWidget* window, Qt::Key key);
} // namespace testutil
