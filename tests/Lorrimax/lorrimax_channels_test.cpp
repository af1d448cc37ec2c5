// SPDX-License-Identifier: GPL-3.0-or-later
// Batch downloads of channels found on two recorder disks, with real
// recordings: by time, one file per channel and period that holds only
// that channel's pictures over the whole span, whatever disk they come
// from; a missing recording fails only its own channel's file; a stop
// leaves the file it met named after the time its content reaches. By file,
// the same channel and times from two disks give files that say which disk
// they come from. Every output is opened with libavformat and decoded; its
// pictures are matched against the pictures of the recordings on the disks.
#include "storage/DiskEnum.h"
#include "lorrimax_fixture.h"

#include <QDir>
#include <QFile>
#include <QStandardItemModel>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <set>

#include "storage/CommonHelpers.h"
#include "platform/fallowin/mp4_probe.h"
#include "recstream/recstream.h"
#include "module/storage/storage_oper/storage_oper_fixture.h"

using namespace lorrimax_test;
using APT_QMR::CSingleFile;
using APT_QMR::CStreamDownloader;

namespace {

constexpr int kSeconds = 4;   // length of each recording
constexpr int kFps = 25;

QString Stamp(time_t t) { return QString::fromStdString(TimeToString(t)); }

// Two disks that hold channels 1 and 2, two recordings of kSeconds each per
// channel: disk B starts `secondDiskFrom` seconds after disk A (kSeconds * 2:
// the recorder went on on its second disk; 0: it recorded on both).
class ChannelsTest : public DialogTest {
protected:
    void Write(int secondDiskFrom) {
        ASSERT_TRUE(m_catalogue.loaded());
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, QStringLiteral("1"));
        media.reset(new storage_test::MediaSet);
        for (int i = 0; i < 2; ++i) {
            storage_test::Medium* m = media->Add(i == 0 ? 2 : 1, 2, 2, kSeconds, 0, [&](recmedia::MediaSpec& spec) {
                spec.fast = false;
                spec.width = 176;
                spec.height = 144;
                if (i == 1) spec.firstSecond += secondDiskFrom;
            });
            ASSERT_NE(m, nullptr);
            disks.push_back(m);
        }
        QorAutoStorage::GetInstance()->JudgeDiskTypes({disks[0]->root, disks[1]->root});
        std::vector<ChannelFiles*> handOver;
        for (storage_test::Medium* m : disks) {
            for (const recmedia::PlannedRecording& r : m->info.recordings) {
                const kel_test::Mp4Probe p =
                    kel_test::ProbeMp4(m->folder + "/" + r.relPath, true, true);
                ASSERT_EQ(p.decodedFrames, kSeconds * kFps) << r.relPath;
                pictures[r.channel].insert(p.pictureHashes.begin(), p.pictureHashes.end());
                recordingPictures[{m, r.start, r.channel}] = p.pictureHashes;
            }
            StorageOper oper;
            std::map<int, ChannelFiles*> blocks;
            for (const FoundDataRecord& r : storage_test::SearchDay(oper, m->root, m->info.firstDay)) {
                records.push_back(storage_test::FileOf(r, m->root));
                ChannelFiles*& b = blocks[int(r.channel)];
                if (!b) {
                    channelBlocks.emplace_back(new ChannelFiles);
                    b = channelBlocks.back().get();
                    b->DiskName = QString::fromStdString(m->root);
                    b->DeviceName = QStringLiteral("DVR");
                    b->ChannelInfo.SetChannelNumber(int(r.channel));
                    handOver.push_back(b);
                }
                b->SingleFileList.push_back(records.back().get());
            }
        }
        ASSERT_EQ(records.size(), 8u);
        WriteSearchedFile(handOver);
        WriteDiskFile({QString::fromStdString(disks[0]->root), QString::fromStdString(disks[1]->root)});
        dayStart = disks[0]->info.recordings.front().start;   // 08:00:00 of the first day
    }

    void TearDown() override {
        DialogTest::TearDown();
        media.reset();
    }

    // The recordings of `channel` on disk `disk`, by start.
    std::vector<const recmedia::PlannedRecording*> Recordings(int disk, int channel) const {
        std::vector<const recmedia::PlannedRecording*> out;
        for (const recmedia::PlannedRecording& r : disks[size_t(disk)]->info.recordings)
            if (r.channel == channel) out.push_back(&r);
        return out;
    }

