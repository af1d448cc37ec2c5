#include "TimeSlider.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QMouseEvent>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>

#include "ChartLayer.h"
#include "ChartView.h"
#include "MultiTimeSlider.h"
#include "SliderSupport.h"
#include "UpdateEvent.h"

using chart_support::PanRange;
using chart_support::Trunc64;

namespace {
const QColor kDefaultBand(131, 131, 131);
constexpr int kBandTop = 29;
constexpr int kBandBottom = 36;
constexpr int kMaxZoomOutLevel = 13;
}  // namespace

double CTimeSlider::spanOfLevel(int level) {
    switch (level) {
    case 10: return 12 * 3600;
    case 11: return 6 * 3600;
    case 12: return 2 * 3600;
    case 13: return 3600;
    case 14:
    case 15:
    case 16: return 0;
    default: return 24 * 3600;
    }
}

CTimeSlider::CTimeSlider(QWidget* parent) : QFrame(parent) {
    qRegisterMetaType<time_t>("time_t");
    setMouseTracking(true);
    m_view = new CChartView(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_view, 0, 0);
    m_view->installEventFilter(this);

    m_updateTimer = new QTimer(this);
    connect(m_view, &CChartView::SignalMoveLeft, this, &CTimeSlider::MoveLeft);
    connect(m_view, &CChartView::SignalMoveRight, this, &CTimeSlider::MoveRight);
    connect(m_view, &CChartView::SignalDelayRelease, this, &CTimeSlider::OnSlotReleaseMove);
    connect(m_view, &CChartView::SignalZoomOut, this, &CTimeSlider::OnSlotZoomOut);
    connect(m_view, &CChartView::SignalZoomIn, this, &CTimeSlider::OnSlotZoomIn);
    connect(m_updateTimer, &QTimer::timeout, this, &CTimeSlider::OnUpdateTimeSlider);

    m_view->xAxis().setRange(0, 28800);
    m_view->yAxis().setReversed(false);
    m_view->yAxis().setRange(0, 160);

    m_groove = new CGrooveSeries();
    m_groove->addPoint(0, 26);
    m_view->addSeries(m_groove);
    m_rects = new CTimeRectSeries();
    m_view->addSeries(m_rects);
    m_axis = new CAxisSeries();
    m_axis->lineColor = QColor(150, 150, 150);
    m_view->addSeries(m_axis);
    m_mouseText = new CMouseTextSeries();
    m_mouseText->setColor(Qt::white);
    m_view->addSeries(m_mouseText);

    const QDate today = QDate::currentDate();
    setDays(today, today);
    applyLevel(m_level);
}

CTimeSlider::~CTimeSlider() {
    m_view->removeEventFilter(this);
    for (int i = 0; i < m_view->seriesCount(); ++i) {
        m_view->seriesAt(i)->clear();
    }
}

void CTimeSlider::postUpdate(int type) {
    QCoreApplication::postEvent(m_view, new APT_QMR::CUpdateEvent(static_cast<QEvent::Type>(type)));
}

void CTimeSlider::setCursorToTime(qint64 secs) { m_view->setCursorText(chart_support::CursorText(secs)); }

void CTimeSlider::setRecordLimits(const QDateTime& start, const QDateTime& end) {
    m_recordLimitStart = start;
    m_recordLimitEnd = end;
}

void CTimeSlider::setDays(const QDate& first, const QDate& lastIn) {
    if (!first.isValid()) {
        return;
    }
    QDate last = lastIn.isValid() && lastIn >= first ? lastIn : first;
    if (first.daysTo(last) > chart_support::kMaxWindowDays) {
        last = first.addDays(chart_support::kMaxWindowDays);
    }
    const QDateTime start = first.startOfDay();
    const QDateTime end = last.addDays(1).startOfDay();
    if (m_windowStart == start && m_windowEnd == end) {
        return;
    }
    m_baseTime = start;
    m_windowStart = start;
    m_windowEnd = end;
    m_lowerLimit = -43200;
    m_upperLimit = static_cast<int>(m_baseTime.secsTo(m_windowEnd) + 43200);
    setCurrentTime(m_baseTime.addSecs(43200));
}

