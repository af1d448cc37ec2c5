// SPDX-License-Identifier: GPL-3.0-or-later
// What the program saves from a recording is found again by the local search
// and plays: downloads (raw and .mp4, a second one of the same span, one that
// did not run to its end), alarm clips, clips of the clip dialog, evidence
// videos, and the player's clips of a stream and of a played .mp4. Each is
// saved through the program's own code, listed with its channel and the
// times of its first and last frame, and played the way a double-click in
// local mode plays it, its first frame shown at the time it was listed with.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "module/search/search_thread/signal_counter.h"
#include "storage/CommonHelpers.h"
#include "storage/DiskEnum.h"
#include "Download/Batch/BatchDownloadDialog.h"
#include "wincompat/drives.h"
#include "Playback/PlayBackInteraction.h"
#include "Playback/PlaybackGlobals.h"
#include "Playback/PlayerInterface.h"
#include "search/SearchLocalThread.h"
#include "storage/Settings.h"
#include "Playback/StreamDownloader.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "vintrel.h"

namespace {

using APT_QMR::CPlayBackInteraction;
using APT_QMR::CPlayerInterface;
using APT_QMR::CSingleFile;
using APT_QMR::CStreamDownloader;

constexpr int kChannel = 3;
constexpr int kSeconds = 6;
const time_t T = static_cast<time_t>(QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0), Qt::UTC).toSecsSinceEpoch());

std::string Name(time_t a, time_t b, const std::string& rest = "") {
    return "ch03_" + TimeToString(a) + "_" + TimeToString(b) + rest + ".mp4";
}

// One saved file: where it is and what the local search must say of it.
struct Saved {
    std::string folder;   // relative to the program folder
    std::string name;
    int mode;             // the local search's name mode that lists it
    time_t first, last;   // seconds of its first and last frame
};

// The part that names disk 1's letter E in the batch downloader's names, in
// a language of the program ("en" or "zh").
std::string DiskPart(const QString& language) {
    const QString root = kel_test::ProgramFolder();
    QDir().mkpath(root + "/card");
    kel_test::WriteFile(root + "/drives.txt", QString("disk 1 %1/card\nletter E 1 removable vfat %1/card\n").arg(root).toUtf8());
    kel_test::ScopedEnv env("KEL_DRIVES", (root + "/drives.txt").toStdString());
    wincompat::ReloadDriveTable();
    kel_test::ScopedCatalogue catalogue(language);
    EXPECT_TRUE(catalogue.loaded()) << language.toStdString();
    const std::string part = DiskNamePart(DiskShownName("E:\\")).toLocal8Bit().toStdString();
    wincompat::ReloadDriveTable();
    return part;
}

class LocalFilesRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        home = kel_test::ProgramFolder().toStdString();
        auto* s = CSettingsStore::GetInstance();
        s->SetValueText(SettingKey::DownloadSavePath, QString::fromStdString(home + "/dl/"));
        s->SetValueText(SettingKey::EvidenceVideoSavePath, QString::fromStdString(home + "/ev/"));
        s->SetValueText(SettingKey::ClipSavePath, QString::fromStdString(home + "/clip/"));
        s->SetValueText(SettingKey::DownloadVideoType, "0");
        s->SetValueText(SettingKey::SecretKey, "");
        CurrentCapturePage = 0;
        // The recording, in a folder read straight from the file system.
        const std::string folder = home + "/media";
        QDir().mkpath(QString::fromStdString(folder));
        recmedia::RecordingSpec spec;
        spec.path = folder + "/" + TimeToString(T) + "_" + TimeToString(T + kSeconds) + "_3.mp4";
        spec.channel = kChannel;
        spec.start = static_cast<uint32_t>(T);
        spec.seconds = kSeconds;
        spec.width = 64;
        spec.height = 48;
        spec.fps = 10;
        std::string error;
        ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
        recording.reset(new CSingleFile(spec.path, folder, static_cast<uint32_t>(QFileInfo(QString::fromStdString(spec.path)).size()),
                                        static_cast<uint32_t>(T), static_cast<uint32_t>(T + kSeconds), 0, "DVR",
                                        kChannel));
        recording->SubFileType = 1301;
        // A recording of less than a second (its frames all in its first
        // second), in a folder of its own.
        const std::string shortFolder = home + "/short";
        QDir().mkpath(QString::fromStdString(shortFolder));
        spec.path = shortFolder + "/" + TimeToString(T) + "_" + TimeToString(T + 1) + "_3.mp4";
        spec.seconds = 1;
        ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
        shortRecording.reset(new CSingleFile(spec.path, shortFolder,
                                             static_cast<uint32_t>(QFileInfo(QString::fromStdString(spec.path)).size()),
                                             static_cast<uint32_t>(T), static_cast<uint32_t>(T + 1), 0, "DVR",
                                             kChannel));
        shortRecording->SubFileType = 1301;
        window.resize(160, 120);
        window.show();
    }

    // One download to its end, as the pages start it; the file it reported
    // last (that of a file that did not run to its end is renamed then).
    // `namePart`: the disk part the batch downloader adds to the names;
    // `source`: the recording (the six-second one when null).
    std::string Download(int fileType, bool clipMode, const char* subFolder, bool byTime, time_t from, time_t to,
                         uint32_t endTime, const std::string& namePart = std::string(),
                         const CSingleFile* source = nullptr) {
        CStreamDownloader d;
        d.SetDiskKind(1);
        d.SetDownLoadFileType(fileType);
        d.SetClipMode(clipMode);
        d.SetSavePath(QString::fromLatin1(subFolder));
        if (!namePart.empty()) d.SetNamePart([namePart](const CSingleFile&) { return namePart; });
        EXPECT_TRUE(d.SetParam(new APT_QMR::CStreamDownloaderParam(kChannel)));
        std::string path;
        std::vector<int> codes;
        QObject context;
        QObject::connect(&d, &CStreamDownloader::DownloadFiles, &context, [&](QString p) { path = p.toStdString(); });
        QObject::connect(&d, &CStreamDownloader::DownloadSignal, &context, [&](int code, int, int) { codes.push_back(code); });
        CSingleFile task(source ? *source : *recording);
        task.EndTime = endTime;
        const bool started = byTime ? d.DownloadByTime({&task}, from, to) : d.DownloadByFile({&task}, {0}, {0});
        EXPECT_TRUE(started);
        if (!started) return std::string();
        EXPECT_TRUE(
            kel_test::WaitUntil([&] { return !codes.empty() && codes.back() == APT_QMR::DownloadAllDone; }, 120));
        return path;
    }

    // The player's clip of the whole recording fed as a stream, cut from
    // the recording read again once the last frame was shown.
    std::string StreamClip() {
        const QByteArray bytes = kel_test::ReadFile(QString::fromStdString(recording->FileName));
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
        CPlayerInterface player;
        std::atomic<bool> finished{false};
        QObject::connect(&player, &CPlayerInterface::signalClipFinished, &player, [&](QString, bool saved) {
            EXPECT_TRUE(saved);
            finished = true;
        });
        auto reader = [bytes](time_t, time_t, int, const CPlayerInterface::StreamSink& sink) {
            const auto* d = reinterpret_cast<const uint8_t*>(bytes.constData());
            if (!sink(1, d, 40)) return true;
            sink(2, d + 40, static_cast<uint32_t>(bytes.size() - 40));
            return true;
        };
        EXPECT_TRUE(player.OpenStream(data, 40, &window));
        EXPECT_TRUE(player.StartClip(T, std::make_shared<CSingleFile>(*recording), reader));
        for (int at = 40; at < bytes.size();) {
            const uint32_t n = static_cast<uint32_t>(std::min(8192, bytes.size() - at));
            EXPECT_EQ(player.InputData(data + at, n), CPlayerInterface::InputAccepted);
            at += static_cast<int>(n);
        }
        OSTRUM_FILE_TIME shown{};
        EXPECT_TRUE(kel_test::WaitUntil(
            [&] {
                return Ostrum_GetPlayedTime(player.GetPort(), &shown) && shown.second == (T + kSeconds - 1) % 60 &&
                       shown.millisecond == 900;
            },
            120));
        player.StopClip();
        EXPECT_TRUE(kel_test::WaitUntil([&] { return finished.load(); }, 120));
        return player.GetLastClipPath();
    }

    // The player's clip of a played .mp4, from `from` to the end of the file
    // (its last frame at `lastSecond` and 900 ms).
    std::string FileClip(const std::string& mp4, time_t from, time_t lastSecond) {
        CPlayerInterface player;
        std::atomic<bool> finished{false};
        QObject::connect(&player, &CPlayerInterface::signalClipFinished, &player, [&](QString, bool saved) {
            EXPECT_TRUE(saved);
            finished = true;
        });
        EXPECT_TRUE(player.OpenFile(mp4, &window, -1));
        EXPECT_TRUE(player.StartClip(from, std::make_shared<CSingleFile>(*recording)));
        // The last frame stays on screen once the file has played out.
        OSTRUM_FILE_TIME shown{};
        EXPECT_TRUE(kel_test::WaitUntil(
            [&] {
                return Ostrum_GetPlayedTime(player.GetPort(), &shown) && shown.second == lastSecond % 60 &&
                       shown.millisecond == 900;
            },
            120));
        player.StopClip();
        EXPECT_TRUE(kel_test::WaitUntil([&] { return finished.load(); }, 120));
        return player.GetLastClipPath();
    }

    // The local search over one folder.
    QVector<ChannelFiles*> Search(const std::string& folder, int mode) {
        SearchLocalThread thread;
        search_test::SignalCounter ended(&thread, &SearchLocalThread::signalSearchFinish);
        thread.setSearchCondition(false, {}, {});
        thread.setFolderPath(QString::fromStdString(folder));
        thread.setTypeFromName(mode);
        thread.startSearch();
        EXPECT_TRUE(thread.wait(120000));
        EXPECT_EQ(ended.count(), 1);
        QVector<ChannelFiles*> results;
        thread.getResults(results);
        return results;
    }

    // Plays a listed file as a double-click on it in local mode does: a
    // window of its channel (read straight from the file system) with that
    // file, from its start. The time of the first frame shown; -1 for none.
    time_t PlayFirstFrame(const ChannelFiles& channel, CSingleFile* file) {
        CPlayBackInteraction ia;
        ia.SetChannel(channel.ChannelInfo);
        ia.m_bRbs = channel.ChannelInfo.GetRbs();
        ia.SetFileList({file});
        std::mutex lock;
        time_t first = -1;
        ia.m_streamPlayer.GetPlayer()->SetShownCallback([&](time_t t) {
            std::lock_guard<std::mutex> g(lock);
            if (first == -1) first = t;
        });
        EXPECT_TRUE(ia.StartPlayback(&window, static_cast<time_t>(file->StartTime)));
        kel_test::WaitUntil(
            [&] {
                std::lock_guard<std::mutex> g(lock);
                return first != -1;
            },
            120);
        ia.StopPlayback();
        ia.m_streamPlayer.GetPlayer()->SetShownCallback(nullptr);
        std::lock_guard<std::mutex> g(lock);
        return first;
    }

    std::string home;
    std::unique_ptr<CSingleFile> recording;
    std::unique_ptr<CSingleFile> shortRecording;
    QWidget window;
};

}  // namespace

