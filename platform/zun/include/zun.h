// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ZUN: the portable runtime the engine is written against: threads, mutexes,
// semaphores, events, sleeps, files and directories.
//
// Paths given to the file and directory calls may be recorder-style paths
// ("E:\dir\file", "\\.\PHYSICALDRIVE1"); they are mapped through the drive
// table first.
#include <cstdint>
#include <mutex>

// ---- threads ---------------------------------------------------------------
typedef intptr_t ZUN_THREAD;               // 0 = no thread
typedef void* (*ZUN_THREAD_PROC)(void*);

// Starts `proc(arg)` on a new joinable thread. The four trailing arguments
// (stack size in bytes, priority, flags, reserved) may be 0 for defaults.
// Returns 0 on failure.
ZUN_THREAD ZUN_Thread_Create(ZUN_THREAD_PROC proc, void* arg, int stackSize = 0, int priority = 0,
                             int flags = 0, int reserved = 0);
// Id of the calling thread (never 0).
uint32_t ZUN_Thread_GetSelfId();
// Waits for the thread to end and releases the handle. 0 on success, -1 when
// the handle is invalid or the caller is that thread.
int ZUN_Thread_Wait(ZUN_THREAD thread);
// Ends the calling thread. Must be the last call of a thread procedure.
void ZUN_Thread_Exit(void* result);

// ---- sleeping --------------------------------------------------------------
void ZUN_Sleep(int milliseconds);
// Milliseconds on a monotonic clock (not affected by changes of the wall clock).
uint64_t ZUN_MonotonicMs();

// ---- mutexes ---------------------------------------------------------------
// Recursive mutex.
class ZUN_Mutex {
public:
    ZUN_Mutex() = default;
    ZUN_Mutex(const ZUN_Mutex&) = delete;
    ZUN_Mutex& operator=(const ZUN_Mutex&) = delete;
    void Lock() { m_m.lock(); }
    bool TryLock() { return m_m.try_lock(); }
    void Unlock() { m_m.unlock(); }
    // Standard names, so std::lock_guard / std::unique_lock work too.
    void lock() { m_m.lock(); }
    bool try_lock() { return m_m.try_lock(); }
    void unlock() { m_m.unlock(); }
private:
    std::recursive_mutex m_m;
};

// Locks the mutex on construction; Release and the destructor unlock it once.
class ZUN_Guard {
public:
    explicit ZUN_Guard(ZUN_Mutex& m) : m_m(&m) { m_m->Lock(); }
    ~ZUN_Guard() { Release(); }
    ZUN_Guard(const ZUN_Guard&) = delete;
    ZUN_Guard& operator=(const ZUN_Guard&) = delete;
    void Release() {
        if (m_m) { m_m->Unlock(); m_m = nullptr; }
    }
private:
    ZUN_Mutex* m_m;
};

// ---- semaphores ------------------------------------------------------------
typedef intptr_t ZUN_SEM;   // -1 = failure
ZUN_SEM ZUN_SemCreate(int initialCount);
int ZUN_SemDestroy(ZUN_SEM sem);              // 0 / -1
int ZUN_SemPost(ZUN_SEM sem);                 // 0 / -1
int ZUN_SemWait(ZUN_SEM sem);                 // 0 / -1
// 0 when the semaphore was taken, 1 on time-out, -1 on a bad handle.
int ZUN_SemTimedWait(ZUN_SEM sem, int milliseconds);

// A counting semaphore object.
class ZUN_Sema {
public:
    explicit ZUN_Sema(int initialCount = 0);
    ~ZUN_Sema();
    ZUN_Sema(const ZUN_Sema&) = delete;
    ZUN_Sema& operator=(const ZUN_Sema&) = delete;
    void Post();
    void Wait();
    bool TimedWait(int milliseconds);  // true when taken
private:
    ZUN_SEM m_sem;
};

// ---- events ----------------------------------------------------------------
typedef intptr_t ZUN_EVENT;   // -1 = failure
ZUN_EVENT ZUN_EventCreate(bool manualReset, bool initialState);
int ZUN_EventDestroy(ZUN_EVENT ev);
int ZUN_EventSet(ZUN_EVENT ev);
int ZUN_EventReset(ZUN_EVENT ev);
// 0 signalled, 1 time-out, -1 bad handle; a negative time-out waits forever.
int ZUN_EventWait(ZUN_EVENT ev, int milliseconds);

// ---- files -----------------------------------------------------------------
typedef intptr_t ZUN_FILE;   // 0 = failure
enum {
    ZUN_FILE_READ = 1,       // open an existing file for reading
    ZUN_FILE_WRITE = 2,      // create or truncate for writing
    ZUN_FILE_APPEND = 4,     // create or append
    ZUN_FILE_READWRITE = 8,  // open an existing file for reading and writing
};
ZUN_FILE ZUN_OpenFile(const char* path, int mode);
int ZUN_CloseFile(ZUN_FILE f);
// Bytes read or written, -1 on failure.
int64_t ZUN_ReadFile(ZUN_FILE f, void* buffer, int64_t size);
int64_t ZUN_WriteFile(ZUN_FILE f, const void* buffer, int64_t size);
// whence: 0 from start, 1 from current, 2 from end. New offset or -1.
int64_t ZUN_SeekFile(ZUN_FILE f, int64_t offset, int whence);
int64_t ZUN_FileSize(ZUN_FILE f);
int ZUN_FlushFile(ZUN_FILE f);
int ZUN_DeleteFile(const char* path);   // 0 / -1

// ---- directories -----------------------------------------------------------
int ZUN_MakeDir(const char* path);       // 0 created or exists, -1 failure
typedef intptr_t ZUN_DIR;               // 0 = failure
ZUN_DIR ZUN_OpenDir(const char* path);
// Copies the next entry's name (including "." and "..") into `name`;
// 0 when an entry was returned, -1 at the end or on failure.
int ZUN_FindFileInDir(ZUN_DIR dir, char* name, int nameSize);
int ZUN_CloseDir(ZUN_DIR dir);
