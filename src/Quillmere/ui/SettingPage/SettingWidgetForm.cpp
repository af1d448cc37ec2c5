// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingWidgetForm.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMetaObject>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <QWidget>

#include "ziraz/controls.h"

namespace Ui {

namespace {

ziraz::Label* MakeLabel(QWidget* page, const char* name, int minWidth, int fixedHeight = 0) {
    ziraz::Label* label = new ziraz::Label(page);
    label->setObjectName(QLatin1String(name));
    label->setMinimumWidth(minWidth);
    if (fixedHeight > 0) {
        label->setMinimumHeight(fixedHeight);
        label->setMaximumHeight(fixedHeight);
    }
    label->setAlignment(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter);
    return label;
}

template <typename Edit>
Edit* MakeEdit(QWidget* page, const char* name, int minWidth, int maxWidth, int height) {
    Edit* edit = new Edit(page);
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumSize(minWidth, height);
    edit->setMaximumSize(maxWidth, height);
    return edit;
}

ziraz::ToolButton* MakeChooser(QWidget* page, const char* name) {
    ziraz::ToolButton* button = new ziraz::ToolButton(page);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(30, 30);
    button->setMaximumSize(30, 30);
    return button;
}

ziraz::RadioButton* MakeRadio(QWidget* page, const char* name) {
    ziraz::RadioButton* radio = new ziraz::RadioButton(page);
    radio->setObjectName(QLatin1String(name));
    radio->setMinimumHeight(31);
    radio->setMaximumHeight(31);
    radio->setAutoExclusive(false);
    return radio;
}

QHBoxLayout* MakeRow(const char* name) {
    QHBoxLayout* row = new QHBoxLayout();
    row->setObjectName(QLatin1String(name));
    return row;
}

QSpacerItem* Expanding() { return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum); }
QSpacerItem* Fixed28() { return new QSpacerItem(28, 20, QSizePolicy::Fixed, QSizePolicy::Minimum); }

}  // namespace

