// SPDX-License-Identifier: GPL-3.0-or-later
#include "recmedia/vehicle_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace recmedia {
namespace {

void Put32(uint8_t* b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(uint8_t* b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutText(uint8_t* b, size_t at, size_t width, const std::string& text)
{
    std::memcpy(b + at, text.data(), text.size() < width ? text.size() : width);
}

// Degrees as 1/360000 degree.
uint32_t Angle(double degrees)
{
    return static_cast<uint32_t>(std::lround(std::fabs(degrees) * 360000.0));
}

uint32_t StateBits(const TrackSample& s)
{
    return (s.leftLight ? 1u : 0u) | (s.rightLight ? 2u : 0u) | (s.brake ? 4u : 0u) | (s.alarm ? 8u : 0u) |
           (s.reverse ? 16u : 0u);
}

}  // namespace

std::vector<uint8_t> MakeVehicleItem(const TrackSample& s)
{
    std::vector<uint8_t> item(kVehItemBytes, 0);
    uint8_t* b = item.data();
    Put32(b, 0, s.time);
    b[5] = 1;                                      // one sample per second
    b[6] = s.gpsValid ? 1 : 0;
    Put32(b, 28, static_cast<uint32_t>(std::lround(s.speedKmh * 10.0)));  // 1/10 km/h
    Put32(b, 32, static_cast<uint32_t>(s.satellites));
    Put32(b, 36, (s.gpsValid ? 1u : 0u) | (s.gScale ? 2u : 0u) | (s.brake ? 4u : 0u));
    PutText(b, 176, 32, "TRACK");
    Put32(b, 208, s.gpsValid ? 1 : 0);
    if (s.gpsValid) {
        Put32(b, 212, Angle(s.longitude));
        Put32(b, 216, Angle(s.latitude));
        b[220] = s.longitude < 0 ? 'W' : 'E';
        b[221] = s.latitude < 0 ? 'S' : 'N';
        b[222] = static_cast<uint8_t>(s.locateMode);
        b[223] = static_cast<uint8_t>(s.satellites);
        Put32(b, 224, static_cast<uint32_t>(std::lround(s.speedKmh * 100000.0)));
        Put32(b, 228, s.headingDeg < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(std::lround(s.headingDeg * 100.0)));
    }
    Put32(b, 236, static_cast<uint32_t>(s.gScale));
    for (int k = 0; k < 10; ++k) {
        Put16(b, 240 + 2 * k, static_cast<uint16_t>(s.gx[k]));
        Put16(b, 260 + 2 * k, static_cast<uint16_t>(s.gy[k]));
        Put16(b, 280 + 2 * k, static_cast<uint16_t>(s.gz[k]));
    }
    Put32(b, 332, 1);
    Put32(b, 336, StateBits(s));
    Put32(b, 340, StateBits(s));
    return item;
}

bool WriteVehicleFiles(const std::string& root, int index, const std::vector<TrackSample>& samples,
                       const VehicleFileOptions& options)
{
    if (index < 1 || index > 5)
        return false;
    const uint32_t perSegment = options.itemsPerSegment ? options.itemsPerSegment : 60;
    const size_t count = samples.size();
    const size_t segments = (count + perSegment - 1) / perSegment;

    std::vector<uint8_t> items;
    items.reserve(count * kVehItemBytes);
    for (const TrackSample& s : samples) {
        const std::vector<uint8_t> item = MakeVehicleItem(s);
        items.insert(items.end(), item.begin(), item.end());
    }

    std::vector<uint8_t> seg(kVehSegHeaderBytes + segments * kVehSegmentBytes, 0);
    uint8_t* h = seg.data();
    std::memcpy(h, "QZMT", 4);
    h[4] = options.headerByte;
    h[6] = 0;
    Put32(h, 24, count ? samples.front().time : 0);
    Put32(h, 28, count ? samples.back().time : 0);
    Put32(h, 32, static_cast<uint32_t>(segments));
    for (size_t k = 0; k < segments; ++k) {
        uint8_t* s = h + kVehSegHeaderBytes + k * kVehSegmentBytes;
        const size_t first = k * perSegment;
        const size_t last = std::min(count, first + perSegment) - 1;
        Put32(s, 0, samples[first].time);
        Put32(s, 4, samples[last].time);
        Put32(s, 28, static_cast<uint32_t>(first * kVehItemBytes));
        Put32(s, 32, static_cast<uint32_t>(last * kVehItemBytes));
        PutText(s, 56, 32, options.deviceText);
        PutText(s, 88, 32, options.driverText);
        PutText(s, 760, 32, options.plateText);
        PutText(s, 792, 16, options.segmentTexts[0]);
        PutText(s, 824, 16, options.segmentTexts[1]);
        PutText(s, 856, 16, options.segmentTexts[2]);
    }

    const std::string suffix = std::to_string(index) + ".veh";
    std::ofstream itemFile(root + "/vehinfo" + suffix, std::ios::binary | std::ios::trunc);
    itemFile.write(reinterpret_cast<const char*>(items.data()), static_cast<std::streamsize>(items.size()));
    std::ofstream segFile(root + "/vehseg" + suffix, std::ios::binary | std::ios::trunc);
    segFile.write(reinterpret_cast<const char*>(seg.data()), static_cast<std::streamsize>(seg.size()));
    return static_cast<bool>(itemFile) && static_cast<bool>(segFile);
}

}  // namespace recmedia
