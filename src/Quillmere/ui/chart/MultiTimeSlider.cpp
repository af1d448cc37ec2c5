#include "MultiTimeSlider.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDebug>
#include <QGridLayout>
#include <QMouseEvent>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>

#include <algorithm>

#include "ChartLayer.h"
#include "MultiChartView.h"
#include "SliderSupport.h"
#include "TimeSliderFilterPopup.h"
#include "UpdateEvent.h"

using chart_support::PanRange;
using chart_support::Trunc64;

namespace {

const QColor kDefaultBand(113, 160, 250);

}  // namespace

int CMultiTimeSlider::tickOfLevel(int level) {
    switch (level) {
    case 7: return 43200;
    case 8: return 21600;
    case 9: return 7200;
    case 10: return 3600;
    case 11: return 1800;
    case 12: return 600;
    case 13: return 300;
    case 14: return 60;
    case 15: return 30;
    case 16: return 10;
    default: return -1;
    }
}

double CMultiTimeSlider::spanOfLevel(int level) {
    switch (level) {
    case 10: return 43200;
    case 11: return 21600;
    case 12: return 7200;
    case 13: return 3600;
    case 14: return 720;
    case 15: return 360;
    case 16: return 120;
    default: return 86400;
    }
}

CMultiTimeSlider::CMultiTimeSlider(QWidget* parent) : QFrame(parent) {
    // The host relays the time signals, possibly queued.
    qRegisterMetaType<time_t>("time_t");
    setMouseTracking(true);
    m_view = new CMultiChartView(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_view, 0, 0);

    m_updateTimer = new QTimer(this);
    connect(m_view, &CMultiChartView::SignalMoveLeft, this, &CMultiTimeSlider::MoveLeft);
    connect(m_view, &CMultiChartView::SignalMoveRight, this, &CMultiTimeSlider::MoveRight);
    connect(m_view, &CMultiChartView::SignalDelayRelease, this, &CMultiTimeSlider::OnSlotReleaseMove);
    connect(m_view, &CMultiChartView::SignalZoomOut, this, &CMultiTimeSlider::OnSlotZoomOut);
    connect(m_view, &CMultiChartView::SignalZoomIn, this, &CMultiTimeSlider::OnSlotZoomIn);
    connect(m_updateTimer, &QTimer::timeout, this, &CMultiTimeSlider::OnUpdateTimeSlider);

    m_view->xAxis().setRange(0, 28800);
    m_view->yAxis().setReversed(false);
    m_view->yAxis().setRange(0, 160);

    for (int row = 0; row < MaxRows; ++row) {
        auto* s = new CTimeRectSeries();
        s->setYMapping(true);
        m_view->addSeries(s);
        m_rowSeries.append(s);
    }
    m_background = new CBackGroundSeries();
    m_background->addPoint(0, 32);
    for (int y = 58; y <= 448; y += RowStep) {
        m_background->addPoint(0, y);
    }
    m_view->addSeries(m_background);

    m_line = new CLineSeries();
    for (int y = 28; y < 1564; y += 24) {
        m_line->addPoint(-42301, y);
    }
    m_view->addSeries(m_line);

    m_axis = new CAxisSeries();
    m_axis->lineColor = QColor("#cfcfcf");
    m_axis->tickBottom = 44;
    m_axis->labelTop = 10;
    m_view->addSeries(m_axis);

    m_mouseText = new CMouseTextSeries();
    m_mouseText->setColor(Qt::red);
    m_view->addSeries(m_mouseText);

    // One filter icon per row, level with the row's band.
    m_images = new CImageSeries();
    const QPixmap icon = chart_support::FilterIconPixmap(":images/public/Timeslider/Menu.png");
    for (int row = 0; row < MaxRows; ++row) {
        m_images->addImage(80, 35 + row * RowStep, icon);
    }
    m_view->addSeries(m_images);

    const QDate today = QDate::currentDate();
    setDays(today, today);
    applyLevel(9);
}

CMultiTimeSlider::~CMultiTimeSlider() {
    for (int i = 0; i < m_view->seriesCount(); ++i) {
        m_view->seriesAt(i)->clear();
    }
}

void CMultiTimeSlider::postUpdate(int type) {
    QCoreApplication::postEvent(m_view, new APT_QMR::CUpdateEvent(static_cast<QEvent::Type>(type)));
}

CTimeSliderFilterPopup* CMultiTimeSlider::popup(int row) const {
    return row >= 0 && row < m_popups.size() ? m_popups.at(row) : nullptr;
}

