#pragma once
#include <QString>

namespace platform {

// Whether a path is there, tells "gone" apart from "could not be looked at": mirroring must never
// take a folder it cannot read for one the source no longer has.
enum class Presence { Present, Absent, Unknown };

// Present when the path exists (links followed); Absent only when it or a folder on its way does
// not exist; Unknown for every other failure (no access, I/O error, a volume that is not there).
Presence presence(const QString& path);
// The same for the path itself, links not followed (a link counts as present).
Presence presenceNoFollow(const QString& path);
// The path itself is a symbolic link.
bool isLink(const QString& path);

} // namespace platform
