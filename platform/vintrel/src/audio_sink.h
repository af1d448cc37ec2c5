// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process-wide sound output: one port at a time feeds 16-bit stereo PCM
// at kRate Hz; a Qt audio output pulls it on a thread of its own.
#include <cstddef>
#include <cstdint>

namespace vintrel {

class AudioSink {
public:
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;
    static AudioSink& Instance();

    // True when a sound output exists (needs a Qt application object).
    bool Available();
    // Gives the sound to `port`; false when no output can be opened.
    bool Start(int port);
    void Stop();
    int Owner();
    void SetVolume(uint16_t volume);
    // PCM of `port`; dropped when another port (or none) has the sound or
    // when more than a second is queued.
    void Write(int port, const uint8_t* pcm, size_t bytes);
    size_t Queued();
    void Clear(int port);

private:
    AudioSink() = default;
};

}  // namespace vintrel
