#pragma once
#include <QString>

namespace platform {

// Downloads `url` into `targetFile`, waiting in a local event loop for at most `timeoutMs`.
// Only https:// addresses, and http://127.0.0.1 for tests, are fetched. The file is written
// whole through QSaveFile, and only when the server answered with success: a failed download
// leaves an existing file as it was. True on success.
bool download(const QString& url, const QString& targetFile, int timeoutMs = 30000);

// Whether `url` is an address download() accepts.
bool isAllowedDownloadUrl(const QString& url);

} // namespace platform
