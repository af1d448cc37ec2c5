// SPDX-License-Identifier: GPL-3.0-or-later
#include "zun.h"

#include "wincompat/drives.h"

#include <dirent.h>
#include <errno.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>

// ---- threads ---------------------------------------------------------------
namespace {
struct ThreadHandle {
    pthread_t thread;
};
struct StartArgs {
    ZUN_THREAD_PROC proc;
    void* arg;
};
void* ThreadTrampoline(void* p) {
    std::unique_ptr<StartArgs> a(static_cast<StartArgs*>(p));
    ZUN_THREAD_PROC proc = a->proc;
    void* arg = a->arg;
    a.reset();
    return proc(arg);
}
}  // namespace

ZUN_THREAD ZUN_Thread_Create(ZUN_THREAD_PROC proc, void* arg, int stackSize, int priority, int flags,
                             int reserved) {
    (void)priority;
    (void)flags;
    (void)reserved;
    if (!proc) return 0;
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return 0;
    if (stackSize > 0) pthread_attr_setstacksize(&attr, static_cast<size_t>(stackSize));
    auto* h = new ThreadHandle;
    auto* a = new StartArgs{proc, arg};
    int rc = pthread_create(&h->thread, &attr, ThreadTrampoline, a);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete a;
        delete h;
        return 0;
    }
    return reinterpret_cast<ZUN_THREAD>(h);
}

uint32_t ZUN_Thread_GetSelfId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

int ZUN_Thread_Wait(ZUN_THREAD thread) {
    if (thread == 0 || thread == -1) return -1;
    auto* h = reinterpret_cast<ThreadHandle*>(thread);
    if (pthread_equal(h->thread, pthread_self())) return -1;
    if (pthread_join(h->thread, nullptr) != 0) return -1;
    delete h;
    return 0;
}

void ZUN_Thread_Exit(void* result) { pthread_exit(result); }

// ---- sleeping --------------------------------------------------------------
void ZUN_Sleep(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    else std::this_thread::yield();
}

uint64_t ZUN_MonotonicMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

// ---- semaphores and events ---------------------------------------------------
// Handles are ids into a table, so a handle used after it was destroyed is
// refused instead of touching freed memory.
namespace {
struct WaitObject {
    std::mutex m;
    std::condition_variable cv;
    long count = 0;          // semaphore count, or 1/0 for events
    bool manualReset = false;
    bool isEvent = false;
};

std::mutex g_objMutex;
std::unordered_map<intptr_t, std::shared_ptr<WaitObject>> g_objects;
intptr_t g_nextId = 1;

intptr_t AddObject(std::shared_ptr<WaitObject> o) {
    std::lock_guard<std::mutex> l(g_objMutex);
    intptr_t id = g_nextId++;
    if (g_nextId <= 0) g_nextId = 1;
    g_objects[id] = std::move(o);
    return id;
}
std::shared_ptr<WaitObject> FindObject(intptr_t id, bool isEvent) {
    std::lock_guard<std::mutex> l(g_objMutex);
    auto it = g_objects.find(id);
    if (it == g_objects.end() || it->second->isEvent != isEvent) return nullptr;
    return it->second;
}
int RemoveObject(intptr_t id, bool isEvent) {
    std::lock_guard<std::mutex> l(g_objMutex);
    auto it = g_objects.find(id);
    if (it == g_objects.end() || it->second->isEvent != isEvent) return -1;
    g_objects.erase(it);
    return 0;
}
// 0 taken, 1 time-out; ms < 0 waits forever.
int WaitOn(WaitObject& o, int ms) {
    std::unique_lock<std::mutex> l(o.m);
    auto ready = [&] { return o.count > 0; };
    if (ms < 0) {
        o.cv.wait(l, ready);
    } else if (!o.cv.wait_for(l, std::chrono::milliseconds(ms), ready)) {
        return 1;
    }
    if (!o.isEvent || !o.manualReset) --o.count;
    return 0;
}
}  // namespace

ZUN_SEM ZUN_SemCreate(int initialCount) {
    if (initialCount < 0) return -1;
    auto o = std::make_shared<WaitObject>();
    o->count = initialCount;
    return AddObject(o);
}
int ZUN_SemDestroy(ZUN_SEM sem) { return RemoveObject(sem, false); }
int ZUN_SemPost(ZUN_SEM sem) {
    auto o = FindObject(sem, false);
    if (!o) return -1;
    {
        std::lock_guard<std::mutex> l(o->m);
        ++o->count;
    }
    o->cv.notify_one();
    return 0;
}
int ZUN_SemWait(ZUN_SEM sem) {
    auto o = FindObject(sem, false);
    if (!o) return -1;
    return WaitOn(*o, -1) == 0 ? 0 : -1;
}
int ZUN_SemTimedWait(ZUN_SEM sem, int milliseconds) {
    auto o = FindObject(sem, false);
    if (!o) return -1;
    return WaitOn(*o, milliseconds < 0 ? 0 : milliseconds);
}

ZUN_Sema::ZUN_Sema(int initialCount) : m_sem(ZUN_SemCreate(initialCount)) {}
ZUN_Sema::~ZUN_Sema() { ZUN_SemDestroy(m_sem); }
void ZUN_Sema::Post() { ZUN_SemPost(m_sem); }
void ZUN_Sema::Wait() { ZUN_SemWait(m_sem); }
bool ZUN_Sema::TimedWait(int milliseconds) { return ZUN_SemTimedWait(m_sem, milliseconds) == 0; }

