// SPDX-License-Identifier: GPL-3.0-or-later
// Real batch downloads over a generated recorder medium named by a drive
// table: by file (every row ticked) and by time (one period, one channel),
// with the row statuses, the downloader's progress codes and the files in
// the download folder. The English catalogue is loaded, so the texts and the
// download sub-folder are the words the operator sees.
#include "lorrimax_fixture.h"

#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QRegExp>
#include <QTest>

#include <pthread.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "storage/CommonHelpers.h"
#include "storage/QorAutoStorage.h"
#include "storage/StorageOper.h"
#include "recmedia/media_plan.h"
#include "recstream/recstream.h"
#include "kel_test/signal_log.h"
#include "wincompat/drives.h"
#include "ziraz/mainwindow.h"

// A folder whose path holds "/full_on_write" has room when the dialog looks
// (on the main thread) and is full when the downloader's worker looks.
static const pthread_t g_mainThread = pthread_self();
extern "C" int __real_statvfs(const char* path, struct statvfs* buf);
extern "C" int __wrap_statvfs(const char* path, struct statvfs* buf) {
    const int rc = __real_statvfs(path, buf);
    if (rc == 0 && path && std::strstr(path, "/full_on_write") && !pthread_equal(pthread_self(), g_mainThread))
        buf->f_bavail = 16;
    return rc;
}

using namespace lorrimax_test;
using APT_QMR::CSingleFile;
using APT_QMR::CStreamDownloader;
using APT_QMR::DownloadAllDone;
using APT_QMR::DownloadFailed;
using APT_QMR::DownloadFileDone;
using APT_QMR::DownloadNextFile;
using APT_QMR::DownloadStopped;

namespace {

HD_FILE_TIME HdTime(time_t t) {
    RbsDateTime d;
    TimeToDateTime(d, t, false);
    return HD_FILE_TIME{d.year, d.month, d.day, d.hour, d.minute, d.second};
}

time_t ToTime(const HD_FILE_TIME& t) {
    RbsDateTime d{t.year, t.month, t.day, t.hour, t.minute, t.second};
    return DateTimeToTime(&d);
}

struct Found {
    StorageOper* oper = nullptr;
    std::mutex mutex;
    std::vector<FoundDataRecord> records;
    bool ended = false;
    static void OnFound(int, const FoundDataRecord* r, void* user) {
        auto* self = static_cast<Found*>(user);
        if (r->endOfSearch) {
            {
                std::lock_guard<std::mutex> g(self->mutex);
                self->ended = true;
            }
            self->oper->StopSearchFileInfos();
            return;
        }
        std::lock_guard<std::mutex> g(self->mutex);
        self->records.push_back(*r);
    }
};

class DownloadTest : public DialogTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_catalogue.loaded());
        DialogTest::SetUp();
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, QStringLiteral("0"));
        m_folder = (Home() + "/medium").toStdString();
        recmedia::MediaSpec spec;
        spec.outDir = m_folder;
        spec.family = 2;
        spec.channels = 2;
        spec.perDay = PerDay();
        spec.seconds = 4;
        spec.fast = true;
        spec.logs = spec.events = spec.pictures = spec.vehicleFiles = false;
        std::string error;
        ASSERT_TRUE(recmedia::WriteMedium(spec, &m_info, &error)) << error;
        const QString table = QStringLiteral("disk 1 %1\nletter K 1 removable vfat %1\n").arg(QString::fromStdString(m_folder));
        ASSERT_TRUE(kel_test::WriteFile(Home() + "/drives.txt", table.toUtf8()));
        m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", (Home() + "/drives.txt").toStdString()));
        wincompat::ReloadDriveTable();
        QorAutoStorage::GetInstance()->JudgeDiskTypes({"K:\\"});

        // What a search of the whole day finds, handed over per channel.
        StorageOper oper;
        Found found;
        found.oper = &oper;
        FindDataCondition cond;
        std::memset(&cond, 0, sizeof cond);
        cond.diskPath = "K:\\";
        cond.channel = -1;
        cond.start = HdTime(m_info.firstDay);
        cond.end = HdTime(m_info.firstDay + 86399);
        cond.callback = &Found::OnFound;
        cond.user = &found;
        ASSERT_TRUE(oper.SearchFileInfos(&cond));
        {
            std::lock_guard<std::mutex> g(found.mutex);
            ASSERT_TRUE(found.ended);
        }
        std::map<int, ChannelFiles> blocks;
        for (const FoundDataRecord& r : found.records) {
            ChannelFiles& b = blocks[int(r.channel)];
            b.DiskName = QStringLiteral("K:\\");
            b.ChannelInfo.SetChannelNumber(int(r.channel));
            m_files.emplace_back(new CSingleFile(r.fileName, "K:\\", r.fileSize, uint32_t(ToTime(r.start)),
                                                 uint32_t(ToTime(r.end)), int(r.fileType), std::string(),
                                                 int(r.channel)));
            m_files.back()->SearchEndTime = m_files.back()->EndTime;
            b.SingleFileList.push_back(m_files.back().get());
        }
        ASSERT_EQ(found.records.size(), size_t(2 * PerDay()));
        std::vector<ChannelFiles*> list;
        for (auto& kv : blocks) list.push_back(&kv.second);
        WriteSearchedFile(list);
        WriteDiskFile({QStringLiteral("K:\\")});
    }

    void TearDown() override {
        DialogTest::TearDown();
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

    virtual int PerDay() const { return 2; }

    QStringList Outputs(const QString& folder = QStringLiteral("/dl/Downloads")) const {
        return QDir(Home() + folder).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name);
    }

    kel_test::ScopedCatalogue m_catalogue{QStringLiteral("en")};
    std::string m_folder;
    recmedia::MediumInfo m_info;
    std::vector<std::unique_ptr<CSingleFile>> m_files;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

