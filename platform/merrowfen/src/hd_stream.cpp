// SPDX-License-Identifier: GPL-3.0-or-later
// Streams of recordings: by file and by time, each on its own thread.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "hd_common.h"
#include "recstream/recstream.h"
#include "wincompat/drives.h"

using namespace hdfile;

namespace {

constexpr size_t kMaxStreams = 256;

// One recording (or the part of it) that a stream delivers.
struct Segment {
    std::string path;
    recstream::StreamHeader header{};
    uint64_t fileSize = 0;
    uint64_t begin = 0;        // first byte to deliver (at or after the header)
    uint64_t end = 0;          // one past the last byte
    uint32_t firstTime = 0;    // recorder seconds of the span delivered
    uint32_t lastTime = 0;
    uint64_t Length() const { return end - begin; }
};

struct Stream {
    int handle = -1;
    bool byTime = false;
    size_t blockSize = 32 * 1024;
    std::vector<Segment> segs;
    uint64_t total = 0;                 // data bytes of every segment

    std::mutex mutex;
    std::condition_variable cv;
    HD_STREAM_CALLBACK callback = nullptr;
    void* user = nullptr;
    bool paused = false;
    bool stop = false;
    bool failed = false;
    bool ended = false;                 // every byte delivered (position 100)
    bool endSent = false;
    uint64_t generation = 0;            // changes with every seek
    size_t seg = 0;                     // segment being delivered
    uint64_t offset = 0;                // next byte of that segment
    bool headerPending = true;          // the segment's header is still due
    // Reverse delivery: key-frame group starts of the current segment.
    bool reverse = false;
    std::vector<uint64_t> groups;       // ascending pack offsets of key frames
    size_t groupIndex = 0;              // group being delivered (reverse)
    uint64_t groupEnd = 0;              // end of that group
    std::thread thread;

    uint64_t LinearPosition() const {
        uint64_t pos = 0;
        for (size_t i = 0; i < seg && i < segs.size(); ++i) pos += segs[i].Length();
        if (seg < segs.size()) pos += std::min(offset, segs[seg].end) - std::min(segs[seg].begin, offset);
        return pos;
    }
};

std::mutex g_streamsMutex;
std::map<int, std::shared_ptr<Stream>> g_streams;

std::shared_ptr<Stream> Find(int handle) {
    std::lock_guard<std::mutex> lock(g_streamsMutex);
    auto it = g_streams.find(handle);
    if (it == g_streams.end()) {
        SetError(HD_ERR_ORDER);
        return nullptr;
    }
    return it->second;
}

size_t BlockSizeOf(int mode) {
    switch (mode) {
    case HD_MODE_ENGINE: return 8 * 1024;
    case HD_MODE_COPY: return 64 * 1024;
    default: return 32 * 1024;
    }
}

bool IsRegularFile(const std::string& path, uint64_t* size) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    *size = uint64_t(st.st_size);
    return true;
}

// Opens the summary of a recording; error code on failure.
int OpenSegment(const std::string& path, Segment* seg) {
    uint64_t size = 0;
    if (!IsRegularFile(path, &size)) return HD_ERR_OPEN_FILE;
    if (size < recstream::kHeaderSize) return HD_ERR_STREAM_HEADER;
    recstream::FileInfo info;
    if (!recstream::ReadFileInfo(path, &info)) return HD_ERR_STREAM_HEADER;
    seg->path = path;
    seg->header = info.header;
    seg->fileSize = size;
    seg->begin = recstream::kHeaderSize;
    seg->end = size;
    seg->firstTime = info.firstTime;
    seg->lastTime = std::max(info.firstTime, info.lastTime);
    return HD_ERR_NONE;
}

// Offset of the first pack at or after `time`, within [begin, end].
uint64_t OffsetForTime(const Segment& s, uint32_t time) {
    if (time <= s.firstTime) return s.begin;
    const int64_t off = recstream::FindOffsetForTime(s.path, time);
    if (off < 0) return s.end;
    return std::min<uint64_t>(std::max<uint64_t>(uint64_t(off), s.begin), s.end);
}

