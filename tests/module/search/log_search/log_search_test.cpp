// SPDX-License-Identifier: GPL-3.0-or-later
// The log search over generated media, through the hard-disk file library.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <vector>

#include "search/LogSearch.h"
#include "module/search/alarm_search/search_media.h"

namespace {

using search_test::MediaSet;
using search_test::Medium;

using Table = QList<QList<QStandardItem*> >;

struct Outcome {
    Table rows;
    int count = -1;
    int nulls = 0;
};

Outcome RunSearch(CLogSearch& search, const QStringList& partitions, const LogSearchCondition& cond) {
    Outcome out;
    QObject page;
    QObject::connect(&search, &CLogSearch::signalSetLogInfoToView, &page, [&](Table rows, int first, int count) {
        EXPECT_EQ(first, 0);
        out.rows = rows;
        out.count = count;
    });
    QObject::connect(&search, &CLogSearch::signalSetLogInfoNullToView, &page, [&] { ++out.nulls; });
    search.SetDiskPaths(partitions);
    search.SetSearchCondition(cond);
    search.start(QThread::InheritPriority);
    EXPECT_TRUE(search.wait(60000));
    QCoreApplication::processEvents();
    return out;
}

void Free(Table& rows) {
    for (auto& row : rows) qDeleteAll(row);
    rows.clear();
}

std::vector<HD_LOG_RECORD> Sorted(std::vector<HD_LOG_RECORD> logs) {
    std::stable_sort(logs.begin(), logs.end(),
                     [](const HD_LOG_RECORD& a, const HD_LOG_RECORD& b) { return std::strncmp(a.time, b.time, 16) < 0; });
    return logs;
}

QStringList Texts(const QList<QStandardItem*>& row) {
    QStringList out;
    for (QStandardItem* item : row) out << item->text();
    return out;
}

TEST(LogSearch, FindsEveryLogOfBothPartitionsAsTableRows) {
    MediaSet media;
    Medium* a = media.Add(2, 2, 51);
    Medium* b = media.Add(3, 2, 52);
    ASSERT_TRUE(a && b);
    std::vector<HD_LOG_RECORD> want = Sorted(a->info.logs);
    const auto second = Sorted(b->info.logs);
    want.insert(want.end(), second.begin(), second.end());
    ASSERT_GT(want.size(), 10u);

    CLogSearch search;
    LogSearchCondition cond;  // any type, open period
    Outcome out = RunSearch(search, {QString::fromStdString(a->root), QString::fromStdString(b->physical)}, cond);
    ASSERT_EQ(out.count, int(want.size()));
    ASSERT_EQ(out.rows.size(), int(want.size()));
    EXPECT_EQ(out.nulls, 0);
    EXPECT_FALSE(search.IsLimitReached());

    for (int i = 0; i < out.rows.size(); ++i) {
        const HD_LOG_RECORD& r = want[size_t(i)];
        const QStringList cells = Texts(out.rows[i]);
        ASSERT_EQ(cells.size(), 12);
        EXPECT_EQ(cells[0], QString::asprintf("%04d", i + 1));
        const QString time = QString::fromLatin1(r.time);
        EXPECT_EQ(cells[1], time.mid(0, 4) + "-" + time.mid(4, 2) + "-" + time.mid(6, 2) + " " + time.mid(8, 2) + ":" +
                                time.mid(10, 2) + ":" + time.mid(12, 2));
        const LogRow row = CLogSearch::ConvertRecord(r);
        EXPECT_EQ(cells, (QStringList{cells[0], row.time, row.majorType, row.minorType, row.localOperator,
                                      row.remoteOperator, row.remoteHost, row.parameterType, row.channel,
                                      row.diskNumber, row.alarmIn, row.alarmOut}));
        EXPECT_FALSE(out.rows[i][1]->isEditable());
        EXPECT_EQ(out.rows[i][1]->textAlignment(), Qt::AlignLeft | Qt::AlignVCenter);
    }
    // A remote operation shows its host and operator; a local one has neither.
    bool remote = false;
    for (int i = 0; i < out.rows.size(); ++i) {
        const HD_LOG_RECORD& r = want[size_t(i)];
        const QStringList cells = Texts(out.rows[i]);
        if (r.remoteHost != 0) {
            remote = true;
            EXPECT_TRUE(cells[6].startsWith("192.168.1.")) << cells[6].toStdString();
            EXPECT_EQ(cells[5], QString("operator"));
        } else {
            EXPECT_TRUE(cells[6].isEmpty());
            EXPECT_EQ(cells[4], QString("admin"));
        }
    }
    EXPECT_TRUE(remote);

    // Rows have been handed over; the records are gone.
    std::vector<LogRecord> held(3);
    EXPECT_TRUE(search.GetLogRecords(held));
    EXPECT_TRUE(held.empty());
    Free(out.rows);
}

TEST(LogSearch, FiltersByTypeAndPeriod) {
    MediaSet media;
    Medium* m = media.Add(2, 2, 53, 2);
    ASSERT_NE(m, nullptr);
    // Operations of the second day only.
    const HD_FILE_TIME from{2024, 3, 2, 0, 0, 0}, to{2024, 3, 2, 23, 59, 59};
    std::vector<HD_LOG_RECORD> want;
    for (const HD_LOG_RECORD& r : Sorted(m->info.logs))
        if (r.majorType == 3 && std::strncmp(r.time, "20240302", 8) == 0) want.push_back(r);
    ASSERT_FALSE(want.empty());

    CLogSearch search;
    LogSearchCondition cond;
    cond.majorType = 3;
    cond.start = &from;
    cond.end = &to;
    Outcome out = RunSearch(search, {QString::fromStdString(m->root)}, cond);
    ASSERT_EQ(out.rows.size(), int(want.size()));
    for (int i = 0; i < out.rows.size(); ++i) {
        EXPECT_EQ(out.rows[i][2]->text(), QString("Operation"));
        EXPECT_EQ(out.rows[i][3]->text(), CLogSearch::ConvertRecord(want[size_t(i)]).minorType);
        EXPECT_TRUE(out.rows[i][1]->text().startsWith("2024-03-02"));
    }
    Free(out.rows);

    // A minor type no record has: nothing found.
    cond.minorType = 9999;
    out = RunSearch(search, {QString::fromStdString(m->root)}, cond);
    EXPECT_EQ(out.nulls, 1);
    EXPECT_TRUE(out.rows.isEmpty());
}

TEST(LogSearch, NothingToSearchReportsNoLog) {
    MediaSet media;
    Medium* m = media.Add(1, 1, 54);
    ASSERT_NE(m, nullptr);
    CLogSearch search;
    std::vector<LogRecord> held;
    EXPECT_FALSE(search.GetLogRecords(held));

    Outcome out = RunSearch(search, {}, LogSearchCondition());
    EXPECT_EQ(out.nulls, 1);
    // A partition without a recorder log.
    out = RunSearch(search, {"Q:\\"}, LogSearchCondition());
    EXPECT_EQ(out.nulls, 1);
    EXPECT_FALSE(search.GetLogRecords(held));
}

}  // namespace