// Holds the downloader's worker once the second file of a by-file download
// has started and taken all `bytes` of its recording; then runs `then` on
// the worker (when given) or waits until it is released. The state lives as
// long as the connection: the worker may still signal after the hold is gone.
class SecondFileHold {
public:
    SecondFileHold(CStreamDownloader& d, uint64_t bytes, std::function<void()> then = nullptr)
        : m_state(std::make_shared<State>()) {
        QObject::connect(
            &d, &CStreamDownloader::DownloadSignal, &d,
            [state = m_state, &d, bytes, then](int code, int last, int) {
                if (code != DownloadNextFile || last != 0 || pthread_equal(pthread_self(), g_mainThread) ||
                    state->held.exchange(true))
                    return;
                QElapsedTimer timer;
                timer.start();
                while (d.CurrentFileBytes() < bytes && !state->release && timer.elapsed() < 60000) ZUN_Sleep(2);
                state->full = d.CurrentFileBytes() >= bytes;
                if (then) then();
                state->waiting = true;
                while (!state->release && timer.elapsed() < 60000) ZUN_Sleep(2);
            },
            Qt::DirectConnection);
    }
    ~SecondFileHold() { Release(); }
    // The worker waits with the second file's bytes all taken.
    bool Waiting() const { return m_state->waiting.load(); }
    bool Full() const { return m_state->full.load(); }
    void Release() { m_state->release = true; }

private:
    struct State {
        std::atomic<bool> held{false};
        std::atomic<bool> full{false};
        std::atomic<bool> waiting{false};
        std::atomic<bool> release{false};
    };
    std::shared_ptr<State> m_state;
};

// How the summary of a download names a failed file.
QString FailureLine(int channel, uint32_t start, uint32_t end, const char* reason) {
    const auto text = [](uint32_t t) { return QDateTime::fromSecsSinceEpoch(t).toString("yyyy-MM-dd hh:mm:ss"); };
    return QStringLiteral("Channel %1, %2 - %3: %4").arg(channel).arg(text(start), text(end), QString::fromUtf8(reason));
}

std::vector<int> Codes(const kel_test::SignalLog& spy) {
    std::vector<int> out;
    for (const auto& args : spy) out.push_back(args.at(0).toInt());
    return out;
}

// The downloader has said that it is done, or that it failed.
bool Ended(const kel_test::SignalLog& spy) {
    const std::vector<int> c = Codes(spy);
    return std::find(c.begin(), c.end(), DownloadAllDone) != c.end() ||
           std::find(c.begin(), c.end(), DownloadFailed) != c.end();
}

