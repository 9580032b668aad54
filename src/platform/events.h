#pragma once

namespace platform {

// DoEvents: lets pending window messages run.
void doEvents();
// The same, at most every 20 ms: for loops over files, which still test their cancel flags at
// every file.
void doEventsThrottled();

} // namespace platform
