#include "core/window_geometry.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace geometry {

namespace {
int toPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

// The frame around the client area; zero before the window manager has framed the window.
QSize frameExtra(const QWidget* w) {
    return w->frameGeometry().size() - w->size();
}

double readNumber(const QStringList& lines, int index) {
    if (index >= lines.size())
        platform::throwError(62);
    return platform::localeNumber(lines[index]);
}
} // namespace

QString geometryFile(const QString& word) {
    return program().path(QStringLiteral("setup_windowsize_") + word + QStringLiteral(".ini"));
}

bool savable(const QWidget* w) {
    return w && w->isVisible() &&
           !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

WindowTwips windowTwips(const QWidget* w) {
    const QRect f = w->frameGeometry();
    const QSize outer = w->size() + frameExtra(w);
    return {static_cast<long long>(outer.height()) * kTwipsPerPixel,
            static_cast<long long>(outer.width()) * kTwipsPerPixel,
            static_cast<long long>(f.top()) * kTwipsPerPixel,
            static_cast<long long>(f.left()) * kTwipsPerPixel};
}

void writeGeometry(const QString& path, const WindowTwips& t) {
    platform::writeLines(path, {platform::printNumber(t.height), platform::printNumber(t.width),
                                platform::printNumber(t.top), platform::printNumber(t.left)});
}

bool saveWindow(const QString& path, const QWidget* w) {
    if (!savable(w))
        return false;
    writeGeometry(path, windowTwips(w));
    return true;
}

void applyGeometry(const QString& path, QWidget* w) {
    if (!platform::fileExists(path))
        platform::throwError(53);
    const QStringList lines = platform::readLines(path);
    const QSize extra = frameExtra(w);
    const int height = toPixels(readNumber(lines, 0)) - extra.height();
    w->resize(w->width(), height);
    const int width = toPixels(readNumber(lines, 1)) - extra.width();
    w->resize(width, w->height());
    const int top = toPixels(readNumber(lines, 2));
    w->move(w->frameGeometry().left(), top);
    const int left = toPixels(readNumber(lines, 3));
    w->move(left, w->frameGeometry().top());
}

void centre(QWidget* w) {
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->geometry();
    const QSize outer = w->size() + frameExtra(w);
    w->move(area.left() + (area.width() - outer.width()) / 2,
            area.top() + (area.height() - outer.height()) / 2);
}

} // namespace geometry
