// SPDX-License-Identifier: GPL-3.0-or-later
// The exported calls: port table lookup and argument checks.
#include <QWidget>
#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio_sink.h"
#include "container.h"
#include "files.h"
#include "test_hooks.h"
#include "port.h"
#include "vintrel.h"
#include "wincompat/drives.h"

namespace vintrel {
namespace {
std::mutex g_tableMutex;
std::shared_ptr<Port> g_ports[OSTRUM_MAX_PORTS];
int g_soundPort = -1;
}  // namespace

std::shared_ptr<Port> FindPort(int port) {
    if (port < 0 || port >= OSTRUM_MAX_PORTS) return nullptr;
    std::lock_guard<std::mutex> lk(g_tableMutex);
    return g_ports[port];
}

size_t KeptPictureBytes(int port) {
    std::shared_ptr<Port> p = FindPort(port);
    return p ? p->KeptPictureBytes() : 0;
}

void SetDecodeCost(int port, int64_t ms, int64_t keyMs) {
    if (std::shared_ptr<Port> p = FindPort(port)) p->SetDecodeCost(ms, keyMs);
}

void HoldDecoder(int port, bool hold) {
    if (std::shared_ptr<Port> p = FindPort(port)) p->HoldDecoder(hold);
}

bool WaitsUntilTold(int port) {
    std::shared_ptr<Port> p = FindPort(port);
    return p && p->WaitsUntilTold();
}

void AdvanceManualClock(int64_t ms) {
    MoveManualClock(ms);
    const int64_t now = NowMs();
    std::vector<std::shared_ptr<Port>> ports;
    {
        std::lock_guard<std::mutex> lk(g_tableMutex);
        for (const auto& p : g_ports)
            if (p) ports.push_back(p);
    }
    for (const auto& p : ports) p->Settle(now);
}

}  // namespace vintrel

using vintrel::FindPort;
using vintrel::Port;

#define WITH_PORT(port, fail)              \
    std::shared_ptr<Port> p = FindPort(port); \
    if (!p) return fail

