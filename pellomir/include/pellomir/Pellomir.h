// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * Pellomir: the disk file library. Reads recorder disks attached to the PC:
 * pictures from the picture index, vehicle-data files, recordings and logs.
 *
 * Plain C interface. Every export reports failure by its result and by a
 * per-thread last error (DVR_FILE_GetLastError); success never clears it.
 * Error codes (DVR_FILE_ERR_ below): 0..34 the library's own, 100 + the
 * hard-disk library's code, 300 + the player library's code, 0x8000FFFF an
 * unexpected failure inside an export. DVR_FILE_GetErrorMsg gives each code's
 * fixed message.
 *
 * The header stands alone: it needs only the C standard headers and its
 * companion PellomirTypes.h (the records of the interface), and every name
 * they define starts with DVR_FILE_ or PELLOMIR_.
 */
#ifndef PELLOMIR_PELLOMIR_H
#define PELLOMIR_PELLOMIR_H

/* Version of this interface. The library's file name carries the major
 * number (libPellomir.so.4); a client built against one major version runs
 * with any library of the same major version. */
#define PELLOMIR_VERSION_MAJOR 4
#define PELLOMIR_VERSION_MINOR 3
#define PELLOMIR_VERSION "4.3"
/* The version as one number, for comparisons: major * 10000 + minor * 100. */
#define PELLOMIR_VERSION_NUMBER (PELLOMIR_VERSION_MAJOR * 10000 + PELLOMIR_VERSION_MINOR * 100)

#include <stdint.h>

#include "PellomirTypes.h"

#if defined(__GNUC__)
#define PELLOMIR_API __attribute__((visibility("default")))
#else
#define PELLOMIR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of one drive-path slot of DVR_FILE_CopyPicFileByTimeEx. */
#define DVR_FILE_PATH_SLOT 260
/* Drives read by one picture copy at most. */
#define DVR_FILE_MAX_PIC_DRIVES 8
/* Vehicle-data searches open at once at most (handles 0..127). */
#define DVR_FILE_MAX_VEH_FINDS 128
/* Longest message of DVR_FILE_GetErrorMsg, without its terminator. */
#define DVR_FILE_MAX_MSG_LEN 63

/* Every last-error code the library sets. */
#define DVR_FILE_ERR_NONE 0u
#define DVR_FILE_ERR_PARAM 1u           /* an argument is missing or out of range */
#define DVR_FILE_ERR_ORDER 2u           /* unknown handle, or nothing to continue */
#define DVR_FILE_ERR_ALLOC 6u           /* memory allocation failed */
#define DVR_FILE_ERR_OPEN 7u            /* a file or the disk marker did not open */
#define DVR_FILE_ERR_HANDLES 8u         /* all vehicle-data handles in use */
#define DVR_FILE_ERR_OVERFLOW 11u       /* a picture larger than the copy buffer */
#define DVR_FILE_ERR_PLAY_FILE_ONLY 14u /* only a by-file playback can do that */
#define DVR_FILE_ERR_UNSUPPORTED 16u    /* disk version other than 1 and 2 */
#define DVR_FILE_ERR_NO_PORT 24u        /* no player port free for a new playback */
#define DVR_FILE_ERR_CREATE_FILE 25u    /* an output file could not be made or written */
#define DVR_FILE_ERR_READ_FILE 26u      /* a picture could not be read whole */
#define DVR_FILE_ERR_NO_MATCH 28u       /* nothing (more) found */
#define DVR_FILE_ERR_NO_PLAYER 30u      /* the player library could not be loaded */
#define DVR_FILE_ERR_STREAM_PLAYED 33u  /* the stream is registered already */
#define DVR_FILE_ERR_NO_STORAGE 34u
#define DVR_FILE_ERR_HD_BASE 100u       /* plus the hard-disk library's code */
#define DVR_FILE_ERR_PLAYER_BASE 300u   /* plus the player library's code */
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
PELLOMIR_API int32_t DVR_FILE_FindNextVeh(int32_t handle, DVR_FILE_VEH_META_INFO* record);
/* Frees the handle and its records; 1, or 0 (last error 2) for a handle not
 * in use. */
PELLOMIR_API int32_t DVR_FILE_FindVehClose(int32_t handle);

/* ---- recordings: find, play and copy ------------------------------------ */

/* Size of the hard-disk library's recording record filled by
 * DVR_FILE_FindNextFile: the file name at byte 0 (100 bytes, the name the
 * by-file exports take), the start and stop times at bytes 100 and 116 as
 * zero-terminated "YYYYMMDDhhmmss" texts, then size, record type, channel and
 * file type (32-bit each). */
#define DVR_FILE_FIND_RECORD_SIZE 148
/* Size of the hard-disk library's device-log record (DVR_FILE_FindNextLog). */
#define DVR_FILE_LOG_RECORD_SIZE 68
/* Drive paths read by the by-time playback and copy exports at most. */
#define DVR_FILE_MAX_PLAY_DRIVES 4
#define DVR_FILE_MAX_COPY_DRIVES 8
/* Longest secret key text and output path taken, without the terminator. */
#define DVR_FILE_MAX_KEY_LEN 22
#define DVR_FILE_MAX_OUTPUT_PATH 261

