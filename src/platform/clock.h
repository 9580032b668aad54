#pragma once
#include <QDateTime>

namespace platform {

// The program's clock. Tests set a fixed moment; otherwise it is the system time.
class Clock {
  public:
    QDateTime now() const;
    QDate today() const { return now().date(); }
    void setNow(const QDateTime& t) { fixed_ = t; }
    void advance(qint64 seconds) { fixed_ = now().addSecs(seconds); }
    void release() { fixed_ = {}; }

  private:
    QDateTime fixed_;
};

// "yyyy-MM-dd", "HH:mm:ss" and both joined by a blank: the one form of every date and time shown.
QString dateText(const QDateTime& t);
QString timeText(const QDateTime& t);
QString dateTimeText(const QDateTime& t);

} // namespace platform
