// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kel_test/test_support.h"
#include "recstream/recstream.h"
#include "recstream/stream_cut.h"

using namespace recstream;

namespace {

using Bytes = std::vector<uint8_t>;

std::string TempPath(const char* name) { return (kel_test::ProgramFolder() + "/" + name).toStdString(); }

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Pattern(size_t n, uint32_t seed) {
    Bytes b(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<uint8_t>(x >> 16);
    }
    return b;
}

// What one Write* call put into the stream.
struct Unit {
    uint8_t id;
    uint64_t pts;
    bool key;
    Bytes data;
};

StreamHeader TestHeader(uint32_t start) {
    StreamHeader h = MakeHeader();
    h.videoCodec = kVideoH264;
    h.audioCodec = kAudioMp2;
    h.channel = 3;
    h.flags = kFlagVehicleData;
    h.width = 352;
    h.height = 288;
    h.frameRate = 10;
    h.startTime = start;
    return h;
}

// Writes `units` after a header; returns false on any failure.
bool WriteUnits(const std::string& path, StreamHeader h, const std::vector<Unit>& units, const std::string& key = {}) {
    StreamWriter w;
    if (!w.Open(path, h, key)) return false;
    for (const Unit& u : units) {
        bool ok = u.id == kStreamVideo ? w.WriteVideo(u.pts, u.key, u.data.data(), u.data.size())
                  : u.id == kStreamAudio ? w.WriteAudio(u.pts, u.data.data(), u.data.size())
                                         : w.WritePrivate(u.pts, u.data.data(), u.data.size());
        if (!ok) return false;
    }
    return w.Close();
}

// Three seconds: a vehicle block each second, 10 video frames a second (the
// first of each second a key frame, the very first one large enough to be
// split over several PES), an audio frame after each video frame.
std::vector<Unit> SampleUnits() {
    std::vector<Unit> units;
    for (int f = 0; f < 30; ++f) {
        uint64_t pts = static_cast<uint64_t>(f) * 9000;
        if (f % 10 == 0) {
            std::string text = "$QORMOBILE,SAMPLE,E,second " + std::to_string(f / 10);
            units.push_back({kStreamPrivate, pts, false, Bytes(text.begin(), text.end())});
        }
        size_t size = f == 0 ? 150000 : 3000 + 100 * f;
        units.push_back({kStreamVideo, pts, f % 10 == 0, Pattern(size, f)});
        units.push_back({kStreamAudio, pts + 4500, false, Pattern(200, 1000 + f)});
    }
    return units;
}

std::vector<Packet> ScanAll(const Bytes& bytes, size_t from, size_t chunk, uint32_t start = 0) {
    PacketScanner scanner(start);
    scanner.Reset(from);
    std::vector<Packet> out;
    Packet p;
    for (size_t pos = from; pos < bytes.size(); pos += chunk) {
        scanner.Feed(bytes.data() + pos, std::min(chunk, bytes.size() - pos));
        while (scanner.Next(&p)) out.push_back(p);
    }
    scanner.Finish();
    while (scanner.Next(&p)) out.push_back(p);
    EXPECT_EQ(scanner.Buffered(), 0u);
    return out;
}

// Packets cover [from, end) without gaps and their bytes are the stream's.
void ExpectContiguous(const std::vector<Packet>& packets, const Bytes& bytes, size_t from) {
    uint64_t at = from;
    for (const Packet& p : packets) {
        ASSERT_EQ(p.offset, at);
        ASSERT_EQ(p.bytes.size(), p.size);
        ASSERT_EQ(0, std::memcmp(p.bytes.data(), bytes.data() + p.offset, p.size));
        at += p.size;
    }
    EXPECT_EQ(at, bytes.size());
}

// Payload of one stream in one pack (its PES payloads in order).
Bytes PayloadOf(const Packet& p, uint8_t id) {
    Bytes out;
    for (const Pes& pes : p.pes)
        if (pes.streamId == id)
            out.insert(out.end(), p.bytes.begin() + static_cast<std::ptrdiff_t>(pes.payloadOffset),
                       p.bytes.begin() + static_cast<std::ptrdiff_t>(pes.payloadOffset + pes.payloadSize));
    return out;
}

std::vector<Packet> Packs(const std::vector<Packet>& all) {
    std::vector<Packet> out;
    for (const auto& p : all)
        if (p.kind == kPacketPack) out.push_back(p);
    return out;
}

TEST(RecstreamHeader, RoundTripThroughWriter) {
    std::string path = TempPath("h.rec");
    StreamHeader h = TestHeader(1710506096);
    ASSERT_TRUE(WriteUnits(path, h, {}));
    Bytes b = ReadAll(path);
    ASSERT_EQ(b.size(), kHeaderSize);
    StreamHeader got;
    ASSERT_TRUE(ParseHeader(b.data(), b.size(), &got));
    EXPECT_EQ(0, std::memcmp(got.magic, "QRS1", 4));
    EXPECT_EQ(got.version, 1);
    EXPECT_EQ(got.headerSize, 40);
    EXPECT_EQ(got.videoCodec, kVideoH264);
    EXPECT_EQ(got.audioCodec, kAudioMp2);
    EXPECT_EQ(got.channel, 3);
    EXPECT_EQ(got.flags, kFlagVehicleData);
    EXPECT_EQ(got.width, 352);
    EXPECT_EQ(got.height, 288);
    EXPECT_EQ(got.frameRate, 10);
    EXPECT_EQ(got.startTime, 1710506096u);
    EXPECT_EQ(got.keyCheck, 0u);
    // Little-endian on disk.
    EXPECT_EQ(b[20], 1710506096u & 0xFF);
    EXPECT_EQ(b[12], 352 & 0xFF);
    EXPECT_EQ(b[13], 352 >> 8);
}

TEST(RecstreamHeader, Rejections) {
    StreamHeader good = MakeHeader();
    Bytes base(reinterpret_cast<uint8_t*>(&good), reinterpret_cast<uint8_t*>(&good) + kHeaderSize);
    ASSERT_TRUE(ParseHeader(base.data(), base.size(), nullptr));
    struct Case {
        const char* what;
        size_t at;
        uint8_t value;
        size_t size;
    } cases[] = {
        {"short", 0, 'Q', kHeaderSize - 1},
        {"magic", 3, '2', kHeaderSize},
        {"magic case", 0, 'q', kHeaderSize},
        {"version 0", 4, 0, kHeaderSize},
        {"version 2", 4, 2, kHeaderSize},
        {"size 41", 6, 41, kHeaderSize},
        {"size high byte", 7, 1, kHeaderSize},
    };
    for (const auto& c : cases) {
        Bytes b = base;
        b[c.at] = c.value;
        StreamHeader out;
        EXPECT_FALSE(ParseHeader(b.data(), c.size, &out)) << c.what;
    }
    EXPECT_FALSE(ParseHeader(nullptr, kHeaderSize, nullptr));
}

TEST(RecstreamScanner, WriterRoundTrip) {
    std::string path = TempPath("rt.rec");
    const uint32_t start = 1710506096;
    auto units = SampleUnits();
    ASSERT_TRUE(WriteUnits(path, TestHeader(start), units));
    Bytes b = ReadAll(path);

    for (size_t chunk : {size_t(1), size_t(777), size_t(8192), size_t(1) << 20}) {
        SCOPED_TRACE(chunk);
        auto all = ScanAll(b, 0, chunk);  // scanner given no start time: taken from the header
        ExpectContiguous(all, b, 0);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all[0].kind, kPacketHeader);
        EXPECT_EQ(all[0].size, kHeaderSize);
        auto packs = Packs(all);
        ASSERT_EQ(packs.size(), units.size());
        EXPECT_EQ(all.size(), units.size() + 1);  // nothing but header and packs
        uint64_t lastScr = 0;
        for (size_t i = 0; i < units.size(); ++i) {
            SCOPED_TRACE(i);
            const Packet& p = packs[i];
            const Unit& u = units[i];
            uint64_t scr = std::max(u.pts, lastScr);
            lastScr = scr;
            EXPECT_EQ(p.scr, scr);
            EXPECT_EQ(p.time, start + scr / kClockRate);
            ASSERT_FALSE(p.pes.empty());
            EXPECT_EQ(p.pes.front().streamId, u.id);
            EXPECT_EQ(PayloadOf(p, u.id), u.data);
            bool key = u.id == kStreamVideo && u.key;
            EXPECT_EQ(p.pes.front().keyFrame, key);
            EXPECT_EQ(p.systemHeader, key || i == 0);
            if (u.id != kStreamPrivate) {
                EXPECT_TRUE(p.pes.front().hasPts);
                EXPECT_EQ(p.pes.front().pts, u.pts);
            }
            for (size_t k = 1; k < p.pes.size(); ++k) {
                EXPECT_FALSE(p.pes[k].hasPts);
                EXPECT_FALSE(p.pes[k].keyFrame);
            }
        }
        EXPECT_GT(packs[1].pes.size(), 1u);  // the 150,000-byte frame was split
    }
}

