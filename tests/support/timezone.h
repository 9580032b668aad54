#pragma once
#include <QByteArray>
#include <cstdlib>
#include <ctime>

namespace testutil {

// Sets the process's time zone for the lifetime of the object (local times follow it).
class TimeZone {
  public:
    explicit TimeZone(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZone() {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

  private:
    bool had_;
    QByteArray old_;
};

} // namespace testutil
