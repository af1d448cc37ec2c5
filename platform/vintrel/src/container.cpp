#include "container.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include "files.h"
#include "vintrel.h"

namespace vintrel {

namespace {

constexpr AVRational kTicks{1, 90000};
constexpr size_t kPesPayload = 65000;   // bytes of one PES packet at most

bool ParseDigits(const char* s, int count, int* out) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    *out = v;
    return true;
}

// "recorder_start=YYYYMMDDhhmmss" in a comment, or an ISO creation time
// (the converter writes the recorder time of the first picture there).
bool ContainerStart(AVFormatContext* fmt, int64_t* seconds) {
    AVDictionaryEntry* e = av_dict_get(fmt->metadata, "comment", nullptr, 0);
    if (e && e->value) {
        const char* p = std::strstr(e->value, "recorder_start=");
        int f[6];
        if (p) {
            p += std::strlen("recorder_start=");
            if (std::strlen(p) >= 14 && ParseDigits(p, 4, &f[0]) && ParseDigits(p + 4, 2, &f[1]) &&
                ParseDigits(p + 6, 2, &f[2]) && ParseDigits(p + 8, 2, &f[3]) && ParseDigits(p + 10, 2, &f[4]) &&
                ParseDigits(p + 12, 2, &f[5])) {
                *seconds = RecorderSeconds(f[0], f[1], f[2], f[3], f[4], f[5]);
                return true;
            }
        }
    }
    AVDictionaryEntry* c = av_dict_get(fmt->metadata, "creation_time", nullptr, 0);
    for (unsigned i = 0; !c && i < fmt->nb_streams; ++i) c = av_dict_get(fmt->streams[i]->metadata, "creation_time", nullptr, 0);
    if (c && c->value && std::strlen(c->value) >= 19) {
        const char* p = c->value;  // YYYY-MM-DDThh:mm:ss
        int f[6];
        if (ParseDigits(p, 4, &f[0]) && ParseDigits(p + 5, 2, &f[1]) && ParseDigits(p + 8, 2, &f[2]) &&
            ParseDigits(p + 11, 2, &f[3]) && ParseDigits(p + 14, 2, &f[4]) && ParseDigits(p + 17, 2, &f[5])) {
            *seconds = RecorderSeconds(f[0], f[1], f[2], f[3], f[4], f[5]);
            return true;
        }
    }
    return false;
}

void PutTimestamp(uint8_t* p, uint8_t prefix, uint64_t t) {
    p[0] = static_cast<uint8_t>(prefix | ((t >> 29) & 0x0E) | 0x01);
    p[1] = static_cast<uint8_t>(t >> 22);
    p[2] = static_cast<uint8_t>(((t >> 14) & 0xFE) | 0x01);
    p[3] = static_cast<uint8_t>(t >> 7);
    p[4] = static_cast<uint8_t>(((t << 1) & 0xFE) | 0x01);
}

// MPEG-2 pack header with the clock `scr`.
void AppendPackHeader(uint64_t scr, std::vector<uint8_t>* out) {
    uint8_t p[14] = {0x00, 0x00, 0x01, 0xBA};
    p[4] = static_cast<uint8_t>(0x44 | ((scr >> 27) & 0x38) | ((scr >> 28) & 0x03));
    p[5] = static_cast<uint8_t>(scr >> 20);
    p[6] = static_cast<uint8_t>(((scr >> 12) & 0xF8) | 0x04 | ((scr >> 13) & 0x03));
    p[7] = static_cast<uint8_t>(scr >> 5);
    p[8] = static_cast<uint8_t>(((scr << 3) & 0xF8) | 0x04);
    p[9] = 0x01;
    p[10] = 0x01;  // mux rate, markers
    p[11] = 0x89;
    p[12] = 0xC3;
    p[13] = 0xF8;  // no stuffing
    out->insert(out->end(), p, p + sizeof p);
}

}  // namespace

ContainerReader::~ContainerReader() {
    av_bsf_free(&m_bsf);
    av_packet_free(&m_pkt);
    avformat_close_input(&m_fmt);
}

