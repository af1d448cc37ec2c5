// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm table and the alarm-type and channel check lists.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPixmap>
#include <QTranslator>

#include <cstring>

#include "AlarmPage/AlarmModels.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"

using namespace alarmroles;

namespace {

COMMON_MSG_INFO Alarm(int channel, uint32_t start, uint32_t end, uint32_t type) {
    COMMON_MSG_INFO info;
    std::memset(&info, 0, sizeof info);
    info.Channel = channel;
    info.Body.StartTime = start;
    info.Body.EndTime = end;
    info.Body.Type = type;
    return info;
}

QString Text(const QStandardItemModel& m, int row, int column) {
    return m.data(m.index(row, column), Qt::DisplayRole).toString();
}

std::vector<int> AllTypes() {
    std::vector<int> types;
    for (int code = 0; code <= 14; ++code) types.push_back(code);
    return types;
}

// Shows two alarm-type keys under one text.
class SameTextTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int) const override {
        if (!std::strcmp(source, "SmokingiSwnxfh") || !std::strcmp(source, "YawninglwmkwsOd")) return "Same";
        return QString();
    }
};

}  // namespace

TEST(AlarmTable, HeadersAndRowOfOneRecord) {
    kel_test::ScopedTimeZone tz("Asia/Shanghai");
    CAlarmCheckedModel model;
    ASSERT_EQ(model.columnCount(), 5);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), 132);
    EXPECT_TRUE(model.headerData(0, Qt::Horizontal, kHeaderCheckRole).toBool());
    const char* titles[] = {"", "TimeOfOccurrence", "AlarmChannelNameJzmkhgDE", "AlarmType", "Operation"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), 129);
    }

    model.SetAlarmTypes({3});
    model.AddAlarmInfos({Alarm(2, 1700000000, 1700000030, 3)});
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), 0);
    EXPECT_EQ(Text(model, 0, 1), "2023.11.14 22:13:20-2023.11.14 22:13:50");
    EXPECT_EQ(Text(model, 0, 2), "Channel2");
    EXPECT_EQ(Text(model, 0, 3), "FatigueDrivingcttFiWkY");
    const QModelIndex actions = model.index(0, 4);
    EXPECT_EQ(Text(model, 0, 4), "");
    EXPECT_EQ(model.data(actions, kNumberRole).toInt(), 2);
    EXPECT_EQ(model.data(actions, kAlarmTypeRole).toUInt(), 3u);
    EXPECT_EQ(model.data(actions, kAlarmStartRole).toDouble(), 1700000000.0);
    EXPECT_EQ(model.data(actions, kAlarmEndRole).toDouble(), 1700000030.0);
    EXPECT_EQ(model.data(actions, kPictureActionRole).userType(), QMetaType::QPixmap);
    EXPECT_EQ(model.data(actions, kClipActionRole).userType(), QMetaType::QPixmap);
    for (int c = 0; c < 5; ++c) {
        EXPECT_TRUE(model.flags(model.index(0, c)) & Qt::ItemIsUserCheckable);
        EXPECT_FALSE(model.flags(model.index(0, c)) & Qt::ItemIsEditable);
    }

    // The check role is stored under the toolkit's role.
    EXPECT_TRUE(model.setData(model.index(0, 0), 2, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.index(0, 0), kStoredCheckRole).toInt(), 2);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), 2);
}

TEST(AlarmTable, FiltersAndCompletesRecords) {
    CAlarmCheckedModel model;
    struct Case {
        COMMON_MSG_INFO info;
        const char* text;  // nullptr: no row
        const char* type;
        double end;
    } cases[] = {
        {Alarm(1, 1700000000, 0, 3), "2023.11.14 22:13:20-2023.11.14 22:13:20", "FatigueDrivingcttFiWkY", 1700000000},
        {Alarm(1, 0, 1700000030, 3), nullptr, nullptr, 0},
        {Alarm(1, 1700000000, 1700000030, 4113), nullptr, nullptr, 0},
        {Alarm(-1, 1700000000, 1700000001, 0), "2023.11.14 22:13:20-2023.11.14 22:13:21", "Unknown", 1700000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.info.Body.Type);
        model.removeRows(0, model.rowCount());
        model.SetAlarmTypes(AllTypes());
        model.AddAlarmInfos({c.info});
        if (!c.text) {
            EXPECT_EQ(model.rowCount(), 0);
            continue;
        }
        ASSERT_EQ(model.rowCount(), 1);
        EXPECT_EQ(Text(model, 0, 1), c.text);
        EXPECT_EQ(Text(model, 0, 2), QString("Channel%1").arg(c.info.Channel));
        EXPECT_EQ(Text(model, 0, 3), c.type);
        EXPECT_EQ(model.data(model.index(0, 4), kAlarmEndRole).toDouble(), c.end);
    }
    // Only the selected types, in the order given.
    model.removeRows(0, model.rowCount());
    model.SetAlarmTypes({1, 5});
    model.AddAlarmInfos({Alarm(3, 100, 200, 5), Alarm(3, 300, 400, 2), Alarm(4, 500, 600, 1)});
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Text(model, 0, 3), "DriverAnomalyMpPHjbwf");
    EXPECT_EQ(Text(model, 1, 3), "SmokingiSwnxfh");
    EXPECT_EQ(model.GetAlarmTypeName(99), "Unknown");
}

