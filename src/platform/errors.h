#pragma once
#include <QString>

namespace platform {

// A failed platform operation, numbered like the original run-time's trappable errors
// (61 disk full, 70 access denied, 53 file not found, 76 path not found, 57 I/O error,
// 58 file exists, 75 path/file access error).
struct RunError {
    int number = 0;
    QString description;
};

// Swedish description of an error number ("Disken är full", ...).
QString errorDescription(int number);

// errno -> error number, and a RunError made from it.
int errorNumberFromErrno(int err);
RunError runErrorFromErrno(int err);
[[noreturn]] void throwErrno(int err);
[[noreturn]] void throwError(int number);

// Throws the error of making a file or folder under a name: a name the disk refuses (FAT and exFAT
// take no ':', '?', '<', '>', '|', '"' or '*', and the kernel answers EINVAL) is said as such, under
// the number EINVAL always had; any other errno as throwErrno.
[[noreturn]] void throwCreationError(int err);

// Writes `line` and a line break to the process's standard error, for whoever started a
// command-line run.
void writeStandardError(const QString& line);

// Fault hook for tests: make every platform operation on `path` (or below it, when it is a
// folder) fail with `err`. Tests run as root, so permissions cannot be used for this.
void injectFault(const QString& path, int err);
void clearFaults();
// Whether any fault is set: what a hook on a path not made yet asks first.
bool faultsSet();
// Throws the injected fault for `path`, if any. Every platform operation calls it first.
void checkFault(const QString& path);
// Throws, as throwCreationError, the fault injected for `path` + "#create": where a file or folder of
// that name is made.
void checkCreateFault(const QString& path);
// The injected errno for `path`, or 0.
int faultFor(const QString& path);
// The same for `path` + `suffix` (a step of an operation, as "#write"); no text is made while no
// fault is set.
int faultFor(const QString& path, QStringView suffix);

} // namespace platform
