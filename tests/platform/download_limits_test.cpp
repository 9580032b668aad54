#include "platform/download.h"
#include "support/fixture.h"
#include "support/http_server.h"

#include <QDir>

using platform::DownloadResult;
using platform::fetch;

namespace {
// The names in a folder: a failed download leaves nothing behind, not even a temporary file.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

TEST(DownloadLimits, EachRefusalHasItsReasonAndLeavesNoFile) {
    platform::LocalHttpForTests allowLocalServer;
    LocalHttpServer server;
    server.on("/ok", QByteArray("700\r\n"));
    server.on("/stor", QByteArray(2000, 'x'));
    server.on("/kort", LocalHttpServer::Reply{"200 OK", "bara en del", {}, false, 5000});
    server.on("/tyst", LocalHttpServer::Reply{"200 OK", {}, {}, true, -1});
    server.on("/till-http", LocalHttpServer::Reply{"302 Found", {}, "http://www.tamrel.se/x", false, -1});
    server.on("/vidare", LocalHttpServer::Reply{"302 Found", {}, server.base().toUtf8() + "/ok", false, -1});

    struct Case {
        const char* path;
        platform::DownloadLimits limits;
        DownloadResult expected;
    };
    const Case cases[] = {
        {"/ok", {5000, 5000, 1000}, DownloadResult::Ok},
        {"/vidare", {5000, 5000, 1000}, DownloadResult::Ok},
        {"/stor", {5000, 5000, 1000}, DownloadResult::TooLarge},
        {"/stor", {5000, 5000, 0}, DownloadResult::Ok},
        {"/kort", {5000, 5000, 0}, DownloadResult::Incomplete},
        {"/tyst", {5000, 300, 0}, DownloadResult::TimedOut},
        {"/tyst", {300, 5000, 0}, DownloadResult::TimedOut},
        {"/till-http", {5000, 5000, 0}, DownloadResult::UnsafeRedirect},
        {"/saknas", {5000, 5000, 0}, DownloadResult::Failed},
    };
    for (const Case& c : cases) {
        QTemporaryDir d;
        const QString target = d.path() + "/fil.txt";
        EXPECT_EQ(fetch(server.base() + c.path, target, c.limits), c.expected) << c.path;
        if (c.expected == DownloadResult::Ok)
            EXPECT_EQ(namesIn(d.path()), QStringList{"fil.txt"}) << c.path;
        else
            EXPECT_TRUE(namesIn(d.path()).isEmpty()) << c.path;
    }
}

TEST(DownloadLimits, RefusedConnectionsAndAddressesFail) {
    platform::LocalHttpForTests allowLocalServer;
    LocalHttpServer server;
    const QString base = server.base();
    server.stop();
    QTemporaryDir d;
    EXPECT_EQ(fetch(base + "/x", d.path() + "/x", {}), DownloadResult::Failed);
    EXPECT_EQ(fetch("http://www.tamrel.se/x", d.path() + "/x", {}), DownloadResult::RefusedAddress);
    EXPECT_TRUE(namesIn(d.path()).isEmpty());
}
