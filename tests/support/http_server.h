#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTcpServer>

// A small web server on 127.0.0.1 for tests of downloads. Each path answers as set with on();
// other paths get 404.
class LocalHttpServer {
  public:
    struct Reply {
        QByteArray status = "200 OK";
        QByteArray body;
        QByteArray location;         // a Location header (for redirects)
        bool silent = false;         // never answers
        qint64 announcedLength = -1; // Content-Length to send instead of the body's size
    };

    LocalHttpServer();
    void on(const QString& path, const Reply& reply);
    void on(const QString& path, const QByteArray& body) { on(path, Reply{"200 OK", body, {}, false, -1}); }
    QString base() const;
    // The paths asked for, in order.
    QStringList requests() const { return requests_; }
    // Stops listening: every later connection is refused.
    void stop();

  private:
    QTcpServer server_;
    QMap<QString, Reply> replies_;
    QStringList requests_;
    quint16 port_ = 0;
};
