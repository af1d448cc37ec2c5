// SPDX-License-Identifier: GPL-3.0-or-later
#include "Playback/StreamSource.h"
#include "module/storage/rbs/rbs_recordings.h"

#include "kel_test/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using rbs_test::Civil;
using rbs_test::TimeText;

// Collects a source's output. Data that follow a header belong to that
// header's stream (told apart by the header's start time).
struct Sink {
    std::mutex m;
    std::condition_variable cv;
    struct Stream {
        uint32_t startTime = 0;
        std::vector<char> data;
    };
    std::vector<Stream> streams;
    std::vector<char> orphan;   // data before any header
    int slowMs = 0;             // delay per data block while only one stream was seen

    static void Callback(int, int kind, unsigned char* buf, int len, void* user) {
        auto* s = static_cast<Sink*>(user);
        if (!buf || len <= 0) return;   // end-of-stream marker of the storage route
        int delay = 0;
        {
            std::lock_guard<std::mutex> lock(s->m);
            if (kind == 1) {
                EXPECT_EQ(len, 40);
                recstream::StreamHeader h;
                EXPECT_TRUE(recstream::ParseHeader(buf, 40, &h));
                Stream st;
                st.startTime = h.startTime;
                s->streams.push_back(st);
            } else if (s->streams.empty()) {
                s->orphan.insert(s->orphan.end(), buf, buf + len);
            } else {
                s->streams.back().data.insert(s->streams.back().data.end(), buf, buf + len);
                if (s->streams.size() == 1) delay = s->slowMs;
            }
            s->cv.notify_all();
        }
        if (delay) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    bool WaitData(size_t stream, size_t bytes) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::seconds(60),
                           [&] { return streams.size() > stream && streams[stream].data.size() >= bytes; });
    }
};

struct Recording {
    std::string path;
    uint32_t start = 0;
    uint32_t end = 0;
    std::vector<char> bytes;
};

std::string Folder() { return kel_test::ProgramFolder().toStdString() + "/local"; }

Recording Make(uint32_t start, uint32_t seconds, size_t frameBytes = 3000) {
    Recording r;
    r.start = start;
    r.end = start + seconds;
    r.path = Folder() + "/ch01_" + TimeText(r.start) + "_" + TimeText(r.end) + ".mp4";
    kel_test::WriteFile(QString::fromStdString(Folder() + "/.keep"), QByteArray());
    EXPECT_TRUE(rbs_test::WriteRecording(r.path, start, seconds, 5, frameBytes));
    r.bytes = rbs_test::ReadAll(r.path);
    return r;
}

std::shared_ptr<APT_QMR::CSingleFile> FileOf(const Recording& r) {
    return std::make_shared<APT_QMR::CSingleFile>(r.path, Folder(), static_cast<uint32_t>(r.bytes.size()), r.start,
                                                  r.end, 0, "DVR", 1);
}

bool WaitPos(CStreamSource& src, int value) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
        if (src.GetPos() == value) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

std::vector<char> Tail(const Recording& r, int64_t from) { return std::vector<char>(r.bytes.begin() + from, r.bytes.end()); }

TEST(StreamSource, NothingOpen) {
    CStreamSource src;
    src.StopStream();
    EXPECT_EQ(src.GetPos(), 0);
    bool reset = false;
    EXPECT_FALSE(src.SetPosByTime(RbsDateTime{2024, 3, 1, 8, 0, 0}, &reset));
    EXPECT_TRUE(reset);
    std::shared_ptr<APT_QMR::CSingleFile> none;
    EXPECT_FALSE(src.StartStreamByFile(none));
}

// Either route delivers the header once, then the whole file.
TEST(StreamSource, ByFileThroughEitherRoute) {
    Recording r = Make(Civil(2024, 3, 1, 8, 0, 0), 4);
    for (bool rbs : {false, true}) {
        SCOPED_TRACE(rbs ? "direct reader" : "storage layer");
        Sink sink;
        CStreamSource src;
        src.SetCallback(&Sink::Callback, &sink);
        src.SetDiskKind(rbs);
        auto file = FileOf(r);
        ASSERT_TRUE(src.StartStreamByFile(file));
        ASSERT_TRUE(sink.WaitData(0, r.bytes.size() - 40));
        ASSERT_TRUE(WaitPos(src, StorageOper::kPosEnd));
        src.StopStream();
        EXPECT_EQ(src.GetPos(), 0);
        ASSERT_EQ(sink.streams.size(), 1u);
        EXPECT_TRUE(sink.orphan.empty());
        EXPECT_EQ(sink.streams[0].startTime, r.start);
        EXPECT_EQ(sink.streams[0].data, Tail(r, 40));
    }
}

// The direct reader cuts a local recording to the span of the record; the
// record names the folder as its disk.
TEST(StreamSource, ByTimeOnTheDirectRoute) {
    Recording r = Make(Civil(2024, 3, 1, 9, 0, 0), 6);
    Sink sink;
    CStreamSource src;
    src.SetCallback(&Sink::Callback, &sink);
    src.SetDiskKind(true);
    auto file = FileOf(r);
    file->StartTime = r.start + 2;
    file->EndTime = r.start + 4;
    ASSERT_TRUE(src.StartStreamByTime(file));
    ASSERT_TRUE(WaitPos(src, StorageOper::kPosEnd));
    src.StopStream();
    // The span holds its end second.
    int64_t from = recstream::FindOffsetForTime(r.path, r.start + 2);
    int64_t to = recstream::FindOffsetForTime(r.path, r.start + 5);
    ASSERT_EQ(sink.streams.size(), 1u);
    EXPECT_EQ(sink.streams[0].data, std::vector<char>(r.bytes.begin() + from, r.bytes.begin() + to));
}

