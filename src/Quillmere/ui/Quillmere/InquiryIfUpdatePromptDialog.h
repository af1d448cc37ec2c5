// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Modal question whether the program should look for new releases on its
// own: accepted on "Enable", rejected on "Disable".
#include "ziraz/dialogs.h"

class QHBoxLayout;
class QLabel;

class InquiryIfUpdatePromptDialog : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit InquiryIfUpdatePromptDialog(QWidget* parent = nullptr);
    ~InquiryIfUpdatePromptDialog() override;

    QLabel* iconLabel() const { return m_form->iconLabel; }
    QLabel* textLabel() const { return m_form->textLabel; }

private:
    struct Form {
        QHBoxLayout* horizontalLayout = nullptr;
        QLabel* iconLabel = nullptr;
        QLabel* textLabel = nullptr;
        void setupUi(QWidget* widget);
    };
    Form* m_form = nullptr;
};
