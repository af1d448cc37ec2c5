// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The list of found pictures: shows the picture model (name as text, full
// path under Qt::UserRole + 1) and reports the path of the first selected
// row whenever the selection changes.
#include <QTableView>

class PictureShowView : public QTableView {
    Q_OBJECT
public:
    static const int kPathRole = Qt::UserRole + 1;

    explicit PictureShowView(QWidget* parent = nullptr);
    // Headers hidden, no grid, 28-pixel rows, 300-pixel name column, thin
    // vertical scroll bar.
    void setScrollBarStyle();

signals:
    void signalCurrentPicture(QString picturePath);

public slots:
    // Selects `row` afresh (also when it is already selected).
    void onSelectPicture(int row);

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
};
