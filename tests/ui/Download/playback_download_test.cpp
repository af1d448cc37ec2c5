// SPDX-License-Identifier: GPL-3.0-or-later
// The download dialog of a playback cell over generated recordings: rows
// built in batches, the period checks, the refusals of a start, and
// downloads by file and by time to .mp4 files with their row states.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProgressBar>
#include <QTabWidget>

#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "storage/CommonHelpers.h"
#include "Playback/PlayBackInteraction.h"
#include "Download/PlaybackDownLoad.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "platform/fallowin/mp4_probe.h"
#include "recmedia/encoder.h"
#include "recstream/recstream.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "wincompat/drives.h"
#include "ziraz/itemviews.h"

// A folder whose path holds "/nearly_full" reports 16 free blocks.
extern "C" int __real_statvfs(const char* path, struct statvfs* buf);
extern "C" int __wrap_statvfs(const char* path, struct statvfs* buf) {
    const int rc = __real_statvfs(path, buf);
    if (rc == 0 && path && std::strstr(path, "/nearly_full")) buf->f_bavail = 16;
    return rc;
}

namespace {

using APT_QMR::CSingleFile;
using APT_QMR::DownloadAllDone;
using APT_QMR::DownloadDiskSpaceLow;
using APT_QMR::DownloadFailed;
using APT_QMR::DownloadFileDone;
using APT_QMR::DownloadFileIncomplete;
using APT_QMR::DownloadNextFile;
using APT_QMR::DownloadStarted;

// 2024-03-01 08:00:00 UTC; the tests run with TZ=UTC.
const uint32_t T = 1709280000;
const uint32_t kStarts[3] = {T, T + 3, T + 10};

QDateTime At(uint32_t t) { return QDateTime::fromSecsSinceEpoch(t); }

class PlaybackDownload : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string folder = (kel_test::ProgramFolder() + "/rec").toStdString();
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
        for (int i = 0; i < 3; ++i) {
            recmedia::RecordingSpec spec;
            spec.channel = 1;
            spec.start = kStarts[i];
            spec.seconds = 3;
            spec.width = 160;
            spec.height = 120;
            spec.fps = 10;
            spec.seed = static_cast<uint32_t>(i + 1);
            spec.path = folder + "/" + TimeToString(spec.start) + "_" + TimeToString(spec.start + 3) + "_1.mp4";
            std::string error;
            ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
            const auto size = static_cast<uint32_t>(QFileInfo(QString::fromStdString(spec.path)).size());
            files[i].reset(new CSingleFile(spec.path, folder, size, spec.start, spec.start + 3, 0, "DVR", 1));
            list.push_back(files[i].get());
        }
        APT_QMR::CChannel channel;
        channel.SetChannelNumber(1);
        channel.SetRbs(true);
        playback.SetChannel(channel);
        playback.SetFileList(list);
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, kel_test::ProgramFolder() + "/dl");

        DownloadCellAccess access;
        access.playback = [this](uint32_t index) { return index == 2 ? &playback : nullptr; };
        access.files = [this](uint32_t index) { return index == 2 ? list : std::vector<CSingleFile*>(); };
        dialog.reset(new CPlaybackDownLoad(access, 2));
        dialog->setChannel(0);
        dialog->setDiskKind(true);
        dialog->InitDownloadFiles();
    }

    QStringList Warnings() const {
        QStringList out;
        for (const auto& c : calls)
            if (c.kind == ziraz::DialogKind::Warning) out << c.text;
        return out;
    }

    void SetPeriod(int p, uint32_t start, uint32_t end) {
        dialog->ui().periodBox[p]->setChecked(true);
        dialog->ui().beginTime[p]->setDateTime(At(start));
        dialog->ui().endTime[p]->setDateTime(At(end));
    }

    bool WaitJobEnd(std::vector<int>& codes) {
        return kel_test::WaitUntil(
            [&] {
                for (int c : codes)
                    if (c == DownloadFailed || c == DownloadDiskSpaceLow) return true;
                return !codes.empty() && codes.back() == DownloadAllDone && !dialog->downloader().IsDownloading() &&
                       dialog->ui().m_pDownloadBtn->isEnabled();
            },
            120);
    }

    std::vector<ziraz::DialogCall> calls;
    // Answers every dialog; the row builder's progress dialog is held until
    // the last row has arrived, as its modal loop would be.
    ziraz::ScopedDialogPresenter presenter{[this](const ziraz::DialogCall& call) -> std::optional<int> {
        calls.push_back(call);
        if (call.kind == ziraz::DialogKind::Modal && qobject_cast<ziraz::Progress*>(call.dialog)) {
            bool done = false;
            auto c = QObject::connect(call.dialog, &QDialog::finished, [&done] { done = true; });
            EXPECT_TRUE(kel_test::WaitUntil([&] { return done; }, 120));
            QObject::disconnect(c);
        }
        return 1;
    }};
    std::unique_ptr<CSingleFile> files[3];
    std::vector<CSingleFile*> list;
    APT_QMR::CPlayBackInteraction playback;
    std::unique_ptr<CPlaybackDownLoad> dialog;
};

}  // namespace

