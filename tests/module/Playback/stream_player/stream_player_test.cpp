// SPDX-License-Identifier: GPL-3.0-or-later
#include "Playback/StreamPlayer.h"

#include "kel_test/test_support.h"
#include "recmedia/encoder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

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

// What the player really shows: the time of every frame, reported by the
// player on its decode thread, with the file index and the speed step in
// force when the frame was shown.
class ShownFrames {
public:
    struct Frame {
        time_t time;
        int index;
        int speed;
    };
    explicit ShownFrames(CStreamPlayer& player) : m_player(player) {
        player.GetPlayer()->SetShownCallback([this](time_t t) {
            Frame frame{t, m_player.GetCurrentIndex(), m_player.GetPlayer()->GetSpeed()};
            std::lock_guard<std::mutex> lock(m_mutex);
            m_frames.push_back(frame);
        });
    }
    ~ShownFrames() { m_player.GetPlayer()->SetShownCallback(nullptr); }
    std::vector<Frame> Frames() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }
    size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames.size();
    }
    // Frames shown from the `from`-th on.
    std::vector<time_t> TimesFrom(size_t from) {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<time_t> times;
        for (size_t i = from; i < m_frames.size(); ++i) times.push_back(m_frames[i].time);
        return times;
    }
    // The times of the frames from the `from`-th to before the `to`-th (the
    // last one for SIZE_MAX) that precede `target`, leaving out those of the
    // stream that played before (they go on from the last frame shown before
    // the `from`-th); empty when there are none.
    std::string Before(size_t from, size_t to, time_t target) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const time_t previous = from > 0 && from <= m_frames.size() ? m_frames[from - 1].time : target;
        std::string early;
        for (size_t i = from; i < std::min(to, m_frames.size()); ++i)
            if (m_frames[i].time < target && m_frames[i].time < previous) early += std::to_string(m_frames[i].time) + " ";
        return early;
    }
    // Waits until a frame from the `from`-th on shows a time in [lo, hi).
    bool WaitForTimeIn(size_t from, time_t lo, time_t hi) {
        return kel_test::WaitUntil([&] {
            for (time_t t : TimesFrom(from))
                if (t >= lo && t < hi) return true;
            return false;
        });
    }

private:
    CStreamPlayer& m_player;
    std::mutex m_mutex;
    std::vector<Frame> m_frames;
};

class StreamPlayerTest : public ::testing::TestWithParam<bool> {
protected:
    // A small recording of channel 1 over `span`.
    static ::testing::AssertionResult Encode(const Span& span, uint32_t seed, const std::string& path) {
        recmedia::RecordingSpec spec;
        spec.channel = 1;
        spec.start = span.start;
        spec.seconds = span.seconds;
        spec.width = 160;
        spec.height = 120;
        spec.fps = 10;
        spec.seed = seed;
        spec.path = path;
        std::string error;
        if (recmedia::EncodeRecording(spec, &error)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << error;
    }

    // Each test has a fresh program folder, so the recordings are made per test.
    void SetUp() override {
        kel_test::WriteFile(QString::fromStdString(Folder() + "/.keep"), QByteArray());
        for (int i = 0; i < 3; ++i) {
            char name[128];
            std::snprintf(name, sizeof(name), "/ch01_%u_%u.mp4", kSpans[i].start, kSpans[i].start + kSpans[i].seconds);
            paths[i] = Folder() + name;
            ASSERT_TRUE(Encode(kSpans[i], static_cast<uint32_t>(i + 1), paths[i]));
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
    ShownFrames shown(player);
    ASSERT_TRUE(player.StartPlayByTime(0));
    EXPECT_EQ(player.GetState(), CStreamPlayer::StatePlaying);
    EXPECT_EQ(player.GetCurrentIndex(), 0);
    EXPECT_EQ(player.SetSpeed(2), 2);
    EXPECT_EQ(player.GetSpeed(), 2);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return player.IsEndOfList(); }));

    const std::vector<ShownFrames::Frame> frames = shown.Frames();
    ASSERT_FALSE(frames.empty());
    std::set<int> indexes;
    bool sawSecond = false;
    for (size_t i = 0; i < frames.size(); ++i) {
        const ShownFrames::Frame& f = frames[i];
        indexes.insert(f.index);
        if (i > 0) {
            EXPECT_GE(f.time, frames[i - 1].time);
        }
        if (f.index == 3) {
            EXPECT_EQ(f.speed, 2);   // the speed step survives the change of file
        }
        sawSecond |= f.time >= static_cast<time_t>(T + 3) && f.time < static_cast<time_t>(T + 6);
    }
    EXPECT_EQ(indexes, (std::set<int>{0, 2, 3}));
    EXPECT_EQ(frames.front().time, static_cast<time_t>(T));   // starts with the first frame of the list
    EXPECT_GE(frames.back().time, static_cast<time_t>(T + 12));
    EXPECT_TRUE(sawSecond);

    EXPECT_EQ(player.GetCurrentIndex(), -1);
    EXPECT_EQ(player.GetPlayedTime(), -1);
    EXPECT_EQ(player.GetSpeed(), 0);
    player.Stop();
}

