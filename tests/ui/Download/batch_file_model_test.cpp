// SPDX-License-Identifier: GPL-3.0-or-later
// The batch downloader's file table as data: the rows and their texts as the
// row builder makes them, numbered on across channels; the ticks, their
// total size and the header's box that follows them and ticks them all; the
// statuses with their reasons.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include <memory>
#include <vector>

#include "Download/BatchFileModel.h"
#include "Download/DataDistributionThread.h"
#include "kel_test/test_support.h"

using APT_QMR::CSingleFile;

namespace {

struct Batch {
    // Two channels: three files on E:, two on F: (one null entry, no row).
    Batch() {
        const uint32_t t0 = 1709280000;  // 2024-03-01 08:00:00 UTC
        for (int i = 0; i < 5; ++i) {
            const bool second = i >= 3;
            files.emplace_back(new CSingleFile("f" + std::to_string(i) + ".dat", second ? "F:\\" : "E:\\",
                                               1000u * uint32_t(i + 1), t0 + 60u * uint32_t(i),
                                               t0 + 60u * uint32_t(i) + 59, 0, "DVR", second ? 2 : 1));
        }
        DownloadListEntry a;
        a.channelNumber = 1;
        a.files = {files[0].get(), files[1].get(), files[2].get()};
        DownloadListEntry b;
        b.channelNumber = 2;
        b.files = {files[3].get(), nullptr, files[4].get()};
        entries << a << b;
    }
    std::vector<std::unique_ptr<CSingleFile>> files;
    QVector<DownloadListEntry> entries;
};

QString Text(const BatchFileModel& m, int row, int column) { return m.index(row, column).data().toString(); }

int HeaderState(const BatchFileModel& m) { return m.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(); }

}  // namespace

