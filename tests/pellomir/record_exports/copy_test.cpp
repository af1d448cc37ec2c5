// SPDX-License-Identifier: GPL-3.0-or-later
// Copies by file and by time through the library's exports, and the feeding
// of stream blocks to the player.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <csignal>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PlayContext.h"
#include "merrowfen.h"
#include "platform/fallowin/mp4_probe.h"
#include "platform/savefile/save_calls.h"
#include "record_fixture.h"
#include "recstream/recstream.h"
#include "recstream/stream_join.h"
#include "vintrel.h"

namespace {

using namespace std::chrono_literals;

recmedia::MediaSpec CopySpec()
{
    recmedia::MediaSpec spec;
    spec.fast = true;
    spec.channels = 2;
    spec.perDay = 3;
    // Long enough that a recording comes in several blocks of a copy.
    spec.seconds = 1800;
    spec.logs = false;
    spec.events = false;
    spec.pictures = false;
    spec.vehicleFiles = false;
    return spec;
}

// What a by-time copy of [s, e] holds of one recording: its header, then
// its packs from the first at or after s to the last at or before e.
std::vector<uint8_t> SpanOf(const std::string& path, int64_t s, int64_t e)
{
    const std::vector<uint8_t> bytes = Slurp(path);
    recstream::FileInfo info;
    EXPECT_TRUE(recstream::ReadFileInfo(path, &info));
    size_t begin = recstream::kHeaderSize;
    size_t end = bytes.size();
    if (s > info.firstTime)
        begin = static_cast<size_t>(recstream::FindOffsetForTime(path, static_cast<uint32_t>(s)));
    if (e < info.lastTime)
        end = static_cast<size_t>(recstream::FindOffsetForTime(path, static_cast<uint32_t>(e + 1)));
    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + recstream::kHeaderSize);
    out.insert(out.end(), bytes.begin() + begin, bytes.begin() + end);
    return out;
}

// What a by-time copy of [s, e] over recordings one after another holds: the
// first one's span with its header, then the span of each later one without
// its header, its times moved onto the first one's clock.
std::vector<uint8_t> JoinedSpan(const std::vector<std::string>& paths, int64_t s, int64_t e)
{
    std::vector<uint8_t> out;
    recstream::StreamHeader first{};
    for (const std::string& path : paths) {
        std::vector<uint8_t> part = SpanOf(path, s, e);
        recstream::StreamHeader header{};
        EXPECT_TRUE(recstream::ParseHeader(part.data(), part.size(), &header)) << path;
        if (out.empty()) {
            first = header;
            out = part;
            continue;
        }
        recstream::StreamJoiner::ShiftTimes(part.data() + recstream::kHeaderSize, part.size() - recstream::kHeaderSize,
                                            (int64_t(header.startTime) - int64_t(first.startTime)) * recstream::kClockRate);
        out.insert(out.end(), part.begin() + recstream::kHeaderSize, part.end());
    }
    return out;
}

// Follows a copy to its end and stops it.
int32_t FinishCopy(int32_t stream)
{
    EXPECT_TRUE(WaitUntil([&] { return DVR_FILE_GetPos(stream) == 100; }));
    return DVR_FILE_Stop(stream);
}

// Every entry of a folder, hidden ones too: a copy leaves nothing behind
// but its output.
std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    const QDir::Filters filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QString& n : QDir(QString::fromStdString(folder)).entryList(filter, QDir::Name))
        names.push_back(n.toStdString());
    return names;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty())   // (an empty vector has no data pointer to hand on)
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

// Holds a copy's stream still after a chosen data block: the copy callback
// pauses the hard-disk library's stream as soon as it has dealt with that
// block, so the stream goes no further until it is stopped. Stands for a
// hard-disk library thread that is slow to come back after a block.
class HoldCopy {
public:
    // `after` data blocks; 0: the block that holds the stream's last byte.
    explicit HoldCopy(int after) : m_after(after)
    {
        s_current = this;
        pellomir::SetCopyBlockHook(&HoldCopy::OnBlock);
    }
    ~HoldCopy()
    {
        pellomir::SetCopyBlockHook(nullptr);
        s_current = nullptr;
    }
    // Waits until the stream is held; the number of data blocks copied.
    int WaitHeld()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        EXPECT_TRUE(m_changed.wait_for(lock, 60s, [&] { return m_held; })) << "held after " << m_after;
        return m_blocks;
    }

