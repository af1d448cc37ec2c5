// SPDX-License-Identifier: GPL-3.0-or-later
// G-sensor chart: samples, scrolling window, axis ranges and labels.
#include <gtest/gtest.h>

#include <qcustomplot.h>

#include "PlayBackPage/TimeVehicleDataWidget/GravitySensorWidget.h"
#include "vehicle_test_records.h"

namespace {

VEH_META_INFO gRecord(std::initializer_list<int16_t> x, int scale = 1000, uint32_t speed = 0) {
    VEH_META_INFO info = vehtest::Record(speed);
    info.runInfo.gSensorScale = static_cast<uint32_t>(scale);
    int i = 0;
    for (int16_t v : x) info.runInfo.gSensorX[i++] = v;
    return info;
}

std::vector<std::pair<double, double>> points(QCustomPlot* plot) {
    std::vector<std::pair<double, double>> out;
    for (auto it = plot->graph(0)->data()->constBegin(); it != plot->graph(0)->data()->constEnd(); ++it)
        out.emplace_back(it->key, it->value);
    return out;
}

}  // namespace

TEST(GravitySensorChart, FormAndStyle) {
    GravitySensorWidget chart;
    EXPECT_EQ(chart.objectName(), "GravitySensorWidget");
    EXPECT_EQ(chart.maximumHeight(), 115);
    EXPECT_EQ(chart.plotX()->objectName(), "widgetX");
    EXPECT_EQ(chart.plotSpeed()->objectName(), "widgetSpeed");
    EXPECT_EQ(chart.plotY()->xAxis->label(), "Y");
    EXPECT_EQ(chart.plotSpeed()->xAxis->label(), "Speed");
    EXPECT_EQ(chart.plotZ()->yAxis->range(), QCPRange(-2, 2));
    EXPECT_EQ(chart.plotZ()->graphCount(), 1);
}

TEST(GravitySensorChart, FirstRecordDrawsNinePointsFromKeyZero) {
    GravitySensorWidget chart;
    chart.onUpdateVehicleGSData(gRecord({0, 100, 200, 300, 400, 500, 600, 700, 250, 999}, 1000, 4500000));
    const auto x = points(chart.plotX());
    ASSERT_EQ(x.size(), 9u);
    for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(x[i].first, i);
    EXPECT_DOUBLE_EQ(x[8].second, 0.25);
    EXPECT_EQ(chart.plotX()->xAxis->label(), "X : 0.25 G");
    EXPECT_EQ(chart.plotY()->graph(0)->dataCount(), 9);
    EXPECT_EQ(chart.plotZ()->graph(0)->dataCount(), 9);
    const auto speed = points(chart.plotSpeed());
    ASSERT_EQ(speed.size(), 1u);
    EXPECT_DOUBLE_EQ(speed[0].first, 0);
    EXPECT_DOUBLE_EQ(speed[0].second, 45);
    EXPECT_EQ(chart.plotSpeed()->xAxis->label(), "Speed : 045 KPH");
    EXPECT_EQ(chart.plotX()->xAxis->range(), QCPRange(0, 150));
}

TEST(GravitySensorChart, WindowScrollsOverOneHundredFiftyKeys) {
    GravitySensorWidget chart;
    for (int r = 0; r < 17; ++r) {
        std::initializer_list<int16_t> samples = {static_cast<int16_t>(r), static_cast<int16_t>(r), static_cast<int16_t>(r),
                                                  static_cast<int16_t>(r), static_cast<int16_t>(r), static_cast<int16_t>(r),
                                                  static_cast<int16_t>(r), static_cast<int16_t>(r), static_cast<int16_t>(r)};
        chart.onUpdateVehicleGSData(gRecord(samples, 1000));
    }
    const auto x = points(chart.plotX());
    ASSERT_EQ(x.size(), 150u);
    EXPECT_DOUBLE_EQ(x.front().first, 0);
    EXPECT_DOUBLE_EQ(x.back().first, 149);
    EXPECT_DOUBLE_EQ(x.back().second, 0.016);  // the newest sample
    EXPECT_DOUBLE_EQ(x.front().second, 0.0);   // three of the first record's samples have left
    EXPECT_DOUBLE_EQ(x[6].second, 0.001);
    // One more record keeps the count and moves the values on.
    chart.onUpdateVehicleGSData(gRecord({50, 50, 50, 50, 50, 50, 50, 50, 50}, 1000));
    const auto after = points(chart.plotX());
    ASSERT_EQ(after.size(), 150u);
    EXPECT_DOUBLE_EQ(after.back().first, 149);
    EXPECT_DOUBLE_EQ(after.back().second, 0.05);
}

TEST(GravitySensorChart, ValueRangeWidensInSteps) {
    GravitySensorWidget chart;
    chart.onUpdateVehicleGSData(gRecord({1100, -1100}, 1000));
    EXPECT_EQ(chart.plotX()->yAxis->range(), QCPRange(-1.2, 1.2));
    chart.onUpdateVehicleGSData(gRecord({2500}, 1000));
    EXPECT_EQ(chart.plotX()->yAxis->range(), QCPRange(-3, 3));
    chart.onUpdateVehicleGSData(gRecord({7000}, 1000));
    EXPECT_EQ(chart.plotX()->yAxis->range(), QCPRange(-3, 3));  // beyond 6 g the range is left as it was
    GravitySensorWidget other;
    other.onUpdateVehicleGSData(gRecord({-5000}, 1000));
    EXPECT_EQ(other.plotX()->yAxis->range(), QCPRange(-6, 6));
}

TEST(GravitySensorChart, SpeedRangeRoundsUpToTens) {
    GravitySensorWidget chart;
    for (int kmh = 0; kmh <= 57; ++kmh) chart.onUpdateVehicleGSData(gRecord({}, 1000, kmh * 100000u));
    EXPECT_EQ(chart.plotSpeed()->yAxis->range(), QCPRange(0, 60));
    EXPECT_EQ(chart.plotSpeed()->xAxis->label(), "Speed : 057 KPH");
    chart.onUpdateVehicleGSData(gRecord({}, 1000, 60 * 100000u));
    EXPECT_EQ(chart.plotSpeed()->yAxis->range(), QCPRange(0, 70));
}

TEST(GravitySensorChart, RecordWithoutDivisorAddsOnlySpeed) {
    GravitySensorWidget chart;
    chart.onUpdateVehicleGSData(gRecord({100}, 0, 3000000));
    EXPECT_EQ(chart.plotX()->graph(0)->dataCount(), 0);
    EXPECT_EQ(chart.plotSpeed()->graph(0)->dataCount(), 1);
}

TEST(GravitySensorChart, EachChartCountsItsOwnKeys) {
    GravitySensorWidget first;
    first.onUpdateVehicleGSData(gRecord({1}, 1000));
    GravitySensorWidget second;
    second.onUpdateVehicleGSData(gRecord({1}, 1000));
    EXPECT_DOUBLE_EQ(points(second.plotX()).front().first, 0);
}
