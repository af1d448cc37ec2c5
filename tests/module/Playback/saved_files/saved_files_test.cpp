// SPDX-License-Identifier: GPL-3.0-or-later
// Every video the downloader saves, checked the way an operator's player
// sees it: one table of cases (by file, by time inside one recording, across
// two recordings with a pause between them, clip,
// alarm clip, batch by file and by time), each with the raw and the .mp4
// setting, over media of both disk families, an enciphered medium and
// recordings read straight from a folder, on a plain day and on the days of
// both daylight-saving changes of this machine's zone. Every output is opened and
// decoded: .mp4 files with libavformat, recorder streams with libavformat
// (plain ones) and with this program's player library; the pictures and
// their first and last times must be those of the span, and a raw file of
// one whole recording is that recording.
#include "Playback/StreamDownloader.h"

#include "storage/CommonHelpers.h"
#include "storage/Settings.h"
#include "platform/fallowin/mp4_probe.h"
#include "recstream/recstream.h"
#include "module/storage/storage_oper/storage_oper_fixture.h"
#include "vintrel.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using APT_QMR::CSingleFile;
using APT_QMR::CStreamDownloader;
using APT_QMR::CStreamDownloaderParam;
using APT_QMR::DownloadAllDone;
using APT_QMR::DownloadDiskSpaceLow;
using APT_QMR::DownloadFailed;
using APT_QMR::DownloadFileDone;
using APT_QMR::DownloadFileIncomplete;
using APT_QMR::DownloadStarted;
using APT_QMR::DownloadStopped;

constexpr int kSeconds = 4;     // length of each recording
constexpr int kGap = 3;         // pause between two recordings
constexpr int kFrameMs = 40;    // 25 frames a second
const char* const kKey = "kel-evidence-key";

// Video frame times (recorder milliseconds) of a recording, from its packs.
std::vector<int64_t> FrameTimes(const QByteArray& bytes) {
    std::vector<int64_t> times;
    recstream::StreamHeader header;
    if (!recstream::ParseHeader(bytes.constData(), static_cast<size_t>(bytes.size()), &header)) return times;
    recstream::PacketScanner scanner(header.startTime, false);
    scanner.Feed(bytes.constData() + 40, static_cast<size_t>(bytes.size()) - 40);
    scanner.Finish();
    recstream::Packet packet;
    while (scanner.Next(&packet)) {
        for (const recstream::Pes& pes : packet.pes)
            if (pes.streamId == recstream::kStreamVideo && pes.hasPts)
                times.push_back(int64_t(header.startTime) * 1000 + int64_t(pes.pts / 90));
    }
    return times;
}

// Plays a recorder stream through the player library, as fast as it decodes,
// and notes the frames it shows.
struct Played {
    int frames = 0;
    int64_t firstMs = 0;   // stream clock of the first and the last frame
    int64_t lastMs = 0;
};
std::mutex g_playedLock;
Played* g_played = nullptr;

void OnFrame(int, const char*, int, int, int, int ms, int) {
    std::lock_guard<std::mutex> lock(g_playedLock);
    if (!g_played) return;
    if (g_played->frames == 0) g_played->firstMs = ms;
    g_played->lastMs = ms;
    ++g_played->frames;
}

bool PlayRecorderStream(const QByteArray& bytes, const std::string& key, Played* out) {
    int port = -1;
    if (!Ostrum_GetPort(&port)) return false;
    {
        std::lock_guard<std::mutex> lock(g_playedLock);
        *out = Played();
        g_played = out;
    }
    bool ok = Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_LIVE) &&
              (key.empty() || Ostrum_SetSecretKey(port, 1, key.data(), static_cast<int>(key.size() * 8))) &&
              Ostrum_OpenStream(port, bytes.constData(), 40, 4 * 1024 * 1024) &&
              Ostrum_SetDisplayCallBack(port, &OnFrame) && Ostrum_Play(port, nullptr);
    int at = 40;
    while (ok && at < bytes.size()) {
        const int n = std::min(65536, bytes.size() - at);
        if (Ostrum_InputData(port, bytes.constData() + at, static_cast<uint32_t>(n))) {
            at += n;
        } else {
            // The player's buffer is full: it takes more once it has decoded.
            ok = Ostrum_GetLastError(port) == OSTRUM_ERR_BUF_FULL &&
                 kel_test::WaitUntil([&] { return Ostrum_GetSourceBufferRemain(port) < 4u * 1024 * 1024 - n; }, 60);
        }
    }
    ok = ok && Ostrum_InputData(port, nullptr, uint32_t(-1)) &&
         kel_test::WaitUntil([&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0; }, 60);
    Ostrum_FreePort(port);
    std::lock_guard<std::mutex> lock(g_playedLock);
    g_played = nullptr;
    return ok;
}

// Where the recordings come from.
enum class Route { Storage, Direct };
struct MediumCase {
    const char* name;
    int family;
    bool enciphered;
    Route route;
};

// One saved file: the recordings (and seconds of them) it must hold.
struct Piece {
    int recording;
    int fromSecond;   // seconds after the recording's start, both included
    int toSecond;
};
using Output = std::vector<Piece>;

enum class Kind { ByFile, ByTime };
struct SaveCase {
    const char* name;
    Kind kind;
    int fileType;            // 0 one file for a span, 1 one file per recording
    bool clip;
    const char* subFolder;
    std::vector<int> recordings;   // by file
    Piece from, to;                // by time: the span's first and last second
    std::vector<Output> outputs;
};

