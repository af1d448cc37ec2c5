// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame both time sliders are built on: it owns the slider's core and
// offers the calls and slots that only pass on to it (playback time, zoom
// level, steps and the window's limits). Rows, records, clicks and signals
// stay with each slider.
#include <QDateTime>
#include <QFrame>
#include <ctime>

#include "TimeSliderCore.h"

class CTimeSliderBase : public QFrame {
    Q_OBJECT
public:
    void setCurrentTime(time_t t);
    void setCurrentTime(const QDateTime& t);
    void setMoving(bool moving) { m_core.setMoving(moving); }
    bool isMoving() const { return m_core.isMoving(); }

    // Zoom level (tick and visible span from the slider's level table).
    void applyLevel(int level);
    void setSpan(double span);
    int level() const { return m_core.level(); }

    int lowerLimit() const { return m_core.lowerLimit(); }
    int upperLimit() const { return m_core.upperLimit(); }
    QDateTime baseTime() const { return m_core.baseTime(); }
    QDateTime windowStart() const { return m_core.windowStart(); }
    QDateTime windowEnd() const { return m_core.windowEnd(); }

public slots:
    void OnSlotZoomIn();
    void OnSlotZoomOut();
    void MoveRight();
    void MoveLeft();
    void OnSlotReleaseMove();

protected:
    CTimeSliderBase(QWidget* parent, const CTimeSliderCore::Levels& levels);

    CTimeSliderCore m_core;
};
