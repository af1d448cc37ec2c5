// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The forms of the uninstaller's window and pages: widget trees built in code,
// one class per form, texts translated in the form's own context.
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWidget>

#include "Tavick/Tavick.h"

namespace appinstaller {
class UpperWidget;
class CustomTitleWidget;
}  // namespace appinstaller

namespace Ui {

class MainWindowUI {
public:
    QGridLayout* gridLayout_2 = nullptr;
    QStackedWidget* m_pInstallStackedWidget = nullptr;
    QSpacerItem* verticalSpacer = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class UpperWidgeUI {
public:
    QGridLayout* gridLayout = nullptr;
    QWidget* m_pContainerWidget = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QWidget* m_pUpperWidget = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    appinstaller::CustomTitleWidget* m_pTopTitleWidget = nullptr;
    QSpacerItem* verticalSpacer = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class InstallingUI {
public:
    QGridLayout* gridLayout = nullptr;
    QWidget* m_pContainerWidget = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    appinstaller::UpperWidget* m_pUpperWidget = nullptr;
    QWidget* m_pBottomWidget = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* m_pInstallingLabel = nullptr;
    QLabel* m_pInstallProgressLabel = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QWidget* m_pWidgetProcessBar = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QFrame* frame = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QSpacerItem* horizontalSpacer_3 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QSpacerItem* verticalSpacer = nullptr;
    Tavick::CSecondCommandButton* m_pCancelBtn = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class UnInstallCompletedUI {
public:
    QGridLayout* gridLayout_2 = nullptr;
    QWidget* m_pContainerWidget = nullptr;
    QGridLayout* gridLayout = nullptr;
    appinstaller::UpperWidget* m_pUpperWidget = nullptr;
    QWidget* m_pBottomWidget = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QHBoxLayout* horizontalLayout_6 = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QPushButton* m_pIconToolBtn = nullptr;
    QLabel* m_pInstallInfoLabel = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;
    // What stayed behind after an incomplete uninstall (hidden otherwise).
    QLabel* m_pLeftoverLabel = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QSpacerItem* horizontalSpacer_3 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QSpacerItem* verticalSpacer = nullptr;
    Tavick::CCommandButton* m_pCompletedBtn = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

}  // namespace Ui
