// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one vehicle-data record in the panels: the status panel (texts,
// pictures, plates) and the G-sensor chart (28 samples and four replots).
// Records arrive a few times a second per playing window; one record should
// take well under a millisecond so the GUI thread keeps up.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>

#include "PlayBackPage/TimeVehicleDataWidget/GravitySensorWidget.h"
#include "storage/Settings.h"
#include "PlayBackPage/TimeVehicleDataWidget/VehicleDataAnalysisWidget.h"

namespace {

VEH_META_INFO record(int i) {
    VEH_META_INFO info;
    std::memset(&info, 0, sizeof info);
    RUN_INFO& run = info.runInfo;
    run.gpsValid = 1;
    run.speed = static_cast<uint32_t>((40 + i % 30) * 100000);
    run.heading = (i * 500) % 36000;
    run.longitude = 41016725 + i;
    run.longitudeHemisphere = 'E';
    run.latitude = 10893000 + i;
    run.latitudeHemisphere = 'N';
    run.satelliteCount = static_cast<uint8_t>(i % 20);
    run.gSensorScale = 1000;
    for (int k = 0; k < 10; ++k) {
        run.gSensorX[k] = static_cast<int16_t>((i * 37 + k * 11) % 2000 - 1000);
        run.gSensorY[k] = static_cast<int16_t>((i * 13 + k * 7) % 600 - 300);
        run.gSensorZ[k] = static_cast<int16_t>(1000 + (i + k) % 50);
    }
    run.leftLight = run.rightLight = static_cast<uint8_t>(i % 2);
    return info;
}

void BM_StatusPanelRecord(benchmark::State& state) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::SpeedUnitType, "0");
    CSettingsStore::GetInstance()->SetValueText(SettingKey::EnableSpeedAlarm, "0");
    VehicleDataAnalysisWidget panel;
    int i = 0;
    for (auto _ : state) panel.onUpdateVehicleData1(record(i++));
}
BENCHMARK(BM_StatusPanelRecord);

void BM_GravityChartRecord(benchmark::State& state) {
    GravitySensorWidget chart;
    chart.resize(938, 115);
    chart.show();
    int i = 0;
    for (auto _ : state) {
        chart.onUpdateVehicleGSData(record(i++));
        if (state.range(0)) QCoreApplication::processEvents();  // let the replots paint
    }
}
BENCHMARK(BM_GravityChartRecord)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const double kMillisecond = 1e6;   // the benchmarks' unit is the nanosecond
    return kel_bench::RunBenchmarks(
        argc, argv,
        {{"status panel: one record in under a millisecond", "BM_StatusPanelRecord", "time", true, kMillisecond, ""},
         {"G-sensor chart: one record in under a millisecond", "BM_GravityChartRecord/0", "time", true, kMillisecond, ""},
         {"G-sensor chart, replotted: one record in under a millisecond", "BM_GravityChartRecord/1", "time", true,
          kMillisecond, ""}});
}
