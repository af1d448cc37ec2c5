// SPDX-License-Identifier: GPL-3.0-or-later
// The batch dialog over hand-over files: the command line, reading the two
// files into the rows, refused input, the checks before a download and the
// size estimate, the channel boxes and closing.
#include "lorrimax_fixture.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include "LorrimaxStartup.h"
#include "storage/QorAutoStorage.h"
#include "wincompat/drives.h"

#include <sys/statvfs.h>

#include <cstring>

// A folder whose path holds "/nearly_full" reports 16 free blocks.
extern "C" int __real_statvfs(const char* path, struct statvfs* buf);
extern "C" int __wrap_statvfs(const char* path, struct statvfs* buf) {
    const int rc = __real_statvfs(path, buf);
    if (rc == 0 && path && std::strstr(path, "/nearly_full")) buf->f_bavail = 16;
    return rc;
}

using namespace lorrimax_test;
using APT_QMR::CSingleFile;

namespace {

const uint32_t T0 = 1709280000;  // 2024-03-01 08:00:00 UTC

// One searched channel whose files start at the given offsets from T0 and
// last 60 s each.
struct Block {
    ChannelFiles record;
    std::vector<std::unique_ptr<CSingleFile>> files;
    Block(const QString& disk, int channel, std::vector<uint32_t> offsets, const std::string& name = "rec") {
        record.DiskName = disk;
        record.DeviceName = QStringLiteral("DVR");
        record.ChannelInfo.SetChannelNumber(channel);
        record.StartTime = record.EndTime = QDate(2024, 3, 1);
        for (uint32_t o : offsets) {
            files.emplace_back(new CSingleFile(name + std::to_string(o) + ".dat", disk.toStdString(), 1000 + o,
                                               T0 + o, T0 + o + 59, 0, "DVR", channel));
            record.SingleFileList.push_back(files.back().get());
        }
    }
};

TEST(LorrimaxCommandLine, ModeFromFirstArgument) {
    struct Case {
        std::vector<const char*> args;
        int number;
        int mode;
    } cases[] = {
        {{"Lorrimax"}, 0, 0},        {{"Lorrimax", ""}, 0, 0},   {{"Lorrimax", "0"}, 0, 0},
        {{"Lorrimax", "abc"}, 0, 0}, {{"Lorrimax", "1"}, 1, 1},  {{"Lorrimax", "2"}, 2, 1},
        {{"Lorrimax", "-1"}, -1, 1}, {{"Lorrimax", "0", "1"}, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv;
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        const int n = ReadDownloadFileType(int(argv.size()), argv.data());
        EXPECT_EQ(n, c.number) << c.args.size();
        EXPECT_EQ(DownloadFileTypeOf(n), c.mode);
    }
}

TEST_F(DialogTest, FormAtStart) {
    Lorrimax& d = Make();
    EXPECT_EQ(d.title(), QStringLiteral("Files download(Lorrimax)"));
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(d.tableModel()->columnCount(), 7);
    EXPECT_EQ(d.tableModel()->headerData(6, Qt::Horizontal).toString(), QStringLiteral("Status"));
    EXPECT_EQ(d.form().lineEdit->text(), QStringLiteral("RodoroZOD"));
    EXPECT_EQ(d.form().lineEdit->maxLength(), 15);
    EXPECT_FALSE(d.form().m_pStopBtn->isEnabled());
    EXPECT_EQ(d.form().m_pDownloadTabWidget->currentIndex(), 0);
    EXPECT_EQ(d.channelBoxes().size(), 24);
    EXPECT_EQ(d.channelBoxes()[23]->objectName(), QStringLiteral("checkBox24"));
    EXPECT_EQ(d.channelBoxes()[23]->text(), QStringLiteral("Channel24"));
    EXPECT_EQ(d.downloadFileType(), 0);
}

TEST_F(DialogTest, HandOverFilesGiveNumberedRowsAcrossChannels) {
    // Letters whose drives are not known, whatever this machine mounts.
    struct Reload {
        ~Reload() { wincompat::ReloadDriveTable(); }
    } reloadAtTheEnd;
    kel_test::WriteFile(Home() + "/drives.txt",
                        QString("letter D - fixed ext4 %1\nletter E - fixed ext4 %1\n").arg(Home()).toUtf8());
    kel_test::ScopedEnv table("KEL_DRIVES", (Home() + "/drives.txt").toStdString());
    wincompat::ReloadDriveTable();
    Block a(QStringLiteral("E:\\"), 1, {0, 60, 120});
    Block b(QStringLiteral("D:\\"), 2, {0, 60});
    Block empty(QStringLiteral("D:\\"), 3, {});
    WriteSearchedFile({&a.record, &b.record, &empty.record});
    WriteDiskFile({QStringLiteral("E:\\"), QStringLiteral("D:\\")});

    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.entries().size(), 3);
    EXPECT_EQ(d.entries()[1].channelNumber, 2);
    EXPECT_TRUE(d.entries()[2].files.empty());
    EXPECT_EQ(d.judgedDisks(), (std::vector<std::string>{"D:\\", "E:\\"}));
    EXPECT_TRUE(d.loadErrors().isEmpty());
    EXPECT_TRUE(presenter.calls.empty());

    ASSERT_EQ(d.tableModel()->rowCount(), 5);
    const char* channels[5] = {"1", "1", "1", "2", "2"};
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(Cell(r, 0), QString::number(r + 1));
        EXPECT_EQ(Cell(r, 2), QLatin1String(channels[r]));
        EXPECT_EQ(Cell(r, 6), QStringLiteral("Wait"));
    }
    // The disk as the search panel shows it (a letter whose drive is not
    // known: the letter), the path it was found on beside it.
    EXPECT_EQ(Cell(3, 1), QStringLiteral("D:"));
    EXPECT_EQ(d.tableModel()->index(3, 1).data(BatchFileModel::kDiskPathRole).toString(),
              QStringLiteral("D:\\"));
    EXPECT_EQ(Cell(4, 3), QStringLiteral("2024-03-01 08:01:00"));
    EXPECT_EQ(Cell(4, 4), QStringLiteral("2024-03-01 08:01:59"));