uint32_t ContainerReader::Open(const std::string& path) {
    if (avformat_open_input(&m_fmt, path.c_str(), nullptr, nullptr) < 0) return OSTRUM_ERR_UNSUPPORTED;
    if (avformat_find_stream_info(m_fmt, nullptr) < 0) return OSTRUM_ERR_FILE_OPEN;
    m_video = av_find_best_stream(m_fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m_video < 0) return OSTRUM_ERR_UNSUPPORTED;
    const AVCodecParameters* vp = m_fmt->streams[m_video]->codecpar;
    if (vp->codec_id != AV_CODEC_ID_H264 && vp->codec_id != AV_CODEC_ID_MPEG4) return OSTRUM_ERR_UNSUPPORTED;
    int64_t start = 0;
    if (!ContainerStart(m_fmt, &start) || start < 0 || start > UINT32_MAX) return OSTRUM_ERR_NO_TIME;
    for (unsigned i = 0; i < m_fmt->nb_streams; ++i) {
        const AVCodecID id = m_fmt->streams[i]->codecpar->codec_id;
        if (m_fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && id == AV_CODEC_ID_MP2) {
            m_audio = static_cast<int>(i);
            break;
        }
    }
    for (unsigned i = 0; i < m_fmt->nb_streams; ++i)
        if (static_cast<int>(i) != m_video && static_cast<int>(i) != m_audio) m_fmt->streams[i]->discard = AVDISCARD_ALL;

    m_pkt = av_packet_alloc();
    if (!m_pkt) return OSTRUM_ERR_NO_MEMORY;
    const bool lengthPrefixed = vp->codec_id == AV_CODEC_ID_H264 && vp->extradata_size > 0 && vp->extradata[0] == 1;
    if (lengthPrefixed) {
        const AVBitStreamFilter* filter = av_bsf_get_by_name("h264_mp4toannexb");
        if (!filter || av_bsf_alloc(filter, &m_bsf) < 0) return OSTRUM_ERR_DECODER;
        avcodec_parameters_copy(m_bsf->par_in, vp);
        m_bsf->time_base_in = m_fmt->streams[m_video]->time_base;
        if (av_bsf_init(m_bsf) < 0) return OSTRUM_ERR_DECODER;
    }
    m_prependConfig = vp->codec_id == AV_CODEC_ID_MPEG4 && vp->extradata_size > 0;

    std::memcpy(m_header.magic, "QRS1", 4);
    m_header.version = 1;
    m_header.headerSize = recstream::kHeaderSize;
    m_header.videoCodec = vp->codec_id == AV_CODEC_ID_MPEG4 ? recstream::kVideoMpeg4 : recstream::kVideoH264;
    m_header.audioCodec = m_audio >= 0 ? recstream::kAudioMp2 : recstream::kAudioNone;
    m_header.width = static_cast<uint16_t>(vp->width);
    m_header.height = static_cast<uint16_t>(vp->height);
    const AVRational rate = m_fmt->streams[m_video]->avg_frame_rate;
    m_header.frameRate = rate.num > 0 && rate.den > 0 ? static_cast<uint16_t>(std::clamp(rate.num / rate.den, 1, 240)) : 25;
    m_header.startTime = static_cast<uint32_t>(start);
    return OSTRUM_ERR_NONE;
}

uint64_t ContainerReader::Ticks(int64_t ts, int stream) const {
    if (ts == AV_NOPTS_VALUE || ts <= 0) return 0;
    return static_cast<uint64_t>(av_rescale_q(ts, m_fmt->streams[stream]->time_base, kTicks));
}

bool ContainerReader::FrameSpan(uint64_t* first, uint64_t* last) {
    AVStream* st = m_fmt->streams[m_video];
    int64_t end = st->duration != AV_NOPTS_VALUE ? st->duration : 0;
    if (st->start_time != AV_NOPTS_VALUE) end += st->start_time;
    bool any = false;
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    // The last frames: from the key frame before the end on.
    if (av_seek_frame(m_fmt, m_video, end, AVSEEK_FLAG_BACKWARD) < 0) av_seek_frame(m_fmt, m_video, 0, AVSEEK_FLAG_BACKWARD);
    while (av_read_frame(m_fmt, m_pkt) >= 0) {
        if (m_pkt->stream_index == m_video && m_pkt->pts != AV_NOPTS_VALUE) {
            any = true;
            hi = std::max(hi, m_pkt->pts);
        }
        av_packet_unref(m_pkt);
    }
    if (!any) return false;
    // The first frames: the first group of pictures.
    av_seek_frame(m_fmt, m_video, st->start_time != AV_NOPTS_VALUE ? st->start_time : 0, AVSEEK_FLAG_BACKWARD);
    for (int n = 0; n < 64 && av_read_frame(m_fmt, m_pkt) >= 0;) {
        if (m_pkt->stream_index == m_video && m_pkt->pts != AV_NOPTS_VALUE) {
            lo = std::min(lo, m_pkt->pts);
            ++n;
        }
        av_packet_unref(m_pkt);
    }
    if (lo == INT64_MAX) lo = hi;
    *first = Ticks(lo, m_video);
    *last = std::max(*first, Ticks(hi, m_video));
    return Seek(0);
}

