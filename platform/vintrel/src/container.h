// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reader of converted container files (.mp4): demuxes them with libavformat
// and re-wraps the video (and MPEG audio) packets as recorder program-stream
// packs, so that a container file plays through the same decode path as a
// recorder stream. Times: 90 kHz ticks after the file's recorder start.
#include <cstdint>
#include <string>
#include <vector>

#include "recstream/recstream.h"

struct AVBSFContext;
struct AVFormatContext;
struct AVPacket;
struct AVRational;

namespace vintrel {

class ContainerReader {
public:
    ContainerReader() = default;
    ~ContainerReader();
    ContainerReader(const ContainerReader&) = delete;
    ContainerReader& operator=(const ContainerReader&) = delete;

    // OSTRUM_ERR_NONE or the error code (not a container, no video stream,
    // no recorder time).
    uint32_t Open(const std::string& path);
    // The recorder stream header the packs belong to: codec, picture size,
    // frame rate and the recorder second of tick 0.
    const recstream::StreamHeader& Header() const { return m_header; }
    // Ticks of the first and the last video frame; false when the file holds
    // no readable video packet.
    bool FrameSpan(uint64_t* first, uint64_t* last);
    // Moves to the key frame at or before `ticks`.
    bool Seek(uint64_t ticks);
    // Appends the next packet as program-stream bytes; false at the end of
    // the file or when it cannot be read further.
    bool Next(std::vector<uint8_t>* out);

    // Recorder milliseconds of a time stamp of one of the file's streams, as
    // the player shows it.
    static int64_t RecorderMs(const recstream::StreamHeader& header, int64_t ts, const AVRational& timeBase);

private:
    uint64_t Ticks(int64_t ts, int stream) const;
    void AppendPacket(uint8_t streamId, uint64_t pts, const uint8_t* data, size_t size, std::vector<uint8_t>* out);

    AVFormatContext* m_fmt = nullptr;
    AVBSFContext* m_bsf = nullptr;   // H.264 length-prefixed -> start codes
    AVPacket* m_pkt = nullptr;
    int m_video = -1;
    int m_audio = -1;
    bool m_prependConfig = false;    // MPEG-4 Part 2: the configuration goes before every key frame
    recstream::StreamHeader m_header{};
    std::vector<uint8_t> m_frame;
};

// Copies the part of the container file `source` that a clip of the pictures
// shown from `fromMs` to `toMs` (recorder milliseconds) holds into a new .mp4
// file `target` (paths of this machine), without decoding: from the key frame
// at or before the first picture at or after `fromMs` to the last picture at
// or before `toMs` (at least that first picture), with the audio over that
// span. Written as the stream transform library writes its .mp4 files: the
// movie box before the media data, "creation_time" the recorder second of the
// first picture; the time stamps count from that second. OSTRUM_ERR_NONE or
// the error code; a target that was not finished is removed.
uint32_t CutContainerFile(const std::string& source, int64_t fromMs, int64_t toMs, const std::string& target);

}  // namespace vintrel