TEST_F(PlaybackDownload, RowsOfTheCellsRecordings) {
    ziraz::StandardItemModel* model = dialog->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->columnCount(), 6);
    EXPECT_EQ(model->item(2, 0)->text(), "3");
    EXPECT_EQ(model->item(0, 2)->text(), "2024-03-01 08:00:00");
    EXPECT_EQ(model->item(0, 5)->text(), "Wait");
    EXPECT_EQ(dialog->ui().m_pAllFileLabel->text(), "0");
    EXPECT_EQ(dialog->ui().lineEdit->text(), "RodoroZOD");
    EXPECT_EQ(dialog->ui().lineEdit->maxLength(), 15);
    EXPECT_FALSE(dialog->ui().m_pStopBtn->isEnabled());

    // Ticking rows sums their sizes.
    model->item(0, 0)->setCheckState(Qt::Checked);
    model->item(2, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(dialog->selectedSize(), uint64_t(files[0]->FileSize) + files[2]->FileSize);
    EXPECT_NE(model->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    // A second fill starts again from empty.
    dialog->InitDownloadFiles();
    EXPECT_EQ(model->rowCount(), 3);
}

// The progress is closed at once: the rows still on their way reach the
// table before the fill returns; none is dropped.
TEST_F(PlaybackDownload, ProgressClosedAtOnceStillFillsTheTable) {
    ziraz::ScopedDialogPresenter closesAtOnce{[](const ziraz::DialogCall&) -> std::optional<int> { return 0; }};
    dialog->InitDownloadFiles();
    ziraz::StandardItemModel* model = dialog->model();
    ASSERT_EQ(model->rowCount(), 3);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(model->item(row, 0)->text(), QString::number(row + 1));
    EXPECT_EQ(model->item(2, 2)->text(), "2024-03-01 08:00:10");
}

TEST_F(PlaybackDownload, PeriodChecksAndRefusedStarts) {
    struct Case {
        std::vector<std::tuple<int, uint32_t, uint32_t>> periods;
        QString warning;
    } cases[] = {
        {{{1, T + 7200, T + 7200}}, "The segment 2, the start time should be earlier than end time."},
        {{{0, T, T + 3600}, {1, T + 3600, T + 7200}}, "The time cross."},
        {{{0, T, T + 4 * 3600}, {2, T + 3600, T + 7200}}, "The time cross."},
        {{{0, T + 86400, T + 86400 + 60}}, "No file to download."},
    };
    for (const Case& c : cases) {
        dialog->resetFrame();
        dialog->onTabOne();
        calls.clear();
        for (const auto& p : c.periods) SetPeriod(std::get<0>(p), std::get<1>(p), std::get<2>(p));
        dialog->OnDownLoad();
        EXPECT_EQ(Warnings(), QStringList{c.warning});
        if (c.warning != "No file to download.") {
            EXPECT_EQ(dialog->ui().m_pDownloadTabWidget->currentIndex(), 1);
        }
        EXPECT_FALSE(dialog->downloader().IsDownloading());
    }
    dialog->resetFrame();
    for (int p = 0; p < 4; ++p) {
        EXPECT_FALSE(dialog->ui().periodBox[p]->isChecked());
        EXPECT_EQ(dialog->ui().beginTime[p]->time(), QTime(0, 0, 0));
        EXPECT_EQ(dialog->ui().endTime[p]->time(), QTime(23, 59, 59));
    }

    // Too little room on the download drive.
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, kel_test::ProgramFolder() + "/nearly_full");
    QDir().mkpath(kel_test::ProgramFolder() + "/nearly_full");
    dialog->model()->item(0, 0)->setCheckState(Qt::Checked);
    calls.clear();
    dialog->OnDownLoad();
    EXPECT_EQ(Warnings(), QStringList{"At least 2G disk space is need."});
    EXPECT_FALSE(dialog->downloader().IsDownloading());
}