CTimeRectSeries* CMultiTimeSlider::findRow(unsigned row) const {
    return row < static_cast<unsigned>(m_rowSeries.size()) ? m_rowSeries.at(static_cast<int>(row)) : nullptr;
}

// ------------------------------------------------------------------- rows

void CMultiTimeSlider::setRowCount(int n) {
    m_view->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        auto* p = new CTimeSliderFilterPopup(this);
        connect(p, &CTimeSliderFilterPopup::SignalFilter, this, &CMultiTimeSlider::OnTriggered);
        m_popups.append(p);
    }
}

void CMultiTimeSlider::setRowCaptions(const QStringList& captions) {
    m_background->setCaptions(captions);
    postUpdate();
}

void CMultiTimeSlider::setRowNames(const QStringList& names) {
    m_view->setRowNames(names);
    setRowCaptions(names);
}

void CMultiTimeSlider::addFilterType(int row, const QIcon& icon, const QString& text, int type) {
    if (CTimeSliderFilterPopup* p = popup(row)) {
        p->addType(icon, text, type);
    }
}

void CMultiTimeSlider::clearRowFilter(int row) {
    if (CTimeSliderFilterPopup* p = popup(row)) {
        p->clearTypes();
    }
}

void CMultiTimeSlider::clearAllFilters() {
    const int n = std::min(m_rowSeries.size(), m_popups.size());
    for (int row = 0; row < n; ++row) {
        m_popups.at(row)->clearTypes();
    }
}

void CMultiTimeSlider::OnTriggered(QList<int> types) {
    auto* p = qobject_cast<CTimeSliderFilterPopup*>(sender());
    if (!p) {
        return;
    }
    const int row = m_popups.indexOf(p);
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    m_rowSeries.at(row)->setFilter(types);
    postUpdate();
}

// ------------------------------------------------------ window and records

void CMultiTimeSlider::setRecordLimits(const QDateTime& start, const QDateTime& end) {
    m_recordLimitStart = start;
    m_recordLimitEnd = end;
}

void CMultiTimeSlider::setDays(const QDate& first, const QDate& lastIn) {
    if (!first.isValid()) {
        return;
    }
    // A last day before the first shows the first day alone; a very long
    // window is cut so that its second counts stay in range.
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
    m_lowerLimit = static_cast<int>(-43200 - m_windowStart.secsTo(m_baseTime));
    m_upperLimit = static_cast<int>(m_baseTime.secsTo(m_windowEnd) + 43200);
    setCurrentTime(m_baseTime.addSecs(43200));
}

void CMultiTimeSlider::setRowRecords(const QList<CDateTimePair>& records, int row) {
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    CTimeRectSeries* series = m_rowSeries.at(row);
    series->clear();
    for (const CDateTimePair& rec : records) {
        QDateTime start = rec.startTime();
        QDateTime end = rec.endTime();
        if (!start.isValid() || !end.isValid()) {
            continue;
        }
        const int type = rec.data(CDateTimePair::RecordTypeRole).toInt();
        const QBrush brush = chart_support::BrushFrom(rec.data(CDateTimePair::ColorRole), QBrush(kDefaultBand));
        // Every record that overlaps the window is shown, also one that
        // runs through the whole window.
        if (start > m_windowEnd || end < m_windowStart) {
            continue;
        }
        start = std::max(start, m_windowStart);
        end = std::min(end, m_windowEnd);
        if (m_recordLimitStart.isValid()) {
            start = std::max(start, m_recordLimitStart);
        }
        if (m_recordLimitEnd.isValid()) {
            end = std::min(end, m_recordLimitEnd);
        }
        // Nothing of it is left inside the searched span.
        if (end < start) {
            continue;
        }
        const qint64 x1 = m_windowStart.secsTo(start) + 43200 + m_lowerLimit;
        const qint64 x2 = x1 + start.secsTo(end);
        series->addRect(QPoint(static_cast<int>(x1), row * RowStep + RowBandTop),
                        QPoint(static_cast<int>(x2), row * RowStep + RowBandBottom), brush, type);
    }
    postUpdate();
}

