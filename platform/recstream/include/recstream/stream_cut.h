// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cuts a recorder stream to the pictures a player showed: from the key frame
// at or before the first picture at or after `fromMs` to the last picture at
// or before `toMs` (at least that first picture), with the sound and the
// vehicle data over that span. Times are recorder milliseconds as a player
// reckons a picture's time: its recording's start second plus its time
// stamp. The stream may run across several recordings, each brought in by
// its own 40-byte header.
//
// The cut starts on the clock of its key frame's second: the recording it
// starts in gets that second as the start time of its header, and its pack
// clocks and time stamps move by as much (enciphered payloads are enciphered
// again for their new time stamps, with `key`), so every picture keeps its
// recorder time and the header tells when the cut starts. Recordings after
// it come with their own headers, as they came.
//
// Only the packs between the key frame and the first picture at or after
// `fromMs` are held (at most a group of pictures); the others are handed on
// as they come.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recstream/recstream.h"

namespace recstream {

class StreamCutter {
public:
    // Takes the cut: a 40-byte stream header (`header` set) or whole packs.
    // False stops the cut (a write failed).
    using Sink = std::function<bool(bool header, const uint8_t* data, size_t size)>;

    StreamCutter(int64_t fromMs, int64_t toMs, std::string key, Sink sink);
    ~StreamCutter();
    StreamCutter(const StreamCutter&) = delete;
    StreamCutter& operator=(const StreamCutter&) = delete;

    // A recording's stream header: the bytes fed after it are its stream.
    // False when the cut failed.
    bool Header(const uint8_t* data, size_t size);
    // Stream bytes, as they come (packs may be split anywhere). False when
    // the cut failed.
    bool Feed(const uint8_t* data, size_t size);
    // The end of the input: hands out what is still due. True when the cut
    // holds at least one picture and every write succeeded.
    bool Finish();

    // The last picture of the span has gone out: nothing more is needed.
    bool Done() const { return m_done; }
    bool Failed() const { return m_failed; }
    // Recorder milliseconds of the key frame the cut starts with; -1 while
    // none has gone out.
    int64_t KeyMs() const { return m_started ? m_keyMs : -1; }
    int64_t LastPictureMs() const { return m_lastPictureMs; }

private:
    struct Item {
        int recording = 0;      // index into m_headers
        int64_t ms = 0;         // its first picture, else its first time stamp, else its clock
        int64_t lastMs = 0;     // its last picture (as `ms` without one)
        bool pictures = false;  // it carries the start of a video picture
        Packet packet;
    };

    void TakePackets(bool finishing);
    void OnPack(Packet&& packet);
    void Begin();
    void Emit(Item& item);
    void EmitTrailing(bool all);
    int64_t Ms(uint64_t ticks) const;

    const int64_t m_fromMs;
    const int64_t m_toMs;
    const std::string m_key;
    Sink m_sink;

    std::vector<StreamHeader> m_headers;   // of the recordings met so far
    std::unique_ptr<PacketScanner> m_scanner;
    // Before the start: from the key frame to the first picture at or after
    // `fromMs` (before a key frame: the packs since the last picture).
    std::deque<Item> m_held;
    std::deque<Item> m_trailing;   // non-picture packs after the last picture written
    bool m_haveKey = false;
    bool m_started = false;
    bool m_done = false;
    bool m_failed = false;
    int64_t m_keyMs = 0;
    int m_keyRecording = -1;
    StreamHeader m_moved{};        // the header the key frame's recording goes out with
    int64_t m_shift = 0;           // ticks its times move by
    int m_emittedRecording = -1;
    int64_t m_lastPictureMs = -1;
    int64_t m_frameMs = 40;
};

}  // namespace recstream
