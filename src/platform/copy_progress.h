#pragma once
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

namespace platform {

// The visible copy (the shell's copy with its progress dialog): copyKeepTime while a
// QProgressDialog with the button "Avbryt" shows how far it got (it appears only when the copy
// takes a while). Pressing "Avbryt" stops the copy; nothing is then left under the target's name
// and the old target stays. Throws RunError like copyKeepTime (number 0 for the cancel).
// `cancelled` is asked too, between blocks.
void copyShowingProgress(const QString& source, const QString& target, QWidget* parent = nullptr,
                         const std::function<bool()>& cancelled = {});

// The progress dialog of the copy that is running now, or nullptr.
QProgressDialog* currentCopyProgress();

} // namespace platform
