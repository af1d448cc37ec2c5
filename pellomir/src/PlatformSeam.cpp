// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlatformSeam.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "wincompat/drives.h"

#if defined(PELLOMIR_HAVE_MERROWFEN)
#include "merrowfen.h"
#endif

namespace pellomir {
namespace {

std::atomic<DiskVersionHook> g_diskVersionHook{nullptr};

#if !defined(PELLOMIR_HAVE_MERROWFEN)
uint32_t ReadU32At(FILE* f, long offset, bool* ok)
{
    uint8_t b[4];
    if (std::fseek(f, offset, SEEK_SET) != 0 || std::fread(b, 1, 4, f) != 4) {
        *ok = false;
        return 0;
    }
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

// Without the hard-disk library: tell the layout by the index files' sizes.
int VersionFromIndexFiles(const std::string& drivePath)
{
    for (const char* name : {"index00p.bin", "index01p.bin"}) {
        const std::string path = wincompat::MapPath(drivePath + "\\" + name);
        FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
        if (!f)
            continue;
        std::fseek(f, 0, SEEK_END);
        const uint64_t length = static_cast<uint64_t>(std::ftell(f));
        bool ok = true;
        const uint64_t count1 = ReadU32At(f, 16, &ok);
        const bool v1 = ok && length == count1 * 32784u + 512u;
        ok = true;
        const uint64_t count2 = ReadU32At(f, 12, &ok);
        const bool v2 = ok && length == count2 * 81952u + 1280u;
        std::fclose(f);
        if (v1)
            return 1;
        if (v2)
            return 2;
    }
    return 1;
}
#endif

}  // namespace

int DiskVersionOf(const std::string& drivePath)
{
    if (DiskVersionHook hook = g_diskVersionHook.load())
        return hook(drivePath.c_str());
#if defined(PELLOMIR_HAVE_MERROWFEN)
    return HD_GetDiskVersion(drivePath.c_str());
#else
    return VersionFromIndexFiles(drivePath);
#endif
}

uint32_t HardDiskLastError()
{
#if defined(PELLOMIR_HAVE_MERROWFEN)
    return static_cast<uint32_t>(HD_FILE_GetLastError());
#else
    return 0;
#endif
}

void SetDiskVersionHook(DiskVersionHook hook)
{
    g_diskVersionHook.store(hook);
}

}  // namespace pellomir
