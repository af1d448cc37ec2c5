// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the two time sliders have in common: the day window and its panning
// limits, the zoom level, the drag that pans the time axis, the mouse time
// text and the enter and leave timers. A slider owns one core and calls into
// it; the signals stay with the slider, and where the sliders differ (level
// tables, rows, clicks, filter pop-ups) the slider passes its choice in or
// keeps that part to itself.
//
// The x axis counts seconds from the base time, midnight of the first day.
#include <QBasicTimer>
#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QtGlobal>

#include <ctime>
#include <functional>

class QTimer;
class QTimerEvent;
class QWheelEvent;
class QWidget;
class CAxisPanel;
class CAxisSeries;
class CDateTimePair;
class CMouseTextSeries;

class CTimeSliderCore {
public:
    // The zoom levels of one slider: the visible span and the tick of a
    // level, the level it starts at and the highest level zooming out reaches.
    struct Levels {
        double (*spanOf)(int level);
        int (*tickOf)(int level);
        int initial;
        int maxZoomOut;
    };
    // The lowest level zooming in reaches.
    static constexpr int kMinZoomIn = 9;

    CTimeSliderCore(QWidget* owner, const Levels& levels);
    CTimeSliderCore(const CTimeSliderCore&) = delete;
    CTimeSliderCore& operator=(const CTimeSliderCore&) = delete;

    // The drawing surface: the view widget, the same object as a chart panel,
    // and how its cursor text is set. Also creates the update timer.
    void setView(QWidget* widget, CAxisPanel* panel, std::function<void(const QString&)> setCursorText);
    // The axis whose tick follows the level and the series of the mouse time.
    void setSeries(CAxisSeries* axis, CMouseTextSeries* mouseText);

    // Asks the view for a repaint with an update event of `type`.
    void postUpdate(int type = 1000) const;
    // Empties every series of the view.
    void clearAllSeries();
    // Shows "yyyy-MM-dd hh:mm:ss" of `secs` as the cursor text.
    void setCursorToTime(qint64 secs) const;

    // ------------------------------------------------ window and records
    void setRecordLimits(const QDateTime& start, const QDateTime& end);
    // Shows the days [first, last]; a last day before the first shows the
    // first day alone, a very long window is cut.
    void setDays(const QDate& first, const QDate& last);
    // The part [start, end] of a record inside the window (and, with
    // `toRecordLimits`, inside the record limits); false when nothing is left.
    bool clipRecord(const CDateTimePair& rec, QDateTime& start, QDateTime& end, bool toRecordLimits) const;
    void setCurrentTime(time_t t);
    void setCurrentTime(const QDateTime& t);

    // ------------------------------------------------------ zoom and steps
    void applyLevel(int level);
    void setSpan(double span);
    void zoomIn();
    void zoomOut();
    void moveRight();
    void moveLeft();
    void releaseMove() { m_moving = false; }

    // --------------------------------------------------------------- mouse
    // The view position of a position in the owner.
    QPoint mapFromOwner(const QPoint& pos) const;
    // Seconds from the plot's left edge to pixel x at the current range.
    double secondsAtPixel(int x) const;
    bool viewHasOpenHand() const;
    void setPressPos(const QPoint& pos) { m_pressPos = pos; }
    // Starts a drag when `pos` is on the plot.
    void beginPan(const QPoint& pos);
    // Pans along while dragging, otherwise refreshes the mouse time.
    void mouseMove(const QPoint& pos);
    void wheel(QWheelEvent* event);
    void updateMouseText();
    // The mouse entered the view; `announce` runs (to emit MouseEnter)
    // unless a leave was still pending.
    void enter(const std::function<void()>& announce);
    void leave();
    // True when `event` is the leave timer, now stopped: MouseLeave is due.
    bool takeLeaveTimer(QTimerEvent* event);

    // --------------------------------------------------------------- state
    int level() const { return m_level; }
    bool isMoving() const { return m_moving; }
    void setMoving(bool moving) { m_moving = moving; }
    bool isInside() const { return m_inside; }
    int lowerLimit() const { return m_lowerLimit; }
    int upperLimit() const { return m_upperLimit; }
    QDateTime baseTime() const { return m_baseTime; }
    QDateTime windowStart() const { return m_windowStart; }
    QDateTime windowEnd() const { return m_windowEnd; }
    QDateTime recordLimitStart() const { return m_recordLimitStart; }
    QDateTime recordLimitEnd() const { return m_recordLimitEnd; }
    QPoint pressPos() const { return m_pressPos; }
    double savedLower() const { return m_savedLower; }
    QTimer* updateTimer() const { return m_updateTimer; }
    bool leaveTimerActive() const { return m_leaveTimer.isActive(); }

private:
    QWidget* m_owner = nullptr;
    Levels m_levels;
    QWidget* m_widget = nullptr;
    CAxisPanel* m_panel = nullptr;
    std::function<void(const QString&)> m_setCursorText;
    CAxisSeries* m_axis = nullptr;
    CMouseTextSeries* m_mouseText = nullptr;

    int m_level;
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
};
