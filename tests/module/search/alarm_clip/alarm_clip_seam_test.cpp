// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm clip search against a scripted find-data search (library calls
// replaced at link time): conditions, kept records, record types, stops,
// failed and silent library searches.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>

#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/AlarmClipSearchThread.h"
#include "kel_test/test_support.h"

namespace {

struct Call {
    std::string disk;
    int channel = 0;
    int reserved = -1;
    HD_FILE_TIME start{};
    HD_FILE_TIME end{};
};

struct Found {
    int channel;
    HD_FILE_TIME start;
    HD_FILE_TIME end;
    uint32_t recordType;
};

std::mutex g_mutex;
std::condition_variable g_cv;
std::map<std::string, std::vector<Found>> g_byDisk;   // what each disk holds
std::vector<std::string> g_failing;                  // disks whose search does not start
std::vector<std::string> g_silent;                   // disks whose search never ends
bool g_gate = false;                                 // hold the first search until released
bool g_inGate = false;
std::vector<Call> g_calls;
std::vector<int> g_closed;
std::map<int, std::thread> g_threads;
int g_next = 0;

void Reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_byDisk.clear();
    g_failing.clear();
    g_silent.clear();
    g_gate = g_inGate = false;
    g_calls.clear();
    g_closed.clear();
}

bool Has(const std::vector<std::string>& list, const std::string& s) {
    for (const auto& x : list)
        if (x == s) return true;
    return false;
}

HD_FILE_TIME T(int h, int m, int s) { return HD_FILE_TIME{2024, 3, 1, h, m, s}; }

}  // namespace

extern "C" {
int __real_HD_FILE_FindData(int reserved, const FindDataCondition* cond, int size);
int __real_HD_FILE_FindDataClose(int handle);

int __wrap_HD_FILE_FindData(int reserved, const FindDataCondition* cond, int size) {
    EXPECT_EQ(reserved, 0);
    EXPECT_EQ(size, int(sizeof(FindDataCondition)));
    std::lock_guard<std::mutex> lock(g_mutex);
    Call c;
    c.disk = cond->diskPath;
    c.channel = cond->channel;
    c.reserved = cond->reserved0;
    c.start = cond->start;
    c.end = cond->end;
    g_calls.push_back(c);
    if (Has(g_failing, c.disk)) return -1;
    const int handle = g_next++;
    if (Has(g_silent, c.disk)) return handle;
    const std::vector<Found> found = g_byDisk[c.disk];
    const HD_FIND_DATA_CALLBACK callback = cond->callback;
    void* user = cond->user;
    const bool gate = g_gate && g_calls.size() == 1;
    g_threads[handle] = std::thread([=]() {
        FoundDataRecord r;
        for (const Found& f : found) {
            std::memset(&r, 0, sizeof r);
            std::memset(r.fileName, 'n', sizeof r.fileName);  // no terminator
            r.start = f.start;
            r.end = f.end;
            r.fileSize = 1234;
            r.recordType = f.recordType;
            r.channel = uint32_t(f.channel);
            r.fileType = HD_FILE_TYPE_ALARM;
            callback(0, &r, user);
        }
        if (gate) {
            std::unique_lock<std::mutex> lk(g_mutex);
            g_inGate = true;
            g_cv.notify_all();
            g_cv.wait_for(lk, std::chrono::seconds(60), [] { return !g_gate; });
        }
        std::memset(&r, 0, sizeof r);
        r.endOfSearch = 1;
        callback(0, &r, user);
    });
    return handle;
}

int __wrap_HD_FILE_FindDataClose(int handle) {
    std::thread t;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_closed.push_back(handle);
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

// A recorder time of 2024-03-01.
time_t Local(int h, int m, int s) { return QDateTime(QDate(2024, 3, 1), QTime(h, m, s), Qt::UTC).toSecsSinceEpoch(); }

// Runs one search and waits for its end; returns the results.
QVector<ChannelFiles*> RunOnce(CAlarmSearchThread& thread, const QStringList& disks, std::vector<time_t> times, int channel,
                           int* signalsOut = nullptr) {
    int finished = 0;
    auto connection = QObject::connect(&thread, &CAlarmSearchThread::signalSendWriteOver, &thread,
                                       [&] { ++finished; }, Qt::DirectConnection);
    thread.SetSearchMode(1);
    thread.StartSearch(disks, std::move(times), channel);
    EXPECT_TRUE(thread.wait(60000));
    QObject::disconnect(connection);
    if (signalsOut) *signalsOut = finished;
    else EXPECT_EQ(finished, 1);
    QVector<ChannelFiles*> results;
    thread.GetResults(results);
    return results;
}

void Free(QVector<ChannelFiles*>& results) {
    for (ChannelFiles* c : results) {
        for (APT_QMR::CSingleFile* f : c->SingleFileList) delete f;
        delete c;
    }
    results.clear();
}

std::vector<int> Fields(const HD_FILE_TIME& t) { return {t.year, t.month, t.day, t.hour, t.minute, t.second}; }

TEST(AlarmClipSeam, EachDiskIsSearchedForTheChannelAndTheExactSpan) {
    kel_test::ScopedTimeZone zone("CET-1");
    Reset();
    CAlarmSearchThread thread;
    auto results = RunOnce(thread, {"\\\\.\\PHYSICALDRIVE1", "\\\\.\\PHYSICALDRIVE2"},
                       {Local(10, 0, 5), Local(10, 0, 20), Local(10, 0, 35)}, 3);
    EXPECT_TRUE(results.isEmpty());
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].disk, "\\\\.\\PHYSICALDRIVE2");
    for (const Call& c : g_calls) {
        EXPECT_EQ(c.channel, 3);
        EXPECT_EQ(c.reserved, 0);
        EXPECT_EQ(Fields(c.start), (std::vector<int>{2024, 3, 1, 10, 0, 5}));
        EXPECT_EQ(Fields(c.end), (std::vector<int>{2024, 3, 1, 10, 0, 35}));
    }
    EXPECT_EQ(g_closed.size(), 2u);
}

