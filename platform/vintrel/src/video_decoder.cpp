// SPDX-License-Identifier: GPL-3.0-or-later
#include "video_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace vintrel {

VideoDecoder::VideoDecoder() = default;
VideoDecoder::~VideoDecoder() { Close(); }

bool VideoDecoder::Open(int codec, int threads) {
    Close();
    AVCodecID id = codec == 2 ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_H264;
    const AVCodec* dec = avcodec_find_decoder(id);
    if (!dec) return false;
    m_ctx = avcodec_alloc_context3(dec);
    m_parser = av_parser_init(id);
    m_pkt = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_ctx || !m_parser || !m_pkt || !m_frame) {
        Close();
        return false;
    }
    m_ctx->thread_count = threads > 0 ? threads : 1;
    m_ctx->flags2 |= AV_CODEC_FLAG2_CHUNKS;
    if (avcodec_open2(m_ctx, dec, nullptr) < 0) {
        Close();
        return false;
    }
    m_codec = codec;
    m_needKey = true;
    m_pending = false;
    return true;
}

void VideoDecoder::Close() {
    if (m_parser) av_parser_close(m_parser);
    m_parser = nullptr;
    avcodec_free_context(&m_ctx);
    av_packet_free(&m_pkt);
    av_frame_free(&m_frame);
    m_pending = false;
}

void VideoDecoder::SetKeyOnly(bool on) {
    if (m_keyOnly && !on) m_needKey = true;  // the references of the next frames are gone
    m_keyOnly = on;
}

void VideoDecoder::Receive(const FrameSink& sink) {
    for (;;) {
        int r = avcodec_receive_frame(m_ctx, m_frame);
        if (r < 0) break;
        int64_t pts = m_frame->best_effort_timestamp != AV_NOPTS_VALUE ? m_frame->best_effort_timestamp
                                                                       : m_frame->pts;
        if (pts == AV_NOPTS_VALUE) pts = -1;
        bool key = m_frame->key_frame != 0 || m_frame->pict_type == AV_PICTURE_TYPE_I;
        if (m_frame->decode_error_flags) ++m_errors;
        sink(m_frame, pts, key);
        av_frame_unref(m_frame);
    }
}

void VideoDecoder::Decode(const uint8_t* data, int size, int64_t pts, bool key, const FrameSink& sink) {
    if (size <= 0) return;
    if (m_needKey && !key) return;
    if (m_needKey && m_keyFilter && !m_keyFilter(pts)) return;
    if (m_keyOnly && !key) return;
    m_needKey = false;
    if (m_tap) m_tap(data, size, pts, key);
    ++m_decoded;
    m_pkt->data = const_cast<uint8_t*>(data);
    m_pkt->size = size;
    m_pkt->pts = pts >= 0 ? pts : AV_NOPTS_VALUE;
    m_pkt->dts = AV_NOPTS_VALUE;
    m_pkt->flags = key ? AV_PKT_FLAG_KEY : 0;
    int r = avcodec_send_packet(m_ctx, m_pkt);
    if (r == AVERROR(EAGAIN)) {
        Receive(sink);
        r = avcodec_send_packet(m_ctx, m_pkt);
    }
    if (r < 0 && r != AVERROR(EAGAIN)) ++m_errors;
    m_pkt->data = nullptr;
    m_pkt->size = 0;
    Receive(sink);
}

void VideoDecoder::Push(const uint8_t* data, size_t size, int64_t pts, const FrameSink& sink) {
    if (!m_ctx || size == 0) return;
    m_padded.assign(data, data + size);
    m_padded.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    data = m_padded.data();
    int64_t inPts = pts >= 0 ? pts : AV_NOPTS_VALUE;
    while (size > 0) {
        uint8_t* out = nullptr;
        int outSize = 0;
        int used = av_parser_parse2(m_parser, m_ctx, &out, &outSize, data, static_cast<int>(size), inPts,
                                    AV_NOPTS_VALUE, 0);
        if (used < 0) break;
        data += used;
        size -= static_cast<size_t>(used);
        inPts = AV_NOPTS_VALUE;  // the time belongs to the first access unit of the payload
        m_pending = true;
        if (outSize > 0) {
            int64_t fpts = m_parser->pts != AV_NOPTS_VALUE ? m_parser->pts : -1;
            Decode(out, outSize, fpts, m_parser->key_frame == 1 || m_parser->pict_type == AV_PICTURE_TYPE_I, sink);
        }
        if (used == 0 && outSize == 0) break;
    }
}

void VideoDecoder::Drain(const FrameSink& sink) {
    if (!m_ctx) return;
    uint8_t* out = nullptr;
    int outSize = 0;
    av_parser_parse2(m_parser, m_ctx, &out, &outSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (outSize > 0) {
        int64_t fpts = m_parser->pts != AV_NOPTS_VALUE ? m_parser->pts : -1;
        Decode(out, outSize, fpts, m_parser->key_frame == 1 || m_parser->pict_type == AV_PICTURE_TYPE_I, sink);
    }
    avcodec_send_packet(m_ctx, nullptr);
    Receive(sink);
    avcodec_flush_buffers(m_ctx);
    // A fresh parser: the old one has flushed its state.
    av_parser_close(m_parser);
    m_parser = av_parser_init(m_codec == 2 ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_H264);
    m_pending = false;
    m_needKey = true;
}

void VideoDecoder::Reset() {
    if (!m_ctx) return;
    avcodec_flush_buffers(m_ctx);
    av_parser_close(m_parser);
    m_parser = av_parser_init(m_codec == 2 ? AV_CODEC_ID_MPEG4 : AV_CODEC_ID_H264);
    m_pending = false;
    m_needKey = true;
}

}  // namespace vintrel
