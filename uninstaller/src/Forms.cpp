// SPDX-License-Identifier: GPL-3.0-or-later
#include "Forms.h"

#include <QCoreApplication>

#include "CustomTitleWidget.h"
#include "UpperWidget.h"

namespace Ui {

namespace {
QGridLayout* Grid(QWidget* owner, const char* name, int spacing = 0, QMargins margins = QMargins()) {
    auto* l = new QGridLayout(owner);
    l->setObjectName(name);
    l->setSpacing(spacing);
    l->setContentsMargins(margins);
    return l;
}

template <class Layout>
Layout* Box(const char* name, int spacing = 0, QMargins margins = QMargins()) {
    auto* l = new Layout;
    l->setObjectName(name);
    l->setSpacing(spacing);
    l->setContentsMargins(margins);
    return l;
}

QSpacerItem* HSpacer() { return new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum); }
QSpacerItem* VSpacer(int w, int h) { return new QSpacerItem(w, h, QSizePolicy::Minimum, QSizePolicy::Expanding); }
}  // namespace

void MainWindowUI::setupUi(QWidget* form) {
    form->setObjectName("MainWindowUI");
    form->setFixedSize(744, 504);
    gridLayout_2 = Grid(form, "gridLayout_2", 0, QMargins(12, 12, 12, 12));
    m_pInstallStackedWidget = new QStackedWidget(form);
    m_pInstallStackedWidget->setObjectName("m_pInstallStackedWidget");
    m_pInstallStackedWidget->setFixedHeight(480);
    gridLayout_2->addWidget(m_pInstallStackedWidget, 0, 0);
    verticalSpacer = VSpacer(20, 323);
    gridLayout_2->addItem(verticalSpacer, 1, 0);
    retranslateUi(form);
}

void MainWindowUI::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("MainWindowUI", "MainWindowUI"));
}

void UpperWidgeUI::setupUi(QWidget* form) {
    form->setObjectName("UpperWidgeUI");
    form->setFixedSize(720, 480);
    gridLayout = Grid(form, "gridLayout");
    m_pContainerWidget = new QWidget(form);
    m_pContainerWidget->setObjectName("m_pContainerWidget");
    gridLayout_4 = Grid(m_pContainerWidget, "gridLayout_4");
    m_pUpperWidget = new QWidget(m_pContainerWidget);
    m_pUpperWidget->setObjectName("m_pUpperWidget");
    gridLayout_2 = Grid(m_pUpperWidget, "gridLayout_2");
    m_pTopTitleWidget = new appinstaller::CustomTitleWidget(m_pUpperWidget);
    m_pTopTitleWidget->setObjectName("m_pTopTitleWidget");
    m_pTopTitleWidget->setFixedHeight(60);
    gridLayout_2->addWidget(m_pTopTitleWidget, 0, 0);
    verticalSpacer = VSpacer(20, 267);
    gridLayout_2->addItem(verticalSpacer, 1, 0);
    gridLayout_4->addWidget(m_pUpperWidget, 0, 0);
    gridLayout->addWidget(m_pContainerWidget, 0, 0);
    retranslateUi(form);
}

void UpperWidgeUI::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("UpperWidgeUI", "MainWindowUI"));
}

void InstallingUI::setupUi(QWidget* form) {
    form->setObjectName("InstallingUI");
    form->setFixedSize(720, 480);
    gridLayout = Grid(form, "gridLayout");
    m_pContainerWidget = new QWidget(form);
    m_pContainerWidget->setObjectName("m_pContainerWidget");
    m_pContainerWidget->setFixedSize(720, 480);
    gridLayout_4 = Grid(m_pContainerWidget, "gridLayout_4");

    m_pUpperWidget = new appinstaller::UpperWidget(m_pContainerWidget);
    m_pUpperWidget->setObjectName("m_pUpperWidget");
    m_pUpperWidget->setFixedHeight(320);
    gridLayout_4->addWidget(m_pUpperWidget, 0, 0);

    m_pBottomWidget = new QWidget(m_pContainerWidget);
    m_pBottomWidget->setObjectName("m_pBottomWidget");
    m_pBottomWidget->setFixedHeight(160);
    gridLayout_3 = Grid(m_pBottomWidget, "gridLayout_3", 6, QMargins(36, 26, 36, 24));

    verticalLayout_2 = Box<QVBoxLayout>("verticalLayout_2", 6);
    horizontalLayout = Box<QHBoxLayout>("horizontalLayout");
    m_pInstallingLabel = new QLabel(m_pBottomWidget);
    m_pInstallingLabel->setObjectName("m_pInstallingLabel");
    m_pInstallingLabel->setFixedHeight(24);
    m_pInstallingLabel->setMinimumWidth(160);
    horizontalLayout->addWidget(m_pInstallingLabel);
    m_pInstallProgressLabel = new QLabel(m_pBottomWidget);
    m_pInstallProgressLabel->setObjectName("m_pInstallProgressLabel");
    m_pInstallProgressLabel->setFixedHeight(24);
    m_pInstallProgressLabel->setMinimumWidth(160);
    horizontalLayout->addWidget(m_pInstallProgressLabel);
    horizontalSpacer = HSpacer();
    horizontalLayout->addItem(horizontalSpacer);
    verticalLayout_2->addLayout(horizontalLayout);

    m_pWidgetProcessBar = new QWidget(m_pBottomWidget);
    m_pWidgetProcessBar->setObjectName("m_pWidgetProcessBar");
    m_pWidgetProcessBar->setFixedSize(648, 16);
    horizontalLayout_3 = new QHBoxLayout(m_pWidgetProcessBar);
    horizontalLayout_3->setObjectName("horizontalLayout_3");
    horizontalLayout_3->setSpacing(0);
    horizontalLayout_3->setContentsMargins(3, 3, 3, 3);
    frame = new QFrame(m_pWidgetProcessBar);
    frame->setObjectName("frame");
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    horizontalLayout_3->addWidget(frame);
    horizontalSpacer_2 = HSpacer();
    horizontalLayout_3->addItem(horizontalSpacer_2);
    verticalLayout_2->addWidget(m_pWidgetProcessBar);
    gridLayout_3->addLayout(verticalLayout_2, 0, 0);

    horizontalLayout_2 = Box<QHBoxLayout>("horizontalLayout_2", 6);
    horizontalSpacer_3 = HSpacer();
    horizontalLayout_2->addItem(horizontalSpacer_3);
    verticalLayout = Box<QVBoxLayout>("verticalLayout", 6);
    verticalSpacer = VSpacer(20, 40);
    verticalLayout->addItem(verticalSpacer);
    m_pCancelBtn = new Tavick::CSecondCommandButton(m_pBottomWidget);
    m_pCancelBtn->setObjectName("m_pCancelBtn");
    m_pCancelBtn->setFixedSize(88, 32);
    verticalLayout->addWidget(m_pCancelBtn);
    horizontalLayout_2->addLayout(verticalLayout);
    gridLayout_3->addLayout(horizontalLayout_2, 1, 0);

    gridLayout_4->addWidget(m_pBottomWidget, 1, 0);
    gridLayout->addWidget(m_pContainerWidget, 0, 0);
    retranslateUi(form);
}

