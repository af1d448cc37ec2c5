// SPDX-License-Identifier: GPL-3.0-or-later
#include "VehFind.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "Frame.h"
#include "TimeConv.h"
#include "pellomir/Pellomir.h"
#include "wincompat/drives.h"

namespace pellomir {
namespace {

uint32_t U32(const uint8_t* p, size_t offset)
{
    p += offset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t U16(const uint8_t* p, size_t offset)
{
    return static_cast<uint16_t>(p[offset] | (p[offset + 1] << 8));
}

class File {
public:
    explicit File(const std::string& path) : m_file(path.empty() ? nullptr : std::fopen(path.c_str(), "rb")) {}
    ~File()
    {
        if (m_file)
            std::fclose(m_file);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    FILE* get() const { return m_file; }
    explicit operator bool() const { return m_file != nullptr; }

private:
    FILE* m_file;
};

bool MarkerOpens(const std::string& drivePath)
{
    const std::string path = wincompat::MapPath(drivePath + "\\QORWS");
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    File f(path);
    return static_cast<bool>(f);
}

std::string PairFile(const std::string& drivePath, const char* base, int i)
{
    return wincompat::MapPath(drivePath + "/" + base + std::to_string(i) + ".veh");
}

}  // namespace

DVR_FILE_VEH_META_INFO MakeVehRecord(const uint8_t* segmentHeader, const uint8_t* segment, const uint8_t* item)
{
    DVR_FILE_VEH_META_INFO r;
    std::memset(&r, 0, sizeof(r));
    r.headerText[0] = static_cast<char>(segmentHeader[4]);
    r.flagE = 1;
    r.time = U32(item, 0);
    std::memcpy(r.text1, segment + 56, 32);
    std::memcpy(r.text2, segment + 88, 32);
    r.fileByte5 = item[5];
    r.fileByte6 = item[6];
    std::memcpy(r.segmentText1, segment + 760, 32);
    std::memcpy(r.segmentText2, segment + 792, 16);
    std::memcpy(r.segmentText3, segment + 824, 16);
    std::memcpy(r.segmentText4, segment + 856, 16);

    DVR_FILE_RUN_INFO& run = r.runInfo;
    run.gpsValid = U32(item, 208);
    run.longitude = U32(item, 212);
    run.latitude = U32(item, 216);
    run.longitudeHemisphere = static_cast<char>(item[220]);
    run.latitudeHemisphere = static_cast<char>(item[221]);
    run.locateMode = static_cast<char>(item[222]);
    run.satelliteCount = item[223];
    run.speed = U32(item, 224);
    run.heading = static_cast<int32_t>(U32(item, 228));
    run.gpsWord1 = U16(item, 232);
    run.gpsWord2 = U16(item, 234);
    run.gSensorScale = U32(item, 236);
    std::memcpy(run.gSensorX, item + 240, 20);
    std::memcpy(run.gSensorY, item + 260, 20);
    std::memcpy(run.gSensorZ, item + 280, 20);
    for (int i = 0; i < 3; ++i)
        run.gSensorExtra[1 + i] = static_cast<int16_t>(U16(item, 302 + 2 * i));
    std::memcpy(run.gSensorBlock, item + 308, 24);
    run.stateValid = U32(item, 332);
    run.stateWord = U32(item, 336);
    const uint32_t state = U32(item, 340);
    uint8_t* lights[5] = {&run.leftLight, &run.rightLight, &run.brake, &run.alarm, &run.reverse};
    for (int i = 0; i < 5; ++i)
        *lights[i] = (state >> i) & 1 ? 255 : 0;

    r.fileWord1 = U32(item, 28);
    r.fileWord2 = U32(item, 32);
    const uint32_t bits = U32(item, 36);
    for (int i = 0; i < 5; ++i)
        r.fileBits[i] = (bits >> i) & 1;
    std::memcpy(r.tailText, item + 176, 32);
    std::memcpy(r.itemBlock, item + 60, 116);
    return r;
}

void CVehResultList::Append(const DVR_FILE_VEH_META_INFO& record)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_records.push_back(record);
}

bool CVehResultList::Next(DVR_FILE_VEH_META_INFO* out)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const size_t next = m_started ? m_cursor + 1 : 0;
    if (next >= m_records.size()) {
        m_started = false;
        m_cursor = 0;
        return false;
    }
    m_started = true;
    m_cursor = next;
    *out = m_records[next];
    return true;
}

size_t CVehResultList::Count() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_records.size();
}

CVehFindMgr& CVehFindMgr::Instance()
{
    static CVehFindMgr table;
    return table;
}

int32_t CVehFindMgr::Allocate()
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (int32_t i = 0; i < kVehHandles; ++i) {
        if (!m_entries[i]) {
            m_entries[i] = std::make_shared<CVehResultList>();
            return i;
        }
    }
    return -1;
}

std::shared_ptr<CVehResultList> CVehFindMgr::Get(int32_t handle)
{
    if (handle < 0 || handle >= kVehHandles)
        return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries[handle];
}

int32_t CVehFindMgr::Release(int32_t handle)
{
    if (handle < 0 || handle >= kVehHandles)
        return -1;
    std::shared_ptr<CVehResultList> list;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_entries[handle])
            return -1;
        list.swap(m_entries[handle]);
    }
    return 0;  // the list goes when its last reader lets go of it
}

