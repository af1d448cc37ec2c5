// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp4_remux.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

#include "mp4_boxes.h"

namespace fallowin {

namespace {

constexpr int kIoBufferSize = 256 * 1024;
// The head is a whole number of these.
constexpr size_t kHeadBlock = 4096;
// The writer starts once audio has shown up, or after this much video
// without audio.
constexpr int64_t kAudioWaitTicks = 2 * 90000;
// A video time stamp that goes back by more than this starts a new run.
constexpr int64_t kBackJumpTicks = 90000;
constexpr AVRational kTicks = {1, 90000};

bool IsVideo(uint8_t id) { return id >= 0xE0 && id <= 0xEF; }
bool IsAudio(uint8_t id) { return id >= 0xC0 && id <= 0xDF; }

}  // namespace

struct Mp4Remuxer::Framer {
    MpaFramer framer;
};

// Bridges libavformat's I/O callbacks to the virtual file.
struct IoBridge {
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int Write(void* opaque, const uint8_t* buf, int size) {
#else
    static int Write(void* opaque, uint8_t* buf, int size) {
#endif
        return static_cast<Mp4Remuxer*>(opaque)->OnWrite(buf, size);
    }
    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        return static_cast<Mp4Remuxer*>(opaque)->OnSeek(offset, whence);
    }
};

Mp4Remuxer::Mp4Remuxer(const recstream::StreamHeader& header, const std::string& key, Emit emit)
    : m_first(header),
      m_current(header),
      m_key(key),
      m_emit(std::move(emit)),
      m_scanner(header.startTime, false),
      m_framer(new Framer) {
    if (header.frameRate > 0 && header.frameRate <= 240) m_frameTicks = 90000 / header.frameRate;
    m_wantAudio = header.audioCodec == recstream::kAudioMp2;
}

Mp4Remuxer::~Mp4Remuxer() {
    av_packet_free(&m_pkt);
    if (m_oc) avformat_free_context(m_oc);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

// ---- input ---------------------------------------------------------------------

DREBEN_STATUS Mp4Remuxer::Feed(const uint8_t* data, size_t size) {
    if (m_failure != DREBEN_OK) return m_failure;
    m_bytesIn += size;
    m_scanner.Feed(data, size);
    m_failure = TakePackets(false);
    return m_failure;
}

DREBEN_STATUS Mp4Remuxer::TakePackets(bool finishing) {
    while (m_scanner.Next(&m_packet)) {
        DREBEN_STATUS st = OnPack(m_packet, m_scanner.LastPacketBytes());
        if (st != DREBEN_OK) return st;
    }
    (void)finishing;
    return DREBEN_OK;
}

DREBEN_STATUS Mp4Remuxer::OnPack(const recstream::Packet& packet, uint8_t* bytes) {
    if (!bytes) return DREBEN_OK;
    const size_t size = packet.size;
    if (packet.kind != recstream::kPacketPack) {
        // A recording joined on after this one brings its own header: its
        // times count from its own start, and its payloads use its own nonce.
        recstream::StreamHeader next;
        if (size >= recstream::kHeaderSize && recstream::ParseHeader(bytes, recstream::kHeaderSize, &next)) {
            if ((next.flags & recstream::kFlagEnciphered) && !recstream::KeyMatches(next, m_key))
                return DREBEN_ERR_KEY;
            m_current = next;
            m_segmentBase = (static_cast<int64_t>(next.startTime) - static_cast<int64_t>(m_first.startTime)) * 90000;
            m_framer->framer.Reset();
        }
        return DREBEN_OK;
    }
    if ((m_current.flags & recstream::kFlagEnciphered) && !m_key.empty()) {
        recstream::CipherPack(m_current, m_key, packet.pes, bytes, size);
    }
    for (const recstream::Pes& pes : packet.pes) {
        if (pes.payloadOffset > size || pes.payloadSize > size - pes.payloadOffset) continue;
        const uint8_t* payload = bytes + pes.payloadOffset;
        const int64_t abs = m_segmentBase + static_cast<int64_t>(pes.pts);
        if (IsVideo(pes.streamId)) {
            if (pes.hasPts) {
                DREBEN_STATUS st = CloseVideoUnit(false);
                if (st != DREBEN_OK) return st;
                m_unit.assign(payload, payload + pes.payloadSize);
                m_unitAbs = abs;
                m_unitKey = pes.keyFrame;
                m_unitOpen = true;
            } else if (m_unitOpen) {
                m_unit.insert(m_unit.end(), payload, payload + pes.payloadSize);
            }
        } else if (IsAudio(pes.streamId) && m_wantAudio) {
            std::vector<MpaFramer::Frame> frames;
            m_framer->framer.Push(payload, pes.payloadSize, pes.hasPts, abs, &frames);
            for (MpaFramer::Frame& frame : frames) {
                if (frame.info.layer != 1 && frame.info.layer != 2) continue;  // MP1/MP2 only
                if (!m_haveAudioInfo) {
                    m_haveAudioInfo = true;
                    m_audioRate = frame.info.sampleRate;
                    m_audioChannels = frame.info.channels;
                    m_audioBitRate = frame.info.bitRate;
                    m_audioFrameSamples = frame.info.samplesPerFrame;
                    m_audioLayer = frame.info.layer;
                }
                if (frame.info.sampleRate != m_audioRate || frame.info.channels != m_audioChannels) continue;
                const int duration = static_cast<int>(static_cast<int64_t>(m_audioFrameSamples) * 90000 / m_audioRate);
                DREBEN_STATUS st =
                    Queue(1, frame.bytes.data(), frame.bytes.size(), frame.pts, true, duration, false);
                if (st != DREBEN_OK) return st;
            }
        }
        // Private streams (vehicle data) have no place in the file.
    }
    return DREBEN_OK;
}

DREBEN_STATUS Mp4Remuxer::CloseVideoUnit(bool finishing) {
    if (!m_unitOpen) return DREBEN_OK;
    m_unitOpen = false;
    // A time stamp without a picture (an empty PES) is no sample.
    if (m_unit.empty()) return DREBEN_OK;
    const bool h264 = m_first.videoCodec == recstream::kVideoH264;
    const uint8_t* d = m_unit.data();
    const size_t n = m_unit.size();
    bool key = false;
    if (h264) {
        // Bytes without a NAL unit hold no picture either.
        if (!H264ToSample(d, n, &m_nals, &m_sample, &key)) return DREBEN_OK;
    } else {
        key = Mpeg4HasIntraVop(d, n);
    }
    if (!m_haveVideoConfig) {
        // The file starts at the first key frame that brings its configuration.
        if (!key) return DREBEN_OK;
        std::vector<uint8_t> config;
        if (!(h264 ? H264DecoderConfig(d, n, &config) : Mpeg4Config(d, n, &config))) return DREBEN_OK;
        m_videoConfig.swap(config);
        m_haveVideoConfig = true;
        m_absBase = m_unitAbs;
    }
    const uint8_t* sample = h264 ? m_sample.data() : d;
    const size_t sampleSize = h264 ? m_sample.size() : n;
    return Queue(0, sample, sampleSize, m_unitAbs, key, m_frameTicks, finishing);
}

DREBEN_STATUS Mp4Remuxer::Queue(int stream, const uint8_t* data, size_t size, int64_t abs, bool key, int duration,
                                bool finishing) {
    if (!m_haveVideoConfig) return DREBEN_OK;          // nothing before the first picture
    if (stream == 1 && abs < m_absBase) return DREBEN_OK;
    if (m_started) return WriteSample(stream, data, size, abs, key, duration);
    Item item;
    item.stream = stream;
    item.bytes.assign(data, data + size);
    item.abs = abs;
    item.key = key;
    item.duration = duration;
    m_pending.push_back(std::move(item));
    bool lastIsLateVideo = false;
    for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it) {
        if (it->stream == 0) {
            lastIsLateVideo = it->abs - m_absBase >= kAudioWaitTicks;
            break;
        }
    }
    if (!finishing && m_wantAudio && !m_haveAudioInfo && !lastIsLateVideo) return DREBEN_OK;
    DREBEN_STATUS st = StartMuxer();
    if (st != DREBEN_OK) return st;
    std::vector<Item> pending;
    pending.swap(m_pending);
    for (const Item& it : pending) {
        st = WriteSample(it.stream, it.bytes.data(), it.bytes.size(), it.abs, it.key, it.duration);
        if (st != DREBEN_OK) return st;
    }
    return DREBEN_OK;
}

// ---- writer --------------------------------------------------------------------

DREBEN_STATUS Mp4Remuxer::StartMuxer() {
    if (avformat_alloc_output_context2(&m_oc, nullptr, "mp4", nullptr) < 0 || !m_oc) return DREBEN_ERR_MUX;
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (!buffer) return DREBEN_ERR_MEMORY;
    m_io = avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr, &IoBridge::Write, &IoBridge::Seek);
    if (!m_io) {
        av_free(buffer);
        return DREBEN_ERR_MEMORY;
    }
    // Samples go to the virtual file as they are, not through the buffer.
    m_io->direct = 1;
    m_oc->pb = m_io;
    m_pkt = av_packet_alloc();
    if (!m_pkt) return DREBEN_ERR_MEMORY;