TEST(RecstreamScanner, LeadingNonKeyFrameIsNotAKeyFrame) {
    std::string path = TempPath("nokey.rec");
    ASSERT_TRUE(WriteUnits(path, TestHeader(0), {{kStreamVideo, 0, false, Pattern(500, 1)},
                                                 {kStreamVideo, 3600, true, Pattern(500, 2)}}));
    auto packs = Packs(ScanAll(ReadAll(path), 0, 4096));
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_FALSE(packs[0].pes.front().keyFrame);
    EXPECT_TRUE(packs[1].pes.front().keyFrame);
}

TEST(RecstreamScanner, ResynchronisesFromAnyOffset) {
    std::string path = TempPath("rs.rec");
    ASSERT_TRUE(WriteUnits(path, TestHeader(100), SampleUnits()));
    Bytes b = ReadAll(path);
    auto reference = Packs(ScanAll(b, 0, 4096));
    for (size_t from : {size_t(41), size_t(5000), b.size() / 3, b.size() / 2 + 17, b.size() - 100}) {
        SCOPED_TRACE(from);
        auto all = ScanAll(b, from, 1000, 100);
        ExpectContiguous(all, b, from);
        // Every pack found is a reference pack, and from the first one on all
        // of the later reference packs are found.
        size_t firstPack = 0;
        while (firstPack < all.size() && all[firstPack].kind != kPacketPack) ++firstPack;
        for (size_t i = 0; i < firstPack; ++i) EXPECT_EQ(all[i].kind, kPacketJunk);
        size_t r = 0;
        while (r < reference.size() && reference[r].offset < from) ++r;
        if (firstPack == all.size()) {  // started inside the last pack
            EXPECT_EQ(r, reference.size());
            EXPECT_EQ(FindPackStart(b.data(), b.size(), from), b.size());
            continue;
        }
        for (size_t i = firstPack; i < all.size(); ++i, ++r) {
            ASSERT_LT(r, reference.size());
            EXPECT_EQ(all[i].kind, kPacketPack);
            EXPECT_EQ(all[i].offset, reference[r].offset);
            EXPECT_EQ(all[i].time, reference[r].time);
        }
        EXPECT_EQ(r, reference.size());
        EXPECT_EQ(FindPackStart(b.data(), b.size(), from), all[firstPack].offset);
    }
}

