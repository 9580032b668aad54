#include "platform/clock.h"

namespace platform {

namespace {
// Tests of the started program set its clock going from a moment of their choosing
// (TAMREL_TEST_CLOCK, ISO 8601); it is read once.
qint64 testOffsetMs() {
    static const qint64 offset = [] {
        const QString start = qEnvironmentVariable("TAMREL_TEST_CLOCK");
        const QDateTime t = QDateTime::fromString(start, Qt::ISODate);
        return t.isValid() ? QDateTime::currentDateTime().msecsTo(t) : qint64(0);
    }();
    return offset;
}
} // namespace

QDateTime Clock::now() const {
    return fixed_.isValid() ? fixed_ : QDateTime::currentDateTime().addMSecs(testOffsetMs());
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
