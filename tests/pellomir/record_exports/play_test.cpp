// SPDX-License-Identifier: GPL-3.0-or-later
// Playback through the library's exports: into no window and into an
// offscreen widget, its controls, and stops that meet a busy stream.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <future>
#include <string>

#include "PlayContext.h"
#include "kel_test/scoped_mount.h"
#include "platform/savefile/save_calls.h"
#include "merrowfen.h"
#include "record_fixture.h"
#include "recmedia/disk_writer.h"
#include "recmedia/encoder.h"
#include "recstream/recstream.h"
#include "vintrel.h"

namespace {

using namespace std::chrono_literals;

recmedia::MediaSpec PlaySpec(const std::string& key = std::string())
{
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 2;
    spec.seconds = 20;
    spec.width = 176;
    spec.height = 144;
    spec.repeatGop = true;
    spec.key = key;
    spec.logs = false;
    spec.events = false;
    spec.pictures = false;
    spec.vehicleFiles = false;
    return spec;
}

int64_t Seconds(const DVR_FILE_TIME& t)
{
    return recmedia::FromHdTime(HD_FILE_TIME{t.year, t.month, t.day, t.hour, t.minute, t.second});
}

// Recorder time of the frame on screen, or -1 while none is shown. Keeps
// the GUI thread's events flowing (the player draws there).
int64_t Shown(int32_t stream)
{
    QCoreApplication::processEvents();
    DVR_FILE_TIME t{};
    return DVR_FILE_GetOsdTime(stream, &t) ? Seconds(t) : -1;
}

class RecordPlay : public ::testing::Test {
protected:
    void TearDown() override { DVR_FILE_CloseSound(); }
    RecordMedium medium{PlaySpec()};
};

TEST_F(RecordPlay, ByFileIntoNoWindowWithItsControls)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const int32_t stream = DVR_FILE_Play(FoundName(medium, r).c_str(), nullptr, nullptr, 1);
    ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
    EXPECT_EQ(DVR_FILE_GetPlayState(stream), 1);
    EXPECT_GE(DVR_FILE_GetVintrelPort(stream), 0);
    ASSERT_TRUE(WaitUntil([&] { return Shown(stream) >= 0; }));
    EXPECT_GE(Shown(stream), r.start);
    EXPECT_LE(Shown(stream), r.end);

    EXPECT_EQ(DVR_FILE_GetTotalTime(stream), static_cast<int32_t>(r.end - r.start + 1));
    EXPECT_EQ(DVR_FILE_GetTotalFrames(stream), static_cast<int32_t>(r.end - r.start + 1) * 25);
    int32_t width = 0, height = 0;
    EXPECT_EQ(DVR_FILE_GetPictureSize(stream, &width, &height), 1);
    EXPECT_EQ(width, 176);
    EXPECT_EQ(height, 144);
    EXPECT_GT(DVR_FILE_GetCurrentFrameNum(stream), 0);
    int32_t b = 0, c = 0, s = 0, h = 0;
    EXPECT_EQ(DVR_FILE_SetVideoPara(stream, 70, 60, 50, 64), 1);
    EXPECT_EQ(DVR_FILE_GetVideoPara(stream, &b, &c, &s, &h), 1);
    EXPECT_EQ(b, 70);
    EXPECT_EQ(s, 50);
    EXPECT_EQ(DVR_FILE_ThrowBFrame(stream, 0), 1);
    EXPECT_EQ(DVR_FILE_RefreshPlay(stream), 1);

    // Pause holds the frame on screen; the played time counts from 1.
    EXPECT_EQ(DVR_FILE_Pause(stream, 1), 1);
    const int64_t held = Shown(stream);
    EXPECT_EQ(DVR_FILE_GetPlayedTime(stream), static_cast<int32_t>(held - r.start + 1));
    const std::string snapshot = medium.NewFolder("shots") + "/frame.jpg";
    EXPECT_EQ(DVR_FILE_CapturePicture(stream, snapshot.c_str()), 1);
    const std::vector<uint8_t> jpeg = Slurp(snapshot);
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(DVR_FILE_CapturePicture(stream, "/nonexistent/folder/x.jpg"), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN);
    EXPECT_EQ(DVR_FILE_OneByOne(stream), 1);
    EXPECT_TRUE(WaitUntil([&] { return Shown(stream) >= held; }));
    EXPECT_EQ(DVR_FILE_Pause(stream, 0), 1);

