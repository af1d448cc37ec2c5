// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm search against a scripted extra-information search (library
// calls replaced at link time): batches, conditions, record checks, failed
// and silent library searches.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/AlarmSearch.h"

namespace {

enum class Mode { Deliver, Fail, Silent };

struct Call {
    std::vector<std::string> disks;
    int diskCount = 0;
    int channel = 0;
    HD_FILE_TIME start{};
    HD_FILE_TIME end{};
    bool userSet = false;
};

// One scripted record: major, minor and data bytes (null data when `nullData`).
struct Scripted {
    uint16_t major;
    uint16_t minor;
    std::vector<uint8_t> data;
    bool nullData = false;
};

std::mutex g_mutex;
Mode g_mode = Mode::Deliver;
std::vector<Scripted> g_records;
std::vector<Call> g_calls;
std::vector<int> g_stopped;
std::map<int, std::thread> g_threads;
int g_nextHandle = 0;

void Reset(Mode mode, std::vector<Scripted> records = {}) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_mode = mode;
    g_records = std::move(records);
    g_calls.clear();
    g_stopped.clear();
}

std::vector<uint8_t> Block(std::initializer_list<uint32_t> words, size_t size) {
    std::vector<uint8_t> out(size, 0xA5);
    size_t at = 0;
    for (uint32_t w : words) {
        if (at + 4 > size) break;
        std::memcpy(out.data() + at, &w, 4);
        at += 4;
    }
    return out;
}

}  // namespace

extern "C" {
int __real_HD_FILE_StartFindExtraInfo(const ExtraInfoCondition* cond);
int __real_HD_FILE_StopFindExtraInfo(int handle);

int __wrap_HD_FILE_StartFindExtraInfo(const ExtraInfoCondition* cond) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Call c;
    for (int i = 0; i < HD_EXTRA_MAX_DISKS; ++i) {
        const std::string path(cond->diskPaths[i], strnlen(cond->diskPaths[i], HD_EXTRA_PATH_SIZE));
        if (i < cond->diskCount) c.disks.push_back(path);
        else EXPECT_TRUE(path.empty()) << "unused slot " << i;
    }
    c.diskCount = cond->diskCount;
    c.channel = cond->channel;
    c.start = cond->start;
    c.end = cond->end;
    c.userSet = cond->user != nullptr && cond->callback != nullptr;
    g_calls.push_back(c);
    if (g_mode == Mode::Fail) return -1;
    const int handle = g_nextHandle++;
    if (g_mode == Mode::Silent) return handle;
    const HD_EXTRA_INFO_CALLBACK callback = cond->callback;
    void* user = cond->user;
    const std::vector<Scripted> records = g_records;
    g_threads[handle] = std::thread([=]() {
        for (const Scripted& s : records) {
            ExtraInfoRecord r{};
            r.majorType = s.major;
            r.minorType = s.minor;
            r.dataLength = uint32_t(s.data.size());
            r.data = s.nullData ? nullptr : s.data.data();
            callback(handle, HD_EXTRA_RECORD, &r, user);
        }
        callback(handle, HD_EXTRA_RECORD, nullptr, user);  // ignored
        callback(handle, HD_EXTRA_END, nullptr, user);
    });
    return handle;
}

int __wrap_HD_FILE_StopFindExtraInfo(int handle) {
    std::thread t;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_stopped.push_back(handle);
        auto it = g_threads.find(handle);
        if (it != g_threads.end()) {
            t = std::move(it->second);
            g_threads.erase(it);
        }
    }
    if (t.joinable()) t.join();
    return 1;
}
}

