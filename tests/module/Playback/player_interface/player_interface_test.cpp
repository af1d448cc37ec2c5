// SPDX-License-Identifier: GPL-3.0-or-later
// The player interface over the player library: speeds and decode types,
// snapshots and clips, input while the player is full, played time, vehicle
// data and the sound flag.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "storage/CommonHelpers.h"
#include "storage/OutputFileWriter.h"
#include "Playback/PlaybackGlobals.h"
#include "Playback/PlayerInterface.h"
#include "storage/Settings.h"
#include "storage/SingleFile.h"
#include "kel_test/test_support.h"
#include "platform/fallowin/mp4_probe.h"
#include "platform/vintrel/recording_fixture.h"
#include "recstream/recstream.h"
#include "test_hooks.h"
#include "vintrel.h"

using APT_QMR::CPlayerInterface;
using APT_QMR::CSingleFile;

namespace {

std::vector<uint8_t> Recording(const char* name, int seconds, uint32_t start = 1709294400u) {
    const std::string path = (kel_test::ProgramFolder() + "/" + name).toStdString();
    vintrel_test::RecordingSpec spec;
    spec.seconds = seconds;
    spec.startTime = start;
    EXPECT_TRUE(vintrel_test::WriteRecording(path, spec));
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::shared_ptr<CSingleFile> Record(int channel, const std::string& device) {
    return std::make_shared<CSingleFile>("file", "disk", 0, 1709294400u, 1709294460u, 0, device, channel);
}

// Reads recordings kept here again for a clip of them, as the stream player
// reads them from their medium: each whole, header first.
CPlayerInterface::StreamReader MemoryReader(std::vector<std::vector<uint8_t>> recordings) {
    auto kept = std::make_shared<std::vector<std::vector<uint8_t>>>(std::move(recordings));
    return [kept](time_t, time_t, int, const CPlayerInterface::StreamSink& sink) {
        for (const std::vector<uint8_t>& r : *kept) {
            if (r.size() < 40 || !sink(1, r.data(), 40)) return true;
            for (size_t at = 40; at < r.size(); at += 8192)
                if (!sink(2, r.data() + at, static_cast<uint32_t>(std::min<size_t>(8192, r.size() - at)))) return true;
        }
        return true;
    };
}

int64_t Ms(const OSTRUM_FILE_TIME& t) {
    struct tm tmv = {};
    tmv.tm_year = t.year - 1900;
    tmv.tm_mon = t.month - 1;
    tmv.tm_mday = t.day;
    tmv.tm_hour = t.hour;
    tmv.tm_min = t.minute;
    tmv.tm_sec = t.second;
    return static_cast<int64_t>(timegm(&tmv)) * 1000 + t.millisecond;
}

// Recorder milliseconds of the frame on screen; -1 for none.
int64_t Shown(const CPlayerInterface& player) {
    OSTRUM_FILE_TIME t{};
    return Ostrum_GetPlayedTime(player.GetPort(), &t) ? Ms(t) : -1;
}

class PlayerInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = kel_test::ProgramFolder() + "/out/";
        auto* s = CSettingsStore::GetInstance();
        s->SetValueText(SettingKey::CaptureSavePath, m_folder);
        s->SetValueText(SettingKey::ClipSavePath, m_folder);
        s->SetValueText(SettingKey::CaptureSaveType, "0");
        s->SetValueText(SettingKey::DecodeFrameType, "0");
        s->SetValueText(SettingKey::DownloadVideoType, "0");
        CurrentCapturePage = 0;
        m_window.resize(320, 240);
        m_window.show();
    }
    // Feeds the data after the header from a thread, as the storage reader does.
    void StartFeeding(CPlayerInterface* player, const std::vector<uint8_t>& bytes, size_t from, size_t to) {
        if (m_feeder.joinable()) m_feeder.join();
        m_feeder = std::thread([player, bytes, from, to] {
            for (size_t at = from; at < to;) {
                uint32_t n = static_cast<uint32_t>(std::min<size_t>(8192, to - at));
                if (player->InputData(bytes.data() + at, n) != CPlayerInterface::InputAccepted) return;
                at += n;
            }
        });
    }
    void TearDown() override {
        if (m_feeder.joinable()) m_feeder.join();
    }
    QString m_folder;
    QWidget m_window;
    std::thread m_feeder;
};

}  // namespace

