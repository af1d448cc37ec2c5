// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Direct file stream reader: streams one recording file straight from the
// file system, whole or cut to a time span, on a reader thread of its own,
// and hands the data block by block to a callback. Used for channels whose
// files were found in a local folder (the channel's Rbs flag).
//
// All RbsOperate objects share one process-wide table of open streams
// (handles 0 to 99); an object has no state of its own.
#include <cstdint>

#include "RbsDateTime.h"

// Called on the reader thread. kind 1: the 40-byte stream header (once,
// first); kind 2: one block of file data. The buffer belongs to the reader and
// is reused for the next block. The callback must not call into RbsOperate.
typedef void (*RbsDataCallback)(int handle, int kind, char* data, uint32_t length, void* user);

class RbsOperate {
public:
    enum { kMaxStreams = 100 };

    RbsOperate() = default;
    ~RbsOperate() = default;

    // Streams the whole file from `startOffset` (0 = right after the header).
    // Returns the stream handle, or -1. A stream opened `held` delivers its
    // header and then no data until RBS_ReleaseStream, so a move made
    // meanwhile takes effect before the first block.
    int RBS_GetStreamByFile(const char* path, uint32_t blockSizeKiB, uint64_t startOffset,
                            RbsDataCallback callback, void* user, bool held = false);
    // Lets a held stream deliver its data. False for an unknown handle.
    bool RBS_ReleaseStream(int handle);
    // Streams the span [start, end) of the file. The file name is taken to
    // carry the file's own span ("<start>_<end>_..."); a query time that
    // differs from it is looked up in the stream. Returns the handle, or -1.
    int RBS_GetStreamByTime(const char* path, const RbsDateTime* start, const RbsDateTime* end,
                            uint32_t blockSizeKiB, RbsDataCallback callback, void* user);
    // Moves a running stream to the first packet of the given second. True
    // when the second was found and the move requested. Every block the
    // callback gets after this returns comes from the new position.
    // `onMoved(arg)`, when given, runs once the move is requested and before
    // the first block of the new position is read (the consumer drops what
    // it buffered of the old position there; it must not call into
    // RbsOperate).
    bool RBS_SetPosByTime(int handle, const RbsDateTime* time, void (*onMoved)(void*) = nullptr,
                          void* arg = nullptr);
    // Percent 0-100 of the stream delivered; 100 for an unknown handle.
    int RBS_GetPos(int handle);
    // Stops the stream, waits for its reader and releases the handle. False
    // for an unknown handle.
    bool RBS_StopStream(int handle);

    // Byte offset of the first packet of `path` whose time is the given
    // second; -1 when the file cannot be read or no packet carries that second.
    static int64_t FindOffsetByTime(const char* path, const RbsDateTime& time);

    RbsOperate(const RbsOperate&) = delete;
    RbsOperate& operator=(const RbsOperate&) = delete;
};
