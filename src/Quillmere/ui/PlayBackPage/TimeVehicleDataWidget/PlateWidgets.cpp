// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlateWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QSpacerItem>
#include <QToolButton>

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

const QColor kNeedleColor("#5ab0ee");

void drawNeedle(QPainter& painter, int length) {
    const QPoint points[3] = {QPoint(1, 6), QPoint(-1, 6), QPoint(0, length)};
    painter.drawConvexPolygon(points, 3);
}

void prepareNeedlePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(kNeedleColor);
    painter.setBrush(QBrush(kNeedleColor, Qt::SolidPattern));
}

// A point at `radius` from the pivot along a needle turned by `angle`
// degrees (a needle points down at 0 and turns clockwise).
QPointF onNeedle(double angle, double radius) {
    const double a = qDegreesToRadians(angle);
    return QPointF(-radius * std::sin(a), radius * std::cos(a));
}

// The dial's faces: the speed scale around (70, 70), 0 to 140 miles per hour
// over the needle's sweep, and the rotation scale around (177, 65).
void drawDialScales(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor tick(255, 255, 255, 170);
    const QColor minor(255, 255, 255, 90);
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);

    painter.save();
    painter.translate(70, 70);
    for (int mph = 0; mph <= 140; mph += 10) {
        const double angle = mph * 1.8 + SpeedAndRotatePlateWidget::kSpeedRestAngle;
        const bool major = mph % 20 == 0;
        painter.setPen(QPen(major ? tick : minor, major ? 2.0 : 1.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(onNeedle(angle, major ? 56 : 60), onNeedle(angle, 66));
        if (major) {
            painter.setPen(tick);
            const QPointF at = onNeedle(angle, 45);
            painter.drawText(QRectF(at.x() - 12, at.y() - 6, 24, 12), Qt::AlignCenter, QString::number(mph));
        }
    }
    painter.restore();

    painter.save();
    painter.translate(177, 65);
    const double sweep = 140 * 1.1642857 * 0.56;  // the rotation needle's turn at 140 mph
    for (int k = 0; k <= 8; ++k) {
        const double angle = SpeedAndRotatePlateWidget::kRotateRestAngle + sweep * k / 8.0;
        const QColor colour = k >= 7 ? QColor(255, 90, 54, 200) : tick;  // the last steps in red
        painter.setPen(QPen(colour, k % 2 == 0 ? 2.0 : 1.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(onNeedle(angle, k % 2 == 0 ? 52 : 56), onNeedle(angle, 62));
        if (k % 2 == 0) {
            painter.setPen(colour);
            const QPointF at = onNeedle(angle, 42);
            painter.drawText(QRectF(at.x() - 8, at.y() - 6, 16, 12), Qt::AlignCenter, QString::number(k));
        }
    }
    painter.restore();
    painter.restore();
}

}  // namespace

// ---------------------------------------------------------------------------
// Speed and rotation dial

SpeedAndRotatePlateWidget::SpeedAndRotatePlateWidget(QWidget* parent) : ziraz::Widget(parent) {
    if (objectName().isEmpty()) setObjectName("SpeedAndRotatePlateWidget");
    resize(990, 133);
    setWindowTitle(tr("VehicleDataAnalysisWidget"));
    resize(243, 115);
}

SpeedAndRotatePlateWidget::~SpeedAndRotatePlateWidget() = default;

void SpeedAndRotatePlateWidget::setVehicleData(VEH_META_INFO vehInfo) {
    if (vehInfo.runInfo.gpsValid != 1) return;
    int mph = static_cast<int>(static_cast<float>(vehInfo.runInfo.speed) / 160934.40625f);
    if (mph > 140) mph = 140;
    m_lastMph = mph;
    if (mph < 1) {
        m_speedAngle = kSpeedRestAngle;
        m_rotateAngle = kRotateRestAngle;
    } else {
        m_speedAngle = static_cast<float>(mph) * 1.8f + 53.5f;
        m_rotateAngle = static_cast<float>(mph) * 1.1642857f * 0.56f + 143.5f;
    }
    update();
}

void SpeedAndRotatePlateWidget::reset() {
    m_speedAngle = kSpeedRestAngle;
    m_rotateAngle = kRotateRestAngle;
    update();
}

void SpeedAndRotatePlateWidget::paintEvent(QPaintEvent* event) {
    ziraz::Widget::paintEvent(event);
    QPainter painter(this);
    drawDialScales(painter);
    prepareNeedlePainter(painter);
    painter.translate(70, 70);
    painter.save();
    painter.rotate(m_speedAngle);
    drawNeedle(painter, 68);
    painter.restore();
    painter.translate(107, -5);
    painter.save();
    painter.rotate(m_rotateAngle);
    drawNeedle(painter, 64);
    painter.restore();
}

// ---------------------------------------------------------------------------
// G-force plate

XYZPlateWidget::XYZPlateWidget(double pivotX, double pivotY, const QString& title, QWidget* parent)
    : ziraz::Widget(parent), m_pivotX(pivotX), m_pivotY(pivotY) {
    if (objectName().isEmpty()) setObjectName("XYZPlateWidget");
    setFixedSize(96, 96);
    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName("gridLayout");
    m_gridLayout->setSpacing(0);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->addItem(new QSpacerItem(20, 51, QSizePolicy::Minimum, QSizePolicy::Fixed), 0, 0);
    m_label = new QLabel(this);
    m_label->setObjectName("label");
    m_label->setAlignment(Qt::AlignCenter);
    m_gridLayout->addWidget(m_label, 1, 0);
    m_gridLayout->addItem(new QSpacerItem(20, 24, QSizePolicy::Minimum, QSizePolicy::Expanding), 2, 0);
    setWindowTitle(tr("XYZPlateWidget"));
    m_label->setText(tr("Left/Right"));

    m_label->setText(title);
    m_label->setStyleSheet(
        "QLabel{ font-family: Microsoft YaHei;color: rgba(255, 255, 255, 0.8); font-size: 10px;}");
    resize(96, 96);
}

XYZPlateWidget::~XYZPlateWidget() = default;

double XYZPlateWidget::angleOf(double value) {
    return std::clamp(value, -2.0, 2.0) * 90.0 + 180.0;
}

void XYZPlateWidget::setValue(double value) {
    m_angle = angleOf(value);
    update();
}

void XYZPlateWidget::setValueNoUpdate(double value) { m_angle = angleOf(value); }

void XYZPlateWidget::paintEvent(QPaintEvent* event) {
    ziraz::Widget::paintEvent(event);
    QPainter painter(this);
    prepareNeedlePainter(painter);
    painter.translate(m_pivotX, m_pivotY);
    painter.save();
    painter.rotate(m_angle);
    drawNeedle(painter, 46);
    painter.restore();
}

// ---------------------------------------------------------------------------
// Heading plate

VehiclePlateWidget::VehiclePlateWidget(QWidget* parent) : ziraz::Widget(parent) {
    if (objectName().isEmpty()) setObjectName("VehiclePlateWidget");
    setFixedSize(96, 96);
    m_gridLayout = new QGridLayout(this);
    m_gridLayout->setObjectName("gridLayout");
    m_gridLayout->setSpacing(0);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->addItem(new QSpacerItem(20, 28, QSizePolicy::Minimum, QSizePolicy::Expanding), 0, 0);
    m_horizontalLayout = new QHBoxLayout();
    m_horizontalLayout->setObjectName("horizontalLayout");
    m_horizontalLayout->setSpacing(6);
    m_horizontalLayout->addItem(new QSpacerItem(32, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_carImageBtn = new QToolButton(this);
    m_carImageBtn->setObjectName("carImageBtn");
    m_carImageBtn->setFixedSize(32, 32);
    m_carImageBtn->setText(QString());
    m_horizontalLayout->addWidget(m_carImageBtn);
    m_horizontalLayout->addItem(new QSpacerItem(32, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_gridLayout->addLayout(m_horizontalLayout, 1, 0);
    m_gridLayout->addItem(new QSpacerItem(20, 28, QSizePolicy::Minimum, QSizePolicy::Expanding), 2, 0);
    setWindowTitle(tr("VehiclePlateWidget"));
    resize(96, 96);
}

VehiclePlateWidget::~VehiclePlateWidget() = default;

int VehiclePlateWidget::pictureAngleOf(int heading) {
    int h = heading;
    if (h < 0 || h > 359) h = h % 360;  // the sign is kept: -10 stays -10
    int a;
    if (h >= 0 && h <= 269) {
        a = 90 - h;
        if (a < 0) a += 360;
    } else {
        a = 450 - h;
    }
    if (a < 0 || a > 359) return -1;
    return 5 * (a / 5);
}

void VehiclePlateWidget::setHeading(int heading) {
    const int k = pictureAngleOf(heading);
    if (k < 0) return;
    m_carImageBtn->setStyleSheet(
        QString("image: url(:/Quillmere/Images/PlayBack/VehicleData/car/Car_%1.png);").arg(k));
}

void VehiclePlateWidget::paintEvent(QPaintEvent* event) { ziraz::Widget::paintEvent(event); }
