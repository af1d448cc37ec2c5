// SPDX-License-Identifier: GPL-3.0-or-later
// One play window driven through its interaction (start, pause, single
// frames, speed, seek, clips across a seek, zoom, size estimate) and windows
// played in step by the synchronised group.
#include "Playback/PlayBackInteraction.h"
#include "Playback/SynPlaybackInteraction.h"

#include "storage/CommonHelpers.h"
#include "Playback/PlaybackGlobals.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "platform/fallowin/mp4_probe.h"
#include "recmedia/encoder.h"
#include "recmedia/track.h"
#include "recstream/recstream.h"
#include "test_hooks.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <memory>

namespace {

using APT_QMR::CChannel;
using APT_QMR::CPlayBackInteraction;
using APT_QMR::CSingleFile;
using APT_QMR::CStreamPlayer;
using APT_QMR::SynPlaybackInteraction;

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

// Per channel 1 and 2: [T, T+3), [T+3, T+6) and, after a gap, [T+10, T+13).
const uint32_t T = Civil(2024, 3, 1, 8, 0, 0);
const uint32_t kStarts[3] = {T, T + 3, T + 10};
const uint32_t kSeconds = 3;

CChannel Channel(int number) {
    CChannel c;
    c.SetChannelNumber(number);
    c.SetDevice("DVR");
    c.SetRbs(true);
    return c;
}

class PlaybackInteractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = (kel_test::ProgramFolder() + "/local").toStdString();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
        for (int ch = 1; ch <= 2; ++ch) {
            for (int i = 0; i < 3; ++i) {
                recmedia::RecordingSpec spec;
                spec.channel = ch;
                spec.start = kStarts[i];
                spec.seconds = kSeconds;
                spec.width = 160;
                spec.height = 120;
                spec.fps = 10;
                spec.seed = static_cast<uint32_t>(ch * 10 + i);
                if (ch == 1) spec.track = recmedia::MakeTrack(1, spec.start, spec.seconds);
                spec.path = folder + "/" + TimeToString(spec.start) + "_" + TimeToString(spec.start + kSeconds) + "_" +
                            std::to_string(ch) + ".mp4";
                std::string error;
                ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
                files.emplace_back(new CSingleFile(spec.path, folder, 1000, spec.start, spec.start + kSeconds, 0, "DVR", ch));
            }
        }
        auto* s = CSettingsStore::GetInstance();
        s->SetValueText(SettingKey::ClipSavePath, kel_test::ProgramFolder() + "/clips/");
        s->SetValueText(SettingKey::DownloadVideoType, "0");
        CurrentSyncGroup = 0;
        CurrentCapturePage = 0;
        for (auto& w : windows) {
            w.reset(new QWidget);
            w->resize(320, 240);
            w->show();
        }
    }

    // Both channels' files, in time order per channel.
    std::vector<CSingleFile*> All() {
        std::vector<CSingleFile*> list;
        for (auto& f : files) list.push_back(f.get());
        return list;
    }

    void Prepare(CPlayBackInteraction& w, int channel) {
        w.SetChannel(Channel(channel));
        w.SetFileList(All());
        w.m_bRbs = true;
    }

    static bool Shows(CPlayBackInteraction& w, time_t from, time_t to) {
        const time_t t = w.m_streamPlayer.GetPlayedTime();
        return t >= from && t < to;
    }

    // Recorder milliseconds of the frame on screen (-1 for none).
    static int64_t ShownMs(CPlayBackInteraction& w) {
        OSTRUM_FILE_TIME t{};
        if (!Ostrum_GetPlayedTime(w.m_streamPlayer.GetPlayer()->GetPort(), &t)) return -1;
        return int64_t(Civil(t.year, t.month, t.day, t.hour, t.minute, t.second)) * 1000 + t.millisecond;
    }

    std::string folder;
    std::vector<std::unique_ptr<CSingleFile>> files;
    std::unique_ptr<QWidget> windows[3];
};

// One decoded picture: recorder milliseconds, hash, key frame.
struct Picture {
    int64_t ms;
    uint64_t hash;
    bool key;
    bool operator==(const Picture& o) const { return ms == o.ms && hash == o.hash && key == o.key; }
};

std::ostream& operator<<(std::ostream& out, const Picture& p) {
    return out << p.ms << (p.key ? "K" : "") << "#" << (p.hash % 100000);
}

// The pictures of a probed file whose time stamps count from `baseMs`.
std::vector<Picture> Pictures(const kel_test::Mp4Probe& probe, int64_t baseMs) {
    std::vector<Picture> pictures;
    for (size_t i = 0; i < probe.pictureHashes.size(); ++i)
        pictures.push_back({baseMs + std::llround(probe.pictureTimes[i] * 1000), probe.pictureHashes[i], probe.pictureKeys[i]});
    return pictures;
}

// Recorder milliseconds of an .mp4 file's creation time; -1 without one.
int64_t CreationMs(const std::string& text) {
    const QDateTime t = QDateTime::fromString(QString::fromStdString(text).left(19), "yyyy-MM-ddThh:mm:ss");
    return t.isValid() ? QDateTime(t.date(), t.time(), Qt::UTC).toMSecsSinceEpoch() : -1;
}

