// SPDX-License-Identifier: GPL-3.0-or-later
// The log search against scripted log searches (library calls replaced at
// link time): the 2000-record mark, cancel, condition and record handling.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "search/LogSearch.h"

namespace {

struct Open {
    std::string path;
    int kind = -1, major = -1, minor = -1;
    bool hasStart = false, hasEnd = false;
    HD_FILE_TIME start{}, end{};
};

std::mutex g_mutex;
std::map<std::string, int> g_counts;       // records per partition; missing = cannot open
std::vector<Open> g_opens;
std::vector<int> g_closed;
std::map<int, std::pair<std::string, int>> g_handles;  // handle -> (partition, records read)
int g_next = 0;
CLogSearch* g_cancelTarget = nullptr;       // cancelled when it has read g_cancelAfter records of g_cancelIn
std::string g_cancelIn;
int g_cancelAfter = 0;
HD_LOG_RECORD g_template{};

void Reset(std::map<std::string, int> counts) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_counts = std::move(counts);
    g_opens.clear();
    g_closed.clear();
    g_handles.clear();
    g_cancelTarget = nullptr;
    std::memset(&g_template, 0, sizeof g_template);
    std::strcpy(g_template.time, "20240301101500");
    g_template.majorType = 3;
    g_template.minorType = 80;
}

}  // namespace

extern "C" {
int __real_HD_FILE_FindLog(const char*, int, int, int, const HD_FILE_TIME*, const HD_FILE_TIME*);
int __real_HD_FILE_FindNextLog(int, HD_LOG_RECORD*);
int __real_HD_FILE_FindLogClose(int);

int __wrap_HD_FILE_FindLog(const char* path, int kind, int major, int minor, const HD_FILE_TIME* start,
                           const HD_FILE_TIME* end) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Open o;
    o.path = path;
    o.kind = kind;
    o.major = major;
    o.minor = minor;
    o.hasStart = start != nullptr;
    o.hasEnd = end != nullptr;
    if (start) o.start = *start;
    if (end) o.end = *end;
    g_opens.push_back(o);
    if (!g_counts.count(o.path)) return -1;
    const int h = g_next++;
    g_handles[h] = {o.path, 0};
    return h;
}

int __wrap_HD_FILE_FindNextLog(int handle, HD_LOG_RECORD* record) {
    CLogSearch* cancel = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_handles.find(handle);
        if (it == g_handles.end()) return 0;
        auto& state = it->second;
        if (state.second >= g_counts[state.first]) return 0;
        *record = g_template;
        record->channel = uint8_t(state.second % 200);
        std::snprintf(record->localUser, sizeof record->localUser, "%s", state.first.c_str());
        ++state.second;
        if (g_cancelTarget && state.first == g_cancelIn && state.second == g_cancelAfter) cancel = g_cancelTarget;
    }
    if (cancel) cancel->CancelSearch();  // the operator cancels while this record is in hand
    return 1;
}

int __wrap_HD_FILE_FindLogClose(int handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_closed.push_back(handle);
    return g_handles.erase(handle) ? 1 : 0;
}
}

namespace {

using Table = QList<QList<QStandardItem*> >;

struct Outcome {
    Table rows;
    int nulls = 0;
};

Outcome RunOnce(CLogSearch& search, const QStringList& partitions, LogSearchCondition cond = LogSearchCondition()) {
    Outcome out;
    QObject page;
    QObject::connect(&search, &CLogSearch::signalSetLogInfoToView, &page, [&](Table rows, int, int count) {
        EXPECT_EQ(count, rows.size());
        out.rows = rows;
    });
    QObject::connect(&search, &CLogSearch::signalSetLogInfoNullToView, &page, [&] { ++out.nulls; });
    search.SetDiskPaths(partitions);
    search.SetSearchCondition(cond);
    search.start();
    EXPECT_TRUE(search.wait(60000));
    QCoreApplication::processEvents();
    return out;
}

void Free(Table& rows) {
    for (auto& row : rows) qDeleteAll(row);
    rows.clear();
}

TEST(LogSearchSeam, LimitMarkIsSetOnlyByExactly2000Records) {
    struct Case {
        std::map<std::string, int> counts;
        bool limit;
    } cases[] = {
        {{{"E:\\", 2000}}, true},
        {{{"E:\\", 1999}}, false},
        {{{"E:\\", 2001}}, false},
        {{{"E:\\", 1500}, {"F:\\", 500}}, true},
    };
    for (const Case& c : cases) {
        Reset(c.counts);
        CLogSearch search;
        QStringList partitions;
        int total = 0;
        for (const auto& p : c.counts) {
            partitions << QString::fromStdString(p.first);
            total += p.second;
        }
        Outcome out = RunOnce(search, partitions);
        EXPECT_EQ(out.rows.size(), total);
        EXPECT_EQ(search.IsLimitReached(), c.limit) << total;
        EXPECT_EQ(out.rows.last()[0]->text(), QString::asprintf("%04d", total));
        Free(out.rows);
    }
}

TEST(LogSearchSeam, RunThatFindsNothingKeepsTheLimitMark) {
    Reset({{"E:\\", 2000}, {"F:\\", 0}});
    CLogSearch search;
    Outcome out = RunOnce(search, {"E:\\"});
    Free(out.rows);
    ASSERT_TRUE(search.IsLimitReached());
    out = RunOnce(search, {"F:\\", "G:\\"});  // empty log, and one that does not open
    EXPECT_EQ(out.nulls, 1);
    EXPECT_TRUE(search.IsLimitReached());
}

TEST(LogSearchSeam, CancelEndsOnlyThePartitionBeingRead) {
    Reset({{"E:\\", 50}, {"F:\\", 5}});
    CLogSearch search;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_cancelTarget = &search;
        g_cancelIn = "E:\\";
        g_cancelAfter = 3;
    }
    Outcome out = RunOnce(search, {"E:\\", "F:\\"});
    ASSERT_EQ(out.rows.size(), 3 + 5);
    EXPECT_EQ(out.rows[2][4]->text(), QString("E:\\"));
    EXPECT_EQ(out.rows[3][4]->text(), QString("F:\\"));
    Free(out.rows);
    std::lock_guard<std::mutex> lock(g_mutex);
    EXPECT_EQ(g_closed.size(), 2u);
}

