// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "recmedia/track.h"
#include "recmedia/vehicle_block.h"
#include "recstream/recstream.h"

using namespace recmedia;
using recstream::Packet;

namespace {

const uint32_t kStart = 1710506096;  // 2024-03-15 12:34:56

std::string TempPath(const char* name) { return (kel_test::ProgramFolder() + "/" + name).toStdString(); }

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Packet> Scan(const std::vector<uint8_t>& b) {
    recstream::PacketScanner scanner;
    scanner.Feed(b.data(), b.size());
    scanner.Finish();
    std::vector<Packet> out;
    Packet p;
    while (scanner.Next(&p)) out.push_back(p);
    return out;
}

std::vector<uint8_t> Payload(const Packet& p, uint8_t id) {
    std::vector<uint8_t> out;
    for (const auto& pes : p.pes)
        if (pes.streamId == id)
            out.insert(out.end(), p.bytes.begin() + static_cast<std::ptrdiff_t>(pes.payloadOffset),
                       p.bytes.begin() + static_cast<std::ptrdiff_t>(pes.payloadOffset + pes.payloadSize));
    return out;
}

struct Summary {
    recstream::StreamHeader header{};
    int video = 0, keys = 0, audio = 0, junk = 0;
    std::vector<std::string> blocks;
    std::vector<uint32_t> blockTimes;
    std::vector<std::vector<uint8_t>> frames;  // video payloads, in order
    std::vector<uint32_t> keyTimes;
};

Summary Summarise(const std::string& path, const std::string& key = {}) {
    Summary s;
    auto bytes = ReadAll(path);
    EXPECT_TRUE(recstream::ParseHeader(bytes.data(), bytes.size(), &s.header));
    for (Packet& p : Scan(bytes)) {
        if (p.kind == recstream::kPacketJunk) ++s.junk;
        if (p.kind != recstream::kPacketPack || p.pes.empty()) continue;
        if (!key.empty()) recstream::CipherPacket(s.header, key, &p);
        switch (p.pes.front().streamId) {
        case recstream::kStreamVideo:
            ++s.video;
            if (p.pes.front().keyFrame) {
                ++s.keys;
                s.keyTimes.push_back(p.time);
            }
            s.frames.push_back(Payload(p, recstream::kStreamVideo));
            break;
        case recstream::kStreamAudio: ++s.audio; break;
        case recstream::kStreamPrivate: {
            auto b = Payload(p, recstream::kStreamPrivate);
            s.blocks.emplace_back(b.begin(), b.end());
            s.blockTimes.push_back(p.time);
            break;
        }
        }
    }
    return s;
}

// Luma statistics of decoded pictures: the variance inside each picture and
// the mean difference between neighbouring pictures.
struct PictureStats {
    int count = 0, width = 0, height = 0;
    double minVariance = 1e18, minChange = 1e18;
};

PictureStats DecodeStats(const std::vector<std::vector<uint8_t>>& frames, AVCodecID id = AV_CODEC_ID_H264) {
    PictureStats st;
    const AVCodec* codec = avcodec_find_decoder(id);
    if (!codec) {
        st.count = -1;
        return st;
    }
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        st.count = -1;
        return st;
    }
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<uint8_t> previous;
    auto drain = [&] {
        while (avcodec_receive_frame(ctx, frame) == 0) {
            ++st.count;
            st.width = frame->width;
            st.height = frame->height;
            std::vector<uint8_t> luma(static_cast<size_t>(frame->width) * frame->height);
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(&luma[static_cast<size_t>(y) * frame->width], frame->data[0] + y * frame->linesize[0],
                            static_cast<size_t>(frame->width));
            double sum = 0, sum2 = 0, change = 0;
            for (size_t i = 0; i < luma.size(); ++i) {
                sum += luma[i];
                sum2 += double(luma[i]) * luma[i];
                if (!previous.empty()) change += std::abs(int(luma[i]) - int(previous[i]));
            }
            const double n = double(luma.size());
            st.minVariance = std::min(st.minVariance, sum2 / n - (sum / n) * (sum / n));
            if (!previous.empty()) st.minChange = std::min(st.minChange, change / n);
            previous.swap(luma);
        }
    };
    for (const auto& f : frames) {
        std::vector<uint8_t> buf(f);
        buf.resize(f.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        pkt->data = buf.data();
        pkt->size = static_cast<int>(f.size());
        if (avcodec_send_packet(ctx, pkt) == 0) drain();
    }
    avcodec_send_packet(ctx, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return st;
}

// Decodes the frames with libavcodec; returns the number of pictures (-1 when
// the decoder cannot be opened).
int DecodeCount(AVCodecID id, const std::vector<std::vector<uint8_t>>& frames, int* width, int* height) {
    const PictureStats st = DecodeStats(frames, id);
    *width = st.width;
    *height = st.height;
    return st.count;
}

RecordingSpec SmallSpec(const char* name) {
    RecordingSpec spec;
    spec.path = TempPath(name);
    spec.channel = 4;
    spec.start = kStart;
    spec.seconds = 3;
    spec.width = 176;
    spec.height = 144;
    spec.fps = 12;
    spec.seed = 5;
    return spec;
}

TEST(RecmediaEncoder, H264RecordingWithAudioAndVehicleData) {
    RecordingSpec spec = SmallSpec("ch4.rec");
    spec.withAudio = true;
    spec.track = MakeTrack(9, kStart, spec.seconds);
    std::string error;
    ASSERT_TRUE(EncodeRecording(spec, &error)) << error;

    Summary s = Summarise(spec.path);
    EXPECT_EQ(s.header.videoCodec, recstream::kVideoH264);
    EXPECT_EQ(s.header.audioCodec, recstream::kAudioMp2);
    EXPECT_EQ(s.header.channel, 4);
    EXPECT_EQ(s.header.flags, recstream::kFlagVehicleData);
    EXPECT_EQ(s.header.width, 176);
    EXPECT_EQ(s.header.frameRate, 12);
    EXPECT_EQ(s.header.startTime, kStart);
    EXPECT_EQ(s.junk, 0);
    EXPECT_EQ(s.video, 36);
    EXPECT_EQ(s.keys, 3);
    EXPECT_EQ(s.keyTimes, (std::vector<uint32_t>{kStart, kStart + 1, kStart + 2}));
    EXPECT_GE(s.audio, 80);  // 32 kHz / 1152 samples a frame, 3 s
    ASSERT_EQ(s.blocks.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.blocks[i], MakeVehicleBlock(spec.track[i], false, 4));
        EXPECT_EQ(s.blockTimes[i], kStart + i);
    }

    int w = 0, h = 0;
    EXPECT_EQ(DecodeCount(AV_CODEC_ID_H264, s.frames, &w, &h), 36);
    EXPECT_EQ(w, 176);
    EXPECT_EQ(h, 144);

    recstream::FileInfo info;
    ASSERT_TRUE(recstream::ReadFileInfo(spec.path, &info));
    EXPECT_EQ(info.firstTime, kStart);
    EXPECT_EQ(info.lastTime, kStart + 2);
    // The second second starts with its vehicle block.
    auto bytes = ReadAll(spec.path);
    int64_t at = recstream::FindOffsetForTime(spec.path, kStart + 1);
    ASSERT_GT(at, 40);
    recstream::PacketScanner scanner(kStart);
    scanner.Reset(static_cast<uint64_t>(at));
    scanner.Feed(bytes.data() + at, bytes.size() - static_cast<size_t>(at));
    scanner.Finish();
    Packet p;
    ASSERT_TRUE(scanner.Next(&p));
    EXPECT_EQ(p.kind, recstream::kPacketPack);
    EXPECT_EQ(p.time, kStart + 1);
    EXPECT_EQ(p.pes.front().streamId, recstream::kStreamPrivate);
    EXPECT_EQ(recstream::FindOffsetForTime(spec.path, kStart + 3), -1);
}

TEST(RecmediaEncoder, StandardToolsSeeTheStreams) {
    QString ffprobe = QStandardPaths::findExecutable("ffprobe");
    if (ffprobe.isEmpty()) GTEST_SKIP() << "ffprobe not installed";
    RecordingSpec spec = SmallSpec("probe.rec");
    spec.withAudio = true;
    spec.track = MakeTrack(1, kStart, spec.seconds);
    std::string error;
    ASSERT_TRUE(EncodeRecording(spec, &error)) << error;
    QProcess probe;
    probe.start(ffprobe, {"-v", "error", "-skip_initial_bytes", "40", "-f", "mpeg", "-count_frames", "-show_entries",
                          "stream=codec_name,width,height,nb_read_frames", "-of", "compact",
                          QString::fromStdString(spec.path)});
    ASSERT_TRUE(probe.waitForFinished(120000));
    QString out = QString::fromUtf8(probe.readAllStandardOutput());
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("codec_name=h264|width=176|height=144")) << out.toStdString();
    EXPECT_TRUE(out.contains("nb_read_frames=36")) << out.toStdString();
    EXPECT_TRUE(out.contains("codec_name=mp2")) << out.toStdString();
}