TEST(AlarmClipSeam, FilesAreKeptGroupedSortedAndTyped) {
    Reset();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_byDisk["D1"] = {
            {3, T(10, 5, 0), T(10, 6, 0), 6},      // plain code
            {3, T(10, 0, 0), T(9, 59, 59), 1301},  // ends before it starts: kept; catalogued code
            {70, T(10, 0, 0), T(10, 1, 0), 0},     // channel no record reports
        };
        g_byDisk["D2"] = {{3, T(10, 2, 0), T(10, 3, 0), 0}, {5, T(10, 2, 0), T(10, 3, 0), 0}};
    }
    CAlarmSearchThread thread;
    auto results = RunOnce(thread, {"D1", "D2"}, {Local(10, 0, 0), Local(10, 10, 0)}, 3);
    ASSERT_EQ(results.size(), 2);  // channels 3 and 5, ascending
    EXPECT_EQ(results[0]->ChannelInfo.GetChannelNumber(), 3);
    EXPECT_EQ(results[1]->ChannelInfo.GetChannelNumber(), 5);
    const auto& files = results[0]->SingleFileList;
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0]->StartTime, uint32_t(Local(10, 0, 0)));
    EXPECT_EQ(files[0]->EndTime, uint32_t(Local(9, 59, 59)));
    EXPECT_EQ(files[0]->SubType, 2);
    EXPECT_EQ(files[0]->EnforceMode, 1u);
    EXPECT_EQ(files[0]->SubFileType, 1301);
    EXPECT_EQ(files[0]->DiskName, "D1");
    EXPECT_EQ(files[0]->FileName, std::string(100, 'n'));  // a name that fills its field
    EXPECT_EQ(files[1]->StartTime, uint32_t(Local(10, 2, 0)));
    EXPECT_EQ(files[1]->DiskName, "D2");
    EXPECT_EQ(files[2]->SubType, 6);
    EXPECT_EQ(files[2]->EnforceMode, 0u);
    EXPECT_EQ(files[2]->FileType, HD_FILE_TYPE_ALARM);
    EXPECT_EQ(files[2]->FileSize, 1234u);
    Free(results);
}

