// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeSliderCore.h"

#include <QCoreApplication>
#include <QCursor>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

#include "storage/CommonHelpers.h"
#include "ChartLayer.h"
#include "storage/DateTimePair.h"
#include "SliderSupport.h"
#include "UpdateEvent.h"

using chart_support::PanRange;
using chart_support::Trunc64;

CTimeSliderCore::CTimeSliderCore(QWidget* owner, const Levels& levels)
    : m_owner(owner), m_levels(levels), m_level(levels.initial) {}

void CTimeSliderCore::setView(QWidget* widget, CAxisPanel* panel, std::function<void(const QString&)> setCursorText) {
    m_widget = widget;
    m_panel = panel;
    m_setCursorText = std::move(setCursorText);
    m_updateTimer = new QTimer(m_owner);
}

void CTimeSliderCore::setSeries(CAxisSeries* axis, CMouseTextSeries* mouseText) {
    m_axis = axis;
    m_mouseText = mouseText;
}

void CTimeSliderCore::postUpdate(int type) const {
    QCoreApplication::postEvent(m_widget, new APT_QMR::CUpdateEvent(static_cast<QEvent::Type>(type)));
}

void CTimeSliderCore::clearAllSeries() {
    for (int i = 0; i < m_panel->seriesCount(); ++i) {
        m_panel->seriesAt(i)->clear();
    }
}

void CTimeSliderCore::setCursorToTime(qint64 secs) const { m_setCursorText(chart_support::CursorText(secs)); }

// ------------------------------------------------------ window and records

void CTimeSliderCore::setRecordLimits(const QDateTime& start, const QDateTime& end) {
    m_recordLimitStart = start;
    m_recordLimitEnd = end;
}

void CTimeSliderCore::setDays(const QDate& first, const QDate& lastIn) {
    if (!first.isValid()) {
        return;
    }
    // A very long window is cut so that its second counts stay in range.
    QDate last = lastIn.isValid() && lastIn >= first ? lastIn : first;
    if (first.daysTo(last) > chart_support::kMaxWindowDays) {
        last = first.addDays(chart_support::kMaxWindowDays);
    }
    // Recorder time: days of the recorder's clock, each 86,400 seconds long.
    const QDateTime start = first.startOfDay(Qt::UTC);
    const QDateTime end = last.addDays(1).startOfDay(Qt::UTC);
    if (m_windowStart == start && m_windowEnd == end) {
        return;
    }
    m_baseTime = start;
    m_windowStart = start;
    m_windowEnd = end;
    // Half a day of slack on either side of the window.
    m_lowerLimit = -43200;
    m_upperLimit = static_cast<int>(m_baseTime.secsTo(m_windowEnd) + 43200);
    setCurrentTime(m_baseTime.addSecs(43200));
}

bool CTimeSliderCore::clipRecord(const CDateTimePair& rec, QDateTime& start, QDateTime& end,
                                 bool toRecordLimits) const {
    start = rec.startTime();
    end = rec.endTime();
    if (!start.isValid() || !end.isValid()) {
        return false;
    }
    // Every record that overlaps the window is shown, also one that runs
    // through the whole window.
    if (start > m_windowEnd || end < m_windowStart) {
        return false;
    }
    start = std::max(start, m_windowStart);
    end = std::min(end, m_windowEnd);
    if (!toRecordLimits) {
        return true;
    }
    if (m_recordLimitStart.isValid()) {
        start = std::max(start, m_recordLimitStart);
    }
    if (m_recordLimitEnd.isValid()) {
        end = std::min(end, m_recordLimitEnd);
    }
    // Nothing of it is left inside the searched span.
    return end >= start;
}

void CTimeSliderCore::setCurrentTime(time_t t) {
    if (m_moving) {
        return;
    }
    const qint64 ws = m_windowStart.toSecsSinceEpoch();
    const qint64 we = m_windowEnd.toSecsSinceEpoch();
    const qint64 clamped = std::clamp<qint64>(static_cast<qint64>(t), ws, we);
    setCursorToTime(clamped);
    const double c = static_cast<double>(clamped - m_baseTime.toSecsSinceEpoch());
    CAxisScale& x = m_panel->xAxis();
    const double s = x.upper() - x.lower();
    x.setRange(c - s / 2, c + s / 2);
    postUpdate();
}

void CTimeSliderCore::setCurrentTime(const QDateTime& t) {
    if (m_moving || !t.isValid()) {
        return;
    }
    setCurrentTime(static_cast<time_t>(t.toSecsSinceEpoch()));
}

// --------------------------------------------------------- zoom and steps

void CTimeSliderCore::applyLevel(int level) {
    m_level = level;
    setSpan(m_levels.spanOf(level));
    m_axis->setInterval(m_levels.tickOf(level));
    postUpdate();
}

