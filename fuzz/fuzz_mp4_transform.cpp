// SPDX-License-Identifier: GPL-3.0-or-later
// The stream transform library: a recorder stream (its 40-byte header, then
// the program stream) turned into an .mp4 file, as the downloads convert
// recordings. The file it hands out is then opened by the player library.
//
// Input: one control byte (bit 0: the recorder key is set, the rest: the
// piece size of the input), the 40-byte header, then the stream.
// Checked: a transform that ends without an error hands out exactly one head
// record, and its file opens as a converted file.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "fallowin.h"
#include "fuzz_support.h"
#include "vintrel.h"

namespace {

struct Collector {
    std::mutex m;
    std::vector<uint8_t> head, body;
    int heads = 0;
    static void Callback(DREBEN_DETAIL_DATA* d, void* user) {
        auto* self = static_cast<Collector*>(user);
        if (!d) return;
        std::lock_guard<std::mutex> lock(self->m);
        if (d->dataLength > 0 && !d->data) __builtin_trap();
        if (d->isFileHead) {
            ++self->heads;
            self->head.assign(d->data, d->data + d->dataLength);
        } else if (d->dataType == DREBEN_DATA_BODY && self->body.size() < (size_t(64) << 20)) {
            self->body.insert(self->body.end(), d->data, d->data + d->dataLength);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 + 40) return 0;
    const uint8_t control = data[0];
    const uint8_t* header = data + 1;
    const uint8_t* stream = data + 41;
    const size_t streamSize = size - 41;
    const size_t piece = 1 + (size_t(control >> 1) * 1031) % 65536;

    DREBEN_CREATE_PARAM param{};
    param.header = header;
    param.headerSize = 40;
    param.targetType = DREBEN_TARGET_MP4;
    DREBEN_HANDLE h = nullptr;
    if (DREBEN_Create(&h, &param) != DREBEN_OK) return 0;
    if (control & 1) DREBEN_SetEncryptKey(h, DREBEN_KEY_RECORDER, "fuzzkey", 7 * 8);
    Collector out;
    DREBEN_RegisterDetailDataCallBack(h, &Collector::Callback, &out);
    if (DREBEN_Start(h, nullptr, nullptr) == DREBEN_OK) {
        bool fed = true;
        for (size_t at = 0; at < streamSize && fed; at += piece)
            fed = DREBEN_InputData(h, DREBEN_INPUT_STREAM, stream + at, uint32_t(std::min(piece, streamSize - at))) ==
                  DREBEN_OK;
        const DREBEN_STATUS st = DREBEN_Stop(h);
        if (fed && st == DREBEN_OK) {
            if (out.heads != 1) __builtin_trap();
            // The file as a download writes it: the head, then the body.
            const std::string path = kelfuzz::ScratchDir() + "/converted.mp4";
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (f) {
                std::fwrite(out.head.data(), 1, out.head.size(), f);
                std::fwrite(out.body.data(), 1, out.body.size(), f);
                std::fclose(f);
                int port = -1;
                if (out.body.size() < (size_t(64) << 20) && Ostrum_GetPort(&port)) {
                    if (!Ostrum_OpenFile(port, path.c_str())) __builtin_trap();   // a file of ours that does not open
                    Ostrum_CloseFile(port);
                    Ostrum_FreePort(port);
                }
            }
        }
    }
    DREBEN_Release(h);
    return 0;
}
