// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The decoder of a port: takes the stream bytes apart (program stream, the
// headers of joined recordings, enciphered frames over several pieces),
// decodes video and sound, and hands out decoded frames with their recorder
// times. Vehicle data and sound wait here for their time. Used by the decode
// thread alone, except the compressed units it keeps for stepping back
// (their own lock), which a caller stepping back decodes again.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "demux.h"
#include "presenter.h"
#include "recstream/recstream.h"
#include "video_decoder.h"

struct AVFrame;

namespace vintrel {

class AudioDecoder;

// A decoded frame on its way to the screen.
struct Frame {
    AVFrame* frame = nullptr;
    int64_t t = 0;     // recorder ms
    int64_t pts = 0;   // 90 kHz
    int64_t keyT = 0;  // recorder ms of the key frame it was decoded from
    int64_t interval = 40;   // recorder ms between frames, as last seen
    int64_t keyInterval = 0;   // recorder ms between the last two key frames (0: not seen yet)
    bool key = false;
};

// Vehicle data or sound waiting for its recorder time.
struct Block {
    int64_t t = 0;
    std::vector<uint8_t> bytes;
};

class Decoder {
public:
    // What the decoder asks of its port while it works (called on the
    // decode thread, without the decoder's locks).
    struct Client {
        virtual ~Client() = default;
        // A decoded frame (taken by the call).
        virtual void Decoded(Frame frame, uint64_t generation) = 0;
        // The clock's time while it runs, INT64_MIN otherwise.
        virtual int64_t ClockNow() = 0;
        // Whether the key frame of recorder time `t`, met while skipping to
        // one, can still be decoded before its time.
        virtual bool KeyFrameInReach(int64_t t) = 0;
        struct Settings {
            int keyState = 0;      // 0 fine / not enciphered, 1 key missing, 2 key does not fit
            std::string key;       // for an enciphered stream
            bool keyOnly = false;
            bool soundOn = false;  // sound of this port is played
        };
        virtual Settings CurrentSettings(bool enciphered) = 0;
        // The next recording of a joined stream begins; false when the data
        // it came with is stale.
        virtual bool NextRecording(const recstream::StreamHeader& header, uint64_t generation) = 0;
        // No video decoder could be made for the stream.
        virtual void DecoderFailed() = 0;
    };

    explicit Decoder(Client* client);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // The stream's header (no decode thread running, or on it).
    void SetHeader(const recstream::StreamHeader& header) { m_header = header; }
    // A new stream: the decoders for its header.
    bool OpenCodecs();
    // A new start (a move, new data after a reset): what is buffered goes.
    void Reset();
    // Switches to the header of `header` (the first recording of a joined
    // file played again); false when its decoder cannot be opened.
    bool Restart(const recstream::StreamHeader& header);

    void Feed(const std::vector<uint8_t>& bytes) { m_demux.Feed(bytes.data(), bytes.size()); }
    bool NextUnit(PesUnit* unit) { return m_demux.Next(unit); }
    size_t Buffered() const { return m_demux.Buffered(); }
    void HandleUnit(const PesUnit& unit, uint64_t generation);
    // Hands on the enciphered frames still collecting their pieces.
    void FlushCipherUnits(uint64_t generation) { FlushCipherUnits(UINT64_MAX, generation); }
    bool HasCipherUnits() const { return !m_cipherUnits.empty(); }
    // The parser holds bytes not decoded yet.
    bool HasPending() const { return m_video.HasPending(); }
    // Decodes what the parser still holds (at the end of the data).
    void Drain(uint64_t generation);
    // Access units handed to the video decoder so far, and whether the last
    // one was a key frame.
    uint64_t Decoded() const { return m_video.Decoded(); }
    bool LastDecodedKey() const { return m_lastUnitKey; }
    bool SawVideo() const { return m_sawVideo; }
    // Late: nothing is decoded up to the first key frame not behind the clock.
    void SkipToKeyFrame();

    // Vehicle data up to recorder time `limit`, oldest first; false when none.
    bool TakeBlock(int64_t limit, Block* block);
    bool HasBlocks() const { return !m_blocks.empty() || !m_pcm.empty(); }
    // Hands the sound due by clock time `now` to the sound output.
    void WriteSound(int port, int64_t now);

    // Decodes again, from the key frame before it, the frames before
    // recorder time `firstT` out of the units kept (any thread).
    bool DecodeBefore(int64_t firstT, std::deque<Picture>* made);

private:
    struct CipherUnit {
        uint8_t id = 0;
        uint64_t pts = 0;
        uint64_t pack = 0;
        std::vector<uint8_t> bytes;
    };
    // A video unit kept for stepping back, padded for the decoder.
    struct Unit {
        std::vector<uint8_t> bytes;
        int64_t pts = -1;
        bool key = false;
    };

    int64_t RecorderMs(uint64_t ts90k) const;
    void HandlePayload(uint8_t id, const uint8_t* data, size_t size, bool hasPts, uint64_t pts, uint64_t generation,
                       const Client::Settings& settings);
    void FlushCipherUnits(uint64_t beforePack, uint64_t generation);
    void NextRecording(const PesUnit& unit, uint64_t generation);
    void PushFrame(AVFrame* f, int64_t pts, bool key, uint64_t generation);
    void LogUnit(const uint8_t* data, int size, int64_t pts, bool key);
    void ClearUnits();

    Client* const m_client;
    recstream::StreamHeader m_header{};
    PsDemux m_demux;
    VideoDecoder m_video;
    std::unique_ptr<AudioDecoder> m_audio;
    std::deque<Block> m_blocks;      // vehicle data waiting for their frame
    std::deque<Block> m_pcm;         // sound waiting for its time
    std::vector<CipherUnit> m_cipherUnits;   // enciphered frames still collecting their PES pieces
    std::string m_key;
    bool m_sawVideo = false;
    bool m_lastUnitKey = false;
    int64_t m_lastT = -1;
    int64_t m_lastKeyT = -1;        // recorder ms of the last key frame decoded
    int64_t m_keyInterval = 0;      // recorder ms between the last two key frames met
    int64_t m_keyMetT = -1;         // recorder ms of the last key frame met (decoded or passed over)
    void MetKey(int64_t t);
    int64_t m_frameInterval = 40;   // recorder ms between frames, as last seen
    int64_t m_prevT = -1;           // recorder ms of the frame decoded before
    bool m_awaitKey = false;        // late: frames are dropped until the next key frame

    // The video units decoded since the key frame before the last one.
    std::mutex m_unitsMutex;
    std::deque<Unit> m_units;
    int m_unitsCodec = 0;
    uint32_t m_unitsStart = 0;   // start time of the recording the units belong to
};

}  // namespace vintrel