int CFindVehInfo::Find(const std::string& drivePath, int32_t start, int32_t end, CVehResultList* list)
{
    m_start = start;
    m_end = end;
    if (end < start || !list) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return 0;
    }
    if (!MarkerOpens(drivePath)) {
        SetLastErrorCode(DVR_FILE_ERR_OPEN);
        return 0;
    }
    int result = 0;
    for (int i = 1; i <= kVehFilePairs; ++i) {
        File items(PairFile(drivePath, "vehinfo", i));
        if (!items) {
            SetLastErrorCode(DVR_FILE_ERR_OPEN);
            continue;
        }
        File segments(PairFile(drivePath, "vehseg", i));
        if (!segments) {
            SetLastErrorCode(DVR_FILE_ERR_OPEN);
            continue;
        }
        if (ReadPair(items.get(), segments.get(), list))
            result = 1;
        else
            SetLastErrorCode(DVR_FILE_ERR_NO_MATCH);
    }
    return result;
}

bool CFindVehInfo::ReadPair(std::FILE* items, std::FILE* segments, CVehResultList* list)
{
    uint8_t header[kVehSegHeaderSize] = {};
    if (std::fseek(segments, 0, SEEK_SET) != 0 || std::fread(header, 1, sizeof(header), segments) != sizeof(header))
        return false;
    if (std::memcmp(header, "QZMT", 4) != 0 || header[6] != 0)
        return false;
    int32_t span1Start = 0, span1End = 0;
    if (!IntersectTimeRanges(m_start, m_end, static_cast<int32_t>(U32(header, 24)),
                             static_cast<int32_t>(U32(header, 28)), &span1Start, &span1End))
        return false;
    const uint32_t segmentCount = U32(header, 32);

    bool appended = false;
    std::vector<uint8_t> segment(kVehSegmentSize);
    std::vector<uint8_t> item(kVehItemSize);
    // Exactly the segments the header counts; a short read ends the file.
    for (uint32_t k = 0; k < segmentCount; ++k) {
        std::fill(segment.begin(), segment.end(), 0);
        if (std::fread(segment.data(), 1, segment.size(), segments) != segment.size())
            break;
        int32_t span2Start = 0, span2End = 0;
        if (!IntersectTimeRanges(span1Start, span1End, static_cast<int32_t>(U32(segment.data(), 0)),
                                 static_cast<int32_t>(U32(segment.data(), 4)), &span2Start, &span2End))
            continue;
        const uint64_t firstItem = U32(segment.data(), 28);
        const uint64_t lastItem = U32(segment.data(), 32);
        if (fseeko(items, static_cast<off_t>(firstItem), SEEK_SET) != 0)
            continue;
        // Items from the first up to and including the last; a short read
        // (end of the item file) ends the segment.
        for (uint64_t pos = firstItem; pos <= lastItem; pos += kVehItemSize) {
            std::fill(item.begin(), item.end(), 0);
            if (std::fread(item.data(), 1, item.size(), items) != item.size())
                break;
            const int32_t time = static_cast<int32_t>(U32(item.data(), 0));
            if (time < span2Start || time > span2End)
                continue;
            list->Append(MakeVehRecord(header, segment.data(), item.data()));
            appended = true;
        }
    }
    return appended;
}

}  // namespace pellomir

extern "C" {

int32_t DVR_FILE_FindVehDataEx(const char* drivePath, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end)
{
    using namespace pellomir;
    if (!drivePath || !start || !end) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return -1;
    }
    CVehFindMgr& table = CVehFindMgr::Instance();
    const int32_t handle = table.Allocate();
    if (handle < 0) {
        SetLastErrorCode(DVR_FILE_ERR_HANDLES);
        return -1;
    }
    const int found = Guarded(0, [&]() {
        std::shared_ptr<CVehResultList> list = table.Get(handle);
        CFindVehInfo finder;
        return finder.Find(drivePath, DvrTimeToSeconds(*start), DvrTimeToSeconds(*end), list.get());
    });
    if (found == 1)
        return handle;
    table.Release(handle);
    return -1;
}

int32_t DVR_FILE_FindVehData(char driveLetter, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end)
{
    const char path[3] = {driveLetter, ':', '\0'};
    return DVR_FILE_FindVehDataEx(path, start, end);
}

int32_t DVR_FILE_FindNextVeh(int32_t handle, DVR_FILE_VEH_META_INFO* record)
{
    using namespace pellomir;
    if (!record) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return 0;
    }
    std::shared_ptr<CVehResultList> list = CVehFindMgr::Instance().Get(handle);
    if (!list) {
        SetLastErrorCode(DVR_FILE_ERR_ORDER);
        return 0;
    }
    if (!list->Next(record)) {
        SetLastErrorCode(DVR_FILE_ERR_NO_MATCH);
        return 0;
    }
    return 1;
}

int32_t DVR_FILE_FindVehClose(int32_t handle)
{
    using namespace pellomir;
    if (CVehFindMgr::Instance().Release(handle) != 0) {
        SetLastErrorCode(DVR_FILE_ERR_ORDER);
        return 0;
    }
    return 1;
}

}  // extern "C"
