// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The form of the search panel: the widget tree with its object names, and
// its texts (translation context "SearchBarWidget").
class ChaseTree;
class PictureShowView;
class PictureShowLabel;
class QFormLayout;
class QFrame;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace ziraz {
class ComboBox;
class LeftRightLayout;
class LineEdit;
class LocationViewWidget;
class PushButton;
class RadioButton;
class RangeDateEdit;
class RangeDateTimeEdit;
class ToolButton;
}  // namespace ziraz

namespace Ui {

class SearchBarWidget {
public:
    QGridLayout* gridLayout_4 = nullptr;
    QWidget* widget = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QFormLayout* formLayout = nullptr;
    QFrame* frameSearchType = nullptr;
    QLabel* labelSearchType = nullptr;
    QGroupBox* groupBox = nullptr;
    ziraz::RadioButton* radioNormal = nullptr;
    ziraz::RadioButton* radioRigion = nullptr;
    QLabel* labelDiskMode = nullptr;
    QGroupBox* groupBox_2 = nullptr;
    ziraz::RadioButton* radioPartition = nullptr;
    ziraz::RadioButton* radioDisk = nullptr;
    ziraz::RadioButton* radioLocal = nullptr;
    QToolButton* reloadDiskBtn = nullptr;
    QLabel* labelPath = nullptr;
    ziraz::LineEdit* lineEditPath = nullptr;
    ziraz::ToolButton* btnPath = nullptr;
    QLabel* labelSelectDisk = nullptr;
    ziraz::LeftRightLayout* selectLayout = nullptr;
    QFrame* frameRigion = nullptr;
    QLabel* labelSelectRigion = nullptr;
    QFrame* frameRigionTime = nullptr;
    ziraz::RangeDateEdit* searchRangeDateTimeEdit = nullptr;
    QToolButton* btnSearchRecord = nullptr;
    QFrame* line = nullptr;

    QStackedWidget* stackedWidget = nullptr;
    QWidget* page = nullptr;
    ziraz::ComboBox* combRecordEventType = nullptr;
    ziraz::RangeDateTimeEdit* rangeDateTimeEdit = nullptr;
    ziraz::LocationViewWidget* locationViewWidget = nullptr;
    ziraz::PushButton* recordBtn = nullptr;
    ziraz::PushButton* pictureBtn = nullptr;
    ChaseTree* treeRecordFileList = nullptr;
    PictureShowView* pictureTableView = nullptr;
    QLabel* label = nullptr;
    ziraz::PushButton* pictureHintBtn = nullptr;
    PictureShowLabel* pictureLable = nullptr;
    QToolButton* downloadBtn = nullptr;

    QWidget* page_2 = nullptr;
    QWidget* widget_2 = nullptr;
    QLabel* littleTipLabel = nullptr;
    QLabel* firstLabel = nullptr;
    QLabel* bigTipLabel = nullptr;
    QLabel* secondLabel = nullptr;
    QLabel* label_3 = nullptr;

    QWidget* page_5 = nullptr;
    QLabel* movePictureLabel = nullptr;

    QSpacerItem* verticalSpacer = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

}  // namespace Ui
