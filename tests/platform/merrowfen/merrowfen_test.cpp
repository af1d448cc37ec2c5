// SPDX-License-Identifier: GPL-3.0-or-later
// Round trips through the sample-media writer and the hard-disk file library.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>

#include "kel_test/test_support.h"
#include "merrowfen.h"
#include "recmedia/disk_writer.h"
#include "recmedia/media_plan.h"
#include "recstream/recstream.h"
#include "wincompat/drives.h"

namespace {

using namespace std::chrono_literals;

std::string Root() { return kel_test::ProgramFolder().toStdString() + "/medium"; }

std::vector<uint8_t> Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

recmedia::MediumInfo MakeMedium(recmedia::MediaSpec spec = {}) {
    if (spec.outDir.empty()) spec.outDir = Root();
    spec.fast = true;
    recmedia::MediumInfo info;
    std::string error;
    EXPECT_TRUE(recmedia::WriteMedium(spec, &info, &error)) << error;
    return info;
}

// Collects the found-file callbacks of one HD_FILE_FindData.
struct FoundCollector {
    std::mutex m;
    std::condition_variable cv;
    std::vector<FoundDataRecord> records;
    bool ended = false;
    int endCalls = 0;
    std::thread::id thread;

    static void Callback(int, const FoundDataRecord* r, void* user) {
        auto* self = static_cast<FoundCollector*>(user);
        std::lock_guard<std::mutex> lock(self->m);
        self->thread = std::this_thread::get_id();
        if (r->endOfSearch) {
            self->ended = true;
            ++self->endCalls;
        } else {
            self->records.push_back(*r);
        }
        self->cv.notify_all();
    }
    bool Wait() {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, 30s, [&] { return ended; });
    }
};

std::vector<FoundDataRecord> FindAll(const std::string& disk, int64_t start, int64_t end, int channel = -1,
                                     bool* ok = nullptr) {
    FoundCollector c;
    FindDataCondition cond{};
    cond.diskPath = disk.c_str();
    cond.channel = channel;
    cond.start = recmedia::ToHdTime(start);
    cond.end = recmedia::ToHdTime(end);
    cond.callback = &FoundCollector::Callback;
    cond.user = &c;
    const int h = HD_FILE_FindData(0, &cond, sizeof cond);
    if (ok) *ok = h >= 0;
    if (h < 0) return {};
    EXPECT_TRUE(c.Wait());
    EXPECT_EQ(HD_FILE_FindDataClose(h), 1);
    EXPECT_EQ(c.endCalls, 1);
    EXPECT_NE(c.thread, std::this_thread::get_id());
    return c.records;
}

// Collects the callbacks of one stream. With `holdAt` set, that call (the
// first is 1) waits inside the callback until Release(); with `pauseAt`, that
// call pauses its own stream before it returns. A call that comes while
// `mayDeliver` is false counts as early.
struct StreamCollector {
    struct Block {
        int type;
        std::vector<uint8_t> bytes;
    };
    std::mutex m;
    std::condition_variable cv;
    std::vector<Block> blocks;
    bool ended = false;
    std::atomic<int> calls{0};
    std::atomic<int> inside{0};     // calls running now
    std::atomic<int> returned{0};   // calls that have returned
    int holdAt = 0;
    bool held = false;
    bool released = false;
    int pauseAt = 0;
    std::atomic<bool> mayDeliver{true};
    std::atomic<int> early{0};

    static void Callback(int handle, int type, unsigned char* data, int length, void* user) {
        auto* self = static_cast<StreamCollector*>(user);
        ++self->inside;
        const int call = ++self->calls;
        if (!self->mayDeliver) ++self->early;
        {
            std::unique_lock<std::mutex> lock(self->m);
            if (type == HD_DATA_STREAM && !data && length == -1)
                self->ended = true;
            else
                self->blocks.push_back(Block{type, std::vector<uint8_t>(data, data + length)});
            if (call == self->holdAt) {
                self->held = true;
                self->cv.notify_all();
                self->cv.wait(lock, [&] { return self->released; });
            }
            self->cv.notify_all();
        }
        if (call == self->pauseAt) EXPECT_EQ(HD_FILE_GetStreamPause(handle, 1), 1);
        --self->inside;
        ++self->returned;
        std::lock_guard<std::mutex> lock(self->m);
        self->cv.notify_all();
    }
    bool WaitHeld() {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, 30s, [&] { return held; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m);
        released = true;
        cv.notify_all();
    }
    bool WaitReturned(int n) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, 30s, [&] { return returned >= n; });
    }
    // The data blocks (after the header) joined.
    std::vector<uint8_t> Data() {
        std::lock_guard<std::mutex> lock(m);
        std::vector<uint8_t> out;
        for (const Block& b : blocks)
            if (b.type == HD_DATA_STREAM) out.insert(out.end(), b.bytes.begin(), b.bytes.end());
        return out;
    }
    bool WaitEnd() {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, 30s, [&] { return ended; });
    }
    bool WaitBlocks(size_t n) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, 30s, [&] { return blocks.size() >= n; });
    }
};

