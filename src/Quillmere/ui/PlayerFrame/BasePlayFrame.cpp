// SPDX-License-Identifier: GPL-3.0-or-later
#include "BasePlayFrame.h"

CBasePlayFrame::CBasePlayFrame(QWidget* parent) : QFrame(parent) {
    m_pVideoWnd = new QFrame(this);
    m_pVideoWnd->setFocusPolicy(Qt::StrongFocus);
    m_pVideoWnd->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pVideoWnd->move(m_nHorBorder, m_nVerBorder);
}

void CBasePlayFrame::setSelected(int state) {
    const QString selector = QStringLiteral("QFrame#") + objectName();
    if (state == 1)
        setStyleSheet(selector + QStringLiteral("{border: 1px solid red; background-color: rgb(77,82 ,86);}"));
    else
        setStyleSheet(selector + QStringLiteral("{border: 1px solid black; background-color: rgb(77,82 ,86);}"));
    m_bSelected = state != 0;
}

void* CBasePlayFrame::videoWinId() const { return static_cast<QWidget*>(m_pVideoWnd); }
