// SPDX-License-Identifier: GPL-3.0-or-later
#include "CustomPlayerFrame.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpacerItem>
#include <QToolButton>

// The page's icons live in this static library's resources; they are
// registered before the first form uses them.
static void InitAlarmPageResources() { Q_INIT_RESOURCE(alarmpage); }

void EnsureAlarmPageResources() {
    static const bool done = (InitAlarmPageResources(), true);
    Q_UNUSED(done);
}

namespace Ui {

void CCustomPlayerFrameUI::setupUi(QFrame* form) {
    EnsureAlarmPageResources();
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("CCustomPlayerFrameUI"));
    form->resize(499, 375);
    form->setAutoFillBackground(true);
    gridLayout = new QGridLayout(form);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    m_pContainerWidget = new QWidget(form);
    m_pContainerWidget->setObjectName(QStringLiteral("m_pContainerWidget"));
    gridLayout_2 = new QGridLayout(m_pContainerWidget);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->addItem(new QSpacerItem(20, 132, QSizePolicy::Minimum, QSizePolicy::Expanding), 0, 1, 1, 1);
    gridLayout_2->addItem(new QSpacerItem(197, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 0, 1, 1);
    m_pNoVideoContainerWidget = new QWidget(m_pContainerWidget);
    m_pNoVideoContainerWidget->setObjectName(QStringLiteral("m_pNoVideoContainerWidget"));
    m_pNoVideoContainerWidget->setMinimumSize(70, 76);
    // As wide as the sign's text asks for (the picture stays centred on it).
    m_pNoVideoContainerWidget->setMaximumSize(QWIDGETSIZE_MAX, 90);
    gridLayout_5 = new QGridLayout(m_pNoVideoContainerWidget);
    gridLayout_5->setObjectName(QStringLiteral("gridLayout_5"));
    gridLayout_5->setSpacing(0);
    gridLayout_5->setContentsMargins(0, 0, 0, 0);
    m_pDefaultVideoBtn = new QToolButton(m_pNoVideoContainerWidget);
    m_pDefaultVideoBtn->setObjectName(QStringLiteral("m_pDefaultVideoBtn"));
    m_pDefaultVideoBtn->setFixedSize(60, 56);
    m_pDefaultVideoBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/default_video_disable_d.svg")));
    m_pDefaultVideoBtn->setIconSize(QSize(56, 56));
    gridLayout_5->addWidget(m_pDefaultVideoBtn, 0, 0, 1, 1, Qt::AlignHCenter);
    m_pNoVideoLabel = new QLabel(m_pNoVideoContainerWidget);
    m_pNoVideoLabel->setObjectName(QStringLiteral("m_pNoVideoLabel"));
    m_pNoVideoLabel->setMinimumWidth(60);
    m_pNoVideoLabel->setFixedHeight(20);
    m_pNoVideoLabel->setAlignment(Qt::AlignCenter);
    gridLayout_5->addWidget(m_pNoVideoLabel, 1, 0, 1, 1);
    gridLayout_2->addWidget(m_pNoVideoContainerWidget, 1, 1, 1, 1);
    gridLayout_2->addItem(new QSpacerItem(196, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 2, 1, 1);
    gridLayout_2->addItem(new QSpacerItem(20, 131, QSizePolicy::Minimum, QSizePolicy::Expanding), 2, 1, 1, 1);
    gridLayout->addWidget(m_pContainerWidget, 0, 0, 1, 1);
    retranslateUi(form);
}

void CCustomPlayerFrameUI::retranslateUi(QFrame* form) {
    form->setWindowTitle(QApplication::translate("CCustomPlayerFrameUI", "Form", nullptr));
    m_pDefaultVideoBtn->setText(QString());
    m_pNoVideoLabel->setText(QApplication::translate("CCustomPlayerFrameUI", "NoVideo", nullptr));
}

void CUiPlayerWndCustomBottom::setupUi(QFrame* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("CUiPlayerWndCustomBottom"));
    form->resize(503, 62);
    form->setAutoFillBackground(true);
    gridLayout_2 = new QGridLayout(form);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    m_pFrameExtend = new QFrame(form);
    m_pFrameExtend->setObjectName(QStringLiteral("m_pFrameExtend"));
    m_pFrameExtend->setFrameShape(QFrame::StyledPanel);
    m_pFrameExtend->setFrameShadow(QFrame::Raised);
    m_pFrameExtend->setMouseTracking(true);
    gridLayout = new QGridLayout(m_pFrameExtend);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_pPlayBtn = new QPushButton(m_pFrameExtend);
    m_pPlayBtn->setObjectName(QStringLiteral("m_pPlayBtn"));
    m_pPlayBtn->setFixedSize(24, 24);
    gridLayout->addWidget(m_pPlayBtn, 0, 0, 1, 1);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    m_pProcessTime = new QLabel(m_pFrameExtend);
    m_pProcessTime->setObjectName(QStringLiteral("m_pProcessTime"));
    horizontalLayout->addWidget(m_pProcessTime);
    label = new QLabel(m_pFrameExtend);
    label->setObjectName(QStringLiteral("label"));
    horizontalLayout->addWidget(label);
    m_pEndTime = new QLabel(m_pFrameExtend);
    m_pEndTime->setObjectName(QStringLiteral("m_pEndTime"));
    horizontalLayout->addWidget(m_pEndTime);
    gridLayout->addLayout(horizontalLayout, 0, 1, 1, 1);
    m_pPlaySlider = new QSlider(m_pFrameExtend);
    m_pPlaySlider->setObjectName(QStringLiteral("m_pPlaySlider"));
    m_pPlaySlider->setOrientation(Qt::Horizontal);
    gridLayout->addWidget(m_pPlaySlider, 0, 2, 1, 1);
    gridLayout_2->addWidget(m_pFrameExtend, 0, 0, 1, 1);
    retranslateUi(form);
}

void CUiPlayerWndCustomBottom::retranslateUi(QFrame* form) {
    form->setWindowTitle(QApplication::translate("CUiPlayerWndCustomBottom", "Form", nullptr));
    m_pPlayBtn->setText(QApplication::translate("CUiPlayerWndCustomBottom", "Play", nullptr));
    m_pProcessTime->setText(QApplication::translate("CUiPlayerWndCustomBottom", "00:02:00", nullptr));
    label->setText(QApplication::translate("CUiPlayerWndCustomBottom", "/", nullptr));
    m_pEndTime->setText(QApplication::translate("CUiPlayerWndCustomBottom", "00:04:00", nullptr));
}

}  // namespace Ui

CCustomPlayerFrame::CCustomPlayerFrame(QWidget* parent) : CBasePlayFrame(parent) { m_ui.setupUi(this); }

bool CCustomPlayerFrame::event(QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (m_bAutoShow) {
            emit SignalShow();
            onBottomShown();
        }
    } else if (event->type() == QEvent::Leave) {
        emit SignalHide();
        onBottomHidden();
    }
    return QFrame::event(event);
}

CCustomPlayWndBottom::CCustomPlayWndBottom(QWidget* parent) : QFrame(parent) { m_ui.setupUi(this); }
