#include "platform/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(Parallel, EveryItemIsDoneOnceAndTheCallerRunsBetween) {
    for (const qsizetype n : {0, 1, 5, 1000}) {
        std::vector<std::atomic<int>> done(static_cast<size_t>(n));
        int between = 0;
        platform::forEachInParallel(
            n, 4, [&](qsizetype i) { ++done[size_t(i)]; }, [&] { ++between; });
        for (const auto& d : done)
            EXPECT_EQ(d, 1);
        EXPECT_LE(between, int(n));
        if (n == 1) {
            EXPECT_EQ(between, 1); // one item is the caller's own
        }
    }
}

TEST(Parallel, AnItemsExceptionReachesTheCallerOnceAllThreadsStopped) {
    std::atomic<int> running{0};
    EXPECT_THROW(platform::forEachInParallel(500, 4,
                                             [&](qsizetype i) {
                                                 ++running;
                                                 if (i == 7)
                                                     throw std::runtime_error("x");
                                                 --running;
                                             }),
                 std::runtime_error);
    EXPECT_EQ(running, 1); // only the failed item never finished; no thread is left running
}

TEST(Parallel, APoolKeepsTheCallerCloseToTheWorkAndPassesOnAFailure) {
    std::atomic<bool> go{false};
    std::atomic<int> done{0};
    platform::TaskPool pool(1, 2);
    std::atomic<int> handedOut{0};
    std::thread caller([&] {
        for (int i = 0; i < 6; ++i) {
            pool.submit([&] {
                while (!go)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                ++done;
            });
            ++handedOut;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // One task running and two waiting: the fourth is not taken until a thread is free.
    EXPECT_EQ(handedOut, 3);
    go = true;
    caller.join();
    pool.wait();
    EXPECT_EQ(done, 6);

    pool.submit([] { throw std::runtime_error("x"); });
    EXPECT_THROW(pool.wait(), std::runtime_error);
    pool.wait(); // reported once
}
