// SPDX-License-Identifier: GPL-3.0-or-later
// The log page over a generated medium: the disk selector, the refusals of a
// query, a search that fills the table, the minor types following the major
// type, and the XML backup of the table.
#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QFileInfo>
#include <QDir>

#include <QCoreApplication>
#include <QDateTime>
#include <QDomDocument>
#include <QFile>
#include <QStandardItemModel>
#include <QToolButton>

#include "LogPage/LogDiskBox.h"
#include "search/LogTypeTable.h"
#include "LogPage/LogWidget.h"
#include "storage/Settings.h"
#include "kel_test/page_media.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"

namespace {

struct Warnings {
    Warnings()
        : presenter([this](const ziraz::DialogCall& call) -> std::optional<int> {
              if (call.kind == ziraz::DialogKind::Warning) {
                  texts << call.text;
                  times << call.number;
                  pictures << call.pictureType;
              }
              return 1;
          }) {}
    QStringList texts;
    QList<int> times;
    QList<int> pictures;
    ziraz::ScopedDialogPresenter presenter;
};

QDateTime RecorderDay(uint32_t seconds) {
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return QDateTime(utc.date(), utc.time(), Qt::LocalTime);
}

int FindItem(CLogDiskBox* box, const QString& text) {
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == text) return i;
    return -1;
}

}  // namespace

TEST(LogPage, SelectorItemsGiveTheirPaths) {
    page_test::MediaSet media;
    ASSERT_TRUE(media.Add(5, 'E'));
    ASSERT_TRUE(media.Add(6, 0));  // a raw disk without a letter
    LogWidget page;
    CLogDiskBox* box = page.ui()->diskTreeCombox;
    QString message;

    const int disk1 = FindItem(box, "Physical Disk 1 ");
    const int part = FindItem(box, "(E:\\)");
    const int disk2 = FindItem(box, "Physical Disk 2 ");
    ASSERT_GE(disk1, 0);
    ASSERT_GT(part, disk1);
    ASSERT_GE(disk2, 0);
    box->setCurrentIndex(disk1);
    EXPECT_EQ(page.selectedPaths(&message), QStringList{"E:\\"});
    box->setCurrentIndex(part);
    EXPECT_EQ(page.selectedPaths(&message), QStringList{"E:\\"});
    box->setCurrentIndex(disk2);
    EXPECT_EQ(page.selectedPaths(&message), QStringList{"\\\\.\\PHYSICALDRIVE2"});
    EXPECT_TRUE(message.isEmpty());
}

TEST(LogPage, RefusedQueriesLeaveAnEmptyTable) {
    page_test::MediaSet media;
    ASSERT_TRUE(media.Add(7, 'E'));
    LogWidget page;
    Warnings w;
    auto* range = page.ui()->rangeDateTimeEdit;
    const QDateTime start(QDate(2024, 3, 1), QTime(0, 0, 0));

    struct Case {
        int selector;  // -1: nothing selected
        QDateTime end;
        QString expected;
    } cases[] = {
        {-1, start.addSecs(60), "Please select the search partion"},
        {0, start.addDays(30).addSecs(1), "You can only search log within 30 days"},
    };
    for (const Case& c : cases) {
        w.texts.clear();
        page.ui()->diskTreeCombox->setCurrentIndex(c.selector);
        range->setDateTimeRange(start, c.end);
        page.onQueryLocalLog();
        EXPECT_EQ(w.texts, QStringList{c.expected});
        EXPECT_EQ(page.model()->rowCount(), 0);
        EXPECT_FALSE(page.logSearch().isRunning());
    }
    // Exactly 30 days is searched.
    w.texts.clear();
    range->setDateTimeRange(start, start.addDays(30));
    page.onQueryLocalLog();
    EXPECT_TRUE(page.logSearch().wait(60000));
    kel_test::WaitUntil([&] { return !w.texts.isEmpty() || page.model()->rowCount() > 0; });
    EXPECT_FALSE(w.texts.contains("You can only search log within 30 days"));

    // Export with nothing shown.
    LogWidget fresh;
    w.texts.clear();
    fresh.onBackupClicked();
    EXPECT_EQ(w.texts, QStringList{"No log had been searched"});
}

// The export offers a real file name in the folder the program saves to,
// or in the home folder while that folder is not there; never a bare drive.
TEST(LogPage, ExportOffersAFileInTheOutputFolder) {
    const QString out = kel_test::ProgramFolder() + "/output/Download";
    ASSERT_TRUE(QDir().mkpath(out));
    const struct {
        QString setting;
        QString folder;
    } cases[] = {{out + "/", out}, {kel_test::ProgramFolder() + "/not-there", QDir::homePath()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting.toStdString());
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, c.setting);
        const QFileInfo offered(LogWidget::suggestedBackupPath());
        EXPECT_EQ(offered.absolutePath(), QDir(c.folder).absolutePath());
        EXPECT_TRUE(QRegularExpression("^Log_\\d{8}_\\d{6}\\.xml$").match(offered.fileName()).hasMatch())
            << offered.fileName().toStdString();
    }
}

