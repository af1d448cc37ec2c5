// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recorder stream -> .mp4, without re-encoding.
//
// The program stream is cut into packs (recstream::PacketScanner), enciphered
// payloads are deciphered, video PES pieces are joined into access units and
// MPEG audio is cut into frames. H.264 access units become samples with
// sized NAL units here (the one pass over their bytes, which also finds the
// key frames), so the writer copies them as they are. libavformat's mp4
// writer writes into a virtual file: everything it writes before the first
// sample (ftyp and the media-data box header) is kept as the head, the
// samples are handed out at once as body pieces (straight from the sample,
// without a copy), and what it writes at the end (the movie box) is moved in
// front of the media data, with its chunk offsets moved to match. So the
// file reads: head, then the body pieces in order. The head is a whole
// number of 4 KiB blocks (a "free" box fills it up), so that a writer can
// put it in front of a body already on the disk by inserting whole blocks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "es_split.h"
#include "fallowin.h"
#include "recstream/recstream.h"

struct AVFormatContext;
struct AVIOContext;
struct AVPacket;
struct AVStream;

namespace fallowin {

class Mp4Remuxer {
public:
    // Called on the transform's thread with each output record.
    using Emit = std::function<void(uint16_t dataType, bool head, const uint8_t* data, size_t size)>;

    // `key` empty: payloads are taken as they are.
    Mp4Remuxer(const recstream::StreamHeader& header, const std::string& key, Emit emit);
    ~Mp4Remuxer();
    Mp4Remuxer(const Mp4Remuxer&) = delete;
    Mp4Remuxer& operator=(const Mp4Remuxer&) = delete;

    // Takes stream bytes. DREBEN_OK, or the error that ends the transform.
    DREBEN_STATUS Feed(const uint8_t* data, size_t size);
    // Ends the input: writes what is pending, finishes the file and hands out
    // the head. DREBEN_ERR_NO_OUTPUT when no picture could be written.
    DREBEN_STATUS Finish();

    uint64_t BytesIn() const { return m_bytesIn; }
    uint64_t BytesOut() const { return m_bytesOut; }
    uint32_t FramesOut() const { return m_framesOut; }

private:
    struct Item {
        int stream = 0;  // 0 video, 1 audio
        std::vector<uint8_t> bytes;
        int64_t abs = 0;  // 90 kHz on the timeline of the first header
        bool key = false;
        int duration = 0;  // 90 kHz
    };
    enum class Phase { Header, Body, Trailer };

    DREBEN_STATUS TakePackets(bool finishing);
    // `bytes`: the packet's bytes (in the scanner's buffer, may be changed).
    DREBEN_STATUS OnPack(const recstream::Packet& packet, uint8_t* bytes);
    DREBEN_STATUS CloseVideoUnit(bool finishing);
    // A sample for the file; its bytes are copied only while the writer
    // waits to start.
    DREBEN_STATUS Queue(int stream, const uint8_t* data, size_t size, int64_t abs, bool key, int duration,
                        bool finishing);
    DREBEN_STATUS StartMuxer();
    DREBEN_STATUS WriteSample(int stream, const uint8_t* data, size_t size, int64_t abs, bool key, int duration);
    void EmitProgress();

    friend struct IoBridge;
    int OnWrite(const uint8_t* buf, int size);
    int64_t OnSeek(int64_t offset, int whence);
    uint64_t VirtualSize() const;

    recstream::StreamHeader m_first;
    recstream::StreamHeader m_current;
    std::string m_key;
    Emit m_emit;
    recstream::PacketScanner m_scanner;   // keeps no copy of the packets' bytes
    recstream::Packet m_packet;           // reused for every packet
    int64_t m_segmentBase = 0;  // 90 kHz offset of the current header's stream on the first's timeline
    int m_frameTicks = 3600;    // nominal video frame length, 90 kHz

    // Video unit being gathered, and the sample made of it (their room is
    // used again for the next).
    std::vector<uint8_t> m_unit;
    std::vector<uint8_t> m_sample;
    std::vector<NalUnit> m_nals;
    int64_t m_unitAbs = 0;
    bool m_unitKey = false;
    bool m_unitOpen = false;

    // Audio.
    bool m_wantAudio = false;
    struct Framer;
    std::unique_ptr<Framer> m_framer;
    bool m_haveAudioInfo = false;
    int m_audioRate = 0, m_audioChannels = 0, m_audioBitRate = 0, m_audioFrameSamples = 0, m_audioLayer = 0;

    // Before the writer starts.
    std::vector<uint8_t> m_videoConfig;
    bool m_haveVideoConfig = false;
    int64_t m_absBase = 0;  // first picture
    std::vector<Item> m_pending;

    // Writer.
    AVFormatContext* m_oc = nullptr;
    AVIOContext* m_io = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    AVPacket* m_pkt = nullptr;
    bool m_started = false;
    int64_t m_correction = 0;
    int64_t m_lastVideoDts = INT64_MIN;
    int64_t m_lastAudioDts = INT64_MIN;

    // Virtual output file.
    Phase m_phase = Phase::Header;
    std::vector<uint8_t> m_head;
    uint64_t m_bodyStart = 0;
    uint64_t m_bodyEnd = 0;
    std::vector<uint8_t> m_tail;
    uint64_t m_pos = 0;
    bool m_ioError = false;

    uint64_t m_bytesIn = 0;
    uint64_t m_bytesOut = 0;
    uint32_t m_framesOut = 0;
    DREBEN_STATUS m_failure = DREBEN_OK;
};

}  // namespace fallowin
