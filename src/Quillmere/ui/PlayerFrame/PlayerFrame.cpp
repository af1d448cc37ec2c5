// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayerFrame.h"

#include <QEvent>
#include <QResizeEvent>
#include <QSlider>

CPlayerFrame::CPlayerFrame(QWidget* parent) : CBasePlayFrame(parent) {
    m_pBottom = new CPlayWndBottom(this);
    m_pBottom->setMouseTracking(true);
    m_pBottom->hide();
}

void CPlayerFrame::setSliderVisible(bool visible) { m_pBottom->ui().m_pSliderPlay->setVisible(visible); }

bool CPlayerFrame::event(QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (m_bAutoShow) {
            m_pBottom->show();
            emit SignalShow();
            onBottomShown();
        }
    } else if (event->type() == QEvent::Leave) {
        if (!m_pBottom->isCursorInExtendWnd()) {
            m_pBottom->hide();
            emit SignalHide();
            onBottomHidden();
        }
    }
    return QFrame::event(event);
}

void CPlayerFrame::resizeEvent(QResizeEvent* event) {
    m_pBottom->setGeometry(m_nHorBorder, height() - m_nVerBorder - m_nBarHeight, width() - 2 * m_nHorBorder,
                           m_nBarHeight);
    QWidget::resizeEvent(event);
}
