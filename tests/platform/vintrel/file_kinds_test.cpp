// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of file an operator keeps plays in the player library: a
// recording, recordings joined by the downloader, the downloader's .mp4 of
// one recording and of two, and a damaged file. For each: open, first and
// last frame time, play to the end with every frame shown (on the clock
// turned by hand: on the real clock a busy machine makes the player leave
// frames out, as it should); on the .mp4: pause, move, single frames forwards
// and back, speed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "storage/OutputFileWriter.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "test_hooks.h"
#include "vintrel.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kStart = 1714557600;  // 2024-05-01 10:00:00 recorder time
constexpr int kFps = 10;

std::string TempPath(const std::string& name) { return (kel_test::ProgramFolder() + "/").toStdString() + name; }

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A recording of `seconds` from `start` on, with sound; `realistic`: a
// camera-like picture at a recorder's bit rate.
Bytes Recording(uint32_t start, uint32_t seconds, uint32_t seed, bool realistic = false) {
    recmedia::RecordingSpec spec;
    spec.path = TempPath("kind_rec_" + std::to_string(seed) + ".qrs");
    spec.start = start;
    spec.seconds = seconds;
    spec.width = 160;
    spec.height = 120;
    spec.fps = kFps;
    spec.seed = seed;
    spec.withAudio = true;
    if (realistic) {
        spec.realistic = true;
        spec.width = 640;
        spec.height = 360;
    }
    std::string error;
    EXPECT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    return ReadAll(spec.path);
}

// Saves recordings one after the other the way the downloader does: each
// recording's header, then its stream, into one writer; "DownloadVideoType"
// 1 converts to .mp4, 0 keeps the recorder stream.
std::string Download(const std::string& name, const std::vector<const Bytes*>& recordings, bool mp4) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, mp4 ? "1" : "0");
    const std::string path = TempPath(name);
    CStreamFileWriter w;
    EXPECT_TRUE(w.Open(path, false));
    for (const Bytes* rec : recordings) {
        EXPECT_EQ(w.Write(rec->data(), 40), 40u);
        for (size_t at = 40; at < rec->size(); at += 8192) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(8192, rec->size() - at));
            EXPECT_EQ(w.Write(rec->data() + at, n), n);
        }
    }
    EXPECT_TRUE(w.Close());
    return path;
}

uint32_t Packed(uint32_t recorderSeconds) {
    const time_t t = recorderSeconds;
    struct tm c = {};
    gmtime_r(&t, &c);
    return uint32_t(c.tm_year + 1900 - 2000) << 26 | uint32_t(c.tm_mon + 1) << 22 | uint32_t(c.tm_mday) << 17 |
           uint32_t(c.tm_hour) << 12 | uint32_t(c.tm_min) << 6 | uint32_t(c.tm_sec);
}

uint32_t Seconds(const OSTRUM_FILE_TIME& f) {
    struct tm c = {};
    c.tm_year = f.year - 1900;
    c.tm_mon = f.month - 1;
    c.tm_mday = f.day;
    c.tm_hour = f.hour;
    c.tm_min = f.minute;
    c.tm_sec = f.second;
    return static_cast<uint32_t>(timegm(&c));
}

// Recorder time of every frame shown on the port, in order: packed seconds
// and milliseconds.
struct Shown {
    std::mutex m;
    std::vector<uint32_t> times;
    std::vector<int64_t> ms;
};
Shown* g_shown = nullptr;
int g_port = -1;
void OnDisplay(int port, const char*, int, int, int, int, int) {
    if (!g_shown || port != g_port) return;
    const uint32_t t = Ostrum_GetSpecialData(port);
    OSTRUM_FILE_TIME played{};
    const int64_t ms = Ostrum_GetPlayedTime(port, &played) ? int64_t(Seconds(played)) * 1000 + played.millisecond : -1;
    std::lock_guard<std::mutex> lk(g_shown->m);
    g_shown->times.push_back(t);
    g_shown->ms.push_back(ms);
}

// Recorder milliseconds of every frame of recordings of `kFps` that begin
// on a whole second: (start, seconds) each.
std::vector<int64_t> FrameTimes(const std::vector<std::pair<uint32_t, uint32_t>>& spans) {
    std::vector<int64_t> out;
    for (const auto& [start, seconds] : spans)
        for (uint32_t i = 0; i < seconds * kFps; ++i) out.push_back(int64_t(start) * 1000 + i * (1000 / kFps));
    return out;
}

