// SPDX-License-Identifier: GPL-3.0-or-later
// Event and driver-behaviour records of a sample medium.
#include <algorithm>
#include <cstring>

#include "recmedia/media_plan.h"

namespace recmedia {

std::vector<merrowfen_disk::EventEntry> PlanEvents(uint32_t seed, const std::vector<PlannedRecording>& recordings) {
    std::vector<merrowfen_disk::EventEntry> out;
    static const uint16_t kEventMajors[] = {HD_EXTRA_MAJOR_EVENT_A, HD_EXTRA_MAJOR_EVENT_B, HD_EXTRA_MAJOR_EVENT_C};
    for (size_t i = 0; i < recordings.size(); ++i) {
        const PlannedRecording& r = recordings[i];
        uint32_t h = seed * 2246822519u ^ uint32_t(r.channel) * 3266489917u ^ r.start * 668265263u;
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        const uint32_t span = r.end > r.start ? r.end - r.start : 0;
        // Every third recording holds a driver-behaviour alarm, every fifth an
        // event; the first recording of the medium holds both kinds.
        const bool behaviour = i == 0 || h % 3 == 0;
        const bool event = i == 0 || (h >> 8) % 5 == 0;
        if (behaviour) {
            merrowfen_disk::EventEntry e;
            std::memset(&e, 0, sizeof e);
            e.start = r.start + (span > 10 ? (h >> 4) % (span - 5) : 0);
            e.end = std::min(r.end, e.start + 5);
            e.majorType = HD_EXTRA_MAJOR_DRIVER_BEHAVIOR;
            e.minorType = HD_EXTRA_MINOR_NORMAL;
            e.channel = uint16_t(r.channel);
            HD_DRIVER_BEHAVIOR_DATA d{};
            d.startTime = e.start;
            d.endTime = e.end;
            d.behaviorCode = 1 + (h >> 12) % 14;
            d.speed = 300 + (h >> 16) % 700;
            d.level = 1 + (h >> 20) % 3;
            e.dataLength = sizeof d;
            std::memcpy(e.data, &d, sizeof d);
            out.push_back(e);
        }
        if (event) {
            merrowfen_disk::EventEntry e;
            std::memset(&e, 0, sizeof e);
            e.start = r.start + (span > 4 ? (h >> 6) % (span / 2) : 0);
            e.end = std::min(r.end, e.start + 10);
            e.majorType = kEventMajors[(h >> 24) % 3];
            e.minorType = HD_EXTRA_MINOR_NORMAL;
            e.channel = uint16_t(r.channel);
            HD_EVENT_DATA d{};
            d.startTime = e.start;
            d.endTime = e.end;
            d.subType = 1 + (h >> 28) % 4;
            e.dataLength = sizeof d;
            std::memcpy(e.data, &d, sizeof d);
            out.push_back(e);
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const merrowfen_disk::EventEntry& a, const merrowfen_disk::EventEntry& b) { return a.start < b.start; });
    return out;
}

}  // namespace recmedia
