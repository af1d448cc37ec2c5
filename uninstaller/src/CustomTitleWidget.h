// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Title bar of the uninstaller's pages: icon (hidden), product title and a
// close button; dragging it moves the window.
#include "Tavick/Tavick.h"

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace appinstaller {

class CustomTitleWidget : public Tavick::CFancyTitle {
    Q_OBJECT
public:
    explicit CustomTitleWidget(QWidget* parent);

    QPushButton* closeButton() const { return m_pCloseBtn; }
    QLabel* titleLabel() const { return m_pTitleLabel; }

signals:
    void signalClose();

private:
    QLabel* m_pIconLabel = nullptr;
    QLabel* m_pTitleLabel = nullptr;
    QPushButton* m_pCloseBtn = nullptr;
    QHBoxLayout* m_pLayout = nullptr;
};

}  // namespace appinstaller
