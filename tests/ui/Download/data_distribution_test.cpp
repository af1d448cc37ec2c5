// SPDX-License-Identifier: GPL-3.0-or-later
// The download row builder: one row per file, handed over with progress
// before each, in both forms, a bounded number of rows ahead of the
// receiver; release on destruction.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QStandardItemModel>

#include <atomic>
#include <memory>
#include <vector>

#include "Download/DataDistributionThread.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"
#include "ziraz/ziraz.h"

using APT_QMR::CSingleFile;

namespace {

std::unique_ptr<CSingleFile> File(const char* name, uint32_t size, uint32_t start, const char* disk = "E:\\") {
    return std::unique_ptr<CSingleFile>(new CSingleFile(name, disk, size, start, start + 60, 0, "DVR", 1));
}

// Takes the rows the way the dialogs do: append, then release the builder.
class Receiver : public QObject {
public:
    explicit Receiver(CDataDistributionThread& builder) {
        connect(&builder, &CDataDistributionThread::SignalProgressChanged, this,
                [this](int i, int n) { progress.emplace_back(i, n); }, Qt::QueuedConnection);
        connect(&builder, &CDataDistributionThread::SignalSendItems, this, [this, &builder](const QList<QStandardItem*>& row) {
            model.appendRow(row);
            builder.OnStartNow();
        });
        connect(&builder, &CDataDistributionThread::SendFinished, this, [this] { finished = true; });
    }
    bool Wait() {
        QElapsedTimer t;
        t.start();
        while (!finished && t.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        return finished;
    }
    QStandardItemModel model;
    std::vector<std::pair<int, int>> progress;
    bool finished = false;
};

}  // namespace

TEST(DataDistributionThread, FileListRowsInOrderWithProgress) {
    // A folder of exported files is shown as it stands (drives: see the
    // download dialog's test).
    const auto a = File("rec/one.mp4", 1048576, 0, "/srv/exported");
    const auto b = File("rec/two.mp4", 512, 1709280000, "/srv/exported");
    CDataDistributionThread builder(std::vector<CSingleFile*>{a.get(), b.get()});
    Receiver r(builder);
    builder.startThread();
    ASSERT_TRUE(r.Wait());
    ASSERT_TRUE(builder.wait(60000));
    EXPECT_EQ(r.progress, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));
    ASSERT_EQ(r.model.rowCount(), 2);
    ASSERT_EQ(r.model.columnCount(), 6);
    QStandardItem* number = r.model.item(0, 0);
    EXPECT_EQ(number->text(), "1");
    EXPECT_TRUE(number->isCheckable());
    EXPECT_EQ(number->checkState(), Qt::Unchecked);
    EXPECT_EQ(number->data(CDataDistributionThread::kFileSizeRole).toUInt(), 1048576u);
    EXPECT_EQ(number->data(CDataDistributionThread::kFileNameRole).toString(), "rec/one.mp4");
    EXPECT_EQ(r.model.item(0, 1)->text(), "/srv/exported");
    EXPECT_FALSE(r.model.item(0, 1)->isEditable());
    // Recorder time: second 0 is 1970-01-01 00:00:00 of the recorder's clock.
    EXPECT_EQ(r.model.item(0, 2)->text(), "1970-01-01 00:00:00");
    EXPECT_EQ(r.model.item(0, 3)->text(), "1970-01-01 00:01:00");
    EXPECT_EQ(r.model.item(0, 4)->text(), ziraz::GetFileSize(1048576, QString(), 2));
    EXPECT_EQ(r.model.item(0, 5)->text(), "Wait");
    EXPECT_FALSE(r.model.item(0, 5)->isEditable());
    EXPECT_EQ(r.model.item(1, 0)->text(), "2");
    EXPECT_EQ(r.model.item(1, 2)->text(), "2024-03-01 08:00:00");
}

