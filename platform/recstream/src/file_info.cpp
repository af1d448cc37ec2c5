// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/recstream.h"
#include "wincompat/drives.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace recstream {

namespace {

constexpr size_t kReadBlock = 1u << 20;
// The first read of a scan: most scans stop at the first pack or two.
constexpr size_t kFirstRead = 64u << 10;

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool OpenRecording(const std::string& path, File* file, StreamHeader* header, uint64_t* size) {
    std::string local = wincompat::MapPath(path);
    if (local.empty()) return false;
    File f(std::fopen(local.c_str(), "rb"));
    if (!f) return false;
    uint8_t bytes[kHeaderSize];
    if (std::fread(bytes, 1, kHeaderSize, f.get()) != kHeaderSize || !ParseHeader(bytes, kHeaderSize, header))
        return false;
    if (fseeko(f.get(), 0, SEEK_END) != 0) return false;
    off_t end = ftello(f.get());
    if (end < 0) return false;
    *size = static_cast<uint64_t>(end);
    *file = std::move(f);
    return true;
}

// Visits the packs from `from` (resynchronising first when `from` is not a
// pack start) up to `to`, until `visit` returns false. True when it stopped
// on a pack.
template <typename Visit>
bool ScanPacks(FILE* f, const StreamHeader& header, uint64_t from, uint64_t to, Visit visit) {
    if (fseeko(f, static_cast<off_t>(from), SEEK_SET) != 0) return false;
    PacketScanner scanner(header.startTime, false);
    scanner.Reset(from);
    std::vector<uint8_t> block;
    Packet packet;
    uint64_t pos = from;
    size_t read = kFirstRead;   // grows to kReadBlock while the scan goes on
    for (;;) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(read, to - pos));
        read = std::min(read * 2, kReadBlock);
        if (block.size() < want) block.resize(want);
        size_t got = want ? std::fread(block.data(), 1, want, f) : 0;
        pos += got;
        if (got > 0) scanner.Feed(block.data(), got);
        if (got == 0 || pos >= to) scanner.Finish();
        while (scanner.Next(&packet))
            if (packet.kind == kPacketPack && !visit(packet)) return true;
        if (got == 0 || pos >= to) return false;
    }
}

}  // namespace

bool ReadFileInfo(const std::string& path, FileInfo* out) {
    File f;
    FileInfo info;
    if (!OpenRecording(path, &f, &info.header, &info.size)) return false;
    info.firstTime = info.lastTime = info.header.startTime;
    bool any = ScanPacks(f.get(), info.header, kHeaderSize, info.size, [&](const Packet& p) {
        info.firstTime = p.time;
        return false;
    });
    if (any) {
        // The last pack: scan a tail window, widening it until a pack shows up.
        uint64_t window = kFirstRead;
        for (;;) {
            uint64_t from = info.size > window + kHeaderSize ? info.size - window : kHeaderSize;
            bool found = false;
            ScanPacks(f.get(), info.header, from, info.size, [&](const Packet& p) {
                info.lastTime = p.time;
                found = true;
                return true;
            });
            if (found || from == kHeaderSize) break;
            window *= 4;
        }
    }
    if (out) *out = info;
    return true;
}

int64_t FindOffsetForTime(const std::string& path, uint32_t time) {
    File f;
    StreamHeader header;
    uint64_t size = 0;
    if (!OpenRecording(path, &f, &header, &size)) return -1;

    // Pack times never decrease: narrow the range by bisection on the first
    // pack found after a probe offset, then walk it.
    uint64_t lo = kHeaderSize, hi = size;
    while (hi - lo > 4 * kReadBlock) {
        uint64_t mid = lo + (hi - lo) / 2;
        uint64_t packOffset = 0;
        uint32_t packTime = 0;
        bool found = ScanPacks(f.get(), header, mid, std::min(hi, mid + 2 * kReadBlock), [&](const Packet& p) {
            packOffset = p.offset;
            packTime = p.time;
            return false;
        });
        if (!found || packTime >= time)
            hi = mid;
        else
            lo = packOffset;
    }
    int64_t result = -1;
    ScanPacks(f.get(), header, lo, size, [&](const Packet& p) {
        if (p.time < time) return true;
        result = static_cast<int64_t>(p.offset);
        return false;
    });
    return result;
}

}  // namespace recstream
