// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Disk selector of the log page: the attached physical drives, each followed
// by its partitions. Items carry Qt::UserRole + 1 (the drive's position in
// the enumeration, or the letter's position on its drive) and
// Qt::UserRole + 2 ("Physical" or "Logic").
#include <QComboBox>

class QStandardItemModel;

class CLogDiskBox : public QComboBox {
    Q_OBJECT
public:
    static const int kPositionRole = Qt::UserRole + 1;
    static const int kKindRole = Qt::UserRole + 2;

    explicit CLogDiskBox(QWidget* parent = nullptr);

public slots:
    // Clears the list and reads the drives again.
    void GetWindowsDiskInfo();

private:
    QStandardItemModel* m_model;
};