TEST(AlarmClipSeam, NothingToSearchStillSignals) {
    Reset();
    CAlarmSearchThread thread;
    auto results = RunOnce(thread, {}, {Local(10, 0, 0), Local(10, 1, 0)}, 1);
    EXPECT_TRUE(results.isEmpty());
    results = RunOnce(thread, {"D1"}, {}, 1);  // no span at all
    EXPECT_TRUE(results.isEmpty());
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_TRUE(g_calls.empty());
}

TEST(AlarmClipSeam, FailedSearchIsNeitherWaitedForNorClosed) {
    Reset();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_failing = {"D1"};
        g_byDisk["D2"] = {{2, T(10, 0, 0), T(10, 1, 0), 0}};
    }
    CAlarmSearchThread thread;
    auto results = RunOnce(thread, {"D1", "D2"}, {Local(10, 0, 0), Local(10, 1, 0)}, 2);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0]->SingleFileList.size(), 1u);
    Free(results);
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_closed.size(), 1u);
}

TEST(AlarmClipSeam, StopThenStartWhileRunningEndsAfterTheCurrentDisk) {
    Reset();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_gate = true;
        g_byDisk["D1"] = {{4, T(10, 0, 0), T(10, 1, 0), 0}};
        g_byDisk["D2"] = {{4, T(10, 0, 0), T(10, 1, 0), 0}};
        g_byDisk["D9"] = {{4, T(10, 0, 0), T(10, 1, 0), 0}};
    }
    CAlarmSearchThread thread;
    int finished = 0;
    QObject::connect(&thread, &CAlarmSearchThread::signalSendWriteOver, &thread, [&] { ++finished; },
                     Qt::DirectConnection);
    thread.SetSearchMode(1);
    thread.StartSearch({"D1", "D2"}, {Local(10, 0, 0), Local(10, 1, 0)}, 4);
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        ASSERT_TRUE(g_cv.wait_for(lock, std::chrono::seconds(60), [] { return g_inGate; }));
    }
    thread.StopSearch();
    thread.SetSearchMode(1);
    thread.StartSearch({"D9"}, {Local(11, 0, 0), Local(11, 1, 0)}, 7);  // ignored: a search runs
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_gate = false;
    }
    g_cv.notify_all();
    ASSERT_TRUE(thread.wait(60000));
    EXPECT_EQ(finished, 1);
    QVector<ChannelFiles*> results;
    thread.GetResults(results);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0]->SingleFileList.size(), 1u);
    EXPECT_EQ(results[0]->SingleFileList[0]->DiskName, "D1");
    Free(results);
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].channel, 4);
    EXPECT_FALSE(thread.isRunning());
}

TEST(AlarmClipSeam, SilentDiskIsGivenUpAndTheOthersAreSearched) {
    Reset();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_silent = {"D1"};
        g_byDisk["D2"] = {{1, T(10, 0, 0), T(10, 1, 0), 0}};
    }
    CAlarmSearchThread thread;
    thread.SetIdleTimeout(300);
    auto results = RunOnce(thread, {"D1", "D2"}, {Local(10, 0, 0), Local(10, 1, 0)}, 1);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0]->SingleFileList.size(), 1u);
    Free(results);
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_closed.size(), 2u);
}

TEST(AlarmClipSeam, OverlongPathIsLeftOut) {
    Reset();
    CAlarmSearchThread thread;
    const QString tooLong = "E:\\" + QString(257, QLatin1Char('x'));  // 260 bytes
    auto results = RunOnce(thread, {tooLong, "D2"}, {Local(10, 0, 0), Local(10, 1, 0)}, 1);
    EXPECT_TRUE(results.isEmpty());
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].disk, "D2");
}

}  // namespace
