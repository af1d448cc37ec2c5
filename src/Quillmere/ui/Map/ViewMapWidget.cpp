#include "ViewMapWidget.h"

#include <QGridLayout>
#include <QResizeEvent>

#include "WebEngineView.h"

ViewMapWidget::ViewMapWidget(QWidget* parent) : ziraz::BaseDialog(false, false, false, false, true, false, false, parent) {
    setupUi(getSetupUiWidget());
    setBottomVisible(false);
    setCloseButtonVisible(true);
    setTitle(tr("Map"));

    m_mapView = new WebEngineView(getSetupUiWidget());
    // The view fills the dialog's centre area and follows its size.
    auto* layout = new QGridLayout(getSetupUiWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_mapView);

    resize(480, 360);
    m_mapView->resize(480, 360);
    m_mapView->loadMapPage();
    m_mapView->show();
    connect(m_mapView, &QWebEngineView::loadFinished, this, &ViewMapWidget::onLoadFinished);

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

void ViewMapWidget::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName("ViewMapWidget");
    form->resize(1320, 779);
    form->setWindowTitle(tr("ViewMapWidget"));
}

void ViewMapWidget::onLoadFinished(bool) {
    if (m_mapView) m_mapView->runScript("HideVintrel()");
}

void ViewMapWidget::removeTrace() {
    if (m_mapView) m_mapView->removeTrace();
}

void ViewMapWidget::addTracePoint(RUN_INFO point) {
    if (m_mapView) m_mapView->addTracePoint(point);
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
