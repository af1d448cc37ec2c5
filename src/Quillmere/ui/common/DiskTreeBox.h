// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drop-down selectors: CComboBox (its tooltip always shows its current text),
// TreeBox (a CComboBox whose pop-up is a tree) and CDiskTreeBox (the machine's
// physical disks with their drive letters as children, plus a group of the
// letters that lie on no physical disk).
#include <QString>

#include "ziraz/controls.h"

class QMouseEvent;
class QStandardItemModel;
class QTreeView;

// One group of drive letters while a disk list is built: a physical drive (or
// -1 for the letters on no physical drive) and its letters.
struct DiskLettersRecord {
    int driveNumber = -1;
    char letters[26] = {};
    int letterCount = 0;

    void clear() { *this = DiskLettersRecord(); }
};

// Groups kept by one fill: at most 19 physical drives and the group of other
// letters.
constexpr int kDiskLettersRecordCount = 20;

class CComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CComboBox(QWidget* parent = nullptr);

public slots:
    void OnTextChanged(QString strText);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TreeBox : public CComboBox {
    Q_OBJECT
public:
    explicit TreeBox(QWidget* parent = nullptr);

    void expandAll();
    QTreeView* treeView() const { return m_treeView; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTreeView* m_treeView = nullptr;
};

class CDiskTreeBox : public TreeBox {
    Q_OBJECT
public:
    // Item data roles of the rows.
    static constexpr int kIndexRole = Qt::UserRole + 1;  // group index / letter position
    static constexpr int kKindRole = Qt::UserRole + 2;   // "Physical" or "Logic"

    explicit CDiskTreeBox(QWidget* parent = nullptr);

    QStandardItemModel* diskModel() const { return m_model; }

public slots:
    // Rebuilds the whole tree from the drives attached now.
    void GetWindowsDiskInfo();

private:
    QStandardItemModel* m_model = nullptr;
};