    QStringList Outputs() const {
        return QDir(Home() + "/dl/Downloads").entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name);
    }
    static QString Out(const QString& name) { return Home() + "/dl/Downloads/" + name; }

    // The by-time table: "<period> | <channel> | <start> | <end> | <status>" per download.
    static QStringList JobStatuses(Lorrimax& d) {
        QStringList rows;
        const QStandardItemModel* m = d.timeJobModel();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) cells << m->index(r, c).data().toString();
            rows << cells.join(QStringLiteral(" | "));
        }
        return rows;
    }
    static QString JobRow(int channel, time_t from, time_t to, const QString& status) {
        const auto text = [](time_t t) { return QDateTime::fromSecsSinceEpoch(t).toString("yyyy-MM-dd hh:mm:ss"); };
        return QStringLiteral("Time Period 1 | %1 | %2 | %3 | %4").arg(channel).arg(text(from), text(to), status);
    }

    // By time over period 1 from `from` to `to`, until the dialog is idle again.
    void DownloadByTime(Lorrimax& d, time_t from, time_t to) {
        d.onTabTwo();
        d.form().m_pFirstBeginTime->setDateTime(QDateTime::fromSecsSinceEpoch(from));
        d.form().m_pFirstEndTime->setDateTime(QDateTime::fromSecsSinceEpoch(to));
        d.form().m_pFirstPeriodCheckBox->setChecked(true);
        d.OnDownLoad();
        // The rows of the round as it starts: the first download runs.
        startStatuses = JobStatuses(d);
        ASSERT_TRUE(kel_test::WaitUntil(
            [&] {
                return !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled() &&
                       !d.form().m_pStopBtn->isEnabled();
            },
            120));
    }

    // The file decodes from its first picture to its last, starts at `from`
    // on the recorder's clock, holds every picture of [from, to] (seconds,
    // both included) and only pictures of `channel`.
    void ExpectSpanOfChannel(const QString& path, int channel, time_t from, time_t to) {
        SCOPED_TRACE(path.toStdString());
        const kel_test::Mp4Probe p = kel_test::ProbeMp4(path.toStdString(), true);
        ASSERT_TRUE(p.opened);
        EXPECT_NE(p.format.find("mp4"), std::string::npos);
        EXPECT_EQ(p.logErrors, 0);
        EXPECT_EQ(p.decodeErrors, 0);
        const int frames = int(to - from + 1) * kFps;
        EXPECT_EQ(p.decodedFrames, frames);
        EXPECT_NEAR(p.duration, double(to - from + 1), 1.5 / kFps);
        const int64_t start = kel_test::CreationSeconds(p.creationTime);
        EXPECT_NEAR(double(start) + p.firstTime, double(from), 1.0 / kFps) << p.creationTime;
        EXPECT_NEAR(double(start) + p.lastTime, double(to + 1) - 1.0 / kFps, 1.0 / kFps);
        const int other = channel == 1 ? 2 : 1;
        int own = 0, foreign = 0;
        for (uint64_t h : p.pictureHashes) {
            own += pictures[channel].count(h) ? 1 : 0;
            foreign += pictures[other].count(h) ? 1 : 0;
        }
        EXPECT_EQ(own, p.decodedFrames);
        EXPECT_EQ(foreign, 0);
        std::set<uint64_t> distinct(p.pictureHashes.begin(), p.pictureHashes.end());
        EXPECT_EQ(int(distinct.size()), p.decodedFrames) << "a picture twice";
    }

    QStringList startStatuses;
    kel_test::ScopedCatalogue m_catalogue{QStringLiteral("en")};
    std::unique_ptr<storage_test::MediaSet> media;
    std::vector<storage_test::Medium*> disks;
    std::vector<std::shared_ptr<CSingleFile>> records;
    std::vector<std::unique_ptr<ChannelFiles>> channelBlocks;
    std::map<int, std::set<uint64_t>> pictures;   // of each channel, both disks
    std::map<std::tuple<storage_test::Medium*, uint32_t, int>, std::vector<uint64_t>> recordingPictures;
    time_t dayStart = 0;
};

