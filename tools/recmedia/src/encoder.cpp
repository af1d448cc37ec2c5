// SPDX-License-Identifier: GPL-3.0-or-later
#include "recmedia/encoder.h"

#include "recmedia/vehicle_block.h"
#include "scene.h"
#include "recstream/recstream.h"
#include "wincompat/drives.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <openssl/sha.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace recmedia {

namespace {

// ---- picture ---------------------------------------------------------------

void DrawText(QPainter& p, int x, int y, int scale, const std::string& text, const QColor& color) {
    for (char c : text) {
        if (const uint8_t* rows = GlyphRows(c)) {
            for (int r = 0; r < 7; ++r)
                for (int col = 0; col < 5; ++col)
                    if (rows[r] & (0x10 >> col)) p.fillRect(x + col * scale, y + r * scale, scale, scale, color);
        }
        x += 6 * scale;
    }
}

// Frame `n` of the recording: a drifting gradient, a box bouncing across it,
// the channel and the recorder clock.
void DrawFrame(QImage& img, const RecordingSpec& spec, int64_t n) {
    const int w = img.width(), h = img.height();
    const double t = static_cast<double>(n) / spec.fps;
    QPainter p(&img);
    int hue = static_cast<int>((spec.seed * 37 + spec.channel * 53) % 360);
    QLinearGradient g(0, 0, w, h);
    double shift = 0.5 + 0.5 * std::sin(t * 0.7);
    g.setColorAt(0, QColor::fromHsv(hue, 120, 90 + static_cast<int>(60 * shift)));
    g.setColorAt(1, QColor::fromHsv((hue + 90) % 360, 140, 150 - static_cast<int>(50 * shift)));
    p.fillRect(0, 0, w, h, g);

    int box = std::max(8, std::min(w, h) / 6);
    double px = std::fabs(std::fmod(t * 0.37 * (w - box) * 2, 2.0 * (w - box)) - (w - box));
    double py = std::fabs(std::fmod(t * 0.23 * (h - box) * 2, 2.0 * (h - box)) - (h - box));
    p.fillRect(static_cast<int>(px), static_cast<int>(py), box, box, QColor::fromHsv((hue + 180) % 360, 200, 230));

    int scale = std::max(1, w / 176);
    char ch[16];
    std::snprintf(ch, sizeof(ch), "CH%02d", spec.channel);
    p.fillRect(0, 0, w, 9 * scale + 2, QColor(0, 0, 0));
    DrawText(p, scale, scale, scale, ch, QColor(255, 255, 0));
    std::string clock = ClockText(spec.start + static_cast<uint32_t>(n / spec.fps));
    int clockWidth = static_cast<int>(clock.size()) * 6 * scale;
    DrawText(p, std::max(0, w - clockWidth - scale), scale, scale, clock, QColor(255, 255, 255));
}

// ---- codec helpers ---------------------------------------------------------

struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct Encoded {
    std::vector<uint8_t> data;
    int64_t pts = 0;  // in the codec's time base
    bool key = false;
};

std::string AvError(int e) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(e, buf, sizeof(buf));
    return buf;
}

// Opens a video encoder: H.264 (libx264 first), else MPEG-4 Part 2.
CodecPtr OpenVideo(const RecordingSpec& spec, int gop, recstream::VideoCodec* kind, std::string* error) {
    std::vector<const AVCodec*> candidates;
    if (!spec.forceMpeg4) {
        if (const AVCodec* c = avcodec_find_encoder_by_name("libx264")) candidates.push_back(c);
        if (const AVCodec* c = avcodec_find_encoder(AV_CODEC_ID_H264)) candidates.push_back(c);
    }
    if (const AVCodec* c = avcodec_find_encoder(AV_CODEC_ID_MPEG4)) candidates.push_back(c);
    for (const AVCodec* codec : candidates) {
        CodecPtr ctx(avcodec_alloc_context3(codec));
        if (!ctx) continue;
        ctx->width = spec.width;
        ctx->height = spec.height;
        ctx->pix_fmt = AV_PIX_FMT_YUV420P;
        ctx->time_base = AVRational{1, spec.fps};
        ctx->framerate = AVRational{spec.fps, 1};
        ctx->gop_size = gop;
        ctx->max_b_frames = 0;
        ctx->thread_count = 1;
        bool h264 = codec->id == AV_CODEC_ID_H264;
        if (spec.realistic) {
            // A recorder's rate: the bit rate held over a one-second buffer,
            // a fast preset, and a fixed number of threads so that the
            // output does not depend on the machine.
            const int64_t rate = RealisticBitRate(spec.width, spec.height);
            ctx->bit_rate = rate;
            ctx->rc_max_rate = rate + rate / 5;
            ctx->rc_buffer_size = static_cast<int>(std::min<int64_t>(rate, INT32_MAX));
            ctx->thread_count = 4;
            if (h264) {
                av_opt_set(ctx->priv_data, "preset", "veryfast", 0);
                av_opt_set(ctx->priv_data, "forced-idr", "1", 0);
                av_opt_set(ctx->priv_data, "x264-params", "scenecut=0:log=-1:sliced-threads=1", 0);
            }
        } else if (h264) {
            av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
            av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
            av_opt_set(ctx->priv_data, "crf", "30", 0);
            av_opt_set(ctx->priv_data, "forced-idr", "1", 0);
            av_opt_set(ctx->priv_data, "x264-params", "scenecut=0:log=-1", 0);
        } else {
            ctx->bit_rate = 300000;
            ctx->qmax = 20;
        }
        if (avcodec_open2(ctx.get(), codec, nullptr) < 0) continue;
        *kind = h264 ? recstream::kVideoH264 : recstream::kVideoMpeg4;
        return ctx;
    }
    *error = "no usable video encoder";
    return nullptr;
}

