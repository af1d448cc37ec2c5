// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// G-sensor chart: four small scrolling line charts (G-force on the left/right,
// front/rear and up/down axes, and speed), each keeping its latest 150 values.
#include <QString>
#include <QVector>

#include "Playback/VehicleData.h"
#include "ziraz/controls.h"

class QCustomPlot;
class QHBoxLayout;

class GravitySensorWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit GravitySensorWidget(QWidget* parent = nullptr);
    ~GravitySensorWidget() override;

    static constexpr int kWindowSize = 150;

    QCustomPlot* plotX() const { return ui.widgetX; }
    QCustomPlot* plotY() const { return ui.widgetY; }
    QCustomPlot* plotZ() const { return ui.widgetZ; }
    QCustomPlot* plotSpeed() const { return ui.widgetSpeed; }

signals:
    void signalVehInfoGSensor(VEH_META_INFO vehInfo);

public slots:
    void onUpdateVehicleGSData(VEH_META_INFO vehInfo);

private:
    // One chart's samples: the value window and the keys it is drawn on.
    struct Series {
        QVector<double> values;
        QVector<double> keys;
        int counter = 0;
    };

    void setupUi();
    void initPlot();
    void stylePlot(QCustomPlot* plot, const QString& title);
    static void appendSample(Series& series, double value);
    static void showSeries(QCustomPlot* plot, const Series& series);
    void addGSample(QCustomPlot* plot, Series& series, double value, const QString& prefix);
    void addSpeedSample(int speed);

    struct Form {
        QHBoxLayout* horizontalLayout = nullptr;
        QCustomPlot* widgetX = nullptr;
        QCustomPlot* widgetY = nullptr;
        QCustomPlot* widgetZ = nullptr;
        QCustomPlot* widgetSpeed = nullptr;
    } ui;

    Series m_x;
    Series m_y;
    Series m_z;
    Series m_speed;
};