TEST(RecmediaEncoder, EncipheredRecordingDecodesOnlyWithItsKey) {
    RecordingSpec spec = SmallSpec("enc.rec");
    spec.key = "fleet-key-1";
    spec.withAudio = true;
    std::string error;
    ASSERT_TRUE(EncodeRecording(spec, &error)) << error;

    Summary raw = Summarise(spec.path);
    EXPECT_TRUE(raw.header.flags & recstream::kFlagEnciphered);
    EXPECT_TRUE(recstream::KeyMatches(raw.header, "fleet-key-1"));
    EXPECT_FALSE(recstream::KeyMatches(raw.header, "fleet-key-2"));
    EXPECT_EQ(raw.video, 36);
    EXPECT_EQ(raw.keys, 3);  // times and key frames still read without the key

    Summary right = Summarise(spec.path, "fleet-key-1");
    Summary wrong = Summarise(spec.path, "fleet-key-2");
    int w = 0, h = 0;
    EXPECT_EQ(DecodeCount(AV_CODEC_ID_H264, right.frames, &w, &h), 36);
    ASSERT_EQ(wrong.frames.size(), right.frames.size());
    for (size_t i = 0; i < right.frames.size(); ++i) {
        EXPECT_NE(wrong.frames[i], right.frames[i]);
        EXPECT_NE(raw.frames[i], right.frames[i]);
    }

    // The same RecordingSpec gives the same bytes (its nonce derives from it).
    std::string first = spec.path;
    spec.path = TempPath("enc.rec");
    ASSERT_TRUE(EncodeRecording(spec, &error));
    EXPECT_EQ(ReadAll(first), ReadAll(spec.path));
}

