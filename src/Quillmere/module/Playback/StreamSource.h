// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place where the playback engine opens the byte stream of a
// recording. Two routes lead to the data: the storage layer (recorder disks)
// and the direct file stream reader (files found in a local folder, the
// channel's Rbs flag). Either way the data arrive in one callback: the 40-byte
// stream header with data type 1, then the stream in blocks with data type 2.
//
// The source has no lock: its owner serialises the calls. The callback runs on
// the serving route's thread and must not call back into the source.
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage/RbsOperate.h"
#include "storage/SingleFile.h"
#include "storage/StorageOper.h"

// A recorder stream file (it starts with a stream header the direct reader
// can stream).
bool IsRecorderFile(const std::string& path);
// A file that exists and is not a recorder stream: a converted file (.mp4),
// which the player library reads and cuts itself, or no recording at all.
bool IsConvertedFile(const std::string& path);

class CStreamSource {
public:
    CStreamSource();
    ~CStreamSource();
    CStreamSource(const CStreamSource&) = delete;
    CStreamSource& operator=(const CStreamSource&) = delete;

    void SetCallback(StreamDataCallback callback, void* user);
    // true: streams go through the direct file stream reader; false: through
    // the storage layer. The first call creates the reader.
    void SetDiskKind(bool bareDisk);

    // Each start stops an open stream first. True when a stream is open.
    // A stream opened `held` delivers at most its header and then no data
    // until ReleaseStream: a SetPosByTime made meanwhile takes effect before
    // the first block, so nothing of the file's start reaches the callback.
    bool StartStreamByFile(std::shared_ptr<APT_QMR::CSingleFile>& file, bool held = false);
    void ReleaseStream();
    // Streams the span StartTime..EndTime of the file.
    bool StartStreamByTime(std::shared_ptr<APT_QMR::CSingleFile>& file);
    // Moves the open stream to a time. `reset` comes back true when the
    // player's source buffer must be dropped. False when not moved.
    // With `resetBuffer`, the direct reader route calls it between the last
    // block of the old position and the first of the new one (and `reset`
    // then comes back false: nothing is left to drop).
    bool SetPosByTime(RbsDateTime time, bool* reset, void (*resetBuffer)(void*) = nullptr, void* arg = nullptr);
    // Progress of the open stream: 0 with none; the direct reader's percent
    // (100, StorageOper::kPosEnd, = read to the end; -1 without a reader);
    // the storage layer's position (StorageOper::kPosEnd at the end,
    // StorageOper::kPosFailed after a failure).
    int GetPos();
    void StopStream();

    bool IsOpen() const { return m_handle != -1; }
    // The next start reads files straight from the file system.
    bool IsDirectRoute() const { return m_bRbs; }

private:
    static void RbsForward(int handle, int kind, char* data, uint32_t length, void* user);

    int m_handle;
    RbsOperate* m_pRbsOperate;
    StorageOper m_storageOper;
    bool m_bRbs;             // route for the next start
    bool m_openOnRbs;        // route that opened the current stream
    StreamDataCallback m_callback;
    void* m_user;
};

// Takes the data of a recording read again: data type 1 the 40-byte stream
// header, 2 a block of the stream. False: nothing more is needed.
using SpanSink = std::function<bool(int dataType, const uint8_t* data, uint32_t size)>;

// Reads the recordings of `files` (a channel's time line) that hold the
// seconds `from` to `to` (recorder times, both included) again, on the calling
// thread, which it keeps until they have been read: by the route of `direct`
// (as SetDiskKind) and the way the stream player reads them, each opened by
// file, the first moved to `lead` seconds before `from` (never before its
// own start). Every header and block goes to `sink`, in order, until it
// wants no more or the last of them ends. True when they were read to their
// end or `sink` had enough; false when a recording could not be opened or
// failed (or stayed silent) while it was read.
bool ReadRecordingSpan(const std::vector<std::shared_ptr<APT_QMR::CSingleFile>>& files, bool direct, time_t from,
                       time_t to, int lead, const SpanSink& sink);
