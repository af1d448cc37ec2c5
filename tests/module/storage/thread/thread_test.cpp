// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "storage/BaseThread.h"
#include "zun.h"

using APT_QMR::CBaseThread;

namespace {

// A worker whose start-up result and number of passes are chosen by the test.
class Worker : public CBaseThread {
public:
    Worker(bool startOk, int passesBeforeEnd) : m_startOk(startOk), m_passes(passesBeforeEnd) {}
    ~Worker() override { Stop(); }

    std::atomic<int> starts{0}, exits{0}, loops{0};
    std::atomic<uint32_t> workerId{0};

    // Waits (generously) until `pred` holds.
    template <class P>
    bool WaitFor(P pred) {
        std::unique_lock<std::mutex> l(m_m);
        return m_cv.wait_for(l, std::chrono::seconds(30), pred);
    }

protected:
    bool OnStart() override {
        workerId = ZUN_Thread_GetSelfId();
        m_runPasses = 0;
        ++starts;
        return m_startOk;
    }
    void OnExit() override {
        ++exits;
        Notify();
    }
    bool Loop() override {
        ++loops;
        int n = ++m_runPasses;
        Notify();
        ZUN_Sleep(1);
        return m_passes < 0 || n < m_passes;
    }

private:
    void Notify() {
        std::lock_guard<std::mutex> l(m_m);
        m_cv.notify_all();
    }
    bool m_startOk;
    int m_passes;  // -1: run until stopped
    int m_runPasses = 0;  // worker thread only
    std::mutex m_m;
    std::condition_variable m_cv;
};

struct Case {
    const char* label;
    bool startOk;
    int passes;
    bool expectStart;
};

class ThreadLifecycle : public ::testing::TestWithParam<Case> {};

TEST_P(ThreadLifecycle, StartRunsToTheEndAndStops) {
    const Case& c = GetParam();
    Worker w(c.startOk, c.passes);
    for (int round = 1; round <= 3; ++round) {  // and again: a restart joins the last thread
        EXPECT_EQ(w.Start(), c.expectStart);
        EXPECT_EQ(w.starts.load(), round);
        EXPECT_NE(w.workerId.load(), ZUN_Thread_GetSelfId());
        if (!c.expectStart) {
            EXPECT_FALSE(w.IsRunning());
            EXPECT_EQ(w.exits.load(), round);  // OnExit runs after a failed start too
            EXPECT_EQ(w.loops.load(), 0);
            EXPECT_EQ(w.Stop(), 0);
            continue;
        }
        if (c.passes > 0) {
            ASSERT_TRUE(w.WaitFor([&] { return w.exits.load() == round; }));
            // The thread may still be leaving; it turns idle by itself.
            for (int i = 0; i < 30000 && w.IsRunning(); ++i) ZUN_Sleep(1);
            EXPECT_FALSE(w.IsRunning());
            EXPECT_EQ(w.loops.load(), round * c.passes);
            EXPECT_EQ(w.GetThreadId(), 0u);
        } else {
            int before = w.loops.load();
            ASSERT_TRUE(w.WaitFor([&] { return w.loops.load() >= before + 3; }));
            EXPECT_TRUE(w.IsRunning());
            EXPECT_NE(w.GetThreadId(), 0u);
            EXPECT_FALSE(w.Start());  // a running thread is left alone
            EXPECT_EQ(w.starts.load(), round);
        }
        EXPECT_EQ(w.Stop(), 0);
        EXPECT_FALSE(w.IsRunning());
        EXPECT_EQ(w.exits.load(), round);
        EXPECT_EQ(w.Stop(), 0);  // idle: nothing to wait for
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ThreadLifecycle,
                         ::testing::Values(Case{"RunsUntilStopped", true, -1, true},
                                           Case{"LoopEndsAtFirstPass", true, 1, true},
                                           Case{"LoopEndsAfterFivePasses", true, 5, true},
                                           Case{"OnStartFails", false, -1, false}),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.label); });

TEST(BaseThread, StopOfIdleObjectReturnsAtOnce) {
    Worker w(true, -1);
    EXPECT_EQ(w.Stop(), 0);
    EXPECT_FALSE(w.IsRunning());
}