TEST(RecstreamScanner, StrayPackStartInPayloadIsNotAPack) {
    // A private payload holding a pack header with sound marker bits followed
    // by a PES start whose length does not land on a pack.
    const uint8_t stray[] = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8,
                             0x00, 0x00, 0x01, 0xE0, 0x00, 0x10, 0x80, 0x80, 0x05};
    Bytes payload = Pattern(400, 7);
    std::copy(std::begin(stray), std::end(stray), payload.begin() + 100);
    std::vector<Unit> units = {
        {kStreamVideo, 0, true, Pattern(1000, 1)},
        {kStreamPrivate, 9000, false, payload},
        {kStreamVideo, 9000, false, Pattern(1000, 2)},
    };
    std::string path = TempPath("stray.rec");
    ASSERT_TRUE(WriteUnits(path, TestHeader(0), units));
    Bytes b = ReadAll(path);
    auto ref = Packs(ScanAll(b, 0, 64));
    ASSERT_EQ(ref.size(), 3u);

    size_t strayAt = 0;
    for (size_t i = ref[1].offset + 20; i + 4 < b.size(); ++i)
        if (std::memcmp(b.data() + i, stray, 4) == 0) {
            strayAt = i;
            break;
        }
    ASSERT_GT(strayAt, ref[1].offset);
    EXPECT_EQ(FindPackStart(b.data(), b.size(), ref[1].offset + 1), ref[2].offset);
    auto all = ScanAll(b, strayAt - 3, 16);
    ExpectContiguous(all, b, strayAt - 3);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].kind, kPacketJunk);
    EXPECT_EQ(all[1].kind, kPacketPack);
    EXPECT_EQ(all[1].offset, ref[2].offset);
}