TEST(RecmediaEncoder, FastRepeatAndMpeg4Fallback) {
    RecordingSpec spec = SmallSpec("fast.rec");
    spec.seconds = 20;
    spec.fastRepeat = true;
    spec.withAudio = true;
    spec.track = MakeTrack(3, kStart, spec.seconds);
    spec.encipherVehicleData = true;
    std::string error;
    ASSERT_TRUE(EncodeRecording(spec, &error)) << error;
    Summary s = Summarise(spec.path);
    EXPECT_EQ(s.video, 240);
    EXPECT_EQ(s.keys, 20);
    ASSERT_EQ(s.blocks.size(), 20u);
    EXPECT_EQ(DecipherVehicleBlock(s.blocks[7]), MakeVehicleBlock(spec.track[7], false, 4));
    int w = 0, h = 0;
    EXPECT_EQ(DecodeCount(AV_CODEC_ID_H264, s.frames, &w, &h), 240);
    recstream::FileInfo info;
    ASSERT_TRUE(recstream::ReadFileInfo(spec.path, &info));
    EXPECT_EQ(info.lastTime, kStart + 19);

    RecordingSpec m4 = SmallSpec("m4.rec");
    m4.forceMpeg4 = true;
    ASSERT_TRUE(EncodeRecording(m4, &error)) << error;
    Summary t = Summarise(m4.path);
    EXPECT_EQ(t.header.videoCodec, recstream::kVideoMpeg4);
    EXPECT_EQ(t.header.flags, 0);
    EXPECT_TRUE(t.blocks.empty());
    EXPECT_EQ(DecodeCount(AV_CODEC_ID_MPEG4, t.frames, &w, &h), 36);
}

