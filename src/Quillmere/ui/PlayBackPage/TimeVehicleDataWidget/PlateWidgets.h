// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Instrument plates of the vehicle status panel: the speed and rotation dial,
// the G-force plate of one axis and the heading plate. The dial and the G-force
// plate paint only their needles; the faces come from the containers' styles.
#include <QString>

#include "Playback/VehicleData.h"
#include "ziraz/controls.h"

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QToolButton;

class SpeedAndRotatePlateWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit SpeedAndRotatePlateWidget(QWidget* parent = nullptr);
    ~SpeedAndRotatePlateWidget() override;

    // Moves both needles from the record's speed; a record without a valid GPS
    // fix changes nothing.
    void setVehicleData(VEH_META_INFO vehInfo);
    // Both needles back to rest.
    void reset();

    float speedAngle() const { return m_speedAngle; }
    float rotateAngle() const { return m_rotateAngle; }
    int lastMph() const { return m_lastMph; }

    static constexpr float kSpeedRestAngle = 53.5f;
    static constexpr float kRotateRestAngle = 143.5f;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float m_speedAngle = kSpeedRestAngle;
    float m_rotateAngle = kRotateRestAngle;
    int m_lastMph = 0;
};

class XYZPlateWidget : public ziraz::Widget {
    Q_OBJECT
public:
    XYZPlateWidget(double pivotX, double pivotY, const QString& title, QWidget* parent = nullptr);
    ~XYZPlateWidget() override;

    // Needle for a value in g (clamped to -2 .. 2); repaints.
    void setValue(double value);
    // The same angle without a repaint.
    void setValueNoUpdate(double value);

    double angle() const { return m_angle; }
    QLabel* titleLabel() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static double angleOf(double value);

    QGridLayout* m_gridLayout = nullptr;
    QLabel* m_label = nullptr;
    double m_pivotX;
    double m_pivotY;
    double m_angle = 180.0;
};

class VehiclePlateWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit VehiclePlateWidget(QWidget* parent = nullptr);
    ~VehiclePlateWidget() override;

    // Heading in whole degrees clockwise from north: shows the car picture
    // turned to it (5-degree steps).
    void setHeading(int heading);

    QToolButton* carImageButton() const { return m_carImageBtn; }

    // The picture number (0, 5, ... 355) shown for a heading, or -1 when the
    // heading leaves the picture as it was.
    static int pictureAngleOf(int heading);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QGridLayout* m_gridLayout = nullptr;
    QHBoxLayout* m_horizontalLayout = nullptr;
    QToolButton* m_carImageBtn = nullptr;
};