TEST(RecstreamScanner, JunkBetweenPacksAndTruncatedEnd) {
    std::string path = TempPath("junk.rec");
    auto units = SampleUnits();
    ASSERT_TRUE(WriteUnits(path, TestHeader(0), units));
    Bytes b = ReadAll(path);
    auto ref = Packs(ScanAll(b, 0, 1 << 16));

    // Garbage spliced in before pack 5, and the stream cut inside the last pack.
    Bytes garbage = Pattern(3000, 99);
    Bytes damaged(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(ref[5].offset));
    damaged.insert(damaged.end(), garbage.begin(), garbage.end());
    damaged.insert(damaged.end(), b.begin() + static_cast<std::ptrdiff_t>(ref[5].offset),
                   b.begin() + static_cast<std::ptrdiff_t>(ref.back().offset + ref.back().size / 2));
    auto all = ScanAll(damaged, 0, 1000);
    ExpectContiguous(all, damaged, 0);
    ASSERT_GE(all.size(), 7u);
    EXPECT_EQ(all[5].kind, kPacketPack);
    EXPECT_EQ(all[6].kind, kPacketJunk);
    EXPECT_EQ(all[6].size, garbage.size());
    EXPECT_EQ(all[6].time, all[5].time);
    EXPECT_EQ(all[7].kind, kPacketPack);
    EXPECT_EQ(all[7].offset, ref[5].offset + garbage.size());
    size_t packs = Packs(all).size();
    // All whole packs survive; the cut one is a pack of its complete part
    // (its header) followed by junk.
    EXPECT_EQ(packs, ref.size());
    EXPECT_EQ(all.back().kind, kPacketJunk);

    // A cut inside the header gives junk only.
    auto tail = ScanAll(Bytes(b.begin(), b.begin() + 50), 40, 3);
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(tail[0].kind, kPacketJunk);
    EXPECT_EQ(tail[0].size, 10u);
}

TEST(RecstreamScanner, DamagedStreamsStayContiguous) {
    std::string path = TempPath("dmg.rec");
    ASSERT_TRUE(WriteUnits(path, TestHeader(0), SampleUnits()));
    const Bytes clean = ReadAll(path);
    for (uint32_t round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        Bytes b = clean;
        Bytes noise = Pattern(64, round);
        for (size_t i = 0; i + 1 < noise.size(); i += 2) {
            // Damage near pack and PES headers as well as anywhere.
            size_t at = (noise[i] * 2654435761u + noise[i + 1] * 40503u + round * 7919u) % b.size();
            b[at] = noise[i + 1];
        }
        for (size_t chunk : {size_t(13), size_t(65536)}) {
            auto all = ScanAll(b, 0, chunk);
            ExpectContiguous(all, b, 0);
            for (const Packet& p : all)
                for (const Pes& pes : p.pes) ASSERT_LE(pes.payloadOffset + pes.payloadSize, p.size);
        }
    }
    // Pure noise: junk only.
    Bytes noise = Pattern(300000, 77);
    auto all = ScanAll(noise, 0, 4096);
    ExpectContiguous(all, noise, 0);
    for (const Packet& p : all) EXPECT_EQ(p.kind, kPacketJunk);
}

