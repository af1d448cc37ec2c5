// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads by file list and by time span over generated recordings: output
// names and folders, contents, the order of the progress signals, stops by
// the caller and forced stops, failures, a nearly full drive, conversion.
#include "Playback/StreamDownloader.h"

#include "storage/RbsOperate.h"
#include "storage/StorageOper.h"
#include "recstream/stream_join.h"
#include "storage/Settings.h"
#include "storage/CommonHelpers.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <memory>

// A folder whose path holds "/nearly_full" reports 16 free blocks.
extern "C" int __real_statvfs(const char* path, struct statvfs* buf);
extern "C" int __wrap_statvfs(const char* path, struct statvfs* buf) {
    const int rc = __real_statvfs(path, buf);
    if (rc == 0 && path && std::strstr(path, "/nearly_full")) buf->f_bavail = 16;
    return rc;
}

namespace {

using APT_QMR::CSingleFile;
using APT_QMR::CStreamDownloader;
using APT_QMR::CStreamDownloaderParam;
using APT_QMR::DownloadAllDone;
using APT_QMR::DownloadDiskSpaceLow;
using APT_QMR::DownloadFailed;
using APT_QMR::DownloadFileDone;
using APT_QMR::DownloadFileIncomplete;
using APT_QMR::DownloadNextFile;
using APT_QMR::DownloadStarted;
using APT_QMR::DownloadStopped;

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

// Three recordings of channel 1: [T, T+3), [T+3, T+6) and, after a gap,
// [T+10, T+13).
const uint32_t T = Civil(2024, 3, 1, 8, 0, 0);
const uint32_t kStarts[3] = {T, T + 3, T + 10};
const uint32_t kSeconds = 3;

QString Home() { return kel_test::ProgramFolder(); }

QByteArray Read(const QString& path) { return kel_test::ReadFile(path); }

// The code of a recorded DownloadFiles path; the others are the
// downloader's DownloadEventCode.
const int kPathEvent = -1;

struct Event {
    int code;  // DownloadEventCode, or kPathEvent
    int last;
    int count;
    QString path;
};

// Records both signals on the GUI thread, in the order they arrive.
class Recorder : public QObject {
public:
    explicit Recorder(CStreamDownloader& d) {
        connect(&d, &CStreamDownloader::DownloadSignal, this,
                [this](int c, int l, int n) { events.push_back({c, l, n, QString()}); });
        connect(&d, &CStreamDownloader::DownloadFiles, this, [this](QString p) {
            events.push_back({kPathEvent, 0, 0, p});
        });
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const Event& e : events)
            if (e.code != kPathEvent) codes.push_back(e.code);
        return codes;
    }
    const Event* Last() const {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->code != kPathEvent) return &*it;
        return nullptr;
    }
    bool WaitEnd() {
        return kel_test::WaitUntil([this] {
            for (const Event& e : events)
                if (e.code == DownloadStopped || e.code == DownloadAllDone || e.code == DownloadFailed ||
                    e.code == DownloadDiskSpaceLow)
                    return true;
            return false;
        });
    }
    std::vector<Event> events;
};

// Exposes the stop request, so a test can hold the worker until the stop
// has been asked.
class HeldDownloader : public CStreamDownloader {
public:
    bool StopAsked() const { return IsStopRequested(); }
};

class StreamDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = (Home() + "/rec").toStdString();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
        for (int i = 0; i < 3; ++i) {
            recmedia::RecordingSpec spec;
            spec.channel = 1;
            spec.start = kStarts[i];
            spec.seconds = kSeconds;
            spec.width = 160;
            spec.height = 120;
            spec.fps = 10;
            spec.seed = static_cast<uint32_t>(i + 1);
            // The direct reader takes the file's own span from its name.
            spec.path = folder + "/" + TimeToString(spec.start) + "_" + TimeToString(spec.start + kSeconds) + "_1.mp4";
            std::string error;
            ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
            paths[i] = spec.path;
            source[i] = Read(QString::fromStdString(spec.path));
            files[i].reset(new CSingleFile(spec.path, folder, static_cast<uint32_t>(source[i].size()), spec.start,
                                           spec.start + kSeconds, 0, "DVR", 1));
            files[i]->SubFileType = 7;
        }
        auto* s = CSettingsStore::GetInstance();
        s->SetValueText(SettingKey::DownloadSavePath, Home() + "/dl");
        s->SetValueText(SettingKey::EvidenceVideoSavePath, Home() + "/ev/");
        s->SetValueText(SettingKey::ClipSavePath, Home() + "/clip");
        s->SetValueText(SettingKey::DownloadVideoType, "0");
    }

    void Prepare(CStreamDownloader& d, int type = 0) {
        d.SetDiskKind(1);
        d.SetDownLoadFileType(type);
        ASSERT_TRUE(d.SetParam(new CStreamDownloaderParam(1)));
    }

    std::vector<CSingleFile*> All() { return {files[0].get(), files[1].get(), files[2].get()}; }

    // The stream from the first packet of second `from` (or the start) up to
    // the first packet of second `to` (or the end), header excluded, with
    // its times moved onto the clock of a recording that started `onto`
    // (0: its own).
    QByteArray Slice(int i, int64_t from, int64_t to, uint32_t onto = 0) {
        auto offset = [&](int64_t t) -> int {
            RbsDateTime d;
            TimeToDateTime(d, static_cast<time_t>(t), false);
            return static_cast<int>(RbsOperate::FindOffsetByTime(paths[i].c_str(), d));
        };
        const int begin = from < 0 ? 40 : offset(from);
        const int end = to < 0 ? source[i].size() : offset(to);
        if (from >= 0) {
            EXPECT_GT(begin, 40);
        }
        QByteArray slice = source[i].mid(begin, end - begin);
        if (onto) recstream::StreamJoiner::ShiftTimes(reinterpret_cast<uint8_t*>(slice.data()), static_cast<size_t>(slice.size()),
                                           (int64_t(kStarts[i]) - int64_t(onto)) * 90000);
        return slice;
    }

    std::string folder;
    std::string paths[3];
    QByteArray source[3];
    std::unique_ptr<CSingleFile> files[3];
};

QString Name(uint32_t start, uint32_t end, const char* suffix = "") {
    return QString("ch01_%1_%2%3.mp4")
        .arg(QString::fromStdString(TimeToString(start)))
        .arg(QString::fromStdString(TimeToString(end)))
        .arg(suffix);
}

TEST_F(StreamDownloaderTest, ByFileWritesEachRecordingInOrder) {
    CStreamDownloader d;
    Prepare(d);
    d.SetSavePath("AlarmVideo");
    Recorder rec(d);
    EXPECT_EQ(d.GetTotalProgress(), 0u);
    {
        // The downloader keeps copies: the caller's records may go at once.
        std::vector<std::unique_ptr<CSingleFile>> copies;
        std::vector<CSingleFile*> list;
        for (auto& f : files) {
            copies.emplace_back(new CSingleFile(*f));
            list.push_back(copies.back().get());
        }
        ASSERT_TRUE(d.DownloadByFile(list, {}, {}));
    }
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_FALSE(d.IsDownloading());
    EXPECT_EQ(d.GetTotalProgress(), 100u);

    QString out[3];
    for (int i = 0; i < 3; ++i) {
        out[i] = Home() + "/dl/AlarmVideo/" + Name(kStarts[i], kStarts[i] + kSeconds);
        EXPECT_EQ(Read(out[i]), source[i]) << out[i].toStdString();
    }
    // Opened, then announced finished, file after file.
    std::vector<std::tuple<int, int, int, QString>> expected = {
        {kPathEvent, 0, 0, out[0]},   {DownloadNextFile, -1, 3, ""}, {DownloadStarted, -1, 3, ""},
        {kPathEvent, 0, 0, out[0]},   {DownloadFileDone, 0, 3, ""},  {kPathEvent, 0, 0, out[1]},
        {DownloadNextFile, 0, 3, ""}, {kPathEvent, 0, 0, out[1]},    {DownloadFileDone, 1, 3, ""},
        {kPathEvent, 0, 0, out[2]},   {DownloadNextFile, 1, 3, ""},  {kPathEvent, 0, 0, out[2]},
        {DownloadFileDone, 2, 3, ""}, {DownloadAllDone, 2, 0, ""},
    };
    ASSERT_EQ(rec.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Event& e = rec.events[i];
        EXPECT_EQ(e.code, std::get<0>(expected[i])) << i;
        if (e.code == kPathEvent) {
            EXPECT_EQ(e.path, std::get<3>(expected[i])) << i;
        } else {
            EXPECT_EQ(e.last, std::get<1>(expected[i])) << i;
            EXPECT_EQ(e.count, std::get<2>(expected[i])) << i;
        }
    }
}

