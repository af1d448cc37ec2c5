// Downloads by file list and by time span over generated recordings: output
// names and folders, contents, the order of the progress signals, stops by
// the caller and forced stops, failures, a nearly full drive, conversion.
#include "StreamDownloader.h"

#include "RbsOperate.h"
#include "StorageOper.h"
#include "Settings.h"
#include "CommonHelpers.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <functional>
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

bool WaitFor(const std::function<bool()>& done, int seconds = 60) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > seconds * 1000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

QByteArray Read(const QString& path) { return kel_test::ReadFile(path); }

struct Event {
    int code;   // -1: a DownloadFiles path
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
        connect(&d, &CStreamDownloader::DownloadFiles, this,
                [this](QString p) { events.push_back({-1, 0, 0, p}); });
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const Event& e : events)
            if (e.code >= 0) codes.push_back(e.code);
        return codes;
    }
    const Event* Last() const {
        for (auto it = events.rbegin(); it != events.rend(); ++it)
            if (it->code >= 0) return &*it;
        return nullptr;
    }
    bool WaitEnd() {
        return WaitFor([this] {
            for (const Event& e : events)
                if (e.code == 1 || e.code == 2 || e.code == 3 || e.code == 6) return true;
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
    // the first packet of second `to` (or the end), header excluded.
    QByteArray Slice(int i, int64_t from, int64_t to) {
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
        return source[i].mid(begin, end - begin);
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
        {-1, 0, 0, out[0]}, {4, -1, 3, ""},     {0, -1, 3, ""},    {-1, 0, 0, out[0]}, {5, 0, 3, ""},
        {-1, 0, 0, out[1]}, {4, 0, 3, ""},      {-1, 0, 0, out[1]}, {5, 1, 3, ""},     {-1, 0, 0, out[2]},
        {4, 1, 3, ""},      {-1, 0, 0, out[2]}, {5, 2, 3, ""},     {2, 2, 0, ""}};
    ASSERT_EQ(rec.events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Event& e = rec.events[i];
        EXPECT_EQ(e.code, std::get<0>(expected[i])) << i;
        if (e.code == -1) {
            EXPECT_EQ(e.path, std::get<3>(expected[i])) << i;
        } else {
            EXPECT_EQ(e.last, std::get<1>(expected[i])) << i;
            EXPECT_EQ(e.count, std::get<2>(expected[i])) << i;
        }
    }
}

// Type 0: the overlapping recordings, each cut to the span, go into one file
// named after the span, with one header. A second download of the same span
// replaces that file.
TEST_F(StreamDownloaderTest, ByTimeOrdinaryMakesOneFileForTheSpan) {
    const QString out = Home() + "/dl/" + Name(T + 1, T + 11);
    const QByteArray expected = source[0].left(40) + Slice(0, T + 1, -1) + Slice(1, -1, -1) + Slice(2, -1, T + 11);
    for (int round = 0; round < 2; ++round) {
        CStreamDownloader d;
        Prepare(d);
        Recorder rec(d);
        ASSERT_TRUE(d.DownloadByTime(All(), T + 1, T + 11));
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{0, 5, 5, 5, 2}));
        ASSERT_FALSE(rec.events.empty());
        EXPECT_EQ(rec.events.front().path, out);
        EXPECT_EQ(d.GetTotalProgress(), 100u);
        const QByteArray written = Read(out);
        EXPECT_EQ(written.size(), expected.size());
        EXPECT_TRUE(written == expected) << "round " << round;
    }
    EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files), QStringList{Name(T + 1, T + 11)});
}

// Type 1: one file per recording, cut to the span, with the record's type
// code in the name; a folder setting ending in '/' gets no second separator.
TEST_F(StreamDownloaderTest, ByTimeEvidenceMakesOneFilePerRecording) {
    CStreamDownloader d;
    Prepare(d, 1);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByTime(All(), T + 1, T + 11));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{0, 5, 5, 5, 2}));
    const QString base = Home() + "/ev/";
    EXPECT_EQ(rec.events.front().path, base + Name(T + 1, T + 3, "_0007"));
    EXPECT_EQ(Read(base + Name(T + 1, T + 3, "_0007")), source[0].left(40) + Slice(0, T + 1, -1));
    EXPECT_EQ(Read(base + Name(T + 3, T + 6, "_0007")), source[1]);
    EXPECT_EQ(Read(base + Name(T + 10, T + 11, "_0007")), source[2].left(40) + Slice(2, -1, T + 11));
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
    EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 5, 2}));
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
    EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 5, 3}));
    EXPECT_EQ(rec.Last()->last, 0);
    EXPECT_EQ(rec.Last()->count, 0);
    EXPECT_FALSE(d.IsDownloading());
    EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files), QStringList{Name(T, T + 3)});
}

// A stream that opens but never delivers (a missing file on the direct
// route) fails after 30 s without data instead of running for ever, and
// leaves no file.
TEST_F(StreamDownloaderTest, SilentStreamFails) {
    CStreamDownloader d;
    Prepare(d);
    Recorder rec(d);
    CSingleFile missing(folder + "/missing.mp4", folder, 100, T + 3, T + 6, 0, "DVR", 1);
    ASSERT_TRUE(d.DownloadByFile({files[0].get(), &missing}, {}, {}));
    ASSERT_TRUE(WaitFor([&] { return !rec.Codes().empty() && rec.Codes().back() == 3; }, 120));
    EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 5, 4, 3}));
    EXPECT_EQ(rec.Last()->last, 1);
    EXPECT_EQ(rec.Last()->count, 2);
    EXPECT_EQ(QDir(Home() + "/dl").entryList(QDir::Files), QStringList{Name(T, T + 3)});
}

