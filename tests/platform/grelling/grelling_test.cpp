// SPDX-License-Identifier: GPL-3.0-or-later
#include "grelling.h"
#include "module/storage/rbs/rbs_recordings.h"

#include "kel_test/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

std::string Path(const char* name) { return (kel_test::ProgramFolder() + "/" + name).toStdString(); }

struct Taken {
    std::vector<QORANA_PACKET_INFO> packets;
};

// Takes every packet that is ready.
void Drain(QORANA_HANDLE h, Taken* out) {
    QORANA_PACKET_INFO p;
    while (QORANA_GetOnePacketEx(h, &p) == 0) out->packets.push_back(p);
}

uint64_t OffsetOf(const QORANA_PACKET_INFO& p) { return (static_cast<uint64_t>(p.offsetHigh) << 32) | p.offsetLow; }

TEST(Grelling, RecordLayout) {
    EXPECT_EQ(offsetof(QORANA_PACKET_INFO, year), 12u);
    EXPECT_EQ(offsetof(QORANA_PACKET_INFO, second), 32u);
    EXPECT_EQ(offsetof(QORANA_PACKET_INFO, errorFlag), 56u);
    EXPECT_EQ(offsetof(QORANA_PACKET_INFO, packetLength), 60u);
}

TEST(Grelling, RefusesBadHeaderAndDeadHandles) {
    char junk[40];
    std::memset(junk, 'x', sizeof(junk));
    EXPECT_EQ(QORANA_CreateStreamEx(1 << 20, junk), 0);
    recstream::StreamHeader h = recstream::MakeHeader();
    EXPECT_EQ(QORANA_CreateStreamEx(0, &h), 0);
    EXPECT_EQ(QORANA_CreateStreamEx(1 << 20, nullptr), 0);

    QORANA_HANDLE s = QORANA_CreateStreamEx(1 << 20, &h);
    ASSERT_NE(s, 0);
    EXPECT_NE(QORANA_Destroy(s), 0);
    QORANA_PACKET_INFO p;
    EXPECT_EQ(QORANA_InputData(s, junk, sizeof(junk)), 0);
    EXPECT_EQ(QORANA_GetOnePacketEx(s, &p), -1);
    EXPECT_EQ(QORANA_ClearBuffer(s), 0);
    EXPECT_EQ(QORANA_GetLastErrorH(s), QORANA_ERR_HANDLE);
    EXPECT_EQ(QORANA_Destroy(s), 0);
}

TEST(Grelling, HeaderInputIsOneWellFormedPacket) {
    const std::string path = Path("hdr.rec");
    const uint32_t start = rbs_test::Civil(2024, 3, 1, 8, 0, 0);
    ASSERT_TRUE(rbs_test::WriteRecording(path, start, 1));
    std::vector<char> bytes = rbs_test::ReadAll(path);
    QORANA_HANDLE s = QORANA_CreateStreamEx(1 << 20, bytes.data());
    ASSERT_NE(s, 0);
    ASSERT_NE(QORANA_InputData(s, bytes.data(), 40), 0);
    QORANA_PACKET_INFO p;
    ASSERT_EQ(QORANA_GetOnePacketEx(s, &p), 0);
    EXPECT_EQ(p.packetType, static_cast<uint32_t>(QORANA_PACKET_HEADER));
    EXPECT_EQ(p.errorFlag, 0u);
    EXPECT_EQ(p.packetLength, 40u);
    EXPECT_EQ(p.year, 2024u);
    EXPECT_EQ(p.hour, 8u);
    EXPECT_EQ(QORANA_GetOnePacketEx(s, &p), 1);
    EXPECT_EQ(QORANA_GetLastErrorH(s), QORANA_ERR_NO_PACKET);
    QORANA_Destroy(s);
}

