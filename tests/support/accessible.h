#pragma once
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace testutil {
// Every enabled, shown control of `window` that a user operates and an accessibility client
// finds without a name (object name and role), as a screen reader would meet them.
QStringList unnamedControls(QWidget* window);

// Windows by name, each opened (or shown again) by its function.
using WindowOpeners = std::vector<std::pair<const char*, std::function<QWidget*()>>>;
// Escape closes each window wherever the focus is: on the window itself and on every control a key
// can reach (each opened afresh), checked with gtest expectations.
void expectEscapeClosesFromEveryControl(const WindowOpeners& windows);
} // namespace testutil
