// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpperWidget.h"

#include "CustomTitleWidget.h"

namespace appinstaller {

UpperWidget::UpperWidget(QWidget* parent) : QWidget(parent) {
    m_ui.setupUi(this);
    connect(m_ui.m_pTopTitleWidget, &CustomTitleWidget::signalClose, this, &UpperWidget::signalClose);
}

}  // namespace appinstaller