TEST(BaseThread, DestructorJoinsThreadThatEndedByItself) {
    // Under a thread checker an unjoined thread is reported as a leak.
    for (int i = 0; i < 5; ++i) {
        auto* w = new Worker(true, 1);
        ASSERT_TRUE(w->Start());
        ASSERT_TRUE(w->WaitFor([&] { return w->exits.load() == 1; }));
        delete w;
    }
}

// Stop called from the worker's own pass cannot wait for itself.
class SelfStopper : public CBaseThread {
public:
    ~SelfStopper() override { Stop(); }
    std::atomic<int> result{1};
    std::atomic<bool> done{false};

protected:
    bool Loop() override {
        result = Stop();
        done = true;
        return false;
    }
};

TEST(BaseThread, StopFromTheThreadItselfFailsWithoutBlocking) {
    SelfStopper s;
    ASSERT_TRUE(s.Start());
    for (int i = 0; i < 30000 && !s.done.load(); ++i) ZUN_Sleep(1);
    ASSERT_TRUE(s.done.load());
    EXPECT_EQ(s.result.load(), -1);
    EXPECT_EQ(s.Stop(), 0);  // the owner joins it
}

// A pass that checks the stop request ends a long pass early.
class LongPass : public CBaseThread {
public:
    ~LongPass() override { Stop(); }
    std::atomic<bool> inPass{false};

protected:
    bool Loop() override {
        inPass = true;
        while (!IsStopRequested()) ZUN_Sleep(1);
        return true;
    }
};

TEST(BaseThread, StopRequestIsVisibleInsideAPass) {
    LongPass p;
    ASSERT_TRUE(p.Start());
    for (int i = 0; i < 30000 && !p.inPass.load(); ++i) ZUN_Sleep(1);
    ASSERT_TRUE(p.inPass.load());
    EXPECT_EQ(p.Stop(), 0);
    EXPECT_FALSE(p.IsRunning());
}

// A thread with nothing to do waits until told: each Wake gives exactly one
// more pass (also one that came before the thread waited), and Stop ends the
// wait.
class Sleeper : public CBaseThread {
public:
    ~Sleeper() override { Stop(); }
    std::atomic<int> passes{0};
    std::atomic<int> timedOut{0};
    std::atomic<int> limitMs{-1};

protected:
    bool Loop() override {
        ++passes;
        if (!WaitForWake(limitMs.load())) ++timedOut;
        return true;
    }
};

bool Eventually(const std::function<bool()>& cond) {
    for (int i = 0; i < 30000; ++i) {
        if (cond()) return true;
        ZUN_Sleep(1);
    }
    return cond();
}

TEST(BaseThread, WaitsUntilWokenOrStopped) {
    Sleeper s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(Eventually([&] { return s.IsWaitingForWake(); }));
    EXPECT_EQ(s.passes.load(), 1);
    for (int wake = 1; wake <= 3; ++wake) {
        s.Wake();
        ASSERT_TRUE(Eventually([&] { return s.passes.load() == wake + 1 && s.IsWaitingForWake(); })) << wake;
    }
    EXPECT_EQ(s.passes.load(), 4);
    EXPECT_EQ(s.timedOut.load(), 0);
    EXPECT_EQ(s.Stop(), 0);   // ends the wait
    EXPECT_FALSE(s.IsRunning());
    EXPECT_FALSE(s.IsWaitingForWake());
    EXPECT_EQ(s.passes.load(), 4);
}

TEST(BaseThread, WaitWithALimitEndsByItself) {
    Sleeper s;
    s.limitMs = 1;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(Eventually([&] { return s.timedOut.load() >= 3; }));
    EXPECT_FALSE(s.IsWaitingForWake());
    EXPECT_EQ(s.Stop(), 0);
}

TEST(BaseThread, ManyQuickRestarts) {
    Worker w(true, -1);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(w.Start());
        ASSERT_EQ(w.Stop(), 0);
    }
    EXPECT_EQ(w.starts.load(), 50);
    EXPECT_EQ(w.exits.load(), 50);
}

}  // namespace
