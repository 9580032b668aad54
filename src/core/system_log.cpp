#include "core/system_log.h"

#include "platform/clock.h"

namespace {
// Every line end as CR LF, as the log box gives its text back.
QString crlf(QString t) {
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}
} // namespace

void SystemLog::append(const QString& text) {
    appendRaw(QStringLiteral("\r\n") + platform::dateTimeText(clock_.now()) + QStringLiteral("  ") + text);
}

void SystemLog::appendRaw(const QString& text) {
    const QString t = crlf(text);
    text_ += t;
    if (observer_.appended)
        observer_.appended(t);
}

void SystemLog::setText(const QString& text) {
    text_ = crlf(text);
    if (observer_.replaced)
        observer_.replaced();
}

void SystemLog::markError() {
    errorMarked_ = true;
    if (observer_.errorMarkChanged)
        observer_.errorMarkChanged(true);
}

void SystemLog::clearErrorMark() {
    errorMarked_ = false;
    if (observer_.errorMarkChanged)
        observer_.errorMarkChanged(false);
}
