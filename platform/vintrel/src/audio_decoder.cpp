// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include "audio_sink.h"

namespace vintrel {

AudioDecoder::~AudioDecoder() {
    swr_free(&m_swr);
    avcodec_free_context(&m_ctx);
    av_packet_free(&m_pkt);
    av_frame_free(&m_frame);
}

bool AudioDecoder::Open() {
    const AVCodec* dec = avcodec_find_decoder(AV_CODEC_ID_MP2);
    if (!dec) return false;
    m_ctx = avcodec_alloc_context3(dec);
    m_pkt = av_packet_alloc();
    m_frame = av_frame_alloc();
    return m_ctx && m_pkt && m_frame && avcodec_open2(m_ctx, dec, nullptr) >= 0;
}

void AudioDecoder::Reset() {
    if (m_ctx) avcodec_flush_buffers(m_ctx);
}

void AudioDecoder::Decode(const uint8_t* data, size_t size, std::vector<uint8_t>* pcm) {
    m_pkt->data = const_cast<uint8_t*>(data);
    m_pkt->size = static_cast<int>(size);
    if (avcodec_send_packet(m_ctx, m_pkt) < 0) return;
    while (avcodec_receive_frame(m_ctx, m_frame) >= 0) {
        if (!m_swr) {
            AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
            if (swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_S16, AudioSink::kRate, &m_frame->ch_layout,
                                    static_cast<AVSampleFormat>(m_frame->format), m_frame->sample_rate, 0,
                                    nullptr) < 0 ||
                swr_init(m_swr) < 0) {
                swr_free(&m_swr);
                av_frame_unref(m_frame);
                continue;
            }
        }
        int outSamples = swr_get_out_samples(m_swr, m_frame->nb_samples);
        size_t at = pcm->size();
        pcm->resize(at + size_t(outSamples) * 4);
        uint8_t* dst = pcm->data() + at;
        int got = swr_convert(m_swr, &dst, outSamples, const_cast<const uint8_t**>(m_frame->extended_data),
                              m_frame->nb_samples);
        pcm->resize(at + size_t(got > 0 ? got : 0) * 4);
        av_frame_unref(m_frame);
    }
}

}  // namespace vintrel