const MediumCase kMedia[] = {
    {"qorauto disk", 1, false, Route::Storage},
    {"hard-disk library disk", 2, false, Route::Storage},
    {"enciphered disk", 2, true, Route::Storage},
    {"enciphered qorauto disk", 1, true, Route::Storage},
    {"folder of recordings", 2, false, Route::Direct},
};

const SaveCase kCases[] = {
    {"by file", Kind::ByFile, 0, false, "", {1}, {}, {}, {{{1, 0, kSeconds - 1}}}},
    {"by time inside one recording", Kind::ByTime, 0, false, "", {}, {1, 1, 1}, {1, 2, 2}, {{{1, 1, 2}}}},
    {"by time across two recordings with a pause", Kind::ByTime, 0, false, "", {}, {0, 2, 2}, {1, 1, 1},
     {{{0, 2, kSeconds - 1}, {1, 0, 1}}}},
    {"clip", Kind::ByTime, 0, true, "car 7", {}, {0, 1, 1}, {1, 2, 2}, {{{0, 1, kSeconds - 1}, {1, 0, 2}}}},
    {"alarm clip", Kind::ByTime, 0, false, "AlarmVideo", {}, {2, 0, 0}, {2, 2, 2}, {{{2, 0, 2}}}},
    {"batch by file", Kind::ByFile, 0, false, "", {0, 1, 2}, {}, {},
     {{{0, 0, kSeconds - 1}}, {{1, 0, kSeconds - 1}}, {{2, 0, kSeconds - 1}}}},
    {"batch by time", Kind::ByTime, 1, false, "", {}, {0, 1, 1}, {2, 1, 1},
     {{{0, 1, kSeconds - 1}}, {{1, 0, kSeconds - 1}}, {{2, 0, 1}}}},
};

// The recorder clock of the media and this machine's time zone. Recorder
// time never passes through the zone: on the days Europe/Berlin skips the
// hour 02:00-02:59 (spring) or repeats it (autumn), recordings in and
// around that hour are saved as on any other day.
struct ClockCase {
    const char* name;
    const char* zone;
    const char* date;
    int firstSecond;   // of the day, the first recording's start
};
const ClockCase kClocks[] = {
    {"Utc0800", "UTC", "2024-03-01", 8 * 3600},
    {"BerlinSpringChange", "Europe/Berlin", "2024-03-31", 2 * 3600 - 5},   // 01:59:55 into the skipped hour
    {"BerlinAutumnChange", "Europe/Berlin", "2024-10-27", 3 * 3600 - 5},   // 02:59:55 across the repeated hour's end
};

class SavedFilesTest : public ::testing::TestWithParam<ClockCase> {
protected:
    // Media live in the test's own program folder.
    void SetUp() override {
        zone.reset(new kel_test::ScopedTimeZone(GetParam().zone));
        media.reset(new storage_test::MediaSet);
        std::vector<storage_test::Medium*> written;
        std::vector<std::string> roots;
        for (const MediumCase& c : kMedia) {
            storage_test::Medium* m = media->Add(c.family, 1, 3, kSeconds, kGap, [&](recmedia::MediaSpec& spec) {
                spec.fast = false;
                spec.width = 176;
                spec.height = 144;
                spec.startDate = GetParam().date;
                spec.firstSecond = GetParam().firstSecond;
                if (c.enciphered) spec.key = kKey;
            });
            ASSERT_NE(m, nullptr);
            written.push_back(m);
            roots.push_back(m->root);
        }
        // The disks are judged together, as the search panel does.
        QorAutoStorage::GetInstance()->JudgeDiskTypes(roots);
        for (size_t mi = 0; mi < written.size(); ++mi) {
            const MediumCase& c = kMedia[mi];
            storage_test::Medium* m = written[mi];
            Source source;
            source.medium = m;
            for (const recmedia::PlannedRecording& r : m->info.recordings) {
                source.bytes.push_back(storage_test::FileBytes(*m, r.relPath));
                source.frames.push_back(FrameTimes(source.bytes.back()));
            }
            if (c.route == Route::Storage) {
                StorageOper oper;
                for (const FoundDataRecord& r : storage_test::SearchDay(oper, m->root, m->info.firstDay))
                    source.files.push_back(storage_test::FileOf(r, m->root));
                std::sort(source.files.begin(), source.files.end(),
                          [](const std::shared_ptr<CSingleFile>& a, const std::shared_ptr<CSingleFile>& b) {
                              return a->StartTime < b->StartTime;
                          });
            } else {
                // A folder of exported recordings, as the local search lists
                // them: the folder as the disk, each file under the name that
                // carries its span.
                const std::string folder = m->folder + "_export";
                QDir().mkpath(QString::fromStdString(folder));
                for (size_t i = 0; i < m->info.recordings.size(); ++i) {
                    const recmedia::PlannedRecording& r = m->info.recordings[i];
                    const std::string path =
                        folder + "/" + TimeToString(r.start) + "_" + TimeToString(r.end) + "_1.mp4";
                    kel_test::WriteFile(QString::fromStdString(path), source.bytes[i]);
                    auto f = std::make_shared<CSingleFile>(path, folder, r.size, r.start, r.end, 0, "DVR", 1);
                    source.files.push_back(f);
                }
            }
            sources.push_back(source);
        }
    }
    void TearDown() override {
        sources.clear();
        media.reset();
        zone.reset();
    }