private:
    static void OnBlock(int32_t stream, int dataType, int length)
    {
        HoldCopy* self = s_current;
        if (!self || dataType != HD_DATA_STREAM || length <= 0)
            return;
        std::lock_guard<std::mutex> guard(self->m_lock);
        ++self->m_blocks;
        bool hold = self->m_blocks == self->m_after;
        if (self->m_after == 0) {
            uint32_t position = 0, total = 0;
            hold = HD_FILE_GetFileLength(stream, &position, &total) == 0 && position == total;
        }
        if (hold && !self->m_held) {
            HD_FILE_GetStreamPause(stream, 1);
            self->m_held = true;
            self->m_changed.notify_all();
        }
    }

    static HoldCopy* s_current;
    const int m_after;
    std::mutex m_lock;
    std::condition_variable m_changed;
    int m_blocks = 0;
    bool m_held = false;
};
HoldCopy* HoldCopy::s_current = nullptr;

class RecordCopy : public ::testing::Test {
protected:
    RecordMedium medium{CopySpec(), "AE"};
    std::string out = medium.NewFolder("out");
};

TEST_F(RecordCopy, ByFileGivesTheRecordingAsStored)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(2).at(1);
    const std::string target = out + "/by_file.qrv";
    const int32_t stream = DVR_FILE_CopyFile(FoundName(medium, r).c_str(), target.c_str());
    ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
    // A copy has no player.
    EXPECT_EQ(DVR_FILE_GetPlayState(stream), 0);
    EXPECT_EQ(DVR_FILE_GetVintrelPort(stream), -1);
    EXPECT_EQ(FinishCopy(stream), 1);
    const std::vector<uint8_t> copied = Slurp(target);
    EXPECT_EQ(copied.size(), r.size);
    EXPECT_TRUE(copied == Slurp(medium.PathOf(r)));
    // Gone once stopped.
    EXPECT_EQ(DVR_FILE_Stop(stream), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_ORDER);
}

// A copy reported finished is on the disk: written beside its target, the
// file is flushed before it takes the target's name, its folder after that;
// by time onto a file that is there, the file added to is flushed.
TEST_F(RecordCopy, AFinishedCopyIsOnTheDisk)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(2).at(0);
    const std::string target = out + "/durable.qrv";
    const std::string part = kel_test::ScopedSaveCalls::Resolved(target + ".part");
    const std::string saved = kel_test::ScopedSaveCalls::Resolved(target);
    {
        kel_test::ScopedSaveCalls calls;
        const int32_t stream = DVR_FILE_CopyFile(FoundName(medium, r).c_str(), target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        const int flushed = calls.Find("flush " + part);
        const int renamed = calls.Find("rename " + part + " -> " + saved);
        ASSERT_GE(flushed, 0);
        ASSERT_GE(renamed, 0);
        EXPECT_LT(flushed, renamed);
        EXPECT_GT(calls.Find("flush " + kel_test::ScopedSaveCalls::ResolvedFolder(out), renamed), renamed);
        EXPECT_TRUE(Slurp(target) == Slurp(medium.PathOf(r)));
    }
    {
        kel_test::ScopedSaveCalls calls;
        const DVR_FILE_TIME s = ToDvrTime(r.start), e = ToDvrTime(r.start + 10);
        const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 2, target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        EXPECT_GE(calls.Find("flush " + saved), 0);
    }
    // A copy whose file cannot be flushed is not finished, and takes back
    // what it wrote.
    const std::string failing = out + "/not durable.qrv";
    kel_test::ScopedSaveCalls calls;
    calls.FailFlushes(EIO);
    const int32_t stream = DVR_FILE_CopyFile(FoundName(medium, r).c_str(), failing.c_str());
    ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
    ASSERT_TRUE(WaitUntil([&] { return DVR_FILE_GetPos(stream) == 100; }));
    EXPECT_EQ(DVR_FILE_Stop(stream), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_CREATE_FILE);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(failing)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(failing + ".part")));
}