// Type 0: the overlapping recordings, each cut to the span (its end second
// included), go into one file named after the span, with one header and on
// the first recording's clock. A second download of the same span writes
// beside that file.
TEST_F(StreamDownloaderTest, ByTimeOrdinaryMakesOneFileForTheSpan) {
    const QString names[2] = {Name(T + 1, T + 11), Name(T + 1, T + 11, " (1)")};
    const QByteArray expected =
        source[0].left(40) + Slice(0, T + 1, -1) + Slice(1, -1, -1, T) + Slice(2, -1, T + 12, T);
    for (int round = 0; round < 2; ++round) {
        const QString out = Home() + "/dl/" + names[round];
        CStreamDownloader d;
        Prepare(d);
        Recorder rec(d);
        ASSERT_TRUE(d.DownloadByTime(All(), T + 1, T + 11));
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadStarted, DownloadFileDone, DownloadFileDone, DownloadFileDone,
                                                 DownloadAllDone}));
        ASSERT_FALSE(rec.events.empty());
        EXPECT_EQ(rec.events.front().path, out);
        EXPECT_EQ(d.GetTotalProgress(), 100u);
        const QByteArray written = Read(out);
        EXPECT_EQ(written.size(), expected.size());
        EXPECT_TRUE(written == expected) << "round " << round;
    }
    EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files, QDir::Name), (QStringList{names[1], names[0]}));
}

// Two recordings with the same channel and times (two disks) and a file of
// that name from before: every output stays, each under a name of its own.
TEST_F(StreamDownloaderTest, SameNamesGetANumberAndReplaceNothing) {
    const QString dl = Home() + "/dl/";
    ASSERT_TRUE(QDir().mkpath(dl));
    const QByteArray earlier("an earlier download");
    kel_test::WriteFile(dl + Name(T, T + 3), earlier);
    CSingleFile other(*files[0]);
    CStreamDownloader d;
    Prepare(d);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByFile({files[0].get(), &other, files[1].get()}, {}, {}));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadNextFile,
                                             DownloadFileDone, DownloadNextFile, DownloadFileDone, DownloadAllDone}));
    const struct {
        QString name;
        QByteArray bytes;
    } expected[] = {
        {Name(T, T + 3), earlier},
        {Name(T, T + 3, " (1)"), source[0]},
        {Name(T, T + 3, " (2)"), source[0]},
        {Name(T + 3, T + 6), source[1]},
    };
    QStringList names;
    for (const auto& e : expected) {
        names << e.name;
        EXPECT_TRUE(Read(dl + e.name) == e.bytes) << e.name.toStdString();
    }
    names.sort();
    EXPECT_EQ(QDir(dl).entryList(QDir::Files, QDir::Name), names);
}

// A recording that ends before its end time: its file is kept as an
// incomplete one, named after the time it reaches, reported with code 7,
// and the download goes on with the next file.
TEST_F(StreamDownloaderTest, ARecordingCutShortIsKeptAsIncomplete) {
    const QByteArray cut = source[1].left(40) + Slice(1, -1, T + 4);   // only its first second
    const std::string cutPath = folder + "/cut/" + TimeToString(T + 3) + "_" + TimeToString(T + 6) + "_1.mp4";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder + "/cut")));
    kel_test::WriteFile(QString::fromStdString(cutPath), cut);
    CSingleFile cutFile(*files[1]);
    cutFile.FileName = cutPath;
    CStreamDownloader d;
    Prepare(d);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByFile({files[0].get(), &cutFile, files[2].get()}, {}, {}));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(),
              (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadNextFile,
                                DownloadFileIncomplete, DownloadNextFile, DownloadFileDone, DownloadAllDone}));
    const QString dl = Home() + "/dl/";
    const QString partial = Name(T + 3, T + 3, "_partial");
    EXPECT_TRUE(Read(dl + partial) == cut);
    EXPECT_EQ(QDir(dl).entryList(QDir::Files, QDir::Name),
              (QStringList{Name(T, T + 3), partial, Name(T + 10, T + 13)}));
    // The path reported before code 7 is the incomplete file's, and its
    // notice says so.
    QString reported;
    for (size_t i = 1; i < rec.events.size(); ++i)
        if (rec.events[i].code == DownloadFileIncomplete) reported = rec.events[i - 1].path;
    EXPECT_EQ(reported, dl + partial);
    EXPECT_TRUE(CStreamDownloader::IsIncompleteFile(reported));
    EXPECT_FALSE(CStreamDownloader::IsIncompleteFile(dl + Name(T, T + 3)));
    EXPECT_EQ(CStreamDownloader::FileNotice(reported),
              "The download is incomplete. What was saved up to its end: " + dl + partial);
    EXPECT_EQ(CStreamDownloader::FileNotice(dl + Name(T, T + 3)), dl + Name(T, T + 3));
}

