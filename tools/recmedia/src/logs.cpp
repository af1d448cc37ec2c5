// SPDX-License-Identifier: GPL-3.0-or-later
// The device log of a sample medium.
#include <cstring>

#include "recmedia/disk_writer.h"
#include "recmedia/media_plan.h"

namespace recmedia {

namespace {
struct LogKind {
    uint32_t major;
    uint32_t minor;
    bool perChannel;
    bool remote;
};
// Alarm, exception, operation and information records.
const LogKind kKinds[] = {
    {1, 3, true, false},   {1, 4, true, false},    {2, 33, true, false},  {3, 80, false, false},
    {3, 112, false, true}, {3, 84, true, false},   {4, 163, true, false}, {4, 164, true, false},
    {2, 35, false, false}, {3, 113, false, true},
};

void Put(char* dst, size_t capacity, const char* text) {
    std::memset(dst, 0, capacity);
    std::strncpy(dst, text, capacity - 1);
}
}  // namespace

std::vector<HD_LOG_RECORD> PlanDeviceLog(uint32_t seed, uint32_t firstDay, int days, int channels) {
    std::vector<HD_LOG_RECORD> out;
    uint32_t x = seed * 747796405u + 2891336453u;
    auto next = [&x]() {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int d = 0; d < days; ++d) {
        const uint32_t dayStart = firstDay + uint32_t(d) * 86400;
        for (const LogKind& k : kKinds) {
            const int count = k.perChannel ? channels : 1;
            for (int c = 1; c <= count; ++c) {
                HD_LOG_RECORD r;
                std::memset(&r, 0, sizeof r);
                const uint32_t t = dayStart + 6 * 3600 + next() % (14 * 3600);
                Put(r.time, sizeof r.time, Text14(t).c_str());
                r.majorType = k.major;
                r.minorType = k.minor;
                Put(r.localUser, sizeof r.localUser, k.remote ? "" : "admin");
                Put(r.remoteUser, sizeof r.remoteUser, k.remote ? "operator" : "");
                r.remoteHost = k.remote ? (192u << 24 | 168u << 16 | 1u << 8 | (10u + uint32_t(d % 200))) : 0;
                r.paramType = k.remote ? 'R' : 0;
                r.channel = uint8_t(k.perChannel ? c : 0);
                r.diskNumber = k.major == 2 && k.minor == 35 ? 1 : 0;
                r.alarmIn = 0;
                r.alarmOut = 0;
                out.push_back(r);
            }
        }
    }
    return out;
}

}  // namespace recmedia
