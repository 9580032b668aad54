#pragma once
#include <QStringList>

class QWidget;

namespace testutil {
// What a screen reader finds in `window`: every enabled, shown control a user operates that has
// no name (object name and role of each).
QStringList unnamedControls(QWidget* window);
} // namespace testutil