    // Speed steps up to the player's limit, whose refusal carries its code.
    EXPECT_EQ(DVR_FILE_Slow(stream), 1);
    int32_t fast = 1;
    for (int i = 0; i < 12 && fast; ++i)
        fast = DVR_FILE_Fast(stream);
    EXPECT_EQ(fast, 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PLAYER_BASE + OSTRUM_ERR_SPEED_LIMIT);
    EXPECT_EQ(DVR_FILE_NormalPlay(stream), 1);

    // Seek by time.
    DVR_FILE_Pause(stream, 1);
    const DVR_FILE_TIME target = ToDvrTime(r.start + 12);
    EXPECT_EQ(DVR_FILE_SetPosByTime(stream, &target), 1);
    DVR_FILE_Pause(stream, 0);
    EXPECT_TRUE(WaitUntil([&] { return Shown(stream) >= r.start + 12; }));
    const DVR_FILE_TIME outside = ToDvrTime(r.end + 100);
    EXPECT_EQ(DVR_FILE_SetPosByTime(stream, &outside), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_SEEK);
    // Seek by share of the stream.
    EXPECT_EQ(DVR_FILE_SetPos(stream, 75), 1);
    EXPECT_TRUE(WaitUntil([&] { return Shown(stream) >= r.start + 10; }));
    EXPECT_EQ(DVR_FILE_SetPos(stream, 150), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_PARAM);
    const int32_t pos = DVR_FILE_GetPos(stream);
    EXPECT_GE(pos, 0);
    EXPECT_LE(pos, 100);

    EXPECT_EQ(DVR_FILE_Stop(stream), 1);
    EXPECT_EQ(DVR_FILE_GetPlayState(stream), 0);
    EXPECT_EQ(DVR_FILE_Pause(stream, 1), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_ORDER);
}

// A snapshot asked onto a file that is there replaces it only once the new
// picture is whole: on a full disk the file stays as it was, the failure
// carries the "create file failed" code, and nothing is left beside it.
TEST_F(RecordPlay, ASnapshotOntoAFileOfAFullDiskLeavesThatFile)
{
    ASSERT_TRUE(medium.ok());
    kel_test::ScopedMount disk = kel_test::ScopedMount::Tmpfs(medium.NewFolder("small disk"), 256 * 1024);
    if (!disk.ok())
        GTEST_SKIP() << disk.why();
    const std::string shot = disk.path() + "/frame.jpg";
    const std::vector<uint8_t> before(3000, 0x5A);
    {
        QFile f(QString::fromStdString(shot));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(before.data()), static_cast<qint64>(before.size()));
    }
    // The rest of the disk is taken but for less than one picture.
    const std::string filler = disk.path() + "/filler";
    {
        QFile f(QString::fromStdString(filler));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray block(512, '\0');
        while (f.write(block) == block.size() && f.flush()) {
        }
    }

    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const int32_t stream = DVR_FILE_Play(FoundName(medium, r).c_str(), nullptr, nullptr, 1);
    ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
    ASSERT_TRUE(WaitUntil([&] { return Shown(stream) >= 0; }));
    EXPECT_EQ(DVR_FILE_Pause(stream, 1), 1);

    EXPECT_EQ(DVR_FILE_CapturePicture(stream, shot.c_str()), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_CREATE_FILE);
    EXPECT_EQ(Slurp(shot), before);
    EXPECT_EQ(QDir(QString::fromStdString(disk.path())).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"filler", "frame.jpg"}));

    // With room on the disk the picture takes the file's place, flushed to
    // the disk before, and its folder after.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(filler)));
    {
        kel_test::ScopedSaveCalls calls;
        EXPECT_EQ(DVR_FILE_CapturePicture(stream, shot.c_str()), 1) << DVR_FILE_GetLastError();
        const std::string part = kel_test::ScopedSaveCalls::Resolved(shot + ".part");
        const int flushed = calls.Find("flush " + part);
        const int renamed = calls.Find("rename " + part + " -> " + kel_test::ScopedSaveCalls::Resolved(shot));
        ASSERT_GE(flushed, 0);
        EXPECT_GT(renamed, flushed);
        EXPECT_GT(calls.Find("flush " + kel_test::ScopedSaveCalls::ResolvedFolder(disk.path()), renamed), renamed);
    }
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(shot), "JPG"));
    EXPECT_EQ(picture.size(), QSize(176, 144));
    EXPECT_EQ(QDir(QString::fromStdString(disk.path())).entryList(QDir::Files | QDir::Hidden),
              QStringList{"frame.jpg"});
    EXPECT_EQ(DVR_FILE_Stop(stream), 1);
}

