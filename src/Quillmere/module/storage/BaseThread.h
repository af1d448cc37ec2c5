// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Worker-thread base of the playback engine: a portable-runtime thread with a
// start handshake and a repeated work pass.
//
// Start() runs OnStart() on the new thread and returns once it has; the thread
// then calls Loop() until it returns false or Stop() is called, and finally
// OnExit(). A thread that ends by itself is joined by the next Start(), Stop()
// or the destructor. Derived classes must call Stop() in their own destructor:
// the thread calls their overrides.
//
// Between passes a thread with nothing to do waits in WaitForWake(): for a
// time, or, when only a call from outside can give it work, until Wake() or
// Stop() comes. A thread waiting so costs nothing.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "zun.h"

namespace APT_QMR {

class CBaseThread {
public:
    CBaseThread();
    virtual ~CBaseThread();
    CBaseThread(const CBaseThread&) = delete;
    CBaseThread& operator=(const CBaseThread&) = delete;

    // Starts the thread and waits until OnStart has run on it. True when the
    // thread runs its passes; false when one runs already, when the thread
    // cannot be created or when OnStart failed (nothing is left running).
    bool Start();
    // Asks the thread to end after its current pass and waits for it. 0 when
    // no thread was set (or one that had ended by itself was joined), -1 when
    // the wait failed (called from the thread itself), in which case a later
    // Stop waits again.
    int Stop();

    // True from a successful Start until the thread has finished.
    bool IsRunning() const;
    // Id of the running thread; 0 while none runs.
    uint32_t GetThreadId() const { return m_threadId.load(); }

    // Any thread: ends the thread's current WaitForWake, or the next one
    // when it is not waiting.
    void Wake();
    // True while the thread waits in WaitForWake without a time limit.
    bool IsWaitingForWake() const { return m_waitingUntold.load(); }

protected:
    // Runs first, on the new thread. False aborts the start.
    virtual bool OnStart() { return true; }
    // Runs on the thread after the last pass, and after a failed OnStart.
    virtual void OnExit() {}
    // One pass of the work; the thread repeats it while it returns true and
    // no stop was asked.
    virtual bool Loop() = 0;

    // Whether Stop has been asked; long passes may check it to end early.
    bool IsStopRequested() const { return m_stop.load(); }
    // On the thread: waits until Wake() or Stop() is called or `ms`
    // milliseconds have passed (ms < 0: no time limit). True when woken or
    // asked to stop (a wake that came while the thread was not waiting
    // counts), false when the time ran out.
    bool WaitForWake(int ms);

private:
    static void* ThreadProc(void* arg);
    void Run();
    // Joins a thread that has finished by itself.
    void ReapFinished();
    // Sets the stop request and ends a WaitForWake.
    void RequestStop();

    ZUN_THREAD m_thread;                // owner side only
    std::atomic<uint32_t> m_threadId;
    ZUN_SEM m_startSem;                 // set only while Start waits
    std::atomic<bool> m_stop;
    std::atomic<bool> m_started;        // OnStart succeeded (valid after the handshake)
    std::atomic<bool> m_finished;       // the thread procedure is done
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCv;
    bool m_woken = false;                       // under m_wakeMutex
    std::atomic<bool> m_waitingUntold{false};   // in WaitForWake without a time limit
};

}  // namespace APT_QMR
