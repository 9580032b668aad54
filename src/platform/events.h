#pragma once

namespace platform {

// DoEvents: lets pending window messages run.
void doEvents();
// The same, at most every 20 ms: for loops over files, which still test their cancel flags at
// every file.
void doEventsThrottled();

// Marks a stretch in which window messages run inside a procedure: a yield, a modal window's or
// a dialog's own loop, a wait for a download.
class NestedLoop {
  public:
    NestedLoop();
    ~NestedLoop();
    NestedLoop(const NestedLoop&) = delete;
    NestedLoop& operator=(const NestedLoop&) = delete;
};
// True while a handler runs inside such a stretch: windows must not be unloaded from there, since
// the procedure that yielded still uses them.
bool insideNestedLoop();

} // namespace platform