/* Draw callback of the player: runs on the GUI thread after a frame was
 * drawn; `dc` is the painter that drew it. */
typedef void (*DVR_FILE_DRAW_CALLBACK)(int32_t port, void* dc, void* user);
/* Private (vehicle) data of the stream, on a player thread; `data` is the
 * player's addition-data record, valid only during the call. */
typedef void (*DVR_FILE_PRIVATE_DATA_CALLBACK)(int32_t port, const void* data, void* user);

/* Recording search on a drive ("X:") for `channel` (plus the channel
 * offset) over [start, end]. `type`: 0 manual, 1 normal, 2 motion, 6 alarm,
 * 49 event, 3 to 5, 7, 8 and 65 further kinds of the recorder; any other
 * value every type. `reserved` is ignored. Returns a find handle, negative on failure. */
PELLOMIR_API int32_t DVR_FILE_FindFile(char driveLetter, int32_t channel, int32_t type, int32_t reserved,
                                       const DVR_FILE_TIME* start, const DVR_FILE_TIME* end);
PELLOMIR_API int32_t DVR_FILE_FindFileEx(const char* drivePath, int32_t channel, int32_t type, int32_t reserved,
                                         const DVR_FILE_TIME* start, const DVR_FILE_TIME* end);
/* Fills `record` (DVR_FILE_FIND_RECORD_SIZE bytes) with the next recording;
 * non-zero while one was filled. Found spans feed the range of
 * DVR_FILE_GetRecordFileTimeZone. */
PELLOMIR_API int32_t DVR_FILE_FindNextFile(int32_t findHandle, void* record);
PELLOMIR_API int32_t DVR_FILE_FindNextFileKEL(int32_t findHandle, void* record);
/* Ends the search and forgets the found range. */
PELLOMIR_API int32_t DVR_FILE_FindClose(int32_t findHandle);
/* Earliest start and latest stop (seconds, the texts read as local time) of
 * the recordings found since the last DVR_FILE_FindClose; 1, or 0 (last
 * error 2) when none was found. */
PELLOMIR_API int32_t DVR_FILE_GetRecordFileTimeZone(int32_t* earliest, int32_t* latest);

/* Plays the recording named by a found record into `window` (a QWidget*;
 * null decodes without drawing). `key` is the secret key text of an
 * enciphered recording or null; `decodeEngine` 1 asks for hardware decoding.
 * Returns the stream handle, or -1. */
PELLOMIR_API int32_t DVR_FILE_Play(const char* file, void* window, const char* key, uint32_t decodeEngine);
/* The same, starting backwards from the end. */
PELLOMIR_API int32_t DVR_FILE_ReversePlay(const char* file, void* window);
/* Plays `channel` (plus the channel offset) over [start, end] from the
 * drives named by the first 4 letters of `driveLetters`. */
PELLOMIR_API int32_t DVR_FILE_PlayFileByTime(const char* driveLetters, const DVR_FILE_TIME* start,
                                             const DVR_FILE_TIME* end, int32_t channel, void* window);
/* The same over a null-terminated array of at most 4 drive paths. */
PELLOMIR_API int32_t DVR_FILE_PlayFileByTimeEx(const char* const* drivePaths, const DVR_FILE_TIME* start,
                                               const DVR_FILE_TIME* end, int32_t channel, void* window);
/* Ends a playback or a copy (closing the copy's file). A copy that is whole
 * (DVR_FILE_GetPos said 100) is kept; one stopped before that is taken back.
 * Non-zero on success; 0 for an unknown handle (last error 2) and for a copy
 * whose file did not open (7) or could not be written (25). */
PELLOMIR_API int32_t DVR_FILE_Stop(int32_t stream);

/* Playback control; each returns non-zero on success, 0 with last error 2
 * for a stream without a player, or 300 + the player's code. */
