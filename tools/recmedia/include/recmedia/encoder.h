// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes real sample recordings: the 40-byte stream header and a program
// stream with encoded video (a moving picture with the channel and the
// recorder clock drawn on it), optional audio and the vehicle-data blocks.
#include <cstdint>
#include <string>
#include <vector>

#include "recmedia/track.h"

namespace recmedia {

struct RecordingSpec {
    std::string path;
    int channel = 1;
    uint32_t start = 0;        // recorder seconds of the first frame
    uint32_t seconds = 60;     // length; at least 1
    int width = 352;           // even, 16..1920
    int height = 288;          // even, 16..1080
    int fps = 25;              // 1..60
    int gop = 0;               // frames per key frame; 0 = one key frame a second
    bool withAudio = false;    // MP2, mono, 32 kHz
    std::string key;           // non-empty: video and audio payloads enciphered with it
    // Vehicle data: one block a second for every second that has a sample
    // (matched by time). Empty = no vehicle data.
    std::vector<TrackSample> track;
    bool encipherVehicleData = false;
    uint32_t seed = 0;         // picture pattern and cipher nonce
    // Encode one GOP and repeat it for the whole length with new time
    // stamps (the picture then repeats too): cheap long recordings.
    bool fastRepeat = false;
    bool forceMpeg4 = false;   // use MPEG-4 Part 2 even when H.264 is available
    // Camera-like pictures (a detailed scene that pans and shakes, a road,
    // sensor noise, the recorder's text line) at a recorder's bit rate:
    // 720p 3 Mbit/s, 1080p 8 Mbit/s, linear in the pixel count between them,
    // smaller pictures in proportion to 720p (at least 0.25 Mbit/s).
    bool realistic = false;
};

// Writes the recording; false with a message in `error` on failure (a partly
// written file is removed).
bool EncodeRecording(const RecordingSpec& spec, std::string* error);

}  // namespace recmedia
