// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Vintrel: the player library. It decodes recorder streams (a 40-byte stream
// header followed by the recorder's program stream), recorder files and
// converted container files (.mp4) on numbered ports, paces the frames on
// the recorder clock at the chosen speed and draws them into a window.
//
// Conventions:
// - Every call that returns OSTRUM_BOOL gives non-zero on success and 0 on
//   failure; the reason is then kept per port (Ostrum_GetLastError).
// - A "window" (OSTRUM_HWND) is a QWidget*. The library draws into a child
//   view that fills the widget, always on the GUI thread; the widget may be
//   re-parented or shown full screen while playing. A null window decodes
//   and paces without drawing.
// - Callbacks run on the library's own threads (per port a decode thread
//   and a thread that shows the frames)
//   unless stated otherwise. They must not call back into the same port's
//   Stop / CloseStream / FreePort.
// - Times handed out by the library are recorder times: the recorder's wall
//   clock (civil date and time, no zone), as OSTRUM_PACKED_TIME or as fields.
#include <cstdint>

extern "C" {

typedef int OSTRUM_BOOL;
typedef void* OSTRUM_HWND;   // QWidget*
typedef void* OSTRUM_HDC;    // QPainter* (only during a draw callback)

// PackedDateTime: (year-2000)<<26 | month<<22 | day<<17 | hour<<12 | minute<<6 | second.
typedef uint32_t OSTRUM_PACKED_TIME;

enum {
    OSTRUM_MAX_PORTS = 512,
    OSTRUM_DEFAULT_SOURCE_BUFFER = 2 * 1024 * 1024,
    OSTRUM_MIN_SOURCE_BUFFER = 64 * 1024,
};

// ---- last-error codes (Ostrum_GetLastError) ----------------------------------
enum {
    OSTRUM_ERR_NONE = 0,
    OSTRUM_ERR_PARAM = 1,            // an argument is null or out of range
    OSTRUM_ERR_ORDER = 2,            // the call does not fit the port's state (no stream / not playing)
    OSTRUM_ERR_PORT = 3,             // the port is out of range or not allocated
    OSTRUM_ERR_NO_FREE_PORT = 4,     // every port is in use
    OSTRUM_ERR_HEADER = 5,           // the stream or file header is not a recorder header
    OSTRUM_ERR_BUF_FULL = 6,         // the source buffer is full: offer the data again later
    OSTRUM_ERR_NO_MEMORY = 7,
    OSTRUM_ERR_DECODER = 8,          // the decoder could not be created or failed
    OSTRUM_ERR_FILE_OPEN = 9,        // a file could not be opened or read
    OSTRUM_ERR_FILE_WRITE = 10,      // a file could not be written
    OSTRUM_ERR_NO_PICTURE = 11,      // no frame has been shown yet
    OSTRUM_ERR_BUF_TOO_SMALL = 12,   // the caller's buffer cannot hold the result
    OSTRUM_ERR_UNSUPPORTED = 13,     // the stream or file kind is not supported
    OSTRUM_ERR_NO_AUDIO_DEVICE = 14, // sound asked for, but no sound output exists
    OSTRUM_ERR_NO_AUDIO = 15,        // the stream has no audio track
    OSTRUM_ERR_KEY_MISSING = 16,     // the stream is enciphered and no key was set
    OSTRUM_ERR_KEY_MISMATCH = 17,    // the key set does not fit the stream
    OSTRUM_ERR_SPEED_LIMIT = 18,     // Fast at the top speed step / Slow at the lowest
    OSTRUM_ERR_NO_FRAME = 19,        // frame step: no further (earlier) frame is available
    OSTRUM_ERR_THREAD = 20,          // a thread of the library could not be started
    OSTRUM_ERR_NO_TIME = 21,         // a file carries no recorder time
};

// ---- records -----------------------------------------------------------------
#pragma pack(push, 4)
struct OSTRUM_RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Year (with century), month, day, hour, minute, second, millisecond.
struct OSTRUM_FILE_TIME {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t millisecond;
};

// Additional (private) data carried in the stream. dataType 6 = a vehicle-data
// text block; `data` is valid only during the callback.
struct OSTRUM_ADDITION_DATA {
    int32_t dataType;
    int32_t reserved;
    OSTRUM_PACKED_TIME time;   // recorder time of the block
    uint32_t length;           // bytes at `data`
    const char* data;
};

// Encryption-type report, sent once when an enciphered stream opens.
struct OSTRUM_ENCRYPT_INFO {
    int32_t algorithm;     // 1 = the recorder's payload cipher
    int32_t keyLength;     // bits of the key set; 0 when none
    int32_t keySet;        // 0 = the stream is enciphered and no key has been set
};

// Run-time information report.
struct OSTRUM_RUNTIME_INFO {
    int32_t infoType;      // 1
    int32_t frameNum;      // frames shown so far
    OSTRUM_PACKED_TIME time;
    int32_t state;         // 0
    int32_t errorCode;     // OSTRUM_RUNTIME_KEY_MISMATCH, OSTRUM_RUNTIME_DECODE_ERROR
};
#pragma pack(pop)

enum {
    OSTRUM_ADDITION_VEHICLE = 6,        // Ostrum_SetAdditionDataCallBack data type
    OSTRUM_RUNTIME_DECODE_ERROR = 3,    // OSTRUM_RUNTIME_INFO::errorCode
    OSTRUM_RUNTIME_KEY_MISMATCH = 5,    // OSTRUM_RUNTIME_INFO::errorCode
};

// Picture buffer types of the display callback and of the convert calls.
enum {
    OSTRUM_PIC_I420 = 3,    // planar Y, U, V (width*height*3/2 bytes, even sizes)
    OSTRUM_PIC_RGB32 = 7,   // 32-bit 0xffRRGGBB per pixel, rows of width*4 bytes
};

// Buffer kinds of Ostrum_ResetBuffer / Ostrum_GetBufferValue.
enum {
    OSTRUM_BUF_SOURCE = 1,        // undecoded stream bytes
    OSTRUM_BUF_VIDEO = 2,         // decoded frames waiting to be shown
    OSTRUM_BUF_AUDIO = 3,         // decoded sound waiting to be played
    OSTRUM_BUF_ALL = 4,           // all of the above (ResetBuffer)
    OSTRUM_BUF_FRAMES_LEFT = 5,   // GetBufferValue: frames still to come from the data
                                  // already given (0 when nothing is left to show;
                                  // bytes that make no whole unit by the end of the
                                  // data, or for half a second with nothing new, are
                                  // not counted here nor by GetSourceBufferRemain)
};

// Decode frame types (Ostrum_SetDecodeFrameType).
enum { OSTRUM_DECODE_ALL = 0, OSTRUM_DECODE_KEY_ONLY = 1 };

// Stream open modes: 0 live (frames shown as soon as decoded), 1 file (paced
// on the stream clock; input is refused while the source buffer is full).
enum { OSTRUM_STREAM_LIVE = 0, OSTRUM_STREAM_FILE = 1 };

// Speed steps: Fast/Slow move one step between -4 and 4; step s plays at
// 2^s times normal speed.
enum { OSTRUM_SPEED_MIN = -4, OSTRUM_SPEED_MAX = 4 };

typedef void (*OSTRUM_ADDITION_DATA_CB)(int port, const OSTRUM_ADDITION_DATA* data, void* user);
typedef void (*OSTRUM_ENCRYPT_TYPE_CB)(int port, const OSTRUM_ENCRYPT_INFO* info, void* user);
typedef void (*OSTRUM_RUNTIME_INFO_CB)(int port, const OSTRUM_RUNTIME_INFO* info, void* user);
// Every shown frame: picture buffer (OSTRUM_PIC_RGB32 at the picture size),
// its size in bytes, width, height, time stamp (milliseconds of the stream
// clock), buffer type. Runs on the port's thread that shows the frames (on
// the caller's for a step back); the buffer is valid only during the call.
typedef void (*OSTRUM_DISPLAY_CB)(int port, const char* buffer, int size, int width, int height,
                                  int stamp, int type);
// Runs on the GUI thread after a frame was drawn; `dc` is the QPainter that
// drew it, its coordinates are the view's.
typedef void (*OSTRUM_DRAW_CB)(int port, OSTRUM_HDC dc, void* user);

// ---- ports -------------------------------------------------------------------
OSTRUM_BOOL Ostrum_GetPort(int* port);           // out: the lowest free port
OSTRUM_BOOL Ostrum_FreePort(int port);           // closes what is open, frees the port
OSTRUM_BOOL Ostrum_SetMemoryLimit(int port, uint32_t kind, uint32_t limit);  // accepted, no effect
uint32_t Ostrum_GetLastError(int port);          // OSTRUM_ERR_PORT for a bad port

// ---- streams -----------------------------------------------------------------
OSTRUM_BOOL Ostrum_SetStreamOpenMode(int port, uint32_t mode);   // before OpenStream
// Opens a stream on its 40-byte header; `bufferSize` is the source buffer
// (at least OSTRUM_MIN_SOURCE_BUFFER is used).
OSTRUM_BOOL Ostrum_OpenStream(int port, const void* header, uint32_t headerSize, uint32_t bufferSize);
// Queues stream bytes. 0 with OSTRUM_ERR_BUF_FULL while the source buffer
// cannot take the block (a block is always taken by an empty buffer).
// data null with size (uint32_t)-1 marks the end of the stream.
OSTRUM_BOOL Ostrum_InputData(int port, const void* data, uint32_t size);
OSTRUM_BOOL Ostrum_ResetSourceBuffer(int port);  // drops queued bytes and frames (after a seek)
OSTRUM_BOOL Ostrum_ResetBuffer(int port, uint32_t kind);
uint32_t Ostrum_GetSourceBufferRemain(int port);
uint32_t Ostrum_GetBufferValue(int port, uint32_t kind);
OSTRUM_BOOL Ostrum_Stop(int port);               // stops playing, keeps the stream open
OSTRUM_BOOL Ostrum_CloseStream(int port);

// ---- files -------------------------------------------------------------------
// A recorder file (header + program stream, whatever its extension) or a
// converted container file (.mp4). The path is 8-bit local text; drive-letter
// paths go through the drive table.
//
// A recorder file joined from several recordings carries the header of
// each before its stream; each part plays on its own header's clock.
//
// Recorder time of a container file: its "comment" tag "recorder_start=
// YYYYMMDDhhmmss" when present, else its "creation_time" tag, whose date and
// time are taken as the recorder's clock (the zone suffix is ignored); a
// frame's time is that start plus the frame's time stamp. Container files
// play through the same decoding as recorder files (H.264 or MPEG-4 Part 2
// video, MPEG audio); a container without a recorder time is refused with
// OSTRUM_ERR_NO_TIME, one that cannot be read with OSTRUM_ERR_UNSUPPORTED.
// Only the .mp4 container is read (whatever the file's name), and only from
// the file itself: any other container is refused as one that cannot be
// read.
OSTRUM_BOOL Ostrum_OpenFile(int port, const char* path);
// Recorder times of the first and of the last frame of the file (for a
// joined file: of its last recording), to the second.
OSTRUM_BOOL Ostrum_GetFileTotalTime(int port, OSTRUM_FILE_TIME* first, OSTRUM_FILE_TIME* last);
OSTRUM_BOOL Ostrum_CloseFile(int port);
// Moves a file being played (Ostrum_OpenFile, Ostrum_Play) to the first frame
// at or after the recorder time; the frames before it are decoded, not shown.
// Pause, speed and sync group stay as they were.
OSTRUM_BOOL Ostrum_SetPlayedTime(int port, const OSTRUM_FILE_TIME* time);

// ---- play controls -------------------------------------------------------------
// Starts (or restarts after Stop / OneByOne / Pause) playing into the window.
OSTRUM_BOOL Ostrum_Play(int port, OSTRUM_HWND window);
OSTRUM_BOOL Ostrum_ReversePlay(int port);        // key frames only, as they arrive
// Pause (pause != 0) holds the picture on screen: once it returns, no
// further frame is shown (and the frame number stays) until play resumes or
// a step asks for one. A frame the port was still making ready
// when the call came is not shown; it is the next frame a step shows. A
// frame already shown (its display callback may still be running) stays the
// frame on screen.
OSTRUM_BOOL Ostrum_Pause(int port, uint32_t pause);
OSTRUM_BOOL Ostrum_Fast(int port);
OSTRUM_BOOL Ostrum_Slow(int port);
OSTRUM_BOOL Ostrum_OneByOne(int port);           // pause and show the next frame
OSTRUM_BOOL Ostrum_OneByOneBack(int port);       // pause and show the previous frame
OSTRUM_BOOL Ostrum_RefreshPlay(int port);        // draw the frame on screen again
OSTRUM_BOOL Ostrum_ThrowBFrameNum(int port, uint32_t count);
OSTRUM_BOOL Ostrum_SetDecodeFrameType(int port, int type);
OSTRUM_BOOL Ostrum_SetDecodeEngineEx(int port, int hardware);   // software decoding only
// Ports of one group (0 or 1) keep in step on the recorder clock; -1 leaves.
OSTRUM_BOOL Ostrum_SetSycGroup(int port, int group);

// ---- time ----------------------------------------------------------------------
// Recorder time of the frame on screen; 0 while no frame has been shown.
OSTRUM_PACKED_TIME Ostrum_GetSpecialData(int port);
// The same to the millisecond; fails with OSTRUM_ERR_NO_PICTURE while no
// frame has been shown.
OSTRUM_BOOL Ostrum_GetPlayedTime(int port, OSTRUM_FILE_TIME* time);
// Recorder time, to the millisecond, of the key frame the frame on screen was
// decoded from (the frame itself when it is one); fails with
// OSTRUM_ERR_NO_PICTURE while no frame has been shown.
OSTRUM_BOOL Ostrum_GetPlayedKeyTime(int port, OSTRUM_FILE_TIME* time);
uint32_t Ostrum_GetCurrentFrameNum(int port);    // frames shown since the stream opened

// ---- key and callbacks ------------------------------------------------------------
OSTRUM_BOOL Ostrum_SetSecretKey(int port, int type, const char* key, int keyLengthBits);
OSTRUM_BOOL Ostrum_SetAdditionDataCallBack(int port, uint32_t dataType, OSTRUM_ADDITION_DATA_CB cb,
                                           void* user);
OSTRUM_BOOL Ostrum_SetEncryptTypeCallBack(int port, uint32_t type, OSTRUM_ENCRYPT_TYPE_CB cb, void* user);
OSTRUM_BOOL Ostrum_SetRunTimeInfoCallBackEx(int port, int moduleType, OSTRUM_RUNTIME_INFO_CB cb, void* user);
OSTRUM_BOOL Ostrum_SetDisplayCallBack(int port, OSTRUM_DISPLAY_CB cb);
OSTRUM_BOOL Ostrum_RegisterDrawFun(int port, OSTRUM_DRAW_CB cb, void* user);
OSTRUM_BOOL Ostrum_RigisterDrawFun(int port, OSTRUM_DRAW_CB cb, void* user);   // same as RegisterDrawFun

// ---- pictures ----------------------------------------------------------------------
OSTRUM_BOOL Ostrum_SetDisplayBuf(int port, uint32_t frames);   // 1 to 50 decoded frames ahead
// Shows only `source` (picture pixels) of the picture, scaled to the window;
// null shows the whole picture. Only region 0 and a null destination window.
OSTRUM_BOOL Ostrum_SetDisplayRegion(int port, uint32_t region, const OSTRUM_RECT* source,
                                    OSTRUM_HWND destination, OSTRUM_BOOL enable);
OSTRUM_BOOL Ostrum_GetPictureSize(int port, int* width, int* height);
// The frame on screen as a JPEG / BMP file image in the caller's buffer.
OSTRUM_BOOL Ostrum_GetJPEG(int port, uint8_t* buffer, uint32_t size, uint32_t* pictureSize);
OSTRUM_BOOL Ostrum_GetBMP(int port, uint8_t* buffer, uint32_t size, uint32_t* pictureSize);
// Writes a display-callback picture as a file (port-independent).
OSTRUM_BOOL Ostrum_ConvertToJpegFile(const char* buffer, int size, int width, int height, int type,
                                     const char* path);
OSTRUM_BOOL Ostrum_ConvertToBmpFile(const char* buffer, int size, int width, int height, int type,
                                    const char* path);
// Clip of a converted container file (port-independent, runs on the calling
// thread, which it keeps for as long as the copy takes): writes `target` as a
// new .mp4 file (replacing a file of that name) with the pictures of `source`
// from the key frame at or before its first picture at or after the recorder
// time `from` to its last picture at or before `to` (at least that first
// picture), and its sound over that span. The samples are copied, not
// decoded. The file is written as the stream transform library writes its
// .mp4 files: the movie box before the media data and "creation_time" the
// recorder second of the first picture; the time stamps count from that
// second, so every picture keeps its recorder time. Paths as for
// Ostrum_OpenFile. 0 for a recorder file, a container without recorder time,
// `to` before `from`, no picture at or after `from`, or a target that could
// not be written (nothing of it is left then).
OSTRUM_BOOL Ostrum_CutFile(const char* source, const OSTRUM_FILE_TIME* from, const OSTRUM_FILE_TIME* to,
                           const char* target);
// Picture adjustment, each value 0 to 128 (64 = unchanged).
OSTRUM_BOOL Ostrum_SetColor(int port, uint32_t region, int brightness, int contrast, int saturation, int hue);
OSTRUM_BOOL Ostrum_GetColor(int port, uint32_t region, int* brightness, int* contrast, int* saturation,
                            int* hue);

// ---- sound ------------------------------------------------------------------------
// One port plays sound at a time: PlaySound takes the sound from the port
// that had it. Fails with OSTRUM_ERR_NO_AUDIO_DEVICE where no output exists
// (the port still remembers that sound is wanted).
OSTRUM_BOOL Ostrum_PlaySound(int port);
OSTRUM_BOOL Ostrum_StopSound();
OSTRUM_BOOL Ostrum_SetVolume(int port, uint16_t volume);

}  // extern "C"
