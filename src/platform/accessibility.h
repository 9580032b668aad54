#pragma once
#include <QList>
#include <QString>

class QPushButton;
class QWidget;

// What a screen reader (or any accessibility client) needs of the program's windows, in one place:
// every control named, the program's own press items pressable.
namespace platform {

// Once per process: every window gets its controls named (nameControls) each time it is shown,
// the program's press items (PressItem, ClickLabel) get a press action for accessibility
// clients, value labels (ValueLabel) and progress bars (BarBox) tell their value, a drop-down
// field is named by its caption, an open menu is found below the application, and Enter or
// Escape that no control of a window took presses a button (pressDefaultButton,
// pressCancelButton).
// Windows made later get all of it without doing anything.
void installAccessibility();

// Enter in a window that is not a dialog: presses the focused push button, else the window's
// visible and enabled default button, as a dialog would. Returns whether a button was pressed.
bool pressDefaultButton(QWidget* window);

// Makes `button` its window's cancel button (or no longer): Escape presses it while it is visible
// and enabled.
void setCancelButton(QPushButton* button, bool cancel);
// Escape in a window that is not a dialog: presses its visible and enabled cancel button.
bool pressCancelButton(QWidget* window);

// Names every control of `window` that has no name of its own: a field from the label whose
// buddy it is (the label beside it), a control without a caption from its tooltip. A name the
// window set itself is kept.
void nameControls(QWidget* window);

// `window` is a message box of the program's own: a screen reader meets it as an alert and
// announces it, its description (set it to the message) included, as it does Qt's own boxes.
void showAsAlert(QWidget* window);

// A label's text as a name: without the mnemonic marks, line breaks and the closing colon.
QString nameFromLabel(const QString& text);

// What lies under a panel is hidden while the panel covers it, not only drawn over: neither Tab,
// nor Space on a control the user cannot see, nor a screen reader reaches it.
//
// A plain container over all of `parent` that takes over the controls `parent` holds now, but
// those in `keep`, each as shown or hidden as it was, and stays as large as `parent`. Only what
// covers it shows or hides the container, so when it shows again every control inside is as the
// window last set it.
QWidget* coverableLayer(QWidget* parent, const QList<QWidget*>& keep = {});
// While `panel` is shown it lies over `layer`, which is hidden meanwhile.
void coverWhileShown(QWidget* panel, QWidget* layer);

} // namespace platform