// The worker is held after its first file until the stop has been asked, so
// the stop always meets the second file. A stop by the caller (code 1) keeps
// it; a forced stop (code 3) removes it.
TEST_F(StreamDownloaderTest, StopByTheCallerAndForcedStop) {
    for (bool forced : {false, true}) {
        SCOPED_TRACE(forced ? "forced" : "by the caller");
        QDir(Home() + "/dl").removeRecursively();
        HeldDownloader d;
        Prepare(d);
        Recorder rec(d);
        std::atomic<bool> held{false};
        QObject::connect(
            &d, &CStreamDownloader::DownloadSignal, &d,
            [&](int code, int, int) {
                if (code != 5 || held.exchange(true)) return;
                QElapsedTimer timer;
                timer.start();
                while (!d.StopAsked() && timer.elapsed() < 60000) ZUN_Sleep(2);
            },
            Qt::DirectConnection);
        ASSERT_TRUE(d.DownloadByFile(All(), {}, {}));
        ASSERT_TRUE(WaitFor([&] { return held.load(); }));
        // Not while downloading: a refused parameter stays with the caller.
        auto param = std::make_unique<CStreamDownloaderParam>(2);
        const bool taken = d.SetParam(param.get());
        if (taken) param.release();
        EXPECT_FALSE(taken);
        d.StopDownload(forced);
        EXPECT_FALSE(d.IsDownloading());
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 5, 4, forced ? 3 : 1}));
        EXPECT_EQ(rec.Last()->last, 1);
        EXPECT_EQ(rec.Last()->count, 0);
        EXPECT_EQ(Read(Home() + "/dl/" + Name(T, T + 3)), source[0]);
        EXPECT_EQ(QFile::exists(Home() + "/dl/" + Name(T + 3, T + 6)), !forced);
        EXPECT_FALSE(QFile::exists(Home() + "/dl/" + Name(T + 10, T + 13)));
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
        EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 6}));
        EXPECT_EQ(rec.Last()->last, 0);
        EXPECT_EQ(rec.Last()->count, 3);
        EXPECT_FALSE(d.IsDownloading());
        EXPECT_TRUE(QDir(Home() + "/nearly_full/clip").entryList(QDir::Files).isEmpty());
    }
    s->SetValueText(SettingKey::ClipSavePath, Home() + "/clip");
    s->SetValueText(SettingKey::DownloadSavePath, Home() + "/nearly_full/dl");
    CStreamDownloader d;
    Prepare(d);
    d.SetClipMode(true);
    Recorder rec(d);
    ASSERT_TRUE(d.DownloadByFile({files[0].get()}, {}, {}));
    ASSERT_TRUE(rec.WaitEnd());
    EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 5, 2}));
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

// The storage route: a recording of a medium named by a drive letter.
TEST(StreamDownloaderStorage, ByFileOverTheStorageLayer) {
    const std::string mediumFolder = (Home() + "/medium").toStdString();
    recmedia::MediaSpec spec;
    spec.outDir = mediumFolder;
    spec.family = 2;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 60;
    spec.fast = true;
    spec.logs = spec.events = spec.pictures = spec.vehicleFiles = false;
    recmedia::MediumInfo info;
    std::string error;
    ASSERT_TRUE(recmedia::WriteMedium(spec, &info, &error)) << error;
    ASSERT_EQ(info.recordings.size(), 1u);
    const QString table = Home() + "/drives.txt";
    kel_test::WriteFile(table, QString("disk 1 %1\nletter E 1 removable vfat %1\n")
                                   .arg(QString::fromStdString(mediumFolder))
                                   .toUtf8());
    auto env = std::make_unique<kel_test::ScopedEnv>("KEL_DRIVES", table.toStdString());
    wincompat::ReloadDriveTable();
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, Home() + "/dl");

    const recmedia::PlannedRecording& r = info.recordings[0];
    CSingleFile file(r.relPath, "E:\\", r.size, r.start, r.end, r.fileType, "", r.channel);
    file.SearchEndTime = r.end;
    {
        CStreamDownloader d;
        d.SetDiskKind(0);
        ASSERT_TRUE(d.SetParam(new CStreamDownloaderParam(r.channel)));
        Recorder rec(d);
        ASSERT_TRUE(d.DownloadByFile({&file}, {}, {}));
        ASSERT_TRUE(rec.WaitEnd());
        EXPECT_EQ(rec.Codes(), (std::vector<int>{4, 0, 5, 2}));
        const QByteArray recording = Read(QString::fromStdString(mediumFolder + "/" + r.relPath));
        const QByteArray written = Read(Home() + "/dl/" +
                                        QString("ch01_%1_%2.mp4")
                                            .arg(QString::fromStdString(TimeToString(r.start)))
                                            .arg(QString::fromStdString(TimeToString(r.end))));
        ASSERT_GT(written.size(), 40);
        EXPECT_EQ(written.left(40), recording.left(40));
        EXPECT_GT(written.size(), recording.size() / 2);
    }
    env.reset();
    wincompat::ReloadDriveTable();
}

}  // namespace
