#include "platform/clock.h"

namespace platform {

QDateTime Clock::now() const {
    return fixed_.isValid() ? fixed_ : QDateTime::currentDateTime();
}

QString dateText(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd"));
}
QString timeText(const QDateTime& t) {
    return t.toString(QStringLiteral("HH:mm:ss"));
}
QString dateTimeText(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace platform