// Fed in odd pieces, the packets cover the stream without gaps and carry the
// times the format library gives.
TEST(Grelling, PacketsCoverTheStreamInAnyPieces) {
    const std::string path = Path("cover.rec");
    const uint32_t start = rbs_test::Civil(2024, 2, 29, 23, 59, 57);
    ASSERT_TRUE(rbs_test::WriteRecording(path, start, 4, 5, 2500));
    std::vector<char> bytes = rbs_test::ReadAll(path);

    recstream::PacketScanner oracle(start, false);
    oracle.Feed(bytes.data() + 40, bytes.size() - 40);
    oracle.Finish();
    std::vector<recstream::Packet> expected;
    recstream::Packet rp;
    while (oracle.Next(&rp)) expected.push_back(rp);
    ASSERT_GT(expected.size(), 10u);

    for (size_t piece : {size_t(1), size_t(777), size_t(65536)}) {
        SCOPED_TRACE(piece);
        QORANA_HANDLE s = QORANA_CreateStreamEx(1 << 20, bytes.data());
        ASSERT_NE(s, 0);
        Taken got;
        for (size_t at = 40; at < bytes.size(); at += piece) {
            size_t n = std::min(piece, bytes.size() - at);
            ASSERT_NE(QORANA_InputData(s, bytes.data() + at, static_cast<uint32_t>(n)), 0);
            Drain(s, &got);
        }
        QORANA_InputEnd(s);
        Drain(s, &got);
        QORANA_Destroy(s);

        ASSERT_EQ(got.packets.size(), expected.size());
        uint64_t sum = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const QORANA_PACKET_INFO& p = got.packets[i];
            EXPECT_EQ(OffsetOf(p), sum);
            EXPECT_EQ(p.packetLength, expected[i].size);
            EXPECT_EQ(p.timeStamp, expected[i].time);
            EXPECT_EQ(p.errorFlag, 0u);
            sum += p.packetLength;
        }
        EXPECT_EQ(sum, bytes.size() - 40);
        // The first packet is 2024-02-29 23:59:57, the last one of the 4th second
        // 2024-03-01 00:00:00.
        EXPECT_EQ(got.packets.front().day, 29u);
        EXPECT_EQ(got.packets.front().second, 57u);
        EXPECT_EQ(got.packets.front().frameType, static_cast<uint32_t>(QORANA_FRAME_VIDEO_KEY));
        EXPECT_EQ(got.packets.back().month, 3u);
        EXPECT_EQ(got.packets.back().day, 1u);
        EXPECT_EQ(got.packets.back().hour, 0u);
    }
}

TEST(Grelling, JunkHasNoTimeAndKeepsOffsets) {
    const std::string path = Path("junk.rec");
    ASSERT_TRUE(rbs_test::WriteRecording(path, rbs_test::Civil(2024, 3, 1, 8, 0, 0), 1, 5, 1000));
    std::vector<char> bytes = rbs_test::ReadAll(path);
    std::vector<char> stream(bytes.begin() + 40, bytes.end());
    std::vector<char> noise(333, 'z');
    stream.insert(stream.begin() + static_cast<long>(stream.size() / 2), noise.begin(), noise.end());

    QORANA_HANDLE s = QORANA_CreateStreamEx(1 << 20, bytes.data());
    ASSERT_NE(s, 0);
    ASSERT_NE(QORANA_InputData(s, stream.data(), static_cast<uint32_t>(stream.size())), 0);
    QORANA_InputEnd(s);
    Taken got;
    Drain(s, &got);
    QORANA_Destroy(s);
    uint64_t sum = 0;
    int junk = 0;
    for (const auto& p : got.packets) {
        EXPECT_EQ(OffsetOf(p), sum);
        sum += p.packetLength;
        if (p.packetType == QORANA_PACKET_JUNK) {
            ++junk;
            EXPECT_NE(p.errorFlag, 0u);
            EXPECT_EQ(p.year, 0u);
        }
    }
    EXPECT_GE(junk, 1);
    EXPECT_EQ(sum, stream.size());
}

TEST(Grelling, FullBufferRefusesInputAndClearStartsOver) {
    const std::string path = Path("full.rec");
    ASSERT_TRUE(rbs_test::WriteRecording(path, rbs_test::Civil(2024, 3, 1, 8, 0, 0), 2, 5, 1000));
    std::vector<char> bytes = rbs_test::ReadAll(path);
    QORANA_HANDLE s = QORANA_CreateStreamEx(4096, bytes.data());
    ASSERT_NE(s, 0);
    ASSERT_NE(QORANA_InputData(s, bytes.data() + 40, 4000), 0);
    EXPECT_EQ(QORANA_InputData(s, bytes.data() + 4040, 4000), 0);
    EXPECT_EQ(QORANA_GetLastErrorH(s), QORANA_ERR_BUFFER_FULL);

    ASSERT_NE(QORANA_ClearBuffer(s), 0);
    ASSERT_NE(QORANA_InputData(s, bytes.data() + 40, 4000), 0);
    QORANA_PACKET_INFO p;
    ASSERT_EQ(QORANA_GetOnePacketEx(s, &p), 0);
    EXPECT_EQ(OffsetOf(p), 0u);
    QORANA_Destroy(s);
}

}  // namespace