TEST(RecstreamFile, InfoAndTimeSearch) {
    // About 600 seconds, 1 pack of 20 KB every 0.5 s: large enough that the
    // time search narrows by bisection.
    std::vector<Unit> units;
    for (int i = 0; i < 1200; ++i) units.push_back({kStreamVideo, uint64_t(i) * 45000, i % 20 == 0, Pattern(20000, i)});
    std::string path = TempPath("long.rec");
    const uint32_t start = 1700000000;
    ASSERT_TRUE(WriteUnits(path, TestHeader(start), units));
    Bytes b = ReadAll(path);
    auto packs = Packs(ScanAll(b, 0, 1 << 20));

    FileInfo info;
    ASSERT_TRUE(ReadFileInfo(path, &info));
    EXPECT_EQ(info.size, b.size());
    EXPECT_EQ(info.firstTime, start);
    EXPECT_EQ(info.lastTime, start + 599);
    EXPECT_EQ(info.header.startTime, start);

    for (uint32_t t : {0u, start, start + 1, start + 123, start + 300, start + 598, start + 599}) {
        int64_t expect = -1;
        for (const auto& p : packs)
            if (p.time >= t) {
                expect = static_cast<int64_t>(p.offset);
                break;
            }
        EXPECT_EQ(FindOffsetForTime(path, t), expect) << t;
    }
    EXPECT_EQ(FindOffsetForTime(path, start), int64_t(kHeaderSize));
    EXPECT_EQ(FindOffsetForTime(path, start + 600), -1);
    EXPECT_EQ(FindOffsetForTime(TempPath("missing.rec"), start), -1);
    EXPECT_FALSE(ReadFileInfo(TempPath("missing.rec"), &info));

    // A recording without packs.
    ASSERT_TRUE(WriteUnits(TempPath("empty.rec"), TestHeader(start), {}));
    ASSERT_TRUE(ReadFileInfo(TempPath("empty.rec"), &info));
    EXPECT_EQ(info.firstTime, start);
    EXPECT_EQ(info.lastTime, start);
    EXPECT_EQ(FindOffsetForTime(TempPath("empty.rec"), start), -1);

    // Not a recording.
    WriteAll(TempPath("bad.rec"), Pattern(1000, 3));
    EXPECT_FALSE(ReadFileInfo(TempPath("bad.rec"), &info));
    EXPECT_EQ(FindOffsetForTime(TempPath("bad.rec"), start), -1);
}

// The 33-bit SCR base of the pack at `pack` (MPEG-2 pack header), read and
// written in place.
uint64_t ScrAt(const Bytes& b, size_t pack) {
    const uint8_t* p = b.data() + pack + 4;
    return (uint64_t(p[0] >> 3) & 0x07) << 30 | uint64_t(p[0] & 0x03) << 28 | uint64_t(p[1]) << 20 |
           uint64_t(p[2] >> 3) << 15 | uint64_t(p[2] & 0x03) << 13 | uint64_t(p[3]) << 5 | uint64_t(p[4] >> 3);
}
void FlipScrBit(Bytes& b, size_t pack, int bit) {
    const uint64_t v = ScrAt(b, pack) ^ (uint64_t(1) << bit);
    uint8_t* p = b.data() + pack + 4;
    p[0] = static_cast<uint8_t>((p[0] & 0xC4) | ((v >> 30) & 0x07) << 3 | ((v >> 28) & 0x03));
    p[1] = static_cast<uint8_t>(v >> 20);
    p[2] = static_cast<uint8_t>((p[2] & 0x04) | ((v >> 15) & 0x1F) << 3 | ((v >> 13) & 0x03));
    p[3] = static_cast<uint8_t>(v >> 5);
    p[4] = static_cast<uint8_t>((p[4] & 0x07) | (v & 0x1F) << 3);
}

