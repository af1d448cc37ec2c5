// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm clip search over generated media, through the hard-disk file
// library.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <memory>
#include <vector>

#include "search/AlarmClipSearchThread.h"
#include "module/search/alarm_search/search_media.h"

namespace {

using search_test::MediaSet;
using search_test::Medium;

struct Expect {
    uint32_t start;
    uint32_t end;
    uint32_t size;
    std::string disk;
};

std::vector<Expect> Overlapping(const Medium& m, int channel, uint32_t from, uint32_t to) {
    std::vector<Expect> out;
    for (const recmedia::PlannedRecording& r : m.info.recordings)
        if (r.channel == channel && r.end >= from && r.start <= to) out.push_back({r.start, r.end, r.size, m.physical});
    return out;
}

QVector<ChannelFiles*> Search(CAlarmSearchThread& thread, const QStringList& disks, uint32_t from, uint32_t to,
                              int channel) {
    QObject page;
    QVector<ChannelFiles*> results;
    int finished = 0;
    // As the alarm page does: take the results in the slot of the end signal.
    QObject::connect(&thread, &CAlarmSearchThread::signalSendWriteOver, &page, [&] {
        thread.GetResults(results);
        ++finished;
    });
    thread.SetSearchMode(1);
    thread.StartSearch(disks, {time_t(from), time_t(to)}, channel);
    EXPECT_TRUE(thread.wait(60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 1);
    return results;
}

void Free(QVector<ChannelFiles*>& results) {
    for (ChannelFiles* c : results) {
        for (APT_QMR::CSingleFile* f : c->SingleFileList) delete f;
        delete c;
    }
    results.clear();
}

TEST(AlarmClipSearch, FindsTheRecordingsOfTheAlarmSpanOnEveryDisk) {
    MediaSet media;
    Medium* a = media.Add(4, 6, 41);
    Medium* b = media.Add(4, 6, 42);
    ASSERT_TRUE(a && b);
    const uint32_t day = a->info.firstDay;
    // Channel 3, 08:00:35 to 08:02:05: the first two recordings of the channel
    // on each disk (60 s recordings, 30 s apart).
    const uint32_t from = day + 8 * 3600 + 35, to = day + 8 * 3600 + 125;
    std::vector<Expect> want = Overlapping(*a, 3, from, to);
    const auto second = Overlapping(*b, 3, from, to);
    want.insert(want.end(), second.begin(), second.end());
    std::stable_sort(want.begin(), want.end(), [](const Expect& x, const Expect& y) { return x.start < y.start; });
    ASSERT_EQ(want.size(), 4u);

    CAlarmSearchThread thread;
    QVector<ChannelFiles*> results =
        Search(thread, {QString::fromStdString(a->physical), QString::fromStdString(b->physical)}, from, to, 3);
    ASSERT_EQ(results.size(), 1);
    const ChannelFiles& c = *results[0];
    EXPECT_EQ(c.DeviceName, QString("DVR Video"));
    EXPECT_TRUE(c.DiskName.isEmpty());
    EXPECT_EQ(c.ChannelInfo.GetChannelNumber(), 3);
    EXPECT_EQ(c.ChannelInfo.GetDevice(), QString("NULLNULL"));
    EXPECT_FALSE(c.ChannelInfo.GetRbs());
    ASSERT_EQ(c.SingleFileList.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        const APT_QMR::CSingleFile& f = *c.SingleFileList[i];
        EXPECT_EQ(f.StartTime, want[i].start) << i;
        EXPECT_EQ(f.EndTime, want[i].end) << i;
        EXPECT_EQ(f.SearchStartTime, want[i].start) << i;
        EXPECT_EQ(f.FileSize, want[i].size) << i;
        EXPECT_EQ(f.ChannelNumber, 3);
        EXPECT_FALSE(f.FileName.empty());
        EXPECT_TRUE(f.DiskName == a->physical || f.DiskName == b->physical) << f.DiskName;
    }
    // Both disks contributed.
    EXPECT_TRUE(std::any_of(c.SingleFileList.begin(), c.SingleFileList.end(),
                            [&](const APT_QMR::CSingleFile* f) { return f->DiskName == b->physical; }));
    Free(results);

    // A later search of the same thread starts afresh.
    results = Search(thread, {QString::fromStdString(a->physical)}, day + 8 * 3600 + 35, day + 8 * 3600 + 40, 1);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0]->ChannelInfo.GetChannelNumber(), 1);
    EXPECT_EQ(results[0]->SingleFileList.size(), 1u);
    Free(results);
}

TEST(AlarmClipSearch, RecordTypesOfTheFoundFiles) {
    MediaSet media;
    Medium* m = media.Add(4, 24, 43);
    ASSERT_NE(m, nullptr);
    const uint32_t day = m->info.firstDay;
    CAlarmSearchThread thread;
    QVector<ChannelFiles*> results = Search(thread, {QString::fromStdString(m->physical)}, day, day + 86399, 2);
    ASSERT_EQ(results.size(), 1);
    std::vector<recmedia::PlannedRecording> want;
    for (const auto& r : m->info.recordings)
        if (r.channel == 2) want.push_back(r);
    ASSERT_EQ(results[0]->SingleFileList.size(), want.size());
    bool catalogued = false;
    for (size_t i = 0; i < want.size(); ++i) {
        const APT_QMR::CSingleFile& f = *results[0]->SingleFileList[i];
        if (want[i].recordType <= 9) {
            EXPECT_EQ(f.SubType, int(want[i].recordType));
            EXPECT_EQ(f.EnforceMode, 0u);
        } else {
            catalogued = true;
            EXPECT_EQ(f.EnforceMode, 1u);
            EXPECT_EQ(f.SubFileType, int(want[i].recordType));
        }
        EXPECT_EQ(f.FileType, want[i].fileType);
    }
    EXPECT_TRUE(catalogued);
    Free(results);
}

}  // namespace
