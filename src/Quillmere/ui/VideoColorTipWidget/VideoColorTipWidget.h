// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The colour legend of evidence recordings: a frameless pop-up with one page
// per evidence scheme ("EvidenceNormal" and "Evidence832"), each a grid of
// colour swatches and category names. It hides itself when it loses
// activation.
#include <QWidget>

class QButtonGroup;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;
class ScrollLabel;

namespace Ui {

// The generated form of the legend (top level "QVideoColorTipWidget").
class QVideoColorTipWidget {
public:
    QVBoxLayout* verticalLayout_2 = nullptr;
    QFrame* bgFrame = nullptr;
    QGridLayout* gridLayout = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout_15 = nullptr;
    QPushButton* btnEvidenceNormal = nullptr;
    QPushButton* btnEvidence832 = nullptr;
    QStackedWidget* stackedWidget = nullptr;
    QWidget* evidenceNormalPage = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QWidget* evidence832Page = nullptr;
    QGridLayout* gridLayout_2 = nullptr;

    // Page 0.
    QLabel* colorOverSpeedLabel = nullptr;
    ScrollLabel* labelOverSpeed = nullptr;
    QLabel* colorBackLabel = nullptr;
    ScrollLabel* labelBack = nullptr;
    QLabel* colorlabel_5 = nullptr;
    ScrollLabel* labelInTheWay = nullptr;
    QLabel* colorlabel_19 = nullptr;
    ScrollLabel* labelTurnRound = nullptr;
    QLabel* colorlabel_7 = nullptr;
    ScrollLabel* labelPark = nullptr;
    QLabel* colorlabel_17 = nullptr;
    ScrollLabel* labelChangeLane = nullptr;
    QLabel* colorlabel_9 = nullptr;
    ScrollLabel* labelRetrograde = nullptr;
    QLabel* colorlabel_15 = nullptr;
    ScrollLabel* labelRidingPressureMarking = nullptr;
    QLabel* colorlabel_11 = nullptr;
    ScrollLabel* labelNormal = nullptr;
    QLabel* colorlabel_13 = nullptr;
    ScrollLabel* labelOther = nullptr;

    // Page 1.
    QLabel* label = nullptr;
    ScrollLabel* label_2 = nullptr;
    QLabel* label_15 = nullptr;
    ScrollLabel* label_16 = nullptr;
    QLabel* label_3 = nullptr;
    ScrollLabel* label_4 = nullptr;
    QLabel* label_13 = nullptr;
    ScrollLabel* label_14 = nullptr;
    QLabel* label_5 = nullptr;
    ScrollLabel* label_6 = nullptr;
    QLabel* label_9 = nullptr;
    ScrollLabel* label_12 = nullptr;
    QLabel* label_7 = nullptr;
    ScrollLabel* label_8 = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

}  // namespace Ui

class VideoColorTipWidget : public QWidget {
    Q_OBJECT
public:
    explicit VideoColorTipWidget(QWidget* parent = nullptr);
    ~VideoColorTipWidget() override;

    const Ui::QVideoColorTipWidget* form() const { return ui; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onShowEvidencePage();

private:
    void initConnect();

    Ui::QVideoColorTipWidget* ui;
};