// Resolves a recording name handed out by a listing (or a plain path).
std::string ResolveRecording(const std::string& name) {
    uint64_t size = 0;
    std::string mapped = wincompat::MapPath(name);
    // "\\.\PHYSICALDRIVE<N>\rest": the drive's folder and the rest.
    if (name.size() > 4 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/')) {
        size_t sep = name.find_first_of("\\/", 4);
        if (sep != std::string::npos && wincompat::ParsePhysicalDriveName(name.substr(0, sep)) >= 0) {
            const std::string drive = wincompat::MapPath(name.substr(0, sep));
            std::string rest = name.substr(sep);
            std::replace(rest.begin(), rest.end(), '\\', '/');
            mapped = drive.empty() || rest.find("/../") != std::string::npos ? std::string() : drive + rest;
        }
    }
    if (!mapped.empty() && IsRegularFile(mapped, &size)) return mapped;
    // A name relative to a disk: try the disks searched in this process.
    std::string rel = name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    if (rel.empty() || rel[0] == '/' || rel.find("..") != std::string::npos || wincompat::DriveLetterOf(rel)) return {};
    for (const std::string& root : KnownDisks()) {
        const std::string p = root + "/" + rel;
        if (IsRegularFile(p, &size)) return p;
    }
    return {};
}

bool ReadAt(int fd, uint64_t offset, uint8_t* buf, size_t size, size_t* got) {
    *got = 0;
    while (*got < size) {
        const ssize_t n = ::pread(fd, buf + *got, size - *got, off_t(offset + *got));
        if (n < 0) return false;
        if (n == 0) break;
        *got += size_t(n);
    }
    return true;
}

// Key-frame pack offsets of a segment, ascending (the segment's begin first).
std::vector<uint64_t> KeyGroups(const Segment& s) {
    std::vector<uint64_t> groups;
    const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return groups;
    recstream::PacketScanner scanner(s.header.startTime, false);
    scanner.Reset(s.begin);
    std::vector<uint8_t> buf(256 * 1024);
    uint64_t off = s.begin;
    recstream::Packet p;
    while (off < s.end) {
        size_t got = 0;
        if (!ReadAt(fd, off, buf.data(), size_t(std::min<uint64_t>(buf.size(), s.end - off)), &got) || got == 0) break;
        scanner.Feed(buf.data(), got);
        off += got;
        while (scanner.Next(&p))
            for (const recstream::Pes& pes : p.pes)
                if (pes.streamId == recstream::kStreamVideo && pes.keyFrame) {
                    groups.push_back(p.offset);
                    break;
                }
    }
    scanner.Finish();
    while (scanner.Next(&p))
        for (const recstream::Pes& pes : p.pes)
            if (pes.streamId == recstream::kStreamVideo && pes.keyFrame) {
                groups.push_back(p.offset);
                break;
            }
    ::close(fd);
    if (groups.empty() || groups.front() != s.begin) groups.insert(groups.begin(), s.begin);
    return groups;
}

// The delivery loop of one stream.
void Run(std::shared_ptr<Stream> st) {
    std::vector<uint8_t> chunk(std::max<size_t>(st->blockSize, 256 * 1024));
    uint64_t chunkOff = 0, chunkGen = 0;
    size_t chunkLen = 0, chunkSeg = size_t(-1);
    int fd = -1;
    size_t fdSeg = size_t(-1);
    std::unique_lock<std::mutex> lock(st->mutex);
    for (;;) {
        st->cv.wait(lock, [&] {
            return st->stop || (!st->paused && st->callback && !st->failed && !(st->endSent && st->ended));
        });
        if (st->stop) break;
        const HD_STREAM_CALLBACK cb = st->callback;
        void* const user = st->user;
        const uint64_t gen = st->generation;

        if (st->ended) {  // every byte out: report the end once
            st->endSent = true;
            lock.unlock();
            cb(st->handle, HD_DATA_STREAM, nullptr, -1, user);
            lock.lock();
            continue;
        }
        if (st->seg >= st->segs.size()) {
            st->ended = true;
            continue;
        }
        const Segment& seg = st->segs[st->seg];
        if (st->headerPending) {
            recstream::StreamHeader h = seg.header;
            st->headerPending = false;
            lock.unlock();
            cb(st->handle, HD_DATA_HEADER, reinterpret_cast<unsigned char*>(&h), int(sizeof h), user);
            lock.lock();
            continue;
        }
        uint64_t limit = seg.end;
        if (st->reverse) {
            if (st->offset >= st->groupEnd) {  // this group is out: step back one group
                if (st->groupIndex == 0) {
                    st->ended = true;
                    continue;
                }
                --st->groupIndex;
                st->groupEnd = st->groups[st->groupIndex + 1];
                st->offset = st->groups[st->groupIndex];
            }
            limit = st->groupEnd;
        }
        if (st->offset >= limit) {
            ++st->seg;
            if (st->seg < st->segs.size()) {
                st->offset = st->segs[st->seg].begin;
                st->headerPending = true;
            }
            continue;
        }
        const size_t want = size_t(std::min<uint64_t>(st->blockSize, limit - st->offset));
        const uint64_t at = st->offset;
        const size_t segIndex = st->seg;
        const std::string& path = seg.path;
        lock.unlock();
        // Read ahead in large chunks and hand out blocks from them; a seek
        // (new generation) or another file drops the chunk.
        if (chunkSeg != segIndex || chunkGen != gen || at < chunkOff || at + want > chunkOff + chunkLen) {
            if (fdSeg != segIndex) {
                if (fd >= 0) ::close(fd);
                fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
                fdSeg = segIndex;
            }
            size_t got = 0;
            const size_t ahead = size_t(std::min<uint64_t>(chunk.size(), limit - at));
            chunkLen = 0;
            chunkSeg = size_t(-1);
            if (fd >= 0 && ReadAt(fd, at, chunk.data(), ahead, &got) && got > 0) {
                chunkOff = at;
                chunkLen = got;
                chunkSeg = segIndex;
                chunkGen = gen;
            }
        }
        const bool ok = chunkSeg == segIndex && at >= chunkOff && at < chunkOff + chunkLen;
        const size_t got = ok ? size_t(std::min<uint64_t>(want, chunkOff + chunkLen - at)) : 0;
        unsigned char* const data = ok ? chunk.data() + (at - chunkOff) : nullptr;
        lock.lock();
        if (st->stop) break;
        if (st->generation != gen) continue;  // a seek came meanwhile: drop the block
        if (!ok) {  // the file vanished or shrank under the stream
            st->failed = true;
            continue;
        }
        st->offset = at + got;
        lock.unlock();
        cb(st->handle, HD_DATA_STREAM, data, int(got), user);
        lock.lock();
    }
    lock.unlock();
    if (fd >= 0) ::close(fd);
}