TEST(LogPage, MinorTypesFollowTheMajorType) {
    LogWidget page;
    auto* major = page.ui()->logTypeCombobox;
    auto* minor = page.ui()->minorTypeCombox;
    ASSERT_EQ(major->count(), 5);
    EXPECT_EQ(minor->count(), 1);
    major->setCurrentIndex(1);  // Alarm
    ASSERT_EQ(minor->count(), 64);
    EXPECT_EQ(minor->itemText(0), "All");
    EXPECT_EQ(minor->itemData(0).toInt(), 0);
    CLogTrans trans;
    EXPECT_EQ(minor->itemText(1), trans.GetMinorTypeText(1, 1));
    EXPECT_EQ(minor->itemData(7).toInt(), 11);
    EXPECT_EQ(minor->itemData(63).toInt(), 71);
    major->setCurrentIndex(3);  // Operation
    EXPECT_EQ(minor->count(), 171);
    major->setCurrentIndex(0);
    EXPECT_EQ(minor->count(), 1);
    EXPECT_EQ(page.minorTypes(2).size(), 29u);
    EXPECT_EQ(page.minorTypes(4).size(), 32u);
}

TEST(LogPage, SearchFillsTheTableAndBackupWritesWellFormedXml) {
    page_test::MediaSet media;
    page_test::Medium* m = media.Add(9, 'E');
    ASSERT_TRUE(m);
    ASSERT_FALSE(m->info.logs.empty());
    LogWidget page;
    Warnings w;
    page.ui()->diskTreeCombox->setCurrentIndex(FindItem(page.ui()->diskTreeCombox, "(E:\\)"));
    page.ui()->rangeDateTimeEdit->setDateTimeRange(RecorderDay(m->info.firstDay),
                                                   RecorderDay(m->info.firstDay + 86399));
    page.ui()->checkBtn->click();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return page.model()->rowCount() > 0 || !w.texts.isEmpty(); }));
    ASSERT_TRUE(w.texts.isEmpty()) << w.texts.join("|").toStdString();
    const int rows = page.model()->rowCount();
    EXPECT_EQ(rows, static_cast<int>(m->info.logs.size()));
    EXPECT_EQ(page.model()->columnCount(), 12);
    EXPECT_TRUE(page.ui()->tableView->isColumnHidden(7));
    EXPECT_EQ(page.model()->item(0, 0)->text(), "0001");
    EXPECT_FALSE(page.noLogShown());

    // A name without ".xml" gets it; the writer has finished when the slot returns.
    const QString base = kel_test::ProgramFolder() + "/logs & <backup>";
    page.onBackUp(base);
    ASSERT_TRUE(QFile::exists(base + ".xml"));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !w.texts.isEmpty(); }));
    EXPECT_EQ(w.texts.last(), "Backup successful.");
    EXPECT_EQ(w.pictures.last(), 0);

    QFile file(base + ".xml");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QDomDocument doc;
    QString error;
    ASSERT_TRUE(doc.setContent(&file, &error)) << error.toStdString();
    const QDomNodeList logs = doc.elementsByTagName("Log");
    EXPECT_EQ(logs.count(), rows);
    EXPECT_EQ(logs.at(0).firstChildElement("ID").text(), "0001");
    EXPECT_TRUE(logs.at(0).firstChildElement("ParameterType").isNull());

    // Names that already hold ".xml" are kept; an upper-case suffix is not one.
    w.texts.clear();
    page.onBackUp(kel_test::ProgramFolder() + "/second.xml.bak");
    EXPECT_TRUE(QFile::exists(kel_test::ProgramFolder() + "/second.xml.bak"));
    page.onBackUp(kel_test::ProgramFolder() + "/third.XML");
    EXPECT_TRUE(QFile::exists(kel_test::ProgramFolder() + "/third.XML.xml"));
    // A folder that does not exist cannot be opened.
    page.onBackUp(kel_test::ProgramFolder() + "/missing/dir/log.xml");
    ASSERT_TRUE(kel_test::WaitUntil([&] { return w.texts.size() == 3; }));
    EXPECT_EQ(w.texts.last(), "Open file failed!");

    // A new query empties the table first.
    w.texts.clear();
    page.ui()->rangeDateTimeEdit->setDateTimeRange(RecorderDay(0x7f000000), RecorderDay(0x7f000000 + 10));
    page.onQueryLocalLog();
    EXPECT_EQ(page.model()->rowCount(), 0);
    EXPECT_TRUE(page.noLogShown());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !w.texts.isEmpty(); }));
    EXPECT_EQ(w.texts.last(), "No log found!");
}

TEST(LogPage, PostedRowBatchesAreAppended) {
    LogWidget page;
    QList<QList<QStandardItem*> > rows;
    rows << QList<QStandardItem*>{new QStandardItem("0001")};
    QCoreApplication::postEvent(&page, new LogRowsEvent(rows));
    QCoreApplication::postEvent(&page, new QEvent(static_cast<QEvent::Type>(QEvent::User + 7)));
    QCoreApplication::processEvents();
    ASSERT_EQ(page.model()->rowCount(), 1);
    EXPECT_EQ(page.model()->columnCount(), 12);
    EXPECT_FALSE(page.noLogShown());
}
