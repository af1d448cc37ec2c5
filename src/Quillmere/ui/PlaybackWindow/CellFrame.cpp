#include "CellFrame.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QResizeEvent>

CPlaybackCellFrame::CPlaybackCellFrame(QWidget* parent) : QFrame(parent) {
    m_video = new QWidget(this);
    m_video->setObjectName("videoSurface");
    m_video->setFocusPolicy(Qt::StrongFocus);
    m_video->setContextMenuPolicy(Qt::CustomContextMenu);
    m_video->setAttribute(Qt::WA_StyledBackground);
    m_video->setStyleSheet("background-color: rgb(0,0,0);");
    m_video->move(m_hBorder, m_vBorder);

    m_bottom = new QFrame(this);
    m_bottom->setObjectName("CUiPlayerWndBottom");
    m_bottom->setStyleSheet("QFrame#CUiPlayerWndBottom{border: 1px solid black; background-color: rgb(77,82 ,86);}");
    m_bottom->setMouseTracking(true);
    m_bottomLayout = new QHBoxLayout(m_bottom);
    m_bottomLayout->setContentsMargins(9, 2, 9, 2);
    m_bottomLayout->setSpacing(10);
    m_bottom->hide();
}

void CPlaybackCellFrame::setSelected(int state) {
    const QString border = state == 1 ? "red" : "black";
    setStyleSheet(QString("QFrame#%1{border: 1px solid %2; background-color: rgb(77,82 ,86);}")
                      .arg(objectName(), border));
    m_selected = state;
}

void CPlaybackCellFrame::setToolButtons(const QList<QWidget*>& first, const QList<QWidget*>& second) {
    while (QLayoutItem* item = m_bottomLayout->takeAt(0)) delete item;
    for (QWidget* w : first) m_bottomLayout->addWidget(w);
    m_bottomLayout->addStretch(1);
    for (QWidget* w : second) m_bottomLayout->addWidget(w);
}

void CPlaybackCellFrame::setBottomItemVisible(int index, bool visible) {
    QLayoutItem* item = m_bottomLayout->itemAt(index);
    if (item && item->widget()) item->widget()->setVisible(visible);
}

bool CPlaybackCellFrame::event(QEvent* e) {
    if (e->type() == QEvent::Enter) {
        if (m_hasVideo) {
            m_bottom->show();
            m_bottom->raise();
        }
        emit SignalShow();
        onBottomShown();
    } else if (e->type() == QEvent::Leave) {
        m_bottom->hide();
        emit SignalHide();
        onBottomHidden();
    }
    return QFrame::event(e);
}

void CPlaybackCellFrame::resizeEvent(QResizeEvent* e) {
    m_bottom->setGeometry(m_hBorder, height() - m_vBorder - m_barHeight, width() - 2 * m_hBorder, m_barHeight);
    QFrame::resizeEvent(e);
}
