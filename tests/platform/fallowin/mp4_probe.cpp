// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp4_probe.h"

#include <cstdio>
#include <ctime>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <atomic>
#include <cstdarg>

namespace kel_test {

namespace {

std::atomic<int> g_logErrors{0};

void CountErrors(void* avcl, int level, const char* format, va_list args) {
    if (level <= AV_LOG_ERROR) ++g_logErrors;
    av_log_default_callback(avcl, level, format, args);
}

// Counts error messages while it lives (probes run one at a time).
struct ErrorLog {
    ErrorLog() {
        g_logErrors = 0;
        av_log_set_callback(&CountErrors);
    }
    ~ErrorLog() { av_log_set_callback(&av_log_default_callback); }
    int Count() const { return g_logErrors.load(); }
};

// FNV-1a over the visible bytes of every plane of a decoded picture.
uint64_t PictureHash(const AVFrame* frame) {
    uint64_t hash = 1469598103934665603ull;
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!format) return 0;
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS && frame->data[plane]; ++plane) {
        const bool chroma = plane == 1 || plane == 2;
        const int width = chroma ? AV_CEIL_RSHIFT(frame->width, format->log2_chroma_w) : frame->width;
        const int height = chroma ? AV_CEIL_RSHIFT(frame->height, format->log2_chroma_h) : frame->height;
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = frame->data[plane] + static_cast<ptrdiff_t>(y) * frame->linesize[plane];
            for (int x = 0; x < width; ++x) {
                hash ^= row[x];
                hash *= 1099511628211ull;
            }
        }
    }
    return hash;
}

}  // namespace

Mp4Probe ProbeMp4(const std::string& path, bool decode, bool recorderStream) {
    Mp4Probe probe;
    ErrorLog log;
    AVFormatContext* fc = nullptr;
    AVDictionary* options = nullptr;
    const AVInputFormat* format = nullptr;
    if (recorderStream) {
        av_dict_set(&options, "skip_initial_bytes", "40", 0);
        format = av_find_input_format("mpeg");
    }
    const int opened = avformat_open_input(&fc, path.c_str(), format, &options);
    av_dict_free(&options);
    if (opened < 0) return probe;
    if (avformat_find_stream_info(fc, nullptr) < 0) {
        avformat_close_input(&fc);
        return probe;
    }
    probe.opened = true;
    probe.format = fc->iformat->name;
    if (fc->duration != AV_NOPTS_VALUE) probe.duration = fc->duration / double(AV_TIME_BASE);
    if (AVDictionaryEntry* e = av_dict_get(fc->metadata, "creation_time", nullptr, 0)) probe.creationTime = e->value;
    int video = -1;
    for (unsigned i = 0; i < fc->nb_streams; ++i) {
        const AVCodecParameters* p = fc->streams[i]->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO && video < 0) {
            video = static_cast<int>(i);
            probe.videoCodec = avcodec_get_name(p->codec_id);
            probe.width = p->width;
            probe.height = p->height;
        } else if (p->codec_type == AVMEDIA_TYPE_AUDIO && probe.audioCodec.empty()) {
            probe.audioCodec = avcodec_get_name(p->codec_id);
            probe.audioRate = p->sample_rate;
        }
    }
    AVCodecContext* dec = nullptr;
    if (decode && video >= 0) {
        const AVCodec* codec = avcodec_find_decoder(fc->streams[video]->codecpar->codec_id);
        dec = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (dec) {
            avcodec_parameters_to_context(dec, fc->streams[video]->codecpar);
            dec->thread_count = 1;
            if (avcodec_open2(dec, codec, nullptr) < 0) avcodec_free_context(&dec);
        }
        if (!dec) probe.decodeErrors++;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool haveTime = false;
    auto drain = [&]() {
        while (avcodec_receive_frame(dec, frame) == 0) {
            double t = -1;
            if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
                t = frame->best_effort_timestamp * av_q2d(fc->streams[video]->time_base);
                probe.frameTimes.push_back(t);
                if (!haveTime || t < probe.firstTime) probe.firstTime = t;
                if (!haveTime || t > probe.lastTime) probe.lastTime = t;
                haveTime = true;
            }
            probe.pictureTimes.push_back(t);
            probe.pictureKeys.push_back(frame->key_frame != 0 || frame->pict_type == AV_PICTURE_TYPE_I);
            if (frame->decode_error_flags) probe.decodeErrors++;
            probe.pictureHashes.push_back(PictureHash(frame));
            probe.decodedFrames++;
        }
    };
    while (av_read_frame(fc, pkt) >= 0) {
        if (pkt->stream_index == video) {
            probe.videoPackets++;
            probe.packetSizes.push_back(pkt->size);
            if (dec) {
                if (avcodec_send_packet(dec, pkt) < 0) probe.decodeErrors++;
                drain();
            }
        }
        av_packet_unref(pkt);
    }
    if (dec) {
        avcodec_send_packet(dec, nullptr);
        drain();
        avcodec_free_context(&dec);
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avformat_close_input(&fc);
    probe.logErrors = log.Count();
    return probe;
}

int64_t CreationSeconds(const std::string& text) {
    int f[6] = {};
    if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]) != 6) return -1;
    struct tm t = {};
    t.tm_year = f[0] - 1900;
    t.tm_mon = f[1] - 1;
    t.tm_mday = f[2];
    t.tm_hour = f[3];
    t.tm_min = f[4];
    t.tm_sec = f[5];
    return static_cast<int64_t>(timegm(&t));
}

}  // namespace kel_test