void InstallingUI::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("InstallingUI", "MainWindowUI"));
    m_pInstallingLabel->setText(QString());
    m_pInstallProgressLabel->setText(QString());
    m_pCancelBtn->setText(QCoreApplication::translate("InstallingUI", "UndoMerge"));
}

void UnInstallCompletedUI::setupUi(QWidget* form) {
    form->setObjectName("UnInstallCompletedUI");
    form->setFixedSize(720, 480);
    gridLayout_2 = Grid(form, "gridLayout_2");
    m_pContainerWidget = new QWidget(form);
    m_pContainerWidget->setObjectName("m_pContainerWidget");
    gridLayout = Grid(m_pContainerWidget, "gridLayout");

    m_pUpperWidget = new appinstaller::UpperWidget(m_pContainerWidget);
    m_pUpperWidget->setObjectName("m_pUpperWidget");
    m_pUpperWidget->setFixedHeight(320);
    gridLayout->addWidget(m_pUpperWidget, 0, 0);

    m_pBottomWidget = new QWidget(m_pContainerWidget);
    m_pBottomWidget->setObjectName("m_pBottomWidget");
    m_pBottomWidget->setFixedHeight(160);
    gridLayout_3 = Grid(m_pBottomWidget, "gridLayout_3", 6, QMargins(36, 32, 36, 24));

    horizontalLayout_6 = Box<QHBoxLayout>("horizontalLayout_6", 6);
    horizontalSpacer = HSpacer();
    horizontalLayout_6->addItem(horizontalSpacer);
    horizontalLayout_3 = Box<QHBoxLayout>("horizontalLayout_3", 6);
    m_pIconToolBtn = new QPushButton(m_pBottomWidget);
    m_pIconToolBtn->setObjectName("m_pIconToolBtn");
    m_pIconToolBtn->setFixedSize(32, 32);
    m_pIconToolBtn->setIconSize(QSize(32, 32));
    horizontalLayout_3->addWidget(m_pIconToolBtn);
    m_pInstallInfoLabel = new QLabel(m_pBottomWidget);
    m_pInstallInfoLabel->setObjectName("m_pInstallInfoLabel");
    horizontalLayout_3->addWidget(m_pInstallInfoLabel);
    horizontalLayout_6->addLayout(horizontalLayout_3);
    horizontalSpacer_2 = HSpacer();
    horizontalLayout_6->addItem(horizontalSpacer_2);
    gridLayout_3->addLayout(horizontalLayout_6, 0, 0);

    m_pLeftoverLabel = new QLabel(m_pBottomWidget);
    m_pLeftoverLabel->setObjectName("m_pLeftoverLabel");
    m_pLeftoverLabel->setAlignment(Qt::AlignCenter);
    m_pLeftoverLabel->setTextFormat(Qt::PlainText);
    m_pLeftoverLabel->hide();
    gridLayout_3->addWidget(m_pLeftoverLabel, 1, 0);

    horizontalLayout = Box<QHBoxLayout>("horizontalLayout", 6);
    horizontalSpacer_3 = HSpacer();
    horizontalLayout->addItem(horizontalSpacer_3);
    verticalLayout = Box<QVBoxLayout>("verticalLayout", 6);
    verticalSpacer = VSpacer(20, 40);
    verticalLayout->addItem(verticalSpacer);
    m_pCompletedBtn = new Tavick::CCommandButton(m_pBottomWidget);
    m_pCompletedBtn->setObjectName("m_pCompletedBtn");
    m_pCompletedBtn->setMinimumSize(88, 32);
    verticalLayout->addWidget(m_pCompletedBtn);
    horizontalLayout->addLayout(verticalLayout);
    gridLayout_3->addLayout(horizontalLayout, 2, 0);

    gridLayout->addWidget(m_pBottomWidget, 1, 0);
    gridLayout_2->addWidget(m_pContainerWidget, 0, 0);
    retranslateUi(form);
}

void UnInstallCompletedUI::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("UnInstallCompletedUI", "MainWindowUI"));
    m_pIconToolBtn->setText(QString());
    m_pInstallInfoLabel->setText(QCoreApplication::translate("UnInstallCompletedUI", "Uninstalled"));
    m_pCompletedBtn->setText(QCoreApplication::translate("UnInstallCompletedUI", "Completed"));
}

}  // namespace Ui