TEST(PlayerInterfaceTables, DecodeTypeBySettingAndSpeed) {
    struct Case {
        int setting, speed, expected;
    } cases[] = {{0, 4, 0}, {1, 1, 0}, {1, 2, 1}, {2, 2, 0}, {2, 3, 1}, {2, 4, 1}, {3, 3, 0}, {3, 4, 1}, {5, 4, -1}, {-1, 0, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(CPlayerInterface::DecodeFrameTypeFor(c.setting, c.speed), c.expected) << c.setting << "@" << c.speed;
}

TEST_F(PlayerInterfaceTest, SpeedStepsAndClosedStream) {
    CPlayerInterface player;
    ASSERT_GE(player.GetPort(), 0);
    EXPECT_EQ(player.SetSpeed(2), 0);  // no stream
    EXPECT_EQ(player.GetPlayedTime(), -1);
    auto bytes = Recording("speed.rec", 1);
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    EXPECT_EQ(player.SetSpeed(2), 2);
    EXPECT_EQ(player.GetSpeed(), 2);
    EXPECT_EQ(player.SetSpeed(2), 0);
    EXPECT_EQ(player.SetSpeed(5), 0);
    EXPECT_EQ(player.GetSpeed(), 2);
    EXPECT_EQ(player.SetSpeed(-1), -3);
    EXPECT_EQ(player.SetSpeed(4), 5);
    EXPECT_FALSE(player.Fast());
    EXPECT_EQ(player.SetSpeed(-4), -8);
    EXPECT_FALSE(player.Slow());
    EXPECT_TRUE(player.Resume());
    EXPECT_EQ(player.GetSpeed(), 0);
    EXPECT_TRUE(player.SetDisplayRegion(0.5f, 0.5f, 0.2f, 0.9f));  // left >= right: whole picture
    player.CloseStream();
    EXPECT_FALSE(player.IsStreamOpen());
    EXPECT_EQ(player.InputData(bytes.data(), 10), CPlayerInterface::InputNoStream);
}

TEST_F(PlayerInterfaceTest, FailedOpenKeepsAPortForTheNextOpen) {
    CPlayerInterface player;
    uint8_t junk[40] = {'J', 'U', 'N', 'K'};
    EXPECT_FALSE(player.OpenStream(junk, 40, &m_window));
    EXPECT_GE(player.GetPort(), 0);
    auto bytes = Recording("reopen.rec", 1);
    EXPECT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    EXPECT_TRUE(player.IsSameHeader(bytes.data()));
    EXPECT_FALSE(player.IsSameHeader(junk));
}

TEST_F(PlayerInterfaceTest, PlaysWithVehicleDataSnapshotsAndClip) {
    auto bytes = Recording("play.rec", 4);
    CPlayerInterface player;
    std::vector<VEH_META_INFO> infos;
    QObject::connect(&player, &CPlayerInterface::signalVehInfo, &player, [&](VEH_META_INFO v) { infos.push_back(v); });
    std::vector<std::pair<QString, bool>> finished;
    QObject::connect(&player, &CPlayerInterface::signalClipFinished, &player,
                     [&](QString path, bool saved) { finished.emplace_back(path, saved); });
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    EXPECT_EQ(player.GetPlayedTime(), -1);  // nothing on screen yet: no time, not 1999
    const size_t half = bytes.size() / 2;
    StartFeeding(&player, bytes, 40, half);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return player.GetPlayedTime() != -1; }));
    const time_t first = player.GetPlayedTime();
    EXPECT_EQ(first, 1709294400);  // 2024-03-01 12:00:00 (the tests run in UTC)
    ASSERT_TRUE(kel_test::WaitUntil([&] { return player.GetPlayedTime() > first; }));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !infos.empty(); }));
    EXPECT_EQ(infos.front().time, 1709294400u);

    // Clip from 12:00:00 on, named after that second.
    ASSERT_TRUE(player.StartClip(1709294400, Record(3, ""), MemoryReader({bytes})));
    const std::string clip = player.GetClipPath();
    EXPECT_TRUE(QString::fromStdString(clip).endsWith("Clip/ch03_20240301120000.mp4")) << clip;
    StartFeeding(&player, bytes, half, bytes.size());

    // Two snapshots while playing, in the same second: distinct names.
    ASSERT_TRUE(player.Capture(Record(3, "")));
    const std::string shot1 = player.GetCapturePath();
    ASSERT_TRUE(player.Capture(Record(3, "")));
    const std::string shot2 = player.GetCapturePath();
    EXPECT_NE(shot1, shot2);
    const QRegularExpression name("/Capture/channel3_\\d{14}\\d+\\.jpg$");
    EXPECT_TRUE(name.match(QString::fromStdString(shot1)).hasMatch()) << shot1;
    EXPECT_TRUE(QFile::exists(QString::fromStdString(shot1)));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(shot2)));

    // Paused: the snapshot comes from the player's picture, as BMP here.
    CSettingsStore::GetInstance()->SetValueText(SettingKey::CaptureSaveType, "1");
    ASSERT_TRUE(player.Pause(true));
    ASSERT_TRUE(player.Capture(Record(3, "DVR7")));
    const std::string shot3 = player.GetCapturePath();
    EXPECT_TRUE(QString::fromStdString(shot3).contains("/Capture/DVR7_")) << shot3;
    EXPECT_TRUE(QString::fromStdString(shot3).endsWith(".bmp"));
    EXPECT_EQ(QImage(QString::fromStdString(shot3)).size(), QSize(320, 240));
    ASSERT_TRUE(player.Resume());

    if (m_feeder.joinable()) m_feeder.join();
    ASSERT_TRUE(player.Pause(true));
    const int64_t last = Shown(player);
    player.StopClip();
    EXPECT_EQ(player.GetLastClipPath(), clip);
    // Written once it stopped, from the recording read again: its pictures
    // from 12:00:00 (a key frame) to the one on screen, nothing of what was
    // fed ahead of the picture.
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !finished.empty(); }));
    EXPECT_EQ(finished, (std::vector<std::pair<QString, bool>>{{QString::fromStdString(clip), true}}));
    QByteArray written = kel_test::ReadFile(QString::fromStdString(clip));
    ASSERT_GE(written.size(), 40);
    EXPECT_EQ(0, std::memcmp(written.constData(), bytes.data(), 40));   // its key frame's second: the same header
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip, true, true);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.logErrors, 0);
    const int64_t start = int64_t(1709294400) * 1000;
    EXPECT_EQ(probe.decodedFrames, static_cast<int>((last - start) / 40 + 1));
    EXPECT_NEAR(probe.firstTime, 0.0, 0.001);
    EXPECT_NEAR(probe.lastTime, (last - start) / 1000.0, 0.001);
}