TEST(LogSearchSeam, ConditionIsPassedAndItsTimesAreCopied) {
    Reset({{"\\\\.\\PHYSICALDRIVE2", 1}});
    HD_FILE_TIME from{2024, 3, 1, 8, 0, 0};
    LogSearchCondition cond;
    cond.majorType = 2;
    cond.minorType = 35;
    cond.start = &from;
    CLogSearch search;
    search.SetSearchCondition(cond);
    from.hour = 23;  // the page's record changes after the query was set
    search.SetDiskPaths({"\\\\.\\PHYSICALDRIVE2"});
    search.start();
    ASSERT_TRUE(search.wait(60000));
    std::lock_guard<std::mutex> lock(g_mutex);
    ASSERT_EQ(g_opens.size(), 1u);
    EXPECT_EQ(g_opens[0].path, "\\\\.\\PHYSICALDRIVE2");
    EXPECT_EQ(g_opens[0].kind, 3);
    EXPECT_EQ(g_opens[0].major, 2);
    EXPECT_EQ(g_opens[0].minor, 35);
    EXPECT_TRUE(g_opens[0].hasStart);
    EXPECT_EQ(int{g_opens[0].start.hour}, 8);   // a copy: the record is packed
    EXPECT_FALSE(g_opens[0].hasEnd);
}

TEST(LogSearchSeam, RecordFieldsBecomeCellTexts) {
    struct Case {
        uint32_t major, minor, host, param;
        uint8_t channel, alarmIn, alarmOut, disk;
        const char* local;  // 16 bytes without terminator when 16 long
        QStringList cells;  // columns 2.. 11
    } cases[] = {
        {1, 1, 0, 0, 0, 7, 0, 0, "admin",
         {"Alarm", "Alarm Input", "admin", "", "", QString(QChar(0)), "", "0", "7", ""}},
        {1, 3, 0xC0A80001u, 'R', 4, 0, 0, 2, "0123456789abcdef",
         {"Alarm", "Motion Detection Starts", "0123456789abcdef", "", "192.168.0.1", "R", "4", "2", "", ""}},
        {3, 127, 0x0A000002u, 'A', 9, 0, 5, 0, "",
         {"Operation", "Playback by File Remotely", "", "", "10.0.0.2", "A", "9", "0", "", ""}},
        {1, 2, 0, 0, 0, 0, 3, 0, "x", {"Alarm", "Alarm Output", "x", "", "", QString(QChar(0)), "", "0", "", "3"}},
    };
    for (const Case& c : cases) {
        LogRecord r;
        std::memset(&r, 0, sizeof r);
        std::memcpy(r.time, "20240301101500", 14);
        r.majorType = c.major;
        r.minorType = c.minor;
        r.remoteHost = c.host;
        r.paramType = c.param;
        r.channel = c.channel;
        r.alarmIn = c.alarmIn;
        r.alarmOut = c.alarmOut;
        r.diskNumber = c.disk;
        std::memcpy(r.localUser, c.local, std::strlen(c.local));
        const QList<QStandardItem*> row = CLogSearch::MakeTableRow(12345, CLogSearch::ConvertRecord(r));
        ASSERT_EQ(row.size(), 12);
        QStringList cells;
        for (int i = 2; i < 12; ++i) cells << row[i]->text();
        EXPECT_EQ(cells, c.cells) << c.major << "/" << c.minor;
        EXPECT_EQ(row[0]->text(), QString("12345"));
        EXPECT_EQ(row[1]->text(), QString("2024-03-01 10:15:00"));
        qDeleteAll(row);
    }
}

}  // namespace
