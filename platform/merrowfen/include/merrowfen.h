// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Merrowfen: the hard-disk file library. Finds recordings, device logs and
// event records on recorder media of the second family (every disk, physical
// drive or folder that is not a qorauto disk) and streams recordings.
//
// Paths: "E:", "E:\", "\\.\PHYSICALDRIVE1" and plain folders are accepted
// everywhere a disk is named; they are resolved through the drive table
// (wincompat::MapPath). The medium's layout is described in
// docs/recorder-disk.md.
//
// Times: HD_FILE_TIME holds the recorder's own wall-clock date and time (the
// clock reading shown on the recorder). No time zone is applied anywhere in
// this library.
//
// Threads: the find-data, extra-information and stream callbacks run on
// threads of the library (one per search or stream). Every other call runs
// on the caller's thread. HD_FILE_GetLastError is kept per calling thread.
//
// Records that cross this interface are packed. Records that carry pointers
// keep their fields and order with the platform's native pointer width; the
// tail padding keeps FindDataCondition at 104 bytes on 32- and 64-bit builds.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---- constants ---------------------------------------------------------------

// Stream callback data types.
#define HD_DATA_HEADER 1   // the 40-byte stream header of a recording
#define HD_DATA_STREAM 2   // stream data; a null block of length -1 ends the stream

// Stream positions (HD_FILE_GetPos).
#define HD_POS_END 100     // every byte of the stream has been delivered
#define HD_POS_ERROR 200   // the stream failed, or the handle is unknown

// Stream modes of HD_FILE_GetStreamByTime / HD_FILE_GetStreamByFile. The mode
// only chooses the size of the data blocks handed to the callback, and, for
// by-time streams, how many entries of the path array are read.
#define HD_MODE_PLAY 1     // 32 KiB blocks; by time: up to 4 paths
#define HD_MODE_ENGINE 8   // 8 KiB blocks; by time: up to 8 paths
#define HD_MODE_COPY 21    // 64 KiB blocks; by time: up to 8 paths
#define HD_STREAM_MAX_PATHS 8

// Extra-information callback data types.
#define HD_EXTRA_RECORD 1  // one record
#define HD_EXTRA_END 2     // the search is over (record pointer null)

// Extra-information record types.
#define HD_EXTRA_MINOR_NORMAL 4098
#define HD_EXTRA_MAJOR_EVENT_A 4098          // event records
#define HD_EXTRA_MAJOR_EVENT_B 4113
#define HD_EXTRA_MAJOR_EVENT_C 4114
#define HD_EXTRA_MAJOR_DRIVER_BEHAVIOR 4117  // driver-behaviour records (40-byte data)

// Log search kinds of HD_FILE_FindLog.
#define HD_LOG_KIND_ALL 0      // every record of the disk, in time order
#define HD_LOG_KIND_FILTER 3   // filtered by major type, minor type and time (0 = any)

// Recording file types (FoundDataRecord.fileType, HD_FILE_FindFile's type;
// HD_FILE_FindFile type 0 matches every file type).
#define HD_FILE_TYPE_ALL 0
#define HD_FILE_TYPE_NORMAL 1    // continuous recording
#define HD_FILE_TYPE_MOTION 2
#define HD_FILE_TYPE_ALARM 3
#define HD_FILE_TYPE_MANUAL 4
#define HD_FILE_TYPE_EVENT 5
#define HD_FILE_TYPE_MAX 11

// Error codes (HD_FILE_GetLastError).
enum HD_FILE_ERROR {
    HD_ERR_NONE = 0,
    HD_ERR_PARAM = 1,            // an argument is missing or out of range
    HD_ERR_ORDER = 2,            // unknown handle, or a call out of order
    HD_ERR_ALLOC = 3,
    HD_ERR_OPEN_FILE = 4,        // a disk, marker, index or recording does not open
    HD_ERR_THREAD = 5,
    HD_ERR_INDEX = 6,            // an index file is damaged (size, magic, checksum)
    HD_ERR_TOO_MANY = 7,         // all handles of that kind are in use
    HD_ERR_READ = 8,
    HD_ERR_FILE_INFO = 9,
    HD_ERR_NO_FILE = 10,         // no matching file / record
    HD_ERR_SEEK = 11,            // cannot move to the position asked for
    HD_ERR_STREAM_SIZE = 12,
    HD_ERR_STREAM_HEADER = 13,   // the recording has no valid 40-byte header
    HD_ERR_DIR = 14,             // the disk path does not resolve
    HD_ERR_VERSION = 15,
    HD_ERR_NO_MORE_LOG = 16,     // the log search has no further record
    HD_ERR_STREAM = 17,
    HD_ERR_UNSUPPORTED = 18,
    HD_ERR_OPEN_LOG = 19,        // the log file does not open or is damaged
};

