// SPDX-License-Identifier: GPL-3.0-or-later
// Recorder streams: the packet scanner fed in pieces, the pack-start search,
// the stream analysis library and the whole-file summary readers.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "grelling.h"
#include "recstream/recstream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte chooses the piece size of the feeding.
    if (size < 1) return 0;
    const size_t piece = 16 + (size_t(data[0]) * 97) % 8192;
    const uint8_t* stream = data + 1;
    const size_t streamSize = size - 1;

    recstream::StreamHeader header;
    const bool hasHeader = recstream::ParseHeader(stream, streamSize, &header);

    recstream::PacketScanner scanner(hasHeader ? header.startTime : 0, true);
    uint64_t covered = 0;
    recstream::Packet p;
    for (size_t at = 0; at < streamSize; at += piece) {
        scanner.Feed(stream + at, std::min(piece, streamSize - at));
        while (scanner.Next(&p)) covered += p.size;
    }
    scanner.Finish();
    while (scanner.Next(&p)) {
        covered += p.size;
        for (const recstream::Pes& pes : p.pes)
            if (pes.payloadOffset + pes.payloadSize > p.bytes.size()) __builtin_trap();
    }
    if (covered != streamSize) __builtin_trap();  // packets cover the stream without gaps

    for (size_t at = 0; at < streamSize;) {
        const size_t next = recstream::FindPackStart(stream, streamSize, at);
        if (next >= streamSize) break;
        at = next + 1;
    }

    if (hasHeader) {
        const QORANA_HANDLE h = QORANA_CreateStreamEx(1 << 20, stream);
        if (h) {
            QORANA_PACKET_INFO info;
            uint64_t fed = 0;
            uint64_t analysed = 0;
            for (size_t at = 0; at < streamSize;) {
                const size_t n = std::min(piece, streamSize - at);
                if (QORANA_InputData(h, stream + at, uint32_t(n))) {
                    at += n;
                    fed += n;
                } else if (QORANA_GetOnePacketEx(h, &info) == 0) {
                    analysed += info.packetLength;
                } else {
                    break;
                }
                while (QORANA_GetOnePacketEx(h, &info) == 0) analysed += info.packetLength;
            }
            QORANA_InputEnd(h);
            while (QORANA_GetOnePacketEx(h, &info) == 0) analysed += info.packetLength;
            if (analysed != fed) __builtin_trap();  // packets cover the fed bytes without gaps
            QORANA_Destroy(h);
        }
        const std::string path = kelfuzz::ScratchDir() + "/recording.qrv";
        if (kelfuzz::WriteFile(path, stream, streamSize)) {
            recstream::FileInfo fi;
            if (recstream::ReadFileInfo(path, &fi)) {
                recstream::FindOffsetForTime(path, fi.firstTime);
                recstream::FindOffsetForTime(path, fi.firstTime + (fi.lastTime - fi.firstTime) / 2);
                recstream::FindOffsetForTime(path, fi.lastTime);
            }
        }
    }
    return 0;
}