// What a clip holds: its pictures on the recorder's clock (the clock of
// the .mp4 file's creation time or of the recorder stream's header), and
// that base.
std::vector<Picture> ClipPictures(const std::string& path, bool mp4, int64_t* baseMs, kel_test::Mp4Probe* probe) {
    *probe = kel_test::ProbeMp4(path, true, !mp4);
    if (mp4) {
        *baseMs = CreationMs(probe->creationTime);
    } else {
        const QByteArray bytes = kel_test::ReadFile(QString::fromStdString(path));
        recstream::StreamHeader header;
        *baseMs = recstream::ParseHeader(bytes.constData(), static_cast<size_t>(bytes.size()), &header)
                      ? int64_t(header.startTime) * 1000
                      : -1;
    }
    return Pictures(*probe, *baseMs);
}

TEST_F(PlaybackInteractionTest, PlaysPausesStepsChangesSpeedAndSeeks) {
    CPlayBackInteraction w;
    Prepare(w, 1);
    int vehicleRecords = 0;
    QObject::connect(&w, &CPlayBackInteraction::signalVehInfo, &w, [&](VEH_META_INFO) { ++vehicleRecords; });

    ASSERT_TRUE(w.StartPlayback(windows[0].get(), T + 1));
    EXPECT_TRUE(w.m_bPlaying);
    EXPECT_TRUE(w.IsTimeInFile());
    EXPECT_EQ(w.GetWindow(), windows[0].get());
    EXPECT_EQ(w.m_streamPlayer.GetCurrentIndex(), 0);   // the channel's own list
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shows(w, T + 1, T + 3); }));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return vehicleRecords > 0; }));

    ASSERT_TRUE(w.Pause(true));
    EXPECT_TRUE(w.m_bPause);
    EXPECT_FALSE(w.m_bPlaying);
    ASSERT_TRUE(w.OneByOne());
    EXPECT_TRUE(w.m_bSingleFrame);
    EXPECT_FALSE(w.m_bPlaying);
    ASSERT_TRUE(w.Resume());
    EXPECT_TRUE(w.m_bPlaying);
    EXPECT_FALSE(w.m_bPause);
    EXPECT_FALSE(w.m_bSingleFrame);

    ASSERT_TRUE(w.Fast());
    EXPECT_EQ(w.m_streamPlayer.GetSpeed(), 1);
    ASSERT_TRUE(w.Slow());
    EXPECT_EQ(w.m_streamPlayer.GetSpeed(), 0);

    ASSERT_TRUE(w.SeekTo(T + 10));
    EXPECT_EQ(w.m_streamPlayer.GetCurrentIndex(), 2);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shows(w, T + 10, T + 13); }));

    w.StopPlayback();
    EXPECT_FALSE(w.m_bPlaying);
    EXPECT_EQ(w.m_streamPlayer.GetCurrentIndex(), -1);
    // The file list stays: the window starts again; a reset empties it.
    ASSERT_TRUE(w.StartPlayback(windows[0].get(), T + 4));
    EXPECT_EQ(w.m_streamPlayer.GetCurrentIndex(), 1);
    w.Reset();
    EXPECT_EQ(w.m_streamPlayer.GetCurrentIndex(), -1);
    EXPECT_FALSE(w.StartPlayback(windows[0].get(), T));
}

// What the views read of a window, one step after another; the speed goes
// through the interaction's own entry.
TEST_F(PlaybackInteractionTest, StateFollowsEachControl) {
    CPlayBackInteraction w;
    Prepare(w, 1);
    using State = CPlayBackInteraction::State;
    auto same = [](const State& a, const State& b) {
        return a.fileOpen == b.fileOpen && a.playing == b.playing && a.paused == b.paused &&
               a.singleFrame == b.singleFrame && a.speed == b.speed && a.clipping == b.clipping &&
               a.soundOn == b.soundOn && a.volume == b.volume && a.playerState == b.playerState &&
               a.endOfList == b.endOfList;
    };
    auto text = [](const State& s) {
        return QString("open %1 playing %2 paused %3 frame %4 speed %5 clip %6 sound %7/%8 state %9 end %10")
            .arg(s.fileOpen).arg(s.playing).arg(s.paused).arg(s.singleFrame).arg(s.speed).arg(s.clipping)
            .arg(s.soundOn).arg(s.volume).arg(s.playerState).arg(s.endOfList)
            .toStdString();
    };
    // Before a start: nothing open, the player's full volume.
    State idle;
    idle.volume = 65535;
    EXPECT_TRUE(same(w.GetState(), idle)) << text(w.GetState());

    ASSERT_TRUE(w.StartPlayback(windows[0].get(), T + 1));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shows(w, T + 1, T + 3); }));
    const std::shared_ptr<CSingleFile> file = w.GetCurrentFile();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->ChannelNumber, 1);
    EXPECT_EQ(file->EndTime, T + kSeconds);
    struct Step {
        const char* name;
        std::function<bool()> run;
        State expected;
    };
    State playing = idle;
    playing.fileOpen = true;
    playing.playing = true;
    State paused = playing;
    paused.playing = false;
    paused.paused = true;
    // A frame step from a pause leaves the pause flag as it was.
    State frame = paused;
    frame.singleFrame = true;
    State twice = playing;
    twice.speed = 2;
    State sound = twice;
    sound.soundOn = true;
    sound.volume = 32767;
    // The player keeps the volume it last set.
    State quiet = twice;
    quiet.volume = 32767;
    State stopped;
    stopped.volume = 32767;
    const Step steps[] = {
        {"started", [] { return true; }, playing},
        {"pause", [&] { return w.Pause(true); }, paused},
        {"one frame", [&] { return w.OneByOne(); }, frame},
        {"resume", [&] { return w.Resume(); }, playing},
        {"speed 2", [&] { return w.SetSpeed(2) == 2; }, twice},
        {"speed 2 again changes nothing", [&] { return w.SetSpeed(2) == 0; }, twice},
        {"speed 5 is refused", [&] { return w.SetSpeed(5) == 0; }, twice},
        {"sound on", [&] { return w.PlaySound(); }, sound},
        {"sound off", [&] { return w.StopSound(); }, quiet},
        {"stop", [&] { w.StopPlayback(); return true; }, stopped},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(step.run()) << step.name;
        EXPECT_TRUE(same(w.GetState(), step.expected)) << step.name << ": " << text(w.GetState());
    }
    EXPECT_EQ(w.GetPlayedTime(), -1);
}