TEST(RecmediaEncoder, RefusesBadSpecs) {
    struct Case {
        const char* what;
        void (*change)(RecordingSpec&);
    } cases[] = {
        {"no path", [](RecordingSpec& s) { s.path.clear(); }},
        {"zero length", [](RecordingSpec& s) { s.seconds = 0; }},
        {"odd width", [](RecordingSpec& s) { s.width = 175; }},
        {"zero fps", [](RecordingSpec& s) { s.fps = 0; }},
        {"missing folder", [](RecordingSpec& s) { s.path = TempPath("no/such/folder/x.rec"); }},
        {"realistic pictures repeated", [](RecordingSpec& s) { s.realistic = s.fastRepeat = true; }},
    };
    for (const auto& c : cases) {
        RecordingSpec spec = SmallSpec("bad.rec");
        c.change(spec);
        std::string error;
        EXPECT_FALSE(EncodeRecording(spec, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}


// Realistic recordings: a recorder's bit rate for their size, detailed
// pictures that move every frame, the same bytes for the same arguments.
TEST(RecmediaEncoder, RealisticRecordingsLookAndWeighLikeARecorder) {
    struct Case {
        int width, height;
        double bitRate;   // bits per second
    } cases[] = {{1280, 720, 3e6}, {1920, 1080, 8e6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        RecordingSpec spec = SmallSpec("real.rec");
        spec.width = c.width;
        spec.height = c.height;
        spec.fps = 25;
        spec.seconds = 2;
        spec.realistic = true;
        spec.track = MakeTrack(2, kStart, spec.seconds);
        std::string error;
        ASSERT_TRUE(EncodeRecording(spec, &error)) << error;
        const std::vector<uint8_t> bytes = ReadAll(spec.path);
        const double rate = double(bytes.size() - 40) * 8 / spec.seconds;
        EXPECT_NEAR(rate, c.bitRate, c.bitRate * 0.25);

        Summary s = Summarise(spec.path);
        EXPECT_EQ(s.video, 50);
        EXPECT_EQ(s.keys, 2);
        EXPECT_EQ(s.blocks.size(), 2u);
        recstream::FileInfo info;
        ASSERT_TRUE(recstream::ReadFileInfo(spec.path, &info));
        EXPECT_EQ(info.lastTime, kStart + 1);
        const PictureStats st = DecodeStats(s.frames);
        EXPECT_EQ(st.count, 50);
        EXPECT_EQ(st.width, c.width);
        EXPECT_EQ(st.height, c.height);
        EXPECT_GT(st.minVariance, 500.0);   // detail, not a flat picture
        EXPECT_GT(st.minChange, 2.0);       // every picture moves

        // Same arguments, same bytes; another seed, another recording.
        spec.path = TempPath("real-again.rec");
        ASSERT_TRUE(EncodeRecording(spec, &error)) << error;
        EXPECT_TRUE(ReadAll(spec.path) == bytes);
        spec.seed += 1;
        spec.path = TempPath("real-other.rec");
        ASSERT_TRUE(EncodeRecording(spec, &error)) << error;
        EXPECT_FALSE(ReadAll(spec.path) == bytes);
    }
}

// ---- vehicle blocks ---------------------------------------------------------

// The text after the n-th occurrence of `c` (n >= 1).
std::string After(const std::string& text, char c, int n) {
    size_t at = std::string::npos;
    for (int i = 0; i < n; ++i) {
        at = text.find(c, at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) return {};
    }
    return text.substr(at + 1);
}
std::vector<std::string> Bars(const std::string& text, size_t count) {
    std::vector<std::string> fields;
    size_t at = 0;
    while (fields.size() < count) {
        size_t bar = text.find('|', at);
        if (bar == std::string::npos) break;
        size_t next = text.find('|', bar + 1);
        fields.push_back(text.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1));
        at = bar + 1;
    }
    return fields;
}

TEST(RecmediaVehicleBlock, PlainFieldsAndEncipheredForm) {
    TrackSample s;
    s.time = kStart;
    s.latitude = -33.5;
    s.longitude = 151.25;
    s.speedKmh = 87.25;
    s.headingDeg = 271.5;
    s.satellites = 9;
    s.locateMode = 'A';
    s.gScale = 1000;
    for (int k = 0; k < 10; ++k) s.gx[k] = static_cast<int16_t>(-k), s.gy[k] = 5, s.gz[k] = static_cast<int16_t>(990 + k);
    s.rightLight = true;
    s.brake = true;

    std::string plain = MakeVehicleBlock(s, false, 2);
    EXPECT_EQ(plain.rfind("$QORMOBILE,", 0), 0u);
    EXPECT_EQ(After(plain, ',', 1).substr(0, 6), "KELREC");
    EXPECT_EQ(After(plain, ',', 2)[0], 'E');
    EXPECT_EQ(After(plain, ',', 3).substr(0, 12), "240315123456");
    std::string blocks = After(plain, ',', 5);
    auto gp = Bars(blocks.substr(blocks.find("#GP")), 10);
    ASSERT_EQ(gp.size(), 10u);
    EXPECT_EQ(gp[0], std::to_string(std::lround(151.25 * 360000)));
    EXPECT_EQ(gp[1], std::to_string(std::lround(33.5 * 360000)));
    EXPECT_EQ(gp[2], "8725000");
    EXPECT_EQ(gp[3], "27150");
    EXPECT_EQ(gp[5], "E");
    EXPECT_EQ(gp[6], "S");
    EXPECT_EQ(gp[7], "A");
    EXPECT_EQ(gp[8], "9");
    auto gs = Bars(blocks.substr(blocks.find("#GS")), 34);
    ASSERT_EQ(gs.size(), 34u);
    EXPECT_EQ(gs[0], "1000");
    EXPECT_EQ(gs[4 + 3 * 9], "-9");   // x of the last sample
    EXPECT_EQ(gs[6 + 3 * 9], "999");  // z of the last sample
    auto me = Bars(blocks.substr(blocks.find("#ME")), 6);
    EXPECT_EQ(me, (std::vector<std::string>{"6", "0", "1", "1", "0", "0"}));
    EXPECT_EQ(After(plain, ',', 7), "+480|");

    // No fix, no heading, no G-sensor: the tags follow each other at once.
    TrackSample bare = s;
    bare.gpsValid = false;
    bare.gScale = 0;
    std::string b = MakeVehicleBlock(bare, false, 2);
    EXPECT_NE(b.find("#GP|#GS#ME|"), std::string::npos) << b;
    bare.gpsValid = true;
    bare.headingDeg = -1;
    b = MakeVehicleBlock(bare, false, 2);
    auto gp2 = Bars(b.substr(b.find("#GP")), 4);
    EXPECT_EQ(gp2[3], "");

    // Enciphered: two commas in clear, then 16-character groups of
    // '@'..'O' / 'P'..'_' pairs that DES-decipher to the plain text.
    std::string enc = MakeVehicleBlock(s, true, 2);
    std::string body = After(enc, ',', 2);
    ASSERT_FALSE(body.empty());
    ASSERT_EQ(body.size() % 16, 0u);
    std::vector<uint8_t> bytes(body.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char hi = body[2 * i], lo = body[2 * i + 1];
        ASSERT_TRUE(hi >= 0x40 && hi <= 0x4F);
        ASSERT_TRUE(lo >= 0x50 && lo <= 0x5F);
        bytes[i] = static_cast<uint8_t>((hi - 0x40) << 4 | (lo - 0x50));
    }
    const uint8_t key[8] = {'z', 'e', 'l', 'q', 'u', 'a', 'm', 'o'};
    recstream::DesEcb(key, bytes.data(), bytes.size() / 8, true);
    std::string back(reinterpret_cast<const char*>(bytes.data()));
    EXPECT_EQ(back, plain);
    EXPECT_EQ(DecipherVehicleBlock(enc), plain);
    EXPECT_NE(enc.rfind("$QORMOBILE", 0), 0u);
}

// ---- track ------------------------------------------------------------------

TEST(RecmediaTrack, DeterministicAndConsistentAcrossWindows) {
    auto a = MakeTrack(42, kStart, 600);
    auto b = MakeTrack(42, kStart + 300, 20);
    ASSERT_EQ(a.size(), 600u);
    for (size_t i = 0; i < b.size(); ++i) {
        const TrackSample& x = a[300 + i];
        const TrackSample& y = b[i];
        EXPECT_EQ(x.time, y.time);
        EXPECT_EQ(x.latitude, y.latitude);
        EXPECT_EQ(x.speedKmh, y.speedKmh);
        EXPECT_EQ(0, std::memcmp(x.gz, y.gz, sizeof(x.gz)));
    }
    auto other = MakeTrack(43, kStart, 600);
    int differing = 0;
    for (size_t i = 0; i < 600; ++i) differing += a[i].latitude != other[i].latitude;
    EXPECT_GT(differing, 0);
}

TEST(RecmediaTrack, BehavesLikeACar) {
    const uint32_t n = 7200;
    auto t = MakeTrack(7, kStart, n);
    double maxSpeed = 0;
    int stopped = 0, left = 0, right = 0, reverse = 0, brakingWithBrake = 0, braking = 0, alarms = 0, noFix = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const TrackSample& s = t[i];
        ASSERT_EQ(s.time, kStart + i);
        maxSpeed = std::max(maxSpeed, s.speedKmh);
        stopped += s.speedKmh < 0.1;
        left += s.leftLight;
        right += s.rightLight;
        reverse += s.reverse;
        alarms += s.alarm;
        noFix += !s.gpsValid;
        EXPECT_GE(s.satellites, 0);
        EXPECT_LE(s.satellites, 12);
        if (s.gpsValid) {
            EXPECT_GE(s.headingDeg, 0);
            EXPECT_LT(s.headingDeg, 360);
            EXPECT_NEAR(s.latitude, 30.27, 0.05);
        }
        if (i > 0) {
            double dv = s.speedKmh - t[i - 1].speedKmh;
            EXPECT_LT(std::fabs(dv), 15) << i;  // no jumps beyond a hard stop
            if (dv < -4) {
                ++braking;
                brakingWithBrake += s.brake;
            }
            // Moves no farther than its speed allows (1 degree ~ 111 km).
            double dy = (s.latitude - t[i - 1].latitude) * 111320;
            double dx = (s.longitude - t[i - 1].longitude) * 111320 * std::cos(30.27 * M_PI / 180);
            EXPECT_LT(std::hypot(dx, dy), std::max(s.speedKmh, t[i - 1].speedKmh) / 3.6 + 2) << i;
        }
    }
    EXPECT_GT(maxSpeed, 90);
    EXPECT_LT(maxSpeed, 115);
    EXPECT_GT(stopped, 0);
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
    EXPECT_GT(reverse, 0);
    EXPECT_GT(braking, 0);
    EXPECT_EQ(brakingWithBrake, braking);
    EXPECT_LT(alarms, 100);
    EXPECT_LT(noFix, 200);
}

}  // namespace
