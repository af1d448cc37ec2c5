// SPDX-License-Identifier: GPL-3.0-or-later
#include "MultiTimeSlider.h"

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
#include "storage/KelLogging.h"

using chart_support::Trunc64;

namespace {

const QColor kDefaultBand(113, 160, 250);
constexpr int kInitialLevel = 9;
constexpr int kMaxZoomOutLevel = 16;

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

CMultiTimeSlider::CMultiTimeSlider(QWidget* parent)
    : CTimeSliderBase(parent,
                      {&CMultiTimeSlider::spanOfLevel, &CMultiTimeSlider::tickOfLevel, kInitialLevel, kMaxZoomOutLevel}) {
    // The host relays the time signals, possibly queued.
    qRegisterMetaType<time_t>("time_t");
    setMouseTracking(true);
    m_view = new CMultiChartView(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_view, 0, 0);

    // The wheel zooms wherever the pointer is over the axis: the view and its
    // buttons and scroll bar hand their wheel events to the slider.
    m_view->installEventFilter(this);
    for (QWidget* child : m_view->findChildren<QWidget*>()) child->installEventFilter(this);

    CMultiChartView* view = m_view;
    m_core.setView(m_view, m_view, [view](const QString& text) { view->setCursorText(text); });
    connect(m_view, &CMultiChartView::SignalMoveLeft, this, &CMultiTimeSlider::MoveLeft);
    connect(m_view, &CMultiChartView::SignalMoveRight, this, &CMultiTimeSlider::MoveRight);
    connect(m_view, &CMultiChartView::SignalDelayRelease, this, &CMultiTimeSlider::OnSlotReleaseMove);
    connect(m_view, &CMultiChartView::SignalZoomOut, this, &CMultiTimeSlider::OnSlotZoomOut);
    connect(m_view, &CMultiChartView::SignalZoomIn, this, &CMultiTimeSlider::OnSlotZoomIn);
    connect(m_core.updateTimer(), &QTimer::timeout, this, &CMultiTimeSlider::OnUpdateTimeSlider);

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
    m_core.setSeries(m_axis, m_mouseText);

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

CMultiTimeSlider::~CMultiTimeSlider() { m_core.clearAllSeries(); }

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
    m_core.postUpdate();
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
    m_core.postUpdate();
}

// ------------------------------------------------------ window and records

void CMultiTimeSlider::setRecordLimits(const QDateTime& start, const QDateTime& end) {
    m_core.setRecordLimits(start, end);
}

void CMultiTimeSlider::setDays(const QDate& first, const QDate& last) { m_core.setDays(first, last); }

void CMultiTimeSlider::setRowRecords(const QList<CDateTimePair>& records, int row) {
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    CTimeRectSeries* series = m_rowSeries.at(row);
    series->clear();
    const QDateTime windowStart = m_core.windowStart();
    const int lowerLimit = m_core.lowerLimit();
    for (const CDateTimePair& rec : records) {
        QDateTime start;
        QDateTime end;
        if (!m_core.clipRecord(rec, start, end, true)) {
            continue;
        }
        const int type = rec.data(CDateTimePair::RecordTypeRole).toInt();
        const QBrush brush = chart_support::BrushFrom(rec.data(CDateTimePair::ColorRole), QBrush(kDefaultBand));
        const qint64 x1 = windowStart.secsTo(start) + 43200 + lowerLimit;
        const qint64 x2 = x1 + start.secsTo(end);
        series->addRect(QPoint(static_cast<int>(x1), row * RowStep + RowBandTop),
                        QPoint(static_cast<int>(x2), row * RowStep + RowBandBottom), brush, type);
    }
    m_core.postUpdate();
}

void CMultiTimeSlider::setRecordsByRow(const QMap<int, QList<CDateTimePair>>& records) {
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const int row = it.key();
        if (row < 0 || row >= m_rowSeries.size()) {
            continue;
        }
        bool first = true;
        for (const CDateTimePair& rec : it.value()) {
            QDateTime start;
            QDateTime end;
            if (!m_core.clipRecord(rec, start, end, false)) {
                continue;
            }
            const int type = rec.data(CDateTimePair::RecordTypeRole).toInt();
            const QBrush brush = chart_support::BrushFrom(rec.data(CDateTimePair::ColorRole), QBrush(kDefaultBand));
            const qint64 x1 = m_core.windowStart().secsTo(start);
            const qint64 x2 = x1 + start.secsTo(end);
            m_rowSeries.at(row)->addRect(QPoint(static_cast<int>(x1), row * 24 + 34),
                                         QPoint(static_cast<int>(x2), row * 24 + 46), brush, type);
            if (first) {
                m_rowStartTimes.insert(static_cast<unsigned>(row), static_cast<unsigned>(start.toSecsSinceEpoch()));
                first = false;
            }
        }
    }
    m_core.postUpdate();
}