TEST_F(RecordCopy, ByTimeGivesTheSpanOfEveryRecordingItCrosses)
{
    ASSERT_TRUE(medium.ok());
    const auto ch1 = medium.OfChannel(1);
    ASSERT_GE(ch1.size(), 2u);
    ASSERT_GT(ch1[1].start, ch1[0].end);
    const int64_t inside0 = ch1[0].start + 10;

    // Inside one recording, by drive letters.
    {
        const DVR_FILE_TIME s = ToDvrTime(inside0), e = ToDvrTime(inside0 + 10);
        const std::string target = out + "/inside.qrv";
        const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        EXPECT_TRUE(Slurp(target) == SpanOf(medium.PathOf(ch1[0]), inside0, inside0 + 10));
        recstream::FileInfo info;
        ASSERT_TRUE(recstream::ReadFileInfo(target, &info));
        EXPECT_EQ(info.firstTime, inside0);
        EXPECT_EQ(info.lastTime, inside0 + 10);
        EXPECT_EQ(info.header.channel, 1);
    }
    // Across two recordings, by drive paths: one stream on the first
    // recording's clock. Drive A holds the same medium but is never read.
    {
        const int64_t from = ch1[0].end - 5, to = ch1[1].start + 5;
        const DVR_FILE_TIME s = ToDvrTime(from), e = ToDvrTime(to);
        const char* const paths[] = {"A:", "E:", nullptr};
        const std::string target = out + "/across.qrv";
        const int32_t stream = DVR_FILE_CopyFileByTimeEx(paths, &s, &e, 1, target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        EXPECT_TRUE(Slurp(target) == JoinedSpan({medium.PathOf(ch1[0]), medium.PathOf(ch1[1])}, from, to));
    }
    // The channel offset moves the channel copied.
    {
        DVR_FILE_SetChannelOffSet(1);
        const DVR_FILE_TIME s = ToDvrTime(inside0), e = ToDvrTime(inside0 + 2);
        const std::string target = out + "/offset.qrv";
        const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
        DVR_FILE_SetChannelOffSet(0);
        ASSERT_GE(stream, 0);
        EXPECT_EQ(FinishCopy(stream), 1);
        recstream::FileInfo info;
        ASSERT_TRUE(recstream::ReadFileInfo(target, &info));
        EXPECT_EQ(info.header.channel, 2);
    }
}

TEST_F(RecordCopy, FailuresCarryTheirCodes)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const std::string name = FoundName(medium, r);
    const DVR_FILE_TIME s = ToDvrTime(r.start), e = ToDvrTime(r.start + 5);
    const DVR_FILE_TIME before = ToDvrTime(medium.Info().firstDay + 60), beforeEnd = ToDvrTime(medium.Info().firstDay + 70);
    const std::string longPath = out + "/" + std::string(DVR_FILE_MAX_OUTPUT_PATH, 'x');
    const std::string fine = out + "/never.qrv";

    const struct {
        const char* what;
        std::function<int32_t()> open;
        uint32_t error;
    } cases[] = {
        {"null output", [&] { return DVR_FILE_CopyFile(name.c_str(), nullptr); }, DVR_FILE_ERR_PARAM},
        {"output too long", [&] { return DVR_FILE_CopyFile(name.c_str(), longPath.c_str()); }, DVR_FILE_ERR_PARAM},
        {"file on a drive A: that is not there", [&] { return DVR_FILE_CopyFile("A:\\record\\x.qrv", fine.c_str()); },
         DVR_FILE_ERR_HD_BASE + HD_ERR_OPEN_FILE},
        {"no such recording", [&] { return DVR_FILE_CopyFile("E:\\record\\none.qrv", fine.c_str()); },
         DVR_FILE_ERR_HD_BASE + HD_ERR_OPEN_FILE},
        {"nothing in the span", [&] { return DVR_FILE_CopyFileByTime("E", &before, &beforeEnd, 1, fine.c_str()); },
         DVR_FILE_ERR_HD_BASE + HD_ERR_NO_FILE},
        {"only drives that are not there", [&] { return DVR_FILE_CopyFileByTime("QR", &s, &e, 1, fine.c_str()); },
         DVR_FILE_ERR_HD_BASE + HD_ERR_DIR},
        {"end before start", [&] { return DVR_FILE_CopyFileByTime("E", &e, &s, 1, fine.c_str()); },
         DVR_FILE_ERR_HD_BASE + HD_ERR_PARAM},
        {"no letters", [&] { return DVR_FILE_CopyFileByTime(nullptr, &s, &e, 1, fine.c_str()); }, DVR_FILE_ERR_PARAM},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.open(), -1) << c.what;
        EXPECT_EQ(DVR_FILE_GetLastError(), c.error) << c.what;
    }
    // A copy that could not start leaves no file behind.
    EXPECT_TRUE(ListFiles(out).empty());
}

TEST_F(RecordCopy, AnOutputThatDoesNotOpenIsReportedNotHidden)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const std::string name = FoundName(medium, r);
    const DVR_FILE_TIME s = ToDvrTime(r.start), e = ToDvrTime(r.start + 5);
    // A folder in the output's place is not a file a copy may replace.
    const std::string taken = out + "/taken.qrv";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(taken)));
    const struct {
        const char* what;
        std::string target;
        std::function<int32_t(const std::string&)> open;
    } cases[] = {
        {"in a folder that is not there", out + "/missing/folder/copy.qrv",
         [&](const std::string& t) { return DVR_FILE_CopyFile(name.c_str(), t.c_str()); }},
        {"by file onto a folder", taken, [&](const std::string& t) { return DVR_FILE_CopyFile(name.c_str(), t.c_str()); }},
        {"by time onto a folder", taken,
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); }},
    };
    for (const auto& c : cases) {
        const int32_t stream = c.open(c.target);
        ASSERT_GE(stream, 0) << c.what;
        EXPECT_EQ(DVR_FILE_GetPos(stream), -1) << c.what;
        EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN) << c.what;
        EXPECT_EQ(DVR_FILE_Stop(stream), 0) << c.what;
        EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN) << c.what;
        EXPECT_EQ(DVR_FILE_GetPlayState(stream), 0) << c.what;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(cases[0].target)));
    EXPECT_EQ(Entries(out), std::vector<std::string>{"taken.qrv"});
    EXPECT_EQ(Entries(taken), std::vector<std::string>{});
}

