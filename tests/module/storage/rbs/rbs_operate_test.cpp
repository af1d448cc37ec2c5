// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/RbsOperate.h"
#include "rbs_recordings.h"

#include "kel_test/test_support.h"
#include "zun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using rbs_test::Civil;
using rbs_test::TimeText;

std::string Path(const std::string& name) { return (kel_test::ProgramFolder() + "/" + QString::fromStdString(name)).toStdString(); }

RbsDateTime Fields(uint32_t t) {
    time_t v = t;
    struct tm tmv;
    gmtime_r(&v, &tmv);
    return RbsDateTime{tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec};
}

// Collects what a stream delivers. With `gated`, every data block waits until
// the test lets it through.
struct Sink {
    std::mutex m;
    std::condition_variable cv;
    int headers = 0;
    bool headerFirst = true;
    std::vector<char> data;
    std::vector<size_t> blockStarts;   // index into data where each block began
    int blocks = 0;
    bool gated = false;
    int allowed = 0;
    int entered = 0;   // data blocks that reached the callback
    std::atomic<int> handleSeen{-2};

    static void Callback(int handle, int kind, char* buf, uint32_t len, void* user) {
        auto* s = static_cast<Sink*>(user);
        std::unique_lock<std::mutex> lock(s->m);
        s->handleSeen = handle;
        if (kind == 1) {
            if (s->blocks > 0) s->headerFirst = false;
            ++s->headers;
            EXPECT_EQ(len, 40u);
        } else {
            ++s->entered;
            s->cv.notify_all();
            if (s->gated) s->cv.wait(lock, [s] { return s->allowed > 0; });
            if (s->gated) --s->allowed;
            s->blockStarts.push_back(s->data.size());
            s->data.insert(s->data.end(), buf, buf + len);
            ++s->blocks;
        }
        s->cv.notify_all();
    }
    void Allow(int n) {
        std::lock_guard<std::mutex> lock(m);
        allowed += n;
        cv.notify_all();
    }
    bool WaitEntered(int n) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::seconds(60), [&] { return entered >= n; });
    }
    bool WaitSize(size_t n) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::seconds(60), [&] { return data.size() >= n; });
    }
    bool WaitBlocks(int n) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, std::chrono::seconds(60), [&] { return blocks >= n; });
    }
};

// Waits for the stream's progress to read 100.
bool WaitDone(RbsOperate& op, int handle) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
        if (op.RBS_GetPos(handle) == 100) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

class RbsOperateTest : public ::testing::Test {
protected:
    void SetUp() override {
        start = Civil(2024, 3, 1, 8, 0, 0);
        end = start + 6;
        name = TimeText(start) + "_" + TimeText(end) + "_ch01.mp4";
        path = Path(name);
        ASSERT_TRUE(rbs_test::WriteRecording(path, start, 6, 5, 3000));
        bytes = rbs_test::ReadAll(path);
        ASSERT_GT(bytes.size(), 40u);
    }
    std::vector<char> Slice(int64_t from, int64_t to) const {
        return std::vector<char>(bytes.begin() + from, bytes.begin() + to);
    }
    uint32_t start = 0, end = 0;
    std::string name, path;
    std::vector<char> bytes;
    RbsOperate op;
};

TEST_F(RbsOperateTest, ByFileDeliversHeaderThenEveryByte) {
    Sink sink;
    int h = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &sink);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(WaitDone(op, h));
    ASSERT_TRUE(op.RBS_StopStream(h));
    EXPECT_EQ(sink.headers, 1);
    EXPECT_TRUE(sink.headerFirst);
    EXPECT_EQ(sink.handleSeen.load(), h);
    EXPECT_EQ(sink.data, Slice(40, static_cast<int64_t>(bytes.size())));
    for (size_t i = 0; i + 1 < sink.blockStarts.size(); ++i) EXPECT_LE(sink.blockStarts[i + 1] - sink.blockStarts[i], 8192u);

    EXPECT_FALSE(op.RBS_StopStream(h));
    EXPECT_EQ(op.RBS_GetPos(h), 100);
    EXPECT_EQ(op.RBS_GetPos(-1), 100);
    EXPECT_EQ(op.RBS_GetStreamByFile(nullptr, 8, 0, &Sink::Callback, &sink), -1);
}

