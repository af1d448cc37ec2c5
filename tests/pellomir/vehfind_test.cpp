// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <cstring>
#include <fstream>
#include <thread>

#include "Frame.h"
#include "VehFind.h"
#include "pellomir/Pellomir.h"
#include "pellomir_fixture.h"
#include "recmedia/vehicle_files.h"

namespace {

constexpr uint32_t kStart = 1521104400;  // 2018-03-15 09:00:00 recorder time

DVR_FILE_TIME At(uint32_t seconds)
{
    const time_t t = seconds;
    struct tm b;
    gmtime_r(&t, &b);
    return DVR_FILE_TIME{b.tm_year + 1900, b.tm_mon + 1, b.tm_mday, b.tm_hour, b.tm_min, b.tm_sec};
}

std::vector<recmedia::TrackSample> Samples(uint32_t start, int count)
{
    std::vector<recmedia::TrackSample> samples;
    for (int i = 0; i < count; ++i) {
        recmedia::TrackSample s;
        s.time = start + static_cast<uint32_t>(i);
        s.latitude = -33.5 - i * 0.001;
        s.longitude = 151.25 + i * 0.001;
        s.speedKmh = 40 + i;
        s.headingDeg = (i == 1) ? -1 : 90.5;
        s.satellites = 9;
        s.gScale = 1000;
        for (int k = 0; k < 10; ++k) {
            s.gx[k] = static_cast<int16_t>(k - 5);
            s.gy[k] = static_cast<int16_t>(100 + k);
            s.gz[k] = static_cast<int16_t>(-1000 + k);
        }
        s.leftLight = true;
        s.brake = (i % 2) == 0;
        s.reverse = true;
        samples.push_back(s);
    }
    return samples;
}

int32_t Find(const char* drive, uint32_t from, uint32_t to)
{
    const DVR_FILE_TIME s = At(from), e = At(to);
    return DVR_FILE_FindVehDataEx(drive, &s, &e);
}

std::vector<DVR_FILE_VEH_META_INFO> All(int32_t handle)
{
    std::vector<DVR_FILE_VEH_META_INFO> records;
    DVR_FILE_VEH_META_INFO r;
    while (DVR_FILE_FindNextVeh(handle, &r) == 1)
        records.push_back(r);
    return records;
}

void Patch32(const std::string& path, long offset, uint32_t value)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.write(reinterpret_cast<const char*>(&value), 4);
}

}  // namespace