// The player moves on to the next recording while a clip is recorded: the
// clip goes on with it, its times running forward across the pause between
// the two, in recorder form and as .mp4. The clip ends at the last picture,
// which a player behind the real clock may rightly pass over: the pictures
// are paced on the clock turned by hand, which waits for every one.
TEST_F(PlayerInterfaceTest, ClipGoesOnAcrossRecordings) {
    const uint32_t start = 1709294400u;
    auto first = Recording("first.rec", 2, start);
    auto second = Recording("second.rec", 2, start + 5);
    for (const char* videoType : {"0", "1"}) {
        SCOPED_TRACE(videoType);
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, videoType);
        const vintrel::ScopedManualClock manual(1000000);
        CPlayerInterface player;
        bool finished = false;
        QObject::connect(&player, &CPlayerInterface::signalClipFinished, &player, [&](QString, bool saved) {
            EXPECT_TRUE(saved);
            finished = true;
        });
        ASSERT_TRUE(player.OpenStream(first.data(), 40, &m_window));
        ASSERT_TRUE(player.StartClip(start, Record(3, ""), MemoryReader({first, second})));
        const std::string clip = player.GetClipPath();
        StartFeeding(&player, first, 40, first.size());
        m_feeder.join();
        ASSERT_TRUE(player.OpenStream(second.data(), 40, &m_window));
        StartFeeding(&player, second, 40, second.size());
        m_feeder.join();
        // Stopped on the last picture of the second recording. Every turn
        // returns once the player has shown what fell due and decoded what
        // it holds: no picture is late.
        const int64_t lastPicture = int64_t(start + 6) * 1000 + 960;
        for (int turn = 0; turn < 500 && Shown(player) != lastPicture; ++turn) vintrel::AdvanceManualClock(40);
        ASSERT_EQ(Shown(player), lastPicture);
        player.StopClip();
        ASSERT_EQ(player.GetLastClipPath(), clip);
        ASSERT_TRUE(kel_test::WaitUntil([&] { return finished; }));
        const QByteArray written = kel_test::ReadFile(QString::fromStdString(clip));
        if (videoType[0] == '0') {
            recstream::PacketScanner scanner(start, false);
            scanner.Feed(written.constData() + 40, static_cast<size_t>(written.size()) - 40);
            scanner.Finish();
            std::vector<uint32_t> times;
            recstream::Packet packet;
            while (scanner.Next(&packet))
                if (packet.kind == recstream::kPacketPack) times.push_back(packet.time);
            ASSERT_FALSE(times.empty());
            EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
            EXPECT_EQ(times.front(), start);
            EXPECT_EQ(times.back(), start + 6);
            continue;
        }
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip, true);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.logErrors, 0);
        EXPECT_EQ(probe.decodedFrames, 4 * 25);
        EXPECT_NEAR(probe.lastTime - probe.firstTime, 6.96, 0.041);   // 0:00.00 to 0:06.96
    }
}