// The direct reader streams recorder files only. A converted .mp4 (which
// the player library reads itself), a damaged file or none at all would
// never bring a stream header: no stream is opened, so nobody waits for one.
TEST(StreamSource, DirectRouteOpensNothingButRecorderFiles) {
    const Recording r = Make(Civil(2024, 3, 1, 9, 0, 0), 2);
    QByteArray mp4("\0\0\0\x18" "ftypmp42\0\0\0\0mp42isom", 24);
    mp4 += QByteArray(4000, '\x11');
    QByteArray damaged(r.bytes.data(), static_cast<int>(r.bytes.size()));
    damaged[0] = 'X';
    const struct {
        const char* name;
        QByteArray bytes;   // null: no file
    } cases[] = {
        {"converted.mp4", mp4},
        {"damaged.mp4", damaged},
        {"short.mp4", QByteArray(r.bytes.data(), 39)},
        {"missing.mp4", QByteArray()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Folder() + "/" + c.name;
        if (!c.bytes.isNull()) ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(path), c.bytes));
        Sink sink;
        CStreamSource src;
        src.SetCallback(&Sink::Callback, &sink);
        src.SetDiskKind(true);
        auto file = FileOf(r);
        file->FileName = path;
        EXPECT_FALSE(src.StartStreamByFile(file));
        EXPECT_FALSE(src.IsOpen());
        EXPECT_FALSE(src.StartStreamByTime(file));
        EXPECT_FALSE(src.IsOpen());
        EXPECT_EQ(src.GetPos(), 0);
        src.StopStream();
        EXPECT_TRUE(sink.streams.empty());
        EXPECT_TRUE(sink.orphan.empty());
    }
}

TEST(StreamSource, SeekOnTheDirectRoute) {
    Recording r = Make(Civil(2024, 3, 1, 10, 0, 0), 6);
    Sink sink;
    CStreamSource src;
    src.SetCallback(&Sink::Callback, &sink);
    src.SetDiskKind(true);
    auto file = FileOf(r);
    ASSERT_TRUE(src.StartStreamByFile(file));
    ASSERT_TRUE(WaitPos(src, StorageOper::kPosEnd));
    size_t before = sink.streams[0].data.size();
    bool reset = false;
    ASSERT_TRUE(src.SetPosByTime(RbsDateTime{2024, 3, 1, 10, 0, 3}, &reset));
    EXPECT_TRUE(reset);
    std::vector<char> expected = Tail(r, recstream::FindOffsetForTime(r.path, r.start + 3));
    ASSERT_TRUE(sink.WaitData(0, before + expected.size()));
    {
        std::lock_guard<std::mutex> lock(sink.m);
        EXPECT_EQ(std::vector<char>(sink.streams[0].data.begin() + static_cast<long>(before), sink.streams[0].data.end()),
                  expected);
    }
    EXPECT_FALSE(src.SetPosByTime(RbsDateTime{2024, 3, 1, 11, 0, 0}, &reset));
    src.StopStream();
}

// A new start after the route flag changed stops the old stream through the
// route that opened it: nothing of the old stream reaches the callback after
// the new one began.
TEST(StreamSource, RouteSwitchLeavesNoOldStream) {
    Recording slow = Make(Civil(2024, 3, 1, 11, 0, 0), 40, 4000);
    Recording fresh = Make(Civil(2024, 3, 1, 12, 0, 0), 3);
    for (bool firstRbs : {false, true}) {
        SCOPED_TRACE(firstRbs ? "direct reader first" : "storage layer first");
        Sink sink;
        sink.slowMs = 3;
        CStreamSource src;
        src.SetCallback(&Sink::Callback, &sink);
        src.SetDiskKind(firstRbs);
        auto a = FileOf(slow);
        ASSERT_TRUE(src.StartStreamByFile(a));
        ASSERT_TRUE(sink.WaitData(0, 1));

        src.SetDiskKind(!firstRbs);
        auto b = FileOf(fresh);
        ASSERT_TRUE(src.StartStreamByFile(b));
        size_t oldBytes = 0;
        {
            std::lock_guard<std::mutex> lock(sink.m);
            oldBytes = sink.streams[0].data.size();
        }
        ASSERT_TRUE(sink.WaitData(1, fresh.bytes.size() - 40));
        ASSERT_TRUE(WaitPos(src, StorageOper::kPosEnd));
        // The old stream was stopped before the new one began: the bytes it
        // had delivered then are all it ever delivers (a stray block would
        // also land behind the new stream's header, whose bytes are checked
        // whole below). StopStream ends what runs, so nothing can come later.
        src.StopStream();
        std::lock_guard<std::mutex> lock(sink.m);
        ASSERT_EQ(sink.streams.size(), 2u);
        EXPECT_EQ(sink.streams[0].startTime, slow.start);
        EXPECT_EQ(sink.streams[0].data.size(), oldBytes);
        EXPECT_LT(oldBytes, slow.bytes.size() - 40);
        EXPECT_EQ(sink.streams[1].startTime, fresh.start);
        EXPECT_EQ(sink.streams[1].data, Tail(fresh, 40));
    }
}

}  // namespace
