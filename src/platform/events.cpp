#include "platform/events.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace platform {

void doEvents() {
    QCoreApplication::processEvents();
}

void doEventsThrottled() {
    static QElapsedTimer timer;
    if (!timer.isValid() || timer.elapsed() >= 20) {
        QCoreApplication::processEvents();
        timer.restart();
    }
}

} // namespace platform
