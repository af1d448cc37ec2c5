// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into every program of a ThreadSanitizer build (scripts/test.sh
// --sanitize thread). Debian's Qt is not built with ThreadSanitizer: the
// ordering its locks, its thread hand-shakes and its event queue give our
// code is invisible to the tool, which then reports every access that only
// these order as a race. This file tells the tool about them, at the calls
// our code (and Qt's other libraries) make into Qt Core: each wrapper calls
// Qt's own function and marks the ordering it gives.
//  - QMutex: a lock acquires what the previous unlock released; a wait on a
//    condition unlocks and locks again.
//  - QThread: what the thread did before it finished is ordered before a
//    wait(), isRunning() or isFinished() that saw it finish.
//  - QSemaphore: an acquire acquires what the releases before it released.
//  - QThreadPool: a task handed to the pool is ordered before it runs.
//  - The event queue: posting an event, emitting a signal and invoking a
//    method release; delivering any event acquires. (This orders every
//    emission before every later delivery, which is more than Qt promises:
//    a race between code before an emission in one thread and code after a
//    later event in another goes unseen.)
// Calls inside Qt Core itself are bound there and not seen here; races that
// remain between Qt's internals are listed in tsan.supp.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QObject>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QVariant>
#include <QWaitCondition>
#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

namespace {

// Qt Core's definition of a symbol that this file interposes.
template <typename F>
F Real(const char* name) {
    void* p = dlvsym(RTLD_NEXT, name, "Qt_5");
    if (!p) p = dlsym(RTLD_NEXT, name);
    if (!p) {
        std::fprintf(stderr, "tsan_qt_sync: %s not found\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(p);
}

// The event queue's one synchronisation object, and the thread pool's.
char g_events;
char g_pool;

bool OnEventDelivered(void**) {
    __tsan_acquire(&g_events);
    return false;   // the event goes on as usual
}

struct Registration {
    Registration() { QInternal::registerCallback(QInternal::EventNotifyCallback, &OnEventDelivered); }
} g_registration;

}  // namespace

// ---- QMutex --------------------------------------------------------------------

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT {
    static const auto real = Real<void (*)(QMutex*)>("_ZN6QMutex4lockEv");
    real(this);
    __tsan_acquire(this);
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT {
    static const auto real = Real<bool (*)(QMutex*, int)>("_ZN6QMutex7tryLockEi");
    const bool locked = real(this, timeout);
    if (locked) __tsan_acquire(this);
    return locked;
}

void QMutex::unlock() noexcept {
    static const auto real = Real<void (*)(QMutex*)>("_ZN6QMutex6unlockEv");
    __tsan_release(this);
    real(this);
}

bool QWaitCondition::wait(QMutex* mutex, QDeadlineTimer deadline) {
    static const auto real =
        Real<bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer)>("_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    __tsan_release(mutex);
    const bool woken = real(this, mutex, deadline);
    __tsan_acquire(mutex);
    return woken;
}

bool QWaitCondition::wait(QMutex* mutex, unsigned long time) {
    static const auto real =
        Real<bool (*)(QWaitCondition*, QMutex*, unsigned long)>("_ZN14QWaitCondition4waitEP6QMutexm");
    __tsan_release(mutex);
    const bool woken = real(this, mutex, time);
    __tsan_acquire(mutex);
    return woken;
}

// ---- QSemaphore and QThreadPool ------------------------------------------------------

void QSemaphore::acquire(int n) {
    static const auto real = Real<void (*)(QSemaphore*, int)>("_ZN10QSemaphore7acquireEi");
    real(this, n);
    __tsan_acquire(this);
}

bool QSemaphore::tryAcquire(int n) {
    static const auto real = Real<bool (*)(QSemaphore*, int)>("_ZN10QSemaphore10tryAcquireEi");
    const bool got = real(this, n);
    if (got) __tsan_acquire(this);
    return got;
}

bool QSemaphore::tryAcquire(int n, int timeout) {
    static const auto real = Real<bool (*)(QSemaphore*, int, int)>("_ZN10QSemaphore10tryAcquireEii");
    const bool got = real(this, n, timeout);
    if (got) __tsan_acquire(this);
    return got;
}

void QSemaphore::release(int n) {
    static const auto real = Real<void (*)(QSemaphore*, int)>("_ZN10QSemaphore7releaseEi");
    __tsan_release(this);
    real(this, n);
}

void QThreadPool::start(std::function<void()> functionToRun, int priority) {
    static const auto real =
        Real<void (*)(QThreadPool*, std::function<void()>, int)>("_ZN11QThreadPool5startESt8functionIFvvEEi");
    std::function<void()> task = [f = std::move(functionToRun)]() {
        __tsan_acquire(&g_pool);
        f();
    };
    __tsan_release(&g_pool);   // after the task was made: it is the pool's now
    real(this, std::move(task), priority);
}

// ---- QThread -------------------------------------------------------------------

void QThread::start(QThread::Priority priority) {
    static const auto real = Real<void (*)(QThread*, QThread::Priority)>("_ZN7QThread5startENS_8PriorityE");
    // QThread::finished comes on the finishing thread, before wait() can
    // see the thread finished. (Marked once per thread object.)
    if (!property("_kel_tsan_finish").toBool()) {
        setProperty("_kel_tsan_finish", true);
        QObject::connect(this, &QThread::finished, [thread = this]() { __tsan_release(thread); });
    }
    real(this, priority);
}

bool QThread::wait(QDeadlineTimer deadline) {
    static const auto real = Real<bool (*)(QThread*, QDeadlineTimer)>("_ZN7QThread4waitE14QDeadlineTimer");
    const bool finished = real(this, deadline);
    if (finished) __tsan_acquire(this);
    return finished;
}

bool QThread::wait(unsigned long time) {
    static const auto real = Real<bool (*)(QThread*, unsigned long)>("_ZN7QThread4waitEm");
    const bool finished = real(this, time);
    if (finished) __tsan_acquire(this);
    return finished;
}

// ---- the event queue -------------------------------------------------------------

void QCoreApplication::postEvent(QObject* receiver, QEvent* event, int priority) {
    static const auto real = Real<void (*)(QObject*, QEvent*, int)>("_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    __tsan_release(&g_events);
    real(receiver, event, priority);
}

void QMetaObject::activate(QObject* sender, const QMetaObject* m, int localSignalIndex, void** argv) {
    static const auto real =
        Real<void (*)(QObject*, const QMetaObject*, int, void**)>("_ZN11QMetaObject8activateEP7QObjectPKS_iPPv");
    __tsan_release(&g_events);
    real(sender, m, localSignalIndex, argv);
}

void QMetaObject::activate(QObject* sender, int signalOffset, int localSignalIndex, void** argv) {
    static const auto real = Real<void (*)(QObject*, int, int, void**)>("_ZN11QMetaObject8activateEP7QObjectiiPPv");
    __tsan_release(&g_events);
    real(sender, signalOffset, localSignalIndex, argv);
}

bool QMetaObject::invokeMethodImpl(QObject* object, QtPrivate::QSlotObjectBase* slot, Qt::ConnectionType type,
                                   void* ret) {
    static const auto real = Real<bool (*)(QObject*, QtPrivate::QSlotObjectBase*, Qt::ConnectionType, void*)>(
        "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    __tsan_release(&g_events);
    return real(object, slot, type, ret);
}

bool QMetaObject::invokeMethod(QObject* obj, const char* member, Qt::ConnectionType type, QGenericReturnArgument ret,
                               QGenericArgument val0, QGenericArgument val1, QGenericArgument val2,
                               QGenericArgument val3, QGenericArgument val4, QGenericArgument val5,
                               QGenericArgument val6, QGenericArgument val7, QGenericArgument val8,
                               QGenericArgument val9) {
    using Invoke = bool (*)(QObject*, const char*, Qt::ConnectionType, QGenericReturnArgument, QGenericArgument,
                            QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument,
                            QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument);
    static const auto real = Real<Invoke>(
        "_ZN11QMetaObject12invokeMethodEP7QObjectPKcN2Qt14ConnectionTypeE22QGenericReturnArgument16QGenericArgumentS7_"
        "S7_S7_S7_S7_S7_S7_S7_S7_");
    __tsan_release(&g_events);
    return real(obj, member, type, ret, val0, val1, val2, val3, val4, val5, val6, val7, val8, val9);
}

// A thread seen not running (or finished) has finished: what it did is
// ordered before what follows the look.
bool QThread::isRunning() const {
    static const auto real = Real<bool (*)(const QThread*)>("_ZNK7QThread9isRunningEv");
    const bool running = real(this);
    if (!running) __tsan_acquire(const_cast<QThread*>(this));
    return running;
}

bool QThread::isFinished() const {
    static const auto real = Real<bool (*)(const QThread*)>("_ZNK7QThread10isFinishedEv");
    const bool done = real(this);
    if (done) __tsan_acquire(const_cast<QThread*>(this));
    return done;
}