namespace {

std::vector<COMMON_MSG_INFO> RunOnce(CAlarmSearch& search) {
    std::vector<COMMON_MSG_INFO> got;
    int delivered = 0;
    QObject::connect(&search, &CAlarmSearch::signalAlarmInfo, &search,
                     [&](std::vector<COMMON_MSG_INFO> v) {
                         got = v;
                         ++delivered;
                     },
                     Qt::DirectConnection);
    search.start(QThread::InheritPriority);
    EXPECT_TRUE(search.wait(60000));
    EXPECT_EQ(delivered, 1);
    return got;
}

QStringList Disks(int n) {
    QStringList out;
    for (int i = 1; i <= n; ++i) out << QString("\\\\.\\PHYSICALDRIVE%1").arg(i);
    return out;
}

const QDateTime kStart(QDate(2024, 3, 1), QTime(6, 30, 5));
const QDateTime kEnd(QDate(2024, 3, 1), QTime(18, 45, 59));

TEST(AlarmSearchSeam, NineDisksTwoChannelsMakeFourSearchesInOrder) {
    Reset(Mode::Deliver, {{4117, 4098, Block({100, 105, 3}, 40)}});
    CAlarmSearch search;
    search.SetSearchCondition(Disks(9), kStart, kEnd, {1, 2});
    const auto got = RunOnce(search);

    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_calls.size(), 4u);
    const int channels[] = {1, 1, 2, 2};
    const size_t counts[] = {8, 1, 8, 1};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(g_calls[i].channel, channels[i]);
        EXPECT_EQ(g_calls[i].diskCount, int(counts[i]));
        ASSERT_EQ(g_calls[i].disks.size(), counts[i]);
        EXPECT_EQ(g_calls[i].disks.front(), (counts[i] == 8 ? Disks(1) : QStringList{Disks(9).last()}).first().toStdString());
        EXPECT_TRUE(g_calls[i].userSet);
    }
    EXPECT_EQ(g_calls[0].disks[7], "\\\\.\\PHYSICALDRIVE8");
    const HD_FILE_TIME s = g_calls[0].start, e = g_calls[0].end;
    EXPECT_EQ((std::vector<int>{s.year, s.month, s.day, s.hour, s.minute, s.second}),
              (std::vector<int>{2024, 3, 1, 6, 30, 5}));
    EXPECT_EQ((std::vector<int>{e.year, e.month, e.day, e.hour, e.minute, e.second}),
              (std::vector<int>{2024, 3, 1, 18, 45, 59}));
    EXPECT_EQ(g_stopped.size(), 4u);

    ASSERT_EQ(got.size(), 4u);
    const int stamped[] = {1, 1, 2, 2};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(got[i].Channel, stamped[i]);
}

TEST(AlarmSearchSeam, RecordsAreCheckedByTypeAndLength) {
    const std::vector<uint8_t> behaviour = Block({1000, 1004, 3, 555}, 40);
    Reset(Mode::Deliver, {
                             {4117, 4098, behaviour},                       // taken as it is
                             {4117, 4098, Block({1, 2, 3}, 36)},            // wrong length
                             {4117, 4098, Block({1, 2, 3}, 44)},            // wrong length
                             {4113, 4098, Block({2000, 2010, 7, 8}, 16)},   // event
                             {4113, 4099, Block({2000, 2010}, 16)},         // minor type not 4098
                             {4098, 4098, Block({3000, 3001, 9}, 12)},      // 12 bytes: too short
                             {4114, 4098, Block({4000, 4002, 1}, 13)},      // 13 bytes: taken
                             {4117, 4098, {}, true},                        // no data
                             {4200, 4098, Block({1, 2}, 16)},               // unknown major type
                         });
    CAlarmSearch search;
    search.SetSearchCondition(Disks(1), kStart, kEnd, {2});
    const auto got = RunOnce(search);
    ASSERT_EQ(got.size(), 3u);

    EXPECT_EQ(got[0].Channel, 2);
    EXPECT_EQ(std::memcmp(&got[0].Body, behaviour.data(), 40), 0);

    EXPECT_EQ(got[1].Channel, 2);
    EXPECT_EQ(got[1].Body.StartTime, 2000u);  // UTC zone: unchanged
    EXPECT_EQ(got[1].Body.EndTime, 2010u);
    EXPECT_EQ(got[1].Body.Type, 4113u);
    const uint8_t zero[28] = {};
    EXPECT_EQ(std::memcmp(got[1].Body.Reserved, zero, sizeof zero), 0);

    EXPECT_EQ(got[2].Body.Type, 4114u);
    EXPECT_EQ(got[2].Body.StartTime, 4000u);
}