void CTimeSlider::setRecords(const QList<CDateTimePair>& records) {
    m_rects->clear();
    for (const CDateTimePair& rec : records) {
        QDateTime start = rec.startTime();
        QDateTime end = rec.endTime();
        if (!start.isValid() || !end.isValid() || start > m_windowEnd || end < m_windowStart) {
            continue;
        }
        const int type = rec.data(CDateTimePair::RecordTypeRole).toInt();
        const QBrush brush = chart_support::BrushFrom(rec.data(CDateTimePair::ColorRole), QBrush(kDefaultBand));
        start = std::max(start, m_windowStart);
        end = std::min(end, m_windowEnd);
        if (m_recordLimitStart.isValid()) {
            start = std::max(start, m_recordLimitStart);
        }
        if (m_recordLimitEnd.isValid()) {
            end = std::min(end, m_recordLimitEnd);
        }
        if (end < start) {
            continue;
        }
        const qint64 x1 = m_windowStart.secsTo(start);
        const qint64 x2 = x1 + start.secsTo(end);
        m_rects->addRect(QPoint(static_cast<int>(x1), kBandTop), QPoint(static_cast<int>(x2), kBandBottom), brush,
                         type);
    }
    postUpdate();
}

void CTimeSlider::clearRecords() {
    m_rects->clear();
    postUpdate();
}

void CTimeSlider::reset() {
    clearRecords();
    const QDate today = QDate::currentDate();
    setDays(today, today);
    applyLevel(9);
    postUpdate();
}

void CTimeSlider::setCurrentTime(time_t t) {
    if (m_moving) {
        return;
    }
    const qint64 ws = m_windowStart.toSecsSinceEpoch();
    const qint64 we = m_windowEnd.toSecsSinceEpoch();
    const qint64 clamped = std::clamp<qint64>(static_cast<qint64>(t), ws, we);
    setCursorToTime(clamped);
    const double c = static_cast<double>(clamped - m_baseTime.toSecsSinceEpoch());
    CAxisScale& x = m_view->xAxis();
    const double s = x.upper() - x.lower();
    x.setRange(c - s / 2, c + s / 2);
    postUpdate();
}

void CTimeSlider::setCurrentTime(const QDateTime& t) {
    if (m_moving || !t.isValid()) {
        return;
    }
    setCurrentTime(static_cast<time_t>(t.toSecsSinceEpoch()));
}

void CTimeSlider::applyLevel(int level) {
    m_level = level;
    setSpan(spanOfLevel(level));
    m_axis->setInterval(CMultiTimeSlider::tickOfLevel(level));
    postUpdate();
}

void CTimeSlider::setSpan(double s) {
    CAxisScale& x = m_view->xAxis();
    const double c = (x.lower() + x.upper()) / 2;
    if (c - s / 2 < m_lowerLimit) {
        x.setRange(m_lowerLimit, m_lowerLimit + s);
    } else if (c + s / 2 > m_upperLimit) {
        x.setRange(m_upperLimit - s, m_upperLimit);
    } else {
        x.setRange(c - s / 2, c + s / 2);
    }
}

void CTimeSlider::OnSlotZoomIn() {
    if (m_level > 9) {
        applyLevel(m_level - 1);
    }
}

void CTimeSlider::OnSlotZoomOut() {
    if (m_level < kMaxZoomOutLevel) {
        applyLevel(m_level + 1);
    }
}

void CTimeSlider::MoveRight() {
    m_moving = true;
    CAxisScale& x = m_view->xAxis();
    const double s = x.upper() - x.lower();
    const int tick = std::max(CMultiTimeSlider::tickOfLevel(m_level), 0);
    const double upper = std::min<double>(x.upper() + tick, m_upperLimit);
    const double lower = upper - s;
    x.setRange(lower, upper);
    setCursorToTime(Trunc64((lower + upper) / 2 + m_baseTime.toSecsSinceEpoch()));
    postUpdate();
}

void CTimeSlider::MoveLeft() {
    m_moving = true;
    CAxisScale& x = m_view->xAxis();
    const double s = x.upper() - x.lower();
    const int tick = std::max(CMultiTimeSlider::tickOfLevel(m_level), 0);
    const double lower = std::max<double>(x.lower() - tick, m_lowerLimit);
    const double upper = lower + s;
    x.setRange(lower, upper);
    setCursorToTime(Trunc64((lower + upper) / 2 + m_baseTime.toSecsSinceEpoch()));
    postUpdate();
}

void CTimeSlider::OnSlotReleaseMove() { m_moving = false; }

void CTimeSlider::ShowMaxsize() {
    m_view->showMaxLayout();
    m_axis->setStyleFlag(false);
    applyLevel(std::max(m_level, 9));
}