TEST_F(RecordCopy, ByFileOntoAnExistingPathHoldsTheRecordingOnce)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const std::string target = out + "/twice.qrv";
    for (int round = 0; round < 2; ++round) {
        const int32_t stream = DVR_FILE_CopyFile(FoundName(medium, r).c_str(), target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        EXPECT_TRUE(Slurp(target) == Slurp(medium.PathOf(r))) << "round " << round;
        EXPECT_EQ(Entries(out), std::vector<std::string>{"twice.qrv"}) << "round " << round;
    }
}

// Lets the process write files up to `bytes` long (SIGXFSZ ignored, so a
// write past it fails with EFBIG); the old limit comes back at the end.
class WriteLimit {
public:
    explicit WriteLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~WriteLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

// A copy that fails (the disk is full) or is stopped before its end leaves
// the output folder as it was before the copy: a file that was there holds
// what it held, byte for byte, and nothing the copy wrote stays, not even
// under another name.
TEST_F(RecordCopy, AFailedOrStoppedCopyTakesBackWhatItWrote)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const std::string name = FoundName(medium, r);
    const std::vector<uint8_t> whole = Slurp(medium.PathOf(r));
    ASSERT_GT(whole.size(), 4u * 65536u);
    const std::vector<uint8_t> earlier(1000, 0x5A);
    const std::vector<uint8_t> empty;
    const DVR_FILE_TIME s = ToDvrTime(r.start), e = ToDvrTime(r.end);

    const struct {
        const char* what;
        const std::vector<uint8_t>* before;   // what the output holds before the copy; null: no file
        std::function<int32_t(const std::string&)> open;
    } cases[] = {
        {"by file, new output", nullptr, [&](const std::string& t) { return DVR_FILE_CopyFile(name.c_str(), t.c_str()); }},
        {"by file onto a file", &earlier, [&](const std::string& t) { return DVR_FILE_CopyFile(name.c_str(), t.c_str()); }},
        {"by time, new output", nullptr,
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); }},
        {"by time onto a file", &earlier,
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); }},
        {"by time onto an empty file", &empty,
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); }},
    };
    enum class End { DiskFull, Stopped };
    int n = 0;
    for (const auto& c : cases) {
        for (const End end : {End::DiskFull, End::Stopped}) {
            const std::string how = std::string(c.what) + (end == End::DiskFull ? ", the disk fills" : ", stopped");
            const std::string folder = medium.NewFolder("taken_back" + std::to_string(n++));
            const std::string target = folder + "/copy.qrv";
            if (c.before)
                WriteBytes(target, *c.before);
            if (end == End::DiskFull) {
                WriteLimit limit(4096 + (c.before ? c.before->size() : 0));
                const int32_t stream = c.open(target);
                ASSERT_GE(stream, 0) << how;
                ASSERT_TRUE(WaitUntil([&] { return DVR_FILE_GetPos(stream) == -1; })) << how;
                EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_CREATE_FILE) << how;
                EXPECT_EQ(DVR_FILE_Stop(stream), 0) << how;
                EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_CREATE_FILE) << how;
            } else {
                // Stopped with two blocks copied and more to come.
                HoldCopy hold(2);
                const int32_t stream = c.open(target);
                ASSERT_GE(stream, 0) << how;
                EXPECT_EQ(hold.WaitHeld(), 2) << how;
                const int32_t position = DVR_FILE_GetPos(stream);
                EXPECT_GE(position, 0) << how;
                EXPECT_LT(position, 100) << how;
                EXPECT_EQ(DVR_FILE_Stop(stream), 1) << how;
            }
            if (c.before) {
                EXPECT_EQ(Entries(folder), std::vector<std::string>{"copy.qrv"}) << how;
                EXPECT_TRUE(Slurp(target) == *c.before) << how;
            } else {
                EXPECT_EQ(Entries(folder), std::vector<std::string>{}) << how;
            }
        }
    }

    // A stop right after the start: whatever moment it hits, the output is
    // the file as it was, or it holds the whole copy.
    for (const bool byFile : {false, true}) {
        const std::string target = out + (byFile ? "/stopped_by_file.qrv" : "/stopped_by_time.qrv");
        WriteBytes(target, earlier);
        const int32_t stream =
            byFile ? DVR_FILE_CopyFile(name.c_str(), target.c_str()) : DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
        ASSERT_GE(stream, 0);
        DVR_FILE_Stop(stream);
        const std::vector<uint8_t> left = Slurp(target);
        std::vector<uint8_t> full = byFile ? std::vector<uint8_t>() : earlier;
        full.insert(full.end(), whole.begin(), whole.end());
        EXPECT_TRUE(left == earlier || left == full) << left.size() << (byFile ? " by file" : " by time");
    }
    EXPECT_EQ(Entries(out), (std::vector<std::string>{"stopped_by_file.qrv", "stopped_by_time.qrv"}));
}

