// SPDX-License-Identifier: GPL-3.0-or-later
// The transform's byte-level parts: the start-code search its conversion of
// every picture rests on, and the box surgery that puts the movie box first.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "es_split.h"
#include "mp4_boxes.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The start codes found one byte at a time.
std::vector<size_t> StartCodesByteByByte(const Bytes& d) {
    std::vector<size_t> out;
    for (size_t i = 0; i + 3 <= d.size(); ++i)
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) out.push_back(i);
    return out;
}

std::vector<size_t> StartCodes(const Bytes& d) {
    std::vector<size_t> out;
    for (size_t at = fallowin::FindStartCode(d.data(), d.size(), 0); at < d.size();
         at = fallowin::FindStartCode(d.data(), d.size(), at + 1))
        out.push_back(at);
    return out;
}

// Every place of a start code relative to the 8-byte words the search reads,
// at the very start and end of the bytes, next to another one, inside runs
// of zeros, and the patterns that are none.
TEST(FallowinParts, StartCodesAreFoundWhereverTheyLie) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"too short", {0, 1}},
        {"only a code", {0, 0, 1}},
        {"four-byte code", {0, 0, 0, 1, 0x65}},
        {"none of the near misses", {0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 3, 1, 0, 0x80, 0, 1, 1, 0, 0}},
        {"two codes back to back", {0, 0, 1, 0, 0, 1, 0, 0, 1, 9}},
        {"code in the last three bytes", {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 0, 0, 1}},
        {"zeros before a code", {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 5, 5, 5, 5, 5, 5, 5}},
    };
    for (size_t at = 0; at < 26; ++at) {
        Bytes b(29, 0x55);
        b[at] = 0;
        b[at + 1] = 0;
        b[at + 2] = 1;
        cases.push_back({"one code", b});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StartCodesByteByByte(c.bytes), StartCodes(c.bytes));
    }
    // Searching on from any place finds the next code at or after it.
    const Bytes b = {1, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 1, 0, 0, 0, 1, 1, 2, 3, 4, 5, 6, 7, 0, 0, 1};
    const std::vector<size_t> all = StartCodesByteByByte(b);
    for (size_t from = 0; from <= b.size(); ++from) {
        size_t want = b.size();
        for (size_t at : all)
            if (at >= from) {
                want = at;
                break;
            }
        EXPECT_EQ(want, fallowin::FindStartCode(b.data(), b.size(), from)) << "from " << from;
    }
}

// Bytes dense in zeros and ones (as coded pictures with many short runs
// are) give the same codes and NAL units as a search byte by byte.
TEST(FallowinParts, StartCodesOfDenseBytesMatchAByteByByteSearch) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        Bytes b(1 + random() % 700);
        for (uint8_t& v : b) {
            const unsigned r = random() % 8;
            v = r < 3 ? 0 : r < 5 ? 1 : static_cast<uint8_t>(random());
        }
        ASSERT_EQ(StartCodesByteByByte(b), StartCodes(b)) << "round " << round;
        // The units lie between the codes, without their trailing zeros.
        const std::vector<size_t> codes = StartCodesByteByByte(b);
        std::vector<fallowin::NalUnit> want;
        for (size_t i = 0; i < codes.size(); ++i) {
            const size_t begin = codes[i] + 3;
            size_t end = i + 1 < codes.size() ? codes[i + 1] : b.size();
            while (end > begin && b[end - 1] == 0) --end;
            if (end > begin) want.push_back({begin, end - begin, b[begin] & 0x1F});
        }
        const std::vector<fallowin::NalUnit> got = fallowin::SplitAnnexB(b.data(), b.size());
        ASSERT_EQ(want.size(), got.size()) << "round " << round;
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(want[i].offset, got[i].offset);
            EXPECT_EQ(want[i].size, got[i].size);
            EXPECT_EQ(want[i].type, got[i].type);
        }
    }
}

TEST(FallowinParts, AnAccessUnitBecomesASampleOfSizedNalUnits) {
    const Bytes unit = {0, 0, 0, 1, 0x67, 0x64, 0x00, 0x28,   // SPS
                        0, 0, 0, 1, 0x68, 0xEE,               // PPS
                        0, 0, 1, 0x65, 0x88, 0x80, 0x00,      // IDR slice (its last zero is no part of it)
                        0, 0, 1, 0x65, 0x41, 0, 0, 3, 0, 0};  // second slice, emulation prevention kept
    std::vector<fallowin::NalUnit> nals;
    Bytes sample;
    bool idr = false;
    ASSERT_TRUE(fallowin::H264ToSample(unit.data(), unit.size(), &nals, &sample, &idr));
    EXPECT_TRUE(idr);
    const Bytes want = {0, 0, 0, 4, 0x67, 0x64, 0x00, 0x28, 0, 0, 0, 2, 0x68, 0xEE, 0, 0, 0, 3, 0x65, 0x88, 0x80,
                        0, 0, 0, 5, 0x65, 0x41, 0, 0, 3};
    EXPECT_EQ(want, sample);

    const Bytes nonIdr = {0, 0, 1, 0x41, 0x9A, 0x12};
    ASSERT_TRUE(fallowin::H264ToSample(nonIdr.data(), nonIdr.size(), &nals, &sample, &idr));
    EXPECT_FALSE(idr);
    const Bytes noUnit = {0x41, 0x9A, 0x12, 0, 0};
    EXPECT_FALSE(fallowin::H264ToSample(noUnit.data(), noUnit.size(), &nals, &sample, &idr));
}

