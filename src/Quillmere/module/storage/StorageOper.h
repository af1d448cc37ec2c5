// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One storage access object: lists the recordings of a disk and streams one
// recording, hiding which library reads the disk (see QorAutoStorage).
//
// Streams deliver through one callback: data type 1 carries the 40-byte
// stream header that every recording starts with, data type 2 stream data.
// Type-1 disks are read by a read task of this object (std::async), type-2
// disks by the hard-disk file library's own thread, so callbacks come from
// any thread. After StopStream returns no callback of a type-1 stream comes.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "merrowfen.h"

namespace APT_QMR {
class CSingleFile;
}

#include "RbsDateTime.h"

// (handle, data type 1 header / 2 data, buffer, length, user data). The buffer
// is valid only during the call.
typedef void (*StreamDataCallback)(int handle, int dataType, unsigned char* data, int length, void* user);

// The recorder's clock fields of recorder time `t` (see RecorderTime.h).
// Recorder time has no time zone: `utc` changes nothing and is kept for the
// callers that name it.
void TimeToDateTime(RbsDateTime& out, time_t t, bool utc);
// The recorder time of the six clock fields.
time_t DateTimeToTime(const RbsDateTime* dt);

class StorageOper {
public:
    // Read status of type-1 streams (GetPos): the hard-disk file library's
    // positions for the end and for a failure, so that GetPos means the same
    // on every disk type. The stream source, the downloader and the player
    // read positions by these names.
    static constexpr int kPosEnd = HD_POS_END;
    static constexpr int kPosFailed = HD_POS_ERROR;

    StorageOper() = default;
    ~StorageOper();

    // Lists the recordings of the disk named in the condition; each goes to
    // the condition's callback (kind 0). On a type-2 disk the call waits until
    // StopSearchFileInfos (the callback does so on the end-of-search record),
    // until `stopRequested` returns true (polled every 100 ms), or until the
    // search time-out passes (logged). Always true.
    bool SearchFileInfos(const FindDataCondition* cond, const std::function<bool()>& stopRequested = {});
    void StopSearchFileInfos();
    // Longest wait of a type-2 search for its end record (default 10 minutes).
    void SetSearchTimeoutMs(int ms) { m_searchTimeoutMs = ms; }

    // Streams the span StartTime..EndTime of the file (by time) or the whole
    // file (by name). A stream still open on this object is stopped first.
    // Returns the stream handle, or -1.
    int StartStreamByTime(const std::shared_ptr<APT_QMR::CSingleFile>& file, StreamDataCallback callback,
                          void* user);
    // A stream opened `held` delivers at most its header and then no data
    // until ReleaseStream, so a SetPosTime made meanwhile takes effect before
    // the first block.
    int StartStreamByFileName(const std::shared_ptr<APT_QMR::CSingleFile>& file, StreamDataCallback callback,
                              void* user, bool held = false);
    // Lets a held stream deliver its data; nothing for a stream not held.
    void ReleaseStream();
    // Moves the open stream to `time`. *moved tells whether the position
    // changed (a type-1 stream is not moved to a time at or before the file's
    // start). False when nothing is open or the move failed.
    bool SetPosTime(const RbsDateTime* time, bool* moved);
    // Type 1: 0 while reading, 100 at the end, 200 when stopped early or
    // failed. Type 2: the library's position. 0 when no stream was started.
    int GetPos();
    void StopStream();

    int GetHandle() const { return m_handle.load(); }
    int GetDiskType() const { return m_diskType; }
    std::shared_ptr<APT_QMR::CSingleFile> m_pStreamFile;

    StorageOper(const StorageOper&) = delete;
    StorageOper& operator=(const StorageOper&) = delete;

private:
    int StartStream(const std::shared_ptr<APT_QMR::CSingleFile>& file, StreamDataCallback callback, void* user,
                    bool byTime, bool held);
    // Read task of a type-1 stream: false when the stream was stopped while
    // it was held.
    bool WaitWhileHeld();
    void SearchQorAuto(const FindDataCondition* cond, const std::function<bool()>& stopRequested);
    void SearchOther(const FindDataCondition* cond, const std::function<bool()>& stopRequested);
    void ReadQorAutoStream();
    void ReadQorAutoBatchStream();
    // Closes the type-1 record (under the storage lock) once.
    void CloseQorAutoRecord(int handle);
    void JoinReadTask();

    // Search stop: set by the found-file callback on the library's thread.
    std::atomic<bool> m_stopSearch{false};
    std::mutex m_searchMutex;
    std::condition_variable m_searchWake;
    int m_searchTimeoutMs = 10 * 60 * 1000;

    int m_diskType = -1;
    std::atomic<int> m_handle{-1};
    StreamDataCallback m_callback = nullptr;
    void* m_user = nullptr;

    // A held stream: the type-1 read task waits on m_holdWake; a type-2
    // stream was started without a callback, which ReleaseStream hands over.
    std::mutex m_holdMutex;
    std::condition_variable m_holdWake;
    bool m_held = false;

    // Read task of type-1 streams.
    std::atomic<bool> m_running{false};
    std::future<void> m_readTask;
    std::atomic<std::thread::id> m_readThread{};
    std::atomic<int> m_readStatus{0};
    // Guarded by the storage lock: whether the record is still open, the read
    // position in the stream data, and (by time) the absolute end of the span,
    // so a seek leaves the span's end where it was.
    bool m_recordOpen = false;
    uint32_t m_readPos = 0;
    uint32_t m_spanEnd = 0;
};
