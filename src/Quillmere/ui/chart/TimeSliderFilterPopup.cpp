// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeSliderFilterPopup.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpacerItem>

CTimeSliderFilterPopup::CTimeSliderFilterPopup(QWidget* parent) : QFrame(parent) {
    setWindowFlags(Qt::Popup);

    auto* grid = new QGridLayout(this);
    m_formLayout = new QFormLayout();
    grid->addLayout(m_formLayout, 0, 0, 1, 1);
    grid->setContentsMargins(9, 9, 9, 9);
    grid->setSpacing(6);

    m_allBox = new QCheckBox(tr("All"), this);
    m_formLayout->setWidget(0, QFormLayout::LabelRole, m_allBox);
    connect(m_allBox, &QCheckBox::stateChanged, this, &CTimeSliderFilterPopup::OnStateChanged);

    m_okButton = new QPushButton(tr("OK"), this);
    m_okButton->setMinimumWidth(80);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setMinimumWidth(80);
    auto* buttons = new QHBoxLayout();
    buttons->setObjectName("horizontalLayout");
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    grid->addLayout(buttons, 1, 0, 1, 1);

    connect(m_okButton, &QPushButton::clicked, this, &CTimeSliderFilterPopup::OnClickOkBtn);
    connect(m_cancelButton, &QPushButton::clicked, this, &CTimeSliderFilterPopup::OnClickCancelBtn);

    setStyleSheet(
        "QFrame{border-style: solid; border-width: 1px; border-color: rgb(0, 0, 0); border-radius: 1px; "
        "background-color: rgb(33, 33, 33); padding: 0px;}QCheckBox{color:rgb(255, 255, 255);}");
}

CTimeSliderFilterPopup::~CTimeSliderFilterPopup() = default;

void CTimeSliderFilterPopup::addType(const QIcon& icon, const QString& text, int type) {
    // Every "&" is doubled so that it shows as a character; a single "&"
    // left in would be taken as a shortcut mark and vanish from the text.
    QString shown = text;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    auto* box = new QCheckBox(shown, this);
    connect(box, &QCheckBox::stateChanged, this, &CTimeSliderFilterPopup::OnFilterStateChanged);
    box->setIcon(icon);

    const int n = m_formLayout->count() + 1;
    m_formLayout->setWidget(n / 2, n % 2 == 0 ? QFormLayout::LabelRole : QFormLayout::FieldRole, box);

    // Known before it is ticked, so that "All" follows the new box as well.
    m_typeBoxes.insert(box, type);
    m_appliedTypes.append(type);
    box->setChecked(true);
}

void CTimeSliderFilterPopup::clearTypes() {
    for (auto it = m_typeBoxes.begin(); it != m_typeBoxes.end(); ++it) {
        m_formLayout->removeWidget(it.key());
        delete it.key();
    }
    m_typeBoxes.clear();
    m_appliedTypes.clear();
    // Drop the rows the boxes leave empty; row 0 holds "All".
    while (m_formLayout->rowCount() > 1) {
        m_formLayout->removeRow(m_formLayout->rowCount() - 1);
    }
}

bool CTimeSliderFilterPopup::hasTypes() const { return m_formLayout->count() >= 2; }

void CTimeSliderFilterPopup::OnClickOkBtn() {
    QList<int> types;
    for (auto it = m_typeBoxes.cbegin(); it != m_typeBoxes.cend(); ++it) {
        if (it.key()->isChecked()) {
            types.append(it.value());
        }
    }
    m_appliedTypes = types;
    emit SignalFilter(types);
    hide();
}

void CTimeSliderFilterPopup::OnClickCancelBtn() {
    if (!m_typeBoxes.isEmpty()) {
        for (auto it = m_typeBoxes.cbegin(); it != m_typeBoxes.cend(); ++it) {
            if (m_appliedTypes.contains(it.value())) {
                it.key()->setChecked(true);
            }
        }
    }
    hide();
}

void CTimeSliderFilterPopup::OnStateChanged(int state) {
    if (state == Qt::PartiallyChecked) {
        m_allBox->setCheckState(Qt::Checked);
        return;
    }
    const bool on = state == Qt::Checked;
    for (auto it = m_typeBoxes.cbegin(); it != m_typeBoxes.cend(); ++it) {
        QSignalBlocker block(it.key());
        it.key()->setChecked(on);
    }
}

void CTimeSliderFilterPopup::OnFilterStateChanged() {
    bool anyTicked = false;
    bool anyUnticked = false;
    for (auto it = m_typeBoxes.cbegin(); it != m_typeBoxes.cend(); ++it) {
        if (it.key()->isChecked()) {
            anyTicked = true;
        } else {
            anyUnticked = true;
        }
    }
    Qt::CheckState state = Qt::PartiallyChecked;
    if (!anyUnticked) {
        state = Qt::Checked;
    } else if (!anyTicked) {
        state = Qt::Unchecked;
    }
    QSignalBlocker block(m_allBox);
    m_allBox->setCheckState(state);
}

void CTimeSliderFilterPopup::mousePressEvent(QMouseEvent* event) {
    if (!geometry().contains(event->globalPos())) {
        // The press closes the pop-up and goes no further.
        setAttribute(Qt::WA_NoMouseReplay);
        OnClickCancelBtn();
        return;
    }
    QFrame::mousePressEvent(event);
}