// Copies the streams and the metadata (the recorder time among them) of a
// media file into a new file of another container, without decoding.
bool Remux(const std::string& source, const std::string& target, const char* format) {
    AVFormatContext* in = nullptr;
    if (avformat_open_input(&in, source.c_str(), nullptr, nullptr) < 0) return false;
    AVFormatContext* out = nullptr;
    bool ok = avformat_find_stream_info(in, nullptr) >= 0 &&
              avformat_alloc_output_context2(&out, nullptr, format, target.c_str()) >= 0 && out;
    for (unsigned i = 0; ok && i < in->nb_streams; ++i) {
        AVStream* s = avformat_new_stream(out, nullptr);
        ok = s && avcodec_parameters_copy(s->codecpar, in->streams[i]->codecpar) >= 0;
        if (ok) s->codecpar->codec_tag = 0;
        if (ok) s->time_base = in->streams[i]->time_base;
    }
    if (ok) av_dict_copy(&out->metadata, in->metadata, 0);
    ok = ok && avio_open(&out->pb, target.c_str(), AVIO_FLAG_WRITE) >= 0;
    ok = ok && avformat_write_header(out, nullptr) >= 0;
    AVPacket* pkt = av_packet_alloc();
    while (ok && av_read_frame(in, pkt) >= 0) {
        av_packet_rescale_ts(pkt, in->streams[pkt->stream_index]->time_base,
                             out->streams[pkt->stream_index]->time_base);
        ok = av_interleaved_write_frame(out, pkt) >= 0;
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    ok = ok && av_write_trailer(out) >= 0;
    if (out && out->pb) avio_closep(&out->pb);
    avformat_free_context(out);
    avformat_close_input(&in);
    return ok;
}

class FileKinds : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        first = new Bytes(Recording(kStart, 4, 1));
        second = new Bytes(Recording(kStart + 10, 3, 2));   // a gap of 6 s after the first
        realistic = new Bytes(Recording(kStart + 20, 3, 3, true));
    }
    static void TearDownTestSuite() {
        delete first;
        delete second;
        delete realistic;
    }
    void SetUp() override {
        ASSERT_TRUE(Ostrum_GetPort(&port));
        g_port = port;
        g_shown = &shown;
        ASSERT_TRUE(Ostrum_SetDisplayCallBack(port, &OnDisplay));
    }
    void TearDown() override {
        Ostrum_FreePort(port);
        g_shown = nullptr;
        g_port = -1;
    }
    std::vector<uint32_t> Times() {
        std::lock_guard<std::mutex> lk(shown.m);
        return shown.times;
    }
    std::vector<int64_t> ShownMs() {
        std::lock_guard<std::mutex> lk(shown.m);
        return shown.ms;
    }
    void ClearShown() {
        std::lock_guard<std::mutex> lk(shown.m);
        shown.times.clear();
        shown.ms.clear();
    }
    bool PlayedOut() { return Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0; }
    // On the manual clock: plays until the port has played out (and
    // `allGiven`: its stream has been given whole), turning the clock by
    // `stepMs` (less than a frame at the speed set) only once the next frame
    // is decoded and waits for its time, so no frame is ever late however
    // slowly the machine decodes. False when the port stops short.
    bool PlayOutOnManualClock(int64_t stepMs, const std::function<bool()>& allGiven = [] { return true; }) {
        auto done = [&] { return allGiven() && PlayedOut(); };
        for (;;) {
            if (!kel_test::WaitUntil([&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_VIDEO) > 0 || done(); }))
                return false;
            if (Ostrum_GetBufferValue(port, OSTRUM_BUF_VIDEO) == 0 && done()) return true;
            vintrel::AdvanceManualClock(stepMs);
        }
    }

    static Bytes* first;
    static Bytes* second;
    static Bytes* realistic;
    int port = -1;
    Shown shown;
};
Bytes* FileKinds::first = nullptr;
Bytes* FileKinds::second = nullptr;
Bytes* FileKinds::realistic = nullptr;

