// SPDX-License-Identifier: GPL-3.0-or-later
// The search panel over generated recorder media and folders of exported
// recordings: disk list, search start and refusals, the result tree with its
// roles, filter and day marks, records for the playback grid, the batch
// hand-over files and the downloader start, and the evidence pictures.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QMovie>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTest>
#include <QTextCodec>
#include <QToolButton>

#include <atomic>
#include <functional>
#include <set>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SearchBar/ChaseTree.h"
#include "PictureShow/PictureShowView.h"
#include "search/PictureListModel.h"
#include "SearchBar/PictureShowLabel.h"
#include "storage/QorAutoStorage.h"
#include "SearchBar/SearchBarGlobals.h"
#include "SearchBar/SearchBarWidget.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "VideoColorTipWidget/VideoColorTipWidget.h"
#include "kel_test/read_only_folder.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"

using namespace ResultTree;

namespace {

const QDate kDay(2024, 3, 1);
const int kWaitMs = 180000;

// Answers every dialog of the panel and keeps what was asked.
class Dialogs {
public:
    Dialogs()
        : m_scope([this](const ziraz::DialogCall& call) -> std::optional<int> {
              calls.push_back(call);
              return call.kind == ziraz::DialogKind::Modal ? modalAnswer : 0;
          }) {}
    QStringList warnings() const {
        QStringList texts;
        for (const auto& c : calls)
            if (c.kind == ziraz::DialogKind::Warning) texts << QString("%1 %2").arg(c.pictureType).arg(c.text);
        return texts;
    }
    int modals() const {
        int n = 0;
        for (const auto& c : calls) n += c.kind == ziraz::DialogKind::Modal;
        return n;
    }
    std::vector<ziraz::DialogCall> calls;
    int modalAnswer = 0;

private:
    ziraz::ScopedDialogPresenter m_scope;
};

// Drive tables of test media; every medium of the process gets a letter of
// its own, as the storage registry outlives a test.
class Drives {
public:
    ~Drives() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }
    // perDay recordings of `seconds` a channel; indexOnly: indexes without
    // recordings (all a search reads).
    char AddMedium(int family, bool pictures = false, int perDay = 3, int seconds = 60, bool indexOnly = false) {
        static std::atomic<char> next{'E'};
        const char letter = next++;
        const QString folder = kel_test::ProgramFolder() + "/medium_" + QChar(letter);
        recmedia::MediaSpec spec;
        spec.outDir = folder.toStdString();
        spec.family = family;
        spec.channels = 2;
        spec.perDay = perDay;
        spec.seconds = seconds;
        spec.startDate = "2024-03-01";
        spec.fast = true;
        spec.indexOnly = indexOnly;
        if (indexOnly) spec.firstSecond = 0;
        spec.logs = spec.events = spec.vehicleFiles = false;
        spec.pictures = pictures;
        spec.seed = static_cast<uint32_t>(letter);
        spec.serial = 0x5E200000u + static_cast<uint32_t>(letter);
        std::string error;
        if (!recmedia::WriteMedium(spec, &error)) {
            ADD_FAILURE() << error;
            return 0;
        }
        m_table += QString("disk %1 %2\nletter %3 %1 removable vfat %2\n").arg(++m_disk).arg(folder).arg(QChar(letter));
        Install();
        return letter;
    }
    void SetTable(const QString& table) {
        m_table = table;
        Install();
    }
    // Changes the file only, as an operator would, without reading it again.
    void RewriteFile(const QString& table) {
        ASSERT_TRUE(kel_test::WriteFile(kel_test::ProgramFolder() + "/drives.txt", table.toUtf8()));
    }

private:
    void Install() {
        const QString path = kel_test::ProgramFolder() + "/drives.txt";
        ASSERT_TRUE(kel_test::WriteFile(path, m_table.toUtf8()));
        if (!m_env) m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", path.toStdString()));
        wincompat::ReloadDriveTable();
    }
    QString m_table;
    int m_disk = 0;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

bool SearchDone(SearchBarWidget& panel) {
    return panel.form()->btnSearchRecord->isEnabled() && panel.form()->stackedWidget->currentIndex() != 2;
}

void SetSearchDay(SearchBarWidget& panel, const QDate& day) { panel.form()->searchRangeDateTimeEdit->SetDateRange(day, day); }

// Clicks Search and waits for the end of the search that it started.
void Search(SearchBarWidget& panel) {
    panel.form()->btnSearchRecord->click();
    ASSERT_FALSE(panel.form()->btnSearchRecord->isEnabled());
    ASSERT_EQ(panel.form()->stackedWidget->currentIndex(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return SearchDone(panel); }, kWaitMs));
}

QString SearchText(uint32_t t) {
    return QDateTime::fromSecsSinceEpoch(t).toString("yyyy-MM-dd hh:mm:ss");
}
QString FilteredText(uint32_t t) {
    return QDateTime::fromSecsSinceEpoch(t).toString("yyyy-MM-dd  hh:mm:ss");
}

// The channel items of the tree in tree order.
QModelIndexList ChannelItems(QStandardItemModel* model) {
    QModelIndexList out;
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex device = model->index(d, 0);
        for (int c = 0; c < model->rowCount(device); ++c) out << model->index(c, 0, device);
    }
    return out;
}

// The records in the order the tree shows them: grouped by device name in
// order of first appearance.
QVector<ChannelFiles*> TreeOrder(const QVector<ChannelFiles*>& records) {
    QStringList devices;
    for (const ChannelFiles* r : records)
        if (!devices.contains(r->DeviceName)) devices << r->DeviceName;
    QVector<ChannelFiles*> out;
    for (const QString& d : devices)
        for (ChannelFiles* r : records)
            if (r->DeviceName == d) out << r;
    return out;
}