TEST_F(PlaybackInteractionTest, StartWithoutFilesOfTheChannel) {
    CPlayBackInteraction w;
    w.SetChannel(Channel(1));
    EXPECT_FALSE(w.StartPlayback(windows[0].get(), T));
    EXPECT_EQ(w.m_streamPlayer.GetState(), CStreamPlayer::StateOpenFailed);
    EXPECT_FALSE(w.m_bPlaying);

    Prepare(w, 3);   // files of channels 1 and 2 only
    EXPECT_FALSE(w.StartPlayback(windows[0].get(), T));
    EXPECT_EQ(w.m_streamPlayer.GetState(), CStreamPlayer::StateNoFile);
    EXPECT_FALSE(w.m_bPlaying);
}

// A seek while a clip runs finishes that clip (announced to the operator)
// and starts a new one at the seek time; clips are converted when
// "DownloadVideoType" asks for it. The first recording is larger than the
// player's 2 MiB buffer, which runs far ahead of the picture; the seek goes
// into a small second one, all of which may enter the player before the new
// clip starts, and the new clip runs on into the third (small) recording.
// Each clip starts at its own key frame's second and decodes.
TEST_F(PlaybackInteractionTest, SeekDuringAClipCutsItInTwo) {
    const uint32_t start = T + 100;
    const uint32_t later = T + 400;
    auto encode = [&](uint32_t from, uint32_t seconds, int width, int height, int fps) {
        recmedia::RecordingSpec spec;
        spec.channel = 3;
        spec.start = from;
        spec.seconds = seconds;
        spec.width = width;
        spec.height = height;
        spec.fps = fps;
        spec.fastRepeat = true;
        spec.seed = from;
        spec.path = folder + "/" + TimeToString(from) + "_" + TimeToString(from + seconds) + "_3.mp4";
        std::string error;
        EXPECT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
        return spec.path;
    };
    const std::string big = encode(start, 200, 1280, 720, 10);
    ASSERT_GT(QFile(QString::fromStdString(big)).size(), 3 * 1024 * 1024);
    const std::string small = encode(later, 3, 160, 120, 10);
    const std::string last = encode(later + 3, 3, 160, 120, 10);
    CSingleFile first(big, folder, 1000, start, start + 200, 0, "DVR", 3);
    CSingleFile second(small, folder, 1000, later, later + 3, 0, "DVR", 3);
    CSingleFile third(last, folder, 1000, later + 3, later + 6, 0, "DVR", 3);

    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    CPlayBackInteraction w;
    std::vector<QString> notices;
    QObject::connect(&w, &CPlayBackInteraction::signalClipEndedBySeek, &w,
                     [&](QString path) { notices.push_back(path); });
    std::vector<std::pair<QString, bool>> finished;
    QObject::connect(&w, &CPlayBackInteraction::signalClipFinished, &w,
                     [&](QString path, bool saved) { finished.emplace_back(path, saved); });
    w.SetChannel(Channel(3));
    w.SetFileList({&first, &second, &third});
    w.m_bRbs = true;
    ASSERT_TRUE(w.StartPlayback(windows[0].get(), start));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shows(w, start, start + 10); }));
    const time_t clipStart = w.m_streamPlayer.GetPlayedTime();
    ASSERT_TRUE(w.StartClip(-1));
    // Two seconds played: at least one key frame has entered the clip.
    ASSERT_TRUE(kel_test::WaitUntil([&] { return w.m_streamPlayer.GetPlayedTime() >= clipStart + 2; }));

    ASSERT_TRUE(w.SeekTo(later + 1));
    const QString folderOfClips = kel_test::ProgramFolder() + "/clips/Clip/";
    const QString firstClip = folderOfClips + "ch03_" + QString::fromStdString(TimeToString(clipStart)) + ".mp4";
    const QString secondClip = folderOfClips + "ch03_" + QString::fromStdString(TimeToString(later + 1)) + ".mp4";
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], firstClip);
    EXPECT_TRUE(w.m_streamPlayer.IsClipping());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shows(w, later + 4, later + 6); }));
    w.m_streamPlayer.StopClip();
    EXPECT_EQ(w.m_streamPlayer.GetPlayer()->GetLastClipPath(), secondClip.toStdString());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return finished.size() == 2; }));
    std::sort(finished.begin(), finished.end());
    EXPECT_EQ(finished, (std::vector<std::pair<QString, bool>>{{firstClip, true}, {secondClip, true}}));
    struct Expected {
        QString clip;
        time_t key;   // the second of the key frame it starts with (one a second)
    } clipsMade[] = {{firstClip, clipStart}, {secondClip, later + 1}};
    for (const Expected& e : clipsMade) {
        SCOPED_TRACE(e.clip.toStdString());
        const QByteArray bytes = kel_test::ReadFile(e.clip);
        ASSERT_GT(bytes.size(), 8);
        EXPECT_EQ(bytes.mid(4, 4), QByteArray("ftyp"));
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(e.clip.toStdString(), true);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.logErrors, 0);
        EXPECT_EQ(probe.decodeErrors, 0);
        EXPECT_EQ(probe.decodedFrames, probe.videoPackets);
        ASSERT_FALSE(probe.pictureKeys.empty());
        EXPECT_TRUE(probe.pictureKeys.front());
        EXPECT_EQ(CreationMs(probe.creationTime), int64_t(e.key) * 1000);
        EXPECT_NEAR(probe.firstTime, 0.0, 0.001);
    }
    EXPECT_EQ(QDir(folderOfClips).entryList(QDir::Files).size(), 2);
    w.StopPlayback();
}


