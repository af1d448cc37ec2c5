// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small modal yes/no question of the program: one centred line of text
// in the toolkit's dialog frame. exec() gives 1 (accepted) for yes.
#include <QWidget>

#include "ziraz/dialogs.h"

class QLabel;
class QSpacerItem;
class QVBoxLayout;

namespace Ui {

class TipDialog {
public:
    QVBoxLayout* verticalLayout = nullptr;
    QSpacerItem* verticalSpacer = nullptr;
    QLabel* m_labelTip = nullptr;
    QSpacerItem* verticalSpacer_2 = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

}  // namespace Ui

class TipDialog : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit TipDialog(QWidget* parent = nullptr);

    void setTipText(const QString& text);
    QString tipText() const;

private:
    Ui::TipDialog m_ui;
    QWidget* m_centerWidget;
};