TEST_F(PlaybackDownload, FilesThenPeriodsDownloadToMp4) {
    std::vector<int> codes;
    QObject::connect(&dialog->downloader(), &APT_QMR::CStreamDownloader::DownloadSignal, dialog.get(),
                     [&codes](int code, int, int) { codes.push_back(code); });
    ziraz::StandardItemModel* model = dialog->model();
    model->item(0, 0)->setCheckState(Qt::Checked);
    model->item(2, 0)->setCheckState(Qt::Checked);
    SetPeriod(0, T + 1, T + 5);
    dialog->ui().lineEdit->setText("  saved  ");
    dialog->OnDownLoad();
    ASSERT_EQ(dialog->statusItems().size(), 2);
    EXPECT_EQ(dialog->statusItems()[1], model->item(2, 5));
    // The start arrives through the downloader's queue: the dialog is busy then.
    bool sawBusy = false;
    QObject::connect(&dialog->downloader(), &APT_QMR::CStreamDownloader::DownloadSignal, dialog.get(),
                     [&](int code, int, int) {
                         if (code == DownloadStarted)
                             sawBusy = dialog->ui().m_pStopBtn->isEnabled() && !dialog->ui().m_pDownloadBtn->isEnabled() &&
                                       !dialog->ui().m_pFileView->isEnabled();
                     });
    ASSERT_TRUE(WaitJobEnd(codes));
    // The period has followed the files.
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return !dialog->ui().periodBox[0]->isChecked() && !dialog->downloader().IsDownloading(); }, 120));
    ASSERT_TRUE(WaitJobEnd(codes));

    EXPECT_EQ(model->item(0, 5)->text(), "Download Completed");
    EXPECT_EQ(model->item(1, 5)->text(), "Wait");
    EXPECT_EQ(model->item(2, 5)->text(), "Download Completed");
    EXPECT_EQ(model->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog->downloadMode(), 1);
    const QString dir = kel_test::ProgramFolder() + "/dl/saved/";
    for (int i : {0, 2}) {
        const QString name = QString("ch01_%1_%2.mp4")
                                 .arg(QString::fromStdString(TimeToString(kStarts[i])))
                                 .arg(QString::fromStdString(TimeToString(kStarts[i] + 3)));
        EXPECT_GT(QFileInfo(dir + name).size(), 0) << name.toStdString();
    }
    // The span file(s) of the period.
    const QStringList spans = QDir(dir).entryList({"ch01_*.mp4"}, QDir::Files);
    EXPECT_GE(spans.size(), 3) << spans.join(",").toStdString();
    EXPECT_TRUE(dialog->lastFile().startsWith(dir));
    EXPECT_TRUE(dialog->ui().m_pDownloadBtn->isEnabled());
    EXPECT_FALSE(dialog->ui().m_pStopBtn->isEnabled());
    EXPECT_EQ(std::count(codes.begin(), codes.end(), DownloadAllDone), 2);
    EXPECT_TRUE(sawBusy);
}