void CTimeSliderCore::setSpan(double s) {
    CAxisScale& x = m_panel->xAxis();
    const double c = (x.lower() + x.upper()) / 2;
    if (c - s / 2 < m_lowerLimit) {
        x.setRange(m_lowerLimit, m_lowerLimit + s);
    } else if (c + s / 2 > m_upperLimit) {
        x.setRange(m_upperLimit - s, m_upperLimit);
    } else {
        x.setRange(c - s / 2, c + s / 2);
    }
}

void CTimeSliderCore::zoomIn() {
    if (m_level > kMinZoomIn) {
        applyLevel(m_level - 1);
    }
}

void CTimeSliderCore::zoomOut() {
    if (m_level < m_levels.maxZoomOut) {
        applyLevel(m_level + 1);
    }
}

void CTimeSliderCore::moveRight() {
    m_moving = true;
    CAxisScale& x = m_panel->xAxis();
    const double s = x.upper() - x.lower();
    const int tick = std::max(m_levels.tickOf(m_level), 0);
    const double upper = std::min<double>(x.upper() + tick, m_upperLimit);
    const double lower = upper - s;
    x.setRange(lower, upper);
    setCursorToTime(Trunc64((lower + upper) / 2 + m_baseTime.toSecsSinceEpoch()));
    postUpdate();
}

void CTimeSliderCore::moveLeft() {
    m_moving = true;
    CAxisScale& x = m_panel->xAxis();
    const double s = x.upper() - x.lower();
    const int tick = std::max(m_levels.tickOf(m_level), 0);
    const double lower = std::max<double>(x.lower() - tick, m_lowerLimit);
    const double upper = lower + s;
    x.setRange(lower, upper);
    setCursorToTime(Trunc64((lower + upper) / 2 + m_baseTime.toSecsSinceEpoch()));
    postUpdate();
}

// ------------------------------------------------------------------ mouse

QPoint CTimeSliderCore::mapFromOwner(const QPoint& pos) const { return m_widget->mapFrom(m_owner, pos); }

double CTimeSliderCore::secondsAtPixel(int x) const {
    const int w = m_panel->plotWidth();
    if (w <= 0) {
        return 0.0;
    }
    const CAxisScale& axis = m_panel->xAxis();
    return (axis.upper() - axis.lower()) * (x - m_panel->plotRect().left()) / w;
}

bool CTimeSliderCore::viewHasOpenHand() const {
    return m_widget->testAttribute(Qt::WA_SetCursor) && m_widget->cursor().shape() == Qt::OpenHandCursor;
}

void CTimeSliderCore::beginPan(const QPoint& pos) {
    if (!m_panel->plotRect().contains(pos)) {
        return;
    }
    m_moving = true;
    m_widget->setCursor(Qt::OpenHandCursor);
    m_savedLower = m_panel->xAxis().lower();
    m_savedUpper = m_panel->xAxis().upper();
    m_pressOffset = static_cast<int>(Trunc64(secondsAtPixel(pos.x())));
}

void CTimeSliderCore::mouseMove(const QPoint& pos) {
    m_lastMousePos = pos;
    if (!m_moving) {
        updateMouseText();
        return;
    }
    if (viewHasOpenHand()) {
        const qint64 d = Trunc64(secondsAtPixel(pos.x()) - m_pressOffset);
        CAxisScale& x = m_panel->xAxis();
        PanRange(x, m_savedLower, m_savedUpper, d, m_lowerLimit, m_upperLimit);
        setCursorToTime(Trunc64((x.lower() + x.upper()) / 2 + m_baseTime.toSecsSinceEpoch()));
    }
    postUpdate();
}

void CTimeSliderCore::wheel(QWheelEvent* event) {
    if (event->angleDelta().y() >= 1) {
        zoomIn();
    } else {
        zoomOut();
    }
    event->accept();
}

void CTimeSliderCore::updateMouseText() {
    if (m_panel->plotRect().contains(m_lastMousePos)) {
        const double value = secondsAtPixel(m_lastMousePos.x()) + m_panel->xAxis().lower();
        m_mouseText->setValue(value);
        m_mouseText->setText(chart_support::ClockOfDay(Trunc64(value)));
    } else {
        m_mouseText->clear();
    }
    postUpdate(APT_QMR::CUpdateEvent::MouseTimeRefresh);
}

void CTimeSliderCore::enter(const std::function<void()>& announce) {
    if (m_leaveTimer.isActive()) {
        m_leaveTimer.stop();
    } else {
        announce();
    }
    m_inside = true;
    m_updateTimer->start(5000);
}

void CTimeSliderCore::leave() {
    m_mouseText->clear();
    m_updateTimer->stop();
    m_leaveTimer.start(500, m_owner);
    if (viewHasOpenHand()) {
        m_widget->unsetCursor();
    }
    postUpdate();
    m_inside = false;
}

bool CTimeSliderCore::takeLeaveTimer(QTimerEvent* event) {
    if (event->timerId() != m_leaveTimer.timerId()) {
        return false;
    }
    m_leaveTimer.stop();
    return true;
}