// Type 1: one file per recording, cut to the span, with the record's type
// code in the name; a folder setting ending in '/' gets no second separator.
TEST_F(StreamDownloaderTest, ByTimeEvidenceMakesOneFilePerRecording) {
    CStreamDownloader d;
    Prepare(d, 1);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByTime(All(), T + 1, T + 11));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadStarted, DownloadFileDone, DownloadFileDone, DownloadFileDone,
                                             DownloadAllDone}));
    const QString base = Home() + "/ev/";
    EXPECT_EQ(rec.events.front().path, base + Name(T + 1, T + 3, "_0007"));
    EXPECT_EQ(Read(base + Name(T + 1, T + 3, "_0007")), source[0].left(40) + Slice(0, T + 1, -1));
    EXPECT_EQ(Read(base + Name(T + 3, T + 6, "_0007")), source[1]);
    EXPECT_EQ(Read(base + Name(T + 10, T + 11, "_0007")), source[2].left(40) + Slice(2, -1, T + 12));
}

// Clip mode writes below "ClipSavePath" whatever the type; with
// "DownloadVideoType" 1 the output is converted.
TEST_F(StreamDownloaderTest, ClipModeConvertedIntoTheClipFolder) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    CStreamDownloader d;
    Prepare(d, 1);
    d.SetClipMode(true);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByFile({files[1].get()}, {}, {}));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadAllDone}));
    const QByteArray written = Read(Home() + "/clip/" + Name(T + 3, T + 6, "_0007"));
    ASSERT_GT(written.size(), 8);
    EXPECT_EQ(written.mid(4, 4), QByteArray("ftyp"));
    EXPECT_FALSE(QDir(Home() + "/ev").exists());
}

TEST_F(StreamDownloaderTest, RefusedCallsReportNothing) {
    CStreamDownloader d;
    d.SetDiskKind(1);
    Recorder rec(d);
    EXPECT_FALSE(d.DownloadByFile(All(), {}, {}));   // no parameter yet
    ASSERT_TRUE(d.SetParam(new CStreamDownloaderParam));
    EXPECT_FALSE(d.DownloadByFile({}, {}, {}));
    EXPECT_FALSE(d.DownloadByFile(All(), {1}, {}));
    EXPECT_FALSE(d.DownloadByTime(All(), -1, T + 5));
    EXPECT_FALSE(d.DownloadByTime(All(), T + 5, T + 4));
    EXPECT_FALSE(d.DownloadByTime(All(), T + 20, T + 30));   // nothing in the span
    // The first file cannot be opened: nothing starts and nothing is left.
    CSingleFile missing(folder + "/missing.mp4", folder, 100, T + 3, T + 6, 0, "DVR", 1);
    EXPECT_FALSE(d.DownloadByFile({&missing, files[0].get()}, {}, {}));
    EXPECT_FALSE(d.IsDownloading());
    d.StopDownload(false);   // nothing runs: nothing reported
    QCoreApplication::processEvents();
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(QDir(Home() + "/dl").entryList(QDir::Files).isEmpty());
}

// A next file that cannot be opened ends the batch with code 3; the files
// finished before it stay.
TEST_F(StreamDownloaderTest, NextFileThatCannotBeOpenedFails) {
    CStreamDownloader d;
    Prepare(d);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByFile({files[0].get(), nullptr}, {}, {}));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadFailed}));
    EXPECT_EQ(rec.Last()->last, 1);   // the file that could not be opened
    EXPECT_EQ(rec.Last()->count, 0);
    EXPECT_FALSE(d.IsDownloading());
    EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files), QStringList{Name(T, T + 3)});
}

