// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureShowView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStandardItemModel>

#include <algorithm>

PictureShowView::PictureShowView(QWidget* parent) : QTableView(parent) {}

void PictureShowView::setScrollBarStyle() {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(false);
    verticalHeader()->setDefaultSectionSize(28);
    setColumnWidth(0, 300);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setStyleSheet(QStringLiteral("border:none"));
    verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical{background:#FFFFFF;width:8px;border-radius:4px;padding-top:0px;padding-bottom:0px;"
        "padding-left:0px;padding-right:0px;margin: -10px 0px -10px 0px;border-right:1px solid #d7d7d7;}"
        "QScrollBar::handle:vertical{background:rgba(0,0,0,10%);border-radius:4px;border: 0px solid "
        "#CCCCCC;width:8px;min-height:20px;}QScrollBar::handle:vertical:hover{background:rgba(0,0,0,80%);}"));
}

void PictureShowView::onSelectPicture(int row) {
    if (QItemSelectionModel* selection = selectionModel()) selection->clear();
    selectRow(row);
}

void PictureShowView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    QItemSelectionModel* selection = selectionModel();
    if (!selection) return;
    const QModelIndexList rows = selection->selectedRows(0);
    if (rows.isEmpty()) return;
    int first = rows.first().row();
    for (const QModelIndex& index : rows) first = std::min(first, index.row());
    auto* standard = qobject_cast<QStandardItemModel*>(model());
    if (!standard) return;
    QStandardItem* item = standard->item(first, 0);
    if (!item) return;
    emit signalCurrentPicture(item->data(kPathRole).toString());
}