    const bool h264 = m_first.videoCodec == recstream::kVideoH264;
    m_videoStream = avformat_new_stream(m_oc, nullptr);
    if (!m_videoStream) return DREBEN_ERR_MEMORY;
    AVCodecParameters* vp = m_videoStream->codecpar;
    vp->codec_type = AVMEDIA_TYPE_VIDEO;
    vp->codec_id = h264 ? AV_CODEC_ID_H264 : AV_CODEC_ID_MPEG4;
    vp->width = m_first.width;
    vp->height = m_first.height;
    vp->extradata = static_cast<uint8_t*>(av_mallocz(m_videoConfig.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!vp->extradata) return DREBEN_ERR_MEMORY;
    memcpy(vp->extradata, m_videoConfig.data(), m_videoConfig.size());
    vp->extradata_size = static_cast<int>(m_videoConfig.size());
    m_videoStream->time_base = kTicks;
    if (m_first.frameRate > 0) {
        m_videoStream->avg_frame_rate = AVRational{m_first.frameRate, 1};
        m_videoStream->r_frame_rate = m_videoStream->avg_frame_rate;
    }

    if (m_wantAudio && m_haveAudioInfo) {
        m_audioStream = avformat_new_stream(m_oc, nullptr);
        if (!m_audioStream) return DREBEN_ERR_MEMORY;
        AVCodecParameters* ap = m_audioStream->codecpar;
        ap->codec_type = AVMEDIA_TYPE_AUDIO;
        ap->codec_id = m_audioLayer == 1 ? AV_CODEC_ID_MP1 : AV_CODEC_ID_MP2;
        ap->sample_rate = m_audioRate;
        av_channel_layout_default(&ap->ch_layout, m_audioChannels);
        ap->bit_rate = m_audioBitRate;
        ap->frame_size = m_audioFrameSamples;
        m_audioStream->time_base = AVRational{1, m_audioRate};
    }

    // The recorder's clock of the first picture, as a civil time without zone.
    const time_t first = static_cast<time_t>(m_first.startTime) + static_cast<time_t>(m_absBase / 90000);
    struct tm tmv = {};
    if (gmtime_r(&first, &tmv)) {
        char text[64];
        snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d.000000Z", tmv.tm_year + 1900, tmv.tm_mon + 1,
                 tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
        av_dict_set(&m_oc->metadata, "creation_time", text, 0);
        // The container's creation time 0 means "none": the clock's very
        // first second is said in the comment, which the player reads first.
        if (first == 0) av_dict_set(&m_oc->metadata, "comment", "recorder_start=19700101000000", 0);
    }

    m_phase = Phase::Header;
    if (avformat_write_header(m_oc, nullptr) < 0 || m_ioError) return DREBEN_ERR_MUX;
    avio_flush(m_io);
    if (m_ioError || m_io->error < 0) return DREBEN_ERR_MUX;
    // The head must end with the media-data box header; samples follow it.
    std::vector<BoxInfo> boxes;
    if (!ListBoxes(m_head.data(), m_head.size(), &boxes) || boxes.empty() || boxes.back().type != FourCC("mdat"))
        return DREBEN_ERR_MUX;
    m_bodyStart = m_head.size();
    m_bodyEnd = m_bodyStart;
    m_phase = Phase::Body;
    m_started = true;

    char info[160];
    if (m_audioStream) {
        snprintf(info, sizeof(info), "video=%s %ux%u %u fps; audio=mp%d %d Hz %d ch", h264 ? "h264" : "mpeg4",
                 m_first.width, m_first.height, m_first.frameRate, m_audioLayer, m_audioRate, m_audioChannels);
    } else {
        snprintf(info, sizeof(info), "video=%s %ux%u %u fps; audio=none", h264 ? "h264" : "mpeg4", m_first.width,
                 m_first.height, m_first.frameRate);
    }
    m_emit(DREBEN_DATA_STREAM_INFO, false, reinterpret_cast<const uint8_t*>(info), strlen(info));
    return DREBEN_OK;
}

DREBEN_STATUS Mp4Remuxer::WriteSample(int stream, const uint8_t* data, size_t size, int64_t abs, bool key,
                                      int duration) {
    if (size == 0) return DREBEN_OK;   // an empty sample has no place in the file
    if (size > static_cast<size_t>(INT32_MAX)) return DREBEN_ERR_MUX;
    // Time stamps count from the second of the creation time, so that every
    // picture (the first one too) keeps its recorder time to the millisecond.
    int64_t t = abs + m_correction - m_absBase / 90000 * 90000;
    int64_t dts = t;
    AVStream* st = nullptr;
    if (stream == 0) {
        st = m_videoStream;
        if (m_lastVideoDts != INT64_MIN && t < m_lastVideoDts - kBackJumpTicks) {
            // The clock went back (a joined recording that starts earlier):
            // go on right after the last picture.
            m_correction += m_lastVideoDts + m_frameTicks - t;
            t = m_lastVideoDts + m_frameTicks;
        }
        dts = m_lastVideoDts == INT64_MIN ? t : std::max(t, m_lastVideoDts + 1);
        m_lastVideoDts = dts;
    } else {
        st = m_audioStream;
        if (!st || t < 0 || (m_lastAudioDts != INT64_MIN && t <= m_lastAudioDts)) return DREBEN_OK;
        m_lastAudioDts = dts;
    }

    // The writer takes the sample's bytes as they lie (it keeps no reference
    // to them after the call).
    av_packet_unref(m_pkt);
    m_pkt->data = const_cast<uint8_t*>(data);
    m_pkt->size = static_cast<int>(size);
    m_pkt->pts = dts;
    m_pkt->dts = dts;
    m_pkt->duration = duration;
    m_pkt->stream_index = st->index;
    if (key) m_pkt->flags |= AV_PKT_FLAG_KEY;
    av_packet_rescale_ts(m_pkt, kTicks, st->time_base);
    const int e = av_write_frame(m_oc, m_pkt);
    m_pkt->data = nullptr;
    m_pkt->size = 0;
    if (e < 0 || m_ioError) return DREBEN_ERR_MUX;
    if (stream == 0) ++m_framesOut;
    return DREBEN_OK;
}

DREBEN_STATUS Mp4Remuxer::Finish() {
    if (m_failure != DREBEN_OK) return m_failure;
    m_scanner.Finish();
    m_failure = TakePackets(true);
    if (m_failure == DREBEN_OK) m_failure = CloseVideoUnit(true);
    if (m_failure != DREBEN_OK) return m_failure;
    if (!m_started) {
        if (!m_haveVideoConfig || m_pending.empty()) return m_failure = DREBEN_ERR_NO_OUTPUT;
        Item last = std::move(m_pending.back());
        m_pending.pop_back();
        m_failure = Queue(last.stream, last.bytes.data(), last.bytes.size(), last.abs, last.key, last.duration, true);
        if (m_failure != DREBEN_OK) return m_failure;
    }

    avio_flush(m_io);
    if (m_ioError || m_io->error < 0) return m_failure = DREBEN_ERR_MUX;
    m_phase = Phase::Trailer;
    if (av_write_trailer(m_oc) < 0 || m_ioError) return m_failure = DREBEN_ERR_MUX;
    avio_flush(m_io);
    if (m_ioError || m_io->error < 0) return m_failure = DREBEN_ERR_MUX;

    std::vector<uint8_t> head;
    if (!PlaceMovieFirst(m_head, m_tail, &head, kHeadBlock)) return m_failure = DREBEN_ERR_MUX;
    EmitProgress();
    m_bytesOut += head.size();
    m_emit(DREBEN_DATA_HEAD, true, head.data(), head.size());
    return DREBEN_OK;
}

void Mp4Remuxer::EmitProgress() {
    DREBEN_PROGRESS progress{};
    progress.bytesIn = m_bytesIn;
    progress.bytesOut = m_bytesOut;
    progress.framesOut = m_framesOut;
    progress.durationMs = m_lastVideoDts == INT64_MIN
                              ? 0
                              : static_cast<uint32_t>((m_lastVideoDts + m_frameTicks) / 90);
    m_emit(DREBEN_DATA_PROGRESS, false, reinterpret_cast<const uint8_t*>(&progress), sizeof(progress));
}

// ---- virtual output file -------------------------------------------------------

uint64_t Mp4Remuxer::VirtualSize() const {
    if (m_phase == Phase::Header) return m_head.size();
    return m_bodyEnd + m_tail.size();
}

int Mp4Remuxer::OnWrite(const uint8_t* buf, int size) {
    if (size <= 0) return 0;
    const uint64_t n = static_cast<uint64_t>(size);
    const uint64_t begin = m_pos;
    const uint64_t end = begin + n;
    if (m_phase == Phase::Header) {
        if (m_head.size() < end) m_head.resize(end);
        memcpy(m_head.data() + begin, buf, n);
    } else if (end <= m_bodyStart) {
        memcpy(m_head.data() + begin, buf, n);  // a size patched in the head
    } else if (m_phase == Phase::Body && begin == m_bodyEnd) {
        m_bodyEnd = end;
        m_bytesOut += n;
        m_emit(DREBEN_DATA_BODY, false, buf, n);
        EmitProgress();
    } else if (m_phase == Phase::Trailer && begin >= m_bodyEnd) {
        const uint64_t off = begin - m_bodyEnd;
        if (m_tail.size() < off + n) m_tail.resize(off + n);
        memcpy(m_tail.data() + off, buf, n);
    } else {
        // Bytes already handed out cannot change.
        m_ioError = true;
        return AVERROR(EIO);
    }
    m_pos = end;
    return size;
}

int64_t Mp4Remuxer::OnSeek(int64_t offset, int whence) {
    whence &= ~AVSEEK_FORCE;
    const int64_t size = static_cast<int64_t>(VirtualSize());
    int64_t target = 0;
    switch (whence) {
    case AVSEEK_SIZE: return size;
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = static_cast<int64_t>(m_pos) + offset; break;
    case SEEK_END: target = size + offset; break;
    default: return AVERROR(EINVAL);
    }
    if (target < 0) return AVERROR(EINVAL);
    m_pos = static_cast<uint64_t>(target);
    return target;
}

}  // namespace fallowin