void CMultiTimeSlider::setRecordsByRow(const QMap<int, QList<CDateTimePair>>& records) {
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const int row = it.key();
        if (row < 0 || row >= m_rowSeries.size()) {
            continue;
        }
        bool first = true;
        for (const CDateTimePair& rec : it.value()) {
            QDateTime start = rec.startTime();
            QDateTime end = rec.endTime();
            if (!start.isValid() || !end.isValid() || start > m_windowEnd || end < m_windowStart) {
                continue;
            }
            const int type = rec.data(CDateTimePair::RecordTypeRole).toInt();
            const QBrush brush = chart_support::BrushFrom(rec.data(CDateTimePair::ColorRole), QBrush(kDefaultBand));
            start = std::max(start, m_windowStart);
            end = std::min(end, m_windowEnd);
            const qint64 x1 = m_windowStart.secsTo(start);
            const qint64 x2 = x1 + start.secsTo(end);
            m_rowSeries.at(row)->addRect(QPoint(static_cast<int>(x1), row * 24 + 34),
                                         QPoint(static_cast<int>(x2), row * 24 + 46), brush, type);
            if (first) {
                m_rowStartTimes.insert(static_cast<unsigned>(row), static_cast<unsigned>(start.toSecsSinceEpoch()));
                first = false;
            }
        }
    }
    postUpdate();
}

void CMultiTimeSlider::addTimeSpan(time_t start, time_t end, const QBrush& brush, int type) {
    if (m_rowSeries.size() < 2) {
        return;
    }
    const qint64 ws = m_windowStart.toSecsSinceEpoch();
    const qint64 we = m_windowEnd.toSecsSinceEpoch();
    if (static_cast<qint64>(start) > we || static_cast<qint64>(end) < ws) {
        return;
    }
    const qint64 s = std::max<qint64>(start, ws);
    const qint64 e = std::min<qint64>(end, we);
    m_rowSeries.at(1)->addRect(QPoint(static_cast<int>(s - ws), 34), QPoint(static_cast<int>(e - ws), 208), brush,
                               type);
    postUpdate();
}

unsigned CMultiTimeSlider::rowStartTime(unsigned row) const { return m_rowStartTimes.value(row, 0); }

void CMultiTimeSlider::clearRow(int row) {
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    m_rowSeries.at(row)->clear();
    postUpdate();
}

void CMultiTimeSlider::clearRowType(int type, int row) {
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    m_rowSeries.at(row)->clearType(type);
    postUpdate();
}

void CMultiTimeSlider::clearAllRows() {
    for (CTimeRectSeries* s : m_rowSeries) {
        s->clear();
    }
}

void CMultiTimeSlider::reset() {
    clearAllRows();
    const QDate today = QDate::currentDate();
    setDays(today, today);
    m_level = 9;
    applyLevel(9);
    postUpdate();
}

// --------------------------------------------------------- time and zoom

void CMultiTimeSlider::setCursorToTime(qint64 secs) { m_view->setCursorText(chart_support::CursorText(secs)); }

