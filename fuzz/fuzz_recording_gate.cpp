// SPDX-License-Identifier: GPL-3.0-or-later
// The gate every recording passes on its way into a download's output file
// (RecordingGate): recordings with or without their header, spans that may
// not fit them, fed in pieces, handed on pack by pack with damaged times
// repaired and cut packs dropped.
//
// Input: pieces (see SplitPieces) control, then up to three recordings (each
// its 40-byte header, then its stream).
// Checked: every byte fed is either handed on or counted as dropped, and
// nothing is held once a recording ended.
#include <cstdint>
#include <vector>

#include "storage/RecordingGate.h"
#include "fuzz_support.h"
#include "recstream/recstream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 4);
    const std::vector<uint8_t>& control = pieces[0];
    auto c = [&](size_t i) { return i < control.size() ? control[i] : uint8_t(0); };

    RecordingGate gate;
    gate.ResetCounts();
    uint64_t fed = 0, out = 0;
    const RecordingGate::Sink sink = [&](const uint8_t* d, size_t n) {
        if (n > 0 && !d) __builtin_trap();
        out += n;
        return true;
    };
    for (size_t r = 1; r < pieces.size(); ++r) {
        const std::vector<uint8_t>& rec = pieces[r];
        if (rec.empty()) continue;
        const uint8_t how = c(r);
        recstream::StreamHeader header;
        const bool hasHeader = recstream::ParseHeader(rec.data(), rec.size(), &header);
        // Spans as an index lists them, now and then off by a little or unknown.
        if (hasHeader) {
            const int64_t start = (how & 1) ? RecordingGate::kNoTime : int64_t(header.startTime) + int8_t(c(r + 3)) % 8;
            const int64_t end = (how & 2) ? RecordingGate::kNoTime : int64_t(header.startTime) + c(r + 6);
            gate.SetSpan(start, end);
        }
        const bool withHeader = hasHeader && !(how & 4);
        gate.Begin(withHeader ? &header : nullptr);
        const size_t skip = withHeader ? recstream::kHeaderSize : 0;
        const size_t piece = 1 + (size_t(how >> 3) * 977) % 40000;
        for (size_t at = skip; at < rec.size(); at += piece) {
            const size_t n = std::min(piece, rec.size() - at);
            if (!gate.Feed(rec.data() + at, n, sink)) __builtin_trap();
            fed += n;
        }
        if (!gate.End(sink)) __builtin_trap();
        if (gate.Held() != 0 || gate.Open()) __builtin_trap();
        if (out + gate.DroppedBytes() != fed) __builtin_trap();   // bytes lost or made up
        gate.LastTime();
        gate.RecordingLastTime();
        gate.Frames();
    }
    return 0;
}
