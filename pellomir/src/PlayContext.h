// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machinery behind the play and copy exports: the callbacks that receive
// a stream's blocks on the hard-disk library's thread and hand them to the
// player or append them to the copy's file, the drive-path lists of the
// by-time exports, and the stop of a registered stream.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VideoStreamMgt.h"

namespace pellomir {

// Source buffer of the player, and the largest piece offered to it at once.
constexpr uint32_t kPlayerBufferSize = 614400;
// Pause between two offers of a piece that the full player refused.
constexpr int kInputRetryMs = 20;
// Buffer of a snapshot.
constexpr uint32_t kSnapshotBufferSize = 1843200;
// Stream modes of the hard-disk library used here.
constexpr int kModePlay = 1;
constexpr int kModeCopy = 21;

// The player's input call and its per-port error, replaceable for tests.
struct PlayerInput {
    int (*input)(int port, const void* data, uint32_t size);
    uint32_t (*lastError)(int port);
};
PlayerInput DefaultPlayerInput();

// True once the stream should no longer feed the player.
bool InputAbandoned(const STREAM_CONTEXT& context);

// Offers one data block to the context's player in pieces of at most
// kPlayerBufferSize bytes; a full player is offered the piece again every
// kInputRetryMs until it takes it or the stream is stopped. A piece the
// player refuses for any other reason is dropped. data null with length -1
// is the end of the stream. False when the block was not (wholly) taken.
bool FeedPlayer(STREAM_CONTEXT& context, const unsigned char* data, int length, const PlayerInput& player);

// Stream callback of playbacks and of copies (user value: the context). A
// copy writes each recording's header and bytes as they come; a recording
// that follows another in a copy by time is joined onto the first one's
// clock (recstream::StreamJoiner), so the file is one stream whose times are
// the recorder's. One that cannot be moved (enciphered: a copy has no key)
// keeps its own header.
void PlayDataCallback(int handle, int dataType, unsigned char* data, int length, void* user);
void CopyDataCallback(int handle, int dataType, unsigned char* data, int length, void* user);

// Tests only: called on the hard-disk library's thread each time the copy
// callback has dealt with a block (nullptr: none).
using CopyBlockHook = void (*)(int32_t stream, int dataType, int length);
void SetCopyBlockHook(CopyBlockHook hook);

// Appends one block to the copy's output file; a failed write marks the
// output failed and nothing more is written. False when the block did not
// go in.
bool AppendToFile(STREAM_CONTEXT& context, const unsigned char* data, int length);

// Opens a copy's output file (see STREAM_CONTEXT): with `mayAppend` (copies
// by time) a file that is there is added to; otherwise the copy writes a
// temporary file beside the output. An output that does not open, or a
// file there that may not be replaced, marks the output failed (7).
void OpenCopyOutput(STREAM_CONTEXT& context, bool mayAppend);
// True once everything the stream delivers is in the copy's file and no
// write failed: the end of the stream reached the file, or the file took as
// many stream bytes as the hard-disk library delivers in all.
bool CopyComplete(const STREAM_CONTEXT& context);
// The copied share in percent of `length` stream bytes: 100 only for a
// whole copy (CopyComplete).
int32_t CopiedPercent(const STREAM_CONTEXT& context, uint32_t length);
// Ends the output of a copy whose stream was stopped (no callback runs any
// more): a whole copy takes the output's name, any other is taken back.
// 0, or the output's error (7 or 25).
uint32_t FinishCopyOutput(STREAM_CONTEXT& context);

// A new file beside `target` (a path of this machine) for an output that
// takes the target's place once it is whole: "<target>.part", or a numbered
// name when that is taken. Null when `target` is there but is no file that
// may be replaced (a folder, a file not writable), or nothing can be made
// beside it; `path` then stays as it was.
FILE* OpenReplacementBeside(const std::string& target, std::string* path);
// Closes an output file written to its end; false when its last bytes could
// not be written.
bool CloseOutputFile(FILE* file);
// The whole file at `path` takes the place of `target` (or its name, where
// there is none); false when it could not (it then stays at `path`).
bool PutInPlace(const std::string& path, const std::string& target);

// Drive paths of a by-time export: "X:" for each of the first `max` letters.
std::vector<std::string> PathsFromLetters(const char* letters, size_t max);
// Drive paths taken from a caller's null-terminated array (at most `max`).
std::vector<std::string> PathsFromArray(const char* const* paths, size_t max);

// A null-terminated pointer array over `paths` for the hard-disk library.
class PathArray {
public:
    explicit PathArray(const std::vector<std::string>& paths);
    const char* const* Get() const { return m_pointers.data(); }

private:
    std::vector<std::string> m_paths;
    std::vector<const char*> m_pointers;
};

// One control call's hold on a registered stream with a player port: the
// stop waits for it before the port is freed. Empty when the stream is not
// registered, has no port or is being stopped.
class StreamUse {
public:
    explicit StreamUse(int32_t stream);
    ~StreamUse();
    StreamUse(const StreamUse&) = delete;
    StreamUse& operator=(const StreamUse&) = delete;

    explicit operator bool() const { return m_held; }
    STREAM_CONTEXT& Context() const { return *m_context; }
    int Port() const { return m_context->port; }
    void* Window() const { return reinterpret_cast<void*>(m_context->window); }

private:
    std::shared_ptr<STREAM_CONTEXT> m_context;
    bool m_held = false;
};

// Stops a registered stream: no callback runs once it returns, the port is
// freed, the output file closed; a copy that failed or is not whole is taken
// back (FinishCopyOutput). Result of the hard-disk library's stop; 0 with
// last error 2 for a stream that is not registered, and 0 with the output's
// error for a copy whose output failed.
int32_t StopStream(int32_t stream);

// Makes sure the streams still running when the library is unloaded are
// stopped before the library's code and the contexts go away. Called when a
// stream is opened.
void StopStreamsAtUnload();
// Stops every registered stream (at unload).
void StopAllStreams();

// `channel` plus the channel offset (wrapping, never overflowing).
int32_t WithChannelOffset(int32_t channel);

// Stores 100 + the hard-disk library's error, or 300 + the player's error of
// `port`.
void SetHardDiskError();
void SetPlayerError(int port);

}  // namespace pellomir