TEST_F(DownloadTest, ByFileWritesEveryTickedRow) {
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 4);
    d.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    EXPECT_GT(d.selectedSize(), 0u);
    kel_test::SignalLog codes(&d.downloader(), &APT_QMR::CStreamDownloader::DownloadSignal);
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ended(codes); }, 120));
    const std::vector<int> c = Codes(codes);
    EXPECT_EQ(c.front(), DownloadNextFile);
    EXPECT_EQ(std::count(c.begin(), c.end(), DownloadFileDone), 4);
    EXPECT_EQ(c.back(), DownloadAllDone);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return d.form().m_pDownloadBtn->isEnabled(); }, 120));
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(Cell(r, 6), QStringLiteral("Download Completed")) << r;
        EXPECT_EQ((Ticked(r) ? Qt::Checked : Qt::Unchecked), Qt::Unchecked);
    }
    const QStringList files = Outputs();
    ASSERT_EQ(files.size(), 4);
    EXPECT_TRUE(files[0].startsWith(QStringLiteral("ch01_")));
    for (const QString& f : files) EXPECT_GT(QFileInfo(Home() + "/dl/Downloads/" + f).size(), 0) << f.toStdString();
    // One notice per saved file, with its path; the end names none again.
    QStringList paths;
    for (const QString& f : files) paths << Home() + "/dl/Downloads/" + f;
    QStringList notices = presenter.Texts(ziraz::DialogKind::Information);
    notices.sort();
    EXPECT_EQ(notices, paths);
    EXPECT_FALSE(d.form().m_pStopBtn->isEnabled());
    EXPECT_TRUE(d.form().m_pFileView->isEnabled());
}

TEST_F(DownloadTest, ByTimeWritesTheCheckedChannelAndUnchecksThePeriod) {
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    d.onTabTwo();
    auto& f = d.form();
    const time_t s = m_files[0]->StartTime + 1;
    const time_t e = m_files[0]->EndTime + 3;
    f.m_pFirstBeginTime->setDateTime(QDateTime::fromSecsSinceEpoch(s));
    f.m_pFirstEndTime->setDateTime(QDateTime::fromSecsSinceEpoch(e));
    f.m_pFirstPeriodCheckBox->setChecked(true);
    d.channelBoxes()[1]->setChecked(false);
    EXPECT_GT(d.selectedSize(), 0u);
    // An earlier file of this channel and span stays; the download is
    // written beside it.
    const QString old = Home() + QStringLiteral("/dl/Downloads/ch01_%1_%2.mp4")
                                     .arg(QString::fromStdString(TimeToString(s)), QString::fromStdString(TimeToString(e)));
    ASSERT_TRUE(kel_test::WriteFile(old, "old"));
    kel_test::SignalLog codes(&d.downloader(), &APT_QMR::CStreamDownloader::DownloadSignal);
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ended(codes); }, 120));
    EXPECT_EQ(Codes(codes).back(), DownloadAllDone);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return f.m_pDownloadBtn->isEnabled(); }, 120));
    EXPECT_FALSE(f.m_pFirstPeriodCheckBox->isChecked());
    const QStringList files = Outputs();
    ASSERT_EQ(files.size(), 2);
    for (const QString& name : files) EXPECT_TRUE(name.startsWith(QStringLiteral("ch01_"))) << name.toStdString();
    EXPECT_EQ(kel_test::ReadFile(old), QByteArray("old"));
    const QString written = Home() + "/dl/Downloads/" + QFileInfo(old).completeBaseName() + " (1).mp4";
    EXPECT_GT(QFileInfo(written).size(), 40);
}

TEST_F(DownloadTest, EvidenceModeWritesToTheEvidenceFolder) {
    Lorrimax& d = Make(1);
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 4);
    Tick(2);
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Cell(2, 6) == QStringLiteral("Download Completed"); }, 120));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return d.form().m_pDownloadBtn->isEnabled(); }, 120));
    const QStringList files = Outputs(QStringLiteral("/ev/Downloads"));
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegExp(QStringLiteral("ch02_\\d{14}_\\d{14}_\\d{4}\\.mp4")).exactMatch(files[0])) << files[0].toStdString();
    EXPECT_TRUE(Outputs().isEmpty());
}

// Enough recordings that the download still runs right after it started.
class LongDownloadTest : public DownloadTest {
protected:
    int PerDay() const override { return 40; }
};

