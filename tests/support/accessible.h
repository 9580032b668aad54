#pragma once
#include <QStringList>

class QWidget;

namespace testutil {
// Every enabled, shown control of `window` that a user operates and an accessibility client
// finds without a name (object name and role), as a screen reader would meet them.
QStringList unnamedControls(QWidget* window);
} // namespace testutil