    // Ticking rows adds their sizes; nothing ticked downloads nothing.
    EXPECT_EQ(d.selectedSize(), 0u);
    d.OnDownLoad();
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning), QStringList{QStringLiteral("No file to download.")});
    Tick(0);
    Tick(4);
    EXPECT_EQ(d.selectedSize(), 1000u + 1060u);
    EXPECT_EQ(d.form().m_pAllFileLabel->text(), QStringLiteral("2 KB"));
}

TEST_F(DialogTest, Gb2312NamesAreDecoded) {
    const QString disk = QString::fromUtf8("F:\\录像");
    Block a(disk, 5, {0});
    a.record.DeviceName = QString::fromUtf8("车辆一");
    a.files[0]->FileName = "通道5.dat";
    WriteSearchedFile({&a.record});
    WriteDiskFile({disk});

    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    ASSERT_EQ(d.entries().size(), 1);
    EXPECT_EQ(d.entries()[0].diskName, disk);
    EXPECT_EQ(d.entries()[0].deviceName, QString::fromUtf8("车辆一"));
    EXPECT_EQ(d.judgedDisks(), std::vector<std::string>{disk.toStdString()});
    ASSERT_EQ(d.tableModel()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 1), disk);
    EXPECT_EQ(d.tableModel()->index(0, 0).data(BatchFileModel::kFileNameRole).toString(),
              QString::fromUtf8("通道5.dat"));
}

