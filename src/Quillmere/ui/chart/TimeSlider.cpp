// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeSlider.h"

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

using chart_support::Trunc64;

namespace {
const QColor kDefaultBand(131, 131, 131);
constexpr int kBandTop = 29;
constexpr int kBandBottom = 36;
constexpr int kInitialLevel = 7;
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

CTimeSlider::CTimeSlider(QWidget* parent)
    : CTimeSliderBase(parent,
                      {&CTimeSlider::spanOfLevel, &CMultiTimeSlider::tickOfLevel, kInitialLevel, kMaxZoomOutLevel}) {
    qRegisterMetaType<time_t>("time_t");
    setMouseTracking(true);
    m_view = new CChartView(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_view, 0, 0);
    m_view->installEventFilter(this);

    CChartView* view = m_view;
    m_core.setView(m_view, m_view, [view](const QString& text) { view->setCursorText(text); });
    connect(m_view, &CChartView::SignalMoveLeft, this, &CTimeSlider::MoveLeft);
    connect(m_view, &CChartView::SignalMoveRight, this, &CTimeSlider::MoveRight);
    connect(m_view, &CChartView::SignalDelayRelease, this, &CTimeSlider::OnSlotReleaseMove);
    connect(m_view, &CChartView::SignalZoomOut, this, &CTimeSlider::OnSlotZoomOut);
    connect(m_view, &CChartView::SignalZoomIn, this, &CTimeSlider::OnSlotZoomIn);
    connect(m_core.updateTimer(), &QTimer::timeout, this, &CTimeSlider::OnUpdateTimeSlider);

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
    m_core.setSeries(m_axis, m_mouseText);

    const QDate today = QDate::currentDate();
    setDays(today, today);
    applyLevel(m_core.level());
}

CTimeSlider::~CTimeSlider() {
    m_view->removeEventFilter(this);
    m_core.clearAllSeries();
}

void CTimeSlider::setRecordLimits(const QDateTime& start, const QDateTime& end) { m_core.setRecordLimits(start, end); }

void CTimeSlider::setDays(const QDate& first, const QDate& last) { m_core.setDays(first, last); }

void CTimeSlider::setRecords(const QList<CDateTimePair>& records) {
    m_rects->clear();
    const QDateTime windowStart = m_core.windowStart();
    for (const CDateTimePair& rec : records) {
        QDateTime start;
        QDateTime end;
        if (!m_core.clipRecord(rec, start, end, true)) {
            continue;
        }
        const int type = rec.data(CDateTimePair::RecordTypeRole).toInt();
        const QBrush brush = chart_support::BrushFrom(rec.data(CDateTimePair::ColorRole), QBrush(kDefaultBand));
        const qint64 x1 = windowStart.secsTo(start);
        const qint64 x2 = x1 + start.secsTo(end);
        m_rects->addRect(QPoint(static_cast<int>(x1), kBandTop), QPoint(static_cast<int>(x2), kBandBottom), brush,
                         type);
    }
    m_core.postUpdate();
}

void CTimeSlider::clearRecords() {
    m_rects->clear();
    m_core.postUpdate();
}

void CTimeSlider::reset() {
    clearRecords();
    const QDate today = QDate::currentDate();
    setDays(today, today);
    applyLevel(9);
    m_core.postUpdate();
}

void CTimeSlider::ShowMaxsize() {
    m_view->showMaxLayout();
    m_axis->setStyleFlag(false);
    applyLevel(std::max(m_core.level(), 9));
}

void CTimeSlider::ShowNormalSize() {
    m_view->showNormalLayout();
    m_axis->setStyleFlag(true);
    setSpan(86400);
    m_axis->setInterval(43200);
    m_core.postUpdate();
}

void CTimeSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = m_core.mapFromOwner(event->pos());
    m_core.setPressPos(pos);
    m_core.beginPan(pos);
}

void CTimeSlider::mouseMoveEvent(QMouseEvent* event) { m_core.mouseMove(m_core.mapFromOwner(event->pos())); }

void CTimeSlider::mouseReleaseEvent(QMouseEvent* event) {
    m_core.setMoving(false);
    m_core.setPressPos(QPoint(0, 0));
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = m_core.mapFromOwner(event->pos());
    m_view->unsetCursor();
    m_mouseText->clear();
    m_core.postUpdate();
    const CAxisScale& x = m_view->xAxis();
    const qint64 base = m_core.baseTime().toSecsSinceEpoch();
    if (x.lower() != m_core.savedLower()) {
        emit MouseClick(static_cast<time_t>(base + Trunc64((x.lower() + x.upper()) / 2)));
        return;
    }
    if (pos.y() > 26 && pos.y() < 36) {
        const time_t t = static_cast<time_t>(Trunc64(m_core.secondsAtPixel(pos.x()) + x.lower()) + base);
        const int w = m_view->plotWidth();
        const qint64 step = w > 0 ? Trunc64((x.upper() - x.lower()) / w) : 0;
        emit MouseClick(t);
        emit MouseClick(t, static_cast<time_t>(t + step));
    }
}

void CTimeSlider::wheelEvent(QWheelEvent* event) { m_core.wheel(event); }

void CTimeSlider::OnUpdateTimeSlider() { m_core.updateMouseText(); }

bool CTimeSlider::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view) {
        if (event->type() == QEvent::Enter) {
            m_core.enter([this] { emit MouseEnter(); });
        } else if (event->type() == QEvent::Leave) {
            m_core.leave();
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CTimeSlider::timerEvent(QTimerEvent* event) {
    if (m_core.takeLeaveTimer(event)) {
        emit MouseLeave();
        return;
    }
    QFrame::timerEvent(event);
}