// Checks every row of the tree against the records it shows.
void ExpectTreeShows(SearchBarWidget& panel, const QVector<ChannelFiles*>& records, bool filtered) {
    QStandardItemModel* model = panel.treeModel();
    const QVector<ChannelFiles*> ordered = TreeOrder(records);
    const QModelIndexList channels = ChannelItems(model);
    ASSERT_EQ(channels.size(), ordered.size());
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex device = model->index(d, 0);
        EXPECT_EQ(device.data(kItemKindRole).toString(), "device");
        EXPECT_FALSE(device.data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_TRUE(panel.form()->treeRecordFileList->treeView()->isExpanded(device));
    }
    for (int i = 0; i < channels.size(); ++i) {
        const QModelIndex ch = channels[i];
        const ChannelFiles* r = ordered[i];
        EXPECT_EQ(ch.parent().data().toString(), r->DeviceName);
        EXPECT_EQ(ch.data().toString(), "channel" + QString::number(r->ChannelInfo.GetChannelNumber()));
        EXPECT_EQ(ch.data(kItemKindRole).toString(), "channel");
        EXPECT_EQ(ch.data(kChannelNumberRole).toInt(), r->ChannelInfo.GetChannelNumber());
        EXPECT_EQ(ch.data(kRbsRole).toBool(), r->ChannelInfo.GetRbs());
        EXPECT_EQ(ch.data(kDeviceNameRole).toString(), r->DeviceName);
        EXPECT_EQ(ch.data(kDiskNameRole).toString(), r->DiskName);
        EXPECT_FALSE(panel.form()->treeRecordFileList->treeView()->isExpanded(ch));
        ASSERT_EQ(static_cast<size_t>(panel.treeModel()->rowCount(ch)), r->SingleFileList.size());
        for (int f = 0; f < panel.treeModel()->rowCount(ch); ++f) {
            const QModelIndex file = panel.treeModel()->index(f, 0, ch);
            const APT_QMR::CSingleFile* sf = r->SingleFileList[static_cast<size_t>(f)];
            EXPECT_EQ(file.data(kItemKindRole).toString(), "file");
            EXPECT_EQ(file.data(kFileRecordRole).value<void*>(), static_cast<const void*>(sf));
            EXPECT_EQ(file.data(kFileNameRole).toString(), QString::fromStdString(sf->FileName));
            EXPECT_EQ(file.data(kChannelNumberRole).toInt(), r->ChannelInfo.GetChannelNumber());
            EXPECT_EQ(file.data(kDiskNameRole).toString(), r->DiskName);
            QString text = filtered ? FilteredText(sf->StartTime) + "~" + FilteredText(sf->EndTime)
                                    : SearchText(sf->StartTime) + "~" + SearchText(sf->EndTime);
            // A row of a disk names the disk, as the disk list does; a row
            // of a folder names its file, and its tool tip the whole path.
            const char letter = wincompat::DriveLetterOf(sf->DiskName);
            const QString path = QString::fromStdString(sf->FileName);
            if (letter) {
                text += QString("  Disk %1 (%2:)").arg(wincompat::GetPhysicalDriveOfLetter(letter)).arg(QChar(letter));
                EXPECT_FALSE(file.data(Qt::ToolTipRole).isValid());
            } else {
                text += "  " + QFileInfo(path).fileName();
                EXPECT_EQ(file.data(Qt::ToolTipRole).toString(), text + "\n" + QDir::toNativeSeparators(path));
            }
            EXPECT_EQ(file.data().toString(), text);
        }
    }
}

QString Declaration() { return "<?xml version=\"1.0\" encoding=\"GB2312\"?>"; }

QString ReadGb2312(const QString& path) {
    return QTextCodec::codecForName("GB2312")->toUnicode(kel_test::ReadFile(path));
}

// A stand-in for the batch downloader: writes its arguments to args.txt.
QString FakeDownloader() {
    const QString script = kel_test::ProgramFolder() + "/fake_lorrimax.sh";
    const QString args = kel_test::ProgramFolder() + "/args.txt";
    kel_test::WriteFile(script, QString("#!/bin/sh\necho \"$@\" > '%1'\n").arg(args).toUtf8());
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner | QFile::ExeUser);
    return script;
}

class Panel : public ::testing::Test {
protected:
    void TearDown() override { g_diskSearchMode = 0; }
    Dialogs dialogs;
    Drives drives;
};

}  // namespace

TEST(SearchBarCodes, FileTypeCodesAndFilterMatches) {
    struct Case {
        int type;
        bool rbs;
        int code;
    };
    const Case cases[] = {{-1, false, -1}, {0, false, 0},  {8, false, 8},  {14, false, 14}, {15, false, 15},
                          {200, false, 15}, {0, true, -1},  {1, true, 0},   {6, true, 5},    {7, true, 14},
                          {8, true, 6},     {9, true, 15},  {-3, true, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("type %1 rbs %2").arg(c.type).arg(c.rbs).toStdString());
        EXPECT_EQ(SearchBarWidget::fileTypeCode(c.type, c.rbs), c.code);
        if (c.code >= 0) {
            EXPECT_TRUE(SearchBarWidget::fileTypeMatches(c.code, c.type, c.rbs));
        }
        EXPECT_TRUE(SearchBarWidget::fileTypeMatches(255, c.type, c.rbs));
    }
    // Codes 7 to 13 list nothing of an Rbs channel; 15 reaches up to 254.
    for (int code = 7; code <= 13; ++code)
        for (int type = 0; type < 20; ++type) EXPECT_FALSE(SearchBarWidget::fileTypeMatches(code, type, true));
    EXPECT_TRUE(SearchBarWidget::fileTypeMatches(15, 254, false));
    EXPECT_FALSE(SearchBarWidget::fileTypeMatches(15, 255, false));
    EXPECT_FALSE(SearchBarWidget::fileTypeMatches(6, 8, false));
}