// Once a copy has written its last byte it is whole, and a stop keeps it:
// the copy is held after each of its blocks in turn (after the last one
// the hard-disk library has not yet marked the stream as ended) and then
// stopped. Whenever the position read 100 the output is the whole copy; a
// copy stopped earlier leaves nothing. Then copies run free, each followed
// to 100 and stopped at once.
TEST_F(RecordCopy, AFinishedCopyIsNeverTakenBack)
{
    ASSERT_TRUE(medium.ok());
    const auto ch1 = medium.OfChannel(1);
    ASSERT_GE(ch1.size(), 2u);
    const std::string name = FoundName(medium, ch1[0]);
    const int64_t from = ch1[0].start + 600, to = ch1[1].start + 600;
    const DVR_FILE_TIME s = ToDvrTime(from), e = ToDvrTime(to);

    const struct {
        const char* what;
        std::function<int32_t(const std::string&)> open;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"by file", [&](const std::string& t) { return DVR_FILE_CopyFile(name.c_str(), t.c_str()); },
         Slurp(medium.PathOf(ch1[0]))},
        {"by time across two recordings",
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); },
         JoinedSpan({medium.PathOf(ch1[0]), medium.PathOf(ch1[1])}, from, to)},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string folder = medium.NewFolder("whole" + std::to_string(n++));
        const std::string target = folder + "/copy.qrv";
        // Held after the block with the last byte: that many blocks in all.
        int blocks = 0;
        {
            HoldCopy hold(0);
            const int32_t stream = c.open(target);
            ASSERT_GE(stream, 0) << c.what;
            blocks = hold.WaitHeld();
            EXPECT_EQ(DVR_FILE_GetPos(stream), 100) << c.what;
            EXPECT_EQ(DVR_FILE_Stop(stream), 1) << c.what;
            EXPECT_TRUE(Slurp(target) == c.expected) << c.what;
            ASSERT_GE(blocks, 3) << c.what;
        }
        for (int after = 1; after <= blocks; ++after) {
            const std::string how = std::string(c.what) + ", held after block " + std::to_string(after);
            QFile::remove(QString::fromStdString(target));
            HoldCopy hold(after);
            const int32_t stream = c.open(target);
            ASSERT_GE(stream, 0) << how;
            hold.WaitHeld();
            const int32_t position = DVR_FILE_GetPos(stream);
            EXPECT_EQ(position == 100, after == blocks) << how << ": " << position;
            EXPECT_EQ(DVR_FILE_Stop(stream), 1) << how;
            if (position == 100) {
                EXPECT_EQ(Entries(folder), std::vector<std::string>{"copy.qrv"}) << how;
                EXPECT_TRUE(Slurp(target) == c.expected) << how;
            } else {
                EXPECT_EQ(Entries(folder), std::vector<std::string>{}) << how;
            }
        }
        for (int round = 0; round < 20; ++round) {
            const std::string how = std::string(c.what) + ", free round " + std::to_string(round);
            QFile::remove(QString::fromStdString(target));
            const int32_t stream = c.open(target);
            ASSERT_GE(stream, 0) << how;
            int32_t position = 0;
            const auto deadline = std::chrono::steady_clock::now() + 60s;
            while ((position = DVR_FILE_GetPos(stream)) != 100 && position != -1 &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            ASSERT_EQ(position, 100) << how;
            EXPECT_EQ(DVR_FILE_Stop(stream), 1) << how;
            EXPECT_TRUE(Slurp(target) == c.expected) << how;
        }
    }
}

// ---- the clock of a copy by time ---------------------------------------------

// Recordings a decoder reads: 4 seconds each, 3 seconds apart.
recmedia::MediaSpec DecodableSpec()
{
    recmedia::MediaSpec spec = CopySpec();
    spec.fast = false;
    spec.channels = 1;
    spec.seconds = 4;
    spec.gap = 3;
    spec.width = 176;
    spec.height = 144;
    return spec;
}