// Pack times of stream data that follows a header.
std::vector<uint32_t> PackTimes(const recstream::StreamHeader& h, const std::vector<uint8_t>& data) {
    recstream::PacketScanner scanner(h.startTime, false);
    scanner.Feed(data.data(), data.size());
    scanner.Finish();
    std::vector<uint32_t> times;
    recstream::Packet p;
    while (scanner.Next(&p))
        if (p.kind == recstream::kPacketPack) times.push_back(p.time);
    return times;
}

TEST(Merrowfen, FindsOneDayByChannelInStartOrder) {
    recmedia::MediaSpec spec;
    spec.channels = 3;
    spec.days = 2;
    spec.perDay = 3;
    spec.seconds = 10;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const int64_t day2 = info.firstDay + 86400;

    const std::vector<FoundDataRecord> all = FindAll(Root(), day2, day2 + 86399);
    ASSERT_EQ(all.size(), 9u);
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_LE(recmedia::FromHdTime(all[i - 1].start), recmedia::FromHdTime(all[i].start));
    for (const FoundDataRecord& r : all) {
        EXPECT_GE(recmedia::FromHdTime(r.start), day2);
        EXPECT_EQ(recmedia::FromHdTime(r.end) - recmedia::FromHdTime(r.start), 9);
        EXPECT_GT(r.fileSize, 40u);
    }

    const std::vector<FoundDataRecord> ch2 = FindAll(Root(), day2, day2 + 86399, 2);
    ASSERT_EQ(ch2.size(), 3u);
    for (const FoundDataRecord& r : ch2) EXPECT_EQ(r.channel, 2u);

    // A span inside one recording finds just it.
    const uint32_t s = info.recordings[0].start;
    const std::vector<FoundDataRecord> one = FindAll(Root(), s + 3, s + 4, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(recmedia::FromHdTime(one[0].start), s);
    // An empty day still ends the search.
    EXPECT_TRUE(FindAll(Root(), info.firstDay + 5 * 86400, info.firstDay + 6 * 86400 - 1).empty());
}

TEST(Merrowfen, FindsRecordingThatStartedTheDayBefore) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 120;
    spec.firstSecond = 86400 - 60;  // 23:59:00 to 00:00:59
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::vector<FoundDataRecord> found = FindAll(Root(), info.firstDay + 86400, info.firstDay + 2 * 86400 - 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(recmedia::FromHdTime(found[0].start), info.recordings[0].start);
}

TEST(Merrowfen, LetterAndPhysicalDrivePathsThroughTheDriveTable) {
    recmedia::MediaSpec spec;
    spec.channels = 2;
    spec.perDay = 2;
    spec.seconds = 5;
    spec.driveTable = kel_test::ProgramFolder().toStdString() + "/drives.txt";
    spec.letter = 'F';
    spec.physicalDrive = 3;
    const recmedia::MediumInfo info = MakeMedium(spec);
    kel_test::ScopedEnv env("KEL_DRIVES", spec.driveTable);
    wincompat::ReloadDriveTable();
    for (const std::string& disk : std::vector<std::string>{"F:\\", "F:", "\\\\.\\PHYSICALDRIVE3", Root()}) {
        const std::vector<FoundDataRecord> found = FindAll(disk, info.firstDay, info.firstDay + 86399);
        ASSERT_EQ(found.size(), 4u) << disk;
        // The names open as they are.
        StreamCollector c;
        const int h = HD_FILE_GetStreamByFile(found[0].fileName, HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c);
        ASSERT_GE(h, 0) << found[0].fileName;
        EXPECT_TRUE(c.WaitEnd());
        EXPECT_EQ(HD_FILE_Stop(h), 1);
    }
    EXPECT_EQ(std::string(FindAll("F:\\", info.firstDay, info.firstDay + 86399)[0].fileName).rfind("F:\\record\\", 0), 0u);
    bool ok = true;
    FindAll("G:\\", info.firstDay, info.firstDay + 86399, -1, &ok);  // a letter the table lacks
    EXPECT_FALSE(ok);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_DIR);
    EXPECT_EQ(HD_GetDiskVersion("F:"), 1);
    EXPECT_EQ(HD_GetDiskVersion("G:"), -1);
    kel_test::ScopedEnv none("KEL_DRIVES", "");
    wincompat::ReloadDriveTable();
}

