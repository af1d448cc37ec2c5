// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiskTreeBox.h"

#include <QMap>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTreeView>
#include <vector>

#include "storage/DiskEnum.h"

CComboBox::CComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::editTextChanged, this, &CComboBox::OnTextChanged);
    connect(this, &QComboBox::currentTextChanged, this, &CComboBox::OnTextChanged);
}

void CComboBox::OnTextChanged(QString strText) { setToolTip(strText); }

void CComboBox::mousePressEvent(QMouseEvent* event) { QComboBox::mousePressEvent(event); }

TreeBox::TreeBox(QWidget* parent) : CComboBox(parent) {
    m_treeView = new QTreeView(this);
    m_treeView->setHeaderHidden(true);
    m_treeView->setObjectName("TreeBox_TreeView");
    m_treeView->setVerticalScrollBar(new ziraz::VerScrollBar(m_treeView));
    setView(m_treeView);
}

void TreeBox::expandAll() { m_treeView->expandAll(); }

void TreeBox::mousePressEvent(QMouseEvent* event) { CComboBox::mousePressEvent(event); }

CDiskTreeBox::CDiskTreeBox(QWidget* parent) : TreeBox(parent) {
    m_model = new QStandardItemModel(this);
    GetWindowsDiskInfo();
}

void CDiskTreeBox::GetWindowsDiskInfo() {
    DiskLettersRecord records[kDiskLettersRecordCount];
    DiskEnum disks;
    int* numbers = nullptr;
    int count = disks.GetPhysicalDriveNumbers(&numbers);
    if (count < 1) count = 0;
    // The last record is kept for the group of other letters.
    const int kept = count < kDiskLettersRecordCount - 1 ? count : kDiskLettersRecordCount - 1;
    std::vector<int> driveNumbers;
    for (int i = 0; i < kept; ++i) {
        records[i].driveNumber = numbers[i];
        const int letters = disks.GetDriveLetterOfPhysicalDrive(numbers[i], records[i].letters);
        records[i].letterCount = letters < 1 ? 0 : letters;
        driveNumbers.push_back(numbers[i]);
    }
    // Drives beyond the table still keep their letters out of "Others".
    for (int i = kept; i < count; ++i) driveNumbers.push_back(numbers[i]);
    delete[] numbers;

    int used = kept;
    const int others = disks.ListDriveLetters(driveNumbers, records[kept].letters);
    if (others > 0) {
        records[kept].letterCount = others;
        records[kept].driveNumber = -1;
        used = kept + 1;
    } else {
        records[kept].clear();
    }

    m_model->clear();
    m_model->insertColumn(0);
    setModel(m_model);

    QMap<int, int> order;  // drive number -> record index
    for (int i = 0; i < used; ++i) order.insert(records[i].driveNumber, i);
    int row = 0;
    for (auto it = order.cbegin(); it != order.cend(); ++it, ++row) {
        const DiskLettersRecord& record = records[it.value()];
        const QString text = record.driveNumber == -1
                                 ? tr("Others ")
                                 : tr("Physical Disk ") + QString::number(record.driveNumber) + " ";
        auto* item = new QStandardItem(text);
        item->setEditable(false);
        item->setData(it.value(), kIndexRole);
        item->setData("Physical", kKindRole);
        item->setToolTip(text);
        for (int k = record.letterCount - 1; k >= 0; --k) {
            const QString letterText = QString("(") + QChar::fromLatin1(record.letters[k]) + ":\\" + ")";
            auto* child = new QStandardItem(letterText);
            child->setEditable(false);
            child->setData(k, kIndexRole);
            child->setData("Logic", kKindRole);
            child->setToolTip(letterText);
            item->insertRow(0, child);
        }
        m_model->insertRow(row, item);
    }
    expandAll();
}
