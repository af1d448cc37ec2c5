// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QString>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "es_split.h"
#include "fallowin.h"
#include "kel_test/test_support.h"
#include "mp4_probe.h"
#include "recmedia/encoder.h"
#include "recmedia/track.h"
#include "recstream/recstream.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kStart = 1714557600;  // 2024-05-01 10:00:00 recorder time

std::string TempPath(const std::string& name) { return (kel_test::ProgramFolder() + "/").toStdString() + name; }

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

Bytes Encode(const recmedia::RecordingSpec& spec) {
    std::string error;
    EXPECT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    return ReadAll(spec.path);
}

recmedia::RecordingSpec Spec(uint32_t seconds, uint32_t seed) {
    recmedia::RecordingSpec spec;
    spec.start = kStart;
    spec.seconds = seconds;
    spec.width = 176;
    spec.height = 144;
    spec.fps = 10;
    spec.seed = seed;
    spec.path = TempPath("rec_" + std::to_string(seed) + ".qrs");
    return spec;
}

// Gathers the output records of one transform.
struct Collector {
    std::mutex lock;
    Bytes head;
    Bytes body;
    int heads = 0;
    int progress = 0, info = 0, ends = 0, others = 0;
    bool sawNull = false;
    DREBEN_PROGRESS lastProgress{};
    std::string streamInfo;
    std::thread::id thread;

    static void Callback(DREBEN_DETAIL_DATA* d, void* user) {
        Collector* c = static_cast<Collector*>(user);
        std::lock_guard<std::mutex> g(c->lock);
        c->thread = std::this_thread::get_id();
        if (!d) {
            c->sawNull = true;
            return;
        }
        if (d->isFileHead) {
            c->heads++;
            c->head.assign(d->data, d->data + d->dataLength);
            return;
        }
        switch (d->dataType) {
        case DREBEN_DATA_BODY: c->body.insert(c->body.end(), d->data, d->data + d->dataLength); break;
        case DREBEN_DATA_PROGRESS:
            c->progress++;
            if (d->dataLength == sizeof(DREBEN_PROGRESS)) std::memcpy(&c->lastProgress, d->data, sizeof(DREBEN_PROGRESS));
            break;
        case DREBEN_DATA_STREAM_INFO:
            c->info++;
            c->streamInfo.assign(reinterpret_cast<const char*>(d->data), d->dataLength);
            break;
        case DREBEN_DATA_END: c->ends++; break;
        default: c->others++;
        }
    }
    Bytes File() const {
        Bytes f(head);
        f.insert(f.end(), body.begin(), body.end());
        return f;
    }
};

// Runs a whole transform: header at creation, `data` in pieces of `piece`
// bytes. Returns the result of DREBEN_Stop (or of the first failing call).
DREBEN_STATUS Convert(const Bytes& header, const Bytes& data, const std::string& key, Collector* out,
                      size_t piece = 7001) {
    DREBEN_CREATE_PARAM param{};
    param.header = header.data();
    param.headerSize = static_cast<uint32_t>(header.size());
    param.targetType = DREBEN_TARGET_MP4;
    DREBEN_HANDLE h = nullptr;
    DREBEN_STATUS st = DREBEN_Create(&h, &param);
    if (st != DREBEN_OK) return st;
    if (!key.empty()) {
        st = DREBEN_SetEncryptKey(h, DREBEN_KEY_RECORDER, key.data(), static_cast<uint32_t>(key.size() * 8));
        if (st != DREBEN_OK) return st;
    }
    EXPECT_EQ(DREBEN_OK, DREBEN_RegisterDetailDataCallBack(h, &Collector::Callback, out));
    st = DREBEN_Start(h, nullptr, nullptr);
    if (st != DREBEN_OK) {
        DREBEN_Release(h);
        return st;
    }
    for (size_t off = 0; off < data.size(); off += piece) {
        const size_t n = std::min(piece, data.size() - off);
        EXPECT_EQ(DREBEN_OK, DREBEN_InputData(h, DREBEN_INPUT_STREAM, data.data() + off, static_cast<uint32_t>(n)));
    }
    st = DREBEN_Stop(h);
    EXPECT_EQ(DREBEN_OK, DREBEN_Release(h));
    return st;
}

Bytes HeaderOf(const Bytes& rec) { return Bytes(rec.begin(), rec.begin() + recstream::kHeaderSize); }
Bytes BodyOf(const Bytes& rec) { return Bytes(rec.begin() + recstream::kHeaderSize, rec.end()); }

kel_test::Mp4Probe ProbeBytes(const Bytes& file, const std::string& name) {
    const std::string path = TempPath(name);
    WriteAll(path, file);
    return kel_test::ProbeMp4(path, true);
}

// ---- conversions -----------------------------------------------------------------