// A clip of a recorder stream holds what was on screen while it ran: from
// the key frame at or before the frame shown when it started (key frames
// here come every 1.5 s, off the whole seconds) to the frame shown when it
// stopped, across the two recordings it ran through, each picture at its
// recorder time, the clip's recorder time that of its key frame, from its
// first picture decodable; raw and as .mp4, read straight from the files
// and through the storage layer, plain and enciphered. The player is fed far
// ahead of the picture: the clip is cut from the recordings read again once
// it stopped.
TEST_F(PlaybackInteractionTest, ClipHoldsThePicturesShownFromTheirKeyFrame) {
    const uint32_t start = T + 200;
    const char* const key = "kel-clip-key";
    // The same pictures plain and enciphered, each in a folder of its own.
    std::vector<std::unique_ptr<CSingleFile>> recordings[2];
    std::vector<Picture> source;   // every picture of the two recordings
    for (uint32_t from : {start, start + 5}) {
        for (int enciphered = 0; enciphered < 2; ++enciphered) {
            const std::string dir = folder + (enciphered ? "/enciphered" : "/plain");
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir)));
            recmedia::RecordingSpec spec;
            spec.channel = 4;
            spec.start = from;
            spec.seconds = 5;
            spec.width = 160;
            spec.height = 120;
            spec.fps = 10;
            spec.gop = 15;
            spec.seed = from;
            spec.key = enciphered ? key : "";
            spec.track = recmedia::MakeTrack(4, from, spec.seconds);
            spec.path = dir + "/" + TimeToString(from) + "_" + TimeToString(from + 5) + "_4.mp4";
            std::string error;
            ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
            recordings[enciphered].emplace_back(new CSingleFile(spec.path, dir, 1000, from, from + 5, 0, "DVR", 4));
            if (enciphered) continue;
            const kel_test::Mp4Probe probe = kel_test::ProbeMp4(spec.path, true, true);
            ASSERT_EQ(probe.decodedFrames, 50);
            for (const Picture& p : Pictures(probe, int64_t(from) * 1000)) source.push_back(p);
        }
    }
    const QString clips = kel_test::ProgramFolder() + "/clips/Clip/";
    struct Case {
        bool direct;           // read straight from the files, else through the storage layer
        const char* videoType;
        bool enciphered;
    } cases[] = {{true, "0", false}, {true, "1", false}, {false, "0", false}, {false, "1", true}};
    auto* settings = CSettingsStore::GetInstance();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.direct ? "direct " : "storage ") + c.videoType + (c.enciphered ? " enciphered" : ""));
        const bool mp4 = c.videoType[0] == '1';
        settings->SetValueText(SettingKey::DownloadVideoType, c.videoType);
        settings->SetValueText(SettingKey::SecretKey, c.enciphered ? key : "");
        QDir(clips).removeRecursively();
        CPlayBackInteraction w;
        w.SetChannel(Channel(4));
        w.SetFileList({recordings[c.enciphered][0].get(), recordings[c.enciphered][1].get()});
        w.m_bRbs = c.direct;
        std::vector<std::pair<QString, bool>> finished;
        QObject::connect(&w, &CPlayBackInteraction::signalClipFinished, &w,
                         [&](QString path, bool saved) { finished.emplace_back(path, saved); });
        // From second 1 on: the picture starts at its key frame at 1.5 s.
        ASSERT_TRUE(w.StartPlayback(windows[0].get(), start + 1));
        ASSERT_TRUE(kel_test::WaitUntil([&] { return ShownMs(w) >= int64_t(start) * 1000 + 2200; }));
        ASSERT_TRUE(w.Pause(true));   // the frame on screen stays while it is noted
        const int64_t first = ShownMs(w);
        ASSERT_TRUE(w.StartClip(-1));
        ASSERT_TRUE(w.Resume());
        // Into the second recording, past its first key frame.
        ASSERT_TRUE(kel_test::WaitUntil([&] { return ShownMs(w) >= int64_t(start + 6) * 1000 + 200; }));
        ASSERT_TRUE(w.Pause(true));
        const int64_t last = ShownMs(w);
        const std::string path = w.m_streamPlayer.GetPlayer()->GetClipPath();
        w.m_streamPlayer.StopClip();
        EXPECT_EQ(w.m_streamPlayer.GetPlayer()->GetLastClipPath(), path);
        EXPECT_EQ(QString::fromStdString(path), clips + "ch04_" + QString::fromStdString(TimeToString(first / 1000)) + ".mp4");
        ASSERT_TRUE(kel_test::WaitUntil([&] { return !finished.empty(); }));
        ASSERT_EQ(finished.size(), 1u);
        EXPECT_EQ(finished[0], std::make_pair(QString::fromStdString(path), true));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path) + ".part"));
        w.StopPlayback();

        // The pictures of the recordings from the key frame of the first
        // frame shown to the last one shown.
        auto key = std::find_if(source.rbegin(), source.rend(), [&](const Picture& p) { return p.key && p.ms <= first; });
        ASSERT_NE(key, source.rend());
        std::vector<Picture> expected;
        for (const Picture& p : source)
            if (p.ms >= key->ms && p.ms <= last) expected.push_back(p);
        ASSERT_EQ(expected.front().ms, int64_t(start) * 1000 + 1500);
        ASSERT_GT(expected.back().ms, int64_t(start + 5) * 1000);

        int64_t base = -1;
        kel_test::Mp4Probe probe;
        const std::vector<Picture> pictures = ClipPictures(path, mp4, &base, &probe);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.format.find("mp4") != std::string::npos, mp4) << probe.format;
        EXPECT_EQ(probe.logErrors, 0);
        EXPECT_EQ(probe.decodeErrors, 0);
        EXPECT_EQ(probe.decodedFrames, probe.videoPackets);   // from the first picture on
        EXPECT_EQ(base, key->ms / 1000 * 1000);               // the key frame's recorder second
        EXPECT_EQ(pictures, expected);
    }
    settings->SetValueText(SettingKey::DownloadVideoType, "0");
    settings->SetValueText(SettingKey::SecretKey, "");
}

