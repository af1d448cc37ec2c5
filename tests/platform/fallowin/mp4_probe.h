// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opens a converted file (or a plain recorder stream) with libavformat and
// reports what a player would see.
#include <cstdint>
#include <string>
#include <vector>

namespace kel_test {

struct Mp4Probe {
    bool opened = false;
    std::string format;         // demuxer names ("mov,mp4,m4a,3gp,3g2,mj2")
    std::string videoCodec;     // "h264", "mpeg4", ...
    int width = 0, height = 0;
    std::string audioCodec;     // empty when there is no audio stream
    int audioRate = 0;
    double duration = 0;        // seconds, from the container
    int videoPackets = 0;
    int decodedFrames = 0;      // pictures the decoder gave back
    int decodeErrors = 0;
    std::string creationTime;   // the container's "creation_time" tag
    double firstTime = 0;       // seconds: time stamp of the first and the last picture
    double lastTime = 0;
    int logErrors = 0;          // messages libavformat / libavcodec wrote at error level
    // With `decode`: a hash of each decoded picture (its planes, visible
    // bytes only), in decoding order. Equal pictures hash equal, so a
    // picture can be traced to the recording it came from.
    std::vector<uint64_t> pictureHashes;
    // With `decode`, for each of those pictures: its time stamp (seconds; -1
    // without one) and whether the decoder took it as a key frame.
    std::vector<double> pictureTimes;
    std::vector<bool> pictureKeys;
    std::vector<double> frameTimes;   // seconds: time stamp of every decoded picture that has one, in order
    std::vector<int> packetSizes;     // bytes of every video packet, in file order
};

// `decode` also runs every picture through the decoder. `recorderStream`:
// the file is a recorder stream (its 40-byte header skipped, the program
// stream read as MPEG-PS).
Mp4Probe ProbeMp4(const std::string& path, bool decode, bool recorderStream = false);

// Seconds since 1970 of a "creation_time" text ("YYYY-MM-DDThh:mm:ss...")
// taken as recorder time (no time zone); -1 for any other text.
int64_t CreationSeconds(const std::string& text);

}  // namespace kel_test
