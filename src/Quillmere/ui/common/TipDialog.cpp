// SPDX-License-Identifier: GPL-3.0-or-later
#include "TipDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QSpacerItem>
#include <QVBoxLayout>

void Ui::TipDialog::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("TipDialog"));
    form->resize(323, 150);
    verticalLayout = new QVBoxLayout(form);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalSpacer = new QSpacerItem(20, 51, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout->addItem(verticalSpacer);
    m_labelTip = new QLabel(form);
    m_labelTip->setObjectName(QStringLiteral("m_labelTip"));
    m_labelTip->setAlignment(Qt::AlignCenter);
    verticalLayout->addWidget(m_labelTip);
    verticalSpacer_2 = new QSpacerItem(20, 51, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout->addItem(verticalSpacer_2);
    retranslateUi(form);
    QMetaObject::connectSlotsByName(form);
}

void Ui::TipDialog::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("TipDialog", "Form", nullptr));
    m_labelTip->setText(QCoreApplication::translate("TipDialog", "sure", nullptr));
}

TipDialog::TipDialog(QWidget* parent)
    : ziraz::BaseDialog(false, false, false, false, true, true, true, parent), m_centerWidget(new QWidget) {
    m_ui.setupUi(m_centerWidget);
    setCenterWidget(m_centerWidget);
    setEnableDefaultConnections(true, true, true, true, true);
}

void TipDialog::setTipText(const QString& text) { m_ui.m_labelTip->setText(text); }

QString TipDialog::tipText() const { return m_ui.m_labelTip->text(); }