CodecPtr OpenAudio(std::string* error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!codec) {
        *error = "no MP2 encoder";
        return nullptr;
    }
    CodecPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) {
        *error = "out of memory";
        return nullptr;
    }
    ctx->sample_rate = 32000;
    ctx->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&ctx->ch_layout, 1);
    ctx->bit_rate = 64000;
    ctx->time_base = AVRational{1, 32000};
    int e = avcodec_open2(ctx.get(), codec, nullptr);
    if (e < 0) {
        *error = "cannot open the MP2 encoder: " + AvError(e);
        return nullptr;
    }
    return ctx;
}

// Sends one frame (null = flush) and collects what the encoder hands back.
bool Encode(AVCodecContext* ctx, AVFrame* frame, std::vector<Encoded>* out, std::string* error) {
    int e = avcodec_send_frame(ctx, frame);
    if (e < 0) {
        *error = "encoder refused a frame: " + AvError(e);
        return false;
    }
    PacketPtr pkt(av_packet_alloc());
    for (;;) {
        e = avcodec_receive_packet(ctx, pkt.get());
        if (e == AVERROR(EAGAIN) || e == AVERROR_EOF) return true;
        if (e < 0) {
            *error = "encoder failed: " + AvError(e);
            return false;
        }
        Encoded enc;
        enc.data.assign(pkt->data, pkt->data + pkt->size);
        enc.pts = pkt->pts;
        enc.key = (pkt->flags & AV_PKT_FLAG_KEY) != 0;
        out->push_back(std::move(enc));
        av_packet_unref(pkt.get());
    }
}

// Produces the encoded video frames in order, either encoding each frame or,
// with fastRepeat, cycling through one encoded GOP.
class VideoSource {
public:
    bool Open(const RecordingSpec& spec, int gop, std::string* error) {
        m_spec = &spec;
        m_gop = gop;
        m_ctx = OpenVideo(spec, gop, &m_kind, error);
        if (!m_ctx) return false;
        m_frame.reset(av_frame_alloc());
        if (!m_frame) return Fail(error, "out of memory");
        m_frame->format = AV_PIX_FMT_YUV420P;
        m_frame->width = spec.width;
        m_frame->height = spec.height;
        if (av_frame_get_buffer(m_frame.get(), 0) < 0) return Fail(error, "out of memory");
        if (spec.realistic) {
            // Drawn straight into the encoder's planes.
            m_scene.reset(new RealisticScene(spec.width, spec.height, spec.seed, spec.channel));
        } else {
            m_sws.reset(sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB32, spec.width, spec.height,
                                       AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
            if (!m_sws) return Fail(error, "cannot set up the colour conversion");
            m_image = QImage(spec.width, spec.height, QImage::Format_RGB32);
        }
        if (spec.fastRepeat) {
            for (int i = 0; i < gop; ++i)
                if (!EncodeFrame(i, error)) return false;
            if (!Encode(m_ctx.get(), nullptr, &m_ready, error)) return false;
            if (static_cast<int>(m_ready.size()) != gop) return Fail(error, "the encoder lost frames");
            m_cycle = std::move(m_ready);
            m_ready.clear();
        }
        return true;
    }
    recstream::VideoCodec Kind() const { return m_kind; }

    // The encoded frame `n` (frames are asked for in order).
    bool Get(int64_t n, int64_t total, Encoded* out, std::string* error) {
        if (!m_cycle.empty()) {
            *out = m_cycle[static_cast<size_t>(n % m_gop)];
            return true;
        }
        while (m_ready.empty()) {
            if (m_next < total) {
                if (!EncodeFrame(m_next++, error)) return false;
            } else if (!m_flushed) {
                m_flushed = true;
                if (!Encode(m_ctx.get(), nullptr, &m_ready, error)) return false;
            } else {
                return Fail(error, "the encoder lost frames");
            }
        }
        *out = std::move(m_ready.front());
        m_ready.erase(m_ready.begin());
        return true;
    }

private:
    static bool Fail(std::string* error, const char* what) {
        *error = what;
        return false;
    }
    bool EncodeFrame(int64_t n, std::string* error) {
        if (av_frame_make_writable(m_frame.get()) < 0) return Fail(error, "out of memory");
        if (m_scene) {
            m_scene->Render(n, m_spec->fps, m_spec->start + static_cast<uint32_t>(n / m_spec->fps), m_frame->data,
                            m_frame->linesize);
        } else {
            DrawFrame(m_image, *m_spec, n);
            const uint8_t* src[1] = {m_image.constBits()};
            int stride[1] = {static_cast<int>(m_image.bytesPerLine())};
            sws_scale(m_sws.get(), src, stride, 0, m_spec->height, m_frame->data, m_frame->linesize);
        }
        m_frame->pts = n;
        m_frame->pict_type = n % m_gop == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        return Encode(m_ctx.get(), m_frame.get(), &m_ready, error);
    }

    const RecordingSpec* m_spec = nullptr;
    int m_gop = 1;
    recstream::VideoCodec m_kind = recstream::kVideoNone;
    CodecPtr m_ctx;
    FramePtr m_frame;
    std::unique_ptr<SwsContext, SwsDeleter> m_sws;
    QImage m_image;
    std::unique_ptr<RealisticScene> m_scene;
    std::vector<Encoded> m_ready;
    std::vector<Encoded> m_cycle;
    int64_t m_next = 0;
    bool m_flushed = false;
};

// MP2 frames of a beep at the start of every second over a low hum. With
// fastRepeat, about one second of frames is encoded and cycled.
class AudioSource {
public:
    static constexpr int kRate = 32000;

