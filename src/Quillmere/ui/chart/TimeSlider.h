#pragma once
// The single-row variant of the recording time axis: one groove with the
// recorded spans of one channel, ticks and a cursor. A drag reports the
// time at the cursor, a click on the groove the time clicked.
#include <QBasicTimer>
#include <QBrush>
#include <QDate>
#include <QDateTime>
#include <QFrame>
#include <QList>
#include <QPoint>
#include <ctime>

#include "DateTimePair.h"

class QTimer;
class CChartView;
class CGrooveSeries;
class CTimeRectSeries;
class CAxisSeries;
class CMouseTextSeries;

class CTimeSlider : public QFrame {
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

    void setCurrentTime(time_t t);
    void setCurrentTime(const QDateTime& t);
    void setMoving(bool moving) { m_moving = moving; }
    bool isMoving() const { return m_moving; }

    void applyLevel(int level);
    void setSpan(double span);
    int level() const { return m_level; }
    static double spanOfLevel(int level);

    CChartView* view() const { return m_view; }
    CTimeRectSeries* recordSeries() const { return m_rects; }
    CAxisSeries* axisSeries() const { return m_axis; }
    CMouseTextSeries* mouseTextSeries() const { return m_mouseText; }
    int lowerLimit() const { return m_lowerLimit; }
    int upperLimit() const { return m_upperLimit; }
    QDateTime baseTime() const { return m_baseTime; }
    QDateTime windowStart() const { return m_windowStart; }
    QDateTime windowEnd() const { return m_windowEnd; }

signals:
    void MouseEnter();
    void MouseLeave();
    void MouseClick(time_t tmClick);
    void MouseClick(time_t tmBegin, time_t tmEnd);

public slots:
    void OnSlotZoomIn();
    void OnSlotZoomOut();
    void MoveRight();
    void MoveLeft();
    void OnSlotReleaseMove();
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
    void postUpdate(int type = 1000);
    void setCursorToTime(qint64 secs);
    double secondsAtPixel(int x) const;
    bool viewHasOpenHand() const;
    void onEnter();
    void onLeave();

    CChartView* m_view = nullptr;
    int m_level = 7;
    int m_pressOffset = 0;
    QPoint m_lastMousePos;
    double m_savedLower = 0;
    double m_savedUpper = 0;
    bool m_moving = false;
    bool m_inside = false;
    QDateTime m_baseTime;
    int m_lowerLimit = -43200;
    int m_upperLimit = 129600;
    QDateTime m_windowStart;
    QDateTime m_windowEnd;
    QDateTime m_recordLimitStart;
    QDateTime m_recordLimitEnd;
    QPoint m_pressPos;
    QTimer* m_updateTimer = nullptr;
    QBasicTimer m_leaveTimer;

    CGrooveSeries* m_groove = nullptr;
    CTimeRectSeries* m_rects = nullptr;
    CAxisSeries* m_axis = nullptr;
    CMouseTextSeries* m_mouseText = nullptr;
};