// ---- records ----------------------------------------------------------------
#pragma pack(push, 1)

// Date and time, six signed 32-bit fields (the layout of the engine's
// RbsDateTime and of DVR_FILE_TIME).
typedef struct HD_FILE_TIME {
    int32_t year;    // full year, e.g. 2024
    int32_t month;   // 1..12
    int32_t day;     // 1..31
    int32_t hour;    // 0..23
    int32_t minute;  // 0..59
    int32_t second;  // 0..59
} HD_FILE_TIME;

// One recording found by HD_FILE_FindData (232 bytes).
typedef struct FoundDataRecord {
    char fileName[100];       // 0: zero-terminated; the name HD_FILE_GetStreamByFile opens
    HD_FILE_TIME start;       // 100
    HD_FILE_TIME end;         // 124
    uint32_t fileSize;        // 148: bytes
    uint32_t recordType;      // 152: record-type code (0..9 plain, larger: violation codes)
    uint32_t channel;         // 156: channel number, 1-based
    uint32_t fileType;        // 160: HD_FILE_TYPE_*
    uint8_t endOfSearch;      // 164: non-zero in the last call of a search (carries no file)
    uint8_t reserved[67];     // 165
} FoundDataRecord;

typedef void (*HD_FIND_DATA_CALLBACK)(int kind, const FoundDataRecord* record, void* user);

// Search condition of HD_FILE_FindData (104 bytes).
typedef struct FindDataCondition {
    const char* diskPath;             // disk to search (zero-terminated)
    int32_t channel;                  // channel filter, -1 = every channel
    int32_t reserved0;                // 0
    HD_FILE_TIME start;               // span start (inclusive)
    HD_FILE_TIME end;                 // span end (inclusive)
    HD_FIND_DATA_CALLBACK callback;   // called once per recording, then once with endOfSearch set
    void* user;                       // handed to the callback
    uint8_t reserved[sizeof(void*) == 8 ? 24 : 36];
} FindDataCondition;

// One recording filled by HD_FILE_FindNextFile / HD_FILE_FindNextFileKEL
// (148 bytes).
typedef struct HD_FIND_FILE_RECORD {
    char fileName[100];       // 0: as in FoundDataRecord
    char startTime[16];       // 100: "YYYYMMDDhhmmss", zero-terminated
    char stopTime[16];        // 116: "YYYYMMDDhhmmss", zero-terminated
    uint32_t fileSize;        // 132
    uint32_t recordType;      // 136: record-type code
    uint32_t channel;         // 140: 1-based
    uint32_t fileType;        // 144: HD_FILE_TYPE_*
} HD_FIND_FILE_RECORD;

// One device-log record (68 bytes), filled by HD_FILE_FindNextLog.
typedef struct HD_LOG_RECORD {
    char time[16];            // 0: "YYYYMMDDhhmmss", zero-terminated
    uint32_t majorType;       // 16: 1 alarm, 2 exception, 3 operation, 4 information
    uint32_t minorType;       // 20
    char localUser[16];       // 24: zero-terminated, local 8-bit text
    char remoteUser[16];      // 40
    uint32_t remoteHost;      // 56: IPv4, most significant byte = first number
    uint32_t paramType;       // 60
    uint8_t channel;          // 64
    uint8_t diskNumber;       // 65
    uint8_t alarmIn;          // 66
    uint8_t alarmOut;         // 67
} HD_LOG_RECORD;

// Data block of an event record (major types 4098, 4113, 4114; 16 bytes).
typedef struct HD_EVENT_DATA {
    uint32_t startTime;       // recorder seconds (the recorder's clock counted as UTC)
    uint32_t endTime;
    uint32_t subType;
    uint32_t reserved;
} HD_EVENT_DATA;

// Data block of a driver-behaviour record (major type 4117; 40 bytes).
typedef struct HD_DRIVER_BEHAVIOR_DATA {
    uint32_t startTime;       // recorder seconds
    uint32_t endTime;
    uint32_t behaviorCode;    // 1..14
    uint32_t speed;           // km/h x 10 at the start
    uint32_t level;           // 1..3
    uint8_t reserved[20];
} HD_DRIVER_BEHAVIOR_DATA;

// One extra-information record handed to the callback.
typedef struct ExtraInfoRecord {
    uint32_t recordTime;      // 0: recorder seconds of the record's start
    uint16_t channel;         // 4: 1-based
    uint16_t diskIndex;       // 6: slot of the condition the record came from
    uint16_t majorType;       // 8
    uint16_t minorType;       // 10
    uint32_t dataLength;      // 12: bytes at data
    const uint8_t* data;      // 16: valid only during the callback
} ExtraInfoRecord;