TEST_F(LongDownloadTest, CloseIsRefusedWhileDownloadingAndStopEndsIt) {
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 80);
    d.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    kel_test::SignalLog codes(&d.downloader(), &APT_QMR::CStreamDownloader::DownloadSignal);
    d.OnDownLoad();
    ASSERT_TRUE(d.downloader().IsDownloading());
    QCloseEvent ev;
    QCoreApplication::sendEvent(&d, &ev);
    EXPECT_FALSE(ev.isAccepted());
    EXPECT_TRUE(exitCodes.empty());
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning), QStringList{QStringLiteral("Downloading, please wait or stop the download.")});

    d.OnStopDonload();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            const auto c = Codes(codes);
            return std::find(c.begin(), c.end(), DownloadStopped) != c.end();
        },
        120));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return d.form().m_pDownloadBtn->isEnabled(); }, 120));
    EXPECT_FALSE(d.form().m_pStopBtn->isEnabled());
    int stopped = 0, done = 0;
    for (int r = 0; r < 80; ++r) {
        if (Cell(r, 6) == QStringLiteral("Stopped")) ++stopped;
        if (Cell(r, 6) == QStringLiteral("Download Completed")) ++done;
    }
    EXPECT_EQ(stopped, 1);
    EXPECT_LT(done, 80);
    EXPECT_FALSE(d.downloader().IsDownloading());
}

TEST_F(DownloadTest, AFileThatCannotBeReadIsReportedAsFailed) {
    // The hand-over names a recording that the medium does not hold, with
    // a name that climbs out of the folders.
    ChannelFiles block;
    block.DiskName = QStringLiteral("K:\\");
    block.ChannelInfo.SetChannelNumber(3);
    CSingleFile missing("../../../no_such_recording.dat", "K:\\", 5000, m_files[0]->StartTime, m_files[0]->EndTime, 0, "", 3);
    block.SingleFileList.push_back(&missing);
    WriteSearchedFile({&block});
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 1);
    Tick(0);
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !presenter.Texts(ziraz::DialogKind::Information).isEmpty(); }, 120));
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Information),
              QStringList{QStringLiteral("0 of 1 files downloaded completely.\nFailed: 1.\n") +
                          FailureLine(3, missing.StartTime, missing.EndTime, "recording missing")});
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled(); }, 120));
    EXPECT_EQ(Cell(0, 6), QStringLiteral("Download Failed: recording missing"));
    EXPECT_FALSE(d.form().m_pStopBtn->isEnabled());
    EXPECT_TRUE(Outputs().isEmpty());
    EXPECT_FALSE(QFile::exists(Home() + "/../no_such_recording.dat"));
}

// Recordings that cannot be read, first and in the middle of the batch:
// each marks its own row, the others are written, and the end notice says
// how many failed.
TEST_F(DownloadTest, BadRecordingsMarkTheirRowsAndTheBatchGoesOn) {
    std::vector<CSingleFile*> ch1;
    for (const auto& f : m_files)
        if (f->ChannelNumber == 1) ch1.push_back(f.get());
    ASSERT_EQ(ch1.size(), 2u);
    const uint32_t late = ch1[1]->EndTime + 100;
    CSingleFile missingA("no_such_a.dat", "K:\\", 5000, late, late + 4, 0, "", 1);
    CSingleFile missingB("no_such_b.dat", "K:\\", 5000, late + 10, late + 14, 0, "", 1);
    ChannelFiles block;
    block.DiskName = QStringLiteral("K:\\");
    block.ChannelInfo.SetChannelNumber(1);
    block.SingleFileList = {&missingA, ch1[0], &missingB, ch1[1]};
    WriteSearchedFile({&block});
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 4);
    d.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    d.OnDownLoad();
    // The batch has ended when its summary is shown.
    const auto summaryShown = [&] {
        for (const QString& n : presenter.Texts(ziraz::DialogKind::Information))
            if (n.contains(QStringLiteral("files downloaded completely"))) return true;
        return false;
    };
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return summaryShown() && !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled(); },
        120));
    const char* statuses[4] = {"Download Failed: recording missing", "Download Completed",
                               "Download Failed: recording missing", "Download Completed"};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(Cell(r, 6), QString::fromLatin1(statuses[r])) << r;
        EXPECT_EQ((Ticked(r) ? Qt::Checked : Qt::Unchecked), Qt::Unchecked) << r;
    }
    EXPECT_EQ(Outputs().size(), 2);
    const QStringList notices = presenter.Texts(ziraz::DialogKind::Information);
    ASSERT_FALSE(notices.isEmpty());
    // Each failed file is named with why.
    EXPECT_EQ(notices.back(), QStringLiteral("2 of 4 files downloaded completely.\nFailed: 2.\n") +
                                  FailureLine(1, late, late + 4, "recording missing") + "\n" +
                                  FailureLine(1, late + 10, late + 14, "recording missing"));
    // A second round has nothing left to do: the failed rows are not ticked.
    EXPECT_EQ(d.selectedSize(), 0u);
}

