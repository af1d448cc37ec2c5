// SPDX-License-Identifier: GPL-3.0-or-later
// The local file search over a folder of exported recordings.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "module/search/search_thread/signal_counter.h"
#include "storage/OutputFileWriter.h"
#include "search/SearchLocalThread.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"

namespace {

struct Results {
    QVector<ChannelFiles*> records;
    ~Results() {
        for (ChannelFiles* r : records) {
            for (APT_QMR::CSingleFile* f : r->SingleFileList) delete f;
            delete r;
        }
    }
};

uint32_t Utc(int hour, int minute, int second) {
    return static_cast<uint32_t>(
        QDateTime(QDate(2024, 1, 1), QTime(hour, minute, second), Qt::UTC).toSecsSinceEpoch());
}

// A small recording (recorder stream) of `seconds` starting at `start`.
void Record(const QString& path, int channel, uint32_t start, uint32_t seconds = 3) {
    recmedia::RecordingSpec spec;
    spec.path = path.toStdString();
    spec.channel = channel;
    spec.start = start;
    spec.seconds = seconds;
    spec.width = 64;
    spec.height = 48;
    spec.fps = 5;
    std::string error;
    ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
}

class LocalSearch : public ::testing::Test {
protected:
    void SetUp() override {
        folder = kel_test::ProgramFolder() + "/exported";
        ASSERT_TRUE(QDir().mkpath(folder));
    }

    bool Run(int mode, Results* out, bool filter = false) {
        search_test::SignalCounter ended(&thread, &SearchLocalThread::signalSearchFinish);
        thread.setSearchCondition(filter, {}, {});
        thread.setFolderPath(folder);
        thread.setTypeFromName(mode);
        thread.startSearch();
        if (!thread.wait(120000)) return false;
        const bool once = ended.count() == 1;
        thread.getResults(out->records);
        return once;
    }

    static std::vector<std::string> Names(const ChannelFiles& r) {
        std::vector<std::string> names;
        for (const APT_QMR::CSingleFile* f : r.SingleFileList)
            names.push_back(QFileInfo(QString::fromStdString(f->FileName)).fileName().toStdString());
        return names;
    }

    QString folder;
    SearchLocalThread thread;
};

}  // namespace

TEST_F(LocalSearch, PlaybackNamesAreListedPerChannelInNameOrder) {
    Record(folder + "/ch02_20240101120000.mp4", 2, Utc(12, 0, 0));
    Record(folder + "/ch02_20240101110000_20240101110003.mp4", 2, Utc(13, 0, 0));  // later content, earlier name
    Record(folder + "/ch07_20240101_120000_0001_01_000000001_000000002_003.mp4", 7, Utc(9, 0, 0));
    // A recording shorter than a second: listed, from and to its one second.
    Record(folder + "/ch05_20240101120000.mp4", 5, Utc(8, 0, 0), 1);
    // Not listed: the evidence form, upper case, another extension case,
    // a sub-folder, and a file that is no recording at all.
    Record(folder + "/ch02_20240101120000_20240101130000_1301.mp4", 2, Utc(8, 0, 0));
    Record(folder + "/CH02_20240101120000.mp4", 2, Utc(8, 0, 0));
    Record(folder + "/ch03_20240101120000.MP4", 3, Utc(8, 0, 0));
    ASSERT_TRUE(QDir().mkpath(folder + "/sub"));
    Record(folder + "/sub/ch04_20240101120000.mp4", 4, Utc(8, 0, 0));
    ASSERT_TRUE(kel_test::WriteFile(folder + "/ch06_20240101120000.mp4", QByteArray(4000, 'z')));

    Results results;
    ASSERT_TRUE(Run(0, &results));
    ASSERT_EQ(results.records.size(), 3);
    const ChannelFiles& ch2 = *results.records[0];
    EXPECT_EQ(ch2.ChannelInfo.GetChannelNumber(), 2);
    EXPECT_EQ(ch2.ChannelInfo.GetDevice(), "DVR");
    EXPECT_TRUE(ch2.ChannelInfo.GetRbs());
    EXPECT_EQ(ch2.DeviceName, "DVR");
    EXPECT_EQ(ch2.DiskName, folder);
    EXPECT_EQ(Names(ch2), (std::vector<std::string>{"ch02_20240101110000_20240101110003.mp4",
                                                     "ch02_20240101120000.mp4"}));
    const APT_QMR::CSingleFile& f = *ch2.SingleFileList[1];
    const QString path = folder + "/ch02_20240101120000.mp4";
    EXPECT_EQ(f.FileName, QFileInfo(path).absoluteFilePath().toStdString());
    EXPECT_EQ(f.DiskName, folder.toStdString());
    EXPECT_EQ(f.DeviceName, "DVR");
    EXPECT_EQ(f.ChannelNumber, 2);
    EXPECT_EQ(f.FileType, 0);
    EXPECT_EQ(f.FileSize, static_cast<uint32_t>(QFileInfo(path).size()));
    EXPECT_EQ(f.StartTime, Utc(12, 0, 0));
    EXPECT_EQ(f.SearchStartTime, Utc(12, 0, 0));
    EXPECT_EQ(f.EndTime, Utc(12, 0, 2));
    EXPECT_EQ(f.SubType, 0);
    EXPECT_EQ(f.EnforceMode, 0u);
    const ChannelFiles& ch5 = *results.records[1];
    EXPECT_EQ(ch5.ChannelInfo.GetChannelNumber(), 5);
    ASSERT_EQ(ch5.SingleFileList.size(), 1u);
    EXPECT_EQ(ch5.SingleFileList[0]->StartTime, Utc(8, 0, 0));
    EXPECT_EQ(ch5.SingleFileList[0]->EndTime, Utc(8, 0, 0));
    EXPECT_EQ(results.records[2]->ChannelInfo.GetChannelNumber(), 7);
}