// A missing file on the direct route, or one that is no recorder stream (a
// converted .mp4), would never deliver: it is not opened, and the batch ends
// there with code 3 as for any file that cannot be opened, leaving no file
// of it. The file finished before it stays.
TEST_F(StreamDownloaderTest, FileTheDirectRouteCannotStreamFails) {
    ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(folder + "/converted.mp4"),
                                    QByteArray("\0\0\0\x18" "ftypmp42", 12) + QByteArray(4000, 'x')));
    for (const char* name : {"missing.mp4", "converted.mp4"}) {
        SCOPED_TRACE(name);
        QDir(Home() + "/dl").removeRecursively();
        CStreamDownloader d;
        Prepare(d);
        Recorder rec(d);
        CSingleFile other(folder + "/" + name, folder, 100, T + 3, T + 6, 0, "DVR", 1);
        ASSERT_TRUE(d.DownloadByFile({files[0].get(), &other}, {}, {}));
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadFailed}));
        EXPECT_EQ(rec.Last()->last, 1);
        EXPECT_EQ(rec.Last()->count, 0);
        EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files), QStringList{Name(T, T + 3)});
        // As the first file of a span: a missing one starts nothing; a
        // converted one is cut on the worker, and this one (no readable
        // .mp4) ends with code 3 and leaves nothing.
        if (std::string(name) == "missing.mp4") {
            EXPECT_FALSE(d.DownloadByTime({&other}, T + 3, T + 5));
        } else {
            Recorder cut(d);
            ASSERT_TRUE(d.DownloadByTime({&other}, T + 3, T + 5));
            ASSERT_TRUE(cut.WaitEnd());
            EXPECT_EQ(cut.Codes(), (std::vector<int>{DownloadStarted, DownloadFailed}));
        }
        EXPECT_FALSE(d.IsDownloading());
        EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files), QStringList{Name(T, T + 3)});
    }
}

// The worker is held when the second file has started, until that file has
// taken every byte of its recording and the stop has been asked: the stop
// meets a file whose last pack is not known to be whole. Both stops keep it
// as an incomplete file that ends with its last whole second.
TEST_F(StreamDownloaderTest, StopByTheCallerAndForcedStop) {
    for (bool forced : {false, true}) {
        SCOPED_TRACE(forced ? "forced" : "by the caller");
        QDir(Home() + "/dl").removeRecursively();
        HeldDownloader d;
        Prepare(d);
        Recorder rec(d);
        std::atomic<bool> held{false};
        std::atomic<bool> held2{false};
        QObject::connect(
            &d, &CStreamDownloader::DownloadSignal, &d,
            [&](int code, int last, int) {
                // The worker's report that the second file has started.
                if (code != DownloadNextFile || last != 0 || held.exchange(true)) return;
                QElapsedTimer timer;
                timer.start();
                while (d.CurrentFileBytes() < static_cast<uint64_t>(source[1].size()) && timer.elapsed() < 60000)
                    ZUN_Sleep(2);
                held2 = true;
                while (!d.StopAsked() && timer.elapsed() < 60000) ZUN_Sleep(2);
            },
            Qt::DirectConnection);
        ASSERT_TRUE(d.DownloadByFile(All(), {}, {}));
        ASSERT_TRUE(kel_test::WaitUntil([&] { return held2.load(); }));
        // Not while downloading: a refused parameter stays with the caller.
        auto param = std::make_unique<CStreamDownloaderParam>(2);
        const bool taken = d.SetParam(param.get());
        if (taken) param.release();
        EXPECT_FALSE(taken);
        // A refused call leaves the running download alone.
        EXPECT_FALSE(d.DownloadByFile({}, {}, {}));
        EXPECT_FALSE(d.DownloadByTime(All(), T + 5, T + 4));
        EXPECT_TRUE(d.IsDownloading());
        d.StopDownload(forced);
        EXPECT_FALSE(d.IsDownloading());
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadNextFile,
                                                 forced ? DownloadFailed : DownloadStopped}));
        EXPECT_EQ(rec.Last()->last, 1);
        EXPECT_EQ(rec.Last()->count, 0);
        const QString partial = Name(T + 3, T + 5, "_partial");
        EXPECT_EQ(rec.events.back().code, forced ? DownloadFailed : DownloadStopped);
        EXPECT_EQ(rec.events[rec.events.size() - 2].path, Home() + "/dl/" + partial);
        EXPECT_EQ(Read(Home() + "/dl/" + Name(T, T + 3)), source[0]);
        EXPECT_TRUE(Read(Home() + "/dl/" + partial) == source[1]);
        EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files, QDir::Name), (QStringList{Name(T, T + 3), partial}));
    }
}