// One pack clock with a flipped bit, far later or far earlier than its
// neighbours, wherever it lies: at the start, where a bisection probe
// lands, just before a second begins, as the first pack of a second, just
// before the end. The recording's first and last times and every time
// search give what the sound recording gives: the damaged clock neither
// ends the search early nor hides a second.
TEST(RecstreamFile, ADamagedPackClockIsPassedOver) {
    std::vector<Unit> units;
    for (int i = 0; i < 1200; ++i) units.push_back({kStreamVideo, uint64_t(i) * 45000, i % 20 == 0, Pattern(20000, i)});
    const std::string soundPath = TempPath("sound.rec");
    const uint32_t start = 1700000000;
    ASSERT_TRUE(WriteUnits(soundPath, TestHeader(start), units));
    const Bytes sound = ReadAll(soundPath);
    const auto packs = Packs(ScanAll(sound, 0, 1 << 20));
    ASSERT_EQ(packs.size(), 1200u);
    auto expected = [&](uint32_t t) {
        for (const auto& p : packs)
            if (p.time >= t) return static_cast<int64_t>(p.offset);
        return int64_t(-1);
    };
    const struct {
        const char* name;
        size_t pack;
    } places[] = {{"first pack", 0},           {"second pack", 1},          {"bisection probe", 600},
                  {"before a second", 245},    {"first of a second", 246},  {"walked over", 731},
                  {"next to last pack", 1198}, {"last pack (earlier)", 1199}};
    for (const auto& place : places) {
        for (const bool later : {true, false}) {
            const uint64_t scr = ScrAt(sound, packs[place.pack].offset);
            // Later: bit 29 (5,965 s). Earlier: the clock's highest bit cleared.
            int bit = 29;
            if (!later) {
                if (scr == 0) continue;
                bit = 32;
                while (!(scr >> bit & 1)) --bit;
            }
            if (later && place.pack == 1199) continue;   // a last clock far later reads as the end
            SCOPED_TRACE(std::string(place.name) + (later ? ", later" : ", earlier"));
            Bytes damaged = sound;
            FlipScrBit(damaged, packs[place.pack].offset, bit);
            const std::string path = TempPath("damaged-clock.rec");
            WriteAll(path, damaged);

            FileInfo info;
            ASSERT_TRUE(ReadFileInfo(path, &info));
            EXPECT_EQ(info.firstTime, start);
            EXPECT_EQ(info.lastTime, start + 599);
            const uint32_t at = packs[place.pack].time;
            for (uint32_t t : {start, start + 1, at - 1, at, at + 1, at + 2, start + 300, start + 599, start + 600})
                EXPECT_EQ(FindOffsetForTime(path, t), expected(t)) << "second " << t - start;
        }
    }
}

TEST(RecstreamCipher, EncipheredRoundTripAndWrongKey) {
    std::string path = TempPath("enc.rec");
    StreamHeader h = TestHeader(50);
    h.flags |= kFlagEnciphered;
    auto units = SampleUnits();
    EXPECT_FALSE(StreamWriter().Open(path, h, ""));  // no key, no enciphered stream
    ASSERT_TRUE(WriteUnits(path, h, units, "secret key"));
    Bytes b = ReadAll(path);
    StreamHeader got;
    ASSERT_TRUE(ParseHeader(b.data(), b.size(), &got));
    EXPECT_TRUE(got.flags & kFlagEnciphered);
    EXPECT_EQ(got.keyCheck, KeyCheck("secret key"));
    EXPECT_TRUE(KeyMatches(got, "secret key"));
    EXPECT_FALSE(KeyMatches(got, "secret kez"));
    EXPECT_FALSE(KeyMatches(got, ""));
    static const uint8_t zero[8] = {};
    EXPECT_NE(0, std::memcmp(got.nonce, zero, 8));

    auto packs = Packs(ScanAll(b, 0, 5000));
    ASSERT_EQ(packs.size(), units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        SCOPED_TRACE(i);
        const Unit& u = units[i];
        Packet right = packs[i], wrong = packs[i];
        if (u.id == kStreamPrivate) {
            EXPECT_EQ(PayloadOf(packs[i], u.id), u.data);  // vehicle blocks stay clear
            continue;
        }
        EXPECT_NE(PayloadOf(packs[i], u.id), u.data);
        ASSERT_TRUE(CipherPacket(got, "secret key", &right));
        EXPECT_EQ(PayloadOf(right, u.id), u.data);
        ASSERT_TRUE(CipherPacket(got, "other key", &wrong));
        EXPECT_NE(PayloadOf(wrong, u.id), u.data);
    }
    // A clear header refuses packet deciphering.
    Packet p = packs[1];
    EXPECT_FALSE(CipherPacket(TestHeader(0), "secret key", &p));

    // The same frame at another time or in another stream gets another keystream.
    Bytes a(64, 0), c(64, 0), d(64, 0);
    CipherPayload(got, "k", kStreamVideo, 9000, a.data(), a.size());
    CipherPayload(got, "k", kStreamVideo, 18000, c.data(), c.size());
    CipherPayload(got, "k", kStreamAudio, 9000, d.data(), d.size());
    EXPECT_NE(a, c);
    EXPECT_NE(a, d);
}