    bool Open(bool repeat, std::string* error) {
        m_ctx = OpenAudio(error);
        if (!m_ctx) return false;
        m_frame.reset(av_frame_alloc());
        if (!m_frame) return false;
        m_frame->format = AV_SAMPLE_FMT_S16;
        m_frame->nb_samples = m_ctx->frame_size;
        m_frame->sample_rate = kRate;
        av_channel_layout_copy(&m_frame->ch_layout, &m_ctx->ch_layout);
        if (av_frame_get_buffer(m_frame.get(), 0) < 0) {
            *error = "out of memory";
            return false;
        }
        if (repeat) {
            int frames = kRate / m_ctx->frame_size + 1;
            while (static_cast<int>(m_cycle.size()) < frames)
                if (!Produce(&m_cycle, error)) return false;
            m_cycle.resize(static_cast<size_t>(frames));
        }
        return true;
    }

    // The next encoded frame, with its pts in 90 kHz ticks.
    bool Next(Encoded* out, uint64_t* pts90k, std::string* error) {
        int64_t index = m_index++;
        int64_t sample = index * m_ctx->frame_size;
        *pts90k = static_cast<uint64_t>(sample) * recstream::kClockRate / kRate;
        if (!m_cycle.empty()) {
            *out = m_cycle[static_cast<size_t>(index % static_cast<int64_t>(m_cycle.size()))];
            return true;
        }
        while (m_ready.empty())
            if (!Produce(&m_ready, error)) return false;
        *out = std::move(m_ready.front());
        m_ready.erase(m_ready.begin());
        return true;
    }

private:
    bool Produce(std::vector<Encoded>* into, std::string* error) {
        if (av_frame_make_writable(m_frame.get()) < 0) return false;
        int16_t* s = reinterpret_cast<int16_t*>(m_frame->data[0]);
        for (int i = 0; i < m_frame->nb_samples; ++i, ++m_sample) {
            double t = static_cast<double>(m_sample) / kRate;
            double inSecond = t - std::floor(t);
            double v = 0.05 * std::sin(2 * M_PI * 220 * t);
            if (inSecond < 0.15) v += 0.3 * std::sin(2 * M_PI * 880 * t);
            s[i] = static_cast<int16_t>(v * 32767);
        }
        m_frame->pts = m_sample - m_frame->nb_samples;
        return Encode(m_ctx.get(), m_frame.get(), into, error);
    }

    CodecPtr m_ctx;
    FramePtr m_frame;
    std::vector<Encoded> m_ready;
    std::vector<Encoded> m_cycle;
    int64_t m_sample = 0;
    int64_t m_index = 0;
};

// A nonce that depends only on the RecordingSpec, so generated media are reproducible.
void SpecNonce(const RecordingSpec& spec, uint8_t out[8]) {
    std::string material = "nonce:" + std::to_string(spec.seed) + ":" + std::to_string(spec.channel) + ":" +
                           std::to_string(spec.start) + ":" + spec.path;
    uint8_t digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const uint8_t*>(material.data()), material.size(), digest);
    std::memcpy(out, digest, 8);
    out[0] |= 1;  // never all zero
}