TEST_F(PlaybackInteractionTest, ZoomRegionsNest) {
    CPlayBackInteraction w;
    float r[4];
    w.GetDisplayRegion(r);
    EXPECT_EQ(std::vector<float>(r, r + 4), (std::vector<float>{0, 0, 1, 1}));
    // Nothing plays, so the player refuses the region; it is kept anyway.
    EXPECT_FALSE(w.SetDisplayRegion(0.25f, 0.25f, 0.75f, 0.75f));
    w.SetDisplayRegion(0.25f, 0.25f, 0.75f, 0.75f);
    w.GetDisplayRegion(r);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(r[i], i < 2 ? 0.375f : 0.625f);
    w.SetDisplayRegion(0.5f, 0.1f, 0.5f, 0.9f);   // left equal to right: whole picture
    w.GetDisplayRegion(r);
    EXPECT_EQ(std::vector<float>(r, r + 4), (std::vector<float>{0, 0, 1, 1}));
}

TEST(PlaybackInteractionEstimate, BytesOfASpan) {
    // 100-second files of 1000 bytes: 0..99, 100..199, and after a gap 300..399.
    CSingleFile a("a", "d", 1000, 0, 99, 0, "", 1);
    CSingleFile b("b", "d", 1000, 100, 199, 0, "", 1);
    CSingleFile c("c", "d", 1000, 300, 399, 0, "", 1);
    CPlayBackInteraction w;
    w.SetFileList({&a, &b, &c});
    struct Case {
        time_t start, end;
        uint64_t bytes;
    } cases[] = {
        {50, 99, 500},     // the second half of the first file
        {0, 99, 1000},
        {50, 149, 1000},   // the last 50 seconds of a, the first 50 of b
        {0, 399, 3000},
        {250, 349, 500},   // the gap counts nothing
        {99, 50, 0},       // end before start
        {400, 500, 0},
    };
    for (const Case& k : cases) EXPECT_EQ(w.EstimateDownloadSize(k.start, k.end), k.bytes) << k.start << ".." << k.end;

    // The window's channel only, and a copy of its recording on a second
    // disk counts once.
    CSingleFile mirror("a2", "e", 1000, 0, 99, 0, "", 1);
    CSingleFile other("o", "d", 1000, 0, 99, 0, "", 2);
    w.SetChannel(Channel(1));
    w.SetFileList({&a, &mirror, &other, &b, &c});
    EXPECT_EQ(w.EstimateDownloadSize(0, 399), 3000u);
}

