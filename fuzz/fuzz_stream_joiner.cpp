// SPDX-License-Identifier: GPL-3.0-or-later
// The joiner of recordings (recstream::StreamJoiner), as the downloads'
// output writer and the disk library's copies by time use it: a recording
// moved onto the clock of the recording that starts the file, enciphered
// payloads deciphered and enciphered again, fed in pieces.
//
// Input: pieces (see SplitPieces) control, the first recording's 40-byte
// header, the joined recording (its header, then its stream).
// Checked: the join hands out exactly as many bytes as it took.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "recstream/recstream.h"
#include "recstream/stream_join.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 3);
    const std::vector<uint8_t>& control = pieces[0];
    const uint8_t c0 = control.empty() ? 0 : control[0];
    recstream::StreamHeader first, next;
    if (!recstream::ParseHeader(pieces[1].data(), pieces[1].size(), &first)) return 0;
    if (!recstream::ParseHeader(pieces[2].data(), pieces[2].size(), &next)) return 0;
    const uint8_t* stream = pieces[2].data() + recstream::kHeaderSize;
    const size_t streamSize = pieces[2].size() - recstream::kHeaderSize;
    const size_t piece = 1 + (size_t(c0 >> 1) * 613) % 70000;

    recstream::StreamJoiner joiner;
    if (!joiner.Begin(first, next, (c0 & 1) ? std::string("fuzzkey") : std::string())) return 0;
    uint64_t out = 0;
    const recstream::StreamJoiner::Sink sink = [&](const uint8_t* d, size_t n) {
        if (n > 0 && !d) __builtin_trap();
        out += n;
        return true;
    };
    for (size_t at = 0; at < streamSize; at += piece)
        if (!joiner.Feed(stream + at, std::min(piece, streamSize - at), sink)) __builtin_trap();
    if (!joiner.Finish(sink)) __builtin_trap();
    if (out != streamSize) __builtin_trap();   // bytes lost or made up by the join
    if (joiner.Active()) __builtin_trap();

    // The times of a piece moved there and back are the times it had.
    std::vector<uint8_t> moved(stream, stream + std::min<size_t>(streamSize, 1 << 16));
    const int64_t shift = int64_t(control.size() > 1 ? control[1] : 0) * recstream::kClockRate;
    recstream::StreamJoiner::ShiftTimes(moved.data(), moved.size(), shift);
    recstream::StreamJoiner::ShiftTimes(moved.data(), moved.size(), -shift);
    return 0;
}