TEST(PellomirVehicleData, FieldMappingOfOneItem)
{
    TestDrives drives("E");
    recmedia::VehicleFileOptions options;
    options.headerByte = 0x42;
    options.itemsPerSegment = 2;
    ASSERT_TRUE(recmedia::WriteVehicleFiles(drives.Root('E'), 1, Samples(kStart, 5), options));
    const int32_t h = Find("E:", kStart + 1, kStart + 1);  // equal start and end: exactly that second
    ASSERT_GE(h, 0);
    const std::vector<DVR_FILE_VEH_META_INFO> records = All(h);
    ASSERT_EQ(records.size(), 1u);
    const DVR_FILE_VEH_META_INFO& r = records[0];
    EXPECT_EQ(r.headerText[0], 0x42);
    EXPECT_EQ(r.headerText[1], 0);
    EXPECT_EQ(r.flagE, 1u);
    EXPECT_EQ(r.time, kStart + 1);
    EXPECT_STREQ(r.text1, "QRS-DEMO");
    EXPECT_STREQ(r.text2, "DRIVER-01");
    EXPECT_EQ(r.fileByte5, 1u);
    EXPECT_EQ(r.fileByte6, 1u);
    EXPECT_STREQ(r.segmentText1, "KEL-0001");
    EXPECT_EQ(std::string(r.segmentText2), "SITE-A");
    EXPECT_EQ(std::string(r.segmentText4), "FLEET-7");
    const DVR_FILE_RUN_INFO& g = r.runInfo;
    EXPECT_EQ(g.gpsValid, 1u);
    EXPECT_EQ(g.longitude, 54450360u);  // 151.251 degrees
    EXPECT_EQ(g.latitude, 12060360u);   // 33.501 degrees
    EXPECT_EQ(g.longitudeHemisphere, 'E');
    EXPECT_EQ(g.latitudeHemisphere, 'S');
    EXPECT_EQ(g.locateMode, 'A');
    EXPECT_EQ(g.satelliteCount, 9);
    EXPECT_EQ(g.speed, 4100000u);
    EXPECT_EQ(g.heading, -1);
    EXPECT_EQ(g.gSensorScale, 1000u);
    EXPECT_EQ(g.gSensorX[0], -5);
    EXPECT_EQ(g.gSensorY[9], 109);
    EXPECT_EQ(g.gSensorZ[3], -997);
    EXPECT_EQ(g.gSensorExtra[0], 0);
    EXPECT_EQ(g.stateValid, 1u);
    EXPECT_EQ(g.leftLight, 255);
    EXPECT_EQ(g.rightLight, 0);
    EXPECT_EQ(g.brake, 0);
    EXPECT_EQ(g.reverse, 255);
    EXPECT_EQ(r.fileBits[0], 1);
    EXPECT_EQ(r.fileBits[1], 1);
    EXPECT_EQ(r.fileBits[2], 0);
    EXPECT_STREQ(r.tailText, "TRACK");
    // The record equals the mapping of the item the writer made.
    const std::vector<uint8_t> item = recmedia::MakeVehicleItem(Samples(kStart, 2)[1]);
    std::vector<uint8_t> header(512, 0), segment(1536, 0);
    header[4] = 0x42;
    std::memcpy(segment.data() + 56, "QRS-DEMO", 8);
    std::memcpy(segment.data() + 88, "DRIVER-01", 9);
    std::memcpy(segment.data() + 760, "KEL-0001", 8);
    std::memcpy(segment.data() + 792, "SITE-A", 6);
    std::memcpy(segment.data() + 824, "ROUTE-1", 7);
    std::memcpy(segment.data() + 856, "FLEET-7", 7);
    const DVR_FILE_VEH_META_INFO mapped = pellomir::MakeVehRecord(header.data(), segment.data(), item.data());
    EXPECT_EQ(std::memcmp(&mapped, &r, sizeof(r)), 0);
    EXPECT_EQ(DVR_FILE_FindVehClose(h), 1);
}

TEST(PellomirVehicleData, SpanCursorAndPairs)
{
    TestDrives drives("E");
    recmedia::VehicleFileOptions options;
    options.itemsPerSegment = 7;
    ASSERT_TRUE(recmedia::WriteVehicleFiles(drives.Root('E'), 1, Samples(kStart, 30), options));
    ASSERT_TRUE(recmedia::WriteVehicleFiles(drives.Root('E'), 3, Samples(kStart + 100, 10), options));

    const int32_t h = DVR_FILE_FindVehData('E', &static_cast<const DVR_FILE_TIME&>(At(kStart + 5)),
                                           &static_cast<const DVR_FILE_TIME&>(At(kStart + 104)));
    ASSERT_GE(h, 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN);  // pairs 2, 4 and 5 are missing
    const std::vector<DVR_FILE_VEH_META_INFO> records = All(h);
    ASSERT_EQ(records.size(), 25u + 5u);
    EXPECT_EQ(records.front().time, kStart + 5);
    EXPECT_EQ(records.back().time, kStart + 104);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_NO_MATCH);  // past the last record
    DVR_FILE_VEH_META_INFO again;
    ASSERT_EQ(DVR_FILE_FindNextVeh(h, &again), 1);  // starts over
    EXPECT_EQ(again.time, kStart + 5);
    EXPECT_EQ(DVR_FILE_FindNextVeh(h, nullptr), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    EXPECT_EQ(DVR_FILE_FindVehClose(h), 1);
    EXPECT_EQ(DVR_FILE_FindVehClose(h), 0);

    // End one second before start; nothing in the span; no marker.
    EXPECT_EQ(Find("E:", kStart + 10, kStart + 9), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    EXPECT_EQ(Find("E:", kStart + 1000, kStart + 2000), -1);
    QFile::remove(QString::fromStdString(drives.Root('E') + "/QORWS"));
    EXPECT_EQ(Find("E:", kStart, kStart + 10), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN);
    // A failed search leaves no handle in use: all 128 can still be taken.
    drives.WriteMarker('E', 1);
    std::vector<int32_t> handles;
    for (int i = 0; i < DVR_FILE_MAX_VEH_FINDS; ++i)
        handles.push_back(Find("E:", kStart, kStart));
    EXPECT_EQ(handles.front(), 0);
    EXPECT_EQ(handles.back(), 127);
    for (int32_t hh : handles)
        EXPECT_EQ(DVR_FILE_FindVehClose(hh), 1);
}

TEST(PellomirVehicleData, HandleTableLimits)
{
    TestDrives drives("E");
    ASSERT_TRUE(recmedia::WriteVehicleFiles(drives.Root('E'), 1, Samples(kStart, 3)));
    DVR_FILE_VEH_META_INFO r;
    for (int32_t bad : {-1, 128, 1000}) {
        pellomir::SetLastErrorCode(0);
        EXPECT_EQ(DVR_FILE_FindNextVeh(bad, &r), 0);
        EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_ORDER);
        pellomir::SetLastErrorCode(0);
        EXPECT_EQ(DVR_FILE_FindVehClose(bad), 0);
        EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_ORDER);
    }
    std::vector<int32_t> handles;
    for (int i = 0; i < DVR_FILE_MAX_VEH_FINDS; ++i) {
        handles.push_back(Find("E:", kStart, kStart + 2));
        ASSERT_EQ(handles.back(), i);
    }
    EXPECT_EQ(Find("E:", kStart, kStart + 2), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HANDLES);
    EXPECT_EQ(DVR_FILE_FindVehClose(57), 1);
    EXPECT_EQ(Find("E:", kStart, kStart + 2), 57);
    for (int32_t h : handles)
        EXPECT_EQ(DVR_FILE_FindVehClose(h), 1);

    // A list being read on one thread survives a close on another.
    const int32_t h = Find("E:", kStart, kStart + 2);
    ASSERT_GE(h, 0);
    std::shared_ptr<pellomir::CVehResultList> list = pellomir::CVehFindMgr::Instance().Get(h);
    std::thread closer([h] { DVR_FILE_FindVehClose(h); });
    closer.join();
    EXPECT_EQ(list->Count(), 3u);
    EXPECT_TRUE(list->Next(&r));
}

