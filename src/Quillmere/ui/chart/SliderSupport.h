// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the two time sliders.
#include <QBrush>
#include <QDateTime>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QVariant>

class CAxisScale;

namespace chart_support {

// Truncation toward zero into the 64-bit range (NaN gives 0).
qint64 Trunc64(double v);
// A rectangle moved back inside the screen when it passes its right or bottom edge.
QRect FitRectToScreen(const QRect& rect);
// "yyyy-MM-dd hh:mm:ss" of seconds since the epoch, recorder time.
QString CursorText(qint64 secs);
// "hh:mm:ss" of a number of seconds after midnight, wrapped into one day.
QString ClockOfDay(qint64 secs);
// The band brush of a record: the colour value when it holds a brush or a
// colour, the fallback otherwise.
QBrush BrushFrom(const QVariant& value, const QBrush& fallback);
// The resource's pixmap, or a small drawn stand-in when it is not available.
QPixmap FilterIconPixmap(const QString& resource);
// A drag of the time range by `d` seconds from the range [savedLower,
// savedUpper] it had at the press, kept inside [lowerLimit, upperLimit].
void PanRange(CAxisScale& axis, double savedLower, double savedUpper, qint64 d, int lowerLimit, int upperLimit);
// The most days a day window may span, so that second counts stay in int.
constexpr qint64 kMaxWindowDays = 20000;

}  // namespace chart_support