TEST(Merrowfen, PullListingGivesTimeTexts) {
    recmedia::MediaSpec spec;
    spec.channels = 2;
    spec.perDay = 2;
    spec.seconds = 30;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const HD_FILE_TIME s = recmedia::ToHdTime(info.firstDay), e = recmedia::ToHdTime(info.firstDay + 86399);
    const int h = HD_FILE_FindFile(Root().c_str(), 2, HD_FILE_TYPE_ALL, &s, &e);
    ASSERT_GE(h, 0);
    HD_FIND_FILE_RECORD r;
    std::vector<HD_FIND_FILE_RECORD> got;
    while (HD_FILE_FindNextFile(h, &r)) got.push_back(r);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_NO_FILE);
    EXPECT_EQ(HD_FILE_FindClose(h), 1);
    ASSERT_EQ(got.size(), 2u);
    const auto* bytes = reinterpret_cast<const char*>(&got[1]);
    EXPECT_EQ(std::string(bytes + 100), recmedia::Text14(info.firstDay + 8 * 3600 + 30));
    EXPECT_EQ(std::string(bytes + 116), recmedia::Text14(info.firstDay + 8 * 3600 + 59));
    EXPECT_EQ(HD_FILE_FindNextFile(h, &r), 0);  // closed
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_ORDER);
}

TEST(Merrowfen, StreamByFileDeliversHeaderDataThenEnd) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 40;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::string path = Root() + "/" + info.recordings[0].relPath;
    const std::vector<uint8_t> file = Slurp(path);

    StreamCollector c;
    const int h = HD_FILE_GetStreamByFile(path.c_str(), HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(c.WaitEnd());
    EXPECT_EQ(HD_FILE_GetPos(h), HD_POS_END);
    uint32_t pos = 0, len = 0;
    EXPECT_EQ(HD_FILE_GetFileLength(h, &pos, &len), 0);
    EXPECT_EQ(pos, len);
    EXPECT_EQ(len, file.size() - 40);
    EXPECT_EQ(HD_FILE_GetTotalTime(h), 40);
    EXPECT_EQ(HD_FILE_Stop(h), 1);
    EXPECT_EQ(HD_FILE_GetPos(h), HD_POS_ERROR);  // the handle is gone

    ASSERT_GE(c.blocks.size(), 2u);
    EXPECT_EQ(c.blocks[0].type, HD_DATA_HEADER);
    ASSERT_EQ(c.blocks[0].bytes.size(), 40u);
    EXPECT_TRUE(std::equal(c.blocks[0].bytes.begin(), c.blocks[0].bytes.end(), file.begin()));
    std::vector<uint8_t> data;
    for (size_t i = 1; i < c.blocks.size(); ++i) {
        EXPECT_EQ(c.blocks[i].type, HD_DATA_STREAM);
        EXPECT_LE(c.blocks[i].bytes.size(), 8192u);
        data.insert(data.end(), c.blocks[i].bytes.begin(), c.blocks[i].bytes.end());
    }
    EXPECT_TRUE(data == std::vector<uint8_t>(file.begin() + 40, file.end()));
}

