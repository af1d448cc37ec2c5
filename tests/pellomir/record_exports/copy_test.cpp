// Copies by file and by time through the library's exports, and the feeding
// of stream blocks to the player.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QFile>
#include <csignal>
#include <atomic>
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
#include "record_fixture.h"
#include "recstream/recstream.h"
#include "vintrel.h"

namespace {

using namespace std::chrono_literals;

recmedia::MediaSpec CopySpec()
{
    recmedia::MediaSpec spec;
    spec.fast = true;
    spec.channels = 2;
    spec.perDay = 3;
    spec.seconds = 60;
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

// Follows a copy to its end and stops it.
int32_t FinishCopy(int32_t stream)
{
    EXPECT_TRUE(WaitUntil([&] { return DVR_FILE_GetPos(stream) == 100; }));
    return DVR_FILE_Stop(stream);
}

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
    // Across two recordings, by drive paths: each part comes with its
    // recording's header. Drive A holds the same medium but is never read.
    {
        const int64_t from = ch1[0].end - 5, to = ch1[1].start + 5;
        const DVR_FILE_TIME s = ToDvrTime(from), e = ToDvrTime(to);
        const char* const paths[] = {"A:", "E:", nullptr};
        const std::string target = out + "/across.qrv";
        const int32_t stream = DVR_FILE_CopyFileByTimeEx(paths, &s, &e, 1, target.c_str());
        ASSERT_GE(stream, 0) << DVR_FILE_GetLastError();
        EXPECT_EQ(FinishCopy(stream), 1);
        std::vector<uint8_t> expected = SpanOf(medium.PathOf(ch1[0]), from, to);
        const std::vector<uint8_t> second = SpanOf(medium.PathOf(ch1[1]), from, to);
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_TRUE(Slurp(target) == expected);
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
    const std::string target = out + "/missing/folder/copy.qrv";
    const int32_t stream = DVR_FILE_CopyFile(FoundName(medium, r).c_str(), target.c_str());
    ASSERT_GE(stream, 0);
    EXPECT_EQ(DVR_FILE_GetPos(stream), -1);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN);
    EXPECT_EQ(DVR_FILE_Stop(stream), 0);
    EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_OPEN);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
    EXPECT_EQ(DVR_FILE_GetPlayState(stream), 0);
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
// the output as it was before the copy: nothing it wrote stays.
TEST_F(RecordCopy, AFailedOrStoppedCopyTakesBackWhatItWrote)
{
    ASSERT_TRUE(medium.ok());
    const recmedia::PlannedRecording r = medium.OfChannel(1).at(0);
    const std::string name = FoundName(medium, r);
    const std::vector<uint8_t> whole = Slurp(medium.PathOf(r));
    ASSERT_GT(whole.size(), 2u * 4096u);
    const std::vector<uint8_t> earlier(1000, 0x5A);
    const DVR_FILE_TIME s = ToDvrTime(r.start), e = ToDvrTime(r.end);

    const struct {
        const char* what;
        bool existed;   // the output holds `earlier` before the copy
        std::function<int32_t(const std::string&)> open;
    } cases[] = {
        {"by file, new output", false, [&](const std::string& t) { return DVR_FILE_CopyFile(name.c_str(), t.c_str()); }},
        {"by time, new output", false,
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); }},
        {"by time onto a file", true,
         [&](const std::string& t) { return DVR_FILE_CopyFileByTime("E", &s, &e, 1, t.c_str()); }},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string target = out + "/full" + std::to_string(n++) + ".qrv";
        if (c.existed) {
            FILE* f = std::fopen(target.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fwrite(earlier.data(), 1, earlier.size(), f);
            std::fclose(f);
        }
        {
            WriteLimit limit(4096 + (c.existed ? earlier.size() : 0));
            const int32_t stream = c.open(target);
            ASSERT_GE(stream, 0) << c.what;
            ASSERT_TRUE(WaitUntil([&] { return DVR_FILE_GetPos(stream) == -1; })) << c.what;
            EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_CREATE_FILE) << c.what;
            EXPECT_EQ(DVR_FILE_Stop(stream), 0) << c.what;
            EXPECT_EQ(DVR_FILE_GetLastError(), DVR_FILE_ERR_CREATE_FILE) << c.what;
        }
        if (c.existed)
            EXPECT_TRUE(Slurp(target) == earlier) << c.what;
        else
            EXPECT_FALSE(QFile::exists(QString::fromStdString(target))) << c.what;
    }

    // A stop right after the start: whatever moment it hits, the output is
    // the file as it was, or it holds the whole copy.
    const std::string target = out + "/stopped.qrv";
    FILE* f = std::fopen(target.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(earlier.data(), 1, earlier.size(), f);
    std::fclose(f);
    const int32_t stream = DVR_FILE_CopyFileByTime("E", &s, &e, 1, target.c_str());
    ASSERT_GE(stream, 0);
    DVR_FILE_Stop(stream);
    const std::vector<uint8_t> left = Slurp(target);
    std::vector<uint8_t> full = earlier;
    full.insert(full.end(), whole.begin(), whole.end());
    EXPECT_TRUE(left == earlier || left == full) << left.size();
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