    struct Source {
        storage_test::Medium* medium = nullptr;
        std::vector<QByteArray> bytes;
        std::vector<std::vector<int64_t>> frames;
        std::vector<std::shared_ptr<CSingleFile>> files;
    };
    std::unique_ptr<kel_test::ScopedTimeZone> zone;
    std::unique_ptr<storage_test::MediaSet> media;
    std::vector<Source> sources;
};

// Runs one save and gives the files it reported, in order.
std::vector<QString> Save(const SaveCase& c, const MediumCase& medium, const std::vector<std::shared_ptr<CSingleFile>>& files,
                          const std::vector<const recmedia::PlannedRecording*>& plan) {
    CStreamDownloader d;
    d.SetDiskKind(medium.route == Route::Direct ? 1 : 0);
    d.SetDownLoadFileType(c.fileType);
    d.SetClipMode(c.clip);
    d.SetSavePath(QString::fromUtf8(c.subFolder));
    EXPECT_TRUE(d.SetParam(new CStreamDownloaderParam(1)));
    std::vector<QString> paths;
    std::vector<int> codes;
    QObject context;
    QObject::connect(&d, &CStreamDownloader::DownloadFiles, &context, [&](QString p) {
        if (std::find(paths.begin(), paths.end(), p) == paths.end()) paths.push_back(p);
    });
    QObject::connect(&d, &CStreamDownloader::DownloadSignal, &context, [&](int code, int, int) { codes.push_back(code); });
    std::vector<CSingleFile*> list;
    bool started = false;
    if (c.kind == Kind::ByFile) {
        for (int i : c.recordings) list.push_back(files[static_cast<size_t>(i)].get());
        started = d.DownloadByFile(list, {}, {});
    } else {
        for (const auto& f : files) list.push_back(f.get());
        started = d.DownloadByTime(list, static_cast<time_t>(plan[static_cast<size_t>(c.from.recording)]->start) + c.from.fromSecond,
                                   static_cast<time_t>(plan[static_cast<size_t>(c.to.recording)]->start) + c.to.toSecond);
    }
    EXPECT_TRUE(started);
    if (!started) return paths;
    EXPECT_TRUE(kel_test::WaitUntil(
        [&] {
            return std::any_of(codes.begin(), codes.end(), [](int code) {
                return code == DownloadStopped || code == DownloadAllDone || code == DownloadFailed ||
                       code == DownloadDiskSpaceLow;
            });
        },
        120));
    EXPECT_EQ(codes.back(), DownloadAllDone);
    return paths;
}

