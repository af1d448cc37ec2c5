// SPDX-License-Identifier: GPL-3.0-or-later
#include "MultiChartView.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QToolButton>

namespace {
QToolButton* MakeButton(QWidget* parent, const char* name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setFixedSize(19, 19);
    b->setAutoRepeat(true);
    return b;
}
}  // namespace

CMultiChartView::CMultiChartView(QWidget* parent) : QFrame(parent) {
    setMouseTracking(true);

    m_moveLeft = MakeButton(this, "TimeSlider_MoveLeft");
    m_moveRight = MakeButton(this, "TimeSlider_MoveRight");
    m_zoomIn = MakeButton(this, "TimeSlider_ZoomIn");
    m_zoomOut = MakeButton(this, "TimeSlider_ZoomOut");
    m_moveLeft->move(70, 8);
    // "ZoomIn" lowers the zoom level: the axis shows a longer span, so its
    // picture is the "-" magnifier and its tip says so; "ZoomOut" the other
    // way round (the pictures come from the skin, by object name).
    m_zoomIn->setToolTip(tr("Zoom out: a longer time span"));
    m_zoomOut->setToolTip(tr("Zoom in: a shorter time span"));
    m_moveLeft->setToolTip(tr("Earlier"));
    m_moveRight->setToolTip(tr("Later"));
    connect(m_zoomIn, &QToolButton::pressed, this, &CMultiChartView::SignalZoomIn);
    connect(m_zoomOut, &QToolButton::pressed, this, &CMultiChartView::SignalZoomOut);
    connect(m_moveRight, &QToolButton::pressed, this, &CMultiChartView::SignalMoveRight);
    connect(m_moveLeft, &QToolButton::pressed, this, &CMultiChartView::SignalMoveLeft);
    // Letting go of a move button ends the move, so that the axis follows
    // the playback time again.
    connect(m_moveRight, &QToolButton::released, this, &CMultiChartView::SignalDelayRelease);
    connect(m_moveLeft, &QToolButton::released, this, &CMultiChartView::SignalDelayRelease);

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName("TimeSlider_ScrollBar");
    m_scrollBar->setSingleStep(24);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &CMultiChartView::OnSlotValueChanged);
    m_scrollBar->hide();

    m_cursorTextRect = QFontMetrics(font()).boundingRect(QRect(), Qt::AlignLeft, "2010-07-29 00:00:00");
}

CMultiChartView::~CMultiChartView() = default;

void CMultiChartView::redraw() {
    if (size().isEmpty()) {
        return;
    }
    m_pixmap = QPixmap(size());
    setPlotRect(QRect(112, 0, width() - 213, height()));
    QPainter painter(&m_pixmap);
    painter.setFont(font());
    painter.setPen(Qt::NoPen);
    painter.fillRect(rect(), QColor(38, 33, 43));
    draw(&painter);
    painter.end();
    ++m_redrawCount;
    update();
}

void CMultiChartView::setCursorText(const QString& text) { m_cursorText = text; }

void CMultiChartView::setRowCount(int n) {
    m_rowCount = n;
    m_scrollBar->setValue(0);
    if (n < 5) {
        m_scrollBar->hide();
    } else {
        m_scrollBar->setRange(0, (n - 4) * 24);
        m_scrollBar->show();
    }
}

void CMultiChartView::OnSlotValueChanged(int value) {
    yAxis().setRange(value, value + 160);
    redraw();
}

void CMultiChartView::customEvent(QEvent* event) {
    Q_UNUSED(event);
    redraw();
}

void CMultiChartView::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);

    const int x = plotRect().center().x();
    painter.setPen(QPen(QColor("#F0DE68"), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawLine(x, 32, x, plotHeight());

    QFont f = painter.font();
    f.setPointSize(9);
    painter.setFont(f);
    painter.setPen(QColor(213, 59, 57));
    QRect r = m_cursorTextRect;
    r.moveCenter(QPoint(x, 5));
    painter.drawText(r.translated(0, 3), Qt::AlignLeft, m_cursorText);
}

void CMultiChartView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int r = width() - 86;
    m_moveRight->move(r, 8);
    m_zoomOut->move(r + 25, 8);
    m_zoomIn->move(r + 50, 8);
    m_scrollBar->setGeometry(width() - 7, 28, 7, height() - 28);
    m_scrollBar->setVisible(!(m_rowCount * 24 + 26 <= height()));
    redraw();
}