// Video frame times (recorder milliseconds) of a recorder stream, from its
// packs: the header's start time plus each frame's time stamp.
std::vector<int64_t> FrameTimes(const std::vector<uint8_t>& bytes)
{
    std::vector<int64_t> times;
    recstream::StreamHeader header{};
    if (!recstream::ParseHeader(bytes.data(), bytes.size(), &header))
        return times;
    recstream::PacketScanner scanner(header.startTime, false);
    scanner.Feed(bytes.data() + recstream::kHeaderSize, bytes.size() - recstream::kHeaderSize);
    scanner.Finish();
    recstream::Packet packet;
    while (scanner.Next(&packet)) {
        for (const recstream::Pes& pes : packet.pes) {
            if (pes.streamId == recstream::kStreamVideo && pes.hasPts)
                times.push_back(int64_t(header.startTime) * 1000 + int64_t(pes.pts / 90));
        }
    }
    return times;
}

// A copy by time over recordings with pauses between them is one recorder
// stream on the first recording's clock: a player sees every frame at its
// recorder time, the pauses as pauses, and the whole span as its length.
// Enciphered recordings cannot be moved onto another recording's clock
// without their key, which a copy does not have: there each later recording
// keeps its own header, and with it its own start time.
TEST(RecordCopyClock, ByTimeAcrossRecordingsKeepsTheRecordersTimes)
{
    {
        RecordMedium medium(DecodableSpec());
        ASSERT_TRUE(medium.ok());
        const auto rec = medium.OfChannel(1);
        ASSERT_EQ(rec.size(), 3u);
        std::vector<std::vector<uint8_t>> source;
        std::vector<std::vector<int64_t>> frames;
        for (const auto& r : rec) {
            source.push_back(Slurp(medium.PathOf(r)));
            frames.push_back(FrameTimes(source.back()));
            ASSERT_FALSE(frames.back().empty());
        }
        recstream::StreamHeader sourceHeader{};
        ASSERT_TRUE(recstream::ParseHeader(source[0].data(), source[0].size(), &sourceHeader));
        ASSERT_GT(sourceHeader.frameRate, 0);
        const int64_t frameMs = 1000 / sourceHeader.frameRate;
        const std::string out = medium.NewFolder("out");

        const struct {
            const char* what;
            size_t last;          // the last recording the span reaches
            int64_t from, to;     // the span's first and last second
        } cases[] = {
            {"across two recordings", 1, rec[0].start + 1, rec[1].start + 2},
            {"across three recordings", 2, rec[0].start + 2, rec[2].end},
        };
        int n = 0;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            const std::string target = out + "/span" + std::to_string(n++) + ".qrv";
            const DVR_FILE_TIME s = ToDvrTime(c.from), e = ToDvrTime(c.to);
            const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
            ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
            EXPECT_EQ(FinishCopy(stream), 1);

            std::vector<int64_t> expected;
            for (size_t i = 0; i <= c.last; ++i) {
                for (int64_t t : frames[i]) {
                    if (t >= c.from * 1000 && t < (c.to + 1) * 1000)
                        expected.push_back(t);
                }
            }
            ASSERT_FALSE(expected.empty());
            const std::vector<uint8_t> copied = Slurp(target);
            ASSERT_GT(copied.size(), recstream::kHeaderSize);
            // The first recording's header starts the file, and no other follows.
            EXPECT_TRUE(std::equal(copied.begin(), copied.begin() + recstream::kHeaderSize, source[0].begin()));
            EXPECT_EQ(FrameTimes(copied), expected);

            const kel_test::Mp4Probe probe = kel_test::ProbeMp4(target, true, true);
            ASSERT_TRUE(probe.opened);
            EXPECT_EQ(probe.videoCodec, "h264");
            EXPECT_EQ(probe.logErrors, 0);
            EXPECT_EQ(probe.decodeErrors, 0);
            EXPECT_EQ(probe.decodedFrames, static_cast<int>(expected.size()));
            const int64_t base = int64_t(sourceHeader.startTime) * 1000;
            EXPECT_NEAR(base + std::llround(probe.firstTime * 1000), expected.front(), frameMs);
            EXPECT_NEAR(base + std::llround(probe.lastTime * 1000), expected.back(), frameMs);
            EXPECT_NEAR(probe.duration * 1000, double(expected.back() - expected.front() + frameMs), frameMs);
        }
    }
    {
        SCOPED_TRACE("enciphered recordings");
        recmedia::MediaSpec spec = CopySpec();
        spec.channels = 1;
        spec.key = "kel-evidence-key";
        RecordMedium medium(spec);
        ASSERT_TRUE(medium.ok());
        const auto rec = medium.OfChannel(1);
        ASSERT_GE(rec.size(), 2u);
        const int64_t from = rec[0].end - 5, to = rec[1].start + 5;
        const DVR_FILE_TIME s = ToDvrTime(from), e = ToDvrTime(to);
        const std::string target = medium.NewFolder("out") + "/enciphered.qrv";
        const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        std::vector<uint8_t> expected = SpanOf(medium.PathOf(rec[0]), from, to);
        const std::vector<uint8_t> second = SpanOf(medium.PathOf(rec[1]), from, to);
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_TRUE(Slurp(target) == expected);
    }
}