TEST_F(PlaybackDownload, ClosingIsRefusedWhileAJobRuns) {
    dialog->model()->item(0, 0)->setCheckState(Qt::Checked);
    dialog->model()->item(1, 0)->setCheckState(Qt::Checked);
    dialog->model()->item(2, 0)->setCheckState(Qt::Checked);
    dialog->show();
    dialog->OnDownLoad();
    if (dialog->downloader().IsDownloading()) {
        calls.clear();
        EXPECT_FALSE(dialog->close());
        EXPECT_EQ(Warnings(), QStringList{"Downloading, please wait or stop."});
        dialog->OnStopDonload();
    }
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !dialog->downloader().IsDownloading(); }, 120));
    EXPECT_TRUE(dialog->close());
}

// A cell list with a null entry and a recording that ends a second after its
// start: the rows skip the null entry, the short one is marked incomplete
// and kept under an incomplete name, the others are written whole.
TEST_F(PlaybackDownload, ARecordingCutShortIsMarkedIncomplete) {
    const int64_t cutAt = recstream::FindOffsetForTime(files[1]->FileName, kStarts[1] + 1);
    ASSERT_GT(cutAt, 40);
    const QString cutPath = QString::fromStdString(files[1]->FileName);
    const QByteArray whole = kel_test::ReadFile(cutPath);
    ASSERT_TRUE(kel_test::WriteFile(cutPath, whole.left(static_cast<int>(cutAt))));

    DownloadCellAccess access;
    access.playback = [this](uint32_t index) { return index == 2 ? &playback : nullptr; };
    access.files = [this](uint32_t) { return std::vector<CSingleFile*>{list[0], nullptr, list[1], list[2]}; };
    dialog.reset(new CPlaybackDownLoad(access, 2));
    dialog->setChannel(0);
    dialog->setDiskKind(true);
    dialog->InitDownloadFiles();
    ziraz::StandardItemModel* model = dialog->model();
    ASSERT_EQ(model->rowCount(), 3);
    std::vector<int> codes;
    QObject::connect(&dialog->downloader(), &APT_QMR::CStreamDownloader::DownloadSignal, dialog.get(),
                     [&codes](int code, int, int) { codes.push_back(code); });
    for (int r = 0; r < 3; ++r) model->item(r, 0)->setCheckState(Qt::Checked);
    calls.clear();
    dialog->OnDownLoad();
    ASSERT_TRUE(WaitJobEnd(codes));
    EXPECT_EQ(codes, (std::vector<int>{DownloadNextFile, DownloadStarted, DownloadFileDone, DownloadNextFile,
                                       DownloadFileIncomplete, DownloadNextFile, DownloadFileDone, DownloadAllDone}));
    const char* statuses[3] = {"Download Completed", "Download Incomplete", "Download Completed"};
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(model->item(r, 5)->text(), statuses[r]) << r;
        EXPECT_EQ(model->item(r, 0)->checkState(), Qt::Unchecked) << r;
    }
    const QString dir = kel_test::ProgramFolder() + "/dl/RodoroZOD/";
    const QString partial = QString("ch01_%1_%2_partial.mp4")
                                .arg(QString::fromStdString(TimeToString(kStarts[1])))
                                .arg(QString::fromStdString(TimeToString(kStarts[1])));
    EXPECT_EQ(kel_test::ReadFile(dir + partial), whole.left(static_cast<int>(cutAt)));
    EXPECT_FALSE(QFileInfo::exists(dir + QString("ch01_%1_%2.mp4")
                                              .arg(QString::fromStdString(TimeToString(kStarts[1])))
                                              .arg(QString::fromStdString(TimeToString(kStarts[1] + 3)))));
    QStringList notices;
    for (const auto& c : calls)
        if (c.kind == ziraz::DialogKind::Information) notices << c.text;
    EXPECT_TRUE(notices.contains("The download is incomplete. What was saved up to its end: " + dir + partial))
        << notices.join("|").toStdString();
}