TEST_F(Panel, DiskListFromTheDriveTable) {
    const QString root = kel_test::ProgramFolder();
    for (const char* d : {"/d2", "/d10", "/f", "/g", "/h"}) ASSERT_TRUE(QDir().mkpath(root + d));
    drives.SetTable(QString("disk 2 %1/d2\ndisk 10 %1/d10\n"
                            "letter F 10 removable vfat %1/f\nletter G 10 removable vfat %1/g\n"
                            "letter H - fixed ext4 %1/h\n")
                        .arg(root));
    SearchBarWidget panel;
    ASSERT_EQ(panel.diskCount(), 3u);
    EXPECT_EQ(panel.disks()[2].driveNumber, -1);
    EXPECT_EQ(QByteArray(panel.disks()[2].letters, panel.disks()[2].letterCount), "H");

    const auto boxes = panel.diskCheckBoxes();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0]->text(), "Disk 10");
    EXPECT_EQ(boxes[0]->toolTip(), "F:\\ G:\\");
    EXPECT_EQ(boxes[1]->text(), "Disk 2");
    EXPECT_EQ(boxes[1]->toolTip(), "\\\\.\\PHYSICALDRIVE2");
    for (auto* box : boxes) EXPECT_TRUE(box->isChecked());

    QStringList paths;
    panel.getDiskPaths(99, paths);
    EXPECT_TRUE(paths.isEmpty());

    // Nothing on those disks: the hint page and "No video found!", no
    // finish signal; the search covered both disks' paths.
    QSignalSpy finished(&panel, &SearchBarWidget::signalSearchFilesFinished);
    SetSearchDay(panel, kDay);
    Search(panel);
    EXPECT_EQ(panel.form()->stackedWidget->currentIndex(), 1);
    EXPECT_EQ(dialogs.warnings(), QStringList{"2 No video found!"});
    EXPECT_EQ(finished.count(), 0);
    std::vector<std::string> judged;
    for (const auto& e : QorAutoStorage::GetInstance()->GetDiskTypeMap()) judged.push_back(e.first);
    EXPECT_EQ(judged, (std::vector<std::string>{"F:\\", "G:\\", "\\\\.\\PHYSICALDRIVE2"}));

    // Switching to Disk rebuilds the boxes from the table without asking the
    // drives again; Refresh asks again, ticks every box and signals once.
    boxes[0]->setChecked(false);
    drives.SetTable(QString("disk 3 %1/d2\n").arg(root));
    panel.form()->radioDisk->click();
    ASSERT_EQ(panel.diskCheckBoxes().size(), 2);
    EXPECT_TRUE(panel.diskCheckBoxes()[0]->isChecked());
    QSignalSpy reloaded(&panel, &SearchBarWidget::signalReloadDisk);
    panel.diskCheckBoxes()[0]->setChecked(false);
    panel.form()->reloadDiskBtn->click();
    EXPECT_EQ(reloaded.count(), 1);
    ASSERT_EQ(panel.diskCheckBoxes().size(), 1);
    EXPECT_EQ(panel.diskCheckBoxes()[0]->text(), "Disk 3");
    EXPECT_TRUE(panel.diskCheckBoxes()[0]->isChecked());
}

QStringList BoxTexts(const SearchBarWidget& panel) {
    QStringList texts;
    for (const auto* box : panel.diskCheckBoxes())
        texts << QString("%1|%2|%3").arg(box->text()).arg(box->isChecked() ? "ticked" : "unticked").arg(box->toolTip());
    return texts;
}

// Refresh reads the disks again: a card put in after the start is listed, one
// taken out goes.
TEST_F(Panel, RefreshListsCardsPutInAndTakenOut) {
    const QString root = kel_test::ProgramFolder();
    for (const char* d : {"/d0", "/card"}) ASSERT_TRUE(QDir().mkpath(root + d));
    const QString system = QString("disk 0 %1/d0\nletter C 0 fixed ext4 %1/d0\n").arg(root);
    drives.SetTable(system);
    SearchBarWidget panel;
    EXPECT_EQ(BoxTexts(panel), QStringList{"Disk 0|ticked|C:\\"});

    drives.RewriteFile(system + QString("disk 1 %1/card\nletter E 1 removable vfat %1/card\n").arg(root));
    panel.form()->reloadDiskBtn->click();
    EXPECT_EQ(BoxTexts(panel), (QStringList{"Disk 0|ticked|C:\\", "Disk 1|ticked|E:\\"}));

    drives.RewriteFile(system);
    panel.form()->reloadDiskBtn->click();
    EXPECT_EQ(BoxTexts(panel), QStringList{"Disk 0|ticked|C:\\"});
    EXPECT_TRUE(dialogs.warnings().isEmpty());
}