TEST(PlaybackInteractionSearch, SearchDaysOfTheChannelFiles) {
    CPlayBackInteraction w;
    EXPECT_FALSE(w.HasChannelFiles());
    EXPECT_EQ(w.GetSearchStartTime(), -1);
    auto* record = new ChannelFiles;
    record->StartTime = QDate(2024, 3, 1);
    record->EndTime = QDate(2024, 3, 2);
    w.SetChannelFiles(record);
    EXPECT_TRUE(w.HasChannelFiles());
    EXPECT_EQ(w.GetSearchStartTime(), static_cast<time_t>(Civil(2024, 3, 1, 0, 0, 0)));
    EXPECT_EQ(w.GetSearchEndTime(), static_cast<time_t>(Civil(2024, 3, 2, 23, 59, 59)));
}

// Two windows in the page's sync group play together; the ticker reports
// the time; the group pauses, steps, changes speed, seeks and stops.
TEST_F(PlaybackInteractionTest, WindowsInAGroupAdvanceTogether) {
    CPlayBackInteraction a, b;
    Prepare(a, 1);
    Prepare(b, 2);
    SynPlaybackInteraction group;
    std::vector<time_t> ticks;
    QObject::connect(&group, &SynPlaybackInteraction::signalCurrentTime, &group, [&](time_t t) { ticks.push_back(t); });
    EXPECT_FALSE(group.Stop());   // never started
    ASSERT_TRUE(group.AddInteraction(&a));
    ASSERT_TRUE(group.AddInteraction(&b));
    EXPECT_FALSE(group.AddInteraction(&a));
    EXPECT_FALSE(group.AddInteraction(nullptr));
    EXPECT_FALSE(group.HasActiveWindow());
    EXPECT_EQ(group.GetCurrentTime(), -1);

    ASSERT_TRUE(a.StartPlayback(windows[0].get(), T));
    ASSERT_TRUE(b.StartPlayback(windows[1].get(), T));
    ASSERT_TRUE(group.Start());
    EXPECT_TRUE(group.IsPlaying());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return ticks.size() >= 2; }));
    for (time_t t : ticks) {
        EXPECT_GE(t, static_cast<time_t>(T));
        EXPECT_LT(t, static_cast<time_t>(T + 13));
    }
    for (int i = 0; i < 5; ++i) {
        const time_t ta = a.m_streamPlayer.GetPlayedTime();
        const time_t tb = b.m_streamPlayer.GetPlayedTime();
        if (ta != -1 && tb != -1) {
            EXPECT_LE(std::llabs(static_cast<long long>(ta - tb)), 1);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    ASSERT_TRUE(group.Pause(true));
    EXPECT_TRUE(group.IsPaused());
    EXPECT_FALSE(group.IsPlaying());
    EXPECT_TRUE(a.m_bPause && b.m_bPause);
    // Held on their pictures, the ticker, the windows' pumps and their
    // decode threads wait until a control wakes them.
    EXPECT_TRUE(kel_test::WaitUntil([&] {
        return group.IsWaitingForWake() && a.m_streamPlayer.IsWaitingForWake() &&
               b.m_streamPlayer.IsWaitingForWake() &&
               vintrel::WaitsUntilTold(a.m_streamPlayer.GetPlayer()->GetPort()) &&
               vintrel::WaitsUntilTold(b.m_streamPlayer.GetPlayer()->GetPort());
    }));
    ASSERT_TRUE(group.OneByOne());
    EXPECT_TRUE(group.IsSingleFrame());
    EXPECT_TRUE(a.m_bSingleFrame && b.m_bSingleFrame);
    ASSERT_TRUE(group.Play());
    EXPECT_TRUE(a.m_bPlaying && b.m_bPlaying);
    EXPECT_TRUE(kel_test::WaitUntil([&] { return !group.IsWaitingForWake() && !a.m_streamPlayer.IsWaitingForWake(); }));

    ASSERT_TRUE(group.SetSpeed(1));
    EXPECT_EQ(group.GetSpeed(), 1);
    EXPECT_FALSE(group.SetSpeed(1));   // no window changes
    ASSERT_TRUE(group.Slow());
    EXPECT_EQ(group.GetSpeed(), 0);

    ASSERT_TRUE(group.SeekTo(T + 10));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Shows(a, T + 10, T + 13) && Shows(b, T + 10, T + 13); }));
    ticks.clear();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !ticks.empty() && ticks.back() >= static_cast<time_t>(T + 10); }));

    ASSERT_TRUE(group.Stop());
    EXPECT_FALSE(group.Stop());
    EXPECT_FALSE(group.HasActiveWindow());   // the set is empty
    EXPECT_FALSE(group.SeekTo(T));
    a.StopPlayback();
    b.StopPlayback();
}