TEST(Merrowfen, StreamByTimeSpansFilesAndCutsAtTheSpan) {
    recmedia::MediaSpec spec;
    spec.channels = 2;
    spec.perDay = 3;
    spec.seconds = 20;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const uint32_t t0 = info.firstDay + 8 * 3600;  // channel 2: [t0, t0+19], [t0+20, t0+39], [t0+40, t0+59]
    const HD_FILE_TIME s = recmedia::ToHdTime(t0 + 12), e = recmedia::ToHdTime(t0 + 27);
    const std::string root = Root();
    const char* paths[8] = {root.c_str(), nullptr};
    StreamCollector c;
    const int h = HD_FILE_GetStreamByTime(paths, &s, &e, 2, HD_MODE_COPY, &StreamCollector::Callback, &c);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(c.WaitEnd());
    EXPECT_EQ(HD_FILE_GetPos(h), HD_POS_END);
    HD_FILE_TIME rs{}, re{};
    EXPECT_EQ(HD_FILE_GetPlayTimeRange(h, &rs, &re), 0);
    EXPECT_EQ(recmedia::FromHdTime(rs), t0 + 12);
    EXPECT_EQ(recmedia::FromHdTime(re), t0 + 27);
    EXPECT_EQ(HD_FILE_Stop(h), 1);

    // Two files: header, data, header, data.
    std::vector<recstream::StreamHeader> headers;
    std::vector<std::vector<uint8_t>> data;
    for (const auto& b : c.blocks) {
        if (b.type == HD_DATA_HEADER) {
            recstream::StreamHeader hd;
            ASSERT_TRUE(recstream::ParseHeader(b.bytes.data(), b.bytes.size(), &hd));
            headers.push_back(hd);
            data.emplace_back();
        } else {
            ASSERT_FALSE(data.empty()) << "data before the first header";
            data.back().insert(data.back().end(), b.bytes.begin(), b.bytes.end());
        }
    }
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0].channel, 2);
    const std::vector<uint32_t> first = PackTimes(headers[0], data[0]);
    const std::vector<uint32_t> second = PackTimes(headers[1], data[1]);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(first.front(), t0 + 12);
    EXPECT_EQ(first.back(), t0 + 19);
    EXPECT_EQ(second.front(), t0 + 20);
    EXPECT_EQ(second.back(), t0 + 27);

    // No recording in the span.
    const HD_FILE_TIME ns = recmedia::ToHdTime(t0 - 100), ne = recmedia::ToHdTime(t0 - 50);
    EXPECT_LT(HD_FILE_GetStreamByTime(paths, &ns, &ne, 2, HD_MODE_COPY, &StreamCollector::Callback, &c), 0);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_NO_FILE);
}

TEST(Merrowfen, SeekByTimeLandsOnThatSecondsFirstPack) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 30;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::string path = Root() + "/" + info.recordings[0].relPath;
    const uint32_t t0 = info.recordings[0].start;

    // Without a callback nothing is delivered, so the seek comes first.
    StreamCollector c;
    const int h = HD_FILE_GetStreamByFile(path.c_str(), HD_MODE_PLAY, 0, nullptr, &c);
    ASSERT_GE(h, 0);
    EXPECT_EQ(HD_FILE_GetPos(h), 0);
    const HD_FILE_TIME at = recmedia::ToHdTime(t0 + 17);
    EXPECT_EQ(HD_FILE_SetPosByTime(h, &at), 1);
    const HD_FILE_TIME outside = recmedia::ToHdTime(t0 + 300);
    EXPECT_EQ(HD_FILE_SetPosByTime(h, &outside), 0);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_SEEK);
    EXPECT_EQ(HD_FILE_SetGetStreamCallBack(h, &StreamCollector::Callback), 1);
    ASSERT_TRUE(c.WaitEnd());
    std::vector<uint8_t> data;
    ASSERT_EQ(c.blocks.at(0).type, HD_DATA_HEADER);
    for (size_t i = 1; i < c.blocks.size(); ++i) data.insert(data.end(), c.blocks[i].bytes.begin(), c.blocks[i].bytes.end());
    recstream::StreamHeader hd;
    ASSERT_TRUE(recstream::ParseHeader(c.blocks[0].bytes.data(), 40, &hd));
    const std::vector<uint32_t> times = PackTimes(hd, data);
    ASSERT_FALSE(times.empty());
    EXPECT_EQ(times.front(), t0 + 17);
    EXPECT_EQ(times.back(), t0 + 29);
    // The data starts exactly on a pack start.
    EXPECT_EQ(recstream::FindPackStart(data.data(), data.size()), 0u);

    // After the end a seek back delivers again.
    const size_t before = c.blocks.size();
    {
        std::lock_guard<std::mutex> lock(c.m);
        c.ended = false;
    }
    const HD_FILE_TIME back = recmedia::ToHdTime(t0 + 28);
    EXPECT_EQ(HD_FILE_SetPosByTime(h, &back), 1);
    ASSERT_TRUE(c.WaitEnd());
    EXPECT_GT(c.blocks.size(), before);
    EXPECT_EQ(HD_FILE_GetPos(h), HD_POS_END);
    EXPECT_EQ(HD_FILE_Stop(h), 1);
}