TEST(AlarmTable, TimesShowTheStoredClockWhateverTheSeason) {
    // The zone's offset differs between the two dates and the day of the run.
    kel_test::ScopedTimeZone tz("Europe/Berlin");
    CAlarmCheckedModel model;
    model.SetAlarmTypes({3});
    model.AddAlarmInfos({Alarm(1, 1688212800, 1705320000, 3)});
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(Text(model, 0, 1), "2023.07.01 12:00:00-2024.01.15 12:00:00");
}

TEST(AlarmTypeList, RowsInTextOrderWithTheirCodes) {
    CAlarmTypeCheckedModel model;
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "All");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), 0);
    EXPECT_TRUE(model.headerData(0, Qt::Horizontal, kHeaderCheckRole).toBool());
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), 129);
    const QStringList expected = {"ADistractionToRemindnvRdnVff", "AbnormalDriverIdentiYEajWWLY",
                                  "AnswerThePhonemPNzgYkL", "ChatomdyRnIE", "DriverAnomalyMpPHjbwf",
                                  "EatAndDrinkfanQTADi", "FatigueDrivingcttFiWkY", "InfraredBlockingSungzToZeHOo",
                                  "NotBuckledUp", "PickUpGoodskSZxVFP", "SmokingiSwnxfh", "Unknown",
                                  "VideoTampering", "WorkClothesNotWornRLTwujYV", "YawninglwmkwsOd"};
    ASSERT_EQ(model.rowCount(), expected.size());
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(Text(model, row, 0), expected[row]);
        const int code = model.data(model.index(row, 0), kNumberRole).toInt();
        EXPECT_EQ(QString(AlarmTypeKeys().at(static_cast<size_t>(code))), expected[row]);
        EXPECT_EQ(model.data(model.index(row, 0), Qt::CheckStateRole).toInt(), 0);
    }
    // Checking and unchecking through the check role.
    model.setData(model.index(6, 0), 2, Qt::CheckStateRole);
    model.setData(model.index(8, 0), 1, Qt::CheckStateRole);  // partly checked: not taken
    const QList<QModelIndex> checked = model.GetCheckedIndexes();
    ASSERT_EQ(checked.size(), 1);
    EXPECT_EQ(model.data(checked[0], kNumberRole).toInt(), 3);
    model.UncheckAll();
    EXPECT_TRUE(model.GetCheckedIndexes().isEmpty());
    EXPECT_EQ(model.data(model.index(6, 0), kStoredCheckRole).toInt(), 0);
    EXPECT_EQ(model.data(model.index(8, 0), kStoredCheckRole).toInt(), 1);
}

TEST(AlarmTypeList, EqualTranslationsKeepTheLaterCode) {
    SameTextTranslator translator;
    QCoreApplication::installTranslator(&translator);
    CAlarmTypeCheckedModel list;
    CAlarmCheckedModel table;
    QCoreApplication::removeTranslator(&translator);
    ASSERT_EQ(list.rowCount(), 14);
    int same = -1;
    for (int row = 0; row < list.rowCount(); ++row)
        if (Text(list, row, 0) == "Same") same = list.data(list.index(row, 0), kNumberRole).toInt();
    EXPECT_EQ(same, 8);
    EXPECT_EQ(table.GetAlarmTypeName(8), "Same");
    EXPECT_EQ(table.GetAlarmTypeName(1), "Unknown");
}

TEST(ChannelList, RowsFollowTheChannelSetting) {
    struct Case {
        const char* value;
        int rows;
    } cases[] = {{"4", 4}, {"0", 0}, {"abc", 0}, {"", 0}, {"-3", 0}, {"2000000000", CChannelCheckedModel::kMaxChannels}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(CSettingsStore::GetInstance()->SetValueText(SettingKey::ChannelNum, c.value));
        CChannelCheckedModel model;
        ASSERT_EQ(model.rowCount(), c.rows);
        for (int row = 0; row < model.rowCount(); ++row) {
            EXPECT_EQ(Text(model, row, 0), QString("ChannelRKQ33T39%1").arg(row + 1));
            EXPECT_EQ(model.data(model.index(row, 0), kNumberRole).toInt(), row + 1);
        }
    }
    ASSERT_TRUE(CSettingsStore::GetInstance()->SetValueText(SettingKey::ChannelNum, "4"));
    CChannelCheckedModel model;
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "All");
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(model.setData(model.index(1, 0), 2, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), 2);
    const QList<QModelIndex> checked = model.GetCheckedIndexes();
    ASSERT_EQ(checked.size(), 1);
    EXPECT_EQ(checked[0].row(), 1);
    model.UncheckAll();
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), 0);
    EXPECT_TRUE(model.GetCheckedIndexes().isEmpty());
}