TEST_P(SavedFilesTest, EverySavedFileHoldsItsSpan) {
    auto* settings = CSettingsStore::GetInstance();
    const QString home = kel_test::ProgramFolder();
    for (size_t mi = 0; mi < sizeof(kMedia) / sizeof(kMedia[0]); ++mi) {
        const MediumCase& medium = kMedia[mi];
        const Source& source = sources[mi];
        ASSERT_EQ(source.files.size(), 3u) << medium.name;
        std::vector<const recmedia::PlannedRecording*> plan;
        for (const auto& r : source.medium->info.recordings) plan.push_back(&r);
        settings->SetValueText(SettingKey::SecretKey, medium.enciphered ? kKey : "");
        for (const SaveCase& c : kCases) {
            for (const bool mp4 : {false, true}) {
                SCOPED_TRACE(std::string(medium.name) + ", " + c.name + (mp4 ? ", .mp4" : ", raw"));
                const QString out = home + "/out";
                QDir(out).removeRecursively();
                settings->SetValueText(SettingKey::DownloadSavePath, out + "/dl");
                settings->SetValueText(SettingKey::EvidenceVideoSavePath, out + "/ev");
                settings->SetValueText(SettingKey::ClipSavePath, out + "/clip");
                settings->SetValueText(SettingKey::DownloadVideoType, mp4 ? "1" : "0");

                const std::vector<QString> paths = Save(c, medium, source.files, plan);
                ASSERT_EQ(paths.size(), c.outputs.size());
                // Every output exists, once.
                int filesWritten = 0;
                QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
                while (it.hasNext()) {
                    it.next();
                    ++filesWritten;
                }
                EXPECT_EQ(filesWritten, static_cast<int>(paths.size()));

                for (size_t oi = 0; oi < paths.size(); ++oi) {
                    SCOPED_TRACE("output " + std::to_string(oi));
                    const std::string path = paths[oi].toStdString();
                    const QByteArray written = kel_test::ReadFile(paths[oi]);
                    ASSERT_GT(written.size(), 40);
                    std::vector<int64_t> expected;
                    for (const Piece& p : c.outputs[oi]) {
                        const int64_t from = (int64_t(plan[size_t(p.recording)]->start) + p.fromSecond) * 1000;
                        const int64_t to = (int64_t(plan[size_t(p.recording)]->start) + p.toSecond + 1) * 1000;
                        for (int64_t t : source.frames[size_t(p.recording)])
                            if (t >= from && t < to) expected.push_back(t);
                    }
                    ASSERT_FALSE(expected.empty());
                    const int64_t firstMs = expected.front();
                    const int64_t lastMs = expected.back();

                    if (mp4) {
                        EXPECT_EQ(written.mid(4, 4), QByteArray("ftyp"));
                        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path, true);
                        ASSERT_TRUE(probe.opened);
                        EXPECT_NE(probe.format.find("mp4"), std::string::npos);
                        EXPECT_EQ(probe.logErrors, 0);
                        EXPECT_EQ(probe.decodeErrors, 0);
                        EXPECT_NEAR(probe.decodedFrames, static_cast<int>(expected.size()), 1);
                        const int64_t start = kel_test::CreationSeconds(probe.creationTime);
                        ASSERT_GE(start, 0) << probe.creationTime;
                        EXPECT_NEAR(start * 1000 + std::llround(probe.firstTime * 1000), firstMs, kFrameMs);
                        EXPECT_NEAR(start * 1000 + std::llround(probe.lastTime * 1000), lastMs, kFrameMs);
                        EXPECT_NEAR(probe.duration * 1000, double(lastMs - firstMs + kFrameMs), kFrameMs);
                        continue;
                    }

                    // Raw: one recorder stream on the first recording's clock.
                    recstream::StreamHeader header;
                    ASSERT_TRUE(recstream::ParseHeader(written.constData(), 40, &header));
                    const QByteArray& firstSource = source.bytes[size_t(c.outputs[oi].front().recording)];
                    EXPECT_EQ(written.left(40), firstSource.left(40));
                    if (c.outputs[oi].size() == 1 && c.outputs[oi][0].fromSecond == 0 &&
                        c.outputs[oi][0].toSecond == kSeconds - 1) {
                        EXPECT_TRUE(written == firstSource) << written.size() << " of " << firstSource.size() << " bytes";
                    }
                    EXPECT_EQ(FrameTimes(written), expected);
                    if (!medium.enciphered) {
                        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path, true, true);
                        ASSERT_TRUE(probe.opened);
                        EXPECT_EQ(probe.logErrors, 0);
                        EXPECT_EQ(probe.decodeErrors, 0);
                        EXPECT_NEAR(probe.decodedFrames, static_cast<int>(expected.size()), 1);
                        const int64_t base = int64_t(header.startTime) * 1000;
                        EXPECT_NEAR(base + std::llround(probe.firstTime * 1000), firstMs, kFrameMs);
                        EXPECT_NEAR(base + std::llround(probe.lastTime * 1000), lastMs, kFrameMs);
                    }
                    // This program's player shows it from start to end.
                    Played played;
                    ASSERT_TRUE(PlayRecorderStream(written, medium.enciphered ? kKey : "", &played));
                    EXPECT_NEAR(played.frames, static_cast<int>(expected.size()), 1);
                    const int64_t base = int64_t(header.startTime) * 1000;
                    EXPECT_NEAR(base + played.firstMs, firstMs, kFrameMs);
                    EXPECT_NEAR(base + played.lastMs, lastMs, kFrameMs);
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Clocks, SavedFilesTest, ::testing::ValuesIn(kClocks),
                         [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

// ---- damaged recordings ---------------------------------------------------------------

// One pack of a recording as the file holds it.
struct PackAt {
    size_t offset = 0;
    size_t size = 0;
    bool video = false;      // carries the start of a picture
    bool key = false;
    int64_t frameMs = -1;    // recorder milliseconds of that picture
    size_t payload = 0;      // offset of the picture's payload in the file
    size_t payloadSize = 0;
};

std::vector<PackAt> PacksOf(const QByteArray& bytes) {
    std::vector<PackAt> packs;
    recstream::StreamHeader header;
    if (!recstream::ParseHeader(bytes.constData(), static_cast<size_t>(bytes.size()), &header)) return packs;
    recstream::PacketScanner scanner(header.startTime, false);
    scanner.Feed(bytes.constData(), static_cast<size_t>(bytes.size()));
    scanner.Finish();
    recstream::Packet packet;
    while (scanner.Next(&packet)) {
        if (packet.kind != recstream::kPacketPack) continue;
        PackAt p;
        p.offset = packet.offset;
        p.size = packet.size;
        for (const recstream::Pes& pes : packet.pes) {
            if (pes.streamId != recstream::kStreamVideo || !pes.hasPts) continue;
            p.video = true;
            p.key = pes.keyFrame;
            p.frameMs = int64_t(header.startTime) * 1000 + int64_t(pes.pts / 90);
            p.payload = packet.offset + pes.payloadOffset;
            p.payloadSize = pes.payloadSize;
            break;
        }
        packs.push_back(p);
    }
    return packs;
}

// The file offset of the 5-byte time stamp of the video PES in a pack.
size_t StampOffset(const QByteArray& bytes, const PackAt& pack) {
    const QByteArray packBytes = bytes.mid(static_cast<int>(pack.offset), static_cast<int>(pack.size));
    const int pes = packBytes.indexOf(QByteArray("\x00\x00\x01\xE0", 4), 14);
    return pes < 0 ? 0 : pack.offset + static_cast<size_t>(pes) + 9;
}

enum class Damage { CutInsidePack, FlippedTimeStamp, FlippedPackClock, MissingRecording };
struct DamageCase {
    const char* name;
    Damage damage;
    bool complete;            // the saved file holds the whole span
    int recording = 1;        // the recording damaged
    int second = 0;           // a flipped pack clock: the second of the recording it lies in
};

// A span over three recordings of which the middle one is damaged on the
// medium: it ends early, inside a pack (the medium holds less than its
// index says), or one of its pictures carries a time stamp with a flipped
// bit, thousands of seconds away from the span. Whatever route the
// recordings come by, the saved file holds every whole picture at its
// recorder time: the early end shows as a gap before the next recording
// (nothing after it moves), the damaged stamp as its picture in its place.
// A file with a gap is reported incomplete (code 7) and named for it. A
// middle recording that cannot be opened at all (its file went, as when the
// folder is removed during the download) is left out: the file keeps the
// first and the third, the middle one's time a gap, and the download ends
// with code 3 naming the recording it left out. A
// pack clock with a flipped bit in the second before the span's first or
// last second moves neither end of the span: the file holds the span whole.
TEST(SavedFilesOfDamagedRecordings, EveryFrameKeepsItsRecorderTime) {
    const DamageCase cases[] = {
        {"damaged time stamp", Damage::FlippedTimeStamp, true},
        {"cut-short span", Damage::CutInsidePack, false},
        {"damaged pack clock before the span's end", Damage::FlippedPackClock, true, 2, 1},
        {"damaged pack clock before the span's start", Damage::FlippedPackClock, true, 0, 0},
        {"missing recording", Damage::MissingRecording, false},
    };
    auto* settings = CSettingsStore::GetInstance();
    const QString out = kel_test::ProgramFolder() + "/out";
    settings->SetValueText(SettingKey::DownloadSavePath, out + "/dl");
    // One medium of each kind serves every case (drive letters are few):
    // each case damages it anew from the sound recordings.
    for (const MediumCase& medium : kMedia) {
        storage_test::MediaSet media;
        storage_test::Medium* m = media.Add(medium.family, 1, 3, kSeconds, kGap, [&](recmedia::MediaSpec& spec) {
            spec.fast = false;
            spec.width = 176;
            spec.height = 144;
            if (medium.enciphered) spec.key = kKey;
        });
        ASSERT_NE(m, nullptr) << medium.name;
        QorAutoStorage::GetInstance()->JudgeDiskTypes({m->root});
        const auto& plan = m->info.recordings;
        ASSERT_EQ(plan.size(), 3u);
        std::vector<QByteArray> sound;
        for (const recmedia::PlannedRecording& r : plan) sound.push_back(storage_test::FileBytes(*m, r.relPath));
        for (const DamageCase& dc : cases) {
            SCOPED_TRACE(std::string(dc.name) + ", " + medium.name);
            for (size_t i = 0; i < plan.size(); ++i)
                ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(m->folder + "/" + plan[i].relPath), sound[i]));

            // The damage, and the pictures the saved file must show.
            const recmedia::PlannedRecording& hit = plan[size_t(dc.recording)];
            QByteArray damaged = storage_test::FileBytes(*m, hit.relPath);
            const std::vector<PackAt> packs = PacksOf(damaged);
            std::vector<size_t> pictures;
            for (size_t i = 0; i < packs.size(); ++i)
                if (packs[i].video) pictures.push_back(i);
            ASSERT_GT(pictures.size(), 20u);
            std::vector<int64_t> middle;
            if (dc.damage == Damage::CutInsidePack) {
                // Cut inside the payload of a picture a quarter of the way
                // in: more than its last second is missing.
                const PackAt& cut = packs[pictures[pictures.size() / 4]];
                const size_t at = cut.payload + cut.payloadSize / 2;
                damaged.truncate(static_cast<int>(at));
                for (const PackAt& p : packs)
                    if (p.video && p.offset + p.size <= at) middle.push_back(p.frameMs);
            } else if (dc.damage == Damage::MissingRecording) {
                // Nothing of it: removed below.
            } else if (dc.damage == Damage::FlippedPackClock) {
                // A pack half way through the second: bit 31 of its clock
                // (23,860 s later).
                size_t first = 0;
                while (first < packs.size() && packs[first].frameMs < (int64_t(hit.start) + dc.second) * 1000) ++first;
                const size_t target = first + 12;
                ASSERT_LT(target, packs.size());
                ASSERT_LT(packs[target].frameMs, (int64_t(hit.start) + dc.second + 1) * 1000);
                const int at = static_cast<int>(packs[target].offset + 4);
                damaged[at] = static_cast<char>(damaged.at(at) ^ 0x10);
                for (const PackAt& p : PacksOf(sound[1]))
                    if (p.video) middle.push_back(p.frameMs);
            } else {
                size_t target = pictures.size() / 2;
                while (packs[pictures[target]].key) ++target;
                const size_t stamp = StampOffset(damaged, packs[pictures[target]]);
                ASSERT_GT(stamp, 0u);
                // Bit 29 of the stamp: 5,965 s later.
                const int at = static_cast<int>(stamp + 1);
                damaged[at] = static_cast<char>(damaged.at(at) ^ 0x80);
                for (const PackAt& p : packs)
                    if (p.video) middle.push_back(p.frameMs);
            }
            if (dc.damage == Damage::MissingRecording)
                ASSERT_TRUE(QFile::remove(QString::fromStdString(m->folder + "/" + hit.relPath)));
            else
                ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(m->folder + "/" + hit.relPath), damaged));

            std::vector<std::shared_ptr<CSingleFile>> files;
            if (medium.route == Route::Storage) {
                StorageOper oper;
                for (const FoundDataRecord& r : storage_test::SearchDay(oper, m->root, m->info.firstDay))
                    files.push_back(storage_test::FileOf(r, m->root));
                std::sort(files.begin(), files.end(),
                          [](const std::shared_ptr<CSingleFile>& a, const std::shared_ptr<CSingleFile>& b) {
                              return a->StartTime < b->StartTime;
                          });
            } else {
                const std::string folder = m->folder + "_export";
                for (const recmedia::PlannedRecording& r : plan) {
                    const std::string path = folder + "/" + TimeToString(r.start) + "_" + TimeToString(r.end) + "_1.mp4";
                    QFile::remove(QString::fromStdString(path));
                    if (dc.damage != Damage::MissingRecording || &r != &hit)
                        ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(path), storage_test::FileBytes(*m, r.relPath)));
                    files.push_back(std::make_shared<CSingleFile>(path, folder, r.size, r.start, r.end, 0, "DVR", 1));
                }
            }
            ASSERT_EQ(files.size(), 3u);

            const time_t spanStart = static_cast<time_t>(plan[0].start) + 1;
            const time_t spanEnd = static_cast<time_t>(plan[2].start) + 2;
            std::vector<int64_t> expected;
            for (int64_t t : FrameTimes(storage_test::FileBytes(*m, plan[0].relPath)))
                if (t >= int64_t(spanStart) * 1000) expected.push_back(t);
            expected.insert(expected.end(), middle.begin(), middle.end());
            for (int64_t t : FrameTimes(storage_test::FileBytes(*m, plan[2].relPath)))
                if (t < (int64_t(spanEnd) + 1) * 1000) expected.push_back(t);
            const std::string name = "ch01_" + TimeToString(spanStart) + "_" + TimeToString(spanEnd) +
                                     (dc.complete ? "" : APT_QMR::kPartialMarker) + ".mp4";

            settings->SetValueText(SettingKey::SecretKey, medium.enciphered ? kKey : "");
            for (const bool mp4 : {false, true}) {
                SCOPED_TRACE(mp4 ? ".mp4" : "raw");
                QDir(out).removeRecursively();
                settings->SetValueText(SettingKey::DownloadVideoType, mp4 ? "1" : "0");
                CStreamDownloader d;
                d.SetDiskKind(medium.route == Route::Direct ? 1 : 0);
                d.SetDownLoadFileType(0);
                ASSERT_TRUE(d.SetParam(new CStreamDownloaderParam(1)));
                QString lastPath;
                std::vector<int> codes;
                int lastIndex = -1;
                QObject context;
                QObject::connect(&d, &CStreamDownloader::DownloadFiles, &context, [&](QString p) { lastPath = p; });
                QObject::connect(&d, &CStreamDownloader::DownloadSignal, &context, [&](int code, int index, int) {
                    codes.push_back(code);
                    lastIndex = index;
                });
                std::vector<CSingleFile*> list;
                for (const auto& f : files) list.push_back(f.get());
                ASSERT_TRUE(d.DownloadByTime(list, spanStart, spanEnd));
                ASSERT_TRUE(kel_test::WaitUntil(
                    [&] {
                        return !codes.empty() && (codes.back() == DownloadAllDone || codes.back() == DownloadFailed);
                    },
                    120));
                if (dc.damage == Damage::MissingRecording) {
                    EXPECT_EQ(codes, (std::vector<int>{DownloadStarted, DownloadFileDone, DownloadFileIncomplete,
                                                       DownloadFailed}));
                    EXPECT_EQ(lastIndex, 1);
                    ASSERT_NE(d.LeftOutRecording(), nullptr);
                    EXPECT_EQ(d.LeftOutRecording()->FileName, files[1]->FileName);
                    EXPECT_EQ(d.LastFailure(), APT_QMR::FailureRecordingUnreadable);
                } else {
                    EXPECT_EQ(codes, (std::vector<int>{DownloadStarted, DownloadFileDone, DownloadFileDone,
                                                       dc.complete ? DownloadFileDone : DownloadFileIncomplete,
                                                       DownloadAllDone}));
                    EXPECT_EQ(d.LeftOutRecording(), nullptr);
                }
                EXPECT_EQ(lastPath.toStdString(), (out + "/dl/").toStdString() + name);
                EXPECT_EQ(QDir(out + "/dl").entryList(QDir::Files).join('|').toStdString(), name);
                EXPECT_EQ(CStreamDownloader::IsIncompleteFile(lastPath), !dc.complete);

                const std::string path = lastPath.toStdString();
                const QByteArray written = kel_test::ReadFile(lastPath);
                ASSERT_GT(written.size(), 40);
                if (!mp4) {
                    // Every picture at its recorder time, in the bytes and
                    // as a player reads them.
                    EXPECT_EQ(FrameTimes(written), expected);
                    recstream::StreamHeader header;
                    ASSERT_TRUE(recstream::ParseHeader(written.constData(), 40, &header));
                    const int64_t base = int64_t(header.startTime) * 1000;
                    if (!medium.enciphered) {
                        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path, true, true);
                        ASSERT_TRUE(probe.opened);
                        EXPECT_EQ(probe.logErrors, 0);
                        EXPECT_EQ(probe.decodeErrors, 0);
                        EXPECT_NEAR(probe.decodedFrames, static_cast<int>(expected.size()), 1);
                        for (double t : probe.frameTimes) {
                            const int64_t ms = base + std::llround(t * 1000);
                            EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                                                    [&](int64_t e) { return std::llabs(e - ms) <= 2; }))
                                << "a picture at " << ms - expected.front() << " ms";
                        }
                    }
                    Played played;
                    ASSERT_TRUE(PlayRecorderStream(written, medium.enciphered ? kKey : "", &played));
                    EXPECT_NEAR(played.frames, static_cast<int>(expected.size()), 1);
                    EXPECT_NEAR(base + played.firstMs, expected.front(), kFrameMs);
                    EXPECT_NEAR(base + played.lastMs, expected.back(), kFrameMs);
                    continue;
                }
                const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path, true);
                ASSERT_TRUE(probe.opened);
                EXPECT_EQ(probe.logErrors, 0);
                EXPECT_EQ(probe.decodeErrors, 0);
                ASSERT_NEAR(probe.decodedFrames, static_cast<int>(expected.size()), 1);
                const int64_t start = kel_test::CreationSeconds(probe.creationTime);
                EXPECT_NEAR(start * 1000 + std::llround(probe.firstTime * 1000), expected.front(), kFrameMs);
                EXPECT_NEAR(probe.duration * 1000, double(expected.back() - expected.front() + kFrameMs), kFrameMs);
                // Each picture where the recorder put it: the gap stays a gap.
                for (double t : probe.frameTimes) {
                    const int64_t ms = expected.front() + std::llround((t - probe.firstTime) * 1000);
                    EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                                            [&](int64_t e) { return std::llabs(e - ms) <= 2; }))
                        << "a picture at " << ms - expected.front() << " ms";
                }
            }
        }
    }
}

