#pragma once
#include <QStringList>

class QWidget;

namespace testutil {
// What an accessibility client finds in `window`: every enabled, shown control a user operates
// that has no name, as "objectName role N".
QStringList unnamed(QWidget* window);
} // namespace testutil