TEST_F(LocalSearch, EvidenceNamesCarryTheirRecordType) {
    Record(folder + "/ch05_20240101120000_20240101130000_1301.mp4", 5, Utc(12, 0, 0));
    Record(folder + "/ch05_20240101140000_20240101150000_0006.mp4", 5, Utc(14, 0, 0));
    Record(folder + "/ch05_20240101120000.mp4", 5, Utc(10, 0, 0));  // playback form: not in this mode

    Results results;
    ASSERT_TRUE(Run(1, &results));
    ASSERT_EQ(results.records.size(), 1);
    const auto& files = results.records[0]->SingleFileList;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0]->ChannelNumber, 5);
    EXPECT_EQ(files[0]->SubType, 2);
    EXPECT_EQ(files[0]->EnforceMode, 1u);
    EXPECT_EQ(files[0]->SubFileType, 1301);
    EXPECT_EQ(files[1]->SubType, 6);
    EXPECT_EQ(files[1]->EnforceMode, 0u);
    EXPECT_EQ(files[1]->SubFileType, 6);

    // An unknown mode and the time-span filter list nothing.
    Results other;
    ASSERT_TRUE(Run(2, &other));
    EXPECT_TRUE(other.records.isEmpty());
    Results filtered;
    ASSERT_TRUE(Run(1, &filtered, true));
    EXPECT_TRUE(filtered.records.isEmpty());
}

// The names the program gives what it saves, in the mode whose page lists
// them: a download that did not run to its end ("_partial") and a name that
// was taken (" (1)") included; names that only look like them are not.
TEST(LocalSearchNames, SavedFileNamesOfEachMode) {
    struct Case {
        const char* name;
        bool playback;   // mode 0
        bool evidence;   // mode 1
    } cases[] = {
        {"ch02_20240101120000.mp4", true, false},
        {"ch02_20240101120000 (1).mp4", true, false},
        {"ch02_20240101120000_20240101130000 (12).mp4", true, false},
        {"ch02_20240101120000_20240101125959_partial.mp4", true, false},
        {"ch02_20240101120000_20240101125959_partial (2).mp4", true, false},
        {"ch05_20240101120000_20240101130000_1301 (1).mp4", false, true},
        {"ch05_20240101120000_20240101125959_1301_partial.mp4", false, true},
        {"ch05_20240101120000_20240101125959_1301_partial (3).mp4", false, true},
        {"ch02_20240101120000 (x).mp4", false, false},
        {"ch02_20240101120000(1).mp4", false, false},
        {"ch02_20240101120000 (1) (2).mp4", false, false},
        {"ch02_20240101120000 (1)_partial.mp4", false, false},
        {"ch02_20240101120000_20240101130000_partial_partial.mp4", false, false},
        {"ch02_20240101120000_20240101130000_Partial.mp4", false, false},
        {"ch02_20240101120000_20240101130000.mp4.part", false, false},
        // The disk of a channel found on several disks, in either language.
        {"ch02_20240101120000_20240101130000_Disk1(E).mp4", true, false},
        {"ch02_20240101120000_20240101125959_Disk12(F)_partial (2).mp4", true, false},
        {"ch02_20240101120000_20240101130000_\u78c1\u76d81(E).mp4", true, false},
        {"ch02_20240101120000_20240101130000_Disk3.mp4", true, false},
        {"ch02_20240101120000_20240101130000_E (1).mp4", true, false},
        {"ch05_20240101120000_20240101130000_1301_Disk1(E).mp4", false, true},
        {"ch05_20240101120000_20240101125959_1301_\u78c1\u76d82(G)_partial.mp4", false, true},
        {"ch02_20240101120000_20240101130000_Disk(E).mp4", false, false},
        {"ch02_20240101120000_20240101130000_Disk1(E)(F).mp4", false, false},
        {"ch02_20240101120000_20240101130000_partial_Disk1(E).mp4", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SearchLocalThread::nameMatches(QString::fromUtf8(c.name), 0), c.playback);
        EXPECT_EQ(SearchLocalThread::nameMatches(QString::fromUtf8(c.name), 1), c.evidence);
    }
}