// A window closed right after its recording stopped does not wait for its
// clip: the recording is read again (here: held back until the player has
// gone) and the clip written without the player.
TEST_F(PlayerInterfaceTest, ClipIsWrittenAfterItsPlayerWent) {
    const auto bytes = Recording("gone.rec", 2);
    struct Gate {
        std::mutex lock;
        std::condition_variable opened;
        bool open = false;
    };
    auto gate = std::make_shared<Gate>();
    const CPlayerInterface::StreamReader memory = MemoryReader({bytes});
    const CPlayerInterface::StreamReader held = [gate, memory](time_t from, time_t to, int lead,
                                                              const CPlayerInterface::StreamSink& sink) {
        {
            std::unique_lock<std::mutex> guard(gate->lock);
            gate->opened.wait(guard, [&] { return gate->open; });
        }
        return memory(from, to, lead, sink);
    };
    std::string clip;
    {
        CPlayerInterface player;
        ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
        ASSERT_TRUE(player.StartClip(1709294400, Record(3, ""), held));
        clip = player.GetClipPath();
        player.StopClip();
    }
    {
        std::lock_guard<std::mutex> guard(gate->lock);
        gate->open = true;
    }
    gate->opened.notify_all();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return QFile::exists(QString::fromStdString(clip)); }));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(clip + ".part")));
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip, true, true);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.decodedFrames, 1);   // nothing was shown after its first picture
}

TEST_F(PlayerInterfaceTest, CaptureFailsWithoutFolderSettingOrFrame) {
    auto bytes = Recording("nocap.rec", 1);
    CPlayerInterface player;
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    EXPECT_FALSE(player.Capture(Record(1, "")));  // no frame on screen yet
    CurrentCapturePage = 2;
    EXPECT_FALSE(player.StartClip(1709294400, Record(1, ""), MemoryReader({bytes})));
    CurrentCapturePage = 0;
    // A clip of a stream is cut from its recordings read again: without a
    // reader of them none starts, and no name is taken.
    EXPECT_FALSE(player.StartClip(1709294400, Record(1, "")));
    EXPECT_FALSE(player.IsClipping());
    EXPECT_FALSE(QDir(m_folder + "Clip/").exists("ch01_20240301120000.mp4.part"));
}