// A wrong drive table is said: a disk whose device is missing stays listed,
// unticked, and says it cannot be read and why; a table file that cannot be
// read or has bad lines is named in a warning.
TEST_F(Panel, WrongDriveTableIsSaid) {
    const QString root = kel_test::ProgramFolder();
    ASSERT_TRUE(QDir().mkpath(root + "/d1"));
    drives.SetTable(QString("disk 1 %1/d1\ndisk 2 %1/no-such-device\n").arg(root));
    SearchBarWidget panel;
    EXPECT_EQ(BoxTexts(panel),
              (QStringList{"Disk 1|ticked|\\\\.\\PHYSICALDRIVE1",
                           QString("Disk 2 (cannot be read)|unticked|This disk cannot be read: %1/no-such-device: "
                                   "No such file or directory")
                               .arg(root)}));
    EXPECT_FALSE(panel.diskCheckBoxes()[1]->isEnabled());
    EXPECT_TRUE(dialogs.warnings().isEmpty());

    // Bad lines are named with their numbers.
    drives.RewriteFile(QString("disk 1 %1/d1\nletter Q 1 floppy vfat %1/d1\n").arg(root));
    panel.form()->reloadDiskBtn->click();
    EXPECT_EQ(BoxTexts(panel), QStringList{"Disk 1|ticked|\\\\.\\PHYSICALDRIVE1"});
    EXPECT_EQ(dialogs.warnings(),
              QStringList{QString("2 The drive table %1/drives.txt (named by KEL_DRIVES) has lines that were left "
                                  "out: line 2: bad drive type.")
                              .arg(root)});

    // A table file that is gone: no disk, and the file is named.
    dialogs.calls.clear();
    ASSERT_TRUE(QFile::remove(root + "/drives.txt"));
    panel.form()->reloadDiskBtn->click();
    EXPECT_TRUE(panel.diskCheckBoxes().isEmpty());
    EXPECT_EQ(dialogs.warnings(),
              QStringList{QString("2 The drive table %1/drives.txt (named by KEL_DRIVES) cannot be read: No such file "
                                  "or directory. No disk is listed; correct the file or unset KEL_DRIVES to list the "
                                  "disks of this computer, then press Refresh.")
                              .arg(root)});
}

TEST_F(Panel, RefusedStartsWarnAndChangeNothing) {
    SearchBarWidget panel;
    g_diskSearchMode = 1;
    // Disk source without a ticked disk.
    for (auto* box : panel.diskCheckBoxes()) box->setChecked(false);
    panel.form()->btnSearchRecord->click();
    // Local source: empty, missing, then the span checks.
    panel.form()->radioLocal->click();
    EXPECT_TRUE(panel.form()->lineEditPath->isVisibleTo(&panel));
    EXPECT_FALSE(panel.form()->reloadDiskBtn->isVisibleTo(&panel));
    panel.form()->btnSearchRecord->click();
    panel.form()->lineEditPath->setText(kel_test::ProgramFolder() + "/no/such/folder");
    panel.form()->btnSearchRecord->click();
    EXPECT_EQ(dialogs.warnings(), (QStringList{"1 Please select partition(s) or disk(s).", "1 Please select file path.",
                                               "1 The path doesn't exist."}));
    EXPECT_EQ(g_diskSearchMode, 1);
    EXPECT_EQ(panel.form()->stackedWidget->currentIndex(), 1);
    EXPECT_TRUE(panel.form()->btnSearchRecord->isEnabled());

    dialogs.calls.clear();
    panel.form()->radioDisk->click();
    panel.form()->radioRigion->click();
    const QDateTime t(kDay, QTime(8, 0, 0));
    panel.setSearchSpan(t, t.addDays(1).addSecs(1));
    panel.form()->btnSearchRecord->click();
    panel.setSearchSpan(t, t.addSecs(-1));
    panel.form()->btnSearchRecord->click();
    panel.form()->radioLocal->click();
    panel.form()->lineEditPath->setText(kel_test::ProgramFolder());
    panel.setSearchSpan(t, t.addDays(2));
    panel.form()->btnSearchRecord->click();
    EXPECT_EQ(dialogs.warnings(), (QStringList{"2 TimeRange Less Than 1Day.", "2 Please Select Correct Time.",
                                               "2 TimeRange Less Than 1Day."}));
    EXPECT_TRUE(panel.form()->btnSearchRecord->isEnabled());
    EXPECT_EQ(g_diskSearchMode, 1);
}

class DiskSearch : public Panel, public ::testing::WithParamInterface<int> {};

