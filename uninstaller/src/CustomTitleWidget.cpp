// SPDX-License-Identifier: GPL-3.0-or-later
#include "CustomTitleWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace appinstaller {

CustomTitleWidget::CustomTitleWidget(QWidget* parent) : Tavick::CFancyTitle(parent) {
    m_pIconLabel = new QLabel(this);
    m_pIconLabel->setObjectName("m_pIconLabel");
    m_pIconLabel->setFixedSize(32, 32);
    m_pIconLabel->setPixmap(
        QPixmap(":/Uninstall/Images/icon.ico").scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_pIconLabel->hide();

    m_pCloseBtn = new QPushButton(this);
    m_pCloseBtn->setObjectName("m_pCloseBtn");
    m_pCloseBtn->setFixedSize(24, 24);
    m_pCloseBtn->setCursor(Qt::PointingHandCursor);
    m_pCloseBtn->setStyleSheet(
        "background:transparent; border:none; border-image:url(:/Uninstall/Images/common_close.svg);");
    connect(m_pCloseBtn, &QPushButton::clicked, this, &CustomTitleWidget::signalClose);

    m_pTitleLabel = new QLabel(this);
    m_pTitleLabel->setObjectName("m_pTitleLabel");
    m_pTitleLabel->setText(tr("Qorvane KEL"));
    m_pTitleLabel->setStyleSheet("font-size: 16px; color: #FFFFFF; letter-spacing: -0.39px; font-weight: bold ");

    m_pLayout = new QHBoxLayout(this);
    m_pLayout->setContentsMargins(20, 16, 16, 0);
    m_pLayout->addWidget(m_pIconLabel);
    m_pLayout->addWidget(m_pTitleLabel);
    m_pLayout->addStretch();
    m_pLayout->addWidget(m_pCloseBtn, 0, Qt::AlignTop);
}

}  // namespace appinstaller
