// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchBarWidgetForm.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ChaseTree.h"
#include "PictureShow/PictureShowView.h"
#include "PictureShowLabel.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"

namespace {

template <class T>
T* Named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

void FixHeight(QWidget* w, int h) {
    w->setMinimumHeight(h);
    w->setMaximumHeight(h);
}

}  // namespace

namespace Ui {

void SearchBarWidget::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("SearchBarWidget"));
    gridLayout_4 = Named(new QGridLayout(form), "gridLayout_4");
    gridLayout_4->setSpacing(6);
    gridLayout_4->setContentsMargins(10, 18, 10, 9);

    // Row 0: where and when to search.
    widget = Named(new QWidget(form), "widget");
    widget->setMaximumHeight(220);
    gridLayout_3 = Named(new QGridLayout(widget), "gridLayout_3");
    gridLayout_3->setContentsMargins(0, 0, 0, 0);
    verticalLayout_2 = Named(new QVBoxLayout(), "verticalLayout_2");
    formLayout = Named(new QFormLayout(), "formLayout");

    frameSearchType = Named(new QFrame(widget), "frameSearchType");
    frameSearchType->setFrameShape(QFrame::StyledPanel);
    frameSearchType->setFrameShadow(QFrame::Raised);
    auto* typeRow = new QHBoxLayout(frameSearchType);
    typeRow->setContentsMargins(0, 0, 0, 0);
    labelSearchType = Named(new QLabel(frameSearchType), "labelSearchType");
    groupBox = Named(new QGroupBox(frameSearchType), "groupBox");
    auto* typeRadios = new QHBoxLayout(groupBox);
    typeRadios->setContentsMargins(0, 0, 0, 0);
    radioNormal = Named(new ziraz::RadioButton(groupBox), "radioNormal");
    radioRigion = Named(new ziraz::RadioButton(groupBox), "radioRigion");
    typeRadios->addWidget(radioNormal);
    typeRadios->addWidget(radioRigion);
    typeRow->addWidget(labelSearchType);
    typeRow->addWidget(groupBox);
    formLayout->setWidget(0, QFormLayout::SpanningRole, frameSearchType);

    labelDiskMode = Named(new QLabel(widget), "labelDiskMode");
    auto* modeRow = new QHBoxLayout();
    groupBox_2 = Named(new QGroupBox(widget), "groupBox_2");
    auto* modeRadios = new QHBoxLayout(groupBox_2);
    modeRadios->setContentsMargins(0, 0, 0, 0);
    modeRadios->setSpacing(4);
    modeRow->setSpacing(4);
    radioPartition = Named(new ziraz::RadioButton(groupBox_2), "radioPartition");
    radioDisk = Named(new ziraz::RadioButton(groupBox_2), "radioDisk");
    radioLocal = Named(new ziraz::RadioButton(groupBox_2), "radioLocal");
    modeRadios->addWidget(radioPartition);
    modeRadios->addWidget(radioDisk);
    modeRadios->addWidget(radioLocal);
    reloadDiskBtn = Named(new QToolButton(widget), "reloadDiskBtn");
    modeRow->addWidget(groupBox_2);
    modeRow->addWidget(reloadDiskBtn);
    formLayout->setWidget(1, QFormLayout::LabelRole, labelDiskMode);
    formLayout->setLayout(1, QFormLayout::FieldRole, modeRow);

    auto* pathRow = new QHBoxLayout();
    labelPath = Named(new QLabel(widget), "labelPath");
    lineEditPath = Named(new ziraz::LineEdit(widget), "lineEditPath");
    FixHeight(lineEditPath, 26);
    btnPath = Named(new ziraz::ToolButton(widget), "btnPath");
    btnPath->setFixedSize(26, 26);
    pathRow->addWidget(labelPath);
    pathRow->addWidget(lineEditPath);
    pathRow->addWidget(btnPath);
    formLayout->setLayout(2, QFormLayout::SpanningRole, pathRow);

    labelSelectDisk = Named(new QLabel(widget), "labelSelectDisk");
    selectLayout = Named(new ziraz::LeftRightLayout(), "selectLayout");
    formLayout->setWidget(3, QFormLayout::LabelRole, labelSelectDisk);
    formLayout->setLayout(3, QFormLayout::FieldRole, selectLayout);

    frameRigion = Named(new QFrame(widget), "frameRigion");
    frameRigion->setFrameShape(QFrame::StyledPanel);
    frameRigion->setFrameShadow(QFrame::Raised);
    auto* rigionRow = new QHBoxLayout(frameRigion);
    rigionRow->setContentsMargins(0, 0, 0, 0);
    labelSelectRigion = Named(new QLabel(frameRigion), "labelSelectRigion");
    rigionRow->addWidget(labelSelectRigion);
    formLayout->setWidget(4, QFormLayout::SpanningRole, frameRigion);

    frameRigionTime = Named(new QFrame(widget), "frameRigionTime");
    frameRigionTime->setFrameShape(QFrame::StyledPanel);
    frameRigionTime->setFrameShadow(QFrame::Raised);
    formLayout->setWidget(5, QFormLayout::SpanningRole, frameRigionTime);

    verticalLayout_2->addLayout(formLayout);
    searchRangeDateTimeEdit = Named(new ziraz::RangeDateEdit(widget), "searchRangeDateTimeEdit");
    FixHeight(searchRangeDateTimeEdit, 26);
    verticalLayout_2->addWidget(searchRangeDateTimeEdit);
    btnSearchRecord = Named(new QToolButton(widget), "btnSearchRecord");
    // As wide as the panel leaves it.
    FixHeight(btnSearchRecord, 30);
    btnSearchRecord->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    verticalLayout_2->addWidget(btnSearchRecord);
    line = Named(new QFrame(widget), "line");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setStyleSheet(QStringLiteral("border: 1px solid #dedede;\n"));
    verticalLayout_2->addWidget(line);
    gridLayout_3->addLayout(verticalLayout_2, 0, 0);
    gridLayout_4->addWidget(widget, 0, 0);

    // Row 1: results, hint and loading pages.
    stackedWidget = Named(new QStackedWidget(form), "stackedWidget");

    page = Named(new QWidget(), "page");
    auto* resultColumn = new QVBoxLayout(page);
    resultColumn->setContentsMargins(0, 0, 0, 0);
    combRecordEventType = Named(new ziraz::ComboBox(page), "combRecordEventType");
    FixHeight(combRecordEventType, 30);
    rangeDateTimeEdit = Named(new ziraz::RangeDateTimeEdit(page), "rangeDateTimeEdit");
    FixHeight(rangeDateTimeEdit, 26);
    locationViewWidget = Named(new ziraz::LocationViewWidget(page), "locationViewWidget");
    FixHeight(locationViewWidget, 26);
    auto* pageButtons = new QHBoxLayout();
    recordBtn = Named(new ziraz::PushButton(page), "recordBtn");
    FixHeight(recordBtn, 30);
    pictureBtn = Named(new ziraz::PushButton(page), "pictureBtn");
    FixHeight(pictureBtn, 30);
    pageButtons->addWidget(recordBtn);
    pageButtons->addWidget(pictureBtn);
    auto* listRow = new QHBoxLayout();
    treeRecordFileList = Named(new ChaseTree(page), "treeRecordFileList");
    treeRecordFileList->setStyleSheet(QStringLiteral("background-color: #ffffff;"));
    treeRecordFileList->widget(0)->setObjectName(QStringLiteral("page_6"));
    pictureTableView = Named(new PictureShowView(page), "pictureTableView");
    listRow->addWidget(treeRecordFileList);
    listRow->addWidget(pictureTableView);
    auto* hintRow = new QHBoxLayout();
    label = Named(new QLabel(page), "label");
    pictureHintBtn = Named(new ziraz::PushButton(page), "pictureHintBtn");
    hintRow->addWidget(label);
    hintRow->addWidget(pictureHintBtn);
    pictureLable = Named(new PictureShowLabel(page), "pictureLable");
    pictureLable->setFixedWidth(250);
    pictureLable->setMinimumHeight(160);
    downloadBtn = Named(new QToolButton(page), "downloadBtn");
    downloadBtn->setFixedSize(250, 30);
    resultColumn->addWidget(combRecordEventType);
    resultColumn->addWidget(rangeDateTimeEdit);
    resultColumn->addWidget(locationViewWidget);
    resultColumn->addLayout(pageButtons);
    resultColumn->addLayout(listRow);
    resultColumn->addLayout(hintRow);
    resultColumn->addWidget(pictureLable);
    resultColumn->addWidget(downloadBtn);
    stackedWidget->addWidget(page);

    page_2 = Named(new QWidget(), "page_2");
    auto* hintColumn = new QVBoxLayout(page_2);
    widget_2 = Named(new QWidget(page_2), "widget_2");
    widget_2->setMaximumHeight(85);
    auto* tipRow = new QHBoxLayout(widget_2);
    littleTipLabel = Named(new QLabel(widget_2), "littleTipLabel");
    firstLabel = Named(new QLabel(widget_2), "firstLabel");
    tipRow->addWidget(littleTipLabel);
    tipRow->addWidget(firstLabel);
    bigTipLabel = Named(new QLabel(page_2), "bigTipLabel");
    secondLabel = Named(new QLabel(page_2), "secondLabel");
    secondLabel->setAlignment(Qt::AlignCenter);
    label_3 = Named(new QLabel(page_2), "label_3");
    hintColumn->addWidget(widget_2);
    hintColumn->addWidget(bigTipLabel, 0, Qt::AlignHCenter);
    hintColumn->addWidget(secondLabel);
    hintColumn->addWidget(label_3);
    stackedWidget->addWidget(page_2);

    page_5 = Named(new QWidget(), "page_5");
    auto* loadingColumn = new QVBoxLayout(page_5);
    movePictureLabel = Named(new QLabel(page_5), "movePictureLabel");
    movePictureLabel->setAlignment(Qt::AlignCenter);
    loadingColumn->addWidget(movePictureLabel);
    stackedWidget->addWidget(page_5);

    gridLayout_4->addWidget(stackedWidget, 1, 0);
    verticalSpacer = new QSpacerItem(20, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    gridLayout_4->addItem(verticalSpacer, 2, 0);

    retranslateUi(form);
    stackedWidget->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(form);
}

