// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureListModel.h"

#include <QDateTime>
#include <QStandardItem>

namespace {
// "chNN_" and the time that follows it in a picture's name.
constexpr int kTimePos = 5;
constexpr int kTimeLen = 19;
const char* const kTimePattern = "yyyy-MM-dd hh-mm-ss";
}  // namespace

PictureShowModel::PictureShowModel(QObject* parent) : QStandardItemModel(parent) {
    insertColumn(0);
    setHeaderData(0, Qt::Horizontal, tr("PictureName"), Qt::DisplayRole);
}

void PictureShowModel::appendPicture(const QPair<QString, QString>& entry) {
    auto* item = new QStandardItem;
    item->setText(entry.second);
    item->setData(entry.first, kPicturePathRole);
    setItem(rowCount(), 0, item);
}

void PictureShowModel::selectByTime(uint32_t time) {
    for (int row = 0; row < rowCount(); ++row) {
        const QString text = data(index(row, 0), Qt::DisplayRole).toString();
        QDateTime taken = QDateTime::fromString(text.mid(kTimePos, kTimeLen), kTimePattern);
        // A name without a time matches no time.
        if (!taken.isValid()) continue;
        taken.setTimeSpec(Qt::LocalTime);
        if (taken.toSecsSinceEpoch() == static_cast<qint64>(time)) emit signalSelect(row);
    }
}