TEST_F(PlayerInterfaceTest, BlockedInputGivesUpWhenAsked) {
    auto bytes = Recording("full.rec", 4);
    CPlayerInterface player;
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    ASSERT_TRUE(player.Pause(true));
    ASSERT_EQ(player.InputData(bytes.data() + 40, static_cast<uint32_t>(bytes.size() - 40)),
              CPlayerInterface::InputAccepted);
    std::atomic<int> result{-1};
    std::atomic<int> accepted{0};
    const uint32_t kBlock = 512 * 1024;
    ASSERT_NE(Ostrum_GetLastError(player.GetPort()), static_cast<uint32_t>(OSTRUM_ERR_BUF_FULL));
    std::thread t([&] {
        std::vector<uint8_t> block(kBlock, 0);
        for (int i = 0; i < 16; ++i) {
            int r = player.InputData(block.data(), kBlock);
            if (r != CPlayerInterface::InputAccepted) {
                result = r;
                return;
            }
            ++accepted;
        }
        result = 100;  // never blocked
    });
    // Paused, the player takes no more than its buffer holds: the input
    // blocks once the player has refused a block as the buffer is full.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (result == -1 && Ostrum_GetLastError(player.GetPort()) != static_cast<uint32_t>(OSTRUM_ERR_BUF_FULL) &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(result.load(), -1);   // still waiting for room
    player.SetStopInput(true);
    t.join();
    EXPECT_EQ(result.load(), CPlayerInterface::InputGivenUp);
    EXPECT_LT(accepted.load(), 16);
}

TEST_F(PlayerInterfaceTest, TakingTheSoundClearsTheOtherPlayersFlag) {
    auto bytes = Recording("sound.rec", 1);
    CPlayerInterface a, b;
    ASSERT_TRUE(a.OpenStream(bytes.data(), 40, nullptr));
    ASSERT_TRUE(b.OpenStream(bytes.data(), 40, nullptr));
    EXPECT_EQ(a.GetVolume(), 65535);
    EXPECT_TRUE(a.PlaySound());
    EXPECT_TRUE(a.IsSoundOn());
    EXPECT_EQ(a.GetVolume(), 32767);
    EXPECT_TRUE(b.PlaySound());
    EXPECT_TRUE(b.IsSoundOn());
    EXPECT_FALSE(a.IsSoundOn());
    EXPECT_FALSE(a.SetVolume(100));
    EXPECT_TRUE(b.SetVolume(100));
    EXPECT_EQ(b.GetVolume(), 100);
    EXPECT_TRUE(b.StopSound());
    EXPECT_FALSE(b.IsSoundOn());
}

namespace {

// A recording converted to .mp4 by the output file writer, as a download
// with the .mp4 setting saves it.
std::string Converted(const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = (kel_test::ProgramFolder() + "/" + name).toStdString();
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    CStreamFileWriter w;
    bool ok = w.Open(path, false);
    for (size_t at = 0; ok && at < bytes.size();) {
        const uint32_t n = static_cast<uint32_t>(at == 0 ? 40 : std::min<size_t>(8192, bytes.size() - at));
        ok = w.Write(bytes.data() + at, n) == n;
        at += n;
    }
    ok = w.Close() && ok;
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "0");
    EXPECT_TRUE(ok);
    return path;
}

}  // namespace

