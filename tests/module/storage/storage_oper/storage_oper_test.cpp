// SPDX-License-Identifier: GPL-3.0-or-later
// The storage layer over generated media of both families.
#include <QLoggingCategory>
#include <gtest/gtest.h>

#include <QtGlobal>

#include <algorithm>
#include <thread>

#include "storage_oper_fixture.h"

using namespace storage_test;

namespace {

// Captures the storage layer's log lines.
std::mutex g_logMutex;
std::vector<std::string> g_log;
void CaptureLog(QtMsgType, const QMessageLogContext&, const QString& msg) {
    std::lock_guard<std::mutex> g(g_logMutex);
    g_log.push_back(msg.toStdString());
}
int CountLog(const std::string& part) {
    std::lock_guard<std::mutex> g(g_logMutex);
    return static_cast<int>(std::count_if(g_log.begin(), g_log.end(),
                                          [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

class StorageOperTest : public ::testing::Test {
protected:
    void SetUp() override {
        {
            std::lock_guard<std::mutex> g(g_logMutex);
            g_log.clear();
        }
        m_oldHandler = qInstallMessageHandler(CaptureLog);
        // The storage lines are debug lines, off by default.
        QLoggingCategory::setFilterRules(QStringLiteral("kel.storage.debug=true"));
    }
    void TearDown() override {
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(m_oldHandler);
    }

    // A medium of the family, judged (unless `judge` is false).
    Medium* Make(int family, int channels, int perDay, int seconds, bool judge = true) {
        Medium* m = media.Add(family, channels, perDay, seconds);
        if (m && judge) QorAutoStorage::GetInstance()->JudgeDiskTypes({m->root});
        return m;
    }
    // The record of a medium's only recording (one channel, one a day).
    std::shared_ptr<APT_QMR::CSingleFile> OnlyRecording(StorageOper& oper, const Medium& m) {
        std::vector<FoundDataRecord> found = SearchDay(oper, m.root, m.info.firstDay);
        EXPECT_EQ(found.size(), 1u);
        return found.size() == 1 ? FileOf(found[0], m.root) : nullptr;
    }
    const recmedia::PlannedRecording* FindPlanned(const Medium& m, int channel, time_t start) {
        for (const auto& r : m.info.recordings) {
            if (r.channel == channel && r.start == static_cast<uint32_t>(start)) return &r;
        }
        return nullptr;
    }

    MediaSet media;
    QtMessageHandler m_oldHandler = nullptr;
};

TEST_F(StorageOperTest, JudgesDriveRootsByLibraryAndLongerPathsAsOther) {
    Medium* q = Make(1, 1, 1, 10, false);
    Medium* o = Make(2, 1, 1, 10, false);
    ASSERT_TRUE(q && o);
    QorAutoStorage* reg = QorAutoStorage::GetInstance();
    const std::string drive = "\\\\.\\PHYSICALDRIVE1";
    reg->JudgeDiskTypes({q->root, o->root, q->folder, drive});
    EXPECT_EQ(reg->GetQorvaneDiskType(q->root), 1);
    EXPECT_EQ(reg->GetQorvaneDiskType(o->root), 2);
    EXPECT_EQ(reg->GetQorvaneDiskType(q->folder), 2);  // a qorauto medium named by its folder is not asked
    EXPECT_EQ(reg->GetQorvaneDiskType(drive), 2);
    EXPECT_GE(reg->GetQorAutoDiskType(q->root), 0);
    EXPECT_EQ(reg->GetQorAutoDiskType(o->root), -1);
    EXPECT_EQ(CountLog("storage_type_judge enter"), 4);
    EXPECT_EQ(CountLog("add qorauto path:" + q->root), 1);

    // A new judgement rebuilds the type map; the media map keeps its disks.
    reg->JudgeDiskTypes({o->root, "Z:\\"});
    std::map<std::string, int> types, mediaNumbers;
    reg->GetDiskMaps(&types, &mediaNumbers);
    EXPECT_EQ(types, (std::map<std::string, int>{{o->root, 2}}));  // Z: does not resolve: skipped
    EXPECT_EQ(mediaNumbers.count(q->root), 1u);
    EXPECT_EQ(CountLog("storage_type_judge return type invalid:-1, path:Z:\\"), 1);
    EXPECT_EQ(reg->GetQorvaneDiskType(q->root), 2);
    EXPECT_EQ(CountLog("GetQorvaneDiskType disk not exist, path:" + q->root), 1);
}

TEST_F(StorageOperTest, SearchListsEveryRecordingOfTheDay) {
    for (int family : {1, 2}) {
        SCOPED_TRACE(family);
        Medium* m = Make(family, 3, 4, 30);
        ASSERT_TRUE(m);
        StorageOper oper;
        std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
        ASSERT_EQ(found.size(), m->info.recordings.size());
        ASSERT_EQ(found.size(), 12u);
        for (const FoundDataRecord& r : found) {
            const time_t start = ToTime(r.start);
            const recmedia::PlannedRecording* p = FindPlanned(*m, static_cast<int>(r.channel), start);
            ASSERT_NE(p, nullptr) << r.fileName;
            EXPECT_EQ(ToTime(r.end), static_cast<time_t>(p->end));
            EXPECT_EQ(r.fileSize, p->size);
            EXPECT_GT(strnlen(r.fileName, sizeof(r.fileName)), 0u);
            EXPECT_LT(strnlen(r.fileName, sizeof(r.fileName)), sizeof(r.fileName));
            if (family == 1) {
                // Normal records are reported as 15, alarm records keep their type 2.
                EXPECT_EQ(r.fileType, p->fileType == HD_FILE_TYPE_ALARM ? 2u : 15u);
                EXPECT_EQ(r.recordType, 0u);
            }
        }
        // A day without recordings lists nothing and still ends.
        EXPECT_TRUE(SearchDay(oper, m->root, m->info.firstDay + 86400 * 3).empty());
    }
}

TEST_F(StorageOperTest, StreamsWholeFileByName) {
    for (int family : {1, 2}) {
        SCOPED_TRACE(family);
        Medium* m = Make(family, 2, 2, 120);
        ASSERT_TRUE(m);
        StorageOper oper;
        std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
        ASSERT_FALSE(found.empty());
        const FoundDataRecord& r = found.back();
        const recmedia::PlannedRecording* p = FindPlanned(*m, static_cast<int>(r.channel), ToTime(r.start));
        ASSERT_NE(p, nullptr);
        const QByteArray bytes = FileBytes(*m, p->relPath);
        ASSERT_GT(bytes.size(), 40 + 8192);

        StreamSink sink;
        const int handle = oper.StartStreamByFileName(FileOf(r, m->root), &StreamSink::OnData, &sink);
        ASSERT_NE(handle, -1);
        EXPECT_EQ(oper.GetDiskType(), family);
        if (family == 1) {
            EXPECT_EQ(WaitForReadEnd(oper), StorageOper::kPosEnd);
        } else {
            ASSERT_TRUE(sink.WaitEnded());
            EXPECT_EQ(oper.GetPos(), StorageOper::kPosEnd);
        }
        oper.StopStream();
        EXPECT_EQ(oper.GetHandle(), -1);
        EXPECT_EQ(sink.headerCalls, 1);
        EXPECT_EQ(sink.header, Bytes(bytes, 0, 40));
        EXPECT_TRUE(sink.data == Bytes(bytes, 40, bytes.size())) << sink.data.size() << " of " << bytes.size() - 40;
    }
}

TEST_F(StorageOperTest, QorAutoByTimeSeekKeepsTheSpanEnd) {
    Medium* m = Make(1, 1, 1, 600);
    ASSERT_TRUE(m);
    StorageOper oper;
    std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
    ASSERT_EQ(found.size(), 1u);
    auto file = FileOf(found[0], m->root);
    const uint32_t base = file->SearchStartTime;
    file->StartTime = base + 60;
    file->EndTime = base + 400;

    // Where the span and the seek target lie, asked of the library directly.
    const int ref = storage_record_open(found[0].fileName);
    ASSERT_GT(ref, 0);
    uint32_t spanStart = 0, spanEndOffset = 0, seekOffset = 0;
    ASSERT_EQ(storage_record_seek_by_time(ref, 60, &spanStart), 0);
    ASSERT_EQ(storage_record_seek_by_time(ref, 401, &spanEndOffset), 0);   // the span holds its end second
    ASSERT_EQ(storage_record_seek_by_time(ref, 300, &seekOffset), 0);
    storage_record_close(ref);
    const uint32_t spanEnd = spanEndOffset;
    ASSERT_GT(seekOffset, spanStart + 8192);
    ASSERT_GT(spanEnd, seekOffset + 8192);

    StreamSink sink;
    sink.gate = true;
    ASSERT_NE(oper.StartStreamByTime(file, &StreamSink::OnData, &sink), -1);
    ASSERT_TRUE(sink.WaitInGate());
    RbsDateTime to;
    TimeToDateTime(to, base + 300, false);
    bool moved = false;
    EXPECT_TRUE(oper.SetPosTime(&to, &moved));
    EXPECT_TRUE(moved);
    sink.Release();
    EXPECT_EQ(WaitForReadEnd(oper), StorageOper::kPosEnd);
    oper.StopStream();

    const QByteArray bytes = FileBytes(*m, m->info.recordings[0].relPath);
    // The first block came from the span's start; after the seek the stream
    // runs from the new position up to the span's end, not beyond.
    std::vector<unsigned char> expected = Bytes(bytes, 40 + spanStart, 40 + spanStart + 8192);
    const std::vector<unsigned char> rest = Bytes(bytes, 40 + seekOffset, 40 + spanEnd);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(sink.dataBeforeRelease, 8192u);
    EXPECT_TRUE(sink.data == expected) << sink.data.size() << " bytes, expected " << expected.size();
}

TEST_F(StorageOperTest, QorAutoByTimeWithoutBytesFailsWithoutData) {
    Medium* m = Make(1, 1, 1, 60);
    ASSERT_TRUE(m);
    StorageOper oper;
    std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
    ASSERT_EQ(found.size(), 1u);
    auto file = FileOf(found[0], m->root);
    file->StartTime = file->EndTime + 10;  // a span after the recording's end
    file->EndTime = file->StartTime;
    StreamSink sink;
    ASSERT_NE(oper.StartStreamByTime(file, &StreamSink::OnData, &sink), -1);
    EXPECT_EQ(WaitForReadEnd(oper), StorageOper::kPosFailed);
    oper.StopStream();
    EXPECT_EQ(sink.headerCalls, 1);
    EXPECT_EQ(sink.dataCalls, 0);
    EXPECT_EQ(CountLog("need read len is invalid"), 1);
}

TEST_F(StorageOperTest, QorAutoSeekAtOrBeforeStartDoesNotMove) {
    Medium* m = Make(1, 1, 1, 300);
    ASSERT_TRUE(m);
    StorageOper oper;
    RbsDateTime t;
    TimeToDateTime(t, m->info.firstDay, false);
    bool moved = true;
    EXPECT_FALSE(oper.SetPosTime(&t, &moved));  // nothing open

    std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
    ASSERT_EQ(found.size(), 1u);
    auto file = FileOf(found[0], m->root);
    StreamSink sink;
    sink.gate = true;
    ASSERT_NE(oper.StartStreamByFileName(file, &StreamSink::OnData, &sink), -1);
    ASSERT_TRUE(sink.WaitInGate());
    for (uint32_t when : {file->SearchStartTime, file->SearchStartTime - 10}) {
        TimeToDateTime(t, when, false);
        moved = true;
        EXPECT_TRUE(oper.SetPosTime(&t, &moved));
        EXPECT_FALSE(moved);
    }
    EXPECT_EQ(CountLog("storage_record_seek_by_time enter"), 0);
    sink.Release();
    EXPECT_EQ(WaitForReadEnd(oper), StorageOper::kPosEnd);
    oper.StopStream();
    const QByteArray bytes = FileBytes(*m, m->info.recordings[0].relPath);
    EXPECT_EQ(sink.data.size(), static_cast<size_t>(bytes.size() - 40));
}

// A stream opened held delivers no data until released: moved meanwhile,
// its data are the recording from the new position to the end and nothing
// of its start; stopped while held, it delivers none.
TEST_F(StorageOperTest, HeldStreamByNameStartsWhereItWasMoved) {
    for (int family : {1, 2}) {
        SCOPED_TRACE(family);
        Medium* m = Make(family, 1, 1, 300);
        ASSERT_TRUE(m);
        StorageOper oper;
        auto file = OnlyRecording(oper, *m);
        ASSERT_TRUE(file);
        const QByteArray bytes = FileBytes(*m, m->info.recordings[0].relPath);

        StreamSink sink;
        ASSERT_NE(oper.StartStreamByFileName(file, &StreamSink::OnData, &sink, true), -1);
        RbsDateTime to;
        TimeToDateTime(to, file->StartTime + 200, false);
        bool moved = false;
        EXPECT_TRUE(oper.SetPosTime(&to, &moved));
        EXPECT_TRUE(moved);
        oper.ReleaseStream();
        if (family == 1) {
            EXPECT_EQ(WaitForReadEnd(oper), StorageOper::kPosEnd);
        } else {
            ASSERT_TRUE(sink.WaitEnded());
        }
        oper.StopStream();
        EXPECT_EQ(sink.headerCalls, 1);
        EXPECT_EQ(sink.header, Bytes(bytes, 0, 40));
        ASSERT_GT(sink.data.size(), 0u);
        EXPECT_LT(sink.data.size(), static_cast<size_t>(bytes.size()) / 2);
        EXPECT_TRUE(sink.data == Bytes(bytes, bytes.size() - static_cast<int>(sink.data.size()), bytes.size()));

        StreamSink idle;
        ASSERT_NE(oper.StartStreamByFileName(file, &StreamSink::OnData, &idle, true), -1);
        oper.StopStream();
        EXPECT_EQ(oper.GetHandle(), -1);
        EXPECT_EQ(idle.dataCalls, 0);
    }
}

TEST_F(StorageOperTest, OtherDiskByTimeWithSeek) {
    Medium* m = Make(2, 1, 1, 300);
    ASSERT_TRUE(m);
    StorageOper oper;
    std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
    ASSERT_EQ(found.size(), 1u);
    auto file = FileOf(found[0], m->root);
    file->StartTime += 30;
    file->EndTime -= 30;
    StreamSink sink;
    sink.gate = true;
    ASSERT_NE(oper.StartStreamByTime(file, &StreamSink::OnData, &sink), -1);
    ASSERT_TRUE(sink.WaitInGate());
    RbsDateTime to;
    TimeToDateTime(to, file->StartTime + 200, false);
    bool moved = false;
    EXPECT_TRUE(oper.SetPosTime(&to, &moved));
    EXPECT_TRUE(moved);
    sink.Release();
    ASSERT_TRUE(sink.WaitEnded());
    EXPECT_EQ(oper.GetPos(), StorageOper::kPosEnd);
    oper.StopStream();
    EXPECT_EQ(sink.headerCalls, 1);
    // The seek skipped most of the span.
    const QByteArray bytes = FileBytes(*m, m->info.recordings[0].relPath);
    EXPECT_LT(sink.data.size(), static_cast<size_t>(bytes.size()) / 2);
}

TEST_F(StorageOperTest, NeverJudgedDiskStreamsThroughHardDiskLibrary) {
    Medium* m = Make(2, 1, 1, 60, false);
    ASSERT_TRUE(m);
    StorageOper oper;
    std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(CountLog("GetQorvaneDiskType disk not exist, path:" + m->root), 1);
    StreamSink sink;
    ASSERT_NE(oper.StartStreamByFileName(FileOf(found[0], m->root), &StreamSink::OnData, &sink), -1);
    EXPECT_EQ(oper.GetDiskType(), 2);
    EXPECT_EQ(CountLog("GetQorvaneDiskType disk not exist, path:" + m->root), 2);
    ASSERT_TRUE(sink.WaitEnded());
    oper.StopStream();
    EXPECT_EQ(sink.headerCalls, 1);
}

TEST_F(StorageOperTest, NoCallbackAfterStopOfRunningStream) {
    for (int family : {1, 2}) {
        SCOPED_TRACE(family);
        Medium* m = Make(family, 1, 1, 600);
        ASSERT_TRUE(m);
        StorageOper oper;
        auto file = OnlyRecording(oper, *m);
        ASSERT_TRUE(file);
        StreamSink sink;
        sink.gate = true;
        ASSERT_NE(oper.StartStreamByFileName(file, &StreamSink::OnData, &sink), -1);
        ASSERT_TRUE(sink.WaitInGate());
        std::thread stopper([&] {
            oper.StopStream();
            sink.closed = true;
        });
        sink.Release();
        stopper.join();
        EXPECT_EQ(oper.GetHandle(), -1);
        const size_t atStop = sink.DataSize();
        EXPECT_EQ(sink.callsAfterClose.load(), 0);
        EXPECT_EQ(sink.DataSize(), atStop);
        if (family == 1 && atStop < static_cast<size_t>(file->FileSize) - 40) {
            EXPECT_EQ(oper.GetPos(), StorageOper::kPosFailed);
        }
    }
}

TEST_F(StorageOperTest, StartingAgainStopsTheOldReadTask) {
    Medium* m = Make(1, 2, 1, 600);
    ASSERT_TRUE(m);
    StorageOper oper;
    std::vector<FoundDataRecord> found = SearchDay(oper, m->root, m->info.firstDay);
    ASSERT_EQ(found.size(), 2u);
    StreamSink first, second;
    first.gate = true;
    ASSERT_NE(oper.StartStreamByFileName(FileOf(found[0], m->root), &StreamSink::OnData, &first), -1);
    ASSERT_TRUE(first.WaitInGate());
    int handle = -1;
    std::thread starter([&] {
        handle = oper.StartStreamByFileName(FileOf(found[1], m->root), &StreamSink::OnData, &second);
        first.closed = true;
    });
    first.Release();
    starter.join();
    ASSERT_NE(handle, -1);
    EXPECT_EQ(WaitForReadEnd(oper), StorageOper::kPosEnd);
    oper.StopStream();
    EXPECT_EQ(first.callsAfterClose.load(), 0);

    // The new stream got its own file whole, with nothing taken by the old task.
    const recmedia::PlannedRecording* p = FindPlanned(*m, static_cast<int>(found[1].channel), ToTime(found[1].start));
    ASSERT_NE(p, nullptr);
    const QByteArray bytes = FileBytes(*m, p->relPath);
    EXPECT_EQ(second.header, Bytes(bytes, 0, 40));
    EXPECT_TRUE(second.data == Bytes(bytes, 40, bytes.size()));
}

// Recorder time and its clock fields convert without the machine's zone:
// also the skipped and the repeated hour of a daylight-saving change here.
TEST(TimeConversion, RoundTripsWithoutTheMachinesZone) {
    kel_test::ScopedTimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");
    const struct {
        time_t t;
        std::vector<int> fields;
    } cases[] = {
        {1719835200, {2024, 7, 1, 12, 0, 0}},
        {1711852200, {2024, 3, 31, 2, 30, 0}},    // skipped here
        {1729996200, {2024, 10, 27, 2, 30, 0}},   // repeated here
    };
    for (const auto& c : cases) {
        for (const bool utc : {false, true}) {
            RbsDateTime d;
            TimeToDateTime(d, c.t, utc);
            EXPECT_EQ((std::vector<int>{d.year, d.month, d.day, d.hour, d.minute, d.second}), c.fields) << c.t;
            EXPECT_EQ(DateTimeToTime(&d), c.t);
        }
    }
}

}  // namespace