TEST_F(DialogTest, MissingFilesOrSettingsGiveAnEmptyTableWithoutMessage) {
    {
        Lorrimax& d = Make();
        d.LoadSearchedFiles();
        EXPECT_EQ(d.tableModel()->rowCount(), 0);
        EXPECT_TRUE(d.judgedDisks().empty());
        EXPECT_TRUE(presenter.calls.empty());
    }
    Block a(QStringLiteral("E:\\"), 1, {0});
    WriteSearchedFile({&a.record});
    ClearSettings();
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    EXPECT_EQ(d.entries().size(), 1);
    EXPECT_EQ(d.tableModel()->rowCount(), 0);
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(DialogTest, MalformedHandOverIsRefusedWithAMessage) {
    struct Case {
        const char* name;
        QByteArray searched;
        int rows;
    };
    Block good(QStringLiteral("E:\\"), 1, {0, 60});
    // Missing times, a reversed span and an element that is no channel block.
    Block bad(QStringLiteral("E:\\"), 2, {0, 60, 120});
    bad.files[1]->EndTime = bad.files[1]->StartTime - 10;
    QString badBody = good.record.ToXml() + bad.record.ToXml() + QStringLiteral("<Other><DiskName>x</DiskName></Other>");
    const QString startTag = QStringLiteral("<StartTime>2024-03-01 08:00:00</StartTime>");
    const int at = badBody.lastIndexOf(startTag);
    ASSERT_GE(at, 0);
    badBody.remove(at, startTag.size());
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const Case cases[] = {
        {"not xml", head + "<SearchedFile><PlaybackFilesOfChannel>", 0},
        {"binary", QByteArray("\x00\x01\x02garbage", 10), 0},
        // Nested far deeper than any hand-over: refused before it is parsed.
        {"nested 100000 deep", head + "<SearchedFile>" + QByteArray("<a>").repeated(100000) +
                                   QByteArray("</a>").repeated(100000) + "</SearchedFile>", 0},
        {"bad records", head + "<SearchedFile>" + badBody.toUtf8() + "</SearchedFile>", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        presenter.calls.clear();
        ASSERT_TRUE(kel_test::WriteFile(Home() + "/SearchedFile.xml", c.searched));
        ASSERT_TRUE(kel_test::WriteFile(Home() + "/DiskFile.xml",
                                        head + "<DiskInfos>" + QByteArray("<Disk>").repeated(50000) + "</DiskInfos>"));
        Lorrimax& d = Make();
        d.LoadSearchedFiles();
        EXPECT_EQ(d.tableModel()->rowCount(), c.rows);
        EXPECT_FALSE(d.loadErrors().isEmpty());
        const QStringList warnings = presenter.Texts(ziraz::DialogKind::Warning);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].contains(QStringLiteral("DiskFile.xml")));
        EXPECT_TRUE(d.judgedDisks().empty());
    }
    // The rows that were kept are the valid ones: channel 1 twice, channel 2 once.
    EXPECT_EQ(Cell(2, 2), QStringLiteral("2"));
    EXPECT_EQ(Cell(2, 3), QStringLiteral("2024-03-01 08:02:00"));
    EXPECT_EQ(dialog->loadErrors().size(), 3);
}

TEST_F(DialogTest, SubFolderMustStayInsideTheSaveFolder) {
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {{"RodoroZOD", true}, {"", true}, {"a.b", true}, {"..", false}, {".", false}, {"../up", false},
                 {"a/b", false},      {"a\\b", false}, {"C:", false}, {"x*", false}};
    for (const Case& c : cases) EXPECT_EQ(Lorrimax::IsSafeFolderName(QString::fromUtf8(c.name)), c.ok) << c.name;

    Block a(QStringLiteral("E:\\"), 1, {0});
    WriteSearchedFile({&a.record});
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    Tick(0);
    d.form().lineEdit->setText(QStringLiteral("../../etc"));
    QSignalSpy begin(&d, &Lorrimax::SignalBeginDownLoad);
    d.OnDownLoad();
    EXPECT_EQ(begin.count(), 0);
    EXPECT_FALSE(d.downloader().IsDownloading());
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning).size(), 1);
    EXPECT_FALSE(QDir(Home() + "/etc").exists());
}

TEST_F(DialogTest, TooLittleFreeSpaceStartsNothing) {
    ASSERT_TRUE(QDir().mkpath(Home() + "/nearly_full"));
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, Home() + "/nearly_full");
    Block a(QStringLiteral("E:\\"), 1, {0});
    WriteSearchedFile({&a.record});
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    Tick(0);
    d.OnDownLoad();
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning), QStringList{QStringLiteral("At least 2G disk space is need.")});
    EXPECT_FALSE(d.downloader().IsDownloading());
    EXPECT_EQ(Cell(0, 6), QStringLiteral("Wait"));
}

