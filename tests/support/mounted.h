#pragma once
#include "platform/own_tree.h"

#include <QFile>
#include <QString>
#include <sys/mount.h>

namespace testutil {

// A real tmpfs at `at` (an empty folder) where the machine lets the test mount one, else a
// stand-in for it (platform::standInMount). Unmounted when the object goes.
class Mounted {
  public:
    explicit Mounted(const QString& at) : at_(at) {
        real_ = ::mount("none", QFile::encodeName(at).constData(), "tmpfs", 0, nullptr) == 0;
        if (!real_)
            platform::standInMount(at);
    }
    ~Mounted() {
        if (real_)
            ::umount2(QFile::encodeName(at_).constData(), MNT_DETACH);
        platform::standInMount({});
    }
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;
    bool real() const { return real_; }

  private:
    QString at_;
    bool real_ = false;
};

} // namespace testutil