TEST_F(RbsOperateTest, UnknownHeaderIsNotForwardedButDataStreams) {
    std::vector<char> copy = bytes;
    std::memcpy(copy.data(), "XXXX", 4);
    const std::string other = Path("odd_header.mp4");
    ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(other), QByteArray(copy.data(), static_cast<int>(copy.size()))));
    Sink sink;
    int h = op.RBS_GetStreamByFile(other.c_str(), 8, 0, &Sink::Callback, &sink);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(WaitDone(op, h));
    op.RBS_StopStream(h);
    EXPECT_EQ(sink.headers, 0);
    EXPECT_EQ(sink.data, Slice(40, static_cast<int64_t>(bytes.size())));
}

// The time search lands on the first packet of the second, for every second.
TEST_F(RbsOperateTest, FindOffsetByTimeLandsOnPacketStarts) {
    for (uint32_t t = start; t < end; ++t) {
        SCOPED_TRACE(t - start);
        int64_t off = RbsOperate::FindOffsetByTime(path.c_str(), Fields(t));
        EXPECT_EQ(off, recstream::FindOffsetForTime(path, t));
        ASSERT_GT(off, 39);
        EXPECT_EQ(recstream::FindPackStart(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                           static_cast<size_t>(off)),
                  static_cast<size_t>(off));
    }
    EXPECT_EQ(RbsOperate::FindOffsetByTime(path.c_str(), Fields(end + 5)), -1);
    EXPECT_EQ(RbsOperate::FindOffsetByTime(path.c_str(), Fields(start - 1)), -1);
    EXPECT_EQ(RbsOperate::FindOffsetByTime(Path("missing.mp4").c_str(), Fields(start)), -1);
}

// A recording of a few MiB: packets straddle the 1 MiB read blocks of the search.
TEST(RbsOperateLarge, FindOffsetAcrossReadBlocks) {
    const uint32_t start = Civil(2024, 3, 1, 9, 0, 0);
    const std::string path = Path("large.mp4");
    ASSERT_TRUE(rbs_test::WriteRecording(path, start, 12, 25, 12345));
    for (uint32_t t = start; t < start + 12; t += 1) {
        SCOPED_TRACE(t - start);
        EXPECT_EQ(RbsOperate::FindOffsetByTime(path.c_str(), Fields(t)), recstream::FindOffsetForTime(path, t));
    }
}