// A stop right after the start, by time in both types, by the caller or by
// the downloader's end with its window: whatever moment it
// hits, only files reported finished look complete, no file holds only a
// header, and the path reported with the stop names what is left.
TEST_F(StreamDownloaderTest, StopRightAfterTheStartLeavesNothingCompleteLooking) {
    for (int type : {0, 1})
    for (bool destroyed : {false, true}) {   // a stop by the caller; the owner (a window) closed
        SCOPED_TRACE(std::to_string(type) + (destroyed ? " destroyed" : " stopped"));
        const QString dir = Home() + (type == 0 ? "/dl" : "/ev");
        QDir(dir).removeRecursively();
        std::unique_ptr<CStreamDownloader> d(new CStreamDownloader);
        Prepare(*d, type);
        Recorder rec(*d);
        ASSERT_TRUE(d->DownloadByTime(All(), T + 1, T + 11));
        if (destroyed)
            d.reset();
        else
            d->StopDownload(false);
        ASSERT_TRUE(rec.WaitEnd());
        // A closing downloader reports its end at once: the worker's reports
        // queued before it come after it.
        QCoreApplication::processEvents();
        size_t end = 0;
        for (size_t i = 1; i < rec.events.size(); ++i)
            if (rec.events[i].code == DownloadStopped || rec.events[i].code == DownloadFailed) end = i;
        ASSERT_GT(end, 0u);
        EXPECT_EQ(rec.events[end].code, destroyed ? DownloadFailed : DownloadStopped);
        const QString reported = rec.events[end - 1].path;
        QStringList finished;   // reported done (code 5) before the stop
        for (size_t i = 1; i < rec.events.size(); ++i)
            if (rec.events[i].code == DownloadFileDone) finished << rec.events[i - 1].path;
        QStringList incomplete;
        for (const QString& name : QDir(dir).entryList(QDir::Files)) {
            const QString path = dir + "/" + name;
            EXPECT_GT(QFileInfo(path).size(), 40) << name.toStdString();
            if (CStreamDownloader::IsIncompleteFile(name))
                incomplete << path;
            else
                EXPECT_TRUE(finished.contains(path)) << name.toStdString();
        }
        EXPECT_LE(incomplete.size(), 1);
        // A stop between two files reports the last finished one.
        if (incomplete.isEmpty())
            EXPECT_TRUE(reported.isEmpty() || finished.contains(reported)) << reported.toStdString();
        else
            EXPECT_EQ(incomplete.first(), reported);
    }
}

// The drive that is written to decides: clips go to a nearly full drive
// (code 6, nothing left behind) while the download folder has room; and the
// other way round the clip is written.
TEST_F(StreamDownloaderTest, NearlyFullOutputDriveEndsTheDownload) {
    auto* s = CSettingsStore::GetInstance();
    s->SetValueText(SettingKey::ClipSavePath, Home() + "/nearly_full/clip");
    {
        CStreamDownloader d;
        Prepare(d);
        d.SetClipMode(true);
        Recorder rec(d);
        ASSERT_TRUE(d.DownloadByFile(All(), {}, {}));
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadDiskSpaceLow}));
        EXPECT_EQ(rec.Last()->last, 0);
        EXPECT_EQ(rec.Last()->count, 3);
        EXPECT_FALSE(d.IsDownloading());
        // Nothing that looks complete: at most what was written up to the
        // stop, named as incomplete.
        for (const QString& name : QDir(Home() + "/nearly_full/clip").entryList(QDir::Files))
            EXPECT_TRUE(CStreamDownloader::IsIncompleteFile(name)) << name.toStdString();
    }
    s->SetValueText(SettingKey::ClipSavePath, Home() + "/clip");
    s->SetValueText(SettingKey::DownloadSavePath, Home() + "/nearly_full/dl");
    CStreamDownloader d;
    Prepare(d);
    d.SetClipMode(true);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByFile({files[0].get()}, {}, {}));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadAllDone}));
    EXPECT_EQ(Read(Home() + "/clip/" + Name(T, T + 3)), source[0]);
}

TEST(StreamDownloaderEstimate, ShareOfEachFileInTheSpan) {
    // 100-second files of 1000 bytes.
    CSingleFile a("a", "d", 1000, 1000, 1099, 0, "", 1);
    CSingleFile b("b", "d", 1000, 1100, 1199, 0, "", 1);
    const std::vector<CSingleFile*> list = {&a, nullptr, &b};
    struct Case {
        time_t start, end;
        uint64_t bytes;
    } cases[] = {
        {1000, 1199, 2000},   // both inside
        {1050, 1099, 500},    // second half of the first
        {1050, 1199, 1500},   // a file that starts before the span counts its share only
        {1000, 1149, 1500},   // the first whole, half of the second
        {1200, 1300, 0},      // after both
    };
    for (const Case& c : cases)
        EXPECT_EQ(CStreamDownloader::EstimateFilesSize(list, c.start, c.end), c.bytes) << c.start << ".." << c.end;
}

}  // namespace
