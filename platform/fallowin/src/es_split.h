// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Elementary-stream helpers of the transform: H.264 and MPEG-4 Part 2 access
// units, MPEG audio frames.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fallowin {

// ---- video -----------------------------------------------------------------
struct NalUnit {
    size_t offset = 0;  // first byte after the start code
    size_t size = 0;
    int type = 0;       // nal_unit_type (low 5 bits of the first byte)
};
// Offset of the next start code (00 00 01) at or after `from`; `size` when
// there is none.
size_t FindStartCode(const uint8_t* data, size_t size, size_t from);
// The NAL units of an Annex B byte stream (3- or 4-byte start codes).
std::vector<NalUnit> SplitAnnexB(const uint8_t* data, size_t size);
// The same into `out` (its room is used again).
void SplitAnnexB(const uint8_t* data, size_t size, std::vector<NalUnit>* out);
// The decoder configuration record ("avcC") made of the first SPS and PPS
// of an access unit; false when the unit lacks either.
bool H264DecoderConfig(const uint8_t* data, size_t size, std::vector<uint8_t>* out);
// An access unit in the form an .mp4 sample takes: each NAL unit with its
// size in front (4 bytes, big-endian) in place of its start code. `nals` is
// room for the units found; `idr` tells whether one is an IDR slice. False
// when the bytes hold no NAL unit.
bool H264ToSample(const uint8_t* data, size_t size, std::vector<NalUnit>* nals, std::vector<uint8_t>* out, bool* idr);

// MPEG-4 Part 2: the configuration bytes in front of the first VOP (visual
// object sequence, visual object, VOL); false when there are none.
bool Mpeg4Config(const uint8_t* data, size_t size, std::vector<uint8_t>* out);
// True when the first VOP of the unit is intra coded.
bool Mpeg4HasIntraVop(const uint8_t* data, size_t size);

// ---- audio -----------------------------------------------------------------
struct MpaFrameInfo {
    int layer = 0;            // 1..3
    int sampleRate = 0;       // Hz
    int channels = 0;         // 1 or 2
    int bitRate = 0;          // bits per second
    int frameBytes = 0;       // whole frame, header included
    int samplesPerFrame = 0;
};
// Parses the 4-byte header of an MPEG-1/2 audio frame; false when it is not one
// (free-format frames are not accepted).
bool ParseMpaHeader(const uint8_t* p, size_t size, MpaFrameInfo* out);

// Cuts an MPEG audio byte stream into frames and gives each its time stamp:
// a frame that starts a PES with a PTS takes that PTS, the others follow the
// frame before.
class MpaFramer {
public:
    struct Frame {
        std::vector<uint8_t> bytes;
        int64_t pts = 0;          // 90 kHz
        MpaFrameInfo info;
    };
    // `hasPts`/`pts` describe the PES that carried the bytes.
    void Push(const uint8_t* data, size_t size, bool hasPts, int64_t pts, std::vector<Frame>* out);
    void Reset();

private:
    std::vector<uint8_t> m_buf;
    bool m_havePts = false;
    int64_t m_nextPts = 0;     // PTS of the frame that starts at m_buf[0]
};

}  // namespace fallowin
