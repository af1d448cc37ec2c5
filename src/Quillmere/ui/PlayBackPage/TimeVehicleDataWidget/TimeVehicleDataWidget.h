// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tab panel under the playback grid: the time axis of the sixteen windows,
// the vehicle status panel and the G-sensor chart. Records given to the status
// panel reach the chart as well.
#include "ziraz/controls.h"

class QGridLayout;
class QWidget;
class VehicleDataAnalysisWidget;
class GravitySensorWidget;
class VideoTimeSliderWidget;

class TimeVehicleDataWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit TimeVehicleDataWidget(QWidget* parent = nullptr);
    ~TimeVehicleDataWidget() override;

    // The window time axis (null when the build has no time-axis widget; a
    // plain placeholder page is shown then).
    VideoTimeSliderWidget* videoTimeSliderWidget() const { return m_timeSlider; }
    VehicleDataAnalysisWidget* vehicleDataAnalysisWidget() const { return m_vehicleData; }
    GravitySensorWidget* gravitySensorWidget() const { return m_gravity; }
    ziraz::TabWidget* tabWidget() const { return ui.tabWidget; }

private:
    void setupUi();
    void initUi();
    void initConnect();

    VideoTimeSliderWidget* m_timeSlider = nullptr;
    VehicleDataAnalysisWidget* m_vehicleData = nullptr;
    GravitySensorWidget* m_gravity = nullptr;

    struct Form {
        QGridLayout* gridLayout = nullptr;
        ziraz::TabWidget* tabWidget = nullptr;
        QWidget* timeAxisTab = nullptr;
        QWidget* vehicleDataTab = nullptr;
        QWidget* gravityTab = nullptr;
    } ui;
};
