#include "platform/events.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace platform {

namespace {
int depth = 0;
}

NestedLoop::NestedLoop() {
    ++depth;
}

NestedLoop::~NestedLoop() {
    --depth;
}

bool insideNestedLoop() {
    // Qt's own dialogs (message boxes, pickers) run event loops of their own too.
    return depth > 0 || QThread::currentThread()->loopLevel() > 1;
}

void doEvents() {
    NestedLoop nested;
    QCoreApplication::processEvents();
}

void doEventsThrottled() {
    static QElapsedTimer timer;
    if (!timer.isValid() || timer.elapsed() >= 20) {
        NestedLoop nested;
        QCoreApplication::processEvents();
        timer.restart();
    }
}

} // namespace platform
