// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz_recording_disk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "fuzz_support.h"
#include "merrowfen_disk.h"
#include "recstream/recstream.h"

namespace kelfuzz {

namespace {

std::string DayOf(uint32_t seconds) {
    const time_t t = time_t(seconds);
    struct tm tmv;
    gmtime_r(&t, &tmv);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday);
    return text;
}

}  // namespace

RecordingDisk WriteRecordingDisk(const std::vector<std::vector<uint8_t>>& recordings, Control* control) {
    RecordingDisk disk;
    disk.root = CleanFolder("disk");
    const std::string marker = DiskMarkerText(2, 1 + (control->Byte() & 1));
    WriteFile(disk.root + "/" + merrowfen_disk::kMarkerName, marker.data(), marker.size());
    disk.channel = uint16_t(1 + control->Byte() % 4);

    // The day of the first recording's header (2024-03-01 when it has none).
    uint32_t dayStart = 1709251200;
    for (const auto& r : recordings) {
        recstream::StreamHeader h;
        if (recstream::ParseHeader(r.data(), r.size(), &h) && h.startTime >= 86400) {
            dayStart = h.startTime - h.startTime % 86400;
            break;
        }
    }
    disk.day = DayOf(dayStart);
    const std::string folder = disk.root + "/" + merrowfen_disk::kRecordDir + "/" + disk.day;

    std::vector<merrowfen_disk::DayIndexEntry> entries;
    for (size_t i = 0; i < recordings.size(); ++i) {
        const std::vector<uint8_t>& bytes = recordings[i];
        // Two control bytes per recording, whether it is there or not.
        const uint8_t skew = control->Byte();
        const uint8_t recordType = control->Byte();
        if (bytes.empty()) continue;
        char name[44];
        std::snprintf(name, sizeof name, "ch%02u_%zu.qrv", unsigned(disk.channel), i);
        const std::string path = folder + "/" + name;
        WriteFile(path, bytes);
        uint32_t start = dayStart + 3600 * uint32_t(i + 1), end = start + 4;
        recstream::FileInfo info;
        if (recstream::ReadFileInfo(path, &info)) {
            start = info.firstTime;
            end = std::max(info.firstTime, info.lastTime);
        }
        // Spans that do not fit what the recording holds, now and then.
        if (skew & 0x80) start += uint32_t(skew & 7) - 3;
        if (skew & 0x40) end += uint32_t((skew >> 3) & 7) - 3;
        merrowfen_disk::DayIndexEntry e{};
        e.start = start;
        e.end = end;
        e.size = uint32_t(bytes.size());
        e.recordType = recordType % 12;
        e.channel = disk.channel;
        e.fileType = HD_FILE_TYPE_NORMAL;
        recstream::StreamHeader h;
        e.flags = recstream::ParseHeader(bytes.data(), bytes.size(), &h) && (h.flags & recstream::kFlagEnciphered) ? 1 : 0;
        std::memcpy(e.name, name, std::strlen(name));
        entries.push_back(e);
        disk.paths.push_back(path);
        disk.names.push_back(std::string("E:\\") + merrowfen_disk::kRecordDir + "\\" + disk.day + "\\" + name);
        disk.starts.push_back(start);
        disk.ends.push_back(end);
    }

    merrowfen_disk::TableHeader header{};
    std::memcpy(header.magic, merrowfen_disk::kDayIndexMagic, 4);
    header.version = merrowfen_disk::kFormatVersion;
    header.entrySize = sizeof(merrowfen_disk::DayIndexEntry);
    header.count = uint32_t(entries.size());
    header.tag = uint32_t(std::stoul(disk.day));
    std::vector<uint8_t> table(sizeof header + entries.size() * sizeof(merrowfen_disk::DayIndexEntry));
    std::memcpy(table.data(), &header, sizeof header);
    if (!entries.empty()) std::memcpy(table.data() + sizeof header, entries.data(), entries.size() * sizeof entries[0]);
    FixTableChecksum(&table);
    WriteFile(folder + "/" + merrowfen_disk::kDayIndexName, table);
    return disk;
}

}  // namespace kelfuzz