PELLOMIR_API int32_t DVR_FILE_Pause(int32_t stream, uint32_t pause);
PELLOMIR_API int32_t DVR_FILE_Fast(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_Slow(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_OneByOne(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_OneByOneBack(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_RefreshPlay(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_PlaySound(int32_t stream);
/* Sound off for every stream; on failure last error 0xFFFFFFFF. */
PELLOMIR_API int32_t DVR_FILE_CloseSound(void);
PELLOMIR_API int32_t DVR_FILE_SetVolume(int32_t stream, uint32_t volume);
PELLOMIR_API int32_t DVR_FILE_ThrowBFrame(int32_t stream, uint32_t count);
/* Picture adjustment, each value 0 to 128 (64 unchanged). */
PELLOMIR_API int32_t DVR_FILE_SetVideoPara(int32_t stream, int32_t brightness, int32_t contrast, int32_t saturation,
                                           int32_t hue);
PELLOMIR_API int32_t DVR_FILE_GetVideoPara(int32_t stream, int32_t* brightness, int32_t* contrast,
                                           int32_t* saturation, int32_t* hue);
PELLOMIR_API int32_t DVR_FILE_GetPictureSize(int32_t stream, int32_t* width, int32_t* height);
PELLOMIR_API int32_t DVR_FILE_RigisterDrawFun(int32_t stream, DVR_FILE_DRAW_CALLBACK callback, void* user);
PELLOMIR_API int32_t DVR_FILE_SetPrivateDataCallBack(int32_t stream, DVR_FILE_PRIVATE_DATA_CALLBACK callback,
                                                     void* user);
/* Moves to `position` percent of the stream. */
PELLOMIR_API int32_t DVR_FILE_SetPos(int32_t stream, int32_t position);
/* Moves to the first frame of `time`'s second. */
PELLOMIR_API int32_t DVR_FILE_SetPosByTime(int32_t stream, const DVR_FILE_TIME* time);
/* Back to forward play at normal speed. */
PELLOMIR_API int32_t DVR_FILE_NormalPlay(int32_t stream);
/* Switches a by-file playback to backward play: from the frame on screen
 * when `flag` is 1, else from the current position (last error 14 for other
 * streams). */
PELLOMIR_API int32_t DVR_FILE_Reverse(int32_t stream, int32_t flag);
/* Writes the frame on screen as a JPEG file. */
PELLOMIR_API int32_t DVR_FILE_CapturePicture(int32_t stream, const char* path);
/* The stream's player port, or -1; never sets the last error. */
PELLOMIR_API int32_t DVR_FILE_GetVintrelPort(int32_t stream);

/* 1 while the stream is registered with a player port, else 0; never sets
 * the last error. */
PELLOMIR_API int32_t DVR_FILE_GetPlayState(int32_t stream);
/* Played (copied) share in percent, 100 at the end (for a copy: once its
 * file holds the whole copy); -1 on failure. */
PELLOMIR_API int32_t DVR_FILE_GetPos(int32_t stream);
/* Seconds and frames of the stream's span; -1 on failure. */
PELLOMIR_API int32_t DVR_FILE_GetTotalTime(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_GetTotalFrames(int32_t stream);
PELLOMIR_API int32_t DVR_FILE_GetCurrentFrameNum(int32_t stream);
/* Seconds from the stream's start to the frame on screen, plus 1; -1 on
 * failure. */
PELLOMIR_API int32_t DVR_FILE_GetPlayedTime(int32_t stream);
/* Recorder time of the frame on screen; 1, or 0 when none is shown. */
PELLOMIR_API int32_t DVR_FILE_GetOsdTime(int32_t stream, DVR_FILE_TIME* time);

/* Copies the recording named by a found record, as it is stored (header
 * first), into `outputPath`. The copy runs after the call returns: follow it
 * with DVR_FILE_GetPos up to 100, end it with DVR_FILE_Stop. It is written
 * under a temporary name beside `outputPath` ("<name>.part") and takes the
 * name, replacing a file there, only when it is whole; a copy that fails or
 * is stopped before leaves that file as it was. Returns the stream handle,
 * or -1. */
PELLOMIR_API int32_t DVR_FILE_CopyFile(const char* file, const char* outputPath);
/* Copies `channel` (plus the channel offset) over [start, end] from the
 * drives named by the first 8 letters of `driveLetters`: one recorder stream
 * with the header of the span's first recording, each later recording's
 * times moved onto that recording's clock (an enciphered one, which a copy
 * cannot move without its key, keeps its own header). The copy is added at
 * the end of a file that is there, which gets back its old size when the copy
 * fails or is stopped before its end; a new output appears only whole. */
PELLOMIR_API int32_t DVR_FILE_CopyFileByTime(const char* driveLetters, const DVR_FILE_TIME* start,
                                             const DVR_FILE_TIME* end, int32_t channel, const char* outputPath);
/* The same over a null-terminated array of at most 8 drive paths. */
PELLOMIR_API int32_t DVR_FILE_CopyFileByTimeEx(const char* const* drivePaths, const DVR_FILE_TIME* start,
                                               const DVR_FILE_TIME* end, int32_t channel, const char* outputPath);

/* ---- device logs -------------------------------------------------------- */

/* Log search of a drive: `type` (its low byte) is the hard-disk library's
 * log kind; major, minor, start and end pass unchanged. Returns a find
 * handle, negative on failure. */
PELLOMIR_API int32_t DVR_FILE_FindLog(char driveLetter, int32_t type, int32_t major, int32_t minor,
                                      const DVR_FILE_TIME* start, const DVR_FILE_TIME* end);
PELLOMIR_API int32_t DVR_FILE_FindLogEx(const char* drivePath, int32_t type, int32_t major, int32_t minor,
                                        const DVR_FILE_TIME* start, const DVR_FILE_TIME* end);
/* Fills `record` (DVR_FILE_LOG_RECORD_SIZE bytes); non-zero while one was
 * filled. */
PELLOMIR_API int32_t DVR_FILE_FindNextLog(int32_t findHandle, void* record);
PELLOMIR_API int32_t DVR_FILE_FindLogClose(int32_t findHandle);

#ifdef __cplusplus
}
#endif

#endif /* PELLOMIR_PELLOMIR_H */
