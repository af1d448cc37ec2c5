// SPDX-License-Identifier: GPL-3.0-or-later
#include "CopyPicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "Frame.h"
#include "PicIndexLayout.h"
#include "PlatformSeam.h"
#include "savefile/savefile.h"
#include "wincompat/drives.h"

namespace pellomir {
namespace {

// Closes its file when it goes out of scope.
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

// Reads up to `size` bytes at `offset`; returns the number read.
size_t ReadSome(FILE* f, uint64_t offset, void* buffer, size_t size)
{
    if (offset > static_cast<uint64_t>(INT64_MAX) || fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0)
        return 0;
    return std::fread(buffer, 1, size, f);
}

bool ReadAt(FILE* f, uint64_t offset, void* buffer, size_t size)
{
    return ReadSome(f, offset, buffer, size) == size;
}

uint64_t FileLength(FILE* f)
{
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<uint64_t>(st.st_size);
}

// Drive path + '\' + name, as a path of this machine.
std::string OnDrive(const std::string& drivePath, const char* name)
{
    return wincompat::MapPath(drivePath + "\\" + name);
}

bool MarkerOpens(const std::string& drivePath)
{
    const std::string path = OnDrive(drivePath, "QORWS");
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    File f(path);
    return static_cast<bool>(f);
}

// Drives A and B are never read, nor anything that is not a drive letter.
bool IsReadableDrive(const char* path)
{
    if (!path || !*path)
        return false;
    const char c = *path;
    return (c >= 'c' && c <= 'z') || (c >= 'C' && c <= 'Z');
}

uint32_t SumBytes(const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += p[i];
    return sum;
}

template <int V>
uint64_t EntryOffset(uint32_t count, uint32_t block, uint32_t entry)
{
    using L = PicLayout<V>;
    return sizeof(typename L::Header) + static_cast<uint64_t>(count) * sizeof(typename L::Desc) +
           static_cast<uint64_t>(block) * L::kBlockSize + static_cast<uint64_t>(entry) * sizeof(typename L::Entry);
}

// Reads the header of an index file and tells whether the file passes its
// test: exact length, first and write block inside the table, checksum over
// the header and every channel's current entry.
template <int V>
bool ReadValidHeader(FILE* f, typename PicLayout<V>::Header* header)
{
    using L = PicLayout<V>;
    if (!ReadAt(f, 0, header, sizeof(*header)))
        return false;
    const uint64_t count = header->count;
    const uint64_t expected =
        count * (sizeof(typename L::Desc) + L::kBlockSize) + sizeof(typename L::Header);
    if (FileLength(f) != expected || header->firstBlock >= count || header->writeBlock >= count)
        return false;
    uint32_t sum = SumBytes(header, sizeof(*header) - sizeof(uint32_t));
    for (int i = 0; i < L::kSlots; ++i) {
        const PIC_CHANNEL_SLOT& slot = L::Slot(*header, i);
        if (slot.currentBlock == -1)
            continue;
        if (slot.currentBlock < 0 || static_cast<uint64_t>(slot.currentBlock) >= count ||
            slot.lastEntry >= kEntriesPerBlock)
            return false;
        typename L::Entry entry;
        if (!ReadAt(f, EntryOffset<V>(header->count, slot.currentBlock, slot.lastEntry), &entry, sizeof(entry)))
            return false;
        sum += SumBytes(&entry, sizeof(entry));
    }
    return sum == header->checksum;
}

template <typename E>
PicEntryInfo InfoOf(const E& e)
{
    PicEntryInfo info;
    info.type = e.type;
    info.startTime = e.startTime;
    info.endTime = e.endTime;
    info.dataStart = e.dataStart;
    info.dataEnd = e.dataEnd;
    return info;
}

std::string BaseName(uint32_t time, int channelIndex)
{
    const DVR_FILE_TIME t = PackedToDvrTime(SecondsToPacked(static_cast<int32_t>(time)));
    char name[64];
    std::snprintf(name, sizeof(name), "ch%02d_%04d-%02d-%02d %02d-%02d-%02d", channelIndex + 1, t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return name;
}

// Gives the file the picture's time read as the PC's local time, so that it
// shows the recorder's clock time.
void SetFileTime(const std::string& path, uint32_t time)
{
    const time_t seconds = static_cast<time_t>(static_cast<int32_t>(time));
    struct tm broken;
    if (!gmtime_r(&seconds, &broken))
        return;
    broken.tm_isdst = -1;
    const time_t local = mktime(&broken);
    if (local == static_cast<time_t>(-1))
        return;
    struct timespec times[2];
    times[0].tv_sec = local;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Answer of WritePictureFile for a name that a file already has.
constexpr int kNameTaken = -1;

// Writes `length` picture bytes plus the trailer that follows them in the
// buffer into a new file. 0 on success; kNameTaken when a file of that name
// exists (it is left alone); 25 (stored as last error) when the file cannot
// be created or written.
int WritePictureFile(const std::string& path, const uint8_t* buffer, size_t length, uint32_t time)
{
    if (path.size() >= kMaxPathLength) {
        SetLastErrorCode(DVR_FILE_ERR_CREATE_FILE);
        return DVR_FILE_ERR_CREATE_FILE;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST)
        return kNameTaken;
    if (fd < 0) {
        SetLastErrorCode(DVR_FILE_ERR_CREATE_FILE);
        return DVR_FILE_ERR_CREATE_FILE;
    }
    size_t total = length + kPictureTrailer;
    const uint8_t* p = buffer;
    bool ok = true;
    while (total > 0) {
        const ssize_t n = ::write(fd, p, total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        total -= static_cast<size_t>(n);
    }
    // On the disk, with its name, before it is counted as copied.
    if (ok && !savefile::SyncFile(fd))
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (!ok) {
        ::unlink(path.c_str());
        SetLastErrorCode(DVR_FILE_ERR_CREATE_FILE);
        return DVR_FILE_ERR_CREATE_FILE;
    }
    SetFileTime(path, time);
    if (!savefile::SyncFolderOf(path)) {
        SetLastErrorCode(DVR_FILE_ERR_CREATE_FILE);
        return DVR_FILE_ERR_CREATE_FILE;
    }
    return 0;
}

// Reads `length` picture bytes at `offset` into the start of the buffer,
// clearing the trailer after them. False (last error set) for a picture that
// does not fit the buffer or is cut short by the end of the file.
bool ReadPicture(FILE* f, uint64_t offset, uint64_t length, std::vector<uint8_t>& buffer)
{
    if (length == 0)
        return false;
    if (length > kMaxPictureLength) {
        SetLastErrorCode(DVR_FILE_ERR_OVERFLOW);
        return false;
    }
    const size_t n = static_cast<size_t>(length);
    if (!ReadAt(f, offset, buffer.data(), n)) {
        SetLastErrorCode(DVR_FILE_ERR_READ_FILE);
        return false;
    }
    std::memset(buffer.data() + n, 0, kPictureTrailer);
    return true;
}

}  // namespace

template <int V>
int CCopyPicFileMgtImp<V>::CopyByTime(const char* const* paths, int pathCount, const DVR_FILE_TIME* start,
                                      const DVR_FILE_TIME* end, int channel, const char* destination, int type)
{
    PackedDateTime packedStart = 0;
    PackedDateTime packedEnd = 0;
    DvrTimeToPacked(start, &packedStart);
    DvrTimeToPacked(end, &packedEnd);
    if (!paths || !destination || packedEnd == 0 || packedStart >= packedEnd || channel < 0 ||
        channel > PicLayout<V>::kMaxChannel || strnlen(destination, kMaxPathLength) >= kMaxPathLength) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return 0;
    }
    m_channelIndex = channel - 1;
    m_type = type;
    m_start = packedStart;
    m_end = packedEnd;
    std::memset(m_destination, 0, sizeof(m_destination));
    std::memcpy(m_destination, destination, std::strlen(destination));
    m_copied.clear();

    for (int i = 0; i < pathCount; ++i) {
        if (!IsReadableDrive(paths[i]))
            continue;
        const std::string drive(paths[i]);
        if (!MarkerOpens(drive)) {
            SetLastErrorCode(DVR_FILE_ERR_OPEN);
            continue;
        }
        WalkDrive(drive);
    }
    if (m_copied.empty()) {
        SetLastErrorCode(DVR_FILE_ERR_NO_MATCH);
        return 0;
    }
    return 1;
}

template <int V>
int CCopyPicFileMgtImp<V>::WalkDrive(const std::string& drivePath)
{
    using L = PicLayout<V>;
    using Header = typename L::Header;
    return Guarded(0, [&]() -> int {
        // Choose the index: the first copy that passes its test. A file that
        // fails it is not walked.
        File first(OnDrive(drivePath, "index00p.bin"));
        File second(OnDrive(drivePath, "index01p.bin"));
        if (!first && !second) {
            SetLastErrorCode(DVR_FILE_ERR_OPEN);
            return 0;
        }
        Header header;
        FILE* index = nullptr;
        if (first && ReadValidHeader<V>(first.get(), &header))
            index = first.get();
        else if (second && ReadValidHeader<V>(second.get(), &header))
            index = second.get();
        if (!index) {
            SetLastErrorCode(DVR_FILE_ERR_OPEN);
            return 0;
        }
        const uint32_t count = header.count;
        if (count == 0) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return 0;
        }

        // Block descriptors in time order (the table is a ring).
        std::vector<PIC_BLOCK_DESC> visit;
        visit.reserve(static_cast<size_t>(count) + L::kSlots);
        auto readDesc = [&](uint32_t k, PIC_BLOCK_DESC* out) {
            typename L::Desc d;
            if (!ReadAt(index, sizeof(Header) + static_cast<uint64_t>(k) * sizeof(d), &d, sizeof(d)))
                return false;
            *out = L::Base(d);
            return true;
        };
        auto readRange = [&](uint32_t from, uint32_t to) {
            for (uint32_t k = from; k < to; ++k) {
                PIC_BLOCK_DESC d;
                if (!readDesc(k, &d))
                    return;
                visit.push_back(d);
            }
        };
        const uint32_t f = header.firstBlock;
        const uint32_t w = header.writeBlock;
        if (f < w) {
            readRange(f, w);
        } else {
            PIC_BLOCK_DESC oldest;
            if (readDesc(f, &oldest) && oldest.channel == -1) {
                readRange(0, w);
            } else {
                readRange(f, count);
                readRange(0, w);
            }
        }
        // Each channel's block that is still being written.
        for (int i = 0; i < L::kSlots; ++i) {
            const PIC_CHANNEL_SLOT& slot = L::Slot(header, i);
            PIC_BLOCK_DESC d;
            d.blockNo = slot.currentBlock;
            d.channel = static_cast<int16_t>(i);
            d.lastEntry = slot.lastEntry;
            d.startTime = slot.startTime;
            d.endTime = slot.endTime;
            visit.push_back(d);
        }

        std::vector<uint8_t> block(L::kBlockSize);
        std::vector<uint8_t> picture(kPictureBufferSize);
        for (const PIC_BLOCK_DESC& d : visit) {
            if (d.blockNo == -1 || d.channel == -1 || d.channel != m_channelIndex)
                continue;
            const PackedDateTime descEnd = SecondsToPacked(static_cast<int32_t>(d.endTime));
            if (descEnd == 0 || descEnd < m_start || m_end < SecondsToPacked(static_cast<int32_t>(d.startTime)))
                continue;
            if (d.blockNo < 0 || static_cast<uint32_t>(d.blockNo) >= count)
                continue;  // not a block of this table
            const uint32_t last = d.lastEntry < kEntriesPerBlock ? d.lastEntry : kEntriesPerBlock - 1;
            std::fill(block.begin(), block.end(), 0);
            ReadSome(index, EntryOffset<V>(count, static_cast<uint32_t>(d.blockNo), 0), block.data(), block.size());
            for (uint32_t e = 0; e <= last; ++e) {
                typename L::Entry raw;
                std::memcpy(&raw, block.data() + static_cast<size_t>(e) * sizeof(raw), sizeof(raw));
                const PicEntryInfo entry = InfoOf(raw);
                if (m_type != 3 && m_type != entry.type)
                    continue;
                if (SecondsToPacked(static_cast<int32_t>(entry.endTime)) < m_start ||
                    m_end < SecondsToPacked(static_cast<int32_t>(entry.startTime)))
                    continue;
                if (CopyEntry(drivePath, d.blockNo, e, entry, picture) == 0) {
                    auto record = std::make_unique<CopiedPicture>();
                    record->name = BaseName(entry.startTime, m_channelIndex);
                    record->segment = d.blockNo;
                    record->start = SecondsToPacked(static_cast<int32_t>(entry.startTime));
                    record->end = SecondsToPacked(static_cast<int32_t>(entry.endTime));
                    record->length = entry.dataEnd - entry.dataStart;
                    record->startOffset = entry.dataStart;
                    record->endOffset = entry.dataEnd;
                    m_copied.push_back(std::move(record));
                }
            }
        }
        return 1;
    });
}

int CCopyPicFileMgt::WritePicture(const std::vector<uint8_t>& buffer, size_t length, uint32_t time,
                                  uint32_t entryNo, int channelIndex, bool multi)
{
    const std::string folder = wincompat::MapPath(m_destination);
    const std::string base = BaseName(time, channelIndex);
    // The name carries no drive: a picture of another drive, or another
    // sub-picture of the same second, takes the next "(k)" instead of
    // replacing a file.
    std::string stem;
    if (!multi) {
        stem = folder + "/" + base + "(" + std::to_string(entryNo) + ")";
    } else {
        const std::string multiFolder = folder + "/832";
        struct stat st;
        if (stat(multiFolder.c_str(), &st) != 0 && ::mkdir(multiFolder.c_str(), 0755) != 0 && errno != EEXIST) {
            SetLastErrorCode(DVR_FILE_ERR_CREATE_FILE);
            return DVR_FILE_ERR_CREATE_FILE;
        }
        stem = multiFolder + "/" + base;
    }
    for (int k = 0;; ++k) {
        const std::string path = stem + (k == 0 ? std::string() : "(" + std::to_string(k) + ")") + ".jpg";
        const int result = WritePictureFile(path, buffer.data(), length, time);
        if (result != kNameTaken)
            return result;
    }
}

template <int V>
int CCopyPicFileMgtImp<V>::CopyEntry(const std::string& drivePath, int32_t blockNo, uint32_t entryNo,
                                     const PicEntryInfo& entry, std::vector<uint8_t>& picture)
{
    std::fill(picture.begin(), picture.end(), 0);
    char name[32];
    std::snprintf(name, sizeof(name), "pic%05d.pic", static_cast<int>(blockNo));
    File segment(OnDrive(drivePath, name));
    if (!segment) {
        SetLastErrorCode(DVR_FILE_ERR_OPEN);
        return DVR_FILE_ERR_OPEN;
    }
    FILE* f = segment.get();
    const uint64_t at = entry.dataStart;

    if (V == 2 && entry.type == 1) {
        PIC_RECORD_HEAD_T1 head;
        if (!ReadAt(f, at, &head, sizeof(head))) {
            SetLastErrorCode(DVR_FILE_ERR_READ_FILE);
            return 26;
        }
        const uint64_t skip = head.flagA ? head.lengthA : 0;
        const uint64_t length = head.flagB ? head.lengthB : 0;
        if (!ReadPicture(f, at + sizeof(head) + skip, length, picture))
            return 26;
        return WritePicture(picture, static_cast<size_t>(length), entry.startTime, entryNo, m_channelIndex, false);
    }
    if (V == 2 && entry.type == 20) {
        PIC_RECORD_HEAD_T20 head;
        if (!ReadAt(f, at, &head, sizeof(head))) {
            SetLastErrorCode(DVR_FILE_ERR_READ_FILE);
            return 26;
        }
        if (!ReadPicture(f, at + sizeof(head), head.length, picture))
            return 26;
        return WritePicture(picture, head.length, entry.startTime, entryNo, m_channelIndex, false);
    }
    if (V == 2 && entry.type == 21) {
        PIC_RECORD_HEAD_T21 head;
        if (!ReadAt(f, at, &head, sizeof(head))) {
            SetLastErrorCode(DVR_FILE_ERR_READ_FILE);
            return 26;
        }
        // Each sub-picture is written at once with its own time and channel;
        // the walk stops at the count or at the first damaged sub-picture.
        uint64_t pos = at + sizeof(head);
        int written = 0;
        for (int32_t i = 0; i < head.pictureCount; ++i) {
            PIC_SUB_HEAD sub;
            if (!ReadAt(f, pos, &sub, sizeof(sub))) {
                SetLastErrorCode(DVR_FILE_ERR_READ_FILE);
                break;
            }
            pos += sizeof(sub);
            if (!ReadPicture(f, pos, sub.length, picture))
                break;
            pos += sub.length;
            const int channelIndex = static_cast<int>(sub.channel) - 1;
            if (WritePicture(picture, sub.length, sub.time, entryNo, channelIndex, true) == 0)
                ++written;
        }
        return written > 0 ? 0 : DVR_FILE_ERR_NO_MATCH;
    }
    if (entry.dataEnd < entry.dataStart) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return DVR_FILE_ERR_PARAM;
    }
    const uint64_t length = static_cast<uint64_t>(entry.dataEnd) - entry.dataStart;
    if (!ReadPicture(f, at, length, picture))
        return 26;
    return WritePicture(picture, static_cast<size_t>(length), entry.startTime, entryNo, m_channelIndex, false);
}

template class CCopyPicFileMgtImp<1>;
template class CCopyPicFileMgtImp<2>;

}  // namespace pellomir