TEST_P(DiskSearch, FillsTheTreeFiltersAndHandsOver) {
    const char letter = drives.AddMedium(GetParam());
    ASSERT_NE(letter, 0);
    SearchBarWidget panel;
    panel.setPanelMode(0);
    ASSERT_EQ(panel.diskCheckBoxes().size(), 1);
    QSignalSpy finished(&panel, &SearchBarWidget::signalSearchFilesFinished);
    SetSearchDay(panel, kDay);
    Search(panel);

    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(dialogs.warnings().isEmpty());
    EXPECT_EQ(panel.form()->stackedWidget->currentIndex(), 0);
    EXPECT_EQ(g_diskSearchMode, 1);
    EXPECT_FALSE(panel.loadPicturesAfterSearch());
    EXPECT_FALSE(panel.form()->downloadBtn->isHidden());
    const QVector<ChannelFiles*> results = panel.getSearchResults();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(panel.shownResults(), results);
    std::set<int> types;
    for (const ChannelFiles* r : results) {
        EXPECT_EQ(r->StartTime, kDay);
        EXPECT_EQ(r->EndTime, kDay);
        ASSERT_EQ(r->SingleFileList.size(), 3u);
        for (const auto* f : r->SingleFileList) types.insert(f->FileType);
    }
    ExpectTreeShows(panel, results, false);

    // Day marks, the span of the tree page, the filter entries.
    ziraz::RangeDateTimeEdit* range = panel.form()->rangeDateTimeEdit;
    EXPECT_EQ(range->dayMarks().value(kDay), QColor("#fa3239"));
    QDateTime a, b;
    panel.getDateTimeRange(a, b);
    EXPECT_EQ(a, QDateTime(kDay, QTime(0, 0, 0)));
    EXPECT_EQ(b, QDateTime(kDay, QTime(23, 59, 59)));
    ziraz::ComboBox* combo = panel.form()->combRecordEventType;
    ASSERT_EQ(combo->count(), 1 + static_cast<int>(types.size()));
    EXPECT_EQ(combo->itemText(0), "All");
    EXPECT_EQ(combo->itemData(0).toInt(), 255);
    EXPECT_EQ(combo->currentIndex(), 0);

    // Records for the playback grid: a selected device gives its records
    // themselves; one selected file gives a record built around it.
    ChaseTree* tree = panel.form()->treeRecordFileList;
    const QModelIndex device = panel.treeModel()->index(0, 0);
    tree->selectionModel()->select(device, QItemSelectionModel::Select);
    const QVector<ChannelFiles*> selected = panel.getSelectedFiles();
    EXPECT_EQ(selected.size(), panel.treeModel()->rowCount(device));
    for (ChannelFiles* r : selected) EXPECT_TRUE(results.contains(r));
    tree->selectionModel()->clearSelection();
    const QModelIndex channel = ChannelItems(panel.treeModel()).last();
    const QModelIndex file = panel.treeModel()->index(1, 0, channel);
    tree->selectionModel()->select(file, QItemSelectionModel::Select);
    const QVector<ChannelFiles*> built = panel.getSelectedFiles();
    ASSERT_EQ(built.size(), 1);
    EXPECT_FALSE(results.contains(built[0]));
    EXPECT_EQ(built[0]->DiskName, channel.data(kDiskNameRole).toString());
    EXPECT_EQ(built[0]->ChannelInfo.GetChannelNumber(), channel.data(kChannelNumberRole).toInt());
    ASSERT_EQ(built[0]->SingleFileList.size(), 1u);
    EXPECT_EQ(static_cast<void*>(built[0]->SingleFileList[0]), file.data(kFileRecordRole).value<void*>());
    QVector<ChannelFiles*> located;
    panel.locateFile(located, device);
    panel.locateFile(located, channel);
    EXPECT_EQ(located.size(), panel.treeModel()->rowCount(device) + 1);
    EXPECT_EQ(located.last()->ChannelInfo.GetChannelNumber(), channel.data(kChannelNumberRole).toInt());

    // A double-click on the tree reaches the playback area.
    QSignalSpy doubleClicked(&panel, &SearchBarWidget::signalItemDoubleClickedMessage);
    emit tree->treeView()->signalItemDoubleClicked(file);
    ASSERT_EQ(doubleClicked.count(), 1);
    EXPECT_EQ(doubleClicked.at(0).at(0).value<QModelIndex>(), file);

    // The location line highlights the rows it names.
    panel.form()->locationViewWidget->setText("channel");
    EXPECT_EQ(channel.data(Qt::ForegroundRole).value<QBrush>().color(), QColor("#15A4FA"));
    EXPECT_EQ(file.data(Qt::ForegroundRole).value<QBrush>().color(), QColor("#666666"));

    // A narrower range keeps the files that reach into it.
    const uint32_t first = results[0]->SingleFileList[0]->StartTime;
    const QDateTime from = QDateTime::fromSecsSinceEpoch(first + 30);
    const QDateTime to = QDateTime::fromSecsSinceEpoch(first + 90);
    range->setDateTimeRange(from, to);
    panel.onChangeCalendar(from, to);
    EXPECT_TRUE(panel.form()->locationViewWidget->text().isEmpty());
    const QVector<ChannelFiles*> shown = panel.shownResults();
    ASSERT_EQ(shown.size(), 2);
    for (int i = 0; i < shown.size(); ++i) {
        EXPECT_FALSE(results.contains(shown[i]));
        ASSERT_EQ(shown[i]->SingleFileList.size(), 2u);
        EXPECT_EQ(shown[i]->SingleFileList[0], results[i]->SingleFileList[0]);
        EXPECT_EQ(shown[i]->SingleFileList[1], results[i]->SingleFileList[1]);
        EXPECT_EQ(shown[i]->StartTime, from.date());
    }
    ExpectTreeShows(panel, shown, true);

    // Hand-over to the batch downloader.
    panel.setLorrimaxProgram(FakeDownloader());
    QSignalSpy cover(&panel, &SearchBarWidget::signalCover);
    panel.onLorrimax();
    ASSERT_EQ(cover.count(), 1);
    EXPECT_TRUE(cover.at(0).at(0).toBool());
    ASSERT_TRUE(QTest::qWaitFor([&] { return cover.count() == 2; }, kWaitMs));
    EXPECT_FALSE(cover.at(1).at(0).toBool());
    EXPECT_EQ(kel_test::ReadFile(kel_test::ProgramFolder() + "/args.txt"), "0\n");

    const QString searched = ReadGb2312(kel_test::ProgramFolder() + "/SearchedFile.xml");
    EXPECT_FALSE(searched.contains('\n'));
    EXPECT_TRUE(searched.startsWith(Declaration() + "<SearchedFile><PlaybackFilesOfChannel>"));
    EXPECT_TRUE(searched.endsWith("</PlaybackFilesOfChannel></SearchedFile>"));
    QRegularExpression block("<PlaybackFilesOfChannel>.*?</PlaybackFilesOfChannel>");
    auto it = block.globalMatch(searched);
    int n = 0;
    while (it.hasNext()) {
        ASSERT_LT(n, shown.size());
        ChannelFiles back;
        back.FromXml(it.next().captured(0));
        const ChannelFiles& want = *shown[n++];
        EXPECT_EQ(back.DiskName, want.DiskName);
        EXPECT_EQ(back.DeviceName, want.DeviceName);
        EXPECT_EQ(back.ChannelInfo.GetChannelNumber(), want.ChannelInfo.GetChannelNumber());
        EXPECT_EQ(back.StartTime, from.date());
        EXPECT_EQ(back.EndTime, to.date());
        ASSERT_EQ(back.SingleFileList.size(), want.SingleFileList.size());
        for (size_t i = 0; i < back.SingleFileList.size(); ++i) {
            EXPECT_EQ(back.SingleFileList[i]->FileName, want.SingleFileList[i]->FileName);
            EXPECT_EQ(back.SingleFileList[i]->StartTime, want.SingleFileList[i]->StartTime);
            EXPECT_EQ(back.SingleFileList[i]->EndTime, want.SingleFileList[i]->EndTime);
            delete back.SingleFileList[i];
        }
    }
    EXPECT_EQ(n, shown.size());
    EXPECT_EQ(ReadGb2312(kel_test::ProgramFolder() + "/DiskFile.xml"),
              Declaration() + QString("<DiskInfos><Disk><DiskName>%1:\\</DiskName></Disk></DiskInfos>").arg(letter));

    // A busy playback area: declining keeps everything; accepting stops the
    // windows first and searches again.
    int stops = 0;
    panel.setPlaybackBusyHooks([] { return true; }, [&] { ++stops; });
    dialogs.modalAnswer = 0;
    panel.form()->btnSearchRecord->click();
    EXPECT_EQ(dialogs.modals(), 1);
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(panel.form()->btnSearchRecord->isEnabled());
    EXPECT_EQ(panel.getSearchResults(), results);
    dialogs.modalAnswer = 1;
    Search(panel);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(finished.count(), 2);
    EXPECT_EQ(panel.getSearchResults().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Families, DiskSearch, ::testing::Values(2, 1));

// A channel found on two disks keeps one node; each of its rows says which
// disk it comes from, by the disk list's name.
TEST_F(Panel, RowsOfAChannelOnTwoDisksNameTheirDisks) {
    const char first = drives.AddMedium(2, false, 1);
    const char second = drives.AddMedium(1, false, 1);
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    SearchBarWidget panel;
    panel.setPanelMode(0);
    ASSERT_EQ(panel.diskCheckBoxes().size(), 2);
    EXPECT_EQ(panel.diskCheckBoxes()[0]->text(), "Disk 1");
    EXPECT_EQ(panel.diskCheckBoxes()[1]->text(), "Disk 2");
    SetSearchDay(panel, kDay);
    Search(panel);
    const QModelIndexList channels = ChannelItems(panel.treeModel());
    ASSERT_EQ(channels.size(), 2);   // channels 1 and 2, each once
    for (const QModelIndex& channel : channels) {
        QStringList rows;
        for (int f = 0; f < panel.treeModel()->rowCount(channel); ++f)
            rows << panel.treeModel()->index(f, 0, channel).data().toString();
        ASSERT_EQ(rows.size(), 2) << rows.join(" | ").toStdString();
        // The same span on both disks (mirrored recording), the first disk first.
        const QString span = rows[0].left(rows[0].indexOf("  Disk"));
        EXPECT_EQ(rows[0], span + QString("  Disk 1 (%1:)").arg(QChar(first)));
        EXPECT_EQ(rows[1], span + QString("  Disk 2 (%1:)").arg(QChar(second)));
    }
}

// A result tree larger than one turn's rows fills over several turns: the
// first rows show at once, Search waits for the whole tree, a filter chosen
// meanwhile replaces the tree being filled, and a panel closed meanwhile
// goes quietly.
TEST_F(Panel, LargeResultTreeFillsOverSeveralTurns) {
    const char letter = drives.AddMedium(2, false, 12000, 7, true);   // 2 x 12,000 recordings of 7 s
    ASSERT_NE(letter, 0);
    auto* panel = new SearchBarWidget;
    QPointer<SearchBarWidget> alive(panel);
    SetSearchDay(*panel, kDay);
    // What shows when the search ends (the signal comes right after the
    // first rows went in), and what the test does then.
    struct AtFinish {
        bool searchEnabled = true;
        int deviceRows = 0;
    };
    std::vector<AtFinish> seen;
    std::function<void()> then;
    QObject::connect(panel, &SearchBarWidget::signalSearchFilesFinished, panel, [&] {
        seen.push_back({panel->form()->btnSearchRecord->isEnabled(), panel->treeModel()->rowCount()});
        if (then) then();
    });

    panel->form()->btnSearchRecord->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return SearchDone(*panel); }, kWaitMs));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].searchEnabled);   // the tree was still filling
    EXPECT_EQ(seen[0].deviceRows, 1);      // and its first rows were in
    const QVector<ChannelFiles*> results = panel->getSearchResults();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0]->SingleFileList.size() + results[1]->SingleFileList.size(), 24000u);
    ExpectTreeShows(*panel, results, false);

    // Search again; while its tree fills, the filter's first entry is chosen.
    then = [&] { panel->onChangeFileTypeFilter(0); };
    panel->form()->btnSearchRecord->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 2 && SearchDone(*panel); }, kWaitMs));
    EXPECT_FALSE(seen[1].searchEnabled);
    ExpectTreeShows(*panel, panel->shownResults(), true);

    // A third search, and the panel goes while its tree fills.
    then = [&] { panel->deleteLater(); };
    panel->form()->btnSearchRecord->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, kWaitMs));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_FALSE(seen[2].searchEnabled);
}