void CMultiTimeSlider::addTimeSpan(time_t start, time_t end, const QBrush& brush, int type) {
    if (m_rowSeries.size() < 2) {
        return;
    }
    const qint64 ws = m_core.windowStart().toSecsSinceEpoch();
    const qint64 we = m_core.windowEnd().toSecsSinceEpoch();
    if (static_cast<qint64>(start) > we || static_cast<qint64>(end) < ws) {
        return;
    }
    const qint64 s = std::max<qint64>(start, ws);
    const qint64 e = std::min<qint64>(end, we);
    m_rowSeries.at(1)->addRect(QPoint(static_cast<int>(s - ws), 34), QPoint(static_cast<int>(e - ws), 208), brush,
                               type);
    m_core.postUpdate();
}

unsigned CMultiTimeSlider::rowStartTime(unsigned row) const { return m_rowStartTimes.value(row, 0); }

void CMultiTimeSlider::clearRow(int row) {
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    m_rowSeries.at(row)->clear();
    m_core.postUpdate();
}

void CMultiTimeSlider::clearRowType(int type, int row) {
    if (row < 0 || row >= m_rowSeries.size()) {
        return;
    }
    m_rowSeries.at(row)->clearType(type);
    m_core.postUpdate();
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
    applyLevel(9);
    m_core.postUpdate();
}

// ------------------------------------------------------------------ mouse

void CMultiTimeSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = m_core.mapFromOwner(event->pos());
    m_core.setPressPos(pos);
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
    m_core.beginPan(pos);
}

void CMultiTimeSlider::mouseMoveEvent(QMouseEvent* event) { m_core.mouseMove(m_core.mapFromOwner(event->pos())); }

void CMultiTimeSlider::mouseReleaseEvent(QMouseEvent* event) {
    m_core.setMoving(false);
    const int pressX = m_core.pressPos().x();
    m_core.setPressPos(QPoint(0, 0));
    const QPoint pos = m_core.mapFromOwner(event->pos());
    if (event->button() != Qt::LeftButton || !m_view->plotRect().contains(pos)) {
        return;
    }
    if (m_core.viewHasOpenHand()) {
        m_view->unsetCursor();
    }
    const CAxisScale& x = m_view->xAxis();
    const qint64 base = m_core.baseTime().toSecsSinceEpoch();
    if (pos.x() != pressX) {
        const time_t t = static_cast<time_t>(base + Trunc64((x.lower() + x.upper()) / 2));
        qCDebug(lcKelUi) << "DragSiganlSend" << QDateTime::currentDateTime();
        emit Mousedrag(t);
        qCDebug(lcKelUi) << "DragSiganlEnd" << QDateTime::currentDateTime();
        m_mouseText->clear();
        m_core.postUpdate();
        return;
    }
    m_mouseText->clear();
    m_core.postUpdate();
    for (int i = 0; i < m_rowSeries.size(); ++i) {
        if (m_rowSeries.at(i)->contains(pos)) {
            const time_t t = static_cast<time_t>(Trunc64(m_core.secondsAtPixel(pos.x()) + x.lower()) + base);
            emit MouseClick(i, t);
        }
    }
}

void CMultiTimeSlider::wheelEvent(QWheelEvent* event) { m_core.wheel(event); }

bool CMultiTimeSlider::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched->isWidgetType()) {
        m_core.wheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void CMultiTimeSlider::OnUpdateTimeSlider() { m_core.updateMouseText(); }

void CMultiTimeSlider::enterEvent(QEvent* event) {
    Q_UNUSED(event);
    m_core.enter([this] { emit MouseEnter(); });
}

void CMultiTimeSlider::leaveEvent(QEvent* event) {
    Q_UNUSED(event);
    m_core.leave();
}

void CMultiTimeSlider::timerEvent(QTimerEvent* event) {
    if (m_core.takeLeaveTimer(event)) {
        emit MouseLeave();
        return;
    }
    QFrame::timerEvent(event);
}
