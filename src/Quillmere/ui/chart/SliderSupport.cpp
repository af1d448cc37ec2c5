// SPDX-License-Identifier: GPL-3.0-or-later
#include "SliderSupport.h"

#include "storage/RecorderTime.h"
#include "ChartLayer.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <climits>
#include <cmath>

namespace chart_support {

qint64 Trunc64(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= 9.2e18) {
        return LLONG_MAX;
    }
    if (v <= -9.2e18) {
        return LLONG_MIN;
    }
    return static_cast<qint64>(v);
}

QRect FitRectToScreen(const QRect& rect) {
    QScreen* screen = QGuiApplication::screenAt(rect.topLeft());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return rect;
    }
    const QRect desk = screen->geometry();
    QRect r = rect;
    if (r.right() > desk.right()) {
        r.moveLeft(desk.right() - r.width());
    }
    if (r.bottom() > desk.bottom()) {
        r.moveTop(desk.bottom() - r.height());
    }
    return r;
}

QString CursorText(qint64 secs) {
    return RecorderDateTime(secs).toString("yyyy-MM-dd hh:mm:ss");
}

QString ClockOfDay(qint64 secs) {
    qint64 s = secs % 86400;
    if (s < 0) {
        s += 86400;
    }
    return QString("%1:%2:%3")
        .arg(s / 3600, 2, 10, QChar('0'))
        .arg((s / 60) % 60, 2, 10, QChar('0'))
        .arg(s % 60, 2, 10, QChar('0'));
}

QBrush BrushFrom(const QVariant& value, const QBrush& fallback) {
    if (!value.isValid()) {
        return fallback;
    }
    if (value.userType() == QMetaType::QBrush) {
        return value.value<QBrush>();
    }
    if (value.userType() == QMetaType::QColor) {
        return QBrush(value.value<QColor>());
    }
    if (value.canConvert<QBrush>()) {
        return value.value<QBrush>();
    }
    return fallback;
}

QPixmap FilterIconPixmap(const QString& resource) {
    QPixmap p(resource);
    if (!p.isNull()) {
        return p;
    }
    // Three short bars: the usual sign of a menu.
    p = QPixmap(16, 16);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.fillRect(QRect(2, 3, 12, 2), QColor(0xcf, 0xcf, 0xcf));
    painter.fillRect(QRect(2, 7, 12, 2), QColor(0xcf, 0xcf, 0xcf));
    painter.fillRect(QRect(2, 11, 12, 2), QColor(0xcf, 0xcf, 0xcf));
    return p;
}

void PanRange(CAxisScale& axis, double savedLower, double savedUpper, qint64 d, int lowerLimit, int upperLimit) {
    const double span = savedUpper - savedLower;
    if (d >= 0) {
        if (savedLower - d >= lowerLimit) {
            axis.setRange(savedLower - d, savedUpper - d);
        } else {
            axis.setRange(lowerLimit, lowerLimit + span);
        }
    } else {
        if (savedUpper - d <= upperLimit) {
            axis.setRange(savedLower - d, savedUpper - d);
        } else {
            axis.setRange(upperLimit - span, upperLimit);
        }
    }
}

}  // namespace chart_support