namespace {

// The pictures of recordings as a decoder shows them.
std::set<uint64_t> Pictures(const std::vector<std::string>& recordings) {
    std::set<uint64_t> pictures;
    for (const std::string& path : recordings) {
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path, true, true);
        EXPECT_GT(probe.decodedFrames, 0) << path;
        pictures.insert(probe.pictureHashes.begin(), probe.pictureHashes.end());
    }
    return pictures;
}

}  // namespace

// The cell plays channel 1, but its playback list also holds a recording of
// channel 2 over the same seconds. Two ticked periods give one file each,
// named after channel 1 and the period, holding channel 1's pictures only; a
// third that begins where the last recording ends holds nothing and is
// passed over, and the last file is still told.
TEST_F(PlaybackDownload, ByTimeSavesTheCellsChannelAFilePerPeriod) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    recmedia::RecordingSpec spec;
    spec.channel = 2;
    spec.start = T;
    spec.seconds = 6;
    spec.width = 160;
    spec.height = 120;
    spec.fps = 10;
    spec.seed = 9;
    spec.path = (kel_test::ProgramFolder() + "/rec/").toStdString() + TimeToString(T) + "_" + TimeToString(T + 6) + "_2.mp4";
    std::string error;
    ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    CSingleFile other(spec.path, files[0]->DiskName, static_cast<uint32_t>(QFileInfo(QString::fromStdString(spec.path)).size()),
                      T, T + 6, 0, "DVR", 2);
    std::vector<CSingleFile*> mixed = list;
    mixed.insert(mixed.begin() + 1, &other);
    playback.SetFileList(mixed);

    std::vector<int> codes;
    QObject::connect(&dialog->downloader(), &APT_QMR::CStreamDownloader::DownloadSignal, dialog.get(),
                     [&codes](int code, int, int) { codes.push_back(code); });
    const struct {
        uint32_t start, end;
        int pictures;  // 10 a second, the end second included
    } periods[] = {{T + 1, T + 5, 50}, {T + 10, T + 12, 30}};
    for (int p = 0; p < 2; ++p) SetPeriod(p, periods[p].start, periods[p].end);
    SetPeriod(2, kStarts[2] + 3, kStarts[2] + 20);
    calls.clear();
    dialog->OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            return std::count(codes.begin(), codes.end(), DownloadAllDone) == 2 &&
                   !dialog->downloader().IsDownloading();
        },
        120));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), DownloadFailed), 0);

    const QString dir = kel_test::ProgramFolder() + "/dl/RodoroZOD/";
    QStringList expected;
    for (const auto& period : periods)
        expected << QString("ch01_%1_%2.mp4")
                        .arg(QString::fromStdString(TimeToString(period.start)))
                        .arg(QString::fromStdString(TimeToString(period.end)));
    EXPECT_EQ(QDir(dir).entryList({"*.mp4"}, QDir::Files, QDir::Name).join(' ').toStdString(),
              expected.join(' ').toStdString());

    const std::set<uint64_t> own = Pictures({files[0]->FileName, files[1]->FileName, files[2]->FileName});
    const std::set<uint64_t> foreign = Pictures({spec.path});
    for (int p = 0; p < 2; ++p) {
        SCOPED_TRACE(expected[p].toStdString());
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4((dir + expected[p]).toStdString(), true);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.decodeErrors, 0);
        EXPECT_EQ(probe.decodedFrames, periods[p].pictures);
        int mine = 0, theirs = 0;
        for (uint64_t hash : probe.pictureHashes) {
            mine += own.count(hash) ? 1 : 0;
            theirs += foreign.count(hash) ? 1 : 0;
        }
        EXPECT_EQ(mine, probe.decodedFrames);
        EXPECT_EQ(theirs, 0);
    }
    QStringList notices;
    for (const auto& c : calls)
        if (c.kind == ziraz::DialogKind::Information) notices << c.text;
    EXPECT_EQ(notices.join('|').toStdString(), (dir + expected[0] + "|" + dir + expected[1]).toStdString());
    EXPECT_FALSE(dialog->ui().periodBox[0]->isChecked());
    EXPECT_FALSE(dialog->ui().periodBox[1]->isChecked());
    EXPECT_FALSE(dialog->ui().periodBox[2]->isChecked());
    EXPECT_TRUE(dialog->ui().m_pDownloadBtn->isEnabled());
}

