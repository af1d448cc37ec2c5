// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseThread.h"

#include <chrono>

namespace APT_QMR {

CBaseThread::CBaseThread()
    : m_thread(0), m_threadId(0), m_startSem(0), m_stop(false), m_started(false), m_finished(false) {}

CBaseThread::~CBaseThread() {
    if (m_startSem) {
        ZUN_SemDestroy(m_startSem);
        m_startSem = 0;
    }
    // Derived classes stop their thread before this point; what can be left
    // is a thread that ended by itself, which still has to be joined.
    if (m_thread) {
        RequestStop();
        if (ZUN_Thread_Wait(m_thread) != -1) m_thread = 0;
    }
}

void CBaseThread::RequestStop() {
    std::lock_guard<std::mutex> lk(m_wakeMutex);
    m_stop.store(true);
    m_wakeCv.notify_all();
}

void CBaseThread::Wake() {
    std::lock_guard<std::mutex> lk(m_wakeMutex);
    m_woken = true;
    m_wakeCv.notify_all();
}

bool CBaseThread::WaitForWake(int ms) {
    std::unique_lock<std::mutex> lk(m_wakeMutex);
    auto told = [this] { return m_woken || m_stop.load(); };
    bool woken;
    if (ms < 0) {
        m_waitingUntold.store(true);
        m_wakeCv.wait(lk, told);
        m_waitingUntold.store(false);
        woken = true;
    } else {
        woken = m_wakeCv.wait_for(lk, std::chrono::milliseconds(ms), told);
    }
    m_woken = false;
    return woken;
}

bool CBaseThread::IsRunning() const { return m_thread != 0 && !m_finished.load(); }

void CBaseThread::ReapFinished() {
    if (m_thread && m_finished.load()) {
        if (ZUN_Thread_Wait(m_thread) != -1) m_thread = 0;
    }
}

bool CBaseThread::Start() {
    ReapFinished();
    if (m_thread) return false;

    ZUN_SEM sem = ZUN_SemCreate(0);
    if (sem == -1) return false;
    m_startSem = sem;
    m_stop.store(false);
    {
        std::lock_guard<std::mutex> lk(m_wakeMutex);
        m_woken = false;
    }
    m_started.store(false);
    m_finished.store(false);

    ZUN_THREAD thread = ZUN_Thread_Create(&CBaseThread::ThreadProc, this, 0, 0, 0, 0);
    if (!thread) {
        ZUN_SemDestroy(m_startSem);
        m_startSem = 0;
        return false;
    }
    m_thread = thread;

    ZUN_SemWait(m_startSem);
    ZUN_SemDestroy(m_startSem);
    m_startSem = 0;

    if (!m_started.load()) {
        // OnStart failed: the thread has run OnExit and is ending.
        if (ZUN_Thread_Wait(m_thread) != -1) m_thread = 0;
        return false;
    }
    return true;
}

int CBaseThread::Stop() {
    if (m_threadId.load() == ZUN_Thread_GetSelfId()) {
        // Called from the worker itself: it cannot wait for its own end. The
        // request still ends it after this pass; the owner joins it later.
        RequestStop();
        return -1;
    }
    if (!m_thread) return 0;
    RequestStop();
    int rc = ZUN_Thread_Wait(m_thread);
    if (rc != -1) m_thread = 0;
    return rc;
}

void* CBaseThread::ThreadProc(void* arg) {
    static_cast<CBaseThread*>(arg)->Run();
    return nullptr;
}

void CBaseThread::Run() {
    m_threadId.store(ZUN_Thread_GetSelfId());
    // The semaphore handle is read before the post: once posted, Start may
    // destroy it.
    const ZUN_SEM sem = m_startSem;
    if (OnStart()) {
        m_started.store(true);
        ZUN_SemPost(sem);
        while (!m_stop.load()) {
            if (!Loop()) break;
        }
        OnExit();
    } else {
        OnExit();
        m_started.store(false);
        ZUN_SemPost(sem);
    }
    m_threadId.store(0);
    m_finished.store(true);
}

}  // namespace APT_QMR