void SettingWidget::setupUi(QWidget* page) {
    if (page->objectName().isEmpty()) page->setObjectName(QStringLiteral("SettingWidget"));
    page->resize(1162, 859);

    gridLayout_6 = new QGridLayout(page);
    gridLayout_6->setSpacing(6);
    gridLayout_6->setContentsMargins(11, 11, 11, 11);
    gridLayout_6->setObjectName(QStringLiteral("gridLayout_6"));
    verticalLayout_6 = new QVBoxLayout();
    verticalLayout_6->setSpacing(40);
    verticalLayout_6->setObjectName(QStringLiteral("verticalLayout_6"));

    // 1. Enforce Setting
    verticalLayout = new QVBoxLayout();
    verticalLayout->setSpacing(20);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    horizontalLayout = MakeRow("horizontalLayout");
    label_2 = new ziraz::Label(page);
    label_2->setObjectName(QStringLiteral("label_2"));
    horizontalLayout->addWidget(label_2);
    horizontalSpacer = Expanding();
    horizontalLayout->addItem(horizontalSpacer);
    verticalLayout->addLayout(horizontalLayout);

    gridLayout = new QGridLayout();
    gridLayout->setSpacing(6);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    horizontalLayout_11 = MakeRow("horizontalLayout_11");
    label_5 = MakeLabel(page, "label_5", 165);
    label_5->setMaximumWidth(165);
    horizontalLayout_11->addWidget(label_5);
    horizontalLayout_2 = MakeRow("horizontalLayout_2");
    evidenceVideoSavePathLineEdit = MakeEdit<ziraz::LineEdit>(page, "evidenceVideoSavePathLineEdit", 315, 315, 30);
    horizontalLayout_2->addWidget(evidenceVideoSavePathLineEdit);
    evidenceVideoSaveBtn = MakeChooser(page, "evidenceVideoSaveBtn");
    horizontalLayout_2->addWidget(evidenceVideoSaveBtn);
    horizontalLayout_11->addLayout(horizontalLayout_2);
    gridLayout->addLayout(horizontalLayout_11, 0, 0, 1, 1);
    horizontalLayout_12 = MakeRow("horizontalLayout_12");
    label_6 = MakeLabel(page, "label_6", 200);
    horizontalLayout_12->addWidget(label_6);
    horizontalLayout_9 = MakeRow("horizontalLayout_9");
    evidencePicSavePahtLineEdit = MakeEdit<ziraz::LineEdit>(page, "evidencePicSavePahtLineEdit", 315, 315, 30);
    horizontalLayout_9->addWidget(evidencePicSavePahtLineEdit);
    evidencePicSavePahtBtn = MakeChooser(page, "evidencePicSavePahtBtn");
    horizontalLayout_9->addWidget(evidencePicSavePahtBtn);
    horizontalLayout_12->addLayout(horizontalLayout_9);
    gridLayout->addLayout(horizontalLayout_12, 0, 1, 1, 1);
    horizontalSpacer_2 = Fixed28();
    gridLayout->addItem(horizontalSpacer_2, 0, 2, 1, 1);
    verticalLayout->addLayout(gridLayout);
    verticalLayout_6->addLayout(verticalLayout);

    // 2. Playback Setting
    verticalLayout_2 = new QVBoxLayout();
    verticalLayout_2->setSpacing(20);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    horizontalLayout_3 = MakeRow("horizontalLayout_3");
    label_7 = new ziraz::Label(page);
    label_7->setObjectName(QStringLiteral("label_7"));
    horizontalLayout_3->addWidget(label_7);
    horizontalSpacer_3 = Expanding();
    horizontalLayout_3->addItem(horizontalSpacer_3);
    verticalLayout_2->addLayout(horizontalLayout_3);

    gridLayout_2 = new QGridLayout();
    gridLayout_2->setSpacing(6);
    gridLayout_2->setContentsMargins(-1, -1, -1, 10);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));

    auto pathRow = [&](const char* rowName, ziraz::Label*& label, const char* labelName, const char* innerName,
                       QHBoxLayout*& outer, QHBoxLayout*& inner, ziraz::LineEdit*& edit, const char* editName,
                       ziraz::ToolButton*& button, const char* buttonName, int minWidth) {
        outer = MakeRow(rowName);
        label = MakeLabel(page, labelName, minWidth);
        outer->addWidget(label);
        inner = MakeRow(innerName);
        edit = MakeEdit<ziraz::LineEdit>(page, editName, 315, 315, 30);
        inner->addWidget(edit);
        button = MakeChooser(page, buttonName);
        inner->addWidget(button);
        outer->addLayout(inner);
    };

    // row 0
    pathRow("horizontalLayout_14", label_11, "label_11", "horizontalLayout_4", horizontalLayout_14, horizontalLayout_4,
            picSavePahtLineEdit, "picSavePahtLineEdit", savePicBtn, "savePicBtn", 165);
    gridLayout_2->addLayout(horizontalLayout_14, 0, 0, 1, 1);
    horizontalLayout_17 = MakeRow("horizontalLayout_17");
    label_8 = MakeLabel(page, "label_8", 200);
    horizontalLayout_17->addWidget(label_8);
    speedAlarmCheckBox = new ziraz::CheckBox(page);
    speedAlarmCheckBox->setObjectName(QStringLiteral("speedAlarmCheckBox"));
    horizontalLayout_17->addWidget(speedAlarmCheckBox);
    gridLayout_2->addLayout(horizontalLayout_17, 0, 1, 1, 1);
    horizontalSpacer_4 = Fixed28();
    gridLayout_2->addItem(horizontalSpacer_4, 0, 2, 1, 1);

    // row 1
    pathRow("horizontalLayout_13", label_10, "label_10", "horizontalLayout_6", horizontalLayout_13, horizontalLayout_6,
            clipFileSavePathEdit, "clipFileSavePathEdit", clipFileSaveBtn, "clipFileSaveBtn", 165);
    gridLayout_2->addLayout(horizontalLayout_13, 1, 0, 1, 1);
    horizontalLayout_18 = MakeRow("horizontalLayout_18");
    label_18 = MakeLabel(page, "label_18", 200);
    horizontalLayout_18->addWidget(label_18);
    speedUnitComboBox = new ziraz::ComboBox(page);
    speedUnitComboBox->setObjectName(QStringLiteral("speedUnitComboBox"));
    speedUnitComboBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    horizontalLayout_18->addWidget(speedUnitComboBox);
    gridLayout_2->addLayout(horizontalLayout_18, 1, 1, 1, 1);
    horizontalSpacer_5 = Fixed28();
    gridLayout_2->addItem(horizontalSpacer_5, 1, 2, 1, 1);

    // row 2
    pathRow("horizontalLayout_10", label_15, "label_15", "horizontalLayout_8", horizontalLayout_10, horizontalLayout_8,
            downLoadFileSavePathEdit, "downLoadFileSavePathEdit", downLoadFileSaveBtn, "downLoadFileSaveBtn", 165);
    gridLayout_2->addLayout(horizontalLayout_10, 2, 0, 1, 1);
    horizontalLayout_19 = MakeRow("horizontalLayout_19");
    label_19 = MakeLabel(page, "label_19", 200);
    horizontalLayout_19->addWidget(label_19);
    speedEdit = MakeEdit<ziraz::LineEdit>(page, "speedEdit", 315, 2000, 30);
    horizontalLayout_19->addWidget(speedEdit);
    gridLayout_2->addLayout(horizontalLayout_19, 2, 1, 1, 1);
    horizontalSpacer_6 = Fixed28();
    gridLayout_2->addItem(horizontalSpacer_6, 2, 2, 1, 1);

    // row 3
    horizontalLayout_15 = MakeRow("horizontalLayout_15");
    label_16 = MakeLabel(page, "label_16", 165);
    horizontalLayout_15->addWidget(label_16);
    decodeFrameTypeComboBox = new ziraz::ComboBox(page);
    decodeFrameTypeComboBox->setObjectName(QStringLiteral("decodeFrameTypeComboBox"));
    decodeFrameTypeComboBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    horizontalLayout_15->addWidget(decodeFrameTypeComboBox);
    gridLayout_2->addLayout(horizontalLayout_15, 3, 0, 1, 1);
    horizontalLayout_21 = MakeRow("horizontalLayout_21");
    label_20 = MakeLabel(page, "label_20", 200);
    horizontalLayout_21->addWidget(label_20);
    horizontalLayout_20 = MakeRow("horizontalLayout_20");
    voiceEdit = MakeEdit<ziraz::LineEdit>(page, "voiceEdit", 315, 315, 30);
    horizontalLayout_20->addWidget(voiceEdit);
    voiceSaveBtn = MakeChooser(page, "voiceSaveBtn");
    horizontalLayout_20->addWidget(voiceSaveBtn);
    horizontalLayout_21->addLayout(horizontalLayout_20);
    gridLayout_2->addLayout(horizontalLayout_21, 3, 1, 1, 1);
    horizontalSpacer_7 = Fixed28();
    gridLayout_2->addItem(horizontalSpacer_7, 3, 2, 1, 1);

    // row 4
    horizontalLayout_16 = MakeRow("horizontalLayout_16");
    label_17 = MakeLabel(page, "label_17", 165);
    horizontalLayout_16->addWidget(label_17);
    secretKeyEdit = MakeEdit<ziraz::PasswordLineEdit>(page, "secretKeyEdit", 315, 2000, 30);
    secretKeyEdit->setMaxLength(16);
    secretKeyEdit->setEchoMode(QLineEdit::Password);
    horizontalLayout_16->addWidget(secretKeyEdit);
    gridLayout_2->addLayout(horizontalLayout_16, 4, 0, 1, 1);
    horizontalSpacer_8 = Fixed28();
    gridLayout_2->addItem(horizontalSpacer_8, 4, 2, 1, 1);

    // row 5
    horizontalLayout_23 = MakeRow("horizontalLayout_23");
    label_3 = MakeLabel(page, "label_3", 165, 31);
    horizontalLayout_23->addWidget(label_3);
    horizontalLayout_24 = MakeRow("horizontalLayout_24");
    osmRadioBtn = MakeRadio(page, "osmRadioBtn");
    horizontalLayout_24->addWidget(osmRadioBtn);
    googlemapRadioBtn = MakeRadio(page, "googlemapRadioBtn");
    horizontalLayout_24->addWidget(googlemapRadioBtn);
    horizontalLayout_23->addLayout(horizontalLayout_24);
    gridLayout_2->addLayout(horizontalLayout_23, 5, 0, 1, 1);

    // row 6
    horizontalLayout_25 = MakeRow("horizontalLayout_25");
    label_4 = MakeLabel(page, "label_4", 165);
    horizontalLayout_25->addWidget(label_4);
    horizontalLayout_26 = MakeRow("horizontalLayout_26");
    mapKeyLineEdit = MakeEdit<ziraz::LineEdit>(page, "mapKeyLineEdit", 315, 3150, 31);
    mapKeyLineEdit->setEchoMode(QLineEdit::Password);
    horizontalLayout_26->addWidget(mapKeyLineEdit);
    horizontalLayout_25->addLayout(horizontalLayout_26);
    gridLayout_2->addLayout(horizontalLayout_25, 6, 0, 1, 1);

    // row 7
    horizontalLayout_27 = MakeRow("horizontalLayout_27");
    label_9 = MakeLabel(page, "label_9", 165, 31);
    horizontalLayout_27->addWidget(label_9);
    horizontalLayout_31 = MakeRow("horizontalLayout_31");
    psRadioBtn = MakeRadio(page, "psRadioBtn");
    horizontalLayout_31->addWidget(psRadioBtn);
    mp4RadioBtn = MakeRadio(page, "mp4RadioBtn");
    horizontalLayout_31->addWidget(mp4RadioBtn);
    horizontalLayout_27->addLayout(horizontalLayout_31);
    gridLayout_2->addLayout(horizontalLayout_27, 7, 0, 1, 1);

    verticalLayout_2->addLayout(gridLayout_2);
    verticalLayout_6->addLayout(verticalLayout_2);

    // 3. Alarm Setting
    verticalLayout_3 = new QVBoxLayout();
    verticalLayout_3->setSpacing(20);
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    horizontalLayout_28 = MakeRow("horizontalLayout_28");
    m_pAlarmSettingLabel = new ziraz::Label(page);
    m_pAlarmSettingLabel->setObjectName(QStringLiteral("m_pAlarmSettingLabel"));
    horizontalLayout_28->addWidget(m_pAlarmSettingLabel);
    horizontalSpacer_9 = Expanding();
    horizontalLayout_28->addItem(horizontalSpacer_9);
    verticalLayout_3->addLayout(horizontalLayout_28);
    gridLayout_4 = new QGridLayout();
    gridLayout_4->setObjectName(QStringLiteral("gridLayout_4"));
    horizontalLayout_29 = MakeRow("horizontalLayout_29");
    m_pChannelNumLabel = MakeLabel(page, "m_pChannelNumLabel", 165);
    horizontalLayout_29->addWidget(m_pChannelNumLabel);
    horizontalLayout_30 = MakeRow("horizontalLayout_30");
    m_pChannelNumberLineEdit = MakeEdit<ziraz::LineEdit>(page, "m_pChannelNumberLineEdit", 315, 315, 30);
    horizontalLayout_30->addWidget(m_pChannelNumberLineEdit);
    horizontalLayout_29->addLayout(horizontalLayout_30);
    gridLayout_4->addLayout(horizontalLayout_29, 0, 0, 1, 1);
    horizontalSpacer_10 = Expanding();
    gridLayout_4->addItem(horizontalSpacer_10, 0, 1, 1, 1);
    verticalLayout_3->addLayout(gridLayout_4);
    verticalLayout_6->addLayout(verticalLayout_3);

    // 4. Save row
    horizontalLayout_7 = MakeRow("horizontalLayout_7");
    horizontalSpacer_11 = new QSpacerItem(110, 20, QSizePolicy::Preferred, QSizePolicy::Minimum);
    horizontalLayout_7->addItem(horizontalSpacer_11);
    saveBtn = new ziraz::ToolButton(page);
    saveBtn->setObjectName(QStringLiteral("saveBtn"));
    saveBtn->setMinimumSize(96, 32);
    saveBtn->setMaximumSize(96, 32);
    horizontalLayout_7->addWidget(saveBtn);
    horizontalSpacer_12 = Expanding();
    horizontalLayout_7->addItem(horizontalSpacer_12);
    verticalLayout_6->addLayout(horizontalLayout_7);

    gridLayout_6->addLayout(verticalLayout_6, 0, 0, 1, 1);
    horizontalSpacer_13 = new QSpacerItem(57, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    gridLayout_6->addItem(horizontalSpacer_13, 0, 1, 1, 1);
    verticalSpacer = new QSpacerItem(20, 154, QSizePolicy::Minimum, QSizePolicy::Expanding);
    gridLayout_6->addItem(verticalSpacer, 1, 0, 1, 1);

    QWidget::setTabOrder(evidenceVideoSavePathLineEdit, evidenceVideoSaveBtn);
    QWidget::setTabOrder(evidenceVideoSaveBtn, evidencePicSavePahtLineEdit);
    QWidget::setTabOrder(evidencePicSavePahtLineEdit, evidencePicSavePahtBtn);
    QWidget::setTabOrder(evidencePicSavePahtBtn, picSavePahtLineEdit);
    QWidget::setTabOrder(picSavePahtLineEdit, savePicBtn);
    QWidget::setTabOrder(savePicBtn, clipFileSavePathEdit);
    QWidget::setTabOrder(clipFileSavePathEdit, clipFileSaveBtn);
    QWidget::setTabOrder(clipFileSaveBtn, downLoadFileSavePathEdit);
    QWidget::setTabOrder(downLoadFileSavePathEdit, downLoadFileSaveBtn);
    QWidget::setTabOrder(downLoadFileSaveBtn, decodeFrameTypeComboBox);
    QWidget::setTabOrder(decodeFrameTypeComboBox, secretKeyEdit);
    QWidget::setTabOrder(secretKeyEdit, speedAlarmCheckBox);
    QWidget::setTabOrder(speedAlarmCheckBox, speedUnitComboBox);
    QWidget::setTabOrder(speedUnitComboBox, speedEdit);
    QWidget::setTabOrder(speedEdit, voiceEdit);
    QWidget::setTabOrder(voiceEdit, voiceSaveBtn);
    QWidget::setTabOrder(voiceSaveBtn, saveBtn);

    retranslateUi(page);
    QMetaObject::connectSlotsByName(page);
}

