#pragma once
#include "foldersync/sync_engine.h"
#include "support/fixture.h"

#include <QDateTime>
#include <functional>
#include <map>
#include <ostream>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// What the engine shows, recorded; hooks let a test act where the window would let the user act.
class RecordingView : public SyncView {
  public:
    bool cancel = false;
    std::function<void()> onYield, onIdle, onCounters;
    QStringList windowLines, systemLines, reports;

    bool cancelled() const override { return cancel; }
    void yield() override {
        if (onYield)
            onYield();
    }
    void windowLog(const QString& t) override { windowLines << t; }
    void systemLog(const QString& t) override { systemLines << t; }
    void report(const QString& m) override { reports << m; }
    void countersChanged() override {
        if (onCounters)
            onCounters();
    }
    void trayIdle() override {
        if (onIdle)
            onIdle();
    }
};

namespace synctest {
inline QDateTime at(int seconds = 0) {
    return QDateTime(QDate(2024, 3, 1), QTime(12, 0, 0)).addSecs(seconds);
}
// Every file below a folder with its bytes and time, to see that nothing changed.
inline std::map<QString, std::pair<QByteArray, qint64>> snapshot(const QString& root) {
    std::map<QString, std::pair<QByteArray, qint64>> out;
    for (const QString& f : testutil::treeFiles(root))
        out[f] = {testutil::readBytes(root + '/' + f), testutil::mtimeOf(root + '/' + f)};
    return out;
}
} // namespace synctest