extern "C" {

OSTRUM_BOOL Ostrum_GetPort(int* port) {
    if (!port) return 0;
    std::lock_guard<std::mutex> lk(vintrel::g_tableMutex);
    for (int i = 0; i < OSTRUM_MAX_PORTS; ++i) {
        if (!vintrel::g_ports[i]) {
            vintrel::g_ports[i] = std::make_shared<Port>(i);
            *port = i;
            return 1;
        }
    }
    *port = -1;
    return 0;
}

OSTRUM_BOOL Ostrum_FreePort(int port) {
    std::shared_ptr<Port> p;
    {
        std::lock_guard<std::mutex> lk(vintrel::g_tableMutex);
        if (port < 0 || port >= OSTRUM_MAX_PORTS || !vintrel::g_ports[port]) return 0;
        p = std::move(vintrel::g_ports[port]);
        if (vintrel::g_soundPort == port) vintrel::g_soundPort = -1;
    }
    p->Shutdown();
    return 1;
}

OSTRUM_BOOL Ostrum_SetMemoryLimit(int port, uint32_t, uint32_t) {
    WITH_PORT(port, 0);
    return 1;
}

uint32_t Ostrum_GetLastError(int port) {
    std::shared_ptr<Port> p = FindPort(port);
    return p ? p->LastError() : static_cast<uint32_t>(OSTRUM_ERR_PORT);
}

OSTRUM_BOOL Ostrum_SetStreamOpenMode(int port, uint32_t mode) { WITH_PORT(port, 0); return p->SetStreamOpenMode(mode); }
OSTRUM_BOOL Ostrum_OpenStream(int port, const void* header, uint32_t headerSize, uint32_t bufferSize) {
    WITH_PORT(port, 0);
    return p->OpenStream(header, headerSize, bufferSize);
}
OSTRUM_BOOL Ostrum_InputData(int port, const void* data, uint32_t size) { WITH_PORT(port, 0); return p->InputData(data, size); }
OSTRUM_BOOL Ostrum_ResetSourceBuffer(int port) { WITH_PORT(port, 0); return p->ResetBuffer(OSTRUM_BUF_SOURCE); }
OSTRUM_BOOL Ostrum_ResetBuffer(int port, uint32_t kind) { WITH_PORT(port, 0); return p->ResetBuffer(kind); }
uint32_t Ostrum_GetSourceBufferRemain(int port) { WITH_PORT(port, 0); return p->SourceRemain(); }
uint32_t Ostrum_GetBufferValue(int port, uint32_t kind) { WITH_PORT(port, 0); return p->BufferValue(kind); }
OSTRUM_BOOL Ostrum_Stop(int port) { WITH_PORT(port, 0); return p->Stop(); }
OSTRUM_BOOL Ostrum_CloseStream(int port) { WITH_PORT(port, 0); return p->CloseStream(); }

OSTRUM_BOOL Ostrum_OpenFile(int port, const char* path) { WITH_PORT(port, 0); return p->OpenFile(path); }
OSTRUM_BOOL Ostrum_GetFileTotalTime(int port, OSTRUM_FILE_TIME* first, OSTRUM_FILE_TIME* last) {
    WITH_PORT(port, 0);
    return p->FileTotalTime(first, last);
}
OSTRUM_BOOL Ostrum_CloseFile(int port) { WITH_PORT(port, 0); return p->CloseFile(); }
OSTRUM_BOOL Ostrum_SetPlayedTime(int port, const OSTRUM_FILE_TIME* time) {
    WITH_PORT(port, 0);
    return p->SetPlayedTime(time);
}

OSTRUM_BOOL Ostrum_Play(int port, OSTRUM_HWND window) {
    WITH_PORT(port, 0);
    return p->Play(static_cast<QWidget*>(window));
}
OSTRUM_BOOL Ostrum_ReversePlay(int port) { WITH_PORT(port, 0); return p->ReversePlay(); }
OSTRUM_BOOL Ostrum_Pause(int port, uint32_t pause) { WITH_PORT(port, 0); return p->Pause(pause != 0); }
OSTRUM_BOOL Ostrum_Fast(int port) { WITH_PORT(port, 0); return p->Fast(); }
OSTRUM_BOOL Ostrum_Slow(int port) { WITH_PORT(port, 0); return p->Slow(); }
OSTRUM_BOOL Ostrum_OneByOne(int port) { WITH_PORT(port, 0); return p->OneByOne(); }
OSTRUM_BOOL Ostrum_OneByOneBack(int port) { WITH_PORT(port, 0); return p->OneByOneBack(); }
OSTRUM_BOOL Ostrum_RefreshPlay(int port) { WITH_PORT(port, 0); return p->RefreshPlay(); }
OSTRUM_BOOL Ostrum_ThrowBFrameNum(int port, uint32_t count) { WITH_PORT(port, 0); return p->ThrowB(count); }
OSTRUM_BOOL Ostrum_SetDecodeFrameType(int port, int type) { WITH_PORT(port, 0); return p->SetDecodeFrameType(type); }
OSTRUM_BOOL Ostrum_SetDecodeEngineEx(int port, int hardware) {
    WITH_PORT(port, 0);
    if (hardware != 0 && hardware != 1) {
        p->SetError(OSTRUM_ERR_PARAM);
        return 0;
    }
    return 1;  // decoding is always done in software
}
OSTRUM_BOOL Ostrum_SetSycGroup(int port, int group) { WITH_PORT(port, 0); return p->SetSyncGroup(group); }

OSTRUM_PACKED_TIME Ostrum_GetSpecialData(int port) { WITH_PORT(port, 0); return p->SpecialData(); }
OSTRUM_BOOL Ostrum_GetPlayedTime(int port, OSTRUM_FILE_TIME* time) { WITH_PORT(port, 0); return p->PlayedTime(time); }
OSTRUM_BOOL Ostrum_GetPlayedKeyTime(int port, OSTRUM_FILE_TIME* time) {
    WITH_PORT(port, 0);
    return p->PlayedKeyTime(time);
}
uint32_t Ostrum_GetCurrentFrameNum(int port) { WITH_PORT(port, 0); return p->FrameNum(); }

OSTRUM_BOOL Ostrum_SetSecretKey(int port, int type, const char* key, int keyLengthBits) {
    WITH_PORT(port, 0);
    return p->SetSecretKey(type, key, keyLengthBits);
}
OSTRUM_BOOL Ostrum_SetAdditionDataCallBack(int port, uint32_t dataType, OSTRUM_ADDITION_DATA_CB cb, void* user) {
    WITH_PORT(port, 0);
    return p->SetAdditionCallback(dataType, cb, user);
}
OSTRUM_BOOL Ostrum_SetEncryptTypeCallBack(int port, uint32_t, OSTRUM_ENCRYPT_TYPE_CB cb, void* user) {
    WITH_PORT(port, 0);
    return p->SetEncryptCallback(cb, user);
}
OSTRUM_BOOL Ostrum_SetRunTimeInfoCallBackEx(int port, int, OSTRUM_RUNTIME_INFO_CB cb, void* user) {
    WITH_PORT(port, 0);
    return p->SetRuntimeCallback(cb, user);
}
OSTRUM_BOOL Ostrum_SetDisplayCallBack(int port, OSTRUM_DISPLAY_CB cb) { WITH_PORT(port, 0); return p->SetDisplayCallback(cb); }
OSTRUM_BOOL Ostrum_RegisterDrawFun(int port, OSTRUM_DRAW_CB cb, void* user) {
    WITH_PORT(port, 0);
    return p->SetDrawCallback(cb, user);
}
OSTRUM_BOOL Ostrum_RigisterDrawFun(int port, OSTRUM_DRAW_CB cb, void* user) { return Ostrum_RegisterDrawFun(port, cb, user); }

OSTRUM_BOOL Ostrum_SetDisplayBuf(int port, uint32_t frames) { WITH_PORT(port, 0); return p->SetDisplayBuf(frames); }
OSTRUM_BOOL Ostrum_SetDisplayRegion(int port, uint32_t region, const OSTRUM_RECT* source, OSTRUM_HWND destination,
                                    OSTRUM_BOOL) {
    WITH_PORT(port, 0);
    if (destination) {
        p->SetError(OSTRUM_ERR_UNSUPPORTED);
        return 0;
    }
    return p->SetDisplayRegion(region, source);
}
OSTRUM_BOOL Ostrum_GetPictureSize(int port, int* width, int* height) { WITH_PORT(port, 0); return p->PictureSize(width, height); }
OSTRUM_BOOL Ostrum_GetJPEG(int port, uint8_t* buffer, uint32_t size, uint32_t* pictureSize) {
    WITH_PORT(port, 0);
    return p->EncodePicture("JPG", buffer, size, pictureSize);
}
OSTRUM_BOOL Ostrum_GetBMP(int port, uint8_t* buffer, uint32_t size, uint32_t* pictureSize) {
    WITH_PORT(port, 0);
    return p->EncodePicture("BMP", buffer, size, pictureSize);
}
OSTRUM_BOOL Ostrum_ConvertToJpegFile(const char* buffer, int size, int width, int height, int type, const char* path) {
    return vintrel::WriteImageFile(vintrel::ImageFromBuffer(buffer, size, width, height, type), "JPG", path) ? 1 : 0;
}
OSTRUM_BOOL Ostrum_ConvertToBmpFile(const char* buffer, int size, int width, int height, int type, const char* path) {
    return vintrel::WriteImageFile(vintrel::ImageFromBuffer(buffer, size, width, height, type), "BMP", path) ? 1 : 0;
}
OSTRUM_BOOL Ostrum_CutFile(const char* source, const OSTRUM_FILE_TIME* from, const OSTRUM_FILE_TIME* to,
                           const char* target) {
    if (!source || !*source || !from || !to || !target || !*target) return 0;
    auto ms = [](const OSTRUM_FILE_TIME* t) {
        return vintrel::RecorderSeconds(t->year, t->month, t->day, t->hour, t->minute, t->second) * 1000 +
               std::clamp(t->millisecond, 0, 999);
    };
    const std::string in = wincompat::MapPath(source), out = wincompat::MapPath(target);
    if (in.empty() || out.empty()) return 0;
    return vintrel::CutContainerFile(in, ms(from), ms(to), out) == OSTRUM_ERR_NONE ? 1 : 0;
}

OSTRUM_BOOL Ostrum_SetColor(int port, uint32_t region, int brightness, int contrast, int saturation, int hue) {
    WITH_PORT(port, 0);
    if (region != 0) {
        p->SetError(OSTRUM_ERR_PARAM);
        return 0;
    }
    return p->SetColor(brightness, contrast, saturation, hue);
}
OSTRUM_BOOL Ostrum_GetColor(int port, uint32_t region, int* brightness, int* contrast, int* saturation, int* hue) {
    WITH_PORT(port, 0);
    if (region != 0) {
        p->SetError(OSTRUM_ERR_PARAM);
        return 0;
    }
    return p->GetColor(brightness, contrast, saturation, hue);
}

OSTRUM_BOOL Ostrum_PlaySound(int port) {
    WITH_PORT(port, 0);
    int previous;
    {
        std::lock_guard<std::mutex> lk(vintrel::g_tableMutex);
        previous = vintrel::g_soundPort;
        vintrel::g_soundPort = port;
    }
    if (previous >= 0 && previous != port) {
        if (auto old = FindPort(previous)) old->SoundTaken();
    }
    return p->PlaySound();
}

OSTRUM_BOOL Ostrum_StopSound() {
    int previous;
    {
        std::lock_guard<std::mutex> lk(vintrel::g_tableMutex);
        previous = vintrel::g_soundPort;
        vintrel::g_soundPort = -1;
    }
    if (previous >= 0) {
        if (auto old = FindPort(previous)) old->SoundTaken();
    }
    vintrel::AudioSink::Instance().Stop();
    return 1;
}

OSTRUM_BOOL Ostrum_SetVolume(int port, uint16_t volume) { WITH_PORT(port, 0); return p->SetVolume(volume); }

}  // extern "C"
