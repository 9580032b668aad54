#include "support/xserver.h"

#include <QStandardPaths>

TestXServer::~TestXServer() {
    stop();
    if (displaySet_) {
        if (oldDisplay_.isEmpty())
            qunsetenv("DISPLAY");
        else
            qputenv("DISPLAY", oldDisplay_);
    }
}

void TestXServer::stop() {
    if (windowManager_) {
        windowManager_->kill();
        windowManager_->waitForFinished(3000);
        windowManager_.reset();
    }
    for (auto& w : windows_) {
        w->kill();
        w->waitForFinished(3000);
    }
    windows_.clear();
    if (server_) {
        server_->kill();
        server_->waitForFinished(3000);
        server_.reset();
    }
}

std::vector<QProcess*> TestXServer::open(const QStringList& titles) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xmessage = QStandardPaths::findExecutable("xmessage");
    if (xvfb.isEmpty() || xmessage.isEmpty()) {
        problem = "needs Xvfb and xmessage";
        return {};
    }
    if (!displaySet_) {
        oldDisplay_ = qgetenv("DISPLAY");
        displaySet_ = true;
    }
    // Servers started at the same moment by other test runs can take each other's socket: a
    // window that cannot connect means starting over on another display.
    for (int attempt = 0; attempt < 5; ++attempt) {
        stop();
        server_ = std::make_unique<QProcess>();
        server_->start(xvfb, {"-displayfd", "1", "-nolisten", "tcp"});
        if (!server_->waitForStarted(5000) || !server_->waitForReadyRead(15000))
            continue;
        const QString display = ":" + QString::fromLatin1(server_->readLine()).trimmed();
        display_ = display;
        qputenv("DISPLAY", display.toLatin1());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        bool ok = true;
        for (const QString& t : titles) {
            auto w = std::make_unique<QProcess>();
            w->setProcessEnvironment(env);
            w->start(xmessage, {"-title", t, "hej"});
            ok = w->waitForStarted(5000) && !w->waitForFinished(1000);
            windows_.push_back(std::move(w));
            if (!ok)
                break;
        }
        if (!ok)
            continue;
        std::vector<QProcess*> out;
        for (auto& w : windows_)
            out.push_back(w.get());
        return out;
    }
    stop();
    problem = "no X server could be started";
    return {};
}

bool TestXServer::startWindowManager() {
    const QString openbox = QStandardPaths::findExecutable("openbox");
    if (openbox.isEmpty() || !server_) {
        problem = openbox.isEmpty() ? "needs openbox" : "no X server";
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    windowManager_ = std::make_unique<QProcess>();
    windowManager_->setProcessEnvironment(env);
    windowManager_->start(openbox, {"--sm-disable"});
    // Running after a moment means it took the screen; another manager there would end it.
    if (!windowManager_->waitForStarted(5000) || windowManager_->waitForFinished(1000)) {
        problem = "the window manager did not start";
        return false;
    }
    return true;
}
