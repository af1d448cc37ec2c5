// SPDX-License-Identifier: GPL-3.0-or-later
// Track playback page and the disk selectors it builds on.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <memory>

#include "common/DiskTreeBox.h"
#include "TrackPlayback/TrackPlaybackWidget.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"
#include "ziraz/datetimeedit.h"

namespace {

// A drive table of folders under the test's program folder, in force for the
// life of the object.
class DriveTable {
public:
    explicit DriveTable(const QStringList& lines) {
        const QString root = kel_test::ProgramFolder() + "/drives";
        QString text;
        for (QString line : lines) {
            line.replace("$ROOT", root);
            const QStringList parts = line.split(' ');
            QDir().mkpath(parts.last());
            text += line + "\n";
        }
        kel_test::WriteFile(root + "/table.txt", text.toUtf8());
        m_env = std::make_unique<kel_test::ScopedEnv>("KEL_DRIVES", (root + "/table.txt").toStdString());
        wincompat::ReloadDriveTable();
    }
    ~DriveTable() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

private:
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

QStringList comboTexts(QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    return texts;
}

}  // namespace

TEST(TrackPlaybackPage, FormAndDefaultRange) {
    DriveTable drives({"disk 0 $ROOT/d0"});
    TrackPlaybackWidget page;
    EXPECT_EQ(page.objectName(), "TrackPlaybackWidget");
    EXPECT_EQ(page.findChild<QLabel*>("label")->text(), "Start:");
    EXPECT_EQ(page.findChild<QLabel*>("label_5")->text(), "End:");
    EXPECT_EQ(page.findChild<QLabel*>("label_2")->text(), "Disk Name:");
    EXPECT_EQ(page.findChild<QPushButton*>("loadDisk")->text(), "Load Disk");
    EXPECT_TRUE(page.findChild<QWidget*>("diskWidget")->isHidden());
    ASSERT_NE(page.findChild<QWidget*>("mapWidget"), nullptr);
    EXPECT_NE(page.findChild<QWidget*>("mapWidget")->layout(), nullptr);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(page.findChild<ziraz::DateTimeEdit*>("startTimeEdit")->dateTime(), QDateTime(today, QTime(0, 0, 0)));
    EXPECT_EQ(page.findChild<ziraz::DateTimeEdit*>("endTimeEdit")->dateTime(), QDateTime(today, QTime(23, 59, 59)));
    // The list stays empty until the first reload.
    EXPECT_EQ(page.findChild<ziraz::ComboBox*>("diskCombox")->count(), 0);
}

TEST(TrackPlaybackPage, DisksAreListedSortedAsTextAndReloadReplacesTheList) {
    DriveTable drives({"disk 10 $ROOT/d10", "disk 2 $ROOT/d2", "disk 1 $ROOT/d1",
                       "letter E 2 removable vfat $ROOT/e"});
    TrackPlaybackWidget page;
    auto* box = page.findChild<ziraz::ComboBox*>("diskCombox");
    page.onReloadDisk();
    EXPECT_EQ(comboTexts(box), QStringList({"Disk 1", "Disk 10", "Disk 2"}));
    EXPECT_EQ(box->itemData(1).toString(), "Disk 10");
    EXPECT_EQ(page.physicalDiskCount(), 3);
    page.onReloadDisk();
    EXPECT_EQ(comboTexts(box), QStringList({"Disk 1", "Disk 10", "Disk 2"}));
}

TEST(TrackPlaybackPage, ReloadWithoutDisksEmptiesTheList) {
    TrackPlaybackWidget page;
    auto* box = page.findChild<ziraz::ComboBox*>("diskCombox");
    {
        DriveTable drives({"disk 3 $ROOT/d3"});
        page.onReloadDisk();
        EXPECT_EQ(comboTexts(box), QStringList({"Disk 3"}));
    }
    DriveTable none({"letter Z - remote cifs $ROOT/z"});
    page.onReloadDisk();
    EXPECT_EQ(box->count(), 0);
    EXPECT_EQ(page.physicalDiskCount(), 0);
}

TEST(DiskTreeBox, OthersFirstThenDisksByNumberWithTheirLetters) {
    DriveTable drives({"disk 1 $ROOT/d1", "disk 0 $ROOT/d0", "letter C 0 fixed ext4 $ROOT/c",
                       "letter E 1 removable vfat $ROOT/e", "letter F 1 removable vfat $ROOT/f",
                       "letter N - remote cifs $ROOT/n", "letter G - cdrom iso9660 $ROOT/g"});
    CDiskTreeBox box;
    QStandardItemModel* model = box.diskModel();
    for (int pass = 0; pass < 2; ++pass) {  // a second fill gives the same rows
        ASSERT_EQ(model->rowCount(), 3);
        QStandardItem* others = model->item(0);
        EXPECT_EQ(others->text(), "Others ");
        EXPECT_EQ(others->data(Qt::UserRole + 1).toInt(), 2);
        EXPECT_EQ(others->data(Qt::UserRole + 2).toString(), "Physical");
        ASSERT_EQ(others->rowCount(), 1);
        EXPECT_EQ(others->child(0)->text(), "(N:\\)");

        QStandardItem* disk0 = model->item(1);
        EXPECT_EQ(disk0->text(), "Physical Disk 0 ");
        EXPECT_EQ(disk0->toolTip(), "Physical Disk 0 ");
        EXPECT_EQ(disk0->data(Qt::UserRole + 1).toInt(), 1);  // second in enumeration order
        ASSERT_EQ(disk0->rowCount(), 1);
        EXPECT_EQ(disk0->child(0)->text(), "(C:\\)");

        QStandardItem* disk1 = model->item(2);
        EXPECT_EQ(disk1->text(), "Physical Disk 1 ");
        EXPECT_EQ(disk1->data(Qt::UserRole + 1).toInt(), 0);
        ASSERT_EQ(disk1->rowCount(), 2);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(disk1->child(k)->text(), QString("(%1:\\)").arg(QChar('E' + k)));
            EXPECT_EQ(disk1->child(k)->data(Qt::UserRole + 1).toInt(), k);
            EXPECT_EQ(disk1->child(k)->data(Qt::UserRole + 2).toString(), "Logic");
            EXPECT_FALSE(disk1->child(k)->isEditable());
        }
        box.GetWindowsDiskInfo();
    }
    EXPECT_EQ(box.treeView()->objectName(), "TreeBox_TreeView");
    EXPECT_TRUE(box.treeView()->isHeaderHidden());
}

TEST(DiskTreeBox, NoLettersOutsideTheDisksMeansNoOthersRow) {
    DriveTable drives({"disk 0 $ROOT/d0", "letter C 0 fixed ext4 $ROOT/c"});
    CDiskTreeBox box;
    ASSERT_EQ(box.diskModel()->rowCount(), 1);
    EXPECT_EQ(box.diskModel()->item(0)->text(), "Physical Disk 0 ");
}

TEST(ComboBoxTooltip, FollowsEveryTextChange) {
    CComboBox box;
    box.addItems({"alpha", "beta"});
    EXPECT_EQ(box.toolTip(), "alpha");
    box.setCurrentIndex(1);
    EXPECT_EQ(box.toolTip(), "beta");
    box.setEditable(true);
    box.setEditText("typed");
    EXPECT_EQ(box.toolTip(), "typed");
}