// One channel found on two disks, saved by time over the whole of it: the
// second disk mirrors the first (the same spans) or goes on after it. The
// saved file holds every moment once, in time order: its frames are those
// of both disks together, each time once.
TEST(SavedFilesAcrossDisks, AChannelOnTwoDisksIsSavedOncePerMoment) {
    struct PairCase {
        const char* name;
        int secondDiskLater;   // seconds from the first disk's first recording to the second's
    };
    const PairCase cases[] = {{"mirrored", 0}, {"consecutive", 2 * kSeconds}};
    auto* settings = CSettingsStore::GetInstance();
    settings->SetValueText(SettingKey::SecretKey, "");
    const QString out = kel_test::ProgramFolder() + "/out";
    settings->SetValueText(SettingKey::DownloadSavePath, out + "/dl");
    for (const PairCase& c : cases) {
        storage_test::MediaSet media;
        storage_test::Medium* disks[2] = {};
        for (int d = 0; d < 2; ++d) {
            disks[d] = media.Add(d == 0 ? 2 : 1, 2, 2, kSeconds, 0, [&](recmedia::MediaSpec& spec) {
                spec.fast = false;
                spec.width = 176;
                spec.height = 144;
                if (d == 1) spec.firstSecond += c.secondDiskLater;
            });
            ASSERT_NE(disks[d], nullptr);
        }
        QorAutoStorage::GetInstance()->JudgeDiskTypes({disks[0]->root, disks[1]->root});
        // Channel 1 of both disks in time order, as the search lists it; the
        // frames they hold together.
        std::vector<std::shared_ptr<CSingleFile>> found;
        std::vector<int64_t> expected;
        for (storage_test::Medium* m : disks) {
            StorageOper oper;
            for (const FoundDataRecord& r : storage_test::SearchDay(oper, m->root, m->info.firstDay))
                if (r.channel == 1) found.push_back(storage_test::FileOf(r, m->root));
            for (const recmedia::PlannedRecording& r : m->info.recordings) {
                if (r.channel != 1) continue;
                for (int64_t t : FrameTimes(storage_test::FileBytes(*m, r.relPath))) expected.push_back(t);
            }
        }
        ASSERT_EQ(found.size(), 4u) << c.name;
        std::stable_sort(found.begin(), found.end(), [](const std::shared_ptr<CSingleFile>& a, const std::shared_ptr<CSingleFile>& b) {
            return a->StartTime < b->StartTime;
        });
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        const time_t spanStart = found.front()->StartTime;
        time_t spanEnd = 0;
        for (const auto& f : found) spanEnd = std::max<time_t>(spanEnd, f->EndTime);

        for (const bool mp4 : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (mp4 ? ", .mp4" : ", raw"));
            QDir(out).removeRecursively();
            settings->SetValueText(SettingKey::DownloadVideoType, mp4 ? "1" : "0");
            CStreamDownloader d;
            d.SetDiskKind(0);
            d.SetDownLoadFileType(0);
            ASSERT_TRUE(d.SetParam(new CStreamDownloaderParam(1)));
            std::vector<QString> paths;
            std::vector<int> codes;
            QObject context;
            QObject::connect(&d, &CStreamDownloader::DownloadFiles, &context, [&](QString p) {
                if (!p.isEmpty() && std::find(paths.begin(), paths.end(), p) == paths.end()) paths.push_back(p);
            });
            QObject::connect(&d, &CStreamDownloader::DownloadSignal, &context,
                             [&](int code, int, int) { codes.push_back(code); });
            std::vector<CSingleFile*> list;
            for (const auto& f : found) list.push_back(f.get());
            ASSERT_TRUE(d.DownloadByTime(list, spanStart, spanEnd));
            ASSERT_TRUE(kel_test::WaitUntil(
                [&] { return !codes.empty() && (codes.back() == DownloadAllDone || codes.back() == DownloadFailed); },
                120));
            EXPECT_EQ(codes.back(), DownloadAllDone);
            ASSERT_EQ(paths.size(), 1u);
            const std::string path = paths[0].toStdString();
            const QByteArray written = kel_test::ReadFile(paths[0]);
            ASSERT_GT(written.size(), 40);
            if (!mp4) {
                EXPECT_EQ(FrameTimes(written), expected);
                continue;
            }
            const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path, true);
            ASSERT_TRUE(probe.opened);
            EXPECT_EQ(probe.logErrors, 0);
            EXPECT_EQ(probe.decodeErrors, 0);
            EXPECT_NEAR(probe.decodedFrames, static_cast<int>(expected.size()), 1);
            EXPECT_NEAR(probe.duration * 1000, double(expected.back() - expected.front() + kFrameMs), kFrameMs);
            const int64_t start = kel_test::CreationSeconds(probe.creationTime);
            EXPECT_NEAR(start * 1000 + std::llround(probe.firstTime * 1000), expected.front(), kFrameMs);
        }
    }
}