TEST(Merrowfen, ReversePlayDeliversKeyFrameGroupsNewestFirst) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 10;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::string path = Root() + "/" + info.recordings[0].relPath;
    const uint32_t t0 = info.recordings[0].start;
    StreamCollector c;
    const int h = HD_FILE_GetStreamByFile(path.c_str(), HD_MODE_PLAY, 0, nullptr, &c);
    ASSERT_GE(h, 0);
    const HD_FILE_TIME t = recmedia::ToHdTime(t0 + 5);
    ASSERT_EQ(HD_FILE_SetStreamReversePlay(h, 1, t.year, t.month, t.day, t.hour, t.minute, t.second, 1), 1);
    HD_FILE_SetGetStreamCallBack(h, &StreamCollector::Callback);
    ASSERT_TRUE(c.WaitEnd());
    HD_FILE_Stop(h);
    std::vector<uint8_t> data;
    for (size_t i = 1; i < c.blocks.size(); ++i) data.insert(data.end(), c.blocks[i].bytes.begin(), c.blocks[i].bytes.end());
    recstream::StreamHeader hd;
    ASSERT_TRUE(recstream::ParseHeader(c.blocks.at(0).bytes.data(), 40, &hd));
    const std::vector<uint32_t> times = PackTimes(hd, data);
    // One key frame a second: the groups of t0+5, t0+4, ... t0, two packs each.
    std::vector<uint32_t> expected;
    for (int s = 5; s >= 0; --s) expected.insert(expected.end(), 2, t0 + uint32_t(s));
    EXPECT_EQ(times, expected);
}

// Threads of this process (the stream threads among them).
int ThreadCount() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
    return -1;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WaitUntil(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(Merrowfen, StopReturnsOnlyWhenNoCallbackCanFollow) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 60;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::string path = Root() + "/" + info.recordings[0].relPath;
    StreamCollector c;
    c.holdAt = 3;   // the header and one block are through; the next one waits in the callback
    const int h = HD_FILE_GetStreamByFile(path.c_str(), HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c);
    ASSERT_GE(h, 0);
    ASSERT_TRUE(c.WaitHeld());

    std::atomic<bool> stopped{false};
    int insideAtReturn = -1, callsAtReturn = -1;
    std::thread stopper([&] {
        EXPECT_EQ(HD_FILE_Stop(h), 1);
        insideAtReturn = c.inside;
        callsAtReturn = c.calls;
        stopped = true;
    });
    // The stop is under way once the handle has left the table; it waits for
    // the callback still running.
    ASSERT_TRUE(WaitUntil([&] { return HD_FILE_GetPos(h) == HD_POS_ERROR; }));
    EXPECT_FALSE(stopped);
    c.Release();
    stopper.join();
    EXPECT_EQ(insideAtReturn, 0);
    EXPECT_EQ(callsAtReturn, 3);   // the held block was the last one
    EXPECT_EQ(c.calls, 3);
    EXPECT_FALSE(c.ended);
    EXPECT_EQ(HD_FILE_Stop(h), 0);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_ORDER);
}

TEST(Merrowfen, PauseHoldsDeliveryAndStopFromTheCallbackWorks) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 1;
    spec.seconds = 60;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::string path = Root() + "/" + info.recordings[0].relPath;
    const std::vector<uint8_t> file = ReadAll(path);
    ASSERT_GT(file.size(), 40u);

    // Paused before a callback is there: setting one delivers nothing until
    // the stream resumes. Paused from its own callback: nothing follows that
    // call until the stream resumes. Nothing is lost or repeated either way.
    StreamCollector c;
    c.holdAt = 4;
    c.pauseAt = 4;
    const int h = HD_FILE_GetStreamByFile(path.c_str(), HD_MODE_ENGINE, 0, nullptr, &c);
    ASSERT_GE(h, 0);
    EXPECT_EQ(HD_FILE_GetStreamPause(h, 1), 1);
    c.mayDeliver = false;
    EXPECT_EQ(HD_FILE_SetGetStreamCallBack(h, &StreamCollector::Callback), 1);
    c.mayDeliver = true;
    EXPECT_EQ(HD_FILE_GetStreamPause(h, 0), 1);
    ASSERT_TRUE(c.WaitHeld());
    c.mayDeliver = false;   // the held call pauses the stream before it returns
    c.Release();
    ASSERT_TRUE(c.WaitReturned(4));
    EXPECT_EQ(c.calls, 4);
    c.mayDeliver = true;
    EXPECT_EQ(HD_FILE_GetStreamPause(h, 0), 1);
    EXPECT_TRUE(c.WaitEnd());
    EXPECT_EQ(c.early, 0);
    EXPECT_EQ(c.Data(), std::vector<uint8_t>(file.begin() + 40, file.end()));
    EXPECT_EQ(HD_FILE_Stop(h), 1);

    // A callback that stops its own stream ends it without a deadlock; its
    // thread ends after that callback, which is the last one.
    struct SelfStop {
        std::atomic<int> handle{-1};
        std::atomic<int> calls{0};
        std::atomic<int> stopResult{-1};
        static void Callback(int handle, int, unsigned char*, int, void* user) {
            auto* self = static_cast<SelfStop*>(user);
            if (++self->calls == 3) self->stopResult = HD_FILE_Stop(handle);
        }
    } self;
    const int threads = ThreadCount();
    ASSERT_GT(threads, 0);
    const int h2 = HD_FILE_GetStreamByFile(path.c_str(), HD_MODE_ENGINE, 0, nullptr, &self);
    ASSERT_GE(h2, 0);
    HD_FILE_SetGetStreamCallBack(h2, &SelfStop::Callback);
    ASSERT_TRUE(WaitUntil([&] { return self.stopResult != -1; }));
    EXPECT_EQ(self.stopResult, 1);
    ASSERT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));   // the stream's thread has ended
    EXPECT_EQ(self.calls, 3);
}

