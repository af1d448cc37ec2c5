// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes small recorder streams for the player tests and benchmarks: H.264
// pictures of a moving bar (encoded with libavcodec), one vehicle-data block
// per second, optionally enciphered.
#include <cstdint>
#include <string>

namespace vintrel_test {

struct RecordingSpec {
    int width = 320;
    int height = 240;
    int fps = 25;
    int seconds = 3;
    int gop = 25;
    uint32_t startTime = 1709294400;  // 2024-03-01 12:00:00 recorder time
    bool vehicleData = true;
    std::string key;                  // enciphered when not empty
};

// Writes the recording; false when encoding or writing failed.
bool WriteRecording(const std::string& path, const RecordingSpec& spec);
// The bare H.264 elementary stream of the same pictures.
bool WriteElementary(const std::string& path, const RecordingSpec& spec);

}  // namespace vintrel_test