// The row of the file being written shows how far it has come; the rows
// before it are done, the rows after it wait.
TEST_F(DownloadTest, TheRowBeingDownloadedShowsItsProgress) {
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 4);
    d.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    const uint64_t size = RowFileSize(1);
    SecondFileHold hold(d.downloader(), size);
    d.OnDownLoad();
    ASSERT_TRUE(
        kel_test::WaitUntil([&] { return hold.Waiting() && Cell(1, 6) == QStringLiteral("Downloading 0%"); }, 120));
    ASSERT_TRUE(hold.Full());
    EXPECT_EQ(Cell(0, 6), QStringLiteral("Download Completed"));
    // Every byte of the recording is in; the file is not finished yet.
    d.OnDownLoadCheck();
    EXPECT_EQ(Cell(1, 6), QStringLiteral("Downloading 99%"));
    EXPECT_EQ(Cell(2, 6), QStringLiteral("Waiting"));
    hold.Release();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled(); }, 120));
    for (int r = 0; r < 4; ++r) EXPECT_EQ(Cell(r, 6), QStringLiteral("Download Completed")) << r;
    EXPECT_EQ(Outputs().size(), 4);
}

// A row that fails says why: the folder cannot take the file, the recording
// is not on the disk, the drive filled up while the file was written.
TEST_F(DownloadTest, AFailedRowSaysWhy) {
    const QString dl = Home() + "/dl";
    const struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* status;
        const char* notice;     // the summary, or nothing
        const char* message;    // the message box, or nothing
        bool ticked;            // the row stays ticked
    } cases[] = {
        {"folder not writable",
         [&] { ASSERT_TRUE(kel_test::WriteFile(dl + "/Downloads", "a file where the folder should be")); },
         "Download Failed: folder not writable", "0 of 1 files downloaded completely.\nFailed: 1.", nullptr, false},
        {"disk full",
         [&] {
             CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, Home() + "/full_on_write");
         },
         "Download Failed: disk full", nullptr, "Not enough disk space. At least 2 GB of free disk space is needed.",
         true},
        {"recording missing",
         [&] { ASSERT_TRUE(QFile::remove(QString::fromStdString(m_folder + "/" + m_info.recordings[0].relPath))); },
         "Download Failed: recording missing", "0 of 1 files downloaded completely.\nFailed: 1.", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dl).removeRecursively();
        QDir(Home() + "/full_on_write").removeRecursively();
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, dl);
        presenter.calls.clear();
        c.arrange();
        Lorrimax& d = Make();
        d.LoadSearchedFiles();
        ASSERT_EQ(d.tableModel()->rowCount(), 4);
        Tick(0);
        d.OnDownLoad();
        ASSERT_TRUE(kel_test::WaitUntil(
            [&] {
                return !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled() &&
                       !d.form().m_pStopBtn->isEnabled() && Cell(0, 6) != QStringLiteral("Waiting") &&
                       !Cell(0, 6).startsWith(QStringLiteral("Downloading"));
            },
            120));
        EXPECT_EQ(Cell(0, 6), QString::fromUtf8(c.status));
        EXPECT_EQ((Ticked(0) ? Qt::Checked : Qt::Unchecked), c.ticked ? Qt::Checked : Qt::Unchecked);
        if (c.notice) {
            // The summary names the file and why it failed.
            const CSingleFile* f = d.tableModel()->file(0);
            ASSERT_NE(f, nullptr);
            const QString reason = QString::fromUtf8(c.status).section(QStringLiteral(": "), 1);
            EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Information),
                      QStringList{QString::fromUtf8(c.notice) + "\n" +
                                  FailureLine(d.tableModel()->channel(0), f->StartTime, f->EndTime,
                                              reason.toUtf8().constData())});
        }
        if (c.message) {
            EXPECT_EQ(presenter.Texts(ziraz::DialogKind::MessageInfo), QStringList{QString::fromUtf8(c.message)});
        }
        // Nothing that looks complete was written.
        for (const QString& folder : {QStringLiteral("/dl/Downloads"), QStringLiteral("/full_on_write/Downloads")})
            for (const QString& f : Outputs(folder))
                EXPECT_TRUE(CStreamDownloader::IsIncompleteFile(f)) << f.toStdString();
    }
}

