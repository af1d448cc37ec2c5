#include "PanelPictureView.h"

#include <QHeaderView>
#include <QScrollBar>

namespace {
const int kPicturePathRole = Qt::UserRole + 1;
}

PanelPictureView::PanelPictureView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    setShowGrid(false);
}

void PanelPictureView::initScrollBarStyle() {
    verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar:vertical{width:8px;background:#f0f0f0;}"
                                                      "QScrollBar::handle:vertical{background:#c8c8c8;}"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void PanelPictureView::onSelectPicture(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) return;
    const QModelIndex index = model()->index(row, 0);
    selectRow(row);
    if (currentIndex() != index) setCurrentIndex(index);
    emit signalCurrentPicture(index.data(kPicturePathRole).toString());
}

void PanelPictureView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // An operator's choice previews the picture; onSelectPicture reports its
    // own row once.
    if (current.isValid() && current.row() != previous.row() && !signalsBlocked() && hasFocus())
        emit signalCurrentPicture(current.sibling(current.row(), 0).data(kPicturePathRole).toString());
}