TEST_F(Panel, HandOverOfNothingStillStartsTheDownloader) {
    SearchBarWidget panel;
    panel.setPanelMode(1);
    panel.setLorrimaxProgram(FakeDownloader());
    QSignalSpy cover(&panel, &SearchBarWidget::signalCover);
    panel.onLorrimax();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cover.count() == 2; }, kWaitMs));
    EXPECT_EQ(kel_test::ReadFile(kel_test::ProgramFolder() + "/args.txt"), "1\n");
    EXPECT_EQ(ReadGb2312(kel_test::ProgramFolder() + "/SearchedFile.xml"),
              Declaration() + "<SearchedFile></SearchedFile>");

    // A downloader that cannot start lifts the cover again.
    cover.clear();
    panel.setLorrimaxProgram(kel_test::ProgramFolder() + "/no-such-program");
    panel.onLorrimax();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cover.count() == 2; }, kWaitMs));
    EXPECT_TRUE(cover.at(0).at(0).toBool());
    EXPECT_FALSE(cover.at(1).at(0).toBool());
}

// A program folder that cannot be written: Download says which file could
// not be written and why, and starts nothing.
TEST_F(Panel, DownloadFromAReadOnlyProgramFolderSaysSo) {
    SearchBarWidget panel;
    panel.setLorrimaxProgram(FakeDownloader());
    QSignalSpy cover(&panel, &SearchBarWidget::signalCover);
    {
        kel_test::ScopedReadOnlyFolder readOnly(kel_test::ProgramFolder());
        if (!readOnly.ok()) GTEST_SKIP() << readOnly.why();
        panel.onLorrimax();
    }
    EXPECT_EQ(dialogs.warnings(),
              QStringList{QString("2 The batch downloader cannot be started: %1/SearchedFile.xml cannot be written "
                                  "(Read-only file system).")
                              .arg(kel_test::ProgramFolder())});
    EXPECT_EQ(cover.count(), 0);
    EXPECT_FALSE(QFile::exists(kel_test::ProgramFolder() + "/args.txt"));
}