// Windows set playing first and put in step afterwards, as the grid's sync
// button does, go by the group's clock (turned by hand here): the window
// whose decoder needs 120 ms for a picture of a 10 fps recording shows its
// pictures while they are less than a frame late, and once it drops a
// picture more than two frames late and later than the one dropped before,
// it decodes nothing up to the key frame at the group's time: a lower frame
// rate, each picture within two frames of the group's time (what the other
// window shows), instead of every picture later and later.
TEST_F(PlaybackInteractionTest, AStarvedWindowSyncedWhilePlayingKeepsTheGroupsTime) {
    const vintrel::ScopedManualClock manual(5000000);
    CPlayBackInteraction a, b;
    Prepare(a, 1);
    Prepare(b, 2);
    ASSERT_TRUE(a.StartPlayback(windows[0].get(), T + 1));
    ASSERT_TRUE(b.StartPlayback(windows[1].get(), T + 1));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return ShownMs(a) >= 0 && ShownMs(b) >= 0; }));
    vintrel::SetDecodeCost(b.m_streamPlayer.GetPlayer()->GetPort(), 120);
    SynPlaybackInteraction group;
    ASSERT_TRUE(group.SetInteractions({&a, &b}));
    ASSERT_TRUE(group.Play());
    ASSERT_TRUE(group.Start());
    ASSERT_TRUE(group.SeekTo(T));
    // Both show the key frame moved to (the clock stands until turned).
    const int64_t start = int64_t(T) * 1000;
    ASSERT_TRUE(kel_test::WaitUntil([&] { return ShownMs(a) == start && ShownMs(b) == start; }));
    vintrel::SetDecodeCost(b.m_streamPlayer.GetPlayer()->GetPort(), 120);   // on the port the move opened
    vintrel::AdvanceManualClock(0);
    std::string apart;
    int shownA = 0, shownB = 0;
    int64_t lastA = start, lastB = start;
    for (int step = 1; step <= 280; ++step) {   // 2.8 s of the 3 s recording
        vintrel::AdvanceManualClock(10);
        const int64_t ta = ShownMs(a), tb = ShownMs(b);
        if (ta != lastA) ++shownA;
        if (tb != lastB) {
            ++shownB;
            if (std::llabs(tb - ta) > 200) apart += std::to_string(tb - start) + "/" + std::to_string(ta - start) + " ";
        }
        lastA = ta;
        lastB = tb;
    }
    EXPECT_EQ(apart, "");
    EXPECT_EQ(lastA, start + 2800);
    EXPECT_EQ(shownA, 28);
    // 100 to 400 ms (20 to 80 ms late); 500 to 1100 ms dropped (100 to
    // 220 ms late); nothing decoded up to the key frame at 2 s (the one at
    // 1 s was already late), which is decoded 680 ms early, and the pictures
    // after it up to 2.8 s, each decoded 20 ms less early.
    EXPECT_EQ(shownB, 13);
    ASSERT_TRUE(group.Stop());
    a.StopPlayback();
    b.StopPlayback();
}

// Channel 1 found on two disks (the second mirrors the first one's spans),
// channel 2 on one, played in step: the first window's time never goes
// back when its recording changes, and the two stay within a second.
TEST_F(PlaybackInteractionTest, AChannelOnTwoDisksStaysInStep) {
    const std::string mirror = folder + "_disk2";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(mirror)));
    std::vector<std::unique_ptr<CSingleFile>> copies;
    std::vector<CSingleFile*> list;
    for (int i = 0; i < 3; ++i) {
        recmedia::RecordingSpec spec;
        spec.channel = 1;
        spec.start = kStarts[i];
        spec.seconds = kSeconds;
        spec.width = 160;
        spec.height = 120;
        spec.fps = 10;
        spec.seed = static_cast<uint32_t>(50 + i);
        spec.path = mirror + "/" + TimeToString(spec.start) + "_" + TimeToString(spec.start + kSeconds) + "_1.mp4";
        std::string error;
        ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
        copies.emplace_back(new CSingleFile(spec.path, mirror, 1000, spec.start, spec.start + kSeconds, 0, "DVR", 1));
        // As the search lists them: by start, the first disk's before the second's.
        list.push_back(files[static_cast<size_t>(i)].get());
        list.push_back(copies.back().get());
    }
    for (size_t i = 3; i < files.size(); ++i) list.push_back(files[i].get());   // channel 2

    CPlayBackInteraction a, b;
    a.SetChannel(Channel(1));
    a.SetFileList(list);
    a.m_bRbs = true;
    Prepare(b, 2);
    SynPlaybackInteraction group;
    ASSERT_TRUE(group.AddInteraction(&a));
    ASSERT_TRUE(group.AddInteraction(&b));
    ASSERT_TRUE(a.StartPlayback(windows[0].get(), T));
    ASSERT_TRUE(b.StartPlayback(windows[1].get(), T));
    ASSERT_TRUE(group.Start());
    ASSERT_TRUE(group.SetSpeed(1));
    // Watched until the first window is well into its second recording.
    time_t lastA = -1;
    std::string back, apart;
    ASSERT_TRUE(kel_test::WaitUntil([&] {
        const time_t ta = a.m_streamPlayer.GetPlayedTime();
        const time_t tb = b.m_streamPlayer.GetPlayedTime();
        if (ta != -1 && lastA != -1 && ta < lastA)
            back += std::to_string(lastA - T) + "->" + std::to_string(ta - T) + " ";
        if (ta != -1) lastA = ta;
        if (ta != -1 && tb != -1 && std::llabs(static_cast<long long>(ta - tb)) > 1) {
            const std::string pair = std::to_string(ta - T) + "/" + std::to_string(tb - T) + " ";
            if (apart.size() < pair.size() || apart.compare(apart.size() - pair.size(), pair.size(), pair) != 0)
                apart += pair;   // each distinct pair once
        }
        return ta >= static_cast<time_t>(T + 5);
    }));
    EXPECT_EQ(back, "");
    EXPECT_EQ(apart, "");
    ASSERT_TRUE(group.Stop());
    a.StopPlayback();
    b.StopPlayback();
}

