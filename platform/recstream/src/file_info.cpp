// SPDX-License-Identifier: GPL-3.0-or-later
#include "recstream/recstream.h"
#include "wincompat/drives.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>
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

uint32_t TimeOf(const StreamHeader& header, uint64_t scr) {
    return header.startTime + static_cast<uint32_t>(scr / kClockRate);
}

}  // namespace

// A pack is judged against up to two packs on each side and is damaged when
// two of them disagree with it (one before it with a later clock, or one
// after it with an earlier clock), so that one damaged neighbour never makes
// a sound pack look damaged. At an end of the run, where a side has fewer
// packs, one disagreeing neighbour is enough when it agrees with the nearest
// pack on the other side: the pack is then the odd one of the three.
bool PackClockJudge::Damaged(size_t i) const {
    int against = 0;
    size_t odd = i;   // the last neighbour that disagrees
    for (size_t k = 1; k <= kNeighbours; ++k) {
        if (i >= k && m_packs[i - k].clock > m_packs[i].clock) {
            ++against;
            odd = i - k;
        }
        if (i + k < m_packs.size() && m_packs[i + k].clock < m_packs[i].clock) {
            ++against;
            odd = i + k;
        }
    }
    if (against >= 2) return true;
    const bool atEnd = i < kNeighbours || (m_ended && i + kNeighbours >= m_packs.size());
    if (against != 1 || !atEnd) return false;
    if (odd > i) return i >= 1 && m_packs[i - 1].clock <= m_packs[odd].clock;
    return i + 1 < m_packs.size() && m_packs[odd].clock <= m_packs[i + 1].clock;
}

void PackClockJudge::Add(uint64_t offset, uint64_t clock) { m_packs.push_back(Clock{offset, clock}); }

bool PackClockJudge::Next(bool runEnded, Clock* out) {
    m_ended = runEnded;
    while (m_next < m_packs.size() && (runEnded || m_next + kNeighbours < m_packs.size())) {
        const size_t i = m_next++;
        Clock pack = m_packs[i];
        bool sound = !Damaged(i);
        if (!sound) {
            // One flipped bit undone, so that the clock lies between the
            // sound clocks around it (the nearest to the one before when
            // several bits would do).
            uint64_t after = std::numeric_limits<uint64_t>::max();
            for (size_t k = i + 1; k < m_packs.size() && k <= i + kNeighbours; ++k)
                if (!Damaged(k)) {
                    after = m_packs[k].clock;
                    break;
                }
            const uint64_t before = m_haveSound ? m_sound : 0;
            for (int bit = 0; bit < 64; ++bit) {
                const uint64_t candidate = m_packs[i].clock ^ (uint64_t(1) << bit);
                if (candidate < before || candidate > after) continue;
                if (!sound || candidate < pack.clock) pack.clock = candidate;
                sound = true;
            }
        }
        while (m_next > kNeighbours) {
            m_packs.pop_front();
            --m_next;
        }
        if (!sound) continue;
        m_sound = pack.clock;
        m_haveSound = true;
        *out = pack;
        return true;
    }
    return false;
}

bool ReadFileInfo(const std::string& path, FileInfo* out) {
    File f;
    FileInfo info;
    if (!OpenRecording(path, &f, &info.header, &info.size)) return false;
    info.firstTime = info.lastTime = info.header.startTime;
    // The first and the last pack whose clock is sound (or repaired).
    PackClockJudge first;
    PackClockJudge::Clock pack{};
    bool any = false;
    ScanPacks(f.get(), info.header, kHeaderSize, info.size, [&](const Packet& p) {
        first.Add(p.offset, p.scr);
        any = first.Next(false, &pack);
        return !any;
    });
    if (!any) any = first.Next(true, &pack);
    if (any) {
        info.firstTime = TimeOf(info.header, pack.clock);
        // The last pack: scan a tail window, widening it until a pack shows up.
        uint64_t window = kFirstRead;
        for (;;) {
            uint64_t from = info.size > window + kHeaderSize ? info.size - window : kHeaderSize;
            PackClockJudge last;
            bool found = false;
            ScanPacks(f.get(), info.header, from, info.size, [&](const Packet& p) {
                last.Add(p.offset, p.scr);
                while (last.Next(false, &pack)) found = true;
                return true;
            });
            while (last.Next(true, &pack)) found = true;
            if (found) info.lastTime = TimeOf(info.header, pack.clock);
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

    // Pack times never decrease: narrow the range by bisection on the packs
    // found after a probe offset, then walk it. A probe goes by the middle
    // of three packs' times, which one damaged clock cannot move outside the
    // times of its sound neighbours.
    uint64_t lo = kHeaderSize, hi = size;
    while (hi - lo > 4 * kReadBlock) {
        uint64_t mid = lo + (hi - lo) / 2;
        uint64_t packOffset = 0;
        uint64_t clocks[3] = {};
        size_t count = 0;
        ScanPacks(f.get(), header, mid, std::min(hi, mid + 2 * kReadBlock), [&](const Packet& p) {
            if (count == 0) packOffset = p.offset;
            clocks[count++] = p.scr;
            return count < 3;
        });
        std::sort(clocks, clocks + count);
        if (count < 3 || TimeOf(header, clocks[1]) >= time)
            hi = mid;
        else
            lo = packOffset;
    }
    int64_t result = -1;
    PackClockJudge judge;
    PackClockJudge::Clock pack{};
    auto reached = [&](bool runEnded) {
        while (judge.Next(runEnded, &pack))
            if (TimeOf(header, pack.clock) >= time) {
                result = static_cast<int64_t>(pack.offset);
                return true;
            }
        return false;
    };
    ScanPacks(f.get(), header, lo, size, [&](const Packet& p) {
        judge.Add(p.offset, p.scr);
        return !reached(false);
    });
    if (result < 0) reached(true);
    return result;
}

}  // namespace recstream