int Launch(const std::shared_ptr<Stream>& st) {
    {
        std::lock_guard<std::mutex> lock(g_streamsMutex);
        if (g_streams.size() >= kMaxStreams) {
            SetError(HD_ERR_TOO_MANY);
            return -1;
        }
        st->handle = NextHandle();
        for (const Segment& s : st->segs) st->total += s.Length();
        st->seg = 0;
        st->offset = st->segs.front().begin;
        g_streams[st->handle] = st;
        try {
            st->thread = std::thread(Run, st);
        } catch (...) {
            g_streams.erase(st->handle);
            SetError(HD_ERR_THREAD);
            return -1;
        }
    }
    return st->handle;
}

// Moves a stream to (segment, offset) (under the stream's lock).
void MoveTo(Stream& st, size_t seg, uint64_t offset) {
    if (seg != st.seg || st.ended) st.headerPending = st.byTime && seg != st.seg;
    st.seg = seg;
    st.offset = offset;
    st.ended = false;
    st.endSent = false;
    st.failed = false;
    ++st.generation;
    if (st.reverse) {
        st.groups = KeyGroups(st.segs[seg]);
        size_t i = size_t(std::upper_bound(st.groups.begin(), st.groups.end(), offset) - st.groups.begin());
        st.groupIndex = i ? i - 1 : 0;
        st.offset = st.groups[st.groupIndex];
        st.groupEnd = st.groupIndex + 1 < st.groups.size() ? st.groups[st.groupIndex + 1] : st.segs[seg].end;
    }
    st.cv.notify_all();
}

// Segment and offset of a time; false when the time lies outside the stream.
bool Locate(const Stream& st, int64_t t, size_t* seg, uint64_t* offset) {
    if (st.segs.empty() || t < st.segs.front().firstTime || t > st.segs.back().lastTime) return false;
    for (size_t i = 0; i < st.segs.size(); ++i) {
        const Segment& s = st.segs[i];
        if (t > s.lastTime) continue;  // later segment
        *seg = i;
        *offset = t <= s.firstTime ? s.begin : OffsetForTime(s, uint32_t(t));
        if (*offset >= s.end && i + 1 < st.segs.size()) {
            *seg = i + 1;
            *offset = st.segs[i + 1].begin;
        }
        return true;
    }
    return false;
}

}  // namespace

