#include "support/desktop.h"

#include "support/xserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace desktop {

namespace {
QString run(const QString& tool, const QStringList& args, int timeoutMs = 10000) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

template <class F> bool waitFor(int waitMs, F done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > waitMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

QString shownWindow(const QString& title) {
    return windows(title).value(0);
}
} // namespace

QStringList windows(const QString& title) {
    return run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
        .split('\n', Qt::SkipEmptyParts);
}

QString missingTools() {
    QStringList missing;
    for (const char* tool : {"xdotool", "xprop", "xclip"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    return missing.join(", ");
}

QString open(TestXServer& x) {
    if (const QString missing = missingTools(); !missing.isEmpty())
        return "needs " + missing;
    x.open({});
    if (x.display().isEmpty() || !x.startWindowManager())
        return x.problem;
    return {};
}

QString findWindow(const QString& title, int waitMs) {
    QString id;
    waitFor(waitMs, [&] { return !(id = shownWindow(title)).isEmpty(); });
    return id;
}

bool waitGone(const QString& title, int waitMs) {
    return waitFor(waitMs, [&] { return shownWindow(title).isEmpty(); });
}

void click(const QString& window, int x, int y) {
    run("xdotool", {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"});
}

void key(const QString& keys) {
    run("xdotool", {"key", "--clearmodifiers", keys});
}

void type(const QString& text) {
    run("xdotool", {"type", "--delay", "20", text});
}

void minimise(const QString& window) {
    run("xdotool", {"windowminimize", window});
}

void activate(const QString& window) {
    run("xdotool", {"windowactivate", "--sync", window});
}

QString state(const QString& window) {
    const QString out = run("xprop", {"-id", window, "WM_STATE"});
    const int at = out.indexOf("window state: ");
    return at < 0 ? QString() : out.mid(at + 14).section('\n', 0, 0).trimmed();
}

QStringList allowedActions(const QString& window) {
    const QString out = run("xprop", {"-id", window, "_NET_WM_ALLOWED_ACTIONS"});
    return out.section(" = ", 1).split(", ", Qt::SkipEmptyParts);
}

QString clipboard(const QString& expected, int waitMs) {
    QString text;
    waitFor(waitMs, [&] {
        text = run("xclip", {"-o", "-selection", "clipboard"}, 3000);
        return expected.isEmpty() || text == expected;
    });
    return text;
}

void setClipboard(const QString& text) {
    QProcess p;
    p.start("xclip", {"-i", "-selection", "clipboard"});
    p.write(text.toUtf8());
    p.closeWriteChannel();
    // xclip goes on in the background, holding the text until another program takes the clipboard.
    p.waitForFinished(5000);
}

} // namespace desktop