struct ConvertCase {
    const char* name;
    bool audio;
    bool mpeg4;
    bool enciphered;
    const char* videoCodec;
};

class FallowinConvert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(FallowinConvert, GivesAPlayableMp4WithTheRecordingsLengthAndStartTime) {
    const ConvertCase& c = GetParam();
    recmedia::RecordingSpec spec = Spec(4, 11);
    spec.withAudio = c.audio;
    spec.forceMpeg4 = c.mpeg4;
    spec.track = recmedia::MakeTrack(3, kStart, 4);  // vehicle data must be left out of the file
    if (c.enciphered) spec.key = "fleet-key-7";
    const Bytes rec = Encode(spec);
    ASSERT_GT(rec.size(), 1000u);

    Collector out;
    ASSERT_EQ(DREBEN_OK, Convert(HeaderOf(rec), BodyOf(rec), spec.key, &out));
    EXPECT_EQ(1, out.heads);
    EXPECT_EQ(1, out.ends);
    EXPECT_EQ(1, out.info);
    EXPECT_GT(out.progress, 0);
    EXPECT_EQ(0, out.others);
    EXPECT_NE(std::this_thread::get_id(), out.thread);  // callbacks come from the transform's thread

    const kel_test::Mp4Probe p = ProbeBytes(out.File(), std::string(c.name) + ".mp4");
    ASSERT_TRUE(p.opened);
    EXPECT_NE(std::string::npos, p.format.find("mp4"));
    EXPECT_EQ(c.videoCodec, p.videoCodec);
    EXPECT_EQ(176, p.width);
    EXPECT_EQ(144, p.height);
    EXPECT_NEAR(4.0, p.duration, 0.15);
    EXPECT_EQ(40, p.videoPackets);
    EXPECT_EQ(40, p.decodedFrames);
    EXPECT_EQ(0, p.decodeErrors);
    if (c.audio) {
        // MPEG audio in mp4 carries no layer: readers name it mp2 or mp3.
        EXPECT_TRUE(p.audioCodec == "mp2" || p.audioCodec == "mp3") << p.audioCodec;
        EXPECT_EQ(32000, p.audioRate);
    } else {
        EXPECT_EQ("", p.audioCodec);
    }
    EXPECT_EQ("2024-05-01T10:00:00.000000Z", p.creationTime);
}

INSTANTIATE_TEST_SUITE_P(Streams, FallowinConvert,
                         ::testing::Values(ConvertCase{"h264", false, false, false, "h264"},
                                           ConvertCase{"h264_audio", true, false, false, "h264"},
                                           ConvertCase{"h264_enciphered", true, false, true, "h264"},
                                           ConvertCase{"mpeg4", false, true, false, "mpeg4"}),
                         [](const ::testing::TestParamInfo<ConvertCase>& i) { return std::string(i.param.name); });

TEST(Fallowin, StartsAtTheFirstKeyFrameWhenTheInputBeginsMidStream) {
    recmedia::RecordingSpec spec = Spec(5, 12);  // one key frame a second
    const Bytes rec = Encode(spec);
    // Cut the stream after the first pack of second 2 (a key frame), so the
    // input starts with non-key pictures of that second.
    const int64_t at = recstream::FindOffsetForTime(spec.path, kStart + 2);
    ASSERT_GT(at, 0);
    const Bytes tail(rec.begin() + at + 100, rec.end());

    Collector out;
    ASSERT_EQ(DREBEN_OK, Convert(HeaderOf(rec), tail, "", &out));
    const kel_test::Mp4Probe p = ProbeBytes(out.File(), "mid.mp4");
    ASSERT_TRUE(p.opened);
    EXPECT_NEAR(2.0, p.duration, 0.15);  // seconds 3 and 4
    EXPECT_EQ(20, p.decodedFrames);
    EXPECT_EQ(0, p.decodeErrors);
    EXPECT_EQ("2024-05-01T10:00:03.000000Z", p.creationTime);
}

TEST(Fallowin, JoinsARecordingThatFollowsWithItsOwnHeader) {
    recmedia::RecordingSpec a = Spec(2, 13);
    recmedia::RecordingSpec b = Spec(2, 14);
    b.start = kStart + 2;
    b.key = "joined";
    a.key = "joined";
    const Bytes ra = Encode(a);
    const Bytes rb = Encode(b);
    Bytes input = BodyOf(ra);
    input.insert(input.end(), rb.begin(), rb.end());  // second header inside the input

    Collector out;
    ASSERT_EQ(DREBEN_OK, Convert(HeaderOf(ra), input, "joined", &out, 65536));
    const kel_test::Mp4Probe p = ProbeBytes(out.File(), "joined.mp4");
    ASSERT_TRUE(p.opened);
    EXPECT_NEAR(4.0, p.duration, 0.15);
    EXPECT_EQ(40, p.decodedFrames);
    EXPECT_EQ(0, p.decodeErrors);
}

