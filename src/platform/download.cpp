#include "platform/download.h"

#include "platform/events.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace platform {

namespace {
int localHttpAllowances = 0;
} // namespace

LocalHttpForTests::LocalHttpForTests() {
    ++localHttpAllowances;
}

LocalHttpForTests::~LocalHttpForTests() {
    --localHttpAllowances;
}

bool isAllowedDownloadUrl(const QString& url) {
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || u.host().isEmpty())
        return false;
    const QString scheme = u.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    return localHttpAllowances > 0 && scheme == QLatin1String("http") &&
           u.host() == QLatin1String("127.0.0.1");
}

namespace {
bool isHttps(const QUrl& u) {
    return u.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}
} // namespace

DownloadResult fetch(const QString& url, const QString& targetFile, const DownloadLimits& limits) {
    if (!isAllowedDownloadUrl(url) || targetFile.isEmpty())
        return DownloadResult::RefusedAddress;
    QSaveFile file(targetFile);
    if (!file.open(QIODevice::WriteOnly))
        return DownloadResult::WriteFailed;

    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    // Every redirect is looked at before it is followed.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(limits.stallMs);
    QNetworkReply* reply = manager.get(request);

    DownloadResult result = DownloadResult::Ok;
    qint64 received = 0;
    auto stop = [&](DownloadResult why) {
        if (result == DownloadResult::Ok)
            result = why;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::redirected, reply, [&](const QUrl& to) {
        const bool downgrade = isHttps(reply->url()) && !isHttps(to);
        if (downgrade || !isAllowedDownloadUrl(to.toString()))
            stop(DownloadResult::UnsafeRedirect);
        else
            emit reply->redirectAllowed();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (limits.maxBytes > 0 && length.isValid() && length.toLongLong() > limits.maxBytes)
            stop(DownloadResult::TooLarge);
    });
    auto take = [&] {
        if (result != DownloadResult::Ok || reply->bytesAvailable() <= 0)
            return;
        const QByteArray chunk = reply->readAll();
        received += chunk.size();
        if (limits.maxBytes > 0 && received > limits.maxBytes)
            stop(DownloadResult::TooLarge);
        else if (file.write(chunk) != chunk.size())
            stop(DownloadResult::WriteFailed);
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] { stop(DownloadResult::TimedOut); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(limits.totalMs);
    if (!reply->isFinished()) {
        NestedLoop nested;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    timer.stop();

    take();
    if (result == DownloadResult::Ok) {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (reply->error() == QNetworkReply::OperationCanceledError ||
            reply->error() == QNetworkReply::TimeoutError)
            result = DownloadResult::TimedOut;
        else if (status >= 200 && status < 300 && length.isValid() && received < length.toLongLong())
            result = DownloadResult::Incomplete; // the connection ended before the whole answer
        else if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300)
            result = DownloadResult::Failed;
        else if (!isAllowedDownloadUrl(reply->url().toString()))
            result = DownloadResult::UnsafeRedirect;
        else if (length.isValid() && length.toLongLong() != received)
            result = DownloadResult::Incomplete;
    }
    delete reply;
    if (result != DownloadResult::Ok) {
        file.cancelWriting();
        return result;
    }
    return file.commit() ? DownloadResult::Ok : DownloadResult::WriteFailed;
}

DownloadResult fetchProgram(const QString& url, const QString& targetFile, const DownloadLimits& limits) {
    const DownloadResult r = fetch(url, targetFile, limits);
    if (r != DownloadResult::Ok)
        return r;
    QFileDevice::Permissions p = QFile::permissions(targetFile);
    if (p & QFileDevice::ReadOwner)
        p |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (p & QFileDevice::ReadGroup)
        p |= QFileDevice::ExeGroup;
    if (p & QFileDevice::ReadOther)
        p |= QFileDevice::ExeOther;
    if (!QFile::setPermissions(targetFile, p)) {
        QFile::remove(targetFile);
        return DownloadResult::WriteFailed;
    }
    return DownloadResult::Ok;
}

bool isExecutableFile(const QString& path) {
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}

bool download(const QString& url, const QString& targetFile, int timeoutMs) {
    return fetch(url, targetFile, {timeoutMs, timeoutMs, 0}) == DownloadResult::Ok;
}

} // namespace platform