TEST(AlarmSearchSeam, NoDiskOrNoChannelMakesNoCall) {
    for (int pass = 0; pass < 2; ++pass) {
        Reset(Mode::Deliver, {{4117, 4098, Block({1, 2, 3}, 40)}});
        CAlarmSearch search;
        if (pass == 0) search.SetSearchCondition({}, kStart, kEnd, {1, 2});
        else search.SetSearchCondition(Disks(3), kStart, kEnd, {});
        EXPECT_TRUE(RunOnce(search).empty());
        std::lock_guard<std::mutex> lock(g_mutex);
        EXPECT_TRUE(g_calls.empty());
    }
}

TEST(AlarmSearchSeam, FailedStartIsSkippedAndNotStopped) {
    Reset(Mode::Fail);
    CAlarmSearch search;
    search.SetSearchCondition(Disks(2), kStart, kEnd, {1, 2, 3});
    EXPECT_TRUE(RunOnce(search).empty());
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_calls.size(), 3u);
    EXPECT_TRUE(g_stopped.empty());
}

TEST(AlarmSearchSeam, InvalidTimesLeaveTheirFieldsZero) {
    Reset(Mode::Deliver);
    CAlarmSearch search;
    search.SetSearchCondition(Disks(1), QDateTime(), kEnd, {1});
    RunOnce(search);
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_calls.size(), 1u);
    const HD_FILE_TIME s = g_calls[0].start;
    EXPECT_EQ(s.year | s.month | s.day | s.hour | s.minute | s.second, 0);
    EXPECT_EQ(g_calls[0].end.hour, 18);
}

TEST(AlarmSearchSeam, PathThatDoesNotFitItsSlotIsLeftOut) {
    Reset(Mode::Deliver);
    CAlarmSearch search;
    const QString tooLong = "E:\\" + QString(257, QLatin1Char('x'));  // 260 bytes
    const QString fits = "F:\\" + QString(256, QLatin1Char('y'));     // 259 bytes
    search.SetSearchCondition({tooLong, fits}, kStart, kEnd, {1});
    RunOnce(search);
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_calls.size(), 1u);
    ASSERT_EQ(g_calls[0].disks.size(), 1u);
    EXPECT_EQ(g_calls[0].disks[0], fits.toStdString());
}

TEST(AlarmSearchSeam, SilentLibrarySearchIsGivenUpAndStopped) {
    Reset(Mode::Silent);
    CAlarmSearch search;
    search.SetIdleTimeout(300);
    search.SetSearchCondition(Disks(1), kStart, kEnd, {1, 2});
    EXPECT_TRUE(RunOnce(search).empty());
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_stopped.size(), 2u);
}

TEST(AlarmSearchSeam, DestroyingTheSearchEndsAWaitForASilentLibrary) {
    Reset(Mode::Silent);
    {
        CAlarmSearch search;
        search.SetIdleTimeout(0);  // would wait for ever
        search.SetSearchCondition(Disks(1), kStart, kEnd, {1});
        search.start();
        const QElapsedTimer since = [] { QElapsedTimer t; t.start(); return t; }();
        while (since.elapsed() < 60000) {
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                if (!g_calls.empty()) break;
            }
            QThread::msleep(5);
        }
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_stopped.size(), 1u);
}

TEST(AlarmSearchSeam, RecordsReachTheGuiThreadQueued) {
    Reset(Mode::Deliver, {{4117, 4098, Block({10, 20, 5}, 40)}});
    QObject page;
    auto* search = new CAlarmSearch(&page);
    std::vector<COMMON_MSG_INFO> got;
    QObject::connect(search, &CAlarmSearch::signalAlarmInfo, &page, [&](std::vector<COMMON_MSG_INFO> v) { got = v; });
    search->SetSearchCondition(Disks(1), kStart, kEnd, {4});
    search->start();
    ASSERT_TRUE(search->wait(60000));
    QCoreApplication::processEvents();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Channel, 4);
    EXPECT_EQ(got[0].Body.Type, 5u);
    EXPECT_EQ(QMetaType::type("std::vector<COMMON_MSG_INFO>"), qMetaTypeId<std::vector<COMMON_MSG_INFO>>());
    EXPECT_NE(QMetaType::type("COMMON_MSG_BODY"), 0);
}

}  // namespace