// Pictures cut into several slices, the later ones behind 3-byte start codes
// (as recorders write them), reach the file whole: every NAL unit of every
// picture is there, so each decoded picture equals the recording's own.
TEST(Fallowin, EverySliceOfEveryPictureReachesTheFile) {
    recmedia::RecordingSpec spec = Spec(2, 21);
    spec.width = 352;
    spec.height = 288;
    spec.fps = 25;
    spec.realistic = true;   // four slices a picture
    const Bytes rec = Encode(spec);
    // The fixture shows what it is for: a picture of several slices, one of
    // them behind a 3-byte start code.
    {
        recstream::PacketScanner scanner(kStart, true);
        scanner.Feed(rec.data(), rec.size());
        recstream::Packet packet;
        Bytes unit;
        while (unit.empty() && scanner.Next(&packet))
            for (const recstream::Pes& pes : packet.pes)
                if (pes.streamId == recstream::kStreamVideo)
                    unit.insert(unit.end(), packet.bytes.begin() + static_cast<long>(pes.payloadOffset),
                                packet.bytes.begin() + static_cast<long>(pes.payloadOffset + pes.payloadSize));
        int slices = 0, shortCodes = 0;
        for (const fallowin::NalUnit& nal : fallowin::SplitAnnexB(unit.data(), unit.size())) {
            if (nal.type == 1 || nal.type == 5) ++slices;
            if (nal.offset < 4 || unit[nal.offset - 4] != 0) ++shortCodes;
        }
        ASSERT_GT(slices, 1);
        ASSERT_GT(shortCodes, 0);
    }

    Collector out;
    ASSERT_EQ(DREBEN_OK, Convert(HeaderOf(rec), BodyOf(rec), "", &out));
    const kel_test::Mp4Probe p = ProbeBytes(out.File(), "slices.mp4");
    const kel_test::Mp4Probe source = kel_test::ProbeMp4(spec.path, true, true);
    ASSERT_TRUE(p.opened);
    ASSERT_EQ(50u, source.pictureHashes.size());
    EXPECT_EQ(source.pictureHashes, p.pictureHashes);
    EXPECT_EQ(0, p.decodeErrors);
    EXPECT_EQ(0, p.logErrors);
    // The head before the body fills whole 4 KiB blocks.
    EXPECT_EQ(0u, out.head.size() % 4096);
}

// Video units that are a time stamp without payload (a recorder that wrote
// the stamp of a frame it then lost) are no samples: the file holds the
// pictures, each at its own time, and nothing empty. Once such units reached
// the .mp4 writer as empty samples (copied from a null pointer).
TEST(Fallowin, EmptyVideoUnitsAreLeftOut) {
    for (const bool enciphered : {false, true}) {
        SCOPED_TRACE(enciphered ? "enciphered" : "plain");
        recmedia::RecordingSpec spec = Spec(2, enciphered ? 19 : 18);
        spec.withAudio = true;
        if (enciphered) spec.key = "empty-units";
        const Bytes rec = Encode(spec);
        // Behind every third picture, the stamp of an empty unit half a
        // frame later; one more as the stream's very last unit.
        recstream::PacketScanner scanner(kStart, false);
        scanner.Feed(rec.data(), rec.size());
        scanner.Finish();
        Bytes input;
        std::vector<double> pictures;   // seconds from the start
        int videoPacks = 0;
        recstream::Packet packet;
        while (scanner.Next(&packet)) {
            if (packet.kind == recstream::kPacketHeader) continue;
            input.insert(input.end(), rec.begin() + static_cast<long>(packet.offset),
                         rec.begin() + static_cast<long>(packet.offset + packet.size));
            for (const recstream::Pes& pes : packet.pes) {
                if (pes.streamId != recstream::kStreamVideo || !pes.hasPts) continue;
                pictures.push_back(double(pes.pts) / 90000);
                if (++videoPacks % 3 == 0) {
                    const Bytes empty = recstream::StampOnlyVideoPack(pes.pts + 4500);
                    input.insert(input.end(), empty.begin(), empty.end());
                }
            }
        }
        const Bytes last = recstream::StampOnlyVideoPack(uint64_t(pictures.back() * 90000) + 9000);
        input.insert(input.end(), last.begin(), last.end());
        ASSERT_EQ(20u, pictures.size());

        Collector out;
        ASSERT_EQ(DREBEN_OK, Convert(HeaderOf(rec), input, spec.key, &out));
        EXPECT_EQ(20u, out.lastProgress.framesOut);
        const kel_test::Mp4Probe p = ProbeBytes(out.File(), enciphered ? "empty_units_e.mp4" : "empty_units.mp4");
        ASSERT_TRUE(p.opened);
        EXPECT_EQ(0, p.logErrors);
        EXPECT_EQ(20, p.videoPackets);
        for (int size : p.packetSizes) EXPECT_GT(size, 0);
        EXPECT_EQ(20, p.decodedFrames);
        EXPECT_EQ(0, p.decodeErrors);
        ASSERT_EQ(pictures.size(), p.frameTimes.size());
        for (size_t i = 0; i < pictures.size(); ++i)
            EXPECT_NEAR(pictures[i] - pictures[0], p.frameTimes[i] - p.frameTimes[0], 0.002) << "picture " << i;
    }
}