// Starts inside the second file, then seeks back into the first. Nothing
// that precedes the asked time is ever shown.
TEST_P(StreamPlayerTest, StartsInsideAFileAndSeeksBack) {
    CStreamPlayer player;
    Prepare(player, All());
    ShownFrames shown(player);
    ASSERT_TRUE(player.StartPlayByTime(T + 4));
    EXPECT_EQ(player.GetCurrentIndex(), 1);
    EXPECT_TRUE(player.IsTimeInFile());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return shown.Count() > 0; }));
    const time_t first = shown.TimesFrom(0).front();
    EXPECT_GE(first, static_cast<time_t>(T + 4));
    EXPECT_LE(first, static_cast<time_t>(T + 5));
    EXPECT_FALSE(player.SetWindow(new PlayWindow{&window, 1}));
    EXPECT_FALSE(player.SetFileList(All()));

    const size_t beforeSeek = shown.Count();
    ASSERT_TRUE(player.SeekTo(T + 1));
    EXPECT_EQ(player.GetCurrentIndex(), 0);
    ASSERT_TRUE(shown.WaitForTimeIn(beforeSeek, T, T + 3));
    EXPECT_FALSE(player.SeekTo(-1));

    player.Stop();
    EXPECT_EQ(player.GetCurrentIndex(), -1);
    EXPECT_EQ(player.GetPlayedTime(), -1);
    EXPECT_FALSE(player.SeekTo(T + 1));
    EXPECT_EQ(shown.Before(0, beforeSeek, T + 4), "");
    EXPECT_EQ(shown.Before(beforeSeek, SIZE_MAX, T + 1), "");
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
    ASSERT_TRUE(kel_test::WaitUntil([&] { return (first = player.GetPlayedTime()) >= static_cast<time_t>(T); }));
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
    ASSERT_TRUE(kel_test::WaitUntil([&] { return player.GetCurrentIndex() == -1; }));
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
    ASSERT_TRUE(kel_test::WaitUntil([&] { return player->GetPlayedTime() >= static_cast<time_t>(T); }));
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
    spec.fastRepeat = true;   // the size matters here, not the picture
    spec.path = Folder() + "/ch01_long.mp4";
    std::string error;
    ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    QFileInfo info(QString::fromStdString(spec.path));
    ASSERT_GT(info.size(), 3 * 1024 * 1024);  // well over the player's 2 MiB buffer
    CSingleFile longFile(spec.path, Folder(), static_cast<uint32_t>(info.size()), spec.start, spec.start + spec.seconds, 0,
                         "DVR", 1);

    CStreamPlayer player;
    Prepare(player, {&longFile});
    ShownFrames shown(player);
    // Each move lands inside the asked window, and nothing shown after it
    // precedes the asked time (but what the earlier position still shows on
    // its way out).
    auto move = [&](uint32_t from, uint32_t to, bool start) {
        const size_t before = shown.Count();
        if (start) {
            ASSERT_TRUE(player.StartPlayByTime(from));
        } else {
            ASSERT_TRUE(player.SeekTo(from));
        }
        EXPECT_TRUE(shown.WaitForTimeIn(before, from, to));
        EXPECT_EQ(shown.Before(before, SIZE_MAX, from), "");
    };
    move(spec.start + 80, spec.start + 90, true);
    move(spec.start + 5, spec.start + 20, false);
    move(spec.start + 60, spec.start + 70, false);
    player.Stop();
}

// One channel found on two disks: the second disk holds a mirror of the
// first recording and one that overlaps the second recording and the gap
// after it. Played from the start, every moment is shown once and the
// time never goes back.
TEST_P(StreamPlayerTest, AChannelOnTwoDisksPlaysEachMomentOnce) {
    const Span second[2] = {{T, 3}, {T + 4, 4}};
    std::unique_ptr<CSingleFile> other[2];
    for (int i = 0; i < 2; ++i) {
        const std::string path = Folder() + "/disk2_ch01_" + std::to_string(i) + ".mp4";
        ASSERT_TRUE(Encode(second[i], static_cast<uint32_t>(11 + i), path));
        other[i].reset(new CSingleFile(path, Folder() + "2", 0, second[i].start, second[i].start + second[i].seconds, 0,
                                       "DVR", 1));
    }
    // In time order, as the search lists a channel of two disks.
    CStreamPlayer player;
    Prepare(player, {files[0].get(), other[0].get(), files[1].get(), other[1].get(), files[2].get()});
    ShownFrames shown(player);
    ASSERT_TRUE(player.StartPlayByTime(0));
    EXPECT_EQ(player.SetSpeed(2), 2);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return player.IsEndOfList(); }));

    const std::vector<ShownFrames::Frame> frames = shown.Frames();
    ASSERT_FALSE(frames.empty());
    std::set<int> indexes;
    std::string back;
    int twice = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        indexes.insert(frames[i].index);
        if (i > 0 && frames[i].time < frames[i - 1].time)
            back += std::to_string(frames[i - 1].time - T) + "->" + std::to_string(frames[i].time - T) + " ";
        // The overlapping recording shows only what the first disk does not hold.
        if (frames[i].index == 3 && frames[i].time < static_cast<time_t>(T + 6)) ++twice;
    }
    EXPECT_EQ(back, "");
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(indexes, (std::set<int>{0, 2, 3, 4}));   // the mirror adds nothing
    EXPECT_EQ(frames.front().time, static_cast<time_t>(T));
    EXPECT_GE(frames.back().time, static_cast<time_t>(T + 12));
}

INSTANTIATE_TEST_SUITE_P(Routes, StreamPlayerTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "DirectReader" : "StorageLayer");
                         });

}  // namespace
