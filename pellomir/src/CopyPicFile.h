// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture copy: copies the pictures of one channel and time span out of a
// recorder drive's picture index into a folder as JPEG files.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TimeConv.h"
#include "pellomir/Pellomir.h"

namespace pellomir {

constexpr size_t kMaxPathLength = 260;

// The fields of an index entry that the copy reads (both versions).
struct PicEntryInfo {
    uint8_t type = 0;
    uint32_t startTime = 0;
    uint32_t endTime = 0;
    uint32_t dataStart = 0;
    uint32_t dataEnd = 0;
};

// One picture copied.
struct CopiedPicture {
    std::string name;
    int32_t segment = 0;
    PackedDateTime start = 0;
    PackedDateTime end = 0;
    uint32_t length = 0;
    uint32_t startOffset = 0;
    uint32_t endOffset = 0;
};

class CCopyPicFileMgt {
public:
    CCopyPicFileMgt() = default;
    virtual ~CCopyPicFileMgt() = default;
    CCopyPicFileMgt(const CCopyPicFileMgt&) = delete;
    CCopyPicFileMgt& operator=(const CCopyPicFileMgt&) = delete;

    // Copies from each drive path of the list; 1 when at least one picture
    // was copied, else 0 with the last error set.
    virtual int CopyByTime(const char* const* paths, int pathCount, const DVR_FILE_TIME* start,
                           const DVR_FILE_TIME* end, int channel, const char* destination, int type) = 0;

    size_t CopiedCount() const { return m_copied.size(); }

protected:
    PackedDateTime m_start = 0;
    PackedDateTime m_end = 0;
    int32_t m_channelIndex = -1;
    char m_destination[kMaxPathLength] = {};
    int32_t m_type = -1;
    std::vector<std::unique_ptr<CopiedPicture>> m_copied;

    // Writes one picture (the start of `buffer`, `length` bytes) into the
    // destination, as "<base>(<entry>).jpg" or, for a picture of a multi-
    // picture record, "832/<base>.jpg"; a name that a file already has gets
    // "(1)", "(2)"... before ".jpg" (no file is replaced). 0 on success, else
    // the error code.
    int WritePicture(const std::vector<uint8_t>& buffer, size_t length, uint32_t time, uint32_t entryNo,
                     int channelIndex, bool multi);
};

// V is the disk version (1 or 2): the index layout and the highest channel.
template <int V>
class CCopyPicFileMgtImp : public CCopyPicFileMgt {
public:
    int CopyByTime(const char* const* paths, int pathCount, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                   int channel, const char* destination, int type) override;

private:
    int WalkDrive(const std::string& drivePath);
    // Copies one index entry; 0 when at least one picture file was written.
    int CopyEntry(const std::string& drivePath, int32_t blockNo, uint32_t entryNo, const PicEntryInfo& entry,
                  std::vector<uint8_t>& picture);
};

extern template class CCopyPicFileMgtImp<1>;
extern template class CCopyPicFileMgtImp<2>;

}  // namespace pellomir