TEST(RecstreamCipher, DesKnownAnswerAndRoundTrip) {
    const uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    uint8_t block[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    DesEcb(key, block, 2, false);
    const uint8_t expect[8] = {0x85, 0xE8, 0x13, 0x54, 0x0F, 0x0A, 0xB4, 0x05};
    EXPECT_EQ(0, std::memcmp(block, expect, 8));
    EXPECT_EQ(0, std::memcmp(block + 8, expect, 8));  // ECB: equal blocks, equal output
    DesEcb(key, block, 2, true);
    EXPECT_EQ(block[0], 0x01);
    EXPECT_EQ(block[15], 0xEF);
    // The key is used as given: no parity adjustment.
    const uint8_t text[8] = {'z', 'e', 'l', 'q', 'u', 'a', 'm', 'o'};
    uint8_t x[8] = {1, 2, 3, 4, 5, 6, 7, 8}, y[8];
    std::memcpy(y, x, 8);
    DesEcb(text, x, 1, false);
    DesEcb(text, x, 1, true);
    EXPECT_EQ(0, std::memcmp(x, y, 8));
}

}  // namespace

namespace {

// A recording of five seconds at 10 pictures a second, a key frame every
// 15 (1.5 s, off the whole seconds), a vehicle block before the picture of
// each second, an audio frame after each picture.
std::vector<Unit> GopUnits() {
    std::vector<Unit> units;
    for (int f = 0; f < 50; ++f) {
        const uint64_t pts = static_cast<uint64_t>(f) * 9000;
        if (f % 10 == 0) {
            const std::string text = "$QORMOBILE,SAMPLE,E,second " + std::to_string(f / 10);
            units.push_back({kStreamPrivate, pts, false, Bytes(text.begin(), text.end())});
        }
        units.push_back({kStreamVideo, pts, f % 15 == 0, Pattern(2000 + 10 * f, f)});
        units.push_back({kStreamAudio, pts + 4500, false, Pattern(200, 500 + f)});
    }
    return units;
}

}  // namespace

