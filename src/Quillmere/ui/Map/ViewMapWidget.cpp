// SPDX-License-Identifier: GPL-3.0-or-later
#include "ViewMapWidget.h"

#include <QGridLayout>
#include <QResizeEvent>
#include <QShowEvent>

#include "WebEngineView.h"

ViewMapWidget::ViewMapWidget(QWidget* parent) : ziraz::BaseDialog(false, false, false, false, true, false, false, parent) {
    setupUi(getSetupUiWidget());
    setBottomVisible(false);
    setCloseButtonVisible(true);
    setTitle(tr("Map"));

    resize(480, 360);
    // The web view (and with it the web engine's processes) is made when the
    // dialog is first shown: a program that never opens the map does not
    // pay for it at start.
    auto* layout = new QGridLayout(getSetupUiWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_alertIcons << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png"
                 << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png"
                 << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png";
}

ViewMapWidget::~ViewMapWidget() {
    // The view goes with the dialog. Deferring its deletion to the event loop
    // would leave it alive when the dialog dies on the way out of the program,
    // after the loop has ended, and the web engine does not survive a page
    // that outlives its profile.
    delete m_mapView;
    m_mapView = nullptr;
}

void ViewMapWidget::ensureView() {
    if (m_mapView) return;
    m_mapView = new WebEngineView(getSetupUiWidget());
    // The view fills the dialog's centre area and follows its size.
    getSetupUiWidget()->layout()->addWidget(m_mapView);
    m_mapView->resize(getSetupUiWidget()->size());
    connect(m_mapView, &QWebEngineView::loadFinished, this, &ViewMapWidget::onLoadFinished);
    m_mapView->loadMapPage();
    m_mapView->show();
}

void ViewMapWidget::showEvent(QShowEvent* event) {
    ensureView();
    ziraz::BaseDialog::showEvent(event);
}

void ViewMapWidget::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName("ViewMapWidget");
    form->resize(1320, 779);
    form->setWindowTitle(tr("ViewMapWidget"));
}

void ViewMapWidget::onLoadFinished(bool) {
    if (!m_mapView) return;
    m_mapView->runScript("HideVintrel()");
    // The trace gathered before the map was first opened.
    const QVector<RUN_INFO> pending = std::move(m_pendingTrace);
    m_pendingTrace.clear();
    for (const RUN_INFO& point : pending) m_mapView->addTracePoint(point);
}

void ViewMapWidget::removeTrace() {
    m_pendingTrace.clear();
    if (m_mapView) m_mapView->removeTrace();
}

void ViewMapWidget::addTracePoint(RUN_INFO point) {
    if (m_mapView) m_mapView->addTracePoint(point);
    else m_pendingTrace.append(point);
}

void ViewMapWidget::setCenter() {
    if (m_mapView) m_mapView->runScript("SetCenter()");
}

void ViewMapWidget::reloadMap() {
    if (m_mapView) m_mapView->loadMapPage();
}

void ViewMapWidget::resizeEvent(QResizeEvent* event) {
    ziraz::BaseDialog::resizeEvent(event);
    if (m_mapView) m_mapView->resize(getSetupUiWidget()->size());
}