// Windows more than a second ahead of the earliest wait (paused) while the
// others step one frame. Each window stands at its first picture (on the
// clock turned by hand) until it is paused, however long starting the
// others takes.
TEST_F(PlaybackInteractionTest, GroupSingleFrameKeepsWindowsTogether) {
    const vintrel::ScopedManualClock manual(6000000);
    CPlayBackInteraction w[3];
    const uint32_t at[3] = {T, T + 1, T + 4};
    for (int i = 0; i < 3; ++i) {
        Prepare(w[i], 1);
        ASSERT_TRUE(w[i].StartPlayback(windows[i].get(), at[i]));
        ASSERT_TRUE(
            kel_test::WaitUntil([&] { return w[i].m_streamPlayer.GetPlayedTime() >= static_cast<time_t>(at[i]); }));
        ASSERT_TRUE(w[i].Pause(true));
    }
    time_t shown[3];
    for (int i = 0; i < 3; ++i) shown[i] = w[i].m_streamPlayer.GetPlayedTime();
    ASSERT_LE(shown[1] - shown[0], 1);
    ASSERT_GT(shown[2] - shown[0], 1);

    SynPlaybackInteraction group;
    ASSERT_TRUE(group.SetInteractions({&w[0], &w[1], &w[2]}));
    for (auto& x : w) x.m_bPause = false;
    ASSERT_TRUE(group.OneByOne());
    EXPECT_TRUE(w[0].m_bSingleFrame);
    EXPECT_TRUE(w[1].m_bSingleFrame);
    EXPECT_FALSE(w[2].m_bSingleFrame);
    EXPECT_TRUE(w[2].m_bPause);
    EXPECT_FALSE(w[2].m_bPlaying);
    for (auto& x : w) x.StopPlayback();
}

// Quick clicks on Frame: every click of the group shows one more frame in
// each window. The clicks all come before the pictures do, however fast the
// machine shows them: the windows stand at their first picture (the clock is
// turned by hand and stays) and their decoders are held until the last
// click. (Were one window's pictures to come far sooner than the other's, it
// would be more than a second ahead and rightly wait for the other.)
TEST_F(PlaybackInteractionTest, QuickGroupFrameStepsAllArrive) {
    const vintrel::ScopedManualClock manual(6000000);
    CPlayBackInteraction w[2];
    std::atomic<int> shown[2] = {{0}, {0}};
    for (int i = 0; i < 2; ++i) {
        Prepare(w[i], i + 1);
        ASSERT_TRUE(w[i].StartPlayback(windows[i].get(), T));
        ASSERT_TRUE(kel_test::WaitUntil([&] { return ShownMs(w[i]) >= int64_t(T) * 1000; }));
    }
    SynPlaybackInteraction group;
    ASSERT_TRUE(group.SetInteractions({&w[0], &w[1]}));
    ASSERT_TRUE(group.Pause(true));
    for (int i = 0; i < 2; ++i) {
        w[i].m_streamPlayer.GetPlayer()->SetShownCallback([&shown, i](time_t) { ++shown[i]; });
        vintrel::HoldDecoder(w[i].m_streamPlayer.GetPlayer()->GetPort(), true);
    }
    const time_t before[2] = {w[0].m_streamPlayer.GetPlayedTime(), w[1].m_streamPlayer.GetPlayedTime()};
    const int kClicks = 25;   // 2.5 s of 10 fps recordings of 3 s each
    for (int c = 0; c < kClicks; ++c) ASSERT_TRUE(group.OneByOne()) << "click " << c;
    for (int i = 0; i < 2; ++i) vintrel::HoldDecoder(w[i].m_streamPlayer.GetPlayer()->GetPort(), false);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(kel_test::WaitUntil([&] { return shown[i] >= kClicks; })) << "window " << i << " showed " << shown[i];
        EXPECT_GE(w[i].m_streamPlayer.GetPlayedTime(), before[i] + 2) << "window " << i;
    }
    for (int i = 0; i < 2; ++i) w[i].m_streamPlayer.GetPlayer()->SetShownCallback(nullptr);
    for (auto& x : w) x.StopPlayback();
}

// A group started without windows runs only its ticker, which reports
// nothing.
TEST(PlaybackInteractionGroup, EmptyGroupTicksNothing) {
    SynPlaybackInteraction group;
    int ticks = 0;
    QObject::connect(&group, &SynPlaybackInteraction::signalCurrentTime, &group, [&](time_t) { ++ticks; });
    const uint64_t passes = group.TickerPasses();
    ASSERT_TRUE(group.Start());
    EXPECT_TRUE(group.IsStarted());
    // Two passes of the ticker, each of which would have emitted before it
    // counted; what they emitted is delivered once the ticker has ended.
    ASSERT_TRUE(kel_test::WaitUntil([&] { return group.TickerPasses() >= passes + 2; }));
    EXPECT_TRUE(group.Stop());
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(group.GetSpeed(), 0);
    EXPECT_FALSE(group.IsStarted());
}

}  // namespace