// Two downloads of one span from two disks, saved at the same moment into
// one folder (two windows, or two programs): the file of each is named after
// the span, so they meet on one name. Each keeps a file of its own, which
// decodes to the pictures of its own disk; neither replaced the other.
TEST(SavedFilesAtOnce, TwoDownloadsOfOneNameEachKeepTheirOwnFile) {
    auto* settings = CSettingsStore::GetInstance();
    settings->SetValueText(SettingKey::SecretKey, "");
    const QString out = kel_test::ProgramFolder() + "/out";
    settings->SetValueText(SettingKey::DownloadSavePath, out + "/dl");
    storage_test::MediaSet media;
    std::vector<std::shared_ptr<CSingleFile>> found[2];
    std::vector<uint64_t> pictures[2];   // of the disk's recording, decoded
    for (int d = 0; d < 2; ++d) {
        storage_test::Medium* m = media.Add(2, 1, 1, kSeconds, 0, [&](recmedia::MediaSpec& spec) {
            spec.fast = false;
            spec.width = 176;
            spec.height = 144;
        });
        ASSERT_NE(m, nullptr);
        StorageOper oper;
        for (const FoundDataRecord& r : storage_test::SearchDay(oper, m->root, m->info.firstDay))
            found[d].push_back(storage_test::FileOf(r, m->root));
        ASSERT_EQ(found[d].size(), 1u);
        const std::string copy = (kel_test::ProgramFolder() + "/disk" + QString::number(d) + ".qrs").toStdString();
        ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(copy),
                                        storage_test::FileBytes(*m, m->info.recordings[0].relPath)));
        pictures[d] = kel_test::ProbeMp4(copy, true, true).pictureHashes;
        ASSERT_FALSE(pictures[d].empty());
    }
    ASSERT_NE(pictures[0], pictures[1]);
    ASSERT_EQ(found[0][0]->StartTime, found[1][0]->StartTime);
    ASSERT_EQ(found[0][0]->EndTime, found[1][0]->EndTime);

    for (const bool mp4 : {false, true}) {
        SCOPED_TRACE(mp4 ? ".mp4" : "raw");
        QDir(out).removeRecursively();
        settings->SetValueText(SettingKey::DownloadVideoType, mp4 ? "1" : "0");
        CStreamDownloader downloads[2];
        std::vector<QString> paths[2];
        std::vector<int> codes[2];
        QObject context;
        for (int d = 0; d < 2; ++d) {
            downloads[d].SetDiskKind(0);
            downloads[d].SetDownLoadFileType(0);
            ASSERT_TRUE(downloads[d].SetParam(new CStreamDownloaderParam(1)));
            QObject::connect(&downloads[d], &CStreamDownloader::DownloadFiles, &context, [&paths, d](QString p) {
                if (!p.isEmpty()) paths[d].push_back(p);
            });
            QObject::connect(&downloads[d], &CStreamDownloader::DownloadSignal, &context,
                             [&codes, d](int code, int, int) { codes[d].push_back(code); });
        }
        for (int d = 0; d < 2; ++d) {
            std::vector<CSingleFile*> list{found[d][0].get()};
            ASSERT_TRUE(downloads[d].DownloadByTime(list, found[d][0]->StartTime, found[d][0]->EndTime));
        }
        ASSERT_TRUE(kel_test::WaitUntil([&] {
            for (const std::vector<int>& c : codes)
                if (c.empty() || (c.back() != DownloadAllDone && c.back() != DownloadFailed)) return false;
            return true;
        }, 120));
        std::set<QString> names;
        for (int d = 0; d < 2; ++d) {
            SCOPED_TRACE("disk " + std::to_string(d));
            EXPECT_EQ(codes[d].back(), DownloadAllDone);
            ASSERT_FALSE(paths[d].empty());
            const QString saved = paths[d].back();
            names.insert(saved);
            const kel_test::Mp4Probe probe = kel_test::ProbeMp4(saved.toStdString(), true, !mp4);
            ASSERT_TRUE(probe.opened);
            EXPECT_EQ(probe.decodeErrors, 0);
            EXPECT_EQ(probe.pictureHashes, pictures[d]);
        }
        EXPECT_EQ(names.size(), 2u);
        // Nothing else is left in the folder: two files, no part.
        QStringList left;
        QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) left << QFileInfo(it.next()).fileName();
        ASSERT_EQ(left.size(), 2);
        const QString first = left[0].contains(" (1)") ? left[1] : left[0];
        EXPECT_TRUE(left.contains(QString(first).replace(".mp4", " (1).mp4"))) << left.join(", ").toStdString();
    }
}

}  // namespace