// The start and end texts are the recorder's clock readings whatever the
// zone of the PC, also on days its clock changes and in zones a half hour
// off: the hour Europe/Berlin skips on 2024-03-31 is shown as recorded.
TEST(DataDistributionThread, TimeTextsAreRecorderClockReadingsInAnyZone) {
    const uint32_t times[] = {0u,          1711852200u /* 2024-03-31 02:30 */, 1711846800u, 1729987199u, 1729987200u,
                              1729990799u, 1729990800u, 1709280000u, 2147483647u, 4294967200u};
    for (const char* zone : {"UTC", "Europe/Berlin", "Australia/Lord_Howe", "Asia/Kathmandu"}) {
        SCOPED_TRACE(zone);
        kel_test::ScopedTimeZone tz(zone);
        std::vector<std::unique_ptr<CSingleFile>> files;
        std::vector<CSingleFile*> list;
        for (uint32_t t : times) {
            files.emplace_back(new CSingleFile("f.mp4", "E:\\", 1, t, t + 59, 0, "DVR", 1));
            list.push_back(files.back().get());
        }
        CDataDistributionThread builder(list);
        Receiver r(builder);
        builder.startThread();
        ASSERT_TRUE(r.Wait());
        ASSERT_EQ(r.model.rowCount(), int(list.size()));
        for (int i = 0; i < r.model.rowCount(); ++i) {
            const uint32_t t = times[i];
            EXPECT_EQ(r.model.item(i, 2)->text(),
                      QDateTime::fromSecsSinceEpoch(t, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss")) << t;
            EXPECT_EQ(r.model.item(i, 3)->text(),
                      QDateTime::fromSecsSinceEpoch(qint64(t) + 59, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss")) << t;
        }
    }
}

TEST(DataDistributionThread, ChannelListNumbersEachChannelFromOne) {
    // E: on no known drive, whatever this machine mounts meanwhile.
    struct Reload {
        ~Reload() { wincompat::ReloadDriveTable(); }
    } reloadAtTheEnd;
    const QString table = kel_test::ProgramFolder() + "/drives.txt";
    kel_test::WriteFile(table, QString("letter E - fixed ext4 %1\n").arg(kel_test::ProgramFolder()).toUtf8());
    kel_test::ScopedEnv drives("KEL_DRIVES", table.toStdString());
    wincompat::ReloadDriveTable();
    std::vector<std::unique_ptr<CSingleFile>> files;
    for (int i = 0; i < 5; ++i) files.push_back(File("f.mp4", 100, 1000 + i, i < 3 ? "E:\\" : "\\\\.\\PHYSICALDRIVE2"));
    QVector<DownloadListEntry> channels(2);
    channels[0].channelNumber = 3;
    channels[1].channelNumber = 7;
    for (int i = 0; i < 3; ++i) channels[0].files.push_back(files[i].get());
    for (int i = 3; i < 5; ++i) channels[1].files.push_back(files[i].get());
    CDataDistributionThread builder(channels);
    EXPECT_EQ(builder.mode(), 1);
    Receiver r(builder);
    builder.startThread();
    ASSERT_TRUE(r.Wait());
    EXPECT_EQ(r.progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {0, 2}, {1, 2}}));
    ASSERT_EQ(r.model.rowCount(), 5);
    ASSERT_EQ(r.model.columnCount(), 7);
    const char* numbers[5] = {"1", "2", "3", "1", "2"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.model.item(i, 0)->text(), numbers[i]);
    // The disk as the search panel shows it; the path it was found on beside.
    EXPECT_EQ(r.model.item(0, 1)->text(), "E:");
    EXPECT_EQ(r.model.item(0, 1)->data(CDataDistributionThread::kDiskPathRole).toString(), "E:\\");
    EXPECT_EQ(r.model.item(4, 1)->text(), "Disk 2");
    EXPECT_EQ(r.model.item(4, 1)->data(CDataDistributionThread::kDiskPathRole).toString(), "\\\\.\\PHYSICALDRIVE2");
    EXPECT_EQ(r.model.item(0, 2)->text(), "3");
    EXPECT_EQ(r.model.item(4, 2)->text(), "7");
    EXPECT_EQ(r.model.item(4, 6)->text(), "Wait");
}

TEST(DataDistributionThread, EmptyListsOnlyFinish) {
    CDataDistributionThread a(std::vector<CSingleFile*>{});
    Receiver ra(a);
    a.startThread();
    ASSERT_TRUE(ra.Wait());
    EXPECT_EQ(ra.model.rowCount(), 0);
    EXPECT_TRUE(ra.progress.empty());

    QVector<DownloadListEntry> empty(2);
    CDataDistributionThread b(empty);
    Receiver rb(b);
    b.startThread();
    ASSERT_TRUE(rb.Wait());
    EXPECT_EQ(rb.model.rowCount(), 0);
}

TEST(DataDistributionThread, DestroyingAWaitingBuilderSendsTheRestAndEnds) {
    const int count = CDataDistributionThread::kRowsInFlight + 4;
    std::vector<std::unique_ptr<CSingleFile>> files;
    std::vector<CSingleFile*> list;
    for (int i = 0; i < count; ++i) {
        files.push_back(File("f.mp4", 10, 100 + i));
        list.push_back(files.back().get());
    }
    // Written by the builder's thread, read here while it runs.
    std::atomic<int> rows{0};
    std::atomic<bool> finished{false};
    {
        CDataDistributionThread builder(list);
        // Nobody reports a row taken: the worker waits once it is the most
        // rows ahead it may be.
        QObject::connect(&builder, &CDataDistributionThread::SignalSendItems, &builder,
                         [&rows](const QList<QStandardItem*>& row) {
                             ++rows;
                             qDeleteAll(row);
                         }, Qt::DirectConnection);
        QObject::connect(&builder, &CDataDistributionThread::SendFinished, &builder, [&finished] { finished = true; },
                         Qt::DirectConnection);
        builder.startThread();
        QElapsedTimer t;
        t.start();
        while (builder.rowsInFlight() < CDataDistributionThread::kRowsInFlight && t.elapsed() < 60000)
            QThread::yieldCurrentThread();
        EXPECT_EQ(rows.load(), CDataDistributionThread::kRowsInFlight);
    }
    EXPECT_EQ(rows.load(), count);
    EXPECT_TRUE(finished.load());
}

// A long list: every row arrives, in order, and the worker is never more
// than kRowsInFlight rows ahead of the rows reported taken (so the receiver's
// queue stays short), whether the receiver keeps up or lags behind.
TEST(DataDistributionThread, LongListsStayAFixedNumberOfRowsAhead) {
    const int count = CDataDistributionThread::kRowsInFlight * 8 + 3;
    std::vector<std::unique_ptr<CSingleFile>> files;
    std::vector<CSingleFile*> list;
    for (int i = 0; i < count; ++i) {
        files.push_back(File("f.mp4", uint32_t(i), 1000 + i));
        list.push_back(files.back().get());
    }
    for (const bool lagging : {false, true}) {
        SCOPED_TRACE(lagging ? "receiver reports in bursts" : "receiver reports each row");
        CDataDistributionThread builder(list);
        std::atomic<int> sent{0};
        std::atomic<int> taken{0};
        std::atomic<int> mostAhead{0};
        QObject::connect(&builder, &CDataDistributionThread::SignalSendItems, &builder,
                         [&](const QList<QStandardItem*>&) {
                             const int ahead = ++sent - taken.load();
                             if (ahead > mostAhead.load()) mostAhead = ahead;
                         }, Qt::DirectConnection);
        QStandardItemModel model;
        std::vector<QList<QStandardItem*>> untaken;
        bool finished = false;
        QObject receiver;
        QObject::connect(&builder, &CDataDistributionThread::SignalSendItems, &receiver,
                         [&](const QList<QStandardItem*>& row) {
                             untaken.push_back(row);
                             // The lagging receiver takes its rows only once it
                             // holds every row in flight and more than half the
                             // limit (the worker may then be waiting for it).
                             const int held = int(untaken.size());
                             if (lagging && sent.load() < count &&
                                 (held <= CDataDistributionThread::kRowsInFlight / 2 || held < builder.rowsInFlight()))
                                 return;
                             for (const QList<QStandardItem*>& r : untaken) {
                                 model.appendRow(r);
                                 ++taken;
                                 builder.OnStartNow();
                             }
                             untaken.clear();
                         });
        QObject::connect(&builder, &CDataDistributionThread::SendFinished, &receiver, [&finished] { finished = true; });
        builder.startThread();
        QElapsedTimer t;
        t.start();
        while (!finished && t.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(finished) << "sent " << sent.load() << ", taken " << taken.load() << ", held "
                              << untaken.size() << ", in flight " << builder.rowsInFlight();
        ASSERT_TRUE(builder.wait(60000));
        QCoreApplication::processEvents();
        for (const QList<QStandardItem*>& r : untaken) model.appendRow(r);
        ASSERT_EQ(model.rowCount(), count);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(model.item(i, 0)->data(CDataDistributionThread::kFileSizeRole).toInt(), i) << i;
        EXPECT_LE(mostAhead.load(), CDataDistributionThread::kRowsInFlight);
        if (lagging) {
            EXPECT_GT(mostAhead.load(), CDataDistributionThread::kRowsInFlight / 2);   // it did run ahead
        }
    }
}

TEST(DataDistributionThread, NullEntriesGetNoRow) {
    const auto a = File("rec/one.mp4", 10, 1000);
    const auto b = File("rec/two.mp4", 20, 2000, "F:\\");
    CDataDistributionThread files(std::vector<CSingleFile*>{nullptr, a.get(), nullptr, b.get()});
    Receiver rf(files);
    files.startThread();
    ASSERT_TRUE(rf.Wait());
    EXPECT_EQ(rf.progress, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));
    ASSERT_EQ(rf.model.rowCount(), 2);
    EXPECT_EQ(rf.model.item(0, 0)->data(CDataDistributionThread::kFileNameRole).toString(), "rec/one.mp4");
    EXPECT_EQ(rf.model.item(1, 0)->text(), "2");

    QVector<DownloadListEntry> channels(1);
    channels[0].channelNumber = 4;
    channels[0].files = {a.get(), nullptr, b.get(), nullptr};
    CDataDistributionThread list(channels);
    Receiver rl(list);
    list.startThread();
    ASSERT_TRUE(rl.Wait());
    ASSERT_EQ(rl.model.rowCount(), 2);
    EXPECT_EQ(rl.model.item(1, 1)->text(), "F:");
    EXPECT_EQ(rl.model.item(1, 0)->data(CDataDistributionThread::kFileSizeRole).toUInt(), 20u);
}
