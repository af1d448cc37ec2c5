#pragma once
// The "Map" dialog of the play control bar: a toolkit dialog holding the map
// web view, which shows where the vehicle was.
#include <QStringList>

#include "VehicleData.h"
#include "ziraz/dialogs.h"

class WebEngineView;
class QResizeEvent;

class ViewMapWidget : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit ViewMapWidget(QWidget* parent = nullptr);
    ~ViewMapWidget() override;

    void removeTrace();
    void addTracePoint(RUN_INFO point);
    void setCenter();
    void reloadMap();

    WebEngineView* mapView() const { return m_mapView; }
    const QStringList& alertIcons() const { return m_alertIcons; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void onLoadFinished(bool ok);

private:
    void setupUi(QWidget* form);

    WebEngineView* m_mapView = nullptr;
    QStringList m_alertIcons;
};