typedef void (*HD_EXTRA_INFO_CALLBACK)(int handle, int dataType, const ExtraInfoRecord* record, void* user);

#define HD_EXTRA_MAX_DISKS 8
#define HD_EXTRA_PATH_SIZE 260

// Search condition of HD_FILE_StartFindExtraInfo.
typedef struct ExtraInfoCondition {
    char diskPaths[HD_EXTRA_MAX_DISKS][HD_EXTRA_PATH_SIZE];  // 0: zero-padded paths
    int32_t diskCount;        // 2080: slots used, 1..8
    int32_t channel;          // 2084: channel (1-based); -1 = every channel
    uint8_t reserved0[8];     // 2088
    HD_FILE_TIME start;       // 2096: all zero = no lower bound
    HD_FILE_TIME end;         // 2120: all zero = no upper bound
    void* user;               // 2144
    HD_EXTRA_INFO_CALLBACK callback;  // 2144 + pointer size
} ExtraInfoCondition;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(HD_FILE_TIME) == 24, "HD_FILE_TIME is 24 bytes");
static_assert(sizeof(FoundDataRecord) == 232, "FoundDataRecord is 232 bytes");
static_assert(offsetof(FoundDataRecord, endOfSearch) == 164, "end flag at 164");
static_assert(sizeof(FindDataCondition) == 104, "FindDataCondition is 104 bytes");
static_assert(sizeof(HD_FIND_FILE_RECORD) == 148, "find-file record is 148 bytes");
static_assert(offsetof(HD_FIND_FILE_RECORD, recordType) == 136, "find-file record type at 136");
static_assert(offsetof(HD_FIND_FILE_RECORD, startTime) == 100 && offsetof(HD_FIND_FILE_RECORD, stopTime) == 116,
              "find-file time texts at 100 and 116");
static_assert(sizeof(HD_LOG_RECORD) == 68, "log record is 68 bytes");
static_assert(sizeof(HD_EVENT_DATA) == 16, "event data is 16 bytes");
static_assert(sizeof(HD_DRIVER_BEHAVIOR_DATA) == 40, "driver-behaviour data is 40 bytes");
static_assert(offsetof(ExtraInfoRecord, majorType) == 8 && offsetof(ExtraInfoRecord, data) == 16,
              "extra-information record layout");
static_assert(offsetof(ExtraInfoCondition, diskCount) == 2080 && offsetof(ExtraInfoCondition, start) == 2096 &&
                  offsetof(ExtraInfoCondition, user) == 2144,
              "extra-information condition layout");
static_assert(sizeof(ExtraInfoCondition) == 2144 + 2 * sizeof(void*), "extra-information condition size");
#endif

// Stream callback: (stream handle, HD_DATA_*, data, length, user). The data
// are valid only during the call. The end of a stream is (HD_DATA_STREAM,
// null, -1).
typedef void (*HD_STREAM_CALLBACK)(int handle, int dataType, unsigned char* data, int length, void* user);

// ---- recordings -------------------------------------------------------------

// Lists the recordings of cond->diskPath whose span overlaps [start, end]
// (and whose channel matches), in start-time order, on a library thread: one
// callback per recording (kind 0), then one with endOfSearch set. `reserved`
// must be 0 and `size` sizeof(FindDataCondition). Returns a handle (>= 0) or
// -1. A disk without recordings, or with damaged day indexes, still ends with
// the end-of-search call.
int HD_FILE_FindData(int reserved, const FindDataCondition* cond, int size);
// Ends the search (waiting for its thread) and frees the handle. 1 / 0.
int HD_FILE_FindDataClose(int handle);

// Pull form of the listing: drive "X:" (or any disk path), channel (1-based,
// -1 every channel), file type (0 every type, 1..11), span. Handle >= 0 or -1.
int HD_FILE_FindFile(const char* drive, int channel, int type, const HD_FILE_TIME* start, const HD_FILE_TIME* end);
// Fill the next record: 1, or 0 at the end (error HD_ERR_NO_FILE) or on failure.
int HD_FILE_FindNextFile(int handle, HD_FIND_FILE_RECORD* record);
int HD_FILE_FindNextFileKEL(int handle, HD_FIND_FILE_RECORD* record);
int HD_FILE_FindClose(int handle);   // 1 / 0

// ---- extra information (events, driver behaviour) -----------------------------

