// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Upper part of both pages: the header picture with the title bar.
#include <QWidget>

#include "Forms.h"

namespace appinstaller {

class UpperWidget : public QWidget {
    Q_OBJECT
public:
    explicit UpperWidget(QWidget* parent = nullptr);

    CustomTitleWidget* titleWidget() const { return m_ui.m_pTopTitleWidget; }

signals:
    void signalClose();

private:
    Ui::UpperWidgeUI m_ui;
};

}  // namespace appinstaller
