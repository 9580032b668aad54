#include "support/http_server.h"

#include <QTcpSocket>
#include <gtest/gtest.h>

LocalHttpServer::LocalHttpServer() {
    EXPECT_TRUE(server_.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    port_ = server_.serverPort();
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* s = server_.nextPendingConnection()) {
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                QByteArray request = s->property("request").toByteArray() + s->readAll();
                s->setProperty("request", request);
                if (!request.contains("\r\n\r\n"))
                    return;
                const QList<QByteArray> first = request.left(request.indexOf("\r\n")).split(' ');
                const QString path = first.size() > 1 ? QString::fromUtf8(first[1]) : QString();
                requests_ << path;
                Reply r;
                if (replies_.contains(path))
                    r = replies_.value(path);
                else
                    r = Reply{"404 Not Found", "saknas", {}, false, -1};
                if (r.silent)
                    return;
                const qint64 length = r.announcedLength >= 0 ? r.announcedLength : r.body.size();
                QByteArray head = "HTTP/1.1 " + r.status +
                                  "\r\nContent-Length: " + QByteArray::number(length) +
                                  "\r\nConnection: close\r\n";
                if (!r.location.isEmpty())
                    head += "Location: " + r.location + "\r\n";
                s->write(head + "\r\n" + r.body);
                s->disconnectFromHost();
            });
        }
    });
}

void LocalHttpServer::on(const QString& path, const Reply& reply) {
    replies_[path] = reply;
}

QString LocalHttpServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

void LocalHttpServer::stop() {
    server_.close();
}