// 10:00-10:05 of channels 1 and 2 once gave one file of both, named after
// channel 1: now each channel has its file, over both disks.
TEST_F(ChannelsTest, ByTimeWritesOneFilePerChannelOverBothDisks) {
    ASSERT_NO_FATAL_FAILURE(Write(2 * kSeconds));
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 8);
    const time_t from = dayStart + 2, to = dayStart + 13;   // disk A's 2 s to disk B's 13 s
    DownloadByTime(d, from, to);
    const QString name = QStringLiteral("_%1_%2.mp4").arg(Stamp(from), Stamp(to));
    ASSERT_EQ(Outputs(), (QStringList{"ch01" + name, "ch02" + name}));
    ExpectSpanOfChannel(Out("ch01" + name), 1, from, to);
    ExpectSpanOfChannel(Out("ch02" + name), 2, from, to);
    EXPECT_FALSE(d.form().m_pFirstPeriodCheckBox->isChecked());
    // Each channel and period is a row of its own, as the file rows are.
    EXPECT_EQ(startStatuses, (QStringList{JobRow(1, from, to, "Downloading 0%"), JobRow(2, from, to, "Waiting")}));
    EXPECT_EQ(JobStatuses(d),
              (QStringList{JobRow(1, from, to, "Download Completed"), JobRow(2, from, to, "Download Completed")}));
    // Each file is announced once, the last at the end.
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Information), (QStringList{Out("ch01" + name), Out("ch02" + name)}));
}

// A recording of channel 2 is gone from disk A: channel 2's file keeps what
// the other recordings hold, as an incomplete file, and its row fails and
// says why, naming the recording missing; channel 1's is written whole. The
// recording missing is the first of the span or one in the middle.
TEST_F(ChannelsTest, AMissingRecordingFailsOnlyItsChannelsFile) {
    ASSERT_NO_FATAL_FAILURE(Write(2 * kSeconds));
    const time_t from = dayStart + 2, to = dayStart + 13;
    const std::vector<const recmedia::PlannedRecording*> ch2 = Recordings(0, 2);
    ASSERT_EQ(ch2.size(), 2u);
    for (int missing : {0, 1}) {
        SCOPED_TRACE(missing == 0 ? "first recording missing" : "second recording missing");
        QDir(Home() + "/dl").removeRecursively();
        presenter.calls.clear();
        const QString path = QString::fromStdString(disks[0]->folder + "/" + ch2[size_t(missing)]->relPath);
        const QString away = path + ".away";
        ASSERT_TRUE(QFile::rename(path, away));
        Lorrimax& d = Make();
        d.LoadSearchedFiles();
        DownloadByTime(d, from, to);
        ASSERT_TRUE(QFile::rename(away, path));
        const QString name = QStringLiteral("ch01_%1_%2.mp4").arg(Stamp(from), Stamp(to));
        const QStringList outputs = Outputs();
        ASSERT_EQ(outputs.size(), 2) << outputs.join('|').toStdString();
        EXPECT_EQ(outputs[0], name);
        ExpectSpanOfChannel(Out(name), 1, from, to);
        // Channel 2's file: only its own pictures, fewer than the span's.
        const QString partial = outputs[1];
        EXPECT_TRUE(partial.startsWith(QStringLiteral("ch02_"))) << partial.toStdString();
        EXPECT_TRUE(CStreamDownloader::IsIncompleteFile(partial)) << partial.toStdString();
        const kel_test::Mp4Probe p = kel_test::ProbeMp4(Out(partial).toStdString(), true);
        ASSERT_TRUE(p.opened);
        EXPECT_EQ(p.decodeErrors, 0);
        EXPECT_GT(p.decodedFrames, 0);
        EXPECT_LT(p.decodedFrames, int(to - from + 1) * kFps);
        int own = 0;
        for (uint64_t h : p.pictureHashes) own += pictures[2].count(h) ? 1 : 0;
        EXPECT_EQ(own, p.decodedFrames);
        const QString summary = presenter.Texts(ziraz::DialogKind::Information).value(1);
        EXPECT_TRUE(summary.startsWith(QStringLiteral("1 of 2 files downloaded completely.\nFailed: 1.\nChannel 2, ")))
            << summary.toStdString();
        EXPECT_TRUE(summary.contains(QStringLiteral(": recording missing"))) << summary.toStdString();
        EXPECT_TRUE(summary.contains(Out(partial))) << summary.toStdString();
        // The period stays checked, to be tried again.
        EXPECT_TRUE(d.form().m_pFirstPeriodCheckBox->isChecked());
        EXPECT_EQ(JobStatuses(d), (QStringList{JobRow(1, from, to, "Download Completed"),
                                               JobRow(2, from, to, "Download Failed: recording missing")}));
    }
}