// The cut of what a player showed: from the key frame at or before the first
// picture at or after `from` to the last picture at or before `to`, with the
// vehicle data and sound of that span, on the clock of the key frame's
// second (enciphered payloads enciphered again for their moved time stamps);
// fed from a pack inside a group of pictures it starts at the next key frame.
TEST(RecstreamCut, HoldsTheShownPicturesFromTheirKeyFrame) {
    const uint32_t start = 1000;
    const std::vector<Unit> units = GopUnits();
    struct Case {
        const char* name;
        bool enciphered;
        int firstPack;     // the first pack fed (after the header)
        int64_t from, to;  // ms after the start
        int64_t key;       // ms after the start of the key frame it starts with
    } cases[] = {
        {"inside a group", false, 0, 2200, 4300, 1500},
        {"enciphered", true, 0, 2200, 4300, 1500},
        {"one picture at a key frame", false, 0, 3000, 3000, 3000},
        {"to before from: the first picture", false, 0, 3200, 3100, 3000},
        {"fed from inside a group", false, 34, 1600, 3500, 3000},   // from the picture at 1.6 s on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string key = c.enciphered ? "secret key" : "";
        StreamHeader h = TestHeader(start);
        if (c.enciphered) h.flags |= kFlagEnciphered;
        const std::string path = TempPath("cut.rec");
        ASSERT_TRUE(WriteUnits(path, h, units, key));
        const Bytes source = ReadAll(path);
        StreamHeader written;
        ASSERT_TRUE(ParseHeader(source.data(), source.size(), &written));
        const std::vector<Packet> packs = Packs(ScanAll(source, 40, 7000, start));
        ASSERT_EQ(packs.size(), units.size());

        Bytes out;
        int headers = 0;
        StreamCutter cutter(int64_t(start) * 1000 + c.from, int64_t(start) * 1000 + c.to, key,
                            [&](bool header, const uint8_t* data, size_t size) {
                                headers += header ? 1 : 0;
                                out.insert(out.end(), data, data + size);
                                return true;
                            });
        ASSERT_TRUE(cutter.Header(source.data(), 40));
        const size_t from = static_cast<size_t>(packs[static_cast<size_t>(c.firstPack)].offset);
        for (size_t at = from; at < source.size() && !cutter.Done(); at += 5000)
            ASSERT_TRUE(cutter.Feed(source.data() + at, std::min<size_t>(5000, source.size() - at)));
        ASSERT_TRUE(cutter.Finish());
        EXPECT_EQ(headers, 1);

        // What it should hold: the units from the key frame to the last
        // picture at or before `to` (at least the first one at or after
        // `from`), with the data and sound from the key frame's time to the
        // end of that picture.
        int64_t last = -1;
        for (const Unit& u : units) {
            const int64_t ms = static_cast<int64_t>(u.pts / 90);
            if (u.id == kStreamVideo && ms >= c.key && (ms <= c.to || last < c.from)) last = ms;
        }
        std::vector<std::pair<uint8_t, int64_t>> expected;
        std::vector<Bytes> pictures;
        for (const Unit& u : units) {
            const int64_t ms = static_cast<int64_t>(u.pts / 90);
            if (ms < c.key || ms > last + (u.id == kStreamVideo ? 0 : 99)) continue;
            expected.emplace_back(u.id, int64_t(start) * 1000 + ms);
            if (u.id == kStreamVideo) pictures.push_back(u.data);
        }

        StreamHeader cut;
        ASSERT_TRUE(ParseHeader(out.data(), out.size(), &cut));
        EXPECT_EQ(cut.startTime, start + c.key / 1000);   // the key frame's second
        Bytes expectedHeader(source.begin(), source.begin() + 40);
        Bytes gotHeader(out.begin(), out.begin() + 40);
        reinterpret_cast<StreamHeader*>(expectedHeader.data())->startTime = cut.startTime;
        EXPECT_EQ(gotHeader, expectedHeader);   // nothing else of it changes
        std::vector<std::pair<uint8_t, int64_t>> got;
        std::vector<Bytes> gotPictures;
        bool firstIsKey = false;
        for (Packet& p : Packs(ScanAll(out, 40, 3000, cut.startTime))) {
            ASSERT_FALSE(p.pes.empty());
            const Pes& pes = p.pes.front();
            got.emplace_back(pes.streamId, int64_t(cut.startTime) * 1000 + int64_t((pes.hasPts ? pes.pts : p.scr) / 90));
            if (pes.streamId != kStreamVideo) continue;
            if (gotPictures.empty()) firstIsKey = pes.keyFrame;
            if (c.enciphered) ASSERT_TRUE(CipherPacket(cut, key, &p));
            gotPictures.push_back(PayloadOf(p, kStreamVideo));
        }
        EXPECT_EQ(got, expected);
        EXPECT_TRUE(firstIsKey);
        EXPECT_EQ(gotPictures, pictures);
        EXPECT_EQ(cutter.KeyMs(), int64_t(start) * 1000 + c.key);
        EXPECT_EQ(cutter.LastPictureMs(), int64_t(start) * 1000 + last);
    }
}