TEST_F(RecordPlay, ReverseGoesBackOnlyForFilePlayback)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(1);
    const int32_t stream = DVR_FILE_Play(FoundName(medium, r).c_str(), nullptr, nullptr, 0);
    ASSERT_GE(stream, 0);
    ASSERT_TRUE(WaitUntil([&] { return Shown(stream) >= r.start + 6; }));
    ASSERT_EQ(DVR_FILE_Reverse(stream, 1), 1) << DVR_FILE_GetLastError();
    const int64_t turned = Shown(stream);
    EXPECT_TRUE(WaitUntil([&] { return Shown(stream) >= 0 && Shown(stream) < turned - 1; }));
    // Already backwards: stays so.
    EXPECT_EQ(DVR_FILE_Reverse(stream, 1), 1);
    ASSERT_EQ(DVR_FILE_NormalPlay(stream), 1) << DVR_FILE_GetLastError();
    const int64_t forward = Shown(stream);
    EXPECT_TRUE(WaitUntil([&] { return Shown(stream) > forward + 1; }));
    EXPECT_EQ(DVR_FILE_Stop(stream), 1);

    // A by-time playback spanning both recordings cannot go backwards.
    const DVR_FILE_TIME s = ToDvrTime(medium.OfChannel(1).at(0).start + 15), e = ToDvrTime(r.start + 5);
    const int32_t byTime = DVR_FILE_PlayFileByTime("E", &s, &e, 1, nullptr);
    ASSERT_GE(byTime, 0) << DVR_FILE_GetLastError();
    EXPECT_EQ(DVR_FILE_Reverse(byTime, 1), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PLAY_FILE_ONLY);
    ASSERT_TRUE(WaitUntil([&] { return Shown(byTime) >= 0; }));
    EXPECT_GE(Shown(byTime), Seconds(s));
    EXPECT_EQ(DVR_FILE_Stop(byTime), 1);

    // Backwards from the end.
    const int32_t back = DVR_FILE_ReversePlay(FoundName(medium, r).c_str(), nullptr);
    ASSERT_GE(back, 0);
    ASSERT_TRUE(WaitUntil([&] { return Shown(back) >= 0; }));
    const int64_t first = Shown(back);
    const auto firstSeen = std::chrono::steady_clock::now();
    EXPECT_GE(first, r.end - 2);
    EXPECT_TRUE(WaitUntil([&] { return Shown(back) < first; }));
    // Backwards at normal speed moves on the recorder's clock: three seconds
    // back take at least the two seconds between the key frames they cross
    // (a busy machine only makes it slower).
    ASSERT_TRUE(WaitUntil([&] { return Shown(back) <= first - 3; }));
    EXPECT_GE(std::chrono::steady_clock::now() - firstSeen, std::chrono::seconds(2));
    EXPECT_EQ(DVR_FILE_Stop(back), 1);
}

std::atomic<int> g_draws{0};
void CountDraw(int32_t, void*, void*)
{
    ++g_draws;
}