TEST(Merrowfen, LogsFoundByTimeAndType) {
    recmedia::MediaSpec spec;
    spec.channels = 2;
    spec.days = 2;
    const recmedia::MediumInfo info = MakeMedium(spec);
    ASSERT_FALSE(info.logs.empty());
    const int64_t s = info.firstDay + 86400, e = info.firstDay + 2 * 86400 - 1;
    const HD_FILE_TIME hs = recmedia::ToHdTime(s), he = recmedia::ToHdTime(e);
    size_t expected = 0;
    for (const HD_LOG_RECORD& r : info.logs) {
        const std::string t(r.time);
        if (r.majorType == 3 && t >= recmedia::Text14(s) && t <= recmedia::Text14(e)) ++expected;
    }
    ASSERT_GT(expected, 0u);
    const int h = HD_FILE_FindLog(Root().c_str(), HD_LOG_KIND_FILTER, 3, 0, &hs, &he);
    ASSERT_GE(h, 0);
    HD_LOG_RECORD r;
    size_t n = 0;
    std::string last;
    while (HD_FILE_FindNextLog(h, &r)) {
        ++n;
        EXPECT_EQ(r.majorType, 3u);
        EXPECT_GE(std::string(r.time), last);
        last = r.time;
    }
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_NO_MORE_LOG);
    EXPECT_EQ(n, expected);
    EXPECT_EQ(HD_FILE_FindLogClose(h), 1);

    const int all = HD_FILE_FindLog(Root().c_str(), HD_LOG_KIND_ALL, 0, 0, nullptr, nullptr);
    ASSERT_GE(all, 0);
    n = 0;
    while (HD_FILE_FindNextLog(all, &r)) ++n;
    EXPECT_EQ(n, info.logs.size());
    HD_FILE_FindLogClose(all);
}

TEST(Merrowfen, EventRecordsFoundByChannelAndTime) {
    recmedia::MediaSpec spec;
    spec.channels = 3;
    spec.perDay = 6;
    spec.seconds = 30;
    const recmedia::MediumInfo info = MakeMedium(spec);
    struct Collector {
        std::mutex m;
        std::condition_variable cv;
        std::vector<std::pair<ExtraInfoRecord, std::vector<uint8_t>>> records;
        bool ended = false;
        static void Callback(int, int type, const ExtraInfoRecord* r, void* user) {
            auto* self = static_cast<Collector*>(user);
            std::lock_guard<std::mutex> lock(self->m);
            if (type == HD_EXTRA_END) self->ended = true;
            else self->records.emplace_back(*r, std::vector<uint8_t>(r->data, r->data + r->dataLength));
            self->cv.notify_all();
        }
    } c;
    ExtraInfoCondition cond{};
    std::strncpy(cond.diskPaths[0], Root().c_str(), HD_EXTRA_PATH_SIZE - 1);
    std::strncpy(cond.diskPaths[1], "/nonexistent/disk", HD_EXTRA_PATH_SIZE - 1);
    cond.diskCount = 2;
    cond.channel = 2;
    cond.start = recmedia::ToHdTime(info.firstDay);
    cond.end = recmedia::ToHdTime(info.firstDay + 86399);
    cond.user = &c;
    cond.callback = &Collector::Callback;
    const int h = HD_FILE_StartFindExtraInfo(&cond);
    ASSERT_GE(h, 0);
    {
        std::unique_lock<std::mutex> lock(c.m);
        ASSERT_TRUE(c.cv.wait_for(lock, 30s, [&] { return c.ended; }));
    }
    EXPECT_EQ(HD_FILE_StopFindExtraInfo(h), 1);
    size_t expected = 0;
    for (const auto& e : info.events) expected += e.channel == 2;
    ASSERT_GT(expected, 0u);
    EXPECT_EQ(c.records.size(), expected);
    for (const auto& rec : c.records) {
        EXPECT_EQ(rec.first.minorType, HD_EXTRA_MINOR_NORMAL);
        uint32_t start = 0, end = 0;
        std::memcpy(&start, rec.second.data(), 4);
        std::memcpy(&end, rec.second.data() + 4, 4);
        EXPECT_LE(start, end);
        if (rec.first.majorType == HD_EXTRA_MAJOR_DRIVER_BEHAVIOR) EXPECT_EQ(rec.second.size(), 40u);
        else EXPECT_EQ(rec.second.size(), 16u);
    }
    ExtraInfoCondition none = cond;
    none.diskCount = 0;
    EXPECT_LT(HD_FILE_StartFindExtraInfo(&none), 0);
}