TEST(BatchFileModel, RowsShowWhatTheRowBuilderShows) {
    kel_test::ScopedEnv tz("TZ", "UTC");
    Batch b;
    BatchFileModel m;
    m.setEntries(b.entries);
    ASSERT_EQ(m.rowCount(), 5);
    ASSERT_EQ(m.columnCount(), 7);
    const int channels[5] = {1, 1, 1, 2, 2};
    for (int r = 0; r < 5; ++r) {
        SCOPED_TRACE(r);
        const CSingleFile& f = *b.files[size_t(r)];
        EXPECT_EQ(Text(m, r, 0), QString::number(r + 1));  // on across the channels
        EXPECT_EQ(Text(m, r, 1), QString(r >= 3 ? "F:" : "E:"));
        EXPECT_EQ(m.index(r, 1).data(BatchFileModel::kDiskPathRole).toString(), QString(r >= 3 ? "F:\\" : "E:\\"));
        EXPECT_EQ(Text(m, r, 2), QString::number(channels[r]));
        EXPECT_EQ(Text(m, r, 3), RowTimeText(f.StartTime));
        EXPECT_EQ(Text(m, r, 4), RowTimeText(f.EndTime));
        EXPECT_EQ(Text(m, r, 5), RowSizeText(f.FileSize));
        EXPECT_EQ(Text(m, r, 6), QStringLiteral("Wait"));
        EXPECT_EQ(m.index(r, 0).data(BatchFileModel::kFileSizeRole).toUInt(), f.FileSize);
        EXPECT_EQ(m.index(r, 0).data(BatchFileModel::kFileNameRole).toString(), QString::fromStdString(f.FileName));
        EXPECT_EQ(m.index(r, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        EXPECT_TRUE(m.flags(m.index(r, 0)) & Qt::ItemIsUserCheckable);
        EXPECT_FALSE(m.flags(m.index(r, 3)) & Qt::ItemIsEditable);
        EXPECT_EQ(m.file(r), &f);
    }
    EXPECT_EQ(Text(m, 0, 3), QStringLiteral("2024-03-01 08:00:00"));
    EXPECT_EQ(m.diskTexts(), (QStringList{"E:", "F:"}));
    m.clear();
    EXPECT_EQ(m.rowCount(), 0);
}

TEST(BatchFileModel, TicksSumTheirSizesAndTheHeaderFollowsThem) {
    Batch b;
    BatchFileModel m;
    m.setEntries(b.entries);
    QSignalSpy changed(&m, &BatchFileModel::checkedChanged);
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, BatchFileModel::kHeaderCheckRole).toInt(), 1);
    EXPECT_EQ(HeaderState(m), int(Qt::Unchecked));
    ASSERT_TRUE(m.setData(m.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(HeaderState(m), int(Qt::PartiallyChecked));
    EXPECT_EQ(m.checkedSize(), 2000u);
    EXPECT_EQ(m.checkedCount(), 1);
    // Ticking a ticked row changes nothing.
    m.setChecked(1, true);
    EXPECT_EQ(m.checkedSize(), 2000u);
    EXPECT_EQ(changed.count(), 1);

    // The header's box ticks every row, in one change.
    changed.clear();
    ASSERT_TRUE(m.setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(HeaderState(m), int(Qt::Checked));
    EXPECT_EQ(m.checkedSize(), 15000u);
    for (int r = 0; r < 5; ++r) EXPECT_TRUE(m.isChecked(r)) << r;
    m.setChecked(4, false);
    EXPECT_EQ(HeaderState(m), int(Qt::PartiallyChecked));
    EXPECT_EQ(m.checkedSize(), 10000u);
    m.setHeaderData(0, Qt::Horizontal, int(Qt::Unchecked), Qt::CheckStateRole);
    EXPECT_EQ(HeaderState(m), int(Qt::Unchecked));
    EXPECT_EQ(m.checkedSize(), 0u);
    EXPECT_EQ(m.checkedCount(), 0);

    // A new list starts unticked.
    m.setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    m.setEntries(b.entries);
    EXPECT_EQ(m.checkedSize(), 0u);
    EXPECT_EQ(HeaderState(m), int(Qt::Unchecked));
    // The titles are kept as any model keeps them.
    m.setHeaderData(6, Qt::Horizontal, QStringLiteral("Status"));
    EXPECT_EQ(m.headerData(6, Qt::Horizontal).toString(), QStringLiteral("Status"));
}

TEST(BatchFileModel, StatusesSayWhereEachFileStands) {
    Batch b;
    BatchFileModel m;
    m.setEntries(b.entries);
    QSignalSpy changes(&m, &QAbstractItemModel::dataChanged);
    const struct {
        BatchFileModel::Status status;
        int percent;
        const char* reason;
        const char* text;
    } cases[] = {
        {BatchFileModel::Waiting, 0, "", "Wait"},
        {BatchFileModel::Downloading, 42, "", "Downloading 42%"},
        {BatchFileModel::Downloading, 250, "", "Downloading 100%"},
        {BatchFileModel::Completed, 0, "", "Download Completed"},
        {BatchFileModel::Incomplete, 0, "", "Download Incomplete"},
        {BatchFileModel::Stopped, 0, "", "Manual Stop"},
        {BatchFileModel::Failed, 0, "", "Download Exception"},
        {BatchFileModel::Failed, 0, "recording missing", "Download Exception: recording missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        changes.clear();
        m.setStatus(2, c.status, c.percent, QString::fromUtf8(c.reason));
        EXPECT_EQ(m.status(2), c.status);
        EXPECT_EQ(Text(m, 2, 6), QString::fromUtf8(c.text));
        ASSERT_EQ(changes.count(), 1);
        EXPECT_EQ(changes[0][0].toModelIndex(), m.index(2, 6));
        // The other rows keep theirs.
        EXPECT_EQ(Text(m, 1, 6), QStringLiteral("Wait"));
    }
    // Two rows failing for different reasons keep each their own.
    m.setStatus(0, BatchFileModel::Failed, 0, QStringLiteral("disk full"));
    m.setStatus(1, BatchFileModel::Failed, 0, QStringLiteral("recording missing"));
    EXPECT_EQ(Text(m, 0, 6), QStringLiteral("Download Exception: disk full"));
    EXPECT_EQ(Text(m, 1, 6), QStringLiteral("Download Exception: recording missing"));
}

TEST(BatchFileModel, AHundredThousandRecordsAreRowsAtOnce) {
    // One record per row, no copy of it and no texts made until asked for.
    std::vector<std::unique_ptr<CSingleFile>> files;
    DownloadListEntry e;
    e.channelNumber = 3;
    for (int i = 0; i < 100000; ++i) {
        files.emplace_back(new CSingleFile("x", "E:\\", 64u << 20, 1709280000u + uint32_t(i) * 60u,
                                           1709280000u + uint32_t(i) * 60u + 59, 0, "DVR", 3));
        e.files.push_back(files.back().get());
    }
    BatchFileModel m;
    m.setEntries({e});
    ASSERT_EQ(m.rowCount(), 100000);
    EXPECT_EQ(Text(m, 99999, 0), QStringLiteral("100000"));
    EXPECT_EQ(m.file(99999), files.back().get());
    m.setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    EXPECT_EQ(m.checkedSize(), 100000ull * (64u << 20));
    EXPECT_EQ(m.widestSizeTexts().size(), 3);  // B, KB and MB: no file reaches a GB
}