TEST_F(Panel, FolderSearchListsRbsChannels) {
    const QString folder = kel_test::ProgramFolder() + "/exported";
    ASSERT_TRUE(QDir().mkpath(folder));
    const uint32_t noon = static_cast<uint32_t>(QDateTime(QDate(2024, 1, 1), QTime(12, 0, 0), Qt::UTC).toSecsSinceEpoch());
    for (int channel : {2, 5}) {
        recmedia::RecordingSpec spec;
        spec.path = QString("%1/ch%2_20240101120000.mp4").arg(folder).arg(channel, 2, 10, QChar('0')).toStdString();
        spec.channel = channel;
        spec.start = noon;
        spec.seconds = 3;
        spec.width = 64;
        spec.height = 48;
        spec.fps = 5;
        std::string error;
        ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    }
    SearchBarWidget panel;
    g_diskSearchMode = 1;
    panel.form()->radioLocal->click();
    panel.form()->lineEditPath->setText(folder);
    Search(panel);
    EXPECT_TRUE(dialogs.warnings().isEmpty());
    EXPECT_EQ(g_diskSearchMode, 0);
    EXPECT_TRUE(panel.form()->downloadBtn->isHidden());
    EXPECT_TRUE(panel.form()->combRecordEventType->isHidden());
    const QVector<ChannelFiles*> results = panel.getSearchResults();
    ASSERT_EQ(results.size(), 2);
    ExpectTreeShows(panel, results, false);
    for (const QModelIndex& ch : ChannelItems(panel.treeModel())) EXPECT_TRUE(ch.data(kRbsRole).toBool());
}

