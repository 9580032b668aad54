#pragma once
#include <QtGlobal>
#include <functional>
#include <memory>

namespace platform {

// Runs work(i) for every i from 0 to n - 1 on up to `threads` threads, the calling thread among
// them, in no set order; returns when all are done. The calling thread runs `between()` after
// each item it takes (to let window messages through). `work` must be safe to run on several
// threads at once; an exception it throws is passed on once every thread has stopped.
void forEachInParallel(qsizetype n, int threads, const std::function<void(qsizetype)>& work,
                       const std::function<void()>& between = {});

// The threads worth giving to work that waits on the file system: a few, not every core.
int fileSystemThreads();

// Runs tasks on a few threads of its own. No more than `maxWaiting` tasks wait at once: handing
// out one more waits until a thread takes one, so the caller never runs far ahead of the work
// (what it has not handed out yet can still be called off).
class TaskPool {
  public:
    TaskPool(int threads, int maxWaiting);
    ~TaskPool(); // waits for the tasks handed out
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;
    void submit(std::function<void()> task);
    // Returns when every task handed out is done; passes on the first exception one threw.
    void wait();

  private:
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace platform