// Each kind played to its end at 8 times normal speed, twice. On the clock
// turned by hand, never late: every frame, in order. On the real clock, what
// holds however busy the machine is (a port behind its clock passes over
// frames to a key frame): the first frame comes first, nothing comes twice or
// out of order, nothing that is not a frame of the file, and the file plays
// out.
TEST_F(FileKinds, OpenTimesAndPlayToTheEnd) {
    struct Case {
        const char* name;
        std::vector<const Bytes*> parts;
        bool mp4;
        std::vector<std::pair<uint32_t, uint32_t>> spans;   // recorder start and seconds of each part
    } cases[] = {
        {"kind_single_raw.mp4", {first}, false, {{kStart, 4}}},
        {"kind_joined_raw.mp4", {first, second}, false, {{kStart, 4}, {kStart + 10, 3}}},
        {"kind_single_mp4.mp4", {first}, true, {{kStart, 4}}},
        {"kind_joined_mp4.mp4", {first, second}, true, {{kStart, 4}, {kStart + 10, 3}}},
        {"kind_realistic_raw.mp4", {realistic}, false, {{kStart + 20, 3}}},
        {"kind_realistic_mp4.mp4", {realistic}, true, {{kStart + 20, 3}}},
    };
    for (const Case& c : cases) {
        const std::string path = Download(c.name, c.parts, c.mp4);
        const std::vector<int64_t> frames = FrameTimes(c.spans);
        for (const bool manual : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (manual ? " on the manual clock" : " on the real clock"));
            std::unique_ptr<vintrel::ScopedManualClock> clock;
            if (manual) clock = std::make_unique<vintrel::ScopedManualClock>(1000000);
            ClearShown();
            ASSERT_TRUE(Ostrum_OpenFile(port, path.c_str())) << Ostrum_GetLastError(port);
            OSTRUM_FILE_TIME a{}, b{};
            ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &a, &b));
            EXPECT_EQ(Seconds(a), c.spans.front().first);
            EXPECT_EQ(Seconds(b), c.spans.back().first + c.spans.back().second - 1);

            ASSERT_TRUE(Ostrum_Play(port, nullptr));
            for (int i = 0; i < 3; ++i) ASSERT_TRUE(Ostrum_Fast(port));   // 8 times normal speed
            if (manual)
                ASSERT_TRUE(PlayOutOnManualClock(10));   // 80 ms of a 10 fps recording a turn
            else
                ASSERT_TRUE(kel_test::WaitUntil([&] { return !ShownMs().empty() && PlayedOut(); }));
            const std::vector<int64_t> shownMs = ShownMs();
            EXPECT_EQ(Ostrum_GetCurrentFrameNum(port), shownMs.size());
            if (manual) {
                EXPECT_EQ(shownMs, frames);
            } else {
                ASSERT_FALSE(shownMs.empty());
                EXPECT_EQ(shownMs.front(), frames.front());
                EXPECT_TRUE(std::adjacent_find(shownMs.begin(), shownMs.end(), std::greater_equal<int64_t>()) ==
                            shownMs.end());
                EXPECT_TRUE(std::includes(frames.begin(), frames.end(), shownMs.begin(), shownMs.end()));
            }
            const std::vector<uint32_t> times = Times();
            ASSERT_FALSE(times.empty());
            EXPECT_EQ(times.front(), Packed(c.spans.front().first));
            ASSERT_TRUE(Ostrum_CloseFile(port));
        }
    }
}

TEST_F(FileKinds, DamagedFilesAreRefusedWithTheirReason) {
    const Bytes mp4 = ReadAll(Download("kind_whole.mp4", {first}, true));
    struct Case {
        const char* name;
        Bytes bytes;
        uint32_t error;
    } cases[] = {
        {"kind_noise.mp4", Bytes(50000, 0x5A), OSTRUM_ERR_UNSUPPORTED},
        {"kind_empty.mp4", Bytes(), OSTRUM_ERR_UNSUPPORTED},
        {"kind_headless.mp4", Bytes(mp4.begin() + static_cast<std::ptrdiff_t>(mp4.size() / 2), mp4.end()),
         OSTRUM_ERR_UNSUPPORTED},
        // A recorder header followed by no stream at all.
        {"kind_header_only.mp4", Bytes(first->begin(), first->begin() + 40), OSTRUM_ERR_FILE_OPEN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = TempPath(c.name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()),
                                                     static_cast<std::streamsize>(c.bytes.size()));
        EXPECT_FALSE(Ostrum_OpenFile(port, path.c_str()));
        EXPECT_EQ(Ostrum_GetLastError(port), c.error);
        EXPECT_FALSE(Ostrum_Play(port, nullptr));
    }
}

