// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Grelling: stream analysis of recorder streams. A stream object takes the
// 40-byte stream header of a recording, is fed the bytes that follow it (in
// pieces of any size) and hands out one packet record per packet, with the
// packet's recorder time and length. Packets cover the fed bytes without gaps,
// so the running sum of packet lengths is the byte offset of the next packet.
//
// Handles are plain integers; 0 is never a valid handle. A destroyed handle is
// refused by every call. One stream must be used by one thread at a time;
// different streams may be used from different threads.
#include <cstddef>
#include <cstdint>

typedef intptr_t QORANA_HANDLE;   // 0 = failure

// Kinds of packet (QORANA_PACKET_INFO::packetType).
enum {
    QORANA_PACKET_STREAM = 0,   // one pack of the program stream
    QORANA_PACKET_HEADER = 1,   // the 40-byte stream header given as input
    QORANA_PACKET_JUNK = 2,     // bytes that do not parse
};

// Frame kinds (QORANA_PACKET_INFO::frameType): of the first elementary-stream
// piece of the packet.
enum {
    QORANA_FRAME_NONE = 0,
    QORANA_FRAME_VIDEO_KEY = 1,
    QORANA_FRAME_VIDEO = 2,
    QORANA_FRAME_AUDIO = 3,
    QORANA_FRAME_PRIVATE = 4,
};

// Error codes (QORANA_GetLastErrorH).
enum {
    QORANA_OK = 0,
    QORANA_ERR_HANDLE = 1,      // the handle is not a live stream
    QORANA_ERR_PARAM = 2,       // null pointer or bad size
    QORANA_ERR_HEADER = 3,      // the bytes are not a stream header
    QORANA_ERR_BUFFER_FULL = 4, // the input does not fit into the stream's buffer
    QORANA_ERR_NO_PACKET = 5,   // no complete packet is buffered
};

#pragma pack(push, 1)
// One packet, 116 bytes, 32-bit words little-endian.
struct QORANA_PACKET_INFO {
    uint32_t packetType;     //   0 QORANA_PACKET_*
    uint32_t frameType;      //   4 QORANA_FRAME_*
    uint32_t channel;        //   8 recorder channel from the stream header
    uint32_t year;           //  12 packet time (recorder civil time)
    uint32_t month;          //  16 1-12
    uint32_t day;            //  20 1-31
    uint32_t hour;           //  24
    uint32_t minute;         //  28
    uint32_t second;         //  32
    uint32_t millisecond;    //  36
    uint32_t offsetLow;      //  40 stream offset of the packet's first byte,
    uint32_t offsetHigh;     //  44   counted from the first byte fed
    uint32_t timeStamp;      //  48 recorder seconds (civil time counted as UTC)
    uint32_t pesCount;       //  52 elementary-stream pieces in the packet
    uint32_t errorFlag;      //  56 0 = the packet is well formed
    uint32_t packetLength;   //  60 bytes of the packet
    uint32_t scrLow;         //  64 system clock reference, 90 kHz
    uint32_t scrHigh;        //  68
    uint32_t width;          //  72 picture size from the stream header
    uint32_t height;         //  76
    uint32_t frameRate;      //  80
    uint32_t reserved[8];    //  84
};
#pragma pack(pop)
static_assert(sizeof(QORANA_PACKET_INFO) == 116, "packet record is 116 bytes");

// Creates a stream with room for `bufferSize` bytes of unparsed input from a
// 40-byte stream header. Returns 0 when the header is not valid or the size is
// 0 (no last error can be read then: there is no handle).
QORANA_HANDLE QORANA_CreateStreamEx(uint32_t bufferSize, const void* header);

// Appends input. Returns non-zero on success, 0 on failure (see the last
// error): a bad handle, a null pointer, or input that does not fit into the
// free room of the buffer (take packets out first). The 40-byte stream header
// given as the first input after creation or a clear comes out as one packet
// of kind QORANA_PACKET_HEADER.
int QORANA_InputData(QORANA_HANDLE handle, const void* data, uint32_t length);

// Marks the end of the input: the last packet becomes available.
int QORANA_InputEnd(QORANA_HANDLE handle);

// Takes the next packet into `packet` (zeroed first). Returns 0 when a packet
// was taken, 1 when more input is needed, -1 on a bad handle or null record.
int QORANA_GetOnePacketEx(QORANA_HANDLE handle, QORANA_PACKET_INFO* packet);

// Drops every buffered byte; offsets count from 0 again. Non-zero on success.
int QORANA_ClearBuffer(QORANA_HANDLE handle);

// Error code of the last failed call on the handle (QORANA_ERR_HANDLE for a
// handle that is not live).
int QORANA_GetLastErrorH(QORANA_HANDLE handle);

// Releases the stream. Non-zero on success, 0 for a handle that is not live.
int QORANA_Destroy(QORANA_HANDLE handle);
