// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Vehicle-data files reader: collects the vehicle-data items of a time span
// from the recorder's "vehinfo<i>.veh"/"vehseg<i>.veh" pairs into a result
// list, handed out record by record through a handle.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "pellomir/PellomirTypes.h"

namespace pellomir {

constexpr size_t kVehSegHeaderSize = 512;
constexpr size_t kVehSegmentSize = 1536;
constexpr size_t kVehItemSize = 512;
constexpr int kVehFilePairs = 5;
constexpr int kVehHandles = 128;

// The records of one search and the cursor over them.
class CVehResultList {
public:
    void Append(const DVR_FILE_VEH_META_INFO& record);
    // Copies the record after the cursor (the first one after a fresh start)
    // and moves on; false at the end, after which the cursor starts over.
    bool Next(DVR_FILE_VEH_META_INFO* out);
    size_t Count() const;

private:
    mutable std::mutex m_lock;
    std::vector<DVR_FILE_VEH_META_INFO> m_records;
    size_t m_cursor = 0;   // index of the next record; 0 = start over
    bool m_started = false;
};

// The handle table. Lists are shared, so a handle closed on one thread never
// frees a list that another thread is reading at that moment.
class CVehFindMgr {
public:
    static CVehFindMgr& Instance();

    // The first free handle with a new empty list, or -1 when all are in use.
    int32_t Allocate();
    std::shared_ptr<CVehResultList> Get(int32_t handle);
    // 0, or -1 for a handle outside 0..127 or not in use.
    int32_t Release(int32_t handle);

private:
    std::mutex m_lock;
    std::array<std::shared_ptr<CVehResultList>, kVehHandles> m_entries;
};

class CFindInfoBase {
public:
    virtual ~CFindInfoBase() = default;
};

class CFindVehInfo : public CFindInfoBase {
public:
    // Fills `list` with the records of [start, end] (seconds, recorder clock
    // as UTC) from the drive's file pairs; 1 when at least one pair gave
    // records, else 0 with the last error set.
    int Find(const std::string& drivePath, int32_t start, int32_t end, CVehResultList* list);

private:
    // Records of one pair; false when nothing was appended.
    bool ReadPair(std::FILE* items, std::FILE* segments, CVehResultList* list);

    int32_t m_start = 0;
    int32_t m_end = 0;
};

// The record made from one item of a pair (field mapping of the files).
DVR_FILE_VEH_META_INFO MakeVehRecord(const uint8_t* segmentHeader, const uint8_t* segment, const uint8_t* item);

}  // namespace pellomir
