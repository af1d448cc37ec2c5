#include "StreamPlayer.h"

#include "kel_test/test_support.h"
#include "recmedia/encoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QWidget>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <set>

namespace {

using APT_QMR::CSingleFile;
using APT_QMR::CStreamPlayer;
using APT_QMR::PlayWindow;

uint32_t Civil(int y, int mo, int d, int h, int mi, int s) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<uint32_t>(timegm(&t));
}

// Three recordings of one channel: [T, T+3), [T+3, T+6) and, after a gap,
// [T+10, T+13).
const uint32_t T = Civil(2024, 3, 1, 8, 0, 0);
struct Span {
    uint32_t start, seconds;
};
const Span kSpans[3] = {{T, 3}, {T + 3, 3}, {T + 10, 3}};

std::string Folder() { return kel_test::ProgramFolder().toStdString() + "/local"; }

// Keeps the GUI thread serving the player's queued drawing while waiting.
bool WaitFor(const std::function<bool()>& done, int seconds = 60) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > seconds * 1000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class StreamPlayerTest : public ::testing::TestWithParam<bool> {
protected:
    // Each test has a fresh program folder, so the recordings are made per test.
    void SetUp() override {
        kel_test::WriteFile(QString::fromStdString(Folder() + "/.keep"), QByteArray());
        for (int i = 0; i < 3; ++i) {
            recmedia::RecordingSpec spec;
            spec.channel = 1;
            spec.start = kSpans[i].start;
            spec.seconds = kSpans[i].seconds;
            spec.width = 160;
            spec.height = 120;
            spec.fps = 10;
            spec.seed = static_cast<uint32_t>(i + 1);
            char name[128];
            std::snprintf(name, sizeof(name), "/ch01_%u_%u.mp4", spec.start, spec.start + spec.seconds);
            spec.path = Folder() + name;
            std::string error;
            ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
            paths[i] = spec.path;
        }
        window.resize(320, 240);
        window.show();
        for (int i = 0; i < 3; ++i)
            files[i].reset(new CSingleFile(paths[i], Folder(), 0, kSpans[i].start, kSpans[i].start + kSpans[i].seconds, 0,
                                           "DVR", 1));
    }

    // Window, list and route; the caller's records are freed right away: the
    // player keeps copies.
    void Prepare(CStreamPlayer& player, std::vector<CSingleFile*> list) {
        ASSERT_TRUE(player.SetWindow(new PlayWindow{&window, 1}));
        std::vector<std::unique_ptr<CSingleFile>> copies;
        for (auto& f : list) {
            if (!f) continue;
            copies.emplace_back(new CSingleFile(*f));
            f = copies.back().get();
        }
        ASSERT_TRUE(player.SetFileList(list));
        copies.clear();
        player.SetDiskKind(GetParam());
    }

    std::vector<CSingleFile*> All() { return {files[0].get(), files[1].get(), files[2].get()}; }

    std::string paths[3];
    QWidget window;
    std::unique_ptr<CSingleFile> files[3];
};

// From the start of the list to its end, across a null entry and a gap,
// at four times normal speed.
TEST_P(StreamPlayerTest, PlaysTheListFileAfterFile) {
    CStreamPlayer player;
    Prepare(player, {files[0].get(), nullptr, files[1].get(), files[2].get()});
    ASSERT_TRUE(player.StartPlayByTime(0));
    EXPECT_EQ(player.GetState(), CStreamPlayer::StatePlaying);
    EXPECT_EQ(player.GetCurrentIndex(), 0);
    EXPECT_EQ(player.SetSpeed(2), 2);
    EXPECT_EQ(player.GetSpeed(), 2);

    std::set<int> indexes;
    std::vector<time_t> times;
    int speedInLastFile = -100;
    ASSERT_TRUE(WaitFor([&] {
        int index = player.GetCurrentIndex();
        if (index >= 0) indexes.insert(index);
        time_t t = player.GetPlayedTime();
        if (t >= static_cast<time_t>(T)) times.push_back(t);
        if (index == 3 && speedInLastFile == -100) speedInLastFile = player.GetPlayer()->GetSpeed();
        return player.IsEndOfList();
    }));
    EXPECT_EQ(indexes, (std::set<int>{0, 2, 3}));
    EXPECT_EQ(speedInLastFile, 2);   // the speed step survives the change of file
    ASSERT_FALSE(times.empty());
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i], times[i - 1]);
    EXPECT_LE(times.front(), static_cast<time_t>(T + 1));
    EXPECT_GE(times.back(), static_cast<time_t>(T + 12));
    bool sawSecond = false;
    for (time_t t : times) sawSecond |= t >= static_cast<time_t>(T + 3) && t < static_cast<time_t>(T + 6);
    EXPECT_TRUE(sawSecond);

    EXPECT_EQ(player.GetCurrentIndex(), -1);
    EXPECT_EQ(player.GetPlayedTime(), -1);
    EXPECT_EQ(player.GetSpeed(), 0);
    player.Stop();
}