ZUN_EVENT ZUN_EventCreate(bool manualReset, bool initialState) {
    auto o = std::make_shared<WaitObject>();
    o->isEvent = true;
    o->manualReset = manualReset;
    o->count = initialState ? 1 : 0;
    return AddObject(o);
}
int ZUN_EventDestroy(ZUN_EVENT ev) { return RemoveObject(ev, true); }
int ZUN_EventSet(ZUN_EVENT ev) {
    auto o = FindObject(ev, true);
    if (!o) return -1;
    {
        std::lock_guard<std::mutex> l(o->m);
        o->count = 1;
    }
    if (o->manualReset) o->cv.notify_all(); else o->cv.notify_one();
    return 0;
}
int ZUN_EventReset(ZUN_EVENT ev) {
    auto o = FindObject(ev, true);
    if (!o) return -1;
    std::lock_guard<std::mutex> l(o->m);
    o->count = 0;
    return 0;
}
int ZUN_EventWait(ZUN_EVENT ev, int milliseconds) {
    auto o = FindObject(ev, true);
    if (!o) return -1;
    return WaitOn(*o, milliseconds);
}

// ---- files -----------------------------------------------------------------
namespace {
std::string HostPath(const char* path) { return path ? wincompat::MapPath(path) : std::string(); }
}

ZUN_FILE ZUN_OpenFile(const char* path, int mode) {
    std::string p = HostPath(path);
    if (p.empty()) return 0;
    const char* m = nullptr;
    switch (mode) {
        case ZUN_FILE_READ: m = "rb"; break;
        case ZUN_FILE_WRITE: m = "wb"; break;
        case ZUN_FILE_APPEND: m = "ab"; break;
        case ZUN_FILE_READWRITE: m = "r+b"; break;
        default: return 0;
    }
    FILE* f = std::fopen(p.c_str(), m);
    if (!f) return 0;
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return 0;
    }
    return reinterpret_cast<ZUN_FILE>(f);
}
int ZUN_CloseFile(ZUN_FILE f) {
    if (!f) return -1;
    return std::fclose(reinterpret_cast<FILE*>(f)) == 0 ? 0 : -1;
}
int64_t ZUN_ReadFile(ZUN_FILE f, void* buffer, int64_t size) {
    if (!f || !buffer || size < 0) return -1;
    FILE* fp = reinterpret_cast<FILE*>(f);
    size_t n = std::fread(buffer, 1, static_cast<size_t>(size), fp);
    if (n == 0 && std::ferror(fp)) return -1;
    return static_cast<int64_t>(n);
}
int64_t ZUN_WriteFile(ZUN_FILE f, const void* buffer, int64_t size) {
    if (!f || (!buffer && size > 0) || size < 0) return -1;
    size_t n = std::fwrite(buffer, 1, static_cast<size_t>(size), reinterpret_cast<FILE*>(f));
    if (static_cast<int64_t>(n) != size) return n == 0 ? -1 : static_cast<int64_t>(n);
    return static_cast<int64_t>(n);
}
int64_t ZUN_SeekFile(ZUN_FILE f, int64_t offset, int whence) {
    if (!f) return -1;
    FILE* fp = reinterpret_cast<FILE*>(f);
    int w = whence == 1 ? SEEK_CUR : whence == 2 ? SEEK_END : SEEK_SET;
    if (fseeko(fp, static_cast<off_t>(offset), w) != 0) return -1;
    return static_cast<int64_t>(ftello(fp));
}
int64_t ZUN_FileSize(ZUN_FILE f) {
    if (!f) return -1;
    struct stat st;
    FILE* fp = reinterpret_cast<FILE*>(f);
    std::fflush(fp);
    if (fstat(fileno(fp), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}
int ZUN_FlushFile(ZUN_FILE f) {
    if (!f) return -1;
    return std::fflush(reinterpret_cast<FILE*>(f)) == 0 ? 0 : -1;
}
int ZUN_DeleteFile(const char* path) {
    std::string p = HostPath(path);
    if (p.empty()) return -1;
    return ::unlink(p.c_str()) == 0 ? 0 : -1;
}

// ---- directories -----------------------------------------------------------
int ZUN_MakeDir(const char* path) {
    std::string p = HostPath(path);
    if (p.empty()) return -1;
    if (::mkdir(p.c_str(), 0777) == 0) return 0;
    struct stat st;
    if (errno == EEXIST && stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return 0;
    return -1;
}
ZUN_DIR ZUN_OpenDir(const char* path) {
    std::string p = HostPath(path);
    if (p.empty()) return 0;
    DIR* d = ::opendir(p.c_str());
    return reinterpret_cast<ZUN_DIR>(d);
}
int ZUN_FindFileInDir(ZUN_DIR dir, char* name, int nameSize) {
    if (!dir || !name || nameSize <= 0) return -1;
    dirent* e = ::readdir(reinterpret_cast<DIR*>(dir));
    if (!e) return -1;
    std::snprintf(name, static_cast<size_t>(nameSize), "%s", e->d_name);
    return 0;
}
int ZUN_CloseDir(ZUN_DIR dir) {
    if (!dir) return -1;
    return ::closedir(reinterpret_cast<DIR*>(dir)) == 0 ? 0 : -1;
}