std::atomic<int> g_vehicleBlocks{0};
void CountVehicleData(int32_t, const void* data, void* user)
{
    const auto* block = static_cast<const OSTRUM_ADDITION_DATA*>(data);
    if (user == &g_vehicleBlocks && block && block->dataType == OSTRUM_ADDITION_VEHICLE && block->length > 0)
        ++g_vehicleBlocks;
}

TEST_F(RecordPlay, IntoAnOffscreenWidget)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    QWidget window;
    window.resize(320, 240);
    window.show();
    const int32_t stream = DVR_FILE_Play(FoundName(medium, r).c_str(), &window, nullptr, 0);
    ASSERT_GE(stream, 0);
    EXPECT_EQ(DVR_FILE_RigisterDrawFun(stream, &CountDraw, nullptr), 1);
    EXPECT_EQ(DVR_FILE_SetPrivateDataCallBack(stream, &CountVehicleData, &g_vehicleBlocks), 1);
    EXPECT_TRUE(WaitUntil([&] {
        Shown(stream);
        return g_draws.load() > 2 && g_vehicleBlocks.load() > 0;
    }));
    EXPECT_EQ(DVR_FILE_Stop(stream), 1);
    QCoreApplication::processEvents();
}

TEST(RecordPlayKey, AnEncipheredRecordingPlaysWithItsKey)
{
    RecordMedium medium(PlaySpec("k3y-of-the-fleet"));
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const std::string name = FoundName(medium, r);
    EXPECT_EQ(DVR_FILE_Play(name.c_str(), nullptr, "a-key-far-longer-than-fits", 0), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    const int32_t stream = DVR_FILE_Play(name.c_str(), nullptr, "k3y-of-the-fleet", 0);
    ASSERT_GE(stream, 0);
    EXPECT_TRUE(WaitUntil([&] { return Shown(stream) >= static_cast<int64_t>(r.start); }));
    EXPECT_EQ(DVR_FILE_Stop(stream), 1);
}

// A large recording that the paused player cannot take in: its data
// callback waits for room.
class BusyStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = kel_test::ProgramFolder().toStdString() + "/busy.qrv";
        recmedia::RecordingSpec spec;
        spec.path = path;
        spec.start = 1709280000;
        spec.seconds = 150;
        spec.width = 704;
        spec.height = 576;
        spec.fastRepeat = true;
        std::string error;
        ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
        ASSERT_GT(Slurp(path).size(), 3u * pellomir::kPlayerBufferSize);
    }

    // Opens a playback and waits until its callback is stuck on a full player.
    int32_t OpenBlocked()
    {
        const int32_t stream = DVR_FILE_Play(path.c_str(), nullptr, nullptr, 0);
        EXPECT_GE(stream, 0);
        const int port = DVR_FILE_GetVintrelPort(stream);
        EXPECT_TRUE(WaitUntil([&] { return DVR_FILE_Pause(stream, 1) == 1; }));
        EXPECT_TRUE(WaitUntil([&] { return Ostrum_GetSourceBufferRemain(port) + 64 * 1024 > pellomir::kPlayerBufferSize; }));
        return stream;
    }
    std::string path;
};

TEST_F(BusyStream, StopEndsAStreamWhoseCallbackWaits)
{
    const int32_t stream = OpenBlocked();
    const int port = DVR_FILE_GetVintrelPort(stream);
    auto stopping = std::async(std::launch::async, [&] { return DVR_FILE_Stop(stream); });
    ASSERT_EQ(stopping.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(stopping.get(), 1);
    EXPECT_EQ(DVR_FILE_GetPlayState(stream), 0);
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_PORT));  // freed
}

