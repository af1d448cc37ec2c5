// SPDX-License-Identifier: GPL-3.0-or-later
#include "Frame.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "VideoStreamMgt.h"

namespace pellomir {
namespace {

thread_local uint32_t t_lastError = 0;
std::atomic<int32_t> g_channelOffset{0};

struct Message {
    uint32_t code;
    const char* text;
};

const Message kMessages[] = {
    {0, "DVR_FILE_SDK: no error"},
    {1, "DVR_FILE_SDK: input parameter is invalid"},
    {2, "DVR_FILE_SDK: The order of the function to be called is error"},
    {3, "DVR_FILE_SDK: Create multimedia clock failed"},
    {4, "DVR_FILE_SDK: Decode video data failed"},
    {5, "DVR_FILE_SDK: Decode audio data failed"},
    {6, "DVR_FILE_SDK: Allocate memory failed"},
    {7, "DVR_FILE_SDK: Open the file failed"},
    {8, "DVR_FILE_SDK: Create thread or event failed"},
    {9, "DVR_FILE_SDK: Create DirectDraw object failed"},
    {10, "DVR_FILE_SDK: failed when creating off-screen surface"},
    {11, "DVR_FILE_SDK: buffer is overflow"},
    {12, "DVR_FILE_SDK: failed when creating audio device"},
    {13, "DVR_FILE_SDK: Set volume failed"},
    {14, "DVR_FILE_SDK: The function only support play file"},
    {15, "DVR_FILE_SDK: The function only support play stream"},
    {16, "DVR_FILE_SDK: System not support"},
    {17, "DVR_FILE_SDK: No file header"},
    {18, "DVR_FILE_SDK: The version of decoder and encoder is not adapted"},
    {19, "DVR_FILE_SDK: Initialize decoder failed"},
    {20, "DVR_FILE_SDK: The file data is unknown"},
    {21, "DVR_FILE_SDK: Initialize multimedia clock failed"},
    {22, "DVR_FILE_SDK: Blt failed"},
    {23, "DVR_FILE_SDK: Update failed"},
    {24, "DVR_FILE_SDK: over maximum supportnumber"},
    {25, "DVR_FILE_SDK: Create file failed"},
    {26, "DVR_FILE_SDK: Read file failed"},
    {27, "DVR_FILE_SDK: Get file information failed"},
    {28, "DVR_FILE_SDK: no matching file found"},
    {29, "DVR_FILE_SDK: can't move to the specified pos"},
    {30, "DVR_FILE_SDK: can't play a file"},
    {31, "DVR_FILE_SDK: wait"},
    {32, "DVR_FILE_SDK: not play"},
    {33, "DVR_FILE_SDK: Stream already played"},
    {34, "DVR_FILE_SDK: Invalid pointer"},
    {100, "HD_FILE_SDK: no error"},
    {101, "HD_FILE_SDK: nput parameter is invalid"},
    {102, "HD_FILE_SDK: The order of the function to be called is error"},
    {103, "HD_FILE_SDK: Allocate memory failed"},
    {104, "HD_FILE_SDK: Open the file failed"},
    {105, "HD_FILE_SDK: Create thread or event failed"},
    {106, "HD_FILE_SDK: The index file data is unknown"},
    {107, "HD_FILE_SDK: over maximum support number"},
    {108, "HD_FILE_SDK: Read file failed"},
    {109, "HD_FILE_SDK: Get file information failed"},
    {110, "HD_FILE_SDK: no matching file found"},
    {111, "HD_FILE_SDK: can't move to the specified pos"},
    {112, "HD_FILE_SDK: Get Stream size error"},
    {113, "HD_FILE_SDK: Get Stream header error"},
    {114, "HD_FILE_SDK: File dir error"},
    {115, "HD_FILE_SDK: No support Version"},
    {116, "HD_FILE_SDK: No much more Log info"},
    {117, "HD_FILE_SDK: Get Stream error"},
    {118, "HD_FILE_SDK: Don't support this operation"},
    {119, "HD_FILE_SDK: Open the log file failed"},
    {300, "OSTRUM_SDK: no error"},
    {301, "OSTRUM_SDK: input parameter is invalid"},
    {302, "OSTRUM_SDK: The order of the function to be called is error"},
    {303, "OSTRUM_SDK: Create multimedia clock failed"},
    {304, "OSTRUM_SDK: Decode video data failed"},
    {305, "OSTRUM_SDK: Decode audio data failed"},
    {306, "OSTRUM_SDK: Allocate memory failed"},
    {307, "OSTRUM_SDK: Open the file failed"},
    {308, "OSTRUM_SDK: Create thread or event failed"},
    {309, "OSTRUM_SDK: Create DirectDraw object failed"},
    {310, "OSTRUM_SDK: failed when creating off-screen surface"},
    {311, "OSTRUM_SDK: buffer is overflow"},
    {312, "OSTRUM_SDK: failed when creating audio device"},
    {313, "OSTRUM_SDK: Set volume failed"},
    {314, "OSTRUM_SDK: The function only support play file"},
    {315, "OSTRUM_SDK: The function only support play stream"},
    {316, "OSTRUM_SDK: System not support"},
    {317, "OSTRUM_SDK: No file header"},
    {318, "OSTRUM_SDK: The version of decoder and encoder is not adapted"},
    {319, "OSTRUM_SDK: Initialize decoder failed"},
    {320, "OSTRUM_SDK: The file data is unknown"},
    {321, "OSTRUM_SDK: Initialize multimedia clock failed"},
    {322, "OSTRUM_SDK: Blt failed"},
    {323, "OSTRUM_SDK: Update failed"},
    {324, "OSTRUM_SDK: openfile error, streamtype is multi"},
    {325, "OSTRUM_SDK: openfile error, streamtype is video"},
    {326, "OSTRUM_SDK: JPEG compress error"},
    {327, "OSTRUM_SDK: Don't support the version of this file"},
    {328, "OSTRUM_SDK: extract video data failed"},
    {329, "OSTRUM_SDK: Secret key is error"},
    {0x8000FFFFu, "DVR_FILE_SDK: UnExcepted Error"},
    {0xFFFFFFFFu, "DVR_FILE_SDK: unknown error"},
};

// The library's life in the process: built when the library is loaded,
// destroyed when it is unloaded. The last error needs no slot of its own
// (it is thread-local storage); unloading ends the singletons.
class CPellowayApp {
public:
    CPellowayApp() = default;
    ~CPellowayApp()
    {
        CVideoStreamMgt::DestroyInstance();
        CRecordTimeRange::DestroyInstance();
    }
};

CPellowayApp theApp;

}  // namespace

void SetLastErrorCode(uint32_t code)
{
    t_lastError = code;
}

uint32_t LastErrorCode()
{
    return t_lastError;
}

int32_t ChannelOffset()
{
    return g_channelOffset.load(std::memory_order_relaxed);
}

void DebugOut(const char* format, ...)
{
    static const bool enabled = std::getenv("PELLOMIR_DEBUG") != nullptr;
    if (!enabled)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

const char* ErrorMessage(uint32_t code)
{
    for (const Message& m : kMessages) {
        if (m.code == code)
            return m.text;
    }
    return nullptr;
}

}  // namespace pellomir

extern "C" {

uint32_t DVR_FILE_GetLastError(void)
{
    return pellomir::LastErrorCode();
}

int32_t DVR_FILE_GetErrorMsg(uint32_t code, char* text)
{
    const char* message = pellomir::ErrorMessage(code);
    if (!message)
        return 0;
    const size_t length = std::strlen(message);
    if (text)
        std::memcpy(text, message, length + 1);
    return static_cast<int32_t>(length);
}

void DVR_FILE_SetChannelOffSet(int32_t offset)
{
    pellomir::g_channelOffset.store(offset, std::memory_order_relaxed);
}

}  // extern "C"