void SettingWidget::retranslateUi(QWidget* page) {
    page->setWindowTitle(QCoreApplication::translate("SettingWidget", "SettingWidget"));
    label_2->setText(QCoreApplication::translate("SettingWidget", "Enforce Setting"));
    label_5->setText(QCoreApplication::translate("SettingWidget", "Evidence Path:"));
    label_6->setText(QCoreApplication::translate("SettingWidget", "Evidence Picture:"));
    label_7->setText(QCoreApplication::translate("SettingWidget", "Playback Setting"));
    label_3->setText(QCoreApplication::translate("SettingWidget", "Map Type:"));
    osmRadioBtn->setText(QCoreApplication::translate("SettingWidget", "Open Street Map"));
    googlemapRadioBtn->setText(QCoreApplication::translate("SettingWidget", "Google Map"));
    label_8->setText(QString());
    speedAlarmCheckBox->setText(QCoreApplication::translate("SettingWidget", "Enable Speed Alarm"));
    label_17->setText(QCoreApplication::translate("SettingWidget", "Secret Key:"));
    label_15->setText(QCoreApplication::translate("SettingWidget", "Download Path:"));
    label_11->setText(QCoreApplication::translate("SettingWidget", "Picuure Path:"));
    label_10->setText(QCoreApplication::translate("SettingWidget", "Clip Path:"));
    label_18->setText(QCoreApplication::translate("SettingWidget", "Speed Unit:"));
    label_20->setText(QCoreApplication::translate("SettingWidget", "Voice(<1s):"));
    label_16->setText(QCoreApplication::translate("SettingWidget", "Decode Frame Type:"));
    label_19->setText(QCoreApplication::translate("SettingWidget", "Speed Value:"));
    label_4->setText(QCoreApplication::translate("SettingWidget", "Map Key:"));
    label_9->setText(QCoreApplication::translate("SettingWidget", "Download Video Type:"));
    psRadioBtn->setText(QCoreApplication::translate("SettingWidget", "PS"));
    mp4RadioBtn->setText(QCoreApplication::translate("SettingWidget", "MP4"));
    m_pAlarmSettingLabel->setText(QCoreApplication::translate("SettingWidget", "Alarm Setting"));
    m_pChannelNumLabel->setText(QCoreApplication::translate("SettingWidget", "TheChannelNumber:"));
    saveBtn->setText(QCoreApplication::translate("SettingWidget", "Save"));
}

}  // namespace Ui
