// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoColorTipWidget.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ScrollLabel.h"
#include "ziraz/sharetools.h"

namespace {

const int kSwatchSize = 16;
const int kNameWidth = 87;

// One legend cell: a swatch of the colour and a scrolling name.
void AddEntry(QWidget* page, QGridLayout* grid, int row, int column, const char* swatchName, int r, int g, int b,
              const char* labelName, QLabel** swatch, ScrollLabel** name) {
    auto* cell = new QHBoxLayout();
    cell->setSpacing(6);
    *swatch = new QLabel(page);
    (*swatch)->setObjectName(QString::fromLatin1(swatchName));
    (*swatch)->setFixedSize(kSwatchSize, kSwatchSize);
    (*swatch)->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);").arg(r).arg(g).arg(b));
    *name = new ScrollLabel(page);
    (*name)->setObjectName(QString::fromLatin1(labelName));
    (*name)->setFixedWidth(kNameWidth);
    cell->addWidget(*swatch);
    cell->addWidget(*name);
    grid->addLayout(cell, row, column);
}

}  // namespace

// The legend's background lives in this static library (see the search
// panel's resources).
static void InitColorTipResources() { Q_INIT_RESOURCE(colortip); }

namespace Ui {

void QVideoColorTipWidget::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("QVideoColorTipWidget"));
    form->resize(476, 413);
    form->setStyleSheet(QStringLiteral(
        "QFrame#bgFrame\n{\nborder-image:url(:/Quillmere/Images/PlayBack/Search/TipBg2.png);\n}\nQWidget\n{\n"
        "\tborder:none;\n}\n\nQDialog\n{\n\tborder:none;\n}"));

    verticalLayout_2 = new QVBoxLayout(form);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(0);
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);

    bgFrame = new QFrame(form);
    bgFrame->setObjectName(QStringLiteral("bgFrame"));
    gridLayout = new QGridLayout(bgFrame);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(11, 0, 0, 0);

    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);

    horizontalLayout_15 = new QHBoxLayout();
    horizontalLayout_15->setObjectName(QStringLiteral("horizontalLayout_15"));
    horizontalLayout_15->setSpacing(0);
    btnEvidenceNormal = new QPushButton(bgFrame);
    btnEvidenceNormal->setObjectName(QStringLiteral("btnEvidenceNormal"));
    btnEvidenceNormal->setMinimumHeight(30);
    btnEvidenceNormal->setMaximumHeight(30);
    btnEvidence832 = new QPushButton(bgFrame);
    btnEvidence832->setObjectName(QStringLiteral("btnEvidence832"));
    btnEvidence832->setMinimumHeight(30);
    btnEvidence832->setMaximumHeight(30);
    horizontalLayout_15->addWidget(btnEvidenceNormal);
    horizontalLayout_15->addWidget(btnEvidence832);
    verticalLayout->addLayout(horizontalLayout_15);

    stackedWidget = new QStackedWidget(bgFrame);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    stackedWidget->setStyleSheet(QString());

    evidenceNormalPage = new QWidget();
    evidenceNormalPage->setObjectName(QStringLiteral("evidenceNormalPage"));
    gridLayout_3 = new QGridLayout(evidenceNormalPage);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->setSpacing(6);
    gridLayout_3->setContentsMargins(12, 16, 12, 16);
    QWidget* p0 = evidenceNormalPage;
    AddEntry(p0, gridLayout_3, 0, 0, "colorOverSpeedLabel", 250, 128, 114, "labelOverSpeed", &colorOverSpeedLabel,
             &labelOverSpeed);
    AddEntry(p0, gridLayout_3, 0, 1, "colorBackLabel", 72, 61, 139, "labelBack", &colorBackLabel, &labelBack);
    AddEntry(p0, gridLayout_3, 1, 0, "colorlabel_5", 160, 82, 45, "labelInTheWay", &colorlabel_5, &labelInTheWay);
    AddEntry(p0, gridLayout_3, 1, 1, "colorlabel_19", 153, 50, 204, "labelTurnRound", &colorlabel_19,
             &labelTurnRound);
    AddEntry(p0, gridLayout_3, 2, 0, "colorlabel_7", 255, 255, 0, "labelPark", &colorlabel_7, &labelPark);
    AddEntry(p0, gridLayout_3, 2, 1, "colorlabel_17", 220, 20, 60, "labelChangeLane", &colorlabel_17,
             &labelChangeLane);
    AddEntry(p0, gridLayout_3, 3, 0, "colorlabel_9", 152, 251, 152, "labelRetrograde", &colorlabel_9,
             &labelRetrograde);
    AddEntry(p0, gridLayout_3, 3, 1, "colorlabel_15", 30, 144, 255, "labelRidingPressureMarking", &colorlabel_15,
             &labelRidingPressureMarking);
    AddEntry(p0, gridLayout_3, 4, 0, "colorlabel_11", 0, 255, 0, "labelNormal", &colorlabel_11, &labelNormal);
    AddEntry(p0, gridLayout_3, 4, 1, "colorlabel_13", 240, 255, 255, "labelOther", &colorlabel_13, &labelOther);
    stackedWidget->addWidget(evidenceNormalPage);

    evidence832Page = new QWidget();
    evidence832Page->setObjectName(QStringLiteral("evidence832Page"));
    gridLayout_2 = new QGridLayout(evidence832Page);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    QWidget* p1 = evidence832Page;
    AddEntry(p1, gridLayout_2, 0, 0, "label", 255, 69, 0, "label_2", &label, &label_2);
    AddEntry(p1, gridLayout_2, 0, 1, "label_15", 106, 90, 205, "label_16", &label_15, &label_16);
    AddEntry(p1, gridLayout_2, 1, 0, "label_3", 210, 105, 30, "label_4", &label_3, &label_4);
    AddEntry(p1, gridLayout_2, 1, 1, "label_13", 255, 240, 245, "label_14", &label_13, &label_14);
    AddEntry(p1, gridLayout_2, 2, 0, "label_5", 128, 128, 0, "label_6", &label_5, &label_6);
    AddEntry(p1, gridLayout_2, 2, 1, "label_9", 255, 105, 180, "label_12", &label_9, &label_12);
    AddEntry(p1, gridLayout_2, 3, 0, "label_7", 127, 255, 212, "label_8", &label_7, &label_8);
    stackedWidget->addWidget(evidence832Page);

    verticalLayout->addWidget(stackedWidget);
    gridLayout->addLayout(verticalLayout, 0, 0);
    verticalLayout_2->addWidget(bgFrame);

    retranslateUi(form);
}

