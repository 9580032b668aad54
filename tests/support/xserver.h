#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A private X server (Xvfb) with plain windows of chosen titles (xmessage), for tests of closing
// windows by title. DISPLAY points at it while the object lives.
class TestXServer {
  public:
    TestXServer() = default;
    ~TestXServer();
    TestXServer(const TestXServer&) = delete;
    TestXServer& operator=(const TestXServer&) = delete;

    // Starts the server and one window per title, each connected; the windows in title order,
    // or an empty list with `problem` set when that is not possible on this machine.
    std::vector<QProcess*> open(const QStringList& titles);
    // After open(): a window manager (openbox) on the server, so windows get frames; false with
    // `problem` set when there is none on this machine.
    bool startWindowManager();
    // The server's display name (":N"), empty before open().
    QString display() const { return display_; }
    QString problem;

  private:
    void stop();
    std::unique_ptr<QProcess> server_;
    std::unique_ptr<QProcess> windowManager_;
    QString display_;
    std::vector<std::unique_ptr<QProcess>> windows_;
    QByteArray oldDisplay_;
    bool displaySet_ = false;
};
