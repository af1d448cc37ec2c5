// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Video elementary-stream decoder: frames the access units of the recorder's
// video payloads (with the codec's parser) and decodes them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct AVCodecContext;
struct AVCodecParserContext;
struct AVFrame;
struct AVPacket;

namespace vintrel {

class VideoDecoder {
public:
    // Called for every decoded frame; the frame stays owned by the decoder
    // (take a reference with av_frame_ref / av_frame_move_ref to keep it).
    // `pts` is the 90 kHz time of the frame, -1 when unknown.
    using FrameSink = std::function<void(AVFrame* frame, int64_t pts, bool key)>;

    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // codec: 1 H.264, 2 MPEG-4 part 2 (the stream header's codec numbers).
    bool Open(int codec, int threads = 1);
    void Close();
    bool IsOpen() const { return m_ctx != nullptr; }

    // Only key frames reach the decoder while set.
    void SetKeyOnly(bool on);
    // One PES payload; pts < 0 when the PES had none.
    void Push(const uint8_t* data, size_t size, int64_t pts, const FrameSink& sink);
    // Hands the access unit still held by the parser to the decoder and
    // drains every delayed frame; the decoder then takes new data again,
    // starting at the next key frame.
    void Drain(const FrameSink& sink);
    // Forgets everything buffered (after a seek); waits for a key frame.
    void Reset();
    // Frames are late: what comes before the next key frame is not decoded.
    void SkipToKey() { m_needKey = true; }
    // Asked of each key frame met while waiting for one (its 90 kHz time,
    // -1 unknown): false passes over it undecoded, to the next one.
    using KeyFilter = std::function<bool(int64_t pts)>;
    void SetKeyFilter(KeyFilter filter) { m_keyFilter = std::move(filter); }
    // Called with every access unit handed to the decoder (data padded).
    using UnitTap = std::function<void(const uint8_t* data, int size, int64_t pts, bool key)>;
    void SetUnitTap(UnitTap tap) { m_tap = std::move(tap); }
    // One whole access unit (padded by AV_INPUT_BUFFER_PADDING_SIZE), as the
    // parser gave it.
    void DecodeUnit(const uint8_t* data, int size, int64_t pts, bool key, const FrameSink& sink) {
        Decode(data, size, pts, key, sink);
    }
    bool HasPending() const { return m_pending; }
    uint64_t Errors() const { return m_errors; }
    // Access units handed to the decoder so far.
    uint64_t Decoded() const { return m_decoded; }

private:
    void Decode(const uint8_t* data, int size, int64_t pts, bool key, const FrameSink& sink);
    void Receive(const FrameSink& sink);

    AVCodecContext* m_ctx = nullptr;
    AVCodecParserContext* m_parser = nullptr;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    int m_codec = 0;
    bool m_keyOnly = false;
    bool m_needKey = true;
    KeyFilter m_keyFilter;
    bool m_pending = false;   // the parser holds bytes not yet decoded
    uint64_t m_errors = 0;
    uint64_t m_decoded = 0;
    // The parser reads up to AV_INPUT_BUFFER_PADDING_SIZE bytes past its
    // input: payloads are handed to it from this zero-padded copy.
    std::vector<uint8_t> m_padded;
    UnitTap m_tap;
};

}  // namespace vintrel
