// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small generated recordings for the direct-reader and player tests: a stream
// header and one pack per video frame, with filler payloads.
#include "recstream/recstream.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace rbs_test {

// Recorder seconds of a civil time.
inline uint32_t Civil(int y, int mo, int d, int h, int mi, int s) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<uint32_t>(timegm(&t));
}

// "YYYYmmddHHMMSS" of recorder seconds.
inline std::string TimeText(uint32_t t) {
    time_t v = t;
    struct tm tmv;
    gmtime_r(&v, &tmv);
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%04d%02d%02d%02d%02d%02d", tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday,
                  tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
    return buf;
}

// Writes `seconds` seconds of `fps` frames, each `frameBytes` long, starting
// at recorder second `start`. A key frame opens every second.
inline bool WriteRecording(const std::string& path, uint32_t start, uint32_t seconds, int fps = 5,
                           size_t frameBytes = 3000, int channel = 1) {
    recstream::StreamHeader h = recstream::MakeHeader();
    h.videoCodec = recstream::kVideoH264;
    h.channel = static_cast<uint8_t>(channel);
    h.width = 352;
    h.height = 288;
    h.frameRate = static_cast<uint16_t>(fps);
    h.startTime = start;
    recstream::StreamWriter w;
    if (!w.Open(path, h)) return false;
    std::vector<uint8_t> payload(frameBytes);
    for (uint32_t f = 0; f < seconds * static_cast<uint32_t>(fps); ++f) {
        for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(0x41 + (f + i) % 50);
        uint64_t pts = static_cast<uint64_t>(f) * 90000 / static_cast<uint64_t>(fps);
        if (!w.WriteVideo(pts, f % static_cast<uint32_t>(fps) == 0, payload.data(), payload.size())) return false;
    }
    return w.Close();
}

inline std::vector<char> ReadAll(const std::string& path) {
    std::vector<char> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

}  // namespace rbs_test
