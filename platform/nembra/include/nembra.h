// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Nembra: the record storage library of the qorauto disks (disk type 1).
//
// A qorauto disk is a drive root (a letter such as "E:\", resolved through
// the drive table) that holds the "QORAUTO" marker; its recordings are listed
// through its own catalogue (docs/recorder-disk.md). The library keeps a
// process-wide table of initialised media; record names it hands out carry
// the disk's serial, so storage_record_open needs nothing but the name.
//
// Every call is thread-safe. Calls never call back: reads, seeks and seeks
// by time are pulls from the caller's read task.
//
// Times are the recorder's own wall-clock date and time (STORAGE_TIME); no
// time zone is applied.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// storage_type_judge results.
#define STORAGE_TYPE_QORAUTO 1   // a qorauto disk: read it through this library
#define STORAGE_TYPE_OTHER 2     // any other readable disk or folder
#define STORAGE_TYPE_INVALID -1  // the path does not resolve or does not exist

#define STORAGE_CHAN_MAP_ENTRIES 64
#define STORAGE_STREAM_HEADER_SIZE 40

// Record types (StorageRecordEntry.recordType).
#define STORAGE_RECORD_NORMAL 1
#define STORAGE_RECORD_ALARM 2
#define STORAGE_RECORD_MANUAL 3

#pragma pack(push, 1)

// Date and time, six signed 32-bit fields (the engine's RbsDateTime layout).
typedef struct STORAGE_TIME {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
} STORAGE_TIME;

// One channel-map entry (40 bytes). Entry 0 describes the main recordings,
// entry 1 the sub-stream recordings; an entry whose first channel is above
// its last describes no channel.
typedef struct StorageChanMapEntry {
    char name[24];            // 0: "main", "sub"; zero-terminated
    uint32_t streamType;      // 24: 0 main, 1 sub
    uint32_t channelCount;    // 28: last - first + 1, or 0
    uint32_t firstChannel;    // 32: 1-based
    uint32_t lastChannel;     // 36
} StorageChanMapEntry;

// Search condition of storage_record_list_create (72 bytes).
typedef struct StorageSearchRecord {
    int32_t media;            // 0: media number from storage_init
    int32_t reserved0;        // 4: 0
    int32_t reserved1;        // 8: 0
    uint32_t channel;         // 12: 1-based
    uint32_t mapIndex;        // 16: channel-map entry (0 main, 1 sub)
    int32_t reserved2;        // 20: 0
    STORAGE_TIME start;       // 24: span start (inclusive)
    STORAGE_TIME end;         // 48: span end (inclusive)
} StorageSearchRecord;

// One record entry (136 bytes), filled by storage_record_list_dequeue.
typedef struct StorageRecordEntry {
    char name[64];            // 0: zero-terminated record name (storage_record_open takes it)
    uint32_t recordType;      // 64: STORAGE_RECORD_*
    uint32_t channel;         // 68
    uint32_t fileSize;        // 72: bytes, header included
    STORAGE_TIME start;       // 76
    STORAGE_TIME end;         // 100
    uint8_t reserved[12];     // 124
} StorageRecordEntry;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(STORAGE_TIME) == 24, "STORAGE_TIME is 24 bytes");
static_assert(sizeof(StorageChanMapEntry) == 40, "channel-map entry is 40 bytes");
static_assert(offsetof(StorageChanMapEntry, firstChannel) == 32 && offsetof(StorageChanMapEntry, lastChannel) == 36,
              "channel-map entry layout");
static_assert(sizeof(StorageSearchRecord) == 72, "search record is 72 bytes");
static_assert(offsetof(StorageSearchRecord, start) == 24 && offsetof(StorageSearchRecord, end) == 48,
              "search record layout");
static_assert(sizeof(StorageRecordEntry) == 136, "record entry is 136 bytes");
static_assert(offsetof(StorageRecordEntry, recordType) == 64 && offsetof(StorageRecordEntry, fileSize) == 72 &&
                  offsetof(StorageRecordEntry, start) == 76 && offsetof(StorageRecordEntry, end) == 100,
              "record entry layout");
#endif

typedef void* STORAGE_LIST_HANDLE;

// ---- disks ----------------------------------------------------------------------

// STORAGE_TYPE_QORAUTO when the path's root holds a valid "QORAUTO" marker,
// STORAGE_TYPE_OTHER for any other existing disk or folder, else
// STORAGE_TYPE_INVALID.
int storage_type_judge(const char* path);
// Opens a qorauto disk: its media number (>= 0), or -1 (not a qorauto disk,
// damaged marker). Initialising the same disk again gives the same number.
int storage_init(const char* path);
// Forgets a media number (its open records stay readable until closed). 0 / -1.
int storage_deinit(int media);
// Fills up to `maxEntries` 40-byte StorageChanMapEntry records into `buffer`
// (which must hold maxEntries of them); unused entries are zero. Returns the
// number of entries filled, or -1.
int storage_type_chan_map_get(int media, void* buffer, int maxEntries);

// ---- listing --------------------------------------------------------------------

// Starts a listing of one channel's recordings whose span overlaps
// [start, end], in start-time order. Null on failure (unknown media, bad
// channel-map index, damaged catalogue).
STORAGE_LIST_HANDLE storage_record_list_create(const StorageSearchRecord* cond);
// 0 with the next entry filled; 1 at the end of the list; -1 on failure.
int storage_record_list_dequeue(STORAGE_LIST_HANDLE list, StorageRecordEntry* entry);
// Frees the listing. 0 / -1.
int storage_record_list_release(STORAGE_LIST_HANDLE list);

// ---- records --------------------------------------------------------------------

// Opens a record by the name a listing returned. Handle > 0, or 0 on failure
// (unknown disk, missing file, invalid 40-byte header).
int storage_record_open(const char* name);
// Reads from the current position: the first read after the open starts at
// the 40-byte stream header, every later position counts from the stream data
// behind it. Returns the bytes read, 0 at the end, -1 on failure.
int storage_record_read(int handle, void* buffer, int size);
// Moves to `offset` bytes into the stream data (0 = the first byte after the
// header; offsets past the end are clamped to it). 0 / -1.
int storage_record_seek(int handle, uint32_t offset);
// Moves to the first pack whose time is at or after the record's start time
// plus `seconds`, and gives that pack's offset in the stream data (the data
// length when no pack is that late). 0 / -1.
int storage_record_seek_by_time(int handle, uint32_t seconds, uint32_t* offset);
// Closes the record. 0 / -1.
int storage_record_close(int handle);

#ifdef __cplusplus
}  // extern "C"
#endif
