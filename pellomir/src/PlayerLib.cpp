// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayerLib.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <string>

#include "Frame.h"

namespace pellomir {
namespace {

PlayerCalls g_calls;
std::atomic<bool> g_loaded{false};
std::once_flag g_loadOnce;

// Folder of the file that holds this library's code, with a trailing slash;
// empty when it cannot be told.
std::string OwnFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&LoadPlayer), &info) || !info.dli_fname)
        return std::string();
    const std::string path(info.dli_fname);
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void* OpenPlayerLibrary()
{
    const std::string folder = OwnFolder();
    if (!folder.empty()) {
        if (void* handle = dlopen((folder + kPlayerLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
    }
    void* handle = dlopen(kPlayerLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        DebugOut("Error: the player library could not be loaded: %s\r\n", why ? why : kPlayerLibraryName);
    }
    return handle;
}

void Load()
{
    void* handle = OpenPlayerLibrary();
    if (!handle)
        return;
    PlayerCalls calls;
    bool complete = true;
#define PELLOMIR_PLAYER_RESOLVE(name)                                                                                  \
    calls.name = reinterpret_cast<decltype(calls.name)>(dlsym(handle, "Ostrum_" #name));                              \
    if (!calls.name) {                                                                                                 \
        DebugOut("Error: the player library lacks Ostrum_" #name "\r\n");                                              \
        complete = false;                                                                                              \
    }
    PELLOMIR_PLAYER_CALLS(PELLOMIR_PLAYER_RESOLVE)
#undef PELLOMIR_PLAYER_RESOLVE
    if (!complete) {
        dlclose(handle);
        return;
    }
    // Kept loaded for the rest of the process: its threads and ports
    // outlive any one call.
    g_calls = calls;
    g_loaded.store(true, std::memory_order_release);
}

}  // namespace

const PlayerCalls* LoadPlayer()
{
    std::call_once(g_loadOnce, &Load);
    if (g_loaded.load(std::memory_order_acquire))
        return &g_calls;
    SetLastErrorCode(DVR_FILE_ERR_NO_PLAYER);
    return nullptr;
}

const PlayerCalls& Player()
{
    return g_calls;
}

bool PlayerLoaded()
{
    return g_loaded.load(std::memory_order_acquire);
}

bool PlayerInProcess()
{
    void* handle = dlopen(kPlayerLibraryName, RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}

}  // namespace pellomir