TEST_F(BusyStream, ConcurrentStopsAndControlsFreeThePortOnce)
{
    const int32_t stream = OpenBlocked();
    const int port = DVR_FILE_GetVintrelPort(stream);
    std::atomic<int> stops{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] { stops += DVR_FILE_Stop(stream) ? 1 : 0; });
        threads.emplace_back([&] {
            for (int k = 0; k < 50; ++k) {
                DVR_FILE_Fast(stream);
                DVR_FILE_Slow(stream);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(stops.load(), 1);
    // A port handed out afterwards is not taken away by a late stop.
    const int32_t next = DVR_FILE_Play(path.c_str(), nullptr, nullptr, 0);
    ASSERT_GE(next, 0);
    EXPECT_EQ(DVR_FILE_Stop(stream), 0);
    EXPECT_EQ(DVR_FILE_GetVintrelPort(next), port);
    // The port still plays the new stream (a full source buffer while the
    // stream is fed is no fault).
    EXPECT_NE(DVR_FILE_GetPlayState(next), 0);
    const uint32_t portError = Ostrum_GetLastError(port);
    EXPECT_TRUE(portError == OSTRUM_ERR_NONE || portError == OSTRUM_ERR_BUF_FULL) << portError;
    EXPECT_EQ(DVR_FILE_Stop(next), 1);
}

TEST_F(BusyStream, StreamsLeftRunningAreStoppedAtUnload)
{
    const int32_t a = OpenBlocked();
    const int32_t b = OpenBlocked();
    auto stopping = std::async(std::launch::async, [] { pellomir::StopAllStreams(); });
    ASSERT_EQ(stopping.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(DVR_FILE_GetPlayState(a), 0);
    EXPECT_EQ(DVR_FILE_GetPlayState(b), 0);
    EXPECT_EQ(HD_FILE_GetPos(a), HD_POS_ERROR);  // the hard-disk library's stream is gone too
}

TEST(RecordPlayErrors, FailuresCarryTheirCodes)
{
    EXPECT_EQ(DVR_FILE_Play(nullptr, nullptr, nullptr, 0), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    EXPECT_EQ(DVR_FILE_Play("E:\\record\\none.qrv", nullptr, nullptr, 0), -1);
    EXPECT_GE(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE);
    // A drive B: that is not there fails in the hard-disk library.
    EXPECT_EQ(DVR_FILE_ReversePlay("B:\\x.qrv", nullptr), -1);
    EXPECT_GE(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE);
    const DVR_FILE_TIME s = ToDvrTime(1709280000), e = ToDvrTime(1709280010);
    EXPECT_EQ(DVR_FILE_PlayFileByTime(nullptr, &s, &e, 1, nullptr), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);

    const int32_t unknown = 4242;
    const struct {
        const char* what;
        std::function<int32_t()> call;
        int32_t result;
    } cases[] = {
        {"Pause", [&] { return DVR_FILE_Pause(unknown, 1); }, 0},
        {"Fast", [&] { return DVR_FILE_Fast(unknown); }, 0},
        {"SetVolume", [&] { return DVR_FILE_SetVolume(unknown, 100); }, 0},
        {"SetPos", [&] { return DVR_FILE_SetPos(unknown, 50); }, 0},
        {"SetPosByTime", [&] { return DVR_FILE_SetPosByTime(unknown, &s); }, 0},
        {"NormalPlay", [&] { return DVR_FILE_NormalPlay(unknown); }, 0},
        {"Reverse", [&] { return DVR_FILE_Reverse(unknown, 1); }, 0},
        {"CapturePicture", [&] { return DVR_FILE_CapturePicture(unknown, "x.jpg"); }, 0},
        {"GetTotalTime", [&] { return DVR_FILE_GetTotalTime(unknown); }, -1},
        {"GetCurrentFrameNum", [&] { return DVR_FILE_GetCurrentFrameNum(unknown); }, -1},
        {"GetPlayedTime", [&] { return DVR_FILE_GetPlayedTime(unknown); }, -1},
        {"Stop", [&] { return DVR_FILE_Stop(unknown); }, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.call(), c.result) << c.what;
        EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_ORDER) << c.what;
    }
    // These two never set the last error.
    DVR_FILE_Play(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(DVR_FILE_GetVintrelPort(unknown), -1);
    EXPECT_EQ(DVR_FILE_GetPlayState(unknown), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_PARAM);
    EXPECT_EQ(DVR_FILE_GetPos(unknown), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_HD_BASE + HD_ERR_ORDER);
    EXPECT_EQ(DVR_FILE_CloseSound(), 1);
}

}  // namespace