// A recording made on the recorder clock's very first second (a recorder
// whose clock was reset) keeps that time in its converted file and in a clip
// cut from it: an .mp4 creation time cannot say it (0 there means none).
// Once the converted file was refused as one without a recorder time.
TEST_F(FileKinds, TheClocksFirstSecondIsKeptInConvertedFilesAndClips) {
    const Bytes atZero = Recording(0, 3, 5);
    const std::string path = Download("kind_zero.mp4", {&atZero}, true);
    OSTRUM_FILE_TIME first{}, last{};
    ASSERT_TRUE(Ostrum_OpenFile(port, path.c_str())) << Ostrum_GetLastError(port);
    ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &first, &last));
    EXPECT_EQ(Seconds(first), 0u);
    EXPECT_EQ(Seconds(last), 2u);
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return PlayedOut() && !Times().empty(); }));
    OSTRUM_FILE_TIME shown{};
    ASSERT_TRUE(Ostrum_GetPlayedTime(port, &shown));
    EXPECT_EQ(Seconds(shown), 2u);
    EXPECT_TRUE(Ostrum_CloseFile(port));

    const std::string clip = TempPath("kind_zero_clip.mp4");
    const OSTRUM_FILE_TIME from{1970, 1, 1, 0, 0, 0, 0}, to{1970, 1, 1, 0, 0, 1, 999};
    ASSERT_TRUE(Ostrum_CutFile(path.c_str(), &from, &to, clip.c_str()));
    ASSERT_TRUE(Ostrum_OpenFile(port, clip.c_str())) << Ostrum_GetLastError(port);
    ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &first, &last));
    EXPECT_EQ(Seconds(first), 0u);
    EXPECT_EQ(Seconds(last), 1u);
    EXPECT_TRUE(Ostrum_CloseFile(port));
}

// The same pictures and recorder time in another container: the library
// reads .mp4 files only, so a file of another kind is refused (named .mp4
// or not), never handed to whatever demuxer would take it.
TEST_F(FileKinds, OnlyTheMp4ContainerIsRead) {
    const std::string mp4 = Download("kind_source.mp4", {first}, true);
    ASSERT_TRUE(Ostrum_OpenFile(port, mp4.c_str()));
    EXPECT_TRUE(Ostrum_CloseFile(port));
    for (const char* name : {"kind_other.mkv", "kind_other_named.mp4"}) {
        SCOPED_TRACE(name);
        const std::string other = TempPath(name);
        ASSERT_TRUE(Remux(mp4, other, "matroska"));
        EXPECT_FALSE(Ostrum_OpenFile(port, other.c_str()));
        EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_UNSUPPORTED));
        const OSTRUM_FILE_TIME from{2024, 5, 1, 10, 0, 0, 0}, to{2024, 5, 1, 10, 0, 1, 0};
        const std::string clip = TempPath("kind_other_clip.mp4");
        EXPECT_FALSE(Ostrum_CutFile(other.c_str(), &from, &to, clip.c_str()));
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(clip)));
    }
}

// A converted file whose H.264 track has no decoder configuration (an input
// the fuzzing of clips found, kept in data/) still opens and plays as far as
// it can, but a clip of it would carry an empty configuration that no reader
// opens: the clip is refused and no file is left. Once such a clip was
// written and reported as saved.
TEST_F(FileKinds, NoClipOfATrackWithoutItsDecoderConfiguration) {
    const std::string path =
        std::string(getenv("KEL_SOURCE_DIR")) + "/tests/platform/vintrel/data/track_without_decoder_config.mp4";
    OSTRUM_FILE_TIME first{}, last{};
    ASSERT_TRUE(Ostrum_OpenFile(port, path.c_str())) << Ostrum_GetLastError(port);
    ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &first, &last));
    EXPECT_TRUE(Ostrum_CloseFile(port));
    const std::string clip = TempPath("kind_no_config_clip.mp4");
    EXPECT_FALSE(Ostrum_CutFile(path.c_str(), &first, &last, clip.c_str()));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(clip)));
}