// Damaged media: every case ends its search normally (or fails to start) and
// never crashes or hangs.
TEST(Merrowfen, DamagedMediaTable) {
    struct Case {
        const char* name;
        std::function<void(const std::string& root, const recmedia::MediumInfo&)> damage;
        bool starts;
        size_t found;
    };
    auto indexPath = [](const std::string& root, const recmedia::MediumInfo& info) {
        return root + "/record/" + recmedia::DayFolder(info.firstDay / 86400) + "/index.qri";
    };
    auto patchIndex = [indexPath](const std::string& root, const recmedia::MediumInfo& info, size_t offset,
                                  std::vector<uint8_t> bytes) {
        std::vector<uint8_t> idx = Slurp(indexPath(root, info));
        ASSERT_LE(offset + bytes.size(), idx.size());
        std::copy(bytes.begin(), bytes.end(), idx.begin() + long(offset));
        std::ofstream(indexPath(root, info), std::ios::binary).write(reinterpret_cast<const char*>(idx.data()), long(idx.size()));
    };
    const std::vector<Case> cases = {
        {"intact", [](const std::string&, const recmedia::MediumInfo&) {}, true, 4},
        {"no marker", [](const std::string& r, const recmedia::MediumInfo&) { std::remove((r + "/QORWS").c_str()); }, false, 0},
        {"marker is a folder", [](const std::string& r, const recmedia::MediumInfo&) {
             std::remove((r + "/QORWS").c_str());
             recmedia::MakeFolders(r + "/QORWS");
         }, false, 0},
        {"zero-byte index", [indexPath](const std::string& r, const recmedia::MediumInfo& i) {
             std::ofstream(indexPath(r, i), std::ios::trunc);
         }, true, 0},
        {"short index", [indexPath](const std::string& r, const recmedia::MediumInfo& i) {
             std::vector<uint8_t> b = Slurp(indexPath(r, i));
             std::ofstream(indexPath(r, i), std::ios::binary).write(reinterpret_cast<const char*>(b.data()), long(b.size() - 10));
         }, true, 0},
        {"wrong magic", [patchIndex](const std::string& r, const recmedia::MediumInfo& i) { patchIndex(r, i, 0, {'X'}); }, true, 0},
        {"huge count", [patchIndex](const std::string& r, const recmedia::MediumInfo& i) { patchIndex(r, i, 8, {0xff, 0xff, 0xff, 0x7f}); }, true, 0},
        {"corrupt entry", [patchIndex](const std::string& r, const recmedia::MediumInfo& i) { patchIndex(r, i, 40, {0x55}); }, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string root = kel_test::ProgramFolder().toStdString() + "/" + std::to_string(&c - cases.data());
        recmedia::MediaSpec spec;
        spec.outDir = root;
        spec.channels = 2;
        spec.perDay = 2;
        spec.seconds = 5;
        const recmedia::MediumInfo info = MakeMedium(spec);
        c.damage(root, info);
        bool ok = false;
        const std::vector<FoundDataRecord> found = FindAll(root, info.firstDay, info.firstDay + 86399, -1, &ok);
        EXPECT_EQ(ok, c.starts);
        EXPECT_EQ(found.size(), c.found);
    }
}

TEST(Merrowfen, IndexEntriesThatCannotBeTrustedAreSkipped) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 0;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const int64_t day = info.firstDay / 86400;
    auto entry = [&](uint32_t start, uint32_t end, const char* name) {
        merrowfen_disk::DayIndexEntry e{};
        e.start = start;
        e.end = end;
        e.size = 1000;
        e.channel = 1;
        e.fileType = HD_FILE_TYPE_NORMAL;
        std::strncpy(e.name, name, sizeof e.name - 1);
        return e;
    };
    const uint32_t t = info.firstDay + 3600;
    std::string error;
    ASSERT_TRUE(recmedia::WriteDayIndex(Root(), day,
                                        {entry(t, t + 9, "good.qrv"), entry(t + 20, t + 10, "backwards.qrv"),
                                         entry(t + 30, t + 40, "../escape.qrv"), entry(t + 50, t + 60, ""),
                                         entry(t + 86400 * 2, t + 86400 * 2 + 5, "other-day.qrv")},
                                        &error))
        << error;
    const std::vector<FoundDataRecord> found = FindAll(Root(), info.firstDay, info.firstDay + 3 * 86400);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(std::string(found[0].fileName).find("good.qrv"), std::string::npos);
}

