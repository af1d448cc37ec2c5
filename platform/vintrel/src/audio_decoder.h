// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound decoding: MPEG audio payloads into 48 kHz 16-bit stereo for the
// sound output.
#include <cstddef>
#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

namespace vintrel {

class AudioDecoder {
public:
    AudioDecoder() = default;
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    bool Open();
    void Reset();
    // Decodes one payload, appending the samples to `pcm`.
    void Decode(const uint8_t* data, size_t size, std::vector<uint8_t>* pcm);

private:
    AVCodecContext* m_ctx = nullptr;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    SwrContext* m_swr = nullptr;
};

}  // namespace vintrel