TEST_F(RbsOperateTest, ByTimeSpans) {
    const int64_t size = static_cast<int64_t>(bytes.size());
    auto off = [&](uint32_t t) { return recstream::FindOffsetForTime(path, t); };
    struct Case {
        const char* what;
        uint32_t from, to;
        int64_t expectFrom, expectTo;
    };
    const Case cases[] = {
        {"the file's own span", start, end, 40, size},
        // A span holds every packet of its end second.
        {"inside the file", start + 2, start + 4, off(start + 2), off(start + 5)},
        {"start only", start + 3, end, off(start + 3), size},
        {"end only", start, start + 1, 40, off(start + 2)},
        {"start outside the file", start - 100, start + 2, 40, off(start + 3)},
        {"end before start", start + 4, start + 2, 0, 0},
        {"one second", start + 3, start + 3, off(start + 3), off(start + 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sink sink;
        RbsDateTime a = Fields(c.from), b = Fields(c.to);
        int h = op.RBS_GetStreamByTime(path.c_str(), &a, &b, 8, &Sink::Callback, &sink);
        ASSERT_GE(h, 0);
        ASSERT_TRUE(WaitDone(op, h));
        ASSERT_TRUE(op.RBS_StopStream(h));
        EXPECT_EQ(sink.headers, 1);
        EXPECT_EQ(sink.data, Slice(c.expectFrom, c.expectTo));
    }
}

TEST_F(RbsOperateTest, SeekByTimeMovesTheReader) {
    Sink sink;
    sink.gated = true;
    int h = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &sink);
    ASSERT_GE(h, 0);
    sink.Allow(1);
    ASSERT_TRUE(sink.WaitBlocks(1));
    // Progress is counted once the block's callback has returned.
    int mid = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (mid == 0 && std::chrono::steady_clock::now() < until) {
        mid = op.RBS_GetPos(h);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(mid, 0);
    EXPECT_LT(mid, 100);

    const int64_t target = recstream::FindOffsetForTime(path, start + 4);
    RbsDateTime t = Fields(start + 4);
    // The reader waits inside the callback; the request is stored once that
    // block is through, so the move runs on a thread of its own. The hook
    // marks the switch: everything after it is the file from the packet of
    // that second.
    struct Mark {
        Sink* sink;
        size_t at = 0;
        int calls = 0;
        static void Hook(void* p) {
            auto* m = static_cast<Mark*>(p);
            std::lock_guard<std::mutex> lock(m->sink->m);
            m->at = m->sink->data.size();
            ++m->calls;
        }
    } mark{&sink};
    std::atomic<bool> moved{false};
    std::thread mover([&] { moved = op.RBS_SetPosByTime(h, &t, &Mark::Hook, &mark); });
    sink.Allow(1000000);
    mover.join();
    ASSERT_TRUE(moved.load());
    EXPECT_EQ(mark.calls, 1);
    std::vector<char> tail = Slice(target, static_cast<int64_t>(bytes.size()));
    ASSERT_TRUE(sink.WaitSize(mark.at + tail.size()));
    ASSERT_TRUE(WaitDone(op, h));
    {
        std::lock_guard<std::mutex> lock(sink.m);
        EXPECT_EQ(std::vector<char>(sink.data.begin() + static_cast<long>(mark.at), sink.data.end()), tail);
    }

    // A second not in the file is refused; so is an unknown handle.
    RbsDateTime late = Fields(end + 60);
    EXPECT_FALSE(op.RBS_SetPosByTime(h, &late));
    EXPECT_FALSE(op.RBS_SetPosByTime(h + 1, &t));

    // Read to the end, the stream can still be moved back.
    RbsDateTime back = Fields(start + 1);
    ASSERT_TRUE(op.RBS_SetPosByTime(h, &back, &Mark::Hook, &mark));
    EXPECT_EQ(mark.calls, 2);
    std::vector<char> expected = Slice(recstream::FindOffsetForTime(path, start + 1), static_cast<int64_t>(bytes.size()));
    ASSERT_TRUE(sink.WaitSize(mark.at + expected.size()));
    ASSERT_TRUE(WaitDone(op, h));
    {
        std::lock_guard<std::mutex> lock(sink.m);
        EXPECT_EQ(std::vector<char>(sink.data.begin() + static_cast<long>(mark.at), sink.data.end()), expected);
    }
    EXPECT_TRUE(op.RBS_StopStream(h));
}

// A held stream delivers its header and then nothing until released: moved
// meanwhile, its data are the file from the packet of the asked second, with
// nothing of the start before; stopped while held, it delivers none.
TEST_F(RbsOperateTest, HeldStreamStartsWhereItWasMoved) {
    Sink sink;
    int h = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &sink, true);
    ASSERT_GE(h, 0);
    RbsDateTime t = Fields(start + 4);
    ASSERT_TRUE(op.RBS_SetPosByTime(h, &t));
    ASSERT_TRUE(op.RBS_ReleaseStream(h));
    ASSERT_TRUE(WaitDone(op, h));
    ASSERT_TRUE(op.RBS_StopStream(h));
    EXPECT_EQ(sink.headers, 1);
    EXPECT_TRUE(sink.headerFirst);
    EXPECT_EQ(sink.data, Slice(recstream::FindOffsetForTime(path, start + 4), static_cast<int64_t>(bytes.size())));
    EXPECT_FALSE(op.RBS_ReleaseStream(h));

    Sink idle;
    h = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &idle, true);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(op.RBS_StopStream(h));
    EXPECT_EQ(idle.blocks, 0);
}

