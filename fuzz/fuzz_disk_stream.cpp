// SPDX-License-Identifier: GPL-3.0-or-later
// Streams of the hard-disk library: a recording streamed whole
// (HD_FILE_GetStreamByFile) and a channel's span streamed over one or two
// recordings (HD_FILE_GetStreamByTime), moved while they run (HD_FILE_SetPos,
// HD_FILE_SetPosByTime), paused and played backwards
// (HD_FILE_SetStreamReversePlay), as the control bytes of the input say.
//
// Input: pieces (see SplitPieces) control, first recording, second recording.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "fuzz_recording_disk.h"
#include "fuzz_support.h"
#include "merrowfen.h"
#include "recstream/recstream.h"

namespace {

struct Collector {
    std::mutex m;
    std::condition_variable cv;
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;
    int headers = 0;
    bool ended = false;
    static void Callback(int, int type, unsigned char* bytes, int length, void* user) {
        auto* self = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> lock(self->m);
        if (type == HD_DATA_STREAM && !bytes && length == -1) {
            self->ended = true;
        } else if (type == HD_DATA_HEADER) {
            if (length != int(recstream::kHeaderSize)) __builtin_trap();
            ++self->headers;
            self->header.assign(bytes, bytes + length);
        } else {
            if (!bytes || length <= 0) __builtin_trap();
            if (self->data.size() < (size_t(8) << 20)) self->data.insert(self->data.end(), bytes, bytes + length);
        }
        self->cv.notify_all();
    }
    // Waits for the end of the stream (or a failure); false after a minute.
    bool WaitEnd(int handle) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::unique_lock<std::mutex> lock(m);
        while (!ended) {
            if (HD_FILE_GetPos(handle) == HD_POS_ERROR) return true;
            if (cv.wait_until(lock, std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(20)),
                              [&] { return ended; }))
                break;
            if (std::chrono::steady_clock::now() >= until) return false;
        }
        return true;
    }
};

HD_FILE_TIME Fields(uint32_t seconds) {
    const time_t t = time_t(seconds);
    struct tm tmv;
    gmtime_r(&t, &tmv);
    return HD_FILE_TIME{tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec};
}

// The moves the control bytes ask for, at most eight; true when any moved
// the stream.
bool Operate(int handle, kelfuzz::Control* control, uint32_t start, uint32_t end, Collector* c) {
    bool moved = false;
    const uint32_t span = end >= start ? end - start : 0;
    for (int i = 0; i < 8 && control->More(); ++i) {
        const uint8_t op = control->Byte();
        const uint8_t arg = control->Byte();
        switch (op % 8) {
        case 0: moved |= HD_FILE_SetPos(handle, arg % 110) == 1; break;
        case 1: {
            const HD_FILE_TIME t = Fields(start + arg % (span + 8) - 4);
            moved |= HD_FILE_SetPosByTime(handle, &t) == 1;
            break;
        }
        case 2: {
            const HD_FILE_TIME t = Fields(start + arg % (span + 4));
            if (arg & 1)
                moved |= HD_FILE_SetStreamReversePlay(handle, 1, 0, 0, 0, 0, 0, 0, 0) == 1;
            else
                moved |= HD_FILE_SetStreamReversePlay(handle, 1, t.year, t.month, t.day, t.hour, t.minute, t.second, 0) == 1;
            break;
        }
        case 3: {
            const HD_FILE_TIME t = Fields(start + arg % (span + 4));
            moved |= HD_FILE_SetStreamReversePlay(handle, 0, t.year, t.month, t.day, t.hour, t.minute, t.second, 0) == 1;
            break;
        }
        case 4:
            HD_FILE_GetStreamPause(handle, 1);
            HD_FILE_GetStreamPause(handle, 0);
            break;
        case 5: {
            uint32_t position = 0, length = 0;
            HD_FILE_GetFileLength(handle, &position, &length);
            HD_FILE_GetTotalTime(handle);
            HD_FILE_GetTotalFrame(handle);
            HD_FILE_TIME a, b;
            HD_FILE_GetPlayTimeRange(handle, &a, &b);
            break;
        }
        default: {
            // Let some blocks through before the next move.
            std::unique_lock<std::mutex> lock(c->m);
            const size_t have = c->data.size();
            c->cv.wait_for(lock, std::chrono::milliseconds(200),
                           [&] { return c->ended || c->data.size() >= have + size_t(arg) * 1024; });
            break;
        }
        }
    }
    return moved;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelfuzz::UseDriveE();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 3);
    kelfuzz::Control control(pieces[0]);
    const kelfuzz::RecordingDisk disk = kelfuzz::WriteRecordingDisk({pieces[1], pieces[2]}, &control);
    if (disk.paths.empty()) return 0;
    const uint8_t how = control.Byte();
    const int modes[3] = {HD_MODE_PLAY, HD_MODE_ENGINE, HD_MODE_COPY};
    const int mode = modes[how % 3];

    // By file: the whole recording, header first.
    {
        Collector c;
        const std::string& name = (how & 4) ? disk.names[0] : disk.paths[0];
        const int h = HD_FILE_GetStreamByFile(name.c_str(), mode, 0, &Collector::Callback, &c);
        if (h >= 0) {
            const bool moved = Operate(h, &control, disk.starts[0], disk.ends[0], &c);
            const bool ended = c.WaitEnd(h);
            const int pos = HD_FILE_GetPos(h);
            HD_FILE_Stop(h);
            if (!moved && ended && pos == HD_POS_END) {
                // Nothing moved the stream: it is the file as stored.
                const std::vector<uint8_t>& file = pieces[1].empty() ? pieces[2] : pieces[1];
                if (file.size() < (size_t(8) << 20) && c.headers != 1 || c.header != std::vector<uint8_t>(file.begin(), file.begin() + 40) ||
                    c.data != std::vector<uint8_t>(file.begin() + 40, file.end()))
                    __builtin_trap();
            }
        }
    }
    // By time: the channel's span over the disk, from the letter or the folder.
    {
        Collector c;
        const uint32_t start = *std::min_element(disk.starts.begin(), disk.starts.end());
        const uint32_t end = *std::max_element(disk.ends.begin(), disk.ends.end());
        const uint32_t from = start + control.Byte() % 4;
        const uint32_t to = std::max(from, end - control.Byte() % 4);
        const HD_FILE_TIME a = Fields(from), b = Fields(to);
        const char* paths[3] = {(how & 8) ? "E:" : disk.root.c_str(), (how & 16) ? "E:\\" : nullptr, nullptr};
        const int h = HD_FILE_GetStreamByTime(paths, &a, &b, disk.channel, mode, &Collector::Callback, &c);
        if (h >= 0) {
            Operate(h, &control, from, to, &c);
            c.WaitEnd(h);
            HD_FILE_Stop(h);
        }
    }
    return 0;
}