void CMultiTimeSlider::setCurrentTime(time_t t) {
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

void CMultiTimeSlider::setCurrentTime(const QDateTime& t) {
    if (m_moving || !t.isValid()) {
        return;
    }
    setCurrentTime(static_cast<time_t>(t.toSecsSinceEpoch()));
}

void CMultiTimeSlider::applyLevel(int level) {
    m_level = level;
    setSpan(spanOfLevel(level));
    m_axis->setInterval(tickOfLevel(level));
    postUpdate();
}

void CMultiTimeSlider::setSpan(double s) {
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

void CMultiTimeSlider::OnSlotZoomIn() {
    if (m_level > 9) {
        applyLevel(m_level - 1);
    }
}

void CMultiTimeSlider::OnSlotZoomOut() {
    if (m_level < 16) {
        applyLevel(m_level + 1);
    }
}

void CMultiTimeSlider::MoveRight() {
    m_moving = true;
    CAxisScale& x = m_view->xAxis();
    const double s = x.upper() - x.lower();
    const int tick = std::max(tickOfLevel(m_level), 0);
    const double upper = std::min<double>(x.upper() + tick, m_upperLimit);
    const double lower = upper - s;
    x.setRange(lower, upper);
    setCursorToTime(Trunc64((lower + upper) / 2 + m_baseTime.toSecsSinceEpoch()));
    postUpdate();
}

void CMultiTimeSlider::MoveLeft() {
    m_moving = true;
    CAxisScale& x = m_view->xAxis();
    const double s = x.upper() - x.lower();
    const int tick = std::max(tickOfLevel(m_level), 0);
    const double lower = std::max<double>(x.lower() - tick, m_lowerLimit);
    const double upper = lower + s;
    x.setRange(lower, upper);
    setCursorToTime(Trunc64((lower + upper) / 2 + m_baseTime.toSecsSinceEpoch()));
    postUpdate();
}

void CMultiTimeSlider::OnSlotReleaseMove() { m_moving = false; }

// ------------------------------------------------------------------ mouse

double CMultiTimeSlider::secondsAtPixel(int x) const {
    const int w = m_view->plotWidth();
    if (w <= 0) {
        return 0.0;
    }
    const CAxisScale& axis = m_view->xAxis();
    return (axis.upper() - axis.lower()) * (x - m_view->plotRect().left()) / w;
}

bool CMultiTimeSlider::viewHasOpenHand() const {
    return m_view->testAttribute(Qt::WA_SetCursor) && m_view->cursor().shape() == Qt::OpenHandCursor;
}

void CMultiTimeSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = m_view->mapFrom(this, event->pos());
    m_pressPos = pos;
    int index = -1;
    if (m_images->imageAt(pos, index)) {
        if (index >= m_popups.size()) {
            return;
        }
        CTimeSliderFilterPopup* p = m_popups.at(index);
        if (p->hasTypes()) {
            const QRect r = chart_support::FitRectToScreen(QRect(event->globalPos(), p->size()));
            p->move(r.topLeft());
            p->show();
        }
        return;
    }
    if (m_view->plotRect().contains(pos)) {
        m_moving = true;
        m_view->setCursor(Qt::OpenHandCursor);
        m_savedLower = m_view->xAxis().lower();
        m_savedUpper = m_view->xAxis().upper();
        m_pressOffset = static_cast<int>(Trunc64(secondsAtPixel(pos.x())));
    }
}

void CMultiTimeSlider::mouseMoveEvent(QMouseEvent* event) {
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

void CMultiTimeSlider::mouseReleaseEvent(QMouseEvent* event) {
    m_moving = false;
    const int pressX = m_pressPos.x();
    m_pressPos = QPoint(0, 0);
    const QPoint pos = m_view->mapFrom(this, event->pos());
    if (event->button() != Qt::LeftButton || !m_view->plotRect().contains(pos)) {
        return;
    }
    if (viewHasOpenHand()) {
        m_view->unsetCursor();
    }
    const CAxisScale& x = m_view->xAxis();
    const qint64 base = m_baseTime.toSecsSinceEpoch();
    if (pos.x() != pressX) {
        const time_t t = static_cast<time_t>(base + Trunc64((x.lower() + x.upper()) / 2));
        qDebug() << "DragSiganlSend" << QDateTime::currentDateTime();
        emit Mousedrag(t);
        qDebug() << "DragSiganlEnd" << QDateTime::currentDateTime();
        m_mouseText->clear();
        postUpdate();
        return;
    }
    m_mouseText->clear();
    postUpdate();
    for (int i = 0; i < m_rowSeries.size(); ++i) {
        if (m_rowSeries.at(i)->contains(pos)) {
            const time_t t = static_cast<time_t>(Trunc64(secondsAtPixel(pos.x()) + x.lower()) + base);
            emit MouseClick(i, t);
        }
    }
}

void CMultiTimeSlider::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() >= 1) {
        OnSlotZoomIn();
    } else {
        OnSlotZoomOut();
    }
    event->accept();
}

void CMultiTimeSlider::OnUpdateTimeSlider() {
    if (m_view->plotRect().contains(m_lastMousePos)) {
        const double value = secondsAtPixel(m_lastMousePos.x()) + m_view->xAxis().lower();
        m_mouseText->setValue(value);
        m_mouseText->setText(chart_support::ClockOfDay(Trunc64(value)));
    } else {
        m_mouseText->clear();
    }
    postUpdate(APT_QMR::CUpdateEvent::MouseTimeRefresh);
}

void CMultiTimeSlider::enterEvent(QEvent* event) {
    Q_UNUSED(event);
    if (m_leaveTimer.isActive()) {
        m_leaveTimer.stop();
    } else {
        emit MouseEnter();
    }
    m_inside = true;
    m_updateTimer->start(5000);
}

void CMultiTimeSlider::leaveEvent(QEvent* event) {
    Q_UNUSED(event);
    m_mouseText->clear();
    m_updateTimer->stop();
    m_leaveTimer.start(500, this);
    if (viewHasOpenHand()) {
        m_view->unsetCursor();
    }
    postUpdate();
    m_inside = false;
}

void CMultiTimeSlider::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_leaveTimer.timerId()) {
        m_leaveTimer.stop();
        emit MouseLeave();
        return;
    }
    QFrame::timerEvent(event);
}