void CTimeSlider::ShowNormalSize() {
    m_view->showNormalLayout();
    m_axis->setStyleFlag(true);
    setSpan(86400);
    m_axis->setInterval(43200);
    postUpdate();
}

double CTimeSlider::secondsAtPixel(int x) const {
    const int w = m_view->plotWidth();
    if (w <= 0) {
        return 0.0;
    }
    const CAxisScale& axis = m_view->xAxis();
    return (axis.upper() - axis.lower()) * (x - m_view->plotRect().left()) / w;
}

bool CTimeSlider::viewHasOpenHand() const {
    return m_view->testAttribute(Qt::WA_SetCursor) && m_view->cursor().shape() == Qt::OpenHandCursor;
}

void CTimeSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = m_view->mapFrom(this, event->pos());
    m_pressPos = pos;
    if (m_view->plotRect().contains(pos)) {
        m_moving = true;
        m_view->setCursor(Qt::OpenHandCursor);
        m_savedLower = m_view->xAxis().lower();
        m_savedUpper = m_view->xAxis().upper();
        m_pressOffset = static_cast<int>(Trunc64(secondsAtPixel(pos.x())));
    }
}

void CTimeSlider::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = m_view->mapFrom(this, event->pos());
    m_lastMousePos = pos;
    if (!m_moving) {
        OnUpdateTimeSlider();
        return;
    }
    if (viewHasOpenHand()) {
        const qint64 d = Trunc64(secondsAtPixel(pos.x()) - m_pressOffset);
        CAxisScale& x = m_view->xAxis();
        PanRange(x, m_savedLower, m_savedUpper, d, m_lowerLimit, m_upperLimit);
        setCursorToTime(Trunc64((x.lower() + x.upper()) / 2 + m_baseTime.toSecsSinceEpoch()));
    }
    postUpdate();
}

void CTimeSlider::mouseReleaseEvent(QMouseEvent* event) {
    m_moving = false;
    m_pressPos = QPoint(0, 0);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = m_view->mapFrom(this, event->pos());
    m_view->unsetCursor();
    m_mouseText->clear();
    postUpdate();
    const CAxisScale& x = m_view->xAxis();
    const qint64 base = m_baseTime.toSecsSinceEpoch();
    if (x.lower() != m_savedLower) {
        emit MouseClick(static_cast<time_t>(base + Trunc64((x.lower() + x.upper()) / 2)));
        return;
    }
    if (pos.y() > 26 && pos.y() < 36) {
        const time_t t = static_cast<time_t>(Trunc64(secondsAtPixel(pos.x()) + x.lower()) + base);
        const int w = m_view->plotWidth();
        const qint64 step = w > 0 ? Trunc64((x.upper() - x.lower()) / w) : 0;
        emit MouseClick(t);
        emit MouseClick(t, static_cast<time_t>(t + step));
    }
}

void CTimeSlider::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() >= 1) {
        OnSlotZoomIn();
    } else {
        OnSlotZoomOut();
    }
    event->accept();
}

void CTimeSlider::OnUpdateTimeSlider() {
    if (m_view->plotRect().contains(m_lastMousePos)) {
        const double value = secondsAtPixel(m_lastMousePos.x()) + m_view->xAxis().lower();
        m_mouseText->setValue(value);
        m_mouseText->setText(chart_support::ClockOfDay(Trunc64(value)));
    } else {
        m_mouseText->clear();
    }
    postUpdate(APT_QMR::CUpdateEvent::MouseTimeRefresh);
}

bool CTimeSlider::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view) {
        if (event->type() == QEvent::Enter) {
            onEnter();
        } else if (event->type() == QEvent::Leave) {
            onLeave();
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CTimeSlider::onEnter() {
    if (m_leaveTimer.isActive()) {
        m_leaveTimer.stop();
    } else {
        emit MouseEnter();
    }
    m_inside = true;
    m_updateTimer->start(5000);
}

void CTimeSlider::onLeave() {
    m_mouseText->clear();
    m_updateTimer->stop();
    m_leaveTimer.start(500, this);
    if (viewHasOpenHand()) {
        m_view->unsetCursor();
    }
    postUpdate();
    m_inside = false;
}

void CTimeSlider::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_leaveTimer.timerId()) {
        m_leaveTimer.stop();
        emit MouseLeave();
        return;
    }
    QFrame::timerEvent(event);
}
