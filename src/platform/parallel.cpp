#include "platform/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace platform {

void forEachInParallel(qsizetype n, int threads, const std::function<void(qsizetype)>& work,
                       const std::function<void()>& between) {
    std::atomic<qsizetype> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorLock;
    auto take = [&](bool caller) {
        try {
            for (qsizetype i; !failed && (i = next++) < n;) {
                work(i);
                if (caller && between)
                    between();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> hold(errorLock);
            if (!error)
                error = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> helpers;
    const qsizetype extra = std::min<qsizetype>(std::max(threads, 1) - 1, n - 1);
    for (qsizetype t = 0; t < extra; ++t)
        helpers.emplace_back(take, false);
    take(true);
    for (std::thread& h : helpers)
        h.join();
    if (error)
        std::rethrow_exception(error);
}

struct TaskPool::State {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::function<void()>> waiting;
    int running = 0;
    qsizetype maxWaiting = 1;
    bool stopping = false;
    std::exception_ptr error;
    std::vector<std::thread> threads;

    void work() {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            changed.wait(hold, [&] { return stopping || !waiting.empty(); });
            if (waiting.empty())
                return;
            std::function<void()> task = std::move(waiting.front());
            waiting.pop_front();
            ++running;
            changed.notify_all();
            hold.unlock();
            try {
                task();
            } catch (...) {
                const std::lock_guard<std::mutex> again(lock);
                if (!error)
                    error = std::current_exception();
            }
            hold.lock();
            --running;
            changed.notify_all();
        }
    }
};

TaskPool::TaskPool(int threads, int maxWaiting) : s_(std::make_unique<State>()) {
    s_->maxWaiting = std::max(maxWaiting, 1);
    for (int t = 0; t < std::max(threads, 1); ++t)
        s_->threads.emplace_back([this] { s_->work(); });
}

TaskPool::~TaskPool() {
    {
        const std::lock_guard<std::mutex> hold(s_->lock);
        s_->stopping = true;
    }
    s_->changed.notify_all();
    for (std::thread& t : s_->threads)
        t.join();
}

void TaskPool::submit(std::function<void()> task) {
    std::unique_lock<std::mutex> hold(s_->lock);
    s_->changed.wait(hold, [&] { return qsizetype(s_->waiting.size()) < s_->maxWaiting; });
    s_->waiting.push_back(std::move(task));
    s_->changed.notify_all();
}

void TaskPool::wait() {
    std::unique_lock<std::mutex> hold(s_->lock);
    s_->changed.wait(hold, [&] { return s_->waiting.empty() && s_->running == 0; });
    if (std::exception_ptr e = std::exchange(s_->error, nullptr))
        std::rethrow_exception(e);
}

int fileSystemThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return int(std::clamp(cores, 1u, 4u));
}

} // namespace platform
