// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The form of the Setting page: the widgets, their layout, tab order and
// texts. The page (SettingWidget) adds the combo items, validators and
// limits and loads the values.
#include <QtGlobal>

class QGridLayout;
class QHBoxLayout;
class QSpacerItem;
class QVBoxLayout;
class QWidget;

namespace ziraz {
class CheckBox;
class ComboBox;
class Label;
class LineEdit;
class PasswordLineEdit;
class RadioButton;
class ToolButton;
}  // namespace ziraz

namespace Ui {

class SettingWidget {
public:
    QGridLayout* gridLayout_6 = nullptr;
    QVBoxLayout* verticalLayout_6 = nullptr;

    // Enforce Setting
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    ziraz::Label* label_2 = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QGridLayout* gridLayout = nullptr;
    QHBoxLayout* horizontalLayout_11 = nullptr;
    ziraz::Label* label_5 = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    ziraz::LineEdit* evidenceVideoSavePathLineEdit = nullptr;
    ziraz::ToolButton* evidenceVideoSaveBtn = nullptr;
    QHBoxLayout* horizontalLayout_12 = nullptr;
    ziraz::Label* label_6 = nullptr;
    QHBoxLayout* horizontalLayout_9 = nullptr;
    ziraz::LineEdit* evidencePicSavePahtLineEdit = nullptr;
    ziraz::ToolButton* evidencePicSavePahtBtn = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;

    // Playback Setting
    QVBoxLayout* verticalLayout_2 = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    ziraz::Label* label_7 = nullptr;
    QSpacerItem* horizontalSpacer_3 = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QHBoxLayout* horizontalLayout_14 = nullptr;
    ziraz::Label* label_11 = nullptr;
    QHBoxLayout* horizontalLayout_4 = nullptr;
    ziraz::LineEdit* picSavePahtLineEdit = nullptr;
    ziraz::ToolButton* savePicBtn = nullptr;
    QHBoxLayout* horizontalLayout_17 = nullptr;
    ziraz::Label* label_8 = nullptr;
    ziraz::CheckBox* speedAlarmCheckBox = nullptr;
    QSpacerItem* horizontalSpacer_4 = nullptr;
    QHBoxLayout* horizontalLayout_13 = nullptr;
    ziraz::Label* label_10 = nullptr;
    QHBoxLayout* horizontalLayout_6 = nullptr;
    ziraz::LineEdit* clipFileSavePathEdit = nullptr;
    ziraz::ToolButton* clipFileSaveBtn = nullptr;
    QHBoxLayout* horizontalLayout_18 = nullptr;
    ziraz::Label* label_18 = nullptr;
    ziraz::ComboBox* speedUnitComboBox = nullptr;
    QSpacerItem* horizontalSpacer_5 = nullptr;
    QHBoxLayout* horizontalLayout_10 = nullptr;
    ziraz::Label* label_15 = nullptr;
    QHBoxLayout* horizontalLayout_8 = nullptr;
    ziraz::LineEdit* downLoadFileSavePathEdit = nullptr;
    ziraz::ToolButton* downLoadFileSaveBtn = nullptr;
    QHBoxLayout* horizontalLayout_19 = nullptr;
    ziraz::Label* label_19 = nullptr;
    ziraz::LineEdit* speedEdit = nullptr;
    QSpacerItem* horizontalSpacer_6 = nullptr;
    QHBoxLayout* horizontalLayout_15 = nullptr;
    ziraz::Label* label_16 = nullptr;
    ziraz::ComboBox* decodeFrameTypeComboBox = nullptr;
    QHBoxLayout* horizontalLayout_21 = nullptr;
    ziraz::Label* label_20 = nullptr;
    QHBoxLayout* horizontalLayout_20 = nullptr;
    ziraz::LineEdit* voiceEdit = nullptr;
    ziraz::ToolButton* voiceSaveBtn = nullptr;
    QSpacerItem* horizontalSpacer_7 = nullptr;
    QHBoxLayout* horizontalLayout_16 = nullptr;
    ziraz::Label* label_17 = nullptr;
    ziraz::PasswordLineEdit* secretKeyEdit = nullptr;
    QSpacerItem* horizontalSpacer_8 = nullptr;
    QHBoxLayout* horizontalLayout_23 = nullptr;
    ziraz::Label* label_3 = nullptr;
    QHBoxLayout* horizontalLayout_24 = nullptr;
    ziraz::RadioButton* osmRadioBtn = nullptr;
    ziraz::RadioButton* googlemapRadioBtn = nullptr;
    QHBoxLayout* horizontalLayout_25 = nullptr;
    ziraz::Label* label_4 = nullptr;
    QHBoxLayout* horizontalLayout_26 = nullptr;
    ziraz::LineEdit* mapKeyLineEdit = nullptr;
    QHBoxLayout* horizontalLayout_27 = nullptr;
    ziraz::Label* label_9 = nullptr;
    QHBoxLayout* horizontalLayout_31 = nullptr;
    ziraz::RadioButton* psRadioBtn = nullptr;
    ziraz::RadioButton* mp4RadioBtn = nullptr;

    // Alarm Setting
    QVBoxLayout* verticalLayout_3 = nullptr;
    QHBoxLayout* horizontalLayout_28 = nullptr;
    ziraz::Label* m_pAlarmSettingLabel = nullptr;
    QSpacerItem* horizontalSpacer_9 = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QHBoxLayout* horizontalLayout_29 = nullptr;
    ziraz::Label* m_pChannelNumLabel = nullptr;
    QHBoxLayout* horizontalLayout_30 = nullptr;
    ziraz::LineEdit* m_pChannelNumberLineEdit = nullptr;
    QSpacerItem* horizontalSpacer_10 = nullptr;

    // Save row
    QHBoxLayout* horizontalLayout_7 = nullptr;
    QSpacerItem* horizontalSpacer_11 = nullptr;
    ziraz::ToolButton* saveBtn = nullptr;
    QSpacerItem* horizontalSpacer_12 = nullptr;

    QSpacerItem* horizontalSpacer_13 = nullptr;
    QSpacerItem* verticalSpacer = nullptr;

    void setupUi(QWidget* page);
    void retranslateUi(QWidget* page);
};

}  // namespace Ui