TEST_F(Panel, EvidencePicturesFollowThePlaybackTime) {
    const char letter = drives.AddMedium(2, true);
    ASSERT_NE(letter, 0);
    SearchBarWidget panel;
    panel.setPanelMode(1);
    panel.resize(300, 900);
    EXPECT_TRUE(panel.form()->frameSearchType->isHidden());
    // The panel's own pictures: the default preview and the loading animation.
    EXPECT_FALSE(panel.form()->pictureLable->pixmap(Qt::ReturnByValue).isNull());
    ASSERT_NE(panel.form()->movePictureLabel->movie(), nullptr);
    EXPECT_TRUE(panel.form()->movePictureLabel->movie()->isValid());
    // The animation runs only while it is on screen.
    QLabel* loading = panel.form()->movePictureLabel;
    EXPECT_NE(loading->movie()->state(), QMovie::Running);
    panel.show();
    EXPECT_FALSE(loading->isVisible());
    EXPECT_NE(loading->movie()->state(), QMovie::Running);
    auto* pages = panel.form()->stackedWidget;
    QWidget* shownPage = pages->currentWidget();
    pages->setCurrentWidget(panel.form()->page_5);   // the loading page
    ASSERT_TRUE(loading->isVisible());
    EXPECT_EQ(loading->movie()->state(), QMovie::Running);
    pages->setCurrentWidget(shownPage);
    EXPECT_NE(loading->movie()->state(), QMovie::Running);
    panel.hide();
    EXPECT_FALSE(panel.form()->pictureLable->isHidden());
    EXPECT_TRUE(panel.form()->pictureTableView->isHidden());
    SetSearchDay(panel, kDay);
    panel.form()->btnSearchRecord->click();
    EXPECT_TRUE(panel.loadPicturesAfterSearch());
    ASSERT_TRUE(QTest::qWaitFor([&] { return SearchDone(panel); }, kWaitMs));
    EXPECT_FALSE(panel.loadPicturesAfterSearch());

    // Every picture copied into "Target" and "Other" is listed, in name order.
    QStringList copied;
    for (const char* sub : {"Target", "Other"}) {
        QDirIterator it(kel_test::ProgramFolder() + "/" + sub, {"*.jpg", "*.jpeg", "*.png", "*.bmp"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) copied << QFileInfo(it.next()).fileName();
    }
    PictureShowModel* model = panel.pictureModel();
    ASSERT_GT(copied.size(), 0);
    ASSERT_EQ(model->rowCount(), copied.size());
    copied.sort();
    for (int row = 0; row < model->rowCount(); ++row) EXPECT_EQ(model->item(row)->text(), copied[row]);

    // The playback time selects and previews the picture of that time.
    const int row = model->rowCount() - 1;
    const QString name = model->item(row)->text();
    const QDateTime taken = QDateTime::fromString(name.mid(5, 19), "yyyy-MM-dd hh-mm-ss");
    ASSERT_TRUE(taken.isValid()) << name.toStdString();
    panel.onShowPictureByTime(static_cast<time_t>(taken.toSecsSinceEpoch()));
    EXPECT_EQ(panel.form()->pictureTableView->currentIndex().row(), row);
    EXPECT_EQ(panel.form()->pictureLable->picturePath(), model->item(row)->data(Qt::UserRole + 1).toString());
    EXPECT_FALSE(panel.form()->pictureLable->pixmap(Qt::ReturnByValue).isNull());

    // Page buttons and legend.
    panel.form()->pictureBtn->click();
    EXPECT_TRUE(panel.form()->treeRecordFileList->isHidden());
    EXPECT_FALSE(panel.form()->pictureTableView->isHidden());
    // The picture list: bare rows of 28 pixels, the name column 300 wide.
    PictureShowView* list = panel.form()->pictureTableView;
    EXPECT_TRUE(list->horizontalHeader()->isHidden());
    EXPECT_TRUE(list->verticalHeader()->isHidden());
    EXPECT_FALSE(list->showGrid());
    EXPECT_EQ(list->verticalHeader()->defaultSectionSize(), 28);
    EXPECT_EQ(list->columnWidth(0), 300);
    EXPECT_EQ(list->styleSheet(), "border:none");
    EXPECT_EQ(list->visualRect(model->index(0, 0)).height(), 28);
    EXPECT_TRUE(panel.form()->pictureBtn->isChecked());
    panel.form()->recordBtn->click();
    EXPECT_FALSE(panel.form()->treeRecordFileList->isHidden());
    EXPECT_TRUE(panel.form()->recordBtn->isChecked());
    panel.form()->pictureHintBtn->click();
    EXPECT_TRUE(panel.colorTip()->isVisible());
    panel.form()->pictureHintBtn->click();
    EXPECT_FALSE(panel.colorTip()->isVisible());

    // Folders are walked with their sub-folders; a picture in both is listed
    // twice. A new search clears the list.
    const int before = model->rowCount();
    const QString extra = kel_test::ProgramFolder() + "/extra";
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(QDir().mkpath(extra + "/sub"));
    ASSERT_TRUE(image.save(extra + "/sub/ch01_2024-03-01 09-00-00.png"));
    panel.loadPictures(extra);
    panel.loadPictures(extra);
    panel.loadPictures(kel_test::ProgramFolder() + "/missing");
    EXPECT_EQ(model->rowCount(), before + 2);
    panel.clearPictures();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_TRUE(panel.form()->recordBtn->isChecked());
}

// At the smallest window (the panel 720 pixels high beside the pages) the
// result page keeps every control on screen, for both sources and both
// panel modes, down to the Download button.
TEST_F(Panel, ResultPageFitsTheSmallestWindow) {
    const struct {
        const char* source;
        int mode;
    } cases[] = {{"disk", 0}, {"local", 0}, {"disk", 1}, {"local", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " mode " + std::to_string(c.mode));
        SearchBarWidget panel;
        panel.setPanelMode(c.mode);
        if (std::string(c.source) == "local") panel.form()->radioLocal->click();
        panel.form()->stackedWidget->setCurrentIndex(0);
        panel.setFixedWidth(315);  // as the main window places it
        panel.resize(315, 720);
        panel.show();
        QApplication::processEvents();
        EXPECT_LE(panel.height(), 720);
        // The date ranges show their whole text.
        for (QLineEdit* edit : {static_cast<QLineEdit*>(panel.form()->rangeDateTimeEdit),
                                static_cast<QLineEdit*>(panel.form()->searchRangeDateTimeEdit)}) {
            SCOPED_TRACE(edit->objectName().toStdString());
            const int room = edit->contentsRect().width() - edit->textMargins().left() - edit->textMargins().right() - 4;
            EXPECT_LE(edit->fontMetrics().horizontalAdvance(edit->text()), room) << edit->text().toStdString();
        }
        for (QWidget* w : {static_cast<QWidget*>(panel.form()->downloadBtn),
                           static_cast<QWidget*>(panel.form()->btnSearchRecord)}) {
            if (!w->isVisibleTo(&panel)) continue;
            SCOPED_TRACE(w->objectName().toStdString());
            const QRect inPanel(w->mapTo(&panel, QPoint(0, 0)), w->size());
            EXPECT_LE(inPanel.bottom(), panel.height() - 1);
            EXPECT_LE(inPanel.right(), panel.width() - 1);
        }
    }
}
