// SPDX-License-Identifier: GPL-3.0-or-later
#include "InquiryIfUpdatePromptDialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

void InquiryIfUpdatePromptDialog::Form::setupUi(QWidget* widget) {
    if (widget->objectName().isEmpty()) widget->setObjectName("InquiryIfUpdatePromptDialog");
    widget->resize(464, 176);
    widget->setMinimumSize(464, 0);
    widget->setMaximumSize(464, 16777215);
    horizontalLayout = new QHBoxLayout(widget);
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setSpacing(20);
    horizontalLayout->setContentsMargins(66, 70, 56, 58);
    iconLabel = new QLabel(widget);
    iconLabel->setObjectName("iconLabel");
    iconLabel->setFixedSize(48, 48);
    horizontalLayout->addWidget(iconLabel);
    textLabel = new QLabel(widget);
    textLabel->setObjectName("textLabel");
    textLabel->setMinimumWidth(274);
    textLabel->setWordWrap(true);
    horizontalLayout->addWidget(textLabel);
    widget->setWindowTitle(QCoreApplication::translate("InquiryIfUpdatePromptDialog", "InquiryIfUpdatePromptDialog"));
}

InquiryIfUpdatePromptDialog::InquiryIfUpdatePromptDialog(QWidget* parent)
    : ziraz::BaseDialog(false, false, false, false, false, true, true, parent), m_form(new Form) {
    m_form->setupUi(getSetupUiWidget());
    setConfirmButtonText(tr("Enable"));
    setCancelButtonText(tr("Disable"));
    setTitle(tr("Upgrade Detect"));
    m_form->textLabel->setText(tr("Enable upgrade detection will automatically prompt new relased version, enable it?"));
    m_form->iconLabel->setPixmap(QPixmap(":/CommonSkin/Dialog/Images/Public/Control/Dialog/confirmicon.png"));
    SetFixedSize(434, 265);
}

InquiryIfUpdatePromptDialog::~InquiryIfUpdatePromptDialog() { delete m_form; }
