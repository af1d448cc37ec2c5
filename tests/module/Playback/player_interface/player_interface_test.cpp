// The player interface over the player library: speeds and decode types,
// snapshots and clips, input while the player is full, played time, vehicle
// data and the sound flag.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "PlaybackGlobals.h"
#include "PlayerInterface.h"
#include "Settings.h"
#include "SingleFile.h"
#include "kel_test/test_support.h"
#include "mp4_probe.h"
#include "recording_fixture.h"
#include "recstream/recstream.h"

using APT_QMR::CPlayerInterface;
using APT_QMR::CSingleFile;

namespace {

bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

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

class PlayerInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = kel_test::ProgramFolder() + "/out/";
        auto* s = CSettingsStore::GetInstance();
        s->SetValueText(SettingKey::CaptureSavePath, m_folder);
        s->SetValueText(SettingKey::ClipSavePath, m_folder);
        s->SetValueText(SettingKey::CaptureSaveType, "0");
        s->SetValueText(SettingKey::DecodeFrameType, "0");
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
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    EXPECT_EQ(player.GetPlayedTime(), -1);  // nothing on screen yet: no time, not 1999
    const size_t half = bytes.size() / 2;
    StartFeeding(&player, bytes, 40, half);
    ASSERT_TRUE(WaitFor([&] { return player.GetPlayedTime() != -1; }));
    const time_t first = player.GetPlayedTime();
    EXPECT_EQ(first, 1709294400);  // 2024-03-01 12:00:00 (the tests run in UTC)
    ASSERT_TRUE(WaitFor([&] { return player.GetPlayedTime() > first; }));
    ASSERT_TRUE(WaitFor([&] { return !infos.empty(); }));
    EXPECT_EQ(infos.front().time, 1709294400u);

    // Clip: header first, then every accepted block.
    ASSERT_TRUE(player.StartClip(1709294400, Record(3, "")));
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
    const uint64_t clipBytes = player.GetClipBytes();
    player.StopClip();
    EXPECT_EQ(player.GetLastClipPath(), clip);
    QByteArray written = kel_test::ReadFile(QString::fromStdString(clip));
    EXPECT_EQ(static_cast<uint64_t>(written.size()), clipBytes);
    ASSERT_EQ(static_cast<size_t>(written.size()), 40 + bytes.size() - half);
    EXPECT_EQ(0, std::memcmp(written.constData(), bytes.data(), 40));
    // After the header the clip holds every block accepted since its start.
    EXPECT_EQ(0, std::memcmp(written.constData() + 40, bytes.data() + half, bytes.size() - half));
}

// The player moves on to the next recording while a clip is recorded: the
// clip goes on with it, its times running forward across the pause between
// the two, in recorder form and as .mp4.
TEST_F(PlayerInterfaceTest, ClipGoesOnAcrossRecordings) {
    const uint32_t start = 1709294400u;
    auto first = Recording("first.rec", 2, start);
    auto second = Recording("second.rec", 2, start + 5);
    for (const char* videoType : {"0", "1"}) {
        SCOPED_TRACE(videoType);
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, videoType);
        CPlayerInterface player;
        ASSERT_TRUE(player.OpenStream(first.data(), 40, &m_window));
        ASSERT_TRUE(player.StartClip(start, Record(3, "")));
        const std::string clip = player.GetClipPath();
        StartFeeding(&player, first, 40, first.size());
        m_feeder.join();
        ASSERT_TRUE(player.OpenStream(second.data(), 40, &m_window));
        StartFeeding(&player, second, 40, second.size());
        m_feeder.join();
        player.StopClip();
        ASSERT_EQ(player.GetLastClipPath(), clip);
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

TEST_F(PlayerInterfaceTest, CaptureFailsWithoutFolderSettingOrFrame) {
    auto bytes = Recording("nocap.rec", 1);
    CPlayerInterface player;
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    EXPECT_FALSE(player.Capture(Record(1, "")));  // no frame on screen yet
    CurrentCapturePage = 2;
    EXPECT_FALSE(player.StartClip(1709294400, Record(1, "")));
    CurrentCapturePage = 0;
}

TEST_F(PlayerInterfaceTest, BlockedInputGivesUpWhenAsked) {
    auto bytes = Recording("full.rec", 4);
    CPlayerInterface player;
    ASSERT_TRUE(player.OpenStream(bytes.data(), 40, &m_window));
    ASSERT_TRUE(player.Pause(true));
    ASSERT_EQ(player.InputData(bytes.data() + 40, static_cast<uint32_t>(bytes.size() - 40)),
              CPlayerInterface::InputAccepted);
    std::atomic<int> result{-1};
    std::thread t([&] {
        std::vector<uint8_t> block(512 * 1024, 0);
        for (int i = 0; i < 16; ++i) {
            int r = player.InputData(block.data(), static_cast<uint32_t>(block.size()));
            if (r != CPlayerInterface::InputAccepted) {
                result = r;
                return;
            }
        }
        result = 100;  // never blocked
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    player.SetStopInput(true);
    t.join();
    EXPECT_EQ(result.load(), CPlayerInterface::InputGivenUp);
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
