// SPDX-License-Identifier: GPL-3.0-or-later
#include "RbsOperate.h"

#include "grelling.h"
#include "recstream/recstream.h"
#include "zun.h"

#include <QDateTime>
#include <QDebug>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>
#include "KelLogging.h"

namespace {

constexpr uint64_t kHeaderSize = 40;
constexpr int kThreadStack = 1024 * 1024;
constexpr int64_t kSearchBlock = 1024 * 1024;
// The analysis stream holds one read block plus the unfinished packet left
// over from the block before.
constexpr uint32_t kAnalysisBuffer = 2 * 1024 * 1024;

// One open stream.
struct RbsStreamReader {
    std::string path;
    uint32_t blockSizeKiB = 1;
    uint64_t startOffset = 0;   // 0 = right after the header
    uint64_t endOffset = 0;     // 0 = end of file
    RbsDataCallback callback = nullptr;
    void* user = nullptr;
    int handle = -1;
    ZUN_THREAD thread = 0;
    std::atomic<bool> stop{false};
    std::atomic<bool> held{false};          // no data until released
    bool headerOk = false;
    std::atomic<int64_t> seekRequest{-1};   // > 0: absolute file offset to move to
    std::atomic<int> moversWaiting{0};      // repositions waiting for the read loop's lock
    ZUN_Mutex lock;                         // the read loop, one block at a time
    std::atomic<int> progress{0};
    std::atomic<bool> running{false};       // the reader thread has not ended
    ZUN_EVENT endEvent = -1;                // set when the reader thread ends
    ZUN_EVENT wakeEvent = -1;               // wakes a reader idle at the end
    bool stopping = false;                  // a stop is under way (table lock)
    int pins = 0;                           // repositions in progress (table lock)
};

// The process-wide table of open streams and its lock.
struct StreamTable {
    ZUN_Mutex lock;
    RbsStreamReader* entries[RbsOperate::kMaxStreams] = {};
};
StreamTable& Table() {
    static auto* table = new StreamTable();
    return *table;
}

RbsStreamReader* FindLocked(int handle) {
    if (handle < 0 || handle >= RbsOperate::kMaxStreams) return nullptr;
    return Table().entries[handle];
}

bool ValidTime(const QORANA_PACKET_INFO& p) {
    return p.year >= 1970 && p.year <= 2999 && p.month >= 1 && p.month <= 12 && p.day >= 1 && p.day <= 31 &&
           p.hour <= 23 && p.minute <= 59 && p.second <= 59;
}

// Civil fields as a second count. Both sides of a comparison go through the
// same conversion, so no zone or daylight-saving rule can shift one of them.
int64_t CivilSeconds(int year, int month, int day, int hour, int minute, int second) {
    struct tm tmv;
    std::memset(&tmv, 0, sizeof(tmv));
    tmv.tm_year = year - 1900;
    tmv.tm_mon = month - 1;
    tmv.tm_mday = day;
    tmv.tm_hour = hour;
    tmv.tm_min = minute;
    tmv.tm_sec = second;
    return static_cast<int64_t>(timegm(&tmv));
}

std::string TimeText(const RbsDateTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

// The file's own span from its name: "<start>_<end>_...".
void SpanTextsOfName(const std::string& path, std::string* startText, std::string* endText) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t first = name.find('_');
    if (first == std::string::npos) {
        *startText = name;
        endText->clear();
        return;
    }
    *startText = name.substr(0, first);
    size_t second = name.find('_', first + 1);
    *endText = name.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::string Now() { return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz").toStdString(); }

// Offset of the first packet of second `when`; with `after`, of the first
// packet later than that second (where a span ending with it stops).
int64_t FindOffset(const char* path, const RbsDateTime& when, const std::atomic<bool>* stop, bool after = false) {
    if (!path || !*path) return -1;
    ZUN_FILE f = ZUN_OpenFile(path, ZUN_FILE_READ);
    if (!f) return -1;
    char header[kHeaderSize];
    if (ZUN_ReadFile(f, header, kHeaderSize) != static_cast<int64_t>(kHeaderSize)) {
        ZUN_CloseFile(f);
        return -1;
    }
    QORANA_HANDLE analysis = QORANA_CreateStreamEx(kAnalysisBuffer, header);
    if (!analysis) {
        ZUN_CloseFile(f);
        return -1;
    }
    const int64_t target = CivilSeconds(when.year, when.month, when.day, when.hour, when.minute, when.second);
    std::vector<char> buffer(kSearchBlock);
    // The analysis stream is fed without breaks, so packets that straddle two
    // read blocks come out whole and the running sum of packet lengths is the
    // exact offset of every packet.
    const int64_t base = static_cast<int64_t>(kHeaderSize);
    int64_t sum = 0;
    int64_t result = -1;
    bool atEnd = false;
    // One damaged pack clock is passed over: it neither ends the span early
    // nor starts it in the wrong place.
    recstream::PackClockJudge judge;
    auto reached = [&](bool runEnded) {
        recstream::PackClockJudge::Clock pack{};
        while (result < 0 && judge.Next(runEnded, &pack)) {
            const int64_t t = static_cast<int64_t>(pack.clock);
            if (after ? t > target : t == target) result = static_cast<int64_t>(pack.offset);
        }
        return result >= 0;
    };
    while (result < 0 && !atEnd && !(stop && stop->load())) {
        int64_t got = ZUN_ReadFile(f, buffer.data(), kSearchBlock);
        if (got <= 0) {
            QORANA_InputEnd(analysis);
            atEnd = true;
        } else if (!QORANA_InputData(analysis, buffer.data(), static_cast<uint32_t>(got))) {
            qCDebug(lcKelStorage, "RbsOperate: analysis input failed, error %d", QORANA_GetLastErrorH(analysis));
            break;
        }
        QORANA_PACKET_INFO packet;
        for (;;) {
            int rc = QORANA_GetOnePacketEx(analysis, &packet);
            if (rc == 1 || rc == -1) break;
            if (rc != 0) continue;
            sum += packet.packetLength;
            if (!ValidTime(packet)) continue;
            const int64_t t = CivilSeconds(static_cast<int>(packet.year), static_cast<int>(packet.month),
                                           static_cast<int>(packet.day), static_cast<int>(packet.hour),
                                           static_cast<int>(packet.minute), static_cast<int>(packet.second));
            if (t < 0) continue;
            judge.Add(static_cast<uint64_t>(base + sum - packet.packetLength), static_cast<uint64_t>(t));
            if (reached(false)) break;
        }
        if (atEnd) reached(true);
    }
    QORANA_Destroy(analysis);
    ZUN_CloseFile(f);
    return result;
}

// Reads the header and checks that the analysis library takes it as the
// start of a stream; only then is the header forwarded to the callback.
bool CheckHeader(const std::string& path) {
    ZUN_FILE f = ZUN_OpenFile(path.c_str(), ZUN_FILE_READ);
    if (!f) return false;
    char header[kHeaderSize];
    int64_t got = ZUN_ReadFile(f, header, kHeaderSize);
    ZUN_CloseFile(f);
    if (got != static_cast<int64_t>(kHeaderSize)) return false;
    QORANA_HANDLE analysis = QORANA_CreateStreamEx(1024 * 1024, header);
    if (!analysis) return false;
    bool ok = false;
    if (QORANA_InputData(analysis, header, kHeaderSize)) {
        QORANA_PACKET_INFO packet;
        std::memset(&packet, 0, sizeof(packet));
        ok = QORANA_GetOnePacketEx(analysis, &packet) == 0 && packet.errorFlag == 0;
    }
    QORANA_Destroy(analysis);
    return ok;
}

int Percent(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    uint64_t p = done >= total ? 100 : done * 100 / total;
    return static_cast<int>(p);
}

void ReadStream(RbsStreamReader* ctx) {
    ZUN_FILE f = ctx->path.empty() ? 0 : ZUN_OpenFile(ctx->path.c_str(), ZUN_FILE_READ);
    if (!f) return;
    const uint64_t fileSize = static_cast<uint64_t>(std::max<int64_t>(ZUN_FileSize(f), 0));
    const uint64_t dataBegin = std::max<uint64_t>(ctx->startOffset, kHeaderSize);
    uint64_t dataEnd = ctx->endOffset ? std::min(ctx->endOffset, fileSize) : fileSize;
    if (dataEnd < dataBegin) dataEnd = dataBegin;   // an end at or before the start: nothing to read
    const uint64_t total = kHeaderSize + (dataEnd - dataBegin);
    const uint64_t blockSize = static_cast<uint64_t>(std::max<uint32_t>(ctx->blockSizeKiB, 1)) * 1024;
    std::vector<char> buffer(blockSize);

    uint64_t done = 0;
    if (ZUN_ReadFile(f, buffer.data(), kHeaderSize) == static_cast<int64_t>(kHeaderSize)) {
        done = kHeaderSize;
        if (ctx->headerOk && ctx->callback) ctx->callback(ctx->handle, 1, buffer.data(), kHeaderSize, ctx->user);
    }
    while (ctx->held.load() && !ctx->stop.load()) ZUN_EventWait(ctx->wakeEvent, 1000);
    uint64_t pos = dataBegin;
    ZUN_SeekFile(f, static_cast<int64_t>(pos), 0);

    for (;;) {
        bool atEnd = false;
        // A reposition waiting for the lock gets it before the next block:
        // the loop would otherwise take it back at once, block after block.
        while (ctx->moversWaiting.load() > 0 && !ctx->stop.load()) ZUN_Sleep(1);
        {
            ZUN_Guard guard(ctx->lock);
            if (ctx->stop.load()) break;
            int64_t request = ctx->seekRequest.exchange(-1);
            if (request > 0) {
                pos = std::min<uint64_t>(static_cast<uint64_t>(request), dataEnd);
                ZUN_SeekFile(f, static_cast<int64_t>(pos), 0);
                ctx->progress.store(Percent(kHeaderSize + (pos > dataBegin ? pos - dataBegin : 0), total));
            }
            if (pos >= dataEnd) {
                atEnd = true;
            } else {
                uint64_t want = std::min<uint64_t>(blockSize, dataEnd - pos);
                int64_t got = ZUN_ReadFile(f, buffer.data(), static_cast<int64_t>(want));
                if (got <= 0) {
                    atEnd = true;
                } else {
                    pos += static_cast<uint64_t>(got);
                    if (ctx->callback) ctx->callback(ctx->handle, 2, buffer.data(), static_cast<uint32_t>(got), ctx->user);
                    done = kHeaderSize + (pos > dataBegin ? pos - dataBegin : 0);
                    ctx->progress.store(Percent(done, total));
                }
            }
        }
        if (!atEnd) continue;
        ctx->progress.store(100);
        // Read to the end: stay until the stream is stopped or moved back.
        while (!ctx->stop.load() && ctx->seekRequest.load() <= 0) ZUN_EventWait(ctx->wakeEvent, 1000);
    }
    ZUN_CloseFile(f);
}

void* ReaderThread(void* arg) {
    auto* ctx = static_cast<RbsStreamReader*>(arg);
    ReadStream(ctx);
    ctx->running.store(false);
    ZUN_EventSet(ctx->endEvent);
    return nullptr;
}

// Puts a prepared context into the table and starts its reader.
int Open(RbsStreamReader* ctx) {
    ZUN_Guard guard(Table().lock);
    int handle = -1;
    for (int i = 0; i < RbsOperate::kMaxStreams; ++i) {
        if (!Table().entries[i]) {
            handle = i;
            break;
        }
    }
    if (handle < 0) {
        qCDebug(lcKelStorage, "RbsOperate: no free stream handle");
        delete ctx;
        return -1;
    }
    ctx->handle = handle;
    ctx->endEvent = ZUN_EventCreate(true, false);
    ctx->wakeEvent = ZUN_EventCreate(false, false);
    if (ctx->endEvent == -1 || ctx->wakeEvent == -1) {
        if (ctx->endEvent != -1) ZUN_EventDestroy(ctx->endEvent);
        if (ctx->wakeEvent != -1) ZUN_EventDestroy(ctx->wakeEvent);
        delete ctx;
        return -1;
    }
    ctx->running.store(true);
    ctx->thread = ZUN_Thread_Create(ReaderThread, ctx, kThreadStack);
    if (!ctx->thread) {
        ZUN_EventDestroy(ctx->endEvent);
        ZUN_EventDestroy(ctx->wakeEvent);
        delete ctx;
        return -1;
    }
    Table().entries[handle] = ctx;
    return handle;
}

}  // namespace

int64_t RbsOperate::FindOffsetByTime(const char* path, const RbsDateTime& time) {
    return FindOffset(path, time, nullptr);
}

int RbsOperate::RBS_GetStreamByFile(const char* path, uint32_t blockSizeKiB, uint64_t startOffset,
                                    RbsDataCallback callback, void* user, bool held) {
    if (!path) return -1;
    auto* ctx = new RbsStreamReader;
    ctx->held.store(held);
    ctx->path = path;
    ctx->blockSizeKiB = blockSizeKiB;
    ctx->startOffset = startOffset;
    ctx->callback = callback;
    ctx->user = user;
    ctx->headerOk = CheckHeader(ctx->path);
    return Open(ctx);
}

int RbsOperate::RBS_GetStreamByTime(const char* path, const RbsDateTime* start, const RbsDateTime* end,
                                    uint32_t blockSizeKiB, RbsDataCallback callback, void* user) {
    if (!path || !start || !end) return -1;
    auto* ctx = new RbsStreamReader;
    ctx->path = path;
    ctx->blockSizeKiB = blockSizeKiB;
    ctx->callback = callback;
    ctx->user = user;
    ctx->headerOk = CheckHeader(ctx->path);

    std::string fileStart, fileEnd;
    SpanTextsOfName(ctx->path, &fileStart, &fileEnd);
    if (TimeText(*start) != fileStart) {
        int64_t off = FindOffset(path, *start, nullptr);
        if (off > 0) ctx->startOffset = static_cast<uint64_t>(off);
    }
    if (TimeText(*end) != fileEnd) {
        // The span holds every packet of its end second.
        int64_t off = FindOffset(path, *end, nullptr, true);
        if (off > 0) ctx->endOffset = static_cast<uint64_t>(off);
    }
    return Open(ctx);
}

bool RbsOperate::RBS_SetPosByTime(int handle, const RbsDateTime* time, void (*onMoved)(void*), void* arg) {
    if (!time) return false;
    RbsStreamReader* ctx = nullptr;
    {
        ZUN_Guard guard(Table().lock);
        ctx = FindLocked(handle);
        if (!ctx || ctx->stopping) return false;
        if (ctx->path.empty() || !ctx->running.load()) return false;
        ++ctx->pins;   // a stop frees the context only when no search uses it
    }
    // The search runs without the table lock (other streams stay usable) and
    // without pausing the reader. A stop of this stream cuts it short.
    qCDebug(lcKelStorage, "DragStartFindPos %s", Now().c_str());
    int64_t offset = FindOffset(ctx->path.c_str(), *time, &ctx->stop);
    qCDebug(lcKelStorage, "DragEndFindPos %s", Now().c_str());
    bool ok = false;
    if (offset > 0) {
        // Stored under the context lock: the block in the callback (read
        // before the request) is through when this returns, and every block
        // after it comes from the new position.
        ctx->moversWaiting.fetch_add(1);
        ZUN_Guard guard(ctx->lock);
        ctx->moversWaiting.fetch_sub(1);
        if (!ctx->stop.load()) {
            ctx->seekRequest.store(offset);
            if (onMoved) onMoved(arg);
            ZUN_EventSet(ctx->wakeEvent);
            ok = true;
        }
    }
    {
        ZUN_Guard guard(Table().lock);
        --ctx->pins;
    }
    return ok;
}

bool RbsOperate::RBS_ReleaseStream(int handle) {
    ZUN_Guard guard(Table().lock);
    RbsStreamReader* ctx = FindLocked(handle);
    if (!ctx || ctx->stopping) return false;
    ctx->held.store(false);
    ZUN_EventSet(ctx->wakeEvent);
    return true;
}

int RbsOperate::RBS_GetPos(int handle) {
    ZUN_Guard guard(Table().lock);
    RbsStreamReader* ctx = FindLocked(handle);
    if (!ctx) return 100;
    return ctx->progress.load();
}

bool RbsOperate::RBS_StopStream(int handle) {
    RbsStreamReader* ctx = nullptr;
    {
        ZUN_Guard guard(Table().lock);
        ctx = FindLocked(handle);
        if (!ctx || ctx->stopping) return false;
        ctx->stopping = true;
    }
    // The table lock is not held while the reader finishes its last block:
    // other streams stay usable meanwhile.
    ctx->stop.store(true);
    ZUN_EventSet(ctx->wakeEvent);
    ZUN_EventWait(ctx->endEvent, -1);
    ZUN_Thread_Wait(ctx->thread);
    for (;;) {
        {
            ZUN_Guard guard(Table().lock);
            if (ctx->pins == 0) {
                Table().entries[handle] = nullptr;
                break;
            }
        }
        ZUN_Sleep(1);   // a reposition search is finishing (it sees the stop flag)
    }
    ZUN_EventDestroy(ctx->endEvent);
    ZUN_EventDestroy(ctx->wakeEvent);
    delete ctx;
    return true;
}
