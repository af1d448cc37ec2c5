// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture list of the search panel: one row per picture file, its name
// as text and its absolute path under kPicturePathRole. selectByTime finds
// the rows whose picture was taken at a given time.
#include <QPair>
#include <QStandardItemModel>
#include <QString>
#include <cstdint>

class PictureShowModel : public QStandardItemModel {
    Q_OBJECT
public:
    enum { kPicturePathRole = Qt::UserRole + 1 };

    explicit PictureShowModel(QObject* parent = nullptr);

    // entry: absolute path, file name.
    void appendPicture(const QPair<QString, QString>& entry);
    // Emits signalSelect for every row whose name ("chNN_yyyy-MM-dd hh-mm-ss...")
    // holds that recorder time, in row order.
    void selectByTime(uint32_t time);

signals:
    void signalSelect(int row);
};