// Starts inside the second file, then seeks back into the first.
TEST_P(StreamPlayerTest, StartsInsideAFileAndSeeksBack) {
    CStreamPlayer player;
    Prepare(player, All());
    ASSERT_TRUE(player.StartPlayByTime(T + 4));
    EXPECT_EQ(player.GetCurrentIndex(), 1);
    EXPECT_TRUE(player.IsTimeInFile());
    time_t first = -1;
    ASSERT_TRUE(WaitFor([&] { return (first = player.GetPlayedTime()) >= static_cast<time_t>(T); }));
    EXPECT_GE(first, static_cast<time_t>(T + 4));
    EXPECT_LE(first, static_cast<time_t>(T + 5));
    EXPECT_FALSE(player.SetWindow(new PlayWindow{&window, 1}));
    EXPECT_FALSE(player.SetFileList(All()));

    ASSERT_TRUE(player.SeekTo(T + 1));
    EXPECT_EQ(player.GetCurrentIndex(), 0);
    time_t back = -1;
    ASSERT_TRUE(WaitFor([&] {
        back = player.GetPlayedTime();
        return back >= static_cast<time_t>(T) && back < static_cast<time_t>(T + 3);
    }));
    EXPECT_GE(back, static_cast<time_t>(T + 1));
    EXPECT_FALSE(player.SeekTo(-1));

    player.Stop();
    EXPECT_EQ(player.GetCurrentIndex(), -1);
    EXPECT_EQ(player.GetPlayedTime(), -1);
    EXPECT_FALSE(player.SeekTo(T + 1));
}

TEST_P(StreamPlayerTest, WhereATimeLeads) {
    CStreamPlayer player;
    Prepare(player, All());
    EXPECT_FALSE(player.StartPlayByTime(-5));
    EXPECT_EQ(player.GetCurrentIndex(), -1);
    EXPECT_EQ(player.GetState(), CStreamPlayer::StatePlaying);

    // A time in the gap starts the following file at its beginning.
    ASSERT_TRUE(player.StartPlayByTime(T + 8));
    EXPECT_EQ(player.GetCurrentIndex(), 2);
    EXPECT_FALSE(player.IsTimeInFile());
    time_t first = -1;
    ASSERT_TRUE(WaitFor([&] { return (first = player.GetPlayedTime()) >= static_cast<time_t>(T); }));
    EXPECT_GE(first, static_cast<time_t>(T + 10));

    // After the end of the last file: nothing to play.
    EXPECT_FALSE(player.StartPlayByTime(T + 100));
    EXPECT_EQ(player.GetState(), CStreamPlayer::StateNoFile);
    EXPECT_EQ(player.GetCurrentIndex(), -1);
}

// The next file cannot be opened: the pump ends, the player is idle with
// state 1 and the end of the list is not claimed.
TEST_P(StreamPlayerTest, NextFileThatCannotBeOpened) {
    CStreamPlayer player;
    CSingleFile missing(Folder() + "/ch01_missing.mp4", Folder(), 0, T + 3, T + 6, 0, "DVR", 1);
    Prepare(player, {files[0].get(), &missing});
    ASSERT_TRUE(player.StartPlayByTime(T + 1));
    EXPECT_EQ(player.SetSpeed(2), 2);
    ASSERT_TRUE(WaitFor([&] { return player.GetCurrentIndex() == -1; }));
    EXPECT_EQ(player.GetState(), CStreamPlayer::StateOpenFailed);
    EXPECT_FALSE(player.IsEndOfList());
    EXPECT_EQ(player.GetPlayedTime(), -1);
    // Started on the missing file itself, the start fails.
    EXPECT_FALSE(player.StartPlayByTime(T + 4));
    EXPECT_EQ(player.GetCurrentIndex(), -1);
}

// Destroyed while playing: the pump, the reader and the player end cleanly.
TEST_P(StreamPlayerTest, DestroyedWhilePlaying) {
    auto player = std::make_unique<CStreamPlayer>();
    Prepare(*player, All());
    ASSERT_TRUE(player->StartPlayByTime(T + 1));
    ASSERT_TRUE(WaitFor([&] { return player->GetPlayedTime() >= static_cast<time_t>(T); }));
    EXPECT_TRUE(player->Pause(true));
    player.reset();
}

// A recording larger than the player's source buffer: the reader is held by
// a full buffer when the start and the seeks move it; each move still lands
// where it was asked, in both directions.
TEST_P(StreamPlayerTest, MovesInARecordingLargerThanThePlayerBuffer) {
    recmedia::RecordingSpec spec;
    spec.channel = 1;
    spec.start = T + 100;
    spec.seconds = 90;
    spec.width = 640;
    spec.height = 480;
    spec.fps = 25;
    spec.gop = 5;
    spec.seed = 9;
    spec.path = Folder() + "/ch01_long.mp4";
    std::string error;
    ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    QFileInfo info(QString::fromStdString(spec.path));
    ASSERT_GT(info.size(), 3 * 1024 * 1024);  // well over the player's 2 MiB buffer
    CSingleFile longFile(spec.path, Folder(), static_cast<uint32_t>(info.size()), spec.start, spec.start + spec.seconds, 0,
                         "DVR", 1);

    CStreamPlayer player;
    Prepare(player, {&longFile});
    // Frames of the file's start may show before a move takes effect; each
    // move must then land inside the asked window.
    auto lands = [&](uint32_t from, uint32_t to) {
        return WaitFor([&] {
            time_t t = player.GetPlayedTime();
            return t >= static_cast<time_t>(from) && t < static_cast<time_t>(to);
        });
    };
    ASSERT_TRUE(player.StartPlayByTime(spec.start + 80));
    EXPECT_TRUE(lands(spec.start + 80, spec.start + 90));
    ASSERT_TRUE(player.SeekTo(spec.start + 5));
    EXPECT_TRUE(lands(spec.start + 5, spec.start + 20));
    ASSERT_TRUE(player.SeekTo(spec.start + 60));
    EXPECT_TRUE(lands(spec.start + 60, spec.start + 70));
    player.Stop();
}

INSTANTIATE_TEST_SUITE_P(Routes, StreamPlayerTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "DirectReader" : "StorageLayer");
                         });

}  // namespace