// One pack clock of a recording with a flipped bit (5,965 s later): a copy
// by time holds the whole span all the same, the damaged pack in its place,
// and reports 100 only once it does. A span that starts after the damaged
// pack starts at its own first second, one that starts at the damaged pack
// (the first of its second) starts there.
TEST(RecordCopyClock, ADamagedPackClockNeitherEndsNorMovesTheSpan)
{
    recmedia::MediaSpec spec = DecodableSpec();
    spec.perDay = 1;
    spec.seconds = 12;
    RecordMedium medium(spec);
    ASSERT_TRUE(medium.ok());
    const auto rec = medium.OfChannel(1);
    ASSERT_EQ(rec.size(), 1u);
    const std::string path = medium.PathOf(rec[0]);
    const std::vector<uint8_t> sound = Slurp(path);
    const std::string soundCopy = medium.NewFolder("sound") + "/sound.qrv";
    WriteBytes(soundCopy, sound);
    const std::vector<int64_t> frames = FrameTimes(sound);
    std::vector<recstream::Packet> packs;
    {
        recstream::PacketScanner scanner(0, false);
        scanner.Feed(sound.data(), sound.size());
        scanner.Finish();
        recstream::Packet p;
        while (scanner.Next(&p))
            if (p.kind == recstream::kPacketPack)
                packs.push_back(p);
    }
    const int64_t t0 = rec[0].start;
    // The first pack of a second of the recording.
    auto firstPackOf = [&](int second) {
        for (size_t i = 0; i < packs.size(); ++i)
            if (int64_t(packs[i].time) >= t0 + second)
                return i;
        return packs.size();
    };
    const struct {
        const char* what;
        size_t pack;       // the damaged pack
        int from, to;      // the span, seconds after the recording's start
    } cases[] = {
        {"span over the damage", firstPackOf(5) + 3, 0, 10},
        {"span after the damage", firstPackOf(5) + 3, 7, 10},
        {"span starting two seconds after it", firstPackOf(3) + 3, 5, 9},
        {"span starting at the damaged pack", firstPackOf(6), 6, 9},
        {"span ending at the damaged pack", firstPackOf(9), 2, 8},
    };
    const std::string out = medium.NewFolder("out");
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LT(c.pack, packs.size());
        std::vector<uint8_t> damaged = sound;
        const size_t at = packs[c.pack].offset + 4;   // the pack header's SCR
        damaged[at] ^= 0x10;   // bit 31 of the 33-bit clock: 23,860 s later
        WriteBytes(path, damaged);

        const int64_t from = t0 + c.from, to = t0 + c.to;
        const std::string target = out + "/damaged" + std::to_string(n++) + ".qrv";
        const DVR_FILE_TIME s = ToDvrTime(from), e = ToDvrTime(to);
        const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        // The bytes of the span as the sound recording has them, the damaged
        // byte where it lies.
        std::vector<uint8_t> expectedBytes = SpanOf(soundCopy, from, to);
        const int64_t begin = c.from > 0 ? recstream::FindOffsetForTime(soundCopy, uint32_t(from)) : int64_t(recstream::kHeaderSize);
        ASSERT_GE(begin, int64_t(recstream::kHeaderSize));
        const size_t inSpan = recstream::kHeaderSize + at - size_t(begin);
        if (at >= size_t(begin) && inSpan < expectedBytes.size())
            expectedBytes[inSpan] ^= 0x10;
        const std::vector<uint8_t> copied = Slurp(target);
        EXPECT_EQ(copied.size(), expectedBytes.size());
        EXPECT_TRUE(copied == expectedBytes);
        // Decoded: every picture of the span, at its recorder time.
        std::vector<int64_t> expected;
        for (int64_t t : frames)
            if (t >= from * 1000 && t < (to + 1) * 1000)
                expected.push_back(t);
        EXPECT_EQ(FrameTimes(copied), expected);
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(target, true, true);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.decodeErrors, 0);
        EXPECT_EQ(probe.decodedFrames, static_cast<int>(expected.size()));
    }
    WriteBytes(path, sound);
}

// ---- feeding the player --------------------------------------------------------

// A player that records what it is offered and answers as told.
struct FakePlayer {
    std::mutex lock;
    std::vector<std::pair<const void*, uint32_t>> offers;
    std::atomic<int> refuseFull{0};       // answer "full" this many times
    std::atomic<bool> alwaysFull{false};
    std::atomic<uint32_t> refuseWith{0};  // another refusal, every time
    uint32_t error = 0;