// Three recordings of a channel one after another.
class ThreeRecordingsTest : public DownloadTest {
protected:
    int PerDay() const override { return 3; }
};

// By time over a channel whose middle recording is gone from the disk (it
// was found, then removed): the channel's file keeps the first and the third
// recording, the middle one's time a gap, and is kept as an incomplete file;
// the summary names the recording that is missing.
TEST_F(ThreeRecordingsTest, AMissingRecordingLeavesAGapInTheChannelsFile) {
    std::vector<const recmedia::PlannedRecording*> ch1;
    for (const recmedia::PlannedRecording& r : m_info.recordings)
        if (r.channel == 1) ch1.push_back(&r);
    ASSERT_EQ(ch1.size(), 3u);
    // Recorder milliseconds of the pictures of a recorder stream.
    const auto pictureTimes = [](const QByteArray& bytes) {
        std::vector<int64_t> times;
        recstream::StreamHeader header;
        if (!recstream::ParseHeader(bytes.constData(), size_t(bytes.size()), &header)) return times;
        recstream::PacketScanner scanner(header.startTime, false);
        scanner.Feed(bytes.constData() + 40, size_t(bytes.size()) - 40);
        scanner.Finish();
        recstream::Packet packet;
        while (scanner.Next(&packet))
            for (const recstream::Pes& pes : packet.pes)
                if (pes.streamId == recstream::kStreamVideo && pes.hasPts)
                    times.push_back(int64_t(header.startTime) * 1000 + int64_t(pes.pts / 90));
        return times;
    };
    const auto frames = [&](const recmedia::PlannedRecording& r) {
        return pictureTimes(kel_test::ReadFile(QString::fromStdString(m_folder + "/" + r.relPath)));
    };
    std::vector<int64_t> expected = frames(*ch1[0]);
    const std::vector<int64_t> third = frames(*ch1[2]);
    expected.insert(expected.end(), third.begin(), third.end());
    ASSERT_TRUE(QFile::remove(QString::fromStdString(m_folder + "/" + ch1[1]->relPath)));
    // The records as the hand-over has them.
    std::vector<const CSingleFile*> found;
    for (const auto& file : m_files)
        if (file->ChannelNumber == 1) found.push_back(file.get());
    std::sort(found.begin(), found.end(), [](const CSingleFile* a, const CSingleFile* b) { return a->StartTime < b->StartTime; });
    ASSERT_EQ(found.size(), 3u);

    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    d.onTabTwo();
    auto& f = d.form();
    f.m_pFirstBeginTime->setDateTime(QDateTime::fromSecsSinceEpoch(found[0]->StartTime));
    f.m_pFirstEndTime->setDateTime(QDateTime::fromSecsSinceEpoch(found[2]->EndTime));
    f.m_pFirstPeriodCheckBox->setChecked(true);
    d.channelBoxes()[1]->setChecked(false);
    kel_test::SignalLog codes(&d.downloader(), &APT_QMR::CStreamDownloader::DownloadSignal);
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ended(codes); }, 120));
    EXPECT_EQ(Codes(codes).back(), DownloadFailed);
    EXPECT_EQ(codes.back().at(1).toInt(), 1);   // the middle recording
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return f.m_pDownloadBtn->isEnabled() && !presenter.Texts(ziraz::DialogKind::Information).isEmpty(); },
        120));
    // The period stays checked: its file is not whole.
    EXPECT_TRUE(f.m_pFirstPeriodCheckBox->isChecked());
    const QStringList files = Outputs();
    ASSERT_EQ(files.size(), 1) << files.join('|').toStdString();
    EXPECT_TRUE(CStreamDownloader::IsIncompleteFile(files[0])) << files[0].toStdString();
    EXPECT_TRUE(files[0].startsWith(QStringLiteral("ch01_")));
    const QString saved = Home() + "/dl/Downloads/" + files[0];
    // Decoded: the first and the third recording, every picture at its
    // recorder time.
    EXPECT_EQ(pictureTimes(kel_test::ReadFile(saved)), expected);
    // The summary names the missing recording and the file kept.
    const QString summary = presenter.Texts(ziraz::DialogKind::Information).last();
    EXPECT_TRUE(summary.contains(FailureLine(1, found[1]->StartTime, found[1]->EndTime, "recording missing")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(saved)) << summary.toStdString();
}