// A converted file played by the library: the clip runs from the key frame
// of the first frame shown to the last one shown, is cut on a thread of its
// own (its end arrives through the event loop), and is an .mp4 file as the
// converter writes them, each picture at its recorder time.
TEST_F(PlayerInterfaceTest, ClipOfAPlayedConvertedFile) {
    const uint32_t start = 1709294400u;   // 12:00:00, key frames every second
    const std::string source = Converted("played.mp4", Recording("played.rec", 6, start));
    CPlayerInterface player;
    std::vector<std::pair<QString, bool>> finished;
    QObject::connect(&player, &CPlayerInterface::signalClipFinished, &player,
                     [&](QString path, bool saved) { finished.emplace_back(path, saved); });
    ASSERT_TRUE(player.OpenFile(source, &m_window, -1));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shown(player) >= int64_t(start) * 1000 + 1300; }));
    ASSERT_TRUE(player.Pause(true));   // the frame on screen stays
    const int64_t first = Shown(player);
    ASSERT_TRUE(player.StartClip(-1, Record(3, "")));
    EXPECT_TRUE(player.IsClipping());
    const std::string clip = player.GetClipPath();
    const std::string name = "Clip/ch03_" + TimeToString(static_cast<time_t>(first / 1000)) + ".mp4";
    EXPECT_TRUE(QString::fromStdString(clip).endsWith(QString::fromStdString(name))) << clip;

    ASSERT_TRUE(player.Resume());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shown(player) >= first + 2000; }));
    ASSERT_TRUE(player.Pause(true));
    const int64_t last = Shown(player);
    player.StopClip();
    EXPECT_FALSE(player.IsClipping());
    EXPECT_EQ(player.GetLastClipPath(), clip);
    // The clip is cut on its own thread: its end comes through the event
    // loop, which has not run since.
    EXPECT_TRUE(finished.empty());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !finished.empty(); }));
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0].first, QString::fromStdString(clip));
    EXPECT_TRUE(finished[0].second);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(clip + ".part")));

    const int64_t key = first / 1000 * 1000;   // the key frame the first frame shown was decoded from
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip, true);
    ASSERT_TRUE(probe.opened);
    EXPECT_NE(probe.format.find("mp4"), std::string::npos);
    EXPECT_EQ(probe.logErrors, 0);
    EXPECT_EQ(probe.decodeErrors, 0);
    const int pictures = static_cast<int>((last - key) / 40 + 1);
    EXPECT_EQ(probe.videoPackets, pictures);
    EXPECT_EQ(probe.decodedFrames, pictures);   // from its first picture on
    EXPECT_EQ(probe.creationTime, QDateTime::fromMSecsSinceEpoch(key, Qt::UTC)
                                      .toString("yyyy-MM-ddThh:mm:ss.000000Z").toStdString());
    EXPECT_NEAR(probe.firstTime, 0.0, 0.001);
    EXPECT_NEAR(probe.lastTime, (last - key) / 1000.0, 0.001);
    EXPECT_NEAR(probe.duration, (last - key + 40) / 1000.0, 0.001);   // what was shown, and its key frame's lead
}

// A clip never replaces a file: one started in the same second as an
// earlier one, of a stream or of a file, is written beside it.
TEST_F(PlayerInterfaceTest, ClipsOfOneSecondKeepEachOther) {
    const uint32_t start = 1709294400u;
    const auto bytes = Recording("twice.rec", 2, start);
    const std::string source = Converted("twice.mp4", bytes);
    const std::string folder = (m_folder + "Clip/").toStdString();
    QDir(QString::fromStdString(folder)).removeRecursively();
    struct Case {
        bool fromFile;
        std::vector<std::string> names;   // of the clips started one after the other
    } cases[] = {
        {false, {"ch03_20240301120000.mp4", "ch03_20240301120000 (1).mp4"}},
        {true, {"ch03_20240301120000 (2).mp4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fromFile ? "file" : "stream");
        CPlayerInterface player;
        size_t ended = 0;
        QObject::connect(&player, &CPlayerInterface::signalClipFinished, &player, [&](QString, bool) { ++ended; });
        if (c.fromFile) {
            ASSERT_TRUE(player.OpenFile(source, &m_window, -1));
            ASSERT_TRUE(kel_test::WaitUntil([&] { return Shown(player) >= 0; }));
        } else {
            ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
        }
        for (const std::string& name : c.names) {
            ASSERT_TRUE(player.StartClip(start, Record(3, ""), MemoryReader({bytes})));
            EXPECT_EQ(player.GetClipPath(), folder + name);
            player.StopClip();
        }
        ASSERT_TRUE(kel_test::WaitUntil([&] { return ended == c.names.size(); }));
    }
    // Each is there with its own contents: the picture at 12:00:00 (the
    // stream's clips showed nothing after it).
    for (const char* name : {"ch03_20240301120000.mp4", "ch03_20240301120000 (1).mp4", "ch03_20240301120000 (2).mp4"}) {
        SCOPED_TRACE(name);
        const bool mp4 = std::string(name).find("(2)") != std::string::npos;
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(folder + name, true, !mp4);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.decodeErrors, 0);
        EXPECT_EQ(probe.decodedFrames, probe.videoPackets);
        EXPECT_GE(probe.decodedFrames, 1);
        if (!mp4) {
            EXPECT_EQ(probe.decodedFrames, 1);
        }
    }
}
