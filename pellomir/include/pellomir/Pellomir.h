/*
 * Pellomir: the disk file library. Reads recorder disks attached to the PC:
 * pictures from the picture index, vehicle-data files, recordings and logs.
 *
 * Plain C interface. Every export reports failure by its result and by a
 * per-thread last error (DVR_FILE_GetLastError); success never clears it.
 * Error codes: 0..34 the library's own, 100 + the hard-disk library's code,
 * 300 + the player library's code, 0x8000FFFF an unexpected failure inside an
 * export. DVR_FILE_GetErrorMsg gives each code's fixed message.
 */
#ifndef PELLOMIR_PELLOMIR_H
#define PELLOMIR_PELLOMIR_H

#include <stdint.h>

#include "VehMetaInfo.h"

#if defined(__GNUC__)
#define PELLOMIR_API __attribute__((visibility("default")))
#else
#define PELLOMIR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Date-time of the interface: full year, month 1..12, day, hour, minute,
 * second. */
typedef struct DVR_FILE_TIME {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
} DVR_FILE_TIME;

/* Size of one drive-path slot of DVR_FILE_CopyPicFileByTimeEx. */
#define DVR_FILE_PATH_SLOT 260
/* Drives read by one picture copy at most. */
#define DVR_FILE_MAX_PIC_DRIVES 8
/* Vehicle-data searches open at once at most (handles 0..127). */
#define DVR_FILE_MAX_VEH_FINDS 128
/* Longest message of DVR_FILE_GetErrorMsg, without its terminator. */
#define DVR_FILE_MAX_MSG_LEN 63

/* The library's own error codes. */
#define DVR_FILE_ERR_NONE 0u
#define DVR_FILE_ERR_PARAM 1u           /* an argument is missing or out of range */
#define DVR_FILE_ERR_ORDER 2u           /* unknown handle, or nothing to continue */
#define DVR_FILE_ERR_ALLOC 6u           /* memory allocation failed */
#define DVR_FILE_ERR_OPEN 7u            /* a file or the disk marker did not open */
#define DVR_FILE_ERR_HANDLES 8u         /* all vehicle-data handles in use */
#define DVR_FILE_ERR_PLAY_FILE_ONLY 14u
#define DVR_FILE_ERR_UNSUPPORTED 16u    /* disk version other than 1 and 2 */
#define DVR_FILE_ERR_CREATE_FILE 25u
#define DVR_FILE_ERR_NO_MATCH 28u
#define DVR_FILE_ERR_STREAM_PLAYED 33u
#define DVR_FILE_ERR_NO_STORAGE 34u
#define DVR_FILE_ERR_HD_BASE 100u
#define DVR_FILE_ERR_PLAYER_BASE 300u
#define DVR_FILE_ERR_UNEXPECTED 0x8000FFFFu
#define DVR_FILE_ERR_UNKNOWN 0xFFFFFFFFu

/* ---- errors and settings ---------------------------------------------- */

/* The calling thread's last error code (0 until a call failed on it). */
PELLOMIR_API uint32_t DVR_FILE_GetLastError(void);
/* Copies the message of `code` with its terminator into `text` (when not
 * null; it must hold DVR_FILE_MAX_MSG_LEN + 1 characters) and returns its
 * length; 0 and nothing written for a code without a message. */
PELLOMIR_API int32_t DVR_FILE_GetErrorMsg(uint32_t code, char* text);
/* Offset added to the caller's channel numbers by the by-channel exports. */
PELLOMIR_API void DVR_FILE_SetChannelOffSet(int32_t offset);

/* ---- pictures ----------------------------------------------------------- */

/* Copies the pictures of `channel` (1-based) taken in [start, end] from the
 * drives named by the letters of `driveLetters` (at most the first 8; "EF"
 * reads E: and F:) into `destFolder` as JPEG files named
 * "chNN_YYYY-MM-DD hh-mm-ss(entry).jpg". `type` 0, 1 or 2 selects a picture
 * type, 3 takes all. Returns 1 when at least one picture was copied. */
PELLOMIR_API int32_t DVR_FILE_CopyPicFileByTime(const char* driveLetters, const DVR_FILE_TIME* start,
                                                const DVR_FILE_TIME* end, int32_t channel, int32_t type,
                                                const char* destFolder);
/* The same over `count` drive paths ("E:"), one per 260-character slot. */
PELLOMIR_API int32_t DVR_FILE_CopyPicFileByTimeEx(const char (*drivePaths)[DVR_FILE_PATH_SLOT], int32_t count,
                                                  const DVR_FILE_TIME* start, const DVR_FILE_TIME* end,
                                                  int32_t channel, int32_t type, const char* destFolder);

/* ---- vehicle data ------------------------------------------------------- */

/* Collects every vehicle-data record of [start, end] from the vehicle-data
 * files of the drive; returns a handle 0..127 when at least one was found,
 * else -1. */
PELLOMIR_API int32_t DVR_FILE_FindVehData(char driveLetter, const DVR_FILE_TIME* start, const DVR_FILE_TIME* end);
PELLOMIR_API int32_t DVR_FILE_FindVehDataEx(const char* drivePath, const DVR_FILE_TIME* start,
                                            const DVR_FILE_TIME* end);
/* Copies the next record; 1, or 0 at the end (last error 28; the call after
 * that starts over) and on failure. */
PELLOMIR_API int32_t DVR_FILE_FindNextVeh(int32_t handle, VEH_META_INFO* record);
/* Frees the handle and its records; 1, or 0 (last error 2) for a handle not
 * in use. */
PELLOMIR_API int32_t DVR_FILE_FindVehClose(int32_t handle);

#ifdef __cplusplus
}
#endif

#endif /* PELLOMIR_PELLOMIR_H */
