// SPDX-License-Identifier: GPL-3.0-or-later
#include "GravitySensorWidget.h"

#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

#include <qcustomplot.h>

namespace {
const QColor kCurveColor("#5ab0ee");
}

GravitySensorWidget::GravitySensorWidget(QWidget* parent) : ziraz::Widget(parent) {
    setupUi();
    initPlot();
}

GravitySensorWidget::~GravitySensorWidget() = default;

void GravitySensorWidget::setupUi() {
    if (objectName().isEmpty()) setObjectName("GravitySensorWidget");
    resize(938, 115);
    setMinimumSize(0, 115);
    setMaximumSize(16777215, 115);
    ui.horizontalLayout = new QHBoxLayout(this);
    ui.horizontalLayout->setObjectName("horizontalLayout");
    ui.horizontalLayout->setSpacing(17);
    ui.horizontalLayout->setContentsMargins(17, 0, 0, 0);
    QCustomPlot** plots[] = {&ui.widgetX, &ui.widgetY, &ui.widgetZ, &ui.widgetSpeed};
    const char* names[] = {"widgetX", "widgetY", "widgetZ", "widgetSpeed"};
    for (int i = 0; i < 4; ++i) {
        *plots[i] = new QCustomPlot(this);
        (*plots[i])->setObjectName(names[i]);
        ui.horizontalLayout->addWidget(*plots[i]);
    }
    setWindowTitle(tr("GravitySensorWidget"));
}

void GravitySensorWidget::initPlot() {
    stylePlot(ui.widgetX, tr("X"));
    stylePlot(ui.widgetY, tr("Y"));
    stylePlot(ui.widgetZ, tr("Z"));
    stylePlot(ui.widgetSpeed, tr("Speed"));
    for (QCustomPlot* plot : {ui.widgetX, ui.widgetY, ui.widgetZ, ui.widgetSpeed}) plot->addGraph();
}

void GravitySensorWidget::stylePlot(QCustomPlot* plot, const QString& title) {
    const QColor line(255, 255, 255, 76);
    const QColor text(255, 255, 255, 153);
    plot->setBackground(QBrush(QColor("#21262b"), Qt::SolidPattern));
    plot->xAxis->grid()->setPen(QPen(line));
    plot->yAxis->grid()->setPen(QPen(line));
    plot->yAxis->setTickPen(QPen(line));
    plot->yAxis->setSubTickPen(QPen(line));
    plot->xAxis->grid()->setZeroLinePen(QPen(line));
    plot->yAxis->grid()->setZeroLinePen(QPen(line));
    plot->xAxis->setTicks(false);
    plot->xAxis->setLabel(title);
    plot->xAxis->setLabelColor(text);
    plot->yAxis->setTickLabelColor(text);
    plot->yAxis->setRange(-2, 2);
    plot->setContentsMargins(0, 0, 0, 0);
}

void GravitySensorWidget::appendSample(Series& series, double value) {
    // Keys 0..150 are handed out once; after that the window scrolls over them.
    if (series.keys.size() <= kWindowSize) series.keys.append(series.counter++);
    series.values.append(value);
    if (series.values.size() > kWindowSize) series.values.removeFirst();
}

void GravitySensorWidget::showSeries(QCustomPlot* plot, const Series& series) {
    plot->xAxis->setRange(0, kWindowSize);
    QCPGraph* graph = plot->graph(0);
    graph->setPen(QPen(kCurveColor));
    graph->data()->clear();
    const int n = std::min(series.keys.size(), series.values.size());
    graph->setData(series.keys.mid(0, n), series.values.mid(0, n), true);
}

void GravitySensorWidget::addGSample(QCustomPlot* plot, Series& series, double value, const QString& prefix) {
    appendSample(series, value);
    const auto [lo, hi] = std::minmax_element(series.values.cbegin(), series.values.cend());
    const double largest = *hi;
    const double smallest = *lo;
    if (largest < 1.2 && smallest > -1.2) {
        plot->yAxis->setRange(-1.2, 1.2);
    } else if (largest < 3 && smallest > -3) {
        plot->yAxis->setRange(-3, 3);
    } else if (largest < 6 && smallest > -6) {
        plot->yAxis->setRange(-6, 6);
    }
    showSeries(plot, series);
    plot->xAxis->setLabel(prefix + QString::number(value, 'f', 2) + tr(" G"));
}

void GravitySensorWidget::addSpeedSample(int speed) {
    appendSample(m_speed, speed);
    const auto [lo, hi] = std::minmax_element(m_speed.values.cbegin(), m_speed.values.cend());
    const double lower = static_cast<int>(*lo);
    const double upper = static_cast<int>(*hi / 10 + 1) * 10;
    ui.widgetSpeed->yAxis->setRange(lower, upper);
    showSeries(ui.widgetSpeed, m_speed);
    ui.widgetSpeed->xAxis->setLabel(tr("Speed : %1 KPH").arg(speed, 3, 10, QChar('0')));
    ui.widgetSpeed->replot(QCustomPlot::rpRefreshHint);
}

void GravitySensorWidget::onUpdateVehicleGSData(VEH_META_INFO vehInfo) {
    const RUN_INFO& run = vehInfo.runInfo;
    const int32_t divisor = static_cast<int32_t>(run.gSensorScale);
    // Without a divisor the record carries no G-sensor values: the quotients
    // would be infinite or undefined, so only the speed is drawn.
    if (divisor != 0) {
        const double d = divisor;
        for (int i = 0; i < 9; ++i) addGSample(ui.widgetX, m_x, run.gSensorX[i] / d, tr("X : "));
        for (int i = 0; i < 9; ++i) addGSample(ui.widgetY, m_y, run.gSensorY[i] / d, tr("Y : "));
        for (int i = 0; i < 9; ++i) addGSample(ui.widgetZ, m_z, run.gSensorZ[i] / d, tr("Z : "));
        // One replot per chart and record: the nine samples of a record are
        // shown together, so drawing each of them would only cost time.
        for (QCustomPlot* plot : {ui.widgetX, ui.widgetY, ui.widgetZ}) plot->replot(QCustomPlot::rpRefreshHint);
    }
    addSpeedSample(static_cast<int>(run.speed / 100000u));
}