TEST(Merrowfen, DamagedRecordingsDoNotOpenOrEndEarly) {
    recmedia::MediaSpec spec;
    spec.channels = 1;
    spec.perDay = 3;
    spec.seconds = 20;
    const recmedia::MediumInfo info = MakeMedium(spec);
    const std::string a = Root() + "/" + info.recordings[0].relPath;
    const std::string b = Root() + "/" + info.recordings[1].relPath;
    const std::string c3 = Root() + "/" + info.recordings[2].relPath;
    std::ofstream(a, std::ios::trunc);  // zero bytes
    std::vector<uint8_t> bytes = Slurp(b);
    std::ofstream(b, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size() / 2));
    bytes = Slurp(c3);
    bytes[0] = 'X';  // wrong magic
    std::ofstream(c3, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));

    StreamCollector c;
    EXPECT_LT(HD_FILE_GetStreamByFile(a.c_str(), HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c), 0);
    EXPECT_LT(HD_FILE_GetStreamByFile(c3.c_str(), HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c), 0);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_STREAM_HEADER);
    EXPECT_LT(HD_FILE_GetStreamByFile((Root() + "/missing.qrv").c_str(), HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c), 0);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_OPEN_FILE);
    const int h = HD_FILE_GetStreamByFile(b.c_str(), HD_MODE_ENGINE, 0, &StreamCollector::Callback, &c);
    ASSERT_GE(h, 0);
    EXPECT_TRUE(c.WaitEnd());
    EXPECT_EQ(HD_FILE_GetPos(h), HD_POS_END);
    HD_FILE_Stop(h);

    // By time over all three: only the cut-short one is streamed.
    const std::string root = Root();
    const char* paths[] = {root.c_str(), nullptr};
    const HD_FILE_TIME s = recmedia::ToHdTime(info.recordings[0].start), e = recmedia::ToHdTime(info.recordings[2].end);
    StreamCollector c2;
    const int h2 = HD_FILE_GetStreamByTime(paths, &s, &e, 1, HD_MODE_ENGINE, &StreamCollector::Callback, &c2);
    ASSERT_GE(h2, 0);
    EXPECT_TRUE(c2.WaitEnd());
    size_t headers = 0;
    for (const auto& blk : c2.blocks) headers += blk.type == HD_DATA_HEADER;
    EXPECT_EQ(headers, 1u);
    HD_FILE_Stop(h2);
}

TEST(Merrowfen, BadArgumentsAreRefused) {
    FindDataCondition cond{};
    EXPECT_LT(HD_FILE_FindData(0, nullptr, sizeof cond), 0);
    EXPECT_EQ(HD_FILE_GetLastError(), HD_ERR_PARAM);
    cond.diskPath = "/tmp";
    cond.callback = &FoundCollector::Callback;
    cond.start = HD_FILE_TIME{2024, 13, 1, 0, 0, 0};
    cond.end = HD_FILE_TIME{2024, 3, 1, 0, 0, 0};
    EXPECT_LT(HD_FILE_FindData(0, &cond, sizeof cond), 0);
    cond.start = HD_FILE_TIME{2024, 3, 2, 0, 0, 0};
    EXPECT_LT(HD_FILE_FindData(0, &cond, sizeof cond), 0);  // end before start
    EXPECT_LT(HD_FILE_FindData(0, &cond, 100), 0);
    EXPECT_EQ(HD_FILE_GetStreamPause(12345678, 1), 0);
    EXPECT_EQ(HD_FILE_GetPos(12345678), HD_POS_ERROR);
    EXPECT_LT(HD_FILE_GetStreamByFile(nullptr, 8, 0, nullptr, nullptr), 0);
    EXPECT_EQ(HD_FILE_FindDataClose(-5), 0);
}

}  // namespace
