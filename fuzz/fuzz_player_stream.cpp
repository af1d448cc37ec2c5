// SPDX-License-Identifier: GPL-3.0-or-later
// The player library's stream path: a recorder stream (its 40-byte header,
// then the program stream) put in block by block and played to its end
// without a window: demultiplexing, deciphering with the key, decoding,
// pictures and vehicle data handed to the callbacks, single steps and
// snapshots of the frame on screen.
//
// Input: one control byte (bit 0: live mode, bit 1: the key is set, bit 2:
// steps and snapshots at the end, the rest: the block size), then the
// stream.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "vintrel.h"

namespace {

void OnDisplay(int, const char* buffer, int size, int width, int height, int, int type) {
    // Every picture handed out is whole: width x height RGB32 pixels.
    if (type != OSTRUM_PIC_RGB32 || width <= 0 || height <= 0 || size < width * height * 4) __builtin_trap();
    volatile char last = buffer[size - 1];
    (void)last;
}

void OnAddition(int, const OSTRUM_ADDITION_DATA* d, void*) {
    if (d->length > 0) {
        volatile char last = d->data[d->length - 1];
        (void)last;
    }
}

// An enciphered stream whose key is missing or wrong is kept undecoded
// (for a key set later): it never plays out.
std::atomic<bool> g_keyTrouble{false};
void OnEncrypt(int, const OSTRUM_ENCRYPT_INFO* info, void*) {
    if (info->keySet == 0) g_keyTrouble = true;
}
void OnRuntime(int, const OSTRUM_RUNTIME_INFO* info, void*) {
    if (info->errorCode == OSTRUM_RUNTIME_KEY_MISMATCH) g_keyTrouble = true;
}

// Waits until the port has shown everything it was given, or has made no
// progress for a while (a stream whose last unit is cut keeps its rest), 20 s
// at most.
void WaitPlayedOut(int port) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto still = std::chrono::steady_clock::now();
    uint32_t frames = Ostrum_GetCurrentFrameNum(port), source = Ostrum_GetBufferValue(port, OSTRUM_BUF_SOURCE);
    while (!g_keyTrouble && Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) != 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now > until) break;
        const uint32_t f = Ostrum_GetCurrentFrameNum(port), s = Ostrum_GetBufferValue(port, OSTRUM_BUF_SOURCE);
        if (f != frames || s != source) {
            frames = f;
            source = s;
            still = now;
        } else if (now - still > std::chrono::milliseconds(300)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 + 40) return 0;
    const uint8_t control = data[0];
    const uint8_t* stream = data + 1;
    const size_t streamSize = size - 1;
    const size_t block = 64 + (size_t(control >> 3) * 2011) % 65536;

    g_keyTrouble = false;
    int port = -1;
    if (!Ostrum_GetPort(&port)) __builtin_trap();
    // Live mode shows every frame as soon as it is decoded; file mode paces
    // them on the recorder clock, so it is played at the top speed.
    Ostrum_SetStreamOpenMode(port, (control & 1) ? OSTRUM_STREAM_LIVE : OSTRUM_STREAM_FILE);
    if (control & 2) Ostrum_SetSecretKey(port, 1, "fuzzkey", 7 * 8);
    Ostrum_SetDisplayCallBack(port, &OnDisplay);
    Ostrum_SetAdditionDataCallBack(port, OSTRUM_ADDITION_VEHICLE, &OnAddition, nullptr);
    Ostrum_SetEncryptTypeCallBack(port, 1, &OnEncrypt, nullptr);
    Ostrum_SetRunTimeInfoCallBackEx(port, 0, &OnRuntime, nullptr);
    if (Ostrum_OpenStream(port, stream, 40, OSTRUM_MIN_SOURCE_BUFFER)) {
        Ostrum_Play(port, nullptr);
        if (!(control & 1))
            while (Ostrum_Fast(port)) {
            }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (size_t at = 40; at < streamSize;) {
            const uint32_t n = uint32_t(std::min(block, streamSize - at));
            if (Ostrum_InputData(port, stream + at, n)) {
                at += n;
            } else if (Ostrum_GetLastError(port) != OSTRUM_ERR_BUF_FULL || g_keyTrouble ||
                       std::chrono::steady_clock::now() > until) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        Ostrum_InputData(port, nullptr, uint32_t(-1));
        WaitPlayedOut(port);
        if (control & 4) {
            Ostrum_OneByOneBack(port);
            Ostrum_OneByOne(port);
            int w = 0, h = 0;
            if (Ostrum_GetPictureSize(port, &w, &h) && w > 0 && h > 0 && w <= 4096 && h <= 4096) {
                std::vector<uint8_t> image(size_t(w) * h * 4 + 4096);
                uint32_t got = 0;
                if (Ostrum_GetBMP(port, image.data(), uint32_t(image.size()), &got) && got > image.size())
                    __builtin_trap();
                Ostrum_GetJPEG(port, image.data(), uint32_t(image.size()), &got);
            }
            OSTRUM_FILE_TIME t;
            Ostrum_GetPlayedTime(port, &t);
            Ostrum_GetSpecialData(port);
        }
        Ostrum_Stop(port);
        Ostrum_CloseStream(port);
    }
    Ostrum_FreePort(port);
    return 0;
}
