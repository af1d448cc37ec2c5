// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackPlaybackWidget.h"

#include <QDate>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpacerItem>
#include <QStringList>
#include <QTime>

#include "storage/DiskEnum.h"
#include "ziraz/datetimeedit.h"

namespace {
QSpacerItem* fixedSpacer(int w) { return new QSpacerItem(w, 20, QSizePolicy::Fixed, QSizePolicy::Minimum); }
}  // namespace

TrackPlaybackWidget::TrackPlaybackWidget(QWidget* parent) : ziraz::Widget(parent) {
    setupUi();
    auto* mapLayout = new QGridLayout(ui.mapWidget);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    ui.diskWidget->hide();
    const QDate today = QDate::currentDate();
    ui.startTimeEdit->setDateTime(QDateTime(today, QTime(0, 0, 0), Qt::UTC));
    ui.endTimeEdit->setDateTime(QDateTime(today, QTime(23, 59, 59), Qt::UTC));
}

TrackPlaybackWidget::~TrackPlaybackWidget() = default;

void TrackPlaybackWidget::setupUi() {
    if (objectName().isEmpty()) setObjectName("TrackPlaybackWidget");
    resize(1320, 775);
    ui.gridLayout_2 = new QGridLayout(this);
    ui.gridLayout_2->setObjectName("gridLayout_2");
    ui.gridLayout_2->setContentsMargins(15, 16, -1, -1);

    ui.widget = new QWidget(this);
    ui.widget->setObjectName("widget");
    ui.widget->setFixedHeight(34);
    ui.gridLayout = new QGridLayout(ui.widget);
    ui.gridLayout->setObjectName("gridLayout");
    ui.gridLayout->setContentsMargins(0, 0, 0, 0);
    ui.horizontalLayout_3 = new QHBoxLayout();
    ui.horizontalLayout_3->setObjectName("horizontalLayout_3");

    ui.horizontalLayout = new QHBoxLayout();
    ui.horizontalLayout->setObjectName("horizontalLayout");
    ui.label = new ziraz::Label(ui.widget);
    ui.label->setObjectName("label");
    ui.startTimeEdit = new ziraz::DateTimeEdit(ui.widget);
    ui.startTimeEdit->setObjectName("startTimeEdit");
    ui.startTimeEdit->setFixedSize(178, 32);
    ui.horizontalLayout->addWidget(ui.label);
    ui.horizontalLayout->addItem(fixedSpacer(8));
    ui.horizontalLayout->addWidget(ui.startTimeEdit);
    ui.horizontalLayout_3->addLayout(ui.horizontalLayout);

    ui.horizontalLayout_6 = new QHBoxLayout();
    ui.horizontalLayout_6->setObjectName("horizontalLayout_6");
    ui.label_5 = new ziraz::Label(ui.widget);
    ui.label_5->setObjectName("label_5");
    ui.endTimeEdit = new ziraz::DateTimeEdit(ui.widget);
    ui.endTimeEdit->setObjectName("endTimeEdit");
    ui.endTimeEdit->setMinimumSize(178, 32);
    ui.endTimeEdit->setMaximumSize(179, 32);
    ui.horizontalLayout_6->addItem(fixedSpacer(20));
    ui.horizontalLayout_6->addWidget(ui.label_5);
    ui.horizontalLayout_6->addItem(fixedSpacer(8));
    ui.horizontalLayout_6->addWidget(ui.endTimeEdit);
    ui.horizontalLayout_3->addLayout(ui.horizontalLayout_6);
    ui.horizontalLayout_3->addItem(fixedSpacer(22));

    ui.diskWidget = new QWidget(ui.widget);
    ui.diskWidget->setObjectName("diskWidget");
    ui.horizontalLayout_2 = new QHBoxLayout(ui.diskWidget);
    ui.horizontalLayout_2->setObjectName("horizontalLayout_2");
    ui.horizontalLayout_2->setContentsMargins(0, 0, 0, 0);
    ui.label_2 = new ziraz::Label(ui.diskWidget);
    ui.label_2->setObjectName("label_2");
    ui.diskCombox = new ziraz::ComboBox(ui.diskWidget);
    ui.diskCombox->setObjectName("diskCombox");
    ui.diskCombox->setMinimumSize(150, 32);
    ui.diskCombox->setMaximumHeight(32);
    ui.horizontalLayout_2->addWidget(ui.label_2);
    ui.horizontalLayout_2->addItem(fixedSpacer(8));
    ui.horizontalLayout_2->addWidget(ui.diskCombox);
    ui.horizontalLayout_3->addWidget(ui.diskWidget);

    ui.horizontalLayout_4 = new QHBoxLayout();
    ui.horizontalLayout_4->setObjectName("horizontalLayout_4");
    ui.horizontalLayout_5 = new QHBoxLayout();
    ui.horizontalLayout_5->setObjectName("horizontalLayout_5");
    ui.loadDisk = new QPushButton(ui.widget);
    ui.loadDisk->setObjectName("loadDisk");
    ui.loadDisk->setFixedSize(96, 32);
    ui.horizontalLayout_5->addItem(fixedSpacer(22));
    ui.horizontalLayout_5->addWidget(ui.loadDisk);
    ui.horizontalLayout_5->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    ui.horizontalLayout_4->addLayout(ui.horizontalLayout_5);
    ui.horizontalLayout_3->addLayout(ui.horizontalLayout_4);
    ui.gridLayout->addLayout(ui.horizontalLayout_3, 0, 0);
    ui.gridLayout_2->addWidget(ui.widget, 0, 0);

    ui.mapWidget = new QWidget(this);
    ui.mapWidget->setObjectName("mapWidget");
    ui.gridLayout_2->addWidget(ui.mapWidget, 1, 0);

    setWindowTitle(tr("TrackPlaybackWidget"));
    ui.label->setText(tr("Start:"));
    ui.label_5->setText(tr("End:"));
    ui.label_2->setText(tr("Disk Name:"));
    ui.loadDisk->setText(tr("Load Disk"));
}

void TrackPlaybackWidget::onReloadDisk() {
    ui.diskCombox->clear();
    for (int i = 0; i < m_diskCount && i < kDiskLettersRecordCount; ++i) m_records[i].clear();
    m_diskCount = 0;

    DiskEnum disks;
    int* numbers = nullptr;
    const int count = disks.GetPhysicalDriveNumbers(&numbers);
    if (count > 0) {
        // The table holds the first 20 drives.
        m_diskCount = count < kDiskLettersRecordCount ? count : kDiskLettersRecordCount;
        for (int i = 0; i < m_diskCount; ++i) {
            m_records[i].driveNumber = numbers[i];
            const int letters = disks.GetDriveLetterOfPhysicalDrive(numbers[i], m_records[i].letters);
            m_records[i].letterCount = letters < 1 ? 0 : letters;
        }
    }
    delete[] numbers;

    QStringList texts;
    for (const DiskLettersRecord& record : m_records)
        if (record.driveNumber != -1) texts << tr("Disk ") + QString::number(record.driveNumber);
    texts.sort();
    for (const QString& text : texts) ui.diskCombox->AddItem(text, text, QVariant(text));
}