    static FakePlayer* current;
    static int Input(int, const void* data, uint32_t size)
    {
        FakePlayer& p = *current;
        std::lock_guard<std::mutex> guard(p.lock);
        p.offers.emplace_back(data, size);
        if (p.refuseWith) {
            p.error = p.refuseWith;
            return 0;
        }
        if (p.alwaysFull || p.refuseFull.fetch_sub(1) > 0) {
            p.error = OSTRUM_ERR_BUF_FULL;
            return 0;
        }
        return 1;
    }
    static uint32_t Error(int) { return current->error; }
    size_t Offers()
    {
        std::lock_guard<std::mutex> guard(lock);
        return offers.size();
    }
};
FakePlayer* FakePlayer::current = nullptr;

class StreamFeed : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakePlayer::current = &player;
        context.port = 1;
        context.opened = true;
    }
    FakePlayer player;
    pellomir::STREAM_CONTEXT context;
    pellomir::PlayerInput input{&FakePlayer::Input, &FakePlayer::Error};
};

TEST_F(StreamFeed, BlocksGoInPiecesOfThePlayersBuffer)
{
    const uint32_t max = pellomir::kPlayerBufferSize;
    static std::vector<unsigned char> block(2 * max + 10);
    const struct {
        int length;
        std::vector<uint32_t> pieces;
    } cases[] = {
        {100, {100}},
        {static_cast<int>(max), {max}},
        {static_cast<int>(max) + 1, {max, 1}},
        {static_cast<int>(2 * max), {max, max}},
        {0, {}},
        {-7, {}},
    };
    for (const auto& c : cases) {
        player.offers.clear();
        pellomir::FeedPlayer(context, block.data(), c.length, input);
        std::vector<uint32_t> sizes;
        for (size_t i = 0; i < player.offers.size(); ++i) {
            sizes.push_back(player.offers[i].second);
            EXPECT_EQ(player.offers[i].first, block.data() + i * max);
        }
        EXPECT_EQ(sizes, c.pieces) << c.length;
    }
    // The end of the stream, and nothing for a player that has no stream.
    player.offers.clear();
    EXPECT_TRUE(pellomir::FeedPlayer(context, nullptr, -1, input));
    ASSERT_EQ(player.Offers(), 1u);
    EXPECT_EQ(player.offers[0].first, nullptr);
    EXPECT_EQ(player.offers[0].second, 0xFFFFFFFFu);
    context.opened = false;
    EXPECT_FALSE(pellomir::FeedPlayer(context, block.data(), 10, input));
    EXPECT_EQ(player.Offers(), 1u);
}

TEST_F(StreamFeed, AFullPlayerIsRetriedAndOtherRefusalsDropThePiece)
{
    unsigned char data[16] = {};
    player.refuseFull = 3;
    EXPECT_TRUE(pellomir::FeedPlayer(context, data, sizeof data, input));
    EXPECT_EQ(player.Offers(), 4u);

    player.offers.clear();
    player.refuseWith = OSTRUM_ERR_ORDER;
    EXPECT_FALSE(pellomir::FeedPlayer(context, data, sizeof data, input));
    EXPECT_EQ(player.Offers(), 1u);
}

TEST_F(StreamFeed, AStopEndsTheWaitForAFullPlayer)
{
    static std::vector<unsigned char> block(pellomir::kPlayerBufferSize * 2);
    player.alwaysFull = true;
    auto feeding = std::async(std::launch::async,
                              [&] { return pellomir::FeedPlayer(context, block.data(), static_cast<int>(block.size()), input); });
    ASSERT_TRUE(WaitUntil([&] { return player.Offers() >= 2; }));
    context.closing = true;
    ASSERT_EQ(feeding.wait_for(60s), std::future_status::ready);
    EXPECT_FALSE(feeding.get());
    // Only the first piece was ever offered.
    for (const auto& offer : player.offers)
        EXPECT_EQ(offer.first, block.data());
}

TEST(CopyOutput, AFailedWriteStopsTheCopysFile)
{
    pellomir::STREAM_CONTEXT context;
    context.outputFile = std::fopen("/dev/full", "ab");
    ASSERT_NE(context.outputFile, nullptr);
    std::setvbuf(context.outputFile, nullptr, _IONBF, 0);
    unsigned char block[4096] = {};
    pellomir::AppendToFile(context, block, sizeof block);
    EXPECT_EQ(context.outputError.load(), DVR_FILE_ERR_CREATE_FILE);
    pellomir::AppendToFile(context, nullptr, -1);  // the end of the stream writes nothing
    EXPECT_EQ(context.outputError.load(), DVR_FILE_ERR_CREATE_FILE);
}

}  // namespace
