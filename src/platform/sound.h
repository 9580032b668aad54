#pragma once
#include <QString>

namespace platform {

// Plays a .wav file without waiting for it to end. Silent when the file is missing, when there is
// no sound device, or when the file cannot be played.
void playSound(const QString& path);

} // namespace platform