TEST_F(LocalFilesRoundTrip, EverySavedFileIsListedAndPlays) {
    const time_t end = T + kSeconds;
    const time_t lastFrame = end - 1;
    std::vector<Saved> expected;
    auto saved = [&](const std::string& path, const std::string& folder, int mode, time_t first, time_t last,
                     const std::string& name) {
        EXPECT_EQ(path, home + "/" + folder + "/" + name);
        expected.push_back({folder, name, mode, first, last});
    };

    // Downloads by file, raw: the second of the same recording beside the first.
    saved(Download(0, false, "", false, 0, 0, end), "dl", 0, T, lastFrame, Name(T, end));
    saved(Download(0, false, "", false, 0, 0, end), "dl", 0, T, lastFrame, Name(T, end, " (1)"));
    // A recording that ends before its recorded end: kept as incomplete.
    saved(Download(0, false, "", false, 0, 0, end + 3), "dl", 0, T, lastFrame, Name(T, lastFrame, "_partial"));
    // A span as .mp4.
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    saved(Download(0, false, "", true, T + 1, T + 3, end), "dl", 0, T + 1, T + 3, Name(T + 1, T + 3));
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "0");
    // Alarm clips (the alarm video view's sub-folder), twice.
    for (const char* suffix : {"", " (1)"})
        saved(Download(0, false, "AlarmVideo", true, T + 2, T + 4, end), "dl/AlarmVideo", 0, T + 2, T + 4,
              Name(T + 2, T + 4, suffix));
    // The clip dialog under a car number.
    saved(Download(0, true, "CAR7", true, T, T + 2, end), "clip/CAR7", 0, T, T + 2, Name(T, T + 2));
    // Evidence videos: with the record type, whole and incomplete.
    saved(Download(1, false, "", false, 0, 0, end), "ev", 1, T, lastFrame, Name(T, end, "_1301"));
    saved(Download(1, false, "", false, 0, 0, end + 3), "ev", 1, T, lastFrame, Name(T, lastFrame, "_1301_partial"));
    // The batch downloader's files of a channel found on two disks name the
    // disk they come from, in the language of the program.
    const std::string part[] = {DiskPart("en"), DiskPart("zh")};
    EXPECT_EQ(part[0], "Disk1(E)");
    EXPECT_EQ(part[1], "\u78c1\u76d81(E)");
    for (const std::string& p : part) {
        saved(Download(0, false, "", false, 0, 0, end, p), "dl", 0, T, lastFrame, Name(T, end, "_" + p));
        saved(Download(0, false, "", false, 0, 0, end + 3, p), "dl", 0, T, lastFrame,
              Name(T, lastFrame, "_" + p + "_partial"));
        saved(Download(1, false, "", false, 0, 0, end, p), "ev", 1, T, lastFrame, Name(T, end, "_1301_" + p));
    }
    // A download of less than a second that stopped before the recorded end.
    saved(Download(0, false, "", false, 0, 0, T + 5, "", shortRecording.get()), "dl", 0, T, T,
          Name(T, T, "_partial"));
    // The player's clips of the stream, twice in one second.
    const std::string clipName = "ch03_" + TimeToString(T);
    saved(StreamClip(), "clip/Clip", 0, T, lastFrame, clipName + ".mp4");
    saved(StreamClip(), "clip/Clip", 0, T, lastFrame, clipName + " (1).mp4");
    // The player's clip of the .mp4 download, from its second second on.
    saved(FileClip(home + "/dl/" + Name(T + 1, T + 3), T + 2, T + 3), "clip/Clip", 0, T + 2, T + 3,
          "ch03_" + TimeToString(T + 2) + ".mp4");

    std::map<std::pair<std::string, int>, std::vector<const Saved*>> searches;
    for (const Saved& s : expected) searches[{s.folder, s.mode}].push_back(&s);
    for (const auto& search : searches) {
        SCOPED_TRACE(search.first.first + " mode " + std::to_string(search.first.second));
        QVector<ChannelFiles*> results = Search(home + "/" + search.first.first, search.first.second);
        EXPECT_EQ(results.size(), 1);   // one channel
        if (results.isEmpty()) continue;
        const ChannelFiles& channel = *results[0];
        EXPECT_EQ(channel.ChannelInfo.GetChannelNumber(), kChannel);
        std::map<std::string, CSingleFile*> listed;
        for (CSingleFile* f : channel.SingleFileList) listed[QFileInfo(QString::fromStdString(f->FileName)).fileName().toStdString()] = f;
        EXPECT_EQ(listed.size(), search.second.size());
        for (const Saved* s : search.second) {
            SCOPED_TRACE(s->name);
            auto it = listed.find(s->name);
            if (it == listed.end()) {
                ADD_FAILURE() << "not listed";
                continue;
            }
            CSingleFile* f = it->second;
            EXPECT_EQ(f->ChannelNumber, kChannel);
            EXPECT_EQ(f->StartTime, static_cast<uint32_t>(s->first));
            EXPECT_EQ(f->EndTime, static_cast<uint32_t>(s->last));
            if (s->mode == 1) EXPECT_EQ(f->SubFileType, 1301);
            EXPECT_EQ(PlayFirstFrame(channel, f), s->first);
        }
        for (ChannelFiles* r : results) {
            for (CSingleFile* f : r->SingleFileList) delete f;
            delete r;
        }
    }
}