// A stop in the middle of the second file: the summary counts the file
// saved complete and says what is left of the stopped one.
TEST_F(DownloadTest, TheSummaryAfterAStopCountsTheCompleteFiles) {
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.tableModel()->rowCount(), 4);
    d.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    const uint64_t size = RowFileSize(1);
    // The operator's stop, met by the worker while it writes the second file.
    SecondFileHold hold(d.downloader(), size, [&] { d.downloader().StopDownload(false); });
    d.OnDownLoad();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            return hold.Waiting() && !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled() &&
                   !presenter.Texts(ziraz::DialogKind::Information).isEmpty() &&
                   presenter.Texts(ziraz::DialogKind::Information).last().contains(QStringLiteral("of 4 files"));
        },
        120));
    hold.Release();
    EXPECT_EQ(Cell(0, 6), QStringLiteral("Download Completed"));
    EXPECT_EQ(Cell(1, 6), QStringLiteral("Stopped"));
    EXPECT_EQ(Cell(2, 6), QStringLiteral("Waiting"));
    EXPECT_EQ(Cell(3, 6), QStringLiteral("Waiting"));
    EXPECT_EQ((Ticked(2) ? Qt::Checked : Qt::Unchecked), Qt::Checked);
    const QStringList files = Outputs();
    ASSERT_EQ(files.size(), 2);
    QString partial;
    for (const QString& f : files)
        if (CStreamDownloader::IsIncompleteFile(f)) partial = Home() + "/dl/Downloads/" + f;
    ASSERT_FALSE(partial.isEmpty());
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Information).last(),
              QStringLiteral("1 of 4 files downloaded completely.\nIncomplete: 1.\n"
                             "The download is incomplete. What was saved up to its end: ") +
                  partial);
}

// Every way of closing the window while it downloads is refused with a
// word; the window stays and the download goes on to its end, leaving
// complete files only.
TEST_F(DownloadTest, ClosingTheWindowDuringADownloadIsRefusedAndTheDownloadGoesOn) {
    const struct {
        const char* name;
        std::function<void(Lorrimax&)> close;
    } ways[] = {
        {"close button of the title bar", [](Lorrimax& d) { d.titleBar()->closeButton()->click(); }},
        {"Escape", [](Lorrimax& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"Cannel button", [](Lorrimax& d) { d.form().m_pCancelBtn->click(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        QDir(Home() + "/dl").removeRecursively();
        presenter.calls.clear();
        Lorrimax& d = Make();
        d.LoadSearchedFiles();
        d.show();
        ASSERT_EQ(d.tableModel()->rowCount(), 4);
        d.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
        // The worker waits in the second file while the window is closed.
        SecondFileHold hold(d.downloader(), RowFileSize(1));
        d.OnDownLoad();
        ASSERT_TRUE(kel_test::WaitUntil([&] { return hold.Waiting(); }, 120));
        way.close(d);
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.downloader().IsDownloading());
        EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning),
                  QStringList{QStringLiteral("Downloading, please wait or stop the download.")});
        hold.Release();
        ASSERT_TRUE(kel_test::WaitUntil(
            [&] { return !d.downloader().IsDownloading() && d.form().m_pDownloadBtn->isEnabled(); }, 120));
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(exitCodes.empty());
        for (int r = 0; r < 4; ++r) EXPECT_EQ(Cell(r, 6), QStringLiteral("Download Completed")) << r;
        const QStringList files = Outputs();
        EXPECT_EQ(files.size(), 4);
        for (const QString& f : files) EXPECT_FALSE(CStreamDownloader::IsIncompleteFile(f)) << f.toStdString();
    }
}

}  // namespace
