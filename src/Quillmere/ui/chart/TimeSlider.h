// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The single-row variant of the recording time axis: one groove with the
// recorded spans of one channel, ticks and a cursor. A drag reports the
// time at the cursor, a click on the groove the time clicked.
#include <QBrush>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPoint>
#include <ctime>

#include "storage/DateTimePair.h"
#include "TimeSliderBase.h"

class QTimer;
class CChartView;
class CGrooveSeries;
class CTimeRectSeries;
class CAxisSeries;
class CMouseTextSeries;

class CTimeSlider : public CTimeSliderBase {
    Q_OBJECT
public:
    explicit CTimeSlider(QWidget* parent = nullptr);
    ~CTimeSlider() override;

    virtual void reset();
    virtual void updateState() {}

    void setRecordLimits(const QDateTime& start, const QDateTime& end);
    void setDays(const QDate& first, const QDate& last);
    void setDay(const QDate& day) { setDays(day, day); }
    void setRecords(const QList<CDateTimePair>& records);
    void clearRecords();

    static double spanOfLevel(int level);

    CChartView* view() const { return m_view; }
    CTimeRectSeries* recordSeries() const { return m_rects; }
    CAxisSeries* axisSeries() const { return m_axis; }
    CMouseTextSeries* mouseTextSeries() const { return m_mouseText; }

signals:
    void MouseEnter();
    void MouseLeave();
    void MouseClick(time_t tmClick);
    void MouseClick(time_t tmBegin, time_t tmEnd);

public slots:
    void ShowMaxsize();
    void ShowNormalSize();
    void OnUpdateTimeSlider();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CChartView* m_view = nullptr;

    CGrooveSeries* m_groove = nullptr;
    CTimeRectSeries* m_rects = nullptr;
    CAxisSeries* m_axis = nullptr;
    CMouseTextSeries* m_mouseText = nullptr;
};
