#include "platform/download.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace platform {

bool isAllowedDownloadUrl(const QString& url) {
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || u.host().isEmpty())
        return false;
    const QString scheme = u.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    return scheme == QLatin1String("http") && u.host() == QLatin1String("127.0.0.1");
}

bool download(const QString& url, const QString& targetFile, int timeoutMs) {
    if (!isAllowedDownloadUrl(url) || targetFile.isEmpty())
        return false;
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    // Redirects are followed only to addresses that are as safe (never from https to http).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = manager.get(request);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = !timedOut && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300 &&
                    isAllowedDownloadUrl(reply->url().toString());
    const QByteArray body = ok ? reply->readAll() : QByteArray();
    delete reply;
    if (!ok)
        return false;

    QSaveFile f(targetFile);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(body) != body.size())
        return false;
    return f.commit();
}

} // namespace platform
