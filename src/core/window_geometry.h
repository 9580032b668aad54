#pragma once
#include <QString>

class QWidget;

// The window geometry file shared by every window that remembers where it was:
// "setup_windowsize_<word>.ini" in the program folder, four lines in twips (15 per pixel):
// Height, Width, Top, Left of the window with its frame.
namespace geometry {

constexpr int kTwipsPerPixel = 15;

struct WindowTwips {
    long long height = 0;
    long long width = 0;
    long long top = 0;
    long long left = 0;
};

// The file of a window word ("main", "backup", "log", "nyinställning") in the program folder.
QString geometryFile(const QString& word);

// Whether the window may be saved: visible and neither minimised nor maximised.
bool savable(const QWidget* w);

WindowTwips windowTwips(const QWidget* w);
// Writes the four lines whole (print form " 1 "); throws RunError when that fails.
void writeGeometry(const QString& path, const WindowTwips& t);
// Writes the file of `w` only when savable(w); returns whether it wrote.
bool saveWindow(const QString& path, const QWidget* w);

// Applies Height, Width, Top and Left in this order as they are read. Before the window is
// framed, the outer size is set as the inner size and put right once the frame is known. A missing file
// throws 53; a missing line (62) or a line that is no number (13) throws after the lines before it were
// applied, so the window keeps what was set before the damage.
void applyGeometry(const QString& path, QWidget* w);

// True from restoring a window's size until its window manager has framed it (or shown that it
// does not): the window's outer size is not yet what it will be, and is not saved meanwhile.
bool frameAwaited(const QWidget* w);

// Applies the file of window word `word` (see applyGeometry), or centres the window when there is
// none. A damaged file leaves what was applied before the damage and appends the system-log line
// `message` + number + description + "." (message ends in "Felkod "), marked as an error.
void restoreWindow(QWidget* w, const QString& word, const QString& message);

// Centres the window on its screen at its present size.
void centre(QWidget* w);
// Centres the window over `over` when that is shown and not minimised, kept on the screen; else on
// the screen.
void centreOver(QWidget* w, const QWidget* over);
// centreOver the main window, wherever the user moved it.
void centreOverMainWindow(QWidget* w);

} // namespace geometry
