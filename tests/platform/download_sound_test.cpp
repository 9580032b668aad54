#include "platform/download.h"
#include "platform/sound.h"
#include "support/fixture.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace platform;

namespace {

// A tiny web server on 127.0.0.1: answers every request with the given status and body, or
// keeps the connection open without answering.
class TinyServer {
  public:
    TinyServer() {
        EXPECT_TRUE(server_.listen(QHostAddress("127.0.0.1")));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    request_ += s->readAll();
                    if (!request_.contains("\r\n\r\n") || silent_)
                        return;
                    const QByteArray head = "HTTP/1.1 " + status_ +
                                            "\r\nContent-Length: " + QByteArray::number(body_.size()) +
                                            "\r\nConnection: close\r\n\r\n";
                    s->write(head + body_);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QString url(const QString& path) const {
        return QString("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    QByteArray status_ = "200 OK";
    QByteArray body_;
    QByteArray request_;
    bool silent_ = false;

  private:
    QTcpServer server_;
};

} // namespace

TEST(Download, FetchesIntoTheFileWhole) {
    LocalHttpForTests allowLocalServer;
    TinyServer server;
    server.body_ = QByteArray("7.1.0\r\n") + QByteArray(200000, 'x');
    QTemporaryDir d;
    const QString target = d.path() + "/version.txt";
    ASSERT_TRUE(download(server.url("/program/tamrel-backup_version.txt"), target, 10000));
    EXPECT_EQ(testutil::readBytes(target), server.body_);
    EXPECT_TRUE(server.request_.startsWith("GET /program/tamrel-backup_version.txt HTTP/1.1"));
}

TEST(Download, FailuresLeaveTheOldFileAndAreReported) {
    LocalHttpForTests allowLocalServer;
    TinyServer server;
    QTemporaryDir d;
    const QString target = d.path() + "/setup.bin";
    testutil::writeFile(target, "gammal");

    server.status_ = "404 Not Found";
    server.body_ = "saknas";
    EXPECT_FALSE(download(server.url("/program/x"), target, 10000));
    EXPECT_EQ(testutil::readBytes(target), "gammal");

    server.silent_ = true;
    EXPECT_FALSE(download(server.url("/program/x"), target, 300)) << "timed out";
    EXPECT_EQ(testutil::readBytes(target), "gammal");

    server.silent_ = false;
    server.status_ = "200 OK";
    EXPECT_FALSE(download(server.url("/x"), d.path() + "/ingen/mapp/fil", 10000));
    EXPECT_FALSE(QFileInfo::exists(d.path() + "/ingen")) << "no folder made for it";
}

TEST(Download, OnlyHttpsIsFetchedUnlessATestAllowsItsLocalServer) {
    // The program as shipped: plain http is refused, also to this machine, and nothing is asked.
    TinyServer server;
    server.body_ = "700\r\n";
    QTemporaryDir d;
    EXPECT_FALSE(isAllowedDownloadUrl(server.url("/x")));
    EXPECT_EQ(fetch(server.url("/x"), d.path() + "/x", {}), DownloadResult::RefusedAddress);
    EXPECT_TRUE(server.request_.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(d.path() + "/x"));
    {
        LocalHttpForTests allowLocalServer;
        EXPECT_TRUE(isAllowedDownloadUrl(server.url("/x")));
        EXPECT_FALSE(isAllowedDownloadUrl("http://localhost:8080/x"));
    }
    EXPECT_FALSE(isAllowedDownloadUrl(server.url("/x"))) << "only while a test allows it";
}

TEST(Download, OnlySafeAddressesAreFetched) {
    LocalHttpForTests allowLocalServer;
    EXPECT_TRUE(isAllowedDownloadUrl("https://www.tamrel.se/program/x.txt"));
    EXPECT_FALSE(isAllowedDownloadUrl("http://www.tamrel.se/program/x.txt"));
    EXPECT_FALSE(isAllowedDownloadUrl("http://127.0.0.1.example.com/x"));
    EXPECT_FALSE(isAllowedDownloadUrl("ftp://127.0.0.1/x"));
    EXPECT_FALSE(isAllowedDownloadUrl("file:///etc/passwd"));
    EXPECT_FALSE(isAllowedDownloadUrl(""));
    QTemporaryDir d;
    EXPECT_FALSE(download("http://www.tamrel.se/x", d.path() + "/x", 1000));
    EXPECT_FALSE(QFileInfo::exists(d.path() + "/x"));
}

TEST(Sound, MissingFilesAndSilentMachinesAreQuiet) {
    QTemporaryDir d;
    playSound(d.path() + "/ljud1.wav");
    playSound("");
    testutil::writeFile(d.path() + "/trasig.wav", "inte ljud");
    playSound(d.path() + "/trasig.wav");
    SUCCEED();
}