const TrackSample* SampleAt(const std::vector<TrackSample>& track, uint32_t time, size_t hint) {
    if (hint < track.size() && track[hint].time == time) return &track[hint];
    for (const TrackSample& s : track)
        if (s.time == time) return &s;
    return nullptr;
}

bool Check(const RecordingSpec& spec, std::string* error) {
    const char* what = nullptr;
    if (spec.path.empty()) what = "no path";
    else if (spec.seconds < 1) what = "length must be at least one second";
    else if (spec.width < 16 || spec.width > 1920 || spec.width % 2) what = "bad width";
    else if (spec.height < 16 || spec.height > 1080 || spec.height % 2) what = "bad height";
    else if (spec.fps < 1 || spec.fps > 60) what = "bad frame rate";
    else if (spec.gop < 0) what = "bad key frame interval";
    else if (spec.channel < 0 || spec.channel > 255) what = "bad channel";
    else if (spec.realistic && spec.fastRepeat) what = "realistic recordings cannot repeat one GOP";
    if (what) *error = what;
    return what == nullptr;
}

}  // namespace

bool EncodeRecording(const RecordingSpec& spec, std::string* error) {
    std::string scratch;
    if (!error) error = &scratch;
    if (!Check(spec, error)) return false;
    const int gop = spec.gop > 0 ? spec.gop : spec.fps;

    VideoSource video;
    if (!video.Open(spec, gop, error)) return false;
    AudioSource audio;
    if (spec.withAudio && !audio.Open(spec.fastRepeat, error)) return false;

    recstream::StreamHeader header = recstream::MakeHeader();
    header.videoCodec = video.Kind();
    header.audioCodec = spec.withAudio ? recstream::kAudioMp2 : recstream::kAudioNone;
    header.channel = static_cast<uint8_t>(spec.channel);
    header.flags = static_cast<uint8_t>((spec.key.empty() ? 0 : recstream::kFlagEnciphered) |
                                        (spec.track.empty() ? 0 : recstream::kFlagVehicleData));
    header.width = static_cast<uint16_t>(spec.width);
    header.height = static_cast<uint16_t>(spec.height);
    header.frameRate = static_cast<uint16_t>(spec.fps);
    header.startTime = spec.start;
    if (!spec.key.empty()) SpecNonce(spec, header.nonce);

    recstream::StreamWriter writer;
    if (!writer.Open(spec.path, header, spec.key)) {
        *error = "cannot create " + spec.path;
        return false;
    }
    auto fail = [&](const std::string& why) {
        writer.Close();
        std::remove(wincompat::MapPath(spec.path).c_str());
        *error = why;
        return false;
    };

    const int64_t total = static_cast<int64_t>(spec.seconds) * spec.fps;
    Encoded frame, sound;
    uint64_t soundPts = 0;
    bool soundPending = false;
    for (int64_t n = 0; n < total; ++n) {
        const uint64_t pts = static_cast<uint64_t>(n) * recstream::kClockRate / static_cast<uint64_t>(spec.fps);
        if (n % spec.fps == 0 && !spec.track.empty()) {
            uint32_t second = static_cast<uint32_t>(n / spec.fps);
            if (const TrackSample* s = SampleAt(spec.track, spec.start + second, second)) {
                std::string block = MakeVehicleBlock(*s, spec.encipherVehicleData, spec.channel);
                if (!writer.WritePrivate(pts, reinterpret_cast<const uint8_t*>(block.data()), block.size()))
                    return fail("write failed");
            }
        }
        if (!video.Get(n, total, &frame, error)) return fail(*error);
        if (!writer.WriteVideo(pts, frame.key, frame.data.data(), frame.data.size())) return fail("write failed");

        if (spec.withAudio) {
            // Audio up to the next video frame.
            const uint64_t until =
                static_cast<uint64_t>(n + 1) * recstream::kClockRate / static_cast<uint64_t>(spec.fps);
            for (;;) {
                if (!soundPending) {
                    if (!audio.Next(&sound, &soundPts, error)) return fail(*error);
                    soundPending = true;
                }
                if (soundPts >= until) break;
                if (!writer.WriteAudio(soundPts, sound.data.data(), sound.data.size())) return fail("write failed");
                soundPending = false;
            }
        }
    }
    if (!writer.Close()) {
        std::remove(wincompat::MapPath(spec.path).c_str());
        *error = "write failed";
        return false;
    }
    return true;
}

}  // namespace recmedia