extern "C" {

int HD_FILE_GetStreamByFile(const char* file, int mode, int reserved, HD_STREAM_CALLBACK callback, void* user) {
    if (!file || !*file || reserved != 0) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    const std::string path = ResolveRecording(std::string(file, strnlen(file, 4096)));
    if (path.empty()) {
        SetError(HD_ERR_OPEN_FILE);
        return -1;
    }
    auto st = std::make_shared<Stream>();
    Segment seg;
    const int err = OpenSegment(path, &seg);
    if (err != HD_ERR_NONE) {
        SetError(err);
        return -1;
    }
    st->segs.push_back(seg);
    st->blockSize = BlockSizeOf(mode);
    st->callback = callback;
    st->user = user;
    return Launch(st);
}

int HD_FILE_GetStreamByTime(const char* const* paths, const HD_FILE_TIME* start, const HD_FILE_TIME* end, int channel,
                            int mode, HD_STREAM_CALLBACK callback, void* user) {
    int64_t s = 0, e = 0;
    if (!paths || !start || !end || !TimeToSeconds(*start, &s) || !TimeToSeconds(*end, &e) || e < s || channel < 0) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    const int maxPaths = mode == HD_MODE_PLAY ? 4 : HD_STREAM_MAX_PATHS;
    struct Item {
        Listed listed;
        std::string root;
    };
    std::vector<Item> items;
    bool anyDisk = false;
    for (int i = 0; i < maxPaths && paths[i]; ++i) {
        const std::string root = ResolveDiskRoot(std::string(paths[i], strnlen(paths[i], 4096)));
        std::vector<Listed> listed;
        if (root.empty() || !ListRecordings(root, s, e, channel, HD_FILE_TYPE_ALL, &listed)) continue;
        anyDisk = true;
        RememberDisk(root);
        for (const Listed& l : listed) items.push_back(Item{l, root});
    }
    if (!anyDisk) {
        SetError(HD_ERR_DIR);
        return -1;
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.listed.entry.start < b.listed.entry.start; });
    auto st = std::make_shared<Stream>();
    st->byTime = true;
    for (const Item& it : items) {
        Segment seg;
        const std::string path = it.root + "/" + merrowfen_disk::kRecordDir + "/" + DayFolderName(it.listed.day) + "/" +
                                 std::string(it.listed.entry.name, strnlen(it.listed.entry.name, sizeof it.listed.entry.name));
        if (OpenSegment(path, &seg) != HD_ERR_NONE) continue;  // a damaged recording is left out
        if (!st->segs.empty() && seg.firstTime <= st->segs.back().lastTime) continue;  // overlaps the previous one
        if (s > seg.firstTime) seg.begin = OffsetForTime(seg, uint32_t(s));
        if (e < seg.lastTime) seg.end = OffsetForTime(seg, uint32_t(e + 1));
        if (seg.begin >= seg.end) continue;
        seg.firstTime = uint32_t(std::max<int64_t>(s, seg.firstTime));
        seg.lastTime = uint32_t(std::min<int64_t>(e, seg.lastTime));
        st->segs.push_back(seg);
    }
    if (st->segs.empty()) {
        SetError(HD_ERR_NO_FILE);
        return -1;
    }
    st->blockSize = BlockSizeOf(mode);
    st->callback = callback;
    st->user = user;
    return Launch(st);
}

int HD_FILE_SetGetStreamCallBack(int handle, HD_STREAM_CALLBACK callback) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return 0;
    std::lock_guard<std::mutex> lock(st->mutex);
    st->callback = callback;
    st->cv.notify_all();
    return 1;
}

int HD_FILE_Stop(int handle) {
    std::shared_ptr<Stream> st;
    {
        std::lock_guard<std::mutex> lock(g_streamsMutex);
        auto it = g_streams.find(handle);
        if (it == g_streams.end()) {
            SetError(HD_ERR_ORDER);
            return 0;
        }
        st = it->second;
        g_streams.erase(it);
    }
    {
        std::lock_guard<std::mutex> lock(st->mutex);
        st->stop = true;
        st->cv.notify_all();
    }
    if (st->thread.joinable()) {
        if (st->thread.get_id() == std::this_thread::get_id())
            st->thread.detach();  // stopped from its own callback: no callback follows this one
        else
            st->thread.join();
    }
    return 1;
}

int HD_FILE_GetStreamPause(int handle, int pause) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return 0;
    std::lock_guard<std::mutex> lock(st->mutex);
    st->paused = pause != 0;
    st->cv.notify_all();
    return 1;
}

int HD_FILE_GetPos(int handle) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return HD_POS_ERROR;
    std::lock_guard<std::mutex> lock(st->mutex);
    if (st->failed) return HD_POS_ERROR;
    if (st->ended) return HD_POS_END;
    if (st->total == 0) return 0;
    return int(std::min<uint64_t>(99, st->LinearPosition() * 100 / st->total));
}