// Damaged files: each case must end (no endless loop at the end of a file)
// without reading outside the buffers.
TEST(PellomirVehicleData, DamagedFiles)
{
    struct Case {
        const char* name;
        void (*damage)(const std::string& root);
        size_t records;
    };
    const Case cases[] = {
        {"header byte 6 set", [](const std::string& r) { Patch32(r + "/vehseg1.veh", 4, 0x00010000); }, 0},
        {"bad magic", [](const std::string& r) { Patch32(r + "/vehseg1.veh", 0, 0x544D5A52); }, 0},
        {"segment count huge", [](const std::string& r) { Patch32(r + "/vehseg1.veh", 32, 0xFFFFFFFFu); }, 10},
        {"last item beyond the file",
         [](const std::string& r) { Patch32(r + "/vehseg1.veh", 512 + 1536 + 32, 0xFFFFFF00u); }, 10},
        {"last item before the first",
         [](const std::string& r) { Patch32(r + "/vehseg1.veh", 512 + 32, 0); }, 6},
        {"first item beyond the file",
         [](const std::string& r) { Patch32(r + "/vehseg1.veh", 512 + 28, 0x7FFFFFFF); }, 5},
        {"truncated segment file",
         [](const std::string& r) { ASSERT_EQ(truncate((r + "/vehseg1.veh").c_str(), 512 + 1536 + 100), 0); }, 5},
        {"truncated item file",
         [](const std::string& r) { ASSERT_EQ(truncate((r + "/vehinfo1.veh").c_str(), 512 * 7 + 3), 0); }, 7},
        {"header cut", [](const std::string& r) { ASSERT_EQ(truncate((r + "/vehseg1.veh").c_str(), 100), 0); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDrives drives("E");
        recmedia::VehicleFileOptions options;
        options.itemsPerSegment = 5;
        ASSERT_TRUE(recmedia::WriteVehicleFiles(drives.Root('E'), 1, Samples(kStart, 10), options));
        c.damage(drives.Root('E'));
        const int32_t h = Find("E:", kStart, kStart + 100);
        if (c.records == 0) {
            EXPECT_EQ(h, -1);
            continue;
        }
        ASSERT_GE(h, 0);
        EXPECT_EQ(All(h).size(), c.records);
        DVR_FILE_FindVehClose(h);
    }
}