TEST_F(DialogTest, PeriodChecks) {
    Lorrimax& d = Make();
    auto& f = d.form();
    const QDate day(2024, 3, 1);
    auto set = [&](QCheckBox* box, QDateTimeEdit* b, QDateTimeEdit* e, int h1, int h2) {
        box->setChecked(true);
        b->setDateTime(QDateTime(day, QTime(h1, 0)));
        e->setDateTime(QDateTime(day, QTime(h2, 0)));
    };
    EXPECT_FALSE(f.m_pThirdBeginTime->isEnabled());
    set(f.m_pThirdPeriodCheckBox, f.m_pThirdBeginTime, f.m_pThirdEndTime, 10, 10);
    EXPECT_TRUE(f.m_pThirdBeginTime->isEnabled());
    d.OnDownLoad();
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning),
              QStringList{QStringLiteral("The segment 3, the start time should be earlier than end time.")});
    EXPECT_EQ(f.m_pDownloadTabWidget->currentIndex(), 1);

    presenter.calls.clear();
    f.m_pThirdPeriodCheckBox->setChecked(false);
    set(f.m_pFirstPeriodCheckBox, f.m_pFirstBeginTime, f.m_pFirstEndTime, 10, 11);
    set(f.m_pSecondPeriodCheckBox, f.m_pSecondBeginTime, f.m_pSecondEndTime, 11, 12);
    d.OnDownLoad();
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning), QStringList{QStringLiteral("The time cross.")});

    // Apart, but nothing recorded in them.
    presenter.calls.clear();
    set(f.m_pSecondPeriodCheckBox, f.m_pSecondBeginTime, f.m_pSecondEndTime, 12, 13);
    d.OnDownLoad();
    EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning), QStringList{QStringLiteral("No file to download.")});
}

TEST_F(DialogTest, SpanEstimate) {
    Lorrimax& d = Make();
    const uint32_t ten = T0 + 2 * 3600;  // 10:00:00
    CSingleFile part("a", "E:\\", 600000, ten, ten + 599, 0, "DVR", 1);
    CSingleFile inside("b", "E:\\", 1234, ten + 600, ten + 659, 0, "DVR", 1);
    CSingleFile around("c", "E:\\", 100000, ten - 1000, ten + 9999, 0, "DVR", 1);
    CSingleFile after("d", "E:\\", 5, ten + 7200, ten + 7300, 0, "DVR", 1);
    const time_t a = ten + 300, b = ten + 1200;  // 10:05:00 .. 10:20:00
    EXPECT_EQ(d.EstimateSpanSize(a, b, {&part}), 300000u);
    EXPECT_EQ(d.EstimateSpanSize(a, b, {&inside}), 1234u);
    EXPECT_EQ(d.EstimateSpanSize(a, b, {&around}), uint64_t((b - a + 1) * 100000.0 / 11000 + 0.5));
    EXPECT_EQ(d.EstimateSpanSize(a, b, {&after, nullptr}), 0u);
    EXPECT_EQ(d.EstimateSpanSize(b, a, {&part}), 0u);
}

TEST_F(DialogTest, PeriodSizeFollowsTheChannelBoxes) {
    Block a(QStringLiteral("E:\\"), 1, {0});
    Block b(QStringLiteral("E:\\"), 2, {0});
    WriteSearchedFile({&a.record, &b.record});
    Lorrimax& d = Make();
    d.LoadSearchedFiles();
    d.onTabTwo();
    auto& f = d.form();
    f.m_pFirstBeginTime->setDateTime(QDateTime::fromSecsSinceEpoch(T0 - 100));
    f.m_pFirstEndTime->setDateTime(QDateTime::fromSecsSinceEpoch(T0 + 100));
    f.m_pFirstPeriodCheckBox->setChecked(true);
    EXPECT_EQ(d.selectedSize(), 2000u);
    d.channelBoxes()[1]->setChecked(false);
    EXPECT_EQ(d.selectedSize(), 1000u);
    EXPECT_EQ(f.checkBox->checkState(), Qt::PartiallyChecked);
    f.checkBox->setCheckState(Qt::Unchecked);
    EXPECT_EQ(d.selectedSize(), 0u);
    for (QCheckBox* c : d.channelBoxes()) EXPECT_FALSE(c->isChecked());
    f.checkBox->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(f.checkBox->checkState(), Qt::Checked);
    for (QCheckBox* c : d.channelBoxes()) EXPECT_TRUE(c->isChecked());
    EXPECT_EQ(d.selectedSize(), 2000u);
}

TEST_F(DialogTest, ClosingWhileIdleEndsTheProcess) {
    Lorrimax& d = Make();
    d.show();
    QCloseEvent ev;
    QCoreApplication::sendEvent(&d, &ev);
    EXPECT_TRUE(ev.isAccepted());
    EXPECT_EQ(exitCodes, std::vector<int>{0});
}

}  // namespace
