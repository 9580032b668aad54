#pragma once
#include <QString>

// Closing other programs: by the title of their window, or by the name of their executable.
namespace platform {

// Asks the top-level window whose title is exactly `title` to close (on X11, through the window
// manager's _NET_CLOSE_WINDOW, or WM_DELETE_WINDOW when no such manager runs) and waits at most
// `waitMs` for it to go. Without an X11 display no window is ever found.
struct WindowCloseResult {
    bool found = false;  // a window with that title existed
    bool closed = false; // and it was gone before the wait ran out
};
WindowCloseResult closeWindowByTitle(const QString& title, int waitMs = 10000);

// Ends every process whose executable's base name (of /proc/PID/exe or of argv[0]) is `name`,
// ignoring case: SIGTERM, and SIGKILL after `graceMs` for what still runs. Never this program's
// own process, never process 1.
struct EndResult {
    int matched = 0; // processes whose name matched
    int ended = 0;   // of those, the ones that really ended
    QString name;    // lower-cased base name of the last process that ended
};
EndResult endProcessesByName(const QString& name, int graceMs = 5000);

} // namespace platform
