// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, int w, int h) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setFixedSize(w, h);
    b->setAutoRepeat(true);
    return b;
}

const char* const kZoomStyle =
    "QPushButton{border: none; image: none; background: transparent;}"
    "QPushButton:hover{border-image: url(:/images/public/Timeslider/zoom_hover.png);}";

}  // namespace

CChartView::CChartView(QWidget* parent) : QFrame(parent) {
    setMouseTracking(true);
    QPixmap background(":/images/public/Timeslider/timeslider_Background.png");
    m_background = background.isNull() ? QBrush(QColor(38, 33, 43)) : QBrush(background);

    m_moveLeft = MakeButton(this, "m_pMoveLeftBtn", 19, 19);
    m_moveLeft->setStyleSheet("border-image: url(:/images/public/Timeslider/move-left.png);");
    m_moveRight = MakeButton(this, "m_pMoveRightBtn", 19, 19);
    m_moveRight->setStyleSheet("border-image: url(:/images/public/Timeslider/move-right.png);");
    m_zoomIn = MakeButton(this, "m_pZoomInBtn", 32, 26);
    m_zoomIn->setIcon(QIcon(":/images/public/Timeslider/zoomin.png"));
    m_zoomIn->setIconSize(QSize(32, 26));
    m_zoomIn->setStyleSheet(kZoomStyle);
    m_zoomOut = MakeButton(this, "m_pZoomOutBtn", 32, 26);
    m_zoomOut->setIcon(QIcon(":/images/public/Timeslider/zoomout.png"));
    m_zoomOut->setIconSize(QSize(32, 26));
    m_zoomOut->setStyleSheet(kZoomStyle);
    m_moveLeft->move(3, 19);

    connect(m_zoomIn, &QPushButton::pressed, this, &CChartView::SignalZoomIn);
    connect(m_zoomOut, &QPushButton::pressed, this, &CChartView::SignalZoomOut);
    connect(m_moveRight, &QPushButton::pressed, this, &CChartView::SignalMoveRight);
    connect(m_moveLeft, &QPushButton::pressed, this, &CChartView::SignalMoveLeft);
    // Letting go of a move button ends the move.
    connect(m_moveRight, &QPushButton::released, this, &CChartView::SignalDelayRelease);
    connect(m_moveLeft, &QPushButton::released, this, &CChartView::SignalDelayRelease);

    m_cursorTextRect = QFontMetrics(font()).boundingRect(QRect(), Qt::AlignLeft, "2010-07-29 00:00:00");
    showNormalLayout();
}

CChartView::~CChartView() = default;

void CChartView::setButtonsVisible(bool visible) {
    m_moveLeft->setVisible(visible);
    m_moveRight->setVisible(visible);
    m_zoomIn->setVisible(visible);
    m_zoomOut->setVisible(visible);
}

void CChartView::showNormalLayout() {
    m_leftMargin = 24;
    m_rightMargin = 8;
    setButtonsVisible(false);
}

void CChartView::showMaxLayout() {
    m_leftMargin = 24;
    m_rightMargin = 100;
    setButtonsVisible(true);
}

void CChartView::redraw() {
    if (size().isEmpty()) {
        return;
    }
    m_pixmap = QPixmap(size());
    setPlotRect(QRect(m_leftMargin, 0, width() - m_rightMargin - m_leftMargin, height()));
    QPainter painter(&m_pixmap);
    painter.setFont(font());
    painter.setPen(Qt::NoPen);
    painter.fillRect(rect(), m_background);
    draw(&painter);
    painter.end();
    ++m_redrawCount;
    update();
}

void CChartView::customEvent(QEvent* event) {
    Q_UNUSED(event);
    redraw();
}

void CChartView::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);

    QFont title = painter.font();
    title.setPointSize(14);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(m_leftMargin, 16), m_titleText);
    painter.setFont(font());

    const int x = plotRect().center().x();
    painter.setPen(QPen(Qt::yellow, 1));
    painter.drawLine(x, 0, x, plotHeight());

    painter.setPen(Qt::white);
    QRect r = m_cursorTextRect;
    r.moveCenter(QPoint(x, 5));
    painter.drawText(r, Qt::AlignLeft, m_cursorText);
}

void CChartView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const int r = width() + 2 - m_rightMargin;
    m_moveRight->move(r, 19);
    m_zoomOut->move(r + 3 + m_moveRight->width(), 17);
    m_zoomIn->move(m_zoomOut->x() + m_zoomOut->width() + 3, 17);
    redraw();
}
