// SPDX-License-Identifier: GPL-3.0-or-later
#include "container.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <cstdio>
#include <ctime>
#include <deque>
#include <memory>

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

// Opens a converted file with the .mp4 demuxer alone and local files only:
// no other demuxer looks at bytes that come from a medium, and nothing the
// file says is fetched from elsewhere.
int OpenConvertedFile(AVFormatContext** fmt, const std::string& path) {
    const AVInputFormat* mp4 = av_find_input_format("mov");
    if (!mp4) return AVERROR_DEMUXER_NOT_FOUND;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "format_whitelist", "mov", 0);
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int e = avformat_open_input(fmt, path.c_str(), mp4, &options);
    av_dict_free(&options);
    return e;
}

}  // namespace

ContainerReader::~ContainerReader() {
    av_bsf_free(&m_bsf);
    av_packet_free(&m_pkt);
    avformat_close_input(&m_fmt);
}

uint32_t ContainerReader::Open(const std::string& path) {
    if (OpenConvertedFile(&m_fmt, path) < 0) return OSTRUM_ERR_UNSUPPORTED;
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

namespace {
uint64_t TicksOf(int64_t ts, const AVRational& timeBase) {
    if (ts == AV_NOPTS_VALUE || ts <= 0) return 0;
    return static_cast<uint64_t>(av_rescale_q(ts, timeBase, kTicks));
}
}  // namespace

uint64_t ContainerReader::Ticks(int64_t ts, int stream) const {
    return TicksOf(ts, m_fmt->streams[stream]->time_base);
}

int64_t ContainerReader::RecorderMs(const recstream::StreamHeader& header, int64_t ts, const AVRational& timeBase) {
    // As the port reckons the time of a frame: its ticks after the start,
    // in whole milliseconds.
    return int64_t(header.startTime) * 1000 + static_cast<int64_t>(TicksOf(ts, timeBase) / 90);
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

// ---- clips ------------------------------------------------------------------------

namespace {

struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// The output file of a cut: removed unless Finish succeeded.
class CutOutput {
public:
    explicit CutOutput(std::string path) : m_path(std::move(path)) {}
    ~CutOutput() {
        if (m_oc) {
            if (m_oc->pb) avio_closep(&m_oc->pb);
            avformat_free_context(m_oc);
        }
        if (m_opened && !m_finished) std::remove(m_path.c_str());
    }
    CutOutput(const CutOutput&) = delete;
    CutOutput& operator=(const CutOutput&) = delete;

    // Streams as in `in` (video and audio, by `map`), creation time `second`,
    // `movieRoom` bytes kept for the movie box in front of the media data.
    uint32_t Open(AVFormatContext* in, const std::vector<int>& map, int64_t second, int64_t movieRoom) {
        // The writer opens the file again by its name to move the movie box.
        if (avformat_alloc_output_context2(&m_oc, nullptr, "mp4", m_path.c_str()) < 0 || !m_oc) return OSTRUM_ERR_NO_MEMORY;
        for (unsigned i = 0; i < in->nb_streams; ++i) {
            if (map[i] < 0) continue;
            const AVStream* is = in->streams[i];
            AVStream* os = avformat_new_stream(m_oc, nullptr);
            if (!os || avcodec_parameters_copy(os->codecpar, is->codecpar) < 0) return OSTRUM_ERR_NO_MEMORY;
            os->codecpar->codec_tag = 0;
            if (is->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
                // The converter's clock for pictures.
                os->time_base = kTicks;
                os->avg_frame_rate = is->avg_frame_rate;
                os->r_frame_rate = is->r_frame_rate;
            } else {
                os->time_base = is->codecpar->sample_rate > 0 ? AVRational{1, is->codecpar->sample_rate} : is->time_base;
            }
        }
        // The recorder's second of the first picture, as a civil time
        // without zone, written like the converter writes it.
        const time_t t = static_cast<time_t>(second);
        struct tm tmv = {};
        if (!gmtime_r(&t, &tmv)) return OSTRUM_ERR_PARAM;
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.000000Z", tmv.tm_year + 1900, tmv.tm_mon + 1,
                      tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
        av_dict_set(&m_oc->metadata, "creation_time", text, 0);
        // A creation time 0 reads as none: the clock's first second goes into
        // the comment as well, as the converter writes it.
        if (t == 0) av_dict_set(&m_oc->metadata, "comment", "recorder_start=19700101000000", 0);
        if (avio_open(&m_oc->pb, m_path.c_str(), AVIO_FLAG_WRITE) < 0) return OSTRUM_ERR_FILE_WRITE;
        m_opened = true;
        // The movie box goes in front of the media data, as the converter
        // has it: into the room kept for it, or moved there at the end.
        AVDictionary* options = nullptr;
        if (movieRoom > 0 && movieRoom <= INT32_MAX) av_dict_set_int(&options, "moov_size", movieRoom, 0);
        else av_dict_set(&options, "movflags", "+faststart", 0);
        const int e = avformat_write_header(m_oc, &options);
        av_dict_free(&options);
        return e < 0 ? OSTRUM_ERR_FILE_WRITE : OSTRUM_ERR_NONE;
    }
    AVFormatContext* Context() const { return m_oc; }
    uint32_t Write(AVPacket* pkt) { return av_interleaved_write_frame(m_oc, pkt) < 0 ? OSTRUM_ERR_FILE_WRITE : OSTRUM_ERR_NONE; }
    uint32_t Finish() {
        if (av_write_trailer(m_oc) < 0) return OSTRUM_ERR_FILE_WRITE;
        if (avio_closep(&m_oc->pb) < 0) return OSTRUM_ERR_FILE_WRITE;
        m_finished = true;
        return OSTRUM_ERR_NONE;
    }

private:
    std::string m_path;
    AVFormatContext* m_oc = nullptr;
    bool m_opened = false;
    bool m_finished = false;
};

// Room for the movie box of a clip from `fromMs` to `toMs`: its sample
// tables hold some tens of bytes per sample at most. The samples are counted
// in the file's index, a second more on either side; 0 without an index.
int64_t MovieRoom(AVFormatContext* in, const std::vector<int>& map, const recstream::StreamHeader& header,
                  int64_t fromMs, int64_t toMs) {
    constexpr int64_t kPerSample = 48;
    constexpr int64_t kPerFile = 16384;
    int64_t samples = 0;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        if (map[i] < 0) continue;
        AVStream* st = in->streams[i];
        const int count = avformat_index_get_entries_count(st);
        if (count <= 0) return 0;
        for (int k = 0; k < count; ++k) {
            const AVIndexEntry* e = avformat_index_get_entry(st, k);
            const int64_t ms = e ? ContainerReader::RecorderMs(header, e->timestamp, st->time_base) : 0;
            if (ms >= fromMs - 1000 && ms <= toMs + 1000) ++samples;
        }
    }
    return kPerFile + kPerSample * samples;
}

}  // namespace

uint32_t CutContainerFile(const std::string& source, int64_t fromMs, int64_t toMs, const std::string& target) {
    if (source.empty() || target.empty() || toMs < fromMs) return OSTRUM_ERR_PARAM;
    ContainerReader probe;   // the same checks and the same recorder time as playing the file
    uint32_t err = probe.Open(source);
    if (err != OSTRUM_ERR_NONE) return err;
    const recstream::StreamHeader header = probe.Header();

    AVFormatContext* in = nullptr;
    if (OpenConvertedFile(&in, source) < 0) return OSTRUM_ERR_FILE_OPEN;
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closeIn(&in, avformat_close_input);
    if (avformat_find_stream_info(in, nullptr) < 0) return OSTRUM_ERR_FILE_OPEN;
    const int video = av_find_best_stream(in, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0) return OSTRUM_ERR_UNSUPPORTED;
    // An H.264 track without its decoder configuration would be written as
    // a track that no reader opens (an empty configuration box).
    const AVCodecParameters* vp = in->streams[video]->codecpar;
    if (vp->codec_id == AV_CODEC_ID_H264 && vp->extradata_size <= 0) return OSTRUM_ERR_UNSUPPORTED;
    // The picture and the sound go along; anything else stays behind, as
    // the converter leaves it out.
    std::vector<int> map(in->nb_streams, -1);
    int outStreams = 0;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVMediaType type = in->streams[i]->codecpar->codec_type;
        if (static_cast<int>(i) == video || type == AVMEDIA_TYPE_AUDIO) map[i] = outStreams++;
        else in->streams[i]->discard = AVDISCARD_ALL;
    }
    const AVStream* vs = in->streams[video];
    auto msOf = [&](const AVPacket* p) {
        const int64_t ts = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
        return ContainerReader::RecorderMs(header, ts, in->streams[p->stream_index]->time_base);
    };

    // Start reading at the key frame before the first picture at `fromMs`.
    const int64_t startMs = int64_t(header.startTime) * 1000;
    const int64_t seekTicks = fromMs > startMs ? (fromMs - startMs + 1) * 90 - 1 : 0;
    if (av_seek_frame(in, video, av_rescale_q(seekTicks, kTicks, vs->time_base), AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(in, video, 0, AVSEEK_FLAG_BACKWARD);

    // Packets from the last key frame met are held until the first picture
    // at or after `fromMs` shows which key frame the clip starts with.
    std::deque<PacketPtr> held;
    bool haveKey = false, reachedFrom = false;
    int64_t keyMs = 0, lastVideoMs = INT64_MIN, frameMs = 0;
    std::unique_ptr<CutOutput> out;
    int64_t shiftTicks = 0;   // from the file's start to the clip's creation second
    auto write = [&](PacketPtr p) -> uint32_t {
        AVStream* is = in->streams[p->stream_index];
        AVStream* os = out->Context()->streams[map[p->stream_index]];
        const int64_t shift = av_rescale_q(shiftTicks, kTicks, is->time_base);
        if (p->pts != AV_NOPTS_VALUE) p->pts -= shift;
        if (p->dts != AV_NOPTS_VALUE) p->dts -= shift;
        p->stream_index = os->index;
        p->pos = -1;
        av_packet_rescale_ts(p.get(), is->time_base, os->time_base);
        return out->Write(p.get());
    };
    auto begin = [&]() -> uint32_t {
        // The clip's clock counts from the recorder second of its first picture.
        const int64_t second = keyMs >= 0 ? keyMs / 1000 : (keyMs - 999) / 1000;
        shiftTicks = (second - int64_t(header.startTime)) * 90000;
        out.reset(new CutOutput(target));
        return out->Open(in, map, second, MovieRoom(in, map, header, keyMs, toMs));
    };

    PacketPtr pkt(av_packet_alloc());
    if (!pkt) return OSTRUM_ERR_NO_MEMORY;
    std::deque<PacketPtr> sound;   // after the last picture written: kept only within its span
    int read = 0;
    while ((read = av_read_frame(in, pkt.get())) >= 0) {
        PacketPtr p(av_packet_alloc());
        if (!p) return OSTRUM_ERR_NO_MEMORY;
        av_packet_move_ref(p.get(), pkt.get());
        if (map[p->stream_index] < 0) continue;
        const int64_t ms = msOf(p.get());
        if (p->stream_index == video) {
            const bool key = (p->flags & AV_PKT_FLAG_KEY) != 0;
            if (!reachedFrom) {
                // The last key frame at or before the first picture of the clip.
                if (key) {
                    held.clear();
                    haveKey = true;
                    keyMs = ms;
                }
                if (!haveKey) continue;
                if (ms >= fromMs) reachedFrom = true;
                held.push_back(std::move(p));
                if (!reachedFrom) continue;
                if ((err = begin()) != OSTRUM_ERR_NONE) return err;
                for (PacketPtr& h : held) {
                    if (h->stream_index == video) lastVideoMs = std::max(lastVideoMs, msOf(h.get()));
                    if (h->stream_index == video && h->duration > 0)
                        frameMs = av_rescale_q(h->duration, vs->time_base, AVRational{1, 1000});
                    if ((err = write(std::move(h))) != OSTRUM_ERR_NONE) return err;
                }
                held.clear();
                continue;
            }
            // Decode order: once a picture is decoded after `toMs`, no later
            // one is shown before it. (Pictures decoded before it go along
            // even when shown after it: others may be decoded from them.)
            const int64_t dtsMs = p->dts != AV_NOPTS_VALUE
                                      ? ContainerReader::RecorderMs(header, p->dts, vs->time_base)
                                      : ms;
            if (dtsMs > toMs) {
                read = AVERROR_EOF;   // the clip is complete
                break;
            }
            lastVideoMs = std::max(lastVideoMs, ms);
            if (p->duration > 0) frameMs = av_rescale_q(p->duration, vs->time_base, AVRational{1, 1000});
            for (PacketPtr& s : sound)
                if ((err = write(std::move(s))) != OSTRUM_ERR_NONE) return err;
            sound.clear();
            if ((err = write(std::move(p))) != OSTRUM_ERR_NONE) return err;
            continue;
        }
        // Sound: from the clip's first picture to the end of its last.
        if (!haveKey || ms < keyMs) continue;
        if (!reachedFrom) held.push_back(std::move(p));
        else sound.push_back(std::move(p));
    }
    // A file that cannot be read to the end of the clip gives no clip: it
    // would hold less than it was cut for.
    if (read != AVERROR_EOF) return OSTRUM_ERR_FILE_OPEN;
    if (!reachedFrom) return OSTRUM_ERR_NO_FRAME;   // no picture at or after `fromMs`
    if (frameMs <= 0 && header.frameRate > 0) frameMs = 1000 / header.frameRate;
    for (PacketPtr& s : sound) {
        if (msOf(s.get()) >= lastVideoMs + frameMs) break;
        if ((err = write(std::move(s))) != OSTRUM_ERR_NONE) return err;
    }
    return out->Finish();
}

}  // namespace vintrel