// A stop while channel 2's file is written, once its first recording is in:
// channel 1's file is complete; channel 2's is kept as an incomplete file
// whose name ends with the second its last picture belongs to.
TEST_F(ChannelsTest, AStopLeavesAFileNamedAfterWhereItsContentEnds) {
    ASSERT_NO_FATAL_FAILURE(Write(2 * kSeconds));
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    const time_t from = dayStart + 2, to = dayStart + 13;
    // The operator's stop, met by the worker as it ends a recording: the
    // one after channel 1's four recordings in the span, which is channel
    // 2's first.
    std::atomic<int> recordingsIn{0};
    std::atomic<bool> stopped{false};
    QObject::connect(
        &d.downloader(), &CStreamDownloader::DownloadSignal, &d.downloader(),
        [&](int code, int, int) {
            if (code == APT_QMR::DownloadFileDone && ++recordingsIn == 5 && !stopped.exchange(true))
                d.downloader().StopDownload(false);
        },
        Qt::DirectConnection);
    DownloadByTime(d, from, to);
    ASSERT_TRUE(stopped.load());
    const QString whole = QStringLiteral("ch01_%1_%2.mp4").arg(Stamp(from), Stamp(to));
    // Channel 2's first recording in the span ends with disk A's 3rd second.
    const time_t reached = dayStart + kSeconds - 1;
    const QString partial = QStringLiteral("ch02_%1_%2_partial.mp4").arg(Stamp(from), Stamp(reached));
    ASSERT_EQ(Outputs(), (QStringList{whole, partial}));
    ExpectSpanOfChannel(Out(whole), 1, from, to);
    ExpectSpanOfChannel(Out(partial), 2, from, reached);
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Information).last(),
              QStringLiteral("1 of 2 files downloaded completely.\nIncomplete: 1.\n"
                             "The download is incomplete. What was saved up to its end: ") +
                  Out(partial));
    EXPECT_TRUE(d.form().m_pFirstPeriodCheckBox->isChecked());
    EXPECT_EQ(JobStatuses(d), (QStringList{JobRow(1, from, to, "Download Completed"), JobRow(2, from, to, "Stopped")}));
}

// The same channel and times recorded on both disks: every row names its
// disk as the search panel does, and the files of the two rows tell the
// disks apart by name, each holding the pictures of its own disk. A file of
// that name from before stays.
TEST_F(ChannelsTest, ByFileCopiesOfOneChannelFromTwoDisksAreToldApart) {
    ASSERT_NO_FATAL_FAILURE(Write(0));
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 8);
    QString shown[2];
    for (int i = 0; i < 2; ++i)
        shown[i] = QStringLiteral("Disk %1 (%2:)").arg(i + 1).arg(QChar(disks[size_t(i)]->letter));
    const QString part[2] = {QStringLiteral("Disk1(%1)").arg(QChar(disks[0]->letter)),
                             QStringLiteral("Disk2(%1)").arg(QChar(disks[1]->letter))};
    EXPECT_EQ(DiskNamePart(shown[0]), part[0]);
    // Rows of channel 1's first recording on each disk.
    int rows[2] = {-1, -1};
    const recmedia::PlannedRecording* first = Recordings(0, 1).front();
    const QString start = QDateTime::fromSecsSinceEpoch(first->start).toString("yyyy-MM-dd hh:mm:ss");
    for (int r = 0; r < 8; ++r) {
        const QString disk = Cell(r, 1);
        EXPECT_TRUE(disk == shown[0] || disk == shown[1]) << disk.toStdString();
        if (Cell(r, 2) == QStringLiteral("1") && Cell(r, 3) == start) rows[disk == shown[0] ? 0 : 1] = r;
    }
    ASSERT_GE(rows[0], 0);
    ASSERT_GE(rows[1], 0);
    const QString stem = QStringLiteral("ch01_%1_%2_").arg(Stamp(first->start), Stamp(first->end));
    const QString earlier = Out(stem + part[0] + ".mp4");
    ASSERT_TRUE(kel_test::WriteFile(earlier, "an earlier download"));

    for (int i : rows) Tick(i);
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled(); }, 120));
    for (int i : rows) EXPECT_EQ(Cell(i, 6), QStringLiteral("Download Completed"));
    const QString names[2] = {stem + part[0] + " (1).mp4", stem + part[1] + ".mp4"};
    EXPECT_EQ(Outputs(), (QStringList{stem + part[0] + " (1).mp4", stem + part[0] + ".mp4", names[1]}));
    EXPECT_EQ(kel_test::ReadFile(earlier), QByteArray("an earlier download"));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i].toStdString());
        const kel_test::Mp4Probe p = kel_test::ProbeMp4(Out(names[i]).toStdString(), true);
        ASSERT_TRUE(p.opened);
        EXPECT_EQ(p.decodeErrors, 0);
        const auto source = recordingPictures.find({disks[size_t(i)], first->start, 1});
        ASSERT_NE(source, recordingPictures.end());
        EXPECT_EQ(p.pictureHashes, source->second);
    }
}

}  // namespace