TEST_F(LocalSearch, ConvertedContainerFilesAreListed) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) GTEST_SKIP() << "no ffmpeg";
    const QString path = folder + "/ch01_20240101080000_20240101080004.mp4";
    const QStringList args = {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=5:duration=4",
                              "-metadata", "comment=recorder_start=20240101080000", path};
    ASSERT_EQ(QProcess::execute("ffmpeg", args), 0);
    Results results;
    ASSERT_TRUE(Run(0, &results));
    ASSERT_EQ(results.records.size(), 1);
    const APT_QMR::CSingleFile& f = *results.records[0]->SingleFileList.at(0);
    EXPECT_EQ(f.StartTime, Utc(8, 0, 0));
    EXPECT_GT(f.EndTime, f.StartTime);
}

// Each file is listed from its first to its last frame: a file that joins
// two recordings ends with the second one, and the downloader's .mp4 of a
// recording ends where the recording ends.
TEST_F(LocalSearch, FilesSpanFromTheirFirstToTheirLastFrame) {
    const QString a = folder + "/part_a.qrs", b = folder + "/part_b.qrs";
    Record(a, 3, Utc(9, 0, 0), 4);
    Record(b, 3, Utc(9, 1, 0), 5);
    QByteArray joined = kel_test::ReadFile(a) + kel_test::ReadFile(b);
    ASSERT_TRUE(kel_test::WriteFile(folder + "/ch03_20240101090000_20240101090105.mp4", joined));

    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    const QByteArray single = kel_test::ReadFile(a);
    CStreamFileWriter w;
    ASSERT_TRUE(w.Open((folder + "/ch04_20240101090000_20240101090004.mp4").toStdString(), false));
    for (int at = 0; at < single.size(); at += at == 0 ? 40 : 4096) {
        const int n = at == 0 ? 40 : std::min(4096, single.size() - at);
        ASSERT_EQ(w.Write(reinterpret_cast<const uint8_t*>(single.constData()) + at, static_cast<uint32_t>(n)),
                  static_cast<uint32_t>(n));
    }
    ASSERT_TRUE(w.Close());

    Results results;
    ASSERT_TRUE(Run(0, &results));
    ASSERT_EQ(results.records.size(), 2);
    for (const ChannelFiles* r : results.records) {
        SCOPED_TRACE(r->ChannelInfo.GetChannelNumber());
        ASSERT_EQ(r->SingleFileList.size(), 1u);
        const APT_QMR::CSingleFile& f = *r->SingleFileList[0];
        EXPECT_EQ(f.StartTime, Utc(9, 0, 0));
        EXPECT_EQ(f.EndTime, r->ChannelInfo.GetChannelNumber() == 3 ? Utc(9, 1, 4) : Utc(9, 0, 3));
    }
}

TEST_F(LocalSearch, MissingOrEmptyFolderEndsWithTheSignal) {
    Results empty;
    ASSERT_TRUE(Run(0, &empty));
    EXPECT_TRUE(empty.records.isEmpty());
    folder = kel_test::ProgramFolder() + "/absent";
    Results absent;
    ASSERT_TRUE(Run(0, &absent));
    EXPECT_TRUE(absent.records.isEmpty());
}

TEST_F(LocalSearch, DeletingTheThreadWaitsForItsSearch) {
    // Candidates that the player library refuses: the search allocates nothing.
    for (int i = 1; i <= 9; ++i)
        ASSERT_TRUE(kel_test::WriteFile(folder + QString("/ch0%1_20240101120000.mp4").arg(i), QByteArray(2000, 'z')));
    std::atomic<int> started{0}, searched{0}, finished{0};
    {
        SearchLocalThread t;
        QObject::connect(&t, &QThread::started, [&] { ++started; });
        QObject::connect(&t, &SearchLocalThread::signalSearchFinish, [&] { ++searched; });
        QObject::connect(&t, &QThread::finished, [&] { ++finished; });
        t.setFolderPath(folder);
        t.startSearch();
        t.startSearch();  // no second run while one is under way (one may follow a finished one)
    }  // the destructor lets the search finish instead of tearing it down
    // Every run that started had searched to its end and finished before the
    // destructor returned.
    EXPECT_GE(started.load(), 1);
    EXPECT_EQ(searched.load(), started.load());
    EXPECT_EQ(finished.load(), started.load());
}
