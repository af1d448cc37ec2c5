// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadingWidget.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpacerItem>
#include <QTimer>

void Ui::LoadingWidget::setupUi(QDialog* dialog) {
    if (dialog->objectName().isEmpty()) dialog->setObjectName(QStringLiteral("LoadingWidget"));
    dialog->resize(400, 300);
    gridLayout = new QGridLayout(dialog);
    gridLayout->setSpacing(6);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setContentsMargins(0, 0, 0, 0);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setSpacing(6);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(horizontalSpacer);
    label = new QLabel(dialog);
    label->setObjectName(QStringLiteral("label"));
    label->setStyleSheet(QString());
    horizontalLayout->addWidget(label);
    horizontalSpacer_2 = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout->addItem(horizontalSpacer_2);
    gridLayout->addLayout(horizontalLayout, 0, 0, 1, 1);
    retranslateUi(dialog);
}

void Ui::LoadingWidget::retranslateUi(QDialog* dialog) {
    dialog->setWindowTitle(QCoreApplication::translate("LoadingWidget", "LoadingWidget", nullptr));
    label->setText(QString());
}

LoadingWidget::LoadingWidget(QWidget* parent) : QDialog(parent), ui(new Ui::LoadingWidget) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(90);
    setFixedHeight(90);
    // The timer belongs to the dialog, so it stops and goes with it.
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &LoadingWidget::onShowDialog);
    m_timer->start(kTickMs);
}

LoadingWidget::~LoadingWidget() { delete ui; }

QString LoadingWidget::framePath(int frame) {
    return QStringLiteral(":/Quillmere/Images/PlayBack/Search/%1.png").arg(frame);
}

QLabel* LoadingWidget::frameLabel() const { return ui->label; }

void LoadingWidget::onShowDialog() {
    if (m_counter == kFrameCount + 1) m_counter = 1;
    const int frame = m_counter++;
    showFrame(frame);
}

void LoadingWidget::onCloseDialog() { close(); }

void LoadingWidget::showFrame(int frame) {
    if (frame < 1 || frame > kFrameCount) return;
    ui->label->setPixmap(QPixmap(framePath(frame)));
    m_shown = frame;
}