extern "C" {

int32_t DVR_FILE_CopyPicFileByTimeEx(const char (*drivePaths)[DVR_FILE_PATH_SLOT], int32_t count,
                                     const DVR_FILE_TIME* start, const DVR_FILE_TIME* end, int32_t channel,
                                     int32_t type, const char* destFolder)
{
    using namespace pellomir;
    return Guarded<int32_t>(0, [&]() -> int32_t {
        if (!start || !end || !destFolder || type < 0 || type > 3 || (count > 0 && !drivePaths)) {
            SetLastErrorCode(DVR_FILE_ERR_PARAM);
            return 0;
        }
        const int32_t wanted = channel + ChannelOffset();
        int32_t result = 0;
        for (int32_t i = 0; i < count; ++i) {
            const std::string path(drivePaths[i], strnlen(drivePaths[i], DVR_FILE_PATH_SLOT));
            if (!IsReadableDrive(path.c_str()))
                continue;  // drives A and B are never read
            const char* list[1] = {path.c_str()};
            switch (DiskVersionOf(path)) {
            case 1: {
                CCopyPicFileMgtImp<1> copier;
                result |= copier.CopyByTime(list, 1, start, end, wanted, destFolder, type);
                break;
            }
            case 2: {
                CCopyPicFileMgtImp<2> copier;
                result |= copier.CopyByTime(list, 1, start, end, wanted, destFolder, type);
                break;
            }
            default:
                SetLastErrorCode(DVR_FILE_ERR_UNSUPPORTED);
                break;
            }
        }
        return result;
    });
}

int32_t DVR_FILE_CopyPicFileByTime(const char* driveLetters, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                   int32_t channel, int32_t type, const char* destFolder)
{
    using namespace pellomir;
    if (!driveLetters) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return 0;
    }
    char slots[DVR_FILE_MAX_PIC_DRIVES][DVR_FILE_PATH_SLOT];
    std::memset(slots, 0, sizeof(slots));
    int32_t used = 0;
    for (; used < DVR_FILE_MAX_PIC_DRIVES && driveLetters[used]; ++used)
        std::snprintf(slots[used], DVR_FILE_PATH_SLOT, "%c:", driveLetters[used]);
    return DVR_FILE_CopyPicFileByTimeEx(slots, used, start, end, channel, type, destFolder);
}

}  // extern "C"
