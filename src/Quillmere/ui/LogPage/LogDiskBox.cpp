// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogDiskBox.h"

#include <QStandardItemModel>

#include <algorithm>
#include <vector>

#include "storage/DiskEnum.h"

CLogDiskBox::CLogDiskBox(QWidget* parent) : QComboBox(parent), m_model(new QStandardItemModel(this)) {
    setModel(m_model);
    GetWindowsDiskInfo();
}

void CLogDiskBox::GetWindowsDiskInfo() {
    m_model->clear();
    DiskEnum disks;
    std::vector<int> numbers;
    if (disks.GetPhysicalDriveNumbers(&numbers) < 0) numbers.clear();

    auto addLetters = [&](const char* letters, int count) {
        for (int i = 0; i < count; ++i) {
            auto* item = new QStandardItem(QStringLiteral("(") + QChar(letters[i]) + QStringLiteral(":\\)"));
            item->setData(i, kPositionRole);
            item->setData(QStringLiteral("Logic"), kKindRole);
            item->setToolTip(item->text());
            m_model->appendRow(item);
        }
    };

    // Letters that lie on no enumerated drive come first, under "Others ".
    char others[26] = {};
    const int otherCount = disks.ListDriveLetters(numbers, others);
    if (otherCount > 0) {
        auto* item = new QStandardItem(tr("Others "));
        item->setToolTip(item->text());
        item->setData(static_cast<int>(numbers.size()), kPositionRole);
        item->setData(QStringLiteral("Physical"), kKindRole);
        m_model->appendRow(item);
        addLetters(others, otherCount);
    }
    std::vector<std::pair<int, int>> order;  // drive number, position
    for (size_t i = 0; i < numbers.size(); ++i) order.emplace_back(numbers[i], static_cast<int>(i));
    std::sort(order.begin(), order.end());
    for (const auto& drive : order) {
        auto* item = new QStandardItem(tr("Physical Disk ") + QString::number(drive.first) + QStringLiteral(" "));
        item->setToolTip(item->text());
        item->setData(drive.second, kPositionRole);
        item->setData(QStringLiteral("Physical"), kKindRole);
        m_model->appendRow(item);
        char letters[26] = {};
        const int count = disks.GetDriveLetterOfPhysicalDrive(drive.first, letters);
        if (count > 0) addLetters(letters, count);
    }
}
