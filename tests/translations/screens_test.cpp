// SPDX-License-Identifier: GPL-3.0-or-later
// The screens with a translation catalogue loaded, in English and in Chinese:
// the main window's navigation, the alarm page and its exported list, the
// batch download dialog, the device-log texts and the vehicle data's units
// show words, not keys.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "AlarmPage/AlarmModels.h"
#include "AlarmPage/AlarmWidget.h"
#include "Download/Batch/BatchDownloadDialog.h"
#include "search/LogTypeTable.h"
#include "Quillmere/OperateSelWidget.h"
#include "PlayBackPage/TimeVehicleDataWidget/VehicleDataAnalysisWidget.h"
#include "kel_test/test_support.h"

namespace {

QString ButtonText(QWidget& parent, const char* name) {
    auto* button = parent.findChild<QToolButton*>(QLatin1String(name));
    return button ? button->text() : QStringLiteral("<no button %1>").arg(QLatin1String(name));
}

TEST(TranslatedScreens, ShowWordsInEitherLanguage) {
    const struct {
        const char* language;
        const char* trackButton;     // navigation of the main window
        const char* settingButton;
        const char* startStopLabel;  // alarm page
        const char* csvHeader;       // first line of the exported alarm list
        const char* smoking;         // alarm type 1
        const char* subFolder;       // default sub-folder of downloads
        const char* statusHeader;    // batch download table
        const char* periodBox;       // download by time
        const char* logMinor;        // device log: alarm, motion detection starts
        const char* logMajor;        // device log: major type 3
        const char* speed;           // vehicle data: the speed and its unit
    } cases[] = {
        {"en", "Track Playback", "Settings", "Start/End Time", "Time of Occurrence,Alarm Channel,Alarm Type", "Smoking",
         "Downloads", "Status", "Time Period 1", "Motion Detection Starts", "Operation", "000 KPH"},
        {"zh", "轨迹回放", "设置", "起止时间", "发生时间,报警通道,报警类型", "抽烟", "下载文件", "状态", "时间段1",
         "移动侦测开始", "操作", "000 公里/时"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        kel_test::ScopedCatalogue catalogue(QLatin1String(c.language));
        ASSERT_TRUE(catalogue.loaded());

        OperateSelWidget navigation;
        EXPECT_EQ(ButtonText(navigation, "trackPlaybackBtn"), QString::fromUtf8(c.trackButton));
        EXPECT_EQ(ButtonText(navigation, "settingBtn"), QString::fromUtf8(c.settingButton));

        CAlarmWidget alarms;
        EXPECT_EQ(alarms.ui()->m_pStartStopTimeLabel->text(), QString::fromUtf8(c.startStopLabel));
        EXPECT_EQ(alarms.alarmModel()->GetAlarmTypeName(1), QString::fromUtf8(c.smoking));
        const QString csv = kel_test::ProgramFolder() + "/alarms_" + c.language + ".csv";
        ASSERT_TRUE(alarms.exportCsv(csv));
        EXPECT_EQ(QString::fromUtf8(kel_test::ReadFile(csv)).split('\n').value(0), QString::fromUtf8(c.csvHeader));

        Lorrimax batch;
        EXPECT_EQ(batch.form().lineEdit->text(), QString::fromUtf8(c.subFolder));
        EXPECT_EQ(batch.tableModel()->headerData(6, Qt::Horizontal).toString(), QString::fromUtf8(c.statusHeader));
        EXPECT_EQ(batch.form().m_pFirstPeriodCheckBox->text(), QString::fromUtf8(c.periodBox));

        VehicleDataAnalysisWidget vehicle;
        auto* speed = vehicle.findChild<QLabel*>("speedLabel");
        ASSERT_NE(speed, nullptr);
        EXPECT_EQ(speed->text(), QString::fromUtf8(c.speed));

        CLogTrans log;
        EXPECT_EQ(log.GetMinorTypeText(1, 3), QString::fromUtf8(c.logMinor));
        EXPECT_EQ(log.GetMajorTypeText(3), QString::fromUtf8(c.logMajor));
    }
}

}  // namespace
