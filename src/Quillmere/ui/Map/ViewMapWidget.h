// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Map" dialog of the play control bar: a toolkit dialog holding the map
// web view, which shows where the vehicle was.
#include <QStringList>
#include <QVector>

#include "Playback/VehicleData.h"
#include "ziraz/dialogs.h"

class WebEngineView;
class QResizeEvent;
class QShowEvent;

class ViewMapWidget : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit ViewMapWidget(QWidget* parent = nullptr);
    ~ViewMapWidget() override;

    void removeTrace();
    void addTracePoint(RUN_INFO point);
    void setCenter();
    void reloadMap();

    // Null until the dialog is first shown.
    WebEngineView* mapView() const { return m_mapView; }
    const QStringList& alertIcons() const { return m_alertIcons; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void onLoadFinished(bool ok);

private:
    void setupUi(QWidget* form);
    void ensureView();

    WebEngineView* m_mapView = nullptr;
    QVector<RUN_INFO> m_pendingTrace;   // points given before the view exists
    QStringList m_alertIcons;
};