int HD_FILE_SetPos(int handle, int position) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return 0;
    if (position < 0 || position > 100) {
        SetError(HD_ERR_PARAM);
        return 0;
    }
    std::lock_guard<std::mutex> lock(st->mutex);
    uint64_t target = st->total * uint64_t(position) / 100;
    size_t seg = 0;
    while (seg + 1 < st->segs.size() && target >= st->segs[seg].Length()) target -= st->segs[seg++].Length();
    const Segment& s = st->segs[seg];
    uint64_t offset = std::min(s.begin + target, s.end);
    if (offset > s.begin && offset < s.end) {
        // Land on the next pack start.
        const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
        uint64_t found = s.end;
        if (fd >= 0) {
            std::vector<uint8_t> buf(256 * 1024);
            for (uint64_t at = offset; at < s.end && found == s.end;) {
                size_t got = 0;
                if (!ReadAt(fd, at, buf.data(), size_t(std::min<uint64_t>(buf.size(), s.end - at)), &got) || got < 4) break;
                const size_t p = recstream::FindPackStart(buf.data(), got, 0);
                if (p < got) found = at + p;
                else at += got > 16 ? got - 16 : got;
            }
            ::close(fd);
        }
        offset = found;
    }
    MoveTo(*st, seg, offset);
    return 1;
}

int HD_FILE_SetPosByTime(int handle, const HD_FILE_TIME* time) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return 0;
    int64_t t = 0;
    if (!time || !TimeToSeconds(*time, &t)) {
        SetError(HD_ERR_PARAM);
        return 0;
    }
    std::lock_guard<std::mutex> lock(st->mutex);
    size_t seg = 0;
    uint64_t offset = 0;
    if (!Locate(*st, t, &seg, &offset)) {
        SetError(HD_ERR_SEEK);
        return 0;
    }
    MoveTo(*st, seg, offset);
    return 1;
}

int HD_FILE_SetStreamReversePlay(int handle, int reverse, int year, int month, int day, int hour, int minute,
                                 int second, int flag) {
    (void)flag;
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return 0;
    if (st->byTime) {
        SetError(HD_ERR_UNSUPPORTED);
        return 0;
    }
    std::lock_guard<std::mutex> lock(st->mutex);
    size_t seg = st->seg < st->segs.size() ? st->seg : st->segs.size() - 1;
    uint64_t offset = std::min(st->offset, st->segs[seg].end);
    const HD_FILE_TIME t{year, month, day, hour, minute, second};
    if (!(year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0)) {
        int64_t secs = 0;
        if (!TimeToSeconds(t, &secs) || !Locate(*st, secs, &seg, &offset)) {
            SetError(HD_ERR_SEEK);
            return 0;
        }
    } else if (reverse && offset >= st->segs[seg].end && offset > st->segs[seg].begin) {
        offset = st->segs[seg].end - 1;  // at the end: start from the last group
    }
    st->reverse = reverse != 0;
    if (!st->reverse) st->groups.clear();
    MoveTo(*st, seg, offset);
    return 1;
}

int HD_FILE_GetFileLength(int handle, uint32_t* position, uint32_t* length) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return -1;
    if (!position || !length) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    std::lock_guard<std::mutex> lock(st->mutex);
    const uint64_t pos = st->ended ? st->total : st->LinearPosition();
    *position = uint32_t(std::min<uint64_t>(pos, UINT32_MAX));
    *length = uint32_t(std::min<uint64_t>(st->total, UINT32_MAX));
    return 0;
}

int HD_FILE_GetTotalTime(int handle) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return -1;
    return int(st->segs.back().lastTime - st->segs.front().firstTime + 1);
}

int HD_FILE_GetTotalFrame(int handle) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return -1;
    uint64_t frames = 0;
    for (const Segment& s : st->segs) frames += uint64_t(s.lastTime - s.firstTime + 1) * s.header.frameRate;
    return int(std::min<uint64_t>(frames, INT32_MAX));
}

int HD_FILE_GetPlayTimeRange(int handle, HD_FILE_TIME* start, HD_FILE_TIME* end) {
    std::shared_ptr<Stream> st = Find(handle);
    if (!st) return -1;
    if (!start || !end) {
        SetError(HD_ERR_PARAM);
        return -1;
    }
    *start = SecondsToTime(st->segs.front().firstTime);
    *end = SecondsToTime(st->segs.back().lastTime);
    return 0;
}

}  // extern "C"