// A channel found on two disks: each row names the disk of its recording
// the way the search panel shows disks.
TEST_F(PlaybackDownload, EachRowNamesItsDisk) {
    const QString table = kel_test::ProgramFolder() + "/drives.txt";
    ASSERT_TRUE(kel_test::WriteFile(table, QString("disk 1 %1/d1\ndisk 2 %1/d2\nletter E 2 removable vfat %1/d2\n")
                                                   .arg(kel_test::ProgramFolder())
                                                   .toUtf8()));
    struct DriveTable {
        explicit DriveTable(const QString& path) : env(new kel_test::ScopedEnv("KEL_DRIVES", path.toStdString())) {
            wincompat::ReloadDriveTable();
        }
        ~DriveTable() {
            env.reset();
            wincompat::ReloadDriveTable();
        }
        std::unique_ptr<kel_test::ScopedEnv> env;
    } drives(table);

    const char* disks[3] = {"\\\\.\\PHYSICALDRIVE1", "E:\\", "/srv/exported"};
    std::vector<std::unique_ptr<CSingleFile>> found;
    std::vector<CSingleFile*> cellList;
    for (int i = 0; i < 3; ++i) {
        found.emplace_back(new CSingleFile(files[i]->FileName, disks[i], 1000, kStarts[i], kStarts[i] + 3, 0, "DVR", 1));
        cellList.push_back(found.back().get());
    }
    DownloadCellAccess access;
    access.playback = [this](uint32_t index) { return index == 2 ? &playback : nullptr; };
    access.files = [&cellList](uint32_t) { return cellList; };
    dialog.reset(new CPlaybackDownLoad(access, 2));
    dialog->InitDownloadFiles();
    ziraz::StandardItemModel* model = dialog->model();
    EXPECT_EQ(model->headerData(CPlaybackDownLoad::kDiskColumn, Qt::Horizontal).toString(), "Disk");
    ASSERT_EQ(model->rowCount(), 3);
    const char* shown[3] = {"Disk 1", "Disk 2 (E:)", "/srv/exported"};
    for (int r = 0; r < 3; ++r) EXPECT_EQ(model->item(r, CPlaybackDownLoad::kDiskColumn)->text(), shown[r]) << r;
}

// Read through the storage layer, the cell's folder is no recorder disk and
// the downloader starts nothing: the dialog says so instead of staying silent.
TEST_F(PlaybackDownload, AJobThatCannotStartIsReported) {
    dialog->setDiskKind(false);
    for (const bool byFile : {false, true}) {
        SCOPED_TRACE(byFile ? "by file" : "by time");
        dialog->resetFrame();
        if (byFile)
            dialog->model()->item(0, 0)->setCheckState(Qt::Checked);
        else
            SetPeriod(0, T + 1, T + 5);
        calls.clear();
        dialog->OnDownLoad();
        QStringList notices;
        for (const auto& c : calls)
            if (c.kind == ziraz::DialogKind::Information) notices << c.text;
        EXPECT_EQ(notices, QStringList{"DownLoad Exception."});
        EXPECT_FALSE(dialog->downloader().IsDownloading());
        EXPECT_TRUE(dialog->ui().m_pDownloadBtn->isEnabled());
        EXPECT_FALSE(dialog->ui().m_pStopBtn->isEnabled());
        EXPECT_TRUE(QDir(kel_test::ProgramFolder() + "/dl/RodoroZOD").entryList({"*.mp4"}, QDir::Files).isEmpty());
    }
}
