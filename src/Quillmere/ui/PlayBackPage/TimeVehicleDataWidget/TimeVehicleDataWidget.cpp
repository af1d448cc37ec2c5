// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeVehicleDataWidget.h"

#include <QGridLayout>
#include <QMetaType>
#include <QScrollArea>

#include "GravitySensorWidget.h"
#include "VehicleDataAnalysisWidget.h"
#include "ziraz/sharetools.h"

#include "PlayControlBar/VideoTimeSliderWidget.h"

namespace {

const char kStyle[] =
    "QTabBar::tab {\n    background-color: #21262b;\n\tcolor:rgba(255,255,255,0.6);\n}\n"
    "QTabBar::tab:selected {\n\tcolor: #5ab0ee;\n    border-bottom-color:  #5ab0ee;\n"
    "\tborder-bottom: 2px solid #5ab0ee;\n}"
    // Every tab as wide as its whole title, selected or not.
    "QTabBar::tab { padding: 4px 12px; border-bottom: 2px solid transparent; }\n"
    "QTabBar::tab:selected { border-bottom: 2px solid #5ab0ee; }";

void placeAlone(QWidget* page, QWidget* child) {
    auto* layout = new QGridLayout();
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(child);
    page->setLayout(layout);
}

}  // namespace

TimeVehicleDataWidget::TimeVehicleDataWidget(QWidget* parent) : ziraz::Widget(parent) {
    setupUi();
    initUi();
    initConnect();
}

TimeVehicleDataWidget::~TimeVehicleDataWidget() = default;

void TimeVehicleDataWidget::setupUi() {
    if (objectName().isEmpty()) setObjectName("TimeVehicleDataWidget");
    resize(848, 375);
    setStyleSheet(kStyle);
    ui.gridLayout = new QGridLayout(this);
    ui.gridLayout->setSpacing(0);
    ui.gridLayout->setObjectName("gridLayout");
    ui.gridLayout->setContentsMargins(11, 11, 11, 11);
    ui.gridLayout->setContentsMargins(0, 0, 0, 0);
    ui.tabWidget = new ziraz::TabWidget(this);
    ui.tabWidget->setObjectName("tabWidget");
    ui.tabWidget->setStyleSheet(QString());
    ui.timeAxisTab = new QWidget();
    ui.timeAxisTab->setObjectName("timeAxisTab");
    ui.tabWidget->addTab(ui.timeAxisTab, QString());
    ui.vehicleDataTab = new QWidget();
    ui.vehicleDataTab->setObjectName("vehicleDataTab");
    ui.tabWidget->addTab(ui.vehicleDataTab, QString());
    ui.gravityTab = new QWidget();
    ui.gravityTab->setObjectName("gravityTab");
    ui.tabWidget->addTab(ui.gravityTab, QString());
    ui.gridLayout->addWidget(ui.tabWidget, 0, 0);

    setWindowTitle(tr("TimeVehicleDataWidget"));
    ui.tabWidget->setTabText(ui.tabWidget->indexOf(ui.timeAxisTab), tr("TimeAxis"));
    ui.tabWidget->setTabText(ui.tabWidget->indexOf(ui.vehicleDataTab), tr("VehicleData"));
    ui.tabWidget->setTabText(ui.tabWidget->indexOf(ui.gravityTab), tr("Gravity"));
    ui.tabWidget->setCurrentIndex(0);
}

void TimeVehicleDataWidget::initUi() {
    m_timeSlider = new VideoTimeSliderWidget(nullptr);
    placeAlone(ui.timeAxisTab, m_timeSlider);
    m_vehicleData = new VehicleDataAnalysisWidget(nullptr);
    // The instruments keep their sizes: where the row is wider than the
    // page (the smallest window), it scrolls instead of overlapping.
    auto* scroll = new QScrollArea();
    scroll->setObjectName("vehicleDataScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidget(m_vehicleData);
    placeAlone(ui.vehicleDataTab, scroll);
    m_gravity = new GravitySensorWidget(nullptr);
    placeAlone(ui.gravityTab, m_gravity);
}

void TimeVehicleDataWidget::initConnect() {
    RegisterVehicleDataTypes();
    const QMetaObject::Connection connection = connect(m_vehicleData, &VehicleDataAnalysisWidget::signalVehInfo,
                                                       m_gravity, &GravitySensorWidget::onUpdateVehicleGSData);
    if (!connection) {
        ShareTools::debugMessage(QString("connect failure! ") + __FILE__ + ":" + QString::number(__LINE__) +
                                 " in " + "TimeVehicleDataWidget::initConnect");
    }
}
