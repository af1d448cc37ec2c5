// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording_fixture.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include "recstream/recstream.h"

namespace vintrel_test {

namespace {

// Encodes the pictures and hands every packet (pts in frames, key flag) to `sink`.
bool Encode(const RecordingSpec& spec, const std::function<void(int64_t, bool, const uint8_t*, size_t)>& sink) {
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec) return false;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->width = spec.width;
    ctx->height = spec.height;
    ctx->time_base = AVRational{1, spec.fps};
    ctx->framerate = AVRational{spec.fps, 1};
    ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx->gop_size = spec.gop;
    ctx->max_b_frames = 0;
    ctx->thread_count = 1;
    av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
    av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return false;
    }
    AVFrame* frame = av_frame_alloc();
    frame->format = ctx->pix_fmt;
    frame->width = ctx->width;
    frame->height = ctx->height;
    av_frame_get_buffer(frame, 0);
    AVPacket* pkt = av_packet_alloc();
    auto drain = [&]() {
        while (avcodec_receive_packet(ctx, pkt) >= 0) {
            sink(pkt->pts, (pkt->flags & AV_PKT_FLAG_KEY) != 0, pkt->data, static_cast<size_t>(pkt->size));
            av_packet_unref(pkt);
        }
    };
    const int frames = spec.seconds * spec.fps;
    for (int i = 0; i < frames; ++i) {
        av_frame_make_writable(frame);
        const int bar = (i * 7) % spec.width;
        for (int y = 0; y < spec.height; ++y) {
            uint8_t* row = frame->data[0] + y * frame->linesize[0];
            for (int x = 0; x < spec.width; ++x) row[x] = (x >= bar && x < bar + 16) ? 235 : uint8_t(16 + (y * 2 + i) % 64);
        }
        for (int p = 1; p < 3; ++p)
            for (int y = 0; y < spec.height / 2; ++y)
                std::memset(frame->data[p] + y * frame->linesize[p], p == 1 ? 128 - i % 40 : 128 + i % 40, spec.width / 2);
        frame->pts = i;
        if (avcodec_send_frame(ctx, frame) < 0) break;
        drain();
    }
    avcodec_send_frame(ctx, nullptr);
    drain();
    av_packet_free(&pkt);
    av_frame_free(&frame);
    avcodec_free_context(&ctx);
    return true;
}

std::string VehicleBlock(uint32_t t, int second) {
    time_t tt = static_cast<time_t>(t);
    struct tm tmv;
    gmtime_r(&tt, &tmv);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d%02d", tmv.tm_year % 100, tmv.tm_mon + 1, tmv.tm_mday,
                  tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
    char text[512];
    std::snprintf(text, sizeof text,
                  "$QORMOBILE,KELREC,E,%s|SAMPLE|KEL1|,1,#GP|%d|%d|%d|9000|0|E|N|A|9|0|#GS|1000|0|0|0|1|2|3|#ME|1|1|0|0|0|0|,0,+480|",
                  stamp, 41000000 + second, 14400000, 5000000 + second * 100000);
    return text;
}

}  // namespace

bool WriteRecording(const std::string& path, const RecordingSpec& spec) {
    recstream::StreamHeader h = recstream::MakeHeader();
    h.videoCodec = recstream::kVideoH264;
    h.audioCodec = recstream::kAudioNone;
    h.channel = 1;
    h.flags = spec.vehicleData ? recstream::kFlagVehicleData : 0;
    if (!spec.key.empty()) h.flags |= recstream::kFlagEnciphered;
    h.width = static_cast<uint16_t>(spec.width);
    h.height = static_cast<uint16_t>(spec.height);
    h.frameRate = static_cast<uint16_t>(spec.fps);
    h.startTime = spec.startTime;
    recstream::StreamWriter writer;
    if (!writer.Open(path, h, spec.key)) return false;
    bool ok = true;
    int lastSecond = -1;
    ok = Encode(spec, [&](int64_t frame, bool key, const uint8_t* data, size_t size) {
        const uint64_t pts = static_cast<uint64_t>(frame) * 90000 / static_cast<uint64_t>(spec.fps);
        const int second = static_cast<int>(frame / spec.fps);
        if (spec.vehicleData && second != lastSecond) {
            lastSecond = second;
            std::string block = VehicleBlock(spec.startTime + static_cast<uint32_t>(second), second);
            ok = writer.WritePrivate(pts, reinterpret_cast<const uint8_t*>(block.data()), block.size()) && ok;
        }
        ok = writer.WriteVideo(pts, key, data, size) && ok;
    }) && ok;
    return writer.Close() && ok;
}

bool WriteElementary(const std::string& path, const RecordingSpec& spec) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = Encode(spec, [&](int64_t, bool, const uint8_t* data, size_t size) { std::fwrite(data, 1, size, f); });
    return std::fclose(f) == 0 && ok;
}

}  // namespace vintrel_test