// ---- failures ----------------------------------------------------------------------

TEST(Fallowin, RefusesAnEncipheredStreamWithoutItsKey) {
    recmedia::RecordingSpec spec = Spec(1, 15);
    spec.key = "right";
    const Bytes rec = Encode(spec);
    for (const char* key : {"", "wrong"}) {
        Collector out;
        EXPECT_EQ(DREBEN_ERR_KEY, Convert(HeaderOf(rec), BodyOf(rec), key, &out)) << key;
        EXPECT_EQ(0, out.heads);
    }
}

TEST(Fallowin, InputWithoutPicturesGivesNoHead) {
    const Bytes rec = Encode(Spec(1, 16));
    Bytes junk(50000);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 7 + 3);
    Collector out;
    EXPECT_EQ(DREBEN_ERR_NO_OUTPUT, Convert(HeaderOf(rec), junk, "", &out));
    EXPECT_EQ(0, out.heads);
    EXPECT_TRUE(out.body.empty());
    EXPECT_EQ(1, out.ends);
}

TEST(Fallowin, RefusesBadArgumentsAndCallsOutOfOrder) {
    const Bytes rec = Encode(Spec(1, 17));
    const Bytes header = HeaderOf(rec);
    DREBEN_CREATE_PARAM param{};
    param.header = header.data();
    param.headerSize = 40;
    param.targetType = DREBEN_TARGET_MP4;

    DREBEN_HANDLE h = reinterpret_cast<DREBEN_HANDLE>(1);
    EXPECT_EQ(DREBEN_ERR_PARAM, DREBEN_Create(&h, nullptr));
    EXPECT_EQ(nullptr, h);
    DREBEN_CREATE_PARAM bad = param;
    bad.targetType = 12;
    EXPECT_EQ(DREBEN_ERR_TARGET, DREBEN_Create(&h, &bad));
    bad = param;
    bad.headerSize = 39;
    EXPECT_EQ(DREBEN_ERR_PARAM, DREBEN_Create(&h, &bad));
    Bytes notHeader(40, 0x11);
    bad = param;
    bad.header = notHeader.data();
    EXPECT_EQ(DREBEN_ERR_FORMAT, DREBEN_Create(&h, &bad));

    ASSERT_EQ(DREBEN_OK, DREBEN_Create(&h, &param));
    const uint8_t byte = 0;
    EXPECT_EQ(DREBEN_ERR_ORDER, DREBEN_InputData(h, DREBEN_INPUT_STREAM, &byte, 1));
    EXPECT_EQ(DREBEN_ERR_ORDER, DREBEN_Stop(h));
    EXPECT_EQ(DREBEN_ERR_PARAM, DREBEN_SetEncryptKey(h, 2, "k", 8));
    EXPECT_EQ(DREBEN_ERR_PARAM, DREBEN_SetEncryptKey(h, DREBEN_KEY_RECORDER, "k", 7));
    EXPECT_EQ(DREBEN_ERR_PARAM, DREBEN_Start(h, &param, nullptr));
    ASSERT_EQ(DREBEN_OK, DREBEN_Start(h, nullptr, nullptr));
    EXPECT_EQ(DREBEN_ERR_ORDER, DREBEN_Start(h, nullptr, nullptr));
    EXPECT_EQ(DREBEN_ERR_ORDER, DREBEN_SetEncryptKey(h, DREBEN_KEY_RECORDER, "k", 8));
    EXPECT_EQ(DREBEN_ERR_PARAM, DREBEN_InputData(h, 3, &byte, 1));
    EXPECT_EQ(DREBEN_OK, DREBEN_Release(h));  // stops the running transform
    EXPECT_EQ(DREBEN_ERR_HANDLE, DREBEN_Release(h));
    EXPECT_EQ(DREBEN_ERR_HANDLE, DREBEN_InputData(h, DREBEN_INPUT_STREAM, &byte, 1));
    EXPECT_EQ(DREBEN_ERR_HANDLE, DREBEN_Stop(nullptr));
}

}  // namespace
