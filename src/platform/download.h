#pragma once
#include <QString>

namespace platform {

// What a download may take: it ends as failed when no data came for `stallMs`, when the whole
// transfer took longer than `totalMs`, or when the answer is larger than `maxBytes` (0: no cap).
struct DownloadLimits {
    int stallMs = 30000;
    int totalMs = 30000;
    qint64 maxBytes = 0;
};

enum class DownloadResult {
    Ok,
    RefusedAddress, // not https://
    Failed,         // no connection, or the server answered with an error
    TimedOut,
    TooLarge,
    UnsafeRedirect, // redirected to an address that is not allowed, or from https to http
    Incomplete,     // fewer bytes arrived than the server announced
    WriteFailed,    // the file could not be written
};

// Downloads `url` into `targetFile`, waiting in a local event loop (user input held back).
// Only https:// addresses are fetched, also after a redirect. The file is written through a
// temporary file beside it and renamed into place only when the whole answer arrived with
// success: a failed download leaves an existing file as it was and no temporary file behind.
DownloadResult fetch(const QString& url, const QString& targetFile, const DownloadLimits& limits);

// fetch() for a program to be started: only once the whole file has arrived is it made
// executable (wherever it may be read). A file that cannot be made so is removed (WriteFailed).
DownloadResult fetchProgram(const QString& url, const QString& targetFile, const DownloadLimits& limits);
// Whether `path` is a regular file this user may execute.
bool isExecutableFile(const QString& path);

// The same with one time-out for the whole transfer and no size cap; true on success.
bool download(const QString& url, const QString& targetFile, int timeoutMs = 30000);

// Whether `url` is an address download() accepts.
bool isAllowedDownloadUrl(const QString& url);

// Tests only: while one of these lives, plain http to 127.0.0.1 is accepted too, so that tests
// reach their local server. The program never makes one.
class LocalHttpForTests {
  public:
    LocalHttpForTests();
    ~LocalHttpForTests();
    LocalHttpForTests(const LocalHttpForTests&) = delete;
    LocalHttpForTests& operator=(const LocalHttpForTests&) = delete;
};

} // namespace platform