// Searches the event records of the condition's disks on a library thread:
// HD_EXTRA_RECORD once per record whose span overlaps the condition's span,
// then HD_EXTRA_END with a null record. Handle >= 0, or -1 when nothing starts
// (no disk, no callback).
int HD_FILE_StartFindExtraInfo(const ExtraInfoCondition* cond);
// Ends the search (waiting for its thread) and frees the handle. 1 / 0.
int HD_FILE_StopFindExtraInfo(int handle);

// ---- device logs --------------------------------------------------------------

// Log search of one disk. kind: HD_LOG_KIND_*; major/minor 0 = any; start and
// end may be null (open). Handle >= 0, or -1 (HD_ERR_OPEN_LOG when the disk has
// no readable log).
int HD_FILE_FindLog(const char* path, int kind, int major, int minor, const HD_FILE_TIME* start,
                    const HD_FILE_TIME* end);
// 1 with the next record, 0 at the end (HD_ERR_NO_MORE_LOG) or on failure.
int HD_FILE_FindNextLog(int handle, HD_LOG_RECORD* record);
int HD_FILE_FindLogClose(int handle);  // 1 / 0

// ---- streams ------------------------------------------------------------------

// Streams one channel's recordings over [start, end] from the disks of the
// null-terminated path array (at most 4 entries are read in HD_MODE_PLAY, 8
// otherwise). Each recording starts with its 40-byte header (HD_DATA_HEADER),
// followed by its packs from the first pack at or after `start` up to the last
// pack at or before `end`. With a null callback nothing is delivered until
// HD_FILE_SetGetStreamCallBack. Handle >= 0, or -1 (HD_ERR_NO_FILE when no
// recording overlaps the span).
int HD_FILE_GetStreamByTime(const char* const* paths, const HD_FILE_TIME* start, const HD_FILE_TIME* end,
                            int channel, int mode, HD_STREAM_CALLBACK callback, void* user);
// Streams one whole recording, named as a find returned it (or by a path).
// `reserved` must be 0. Handle >= 0 or -1.
int HD_FILE_GetStreamByFile(const char* file, int mode, int reserved, HD_STREAM_CALLBACK callback, void* user);
// Sets (or replaces) the callback of a stream. 1 / 0.
int HD_FILE_SetGetStreamCallBack(int handle, HD_STREAM_CALLBACK callback);
// Ends the stream and frees the handle. When it returns no further callback
// of that stream can come (called from the stream's own callback it only
// marks the stream; the thread ends after the callback returns). 1 / 0.
int HD_FILE_Stop(int handle);
// 1 pauses delivery, 0 resumes it. 1 / 0.
int HD_FILE_GetStreamPause(int handle, int pause);
// 0..99 while delivering (share of the stream's bytes), HD_POS_END once every
// byte has been delivered, HD_POS_ERROR after a failure or for an unknown handle.
int HD_FILE_GetPos(int handle);
// Moves to `position` percent (0..100) of the stream's bytes, at a pack start.
int HD_FILE_SetPos(int handle, int position);
// Moves to the first pack of `time`'s second (or the first later pack). 1 / 0
// (HD_ERR_SEEK when the time lies outside the stream).
int HD_FILE_SetPosByTime(int handle, const HD_FILE_TIME* time);
// reverse 1: deliver the recording backwards, one key-frame group at a time
// (newest first), from the given time, or from the current position when the
// six fields are all 0; reverse 0: forwards again from the given time (or the
// current position). By-file streams only (HD_ERR_UNSUPPORTED otherwise).
int HD_FILE_SetStreamReversePlay(int handle, int reverse, int year, int month, int day, int hour, int minute,
                                 int second, int flag);
// Bytes delivered so far and the stream's total bytes. 0, or -1 on failure.
int HD_FILE_GetFileLength(int handle, uint32_t* position, uint32_t* length);
// Seconds of the stream's span (last pack time - first pack time + 1); -1 on failure.
int HD_FILE_GetTotalTime(int handle);
// Frames of the stream (seconds x frame rate of the header); -1 on failure.
int HD_FILE_GetTotalFrame(int handle);
// First and last pack time of the stream. 0, or -1 on failure.
int HD_FILE_GetPlayTimeRange(int handle, HD_FILE_TIME* start, HD_FILE_TIME* end);

// ---- disks --------------------------------------------------------------------

// Picture-index layout of a disk: 1 or 2; -1 when the disk has no marker.
int HD_GetDiskVersion(const char* drive);

// Error code of the calling thread's last failed call (HD_FILE_ERROR). A
// successful call leaves it unchanged.
int HD_FILE_GetLastError(void);

#ifdef __cplusplus
}  // extern "C"
#endif