TEST_F(FileKinds, PauseMoveStepAndSpeedOnAnMp4) {
    const vintrel::ScopedManualClock clock(1000000);
    const Bytes longer = Recording(kStart, 10, 3);
    const std::string path = Download("kind_controls.mp4", {&longer}, true);
    ASSERT_TRUE(Ostrum_OpenFile(port, path.c_str()));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetSpecialData(port) != 0; }));
    ASSERT_TRUE(Ostrum_Pause(port, 1));

    // Moved while paused: the first frame at the time comes with a single step.
    OSTRUM_FILE_TIME target{2024, 5, 1, 10, 0, 6, 0};
    ASSERT_TRUE(Ostrum_SetPlayedTime(port, &target));
    ASSERT_TRUE(Ostrum_OneByOne(port));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetSpecialData(port) == Packed(kStart + 6); }));
    // Ten more single frames reach the next second; none is shown on its own.
    for (int i = 0; i < 10; ++i) {
        const uint32_t n = Ostrum_GetCurrentFrameNum(port);
        ASSERT_TRUE(Ostrum_OneByOne(port));
        ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetCurrentFrameNum(port) == n + 1; }));
    }
    EXPECT_EQ(Ostrum_GetSpecialData(port), Packed(kStart + 7));
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(Ostrum_OneByOneBack(port));
    EXPECT_EQ(Ostrum_GetSpecialData(port), Packed(kStart + 6));

    // Back to an earlier time, then on at 16 times normal speed to the end.
    const size_t mark = Times().size();
    target.second = 2;
    ASSERT_TRUE(Ostrum_SetPlayedTime(port, &target));
    ASSERT_TRUE(Ostrum_Pause(port, 0));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetSpecialData(port) == Packed(kStart + 2); }));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Ostrum_Fast(port));
    ASSERT_TRUE(PlayOutOnManualClock(5));   // 80 ms a turn
    EXPECT_EQ(Ostrum_GetSpecialData(port), Packed(kStart + 9));
    // Every frame from 2 s on was shown once after the move.
    const std::vector<uint32_t> times = Times();
    const auto from = std::find(times.begin() + static_cast<std::ptrdiff_t>(mark), times.end(), Packed(kStart + 2));
    ASSERT_NE(from, times.end());
    EXPECT_EQ(times.end() - from, 8 * kFps);
    EXPECT_TRUE(std::is_sorted(from, times.end()));
    EXPECT_FALSE(Ostrum_Fast(port));   // the top speed step
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_SPEED_LIMIT));
    EXPECT_TRUE(Ostrum_CloseFile(port));
}

// Moves inside joined recordings land on the right recording's clock, also
// back into the first one after the second has been reached.
TEST_F(FileKinds, MovesInsideJoinedRecordings) {
    const vintrel::ScopedManualClock clock(1000000);
    const std::string path = Download("kind_joined_moves.mp4", {first, second}, false);
    ASSERT_TRUE(Ostrum_OpenFile(port, path.c_str()));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    ASSERT_TRUE(Ostrum_Pause(port, 1));   // nothing is shown but the single frames asked for
    for (const uint32_t at : {kStart + 11, kStart + 1, kStart + 12}) {
        SCOPED_TRACE(at - kStart);
        const size_t mark = Times().size();   // a frame still on its way when paused may come first
        const time_t t = at;
        struct tm c = {};
        gmtime_r(&t, &c);
        const OSTRUM_FILE_TIME target{c.tm_year + 1900, c.tm_mon + 1, c.tm_mday, c.tm_hour, c.tm_min, c.tm_sec, 0};
        ASSERT_TRUE(Ostrum_SetPlayedTime(port, &target));
        ASSERT_TRUE(Ostrum_OneByOne(port));
        // On a wrong clock the frame shown would be of another second.
        ASSERT_TRUE(kel_test::WaitUntil([&] { return Times().size() > mark && Times().back() == Packed(at); }));
    }
    ASSERT_TRUE(Ostrum_Pause(port, 0));
    ASSERT_TRUE(PlayOutOnManualClock(40));
    EXPECT_EQ(Times().back(), Packed(kStart + 12));
    EXPECT_TRUE(Ostrum_CloseFile(port));
}

// Joined recordings given as a stream (the direct file reader hands the file
// on block by block) play on each recording's clock too.
TEST_F(FileKinds, JoinedRecordingsAsAStream) {
    const vintrel::ScopedManualClock clock(1000000);
    const Bytes joined = ReadAll(Download("kind_joined_stream.mp4", {first, second}, false));
    ASSERT_TRUE(Ostrum_OpenStream(port, joined.data(), 40, 0));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Ostrum_Fast(port));
    // Given block by block from a thread of its own, as the reader does,
    // waiting while the port's buffer is full; the clock turns meanwhile.
    std::atomic<bool> given{false}, stop{false};
    std::thread reader([&] {
        for (size_t at = 40; at < joined.size() && !stop;) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(8192, joined.size() - at));
            if (Ostrum_InputData(port, joined.data() + at, n))
                at += n;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        given = Ostrum_InputData(port, nullptr, static_cast<uint32_t>(-1)) && !stop;
    });
    const bool playedOut = PlayOutOnManualClock(10, [&] { return given.load(); });
    stop = true;
    reader.join();
    ASSERT_TRUE(playedOut);
    const std::vector<uint32_t> times = Times();
    EXPECT_EQ(times.size(), 7u * kFps);
    EXPECT_EQ(times.front(), Packed(kStart));
    EXPECT_EQ(times.back(), Packed(kStart + 12));
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
}

}  // namespace