// A stop waits for the block in the callback; no callback comes after it, and
// other streams stay usable while it waits.
TEST_F(RbsOperateTest, StopWhileReading) {
    Sink blocked;
    blocked.gated = true;
    int a = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &blocked);
    ASSERT_GE(a, 0);
    Sink other;
    int b = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &other);
    ASSERT_GE(b, 0);
    ASSERT_TRUE(blocked.WaitEntered(1));

    std::atomic<bool> stopped{false};
    int runningAtReturn = -1;
    std::thread stopper([&] {
        EXPECT_TRUE(op.RBS_StopStream(a));
        {
            std::lock_guard<std::mutex> lock(blocked.m);
            runningAtReturn = blocked.entered - blocked.blocks;
        }
        stopped = true;
    });
    // The stop is under way once the stream refuses other calls; it waits
    // for the block in the callback.
    auto waitStopping = [&] {
        for (int i = 0; i < 60000; ++i) {
            if (!op.RBS_ReleaseStream(a)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    ASSERT_TRUE(waitStopping());
    EXPECT_FALSE(stopped.load());
    // The table is not held by the waiting stop.
    EXPECT_GE(op.RBS_GetPos(b), 0);
    Sink third;
    int c = op.RBS_GetStreamByFile(path.c_str(), 8, 0, &Sink::Callback, &third);
    EXPECT_GE(c, 0);
    EXPECT_NE(c, a);

    blocked.Allow(1);
    stopper.join();
    EXPECT_TRUE(stopped.load());
    EXPECT_EQ(runningAtReturn, 0);   // the block in the callback was through before the stop returned
    int blocksAtStop = blocked.blocks;
    EXPECT_LE(blocksAtStop, 1);
    EXPECT_LT(blocked.data.size(), bytes.size() - 40);
    EXPECT_FALSE(op.RBS_StopStream(a));
    EXPECT_TRUE(op.RBS_StopStream(b));
    if (c >= 0) {
        EXPECT_TRUE(op.RBS_StopStream(c));
    }
    EXPECT_EQ(blocked.blocks, blocksAtStop);
}

TEST_F(RbsOperateTest, FullTableRefusesAndFreedHandleIsReused) {
    std::vector<int> handles;
    Sink sink;
    for (int i = 0; i < RbsOperate::kMaxStreams; ++i) {
        int h = op.RBS_GetStreamByFile(path.c_str(), 64, 0, &Sink::Callback, &sink);
        ASSERT_EQ(h, i);
        handles.push_back(h);
    }
    EXPECT_EQ(op.RBS_GetStreamByFile(path.c_str(), 64, 0, &Sink::Callback, &sink), -1);
    ASSERT_TRUE(op.RBS_StopStream(37));
    EXPECT_EQ(op.RBS_GetStreamByFile(path.c_str(), 64, 0, &Sink::Callback, &sink), 37);
    for (int h : handles) EXPECT_TRUE(op.RBS_StopStream(h));
}

// Start offsets beyond 4 GiB: a sparse file with the header at the front and
// the packs far behind it.
TEST(RbsOperateHuge, StartOffsetBeyondFourGiB) {
    const std::string src = Path("small.mp4");
    ASSERT_TRUE(rbs_test::WriteRecording(src, Civil(2024, 3, 1, 10, 0, 0), 1, 5, 2000));
    std::vector<char> bytes = rbs_test::ReadAll(src);
    const std::string path = Path("huge.mp4");
    const int64_t far = (int64_t(1) << 32) + 4096;
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, 40, f), 40u);
    if (fseeko(f, far, SEEK_SET) != 0) {
        std::fclose(f);
        GTEST_SKIP() << "no large files here";
    }
    ASSERT_EQ(std::fwrite(bytes.data() + 40, 1, bytes.size() - 40, f), bytes.size() - 40);
    std::fclose(f);

    RbsOperate op;
    Sink sink;
    int h = op.RBS_GetStreamByFile(path.c_str(), 8, static_cast<uint64_t>(far), &Sink::Callback, &sink);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(WaitDone(op, h));
    op.RBS_StopStream(h);
    std::remove(path.c_str());
    EXPECT_EQ(sink.headers, 1);
    EXPECT_EQ(sink.data, std::vector<char>(bytes.begin() + 40, bytes.end()));
}

}  // namespace