// ---- boxes --------------------------------------------------------------------------

void PutBe32(Bytes* b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<uint8_t>(v >> s));
}

uint32_t Be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

uint64_t Be64(const Bytes& b, size_t at) { return uint64_t(Be32(b, at)) << 32 | Be32(b, at + 4); }

Bytes Box(const char* type, const Bytes& body) {
    Bytes b;
    PutBe32(&b, static_cast<uint32_t>(8 + body.size()));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A movie box with one track whose chunks start at the offsets given.
Bytes Movie(const std::vector<uint32_t>& offsets) {
    Bytes stco;
    PutBe32(&stco, 0);   // version and flags
    PutBe32(&stco, static_cast<uint32_t>(offsets.size()));
    for (uint32_t o : offsets) PutBe32(&stco, o);
    const Bytes stsz = Box("stsz", Bytes(12, 0));
    Bytes stbl = stsz;
    const Bytes co = Box("stco", stco);
    stbl.insert(stbl.end(), co.begin(), co.end());
    return Box("moov", Box("trak", Box("mdia", Box("minf", Box("stbl", stbl)))));
}

// The chunk offsets of the first movie box in `file` and the type of the box
// that holds them.
std::vector<uint64_t> ChunkOffsets(const Bytes& file, std::string* type) {
    std::vector<uint64_t> out;
    for (size_t at = 0; at + 8 <= file.size(); ++at) {
        const std::string t(file.begin() + static_cast<long>(at) + 4, file.begin() + static_cast<long>(at) + 8);
        if (t != "stco" && t != "co64") continue;
        *type = t;
        const uint32_t count = Be32(file, at + 12);
        for (uint32_t i = 0; i < count; ++i)
            out.push_back(t == "co64" ? Be64(file, at + 16 + 8 * i) : Be32(file, at + 16 + 4 * i));
        return out;
    }
    return out;
}

// Whether the boxes of [begin, end) nest soundly (sizes add up).
bool Sound(const Bytes& b, size_t begin, size_t end) {
    while (begin < end) {
        if (end - begin < 8) return false;
        const uint32_t size = Be32(b, begin);
        if (size < 8 || size > end - begin) return false;
        const std::string type(b.begin() + static_cast<long>(begin) + 4, b.begin() + static_cast<long>(begin) + 8);
        if ((type == "moov" || type == "trak" || type == "mdia" || type == "minf" || type == "stbl") &&
            !Sound(b, begin + 8, begin + size))
            return false;
        begin += size;
    }
    return true;
}

TEST(FallowinParts, TheMovieBoxGoesFirstAndTheHeadFillsWholeBlocks) {
    const Bytes ftyp = Box("ftyp", {'i', 's', 'o', 'm', 0, 0, 2, 0});
    Bytes head = ftyp;
    const Bytes free8 = Box("free", {});
    head.insert(head.end(), free8.begin(), free8.end());
    PutBe32(&head, 8 + 5000);   // the media data box header; its samples follow the head
    head.insert(head.end(), {'m', 'd', 'a', 't'});
    const uint32_t body = static_cast<uint32_t>(head.size());
    struct Case {
        const char* name;
        std::vector<uint32_t> offsets;   // where the chunks lie in a file without the movie box in front
        bool wide;                       // 64-bit offsets needed once the movie box stands in front
    };
    const Case cases[] = {
        {"small file", {body, body + 1000, body + 4000}, false},
        {"chunks just below 4 GiB", {body, 0xFFFFF000u, 0xFFFFFFF0u}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes tail = Movie(c.offsets);
        for (const size_t block : {size_t(0), size_t(4096)}) {
            Bytes out;
            ASSERT_TRUE(fallowin::PlaceMovieFirst(head, tail, &out, block));
            if (block) {
                EXPECT_EQ(0u, out.size() % block) << out.size();
            }
            ASSERT_TRUE(Sound(out, 0, out.size() - 8));   // the media data's samples are not here
            // ftyp, the movie, [free], then the rest of the head as it was.
            EXPECT_TRUE(std::equal(ftyp.begin(), ftyp.end(), out.begin()));
            const long moov = static_cast<long>(ftyp.size()) + 4;
            EXPECT_EQ("moov", std::string(out.begin() + moov, out.begin() + moov + 4));
            EXPECT_TRUE(std::equal(head.begin() + static_cast<long>(ftyp.size()), head.end(),
                                   out.end() - static_cast<long>(head.size() - ftyp.size())));
            std::string type;
            const std::vector<uint64_t> moved = ChunkOffsets(out, &type);
            EXPECT_EQ(c.wide ? "co64" : "stco", type);
            ASSERT_EQ(c.offsets.size(), moved.size());
            const uint64_t shift = out.size() - head.size();
            for (size_t i = 0; i < moved.size(); ++i) EXPECT_EQ(uint64_t(c.offsets[i]) + shift, moved[i]);
        }
    }
}

}  // namespace