void QVideoColorTipWidget::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("QVideoColorTipWidget", "VideoColorTipWidget"));
    btnEvidenceNormal->setText(QCoreApplication::translate("QVideoColorTipWidget", "EvidenceNormal"));
    btnEvidence832->setText(QCoreApplication::translate("QVideoColorTipWidget", "Evidence832"));
}

}  // namespace Ui

VideoColorTipWidget::VideoColorTipWidget(QWidget* parent) : QWidget(parent), ui(new Ui::QVideoColorTipWidget) {
    InitColorTipResources();
    ui->setupUi(this);
    setFixedSize(250, 200);
    ui->stackedWidget->setCurrentIndex(0);
    ui->btnEvidenceNormal->setFocus();

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (QPushButton* button : {ui->btnEvidenceNormal, ui->btnEvidence832}) {
        group->addButton(button);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    ui->btnEvidenceNormal->setChecked(true);

    ui->labelOverSpeed->setScrollText(tr("OverSpeed"));
    ui->labelBack->setScrollText(tr("Back"));
    ui->labelInTheWay->setScrollText(tr("In The Way"));
    ui->labelTurnRound->setScrollText(tr("Turn Round"));
    ui->labelPark->setScrollText(tr("Park"));
    ui->labelChangeLane->setScrollText(tr("Change Lane"));
    ui->labelRetrograde->setScrollText(tr("Retrograde"));
    ui->labelRidingPressureMarking->setScrollText(tr("Riding Pressure Marking"));
    ui->labelNormal->setScrollText(tr("Normal"));
    ui->labelOther->setScrollText(tr("Other"));
    ui->label_2->setScrollText(tr("OverSpeed"));
    ui->label_16->setScrollText(tr("Violation/Occupation/LaneChange/PressLine"));
    ui->label_4->setScrollText(tr("Overtaking/Reverse/TurnOff"));
    ui->label_14->setScrollText(tr("Crossroads/Sidewalks"));
    ui->label_6->setScrollText(tr("CarDistance/LowSpeedDriving/HighSpeedRoad"));
    ui->label_12->setScrollText(tr("WarningSigns"));
    ui->label_8->setScrollText(tr("LicensePlate/SeatBelt"));

    initConnect();

    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    installEventFilter(this);
}

VideoColorTipWidget::~VideoColorTipWidget() { delete ui; }

void VideoColorTipWidget::initConnect() {
    for (QPushButton* button : {ui->btnEvidenceNormal, ui->btnEvidence832}) {
        if (!connect(button, SIGNAL(clicked()), this, SLOT(onShowEvidencePage()))) {
            ShareTools::debugMessage(QStringLiteral("connect failure! %1:%2 in VideoColorTipWidget::initConnect")
                                         .arg(QStringLiteral(__FILE__))
                                         .arg(__LINE__));
        }
    }
}

void VideoColorTipWidget::onShowEvidencePage() {
    QObject* from = sender();
    if (from == ui->btnEvidenceNormal) {
        ui->btnEvidenceNormal->setChecked(true);
        ui->btnEvidence832->setChecked(false);
        ui->stackedWidget->setCurrentIndex(0);
    } else if (from == ui->btnEvidence832) {
        ui->btnEvidence832->setChecked(true);
        ui->btnEvidenceNormal->setChecked(false);
        ui->stackedWidget->setCurrentIndex(1);
    }
}

bool VideoColorTipWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        hide();
        return false;
    }
    return QObject::eventFilter(watched, event);
}
