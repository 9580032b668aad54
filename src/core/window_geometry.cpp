#include "core/window_geometry.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
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

// Where a window manager frames windows, it does so only after the window is shown; until then
// the frame counts as nothing. Offscreen and minimal platforms never frame a window.
bool framedLater() {
    const QString p = QGuiApplication::platformName();
    return p != QLatin1String("offscreen") && p != QLatin1String("minimal");
}

const char* const kWatcherName = "geometryFrameWatcher";

// Gives a window the outer size it was restored to once its frame is known: before that the
// saved outer size stood in for the inner size, and the window would grow by its frame at every
// start. Gives up a while after the window is shown when no frame comes.
class FrameWatcher : public QObject {
  public:
    FrameWatcher(QWidget* w, const QSize& outer) : QObject(w), window_(w), outer_(outer) {
        setObjectName(QLatin1String(kWatcherName));
        w->installEventFilter(this);
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, this, [this] { check(); });
        if (w->isVisible())
            started();
    }
    void setOuter(const QSize& outer) { outer_ = outer; }

    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show)
            started();
        else if ((e->type() == QEvent::Move || e->type() == QEvent::Resize) && shown_.isValid())
            check();
        return false;
    }

  private:
    void started() {
        if (!shown_.isValid())
            shown_.start();
        poll_.start();
    }
    void check() {
        const QSize extra = frameExtra(window_);
        if (extra.isNull() && shown_.elapsed() < 2000)
            return;
        finish();
        if (!extra.isNull())
            window_->resize(outer_ - extra);
    }
    void finish() {
        poll_.stop();
        window_->removeEventFilter(this);
        setObjectName(QString());
        deleteLater();
    }

    QWidget* window_;
    QSize outer_;
    QTimer poll_;
    QElapsedTimer shown_;
};

FrameWatcher* watcherOf(const QWidget* w) {
    return static_cast<FrameWatcher*>(
        w->findChild<QObject*>(QLatin1String(kWatcherName), Qt::FindDirectChildrenOnly));
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
    return w && w->isVisible() && !frameAwaited(w) &&
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
    // Without a frame yet, the outer size is put right once the window manager has framed it.
    const bool awaitFrame = extra.isNull() && !w->isVisible() && framedLater();
    auto keepOuter = [&] {
        if (!awaitFrame)
            return;
        const QSize outer = w->size() + extra;
        if (FrameWatcher* watcher = watcherOf(w))
            watcher->setOuter(outer);
        else
            new FrameWatcher(w, outer);
    };
    const int height = toPixels(readNumber(lines, 0)) - extra.height();
    w->resize(w->width(), height);
    keepOuter();
    const int width = toPixels(readNumber(lines, 1)) - extra.width();
    w->resize(width, w->height());
    keepOuter();
    const int top = toPixels(readNumber(lines, 2));
    w->move(w->frameGeometry().left(), top);
    const int left = toPixels(readNumber(lines, 3));
    w->move(left, w->frameGeometry().top());
}

bool frameAwaited(const QWidget* w) {
    return w && watcherOf(w) != nullptr;
}

void restoreWindow(QWidget* w, const QString& word, const QString& message) {
    const QString file = geometryFile(word);
    if (!platform::fileExists(file)) {
        centre(w);
        return;
    }
    try {
        applyGeometry(file, w);
    } catch (const platform::RunError& e) {
        SystemLog& log = program().systemLog();
        log.append(message + QString::number(e.number) + e.description + QLatin1Char('.'));
        log.markError();
    }
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

void centreOverMainWindow(QWidget* w) {
    centreOver(w, program().mainWindow().widget());
}

void centreOver(QWidget* w, const QWidget* over) {
    if (!over || !over->isVisible() || (over->windowState() & Qt::WindowMinimized)) {
        centre(w);
        return;
    }
    const QRect a = over->frameGeometry();
    QSize outer = w->frameGeometry().size();
    // Not framed yet, the window is placed by its inside; expect the frame the other window has.
    const bool framed = outer != w->size();
    if (!framed)
        outer += over->frameGeometry().size() - over->size();
    QPoint at(a.left() + (a.width() - outer.width()) / 2, a.top() + (a.height() - outer.height()) / 2);
    // A window near a screen edge must not push the new one off the screen.
    if (const QScreen* s = over->screen()) {
        const QRect r = s->availableGeometry();
        at.setX(qBound(r.left(), at.x(), std::max(r.left(), r.right() + 1 - outer.width())));
        at.setY(qBound(r.top(), at.y(), std::max(r.top(), r.bottom() + 1 - outer.height())));
    }
    if (!framed)
        at += over->geometry().topLeft() - a.topLeft();
    w->move(at);
}

} // namespace geometry
