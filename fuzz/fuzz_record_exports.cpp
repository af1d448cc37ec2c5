// SPDX-License-Identifier: GPL-3.0-or-later
// Record exports of the disk library: copies of a recording by file (written
// as "<name>.part" until whole) and of a channel's span by time, and playback
// by file and by time (decoded without drawing) with its controls, over a
// medium made from the input.
//
// Input: pieces (see SplitPieces) control, first recording, second recording.
// Checked: a copy by file that leaves a file leaves the recording exactly as
// stored; a copy that said it was whole is kept; no ".part" file outlives a
// copy.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "fuzz_recording_disk.h"
#include "fuzz_support.h"
#include "pellomir/Pellomir.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

DVR_FILE_TIME Fields(uint32_t seconds) {
    const time_t t = time_t(seconds);
    struct tm tmv;
    gmtime_r(&t, &tmv);
    return DVR_FILE_TIME{tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec};
}

// Follows a copy up to its end (or its failure); true when it said 100.
bool FollowCopy(int32_t stream, bool stopEarly) {
    if (stopEarly) return false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const int32_t pos = DVR_FILE_GetPos(stream);
        if (pos == 100) return true;
        if (pos < 0 || std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A copy ends: stopped, then checked as its contract says. `saidWhole`: its
// position said 100 before the stop.
void EndCopy(int32_t stream, bool saidWhole, const std::string& out, const std::vector<uint8_t>* expected) {
    const int32_t stopped = DVR_FILE_Stop(stream);
    // No temporary file outlives the copy.
    const std::string folder = out.substr(0, out.rfind('/'));
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0) __builtin_trap();
        }
        ::closedir(dir);
    }
    if (Exists(out)) {
        if (expected && ReadAll(out) != *expected) __builtin_trap();   // not the recording as stored
    } else if (saidWhole && stopped) {
        __builtin_trap();   // a whole copy, stopped without an error, was not kept
    }
}

// Playback controls as the control bytes say, each followed by a short wait.
void Operate(int32_t stream, kelfuzz::Control* control, uint32_t start, uint32_t end) {
    const uint32_t span = end >= start ? end - start : 0;
    for (int i = 0; i < 6 && control->More(); ++i) {
        const uint8_t op = control->Byte();
        const uint8_t arg = control->Byte();
        switch (op % 10) {
        case 0: DVR_FILE_Pause(stream, arg & 1); break;
        case 1: DVR_FILE_OneByOne(stream); break;
        case 2: DVR_FILE_OneByOneBack(stream); break;
        case 3: DVR_FILE_SetPos(stream, arg % 110); break;
        case 4: {
            const DVR_FILE_TIME t = Fields(start + arg % (span + 4));
            DVR_FILE_SetPosByTime(stream, &t);
            break;
        }
        case 5: DVR_FILE_Reverse(stream, arg & 1); break;
        case 6: DVR_FILE_NormalPlay(stream); break;
        case 7:
            if (arg & 1)
                DVR_FILE_Fast(stream);
            else
                DVR_FILE_Slow(stream);
            break;
        case 8: {
            DVR_FILE_TIME t;
            DVR_FILE_GetOsdTime(stream, &t);
            DVR_FILE_GetPlayedTime(stream);
            DVR_FILE_GetTotalTime(stream);
            DVR_FILE_GetTotalFrames(stream);
            DVR_FILE_GetCurrentFrameNum(stream);
            int32_t w = 0, h = 0;
            DVR_FILE_GetPictureSize(stream, &w, &h);
            break;
        }
        default: DVR_FILE_GetPos(stream); break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(arg % 16));
    }
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
    const std::vector<uint8_t>& first = pieces[1].empty() ? pieces[2] : pieces[1];
    const uint8_t how = control.Byte();
    const std::string outDir = kelfuzz::CleanFolder("out");

    // Copy by file: the recording as stored, under "<name>.part" until whole.
    {
        const std::string out = outDir + "/copy.qrv";
        const int32_t h = DVR_FILE_CopyFile(disk.names[0].c_str(), out.c_str());
        if (h >= 0) {
            const bool whole = FollowCopy(h, how & 1);
            EndCopy(h, whole, out, first.size() < (size_t(64) << 20) ? &first : nullptr);
        } else if (Exists(out) || Exists(out + ".part")) {
            __builtin_trap();   // a copy that did not start left a file
        }
        kelfuzz::CleanFolder("out");
    }
    const uint32_t start = *std::min_element(disk.starts.begin(), disk.starts.end());
    const uint32_t end = *std::max_element(disk.ends.begin(), disk.ends.end());
    const DVR_FILE_TIME a = Fields(start + control.Byte() % 3), b = Fields(end - control.Byte() % 3);
    // Copy by time: one stream over the channel's recordings.
    {
        const std::string out = outDir + "/span.qrv";
        const int32_t h = DVR_FILE_CopyFileByTime("E", &a, &b, disk.channel, out.c_str());
        if (h >= 0) EndCopy(h, FollowCopy(h, how & 2), out, nullptr);
    }
    // Playback by file and by time, without a window.
    if (how & 4) {
        const int32_t h = DVR_FILE_Play(disk.names[0].c_str(), nullptr, (how & 8) ? "fuzzkey" : nullptr, 0);
        if (h >= 0) {
            Operate(h, &control, disk.starts[0], disk.ends[0]);
            DVR_FILE_Stop(h);
        }
    }
    if (how & 16) {
        const int32_t h = DVR_FILE_PlayFileByTime("E", &a, &b, disk.channel, nullptr);
        if (h >= 0) {
            Operate(h, &control, start, end);
            DVR_FILE_Stop(h);
        }
    }
    if (how & 32) {
        const int32_t h = DVR_FILE_ReversePlay(disk.names[0].c_str(), nullptr);
        if (h >= 0) {
            Operate(h, &control, disk.starts[0], disk.ends[0]);
            DVR_FILE_Stop(h);
        }
    }
    return 0;
}
