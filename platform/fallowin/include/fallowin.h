// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fallowin: the stream transform library.
//
// A transform takes a recorder stream (the 40-byte stream header given at
// creation, then the program stream bytes through DREBEN_InputData) and hands
// out another container through the detail-data callback. The one target is
// the .mp4 file (DREBEN_TARGET_MP4): the H.264 (or MPEG-4 Part 2) video and
// the MP2 audio are copied without re-encoding, enciphered payloads are
// deciphered with the key given by DREBEN_SetEncryptKey, and the recorder time
// of the first picture is stored as the file's "creation_time" (and, for the
// clock's first second, 1970-01-01 00:00:00, which a creation time cannot
// hold, as the comment "recorder_start=19700101000000").
//
// Output records:
//  - body records (isFileHead == 0, dataType DREBEN_DATA_BODY) arrive while
//    the transform runs; they are the file's body, in order;
//  - one head record (isFileHead != 0, dataType DREBEN_DATA_HEAD) arrives
//    during DREBEN_Stop; it must stand at the start of the output file, with
//    the whole body after it;
//  - information records (DREBEN_DATA_PROGRESS, DREBEN_DATA_STREAM_INFO,
//    DREBEN_DATA_END) are not part of the file.
// Callbacks run on the transform's own thread. DREBEN_Stop returns only after
// the last record has been handed out; no callback runs after it returns.
// The data of a record is valid only during the callback.
//
// Call order: DREBEN_Create, [DREBEN_SetEncryptKey],
// [DREBEN_RegisterDetailDataCallBack], DREBEN_Start, DREBEN_InputData...,
// DREBEN_Stop, DREBEN_Release. Every call returns DREBEN_OK (0) on success,
// an error code otherwise. A released or unknown handle is refused.
#include <cstdint>

typedef void* DREBEN_HANDLE;
typedef unsigned int DREBEN_STATUS;

enum : DREBEN_STATUS {
    DREBEN_OK = 0,
    DREBEN_ERR_PARAM = 0x80000001u,     // null pointer, bad size or value
    DREBEN_ERR_HANDLE = 0x80000002u,    // unknown or released handle
    DREBEN_ERR_ORDER = 0x80000003u,     // call out of order (input before start, ...)
    DREBEN_ERR_FORMAT = 0x80000004u,    // header not a recorder stream header, or codec not supported
    DREBEN_ERR_KEY = 0x80000005u,       // enciphered stream without its key, or a wrong key
    DREBEN_ERR_MEMORY = 0x80000006u,
    DREBEN_ERR_MUX = 0x80000007u,       // the container could not be written
    DREBEN_ERR_TARGET = 0x80000008u,    // target container not supported
    DREBEN_ERR_NO_OUTPUT = 0x80000009u, // stopped before any picture could be written
};

// Target containers.
enum : uint32_t { DREBEN_TARGET_MP4 = 11 };

// Key types of DREBEN_SetEncryptKey.
enum : int { DREBEN_KEY_RECORDER = 1 };  // the recorder's key text

// Data types of DREBEN_InputData.
enum : int { DREBEN_INPUT_STREAM = 0 };

// Data types of the output records.
enum : uint16_t {
    DREBEN_DATA_HEAD = 1,         // the container's head (isFileHead != 0)
    DREBEN_DATA_BODY = 2,         // a piece of the container's body
    DREBEN_DATA_PROGRESS = 5,     // DREBEN_PROGRESS, not part of the file
    DREBEN_DATA_STREAM_INFO = 6,  // text describing the streams, not part of the file
    DREBEN_DATA_END = 11,         // end of output notice (no data), not part of the file
};

// Creation record: 32 bytes.
struct DREBEN_CREATE_PARAM {
    const void* header;       // the 40-byte recorder stream header
    uint32_t headerSize;      // 40
    uint32_t targetType;      // DREBEN_TARGET_MP4
    uint8_t reserved[32 - sizeof(void*) - 8];
};

// Output record handed to the detail-data callback.
struct DREBEN_DETAIL_DATA {
    uint8_t* data;
    uint32_t dataLength;      // bytes
    uint16_t dataType;        // DREBEN_DATA_*
    uint16_t reserved0;
    uint32_t reserved1[3];
    uint32_t isFileHead;      // non-zero: the block that starts the output file
    uint32_t reserved2;
};

// Payload of DREBEN_DATA_PROGRESS records.
struct DREBEN_PROGRESS {
    uint64_t bytesIn;         // stream bytes taken so far
    uint64_t bytesOut;        // container bytes handed out so far
    uint32_t framesOut;       // video frames written
    uint32_t durationMs;      // length of the written video
};
static_assert(sizeof(DREBEN_CREATE_PARAM) == 32, "creation record is 32 bytes");

typedef void (*DREBEN_DETAIL_DATA_CALLBACK)(DREBEN_DETAIL_DATA* data, void* user);

extern "C" {

// Makes a transform for the stream whose header the record gives.
DREBEN_STATUS DREBEN_Create(DREBEN_HANDLE* handle, const DREBEN_CREATE_PARAM* param);
// Key of an enciphered stream: `keyBits` is the key length in bits (a whole
// number of bytes). Before DREBEN_Start.
DREBEN_STATUS DREBEN_SetEncryptKey(DREBEN_HANDLE handle, int keyType, const void* key, uint32_t keyBits);
// The output callback (null clears it). May be changed at any time.
DREBEN_STATUS DREBEN_RegisterDetailDataCallBack(DREBEN_HANDLE handle, DREBEN_DETAIL_DATA_CALLBACK callback,
                                                void* user);
// Starts the transform; the two reserved pointers must be null. Fails with
// DREBEN_ERR_KEY for an enciphered stream whose key is missing or wrong.
DREBEN_STATUS DREBEN_Start(DREBEN_HANDLE handle, void* reserved1, void* reserved2);
// Puts stream bytes in (copied; the call may wait while much is queued).
// Fails once the transform has failed.
DREBEN_STATUS DREBEN_InputData(DREBEN_HANDLE handle, int dataType, const void* data, uint32_t size);
// Ends the input, finishes the container (the head record is handed out
// now) and stops the transform's thread.
DREBEN_STATUS DREBEN_Stop(DREBEN_HANDLE handle);
// Frees the transform (stopping it first when it still runs).
DREBEN_STATUS DREBEN_Release(DREBEN_HANDLE handle);

}  // extern "C"
