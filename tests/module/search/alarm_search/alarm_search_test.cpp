// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm search over generated media, through the hard-disk file library.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>

#include <cstring>
#include <vector>

#include "search/AlarmSearch.h"
#include "search_media.h"

namespace {

using search_test::MediaSet;
using search_test::Medium;

QDateTime Local(uint32_t recorderSeconds) {
    // The recorder's clock reading as the pages show it.
    return QDateTime::fromSecsSinceEpoch(recorderSeconds, Qt::UTC);
}

// What the search should deliver for one medium: channel by channel, in the
// library's order within a channel.
std::vector<COMMON_MSG_INFO> Expected(const Medium& m, const QVector<int>& channels, uint32_t from, uint32_t to) {
    std::vector<COMMON_MSG_INFO> out;
    for (int channel : channels) {
        for (const merrowfen_disk::EventEntry& e : m.info.events) {
            if (e.channel != channel || e.end < from || e.start > to) continue;
            COMMON_MSG_INFO info;
            std::memset(&info, 0, sizeof info);
            info.Channel = channel;
            if (e.majorType == HD_EXTRA_MAJOR_DRIVER_BEHAVIOR) {
                std::memcpy(&info.Body, e.data, sizeof info.Body);
            } else {
                HD_EVENT_DATA d;
                std::memcpy(&d, e.data, sizeof d);
                info.Body.StartTime = d.startTime;
                info.Body.EndTime = d.endTime;
                info.Body.Type = e.majorType;
            }
            out.push_back(info);
        }
    }
    return out;
}

std::vector<COMMON_MSG_INFO> RunSearch(const QStringList& disks, const QDateTime& start, const QDateTime& end,
                                       const QVector<int>& channels) {
    QObject page;
    auto* search = new CAlarmSearch(&page);
    std::vector<COMMON_MSG_INFO> got;
    int delivered = 0;
    // Received on this thread, as the alarm page receives it.
    QObject::connect(search, &CAlarmSearch::signalAlarmInfo, &page, [&](std::vector<COMMON_MSG_INFO> v) {
        got = v;
        ++delivered;
    });
    search->SetSearchCondition(disks, start, end, channels);
    search->start(QThread::InheritPriority);
    EXPECT_TRUE(search->wait(60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 1);
    return got;
}

void ExpectSame(const std::vector<COMMON_MSG_INFO>& got, const std::vector<COMMON_MSG_INFO>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Channel, want[i].Channel) << i;
        EXPECT_EQ(got[i].Body.Type, want[i].Body.Type) << i;
        EXPECT_EQ(got[i].Body.StartTime, want[i].Body.StartTime) << i;
        EXPECT_EQ(got[i].Body.EndTime, want[i].Body.EndTime) << i;
        EXPECT_EQ(std::memcmp(&got[i], &want[i], sizeof got[i]), 0) << i;
    }
}

TEST(AlarmSearch, FindsTheAlarmsOfADayWithTheirTypesAndTimes) {
    MediaSet media;
    Medium* m = media.Add(4, 6, 11);
    ASSERT_NE(m, nullptr);
    ASSERT_FALSE(m->info.events.empty());
    const QVector<int> channels{3, 1, 2, 4};
    const uint32_t day = m->info.firstDay;
    const auto got = RunSearch({QString::fromStdString(m->physical)}, Local(day), Local(day + 86399), channels);
    ASSERT_FALSE(got.empty());
    ExpectSame(got, Expected(*m, channels, day, day + 86399));

    bool behaviour = false, event = false;
    for (const COMMON_MSG_INFO& a : got) {
        if (a.Body.Type >= 1 && a.Body.Type <= 14) behaviour = true;
        if (a.Body.Type == 4098 || a.Body.Type == 4113 || a.Body.Type == 4114) event = true;
    }
    EXPECT_TRUE(behaviour);
    EXPECT_TRUE(event);
}

// Event and behaviour times are the recorder's clock whatever this machine's
// time zone.
TEST(AlarmSearch, EventTimesAreRecorderTimesInAnyZone) {
    for (const char* zoneName : {"JST-9", "Europe/Berlin"}) {
        SCOPED_TRACE(zoneName);
        kel_test::ScopedTimeZone zone(zoneName);
        MediaSet media;
        Medium* m = media.Add(2, 6, 12);
        ASSERT_NE(m, nullptr);
        const uint32_t day = m->info.firstDay;
        const QVector<int> channels{1, 2};
        const auto got = RunSearch({QString::fromStdString(m->physical)}, Local(day), Local(day + 86399), channels);
        const auto want = Expected(*m, channels, day, day + 86399);
        ExpectSame(got, want);
        int events = 0;
        for (const COMMON_MSG_INFO& a : got) {
            if (a.Body.Type <= 14) continue;
            bool match = false;
            for (const auto& e : m->info.events)
                match = match || (e.majorType == a.Body.Type && e.channel == a.Channel && e.start == a.Body.StartTime);
            EXPECT_TRUE(match) << a.Body.StartTime;
            ++events;
        }
        EXPECT_GT(events, 0);
    }
}

TEST(AlarmSearch, NarrowRangeAndSeveralDisks) {
    MediaSet media;
    Medium* a = media.Add(2, 8, 21);
    Medium* b = media.Add(2, 8, 22);
    ASSERT_TRUE(a && b);
    const uint32_t day = a->info.firstDay;
    const uint32_t from = day + 8 * 3600 + 120, to = day + 8 * 3600 + 400;
    const QVector<int> channels{2};
    const auto got = RunSearch({QString::fromStdString(a->physical), QString::fromStdString(b->physical)}, Local(from),
                               Local(to), channels);
    // One library search over both disks: the first disk's records, then the second's.
    std::vector<COMMON_MSG_INFO> want = Expected(*a, channels, from, to);
    const auto second = Expected(*b, channels, from, to);
    want.insert(want.end(), second.begin(), second.end());
    ExpectSame(got, want);
}

TEST(AlarmSearch, DiskWithoutMediumGivesAnEmptyResult) {
    MediaSet media;
    ASSERT_NE(media.Add(1, 2, 31), nullptr);
    const auto got = RunSearch({"\\\\.\\PHYSICALDRIVE9"}, QDateTime(QDate(2024, 3, 1), QTime(0, 0)),
                               QDateTime(QDate(2024, 3, 1), QTime(23, 59, 59)), {1});
    EXPECT_TRUE(got.empty());
}

}  // namespace
