#pragma once
#include <QString>
#include <QStringList>

// Drives windows on the private X server (TestXServer) as a person would, through xdotool, and
// reads what the window manager and the clipboard hold (xprop, xclip). Windows are X window ids
// in decimal, as xdotool prints them.
class TestXServer;

namespace desktop {

// Empty when every tool is installed, else what is missing.
QString missingTools();
// Opens `x` with a window manager, for the tools: empty when done, else why not.
QString open(TestXServer& x);

// The shown window whose title is exactly `title`, waiting at most `waitMs`; empty when none.
QString findWindow(const QString& title, int waitMs = 20000);
// Every shown window whose title is exactly `title`.
QStringList windows(const QString& title);
// Waits at most `waitMs` until no shown window has the title `title`.
bool waitGone(const QString& title, int waitMs = 20000);
// A left click at (x, y) inside `window`.
void click(const QString& window, int x, int y);
// Keys as xdotool names them ("ctrl+a"), or text typed, into the window that has the focus.
void key(const QString& keys);
void type(const QString& text);
// The window manager's requests: minimise, bring back (raise and focus).
void minimise(const QString& window);
void activate(const QString& window);
// "Iconic" while minimised, "Normal" while shown; empty when the window is gone.
QString state(const QString& window);
// The actions the window manager offers for the window (_NET_WM_ACTION_MINIMIZE, ...).
QStringList allowedActions(const QString& window);
// The text on the clipboard, waiting at most `waitMs` for it to be `expected`.
QString clipboard(const QString& expected = {}, int waitMs = 5000);
void setClipboard(const QString& text);

} // namespace desktop
