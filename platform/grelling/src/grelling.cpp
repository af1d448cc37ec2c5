// SPDX-License-Identifier: GPL-3.0-or-later
#include "grelling.h"

#include "recstream/recstream.h"

#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>

namespace {

struct Stream {
    std::mutex lock;                  // one caller at a time per stream
    recstream::StreamHeader header{};
    uint32_t bufferSize = 0;
    recstream::PacketScanner scanner;
    bool fresh = true;                // nothing fed since creation or the last clear
    bool headerPending = false;       // a header packet waits to be taken
    int lastError = QORANA_OK;

    Stream(const recstream::StreamHeader& h, uint32_t size)
        : header(h), bufferSize(size), scanner(h.startTime, false) {}
};

std::mutex g_registryLock;
std::map<QORANA_HANDLE, std::shared_ptr<Stream>>& Registry() {
    static auto* registry = new std::map<QORANA_HANDLE, std::shared_ptr<Stream>>();
    return *registry;
}
QORANA_HANDLE g_nextHandle = 1;

std::shared_ptr<Stream> Find(QORANA_HANDLE handle) {
    std::lock_guard<std::mutex> guard(g_registryLock);
    auto it = Registry().find(handle);
    if (it == Registry().end()) return nullptr;
    return it->second;
}

void FillTime(uint32_t seconds, QORANA_PACKET_INFO* out) {
    time_t t = static_cast<time_t>(seconds);
    struct tm tmv;
    if (!gmtime_r(&t, &tmv)) return;
    out->year = static_cast<uint32_t>(tmv.tm_year + 1900);
    out->month = static_cast<uint32_t>(tmv.tm_mon + 1);
    out->day = static_cast<uint32_t>(tmv.tm_mday);
    out->hour = static_cast<uint32_t>(tmv.tm_hour);
    out->minute = static_cast<uint32_t>(tmv.tm_min);
    out->second = static_cast<uint32_t>(tmv.tm_sec);
    out->timeStamp = seconds;
}

void FillCommon(const Stream& s, QORANA_PACKET_INFO* out) {
    out->channel = s.header.channel;
    out->width = s.header.width;
    out->height = s.header.height;
    out->frameRate = s.header.frameRate;
}

uint32_t FrameTypeOf(const recstream::Packet& p) {
    if (p.pes.empty()) return QORANA_FRAME_NONE;
    const recstream::Pes& pes = p.pes.front();
    switch (pes.streamId) {
    case recstream::kStreamVideo: return pes.keyFrame ? QORANA_FRAME_VIDEO_KEY : QORANA_FRAME_VIDEO;
    case recstream::kStreamAudio: return QORANA_FRAME_AUDIO;
    case recstream::kStreamPrivate: return QORANA_FRAME_PRIVATE;
    default: return QORANA_FRAME_NONE;
    }
}

}  // namespace

QORANA_HANDLE QORANA_CreateStreamEx(uint32_t bufferSize, const void* header) {
    if (!header || bufferSize == 0) return 0;
    recstream::StreamHeader h;
    if (!recstream::ParseHeader(header, recstream::kHeaderSize, &h)) return 0;
    auto stream = std::make_shared<Stream>(h, bufferSize);
    std::lock_guard<std::mutex> guard(g_registryLock);
    QORANA_HANDLE handle = g_nextHandle++;
    if (g_nextHandle <= 0) g_nextHandle = 1;
    Registry()[handle] = std::move(stream);
    return handle;
}

int QORANA_InputData(QORANA_HANDLE handle, const void* data, uint32_t length) {
    auto s = Find(handle);
    if (!s) return 0;
    std::lock_guard<std::mutex> guard(s->lock);
    if (!data && length > 0) {
        s->lastError = QORANA_ERR_PARAM;
        return 0;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (s->fresh && length >= recstream::kHeaderSize) {
        recstream::StreamHeader h;
        if (recstream::ParseHeader(bytes, recstream::kHeaderSize, &h)) {
            // The stream header itself: one packet of its own, the packs count
            // on from the byte after it.
            s->headerPending = true;
            s->scanner.Reset(recstream::kHeaderSize);
            bytes += recstream::kHeaderSize;
            length -= static_cast<uint32_t>(recstream::kHeaderSize);
        }
    }
    if (length == 0) {
        s->fresh = false;
        return 1;
    }
    if (s->scanner.Buffered() + length > s->bufferSize) {
        s->lastError = QORANA_ERR_BUFFER_FULL;
        return 0;
    }
    s->scanner.Feed(bytes, length);
    s->fresh = false;
    return 1;
}

int QORANA_InputEnd(QORANA_HANDLE handle) {
    auto s = Find(handle);
    if (!s) return 0;
    std::lock_guard<std::mutex> guard(s->lock);
    s->scanner.Finish();
    s->fresh = false;
    return 1;
}

int QORANA_GetOnePacketEx(QORANA_HANDLE handle, QORANA_PACKET_INFO* packet) {
    auto s = Find(handle);
    if (!s) return -1;
    std::lock_guard<std::mutex> guard(s->lock);
    if (!packet) {
        s->lastError = QORANA_ERR_PARAM;
        return -1;
    }
    std::memset(packet, 0, sizeof(*packet));
    if (s->headerPending) {
        s->headerPending = false;
        FillCommon(*s, packet);
        packet->packetType = QORANA_PACKET_HEADER;
        packet->packetLength = static_cast<uint32_t>(recstream::kHeaderSize);
        FillTime(s->header.startTime, packet);
        return 0;
    }
    recstream::Packet p;
    if (!s->scanner.Next(&p)) {
        s->lastError = QORANA_ERR_NO_PACKET;
        return 1;
    }
    FillCommon(*s, packet);
    packet->offsetLow = static_cast<uint32_t>(p.offset & 0xFFFFFFFFu);
    packet->offsetHigh = static_cast<uint32_t>(p.offset >> 32);
    packet->packetLength = p.size;
    if (p.kind == recstream::kPacketJunk) {
        // No time: a junk run must never match a time query.
        packet->packetType = QORANA_PACKET_JUNK;
        packet->errorFlag = 1;
        return 0;
    }
    packet->packetType = QORANA_PACKET_STREAM;
    packet->frameType = FrameTypeOf(p);
    packet->pesCount = static_cast<uint32_t>(p.pes.size());
    packet->scrLow = static_cast<uint32_t>(p.scr & 0xFFFFFFFFu);
    packet->scrHigh = static_cast<uint32_t>(p.scr >> 32);
    packet->millisecond = static_cast<uint32_t>((p.scr % 90000) / 90);
    FillTime(p.time, packet);
    return 0;
}

int QORANA_ClearBuffer(QORANA_HANDLE handle) {
    auto s = Find(handle);
    if (!s) return 0;
    std::lock_guard<std::mutex> guard(s->lock);
    s->scanner.Reset(0);
    s->fresh = true;
    s->headerPending = false;
    return 1;
}

int QORANA_GetLastErrorH(QORANA_HANDLE handle) {
    auto s = Find(handle);
    if (!s) return QORANA_ERR_HANDLE;
    std::lock_guard<std::mutex> guard(s->lock);
    return s->lastError;
}

int QORANA_Destroy(QORANA_HANDLE handle) {
    std::shared_ptr<Stream> s;
    {
        std::lock_guard<std::mutex> guard(g_registryLock);
        auto it = Registry().find(handle);
        if (it == Registry().end()) return 0;
        s = std::move(it->second);
        Registry().erase(it);
    }
    return 1;
}