void SearchBarWidget::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("SearchBarWidget", "SearchBarWidget"));
    labelSearchType->setText(QCoreApplication::translate("SearchBarWidget", "Type:"));
    groupBox->setTitle(QString());
    radioNormal->setText(QCoreApplication::translate("SearchBarWidget", "Video"));
    radioRigion->setText(QCoreApplication::translate("SearchBarWidget", "Rigion"));
    labelDiskMode->setText(QCoreApplication::translate("SearchBarWidget", "Mode:"));
    groupBox_2->setTitle(QString());
    radioPartition->setText(QCoreApplication::translate("SearchBarWidget", "Partition"));
    radioDisk->setText(QCoreApplication::translate("SearchBarWidget", "Disk"));
    radioLocal->setText(QCoreApplication::translate("SearchBarWidget", "Local"));
    reloadDiskBtn->setText(QCoreApplication::translate("SearchBarWidget", "Refresh"));
    labelPath->setText(QCoreApplication::translate("SearchBarWidget", "Path:"));
    btnPath->setText(QString());
    labelSelectDisk->setText(QCoreApplication::translate("SearchBarWidget", "Select:"));
    labelSelectRigion->setText(QCoreApplication::translate("SearchBarWidget", "SearchTime:"));
    btnSearchRecord->setText(QCoreApplication::translate("SearchBarWidget", "Search"));
    recordBtn->setText(QCoreApplication::translate("SearchBarWidget", "Evidence Record"));
    pictureBtn->setText(QCoreApplication::translate("SearchBarWidget", "Evidence Picture"));
    label->setText(QCoreApplication::translate("SearchBarWidget", "Evidence Picture"));
    pictureHintBtn->setText(QString());
    pictureLable->setText(QString());
    downloadBtn->setText(QCoreApplication::translate("SearchBarWidget", "Download"));
    littleTipLabel->setText(QCoreApplication::translate("SearchBarWidget", "TextLabel"));
    firstLabel->setText(QCoreApplication::translate("SearchBarWidget", "Please choose the search mode and the corresponding partion(s) or disk(s).If no video "
                           "found, please try to use another search mode."));
    bigTipLabel->setText(QString());
    secondLabel->setText(QCoreApplication::translate("SearchBarWidget", "No data temporarily, please search file."));
    label_3->setText(QString());
    movePictureLabel->setText(QString());
}

}  // namespace Ui
