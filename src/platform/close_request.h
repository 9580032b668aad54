#pragma once
#include <functional>

class QWidget;

namespace platform {

// The window manager's close request to `window` (its close box) runs `onClose` from the event
// loop also while a modal window blocks `window`: Qt drops the request then. Without a modal
// window the request takes its ordinary way, the window's closeEvent. X11 only; elsewhere nothing
// is installed. Ends with the window.
void forwardBlockedCloseRequests(QWidget* window, std::function<void()> onClose);

} // namespace platform
