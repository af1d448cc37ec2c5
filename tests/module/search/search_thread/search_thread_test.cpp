// SPDX-License-Identifier: GPL-3.0-or-later
// The record search over generated media of both disk families.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "search/RecordTypeCatalogue.h"
#include "search/SearchThread.h"
#include "search_media.h"
#include "signal_counter.h"
#include "ziraz/ziraz.h"

using namespace search_test;

namespace {

struct Results {
    QVector<ChannelFiles*> records;
    ~Results() {
        for (ChannelFiles* r : records) {
            for (APT_QMR::CSingleFile* f : r->SingleFileList) delete f;
            delete r;
        }
    }
};

// Runs one search to its end; false when it did not end or signal once.
bool RunSearch(SearchThread& thread, const QStringList& disks, std::vector<time_t> times, Results* out) {
    SignalCounter ended(&thread, &SearchThread::signalSendWriteOver);
    thread.setSearchMode(-1);
    thread.startSearch(disks, times);
    if (!thread.wait(180000)) return false;
    const bool once = ended.count() == 1;
    thread.getResults(out->records);
    return once;
}

// The record-type fields a found code must give.
void ExpectRecordType(const APT_QMR::CSingleFile& f, uint32_t code) {
    if (code <= 9) {
        EXPECT_EQ(f.SubType, static_cast<int>(code));
        EXPECT_EQ(f.EnforceMode, 0u);
        EXPECT_EQ(f.SubFileType, 0);
        return;
    }
    int mask = 0;
    ASSERT_TRUE(findRecordTypeMask(static_cast<int>(code), &mask)) << code;
    EXPECT_EQ(f.SubType, RecordTypeCategoryOfMask(mask));
    EXPECT_EQ(f.EnforceMode, 1u);
    EXPECT_EQ(f.SubFileType, static_cast<int>(code));
}

}  // namespace

TEST(SearchThreadMedia, ListsTheDayPerChannelWithRecordTypes) {
    MediaSet media;
    for (int family : {1, 2}) {
        SCOPED_TRACE(family);
        Medium* m = media.Add(family, 3, 6, 30);
        ASSERT_TRUE(m);
        SearchThread thread;
        Results results;
        const time_t noon = m->info.firstDay + 12 * 3600;
        ASSERT_TRUE(RunSearch(thread, {QString::fromStdString(m->root)}, {noon, noon}, &results));

        ASSERT_EQ(results.records.size(), 3);
        int enforced = 0;
        for (int i = 0; i < 3; ++i) {
            const ChannelFiles& r = *results.records[i];
            EXPECT_EQ(r.ChannelInfo.GetChannelNumber(), i + 1);
            EXPECT_EQ(r.ChannelInfo.GetDevice(), "NULLNULL");
            EXPECT_FALSE(r.ChannelInfo.GetRbs());
            EXPECT_EQ(r.DeviceName, "DVR Video");
            EXPECT_TRUE(r.DiskName.isEmpty());
            ASSERT_EQ(r.SingleFileList.size(), 6u);
            std::vector<const recmedia::PlannedRecording*> planned;
            for (const auto& p : m->info.recordings)
                if (p.channel == i + 1) planned.push_back(&p);
            ASSERT_EQ(planned.size(), 6u);
            for (size_t k = 0; k < planned.size(); ++k) {
                const APT_QMR::CSingleFile& f = *r.SingleFileList[k];
                EXPECT_EQ(f.StartTime, planned[k]->start);
                EXPECT_EQ(f.SearchStartTime, planned[k]->start);
                EXPECT_EQ(f.EndTime, planned[k]->end);
                EXPECT_EQ(f.FileSize, planned[k]->size);
                EXPECT_EQ(f.ChannelNumber, i + 1);
                EXPECT_EQ(f.DiskName, m->root);
                EXPECT_TRUE(f.DeviceName.empty());
                EXPECT_FALSE(f.FileName.empty());
                // The storage library of the first family reports no codes.
                ExpectRecordType(f, family == 1 ? 0u : planned[k]->recordType);
                enforced += f.EnforceMode == 1u;
            }
        }
        if (family == 2) {
            EXPECT_GT(enforced, 0) << "the sample medium should carry catalogued codes";
        }
    }
}

TEST(SearchThreadMedia, MergesChannelsOfSeveralDisksByStartTime) {
    MediaSet media;
    Medium* a = media.Add(2, 2, 2, 60, 8 * 3600);
    Medium* b = media.Add(1, 3, 2, 60, 8 * 3600 + 30);
    ASSERT_TRUE(a && b);
    SearchThread thread;
    Results results;
    const time_t day = a->info.firstDay;
    // Two searches' worth of days: the first and the last value give the range.
    ASSERT_TRUE(RunSearch(thread, {QString::fromStdString(b->root), QString::fromStdString(a->root)},
                          {day + 3600, day + 7200, day + 5000}, &results));
    ASSERT_EQ(results.records.size(), 3);
    const ChannelFiles& ch1 = *results.records[0];
    ASSERT_EQ(ch1.SingleFileList.size(), 4u);
    std::vector<std::string> disks;
    for (size_t k = 0; k < 4; ++k) {
        disks.push_back(ch1.SingleFileList[k]->DiskName);
        if (k) {
            EXPECT_LE(ch1.SingleFileList[k - 1]->StartTime, ch1.SingleFileList[k]->StartTime);
        }
    }
    EXPECT_EQ(disks, (std::vector<std::string>{a->root, b->root, a->root, b->root}));
    EXPECT_EQ(results.records[2]->ChannelInfo.GetChannelNumber(), 3);
    EXPECT_EQ(results.records[2]->SingleFileList.size(), 2u);

    // A day without recordings: nothing, and the signal still comes.
    Results none;
    ASSERT_TRUE(RunSearch(thread, {QString::fromStdString(a->root)}, {day + 5 * 86400, day + 5 * 86400}, &none));
    EXPECT_TRUE(none.records.isEmpty());
}

TEST(SearchThreadMedia, CopiesTheDaysPicturesIntoTargetAndOther) {
    MediaSet media;
    Medium* m = media.Add(2, 3, 2, 20, 9 * 3600, true);
    ASSERT_TRUE(m);
    const QString target = ziraz::GetTargetPath() + "Target";
    const QString other = ziraz::GetTargetPath() + "Other";
    ASSERT_TRUE(kel_test::WriteFile(target + "/old.jpg", "old"));
    ASSERT_TRUE(kel_test::WriteFile(other + "/sub/older.jpg", "older"));

    SearchThread thread;
    thread.setCopyPictures(true);
    Results results;
    const time_t day = m->info.firstDay;
    ASSERT_TRUE(RunSearch(thread, {QString::fromStdString(m->root), "\\\\.\\PHYSICALDRIVE1"}, {day, day}, &results));
    EXPECT_EQ(results.records.size(), 3);

    const QStringList inTarget = FilesOf(target);
    const QStringList inOther = FilesOf(other);
    ASSERT_EQ(inTarget.size(), 2) << inTarget.join(",").toStdString();
    ASSERT_EQ(inOther.size(), 4) << inOther.join(",").toStdString();
    for (const QString& name : inTarget) EXPECT_TRUE(name.startsWith("ch01_")) << name.toStdString();
    for (const QString& name : inOther) EXPECT_FALSE(name.startsWith("ch01_")) << name.toStdString();
    EXPECT_FALSE(QDir(other + "/sub").exists());
}
