// SPDX-License-Identifier: GPL-3.0-or-later
// The wait for the end of a library search: the end report, the idle
// time-out, a call that pushes the time-out back and a time-out set while
// waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "search/LibraryActivity.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(LibraryActivity, EndReportedByAnotherThreadEndsTheWait) {
    CLibraryActivity activity;
    std::mutex mutex;
    std::condition_variable wake;
    bool ended = false;
    const std::atomic<int> idle{0};  // no time-out: only the end stops the wait
    std::thread library([&] {
        activity.Mark();
        {
            std::lock_guard<std::mutex> lock(mutex);
            ended = true;
        }
        wake.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex);
    EXPECT_TRUE(activity.WaitForEnd(lock, wake, [&] { return ended; }, idle));
    EXPECT_TRUE(lock.owns_lock());
    lock.unlock();
    library.join();
}

TEST(LibraryActivity, SilentLibraryIsGivenUpAfterTheIdleTime) {
    CLibraryActivity activity;
    activity.Mark();  // a call before the wait does not shorten it
    std::mutex mutex;
    std::condition_variable wake;
    const std::atomic<int> idle{50};
    std::unique_lock<std::mutex> lock(mutex);
    const Clock::time_point begin = Clock::now();
    EXPECT_FALSE(activity.WaitForEnd(lock, wake, [] { return false; }, idle));
    EXPECT_GE(Clock::now() - begin, milliseconds(50));
    EXPECT_TRUE(lock.owns_lock());
}

TEST(LibraryActivity, ACallPushesTheIdleTimeBack) {
    CLibraryActivity activity;
    std::mutex mutex;
    std::condition_variable wake;
    const std::atomic<int> idle{100};
    // The first look after the wait began sees a call that has just come in.
    int looks = 0;
    Clock::time_point lastCall;
    auto ended = [&] {
        if (++looks == 2) {
            lastCall = Clock::now();
            activity.Mark();
        }
        return false;
    };
    std::unique_lock<std::mutex> lock(mutex);
    EXPECT_FALSE(activity.WaitForEnd(lock, wake, ended, idle));
    ASSERT_GE(looks, 2);
    EXPECT_GE(Clock::now() - lastCall, milliseconds(100));
}

TEST(LibraryActivity, AnIdleTimeSetWhileWaitingEndsAWaitWithoutLimit) {
    CLibraryActivity activity;
    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<int> idle{0};
    std::atomic<bool> result{true};
    std::thread waiter([&] {
        std::unique_lock<std::mutex> lock(mutex);
        result = activity.WaitForEnd(lock, wake, [] { return false; }, idle);
    });
    {
        std::lock_guard<std::mutex> lock(mutex);
        idle = 20;
    }
    wake.notify_all();
    waiter.join();
    EXPECT_FALSE(result);
}

}  // namespace