bool ContainerReader::Seek(uint64_t ticks) {
    const int64_t ts = av_rescale_q(static_cast<int64_t>(ticks), kTicks, m_fmt->streams[m_video]->time_base);
    if (m_bsf) av_bsf_flush(m_bsf);
    if (av_seek_frame(m_fmt, m_video, ts, AVSEEK_FLAG_BACKWARD) >= 0) return true;
    return av_seek_frame(m_fmt, m_video, ts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0;
}

void ContainerReader::AppendPacket(uint8_t streamId, uint64_t pts, const uint8_t* data, size_t size,
                                   std::vector<uint8_t>* out) {
    AppendPackHeader(pts, out);
    bool first = true;
    do {
        const size_t chunk = std::min(size, kPesPayload);
        const size_t headerData = first ? 5 : 0;
        const size_t length = 3 + headerData + chunk;
        const uint8_t head[9] = {0x00, 0x00, 0x01, streamId, static_cast<uint8_t>(length >> 8),
                                 static_cast<uint8_t>(length), 0x80, static_cast<uint8_t>(first ? 0x80 : 0x00),
                                 static_cast<uint8_t>(headerData)};
        out->insert(out->end(), head, head + sizeof head);
        if (first) {
            uint8_t t[5];
            PutTimestamp(t, 0x20, pts);
            out->insert(out->end(), t, t + sizeof t);
        }
        out->insert(out->end(), data, data + chunk);
        data += chunk;
        size -= chunk;
        first = false;
    } while (size > 0);
}

bool ContainerReader::Next(std::vector<uint8_t>* out) {
    for (;;) {
        if (m_bsf) {
            const int r = av_bsf_receive_packet(m_bsf, m_pkt);
            if (r >= 0) {
                AppendPacket(recstream::kStreamVideo, Ticks(m_pkt->pts, m_video), m_pkt->data,
                             static_cast<size_t>(m_pkt->size), out);
                av_packet_unref(m_pkt);
                return true;
            }
            if (r != AVERROR(EAGAIN)) return false;
        }
        if (av_read_frame(m_fmt, m_pkt) < 0) {
            if (!m_bsf) return false;
            av_bsf_send_packet(m_bsf, nullptr);   // hands out what the filter still holds
            const int r = av_bsf_receive_packet(m_bsf, m_pkt);
            if (r < 0) return false;
            AppendPacket(recstream::kStreamVideo, Ticks(m_pkt->pts, m_video), m_pkt->data,
                         static_cast<size_t>(m_pkt->size), out);
            av_packet_unref(m_pkt);
            return true;
        }
        if (m_pkt->stream_index == m_audio) {
            AppendPacket(recstream::kStreamAudio, Ticks(m_pkt->pts, m_audio), m_pkt->data,
                         static_cast<size_t>(m_pkt->size), out);
            av_packet_unref(m_pkt);
            return true;
        }
        if (m_pkt->stream_index != m_video) {
            av_packet_unref(m_pkt);
            continue;
        }
        if (m_bsf) {
            if (av_bsf_send_packet(m_bsf, m_pkt) < 0) av_packet_unref(m_pkt);
            continue;
        }
        const uint64_t pts = Ticks(m_pkt->pts, m_video);
        if (m_prependConfig && (m_pkt->flags & AV_PKT_FLAG_KEY)) {
            const AVCodecParameters* vp = m_fmt->streams[m_video]->codecpar;
            m_frame.assign(vp->extradata, vp->extradata + vp->extradata_size);
            m_frame.insert(m_frame.end(), m_pkt->data, m_pkt->data + m_pkt->size);
            AppendPacket(recstream::kStreamVideo, pts, m_frame.data(), m_frame.size(), out);
        } else {
            AppendPacket(recstream::kStreamVideo, pts, m_pkt->data, static_cast<size_t>(m_pkt->size), out);
        }
        av_packet_unref(m_pkt);
        return true;
    }
}

}  // namespace vintrel
